#include "shell/name_entry_dialog.h"

#include "data/option_record.h"
#include "data/system_ini.h"
#include "gfx/display.h"
#include "platform/desktop.h"
#include "platform/dialog.h"
#include "scene/scene.h"
#include "scene/scene_manager.h"
#include "stage/game_scene.h"

cNameEntryDialog* lpNameEntryDialog = nullptr;

namespace {

// The dialog resource: 110 x 65 dialog units, no caption.
const plat::DlgTemplate& NameTemplate() {
    using K = plat::DlgItemKind;
    static const plat::DlgTemplate dialog{
        "name",
        110,
        65,
        {
            {IDC_NAME_IMAGE, K::Bitmap, "", 7, 7, 20, 21, "", ""},
            {IDC_NAME_EDIT, K::Edit, "", 75, 12, 24, 14, "text", ""},
            {IDC_NAME_OK, K::DefButton, "OK", 30, 35, 50, 18, "ok", ""},
            {IDC_NAME_LABEL, K::Text, "登録名(3文字まで)", 15, 15, 56, 16, "", ""},
        }};
    return dialog;
}

plat::LRESULT NameEntryDialogProc(plat::HWND hwnd, std::uint32_t msg, plat::WPARAM wParam,
                                  plat::LPARAM lParam) {
    return lpNameEntryDialog ? lpNameEntryDialog->WndProc(hwnd, msg, wParam, lParam) : 0;
}

constexpr int kPlaceX = 240;
constexpr int kPlaceY = 220;

}  // namespace

std::string* NameEntryTarget() {
    if (SceneMgr.m_nTitleChoice == TITLE_OPTION) return &Option.strRankingName;
    if (lpGame) return &lpGame->m_strRankName;
    return nullptr;
}

cNameEntryDialog::cNameEntryDialog(cWindowBase& owner, std::string& name) {
    Init(kNameEntryResource, &owner, 1, &WindowList);
    SetGeometry(0, 0, 100, 100, 640, 480, 0x80000000u, 0, 0, 0, 0, 0);
    lpfnProc = NameEntryDialogProc;
    lpNameEntryDialog = this;
    nPlaceX = bWindowMode ? owner.ptWindow.x + kPlaceX : kPlaceX;
    nPlaceY = bWindowMode ? owner.ptWindow.y + kPlaceY : kPlaceY;
    plat::SetCursorPos(nPlaceX + 80, nPlaceY + 65);
    NameDesc.Set(IDC_NAME_EDIT, &name, kRankNameChars, 1);
}

cNameEntryDialog::~cNameEntryDialog() {
    if (lpNameEntryDialog == this) lpNameEntryDialog = nullptr;
}

const plat::DlgTemplate& cNameEntryDialog::Template() const {
    return NameTemplate();
}

plat::LRESULT cNameEntryDialog::OnInitDialog(plat::WPARAM wParam, plat::LPARAM lParam) {
    DLG_CLASS::OnInitDialog(wParam, lParam);
    vecEdit.resize(1);
    vecEdit[0].Init(this, NameDesc);
    Controls.push_back(&vecEdit[0]);
    ToControls();
    // The whole old name is selected, so that typing replaces it.
    plat::SetEditSel(hWnd, IDC_NAME_EDIT, 0, 0x7fffffff);
    if (SystemIni.English != 0) plat::SetDlgItemText(hWnd, IDC_NAME_LABEL, "     Name");
    bDlgInitDone = 1;
    return 1;
}

void cNameEntryDialog::OnCommand(plat::WPARAM wParam, plat::LPARAM lParam) {
    DLG_CLASS::OnCommand(wParam, lParam);
    if (!ReturnTrue(wParam)) return;
    switch (plat::LOWORD(wParam)) {
        case IDC_NAME_OK:
            FromControls();
            End(1);
            break;
        case IDC_NAME_CANCEL:
            End(0);
            break;
        default:
            break;
    }
}

plat::LRESULT cNameEntryDialog::WndProc(plat::HWND hwnd, std::uint32_t msg, plat::WPARAM wParam,
                                        plat::LPARAM lParam) {
    // The close box keeps the old name.
    return DispatchClosingAsCancel(hwnd, msg, wParam, lParam);
}

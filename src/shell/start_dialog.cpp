#include "shell/start_dialog.h"

#include "base/message_box.h"
#include "data/system_ini.h"
#include "data/system_record.h"
#include "platform/desktop.h"
#include "platform/dialog.h"
#include "platform/trunc.h"

cStartDialog* lpStartDialog = nullptr;

namespace {

// The dialog resource: 222 x 171 dialog units.
const plat::DlgTemplate& StartTemplate() {
    using K = plat::DlgItemKind;
    static const plat::DlgTemplate dialog{
        "start",
        222,
        171,
        {
            {IDC_START_IMAGE, K::Bitmap, "", 7, 7, 20, 21, "", ""},
            {IDC_START, K::DefButton, "ゲーム開始", 80, 105, 50, 25, "start", ""},
            {IDC_CANCEL_START, K::Button, "ゲーム中止", 80, 140, 50, 18, "cancel", ""},
            {IDC_MODE_GROUP, K::GroupBox, "描画モード", 15, 15, 190, 55, "", ""},
            {IDC_DIRECT3D, K::Radio, "Direct3D", 20, 30, 42, 10, "mode", "d3d"},
            {IDC_DIRECTDRAW, K::Radio, "DirectDraw", 80, 30, 45, 10, "mode", "ddraw"},
            {IDC_HINT, K::Text, "詳細な設定は環境設定ファイル「System.ini」で行って下さい。", 20,
             50, 177, 12, "", ""},
            {IDC_NO_ASK, K::CheckBox, "次回からこのダイアログを表示しない", 50, 85, 120, 10,
             "noask", ""},
        }};
    return dialog;
}

plat::LRESULT StartDialogProc(plat::HWND hwnd, std::uint32_t msg, plat::WPARAM wParam,
                              plat::LPARAM lParam) {
    return lpStartDialog ? lpStartDialog->WndProc(hwnd, msg, wParam, lParam) : 0;
}

}  // namespace

cStartDialog::cStartDialog(cWindowBase& owner, cBootSettings& settings) : Settings(settings) {
    Init(kStartDialogResource, &owner, 1, &WindowList);
    SetGeometry(0, 0, 100, 100, 640, 480, 0x80000000u | plat::WS_CAPTION, 0, 0, 0, 0, 0);
    lpfnProc = StartDialogProc;
    lpStartDialog = this;
    nPlaceX = plat::TruncToInt(owner.ptWindow.x + 320.0 - 187.0);
    nPlaceY = plat::TruncToInt(owner.ptWindow.y + 240.0 - 136.0);
    vecRadio.resize(2);
    vecRadio[0].nId = IDC_DIRECT3D;
    vecRadio[0].Bind(&Settings.nDrawMode, 1);
    vecRadio[1].nId = IDC_DIRECTDRAW;
    vecRadio[1].Bind(&Settings.nDrawMode, 0);
    vecCheckBox.resize(1);
    vecCheckBox[0].nId = IDC_NO_ASK;
    vecCheckBox[0].Bind(&Settings.bNoAsk);
    vecPlain.resize(1);
    vecPlain[0].nId = IDC_HINT;
}

cStartDialog::~cStartDialog() {
    if (lpStartDialog == this) lpStartDialog = nullptr;
}

const plat::DlgTemplate& cStartDialog::Template() const {
    return StartTemplate();
}

plat::LRESULT cStartDialog::OnInitDialog(plat::WPARAM wParam, plat::LPARAM lParam) {
    DLG_CLASS::OnInitDialog(wParam, lParam);
    plat::SetDialogTitle(hWnd, EdSystem.strTitle.c_str());
    for (cCtrlRadio& radio : vecRadio) {
        radio.Attach(this, radio.nId);
        Controls.push_back(&radio);
    }
    for (cCtrlCheckBox& check : vecCheckBox) {
        check.Attach(this, check.nId);
        Controls.push_back(&check);
    }
    for (cCtrlPlain& plain : vecPlain) {
        plain.Attach(this, plain.nId);
        Controls.push_back(&plain);
    }
    ToControls();
    if (SystemIni.English != 0) {
        plat::SetDlgItemText(hWnd, IDC_MODE_GROUP, "Drawing mode");
        plat::SetDlgItemText(hWnd, IDC_START, "Start");
        plat::SetDlgItemText(hWnd, IDC_CANCEL_START, "Cancel");
        plat::SetDlgItemText(hWnd, IDC_HINT, "Configure the detail settings at \"System.ini\".");
        plat::SetDlgItemText(hWnd, IDC_NO_ASK, "Do not ask this dialog again");
    }
    // The pointer rests on Start, as it was laid out.
    plat::RECT start{};
    if (plat::GetDlgItemRect(hWnd, IDC_START, &start))
        plat::SetCursorPos((start.left + start.right) / 2, (start.top + start.bottom) / 2);
    bDlgInitDone = 1;
    return 1;
}

void cStartDialog::OnCommand(plat::WPARAM wParam, plat::LPARAM lParam) {
    DLG_CLASS::OnCommand(wParam, lParam);
    if (!ReturnTrue(wParam)) return;
    switch (plat::LOWORD(wParam)) {
        case IDC_START:
            FromControls();
            // A failed write keeps the old file; the choice still applies to this start.
            SaveBootSettings();
            End(1);
            break;
        case IDC_CANCEL_START:
            End(0);
            break;
        default:
            break;
    }
}

plat::LRESULT cStartDialog::WndProc(plat::HWND hwnd, std::uint32_t msg, plat::WPARAM wParam,
                                    plat::LPARAM lParam) {
    // The close box counts as Cancel.
    return DispatchClosingAsCancel(hwnd, msg, wParam, lParam);
}

int bStartCancelled = 0;

bool ChooseDrawingMode(cWindowBase& mainWnd) {
    if (SystemIni.Direct3D < 2) return true;
    LoadBootSettings();
    if (BootSettings.bNoAsk == 0) {
        cStartDialog dialog(mainWnd, BootSettings);
        const plat::LRESULT result = dialog.DoModal(0);
        if (result == -1) {
            MemoryErrorAndClose();
            return false;
        }
        if (result != 1) {
            bStartCancelled = 1;
            return false;
        }
    }
    SystemIni.Direct3D = BootSettings.nDrawMode == 1 ? 1 : 0;
    return true;
}

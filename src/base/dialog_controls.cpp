#include "base/dialog_controls.h"

#include "base/dialog_base.h"
#include "platform/desktop.h"
#include "platform/dialog.h"

void cCtrlBase::Enable(bool enable) {
    plat::EnableDlgItem(hWndDlg, nId, enable);
}

void cCtrlBase::Attach(DLG_CLASS* dialog, int id) {
    lpDialog = dialog;
    hWndDlg = dialog ? dialog->hWnd : nullptr;
    nId = id & 0xFFFF;
    UpdatePos();
}

void cCtrlBase::UpdatePos() {
    plat::RECT rect{};
    if (!plat::GetDlgItemRect(hWndDlg, nId, &rect)) return;
    nScreenLeft = rect.left;
    nScreenTop = rect.top;
    plat::RECT outer{};
    plat::GetWindowRect(hWndDlg, &outer);
    nRelX = rect.left - (lpDialog ? lpDialog->nFrameLeft : 0) - outer.left;
    nRelY = rect.top - (lpDialog ? lpDialog->nFrameTop : 0) - outer.top;
}

void cCtrlBase::Resize(int, int) {
    // Controls keep their template rectangles.
    UpdatePos();
}

void cCtrlBase::SetText(const char* text) {
    plat::SetDlgItemText(hWndDlg, nId, text);
}

void cCtrlCheckBox::ToControl() {
    if (lpValue) plat::CheckDlgButton(hWndDlg, nId, *lpValue ? plat::BST_CHECKED : 0);
}

void cCtrlCheckBox::FromControl() {
    if (lpValue) *lpValue = plat::IsDlgButtonChecked(hWndDlg, nId);
}

void cCtrlRadio::ToControl() {
    if (lpValue) plat::CheckDlgButton(hWndDlg, nId, *lpValue == nOwnValue ? plat::BST_CHECKED : 0);
}

void cCtrlRadio::FromControl() {
    if (lpValue && plat::IsDlgButtonChecked(hWndDlg, nId) != 0) *lpValue = nOwnValue;
}

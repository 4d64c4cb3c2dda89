#include "base/dialog_base.h"

#include "base/globals.h"
#include "base/message_box.h"
#include "platform/desktop.h"

void DLG_CLASS::Init(int resourceId, cWindowBase* owner, int creatorValue, cWindowList* registry) {
    bDlgInitDone = 0;
    bModeless = 0;
    dwModalFlags = 0;
    nCreatorValue = creatorValue;
    cWindowBase::Init(resourceId, owner ? owner->hWnd : nullptr, registry);
    lpOwner = owner;
}

plat::LRESULT DLG_CLASS::DoModal(std::uint32_t flags) {
    if (hWnd) return 0;
    End(0);
    bModeless = 0;
    dwModalFlags = flags;
    if (lpRegistry && (flags & 2)) lpRegistry->ShowAll(false);
    if (lpRegistry && (flags & 4)) lpRegistry->EnableAll(false);
    const plat::LRESULT result = plat::DialogBox(Template(), hWndOwner, lpfnProc);
    hWnd = nullptr;
    if (lpRegistry && (flags & 2)) lpRegistry->ShowAll(true);
    if (lpRegistry && (flags & 4)) lpRegistry->EnableAll(true);
    return result;
}

void DLG_CLASS::End(plat::LRESULT result) {
    nResult = result;
    Controls.Clear();
    if (hWnd) plat::EndDialog(hWnd, result);
}

void DLG_CLASS::ToControls() {
    for (cCtrlBase* control : Controls) control->ToControl();
}

void DLG_CLASS::FromControls() {
    for (cCtrlBase* control : Controls) control->FromControl();
}

plat::LRESULT DLG_CLASS::OnInitDialog(plat::WPARAM, plat::LPARAM) {
    Controls.Clear();
    // The template's size is the client size; a dialog that wants another says so.
    rcClient = plat::RECT{0, 0, plat::DialogUnitsToPixelsX(Template().cx),
                          plat::DialogUnitsToPixelsY(Template().cy)};
    Recalc();
    plat::RECT outer{};
    plat::GetWindowRect(hWnd, &outer);
    plat::SetWindowPos(hWnd, outer.left, outer.top, rcWindow.right, rcWindow.bottom);
    RefreshStyle();
    if (ptWanted.x != 0) SetClientSize(ptWanted.x, ptWanted.y);
    Place();
    // Enter, Tab and the input method are the window system's own; no key copies are kept.
    UpdateMouse(false, 7);
    return 1;
}

void DLG_CLASS::OnCommand(plat::WPARAM wParam, plat::LPARAM) {
    const int id = static_cast<int>(plat::LOWORD(wParam));
    const std::uint32_t code = plat::HIWORD(wParam);
    for (cCtrlBase* control : Controls) {
        if (control->nId != id) continue;
        if (control->nKind == 2 || control->nKind == kCtrlEdit) {
            if (code == plat::EN_UPDATE) {
                control->OnChange();
                break;
            }
            if (code == plat::EN_KILLFOCUS) {
                control->OnKillFocus();
                break;
            }
        } else if (control->nKind == kCtrlList && code == 1) {
            control->OnChange();
            break;
        } else if (control->nKind == kCtrlRedrawn && (code == 1 || code == 5)) {
            if (code == 1)
                control->OnChange();
            else
                control->OnKillFocus();
            break;
        }
    }
    for (cCtrlBase* control : Controls)
        if (control->nKind == kCtrlRedrawn) control->Refresh();
}

plat::LRESULT DLG_CLASS::Dispatch(plat::HWND hwnd, std::uint32_t msg, plat::WPARAM wParam,
                                  plat::LPARAM lParam) {
    const plat::LRESULT r = cWindowBase::Dispatch(hwnd, msg, wParam, lParam);
    switch (msg) {
        case plat::WM_DESTROY:
            RestoreOthers();
            break;
        case plat::WM_INITDIALOG:
            OnInitDialog(wParam, lParam);
            break;
        default:
            break;
    }
    return r;
}

void DLG_CLASS::RefreshControls() {
    for (cCtrlBase* control : Controls)
        if (control->nKind == kCtrlRedrawn) control->Redraw();
}

void DLG_CLASS::RestoreOthers() {
    if (!lpRegistry) return;
    if (dwModalFlags & 2) lpRegistry->ShowAll(true);
    if (dwModalFlags & 4) lpRegistry->EnableAll(true);
}

cCtrlBase* FindControlById(CheckedVector<cCtrlBase*>& controls, int id) {
    for (cCtrlBase* control : controls)
        if (control->nId == id) return control;
    DebugErrorBox("コントロールID 【%u】 が見つかりません！", static_cast<unsigned>(id));
    plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
    return nullptr;
}

plat::LRESULT DLG_CLASS::DispatchClosingAsCancel(plat::HWND hwnd, std::uint32_t msg,
                                                 plat::WPARAM wParam, plat::LPARAM lParam) {
    const plat::LRESULT r = Dispatch(hwnd, msg, wParam, lParam);
    if (msg == plat::WM_DESTROY) return 1;
    if (msg == plat::WM_CLOSE) {
        End(0);
        return 1;
    }
    return r != 0 ? 1 : 0;
}

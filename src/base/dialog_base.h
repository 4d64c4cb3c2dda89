// The dialog base: runs a dialog template modally, owns its control objects, moves the
// values between the controls and the variables bound to them, routes the controls'
// notifications and ends the dialog with a result. Concrete dialogs supply the template,
// a static dialog procedure that finds their object, and their own command handling.
#pragma once

#include <cstdint>

#include "base/checked_vector.h"
#include "base/dialog_controls.h"
#include "base/window_base.h"
#include "platform/dialog.h"

class DLG_CLASS : public cWindowBase {
public:
    DLG_CLASS() = default;
    ~DLG_CLASS() override = default;

    void Init(int resourceId, cWindowBase* owner, int creatorValue, cWindowList* registry);
    // The dialog's result, or 0 when the dialog already has a window.
    plat::LRESULT DoModal(std::uint32_t flags);
    void End(plat::LRESULT result);
    void ToControls();
    void FromControls();
    virtual plat::LRESULT OnInitDialog(plat::WPARAM wParam, plat::LPARAM lParam);
    void OnCommand(plat::WPARAM wParam, plat::LPARAM lParam) override;
    plat::LRESULT Dispatch(plat::HWND hwnd, std::uint32_t msg, plat::WPARAM wParam,
                           plat::LPARAM lParam) override;
    virtual void RefreshControls();
    void RestoreOthers();

    int bDlgInitDone = 0;
    int bModeless = 0;
    std::uint32_t dwModalFlags = 0;
    plat::LRESULT nResult = 0;
    cWindowBase* lpOwner = nullptr;
    plat::DLGPROC lpfnProc = nullptr;
    CheckedVector<cCtrlBase*> Controls;

protected:
    // The dialog resource.
    virtual const plat::DlgTemplate& Template() const = 0;
    // The window procedure of a dialog whose close box ends it with 0 (its Cancel): the
    // message goes through Dispatch; WM_CLOSE and WM_DESTROY count as handled.
    plat::LRESULT DispatchClosingAsCancel(plat::HWND hwnd, std::uint32_t msg, plat::WPARAM wParam,
                                          plat::LPARAM lParam);
};

// The command filter of the concrete dialogs: lets every command through.
inline int ReturnTrue(plat::WPARAM) {
    return 1;
}

// Looks a control up by id; a missing id shows the debug box and asks the program to close.
cCtrlBase* FindControlById(CheckedVector<cCtrlBase*>& controls, int id);

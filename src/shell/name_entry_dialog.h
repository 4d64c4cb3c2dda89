// The ranking-name dialog: a small modal dialog with one field of up to three characters
// (a double-byte character counting one) and OK. OK keeps the typed name in the bound
// string; the close box keeps the old one.
#pragma once

#include <string>

#include "base/checked_vector.h"
#include "base/dialog_base.h"
#include "base/edit_control.h"

inline constexpr int kNameEntryResource = 102;
inline constexpr int IDC_NAME_IMAGE = 1075;
inline constexpr int IDC_NAME_EDIT = 1003;
inline constexpr int IDC_NAME_OK = 1000;
inline constexpr int IDC_NAME_CANCEL = 1001;
inline constexpr int IDC_NAME_LABEL = 1007;
// Characters of a ranking name.
inline constexpr int kRankNameChars = 3;

class cNameEntryDialog : public DLG_CLASS {
public:
    // Placed at (240, 220) of the screen in full screen, of the owner's window otherwise;
    // the mouse pointer goes to (80, 65) from there. `name` is the string the field edits.
    cNameEntryDialog(cWindowBase& owner, std::string& name);
    ~cNameEntryDialog() override;

    plat::LRESULT WndProc(plat::HWND hwnd, std::uint32_t msg, plat::WPARAM wParam,
                          plat::LPARAM lParam) override;
    void OnCommand(plat::WPARAM wParam, plat::LPARAM lParam) override;
    plat::LRESULT OnInitDialog(plat::WPARAM wParam, plat::LPARAM lParam) override;

    EditCtrlDesc NameDesc;
    CheckedVector<cCtrlEdit> vecEdit;

protected:
    const plat::DlgTemplate& Template() const override;
};

// The dialog that is open, for its dialog procedure.
extern cNameEntryDialog* lpNameEntryDialog;

// The string the dialog edits now: the options' fixed name while the title choice is the
// options, else the game scene's name to register; null when neither exists.
std::string* NameEntryTarget();

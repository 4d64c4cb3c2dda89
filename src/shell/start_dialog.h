// The start dialog: before the display opens it asks for the drawing mode (Direct3D or
// DirectDraw) and whether to ask again. Start stores the choice in user_data\Boot.dat;
// Cancel and the close box end the start.
#pragma once

#include "base/checked_vector.h"
#include "base/dialog_base.h"
#include "data/boot_settings.h"

inline constexpr int kStartDialogResource = 103;
inline constexpr int IDC_START = 1000;
inline constexpr int IDC_CANCEL_START = 1001;
inline constexpr int IDC_DIRECT3D = 1002;
inline constexpr int IDC_DIRECTDRAW = 1003;
inline constexpr int IDC_NO_ASK = 1004;
inline constexpr int IDC_HINT = 1005;
inline constexpr int IDC_MODE_GROUP = 1006;
inline constexpr int IDC_START_IMAGE = 1075;

class cStartDialog : public DLG_CLASS {
public:
    // Placed over the middle of the owner's 640 x 480 client area.
    cStartDialog(cWindowBase& owner, cBootSettings& settings);
    ~cStartDialog() override;

    plat::LRESULT WndProc(plat::HWND hwnd, std::uint32_t msg, plat::WPARAM wParam,
                          plat::LPARAM lParam) override;
    void OnCommand(plat::WPARAM wParam, plat::LPARAM lParam) override;
    plat::LRESULT OnInitDialog(plat::WPARAM wParam, plat::LPARAM lParam) override;

    cBootSettings& Settings;
    CheckedVector<cCtrlRadio> vecRadio;
    CheckedVector<cCtrlCheckBox> vecCheckBox;
    CheckedVector<cCtrlPlain> vecPlain;

protected:
    const plat::DlgTemplate& Template() const override;
};

// The dialog being shown: its dialog procedure has no object of its own.
extern cStartDialog* lpStartDialog;

// The start-up step: with Direct3D 2 or more in System.ini, the stored choice (or the
// dialog) decides the drawing mode. False when the user cancelled.
bool ChooseDrawingMode(cWindowBase& mainWnd);
// 1 once the user ended the start in the dialog (Cancel or its close box).
extern int bStartCancelled;

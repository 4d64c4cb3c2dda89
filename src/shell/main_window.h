// The main window: the player's one top-level window and its procedure. The procedure keeps
// what the display needs of the window (where its client area is, whether the program is
// active), closes the program in order on WM_CLOSE, and serves the requests the game thread
// sends: dialogs, sound effects, music and the reset of a lost Direct3D display.
#pragma once

#include <cstdint>

#include "base/window_base.h"
#include "platform/desktop.h"
#include "platform/messages.h"

class cMainWnd : public cWindowBase {
public:
    plat::LRESULT WndProc(plat::HWND hwnd, std::uint32_t msg, plat::WPARAM wParam,
                          plat::LPARAM lParam) override;
    plat::LRESULT Dispatch(plat::HWND hwnd, std::uint32_t msg, plat::WPARAM wParam,
                           plat::LPARAM lParam) override;
    virtual void OnCreate(plat::HWND, plat::LPARAM) {}

    // The editor's two notifications of a test play: dwData 1 with value 1 when the window
    // exists, dwData 0 with the result (1 after a run, 0 for a failed start) at the end. The
    // sender is this window, or none once its handle has been cleared.
    void NotifyEditorStart();
    void NotifyEditorEnd(int value);

    int bCreated = 0;
};

// The registered procedure of the main window: every message goes to MainWnd.
plat::LRESULT MainWndProc(plat::HWND hwnd, std::uint32_t msg, plat::WPARAM wParam,
                          plat::LPARAM lParam);

extern cMainWnd MainWnd;

inline constexpr std::uint32_t kMainWindowStyle =
    0x80000000u | plat::WS_CAPTION | plat::WS_SYSMENU | plat::WS_MINIMIZEBOX | plat::WS_MAXIMIZEBOX;

// The main window's procedure: what the game thread needs of the window thread. It plays the
// sound effects and the music the game asks for (and keeps the stage music number that the
// stage set-up's keep-music rule reads), resets the Direct3D display after a lost device,
// follows the window's activity, and on WM_CLOSE stops the music and ends the worker threads
// and the game thread before it destroys the window.
//
// PLACEHOLDER(shell): the rest of the procedure comes with the application shell, and with
// it the save of the window placement on close.
#pragma once

#include <cstdint>

#include "base/window_base.h"
#include "platform/desktop.h"
#include "platform/messages.h"

plat::LRESULT MainWndProc(plat::HWND hwnd, std::uint32_t msg, plat::WPARAM wParam,
                          plat::LPARAM lParam);

// The main window's object in the window library: its geometry and where it stands.
extern cWindowBase MainWnd;
inline constexpr std::uint32_t kMainWindowStyle =
    0x80000000u | plat::WS_CAPTION | plat::WS_SYSMENU | plat::WS_MINIMIZEBOX | plat::WS_MAXIMIZEBOX;

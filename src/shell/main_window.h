// The main window's procedure: what the game thread needs of the window thread. It records
// the sound and music requests (and keeps the stage music number that the stage set-up's
// keep-music rule reads), resets the Direct3D display after a lost device, follows the
// window's activity, and on WM_CLOSE ends the worker threads and the game thread before it
// destroys the window.
//
// PLACEHOLDER(shell): the rest of the procedure comes with the application shell, and with
// it the save of the window placement on close.
// PLACEHOLDER(sound): the recorded sound and music requests are played once sound and music
// exist.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/messages.h"

struct WindowRequest {
    std::uint32_t message = 0;
    plat::WPARAM wParam = 0;
    plat::LPARAM lParam = 0;
};

plat::LRESULT MainWndProc(plat::HWND hwnd, std::uint32_t msg, plat::WPARAM wParam,
                          plat::LPARAM lParam);

// The sound and music requests served so far, oldest first (they are also written to the
// error log when it is on).
std::vector<WindowRequest> WindowRequestsSoFar();
void ClearWindowRequests();

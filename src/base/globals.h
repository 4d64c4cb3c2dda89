// Process-wide values that many parts of the program read. Their setters come with
// start-up; flags polled across threads are atomic.
#pragma once

#include <atomic>

#include "platform/messages.h"

// The main window; the target of every close request from any thread.
extern plat::HWND hWndMain;
// wParam of the last WM_ACTIVATEAPP: frames run only while it is not 0.
extern std::atomic<int> bActiveApp;
// Set by the first close request; never cleared.
extern std::atomic<int> bQuit;
// 1 when the editor launched the player for a test play.
extern int bEditorLaunch;
// 1 during a test play from the editor.
extern int bTestPlay;

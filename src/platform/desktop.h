// The desktop as the window library sees it: system metrics, the work area, window
// rectangles on the screen and the mouse cursor. Headless, and wherever the window system
// gives no better answer, these are fixed values of a 1280 x 1024 desktop with a 30-pixel
// task bar, so layouts computed from them are the same on every machine.
#pragma once

#include <functional>

#include "platform/messages.h"
#include "platform/rect.h"

namespace plat {

// GetSystemMetrics indices, with their Windows values.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CXVSCROLL = 2;
constexpr int SM_CYHSCROLL = 3;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXDLGFRAME = 7;
constexpr int SM_CYDLGFRAME = 8;
constexpr int SM_CYMENU = 15;
constexpr int SM_CXFULLSCREEN = 16;
constexpr int SM_CYFULLSCREEN = 17;
constexpr int SM_CXFRAME = 32;
constexpr int SM_CYFRAME = 33;

// Window styles the window library reads, with their Windows values.
constexpr std::uint32_t WS_BORDER = 0x00800000u;
constexpr std::uint32_t WS_DLGFRAME = 0x00400000u;
constexpr std::uint32_t WS_CAPTION = 0x00C00000u;
constexpr std::uint32_t WS_SYSMENU = 0x00080000u;
constexpr std::uint32_t WS_THICKFRAME = 0x00040000u;
constexpr std::uint32_t WS_MINIMIZEBOX = 0x00020000u;
constexpr std::uint32_t WS_MAXIMIZEBOX = 0x00010000u;
constexpr std::uint32_t WS_DISABLED = 0x08000000u;
constexpr std::uint32_t WS_VISIBLE = 0x10000000u;

// 0 for an index the library does not use.
int GetSystemMetrics(int index);
// The desktop less the task bar (SystemParametersInfo SPI_GETWORKAREA).
RECT GetWorkArea();
// The desktop window's rectangle.
RECT GetDesktopRect();

// Outer rectangles of windows on the screen. A window never placed is at 0, 0 with no size.
// A window whose face can move (a dialog) registers a mover that follows every change.
bool SetWindowPos(HWND hwnd, int x, int y, int width, int height);
bool GetWindowRect(HWND hwnd, RECT* rect);
void SetWindowMover(HWND hwnd, std::function<void(const RECT&)> mover);
// Records where the window system put a window (the user moved it): no mover runs.
void NoteWindowRect(HWND hwnd, const RECT& rect);
void ForgetWindowRect(HWND hwnd);

// The mouse cursor in screen coordinates. Headless the position is only remembered; on a
// display the pointer is moved through the warp that the window system registered.
bool SetCursorPos(int x, int y);
bool GetCursorPos(POINT* point);
void SetPointerWarp(void (*warp)(int x, int y));

}  // namespace plat

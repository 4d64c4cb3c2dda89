// The program's window on the screen: the main window's face in the window system.
//
// With SDL the window lives on the window thread (the thread that owns the main window):
// it is created hidden, shown when start-up asks, shows the presenter's newest frame
// scaled into its client area with a letterbox, and turns its events into messages to the
// main window: WM_CLOSE from the close box, WM_ACTIVATEAPP from focus, WM_KEYDOWN for keys
// (the key table of keyboard.h is updated first), WM_MOVE and WM_SIZE, WM_PAINT on expose.
// Full screen is SDL's desktop full screen. Headless (K4_HEADLESS=1) it is an in-memory
// window that becomes active the moment it is shown, on a desktop of 32 bits per pixel (16
// with K4_DESKTOP_BPP=16).
//
// Every function may be called from any thread; the work runs on the window thread.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/messages.h"
#include "platform/rect.h"

namespace plat {

// Show commands, with their Windows values.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;
constexpr int SW_SHOWDEFAULT = 10;

// Window long indices and the style bits the display set-up writes.
constexpr int GWL_EXSTYLE = -20;
constexpr int GWL_STYLE = -16;
constexpr std::uint32_t WS_POPUP = 0x80000000u;
constexpr std::uint32_t WS_EX_TOPMOST = 0x00000008u;

// WM_SIZE's wParam.
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

// Results of ChangeDisplaySettings.
constexpr int DISP_CHANGE_SUCCESSFUL = 0;
constexpr int DISP_CHANGE_FAILED = -1;

inline LPARAM MAKELPARAM(int low, int high) {
    return static_cast<LPARAM>((static_cast<std::uint32_t>(high) & 0xFFFF) << 16 |
                               (static_cast<std::uint32_t>(low) & 0xFFFF));
}

// Gives the main window `hwnd` its window: hidden, with a client area of width x height.
// The title is CP932. False when no window can be made (no display: the reason goes to
// stderr); K4_FAIL=window_create simulates that.
bool OpenDisplayWindow(HWND hwnd, const char* title, int clientWidth, int clientHeight);
// Destroys the window (nothing when there is none).
void CloseDisplayWindow();
bool HasDisplayWindow();

// The previous visibility, as ShowWindow answers. Showing the headless window activates it
// (WM_ACTIVATEAPP with 1, sent on the window thread).
bool ShowWindow(HWND hwnd, int cmdShow);
bool IsWindowVisible(HWND hwnd);
bool IsIconic(HWND hwnd);
bool IsZoomed(HWND hwnd);
// The main window's sizing border (WS_THICKFRAME) and the client sizes it allows.
void SetWindowResizable(HWND hwnd, bool resizable);
void SetWindowSizeLimits(HWND hwnd, int minWidth, int minHeight, int maxWidth, int maxHeight);
// The client size the program gives the main window (a size restored at start): the window
// on the screen takes it.
void SetWindowClientSize(HWND hwnd, int width, int height);
bool SetWindowText(HWND hwnd, const char* title);
// Window longs are kept as written; the popup style and the top-most flag take effect with
// full screen, which the display device switches.
std::uint32_t SetWindowLong(HWND hwnd, int index, std::uint32_t value);
std::uint32_t GetWindowLong(HWND hwnd, int index);
bool GetClientRect(HWND hwnd, RECT* rect);
bool ClientToScreen(HWND hwnd, POINT* point);

// The cursor's display count, as ShowCursor keeps it: the cursor shows while it is 0 or more.
int ShowCursor(bool show);

// The desktop: bits per pixel (32 whenever a pixel takes 4 bytes) and refresh rate.
int GetDesktopBitsPerPixel();
int GetDesktopRefreshRate();
// ChangeDisplaySettings for the refresh rate alone: the program's display runs at 60 Hz
// and accepts 60 (K4_FAIL=display_refresh_rate: a 75 Hz desktop that cannot change).
int ChangeDisplayRefreshRate(int hz, bool testOnly);

// Full screen: the desktop's full screen, the frame scaled with a letterbox.
void SetDisplayFullScreen(bool on);
bool IsDisplayFullScreen();

// Tests: what the window shows, as A8R8G8B8 (SDL: read back from the renderer after the
// newest frame was drawn; headless: the newest frame). False when there is nothing.
bool ReadWindowPixels(std::vector<std::uint32_t>& argb, int& width, int& height);
// Tests: serves the window system once (events, newest frame) on the window thread.
void PumpDisplayWindow();

}  // namespace plat

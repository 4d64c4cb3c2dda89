// The display window of the main window, SDL or headless as the seams choose. The window
// object is touched only on the window thread; the public functions take their work there.
#include "platform/display_window.h"

#include <atomic>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/cp932.h"
#include "platform/desktop.h"
#include "platform/presenter.h"
#include "platform/seams.h"
#include "platform/window_backend.h"

namespace plat {
namespace {

// Owned by the window thread.
std::unique_ptr<WindowBackend> g_window;
std::atomic<HWND> g_hwnd{nullptr};
std::atomic<bool> g_open{false};

std::mutex g_stateMutex;  // the longs and the cursor count: any thread
std::map<int, std::uint32_t> g_longs;
int g_cursorCount = 0;

void Pump() {
    if (g_window) g_window->Pump();
}

// Runs on the window thread; `fallback` when closing or when there is no window.
template <class F>
LRESULT OnWindow(F&& task, LRESULT fallback) {
    return RunOnWindowThread([&]() -> LRESULT { return g_window ? task(*g_window) : fallback; },
                             fallback);
}

bool IsOurs(HWND hwnd) {
    return hwnd && hwnd == g_hwnd;
}

}  // namespace

bool OpenDisplayWindow(HWND hwnd, const char* title, int clientWidth, int clientHeight) {
    return RunOnWindowThread(
               [&]() -> LRESULT {
                   if (g_window) return 0;
                   if (FailStep("window_create")) {
                       std::fprintf(stderr, "kestrune4: no window: K4_FAIL=window_create\n");
                       return 0;
                   }
                   std::string error;
                   if (GetSeams().headless) {
                       g_window = CreateHeadlessWindow(hwnd, clientWidth, clientHeight);
                   } else {
                       g_window = CreateSdlWindow(hwnd, Cp932ToUtf8(title ? title : ""),
                                                  clientWidth, clientHeight, &error);
                       if (!g_window) {
                           std::fprintf(stderr, "kestrune4: the display cannot be opened: %s\n",
                                        error.c_str());
                           return 0;
                       }
                       SetFrameListener(&WakeWindowThread);
                       SetWindowSystemPump(&Pump);
                   }
                   g_hwnd = hwnd;
                   // A move of the main window by the program moves its face too.
                   SetWindowMover(hwnd, [](const RECT& rect) {
                       OnWindow(
                           [&](WindowBackend& w) -> LRESULT {
                               w.Move(rect);
                               return 0;
                           },
                           0);
                   });
                   {
                       std::lock_guard lock(g_stateMutex);
                       g_longs.clear();
                       g_cursorCount = 0;
                   }
                   g_open = true;
                   return 1;
               },
               0) != 0;
}

void CloseDisplayWindow() {
    RunOnWindowThread(
        []() -> LRESULT {
            if (g_hwnd) SetWindowMover(g_hwnd, nullptr);
            SetWindowSystemPump(nullptr);
            SetFrameListener(nullptr);
            g_window.reset();
            g_hwnd = nullptr;
            g_open = false;
            return 0;
        },
        0);
}

bool HasDisplayWindow() {
    return g_open;
}

bool ShowWindow(HWND hwnd, int cmdShow) {
    if (!IsOurs(hwnd)) return false;
    return OnWindow(
               [&](WindowBackend& w) -> LRESULT {
                   const bool was = w.Visible();
                   w.Show(cmdShow);
                   return was;
               },
               0) != 0;
}

bool IsWindowVisible(HWND hwnd) {
    if (!IsOurs(hwnd)) return false;
    return OnWindow([](WindowBackend& w) -> LRESULT { return w.Visible(); }, 0) != 0;
}

bool IsIconic(HWND hwnd) {
    if (!IsOurs(hwnd)) return false;
    return OnWindow([](WindowBackend& w) -> LRESULT { return w.Iconic(); }, 0) != 0;
}

bool IsZoomed(HWND hwnd) {
    if (!IsOurs(hwnd)) return false;
    return OnWindow([](WindowBackend& w) -> LRESULT { return w.Zoomed(); }, 0) != 0;
}

void SetWindowResizable(HWND hwnd, bool resizable) {
    if (!IsOurs(hwnd)) return;
    OnWindow(
        [&](WindowBackend& w) -> LRESULT {
            w.SetResizable(resizable);
            return 0;
        },
        0);
}

void SetWindowSizeLimits(HWND hwnd, int minWidth, int minHeight, int maxWidth, int maxHeight) {
    if (!IsOurs(hwnd)) return;
    OnWindow(
        [&](WindowBackend& w) -> LRESULT {
            w.SetSizeLimits(minWidth, minHeight, maxWidth, maxHeight);
            return 0;
        },
        0);
}

void SetWindowClientSize(HWND hwnd, int width, int height) {
    if (!IsOurs(hwnd)) return;
    OnWindow(
        [&](WindowBackend& w) -> LRESULT {
            w.SetClientSize(width, height);
            return 0;
        },
        0);
}

bool SetWindowText(HWND hwnd, const char* title) {
    if (!IsOurs(hwnd)) return false;
    const std::string utf8 = Cp932ToUtf8(title ? title : "");
    return OnWindow(
               [&](WindowBackend& w) -> LRESULT {
                   w.SetTitle(utf8);
                   return 1;
               },
               0) != 0;
}

std::uint32_t SetWindowLong(HWND hwnd, int index, std::uint32_t value) {
    if (!IsOurs(hwnd)) return 0;
    std::lock_guard lock(g_stateMutex);
    std::uint32_t& slot = g_longs[index];
    std::uint32_t old = slot;
    slot = value;
    return old;
}

std::uint32_t GetWindowLong(HWND hwnd, int index) {
    if (!IsOurs(hwnd)) return 0;
    std::lock_guard lock(g_stateMutex);
    auto it = g_longs.find(index);
    return it == g_longs.end() ? 0 : it->second;
}

bool GetClientRect(HWND hwnd, RECT* rect) {
    if (!rect || !IsOurs(hwnd)) return false;
    return OnWindow(
               [&](WindowBackend& w) -> LRESULT {
                   *rect = w.ClientRect();
                   return 1;
               },
               0) != 0;
}

bool ClientToScreen(HWND hwnd, POINT* point) {
    if (!point || !IsOurs(hwnd)) return false;
    return OnWindow(
               [&](WindowBackend& w) -> LRESULT {
                   POINT origin = w.ClientOrigin();
                   point->x += origin.x;
                   point->y += origin.y;
                   return 1;
               },
               0) != 0;
}

int ShowCursor(bool show) {
    int count;
    {
        std::lock_guard lock(g_stateMutex);
        count = show ? ++g_cursorCount : --g_cursorCount;
    }
    OnWindow(
        [&](WindowBackend& w) -> LRESULT {
            w.SetCursorVisible(count >= 0);
            return 0;
        },
        0);
    return count;
}

int GetDesktopBitsPerPixel() {
    return static_cast<int>(
        OnWindow([](WindowBackend& w) -> LRESULT { return w.DesktopBitsPerPixel(); }, 32));
}

int GetDesktopRefreshRate() {
    return FailStep("display_refresh_rate") ? 75 : 60;
}

int ChangeDisplayRefreshRate(int hz, bool /*testOnly*/) {
    // The program's display is paced by the presenter at 60 Hz; only that rate exists.
    if (hz != GetDesktopRefreshRate()) return DISP_CHANGE_FAILED;
    return DISP_CHANGE_SUCCESSFUL;
}

void SetDisplayFullScreen(bool on) {
    OnWindow(
        [&](WindowBackend& w) -> LRESULT {
            w.SetFullScreen(on);
            return 0;
        },
        0);
}

bool IsDisplayFullScreen() {
    return OnWindow([](WindowBackend& w) -> LRESULT { return w.FullScreen(); }, 0) != 0;
}

bool ReadWindowPixels(std::vector<std::uint32_t>& argb, int& width, int& height) {
    return OnWindow([&](WindowBackend& w) -> LRESULT { return w.ReadPixels(argb, width, height); },
                    0) != 0;
}

void PumpDisplayWindow() {
    OnWindow(
        [](WindowBackend& w) -> LRESULT {
            w.Pump();
            return 0;
        },
        0);
}

}  // namespace plat

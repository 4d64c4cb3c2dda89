#include "platform/desktop.h"

#include <map>
#include <mutex>

namespace plat {
namespace {

constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;
constexpr int kTaskBarHeight = 30;

struct Placed {
    RECT rect;
    std::function<void(const RECT&)> mover;
};

std::mutex g_mutex;
std::map<HWND, Placed> g_windows;
POINT g_cursor{kScreenWidth / 2, kScreenHeight / 2};
void (*g_warp)(int, int) = nullptr;

}  // namespace

int GetSystemMetrics(int index) {
    // The classic theme's values: the frame extents of the window library follow from them.
    switch (index) {
        case SM_CXSCREEN:
            return kScreenWidth;
        case SM_CYSCREEN:
            return kScreenHeight;
        case SM_CXVSCROLL:
        case SM_CYHSCROLL:
            return 17;
        case SM_CYCAPTION:
        case SM_CYMENU:
            return 19;
        // The client area of a maximised window: the work area less the caption.
        case SM_CXFULLSCREEN:
            return kScreenWidth;
        case SM_CYFULLSCREEN:
            return kScreenHeight - kTaskBarHeight - 19;
        case SM_CXDLGFRAME:
        case SM_CYDLGFRAME:
            return 3;
        case SM_CXFRAME:
        case SM_CYFRAME:
            return 4;
        default:
            return 0;
    }
}

RECT GetWorkArea() {
    return RECT{0, 0, kScreenWidth, kScreenHeight - kTaskBarHeight};
}

RECT GetDesktopRect() {
    return RECT{0, 0, kScreenWidth, kScreenHeight};
}

bool SetWindowPos(HWND hwnd, int x, int y, int width, int height) {
    if (!hwnd) return false;
    std::function<void(const RECT&)> mover;
    RECT rect{x, y, x + width, y + height};
    {
        std::lock_guard lock(g_mutex);
        Placed& placed = g_windows[hwnd];
        placed.rect = rect;
        mover = placed.mover;
    }
    if (mover) mover(rect);
    return true;
}

bool GetWindowRect(HWND hwnd, RECT* rect) {
    if (!hwnd || !rect) return false;
    std::lock_guard lock(g_mutex);
    auto it = g_windows.find(hwnd);
    *rect = it == g_windows.end() ? RECT{} : it->second.rect;
    return true;
}

void SetWindowMover(HWND hwnd, std::function<void(const RECT&)> mover) {
    std::lock_guard lock(g_mutex);
    g_windows[hwnd].mover = std::move(mover);
}

void NoteWindowRect(HWND hwnd, const RECT& rect) {
    if (!hwnd) return;
    std::lock_guard lock(g_mutex);
    g_windows[hwnd].rect = rect;
}

void ForgetWindowRect(HWND hwnd) {
    std::lock_guard lock(g_mutex);
    g_windows.erase(hwnd);
}

bool SetCursorPos(int x, int y) {
    void (*warp)(int, int) = nullptr;
    {
        std::lock_guard lock(g_mutex);
        g_cursor = POINT{x, y};
        warp = g_warp;
    }
    if (warp) warp(x, y);
    return true;
}

void SetPointerWarp(void (*warp)(int x, int y)) {
    std::lock_guard lock(g_mutex);
    g_warp = warp;
}

bool GetCursorPos(POINT* point) {
    if (!point) return false;
    std::lock_guard lock(g_mutex);
    *point = g_cursor;
    return true;
}

}  // namespace plat

#include "base/window_base.h"

#include "platform/desktop.h"
#include "platform/display_window.h"

cWindowList WindowList;

namespace {

constexpr int kNoRequest = -1000;

int ClientWidth(const cWindowBase& w) {
    return w.rcClient.right - w.rcClient.left;
}
int ClientHeight(const cWindowBase& w) {
    return w.rcClient.bottom - w.rcClient.top;
}

}  // namespace

cWindowBase::cWindowBase() = default;
cWindowBase::~cWindowBase() = default;

void cWindowBase::Init(int resourceId, plat::HWND owner, cWindowList* registry) {
    nResourceId = resourceId & 0xFFFF;
    hWndOwner = owner;
    lpRegistry = registry;
}

void cWindowBase::SetGeometry(int clientWidth, int clientHeight, int minWidth, int minHeight,
                              int maxWidth, int maxHeight, std::uint32_t style, int menu,
                              int toolRows, int statusKind, int extra, int scrollFlags) {
    ptWanted = plat::POINT{clientWidth, clientHeight};
    ptMinClient = plat::POINT{minWidth, minHeight};
    ptMaxClient = plat::POINT{maxWidth, maxHeight};
    dwStyle = style;
    bMenu = menu;
    nToolRows = toolRows;
    nStatusKind = statusKind;
    nExtra = extra;
    nScrollFlags = scrollFlags;
    rcDraw.left = 0;
    rcDraw.top = toolRows * kToolRowHeight;
    const int v = scrollFlags == 2 ? plat::GetSystemMetrics(plat::SM_CXVSCROLL) : 0;
    int h = scrollFlags == 1 ? plat::GetSystemMetrics(plat::SM_CYHSCROLL) : 0;
    if (statusKind == 1 || statusKind == 2) h += kStatusHeight;
    h += toolRows * kToolRowHeight;
    ptMinTrack = plat::POINT{minWidth + v, minHeight + h};
    ptMaxTrack = plat::POINT{maxWidth + v, maxHeight + h};
    rcClientInit = plat::RECT{0, 0, clientWidth + v, clientHeight + h};
    rcClient = rcClientInit;
    Recalc();
}

void cWindowBase::Recalc() {
    nFrameLeft = nFrameRight = nFrameTop = nFrameBottom = 0;
    if (dwStyle & (plat::WS_BORDER | plat::WS_DLGFRAME))
        nFrameTop += plat::GetSystemMetrics(plat::SM_CYCAPTION);
    if (dwStyle & plat::WS_THICKFRAME) {
        nFrameLeft = nFrameRight = plat::GetSystemMetrics(plat::SM_CXFRAME);
        nFrameTop += plat::GetSystemMetrics(plat::SM_CYFRAME);
        nFrameBottom = plat::GetSystemMetrics(plat::SM_CYFRAME);
    } else if (dwStyle & plat::WS_DLGFRAME) {
        nFrameLeft = nFrameRight = plat::GetSystemMetrics(plat::SM_CXDLGFRAME);
        nFrameTop += plat::GetSystemMetrics(plat::SM_CYDLGFRAME);
        nFrameBottom = plat::GetSystemMetrics(plat::SM_CYDLGFRAME);
    }
    if (bMenu) nFrameTop += plat::GetSystemMetrics(plat::SM_CYMENU);
    rcWindow = plat::RECT{0, 0, ClientWidth(*this) + nFrameLeft + nFrameRight,
                          ClientHeight(*this) + nFrameTop + nFrameBottom};
    rcDraw.left = 0;
    rcDraw.top = nToolRows * kToolRowHeight;
    int width = ClientWidth(*this);
    int height = ClientHeight(*this) - nToolRows * kToolRowHeight;
    if (nScrollFlags == 2) width -= plat::GetSystemMetrics(plat::SM_CXVSCROLL);
    if (nScrollFlags == 1) height -= plat::GetSystemMetrics(plat::SM_CYHSCROLL);
    if (nStatusKind == 1) height -= kStatusHeight;
    rcDraw.right = rcDraw.left + width;
    rcDraw.bottom = rcDraw.top + height;
}

void cWindowBase::RefreshStyle() {
    // The style lives in this object (the window system's own frame is not the program's
    // concern); the client rectangle is the window's outer one less the frame extents.
    if (hWnd) {
        plat::RECT outer{};
        plat::GetWindowRect(hWnd, &outer);
        if (outer.right > outer.left) {
            Recalc();
            rcClient = plat::RECT{0, 0, outer.right - outer.left - nFrameLeft - nFrameRight,
                                  outer.bottom - outer.top - nFrameTop - nFrameBottom};
        }
    }
    Recalc();
}

void cWindowBase::AddStyle(std::uint32_t bits) {
    dwStyle |= bits;
    RefreshStyle();
}

void cWindowBase::RemoveStyle(std::uint32_t bits) {
    dwStyle &= ~bits;
    RefreshStyle();
}

void cWindowBase::SetClientSize(int width, int height) {
    rcClient = plat::RECT{0, 0, width, height};
    Recalc();
    if (hWnd) {
        plat::RECT outer{};
        plat::GetWindowRect(hWnd, &outer);
        plat::SetWindowPos(hWnd, outer.left, outer.top, width + nFrameLeft + nFrameRight,
                           height + nFrameTop + nFrameBottom);
        // The window system's window has no frame of ours: it takes the client size itself.
        plat::SetWindowClientSize(hWnd, width, height);
    }
    Recalc();
}

void cWindowBase::MoveTo(int x, int y) {
    if (hWnd) plat::SetWindowPos(hWnd, x, y, rcWindow.right, rcWindow.bottom);
    ptWindow = plat::POINT{x, y};
    Recalc();
}

void cWindowBase::CentreOnDesktop() {
    const plat::RECT desktop = plat::GetDesktopRect();
    MoveTo((rcWindow.left + desktop.right - rcWindow.right) / 2,
           (rcWindow.top + desktop.bottom - rcWindow.bottom) / 2);
}

void cWindowBase::Place() {
    int x = 0, y = 0;
    auto centreOver = [&](const cWindowBase& other) {
        x = other.ptWindow.x;
        y = other.ptWindow.y;
        if (bCentre) {
            x += ClientWidth(other) / 2 - ClientWidth(*this) / 2;
            y += ClientHeight(other) / 2 - ClientHeight(*this) / 2;
        }
    };
    if (lpOwnerWnd) {
        centreOver(*lpOwnerWnd);
    } else if (lpTargetWnd && lpTargetWnd->hWnd) {
        centreOver(*lpTargetWnd);
    } else if (nPlaceX != kNoRequest && nPlaceY != kNoRequest) {
        x = nPlaceX;
        y = nPlaceY;
    } else {
        return;
    }
    const plat::RECT work = plat::GetWorkArea();
    const int width = rcWindow.right - rcWindow.left;
    const int height = rcWindow.bottom - rcWindow.top;
    if (x < 0)
        x = 0;
    else if (x + width >= work.right)
        x = work.right - width;
    if (y < 0)
        y = 0;
    else if (y + height >= work.bottom)
        y = work.bottom - height;
    MoveTo(x, y);
}

plat::POINT cWindowBase::GetWindowPos() const {
    plat::RECT outer{};
    if (hWnd) plat::GetWindowRect(hWnd, &outer);
    return plat::POINT{outer.left, outer.top};
}

void cWindowBase::GetClientRect(plat::RECT* rect) const {
    if (!hWnd || !rect) return;
    *rect = rcClient;
}

void cWindowBase::GetMinMaxInfo(MINMAXINFO* info) const {
    info->ptMinTrackSize = plat::POINT{ptMinTrack.x + nFrameLeft + nFrameRight,
                                       ptMinTrack.y + nFrameTop + nFrameBottom};
    info->ptMaxTrackSize = plat::POINT{ptMaxTrack.x + nFrameLeft + nFrameRight,
                                       ptMaxTrack.y + nFrameTop + nFrameBottom};
}

bool cWindowBase::UpdateMouse(bool allowOutside, int /*parts*/) {
    // Only the position is kept: nothing in the player reads the button edges of a window.
    plat::POINT cursor;
    plat::GetCursorPos(&cursor);
    plat::RECT outer{};
    if (hWnd) plat::GetWindowRect(hWnd, &outer);
    const int x = cursor.x - outer.left - nFrameLeft - rcDraw.left;
    const int y = cursor.y - outer.top - nFrameTop - rcDraw.top;
    const int width = rcDraw.right - rcDraw.left, height = rcDraw.bottom - rcDraw.top;
    if (!allowOutside && (x < 0 || x >= width || y < 0 || y >= height)) return false;
    Mouse.x = x;
    Mouse.y = y;
    return true;
}

plat::LRESULT cWindowBase::Dispatch(plat::HWND hwnd, std::uint32_t msg, plat::WPARAM wParam,
                                    plat::LPARAM lParam) {
    hWnd = hwnd;
    if (msg == plat::WM_COMMAND) {
        // A command that arrives while one is handled (through a nested box) is refused.
        if (bInCommand) return 0;
        bInCommand = 1;
    }
    UpdateMouse(false, 7);
    switch (msg) {
        case plat::WM_DESTROY:
            hWnd = nullptr;
            return 1;
        case plat::WM_MOVE: {
            plat::RECT outer{};
            plat::GetWindowRect(hwnd, &outer);
            ptWindow = plat::POINT{outer.left, outer.top};
            return 1;
        }
        case plat::WM_SIZE:
            RefreshStyle();
            return 1;
        case plat::WM_ACTIVATEAPP:
            return 1;
        case plat::WM_PAINT:
            OnPaint();
            return 1;
        case plat::WM_GETMINMAXINFO:
            if (lParam) GetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
            return 1;
        case plat::WM_COMMAND:
            OnCommand(wParam, lParam);
            bInCommand = 0;
            return 1;
        case WM_MOUSEMOVE:
            OnMouseMove(wParam, lParam);
            return 1;
        case WM_LBUTTONDOWN:
            OnLButtonDown(wParam, lParam);
            return 1;
        case WM_RBUTTONDOWN:
            OnRButtonDown(wParam, lParam);
            return 1;
        case WM_LBUTTONDBLCLK:
            OnLButtonDblClk(wParam, lParam);
            return 1;
        case WM_RBUTTONDBLCLK:
            OnRButtonDblClk(wParam, lParam);
            return 1;
        case WM_LBUTTONUP:
            OnLButtonUp(wParam, lParam);
            return 1;
        case WM_RBUTTONUP:
            OnRButtonUp(wParam, lParam);
            return 1;
        default:
            return 0;
    }
}

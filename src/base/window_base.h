// The root of the window library: a window's object. It computes the outer size of a window
// from the client size it wants and its style, places it (over an owner, over a target, or at
// a requested position, kept inside the work area), and turns messages into virtual handlers.
// The main window and every dialog derive from it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/messages.h"
#include "platform/rect.h"

// Messages the dispatcher knows besides those of platform/messages.h.
inline constexpr std::uint32_t WM_MOUSEMOVE = 0x0200;
inline constexpr std::uint32_t WM_LBUTTONDOWN = 0x0201;
inline constexpr std::uint32_t WM_LBUTTONUP = 0x0202;
inline constexpr std::uint32_t WM_LBUTTONDBLCLK = 0x0203;
inline constexpr std::uint32_t WM_RBUTTONDOWN = 0x0204;
inline constexpr std::uint32_t WM_RBUTTONUP = 0x0205;
inline constexpr std::uint32_t WM_RBUTTONDBLCLK = 0x0206;

inline constexpr int kToolRowHeight = 28;
inline constexpr int kStatusHeight = 20;

// The cursor in drawing-area coordinates and the buttons' states and edges.
struct MOUSEINFO {
    int x = 0;
    int y = 0;
    int bLeft = 0, bRight = 0;
    int bLeftPushed = 0, bRightPushed = 0;
    int bLeftReleased = 0, bRightReleased = 0;
};

// The WM_GETMINMAXINFO record.
struct MINMAXINFO {
    plat::POINT ptReserved;
    plat::POINT ptMaxSize;
    plat::POINT ptMaxPosition;
    plat::POINT ptMinTrackSize;
    plat::POINT ptMaxTrackSize;
};

// The registry that lets a modal dialog hide or disable the other windows. Only modeless
// dialogs would enter it, and the player has none, so both operations find it empty.
class cWindowList {
public:
    void ShowAll(bool) {}
    void EnableAll(bool) {}
};

extern cWindowList WindowList;

class cWindowBase {
public:
    cWindowBase();
    virtual ~cWindowBase();
    cWindowBase(const cWindowBase&) = delete;
    cWindowBase& operator=(const cWindowBase&) = delete;

    void Init(int resourceId, plat::HWND owner, cWindowList* registry);
    void SetGeometry(int clientWidth, int clientHeight, int minWidth, int minHeight, int maxWidth,
                     int maxHeight, std::uint32_t style, int menu, int toolRows, int statusKind,
                     int extra, int scrollFlags);
    void Recalc();
    void RefreshStyle();
    void AddStyle(std::uint32_t bits);
    void RemoveStyle(std::uint32_t bits);
    void SetClientSize(int width, int height);
    void MoveTo(int x, int y);
    void CentreOnDesktop();
    void Place();
    plat::POINT GetWindowPos() const;
    void GetClientRect(plat::RECT* rect) const;
    void GetMinMaxInfo(MINMAXINFO* info) const;
    bool UpdateMouse(bool allowOutside, int parts);

    virtual void OnCommand(plat::WPARAM, plat::LPARAM) {}
    virtual void OnMouseMove(plat::WPARAM, plat::LPARAM) {}
    virtual void OnLButtonDown(plat::WPARAM, plat::LPARAM) {}
    virtual void OnRButtonDown(plat::WPARAM, plat::LPARAM) {}
    virtual void OnLButtonDblClk(plat::WPARAM, plat::LPARAM) {}
    virtual void OnRButtonDblClk(plat::WPARAM, plat::LPARAM) {}
    virtual void OnLButtonUp(plat::WPARAM, plat::LPARAM) {}
    virtual void OnRButtonUp(plat::WPARAM, plat::LPARAM) {}
    virtual plat::LRESULT WndProc(plat::HWND, std::uint32_t, plat::WPARAM, plat::LPARAM) {
        return 0;
    }
    virtual plat::LRESULT Dispatch(plat::HWND hwnd, std::uint32_t msg, plat::WPARAM wParam,
                                   plat::LPARAM lParam);
    virtual void OnPaint() {}

    int nCreatorValue = 0;
    plat::HWND hWnd = nullptr;
    int nResourceId = 0;
    plat::HWND hWndOwner = nullptr;
    cWindowList* lpRegistry = nullptr;
    plat::POINT ptWindow;
    plat::RECT rcDraw;
    MOUSEINFO Mouse;
    plat::RECT rcClientInit, rcClient;
    plat::POINT ptMinTrack, ptMaxTrack, ptWanted, ptMinClient, ptMaxClient;
    plat::RECT rcWindow;
    std::uint32_t dwStyle = 0;
    int bMenu = 0, nToolRows = 0, nStatusKind = 0, nExtra = 0, nScrollFlags = 0;
    int nFrameLeft = 0, nFrameRight = 0, nFrameTop = 0, nFrameBottom = 0;
    int bInCommand = 0;
    std::string strName;
    // The placement request: a target window, or a position (-1000 meaning none), and the
    // owner to centre over.
    cWindowBase* lpTargetWnd = nullptr;
    int nPlaceX = -1000, nPlaceY = -1000;
    cWindowBase* lpOwnerWnd = nullptr;
    int bCentre = 0;
};

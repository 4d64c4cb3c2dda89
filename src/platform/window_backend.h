// The two faces of the display window (display_window.h): SDL and headless. Internal to
// the platform layer; every call comes on the window thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "platform/rect.h"

namespace plat {

class WindowBackend {
public:
    virtual ~WindowBackend() = default;

    virtual void Show(int cmdShow) = 0;
    virtual bool Visible() const = 0;
    virtual bool Iconic() const = 0;
    virtual bool Zoomed() const { return false; }
    // The outer rectangle the program gave the window (SetWindowPos).
    virtual void Move(const RECT&) {}
    // The client size the user may drag the window to; only with a sizing border.
    virtual void SetSizeLimits(int, int, int, int) {}
    virtual void SetResizable(bool) {}
    // The client size the program gave the window.
    virtual void SetClientSize(int, int) {}
    virtual void SetTitle(const std::string& utf8) = 0;
    virtual RECT ClientRect() const = 0;
    virtual POINT ClientOrigin() const = 0;
    virtual void SetCursorVisible(bool visible) = 0;
    virtual int DesktopBitsPerPixel() const = 0;
    virtual void SetFullScreen(bool on) = 0;
    virtual bool FullScreen() const = 0;
    // Turns pending events into messages and shows a newly presented frame.
    virtual void Pump() = 0;
    virtual bool ReadPixels(std::vector<std::uint32_t>& argb, int& width, int& height) = 0;
};

// Null with the reason in *error when SDL cannot open a window.
std::unique_ptr<WindowBackend> CreateSdlWindow(HWND hwnd, const std::string& titleUtf8, int width,
                                               int height, std::string* error);
std::unique_ptr<WindowBackend> CreateHeadlessWindow(HWND hwnd, int width, int height);

}  // namespace plat

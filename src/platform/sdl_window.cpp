// The SDL window. It lives on the window thread: SDL's video and event calls are made there
// only. Frames arrive through the presenter's mailbox and are drawn scaled into the client
// area with a letterbox (nearest samples, so a 1:1 window shows the frame exactly).
#include <SDL.h>

#include <string>

#include "platform/desktop.h"
#include "platform/display_window.h"
#include "platform/keyboard.h"
#include "platform/modal_scope.h"
#include "platform/presenter.h"
#include "platform/window_backend.h"

namespace plat {
namespace {

class SdlWindow : public WindowBackend {
public:
    ~SdlWindow() override {
        if (texture_) SDL_DestroyTexture(texture_);
        if (renderer_) SDL_DestroyRenderer(renderer_);
        if (window_) SDL_DestroyWindow(window_);
        if (videoInit_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    }

    bool Open(HWND hwnd, const std::string& title, int width, int height, std::string* error) {
        hwnd_ = hwnd;
        // A signal ends the process as it would without SDL; closing goes through the
        // close box alone.
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            *error = SDL_GetError();
            return false;
        }
        videoInit_ = true;
        // SDL falls back to drivers that draw into memory when no display answers; a window
        // nobody can see is no display.
        const char* driver = SDL_GetCurrentVideoDriver();
        if (!driver || SDL_strcmp(driver, "offscreen") == 0 || SDL_strcmp(driver, "dummy") == 0) {
            *error =
                std::string("no display (SDL video driver ") + (driver ? driver : "none") + ")";
            return false;
        }
        window_ = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                   width, height, SDL_WINDOW_HIDDEN);
        if (!window_) {
            *error = SDL_GetError();
            return false;
        }
        clientW_ = width;
        clientH_ = height;
        renderer_ = SDL_CreateRenderer(window_, -1, 0);
        // Without an accelerated renderer the software one still shows every frame.
        if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
        if (!renderer_) {
            *error = SDL_GetError();
            return false;
        }
        return true;
    }

    void Show(int cmd) override {
        switch (cmd) {
            case SW_HIDE:
                SDL_HideWindow(window_);
                return;
            case SW_MINIMIZE:
            case SW_SHOWMINIMIZED:
            case SW_SHOWMINNOACTIVE:
                SDL_ShowWindow(window_);
                SDL_MinimizeWindow(window_);
                return;
            case SW_MAXIMIZE:
                SDL_ShowWindow(window_);
                SDL_MaximizeWindow(window_);
                break;
            case SW_RESTORE:
            case SW_SHOWNORMAL:
                SDL_ShowWindow(window_);
                SDL_RestoreWindow(window_);
                break;
            default:
                SDL_ShowWindow(window_);
                break;
        }
        if (cmd != SW_SHOWNA && cmd != SW_SHOWNOACTIVATE) SDL_RaiseWindow(window_);
        Render();
    }
    bool Visible() const override { return (SDL_GetWindowFlags(window_) & SDL_WINDOW_SHOWN) != 0; }
    bool Iconic() const override {
        return (SDL_GetWindowFlags(window_) & SDL_WINDOW_MINIMIZED) != 0;
    }
    bool Zoomed() const override {
        return (SDL_GetWindowFlags(window_) & SDL_WINDOW_MAXIMIZED) != 0;
    }
    void Move(const RECT& rect) override { SDL_SetWindowPosition(window_, rect.left, rect.top); }
    void SetSizeLimits(int minW, int minH, int maxW, int maxH) override {
        SDL_SetWindowMinimumSize(window_, minW, minH);
        SDL_SetWindowMaximumSize(window_, maxW, maxH);
    }
    void SetResizable(bool on) override {
        SDL_SetWindowResizable(window_, on ? SDL_TRUE : SDL_FALSE);
    }
    void SetClientSize(int width, int height) override {
        SDL_SetWindowSize(window_, width, height);
        // The desktop's table has the size already: the event that follows changes nothing.
        clientW_ = width;
        clientH_ = height;
    }
    void SetTitle(const std::string& utf8) override { SDL_SetWindowTitle(window_, utf8.c_str()); }
    RECT ClientRect() const override {
        int w = 0, h = 0;
        SDL_GetWindowSize(window_, &w, &h);
        return RECT{0, 0, w, h};
    }
    POINT ClientOrigin() const override {
        int x = 0, y = 0;
        SDL_GetWindowPosition(window_, &x, &y);
        return POINT{x, y};
    }
    void SetCursorVisible(bool visible) override {
        SDL_ShowCursor(visible ? SDL_ENABLE : SDL_DISABLE);
    }
    int DesktopBitsPerPixel() const override {
        SDL_DisplayMode mode{};
        int display = SDL_GetWindowDisplayIndex(window_);
        if (SDL_GetDesktopDisplayMode(display < 0 ? 0 : display, &mode) != 0) return 32;
        // X11 reports 24 bits for a display that keeps 4 bytes per pixel.
        if (SDL_BYTESPERPIXEL(mode.format) == 4) return 32;
        return static_cast<int>(SDL_BITSPERPIXEL(mode.format));
    }
    // Full screen is the desktop's own mode, the frame scaled and letterboxed into it, so it
    // never waits on a mode switch. SDL asks the window manager to make the window cover the
    // display; without one (a bare X server) nobody does, the window keeps its size and the
    // renderer, told the display's size, shows only the top-left part of the frame, enlarged.
    // So the window is first placed over the display's bounds itself, without borders, and
    // goes back to its own place, size and borders when full screen ends.
    void SetFullScreen(bool on) override {
        if (on && !FullScreen()) {
            SDL_GetWindowPosition(window_, &windowedX_, &windowedY_);
            SDL_GetWindowSize(window_, &windowedW_, &windowedH_);
            SDL_Rect bounds;
            const int display = SDL_GetWindowDisplayIndex(window_);
            if (SDL_GetDisplayBounds(display < 0 ? 0 : display, &bounds) == 0) {
                SDL_SetWindowBordered(window_, SDL_FALSE);
                SDL_SetWindowPosition(window_, bounds.x, bounds.y);
                SDL_SetWindowSize(window_, bounds.w, bounds.h);
            }
            SDL_SetWindowFullscreen(window_, SDL_WINDOW_FULLSCREEN_DESKTOP);
        } else if (!on && FullScreen()) {
            SDL_SetWindowFullscreen(window_, 0);
            if (windowedW_ > 0 && windowedH_ > 0) {
                SDL_SetWindowBordered(window_, SDL_TRUE);
                SDL_SetWindowSize(window_, windowedW_, windowedH_);
                SDL_SetWindowPosition(window_, windowedX_, windowedY_);
            }
        }
        Render();
    }
    bool FullScreen() const override {
        return (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN_DESKTOP) != 0;
    }

    void Pump() override {
        SDL_Event e;
        while (SDL_PollEvent(&e)) Handle(e);
        if (TakeNewFrame(&SdlWindow::Upload, this)) Render();
    }

    bool ReadPixels(std::vector<std::uint32_t>& argb, int& width, int& height) override {
        Pump();
        if (!texture_) return false;
        Draw();
        // What the renderer drew: the letterboxed frame in its viewport.
        SDL_Rect viewport;
        SDL_RenderGetViewport(renderer_, &viewport);
        float sx = 1, sy = 1;
        SDL_RenderGetScale(renderer_, &sx, &sy);
        SDL_Rect area{static_cast<int>(viewport.x * sx), static_cast<int>(viewport.y * sy),
                      static_cast<int>(viewport.w * sx), static_cast<int>(viewport.h * sy)};
        if (area.w <= 0 || area.h <= 0) return false;
        argb.assign(static_cast<std::size_t>(area.w) * area.h, 0);
        const int rc = SDL_RenderReadPixels(renderer_, &area, SDL_PIXELFORMAT_ARGB8888, argb.data(),
                                            area.w * 4);
        SDL_RenderPresent(renderer_);
        if (rc != 0) return false;
        width = area.w;
        height = area.h;
        return true;
    }

private:
    static void Upload(const std::uint32_t* argb, int width, int height, void* context) {
        auto* self = static_cast<SdlWindow*>(context);
        if (width <= 0 || height <= 0) return;
        if (!self->texture_ || self->texWidth_ != width || self->texHeight_ != height) {
            if (self->texture_) SDL_DestroyTexture(self->texture_);
            self->texture_ = SDL_CreateTexture(self->renderer_, SDL_PIXELFORMAT_ARGB8888,
                                               SDL_TEXTUREACCESS_STREAMING, width, height);
            if (!self->texture_) return;
            self->texWidth_ = width;
            self->texHeight_ = height;
            SDL_RenderSetLogicalSize(self->renderer_, width, height);
        }
        SDL_UpdateTexture(self->texture_, nullptr, argb, width * 4);
    }

    void Draw() {
        SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
        SDL_RenderClear(renderer_);
        if (texture_) SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    }

    // Draws the last frame again (also on expose: the window repaints what it showed).
    void Render() {
        Draw();
        SDL_RenderPresent(renderer_);
    }

    void Handle(const SDL_Event& e) {
        switch (e.type) {
            case SDL_WINDOWEVENT:
                HandleWindowEvent(e.window);
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP: {
                // While a box or dialog is open the main window is a disabled owner: its keys
                // go nowhere (the box's end releases every key).
                if (InModalLoop()) break;
                const int scancode = e.key.keysym.scancode;
                const int vk = VirtualKeyFromScancode(scancode);
                if (vk == 0) break;
                const bool down = e.type == SDL_KEYDOWN;
                SetKeyState(vk, down);
                if (down) {
                    // Repeat count 1, the scan code, and bit 30 for a key already down.
                    LPARAM lParam = 1 | static_cast<LPARAM>(scancode & 0xFF) << 16 |
                                    (e.key.repeat ? LPARAM{1} << 30 : 0);
                    PostMessage(hwnd_, WM_KEYDOWN, static_cast<WPARAM>(vk), lParam);
                } else {
                    PostMessage(hwnd_, WM_KEYUP, static_cast<WPARAM>(vk),
                                1 | static_cast<LPARAM>(scancode & 0xFF) << 16);
                }
                break;
            }
            default:
                break;
        }
    }

    void HandleWindowEvent(const SDL_WindowEvent& w) {
        switch (w.event) {
            case SDL_WINDOWEVENT_CLOSE:
                // A disabled owner's close box does nothing.
                if (!InModalLoop()) PostMessage(hwnd_, WM_CLOSE, 0, 0);
                break;
            case SDL_WINDOWEVENT_FOCUS_GAINED:
                PostMessage(hwnd_, WM_ACTIVATEAPP, 1, 0);
                break;
            case SDL_WINDOWEVENT_FOCUS_LOST:
                // Key releases that happen elsewhere never reach this window.
                ReleaseAllKeys();
                PostMessage(hwnd_, WM_ACTIVATEAPP, 0, 0);
                break;
            case SDL_WINDOWEVENT_MOVED: {
                // The window library reads where the window stands from the desktop's table.
                RECT outer{};
                GetWindowRect(hwnd_, &outer);
                NoteWindowRect(hwnd_, RECT{w.data1, w.data2, w.data1 + outer.right - outer.left,
                                           w.data2 + outer.bottom - outer.top});
                PostMessage(hwnd_, WM_MOVE, 0, MAKELPARAM(w.data1, w.data2));
                break;
            }
            case SDL_WINDOWEVENT_SIZE_CHANGED: {
                NoteClientSize(w.data1, w.data2);
                const bool maximized = (SDL_GetWindowFlags(window_) & SDL_WINDOW_MAXIMIZED) != 0;
                PostMessage(hwnd_, WM_SIZE, maximized ? SIZE_MAXIMIZED : SIZE_RESTORED,
                            MAKELPARAM(w.data1, w.data2));
                Render();
                break;
            }
            case SDL_WINDOWEVENT_MINIMIZED:
                PostMessage(hwnd_, WM_SIZE, SIZE_MINIMIZED, 0);
                break;
            case SDL_WINDOWEVENT_RESTORED: {
                int cw = 0, ch = 0;
                SDL_GetWindowSize(window_, &cw, &ch);
                PostMessage(hwnd_, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cw, ch));
                break;
            }
            case SDL_WINDOWEVENT_EXPOSED:
                Render();
                PostMessage(hwnd_, WM_PAINT, 0, 0);
                break;
            default:
                break;
        }
    }

    // A window the user sized (only a sizable one can be): the window library reads its
    // outer size from the desktop's table, which grows or shrinks by what the client did.
    // Full screen's sizes are the display's, never the window's own.
    void NoteClientSize(int width, int height) {
        if (!(SDL_GetWindowFlags(window_) & SDL_WINDOW_RESIZABLE) || FullScreen()) return;
        RECT outer{};
        GetWindowRect(hwnd_, &outer);
        NoteWindowRect(hwnd_, RECT{outer.left, outer.top, outer.right + width - clientW_,
                                   outer.bottom + height - clientH_});
        clientW_ = width;
        clientH_ = height;
    }

    HWND hwnd_ = nullptr;
    bool videoInit_ = false;
    SDL_Window* window_ = nullptr;
    SDL_Renderer* renderer_ = nullptr;
    SDL_Texture* texture_ = nullptr;
    int texWidth_ = 0;
    int texHeight_ = 0;
    // The client size the window last had.
    int clientW_ = 0, clientH_ = 0;
    // Where the window was and how large, before full screen.
    int windowedX_ = 0, windowedY_ = 0, windowedW_ = 0, windowedH_ = 0;
};

}  // namespace

std::unique_ptr<WindowBackend> CreateSdlWindow(HWND hwnd, const std::string& titleUtf8, int width,
                                               int height, std::string* error) {
    auto window = std::make_unique<SdlWindow>();
    if (!window->Open(hwnd, titleUtf8, width, height, error)) return nullptr;
    return window;
}

}  // namespace plat

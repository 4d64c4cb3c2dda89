// The in-memory window of headless runs. It becomes active the moment it is shown:
// nothing else would ever activate it, and the game runs frames only while active.
#include <utility>

#include "platform/display_window.h"
#include "platform/presenter.h"
#include "platform/seams.h"
#include "platform/window_backend.h"

namespace plat {
namespace {

class HeadlessWindow : public WindowBackend {
public:
    HeadlessWindow(HWND hwnd, int width, int height)
        : hwnd_(hwnd), width_(width), height_(height) {}

    void Show(int cmd) override {
        visible_ = cmd != SW_HIDE;
        iconic_ = cmd == SW_MINIMIZE || cmd == SW_SHOWMINIMIZED || cmd == SW_SHOWMINNOACTIVE;
        if (cmd == SW_MAXIMIZE)
            zoomed_ = true;
        else if (cmd == SW_SHOWNORMAL || cmd == SW_RESTORE)
            zoomed_ = false;
        if (visible_ && !iconic_ && !active_) {
            active_ = true;
            // Sent, as Windows sends it from inside ShowWindow.
            SendMessage(hwnd_, WM_ACTIVATEAPP, 1, 0);
        }
    }
    bool Visible() const override { return visible_; }
    bool Iconic() const override { return iconic_; }
    bool Zoomed() const override { return zoomed_ && !iconic_; }
    void SetTitle(const std::string&) override {}
    RECT ClientRect() const override { return RECT{0, 0, width_, height_}; }
    POINT ClientOrigin() const override { return POINT{0, 0}; }
    void SetCursorVisible(bool) override {}
    int DesktopBitsPerPixel() const override { return GetSeams().desktopBpp; }
    void SetFullScreen(bool on) override { fullScreen_ = on; }
    bool FullScreen() const override { return fullScreen_; }
    void Pump() override {}
    bool ReadPixels(std::vector<std::uint32_t>& argb, int& width, int& height) override {
        return LatestFrame(argb, width, height);
    }

private:
    HWND hwnd_;
    int width_;
    int height_;
    bool visible_ = false;
    bool iconic_ = false;
    bool zoomed_ = false;
    bool active_ = false;
    bool fullScreen_ = false;
};

}  // namespace

std::unique_ptr<WindowBackend> CreateHeadlessWindow(HWND hwnd, int width, int height) {
    return std::make_unique<HeadlessWindow>(hwnd, width, height);
}

}  // namespace plat

#include "platform/presenter.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <mutex>

#include "platform/clock.h"
#include "platform/frame.h"
#include "platform/png_writer.h"
#include "platform/seams.h"

namespace plat {
namespace {

struct FrameBuffer {
    std::vector<std::uint32_t> pixels;
    int width = 0;
    int height = 0;
};

// Serialises presents: frames may come from whichever thread runs the frame loop.
std::mutex g_presentMutex;
// Guards the slot indices and `g_fresh`.
std::mutex g_mailboxMutex;
FrameBuffer g_slots[3];
int g_writing = 0;
int g_ready = 1;
int g_showing = 2;
bool g_fresh = false;    // g_slots[g_ready] holds a frame the window has not taken
bool g_any = false;      // a frame was presented
bool g_repaint = false;  // the window asked to show its frame again
std::atomic<void (*)()> g_listener{nullptr};

void Capture(const FrameBuffer& frame, int number) {
    const Seams& seams = GetSeams();
    if (!std::binary_search(seams.captureFrames.begin(), seams.captureFrames.end(), number)) return;
    std::error_code ec;
    std::filesystem::create_directories(seams.captureDir, ec);
    std::string error;
    const std::string path = CaptureFileName(seams.captureDir, number);
    if (!WritePng(path, frame.pixels.data(), frame.width, frame.height, frame.width, &error))
        std::fprintf(stderr, "kestrune4: K4_CAPTURE: frame %d: %s\n", number, error.c_str());
}

}  // namespace

void PresentFrame(const SoftSurface& frame, const PALETTEENTRY* palette) {
    std::lock_guard present(g_presentMutex);
    FrameBuffer& out = g_slots[g_writing];
    const int w = frame.Width(), h = frame.Height();
    if (out.width != w || out.height != h) {
        // Only when the frame size changes (display set-up), never per frame.
        out.pixels.assign(static_cast<std::size_t>(w) * h, 0);
        out.width = w;
        out.height = h;
    }
    std::uint32_t lut[256];
    if (frame.Format() == D3DFMT_P8) {
        if (palette) {
            PaletteToArgb(palette, lut);
        } else {
            // An 8-bit frame without a palette shows its indices as grey levels.
            for (std::uint32_t i = 0; i < 256; ++i) lut[i] = 0xFF000000u | i << 16 | i << 8 | i;
        }
    }
    for (int y = 0; y < h; ++y)
        ConvertRowToArgb(frame.Format(), frame.Row(y),
                         out.pixels.data() + static_cast<std::size_t>(y) * w, w, lut);
    Capture(out, static_cast<int>(FrameCount()) + 1);
    {
        std::lock_guard lock(g_mailboxMutex);
        std::swap(g_writing, g_ready);
        g_fresh = true;
        g_any = true;
    }
    AdvanceFrame();
    if (auto listener = g_listener.load()) listener();
}

void CountLostFrame() {
    std::lock_guard present(g_presentMutex);
    AdvanceFrame();
}

bool DeviceLossDue() {
    const int frame = GetSeams().loseDeviceFrame;
    return frame > 0 && FrameCount() + 1 == static_cast<std::uint32_t>(frame);
}

void WaitForVerticalBlank() {
    const std::int64_t freq = QueryPerformanceFrequency();
    const std::int64_t now = QueryPerformanceCounter();
    if (freq <= 0 || now < 0) return;
    const std::int64_t tick = now / freq * 60 + (now % freq) * 60 / freq + 1;
    const std::int64_t at = tick / 60 * freq + (tick % 60) * freq / 60;
    const std::int64_t micros = (at - now) * 1000000 / freq;
    // One sleep, rounded up to whole milliseconds: the clock's own unit.
    Sleep(static_cast<std::uint32_t>((micros + 999) / 1000));
}

bool LatestFrame(std::vector<std::uint32_t>& argb, int& width, int& height) {
    std::lock_guard lock(g_mailboxMutex);
    if (!g_any) return false;
    const FrameBuffer& f = g_slots[g_fresh ? g_ready : g_showing];
    argb = f.pixels;
    width = f.width;
    height = f.height;
    return true;
}

bool TakeNewFrame(FrameSink show, void* context) {
    {
        std::lock_guard lock(g_mailboxMutex);
        if (g_fresh) {
            std::swap(g_ready, g_showing);
            g_fresh = false;
        } else if (!g_repaint) {
            return false;
        }
        // A newer frame answers a repaint as well as the last one would. Without one, the
        // slot shown last is still the newest frame: g_fresh is cleared only by taking it.
        g_repaint = false;
    }
    // The slot being shown is never written by a present, so it is read without the lock.
    const FrameBuffer& f = g_slots[g_showing];
    show(f.pixels.data(), f.width, f.height, context);
    return true;
}

void SetFrameListener(void (*listener)()) {
    g_listener = listener;
}

void RepaintLastFrame() {
    {
        std::lock_guard lock(g_mailboxMutex);
        if (!g_any) return;
        g_repaint = true;
    }
    if (auto listener = g_listener.load()) listener();
}

std::string CaptureFileName(const std::string& dir, int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame_%06d.png", frame);
    return (std::filesystem::path(dir) / name).string();
}

void ResetPresenter() {
    std::lock_guard present(g_presentMutex);
    std::lock_guard lock(g_mailboxMutex);
    for (FrameBuffer& f : g_slots) f = FrameBuffer{};
    g_fresh = false;
    g_any = false;
    g_repaint = false;
}

}  // namespace plat

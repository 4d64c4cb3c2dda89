// The real window (run under xvfb-run by scripts/test): the display opens in an SDL window,
// and a presented frame read back from the window is exactly the back buffer, in both back
// ends. Without a display the test skips itself and says why.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>  // also the clocks: <chrono> itself cannot be compiled to CP932
#include <vector>

#include "base/log.h"
#include "gfx/display.h"
#include "gfx/surface_lock.h"
#include "gfx/surface_tables.h"
#include "platform/ddraw.h"
#include "platform/display_window.h"
#include "platform/messages.h"
#include "platform/pixel_format.h"
#include "platform/seams.h"
#include "support/temp_dir.h"

namespace {

using namespace std::chrono_literals;

std::atomic<int> paints{0};

plat::LRESULT CountPaints(plat::HWND, std::uint32_t msg, plat::WPARAM, plat::LPARAM) {
    if (msg == plat::WM_PAINT) ++paints;
    return 0;
}

// Serves the window thread (window events become messages) until the window was exposed.
bool WaitForExpose() {
    const auto end = std::chrono::steady_clock::now() + 3s;
    while (paints == 0 && std::chrono::steady_clock::now() < end) {
        plat::MSG msg;
        while (plat::PeekMessage(&msg, nullptr, true)) plat::DispatchMessage(&msg);
        std::this_thread::sleep_for(5ms);
    }
    return paints > 0;
}

// Draws a pattern that differs in every channel from pixel to pixel.
void DrawPattern(DDSURFACEDATA* back, int seed) {
    cSurfaceLock lock;
    ASSERT_TRUE(lock.Lock(back));
    for (int y = 0; y < back->nHeight; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(lock.m_lpBits) +
                    static_cast<std::ptrdiff_t>(y) * lock.m_nPitch;
        for (int x = 0; x < back->nWidth; ++x)
            row[x] =
                0xFF000000u | ((x * 3 + seed) & 0xFF) << 16 | (y & 0xFF) << 8 | ((x ^ y) & 0xFF);
    }
}

std::vector<std::uint32_t> BackBufferPixels(DDSURFACEDATA* back) {
    cSurfaceLock lock;
    std::vector<std::uint32_t> out;
    if (!lock.Lock(back)) return out;
    for (int y = 0; y < back->nHeight; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(lock.m_lpBits) +
                          static_cast<std::ptrdiff_t>(y) * lock.m_nPitch;
        for (int x = 0; x < back->nWidth; ++x)
            out.push_back(plat::PixelToArgb(plat::D3DFMT_X8R8G8B8, row[x], nullptr));
    }
    return out;
}

TEST(RealWindow, PresentedFrameIsWhatTheWindowShows) {
    const plat::Seams saved = plat::GetSeams();
    plat::Seams seams;  // not headless
    plat::SetSeams(seams);
    TempDir dir;
    OpenReportLog("Report.txt");
    plat::HWND hwnd = plat::CreateWindow(CountPaints);
    plat::SetMainWindow(hwnd);
    if (!plat::OpenDisplayWindow(hwnd, "Kestrune4", 640, 480)) {
        plat::DestroyWindow(hwnd);
        plat::SetMainWindow(nullptr);
        plat::SetSeams(saved);
        GTEST_SKIP() << "no display can be opened (no X server: scripts/test runs this test "
                        "under xvfb-run)";
    }
    plat::ShowWindow(hwnd, plat::SW_SHOWNORMAL);
    EXPECT_TRUE(WaitForExpose());

    struct Config {
        int direct3D;
        const char* name;
    };
    for (const Config c : {Config{1, "Direct3D 32"}, Config{0, "DirectDraw 32"}}) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(DDInit(c.direct3D, hwnd, 640, 480, 32, 0, 1, 1, 60, 0, StdSD, SurfaceDef,
                           kStdSurfaceCount));
        DrawPattern(&BackBuffer, c.direct3D ? 7 : 91);
        if (c.direct3D) {
            ASSERT_EQ(D3DPresentFrame(60, 0, 0), 1);
        } else {
            // Presented by a stand-in for the game thread: on the window thread this blit
            // would be the window's repaint of the frame shown before.
            plat::HRESULT hr = plat::DDERR_GENERIC;
            std::thread game([&] {
                plat::RECT r = rcClientScreen;
                hr = PrimarySD.lpDS->lpDDSurface->Blt(&r, BackBuffer.lpDS->lpDDSurface, nullptr,
                                                      plat::DDBLT_WAIT, nullptr);
            });
            game.join();
            ASSERT_EQ(hr, plat::DD_OK);
        }
        std::vector<std::uint32_t> shown;
        int w = 0, h = 0;
        ASSERT_TRUE(plat::ReadWindowPixels(shown, w, h));
        ASSERT_EQ(w, 640);
        ASSERT_EQ(h, 480);
        const std::vector<std::uint32_t> expected = BackBufferPixels(&BackBuffer);
        ASSERT_EQ(shown.size(), expected.size());
        int differing = 0, first = -1;
        for (std::size_t i = 0; i < shown.size(); ++i) {
            if ((shown[i] | 0xFF000000u) != expected[i]) {
                if (first < 0) first = static_cast<int>(i);
                ++differing;
            }
        }
        EXPECT_EQ(differing, 0) << "first at (" << first % 640 << ", " << first / 640 << ")";
        DDUnInit();
    }
    plat::CloseDisplayWindow();
    plat::DestroyWindow(hwnd);
    plat::SetMainWindow(nullptr);
    plat::SetSeams(saved);
}

}  // namespace

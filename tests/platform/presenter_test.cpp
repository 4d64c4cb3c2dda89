// The presenter and the headless window: frames counted and kept, PNG captures of the
// frames K4_CAPTURE lists, the 60 Hz wait on the virtual clock, and the in-memory window
// that becomes active when shown.
#include "platform/presenter.h"

#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "platform/clock.h"
#include "platform/display_window.h"
#include "platform/frame.h"
#include "platform/platform_state.h"
#include "platform/seams.h"
#include "support/temp_dir.h"

namespace {

using namespace plat;

// Reads an 8-bit RGB PNG back as A8R8G8B8; false when it is not one.
bool ReadPng(const std::string& path, std::vector<std::uint32_t>& argb, int& w, int& h) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_BGRA;
    w = static_cast<int>(image.width);
    h = static_cast<int>(image.height);
    argb.assign(static_cast<std::size_t>(w) * h, 0);
    return png_image_finish_read(&image, nullptr, argb.data(), 0, nullptr) != 0;
}

class Presenter : public ::testing::Test {
protected:
    void SetUp() override {
        saved = GetSeams();
        Seams seams;
        seams.headless = true;
        seams.captureFrames = {2, 3};
        seams.captureDir = dir.path + "/shots";
        SetSeams(seams);
        ResetPlatformState();
    }
    void TearDown() override { SetSeams(saved); }

    TempDir dir;
    Seams saved;
};

TEST_F(Presenter, FramesAreCountedKeptAndCapturedWhenListed) {
    auto frame = SoftSurface::Create(5, 3, D3DFMT_R5G6B5);
    ASSERT_TRUE(frame);
    for (int i = 1; i <= 3; ++i) {
        FillPixels(*frame, frame->Bounds(), 0x001F);
        frame->SetPixel(i, 1, 0xF800);
        PresentFrame(*frame, nullptr);
        EXPECT_EQ(FrameCount(), static_cast<std::uint32_t>(i));
    }
    std::vector<std::uint32_t> latest;
    int w = 0, h = 0;
    ASSERT_TRUE(LatestFrame(latest, w, h));
    ASSERT_EQ(w * h, 15);
    EXPECT_EQ(latest[1 * 5 + 3], 0xFFFF0000u);
    EXPECT_EQ(latest[0], 0xFF0000FFu);

    EXPECT_FALSE(std::filesystem::exists(CaptureFileName(dir.path + "/shots", 1)));
    std::vector<std::uint32_t> png;
    ASSERT_TRUE(ReadPng(dir.path + "/shots/frame_000002.png", png, w, h));
    ASSERT_EQ(w, 5);
    ASSERT_EQ(h, 3);
    EXPECT_EQ(png[1 * 5 + 2], 0xFFFF0000u);
    EXPECT_EQ(png[1 * 5 + 3], 0xFF0000FFu);
    ASSERT_TRUE(ReadPng(CaptureFileName(dir.path + "/shots", 3), png, w, h));
    EXPECT_EQ(png, latest);
}

TEST_F(Presenter, EightBitFramesUseThePaletteGiven) {
    auto frame = SoftSurface::Create(2, 1, D3DFMT_P8);
    frame->SetPixel(0, 0, 7);
    frame->SetPixel(1, 0, 200);
    PALETTEENTRY palette[256] = {};
    palette[7] = PALETTEENTRY{1, 2, 3, 0};
    PresentFrame(*frame, palette);
    std::vector<std::uint32_t> latest;
    int w = 0, h = 0;
    ASSERT_TRUE(LatestFrame(latest, w, h));
    EXPECT_EQ(latest[0], 0xFF010203u);
    EXPECT_EQ(latest[1], 0xFF000000u);
    // Without a palette the indices show as grey levels.
    PresentFrame(*frame, nullptr);
    ASSERT_TRUE(LatestFrame(latest, w, h));
    EXPECT_EQ(latest[1], 0xFFC8C8C8u);
}

TEST_F(Presenter, WindowTakesEachNewFrameOnce) {
    auto frame = SoftSurface::Create(1, 1, D3DFMT_X8R8G8B8);
    int shown = 0;
    auto sink = [](const std::uint32_t* argb, int w, int h, void* context) {
        EXPECT_EQ(w * h, 1);
        EXPECT_EQ(argb[0], 0xFF123456u);
        ++*static_cast<int*>(context);
    };
    EXPECT_FALSE(TakeNewFrame(sink, &shown));
    frame->SetPixel(0, 0, 0x00123456);
    PresentFrame(*frame, nullptr);
    PresentFrame(*frame, nullptr);
    EXPECT_TRUE(TakeNewFrame(sink, &shown));
    EXPECT_FALSE(TakeNewFrame(sink, &shown));
    EXPECT_EQ(shown, 1);
}

int wakes = 0;
void CountWake() {
    ++wakes;
}

// The window's repaint shows the frame shown last once more, or a newer one when there is
// one; it is no present: nothing is counted or captured.
TEST_F(Presenter, RepaintShowsTheLastFrameOnceWithoutCountingIt) {
    auto frame = SoftSurface::Create(1, 1, D3DFMT_X8R8G8B8);
    std::uint32_t shown = 0;
    auto sink = [](const std::uint32_t* argb, int, int, void* context) {
        *static_cast<std::uint32_t*>(context) = argb[0];
    };
    wakes = 0;
    SetFrameListener(&CountWake);
    RepaintLastFrame();  // nothing presented yet: nothing to show
    EXPECT_FALSE(TakeNewFrame(sink, &shown));
    EXPECT_EQ(wakes, 0);

    frame->SetPixel(0, 0, 0x00000001);
    PresentFrame(*frame, nullptr);  // frame 1
    ASSERT_TRUE(TakeNewFrame(sink, &shown));
    frame->SetPixel(0, 0, 0x00000002);
    PresentFrame(*frame, nullptr);  // frame 2 (captured)
    ASSERT_TRUE(TakeNewFrame(sink, &shown));
    EXPECT_EQ(shown, 0xFF000002u);
    frame->SetPixel(0, 0, 0x00000003);  // drawn, not presented
    const int presentWakes = wakes;
    for (int paint = 0; paint < 2; ++paint) {
        shown = 0;
        RepaintLastFrame();
        EXPECT_TRUE(TakeNewFrame(sink, &shown));
        EXPECT_EQ(shown, 0xFF000002u);
        EXPECT_FALSE(TakeNewFrame(sink, &shown));
    }
    EXPECT_EQ(wakes, presentWakes + 2);
    EXPECT_EQ(FrameCount(), 2u);
    EXPECT_FALSE(std::filesystem::exists(CaptureFileName(dir.path + "/shots", 3)));

    // A frame the window has not taken yet answers the repaint itself.
    PresentFrame(*frame, nullptr);  // frame 3
    RepaintLastFrame();
    EXPECT_TRUE(TakeNewFrame(sink, &shown));
    EXPECT_EQ(shown, 0xFF000003u);
    EXPECT_FALSE(TakeNewFrame(sink, &shown));
    SetFrameListener(nullptr);
}

TEST_F(Presenter, VerticalBlankWaitsForTheNext60HzTickOfTheVirtualClock) {
    UseVirtualClock(1000);  // exactly tick 60
    WaitForVerticalBlank();
    EXPECT_EQ(timeGetTime(), 1017u);  // tick 61 at 1016.67 ms
    WaitForVerticalBlank();
    EXPECT_EQ(timeGetTime(), 1034u);  // tick 62 at 1033.33 ms
    UseRealClock();
}

TEST_F(Presenter, LossIsDueAtTheFrameTheSeamNames) {
    Seams seams = GetSeams();
    seams.loseDeviceFrame = 2;
    SetSeams(seams);
    EXPECT_FALSE(DeviceLossDue());
    CountLostFrame();
    EXPECT_TRUE(DeviceLossDue());
    CountLostFrame();
    EXPECT_FALSE(DeviceLossDue());
}

int activations = 0;
LRESULT CountActivation(HWND, std::uint32_t msg, WPARAM w, LPARAM) {
    if (msg == WM_ACTIVATEAPP && w == 1) ++activations;
    return 0;
}

TEST_F(Presenter, HeadlessWindowIsActiveOnceShown) {
    activations = 0;
    HWND hwnd = CreateWindow(CountActivation);
    SetMainWindow(hwnd);
    ASSERT_TRUE(OpenDisplayWindow(hwnd, "title", 640, 480));
    EXPECT_FALSE(OpenDisplayWindow(hwnd, "again", 640, 480));
    EXPECT_FALSE(IsWindowVisible(hwnd));
    EXPECT_FALSE(ShowWindow(hwnd, SW_SHOWMINNOACTIVE));
    EXPECT_EQ(activations, 0);
    EXPECT_TRUE(IsIconic(hwnd));
    EXPECT_TRUE(ShowWindow(hwnd, SW_SHOWNORMAL));
    EXPECT_EQ(activations, 1);
    ShowWindow(hwnd, SW_MAXIMIZE);
    EXPECT_EQ(activations, 1);
    RECT client;
    ASSERT_TRUE(GetClientRect(hwnd, &client));
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);
    EXPECT_EQ(GetDesktopBitsPerPixel(), 32);
    // The desktop depth a test asks for, so that a window can run at 16 bits.
    Seams seams = GetSeams();
    seams.desktopBpp = 16;
    SetSeams(seams);
    EXPECT_EQ(GetDesktopBitsPerPixel(), 16);
    seams.desktopBpp = 32;
    SetSeams(seams);
    EXPECT_EQ(SetWindowLong(hwnd, GWL_STYLE, WS_POPUP), 0u);
    EXPECT_EQ(GetWindowLong(hwnd, GWL_STYLE), WS_POPUP);
    EXPECT_EQ(ShowCursor(false), -1);
    EXPECT_EQ(ShowCursor(true), 0);
    CloseDisplayWindow();
    EXPECT_FALSE(HasDisplayWindow());
    DestroyWindow(hwnd);
    SetMainWindow(nullptr);
}

TEST_F(Presenter, WindowCreationCanBeMadeToFail) {
    Seams seams = GetSeams();
    seams.failSteps = {"window_create"};
    SetSeams(seams);
    HWND hwnd = CreateWindow(CountActivation);
    EXPECT_FALSE(OpenDisplayWindow(hwnd, "title", 640, 480));
    EXPECT_FALSE(HasDisplayWindow());
    DestroyWindow(hwnd);
}

}  // namespace

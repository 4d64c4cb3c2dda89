// The Direct3D present paces the frames on the program's clock (the virtual one here), and
// the pacing statistics overlay is drawn with the debug font in the colour asked for.
#include <gtest/gtest.h>

#include "draw_fixture.h"
#include "gen/sample_images.h"
#include "gfx/fill.h"
#include "gfx/frame_timing.h"
#include "gfx/gfx_globals.h"
#include "gfx/surface_tables.h"
#include "platform/clock.h"

namespace {

class FramePacing : public DrawTest {
protected:
    void SetUp() override {
        plat::UseVirtualClock(0x00010000);
        ResetGfxGlobals();
        DrawTest::SetUp();
    }
    void TearDown() override {
        DrawTest::TearDown();
        plat::UseRealClock();
    }
};

TEST_P(FramePacing, PresentWaitsForTheFrameTime) {
    const std::uint32_t start = plat::timeGetTime();
    EXPECT_EQ(D3DPresentFrame(60, 0, 0), 1);
    EXPECT_EQ(plat::timeGetTime(), start);  // the first frame is due at once
    EXPECT_EQ(D3DPresentFrame(60, 0, 0), 1);
    EXPECT_EQ(plat::timeGetTime() - start, 17u);  // 16.67 ms, slept in whole milliseconds
    EXPECT_EQ(D3DPresentFrame(60, 0, 0), 1);
    EXPECT_EQ(plat::timeGetTime() - start, 34u);
    EXPECT_EQ(D3DPresentFrame(0, 0, 0), 1);  // no rate: no wait
    EXPECT_EQ(plat::timeGetTime() - start, 34u);
}

TEST_P(FramePacing, OverlayIsDrawnInItsColour) {
    ASSERT_TRUE(gen::WriteSampleBitmap("bmp/Debug.bmp", gen::DebugFontImage()));
    lpDTCon->rgbTransmit = plat::RGBTRIPLE{255, 0, 255};
    lpDTCon->rgbTransmit16 = plat::RGBTRIPLE{255, 0, 255};
    const int debug[] = {1};
    ASSERT_TRUE(DDLoadSurfaceSet(StdSD, debug, 1));
    DDFillSurface(&BackBuffer, 7);
    // Green modulates the white glyphs to green.
    EXPECT_TRUE(PaceFrame(60, 1, 0xFF00FF00u));
    int green = 0, blue = 0;
    for (int y = 16; y < 64; ++y) {
        for (int x = 0; x < 160; ++x) {
            const std::uint32_t c = Colour(&BackBuffer, x, y) | 0xFF000000u;
            green += c == Argb(kGreen);
            blue += c == Argb(kBlue);
        }
    }
    EXPECT_GT(green, 100);
    EXPECT_GT(blue, 100);
    EXPECT_EQ(Shows(&BackBuffer, 8, 0, 640).find('g'), std::string::npos);  // above the text
    EXPECT_EQ(lpDTCon->dwDiffuse, 0xFFFFFFFFu);
    DDReleaseSurface(&StdSD[1]);
}

// With the overlay on, every frame let through adds its frame time and the published frame
// rate to two rings of 16; their averages (sum / 16, cut) change only when a ring is full.
TEST_P(FramePacing, OverlayAveragesChangeOncePerSixteenFrames) {
    // One frame: `frames` counted frames per second are published by a window of a second
    // that this frame's work of `ms` milliseconds closes, then the pacing lets it through.
    auto frame = [](int frames, std::uint32_t ms) {
        for (int j = 0; j < frames; ++j) CountFps(true);
        MarkFrameStart();
        plat::StepVirtualClock(ms);
        EXPECT_EQ(GetFrameElapsed(true), ms);
        EXPECT_EQ(CountFps(true), frames);
        return PaceFrame(60, 1, 0xFF00FF00u);
    };
    for (int i = 0; i < 16; ++i) {
        const PaceStatistics before = GetPaceStatistics();
        EXPECT_EQ(before.fpsAverage, 0u) << i;
        EXPECT_EQ(before.timeAverage, 0u) << i;
        EXPECT_TRUE(frame(i + 1, 1000 + static_cast<std::uint32_t>(i))) << i;
    }
    // Rates 1..16 sum to 136 and times 1000..1015 to 16120: 8.5 and 1007.5, cut.
    EXPECT_EQ(GetPaceStatistics().fpsAverage, 8u);
    EXPECT_EQ(GetPaceStatistics().timeAverage, 1007u);
    for (int i = 0; i < 15; ++i) {
        EXPECT_TRUE(frame(50, 1100)) << i;
        EXPECT_EQ(GetPaceStatistics().fpsAverage, 8u) << i;
        EXPECT_EQ(GetPaceStatistics().timeAverage, 1007u) << i;
    }
    EXPECT_TRUE(frame(50, 1100));
    EXPECT_EQ(GetPaceStatistics().fpsAverage, 50u);
    EXPECT_EQ(GetPaceStatistics().timeAverage, 1100u);
    EXPECT_EQ(GetPaceStatistics().frames, 32);
    // Without the overlay (or without its colour) nothing is sampled.
    for (int i = 0; i < 16; ++i) {
        MarkFrameStart();
        plat::StepVirtualClock(20);
        GetFrameElapsed(true);
        EXPECT_TRUE(PaceFrame(60, i % 2, i % 2 ? 0u : 0xFF00FF00u)) << i;
    }
    EXPECT_EQ(GetPaceStatistics().fpsAverage, 50u);
    EXPECT_EQ(GetPaceStatistics().timeAverage, 1100u);
}

// A frame the pacing holds back (false several times before it is let through) is sampled
// once: the rings move by exactly one sample for it.
TEST_P(FramePacing, AHeldBackFrameIsSampledOnce) {
    // One frame of `ms` milliseconds of work, then the pacing asked a millisecond later each
    // time until it lets the frame through; the times it said no.
    auto frame = [](std::uint32_t ms) {
        MarkFrameStart();
        plat::StepVirtualClock(ms);
        GetFrameElapsed(true);
        int refused = 0;
        while (!PaceFrame(60, 1, 0xFF00FF00u) && refused < 100) {
            ++refused;
            plat::StepVirtualClock(1);
        }
        return refused;
    };
    for (int i = 0; i < 16; ++i) EXPECT_EQ(frame(17), 0) << i;
    EXPECT_EQ(GetPaceStatistics().timeAverage, 17u);
    // Frame 16 is due 16 * 1000 / 60 = 266.7 ms after the first, and ready at
    // 15 * 17 + 5 = 260: held back until 267.
    EXPECT_EQ(frame(5), 7);
    // The ring refills with the 15 frames after it, not before.
    for (int i = 0; i < 14; ++i) {
        EXPECT_EQ(frame(17), 0) << i;
        EXPECT_EQ(GetPaceStatistics().timeAverage, 17u) << i;
    }
    EXPECT_EQ(frame(17), 0);
    EXPECT_EQ(GetPaceStatistics().timeAverage, (5u + 15u * 17u) / 16u);
}

const DisplayConfig kDirect3DConfigs[] = {kDisplayConfigs[0], kDisplayConfigs[1],
                                          kDisplayConfigs[2]};
INSTANTIATE_TEST_SUITE_P(Direct3D, FramePacing, ::testing::ValuesIn(kDirect3DConfigs), ConfigName);

}  // namespace

// The Direct3D present paces the frames on the program's clock (the virtual one here), and
// the pacing statistics overlay is drawn with the debug font in the colour asked for.
#include <gtest/gtest.h>

#include "app/frame_timing.h"
#include "draw_fixture.h"
#include "gen/sample_images.h"
#include "gfx/fill.h"
#include "gfx/surface_tables.h"
#include "platform/clock.h"

namespace {

class FramePacing : public DrawTest {
protected:
    void SetUp() override {
        plat::UseVirtualClock(0x00010000);
        ResetFrameTiming();
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

const DisplayConfig kDirect3DConfigs[] = {kDisplayConfigs[0], kDisplayConfigs[1],
                                          kDisplayConfigs[2]};
INSTANTIATE_TEST_SUITE_P(Direct3D, FramePacing, ::testing::ValuesIn(kDirect3DConfigs), ConfigName);

}  // namespace

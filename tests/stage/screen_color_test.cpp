// The screen colour: its levels frame by frame, flashes, returns, frozen frames, and the
// DirectDraw forms (no tint above 8 bits, a palette fade at 8).
#include "stage/screen_color.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "gfx/display.h"
#include "gfx/display_fixture.h"
#include "gfx/fill.h"
#include "gfx/palette.h"
#include "stage/engine_globals.h"

namespace {

class ScreenColorTest : public ::testing::TestWithParam<int>, public DisplayFixture {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        Prepare();
        ASSERT_TRUE(Open(kDisplayConfigs[GetParam()]));
        m_colour.Reset();
    }
    void TearDown() override {
        Close();
        ResetEngineGlobals();
    }
    // R, G, B, percent, return, tenths, flash, flashes.
    void Start(int r, int g, int b, int percent, int ret, int tenths, int flash, int flashes) {
        const std::int32_t p[8] = {r, g, b, percent, ret, tenths, flash, flashes};
        m_colour.Start(p, 8);
    }
    // Frames drawn until the record is inactive (at most `limit`), and the levels drawn.
    int RunOut(int limit, std::vector<int>* levels = nullptr) {
        int frames = 0;
        while (m_colour.bActive && frames < limit) {
            m_colour.Draw(0);
            if (levels) levels->push_back(m_colour.nLevel);
            ++frames;
        }
        return frames;
    }
    ScreenColor m_colour;
};

class Direct3DScreenColor : public ScreenColorTest {};

TEST_P(Direct3DScreenColor, ThreeFlashesOfHalfASecondTakeNinetyThreeFrames) {
    Start(255, 0, 0, 100, 0, 5, 1, 3);
    std::vector<int> levels;
    EXPECT_EQ(RunOut(1000, &levels), 93);
    EXPECT_EQ(m_colour.bActive, 0);
    // Each flash starts at the full colour and ends with an untinted frame.
    ASSERT_EQ(levels.size(), 93u);
    EXPECT_EQ(levels[0], 255);  // frame 0: p = 0
    EXPECT_EQ(levels[29], static_cast<int>(255 - 29.0 / 30 * (100 * 2.5500000000000003)));
    EXPECT_EQ(levels[30], 255);
    EXPECT_EQ(levels[31], 255);
    EXPECT_EQ(levels[92], 255);
}

TEST_P(Direct3DScreenColor, PlainChangesHoldOrEndAndReturnsFadeBack) {
    // Percent 0: over after its duration, no tint left.
    Start(0, 0, 255, 0, 0, 1, 0, 0);
    EXPECT_EQ(RunOut(100), 7);
    EXPECT_EQ(m_colour.nLevel, 255);
    // A return with nothing to return from is ignored.
    Start(0, 0, 0, 0, 1, 1, 0, 0);
    EXPECT_EQ(m_colour.bActive, 0);
    // 100 %: level 0 (not -1) at the end, and held.
    Start(0, 255, 0, 100, 0, 1, 0, 0);
    EXPECT_EQ(RunOut(50), 50);
    EXPECT_EQ(m_colour.nLevel, 0);
    EXPECT_EQ(m_colour.bActive, 1);
    // Frozen frames draw without moving on.
    const int frame = m_colour.nFrame;
    m_colour.Draw(1);
    EXPECT_EQ(m_colour.nFrame, frame);
    // The return fades from the held level back to none over its duration.
    Start(0, 0, 0, 0, 1, 2, 0, 0);
    EXPECT_EQ(m_colour.nR, 0);
    EXPECT_EQ(m_colour.nG, 255);
    std::vector<int> levels;
    EXPECT_EQ(RunOut(100, &levels), 13);
    EXPECT_EQ(levels.front(), 0);
    EXPECT_EQ(levels.back(), 255);
    for (std::size_t i = 1; i < levels.size(); ++i) EXPECT_GE(levels[i], levels[i - 1]);
}

INSTANTIATE_TEST_SUITE_P(Configs, Direct3DScreenColor, ::testing::Values(0, 2));

class DirectDrawScreenColor : public ScreenColorTest {};

TEST_P(DirectDrawScreenColor, NoTintAboveEightBitsAPaletteFadeAtEight) {
    Start(255, 0, 0, 100, 0, 1, 0, 0);
    const plat::PALETTEENTRY before = Palette[5];
    m_colour.Draw(1);  // frozen: nothing at all
    EXPECT_EQ(m_colour.bActive, 1);
    EXPECT_EQ(m_colour.nFrame, 0);
    m_colour.Draw(0);
    if (nBpp != 8) {
        EXPECT_EQ(m_colour.bActive, 0);
        return;
    }
    EXPECT_EQ(m_colour.bActive, 1);
    EXPECT_EQ(RunOut(100), 6);
    EXPECT_EQ(m_colour.nLevel, 0);
    // The loaded colours stay as they were; the shown palette was faded.
    EXPECT_EQ(Palette[5].peRed, before.peRed);
    EXPECT_EQ(Palette[5].peGreen, before.peGreen);
}

INSTANTIATE_TEST_SUITE_P(Configs, DirectDrawScreenColor, ::testing::Values(3, 4, 5));

}  // namespace

// The play screen's own layers at 8 bits per pixel (a pixel is its palette index): the
// backgrounds, the shot-cell sheets, the status bar and the time limit's digits.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "data/stage_record.h"
#include "data/stage_sub_records.h"
#include "data/system_record.h"
#include "gfx/display.h"
#include "gfx/display_fixture.h"
#include "gfx/fill.h"
#include "gfx/surface.h"
#include "gfx/surface_tables.h"
#include "scene/game_progress.h"
#include "stage/engine_globals.h"
#include "stage/game_scene.h"
#include "stage/graphic_source.h"
#include "stage/stage_objects.h"

namespace {

class PlayScreenTest : public ::testing::Test, public DisplayFixture {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        Prepare();
        ASSERT_TRUE(Open(kDisplayConfigs[3]));
        ASSERT_TRUE(DDCreateSurface(&m_screen, 640, 480, 0, 0, 0, nullptr, 0));
        DDFillSurface(&m_screen, 1);
        m_scene = std::make_unique<cGameScene>();
        EdStageWork = cEdStage{};
    }
    void TearDown() override {
        m_scene.reset();
        DDReleaseSurface(&m_screen);
        for (int i = 0; i < kStdSurfaceCount; ++i) DDReleaseSurface(&StdSD[i]);
        Close();
        EdStageWork = cEdStage{};
        EdSystem = cEdSystem{};
        Progress = GameProgress{};
        ResetEngineGlobals();
    }
    void Sheet(int index, int w, int h, std::uint32_t colour) {
        DDReleaseSurface(&StdSD[index]);
        ASSERT_TRUE(DDCreateSurface(&StdSD[index], w, h, 1, 0, 0, nullptr, 0));
        DDFillSurface(&StdSD[index], colour);
    }
    // Background i: shown, layer, an image of w x h whose columns are colours 100 + x (so
    // that the tile's source column shows) unless fill.
    cEdBackground& Background(int i, int layer, int w, int h) {
        if (static_cast<int>(EdStageWork.vecBackground.Size()) <= i)
            EdStageWork.vecBackground.resize(i + 1);
        cEdBackground& bg = EdStageWork.vecBackground[i];
        bg.SetDefaults();
        bg.nLayer = layer;
        bg.dRateX = 1.0;
        bg.dRateY = 1.0;
        if (w > 0) {
            Sheet(kBackgroundSurfaceFirst + i, w, h, 0);
            for (int x = 0; x < w; ++x)
                DDFillRect(&StdSD[kBackgroundSurfaceFirst + i], x, 0, 1, h, 100 + x);
        }
        return bg;
    }
    std::uint32_t At(int x, int y) { return RawPixel(&m_screen, x, y); }

    DDSURFACEDATA m_screen;
    std::unique_ptr<cGameScene> m_scene;
};

TEST_F(PlayScreenTest, BackgroundsFillTileAndScroll) {
    // None shown: the darkness colour.
    Background(0, 0, 8, 8).bShown = 0;
    m_scene->DrawBackgrounds(&m_screen, 0);
    EXPECT_EQ(At(0, 0), 16u);
    EXPECT_EQ(At(639, 479), 16u);
    // A fill background.
    cEdBackground& fill = Background(0, 0, 0, 0);
    fill.bShown = 1;
    fill.bPlainColour = 1;
    fill.nColour = 40;
    m_scene->DrawBackgrounds(&m_screen, 0);
    EXPECT_EQ(At(320, 240), 40u);
    // Parallax: scroll 13 with a margin of 0 and factor 1 starts the tiles 13 % 8 = 5 in;
    // a scroll left of the margin gives a negative offset, made non-negative.
    fill.bPlainColour = 0;
    Background(0, 0, 8, 8);
    for (const auto& [scroll, first] :
         {std::pair{13.0, 5}, std::pair{-3.0, 6}, std::pair{0.4, 0}}) {
        SCOPED_TRACE(scroll);
        m_scene->m_ScrollX.m_dPos = scroll;
        m_scene->DrawBackgrounds(&m_screen, 0);
        EXPECT_EQ(At(0, 0), 100u + first);
        EXPECT_EQ(At(8 - first, 0), 100u);  // the first column is cut to the rest
        EXPECT_EQ(At(639, 479), 100u + (first + 639) % 8);
    }
    m_scene->m_ScrollX.m_dPos = 0;
    // The margin counts 32 dots a block.
    m_scene->m_ScrollX.m_nMargin = 1;
    m_scene->m_ScrollX.m_dPos = 35;
    m_scene->DrawBackgrounds(&m_screen, 0);
    EXPECT_EQ(At(0, 0), 103u);
    m_scene->m_ScrollX = ScrollAxis{};
}

TEST_F(PlayScreenTest, AutoScrollWrapsAtTheImageWidth) {
    cEdBackground& bg = Background(0, 0, 8, 8);
    bg.bAutoScrollX = 1;
    bg.dRateX = 3;
    const double expected[] = {5, 2, 7, 4};
    for (double want : expected) {
        m_scene->ScrollBackgrounds();
        EXPECT_DOUBLE_EQ(bg.dOffsetX, want);
    }
    m_scene->DrawBackgrounds(&m_screen, 0);
    EXPECT_EQ(At(0, 0), 104u);
    // Backwards too.
    bg.dRateX = -6;
    m_scene->ScrollBackgrounds();
    EXPECT_DOUBLE_EQ(bg.dOffsetX, 2);
    // Without its image the background neither moves nor draws (no size to wrap at).
    DDReleaseSurface(&StdSD[kBackgroundSurfaceFirst]);
    m_scene->ScrollBackgrounds();
    EXPECT_DOUBLE_EQ(bg.dOffsetX, 2);
    DDFillSurface(&m_screen, 1);
    m_scene->DrawBackgrounds(&m_screen, 0);
    EXPECT_EQ(At(0, 0), 16u);  // nothing drawn: the darkness colour
}

TEST_F(PlayScreenTest, FirstFarBackgroundIgnoresTheKeyLaterOnesKeepIt) {
    Background(0, 0, 8, 8);
    DDFillRect(&StdSD[kBackgroundSurfaceFirst], 0, 0, 2, 8, 0);  // keyed columns
    Background(1, 0, 8, 8);
    DDFillRect(&StdSD[kBackgroundSurfaceFirst + 1], 0, 0, 4, 8, 0);
    Background(2, 1, 8, 8);
    DDFillRect(&StdSD[kBackgroundSurfaceFirst + 2], 0, 0, 6, 8, 0);
    m_scene->DrawBackgrounds(&m_screen, 0);
    // Columns 0-1 of the first are drawn as they are (the key colour), 2-3 of the second
    // show the first's, 4-7 the second's.
    EXPECT_EQ(At(0, 0), 0u);
    EXPECT_EQ(At(3, 0), 103u);
    EXPECT_EQ(At(5, 0), 105u);
    m_scene->DrawBackgrounds(&m_screen, 1);
    EXPECT_EQ(At(5, 0), 105u);
    EXPECT_EQ(At(6, 0), 106u);
    EXPECT_EQ(At(0, 0), 0u);
}

TEST_F(PlayScreenTest, TinyImageTilesTheViewAndStops) {
    // A 1-dot image: one tile per dot of the view, and none past it.
    Background(0, 1, 1, 1);
    DDSURFACEDATA wide;
    ASSERT_TRUE(DDCreateSurface(&wide, 1200, 500, 0, 0, 0, nullptr, 0));
    DDFillSurface(&wide, 1);
    m_scene->DrawBackgrounds(&wide, 1);
    EXPECT_EQ(RawPixel(&wide, 0, 0), 100u);
    EXPECT_EQ(RawPixel(&wide, 639, 479), 100u);
    EXPECT_EQ(RawPixel(&wide, 640, 0), 1u);
    EXPECT_EQ(RawPixel(&wide, 0, 480), 1u);
    DDReleaseSurface(&wide);
}

TEST_F(PlayScreenTest, ShotCellsSitCentredInTheirCells) {
    Sheet(20, 128, 480, 0);
    Sheet(21, 128, 480, 0);
    Sheet(kShotCellSheet, 256, 960, 7);
    Sheet(kShotCellSheet + 1, 256, 960, 7);
    // Shot images: (32d, 16c) colour 30 + d, (16 + 32d, 16c) colour 40 + d, row c = 2.
    for (int d = 0; d < 4; ++d) {
        DDFillRect(&StdSD[20], 32 * d, 32, 16, 16, 30 + d);
        DDFillRect(&StdSD[20], 16 + 32 * d, 32, 16, 16, 40 + d);
        DDFillRect(&StdSD[21], 32 * d, 32, 16, 16, 50 + d);
    }
    StdSD[kShotCellSheet].bLost = 1;
    m_scene->BuildShotCellSheets();
    EXPECT_EQ(StdSD[kShotCellSheet].bLost, 0);
    for (int d = 0; d < 4; ++d) {
        SCOPED_TRACE(d);
        EXPECT_EQ(RawPixel(&StdSD[kShotCellSheet], 8 + 64 * d, 8 + 64), 30u + d);
        EXPECT_EQ(RawPixel(&StdSD[kShotCellSheet], 23 + 64 * d, 23 + 64), 30u + d);
        EXPECT_EQ(RawPixel(&StdSD[kShotCellSheet], 40 + 64 * d, 8 + 64), 40u + d);
        EXPECT_EQ(RawPixel(&StdSD[kShotCellSheet + 1], 8 + 64 * d, 8 + 64), 50u + d);
        // The cell's border stays transparent.
        EXPECT_EQ(RawPixel(&StdSD[kShotCellSheet], 7 + 64 * d, 8 + 64), 0u);
        EXPECT_EQ(RawPixel(&StdSD[kShotCellSheet], 24 + 64 * d, 8 + 64), 0u);
    }
    EXPECT_EQ(RawPixel(&StdSD[kShotCellSheet], 255, 959), 0u);
}

// The time limit: three digit cells from the word sheet's strip at (0, 160), at (272, 24).
TEST_F(PlayScreenTest, TimeDigitsFromTheWordSheetStrip) {
    Sheet(kWordSurface, 320, 192, 0);
    for (int d = 0; d < 10; ++d) DDFillRect(&StdSD[kWordSurface], 32 * d, 160, 32, 32, 60 + d);
    EdStageWork.bTimeLimit = 1;
    m_scene->m_nTime = 507;
    m_scene->DrawTimeLimit(&m_screen, 0);
    EXPECT_EQ(At(272, 24), 65u);
    EXPECT_EQ(At(303, 55), 65u);
    EXPECT_EQ(At(304, 24), 60u);
    EXPECT_EQ(At(336, 24), 67u);
    EXPECT_EQ(At(271, 24), 1u);
    EXPECT_EQ(At(368, 24), 1u);
    // Without a time limit nothing.
    EdStageWork.bTimeLimit = 0;
    DDFillSurface(&m_screen, 1);
    m_scene->DrawTimeLimit(&m_screen, 0);
    EXPECT_EQ(At(272, 24), 1u);
}

// The status bar in icon mode: each shown item is its icon and its digits (or the gauge),
// spread with equal integer gaps.
TEST_F(PlayScreenTest, StatusBarLaysItemsOutWithIntegerGaps) {
    Sheet(kStatusWindowSurface, 640, 20, 2);
    Sheet(kAccessorySurface, 128, 256, 0);
    for (int i = 0; i < 5; ++i) DDFillRect(&StdSD[kAccessorySurface], 16 * i, 32, 16, 16, 70 + i);
    DDFillRect(&StdSD[kAccessorySurface], 0, 128, 50, 16, 80);  // HP frame
    DDFillRect(&StdSD[kAccessorySurface], 0, 144, 50, 16, 81);  // HP fill
    DDFillRect(&StdSD[kAccessorySurface], 0, 160, 50, 16, 82);  // HP warning fill
    EdSystem.vecHudItems.resize(kHudItemCount);
    for (auto& hud : EdSystem.vecHudItems) {
        hud.bShown = 0;
        hud.bIconLabel = 1;
        hud.nDigits = 0;
    }
    Player.Reset(1);
    Player[0].m_Chara.nMaxHp = 10;
    Player[0].m_nHp = 4;
    EdStageWork.bStatusShown = 1;
    // Score (16 + 4 x 16 = 80) and HP (16 + 50 = 66): gap (638 - 146) / 3 = 164.
    EdSystem.vecHudItems[0].bShown = 1;
    EdSystem.vecHudItems[0].nDigits = 4;
    EdSystem.vecHudItems[2].bShown = 1;
    m_scene->DrawStatusBar(&m_screen);
    EXPECT_EQ(At(0, 0), 2u);  // the bar
    EXPECT_EQ(At(639, 19), 2u);
    EXPECT_EQ(At(164, 3), 70u);  // the score's icon at the first gap
    EXPECT_EQ(At(163, 3), 2u);
    const int hpX = 164 + 80 + 164;  // the HP item after the score and a gap
    EXPECT_EQ(At(hpX, 3), 72u);
    EXPECT_EQ(At(hpX + 16, 3), 81u);  // the fill: 4 x 50 / 10 = 20 dots
    EXPECT_EQ(At(hpX + 16 + 19, 3), 81u);
    EXPECT_EQ(At(hpX + 16 + 20, 3), 80u);  // then the frame
    // At the warning threshold the warning fill.
    EdSystem.vecHudItems[2].nLowThreshold = 4;
    m_scene->DrawStatusBar(&m_screen);
    EXPECT_EQ(At(hpX + 16, 3), 82u);
    // A maximum of 0 fills nothing.
    Player[0].m_Chara.nMaxHp = 0;
    m_scene->DrawStatusBar(&m_screen);
    EXPECT_EQ(At(hpX + 16, 3), 80u);
    // Shown off, or no item shown: nothing at all.
    DDFillSurface(&m_screen, 1);
    EdStageWork.bStatusShown = 0;
    m_scene->DrawStatusBar(&m_screen);
    EdStageWork.bStatusShown = 1;
    for (auto& hud : EdSystem.vecHudItems) hud.bShown = 0;
    m_scene->DrawStatusBar(&m_screen);
    EXPECT_EQ(At(0, 0), 1u);
}

// With the pause's hide setting the paused screen is the front backgrounds (and the tint)
// alone; otherwise the stage and the status bar over it.
TEST_F(PlayScreenTest, HiddenPauseShowsOnlyTheFrontBackgrounds) {
    Background(0, 0, 8, 8);
    Background(1, 1, 8, 8);
    DDFillRect(&StdSD[kBackgroundSurfaceFirst + 1], 0, 0, 4, 8, 0);  // the front's keyed half
    Sheet(kStatusWindowSurface, 640, 20, 2);
    Sheet(kShotCellSheet, 256, 960, 0);
    Sheet(kShotCellSheet + 1, 256, 960, 0);
    EdStageWork.bStatusShown = 1;
    EdSystem.vecHudItems.resize(kHudItemCount);
    EdSystem.vecHudItems[4].bShown = 1;
    EdSystem.bPauseLayer = 1;
    m_scene->m_nState = GAMESTATE_PAUSE;
    m_scene->Draw(0, 1, 0, 1);
    EXPECT_EQ(RawPixel(&BackBuffer, 1, 0), 101u);  // the far background through the key
    EXPECT_EQ(RawPixel(&BackBuffer, 5, 0), 105u);  // the front one
    // Kept (the pause of a wait), or the setting off: the status bar over the stage.
    m_scene->Draw(1, 1, 0, 1);
    EXPECT_EQ(RawPixel(&BackBuffer, 1, 0), 2u);
    EdSystem.bPauseLayer = 0;
    m_scene->Draw(0, 1, 0, 1);
    EXPECT_EQ(RawPixel(&BackBuffer, 1, 0), 2u);
    EXPECT_EQ(RawPixel(&BackBuffer, 5, 30), 105u);
}

}  // namespace

// The timing of screen effects, character effects and pictures, counted frame by frame on a
// small display at 8 bits: where 移動 puts the picture, when effects with equal ends, back
// and forth, repeating, of no kind or frozen end (or do not), the shake's speed, the
// character effects' ends, and the life and place of pictures.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "data/database.h"
#include "data/stage_record.h"
#include "gfx/display.h"
#include "gfx/display_fixture.h"
#include "gfx/fill.h"
#include "gfx/surface.h"
#include "gfx/surface_tables.h"
#include "platform/trunc.h"
#include "stage/actor.h"
#include "stage/chara_effect_draw.h"
#include "stage/engine_globals.h"
#include "stage/game_scene.h"
#include "stage/graphic_source.h"
#include "stage/post_load_tables.h"
#include "stage/screen_effect_draw.h"

namespace {

class EffectTiming : public ::testing::Test, public DisplayFixture {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        Prepare();
        ASSERT_TRUE(Open(kDisplayConfigs[3]));
        for (int i : {67, 68, 70})
            ASSERT_TRUE(DDCreateSurface(&StdSD[i], 640, 480, 1, 1, 0, nullptr, 0));
        m_scene = std::make_unique<cGameScene>();
        lpGame = m_scene.get();
        EdStageWork = cEdStage{};
    }
    void TearDown() override {
        m_scene.reset();
        for (int i = 0; i < kStdSurfaceCount; ++i) DDReleaseSurface(&StdSD[i]);
        Close();
        EdStageWork = cEdStage{};
        ResetEngineGlobals();
    }
    // Screen-effect record 1 and character-effect record 1, prepared as after loading.
    static void ScreenRecord(int kind, std::vector<std::int32_t> params) {
        EdDatabase.vecScrEffect.resize(2);
        EdDatabase.vecScrEffect[1].nKind = kind;
        for (int i = 0; i < 5; ++i) EdDatabase.vecScrEffect[1].anParam[i] = params[i];
        BuildPostLoadTables();
    }
    static void CharaRecord(int kind, std::vector<std::int32_t> params) {
        EdDatabase.vecCharaEffect.resize(2);
        EdDatabase.vecCharaEffect[1].nKind = kind;
        for (int i = 0; i < 5; ++i) EdDatabase.vecCharaEffect[1].anParam[i] = params[i];
        BuildPostLoadTables();
    }
    // Frames of the running screen effect until it ends (at most `limit`): the frame it ended
    // in, or -1.
    int RunUntilEnd(int limit, int frozen = 0) {
        for (int frame = 1; frame <= limit; ++frame) {
            m_scene->RunScreenEffect(frozen);
            if (m_scene->m_ScreenEffect.nNumber == 0) return frame;
        }
        return -1;
    }

    std::unique_ptr<cGameScene> m_scene;
};

TEST_F(EffectTiming, MoveIsDrawnOneFrameBehindAndEndsInFrame67) {
    ScreenRecord(1, {10, 0, 0, 640, 0});
    ScreenEffectInstance& e = m_scene->m_ScreenEffect;
    e.Start(1, 0, 0);
    // The level after each frame's advance, summed as the effect sums it.
    std::vector<double> levels = {0.0};
    int frame = 0;
    while (e.nNumber != 0 && frame < 100) {
        ++frame;
        const int drawnAt = e.nWorkA;  // where this frame puts the picture
        if (frame <= 2)
            EXPECT_EQ(drawnAt, 0) << frame;
        else
            EXPECT_EQ(drawnAt, plat::TruncToInt(64 * levels[frame - 2])) << frame;
        EXPECT_EQ(e.nWorkB, 0);
        if (frame == 67) {
            EXPECT_EQ(drawnAt, 693);
        }
        m_scene->RunScreenEffect(0);
        levels.push_back(levels.back() + 1.0 / 6.0);
    }
    EXPECT_EQ(frame, 67);
    EXPECT_DOUBLE_EQ(levels[66], 10.999999999999995);
}

TEST_F(EffectTiming, EqualEndsLastTheirTimeOnly) {
    // A rotation from 90 to 90 over a second: the elapsed time exceeds 10 tenths in frame 61.
    ScreenRecord(9, {10, 90, 90, 0, 0});
    m_scene->m_ScreenEffect.Start(1, 0, 0);
    EXPECT_EQ(m_scene->m_ScreenEffect.bFixed, 1);
    EXPECT_EQ(RunUntilEnd(200), 61);
    // Half the time: frame 31.
    ScreenRecord(9, {5, 90, 90, 0, 0});
    m_scene->m_ScreenEffect.Start(1, 1, 0);
    EXPECT_EQ(RunUntilEnd(200), 31);
}

TEST_F(EffectTiming, ShakeMovesByItsSpeedAndTurnsAtItsAmplitude) {
    ScreenRecord(2, {10, 4, 4, 0, 0});
    ScreenEffectInstance& e = m_scene->m_ScreenEffect;
    e.Start(1, 0, 0);
    const double v = 4.0 * 4.0 * 4.0 / 60.0;
    const double expected[] = {v, 2 * v, 3 * v, 4, 4 - v, 4 - 2 * v};
    for (double want : expected) {
        m_scene->RunScreenEffect(0);
        EXPECT_DOUBLE_EQ(e.dShake, want);
    }
    EXPECT_EQ(e.nWorkA, 1);  // going back
    // The vertical shake moves alike; the time is compared truncated, so both end when it
    // reaches 11 tenths, in frame 67, as 移動 does.
    ScreenRecord(3, {10, 4, 4, 0, 0});
    e.Start(1, 0, 0);
    EXPECT_EQ(RunUntilEnd(200), 67);
}

TEST_F(EffectTiming, BackAndForthRepeatNoKindAndFrozen) {
    // Mosaic 1 to 60 over a second: 62 frames forward (until the truncated level passes
    // 60), 60 back (until it drops below 1).
    ScreenRecord(13, {10, 1, 60, 0, 0});
    ScreenEffectInstance& e = m_scene->m_ScreenEffect;
    e.Start(1, 0, 0);
    EXPECT_EQ(RunUntilEnd(500), 62);
    e.Start(1, 1, 0);
    EXPECT_EQ(RunUntilEnd(500), 60);
    e.Start(1, 2, 0);
    EXPECT_EQ(RunUntilEnd(500), 122);
    // It ended going back, at its start value.
    EXPECT_EQ(e.bReversed, 1);
    EXPECT_LT(e.dLevel, 1.0);
    EXPECT_GT(e.dLevel, 1.0 - 59.0 / 60.0);

    // Repeating: never ends, starting again from its start value.
    e.Start(1, 0, 1);
    EXPECT_EQ(RunUntilEnd(1000), -1);
    EXPECT_GE(e.dLevel, 1.0);
    EXPECT_LE(e.dLevel, 61.0);
    e.Start(1, 2, 1);
    EXPECT_EQ(RunUntilEnd(1000), -1);

    // Frozen frames show the effect without moving it on.
    e.Start(1, 0, 0);
    m_scene->RunScreenEffect(0);
    ScreenEffectInstance before = e;
    EXPECT_EQ(RunUntilEnd(50, 1), -1);
    EXPECT_EQ(std::memcmp(&before, &e, sizeof e), 0);

    // A record of kind 0, or of a kind the table does not hold, never ends.
    for (int kind : {0, 14, -3, 99}) {
        SCOPED_TRACE(kind);
        ScreenRecord(kind, {10, 1, 60, 0, 0});
        e.Start(1, 0, 0);
        EXPECT_EQ(RunUntilEnd(300), -1);
        EXPECT_EQ(e.nNumber, 1);
    }
}

TEST_F(EffectTiming, CharacterEffectsEndUntruncatedInFixedModeAndReversed) {
    cCharaActor actor;
    CharaEffectInstance& e = actor.m_CharaEffect;
    // 点滅 over a second: the level is the time, ending when it exceeds 10 in frame 61.
    CharaRecord(6, {10, 2, 0, 0, 0});
    e.Start(1, 0, 0);
    int frame = 0;
    while (frame < 200 && actor.AdvanceEffect(0) == 0) ++frame;
    EXPECT_EQ(frame + 1, 61);
    EXPECT_EQ(e.nNumber, 0);
    // Paused frames move nothing.
    e.Start(1, 0, 0);
    for (int i = 0; i < 100; ++i) EXPECT_EQ(actor.AdvanceEffect(1), 0);
    EXPECT_EQ(e.dLevel, 0);
    EXPECT_EQ(e.nWorkA, 0);

    // 拡大 from 32 to 32 over half a second runs in fixed mode: frame 31.
    CharaRecord(11, {5, 32, 32, 0, 0});
    e.Start(1, 0, 0);
    frame = 1;
    while (frame < 200 && actor.AdvanceEffect(0) == 0) ++frame;
    EXPECT_EQ(frame, 31);

    // 破裂 0 to 32 started reversed: from 32 down, untruncated, until it drops below 0.
    CharaRecord(1, {5, 0, 32, 0, 0});
    e.Start(1, 1, 0);
    EXPECT_EQ(e.bReversed, 1);
    EXPECT_EQ(e.nFrom, 32);
    EXPECT_EQ(e.nTo, 0);
    EXPECT_DOUBLE_EQ(e.dLevel, 32);
    frame = 1;
    while (frame < 200 && actor.AdvanceEffect(0) == 0) ++frame;
    EXPECT_EQ(frame, 31);
    EXPECT_LT(e.dLevel, 0);
    // Back and forth: 31 frames each way, the way back from the reversed preparation.
    e.Start(1, 2, 0);
    frame = 1;
    while (frame < 200 && actor.AdvanceEffect(0) == 0) ++frame;
    EXPECT_EQ(frame, 62);
    EXPECT_EQ(e.bReversed, 1);
}

TEST_F(EffectTiming, DyingWithAnEffectThatNeverEndsCountsAsNoEffect) {
    for (int kind : {0, 17, -1}) {
        SCOPED_TRACE(kind);
        CharaRecord(kind, {10, 0, 32, 0, 0});
        cCharaActor chara;
        chara.m_nOperator = 1;
        chara.m_bDying = 1;
        chara.m_CharaEffect.Start(1, 0, 0);
        EXPECT_EQ(chara.DrawDying(&BackBuffer, 0), 1);
    }
    // A death effect that ends keeps the character until its end.
    CharaRecord(1, {1, 0, 32, 0, 0});
    cCharaActor chara;
    chara.m_nOperator = 1;
    chara.m_bDying = 1;
    chara.m_CharaEffect.Start(1, 0, 0);
    int frame = 1;
    while (frame < 100 && chara.DrawDying(&BackBuffer, 0) == 0) ++frame;
    EXPECT_EQ(frame, 7);  // 32 dots in 6 frames: past 32 in the 7th
}

// A picture surface of w x h in one colour.
class PictureTiming : public EffectTiming {
protected:
    PictureObject& Add(int layer, int kind, int frames, int w, std::uint32_t colour) {
        PictureObject picture;
        picture.Set(1, 0, 0, w, 8, 0, layer, 100, kind, frames, 0, 0, 0);
        PictureObject& added = m_scene->m_listPicture.emplace_back(picture);
        DDSURFACEDATA& sd = m_scene->m_listPicSurface.emplace_back();
        EXPECT_TRUE(DDCreateSurface(&sd, w, 8, 1, 0, 0, nullptr, 0));
        DDFillSurface(&sd, colour);
        m_scene->m_listPicDef.emplace_back();
        return added;
    }
    std::uint32_t At(int x, int y) { return RawPixel(&BackBuffer, x, y); }
};

TEST_F(PictureTiming, ATimedPictureGoesAtItsDrawAfterItsTimeWithItsOwnSurface) {
    Add(0, PICTURE_UNTIL_KEY, 0, 16, 40);
    Add(0, PICTURE_FOR_TIME, 60, 24, 41);
    Add(1, PICTURE_UNTIL_STAGE_END, 0, 32, 42);
    // Held frames keep a picture's time unless the game waits for it.
    for (int i = 0; i < 10; ++i) m_scene->DrawPictures(&BackBuffer, 0, 1);
    EXPECT_EQ(std::next(m_scene->m_listPicture.begin())->nFramesLeft, 60);
    int draws = 0;
    while (m_scene->m_listPicture.size() == 3 && draws < 100) {
        DDFillSurface(&BackBuffer, 1);
        m_scene->DrawPictures(&BackBuffer, 0, 0);
        ++draws;
        if (m_scene->m_listPicture.size() == 3) {
            EXPECT_EQ(At(20, 0), 41u) << draws;
        }
    }
    EXPECT_EQ(draws, 61);
    EXPECT_EQ(At(20, 0), 1u);  // not drawn in the draw that removed it
    // The surfaces of the pictures left are theirs, in their order.
    ASSERT_EQ(m_scene->m_listPicSurface.size(), 2u);
    ASSERT_EQ(m_scene->m_listPicDef.size(), 2u);
    EXPECT_EQ(m_scene->m_listPicSurface.begin()->nWidth, 16);
    EXPECT_EQ(std::next(m_scene->m_listPicSurface.begin())->nWidth, 32);
    // Layer 1 is its own pass; the until-key picture stays.
    for (int i = 0; i < 100; ++i) m_scene->DrawPictures(&BackBuffer, 1, 0);
    EXPECT_EQ(m_scene->m_listPicture.size(), 2u);
    // A waiting picture's time runs in held frames too.
    PictureObject& waiting = Add(0, PICTURE_FOR_TIME, 1, 8, 43);
    waiting.bWait = 1;
    m_scene->DrawPictures(&BackBuffer, 0, 1);
    m_scene->DrawPictures(&BackBuffer, 0, 1);
    EXPECT_EQ(m_scene->m_listPicture.size(), 2u);
    m_scene->ClearPictures();
    EXPECT_TRUE(m_scene->m_listPicSurface.empty());
    EXPECT_TRUE(m_scene->m_listPicDef.empty());
}

TEST_F(PictureTiming, AScreenFixedPictureKeepsThePlaceOfItsSet) {
    m_scene->m_ScrollX.m_dPos = 100.7;
    m_scene->m_ScrollY.m_dPos = 50;
    PictureObject& fixed = Add(0, PICTURE_UNTIL_KEY, 0, 16, 40);
    fixed.Set(1, 300.9, 200, 16, 8, 1, 0, 100, PICTURE_UNTIL_KEY, 0, 0, 0, 0);
    EXPECT_EQ(fixed.nScreenX, 200);
    EXPECT_EQ(fixed.nScreenY, 150);
    PictureObject& moving = Add(1, PICTURE_UNTIL_KEY, 0, 16, 41);
    moving.Set(1, 300.9, 300, 16, 8, 0, 1, 100, PICTURE_UNTIL_KEY, 0, 0, 0, 0);
    m_scene->m_ScrollX.m_dPos = 150;
    m_scene->m_ScrollY.m_dPos = 10;
    DDFillSurface(&BackBuffer, 1);
    m_scene->DrawPictures(&BackBuffer, 0, 0);
    m_scene->DrawPictures(&BackBuffer, 1, 0);
    EXPECT_EQ(At(200, 150), 40u);
    EXPECT_EQ(At(199, 150), 1u);
    // The other follows the view: 300 - 150, 300 - 10.
    EXPECT_EQ(At(150, 290), 41u);
    EXPECT_EQ(At(149, 290), 1u);
}

}  // namespace

// The hero actor: its set-up with the boxes of the running stage, the hit-box display list,
// flight mode changes, the camera, the one-tick steps, the flow pass with its per-tick
// resets and auto-scroll velocity, the jump state machine, the item contact list, the screen
// rectangle on auto-scrolling axes and the drawing of the hit boxes.
#include "stage/hero_actor.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/input.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "flow/flow_instance.h"
#include "gfx/display_fixture.h"
#include "gfx/fill.h"
#include "gfx/surface.h"
#include "stage/actor_geometry.h"
#include "stage/engine_globals.h"
#include "stage/game_scene.h"
#include "stage/item_object.h"
#include "stage/scroll_axis.h"
#include "support/scroll_axis_setup.h"

namespace {

// A stage of 40 × 25 blocks at level 10 (b = 10, 6 dots per tick at most) with the view at
// its top-left corner, and hero box sizes that differ from each other so that a mixed-up
// setting shows.
class HeroFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        cEdStage& st = EdStageWork;
        st.dGravity = 0.4;
        st.SetGameSpeed(10);
        st.nHeroBodyW = 20;
        st.nHeroBodyH = 28;
        st.nHeroBodyAlign = 1;
        st.nHeroBodyFlyW = 18;
        st.nHeroBodyFlyH = 14;
        st.nHeroBodyFlyAlign = 0;
        st.nHeroHitW = 14;
        st.nHeroHitH = 24;
        st.nHeroHitAlign = 1;
        st.nHeroHitFlyW = 12;
        st.nHeroHitFlyH = 10;
        st.nHeroHitFlyAlign = 0;
        st.nHeroShotHitW = 26;
        st.nHeroShotHitH = 22;
        st.nHeroShotRangeW = 10;
        st.nHeroShotRangeH = 8;
        st.nHeroItemBoxW = 30;
        st.nHeroItemBoxH = 24;
        // The items' own box: a mix-up with the hero's item box shows.
        st.nItemBodyW = 6;
        st.nItemBodyH = 4;
        SetTestAxis(m_axisX, 1600, 1920);
        SetTestAxis(m_axisY, 1120, 1440);
        SetGeometryAxes(&m_axisX, &m_axisY);
    }
    void TearDown() override { ResetEngineGlobals(); }
    // Player 1's character: walking (fly kind 0) unless told otherwise.
    static cEdChara Record(int flyKind = 0, int hitKind = 0, int giant = 1, int facing = 1) {
        cEdChara r;
        r.nControl = 0;
        r.nPlayer = 0;
        r.nSide = 0;
        r.nGraphic = 3;
        r.nFacing = static_cast<std::int8_t>(facing);
        r.nBlockCollision = static_cast<std::int8_t>(flyKind);
        r.nHitBoxKind = static_cast<std::int8_t>(hitKind);
        r.nGiant = static_cast<std::int8_t>(giant);
        r.nMaxHp = 10;
        r.nMaxSp = 5;
        return r;
    }
    static void Make(cHeroActor& hero, int flyKind = 0, int hitKind = 0, int giant = 1) {
        cEdChara rec = Record(flyKind, hitKind, giant);
        ASSERT_EQ(hero.Init(1, rec, 0, 0), 0);
    }
    // The box is put at (x, y) in map dots; the camera follows.
    static void PutAt(cHeroActor& hero, double x, double y) {
        hero.m_dX = x;
        hero.m_dY = y;
        hero.OnMovedX();
        hero.OnMovedY();
    }

    ScrollAxis m_axisX;
    ScrollAxis m_axisY;
};

struct Box {
    int x, y, w, h;
};
void ExpectBox(const HitBoxSet& b, const Box& want) {
    EXPECT_EQ(b.nOffsetX, want.x);
    EXPECT_EQ(b.nOffsetY, want.y);
    EXPECT_EQ(b.nWidth, want.w);
    EXPECT_EQ(b.nHeight, want.h);
}
void ExpectScaleOne(const HitBoxSet& b, const Box& want) {
    EXPECT_EQ(b.nBaseOffsetX, want.x);
    EXPECT_EQ(b.nBaseOffsetY, want.y);
    EXPECT_EQ(b.nBaseWidth, want.w);
    EXPECT_EQ(b.nBaseHeight, want.h);
}
// The kinds of the display list, in order.
std::vector<int> Kinds(const cHeroActor& hero) {
    std::vector<int> out;
    for (const HitBoxView& v : hero.m_vecHitBoxView) out.push_back(v.nKind);
    return out;
}
const HitBoxView* ViewOf(const cHeroActor& hero, int kind) {
    for (const HitBoxView& v : hero.m_vecHitBoxView)
        if (v.nKind == kind) return &v;
    return nullptr;
}

// --- Set-up ---

TEST_F(HeroFixture, InitTakesBoxesFromTheStageByFlightAndHitBoxKind) {
    // Sizes: object box 20 × 28 walking, 18 × 14 flying; shot box 26 × 22; item box 30 × 24.
    struct Case {
        const char* name;
        int flyKind, hitKind;
        // The stage's bottom-aligned flags: object box walking / flying, body walking / flying.
        int walkObj, flyObj, walkHit, flyHit;
        // Offsets of the object box; offsets and size of the body box; offsets of the shot
        // and item boxes.
        int objX, objY, bodyX, bodyY, bodyW, bodyH, shotX, shotY, itemX, itemY;
        int flying, blockMode;
    };
    const Case cases[] = {
        {"walking, bottom-aligned", 0, 0, 1, 0, 1, 0, 6, 4, 3, 4, 14, 24, -3, 1, -5, 0, 0, 1},
        {"walking, centred", 0, 0, 0, 1, 0, 1, 6, 2, 3, 2, 14, 24, -3, 3, -5, 2, 0, 1},
        {"flying through blocks, centred", 1, 0, 1, 0, 1, 0, 7, 9, 3, 2, 12, 10, -4, -4, -6, -5, 1,
         0},
        {"flying against blocks, bottom-aligned", 2, 0, 0, 1, 0, 1, 7, 18, 3, 4, 12, 10, -4, -13,
         -6, -14, 1, 1},
        {"flying, dying on blocks", 3, 0, 1, 0, 1, 0, 7, 9, 3, 2, 12, 10, -4, -4, -6, -5, 1, 2},
        {"a fly kind outside 0..3 walks", 5, 0, 1, 0, 1, 0, 6, 4, 3, 4, 14, 24, -3, 1, -5, 0, 0, 1},
        // The body box of the other kinds is always centred.
        {"kind 1: the shot box size", 0, 1, 1, 0, 1, 0, 6, 4, -3, 1, 26, 22, -3, 1, -5, 0, 0, 1},
        {"kind 2: the player's shot size", 0, 2, 1, 0, 1, 0, 6, 4, 5, 8, 10, 8, -3, 1, -5, 0, 0, 1},
        {"kind 2 while flying", 1, 2, 1, 0, 1, 0, 7, 9, 4, 3, 10, 8, -4, -4, -6, -5, 1, 0},
        {"kind 3: the whole sprite", 0, 3, 1, 0, 1, 0, 6, 4, -6, -4, 32, 32, -3, 1, -5, 0, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cEdStage& st = EdStageWork;
        st.nHeroBodyAlign = c.walkObj;
        st.nHeroBodyFlyAlign = c.flyObj;
        st.nHeroHitAlign = c.walkHit;
        st.nHeroHitFlyAlign = c.flyHit;
        cHeroActor hero;
        Make(hero, c.flyKind, c.hitKind);
        const Box object = {c.objX, c.objY, c.flying ? 18 : 20, c.flying ? 14 : 28};
        const Box body = {c.bodyX, c.bodyY, c.bodyW, c.bodyH};
        const Box shot = {c.shotX, c.shotY, 26, 22};
        const Box item = {c.itemX, c.itemY, 30, 24};
        EXPECT_EQ(hero.m_nOffsetX, object.x);
        EXPECT_EQ(hero.m_nOffsetY, object.y);
        EXPECT_EQ(hero.m_nBoxW, object.w);
        EXPECT_EQ(hero.m_nBoxH, object.h);
        EXPECT_EQ(hero.m_nBaseOffsetX, object.x);
        EXPECT_EQ(hero.m_nBaseOffsetY, object.y);
        EXPECT_EQ(hero.m_nBaseBoxW, object.w);
        EXPECT_EQ(hero.m_nBaseBoxH, object.h);
        EXPECT_EQ(hero.m_nSpriteW, 32);
        EXPECT_EQ(hero.m_nSpriteH, 32);
        ExpectBox(hero.m_BodyBox, body);
        ExpectBox(hero.m_ShotBox, shot);
        ExpectBox(hero.m_ItemBox, item);
        ExpectScaleOne(hero.m_BodyBox, body);
        ExpectScaleOne(hero.m_ShotBox, shot);
        ExpectScaleOne(hero.m_ItemBox, item);
        EXPECT_EQ(hero.m_bFlying, c.flying);
        EXPECT_EQ(hero.m_nBlockMode, c.blockMode);
    }
}

TEST_F(HeroFixture, ObjectBoxOffsetsShiftArithmetically) {
    const struct {
        int w, h, bottom;
        int offX, offY;
    } cases[] = {
        {21, 29, 0, 5, 1},    // odd sizes round down
        {40, 35, 0, -4, -2},  // larger than the sprite: -3 >> 1 is -2, not -1
        {40, 40, 1, -4, -8},  // bottom-aligned: 32 - h
        {32, 32, 1, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " bottom " << c.bottom);
        EdStageWork.nHeroBodyW = c.w;
        EdStageWork.nHeroBodyH = c.h;
        EdStageWork.nHeroBodyAlign = c.bottom;
        cHeroActor hero;
        hero.PlaceObjectBox(0);
        EXPECT_EQ(hero.m_nOffsetX, c.offX);
        EXPECT_EQ(hero.m_nOffsetY, c.offY);
        EXPECT_EQ(hero.m_nBaseOffsetX, c.offX);
        EXPECT_EQ(hero.m_nBaseOffsetY, c.offY);
        EXPECT_EQ(hero.m_nBoxW, c.w);
        EXPECT_EQ(hero.m_nBaseBoxH, c.h);
        EXPECT_EQ(hero.m_nBaseSpriteW, 32);
        EXPECT_EQ(hero.m_nBaseSpriteH, 32);
    }
}

TEST_F(HeroFixture, InitAppliesTheGiantSizeAndListsTheScaledBoxes) {
    cHeroActor hero;
    Make(hero, 0, 0, 2);
    EXPECT_EQ(hero.m_nBoxW, 40);
    EXPECT_EQ(hero.m_nBoxH, 56);
    EXPECT_EQ(hero.m_nOffsetX, 12);
    EXPECT_EQ(hero.m_nOffsetY, 8);
    EXPECT_EQ(hero.m_nSpriteW, 64);
    EXPECT_EQ(hero.m_nBaseBoxW, 20);
    EXPECT_EQ(hero.m_nBaseOffsetX, 6);
    EXPECT_EQ(hero.m_nBaseSpriteW, 32);
    ExpectBox(hero.m_BodyBox, {6, 8, 28, 48});
    ExpectBox(hero.m_ShotBox, {-6, 2, 52, 44});
    ExpectBox(hero.m_ItemBox, {-10, 0, 60, 48});
    ExpectScaleOne(hero.m_ItemBox, {-5, 0, 30, 24});
    // The display shows the boxes as they are after the scale change.
    EXPECT_EQ(Kinds(hero),
              (std::vector<int>{kHitBoxItem, kHitBoxShot, kHitBoxObject, kHitBoxBody}));
    EXPECT_EQ(ViewOf(hero, kHitBoxObject)->nWidth, 40);
    EXPECT_EQ(ViewOf(hero, kHitBoxObject)->nHeight, 56);
    EXPECT_EQ(ViewOf(hero, kHitBoxBody)->nHeight, 48);
    EXPECT_EQ(ViewOf(hero, kHitBoxItem)->nWidth, 60);
}

TEST_F(HeroFixture, GiantSizeZeroBecomesOneInTheGivenRecord) {
    cEdChara rec = Record(0, 0, 0);
    cHeroActor hero;
    ASSERT_EQ(hero.Init(1, rec, 0, 0), 0);
    EXPECT_EQ(rec.nGiant, 1);
    EXPECT_EQ(hero.m_Chara.nGiant, 1);
    EXPECT_EQ(hero.m_nBoxW, 20);
    EXPECT_EQ(hero.m_nSpriteW, 32);
    EXPECT_EQ(hero.m_ItemBox.nWidth, 30);
}

TEST_F(HeroFixture, InitBindsTheInputAndClearsJumpAndTouchState) {
    for (int facing : {0, 1}) {
        SCOPED_TRACE(facing);
        cHeroActor hero;
        hero.m_bJumpForbidden = 1;
        hero.m_nJumpHold = 5;
        hero.m_bJumpArmed = 0;
        hero.m_bHitCeiling = 1;
        hero.m_bClearDirection = 1;
        hero.m_bClearButtons = 1;
        hero.m_nTouchKind = kTouchSpeed;
        hero.m_dTouchValue = 1.5;
        hero.m_nTouchTicks = 4;
        hero.m_nItemBlockWait = 9;
        hero.m_nTicks = 77;
        hero.m_nPrevFacing = 1 - facing;
        cItemObject item;
        hero.TouchItem(item);
        cEdChara rec = Record(0, 0, 1, facing);
        ASSERT_EQ(hero.Init(1, rec, 0, 0), 0);
        EXPECT_EQ(hero.m_pInput, &InputList[0]);
        EXPECT_EQ(hero.m_bFacingRight, facing);
        EXPECT_EQ(hero.m_nPrevFacing, facing);
        EXPECT_EQ(hero.m_bJumpForbidden, 0);
        EXPECT_EQ(hero.m_nJumpHold, 0);
        EXPECT_EQ(hero.m_bJumpArmed, 1);
        EXPECT_EQ(hero.m_bHitCeiling, 0);
        EXPECT_EQ(hero.m_bClearDirection, 0);
        EXPECT_EQ(hero.m_bClearButtons, 0);
        EXPECT_EQ(hero.m_nTouchKind, 0);
        EXPECT_EQ(hero.m_dTouchValue, 0.0);
        EXPECT_EQ(hero.m_nTouchTicks, 0);
        EXPECT_EQ(hero.m_nItemBlockWait, 0);
        EXPECT_EQ(hero.m_nTicks, 0);
        EXPECT_TRUE(hero.IsItemUntouched(item));
        EXPECT_EQ(hero.m_nHp, 10);
        EXPECT_EQ(hero.m_nOperator, 0);
    }
}

TEST_F(HeroFixture, TouchStepIsFourOverTheSpeedFactor) {
    const struct {
        int level;
        double step;
    } cases[] = {{10, 0.4}, {4, 1.0}, {15, 0.8}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.level);
        EdStageWork.SetGameSpeed(c.level);
        cHeroActor hero;
        Make(hero);
        EXPECT_DOUBLE_EQ(hero.m_dTouchStep, c.step);
    }
}

// --- The display list ---

TEST_F(HeroFixture, HitBoxListIsSortedByAreaAndEqualAreasKeepTheirOrder) {
    struct Case {
        const char* name;
        // Sizes of the object, item, body and shot boxes.
        int objectW, objectH, itemW, itemH, bodyW, bodyH, shotW, shotH;
        // The kinds in display order: 0 object, 1 body, 2 item, 3 shot.
        const char* order;
    };
    const Case cases[] = {
        {"all different", 20, 28, 30, 30, 14, 24, 26, 22, "2301"},
        {"all equal", 10, 10, 5, 20, 20, 5, 4, 25, "0213"},
        {"two pairs", 10, 10, 5, 10, 10, 10, 10, 5, "0123"},
        {"the last the largest", 3, 3, 3, 3, 3, 3, 4, 3, "3021"},
        {"empty boxes last", 0, 0, 1, 1, 0, 9, 2, 1, "3201"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cHeroActor hero;
        hero.m_nBoxW = c.objectW;
        hero.m_nBoxH = c.objectH;
        hero.m_ItemBox.nWidth = c.itemW;
        hero.m_ItemBox.nHeight = c.itemH;
        hero.m_BodyBox.nWidth = c.bodyW;
        hero.m_BodyBox.nHeight = c.bodyH;
        hero.m_ShotBox.nWidth = c.shotW;
        hero.m_ShotBox.nHeight = c.shotH;
        hero.BuildHitBoxList();
        std::string order;
        for (int kind : Kinds(hero)) order += static_cast<char>('0' + kind);
        EXPECT_EQ(order, c.order);
        EXPECT_EQ(ViewOf(hero, kHitBoxBody)->nWidth, c.bodyW);
        EXPECT_EQ(ViewOf(hero, kHitBoxShot)->nHeight, c.shotH);
        // Built again, nothing is left of the last list.
        hero.BuildHitBoxList();
        EXPECT_EQ(hero.m_vecHitBoxView.Size(), 4u);
    }
}

TEST_F(HeroFixture, HitBoxListTakesModeAndColourOfEachBox) {
    // Modes of the object, body, item and shot boxes, then their colour choices.
    const std::int32_t settings[8] = {1, 2, 0, 1, 3, 7, 0, 5};
    for (int i = 0; i < 8; ++i) EdStageWork.nHeroHitBox[i] = settings[i];
    cHeroActor hero;
    Make(hero);
    const struct {
        int kind, mode, colour;
    } want[] = {{kHitBoxObject, 1, 220},
                {kHitBoxBody, 2, 236},
                {kHitBoxItem, 0, 208},
                {kHitBoxShot, 1, 228}};
    for (const auto& w : want) {
        SCOPED_TRACE(w.kind);
        const HitBoxView* v = ViewOf(hero, w.kind);
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->nMode, w.mode);
        EXPECT_EQ(v->nColour, w.colour);
        EXPECT_EQ(v->nX, 0);
        EXPECT_EQ(v->nY, 0);
        EXPECT_EQ(v->nBlink, 0);
    }
    // A colour choice outside the table (a damaged file) shows as the first colour.
    for (int bad : {8, -1}) {
        EdStageWork.nHeroHitBox[4] = bad;
        hero.BuildHitBoxList();
        EXPECT_EQ(ViewOf(hero, kHitBoxObject)->nColour, 208) << bad;
    }
}

// --- Flight mode ---

TEST_F(HeroFixture, FlightChangeHoldsCrushDeathsAndLandingStopsMotion) {
    const struct {
        const char* name;
        int from, to;
        int hold, stopped, flying, blockMode;
    } cases[] = {
        {"take off", 0, 1, 2, 0, 1, 0},
        {"take off, dying on blocks", 0, 3, 2, 0, 1, 2},
        {"land", 2, 0, 2, 1, 0, 1},
        {"land from kind 3", 3, 0, 2, 1, 0, 1},
        {"flying on, other block mode", 1, 2, 0, 0, 1, 1},
        {"walking on", 0, 0, 0, 0, 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cHeroActor hero;
        Make(hero, c.from);
        hero.m_nHoldFrames = 0;
        hero.m_dVX = 1.5;
        hero.m_dVY = -2;
        hero.m_dMoveVX = 0.5;
        hero.m_dMoveVY = -0.25;
        hero.SetFlyMode(c.to, 0);
        EXPECT_EQ(hero.m_Chara.nBlockCollision, c.to);
        EXPECT_EQ(hero.m_bFlying, c.flying);
        EXPECT_EQ(hero.m_nBlockMode, c.blockMode);
        EXPECT_EQ(hero.m_nHoldFrames, c.hold);
        EXPECT_EQ(hero.m_dVX, c.stopped ? 0.0 : 1.5);
        EXPECT_EQ(hero.m_dVY, c.stopped ? 0.0 : -2.0);
        EXPECT_EQ(hero.m_dMoveVX, c.stopped ? 0.0 : 0.5);
        EXPECT_EQ(hero.m_dMoveVY, c.stopped ? 0.0 : -0.25);
        // The boxes are those of the new mode, and so is the display list.
        const Box object = c.flying ? Box{7, 9, 18, 14} : Box{6, 4, 20, 28};
        const Box body = c.flying ? Box{3, 2, 12, 10} : Box{3, 4, 14, 24};
        EXPECT_EQ(hero.m_nOffsetY, object.y);
        EXPECT_EQ(hero.m_nBoxW, object.w);
        ExpectBox(hero.m_BodyBox, body);
        EXPECT_EQ(ViewOf(hero, kHitBoxObject)->nWidth, object.w);
        EXPECT_EQ(ViewOf(hero, kHitBoxBody)->nHeight, body.h);
        EXPECT_EQ(ViewOf(hero, kHitBoxShot)->nWidth, 26);
    }
}

TEST_F(HeroFixture, UnknownHitBoxKindLeavesTheBodyBox) {
    cHeroActor hero;
    Make(hero);
    hero.m_Chara.nHitBoxKind = 9;
    hero.m_BodyBox.nOffsetX = hero.m_BodyBox.nBaseOffsetX = 11;
    hero.m_BodyBox.nWidth = hero.m_BodyBox.nBaseWidth = 5;
    hero.SetFlyMode(1, 0);
    EXPECT_EQ(hero.m_BodyBox.nOffsetX, 11);
    EXPECT_EQ(hero.m_BodyBox.nBaseWidth, 5);
    EXPECT_EQ(ViewOf(hero, kHitBoxBody)->nWidth, 5);
    // The other boxes are rebuilt all the same.
    ExpectBox(hero.m_ShotBox, {-4, -4, 26, 22});
}

// With the scale flag the new boxes are grown to the giant size.
TEST_F(HeroFixture, ScaleFlagGrowsTheNewBoxes) {
    cHeroActor hero;
    Make(hero, 0, 0, 2);
    hero.SetFlyMode(1, 1);
    EXPECT_EQ(hero.m_nBoxW, 36);
    EXPECT_EQ(hero.m_nBoxH, 28);
    EXPECT_EQ(hero.m_nBaseBoxW, 18);
    EXPECT_EQ(hero.m_nOffsetX, 14);
    EXPECT_EQ(hero.m_nOffsetY, 18);
    EXPECT_EQ(hero.m_nSpriteW, 64);
    EXPECT_EQ(hero.m_nSpriteH, 64);
    ExpectBox(hero.m_BodyBox, {6, 4, 24, 20});
    ExpectScaleOne(hero.m_BodyBox, {3, 2, 12, 10});
    ExpectBox(hero.m_ShotBox, {-8, -8, 52, 44});
    ExpectScaleOne(hero.m_ShotBox, {-4, -4, 26, 22});
    ExpectBox(hero.m_ItemBox, {-12, -10, 60, 48});
    ExpectScaleOne(hero.m_ItemBox, {-6, -5, 30, 24});
    EXPECT_EQ(ViewOf(hero, kHitBoxObject)->nWidth, 36);
    EXPECT_EQ(ViewOf(hero, kHitBoxItem)->nHeight, 48);
}

// The scale-1 offsets and sprite size stay as they are, like the scale-1 box size, so that a
// later giant-size change starts from them.
TEST_F(HeroFixture, ScaleFlagKeepsTheScaleOneSpriteAndOffsets) {
    cHeroActor hero;
    Make(hero, 0, 0, 2);
    hero.SetFlyMode(1, 1);
    EXPECT_EQ(hero.m_nBaseOffsetX, 7);
    EXPECT_EQ(hero.m_nBaseOffsetY, 9);
    EXPECT_EQ(hero.m_nBaseSpriteW, 32);
    EXPECT_EQ(hero.m_nBaseSpriteH, 32);
    // Giant size 3 from 2: everything three times its scale-1 value.
    hero.SetScale(3, 2);
    EXPECT_EQ(hero.m_nBoxW, 54);
    EXPECT_EQ(hero.m_nSpriteW, 96);
    EXPECT_EQ(hero.m_nOffsetX, 21);
    ExpectBox(hero.m_BodyBox, {9, 6, 36, 30});
}

// --- Camera ---

TEST_F(HeroFixture, HorizontalCameraFollowsWithinTheLimits) {
    const struct {
        const char* name;
        int low, high, autoScroll;
        double x, before, after;
    } cases[] = {
        // Box 20 wide: the view starts 320 - 10 dots left of the box.
        {"follows", 320, 1600, 0, 1000, 320, 690},
        {"left edge", 320, 1600, 0, 400, 500, 320},
        {"right edge", 320, 1600, 0, 1500, 320, 960},
        {"reaching the far limit exactly", 320, 1600, 0, 1270, 320, 960},
        {"one dot before it", 320, 1600, 0, 1269.5, 320, 959.5},
        {"a stage 640 wide, left", 320, 960, 0, 330, 320, 320},
        {"a stage 640 wide, middle", 320, 960, 0, 640, 320, 320},
        {"a stage 640 wide, right", 320, 960, 0, 940, 320, 320},
        {"auto-scrolling axis", 320, 1600, 1, 1000, 500, 500},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cHeroActor hero;
        Make(hero);
        m_axisX.m_nLow = c.low;
        m_axisX.m_nHigh = c.high;
        m_axisX.m_bAuto = c.autoScroll;
        m_axisX.m_dPos = c.before;
        hero.m_dX = c.x;
        EXPECT_EQ(hero.OnMovedX(), 0);
        EXPECT_DOUBLE_EQ(m_axisX.m_dPos, c.after);
        EXPECT_DOUBLE_EQ(hero.m_dX, c.x);
        EXPECT_DOUBLE_EQ(hero.m_dRight, c.x + 19);
    }
}

TEST_F(HeroFixture, VerticalCameraFollowsWithinTheLimits) {
    const struct {
        const char* name;
        int low, high, autoScroll;
        double y, before, after;
    } cases[] = {
        // Box 28 high: the view starts 240 - 14 dots above the box.
        {"follows", 320, 1120, 0, 800, 320, 574},
        {"top edge", 320, 1120, 0, 330, 500, 320},
        {"bottom edge", 320, 1120, 0, 1000, 320, 640},
        {"a stage 480 high", 320, 800, 0, 700, 320, 320},
        {"auto-scrolling axis", 320, 1120, 1, 800, 500, 500},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cHeroActor hero;
        Make(hero);
        m_axisY.m_nLow = c.low;
        m_axisY.m_nHigh = c.high;
        m_axisY.m_bAuto = c.autoScroll;
        m_axisY.m_dPos = c.before;
        hero.m_dY = c.y;
        EXPECT_EQ(hero.OnMovedY(), 0);
        EXPECT_DOUBLE_EQ(m_axisY.m_dPos, c.after);
        EXPECT_DOUBLE_EQ(hero.m_dY, c.y);
        EXPECT_DOUBLE_EQ(hero.m_dBottom, c.y + 27);
    }
}

// A walker is kept on the stage and told when it stands outside the scroll limits; a flyer is
// kept within the scroll limits.
TEST_F(HeroFixture, WalkerIsKeptOnTheStageAndFlyerWithinTheScrollLimits) {
    const struct {
        const char* name;
        int flyKind;
        double x, y;
        int codeX, codeY;
        double newX, newY;
    } cases[] = {
        {"walker inside", 0, 600, 600, 0, 0, 600, 600},
        {"walker left of the scroll limit", 0, 400, 600, 1, 0, 400, 600},
        {"walker left of the stage", 0, 300, 600, 0, 0, 320, 600},
        {"walker right of the scroll limit", 0, 1270, 600, 1, 0, 1270, 600},
        {"walker above the scroll limit", 0, 600, 350, 0, 1, 600, 350},
        {"walker below the scroll limit", 0, 600, 990, 0, 4, 600, 990},
        {"walker below the stage", 0, 600, 1100, 0, 0, 600, 1092},
        {"flyer left of the scroll limit", 1, 400, 600, 0, 0, 480, 600},
        {"flyer right of the scroll limit", 1, 1270, 600, 0, 0, 1262, 600},
        {"flyer above the scroll limit", 1, 600, 350, 0, 0, 600, 400},
        {"flyer below the scroll limit", 1, 600, 990, 0, 0, 600, 986},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cHeroActor hero;
        Make(hero, c.flyKind);
        m_axisX.m_nLow = 480;
        m_axisX.m_nHigh = 1280;
        m_axisY.m_nLow = 400;
        m_axisY.m_nHigh = 1000;
        // The camera is held so that only the clamps act.
        m_axisX.m_bAuto = m_axisY.m_bAuto = 1;
        hero.m_dX = c.x;
        hero.m_dY = c.y;
        EXPECT_EQ(hero.OnMovedX(), c.codeX);
        EXPECT_EQ(hero.OnMovedY(), c.codeY);
        EXPECT_DOUBLE_EQ(hero.m_dX, c.newX);
        EXPECT_DOUBLE_EQ(hero.m_dY, c.newY);
        EXPECT_DOUBLE_EQ(hero.m_dRight, c.newX + hero.m_nBoxW - 1);
    }
}

// --- One-tick steps ---

TEST_F(HeroFixture, StepXAddsMovementKnockbackAndSpeedBlocks) {
    // One speed-change step: 4 dots per second over b = 10 ticks at 60 frames.
    const double s = 0.4 / 10 / 60;
    struct Case {
        const char* name;
        double vx, knock, move;
        int decel;
        int touchKind, touchTicks;
        double factor;
        double newVX, newMove;
    };
    const Case cases[] = {
        {"knock-back replaces", 2, -3, 1, 0, 0, 0, 0, -3, 1},
        {"movement adds", 2, 0, 1, 0, 0, 0, 0, 3, 1},
        {"movement decelerates first", 2, 0, 1, 1, 0, 0, 0, 2.75, 0.75},
        {"speed limit right", 5, 0, 3, 0, 0, 0, 0, 6, 3},
        {"speed limit left", -5, 0, -3, 0, 0, 0, 0, -6, -3},
        {"knock-back limited", 0, 9, 0, 0, 0, 0, 0, 6, 0},
        {"speed block, faster right", 0, 0, 1, 0, kTouchSpeed, 10, 2.0, 1 + s, 1 + s},
        {"speed block, faster left", 0, 0, -1, 0, kTouchSpeed, 10, 2.0, -1 - s, -1 - s},
        {"speed block, slower", 0, 0, 1, 0, kTouchSpeed, 10, 0.5, 1 - s / 2, 1 - s / 2},
        {"slower never passes 0 right", 0, 0, s / 2, 0, kTouchSpeed, 10, 0.0, 0, 0},
        {"slower never passes 0 left", 0, 0, -s / 2, 0, kTouchSpeed, 10, 0.0, 0, 0},
        {"speed block worn off", 0, 0, 1, 0, kTouchSpeed, 0, 2.0, 1, 1},
        {"another touch kind", 0, 0, 1, 0, kTouchMoveRight, 10, 2.0, 1, 1},
        {"speed block without movement", 0.5, 0, 0, 0, kTouchSpeed, 10, 2.0, 0.5, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cHeroActor hero;
        Make(hero);
        PutAt(hero, 800, 600);
        hero.m_dVX = c.vx;
        hero.m_dKnockVX = c.knock;
        hero.m_dMoveVX = c.move;
        hero.m_bDecelX = c.decel;
        hero.m_dStopDecel = 0.25;
        hero.m_nTouchKind = c.touchKind;
        hero.m_nTouchTicks = c.touchTicks;
        hero.m_dTouchValue = c.factor;
        EXPECT_EQ(hero.StepX(), 0);
        EXPECT_DOUBLE_EQ(hero.m_dVX, c.newVX);
        EXPECT_DOUBLE_EQ(hero.m_dMoveVX, c.newMove);
        EXPECT_DOUBLE_EQ(hero.m_dX, 800 + c.newVX);
        // The camera came along.
        EXPECT_DOUBLE_EQ(m_axisX.m_dPos, 800 + c.newVX - 310);
    }
}

TEST_F(HeroFixture, StepYCodes) {
    const struct {
        const char* name;
        int flyKind;
        double y, vy, moveVY;
        int code;
        double newY;
    } cases[] = {
        {"walker inside", 0, 600, 1, 0, 0, 601},
        // A walker's movement velocity is not added.
        {"walker with movement", 0, 600, 1, 1.5, 0, 601},
        // Whatever the code, the camera's clamp puts a walker back on the stage.
        {"walker below the stage falls out", 0, 1120 - 28, 2, 0, 7, 1092},
        {"walker at the map's bottom falls out", 0, 1440 - 28, 5, 0, 7, 1092},
        {"walker above the stage", 0, 321, -3, 0, 2, 320},
        {"walker above the map", 0, 2, -5, 0, 3, 320},
        {"flyer with movement", 1, 600, 1, 1.5, 0, 602.5},
        {"flyer below the stage", 1, 1120 - 14, 2, 0, 0, 1106},
        {"flyer above the stage", 1, 321, -3, 0, 0, 320},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cHeroActor hero;
        Make(hero, c.flyKind);
        hero.m_dX = 600;
        hero.m_dY = c.y;
        hero.m_dVY = c.vy;
        hero.m_dMoveVY = c.moveVY;
        hero.m_bDecelY = 0;
        EXPECT_EQ(hero.StepY(), c.code);
        EXPECT_DOUBLE_EQ(hero.m_dY, c.newY);
    }
}

TEST_F(HeroFixture, StepYMovesTheCamera) {
    cHeroActor hero;
    Make(hero);
    PutAt(hero, 600, 800);
    hero.m_dVY = 4;
    EXPECT_EQ(hero.StepY(), 0);
    EXPECT_DOUBLE_EQ(m_axisY.m_dPos, 804 - 226);
}

// --- The flow pass ---

class HeroFlowFixture : public HeroFixture {
protected:
    // A walking hero with HP 10 and flows of the given triggers, all running with one
    // command each.
    void MakeWithFlows(std::initializer_list<int> triggers) {
        Make(m_hero);
        m_hero.m_Chara.vecFlow.resize(triggers.size());
        m_hero.m_vecFlow.resize(triggers.size());
        int i = 0;
        for (int t : triggers) {
            m_hero.m_Chara.vecFlow[i].nTrigger = static_cast<std::int8_t>(t);
            m_hero.m_vecFlow[i].m_bRunning = 1;
            m_hero.m_vecFlow[i].m_vecCmd.resize(1);
            ++i;
        }
        m_hero.RelinkFlows();
    }
    cHeroActor m_hero;
};

TEST_F(HeroFlowFixture, ResetsTickStateAndCountsTicks) {
    MakeWithFlows({});
    m_hero.m_bGravityOff = 1;
    m_hero.m_bDecelX = m_hero.m_bDecelY = 0;
    m_hero.m_bJumpDone = 1;
    m_hero.m_bClearDirection = m_hero.m_bClearButtons = 1;
    m_hero.m_bMovedByCommand = 1;
    m_hero.m_nHoldFrames = 2;
    // Two queued flow changes that delete a flow the hero does not have.
    cEdCommand change;
    change.nCmdKind = 1;
    change.nCmdType = 1;
    change.vecParam = {2, 9};
    m_hero.m_vecFlowChange.push_back(change);
    m_hero.m_vecFlowChange.push_back(change);
    EXPECT_EQ(m_hero.RunFlows(0), 0);
    EXPECT_EQ(m_hero.m_bGravityOff, 0);
    EXPECT_EQ(m_hero.m_bDecelX, 1);
    EXPECT_EQ(m_hero.m_bDecelY, 1);
    EXPECT_EQ(m_hero.m_bJumpDone, 0);
    EXPECT_EQ(m_hero.m_bClearDirection, 0);
    EXPECT_EQ(m_hero.m_bClearButtons, 0);
    EXPECT_EQ(m_hero.m_bMovedByCommand, 0);
    EXPECT_EQ(m_hero.m_nHoldFrames, 1);
    EXPECT_EQ(m_hero.m_nTicks, 1);
    EXPECT_TRUE(m_hero.m_vecFlowChange.empty());
    m_hero.RunFlows(0);
    m_hero.RunFlows(0);
    EXPECT_EQ(m_hero.m_nHoldFrames, 0);
    EXPECT_EQ(m_hero.m_nTicks, 3);
}

TEST_F(HeroFlowFixture, JumpStateResetsWhenNoJumpRan) {
    MakeWithFlows({});
    m_hero.m_nJumpHold = 5;
    m_hero.m_bJumpArmed = 0;
    m_hero.m_bHitCeiling = 1;
    m_hero.RunFlows(0);
    EXPECT_EQ(m_hero.m_nJumpHold, 0);
    EXPECT_EQ(m_hero.m_bJumpArmed, 1);
    EXPECT_EQ(m_hero.m_bHitCeiling, 0);
}

TEST_F(HeroFlowFixture, BaseVelocityFollowsTheAutoScroll) {
    const struct {
        const char* name;
        int compat214, sync, flyKind, atLimitX, atLimitY;
        double vx, vy;
    } cases[] = {
        {"synchronised walker", 0, 1, 0, 0, 0, 1.5, 9},
        {"synchronised flyer", 0, 1, 1, 0, 0, 1.5, -0.5},
        {"synchronised flyer, x at its limit", 0, 1, 1, 1, 0, 0, -0.5},
        {"walker not synchronised", 0, 0, 0, 0, 0, 0, 9},
        {"flyer not synchronised", 0, 0, 1, 0, 0, 0, 0},
        {"switch on: walker", 1, 1, 0, 0, 0, 0, 9},
        {"switch on: flyer", 1, 0, 1, 0, 0, 1.5, -0.5},
        {"switch on: synchronised flyer", 1, 1, 1, 0, 0, 1.5, -0.5},
        {"switch on: flyer, y at its limit", 1, 0, 1, 0, 1, 1.5, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EdSystem.bCompat214 = c.compat214;
        m_axisX.m_dAutoSpeed = 1.5;
        m_axisX.m_bAtLimit = c.atLimitX;
        m_axisY.m_dAutoSpeed = -0.5;
        m_axisY.m_bAtLimit = c.atLimitY;
        cHeroActor hero;
        Make(hero, c.flyKind);
        hero.m_bScrollSync = c.sync;
        hero.m_dVX = 4;
        hero.m_dVY = 9;
        EXPECT_EQ(hero.RunFlows(0), 0);
        EXPECT_DOUBLE_EQ(hero.m_dVX, c.vx);
        EXPECT_DOUBLE_EQ(hero.m_dVY, c.vy);
    }
}

TEST_F(HeroFlowFixture, ReportsDeath) {
    MakeWithFlows({});
    m_hero.m_nHp = 1;
    EXPECT_EQ(m_hero.RunFlows(0), 0);
    m_hero.m_nHp = 0;
    EXPECT_EQ(m_hero.RunFlows(0), 1);
    EXPECT_EQ(m_hero.m_nTicks, 2);
}

// The next cases rely on the placeholder flow update, which reports the end of the flow on
// every call: a flow that is reached stops at once. They change when the real command run
// arrives.
TEST_F(HeroFlowFixture, ZeroHpEndsThePassAfterTheFlowThatRan) {
    MakeWithFlows({0, 0});
    m_hero.m_nHp = 0;
    m_hero.m_nJumpHold = 4;
    EXPECT_EQ(m_hero.RunFlows(0), 1);
    EXPECT_EQ(m_hero.m_vecFlow[0].m_bRunning, 0);
    EXPECT_EQ(m_hero.m_vecFlow[1].m_bRunning, 1);
    // The rest of the pass is skipped.
    EXPECT_EQ(m_hero.m_nTicks, 0);
    EXPECT_EQ(m_hero.m_nJumpHold, 4);
}

TEST_F(HeroFlowFixture, DyingRunsOnlyDeathFlowsToTheEnd) {
    MakeWithFlows({0, 3, 5});
    m_hero.m_nHp = 0;
    EXPECT_EQ(m_hero.RunFlows(1), 1);
    EXPECT_EQ(m_hero.m_vecFlow[0].m_bRunning, 1);
    EXPECT_EQ(m_hero.m_vecFlow[1].m_bRunning, 0);
    EXPECT_EQ(m_hero.m_vecFlow[2].m_bRunning, 1);
    EXPECT_EQ(m_hero.m_nTicks, 1);
}

// --- The jump ---

// A jump command of the given parameters on its own instance: launch speed -7.5, 60 ticks.
struct JumpRig {
    explicit JumpRig(std::initializer_list<std::int32_t> params) {
        def.vecParam = params;
        cmd.m_pCmd = &def;
        cmd.m_dSpeed = -7.5;
        cmd.m_nDuration = 60;
    }
    cEdCommand def;
    cCommandInstance cmd;
};

// A game scene of this test's own while it lives, measured against the fixture's axes.
class SceneScope {
public:
    SceneScope(ScrollAxis& x, ScrollAxis& y) : m_saved(lpGame) {
        m_scene = std::make_unique<cGameScene>();
        lpGame = m_scene.get();
        SetGeometryAxes(&x, &y);
    }
    ~SceneScope() {
        lpGame = m_saved;
        m_scene.reset();
    }
    cGameScene& operator*() { return *m_scene; }
    cGameScene* operator->() { return m_scene.get(); }

private:
    cGameScene* m_saved;
    std::unique_ptr<cGameScene> m_scene;
};

TEST_F(HeroFixture, JumpDoesNothingWhenFlyingOrDoneThisTick) {
    const struct {
        const char* name;
        int flyKind, done;
    } cases[] = {{"flying", 1, 0}, {"already ran this tick", 0, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cHeroActor hero;
        Make(hero, c.flyKind);
        hero.m_bJumpDone = c.done;
        hero.m_nJumpHold = 3;
        hero.m_dVY = 0.25;
        JumpRig jump({0, 0, 0, 0, 0});
        EXPECT_EQ(hero.Jump(&jump.cmd), 0);
        EXPECT_EQ(hero.m_nJumpHold, 3);
        EXPECT_EQ(hero.m_dVY, 0.25);
        EXPECT_EQ(hero.m_bJumping, 0);
        EXPECT_EQ(hero.m_bJumpDone, c.done);
    }
    cHeroActor hero;
    Make(hero);
    EXPECT_EQ(hero.Jump(nullptr), 0);
}

TEST_F(HeroFixture, JumpLaunchesInTheFirstEligibleTickOfHolding) {
    struct Case {
        const char* name;
        int hold, falling, airborne, armed, ceiling, knocked, launchedBefore;
        int launches;
    };
    const Case cases[] = {
        {"from the ground", 0, 0, 0, 1, 0, 0, 0, 1},
        {"in the b-th tick of holding", 9, 0, 0, 1, 0, 0, 0, 1},
        {"held longer than b ticks", 10, 0, 0, 1, 0, 0, 0, 0},
        {"falling", 0, 1, 0, 1, 0, 0, 0, 0},
        {"in the air", 0, 0, 1, 1, 0, 0, 0, 0},
        {"disarmed", 0, 0, 0, 0, 0, 0, 0, 0},
        {"under a ceiling", 0, 0, 0, 1, 1, 0, 0, 0},
        {"knocked back", 0, 0, 0, 1, 0, 1, 0, 0},
        {"launched already", 0, 0, 0, 1, 0, 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cHeroActor hero;
        Make(hero);
        hero.m_nJumpHold = c.hold;
        hero.m_bFalling = c.falling;
        hero.m_bAirborne = c.airborne;
        hero.m_bJumpArmed = c.armed;
        hero.m_bHitCeiling = c.ceiling;
        hero.m_bKnocked = c.knocked;
        hero.m_dVY = 0.25;
        JumpRig jump({0, 0, 0, 0, 0});
        jump.cmd.m_bFirstTickDone = c.launchedBefore;
        EXPECT_EQ(hero.Jump(&jump.cmd), c.launches);
        EXPECT_EQ(hero.m_nJumpHold, c.hold + 1);
        EXPECT_EQ(hero.m_dVY, c.launches ? -7.5 : 0.25);
        EXPECT_EQ(hero.m_bJumping, c.launches);
        EXPECT_EQ(jump.cmd.m_bFirstTickDone, c.launches || c.launchedBefore ? 1 : 0);
        EXPECT_EQ(hero.m_bJumpDone, 1);
    }
}

TEST_F(HeroFixture, HeldJumpLaunchesOnlyOnce) {
    cHeroActor hero;
    Make(hero);
    hero.m_bFalling = 0;  // standing
    JumpRig jump({0, 0, 0, 0, 0});
    ASSERT_EQ(hero.Jump(&jump.cmd), 1);
    // The next ticks rise under gravity without a new launch.
    hero.m_dVY = -7.0;
    for (int tick = 2; tick <= 5; ++tick) {
        hero.m_bJumpDone = 0;
        EXPECT_EQ(hero.Jump(&jump.cmd), 0);
        EXPECT_EQ(hero.m_dVY, -7.0);
        EXPECT_EQ(hero.m_nJumpHold, tick);
    }
    EXPECT_EQ(hero.m_bAirborne, 0);
    EXPECT_EQ(hero.m_bJumpArmed, 1);
}

TEST_F(HeroFixture, HeldJumpEndsItsRiseAtTheDuration) {
    const struct {
        const char* name;
        int hold;
        double vy;
        int ceiling;
        int over;
    } cases[] = {
        {"rising at the duration", 59, -3, 0, 1},
        {"rising before the duration", 58, -3, 0, 0},
        {"not rising", 59, 0.5, 0, 0},
        {"under a ceiling", 59, -3, 1, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cHeroActor hero;
        Make(hero);
        hero.m_nJumpHold = c.hold;
        hero.m_dVY = c.vy;
        hero.m_bHitCeiling = c.ceiling;
        JumpRig jump({0, 0, 0, 0, 0});
        jump.cmd.m_bFirstTickDone = 1;
        EXPECT_EQ(hero.Jump(&jump.cmd), 0);
        EXPECT_EQ(hero.m_bAirborne, c.over);
        EXPECT_EQ(hero.m_bJumpArmed, c.over ? 0 : 1);
        EXPECT_EQ(hero.m_dVY, c.vy);
        EXPECT_EQ(hero.m_nJumpHold, c.hold + 1);
    }
}

TEST_F(HeroFixture, JumpFromABlockCharacterLaunchesInTheLastTickOfTheFrame) {
    const struct {
        const char* name;
        int tick;
        int launches;
    } cases[] = {{"last tick", 10, 1}, {"tick before", 9, 0}, {"first tick", 1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SceneScope scene(m_axisX, m_axisY);
        scene->m_nTick = c.tick;
        cHeroActor hero;
        Make(hero);
        hero.m_bRiding = 1;
        hero.m_bFalling = 0;
        hero.m_dVY = 0;
        JumpRig jump({0, 0, 0, 0, 0});
        EXPECT_EQ(hero.Jump(&jump.cmd), c.launches);
        EXPECT_EQ(hero.m_dVY, c.launches ? -7.5 * static_cast<double>(1.02f) : 0.0);
        EXPECT_EQ(hero.m_bRiding, c.launches ? 0 : 1);
        EXPECT_EQ(jump.cmd.m_bFirstTickDone, c.launches);
        // Still standing on it, the hold starts over until the launch.
        EXPECT_EQ(hero.m_nJumpHold, c.launches ? 1 : 0);
    }
    // Without a scene no frame tick is known: no launch.
    SetGeometryAxes(&m_axisX, &m_axisY);
    cHeroActor hero;
    Make(hero);
    hero.m_bRiding = 1;
    hero.m_bFalling = 0;
    JumpRig jump({0, 0, 0, 0, 0});
    EXPECT_EQ(hero.Jump(&jump.cmd), 0);
    EXPECT_EQ(hero.m_bRiding, 1);
}

TEST_F(HeroFixture, LandingRearmsTheJump) {
    const struct {
        const char* name;
        double vy;
        int landed;
    } cases[] = {{"standing", 0, 1}, {"still rising", -1, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cHeroActor hero;
        Make(hero);
        hero.m_bRiding = 1;  // standing on a block character
        hero.m_dVY = c.vy;
        hero.m_nJumpHold = 5;
        hero.m_bJumpArmed = 0;
        hero.m_bHitCeiling = 1;
        hero.m_bKnocked = 1;
        JumpRig jump({0, 0, 0, 0, 0});
        jump.cmd.m_bFirstTickDone = 1;
        jump.cmd.m_nRemaining = 7;
        EXPECT_EQ(hero.Jump(&jump.cmd), 0);
        EXPECT_EQ(hero.m_nJumpHold, c.landed ? 0 : 6);
        EXPECT_EQ(hero.m_bJumpArmed, c.landed);
        EXPECT_EQ(hero.m_bHitCeiling, 1 - c.landed);
        EXPECT_EQ(hero.m_bKnocked, 1 - c.landed);
        EXPECT_EQ(jump.cmd.m_bFirstTickDone, 1 - c.landed);
        // Without key conditions the command goes on.
        EXPECT_EQ(jump.cmd.m_nRemaining, 7);
    }
}

// A key-controlled jump whose key is not held (no key condition holds yet) takes the released
// branch.
TEST_F(HeroFixture, ReleasedJumpCutsTheRise) {
    const struct {
        const char* name;
        int mode, forbidden, hold, airborne;
        double vy;
        double newVY;
        int newAirborne;
    } cases[] = {
        {"released after one tick", 1, 0, 1, 0, -5, -1.5, 1},
        {"released while falling", 1, 0, 1, 0, 2, 2, 1},
        {"released by speed height", 2, 0, 1, 0, -5, -1.5, 1},
        {"released at the duration", 1, 0, 60, 0, -5, -5, 0},
        {"released before any hold", 1, 0, 0, 0, -5, -5, 0},
        {"released in the air", 1, 0, 3, 1, -5, -5, 1},
        {"held on a no-jump block", 0, 1, 1, 0, -5, -5, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cHeroActor hero;
        Make(hero);
        hero.m_bJumpForbidden = c.forbidden;
        hero.m_nJumpHold = c.hold;
        hero.m_bAirborne = c.airborne;
        hero.m_bJumpArmed = 0;
        hero.m_bHitCeiling = 0;
        hero.m_dVY = c.vy;
        JumpRig jump({c.mode, 0, 0, 0, 0});
        jump.cmd.m_dSpeed = hero.m_dVY;  // mode 2 recomputes it; keep it out of the way
        EXPECT_EQ(hero.Jump(&jump.cmd), 0);
        EXPECT_DOUBLE_EQ(hero.m_dVY, c.newVY);
        EXPECT_EQ(hero.m_bAirborne, c.newAirborne);
        EXPECT_EQ(hero.m_nJumpHold, 0);
        EXPECT_EQ(hero.m_bJumpArmed, 1);
        EXPECT_EQ(hero.m_bJumping, 0);
    }
}

TEST_F(HeroFixture, SpeedHeightJumpTakesItsHeightFromTheRunningSpeed) {
    // Parameters 1 and 3 are the thresholds × 10 b (b = 10), 2 and 4 the heights.
    const struct {
        int fast, fastHeight, slow, slowHeight;
        double moveVX;
        int height;
    } cases[] = {
        // lo = 0.7, hi = 0.3.
        {70, 8, 30, 3, 0.7, 8},
        {70, 8, 30, 3, -0.7, 8},
        {70, 8, 30, 3, 2.0, 8},
        {70, 8, 30, 3, 0.3, 3},
        {70, 8, 30, 3, -0.3, 3},
        {70, 8, 30, 3, 0.1, 3},
        {70, 8, 30, 3, 0.0, 3},
        {70, 8, 30, 3, 0.5, 6},
        {70, 8, 30, 3, -0.5, 6},
        {70, 8, 30, 3, 0.69, 7},
        {70, 8, 30, 3, 0.31, 5},
        // lo = 0.35: at the threshold itself the interpolation would round to 3.999... and
        // give 3; the threshold gives the fast height.
        {35, 4, 10, 1, 0.35, 4},
        {35, 4, 10, 1, 0.34, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fast << " " << c.moveVX);
        cHeroActor hero;
        Make(hero);
        hero.m_dMoveVX = c.moveVX;
        JumpRig jump({2, c.fast, c.fastHeight, c.slow, c.slowHeight});
        hero.Jump(&jump.cmd);
        EXPECT_EQ(jump.cmd.m_dSpeed, hero.JumpSpeedForHeight(c.height * 16.0));
    }
    // The heights are told apart by their speeds.
    cHeroActor hero;
    EXPECT_NE(hero.JumpSpeedForHeight(8 * 16.0), hero.JumpSpeedForHeight(7 * 16.0));
}

// --- Items ---

TEST_F(HeroFixture, ItemContactListIsKeptByItem) {
    cHeroActor hero;
    cItemObject a;
    cItemObject b;
    EXPECT_TRUE(hero.IsItemUntouched(a));
    hero.TouchItem(a);
    hero.TouchItem(b);
    EXPECT_FALSE(hero.IsItemUntouched(a));
    EXPECT_FALSE(hero.IsItemUntouched(b));
    hero.ForgetItem(a);
    EXPECT_TRUE(hero.IsItemUntouched(a));
    EXPECT_FALSE(hero.IsItemUntouched(b));
    // Every entry of an item goes.
    hero.TouchItem(a);
    hero.TouchItem(a);
    hero.ForgetItem(a);
    EXPECT_TRUE(hero.IsItemUntouched(a));
    EXPECT_FALSE(hero.IsItemUntouched(b));
    // Forgetting an item never touched changes nothing.
    cItemObject c;
    hero.ForgetItem(c);
    EXPECT_FALSE(hero.IsItemUntouched(b));
}

TEST_F(HeroFixture, NewItemAtAReusedAddressIsUntouched) {
    cHeroActor hero;
    std::optional<cItemObject> slot;
    slot.emplace();
    const cItemObject* first = &*slot;
    hero.TouchItem(*slot);
    EXPECT_FALSE(hero.IsItemUntouched(*slot));
    slot.reset();
    slot.emplace();
    ASSERT_EQ(&*slot, first);
    EXPECT_TRUE(hero.IsItemUntouched(*slot));
}

// --- Screen rectangle ---

TEST_F(HeroFixture, ScreenRectOnAnAutoAxisTruncatesPositionAndScrollApart) {
    const struct {
        const char* name;
        int autoX, autoY;
        int left, top;
    } cases[] = {
        // Sprite left 317.5 against a view at 320.25, sprite top 326.5 against 327.75.
        {"following the hero", 0, 0, -2, 0},
        {"auto-scrolling across", 1, 0, -3, 0},
        {"auto-scrolling down", 0, 1, -2, -1},
        {"auto-scrolling both ways", 1, 1, -3, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cHeroActor hero;
        Make(hero);
        m_axisX.m_bAuto = c.autoX;
        m_axisY.m_bAuto = c.autoY;
        m_axisX.m_dPos = 320.25;
        m_axisY.m_dPos = 327.75;
        hero.m_dX = 323.5;
        hero.m_dY = 330.5;
        hero.UpdateScreenRect();
        EXPECT_EQ(hero.m_rcScreen.left, c.left);
        EXPECT_EQ(hero.m_rcScreen.top, c.top);
        EXPECT_EQ(hero.m_rcScreen.right, c.left + 31);
        EXPECT_EQ(hero.m_rcScreen.bottom, c.top + 31);
    }
}

// --- Drawing the hit boxes ---

// DirectDraw at 8 bits: a pixel holds its palette index, so the colours are read as they are.
class HeroDrawTest : public HeroFixture, public DisplayFixture {
protected:
    void SetUp() override {
        HeroFixture::SetUp();
        Prepare();
        ASSERT_TRUE(Open(kDisplayConfigs[3]));
        ASSERT_EQ(nBpp, 8);
        ASSERT_TRUE(DDCreateSurface(&m_sd, kSize, kSize, 0, 0, 0, nullptr, 0));
        Make(m_hero);
        // The sprite's top-left on screen.
        m_hero.m_rcScreen = {20, 16, 51, 47};
        Pin();
    }
    // Drawing the hero refreshes its screen rectangle from its place in the stage; the
    // fixed-screen flags hold it at the rectangle the test chose.
    void Pin() {
        m_hero.m_bFixedScreenX = m_hero.m_bFixedScreenY = 1;
        m_hero.m_nFixedScreenX = m_hero.m_rcScreen.left;
        m_hero.m_nFixedScreenY = m_hero.m_rcScreen.top;
    }
    void TearDown() override {
        DDReleaseSurface(&m_sd);
        Close();
        HeroFixture::TearDown();
    }
    // One draw onto a fresh background with only the box of `kind` shown.
    void DrawOnly(int kind, int mode, int colourChoice) {
        for (std::int32_t& v : EdStageWork.nHeroHitBox) v = 0;
        EdStageWork.nHeroHitBox[kind] = mode;
        EdStageWork.nHeroHitBox[kind + 4] = colourChoice;
        m_hero.BuildHitBoxList();
        DDFillSurface(&m_sd, kBackground);
        Pin();
        m_hero.DrawHitBoxes(&m_sd, 0);
    }

    static constexpr int kSize = 80;
    static constexpr std::uint32_t kBackground = 1;

    // Every pixel: inside the rectangle (its frame only when `frame`) the colour, else the
    // background.
    void ExpectRect(const Box& r, bool frame, std::uint32_t colour) {
        int wrong = 0;
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                const bool inside = x >= r.x && x < r.x + r.w && y >= r.y && y < r.y + r.h;
                const bool edge = x == r.x || x == r.x + r.w - 1 || y == r.y || y == r.y + r.h - 1;
                const std::uint32_t want = inside && (!frame || edge) ? colour : kBackground;
                if (RawPixel(&m_sd, x, y) != want && ++wrong <= 5)
                    ADD_FAILURE() << "pixel " << x << "," << y << " is " << RawPixel(&m_sd, x, y)
                                  << ", expected " << want;
            }
        }
        EXPECT_EQ(wrong, 0);
    }

    DDSURFACEDATA m_sd;
    cHeroActor m_hero;
};

TEST_F(HeroDrawTest, EachBoxLandsAtItsScreenPlaceFilledOrFramed) {
    const struct {
        const char* name;
        int kind, mode, colourChoice;
        Box screen;  // the sprite at (20, 16); the object box at offsets (6, 4)
        std::uint32_t colour;
    } cases[] = {
        {"item box filled", kHitBoxItem, 1, 1, {21, 20, 30, 24}, 212},
        {"body box framed", kHitBoxBody, 2, 7, {29, 24, 14, 24}, 236},
        {"shot box filled", kHitBoxShot, 1, 3, {23, 21, 26, 22}, 220},
        {"shot box framed", kHitBoxShot, 2, 4, {23, 21, 26, 22}, 224},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DrawOnly(c.kind, c.mode, c.colourChoice);
        ExpectRect(c.screen, c.mode == 2, c.colour);
        EXPECT_EQ(ViewOf(m_hero, c.kind)->nX, c.screen.x);
        EXPECT_EQ(ViewOf(m_hero, c.kind)->nY, c.screen.y);
    }
}

// The object box is shown where the hero stands, at the sprite's place on screen plus the
// object offsets, like the other boxes.
TEST_F(HeroDrawTest, ObjectBoxIsDrawnWhereTheHeroStands) {
    const struct {
        const char* name;
        IntRect sprite;
        int mode, colourChoice;
        Box screen;
        std::uint32_t colour;
    } cases[] = {
        {"framed", {20, 16, 51, 47}, 2, 0, {26, 20, 20, 28}, 208},
        {"filled", {20, 16, 51, 47}, 1, 2, {26, 20, 20, 28}, 216},
        {"filled, elsewhere", {30, 40, 61, 71}, 1, 2, {36, 44, 20, 28}, 216},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        m_hero.m_rcScreen = c.sprite;
        DrawOnly(kHitBoxObject, c.mode, c.colourChoice);
        ExpectRect(c.screen, c.mode == 2, c.colour);
        EXPECT_EQ(ViewOf(m_hero, kHitBoxObject)->nX, c.screen.x);
        EXPECT_EQ(ViewOf(m_hero, kHitBoxObject)->nY, c.screen.y);
    }
}

TEST_F(HeroDrawTest, HiddenBoxesDrawNothing) {
    m_hero.BuildHitBoxList();
    DDFillSurface(&m_sd, kBackground);
    m_hero.DrawHitBoxes(&m_sd, 0);
    ExpectRect({0, 0, 0, 0}, false, 0);
    for (const HitBoxView& v : m_hero.m_vecHitBoxView) EXPECT_EQ(v.nBlink, 0);
}

// Every 8 draws the next of the colour's four entries; after 32 the first again. With the
// palette animation on at 8 bits the palette itself blinks and the entry stays.
TEST_F(HeroDrawTest, BlinkCounterStepsThroughTheColoursEntries) {
    for (int paletteAnimation : {0, 1}) {
        SCOPED_TRACE(paletteAnimation);
        EdSystem.bPaletteAnimation = paletteAnimation;
        EdStageWork.nHeroHitBox[kHitBoxItem] = 1;
        EdStageWork.nHeroHitBox[kHitBoxItem + 4] = 1;
        m_hero.BuildHitBoxList();
        for (int draw = 0; draw < 33; ++draw) {
            DDFillSurface(&m_sd, kBackground);
            m_hero.DrawHitBoxes(&m_sd, 0);
            const std::uint32_t want = paletteAnimation ? 212 : 212 + (draw % 32) / 8;
            ASSERT_EQ(RawPixel(&m_sd, 30, 30), want) << "draw " << draw;
            EXPECT_EQ(ViewOf(m_hero, kHitBoxItem)->nBlink, (draw + 1) % 32);
            // A hidden box keeps its counter.
            EXPECT_EQ(ViewOf(m_hero, kHitBoxBody)->nBlink, 0);
        }
    }
}

}  // namespace

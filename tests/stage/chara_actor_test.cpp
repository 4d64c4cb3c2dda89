// The character actor: its set-up from the record with the boxes of the running stage, its
// placement on a block, the view test and activation, the one-tick steps with their codes,
// the vertical knock-back, the jump, the flow pass, and the unhooking of targets when a
// character goes.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "data/stage_record.h"
#include "data/system_record.h"
#include "flow/flow_install.h"
#include "platform/message_box.h"
#include "platform/seams.h"
#include "platform/trunc.h"
#include "stage/actor.h"
#include "stage/actor_geometry.h"
#include "stage/engine_globals.h"
#include "stage/game_object.h"
#include "stage/item_object.h"
#include "stage/scroll_axis.h"
#include "support/scroll_axis_setup.h"

namespace {

// A stage of 40 × 25 blocks with the view at its top-left corner, level 10, and box sizes
// that differ from each other so that a mixed-up setting shows.
class CharaFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        cEdStage& st = EdStageWork;
        st.dGravity = 0.4;
        st.SetGameSpeed(10);
        st.nCharaBodyW = 16;
        st.nCharaBodyH = 24;
        st.nCharaBodyAlign = 1;
        st.nCharaBodyFlyW = 20;
        st.nCharaBodyFlyH = 14;
        st.nCharaBodyFlyAlign = 0;
        st.nCharaHitW = 12;
        st.nCharaHitH = 22;
        st.nCharaHitAlign = 1;
        st.nCharaHitFlyW = 10;
        st.nCharaHitFlyH = 18;
        st.nCharaHitFlyAlign = 0;
        st.nCharaShotHitW = 30;
        st.nCharaShotHitH = 28;
        st.nCharaShotRangeW = 18;
        st.nCharaShotRangeH = 16;
        SetTestAxis(m_axisX, 1600, 1920);
        SetTestAxis(m_axisY, 1120, 1440);
        SetGeometryAxes(&m_axisX, &m_axisY);
        m_groups.resize(60);
    }
    void TearDown() override { ResetEngineGlobals(); }
    // A computer character: walking (fly kind 0) unless told otherwise.
    static cEdChara Record(int flyKind = 0, int hitKind = 0, int giant = 1, int block = 0) {
        cEdChara r;
        r.nControl = 1;
        r.nSide = 3;
        r.nGraphic = 7;
        r.nFacing = 1;
        r.nBlockCollision = static_cast<std::int8_t>(flyKind);
        r.nHitBoxKind = static_cast<std::int8_t>(hitKind);
        r.nGiant = static_cast<std::int8_t>(giant);
        r.b32Mode = static_cast<std::int8_t>(block);
        r.nMaxHp = 10;
        r.nMaxSp = 5;
        return r;
    }

    ScrollAxis m_axisX;
    ScrollAxis m_axisY;
    CheckedVector<std::uint8_t> m_groups;
};

struct BoxCase {
    const char* name;
    int flyKind;
    int hitKind;
    int giant;
    int block;
    // collision box: offset and size
    int offX, offY, boxW, boxH;
    // body box and shot box at the current scale: offset and size
    int bodyX, bodyY, bodyW, bodyH;
    int shotX, shotY, shotW, shotH;
    int flying;
    int seq;
};

TEST_F(CharaFixture, InitTakesBoxesFromTheStageByKindAndSize) {
    const BoxCase cases[] = {
        // Walking: box 16 × 24 on the bottom of the cell; kind 0 the walking range on the
        // bottom, the shot box 30 × 28 centred.
        {"walk kind 0", 0, 0, 1, 0, 8, 8, 16, 24, 2, 2, 12, 22, -7, -6, 30, 28, 0, 1},
        // Flying: box 20 × 14 centred; kind 0 the flying range centred.
        {"fly kind 0", 1, 0, 1, 0, 6, 9, 20, 14, 5, -2, 10, 18, -5, -7, 30, 28, 1, 0},
        {"fly kind 3 (blocks)", 3, 0, 1, 0, 6, 9, 20, 14, 5, -2, 10, 18, -5, -7, 30, 28, 1, 0},
        {"kind 1 shot size", 0, 1, 1, 0, 8, 8, 16, 24, -7, -6, 30, 28, -7, -6, 30, 28, 0, 1},
        {"kind 2 shot range", 0, 2, 1, 0, 8, 8, 16, 24, -1, 0, 18, 16, -7, -6, 30, 28, 0, 1},
        {"kind 3 sprite", 0, 3, 1, 0, 8, 8, 16, 24, -8, -8, 32, 32, -7, -6, 30, 28, 0, 1},
        {"unknown kind", 0, 9, 1, 0, 8, 8, 16, 24, 0, 0, 0, 0, -7, -6, 30, 28, 0, 1},
        // A fly kind outside 0..3 walks.
        {"fly kind 7 walks", 7, 0, 1, 0, 8, 8, 16, 24, 2, 2, 12, 22, -7, -6, 30, 28, 0, 1},
        // Giant size 2: everything doubles.
        {"giant 2", 0, 0, 2, 0, 16, 16, 32, 48, 4, 4, 24, 44, -14, -12, 60, 56, 0, 1},
        // A block character: 32 × 32 box, an empty body box and a 32 × 32 shot box.
        {"block", 0, 0, 1, 1, 0, 0, 32, 32, 0, 0, 0, 0, 0, 0, 32, 32, 0, 1},
        // Scaled, a block character's boxes become its box at offset 0.
        {"block giant 2", 1, 0, 2, 1, 0, 0, 64, 64, 0, 0, 64, 64, 0, 0, 64, 64, 1, 0},
    };
    for (const BoxCase& c : cases) {
        SCOPED_TRACE(c.name);
        cEdChara rec = Record(c.flyKind, c.hitKind, c.giant, c.block);
        ObjectList<cCharaActor> list;
        cCharaActor& a = list.Add();
        a.Init(42, rec, nullptr, 100.0, 200.0, 2);
        EXPECT_EQ(a.m_nOffsetX, c.offX);
        EXPECT_EQ(a.m_nOffsetY, c.offY);
        EXPECT_EQ(a.m_nBoxW, c.boxW);
        EXPECT_EQ(a.m_nBoxH, c.boxH);
        EXPECT_EQ(a.m_nSpriteW, 32 * c.giant);
        EXPECT_EQ(a.m_nBaseSpriteW, 32);
        EXPECT_EQ(a.m_BodyBox.nOffsetX, c.bodyX);
        EXPECT_EQ(a.m_BodyBox.nOffsetY, c.bodyY);
        EXPECT_EQ(a.m_BodyBox.nWidth, c.bodyW);
        EXPECT_EQ(a.m_BodyBox.nHeight, c.bodyH);
        EXPECT_EQ(a.m_ShotBox.nOffsetX, c.shotX);
        EXPECT_EQ(a.m_ShotBox.nOffsetY, c.shotY);
        EXPECT_EQ(a.m_ShotBox.nWidth, c.shotW);
        EXPECT_EQ(a.m_ShotBox.nHeight, c.shotH);
        EXPECT_EQ(a.m_bFlying, c.flying);
        EXPECT_EQ(a.m_AnimPattern.m_nSeq, c.seq);
    }
}

TEST_F(CharaFixture, InitKeepsScaleOneValuesAndTheRecordFields) {
    cEdChara rec = Record(0, 0, 2);
    rec.nActiveArea = 1;
    cCharaActor a;
    a.Init(42, rec, nullptr, 100.0, 200.0, 2);
    EXPECT_EQ(a.m_nSerial, 42);
    EXPECT_EQ(a.m_nOperator, 1);
    EXPECT_EQ(a.m_nGroup, 3);
    EXPECT_EQ(a.m_nGraphicNo, 7);
    EXPECT_EQ(a.m_bFacingRight, 1);
    EXPECT_EQ(a.m_nCloneValue, 2);
    EXPECT_EQ(a.m_dHomeX, 100.0);
    EXPECT_EQ(a.m_dHomeY, 200.0);
    EXPECT_EQ(a.m_nLifeFrames, kLifeUnlimited);
    // The scale-1 values stay for later scale changes.
    EXPECT_EQ(a.m_nBaseBoxW, 16);
    EXPECT_EQ(a.m_nBaseOffsetY, 8);
    EXPECT_EQ(a.m_BodyBox.nBaseWidth, 12);
    EXPECT_EQ(a.m_ShotBox.nBaseOffsetX, -7);
    EXPECT_EQ(a.m_Chara.nGraphic, 7);
    EXPECT_EQ(a.m_nHp, 10);
}

TEST_F(CharaFixture, GiantSizeZeroBecomesOneInTheGivenRecord) {
    cEdChara rec = Record(0, 0, 0);
    cCharaActor a;
    a.Init(1, rec, nullptr, 0, 0, 0);
    EXPECT_EQ(rec.nGiant, 1);
    EXPECT_EQ(a.m_Chara.nGiant, 1);
    EXPECT_EQ(a.m_nBoxW, 16);
    EXPECT_EQ(a.m_nSpriteW, 32);
}

TEST_F(CharaFixture, InitTakesTheCarriedItemOrNone) {
    cItemObject item;
    item.m_nGraphicNo = 9;
    item.m_Item.nGraphic = 9;
    item.m_bCarried = 1;
    cEdChara rec = Record();
    cCharaActor a;
    a.m_nItemBlink = 5;
    a.Init(1, rec, &item, 0, 0, 0);
    EXPECT_EQ(a.m_nItemBlink, 0);
    EXPECT_EQ(a.m_CarriedItem.m_nGraphicNo, 9);
    EXPECT_EQ(a.m_CarriedItem.m_Item.nGraphic, 9);
    EXPECT_EQ(a.m_CarriedItem.m_bCarried, 1);
    // The copy is the character's own object.
    EXPECT_NE(a.m_CarriedItem.Id(), item.Id());

    a.Init(2, rec, nullptr, 0, 0, 0);
    EXPECT_EQ(a.m_CarriedItem.m_nGraphicNo, 0);
}

// A flow whose loops would write out more commands than one list can hold is a failed
// allocation: Init reports it and leaves the reaction to its caller, so no box is shown
// here, and the instances of the flows installed before are gone with their definitions.
TEST_F(CharaFixture, InitReportsAFlowTooLargeToUnroll) {
    const plat::Seams savedSeams = plat::GetSeams();
    plat::Seams seams;
    seams.headless = true;
    plat::SetSeams(seams);
    plat::ClearShownBoxes();

    cEdChara good = Record();
    good.vecFlow.resize(2);
    good.vecFlow[0].vecCommand.resize(1);
    good.vecFlow[1].vecCommand.resize(1);
    cCharaActor a;
    ASSERT_EQ(a.Init(1, good, nullptr, 0, 0, 0), 0);
    ASSERT_EQ(a.m_vecFlow.Size(), 2u);

    cEdChara bad = Record();
    bad.vecFlow.resize(1);
    cEdCommand loop;
    loop.nCmdType = 39;
    loop.vecParam = {(1 << 24) + 1, 1};
    bad.vecFlow[0].vecCommand.push_back(loop);
    bad.vecFlow[0].vecCommand.push_back(cEdCommand());
    EXPECT_EQ(a.Init(2, bad, nullptr, 0, 0, 0), kInstallFailed);
    EXPECT_EQ(a.m_vecFlow.Size(), 0u);
    EXPECT_TRUE(plat::ShownBoxes().empty());

    plat::ClearShownBoxes();
    plat::SetSeams(savedSeams);
}

TEST_F(CharaFixture, ActivationSettingChoosesTheViewAxes) {
    const struct {
        int area, ignoreX, ignoreY;
    } cases[] = {{0, 0, 0}, {1, 0, 1}, {2, 1, 0}, {3, 1, 1}, {4, 0, 0}, {-1, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.area);
        cEdChara rec = Record();
        rec.nActiveArea = static_cast<std::int8_t>(c.area);
        cCharaActor a;
        a.m_bActivated = 1;
        a.m_bIgnoreViewX = a.m_bIgnoreViewY = 1;
        a.Init(1, rec, nullptr, 0, 0, 0);
        EXPECT_EQ(a.m_bIgnoreViewX, c.ignoreX);
        EXPECT_EQ(a.m_bIgnoreViewY, c.ignoreY);
        EXPECT_EQ(a.m_bActivated, 0);
    }
}

TEST_F(CharaFixture, PlaceOnBlockPutsTheScaledBoxOnTheBlock) {
    const struct {
        int giant;
        double x, y, right, bottom;
    } cases[] = {
        // (10 + 3) × 32 + 8 + 0.5 and (10 + 5) × 32 + 8.
        {1, 424.5, 488.0, 439.5, 511.0},
        // Twice as large: half the extra width to the left, the feet where they were:
        // y − 32 (sprite) + 8 (offset).
        {2, 416.5, 464.0, 447.5, 511.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.giant);
        cEdChara rec = Record(0, 0, c.giant);
        cCharaActor a;
        a.Init(1, rec, nullptr, 0, 0, 0);
        a.PlaceOnBlock(3, 5);
        EXPECT_DOUBLE_EQ(a.m_dX, c.x);
        EXPECT_DOUBLE_EQ(a.m_dY, c.y);
        EXPECT_DOUBLE_EQ(a.m_dRight, c.right);
        EXPECT_DOUBLE_EQ(a.m_dBottom, c.bottom);
        // The hit boxes follow.
        EXPECT_DOUBLE_EQ(a.m_BodyBox.dLeft, 424.0 - 8 * (c.giant - 1) + 2 * c.giant);
    }
}

TEST_F(CharaFixture, PlaceOnBlockStaysInsideTheMap) {
    cEdChara rec = Record();
    cCharaActor a;
    a.Init(1, rec, nullptr, 0, 0, 0);
    a.PlaceOnBlock(-20, 100);
    EXPECT_DOUBLE_EQ(a.m_dX, 0.0);
    EXPECT_DOUBLE_EQ(a.m_dY, 1440.0 - 24);
}

// The character's box is put at (x, y) in map dots.
void PutAt(cCharaActor& a, double x, double y) {
    a.m_dX = x;
    a.m_dY = y;
    a.OnMovedX();
    a.OnMovedY();
}

TEST_F(CharaFixture, ViewTestAndActivation) {
    struct Case {
        const char* name;
        double x, y;
        int area, groupOn, group, preRaised, flyKind, jumping, falling, activated;
        int inView, runs, raised;
    };
    const Case cases[] = {
        {"in view", 500, 500, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0},
        {"in view raises its group", 500, 500, 0, 1, 7, 0, 0, 0, 0, 0, 1, 1, 1},
        {"off screen", 1200, 500, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {"off screen, x ignored", 1200, 500, 2, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0},
        {"off screen, y only ignored", 1200, 500, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {"off screen, everywhere", 1200, 1000, 3, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0},
        {"group raised by another", 1200, 500, 0, 1, 7, 1, 0, 0, 0, 0, 0, 1, 1},
        {"another group raised", 1200, 500, 0, 1, 8, 0, 0, 0, 0, 0, 0, 0, 0},
        {"walker jumping", 1200, 500, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1, 0},
        {"flyer jumping", 1200, 500, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0},
        {"falling, activated before", 1200, 500, 0, 0, 0, 0, 0, 0, 1, 1, 0, 1, 0},
        {"falling, never activated", 1200, 500, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0},
        // Only a walker goes on falling off screen.
        {"flyer falling, activated before", 1200, 500, 0, 0, 0, 0, 1, 0, 1, 1, 0, 0, 0},
        {"below the view, y ignored", 500, 1000, 1, 0, 0, 0, 0, 0, 0, 0, 1, 1, 0},
        {"group number out of range", 500, 500, 0, 1, 300, 0, 0, 0, 0, 0, 1, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_groups.Fill(0);
        if (c.preRaised) m_groups[7] = 1;
        cEdChara rec = Record(c.flyKind);
        rec.nActiveArea = static_cast<std::int8_t>(c.area);
        rec.bActiveGroup = static_cast<std::int8_t>(c.groupOn);
        rec.nActiveGroup = static_cast<std::int16_t>(c.group);
        cCharaActor a;
        a.Init(1, rec, nullptr, 0, 0, 0);
        PutAt(a, c.x, c.y);
        a.m_bJumping = c.jumping;
        a.m_bFalling = c.falling;
        a.m_bActivated = c.activated;
        EXPECT_EQ(a.UpdateInView(m_groups), c.inView);
        EXPECT_EQ(a.m_bInView, c.inView);
        EXPECT_EQ(a.ActivateCheck(m_groups), c.runs);
        EXPECT_EQ(a.m_bActivated, c.runs || c.activated ? 1 : 0);
        EXPECT_EQ(m_groups[7], c.raised);
        if (c.runs) {
            EXPECT_EQ(a.m_rcScreen.left, plat::TruncToInt(c.x) - a.m_nOffsetX - 320);
        }
    }
}

TEST_F(CharaFixture, KeepActiveCharacterStaysInViewOnceActivated) {
    cEdChara rec = Record();
    rec.nActiveMode = 1;
    cCharaActor a;
    a.Init(1, rec, nullptr, 0, 0, 0);
    PutAt(a, 1200, 1000);
    a.UpdateInView(m_groups);
    EXPECT_EQ(a.ActivateCheck(m_groups), 0);
    EXPECT_EQ(a.m_bIgnoreViewX, 0);
    PutAt(a, 500, 500);
    a.UpdateInView(m_groups);
    EXPECT_EQ(a.ActivateCheck(m_groups), 1);
    PutAt(a, 1200, 1000);
    EXPECT_EQ(a.UpdateInView(m_groups), 1);
    EXPECT_EQ(a.ActivateCheck(m_groups), 1);
}

TEST_F(CharaFixture, StepXCodes) {
    const struct {
        const char* name;
        double x, vx, knock, moveVX;
        int code;
        double newX;
    } cases[] = {
        {"inside", 500, 2, 0, 0, 0, 502},
        {"movement velocity adds", 500, 2, 0, 1, 0, 503},
        {"knock-back replaces", 500, 2, -3, 1, 0, 497},
        {"left of the area", 321, -3, 0, 0, 2, 318},
        {"at the map's side: removed", 1920 - 16, 2, 0, 0, 4, 1920 - 16},
        {"before the map: removed", 1, -5, 0, 0, 4, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cEdChara rec = Record();
        cCharaActor a;
        a.Init(1, rec, nullptr, 0, 0, 0);
        PutAt(a, c.x, 500);
        a.m_dVX = c.vx;
        a.m_dKnockVX = c.knock;
        a.m_dMoveVX = c.moveVX;
        a.m_bDecelX = 0;
        EXPECT_EQ(a.StepX(), c.code);
        EXPECT_DOUBLE_EQ(a.m_dX, c.newX);
    }
}

TEST_F(CharaFixture, StepYCodes) {
    const struct {
        const char* name;
        int flyKind;
        double y, vy;
        int code;
    } cases[] = {
        {"walker inside", 0, 500, 1, 0},
        {"walker below the stage: falls out", 0, 1120 - 24, 2, 7},
        {"walker at the map's bottom: falls out", 0, 1440 - 24, 5, 7},
        {"walker above the map", 0, 2, -5, 3},
        {"flyer below the stage", 1, 1120 - 14, 2, 5},
        {"flyer at the map's bottom: removed", 1, 1440 - 14, 5, 8},
        {"flyer above the map: removed", 1, 2, -5, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cEdChara rec = Record(c.flyKind);
        cCharaActor a;
        a.Init(1, rec, nullptr, 0, 0, 0);
        PutAt(a, 500, c.y);
        a.m_dVY = c.vy;
        EXPECT_EQ(a.StepY(), c.code);
    }
}

TEST_F(CharaFixture, StepYAddsMovementVelocityOnlyForFlyersWithoutKnockback) {
    const struct {
        int flyKind;
        double knock, moveVY, vy;
    } cases[] = {
        {1, 0, 1.5, 2.5},  // flyer: vy 1 + 1.5
        {0, 0, 1.5, 1.0},  // walker: not added
        {1, 2, 1.5, 3.0},  // flyer knocked: knock-back added, movement not
    };
    for (const auto& c : cases) {
        cEdChara rec = Record(c.flyKind);
        cCharaActor a;
        a.Init(1, rec, nullptr, 0, 0, 0);
        PutAt(a, 500, 500);
        a.m_dVY = 1;
        a.m_dKnockVY = c.knock;
        a.m_dMoveVY = c.moveVY;
        a.m_bDecelY = 0;
        a.StepY();
        EXPECT_DOUBLE_EQ(a.m_dVY, c.vy);
        EXPECT_DOUBLE_EQ(a.m_dY, 500 + c.vy);
    }
}

TEST_F(CharaFixture, ApplyKnockbackY) {
    const struct {
        const char* name;
        int flying, riding;
        double knock, vy, applied;
        double newVY, newKnock, newApplied;
    } cases[] = {
        {"flyer pushed", 1, 0, 2, 1, 0.5, 3, 2, 2},
        {"walker on the ground, down", 0, 1, 2, 1, 0.5, 1, 0, 0},
        {"walker on the ground, up", 0, 1, -2, 1, 0.5, -1.5, -2, -2},
        {"walker in the air", 0, 0, 2, 1, 0.5, 2.5, 2, 2},
        // Without knock-back nothing moves and the applied part stays as it was.
        {"none", 0, 0, 0, 1, 0.5, 1, 0, 0.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cCharaActor a;
        a.m_bFlying = c.flying;
        a.m_bRiding = c.riding;
        a.m_dKnockVY = c.knock;
        a.m_dVY = c.vy;
        a.m_dKnockVYApplied = c.applied;
        a.ApplyKnockbackY();
        EXPECT_DOUBLE_EQ(a.m_dVY, c.newVY);
        EXPECT_DOUBLE_EQ(a.m_dKnockVY, c.newKnock);
        EXPECT_DOUBLE_EQ(a.m_dKnockVYApplied, c.newApplied);
    }
}

TEST_F(CharaFixture, StepYAppliesKnockbackOnce) {
    // Two ticks in the air: the second replaces the first tick's push instead of adding.
    cEdChara rec = Record();
    cCharaActor a;
    a.Init(1, rec, nullptr, 0, 0, 0);
    PutAt(a, 500, 500);
    a.m_bFalling = 0;
    a.m_dKnockVY = -3;
    a.StepY();
    EXPECT_DOUBLE_EQ(a.m_dVY, -3);
    EXPECT_DOUBLE_EQ(a.m_dKnockVYApplied, -3);
    a.m_dKnockVY = -2;
    a.m_dVY += 0.5;  // gravity of the tick
    a.StepY();
    EXPECT_DOUBLE_EQ(a.m_dVY, -1.5);
    EXPECT_DOUBLE_EQ(a.m_dY, 500 - 3 - 1.5);
}

TEST_F(CharaFixture, JumpIsRefusedWhileAnyStateBlocksIt) {
    const struct {
        const char* name;
        int falling, ceiling, knocked, count, result;
    } cases[] = {
        {"free", 0, 0, 0, 0, 1},           {"falling", 1, 0, 0, 0, 0},
        {"hit ceiling", 0, 1, 0, 0, 0},    {"knocked", 0, 0, 1, 0, 0},
        {"off the ground", 0, 0, 0, 3, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cCharaActor a;
        a.m_bFalling = c.falling;
        a.m_bHitCeiling = c.ceiling;
        a.m_bKnocked = c.knocked;
        a.m_nJumpCount = c.count;
        a.m_bRiding = 1;
        a.m_dVY = 0.25;
        cCommandInstance cmd;
        cmd.m_dSpeed = -7.5;
        EXPECT_EQ(a.Jump(&cmd), c.result);
        EXPECT_DOUBLE_EQ(a.m_dVY, c.result ? -7.5 : 0.25);
        EXPECT_EQ(a.m_bAirborne, c.result);
        EXPECT_EQ(a.m_bJumping, c.result);
        EXPECT_EQ(a.m_bRiding, c.result ? 0 : 1);
    }
    cCharaActor a;
    EXPECT_EQ(a.Jump(nullptr), 0);
}

class CharaFlowFixture : public CharaFixture {
protected:
    // A walking character with HP 10 and flows of the given triggers, all running with one
    // command each.
    void Make(std::initializer_list<int> triggers) {
        cEdChara rec = Record();
        m_chara.Init(1, rec, nullptr, 0, 0, 0);
        m_chara.m_Chara.vecFlow.resize(triggers.size());
        m_chara.m_vecFlow.resize(triggers.size());
        int i = 0;
        for (int t : triggers) {
            m_chara.m_Chara.vecFlow[i].nTrigger = static_cast<std::int8_t>(t);
            m_chara.m_vecFlow[i].m_bRunning = 1;
            m_chara.m_vecFlow[i].m_vecCmd.resize(1);
            ++i;
        }
        m_chara.RelinkFlows();
    }
    cCharaActor m_chara;
};

TEST_F(CharaFlowFixture, BaseVelocityFollowsTheScrollWhenSynchronised) {
    const struct {
        const char* name;
        int compat214, sync, atLimitX, flyKind;
        double vx, vy;
    } cases[] = {
        {"not synchronised", 0, 0, 0, 1, 0, 0},
        {"synchronised flyer", 0, 1, 0, 1, 1.5, -0.5},
        {"synchronised, x at its limit", 0, 1, 1, 1, 0, -0.5},
        {"synchronised walker keeps vy", 0, 1, 0, 0, 1.5, 9},
        {"scroll in moves", 1, 1, 0, 1, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EdSystem.bCompat214 = c.compat214;
        m_axisX.m_dAutoSpeed = 1.5;
        m_axisX.m_bAtLimit = c.atLimitX;
        m_axisY.m_dAutoSpeed = -0.5;
        cEdChara rec = Record(c.flyKind);
        cCharaActor a;
        a.Init(1, rec, nullptr, 0, 0, 0);
        a.m_bScrollSync = c.sync;
        a.m_dVX = 4;
        a.m_dVY = 9;
        EXPECT_EQ(a.RunFlows(0), 0);
        EXPECT_DOUBLE_EQ(a.m_dVX, c.vx);
        EXPECT_DOUBLE_EQ(a.m_dVY, c.vy);
    }
}

TEST_F(CharaFlowFixture, ResetsTickStateAndReportsDeath) {
    Make({});
    m_chara.m_bGravityOff = 1;
    m_chara.m_bDecelX = m_chara.m_bDecelY = 0;
    m_chara.m_bMovedByCommand = 1;
    m_chara.m_nHoldFrames = 2;
    EXPECT_EQ(m_chara.RunFlows(0), 0);
    EXPECT_EQ(m_chara.m_bGravityOff, 0);
    EXPECT_EQ(m_chara.m_bDecelX, 1);
    EXPECT_EQ(m_chara.m_bDecelY, 1);
    EXPECT_EQ(m_chara.m_bMovedByCommand, 0);
    EXPECT_EQ(m_chara.m_nHoldFrames, 1);
    m_chara.RunFlows(0);
    m_chara.RunFlows(0);
    EXPECT_EQ(m_chara.m_nHoldFrames, 0);
    m_chara.m_nHp = 0;
    EXPECT_EQ(m_chara.RunFlows(0), 1);
}

// The next three cases rely on the placeholder flow update, which reports the end of the
// flow on every call: a flow that is reached stops at once. They change when the real
// command run arrives.
TEST_F(CharaFlowFixture, DyingRunsOnlyDeathFlows) {
    Make({0, 3, 5});
    m_chara.RunFlows(1);
    // The flows that were reached have run to their end and stopped; the others wait.
    EXPECT_EQ(m_chara.m_vecFlow[0].m_bRunning, 1);
    EXPECT_EQ(m_chara.m_vecFlow[1].m_bRunning, 0);
    EXPECT_EQ(m_chara.m_vecFlow[2].m_bRunning, 1);
}

TEST_F(CharaFlowFixture, ZeroHpStopsThePassAtOnce) {
    Make({0, 0});
    m_chara.m_nHp = 0;
    EXPECT_EQ(m_chara.RunFlows(0), 1);
    EXPECT_EQ(m_chara.m_vecFlow[0].m_bRunning, 0);
    EXPECT_EQ(m_chara.m_vecFlow[1].m_bRunning, 1);
}

TEST_F(CharaFlowFixture, PausedAndEmptyFlows) {
    Make({0, 0, 0});
    m_chara.m_vecFlow[0].m_bPaused = 1;
    m_chara.m_vecFlow[1].m_bHalted = 1;
    m_chara.m_vecFlow[2].m_vecCmd.Clear();
    m_chara.m_vecFlow[2].m_bPaused = 1;
    m_chara.RunFlows(0);
    EXPECT_EQ(m_chara.m_vecFlow[0].m_bRunning, 1);
    EXPECT_EQ(m_chara.m_vecFlow[1].m_bRunning, 1);
    // Without commands it is stopped, paused or not.
    EXPECT_EQ(m_chara.m_vecFlow[2].m_bRunning, 0);
}

TEST_F(CharaFlowFixture, FreedGroupsAreReleased) {
    Make({});
    m_chara.m_vecGroupBusy.resize(kFlowGroupSlots);
    m_chara.m_vecGroupFreed.resize(kFlowGroupSlots);
    m_chara.m_vecGroupBusy[2] = m_chara.m_vecGroupBusy[4] = 1;
    m_chara.m_vecGroupFreed[4] = 1;
    m_chara.m_bGroupFreed = 1;
    m_chara.RunFlows(0);
    EXPECT_EQ(m_chara.m_vecGroupBusy[2], 1);
    EXPECT_EQ(m_chara.m_vecGroupBusy[4], 0);
    EXPECT_EQ(m_chara.m_vecGroupFreed[4], 0);
    EXPECT_EQ(m_chara.m_bGroupFreed, 0);
}

TEST_F(CharaFlowFixture, IdleAnimationWhenNothingMoved) {
    static constexpr ANIMSTEPDEF seq[] = {{0, 5, 1}, {ANIM_RESTART, 0, 1}};
    static constexpr const ANIMSTEPDEF* table[] = {seq, seq, seq, nullptr};
    const struct {
        int flyKind;
        double moveVX, moveVY;
        int seqAfter;
    } cases[] = {
        {0, 0, 0, 0},    // a walker idles on 0
        {1, 0, 0, 2},    // a flyer on 2
        {0, 0.5, 0, 1},  // still moving: no change
        {1, 0, -0.25, 1},
    };
    for (const auto& c : cases) {
        cEdChara rec = Record(c.flyKind);
        cCharaActor a;
        a.Init(1, rec, nullptr, 0, 0, 0);
        a.m_AnimPattern.Set(table);
        a.m_AnimPattern.SetSeq(1, 1);
        a.m_dMoveVX = c.moveVX;
        a.m_dMoveVY = c.moveVY;
        a.RunFlows(0);
        EXPECT_EQ(a.m_AnimPattern.m_nSeq, c.seqAfter);
    }
}

TEST_F(CharaFixture, RemovingACharacterUnhooksItsTargets) {
    ObjectList<cCharaActor> list;
    cCharaActor& a = list.Add();
    cCharaActor& b = list.Add();
    cCharaActor& c = list.Add();
    // a and c target b; b targets c.
    a.m_pTarget = &b;
    c.m_pTarget = &b;
    b.m_vecTargetedBy.push_back(&a);
    b.m_vecTargetedBy.push_back(&c);
    b.m_pTarget = &c;
    c.m_vecTargetedBy.push_back(&b);
    const ObjectId idA = a.Id();
    const ObjectId idB = b.Id();
    list.Remove(idB);
    EXPECT_EQ(a.m_pTarget, nullptr);
    EXPECT_EQ(c.m_pTarget, nullptr);
    EXPECT_TRUE(c.m_vecTargetedBy.empty());
    // And the other way: a target outlives its hunter.
    a.m_pTarget = &c;
    c.m_vecTargetedBy.push_back(&a);
    list.Remove(idA);
    EXPECT_TRUE(c.m_vecTargetedBy.empty());
    list.Clear();
}

}  // namespace

// The movement commands: the direction of a move choice, the velocity routines, the timing
// set-ups, the way a move is applied (inertia, facing, animation), the seven movement
// handlers on a small stage, and the dispatch of a command to its handler.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>

#include "base/input.h"
#include "data/command_record.h"
#include "data/move_shot_records.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "flow/command_dispatch.h"
#include "flow/flow_install.h"
#include "flow/flow_instance.h"
#include "flow/move_setup_table.h"
#include "flow/movement_commands.h"
#include "stage/actor.h"
#include "stage/actor_geometry.h"
#include "stage/block_map.h"
#include "stage/engine_globals.h"
#include "stage/game_scene.h"
#include "stage/scroll_axis.h"
#include "stage/stage_objects.h"
#include "support/scroll_axis_setup.h"

namespace {

constexpr double kS = 0.5;  // the speed of most cases, dots per tick

// A command of one type with a move record of its own, and its instance. The instance points
// at the command, so the pair is never copied.
struct MoveCmd {
    explicit MoveCmd(int type, double speed = kS) {
        def.nCmdType = static_cast<std::int8_t>(type);
        cEdMove::Create(def.spMove);
        ci.m_pCmd = &def;
        ci.m_dSpeed = speed;
    }
    MoveCmd(const MoveCmd&) = delete;
    cEdMove& move() { return *def.spMove; }
    cEdCommand def;
    cCommandInstance ci;
};

// A stage at level 10 (b = 10) with a game scene whose running flow is the fixture's own, the
// view at (320, 320) of a 1920 × 1440 map, and no block map unless a test builds one.
class MoveTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        EdStageWork.dGravity = 0.4;
        EdStageWork.SetGameSpeed(10);
        m_scene = std::make_unique<cGameScene>();
        lpGame = m_scene.get();
        SetTestAxis(m_scene->m_ScrollX, 1600, 1920);
        SetTestAxis(m_scene->m_ScrollY, 1120, 1440);
        m_scene->m_pCurFlow = &m_flow;
    }
    void TearDown() override {
        m_scene.reset();
        ResetEngineGlobals();
    }
    ScrollAxis& AxisX() { return m_scene->m_ScrollX; }
    ScrollAxis& AxisY() { return m_scene->m_ScrollY; }

    // A computer character with a 16 × 24 box at (8, 8) in a 32 × 32 sprite, its record placed
    // facing left, facing not fixed, the box's corner at (x, y).
    static void Make(cCharaActor& a, int flying, int facingRight, double x = 640, double y = 616) {
        a.Init(1, 1, 0, 0, nullptr, 0, 8, 8, 16, 24, 32, 32, facingRight, flying ? 1 : 0, 0);
        a.m_Chara.nFacing = 0;
        a.m_Chara.bFixedFacing = 0;
        Put(a, x, y);
    }
    static void Put(cCharaActor& a, double x, double y) {
        a.m_dX = x;
        a.m_dY = y;
        a.OnMovedX();
        a.OnMovedY();
        a.UpdateScreenRect();
    }
    static void Target(cActorBase& a, cActorBase& target) {
        a.m_pTarget = &target;
        target.m_vecTargetedBy.push_back(&a);
    }

    FlowInstance m_flow;
    std::unique_ptr<cGameScene> m_scene;
};

// --- Directions ---

TEST_F(MoveTest, DirectionOfEachChoiceByFacingAndCapturedInput) {
    struct Case {
        int choice, facingRight, input, keepDiagonals, expected;
    };
    const Case cases[] = {
        // Forward and back by the facing.
        {0, 1, 0, 1, 3},
        {0, 0, 0, 1, 2},
        {1, 1, 0, 1, 2},
        {1, 0, 0, 1, 3},
        {4, 1, 0, 1, 7},
        {4, 0, 0, 1, 6},
        {5, 1, 0, 1, 6},
        {5, 0, 0, 1, 7},
        // Fixed directions whatever the facing.
        {2, 1, 0, 1, 2},
        {3, 0, 0, 1, 3},
        {6, 1, 0, 0, 6},
        {7, 0, 0, 0, 7},
        {8, 1, 0, 1, 8},
        {9, 1, 0, 1, 9},
        {10, 0, 0, 1, 10},
        {11, 0, 0, 1, 11},
        // Diagonals fold onto their horizontal part.
        {8, 1, 0, 0, 2},
        {9, 1, 0, 0, 2},
        {10, 0, 0, 0, 3},
        {11, 0, 0, 0, 3},
        // The input direction captured when the flow started; none held means forward.
        {12, 1, 0, 1, 3},
        {12, 0, 0, 1, 2},
        {12, 1, 1, 1, 2},
        {12, 0, 2, 1, 3},
        {12, 1, 3, 1, 6},
        {12, 1, 4, 1, 7},
        {12, 1, 5, 1, 8},
        {12, 1, 6, 1, 9},
        {12, 1, 7, 1, 10},
        {12, 1, 8, 1, 11},
        {12, 1, 5, 0, 2},
        {12, 0, 8, 0, 3},
        // Several directions at once, and choices out of range, move nowhere.
        {12, 1, 9, 1, 0},
        {13, 1, 0, 1, 13},
        {-1, 0, 0, 1, -1},
    };
    cCharaActor a;
    Make(a, 1, 0);
    for (const Case& c : cases) {
        a.m_bFacingRight = c.facingRight;
        m_flow.m_nInputDir = c.input;
        EXPECT_EQ(ResolveMoveDirection(a, c.choice, 0, c.keepDiagonals), c.expected)
            << "choice " << c.choice << " facing " << c.facingRight << " input " << c.input
            << " keep " << c.keepDiagonals;
    }
}

TEST_F(MoveTest, CurrentInputDirectionOverridesTheCapturedOne) {
    Player.Clear();
    InputList = CheckedVector<cInput>(1);
    cInput& in = InputList[0];
    for (KeyEventLog& log : in.DirLog) log[0].active = 0;
    in.DirLog[7][0].active = 1;  // up-right held now
    m_flow.m_nInputDir = 1;      // left when the flow started
    cCharaActor a;
    Make(a, 1, 0);
    EXPECT_EQ(ResolveMoveDirection(a, 12, 1, 1), 10);
    EXPECT_EQ(ResolveMoveDirection(a, 12, 0, 1), 2);
}

TEST_F(MoveTest, VelocityForDirectionByChoiceForWalkersAndFlyers) {
    const double d = kS / std::sqrt(2.0);
    struct Case {
        const char* name;
        int flying, facingRight, choice;
        double vx, vy;
        int facing;
    };
    const Case cases[] = {
        {"forward, walker facing left", 0, 0, 0, -kS, 0, 1},
        {"back, walker facing left", 0, 0, 1, kS, 0, 2},
        {"up-left folds for a walker", 0, 1, 8, -kS, 0, 1},
        {"up is no motion for a walker", 0, 1, 6, 0, 0, 0},
        {"up-left, flyer", 1, 1, 8, -d, -d, 1},
        {"down-left, flyer", 1, 1, 9, -d, d, 1},
        {"up-right, flyer", 1, 0, 10, d, -d, 2},
        {"down-right, flyer", 1, 0, 11, d, d, 2},
        {"up, flyer", 1, 0, 6, 0, -kS, 0},
        {"forward-Y facing right, flyer", 1, 1, 4, 0, kS, 0},
        {"out of range", 1, 1, 20, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cCharaActor a;
        Make(a, c.flying, c.facingRight);
        MoveCmd m(2);
        m.ci.m_nFacing = 7;
        VelocityForDirection(a, m.ci, kS, c.choice);
        EXPECT_DOUBLE_EQ(m.ci.m_dVX, c.vx);
        EXPECT_DOUBLE_EQ(m.ci.m_dVY, c.vy);
        EXPECT_EQ(m.ci.m_nFacing, c.facing);
        // A fixed facing leaves the facing result as it was.
        a.m_Chara.bFixedFacing = 1;
        VelocityForDirection(a, m.ci, kS, c.choice);
        EXPECT_EQ(m.ci.m_nFacing, c.facing);
        m.ci.m_nFacing = 7;
        VelocityForDirection(a, m.ci, kS, c.choice);
        EXPECT_EQ(m.ci.m_nFacing, 7);
    }
}

TEST_F(MoveTest, AngleOfTheMoveIsMirroredForRightFacingRecordsAndReduced) {
    struct Case {
        int base, inc, clone, mirror, recordRight, expected;
    };
    const Case cases[] = {
        {10, 0, 0, 1, 0, 10},    {10, 0, 0, 1, 1, 350},  {10, 0, 0, 0, 1, 10},
        {100, 150, 2, 0, 0, 40}, {-30, 0, 0, 0, 0, -30}, {-30, 0, 0, 1, 1, 30},
        {0, 0, 0, 1, 1, 0},      {720, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        cCharaActor a;
        Make(a, 1, 0);
        a.m_nCloneValue = static_cast<std::int16_t>(c.clone);
        a.m_Chara.nFacing = static_cast<std::int8_t>(c.recordRight);
        MoveCmd m(2);
        m.move().nAngle = static_cast<std::int16_t>(c.base);
        m.move().nAngleInc = static_cast<std::int16_t>(c.inc);
        m.move().bMirrorAngle = static_cast<std::int8_t>(c.mirror);
        CalcMoveAngle(a, m.ci);
        EXPECT_EQ(m.ci.m_nAngle, c.expected) << c.base << " + " << c.clone << " x " << c.inc;
    }
}

TEST_F(MoveTest, OffsetIsBlocksAndDotsMirroredPerAxisForRightFacingRecords) {
    struct Case {
        int recordRight, mirrorX, mirrorY, x, y;
    };
    const Case cases[] = {
        {0, 1, 1, 3 * 32 + 5, -2 * 32 + 7},
        {1, 1, 0, -(3 * 32 + 5), -2 * 32 + 7},
        {1, 0, 1, 3 * 32 + 5, 2 * 32 - 7},
    };
    for (const Case& c : cases) {
        cCharaActor a;
        Make(a, 1, 0);
        a.m_Chara.nFacing = static_cast<std::int8_t>(c.recordRight);
        MoveCmd m(2);
        m.move().nTargetXBl = 3;
        m.move().nTargetXDot = 5;
        m.move().nTargetYBl = -2;
        m.move().nTargetYDot = 7;
        m.move().bMirrorX = static_cast<std::int8_t>(c.mirrorX);
        m.move().bMirrorY = static_cast<std::int8_t>(c.mirrorY);
        CalcMoveOffset(a, m.ci);
        EXPECT_EQ(m.ci.m_nOffsetX, c.x);
        EXPECT_EQ(m.ci.m_nOffsetY, c.y);
    }
}

// --- Timing ---

TEST_F(MoveTest, TimingDerivesSpeedOrDurationWithoutDividingByZero) {
    struct Case {
        const char* name;
        int timing, unit, distance, distanceInc, clone, compat695;
        std::int32_t duration;
        double speed;
        std::int32_t expectedDuration;
        double expectedSpeed;
    };
    const Case cases[] = {
        {"time and speed change nothing", 0, 0, 6, 0, 0, 0, 60, 0.1, 60, 0.1},
        {"time and distance in half blocks", 1, 0, 6, 0, 0, 0, 60, 0.1, 60, 96.0 / 60},
        {"time and distance in dots", 1, 1, 30, 0, 0, 0, 60, 0.1, 60, 0.5},
        {"distance grows with the clone value", 1, 0, 2, 1, 2, 0, 32, 0.1, 32, 2.0},
        {"no time: the distance in one tick", 1, 0, 6, 0, 0, 0, 0, 0.1, 0, 96.0},
        {"speed and distance", 2, 1, 96, 0, 0, 0, 60, 0.5, 192, 0.5},
        {"speed and distance truncate", 2, 1, 100, 0, 0, 0, 60, 0.3, 333, 0.3},
        {"negative distance made positive", 2, 1, -96, 0, 0, 0, 60, 0.5, 192, 0.5},
        {"negative speed made positive", 2, 1, 96, 0, 0, 0, 60, -0.5, 192, -0.5},
        {"negative time kept by old projects", 2, 1, -96, 0, 0, 1, 60, 0.5, -192, 0.5},
        {"no speed: ends at once", 2, 1, 96, 0, 0, 0, 60, 0.0, 0, 0.0},
        {"no speed and no distance", 2, 1, 0, 0, 0, 0, 60, 0.0, 0, 0.0},
        {"a crawl saturates", 2, 1, 32767, 0, 0, 0, 60, 1e-300, INT_MAX, 1e-300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EdSystem.bCompat695 = c.compat695;
        cCharaActor a;
        Make(a, 1, 0);
        a.m_nCloneValue = static_cast<std::int16_t>(c.clone);
        MoveCmd m(2, c.speed);
        m.move().nTiming = static_cast<std::int8_t>(c.timing);
        m.move().nUnit = static_cast<std::int8_t>(c.unit);
        m.move().nDistance = static_cast<std::int16_t>(c.distance);
        m.move().nDistanceInc = static_cast<std::int16_t>(c.distanceInc);
        m.ci.m_nDuration = c.duration;
        SetupMoveCommand(m.ci, a);
        EXPECT_EQ(m.ci.m_nDuration, c.expectedDuration);
        EXPECT_DOUBLE_EQ(m.ci.m_dSpeed, c.expectedSpeed);
    }
}

TEST_F(MoveTest, InstallationResolvesTheTimingAfterTimeAndSpeed) {
    cCharaActor a;
    Make(a, 1, 0);
    cEdCommand cmd;
    cmd.nCmdType = 5;
    cmd.nTime = 6;  // 360 ticks
    cEdMove::Create(cmd.spMove);
    cmd.spMove->nTiming = 1;
    cmd.spMove->nDistance = 6;  // 96 dots
    cEdFlow flow;
    flow.vecCommand.push_back(cmd);
    a.m_Chara.vecFlow.Clear();
    a.m_Chara.vecFlow.push_back(flow);
    ASSERT_EQ(InstallFlows(a, a.m_Chara.vecFlow, 0, -1), 1);
    const cCommandInstance& ci = a.m_vecFlow[0].m_vecCmd[0];
    EXPECT_EQ(ci.m_nDuration, 360);
    EXPECT_DOUBLE_EQ(ci.m_dSpeed, 96.0 / 360);
}

TEST_F(MoveTest, HomingSetUpTakesTheDelayInTicksAndResolvesTheTiming) {
    cCharaActor a;
    Make(a, 1, 0);
    a.m_nCloneValue = 2;
    MoveCmd m(6);
    m.move().nHoming = 3;
    m.move().nHomingInc = 1;
    m.move().nTiming = 2;
    m.move().nUnit = 1;
    m.move().nDistance = 100;
    m.ci.m_nDuration = 7;
    SetupHomingMove(m.ci, a);
    EXPECT_EQ(m.ci.m_nRadius, (3 + 2 * 1) * 10);
    EXPECT_EQ(m.ci.m_nDuration, 200);
}

TEST_F(MoveTest, CircleSetUpAnglesSenseAndTiming) {
    struct Case {
        const char* name;
        int angle, distance, timing, recordRight, mirrorX, mirrorY, choice;
        std::int32_t duration;
        double speed;
        int start, end, sense;
        std::int32_t expectedDuration;
        double expectedSpeed;
    };
    const Case cases[] = {
        {"by time", 0, 90, 0, 0, 1, 0, 0, 60, 0, 0, 900, 0, 60, 1.5},
        {"by speed", 0, 90, 1, 0, 1, 0, 0, 60, 1.5, 0, 900, 0, 60, 1.5},
        {"end before start sweeps backwards", 90, 0, 1, 0, 1, 0, 0, 9, 1.5, 900, 0, 0, 60, 1.5},
        {"mirrored x turns half round and swaps", 0, 90, 1, 1, 1, 0, 0, 9, 1.5, 1800, 2700, 1, 60,
         1.5},
        {"mirrored both swaps back", 0, 90, 1, 1, 1, 1, 1, 9, 1.5, 1800, 2700, 1, 60, 1.5},
        {"mirrored y only swaps", 0, 90, 1, 1, 0, 1, 1, 9, 1.5, 0, 900, 0, 60, 1.5},
        {"facing senses are not swapped", 0, 90, 1, 1, 1, 0, 2, 9, 1.5, 1800, 2700, 2, 60, 1.5},
        {"no time: the sweep in one tick", 0, 90, 0, 0, 1, 0, 0, 0, 0, 0, 900, 0, 0, 90.0},
        {"no speed: ends at once", 0, 90, 1, 0, 1, 0, 0, 60, 0, 0, 900, 0, 0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cCharaActor a;
        Make(a, 1, 0);
        a.m_Chara.nFacing = static_cast<std::int8_t>(c.recordRight);
        MoveCmd m(4, c.speed);
        m.move().nAngle = static_cast<std::int16_t>(c.angle);
        m.move().nDistance = static_cast<std::int16_t>(c.distance);
        m.move().nTiming = static_cast<std::int8_t>(c.timing);
        m.move().bMirrorX = static_cast<std::int8_t>(c.mirrorX);
        m.move().bMirrorY = static_cast<std::int8_t>(c.mirrorY);
        m.move().nHoming = 2;
        m.ci.m_nMoveChoice = static_cast<std::int8_t>(c.choice);
        m.ci.m_nDuration = c.duration;
        SetupCircleMove(m.ci, a);
        EXPECT_EQ(m.ci.m_nRadius, 2 * 16 * 10);
        EXPECT_EQ(m.ci.m_nStartAngle, c.start);
        EXPECT_EQ(m.ci.m_nEndAngle, c.end);
        EXPECT_EQ(m.ci.m_nMoveChoice, c.sense);
        EXPECT_EQ(m.ci.m_nDuration, c.expectedDuration);
        EXPECT_DOUBLE_EQ(m.ci.m_dSpeed, c.expectedSpeed);
    }
}

TEST_F(MoveTest, CircleRadiusIsHeldToTwentyHalfBlocks) {
    const struct {
        int radius, field;
    } cases[] = {{25, 20 * 16 * 10}, {20, 20 * 16 * 10}, {-3, 0}, {0, 0}};
    for (const auto& c : cases) {
        cCharaActor a;
        Make(a, 1, 0);
        MoveCmd m(4);
        m.move().nHoming = static_cast<std::int16_t>(c.radius);
        SetupCircleMove(m.ci, a);
        EXPECT_EQ(m.ci.m_nRadius, c.field) << c.radius;
    }
}

// --- Applying a move ---

TEST_F(MoveTest, InertiaAcceleratesByReversalFactorWithinTheMaximumSpeed) {
    // b = 10: an acceleration of v is v / 600 per tick.
    struct Case {
        const char* name;
        double moveV, v, factor, maxSpeed;
        int decel;
        double expectedMoveV;
        int expectedDecel;
    };
    const Case cases[] = {
        {"from rest", 0, 0.6, 3, 1, 1, 0.001, 0},
        {"along the motion", 0.01, 0.6, 3, 1, 1, 0.011, 0},
        {"against the motion", 0.01, -0.6, 3, 1, 1, 0.007, 1},
        {"against a leftward motion", -0.01, 0.6, 0.5, 1, 1, -0.0095, 1},
        {"held at the maximum", 0.0995, 0.6, 1, 0.1, 1, 0.1, 0},
        {"held at minus the maximum", -0.1, -6, 1, 0.1, 1, -0.1, 0},
        {"no maximum, no motion", 0, 0.6, 1, 0, 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cCharaActor a;
        Make(a, 1, 0);
        MoveCmd m(2);
        m.move().bInertia = 1;
        m.move().fTurnFactor = c.factor;
        m.ci.m_dMaxSpeed = c.maxSpeed;
        a.m_dMoveVX = c.moveV;
        a.m_bDecelX = c.decel;
        a.m_dMoveVY = -c.moveV;
        a.m_bDecelY = c.decel;
        a.m_dVX = a.m_dVY = 0.25;
        ApplyMoveVelocity(a, c.v, -c.v, 0, m.ci, m.move(), 0);
        EXPECT_NEAR(a.m_dMoveVX, c.expectedMoveV, 1e-15);
        EXPECT_NEAR(a.m_dMoveVY, -c.expectedMoveV, 1e-15);
        EXPECT_EQ(a.m_bDecelX, c.expectedDecel);
        EXPECT_EQ(a.m_bDecelY, c.expectedDecel);
        // An inertia move leaves the velocity itself alone.
        EXPECT_EQ(a.m_dVX, 0.25);
        EXPECT_EQ(a.m_dVY, 0.25);
    }
}

TEST_F(MoveTest, MoveWithoutInertiaAddsToTheVelocity) {
    cCharaActor a;
    Make(a, 1, 0);
    MoveCmd m(2);
    a.m_dVX = 0.25;
    a.m_dVY = -1;
    a.m_dMoveVX = 0.125;
    ApplyMoveVelocity(a, 0.5, 0.75, 0, m.ci, m.move(), 0);
    EXPECT_EQ(a.m_dVX, 0.75);
    EXPECT_EQ(a.m_dVY, -0.25);
    EXPECT_EQ(a.m_dMoveVX, 0.125);
}

TEST_F(MoveTest, FacingResultTurnsTheActorUnlessFixedOrKept) {
    struct Case {
        const char* name;
        int fixed, force, keep, result, startRight, expectedRight;
    };
    const Case cases[] = {
        {"left", 0, 0, 0, 1, 1, 0},
        {"right", 0, 0, 0, 2, 0, 1},
        {"none", 0, 0, 0, 0, 1, 1},
        {"fixed facing", 1, 0, 0, 1, 1, 1},
        {"fixed facing, forced", 1, 1, 0, 1, 1, 0},
        {"kept facing", 0, 0, 1, 2, 0, 0},
        {"kept facing, forced", 1, 1, 1, 2, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cCharaActor a;
        Make(a, 0, c.startRight);
        a.m_Chara.bFixedFacing = static_cast<std::int8_t>(c.fixed);
        MoveCmd m(2);
        m.move().bKeepFacing = static_cast<std::int8_t>(c.keep);
        ApplyMoveVelocity(a, 0, 0, c.result, m.ci, m.move(), c.force);
        EXPECT_EQ(a.m_bFacingRight, c.expectedRight);
    }
}

TEST_F(MoveTest, MoveSwitchesToTheMovingAnimationUnlessTheRecordSaysNot) {
    const struct {
        int flying, keepAnime, seq, moved;
    } cases[] = {{0, 0, 1, 1}, {1, 0, 3, 1}, {1, 1, 5, 0}};
    for (const auto& c : cases) {
        cCharaActor a;
        Make(a, c.flying, 0);
        a.m_AnimPattern.m_nSeq = 5;
        MoveCmd m(2);
        m.move().bKeepAnime = static_cast<std::int8_t>(c.keepAnime);
        ApplyMoveVelocity(a, 0.1, 0, 0, m.ci, m.move(), 0);
        EXPECT_EQ(a.m_AnimPattern.m_nSeq, c.seq) << c.flying << c.keepAnime;
        EXPECT_EQ(a.m_bMovedByCommand, c.moved) << c.flying << c.keepAnime;
    }
}

// --- Straight move ---

TEST_F(MoveTest, StraightMoveForwardOnAWalkerFacingLeft) {
    for (int choice : {0, 8}) {
        cCharaActor a;
        Make(a, 0, 0);
        a.m_bFixedScreenX = a.m_bFixedScreenY = 1;
        MoveCmd m(2);
        m.ci.m_nMoveChoice = static_cast<std::int8_t>(choice);
        CmdStraightMove(a, m.ci);
        EXPECT_DOUBLE_EQ(a.m_dVX, -kS) << choice;
        EXPECT_EQ(a.m_dVY, 0) << choice;
        EXPECT_EQ(a.m_bFacingRight, 0);
        EXPECT_EQ(a.m_bFixedScreenX, 0);
        EXPECT_EQ(a.m_bFixedScreenY, 0);
        // Later ticks keep adding the velocity of the first.
        CmdStraightMove(a, m.ci);
        EXPECT_DOUBLE_EQ(a.m_dVX, -2 * kS);
    }
}

TEST_F(MoveTest, StraightMoveUpRightTurnedByTenDegreesOnAFlyer) {
    cCharaActor a;
    Make(a, 1, 0);
    MoveCmd m(2);
    m.ci.m_nMoveChoice = 10;
    m.move().nAngle = 10;
    CmdStraightMove(a, m.ci);
    const double theta = 145 * kPi / 180;
    EXPECT_DOUBLE_EQ(m.ci.m_dVX, -std::cos(theta) * kS);
    EXPECT_DOUBLE_EQ(m.ci.m_dVY, -std::sin(theta) * kS);
    EXPECT_GT(a.m_dVX, 0);
    EXPECT_LT(a.m_dVY, 0);
    EXPECT_EQ(m.ci.m_nFacing, 2);
    EXPECT_EQ(a.m_bFacingRight, 1);
}

TEST_F(MoveTest, AngledMoveWithoutADirectionDoesNotMove) {
    cCharaActor a;
    Make(a, 1, 0);
    MoveCmd m(2);
    m_flow.m_nInputDir = 9;  // several directions held when the flow started
    m.ci.m_nMoveChoice = 12;
    m.move().nAngle = 10;
    CmdStraightMove(a, m.ci);
    EXPECT_EQ(a.m_dVX, 0);
    EXPECT_EQ(a.m_dVY, 0);
}

TEST_F(MoveTest, StraightMoveReversesWhenAFixedFacingActorIsTurned) {
    struct Case {
        const char* name;
        int fixed, turnBack;
        double after;
    };
    const Case cases[] = {
        {"fixed, reverse on turn", 1, 1, kS},
        {"fixed, no reverse", 1, 0, -kS},
        {"free facing", 0, 1, -kS},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cCharaActor a;
        Make(a, 0, 0);
        a.m_Chara.bFixedFacing = static_cast<std::int8_t>(c.fixed);
        MoveCmd m(2);
        m.ci.m_nMoveChoice = 0;
        m.move().bTurnBack = static_cast<std::int8_t>(c.turnBack);
        CmdStraightMove(a, m.ci);
        CmdStraightMove(a, m.ci);
        EXPECT_DOUBLE_EQ(m.ci.m_dVX, -kS);
        a.m_bFacingRight = 1;  // turned by another command
        a.m_dVX = 0;
        CmdStraightMove(a, m.ci);
        EXPECT_DOUBLE_EQ(a.m_dVX, c.after);
        // Reversed once: the next tick goes on the same way.
        a.m_dVX = 0;
        CmdStraightMove(a, m.ci);
        EXPECT_DOUBLE_EQ(a.m_dVX, c.after);
    }
}

TEST_F(MoveTest, PointMoveThreeBlocksRightTakesTheTimeOfTheDistance) {
    cCharaActor a;
    Make(a, 1, 0);
    MoveCmd m(2, 10 * 0.1 / 10);
    m.move().nDestMode = 1;
    m.move().nCoordKind = 1;
    m.move().nTargetXBl = 3;
    m.ci.m_nRemaining = 60;
    CmdStraightMove(a, m.ci);
    EXPECT_EQ(m.ci.m_nRemaining, 960);
    EXPECT_DOUBLE_EQ(a.m_dVX, 0.1);
    EXPECT_EQ(a.m_dVY, 0);
    EXPECT_EQ(a.m_bFacingRight, 1);
}

TEST_F(MoveTest, PointMoveMeasuresTheGoalByCoordinateKind) {
    // The box at x 640 with the view at 400: the sprite's centre is at 648 in the stage.
    AxisX().m_dPos = 400;
    struct Case {
        int kind;
        double dx;
    };
    const Case cases[] = {
        {0, 700 + 96 - 648},       // from the placement point
        {1, 96},                   // from here
        {2, 320 + 96 + 16 - 648},  // from the stage's corner, block middle
        {3, 96 + 16 + 400 - 648},  // from the view's corner, block middle
        {4, 0},                    // no such kind
    };
    for (const Case& c : cases) {
        cCharaActor a;
        Make(a, 1, 0);
        a.m_dHomeX = 700;
        MoveCmd m(2);
        m.move().nCoordKind = static_cast<std::int8_t>(c.kind);
        m.move().bUseY = 0;
        std::int32_t remaining = -5;
        VelocityTowardPoint(a, m.ci, kS, 96, 0, m.move(), remaining);
        const double sign = c.dx > 0 ? 1 : (c.dx < 0 ? -1 : 0);
        EXPECT_DOUBLE_EQ(m.ci.m_dVX, sign * kS) << c.kind;
        EXPECT_EQ(m.ci.m_dVY, 0) << c.kind;
        EXPECT_EQ(m.ci.m_nFacing, c.dx > 0 ? 2 : (c.dx < 0 ? 1 : 0)) << c.kind;
        EXPECT_EQ(remaining, static_cast<std::int32_t>(std::fabs(c.dx) / kS)) << c.kind;
    }
}

TEST_F(MoveTest, PointMoveLocksAxesAndSnapsWhenCloserThanOneStep) {
    struct Case {
        const char* name;
        int noX, noY, snap, untilArrival;
        double speed;
        double vx, vy;
        std::int32_t remaining;
    };
    // The goal 30 right and 40 down: 50 away.
    const Case cases[] = {
        {"both axes", 0, 0, 0, 1, 0.5, 0.3, 0.4, 100},
        {"no x motion", 1, 0, 0, 1, 0.5, 0, 0.4, 100},
        {"no y motion", 0, 1, 0, 1, 0.5, 0.3, 0, 100},
        {"one step, no snap", 0, 0, 0, 1, 60, 36, 48, 0},
        {"one step, snap", 0, 0, 1, 1, 60, 0, 0, 0},
        {"time not from distance", 0, 0, 1, 0, 60, 36, 48, -5},
        {"no speed keeps the time", 0, 0, 1, 1, 0, 0, 0, -5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cCharaActor a;
        Make(a, 1, 0);
        MoveCmd m(2);
        m.move().nCoordKind = 1;
        m.move().bNoMoveX = static_cast<std::int8_t>(c.noX);
        m.move().bNoMoveY = static_cast<std::int8_t>(c.noY);
        m.move().bSnap = static_cast<std::int8_t>(c.snap);
        m.move().bUntilArrival = static_cast<std::int8_t>(c.untilArrival);
        std::int32_t remaining = -5;
        VelocityTowardPoint(a, m.ci, c.speed, 30, 40, m.move(), remaining);
        EXPECT_NEAR(m.ci.m_dVX, c.vx, 1e-12);
        EXPECT_NEAR(m.ci.m_dVY, c.vy, 1e-12);
        EXPECT_EQ(remaining, c.remaining);
        EXPECT_FALSE(std::isnan(m.ci.m_dVX) || std::isnan(m.ci.m_dVY));
    }
}

// --- Ground turn ---

// A stage of 40 × 25 blocks; the actor stands on map row 20 with its box 16 × 24.
class GroundTurnTest : public MoveTest {
protected:
    void SetUp() override {
        MoveTest::SetUp();
        ASSERT_TRUE(BlockMap.Build(40, 25));
    }
    static void Solid(int col, int row) {
        BlockMap.Cell(BlockMap.CellIndex(col, row)).nHitType = 1;
    }
    static constexpr double kTopOnRow20 = 20 * 32 - 24;
};

TEST_F(GroundTurnTest, TurnsAtWallsAndLedgesFromTheNextTick) {
    struct Case {
        const char* name;
        int facingRight;
        double x;
        std::initializer_list<int> floor;  // columns of row 20
        int wallColumn;                    // -1 none
        int pushedOut;                     // the block collision asked for the turn
        double vx;                         // velocity of this tick
        int facingAfter;
    };
    const Case cases[] = {
        {"on open ground", 1, 384, {11, 12, 13}, -1, 0, kS, 1},
        {"ledge on the right", 1, 408, {12}, -1, 0, kS, 0},
        {"ledge on the left", 0, 408, {13}, -1, 0, -kS, 1},
        {"wall ahead", 1, 400, {12, 13}, 13, 1, -kS, 0},
        {"wall behind, not touched", 0, 400, {11, 12, 13}, 13, 0, -kS, 0},
        {"wall ahead on the left", 0, 384, {11, 12}, 11, 1, kS, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(BlockMap.Build(40, 25));
        for (int col : c.floor) Solid(col, 20);
        if (c.wallColumn >= 0) {
            Solid(c.wallColumn, 19);
            Solid(c.wallColumn, 18);
        }
        cCharaActor a;
        Make(a, 0, c.facingRight, c.x, kTopOnRow20);
        a.m_Chara.bFixedFacing = 1;  // the ground turn turns even a fixed facing
        // The block collision asks for the turn when it pushes the actor out of a wall.
        a.m_bWallTurn = c.pushedOut;
        MoveCmd m(3);
        CmdGroundTurnMove(a, m.ci);
        EXPECT_DOUBLE_EQ(a.m_dVX, c.vx);
        EXPECT_EQ(a.m_dVY, 0);
        EXPECT_EQ(a.m_bFacingRight, c.facingAfter);
        EXPECT_EQ(a.m_bWallTurn, 0);
    }
}

TEST_F(GroundTurnTest, LeavesFlyersAloneAndDoesNotTurnWhileKnockedBack) {
    Solid(12, 20);
    Solid(13, 19);
    {
        cCharaActor a;
        Make(a, 1, 1, 400, kTopOnRow20);
        a.m_bFixedScreenX = 1;
        MoveCmd m(3);
        CmdGroundTurnMove(a, m.ci);
        EXPECT_EQ(a.m_dVX, 0);
        EXPECT_EQ(a.m_bFacingRight, 1);
        EXPECT_EQ(a.m_bFixedScreenX, 1);
        EXPECT_EQ(a.m_bMovedByCommand, 0);
    }
    cCharaActor a;
    Make(a, 0, 1, 400, kTopOnRow20);
    a.m_dKnockVX = -1;
    MoveCmd m(3);
    CmdGroundTurnMove(a, m.ci);
    EXPECT_DOUBLE_EQ(a.m_dVX, kS);
    EXPECT_EQ(a.m_bFacingRight, 1);
}

TEST_F(GroundTurnTest, TurnOnAMovingPlatformUndoesItsMotion) {
    struct Case {
        int facingRight;
        double d;
        double vx;
    };
    const Case cases[] = {
        {1, 2, -kS + 2},   // platform moved with the actor's way
        {1, -2, -kS - 4},  // against it: twice
        {0, 2, kS + 4},
        {0, -2, kS - 2},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(BlockMap.Build(40, 25));
        Solid(11, 19);
        Solid(13, 19);
        CharaList.Clear();
        cCharaActor& platform = CharaList.Add();
        platform.m_nSerial = 77;
        platform.m_dX = 500;
        cCharaActor a;
        Make(a, 0, c.facingRight, c.facingRight ? 400 : 384, kTopOnRow20);
        a.m_bRiding = 1;
        a.m_nRideSerial = 77;
        a.m_rcRide.left = 500 - c.d;
        a.m_bWallTurn = 1;
        MoveCmd m(3);
        GroundTurnStep(a, m.ci);
        EXPECT_DOUBLE_EQ(m.ci.m_dVX, c.vx) << c.facingRight << " " << c.d;
        // Not riding: the remembered platform plays no part.
        a.m_bRiding = 0;
        a.m_bWallTurn = 1;
        GroundTurnStep(a, m.ci);
        EXPECT_DOUBLE_EQ(m.ci.m_dVX, c.facingRight ? -kS : kS);
    }
}

// --- Circle ---

TEST_F(MoveTest, CircleQuarterTurnMovesByTheRadiusOnEachAxis) {
    struct Case {
        int flying, choice, facingRight;
        double dy;
    };
    const Case cases[] = {
        {1, 0, 0, -32},                // clockwise: up
        {1, 1, 0, 32},                 // counter-clockwise: down
        {1, 2, 1, 32},                 // by facing: right-facing runs the second way
        {1, 3, 1, -32}, {0, 0, 0, 0},  // walkers only move along x
    };
    for (const Case& c : cases) {
        cCharaActor a;
        Make(a, c.flying, c.facingRight);
        MoveCmd m(4, 0.5);  // half a degree per tick
        m.ci.m_nRadius = 2 * 16 * 10;
        m.ci.m_nMoveChoice = static_cast<std::int8_t>(c.choice);
        double x = 0;
        double y = 0;
        for (int t = 0; t < 180; ++t) {
            a.m_dVX = a.m_dVY = 0;
            CmdCircleMove(a, m.ci);
            x += a.m_dVX;
            y += a.m_dVY;
        }
        EXPECT_NEAR(x, -32, 0.3) << c.choice;
        EXPECT_NEAR(y, c.dy, 0.3) << c.choice;
    }
}

TEST_F(MoveTest, CircleWithoutRadiusDoesNothing) {
    cCharaActor a;
    Make(a, 1, 0);
    a.m_bFixedScreenX = 1;
    MoveCmd m(4);
    m.ci.m_nRadius = 0;
    CmdCircleMove(a, m.ci);
    EXPECT_EQ(a.m_dVX, 0);
    EXPECT_EQ(a.m_dVY, 0);
    EXPECT_EQ(a.m_bFixedScreenX, 1);
    EXPECT_EQ(m.ci.m_bFirstTickDone, 0);
}

// --- Charge ---

TEST_F(MoveTest, ChargeAimsOnceAndGoesOnStraight) {
    cCharaActor target;
    Make(target, 1, 0, 640 + 30, 616 + 40);
    cCharaActor a;
    Make(a, 1, 0);
    Target(a, target);
    MoveCmd m(5);
    CmdChargeMove(a, m.ci);
    EXPECT_DOUBLE_EQ(a.m_dVX, 0.3);
    EXPECT_DOUBLE_EQ(a.m_dVY, 0.4);
    EXPECT_EQ(a.m_bFacingRight, 1);
    // The target moves away; the charge keeps its course.
    Put(target, 100, 100);
    a.m_dVX = a.m_dVY = 0;
    CmdChargeMove(a, m.ci);
    EXPECT_DOUBLE_EQ(a.m_dVX, 0.3);
    EXPECT_DOUBLE_EQ(a.m_dVY, 0.4);
}

TEST_F(MoveTest, ChargeOfAWalkerRunsAlongXTowardTheTargetAndItsOffset) {
    cCharaActor target;
    Make(target, 0, 0, 600, 616);
    cCharaActor a;
    Make(a, 0, 1);
    Target(a, target);
    MoveCmd m(5);
    m.move().nTargetXBl = 3;  // 96 past the target: right of the actor
    m.move().bMirrorX = 0;
    CmdChargeMove(a, m.ci);
    EXPECT_DOUBLE_EQ(a.m_dVX, kS);
    EXPECT_EQ(a.m_dVY, 0);
}

TEST_F(MoveTest, ChargeTurnsItsAimByTheAngle) {
    struct Case {
        int compat728;
        int angle;
        double vx, vy;
    };
    const double r10 = 10 * kPi / 180;
    const Case cases[] = {
        {0, 90, 0, kS},
        {1, 90, 0, kS},
        {0, 10, std::cos(r10) * kS, std::sin(r10) * kS},
        {1, 10, -std::cos(r10) * kS, std::sin(r10) * kS},
    };
    for (const Case& c : cases) {
        EdSystem.bCompat728 = c.compat728;
        cCharaActor target;
        Make(target, 1, 0, 800, 616);
        cCharaActor a;
        Make(a, 1, 0);
        Target(a, target);
        MoveCmd m(5);
        m.move().nAngle = static_cast<std::int16_t>(c.angle);
        CmdChargeMove(a, m.ci);
        EXPECT_NEAR(a.m_dVX, c.vx, 1e-12) << c.compat728 << " " << c.angle;
        EXPECT_NEAR(a.m_dVY, c.vy, 1e-12) << c.compat728 << " " << c.angle;
    }
}

TEST_F(MoveTest, ChargeWithoutALivingTargetStaysAtRest) {
    for (int dying : {-1, 1}) {
        cCharaActor target;
        Make(target, 1, 0, 800, 616);
        target.m_bDying = dying == 1 ? 1 : 0;
        cCharaActor a;
        Make(a, 1, 0);
        if (dying == 1) Target(a, target);
        MoveCmd m(5);
        // Left over from an earlier run of the command.
        m.ci.m_dVX = 3;
        m.ci.m_nFacing = 2;
        CmdChargeMove(a, m.ci);
        EXPECT_EQ(a.m_dVX, 0);
        EXPECT_EQ(a.m_bMovedByCommand, 0);
        CmdChargeMove(a, m.ci);
        EXPECT_EQ(a.m_dVX, 0);
        EXPECT_EQ(a.m_bFacingRight, 0);
    }
}

// --- Homing ---

TEST_F(MoveTest, HomingWithoutDelayAimsEveryTick) {
    cCharaActor target;
    Make(target, 1, 0, 640 + 30, 616 + 40);
    cCharaActor a;
    Make(a, 1, 0);
    Target(a, target);
    MoveCmd m(6);
    CmdHomingMove(a, m.ci);
    EXPECT_DOUBLE_EQ(m.ci.m_dVX, 0.3);
    EXPECT_DOUBLE_EQ(m.ci.m_dVY, 0.4);
    Put(target, 640 - 40, 616 - 30);
    CmdHomingMove(a, m.ci);
    EXPECT_DOUBLE_EQ(m.ci.m_dVX, -0.4);
    EXPECT_DOUBLE_EQ(m.ci.m_dVY, -0.3);
    EXPECT_EQ(m.ci.m_nTickCounter, 2);
}

TEST_F(MoveTest, HomingWithDelayFollowsWhereTheTargetWasThen) {
    cCharaActor target;
    Make(target, 1, 0, 640 + 30, 616 + 40);
    cCharaActor a;
    Make(a, 1, 0);
    Target(a, target);
    MoveCmd m(6);
    m.ci.m_nRadius = 3;
    CmdHomingMove(a, m.ci);  // tick 0: aims at the target now
    Put(target, 640 - 40, 616 - 30);
    for (int t = 1; t <= 3; ++t) {
        CmdHomingMove(a, m.ci);
        // Ticks 1 and 2 keep the course; tick 3 steers to where the target was at tick 0.
        EXPECT_DOUBLE_EQ(m.ci.m_dVX, 0.3) << t;
        EXPECT_DOUBLE_EQ(m.ci.m_dVY, 0.4) << t;
    }
    for (int t = 4; t <= 6; ++t) CmdHomingMove(a, m.ci);
    // Tick 6 steers to where it was at tick 3.
    EXPECT_DOUBLE_EQ(m.ci.m_dVX, -0.4);
    EXPECT_DOUBLE_EQ(m.ci.m_dVY, -0.3);
    EXPECT_EQ(a.m_bFacingRight, 0);
}

TEST_F(MoveTest, HomingOfAWalkerFollowsAlongXOnly) {
    cCharaActor target;
    Make(target, 0, 0, 500, 300);
    cCharaActor a;
    Make(a, 0, 1);
    Target(a, target);
    MoveCmd m(6);
    CmdHomingMove(a, m.ci);
    EXPECT_DOUBLE_EQ(a.m_dVX, -kS);
    EXPECT_EQ(a.m_dVY, 0);
    EXPECT_EQ(a.m_bFacingRight, 0);
}

TEST_F(MoveTest, HomingWithoutALivingTargetDoesNothing) {
    for (int dying : {0, 1}) {
        cCharaActor target;
        Make(target, 1, 0, 800, 616);
        target.m_bDying = 1;
        cCharaActor a;
        Make(a, 1, 0);
        a.m_bFixedScreenX = 1;
        if (dying) Target(a, target);
        MoveCmd m(6);
        CmdHomingMove(a, m.ci);
        EXPECT_EQ(a.m_dVX, 0);
        EXPECT_EQ(a.m_bMovedByCommand, 0);
        EXPECT_EQ(a.m_bFixedScreenX, 1);
        EXPECT_EQ(m.ci.m_nTickCounter, 0);
    }
}

// --- Avoid ---

TEST_F(MoveTest, AvoidBringsTheActorBackBeforeItLeavesTheView) {
    // The view at 320: a box at x shows its sprite from x − 328 on screen.
    struct Case {
        const char* name;
        double autoSpeed;
        int atLimit;
        int choice, facingRight, flying;
        double screenLeft, screenTop;
        double vx, vy;
    };
    const Case cases[] = {
        {"leaving on the right, moving left", 0, 0, 2, 0, 1, 609, 200, -kS, 0},
        {"just inside on the right", 0, 0, 2, 0, 1, 608, 200, 0, 0},
        {"leaving on the left, moving right", 0, 0, 3, 0, 1, -1, 200, kS, 0},
        {"leaving on the left, forward facing right", 0, 0, 0, 1, 1, -1, 200, kS, 0},
        {"leaving on the left, moving left", 0, 0, 2, 0, 1, -1, 200, 0, 0},
        {"leaving at the bottom, moving up", 0, 0, 6, 0, 1, 300, 449, 0, -kS},
        {"leaving at the top, moving down-right", 0, 0, 11, 0, 1, 300, -1, 0, kS},
        {"a walker moves along x only", 0, 0, 8, 0, 0, 609, 449, -kS, 0},
        {"scrolling: sooner and with the scroll", 0.25, 0, 2, 0, 1, 607, 200, 0.25 - kS, 0},
        {"scrolling, right side", 0.25, 0, 3, 0, 1, 2, 200, 0.25 + kS, 0},
        {"not scrolling, right side", 0, 0, 3, 0, 1, 2, 200, 0, 0},
        {"scroll at its limit counts as none", 0.25, 1, 2, 0, 1, 607, 200, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AxisX().m_dAutoSpeed = c.autoSpeed;
        AxisX().m_bAtLimit = c.atLimit;
        cCharaActor a;
        Make(a, c.flying, c.facingRight, c.screenLeft + 328, c.screenTop + 328);
        MoveCmd m(7);
        m.ci.m_nMoveChoice = static_cast<std::int8_t>(c.choice);
        CmdAvoidMove(a, m.ci);
        EXPECT_DOUBLE_EQ(a.m_dVX, c.vx);
        EXPECT_DOUBLE_EQ(a.m_dVY, c.vy);
        EXPECT_EQ(m.ci.m_nTickCounter, 1);
    }
}

// The rule is chosen once, by the horizontal auto-scroll, for both axes; under the scrolling
// rule each axis keeps up with its own speed and sends the actor back only while the view
// still has room to go that way (p the view's position, W its far limit: 960 across, 640
// down). A flyer facing left; its sprite's screen corner as given.
TEST_F(MoveTest, AvoidRuleFollowsTheHorizontalScrollAndTheRoomOfEachAxis) {
    constexpr double kW = 960;
    constexpr double kH = 640;
    struct Case {
        const char* name;
        double autoX;
        int limitX;
        double autoY;
        int limitY;
        double posX, posY;
        int choice;
        int screenLeft, screenTop;
        double vx, vy;
    };
    const Case cases[] = {
        // Which rule: the vertical scroll alone does not choose the scrolling one.
        {"still: up at 449", 0, 0, 0, 0, 320, 320, 6, 300, 449, 0, -kS},
        {"still: up at 448 stays", 0, 0, 0, 0, 320, 320, 6, 300, 448, 0, 0},
        {"vertical scroll only counts as still", 0, 0, 0.25, 0, 320, 320, 6, 300, 448, 0, 0},
        {"vertical scroll only, up at 449", 0, 0, 0.25, 0, 320, 320, 6, 300, 449, 0, -kS},
        {"vertical scroll only, down", 0, 0, -0.25, 0, 320, 320, 7, 300, 1, 0, 0},
        {"horizontal scroll: up keeps up with the vertical one", 0.25, 0, 0.25, 0, 320, 320, 6, 300,
         448, 0, 0.25 - kS},
        {"horizontal scroll, vertical still: a dot sooner", 0.25, 0, 0, 0, 320, 320, 6, 300, 448, 0,
         -kS},
        {"horizontal scroll: down with the vertical one", 0.25, 0, -0.25, 0, 320, 320, 7, 300, 1, 0,
         -0.25 + kS},
        {"horizontal scroll at its limit: still for both", 0.25, 1, 0.25, 0, 320, 320, 6, 300, 448,
         0, 0},
        {"vertical view at its limit: nothing to keep up with", 0.25, 0, 0.25, 1, 320, 320, 6, 300,
         448, 0, -kS},
        {"vertical view at its limit, down", 0.25, 0, -1, 1, 320, 320, 7, 300, 0, 0, kS},
        {"up-left moves back on both axes", 0.25, 0, 0.25, 0, 320, 320, 8, 607, 448, 0.25 - kS,
         0.25 - kS},
        // The room of the vertical axis.
        {"up: view at 0", 0.25, 0, 0, 0, 320, 0, 6, 300, 448, 0, 0},
        {"up: s + p at W", 0.25, 0, 0.25, 0, 320, kH - 0.25, 6, 300, 448, 0, 0.25 - kS},
        {"up: s + p past W", 0.25, 0, 0.25, 0, 320, kH, 6, 300, 448, 0, 0},
        {"down: view at W", 0.25, 0, -0.25, 0, 320, kH, 7, 300, 1, 0, 0},
        {"down: view before W", 0.25, 0, -0.25, 0, 320, kH - 1, 7, 300, 1, 0, -0.25 + kS},
        {"down: s + p at 0", 0.25, 0, -0.25, 0, 320, 0.25, 7, 300, 1, 0, 0},
        {"down: s + p above 0", 0.25, 0, -0.25, 0, 320, 0.5, 7, 300, 1, 0, -0.25 + kS},
        // The room of the horizontal axis.
        {"left: view at 0", 0.25, 0, 0, 0, 0, 320, 2, 607, 200, 0, 0},
        {"left: s + p at W", 0.25, 0, 0, 0, kW - 0.25, 320, 2, 607, 200, 0.25 - kS, 0},
        {"left: s + p past W", 0.25, 0, 0, 0, kW, 320, 2, 607, 200, 0, 0},
        {"right: view at W", -0.25, 0, 0, 0, kW, 320, 3, 1, 200, 0, 0},
        {"right: view before W", -0.25, 0, 0, 0, kW - 1, 320, 3, 1, 200, -0.25 + kS, 0},
        {"right: s + p at 0", -0.25, 0, 0, 0, 0.25, 320, 3, 1, 200, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        AxisX().m_dAutoSpeed = c.autoX;
        AxisX().m_bAtLimit = c.limitX;
        AxisY().m_dAutoSpeed = c.autoY;
        AxisY().m_bAtLimit = c.limitY;
        AxisX().m_dPos = c.posX;
        AxisY().m_dPos = c.posY;
        cCharaActor a;
        Make(a, 1, 0, c.screenLeft + 8 + std::trunc(c.posX), c.screenTop + 8 + std::trunc(c.posY));
        ASSERT_EQ(a.m_rcScreen.left, c.screenLeft);
        ASSERT_EQ(a.m_rcScreen.top, c.screenTop);
        MoveCmd m(7);
        m.ci.m_nMoveChoice = static_cast<std::int8_t>(c.choice);
        CmdAvoidMove(a, m.ci);
        EXPECT_DOUBLE_EQ(a.m_dVX, c.vx);
        EXPECT_DOUBLE_EQ(a.m_dVY, c.vy);
    }
}

// --- Stop ---

TEST_F(MoveTest, StopMoveStopsEveryMotionAndGravity) {
    cCharaActor a;
    Make(a, 0, 0);
    a.m_dVX = a.m_dVY = 1;
    a.m_dMoveVX = a.m_dMoveVY = 2;
    a.m_dKnockVX = a.m_dKnockVY = -3;
    a.m_bFixedScreenX = a.m_bFixedScreenY = 1;
    MoveCmd m(8);
    CmdStopMove(a, m.ci);
    EXPECT_EQ(a.m_dVX, 0);
    EXPECT_EQ(a.m_dVY, 0);
    EXPECT_EQ(a.m_dMoveVX, 0);
    EXPECT_EQ(a.m_dMoveVY, 0);
    EXPECT_EQ(a.m_dKnockVX, 0);
    EXPECT_EQ(a.m_dKnockVY, 0);
    EXPECT_EQ(a.m_bFixedScreenX, 0);
    EXPECT_EQ(a.m_bFixedScreenY, 0);
    EXPECT_EQ(a.m_bGravityOff, 1);
    a.ApplyGravity();
    EXPECT_EQ(a.m_dVY, 0);
}

// --- Dispatch ---

TEST_F(MoveTest, DispatcherRunsTheHandlerOfTheCommandType) {
    struct Case {
        int type;
        double vx;  // the actor's velocity after one tick, from 1
        int facingRight;
    };
    const Case cases[] = {
        {0, 1, 0},  {1, 1, 0},  {2, 1 - kS, 0}, {3, 1 - kS, 0}, {7, 1, 0},  {8, 0, 0},  {9, 1, 1},
        {11, 1, 0}, {20, 1, 0}, {38, 1, 0},     {39, 1, 0},     {40, 1, 0}, {-1, 1, 0},
    };
    ASSERT_TRUE(BlockMap.Build(40, 25));
    for (const Case& c : cases) {
        cCharaActor a;
        Make(a, 0, 0);
        a.m_Chara.bFixedFacing = 1;
        a.m_dVX = 1;
        MoveCmd m(c.type);
        m.def.vecParam = {1};  // the turn: face right
        RunCommand(a, m.ci);
        EXPECT_DOUBLE_EQ(a.m_dVX, c.vx) << c.type;
        EXPECT_EQ(a.m_bFacingRight, c.facingRight) << c.type;
    }
    // A command instance without its command does nothing.
    cCharaActor a;
    Make(a, 0, 0);
    a.m_dVX = 1;
    cCommandInstance none;
    RunCommand(a, none);
    EXPECT_EQ(a.m_dVX, 1);
}

}  // namespace

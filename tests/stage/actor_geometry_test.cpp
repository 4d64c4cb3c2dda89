// Actor geometry: the clamps and their result codes, moves with the speed cap, jump
// physics over several heights and game speeds, the velocity routines with and without the
// auto-scroll, wave motion, target search, the area test and the unit conversions, each
// with the exact constants and order of operations of the data's units.
#include "stage/actor_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>

#include "data/stage_record.h"
#include "data/system_record.h"
#include "platform/trunc.h"
#include "stage/actor.h"
#include "stage/block_map.h"
#include "stage/engine_globals.h"
#include "stage/scroll_axis.h"

namespace {

// A stage of 40 × 25 blocks whose scroll limits lie 2 blocks inside its area, the view at
// (400, 400), level 10 (b = 10, g = 0.004) unless a test sets another.
class Geometry : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        EdStageWork.bActorMeet = 0;
        Level(10);
        SetAxis(m_x, 1600, 1920);
        SetAxis(m_y, 1120, 1440);
        SetGeometryAxes(&m_x, &m_y);
    }
    void TearDown() override { ResetEngineGlobals(); }
    static void Level(int level, double gravity = 0.4) {
        EdStageWork.dGravity = gravity;
        EdStageWork.SetGameSpeed(level);
    }
    static void SetAxis(ScrollAxis& a, int areaHigh, int extent) {
        a.m_dPos = 400;
        a.m_nMargin = 10;
        a.m_nAreaLow = 320;
        a.m_nAreaHigh = areaHigh;
        a.m_nLow = 384;
        a.m_nHigh = areaHigh - 64;
        a.m_nExtent = extent;
    }
    // A computer actor with a 16 × 32 box and a 32 × 48 sprite.
    static void Shape(cGameObject& o, int op = 1) {
        o.Init(1, op, 0, 5, nullptr, 0, 8, 16, 16, 32, 32, 48, 0, 0, 0);
    }

    ScrollAxis m_x;
    ScrollAxis m_y;
};

struct ClampCase {
    const char* name;
    int mode;
    double pos;
    double expected;
    int code;
};

// Horizontal: box 16 wide; scroll limits 384..1536, area 320..1600, map 0..1920.
TEST_F(Geometry, ClampXPlacesTheBoxAndReportsWhereItWas) {
    const ClampCase cases[] = {
        {"mode 2, just left of the map", 2, -0.5, 0, 3},
        {"mode 2, not a number", 2, std::nan(""), 0, 3},
        {"mode 2, past the map's far edge", 2, 1910, 1904, 3},
        {"mode 2, last dot on the map", 2, 1903.5, 1903.5, 2},
        {"mode 2, outside the stage area left", 2, 100, 100, 2},
        {"mode 2, outside the stage area right", 2, 1590, 1590, 2},
        {"mode 2, outside the scroll limits", 2, 350, 350, 1},
        {"mode 2, right edge on the high limit", 2, 1521, 1521, 1},
        {"mode 2, inside", 2, 1000.25, 1000.25, 0},
        {"mode 1, pulled into the area left", 1, 100, 320, 0},
        {"mode 1, pulled into the area right", 1, 1595, 1584, 0},
        {"mode 1, outside the scroll limits", 1, 350, 350, 1},
        {"mode 1, inside", 1, 900, 900, 0},
        {"mode 0, held at the low limit", 0, 100, 384, 0},
        {"mode 0, held at the high limit", 0, 1530, 1520, 0},
        {"other mode, untouched", 7, -50, -50, 0},
    };
    for (const ClampCase& c : cases) {
        SCOPED_TRACE(c.name);
        cCharaActor a;
        Shape(a);
        a.m_dX = c.pos;
        EXPECT_EQ(a.ClampX(c.mode), c.code);
        EXPECT_EQ(a.m_dX, c.expected);
        EXPECT_EQ(a.m_dRight, 16 + c.expected - 1);
        EXPECT_EQ(a.m_nCellLeft, plat::TruncToInt(c.expected) >> 5);
        EXPECT_EQ(a.m_nCellRight, plat::TruncToInt(16 + c.expected - 1) >> 5);
    }
}

// Vertical: box 32 high; scroll limits 384..1056, area 320..1120, map 0..1440.
TEST_F(Geometry, ClampYHasCodesForEachEdge) {
    const ClampCase cases[] = {
        {"mode 2, above the map", 2, -3, 0, 3},
        {"mode 2, not a number", 2, std::nan(""), 0, 3},
        {"mode 2, below the map", 2, 1430, 1408, 6},
        {"mode 2, above the stage area", 2, 300, 300, 2},
        {"mode 2, below the stage area", 2, 1100, 1100, 5},
        {"mode 2, above the scroll limits", 2, 380, 380, 1},
        {"mode 2, below the scroll limits", 2, 1030, 1030, 4},
        {"mode 2, inside", 2, 700, 700, 0},
        {"mode 1, pulled into the area", 1, 10, 320, 0},
        {"mode 1, pulled up into the area", 1, 1100, 1088, 0},
        {"mode 1, below the scroll limits", 1, 1030, 1030, 4},
        {"mode 1, above the scroll limits", 1, 380, 380, 1},
        {"mode 0, held at the high limit", 0, 1050, 1024, 0},
    };
    for (const ClampCase& c : cases) {
        SCOPED_TRACE(c.name);
        cCharaActor a;
        Shape(a);
        a.m_dY = c.pos;
        a.m_ShotBox.nBaseOffsetY = a.m_ShotBox.nOffsetY = 5;
        EXPECT_EQ(a.ClampY(c.mode), c.code);
        EXPECT_EQ(a.m_dY, c.expected);
        EXPECT_EQ(a.m_dBottom, 32 + c.expected - 1);
        EXPECT_EQ(a.m_nCellBottom, plat::TruncToInt(32 + c.expected - 1) >> 5);
        // The character's hit boxes follow every clamp.
        EXPECT_EQ(a.m_ShotBox.dTop, plat::TruncToInt(c.expected) + 5);
    }
}

TEST_F(Geometry, MovesAreCappedAndPassTheClampCodes) {
    const double vmax = EdStageWork.speed.dStepSpeedLimit;
    ASSERT_EQ(vmax, 6);
    struct Case {
        double pos;
        double v;
        double expectedPos;
        double expectedV;
        int codeX;
        int codeY;
    };
    const Case cases[] = {
        {1000, 50, 1006, 6, 0, 0},       {1000, -50, 994, -6, 0, 0},
        {0.3, -0.5, 0, -0.5, 3, 3},      {300, 0.25, 300.25, 0.25, 2, 2},
        {350, 0.25, 350.25, 0.25, 1, 1}, {1030, 0.5, 1030.5, 0.5, 0, 4},
        {1100, 0.5, 1100.5, 0.5, 0, 5},  {1409, 0.5, 1409.5, 0.5, 0, 6},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pos);
        cCharaActor a;
        Shape(a);
        a.m_dX = c.pos;
        a.m_dVX = c.v;
        EXPECT_EQ(a.MoveX(2), c.codeX);
        EXPECT_EQ(a.m_dVX, c.expectedV);
        if (c.codeX != 3) {
            EXPECT_EQ(a.m_dX, c.expectedPos);
        }
        cCharaActor b;
        Shape(b);
        b.m_dY = c.pos;
        b.m_dVY = c.v;
        EXPECT_EQ(b.MoveY(2), c.codeY);
        EXPECT_EQ(b.m_dVY, c.expectedV);
        if (c.codeY == 0 || c.codeY == 4) {
            EXPECT_EQ(b.m_dY, c.expectedPos);
        }
    }
}

TEST_F(Geometry, GravityAndDeceleration) {
    cCharaActor a;
    Shape(a);
    const double g = EdStageWork.speed.dStepGravity;
    struct Case {
        const char* name;
        void (*set)(cActorBase&);
        bool falls;
    };
    const Case cases[] = {
        {"walking", [](cActorBase&) {}, true},
        {"flying", [](cActorBase& x) { x.m_bFlying = 1; }, false},
        {"riding", [](cActorBase& x) { x.m_bRiding = 1; }, false},
        {"gravity off", [](cActorBase& x) { x.m_bGravityOff = 1; }, false},
        {"knocked upward", [](cActorBase& x) { x.m_dKnockVY = -0.1; }, false},
        {"knocked downward", [](cActorBase& x) { x.m_dKnockVY = 0.1; }, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cCharaActor b;
        Shape(b);
        c.set(b);
        b.m_dVY = 1;
        b.ApplyGravity();
        EXPECT_EQ(b.m_dVY, c.falls ? 1 + g : 1);
        // The play frame's form tests flying only.
        b.m_dVY = 1;
        b.ApplyGravityUnlessFlying();
        EXPECT_EQ(b.m_dVY, b.m_bFlying ? 1 : 1 + g);
    }

    a.m_dStopDecel = 0.25;
    const double in[] = {1, 0.1, -1, -0.25, 0};
    const double out[] = {0.75, 0, -0.75, 0, 0};
    for (int i = 0; i < 5; ++i) {
        double v = in[i];
        a.Decelerate(v, 1);
        EXPECT_EQ(v, out[i]);
        v = in[i];
        a.Decelerate(v, 0);
        EXPECT_EQ(v, in[i]);
    }
}

// The apex of a jump: gravity is added to the speed every tick and the box rises by the
// speed while it is upward.
double Apex(double v, double g) {
    double rise = 0;
    for (int tick = 0; tick < 1000000; ++tick) {
        v += g;
        if (v >= 0) break;
        rise -= v;
    }
    return rise;
}

TEST_F(Geometry, JumpSpeedReachesTheAskedHeight) {
    for (int level : {10, 1, 3, 15, 25}) {
        Level(level);
        const double g = EdStageWork.speed.dStepGravity;
        for (double h : {16.0, 48.0, 64.0, 160.0, 320.0}) {
            SCOPED_TRACE(testing::Message() << "level " << level << " height " << h);
            cCharaActor computer;
            Shape(computer, 1);
            cCharaActor player;
            Shape(player, 0);
            const double v = computer.JumpSpeedForHeight(h);
            // Within one tick's rise of the height.
            EXPECT_NEAR(Apex(v, g), h, -v);
            // The player's jump is damped once: 0.99 - 0.025 × 0.4 = 0.98 of the speed.
            const double vp = player.JumpSpeedForHeight(h);
            EXPECT_DOUBLE_EQ(vp, v * 0.98);
            const double apex = Apex(vp, g);
            EXPECT_GT(apex, 0.9 * h);
            EXPECT_LT(apex, h);
        }
    }
    Level(10);
    cCharaActor a;
    Shape(a);
    const double g = EdStageWork.speed.dStepGravity;
    EXPECT_EQ(a.JumpSpeedForHeight(0), -g);
    EXPECT_EQ(a.JumpSpeedForHbl(4), a.JumpSpeedForHeight(64));
    EXPECT_EQ(a.JumpSpeedForHbl(0xFF), a.JumpSpeedForHeight(-16));  // a signed byte
    // A depth the formula cannot reach gets the smallest jump, not NaN.
    EXPECT_EQ(a.JumpSpeedForHeight(-2048), -g / 2);
    cCharaActor p;
    Shape(p, 0);
    EXPECT_EQ(p.JumpSpeedForHeight(0), -g * 0.98);
}

TEST_F(Geometry, JumpTimeInTenthsOfASecond) {
    cCharaActor a;
    Shape(a);
    // v = (-0.004 - sqrt(0.004 × 512.004)) / 2 = -0.71754...; trunc(10 + 179.39) = 189;
    // 189 / 10 / 6 + 1 = 4.
    EXPECT_EQ(a.JumpTime(4), 4);
    EXPECT_EQ(a.JumpTime(0), 1);
    // No ticks and no gravity: nothing divides by zero.
    Level(0);
    EXPECT_EQ(a.JumpTime(4), 1);
    EXPECT_TRUE(std::isfinite(a.JumpSpeedForHeight(64)));
    Level(10, 0.0);
    EXPECT_EQ(a.JumpTime(4), 1);
}

TEST_F(Geometry, UnitsKeepTheirOrderOfOperations) {
    EXPECT_EQ(HblToDots(3), 48);
    EXPECT_EQ(HblToDots(0xFE), -32);
    // v / B / 60 and v / (60 × B) differ in the last bit for some values; the written order
    // is the one used.
    Level(13);  // b = 3
    const double B = 3;
    int differing = 0;
    for (int i = 1; i < 200; ++i) {
        const double v = i * 0.7;
        EXPECT_EQ(PerFrameSpeed(v), v / B / 60);
        if (v / B / 60 != v / (60 * B)) ++differing;
    }
    EXPECT_GT(differing, 0);
    EXPECT_EQ(SpeedFromHundredths(50), 50 * 0.01 / 9);
    EXPECT_EQ(SpeedFromHundredths(0xFFFF), -0.01 / 9);  // a signed 16-bit value
    // While b is not positive no tick runs and nothing is divided by it.
    Level(0);
    EXPECT_EQ(PerFrameSpeed(100), 0);
    EXPECT_EQ(SpeedFromHundredths(100), 0);
    double phase = 30;
    EXPECT_EQ(WaveStep(10, 5, phase, 1, 0), 0);
    EXPECT_EQ(WaveAcceleration(10, 5, phase, 1, 0), 0);
}

TEST_F(Geometry, DiagonalConstantsStayApart) {
    EXPECT_NE(kSqrt2Half, 1 / std::sqrt(2.0));
}

TEST_F(Geometry, WaveStepAndAcceleration) {
    const double B = 10;
    const double k = 6 * kPi / 180;
    double phase = 1795;
    // Wraps at 360 × B = 3600.
    const double r = WaveStep(20, 6, phase, 1900, 3);
    EXPECT_EQ(r, k * 20 * std::cos(k * (1795 / B + 3)) / B);
    EXPECT_EQ(phase, 1795 + 1900 - 3600);
    phase = 100;
    EXPECT_EQ(WaveStep(20, 6, phase, 5, 0), k * 20 * std::cos(k * (100 / B)) / B);
    EXPECT_EQ(phase, 105);
    // The acceleration uses the phase before the step.
    phase = 3599;
    const double acc = WaveAcceleration(20, 6, phase, 2, 1);
    EXPECT_EQ(acc, -20 * (k * k) * std::sin(k * (3599 / B + 1)) / (B * B));
    EXPECT_EQ(phase, 1);
    // k is W × π / 180 in that order, which for some rates is a bit away from
    // W × (π / 180).
    int differing = 0;
    for (int rate = 1; rate <= 90; ++rate) {
        double p = 0;
        const double written = rate * kPi / 180;
        EXPECT_EQ(WaveStep(1, rate, p, 0, 0), written / B);
        if (written != rate * (kPi / 180)) ++differing;
    }
    EXPECT_GT(differing, 0);
    // The acceleration is the change of the step's value over a tick, roughly.
    double p1 = 200;
    double p2 = 200;
    const double s0 = WaveStep(20, 6, p1, 1, 0);
    const double s1 = WaveStep(20, 6, p1, 1, 0);
    EXPECT_NEAR(s1 - s0, WaveAcceleration(20, 6, p2, 1, 0), 2e-5);
}

TEST_F(Geometry, StepTowardOneAxis) {
    double vx = 9, vy = 9;
    std::int32_t dir = 9;
    // Equal positions count as "left".
    EXPECT_EQ(StepTowardX(vx, vy, dir, nullptr, 100, 100, 1.5, 0, 1), 1);
    EXPECT_EQ(dir, 1);
    EXPECT_EQ(vx, -1.5);
    EXPECT_EQ(vy, 0);
    EXPECT_EQ(StepTowardX(vx, vy, dir, nullptr, 100, 110, 1.5, 0, 1), 0);
    EXPECT_EQ(dir, 2);
    EXPECT_EQ(vx, 1.5);
    EXPECT_EQ(StepTowardX(vx, vy, dir, nullptr, 100, 101, 1.5, 0, 0), 0);  // arrive not asked

    // A synchronised actor takes the horizontal scroll along only when moves carry it.
    cCharaActor a;
    Shape(a);
    a.m_bScrollSync = 1;
    m_x.m_dAutoSpeed = 0.25;
    struct Case {
        int scrollInMoves;
        int noScroll;
        int atLimit;
        int sync;
        double vx;
    };
    const Case cases[] = {
        {1, 0, 0, 1, 1.75}, {0, 0, 0, 1, 1.5}, {1, 1, 0, 1, 1.5},
        {1, 0, 1, 1, 1.5},  {1, 0, 0, 0, 1.5},
    };
    for (const Case& c : cases) {
        EdSystem.bCompat214 = c.scrollInMoves;
        m_x.m_bAtLimit = c.atLimit;
        a.m_bScrollSync = c.sync;
        StepTowardX(vx, vy, dir, &a, 0, 50, 1.5, c.noScroll, 0);
        EXPECT_EQ(vx, c.vx);
    }

    vx = vy = 9;
    m_y.m_dAutoSpeed = 0;
    EXPECT_EQ(StepTowardY(vx, vy, dir, &a, 50, 10, 2, 0, 1), 0);
    EXPECT_EQ(vy, -2);
    EXPECT_EQ(vx, 0);
    EXPECT_EQ(dir, 0);
}

TEST_F(Geometry, MoveTowardSnapsOnArrival) {
    cEdCommand command;
    cEdMove::Create(command.spMove);
    command.spMove->bSnap = 1;
    cCommandInstance cmd;
    cmd.m_pCmd = &command;
    cmd.m_dSpeed = 4;
    cCharaActor a;
    Shape(a);
    a.m_dX = 700;
    a.m_dY = 700;
    a.UpdateScreenRect();  // centre x 700 - 8 - 400 + 16 = 308
    EXPECT_EQ(MoveTowardX(cmd, a, 310, 1, 1), 1);
    EXPECT_EQ(a.m_dX, 702);
    EXPECT_EQ(cmd.m_dVX, 0);  // the snap stops the move
    a.UpdateScreenRect();
    EXPECT_EQ(MoveTowardX(cmd, a, 400, 1, 1), 0);
    EXPECT_EQ(cmd.m_dVX, 4);
    EXPECT_EQ(cmd.m_nFacing, 2);
    command.spMove->bSnap = 0;
    a.UpdateScreenRect();
    EXPECT_EQ(MoveTowardPoint(cmd, a, 309, 309, 0, 1, 1), 1);  // centre (310, 308)
    EXPECT_EQ(a.m_dX, 702);
    // The caller's axis mode reaches the aim: a negative speed in axis mode runs diagonally
    // away by the goal's side, without it along the distance.
    cmd.m_dSpeed = -2;
    a.UpdateScreenRect();
    EXPECT_EQ(MoveTowardPoint(cmd, a, 400, 400, 0, 0, 0), 0);
    EXPECT_EQ(cmd.m_dVX, -2 * kSqrt2Half);
    EXPECT_EQ(cmd.m_dVY, -2 * kSqrt2Half);
    EXPECT_EQ(MoveTowardPoint(cmd, a, 310, 400, 0, 1, 0), 0);
    EXPECT_EQ(cmd.m_dVX, 0);
    EXPECT_EQ(cmd.m_dVY, -2);
}

// The goal of a relative move is written only on the axes the move lets move.
TEST_F(Geometry, RelativeGoalByAxisFlags) {
    struct Case {
        int noMoveX;
        int noMoveY;
        int goalX;
        int goalY;
    };
    // Centre (308, 308); offsets (5, -7); -1 marks an untouched goal.
    const Case cases[] = {{0, 0, 313, 301}, {0, 1, 313, -1}, {1, 0, -1, 301}, {1, 1, 313, -1}};
    cEdCommand command;
    cEdMove::Create(command.spMove);
    cCommandInstance cmd;
    cmd.m_pCmd = &command;
    cmd.m_nOffsetX = 5;
    cmd.m_nOffsetY = -7;
    cCharaActor a;
    Shape(a);
    a.m_dX = a.m_dY = 700;
    a.UpdateScreenRect();
    for (const Case& c : cases) {
        command.spMove->bNoMoveX = static_cast<std::int8_t>(c.noMoveX);
        command.spMove->bNoMoveY = static_cast<std::int8_t>(c.noMoveY);
        int gx = -1, gy = -1;
        a.RelativeGoal(cmd, gx, gy);
        EXPECT_EQ(gx, c.goalX);
        EXPECT_EQ(gy, c.goalY);
    }
    // A command without a move record moves on both axes.
    cmd.m_pCmd = nullptr;
    int gx = -1, gy = -1;
    a.RelativeGoal(cmd, gx, gy);
    EXPECT_EQ(gx, 313);
    EXPECT_EQ(gy, 301);
}

struct AimCase {
    const char* name;
    double fromX, fromY, toX, toY, speed;
    int sync, invertSync, axisMode, scrollInMoves, arrive;
    double sx, sy;
    double vx, vy;
    int dir, result;
};

TEST_F(Geometry, AimVelocity) {
    const double s2 = 2 * kSqrt2 / 2;
    const AimCase cases[] = {
        {"goal on the centre", 50, 50, 50, 50, 3, 0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 1},
        {"3-4-5", 0, 0, 3, 4, 5, 0, 0, 1, 0, 0, 0, 0, 3, 4, 2, 0},
        {"3-4-5, not yet arrived", 0, 0, 3, 4, 4, 0, 0, 1, 0, 1, 0, 0, 2.4, 3.2, 2, 0},
        {"arrived", 0, 0, 1, -1, 5, 0, 0, 1, 0, 1, 0, 0, 5 * kSqrt2Half, -5 * kSqrt2Half, 2, 1},
        {"leftward", 10, 0, 0, 0, 2, 0, 0, 1, 0, 0, 0, 0, -2, 0, 1, 0},
        {"axis mode", 0, 0, 5, 9, -2, 0, 0, 0, 0, 0, 0, 0, -s2, -s2, 1, 0},
        {"axis mode, goal up-left", 5, 9, 0, 0, -2, 0, 0, 0, 0, 0, 0, 0, s2, s2, 2, 0},
        {"negative speed without axis mode", 0, 0, 3, 4, -5, 0, 0, 1, 0, 0, 0, 0, -3, -4, 1, 0},
        {"scroll in moves adds", 0, 0, 3, 4, 5, 1, 0, 1, 1, 0, 0.5, 0.25, 3.5, 4.25, 2, 0},
        {"unsynchronised subtracts", 0, 0, 3, 4, 5, 0, 0, 1, 0, 0, 0.5, 0.25, 2.5, 3.75, 2, 0},
        {"synchronised, inverted keeps", 0, 0, 3, 4, 5, 1, 1, 1, 0, 0, 0.5, 0.25, 3, 4, 2, 0},
        {"axis mode, synchronised subtracts", 0, 0, 5, 9, -2, 1, 0, 0, 0, 0, 0.5, 0, -s2 - 0.5, -s2,
         1, 0},
        {"axis mode, unsynchronised, inverted subtracts", 0, 0, 5, 9, -2, 0, 1, 0, 0, 0, 0.5, 0.25,
         -s2 - 0.5, -s2 - 0.25, 1, 0},
        {"axis mode, unsynchronised keeps", 0, 0, 5, 9, -2, 0, 0, 0, 0, 0, 0.5, 0.25, -s2, -s2, 1,
         0},
        {"unsynchronised, inverted subtracts", 0, 0, 3, 4, 5, 0, 1, 1, 0, 0, 0.5, 0.25, 2.5, 3.75,
         2, 0},
        // Scroll faster than the move: no real root, the plain velocity stays.
        {"discriminant below 0", 0, 0, 100, 0, 1, 1, 0, 1, 0, 0, 0, 5, 1, 0, 2, 0},
        // A synchronised actor at rest on the goal: a zero divisor ends the routine.
        {"zero divisor", 7, 7, 7, 7, 1, 1, 0, 1, 0, 1, 0.5, 0, 0, 0, 9, 0},
    };
    cCharaActor a;
    Shape(a);
    for (const AimCase& c : cases) {
        SCOPED_TRACE(c.name);
        a.m_bScrollSync = c.sync;
        EdSystem.bCompat214 = c.scrollInMoves;
        m_x.m_dAutoSpeed = c.sx;
        m_y.m_dAutoSpeed = c.sy;
        double vx = 9, vy = 9;
        std::int32_t dir = 9;
        EXPECT_EQ(AimVelocity(vx, vy, dir, &a, c.fromX, c.fromY, c.toX, c.toY, c.speed,
                              c.invertSync, c.axisMode, c.arrive),
                  c.result);
        EXPECT_DOUBLE_EQ(vx, c.vx);
        EXPECT_DOUBLE_EQ(vy, c.vy);
        EXPECT_EQ(dir, c.dir);
    }
}

// A synchronised actor under a scroll it can outrun keeps its speed: moving toward a goal
// below or right of it, the velocity it is given has the asked length, and its motion
// against the scroll points at the goal. A scroll at its limit does not count.
TEST_F(Geometry, AimVelocitySolvesForTheScroll) {
    cCharaActor a;
    Shape(a);
    a.m_bScrollSync = 1;
    m_y.m_dAutoSpeed = 0.5;
    double vx = 0, vy = 0;
    std::int32_t dir = 0;
    EXPECT_EQ(AimVelocity(vx, vy, dir, &a, 0, 0, 100, 0, 1, 0, 1, 0), 0);
    EXPECT_NEAR(vx, std::sqrt(0.75), 1e-12);
    EXPECT_NEAR(vy, 0.5, 1e-12);
    EXPECT_EQ(dir, 2);
    m_x.m_dAutoSpeed = 0.3;
    for (auto [dx, dy] : {std::pair{30.0, 70.0}, {80.0, -20.0}, {-80.0, 20.0}, {-10.0, -90.0}}) {
        SCOPED_TRACE(testing::Message() << dx << " " << dy);
        AimVelocity(vx, vy, dir, &a, 0, 0, dx, dy, 2, 0, 1, 0);
        // Toward the goal's side, the scroll taken off: parallel to (dx, dy).
        EXPECT_NEAR((vx - 0.3) * dy, (vy - 0.5) * dx, 1e-9);
        EXPECT_EQ(dir, vx > 0 ? 2 : (vx < 0 ? 1 : 0));
        const bool leadPositive = std::fabs(dy) >= std::fabs(dx) ? dy > 0 : dx > 0;
        if (leadPositive) {
            EXPECT_NEAR(vx * vx + vy * vy, 4, 1e-9);
        }
    }
    m_x.m_dAutoSpeed = 0;
    m_y.m_bAtLimit = 1;
    AimVelocity(vx, vy, dir, &a, 0, 0, 100, 0, 1, 0, 1, 0);
    EXPECT_EQ(vx, 1);
    EXPECT_EQ(vy, 0);
}

// Candidates of a target search, with their sprite centres set through the screen rect.
class Targets : public Geometry {
protected:
    cCharaActor& Add(int cx, int cy, int present, int onScreen) {
        cCharaActor& c = m_charas.Add();
        Shape(c);
        c.m_nSerial = static_cast<int>(m_charas.Size());
        c.m_rcScreen.left = cx - 16;
        c.m_rcScreen.top = cy - 24;
        c.m_bPresent = present;
        c.m_bOnScreen = onScreen;
        c.m_vecVar.resize(kCharaVarCount);
        m_list.push_back(&c);
        return c;
    }
    ObjectList<cCharaActor> m_charas;
    CheckedList<cActorBase*> m_list;
};

TEST_F(Targets, FindTargetByKind) {
    TargetFilter none;
    EXPECT_EQ(FindTarget(0, 0, m_list, 0, none), nullptr);
    EXPECT_EQ(FindCharaInList(m_list, none), nullptr);

    cCharaActor& offNear = Add(10, 0, 1, 0);
    cCharaActor& onTieA = Add(0, 50, 1, 1);
    cCharaActor& onTieB = Add(50, 0, 1, 1);
    Add(1, 1, 0, 1);                                        // not present
    EXPECT_EQ(FindTarget(0, 0, m_list, 0, none), &onTieA);  // the earlier of a tie
    EXPECT_EQ(FindTarget(0, 0, m_list, 1, none), &offNear);
    EXPECT_EQ(FindTarget(0, 0, m_list, 2, none), &onTieA);
    EXPECT_EQ(FindTarget(0, 0, m_list, 3, none), nullptr);
    EXPECT_EQ(FindTarget(0, 0, m_list, -1, none), nullptr);

    // Kind 0 falls back to off-screen characters only when no on-screen one passes.
    TargetFilter skipSelf;
    onTieA.m_Chara.nShotCollision = 2;
    onTieB.m_Chara.nShotCollision = 2;
    skipSelf.bSkipInvincible2 = 1;
    EXPECT_EQ(FindTarget(0, 0, m_list, 0, skipSelf), &offNear);
    EXPECT_EQ(FindTarget(0, 0, m_list, 2, skipSelf), nullptr);
    EXPECT_EQ(NearestTarget(0, 0, m_list), &offNear);
    EdStageWork.bActorMeet = 1;  // targets on screen only
    EXPECT_EQ(NearestTarget(0, 0, m_list), nullptr);
}

TEST_F(Targets, FilterRules) {
    cCharaActor& c = Add(0, 0, 1, 1);
    c.m_Chara.nCharaId = 7;
    c.m_vecVar[2] = 12;
    cCharaActor self;
    self.m_nSerial = c.m_nSerial;
    struct Case {
        const char* name;
        void (*set)(TargetFilter&, cCharaActor&);
        bool passes;
    };
    const Case cases[] = {
        {"no filter", [](TargetFilter&, cCharaActor&) {}, true},
        {"same ID", [](TargetFilter& f, cCharaActor&) { f.nCharaId = 7; }, true},
        {"other ID", [](TargetFilter& f, cCharaActor&) { f.nCharaId = 6; }, false},
        {"dying", [](TargetFilter&, cCharaActor& x) { x.m_bDying = 1; }, false},
        {"invincible 1",
         [](TargetFilter& f, cCharaActor& x) {
             f.bSkipInvincible1 = 1;
             x.m_Chara.nShotCollision = 1;
         },
         false},
        {"invincible 2 kept by the kind-1 filter",
         [](TargetFilter& f, cCharaActor& x) {
             f.bSkipInvincible1 = 1;
             x.m_Chara.nShotCollision = 2;
         },
         true},
        {"block character",
         [](TargetFilter& f, cCharaActor& x) {
             f.bSkipBlockChara = 1;
             x.m_Chara.b32Mode = 1;
         },
         false},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        cCharaActor probe;
        probe.m_Chara.nCharaId = 7;
        TargetFilter f;
        k.set(f, probe);
        EXPECT_EQ(PassesTargetFilter(probe, f), k.passes);
    }
    TargetFilter f;
    f.pSelf = &self;
    EXPECT_FALSE(PassesTargetFilter(c, f));

    struct VarCase {
        int op;
        int value;
        bool passes;
    };
    const VarCase vars[] = {
        {0, 12, true},  {0, 11, false}, {1, 11, true},  {2, 12, true},  {2, 13, false},
        {3, 12, true},  {3, 11, false}, {4, 11, true},  {4, 12, false}, {5, 13, true},
        {5, 12, false}, {6, 4, true},   {6, 5, false},  {6, 0, true},   {7, 5, true},
        {7, 4, false},  {7, 0, false},  {8, 12, false}, {6, -1, true},
    };
    for (const VarCase& v : vars) {
        SCOPED_TRACE(testing::Message() << v.op << " " << v.value);
        TargetFilter g;
        g.bTestVar = 1;
        g.nVarIndex = 2;
        g.nVarOp = v.op;
        g.nVarValue = v.value;
        EXPECT_EQ(PassesTargetFilter(c, g), v.passes);
    }
    EXPECT_EQ(FindCharaInList(m_list, TargetFilter{}), &c);
}

// Areas: the view is at (400, 400); the box is 16 × 32.
TEST_F(Geometry, IsOutOfAreaWithTheAreaLimits) {
    struct Case {
        const char* name;
        double x, y;
        int left, right, top, bottom;  // flags; margins are 1 block each side
        int out;
    };
    const Case cases[] = {
        {"on screen", 500, 500, 1, 1, 1, 1, 0},
        {"left, within the margin", 360, 500, 1, 0, 0, 0, 0},
        {"left, past the margin", 352, 500, 1, 0, 0, 0, 1},  // right 367 <= 368
        {"left, past but not flagged", 300, 500, 0, 1, 1, 1, 0},
        {"right, past the margin", 1072, 500, 0, 1, 0, 0, 1},
        {"right, within the margin", 1071, 500, 0, 1, 0, 0, 0},
        {"below, past the margin", 500, 912, 0, 0, 0, 1, 1},
        {"below, within", 500, 911, 0, 0, 0, 1, 0},
        {"above, past the margin", 500, 336, 0, 0, 1, 0, 1},  // bottom 367 <= 368
        {"above, on the margin", 500, 337, 0, 0, 1, 0, 1},
        {"above, within", 500, 338, 0, 0, 1, 0, 0},
        {"touching the map's left edge", 0, 500, 0, 0, 0, 0, 1},
        {"touching the map's far edge", 1904, 500, 0, 0, 0, 0, 1},
        {"touching the map's top", 500, 0, 0, 0, 0, 0, 1},
        {"touching the map's bottom", 200, 1408, 0, 0, 0, 0, 1},
        {"off screen, inside the map", 100, 100, 0, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cEdAreaLimit area;
        area.Set(c.left, c.right, c.top, c.bottom, 1, 1, 1, 1);
        cCharaActor a;
        Shape(a);
        a.m_dX = c.x;
        a.m_dY = c.y;
        a.m_dRight = c.x + 15;
        a.m_dBottom = c.y + 31;
        EXPECT_EQ(a.IsOutOfArea(area), c.out);
    }
    // A damaged margin does not overflow.
    cEdAreaLimit huge;
    huge.Set(1, 1, 1, 1, 2147483647, 2147483647, 2147483647, 2147483647);
    cCharaActor a;
    Shape(a);
    a.m_dX = a.m_dY = 100;
    a.m_dRight = a.m_dBottom = 131;
    EXPECT_EQ(a.IsOutOfArea(huge), 0);
}

TEST_F(Geometry, ViewAndStageTests) {
    cCharaActor a;
    Shape(a);
    a.m_dX = 1030.5;
    a.m_dY = 500;
    a.ClampX(2);
    a.ClampY(2);
    a.UpdateScreenRect();
    EXPECT_EQ(a.m_rcScreen.left, 622);  // trunc(1030.5 - 8 - 400)
    EXPECT_EQ(a.m_rcScreen.right, 653);
    EXPECT_EQ(a.m_rcScreen.top, 84);
    EXPECT_EQ(a.m_rcScreen.bottom, 131);
    EXPECT_EQ(a.IsOnScreen(), 1);  // 1040 > 1030.5
    a.m_dX = 1040;
    a.ClampX(2);
    EXPECT_EQ(a.IsOnScreen(), 0);
    EXPECT_EQ(a.IsInView(1, 0), 1);
    EXPECT_EQ(a.IsInView(0, 1), 0);
    EXPECT_EQ(a.IsInStage(0), 1);
    a.m_dX = 310;
    a.ClampX(1);
    EXPECT_EQ(a.m_dX, 320);
    EXPECT_EQ(a.IsInStage(0), 1);
    a.m_dX = 300;
    a.ClampX(2);
    EXPECT_EQ(a.IsInStage(0), 0);
    EXPECT_EQ(a.IsInStage(1), 1);
    EXPECT_EQ(a.RectOverlaps(315, 531, 400, 600), 1);  // corner to corner
    EXPECT_EQ(a.RectOverlaps(316, 500, 400, 600), 0);
    EXPECT_EQ(a.RectOverlaps(200, 532, 400, 600), 0);
}

TEST_F(Geometry, HitBoxFromSizeCentredOrStanding) {
    cCharaActor a;
    Shape(a);  // offsets 8, 16
    a.SetHitBoxFromSize(0, 10, 14);
    EXPECT_EQ(a.m_BodyBox.nOffsetX, 16 - 8 - 5);
    EXPECT_EQ(a.m_BodyBox.nOffsetY, 16 - 16 - 7);
    EXPECT_EQ(a.m_BodyBox.nBaseHeight, 14);
    a.SetHitBoxFromSize(1, 10, 14);
    EXPECT_EQ(a.m_BodyBox.nOffsetY, 32 - 16 - 14);
    a.m_dX = 600.9;
    a.m_dY = 700.5;
    a.ClampX(2);
    a.ClampY(2);
    EXPECT_EQ(a.m_BodyBox.dLeft, 603);
    EXPECT_EQ(a.m_BodyBox.dRight, 612);
    EXPECT_EQ(a.m_BodyBox.dTop, 702);
    EXPECT_EQ(a.m_BodyBox.dBottom, 715);
}

TEST_F(Geometry, BlocksUnderTheBox) {
    ASSERT_TRUE(BlockMap.Build(20, 10));
    // A solid block at stage (5, 3) = map cell (15, 13), exempting group 4.
    cBlock& cell = BlockMap.Cell(BlockMap.CellIndex(15, 13));
    cell.nHitType = 1;
    cell.nExemptSide = 4;
    cCharaActor a;
    Shape(a);
    a.m_dX = 15 * 32 - 16;  // right edge 15 * 32 - 1: just left of the block
    a.m_dY = 13 * 32;
    a.ClampX(2);
    a.ClampY(2);
    EXPECT_EQ(a.TouchesSolidBlock(), 0);
    a.m_dX += 1;
    a.ClampX(2);
    EXPECT_EQ(a.TouchesSolidBlock(), 1);
    a.m_nGroup = 4;
    EXPECT_EQ(a.TouchesSolidBlock(), 0);

    EXPECT_EQ(a.IsStanding(), 0);
    a.m_pStandBlock = &cell;
    EXPECT_EQ(a.IsStanding(), 0);  // exempt
    a.m_nGroup = 1;
    EXPECT_EQ(a.IsStanding(), 1);
    a.m_pStandBlock = nullptr;
    a.m_bRiding = 1;
    EXPECT_EQ(a.IsStanding(), 1);
}

TEST(RangeIntervals, CentreExtentsAndMargins) {
    int lo = 0, hi = 0;
    MakeRangeInterval(100, 31, 0, 0, 0, lo, hi);
    EXPECT_EQ(lo, 115);
    EXPECT_EQ(hi, 115);
    MakeRangeInterval(100, 31, 0, 0, 1, lo, hi);
    EXPECT_EQ(lo, 100);
    EXPECT_EQ(hi, 130);
    MakeRangeInterval(100, 31, 10, 0, 1, lo, hi);
    EXPECT_EQ(lo, 90);
    EXPECT_EQ(hi, 115);
    MakeRangeInterval(100, 31, 0, 20, 0, lo, hi);
    EXPECT_EQ(lo, 115);
    EXPECT_EQ(hi, 150);
    const std::int32_t saved = EdSystem.bCompat733;
    EdSystem.bCompat733 = 0;
    EXPECT_TRUE(InDistanceRange(195, 300, 100, 200, 5, 0));
    EXPECT_FALSE(InDistanceRange(196, 300, 100, 200, 5, 0));
    EXPECT_TRUE(InDistanceRange(196, 300, 100, 200, 5, 1));  // top end not shrunk
    EXPECT_FALSE(InDistanceRange(0, 104, 100, 200, 5, 1));   // the low end still is
    EdSystem.bCompat733 = 1;
    EXPECT_FALSE(InDistanceRange(196, 300, 100, 200, 5, 1));
    EdSystem.bCompat733 = saved;
}

}  // namespace

// Block characters against the hero and the ordinary characters, on small scenes built in
// code: landing from above (and the fast fall that passed the top in one step), ceilings
// with their tolerance, side pushes of walkers and flyers, flyers that are never dragged,
// riding and the carry, the ride triggers, the refused places, crushes and the nudge out of
// map blocks.
//
// The map is 40 × 30 cells of 32 dots with no block unless a test puts one; actors are 16 × 24
// dots. Each table runs at b = 1 and at b = 10, the thresholds scaled by b.
#include "stage/block_chara_collision.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <sstream>
#include <string>

#include "base/log.h"
#include "data/stage_record.h"
#include "flow/flow_instance.h"
#include "stage/actor.h"
#include "stage/actor_geometry.h"
#include "stage/block_collision.h"
#include "stage/block_map.h"
#include "stage/engine_globals.h"
#include "stage/hero_actor.h"
#include "stage/scroll_axis.h"
#include "stage/stage_objects.h"
#include "support/temp_dir.h"

namespace {

constexpr int kWalk = 0;
constexpr int kFlyThrough = 1;
constexpr int kFlyHit = 2;
constexpr int kFlyDie = 3;
constexpr int kPlayer = 0;
constexpr int kComputer = 1;
constexpr int kW = 16;
constexpr int kH = 24;
constexpr std::int32_t kActorSerial = 100;

class BlockCharaTest : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        EdStageWork.SetGameSpeed(GetParam());
        ASSERT_EQ(EdStageWork.speed.nSubSteps, GetParam());
        ASSERT_TRUE(BlockMap.Build(20, 10));
        SetAxis(m_axisX, 1280);
        SetAxis(m_axisY, 960);
        SetGeometryAxes(&m_axisX, &m_axisY);
        Player.Reset(1);
        m_log = m_dir.path + "/Error.txt";
        SetErrorLog(1, m_log);
    }
    void TearDown() override {
        SetErrorLog(0, "");
        ResetEngineGlobals();
    }
    static void SetAxis(ScrollAxis& a, int extent) {
        a.m_dPos = 0;
        a.m_nMargin = 10;
        a.m_nLow = a.m_nAreaLow = 0;
        a.m_nHigh = a.m_nAreaHigh = a.m_nExtent = extent;
    }
    static double B() { return EdStageWork.speed.dSubSteps; }

    static void Place(cGameObject& o, double x, double y) {
        o.m_dX = x;
        o.m_dY = y;
        o.m_dRight = x + o.m_nBoxW - 1;
        o.m_dBottom = y + o.m_nBoxH - 1;
        o.m_nCellLeft = static_cast<int>(o.m_dX) >> 5;
        o.m_nCellRight = static_cast<int>(o.m_dRight) >> 5;
        o.m_nCellTop = static_cast<int>(o.m_dY) >> 5;
        o.m_nCellBottom = static_cast<int>(o.m_dBottom) >> 5;
    }

    // The colliding actor, a computer's character unless the hero is asked for; it was at
    // (prevX, prevY) at the start of the tick.
    cActorBase& Actor(int op, int fly, double x, double y, double prevX, double prevY) {
        // A fresh actor every time: nothing of an earlier case rides along.
        if (op == kPlayer) Player.Reset(1);
        m_chara = std::make_unique<cCharaActor>();
        cActorBase& a = op == kPlayer ? static_cast<cActorBase&>(Player[0]) : *m_chara;
        a.Init(kActorSerial, op, 0, 1, nullptr, 0, 0, 0, kW, kH, kW, kH, 1, fly, 0);
        Place(a, prevX, prevY);
        a.SavePosition();
        Place(a, x, y);
        return a;
    }
    cActorBase& Walker(double x, double y) { return Actor(kComputer, kWalk, x, y, x, y); }

    // A block character with the box (l, t)–(r, b) that moved by (vx, vy) in this tick.
    static cCharaActor& Block(int serial, double l, double t, double r, double b, double vx = 0,
                              double vy = 0) {
        cCharaActor& c = CharaList.Add();
        c.Init(serial, kComputer, 1, 1, nullptr, 0, 0, 0, static_cast<int>(r - l + 1),
               static_cast<int>(b - t + 1), 32, 32, 0, kWalk, 0);
        c.m_Chara.b32Mode = 1;
        c.m_bPresent = 1;
        c.m_dX = l;
        c.m_dY = t;
        c.m_dRight = r;
        c.m_dBottom = b;
        c.m_rcSaved = DoubleRect{l - vx, t - vy, r - vx, b - vy};
        c.m_dVX = vx;
        c.m_dVY = vy;
        return c;
    }

    // An idle flow of each trigger kind, to see which of them a step starts.
    static void AddTriggerFlows(cActorBase& actor, std::initializer_list<int> kinds) {
        actor.m_Chara.vecFlow.resize(kinds.size());
        actor.m_vecFlow.resize(kinds.size());
        int i = 0;
        for (int kind : kinds) {
            actor.m_Chara.vecFlow[i].nTrigger = static_cast<std::int8_t>(kind);
            actor.m_vecFlow[i].m_vecCmd.resize(1);
            ++i;
        }
        actor.RelinkFlows();
    }
    static bool Started(cActorBase& actor, int kind) {
        for (int i = 0; i < static_cast<int>(actor.m_vecFlow.Size()); ++i)
            if (actor.m_Chara.vecFlow[i].nTrigger == kind)
                return actor.m_vecFlow[i].m_bRunning != 0;
        return false;
    }

    bool LogHas(const std::string& text) const {
        std::ifstream in(m_log, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str().find(text) != std::string::npos;
    }

    static void SolidCell(int col, int row) {
        BlockMap.Cell(BlockMap.CellIndex(col, row)).nHitType = kHitSolid;
    }

    TempDir m_dir;
    std::string m_log;
    ScrollAxis m_axisX;
    ScrollAxis m_axisY;
    std::unique_ptr<cCharaActor> m_chara;
};

INSTANTIATE_TEST_SUITE_P(Speeds, BlockCharaTest, ::testing::Values(1, 10));

// ---- Landing, ceilings and sides of a walker ----

TEST_P(BlockCharaTest, WalkerLandsFromAboveOnlyThroughTheFeetUnlessItFallsFast) {
    // A platform 0..63 × 200..215 that stands still; the actor falls at x = 20.
    struct Case {
        const char* name;
        double vyTimesB;
        double prevTop, top;
        bool landed, dHit;
        double expTop;
    };
    const Case cases[] = {
        // Passed the top in one step: only a fast fall still lands on it.
        {"fast, passed the top", 2.5, 150, 205, true, true, 176},
        {"at 2/b, passed the top: a ceiling", 2.0, 150, 205, false, false, 216},
        // The feet zone only: lands at any speed, without the fast-fall path.
        {"slow, feet zone", 1.0, 170, 180, true, false, 176},
        {"fast, feet zone", 2.5, 170, 180, true, false, 176},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CharaList.Clear();
        std::remove(m_log.c_str());
        cCharaActor& platform = Block(1, 0, 200, 63, 215);
        AddTriggerFlows(platform, {kTriggerRiddenByHero, kTriggerRiddenByChara});
        cActorBase& a = Actor(kComputer, kWalk, 20, c.top, 20, c.prevTop);
        a.m_dVY = c.vyTimesB / B();
        a.m_bJumping = 1;
        a.m_bAirborne = 1;
        EXPECT_EQ(CollideBlockCharas(a, CharaList), 0);
        EXPECT_EQ(a.m_dY, c.expTop);
        EXPECT_EQ(a.m_dBottom, c.expTop + kH - 1);
        EXPECT_EQ(a.m_bRiding, c.landed ? 1 : 0);
        EXPECT_EQ(LogHas("D Hit"), c.dHit);
        if (c.landed) {
            EXPECT_EQ(a.m_nRideSerial, 1);
            EXPECT_EQ(a.m_rcRide, (DoubleRect{0, 200, 63, 215}));
            EXPECT_EQ(a.m_dVY, 0);
            EXPECT_EQ(a.m_bJumping, 0);
            EXPECT_EQ(a.m_bAirborne, 0);
            // A computer's rider raises only the ride trigger of every rider.
            EXPECT_FALSE(Started(platform, kTriggerRiddenByHero));
            EXPECT_TRUE(Started(platform, kTriggerRiddenByChara));
        } else {
            EXPECT_EQ(a.m_bHitCeiling, 1);
            EXPECT_EQ(a.m_dVY, 0);  // the platform's vertical speed
        }
    }
}

TEST_P(BlockCharaTest, CeilingNeedsTheHorizontalOverlapToExceedTheVerticalByTheTolerance) {
    // The upper half 20..35 × 100..112 meets a block 30..200 whose bottom gives a vertical
    // overlap v against the horizontal overlap of 6.
    struct Case {
        const char* name;
        double margin;  // v = 6 − 0.4 / b + margin
        bool ceiling;
    };
    const Case cases[] = {{"just inside the tolerance", -0.05, true},
                          {"just outside: a side", 0.05, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CharaList.Clear();
        const double v = 6 - 0.4 / B() + c.margin;
        const double bottom = 100 + v - 1;
        Block(1, 30, 40, 200, bottom);
        cActorBase& a = Walker(20, 100);
        EXPECT_EQ(CollideBlockCharas(a, CharaList), 0);
        if (c.ceiling) {
            EXPECT_EQ(a.m_dY, bottom + 1);
            EXPECT_EQ(a.m_dX, 20);
            EXPECT_EQ(a.m_bHitCeiling, 1);
            // A block that does not move down leaves no contact above.
            EXPECT_EQ(a.m_bContactUp, 0);
        } else {
            EXPECT_EQ(a.m_dY, 100);
            EXPECT_EQ(a.m_dX, 30 - kW - 0.5);
            EXPECT_EQ(a.m_bContactRight, 1);
        }
    }
}

TEST_P(BlockCharaTest, SidePushLeavesAWalkerADotAndAHalfAwayAndAFlyerOnTheNextDot) {
    struct Case {
        const char* name;
        int fly;
        double l, t, r, b;  // the block
        double x;           // the actor's left, top 100
        double expX;
        bool left, right;
    };
    const Case cases[] = {
        {"walker, block on the left", kWalk, 0, 90, 29, 200, 25, 30.5, true, false},
        {"flyer, block on the left", kFlyHit, 0, 90, 29, 200, 25, 30, true, false},
        {"walker, block on the right", kWalk, 40, 90, 100, 200, 30, 40 - kW - 0.5, false, true},
        {"flyer, block on the right", kFlyHit, 40, 90, 100, 200, 30, 40 - kW, false, true},
        // Only the lower half meets it, more deeply down than across: still a side.
        {"walker, lower half on the right", kWalk, 40, 115, 100, 200, 30, 40 - kW - 0.5, false,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CharaList.Clear();
        Block(1, c.l, c.t, c.r, c.b);
        cActorBase& a = Actor(kComputer, c.fly, c.x, 100, c.x, 100);
        EXPECT_EQ(CollideBlockCharas(a, CharaList), 0);
        EXPECT_EQ(a.m_dX, c.expX);
        EXPECT_EQ(a.m_dRight, c.expX + kW - 1);
        EXPECT_EQ(a.m_dY, 100);
        EXPECT_EQ(a.m_bContactLeft, c.left ? 1 : 0);
        EXPECT_EQ(a.m_bContactRight, c.right ? 1 : 0);
        EXPECT_EQ(a.m_bLeftRide, 1);
        EXPECT_EQ(a.m_bRiding, 0);
    }
}

TEST_P(BlockCharaTest, WalkerStandsOnABlockMetOnlyByItsFeet) {
    Block(1, 0, 120, 100, 200);
    cActorBase& a = Walker(30, 100);
    EXPECT_EQ(CollideBlockCharas(a, CharaList), 0);
    EXPECT_EQ(a.m_dY, 120 - kH);
    EXPECT_EQ(a.m_bRiding, 1);
    EXPECT_EQ(a.m_nRideSerial, 1);
    // Standing still on it is no contact below: that comes only from a rising platform.
    EXPECT_EQ(a.m_bContactDown, 0);
}

// ---- Flyers ----

TEST_P(BlockCharaTest, BlockMovingAwayNeverDragsAFlyer) {
    // A block on the flyer's left; the flyer (vx given) is pushed right unless the block
    // moves away left while the flyer does not follow it.
    struct Case {
        const char* name;
        double blockVx, actorVx;
        bool pushed;
    };
    const Case cases[] = {
        {"block still", 0, 0, true},
        {"block moves toward it", 1, 0, true},
        {"block moves away", -1, 0, false},
        {"block moves away, flyer follows", -1, -1, true},
        {"block moves away, flyer moves off", -1, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CharaList.Clear();
        // Level with the flyer's sides, clear of its top and bottom rows.
        Block(1, 0, 101, 29, 122, c.blockVx, 0);
        cActorBase& a = Actor(kComputer, kFlyHit, 25, 100, 25, 100);
        a.m_dVX = c.actorVx;
        a.m_dMoveVX = 3;
        EXPECT_EQ(CollideBlockCharas(a, CharaList), 0);
        EXPECT_EQ(a.m_dX, c.pushed ? 30 : 25);
        EXPECT_EQ(a.m_bContactLeft, c.pushed ? 1 : 0);
        EXPECT_EQ(a.m_dMoveVX, 0);
        EXPECT_EQ(a.m_dY, 100);
    }
}

TEST_P(BlockCharaTest, FlyerOfBlockMode2DiesOnTouchAndAPassThroughFlyerIsIgnored) {
    struct Case {
        const char* name;
        int fly;
        int result;
        bool touched;
    };
    const Case cases[] = {
        {"dies on blocks", kFlyDie, 2, true},
        {"passes through", kFlyThrough, 0, false},
        {"hits blocks", kFlyHit, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CharaList.Clear();
        Block(1, 0, 90, 29, 200);
        cActorBase& a = Actor(kComputer, c.fly, 25, 100, 25, 100);
        AddTriggerFlows(a, {kTriggerBlockCharaHit});
        EXPECT_EQ(CollideBlockCharas(a, CharaList), c.result);
        EXPECT_EQ(Started(a, kTriggerBlockCharaHit), c.touched);
        EXPECT_EQ(a.m_bContactLeft, c.touched ? 1 : 0);
        if (!c.touched) EXPECT_EQ(a.m_dX, 25);
    }
}

// ---- Riding ----

TEST_P(BlockCharaTest, RideCarriesByThePlatformsMoveAndVerticallyOnlyWhenItFliesOrFalls) {
    struct Case {
        const char* name;
        int platformFly;
        int platformFalling;
        bool vertical;
    };
    const Case cases[] = {{"walking platform", kWalk, 0, false},
                          {"flying platform", kFlyHit, 0, true},
                          {"falling platform", kWalk, 1, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CharaList.Clear();
        const double dx = 1.5 / B();
        const double dy = 2.25 / B();
        cCharaActor& platform = Block(7, 100 + dx, 200 + dy, 163 + dx, 215 + dy, dx, dy);
        platform.SetFlyMode(c.platformFly);
        platform.m_bFalling = c.platformFalling;
        cActorBase& a = Walker(120, 176);
        a.m_bRiding = 1;
        a.m_nRideSerial = 7;
        a.m_rcRide = DoubleRect{100, 200, 163, 215};
        a.m_dVX = 0.5;
        a.m_dVY = 0;
        RideBlockChara(a, CharaList);
        EXPECT_NEAR(a.m_dVX, 0.5 + dx, 1e-9);
        EXPECT_NEAR(a.m_dVY, c.vertical ? dy : 0.0, 1e-9);
    }
    // A flyer is never carried, and a platform that is gone carries no one.
    CharaList.Clear();
    cActorBase& a = Walker(120, 176);
    a.m_bRiding = 1;
    a.m_nRideSerial = 7;
    RideBlockChara(a, CharaList);
    EXPECT_EQ(a.m_dVX, 0);
}

TEST_P(BlockCharaTest, RideTriggersFollowTheRider) {
    // 16 only for the player's rider, 17 for every rider; the rider's own 5 and 6 in every
    // tick it touches or rides.
    for (int op : {kPlayer, kComputer}) {
        SCOPED_TRACE(op);
        CharaList.Clear();
        cCharaActor& platform = Block(7, 100, 200, 163, 215, 1, 0);
        AddTriggerFlows(platform, {kTriggerRiddenByHero, kTriggerRiddenByChara});
        cActorBase& a = Actor(op, kWalk, 120, 176, 120, 176);
        AddTriggerFlows(a, {kTriggerBlockCharaHit, kTriggerBlockCharaRide});
        a.m_bRiding = 1;
        a.m_nRideSerial = 7;
        a.m_rcRide = DoubleRect{99, 200, 162, 215};
        RideBlockChara(a, CharaList);
        EXPECT_EQ(Started(platform, kTriggerRiddenByHero), op == kPlayer);
        EXPECT_TRUE(Started(platform, kTriggerRiddenByChara));
        // Standing on top, the boxes do not overlap: riding alone raises 5 and 6.
        EXPECT_EQ(CollideBlockCharas(a, CharaList), 0);
        EXPECT_TRUE(Started(a, kTriggerBlockCharaHit));
        EXPECT_TRUE(Started(a, kTriggerBlockCharaRide));
        EXPECT_EQ(a.m_bRiding, 1);
        EXPECT_EQ(a.m_rcRide, (DoubleRect{100, 200, 163, 215}));
    }
    // Neither touching nor riding: nothing.
    CharaList.Clear();
    Block(7, 300, 200, 363, 215);
    cActorBase& a = Walker(120, 176);
    AddTriggerFlows(a, {kTriggerBlockCharaHit, kTriggerBlockCharaRide});
    EXPECT_EQ(CollideBlockCharas(a, CharaList), 0);
    EXPECT_FALSE(Started(a, kTriggerBlockCharaHit));
    EXPECT_FALSE(Started(a, kTriggerBlockCharaRide));
}

TEST_P(BlockCharaTest, HeroLandingOnAPlatformRaisesBothRideTriggersAndLiftsTheJumpBan) {
    cCharaActor& platform = Block(7, 100, 200, 163, 215);
    AddTriggerFlows(platform, {kTriggerRiddenByHero, kTriggerRiddenByChara});
    cActorBase& a = Actor(kPlayer, kWalk, 120, 180, 120, 176);
    Player[0].m_bJumpForbidden = 1;
    a.m_dVY = 0.5 / B();
    EXPECT_EQ(CollideBlockCharas(a, CharaList), 0);
    EXPECT_EQ(a.m_bRiding, 1);
    EXPECT_EQ(a.m_dY, 176);
    EXPECT_TRUE(Started(platform, kTriggerRiddenByHero));
    EXPECT_TRUE(Started(platform, kTriggerRiddenByChara));
    EXPECT_EQ(Player[0].m_bJumpForbidden, 0);
}

TEST_P(BlockCharaTest, RideIsKeptPassedOnOrLeft) {
    struct Case {
        const char* name;
        bool ownUnder;    // the ridden platform still under the feet
        bool otherUnder;  // another one under the feet
        double knockVY;
        bool riding;
        std::int32_t serial;
    };
    const Case cases[] = {
        {"on its platform", true, false, 0, true, 7},
        {"passed to the platform under the feet", false, true, 0, true, 8},
        {"nothing under the feet", false, false, 0, false, 7},
        {"knocked upward", true, false, -2, false, 7},
        {"knocked downward", true, false, 2, true, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CharaList.Clear();
        // The actor's bottom is 199; a platform under it starts 3 dots lower.
        if (c.ownUnder) Block(7, 100, 202, 163, 217);
        if (!c.ownUnder) Block(7, 300, 202, 363, 217);
        if (c.otherUnder) Block(8, 110, 203, 173, 218);
        cActorBase& a = Walker(120, 176);
        a.m_bRiding = 1;
        a.m_nRideSerial = 7;
        a.m_dKnockVY = c.knockVY;
        a.m_nJumpCount = 3;
        a.m_dVY = 1;
        EXPECT_EQ(CollideBlockCharas(a, CharaList), 0);
        EXPECT_EQ(a.m_bRiding, c.riding ? 1 : 0);
        if (c.riding) {
            EXPECT_EQ(a.m_nRideSerial, c.serial);
            EXPECT_EQ(a.m_nJumpCount, 0);
            EXPECT_EQ(a.m_rcRide.left, c.serial == 7 ? 100 : 110);
        } else {
            EXPECT_EQ(a.m_bLeftRide, 1);
            // Off the ride, the vertical motion stops unless a knock-back carries it.
            EXPECT_EQ(a.m_dVY, c.knockVY == 0 ? 0.0 : 1.0);
        }
    }
}

// ---- Refused places ----

TEST_P(BlockCharaTest, DescendingPlatformIsNotBoardedWhereTheMapIsSolid) {
    struct Case {
        const char* name;
        double vy;
        bool solid;
        bool landed;
    };
    const Case cases[] = {
        {"descending, free", 1, false, true},
        {"descending, blocked", 1, true, false},
        {"still, blocked", 0, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CharaList.Clear();
        BlockMap.Build(20, 10);
        // The actor's cell rectangle is column 3, rows 5 and 6; its top-left corner cell.
        if (c.solid) SolidCell(3, 5);
        Block(1, 64, 200, 160, 215, 0, c.vy);
        cActorBase& a = Walker(100, 180);
        a.m_bRiding = 1;
        a.m_nRideSerial = 1;
        a.m_rcRide = DoubleRect{64, 200 - c.vy, 160, 215 - c.vy};
        EXPECT_EQ(CollideBlockCharas(a, CharaList), 0);
        EXPECT_EQ(a.m_dY, c.landed ? 176 : 180);
        EXPECT_EQ(a.m_bRiding, c.landed ? 1 : 0);
    }
}

TEST_P(BlockCharaTest, PushDownUnderARisingBlockIsRefusedWhenBlocked) {
    struct Case {
        const char* name;
        double vy;
        bool solid, otherBlock;
        bool pushed;
    };
    const Case cases[] = {
        {"rising, free", -1, false, false, true},
        {"rising, map blocked", -1, true, false, false},
        {"rising, another block character", -1, false, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CharaList.Clear();
        BlockMap.Build(20, 10);
        if (c.solid) SolidCell(3, 6);  // the bottom-left corner cell of the actor's rectangle
        // A block whose bottom (185) is in the actor's upper half, wider than it.
        Block(1, 60, 150, 160, 185, 0, c.vy);
        // Another block character at the actor's lower right, inside the candidate place.
        if (c.otherBlock) Block(2, 124, 190, 140, 200);
        cActorBase& a = Walker(110, 180);
        EXPECT_EQ(CollideBlockCharas(a, CharaList), 0);
        EXPECT_EQ(a.m_dY, c.pushed ? 186 : 180);
        EXPECT_EQ(a.m_bAirborne, c.pushed ? 1 : 0);
    }
}

// ---- Crushes and the nudge ----

TEST_P(BlockCharaTest, SqueezedFromTwoSidesIsACrush) {
    struct Case {
        const char* name;
        int fly;
        // Blocks (l, t, r, b, vy); a zero-width entry is none.
        double blocks[3][5];
        int result;
    };
    const Case cases[] = {
        {"flyer, left and right", kFlyHit, {{0, 90, 29, 200, 0}, {40, 90, 99, 200, 0}, {}}, 2},
        {"walker on a platform, left and right",
         kWalk,
         {{0, 90, 29, 110, 0}, {40, 90, 99, 110, 0}, {0, 123, 99, 140, 0}},
         2},
        // Squeezed from both sides with nothing to stand on: pushed down instead.
        {"walker, left and right, nothing below",
         kWalk,
         {{0, 90, 29, 110, 0}, {40, 90, 99, 110, 0}, {}},
         0},
        {"walker, up and down", kWalk, {{0, 60, 99, 101, 1}, {0, 122, 99, 140, -1}, {}}, 2},
        {"walker, down only", kWalk, {{0, 122, 99, 140, -1}, {}, {}}, 0},
        {"flyer in a block on all four corners", kFlyHit, {{0, 0, 200, 300, 0}, {}, {}}, 2},
        {"walker in two blocks on all four corners",
         kWalk,
         {{0, 0, 200, 110, 0}, {0, 111, 200, 300, 0}, {}},
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CharaList.Clear();
        int serial = 1;
        for (const auto& b : c.blocks)
            if (b[2] > b[0]) Block(serial++, b[0], b[1], b[2], b[3], 0, b[4]);
        cActorBase& a = Actor(kComputer, c.fly, 25, 100, 25, 100);
        EXPECT_EQ(CollideBlockCharas(a, CharaList), c.result);
    }
}

TEST_P(BlockCharaTest, NudgeOutOfMapBlocksIsAtMostFifteenTenths) {
    struct Case {
        const char* name;
        double depth;  // how far the pushed box reaches into the solid column
        double expShift;
    };
    const Case cases[] = {{"shallow", 0.25, 0.3}, {"deep", 4, 1.5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CharaList.Clear();
        BlockMap.Build(20, 10);
        // Column 2 (64..95) solid in rows 3 and 4; the block on the left pushes a flyer to
        // its right edge + 1, so that the box reaches `depth` dots into column 2.
        SolidCell(2, 3);
        SolidCell(2, 4);
        const double pushedLeft = 64 + c.depth - kW + 1;
        Block(1, 0, 90, pushedLeft - 1, 200);
        cActorBase& a = Actor(kComputer, kFlyHit, pushedLeft - 5, 100, pushedLeft - 5, 100);
        EXPECT_EQ(CollideBlockCharas(a, CharaList), 0);
        EXPECT_EQ(a.m_bContactLeft, 1);
        EXPECT_NEAR(a.m_dX, pushedLeft - c.expShift, 1e-9);
    }
}

// ---- Which block characters take part ----

TEST_P(BlockCharaTest, OnlyPresentLivingBlockCharactersOtherThanTheActorTakePart) {
    struct Case {
        const char* name;
        int blockFlag, dying, present;
        std::int32_t serial;
        bool active;
    };
    const Case cases[] = {
        {"active", 1, 0, 1, 1, true},
        {"not a block character", 0, 0, 1, 1, false},
        {"dying", 1, 1, 1, 1, false},
        {"not present", 1, 0, 0, 1, false},
        {"the actor's own serial", 1, 0, 1, kActorSerial, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CharaList.Clear();
        // Over the whole actor, and under its feet.
        cCharaActor& x = Block(c.serial, 0, 0, 200, 300);
        x.m_Chara.b32Mode = static_cast<std::int8_t>(c.blockFlag);
        x.m_bDying = c.dying;
        x.m_bPresent = c.present;
        cActorBase& a = Actor(kComputer, kFlyHit, 25, 100, 25, 100);
        EXPECT_EQ(CollideBlockCharas(a, CharaList), c.active ? 2 : 0);
        EXPECT_EQ(a.m_dX, c.active ? 0 : 25);
        EXPECT_EQ(FindBlockCharaUnderFeet(a, CharaList) != nullptr, c.active);
        EXPECT_EQ(OverlapsOtherBlockChara(a, CharaList, DoubleRect{25, 100, 40, 123}, 0), c.active);
        // The excluded serial is skipped as well.
        EXPECT_FALSE(OverlapsOtherBlockChara(a, CharaList, DoubleRect{25, 100, 40, 123}, c.serial));
        a.m_bRiding = 1;
        a.m_nRideSerial = c.serial;
        EXPECT_EQ(IsOnRiddenBlockChara(a, CharaList), c.active);
    }
}

TEST_P(BlockCharaTest, CornersCountWhenCoveredInTheActorsBoxOrInTheGivenOne) {
    // The left half 0..29 and the right half 60..99 of a 16-dot-wide actor at 20 (present)
    // or at 70 (given): each corner is covered in one of the two boxes only.
    Block(1, 0, 0, 29, 300);
    Block(2, 60, 0, 99, 300);
    cActorBase& a = Walker(20, 100);
    // Left corners in block 1 (present box), right corners in block 2 (given box at 70..85).
    EXPECT_TRUE(AreCornersInBlockCharas(a, CharaList, DoubleRect{60, 100, 75, 123}));
    // The given box covers its left corners only: the right ones stay uncovered.
    EXPECT_FALSE(AreCornersInBlockCharas(a, CharaList, DoubleRect{40, 100, 55, 123}));
    // The lower corners are taken one dot up: a block character that ends on the bottom row
    // does not cover them.
    CharaList.Clear();
    Block(1, 0, 0, 200, 122);
    EXPECT_TRUE(AreCornersInBlockCharas(a, CharaList, DoubleRect{20, 100, 35, 123}));
    CharaList.Clear();
    Block(1, 0, 0, 200, 121);
    EXPECT_FALSE(AreCornersInBlockCharas(a, CharaList, DoubleRect{20, 100, 35, 123}));
}

}  // namespace

// Block collision: which cell an edge of an actor's box meets, the push out of a solid block
// on each side with its contact flag, landing and the time in the air, ceilings, deadly
// blocks for the player's and the computer's actors, flyers, the order in which the sides are
// tested, the recheck after the block characters, and the hero held inside the view.
//
// The map is 40 × 30 cells of 32 dots; the tests put blocks straight into map cells, so a
// cell (c, r) covers dots c × 32 .. c × 32 + 31 across and r × 32 .. r × 32 + 31 down.
#include "stage/block_collision.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "data/stage_record.h"
#include "data/system_record.h"
#include "stage/actor.h"
#include "stage/actor_geometry.h"
#include "stage/block_map.h"
#include "stage/engine_globals.h"
#include "stage/hero_actor.h"
#include "stage/scroll_axis.h"

namespace {

bool conditionsHold = true;

bool FixedConditions(cBlock&) {
    return conditionsHold;
}

constexpr int kPlayer = 0;
constexpr int kComputer = 1;
// Flight kinds of the status flag: walking; flying through blocks; against them; dying on them.
constexpr int kWalk = 0;
constexpr int kFlyThrough = 1;
constexpr int kFlyHit = 2;
constexpr int kFlyDie = 3;

struct BlockAt {
    int col;
    int row;
    int type;
};

class BlockCollisionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        EdStageWork.SetGameSpeed(2);  // b = 2: the air limit is 16 ticks
        ASSERT_TRUE(BlockMap.Build(20, 10));
        SetAxis(m_axisX, 1280);
        SetAxis(m_axisY, 960);
        SetGeometryAxes(&m_axisX, &m_axisY);
        conditionsHold = true;
        SetBlockConditionEvaluator(&FixedConditions);
    }
    void TearDown() override { ResetEngineGlobals(); }
    // The whole map is the stage and the scroll range, so the clamps of the actors' own
    // moves never interfere.
    static void SetAxis(ScrollAxis& a, int extent) {
        a.m_dPos = 320;
        a.m_nMargin = 10;
        a.m_nLow = a.m_nAreaLow = 0;
        a.m_nHigh = a.m_nAreaHigh = a.m_nExtent = extent;
    }

    static std::int32_t Index(int col, int row) { return BlockMap.CellIndex(col, row); }
    static cBlock& Cell(int col, int row) { return BlockMap.Cell(Index(col, row)); }
    static cBlock& SetBlock(int col, int row, int type) {
        cBlock& cell = Cell(col, row);
        cell.nHitType = static_cast<std::int8_t>(type);
        return cell;
    }
    static void SetBlocks(const std::vector<BlockAt>& blocks) {
        for (const BlockAt& b : blocks) SetBlock(b.col, b.row, b.type);
    }

    // An actor whose box is w × h at scale 1, grown `giant` times; the sprite is the box.
    static void Shape(cActorBase& a, int op, int fly, int w, int h, int giant = 1) {
        a.Init(1, op, 0, 0, nullptr, 0, 0, 0, w, h, w, h, 1, fly, 0);
        a.m_Chara.nGiant = static_cast<std::int8_t>(giant);
        a.m_nBoxW = w * giant;
        a.m_nBoxH = h * giant;
    }
    static void PutAt(cActorBase& a, double x, double y) {
        a.m_dX = x;
        a.m_dY = y;
        a.m_dRight = x + a.m_nBoxW - 1;
        a.m_dBottom = y + a.m_nBoxH - 1;
    }

    ScrollAxis m_axisX;
    ScrollAxis m_axisY;
};

using SideFn = int (*)(cActorBase&);

// ---- Push out of a block ----

TEST_F(BlockCollisionTest, EachSidePushesTheBoxOutToTheBlockBoundary) {
    enum Axis { kX, kY };
    struct Case {
        const char* name;
        SideFn side;
        Axis axis;
        double x, y;
        int col, row;
        double expX, expY;
        std::int32_t cLeft, cRight, cUp, cDown, wallSide;
    };
    // Box 16 × 24. Every push moves by whole dots, so the part below one dot stays.
    const Case cases[] = {
        {"left inside a block", CollideBlockLeft, kX, 100.25, 100, 3, 3, 128.25, 100, 1, 0, 0, 0,
         0},
        {"left on a boundary moves a whole block", CollideBlockLeft, kX, 96.5, 100, 3, 3, 128.5,
         100, 1, 0, 0, 0, 0},
        {"right inside a block", CollideBlockRight, kX, 100.5, 100, 3, 3, 80.5, 100, 0, 1, 0, 0, 1},
        {"right one dot into a block moves one dot", CollideBlockRight, kX, 81.75, 100, 3, 3, 80.75,
         100, 0, 1, 0, 0, 1},
        {"top inside a block", CollideBlockUp, kY, 100, 70.75, 3, 2, 100, 96.75, 0, 0, 1, 0, -1},
        {"top on a boundary moves a whole block", CollideBlockUp, kY, 100, 64.5, 3, 2, 100, 96.5, 0,
         0, 1, 0, -1},
        {"bottom on the block's last row moves a whole block", CollideBlockDown, kY, 100, 72.5, 3,
         2, 100, 40.5, 0, 0, 0, 1, -1},
        {"bottom on the block's first row moves one dot", CollideBlockDown, kY, 100, 41.25, 3, 2,
         100, 40.25, 0, 0, 0, 1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetBlock(c.col, c.row, kHitSolid);
        cCharaActor a;
        Shape(a, kComputer, kWalk, 16, 24);
        PutAt(a, c.x, c.y);
        a.m_dVX = -3;
        a.m_dVY = 2;  // moving down: the top is pushed all the same
        a.m_dMoveVX = -1;
        a.m_dMoveVY = 1;

        EXPECT_EQ(c.side(a), kCollideOk);
        EXPECT_EQ(a.m_dX, c.expX);
        EXPECT_EQ(a.m_dY, c.expY);
        EXPECT_EQ(a.m_dRight, c.expX + 15);
        EXPECT_EQ(a.m_dBottom, c.expY + 23);
        EXPECT_EQ(a.m_bContactLeft, c.cLeft);
        EXPECT_EQ(a.m_bContactRight, c.cRight);
        EXPECT_EQ(a.m_bContactUp, c.cUp);
        EXPECT_EQ(a.m_bContactDown, c.cDown);
        EXPECT_EQ(a.m_nWallSide, c.wallSide);
        // A side stops the movement velocity of its axis; the horizontal speed stays.
        EXPECT_EQ(a.m_dVX, -3);
        EXPECT_EQ(a.m_dMoveVX, c.axis == kX ? 0 : -1);
        EXPECT_EQ(a.m_dVY, c.axis == kY ? 0 : 2);
        EXPECT_EQ(a.m_dMoveVY, c.axis == kY ? 0 : 1);
        SetBlock(c.col, c.row, kHitNone);
    }
}

TEST_F(BlockCollisionTest, WalkingIntoAWallAsksForAGroundTurn) {
    // A wall on the side the actor faces asks for the turn; one behind it (pushed back into
    // it, say) does not.
    struct Case {
        int (*side)(cActorBase&);
        double x;
        int col;
        std::int32_t facingRight;
        std::int32_t turn;
    };
    const Case cases[] = {
        {CollideBlockLeft, 100.25, 3, 0, 1},
        {CollideBlockLeft, 100.25, 3, 1, 0},
        {CollideBlockRight, 100.5, 3, 1, 1},
        {CollideBlockRight, 100.5, 3, 0, 0},
    };
    for (const Case& c : cases) {
        SetBlock(c.col, 3, kHitSolid);
        cCharaActor a;
        Shape(a, kComputer, kWalk, 16, 24);
        PutAt(a, c.x, 100);
        a.m_bFacingRight = c.facingRight;
        EXPECT_EQ(c.side(a), kCollideOk);
        EXPECT_EQ(a.m_bWallTurn, c.turn) << c.facingRight;
        SetBlock(c.col, 3, kHitNone);
    }
}

// ---- Edge samples ----

TEST_F(BlockCollisionTest, EdgeSamplesChooseTheMostSolidCell) {
    struct Case {
        const char* name;
        int giant;
        int w, h;  // at scale 1
        int x1, y1, x2, y2;
        std::vector<BlockAt> blocks;
        int expCol, expRow;  // -1: cell 0
    };
    const Case cases[] = {
        // Vertical edges in column 3.
        {"normal size: a block between the two ends is missed",
         1,
         16,
         80,
         100,
         96,
         100,
         175,
         {{3, 4, 1}},
         3,
         3},
        {"normal size: the bottom end is sampled", 1, 16, 80, 100, 96, 100, 175, {{3, 5, 1}}, 3, 5},
        {"giant 2: a third sample a scale-1 height less one further",
         2,
         16,
         40,
         100,
         96,
         100,
         175,
         {{3, 4, 1}},
         3,
         4},
        {"giant 2: the samples stop short of the bottom dot",
         2,
         16,
         40,
         100,
         113,
         100,
         192,
         {{3, 6, 1}},
         3,
         3},
        {"vertical, nothing: the top sample's cell", 1, 16, 80, 100, 96, 100, 175, {}, 3, 3},
        {"a deadly block wins over a solid one nearer the start",
         1,
         16,
         80,
         100,
         96,
         100,
         175,
         {{3, 3, 1}, {3, 5, 2}},
         3,
         5},
        {"vertical, equal types: the first sample",
         1,
         16,
         80,
         100,
         96,
         100,
         175,
         {{3, 3, 1}, {3, 5, 1}},
         3,
         3},
        {"a type beyond deadly still wins the choice",
         1,
         16,
         80,
         100,
         96,
         100,
         175,
         {{3, 3, 2}, {3, 5, 5}},
         3,
         5},
        // Horizontal edges in row 3.
        {"horizontal, nothing: the left-most sample's cell",
         1,
         40,
         16,
         120,
         100,
         159,
         100,
         {},
         3,
         3},
        {"horizontal, equal types: the sample nearer the middle of x1..x2",
         1,
         40,
         16,
         120,
         100,
         199,
         100,
         {{3, 3, 1}, {4, 3, 1}},
         4,
         3},
        {"giant 2: the middle sample wins among equals",
         2,
         40,
         16,
         96,
         100,
         175,
         100,
         {{3, 3, 1}, {4, 3, 1}},
         4,
         3},
        {"giant 2: equal distances go to the first sample",
         2,
         40,
         16,
         96,
         100,
         175,
         100,
         {{3, 3, 1}, {5, 3, 1}},
         3,
         3},
        {"horizontal: a deadly block wins whatever the distance",
         2,
         40,
         16,
         96,
         100,
         175,
         100,
         {{4, 3, 1}, {5, 3, 2}},
         5,
         3},
        {"neither vertical nor horizontal: cell 0",
         1,
         16,
         16,
         100,
         100,
         101,
         101,
         {{3, 3, 1}},
         -1,
         -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(BlockMap.Build(20, 10));
        SetBlocks(c.blocks);
        cCharaActor a;
        Shape(a, kComputer, kWalk, c.w, c.h, c.giant);
        const std::int32_t expected = c.expCol < 0 ? 0 : Index(c.expCol, c.expRow);
        EXPECT_EQ(FindEdgeBlock(a, c.x1, c.y1, c.x2, c.y2), expected);
    }
}

TEST_F(BlockCollisionTest, FootSamplesAreOddAndPreferTheCentre) {
    struct Case {
        const char* name;
        int giant;
        int w;  // at scale 1
        double x;
        std::vector<BlockAt> blocks;  // row 3
        int expCol;
    };
    const Case cases[] = {
        // Width 64 at 100: samples 100, 132, 163 (columns 3, 4, 5), centre 131.
        {"three samples: the middle wins among equals",
         1,
         64,
         100,
         {{3, 3, 1}, {4, 3, 1}, {5, 3, 1}},
         4},
        {"the ends only: the left one, nearer the centre", 1, 64, 100, {{3, 3, 1}, {5, 3, 1}}, 3},
        {"a deadly block wins whatever the distance", 1, 64, 100, {{4, 3, 1}, {5, 3, 2}}, 5},
        {"nothing under the feet: the middle sample's cell", 1, 64, 100, {}, 4},
        // Width 64 at 96: left + 2 steps is 160 (column 5) but the right edge is 159.
        {"the last sample is the right edge, not a step past it", 1, 64, 96, {{5, 3, 2}}, 4},
        // Giant 2, width 160 at 96: samples 96, 176, 255 (columns 3, 5, 7), centre 175.
        {"giant 2 takes three samples and passes over a column", 2, 80, 96, {{4, 3, 1}}, 5},
        // Giant 3, width 162 at 96: samples 96, 136, 176, 216, 257.
        {"giant 3 takes five samples", 3, 54, 96, {{4, 3, 1}}, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(BlockMap.Build(20, 10));
        SetBlocks(c.blocks);
        cCharaActor a;
        Shape(a, kPlayer, kWalk, c.w, 24, c.giant);
        PutAt(a, c.x, 123 - (a.m_nBoxH - 1));  // bottom 123: row 3
        EXPECT_EQ(FindFootBlock(a), Index(c.expCol, 3));
    }
}

// ---- Which blocks exist for whom ----

TEST_F(BlockCollisionTest, ExemptGroupPassesAndOthersLand) {
    struct Case {
        int group;
        bool lands;
    };
    const Case cases[] = {{3, false}, {2, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.group);
        cBlock& floor = SetBlock(3, 4, kHitSolid);
        floor.nExemptSide = 3;
        cCharaActor a;
        Shape(a, kComputer, kWalk, 16, 24);
        a.m_nGroup = c.group;
        PutAt(a, 100, 110);  // bottom 133: row 4
        EXPECT_EQ(CollideBlockDown(a), kCollideOk);
        EXPECT_EQ(a.m_bContactDown, c.lands ? 1 : 0);
        EXPECT_EQ(a.m_dY, c.lands ? 110 - 6 : 110);
        EXPECT_EQ(a.m_nJumpCount, c.lands ? 0 : 1);
    }
}

TEST_F(BlockCollisionTest, LatchedBlockStaysSolidAfterItsConditionsFail) {
    struct Case {
        const char* name;
        int latchOption;
        bool solidAfter;
    };
    const Case cases[] = {
        {"latch option on", 1, true},
        {"latch option off", 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(BlockMap.Build(20, 10));
        cBlock& wall = SetBlock(3, 3, kHitSolid);
        wall.vecCondition.push_back(cEdCondition{});
        wall.bCondLatch = static_cast<std::int8_t>(c.latchOption);
        cCharaActor a;
        Shape(a, kComputer, kWalk, 16, 24);

        conditionsHold = true;
        PutAt(a, 120.5, 100);
        EXPECT_EQ(CollideBlockLeft(a), kCollideOk);
        EXPECT_EQ(a.m_dX, 128.5);

        conditionsHold = false;
        PutAt(a, 120.5, 100);
        a.m_bContactLeft = 0;
        EXPECT_EQ(CollideBlockLeft(a), kCollideOk);
        EXPECT_EQ(a.m_dX, c.solidAfter ? 128.5 : 120.5);
        EXPECT_EQ(a.m_bContactLeft, c.solidAfter ? 1 : 0);
    }
}

// ---- Landing and the air ----

TEST_F(BlockCollisionTest, LandingResetsTheJumpStateAndPicksTheStandBlock) {
    // Width 64 at 100 over columns 3..5: the bottom edge looks at columns 3 and 5 (the left
    // is nearer its middle), the feet at 3, 4 and 5 (the middle wins).
    struct Case {
        const char* name;
        int op;
        std::int32_t hitCeilingAfter;
        int standCol;
    };
    const Case cases[] = {
        {"computer: edge cell, ceiling flag cleared", kComputer, 0, 3},
        {"player: foot cell, ceiling flag kept", kPlayer, 1, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetBlocks({{3, 4, 1}, {4, 4, 1}, {5, 4, 1}});
        cCharaActor a;
        Shape(a, c.op, kWalk, 64, 24);
        PutAt(a, 100, 110.5);  // bottom 133.5: row 4, 6 dots in
        a.m_dVY = 3;
        a.m_dMoveVY = 1;
        a.m_nJumpCount = 5;
        a.m_bFalling = a.m_bJumping = a.m_bAirborne = a.m_bKnocked = a.m_bHitCeiling = 1;

        EXPECT_EQ(CollideBlockDown(a), kCollideOk);
        EXPECT_EQ(a.m_dY, 104.5);
        EXPECT_EQ(a.m_dBottom, 127.5);
        EXPECT_EQ(a.m_dVY, 0);
        EXPECT_EQ(a.m_dMoveVY, 0);
        EXPECT_EQ(a.m_bContactDown, 1);
        EXPECT_EQ(a.m_nJumpCount, 0);
        EXPECT_EQ(a.m_bFalling, 0);
        EXPECT_EQ(a.m_bJumping, 0);
        EXPECT_EQ(a.m_bAirborne, 0);
        EXPECT_EQ(a.m_bKnocked, 0);
        EXPECT_EQ(a.m_bHitCeiling, c.hitCeilingAfter);
        EXPECT_EQ(a.m_pStandBlock, &Cell(c.standCol, 4));
        EXPECT_EQ(a.m_pLastBlock, &Cell(c.standCol, 4));
    }
}

TEST_F(BlockCollisionTest, AirLimitSetsFallingOnTheTickItIsReached) {
    const int limit = EdStageWork.speed.nSubSteps8;
    ASSERT_EQ(limit, 16);
    struct Case {
        const char* name;
        int op;
        std::int32_t riding;
        std::int32_t falling;
    };
    const Case cases[] = {
        {"computer", kComputer, 0, 1},
        {"computer riding", kComputer, 1, 1},
        {"player", kPlayer, 0, 1},
        {"player carried by a block character", kPlayer, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cCharaActor a;
        Shape(a, c.op, kWalk, 16, 24);
        PutAt(a, 100, 100);
        a.m_bRiding = c.riding;
        a.m_pStandBlock = &Cell(0, 0);
        for (int tick = 1; tick < limit; ++tick) ASSERT_EQ(CollideBlockDown(a), kCollideOk);
        EXPECT_EQ(a.m_nJumpCount, limit - 1);
        EXPECT_EQ(a.m_bFalling, 0);
        EXPECT_EQ(a.m_pStandBlock, nullptr);
        EXPECT_EQ(CollideBlockDown(a), kCollideOk);
        EXPECT_EQ(a.m_nJumpCount, limit);
        EXPECT_EQ(a.m_bFalling, c.falling);
        EXPECT_EQ(a.m_dY, 100);
    }
    // A very long time in the air does not wrap the count back to the ground's 0.
    cCharaActor a;
    Shape(a, kComputer, kWalk, 16, 24);
    PutAt(a, 100, 100);
    a.m_nJumpCount = INT32_MAX;
    CollideBlockDown(a);
    EXPECT_EQ(a.m_nJumpCount, INT32_MAX);
}

TEST_F(BlockCollisionTest, LandingWhileRisingOnlyWhenFlyingOrAllowed) {
    struct Case {
        const char* name;
        int op;
        int fly;
        int type;
        double vy;
        std::int32_t allowRising;
        bool lands;
    };
    const Case cases[] = {
        {"rising walker", kComputer, kWalk, kHitSolid, -1, 0, false},
        {"rising walker on a deadly floor", kComputer, kWalk, kHitDeadly, -1, 0, false},
        {"rising walker, setting on", kComputer, kWalk, kHitSolid, -1, 1, true},
        {"rising player, setting on", kPlayer, kWalk, kHitSolid, -1, 1, true},
        {"rising flyer", kComputer, kFlyHit, kHitSolid, -1, 0, true},
        {"falling walker", kComputer, kWalk, kHitSolid, 1, 0, true},
        {"still walker", kComputer, kWalk, kHitSolid, 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EdSystem.bCompat677 = c.allowRising;
        SetBlock(3, 4, c.type);
        cCharaActor a;
        Shape(a, c.op, c.fly, 16, 24);
        PutAt(a, 100, 110);  // bottom 133: row 4
        a.m_dVY = c.vy;
        a.m_nJumpCount = 3;
        EXPECT_EQ(CollideBlockDown(a), kCollideOk);
        EXPECT_EQ(a.m_dY, c.lands ? 104 : 110);
        EXPECT_EQ(a.m_bContactDown, c.lands ? 1 : 0);
        EXPECT_EQ(a.m_dVY, c.lands ? 0 : c.vy);
        // A refused landing is no time in the air either.
        EXPECT_EQ(a.m_nJumpCount, c.lands ? 0 : 3);
        EXPECT_EQ(a.m_pStandBlock, &Cell(3, 4));
    }
}

TEST_F(BlockCollisionTest, CeilingStopsARisingWalkerAtTheNextBoundary) {
    SetBlock(3, 2, kHitSolid);
    cCharaActor a;
    Shape(a, kComputer, kWalk, 16, 24);
    PutAt(a, 100, 80.5);  // top in row 2, bottom 103.5 in empty row 3
    a.m_dVY = -4;
    a.m_dMoveVY = -1;
    a.m_nJumpCount = 2;

    EXPECT_EQ(CollideBlocksY(a), kCollideOk);
    EXPECT_EQ(a.m_dY, 96.5);
    EXPECT_EQ(a.m_dBottom, 119.5);
    EXPECT_EQ(a.m_dVY, 0);
    EXPECT_EQ(a.m_dMoveVY, 0);
    EXPECT_EQ(a.m_bContactUp, 1);
    EXPECT_EQ(a.m_bHitCeiling, 1);
    EXPECT_EQ(a.m_bAirborne, 1);
    EXPECT_EQ(a.m_bJumping, 1);
    // Then the bottom, with nothing under it: one more tick in the air.
    EXPECT_EQ(a.m_bContactDown, 0);
    EXPECT_EQ(a.m_nJumpCount, 3);
    EXPECT_EQ(a.m_pStandBlock, nullptr);
}

// ---- Deadly blocks and flyers ----

TEST_F(BlockCollisionTest, DeadlyBlocksAndDyingFlyersOnEverySide) {
    struct Case {
        const char* name;
        int op;
        int fly;
        int type;
        int result;
        bool pushed;
    };
    const Case cases[] = {
        {"computer meets a deadly block as a wall", kComputer, kWalk, kHitDeadly, kCollideOk, true},
        {"player dies on a deadly block", kPlayer, kWalk, kHitDeadly, kCollideDeath, false},
        {"player stopped by a solid block", kPlayer, kWalk, kHitSolid, kCollideOk, true},
        {"computer flyer dying on blocks", kComputer, kFlyDie, kHitSolid, kCollideDeath, false},
        {"player flyer dying on blocks", kPlayer, kFlyDie, kHitSolid, kCollideDeath, false},
        {"computer flyer against blocks, deadly block", kComputer, kFlyHit, kHitDeadly, kCollideOk,
         true},
        {"a type beyond deadly is no contact", kComputer, kWalk, 3, kCollideOk, false},
        {"pass-through flyer, solid", kComputer, kFlyThrough, kHitSolid, kCollideOk, false},
        {"pass-through player, deadly", kPlayer, kFlyThrough, kHitDeadly, kCollideOk, false},
    };
    struct Side {
        const char* name;
        SideFn fn;
        double expX, expY;  // when pushed
    };
    // Box 16 × 24 at (100.25, 100) lies wholly in cell (3, 3).
    const Side sides[] = {
        {"left", CollideBlockLeft, 128.25, 100},
        {"right", CollideBlockRight, 80.25, 100},
        {"up", CollideBlockUp, 100.25, 128},
        {"down", CollideBlockDown, 100.25, 72},
    };
    for (const Case& c : cases) {
        for (const Side& s : sides) {
            SCOPED_TRACE(std::string(c.name) + ", " + s.name);
            SetBlock(3, 3, c.type);
            cCharaActor a;
            Shape(a, c.op, c.fly, 16, 24);
            PutAt(a, 100.25, 100);
            EXPECT_EQ(s.fn(a), c.result);
            EXPECT_EQ(a.m_dX, c.pushed ? s.expX : 100.25);
            EXPECT_EQ(a.m_dY, c.pushed ? s.expY : 100);
            EXPECT_EQ(a.m_bContactLeft + a.m_bContactRight + a.m_bContactUp + a.m_bContactDown,
                      c.pushed ? 1 : 0);
        }
    }
}

TEST_F(BlockCollisionTest, DeadlyFloorIsRememberedAsTheLastTouchedBlock) {
    // Deadly columns 3 and 4 under a box 64 wide at 100: the bottom edge picks column 3, the
    // feet column 4. The computer's actor lands on the edge cell; the player's dies, and the
    // recheck takes the cell under its feet.
    struct Case {
        const char* name;
        int op;
        SideFn fn;
        int result;
        int col;
    };
    const Case cases[] = {
        {"computer lands", kComputer, CollideBlockDown, kCollideOk, 3},
        {"player dies", kPlayer, CollideBlockDown, kCollideDeath, 3},
        {"player dies in the recheck", kPlayer, RecheckBlocksY, kCollideDeath, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetBlocks({{3, 4, 2}, {4, 4, 2}});
        cCharaActor a;
        Shape(a, c.op, kWalk, 64, 24);
        PutAt(a, 100, 110);
        EXPECT_EQ(c.fn(a), c.result);
        EXPECT_EQ(a.m_pStandBlock, &Cell(c.col, 4));
        EXPECT_EQ(a.m_pLastBlock, &Cell(c.col, 4));
        EXPECT_EQ(a.m_bContactDown, c.result == kCollideOk ? 1 : 0);
    }
}

TEST_F(BlockCollisionTest, PassThroughFlyerIsLeftAlone) {
    // Solid blocks all around and under the box, a falling walker's state: nothing moves,
    // nothing is counted, the stand block is not even forgotten.
    SetBlocks({{2, 3, 1}, {3, 3, 1}, {4, 3, 1}, {3, 2, 1}, {3, 4, 1}});
    const SideFn ops[] = {CollideBlocksX,   CollideBlocksY,    RecheckBlocksX, RecheckBlocksY,
                          CollideBlockLeft, CollideBlockRight, CollideBlockUp, CollideBlockDown};
    cBlock* const sentinel = &Cell(0, 0);
    for (int op = 0; op < 8; ++op) {
        SCOPED_TRACE(op);
        cCharaActor a;
        Shape(a, kComputer, kFlyThrough, 16, 24);
        PutAt(a, 100.25, 100.5);
        a.m_dVY = 1;
        a.m_nJumpCount = 15;
        a.m_pStandBlock = sentinel;
        EXPECT_EQ(ops[op](a), kCollideOk);
        EXPECT_EQ(a.m_dX, 100.25);
        EXPECT_EQ(a.m_dY, 100.5);
        EXPECT_EQ(a.m_bContactLeft + a.m_bContactRight + a.m_bContactUp + a.m_bContactDown, 0);
        EXPECT_EQ(a.m_nJumpCount, 15);
        EXPECT_EQ(a.m_bFalling, 0);
        EXPECT_EQ(a.m_pStandBlock, sentinel);
        EXPECT_EQ(a.m_pLastBlock, nullptr);
        EXPECT_EQ(a.m_nWallSide, -1);
    }
}

// ---- Order of the sides ----

TEST_F(BlockCollisionTest, SidesAreTestedTowardTheMotionFirst) {
    // A corridor (solid columns 3 and 5 around a box 48 wide at 120.5) and a shaft (solid
    // rows 3 and 5 around a box 48 tall at 120.5): the side tested last decides where the
    // box ends, at 128.5 (pushed right or down last) or 112.5 (left or up last).
    struct Case {
        const char* name;
        SideFn fn;
        bool vertical;
        int op;
        int fly;
        double v;
        std::vector<BlockAt> blocks;
        int result;
        double expPos;
        std::int32_t firstContact, secondContact;  // left/up, right/down
    };
    const std::vector<BlockAt> corridor = {{3, 3, 1}, {5, 3, 1}};
    const std::vector<BlockAt> shaft = {{3, 3, 1}, {3, 5, 1}};
    const Case cases[] = {
        {"moving right: right then left", CollideBlocksX, false, kComputer, kWalk, 1, corridor,
         kCollideOk, 128.5, 1, 1},
        {"moving left: left then right", CollideBlocksX, false, kComputer, kWalk, -1, corridor,
         kCollideOk, 112.5, 1, 1},
        {"standing: left then right", CollideBlocksX, false, kComputer, kWalk, 0, corridor,
         kCollideOk, 112.5, 1, 1},
        {"flyer against blocks: right first whatever its motion", CollideBlocksX, false, kComputer,
         kFlyHit, -1, corridor, kCollideOk, 128.5, 1, 1},
        {"recheck: right first whatever the motion", RecheckBlocksX, false, kComputer, kWalk, -1,
         corridor, kCollideOk, 128.5, 1, 1},
        {"a deadly side ends the test",
         CollideBlocksX,
         false,
         kPlayer,
         kWalk,
         -1,
         {{3, 3, 2}, {5, 3, 1}},
         kCollideDeath,
         120.5,
         0,
         0},
        {"moving down: bottom then top", CollideBlocksY, true, kComputer, kWalk, 1, shaft,
         kCollideOk, 128.5, 1, 1},
        // The ceiling stops the rise, so the bottom then lands it.
        {"moving up: top then bottom", CollideBlocksY, true, kComputer, kWalk, -1, shaft,
         kCollideOk, 112.5, 1, 1},
        {"still: top then bottom", CollideBlocksY, true, kComputer, kWalk, 0, shaft, kCollideOk,
         112.5, 1, 1},
        {"flyer against blocks: bottom first whatever its motion", CollideBlocksY, true, kComputer,
         kFlyHit, -1, shaft, kCollideOk, 128.5, 1, 1},
        {"recheck: bottom, then top", RecheckBlocksY, true, kComputer, kWalk, 1, shaft, kCollideOk,
         128.5, 1, 1},
        {"recheck: a refused landing ends it before the top", RecheckBlocksY, true, kComputer,
         kWalk, -1, shaft, kCollideOk, 120.5, 0, 0},
        {"a deadly ceiling ends the test",
         CollideBlocksY,
         true,
         kPlayer,
         kWalk,
         -1,
         {{3, 3, 2}, {3, 5, 1}},
         kCollideDeath,
         120.5,
         0,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(BlockMap.Build(20, 10));
        SetBlocks(c.blocks);
        cCharaActor a;
        if (c.vertical) {
            Shape(a, c.op, c.fly, 16, 48);
            PutAt(a, 100, 120.5);
            a.m_dVY = c.v;
        } else {
            Shape(a, c.op, c.fly, 48, 24);
            PutAt(a, 120.5, 100);
            a.m_dVX = c.v;
        }
        a.m_pStandBlock = &Cell(0, 0);
        EXPECT_EQ(c.fn(a), c.result);
        EXPECT_EQ(c.vertical ? a.m_dY : a.m_dX, c.expPos);
        EXPECT_EQ(c.vertical ? a.m_bContactUp : a.m_bContactLeft, c.firstContact);
        EXPECT_EQ(c.vertical ? a.m_bContactDown : a.m_bContactRight, c.secondContact);
        // Only the tick's collision forgets the stand block first; the recheck keeps it.
        if (c.fn == CollideBlocksY && c.secondContact == 0) {
            EXPECT_EQ(a.m_pStandBlock, nullptr);
        }
        if (c.fn == RecheckBlocksY && c.secondContact == 0) {
            EXPECT_EQ(a.m_pStandBlock, &Cell(0, 0));
        }
    }
}

TEST_F(BlockCollisionTest, RecheckDoesNotCountTimeInTheAir) {
    cCharaActor a;
    Shape(a, kComputer, kWalk, 16, 24);
    PutAt(a, 100, 100);
    a.m_nJumpCount = 15;
    a.m_pStandBlock = &Cell(0, 0);
    EXPECT_EQ(RecheckBlocksY(a), kCollideOk);
    EXPECT_EQ(a.m_nJumpCount, 15);
    EXPECT_EQ(a.m_bFalling, 0);
    EXPECT_EQ(a.m_pStandBlock, &Cell(0, 0));
}

// ---- The hero and the view ----

class ScreenClampTest : public BlockCollisionTest {
protected:
    // Box 16 × 24 at (8, 4) in a 32 × 32 sprite; the view at (400, 300).
    void MakeHero(cHeroActor& hero, int fly, std::int32_t autoX, std::int32_t autoY) {
        hero.Init(1, kPlayer, 0, 0, nullptr, 0, 8, 4, 16, 24, 32, 32, 1, fly, 0);
        m_axisX.m_dPos = 400;
        m_axisY.m_dPos = 300;
        m_axisX.m_bAuto = autoX;
        m_axisY.m_bAuto = autoY;
    }
};

TEST_F(ScreenClampTest, HorizontalClampWhileAutoScrollingOrFlying) {
    struct Case {
        const char* name;
        int fly;
        std::int32_t autoX;
        double x;
        double expX;
        std::int32_t left, right;
    };
    const Case cases[] = {
        {"walking, camera follows: no clamp", kWalk, 0, 395.5, 395.5, 0, 0},
        {"auto-scroll: left of the view", kWalk, 1, 395.5, 400, 1, 0},
        {"auto-scroll: box right at 639 on screen", kWalk, 1, 1024, 1023, 0, 1},
        {"auto-scroll: box right at 638 stays", kWalk, 1, 1023, 1023, 0, 0},
        {"flying: left of the view", kFlyHit, 0, 395.5, 400, 1, 0},
        {"pass-through flyer: no clamp", kFlyThrough, 1, 395.5, 395.5, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cHeroActor hero;
        MakeHero(hero, c.fly, c.autoX, 0);
        PutAt(hero, c.x, 400);
        ClampToScreenX(hero);
        EXPECT_EQ(hero.m_dX, c.expX);
        EXPECT_EQ(hero.m_dRight, c.expX + 15);
        EXPECT_EQ(hero.m_bContactLeft, c.left);
        EXPECT_EQ(hero.m_bContactRight, c.right);
    }
}

TEST_F(ScreenClampTest, VerticalClampPushesAWalkingHeroOutAtTheBottom) {
    struct Case {
        const char* name;
        int fly;
        std::int32_t autoY;
        double y;
        int result;
        double expY;
        std::int32_t up, down;
    };
    // The box's bottom on screen is y + 23 − 300.
    const Case cases[] = {
        {"walking, auto-scroll: bottom at 479", kWalk, 1, 756, kCollideDeath, 755, 0, 1},
        {"flying, auto-scroll: held at the bottom", kFlyHit, 1, 756, kCollideOk, 755, 0, 1},
        {"flying, no auto-scroll: held at the bottom", kFlyHit, 0, 756, kCollideOk, 755, 0, 1},
        {"walking, auto-scroll: bottom at 478 stays", kWalk, 1, 755, kCollideOk, 755, 0, 0},
        {"walking, auto-scroll: above the view", kWalk, 1, 299.5, kCollideOk, 300, 1, 0},
        {"walking, camera follows: no clamp", kWalk, 0, 756, kCollideOk, 756, 0, 0},
        {"pass-through flyer: no clamp", kFlyThrough, 1, 756, kCollideOk, 756, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cHeroActor hero;
        MakeHero(hero, c.fly, 0, c.autoY);
        PutAt(hero, 500, c.y);
        EXPECT_EQ(ClampToScreenY(hero), c.result);
        EXPECT_EQ(hero.m_dY, c.expY);
        EXPECT_EQ(hero.m_dBottom, c.expY + 23);
        EXPECT_EQ(hero.m_bContactUp, c.up);
        EXPECT_EQ(hero.m_bContactDown, c.down);
    }
}

TEST_F(ScreenClampTest, TopClampCarriesTheBottomCellsAndHitBoxesAlong) {
    // Above the view by 20 dots: the box spans rows 8..9 before and 9..10 once it stands at
    // the view's top (300); a walking hero under the auto-scroll and a flying one alike.
    for (int fly : {kWalk, kFlyHit}) {
        SCOPED_TRACE(fly);
        cHeroActor hero;
        MakeHero(hero, fly, 0, fly == kWalk ? 1 : 0);
        hero.m_BodyBox.nOffsetY = 2;
        PutAt(hero, 500, 280);
        hero.ClampY(0);  // the cells of the starting place, the view left where it is
        ASSERT_EQ(hero.m_nCellTop, 8);
        ASSERT_EQ(hero.m_nCellBottom, 9);
        EXPECT_EQ(ClampToScreenY(hero), kCollideOk);
        EXPECT_EQ(hero.m_dY, 300);
        EXPECT_EQ(hero.m_dBottom, 323);
        EXPECT_EQ(hero.m_nCellTop, 9);
        EXPECT_EQ(hero.m_nCellBottom, 10);
        EXPECT_EQ(hero.m_BodyBox.dTop, 302);
        EXPECT_EQ(hero.m_bContactUp, 1);
    }
}

}  // namespace

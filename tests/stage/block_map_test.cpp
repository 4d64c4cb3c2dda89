// The block map: its geometry (row shift, stride, cell under a point), the build from a
// stage with blocks off the map and absurd sizes, a cell's hit type for a group with the
// existence conditions and their latch, the corner choice, and whether an actor's place is
// free of blocks and block characters.
#include "stage/block_map.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <limits>

#include "base/globals.h"
#include "data/stage_record.h"
#include "platform/messages.h"
#include "stage/actor.h"
#include "stage/engine_globals.h"

namespace {

std::atomic<int> closeRequests{0};

plat::LRESULT CountCloses(plat::HWND, std::uint32_t msg, plat::WPARAM, plat::LPARAM) {
    if (msg == plat::WM_CLOSE) ++closeRequests;
    return 0;
}

// The evaluator the tests install: a fixed answer, and a count of the lists it evaluated.
bool conditionsHold = true;
int evaluations = 0;

bool FixedConditions(cBlock&) {
    ++evaluations;
    return conditionsHold;
}

class BlockMapTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        closeRequests = 0;
        hWndMain = plat::CreateWindow(CountCloses);
        conditionsHold = true;
        evaluations = 0;
        SetBlockConditionEvaluator(&FixedConditions);
    }
    void TearDown() override {
        plat::DestroyWindow(hWndMain);
        ResetEngineGlobals();
    }
    int PumpCloses() {
        plat::MSG m;
        while (plat::PeekMessage(&m, nullptr, true)) plat::DispatchMessage(&m);
        return closeRequests.load();
    }
};

cEdBlock MakeBlock(std::int16_t x, std::int16_t y, std::int16_t graphic, std::int8_t hitType) {
    cEdBlock block;
    block.nPlaceX = x;
    block.nPlaceY = y;
    block.nGraphic = graphic;
    block.nHitType = hitType;
    return block;
}

// The box from (x, y) of w × h dots, with the cells it covers.
void PlaceBox(cActorBase& actor, double x, double y, int w, int h) {
    actor.m_dX = x;
    actor.m_dY = y;
    actor.m_dRight = x + w - 1;
    actor.m_dBottom = y + h - 1;
    actor.m_nCellLeft = static_cast<int>(actor.m_dX) >> 5;
    actor.m_nCellTop = static_cast<int>(actor.m_dY) >> 5;
    actor.m_nCellRight = static_cast<int>(actor.m_dRight) >> 5;
    actor.m_nCellBottom = static_cast<int>(actor.m_dBottom) >> 5;
}

// ---- Geometry ----

TEST(BlockMapGeometry, RowShiftIsTheBitLengthOfTheLastColumn) {
    struct Case {
        std::int64_t width;
        std::int32_t shift;
    };
    const Case cases[] = {{0, 5},        {1, 5},
                          {12, 5},       {13, 6},
                          {44, 6},       {45, 7},
                          {108, 7},      {109, 8},
                          {1004, 10},    {1005, 11},
                          {-1, 0},       {-40, 0},
                          {INT_MAX, 32}, {std::int64_t{1} << 40, 41}};
    for (const Case& c : cases) {
        EXPECT_EQ(BlockMapRowShift(c.width), c.shift) << "width " << c.width;
    }
}

TEST_F(BlockMapTest, CellIndexFollowsTheRowStrideForSeveralWidths) {
    struct Case {
        std::int32_t width, height;
        std::int32_t pitch;
    };
    const Case cases[] = {{0, 0, 32}, {12, 3, 32}, {13, 15, 64}, {45, 2, 128}, {200, 10, 256}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "width " << c.width << " height " << c.height);
        ASSERT_TRUE(BlockMap.Build(c.width, c.height));
        EXPECT_EQ(BlockMap.Pitch(), c.pitch);
        EXPECT_EQ(BlockMap.Columns(), c.width + 20);
        EXPECT_EQ(BlockMap.Rows(), c.height + 20);
        EXPECT_EQ(BlockMap.CellCount(), c.pitch * (c.height + 20));
        // Stage block (x, y) is map cell (x + 10, y + 10).
        EXPECT_EQ(BlockMap.CellIndex(10, 10), 10 + 10 * c.pitch);
        EXPECT_EQ(BlockMap.CellIndex(c.width + 19, c.height + 19),
                  c.width + 19 + (c.height + 19) * c.pitch);
        // Points are truncated, then divided by 32 with the sign kept.
        EXPECT_EQ(BlockMap.CellIndexAt(320.0, 320.0), BlockMap.CellIndex(10, 10));
        EXPECT_EQ(BlockMap.CellIndexAt(351.99, 383.5), BlockMap.CellIndex(10, 11));
        EXPECT_EQ(BlockMap.CellIndexAt(-0.75, 31.9), 0);
        EXPECT_EQ(BlockMap.CellIndexAt(-33.0, 64.0), -2 + 2 * c.pitch);
    }
}

TEST_F(BlockMapTest, IndicesBeyondAnIntAreNoCell) {
    ASSERT_TRUE(BlockMap.Build(100, 10));  // shift 7
    EXPECT_EQ(BlockMap.CellIndex(0, INT_MAX), -1);
    EXPECT_EQ(BlockMap.CellIndex(INT_MAX, 1), -1);
    EXPECT_EQ(BlockMap.CellIndex(0, INT_MIN), -1);
    // A position that is not a number truncates to INT_MIN: a bad index, not a wrap.
    EXPECT_LT(BlockMap.CellIndexAt(0.0, std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST_F(BlockMapTest, AnAccessOutsideTheMapYieldsCellZeroAndAsksToClose) {
    ASSERT_TRUE(BlockMap.Build(0, 0));
    BlockMap.Cell(0).nGraphic = 77;
    for (std::int32_t index : {BlockMap.CellCount(), -1, INT_MAX}) {
        EXPECT_EQ(BlockMap.Cell(index).nGraphic, 77) << index;
    }
    EXPECT_EQ(PumpCloses(), 3);
}

TEST_F(BlockMapTest, IndexOfKnowsOnlyItsOwnCells) {
    ASSERT_TRUE(BlockMap.Build(5, 5));
    EXPECT_EQ(BlockMap.IndexOf(&BlockMap.Cell(0)), 0);
    EXPECT_EQ(BlockMap.IndexOf(&BlockMap.Cell(BlockMap.CellCount() - 1)), BlockMap.CellCount() - 1);
    const cBlock other;
    EXPECT_EQ(BlockMap.IndexOf(&other), -1);
    EXPECT_EQ(BlockMap.IndexOf(nullptr), -1);
}

// ---- Building ----

TEST_F(BlockMapTest, BuildPlacesTheStagesBlocksWithTheMargin) {
    cEdStage stage;
    stage.nWidth = 20;
    stage.nHeight = 15;
    stage.vecBlock.push_back(MakeBlock(0, 0, 3, 1));
    stage.vecBlock.push_back(MakeBlock(19, 14, 4, 2));
    stage.vecBlock.push_back(MakeBlock(3, 4, 5, 1));
    stage.vecBlock.push_back(MakeBlock(3, 4, 6, 0));      // over the one before
    stage.vecBlock.push_back(MakeBlock(-10, -10, 7, 1));  // the map's corner, in the margin
    stage.vecBlock.push_back(MakeBlock(29, 24, 8, 1));    // the opposite corner
    stage.vecBlock.push_back(MakeBlock(-11, 0, 9, 1));    // left of the map
    stage.vecBlock.push_back(MakeBlock(30, 0, 9, 1));     // right of the map, inside the stride
    stage.vecBlock.push_back(MakeBlock(0, 25, 9, 1));     // below the map
    stage.vecBlock.push_back(MakeBlock(0, -11, 9, 1));    // above the map
    ASSERT_TRUE(BlockMap.Build(stage));
    ASSERT_EQ(BlockMap.Pitch(), 64);
    ASSERT_EQ(BlockMap.CellCount(), 64 * 35);

    struct Expect {
        std::int32_t column, row;
        std::int16_t graphic;
        std::int8_t hitType;
    };
    const Expect placed[] = {
        {10, 10, 3, 1}, {29, 24, 4, 2}, {13, 14, 6, 0}, {0, 0, 7, 1}, {39, 34, 8, 1}};
    int found = 0;
    for (std::int32_t i = 0; i < BlockMap.CellCount(); ++i) {
        cBlock& cell = BlockMap.Cell(i);
        EXPECT_EQ(cell.m_bLatch, 0);
        if (cell.nGraphic != 0) ++found;
    }
    EXPECT_EQ(found, 5);  // the four off the map are not anywhere
    for (const Expect& e : placed) {
        const cBlock& cell = BlockMap.Cell(BlockMap.CellIndex(e.column, e.row));
        EXPECT_EQ(cell.nGraphic, e.graphic) << e.column << "," << e.row;
        EXPECT_EQ(cell.nHitType, e.hitType) << e.column << "," << e.row;
    }

    // A default cell: nothing to draw or hit, no guard, no exemption.
    const cBlock& blank = BlockMap.Cell(BlockMap.CellIndex(11, 10));
    EXPECT_EQ(blank.nGraphic, 0);
    EXPECT_EQ(blank.nHitType, 0);
    EXPECT_EQ(blank.bProtected, 0);
    EXPECT_EQ(blank.nTouchEffect, 0);
    EXPECT_EQ(blank.nExemptSide, kNoExemptGroup);
    EXPECT_TRUE(blank.vecCondition.empty());
}

TEST_F(BlockMapTest, AbsurdSizesAreRefusedWithoutAllocating) {
    struct Case {
        std::int32_t width, height;
    };
    const Case refused[] = {{-1, 10},     {10, -1},     {INT_MIN, 0}, {INT_MAX, 10}, {10, INT_MAX},
                            {2000, 1000}, {1005, 1004}, {1004, 1005}, {16365, 15}};
    for (const Case& c : refused) {
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        ASSERT_TRUE(BlockMap.Build(20, 15));
        EXPECT_FALSE(cBlockMap::IsPlayableSize(c.width, c.height));
        EXPECT_FALSE(BlockMap.Build(c.width, c.height));
        // The old map is gone too: nothing is left that the refused stage could address.
        EXPECT_EQ(BlockMap.CellCount(), 0);
        EXPECT_EQ(BlockMap.Shift(), 0);
    }
    // The largest map allowed: 1024 × 1024 cells.
    EXPECT_TRUE(cBlockMap::IsPlayableSize(1004, 1004));
    // The widest stage of the usual height: rows of 16,384 cells.
    EXPECT_TRUE(cBlockMap::IsPlayableSize(16364, 15));
}

TEST_F(BlockMapTest, RefusedStageBuildsNothing) {
    cEdStage stage;
    stage.nWidth = -5;
    stage.nHeight = 10;
    stage.vecBlock.push_back(MakeBlock(0, 0, 3, 1));
    EXPECT_FALSE(BlockMap.Build(stage));
    EXPECT_EQ(BlockMap.CellCount(), 0);
}

// ---- The cell ----

TEST(BlockCell, CopyTakesEveryFieldAndTheLatch) {
    cBlock source;
    source.nGraphic = 12;
    source.nHitType = 2;
    source.nExemptSide = 4;
    source.nTouchEffect = 3;
    source.nTouchParam = 150;
    source.bCondLatch = 1;
    source.strName = "ブロック";
    source.vecCondition.resize(2);
    source.vecCondition[1].nKind = 5;
    source.m_bLatch = 1;

    cBlock copy;
    copy = source;
    EXPECT_EQ(copy.SaveToBytes(), source.SaveToBytes());
    EXPECT_EQ(copy.m_bLatch, 1);
    cBlock constructed(source);
    EXPECT_EQ(constructed.SaveToBytes(), source.SaveToBytes());
    EXPECT_EQ(constructed.m_bLatch, 1);
}

TEST(BlockCell, CopyBlockTakesTheRecordAndKeepsTheLatch) {
    cEdBlock block = MakeBlock(4, 5, 9, 1);
    block.nExemptSide = 2;
    block.vecCondition.resize(1);
    cBlock cell;
    cell.m_bLatch = 1;
    cell.CopyBlock(block);
    cEdBlock& asRecord = cell;
    EXPECT_EQ(asRecord.SaveToBytes(), block.SaveToBytes());
    EXPECT_EQ(cell.m_bLatch, 1);
}

TEST_F(BlockMapTest, HitTypeForAGroup) {
    struct Case {
        const char* name;
        std::int8_t hitType;
        std::uint8_t exempt;
        bool conditions;
        std::int8_t latchOption;
        std::uint8_t latch;
        bool hold;
        std::int32_t group;
        std::int8_t expected;
        int expectedEvaluations;
        std::uint8_t expectedLatch;
    };
    const Case cases[] = {
        {"no contact", 0, 255, false, 0, 0, false, 3, 0, 0, 0},
        {"solid", 1, 255, false, 0, 0, false, 3, 1, 0, 0},
        {"deadly", 2, 255, false, 0, 0, false, 3, 2, 0, 0},
        {"another value", 7, 255, false, 0, 0, false, 3, 7, 0, 0},
        {"exempt group is the actor's", 1, 3, false, 0, 0, false, 3, 0, 0, 0},
        {"exempt group 0", 2, 0, false, 0, 0, false, 0, 0, 0, 0},
        {"exempt group is another", 1, 4, false, 0, 0, false, 3, 1, 0, 0},
        {"255 exempts nobody", 1, 255, false, 0, 0, false, -1, 1, 0, 0},
        {"conditions fail", 1, 255, true, 0, 0, false, 3, 0, 1, 0},
        {"conditions hold: latched", 1, 255, true, 0, 0, true, 3, 1, 1, 1},
        {"latched with the option: no test", 1, 255, true, 1, 1, false, 3, 1, 0, 1},
        {"latched without the option: tested", 2, 255, true, 0, 1, false, 3, 0, 1, 1},
        {"option without the latch: tested", 1, 255, true, 1, 0, false, 3, 0, 1, 0},
        {"conditions hold, group exempt", 1, 3, true, 0, 0, true, 3, 0, 1, 1},
        {"conditions fail, group exempt", 1, 3, true, 0, 0, false, 3, 0, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cBlock cell;
        cell.nHitType = c.hitType;
        cell.nExemptSide = c.exempt;
        if (c.conditions) cell.vecCondition.resize(1);
        cell.bCondLatch = c.latchOption;
        cell.m_bLatch = c.latch;
        conditionsHold = c.hold;
        evaluations = 0;
        EXPECT_EQ(cell.GetHitType(c.group), c.expected);
        EXPECT_EQ(evaluations, c.expectedEvaluations);
        EXPECT_EQ(cell.m_bLatch, c.expectedLatch);
    }
}

TEST_F(BlockMapTest, ALatchedBlockStaysAfterItsConditionsFail) {
    cBlock cell;
    cell.nHitType = 1;
    cell.vecCondition.resize(1);
    cell.bCondLatch = 1;
    conditionsHold = true;
    EXPECT_TRUE(TestBlockConditions(cell));
    conditionsHold = false;
    for (int i = 0; i < 3; ++i) EXPECT_EQ(cell.GetHitType(0), 1);
    EXPECT_EQ(evaluations, 1);

    // Without the option the latch is set all the same, but every test evaluates again.
    cBlock plain;
    plain.nHitType = 1;
    plain.vecCondition.resize(1);
    conditionsHold = true;
    EXPECT_TRUE(TestBlockConditions(plain));
    EXPECT_EQ(plain.m_bLatch, 1);
    conditionsHold = false;
    EXPECT_FALSE(TestBlockConditions(plain));
    EXPECT_EQ(plain.GetHitType(0), 0);
}

TEST_F(BlockMapTest, TheStandInEvaluatorLetsEveryBlockExist) {
    SetBlockConditionEvaluator(nullptr);
    cBlock cell;
    cell.nHitType = 1;
    cell.vecCondition.resize(3);
    EXPECT_EQ(cell.GetHitType(1), 1);
    EXPECT_EQ(cell.m_bLatch, 1);
    // Installing returns what was there, so a caller can put it back.
    EXPECT_NE(SetBlockConditionEvaluator(&FixedConditions), &FixedConditions);
    EXPECT_EQ(SetBlockConditionEvaluator(&FixedConditions), &FixedConditions);
}

// ---- Corners ----

TEST_F(BlockMapTest, CornerBlockWithTheHighestTypeEarliestOnTies) {
    ASSERT_TRUE(BlockMap.Build(20, 15));
    // The rectangle of columns 12..14 and rows 12..13.
    const std::int32_t tl = BlockMap.CellIndex(12, 12);
    const std::int32_t tr = BlockMap.CellIndex(14, 12);
    const std::int32_t bl = BlockMap.CellIndex(12, 13);
    const std::int32_t br = BlockMap.CellIndex(14, 13);
    struct Case {
        std::int8_t types[4];  // top-left, top-right, bottom-left, bottom-right
        std::int32_t expected;
    };
    const Case cases[] = {
        {{0, 0, 0, 0}, tl}, {{0, 1, 0, 0}, tr}, {{1, 1, 1, 1}, tl},
        {{0, 1, 2, 1}, bl}, {{0, 0, 0, 2}, br}, {{2, 2, 2, 2}, tl},
        {{7, 2, 0, 0}, tl}, {{1, 0, 1, 2}, br}, {{0, 1, 1, 1}, tr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << int{c.types[0]} << int{c.types[1]} << int{c.types[2]} << int{c.types[3]});
        BlockMap.Cell(tl).nHitType = c.types[0];
        BlockMap.Cell(tr).nHitType = c.types[1];
        BlockMap.Cell(bl).nHitType = c.types[2];
        BlockMap.Cell(br).nHitType = c.types[3];
        EXPECT_EQ(FindCornerBlock(12, 12, 14, 13, 3), c.expected);
    }

    // Only the corners count: a solid cell inside the rectangle is not seen.
    for (std::int32_t i : {tl, tr, bl, br}) BlockMap.Cell(i).nHitType = 0;
    BlockMap.Cell(BlockMap.CellIndex(13, 12)).nHitType = 1;
    EXPECT_EQ(FindCornerBlock(12, 12, 14, 13, 3), tl);

    // A corner exempt for the group counts as no contact.
    BlockMap.Cell(tl).nHitType = 1;
    BlockMap.Cell(tr).nHitType = 2;
    BlockMap.Cell(tr).nExemptSide = 3;
    EXPECT_EQ(FindCornerBlock(12, 12, 14, 13, 3), tl);
    EXPECT_EQ(FindCornerBlock(12, 12, 14, 13, 4), tr);

    // One cell.
    EXPECT_EQ(FindCornerBlock(14, 13, 14, 13, 0), br);
}

// ---- Free places ----

class BlockedPlaceTest : public BlockMapTest {
protected:
    void SetUp() override {
        BlockMapTest::SetUp();
        ASSERT_TRUE(BlockMap.Build(20, 15));
        actor.m_nSerial = 1;
        actor.m_nGroup = 2;
        actor.SetFlyMode(0);
        PlaceBox(actor, 400.5, 400.25, 40, 30);  // columns 12..13, rows 12..13
    }
    cCharaActor& AddBlockChara(std::int32_t serial, double x, double y, int w, int h) {
        cCharaActor& chara = charas.Add();
        chara.m_nSerial = serial;
        chara.m_Chara.b32Mode = 1;
        chara.m_bPresent = 1;
        PlaceBox(chara, x, y, w, h);
        return chara;
    }
    cCharaActor actor;
    ObjectList<cCharaActor> charas;
};

TEST_F(BlockedPlaceTest, BlocksUnderTheBox) {
    struct Case {
        const char* name;
        int flyMode;
        std::int8_t hitType;
        std::uint8_t exempt;
        bool expected;
    };
    const Case cases[] = {
        {"empty cells", 0, 0, 255, false},
        {"solid", 0, 1, 255, true},
        {"deadly", 0, 2, 255, true},
        {"another hit type", 0, 9, 255, true},
        {"exempt for the actor's group", 0, 1, 2, false},
        {"exempt for another group", 0, 1, 5, true},
        {"flying through blocks", 1, 1, 255, false},
        {"flying against blocks", 2, 1, 255, true},
        {"flying, dies on blocks", 3, 2, 255, true},
    };
    const std::int32_t corner = BlockMap.CellIndex(13, 13);  // bottom-right
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        actor.SetFlyMode(c.flyMode);
        BlockMap.Cell(corner).nHitType = c.hitType;
        BlockMap.Cell(corner).nExemptSide = c.exempt;
        EXPECT_EQ(IsBlocked(actor, charas), c.expected);
    }
}

TEST_F(BlockedPlaceTest, BlockOnlyBetweenTheCornersIsNotSeen) {
    // A box three cells high: the middle row is not a corner.
    PlaceBox(actor, 400.0, 384.0, 16, 96);  // rows 12..14
    BlockMap.Cell(BlockMap.CellIndex(12, 13)).nHitType = 1;
    EXPECT_FALSE(IsBlocked(actor, charas));
}

TEST_F(BlockedPlaceTest, BlockCharacters) {
    // The actor's box: 400.5..439.5 across, 400.25..429.25 down.
    struct Case {
        const char* name;
        double x, y;
        int w, h;
        std::int32_t serial;
        std::int8_t blockChara;
        std::int32_t dying, present;
        bool expected;
    };
    const Case cases[] = {
        {"overlapping", 390, 390, 32, 32, 9, 1, 0, 1, true},
        {"touching the right edge", 439.5, 380, 32, 32, 9, 1, 0, 1, true},
        {"touching the bottom edge", 380, 429.25, 32, 32, 9, 1, 0, 1, true},
        {"touching the left edge", 369.5, 410, 32, 32, 9, 1, 0, 1, true},
        {"just right of it", 439.75, 380, 32, 32, 9, 1, 0, 1, false},
        {"just above it", 380, 368.0, 32, 32, 9, 1, 0, 1, false},
        {"the actor itself", 390, 390, 32, 32, 1, 1, 0, 1, false},
        {"not a block character", 390, 390, 32, 32, 9, 0, 0, 1, false},
        {"dying", 390, 390, 32, 32, 9, 1, 1, 1, false},
        {"not present", 390, 390, 32, 32, 9, 1, 0, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        charas.Clear();
        cCharaActor& chara = AddBlockChara(c.serial, c.x, c.y, c.w, c.h);
        chara.m_Chara.b32Mode = c.blockChara;
        chara.m_bDying = c.dying;
        chara.m_bPresent = c.present;
        EXPECT_EQ(OverlapsBlockChara(actor, charas), c.expected);
        EXPECT_EQ(IsBlocked(actor, charas), c.expected);
    }
}

TEST_F(BlockedPlaceTest, AnyOverlappingBlockCharacterBlocks) {
    AddBlockChara(5, 0, 0, 32, 32);      // far away
    AddBlockChara(1, 400, 400, 32, 32);  // the actor's own serial
    AddBlockChara(6, 410, 420, 32, 32).m_bDying = 1;
    EXPECT_FALSE(IsBlocked(actor, charas));
    AddBlockChara(7, 414, 428, 8, 8);
    EXPECT_TRUE(IsBlocked(actor, charas));
    // A flyer that passes through blocks passes through block characters as well.
    actor.SetFlyMode(1);
    EXPECT_FALSE(IsBlocked(actor, charas));
    EXPECT_TRUE(OverlapsBlockChara(actor, charas));
}

}  // namespace

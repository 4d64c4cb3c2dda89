// How characters, items and blocks enter a running stage: placed copies of multi-placed
// records, items on their blocks, summoned characters and items at dot positions (home
// point, life, group-list order, taken back inside walls or outside the stage), summoned
// blocks by mode with the summon guard and the refusal flags, and the overlap test of a
// summoned block with the actors.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "data/common_palette.h"
#include "data/move_shot_records.h"
#include "scene/scene_fixture.h"
#include "stage/block_map.h"
#include "stage/stage_objects.h"

namespace {

// A hand-made stage of 30 × 15 blocks with a solid floor on row 13 and the hero at (2, 12),
// set up by the game scene: the map is 50 × 35 cells (1600 × 1120 dots), rows 64 cells apart.
constexpr int kWidth = 30;
constexpr int kHeight = 15;

class PlacementTest : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        cEdStage& st = EdStageWork;
        st.SetDefaults();
        st.nWidth = kWidth;
        st.nHeight = kHeight;
        st.nExtentX = kWidth * kBlockDots;
        st.nExtentY = kHeight * kBlockDots;
        st.bTimeLimit = 0;
        for (int x = 0; x < kWidth; ++x) {
            cEdBlock floor;
            floor.nGraphic = 1;
            floor.nHitType = kHitSolid;
            floor.nPlaceX = static_cast<std::int16_t>(x);
            floor.nPlaceY = 13;
            st.vecBlock.push_back(floor);
        }
        cEdChara hero;
        hero.nControl = 0;
        hero.nGraphic = 1;
        hero.nSide = 0;
        hero.nFacing = 1;
        hero.nMaxHp = 10;
        hero.nPlaceX = 2;
        hero.nPlaceY = 12;
        hero.nPlaceValue = -1;
        st.vecChara.push_back(hero);
        SceneMgr.PrepareScene(SCENE_GAME);
        game = lpGame;
        ASSERT_NE(game, nullptr);
    }
    void TearDown() override { TearDownWorld(); }

    void SetUpStage() {
        game->SetStage(0, 1);
        ASSERT_FALSE(game->SetStageFailed());
        ASSERT_EQ(Player.Size(), 1u);
    }

    // A computer character of group 1 worth 100 points.
    static cEdChara Walker() {
        cEdChara r;
        r.nControl = 1;
        r.nGraphic = 2;
        r.nSide = 1;
        r.nFacing = 0;
        r.nMaxHp = 3;
        r.nScore = 100;
        r.nPlaceValue = -1;
        return r;
    }
    static cEdItem Coin() {
        cEdItem r;
        r.nGraphic = 1;
        return r;
    }
    static cEdBlock SolidBlock(int graphic) {
        cEdBlock b;
        b.nGraphic = static_cast<std::int16_t>(graphic);
        b.nHitType = kHitSolid;
        return b;
    }
    static std::vector<double> Xs(const ObjectList<cCharaActor>& list) {
        std::vector<double> out;
        for (const cCharaActor& c : list) out.push_back(c.m_dX);
        return out;
    }
    static std::vector<int> Serials(const ObjectList<cCharaActor>& list) {
        std::vector<int> out;
        for (const cCharaActor& c : list) out.push_back(c.m_nSerial);
        return out;
    }
    std::vector<cActorBase*> Group(int g) const {
        return {game->m_vecGroupList[g].begin(), game->m_vecGroupList[g].end()};
    }
    // Map cell (column, row).
    static cBlock& Cell(int column, int row) {
        return BlockMap.Cell(BlockMap.CellIndex(column, row));
    }
    static int Index(int column, int row) { return BlockMap.CellIndex(column, row); }

    cGameScene* game = nullptr;
};

TEST_F(PlacementTest, PlaceCharaMakesEachCopyThatLiesInsideTheStage) {
    SetUpStage();
    struct Case {
        const char* name;
        int offsetX, stepX;
        int facing, mirror;
        std::vector<double> xs;
    };
    // Stage block 5 begins at map dot 480; the 16-dot box is centred in it.
    const double x0 = 480 + 8 + 0.5;
    const Case cases[] = {
        {"all three", 0, 64, 0, 0, {x0, x0 + 64, x0 + 128}},
        // The third copy's right edge passes the map's far edge (1600).
        {"third outside", 0, 600, 0, 0, {x0, x0 + 600}},
        // The first copy lies left of the map.
        {"first outside", -500, 300, 0, 0, {x0 - 200, x0 + 100}},
        // Facing right with the mirror flag: the copies go left.
        {"mirrored", 0, 64, 1, 1, {x0, x0 - 64, x0 - 128}},
    };
    for (const Case& c : cases) {
        CharaList.Clear();
        cEdChara r = Walker();
        r.nClones = 2;
        r.nPlaceOffsetX = static_cast<std::int16_t>(c.offsetX);
        r.nPlaceStepX = static_cast<std::int16_t>(c.stepX);
        r.nFacing = static_cast<std::int8_t>(c.facing);
        r.bPlaceMirrorX = static_cast<std::int8_t>(c.mirror);
        cItemObject carried;
        cEdItem heart = Coin();
        heart.nGraphic = 2;
        ASSERT_EQ(carried.Init(9, heart, 1), 0);
        std::int32_t serial = 5;
        EXPECT_EQ(game->PlaceChara(CharaList, 5, 12, serial, r, &carried), 0) << c.name;
        EXPECT_EQ(Xs(CharaList), c.xs) << c.name;
        std::vector<int> serials;
        for (int i = 0; i < static_cast<int>(c.xs.size()); ++i) serials.push_back(5 + i);
        EXPECT_EQ(Serials(CharaList), serials) << c.name;
        EXPECT_EQ(serial, 5 + static_cast<int>(c.xs.size())) << c.name;
        for (const cCharaActor& chara : CharaList) {
            // The home point is the centre of the placement block; all share the item.
            EXPECT_DOUBLE_EQ(chara.m_dHomeX, 480 + 16) << c.name;
            EXPECT_DOUBLE_EQ(chara.m_dHomeY, 704 + 16) << c.name;
            EXPECT_DOUBLE_EQ(chara.m_dBottom, 735) << c.name;
            EXPECT_EQ(chara.m_CarriedItem.m_Item.nGraphic, 2) << c.name;
        }
    }
}

TEST_F(PlacementTest, PlaceItemPutsTheItemOnItsBlockByItsOffsets) {
    SetUpStage();
    struct Case {
        int column, row;
        int dx, dy;
        bool added;
    };
    // The 28-dot item box is centred in its cell: block (5, 12) at map dots (482.5, 706).
    const Case cases[] = {
        {5, 12, 0, 0, true},
        {5, 12, 4, -2, true},
        {0, 0, -500, 0, false},
        {5, 12, 0, 1000, false},
    };
    std::int32_t serial = 3;
    for (const Case& c : cases) {
        ItemList.Clear();
        cEdItem r = Coin();
        r.nField5 = static_cast<std::int16_t>(c.dx);
        r.nField6 = static_cast<std::int16_t>(c.dy);
        const std::int32_t before = serial;
        EXPECT_EQ(game->PlaceItem(ItemList, c.column, c.row, serial, r), 0);
        ASSERT_EQ(ItemList.Size(), c.added ? 1u : 0u) << c.dx << "," << c.dy;
        EXPECT_EQ(serial, before + (c.added ? 1 : 0)) << c.dx << "," << c.dy;
        if (!c.added) continue;
        const cItemObject& item = *ItemList.begin();
        EXPECT_EQ(item.m_nSerial, before);
        EXPECT_DOUBLE_EQ(item.m_dX, 482.5 + c.dx) << c.dx;
        EXPECT_DOUBLE_EQ(item.m_dY, 706 + c.dy) << c.dy;
        EXPECT_DOUBLE_EQ(item.m_dRight, item.m_dX + 27);
        EXPECT_DOUBLE_EQ(item.m_dBottom, item.m_dY + 27);
    }
}

TEST_F(PlacementTest, SpawnCharaStandsAtTheDotPositionWithItsHomePointBeyondTheMargin) {
    SetUpStage();
    cEdShot params;
    const cEdChara record = Walker();
    std::int32_t serial = 4;
    game->SpawnChara(CharaList, 600, 500, 2, 1, params, record, serial);
    ASSERT_EQ(CharaList.Size(), 1u);
    const cCharaActor& c = *CharaList.begin();
    EXPECT_EQ(c.m_nSerial, 4);
    EXPECT_EQ(serial, 5);
    EXPECT_DOUBLE_EQ(c.m_dX, 600 + c.m_nOffsetX);
    EXPECT_DOUBLE_EQ(c.m_dY, 500 + c.m_nOffsetY);
    EXPECT_DOUBLE_EQ(c.m_dRight, c.m_dX + c.m_nBoxW - 1);
    EXPECT_DOUBLE_EQ(c.m_dBottom, c.m_dY + c.m_nBoxH - 1);
    EXPECT_EQ(c.m_nBoxW, 16);
    EXPECT_EQ(c.m_nBoxH, 24);
    EXPECT_DOUBLE_EQ(c.m_dHomeX, 320 + 600 + 16);
    EXPECT_DOUBLE_EQ(c.m_dHomeY, 320 + 500 + 16);
    // The summon's group and facing, not the record's.
    EXPECT_EQ(c.m_nGroup, 2);
    EXPECT_EQ(c.m_Chara.nSide, 2);
    EXPECT_EQ(c.m_Chara.nFacing, 1);
    EXPECT_EQ(c.m_nLifeFrames, kLifeUnlimited);
    EXPECT_EQ(Group(2), (std::vector<cActorBase*>{const_cast<cCharaActor*>(&c)}));
}

TEST_F(PlacementTest, SpawnCharaLifeAndScoreComeFromTheSummon) {
    SetUpStage();
    struct Case {
        int lifeFlag, life, level;
        int noScore;
        std::int32_t lifeFrames;
        std::int32_t score;
    };
    const Case cases[] = {
        {1, 10, 10, 0, 600, 100},  // 10 tenths × b 10 × 6 frames
        {1, 10, 13, 1, 180, 0},    // b = 3
        {1, 1, 10, 0, 60, 100},
        {0, 10, 10, 1, kLifeUnlimited, 0},
    };
    for (const Case& c : cases) {
        CharaList.Clear();
        EdStageWork.SetGameSpeed(c.level);
        cEdShot params;
        params.bLifeLimit = static_cast<std::int8_t>(c.lifeFlag);
        params.nLife = static_cast<std::int16_t>(c.life);
        params.bNoScore = static_cast<std::int8_t>(c.noScore);
        const cEdChara record = Walker();
        std::int32_t serial = 0;
        game->SpawnChara(CharaList, 600, 500, 1, 0, params, record, serial);
        ASSERT_EQ(CharaList.Size(), 1u);
        EXPECT_EQ(CharaList.begin()->m_nLifeFrames, c.lifeFrames) << c.life << " " << c.level;
        EXPECT_EQ(CharaList.begin()->m_Chara.nScore, c.score) << c.noScore;
        EXPECT_EQ(record.nScore, 100);
        game->m_vecGroupList[1].clear();
    }
}

TEST_F(PlacementTest, SpawnedCharactersGoToTheFrontOfTheirGroupAndPlacedOnesToTheBack) {
    cEdChara placed = Walker();
    placed.nPlaceX = 20;
    placed.nPlaceY = 12;
    EdStageWork.vecChara.push_back(placed);
    SetUpStage();
    ASSERT_EQ(CharaList.Size(), 1u);
    cCharaActor* first = &*CharaList.begin();
    ASSERT_EQ(Group(1), (std::vector<cActorBase*>{first}));

    cEdChara summoned = Walker();
    summoned.nClones = 1;
    summoned.nPlaceStepX = 40;
    cEdShot params;
    game->SpawnChara(CharaList, 600, 500, 1, 0, params, summoned, game->m_nCharaSerial);
    ASSERT_EQ(CharaList.Size(), 3u);
    auto it = CharaList.begin();
    cCharaActor* copy0 = &*++it;
    cCharaActor* copy1 = &*++it;
    EXPECT_EQ(copy0->m_nSerial, 2);
    EXPECT_EQ(copy1->m_nSerial, 3);
    EXPECT_DOUBLE_EQ(copy1->m_dX, copy0->m_dX + 40);
    EXPECT_EQ(Group(1), (std::vector<cActorBase*>{copy1, copy0, first}));
}

TEST_F(PlacementTest, SpawnIntoAWallOrOutsideTheStageMakesNothing) {
    SetUpStage();
    struct Case {
        const char* name;
        double x, y;
        bool made;
    };
    const Case cases[] = {
        {"in the air", 600, 500, true},
        // The box reaches into the floor (map row 23 begins at 736).
        {"in the floor", 600, 720, false},
        {"right of the map", 1590, 500, false},
        {"left of the map", -20, 500, false},
    };
    for (const Case& c : cases) {
        CharaList.Clear();
        game->m_vecGroupList[1].clear();
        cEdShot params;
        params.bLifeLimit = 1;
        params.nLife = 10;
        std::int32_t serial = 7;
        game->SpawnChara(CharaList, c.x, c.y, 1, 0, params, Walker(), serial);
        EXPECT_EQ(CharaList.Size(), c.made ? 1u : 0u) << c.name;
        EXPECT_EQ(serial, c.made ? 8 : 7) << c.name;
        EXPECT_EQ(game->m_vecGroupList[1].size(), c.made ? 1u : 0u) << c.name;
    }
}

TEST_F(PlacementTest, SpawnItemStandsAtTheDotPositionWithItsLife) {
    SetUpStage();
    struct Case {
        const char* name;
        double x, y;
        int dx;
        int lifeFlag;
        bool made;
        std::int32_t lifeFrames;
    };
    const Case cases[] = {
        {"plain", 600, 500, 0, 0, true, kLifeUnlimited},
        {"offset and life", 600, 500, 6, 1, true, 300},
        {"outside", 1590, 500, 0, 1, false, 0},
        {"pushed outside by its offset", 600, 500, 1200, 0, false, 0},
    };
    for (const Case& c : cases) {
        ItemList.Clear();
        cEdShot params;
        params.bLifeLimit = static_cast<std::int8_t>(c.lifeFlag);
        params.nLife = 5;
        cEdItem r = Coin();
        r.nField5 = static_cast<std::int16_t>(c.dx);
        std::int32_t serial = 2;
        game->SpawnItem(ItemList, c.x, c.y, params, r, serial);
        ASSERT_EQ(ItemList.Size(), c.made ? 1u : 0u) << c.name;
        EXPECT_EQ(serial, c.made ? 3 : 2) << c.name;
        if (!c.made) continue;
        const cItemObject& item = *ItemList.begin();
        EXPECT_EQ(item.m_nSerial, 2);
        EXPECT_DOUBLE_EQ(item.m_dX, c.x + item.m_nOffsetX + c.dx) << c.name;
        EXPECT_DOUBLE_EQ(item.m_dY, c.y + item.m_nOffsetY) << c.name;
        EXPECT_DOUBLE_EQ(item.m_dRight, item.m_dX + item.m_nBoxW - 1) << c.name;
        EXPECT_EQ(item.m_nLifeFrames, c.lifeFrames) << c.name;
    }
}

TEST_F(PlacementTest, SpawnBlockTakesTheNearestCell) {
    SetUpStage();
    struct Case {
        double x, y;
        int column, row;
    };
    const Case cases[] = {
        {640, 480, 20, 15}, {624, 464, 20, 15},  // half a block up and left still rounds to it
        {623, 463, 19, 14}, {655.4, 495.4, 20, 15}, {656, 496, 21, 16},
    };
    for (const Case& c : cases) {
        cEdShot params;
        game->SpawnBlock(c.x, c.y, params, SolidBlock(40));
        EXPECT_EQ(Cell(c.column, c.row).nGraphic, 40) << c.x << "," << c.y;
        Cell(c.column, c.row) = cBlock();
    }
}

TEST_F(PlacementTest, SpawnBlockPlacesOrErasesByMode) {
    SetUpStage();
    cEdBlock empty;
    empty.nGraphic = 0;
    empty.nHitType = kHitNone;
    empty.strName = "common empty";
    EdCommonPalette.vecBlock.Clear();
    EdCommonPalette.vecBlock.push_back(empty);

    cBlock& cell = Cell(20, 15);
    cell.m_bLatch = 1;
    cEdShot params;
    params.nBlockSummonMode = 0;
    cEdBlock block = SolidBlock(6);
    block.strName = "summoned";
    game->SpawnBlock(640, 480, params, block);
    EXPECT_EQ(cell.nGraphic, 6);
    EXPECT_EQ(cell.nHitType, kHitSolid);
    EXPECT_EQ(cell.strName, "summoned");
    EXPECT_EQ(cell.m_bLatch, 0);

    cell.m_bLatch = 1;
    params.nBlockSummonMode = 1;
    game->SpawnBlock(640, 480, params, block);
    EXPECT_EQ(cell.nGraphic, 0);
    EXPECT_EQ(cell.nHitType, kHitNone);
    EXPECT_EQ(cell.strName, "common empty");
    EXPECT_EQ(cell.m_bLatch, 0);

    // An unknown mode leaves the cell alone.
    params.nBlockSummonMode = 3;
    game->SpawnBlock(640, 480, params, block);
    EXPECT_EQ(cell.strName, "common empty");
}

TEST_F(PlacementTest, ToggleChangesACellOnlyOncePerSummon) {
    SetUpStage();
    cEdBlock empty;
    empty.nHitType = kHitNone;
    empty.strName = "common empty";
    EdCommonPalette.vecBlock.Clear();
    EdCommonPalette.vecBlock.push_back(empty);
    cBlock& cell = Cell(20, 15);
    cell.CopyBlock(SolidBlock(5));
    const int index = Index(20, 15);

    cEdShot params;
    params.nBlockSummonMode = 2;
    game->m_vecSummonedBlock.Clear();
    game->SpawnBlock(640, 480, params, SolidBlock(6));  // a block is there: erased
    game->SpawnBlock(640, 480, params, SolidBlock(6));  // the same summon: no change
    EXPECT_EQ(cell.nGraphic, 0);
    EXPECT_EQ(cell.strName, "common empty");
    EXPECT_EQ(std::vector<int>(game->m_vecSummonedBlock.begin(), game->m_vecSummonedBlock.end()),
              std::vector<int>{index});

    // The next summon: the empty cell gets the block.
    game->m_vecSummonedBlock.Clear();
    game->SpawnBlock(640, 480, params, SolidBlock(6));
    game->SpawnBlock(640, 480, params, SolidBlock(6));
    EXPECT_EQ(cell.nGraphic, 6);
    EXPECT_EQ(game->m_vecSummonedBlock.Size(), 1u);

    // A toggle that puts a block over the hero with the refusal set is taken back and not
    // recorded, so the cell stays free for the rest of the summon.
    cHeroActor& hero = Player[0];
    const int heroColumn = static_cast<int>(hero.m_dX) >> 5;
    const int heroRow = static_cast<int>(hero.m_dY) >> 5;
    params.bNoSummonOnHero = 1;
    game->m_vecSummonedBlock.Clear();
    game->SpawnBlock(heroColumn * 32, heroRow * 32, params, SolidBlock(6));
    EXPECT_EQ(Cell(heroColumn, heroRow).nGraphic, 0);
    EXPECT_TRUE(game->m_vecSummonedBlock.empty());
}

TEST_F(PlacementTest, GuardedCellsKeepTheirBlock) {
    SetUpStage();
    struct Case {
        int compat;  // the System's block-guard setting
        int guarded;
        int graphic;  // what the cell holds
        bool changed;
    };
    const Case cases[] = {
        {1, 1, 0, false}, {1, 1, 5, false},  // always guarded
        {0, 1, 5, false}, {0, 1, 0, true},   // guarded only while a block is there
        {0, 0, 5, true},  {1, 0, 5, true},
    };
    for (const Case& c : cases) {
        EdSystem.bCompat637 = c.compat;
        cBlock& cell = Cell(20, 15);
        cell = cBlock();
        cell.nGraphic = static_cast<std::int16_t>(c.graphic);
        cell.bProtected = static_cast<std::int8_t>(c.guarded);
        for (int mode : {0, 1}) {
            cEdShot params;
            params.nBlockSummonMode = static_cast<std::int8_t>(mode);
            game->SpawnBlock(640, 480, params, SolidBlock(6));
            if (c.changed) break;  // the cell now differs; the erase mode is covered above
            EXPECT_EQ(cell.nGraphic, c.graphic) << c.compat << c.guarded << c.graphic << mode;
        }
        if (c.changed) {
            EXPECT_EQ(cell.nGraphic, 6) << c.compat << c.guarded << c.graphic;
        }
    }
}

TEST_F(PlacementTest, BlockOverTheHeroHoldsItsCrushAndIsTakenBackWhenRefused) {
    SetUpStage();
    cHeroActor& hero = Player[0];
    // The hero's box (392.5 .. 407.5, 712 .. 735) lies in map cell (12, 22).
    ASSERT_EQ(static_cast<int>(hero.m_dX) >> 5, 12);
    ASSERT_EQ(static_cast<int>(hero.m_dY) >> 5, 22);
    struct Case {
        const char* name;
        int refuseHero, refuseChara;
        int hitType;
        int graphic, latch, hold;
    };
    const Case cases[] = {
        {"refused", 1, 0, kHitSolid, 9, 1, 2},
        {"placed", 0, 0, kHitSolid, 6, 0, 2},
        {"refused for characters only", 0, 1, kHitSolid, 6, 0, 2},
        {"not solid", 1, 0, kHitNone, 6, 0, 0},
    };
    for (const Case& c : cases) {
        cBlock& cell = Cell(12, 22);
        cell = cBlock();
        cell.nGraphic = 9;
        cell.m_bLatch = 1;
        hero.m_nHoldFrames = 0;
        cEdShot params;
        params.bNoSummonOnHero = static_cast<std::int8_t>(c.refuseHero);
        params.bNoSummonOnChara = static_cast<std::int8_t>(c.refuseChara);
        cEdBlock block = SolidBlock(6);
        block.nHitType = static_cast<std::int8_t>(c.hitType);
        game->SpawnBlock(12 * 32, 22 * 32, params, block);
        EXPECT_EQ(cell.nGraphic, c.graphic) << c.name;
        EXPECT_EQ(cell.m_bLatch, c.latch) << c.name;
        EXPECT_EQ(hero.m_nHoldFrames, c.hold) << c.name;
    }
}

TEST_F(PlacementTest, OverlapIsTestedOnTheClosedSquareOfTheCell) {
    SetUpStage();
    const int column = 40;
    const int row = 10;
    cBlock& cell = Cell(column, row);
    cell.CopyBlock(SolidBlock(6));
    cHeroActor& hero = Player[0];
    struct Case {
        double left;
        int result;
    };
    // The square is 1280 .. 1311.9 across; the hero's box is 16 dots wide.
    const Case cases[] = {
        {1311.9, 1}, {1311.95, 0}, {1312, 0}, {1280 - 15, 1}, {1280 - 15.05, 0},
    };
    for (const Case& c : cases) {
        hero.m_dX = c.left;
        hero.m_dRight = c.left + 15;
        hero.m_dY = 330;
        hero.m_dBottom = 353;
        hero.m_nHoldFrames = 0;
        cEdShot params;
        params.bNoSummonOnHero = 1;
        EXPECT_EQ(game->CheckBlockOverlap(Index(column, row), column, row, params), c.result)
            << c.left;
        EXPECT_EQ(hero.m_nHoldFrames, c.result ? 2 : 0) << c.left;
    }
    // Vertically the same: the hero's bottom on the square's top edge, or its top 0.1 below.
    cEdShot params;
    params.bNoSummonOnHero = 1;
    hero.m_dX = 1290;
    hero.m_dRight = 1305;
    hero.m_dY = 320 - 23;
    hero.m_dBottom = 320;
    EXPECT_EQ(game->CheckBlockOverlap(Index(column, row), column, row, params), 1);
    hero.m_dY = 352;
    hero.m_dBottom = 375;
    EXPECT_EQ(game->CheckBlockOverlap(Index(column, row), column, row, params), 0);
    // A dying hero is passed over.
    hero.m_dY = 330;
    hero.m_dBottom = 353;
    hero.m_bDying = 1;
    hero.m_nHoldFrames = 0;
    EXPECT_EQ(game->CheckBlockOverlap(Index(column, row), column, row, params), 0);
    EXPECT_EQ(hero.m_nHoldFrames, 0);
}

TEST_F(PlacementTest, OverlapCountsOnlyPresentLivingCharacters) {
    SetUpStage();
    const int column = 40;
    const int row = 10;
    Cell(column, row).CopyBlock(SolidBlock(6));
    std::int32_t serial = 1;
    ASSERT_EQ(game->PlaceChara(CharaList, 5, 12, serial, Walker(), nullptr), 0);
    ASSERT_EQ(CharaList.Size(), 1u);
    cCharaActor& chara = *CharaList.begin();
    chara.m_dX = 1290;
    chara.m_dRight = 1305;
    chara.m_dY = 330;
    chara.m_dBottom = 353;
    struct Case {
        int present, dying, refuse;
        int result, hold;
    };
    const Case cases[] = {
        {1, 0, 1, 1, 2},
        {1, 0, 0, 0, 2},
        {0, 0, 1, 0, 0},
        {1, 1, 1, 0, 0},
    };
    for (const Case& c : cases) {
        chara.m_bPresent = c.present;
        chara.m_bDying = c.dying;
        chara.m_nHoldFrames = 0;
        cEdShot params;
        params.bNoSummonOnChara = static_cast<std::int8_t>(c.refuse);
        EXPECT_EQ(game->CheckBlockOverlap(Index(column, row), column, row, params), c.result)
            << c.present << c.dying << c.refuse;
        EXPECT_EQ(chara.m_nHoldFrames, c.hold) << c.present << c.dying << c.refuse;
    }
    // A block the character's group passes through does not cover it.
    Cell(column, row).nExemptSide = 1;
    chara.m_bPresent = 1;
    chara.m_bDying = 0;
    cEdShot params;
    params.bNoSummonOnChara = 1;
    EXPECT_EQ(game->CheckBlockOverlap(Index(column, row), column, row, params), 0);
}

TEST_F(PlacementTest, SummonedBlockOverACharacterIsRefusedOnlyWithTheCharacterFlag) {
    SetUpStage();
    std::int32_t serial = 1;
    ASSERT_EQ(game->PlaceChara(CharaList, 10, 12, serial, Walker(), nullptr), 0);
    cCharaActor& chara = *CharaList.begin();
    chara.m_bPresent = 1;
    const int column = static_cast<int>(chara.m_dX) >> 5;
    const int row = static_cast<int>(chara.m_dY) >> 5;
    for (int refuse : {1, 0}) {
        Cell(column, row) = cBlock();
        chara.m_nHoldFrames = 0;
        cEdShot params;
        params.bNoSummonOnHero = 1;  // no hero there: does not decide
        params.bNoSummonOnChara = static_cast<std::int8_t>(refuse);
        game->SpawnBlock(column * 32, row * 32, params, SolidBlock(6));
        EXPECT_EQ(Cell(column, row).nGraphic, refuse ? 0 : 6) << refuse;
        EXPECT_EQ(chara.m_nHoldFrames, 2) << refuse;
    }
}

}  // namespace

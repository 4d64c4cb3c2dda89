// The stage set-up on the generated sample stage: the lists and serial numbers rebuilt at
// every attempt, the hero on its block with the view centred on it, the scroll axes and the
// block map, the characters and items with multi-placement and carried items, the group
// lists, the hit-tick table, the time limit, the music request rule, the checkpoint and the
// failed set-up of a stage too large to hold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/cp932.h"
#include "platform/host_path.h"
#include "scene/scene_fixture.h"
#include "stage/block_map.h"
#include "stage/sample_forest.h"
#include "stage/stage_objects.h"

namespace {

// The sample's first stage as loaded for play: made and read once, handed to every test.
// forest-1: 40 × 15 blocks; hero (2, 12); walker (12, 12) and flyer (18, 6), both group 1,
// and the goal (37, 12) of the hero's group 0; coins at (9, 8) and (10, 8), a heart at
// (16, 11).
constexpr int kWidth = 40;
constexpr int kHeight = 15;
constexpr int kWalker = 1;  // index in the placed-character list
constexpr int kHeart = 2;   // index in the item-placement list

class StageSetupTest : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        ASSERT_TRUE(UseSampleForest());
        // The sample stages store no extents, which would put everything beyond the first 640
        // dots outside the stage; a stage's extents are its size in dots, so that the whole
        // map with its margins is the stage.
        SetSize(kWidth, kHeight);
        SceneMgr.PrepareScene(SCENE_GAME);
        game = lpGame;
        ASSERT_NE(game, nullptr);
    }
    void TearDown() override { TearDownWorld(); }

    // Settings go to both records: a retry copies them from the loaded stage.
    static void SetSize(int width, int height) {
        for (cEdStage* s : {&EdStage, &EdStageWork}) {
            s->nWidth = width;
            s->nHeight = height;
            s->nExtentX = width * kBlockDots;
            s->nExtentY = height * kBlockDots;
        }
    }
    void Attempt(int restart = 1, int fresh = 1) {
        game->SetStage(restart, fresh);
        ASSERT_FALSE(game->SetStageFailed());
    }
    static std::vector<int> CharaSerials() {
        std::vector<int> out;
        for (const cCharaActor& c : CharaList) out.push_back(c.m_nSerial);
        return out;
    }
    static std::vector<int> ItemSerials() {
        std::vector<int> out;
        for (const cItemObject& i : ItemList) out.push_back(i.m_nSerial);
        return out;
    }
    static std::vector<double> CharaXs() {
        std::vector<double> out;
        for (const cCharaActor& c : CharaList) out.push_back(c.m_dX);
        return out;
    }
    // The map cell of stage block (x, y).
    static cBlock& CellOf(int x, int y) {
        return BlockMap.Cell(BlockMap.CellIndex(x + 10, y + 10));
    }

    cGameScene* game = nullptr;
};

TEST_F(StageSetupTest, EveryAttemptRebuildsTheListsAndCountsSerialsFromZero) {
    Attempt();
    EXPECT_EQ(Player.Size(), 1u);
    EXPECT_EQ(game->m_nPlayers, 1);
    EXPECT_EQ(Player[0].m_nSerial, 0);
    EXPECT_EQ(CharaSerials(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(ItemSerials(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(game->m_nCharaSerial, 4);
    EXPECT_EQ(game->m_nItemSerial, 3);

    // What a failed attempt leaves behind.
    CharaList.Add();
    ItemList.Add();
    game->m_vecGroupList[5].push_back(&Player[0]);
    game->m_nCharaSerial = 40;
    game->m_nItemSerial = 41;
    game->m_nShotSerial = 42;
    game->m_vecStageVar[7] = 9;
    game->m_vecGroupFlag[3] = 1;
    game->m_nFrame = 11;
    game->m_nStageResult = 2;
    game->m_nCaptionFrames = 5;
    game->m_nTick = 4;
    game->m_nNextStage = 1;
    game->m_listEffect.emplace_back();

    Attempt(1, 0);
    EXPECT_EQ(Player.Size(), 1u);
    EXPECT_EQ(Player[0].m_nSerial, 0);
    EXPECT_EQ(CharaSerials(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(ItemSerials(), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(game->m_nShotSerial, 0);
    EXPECT_EQ(game->m_vecGroupList.Size(), 8u);
    EXPECT_TRUE(game->m_vecGroupList[5].empty());
    EXPECT_EQ(game->m_vecStageVar.Size(), 255u);
    EXPECT_EQ(game->m_vecStageVar[7], 0);
    EXPECT_EQ(game->m_vecGroupFlag.Size(), 60u);
    EXPECT_EQ(game->m_vecGroupFlag[3], 0);
    EXPECT_EQ(game->m_nFrame, 0);
    EXPECT_EQ(game->m_nStageResult, 0);
    EXPECT_EQ(game->m_nCaptionFrames, 0);
    EXPECT_EQ(game->m_nTick, 0);
    EXPECT_EQ(game->m_nNextStage, 0);
    EXPECT_TRUE(game->m_listEffect.empty());
}

TEST_F(StageSetupTest, HeroStandsOnItsBlockCentredAcrossIt) {
    // The hero's box is 16 × 24, on the bottom of its cell.
    struct Case {
        int offsetX, offsetY;  // the record's placement offsets of copy 0
        double x, y;
    };
    const Case cases[] = {
        {0, 0, (2 + 10) * 32 + 8 + 0.5, (12 + 10) * 32 + 32 - 24},
        {5, -3, (2 + 10) * 32 + 8 + 0.5 + 5, (12 + 10) * 32 + 32 - 24 - 3},
    };
    for (const Case& c : cases) {
        cEdChara& record = EdStageWork.vecChara[EdStageWork.FindHero()];
        record.nPlaceOffsetX = static_cast<std::int16_t>(c.offsetX);
        record.nPlaceOffsetY = static_cast<std::int16_t>(c.offsetY);
        Attempt();
        const cHeroActor& hero = Player[0];
        EXPECT_DOUBLE_EQ(hero.m_dX, c.x) << c.offsetX;
        EXPECT_DOUBLE_EQ(hero.m_dRight, c.x + 15) << c.offsetX;
        EXPECT_DOUBLE_EQ(hero.m_dY, c.y) << c.offsetX;
        EXPECT_DOUBLE_EQ(hero.m_dBottom, c.y + 23) << c.offsetX;
        EXPECT_EQ(hero.m_nGroup, 0);
    }
    // Without offsets the feet rest on the floor's top row (13).
    cEdChara& record = EdStageWork.vecChara[EdStageWork.FindHero()];
    record.nPlaceOffsetX = 0;
    record.nPlaceOffsetY = 0;
    Attempt();
    EXPECT_DOUBLE_EQ(Player[0].m_dBottom, (13 + 10) * 32 - 1);
}

TEST_F(StageSetupTest, WarpStartMovesTheHeroAndItsRecordForTheRestOfTheAttempt) {
    Progress.m_bWarpPos = 1;
    Progress.m_nWarpX = 20;
    Progress.m_nWarpY = 5;
    Progress.m_nWarpDir = 0;
    Attempt();
    const cHeroActor& hero = Player[0];
    EXPECT_DOUBLE_EQ(hero.m_dX, (20 + 10) * 32 + 8 + 0.5);
    EXPECT_DOUBLE_EQ(hero.m_dBottom, (5 + 10) * 32 + 31);
    const cEdChara& record = EdStageWork.vecChara[EdStageWork.FindHero()];
    EXPECT_EQ(record.nPlaceX, 20);
    EXPECT_EQ(record.nPlaceY, 5);
    EXPECT_EQ(record.nFacing, 0);
    // The next attempt without a warp starts from the changed record.
    Progress.m_bWarpPos = 0;
    Attempt(1, 0);
    EXPECT_DOUBLE_EQ(Player[0].m_dX, (20 + 10) * 32 + 8 + 0.5);
}

TEST_F(StageSetupTest, ViewIsCentredOnTheHeroWithinTheScrollLimits) {
    struct Case {
        const char* name;
        int column;
        int height;
        double viewX, viewY;
    };
    const Case cases[] = {
        // Near the top-left corner of a one-screen-high stage: the low limits.
        {"corner", 2, 15, 320, 320},
        // The hero's x 1128.5 − 320 + 8; y 712 − 240 + 12.
        {"middle", 25, 30, 816.5, 484},
        // Near the right wall: the right edge of the stage, 1600 − 640.
        {"right", 38, 15, 960, 320},
    };
    for (const Case& c : cases) {
        SetSize(kWidth, c.height);
        EdStageWork.vecChara[EdStageWork.FindHero()].nPlaceX = static_cast<std::int16_t>(c.column);
        Attempt();
        EXPECT_DOUBLE_EQ(game->m_ScrollX.m_dPos, c.viewX) << c.name;
        EXPECT_DOUBLE_EQ(game->m_ScrollY.m_dPos, c.viewY) << c.name;
        // The screen rectangle follows the new view.
        const cHeroActor& hero = Player[0];
        EXPECT_EQ(hero.m_rcScreen.left,
                  static_cast<int>(hero.m_dX - hero.m_nOffsetX - static_cast<int>(c.viewX)))
            << c.name;
        EXPECT_EQ(hero.m_rcScreen.top,
                  static_cast<int>(hero.m_dY - hero.m_nOffsetY - static_cast<int>(c.viewY)))
            << c.name;
    }
}

TEST_F(StageSetupTest, AxesAndBlockMapTakeTheStageSize) {
    struct Case {
        int width, height;
        int shift;  // the bit length of width + 19
    };
    const Case cases[] = {{40, 15, 6}, {44, 15, 6}, {45, 20, 7}, {12, 15, 5}};
    for (const Case& c : cases) {
        SetSize(c.width, c.height);
        Attempt();
        const ScrollAxis& x = game->m_ScrollX;
        const ScrollAxis& y = game->m_ScrollY;
        EXPECT_EQ(x.m_nAxis, kAxisHorizontal);
        EXPECT_EQ(x.m_nView, 640);
        EXPECT_EQ(x.m_nMargin, 10);
        EXPECT_EQ(x.m_nBlocks, c.width + 20) << c.width;
        EXPECT_EQ(x.m_nShift, c.shift) << c.width;
        EXPECT_EQ(x.m_nPitch, 1 << c.shift) << c.width;
        EXPECT_EQ(x.m_nExtent, c.width * 32 + 640) << c.width;
        EXPECT_EQ(x.m_nAreaLow, 320);
        EXPECT_EQ(x.m_nAreaHigh, (c.width + 10) * 32) << c.width;
        EXPECT_EQ(x.m_nLow, 320);
        EXPECT_EQ(x.m_nHigh, (c.width + 10) * 32) << c.width;
        EXPECT_EQ(y.m_nAxis, kAxisVertical);
        EXPECT_EQ(y.m_nView, 480);
        EXPECT_EQ(y.m_nMargin, 10);
        EXPECT_EQ(y.m_nBlocks, c.height + 20) << c.height;
        EXPECT_EQ(y.m_nPitch, c.height + 20) << c.height;
        EXPECT_EQ(y.m_nShift, 0);
        EXPECT_EQ(y.m_nExtent, c.height * 32 + 640) << c.height;
        EXPECT_EQ(y.m_nAreaHigh, (c.height + 10) * 32) << c.height;
        EXPECT_EQ(BlockMap.Shift(), c.shift) << c.width;
        EXPECT_EQ(BlockMap.CellCount(), (1 << c.shift) * (c.height + 20)) << c.width;
    }
}

TEST_F(StageSetupTest, AxesTakeTheStageLimitsAndAutoScroll) {
    EdStage.bScrollLimitLeft = 1;
    EdStage.nScrollLimitLeft = 3;
    EdStage.bScrollLimitRight = 1;
    EdStage.nScrollLimitRight = 30;
    EdStage.bScrollLimitBottom = 1;
    EdStage.nScrollLimitBottom = 14;
    EdStage.nScrollKindX = 1;
    EdStage.nAutoScrollX = 20;  // two dots a frame over the 10 ticks
    Attempt();
    EXPECT_EQ(game->m_ScrollX.m_nLow, 320 + 3 * 32);
    EXPECT_EQ(game->m_ScrollX.m_nHigh, 320 + 31 * 32);
    EXPECT_EQ(game->m_ScrollY.m_nLow, 320);
    EXPECT_EQ(game->m_ScrollY.m_nHigh, 320 + 15 * 32);
    EXPECT_EQ(game->m_ScrollX.m_bAuto, 1);
    EXPECT_DOUBLE_EQ(game->m_ScrollX.m_dAutoSpeed, 0.2);
    EXPECT_EQ(game->m_ScrollY.m_bAuto, 0);
    // The view starts at the raised low limit.
    EXPECT_DOUBLE_EQ(game->m_ScrollX.m_dPos, 416);
}

TEST_F(StageSetupTest, BlockMapHoldsThePlacedBlocksAndTheLaterOfTwoWins) {
    cEdBlock first;
    first.nGraphic = 7;
    first.nHitType = 0;
    first.nPlaceX = 5;
    first.nPlaceY = 5;
    cEdBlock second = first;
    second.nGraphic = 8;
    second.nHitType = 2;
    EdStageWork.vecBlock.push_back(first);
    EdStageWork.vecBlock.push_back(second);
    // The same pair the other way round at another cell.
    second.nPlaceX = first.nPlaceX = 6;
    EdStageWork.vecBlock.push_back(second);
    EdStageWork.vecBlock.push_back(first);
    Attempt();

    struct Case {
        int x, y;
        int graphic, hitType;
    };
    const Case cases[] = {
        {5, 5, 8, 2},   {6, 5, 7, 0},                         // the later record wins
        {0, 4, 2, 1},   {kWidth - 1, 4, 2, 1},                // walls
        {3, 13, 1, 1},  {20, 13, 0, 0},                       // floor and a pit
        {14, 12, 3, 2}, {-10, -10, 0, 0},      {5, 4, 0, 0},  // spikes, the margin, open air
    };
    for (const Case& c : cases) {
        cBlock& cell = CellOf(c.x, c.y);
        EXPECT_EQ(cell.nGraphic, c.graphic) << c.x << "," << c.y;
        EXPECT_EQ(cell.nHitType, c.hitType) << c.x << "," << c.y;
        EXPECT_EQ(cell.m_bLatch, 0) << c.x << "," << c.y;
    }
}

TEST_F(StageSetupTest, RetryBringsBackTheSettingsButKeepsThePlacements) {
    for (int restart : {1, 0}) {
        Attempt();
        // What commands change during an attempt, and a placement moved in the working copy.
        EdStageWork.nAutoScrollX = 77;
        EdStageWork.nTimeLimit = 5;
        EdStageWork.vecBackground[0].strImage = "changed.bmp";
        EdStageWork.AreaLimit[0].bLeftOn = 1;
        EdStageWork.vecChara[kWalker].nPlaceX = 5;
        const std::size_t blocks = EdStageWork.vecBlock.Size();
        Attempt(restart, 0);
        const bool restored = restart == 1;
        EXPECT_EQ(EdStageWork.nAutoScrollX, restored ? EdStage.nAutoScrollX : 77) << restart;
        EXPECT_EQ(EdStageWork.nTimeLimit, restored ? 200 : 5) << restart;
        EXPECT_EQ(game->m_nTime, restored ? 200 : 5) << restart;
        EXPECT_EQ(EdStageWork.vecBackground[0].strImage,
                  restored ? "bmp\\back\\Back1.bmp" : "changed.bmp")
            << restart;
        EXPECT_EQ(game->m_bRemoveOutsideChara, restored ? 0 : 1) << restart;
        // The placement lists belong to the working copy alone.
        EXPECT_EQ(EdStageWork.vecBlock.Size(), blocks) << restart;
        EXPECT_EQ(EdStageWork.vecChara[kWalker].nPlaceX, 5) << restart;
        ASSERT_EQ(CharaList.Size(), 3u) << restart;
        EXPECT_DOUBLE_EQ(CharaList.begin()->m_dHomeX, (5 + 10) * 32 + 16) << restart;
        EdStageWork = SampleForest().work;
        EdStage = SampleForest().stage;
        SetSize(kWidth, kHeight);
    }
}

TEST_F(StageSetupTest, AreaLimitsOneToThreeDecideTheAreaRemoval) {
    EdStage.AreaLimit[1].bBottomOn = 1;
    EdStage.AreaLimit[2].bTopOn = 1;
    EdStage.AreaLimit[3].bLeftOn = 1;  // not one of the three
    Attempt();
    EXPECT_EQ(game->m_bRemoveOutsideChara, 0);
    EXPECT_EQ(game->m_bRemoveOutsideBlockChara, 1);
    EXPECT_EQ(game->m_bRemoveOutsideItem, 1);
}

TEST_F(StageSetupTest, CopiesOutsideTheStageAreNotMadeAndTakeNoSerial) {
    struct Case {
        const char* name;
        int offsetX, stepX;
        std::vector<double> walkerXs;  // the copies that were made
    };
    const double x0 = (12 + 10) * 32 + 8 + 0.5;
    const Case cases[] = {
        {"all inside", 0, 64, {x0, x0 + 64, x0 + 128}},
        // The third copy's right edge passes the far edge of the map (1920).
        {"last outside", 0, 600, {x0, x0 + 600}},
        // The first copy lies left of the map.
        {"first outside", -800, 600, {x0 - 200, x0 + 400}},
    };
    for (const Case& c : cases) {
        cEdChara& walker = EdStageWork.vecChara[kWalker];
        walker.nClones = 2;
        walker.nPlaceOffsetX = static_cast<std::int16_t>(c.offsetX);
        walker.nPlaceStepX = static_cast<std::int16_t>(c.stepX);
        Attempt();
        std::vector<double> xs = CharaXs();
        ASSERT_EQ(xs.size(), c.walkerXs.size() + 2) << c.name;
        xs.pop_back();  // the goal
        xs.pop_back();  // the flyer
        EXPECT_EQ(xs, c.walkerXs) << c.name;
        std::vector<int> serials;
        for (int i = 1; i <= static_cast<int>(c.walkerXs.size()) + 2; ++i) serials.push_back(i);
        EXPECT_EQ(CharaSerials(), serials) << c.name;
        EXPECT_EQ(game->m_nCharaSerial, static_cast<int>(serials.size()) + 1) << c.name;
    }
}

TEST_F(StageSetupTest, CarriedItemTakesItsPlacementOffTheStage) {
    EdStageWork.vecChara[kWalker].nPlaceValue = kHeart;
    Attempt();
    ASSERT_EQ(CharaList.Size(), 3u);
    const cCharaActor& walker = *CharaList.begin();
    const cCharaActor& flyer = *std::next(CharaList.begin());
    EXPECT_EQ(walker.m_CarriedItem.m_Item.nGraphic, 2);
    EXPECT_EQ(walker.m_CarriedItem.m_bCarried, 1);
    // The carried item is prepared first and takes the first item serial.
    EXPECT_EQ(walker.m_CarriedItem.m_nSerial, 0);
    EXPECT_EQ(flyer.m_CarriedItem.m_Item.nGraphic, 0);
    // Only the two coins lie in the stage.
    EXPECT_EQ(ItemSerials(), (std::vector<int>{1, 2}));
    for (const cItemObject& item : ItemList) EXPECT_EQ(item.m_Item.nGraphic, 1);
    EXPECT_EQ(game->m_nItemSerial, 3);
}

TEST_F(StageSetupTest, GroupListsHoldTheHeroFirstThenCharactersInListOrder) {
    // The walker joins the hero's group, where the goal stands; the flyer stays in group 1.
    EdStageWork.vecChara[kWalker].nSide = 0;
    Attempt();
    const cCharaActor* walker = &*CharaList.begin();
    const cCharaActor* flyer = &*std::next(CharaList.begin());
    const cCharaActor* goal = &*std::next(CharaList.begin(), 2);
    const std::vector<cActorBase*> group0(game->m_vecGroupList[0].begin(),
                                          game->m_vecGroupList[0].end());
    const std::vector<cActorBase*> group1(game->m_vecGroupList[1].begin(),
                                          game->m_vecGroupList[1].end());
    EXPECT_EQ(group0, (std::vector<cActorBase*>{&Player[0], const_cast<cCharaActor*>(walker),
                                                const_cast<cCharaActor*>(goal)}));
    EXPECT_EQ(group1, (std::vector<cActorBase*>{const_cast<cCharaActor*>(flyer)}));
    for (int g = 2; g < 8; ++g) EXPECT_TRUE(game->m_vecGroupList[g].empty()) << g;
}

TEST_F(StageSetupTest, HitTicksSpreadTheHitTestsOverTheFrame) {
    struct Case {
        int level;
        int frequency;
        int b;
        std::vector<int> ticks;
    };
    const Case cases[] = {
        {10, 0, 10, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {10, 1, 10, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {10, 3, 10, {1, 0, 0, 1, 0, 0, 1, 0, 0, 0}},
        {10, 4, 10, {1, 0, 1, 0, 0, 1, 0, 1, 0, 0}},
        {10, 10, 10, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1}},
        {5, 7, 5, {1, 1, 1, 1, 1}},  // more than b: every tick
        {13, 2, 3, {1, 1, 0}},       // the fine levels: b = level − 10
        {13, 0, 3, {1, 1, 1}},
        {0, 3, 0, {}},  // no ticks at all
        {-2, 0, -2, {}},
        // A negative frequency (a damaged file) must not step backwards forever.
        {10, -1, 10, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        EdStage.nLevel = c.level;
        EdStage.nHitFrequency = c.frequency;
        Attempt();
        EXPECT_EQ(EdStageWork.speed.nSubSteps, c.b) << c.level << " " << c.frequency;
        const std::vector<int> ticks(game->m_vecHitTicks.begin(), game->m_vecHitTicks.end());
        EXPECT_EQ(ticks, c.ticks) << c.level << " " << c.frequency;
    }
}

TEST_F(StageSetupTest, TimeLimitSetsTheClock) {
    struct Case {
        int flag, limit;
        int time, noLimit;
    };
    for (const Case& c : {Case{1, 200, 200, 0}, Case{1, 35, 35, 0}, Case{0, 35, 999, 1}}) {
        EdStage.bTimeLimit = c.flag;
        EdStage.nTimeLimit = c.limit;
        game->m_nPlayFrames = 50;
        game->m_nPlayTime = 3;
        Attempt();
        EXPECT_EQ(game->m_nTime, c.time) << c.flag << " " << c.limit;
        EXPECT_EQ(game->m_bNoTimeLimit, c.noLimit) << c.flag << " " << c.limit;
        EXPECT_EQ(game->m_nPlayFrames, 0);
        EXPECT_EQ(game->m_nPlayTime, 0);
    }
}

TEST_F(StageSetupTest, MusicIsRequestedByTheKeepRule) {
    struct Case {
        const char* name;
        int fresh, keep, playing, music;
        int request;  // the music number asked for, −1 for no request
    };
    const Case cases[] = {
        {"next stage, same tune kept", 1, 1, 3, 3, -1},
        {"next stage, silence kept still stops", 1, 1, 0, 0, 0},
        {"next stage, other tune", 1, 1, 2, 3, 3},
        {"next stage, no keep", 1, 0, 3, 3, 3},
        {"lost life, same tune", 0, 0, 3, 3, -1},
        {"lost life, same tune, keep", 0, 1, 3, 3, -1},
        {"lost life, same silence", 0, 1, 0, 0, -1},
        {"lost life, other tune", 0, 0, 2, 3, 3},
    };
    for (const Case& c : cases) {
        EdStage.bBgmKeep = c.keep;
        EdStage.nBgm = c.music;
        EdStage.nBgmParam = 1;
        Progress.m_nStageBgm = c.playing;
        Progress.m_bBgmLoop = 7;
        SceneMgr.m_nBgmPlaying = 5;
        SentMessages().clear();
        Attempt(1, c.fresh);
        const auto sent = Requests(WM_USER_PLAYBGM);
        if (c.request < 0) {
            EXPECT_TRUE(sent.empty()) << c.name;
            EXPECT_EQ(Progress.m_bBgmLoop, 7) << c.name;
        } else {
            EXPECT_EQ(
                sent,
                (std::vector<std::pair<int, int>>{{static_cast<int>(kBgmStageMusic), c.request}}))
                << c.name;
            EXPECT_EQ(Progress.m_bBgmLoop, 1) << c.name;
        }
        EXPECT_EQ(SceneMgr.m_nBgmPlaying, 0) << c.name;
    }
}

TEST_F(StageSetupTest, AttemptSavesTheCheckpointAndStartsInputAndFrameRateAfresh) {
    struct Case {
        int editor, testPlay;
        bool resultsCleared;
    };
    for (const Case& c : {Case{0, 0, false}, Case{0, 1, false}, Case{1, 1, true}}) {
        bEditorLaunch = c.editor;
        bTestPlay = c.testPlay;
        Progress.m_nScore = 123;
        Progress.m_nStageScore = 40;
        Progress.m_nRestTime = 6;
        Progress.m_nRestHP = 8;
        Progress.m_nLives = 4;
        Progress.m_vecVariable[3] = 9;
        Progress.m_nCheckScore = -1;
        Progress.m_nCheckLives = -1;
        InputList[0].History.Push(kDirLeft, 1);
        InputList[0].History.Push(kDirRight, 0);
        EdStage.nFps = 30;
        EdStage.bStatusShown = 0;
        Attempt();
        const int score = c.resultsCleared ? 0 : 123;
        EXPECT_EQ(Progress.m_nScore, score) << c.editor << c.testPlay;
        EXPECT_EQ(Progress.m_nRestTime, c.resultsCleared ? 0 : 6) << c.editor << c.testPlay;
        EXPECT_EQ(Progress.m_nRestHP, c.resultsCleared ? 0 : 8) << c.editor << c.testPlay;
        EXPECT_EQ(Progress.m_nStageScore, 0);
        EXPECT_EQ(Progress.m_nCheckScore, score) << c.editor << c.testPlay;
        EXPECT_EQ(Progress.m_nCheckLives, 4);
        ASSERT_GT(Progress.m_vecCheckVariable.Size(), 3u);
        EXPECT_EQ(Progress.m_vecCheckVariable[3], 9);
        EXPECT_EQ(InputList[0].History.StateAt(0, 0), 0);
        EXPECT_EQ(InputList[0].History.StateAt(1, 1), 0);
        EXPECT_EQ(InputList[0].History.index[0], 0);
        EXPECT_EQ(SceneMgr.m_nFps, 30);
        EXPECT_EQ(game->m_nHudMode, 0);
    }
}

TEST_F(StageSetupTest, BackgroundOffsetsStartAtZero) {
    Attempt();
    EdStageWork.vecBackground[1].dOffsetX = 12.5;
    EdStageWork.vecBackground[1].dOffsetY = -3;
    Attempt(0, 0);
    EXPECT_EQ(EdStageWork.vecBackground[1].dOffsetX, 0);
    EXPECT_EQ(EdStageWork.vecBackground[1].dOffsetY, 0);
}

TEST_F(StageSetupTest, StageTooLargeToHoldEndsTheSetUpAndClosesTheProgram) {
    struct Case {
        int width, height;
    };
    for (const Case& c : {Case{20000, 15}, Case{40, -1}}) {
        SetSize(c.width, c.height);
        plat::ClearShownBoxes();
        SentMessages().clear();
        game->SetStage(1, 1);
        EXPECT_TRUE(game->SetStageFailed()) << c.width << "x" << c.height;
        const auto boxes = plat::ShownBoxes();
        ASSERT_EQ(boxes.size(), 1u) << c.width << "x" << c.height;
        EXPECT_EQ(plat::Utf8ToCp932(boxes[0].text),
                  "メモリ不足により、ステージの初期設定に失敗しました！");
        EXPECT_EQ(PendingCloses(), 1) << c.width << "x" << c.height;
    }
    // The next attempt at a stage that fits succeeds again.
    SetSize(kWidth, kHeight);
    plat::ClearShownBoxes();
    SentMessages().clear();
    Attempt();
    EXPECT_TRUE(plat::ShownBoxes().empty());
    EXPECT_EQ(PendingCloses(), 0);
}

}  // namespace

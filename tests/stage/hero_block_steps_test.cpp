// The hero's steps on the block under its feet, on a small scene built in code: the touch
// effects (jump pad, no jumping, speed change, conveyors) and the item block that gives on
// landing and again every second of standing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "data/common_palette.h"
#include "data/stage_record.h"
#include "scene/scene_fixture.h"
#include "stage/block_map.h"
#include "stage/hero_actor.h"
#include "stage/stage_objects.h"

namespace {

constexpr int kSeJumpPad = 10;
constexpr int kDataSeBase = 16;
constexpr int kItemSound = 3;
constexpr int kHeroGroup = 0;

enum Touch { kNone = 0, kJump = 1, kNoJump = 2, kSpeed = 3, kLeft = 4, kRight = 5 };

bool failConditions = false;
bool Conditions(cBlock&) {
    return !failConditions;
}

class HeroBlockStepsTest : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        ASSERT_TRUE(OpenDisplay(kSceneDisplays[2]));
        SceneMgr.m_nScene = SCENE_GAME;
        SceneMgr.PrepareScene(SCENE_GAME);
        game = lpGame;
        ASSERT_NE(game, nullptr);
        EdCommonPalette.vecItem.resize(2);
        cEdItem& prize = EdCommonPalette.vecItem[1];
        prize.nGraphic = 5;
        prize.nTakeSound = kItemSound;
        Fresh(10);
    }
    void TearDown() override {
        SetBlockConditionEvaluator(nullptr);
        failConditions = false;
        Player.Clear();
        BlockMap.Clear();
        TearDownWorld();
    }
    // A walking hero standing on cell (3, 5) of an empty map, at b ticks per frame.
    void Fresh(int b, double gravity = 1.0) {
        EdStageWork.dGravity = gravity;
        EdStageWork.SetGameSpeed(b);
        ASSERT_EQ(EdStageWork.speed.nSubSteps, b);
        ASSERT_TRUE(BlockMap.Build(20, 10));
        SetBlockConditionEvaluator(&Conditions);
        failConditions = false;
        Player.Reset(1);
        Hero().Init(0, 0, kHeroGroup, 1, nullptr, 0, 0, 0, 16, 24, 32, 32, 1, 0, 0);
        Hero().m_nHp = 10;
        StandOn(Cell(3, 5));
        SentMessages().clear();
    }
    static cHeroActor& Hero() { return Player[0]; }
    static cBlock& Cell(int col, int row) { return BlockMap.Cell(BlockMap.CellIndex(col, row)); }
    static cBlock& TouchBlock(int col, int row, int effect, int x) {
        cBlock& cell = Cell(col, row);
        cell.nHitType = kHitSolid;
        cell.nTouchEffect = static_cast<std::int8_t>(effect);
        cell.nTouchParam = x;
        return cell;
    }
    static cBlock& ItemBlock(int col, int row) {
        cBlock& cell = TouchBlock(col, row, kNone, 0);
        cell.nItemPalette = 1;
        cell.nItemIndex = 1;
        return cell;
    }
    // The hero stands on `cell`, and stood on it at the start of the tick as well.
    static void StandOn(cBlock& cell) {
        Hero().m_pStandBlock = &cell;
        Hero().m_pLastBlock = &cell;
        Hero().m_pPrevLastBlock = &cell;
    }
    static std::vector<int> Sounds() {
        std::vector<int> out;
        for (auto [w, l] : Requests(WM_USER_PLAYSE)) out.push_back(w);
        return out;
    }
    static int ItemsGiven() {
        int n = 0;
        for (int s : Sounds()) n += s == kDataSeBase + kItemSound;
        return n;
    }

    cGameScene* game = nullptr;
};

// ---- Touch effects ----

TEST_F(HeroBlockStepsTest, SpeedAndConveyorEffectsActInEachTickOfAFrameThenStartAgain) {
    struct Case {
        const char* name;
        int b;
        int effect, x;
        double vx, moveVX;      // before each tick
        double expVX, expMove;  // after each tick
    };
    const Case cases[] = {
        {"50 % at b 1", 1, kSpeed, 50, 3, 0, 1.5, 0},
        {"50 % at b 10", 10, kSpeed, 50, 3, 0, 1.5, 0},
        {"left X 10 at b 10, rightward move cancelled", 10, kLeft, 10, 0, 2, -0.1, 0},
        {"left X 10 at b 10, leftward move kept", 10, kLeft, 10, 0, -2, -0.1, -2},
        {"right X 10 at b 1, leftward move cancelled", 1, kRight, 10, 0, -2, 1.0, 0},
        {"right X 10 at b 10, rightward move kept", 10, kRight, 10, 0, 2, 0.1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh(c.b);
        StandOn(TouchBlock(3, 5, c.effect, c.x));
        for (int frame = 0; frame < 2; ++frame) {
            for (int t = 1; t <= c.b; ++t) {
                SCOPED_TRACE(t);
                cHeroActor& hero = Hero();
                hero.m_dVX = c.vx;
                hero.m_dMoveVX = c.moveVX;
                hero.m_dVY = 0;
                EXPECT_EQ(game->ApplyBlockTouch(hero), 0);
                EXPECT_NEAR(hero.m_dVX, c.expVX, 1e-12);
                EXPECT_EQ(hero.m_dMoveVX, c.expMove);
                EXPECT_EQ(hero.m_nTouchKind, c.effect);
                EXPECT_EQ(hero.m_nTouchTicks, c.b - t);
                // The effect's end lifts a hero that is not rising by one dot per tick.
                EXPECT_EQ(hero.m_dVY, t == c.b ? 1.0 : 0.0);
            }
        }
    }
}

TEST_F(HeroBlockStepsTest, EffectEndAddsOnlyToAVelocityThatIsNotRising) {
    for (double vy : {-2.0, 0.0, 0.5}) {
        SCOPED_TRACE(vy);
        Fresh(1);
        StandOn(TouchBlock(3, 5, kSpeed, 100));
        Hero().m_dVY = vy;
        game->ApplyBlockTouch(Hero());
        EXPECT_EQ(Hero().m_dVY, vy >= 0 ? vy + 1.0 : vy);
    }
}

TEST_F(HeroBlockStepsTest, JumpPadPlaysItsSoundLaunchesAndHoldsTheRise) {
    struct Case {
        const char* name;
        int b;
        double gravity;
        bool endless;
    };
    const Case cases[] = {
        {"b 1", 1, 1.0, false}, {"b 10", 10, 1.0, false}, {"no gravity", 10, 0.0, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fresh(c.b, c.gravity);
        StandOn(TouchBlock(3, 5, kJump, 6));
        cHeroActor& hero = Hero();
        hero.m_bJumpArmed = 1;
        EXPECT_EQ(game->ApplyBlockTouch(hero), 0);
        EXPECT_EQ(Sounds(), std::vector<int>{kSeJumpPad});
        const double v = hero.JumpSpeedForHbl(6);
        EXPECT_EQ(hero.m_dVY, v);
        EXPECT_EQ(hero.m_bJumping, 1);
        EXPECT_EQ(hero.m_bAirborne, 1);
        EXPECT_EQ(hero.m_bJumpArmed, 0);
        const double g = EdStageWork.speed.dStepGravity;
        if (c.endless) {
            EXPECT_EQ(hero.m_nJumpHold, 1 << 30);
        } else {
            ASSERT_GT(g, 0);
            EXPECT_LT(v, 0);
            EXPECT_EQ(hero.m_nJumpHold, static_cast<int>(std::trunc(c.b - v / g)));
        }
    }
}

TEST_F(HeroBlockStepsTest, NoJumpBlockBansJumpingUntilTheNextNewTouchOfAnotherSolidBlock) {
    StandOn(TouchBlock(3, 5, kNoJump, 0));
    game->ApplyBlockTouch(Hero());
    EXPECT_EQ(Hero().m_bJumpForbidden, 1);
    // A block that is not solid for the hero does not lift it.
    cBlock& exempt = TouchBlock(4, 5, kNone, 0);
    exempt.nExemptSide = kHeroGroup;
    StandOn(exempt);
    game->ApplyBlockTouch(Hero());
    EXPECT_EQ(Hero().m_bJumpForbidden, 1);
    // A plain solid block does.
    StandOn(TouchBlock(5, 5, kNone, 0));
    game->ApplyBlockTouch(Hero());
    EXPECT_EQ(Hero().m_bJumpForbidden, 0);
}

TEST_F(HeroBlockStepsTest, BlocksThatAreNotSolidForTheHeroAndFlyingHeroesAreLeftAlone) {
    struct Case {
        const char* name;
        bool exempt, failing, flying;
    };
    const Case cases[] = {{"exempt group", true, false, false},
                          {"conditions fail", false, true, false},
                          {"flying", false, false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (int effect : {kJump, kSpeed, kLeft}) {
            SCOPED_TRACE(effect);
            Fresh(10);
            cBlock& cell = TouchBlock(3, 5, effect, 50);
            if (c.exempt) cell.nExemptSide = kHeroGroup;
            if (c.failing) cell.vecCondition.resize(1);
            failConditions = c.failing;
            StandOn(cell);
            cHeroActor& hero = Hero();
            hero.m_bFlying = c.flying ? 1 : 0;
            // A flyer's running effect and item wait stay as they were.
            hero.m_nTouchKind = c.flying ? kRight : 0;
            hero.m_nTouchTicks = c.flying ? 4 : 0;
            hero.m_nItemBlockWait = 7;
            hero.m_dVX = 2;
            game->ApplyBlockTouch(hero);
            EXPECT_EQ(game->TakeBlockItem(hero), 0);
            EXPECT_EQ(hero.m_dVX, 2);
            EXPECT_EQ(hero.m_dVY, 0);
            EXPECT_EQ(hero.m_nTouchTicks, c.flying ? 4 : 0);
            EXPECT_TRUE(Sounds().empty());
            if (c.flying) {
                EXPECT_EQ(hero.m_nItemBlockWait, 7);
            }
        }
    }
    // Neither gives an item.
    for (bool exempt : {true, false}) {
        Fresh(10);
        cBlock& cell = ItemBlock(3, 5);
        if (exempt) cell.nExemptSide = kHeroGroup;
        StandOn(cell);
        Hero().m_bFlying = exempt ? 0 : 1;
        EXPECT_EQ(game->TakeBlockItem(Hero()), 0);
        EXPECT_EQ(ItemsGiven(), 0);
        EXPECT_EQ(Hero().m_nItemBlockWait, 0);
    }
}

// ---- Item blocks ----

TEST_F(HeroBlockStepsTest, ItemBlockGivesOnLandingAndAgainAfterExactlySixtyFramesOfTicks) {
    for (int b : {1, 10}) {
        SCOPED_TRACE(b);
        Fresh(b);
        StandOn(ItemBlock(3, 5));
        EXPECT_EQ(game->TakeBlockItem(Hero()), 0);
        EXPECT_EQ(ItemsGiven(), 1);
        EXPECT_EQ(Hero().m_nItemBlockWait, 60 * b - 1);
        int given = -1;
        for (int tick = 1; tick <= 60 * b && given < 0; ++tick) {
            game->TakeBlockItem(Hero());
            if (ItemsGiven() == 2) given = tick;
        }
        EXPECT_EQ(given, 60 * b);
    }
}

TEST_F(HeroBlockStepsTest, LeavingTheGroundOrSteppingOntoAnotherBlockEndsTheWait) {
    // Falling off ends it; landing again gives at once.
    StandOn(ItemBlock(3, 5));
    game->TakeBlockItem(Hero());
    game->TakeBlockItem(Hero());
    Hero().m_bFalling = 1;
    EXPECT_EQ(game->TakeBlockItem(Hero()), 0);
    EXPECT_EQ(Hero().m_nItemBlockWait, 0);
    Hero().m_bFalling = 0;
    game->TakeBlockItem(Hero());
    EXPECT_EQ(ItemsGiven(), 2);

    // Stepping onto an identical neighbour: the wait ends in that tick (and a hero that is
    // not rising is lifted), and the neighbour gives in the next.
    Fresh(10);
    cBlock& first = ItemBlock(3, 5);
    cBlock& second = ItemBlock(4, 5);
    StandOn(first);
    game->TakeBlockItem(Hero());
    Hero().m_pStandBlock = &second;
    Hero().m_pLastBlock = &second;
    EXPECT_EQ(game->TakeBlockItem(Hero()), 0);
    EXPECT_EQ(Hero().m_nItemBlockWait, 0);
    EXPECT_EQ(Hero().m_dVY, 1.0);
    EXPECT_EQ(ItemsGiven(), 1);
    StandOn(second);
    game->TakeBlockItem(Hero());
    EXPECT_EQ(ItemsGiven(), 2);
}

TEST_F(HeroBlockStepsTest, ItemResultReturnsAtOnceAndAMissingRecordGivesNothing) {
    EdCommonPalette.vecItem[1].vecItemCommand.resize(1);
    StandOn(ItemBlock(3, 5));
    Hero().m_nHp = 0;  // the item's commands find the hero without HP: result 2
    EXPECT_EQ(game->TakeBlockItem(Hero()), 2);
    EXPECT_EQ(Hero().m_nItemBlockWait, 0);

    Fresh(10);
    cBlock& cell = ItemBlock(3, 5);
    cell.nItemIndex = 9;  // no such entry
    StandOn(cell);
    EXPECT_EQ(game->TakeBlockItem(Hero()), 0);
    EXPECT_EQ(Hero().m_nItemBlockWait, 0);
    EXPECT_TRUE(Sounds().empty());
}

}  // namespace

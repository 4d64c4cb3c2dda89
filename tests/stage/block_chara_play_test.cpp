// Block characters in the play frame, on the generated sample stage forest-1 with block
// characters added in code: a crush kills the hero with "Dead 6" only once its hold
// countdown has run out, an ordinary character rides a platform in the frame's character
// pass, and a hero riding a platform that is removed leaves the ride.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "scene/scene_fixture.h"
#include "stage/block_chara_collision.h"
#include "stage/sample_forest.h"
#include "stage/stage_objects.h"

namespace {

// The placed walker of forest-1 and its record index.
constexpr int kWalkerSerial = 1;
constexpr int kWalkerRecord = 1;

class BlockCharaPlayTest : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        ASSERT_TRUE(OpenDisplay(kSceneDisplays[2]));
        ASSERT_TRUE(UseSampleForest());
        SceneMgr.m_nScene = SCENE_GAME;
        SceneMgr.m_nPlayMode = PLAYMODE_FREE;
        SceneMgr.PrepareScene(SCENE_GAME);
        game = lpGame;
        ASSERT_NE(game, nullptr);
        game->SetStage(0, 1);
        ASSERT_FALSE(game->SetStageFailed());
        game->m_nState = GAMESTATE_PLAY;
        SentMessages().clear();
    }
    void TearDown() override { TearDownWorld(); }

    void Frame(std::uint16_t buttons = 0) {
        InputList[0].wButton = buttons;
        InputList[0].wDir = 0;
        game->PlayFrame();
    }
    static cHeroActor& Hero() { return Player[0]; }
    static cCharaActor* FindChara(int serial) {
        for (cCharaActor& chara : CharaList)
            if (chara.m_nSerial == serial) return &chara;
        return nullptr;
    }
    // A flow-less block character that flies through blocks (so that it stays where it is
    // put) with its box's top-left corner at (x, y).
    static cCharaActor& AddBlockChara(int serial, double x, double y) {
        cEdChara record = EdStageWork.vecChara[kWalkerRecord];
        record.b32Mode = 1;
        record.nBlockCollision = 1;
        record.vecFlow.Clear();
        cCharaActor& chara = CharaList.Add();
        EXPECT_EQ(chara.Init(serial, record, nullptr, x, y, 0), 0);
        chara.m_dX = x;
        chara.m_dY = y;
        chara.OnMovedX();
        chara.OnMovedY();
        chara.SavePosition();
        return chara;
    }
    static std::string ErrorText() { return ReadFile("Error.txt"); }

    cGameScene* game = nullptr;
};

TEST_F(BlockCharaPlayTest, CrushByABlockCharacterWaitsForTheHoldCountdown) {
    // A block character over the whole hero: all four corners covered, a crush. The hold
    // counts down once per tick, before the crush test; while it runs the hero survives and
    // is pushed out instead.
    struct Case {
        int hold;
        bool dies;
    };
    const Case cases[] = {{0, true}, {1, true}, {2, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hold);
        EdStageWork = SampleForest().work;
        game->SetStage(0, 1);
        game->m_nState = GAMESTATE_PLAY;
        cHeroActor& hero = Hero();
        AddBlockChara(50, hero.m_dX - 8, hero.m_dY - 4);
        hero.m_nHoldFrames = c.hold;
        const std::size_t logged = ErrorText().size();
        Frame();
        const std::string log = ErrorText().substr(logged);
        EXPECT_EQ(hero.m_bDying, c.dies ? 1 : 0);
        if (c.dies) {
            EXPECT_NE(log.find("Dead 6"), std::string::npos) << log;
            EXPECT_EQ(game->m_nTickTotal, 1);
        } else {
            EXPECT_EQ(log.find("Dead"), std::string::npos) << log;
            EXPECT_EQ(game->m_nTickTotal, 10);
        }
    }
}

TEST_F(BlockCharaPlayTest, OrdinaryCharacterRidesAPlatformInTheCharacterPass) {
    cCharaActor* walker = FindChara(kWalkerSerial);
    ASSERT_NE(walker, nullptr);
    // A platform reaching one row into the walker's feet: the walker lands on it in its
    // pass and stays on it from then on (the platform flies and does not move).
    AddBlockChara(60, walker->m_dX - 8, walker->m_dBottom);
    Frame();
    walker = FindChara(kWalkerSerial);
    ASSERT_NE(walker, nullptr);
    EXPECT_EQ(walker->m_bRiding, 1);
    EXPECT_EQ(walker->m_nRideSerial, 60);
    EXPECT_EQ(walker->m_dBottom, FindChara(60)->m_dY - 1);
    // Removed, the platform is found by no one: the ride ends in the next tick.
    CharaList.Remove(FindChara(60)->Id());
    Frame();
    walker = FindChara(kWalkerSerial);
    ASSERT_NE(walker, nullptr);
    EXPECT_EQ(walker->m_bRiding, 0);
    EXPECT_EQ(walker->m_bLeftRide, 1);
}

TEST_F(BlockCharaPlayTest, JumpFromAPlatformLaunchesInTheFramesLastTickAndHigher) {
    cHeroActor& hero = Hero();
    // The hero's third flow jumps on button 1.
    constexpr int kJumpFlow = 2;
    constexpr std::uint16_t kButton1 = 1;
    AddBlockChara(70, hero.m_dX - 8, hero.m_dBottom);
    Frame();
    ASSERT_EQ(hero.m_bRiding, 1);
    const double standing = hero.m_dY;
    Frame(kButton1);
    // Launched in the last tick: riding no more, one tick of the rise made, at 1.02f times
    // the command's speed plus that tick's gravity.
    EXPECT_EQ(hero.m_bRiding, 0);
    EXPECT_EQ(hero.m_bJumping, 1);
    ASSERT_GT(hero.m_vecFlow.Size(), static_cast<std::size_t>(kJumpFlow));
    const double speed = hero.m_vecFlow[kJumpFlow].m_vecCmd[0].m_dSpeed;
    ASSERT_LT(speed, 0);
    const double launched = speed * static_cast<double>(1.02f);
    EXPECT_EQ(hero.m_dVY, launched + EdStageWork.speed.dStepGravity);
    EXPECT_DOUBLE_EQ(hero.m_dY, standing + hero.m_dVY);
}

}  // namespace

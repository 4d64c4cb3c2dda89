// The play frame on the generated sample stage: the ticks of a frame and the speed factor,
// the time limit and the play time, held buttons, area removal and life counters, the
// deaths of the hero and of characters (falling out of the stage, crushed between blocks,
// killed by code), the removals that go with them, and what the end of the hero's death
// animation decides: a retry, the continue menu or game over.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "scene/scene_fixture.h"
#include "stage/sample_forest.h"
#include "stage/stage_objects.h"

namespace {

// forest-1 as loaded for play, made and read once: 40 × 15 blocks, floor rows 13-14 with
// pits at columns 20, 21 and 30, walls at columns 0 and 39; the hero at (2, 12), the walker
// at (12, 12) and the flyer at (18, 6), both computer characters, and the goal at (37, 12)
// of the hero's side; three items.
// Serial numbers of one attempt: the hero takes 0, the placed characters follow.
constexpr int kWalkerSerial = 1;
constexpr int kFlyerSerial = 2;
// Indices in the placed-character list.
constexpr int kWalkerRecord = 1;
constexpr int kFlyerRecord = 2;
constexpr int kPitColumn = 20;
// The map's bottom edge of the stage: 10 blocks of margin above 15 rows.
constexpr double kStageBottom = (15 + 10) * 32;

constexpr int kSeHeroLost = 8;
constexpr int kSeCharaDefeated = 9;

class PlayFrameTest : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        ASSERT_TRUE(OpenDisplay(kSceneDisplays[2]));  // DirectDraw 32 in a window
        ASSERT_TRUE(UseSampleForest());
        SceneMgr.m_nScene = SCENE_GAME;
        SceneMgr.m_nPlayMode = PLAYMODE_FREE;
        SceneMgr.PrepareScene(SCENE_GAME);
        game = lpGame;
        ASSERT_NE(game, nullptr);
    }
    void TearDown() override { TearDownWorld(); }

    // A setting for the attempt and for every retry (a retry copies the loaded stage's).
    static void ForBoth(const std::function<void(cEdStage&)>& change) {
        change(EdStage);
        change(EdStageWork);
    }
    static void PlaceHero(int column, int row = 12) {
        cEdChara& hero = EdStageWork.vecChara[EdStageWork.FindHero()];
        hero.nPlaceX = static_cast<std::int16_t>(column);
        hero.nPlaceY = static_cast<std::int16_t>(row);
    }
    static void AddFloorBlock(int column, int row) {
        cEdBlock block = EdStageWork.vecBlock[0];  // a floor block of row 13
        ASSERT_EQ(block.nHitType, 1);
        block.nPlaceX = static_cast<std::int16_t>(column);
        block.nPlaceY = static_cast<std::int16_t>(row);
        EdStageWork.vecBlock.push_back(block);
    }
    static void FillPits() {
        for (int column : {20, 21, 30})
            for (int row : {13, 14}) AddFloorBlock(column, row);
    }

    // The attempt with the working copy's settings, the scene playing, nothing sent yet.
    void Start() {
        game->SetStage(0, 1);
        ASSERT_FALSE(game->SetStageFailed());
        game->m_nState = GAMESTATE_PLAY;
        SentMessages().clear();
    }
    void Frame(std::uint16_t buttons = 0, std::uint16_t dir = 0) {
        InputList[0].wButton = buttons;
        InputList[0].wDir = dir;
        game->PlayFrame();
    }
    // Frames until `done` holds (at most `limit`); the number run, or -1.
    int FramesUntil(int limit, const std::function<bool()>& done) {
        for (int i = 1; i <= limit; ++i) {
            Frame();
            if (done()) return i;
        }
        return -1;
    }

    static cHeroActor& Hero() { return Player[0]; }
    static cCharaActor* FindChara(int serial) {
        for (cCharaActor& chara : CharaList)
            if (chara.m_nSerial == serial) return &chara;
        return nullptr;
    }
    // How often the actor stands in the scene's group lists.
    int GroupEntries(const cActorBase* actor) const {
        int count = 0;
        for (int g = 0; g < kActorGroupCount; ++g)
            for (const cActorBase* entry : game->m_vecGroupList[g]) count += entry == actor;
        return count;
    }
    int GroupListTotal() const {
        int count = 0;
        for (int g = 0; g < kActorGroupCount; ++g)
            count += static_cast<int>(game->m_vecGroupList[g].size());
        return count;
    }
    static std::vector<int> Sounds() {
        std::vector<int> out;
        for (auto [w, l] : Requests(WM_USER_PLAYSE)) out.push_back(w);
        return out;
    }
    static std::string ErrorText() { return ReadFile("Error.txt"); }
    // The lines of the log that give the reason of a hero's death.
    static std::vector<std::string> DeathReasons(const std::string& log) {
        std::vector<std::string> out;
        std::size_t start = 0;
        while (start < log.size()) {
            std::size_t end = log.find("\r\n", start);
            if (end == std::string::npos) end = log.size();
            const std::string line = log.substr(start, end - start);
            if (line.rfind("Dead", 0) == 0) out.push_back(line);
            start = end + 2;
        }
        return out;
    }
    static int Count(const CheckedVector<cActorBase*>& list, const cActorBase* actor) {
        return static_cast<int>(std::count(list.begin(), list.end(), actor));
    }
    // `target` aims at `victim` instead of its former target, with the back link the victim keeps.
    static void Aim(cActorBase& target, cActorBase& victim) {
        if (target.m_pTarget) {
            auto& former = target.m_pTarget->m_vecTargetedBy;
            former.erase(std::remove(former.begin(), former.end(), &target), former.end());
        }
        target.m_pTarget = &victim;
        victim.m_vecTargetedBy.push_back(&target);
    }

    cGameScene* game = nullptr;
};

// --- Ticks and timers ---

TEST_F(PlayFrameTest, FrameRunsTheSpeedFactorsTicksAndWithoutTicksOnlyTheCountersGoOn) {
    struct Case {
        int level;
        int ticks;  // per frame
    };
    // Levels 11 to 19 are the fine steps 1 to 9; 0 and below run no tick.
    const Case cases[] = {{10, 10}, {15, 5}, {1, 1}, {0, 0}, {-3, 0}};
    for (const Case& c : cases) {
        EdStageWork = SampleForest().work;
        EdStageWork.nLevel = c.level;
        PlaceHero(kPitColumn);  // over a pit: it falls whenever a tick runs
        Start();
        const double heroY = Hero().m_dY;
        const double flyerY = FindChara(kFlyerSerial)->m_dY;
        for (int i = 0; i < 3; ++i) Frame();
        EXPECT_EQ(game->m_nFrame, 3) << c.level;
        EXPECT_EQ(game->m_nTick, c.ticks) << c.level;
        EXPECT_EQ(game->m_nTickTotal, 3 * c.ticks) << c.level;
        EXPECT_EQ(game->m_nPlayFrames, 3) << c.level;
        EXPECT_EQ(game->m_nPlayTime, 5) << c.level;
        EXPECT_EQ(Hero().m_dY > heroY, c.ticks > 0) << c.level;
        EXPECT_EQ(FindChara(kFlyerSerial)->m_dY > flyerY, c.ticks > 0) << c.level;
        if (c.ticks == 0) {
            EXPECT_EQ(Hero().m_dY, heroY) << c.level;
            EXPECT_EQ(FindChara(kFlyerSerial)->m_dY, flyerY) << c.level;
        }
    }
}

TEST_F(PlayFrameTest, TimeLimitCountsASecondPerSixtyFramesWhateverTheFrameRate) {
    for (int fps : {60, 30}) {
        EdStageWork = SampleForest().work;
        EdStageWork.nFps = fps;
        Start();
        EXPECT_EQ(SceneMgr.m_nFps, fps);
        ASSERT_EQ(game->m_nTime, 200);
        for (int i = 0; i < 59; ++i) Frame();
        EXPECT_EQ(game->m_nTime, 200) << fps;
        Frame();
        EXPECT_EQ(game->m_nTime, 199) << fps;
        for (int i = 0; i < 60; ++i) Frame();
        EXPECT_EQ(game->m_nTime, 198) << fps;
        EXPECT_EQ(Hero().m_bDying, 0);
    }
}

TEST_F(PlayFrameTest, StageWithoutTimeLimitShows999AndNeverRunsOut) {
    EdStageWork.bTimeLimit = 0;
    Start();
    EXPECT_EQ(game->m_bNoTimeLimit, 1);
    EXPECT_EQ(game->m_nTime, 999);
    for (int i = 0; i < 130; ++i) Frame();
    EXPECT_EQ(game->m_nTime, 999);
    for (int i = 0; i < 120; ++i) ASSERT_EQ(game->UpdateTimeLimit(-1000), 0) << i;
    EXPECT_EQ(game->m_nTime, 999);
    EXPECT_EQ(Hero().m_bDying, 0);
    EXPECT_TRUE(Sounds().empty());
}

TEST_F(PlayFrameTest, UpdateTimeLimitMovesTheTimeOnEverySixtiethCallOnly) {
    struct Case {
        int time, delta;
        int after;   // after the 60th call
        int result;  // of the 60th call
    };
    const Case cases[] = {
        {200, -1, 199, 0}, {2, -1, 1, 0},    {1, -1, 0, 1},    {0, -1, 0, 1},
        {3, -10, 0, 1},    {998, 5, 999, 0}, {999, 1, 999, 0}, {0x7FFFFFFF, 1, 999, 0},
    };
    Start();
    for (const Case& c : cases) {
        game->m_bNoTimeLimit = 0;
        game->m_nTime = c.time;
        FrameSkipCounter(0, 60);
        for (int i = 1; i < 60; ++i) {
            ASSERT_EQ(game->UpdateTimeLimit(c.delta), 0) << c.time << " call " << i;
            ASSERT_EQ(game->m_nTime, c.time) << c.time << " call " << i;
        }
        EXPECT_EQ(game->UpdateTimeLimit(c.delta), c.result) << c.time << " " << c.delta;
        EXPECT_EQ(game->m_nTime, c.after) << c.time << " " << c.delta;
    }
}

TEST_F(PlayFrameTest, TimeRunningOutLosesTheHeroOnceAndItsDeathUsesALife) {
    ForBoth([](cEdStage& s) { s.nTimeLimit = 1; });
    Progress.m_nLives = 2;
    Start();
    ASSERT_EQ(game->m_nTime, 1);
    for (int i = 0; i < 59; ++i) Frame();
    EXPECT_EQ(Hero().m_bDying, 0);
    const int ticks = game->m_nTickTotal;
    Frame();
    EXPECT_EQ(game->m_nTime, 0);
    EXPECT_EQ(Hero().m_bDying, 1);
    EXPECT_EQ(game->m_nState, GAMESTATE_PLAY);
    EXPECT_EQ(Sounds(), std::vector<int>{kSeHeroLost});
    // The frame ended before its ticks.
    EXPECT_EQ(game->m_nTickTotal, ticks);

    // The death animation lasts 60 frames; the time running out again does not count.
    for (int i = 0; i < 60; ++i) Frame();
    EXPECT_EQ(game->m_nState, GAMESTATE_PLAY);
    EXPECT_EQ(Hero().m_bDying, 1);
    EXPECT_EQ(Sounds(), std::vector<int>{kSeHeroLost});
    Frame();
    EXPECT_EQ(game->m_nState, GAMESTATE_STAGESTART);
    EXPECT_EQ(Progress.m_nLives, 1);
    EXPECT_EQ(Hero().m_bDying, 0);
    EXPECT_EQ(game->m_nTime, 1);
}

TEST_F(PlayFrameTest, PlayTimeCountsHundredthsOfSixtyFrameSecondsUpToItsCap) {
    struct Case {
        int frames, time;            // before
        int framesAfter, timeAfter;  // after one call
    };
    const Case cases[] = {
        {0, 0, 1, 1},
        {1, 1, 2, 3},
        {59, 98, 60, 100},
        {359998, 599996, 359999, 599998},
        {359999, 599998, 360000, 599999},
        {360000, 599999, 360000, 599999},  // capped: nothing counts any more
    };
    Start();
    for (const Case& c : cases) {
        game->m_nPlayFrames = c.frames;
        game->m_nPlayTime = c.time;
        game->UpdatePlayTime();
        EXPECT_EQ(game->m_nPlayFrames, c.framesAfter) << c.frames;
        EXPECT_EQ(game->m_nPlayTime, c.timeAfter) << c.frames;
    }
    // Through the frame: 60 frames are one second.
    Start();
    for (int i = 0; i < 60; ++i) Frame();
    EXPECT_EQ(game->m_nPlayTime, 100);
}

TEST_F(PlayFrameTest, HeldButtonsReachTheHeroOnlyOnceAllAreReleased) {
    struct Step {
        std::uint16_t buttons, dir;
        std::uint16_t seenButtons;
        int holdAfter;
    };
    const Step steps[] = {
        {1, kDirRight, 0, 1},                                             // directions pass at once
        {3, 0, 0, 1},         {2, kDirLeft, 0, 1},  {0, kDirLeft, 0, 0},  // all up: the hold ends
        {1, 0, 1, 0},         {3, kDirRight, 3, 0},
    };
    Start();
    game->m_bHoldButtons = 1;
    int i = 0;
    for (const Step& s : steps) {
        Frame(s.buttons, s.dir);
        EXPECT_EQ(InputList[0].wButton, s.seenButtons) << "step " << i;
        EXPECT_EQ(InputList[0].wDir, s.dir) << "step " << i;
        EXPECT_EQ(game->m_bHoldButtons, s.holdAfter) << "step " << i;
        ++i;
    }
}

// --- Area removal and life counters ---

TEST_F(PlayFrameTest, AreaRemovalLooksOnlyInTheFirstTickOfAFrame) {
    for (int areaOn : {1, 0}) {
        EdStageWork = SampleForest().work;
        FillPits();
        // Right of the view, with no margin: off screen to the right is out of the area.
        EdStageWork.AreaLimit[0].bRightOn = areaOn;
        EdStageWork.AreaLimit[0].nRightMargin = 0;
        // The flyer starts out there, standing on the floor.
        EdStageWork.vecChara[kFlyerRecord].nPlaceX = 28;
        EdStageWork.vecChara[kFlyerRecord].nPlaceY = 12;
        Start();
        ASSERT_EQ(game->m_ScrollX.m_dPos, 320);
        EXPECT_EQ(game->m_bRemoveOutsideChara, areaOn);
        // The walker is pushed right from just inside the view; it crosses the view's edge
        // (960) in the third tick of the frame.
        cCharaActor* walker = FindChara(kWalkerSerial);
        walker->m_dX = 950;
        walker->m_dRight = 950 + walker->m_nBoxW - 1;
        walker->m_dKnockVX = 5;
        Frame();
        EXPECT_EQ(FindChara(kFlyerSerial) == nullptr, areaOn == 1) << areaOn;
        walker = FindChara(kWalkerSerial);
        ASSERT_NE(walker, nullptr) << areaOn;
        EXPECT_GT(walker->m_dX, 960) << areaOn;
        EXPECT_EQ(walker->IsOutOfArea(EdStageWork.AreaLimit[0]), areaOn) << areaOn;
        Frame();
        EXPECT_EQ(FindChara(kWalkerSerial) == nullptr, areaOn == 1) << areaOn;
        EXPECT_EQ(GroupListTotal(), 1 + static_cast<int>(CharaList.Size())) << areaOn;
    }
}

TEST_F(PlayFrameTest, LifeCountersRemoveCharactersAndItemsAfterTheirTicks) {
    struct Case {
        int life;
        int heroDying;
        int goneAfter;  // ticks; 0: still there after 5
    };
    const Case cases[] = {{0, 0, 1}, {3, 0, 4}, {0, 1, 0}};
    for (const Case& c : cases) {
        EdStageWork = SampleForest().work;
        EdStageWork.nLevel = 1;  // one tick a frame
        Start();
        Hero().m_bDying = c.heroDying;
        cCharaActor* walker = FindChara(kWalkerSerial);
        const cActorBase* walkerAddress = walker;
        walker->m_nLifeFrames = c.life;
        const std::size_t items = ItemList.Size();
        ItemList.begin()->m_nLifeFrames = c.life;
        int charaGone = 0;
        int itemGone = 0;
        for (int tick = 1; tick <= 5; ++tick) {
            Frame();
            if (!charaGone && !FindChara(kWalkerSerial)) charaGone = tick;
            if (!itemGone && ItemList.Size() < items) itemGone = tick;
        }
        EXPECT_EQ(charaGone, c.goneAfter) << c.life << " " << c.heroDying;
        EXPECT_EQ(itemGone, c.goneAfter) << c.life << " " << c.heroDying;
        if (c.goneAfter) {
            EXPECT_EQ(GroupEntries(walkerAddress), 0) << c.life;
        }
        // The others have no life limit.
        EXPECT_NE(FindChara(kFlyerSerial), nullptr) << c.life;
    }
}

// --- The hero's deaths ---

TEST_F(PlayFrameTest, HeroFallingOutOfTheStageDiesAndADirectPlayRestartsWithoutUsingALife) {
    bTestPlay = 1;
    Progress.m_nLives = 3;
    PlaceHero(kPitColumn);
    Start();
    const double startX = Hero().m_dX;
    const double startY = Hero().m_dY;
    const int frames = FramesUntil(300, [] { return Hero().m_bDying != 0; });
    ASSERT_GT(frames, 1);
    // It left through the bottom; the camera's clamp holds it on the stage's last row.
    EXPECT_GE(Hero().m_dBottom, kStageBottom - 1);
    EXPECT_EQ(DeathReasons(ErrorText()), std::vector<std::string>{"Dead 2"});
    EXPECT_EQ(Sounds(), std::vector<int>{kSeHeroLost});
    EXPECT_EQ(game->m_nState, GAMESTATE_PLAY);

    for (int i = 0; i < 60; ++i) Frame();
    EXPECT_EQ(game->m_nState, GAMESTATE_PLAY);
    Frame();
    EXPECT_EQ(game->m_nState, GAMESTATE_STAGESTART);
    EXPECT_EQ(Progress.m_nLives, 3);
    EXPECT_EQ(Hero().m_bDying, 0);
    EXPECT_EQ(Hero().m_dX, startX);
    EXPECT_EQ(Hero().m_dY, startY);
}

TEST_F(PlayFrameTest, HeroSqueezedBetweenBlocksDiesUnlessCrushDeathsAreHeld) {
    for (int hold : {0, 1000}) {
        EdStageWork = SampleForest().work;
        // The hero stands inside a wall two blocks wide: pushed out of the left block into
        // the right one and back, it touches both.
        AddFloorBlock(5, 12);
        AddFloorBlock(6, 12);
        PlaceHero(5);
        Start();
        const double x0 = Hero().m_dX;
        const double y0 = Hero().m_dY;
        Hero().m_nHoldFrames = hold;
        const std::size_t logged = ErrorText().size();
        Frame();
        const std::string log = ErrorText().substr(logged);
        if (hold == 0) {
            EXPECT_EQ(Hero().m_bDying, 1);
            EXPECT_NE(log.find("Player[P1].LRUD = 1,1,0,1\r\nDead SP\r\n"), std::string::npos)
                << log;
            EXPECT_EQ(Sounds(), std::vector<int>{kSeHeroLost});
            // Back where the tick began.
            EXPECT_EQ(Hero().m_dX, x0);
            EXPECT_EQ(Hero().m_dY, y0);
            EXPECT_EQ(game->m_nTickTotal, 1);
        } else {
            EXPECT_EQ(Hero().m_bDying, 0);
            EXPECT_TRUE(DeathReasons(log).empty()) << log;
            EXPECT_TRUE(Sounds().empty());
            EXPECT_EQ(game->m_nTickTotal, 10);
        }
    }
}

TEST_F(PlayFrameTest, HeroDownDecidesBetweenRetryContinueMenuAndGameOver) {
    struct Case {
        const char* name;
        int titleChoice, playMode, continueMenu;
        int lives, checkpointLives;
        int state;
        int livesAfter;
        bool setUpAgain;
        int scoreAfter;
    };
    const Case cases[] = {
        {"last life", 0, PLAYMODE_FREE, 1, 1, 5, GAMESTATE_STAGESTART, 0, true, 10},
        {"no life", 0, PLAYMODE_FREE, 1, 0, 5, GAMESTATE_GAMEOVER, 0, false, 90},
        {"unlimited", 0, PLAYMODE_FREE, 1, kUnlimitedLives, 5, GAMESTATE_STAGESTART,
         kUnlimitedLives, true, 10},
        // A replay restarts with the checkpoint's lives (and its score, 0 in a replay).
        {"replay", TITLE_REPLAY, PLAYMODE_REPLAY, 1, 0, 5, GAMESTATE_STAGESTART, 5, true, 0},
        {"story menu", 0, PLAYMODE_STORY, 1, 2, 5, GAMESTATE_CONTINUE, 1, false, 10},
        {"story", 0, PLAYMODE_STORY, 0, 2, 5, GAMESTATE_STAGESTART, 1, true, 10},
    };
    for (const Case& c : cases) {
        SceneMgr.m_nTitleChoice = c.titleChoice;
        SceneMgr.m_nPlayMode = c.playMode;
        EdSystem.bStoryContinueMenu = c.continueMenu;
        Progress.m_nLives = c.checkpointLives;
        Progress.m_nScore = 10;
        Start();
        Progress.m_nLives = c.lives;
        Progress.m_nScore = 90;
        Hero().m_bDying = 1;
        game->m_nFrame = 77;
        game->m_nStep = 4;
        game->HeroDown();
        EXPECT_EQ(game->m_nState, c.state) << c.name;
        EXPECT_EQ(Progress.m_nLives, c.livesAfter) << c.name;
        EXPECT_EQ(Progress.m_nScore, c.scoreAfter) << c.name;
        // A new attempt was set up: a fresh frame count and a living hero.
        EXPECT_EQ(game->m_nFrame == 0, c.setUpAgain) << c.name;
        EXPECT_EQ(Hero().m_bDying == 0, c.setUpAgain) << c.name;
        if (c.state == GAMESTATE_CONTINUE) {
            EXPECT_EQ(game->m_nStep, 0) << c.name;
        }
    }
}

// --- Characters' deaths ---

TEST_F(PlayFrameTest, CharacterFallingIntoAPitDiesAndTheDrawingTakesItOut) {
    PlaceHero(17);  // the view then shows the pits at 20 and 21
    EdStageWork.vecChara[kWalkerRecord].nPlaceX = 21;
    Start();
    const cActorBase* walker = FindChara(kWalkerSerial);
    ASSERT_NE(walker, nullptr);
    ASSERT_EQ(GroupEntries(walker), 1);
    const int score = Progress.m_nStageScore;
    const int frames = FramesUntil(300, [] { return FindChara(kWalkerSerial) == nullptr; });
    ASSERT_GT(frames, 1);
    EXPECT_EQ(Sounds(), std::vector<int>{kSeCharaDefeated});
    EXPECT_EQ(Progress.m_nStageScore, score + 100);  // its death ran
    EXPECT_EQ(GroupEntries(walker), 0);
    EXPECT_EQ(GroupListTotal(), 3);  // the hero, the flyer and the goal
    EXPECT_EQ(Hero().m_bDying, 0);
    EXPECT_EQ(game->m_nState, GAMESTATE_PLAY);
}

TEST_F(PlayFrameTest, DrawTakesOutCharactersWhoseDeathAnimationEnded) {
    Start();
    cCharaActor* walker = FindChara(kWalkerSerial);
    cCharaActor* flyer = FindChara(kFlyerSerial);
    Aim(*flyer, *walker);
    EXPECT_EQ(game->DrawChara(*walker, 0), 0);
    walker->m_bDying = 1;
    EXPECT_EQ(game->DrawChara(*walker, 0), 1);
    EXPECT_EQ(game->DrawChara(*flyer, 0), 0);
    const cActorBase* address = walker;
    game->Draw();
    EXPECT_EQ(FindChara(kWalkerSerial), nullptr);
    ASSERT_NE(FindChara(kFlyerSerial), nullptr);
    EXPECT_EQ(GroupEntries(address), 0);
    EXPECT_EQ(FindChara(kFlyerSerial)->m_pTarget, nullptr);
}

TEST_F(PlayFrameTest, CharacterWhoseFlowsReportDeathGoesWithSoundOnlyWhenDeathsAreShown) {
    for (int shown : {0, 1}) {
        EdSystem.bCompat272 = shown;
        Start();
        cCharaActor* walker = FindChara(kWalkerSerial);
        cCharaActor* flyer = FindChara(kFlyerSerial);
        const cActorBase* address = walker;
        Aim(*flyer, *walker);
        Aim(*walker, Hero());
        walker->m_nHp = 0;
        const int score = Progress.m_nStageScore;
        Frame();
        EXPECT_EQ(FindChara(kWalkerSerial), nullptr) << shown;
        EXPECT_EQ(GroupEntries(address), 0) << shown;
        EXPECT_EQ(Progress.m_nStageScore, score + 100) << shown;
        EXPECT_EQ(flyer->m_pTarget, nullptr) << shown;
        EXPECT_EQ(Count(Hero().m_vecTargetedBy, address), 0) << shown;
        EXPECT_EQ(Sounds(), shown ? std::vector<int>{kSeCharaDefeated} : std::vector<int>{})
            << shown;
        EXPECT_EQ(Hero().m_bDying, 0) << shown;
    }
}

TEST_F(PlayFrameTest, SweepDeadActorsRemovesCodeKilledCharactersByTheDeathDisplaySetting) {
    for (int shown : {0, 1}) {
        EdSystem.bCompat272 = shown;
        Start();
        cCharaActor* walker = FindChara(kWalkerSerial);
        cCharaActor* flyer = FindChara(kFlyerSerial);
        const cActorBase* address = walker;
        Aim(*flyer, *walker);
        Aim(*walker, Hero());
        walker->m_nHp = 0;
        game->m_bCodeKill = 1;
        EXPECT_EQ(game->SweepDeadActors(), 0) << shown;
        EXPECT_EQ(flyer->m_pTarget, nullptr) << shown;
        EXPECT_EQ(Count(Hero().m_vecTargetedBy, address), 0) << shown;
        if (shown) {
            // It stays to play its death, with sound 9, and the drawing takes it out.
            ASSERT_EQ(FindChara(kWalkerSerial), walker);
            EXPECT_EQ(walker->m_bDying, 1);
            EXPECT_EQ(GroupEntries(address), 1);
            EXPECT_EQ(Sounds(), std::vector<int>{kSeCharaDefeated});
            game->Draw();
        } else {
            EXPECT_TRUE(Sounds().empty());
        }
        EXPECT_EQ(FindChara(kWalkerSerial), nullptr) << shown;
        EXPECT_EQ(GroupEntries(address), 0) << shown;
        EXPECT_NE(FindChara(kFlyerSerial), nullptr) << shown;
    }
}

TEST_F(PlayFrameTest, SweepDeadActorsTakesVanishedCharactersSilentlyAndLosesAHeroWithoutHp) {
    Start();
    FindChara(kFlyerSerial)->m_bVanish = 1;
    EXPECT_EQ(game->SweepDeadActors(), 0);
    EXPECT_EQ(FindChara(kFlyerSerial), nullptr);
    EXPECT_EQ(GroupListTotal(), 3);  // the hero, the walker and the goal
    EXPECT_TRUE(Sounds().empty());

    // The hero first: the characters are not looked at.
    Hero().m_nHp = 0;
    FindChara(kWalkerSerial)->m_nHp = 0;
    EXPECT_EQ(game->SweepDeadActors(), 1);
    EXPECT_EQ(Hero().m_bDying, 1);
    EXPECT_EQ(Sounds(), std::vector<int>{kSeHeroLost});
    ASSERT_NE(FindChara(kWalkerSerial), nullptr);
    EXPECT_EQ(FindChara(kWalkerSerial)->m_bDying, 0);
}

TEST_F(PlayFrameTest, KillActorLeavesTheHeroToItsCallerAndKillsACharacterOnce) {
    Start();
    const int score = Progress.m_nStageScore;
    EXPECT_EQ(game->KillActor(Hero()), 2);
    EXPECT_EQ(Hero().m_bDying, 0);
    EXPECT_EQ(Progress.m_nStageScore, score);

    cCharaActor* walker = FindChara(kWalkerSerial);
    EXPECT_EQ(game->KillActor(*walker), 0);
    EXPECT_EQ(walker->m_bDying, 1);
    EXPECT_EQ(Progress.m_nStageScore, score + 100);
    // Already dying: its death does not run again.
    EXPECT_EQ(game->KillActor(*walker), 0);
    EXPECT_EQ(Progress.m_nStageScore, score + 100);
    EXPECT_TRUE(Sounds().empty());
}

// A frozen frame (the pause, a wait) draws the stage as it stands: no actor's animation, gauge
// or death count moves on, and the next unfrozen frame goes on from there.
TEST_F(PlayFrameTest, FrozenDrawsKeepAnimationsGaugesAndDeathsStill) {
    Start();
    cHeroActor& hero = Player[0];
    hero.m_bDying = 1;
    cCharaActor* walker = FindChara(kWalkerSerial);
    ASSERT_NE(walker, nullptr);
    walker->m_HpGauge = GaugeAnim{120, 6.0, 0.1, 30};
    struct Still {
        std::int32_t walkerStep, walkerCount, gaugeFrames, deathFrames;
        double gaugeShown;
        bool operator==(const Still&) const = default;
    };
    const auto now = [&] {
        return Still{walker->m_AnimPattern.m_nStep, walker->m_AnimPattern.m_nCount,
                     walker->m_HpGauge.nFrames, hero.m_nDeathFrames, walker->m_HpGauge.dShown};
    };
    game->Draw(1, 0, 0, 1);
    const Still before = now();
    for (int i = 0; i < 37; ++i) game->Draw(1, 1, 0, 1);
    EXPECT_TRUE(now() == before);
    game->Draw(1, 0, 0, 1);
    const Still after = now();
    EXPECT_EQ(after.gaugeFrames, before.gaugeFrames - 1);
    EXPECT_LT(after.gaugeShown, before.gaugeShown);
    EXPECT_EQ(after.deathFrames, before.deathFrames + 1);
    EXPECT_TRUE(after.walkerCount != before.walkerCount || after.walkerStep != before.walkerStep);
}

}  // namespace

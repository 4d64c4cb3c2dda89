// The pause and ranking threads on a game scene set up from the sample forest: how a wait is
// set, how many frames it shows, the button it ends on (a held one must be let go first),
// F1 inside a wait, a close that gets no WM_QUIT, the ranking display's buttons, and a thread
// that cannot be made.
#include "stage/wait_threads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

#include "base/log.h"
#include "base/paths.h"
#include "base/thread.h"
#include "data/option_record.h"
#include "gen/project.h"
#include "platform/frame.h"
#include "platform/host_path.h"
#include "platform/keyboard.h"
#include "platform/script_state.h"
#include "platform/time_units.h"
#include "scene/ranking.h"
#include "scene/replay_log.h"
#include "scene/scene_fixture.h"
#include "stage/stage_end.h"
#include "stage/stage_load.h"
#include "stage/stage_objects.h"

namespace {

constexpr int kKeyZ = 0x5A;  // button 1
constexpr int kKeyV = 0x56;  // button 4

class WaitThreadsTest : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        ASSERT_TRUE(OpenDisplay(kSceneDisplays[2]));
        game = EnterSampleStage("data\\stg4\\forest-1.stg4");
        ASSERT_NE(game, nullptr);
        ASSERT_EQ(PendingCloses(), 0);
        bActiveApp = 1;
        plat::ResetFrames();
        SentMessages().clear();
    }
    void TearDown() override {
        plat::ReleaseAllKeys();
        plat::ResetScriptState();
        TearDownWorld();
    }
    // Frames presented by a wait started on a game thread.
    int Wait(int kind, int button, int frames, int chained = 0) {
        game->m_WaitControl.Set(kind, button, frames, chained);
        const std::uint32_t before = plat::FrameCount();
        bool started = false;
        EXPECT_TRUE(OnGameThread([&] { started = RunPauseThread(*game, 1); }));
        EXPECT_TRUE(started);
        return static_cast<int>(plat::FrameCount() - before);
    }
    std::vector<int> Sounds() const {
        std::vector<int> out;
        for (auto [w, l] : Requests(WM_USER_PLAYSE)) out.push_back(w);
        return out;
    }

    cGameScene* game = nullptr;
};

TEST(WaitControl, GuardOnlyForAnUnchainedButtonMessage) {
    struct Case {
        int kind, button, frames, chained, guard;
    };
    const Case cases[] = {
        {WAIT_MESSAGE, 1, 0, 0, 10}, {WAIT_MESSAGE, 1, 0, 1, 0}, {WAIT_MESSAGE, 0, 5, 0, 0},
        {WAIT_GAME, 1, 0, 0, 0},     {WAIT_PICTURE, 1, 9, 0, 0}, {WAIT_EXTRA_LIFE, 0, 30, 0, 0},
    };
    for (const Case& c : cases) {
        WaitControl w;
        w.m_bDone = 1;
        w.Set(c.kind, c.button, c.frames, c.chained);
        EXPECT_EQ(w.m_nGuard, c.guard) << c.kind << c.button << c.chained;
        EXPECT_EQ(w.m_nKind, c.kind);
        EXPECT_EQ(w.m_bWaitButton, c.button);
        EXPECT_EQ(w.m_nFrames, c.frames);
        EXPECT_EQ(w.m_bDone, 0);
    }
}

TEST_F(WaitThreadsTest, AFrameWaitShowsItsFramesAndLeavesThePlayInputAlone) {
    InputList[0].wButton = 5;
    InputList[0].wDir = 2;
    const double heroX = Player[0].m_dX;
    EXPECT_EQ(Wait(WAIT_EXTRA_LIFE, 0, 30), 30);
    EXPECT_EQ(Wait(WAIT_GAME, 0, 0), 0);
    EXPECT_EQ(InputList[0].wButton, 5);
    EXPECT_EQ(InputList[0].wDir, 2);
    EXPECT_EQ(Player[0].m_dX, heroX);  // nothing moved
    EXPECT_TRUE(Sounds().empty());
}

TEST_F(WaitThreadsTest, AButtonWaitNeedsAFreshPressAfterItsGuard) {
    // Button 1 is held as the wait starts, let go in frame 5, pressed again in frame 8.
    plat::SetKeyState(kKeyZ, true);
    plat::LoadScriptText("@5 key 0x5A up\n@8 key 0x5A down\n", "");
    EXPECT_EQ(Wait(WAIT_GAME, 1, 0), 7);
    EXPECT_EQ(game->m_bHoldButtons, 1);
    EXPECT_EQ(Sounds(), std::vector<int>{1});

    // A message's guard: the press in frame 3 comes too early, the one in frame 14 counts.
    SentMessages().clear();
    plat::ResetFrames();
    plat::ReleaseAllKeys();
    plat::LoadScriptText("@3 key 0x5A down\n@4 key 0x5A up\n@14 key 0x5A down\n@16 key 0x5A up\n",
                         "");
    EXPECT_EQ(Wait(WAIT_MESSAGE, 1, 0), 13);
    EXPECT_EQ(Sounds(), std::vector<int>{12});
}

TEST_F(WaitThreadsTest, F1InAWaitSavesAndDrawsNothing) {
    EdSystem.bReplay = 1;
    SceneMgr.m_nTitleChoice = TITLE_FREE;
    CurReplay.Clear();
    CurReplay.RecordFrame(0, 0);
    plat::SetKeyState(VK_F1, true);
    // The frame that handled F1 presents nothing: 10 frames of wait after it.
    game->m_WaitControl.Set(WAIT_GAME, 0, 10, 0);
    const std::uint32_t before = plat::FrameCount();
    ASSERT_TRUE(OnGameThread([&] { RunPauseThread(*game, 1); }));
    EXPECT_EQ(plat::FrameCount() - before, 10u);
    EXPECT_EQ(Requests(WM_USER_SAVEREPLAY).size(), 1u);
}

TEST_F(WaitThreadsTest, ACloseWithoutQuitEndsTheWaitWithinTwoSeconds) {
    game->m_WaitControl.Set(WAIT_MESSAGE, 1, 0, 0);
    std::atomic<std::uint32_t> closedAt{0};
    bool started = false;
    ASSERT_TRUE(OnGameThread([&] {
        // The close arrives once the wait runs; no WM_QUIT follows it. The closer waits in
        // real time: a virtual sleep would move the clock the wait is measured by.
        std::thread closer([&] {
            while (plat::FrameCount() < 3)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            closedAt = plat::timeGetTime();
            game->m_bCloseRequest = 1;
        });
        started = RunPauseThread(*game, 1);
        closer.join();
    }));
    EXPECT_TRUE(started);
    const std::uint32_t waited = plat::timeGetTime() - closedAt;
    EXPECT_GE(waited, 2000u);
    EXPECT_LE(waited, 2100u);
    // A close already set when the wait starts ends it at once.
    const std::uint32_t frames = plat::FrameCount();
    EXPECT_EQ(WaitLoopThread(game), 0u);
    EXPECT_EQ(plat::FrameCount(), frames);
}

TEST_F(WaitThreadsTest, RankingDisplayEndsOnButton1AndSwitchesWithTwoTables) {
    SceneMgr.m_nPlayMode = PLAYMODE_FREE;
    struct Case {
        std::vector<std::uint8_t> tables;
        int wantTable;
        int switchSounds;
    };
    // V pressed in frame 3, Z in frame 6.
    const Case cases[] = {
        {{1, 0, 1, 0, 0}, 2, 1},
        {{1, 0, 0, 0, 0}, 0, 0},
    };
    for (const Case& c : cases) {
        SentMessages().clear();
        plat::ResetFrames();
        plat::ReleaseAllKeys();
        cEdSystemSubC& rule = EdSystem.vecRankingRules[PLAYMODE_FREE];
        rule.bEnabled = 1;
        rule.vecTableOn.Clear();
        for (std::uint8_t on : c.tables) rule.vecTableOn.push_back(on);
        Progress.m_nRankTable = 0;
        plat::LoadScriptText("@3 key 0x56 down\n@4 key 0x56 up\n@6 key 0x5A down\n", "");
        const std::uint32_t before = plat::FrameCount();
        ASSERT_TRUE(OnGameThread([&] { RunRankingThread(*game); }));
        EXPECT_EQ(plat::FrameCount() - before, 5u);
        EXPECT_EQ(Progress.m_nRankTable, c.wantTable);
        const std::vector<int> sounds = Sounds();
        EXPECT_EQ(std::count(sounds.begin(), sounds.end(), 6), c.switchSounds);
        ASSERT_FALSE(sounds.empty());
        EXPECT_EQ(sounds.back(), 1);
    }
}

// A cleared stage's result goes into the tables that found it a place, under the fixed name
// or the one the name dialog left (here the request is answered at once: the player's name),
// the file of the play mode is written, and the ranking display runs until button 1.
TEST_F(WaitThreadsTest, EnterRankingFillsSavesAndShowsTheTables) {
    struct Case {
        int mode;
        const char* name;
        int nameRequests;
    };
    for (const Case& c : {Case{3, "fix", 0}, Case{0, "me", 1}}) {
        SCOPED_TRACE(c.mode);
        SentMessages().clear();
        plat::ResetFrames();
        plat::ReleaseAllKeys();
        Ranking.Reset();
        Option.nRankingMode = c.mode;
        Option.strRankingName = "fix";
        Progress.m_strPlayerName = "me";
        Progress.m_strStageBase = "data\\stg4\\forest.";
        SceneMgr.m_bRanking = 1;
        SceneMgr.m_nPlayMode = PLAYMODE_FREE;
        game->m_bRankAchieved = 1;
        game->m_bRankingDone = 0;
        game->m_vecRank = CheckedVector<std::int32_t>(5, -1);
        game->m_vecRank[0] = 0;
        game->m_vecRank[2] = 0;
        game->m_vecRankValue = CheckedVector<std::int32_t>(5, 0);
        game->m_vecRankValue[0] = 500;
        game->m_vecRankValue[2] = 1234;
        plat::LoadScriptText("@3 key 0x5A down\n", "");
        ASSERT_TRUE(OnGameThread([&] { EnterRanking(*game); }));
        EXPECT_EQ(game->m_bRankingDone, 1);
        EXPECT_EQ(Requests(WM_USER_NAMEENTRY).size(), static_cast<std::size_t>(c.nameRequests));
        const std::vector<int> sounds = Sounds();
        ASSERT_EQ(sounds.size(), 2u);
        EXPECT_EQ(sounds[0], 16);
        EXPECT_EQ(sounds[1], 1);  // the display ended on button 1
        RankSet saved;
        ASSERT_EQ(LoadRankingFile(saved, PLAYMODE_FREE, "other\\forest."), 1);
        EXPECT_EQ(saved.m_vecTable[0].m_vecEntry[0].m_strName, c.name);
        EXPECT_EQ(saved.m_vecTable[0].m_vecEntry[0].m_nValue, 500);
        EXPECT_EQ(saved.m_vecTable[2].m_vecEntry[0].m_nValue, 1234);
        EXPECT_EQ(saved.m_vecTable[1].m_vecEntry[0].m_bValid, 0);
        // Once per cleared stage.
        ASSERT_TRUE(OnGameThread([&] { EnterRanking(*game); }));
        EXPECT_EQ(Sounds().size(), 2u);
    }
}

TEST_F(WaitThreadsTest, AThreadThatCannotBeMadeSkipsTheWait) {
    plat::Seams seams = plat::GetSeams();
    seams.failSteps = {"thread_create"};
    plat::SetSeams(seams);
    game->m_WaitControl.Set(WAIT_EXTRA_LIFE, 0, 30, 0);
    const std::uint32_t before = plat::FrameCount();
    // No thread is made, so nothing is sent and this thread may start the wait itself.
    EXPECT_FALSE(RunPauseThread(*game, 1));
    EXPECT_EQ(plat::FrameCount(), before);
    EXPECT_NE(ReadFile("Report.txt").find("cThread::Create Err"), std::string::npos);
}

}  // namespace

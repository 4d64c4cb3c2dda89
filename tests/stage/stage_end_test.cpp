// The end of a cleared stage on a game scene set up from the sample stages, with the stage's
// result set directly: the totals and extra lives, the ranking values by the way the play
// runs, the next stage's file name, and the scene that follows by the title choice.
#include "stage/stage_end.h"

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <filesystem>
#include <thread>

#include "base/paths.h"
#include "data/world_map.h"
#include "gen/project.h"
#include "platform/host_path.h"
#include "scene/ranking.h"
#include "scene/scene_fixture.h"
#include "stage/hero_actor.h"
#include "stage/stage_load.h"
#include "stage/stage_objects.h"

namespace {

class StageEndTest : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        ASSERT_TRUE(OpenDisplay(kSceneDisplays[2]));
        SceneMgr.m_nScene = SCENE_GAME;
        SceneMgr.PrepareScene(SCENE_GAME);
        game = lpGame;
        ASSERT_NE(game, nullptr);
        std::string error;
        gen::ProjectOptions options;
        options.data = true;
        ASSERT_TRUE(gen::MakeProject("project", options, &error)) << error;
        std::filesystem::current_path("project");
        plat::ClearPathCache();
        OpenReportLog("Report.txt");
        CreateDataFolders();
        ASSERT_EQ(LoadStageForPlay("data\\stg4\\forest-1.stg4", 1, &EdStage), 1);
        ASSERT_EQ(EdStage.nWidth, 40);
        Progress.SetStageFile("data\\stg4\\forest-1.stg4_001");
        Player.Reset(1);
        Player[0].m_nHp = 30;
        Player[0].m_nSp = 4;
        bActiveApp = 1;
    }
    void TearDown() override {
        bTestPlay = 0;
        bEditorLaunch = 0;
        TearDownWorld();
    }
    std::vector<int> Sounds() const {
        std::vector<int> out;
        Pump();
        for (auto [w, l] : Requests(WM_USER_PLAYSE)) out.push_back(w);
        return out;
    }

    cGameScene* game = nullptr;
};

TEST_F(StageEndTest, TotalsAndExtraLives) {
    struct Case {
        std::int32_t score, stageScore, lives;
        int extraLife, step;
        std::int32_t wantScore, wantLives;
        int lifeSounds;
    };
    const Case cases[] = {
        {90, 120, 2, 1, 100, 210, 4, 2},  // two score steps at once: two lives
        {90, 5, 2, 1, 100, 95, 2, 0},
        {0, 500, kUnlimitedLives, 1, 100, 500, kUnlimitedLives, 0},
        {0, 500, 97, 1, 100, 500, 99, 2},  // lives stop at 99
        {0, 500, 99, 1, 100, 500, 99, 0},
        {0, 500, 2, 0, 100, 500, 2, 0},              // extra lives off
        {0, 500, 2, 1, 0, 500, 2, 0},                // no score step
        {0, 999999, 3, 1, 1, 999999, 99, 96},        // a tiny step gives only what fits
        {INT_MAX - 5, 100, 3, 1, 7, INT_MAX, 4, 1},  // the total holds at the limit
    };
    for (const Case& c : cases) {
        SentMessages().clear();
        Progress.m_nScore = c.score;
        Progress.m_nStageScore = c.stageScore;
        Progress.m_nLives = c.lives;
        EdSystem.bExtraLife = c.extraLife;
        EdSystem.nExtraLifeScore = c.step;
        GiveStageTotals(*game);
        EXPECT_EQ(Progress.m_nScore, c.wantScore) << c.score << "+" << c.stageScore;
        EXPECT_EQ(Progress.m_nLives, c.wantLives) << c.score << "+" << c.stageScore;
        const std::vector<int> sounds = Sounds();
        EXPECT_EQ(std::count(sounds.begin(), sounds.end(), 15), c.lifeSounds) << c.lives;
    }
}

// A close request during the notices stops the granting and closes the program; while the
// program is in the background the next life waits for it to come back.
TEST_F(StageEndTest, ExtraLivesStopAtACloseAndWaitWhileInactive) {
    EdSystem.bExtraLife = 1;
    EdSystem.nExtraLifeScore = 100;
    Progress.m_nScore = 0;
    Progress.m_nStageScore = 300;
    Progress.m_nLives = 1;
    game->m_bCloseRequest = 1;
    GiveStageTotals(*game);
    EXPECT_EQ(Progress.m_nLives, 2);
    EXPECT_EQ(PendingCloses(), 1);

    game->m_bCloseRequest = 0;
    Progress.m_nScore = 0;
    Progress.m_nLives = 1;
    bActiveApp = 0;
    std::atomic<bool> done{false};
    std::thread back([&] {
        // Real time: the virtual clock's sleeps return at once.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        EXPECT_FALSE(done);
        bActiveApp = 1;
    });
    GiveStageTotals(*game);
    done = true;
    back.join();
    EXPECT_EQ(Progress.m_nLives, 4);
}

TEST_F(StageEndTest, TimeHpAndSpAddUp) {
    Progress.m_nRestTime = 10;
    Progress.m_nClearTime = 100;
    Progress.m_nRestHP = 1;
    Progress.m_nRestSP = 2;
    game->m_nTime = 77;
    game->m_nPlayTime = 555;
    game->m_bNoTimeLimit = 0;
    GiveStageTotals(*game);
    EXPECT_EQ(Progress.m_nRestTime, 87);
    EXPECT_EQ(Progress.m_nClearTime, 655);
    EXPECT_EQ(Progress.m_nRestHP, 31);
    EXPECT_EQ(Progress.m_nRestSP, 6);
    game->m_bNoTimeLimit = 1;  // no time limit adds no time
    GiveStageTotals(*game);
    EXPECT_EQ(Progress.m_nRestTime, 87);
    EXPECT_EQ(Progress.m_nClearTime, 1210);
}

// The five ranking values are worked out only after a series' last stage, always in a direct
// play; every place is none until a table takes the result.
TEST_F(StageEndTest, RankingValuesByTheWayThePlayRuns) {
    struct Case {
        const char* what;
        int testPlay, editor, ranking, nextStage;
        bool valuesSet;
    };
    const Case cases[] = {
        {"last stage of a series", 0, 0, 1, 3, true},
        {"a series stage with another after it", 0, 0, 1, 2, false},
        {"no next stage", 0, 0, 1, 0, true},
        {"the mode has no rankings", 0, 0, 0, 0, false},
        {"direct play before the last stage", 1, 0, 0, 2, true},
        {"editor test play", 1, 1, 1, 0, true},
    };
    // Tables full of better values: the result takes no place in any of them.
    for (RankTable& table : Ranking.m_vecTable)
        for (int i = 0; i < kRankPlaces; ++i)
            table.Add("top", table.m_bHigherFirst ? INT_MAX : INT_MIN);
    for (const Case& c : cases) {
        SentMessages().clear();
        bTestPlay = c.testPlay;
        bEditorLaunch = c.editor;
        SceneMgr.m_bRanking = c.ranking;
        game->m_nNextStage = c.nextStage;
        for (std::int32_t& v : game->m_vecRankValue) v = -7;
        for (std::int32_t& r : game->m_vecRank) r = 3;
        game->m_bRankAchieved = 1;
        game->m_bRankingDone = 1;
        Progress.m_nScore = 100;
        Progress.m_nStageScore = 20;
        EndStage(*game);
        EXPECT_EQ(Sounds().front(), 14) << c.what;
        EXPECT_EQ(game->m_bRankAchieved, 0) << c.what;
        EXPECT_EQ(game->m_bRankingDone, 0) << c.what;
        EXPECT_EQ(game->m_vecRank, CheckedVector<std::int32_t>(5, -1)) << c.what;
        EXPECT_EQ(game->m_vecRankValue[0] == Progress.m_nScore, c.valuesSet) << c.what;
        if (c.valuesSet) {
            EXPECT_EQ(game->m_vecRankValue[3], Progress.m_nRestHP) << c.what;
        }
    }
}

TEST_F(StageEndTest, NextStageFileNames) {
    struct Case {
        int series, next;
        const char* nextBase;
        const char* stageBase;
        int number, result;
        const char* path;
    };
    const Case cases[] = {
        {1, 2, "", "data\\stg4\\forest.", 2, 1, "data\\stg4\\forest-2.stg4_000"},
        {1, 3, "", "data\\stg4\\forest.", 3, 0, ""},  // no such file
        {0, 2, "", "data\\stg4\\forest.", 2, 0, ""},
        {1, 0, "", "data\\stg4\\forest.", 2, 0, ""},
        {1, 5, "data\\stg4\\cave.", "data\\stg4\\forest.", 5, 1, "data\\stg4\\cave.stg4_000"},
        {1, 2, "", "", 2, 0, ""},  // no base
    };
    for (const Case& c : cases) {
        Progress.m_bSeries = c.series;
        Progress.m_strStageBase = c.stageBase;
        game->m_nNextStage = c.next;
        game->m_strNextStageBase = c.nextBase;
        std::string out = "old";
        EXPECT_EQ(MakeNextStageFileName(*game, out, c.number), c.result) << c.next;
        EXPECT_EQ(out, c.path) << c.next;
        EXPECT_EQ(IsLastStage(*game, c.number), 1 - c.result) << c.next;
    }
}

// Story: forest-1 goes on to the newest version of forest-2; a missing next stage ends the
// series as a clear of the map entry.
TEST_F(StageEndTest, StorySeriesGoesOnToTheNextStage) {
    std::filesystem::copy_file("data/stg4/cave.stg4_000", "data/stg4/forest-2.stg4_002");
    plat::ClearPathCache();
    for (int choice : {TITLE_NEWGAME, TITLE_CONTINUE}) {
        SceneMgr.m_nTitleChoice = choice;
        Progress.m_nSeriesIndex = 1;
        game->m_nNextStage = 2;
        EXPECT_EQ(ChooseNextScene(*game), SCENE_GAME);
        EXPECT_EQ(Progress.m_nSeriesIndex, 2);
        EXPECT_EQ(EdStage.nWidth, 20) << EdStageWork.strPath;  // the cave's copy, version 002
        EXPECT_TRUE(Progress.m_vecStageScore.empty());
    }
}

TEST_F(StageEndTest, StoryClearByTheAfterClearSetting) {
    struct Case {
        int afterClear;  // -1: no entry played from the map
        int result;
        std::int32_t seriesIndex, playThrough, clearSwitch;
    };
    const Case cases[] = {
        {-1, SCENE_WORLDMAP, 1, 0, 1}, {0, SCENE_WORLDMAP, 1, 0, 1},
        {1, SCENE_WORLDMAP, 1, 1, 0},  // a new round: every switch off again
        {2, SCENE_TITLE, 3, 0, 1},     // the series index stays where the series ended
        {7, SCENE_WORLDMAP, 1, 0, 1},
    };
    for (const Case& c : cases) {
        Progress.Reset();
        Progress.SetStageFile("data\\stg4\\forest-1.stg4_001");
        Progress.m_nScore = 400;
        Progress.m_nClearSwitch = 12;
        Progress.m_nSeriesIndex = 1;
        cEdMapStage entry;
        entry.nAfterClear = c.afterClear;
        Progress.m_pPlayingEntry = c.afterClear >= 0 ? &entry : nullptr;
        SceneMgr.m_nTitleChoice = TITLE_CONTINUE;
        game->m_nNextStage = 3;  // forest-3 does not exist
        EXPECT_EQ(ChooseNextScene(*game), c.result) << c.afterClear;
        EXPECT_EQ(SceneMgr.m_nTitleChoice, TITLE_CONTINUE);
        EXPECT_EQ(Progress.m_nSeriesIndex, c.seriesIndex) << c.afterClear;
        EXPECT_EQ(Progress.m_nPlayThrough, c.playThrough) << c.afterClear;
        EXPECT_EQ(Progress.m_vecSwitch[12], c.clearSwitch) << c.afterClear;
        EXPECT_EQ(Progress.GetStageScore("data\\stg4\\forest."), 400) << c.afterClear;
        Progress.m_pPlayingEntry = nullptr;
    }
    // A switch outside the list is reported and left alone.
    for (std::int32_t bad : {-1, 1000}) {
        Progress.m_nClearSwitch = bad;
        Progress.m_vecSwitch[0] = 0;
        EXPECT_EQ(ChooseNextScene(*game), SCENE_WORLDMAP);
        EXPECT_EQ(Progress.m_vecSwitch[0], 0);
    }
    EXPECT_EQ(PendingCloses(), 0);
    EXPECT_NE(ReadFile("Report.txt").find("switch 1000 does not exist"), std::string::npos);
}

// Clearing a challenge stage opens the next only from the highest open one, keeps the best
// score and writes the challenge file.
TEST_F(StageEndTest, ChallengeClearOpensTheNextStageAndWritesTheFile) {
    EdSystem.nChallengeStages = 3;
    Progress.ClampMapPosition();
    Progress.m_nChallengeOpen = 2;
    Progress.m_bSeries = 0;
    SceneMgr.m_nTitleChoice = TITLE_CHALLENGE;
    struct Step {
        std::int32_t stage, score;
        std::int32_t open, best, total;
    };
    const Step steps[] = {
        {1, 100, 2, 100, 100},                         // below the highest open one: opens nothing
        {2, 300, 3, 300, 400}, {2, 200, 3, 300, 400},  // a lower score keeps the best
        {3, 50, 3, 50, 450},                           // the last: no fourth stage to open
        {1, 150, 3, 150, 500},
    };
    for (const Step& s : steps) {
        Progress.m_nClearSwitch = s.stage;
        Progress.m_nScore = s.score;
        Progress.m_nSeriesIndex = 5;
        EXPECT_EQ(ChooseNextScene(*game), SCENE_STAGESELECT);
        EXPECT_EQ(Progress.m_nSeriesIndex, 5);
        EXPECT_EQ(Progress.m_nChallengeOpen, s.open) << s.stage;
        EXPECT_EQ(Progress.m_vecChallenge[s.stage - 1].m_bCleared, 1);
        EXPECT_EQ(Progress.m_vecChallenge[s.stage - 1].m_nBest, s.best) << s.stage;
        EXPECT_EQ(Progress.m_nTotalBest, s.total) << s.stage;
        GameProgress file;
        ASSERT_EQ(file.LoadChallenge(), 1);
        EXPECT_EQ(file.m_nChallengeOpen, s.open);
        EXPECT_EQ(file.m_nTotalBest, s.total);
    }
    // A challenge number outside the records changes and writes nothing.
    std::filesystem::remove("user_data/challenge/Challenge.dat");
    for (std::int32_t bad : {0, 4}) {
        Progress.m_nClearSwitch = bad;
        EXPECT_EQ(ChooseNextScene(*game), SCENE_STAGESELECT);
    }
    EXPECT_FALSE(std::filesystem::exists("user_data/challenge/Challenge.dat"));
    EXPECT_EQ(PendingCloses(), 0);
}

TEST_F(StageEndTest, FreePlayReplayAndOtherChoices) {
    struct Case {
        int choice, series, testPlay, next;
        int result;
        std::int32_t seriesIndex;
    };
    const Case cases[] = {
        {TITLE_FREE, 0, 0, 0, SCENE_GAME, 1},   // a single stage: played again
        {TITLE_FREE, 1, 1, 2, SCENE_GAME, 1},   // a direct play: the same stage again
        {TITLE_FREE, 1, 0, 0, SCENE_TITLE, 1},  // the series ends
        {TITLE_FREE, 1, 0, 3, SCENE_TITLE, 1},  // the next file is missing
        {TITLE_FREE, 1, 0, 2, SCENE_GAME, 2},   // on to forest-2
        {TITLE_OPTION, 1, 0, 2, SCENE_STAGESELECT, 1},
    };
    for (const Case& c : cases) {
        bTestPlay = c.testPlay;
        SceneMgr.m_nTitleChoice = c.choice;
        Progress.m_bSeries = c.series;
        Progress.m_strStageBase = "data\\stg4\\forest.";
        Progress.m_nSeriesIndex = 1;
        Progress.m_bWarpPos = 1;
        game->m_nNextStage = c.next;
        EXPECT_EQ(ChooseNextScene(*game), c.result) << c.choice << "/" << c.series << c.next;
        EXPECT_EQ(Progress.m_nSeriesIndex, c.seriesIndex) << c.series << c.next;
        EXPECT_EQ(Progress.m_bWarpPos, c.series == 0 || c.testPlay ? 0 : 1);
    }
    // A replay runs again from its checkpoint.
    SceneMgr.m_nTitleChoice = TITLE_REPLAY;
    Progress.m_nLives = 4;
    Progress.m_nScore = 10;
    Progress.SaveCheckpoint();
    Progress.m_nLives = 1;
    Progress.m_nScore = 99;
    EXPECT_EQ(ChooseNextScene(*game), SCENE_GAME);
    EXPECT_EQ(Progress.m_nLives, 4);
    EXPECT_EQ(Progress.m_nScore, 10);
}

// A stage that carries the hero's statuses stores them when the result screen is left.
TEST_F(StageEndTest, StoredStatusesWhenTheStageAsksForThem) {
    for (int g = 0; g < 25; ++g) EdSystem.vecCarryMask[g] = g == 11 || g == 22 ? 1 : 0;
    SceneMgr.m_nTitleChoice = TITLE_REPLAY;
    game->m_nTime = 66;
    EdStageWork.bStoreStatus = 0;
    ChooseNextScene(*game);
    EXPECT_EQ(Progress.m_bCarried, 0);
    EdStageWork.bStoreStatus = 1;
    ChooseNextScene(*game);
    EXPECT_EQ(Progress.m_bCarried, 1);
    EXPECT_EQ(Progress.m_vecCarryChara[0].m_nHp, 30);
    EXPECT_EQ(Progress.m_vecCarryChara[0].m_nRestTime, 66);
    EXPECT_EQ(Progress.m_vecCarryFlags[11], 1);
    EXPECT_EQ(Progress.m_vecCarryFlags[12], 0);
}

}  // namespace

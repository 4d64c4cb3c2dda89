// The in-memory progress record: its reset, the stage key, the checkpoint by flag and play
// mode, the carried statuses and their masks, the scores, copies, and the direct start of a
// stage file that cannot be loaded.
#include <gtest/gtest.h>

#include <filesystem>

#include "gen/project.h"
#include "platform/host_path.h"
#include "scene_fixture.h"
#include "stage/stage_load.h"

namespace {

class ProgressTest : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override { SetUpWorld(); }
    void TearDown() override { TearDownWorld(); }
};

TEST_F(ProgressTest, ResetGivesTheEmptyProgressAndKeepsTheCheckpoint) {
    GameProgress p;
    p.m_nScore = 1234;
    p.m_nMapX = 3;
    p.m_strStageBase = "x.";
    p.m_vecSwitch[5] = 1;
    p.m_vecVariable[7] = 9;
    p.m_vecCarryFlags[3] = 1;
    p.m_vecStageScore.emplace_back();
    p.m_vecChallenge.emplace_back();
    p.m_nChallengeOpen = 7;
    p.m_nSlot = 4;
    p.ResetCarriedStatus(3);
    p.m_nCheckScore = 55;
    p.m_vecCheckVariable[1] = 66;
    p.Reset();
    EXPECT_EQ(p.m_nScore, 0);
    EXPECT_EQ(p.m_nMapX, 0);
    EXPECT_EQ(p.m_strStageBase, "");
    ASSERT_EQ(p.m_vecSwitch.Size(), 1000u);
    EXPECT_EQ(p.m_vecSwitch[0], 1);
    EXPECT_EQ(p.m_vecSwitch[5], 0);
    ASSERT_EQ(p.m_vecVariable.Size(), 256u);
    EXPECT_EQ(p.m_vecVariable[7], 0);
    ASSERT_EQ(p.m_vecCarryFlags.Size(), 25u);
    EXPECT_EQ(p.m_vecCarryFlags[3], 0);
    EXPECT_EQ(p.m_vecCarryChara.Size(), 1u);
    EXPECT_TRUE(p.m_vecStageScore.empty());
    EXPECT_TRUE(p.m_vecChallenge.empty());
    EXPECT_EQ(p.m_nChallengeOpen, 1);
    EXPECT_EQ(p.m_nSlot, -1);
    EXPECT_EQ(p.m_strPlayerName, "aaa");
    EXPECT_EQ(p.m_nCheckScore, 55);
    EXPECT_EQ(p.m_vecCheckVariable[1], 66);
}

TEST_F(ProgressTest, RegisteredFieldsFollowTheVersionGates) {
    GameProgress p;
    p.Rebind(747);
    EXPECT_EQ(p.FieldCount(), 32);
    EXPECT_EQ(p.StringCount(), 3);
    p.Rebind(180);  // before the result HP and SP, the map facing, the way back, the warp
    EXPECT_EQ(p.FieldCount(), 32 - 2 - 1 - 1 - 2 - 3 - 1);
    EXPECT_EQ(p.StringCount(), 2);
    p.Rebind(165);
    EXPECT_EQ(p.FieldCount(), 32 - 2 - 1 - 1 - 2 - 3 - 1 - 1 - 1);
}

TEST_F(ProgressTest, StageKeyFromTheStageFile) {
    struct Case {
        const char* path;
        const char* key;
        int series;
    };
    const Case cases[] = {
        {"data\\stg4\\forest-1.stg4_747", "data\\stg4\\forest.", 1},
        {"data\\stg4\\forest.stg4_747", "data\\stg4\\forest.", 0},
        {"data\\stg4\\forest-12.stg4_747", "data\\stg4\\forest.", 1},
        {"data\\stg4\\cave.stg4_747", "data\\stg4\\cave.", 0},
        {"a-1b-1c.stg4", "a-1b.", 1},  // the last "-1" counts
        {"noextension", "", 0},
        {"", "", 0},
        {nullptr, "", 0},
        {"-1", ".", 1},
    };
    for (const Case& c : cases) {
        GameProgress p;
        p.m_bSeries = 7;
        p.SetStageFile(c.path);
        EXPECT_EQ(p.m_strStageBase, c.key) << (c.path ? c.path : "null");
        EXPECT_EQ(p.m_bSeries, c.series) << (c.path ? c.path : "null");
    }
}

TEST_F(ProgressTest, RetryRestoresVariablesLivesAndScore) {
    Progress.m_vecVariable[3] = 30;
    Progress.m_nLives = 4;
    Progress.m_nScore = 400;
    Progress.SaveCheckpoint();
    Progress.m_vecVariable[3] = 31;
    Progress.m_nLives = 1;
    Progress.m_nScore = 999;
    EXPECT_EQ(Progress.RestoreCheckpoint(1), 400);
    EXPECT_EQ(Progress.m_vecVariable[3], 30);
    EXPECT_EQ(Progress.m_nLives, 4);
    EXPECT_EQ(Progress.m_nScore, 400);
}

TEST_F(ProgressTest, LostLifeRestoresVariablesOnlyWhereTheSystemAsks) {
    struct Case {
        int mode;
        int testPlay;
        int story, challenge, freePlay, direct;
        bool variables;
    };
    const Case cases[] = {
        {PLAYMODE_STORY, 0, 1, 0, 0, 0, true},     {PLAYMODE_STORY, 0, 0, 1, 1, 1, false},
        {PLAYMODE_CHALLENGE, 0, 0, 1, 0, 0, true}, {PLAYMODE_CHALLENGE, 0, 1, 0, 1, 1, false},
        {PLAYMODE_FREE, 0, 0, 0, 1, 0, true},      {PLAYMODE_FREE, 0, 1, 1, 0, 1, false},
        {PLAYMODE_FREE, 1, 0, 0, 1, 0, false},     {PLAYMODE_FREE, 1, 0, 0, 0, 1, true},
        {PLAYMODE_REPLAY, 0, 0, 0, 0, 0, true},
    };
    for (const Case& c : cases) {
        SceneMgr.m_nPlayMode = c.mode;
        bTestPlay = c.testPlay;
        EdSystem.bStoryRestoreVars = c.story;
        EdSystem.bChallengeRestoreVars = c.challenge;
        EdSystem.bFreeRestoreVars = c.freePlay;
        EdSystem.bDirectRestoreVars = c.direct;
        Progress.m_vecVariable[0] = 1;
        Progress.m_nLives = 3;
        Progress.m_nScore = 100;
        Progress.SaveCheckpoint();
        Progress.m_vecVariable[0] = 2;
        Progress.m_nLives = 2;
        Progress.m_nScore = 150;
        EXPECT_EQ(Progress.RestoreCheckpoint(0), 100);
        EXPECT_EQ(Progress.m_vecVariable[0], c.variables ? 1 : 2) << c.mode << " " << c.testPlay;
        EXPECT_EQ(Progress.m_nLives, 2);  // a lost life is not given back
        EXPECT_EQ(Progress.m_nScore, 100);
    }
}

TEST_F(ProgressTest, RestoreBeforeAnyCheckpointKeepsAllVariables) {
    GameProgress p;
    p.m_vecVariable[9] = 5;
    p.RestoreCheckpoint(1);
    EXPECT_EQ(p.m_vecVariable.Size(), 256u);
    EXPECT_EQ(p.m_vecVariable[9], 0);
}

TEST_F(ProgressTest, ResetScoresClearsScoreAndResultsOnly) {
    Progress.m_nScore = 1;
    Progress.m_nRestTime = 2;
    Progress.m_nClearTime = 3;
    Progress.m_nRestHP = 4;
    Progress.m_nRestSP = 5;
    Progress.m_nStageScore = 6;
    Progress.m_nTotalBest = 7;
    Progress.m_nLives = 8;
    Progress.ResetScores();
    EXPECT_EQ(Progress.m_nScore + Progress.m_nRestTime + Progress.m_nClearTime +
                  Progress.m_nRestHP + Progress.m_nRestSP,
              0);
    EXPECT_EQ(Progress.m_nStageScore, 6);
    EXPECT_EQ(Progress.m_nTotalBest, 7);
    EXPECT_EQ(Progress.m_nLives, 8);
}

// A carried hero whose stored record differs from the given one in every carried field.
class CarryTest : public ProgressTest {
protected:
    void SetUp() override {
        ProgressTest::SetUp();
        for (int g = 0; g < kCarryGroupCount; ++g) {
            EdSystem.vecCarryMask[g] = 1;
            Progress.m_vecCarryFlags[g] = 1;
        }
        Progress.m_bCarried = 1;
        cEdChara& s = Progress.m_vecCarryChara[0].m_Chara;
        s.nGraphicSource = 3;
        s.nGraphic = 44;
        s.nPatternBase = 5;
        s.nAnimeSet = 6;
        s.nZ = 2;
        s.bTransparent = 1;
        s.nCharaEffect1 = 9;
        s.nCharaEffect1Mode = 2;
        s.nCharaEffect1Param = 3;
        s.bFixedFacing = 1;
        s.nBlockCollision = 4;
        s.nShotCollision = 5;
        s.nGiant = 3;
        s.bScrollSync = 1;
        s.nSightShape = 2;
        s.nSight = 11;
        s.nMaxHp = 700;
        s.nMaxSp = 800;
        s.nHitBoxKind = 2;
        s.nBodyPower = 90;
        s.nBodyImpact = -3;
        s.nDefense = 60;
        s.nImpactResist = 7;
        s.nStopping = 120;
        s.vecFlow.resize(2);
        // Fields beside the carried ones that no group names.
        s.nCharaEffect2 = 13;
        s.nInvincibleColour = 4;
        s.b32Mode = 1;
        s.nEffect = 17;
        s.nScore = 5000;
        ProgressChara& v = Progress.m_vecCarryChara[0];
        v.m_nHp = 321;
        v.m_nSp = 123;
        v.m_nRestTime = 77;
        v.m_nLives = 6;
        v.m_nStageBgm = 12;
    }
};

TEST_F(CarryTest, EveryCarriedGroupComesBack) {
    cEdChara hero;
    hero.nCharaId = 42;  // not carried
    hero.nCharaEffect2 = 2;
    hero.nInvincibleColour = 1;
    hero.b32Mode = 0;
    hero.nEffect = 3;
    hero.nScore = 10;
    Progress.RestoreCarriedStatus(0, hero);
    EXPECT_EQ(hero.nGraphicSource, 3);
    EXPECT_EQ(hero.nGraphic, 44);
    EXPECT_EQ(hero.nPatternBase, 5);
    EXPECT_EQ(hero.nAnimeSet, 6);
    EXPECT_EQ(hero.nZ, 2);
    EXPECT_EQ(hero.bTransparent, 1);
    EXPECT_EQ(hero.nCharaEffect1, 9);
    EXPECT_EQ(hero.nCharaEffect1Mode, 2);
    EXPECT_EQ(hero.nCharaEffect1Param, 3);
    EXPECT_EQ(hero.bFixedFacing, 1);
    EXPECT_EQ(hero.nBlockCollision, 4);
    EXPECT_EQ(hero.nShotCollision, 5);
    EXPECT_EQ(hero.nGiant, 3);
    EXPECT_EQ(hero.bScrollSync, 1);
    EXPECT_EQ(hero.nSightShape, 2);
    EXPECT_EQ(hero.nSight, 11);
    EXPECT_EQ(hero.nMaxHp, 700);
    EXPECT_EQ(hero.nMaxSp, 800);
    EXPECT_EQ(hero.nHitBoxKind, 2);
    EXPECT_EQ(hero.nBodyPower, 90);
    EXPECT_EQ(hero.nBodyImpact, -3);
    EXPECT_EQ(hero.nDefense, 60);
    EXPECT_EQ(hero.nImpactResist, 7);
    EXPECT_EQ(hero.nStopping, 120);
    EXPECT_EQ(hero.vecFlow.Size(), 2u);
    EXPECT_EQ(hero.nCharaId, 42);
    // The uncarried neighbours of carried fields stay.
    EXPECT_EQ(hero.nCharaEffect2, 2);
    EXPECT_EQ(hero.nInvincibleColour, 1);
    EXPECT_EQ(hero.b32Mode, 0);
    EXPECT_EQ(hero.nEffect, 3);
    EXPECT_EQ(hero.nScore, 10);
    EXPECT_EQ(EdStageWork.nTimeLimit, 77);
    EXPECT_EQ(Progress.m_nLives, 6);
    EXPECT_EQ(EdStageWork.nBgm, 12);
    std::int32_t hp = 1, sp = 2;
    Progress.RestoreCarriedValues(0, &hp, &sp);
    EXPECT_EQ(hp, 321);
    EXPECT_EQ(sp, 123);
}

TEST_F(CarryTest, AGroupNeedsBothItsMaskAndItsStoredFlag) {
    EdSystem.vecCarryMask[13] = 0;     // max HP not carried
    Progress.m_vecCarryFlags[14] = 0;  // max SP never stored
    EdSystem.vecCarryMask[11] = 0;     // HP not carried
    Progress.m_vecCarryFlags[23] = 0;  // lives never stored
    Progress.m_vecCarryFlags[21] = 0;  // flows never stored
    cEdChara hero;
    hero.nMaxHp = 10;
    hero.nMaxSp = 20;
    Progress.m_nLives = 2;
    Progress.RestoreCarriedStatus(0, hero);
    EXPECT_EQ(hero.nMaxHp, 10);
    EXPECT_EQ(hero.nMaxSp, 20);
    EXPECT_EQ(hero.nGiant, 3);
    EXPECT_TRUE(hero.vecFlow.empty());
    EXPECT_EQ(Progress.m_nLives, 2);
    std::int32_t hp = 1, sp = 2;
    Progress.RestoreCarriedValues(0, &hp, &sp);
    EXPECT_EQ(hp, 1);
    EXPECT_EQ(sp, 123);
}

TEST_F(CarryTest, NothingComesBackBeforeAStore) {
    Progress.m_bCarried = 0;
    cEdChara hero;
    const std::int8_t giant = hero.nGiant;
    EdStageWork.nTimeLimit = 5;
    Progress.RestoreCarriedStatus(0, hero);
    EXPECT_EQ(hero.nGiant, giant);
    EXPECT_EQ(EdStageWork.nTimeLimit, 5);
    std::int32_t hp = 1, sp = 2;
    Progress.RestoreCarriedValues(0, &hp, &sp);
    EXPECT_EQ(hp, 1);
    EXPECT_EQ(sp, 2);
}

TEST_F(CarryTest, StoredGraphicZeroComesBackAsOne) {
    Progress.m_vecCarryChara[0].m_Chara.nGraphic = 0;
    cEdChara hero;
    Progress.RestoreCarriedStatus(0, hero);
    EXPECT_EQ(hero.nGraphic, 1);
}

TEST_F(CarryTest, LostLifeForgetsTheGroupsOfTheResetMask) {
    for (int g = 0; g < kCarryGroupCount; ++g) EdSystem.vecCounterResetMask[g] = g % 2;
    Progress.ClearMaskedCounters();
    for (int g = 0; g < kCarryGroupCount; ++g)
        EXPECT_EQ(Progress.m_vecCarryFlags[g], g % 2 ? 0 : 1) << g;
}

TEST_F(CarryTest, CopiesTakeEveryMember) {
    Progress.m_nScore = 77;
    Progress.m_strPlayerName = "bob";
    Progress.m_vecStageScore.emplace_back().m_strKey = "k.";
    GameProgress copy;
    copy = Progress;
    EXPECT_EQ(copy.SaveToBytes(), Progress.SaveToBytes());
    EXPECT_EQ(copy.m_vecCarryChara[0].m_nHp, 321);
    EXPECT_EQ(copy.m_vecCarryChara[0].m_Chara.nMaxSp, 800);
    EXPECT_EQ(copy.m_vecStageScore[0].m_strKey, "k.");
    EXPECT_EQ(copy.m_vecCarryFlags, Progress.m_vecCarryFlags);
    CurReplayProgress = Progress;
    PrevReplayProgress = CurReplayProgress;
    EXPECT_EQ(PrevReplayProgress.SaveToBytes(), Progress.SaveToBytes());
}

TEST_F(ProgressTest, StageFileThatCannotBeLoadedStartsNothing) {
    Progress.m_nScore = 5;
    EXPECT_EQ(StartPlayFromStageFile("data\\stg4\\missing.stg4_747", 0), 0);
    EXPECT_EQ(Progress.m_nScore, 0);  // the progress was reset first
    EXPECT_EQ(Progress.m_strStageBase, "");
}

}  // namespace

namespace {

// The sample game's stages, loaded for a free play.
class DirectStartTest : public ProgressTest {
protected:
    void SetUp() override {
        ProgressTest::SetUp();
        gen::ProjectOptions options;
        options.data = true;
        std::string error;
        ASSERT_TRUE(gen::MakeProject("project", options, &error)) << error;
        std::filesystem::current_path("project");
        plat::ClearPathCache();
    }
    void TearDown() override {
        std::filesystem::current_path("..");
        ProgressTest::TearDown();
    }
};

TEST_F(DirectStartTest, FreePlayLivesAndTheStageKey) {
    struct Case {
        int testPlay;
        int limited;
        int lives;  // the free mode's start lives
        int expectContinue, expectLives;
    };
    const Case cases[] = {
        {0, 1, 4, 4, 3},
        {0, 0, 4, kUnlimitedLives, kUnlimitedLives},
        {1, 1, 4, kUnlimitedLives, kUnlimitedLives},
    };
    for (const Case& c : cases) {
        bTestPlay = c.testPlay;
        EdSystem.vecLivesLimited[PLAYMODE_FREE] = c.limited;
        EdSystem.vecStartLives[PLAYMODE_FREE] = c.lives;
        Progress.m_nScore = 9;
        ASSERT_EQ(StartPlayFromStageFile("data\\stg4\\forest-1.stg4", 1), 1);
        EXPECT_EQ(Progress.m_nScore, 0);
        EXPECT_EQ(Progress.m_nContinueLives, c.expectContinue);
        EXPECT_EQ(Progress.m_nLives, c.expectLives);
        EXPECT_EQ(Progress.m_nSeriesIndex, 1);
        EXPECT_EQ(Progress.m_strStageBase, "data\\stg4\\forest.");
        EXPECT_EQ(Progress.m_bSeries, 1);
        // The newest numbered version was loaded.
        EXPECT_EQ(EdStageWork.strPath, "data\\stg4\\forest-1.stg4_001");
    }
}

TEST_F(DirectStartTest, AbsolutePathIsKeptRelative) {
    const std::string absolute =
        std::filesystem::current_path().string() + "/data/stg4/cave.stg4_000";
    std::string windows = absolute;
    for (char& ch : windows)
        if (ch == '/') ch = '\\';
    ASSERT_EQ(StartPlayFromStageFile(windows, 0), 1);
    EXPECT_EQ(Progress.m_strStageBase, ".\\data\\stg4\\cave.");
}

}  // namespace

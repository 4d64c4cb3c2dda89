// The rules of the progress record between stages: stage keys and the world map, best
// scores and their total, the ranking table shown, a new round, and the hero's carried
// statuses through a file.
#include <gtest/gtest.h>

#include <climits>

#include "base/paths.h"
#include "data/database.h"
#include "data/world_map.h"
#include "scene_fixture.h"

namespace {

class ProgressRulesTest : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override { SetUpWorld(); }
    void TearDown() override { TearDownWorld(); }

    // A map whose one node holds stage entries for these files (kind 0 unless given).
    static void MapWith(std::initializer_list<std::pair<const char*, int>> files) {
        cEdMapNode node;
        node.vecStages.Clear();
        for (auto [file, kind] : files) {
            cEdMapStage entry;
            entry.strStageFile = file;
            entry.nKind = kind;
            node.vecStages.push_back(entry);
        }
        EdWorldMap.vecNodes.Clear();
        EdWorldMap.vecNodes.push_back(node);
    }
};

// The key the stage file gives and the key the map entry gives agree.
TEST_F(ProgressRulesTest, StageKeysOfFilesAndMapEntriesAgree) {
    struct Case {
        const char* path;
        bool onMap;  // a key that the map's entry for the same file finds
    };
    const Case cases[] = {
        {"data\\stg4\\forest-1.stg4_747", true},
        {"data\\stg4\\forest.stg4_747", true},
        {"data\\stg4\\forest-12.stg4_747", true},
        {"data\\stg4\\cave.stg4", true},
        {"data\\v1.0\\cave", true},  // a dotted folder: both cut at its dot
        {"nodot", false},            // the file gives no key
    };
    for (const Case& c : cases) {
        MapWith({{c.path, 0}});
        GameProgress p;
        p.SetStageFile(c.path);
        EXPECT_EQ(EdWorldMap.HasStageName(p.m_strStageBase), c.onMap) << c.path;
    }
    // forest-1, forest and forest-12 are one key; cave is another, case counts.
    MapWith({{"data\\stg4\\forest-1.stg4", 0}, {"data\\stg4\\cave.stg4", 0}});
    EXPECT_TRUE(EdWorldMap.HasStageName("data\\stg4\\forest."));
    EXPECT_TRUE(EdWorldMap.HasStageName("data\\stg4\\cave."));
    EXPECT_FALSE(EdWorldMap.HasStageName("data\\stg4\\Cave."));
    EXPECT_FALSE(EdWorldMap.HasStageName("data\\stg4\\forest-1."));
    // Only stage entries count.
    MapWith({{"data\\stg4\\cave.stg4", 2}});
    EXPECT_FALSE(EdWorldMap.HasStageName("data\\stg4\\cave."));
}

TEST_F(ProgressRulesTest, BestScoresKeepTheHigherValueAndTheTotalFollows) {
    GameProgress p;
    p.m_nTotalBest = 10;
    p.RecordStageScore("a.", 100);
    EXPECT_EQ(p.GetStageScore("a."), 100);
    EXPECT_EQ(p.m_nTotalBest, 110);
    p.RecordStageScore("a.", 60);  // lower: nothing
    EXPECT_EQ(p.GetStageScore("a."), 100);
    EXPECT_EQ(p.m_nTotalBest, 110);
    p.RecordStageScore("a.", 100);  // equal: nothing
    EXPECT_EQ(p.m_vecStageScore.Size(), 1u);
    p.RecordStageScore("a.", 250);  // higher: the total grows by the difference
    EXPECT_EQ(p.GetStageScore("a."), 250);
    EXPECT_EQ(p.m_nTotalBest, 260);
    p.RecordStageScore("b.", 5);
    EXPECT_EQ(p.m_nTotalBest, 265);
    EXPECT_EQ(p.GetStageScore("c."), 0);
    // The total stays at the 32-bit limit.
    p.RecordStageScore("d.", INT_MAX);
    EXPECT_EQ(p.m_nTotalBest, INT_MAX);
}

TEST_F(ProgressRulesTest, RecountDropsStagesNoLongerOnTheMap) {
    GameProgress p;
    p.RecordStageScore("data\\stg4\\forest.", 300);
    p.RecordStageScore("data\\stg4\\cave.", 200);
    p.RecordStageScore("data\\stg4\\gone.", 1000);
    MapWith({{"data\\stg4\\forest-1.stg4", 0}, {"data\\stg4\\cave.stg4", 0}});
    p.RecountTotal();
    EXPECT_EQ(p.m_nTotalBest, 500);
    p.RecordStageScore("data\\stg4\\cave.", INT_MAX);
    p.RecountTotal();
    EXPECT_EQ(p.m_nTotalBest, INT_MAX);  // summed in 64 bits, held at the limit
}

TEST_F(ProgressRulesTest, RankingTableCyclesOverTheEnabledOnes) {
    struct Case {
        std::vector<int> enabled;
        int from, step, to;
    };
    const Case cases[] = {
        {{}, 3, 1, 3},   // none enabled: nothing changes
        {{}, 9, -1, 9},  // not even an index outside the tables
        {{2}, 0, 1, 2},  // only table 2 ...
        {{2}, 2, 1, 2},  // ... always lands on it
        {{2}, 4, 7, 2},
        {{0, 3}, 3, 1, 0},   // 4 wraps to 0
        {{0, 3}, 0, -1, 3},  // backwards 0 wraps to 4, on to 3
        {{1, 2, 4}, 4, -2, 1},
        {{1, 3}, 0, 0, 1},  // step 0 on a disabled table: on to the next enabled
        {{1, 3}, 3, 0, 3},  // step 0 on an enabled one: stays
        {{1, 3}, 7, 1, 1},  // outside 0-4: taken as 0 first
        {{1, 3}, -3, 0, 1},
        {{0, 1, 2, 3, 4}, 1, INT_MIN, 3},
        {{1, 3}, 0, 3, 1},  // from a disabled table: 1, 3, 1
        {{1, 3}, 0, 4, 3},
    };
    for (const Case& c : cases) {
        CheckedVector<std::uint8_t>& on = EdSystem.vecRankingRules[PLAYMODE_CHALLENGE].vecTableOn;
        for (int t = 0; t < 5; ++t) on[t] = 0;
        for (int t : c.enabled) on[t] = 1;
        GameProgress p;
        p.m_nRankTable = c.from;
        p.CycleRankingTable(PLAYMODE_CHALLENGE, c.step);
        EXPECT_EQ(p.m_nRankTable, c.to) << c.from << " step " << c.step;
    }
}

TEST_F(ProgressRulesTest, NextRoundClearsTheSwitchesAndGoesToTheStart) {
    EdWorldMap.nStartX = 4;
    EdWorldMap.nStartY = 5;
    GameProgress p;
    p.m_nPlayThrough = 1;
    p.m_vecSwitch[0] = 1;
    p.m_vecSwitch[999] = 1;
    p.m_vecVariable[3] = 8;
    p.m_nMapX = 11;
    p.m_nMapY = 12;
    p.StartNextRound();
    EXPECT_EQ(p.m_nPlayThrough, 2);
    EXPECT_EQ(p.m_vecSwitch, CheckedVector<std::int32_t>(1000, 0));
    EXPECT_EQ(p.m_vecVariable[3], 8);
    EXPECT_EQ(p.m_nMapX, 4);
    EXPECT_EQ(p.m_nMapY, 5);
}

// Stored at a stage's end, written to a slot, read back and restored into the next stage:
// the carried groups come back, the others keep the next stage's values.
TEST_F(ProgressRulesTest, CarriedStatusesSurviveAFile) {
    CreateDataFolders();
    EdDatabase.vecCharaEffect.resize(8);  // the effect carried must exist to be saved
    for (int g = 0; g < 25; ++g) EdSystem.vecCarryMask[g] = 0;
    for (int g : {0, 4, 11, 13, 21, 22, 23}) EdSystem.vecCarryMask[g] = 1;
    cEdChara hero;
    hero.nGraphicSource = 2;
    hero.nGraphic = 0;  // comes back as 1
    hero.nPatternBase = 5;
    hero.nAnimeSet = 9;  // group 1: not carried
    hero.nMaxHp = 321;
    hero.vecFlow.resize(3);
    Progress.StoreCarriedStatus(0, hero, 44, 55, 7, 2, 1, 80, 3, 6);
    EXPECT_EQ(Progress.m_bCarried, 1);
    for (int g = 0; g < 25; ++g)
        EXPECT_EQ(Progress.m_vecCarryFlags[g], EdSystem.vecCarryMask[g]) << g;
    ASSERT_TRUE(Progress.SaveSlot(0));

    GameProgress loaded;
    ASSERT_EQ(loaded.LoadSlot(0), 1);
    Progress = loaded;
    cEdChara next;
    next.nAnimeSet = 2;
    next.nMaxHp = 1;
    EdStageWork.nTimeLimit = 500;
    EdStageWork.nBgm = 1;
    Progress.m_nLives = 9;
    Progress.RestoreCarriedStatus(0, next);
    EXPECT_EQ(next.nGraphicSource, 2);
    EXPECT_EQ(next.nGraphic, 1);
    EXPECT_EQ(next.nPatternBase, 5);
    EXPECT_EQ(next.nAnimeSet, 2);
    EXPECT_EQ(next.nCharaEffect1, 7);
    EXPECT_EQ(next.nCharaEffect1Mode, 2);
    EXPECT_EQ(next.nCharaEffect1Param, 1);
    EXPECT_EQ(next.nMaxHp, 321);
    // The flows of the hero (empty ones here, which a file does not keep) come back too.
    Progress.StoreCarriedStatus(0, hero, 44, 55, 7, 2, 1, 80, 3, 6);
    Progress.RestoreCarriedStatus(0, next);
    EXPECT_EQ(next.vecFlow.Size(), 3u);
    EXPECT_EQ(EdStageWork.nTimeLimit, 80);
    EXPECT_EQ(Progress.m_nLives, 3);
    EXPECT_EQ(EdStageWork.nBgm, 1);  // group 24 not carried
    std::int32_t hp = 1, sp = 2;
    Progress.RestoreCarriedValues(0, &hp, &sp);
    EXPECT_EQ(hp, 44);
    EXPECT_EQ(sp, 2);  // group 12 not carried

    // A hero number no hero can have stores nothing.
    GameProgress q;
    q.StoreCarriedStatus(-1, hero, 1, 1, 1, 1, 1, 1, 1, 1);
    q.StoreCarriedStatus(8, hero, 1, 1, 1, 1, 1, 1, 1, 1);
    EXPECT_EQ(q.m_bCarried, 0);
    q.StoreCarriedStatus(1, hero, 1, 1, 1, 1, 1, 1, 1, 1);
    EXPECT_EQ(q.m_vecCarryChara.Size(), 2u);
}

}  // namespace

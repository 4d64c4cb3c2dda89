// The world map's rules: which entry of a node is active, the hero's steps and what blocks
// them, the question whether to take a stage on (its yes, its no, a failed load), leaving for
// the map menu, the arrival rules after the fade-in (back from the continue menu, the
// automatic entry), the automatic save, and the progress a stage starts with.
#include "scene/world_map_scene.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <string>
#include <vector>

#include "base/paths.h"
#include "data/world_map.h"
#include "platform/message_box.h"
#include "scene/ranking.h"
#include "scene/save_slots.h"
#include "scene/stage_select_scene.h"
#include "scene_fixture.h"

namespace {

constexpr int kPassable = 0;
constexpr int kImpassable = 1;

// What the stand-in stage loader was asked, and what it answers.
std::vector<std::string>& LoadedStages() {
    static std::vector<std::string> loaded;
    return loaded;
}
int gLoadResult = 1;

int StandInLoader(std::string_view path, int numbered, cEdStage* destination) {
    LoadedStages().emplace_back(path);
    EXPECT_EQ(numbered, 1);
    EXPECT_EQ(destination, &EdStage);
    // The loader finds the newest numbered version of the file.
    EdStageWork.strPath = std::string(path) + "_003";
    return gLoadResult;
}

cEdMapStage Entry(int kind, int clearSwitch) {
    cEdMapStage e;
    e.nKind = kind;
    e.nClearedSwitch = clearSwitch;
    e.strStageFile = "data\\stg4\\plain-1.stg4";
    return e;
}

cEdMapNode& AddNode(int x, int y, std::vector<cEdMapStage> entries) {
    cEdMapNode& node = EdWorldMap.vecNodes.emplace_back();
    node.nX = x;
    node.nY = y;
    node.vecStages.Clear();
    for (cEdMapStage& e : entries) node.vecStages.push_back(e);
    return node;
}

class WorldMapRules : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        Progress.Reset();
        MenuCursor.Reset();
        LoadedStages().clear();
        gLoadResult = 1;
        LoadStageForPlayHook = StandInLoader;
        plat::ClearShownBoxes();
        // An 8 x 5 map of passable cells with an impassable one at (3, 1) and (3, 3).
        EdWorldMap = cEdWorldMap();
        EdWorldMap.vecEvents.Clear();
        EdWorldMap.vecEvents.resize(2);
        EdWorldMap.vecEvents[kImpassable].bImpassable = 1;
        EdWorldMap.vecGrid.Clear();
        ASSERT_EQ(EdWorldMap.SetSize(8, 5), 1);
        SetTile(3, 1, kImpassable);
        SetTile(3, 3, kImpassable);
        SetTile(5, 1, kImpassable);
        EdWorldMap.vecNodes.Clear();
        // (5, 1): a stage on an impassable tile; (6, 1): a kind-2 node on a passable one;
        // (3, 3): an entry that needs switch 9 on an impassable tile; (1, 3): a stage that
        // waits for the confirm button; (6, 3): a kind that does nothing.
        AddNode(5, 1, {Entry(0, 1)});
        AddNode(6, 1, {Entry(2, 0)});
        cEdMapStage needsSwitch = Entry(0, 2);
        needsSwitch.nRequiredSwitch = 9;
        AddNode(3, 3, {needsSwitch});
        cEdMapStage waits = Entry(0, 3);
        waits.bNoAutoConfirm = 1;
        waits.strStageFile = "data\\stg4\\waits.stg4";
        AddNode(1, 3, {waits});
        AddNode(6, 3, {Entry(3, 0)});
        scene = std::make_unique<cWorldMapScene>();
    }
    void TearDown() override {
        scene.reset();
        LoadStageForPlayHook = nullptr;
        TearDownWorld();
    }

    static void SetTile(int x, int y, int type) {
        EdWorldMap.vecGrid[(y << EdWorldMap.nPitchShift) + x] = type;
    }
    // The hero on a cell, walking, with the view and canvas where they would be.
    void Place(int x, int y, int facing = 0) {
        CursorState& hero = *MenuCursor.Current();
        hero.nColumn = x;
        hero.nRow = y;
        hero.nX = cWorldMapScene::kHeroX;
        hero.nY = cWorldMapScene::kHeroY;
        scene->m_nViewX = scene->m_nDrawnViewX = x - cWorldMapScene::kHeroViewColumn;
        scene->m_nViewY = scene->m_nDrawnViewY = y - cWorldMapScene::kHeroViewRow;
        scene->m_nFacing = facing;
        scene->m_SavedCursor = hero;
        scene->m_nState = cWorldMapScene::kWalk;
        scene->m_nStep = 0;
    }
    static void Press(std::uint16_t dir, std::uint16_t buttons) {
        InputList[0].wDir = dir;
        InputList[0].wButton = buttons;
    }
    // One frame of the current state's handler with this input.
    void Frame(std::uint16_t dir = 0, std::uint16_t buttons = 0) {
        Press(dir, buttons);
        if (scene->m_nState == cWorldMapScene::kWalk)
            scene->OnWalk();
        else if (scene->m_nState == cWorldMapScene::kConfirm)
            scene->OnConfirmStage();
    }
    static std::vector<int> SystemSounds() {
        std::vector<int> out;
        for (auto [w, l] : Requests(WM_USER_PLAYSE)) out.push_back(w);
        return out;
    }
    static int HeroX() { return MenuCursor.Current()->nColumn; }
    static int HeroY() { return MenuCursor.Current()->nRow; }

    std::unique_ptr<cWorldMapScene> scene;
};

// ---------------------------------------------------------------- the active entry

TEST_F(WorldMapRules, ActiveEntryConditions) {
    struct Case {
        int requiredSwitch;
        bool switchOn;
        int variable, op, value, variableValue;
        int minRound, round;
        bool active;
    };
    const Case cases[] = {
        {0, false, 0, 0, 0, 0, 0, 0, true},   // no condition at all
        {-3, false, 0, 0, 0, 0, 0, 0, true},  // a switch condition at or below 0 is none
        {5, false, 0, 0, 0, 0, 0, 0, false},  // switch 5 off
        {5, true, 0, 0, 0, 0, 0, 0, true},    // switch 5 on
        {0, false, 0, 99, 7, 3, 0, 0, true},  // variable 0: no variable condition
        {0, false, 4, 0, 7, 7, 0, 0, true},   // 7 = 7
        {0, false, 4, 0, 7, 8, 0, 0, false},
        {0, false, 4, 1, 7, 8, 0, 0, true},  // 8 != 7
        {0, false, 4, 1, 7, 7, 0, 0, false},
        {0, false, 4, 2, 7, 7, 0, 0, true},  // 7 >= 7
        {0, false, 4, 2, 7, 6, 0, 0, false},
        {0, false, 4, 3, 7, 7, 0, 0, true},  // 7 <= 7
        {0, false, 4, 3, 7, 8, 0, 0, false},
        {0, false, 4, 4, 7, 8, 0, 0, true},  // 8 > 7
        {0, false, 4, 4, 7, 7, 0, 0, false},
        {0, false, 4, 5, 7, 6, 0, 0, true},  // 6 < 7
        {0, false, 4, 5, 7, 7, 0, 0, false},
        {0, false, 4, 6, 3, -9, 0, 0, true},  // |-9| divisible by 3
        {0, false, 4, 6, 3, 10, 0, 0, false},
        {0, false, 4, 6, 0, 10, 0, 0, true},  // by 0: always
        {0, false, 4, 6, -1, INT_MIN, 0, 0, true},
        {0, false, 4, 7, 3, 10, 0, 0, true},  // 10 not divisible by 3
        {0, false, 4, 7, 3, 9, 0, 0, false},
        {0, false, 4, 7, 0, 10, 0, 0, false},  // by 0: never
        {0, false, 4, 7, -1, INT_MIN, 0, 0, false},
        {0, false, 4, 8, 0, 0, 0, 0, false},  // no such comparison
        {0, false, 0, 0, 0, 0, 2, 1, false},  // the round is below the entry's minimum
        {0, false, 0, 0, 0, 0, 2, 2, true},
    };
    for (const Case& c : cases) {
        Progress.Reset();
        cEdMapNode node;
        cEdMapStage& e = node.vecStages[0];
        e.nRequiredSwitch = c.requiredSwitch;
        e.nConditionVariable = c.variable;
        e.nConditionOperator = c.op;
        e.nConditionValue = c.value;
        e.nMinRound = c.minRound;
        Progress.m_vecSwitch[5] = c.switchOn ? 1 : 0;
        Progress.m_vecVariable[4] = c.variableValue;
        Progress.m_nPlayThrough = c.round;
        const cEdMapStage* found = cWorldMapScene::FindActiveEntry(&node);
        EXPECT_EQ(found != nullptr, c.active)
            << "switch " << c.requiredSwitch << " op " << c.op << " value " << c.value
            << " variable " << c.variableValue << " round " << c.minRound << "/" << c.round;
        if (found) EXPECT_EQ(found, &node.vecStages[0]);
    }
    EXPECT_EQ(cWorldMapScene::FindActiveEntry(nullptr), nullptr);
}

TEST_F(WorldMapRules, TheFirstQualifyingEntryInListOrderIsActive) {
    cEdMapNode node;
    node.vecStages.Clear();
    cEdMapStage castle = Entry(0, 3);
    castle.nRequiredSwitch = 5;
    node.vecStages.push_back(castle);
    node.vecStages.push_back(Entry(3, 0));
    EXPECT_EQ(cWorldMapScene::FindActiveEntry(&node), &node.vecStages[1]);
    Progress.m_vecSwitch[5] = 1;
    EXPECT_EQ(cWorldMapScene::FindActiveEntry(&node), &node.vecStages[0]);
    // None qualifies.
    node.vecStages[1].nRequiredSwitch = 6;
    Progress.m_vecSwitch[5] = 0;
    EXPECT_EQ(cWorldMapScene::FindActiveEntry(&node), nullptr);
}

TEST_F(WorldMapRules, ClearedAndDone) {
    cEdMapStage e = Entry(0, 12);
    EXPECT_FALSE(cWorldMapScene::IsEntryCleared(e));
    EXPECT_FALSE(cWorldMapScene::IsEntryDone(e));
    e.bNoAutoConfirm = 1;
    EXPECT_TRUE(cWorldMapScene::IsEntryDone(e));
    e.bNoAutoConfirm = 0;
    Progress.m_vecSwitch[12] = 1;
    EXPECT_TRUE(cWorldMapScene::IsEntryCleared(e));
    EXPECT_TRUE(cWorldMapScene::IsEntryDone(e));
}

// ---------------------------------------------------------------- walking

TEST_F(WorldMapRules, StepsAndWhatBlocksThem) {
    struct Case {
        int x, y;
        std::uint16_t dir;
        int toX, toY, facing;
        bool blocked;
        int redraws;
        const char* what;
    };
    const Case cases[] = {
        {2, 2, 1, 1, 2, 2, false, 1, "left"},
        {2, 2, 1 | 2 | 4 | 8, 1, 2, 2, false, 1, "left wins over all"},
        {2, 2, 2 | 4 | 8, 3, 2, 3, false, 1, "right wins over up and down"},
        {2, 2, 4 | 8, 2, 1, 1, false, 1, "up wins over down"},
        {2, 2, 8, 2, 3, 0, false, 1, "down"},
        {0, 2, 1, 0, 2, 2, false, 0, "column 0: turned left, not moved, not redrawn"},
        {7, 2, 2, 7, 2, 3, false, 0, "last column"},
        {2, 0, 4, 2, 0, 1, false, 0, "row 0"},
        {2, 4, 8, 2, 4, 0, false, 0, "last row"},
        {2, 1, 2, 2, 1, 3, true, 0, "an impassable tile blocks, the new facing stays"},
        {4, 1, 2, 5, 1, 3, false, 1, "an active stage on an impassable tile lets him on"},
        {5, 1, 2, 5, 1, 3, true, 0, "kind 2 blocks on a passable tile"},
        {3, 2, 8, 3, 2, 0, true, 0, "an inactive entry leaves the impassable tile blocking"},
        {6, 2, 8, 6, 3, 0, false, 1, "other kinds are walked over"},
        {2, 2, 0, 2, 2, 1, false, 0, "no key: nothing"},
    };
    for (const Case& c : cases) {
        Place(c.x, c.y, 1);
        Progress.m_nMapFacing = 1;
        Progress.m_nEntryX = Progress.m_nEntryY = -7;
        const int redraws = scene->m_nRedraws;
        scene->MoveHero(c.dir);
        EXPECT_EQ(HeroX(), c.toX) << c.what;
        EXPECT_EQ(HeroY(), c.toY) << c.what;
        EXPECT_EQ(scene->m_nFacing, c.facing) << c.what;
        EXPECT_EQ(scene->m_nRedraws - redraws, c.redraws) << c.what;
        // The progress keeps the facing of a step that was taken; the entry cell is where he
        // stood before any key.
        EXPECT_EQ(Progress.m_nMapFacing, c.blocked ? 1 : c.facing) << c.what;
        EXPECT_EQ(Progress.m_nEntryX, c.dir ? c.x : -7) << c.what;
        EXPECT_EQ(Progress.m_nEntryY, c.dir ? c.y : -7) << c.what;
        EXPECT_EQ(scene->m_nViewX, c.toX - 9) << c.what;
        EXPECT_EQ(scene->m_nViewY, c.toY - 7) << c.what;
        EXPECT_EQ(MenuCursor.Current()->nX, 288);
        EXPECT_EQ(MenuCursor.Current()->nY, 224);
    }
}

TEST_F(WorldMapRules, ADamagedGridLetsTheHeroPass) {
    // Cells beyond the stored grid, and a cell naming no tile type: no tile, passable.
    SetTile(2, 3, 77);
    Place(2, 2);
    scene->MoveHero(8);
    EXPECT_EQ(HeroY(), 3);
    EdWorldMap.vecGrid.resize(8);
    scene->MoveHero(8);
    EXPECT_EQ(HeroY(), 4);
    EXPECT_EQ(PendingCloses(), 0);
}

// ---------------------------------------------------------------- the question

TEST_F(WorldMapRules, SteppingOntoAnUnclearedStageAsksAtOnceWithNotNowPreselected) {
    Place(4, 1, 0);
    Frame(2);
    EXPECT_EQ(scene->m_nState, cWorldMapScene::kConfirm);
    EXPECT_EQ(Progress.m_nMapX, 5);
    EXPECT_EQ(Progress.m_nMapY, 1);
    EXPECT_EQ(MenuCursor.Depth(), 2);
    Frame();  // the question's first frame: the stage is loaded, "not now" chosen
    EXPECT_EQ(LoadedStages(), std::vector<std::string>{"data\\stg4\\plain-1.stg4"});
    EXPECT_EQ(MenuCursor.Current()->nRow, 1);
    EXPECT_EQ(MenuCursor.Current()->nY, 260 + 16);
    EXPECT_EQ(MenuCursor.Current()->nX, EdSystem.MenuLeft(304, 10, 2, 1));
    SentMessages().clear();
    Frame(0, 1);  // "not now"
    EXPECT_EQ(SystemSounds(), std::vector<int>{1});
    EXPECT_EQ(scene->m_nState, cWorldMapScene::kWalk);
    EXPECT_EQ(MenuCursor.Depth(), 1);  // the question's state is gone
    EXPECT_EQ(HeroX(), 4);             // back where he came from
    EXPECT_EQ(HeroY(), 1);
    EXPECT_EQ(scene->m_nFacing, 3);
    // Refusing again and again does not grow the cursor stack.
    for (int i = 0; i < 3; ++i) {
        Frame(2);
        Frame();
        Frame(0, 2);  // cancel: the same "no", with its own sound
    }
    EXPECT_EQ(MenuCursor.Depth(), 1);
    EXPECT_EQ(HeroX(), 4);
    EXPECT_EQ(SystemSounds().back(), 2);
}

TEST_F(WorldMapRules, YesLoadsTheStageAndLeavesForPlay) {
    Progress.m_nLives = 2;
    Place(4, 1, 0);
    Frame(2);
    Frame();
    Frame(4);  // up to "take it on"
    EXPECT_EQ(MenuCursor.Current()->nRow, 0);
    Frame(0, 1);
    EXPECT_EQ(scene->m_nState, cWorldMapScene::kLeave);
    EXPECT_EQ(SceneMgr.m_nNextScene, SCENE_GAME);
    EXPECT_EQ(scene->m_nStep, 0);
    EXPECT_EQ(Progress.m_nMapFacing, 3);
    EXPECT_EQ(Progress.m_strStageBase, "data\\stg4\\plain.");
    EXPECT_EQ(Progress.m_pPlayingEntry, &EdWorldMap.vecNodes[0].vecStages[0]);
    EXPECT_EQ(Progress.m_nClearSwitch, 1);
    EXPECT_EQ(Progress.m_nSeriesIndex, 1);
    EXPECT_EQ(LoadedStages().size(), 1u);
}

TEST_F(WorldMapRules, AStageThatCannotBeLoadedShowsItsBoxAndYesMeansNo) {
    gLoadResult = 0;
    Place(4, 1, 0);
    Frame(2);
    Frame();
    const std::vector<plat::BoxRecord> boxes = plat::ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, reinterpret_cast<const char*>(
                                 u8"ステージファイル data\\stg4\\plain-1.stg4 が読み込めません！"));
    EXPECT_EQ(scene->m_nState, cWorldMapScene::kConfirm);  // the menu stays
    Frame(4);
    Frame(0, 1);  // "take it on" of a stage that is not there
    EXPECT_EQ(scene->m_nState, cWorldMapScene::kWalk);
    EXPECT_EQ(HeroX(), 4);
    EXPECT_EQ(Progress.m_pPlayingEntry, nullptr);
}

TEST_F(WorldMapRules, ConfirmOnAClearedStageAsksOnlyWithTheReplayFlag) {
    Progress.m_vecSwitch[1] = 1;
    for (int replay : {0, 1}) {
        EdWorldMap.vecNodes[0].vecStages[0].bReplay = replay;
        MenuCursor.Reset();
        Place(5, 1);
        Frame(0, 1);
        EXPECT_EQ(scene->m_nState, replay ? cWorldMapScene::kConfirm : cWorldMapScene::kWalk)
            << replay;
    }
    // Walking onto a cleared stage asks nothing.
    MenuCursor.Reset();
    Place(4, 1);
    Frame(2);
    EXPECT_EQ(scene->m_nState, cWorldMapScene::kWalk);
    EXPECT_EQ(HeroX(), 5);
}

TEST_F(WorldMapRules, AStageThatWaitsForConfirmAsksOnlyThen) {
    Place(1, 2);
    Frame(8);
    EXPECT_EQ(scene->m_nState, cWorldMapScene::kWalk);
    EXPECT_EQ(HeroY(), 3);
    EXPECT_EQ(Progress.m_strStageBase, "data\\stg4\\waits.");  // its information is shown
    Frame(0, 1);
    EXPECT_EQ(scene->m_nState, cWorldMapScene::kConfirm);
    Frame();
    Frame(0, 2);
    // He may stand on it: the refusal keeps him there.
    EXPECT_EQ(scene->m_nState, cWorldMapScene::kWalk);
    EXPECT_EQ(HeroY(), 3);
    EXPECT_EQ(MenuCursor.Depth(), 1);
}

TEST_F(WorldMapRules, CancelLeavesForTheMapMenuWithThePosition) {
    Place(2, 2);
    Frame(2);
    SentMessages().clear();
    Frame(0, 2);
    EXPECT_EQ(SystemSounds(), std::vector<int>{4});
    EXPECT_EQ(scene->m_nState, cWorldMapScene::kLeave);
    EXPECT_EQ(SceneMgr.m_nNextScene, SCENE_MAPMENU);
    EXPECT_EQ(Progress.m_nMapX, 3);
    EXPECT_EQ(Progress.m_nMapY, 2);
}

TEST_F(WorldMapRules, ContinueLivesOfTheStage) {
    struct Case {
        int carry, limited;
        std::int32_t lives;
    };
    const Case cases[] = {{1, 1, 5}, {1, 0, kUnlimitedLives}, {0, 1, 4}, {0, 0, 4}};
    for (const Case& c : cases) {
        EdSystem.bStoryCarryLives = c.carry;
        EdSystem.vecLivesLimited[0] = c.limited;
        EdSystem.vecStartLives[0] = 4;
        Progress.m_nLives = 4;
        Place(5, 1);
        scene->m_pEntry = &EdWorldMap.vecNodes[0].vecStages[0];
        EdStageWork.strPath = "data\\stg4\\forest-1.stg4_002";
        scene->PrepareStageEntry();
        EXPECT_EQ(Progress.m_nContinueLives, c.lives) << c.carry << c.limited;
        EXPECT_EQ(Progress.m_strStageBase, "data\\stg4\\forest.");
        EXPECT_EQ(Progress.m_bSeries, 1);
        EXPECT_EQ(Progress.m_nClearSwitch, 1);
        EXPECT_EQ(Progress.m_nSeriesIndex, 1);
        EXPECT_EQ(Progress.m_pPlayingEntry, scene->m_pEntry);
    }
}

TEST_F(WorldMapRules, TheStagesRankingIsReadAndItsPanelFollowsTheKeys) {
    CreateDataFolders();
    RankSet stored;
    stored.m_vecTable[0].Add("ann", 900);
    ASSERT_EQ(SaveRankingFile(stored, PLAYMODE_STORY, "data\\stg4\\plain."), 1);
    SceneMgr.m_bRanking = 1;
    EdSystem.vecRankingRules[0].bEnabled = 1;
    for (int t = 0; t < kRankTables; ++t)
        EdSystem.vecRankingRules[0].vecTableOn[t] = t == 1 || t == 3;
    Place(4, 1);
    Progress.m_vecSwitch[1] = 1;  // cleared: no question
    Frame(2);
    EXPECT_EQ(Ranking.m_vecTable[0].m_vecEntry[0].m_strName, "ann");
    EXPECT_EQ(Progress.m_nRankTable, 1);  // moved onto an enabled table
    struct Case {
        int keeps;
        std::uint16_t buttons;
        int shownBefore, shownAfter, tableAfter;
        std::vector<int> sounds;
    };
    const std::vector<Case> cases = {
        {1, 4, 0, 1, 1, {6}},  // shows the panel
        {1, 4, 1, 0, 1, {6}},  // hides it
        {1, 8, 1, 1, 3, {6}},  // the next enabled table
        {0, 4, 1, 0, 1, {}},   // a mode without rankings switches a shown panel off
        {0, 8, 0, 0, 1, {}},
    };
    for (const Case& c : cases) {
        EdSystem.vecRankingRules[0].bEnabled = c.keeps;
        Progress.m_bShowRanking = c.shownBefore;
        Progress.m_nRankTable = 1;
        SentMessages().clear();
        Frame(0, c.buttons);
        EXPECT_EQ(Progress.m_bShowRanking, c.shownAfter) << c.keeps << " " << c.buttons;
        EXPECT_EQ(Progress.m_nRankTable, c.tableAfter) << c.keeps << " " << c.buttons;
        EXPECT_EQ(SystemSounds(), c.sounds) << c.keeps << " " << c.buttons;
    }
}

// ---------------------------------------------------------------- arriving

class WorldMapArrival : public WorldMapRules {
protected:
    void SetUp() override {
        WorldMapRules::SetUp();
        ASSERT_TRUE(OpenDisplay(kSceneDisplays[2]));
    }
    // The hero arrives on (x, y) from scene `from`; frames of the fade-in until it ends.
    void Arrive(int x, int y, int from) {
        SceneMgr.m_nPrevScene = from;
        Place(x, y);
        scene->m_pNode = EdWorldMap.FindNodeAt(x, y);
        scene->m_pEntry = cWorldMapScene::FindActiveEntry(scene->m_pNode);
        scene->m_nState = cWorldMapScene::kFadeIn;
        for (int i = 0; i < 20 && scene->m_nState == cWorldMapScene::kFadeIn; ++i) scene->FadeIn();
    }
};

TEST_F(WorldMapArrival, BackFromTheContinueMenuBeforeTheNode) {
    for (int cleared : {0, 1}) {
        Progress.m_vecSwitch[1] = cleared;
        Progress.m_bBackToMap = 1;
        Progress.m_nEntryX = 4;
        Progress.m_nEntryY = 1;
        const int redraws = scene->m_nRedraws;
        Arrive(5, 1, SCENE_GAME);
        EXPECT_EQ(scene->m_nState, cWorldMapScene::kWalk);
        EXPECT_EQ(Progress.m_bBackToMap, 0);
        EXPECT_EQ(HeroX(), cleared ? 5 : 4) << cleared;
        EXPECT_EQ(scene->m_nViewX, (cleared ? 5 : 4) - 9);
        EXPECT_EQ(scene->m_nRedraws - redraws, cleared ? 0 : 1);
        EXPECT_TRUE(LoadedStages().empty());
    }
}

TEST_F(WorldMapArrival, AnUnclearedStageUnderTheHeroStartsByItself) {
    Arrive(5, 1, SCENE_TITLE);
    EXPECT_EQ(scene->m_nState, cWorldMapScene::kLeave);
    EXPECT_EQ(SceneMgr.m_nNextScene, SCENE_GAME);
    EXPECT_EQ(LoadedStages().size(), 1u);
    EXPECT_EQ(Progress.m_nEntryX, 5);
    EXPECT_EQ(Progress.m_pPlayingEntry, &EdWorldMap.vecNodes[0].vecStages[0]);
}

TEST_F(WorldMapArrival, NoAutomaticEntryFromTheMapMenuOrOnADoneStage) {
    Arrive(5, 1, SCENE_MAPMENU);
    EXPECT_EQ(scene->m_nState, cWorldMapScene::kWalk);
    Arrive(1, 3, SCENE_TITLE);  // waits for the confirm button
    EXPECT_EQ(scene->m_nState, cWorldMapScene::kWalk);
    Progress.m_vecSwitch[1] = 1;
    Arrive(5, 1, SCENE_GAME);
    EXPECT_EQ(scene->m_nState, cWorldMapScene::kWalk);
    Progress.m_bBackToMap = 1;  // no stage under the hero: the flag waits
    Arrive(2, 2, SCENE_GAME);
    EXPECT_EQ(scene->m_nState, cWorldMapScene::kWalk);
    EXPECT_EQ(Progress.m_bBackToMap, 1);
    EXPECT_TRUE(LoadedStages().empty());
}

TEST_F(WorldMapArrival, AFailedAutomaticEntryShowsItsBoxOnceAndCloses) {
    gLoadResult = 0;
    Arrive(5, 1, SCENE_TITLE);
    for (int i = 0; i < 5; ++i) scene->FadeIn();
    EXPECT_EQ(scene->m_nState, cWorldMapScene::kFadeIn);
    EXPECT_EQ(plat::ShownBoxes().size(), 1u);
    EXPECT_EQ(LoadedStages().size(), 1u);
    EXPECT_EQ(PendingCloses(), 1);
}

// ---------------------------------------------------------------- entering

class WorldMapEnter : public WorldMapRules {
protected:
    void SetUp() override {
        WorldMapRules::SetUp();
        CreateDataFolders();
    }
    static bool SlotExists(int slot) {
        std::string name;
        MakeSlotFileName(name, slot);
        return std::filesystem::exists(plat::MapPath(name));
    }
};

TEST_F(WorldMapEnter, TheHeroStandsWhereTheProgressSaysAndTheSlotIsSavedFromPlay) {
    struct Case {
        int autoSave, slot, from;
        bool saved;
    };
    const Case cases[] = {{1, 3, SCENE_GAME, true},
                          {0, 3, SCENE_GAME, false},
                          {1, 3, SCENE_MAPMENU, false},
                          {1, -1, SCENE_GAME, false}};
    for (const Case& c : cases) {
        std::filesystem::remove_all(plat::MapPath("user_data\\story"));
        CreateDataFolders();
        Progress.m_bAutoSave = c.autoSave;
        Progress.m_nSlot = c.slot;
        Progress.m_nMapX = 6;
        Progress.m_nMapY = 2;
        Progress.m_nMapFacing = 2;
        SceneMgr.m_nPrevScene = c.from;
        scene = std::make_unique<cWorldMapScene>();
        scene->Run();  // Enter, then the first frame of the fade-in
        EXPECT_EQ(SlotExists(3), c.saved) << c.autoSave << " " << c.slot << " " << c.from;
        EXPECT_EQ(HeroX(), 6);
        EXPECT_EQ(HeroY(), 2);
        EXPECT_EQ(scene->m_nFacing, 2);
        EXPECT_EQ(scene->m_nViewX, -3);
        EXPECT_EQ(scene->m_nViewY, -5);
        EXPECT_EQ(scene->m_nState, cWorldMapScene::kFadeIn);
    }
    EXPECT_NE(ReadFile("Report.txt").find("autosave"), std::string::npos);
}

}  // namespace

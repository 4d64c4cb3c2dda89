// The menu scenes on scene objects in the sample project, with a main window that answers the
// dialog requests as a test asks: the title's items, its layout and its slot list; the map
// menu's four sub-menus and saving; the stage list with its scrolling and loading; the
// options with their wrap, cancel and save.
#include "scene/menu_scenes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/paths.h"
#include "data/option_record.h"
#include "data/world_map.h"
#include "gen/project.h"
#include "scene/map_menu_scene.h"
#include "scene/menu_cursor.h"
#include "scene/option_scene.h"
#include "scene/save_slots.h"
#include "scene/scene_fixture.h"
#include "scene/stage_select_scene.h"
#include "scene/title_scene.h"
#include "sound/sound_effects.h"

namespace {

// What the dialogs answer: 1 a file was chosen.
int& StageDialogAnswer() {
    static int answer = 0;
    return answer;
}

// The main window of these tests: records like the fixture's and ends every dialog request
// at once with the answer the test set.
plat::LRESULT DialogProc(plat::HWND, std::uint32_t msg, plat::WPARAM w, plat::LPARAM l) {
    SentMessages().push_back({msg, w, l});
    if (msg == WM_USER_LOADSTAGE || msg == WM_USER_LOADREPLAY) {
        bFileDialogResult = StageDialogAnswer();
        bFileDialogDone = 1;
    }
    if (msg == WM_USER_NAMEENTRY) bNameEntryDone = 1;
    return 0;
}

class MenuScenes : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        std::string error;
        gen::ProjectOptions options;
        options.data = true;
        ASSERT_TRUE(gen::MakeProject("project", options, &error)) << error;
        std::filesystem::current_path("project");
        plat::ClearPathCache();
        CreateDataFolders();
        ASSERT_TRUE(OpenDisplay(kSceneDisplays[2]));  // DirectDraw 32 in a window
        dialogs = plat::CreateWindow(DialogProc);
        hWndMain = dialogs;
        StageDialogAnswer() = 0;
        Progress.Reset();
    }
    void TearDown() override {
        hWndMain = window;
        plat::DestroyWindow(dialogs);
        TearDownWorld();
    }

    // One frame of the scene with these keys (the latch reports a held button once).
    static void Frame(cScene* scene, std::uint16_t buttons = 0, std::uint16_t dir = 0) {
        InputList[0].wButton = buttons;
        InputList[0].wDir = dir;
        scene->Run();
    }
    // A key pressed for a frame and released for one.
    static void Tap(cScene* scene, std::uint16_t buttons, std::uint16_t dir = 0) {
        Frame(scene, buttons, dir);
        if (scene->m_nState >= 0) Frame(scene);
    }
    // Entered and faded in.
    static void Show(cScene* scene) {
        for (int i = 0; i < 200 && scene->m_nState <= 0; ++i) Frame(scene);
        ASSERT_GE(scene->m_nState, 1);
    }
    static std::vector<int> Sounds() {
        std::vector<int> out;
        for (auto [w, l] : Requests(WM_USER_PLAYSE)) out.push_back(w);
        return out;
    }
    static int LastSound() {
        const std::vector<int> s = Sounds();
        return s.empty() ? -1 : s.back();
    }
    static void EnableOnly(CheckedVector<cEdSystemSubA>& list, std::initializer_list<int> ids) {
        for (auto& item : list) item.bEnabled = 0;
        for (int id : ids) list[id].bEnabled = 1;
    }
    static cTitleScene* Title() {
        SceneMgr.PrepareScene(SCENE_TITLE);
        return SceneMgr.m_pTitle;
    }
    static cMapMenuScene* MapMenu() {
        SceneMgr.PrepareScene(SCENE_MAPMENU);
        return SceneMgr.m_pMapMenu;
    }
    static cStageSelectScene* StageSelect() {
        SceneMgr.PrepareScene(SCENE_STAGESELECT);
        return SceneMgr.m_pStageSelect;
    }
    static cOptionScene* Options() {
        SceneMgr.PrepareScene(SCENE_OPTION);
        return SceneMgr.m_pOption;
    }
    static std::string SlotHost(int slot) {
        std::string name;
        MakeSlotFileName(name, slot);
        return plat::MapPath(name);
    }
    void FailWrites() {
        plat::Seams seams = plat::GetSeams();
        seams.failSteps = {"file_write"};
        plat::SetSeams(seams);
    }

    plat::HWND dialogs = nullptr;
};

constexpr std::uint16_t kConfirm = 1;
constexpr std::uint16_t kCancel = 2;

// ---------------------------------------------------------------- title

TEST_F(MenuScenes, TitleMenuItemsAndTheSizeOfTheirSurface) {
    struct Row {
        const char* name;
        std::vector<int> enabled;
        int picture;
        std::vector<int> items;
        int width, height, x;
    };
    const Row rows[] = {
        // Six characters of the longest text, seven items.
        {"all, text", {0, 1, 2, 3, 4, 5, 6}, 0, {0, 1, 2, 3, 4, 5, 6}, 226, 226, 192},
        {"free and exit, text", {3, 6}, 0, {3, 6}, 226, 66, 192},
        {"free alone, text", {3}, 0, {3}, 130, 34, 192},
        {"none: the first item", {}, 0, {0}, 194, 34, 192},
        // The picture is 256 wide: centred on x = 288.
        {"all, picture", {0, 1, 2, 3, 4, 5, 6}, 1, {0, 1, 2, 3, 4, 5, 6}, 288, 226, 160},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        for (auto& item : EdSystem.vecTitleMenu) item.bEnabled = 0;
        for (int id : r.enabled) EdSystem.vecTitleMenu[id].bEnabled = 1;
        EdSystem.bTitleMenuWindow = r.picture;
        SceneMgr.DeleteScenes();
        cTitleScene* title = Title();
        Frame(title);
        EXPECT_EQ(std::vector<int>(title->m_vecItems.begin(), title->m_vecItems.end()), r.items);
        ASSERT_EQ(SceneSurfaces.size(), 1u);
        EXPECT_EQ(SceneSurfaces[0].nWidth, r.width);
        EXPECT_EQ(SceneSurfaces[0].nHeight, r.height);
        EXPECT_EQ(title->m_nMenuX, r.x);
    }
    EXPECT_EQ(PendingCloses(), 0);
}

TEST_F(MenuScenes, TitleCursorStartsOnTheLastChoice) {
    struct Row {
        std::vector<int> enabled;
        int choice;
        int row;
    };
    const Row rows[] = {
        {{0, 1, 2, 3, 4, 5, 6}, TITLE_CHALLENGE, 2},
        {{2, 3, 6}, TITLE_CHALLENGE, 0},
        {{3, 6}, TITLE_EXIT, 1},
        // Not offered: the first row, so that a confirm reads an item that exists.
        {{3, 6}, TITLE_CHALLENGE, 0},
    };
    for (const Row& r : rows) {
        for (auto& item : EdSystem.vecTitleMenu) item.bEnabled = 0;
        for (int id : r.enabled) EdSystem.vecTitleMenu[id].bEnabled = 1;
        SceneMgr.m_nTitleChoice = r.choice;
        SceneMgr.DeleteScenes();
        cTitleScene* title = Title();
        Show(title);
        Frame(title);
        EXPECT_EQ(MenuCursor.Current()->nRow, r.row) << r.choice;
        EXPECT_EQ(MenuCursor.Current()->nY, 240 + 32 * r.row);
    }
}

TEST_F(MenuScenes, TitleItemsSetTheModeAndLeave) {
    EdSystem.vecRankingRules[PLAYMODE_CHALLENGE].bEnabled = 1;
    EdSystem.vecRankingRules[PLAYMODE_FREE].bEnabled = 0;
    EdSystem.vecRankingRules[PLAYMODE_REPLAY].bEnabled = 0;
    struct Row {
        int id;
        int answer;  // of the stage chooser
        int mode;
        int ranking;
        int state;
        int next;
    };
    const Row rows[] = {
        {TITLE_NEWGAME, 0, PLAYMODE_STORY, EdSystem.vecRankingRules[0].bEnabled, 3, SCENE_WORLDMAP},
        {TITLE_CONTINUE, 0, PLAYMODE_STORY, EdSystem.vecRankingRules[0].bEnabled, 2, -1},
        {TITLE_CHALLENGE, 0, PLAYMODE_CHALLENGE, 1, 3, SCENE_STAGESELECT},
        {TITLE_FREE, 0, PLAYMODE_FREE, 0, 1, -1},  // cancelled: the menu stays
        {TITLE_FREE, 1, PLAYMODE_FREE, 0, 3, SCENE_GAME},
        {TITLE_REPLAY, 0, PLAYMODE_REPLAY, 0, 1, -1},
        {TITLE_REPLAY, 1, PLAYMODE_REPLAY, 0, 3, SCENE_GAME},
        {TITLE_OPTION, 0, -1, -1, 3, SCENE_OPTION},
        {TITLE_EXIT, 0, -1, -1, 1, -1},  // the program closes; the menu stays
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.id);
        SentMessages().clear();
        SceneMgr.m_nTitleChoice = r.id;
        SceneMgr.m_nPlayMode = -1;
        SceneMgr.m_bRanking = -1;
        SceneMgr.m_nNextScene = -1;
        StageDialogAnswer() = r.answer;
        SceneMgr.DeleteScenes();
        cTitleScene* title = Title();
        Show(title);
        Frame(title, kConfirm);
        EXPECT_EQ(title->m_nState, r.state);
        EXPECT_EQ(SceneMgr.m_nTitleChoice, r.id);
        EXPECT_EQ(SceneMgr.m_nPlayMode, r.mode);
        EXPECT_EQ(SceneMgr.m_bRanking, r.ranking);
        EXPECT_EQ(SceneMgr.m_nNextScene, r.next);
        EXPECT_EQ(Sounds(), std::vector<int>{1});
        EXPECT_EQ(Requests(WM_USER_LOADSTAGE).size(), r.id == TITLE_FREE ? 1u : 0u);
        EXPECT_EQ(Requests(WM_USER_LOADREPLAY).size(), r.id == TITLE_REPLAY ? 1u : 0u);
        EXPECT_EQ(PendingCloses(), r.id == TITLE_EXIT ? 1 : 0);
        EXPECT_EQ(MenuCursor.Depth(), r.id == TITLE_CONTINUE ? 2 : 1);
    }
}

TEST_F(MenuScenes, TitleLeavesAfterItsFadeWithTheCursorReset) {
    SceneMgr.m_nTitleChoice = TITLE_OPTION;
    cTitleScene* title = Title();
    Show(title);
    Frame(title, kConfirm);
    ASSERT_EQ(title->m_nState, 3);
    for (int i = 0; i < 200 && SceneMgr.m_nScene == SCENE_TITLE; ++i) Frame(title);
    EXPECT_EQ(SceneMgr.m_nScene, SCENE_OPTION);
    EXPECT_EQ(SceneMgr.m_nPrevScene, SCENE_TITLE);
    EXPECT_EQ(MenuCursor.Depth(), 1);
    EXPECT_EQ(MenuCursor.Current()->nRow, 0);
}

TEST_F(MenuScenes, NewGameProgressFollowsTheStoryLives) {
    struct Row {
        int limited;
        int start;
        int continueLives;
        int lives;
    };
    const Row rows[] = {{1, 3, 3, 2}, {0, 3, kUnlimitedLives, kUnlimitedLives}};
    for (const Row& r : rows) {
        EdSystem.vecLivesLimited[PLAYMODE_STORY] = r.limited;
        EdSystem.vecStartLives[PLAYMODE_STORY] = r.start;
        Progress.m_nPlayThrough = 4;
        Progress.m_vecSwitch[7] = 1;
        Progress.m_nMapX = Progress.m_nMapY = 30;
        Progress.m_nSlot = 5;
        ResetProgressForNewGame();
        EXPECT_EQ(Progress.m_nContinueLives, r.continueLives);
        EXPECT_EQ(Progress.m_nLives, r.lives);
        EXPECT_EQ(Progress.m_nPlayThrough, 0);
        EXPECT_EQ(Progress.m_vecSwitch[7], 0);
        EXPECT_EQ(Progress.m_nMapX, EdWorldMap.nStartX);
        EXPECT_EQ(Progress.m_nMapY, EdWorldMap.nStartY);
        EXPECT_EQ(Progress.m_nSlot, -1);
    }
}

TEST_F(MenuScenes, ChallengeWithoutItsFileStartsEveryStageUncleared) {
    EdSystem.nChallengeStages = 12;
    Progress.m_vecChallenge.resize(3);
    Progress.m_vecChallenge[1].m_bCleared = 1;
    Progress.m_nChallengeOpen = 3;
    SceneMgr.m_nTitleChoice = TITLE_CHALLENGE;
    cTitleScene* title = Title();
    Show(title);
    Frame(title, kConfirm);
    ASSERT_EQ(Progress.m_vecChallenge.Size(), 12u);
    for (const ChallengeRecord& r : Progress.m_vecChallenge) {
        EXPECT_EQ(r.m_bCleared, 0);
        EXPECT_EQ(r.m_nBest, 0);
    }
    EXPECT_EQ(Progress.m_nChallengeOpen, 1);

    // With the file, its records.
    Progress.m_vecChallenge[4].m_nBest = 77;
    Progress.m_nChallengeOpen = 5;
    ASSERT_TRUE(Progress.SaveChallenge());
    Progress.Reset();
    SceneMgr.DeleteScenes();
    title = Title();
    Show(title);
    Frame(title, kConfirm);
    ASSERT_EQ(Progress.m_vecChallenge.Size(), 12u);
    EXPECT_EQ(Progress.m_vecChallenge[4].m_nBest, 77);
    EXPECT_EQ(Progress.m_nChallengeOpen, 5);
}

TEST_F(MenuScenes, ContinueListScrollsAndRefusesEmptyOrDamagedSlots) {
    Progress.m_nScore = 4321;
    Progress.m_nSlot = 0;
    ASSERT_TRUE(Progress.SaveSlot(0));
    ASSERT_TRUE(Progress.SaveSlot(11));
    std::filesystem::resize_file(SlotHost(11), 20);  // damaged
    Progress.Reset();
    SceneMgr.m_nTitleChoice = TITLE_CONTINUE;
    cTitleScene* title = Title();
    Show(title);
    Tap(title, kConfirm);
    ASSERT_EQ(title->m_nState, 2);
    EXPECT_EQ(title->m_nSlotRows, 10);
    EXPECT_EQ(MenuCursor.Current()->nRow, 0);
    EXPECT_EQ(MenuCursor.Current()->nY, 160);
    for (int i = 0; i < 11; ++i) Tap(title, 0, kDirDown);
    EXPECT_EQ(MenuCursor.Current()->nRow, 11);
    EXPECT_EQ(title->m_nSlotTop, 2);
    EXPECT_EQ(MenuCursor.Current()->nY, 160 + 16 * 9);
    SentMessages().clear();
    Tap(title, kConfirm);  // the damaged slot
    Tap(title, 0, kDirUp);
    Tap(title, kConfirm);  // an empty one
    EXPECT_EQ(Sounds(), (std::vector<int>{3, 3}));
    EXPECT_EQ(title->m_nState, 2);
    EXPECT_EQ(Progress.m_nScore, 0);
    // Cancel: back to the menu on the continue item.
    Tap(title, kCancel);
    EXPECT_EQ(title->m_nState, 1);
    EXPECT_EQ(MenuCursor.Depth(), 1);
    EXPECT_EQ(MenuCursor.Current()->nRow, TITLE_CONTINUE);
    // Slot 1 (row 0) loads and leaves for the world map.
    Tap(title, kConfirm);
    Tap(title, kConfirm);
    EXPECT_EQ(LastSound(), 1);
    EXPECT_EQ(title->m_nState, 3);
    EXPECT_EQ(SceneMgr.m_nNextScene, SCENE_WORLDMAP);
    EXPECT_EQ(Progress.m_nScore, 4321);
}

// ---------------------------------------------------------------- map menu

TEST_F(MenuScenes, MapMenuItemsOpenTheirStatesAndCancelGoesToTheMap) {
    for (int item = 0; item < 4; ++item) {
        SceneMgr.DeleteScenes();
        cMapMenuScene* menu = MapMenu();
        Show(menu);
        for (int i = 0; i < item; ++i) Tap(menu, 0, kDirDown);
        Frame(menu, kConfirm);
        EXPECT_EQ(menu->m_nState, item + 2);
        EXPECT_EQ(MenuCursor.Depth(), 2);
    }
    SceneMgr.DeleteScenes();
    cMapMenuScene* menu = MapMenu();
    Show(menu);
    Tap(menu, kCancel);
    EXPECT_EQ(menu->m_nState, 6);
    EXPECT_EQ(SceneMgr.m_nNextScene, SCENE_WORLDMAP);
    for (int i = 0; i < 200 && menu->m_nState == 6; ++i) Frame(menu);
    EXPECT_EQ(menu->m_nState, -1);  // enters again when shown again
    EXPECT_EQ(SceneMgr.m_nScene, SCENE_WORLDMAP);
    EXPECT_EQ(SceneMgr.m_nPrevScene, SCENE_MAPMENU);
}

TEST_F(MenuScenes, MapMenuSavesANeverSavedGameToTheFirstSlot) {
    Progress.m_nScore = 999;
    ASSERT_EQ(Progress.m_nSlot, -1);
    cMapMenuScene* menu = MapMenu();
    Show(menu);
    Tap(menu, kConfirm);  // save
    ASSERT_EQ(menu->m_nState, 2);
    EXPECT_EQ(MenuCursor.Current()->nRow, 0);
    EXPECT_EQ(menu->m_nSlotTop, 0);
    Tap(menu, kConfirm);  // slot 1
    EXPECT_EQ(menu->m_nStep, 2);
    EXPECT_EQ(MenuCursor.Current()->nRow, 1);  // "no" first
    Tap(menu, 0, kDirUp);
    SentMessages().clear();
    Tap(menu, kConfirm);
    EXPECT_EQ(Sounds(), std::vector<int>{5});
    EXPECT_EQ(Progress.m_nSlot, 0);
    EXPECT_TRUE(std::filesystem::exists(SlotHost(0)));
    EXPECT_NE(SlotSummaries[0].m_bUsed, 0);
    EXPECT_EQ(menu->m_nStep, 1);
    EXPECT_EQ(MenuCursor.Depth(), 2);
    GameProgress read;
    ASSERT_TRUE(read.LoadFromFile(SlotHost(0)));
    EXPECT_EQ(read.m_nScore, 999);
    EXPECT_EQ(read.m_nSlot, 0);
}

TEST_F(MenuScenes, MapMenuFailedSaveKeepsTheOldFileAndSlot) {
    Progress.m_nSlot = 2;
    ASSERT_TRUE(Progress.SaveSlot(2));
    const std::string before = ReadFile(SlotHost(2).c_str());
    Progress.m_nSlot = -1;
    Progress.m_nScore = 5;
    FailWrites();
    cMapMenuScene* menu = MapMenu();
    Show(menu);
    Tap(menu, kConfirm);
    Tap(menu, 0, kDirDown);
    Tap(menu, 0, kDirDown);
    Tap(menu, kConfirm);
    Tap(menu, 0, kDirUp);
    SentMessages().clear();
    Tap(menu, kConfirm);
    EXPECT_EQ(Sounds(), std::vector<int>{3});
    EXPECT_EQ(Progress.m_nSlot, -1);
    EXPECT_EQ(ReadFile(SlotHost(2).c_str()), before);
}

TEST_F(MenuScenes, MapMenuAutoSave) {
    // No slot yet: only the notice; any button closes it.
    cMapMenuScene* menu = MapMenu();
    Show(menu);
    Tap(menu, 0, kDirDown);
    Tap(menu, kConfirm);
    ASSERT_EQ(menu->m_nState, 3);
    Frame(menu);
    EXPECT_EQ(menu->m_nStep, 2);
    Tap(menu, kCancel);
    EXPECT_EQ(menu->m_nState, 1);
    EXPECT_EQ(MenuCursor.Depth(), 1);
    EXPECT_FALSE(std::filesystem::exists(SlotHost(3)));

    // With slot 4: "on" saves at once, then sets the flag.
    Progress.m_nSlot = 3;
    Tap(menu, kConfirm);
    Frame(menu);
    EXPECT_EQ(menu->m_nStep, 1);
    EXPECT_EQ(MenuCursor.Current()->nRow, 1);  // autosave is off
    Tap(menu, 0, kDirUp);
    Tap(menu, kConfirm);
    EXPECT_EQ(Progress.m_bAutoSave, 1);
    EXPECT_EQ(menu->m_nState, 1);
    GameProgress read;
    ASSERT_TRUE(read.LoadFromFile(SlotHost(3)));
    EXPECT_EQ(read.m_bAutoSave, 0);
}

TEST_F(MenuScenes, MapMenuBackToTitleAsksFirst) {
    cMapMenuScene* menu = MapMenu();
    Show(menu);
    for (int i = 0; i < 3; ++i) Tap(menu, 0, kDirDown);
    Tap(menu, kConfirm);
    ASSERT_EQ(menu->m_nState, 5);
    Tap(menu, kConfirm);  // "no"
    EXPECT_EQ(menu->m_nState, 1);
    EXPECT_EQ(MenuCursor.Depth(), 1);
    Tap(menu, kConfirm);
    Tap(menu, 0, kDirUp);
    Frame(menu, kConfirm);
    EXPECT_EQ(menu->m_nState, 6);
    EXPECT_EQ(SceneMgr.m_nNextScene, SCENE_TITLE);
}

TEST_F(MenuScenes, MapMenuTotalLine) {
    struct Row {
        int flag;
        int total;
        bool shown;
        int x, width;
    };
    const Row rows[] = {
        {1, 12345, true, 224, 192},      {1, 0, false, 0, 0},  {0, 12345, false, 0, 0},
        {1, 2147483647, true, 184, 272}, {1, -5, false, 0, 0},
    };
    for (const Row& r : rows) {
        EdSystem.bStoryShowTotal = r.flag;
        Progress.m_nTotalBest = r.total;
        int x = 0, width = 0;
        EXPECT_EQ(cMapMenuScene::TotalLine(&x, &width), r.shown) << r.total;
        if (r.shown) {
            EXPECT_EQ(x, r.x);
            EXPECT_EQ(width, r.width);
        }
    }
}

// ---------------------------------------------------------------- stage select

TEST_F(MenuScenes, StageListOfOneOpenStage) {
    EdSystem.bChallengeAllOpen = 0;
    Progress.m_nChallengeOpen = 1;
    cStageSelectScene* list = StageSelect();
    Show(list);
    EXPECT_EQ(list->m_nStageCount, 1);
    EXPECT_EQ(list->m_nRows, 1);
    for (std::uint16_t dir : {kDirDown, kDirUp}) {
        Progress.m_strStageBase = "elsewhere";
        Tap(list, 0, dir);
        EXPECT_EQ(MenuCursor.Current()->nRow, 0);
        EXPECT_EQ(list->m_nTop, 0);
        // The stage is chosen again (its key and ranking reloaded).
        EXPECT_NE(Progress.m_strStageBase, "elsewhere");
    }
}

TEST_F(MenuScenes, StageListOfTwentyFiveScrollsAndJumps) {
    EdSystem.bChallengeAllOpen = 1;
    EdSystem.nChallengeStages = 25;
    cStageSelectScene* list = StageSelect();
    Show(list);
    EXPECT_EQ(list->m_nRows, 10);
    for (int i = 0; i < 9; ++i) Tap(list, 0, kDirDown);
    EXPECT_EQ(list->m_nTop, 0);
    Tap(list, 0, kDirDown);
    EXPECT_EQ(MenuCursor.Current()->nRow, 10);
    EXPECT_EQ(list->m_nTop, 1);
    EXPECT_EQ(MenuCursor.Current()->nY, 160 + 32 * 9);
    Tap(list, 0, kDirRight);
    EXPECT_EQ(MenuCursor.Current()->nRow, 19);
    EXPECT_EQ(list->m_nTop, 10);
    Tap(list, 0, kDirRight);
    EXPECT_EQ(MenuCursor.Current()->nRow, 24);
    EXPECT_EQ(list->m_nTop, 15);
    Tap(list, 0, kDirLeft);
    EXPECT_EQ(MenuCursor.Current()->nRow, 15);
    EXPECT_EQ(list->m_nTop, 6);
}

TEST(ChallengeStageName, TwoDigitsAndTheFirstPart) {
    EXPECT_EQ(ChallengeStageName(3), "data\\stg4\\c03-1.stg4");
    EXPECT_EQ(ChallengeStageName(12), "data\\stg4\\c12-1.stg4");
    EXPECT_EQ(ChallengeStageName(100), "data\\stg4\\c100-1.stg4");
}

TEST_F(MenuScenes, StageListRefusesAMissingStageAndPlaysAnOpenOne) {
    EdSystem.bChallengeAllOpen = 1;
    EdSystem.nChallengeStages = 5;
    EdSystem.vecLivesLimited[PLAYMODE_CHALLENGE] = 1;
    EdSystem.vecStartLives[PLAYMODE_CHALLENGE] = 4;
    cStageSelectScene* list = StageSelect();
    Show(list);
    Tap(list, 0, kDirDown);
    plat::ClearShownBoxes();
    SentMessages().clear();
    Tap(list, kConfirm);
    EXPECT_EQ(Sounds(), std::vector<int>{3});
    const std::vector<plat::BoxRecord> boxes = plat::ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    const std::u8string want = u8"ステージファイル data\\stg4\\c02-1.stg4 が読み込めません！";
    EXPECT_EQ(boxes[0].text, std::string(want.begin(), want.end()));
    EXPECT_EQ(list->m_nState, 1);

    Tap(list, 0, kDirUp);
    SentMessages().clear();
    Frame(list, kConfirm);
    EXPECT_EQ(Sounds(), std::vector<int>{1});
    EXPECT_EQ(list->m_nState, 2);
    EXPECT_EQ(SceneMgr.m_nNextScene, SCENE_GAME);
    EXPECT_EQ(SceneMgr.m_nSelectRow, 0);
    EXPECT_EQ(Progress.m_nClearSwitch, 1);
    EXPECT_EQ(Progress.m_nSeriesIndex, 1);
    EXPECT_EQ(Progress.m_bSeries, 1);
    EXPECT_EQ(Progress.m_nContinueLives, 4);
    EXPECT_EQ(Progress.m_nLives, 3);
    EXPECT_EQ(EdStageWork.strPath, "data\\stg4\\c01-1.stg4_000");
}

TEST_F(MenuScenes, StageListRemembersRowAndTopAcrossAPlay) {
    EdSystem.bChallengeAllOpen = 1;
    EdSystem.nChallengeStages = 25;
    SceneMgr.m_nSelectRow = 6;
    SceneMgr.m_nSelectTop = 2;
    cStageSelectScene* list = StageSelect();
    Show(list);
    Frame(list);
    EXPECT_EQ(MenuCursor.Current()->nRow, 6);
    EXPECT_EQ(list->m_nTop, 2);
    EXPECT_EQ(MenuCursor.Current()->nY, 160 + 32 * 4);
}

TEST_F(MenuScenes, StageListButtonFourCyclesOnlyBetweenSeveralTables) {
    EdSystem.vecRankingRules[PLAYMODE_CHALLENGE].bEnabled = 1;
    SceneMgr.m_nPlayMode = PLAYMODE_CHALLENGE;
    auto& tables = EdSystem.vecRankingRules[PLAYMODE_CHALLENGE].vecTableOn;
    for (auto& on : tables) on = 0;
    tables[1] = 1;
    Progress.m_nRankTable = 1;
    cStageSelectScene* list = StageSelect();
    Show(list);
    SentMessages().clear();
    Tap(list, 8);
    EXPECT_TRUE(Sounds().empty());
    EXPECT_EQ(Progress.m_nRankTable, 1);
    tables[3] = 1;
    Tap(list, 8);
    EXPECT_EQ(Sounds(), std::vector<int>{6});
    EXPECT_EQ(Progress.m_nRankTable, 3);
    // Button 3 shows the table, and with no rankings hides it.
    Progress.m_bShowRanking = 0;
    Tap(list, 4);
    EXPECT_EQ(Progress.m_bShowRanking, 1);
    EdSystem.vecRankingRules[PLAYMODE_CHALLENGE].bEnabled = 0;
    Tap(list, 4);
    EXPECT_EQ(Progress.m_bShowRanking, 0);
}

// ---------------------------------------------------------------- options

TEST_F(MenuScenes, OptionValuesWrapAtTheirBounds) {
    struct Row {
        int item;
        std::int32_t OptionData::*field;
        int start;
        std::uint16_t dir;
        int result;
    };
    const Row rows[] = {
        {OPTION_PALETTE, &OptionData::nPaletteNo, 23, kDirUp, 0},
        {OPTION_PALETTE, &OptionData::nPaletteNo, 0, kDirDown, 23},
        {OPTION_BGM, &OptionData::bBgmOn, 1, kDirUp, 0},
        {OPTION_SEVOLUME, &OptionData::nSeVolume, 0, kDirDown, 10},
        {OPTION_SEVOLUME, &OptionData::nSeVolume, 10, kDirUp, 0},
        {OPTION_RANKINGMODE, &OptionData::nRankingMode, 3, kDirUp, 0},
        // A damaged file's value is edited from where it is shown.
        {OPTION_PALETTE, &OptionData::nPaletteNo, 99, kDirDown, 22},
        {OPTION_SEVOLUME, &OptionData::nSeVolume, -4, kDirUp, 1},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.item);
        Option = OptionData{};
        Option.*r.field = r.start;
        SceneMgr.DeleteScenes();
        cOptionScene* options = Options();
        Show(options);
        for (int i = 0; i < r.item; ++i) Tap(options, 0, kDirDown);
        Tap(options, kConfirm);
        ASSERT_EQ(options->m_nStep, 2);
        Tap(options, 0, r.dir);
        EXPECT_EQ(Option.*r.field, r.result);
        Tap(options, kConfirm);
        EXPECT_EQ(options->m_nStep, 1);
        EXPECT_EQ(Option.*r.field, r.result);
        EXPECT_EQ(MenuCursor.Depth(), 1);
    }
}

TEST_F(MenuScenes, OptionValueTexts) {
    Option = OptionData{};
    Option.bBgmOn = 0;
    Option.nRankingMode = 2;
    Option.strRankingName = "abc%d";
    std::string text;
    cOptionScene::ValueText(OPTION_BGM, text);
    EXPECT_EQ(text, "OFF");
    cOptionScene::ValueText(OPTION_RANKINGMODE, text);
    EXPECT_EQ(text, EdSystem.vecRankingModeNames[2]);
    cOptionScene::ValueText(OPTION_RANKINGNAME, text);
    EXPECT_EQ(text, "abc%d");
    Option.nSeVolume = 40;
    cOptionScene::ValueText(OPTION_SEVOLUME, text);
    EXPECT_EQ(text, "10");
    cOptionScene::ValueText(OPTION_BACK, text);
    EXPECT_EQ(text, "");
}

TEST_F(MenuScenes, OptionCancelRestoresTheValueAndEveryEffectsVolume) {
    ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
    DSSoundData.Clear();
    DSSoundData.resize(3);
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(DS_CreateSoundEffect(DSSoundData[i], "sound\\system\\se0.wav", 1, 0) || true);
    Option = OptionData{};
    Option.nSeVolume = 4;
    cOptionScene* options = Options();
    Show(options);
    Tap(options, 0, kDirDown);
    Tap(options, 0, kDirDown);
    Tap(options, kConfirm);
    Tap(options, 0, kDirDown);
    Tap(options, 0, kDirDown);
    EXPECT_EQ(Option.nSeVolume, 2);
    for (auto& slot : DSSoundData)
        if (slot.lpBuffers) EXPECT_EQ(DS_GetVolume(slot, 0), kSeVolumeTable[2]);
    Tap(options, kCancel);
    EXPECT_EQ(Option.nSeVolume, 4);
    for (auto& slot : DSSoundData)
        if (slot.lpBuffers) EXPECT_EQ(DS_GetVolume(slot, 0), kSeVolumeTable[4]);
    EXPECT_EQ(options->m_nStep, 1);
    DS_UnInit();
    DSSoundData.Clear();
}

TEST_F(MenuScenes, OneItemOptionMenuLeavesForTheTitleAndSaves) {
    EnableOnly(EdSystem.vecOptionMenu, {OPTION_BACK});
    Option = OptionData{};
    Option.nSeVolume = 3;
    cOptionScene* options = Options();
    Show(options);
    EXPECT_EQ(options->m_vecItems.Size(), 1u);
    Tap(options, 0, kDirDown);
    Frame(options, kConfirm);
    EXPECT_EQ(options->m_nState, 2);
    EXPECT_EQ(SceneMgr.m_nNextScene, SCENE_TITLE);
    for (int i = 0; i < 200 && SceneMgr.m_nScene == 0 && options->m_nState == 2; ++i)
        Frame(options);
    EXPECT_EQ(SceneMgr.m_nScene, SCENE_TITLE);
    EXPECT_EQ(SceneMgr.m_nPrevScene, SCENE_OPTION);
    OptionData read;
    ASSERT_TRUE(read.LoadFromFile(kOptionFilePath));
    EXPECT_EQ(read.nSeVolume, 3);

    // A failed write leaves the old file.
    const std::string before = ReadFile(plat::MapPath(kOptionFilePath).c_str());
    FailWrites();
    Option.nSeVolume = 9;
    SceneMgr.DeleteScenes();
    options = Options();
    Show(options);
    Frame(options, kConfirm);
    for (int i = 0; i < 200 && options->m_nState == 2; ++i) Frame(options);
    EXPECT_EQ(ReadFile(plat::MapPath(kOptionFilePath).c_str()), before);
}

}  // namespace

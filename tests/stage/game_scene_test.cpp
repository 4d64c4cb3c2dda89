// The game scene's states on a scene object whose state and progress are set directly: the
// result screen, the continue menu, the game-over screen, the pause menu and the leave, the
// pause key, lives, and what the scene starts with.
#include <gtest/gtest.h>

#include <filesystem>

#include "gen/project.h"
#include "platform/ddraw.h"
#include "platform/host_path.h"
#include "scene/menu_cursor.h"
#include "scene/scene_fixture.h"
#include "stage/stage_load.h"

namespace {

class GameSceneTest : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        ASSERT_TRUE(OpenDisplay(kSceneDisplays[2]));  // DirectDraw 32 in a window
        SceneMgr.m_nScene = SCENE_GAME;
        SceneMgr.PrepareScene(SCENE_GAME);
        game = lpGame;
        ASSERT_NE(game, nullptr);
    }
    void TearDown() override { TearDownWorld(); }

    // One frame of the scene with these buttons held (the menus see them through the latch).
    void Frame(std::uint16_t buttons = 0, std::uint16_t dir = 0) {
        InputList[0].wButton = buttons;
        InputList[0].wDir = dir;
        game->Run();
    }
    std::vector<int> Sounds() const {
        std::vector<int> out;
        for (auto [w, l] : Requests(WM_USER_PLAYSE)) out.push_back(w);
        return out;
    }
    // Frames until the state changes (at most `limit`); the number of frames run.
    int FramesUntilStateChanges(int limit, std::uint16_t buttons = 0) {
        const int state = game->m_nState;
        for (int i = 1; i <= limit; ++i) {
            Frame(buttons);
            if (game->m_nState != state) return i;
            // A held button is reported once: release it between frames.
            if (buttons) Frame(0);
        }
        return -1;
    }

    // The sample project in a folder of its own, which becomes the current folder: the
    // scene's images and stages are read from it.
    static void UseSampleProject() {
        std::string error;
        gen::ProjectOptions options;
        options.data = true;
        ASSERT_TRUE(gen::MakeProject("project", options, &error)) << error;
        std::filesystem::current_path("project");
        plat::ClearPathCache();
        ASSERT_EQ(LoadStageForPlay("data\\stg4\\forest-1.stg4", 1, &EdStage), 1);
    }
    // The progress of a play under way.
    static void PlayUnderWay() {
        Progress.m_nContinueLives = 4;
        Progress.m_nLives = 2;
        Progress.m_nStageScore = 50;
        Progress.m_nScore = 500;
        Progress.m_nRestTime = 6;
        Progress.m_nClearTime = 7;
        Progress.m_nRestHP = 8;
        Progress.m_nRestSP = 9;
        Progress.m_bWarpPos = 1;
    }

    cGameScene* game = nullptr;
};

TEST_F(GameSceneTest, ConstructionSetsEveryMember) {
    Progress.m_nStageBgm = 9;
    plat::StepVirtualClock(1234);
    cGameScene scene;
    EXPECT_EQ(scene.m_nState, -1);
    EXPECT_EQ(scene.m_nStep, 0);
    EXPECT_EQ(scene.m_nSeed, plat::timeGetTime());
    EXPECT_EQ(scene.m_bCloseRequest, 0);
    EXPECT_EQ(scene.m_vecStageVar.Size(), 255u);
    EXPECT_EQ(scene.m_vecGroupFlag.Size(), 60u);
    EXPECT_EQ(Progress.m_nStageBgm, 0);
}

TEST_F(GameSceneTest, ResultScreenWithCaptionOpensAfterFiftyFrames) {
    EdStageWork.bClearCaption = 1;
    game->m_nState = GAMESTATE_RESULT;
    game->m_nStep = 0;
    // Confirm held every frame: the latch reports one press per release.
    int frames = 0;
    while (game->m_nState == GAMESTATE_RESULT && frames < 200) {
        Frame(frames % 2 == 0 ? 1 : 0);
        ++frames;
    }
    EXPECT_EQ(game->m_nState, GAMESTATE_LEAVE);
    // 200 counter units at 4 a frame: the press of frame 51 is the first that counts.
    EXPECT_EQ(frames, 51);
    // A story stage outside a series, not entered from the map in this run: back to the map.
    EXPECT_EQ(SceneMgr.m_nNextScene, SCENE_WORLDMAP);
    EXPECT_EQ(game->m_nCaptionFrames, 0);
    EXPECT_EQ(game->m_nStep, 0);
    EXPECT_EQ(Sounds(), std::vector<int>{1});
}

// The clear caption comes in interlaced: at counter 60 its rows of 4 dots stand 40 dots
// apart, odd rows to the left of the caption's place and even rows to the right; from 100
// on it stands in place.
TEST_F(GameSceneTest, ClearCaptionSlidesInInterlaced) {
    DDSURFACEDATA& words = StdSD[51];
    if (!words.lpDS) ASSERT_TRUE(DDCreateSurface(&words, 256, 128, 1, 0, 0, nullptr, 0));
    plat::SoftSurface& sheet = words.lpDS->lpDDSurface->Pixels();
    constexpr std::uint32_t kRed = 0x00FF0000u;
    for (int y = 64; y < 96; ++y)
        for (int x = 0; x < 128; ++x) sheet.SetPixel(x, y, kRed);
    plat::SoftSurface& back = BackBuffer.lpDS->lpDDSurface->Pixels();
    // The first and last red column of a back-buffer row (-1, -1 when none).
    auto redSpan = [&](int y) {
        int first = -1, last = -1;
        for (int x = 0; x < 640; ++x) {
            if ((back.Pixel(x, y) & 0x00FFFFFFu) != kRed) continue;
            if (first < 0) first = x;
            last = x;
        }
        return std::pair<int, int>(first, last);
    };
    EdStageWork.bClearCaption = 1;
    game->m_nState = GAMESTATE_RESULT;
    game->m_nStep = 1;
    game->m_nCaptionFrames = 56;
    Frame(0);
    ASSERT_EQ(game->m_nCaptionFrames, 60);
    EXPECT_EQ(redSpan(192), std::make_pair(296, 423)) << "even rows slide in from the right";
    EXPECT_EQ(redSpan(199), std::make_pair(216, 343)) << "odd rows slide in from the left";
    EXPECT_EQ(redSpan(223), std::make_pair(216, 343));
    EXPECT_EQ(redSpan(224), std::make_pair(-1, -1));
    game->m_nCaptionFrames = 96;
    Frame(0);
    for (const int y : {192, 199, 223}) EXPECT_EQ(redSpan(y), std::make_pair(256, 383)) << y;
}

TEST_F(GameSceneTest, ResultScreenWithoutCaptionOpensAtOnceAndAutoCloseLeavesSilently) {
    EdStageWork.bClearCaption = 0;
    game->m_nState = GAMESTATE_RESULT;
    Frame(1);  // the counter is only set by this frame's drawing
    EXPECT_EQ(game->m_nState, GAMESTATE_RESULT);
    Frame(0);
    Frame(1);
    EXPECT_EQ(game->m_nState, GAMESTATE_LEAVE);

    SentMessages().clear();
    EdStageWork.bResultAutoClose = 1;
    game->m_nState = GAMESTATE_RESULT;
    game->m_nStep = 0;
    Frame(0);
    Frame(0);
    EXPECT_EQ(game->m_nState, GAMESTATE_LEAVE);
    EXPECT_TRUE(Sounds().empty());
}

TEST_F(GameSceneTest, PauseDuringTheResultScreenReturnsToIt) {
    SceneMgr.m_nPlayMode = PLAYMODE_FREE;
    game->m_nState = GAMESTATE_RESULT;
    Frame();
    Frame();
    ASSERT_EQ(game->m_nStep, 1);
    plat::SetKeyState(VK_SPACE, true);
    Frame();
    plat::SetKeyState(VK_SPACE, false);
    EXPECT_EQ(game->m_nState, GAMESTATE_PAUSE);
    EXPECT_EQ(game->m_nSavedState, GAMESTATE_RESULT);
    EXPECT_EQ(game->m_nSavedStep, 1);
    EXPECT_EQ(Sounds(), std::vector<int>{4});
    Frame();  // the menu opens on "resume"
    EXPECT_EQ(MenuCursor.Current()->nRow, 1);
    Frame(1);
    EXPECT_EQ(game->m_nState, GAMESTATE_RESULT);
    EXPECT_EQ(game->m_nStep, 1);
    EXPECT_EQ(game->m_bHoldButtons, 1);
    EXPECT_EQ(Sounds(), (std::vector<int>{4, 1}));
}

TEST_F(GameSceneTest, PauseMenuRowsByPlayMode) {
    struct Case {
        int mode;
        int storySwitch, clearedSwitch;
        int challengeSwitch, cleared;
        int rows;
    };
    const Case cases[] = {
        {PLAYMODE_FREE, 0, 0, 0, 0, 3},      {PLAYMODE_REPLAY, 1, 1, 1, 1, 2},
        {PLAYMODE_STORY, 1, 1, 0, 0, 3},     {PLAYMODE_STORY, 1, 0, 0, 0, 2},
        {PLAYMODE_STORY, 0, 1, 0, 0, 2},     {PLAYMODE_CHALLENGE, 0, 0, 1, 1, 3},
        {PLAYMODE_CHALLENGE, 0, 0, 1, 0, 2},
    };
    for (const Case& c : cases) {
        SceneMgr.m_nPlayMode = c.mode;
        EdSystem.bStoryPauseSwitch = c.storySwitch;
        EdSystem.bChallengePauseSwitch = c.challengeSwitch;
        Progress.m_nClearSwitch = 2;
        Progress.m_vecSwitch[2] = c.clearedSwitch;
        Progress.m_vecChallenge.resize(3);
        Progress.m_vecChallenge[1].m_bCleared = c.cleared;
        game->m_nState = GAMESTATE_PAUSE;
        game->m_nStep = 0;
        game->m_nSavedState = GAMESTATE_PLAY;
        // Up from "resume" reaches the last row only in a three-row menu... and wraps.
        Frame();
        Frame(0, kDirUp);
        Frame(0, 0);
        Frame(0, kDirUp);
        EXPECT_EQ(MenuCursor.Current()->nRow, c.rows - 1) << c.mode << " " << c.rows;
        EXPECT_EQ(MenuCursor.Current()->nY, PauseMenuPos.y + 16 * (c.rows - 1));
    }
    // A stage number that names no challenge stage is not cleared, and closes nothing.
    SceneMgr.m_nPlayMode = PLAYMODE_CHALLENGE;
    Progress.m_nClearSwitch = 40;
    game->m_nStep = 0;
    Frame();
    EXPECT_EQ(PendingCloses(), 0);
}

TEST_F(GameSceneTest, PauseMenuLeavesForTheTitleOrClosesADirectPlay) {
    SceneMgr.m_nPlayMode = PLAYMODE_FREE;
    SceneMgr.m_nTitleChoice = TITLE_FREE;
    game->m_nState = GAMESTATE_PAUSE;
    game->m_nStep = 0;
    Frame();
    Frame(0, kDirUp);  // row 0: to the title
    Frame(1);
    EXPECT_EQ(game->m_nState, GAMESTATE_LEAVE);
    EXPECT_EQ(SceneMgr.m_nNextScene, SCENE_TITLE);
    // The title's cursor goes back to the item that started the play, not to the pause
    // menu's row.
    EXPECT_EQ(SceneMgr.m_nTitleChoice, TITLE_FREE);
    EXPECT_EQ(MenuCursor.Current()->nRow, TITLE_FREE);
    EXPECT_EQ(PendingCloses(), 0);

    bTestPlay = 1;
    SceneMgr.m_nNextScene = 7;
    game->m_nState = GAMESTATE_PAUSE;
    game->m_nStep = 0;
    Frame();
    Frame(0, kDirUp);
    Frame(1);
    EXPECT_EQ(game->m_nState, GAMESTATE_LEAVE);
    EXPECT_EQ(PendingCloses(), 1);
}

TEST_F(GameSceneTest, PauseMenuRetryRestoresTheCheckpoint) {
    SceneMgr.m_nPlayMode = PLAYMODE_FREE;
    Progress.m_nScore = 10;
    Progress.m_nLives = 3;
    Progress.SaveCheckpoint();
    Progress.m_nScore = 90;
    Progress.m_nLives = 1;
    game->m_nState = GAMESTATE_PAUSE;
    game->m_nStep = 0;
    Frame();
    Frame(0, kDirDown);  // row 2: retry
    Frame(1);
    EXPECT_EQ(game->m_nState, GAMESTATE_STAGESTART);
    EXPECT_EQ(game->m_nStep, 0);
    EXPECT_EQ(Progress.m_nScore, 10);
    EXPECT_EQ(Progress.m_nLives, 3);
}

TEST_F(GameSceneTest, PauseMenuCancelReturnsToTheSavedState) {
    struct Case {
        int mode;
        int step;  // the step the saved state gets back
    };
    for (const Case& c : {Case{PLAYMODE_FREE, 5}, Case{PLAYMODE_REPLAY, 0}}) {
        SceneMgr.m_nPlayMode = c.mode;
        game->m_nState = GAMESTATE_PAUSE;
        game->m_nStep = 0;
        game->m_nSavedState = GAMESTATE_RESULT;
        game->m_nSavedStep = 5;
        SentMessages().clear();
        Frame();
        Frame(2);
        EXPECT_EQ(game->m_nState, GAMESTATE_RESULT);
        EXPECT_EQ(game->m_nStep, c.step) << c.mode;
        EXPECT_EQ(Sounds(), std::vector<int>{2});
    }
}

TEST_F(GameSceneTest, ContinueMenuRetriesOrGoesBackToTheMap) {
    game->m_nState = GAMESTATE_CONTINUE;
    game->m_nStep = 0;
    Frame();
    Frame(1);
    EXPECT_EQ(game->m_nState, GAMESTATE_STAGESTART);
    EXPECT_EQ(Progress.m_bBackToMap, 0);

    SceneMgr.m_nTitleChoice = TITLE_NEWGAME;
    game->m_nState = GAMESTATE_CONTINUE;
    game->m_nStep = 0;
    Frame();
    Frame(0, kDirDown);
    Frame(2);  // no cancel
    EXPECT_EQ(game->m_nState, GAMESTATE_CONTINUE);
    Frame(0);
    Frame(1);
    EXPECT_EQ(game->m_nState, GAMESTATE_LEAVE);
    EXPECT_EQ(Progress.m_bBackToMap, 1);
    EXPECT_EQ(SceneMgr.m_nNextScene, SCENE_WORLDMAP);
    // The menu's row (1) does not become the title choice; the title's cursor row follows the
    // choice that started the play.
    EXPECT_EQ(SceneMgr.m_nTitleChoice, TITLE_NEWGAME);
    EXPECT_EQ(MenuCursor.Current()->nRow, TITLE_NEWGAME);
}

TEST_F(GameSceneTest, GameOverEndsOnAHeldButtonOrPauses) {
    game->m_nState = GAMESTATE_GAMEOVER;
    InputList[0].bLatch = 1;  // the latch does not hide a held button here
    Frame(0);
    EXPECT_EQ(game->m_nState, GAMESTATE_GAMEOVER);
    plat::SetKeyState(VK_SPACE, true);
    Frame(0);
    plat::SetKeyState(VK_SPACE, false);
    EXPECT_EQ(game->m_nState, GAMESTATE_PAUSE);
    EXPECT_EQ(game->m_nSavedState, GAMESTATE_GAMEOVER);
    game->m_nState = GAMESTATE_GAMEOVER;
    SentMessages().clear();
    Frame(1);
    EXPECT_EQ(game->m_nState, GAMESTATE_LEAVE);
    EXPECT_EQ(SceneMgr.m_nNextScene, SCENE_TITLE);
    EXPECT_EQ(Sounds(), std::vector<int>{1});
}

TEST_F(GameSceneTest, LeaveFadesOutThenHandsOverToTheNextScene) {
    SceneMgr.m_nNextScene = SCENE_OPTION;
    SceneMgr.m_nFps = 30;
    game->m_nState = GAMESTATE_LEAVE;
    const int frames = FramesUntilStateChanges(40);
    EXPECT_EQ(frames, 10);  // 90 degrees at 10 a frame, the last step drawn too
    EXPECT_EQ(game->m_nState, -1);
    EXPECT_EQ(SceneMgr.m_nScene, SCENE_OPTION);
    EXPECT_EQ(SceneMgr.m_nPrevScene, SCENE_GAME);
    EXPECT_EQ(SceneMgr.m_nFps, 60);
    EXPECT_EQ(PendingCloses(), 0);
}

TEST_F(GameSceneTest, FreePlayLeaveReadsTheStageAgain) {
    UseSampleProject();
    SceneMgr.m_nTitleChoice = TITLE_FREE;
    SceneMgr.m_nNextScene = SCENE_GAME;
    EdSystem.vecLivesLimited[PLAYMODE_FREE] = 1;
    EdSystem.vecStartLives[PLAYMODE_FREE] = 3;
    EdStageWork.strPath = "data\\stg4\\cave.stg4_000";
    EdStageWork.nWidth = 999;  // changed by play: the file's value comes back
    PlayUnderWay();
    Progress.m_vecSwitch[5] = 1;
    game->m_nState = GAMESTATE_LEAVE;
    FramesUntilStateChanges(40);
    EXPECT_EQ(game->m_nState, -1);
    EXPECT_EQ(PendingCloses(), 0);
    EXPECT_EQ(EdStageWork.nWidth, 20);
    EXPECT_EQ(EdStageWork.strPath, "data\\stg4\\cave.stg4_000");
    // A fresh progress with the free play's lives, one of them in use, and the stage's key.
    EXPECT_EQ(Progress.m_nScore, 0);
    EXPECT_EQ(Progress.m_nStageScore, 0);
    EXPECT_EQ(Progress.m_vecSwitch[5], 0);
    EXPECT_EQ(Progress.m_nContinueLives, 3);
    EXPECT_EQ(Progress.m_nLives, 2);
    EXPECT_EQ(Progress.m_strStageBase, "data\\stg4\\cave.");
    EXPECT_EQ(SceneMgr.m_nScene, SCENE_GAME);
    EXPECT_EQ(SceneMgr.m_nPrevScene, SCENE_GAME);
}

TEST_F(GameSceneTest, FreePlayLeaveReadsTheStageAgainAndClosesWhenItIsGone) {
    SceneMgr.m_nTitleChoice = TITLE_FREE;
    Progress.m_bSeries = 0;
    EdStageWork.strPath = "data\\stg4\\gone.stg4_747";
    game->m_nState = GAMESTATE_LEAVE;
    FramesUntilStateChanges(40);
    EXPECT_EQ(game->m_nState, -1);
    EXPECT_GE(PendingCloses(), 1);
}

TEST_F(GameSceneTest, LivesAreUsedUpUnlessUnlimitedOrADirectPlay) {
    struct Case {
        int testPlay;
        int lives;
        int result;
        int after;
    };
    const Case cases[] = {
        {0, 2, 1, 1}, {0, 1, 1, 0}, {0, 0, 0, 0}, {0, kUnlimitedLives, 1, kUnlimitedLives},
        {1, 0, 1, 0}, {1, 5, 1, 5},
    };
    for (const Case& c : cases) {
        bTestPlay = c.testPlay;
        GameProgress p;
        p.m_nLives = c.lives;
        EXPECT_EQ(game->UseLife(p), c.result) << c.testPlay << " " << c.lives;
        EXPECT_EQ(p.m_nLives, c.after) << c.testPlay << " " << c.lives;
    }
}

TEST_F(GameSceneTest, PauseKeyKeepsTheStateToReturnTo) {
    game->m_nState = GAMESTATE_PLAY;
    game->m_nStep = 3;
    EXPECT_EQ(game->CheckPauseKey(), 0);
    EXPECT_TRUE(Sounds().empty());
    plat::SetKeyState(VK_SPACE, true);
    EXPECT_EQ(game->CheckPauseKey(), 1);
    plat::SetKeyState(VK_SPACE, false);
    EXPECT_EQ(game->m_nSavedState, GAMESTATE_PLAY);
    EXPECT_EQ(game->m_nSavedStep, 3);
    EXPECT_EQ(Sounds(), std::vector<int>{4});
}

TEST_F(GameSceneTest, PlayFrameAsksAgainForACloseThatCameDuringAPause) {
    game->m_nState = GAMESTATE_PLAY;
    game->Run();
    EXPECT_EQ(game->m_nFrame, 1);
    EXPECT_EQ(PendingCloses(), 0);
    game->m_bCloseRequest = 1;
    game->Run();
    EXPECT_EQ(PendingCloses(), 1);
    EXPECT_EQ(game->m_nFrame, 1);  // the frame ends there
}

TEST_F(GameSceneTest, RunReadsNoInputItself) {
    game->m_nState = GAMESTATE_PLAY;
    InputList[0].bLatch = 0;
    InputList[0].wButton = 3;
    game->Run();
    game->Run();
    EXPECT_EQ(InputList[0].wButton, 3);
    EXPECT_EQ(InputList[0].bLatch, 0);
}

TEST_F(GameSceneTest, EnterFailsToCloseWhenItsImagesAreMissing) {
    SceneMgr.m_nPrevScene = SCENE_TITLE;
    PlayUnderWay();
    game->Run();  // entered: no images in this folder
    EXPECT_EQ(game->m_nState, GAMESTATE_FADEIN);
    EXPECT_GE(PendingCloses(), 1);
    // Nothing of the new play was begun.
    EXPECT_EQ(Progress.m_nLives, 2);
    EXPECT_EQ(Progress.m_nScore, 500);
}

TEST_F(GameSceneTest, EnteringFromAnotherSceneStartsANewPlay) {
    UseSampleProject();
    struct Case {
        int testPlay;
        int lives;  // after the first Enter
    };
    // Lives back to the continue lives, one taken for the attempt; none in a direct play.
    for (const Case c : {Case{0, 3}, Case{1, 4}}) {
        SceneMgr.PrepareScene(SCENE_TITLE);
        SceneMgr.PrepareScene(SCENE_GAME);
        game = lpGame;
        bTestPlay = c.testPlay;
        SceneMgr.m_nPrevScene = SCENE_TITLE;
        PlayUnderWay();
        game->Run();
        EXPECT_EQ(game->m_nState, GAMESTATE_FADEIN);
        EXPECT_EQ(PendingCloses(), 0);
        EXPECT_EQ(Progress.m_nLives, c.lives) << c.testPlay;
        for (std::int32_t v :
             {Progress.m_nStageScore, Progress.m_nScore, Progress.m_nRestTime,
              Progress.m_nClearTime, Progress.m_nRestHP, Progress.m_nRestSP, Progress.m_bWarpPos})
            EXPECT_EQ(v, 0) << c.testPlay;

        // Entered again from itself (the next stage): nothing is reset, no life is taken;
        // only the stage's own score starts again, as at every attempt.
        PlayUnderWay();
        SceneMgr.m_nPrevScene = SCENE_GAME;
        game->m_nState = -1;
        game->Run();
        EXPECT_EQ(game->m_nState, GAMESTATE_FADEIN);
        EXPECT_EQ(PendingCloses(), 0);
        EXPECT_EQ(Progress.m_nLives, 2);
        EXPECT_EQ(Progress.m_nScore, 500);
        EXPECT_EQ(Progress.m_nStageScore, 0);
        EXPECT_EQ(Progress.m_nRestTime, 6);
        EXPECT_EQ(Progress.m_bWarpPos, 1);
    }
}

}  // namespace

// The main window procedure as far as it is built: the requests it records, the stage music
// it keeps, the activity flag, and the close sequence with and without a running pause
// thread.
#include "shell/main_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <string>

#include "base/globals.h"
#include "base/log.h"
#include "base/thread.h"
#include "base/window_requests.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/seams.h"
#include "scene/game_progress.h"
#include "scene/scene_manager.h"
#include "shell/shell_globals.h"
#include "stage/game_scene.h"
#include "support/temp_dir.h"

namespace {

class MainWindow : public ::testing::Test {
protected:
    void SetUp() override {
        plat::SetSeams(plat::Seams{});
        plat::UseRealClock();
        ResetShellGlobals();
        MakeGameScene = NewGameScene;
        OpenReportLog("Report.txt");
        SetErrorLog(1, "Error.txt");
        hWndMain = plat::CreateWindow(MainWndProc);
        plat::SetMainWindow(hWndMain);
        window = hWndMain;
    }
    void TearDown() override {
        thPause.Exit();
        thGame.Exit();
        if (plat::IsWindow(window)) plat::DestroyWindow(window);
        plat::MSG m;
        while (plat::PeekMessage(&m, nullptr, true)) {
        }
        ResetShellGlobals();
    }
    // Serves posted messages of this (the window) thread; true when WM_QUIT came.
    static bool PumpUntilQuit() {
        plat::MSG m;
        bool quit = false;
        while (plat::PeekMessage(&m, nullptr, true)) {
            if (m.message == plat::WM_QUIT)
                quit = true;
            else
                plat::DispatchMessage(&m);
        }
        return quit;
    }

    static std::string ErrorLogText() {
        std::ifstream in("Error.txt", std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    TempDir dir;
    plat::HWND window = nullptr;
};

TEST_F(MainWindow, RecordsSoundAndMusicAndKeepsTheStageMusic) {
    Progress.m_nStageBgm = 3;
    plat::SendMessage(window, WM_USER_PLAYSE, 4, 0);
    plat::SendMessage(window, WM_USER_PLAYBGM, 2, 0);
    EXPECT_EQ(Progress.m_nStageBgm, 3);  // a scene's music is not the stage's
    plat::SendMessage(window, WM_USER_PLAYBGM, kBgmStageMusic, 7);
    EXPECT_EQ(Progress.m_nStageBgm, 7);
    plat::SendMessage(window, WM_USER_PLAYBGM, kBgmStageMusic, 0);
    EXPECT_EQ(Progress.m_nStageBgm, 0);
    const auto requests = WindowRequestsSoFar();
    ASSERT_EQ(requests.size(), 4u);
    EXPECT_EQ(requests[0].message, WM_USER_PLAYSE);
    EXPECT_EQ(requests[0].wParam, 4u);
    EXPECT_EQ(requests[2].message, WM_USER_PLAYBGM);
    EXPECT_EQ(requests[2].wParam, kBgmStageMusic);
    EXPECT_EQ(requests[2].lParam, 7);
}

TEST_F(MainWindow, ActivationFollowsTheWindow) {
    plat::SendMessage(window, plat::WM_ACTIVATEAPP, 1, 0);
    EXPECT_EQ(bActiveApp, 1);
    plat::SendMessage(window, plat::WM_ACTIVATEAPP, 0, 0);
    EXPECT_EQ(bActiveApp, 0);
}

TEST_F(MainWindow, RestoreRequestResetsTheDisplay) {
    // Without a Direct3D display the reset refuses, and says so.
    const char refusal[] =
        "DD\x82\xC5\x82\xCD"
        "DDRestoreSurface";
    EXPECT_EQ(ErrorLogText().find(refusal), std::string::npos);
    plat::SendMessage(window, WM_USER_RESTORE, 0, 0);
    EXPECT_NE(ErrorLogText().find(refusal), std::string::npos) << ErrorLogText();
}

TEST_F(MainWindow, EscapeAndCloseEndTheGameThreadAndTheWindow) {
    std::atomic<int> frames{0};
    SceneMgr.frameFunction = [&] {
        ++frames;
        plat::Sleep(1);
        return 1;
    };
    bActiveApp = 1;
    ASSERT_EQ(thGame.Create(GameLoop, nullptr), 1);
    plat::SendMessage(window, plat::WM_KEYDOWN, 27, 0);
    EXPECT_TRUE(plat::IsWindow(window));  // the close is posted, not done at once
    bool quit = false;
    for (int i = 0; i < 1000 && !quit; ++i) {
        quit = PumpUntilQuit();
        plat::Sleep(1);
    }
    EXPECT_TRUE(quit);
    EXPECT_FALSE(plat::IsWindow(window));
    EXPECT_EQ(hWndMain, nullptr);
    EXPECT_EQ(bQuit, 1);
    EXPECT_FALSE(thGame.Running());
    // In order: the sequence begins, the workers end, the game thread ends, the window goes.
    const std::string log = ErrorLogText();
    const std::size_t begun = log.find("WM_CLOSE 成功！");
    const std::size_t workers = log.find("thPause.Exit()");
    const std::size_t game = log.find("thGame.Exit()");
    const std::size_t destroyed = log.find("WM_DESTROY");
    ASSERT_NE(destroyed, std::string::npos) << log;
    EXPECT_LT(begun, workers);
    EXPECT_LT(workers, game);
    EXPECT_LT(game, destroyed);
}

TEST_F(MainWindow, CloseDuringAPauseWaitOnlyEndsTheWait) {
    SceneMgr.PrepareScene(SCENE_GAME);
    ASSERT_NE(lpGame, nullptr);
    static std::atomic<bool> sawQuit;
    sawQuit = false;
    ASSERT_EQ(thPause.Create(
                  [](void*) -> unsigned {
                      plat::MSG m;
                      for (int i = 0; i < 5000; ++i) {
                          if (plat::PeekMessage(&m, nullptr, true) && m.message == plat::WM_QUIT) {
                              sawQuit = true;
                              return 0;
                          }
                          plat::Sleep(1);
                      }
                      return 1;
                  },
                  nullptr),
              1);
    plat::SendMessage(window, plat::WM_CLOSE, 0, 0);
    EXPECT_TRUE(plat::IsWindow(window));
    EXPECT_EQ(lpGame->m_bCloseRequest, 1);
    EXPECT_EQ(bQuit, 1);
    thPause.Wait();
    EXPECT_TRUE(sawQuit);
}

}  // namespace

// The main window procedure as far as it is built: the sound and music it plays, the stage
// music it keeps, the activity flag, and the close sequence with and without a running pause
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
#include "data/database.h"
#include "data/system_record.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/seams.h"
#include "scene/game_progress.h"
#include "scene/scene_manager.h"
#include "shell/shell_globals.h"
#include "shell/startup.h"
#include "sound/bgm_manager.h"
#include "sound/sound_effects.h"
#include "stage/game_scene.h"
#include "support/sound_fixture.h"
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
        // The window of a program that has started.
        bInitDone = 1;
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

// The window thread serves the sound and music requests with the sound layer, here with a
// headless sound object and stand-ins for the Ogg and MIDI players.
class MainWindowSound : public MainWindow {
protected:
    void SetUp() override {
        MainWindow::SetUp();
        plat::Seams seams;
        seams.headless = true;
        plat::SetSeams(seams);
        soundtest::WriteBytes(
            "tone.wav",
            soundtest::Riff({soundtest::Chunk("fmt ", soundtest::FmtBody(1, 1, 44100, 16)),
                             soundtest::Chunk("data", soundtest::Samples16({1000, 1000}))}));
        ASSERT_TRUE(DS_Init(window, 22050, 8, 1));
        DSSoundData.resize(kSystemSeCount + 1);
        SoundFileList.resize(kSystemSeCount + 1);
        for (DSSOUNDDEF& def : SoundFileList) {
            std::snprintf(def.szFileName, sizeof def.szFileName, "tone.wav");
            def.nCopies = 2;  // a play moves a slot on to its second copy
        }
        DS_LoadSoundEffects(DSSoundData, SoundFileList, 0);

        EdSystem.vecSceneBgm = {1, 0, 2, 0};
        EdSystem.vecSceneBgmLoop = {1, 1, 0, 1};
        EdDatabase.vecBgm.resize(3);
        EdDatabase.vecBgm[1].strFile = "bgm\\title.mid";
        EdDatabase.vecBgm[2].strFile = "bgm\\stage.ogg";
        VoxFactoryOverride = soundtest::CreateFakeVox;
        Bgm.SetMidiEngine(&midi);
        ASSERT_EQ(Bgm.Init(kBgmPlayerCount, BgmOggNames, BgmMidiNames, kBgmSlotCount), 1);
        soundtest::Calls().clear();
    }
    void TearDown() override {
        Bgm.UnInit();
        Bgm.SetMidiEngine(nullptr);
        MainWindow::TearDown();
    }
    // The slots whose copy has been started, by the index of the copy each plays next.
    static std::vector<int> Played() {
        std::vector<int> played;
        for (unsigned i = 0; i < DSSoundData.Size(); ++i)
            if (DSSoundData[static_cast<int>(i)].nNext != 0) played.push_back(static_cast<int>(i));
        return played;
    }
    static void Rewind() {
        for (DSSOUNDDATA& slot : DSSoundData) slot.nNext = 0;
    }
    soundtest::FakeMidi midi;
};

TEST_F(MainWindowSound, PlaysTheSoundSlotsAndTakesTheCheckedAccessOutsideThem) {
    plat::SendMessage(window, WM_USER_PLAYSE, 4, 0);
    PlayDataSe(1);
    EXPECT_EQ(Played(), (std::vector<int>{4, kDataSeBase + 1}));
    Rewind();
    PlayDataSe(0);  // sends nothing
    EXPECT_TRUE(Played().empty());
    EXPECT_EQ(ErrorLogText().find("err V["), std::string::npos);
    // One past the last slot: logged, the program closes, and slot 0 plays.
    plat::SendMessage(window, WM_USER_PLAYSE, DSSoundData.Size(), 0);
    EXPECT_EQ(Played(), (std::vector<int>{0}));
    EXPECT_NE(ErrorLogText().find("err V[18] ( 18 ,"), std::string::npos) << ErrorLogText();
    plat::MSG m;
    bool closing = false;
    while (plat::PeekMessage(&m, nullptr, true)) closing = closing || m.message == plat::WM_CLOSE;
    EXPECT_TRUE(closing);
}

TEST_F(MainWindowSound, PlaysSceneAndStageMusicAndKeepsTheStageMusic) {
    using Calls = std::vector<std::string>;
    Progress.m_nStageBgm = 3;
    // Scene 0: its MIDI tune, looped.
    plat::SendMessage(window, WM_USER_PLAYBGM, 0, 0);
    EXPECT_EQ(soundtest::Calls(), (Calls{"midi play 0 bgm\\title.mid 1"}));
    EXPECT_EQ(Progress.m_nStageBgm, 3);  // a scene's music is not the stage's
    soundtest::Calls().clear();
    // Scene 1 has no music: it stops.
    plat::SendMessage(window, WM_USER_PLAYBGM, 1, 0);
    EXPECT_EQ(soundtest::Calls(), (Calls{"midi stop 0"}));
    soundtest::Calls().clear();
    // The stage's Ogg tune, with the progress record's loop setting.
    Progress.m_bBgmLoop = 0;
    plat::SendMessage(window, WM_USER_PLAYBGM, kBgmStageMusic, 2);
    EXPECT_EQ(Progress.m_nStageBgm, 2);
    EXPECT_EQ(soundtest::Calls(),
              (Calls{"clear", "load bgm\\stage.ogg", "loop 0", "play", "midi stop 0"}));
    soundtest::Calls().clear();
    // Stage music 0: slot 4 takes record 0's (empty) file and the music stops.
    plat::SendMessage(window, WM_USER_PLAYBGM, kBgmStageMusic, 0);
    EXPECT_EQ(Progress.m_nStageBgm, 0);
    EXPECT_EQ(soundtest::Calls(), (Calls{"midi stop 0", "stop"}));
    EXPECT_STREQ(Bgm.OggName(kBgmStageSlot), "");
    soundtest::Calls().clear();
    plat::SendMessage(window, WM_USER_PLAYBGM, 5, 0);  // nothing
    EXPECT_TRUE(soundtest::Calls().empty());
    // The close sequence stops the music before it ends the threads.
    plat::SendMessage(window, WM_USER_PLAYBGM, 2, 0);
    soundtest::Calls().clear();
    plat::SendMessage(window, plat::WM_CLOSE, 0, 0);
    EXPECT_EQ(soundtest::Calls(), (Calls{"midi stop 0", "stop"}));
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

// Before start-up has succeeded no worker exists: a close that start-up's own pump meets only
// marks the quit and ends the loop, so start-up fails once and the window is left to it.
TEST_F(MainWindow, CloseBeforeTheStartOnlyQuits) {
    bInitDone = 0;
    plat::SendMessage(window, plat::WM_CLOSE, 0, 0);
    EXPECT_EQ(bQuit, 1);
    EXPECT_TRUE(plat::IsWindow(window));
    EXPECT_TRUE(PumpUntilQuit());
    EXPECT_EQ(ErrorLogText().find("WM_CLOSE"), std::string::npos) << ErrorLogText();
}

}  // namespace

// The stage chooser served on the window thread: the flags it always sets, a cancel that changes nothing, and a chosen file that cannot be played, which closes
// the program after the loader has said why.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "base/globals.h"
#include "base/log.h"
#include "base/window_requests.h"
#include "platform/messages.h"
#include "platform/script_state.h"
#include "platform/seams.h"
#include "scene/scene_manager.h"
#include "shell/main_window.h"
#include "shell/shell_globals.h"
#include "shell/startup.h"
#include "stage/game_scene.h"
#include "support/temp_dir.h"

namespace {

class LoadStageRequest : public ::testing::Test {
protected:
    void SetUp() override {
        plat::Seams seams;
        seams.headless = true;
        plat::SetSeams(seams);
        ResetShellGlobals();
        MakeGameScene = NewGameScene;
        OpenReportLog("Report.txt");
        hWndMain = plat::CreateWindow(MainWndProc);
        plat::SetMainWindow(hWndMain);
        window = hWndMain;
        bInitDone = 1;
    }
    void TearDown() override {
        if (plat::IsWindow(window)) plat::DestroyWindow(window);
        plat::MSG m;
        while (plat::PeekMessage(&m, nullptr, true)) {
        }
        plat::SetMainWindow(nullptr);
        plat::ResetScriptState();
        ResetShellGlobals();
    }
    // Serves the request as the game thread's send would, and tells whether a close was
    // posted.
    bool Serve() {
        bFileDialogDone = 0;
        bFileDialogResult = 7;
        plat::SendMessage(window, WM_USER_LOADSTAGE, 0, 0);
        plat::MSG m;
        bool close = false;
        while (plat::PeekMessage(&m, nullptr, true)) close = close || m.message == plat::WM_CLOSE;
        return close;
    }
    std::string ScriptLog() const {
        std::ifstream in(dir.path + "/script.txt.log", std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    TempDir dir;
    plat::HWND window = nullptr;
};

TEST_F(LoadStageRequest, CancelAnswersNoFileAndClosesNothing) {
    plat::LoadScriptText("dialog open cancel\n", dir.path + "/script.txt");
    EXPECT_FALSE(Serve());
    EXPECT_EQ(bFileDialogDone, 1);
    EXPECT_EQ(bFileDialogResult, 0);
    EXPECT_NE(ScriptLog().find("dialog open -> cancel"), std::string::npos) << ScriptLog();
}

TEST_F(LoadStageRequest, AChosenFileThatCannotBePlayedClosesTheProgram) {
    plat::LoadScriptText("dialog open data\\stg4\\gone.stg4_001\n", dir.path + "/script.txt");
    EXPECT_TRUE(Serve());
    EXPECT_EQ(bFileDialogDone, 1);
    EXPECT_EQ(bFileDialogResult, 1);
    // The loader has said why before the close.
    EXPECT_NE(ScriptLog().find("gone.stg4_001"), std::string::npos) << ScriptLog();
}

TEST_F(LoadStageRequest, NoAnswerIsACancel) {
    plat::LoadScriptText("", dir.path + "/script.txt");
    EXPECT_FALSE(Serve());
    EXPECT_EQ(bFileDialogDone, 1);
    EXPECT_EQ(bFileDialogResult, 0);
}

}  // namespace

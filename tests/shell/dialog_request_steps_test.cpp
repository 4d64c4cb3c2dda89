// The window thread's dialog steps, headless: the ranking-name dialog answered by the script
// (what it edits, the three-character limit, the close box, the English label), and the
// replay choosers with the load and save behind them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "base/globals.h"
#include "base/log.h"
#include "base/paths.h"
#include "base/window_requests.h"
#include "data/option_record.h"
#include "data/stage_record.h"
#include "data/system_ini.h"
#include "gen/project.h"
#include "platform/dialog.h"
#include "platform/host_path.h"
#include "platform/platform_state.h"
#include "platform/script_state.h"
#include "platform/seams.h"
#include "scene/game_progress.h"
#include "scene/replay_log.h"
#include "scene/scene_manager.h"
#include "shell/main_window.h"
#include "shell/name_entry_dialog.h"
#include "shell/shell_globals.h"
#include "shell/window_request_steps.h"
#include "stage/game_scene.h"
#include "stage/replay_file.h"
#include "stage/stage_load.h"
#include "support/temp_dir.h"

namespace {

std::vector<std::uint32_t>& Seen() {
    static std::vector<std::uint32_t> seen;
    return seen;
}

plat::LRESULT Proc(plat::HWND, std::uint32_t msg, plat::WPARAM w, plat::LPARAM) {
    Seen().push_back(msg == WM_USER_PLAYSE ? 0x10000u + static_cast<std::uint32_t>(w) : msg);
    return 0;
}

class DialogSteps : public ::testing::Test {
protected:
    void SetUp() override {
        Headless({});
        ResetShellGlobals();
        OpenReportLog("Report.txt");
        Seen().clear();
        window = plat::CreateWindow(Proc);
        plat::SetMainWindow(window);
        hWndMain = window;
        MainWnd.SetGeometry(640, 480, 100, 100, 640, 480, kMainWindowStyle, 0, 0, 0, 0, 0);
    }
    void TearDown() override {
        if (lpGame) {
            delete lpGame;
        }
        plat::DestroyWindow(window);
        plat::ResetScriptState();
        plat::SetSeams(plat::Seams{});
        ResetShellGlobals();
    }
    static void Headless(std::set<std::string> fail) {
        plat::Seams seams;
        seams.headless = true;
        seams.failSteps = std::move(fail);
        plat::SetSeams(seams);
        plat::ResetPlatformState();
    }
    static void Pump() {
        plat::MSG m;
        while (plat::PeekMessage(&m, nullptr, true)) plat::DispatchMessage(&m);
    }
    static int Count(std::uint32_t what) {
        Pump();
        return static_cast<int>(std::count(Seen().begin(), Seen().end(), what));
    }
    // The sample project as the current folder, forest-1 loaded for play.
    void UseProject() {
        std::string error;
        gen::ProjectOptions options;
        options.data = true;
        ASSERT_TRUE(gen::MakeProject("project", options, &error)) << error;
        std::filesystem::current_path("project");
        plat::ClearPathCache();
        OpenReportLog("Report.txt");
        CreateDataFolders();
        ASSERT_EQ(LoadStageForPlay("data\\stg4\\forest-1.stg4", 1, &EdStage), 1);
        Progress.SetStageFile("data\\stg4\\forest-1.stg4_001");
    }

    TempDir dir;
    plat::HWND window = nullptr;
};

TEST_F(DialogSteps, NameDialogEditsTheBoundName) {
    struct Case {
        const char* what;
        int titleChoice;
        bool scene;
        const char* answer;
        int english;
        const char* wantScene;
        const char* wantOption;
        const char* label;
    };
    const Case cases[] = {
        {"typed and confirmed", TITLE_FREE, true, "dialog name ok text=xy", 0, "xy", "aaa",
         "登録名(3文字まで)"},
        // The script is UTF-8; the name comes back in the game's CP932.
        {"double-byte characters count once", TITLE_FREE, true,
         reinterpret_cast<const char*>(u8"dialog name ok text=ゆう太"), 0, "ゆう太", "aaa",
         "登録名(3文字まで)"},
        {"too long: refused", TITLE_FREE, true, "dialog name ok text=abcd", 0, "old", "aaa",
         "登録名(3文字まで)"},
        {"the close box keeps the old name", TITLE_FREE, true, "dialog name close text=qq", 1,
         "old", "aaa", "     Name"},
        {"the options edit the fixed name", TITLE_OPTION, true, "dialog name ok text=opt", 1, "old",
         "opt", "     Name"},
        {"neither: nothing is shown", TITLE_FREE, false, "dialog name ok text=zz", 0, nullptr,
         "aaa", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Option.strRankingName = "aaa";
        SceneMgr.m_nTitleChoice = c.titleChoice;
        SystemIni.English = c.english;
        if (c.scene && !lpGame) NewGameScene();
        if (!c.scene && lpGame) delete lpGame;
        if (lpGame) lpGame->m_strRankName = "old";
        plat::LoadScriptText(c.answer, "");
        plat::ClearShownDialogs();
        bNameEntryDone = 0;
        ServeNameEntryRequest();
        EXPECT_EQ(bNameEntryDone, 1);
        if (c.wantScene) EXPECT_EQ(lpGame->m_strRankName, c.wantScene);
        EXPECT_EQ(Option.strRankingName, c.wantOption);
        const auto shown = plat::ShownDialogs();
        if (!c.label) {
            EXPECT_TRUE(shown.empty());
            continue;
        }
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown[0].kind, "name");
        EXPECT_EQ(shown[0].texts.at(IDC_NAME_LABEL), c.label);
    }
}

TEST_F(DialogSteps, ReplaySaveWritesTheChosenLogOrRefusesWithoutClosing) {
    UseProject();
    CurReplay.Clear();
    CurReplay.RecordFrame(1, 0);
    PrevReplay.Clear();
    PrevReplay.RecordFrame(2, 0);
    PrevReplay.RecordFrame(2, 0);

    plat::LoadScriptText("dialog save cancel\n", "");
    ServeSaveReplayRequest(0);
    EXPECT_EQ(bFileDialogDone, 1);
    EXPECT_EQ(bFileDialogResult, 0);

    plat::LoadScriptText("dialog save user_data\\rpl4\\prev.rpl4_747\n", "");
    bFileDialogDone = 0;
    ServeSaveReplayRequest(1);
    EXPECT_EQ(bFileDialogDone, 1);
    EXPECT_EQ(bFileDialogResult, 1);
    ReplayLog back;
    GameProgress progress;
    cEdStage running, loaded;
    ASSERT_EQ(LoadReplayFile(back, "user_data\\rpl4\\prev.rpl4_747", running, loaded, progress), 1);
    EXPECT_EQ(back.m_vecDirRun[0], 2);

    // A write that fails: the refusal sound and a report line; the play goes on.
    Headless({"file_write"});
    plat::LoadScriptText("dialog save user_data\\rpl4\\bad.rpl4_747\n", "");
    bFileDialogDone = 0;
    ServeSaveReplayRequest(0);
    EXPECT_EQ(bFileDialogDone, 1);
    EXPECT_EQ(bFileDialogResult, 0);
    EXPECT_FALSE(plat::FileExists("user_data\\rpl4\\bad.rpl4_747"));
    EXPECT_EQ(Count(0x10000u + 3), 1);
    EXPECT_EQ(Count(plat::WM_CLOSE), 0);
}

TEST_F(DialogSteps, ReplayLoadTakesAFileOverOrClosesOnADamagedOne) {
    UseProject();
    CurReplay.Clear();
    CurReplay.RecordFrame(4, 1);
    CurReplay.m_nSeed = 99;
    ASSERT_EQ(
        SaveReplayFile(CurReplay, "user_data\\rpl4\\good.rpl4_747", EdStageWork, EdStage, Progress),
        1);
    ASSERT_TRUE(WriteFileAtomically("user_data\\rpl4\\bad.rpl4_747", {0xeb, 2, 0, 0, 1}));
    CurReplay.Clear();

    plat::LoadScriptText("dialog open cancel\n", "");
    ServeLoadReplayRequest();
    EXPECT_EQ(bFileDialogResult, 0);
    EXPECT_EQ(CurReplay.m_nSeed, 0);

    plat::LoadScriptText("dialog open user_data\\rpl4\\good.rpl4_747\n", "");
    bFileDialogDone = 0;
    ServeLoadReplayRequest();
    EXPECT_EQ(bFileDialogDone, 1);
    EXPECT_EQ(bFileDialogResult, 1);
    EXPECT_EQ(CurReplay.m_nSeed, 99);
    EXPECT_NE(EdStageWork.strPath.find("good.rpl4_747"), std::string::npos);
    EXPECT_EQ(Count(plat::WM_CLOSE), 0);

    plat::LoadScriptText("dialog open user_data\\rpl4\\bad.rpl4_747\n", "");
    ServeLoadReplayRequest();
    EXPECT_EQ(bFileDialogResult, 0);
    EXPECT_EQ(CurReplay.m_nSeed, 99);  // nothing taken over
    EXPECT_EQ(Count(plat::WM_CLOSE), 1);
    std::ifstream report("Report.txt");
    const std::string text((std::istreambuf_iterator<char>(report)), {});
    EXPECT_NE(text.find("bad.rpl4_747 cannot be played"), std::string::npos) << text;
}

}  // namespace

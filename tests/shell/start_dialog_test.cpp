// The drawing-mode step of start-up, headless: the stored choice in user_data\Boot.dat, the
// start dialog answered by the script, and what each answer leaves behind.
#include "shell/start_dialog.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "data/boot_settings.h"
#include "data/system_ini.h"
#include "data/system_record.h"
#include "platform/desktop.h"
#include "platform/dialog.h"
#include "platform/platform_state.h"
#include "platform/script_state.h"
#include "platform/seams.h"
#include "shell/main_window.h"
#include "shell/shell_globals.h"
#include "support/temp_dir.h"

namespace {

std::vector<std::uint8_t> BootBytes(std::int32_t choice, std::int32_t flag) {
    std::vector<std::uint8_t> out;
    for (std::uint32_t v :
         {747u, 2u, static_cast<std::uint32_t>(choice), static_cast<std::uint32_t>(flag), 0u})
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    return out;
}

std::vector<std::uint8_t> ReadBoot() {
    std::ifstream in("user_data/Boot.dat", std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

void WriteBoot(const std::vector<std::uint8_t>& bytes) {
    std::ofstream out("user_data/Boot.dat", std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

class StartDialog : public ::testing::Test {
protected:
    void SetUp() override {
        Headless({});
        ResetShellGlobals();
        std::filesystem::create_directory("user_data");
        EdSystem.strTitle = "テストゲーム";
        MainWnd.SetGeometry(640, 480, 100, 100, 640, 480, kMainWindowStyle, 0, 0, 0, 0, 0);
        MainWnd.CentreOnDesktop();
    }
    void TearDown() override {
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
    // Runs the step with Direct3D = direct3D and the script; the dialogs it showed.
    bool Choose(int direct3D, const std::string& script) {
        plat::LoadScriptText(script, "");
        plat::ClearShownDialogs();
        SystemIni.Direct3D = direct3D;
        return ChooseDrawingMode(MainWnd);
    }
    TempDir dir;
};

TEST_F(StartDialog, AnswersAndWhatTheyLeave) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> before;  // empty: no file
        int direct3D;
        const char* script;
        bool dialog;
        bool go;
        int direct3DAfter;
        std::vector<std::uint8_t> after;  // empty: no file
    };
    const Case cases[] = {
        {"first start, Start pressed by default", {}, 2, "", true, true, 1, BootBytes(1, 0)},
        {"DirectDraw, do not ask, Start",
         {},
         2,
         "dialog start start mode=ddraw noask=1",
         true,
         true,
         0,
         BootBytes(0, 1)},
        {"the stored choice skips the dialog", BootBytes(0, 1), 2, "dialog start cancel", false,
         true, 0, BootBytes(0, 1)},
        {"any flag other than 0 skips it", BootBytes(1, 5), 2, "", false, true, 1, BootBytes(1, 5)},
        {"Cancel ends the start, the file unchanged", BootBytes(0, 0), 2, "dialog start cancel",
         true, false, 2, BootBytes(0, 0)},
        {"the close box is Cancel", {}, 2, "dialog start close mode=ddraw", true, false, 2, {}},
        {"Direct3D 0 never reads the file", BootBytes(1, 1), 0, "", false, true, 0,
         BootBytes(1, 1)},
        {"Direct3D 1 never reads the file", BootBytes(0, 1), 1, "", false, true, 1,
         BootBytes(0, 1)},
        {"a choice not 0 or 1 is kept by Start and means DirectDraw", BootBytes(7, 0), 3,
         "dialog start start", true, true, 0, BootBytes(7, 0)},
        {"a short file leaves the defaults",
         {0xEB, 0x02, 0, 0, 2, 0},
         2,
         "dialog start start",
         true,
         true,
         1,
         BootBytes(1, 0)},
    };
    for (const Case& c : cases) {
        std::filesystem::remove("user_data/Boot.dat");
        if (!c.before.empty()) WriteBoot(c.before);
        EXPECT_EQ(Choose(c.direct3D, c.script), c.go) << c.what;
        EXPECT_EQ(plat::ShownDialogs().size(), c.dialog ? 1u : 0u) << c.what;
        if (c.go) EXPECT_EQ(SystemIni.Direct3D, c.direct3DAfter) << c.what;
        EXPECT_EQ(ReadBoot(), c.after) << c.what;
    }
}

TEST_F(StartDialog, ShowsTheStoredChoiceAndRestsThePointerOnStart) {
    struct Case {
        std::vector<std::uint8_t> before;
        std::vector<int> checked;
    };
    const Case cases[] = {
        {{}, {IDC_DIRECT3D}},
        {BootBytes(0, 0), {IDC_DIRECTDRAW}},
        {BootBytes(7, 0), {}},
    };
    for (const Case& c : cases) {
        std::filesystem::remove("user_data/Boot.dat");
        if (!c.before.empty()) WriteBoot(c.before);
        ASSERT_FALSE(Choose(2, "dialog start cancel"));
        ASSERT_EQ(plat::ShownDialogs().size(), 1u);
        EXPECT_EQ(plat::ShownDialogs()[0].initialChecked, c.checked);
    }
    // The dialog stands over the middle of the main window, the pointer on Start's centre.
    const plat::DialogRecord shown = plat::ShownDialogs()[0];
    const int x = MainWnd.ptWindow.x + 320 - 187, y = MainWnd.ptWindow.y + 240 - 136;
    EXPECT_EQ(shown.window.left, x);
    EXPECT_EQ(shown.window.top, y);
    const int clientX = x + plat::GetSystemMetrics(plat::SM_CXDLGFRAME);
    const int clientY = y + plat::GetSystemMetrics(plat::SM_CYDLGFRAME) +
                        plat::GetSystemMetrics(plat::SM_CYCAPTION);
    plat::POINT cursor;
    plat::GetCursorPos(&cursor);
    EXPECT_EQ(cursor.x,
              clientX + plat::DialogUnitsToPixelsX(80) + plat::DialogUnitsToPixelsX(50) / 2);
    EXPECT_EQ(cursor.y,
              clientY + plat::DialogUnitsToPixelsY(105) + plat::DialogUnitsToPixelsY(25) / 2);
}

TEST_F(StartDialog, CaptionIsTheTitleAndEnglishGivesTheFiveTexts) {
    for (int english : {0, 1}) {
        SystemIni.English = english;
        ASSERT_FALSE(Choose(2, "dialog start cancel"));
        ASSERT_EQ(plat::ShownDialogs().size(), 1u);
        const plat::DialogRecord shown = plat::ShownDialogs()[0];
        EXPECT_EQ(shown.title, "テストゲーム");
        auto text = [&](int id) { return shown.texts.at(id); };
        if (english) {
            EXPECT_EQ(text(IDC_MODE_GROUP), "Drawing mode");
            EXPECT_EQ(text(IDC_START), "Start");
            EXPECT_EQ(text(IDC_CANCEL_START), "Cancel");
            EXPECT_EQ(text(IDC_HINT), "Configure the detail settings at \"System.ini\".");
            EXPECT_EQ(text(IDC_NO_ASK), "Do not ask this dialog again");
        } else {
            EXPECT_EQ(text(IDC_START), "ゲーム開始");
            EXPECT_EQ(text(IDC_CANCEL_START), "ゲーム中止");
            EXPECT_EQ(text(IDC_MODE_GROUP), "描画モード");
            EXPECT_EQ(text(IDC_NO_ASK), "次回からこのダイアログを表示しない");
        }
        EXPECT_EQ(text(1002), "Direct3D");
    }
}

TEST_F(StartDialog, AFailedWriteKeepsTheOldFileAndTheChoiceApplies) {
    WriteBoot(BootBytes(1, 0));
    Headless({"file_write"});
    EXPECT_TRUE(Choose(2, "dialog start start mode=ddraw noask=1"));
    EXPECT_EQ(SystemIni.Direct3D, 0);
    EXPECT_EQ(ReadBoot(), BootBytes(1, 0));
}

}  // namespace

// System.ini: the defaults from the project's option records, a table of files read over
// them, keys and values of any length, the line limit, project-spelled keys, and start-up's
// failure path with its box and the defaults again.
#include "data/system_ini.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <fstream>
#include <functional>
#include <string>

#include "base/globals.h"
#include "base/log.h"
#include "data/data_globals.h"
#include "data/system_record.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/seams.h"
#include "support/temp_dir.h"

namespace {

std::atomic<int> closeRequests{0};

plat::LRESULT CountCloses(plat::HWND, std::uint32_t msg, plat::WPARAM, plat::LPARAM) {
    if (msg == plat::WM_CLOSE) ++closeRequests;
    return 0;
}

void WriteFile(const std::string& name, const std::string& bytes) {
    std::ofstream(name, std::ios::binary) << bytes;
}

void ExpectSettings(const cSystemIni& actual, const cSystemIni& expected) {
    EXPECT_EQ(actual.Direct3D, expected.Direct3D);
    EXPECT_EQ(actual.WindowMode, expected.WindowMode);
    EXPECT_EQ(actual.Bpp, expected.Bpp);
    EXPECT_EQ(actual.VSync, expected.VSync);
    EXPECT_EQ(actual.D3D_FontCache, expected.D3D_FontCache);
    EXPECT_EQ(actual.DD_FontCache, expected.DD_FontCache);
    EXPECT_EQ(actual.DD_VideoStretch, expected.DD_VideoStretch);
    EXPECT_EQ(actual.ShowFps, expected.ShowFps);
    EXPECT_EQ(actual.English, expected.English);
    EXPECT_EQ(actual.FreeStage, expected.FreeStage);
}

class SystemIniFile : public ::testing::Test {
protected:
    void SetUp() override {
        previousSeams_ = plat::GetSeams();
        plat::Seams seams;
        seams.headless = true;
        plat::SetSeams(seams);
        ResetDataGlobals();
        closeRequests = 0;
        hWndMain = plat::CreateWindow(CountCloses);
        ASSERT_EQ(OpenReportLog("Report_Game.txt"), 1);
        options = cEdSystem().vecOptions;
        // A text default, so that a FreeStage left alone can be told from one cleared.
        options[8].SetText("FreeStage", "default.stg4");
    }
    void TearDown() override {
        plat::DestroyWindow(hWndMain);
        ResetDataGlobals();
        plat::SetSeams(previousSeams_);
    }
    int PumpCloses() {
        plat::MSG m;
        while (plat::PeekMessage(&m, nullptr, true)) plat::DispatchMessage(&m);
        return closeRequests;
    }
    cSystemIni Defaults() const {
        cSystemIni settings;
        SetSystemIniDefaults(settings, options);
        return settings;
    }
    // The file read over the defaults: the result and the settings.
    int Read(const std::string& bytes, cSystemIni& settings) {
        WriteFile("System.ini", bytes);
        settings = Defaults();
        return ReadSystemIni("System.ini", settings, options);
    }

    TempDir dir;
    plat::Seams previousSeams_;
    CheckedVector<cEdSystemSubD> options;
};

TEST_F(SystemIniFile, DefaultsComeFromTheOptionRecordsAndEnglishNever) {
    cSystemIni settings;
    settings.English = 5;
    SetSystemIniDefaults(settings, cEdSystem().vecOptions);
    cSystemIni expected;
    expected.Direct3D = 2;
    expected.VSync = 2;
    expected.DD_FontCache = 1;
    expected.ShowFps = 1;
    ExpectSettings(settings, expected);

    // By position, whatever the keys; English stays 0 even with a default of 1.
    for (int i = 0; i < 10; ++i) options[i].Set(options[i].strKey, 10 + i);
    options[8].SetText("FreeStage", "data\\stg4\\first.stg4");
    SetSystemIniDefaults(settings, options);
    expected = cSystemIni{10, 11, 12, 13, 14, 15, 16, 17, 0, "data\\stg4\\first.stg4"};
    ExpectSettings(settings, expected);
    // A text default too long for a stage path is not used.
    options[8].SetText("FreeStage", std::string(260, 'a'));
    SetSystemIniDefaults(settings, options);
    EXPECT_EQ(settings.FreeStage, "");
    EXPECT_EQ(PumpCloses(), 0);

    // Too few records: each missing one takes the checked access and record 0.
    CheckedVector<cEdSystemSubD> few = cEdSystem().vecOptions;
    few.resize(5);
    SetSystemIniDefaults(settings, few);
    EXPECT_EQ(settings.D3D_FontCache, 0);
    EXPECT_EQ(settings.DD_VideoStretch, 2);
    EXPECT_EQ(settings.ShowFps, 2);
    EXPECT_EQ(PumpCloses(), 4);
}

TEST_F(SystemIniFile, FilesReadOverTheDefaults) {
    const std::string key259 = std::string(259 - 5, 'p') + ".stg4";
    const std::string key260 = "x" + key259;
    struct Case {
        const char* name;
        std::string file;
        int result;
        std::function<void(cSystemIni&)> change;
    } cases[] = {
        {"every key, Exit with LF",
         "Direct3D=1\nWindowMode=2\nBpp=16\nVSync=0\nD3D_FontCache=3\nDD_FontCache=0\n"
         "DD_VideoStretch=1\nShowFps=0\nFreeStage=a.stg4\nEnglish=1\nExit\n",
         1, [](cSystemIni& s) { s = cSystemIni{1, 2, 16, 0, 3, 0, 1, 0, 1, "a.stg4"}; }},
        {"Exit without a final LF", "Bpp=16\nExit", 0, [](cSystemIni& s) { s.Bpp = 16; }},
        {"no Exit line", "Bpp=16\nShowFps=0\n", 0,
         [](cSystemIni& s) {
             s.Bpp = 16;
             s.ShowFps = 0;
         }},
        {"empty file", "", 0, [](cSystemIni&) {}},
        {"a NUL byte where a key begins ends the file", std::string("Bpp=16\n\0Bpp=8\n", 14), 1,
         [](cSystemIni& s) { s.Bpp = 16; }},
        {"a NUL byte inside a key ends the file", std::string("Bpp=16\nWind\0owMode=1\nExit", 25),
         1, [](cSystemIni& s) { s.Bpp = 16; }},
        {"a NUL byte after a key's last character ends the file",
         std::string("Bpp=16\nWindowMode\0=1\n", 21), 1, [](cSystemIni& s) { s.Bpp = 16; }},
        {"a NUL byte ends a value", std::string("Bpp=16\0WindowMode=1\nExit\n", 25), 1,
         [](cSystemIni& s) {
             s.Bpp = 16;
             s.WindowMode = 1;
         }},
        {"a tab ends a value, the rest of the line is a further key",
         "Bpp=16\tWindowMode=1\nFreeStage=ab\tcd\t\nExit\n", 1,
         [](cSystemIni& s) {
             s.Bpp = 16;
             s.WindowMode = 1;
             s.FreeStage = "ab";
         }},
        {"CR LF: numbers as with LF, the CR stays in a text",
         "Bpp=16\r\nFreeStage=b.stg4\r\nExit\r\n", 1,
         [](cSystemIni& s) {
             s.Bpp = 16;
             s.FreeStage = "b.stg4\r";
         }},
        {"comments after a space and after /",
         "Bpp=16 // sixteen\nVSync=1/auto is 2\nDirect3D=0//Direct3D=1\nExit\n", 1,
         [](cSystemIni& s) {
             s.Bpp = 16;
             s.VSync = 1;
             s.Direct3D = 0;
         }},
        {"after a value the rest of the line is a further key",
         "Bpp=16 WindowMode=1/ShowFps=0\nExit\n", 1,
         [](cSystemIni& s) {
             s.Bpp = 16;
             s.WindowMode = 1;
             s.ShowFps = 0;
         }},
        {"spaces, tabs and CRs inside keys are dropped; a blank after = ends the value",
         "Window Mode\t=1\nD\r3D_Font Cache=4\nVSync= 1\nExit\n", 1,
         [](cSystemIni& s) {
             s.WindowMode = 1;
             s.D3D_FontCache = 4;
             s.VSync = 0;
         }},
        {"keys are case-sensitive; unknown keys and lines without = are ignored",
         "bpp=16\nColour=3\njust a line\n\nExit\n", 1, [](cSystemIni&) {}},
        {"a later line wins", "Bpp=16\nBpp=32\nExit\n", 1, [](cSystemIni& s) { s.Bpp = 32; }},
        {"FreeStage of length 1 is left alone", "FreeStage=a\nExit\n", 1, [](cSystemIni&) {}},
        {"FreeStage of length 2", "FreeStage=ab\nExit\n", 1,
         [](cSystemIni& s) { s.FreeStage = "ab"; }},
        {"FreeStage of length 259", "FreeStage=" + key259 + "\nExit\n", 1,
         [&](cSystemIni& s) { s.FreeStage = key259; }},
        {"FreeStage of length 260 is left whole, not cut", "FreeStage=" + key260 + "\nExit\n", 1,
         [](cSystemIni&) {}},
        {"FreeStage is cut at a space and at /", "FreeStage=my stage.stg4\nExit\n", 1,
         [](cSystemIni& s) { s.FreeStage = "my"; }},
        {"FreeStage with / separators", "FreeStage=data/stg4/a.stg4\nExit\n", 1,
         [](cSystemIni& s) { s.FreeStage = "data"; }},
        {"non-numeric and partly numeric values", "Direct3D=abc\nBpp=16bit\nVSync=-1\nExit\n", 1,
         [](cSystemIni& s) {
             s.Direct3D = 0;
             s.Bpp = 16;
             s.VSync = -1;
         }},
        {"values beyond 32 bits are held at the ends",
         "Bpp=99999999999\nVSync=-99999999999\nExit\n", 1,
         [](cSystemIni& s) {
             s.Bpp = INT32_MAX;
             s.VSync = INT32_MIN;
         }},
        {"a key and a value longer than 2047 bytes are read whole",
         std::string(3000, 'k') + "=1\nBpp=" + std::string(3000, '0') + "24\nExit\n", 1,
         [](cSystemIni& s) { s.Bpp = 24; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cSystemIni settings;
        EXPECT_EQ(Read(c.file, settings), c.result);
        cSystemIni expected = Defaults();
        c.change(expected);
        ExpectSettings(settings, expected);
    }
    EXPECT_EQ(PumpCloses(), 0);
}

TEST_F(SystemIniFile, TheProjectSpellsTheKeysAndTheFirstEqualNameDecides) {
    options[2].Set("Colour", 0);
    options[3].Set("Colour", 2);
    options.resize(12);
    options[11].Set("Extra", 5);
    cSystemIni settings;
    EXPECT_EQ(Read("Bpp=16\nColour=32\nExtra=1\nExit\n", settings), 1);
    cSystemIni expected = Defaults();
    expected.Bpp = 32;
    ExpectSettings(settings, expected);
}

TEST_F(SystemIniFile, AfterTenThousandLinesTheFileCountsAsRead) {
    std::string file;
    for (int i = 0; i < 9999; ++i) file += "x=1\n";
    cSystemIni settings;
    EXPECT_EQ(Read(file + "Bpp=16\nBpp=8\n", settings), 1);
    EXPECT_EQ(settings.Bpp, 16);
    // A value that ends with a blank starts a further key: that counts as a line too.
    EXPECT_EQ(Read(file + "Bpp=16 ShowFps=0\n", settings), 1);
    EXPECT_EQ(settings.Bpp, 16);
    EXPECT_EQ(settings.ShowFps, 1);
    // Ending on line 10000 is still the end of the file before the end line.
    EXPECT_EQ(Read(file, settings), 0);
    EXPECT_EQ(Read(file + "\n", settings), 1);
}

TEST_F(SystemIniFile, StartUpShowsTheBoxAndTakesTheDefaultsAgainAfterAFailure) {
    EdSystem.vecOptions[1].Set("WindowMode", 1);
    // No file at all.
    EXPECT_EQ(LoadSystemIni(), 0);
    ASSERT_EQ(plat::ShownBoxes().size(), 1u);
    EXPECT_EQ(plat::ShownBoxes()[0].text,
              reinterpret_cast<const char*>(u8"System.ini の読み込みに失敗しました！"));
    EXPECT_EQ(SystemIni.WindowMode, 1);

    // A file without its end line: what it set before the end is discarded.
    WriteFile("System.ini", "WindowMode=0\nBpp=16\nFreeStage=a.stg4\n");
    EXPECT_EQ(LoadSystemIni(), 0);
    EXPECT_EQ(plat::ShownBoxes().size(), 2u);
    cSystemIni expected;
    SetSystemIniDefaults(expected, EdSystem.vecOptions);
    ExpectSettings(SystemIni, expected);

    WriteFile("System.ini", "WindowMode=0\nBpp=16\nFreeStage=a.stg4\nExit\n");
    EXPECT_EQ(LoadSystemIni(), 1);
    EXPECT_EQ(plat::ShownBoxes().size(), 2u);
    EXPECT_EQ(SystemIni.WindowMode, 0);
    EXPECT_EQ(SystemIni.Bpp, 16);
    EXPECT_EQ(SystemIni.FreeStage, "a.stg4");
}

TEST(SettingToInt, AsTheRuntimeReadsANumber) {
    struct Case {
        const char* text;
        std::int32_t value;
    } cases[] = {{"0", 0},
                 {"42", 42},
                 {"-7", -7},
                 {"+8", 8},
                 {"12\r", 12},
                 {"\r 3", 3},
                 {"", 0},
                 {"-", 0},
                 {"x1", 0},
                 {"2147483647", INT32_MAX},
                 {"2147483648", INT32_MAX},
                 {"-2147483648", INT32_MIN},
                 {"-2147483649", INT32_MIN},
                 {"007", 7}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(SettingToInt(c.text), c.value);
    }
}

}  // namespace

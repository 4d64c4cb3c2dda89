// The file dialogs headless: the script's answers become absolute Windows-form paths, an
// answer of another kind waits, a path too long fails, a save asks before it replaces a file,
// and the 8-bit DirectDraw palette gets its first entry back after the chooser.
#include "gfx/file_dialogs.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "display_fixture.h"
#include "platform/cp932.h"
#include "platform/ddraw.h"
#include "platform/file_chooser.h"
#include "platform/host_path.h"
#include "platform/script_state.h"

namespace {

const char kFilter[] = "StageFile ( *.stg4_*;*.rpl4_* )\0*.stg4_*;*.rpl4_*\0";

class FileDialogs : public ::testing::Test, public DisplayFixture {
protected:
    void SetUp() override { Prepare(); }
    void TearDown() override { Close(); }
    std::string Here() const {
        std::string base = plat::Utf8ToCp932(plat::CurrentDirectory());
        for (char& c : base)
            if (c == '/') c = '\\';
        return base;
    }
};

TEST_F(FileDialogs, OpenAnswersBecomeAbsolutePaths) {
    struct Case {
        const char* script;
        bool chosen;
        std::string path;  // after the current folder and '\'
    };
    const std::string longScript = "dialog open " + std::string(300, 'a');
    const Case cases[] = {
        {"dialog open data\\stg4\\a.stg4_000", true, "data\\stg4\\a.stg4_000"},
        {"dialog open cancel", false, ""},
        {"", false, ""},
        {longScript.c_str(), false, ""},
    };
    for (const Case& c : cases) {
        plat::LoadScriptText(c.script, "");
        char buffer[260];
        CheckedVector<std::string> results;
        const bool chosen = GetOpenFileName(nullptr, buffer, sizeof buffer, "data\\stg4", "t",
                                            kFilter, "stg4", 0, &results);
        EXPECT_EQ(chosen, c.chosen) << c.script;
        if (c.chosen) {
            EXPECT_EQ(std::string(buffer), Here() + "\\" + c.path);
            ASSERT_EQ(results.size(), 1u);
            EXPECT_EQ(results[0], std::string(buffer));
        } else {
            EXPECT_EQ(buffer[0], '\0') << c.script;
        }
    }
}

TEST_F(FileDialogs, AnAnswerOfAnotherKindWaitsForItsDialog) {
    plat::LoadScriptText("dialog save x.rpl4_747\ndialog open a.stg4_000\n", "");
    char buffer[260];
    EXPECT_FALSE(GetOpenFileName(nullptr, buffer, sizeof buffer, "", "t", kFilter, "", 0, nullptr));
    EXPECT_EQ(plat::TakeDialogAnswer(), std::optional<std::string>("save x.rpl4_747"));
}

TEST_F(FileDialogs, AbsoluteAnswerIsKept) {
    plat::LoadScriptText("dialog open \\tmp\\somewhere\\b.STG4_001", "");
    char buffer[260];
    ASSERT_TRUE(GetOpenFileName(nullptr, buffer, sizeof buffer, "", "t", kFilter, "", 0, nullptr));
    EXPECT_STREQ(buffer, "\\tmp\\somewhere\\b.STG4_001");
}

TEST_F(FileDialogs, SaveAsksBeforeReplacingAFile) {
    { std::ofstream("old.rpl4_747") << "x"; }
    struct Case {
        const char* script;
        bool chosen;
        const char* name;
    };
    const Case cases[] = {
        {"dialog save old.rpl4_747\nbox no", false, ""},
        {"dialog save old.rpl4_747\nbox yes", true, "old.rpl4_747"},
        {"dialog save new", true, "new.rpl4_747"},  // the default extension
    };
    for (const Case& c : cases) {
        plat::LoadScriptText(c.script, "");
        char buffer[260] = "proposed";
        EXPECT_EQ(GetSaveFileName(nullptr, buffer, "", "t", kFilter, "rpl4_747", 1), c.chosen)
            << c.script;
        if (c.chosen) EXPECT_EQ(std::string(buffer), Here() + "\\" + c.name) << c.script;
    }
}

TEST_F(FileDialogs, PatternsMatchInAnyCase) {
    EXPECT_TRUE(plat::MatchesFilePatterns("A.STG4_000", "*.stg4_*;*.rpl4_*"));
    EXPECT_TRUE(plat::MatchesFilePatterns("a.rpl4_747", "*.stg4_*;*.rpl4_*"));
    EXPECT_FALSE(plat::MatchesFilePatterns("a.stg4", "*.stg4_*;*.rpl4_*"));
}

TEST_F(FileDialogs, EightBitDirectDrawGetsPaletteEntryZeroBack) {
    for (const DisplayConfig& c : kDisplayConfigs) {
        ASSERT_TRUE(Open(c)) << c.name;
        SetTestPalette();
        if (lpDDPalette) {
            // Something else in entry 0 before: the chooser's end writes the stored one.
            const plat::PALETTEENTRY red{200, 0, 0, 0};
            lpDDPalette->SetEntries(0, 0, 1, &red);
        }
        for (const char* script : {"dialog open cancel", "dialog open a.stg4_000"}) {
            plat::LoadScriptText(script, "");
            char buffer[260];
            GetOpenFileName(nullptr, buffer, sizeof buffer, "", "t", kFilter, "", 0, nullptr);
            if (lpDDPalette) {
                plat::PALETTEENTRY entry{};
                lpDDPalette->GetEntries(0, 0, 1, &entry);
                const bool eightBit = !c.direct3D && c.bpp == 8;
                EXPECT_EQ(entry.peRed, eightBit ? PaletteOrg[0].peRed : 200) << c.name << script;
                EXPECT_EQ(entry.peGreen, eightBit ? PaletteOrg[0].peGreen : 0) << c.name;
            }
        }
        DDUnInit();
    }
}

}  // namespace

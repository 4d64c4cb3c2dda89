// The ranking table and the result box as the player sees them, against a golden frame:
// the Japanese and the English title, values right-aligned on one column, the clear times,
// the table-switch hint only when the play mode enables two tables, the highlighted place,
// and the result box with a cursor per table that took the value.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "base/paths.h"
#include "gen/project.h"
#include "gfx/fill.h"
#include "gfx/font_tables.h"
#include "gfx/palette_file.h"
#include "platform/ddraw.h"
#include "platform/host_path.h"
#include "platform/image_decoder.h"
#include "platform/png_writer.h"
#include "scene/ranking.h"
#include "scene_fixture.h"

namespace {

class RankingDrawTest : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        std::string error;
        gen::ProjectOptions options;
        options.data = true;
        ASSERT_TRUE(gen::MakeProject("project", options, &error)) << error;
        std::filesystem::current_path("project");
        plat::ClearPathCache();
        ASSERT_TRUE(OpenDisplay(kSceneDisplays[2]));  // DirectDraw 32 in a window
        ASSERT_TRUE(DDLoadPaletteFromFile(Palette, SurfaceDef[0].szFileName, 1));
        for (int i = 0; i < 256; ++i) PaletteOrg[i] = Palette[i];
        ASSERT_TRUE(DDSetTransmit(SurfaceDef[0].szFileName));
        const int sheets[] = {45, 49, 50};
        ASSERT_TRUE(DDLoadSurfaceSet(StdSD, sheets, 3));
        ASSERT_TRUE(InitFonts(Fonts, FontDef, kFontCount));
        EdSystem.SetDefaults();
        SceneMgr.m_nPlayMode = PLAYMODE_FREE;
    }
    void TearDown() override {
        for (Font& font : Fonts) font.Release();
        SystemIni.English = 0;
        bTestPlay = 0;
        TearDownWorld();
    }
    static void EnableTables(std::initializer_list<int> on) {
        cEdSystemSubC& rule = EdSystem.vecRankingRules[PLAYMODE_FREE];
        rule.bEnabled = 1;
        rule.vecTableOn.Clear();
        rule.vecTableOn.resize(kRankTables, 0);
        for (int t : on) rule.vecTableOn[t] = 1;
    }
    void ExpectGolden(const char* name) {
        const plat::SoftSurface& back = BackBuffer.lpDS->lpDDSurface->Pixels();
        std::vector<std::uint32_t> pixels(640 * 480);
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < 640; ++x) pixels[y * 640 + x] = back.Pixel(x, y) | 0xFF000000u;
        const std::string golden = std::string(K4_GOLDEN_DIR) + "/" + name;
        if (std::getenv("K4_UPDATE_GOLDEN") != nullptr) {
            ASSERT_TRUE(plat::WritePng(golden, pixels.data(), 640, 480, 640, nullptr));
            std::printf("golden written: %s\n", golden.c_str());
            return;
        }
        const std::string bytes = ReadFile(golden.c_str());
        plat::DecodedImage expected;
        ASSERT_TRUE(plat::DecodeImage(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                      bytes.size(), expected, nullptr))
            << golden << " is missing; K4_UPDATE_GOLDEN=1 writes it";
        ASSERT_EQ(expected.width, 640);
        int differing = 0;
        for (std::size_t i = 0; i < pixels.size(); ++i)
            differing += (expected.argb[i] | 0xFF000000u) != pixels[i];
        if (differing != 0) {
            const std::string actual =
                (std::filesystem::temp_directory_path() / (std::string("actual_") + name)).string();
            plat::WritePng(actual, pixels.data(), 640, 480, 640, nullptr);
            ADD_FAILURE() << differing << " pixels differ from " << golden << "; actual in "
                          << actual;
        }
    }
};

TEST_F(RankingDrawTest, TablesAndResultBox) {
    RankSet set;
    set.m_vecTable[0].Add("abc", 900);
    set.m_vecTable[0].Add("xy", 55);
    set.m_vecTable[0].Add("z", 7);
    set.m_vecTable[2].Add("abc", 12345);
    set.m_vecTable[2].Add("def", 600000);
    DDFillRect(&BackBuffer, 0, 0, 640, 480, 16);
    Font16.bIcons = 1;
    // Two tables on: the hint; Japanese title; place 1 highlighted.
    EnableTables({0, 2});
    set.DrawTable(&BackBuffer, 8, 8, 0, 1);
    // One table on: no hint; English title; no highlight.
    EnableTables({2});
    SystemIni.English = 1;
    set.DrawTable(&BackBuffer, 330, 8, 2, -1);
    SystemIni.English = 0;
    // A table the set does not hold draws nothing.
    set.DrawTable(&BackBuffer, 330, 8, 7, 0);

    // The result box of a direct play: every line the stage shows, cursors for the score
    // and the clear time.
    bTestPlay = 1;
    EdStageWork.vecResultLine.Clear();
    EdStageWork.vecResultLine.resize(kRankTables, 1);
    EdStageWork.vecResultLine[4] = 0;
    Progress.m_nScore = 1234;
    Progress.m_nRestTime = 56;
    Progress.m_nClearTime = 12345;
    Progress.m_nRestHP = 7;
    CheckedVector<std::int32_t> places(kRankTables, -1);
    places[0] = 2;
    places[2] = 0;
    DrawStageResult(&BackBuffer, 16, 376, places);
    // The letters were written with the font's icon setting off for a moment only.
    EXPECT_EQ(Font16.bIcons, 1);
    ExpectGolden("ranking_tables_DD32Window.png");
}

}  // namespace

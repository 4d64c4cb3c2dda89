// The project generator: the same bytes every run, a refusal to write into a folder that
// holds anything, and a project whose every record reads back whole and whose stages load
// for play.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/paths.h"
#include "data/common_palette.h"
#include "data/database.h"
#include "data/record_io.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "data/world_map.h"
#include "gen/project.h"
#include "platform/clock.h"
#include "platform/host_path.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/seams.h"
#include "stage/stage_load.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

// Every file under root by its relative path.
std::map<std::string, Bytes> Tree(const fs::path& root) {
    std::map<std::string, Bytes> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).string()] = ReadBytes(entry.path());
    return files;
}

plat::LRESULT Ignore(plat::HWND, std::uint32_t, plat::WPARAM, plat::LPARAM) {
    return 0;
}

class ProjectGenerator : public ::testing::Test {
protected:
    void SetUp() override {
        previousSeams_ = plat::GetSeams();
        plat::Seams seams;
        seams.headless = true;
        plat::SetSeams(seams);
        plat::UseRealClock();
        plat::ClearShownBoxes();
        hWndMain = plat::CreateWindow(Ignore);
        plat::SetMainWindow(hWndMain);
    }
    void TearDown() override {
        plat::DestroyWindow(hWndMain);
        plat::SetMainWindow(nullptr);
        hWndMain = nullptr;
        plat::ClearShownBoxes();
        plat::SetSeams(previousSeams_);
        // Other suites read these globals: leave them as at start-up.
        EdStage = cEdStage();
        EdStageWork = cEdStage();
        EdWorldMap = cEdWorldMap();
    }
    // Makes the project in the temporary folder and makes it the current folder's content.
    void MakeHere(bool data) {
        gen::ProjectOptions options;
        options.data = data;
        std::string error;
        ASSERT_TRUE(gen::MakeProject(dir_.path, options, &error)) << error;
        plat::ClearPathCache();
    }

    TempDir dir_;
    plat::Seams previousSeams_;
};

TEST_F(ProjectGenerator, WritesTheSameBytesEveryRunAndNothingIntoAFolderThatHoldsAnything) {
    std::string error;
    gen::ProjectOptions options;
    options.data = true;
    ASSERT_TRUE(gen::MakeProject("a", options, &error)) << error;
    ASSERT_TRUE(gen::MakeProject("b", options, &error)) << error;
    const auto first = Tree("a");
    EXPECT_EQ(first, Tree("b"));
    EXPECT_GT(first.size(), 60u);

    EXPECT_FALSE(gen::MakeProject("a", options, &error));
    EXPECT_NE(error.find("not empty"), std::string::npos) << error;
    EXPECT_EQ(Tree("a"), first);

    // A folder that holds one unrelated file is refused the same way and keeps the file.
    fs::create_directories("c");
    std::ofstream("c/keep.txt") << "mine";
    EXPECT_FALSE(gen::MakeProject("c", options, &error));
    EXPECT_EQ(Tree("c").size(), 1u);
}

TEST_F(ProjectGenerator, DataIsTheDefaultFolderAndOnlyWrittenWhenAsked) {
    ASSERT_TRUE(gen::MakeProject("with", {true}, nullptr));
    ASSERT_TRUE(gen::MakeProject("without", {false}, nullptr));
    EXPECT_EQ(Tree("with/data"), Tree("with/default"));
    EXPECT_FALSE(fs::exists("without/data"));
    EXPECT_EQ(Tree("without/default"), Tree("with/default"));
}

TEST_F(ProjectGenerator, EveryProjectRecordReadsBackWhole) {
    MakeHere(true);

    cEdSystem system;
    bool stopped = true;
    ASSERT_EQ(system.LoadFromFile(DataPathTable[kPathSystem], &stopped), 1);
    EXPECT_FALSE(stopped);

    // Each table file holds exactly its list.
    cEdDatabase database;
    auto expectWhole = [](auto& table, int index) {
        RecordReader reader = RecordReader::FromFile(DatabaseTablePath(index));
        ASSERT_TRUE(reader.Ok()) << DatabaseTablePath(index);
        ReadDatabaseTable(table, reader);
        EXPECT_FALSE(reader.StoppedEarly()) << DatabaseTablePath(index);
        EXPECT_EQ(reader.Remaining(), 0u) << DatabaseTablePath(index);
        EXPECT_GE(table.Size(), 1u);
    };
    expectWhole(database.vecAnimeSet, 0);
    expectWhole(database.vecAnime, 1);
    expectWhole(database.vecBmpCharaExc, 2);
    expectWhole(database.vecSwordType, 3);
    expectWhole(database.vecEffect, 4);
    expectWhole(database.vecCharaEffect, 5);
    expectWhole(database.vecScrEffect, 6);
    expectWhole(database.vecPicture, 7);
    expectWhole(database.vecSound, 8);
    expectWhole(database.vecBgm, 9);

    cEdCommonPalette palette;
    ASSERT_EQ(palette.LoadFromFile(DataPathTable[kPathCommonPalette], &stopped), 1);
    EXPECT_FALSE(stopped);
    EXPECT_EQ(palette.SaveToBytes(), ReadBytes("data/CommonPalette.cplt4"));

    // Every stage entry of the world map names a stage that exists in a numbered version,
    // and every node stands on the road.
    ASSERT_EQ(LoadWorldMap(), 1);
    ASSERT_GE(EdWorldMap.vecNodes.Size(), 2u);
    int stages = 0;
    for (cEdMapNode& node : EdWorldMap.vecNodes) {
        for (cEdMapStage& entry : node.vecStages) {
            if (entry.nKind != 0) continue;
            ++stages;
            std::string found;
            EXPECT_EQ(
                FindLatestNumberedFile(found, entry.strStageFile, ExtensionTable[kExtStage]), 1)
                << entry.strStageFile;
        }
        EXPECT_EQ(EdWorldMap.Cell(node.nX, node.nY), 5) << "a node off the road";
    }
    EXPECT_GE(stages, 3);
}

TEST_F(ProjectGenerator, StagesSaveBackByteForByteAndTheNewestVersionIsPlayed) {
    MakeHere(true);
    // The stages refer to the project's database (its sounds, effects and music), which the
    // player reads before them: a number the table lacks would not survive the save.
    ASSERT_EQ(EdDatabase.LoadAll(), 1);
    int stages = 0;
    for (const auto& entry : fs::directory_iterator("data/stg4")) {
        SCOPED_TRACE(entry.path().string());
        ++stages;
        const Bytes bytes = ReadBytes(entry.path());
        cEdStage stage;
        RecordReader reader = RecordReader::FromBytes(bytes);
        stage.Load(reader);
        ASSERT_FALSE(reader.StoppedEarly()) << reader.Problem();
        EXPECT_EQ(stage.dwEndMark, STAGE_END_MARK);
        EXPECT_TRUE(stage.HasHero());
        EXPECT_GE(stage.vecBackground.Size(), 2u);  // the benchmark has eight
        for (cEdBackground& background : stage.vecBackground) {
            std::string image = background.strImage;
            EXPECT_TRUE(plat::FileExists(image)) << image;
        }
        EXPECT_EQ(stage.SaveToBytes(), bytes);
    }
    EXPECT_GE(stages, 4);

    ASSERT_EQ(LoadStageForPlay("data\\stg4\\forest-1.stg4", 1, &EdStage), 1);
    EXPECT_EQ(EdStageWork.strPath, "data\\stg4\\forest-1.stg4_001");
    EXPECT_TRUE(plat::ShownBoxes().empty());
    EXPECT_EQ(EdStage.bTimeLimit, 1);
    EXPECT_EQ(EdStageWork.FindHero(), 0);
    EXPECT_GE(EdStageWork.vecChara.Size(), 3u);
    EXPECT_GE(EdStageWork.vecItem.Size(), 2u);
    EXPECT_EQ(EdStage.vecBlock.Size(), 0u);
}

// What a stage of the sample game holds: walls at both ends, a floor with at least one pit,
// a hero and characters of the computer, items, two background pictures.
TEST_F(ProjectGenerator, StagesHoldWhatAPlayNeeds) {
    MakeHere(false);
    struct Row {
        const char* file;
        bool timeLimit;
        bool pit;
    };
    const Row rows[] = {
        {"default/stg4/forest-1.stg4_001", true, true},
        {"default/stg4/forest-2.stg4_000", true, true},
        {"default/stg4/cave.stg4_000", false, false},
        {"default/stg4/c01-1.stg4_000", true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file);
        cEdStage stage;
        RecordReader reader = RecordReader::FromHostFile(row.file);
        ASSERT_TRUE(reader.Ok());
        stage.Load(reader);
        ASSERT_FALSE(reader.StoppedEarly());
        EXPECT_EQ(stage.bTimeLimit, row.timeLimit ? 1 : 0);

        // Solid cells by position; placed blocks name their palette entry.
        std::map<std::pair<int, int>, int> solid;
        for (cEdBlock& block : stage.vecBlock)
            if (block.nHitType != 0) solid[{block.nPlaceX, block.nPlaceY}] = block.nInheritIndex;
        for (int y = 0; y < 13; ++y) {
            EXPECT_TRUE(solid.count({0, y})) << "left wall at row " << y;
            EXPECT_TRUE(solid.count({stage.nWidth - 1, y})) << "right wall at row " << y;
        }
        int pits = 0;
        for (int x = 0; x < stage.nWidth; ++x) pits += solid.count({x, 13}) ? 0 : 1;
        EXPECT_EQ(pits > 0, row.pit);

        int computer = 0;
        for (cEdChara& chara : stage.vecChara) computer += chara.nControl == 1 ? 1 : 0;
        EXPECT_GE(computer, 2);
        EXPECT_TRUE(stage.HasHero());
        EXPECT_GE(stage.vecItem.Size(), 2u);
        ASSERT_EQ(stage.vecBackground.Size(), 2u);
        EXPECT_NE(stage.vecBackground[0].strImage, stage.vecBackground[1].strImage);
    }
}

TEST_F(ProjectGenerator, TheCommandWritesTheProjectAndRefusesBadUse) {
    auto run = [](const std::string& arguments) {
        const int status =
            std::system((std::string(K4_MKPROJECT) + " " + arguments + " >/dev/null 2>&1").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    EXPECT_EQ(run("game --data"), 0);
    EXPECT_TRUE(fs::exists("game/data/System.dat"));
    EXPECT_TRUE(fs::exists("game/bmp/hbt/hbt23.dat"));
    EXPECT_EQ(run("game"), 1) << "a folder that holds the project";
    EXPECT_EQ(run(""), 2);
    EXPECT_EQ(run("one two"), 2);
    EXPECT_EQ(run("--bogus x"), 2);
}

}  // namespace

// The story slots and the challenge file: names, saving with the local time, loading with
// the lives fix, refused damaged files, failed writes that keep the old file, the scan of
// the summaries, and the slot list's picture.
#include "scene/save_slots.h"

#include <gtest/gtest.h>
#include <time.h>

#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "base/paths.h"
#include "base/zero_padded.h"
#include "gen/project.h"
#include "gfx/fill.h"
#include "gfx/font_tables.h"
#include "gfx/palette_file.h"
#include "platform/ddraw.h"
#include "platform/image_decoder.h"
#include "platform/png_writer.h"
#include "scene_fixture.h"

namespace {

class SaveSlotsTest : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        CreateDataFolders();
    }
    void TearDown() override { TearDownWorld(); }

    static std::string SlotHost(int slot) {
        std::string name;
        MakeSlotFileName(name, slot);
        return plat::MapPath(name);
    }
    static void Truncate(const std::string& host, std::size_t keep) {
        std::filesystem::resize_file(host, keep);
    }
    // Fails the file writes from now on.
    void FailWrites() {
        plat::Seams seams = plat::GetSeams();
        headless = seams;
        seams.failSteps = {"file_write"};
        plat::SetSeams(seams);
    }

    plat::Seams headless;
};

TEST(FormatZeroPadded, WidthZerosAndSigns) {
    struct Case {
        std::int32_t value;
        int width, keepZeros, plus;
        const char* text;
    };
    const Case cases[] = {
        {7, 3, 0, 0, "  7"},
        {-5, 2, 1, 0, "-05"},
        {123, 2, 1, 0, "123"},
        {0, 2, 1, 0, "00"},
        {0, 3, 0, 0, "  0"},
        {0, 0, 0, 0, "0"},
        {45, 5, 1, 1, "+00045"},
        {-45, 4, 0, 1, "-  45"},
        {1, 2, 1, 0, "01"},
        {99, 2, 1, 0, "99"},
        {INT_MIN, 0, 1, 0, "-2147483648"},
        {INT_MIN, 3, 1, 0, "-2147483648"},
        {INT_MAX, 12, 0, 0, "  2147483647"},
    };
    for (const Case& c : cases) {
        std::string out = "old";
        FormatZeroPadded(out, c.value, c.width, c.keepZeros, c.plus);
        EXPECT_EQ(out, c.text) << c.value << " " << c.width;
    }
}

TEST_F(SaveSlotsTest, SlotNamesCountFromOne) {
    std::string name;
    MakeSlotFileName(name, 0);
    EXPECT_EQ(name, "user_data\\story\\Story01.dat");
    MakeSlotFileName(name, 98);
    EXPECT_EQ(name, "user_data\\story\\Story99.dat");
}

TEST_F(SaveSlotsTest, SaveStampsTheLocalTimeAndKeepsTheSummaryCurrent) {
    plat::StepVirtualClock(3 * 3600 * 1000 + 61 * 1000);  // 3 h 1 min 1 s after the start
    Progress.m_nScore = 777;
    ASSERT_TRUE(Progress.SaveSlot(0));
    const std::string bytes = ReadFile(SlotHost(0).c_str());
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("\xEB\x02\x00\x00", 4));
    plat::SYSTEMTIME expected;
    plat::GetLocalTime(&expected);
    EXPECT_EQ(SlotSummaries[0].m_bUsed, 1);
    EXPECT_EQ(SlotSummaries[0].m_Time.wYear, expected.wYear);
    EXPECT_EQ(SlotSummaries[0].m_Time.wHour, expected.wHour);
    EXPECT_EQ(SlotSummaries[0].m_Time.wMinute, expected.wMinute);
    EXPECT_EQ(SlotSummaries[1].m_bUsed, 0);

    GameProgress other;
    ASSERT_EQ(other.LoadSlot(0), 1);
    EXPECT_EQ(other.m_nScore, 777);
    EXPECT_EQ(other.m_SaveTime.wMinute, expected.wMinute);
}

// A write that fails keeps the old file byte for byte and the summary of the last save.
TEST_F(SaveSlotsTest, FailedWriteKeepsTheOldFileAndSummary) {
    Progress.m_nScore = 1;
    ASSERT_TRUE(Progress.SaveSlot(4));
    const std::string before = ReadFile(SlotHost(4).c_str());
    const SaveTime stamp = SlotSummaries[4].m_Time;
    plat::StepVirtualClock(120000);
    Progress.m_nScore = 2;
    FailWrites();
    EXPECT_FALSE(Progress.SaveSlot(4));
    EXPECT_EQ(ReadFile(SlotHost(4).c_str()), before);
    EXPECT_EQ(SlotSummaries[4].m_Time.wMinute, stamp.wMinute);
    EXPECT_EQ(Progress.m_SaveTime.wMinute, stamp.wMinute);
    EXPECT_FALSE(Progress.SaveChallenge());
    EXPECT_FALSE(std::filesystem::exists(plat::MapPath(DataPathTable[kPathChallenge])));
    plat::SetSeams(headless);

    // A folder that is gone cannot take the file either.
    std::filesystem::remove_all(plat::MapPath("user_data\\story"));
    EXPECT_FALSE(Progress.SaveSlot(5));
    EXPECT_EQ(SlotSummaries[5].m_bUsed, 0);
    const std::string report = ReadFile("Report.txt");
    EXPECT_NE(report.find("Story05.dat : could not be written"), std::string::npos) << report;
    EXPECT_NE(report.find("Story06.dat : could not be written"), std::string::npos) << report;
}

TEST_F(SaveSlotsTest, SlotOutsideTheListIsIgnored) {
    for (int slot : {-1, 99, INT_MIN}) {
        EXPECT_FALSE(Progress.SaveSlot(slot));
        EXPECT_EQ(Progress.LoadSlot(slot), 0);
    }
    EXPECT_EQ(PendingCloses(), 0);
    EXPECT_NE(ReadFile("Report.txt").find("slot 99 does not exist"), std::string::npos);
}

// Lives by the play mode: unlimited lives make both counts unlimited whatever the file held;
// otherwise a file's unlimited count becomes the mode's starting lives.
TEST_F(SaveSlotsTest, LivesFollowThePlayModeBothWays) {
    struct Case {
        int limited;
        std::int32_t lives, continueLives;
        std::int32_t wantLives, wantContinue;
    };
    const Case cases[] = {
        {0, 3, 5, kUnlimitedLives, kUnlimitedLives},
        {1, kUnlimitedLives, 5, 6, 5},
        {1, 3, kUnlimitedLives, 3, kUnlimitedLives},
    };
    for (int mode : {PLAYMODE_STORY, PLAYMODE_CHALLENGE}) {
        for (const Case& c : cases) {
            GameProgress file;
            file.m_nLives = c.lives;
            file.m_nContinueLives = c.continueLives;
            if (mode == PLAYMODE_STORY)
                ASSERT_TRUE(file.SaveSlot(7));
            else
                ASSERT_TRUE(file.SaveChallenge());
            EdSystem.vecLivesLimited[mode] = c.limited;
            EdSystem.vecStartLives[mode] = 6;
            // The other mode's settings play no part.
            EdSystem.vecLivesLimited[1 - mode] = 1 - c.limited;
            EdSystem.vecStartLives[1 - mode] = 2;
            GameProgress p;
            ASSERT_EQ(mode == PLAYMODE_STORY ? p.LoadSlot(7) : p.LoadChallenge(), 1);
            EXPECT_EQ(p.m_nLives, c.wantLives) << mode << " " << c.limited << " " << c.lives;
            EXPECT_EQ(p.m_nContinueLives, c.wantContinue) << mode << " " << c.limited;
        }
    }
}

// Missing and damaged files load nothing: the progress stays as it was.
TEST_F(SaveSlotsTest, MissingOrDamagedFilesLeaveTheProgressUntouched) {
    GameProgress file;
    file.m_nScore = 55;
    ASSERT_TRUE(file.SaveSlot(2));
    ASSERT_TRUE(file.SaveChallenge());
    const std::size_t size = std::filesystem::file_size(SlotHost(2));
    Truncate(SlotHost(2), size - 3);
    Truncate(plat::MapPath(DataPathTable[kPathChallenge]), size / 2);

    Progress.m_nScore = 9;
    Progress.m_vecSwitch[4] = 1;
    const std::vector<std::uint8_t> before = Progress.SaveToBytes();
    EXPECT_EQ(Progress.LoadSlot(3), 0);  // missing
    EXPECT_EQ(Progress.LoadSlot(2), 0);  // damaged
    EXPECT_EQ(Progress.LoadChallenge(), 0);
    EXPECT_EQ(Progress.SaveToBytes(), before);
    EXPECT_EQ(Progress.m_nScore, 9);
    const std::string report = ReadFile("Report.txt");
    EXPECT_NE(report.find("Story03.dat : damaged, not loaded"), std::string::npos) << report;
    EXPECT_NE(report.find("Challenge.dat : damaged, not loaded"), std::string::npos) << report;
    EXPECT_EQ(report.find("Story04.dat"), std::string::npos) << "a missing slot is not reported";

    std::filesystem::remove(plat::MapPath(DataPathTable[kPathChallenge]));
    EXPECT_EQ(Progress.LoadChallenge(), 0);
    EXPECT_EQ(PendingCloses(), 0);
}

TEST_F(SaveSlotsTest, ScanMarksUsedSlotsWithTheirTimes) {
    GameProgress p;
    ASSERT_TRUE(p.SaveSlot(0));
    plat::StepVirtualClock(86400000u + 60000u);  // a day and a minute later
    ASSERT_TRUE(p.SaveSlot(98));
    ASSERT_TRUE(p.SaveSlot(5));
    Truncate(SlotHost(5), 100);  // damaged: shown as empty
    {
        std::ofstream junk(SlotHost(6), std::ios::binary);
        junk << "xy";  // too short for a version
    }
    CheckedVector<SlotSummary> summaries(kSaveSlotCount);
    summaries[1].m_bUsed = 1;  // a slot whose file went away
    ScanSaveSlots(summaries);
    for (int i = 0; i < kSaveSlotCount; ++i)
        EXPECT_EQ(summaries[i].m_bUsed, i == 0 || i == 98 ? 1 : 0) << i;
    EXPECT_EQ(summaries[0].m_Time.wDay, 17);
    EXPECT_EQ(summaries[98].m_Time.wDay, 18);
    EXPECT_EQ(summaries[98].m_Time.wMinute, 7);  // 09:06:05 at the virtual start
    EXPECT_EQ(PendingCloses(), 0);
}

// The title's continue list and the map menu rescan every time they open: one menu frame
// for 99 full slots.
TEST_F(SaveSlotsTest, ScanOfNinetyNineFullSlots) {
    GameProgress p;
    for (int i = 0; i < 5; ++i)
        p.RecordStageScore("data\\stg4\\stage" + std::to_string(i) + ".", i);
    for (int i = 0; i < kSaveSlotCount; ++i) ASSERT_TRUE(p.SaveSlot(i));
    CheckedVector<SlotSummary> summaries(kSaveSlotCount);
    timespec start{}, end{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    ScanSaveSlots(summaries);
    clock_gettime(CLOCK_MONOTONIC, &end);
    const long long us =
        (end.tv_sec - start.tv_sec) * 1000000LL + (end.tv_nsec - start.tv_nsec) / 1000;
    std::printf("ScanSaveSlots over 99 full slots: %lld us\n", us);
    for (int i = 0; i < kSaveSlotCount; ++i) EXPECT_EQ(summaries[i].m_bUsed, 1) << i;
}

// Ten rows from index 95: slots 96 to 99 with the dates of the used ones, the box ten rows
// high, and separators down to the row where the list ends.
TEST_F(SaveSlotsTest, SlotListFrame) {
    std::string error;
    gen::ProjectOptions options;
    options.data = true;
    ASSERT_TRUE(gen::MakeProject("project", options, &error)) << error;
    std::filesystem::current_path("project");
    plat::ClearPathCache();
    ASSERT_TRUE(OpenDisplay(kSceneDisplays[2]));  // DirectDraw 32 in a window
    // The project's palette gives the frame, separator and text colours.
    ASSERT_TRUE(DDLoadPaletteFromFile(Palette, SurfaceDef[0].szFileName, 1));
    for (int i = 0; i < 256; ++i) PaletteOrg[i] = Palette[i];
    ASSERT_TRUE(DDSetTransmit(SurfaceDef[0].szFileName));
    const int sheets[] = {45, 50};
    ASSERT_TRUE(DDLoadSurfaceSet(StdSD, sheets, 2));
    ASSERT_TRUE(InitFonts(Fonts, FontDef, kFontCount));

    CheckedVector<SlotSummary> summaries(kSaveSlotCount);
    summaries[96].m_bUsed = 1;
    summaries[96].m_Time = plat::VirtualLocalTime(0);
    DDFillRect(&BackBuffer, 0, 0, 640, 480, 16);
    DrawSlotList(&BackBuffer, 160, 80, summaries, 95, 10);

    const plat::SoftSurface& back = BackBuffer.lpDS->lpDDSurface->Pixels();
    std::vector<std::uint32_t> pixels(640 * 480);
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) pixels[y * 640 + x] = back.Pixel(x, y) | 0xFF000000u;
    Fonts[0].Release();
    Fonts[1].Release();
    Fonts[2].Release();

    const std::string golden = std::string(K4_GOLDEN_DIR) + "/slot_list_DD32Window.png";
    if (std::getenv("K4_UPDATE_GOLDEN") != nullptr) {
        ASSERT_TRUE(plat::WritePng(golden, pixels.data(), 640, 480, 640, nullptr));
        std::printf("golden written: %s\n", golden.c_str());
        return;
    }
    const std::string bytes = ReadFile(golden.c_str());
    plat::DecodedImage expected;
    ASSERT_TRUE(plat::DecodeImage(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(),
                                  expected, nullptr))
        << golden << " is missing; K4_UPDATE_GOLDEN=1 writes it";
    ASSERT_EQ(expected.width, 640);
    int differing = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i)
        differing += (expected.argb[i] | 0xFF000000u) != pixels[i];
    if (differing != 0) {
        const std::string actual =
            (std::filesystem::temp_directory_path() / "actual_slot_list.png").string();
        plat::WritePng(actual, pixels.data(), 640, 480, 640, nullptr);
        ADD_FAILURE() << differing << " pixels differ from " << golden << "; actual in " << actual;
    }
}

}  // namespace

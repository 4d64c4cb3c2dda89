// Path functions over program paths (CP932, "\" separators): extensions, directories,
// numbered files on disk, relative and absolute forms against the current folder, and the
// creation of "data" from "default" with its question, its refusal and a failed copy.
#include "base/paths.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "base/log.h"
#include "platform/cp932.h"
#include "platform/host_path.h"
#include "platform/message_box.h"
#include "platform/script_state.h"
#include "platform/seams.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// Host names are UTF-8 while program paths are CP932.
std::string Utf8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

void WriteHostFile(const std::string& hostPath, const std::string& content) {
    fs::create_directories(fs::path(hostPath).parent_path().empty()
                               ? fs::path(".")
                               : fs::path(hostPath).parent_path());
    std::ofstream(hostPath, std::ios::binary) << content;
}

std::string ReadHostFile(const std::string& hostPath) {
    std::ifstream in(hostPath, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// The program-path form of the current folder: "\tmp\k4-test-..." in CP932.
std::string ProgramCurrentFolder() {
    std::string folder = plat::Utf8ToCp932(plat::CurrentDirectory());
    for (char& c : folder) {
        if (c == '/') c = '\\';
    }
    return folder;
}

// ---- Extensions ----

TEST(PathText, ReplaceExtensionFindsTheLastDotAnywhere) {
    struct Case {
        const char* source;
        const char* extension;
        int result;
        const char* expected;
    } cases[] = {
        {"data\\stg4\\a.stg4_003", "stg4", 1, "data\\stg4\\a.stg4"},
        // The folder's dot is the last one: the folder name changes and the file name goes.
        {"data.old\\stage", "stg4", 1, "data.stg4"},
        {"a.b.c", nullptr, 1, "a.b"},
        {"name.", "rpl4", 1, "name.rpl4"},
        {".hidden", nullptr, 1, ""},
        // No dot: the destination is the unchanged copy.
        {"data\\readme", "stg4", 0, "data\\readme"},
        {"", "stg4", 0, ""},
    };
    for (const Case& c : cases) {
        std::string dest = "previous";
        EXPECT_EQ(ReplaceExtension(dest, c.source, c.extension), c.result) << c.source;
        EXPECT_EQ(dest, c.expected) << c.source;
    }
}

TEST(PathText, ResultsLongerThanAPathAreRefusedNotCut) {
    const std::string longName = std::string(kMaxPathLength - 4, 'a') + ".x";  // 257 bytes
    std::string dest = "keep";
    EXPECT_EQ(ReplaceExtension(dest, longName, "stg4"), 0);
    EXPECT_EQ(dest, "keep");
    EXPECT_EQ(ReplaceExtension(dest, longName, "stg"), 1);
    EXPECT_EQ(dest.size(), kMaxPathLength);

    EXPECT_EQ(InsertNumberSuffix(dest = "keep", longName, 1, 2), 0);
    EXPECT_EQ(dest, "keep");
    // The numbered names of a base that is already at the limit cannot exist.
    EXPECT_EQ(FindLatestNumberedFile(dest, std::string(kMaxPathLength - 3, 'a') + ".stg4", "stg4"),
              0);
    EXPECT_EQ(dest, "keep");
}

TEST(PathText, StripGetAndInsertAtTheLastDot) {
    std::string path = "x.stg4_001";
    EXPECT_EQ(StripExtension(path), 1);
    EXPECT_EQ(path, "x");
    path = "data.old\\readme";
    EXPECT_EQ(StripExtension(path), 1);
    EXPECT_EQ(path, "data");
    path = "readme";
    EXPECT_EQ(StripExtension(path), 0);
    EXPECT_EQ(path, "readme");

    std::string ext = "none";
    EXPECT_EQ(GetExtension(ext, "a.rpl4_747"), 1);
    EXPECT_EQ(ext, "rpl4_747");
    EXPECT_EQ(GetExtension(ext, "a."), 1);
    EXPECT_EQ(ext, "");
    ext = "none";
    EXPECT_EQ(GetExtension(ext, "readme"), 0);
    EXPECT_EQ(ext, "none");

    std::string out = "none";
    EXPECT_EQ(InsertNumberSuffix(out, "a.rpl4_747", 1, 2), 1);
    EXPECT_EQ(out, "a_12.rpl4_747");
    EXPECT_EQ(InsertNumberSuffix(out, "dir.x\\b.stg4", 0, 9), 1);
    EXPECT_EQ(out, "dir.x\\b_09.stg4");
    EXPECT_EQ(InsertNumberSuffix(out = "none", "readme", 1, 2), 0);
    EXPECT_EQ(out, "none");
    // At most 31 characters of extension.
    EXPECT_EQ(InsertNumberSuffix(out, "a." + std::string(31, 'e'), 3, 4), 1);
    EXPECT_EQ(out, "a_34." + std::string(31, 'e'));
    EXPECT_EQ(InsertNumberSuffix(out = "none", "a." + std::string(32, 'e'), 3, 4), 0);
    EXPECT_EQ(out, "none");
}

TEST(PathText, StripDirectoryStepsOverDoubleByteCharacters) {
    struct Case {
        std::string path;
        std::string expected;
    } cases[] = {
        {"data\\stg4\\a.stg4", "a.stg4"},
        {"a.stg4", "a.stg4"},
        {"data\\", ""},
        {"data/stg4/a.stg4", "a.stg4"},  // paths given on this system's command line
        // 表 (0x95 0x5C) and ソ (0x83 0x5C): the 0x5C is their second byte, no separator.
        {"data\\\x95\x5C.stg4", "\x95\x5C.stg4"},
        {"data\\\x83\x5C", "\x83\x5C"},
        {"\x83\x5C\x95\x5C", "\x83\x5C\x95\x5C"},
        // A double-byte character whose second byte is in the lead range (0x81 0x81): the
        // "\" after it is a separator.
        {"\x81\x81\\x", "x"},
        // 0x81 0x5C is a character (a dash): no separator in it.
        {"a\x81\\", "a\x81\\"},
        // A lone lead byte at the end of the text forms no character.
        {"dir\\a\x81", "a\x81"},
    };
    for (const Case& c : cases) {
        std::string path = c.path;
        StripDirectory(path);
        EXPECT_EQ(path, c.expected) << c.path;
    }
}

// ---- Numbered files ----

class PathFiles : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(PathFiles, FindLatestNumberedFileTakesTheHighestNumberNotTheNewestFile) {
    struct Case {
        std::vector<const char*> present;  // under data/stg4
        const char* expected;              // "" when none is found
    } cases[] = {
        {{"a.stg4_000", "a.stg4_999"}, "data\\stg4\\a.stg4_999"},
        {{"a.stg4_000"}, "data\\stg4\\a.stg4_000"},
        {{"a.stg4_010", "a.stg4_003"}, "data\\stg4\\a.stg4_010"},
        {{"a.stg4_100", "a.stg4_099", "a.stg4_1000", "a.stg4_9"}, "data\\stg4\\a.stg4_100"},
        // Other names and the bare name do not count.
        {{"a.stg4", "b.stg4_500", "a.stg5_600"}, ""},
        {{}, ""},
    };
    for (const Case& c : cases) {
        fs::remove_all("data");
        fs::create_directories("data/stg4");
        for (const char* name : c.present) WriteHostFile(std::string("data/stg4/") + name, "x");
        plat::ClearPathCache();
        std::string dest = "unchanged";
        // The base's own numbered extension is replaced first.
        const int found = FindLatestNumberedFile(dest, "data\\stg4\\a.stg4_003", "stg4");
        EXPECT_EQ(found, *c.expected ? 1 : 0) << c.expected;
        EXPECT_EQ(dest, *c.expected ? c.expected : "unchanged");
    }
}

TEST_F(PathFiles, FindLatestNumberedFileMapsShiftJisNamesAndCaseAndWorksInPlace) {
    // "森.stg4" on disk in UTF-8 and another case; the program asks in CP932.
    WriteHostFile(Utf8(u8"Data/STG4/森.STG4_042"), "x");
    WriteHostFile(Utf8(u8"Data/STG4/森.STG4_007"), "x");
    std::string path = "data\\stg4\\\x90\x58.stg4";
    EXPECT_EQ(FindLatestNumberedFile(path, "stg4"), 1);
    EXPECT_EQ(path, "data\\stg4\\\x90\x58.stg4_042");
    EXPECT_TRUE(plat::FileExists(path));

    // A name without a dot is searched as it is.
    WriteHostFile("plain_005", "x");
    std::string plain = "plain";
    EXPECT_EQ(FindLatestNumberedFile(plain, "stg4"), 1);
    EXPECT_EQ(plain, "plain_005");
}

// ---- Relative and absolute forms ----

TEST_F(PathFiles, MakeRelativePathGivesTheDotForm) {
    const std::string here = ProgramCurrentFolder();
    const std::string parentName = fs::current_path().parent_path().string();
    const std::string self = fs::current_path().filename().string();
    struct Case {
        std::string path;
        int result;
        std::string expected;
    } cases[] = {
        {here + "\\data\\stg4\\a.stg4", 1, ".\\data\\stg4\\a.stg4"},
        {here + "/data/a.stg4", 1, ".\\data\\a.stg4"},
        {here + "\\data\\work\\..\\.\\a.stg4", 1, ".\\data\\a.stg4"},
        {here + "\\data\\", 1, ".\\data\\"},
        // Windows compares names without regard to case.
        {"\\TMP" + here.substr(4) + "\\x", 1, ".\\x"},
        {"\\tmp\\k4-elsewhere\\x.stg4", 1, "..\\k4-elsewhere\\x.stg4"},
        // The current folder itself, as a file, is reached from its parent.
        {here, 1, "..\\" + self},
        // Relative paths are left alone.
        {"data\\a.stg4", 1, "data\\a.stg4"},
        {".\\a", 1, ".\\a"},
        {"", 1, ""},
    };
    ASSERT_EQ(parentName, "/tmp");  // TempDir's folders lie in /tmp
    for (const Case& c : cases) {
        std::string path = c.path;
        EXPECT_EQ(MakeRelativePath(path), c.result) << c.path;
        EXPECT_EQ(path, c.expected) << c.path;
    }
}

TEST_F(PathFiles, RelativeFormOfAShiftJisFolderAndTheLengthLimit) {
    fs::create_directory(Utf8(u8"表"));
    fs::current_path(Utf8(u8"表"));
    plat::ClearPathCache();
    const std::string here = ProgramCurrentFolder();
    ASSERT_EQ(here.substr(here.size() - 3), "\\\x95\x5C");
    std::string path = here + "\\\x95\x5C\\a.stg4";
    EXPECT_EQ(MakeRelativePath(path), 1);
    EXPECT_EQ(path, ".\\\x95\x5C\\a.stg4");

    // Out of a deep folder every level is one "..": a result over the limit is refused.
    std::string fits = "\\" + std::string(250, 'z');
    EXPECT_EQ(MakeRelativePath(fits), 1);
    EXPECT_EQ(fits, "..\\..\\..\\" + std::string(250, 'z'));  // 259 bytes
    std::string far = "\\" + std::string(251, 'z');
    const std::string before = far;
    EXPECT_EQ(MakeRelativePath(far), 0);
    EXPECT_EQ(far, before);
}

TEST_F(PathFiles, MakeAbsolutePathAndBackAgain) {
    const std::string here = ProgramCurrentFolder();
    std::string path = "Report_Game.txt";
    EXPECT_EQ(MakeAbsolutePath(path), 1);
    EXPECT_EQ(path, here + "\\Report_Game.txt");
    EXPECT_EQ(MakeRelativePath(path), 1);
    EXPECT_EQ(path, ".\\Report_Game.txt");

    std::string up = "data\\..\\..\\x\\";
    EXPECT_EQ(MakeAbsolutePath(up), 1);
    EXPECT_EQ(up, "\\tmp\\x\\");

    // Separators and drives (the editor's Windows paths) mark absolute paths; they stay. No
    // relative form leads from the current folder onto a drive.
    struct Case {
        const char* path;
        int relativeResult;
        const char* relative;
    } cases[] = {
        {"\\already\\there", 1, "..\\..\\already\\there"},
        {"C:\\game\\data\\a.stg4", 0, "C:\\game\\data\\a.stg4"},
        {"z:relative-on-drive", 0, "z:relative-on-drive"},
        {"C:", 0, "C:"},
    };
    for (const Case& c : cases) {
        std::string absolute = c.path;
        EXPECT_EQ(MakeAbsolutePath(absolute), 1) << c.path;
        EXPECT_EQ(absolute, c.path);
        std::string relative = c.path;
        EXPECT_EQ(MakeRelativePath(relative), c.relativeResult) << c.path;
        EXPECT_EQ(relative, c.relative);
    }
    // A colon after something other than one letter is no drive.
    for (const char* given : {"1:\\x", "ab:x", ":x"}) {
        std::string path = given;
        EXPECT_EQ(MakeAbsolutePath(path), 1) << given;
        EXPECT_EQ(path, here + "\\" + given) << given;
    }

    std::string tooLong(kMaxPathLength, 'a');
    EXPECT_EQ(MakeAbsolutePath(tooLong), 0);
    EXPECT_EQ(tooLong, std::string(kMaxPathLength, 'a'));
}

// ---- Project folders ----

TEST_F(PathFiles, CreateDataFoldersMakesEveryFolderParentsFirst) {
    fs::create_directory("bmp");  // an existing one is passed over
    CreateDataFolders();
    int count = 0;
    for (const char* const* folder = DataFolderList; *folder; ++folder, ++count) {
        EXPECT_TRUE(plat::IsDirectory(*folder)) << *folder;
    }
    EXPECT_EQ(count, kDataFolderCount);
    EXPECT_TRUE(fs::is_directory("user_data/rpl4"));
    EXPECT_TRUE(fs::is_directory("data/stg4/old_ver"));
}

class DefaultData : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = plat::GetSeams();
        UseSeams({});
        plat::ClearShownBoxes();
        plat::LoadScriptText("", "");
    }
    void TearDown() override {
        plat::SetSeams(saved_);
        plat::ResetScriptState();
        plat::ClearShownBoxes();
    }
    static void UseSeams(std::set<std::string> failSteps) {
        plat::Seams seams;
        seams.headless = true;
        seams.failSteps = std::move(failSteps);
        plat::SetSeams(seams);
    }
    // A small project: files in nested folders, one with a Shift-JIS name, one empty.
    static void MakeDefault() {
        WriteHostFile("default/System.dat", "system bytes");
        WriteHostFile("default/WorldMap.dat", std::string(100000, '\x5C'));
        WriteHostFile("default/database/Anime.dat", "anime");
        WriteHostFile(Utf8(u8"default/stg4/森-1.stg4_001"), "stage");
        WriteHostFile("default/stg4/empty.stg4_000", "");
        fs::create_directories("default/bmp/empty_folder");
    }
    static void ExpectDefaultIntact() {
        EXPECT_EQ(ReadHostFile("default/System.dat"), "system bytes");
        EXPECT_EQ(ReadHostFile(Utf8(u8"default/stg4/森-1.stg4_001")), "stage");
        EXPECT_TRUE(fs::is_directory("default/bmp/empty_folder"));
    }
    static void Answer(const char* script) { plat::LoadScriptText(script, ""); }
    // The copy is made in a folder beside "data" first; none may remain.
    static void ExpectNoCopyLeft() {
        for (const auto& entry : fs::directory_iterator(".")) {
            EXPECT_NE(entry.path().filename().string().rfind("data.", 0), 0u) << entry.path();
        }
    }

    TempDir dir;

private:
    plat::Seams saved_;
};

TEST_F(DefaultData, AnExistingDataFolderIsEnoughAndNothingIsAsked) {
    fs::create_directory("data");
    MakeDefault();
    EXPECT_EQ(CreateDefaultData(nullptr), 1);
    EXPECT_TRUE(plat::ShownBoxes().empty());
    EXPECT_FALSE(fs::exists("data/System.dat"));
}

TEST_F(DefaultData, WithoutDefaultTheResultIsZeroWithoutAsking) {
    WriteHostFile("default", "a file, not a folder");
    EXPECT_EQ(CreateDefaultData(nullptr), 0);
    fs::remove("default");
    EXPECT_EQ(CreateDefaultData(nullptr), 0);
    EXPECT_TRUE(plat::ShownBoxes().empty());
    EXPECT_FALSE(fs::exists("data"));
}

TEST_F(DefaultData, YesCopiesTheWholeTree) {
    MakeDefault();
    Answer("box yes\n");
    EXPECT_EQ(CreateDefaultData(nullptr), 1);

    const auto boxes = plat::ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, Utf8(u8"データが存在しません！デフォルトデータを作成しますか？\n"));
    EXPECT_EQ(boxes[0].caption, Utf8(u8"デフォルトデータ作成の確認"));
    EXPECT_EQ(boxes[0].type, plat::MB_YESNO);

    EXPECT_EQ(ReadHostFile("data/System.dat"), "system bytes");
    EXPECT_EQ(ReadHostFile("data/WorldMap.dat"), std::string(100000, '\x5C'));
    EXPECT_EQ(ReadHostFile("data/database/Anime.dat"), "anime");
    EXPECT_EQ(ReadHostFile(Utf8(u8"data/stg4/森-1.stg4_001")), "stage");
    EXPECT_TRUE(fs::is_regular_file("data/stg4/empty.stg4_000"));
    EXPECT_TRUE(fs::is_directory("data/bmp/empty_folder"));
    ExpectDefaultIntact();
    // The program sees the new folder at once.
    EXPECT_TRUE(plat::FileExists("DATA\\System.dat"));
    EXPECT_EQ(CreateDefaultData(nullptr), 1);
    EXPECT_EQ(plat::ShownBoxes().size(), 1u);
}

TEST_F(DefaultData, NoLeavesEverythingAsItWas) {
    MakeDefault();
    Answer("box no\n");
    EXPECT_EQ(CreateDefaultData(nullptr), 0);
    EXPECT_EQ(plat::ShownBoxes().size(), 1u);
    EXPECT_FALSE(fs::exists("data"));
    ExpectDefaultIntact();
}

TEST_F(DefaultData, AFailedCopyRemovesWhatItMadeAndOnlyThat) {
    // The copy fails at the first file, in a nested folder, and at the last file (after
    // every folder and the other files were made).
    // The seam names the file as the host spells it (UTF-8).
    for (const std::string& failing :
         {std::string("System.dat"), std::string("Anime.dat"), Utf8(u8"森-1.stg4_001")}) {
        SCOPED_TRACE(failing);
        fs::remove_all("default");
        MakeDefault();
        WriteHostFile("database/keep.dat", "a neighbour of data");
        WriteHostFile("notes.txt", "beside default");
        UseSeams({"default_copy " + failing});
        Answer("box yes\n");
        EXPECT_EQ(CreateDefaultData(nullptr), 0);
        EXPECT_FALSE(fs::exists("data"));
        ExpectDefaultIntact();
        EXPECT_EQ(ReadHostFile("database/keep.dat"), "a neighbour of data");
        EXPECT_EQ(ReadHostFile("notes.txt"), "beside default");
        EXPECT_FALSE(plat::FileExists("data\\System.dat"));
        ExpectNoCopyLeft();
    }
    // A file of another name is no failure.
    UseSeams({"default_copy missing.dat"});
    Answer("box yes\n");
    EXPECT_EQ(CreateDefaultData(nullptr), 1);
    EXPECT_EQ(ReadHostFile(Utf8(u8"data/stg4/森-1.stg4_001")), "stage");
}

TEST_F(DefaultData, AnExistingDataFileIsNeverRemoved) {
    MakeDefault();
    WriteHostFile("data", "the user's own file named data");
    Answer("box yes\n");
    EXPECT_EQ(CreateDefaultData(nullptr), 0);
    EXPECT_EQ(ReadHostFile("data"), "the user's own file named data");
    ExpectDefaultIntact();
    ExpectNoCopyLeft();
}

TEST_F(DefaultData, LinksAreNotFollowedAndDoNotStopTheCopy) {
    MakeDefault();
    // One leads back into the tree, which followed would never end.
    fs::create_directory_symlink("..", "default/stg4/loop");
    Answer("box yes\n");
    EXPECT_EQ(CreateDefaultData(nullptr), 1);
    EXPECT_EQ(fs::symlink_status("data/stg4/loop").type(), fs::file_type::not_found);
    EXPECT_EQ(ReadHostFile(Utf8(u8"data/stg4/森-1.stg4_001")), "stage");
    ExpectDefaultIntact();
    ExpectNoCopyLeft();
}

TEST_F(DefaultData, NothingOutsideDefaultReachesDataThroughALink) {
    char pattern[] = "/tmp/k4-outside-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string outside = pattern;
    struct Cleanup {
        std::string path;
        ~Cleanup() {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } cleanup{outside};
    WriteHostFile(outside + "/secret.dat", "outside");
    WriteHostFile(outside + "/inner/secret2.dat", "outside");

    MakeDefault();
    fs::create_directory_symlink(outside, "default/database/outside");
    fs::create_symlink(outside + "/secret.dat", "default/secret.dat");
    Answer("box yes\n");
    EXPECT_EQ(CreateDefaultData(nullptr), 1);
    EXPECT_EQ(ReadHostFile("data/database/Anime.dat"), "anime");
    std::vector<std::string> copied;
    for (const auto& entry : fs::recursive_directory_iterator("data"))
        copied.push_back(entry.path().string());
    std::sort(copied.begin(), copied.end());
    EXPECT_EQ(copied,
              (std::vector<std::string>{
                  "data/System.dat", "data/WorldMap.dat", "data/bmp", "data/bmp/empty_folder",
                  "data/database", "data/database/Anime.dat", "data/stg4",
                  "data/stg4/empty.stg4_000", Utf8(u8"data/stg4/森-1.stg4_001")}));
    EXPECT_EQ(ReadHostFile(outside + "/secret.dat"), "outside");
}

TEST_F(DefaultData, PipesAreNotCopiedAndDoNotStopTheCopy) {
    MakeDefault();
    ASSERT_EQ(mkfifo("default/pipe", 0666), 0);
    Answer("box yes\n");
    EXPECT_EQ(CreateDefaultData(nullptr), 1);
    EXPECT_FALSE(fs::exists("data/pipe"));
    EXPECT_EQ(ReadHostFile("data/System.dat"), "system bytes");
}

TEST_F(DefaultData, WhatTheCopyPassesOverOrStopsAtIsInTheReportLog) {
    const std::string log = dir.path + "/Report_Game.txt";
    ASSERT_EQ(OpenReportLog(log), 1);
    MakeDefault();
    fs::create_symlink("System.dat", "default/link");
    ASSERT_EQ(mkfifo("default/stg4/pipe", 0666), 0);
    Answer("box yes\nbox yes\n");
    EXPECT_EQ(CreateDefaultData(nullptr), 1);
    EXPECT_EQ(ReadHostFile(log),
              "default/link : a symbolic link, not copied\r\n"
              "default/stg4/pipe : not a file or folder, not copied\r\n");

    fs::remove_all("data");
    UseSeams({"default_copy " + Utf8(u8"森-1.stg4_001")});  // after the link and the pipe
    ASSERT_EQ(OpenReportLog(log), 1);
    EXPECT_EQ(CreateDefaultData(nullptr), 0);
    EXPECT_EQ(ReadHostFile(log),
              "default/link : a symbolic link, not copied\r\n"
              "default/stg4/pipe : not a file or folder, not copied\r\n"
              "default -> data : the copy failed and is removed\r\n");
}

}  // namespace

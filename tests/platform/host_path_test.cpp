#include "platform/host_path.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform_state.h"

namespace {

namespace fs = std::filesystem;

std::string Utf8(std::u8string_view text) {
    return std::string(text.begin(), text.end());
}

// Each test runs in a fresh temporary folder, entered with chdir so that the program's
// relative paths are used as the game uses them.
class HostPath : public testing::Test {
protected:
    void SetUp() override {
        plat::ResetPlatformState();
        previous_ = fs::current_path();
        std::string pattern = (fs::temp_directory_path() / "k4-host-path-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
        fs::current_path(folder_);
    }
    void TearDown() override {
        fs::current_path(previous_);
        fs::remove_all(folder_);
        plat::ResetPlatformState();
    }

    // Creates a host file (UTF-8 name) behind the mapper's back.
    static void Touch(const std::string& path, const std::string& content = "") {
        std::ofstream(path, std::ios::binary) << content;
    }
    static std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static std::vector<std::string> Names(const std::string& folder) {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    static bool Write(std::string_view path, const char* mode, const std::string& content) {
        std::FILE* file = plat::FileOpen(path, mode);
        if (!file) return false;
        std::fwrite(content.data(), 1, content.size(), file);
        return std::fclose(file) == 0;
    }

    fs::path previous_;
    fs::path folder_;
};

TEST_F(HostPath, MatchesComponentsInAnyCase) {
    fs::create_directories("bmp/Sub");
    Touch("bmp/title.BMP");
    Touch("bmp/Sub/x.png");
    struct Case {
        const char* program;
        const char* host;
    } cases[] = {
        {"bmp\\Title.bmp", "bmp/title.BMP"},
        {"BMP\\TITLE.BMP", "bmp/title.BMP"},
        {"Bmp/sub\\X.PNG", "bmp/Sub/x.png"},
        {".\\BMP\\.\\title.bmp", "bmp/title.BMP"},
        {"bmp\\sub\\..\\TITLE.bmp", "bmp/title.BMP"},
        {"missing\\..\\Bmp\\Title.bmp", "bmp/title.BMP"},  // settled on the text
        {"bmp\\\\Title.bmp", "bmp/title.BMP"},
        {"BMP\\", "bmp/"},
        {"bmp\\..", "."},
        {"", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(plat::MapPath(c.program), c.host) << c.program;
}

TEST_F(HostPath, AbsoluteAndParentPaths) {
    fs::create_directories("Data");
    Touch("Data/Save.dat", "x");
    const std::string root = fs::current_path().string();
    ASSERT_EQ(plat::CurrentDirectory(), root);
    EXPECT_EQ(plat::MapPath(root + "\\data\\SAVE.DAT"), root + "/Data/Save.dat");
    EXPECT_EQ(plat::MapPath(root + "/DATA/save.dat"), root + "/Data/Save.dat");
    EXPECT_EQ(plat::MapPath("\\..\\.." + root + "\\DATA"),
              root + "/Data");  // no parent above the root

    // Leading ".." components leave the current folder and are matched from there.
    const std::string name = folder_.filename().string();
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(plat::MapPath("..\\" + upper + "\\data\\save.DAT"), "../" + name + "/Data/Save.dat");
}

TEST_F(HostPath, ExactCaseWinsOverOtherSpellings) {
    Touch("a.txt", "lower");
    Touch("A.TXT", "upper");
    EXPECT_EQ(plat::MapPath("a.txt"), "a.txt");
    EXPECT_EQ(plat::MapPath("A.TXT"), "A.TXT");
    // Neither spelling is exact: the choice must not depend on the listing order.
    EXPECT_EQ(plat::MapPath("A.txt"), "A.TXT");
}

TEST_F(HostPath, Cp932NameWithBackslashTrailByte) {
    const std::string folder = Utf8(u8"ソフト");  // 0x83 0x5C starts it
    fs::create_directories(folder);
    Touch(folder + "/" + Utf8(u8"表.TXT"), "table");
    const std::string program = "\x83\x5C\x83\x74\x83\x67\\\x95\x5C.txt";
    ASSERT_EQ(std::string("ソフト\\表.txt"), program);
    EXPECT_EQ(plat::MapPath(program), folder + "/" + Utf8(u8"表.TXT"));
    std::FILE* file = plat::FileOpen(program, "rt");
    ASSERT_NE(file, nullptr);
    char text[8] = {};
    EXPECT_EQ(std::fread(text, 1, 5, file), 5u);
    std::fclose(file);
    EXPECT_STREQ(text, "table");
}

TEST_F(HostPath, CreatedFileKeepsTheNameAskedFor) {
    fs::create_directories("save");
    ASSERT_TRUE(Write("SAVE\\Slot01.DAT", "wb", "1"));
    ASSERT_TRUE(Write("save\\\x95\x5C.txt", "wt", "2"));
    EXPECT_EQ(Names("save"), (std::vector<std::string>{"Slot01.DAT", Utf8(u8"表.txt")}));
}

TEST_F(HostPath, WritingAnotherCaseWritesTheExistingFile) {
    fs::create_directories("data");
    Touch("data/save.dat", "old");
    ASSERT_TRUE(Write("DATA\\Save.dat", "wb", "new"));
    ASSERT_TRUE(Write("Data\\SAVE.DAT", "ab", "+"));
    EXPECT_EQ(Names("data"), (std::vector<std::string>{"save.dat"}));
    EXPECT_EQ(Read("data/save.dat"), "new+");
}

TEST_F(HostPath, MissingComponentKeepsTheRestSpelled) {
    fs::create_directories("stage/Inner");
    EXPECT_EQ(plat::MapPath("STAGE\\Missing\\inner\\File.TXT"), "stage/Missing/inner/File.TXT");
    EXPECT_EQ(plat::MapPath("Stage\\INNER\\new.txt"), "stage/Inner/new.txt");
    EXPECT_EQ(plat::FileOpen("stage\\Missing\\x.txt", "wb"), nullptr);
}

TEST_F(HostPath, ProgramsOwnChangesAreSeenAtOnce) {
    fs::create_directories("dir");
    fs::create_directories("other");
    Touch("dir/seed.txt");
    Touch("other/seed.txt");
    // The folders' times are put back to one old value after every change, as on a file
    // system whose clock ticks coarsely: only the mapper's own bookkeeping reveals changes.
    const auto pin = [] {
        const timespec old[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
        for (const char* folder : {"dir", "other"})
            ASSERT_EQ(utimensat(AT_FDCWD, folder, old, 0), 0);
    };
    pin();
    ASSERT_EQ(plat::MapPath("DIR\\SEED.TXT"), "dir/seed.txt");
    ASSERT_EQ(plat::MapPath("OTHER\\SEED.TXT"), "other/seed.txt");

    ASSERT_TRUE(Write("dir\\Made.txt", "wb", "m"));
    pin();
    EXPECT_EQ(plat::MapPath("DIR\\made.TXT"), "dir/Made.txt");

    ASSERT_TRUE(plat::CreateDirectory("dir\\Sub"));
    pin();
    EXPECT_EQ(plat::MapPath("dir\\SUB"), "dir/Sub");
    EXPECT_FALSE(plat::CreateDirectory("DIR\\sub"));  // exists in another case
    EXPECT_TRUE(plat::IsDirectory("dir\\SUB"));

    ASSERT_TRUE(plat::MoveFile("dir\\made.txt", "OTHER\\Moved.txt"));
    pin();
    EXPECT_EQ(plat::MapPath("other\\MOVED.TXT"), "other/Moved.txt");
    EXPECT_EQ(plat::MapPath("dir\\MADE.txt"), "dir/MADE.txt");

    ASSERT_TRUE(plat::DeleteFile("OTHER\\moved.TXT"));
    pin();
    EXPECT_EQ(plat::MapPath("other\\MOVED.txt"), "other/MOVED.txt");
    EXPECT_FALSE(plat::DeleteFile("other\\Moved.txt"));
    EXPECT_FALSE(plat::DeleteFile("dir\\sub"));  // a folder is not a file
    EXPECT_EQ(Names("dir"), (std::vector<std::string>{"Sub", "seed.txt"}));
    EXPECT_EQ(Names("other"), (std::vector<std::string>{"seed.txt"}));
}

TEST_F(HostPath, MoveReplacesTargetAndCanChangeCase) {
    Touch("from.txt", "from");
    Touch("To.txt", "to");
    ASSERT_TRUE(plat::MoveFile("FROM.TXT", "to.TXT"));
    EXPECT_EQ(Names("."), (std::vector<std::string>{"To.txt"}));
    EXPECT_EQ(Read("To.txt"), "from");

    ASSERT_TRUE(plat::MoveFile("to.txt", "TO.TXT"));
    EXPECT_EQ(Names("."), (std::vector<std::string>{"TO.TXT"}));
    EXPECT_FALSE(plat::MoveFile("absent.txt", "x.txt"));
}

TEST_F(HostPath, ChangesBehindTheMappersBackAreSeen) {
    fs::create_directories("dir");
    Touch("dir/seed.txt");
    // The folder last changed long ago, so its listing is trusted until the time moves.
    const timespec old[2] = {{1'000'000'000, 0}, {1'000'000'000, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, "dir", old, 0), 0);
    ASSERT_EQ(plat::MapPath("DIR\\SEED.TXT"), "dir/seed.txt");

    Touch("dir/Outside.txt");
    const timespec later[2] = {{1'000'000'100, 0}, {1'000'000'100, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, "dir", later, 0), 0);
    EXPECT_EQ(plat::MapPath("dir\\OUTSIDE.TXT"), "dir/Outside.txt");
    fs::remove("dir/Outside.txt");
    EXPECT_EQ(plat::MapPath("dir\\OUTSIDE.TXT"), "dir/OUTSIDE.TXT");
}

TEST_F(HostPath, ChangeWithinOneTimestampTickIsSeen) {
    fs::create_directories("dir");
    Touch("dir/seed.txt");
    struct stat before;
    ASSERT_EQ(stat("dir", &before), 0);
    ASSERT_EQ(plat::MapPath("DIR\\SEED.TXT"), "dir/seed.txt");

    // A coarse clock would leave the folder's time as it was: put it back by hand.
    Touch("dir/Late.txt");
    const timespec same[2] = {before.st_atim, before.st_mtim};
    ASSERT_EQ(utimensat(AT_FDCWD, "dir", same, 0), 0);
    EXPECT_EQ(plat::MapPath("dir\\late.txt"), "dir/Late.txt");
    fs::remove("dir/Late.txt");
    ASSERT_EQ(utimensat(AT_FDCWD, "dir", same, 0), 0);
    EXPECT_EQ(plat::MapPath("dir\\late.txt"), "dir/late.txt");
}

TEST_F(HostPath, OpenModesOfTheWindowsRuntime) {
    Touch("m.txt", "abc");
    for (const char* mode : {"r", "rt", "rb", "rt+", "r+b"}) {
        std::FILE* file = plat::FileOpen("M.TXT", mode);
        ASSERT_NE(file, nullptr) << mode;
        EXPECT_EQ(std::fgetc(file), 'a') << mode;
        std::fclose(file);
    }
    EXPECT_TRUE(Write("n.txt", "wt", "x"));
    EXPECT_TRUE(Write("N.TXT", "at+", "y"));
    EXPECT_EQ(Read("n.txt"), "xy");
    EXPECT_EQ(plat::FileOpen("m.txt", "t"), nullptr);
    EXPECT_EQ(plat::FileOpen("m.txt", nullptr), nullptr);
    EXPECT_EQ(plat::FileOpen("absent.txt", "rb"), nullptr);
}

TEST_F(HostPath, HostileInputFailsQuietly) {
    const std::string longName(100000, 'A');
    EXPECT_EQ(plat::FileOpen(longName, "wb"), nullptr);
    EXPECT_EQ(plat::FileOpen(std::string(5000, '\\') + longName, "rb"), nullptr);
    EXPECT_FALSE(plat::FileExists(std::string(50000, 'x') + "\\..\\y"));

    std::string garbage;
    for (int i = 1; i < 256; ++i) garbage += static_cast<char>(i);
    for (int i = 0; i < 50; ++i) garbage += "\x81\\\xFF/..\\\xFC";
    EXPECT_FALSE(plat::FileExists(garbage));
    EXPECT_EQ(plat::FileOpen(garbage, "rb"), nullptr);
    // The path ends at a zero byte, as the program's strings do.
    Touch("z.txt");
    EXPECT_EQ(plat::MapPath(std::string("Z.TXT\0\\..\\x", 11)), "z.txt");
}

TEST_F(HostPath, ThreadsShareTheCache) {
    fs::create_directories("Shared");
    for (int i = 0; i < 20; ++i) Touch("Shared/File" + std::to_string(i) + ".txt");
    std::vector<std::thread> threads;
    std::vector<int> failures(6, 0);
    for (int t = 0; t < 6; ++t) {
        threads.emplace_back([&, t] {
            for (int round = 0; round < 50; ++round) {
                for (int i = 0; i < 20; ++i) {
                    const std::string n = std::to_string(i);
                    if (plat::MapPath("shared\\FILE" + n + ".TXT") != "Shared/File" + n + ".txt")
                        ++failures[t];
                }
                if (t == 0) {
                    plat::ClearPathCache();
                } else if (t == 1) {
                    std::FILE* file = plat::FileOpen("shared\\Own" + std::to_string(round), "wb");
                    if (!file)
                        ++failures[t];
                    else
                        std::fclose(file);
                }
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures, std::vector<int>(6, 0));
}

// ---- The folder operations of an all-or-nothing copy ----

TEST_F(HostPath, IsRegularFileTakesPlainFilesAndWhatLinksToThem) {
    Touch("File.dat");
    fs::create_directory("Folder");
    ASSERT_EQ(mkfifo("pipe", 0666), 0);
    fs::create_symlink("File.dat", "link");
    EXPECT_TRUE(plat::IsRegularFile("FILE.DAT"));
    EXPECT_TRUE(plat::IsRegularFile("link"));
    EXPECT_FALSE(plat::IsRegularFile("folder"));
    EXPECT_FALSE(plat::IsRegularFile("pipe"));
    EXPECT_FALSE(plat::IsRegularFile("missing"));
}

TEST_F(HostPath, UniqueFoldersAreNewPrivateAndNamedInTheMappedFolder) {
    fs::create_directory("Sub");
    const std::string first = plat::CreateUniqueDirectory("SUB\\copy-");
    const std::string second = plat::CreateUniqueDirectory("SUB\\copy-");
    ASSERT_EQ(first.size(), std::string("SUB\\copy-").size() + 6);
    ASSERT_EQ(first.rfind("SUB\\copy-", 0), 0u);
    EXPECT_NE(first, second);
    EXPECT_TRUE(plat::IsDirectory(first));
    EXPECT_TRUE(plat::IsDirectory(second));
    std::vector<std::string> made{first.substr(4), second.substr(4)};
    std::sort(made.begin(), made.end());
    EXPECT_EQ(Names("Sub"), made);
    EXPECT_EQ(fs::status("Sub/" + first.substr(4)).permissions() & fs::perms::all,
              fs::perms::owner_all);
    EXPECT_EQ(plat::CreateUniqueDirectory("missing\\copy-"), "");
}

TEST_F(HostPath, CopyPermissionsTakesTheBitsOfTheSource) {
    fs::create_directory("from");
    fs::create_directory("to");
    fs::permissions("from", fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    ASSERT_TRUE(plat::CopyPermissions("FROM", "TO"));
    EXPECT_EQ(fs::status("to").permissions() & fs::perms::all,
              fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec);
    EXPECT_FALSE(plat::CopyPermissions("missing", "to"));
}

TEST_F(HostPath, MoveFileNoReplaceNeverReplacesEvenAnEmptyFolder) {
    fs::create_directory("Copy");
    Touch("Copy/a.dat", "a");
    fs::create_directory("empty");
    Touch("file", "the user's");
    EXPECT_FALSE(plat::MoveFileNoReplace("copy", "empty"));
    EXPECT_FALSE(plat::MoveFileNoReplace("copy", "FILE"));
    EXPECT_EQ(Read("file"), "the user's");
    EXPECT_TRUE(fs::is_empty("empty"));

    ASSERT_TRUE(plat::MoveFileNoReplace("COPY", "Data"));
    EXPECT_EQ(Names("."), (std::vector<std::string>{"Data", "empty", "file"}));
    EXPECT_EQ(plat::MapPath("data\\A.DAT"), "Data/a.dat");
    EXPECT_FALSE(plat::MoveFileNoReplace("copy", "other"));
}

TEST_F(HostPath, RemoveDirectoryTreeTakesAReadOnlyFolderButNothingItLinksTo) {
    fs::create_directories("outside");
    Touch("outside/keep.dat", "outside");
    fs::create_directories("tree/inner");
    Touch("tree/inner/a.dat");
    fs::create_directory_symlink("../outside", "tree/link");
    fs::permissions("tree", fs::perms::owner_read | fs::perms::owner_exec);
    ASSERT_EQ(plat::MapPath("TREE"), "tree");

    EXPECT_TRUE(plat::RemoveDirectoryTree("TREE"));
    EXPECT_EQ(Names("."), (std::vector<std::string>{"outside"}));
    EXPECT_EQ(Read("outside/keep.dat"), "outside");
    EXPECT_FALSE(plat::FileExists("tree"));
}

}  // namespace

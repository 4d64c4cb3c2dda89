// The folder copy on its own: what it reports passing over, and where it stops (too deep a
// nesting, a copy into its own source, a failing file), leaving nothing outside the target.
#include "platform/folder_copy.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "platform/host_path.h"
#include "platform/seams.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using Note = plat::FolderCopyNote;

void WriteHostFile(const std::string& path, const std::string& content) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

std::string ReadHostFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Every entry below `folder`, as paths relative to the current folder, sorted.
std::vector<std::string> Tree(const std::string& folder) {
    std::vector<std::string> paths;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        paths.push_back(entry.path().string());
    std::sort(paths.begin(), paths.end());
    return paths;
}

std::vector<std::pair<Note::Kind, std::string>> Notes(const plat::FolderCopy& copy) {
    std::vector<std::pair<Note::Kind, std::string>> notes;
    for (const Note& note : copy.notes) notes.emplace_back(note.kind, note.hostPath);
    return notes;
}

class FolderCopy : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = plat::GetSeams();
        UseFailSteps({});
    }
    void TearDown() override { plat::SetSeams(saved_); }
    static void UseFailSteps(std::set<std::string> steps) {
        plat::Seams seams;
        seams.headless = true;
        seams.failSteps = std::move(steps);
        plat::SetSeams(seams);
    }

    TempDir dir;

private:
    plat::Seams saved_;
};

TEST_F(FolderCopy, PassedOverEntriesAreReportedInNameOrderWithTheirHostPaths) {
    WriteHostFile("src/a.dat", "a");
    WriteHostFile("src/sub/b.dat", "b");
    fs::create_symlink("a.dat", "src/link");
    ASSERT_EQ(mkfifo("src/sub/pipe", 0666), 0);
    fs::create_directory("out");

    // Program paths, mapped in any case.
    const plat::FolderCopy copy = plat::CopyFolderContents("SRC", "Out");
    EXPECT_TRUE(copy.ok);
    EXPECT_EQ(Notes(copy),
              (std::vector<std::pair<Note::Kind, std::string>>{
                  {Note::kSymbolicLink, "src/link"}, {Note::kNotFileOrFolder, "src/sub/pipe"}}));
    EXPECT_EQ(Tree("out"), (std::vector<std::string>{"out/a.dat", "out/sub", "out/sub/b.dat"}));
    EXPECT_EQ(ReadHostFile("out/sub/b.dat"), "b");
}

TEST_F(FolderCopy, TooDeepANestingStopsTheCopyInsideTheTarget) {
    std::string deepest = "src";
    for (int i = 0; i < 65; ++i) deepest += "/d";
    fs::create_directories(deepest);
    fs::create_directory("out");

    const plat::FolderCopy copy = plat::CopyFolderContents("src", "out");
    EXPECT_FALSE(copy.ok);
    EXPECT_EQ(Notes(copy),
              (std::vector<std::pair<Note::Kind, std::string>>{{Note::kNestedTooDeep, deepest}}));
    // The folders made before the stop are inside the target, and only there.
    EXPECT_EQ(Tree("out").size(), 65u);
    EXPECT_EQ(Tree(".").size(), 2u + 65u + 65u);  // src, out and the two chains below them
}

TEST_F(FolderCopy, ACopyIntoItsOwnSourceStopsWhereItWouldCopyItself) {
    WriteHostFile("src/a.dat", "a");
    fs::create_directory("src/out");

    const plat::FolderCopy copy = plat::CopyFolderContents("src", "src\\out");
    EXPECT_FALSE(copy.ok);
    EXPECT_EQ(Notes(copy),
              (std::vector<std::pair<Note::Kind, std::string>>{{Note::kLeadsBack, "src/out"}}));
    EXPECT_EQ(Tree("src"),
              (std::vector<std::string>{"src/a.dat", "src/out", "src/out/a.dat", "src/out/out"}));
}

TEST_F(FolderCopy, TheFailStepStopsAtItsFileAndOnlyWhenAskedFor) {
    WriteHostFile("src/a.dat", "a");
    WriteHostFile("src/b.dat", "b");
    WriteHostFile("src/c.dat", "c");
    fs::create_directory("out");
    UseFailSteps({"copy_test b.dat"});

    const plat::FolderCopy failed = plat::CopyFolderContents("src", "out", "copy_test");
    EXPECT_FALSE(failed.ok);
    EXPECT_TRUE(failed.notes.empty());
    // The failing file was made before its bytes were to be copied; the files after it were not.
    EXPECT_EQ(Tree("out"), (std::vector<std::string>{"out/a.dat", "out/b.dat"}));

    fs::remove_all("out");
    fs::create_directory("out");
    EXPECT_TRUE(plat::CopyFolderContents("src", "out").ok);
    EXPECT_EQ(ReadHostFile("out/c.dat"), "c");
}

TEST_F(FolderCopy, AMissingSourceOrTargetIsAFailure) {
    fs::create_directory("out");
    EXPECT_FALSE(plat::CopyFolderContents("missing", "out").ok);
    WriteHostFile("src/a.dat", "a");
    EXPECT_FALSE(plat::CopyFolderContents("src", "missing").ok);
    EXPECT_EQ(Tree("."), (std::vector<std::string>{"./out", "./src", "./src/a.dat"}));
}

}  // namespace

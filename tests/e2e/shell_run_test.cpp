// The application shell in whole runs: the window's place kept in user_data\Window.dat, the
// ordered close from Esc and from the close box, one running copy between processes, the
// editor's two notifications, and the start problems with what each shows and logs.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/cp932.h"
#include "player_harness.h"
#include "shell_checks.h"

namespace {

using namespace shell_checks;

const PlayerConfig kWindow{"D3D32Window", 1, 1, 32};
const PlayerConfig kDDWindow{"DD32Window", 0, 1, 32};
const PlayerConfig kFull{"D3D16Full", 1, 0, 16};

std::string Utf8(const char* cp932) {
    return plat::Cp932ToUtf8(cp932);
}

TEST(ShellPlacement, TheWindowOpensWhereItWasLeft) {
    PlayerProject project;
    ASSERT_TRUE(project.Make(kWindow));
    const std::string file = project.Path("user_data/Window.dat");
    PlayerRun run;
    run.quitAfter = 5;

    // No placement yet: centred on the 1280 x 1024 desktop, and the close writes it.
    PlayerResult result = project.Run(run);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(PlayerProject::ReadFile(file), PlacementBytes(kCentreX, kCentreY, 640, 480, 0));

    // Moved, then closed: the next run opens there (and writes the same again).
    run.script = {"@3 move 100 150"};
    result = project.Run(run);
    EXPECT_EQ(PlayerProject::ReadFile(file), PlacementBytes(100, 150, 640, 480, 0));
    run.script = {};
    result = project.Run(run);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(PlayerProject::ReadFile(file), PlacementBytes(100, 150, 640, 480, 0));

    // Closed while minimised: the old placement stays.
    run.script = {"@2 move 300 300", "@3 minimize"};
    result = project.Run(run);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(PlayerProject::ReadFile(file), PlacementBytes(100, 150, 640, 480, 0));

    // A maximised window opens maximised again.
    run.script = {};
    WriteFile(file, PlacementBytes(50, 60, 640, 480, 1));
    result = project.Run(run);
    EXPECT_EQ(PlayerProject::ReadFile(file), PlacementBytes(50, 60, 640, 480, 1));

    // A corner off the screen: clamped on load, then brought inside the work area.
    WriteFile(file, PlacementBytes(-50, 5000, 640, 480, 0));
    result = project.Run(run);
    EXPECT_EQ(PlayerProject::ReadFile(file),
              PlacementBytes(0, 1024 - 30 - kOuterHeight, 640, 480, 0));

    // A damaged file is no placement: centred again.
    WriteFile(file, PlacementBytes(1, 2, 3, 4, 5).substr(0, 14));
    result = project.Run(run);
    EXPECT_EQ(PlayerProject::ReadFile(file), PlacementBytes(kCentreX, kCentreY, 640, 480, 0));
    EXPECT_TRUE(LeftOvers(project.Path("user_data")).empty());
}

TEST(ShellPlacement, AFailedWriteStillClosesAndKeepsTheOldFile) {
    PlayerProject project;
    ASSERT_TRUE(project.Make(kDDWindow));
    const std::string file = project.Path("user_data/Window.dat");
    WriteFile(file, PlacementBytes(10, 20, 640, 480, 0));
    PlayerRun run;
    run.quitAfter = 5;
    run.script = {"@2 move 400 400"};
    run.env = {{"K4_FAIL", "file_write"}};
    const PlayerResult result = project.Run(run);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 0);
    ExpectOrderlyClose(result);
    EXPECT_EQ(PlayerProject::ReadFile(file), PlacementBytes(10, 20, 640, 480, 0));
    EXPECT_TRUE(LeftOvers(project.Path("user_data")).empty());
}

TEST(ShellPlacement, FullScreenNeverWritesIt) {
    PlayerProject project;
    ASSERT_TRUE(project.Make(kFull));
    PlayerRun run;
    run.quitAfter = 5;
    PlayerResult result = project.Run(run);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_FALSE(std::filesystem::exists(project.Path("user_data/Window.dat")));
    const std::string file = project.Path("user_data/Window.dat");
    WriteFile(file, PlacementBytes(7, 8, 640, 480, 0));
    run.script = {"@2 move 400 400"};
    result = project.Run(run);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(PlayerProject::ReadFile(file), PlacementBytes(7, 8, 640, 480, 0));
}

// The client size comes back only where the user could change it: a Direct3D window with a
// sizing border (WindowMode 2). A size it could never have had is brought within the screen
// and the least size; the fixed windows keep 640 x 480 whatever the file says.
TEST(ShellPlacement, ASizableDirect3DWindowGetsItsClientSizeBack) {
    struct Case {
        const char* name;
        PlayerConfig config;
        int width, height;                  // in the file
        int expectedWidth, expectedHeight;  // written at the close
    };
    const Case cases[] = {
        {"Direct3D sizable", {"D3D32Sizable", 1, 2, 32}, 800, 600, 800, 600},
        {"Direct3D sizable, too small", {"D3D32Sizable", 1, 2, 32}, 90, 20, 100, 100},
        {"Direct3D fixed", kWindow, 800, 600, 640, 480},
        {"DirectDraw sizable", {"DD32Sizable", 0, 2, 32}, 800, 600, 640, 480},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PlayerProject project;
        ASSERT_TRUE(project.Make(c.config));
        const std::string file = project.Path("user_data/Window.dat");
        WriteFile(file, PlacementBytes(40, 50, c.width, c.height, 0));
        PlayerRun run;
        run.quitAfter = 5;
        const PlayerResult result = project.Run(run);
        ASSERT_TRUE(result.ended);
        EXPECT_EQ(result.exitCode, 0) << result.reportLog;
        EXPECT_EQ(PlayerProject::ReadFile(file),
                  PlacementBytes(40, 50, c.expectedWidth, c.expectedHeight, 0));
    }
}

// The sample's forest-1 played to its goal (as the goal runs play it): play begins in frame
// `play`, right is held, button 1 jumps the spikes and then the pit; the stage clears about
// 436 frames after play began.
constexpr int kGoalClearAfter = 436;
std::vector<std::string> ForestGoalKeys(int play) {
    auto key = [](int frame, int vk, bool down) {
        char line[64];
        std::snprintf(line, sizeof line, "@%d key 0x%02X %s", frame, vk, down ? "down" : "up");
        return std::string(line);
    };
    return {key(play, 0x27, true), key(play + 136, 0x5A, true), key(play + 166, 0x5A, false),
            key(play + 214, 0x5A, true), key(play + 244, 0x5A, false)};
}

// The direct play of forest-1: after the goal, F3 on the result shows the rankings (a wait on
// the ranking thread), and the close comes while they are shown.
constexpr int kDirectPlayBegins = 91;
std::vector<std::string> CloseInTheRankingWait() {
    std::vector<std::string> script = ForestGoalKeys(kDirectPlayBegins);
    const int clear = kDirectPlayBegins + kGoalClearAfter;
    script.push_back("@" + std::to_string(clear + 30) + " key 0x72 down");
    script.push_back("@" + std::to_string(clear + 34) + " key 0x72 up");
    script.push_back("@" + std::to_string(clear + 60) + " close");
    return script;
}

// The talk stage: right walks the hero to the signpost, whose first message waits for the
// progress key from its frame 123 on; two presses answer both messages, and a game wait of 60
// frames follows. `last` is the script's closing line.
std::vector<std::string> TalkUntil(bool answered, const std::string& last) {
    std::vector<std::string> script = {"@91 key 0x27 down", "@131 key 0x27 up"};
    if (answered) {
        for (const char* line :
             {"@150 key 0x5A down", "@152 key 0x5A up", "@160 key 0x5A down", "@162 key 0x5A up"})
            script.push_back(line);
    }
    script.push_back(last);
    return script;
}

// Esc and the close box end the program in order from the title, from play, from the pause
// thread's waits (a message, a game wait) and from the ranking display's wait, in each back
// end, and quickly: the time from the close's first line
// to the process's end is measured (the figure is printed; the bound leaves room for a loaded
// machine).
struct CloseCase {
    const char* name;
    PlayerConfig config;
    const char* stage;                // "" for the title
    std::vector<std::string> script;  // its last line asks for the close
    bool rankingWait = false;         // the close comes while the rankings are shown
    // A line of the error log that shows the wait under way before the close (a pause-thread
    // wait's opening sound).
    const char* waitStarted = nullptr;
};

const CloseCase kCloseCases[] = {
    {"EscTitleD3D", kWindow, "", {"@20 key 0x1B down"}},
    {"CloseBoxTitleDD", kDDWindow, "", {"@20 close"}},
    {"EscPlayDD", kDDWindow, "data\\stg4\\test-play.stg4", {"@30 key 0x1B down"}},
    {"CloseBoxPlayFull", kFull, "data\\stg4\\test-play.stg4", {"@30 close"}},
    {"CloseBoxRankingWaitD3D", kWindow, "data\\stg4\\forest-1.stg4", CloseInTheRankingWait(), true},
    {"CloseBoxMessageWaitDD", kDDWindow, "data\\stg4\\test-talk.stg4",
     TalkUntil(false, "@140 close"), false, "PlaySE 11\r\n"},
    {"EscGameWaitD3D", kWindow, "data\\stg4\\test-talk.stg4", TalkUntil(true, "@190 key 0x1B down"),
     false, "PlaySE 12\r\n"},
};

void PrintTo(const CloseCase& c, std::ostream* os) {
    *os << c.name;
}

class ShellClose : public ::testing::TestWithParam<CloseCase> {};

TEST_P(ShellClose, EndsInOrderAndQuickly) {
    const CloseCase& c = GetParam();
    PlayerProject project;
    ASSERT_TRUE(project.Make(c.config));
    PlayerRun run;
    run.stage = c.stage;
    run.script = c.script;
    run.capture = {1};
    const std::uint64_t started = plat::RealMilliseconds();
    const pid_t child = project.Start(run);
    ASSERT_GT(child, 0);
    // Watch for the first frame and for the close's first line, then for the end.
    const std::string firstFrame = project.dir + "/frames/frame_000001.png";
    std::uint64_t firstFrameAt = 0, closeAt = 0, endedAt = 0;
    int status = 0;
    const std::uint64_t limit = started + 60000;
    while (plat::RealMilliseconds() < limit) {
        const std::uint64_t now = plat::RealMilliseconds();
        if (!firstFrameAt && std::filesystem::exists(firstFrame)) firstFrameAt = now;
        if (!closeAt && PlayerProject::ReadFile(project.Path("EC_Game.txt")).find("WM_CLOSE") !=
                            std::string::npos)
            closeAt = now;
        if (waitpid(child, &status, WNOHANG) == child) {
            endedAt = now;
            break;
        }
        usleep(1000);
    }
    if (!endedAt) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "the run did not end";
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    ASSERT_NE(closeAt, 0u);
    std::printf("[ figures ] %s: start to first frame %llu ms, close to exit %llu ms\n", c.name,
                static_cast<unsigned long long>(firstFrameAt ? firstFrameAt - started : 0),
                static_cast<unsigned long long>(endedAt - closeAt));
    // 300 ms is the goal on a quiet machine; a loaded one gets three times that.
    EXPECT_LT(endedAt - closeAt, 900u);
    PlayerResult result;
    result.errorLog = PlayerProject::ReadFile(project.Path("EC_Game.txt"));
    result.reportLog = PlayerProject::ReadFile(project.Path("Report_Game.txt"));
    ExpectOrderlyClose(result);
    EXPECT_TRUE(LeftOvers(project.Path("user_data")).empty());
    if (c.waitStarted) {
        // The wait began, and the close came before the game went on: nothing after the
        // wait's start but the close.
        const std::size_t started = result.errorLog.rfind(c.waitStarted);
        const std::size_t close = result.errorLog.find("WM_CLOSE 成功！");
        ASSERT_LT(started, close) << result.errorLog;
        EXPECT_EQ(result.errorLog.find("PlaySE", started + 1), std::string::npos)
            << result.errorLog;
    }
    if (c.rankingWait) {
        // The rankings were entered (their sound asked for) before the close, and no button
        // ended their display.
        const std::size_t entered = result.errorLog.find("PlaySE 16");
        EXPECT_LT(entered, result.errorLog.find("WM_CLOSE 成功！")) << result.errorLog;
        EXPECT_EQ(result.errorLog.find("PlaySE 1\r\n", entered), std::string::npos)
            << result.errorLog;
    }
}

INSTANTIATE_TEST_SUITE_P(Scenes, ShellClose, ::testing::ValuesIn(kCloseCases),
                         [](const ::testing::TestParamInfo<CloseCase>& info) {
                             return std::string(info.param.name);
                         });

// One running copy. The first copy runs on the real clock (it waits for the test, not for
// frames); the lock it holds is in the project's own runtime folder.
class ShellSingleInstance : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(project.Make(kWindow));
        PlayerRun first;
        first.env = {{"K4_CLOCK", "real"}};
        firstPid = project.Start(first, "first.txt");
        ASSERT_GT(firstPid, 0);
        // Started when its window thread has begun the game thread.
        const std::uint64_t limit = plat::RealMilliseconds() + 60000;
        while (plat::RealMilliseconds() < limit &&
               PlayerProject::ReadFile(project.Path("EC_Game.txt")).find("J\r\n") ==
                   std::string::npos)
            usleep(5000);
        ASSERT_NE(PlayerProject::ReadFile(project.Path("EC_Game.txt")).find("J\r\n"),
                  std::string::npos);
    }
    void TearDown() override {
        if (firstPid > 0) {
            kill(firstPid, SIGKILL);
            waitpid(firstPid, nullptr, 0);
        }
    }
    bool FirstRuns() const { return waitpid(firstPid, nullptr, WNOHANG) == 0; }

    PlayerProject project;
    pid_t firstPid = -1;
};

const char kRestartQuestion[] = "既に起動しています。";

TEST_F(ShellSingleInstance, NoLeavesTheRunningCopy) {
    PlayerRun second;
    second.quitAfter = 5;
    second.script = {"box no"};
    const PlayerResult result = project.Run(second);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.boxLog.find(Utf8(kRestartQuestion)), std::string::npos) << result.boxLog;
    EXPECT_NE(result.boxLog.find(Utf8("二重起動")), std::string::npos) << result.boxLog;
    EXPECT_TRUE(FirstRuns());
}

TEST_F(ShellSingleInstance, YesEndsTheRunningCopyAndRunsInstead) {
    PlayerRun second;
    second.quitAfter = 5;
    second.script = {"box yes"};
    const PlayerResult result = project.Run(second);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 0);
    ExpectOrderlyClose(result);
    int status = 0;
    ASSERT_EQ(waitpid(firstPid, &status, 0), firstPid);
    firstPid = -1;
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(result.reportLog.find("unguarded"), std::string::npos) << result.reportLog;
}

TEST_F(ShellSingleInstance, ARefusedEndShowsTheFailureAndExits) {
    PlayerRun second;
    second.quitAfter = 5;
    second.script = {"box yes"};
    second.env = {{"K4_FAIL", "terminate_process"}};
    const PlayerResult result = project.Run(second);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.boxLog.find(Utf8("プログラムの終了に失敗しました。")), std::string::npos)
        << result.boxLog;
    EXPECT_TRUE(FirstRuns());
}

TEST(ShellSingleInstanceStale, ALockFileLeftByAKilledCopyAsksNothing) {
    PlayerProject project;
    ASSERT_TRUE(project.Make(kWindow));
    PlayerRun first;
    first.env = {{"K4_CLOCK", "real"}};
    const pid_t pid = project.Start(first, "first.txt");
    ASSERT_GT(pid, 0);
    const std::uint64_t limit = plat::RealMilliseconds() + 60000;
    while (plat::RealMilliseconds() < limit &&
           PlayerProject::ReadFile(project.Path("EC_Game.txt")).find("J\r\n") == std::string::npos)
        usleep(5000);
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    ASSERT_TRUE(std::filesystem::exists(project.dir + "/kestrune4.lock"));
    PlayerRun second;
    second.quitAfter = 5;
    const PlayerResult result = project.Run(second);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.boxLog.find(Utf8(kRestartQuestion)), std::string::npos) << result.boxLog;
}

// The editor's window: a datagram socket the test listens on.
class ShellEditor : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(project.Make(kWindow));
        path = project.dir + "/editor.sock";
        fd = socket(AF_UNIX, SOCK_DGRAM, 0);
        ASSERT_GE(fd, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        ASSERT_LT(path.size(), sizeof address.sun_path);
        std::strcpy(address.sun_path, path.c_str());
        ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    }
    void TearDown() override {
        if (fd >= 0) close(fd);
    }
    // The notifications received, as "window-given dwData cbData value".
    std::vector<std::string> Received() {
        std::vector<std::string> out;
        std::uint8_t buffer[64];
        for (;;) {
            const ssize_t n = recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
            if (n < 0) break;
            std::uint32_t v[4] = {};
            std::memcpy(v, buffer, std::min<std::size_t>(static_cast<std::size_t>(n), 16));
            out.push_back(std::string(v[0] ? "window " : "none ") + std::to_string(v[1]) + " " +
                          std::to_string(v[2]) + " " + std::to_string(v[3]) +
                          (n == 16 ? "" : " (size " + std::to_string(n) + ")"));
        }
        return out;
    }

    PlayerProject project;
    std::string path;
    int fd = -1;
};

TEST_F(ShellEditor, ATestPlayTellsItsStartAndItsEnd) {
    PlayerRun run;
    run.showCmd = 5;
    run.quitAfter = 5;
    run.env = {{"K4_EDITOR_SOCKET", path}};
    const PlayerResult result = project.Run(run);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(Received(), (std::vector<std::string>{"window 1 4 1", "none 0 4 1"}));
}

TEST_F(ShellEditor, AFailedStartTellsOnlyItsFailure) {
    PlayerRun run;
    run.showCmd = 5;
    run.quitAfter = 5;
    run.env = {{"K4_EDITOR_SOCKET", path}, {"K4_FAIL", "d3d_create,ddraw_create"}};
    const PlayerResult result = project.Run(run);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(Received(), (std::vector<std::string>{"window 1 4 1", "window 0 4 0"}));
}

TEST_F(ShellEditor, AnotherShowCommandTellsNothing) {
    PlayerRun run;
    run.showCmd = 1;
    run.quitAfter = 5;
    run.env = {{"K4_EDITOR_SOCKET", path}};
    const PlayerResult result = project.Run(run);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(Received().empty());
}

// Start problems: what is damaged, the box text (UTF-8 in the box log, "" for none), the
// report-log line (CP932, "" for none), and whether the program still plays.
struct StartProblem {
    const char* name;
    void (*damage)(const PlayerProject&);
    const char* box;
    const char* reportLine;
    bool plays;
    const char* stage = "";
    std::vector<std::pair<std::string, std::string>> env = {};
};

void Remove(const PlayerProject& p, const char* relative) {
    std::error_code ec;
    std::filesystem::remove_all(p.Path(relative), ec);
}

void Cut(const PlayerProject& p, const char* relative, std::size_t keep) {
    std::string bytes = PlayerProject::ReadFile(p.Path(relative));
    bytes.resize(std::min(bytes.size(), keep));
    WriteFile(p.Path(relative), bytes);
}

const StartProblem kStartProblems[] = {
    {"NoDataNorDefault",
     [](const PlayerProject& p) {
         Remove(p, "data");
         Remove(p, "default");
     },
     "「data」フォルダの作成に失敗…", "「data」フォルダの作成に失敗…", false},
    {"DatabaseTableMissing",
     [](const PlayerProject& p) {
         for (const auto& e : std::filesystem::directory_iterator(p.Path("data/database"))) {
             std::filesystem::remove(e.path());
             break;
         }
     },
     "データベースの読み込みに失敗…", "データベースの読み込みに失敗…", false},
    // A cut System.dat is read as far as it goes (the rest keeps its defaults), and said.
    {"SystemDatCut", [](const PlayerProject& p) { Cut(p, "data/System.dat", 30); }, "",
     "System.dat : read stopped at offset", true},
    {"SystemDatEmpty", [](const PlayerProject& p) { Cut(p, "data/System.dat", 0); },
     "の読み込みに失敗…", "の読み込みに失敗…", false},
    {"NoSystemIni", [](const PlayerProject& p) { Remove(p, "System.ini"); },
     "System.ini の読み込みに失敗しました！", "System.ini の読み込みに失敗しました！", true},
    {"WorldMapMissing", [](const PlayerProject& p) { Remove(p, "data/WorldMap.dat"); },
     "のロードに失敗！", "WorldMap.dat のロードに失敗！", false},
    {"CommonPaletteDamaged", [](const PlayerProject& p) { Cut(p, "data/CommonPalette.cplt4", 3); },
     "のロードに失敗！", "CommonPalette.cplt4 のロードに失敗！", false},
    {"DisplayStepFails",
     [](const PlayerProject&) {},
     "",
     "DDInit失敗",
     false,
     "",
     {{"K4_FAIL", "d3d_create,ddraw_create"}}},
    {"DirectPlayStageMissing", [](const PlayerProject&) {}, "",
     "「data\\stg4\\no-such-stage.stg4」の読み込みに失敗しました！", true,
     "data\\stg4\\no-such-stage.stg4"},
    {"DirectPlayStageDamaged",
     [](const PlayerProject& p) { Cut(p, "data/stg4/test-play.stg4_000", 40); }, "ステージファイル",
     "", false, "data\\stg4\\test-play.stg4"},
};

class ShellStartProblem : public ::testing::TestWithParam<StartProblem> {};

TEST_P(ShellStartProblem, SaysWhyAndEndsOrPlaysOn) {
    const StartProblem& c = GetParam();
    PlayerProject project;
    ASSERT_TRUE(project.Make(kWindow));
    c.damage(project);
    std::string dataBefore;
    if (std::filesystem::exists(project.Path("data/System.dat")))
        dataBefore = PlayerProject::ReadFile(project.Path("data/System.dat"));
    PlayerRun run;
    run.stage = c.stage;
    run.quitAfter = 5;
    run.env = c.env;
    const PlayerResult result = project.Run(run);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, c.plays ? 0 : 1) << result.reportLog;
    if (*c.box)
        EXPECT_NE(result.boxLog.find(Utf8(c.box)), std::string::npos) << result.boxLog;
    else
        EXPECT_EQ(result.boxLog.find("box "), std::string::npos) << result.boxLog;
    if (*c.reportLine)
        EXPECT_NE(result.reportLog.find(c.reportLine), std::string::npos) << result.reportLog;
    // The machine's description comes first in every case.
    EXPECT_EQ(result.reportLog.rfind("App : ver 747", 0), 0u) << result.reportLog;
    if (c.plays) ExpectOrderlyClose(result);
    // The project's data is read, never written.
    if (!dataBefore.empty())
        EXPECT_EQ(PlayerProject::ReadFile(project.Path("data/System.dat")), dataBefore);
}

INSTANTIATE_TEST_SUITE_P(Table, ShellStartProblem, ::testing::ValuesIn(kStartProblems),
                         [](const ::testing::TestParamInfo<StartProblem>& info) {
                             return std::string(info.param.name);
                         });

TEST(ShellStart, AnUncreatableReportLogEndsSilently) {
    PlayerProject project;
    ASSERT_TRUE(project.Make(kWindow));
    // A folder where the log would be: it cannot be created as a file.
    std::filesystem::create_directories(project.Path("Report_Game.txt"));
    PlayerRun run;
    run.quitAfter = 5;
    const PlayerResult result = project.Run(run);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.boxLog, "");
    EXPECT_FALSE(std::filesystem::exists(project.dir + "/kestrune4.lock"));
}

TEST(ShellStart, TheReportLogDescribesTheMachineAndTheDisplay) {
    PlayerProject project;
    ASSERT_TRUE(project.Make(kWindow));
    PlayerRun run;
    run.quitAfter = 5;
    const PlayerResult result = project.Run(run);
    ASSERT_EQ(result.exitCode, 0);
    const char* order[] = {"App : ver 747", "OS : Linux ",  "CPU : ",      "Mem Total : ",
                           "Mem Free : ",   "Vir Total : ", "Vir Free : ", "HD Free : ",
                           "Mode : Window", "Bpp : 32",     "DDI : ",      "TextureMaxSize : ("};
    std::size_t at = 0;
    for (const char* line : order) {
        const std::size_t found = result.reportLog.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << "\n" << result.reportLog;
        at = found;
    }
}

// Free play from the title: the stage chooser the window thread shows picks the test stage,
// which then plays; a cancelled chooser leaves the title where it was.
TEST(ShellFreePlay, TheTitlesFreeItemChoosesAStageThatPlays) {
    PlayerProject project;
    ASSERT_TRUE(project.Make(kWindow));
    PlayerRun run;
    run.quitAfter = 150;
    run.stateLog = project.Path("state.log");
    run.script = TitleFreeItemKeys();
    run.script.push_back("dialog open data\\stg4\\test-play.stg4_000");
    const PlayerResult result = project.Run(run);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.boxLog.find("dialog open -> "), std::string::npos) << result.boxLog;
    EXPECT_NE(result.boxLog.find("test-play.stg4_000"), std::string::npos) << result.boxLog;
    // The game scene ran its frames.
    EXPECT_FALSE(PlayerProject::ReadFile(run.stateLog).empty());
    ExpectOrderlyClose(result);

    std::remove(run.stateLog.c_str());
    run.script.back() = "dialog open cancel";
    const PlayerResult cancelled = project.Run(run);
    EXPECT_EQ(cancelled.exitCode, 0);
    EXPECT_NE(cancelled.boxLog.find("dialog open -> cancel"), std::string::npos)
        << cancelled.boxLog;
    EXPECT_TRUE(PlayerProject::ReadFile(run.stateLog).empty());
}

}  // namespace

// The whole player in a real window (under xvfb-run from scripts/test), used through the X
// server as a person uses it: the Esc key and the window manager's close box end it in order
// and quickly; the window opens centred and, once moved, where it was left; a sizable window
// keeps its client size; a full-screen display steps aside for the stage chooser and comes
// back, and the chosen stage plays.
// The player runs in a process of its own on the real clock; every wait is polled with a
// generous limit, as other work may load the machine. Without a display the tests skip.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "e2e/x_input.h"
#include "player_harness.h"
#include "shell_checks.h"

namespace {

using namespace shell_checks;

// xvfb-run's screen.
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;

// The limits of the waits: a start on a loaded machine, a step of the window system.
constexpr std::uint64_t kStartMs = 60000;
constexpr std::uint64_t kStepMs = 15000;

class RealShell : public ::testing::Test {
protected:
    void SetUp() override {
        if (!xinput::Available())
            GTEST_SKIP() << "no X server with XTest (scripts/test runs this under xvfb-run)";
    }
    void TearDown() override {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

    // Starts the player in a real window on the real clock, in a process of its own.
    void Start(PlayerRun run) {
        run.ownProcess = true;
        // GTK's settings stay in memory: the test's X server has no session bus to keep them.
        run.env.insert(
            run.env.begin(),
            {{"K4_HEADLESS", "0"}, {"K4_CLOCK", "real"}, {"GSETTINGS_BACKEND", "memory"}});
        startedAt_ = plat::RealMilliseconds();
        pid_ = project.Start(run);
        ASSERT_GT(pid_, 0);
    }

    // True once the player has ended (it is not reaped: Finish collects it).
    bool Ended() const {
        siginfo_t info{};
        return waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
               info.si_pid == pid_;
    }

    // Polls `done` until it holds (true), the time runs out or the player ends (false).
    bool WaitFor(const std::function<bool()>& done, std::uint64_t limitMs = kStepMs) const {
        const std::uint64_t end = plat::RealMilliseconds() + limitMs;
        for (;;) {
            if (done()) return true;
            if (Ended() || plat::RealMilliseconds() > end) return done();
            usleep(2000);
        }
    }

    // The player's window once it shows, with the keyboard focus (frames run only while
    // the program is active); 0 when none came.
    unsigned long GameWindow() {
        std::vector<unsigned long> windows;
        WaitFor([&] { return !(windows = xinput::WindowsOfProcess(pid_)).empty(); }, kStartMs);
        if (windows.empty()) return 0;
        xinput::Focus(windows.front());
        return windows.front();
    }

    // Another window of the player than `game` (a dialog), or 0.
    unsigned long OtherWindow(unsigned long game) const {
        for (unsigned long w : xinput::WindowsOfProcess(pid_))
            if (w != game) return w;
        return 0;
    }

    static xinput::Geometry GeometryOf(unsigned long window) {
        xinput::Geometry g;
        xinput::GetGeometry(window, &g);
        return g;
    }
    static bool HasSize(unsigned long window, int width, int height) {
        const xinput::Geometry g = GeometryOf(window);
        return g.width == width && g.height == height;
    }
    static bool StandsAt(unsigned long window, int x, int y) {
        const xinput::Geometry g = GeometryOf(window);
        return g.x == x && g.y == y && g.width == 640 && g.height == 480;
    }

    bool FrameCaptured(int n) const {
        char name[64];
        std::snprintf(name, sizeof name, "/frames/frame_%06d.png", n);
        return std::filesystem::exists(project.dir + name);
    }

    // Waits for the end (at most 30 s) and reads what the run left.
    PlayerResult Finish() {
        const PlayerResult result = project.Collect(pid_, 30);
        pid_ = -1;
        return result;
    }

    // Closes through the window manager's close box and expects the ordered end.
    PlayerResult CloseInOrder(unsigned long window) {
        xinput::RequestClose(window);
        const PlayerResult result = Finish();
        EXPECT_TRUE(result.ended);
        EXPECT_EQ(result.exitCode, 0) << result.reportLog;
        ExpectOrderlyClose(result);
        return result;
    }

    PlayerProject project;
    pid_t pid_ = -1;
    std::uint64_t startedAt_ = 0;
};

// Esc and the close box end the program in order from the title and from play, in each back
// end, and quickly. Printed: start to the window shown, start to first frame (the test gives
// the window the focus as soon as it shows) and key or close box to the process's end.
struct RealCloseCase {
    const char* name;
    PlayerConfig config;
    const char* stage;  // "" for the title
    bool escape;        // the Esc key; else the close box
};

const RealCloseCase kRealCloseCases[] = {
    {"EscTitleD3D", {"D3D32Window", 1, 1, 32}, "", true},
    {"EscPlayDD", {"DD32Window", 0, 1, 32}, "data\\stg4\\test-play.stg4", true},
    {"CloseBoxPlayD3D", {"D3D32Window", 1, 1, 32}, "data\\stg4\\test-play.stg4", false},
    {"CloseBoxTitleDD", {"DD32Window", 0, 1, 32}, "", false},
};

void PrintTo(const RealCloseCase& c, std::ostream* os) {
    *os << c.name;
}

class RealWindowClose : public RealShell, public ::testing::WithParamInterface<RealCloseCase> {};

TEST_P(RealWindowClose, EndsInOrderAndQuickly) {
    const RealCloseCase& c = GetParam();
    ASSERT_TRUE(project.Make(c.config));
    PlayerRun run;
    run.stage = c.stage;
    run.capture = {1, 30};
    Start(run);
    const unsigned long window = GameWindow();
    ASSERT_NE(window, 0u) << "no window";
    const std::uint64_t shownAt = plat::RealMilliseconds();
    std::uint64_t firstFrameAt = 0;
    ASSERT_TRUE(WaitFor(
        [&] {
            if (!firstFrameAt && FrameCaptured(1)) firstFrameAt = plat::RealMilliseconds();
            return FrameCaptured(30);
        },
        kStartMs))
        << "frames do not run";
    const std::uint64_t askedAt = plat::RealMilliseconds();
    if (c.escape)
        xinput::Tap("Escape");
    else
        xinput::RequestClose(window);
    ASSERT_TRUE(WaitFor([&] { return Ended(); }, 10000)) << "the run did not end";
    const std::uint64_t endedAt = plat::RealMilliseconds();
    const PlayerResult result = Finish();
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 0) << result.reportLog;
    ExpectOrderlyClose(result);
    EXPECT_TRUE(LeftOvers(project.Path("user_data")).empty());
    std::printf(
        "[ figures ] real window %s: start to window shown %llu ms, to first frame %llu ms, %s "
        "to exit %llu ms\n",
        c.name, static_cast<unsigned long long>(shownAt - startedAt_),
        static_cast<unsigned long long>(firstFrameAt - startedAt_), c.escape ? "Esc" : "close box",
        static_cast<unsigned long long>(endedAt - askedAt));
    // 300 ms is the goal on a quiet machine; a loaded one gets three times that.
    EXPECT_LT(endedAt - askedAt, 900u);
}

INSTANTIATE_TEST_SUITE_P(Scenes, RealWindowClose, ::testing::ValuesIn(kRealCloseCases),
                         [](const ::testing::TestParamInfo<RealCloseCase>& info) {
                             return std::string(info.param.name);
                         });

// No Window.dat: the window opens centred; moved by the window system and closed, it opens
// where it was left the next time.
TEST_F(RealShell, TheWindowOpensCentredAndThenWhereItWasLeft) {
    ASSERT_TRUE(project.Make({"D3D32Window", 1, 1, 32}));
    const std::string file = project.Path("user_data/Window.dat");
    Start(PlayerRun{});
    unsigned long window = GameWindow();
    ASSERT_NE(window, 0u) << "no window";
    EXPECT_TRUE(WaitFor([&] { return StandsAt(window, kCentreX, kCentreY); }))
        << GeometryOf(window).x << ", " << GeometryOf(window).y;
    xinput::Move(window, 200, 120);
    ASSERT_TRUE(WaitFor([&] { return StandsAt(window, 200, 120); }));
    CloseInOrder(window);
    EXPECT_EQ(PlayerProject::ReadFile(file), PlacementBytes(200, 120, 640, 480, 0));

    Start(PlayerRun{});
    window = GameWindow();
    ASSERT_NE(window, 0u) << "no window";
    EXPECT_TRUE(WaitFor([&] { return StandsAt(window, 200, 120); }))
        << GeometryOf(window).x << ", " << GeometryOf(window).y;
    CloseInOrder(window);
    EXPECT_EQ(PlayerProject::ReadFile(file), PlacementBytes(200, 120, 640, 480, 0));
}

// A sizable Direct3D window (WindowMode 2) opens with the client size it was closed with, and
// the size a person drags it to is the one kept for the next start.
TEST_F(RealShell, ASizableDirect3DWindowKeepsItsClientSize) {
    ASSERT_TRUE(project.Make({"D3D32Sizable", 1, 2, 32}));
    const std::string file = project.Path("user_data/Window.dat");
    WriteFile(file, PlacementBytes(40, 50, 800, 600, 0));
    Start(PlayerRun{});
    const unsigned long window = GameWindow();
    ASSERT_NE(window, 0u) << "no window";
    EXPECT_TRUE(WaitFor([&] { return HasSize(window, 800, 600); }))
        << GeometryOf(window).width << " x " << GeometryOf(window).height;
    xinput::Resize(window, 720, 500);
    ASSERT_TRUE(WaitFor([&] { return HasSize(window, 720, 500); }));
    CloseInOrder(window);
    EXPECT_EQ(PlayerProject::ReadFile(file), PlacementBytes(40, 50, 720, 500, 0));
}

// Full screen (WindowMode 0), in both back ends: the title's フリー opens the stage chooser,
// for which the display leaves full screen; the name typed into the chooser is taken, full
// screen comes back and the chosen stage plays.
class RealShellFullScreen : public RealShell, public ::testing::WithParamInterface<PlayerConfig> {};

TEST_P(RealShellFullScreen, StepsAsideForTheStageChooserAndTheChosenStagePlays) {
    ASSERT_TRUE(project.Make(GetParam()));
    PlayerRun run;
    run.stateLog = project.Path("state.log");
    run.script = TitleFreeItemKeys();
    Start(run);
    const unsigned long window = GameWindow();
    ASSERT_NE(window, 0u) << "no window";
    EXPECT_TRUE(WaitFor([&] { return HasSize(window, kScreenWidth, kScreenHeight); }))
        << "not full screen at the title";

    unsigned long chooser = 0;
    ASSERT_TRUE(WaitFor([&] { return (chooser = OtherWindow(window)) != 0; }, kStartMs))
        << "no chooser";
    EXPECT_TRUE(WaitFor([&] { return HasSize(window, 640, 480); }))
        << "full screen while the chooser is open: " << GeometryOf(window).width << " x "
        << GeometryOf(window).height;
    // The person types the name into the chooser's location field; a chooser that was not
    // ready for the keys yet gets them again.
    EXPECT_TRUE(WaitFor(
        [&] {
            if (!OtherWindow(window)) return true;
            xinput::Focus(chooser);
            xinput::Tap("l", true);
            xinput::Tap("a", true);
            xinput::Type("test-play.stg4_000");
            xinput::Tap("Return");
            return WaitFor([&] { return OtherWindow(window) == 0; }, 3000);
        },
        kStartMs))
        << "the chooser stays";
    EXPECT_TRUE(WaitFor([&] { return HasSize(window, kScreenWidth, kScreenHeight); }))
        << "not full screen after the chooser";
    xinput::Focus(window);
    EXPECT_TRUE(WaitFor([&] { return !PlayerProject::ReadFile(run.stateLog).empty(); }))
        << "the chosen stage does not play";
    const PlayerResult result = CloseInOrder(window);
    EXPECT_NE(result.boxLog.find("test-play.stg4_000"), std::string::npos) << result.boxLog;
}

INSTANTIATE_TEST_SUITE_P(BackEnds, RealShellFullScreen,
                         ::testing::Values(PlayerConfig{"D3D16Full", 1, 0, 16},
                                           PlayerConfig{"DD16Full", 0, 0, 16}),
                         PlayerConfigName);

}  // namespace

// The one harness of the end-to-end runs: the generator's sample project in a fresh folder,
// a System.ini for the display configuration under test, and the player started in a child
// process through the start-up function with the error log on and the seams of the platform
// layer (headless, the virtual clock, a script, a frame to quit after, captured frames); a run
// with a real window starts it in a fresh image of this program instead.
// The parent only waits (bounded) and reads what the run left: its exit code, the logs,
// the boxes it showed and the captured frames.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "gen/project.h"
#include "platform/clock.h"
#include "platform/frame.h"
#include "platform/image_decoder.h"
#include "platform/presenter.h"
#include "platform/seams.h"
#include "shell/shell_globals.h"
#include "shell/startup.h"

struct PlayerConfig {
    const char* name;
    int direct3D;
    int windowMode;
    int bpp;
};

inline void PrintTo(const PlayerConfig& c, std::ostream* os) {
    *os << c.name;
}

inline std::string PlayerConfigName(const ::testing::TestParamInfo<PlayerConfig>& info) {
    return info.param.name;
}

// The player's configurations on the headless desktop (32 bits per pixel).
inline const PlayerConfig kPlayerConfigs[] = {
    {"D3D32Window", 1, 1, 32}, {"D3D16Full", 1, 0, 16}, {"DD32Window", 0, 1, 32},
    {"DD16Full", 0, 0, 16},    {"DD8Full", 0, 0, 8},
};
// All six display configurations: the five above and the 16-bit window, which needs a 16-bit
// desktop (PlayerProject::Make sets it).
inline const PlayerConfig kAllPlayerConfigs[] = {
    kPlayerConfigs[0], {"D3D16Window", 1, 1, 16}, kPlayerConfigs[1],
    kPlayerConfigs[2], kPlayerConfigs[3],         kPlayerConfigs[4],
};

struct PlayerRun {
    std::string stage;                // the command line: the stage file to play, or ""
    int showCmd = 1;                  // 5: launched by the editor
    std::vector<std::string> script;  // K4_SCRIPT lines
    int quitAfter = 0;                // K4_QUIT_AFTER
    std::vector<int> capture;         // K4_CAPTURE frames
    int showFps = 0;
    std::string stateLog;  // K4_STATE_LOG: a host path, or "" for none
    int loseDevice = 0;    // K4_LOSE_DEVICE: the frame the display is lost at, 0 never
    std::string audioOut;  // K4_AUDIO_OUT: a host path, or "" for none
    // Run in the child right before the player starts (its globals reset, its seams and
    // clock set): a run that begins in a given scene or with a given progress sets them here.
    std::function<void()> childSetUp;
    // Further environment of the child (K4_FAIL, K4_EDITOR_SOCKET, ...), set last.
    std::vector<std::pair<std::string, std::string>> env;
    // The player in a process image of its own (this program executed again), as the runs
    // with a real window need; `childSetUp` does not run there, and the clock is the seams'.
    bool ownProcess = false;
};

// The environment variable that gives an own-process run its command line.
inline constexpr const char* kOwnProcessCommandLine = "K4_E2E_COMMAND_LINE";

struct PlayerResult {
    bool ended = false;  // within the time limit
    int exitCode = -1;
    int signal = 0;         // the signal that ended the process, 0 for none
    std::string errorLog;   // EC_Game.txt
    std::string reportLog;  // Report_Game.txt
    std::string boxLog;     // the boxes shown (K4_SCRIPT's log)
};

// A captured frame as A8R8G8B8 colours.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    // The pixels of the block-sized cell whose top-left corner is (x, y).
    std::vector<std::uint32_t> Cell(int x, int y) const {
        std::vector<std::uint32_t> out;
        for (int j = 0; j < 32; ++j)
            for (int i = 0; i < 32; ++i) out.push_back(At(x + i, y + j));
        return out;
    }
};

class PlayerProject {
public:
    PlayerProject() {
        char pattern[] = "/tmp/k4-e2e-XXXXXX";
        const char* made = mkdtemp(pattern);
        if (made) dir = made;
    }
    ~PlayerProject() {
        std::error_code ec;
        if (!dir.empty() && std::getenv("K4_KEEP_E2E") == nullptr)
            std::filesystem::remove_all(dir, ec);
    }
    PlayerProject(const PlayerProject&) = delete;
    PlayerProject& operator=(const PlayerProject&) = delete;

    // The sample project with data\ already made, and System.ini for the configuration.
    // `moreIni` holds further "Key=value\r\n" lines before the end line.
    ::testing::AssertionResult Make(const PlayerConfig& config, int showFps = 0,
                                    const std::string& moreIni = "") {
        if (dir.empty()) return ::testing::AssertionFailure() << "no temporary folder";
        std::string error;
        gen::ProjectOptions options;
        options.data = true;
        options.textMenu = textMenu;
        if (!gen::MakeProject(dir + "/project", options, &error))
            return ::testing::AssertionFailure() << "MakeProject: " << error;
        root = dir + "/project";
        // A window takes the desktop's depth: a 16-bit window needs a 16-bit desktop.
        desktopBpp = config.windowMode && config.bpp == 16 ? 16 : 32;
        std::ofstream ini(root + "/System.ini", std::ios::binary);
        ini << "Direct3D=" << config.direct3D << "\r\nWindowMode=" << config.windowMode
            << "\r\nBpp=" << config.bpp << "\r\nVSync=0\r\nShowFps=" << showFps << "\r\n"
            << moreIni << "Exit\r\n";
        return ini ? ::testing::AssertionSuccess()
                   : ::testing::AssertionFailure() << "System.ini not written";
    }

    // A host path inside the project.
    std::string Path(const std::string& relative) const { return root + "/" + relative; }

    // Runs the player in a child process; at most `seconds` of real time.
    PlayerResult Run(const PlayerRun& run, int seconds = 60) const {
        return Collect(Start(run), seconds);
    }

    // Starts the player in a child process and returns at once (-1 when it could not).
    // `scriptName` tells apart the scripts of players that run at the same time.
    pid_t Start(const PlayerRun& run, const std::string& scriptName = "script.txt") const {
        const std::string scriptPath = dir + "/" + scriptName;
        lastScript = scriptPath;
        {
            std::ofstream script(scriptPath, std::ios::binary);
            for (const std::string& line : run.script) script << line << "\n";
        }
        const std::string captureDir = dir + "/frames";
        std::filesystem::create_directories(captureDir);
        std::string capture;
        for (int frame : run.capture)
            capture += (capture.empty() ? "" : ",") + std::to_string(frame);

        const pid_t child = fork();
        if (child < 0) return -1;
        if (child == 0) {
            // The child: the player in the project folder, never back into the test runner.
            if (chdir(root.c_str()) != 0) _exit(90);
            SetChildEnvironment(run, scriptPath, capture.empty() ? "" : capture + ":" + captureDir);
            if (run.ownProcess) {
                // A fresh image of this test program runs the player alone: nothing of the
                // window system this process may have opened is shared with it.
                setenv(kOwnProcessCommandLine, run.stage.c_str(), 1);
                // The test framework's lines of the new image are not this test's.
                const int quiet = open("/dev/null", O_WRONLY);
                if (quiet >= 0) dup2(quiet, STDOUT_FILENO);
                execl("/proc/self/exe", "test_e2e", "--gtest_also_run_disabled_tests",
                      "--gtest_filter=DISABLED_PlayerProcess.Run", static_cast<char*>(nullptr));
                _exit(91);
            }
            const plat::Seams seams =
                plat::ParseSeams([](const char* name) -> const char* { return std::getenv(name); });
            // What an earlier test of this process may have left: a fresh start.
            ResetShellGlobals();
            plat::SetSeams(seams);
            // The clock the seams ask for: this process may have chosen another before.
            if (seams.virtualClock)
                plat::UseVirtualClock(seams.clockStart);
            else
                plat::UseRealClock();
            if (run.childSetUp) run.childSetUp();
            PlayerStart start;
            start.commandLine = run.stage;
            start.showCmd = run.showCmd;
            start.errorLog = true;
            _exit(RunPlayer(start));
        }
        return child;
    }

    // The child's seams: headless on the virtual clock unless the run's own environment,
    // set last, says otherwise.
    void SetChildEnvironment(const PlayerRun& run, const std::string& scriptPath,
                             const std::string& capture) const {
        setenv("K4_HEADLESS", "1", 1);
        setenv("K4_CLOCK", "virtual", 1);
        setenv("K4_SCRIPT", scriptPath.c_str(), 1);
        if (desktopBpp == 16) setenv("K4_DESKTOP_BPP", "16", 1);
        if (run.quitAfter > 0) setenv("K4_QUIT_AFTER", std::to_string(run.quitAfter).c_str(), 1);
        if (!capture.empty()) setenv("K4_CAPTURE", capture.c_str(), 1);
        setenv("K4_SHOWCMD", std::to_string(run.showCmd).c_str(), 1);
        if (!run.stateLog.empty()) setenv("K4_STATE_LOG", run.stateLog.c_str(), 1);
        if (run.loseDevice > 0) setenv("K4_LOSE_DEVICE", std::to_string(run.loseDevice).c_str(), 1);
        if (!run.audioOut.empty()) setenv("K4_AUDIO_OUT", run.audioOut.c_str(), 1);
        // The one-copy lock of this project's runs: never one of another test's.
        setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
        for (const auto& [name, value] : run.env) setenv(name.c_str(), value.c_str(), 1);
    }

    // Waits (at most `seconds` of real time, then kills it) for a child of Start and reads
    // what its run left.
    PlayerResult Collect(pid_t child, int seconds = 60, const std::string& scriptName = "") const {
        PlayerResult result;
        if (child < 0) return result;
        const std::string scriptPath = scriptName.empty() ? lastScript : dir + "/" + scriptName;
        const std::uint64_t end =
            plat::RealMilliseconds() + static_cast<std::uint64_t>(seconds) * 1000;
        int status = 0;
        while (plat::RealMilliseconds() < end) {
            const pid_t done = waitpid(child, &status, WNOHANG);
            if (done == child) {
                result.ended = true;
                break;
            }
            usleep(5000);
        }
        if (!result.ended) {
            kill(child, SIGKILL);
            waitpid(child, &status, 0);
        }
        if (result.ended && WIFEXITED(status)) result.exitCode = WEXITSTATUS(status);
        if (result.ended && WIFSIGNALED(status)) result.signal = WTERMSIG(status);
        result.errorLog = ReadFile(Path("EC_Game.txt"));
        result.reportLog = ReadFile(Path("Report_Game.txt"));
        result.boxLog = ReadFile(scriptPath + ".log");
        // Every run must end its game thread before it releases what the thread draws with.
        EXPECT_EQ(result.reportLog.find("did not end"), std::string::npos) << result.reportLog;
        return result;
    }

    // The frame captured as frame N by the last run; empty when there is none.
    Frame Captured(int n) const {
        Frame frame;
        char name[64];
        std::snprintf(name, sizeof name, "/frames/frame_%06d.png", n);
        const std::string bytes = ReadFile(dir + name);
        plat::DecodedImage image;
        std::string why;
        if (bytes.empty() || !plat::DecodePng(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                              bytes.size(), image, &why))
            return frame;
        frame.width = image.width;
        frame.height = image.height;
        frame.pixels = std::move(image.argb);  // a frame is 1.2 MB: no copy
        return frame;
    }

    static std::string ReadFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::string dir;
    std::string root;
    mutable std::string lastScript;  // the script of the last Start
    int desktopBpp = 32;  // the headless desktop's depth, set by Make for the configuration
    // Set before Make: the title menu drawn as text.
    bool textMenu = false;
};

// The largest volley the editor allows: the sample game's "bench-volley" stage, where a storm
// fires 落雷 of 127 rows × 50 columns in 21 clone passes (133,350 shots) every tenth of a
// second, played directly, headless, on the virtual clock, in a child process as the
// end-to-end tests run the player (DirectDraw, 32 bits, in a window). Prints the wall-clock
// time per frame (the difference of a long and a short run, so that start-up and close drop
// out) and the child's peak resident memory.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "gen/project.h"
#include "platform/clock.h"
#include "platform/frame.h"
#include "platform/host_path.h"
#include "platform/presenter.h"
#include "platform/seams.h"
#include "shell/startup.h"

namespace {

const char kStage[] = "data\\stg4\\bench-volley.stg4";
constexpr int kShortRun = 150;
constexpr int kLongRun = 200;

struct RunResult {
    double ms = -1;
    long maxRssKb = 0;
};

RunResult RunPlayerFor(const std::string& project, int frames) {
    RunResult result;
    const std::uint64_t start = plat::RealMilliseconds();
    const pid_t child = fork();
    if (child < 0) return result;
    if (child == 0) {
        if (chdir(project.c_str()) != 0) _exit(90);
        setenv("K4_HEADLESS", "1", 1);
        setenv("K4_CLOCK", "virtual", 1);
        setenv("K4_QUIT_AFTER", std::to_string(frames).c_str(), 1);
        setenv("K4_DESKTOP_BPP", "32", 1);
        unsetenv("K4_STATE_LOG");
        const plat::Seams seams =
            plat::ParseSeams([](const char* name) -> const char* { return std::getenv(name); });
        plat::SetSeams(seams);
        plat::UseVirtualClock(seams.clockStart);
        plat::ClearPathCache();
        plat::ResetFrames();
        plat::ResetPresenter();
        PlayerStart player;
        player.commandLine = kStage;
        _exit(RunPlayer(player));
    }
    int status = 0;
    rusage usage{};
    if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return result;
    result.ms = static_cast<double>(plat::RealMilliseconds() - start);
    result.maxRssKb = usage.ru_maxrss;
    return result;
}

}  // namespace

int main() {
    char scratch[] = "/tmp/k4-bench-volley-XXXXXX";
    if (!mkdtemp(scratch)) return 1;
    const std::string project = std::string(scratch) + "/project";
    std::string error;
    gen::ProjectOptions options;
    options.data = true;
    if (!gen::MakeProject(project, options, &error)) {
        std::fprintf(stderr, "MakeProject: %s\n", error.c_str());
        return 1;
    }
    {
        std::ofstream ini(project + "/System.ini", std::ios::binary);
        ini << "Direct3D=0\r\nWindowMode=1\r\nBpp=32\r\nVSync=0\r\nShowFps=0\r\nExit\r\n";
    }
    const RunResult shortRun = RunPlayerFor(project, kShortRun);
    const RunResult longRun = RunPlayerFor(project, kLongRun);
    std::filesystem::remove_all(scratch);
    if (shortRun.ms < 0 || longRun.ms < 0) {
        std::fprintf(stderr, "the player run failed\n");
        return 1;
    }
    const double perFrame = (longRun.ms - shortRun.ms) / (kLongRun - kShortRun);
    std::printf("%s: %.2f ms per frame (%d frames: %.0f ms, %d frames: %.0f ms), peak memory "
                "%.1f MiB\n",
                kStage, perFrame, kLongRun, longRun.ms, kShortRun, shortRun.ms,
                longRun.maxRssKb / 1024.0);
    return 0;
}

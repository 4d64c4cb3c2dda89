// How fast a stage plays when nothing holds it back: the sample game's busiest stage
// (bench-heavy: eight backgrounds, both block layers full, sixty characters with gauges and
// icons, the status bar and the time limit) played directly, headless, on the virtual clock
// (whose sleeps return at once, so no frame waits for its time), in a child process per run, as the
// end-to-end tests run the player.
//
//   run/CONFIG/N              N frames in the display configuration CONFIG (each one headless
//                             can play), start-up (the sample project is made beforehand) and
//                             close included
//   run_state_log/CONFIG/N    the same with the per-frame state log written (DirectDraw only)
//
// After the runs the frames per wall-clock second are printed: of the whole run, and of the
// frames alone (the difference between the long and the short run, so that start-up and close
// drop out). Run: scripts/bench (or build-DIR/stage_speed); `--stage=NAME` plays another
// stage of the sample game (e.g. --stage=test-shoot).
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "gen/project.h"
#include "platform/clock.h"
#include "platform/frame.h"
#include "platform/host_path.h"
#include "platform/presenter.h"
#include "platform/seams.h"
#include "shell/startup.h"

namespace {

constexpr int kShortRun = 100;
constexpr int kLongRun = 3100;
std::string g_stage = "data\\stg4\\bench-heavy.stg4";

struct Config {
    const char* name;
    int direct3D;
    int windowMode;
    int bpp;
    int iterations;
    bool withStateLog;  // also measured with the state log on
};
// The six display configurations the player offers. A window takes the desktop's depth, so
// the 16-bit window runs on a headless desktop of 16 bits.
const Config kConfigs[] = {{"D3D32Window", 1, 1, 32, 3, false}, {"D3D16Window", 1, 1, 16, 3, false},
                           {"D3D16Full", 1, 0, 16, 3, false},   {"DD32Window", 0, 1, 32, 3, true},
                           {"DD16Full", 0, 0, 16, 3, false},    {"DD8Full", 0, 0, 8, 3, false}};

std::string g_root;  // the sample project, one per configuration below it

std::string ProjectFor(const Config& config) {
    return g_root + "/" + config.name;
}

bool MakeProjects() {
    for (const Config& config : kConfigs) {
        std::string error;
        gen::ProjectOptions options;
        options.data = true;
        if (!gen::MakeProject(ProjectFor(config), options, &error)) {
            std::fprintf(stderr, "MakeProject: %s\n", error.c_str());
            return false;
        }
        std::ofstream ini(ProjectFor(config) + "/System.ini", std::ios::binary);
        ini << "Direct3D=" << config.direct3D << "\r\nWindowMode=" << config.windowMode
            << "\r\nBpp=" << config.bpp << "\r\nVSync=0\r\nShowFps=0\r\nExit\r\n";
        if (!ini) return false;
    }
    return true;
}

// One run of the player in a child; the wall-clock milliseconds it took, or -1.
double RunPlayerFor(const Config& config, int frames, bool stateLog) {
    const std::string project = ProjectFor(config);
    const std::string log = project + "/state.log";
    std::filesystem::remove(log);
    const std::uint64_t start = plat::RealMilliseconds();
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        if (chdir(project.c_str()) != 0) _exit(90);
        setenv("K4_HEADLESS", "1", 1);
        setenv("K4_CLOCK", "virtual", 1);
        setenv("K4_QUIT_AFTER", std::to_string(frames).c_str(), 1);
        setenv("K4_DESKTOP_BPP", config.windowMode && config.bpp == 16 ? "16" : "32", 1);
        if (stateLog)
            setenv("K4_STATE_LOG", log.c_str(), 1);
        else
            unsetenv("K4_STATE_LOG");
        const plat::Seams seams =
            plat::ParseSeams([](const char* name) -> const char* { return std::getenv(name); });
        plat::SetSeams(seams);
        plat::UseVirtualClock(seams.clockStart);
        plat::ClearPathCache();
        plat::ResetFrames();
        plat::ResetPresenter();
        PlayerStart player;
        player.commandLine = g_stage;
        _exit(RunPlayer(player));
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return -1;
    return static_cast<double>(plat::RealMilliseconds() - start);
}

// Mean wall-clock milliseconds of each benchmark, by name.
std::map<std::string, double> g_ms;

std::string Name(const char* kind, const Config& config, int frames) {
    return std::string(kind) + "/" + config.name + "/" + std::to_string(frames);
}

void Run(benchmark::State& state, Config config, int frames, bool stateLog) {
    double total = 0;
    for (auto _ : state) {
        const double ms = RunPlayerFor(config, frames, stateLog);
        if (ms < 0) {
            state.SkipWithError("the player run failed");
            return;
        }
        state.SetIterationTime(ms / 1000);
        total += ms;
    }
    const double mean = total / static_cast<double>(state.iterations());
    g_ms[Name(stateLog ? "run_state_log" : "run", config, frames)] = mean;
    state.counters["fps"] = frames * 1000.0 / mean;
}

}  // namespace

int main(int argc, char** argv) {
    // --stage=NAME is ours; the rest go to the benchmark library.
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--stage=", 0) == 0)
            g_stage = "data\\stg4\\" + arg.substr(8) + ".stg4";
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    char scratch[] = "/tmp/k4-bench-stage-XXXXXX";
    if (!mkdtemp(scratch)) return 1;
    g_root = scratch;
    if (!MakeProjects()) return 1;

    for (const Config& config : kConfigs) {
        for (bool stateLog : {false, true}) {
            if (stateLog && !config.withStateLog) continue;
            for (int frames : {kShortRun, kLongRun}) {
                benchmark::RegisterBenchmark(
                    Name(stateLog ? "run_state_log" : "run", config, frames).c_str(), Run, config,
                    frames, stateLog)
                    ->UseManualTime()
                    ->Unit(benchmark::kMillisecond)
                    ->Iterations(config.iterations);
            }
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();

    std::printf("\nframes per wall-clock second (%s, headless, virtual clock)\n", g_stage.c_str());
    for (const Config& config : kConfigs) {
        for (const char* kind : {"run", "run_state_log"}) {
            const auto s = g_ms.find(Name(kind, config, kShortRun));
            const auto l = g_ms.find(Name(kind, config, kLongRun));
            if (s == g_ms.end() || l == g_ms.end()) continue;
            const double whole = kLongRun * 1000.0 / l->second;
            const double play = l->second > s->second
                                    ? (kLongRun - kShortRun) * 1000.0 / (l->second - s->second)
                                    : 0;
            std::printf("  %-13s %-12s whole run %8.0f   frames alone %8.0f\n", kind, config.name,
                        whole, play);
        }
    }
    std::filesystem::remove_all(scratch);
    return 0;
}

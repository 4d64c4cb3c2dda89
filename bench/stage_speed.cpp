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
//   effect/CONFIG/E/N         with --effects: N frames with an effect started directly once
//                             play runs (E = scr1..scr13: that screen effect, repeating;
//                             blur, lens, rotate: that character effect on 20 characters)
//
// After the runs the frames per wall-clock second are printed: of the whole run, and of the
// frames alone (the difference between the long and the short run, so that start-up and close
// drop out). Run: scripts/bench (or build-DIR/stage_speed); `--stage=NAME` plays another
// stage of the sample game (e.g. --stage=test-shoot); `--effects` adds the effect runs.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "base/input.h"
#include "data/database.h"
#include "data/effect_records.h"
#include "gen/project.h"
#include "platform/clock.h"
#include "platform/frame.h"
#include "platform/host_path.h"
#include "platform/presenter.h"
#include "platform/seams.h"
#include "scene/scene_manager.h"
#include "shell/startup.h"
#include "stage/game_scene.h"
#include "stage/post_load_tables.h"
#include "stage/stage_objects.h"

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

// The effect of an effect run: a screen-effect kind (1..13), or a character-effect kind
// given to the first kEffectCharas characters; 0 none.
struct EffectRun {
    const char* name = "";
    int screenKind = 0;
    int charaKind = 0;
};
constexpr int kEffectCharas = 20;
constexpr int kEffectShortRun = 100;
constexpr int kEffectLongRun = 1100;

// Every screen-effect and character-effect record n of kind n with the editor's defaults.
void PrepareEffectRecords() {
    EdDatabase.vecScrEffect.resize(kScreenEffectKinds);
    for (int k = 1; k < kScreenEffectKinds; ++k) {
        EdDatabase.vecScrEffect[k].nKind = k;
        for (int i = 0; i < kEffectParamCount; ++i)
            EdDatabase.vecScrEffect[k].anParam[i] = ScreenEffectParamTable[k][i].nDefault;
    }
    EdDatabase.vecCharaEffect.resize(kCharaEffectKinds);
    for (int k = 1; k < kCharaEffectKinds; ++k) {
        EdDatabase.vecCharaEffect[k].nKind = k;
        for (int i = 0; i < kEffectParamCount; ++i)
            EdDatabase.vecCharaEffect[k].anParam[i] = CharaEffectParamTable[k][i].nDefault;
    }
    BuildPostLoadTables();
}

// The scene manager's frame with the run's effect kept running from the first play frame on.
EffectRun g_effect;
int EffectFrame() {
    static bool prepared = false;
    if (!prepared) {
        PrepareEffectRecords();
        prepared = true;
    }
    UpdateMainInput(InputList);
    SceneMgr.PrepareScene(SceneMgr.m_nScene);
    if (cScene* scene = SceneMgr.SceneById(SceneMgr.m_nScene)) scene->Run();
    if (lpGame && lpGame->m_nState == GAMESTATE_PLAY) {
        if (g_effect.screenKind && lpGame->m_ScreenEffect.nNumber == 0)
            lpGame->m_ScreenEffect.Start(g_effect.screenKind, 0, 1);
        int n = 0;
        for (cCharaActor& chara : CharaList) {
            if (!g_effect.charaKind || n++ >= kEffectCharas) break;
            if (chara.m_CharaEffect.nNumber == 0 && !chara.m_bDying)
                chara.m_CharaEffect.Start(g_effect.charaKind, 0, 1);
        }
    }
    PresentFrame();
    return 1;
}

// One run of the player in a child; the wall-clock milliseconds it took, or -1.
double RunPlayerFor(const Config& config, int frames, bool stateLog,
                    const EffectRun* effect = nullptr) {
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
        if (effect) {
            g_effect = *effect;
            SceneMgr.frameFunction = EffectFrame;
        }
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

std::string EffectName(const Config& config, const EffectRun& effect, int frames) {
    return std::string("effect/") + config.name + "/" + effect.name + "/" + std::to_string(frames);
}

void RunEffect(benchmark::State& state, Config config, EffectRun effect, int frames) {
    double total = 0;
    for (auto _ : state) {
        const double ms = RunPlayerFor(config, frames, false, &effect);
        if (ms < 0) {
            state.SkipWithError("the player run failed");
            return;
        }
        state.SetIterationTime(ms / 1000);
        total += ms;
    }
    const double mean = total / static_cast<double>(state.iterations());
    g_ms[EffectName(config, effect, frames)] = mean;
    state.counters["fps"] = frames * 1000.0 / mean;
}

std::vector<EffectRun> EffectRuns() {
    static const char* const kScreenNames[] = {"",      "scr1",  "scr2",  "scr3", "scr4",
                                               "scr5",  "scr6",  "scr7",  "scr8", "scr9",
                                               "scr10", "scr11", "scr12", "scr13"};
    std::vector<EffectRun> runs;
    for (int k = 1; k < kScreenEffectKinds; ++k) runs.push_back({kScreenNames[k], k, 0});
    runs.push_back({"blur", 0, 16});
    runs.push_back({"lens", 0, 12});
    runs.push_back({"rotate", 0, 7});
    return runs;
}

}  // namespace

int main(int argc, char** argv) {
    // --stage=NAME is ours; the rest go to the benchmark library.
    int kept = 1;
    bool effects = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--effects")
            effects = true;
        else if (arg.rfind("--stage=", 0) == 0)
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
    if (effects) {
        for (const Config& config : kConfigs)
            for (const EffectRun& effect : EffectRuns())
                for (int frames : {kEffectShortRun, kEffectLongRun})
                    benchmark::RegisterBenchmark(EffectName(config, effect, frames).c_str(),
                                                 RunEffect, config, effect, frames)
                        ->UseManualTime()
                        ->Unit(benchmark::kMillisecond)
                        ->Iterations(1);
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
    if (effects) {
        std::printf("\nwith effects, frames alone per wall-clock second\n");
        for (const EffectRun& effect : EffectRuns()) {
            std::printf("  %-7s", effect.name);
            for (const Config& config : kConfigs) {
                const auto s = g_ms.find(EffectName(config, effect, kEffectShortRun));
                const auto l = g_ms.find(EffectName(config, effect, kEffectLongRun));
                double play = 0;
                if (s != g_ms.end() && l != g_ms.end() && l->second > s->second)
                    play = (kEffectLongRun - kEffectShortRun) * 1000.0 / (l->second - s->second);
                std::printf(" %s %6.0f", config.name, play);
            }
            std::printf("\n");
        }
    }
    std::filesystem::remove_all(scratch);
    return 0;
}

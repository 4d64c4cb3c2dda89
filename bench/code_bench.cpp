// The worst code texts a project can hold (5119 bytes, one below the limit), each run once
// per iteration as the コードの実行 command runs it: groups nested at the limit, `a(((…)))`
// chains of parentheses that are no call, 1280 operators, 500 rand calls and 1280 groups.
// Each must stay well under 1 ms. Run: scripts/bench (or build-DIR/code_bench).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "flow/expression_language.h"
#include "platform/seams.h"
#include "scene/game_progress.h"
#include "stage/actor.h"
#include "stage/engine_globals.h"
#include "stage/game_scene.h"

namespace {

constexpr std::size_t kLongest = kCodeTextLimit - 1;

std::string Pad(std::string text) {
    if (text.size() > kLongest) text.resize(kLongest);
    text.resize(kLongest, ' ');
    return text;
}

// As many repeats of the piece as fit.
std::string Repeat(const std::string& head, const std::string& piece) {
    std::string text = head;
    while (text.size() + piece.size() <= kLongest) text += piece;
    return Pad(text);
}

std::string NestedAtTheLimit() {
    // Groups 32 deep, side by side, as many as fit.
    const std::string group =
        std::string(kCodeNestLimit, '(') + "1" + std::string(kCodeNestLimit, ')');
    return Repeat("C1 = 0", " + " + group);
}

std::string NoCallChain() {
    const std::size_t n = (kLongest - 1) / 2;
    return Pad("a" + std::string(n, '(') + std::string(n, ')'));
}

std::string Operators() {
    return Repeat("C1 = 1", " * 1");  // 1280 operators
}

std::string RandCalls() {
    std::string text = "C1 = 0";
    for (int i = 0; i < 500; ++i) text += " + rand(1,6)";
    return Pad(text);
}

std::string Groups() {
    return Repeat("C1 =", " (1)");  // 1278 groups
}

std::string DeepOnce() {
    const std::size_t n = (kLongest - 8) / 2;
    return Pad("C1 = " + std::string(n, '(') + "1" + std::string(n, ')'));
}

struct World {
    std::unique_ptr<cGameScene> scene;
    cCharaActor actor;
    World() {
        plat::Seams seams;
        seams.headless = true;
        plat::SetSeams(seams);
        ResetEngineGlobals();
        scene = std::make_unique<cGameScene>();
        lpGame = scene.get();
        actor.m_vecVar.resize(kCharaVarCount, 0);
        actor.m_Chara.nMaxHp = 100;
        actor.m_nHp = 50;
    }
};

void Run(benchmark::State& state, const std::string& text) {
    static World world;
    // A failing text reports itself once per stage attempt, as in play: the first run logs.
    ResetCodeErrorReports();
    for (auto _ : state) benchmark::DoNotOptimize(RunCode(text, &world.actor));
    state.counters["bytes"] = static_cast<double>(text.size());
}

void BM_NestedAtTheLimit(benchmark::State& s) {
    Run(s, NestedAtTheLimit());
}
void BM_NestedPastTheLimit(benchmark::State& s) {
    Run(s, DeepOnce());
}
void BM_NoCallChain(benchmark::State& s) {
    Run(s, NoCallChain());
}
void BM_Operators1280(benchmark::State& s) {
    Run(s, Operators());
}
void BM_Rand500(benchmark::State& s) {
    Run(s, RandCalls());
}
void BM_Groups1280(benchmark::State& s) {
    Run(s, Groups());
}

BENCHMARK(BM_NestedAtTheLimit)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NestedPastTheLimit)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_NoCallChain)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Operators1280)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Rand500)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Groups1280)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

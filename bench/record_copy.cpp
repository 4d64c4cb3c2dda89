// What copies of records cost: time and heap bytes of one copy of a condition and of a
// straight-move command (直線移動, with its move record and parameters), and of installing
// straight-move commands on an actor, which copies each command the flow's loop writes out.
//
//   copy_condition            one copy-constructed condition
//   copy_command              one copy-constructed straight-move command
//   assign_command            one straight-move command copy-assigned over another
//   assign_*_list             a list of 64 copy-assigned into an empty list
//   install_straight_move/N   a flow of [ループ(N, 1), 直線移動] installed on a character
//
// The counters: "heap_bytes" are the bytes allocated per copy (gross); "kept_bytes" those
// that stay allocated per list element (the element included), and for the install per
// installed command (command copy, its move record and parameters, its running instance);
// "s_per_copy" and "s_per_cmd" the time per element and per installed command.
// Run: scripts/bench (or build-DIR/record_copy).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "data/command_record.h"
#include "data/flow_records.h"
#include "data/stage_record.h"
#include "flow/flow_install.h"
#include "stage/actor.h"
#include "stage/engine_globals.h"

namespace {

// Every allocation of the program goes through the counting operator new below; the size
// sits in a header in front of the block so that the frees count too.
std::atomic<long long> g_allocated{0};
std::atomic<long long> g_freed{0};
constexpr std::size_t kHeader = alignof(std::max_align_t);

void* CountedAlloc(std::size_t n) {
    void* block = std::malloc(n + kHeader);
    if (!block) throw std::bad_alloc();
    *static_cast<std::size_t*>(block) = n;
    g_allocated.fetch_add(static_cast<long long>(n), std::memory_order_relaxed);
    return static_cast<char*>(block) + kHeader;
}

void CountedFree(void* p) {
    if (!p) return;
    void* block = static_cast<char*>(p) - kHeader;
    g_freed.fetch_add(static_cast<long long>(*static_cast<std::size_t*>(block)),
                      std::memory_order_relaxed);
    std::free(block);
}

long long LiveBytes() {
    return g_allocated.load() - g_freed.load();
}

// Freed memory stays with the program between runs, so that each run pays for its own
// allocations and not for the page faults of memory the run before gave back.
const bool g_keepFreedMemory = [] {
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    return true;
}();

constexpr int kStraightMove = 2;  // 直線移動
constexpr int kLoop = 39;         // ループ

cEdCommand StraightMove() {
    cEdCommand cmd;
    cmd.nCmdType = kStraightMove;
    cmd.nTime = 10;
    cEdMove::Create(cmd.spMove);
    cmd.spMove->nSpeed = 20;
    cmd.Normalize();  // the parameters of its type, as a loaded command has them
    return cmd;
}

cEdCommand Loop(int repeat) {
    cEdCommand cmd;
    cmd.nCmdType = kLoop;
    cmd.Normalize();
    cmd.vecParam[0] = repeat;
    cmd.vecParam[1] = 1;
    return cmd;
}

void CopyCondition(benchmark::State& state) {
    cEdCondition source;
    source.nKind = 1;
    source.nValue = 5;
    const long long before = g_allocated.load();
    for (auto _ : state) {
        cEdCondition copy(source);
        benchmark::DoNotOptimize(copy);
    }
    state.counters["heap_bytes"] =
        static_cast<double>(g_allocated.load() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(CopyCondition)->Name("copy_condition");

void CopyCommand(benchmark::State& state) {
    const cEdCommand source = StraightMove();
    const long long before = g_allocated.load();
    for (auto _ : state) {
        cEdCommand copy(source);
        benchmark::DoNotOptimize(copy);
    }
    state.counters["heap_bytes"] =
        static_cast<double>(g_allocated.load() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(CopyCommand)->Name("copy_command");

void AssignCommand(benchmark::State& state) {
    const cEdCommand source = StraightMove();
    cEdCommand target;
    const long long before = g_allocated.load();
    for (auto _ : state) {
        target = source;
        benchmark::DoNotOptimize(target);
    }
    state.counters["heap_bytes"] =
        static_cast<double>(g_allocated.load() - before) / static_cast<double>(state.iterations());
}
BENCHMARK(AssignCommand)->Name("assign_command");

// A list of n records copy-assigned into an empty list (elements made with their defaults,
// then assigned one by one, as a list assignment does): time and kept heap bytes per element,
// the element itself included.
template <class T>
void AssignList(benchmark::State& state, const T& element) {
    constexpr int n = 64;
    const CheckedVector<T> source(n, element);
    long long kept = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto* target = new CheckedVector<T>;
        const long long live = LiveBytes();
        state.ResumeTiming();
        *target = source;
        state.PauseTiming();
        kept = LiveBytes() - live;
        delete target;
        state.ResumeTiming();
    }
    state.counters["kept_bytes"] = static_cast<double>(kept) / n;
    state.counters["s_per_copy"] =
        benchmark::Counter(static_cast<double>(n) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void AssignConditions(benchmark::State& state) {
    cEdCondition condition;
    condition.nKind = 1;
    condition.nValue = 5;
    AssignList(state, condition);
}
BENCHMARK(AssignConditions)->Name("assign_condition_list");

void AssignCommands(benchmark::State& state) {
    AssignList(state, StraightMove());
}
BENCHMARK(AssignCommands)->Name("assign_command_list");

void InstallStraightMove(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    ResetEngineGlobals();
    EdStageWork.SetGameSpeed(10);
    cEdFlow flow;
    flow.vecCommand.push_back(Loop(n));
    flow.vecCommand.push_back(StraightMove());
    long long kept = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto* actor = new cCharaActor;
        CheckedVector<cEdFlow> flows;
        flows.push_back(flow);
        const long long live = LiveBytes();
        state.ResumeTiming();
        if (InstallFlows(*actor, flows, 0, -1) != 1) state.SkipWithError("install failed");
        state.PauseTiming();
        flows.Clear();
        // What the actor keeps: its flows, their commands and instances.
        kept = LiveBytes() - live;
        delete actor;
        state.ResumeTiming();
    }
    state.counters["kept_bytes"] = static_cast<double>(kept) / n;
    state.counters["s_per_cmd"] =
        benchmark::Counter(static_cast<double>(n) * static_cast<double>(state.iterations()),
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(InstallStraightMove)
    ->Name("install_straight_move")
    ->Arg(1 << 10)
    ->Arg(1 << 16)
    ->Unit(benchmark::kMillisecond);

}  // namespace

void* operator new(std::size_t n) {
    return CountedAlloc(n);
}
void* operator new[](std::size_t n) {
    return CountedAlloc(n);
}
void operator delete(void* p) noexcept {
    CountedFree(p);
}
void operator delete[](void* p) noexcept {
    CountedFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
    CountedFree(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    CountedFree(p);
}

BENCHMARK_MAIN();

#include "platform/clock.h"

#include <atomic>
#include <mutex>
#include <thread>

#include "platform/runtime_internal.h"
#include "platform/seams.h"
#include "platform/threads.h"
#include "platform/time_units.h"

namespace plat {
namespace {

using SteadyClock = std::chrono::steady_clock;

// The real clock's origin: the first time anything reads the clock.
SteadyClock::time_point ProcessStart() {
    static const SteadyClock::time_point start = SteadyClock::now();
    return start;
}

std::atomic<bool> virtualClock{false};
// Virtual time in microseconds, so the performance counter moves with it.
std::atomic<std::uint64_t> virtualMicros{0};
std::once_flag clockChosen;
std::atomic<void (*)()> clockMovedHook{nullptr};

void ClockMoved() {
    if (auto hook = clockMovedHook.load()) hook();
}

std::uint64_t RealMicros() {
    return std::chrono::duration_cast<std::chrono::microseconds>(SteadyClock::now() -
                                                                 ProcessStart())
        .count();
}

void ChooseClockFromSeams() {
    std::call_once(clockChosen, [] {
        const Seams& seams = GetSeams();
        if (seams.virtualClock) {
            virtualMicros = std::uint64_t{seams.clockStart} * 1000;
            virtualClock = true;
        }
    });
}

std::uint64_t NowMicros() {
    ChooseClockFromSeams();
    return virtualClock ? virtualMicros.load() : RealMicros();
}

}  // namespace

std::uint32_t timeGetTime() {
    // The real clock counts from the first reading; callers only ever compare differences.
    return static_cast<std::uint32_t>(NowMicros() / 1000);
}

void Sleep(std::uint32_t ms) {
    CancellationPoint();
    ChooseClockFromSeams();
    if (virtualClock) {
        // Game time belongs to the worker threads while any runs: the window thread's idle
        // turns then sleep in real time and leave it alone, or the game thread's pacing would
        // depend on scheduling. With no worker (start-up, shut-down) the window thread's
        // sleeps move time, so its own timed waits still end.
        if (IsWindowThread() && detail::LiveRuntimeThreads() > 0) {
            detail::SleepInterruptible(ms);
        } else {
            virtualMicros += std::uint64_t{ms} * 1000;
            std::this_thread::yield();
        }
    } else {
        detail::SleepInterruptible(ms);
    }
    ClockMoved();
    CancellationPoint();
}

std::int64_t QueryPerformanceCounter() {
    return static_cast<std::int64_t>(NowMicros());
}

std::int64_t QueryPerformanceFrequency() {
    return 1000000;
}

std::uint64_t RealMilliseconds() {
    return RealMicros() / 1000;
}

bool IsVirtualClock() {
    ChooseClockFromSeams();
    return virtualClock;
}

void UseRealClock() {
    ChooseClockFromSeams();
    virtualClock = false;
}

void UseVirtualClock(std::uint32_t startMs) {
    ChooseClockFromSeams();
    virtualMicros = std::uint64_t{startMs} * 1000;
    virtualClock = true;
}

void StepVirtualClock(std::uint32_t ms) {
    virtualMicros += std::uint64_t{ms} * 1000;
    ClockMoved();
}

void SetClockMovedHook(void (*hook)()) {
    clockMovedHook = hook;
}

}  // namespace plat

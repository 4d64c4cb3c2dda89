#include "platform/clock.h"

#include <atomic>
#include "platform/time_units.h"
#include <mutex>
#include <thread>

#include "platform/runtime_internal.h"
#include "platform/seams.h"
#include "platform/threads.h"

namespace plat {
namespace {

using SteadyClock = std::chrono::steady_clock;

const SteadyClock::time_point processStart = SteadyClock::now();

std::atomic<bool> virtualClock{false};
// Virtual time in microseconds, so the performance counter moves with it.
std::atomic<std::uint64_t> virtualMicros{0};
std::once_flag clockChosen;

std::uint64_t RealMicros() {
    return std::chrono::duration_cast<std::chrono::microseconds>(SteadyClock::now() -
                                                                 processStart)
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
    // The real clock starts at an arbitrary origin like the system's uptime-based one;
    // callers only ever compare differences.
    return static_cast<std::uint32_t>(NowMicros() / 1000);
}

void Sleep(std::uint32_t ms) {
    CancellationPoint();
    ChooseClockFromSeams();
    if (virtualClock) {
        // The window thread's idle turns must not move game time, or the pacing of the
        // game thread would depend on scheduling; it waits for its messages in real time.
        if (IsWindowThread()) {
            detail::WaitForQueueActivity(ms);
        } else {
            virtualMicros += std::uint64_t{ms} * 1000;
            std::this_thread::yield();
        }
    } else {
        detail::SleepInterruptible(ms);
    }
    CancellationPoint();
}

std::int64_t QueryPerformanceCounter() { return static_cast<std::int64_t>(NowMicros()); }

std::int64_t QueryPerformanceFrequency() { return 1000000; }

std::uint64_t RealMilliseconds() { return RealMicros() / 1000; }

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

void StepVirtualClock(std::uint32_t ms) { virtualMicros += std::uint64_t{ms} * 1000; }

}  // namespace plat

// The one clock of the program: timeGetTime, Sleep and the performance counter.
//
// Real: a steady clock. Virtual (tests, K4_CLOCK=virtual): time starts at a fixed value
// and advances only by sleeps and explicit steps; a sleep returns at once.
#pragma once

#include <cstdint>

namespace plat {

std::uint32_t timeGetTime();
// A cancellation point of the calling thread (see threads.h).
void Sleep(std::uint32_t ms);
std::int64_t QueryPerformanceCounter();
std::int64_t QueryPerformanceFrequency();

// Milliseconds of real time, whatever clock is selected (bounded waits of the runtime).
std::uint64_t RealMilliseconds();

bool IsVirtualClock();
// Selects the clock; called once at start from the seams, and by tests.
void UseRealClock();
void UseVirtualClock(std::uint32_t startMs);
// Virtual clock only: moves time forward without sleeping.
void StepVirtualClock(std::uint32_t ms);

// A function called after the clock may have moved (at the end of every Sleep and virtual
// step), on the thread that moved it: the null audio device mixes up to the new time there.
// Null removes it.
void SetClockMovedHook(void (*hook)());

// Wrap-safe "a is at or after b" for timeGetTime values.
inline bool TimeReached(std::uint32_t now, std::uint32_t deadline) {
    return static_cast<std::int32_t>(now - deadline) >= 0;
}

}  // namespace plat

// The time the calling thread has spent on a CPU. Tests that bound how long a piece of work
// takes measure this rather than the wall clock: on a machine shared with other builds the
// wall clock also counts the time the thread waited for a core.
#pragma once

#include <time.h>

#include "platform/time_units.h"

namespace testsupport {

inline std::chrono::nanoseconds ThreadCpuTime() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return std::chrono::seconds(ts.tv_sec) + std::chrono::nanoseconds(ts.tv_nsec);
}

// How many times slower the sanitizer build runs the same work (its allocator and checks):
// bounds on CPU time grow by this much there and still tell a fault from a sound run.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr int kSanitizerSlowdown = 10;
#else
inline constexpr int kSanitizerSlowdown = 1;
#endif

}  // namespace testsupport

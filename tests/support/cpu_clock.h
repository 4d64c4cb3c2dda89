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

}  // namespace testsupport

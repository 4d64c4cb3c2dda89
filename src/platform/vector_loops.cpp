#include "platform/vector_loops.h"

#include <atomic>

namespace plat {

namespace {

std::atomic<bool> baselineLoops{false};

}  // namespace

bool UseAvx2Loops() {
    // The processor is asked once.
    static const bool avx2 = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return avx2 && !baselineLoops.load(std::memory_order_relaxed);
}

void UseBaselineLoops(bool baseline) {
    baselineLoops.store(baseline, std::memory_order_relaxed);
}

}  // namespace plat

#include "base/random_range.h"

#include <cstdint>
#include <utility>

#include "platform/random.h"

int RandomRange(int a, int b) {
    if (b < a) std::swap(a, b);
    // The span is computed in 64 bits: b - a + 1 overflows int for the widest ranges.
    const std::int64_t span = std::int64_t{b} - a + 1;
    return static_cast<int>(a + plat::rand() % span);
}

#include "platform/random.h"

#include <cstdint>

namespace plat {
namespace {
thread_local std::uint32_t randState = 1;
}

void srand(unsigned seed) {
    randState = seed;
}

int rand() {
    randState = randState * 214013u + 2531011u;
    return static_cast<int>((randState >> 16) & 0x7FFF);
}

unsigned RandState() {
    return randState;
}

}  // namespace plat

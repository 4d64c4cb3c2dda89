// Vectors of pixels for the row loops of the software device: written with the compiler's
// vector extensions, so that each loop is compiled for the baseline instruction set and for
// wider vectors alike.
#pragma once

#include <cstdint>

namespace plat {

typedef std::uint32_t Wide8 __attribute__((vector_size(32)));  // eight 32-bit pixels
typedef std::uint32_t Wide4 __attribute__((vector_size(16)));  // four 32-bit pixels
typedef std::int32_t SignedWide8 __attribute__((vector_size(32)));
typedef std::uint16_t Half8 __attribute__((vector_size(16)));     // eight 16-bit pixels
typedef std::uint16_t Narrow16 __attribute__((vector_size(32)));  // sixteen 16-bit pixels
typedef std::int16_t SignedNarrow16 __attribute__((vector_size(32)));
typedef std::uint8_t Bytes32 __attribute__((vector_size(32)));   // the channels of eight
typedef std::uint16_t Lanes32 __attribute__((vector_size(64)));  // and widened to 16 bits

}  // namespace plat

// The Ogg player's load over hostile bytes: a stream that opens is decoded for a bounded
// number of frames, rewound and read again, as the player's endless loop does.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/ogg_stream.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    plat::OggStream stream;
    if (!stream.Open(std::vector<std::uint8_t>(data, data + size), nullptr)) return 0;
    constexpr int kMaxFrames = 1 << 16;
    std::int32_t sum = 0;
    std::int16_t left = 0, right = 0;
    for (int i = 0; i < kMaxFrames && stream.NextFrame(left, right); ++i) sum += left - right;
    if (stream.Rewind())
        for (int i = 0; i < 256 && stream.NextFrame(left, right); ++i) sum += left;
    volatile std::int32_t sink = sum;
    (void)sink;
    return 0;
}

// Our RIFF WAVE parser over hostile bytes: every chunk layout, with the accepted sample range
// read back whole, as a sound buffer is filled from it.
#include <cstddef>
#include <cstdint>

#include "platform/wave_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    plat::WaveChunks chunks;
    if (!plat::ParseWave(data, size, chunks, nullptr)) return 0;
    if (chunks.dataOffset + chunks.dataSize > size || chunks.dataSize == 0 ||
        chunks.dataSize % chunks.format.nBlockAlign != 0)
        __builtin_trap();
    std::uint32_t sum = 0;
    for (std::size_t i = 0; i < chunks.dataSize; ++i) sum += data[chunks.dataOffset + i];
    volatile std::uint32_t sink = sum;
    (void)sink;
    return 0;
}

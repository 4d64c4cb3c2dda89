// Our bounded RIFF WAVE parser, standing in for the multimedia file functions that found the
// "fmt " and "data" chunks.
//
// Accepted: PCM (format tag 1), 8 or 16 bits, 1 or 2 channels, 1 to 200000 frames per second,
// block align = channels × bits / 8. Chunks are word-aligned and unknown ones (LIST, fact, ...)
// are skipped; a "fmt " chunk longer than the format record is read up to the record; the
// first "data" chunk after "fmt " is cut to the bytes present and to whole blocks, and must
// keep at least one block. Nothing is read outside the given bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace plat {

struct WAVEFORMATEX {
    std::uint16_t wFormatTag = 0;
    std::uint16_t nChannels = 0;
    std::uint32_t nSamplesPerSec = 0;
    std::uint32_t nAvgBytesPerSec = 0;
    std::uint16_t nBlockAlign = 0;
    std::uint16_t wBitsPerSample = 0;
    std::uint16_t cbSize = 0;
};

inline constexpr std::uint16_t WAVE_FORMAT_PCM = 1;

struct WaveChunks {
    WAVEFORMATEX format;
    std::size_t dataOffset = 0;  // into the parsed bytes
    std::size_t dataSize = 0;    // whole blocks, at least one
};

// False with the reason in *why (when given) for anything not accepted above.
bool ParseWave(const std::uint8_t* bytes, std::size_t size, WaveChunks& out,
               std::string* why = nullptr);

}  // namespace plat

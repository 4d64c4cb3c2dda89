#include "platform/wave_reader.h"

#include <cstring>

namespace plat {
namespace {

std::uint32_t Get32(const std::uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t{p[3]} << 24);
}
std::uint16_t Get16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

bool Fail(std::string* why, const char* text) {
    if (why) *why = text;
    return false;
}

// The format record from a "fmt " chunk of `size` bytes (16 at least).
bool ReadFormat(const std::uint8_t* p, std::size_t size, WAVEFORMATEX& f, std::string* why) {
    if (size < 16) return Fail(why, "the fmt chunk is shorter than 16 bytes");
    f.wFormatTag = Get16(p);
    f.nChannels = Get16(p + 2);
    f.nSamplesPerSec = Get32(p + 4);
    f.nAvgBytesPerSec = Get32(p + 8);
    f.nBlockAlign = Get16(p + 12);
    f.wBitsPerSample = Get16(p + 14);
    f.cbSize = size >= 18 ? Get16(p + 16) : 0;
    if (f.wFormatTag != WAVE_FORMAT_PCM) return Fail(why, "not PCM");
    if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) return Fail(why, "not 8 or 16 bits");
    if (f.nChannels != 1 && f.nChannels != 2) return Fail(why, "not 1 or 2 channels");
    if (f.nSamplesPerSec < 1 || f.nSamplesPerSec > 200000) return Fail(why, "rate out of range");
    if (f.nBlockAlign != f.nChannels * f.wBitsPerSample / 8)
        return Fail(why, "the block align does not fit the format");
    return true;
}

}  // namespace

bool ParseWave(const std::uint8_t* bytes, std::size_t size, WaveChunks& out, std::string* why) {
    out = WaveChunks{};
    if (!bytes || size < 12 || std::memcmp(bytes, "RIFF", 4) != 0 ||
        std::memcmp(bytes + 8, "WAVE", 4) != 0)
        return Fail(why, "not a RIFF WAVE file");
    // The RIFF chunk ends where it says or where the bytes end, whichever comes first.
    const std::uint64_t riffEnd = std::uint64_t{Get32(bytes + 4)} + 8;
    const std::size_t end = riffEnd < size ? static_cast<std::size_t>(riffEnd) : size;
    bool haveFormat = false;
    std::size_t pos = 12;
    while (pos < end && end - pos >= 8) {
        const std::uint8_t* head = bytes + pos;
        const std::uint64_t chunkSize = Get32(head + 4);
        const std::size_t body = pos + 8;
        const std::size_t present =
            chunkSize < end - body ? static_cast<std::size_t>(chunkSize) : end - body;
        if (std::memcmp(head, "fmt ", 4) == 0 && !haveFormat) {
            if (present < chunkSize && present < 16) return Fail(why, "the fmt chunk is cut off");
            if (!ReadFormat(bytes + body, present, out.format, why)) return false;
            haveFormat = true;
        } else if (std::memcmp(head, "data", 4) == 0 && haveFormat) {
            const std::size_t block = out.format.nBlockAlign;
            out.dataOffset = body;
            out.dataSize = present - present % block;
            if (out.dataSize == 0) return Fail(why, "no whole block of samples");
            return true;
        }
        // Word-aligned: an odd chunk has a pad byte.
        const std::uint64_t next = std::uint64_t{body} + chunkSize + (chunkSize & 1);
        if (next >= end) break;
        pos = static_cast<std::size_t>(next);
    }
    return Fail(why, haveFormat ? "no data chunk" : "no fmt chunk");
}

}  // namespace plat

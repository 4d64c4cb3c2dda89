// Builds Standard MIDI File bytes by hand from the published layout, and the stream events a
// player buffer should hold, for the MIDI tests.
#pragma once

#include <cstdint>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

using Bytes = std::vector<std::uint8_t>;

// "MThd", length 6, format, track count, division, then one "MTrk" chunk per track with
// its real length. The track bytes are taken as given (end-of-track events included).
inline Bytes Smf(int format, int division, const std::vector<Bytes>& tracks, int declared = -1) {
    const int count = declared < 0 ? static_cast<int>(tracks.size()) : declared;
    Bytes b = {'M',
               'T',
               'h',
               'd',
               0,
               0,
               0,
               6,
               static_cast<std::uint8_t>(format >> 8),
               static_cast<std::uint8_t>(format),
               static_cast<std::uint8_t>(count >> 8),
               static_cast<std::uint8_t>(count),
               static_cast<std::uint8_t>(division >> 8),
               static_cast<std::uint8_t>(division)};
    for (const Bytes& t : tracks) {
        const auto n = static_cast<std::uint32_t>(t.size());
        b.insert(b.end(), {'M', 'T', 'r', 'k', static_cast<std::uint8_t>(n >> 24),
                           static_cast<std::uint8_t>(n >> 16), static_cast<std::uint8_t>(n >> 8),
                           static_cast<std::uint8_t>(n)});
        b.insert(b.end(), t.begin(), t.end());
    }
    return b;
}

// The 22-byte header of a converted image followed by its events.
inline Bytes Image(int division, const Bytes& events) {
    const auto n = static_cast<std::uint32_t>(events.size());
    Bytes b = {'M',
               'T',
               'h',
               'd',
               0,
               0,
               0,
               6,
               0,
               0,
               0,
               1,
               static_cast<std::uint8_t>(division >> 8),
               static_cast<std::uint8_t>(division),
               'M',
               'T',
               'r',
               'k',
               static_cast<std::uint8_t>(n >> 24),
               static_cast<std::uint8_t>(n >> 16),
               static_cast<std::uint8_t>(n >> 8),
               static_cast<std::uint8_t>(n)};
    b.insert(b.end(), events.begin(), events.end());
    return b;
}

// Stream events as little-endian words: {delta, 0, event word} and, for long events,
// their parameter words.
inline Bytes Words(std::initializer_list<std::uint32_t> words) {
    Bytes b;
    for (std::uint32_t w : words) {
        for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(w >> (8 * i)));
    }
    return b;
}

inline void WriteFile(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

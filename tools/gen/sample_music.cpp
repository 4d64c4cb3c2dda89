#include "gen/sample_music.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace gen {

namespace {

constexpr int kDivision = 480;  // ticks per quarter note
constexpr int kEighth = kDivision / 2;
constexpr int kBar = 4 * kDivision;
constexpr int kBars = 8;

// One track as timed events; sorted (stably) and written with deltas at the end.
class Track {
public:
    void Add(int tick, std::vector<std::uint8_t> bytes) {
        events_.push_back({tick, std::move(bytes)});
    }
    // A note held for 7/8 of its length.
    void Note(int channel, int tick, int length, int key, int velocity) {
        Add(tick, {static_cast<std::uint8_t>(0x90 | channel), static_cast<std::uint8_t>(key),
                   static_cast<std::uint8_t>(velocity)});
        Add(tick + length * 7 / 8,
            {static_cast<std::uint8_t>(0x80 | channel), static_cast<std::uint8_t>(key), 0});
    }

    // The track chunk, ending at `end` ticks.
    std::vector<std::uint8_t> Chunk(int end) {
        std::stable_sort(events_.begin(), events_.end(),
                         [](const Event& a, const Event& b) { return a.tick < b.tick; });
        std::vector<std::uint8_t> data;
        int previous = 0;
        auto delta = [&](int tick) {
            std::uint32_t v = static_cast<std::uint32_t>(tick - previous);
            previous = tick;
            std::uint8_t groups[4];
            int n = 0;
            do {
                groups[n++] = v & 0x7F;
                v >>= 7;
            } while (v);
            while (n > 1) data.push_back(groups[--n] | 0x80);
            data.push_back(groups[0]);
        };
        for (const Event& e : events_) {
            delta(e.tick);
            data.insert(data.end(), e.bytes.begin(), e.bytes.end());
        }
        delta(end);
        data.insert(data.end(), {0xFF, 0x2F, 0x00});
        std::vector<std::uint8_t> chunk = {'M', 'T', 'r', 'k'};
        const auto n = static_cast<std::uint32_t>(data.size());
        chunk.insert(chunk.end(),
                     {static_cast<std::uint8_t>(n >> 24), static_cast<std::uint8_t>(n >> 16),
                      static_cast<std::uint8_t>(n >> 8), static_cast<std::uint8_t>(n)});
        chunk.insert(chunk.end(), data.begin(), data.end());
        return chunk;
    }

private:
    struct Event {
        int tick;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Event> events_;
};

// The melody: (key, length in eighths), eight eighths a bar.
constexpr int kMelody[][2] = {
    {76, 2}, {79, 2}, {84, 2}, {83, 1}, {81, 1},  // C
    {81, 2}, {76, 2}, {72, 2}, {76, 2},           // Am
    {77, 2}, {81, 2}, {84, 2}, {81, 1}, {79, 1},  // F
    {79, 3}, {74, 1}, {79, 2}, {83, 2},           // G
    {84, 2}, {83, 1}, {81, 1}, {79, 2}, {76, 2},  // C
    {81, 2}, {84, 1}, {83, 1}, {81, 2}, {76, 2},  // Am
    {77, 2}, {79, 2}, {81, 2}, {83, 2},           // F
    {86, 2}, {83, 2}, {79, 4},                    // G
};
// The root of each bar's chord.
constexpr int kRoots[kBars] = {48, 45, 41, 43, 48, 45, 41, 43};

}  // namespace

std::vector<std::uint8_t> TitleTuneMidi() {
    const int end = kBars * kBar;
    Track tempo;
    tempo.Add(0, {0xFF, 0x51, 0x03, 0x07, 0x53, 0x00});  // 480000 us a quarter: 125 per minute
    Track melody;
    melody.Add(0, {0xC0, 80});  // square lead
    melody.Add(0, {0xB0, 7, 96});
    int tick = 0;
    for (const auto& note : kMelody) {
        melody.Note(0, tick, note[1] * kEighth, note[0], 100);
        tick += note[1] * kEighth;
    }
    Track bass;
    bass.Add(0, {0xC1, 38});  // synth bass
    bass.Add(0, {0xB1, 7, 104});
    for (int bar = 0; bar < kBars; ++bar) {
        for (int e = 0; e < 8; ++e)
            bass.Note(1, bar * kBar + e * kEighth, kEighth, kRoots[bar] + (e % 2) * 12, 96);
    }
    Track drums;
    for (int bar = 0; bar < kBars; ++bar) {
        for (int beat = 0; beat < 4; ++beat) {
            const int at = bar * kBar + beat * kDivision;
            drums.Note(9, at, kEighth, beat % 2 ? 38 : 36, beat % 2 ? 90 : 110);  // snare / kick
            drums.Note(9, at, kEighth, 42, 60);                                   // closed hi-hat
            drums.Note(9, at + kEighth, kEighth, 42, 45);
        }
    }

    std::vector<std::uint8_t> file = {
        'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 4, kDivision >> 8, kDivision & 0xFF};
    for (Track* t : {&tempo, &melody, &bass, &drums}) {
        const std::vector<std::uint8_t> chunk = t->Chunk(end);
        file.insert(file.end(), chunk.begin(), chunk.end());
    }
    return file;
}

bool WriteSampleMusic(const std::string& dir) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path folder = fs::path(dir) / "bgm";
    fs::create_directories(folder, ec);
    if (ec) return false;
    const std::vector<std::uint8_t> tune = TitleTuneMidi();
    std::ofstream out(folder / "title.mid", std::ios::binary);
    out.write(reinterpret_cast<const char*>(tune.data()),
              static_cast<std::streamsize>(tune.size()));
    return static_cast<bool>(out.flush());
}

}  // namespace gen

// What MIDI music costs the mixer: the sample game's title tune played through the MIDI
// stream, one headless frame of samples (735 at 44100 Hz and 60 frames a second) a call,
// refills and loops included. The synthesiser's share is the whole cost; compare the time
// per frame with the 16.7 ms a frame lasts.
//
//   title_tune_frame   one frame of the playing tune
//   silent_frame       one frame of a stopped stream once its tail has died away
//   open_and_delete    a new player for the tune (load, stream, sound font) and its deletion,
//                      what a change of tune costs the window thread
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <vector>

#include "gen/sample_music.h"
#include "platform/audio_source.h"
#include "platform/host_path.h"
#include "sound/midi_player.h"

namespace {

constexpr std::size_t kFrameSamples = 735;

// The tune in a temporary folder that is the current folder while the benchmark runs.
struct TuneFolder {
    TuneFolder() {
        char pattern[] = "/tmp/k4-midi-bench-XXXXXX";
        path = mkdtemp(pattern);
        old = std::filesystem::current_path();
        std::filesystem::current_path(path);
        plat::ClearPathCache();
        const std::vector<std::uint8_t> tune = gen::TitleTuneMidi();
        std::ofstream("title.mid", std::ios::binary)
            .write(reinterpret_cast<const char*>(tune.data()),
                   static_cast<std::streamsize>(tune.size()));
    }
    ~TuneFolder() {
        std::filesystem::current_path(old);
        std::filesystem::remove_all(path);
        plat::ClearPathCache();
    }
    std::string path;
    std::filesystem::path old;
};

void title_tune_frame(benchmark::State& state) {
    TuneFolder folder;
    cMidiPlayer player("title.mid");
    player.Play(0, 0, 1);
    std::vector<std::int32_t> acc(2 * kFrameSamples);
    plat::AudioSource* voice = plat::MidiStreamVoice(player.Stream());
    for (auto _ : state) {
        voice->MixInto(acc.data(), kFrameSamples);
        benchmark::DoNotOptimize(acc.data());
    }
}
BENCHMARK(title_tune_frame)->Unit(benchmark::kMicrosecond);

void silent_frame(benchmark::State& state) {
    TuneFolder folder;
    cMidiPlayer player("title.mid");
    player.Play(0, 0, 1);
    std::vector<std::int32_t> acc(2 * kFrameSamples);
    plat::AudioSource* voice = plat::MidiStreamVoice(player.Stream());
    for (int i = 0; i < 120; ++i) voice->MixInto(acc.data(), kFrameSamples);
    player.Stop(0);
    for (int i = 0; i < 600; ++i) voice->MixInto(acc.data(), kFrameSamples);
    for (auto _ : state) {
        voice->MixInto(acc.data(), kFrameSamples);
        benchmark::DoNotOptimize(acc.data());
    }
}
BENCHMARK(silent_frame)->Unit(benchmark::kMicrosecond);

void open_and_delete(benchmark::State& state) {
    TuneFolder folder;
    for (auto _ : state) {
        cMidiPlayer player("title.mid");
        benchmark::DoNotOptimize(player.Stream());
    }
}
BENCHMARK(open_and_delete)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

// The audio cost of one frame of play: the mixer making 735 frames (1/60 s at 44100 Hz) of
// 8 sound-effect voices (looping, in the sample game's formats) and the stage's Ogg tune.
// The MIDI synthesiser is a voice of its own, measured with it.
// Run: scripts/bench (or build/audio_bench).
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "gen/sample_sounds.h"
#include "platform/audio_mixer.h"
#include "platform/dsound.h"
#include "platform/seams.h"
#include "platform/vox.h"
#include "platform/wave_reader.h"

namespace {

constexpr std::size_t kFrameSamples = 735;

plat::IDirectSoundBuffer* LoopingVoice(plat::IDirectSound* ds,
                                       const std::vector<std::uint8_t>& file) {
    plat::WaveChunks c;
    plat::ParseWave(file.data(), file.size(), c);
    plat::DSBUFFERDESC desc;
    desc.dwFlags = plat::DSBCAPS_STATIC | plat::DSBCAPS_CTRLVOLUME | plat::DSBCAPS_CTRLPAN;
    desc.dwBufferBytes = static_cast<plat::DWORD>(c.dataSize);
    desc.lpwfxFormat = &c.format;
    plat::IDirectSoundBuffer* b = nullptr;
    ds->CreateSoundBuffer(&desc, &b, nullptr);
    void* p = nullptr;
    plat::DWORD n = 0;
    b->Lock(0, 0, &p, &n, nullptr, nullptr, plat::DSBLOCK_ENTIREBUFFER);
    std::memcpy(p, file.data() + c.dataOffset, n);
    b->SetVolume(-150);
    b->Play(0, 0, plat::DSBPLAY_LOOPING);
    return b;
}

void BM_AudioFrame(benchmark::State& state) {
    plat::Seams seams;
    seams.headless = true;
    plat::SetSeams(seams);
    plat::IDirectSound* ds = nullptr;
    plat::DirectSoundCreate(nullptr, &ds, nullptr);
    std::vector<plat::IDirectSoundBuffer*> voices;
    for (int i = 0; i < state.range(0); ++i)
        voices.push_back(
            LoopingVoice(ds, i % 2 ? gen::SystemSoundBytes(i) : gen::JumpSoundBytes()));
    const std::string ogg = std::filesystem::temp_directory_path() / "k4-audio-bench.ogg";
    {
        const std::vector<std::uint8_t> tune = gen::OggTuneBytes(22050, 4.0);
        std::ofstream(ogg, std::ios::binary)
            .write(reinterpret_cast<const char*>(tune.data()),
                   static_cast<std::streamsize>(tune.size()));
    }
    plat::VoxLibrary* library = plat::LoadVoxLibrary();
    plat::IVox* player = nullptr;
    if (state.range(1)) {
        player = plat::GetVoxFactory(library)();
        player->Load(ogg.c_str());
        player->SetLoop(plat::kVoxLoopEndless);
        player->Play();
    }
    std::vector<std::int16_t> out(kFrameSamples * 2);
    for (auto _ : state) {
        plat::MixAudioFrames(out.data(), kFrameSamples);
        benchmark::DoNotOptimize(out.data());
    }
    if (player) player->Delete();
    plat::FreeVoxLibrary(library);
    for (plat::IDirectSoundBuffer* b : voices) b->Release();
    ds->Release();
    std::filesystem::remove(ogg);
}
BENCHMARK(BM_AudioFrame)->Args({8, 1})->Args({8, 0})->Args({0, 1})->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

// The mixer's arithmetic, pinned: volume to gain, unsigned 8-bit samples, gain and pan per
// side, rate conversion by the frame under a stepped position, mono to both sides, and the
// saturating sum of voices.
#include <gtest/gtest.h>

#include <vector>

#include "platform/audio_mixer.h"
#include "platform/dsound.h"
#include "sound/sound_effects.h"
#include "support/sound_fixture.h"

namespace {

using namespace soundtest;

TEST(MixerArithmetic, VolumeToGain) {
    const std::pair<std::int32_t, std::int32_t> rows[] = {
        {0, 65536}, {100, 65536}, {-600, 32846}, {-2000, 6554},
        {-9999, 1}, {-10000, 0},  {-20000, 0},   {-150, 55142},
    };
    for (const auto& [volume, gain] : rows) EXPECT_EQ(plat::VolumeToGain(volume), gain) << volume;
}

TEST(MixerArithmetic, SaturatingSum) {
    EXPECT_EQ(plat::SaturateSample(40000), 32767);
    EXPECT_EQ(plat::SaturateSample(-40000), -32768);
    EXPECT_EQ(plat::SaturateSample(-32768), -32768);
    EXPECT_EQ(plat::SaturateSample(1234), 1234);
}

class Mixer : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        ASSERT_EQ(plat::DirectSoundCreate(nullptr, &ds, nullptr), plat::DS_OK);
    }
    void TearDown() override {
        for (plat::IDirectSoundBuffer* b : buffers) b->Release();
        ds->Release();
        SoundTest::TearDown();
    }
    // A playing buffer of the samples (interleaved, as stored).
    plat::IDirectSoundBuffer* Voice(int rate, int bits, int channels,
                                    const std::vector<std::uint8_t>& data, plat::LONG volume = 0,
                                    plat::LONG pan = 0) {
        plat::WAVEFORMATEX f;
        f.wFormatTag = plat::WAVE_FORMAT_PCM;
        f.nChannels = static_cast<std::uint16_t>(channels);
        f.nSamplesPerSec = static_cast<std::uint32_t>(rate);
        f.wBitsPerSample = static_cast<std::uint16_t>(bits);
        f.nBlockAlign = static_cast<std::uint16_t>(channels * bits / 8);
        f.nAvgBytesPerSec = f.nSamplesPerSec * f.nBlockAlign;
        plat::DSBUFFERDESC desc;
        desc.dwFlags = plat::DSBCAPS_STATIC | plat::DSBCAPS_CTRLVOLUME | plat::DSBCAPS_CTRLPAN |
                       plat::DSBCAPS_CTRLFREQUENCY;
        desc.dwBufferBytes = static_cast<plat::DWORD>(data.size());
        desc.lpwfxFormat = &f;
        plat::IDirectSoundBuffer* b = nullptr;
        EXPECT_EQ(ds->CreateSoundBuffer(&desc, &b, nullptr), plat::DS_OK);
        void* p = nullptr;
        plat::DWORD n = 0;
        b->Lock(0, 0, &p, &n, nullptr, nullptr, plat::DSBLOCK_ENTIREBUFFER);
        std::memcpy(p, data.data(), n);
        b->SetVolume(volume);
        b->SetPan(pan);
        b->Play(0, 0, 0);
        buffers.push_back(b);
        return b;
    }

    plat::IDirectSound* ds = nullptr;
    std::vector<plat::IDirectSoundBuffer*> buffers;
};

TEST_F(Mixer, SilentEightBitFileMixesToZeros) {
    Voice(22050, 8, 1, std::vector<std::uint8_t>(100, 0x80));
    for (std::int16_t s : Mix(300)) EXPECT_EQ(s, 0);
}

TEST_F(Mixer, EightBitSamplesAreUnsignedAndWidenTo16Bits) {
    Voice(44100, 8, 1, {0xFF, 0x00, 0x81, 0x7F});
    // (s - 128) * 256, both sides, then the voice ends.
    EXPECT_EQ(Mix(5), (std::vector<std::int16_t>{32512, 32512, -32768, -32768, 256, 256, -256, -256,
                                                 0, 0}));
}

TEST_F(Mixer, GainAndPanPerSide) {
    // Stereo: each side its own sample; -600 is a gain of 32846/65536, shifted down.
    Voice(44100, 16, 2, Samples16({10000, -10000, 20000, 4}), -600);
    EXPECT_EQ(Mix(2), (std::vector<std::int16_t>{5011, -5012, 10023, 2}));
    // A pan of +600 (to the right) lowers the left side only.
    Voice(44100, 16, 1, Samples16({10000}), 0, 600);
    EXPECT_EQ(Mix(1), (std::vector<std::int16_t>{5011, 10000}));
    // Full left silences the right side.
    Voice(44100, 16, 1, Samples16({10000}), 0, plat::DSBPAN_LEFT);
    EXPECT_EQ(Mix(1), (std::vector<std::int16_t>{10000, 0}));
}

TEST_F(Mixer, RateConversionTakesTheFrameUnderTheStep) {
    Voice(22050, 16, 1, Samples16({1, 2, 3}));
    EXPECT_EQ(Mix(7), (std::vector<std::int16_t>{1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 0, 0}));
    Voice(11025, 16, 1, Samples16({7, 8}));
    std::vector<std::int16_t> quarter = Mix(8);
    EXPECT_EQ(quarter, (std::vector<std::int16_t>{7, 7, 7, 7, 7, 7, 7, 7, 8, 8, 8, 8, 8, 8, 8, 8}));
    // Twice the output rate skips every other frame; a frequency set on the buffer wins.
    plat::IDirectSoundBuffer* fast = Voice(44100, 16, 1, Samples16({1, 2, 3, 4, 5}));
    fast->SetFrequency(88200);
    EXPECT_EQ(Mix(3), (std::vector<std::int16_t>{1, 1, 3, 3, 5, 5}));
}

TEST_F(Mixer, VoicesAddAndSaturate) {
    Voice(44100, 16, 1, Samples16({30000, -30000, 1000}));
    Voice(44100, 16, 1, Samples16({30000, -30000, 2000}));
    EXPECT_EQ(Mix(3), (std::vector<std::int16_t>{32767, 32767, -32768, -32768, 3000, 3000}));
}

TEST_F(Mixer, LoopingVoiceGoesRoundAndStopIsSilentFromTheNextFrame) {
    plat::IDirectSoundBuffer* b = Voice(44100, 16, 1, Samples16({1, 2}));
    b->Play(0, 0, plat::DSBPLAY_LOOPING);
    EXPECT_EQ(Mix(3), (std::vector<std::int16_t>{1, 1, 2, 2, 1, 1}));
    b->Stop();
    EXPECT_EQ(Mix(2), (std::vector<std::int16_t>{0, 0, 0, 0}));
    plat::DWORD status = 1;
    b->GetStatus(&status);
    EXPECT_EQ(status, 0u);
}

TEST_F(Mixer, NullDeviceMixesOnTheGameClock) {
    plat::CloseAudio();
    plat::Seams seams = plat::GetSeams();
    seams.audioOutPath = dir.path + "/out.wav";
    SetSeams(seams);
    plat::OpenAudio();
    // 10 ms of silence, then a voice that starts at that moment, then 10 ms more.
    plat::StepVirtualClock(10);
    EXPECT_EQ(plat::MixedAudioFrames(), 441u);
    Voice(44100, 16, 1, Samples16(std::vector<std::int16_t>(1000, 77)));
    plat::StepVirtualClock(10);
    EXPECT_EQ(plat::MixedAudioFrames(), 882u);
    plat::CloseAudio();
    const std::string file = ReadText(dir.path + "/out.wav");
    ASSERT_EQ(file.size(), 44u + 882u * 4);
    auto sample = [&](std::size_t frame) {
        return static_cast<std::int16_t>(static_cast<std::uint8_t>(file[44 + frame * 4]) |
                                         (static_cast<std::uint8_t>(file[45 + frame * 4]) << 8));
    };
    EXPECT_EQ(sample(440), 0);
    EXPECT_EQ(sample(441), 77);
    EXPECT_EQ(sample(881), 77);
    EXPECT_EQ(file.substr(0, 4), "RIFF");
    EXPECT_EQ(static_cast<std::uint8_t>(file[40]) | (static_cast<std::uint8_t>(file[41]) << 8),
              (882 * 4) & 0xFFFF);
}

}  // namespace

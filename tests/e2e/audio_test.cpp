// What the player sounds like, end to end: the headless mix written by K4_AUDIO_OUT on the
// virtual clock. The title scene plays its MIDI tune from its start; a direct play of test-play
// starts the stage's Ogg tune with the stage, the hero's jump sound starts within a frame's worth
// of samples of the jump, and the fall into the pit
// ("Dead 2") plays system sound 8; two runs write the same bytes.
//
// The mix is the sum of the voices while no sum saturates (the sample game keeps them low),
// so the test subtracts the tune, predicted from the Ogg file, and finds the effects alone.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "gen/sample_sounds.h"
#include "gen/sample_stages.h"
#include "platform/audio_mixer.h"
#include "platform/ogg_stream.h"
#include "platform/wave_reader.h"
#include "player_harness.h"
#include "state_log_run.h"

namespace {

using namespace e2e;

const PlayerConfig& kConfig = kPlayerConfigs[2];  // DirectDraw 32: frames of 16 ms
const char kPlayStage[] = "data\\stg4\\test-play.stg4";
constexpr int kKeyRight = 0x27;
constexpr int kKeyButton1 = 0x5A;
// Play begins in frame 91 (after the fade-in and the start caption).
constexpr int kJumpFrame = 151;
constexpr int kPitWalk = 200;
constexpr int kRunFrames = 360;
// One frame at 60 per second, in samples.
constexpr std::int64_t kFrameSamples = plat::kMixRate / 60;
// The sound-effect volume of the default option step 7: -150, as a gain in 1/65536.
constexpr std::int32_t kSeGain = 55142;

// Left channel of a WAV file of the mix.
std::vector<std::int16_t> LeftSamples(const std::string& wav) {
    std::vector<std::int16_t> out;
    if (wav.size() < 44) return out;
    for (std::size_t i = 44; i + 3 < wav.size(); i += 4)
        out.push_back(static_cast<std::int16_t>(static_cast<std::uint8_t>(wav[i]) |
                                                (static_cast<std::uint8_t>(wav[i + 1]) << 8)));
    return out;
}

// An effect's WAVE file as the mixer plays it at 44100 Hz: the frame under a stepped
// position, left side, at the effect gain.
std::vector<std::int32_t> EffectAsMixed(const std::vector<std::uint8_t>& file) {
    plat::WaveChunks c;
    std::vector<std::int32_t> out;
    if (!plat::ParseWave(file.data(), file.size(), c)) return out;
    const std::uint64_t step = (std::uint64_t{c.format.nSamplesPerSec} << 32) / plat::kMixRate;
    const std::uint64_t frames = c.dataSize / c.format.nBlockAlign;
    for (std::uint64_t pos = 0; (pos >> 32) < frames; pos += step) {
        const std::uint8_t* p = file.data() + c.dataOffset + (pos >> 32) * c.format.nBlockAlign;
        const std::int32_t s = c.format.wBitsPerSample == 8
                                   ? (p[0] - 128) * 256
                                   : static_cast<std::int16_t>(p[0] | (p[1] << 8));
        out.push_back((s * kSeGain) >> 16);
    }
    return out;
}

std::vector<std::string> Script() {
    auto key = [](int frame, int vk, bool down) {
        char line[64];
        std::snprintf(line, sizeof line, "@%d key 0x%02X %s", frame, vk, down ? "down" : "up");
        return std::string(line);
    };
    return {key(kJumpFrame, kKeyButton1, true), key(kJumpFrame + 20, kKeyButton1, false),
            key(kPitWalk, kKeyRight, true)};
}

// The stage tune's left channel as decoded from the Ogg file (22050 Hz; the player doubles
// each sample and loops the tune).
const std::vector<std::int16_t>& StageTune() {
    static const std::vector<std::int16_t> tune = [] {
        std::vector<std::int16_t> left;
        plat::OggStream stream;
        if (stream.Open(gen::OggTuneBytes(22050, 4.0))) {
            std::int16_t l, r;
            while (stream.NextFrame(l, r)) left.push_back(l);
        }
        return left;
    }();
    return tune;
}

struct AudioRun {
    PlayerResult result;
    std::string wav;
    std::vector<StateLine> lines;
};

AudioRun RunHeard(const std::string& stage, int frames, const std::vector<std::string>& script) {
    AudioRun run;
    PlayerProject project;
    EXPECT_TRUE(project.Make(kConfig));
    PlayerRun player;
    player.stage = stage;
    player.script = script;
    player.quitAfter = frames;
    player.audioOut = project.Path("mix.wav");
    if (!stage.empty()) player.stateLog = project.Path("state.log");
    run.result = project.Run(player);
    EXPECT_TRUE(run.result.ended);
    EXPECT_EQ(run.result.exitCode, 0);
    run.wav = PlayerProject::ReadFile(player.audioOut);
    if (!stage.empty()) run.lines = ParseStateLog(PlayerProject::ReadFile(player.stateLog), frames);
    return run;
}

class PlayHeard : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        run_ = new AudioRun(RunHeard(kPlayStage, kRunFrames, Script()));
        tune_ = StageTune();
    }
    static void TearDownTestSuite() {
        delete run_;
        run_ = nullptr;
    }
    static std::int32_t Tune(std::size_t i) { return tune_[(i / 2) % tune_.size()]; }
    // The mix without the tune, which starts at sample `onset`.
    static std::vector<std::int32_t> Effects(const std::vector<std::int16_t>& mix,
                                             std::size_t onset) {
        std::vector<std::int32_t> out(mix.size());
        for (std::size_t i = 0; i < mix.size(); ++i)
            out[i] = mix[i] - (i >= onset ? Tune(i - onset) : 0);
        return out;
    }
    static std::size_t FirstNonZero(const std::vector<std::int32_t>& v, std::size_t from) {
        while (from < v.size() && v[from] == 0) ++from;
        return from;
    }

    static AudioRun* run_;
    static std::vector<std::int16_t> tune_;
};
AudioRun* PlayHeard::run_ = nullptr;
std::vector<std::int16_t> PlayHeard::tune_;

// The game time of the start of frame N, in samples: frames follow each other at 60 per
// second from the stage's first frame, which is where the mix begins.
std::int64_t FrameStart(int frame) {
    return static_cast<std::int64_t>(frame - 1) * plat::kMixRate / 60;
}

TEST_F(PlayHeard, StageTuneJumpAndLossSoundWhenTheyHappen) {
    ASSERT_FALSE(tune_.empty());
    const std::vector<std::int16_t> mix = LeftSamples(run_->wav);
    ASSERT_GT(mix.size(), static_cast<std::size_t>(FrameStart(kRunFrames)));
    // The tune starts with the stage: the mix is the tune from its first sample on until the
    // first effect.
    const std::vector<std::int32_t> effects = Effects(mix, 0);
    const std::size_t jump = FirstNonZero(effects, 0);
    ASSERT_LT(jump, mix.size());
    EXPECT_NE(mix[100], 0);

    // The jump sound, from the frame the hero leaves the floor, and nothing else meanwhile.
    ASSERT_GE(run_->lines.size(), static_cast<std::size_t>(kJumpFrame));
    EXPECT_LT(run_->lines[kJumpFrame - 1].y, run_->lines[kJumpFrame - 2].y);
    EXPECT_LE(std::llabs(static_cast<std::int64_t>(jump) - FrameStart(kJumpFrame)), kFrameSamples)
        << jump;
    const std::vector<std::int32_t> jumpSound = EffectAsMixed(gen::JumpSoundBytes());
    ASSERT_FALSE(jumpSound.empty());
    for (std::size_t i = 0; i < jumpSound.size(); ++i)
        ASSERT_EQ(effects[jump + i], jumpSound[i]) << "jump sample " << i;

    // Then silence but for the tune and the contact sound (system sound 7) of each time the
    // hero walks into the patroller, until the hero falls into the pit: system sound 8.
    int lost = 0;
    for (const StateLine& line : run_->lines)
        if (line.dying && lost == 0) lost = line.frame;
    ASSERT_NE(lost, 0) << "the hero never fell";
    EXPECT_NE(run_->result.errorLog.find("Dead 2"), std::string::npos);
    const std::vector<std::int32_t> contactSound = EffectAsMixed(gen::SystemSoundBytes(7));
    ASSERT_FALSE(contactSound.empty());
    std::size_t loss = FirstNonZero(effects, jump + jumpSound.size());
    int contacts = 0;
    while (loss < effects.size() &&
           static_cast<std::int64_t>(loss) < FrameStart(lost) - kFrameSamples) {
        ASSERT_LT(loss + contactSound.size(), effects.size());
        for (std::size_t i = 0; i < contactSound.size(); ++i)
            ASSERT_EQ(effects[loss + i], contactSound[i]) << "contact sample " << i;
        ++contacts;
        loss = FirstNonZero(effects, loss + contactSound.size());
    }
    const std::string& log = run_->result.errorLog;
    std::size_t logged = 0;
    for (std::size_t at = log.find("PlaySE 7"); at != std::string::npos;
         at = log.find("PlaySE 7", at + 1))
        if (at + 8 == log.size() || !std::isdigit(static_cast<unsigned char>(log[at + 8])))
            ++logged;
    EXPECT_EQ(static_cast<std::size_t>(contacts), logged) << run_->result.errorLog;
    EXPECT_LE(std::llabs(static_cast<std::int64_t>(loss) - FrameStart(lost)), kFrameSamples)
        << loss << "\n"
        << run_->result.errorLog;
    const std::vector<std::int32_t> lossSound = EffectAsMixed(gen::SystemSoundBytes(8));
    ASSERT_LT(loss + lossSound.size(), effects.size());
    for (std::size_t i = 0; i < lossSound.size(); ++i)
        ASSERT_EQ(effects[loss + i], lossSound[i]) << "loss sample " << i;
    EXPECT_EQ(FirstNonZero(effects, loss + lossSound.size()), effects.size());
}

TEST_F(PlayHeard, TwoRunsWriteTheSameBytes) {
    const AudioRun again = RunHeard(kPlayStage, kRunFrames, Script());
    ASSERT_EQ(again.wav.size(), run_->wav.size());
    EXPECT_TRUE(again.wav == run_->wav);
    // A whole WAV file: its sizes match what it holds.
    const auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<std::uint8_t>(run_->wav[at])) |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(run_->wav[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(run_->wav[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<std::uint8_t>(run_->wav[at + 3])) << 24;
    };
    EXPECT_EQ(u32(40), run_->wav.size() - 44);
    EXPECT_EQ(u32(4), run_->wav.size() - 8);
}

// The presentation stage: the director's sound effect (the jump sound) sounds from the frame
// of its command, and its music command starts the stage tune again from its beginning, although
// that tune is playing; two runs write the same bytes.
const char kPresentStage[] = "data\\stg4\\test-present.stg4";
constexpr int kPresentSeFrame = 91 + gen::kPresentLeadTenths * 6;
constexpr int kPresentBgmFrame =
    kPresentSeFrame +
    (gen::kPresentTintHoldTenths + gen::kPresentTintTenths + gen::kPresentFlashWaitTenths) * 6;
constexpr int kPresentFrames = kPresentBgmFrame + 90;

TEST(PresentHeard, SoundAtItsCommandAndTheTuneStartedAgain) {
    const std::vector<std::int16_t>& tune = StageTune();
    ASSERT_FALSE(tune.empty());
    const auto Tune = [&](std::int64_t i) { return tune[(i / 2) % tune.size()]; };
    const AudioRun run = RunHeard(kPresentStage, kPresentFrames, {});
    const std::vector<std::int16_t> mix = LeftSamples(run.wav);
    ASSERT_GT(mix.size(), static_cast<std::size_t>(FrameStart(kPresentFrames - 1)));

    // The tune from the stage's start, with nothing over it until the sound effect.
    std::vector<std::int32_t> over(mix.size());
    for (std::size_t i = 0; i < mix.size(); ++i) over[i] = mix[i] - Tune(i);
    std::size_t se = 0;
    while (se < over.size() && over[se] == 0) ++se;
    EXPECT_LE(std::llabs(static_cast<std::int64_t>(se) - FrameStart(kPresentSeFrame)),
              kFrameSamples)
        << se;
    const std::vector<std::int32_t> sound = EffectAsMixed(gen::JumpSoundBytes());
    ASSERT_FALSE(sound.empty());
    ASSERT_LT(se + sound.size(), over.size());
    for (std::size_t i = 0; i < sound.size(); ++i)
        ASSERT_EQ(over[se + i], sound[i]) << "sound sample " << i;

    // Then the tune alone until the music command, from which it plays from its beginning.
    std::size_t restart = se + sound.size();
    while (restart < over.size() && over[restart] == 0) ++restart;
    EXPECT_LE(std::llabs(static_cast<std::int64_t>(restart) - FrameStart(kPresentBgmFrame)),
              kFrameSamples)
        << restart;
    // The tune's first samples may match the old tune's by chance: its start lies at most a
    // few samples before the first difference.
    ASSERT_LT(restart + plat::kMixRate, mix.size());
    std::int64_t onset = -1;
    for (std::int64_t at = static_cast<std::int64_t>(restart);
         onset < 0 && at >= 0 && at + 4 > static_cast<std::int64_t>(restart); --at) {
        bool same = true;
        for (std::int64_t i = 0; i < plat::kMixRate && same; ++i) same = mix[at + i] == Tune(i);
        if (same) onset = at;
    }
    ASSERT_GE(onset, 0) << "the tune did not start again from its beginning";
    std::size_t requests = 0;
    for (std::size_t at = run.result.errorLog.find("PlayBGM 4 2"); at != std::string::npos;
         at = run.result.errorLog.find("PlayBGM 4 2", at + 1))
        ++requests;
    EXPECT_EQ(requests, 2u) << run.result.errorLog;

    const AudioRun again = RunHeard(kPresentStage, kPresentFrames, {});
    EXPECT_TRUE(again.wav == run.wav);
}

// The title scene's tune is MIDI: it sounds from the scene's start (well within its first
// second), and two runs render it to the same bytes.
TEST(TitleHeard, MidiTuneFromTheSceneStart) {
    const AudioRun first = RunHeard("", 90, {});
    EXPECT_NE(first.result.errorLog.find("PlayBGM 0 "), std::string::npos) << first.result.errorLog;
    const std::vector<std::int16_t> mix = LeftSamples(first.wav);
    ASSERT_GT(mix.size(), static_cast<std::size_t>(FrameStart(90)));
    std::size_t onset = 0;
    while (onset < mix.size() && mix[onset] == 0) ++onset;
    EXPECT_LT(onset, static_cast<std::size_t>(plat::kMixRate)) << "no tune in the first second";
    int loud = 0;
    for (std::size_t i = onset; i < mix.size(); ++i)
        if (std::abs(mix[i]) > 256) ++loud;
    EXPECT_GT(loud, static_cast<int>(plat::kMixRate / 10)) << "the tune is barely heard";
    const AudioRun second = RunHeard("", 90, {});
    EXPECT_TRUE(second.wav == first.wav);
}

}  // namespace

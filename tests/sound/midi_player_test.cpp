#include "sound/midi_player.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/log.h"
#include "platform/audio_source.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/seams.h"
#include "smf_writer.h"
#include "sound/midi_player_set.h"
#include "support/temp_dir.h"

namespace {

constexpr std::size_t kRate = 44100;
const Bytes kEnd = {0xFF, 0x2F, 0x00};

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes b;
    for (const Bytes& p : parts) b.insert(b.end(), p.begin(), p.end());
    return b;
}

// One second at division 96 and the default tempo: a piano note for 10 ticks at 0, the end
// of track at tick 192.
Bytes OneSecondSong() {
    return Smf(0, 96,
               {Cat({{0x00, 0xC0, 0x00, 0x00, 0x90, 0x3C, 0x64, 0x0A, 0x80, 0x3C, 0x00, 0x81, 0x36},
                     kEnd})});
}

// Four buffers of notes, 12 ticks apart at 10 ms a quarter note (division 96): each buffer
// of 2000 events plays for about 1.25 s.
Bytes LongSong() {
    Bytes t = {0x00, 0xFF, 0x51, 0x03, 0x00, 0x27, 0x10};
    for (int i = 0; i < 4000; ++i) {
        const auto key = static_cast<std::uint8_t>(48 + i % 24);
        t.insert(t.end(), {0x06, 0x90, key, 0x50, 0x06, 0x80, key, 0x00});
    }
    t.push_back(0x00);
    t.insert(t.end(), kEnd.begin(), kEnd.end());
    return Smf(0, 96, {t});
}

class MidiPlayerTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = plat::GetSeams();
        plat::Seams seams;
        seams.headless = true;
        seams.virtualClock = true;
        plat::SetSeams(seams);
        plat::UseVirtualClock(0x00010000);
        ASSERT_EQ(OpenReportLog("Report_Game.txt"), 1);
    }
    void TearDown() override { plat::SetSeams(saved_); }

    std::string Log() const { return ReadText(dir_.path + "/Report_Game.txt"); }

    // The next `frames` frames of the player's stream, as the mixer would pull them.
    static std::vector<std::int32_t> Mix(const cMidiPlayer& p, std::size_t frames) {
        std::vector<std::int32_t> acc(2 * frames, 0);
        plat::MidiStreamVoice(p.Stream())->MixInto(acc.data(), frames);
        return acc;
    }
    static double Energy(const std::vector<std::int32_t>& acc, std::size_t from, std::size_t to) {
        double e = 0;
        for (std::size_t i = 2 * from; i < 2 * to && i < acc.size(); ++i) e += std::abs(acc[i]);
        return e;
    }
    static std::size_t FirstSound(const std::vector<std::int32_t>& acc) {
        for (std::size_t i = 0; i < acc.size(); ++i) {
            if (acc[i] != 0) return i / 2;
        }
        return acc.size() / 2;
    }
    static int Queued(const cMidiPlayer& p) {
        int n = 0;
        for (int i = 0; i < cMidiPlayer::kBufferCount; ++i)
            n += (p.Header(i).dwFlags & plat::MHDR_INQUEUE) ? 1 : 0;
        return n;
    }

    TempDir dir_;
    plat::Seams saved_;
};

// A song shorter than a buffer is queued whole by Open; at its end the player rewinds and,
// when looping, plays again at once.
TEST_F(MidiPlayerTest, AShortSongLoopsOrEnds) {
    WriteFile("short.mid", OneSecondSong());
    for (int loop : {1, 0}) {
        SCOPED_TRACE(loop);
        cMidiPlayer p("short.mid");
        ASSERT_TRUE(p.HasImage());
        EXPECT_EQ(p.ReadPosition(), static_cast<int>(p.Image().size()));
        EXPECT_EQ(Queued(p), 1);
        p.Play(0, 0, loop);
        EXPECT_EQ(Queued(p), 1);  // nothing left to queue
        const std::vector<std::int32_t> out = Mix(p, 2 * kRate);
        EXPECT_LT(FirstSound(out), 64u);
        // The note again from sample 44100 (the synthesiser's next block), after a quiet tail.
        const double tail = Energy(out, 42000, 44000);
        const double again = Energy(out, 44160, 46160);
        if (loop) {
            EXPECT_GT(again, 10 * tail + 1000);
            EXPECT_EQ(p.State(), cMidiPlayer::kPlaying);
        } else {
            EXPECT_LE(again, tail);
            EXPECT_EQ(p.State(), cMidiPlayer::kStopped);
        }
        EXPECT_EQ(Queued(p), 1);  // rewound and filled again from the start
    }
    EXPECT_EQ(Log().find("Midi"), std::string::npos);
}

// A looping song that lasts no time restarts at one and the same sample: the rendering
// still moves on, and the player stays usable.
TEST_F(MidiPlayerTest, ALoopingSongOfNoLengthDoesNotHoldTheMixer) {
    WriteFile("empty.mid", Smf(0, 96, {Cat({{0x00}, kEnd})}));
    cMidiPlayer p("empty.mid");
    ASSERT_TRUE(p.HasImage());
    p.Play(0, 0, 1);
    for (int i = 0; i < 3; ++i) Mix(p, 735);
    p.Stop(0);
    EXPECT_EQ(p.State(), cMidiPlayer::kStopped);
    EXPECT_EQ(Queued(p), 1);
}

TEST_F(MidiPlayerTest, PauseAndPlayResumeWithoutRefill) {
    WriteFile("long.mid", LongSong());
    cMidiPlayer p("long.mid");
    p.Play(0, 0, 0);
    const int filled = p.ReadPosition();
    EXPECT_EQ(Queued(p), 2);
    const std::vector<std::int32_t> playing = Mix(p, kRate / 2);
    p.Stop(1);
    EXPECT_EQ(p.State(), cMidiPlayer::kPaused);
    const std::vector<std::int32_t> paused = Mix(p, kRate);
    // The notes were released: only a faint tail of reverberation is left.
    EXPECT_LT(Energy(paused, kRate / 2, kRate), Energy(playing, 0, kRate / 2) / 100);
    p.Play(0, 0, 0);
    EXPECT_EQ(p.State(), cMidiPlayer::kPlaying);
    EXPECT_EQ(p.ReadPosition(), filled);
    EXPECT_EQ(Queued(p), 2);
    // 0.5 s + 0.7 s of play: the first buffer is still playing; past 1.25 s it has been
    // played, called back and refilled, so the pause kept the place in the song.
    Mix(p, kRate * 7 / 10);
    EXPECT_EQ(p.ReadPosition(), filled);
    Mix(p, kRate / 10);
    EXPECT_GT(p.ReadPosition(), filled);
    EXPECT_EQ(Queued(p), 2);
}

TEST_F(MidiPlayerTest, StopRewindsAndLeavesOneBufferQueued) {
    WriteFile("long.mid", LongSong());
    cMidiPlayer p("long.mid");
    const int first = p.ReadPosition();
    p.Play(0, 0, 0);
    Mix(p, kRate * 3 / 2);
    ASSERT_GT(p.ReadPosition(), first);
    p.Stop(0);
    EXPECT_EQ(p.State(), cMidiPlayer::kStopped);
    EXPECT_EQ(p.ReadPosition(), first);
    EXPECT_EQ(Queued(p), 1);
    Mix(p, kRate / 2);  // a stopped stream takes nothing
    EXPECT_EQ(p.ReadPosition(), first);
    EXPECT_EQ(Queued(p), 1);
    p.Play(0, 0, 0);
    EXPECT_EQ(Queued(p), 2);
    EXPECT_EQ(Log().find("Midi"), std::string::npos);
}

TEST_F(MidiPlayerTest, DeletingAPlayingPlayerEndsItsThread) {
    WriteFile("long.mid", LongSong());
    auto* p = new cMidiPlayer("long.mid");
    p->Play(0, 0, 1);
    Mix(*p, kRate * 3 / 2);
    const std::uint32_t thread = p->ThreadId();
    ASSERT_TRUE(plat::PostThreadMessage(thread, plat::WM_THREAD_START, 0, 0));
    delete p;
    EXPECT_FALSE(plat::PostThreadMessage(thread, plat::WM_THREAD_START, 0, 0));
    EXPECT_EQ(Log().find("Midi"), std::string::npos);  // reset, unprepare and close succeeded
}

// The refills happen on the player's thread; the output must not depend on when that thread
// runs. Two plays of a song through several refills and a loop give the same samples.
TEST_F(MidiPlayerTest, TheOutputDependsOnlyOnTheSamplesAskedFor) {
    WriteFile("long.mid", LongSong());
    WriteFile("short.mid", OneSecondSong());
    for (const char* name : {"long.mid", "short.mid"}) {
        SCOPED_TRACE(name);
        std::vector<std::int32_t> runs[2];
        for (auto& run : runs) {
            cMidiPlayer p(name);
            p.Play(0, 0, 1);
            // Blocks of a mixer's size, not aligned with anything in the song.
            for (int i = 0; i < 190; ++i) {
                const std::vector<std::int32_t> block = Mix(p, 735);
                run.insert(run.end(), block.begin(), block.end());
            }
        }
        EXPECT_GT(Energy(runs[0], 0, runs[0].size() / 2), 0.0);
        EXPECT_TRUE(runs[0] == runs[1]);
    }
}

// 480 ticks at 500000 us a quarter note, then 480 at 250000: 0.5 s + 0.25 s.
TEST_F(MidiPlayerTest, ANoteAfterATempoChangeStartsAtTheSampleItsTicksGive) {
    WriteFile(
        "tempo.mid",
        Smf(1, 480,
            {Cat({{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x83, 0x60, 0xFF, 0x51, 0x03, 0x03,
                   0xD0, 0x90, 0x00},
                  kEnd}),
             Cat({{0x87, 0x40, 0x90, 0x3C, 0x64, 0x83, 0x60, 0x80, 0x3C, 0x00, 0x00}, kEnd})}));
    cMidiPlayer p("tempo.mid");
    p.Play(0, 0, 0);
    const std::vector<std::int32_t> out = Mix(p, kRate);
    const std::size_t expected = 22050 + 11025;
    // The synthesiser starts a note at its next 64-sample block.
    EXPECT_GE(FirstSound(out), expected);
    EXPECT_LT(FirstSound(out), expected + 64 + 16);
}

TEST_F(MidiPlayerTest, AFailedOpenIsLoggedAndHarmless) {
    plat::Seams seams = plat::GetSeams();
    seams.failSteps = {"midi_stream_open"};
    plat::SetSeams(seams);
    WriteFile("short.mid", OneSecondSong());
    {
        cMidiPlayer p("short.mid");
        EXPECT_TRUE(p.HasImage());
        EXPECT_EQ(p.Stream(), nullptr);
        p.Play(0, 0, 1);
        p.Stop(1);
        p.Stop(0);
    }
    const std::string log = Log();
    EXPECT_EQ(log.rfind("Midi short.mid Open no MIDI output is available\r\n", 0), 0u) << log;
    for (const char* step : {"Property", "Prepare", "Out", "Restart", "Pause", "Stop", "Reset",
                             "Unprepare", "Close"}) {
        EXPECT_NE(
            log.find(std::string("Midi short.mid ") + step + " the MIDI stream is not open\r\n"),
            std::string::npos)
            << step;
    }
}

TEST_F(MidiPlayerTest, PlayFileTakesOnlyMidiFilesThatLoad) {
    WriteFile("a.mid", OneSecondSong());
    WriteFile("b.MID", OneSecondSong());
    WriteFile("bad.mid", Bytes{'R', 'I', 'F', 'F'});
    cMidiPlayerSet set;
    set.SetCount(1);
    ASSERT_EQ(set.PlayFile(0, "a.mid", 1), 1);
    cMidiPlayer* first = set.m_vecPlayer[0];
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->State(), cMidiPlayer::kPlaying);

    // Another extension is refused before the player is touched.
    for (const char* name : {"a.wav", "a.midi", "a", "a.mi"}) {
        EXPECT_EQ(set.PlayFile(0, name, 1), 0) << name;
        EXPECT_EQ(set.m_vecPlayer[0], first);
        EXPECT_EQ(first->State(), cMidiPlayer::kPlaying);
    }
    // Any case of "mid" plays, in a new player.
    EXPECT_EQ(set.PlayFile(0, "b.MID", 0), 1);
    ASSERT_NE(set.m_vecPlayer[0], nullptr);
    EXPECT_EQ(set.m_vecPlayer[0]->State(), cMidiPlayer::kPlaying);
    set.StopAll(1);
    EXPECT_EQ(set.m_vecPlayer[0]->State(), cMidiPlayer::kPaused);
    set.StopAll(0);
    EXPECT_EQ(set.m_vecPlayer[0]->State(), cMidiPlayer::kStopped);

    // A file without an image leaves no player.
    EXPECT_EQ(set.PlayFile(0, "bad.mid", 1), 0);
    EXPECT_EQ(set.m_vecPlayer[0], nullptr);
    EXPECT_EQ(set.PlayFile(0, "missing.mid", 1), 0);
    EXPECT_EQ(set.m_vecPlayer[0], nullptr);
}

}  // namespace

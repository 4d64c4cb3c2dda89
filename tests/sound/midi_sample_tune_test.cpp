#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/log.h"
#include "gen/sample_music.h"
#include "platform/audio_source.h"
#include "smf_writer.h"
#include "sound/midi_player.h"
#include "support/temp_dir.h"

namespace {

// The sample game's title tune loads, lasts its eight bars exactly (so its loop keeps the
// beat) and sounds in every second.
TEST(MidiSampleTune, LoadsLastsEightBarsAndSounds) {
    TempDir dir;
    ASSERT_EQ(OpenReportLog("Report_Game.txt"), 1);
    WriteFile("title.mid", gen::TitleTuneMidi());

    cMidiFile f;
    f.Create("title.mid");
    ASSERT_TRUE(f.HasImage());
    std::vector<char> buffer(cMidiPlayer::kBufferSize);
    plat::MIDIHDR h;
    h.lpData = buffer.data();
    h.dwBufferLength = cMidiPlayer::kBufferSize;
    std::uint64_t ticks = 0;
    int position = kMidiImageFirstEvent;
    while (position < static_cast<int>(f.Image().size())) {
        const int consumed = f.ConvertEvents(position, &h);
        ASSERT_GT(consumed, 0);
        position += consumed;
        for (std::uint32_t at = 0; at < h.dwBytesRecorded;) {
            std::uint32_t delta, word;
            std::memcpy(&delta, buffer.data() + at, 4);
            std::memcpy(&word, buffer.data() + at + 8, 4);
            ticks += delta;
            at += 12 + ((word & plat::MEVT_F_LONG) ? ((word & 0xFFFFFF) + 3) & ~3u : 0);
        }
    }
    EXPECT_EQ(ticks, 8u * 4 * 480);

    cMidiPlayer p("title.mid");
    p.Play(0, 0, 1);
    std::vector<std::int32_t> acc(2 * 44100);
    for (int second = 0; second < 3; ++second) {
        std::fill(acc.begin(), acc.end(), 0);
        plat::MidiStreamVoice(p.Stream())->MixInto(acc.data(), 44100);
        double energy = 0;
        for (std::int32_t s : acc) energy += std::abs(s);
        EXPECT_GT(energy / acc.size(), 100.0) << second;
    }
}

}  // namespace

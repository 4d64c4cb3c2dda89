// The music manager with stand-in engines (slot files, the Ogg-then-MIDI fallbacks, forced
// replays, not initialised), and the Ogg player over libvorbisfile on the mixer: an endless
// loop runs past the end with no gap, a single play ends, Stop is silent at once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gen/sample_sounds.h"
#include "platform/message_box.h"
#include "platform/ogg_stream.h"
#include "sound/bgm_manager.h"
#include "support/sound_fixture.h"

namespace {

using namespace soundtest;

class MusicManager : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        VoxFactoryOverride = CreateFakeVox;
        Bgm.SetMidiEngine(&midi);
        ASSERT_EQ(Bgm.Init(kBgmPlayerCount, BgmOggNames, BgmMidiNames, kBgmSlotCount), 1);
        Calls().clear();
    }
    void TearDown() override {
        Bgm.UnInit();
        Bgm.SetMidiEngine(nullptr);
        SoundTest::TearDown();
    }
    FakeMidi midi;
};

TEST_F(MusicManager, SlotFileKindsByExtension) {
    struct Row {
        const char* path;
        int result;
        std::int32_t kind;
        const char* ogg;  // null: left as it was
        const char* mid;
    };
    const std::string tooLong = "bgm\\" + std::string(252, 'a') + ".ogg";  // 260 bytes
    const Row rows[] = {
        {"bgm\\Song.MID", 1, kBgmKindMidi, nullptr, "bgm\\Song.mid"},
        {"bgm\\song.mid", 1, kBgmKindMidi, nullptr, "bgm\\song.mid"},
        {"bgm\\song.ogg", 1, kBgmKindOgg, "bgm\\song.ogg", nullptr},
        {"bgm\\song.OGG", 1, kBgmKindOgg, "bgm\\song.OGG", nullptr},
        {"bgm\\song.wav", 0, kBgmKindEither, "bgm\\song.wav", "bgm\\song.wav"},
        {"bgm\\song.Mid", 0, kBgmKindEither, "bgm\\song.Mid", "bgm\\song.Mid"},
        {"bgm\\song", 0, kBgmKindEither, "", ""},
        {"", 0, kBgmKindEither, "", ""},
        {tooLong.c_str(), 0, kBgmKindEither, "", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        std::snprintf(BgmOggNames[2], 260, "old.ogg");
        std::snprintf(BgmMidiNames[2], 264, "old.mid");
        EXPECT_EQ(Bgm.SetSlotFile(2, row.path), row.result);
        EXPECT_EQ(Bgm.SlotKind(2), row.kind);
        EXPECT_STREQ(Bgm.OggName(2), row.ogg ? row.ogg : "old.ogg");
        EXPECT_STREQ(Bgm.MidiName(2), row.mid ? row.mid : "old.mid");
    }
    // The title entries start with the default names.
    EXPECT_STREQ(Bgm.OggName(0), "bgm\\Title.ogg");
    EXPECT_STREQ(Bgm.MidiName(0), "bgm\\Title.mid");
}

TEST_F(MusicManager, PlayFallsBackFromOggToMidiAndStopsTheOther) {
    struct Row {
        const char* path;
        int result;
        int slotPlaying;
        std::vector<std::string> calls;
    };
    const Row rows[] = {
        // Ogg plays: every MIDI player stops.
        {"bgm\\a.ogg",
         1,
         1,
         {"clear", "load bgm\\a.ogg", "loop 2147483647", "play", "midi stop 0"}},
        // MIDI only: the Ogg player stops (it plays from the row before).
        {"bgm\\b.mid", 1, 1, {"midi play 0 bgm\\b.mid 1", "stop"}},
        // Ogg refuses: MIDI refuses too (not a .mid name): silence, nothing playing.
        {"bgm\\bad.wav",
         0,
         -1,
         {"clear", "load bgm\\bad.wav", "midi play 0 bgm\\bad.wav 1", "midi stop 0"}},
        {"bgm\\bad.ogg", 0, -1, {"clear", "load bgm\\bad.ogg", "midi stop 0"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        Bgm.SetSlotFile(1, row.path);
        Calls().clear();
        EXPECT_EQ(Bgm.Play(0, 1, 1, 0, 1), row.result);
        EXPECT_EQ(Bgm.SlotPlaying(), row.slotPlaying);
        EXPECT_EQ(Calls(), row.calls);
    }
    // Kind 0 with an Ogg that refuses and a MIDI file that plays.
    std::snprintf(BgmOggNames[3], 260, "bgm\\bad.ogg");
    std::snprintf(BgmMidiNames[3], 264, "bgm\\c.mid");
    Calls().clear();
    EXPECT_EQ(Bgm.Play(0, 3, 0, 0, 1), 1);
    EXPECT_EQ(Calls(),
              (std::vector<std::string>{"clear", "load bgm\\bad.ogg", "midi play 0 bgm\\c.mid 0"}));
}

TEST_F(MusicManager, ForcedReplayRestartsAndUnforcedRepeatIsIgnored) {
    Bgm.SetSlotFile(kBgmStageSlot, "bgm\\s.ogg");
    ASSERT_EQ(Bgm.Play(0, kBgmStageSlot, 0, 0, 1), 1);
    Calls().clear();
    EXPECT_EQ(Bgm.Play(0, kBgmStageSlot, 0, 0, 0), 1);
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(Bgm.Play(0, kBgmStageSlot, 0, 0, 1), 1);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"stop", "clear", "load bgm\\s.ogg", "loop 0",
                                                 "play", "midi stop 0"}));
    Calls().clear();
    Bgm.Stop();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"midi stop 0", "stop"}));
}

TEST_F(MusicManager, NothingWhileNotInitialised) {
    Bgm.UnInit();
    EXPECT_EQ(Calls(), (std::vector<std::string>{"delete", "midi delete"}));
    Calls().clear();
    EXPECT_EQ(Bgm.SetSlotFile(1, "bgm\\x.ogg"), 1);
    EXPECT_EQ(Bgm.Play(0, 1, 1, 0, 1), 1);
    Bgm.Stop();
    Bgm.UnInit();
    EXPECT_TRUE(Calls().empty());
    EXPECT_EQ(Bgm.Initialised(), 0);
}

TEST_F(MusicManager, OggLibraryThatCannotStartLeavesTheMusicOff) {
    Bgm.UnInit();
    plat::Seams seams = plat::GetSeams();
    seams.failSteps = {"ogg_init"};
    SetSeams(seams);
    plat::ClearShownBoxes();
    Calls().clear();
    EXPECT_EQ(Bgm.Init(kBgmPlayerCount, BgmOggNames, BgmMidiNames, kBgmSlotCount), 0);
    EXPECT_EQ(Bgm.Initialised(), 0);
    const auto boxes = plat::ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    // The box log holds UTF-8.
    EXPECT_EQ(boxes[0].text, reinterpret_cast<const char*>(u8"oggの初期化に失敗！"));
    EXPECT_NE(ErrorText().find("m_Vox.Init失敗！"), std::string::npos);
    // Requests do nothing and close nothing.
    EXPECT_EQ(Bgm.SetSlotFile(4, "bgm\\s.ogg"), 1);
    EXPECT_EQ(Bgm.Play(0, 4, 1, 0, 1), 1);
    EXPECT_EQ(Calls(), (std::vector<std::string>{"midi clear"}));
}

// The Ogg player on the mixer, against the stream decoded on its own.
class OggPlayer : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        const std::vector<std::uint8_t> file = gen::OggTuneBytes(44100, 0.3);
        WriteBytes("tune.ogg", file);
        plat::OggStream stream;
        ASSERT_TRUE(stream.Open(file));
        std::int16_t l, r;
        while (stream.NextFrame(l, r)) reference.push_back(l);
        ASSERT_GT(reference.size(), 10000u);
        library = plat::LoadVoxLibrary();
        ASSERT_NE(library, nullptr);
        player = plat::GetVoxFactory(library)();
        ASSERT_TRUE(player->Load("tune.ogg"));
    }
    void TearDown() override {
        player->Delete();
        plat::FreeVoxLibrary(library);
        SoundTest::TearDown();
    }
    std::vector<std::int16_t> reference;  // mono: left = right
    plat::VoxLibrary* library = nullptr;
    plat::IVox* player = nullptr;
};

TEST_F(OggPlayer, EndlessLoopRunsPastTheEndWithNoGap) {
    player->SetLoop(plat::kVoxLoopEndless);
    player->Play();
    const std::size_t n = reference.size();
    const std::vector<std::int16_t> out = Mix(2 * n + 500);
    for (std::size_t i = 0; i < 2 * n + 500; ++i) {
        ASSERT_EQ(out[2 * i], reference[i % n]) << i;
        ASSERT_EQ(out[2 * i + 1], reference[i % n]) << i;
    }
}

TEST_F(OggPlayer, OncePlayEndsAndStopIsSilentFromTheNextFrame) {
    player->SetLoop(0);
    player->Play();
    const std::size_t n = reference.size();
    std::vector<std::int16_t> out = Mix(n + 100);
    for (std::size_t i = 0; i < n; ++i) ASSERT_EQ(out[2 * i], reference[i]) << i;
    for (std::size_t i = n; i < n + 100; ++i) ASSERT_EQ(out[2 * i], 0) << i;

    player->Play();
    out = Mix(3000);
    for (std::size_t i = 0; i < 3000; ++i) ASSERT_EQ(out[2 * i], reference[i]) << i;
    player->Stop();
    for (std::int16_t s : Mix(1000)) ASSERT_EQ(s, 0);
    // A file that is not Ogg Vorbis does not load.
    WriteBytes("noise.ogg", Riff({}));
    EXPECT_FALSE(player->Load("noise.ogg"));
    EXPECT_FALSE(player->Load("missing.ogg"));
}

}  // namespace

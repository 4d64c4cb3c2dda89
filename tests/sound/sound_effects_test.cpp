// Sound-effect slots: WAVE files of every accepted shape load into a slot's buffer and the
// others leave it empty with the read failure in the error log; copies play in turn from
// their start; volumes at creation and relative changes; and nothing happens without the
// sound object.
#include "sound/sound_effects.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/sound_fixture.h"

namespace {

using namespace soundtest;

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
    std::vector<std::uint8_t> out;
    for (int v : values) out.push_back(static_cast<std::uint8_t>(v));
    return out;
}

struct WaveRow {
    const char* name;
    std::vector<std::uint8_t> file;
    // The samples the buffer holds; empty: the slot stays empty.
    std::vector<std::uint8_t> data;
};

std::vector<WaveRow> WaveRows() {
    const auto pcm8 = Bytes({0x80, 0xFF, 0x00, 0x40});
    const auto pcm16 = Samples16({1000, -1000, 32767, -32768});
    const auto longFmt = FmtBody(1, 2, 44100, 16, -1, 40);
    return {
        {"8-bit mono 22050", Riff({Chunk("fmt ", FmtBody(1, 1, 22050, 8)), Chunk("data", pcm8)}),
         pcm8},
        {"8-bit stereo 8000", Riff({Chunk("fmt ", FmtBody(1, 2, 8000, 8)), Chunk("data", pcm8)}),
         pcm8},
        {"16-bit mono 11025", Riff({Chunk("fmt ", FmtBody(1, 1, 11025, 16)), Chunk("data", pcm16)}),
         pcm16},
        {"16-bit stereo 44100",
         Riff({Chunk("fmt ", FmtBody(1, 2, 44100, 16)), Chunk("data", pcm16)}), pcm16},
        {"16-bit stereo 96000, fmt with extra size",
         Riff({Chunk("fmt ", FmtBody(1, 2, 96000, 16, -1, 18)), Chunk("data", pcm16)}), pcm16},
        {"a long fmt chunk", Riff({Chunk("fmt ", longFmt), Chunk("data", pcm16)}), pcm16},
        {"LIST and fact before data",
         Riff({Chunk("fmt ", FmtBody(1, 1, 22050, 16)), Chunk("LIST", Bytes({'I', 'N', 'F', 'O'})),
               Chunk("fact", Bytes({4, 0, 0, 0})), Chunk("data", pcm16)}),
         pcm16},
        {"odd chunk sizes with their pad bytes",
         Riff({Chunk("junk", Bytes({1, 2, 3})), Chunk("fmt ", FmtBody(1, 1, 22050, 8)),
               Chunk("note", Bytes({9})), Chunk("data", Bytes({0x10, 0x20, 0x30}))}),
         Bytes({0x10, 0x20, 0x30})},
        {"data declared past the end: cut to the whole blocks present",
         Riff({Chunk("fmt ", FmtBody(1, 2, 22050, 16)),
               Chunk("data", Samples16({1, 2, 3, 4, 5}), 4000)}),
         Samples16({1, 2, 3, 4})},
        {"not PCM", Riff({Chunk("fmt ", FmtBody(3, 1, 22050, 16)), Chunk("data", pcm16)}), {}},
        {"24 bits", Riff({Chunk("fmt ", FmtBody(1, 1, 22050, 24)), Chunk("data", pcm16)}), {}},
        {"three channels",
         Riff({Chunk("fmt ", FmtBody(1, 3, 22050, 16)), Chunk("data", pcm16)}),
         {}},
        {"rate 0", Riff({Chunk("fmt ", FmtBody(1, 1, 0, 16)), Chunk("data", pcm16)}), {}},
        {"rate above 200000",
         Riff({Chunk("fmt ", FmtBody(1, 1, 200001, 16)), Chunk("data", pcm16)}),
         {}},
        {"block align that does not fit",
         Riff({Chunk("fmt ", FmtBody(1, 2, 22050, 16, 2)), Chunk("data", pcm16)}),
         {}},
        {"fmt shorter than its record",
         Riff({Chunk("fmt ", FmtBody(1, 1, 22050, 16, -1, 14)), Chunk("data", pcm16)}),
         {}},
        {"no data", Riff({Chunk("fmt ", FmtBody(1, 1, 22050, 16))}), {}},
        {"data before fmt",
         Riff({Chunk("data", pcm16), Chunk("fmt ", FmtBody(1, 1, 22050, 16))}),
         {}},
        {"data shorter than one block",
         Riff({Chunk("fmt ", FmtBody(1, 2, 22050, 16)), Chunk("data", Bytes({1, 2, 3}))}),
         {}},
        {"not RIFF", Bytes({'R', 'I', 'F', 'X', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}), {}},
        {"cut in the header", Bytes({'R', 'I', 'F', 'F', 4, 0}), {}},
    };
}

class SoundEffects : public SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
    }
    // The bytes of copy `copy` of the slot.
    static std::vector<std::uint8_t> BufferBytes(DSSOUNDDATA& slot, int copy = 0) {
        void* p = nullptr;
        plat::DWORD n = 0;
        EXPECT_EQ(
            slot.lpBuffers[copy]->Lock(0, 0, &p, &n, nullptr, nullptr, plat::DSBLOCK_ENTIREBUFFER),
            plat::DS_OK);
        const auto* b = static_cast<const std::uint8_t*>(p);
        return std::vector<std::uint8_t>(b, b + n);
    }
    static const void* BufferAddress(DSSOUNDDATA& slot, int copy) {
        void* p = nullptr;
        plat::DWORD n = 0;
        slot.lpBuffers[copy]->Lock(0, 0, &p, &n, nullptr, nullptr, plat::DSBLOCK_ENTIREBUFFER);
        return p;
    }
    static plat::DWORD Position(DSSOUNDDATA& slot, int copy) {
        plat::DWORD play = 0;
        slot.lpBuffers[copy]->GetCurrentPosition(&play, nullptr);
        return play;
    }
};

TEST_F(SoundEffects, EachWaveShapeLoadsOrLeavesItsSlotEmpty) {
    for (const WaveRow& row : WaveRows()) {
        SCOPED_TRACE(row.name);
        WriteBytes("se.wav", row.file);
        SetErrorLog(1, "Row.txt");
        DSSOUNDDATA slot;
        const bool made = DS_CreateSoundEffect(slot, "se.wav", 1, 0);
        const std::string log = ReadText("Row.txt");
        if (row.data.empty()) {
            EXPECT_FALSE(made);
            EXPECT_EQ(slot.lpBuffers, nullptr);
            EXPECT_NE(log.find("se.wav読み込み失敗！"), std::string::npos) << log;
            DS_PlaySoundEffect(slot, 0);  // silent, and no crash
        } else {
            ASSERT_TRUE(made) << log;
            ASSERT_NE(slot.lpBuffers, nullptr);
            EXPECT_EQ(BufferBytes(slot), row.data);
            EXPECT_STREQ(slot.szFileName, "se.wav");
            DS_ReleaseSoundEffect(slot);
        }
    }
    EXPECT_EQ(plat::LiveSoundBuffers(), 0);
}

TEST_F(SoundEffects, ThreeCopiesPlayInTurnEachFromItsStart) {
    WriteBytes("three.wav", Riff({Chunk("fmt ", FmtBody(1, 1, 44100, 16)),
                                  Chunk("data", Samples16(std::vector<std::int16_t>(1000, 100)))}));
    DSSOUNDDATA slot;
    ASSERT_TRUE(DS_CreateSoundEffect(slot, "three.wav", 3, 0));
    ASSERT_EQ(slot.nCount, 3);
    // The duplicates share the first buffer's samples.
    EXPECT_EQ(BufferAddress(slot, 0), BufferAddress(slot, 2));
    const int expectedCopy[] = {0, 1, 2, 0};
    for (int turn = 0; turn < 4; ++turn) {
        SCOPED_TRACE(turn);
        EXPECT_EQ(slot.nNext, expectedCopy[turn]);
        DS_PlaySoundEffect(slot, 0);
        EXPECT_EQ(Position(slot, expectedCopy[turn]), 0u);  // from its start
        Mix(100);
        EXPECT_EQ(Position(slot, expectedCopy[turn]), 200u);  // 100 frames of 2 bytes
    }
    // Copy 0 was restarted by the fourth play: it is where that play left it, not further.
    EXPECT_EQ(Position(slot, 0), 200u);
    EXPECT_EQ(Position(slot, 1), 600u);
    DS_ReleaseSoundEffect(slot);
}

TEST_F(SoundEffects, VolumesAtCreationAndRelativeChanges) {
    WriteBytes("v.wav",
               Riff({Chunk("fmt ", FmtBody(1, 1, 22050, 8)), Chunk("data", Bytes({0x80, 0x80}))}));
    struct Row {
        std::int32_t optionVolume;  // what start-up passes for the option step
        std::int32_t ownVolume;     // the definition's own
        std::int32_t expected;
    };
    const Row rows[] = {
        {kSeVolumeTable[10], 0, 0},  // step 10: no volume is set
        {kSeVolumeTable[10], -700, -700},
        {kSeVolumeTable[0], 0, -10000},
        {kSeVolumeTable[7], -700, -150},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.optionVolume);
        // The sound layer keeps the vectors of the last load: the program's own.
        CheckedVector<DSSOUNDDATA>& data = DSSoundData;
        CheckedVector<DSSOUNDDEF>& defs = SoundFileList;
        data.Clear();
        defs.Clear();
        data.resize(1);
        defs.resize(1);
        std::snprintf(defs[0].szFileName, sizeof defs[0].szFileName, "v.wav");
        defs[0].nCopies = 2;
        defs[0].nVolume = row.ownVolume;
        EXPECT_EQ(DS_LoadSoundEffects(data, defs, row.optionVolume), 1);
        ASSERT_NE(data[0].lpBuffers, nullptr);
        EXPECT_EQ(DS_GetVolume(data[0], 0), row.expected);
        EXPECT_EQ(DS_GetVolume(data[0], 1), row.expected);
        DS_ReleaseSoundEffect(data[0]);
    }
    DSSOUNDDATA slot;
    ASSERT_TRUE(DS_CreateSoundEffect(slot, "v.wav", 1, -9800));
    EXPECT_EQ(DS_SetVolume(slot, 0, -500, 1), -10000);
    EXPECT_EQ(DS_GetVolume(slot, 0), -10000);
    EXPECT_EQ(DS_SetVolume(slot, 0, 300, 1), -9700);
    EXPECT_EQ(DS_SetVolume(slot, 0, 5000, 0), 0);
    EXPECT_EQ(DS_SetVolume(slot, 1, -100, 0), 0);  // no such copy
    DS_ReleaseSoundEffect(slot);
}

TEST_F(SoundEffects, MissingFileIsSilentAndTheOtherSlotsStillLoad) {
    WriteBytes("ok.wav", Riff({Chunk("fmt ", FmtBody(1, 1, 44100, 16)),
                               Chunk("data", Samples16({5000, 5000, 5000}))}));
    CheckedVector<DSSOUNDDATA>& data = DSSoundData;
    CheckedVector<DSSOUNDDEF>& defs = SoundFileList;
    data.resize(3);
    defs.resize(3);
    std::snprintf(defs[0].szFileName, 260, "missing.wav");
    std::snprintf(defs[1].szFileName, 260, "ok.wav");
    for (DSSOUNDDEF& d : defs) d.nCopies = 1;
    defs[2].nCopies = 0;  // a system sound the list does not name
    DS_LoadSoundEffects(data, defs, 0);
    EXPECT_EQ(data[0].lpBuffers, nullptr);
    EXPECT_NE(data[1].lpBuffers, nullptr);
    EXPECT_EQ(data[2].lpBuffers, nullptr);
    EXPECT_NE(ErrorText().find("missing.wav読み込み失敗！"), std::string::npos);
    DS_PlaySoundEffect(data[0], 0);
    DS_PlaySoundEffect(data[2], 0);
    for (std::int16_t s : Mix(10)) EXPECT_EQ(s, 0);
    // The cursor sound is slot 0 of the last load: silent too.
    PlayCursorSe();
    for (std::int16_t s : Mix(10)) EXPECT_EQ(s, 0);
    DS_PlaySoundEffect(data[1], 0);
    EXPECT_EQ(Mix(1)[0], 5000);
    DS_UnInit();
    EXPECT_EQ(data[1].lpBuffers, nullptr);  // released with the sound object
    EXPECT_EQ(plat::LiveSoundBuffers(), 0);
}

TEST(SoundEffectsWithoutDevice, EveryCallIsANoOp) {
    ResetSoundGlobals();
    ASSERT_FALSE(DS_Initialised());
    DSSOUNDDATA slot;
    EXPECT_TRUE(DS_CreateSoundEffect(slot, "anything.wav", 2, -100));
    EXPECT_EQ(slot.lpBuffers, nullptr);
    DS_PlaySoundEffect(slot, 0);
    EXPECT_EQ(DS_SetVolume(slot, 0, -100, 0), 0);
    EXPECT_EQ(DS_GetVolume(slot, 0), 0);
    PlayCursorSe();
    DS_UnInit();
    EXPECT_EQ(plat::LiveSoundBuffers(), 0);
}

// The three failure lines come only from the named failing steps; each fails the start.
TEST_F(SoundEffects, FailingDeviceStepsEachLogTheirLine) {
    DS_UnInit();
    const std::pair<const char*, const char*> steps[] = {
        {"dsound_create", "DIRECTSOUNDCREATE_ERR!"},
        {"dsound_cooperative_level", "SETCOOPERATIVELEVEL_ERR!"},
        {"dsound_primary_buffer", "CREATESOUNDBUFFER_ERR!"},
    };
    for (const auto& [step, line] : steps) {
        SCOPED_TRACE(step);
        plat::Seams seams = plat::GetSeams();
        seams.failSteps = {step};
        SetSeams(seams);
        EXPECT_FALSE(DS_Init(nullptr, 22050, 8, 1));
        EXPECT_NE(ErrorText().find(line), std::string::npos) << ErrorText();
        DS_UnInit();
    }
}

}  // namespace

// The progress record in its files: the layout built by hand from the documented order and
// read back and written again byte for byte, the upgrades of older versions, the map and
// challenge clamps, and damaged files that are refused without touching the progress.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "base/paths.h"
#include "data/world_map.h"
#include "scene/save_slots.h"
#include "scene_fixture.h"
#include "support/byte_builder.h"

namespace {

// The character record as its own save writes it (its layout is pinned by its own tests).
std::vector<std::uint8_t> CharaBody(std::uint32_t version) {
    cEdChara chara;
    chara.nGraphic = 7;
    std::vector<std::uint8_t> bytes = chara.SaveToBytes(
        version == kCurrentDataVersion ? RecordWriter() : RecordWriter::ForOldVersion(version));
    bytes.erase(bytes.begin(), bytes.begin() + 4);  // the version
    return bytes;
}

// The registered members in file order at 747 as (name, value); the values are chosen to
// survive the load's checks (map 20 x 15, three challenge stages).
struct Field {
    std::int32_t* (*member)(GameProgress&);
    std::int32_t value;
};
#define F(m, v)                                 \
    Field {                                     \
        [](GameProgress& p) { return &p.m; }, v \
    }
const Field kFields747[32] = {
    F(m_bCarried, 1),     F(m_nMapX, 4),
    F(m_nMapY, 5),        F(m_nPlayingEntryWord, 0x1234),
    F(m_nPlayThrough, 2), F(m_nClearSwitch, 17),
    F(m_nSeriesIndex, 3), F(m_nContinueLives, 6),
    F(m_nLives, 4),       F(m_nStageScore, 150),
    F(m_nScore, 9000),    F(m_nTotalBest, 12000),
    F(m_nRestTime, 88),   F(m_nClearTime, 4321),
    F(m_nRestHP, 33),     F(m_nRestSP, 44),
    F(m_bSeries, 1),      F(m_nStageBgm, 2),
    F(m_bBgmLoop, 1),     F(m_nMapFacing, 3),
    F(m_bBackToMap, 1),   F(m_nEntryX, 6),
    F(m_nEntryY, 7),      F(m_nChallengeOpen, 2),
    F(m_nSlot, 12),       F(m_bAutoSave, 1),
    F(m_bShowRanking, 1), F(m_nRankTable, 3),
    F(m_bWarpPos, 1),     F(m_nWarpX, 21),
    F(m_nWarpY, 9),       F(m_nWarpDir, 1),
};
#undef F

// Which of the 32 fields a file of `version` stores.
bool Stored(int index, std::uint32_t version) {
    switch (index) {
        case 14:
        case 15:
            return version >= 182;
        case 18:
            return version >= 166;
        case 19:
            return version >= 194;
        case 20:
            return version >= 190;
        case 21:
        case 22:
            return version >= 191;
        case 25:
            return version >= 169;
        case 28:
        case 29:
        case 30:
            return version >= 678;
        case 31:
            return version >= 679;
        default:
            return true;
    }
}

// A whole progress file of `version`, from the documented layout.
std::vector<std::uint8_t> ProgressFile(std::uint32_t version, int carryFlags = 25) {
    ByteBuilder b;
    b.U32(version);
    std::uint32_t fields = 0;
    for (int i = 0; i < 32; ++i) fields += Stored(i, version);
    b.U32(fields);
    for (int i = 0; i < 32; ++i)
        if (Stored(i, version)) b.I32(kFields747[i].value);
    b.U32(version >= 724 ? 3 : 2).Str("data\\stg4\\forest.");
    if (version >= 724) b.Str("extra");
    b.Str("bob");
    for (std::uint16_t v : {2011, 6, 5, 17, 9, 5, 30, 250}) b.U16(v);  // the save time
    if (version >= 501) {
        b.U32(static_cast<std::uint32_t>(carryFlags));
        for (int i = 0; i < carryFlags; ++i) b.I32(i % 3 == 0 ? 1 : 0);
    }
    b.U32(1).U32(5).I32(40).I32(12).I32(100).I32(3).I32(2).U32(0).Bytes(CharaBody(version));
    b.U32(2);
    b.U32(1).I32(500).U32(1).Str("data\\stg4\\forest.");
    b.U32(1).I32(700).U32(1).Str("data\\stg4\\cave.");
    b.U32(3);
    b.U32(2).I32(1).I32(300).U32(0);
    b.U32(2).I32(0).I32(0).U32(0);
    b.U32(2).I32(0).I32(0).U32(0);
    b.U32(1000);
    for (int i = 0; i < 1000; ++i) b.I32(i == 0 || i == 17 ? 1 : 0);
    b.U32(256);
    for (int i = 0; i < 256; ++i) b.I32(i * 3 - 100);
    return b.bytes;
}

class ProgressFileTest : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        EdSystem.nChallengeStages = 3;
    }
    void TearDown() override { TearDownWorld(); }

    static GameProgress Loaded(const std::vector<std::uint8_t>& bytes, bool* stopped = nullptr) {
        GameProgress p;
        RecordReader reader = RecordReader::FromBytes(bytes);
        p.Load(reader);
        if (stopped) *stopped = reader.StoppedEarly();
        return p;
    }
    static void WriteBytes(const char* host, const std::vector<std::uint8_t>& bytes) {
        std::ofstream out(host, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
};

TEST_F(ProgressFileTest, CurrentFileReadsEveryPartAndWritesTheSameBytes) {
    const std::vector<std::uint8_t> file = ProgressFile(747);
    ASSERT_EQ(std::vector<std::uint8_t>(file.begin(), file.begin() + 4),
              (std::vector<std::uint8_t>{0xEB, 0x02, 0x00, 0x00}));
    bool stopped = true;
    GameProgress p = Loaded(file, &stopped);
    EXPECT_FALSE(stopped);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(*kFields747[i].member(p), kFields747[i].value) << i;
    EXPECT_EQ(p.m_strStageBase, "data\\stg4\\forest.");
    EXPECT_EQ(p.m_strExtra, "extra");
    EXPECT_EQ(p.m_strPlayerName, "bob");
    EXPECT_EQ(p.m_SaveTime.wYear, 2011);
    EXPECT_EQ(p.m_SaveTime.wDayOfWeek, 5);
    EXPECT_EQ(p.m_SaveTime.wMinute, 5);
    EXPECT_EQ(p.m_SaveTime.wMilliseconds, 250);
    ASSERT_EQ(p.m_vecCarryFlags.Size(), 25u);
    EXPECT_EQ(p.m_vecCarryFlags[3], 1);
    EXPECT_EQ(p.m_vecCarryFlags[4], 0);
    ASSERT_EQ(p.m_vecCarryChara.Size(), 1u);
    EXPECT_EQ(p.m_vecCarryChara[0].m_nHp, 40);
    EXPECT_EQ(p.m_vecCarryChara[0].m_nStageBgm, 2);
    EXPECT_EQ(p.m_vecCarryChara[0].m_Chara.nGraphic, 7);
    ASSERT_EQ(p.m_vecStageScore.Size(), 2u);
    EXPECT_EQ(p.m_vecStageScore[1].m_strKey, "data\\stg4\\cave.");
    EXPECT_EQ(p.m_vecStageScore[1].m_nValue, 700);
    ASSERT_EQ(p.m_vecChallenge.Size(), 3u);
    EXPECT_EQ(p.m_vecChallenge[0].m_bCleared, 1);
    EXPECT_EQ(p.m_vecChallenge[0].m_nBest, 300);
    EXPECT_EQ(p.m_vecSwitch[17], 1);
    EXPECT_EQ(p.m_vecVariable[255], 665);
    EXPECT_EQ(p.SaveToBytes(), file);
}

// Files older than 747 lack members: those the upgrade names become their first values, and
// the carry flags (below 501) all count as stored.
TEST_F(ProgressFileTest, OldVersionsAreUpgradedAndWrittenAtTheCurrentOne) {
    GameProgress p;
    p.m_nRestHP = p.m_nRestSP = p.m_nMapFacing = p.m_bBackToMap = 9;
    p.m_nEntryX = p.m_nEntryY = 9;
    RecordReader reader = RecordReader::FromBytes(ProgressFile(180));
    p.Load(reader);
    ASSERT_FALSE(reader.StoppedEarly()) << reader.Problem();
    EXPECT_EQ(p.m_nRestHP, 0);
    EXPECT_EQ(p.m_nRestSP, 0);
    EXPECT_EQ(p.m_bBackToMap, 0);
    EXPECT_EQ(p.m_nEntryX, 0);
    EXPECT_EQ(p.m_nEntryY, 0);
    EXPECT_EQ(p.m_nMapFacing, 0);
    EXPECT_EQ(p.m_nScore, 9000);
    EXPECT_EQ(p.m_nChallengeOpen, 2);  // a field after the gated ones still finds its place
    EXPECT_EQ(p.m_nRankTable, 3);
    EXPECT_EQ(p.m_strPlayerName, "bob");
    EXPECT_EQ(p.m_vecCarryFlags, CheckedVector<std::int32_t>(25, 1));

    const std::vector<std::uint8_t> saved = p.SaveToBytes();
    RecordReader again = RecordReader::FromBytes(saved);
    EXPECT_EQ(again.Version(), 747u);
    EXPECT_EQ(again.ReadU32(), 32u);

    // Below 166 the music loops, below 169 there is no autosave.
    GameProgress q;
    q.m_bBgmLoop = 0;
    q.m_bAutoSave = 1;
    RecordReader old = RecordReader::FromBytes(ProgressFile(160));
    q.Load(old);
    EXPECT_FALSE(old.StoppedEarly());
    EXPECT_EQ(q.m_bBgmLoop, 1);
    EXPECT_EQ(q.m_bAutoSave, 0);
}

TEST_F(ProgressFileTest, CarryFlagsAreStoredFromVersion501) {
    struct Case {
        std::uint32_t version;
        int flags;
        std::vector<std::int32_t> first4;
        std::int32_t last;
    };
    const Case cases[] = {
        {500, 0, {1, 1, 1, 1}, 1},   // no flags in the file: all stored
        {501, 3, {1, 0, 0, 0}, 0},   // three flags: the missing ones not stored
        {501, 30, {1, 0, 0, 1}, 1},  // more than 25: the groups beyond do not exist
    };
    for (const Case& c : cases) {
        bool stopped = true;
        GameProgress p = Loaded(ProgressFile(c.version, c.flags), &stopped);
        EXPECT_FALSE(stopped) << c.version;
        ASSERT_EQ(p.m_vecCarryFlags.Size(), 25u) << c.version;
        for (int i = 0; i < 4; ++i) EXPECT_EQ(p.m_vecCarryFlags[i], c.first4[i]) << c.version;
        EXPECT_EQ(p.m_vecCarryFlags[24], c.last) << c.version << "/" << c.flags;
    }
}

TEST_F(ProgressFileTest, MapPositionAndChallengeRecordsFollowTheProject) {
    // The file's hero stands on (4, 5).
    ASSERT_EQ(EdWorldMap.SetSize(5, 5), 1);
    EdWorldMap.nStartX = 2;
    EdWorldMap.nStartY = 3;
    EdSystem.nChallengeStages = 2;
    GameProgress p = Loaded(ProgressFile(747));
    EXPECT_EQ(p.m_nMapX, 4);  // inside the 5 columns
    EXPECT_EQ(p.m_nMapY, 3);  // row 5 is outside the 5 rows
    EXPECT_EQ(p.m_vecChallenge.Size(), 2u);
    EXPECT_EQ(p.m_nChallengeOpen, 2);

    EdSystem.nChallengeStages = 1;
    p.m_nMapX = 5;
    p.m_nMapY = -4;  // negative values are not corrected
    p.SaveToBytes();
    EXPECT_EQ(p.m_nMapX, 2);
    EXPECT_EQ(p.m_nMapY, -4);
    EXPECT_EQ(p.m_vecChallenge.Size(), 1u);
    EXPECT_EQ(p.m_nChallengeOpen, 1);

    EdSystem.nChallengeStages = 4;
    p.SaveToBytes();
    ASSERT_EQ(p.m_vecChallenge.Size(), 4u);
    EXPECT_EQ(p.m_vecChallenge[3].m_bCleared, 0);
    EXPECT_EQ(p.m_vecChallenge[3].m_nBest, 0);
}

// After a load the lists the readers index have their sizes and the indices their ranges.
TEST_F(ProgressFileTest, LoadRestoresTheSizesAndRangesTheReadersRelyOn) {
    struct Case {
        std::int32_t rankTable, slot;
        std::int32_t wantRankTable, wantSlot;
    };
    const Case cases[] = {{4, 98, 4, 98}, {5, 99, 0, -1}, {-1, -2, 0, -1}, {0, -1, 0, -1}};
    for (const Case& c : cases) {
        ByteBuilder b;
        b.U32(747).U32(32);
        for (int i = 0; i < 32; ++i) {
            std::int32_t v = 0;
            if (i == 24) v = c.slot;
            if (i == 27) v = c.rankTable;
            b.I32(v);
        }
        b.U32(3).Str("").Str("").Str("");
        for (int i = 0; i < 8; ++i) b.U16(0);
        b.U32(2).I32(1).I32(1);         // two carry flags
        b.U32(0);                       // no carried statuses
        b.U32(0).U32(0);                // no scores, no challenge records
        b.U32(3).I32(1).I32(0).I32(1);  // three switches
        b.U32(1).I32(42);               // one variable
        bool stopped = true;
        GameProgress p = Loaded(b.bytes, &stopped);
        EXPECT_FALSE(stopped);
        EXPECT_EQ(p.m_nRankTable, c.wantRankTable) << c.rankTable;
        EXPECT_EQ(p.m_nSlot, c.wantSlot) << c.slot;
        EXPECT_EQ(p.m_vecSwitch.Size(), 1000u);
        EXPECT_EQ(p.m_vecSwitch[2], 1);
        EXPECT_EQ(p.m_vecVariable.Size(), 256u);
        EXPECT_EQ(p.m_vecVariable[0], 42);
        EXPECT_EQ(p.m_vecCarryFlags.Size(), 25u);
        EXPECT_EQ(p.m_vecCarryFlags[1], 1);
        EXPECT_EQ(p.m_vecCarryFlags[2], 0);
        EXPECT_EQ(p.m_vecCarryChara.Size(), 1u);
        EXPECT_EQ(p.m_vecChallenge.Size(), 3u);
    }
}

// A file cut anywhere, or with counts its bytes cannot back, stops the reader; one that
// stores more members than the record has is refused before the checked access would close
// the program.
TEST_F(ProgressFileTest, DamagedFilesStopTheReader) {
    const std::vector<std::uint8_t> file = ProgressFile(747);
    for (std::size_t n = 4; n < file.size(); n += (n < 200 ? 1 : 37)) {
        bool stopped = false;
        Loaded(std::vector<std::uint8_t>(file.begin(), file.begin() + n), &stopped);
        EXPECT_TRUE(stopped) << n;
    }
    struct Patch {
        std::size_t offset;
        std::uint32_t value;
        const char* what;
    };
    const std::size_t strings = 4 + 4 + 32 * 4;
    const std::size_t switches = file.size() - 4 * 256 - 4 - 4 * 1000 - 4;
    const Patch patches[] = {
        {4, 33, "33 fields"},
        {strings, 4, "4 strings"},
        {switches, 0xFFFFFFFFu, "a switch count beyond the file"},
        {file.size() - 4 * 256 - 4, 257, "one variable more than the file holds"},
    };
    for (const Patch& patch : patches) {
        std::vector<std::uint8_t> bad = file;
        std::memcpy(bad.data() + patch.offset, &patch.value, 4);
        bool stopped = false;
        Loaded(bad, &stopped);
        EXPECT_TRUE(stopped) << patch.what;
    }
    EXPECT_EQ(PendingCloses(), 0);
}

}  // namespace

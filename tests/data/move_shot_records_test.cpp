// Move and shot records: their layouts at the current and the oldest versions, the fields
// that each older version lacks, the normalise step and the spawn offsets.
#include "data/move_shot_records.h"

#include <gtest/gtest.h>

#include "flow_bytes.h"

using namespace flow_bytes;

namespace {

class MoveShotRecordsTest : public FlowFixture {};

// Every stored entry numbered from 1 in file order; doubles too.
std::vector<long long> Numbered(std::size_t n) {
    std::vector<long long> v;
    for (std::size_t i = 0; i < n; ++i) v.push_back(static_cast<long long>(i + 1));
    return v;
}

TEST_F(MoveShotRecordsTest, MoveFieldsLieInFileOrderAtEveryLayout) {
    // Current layout: 32 fields.
    ByteBuilder now;
    Fields(now, MoveWidths(747), Numbered(32));
    RecordReader r1 = Body(now, 747);
    cEdMove m;
    m.Load(r1);
    EXPECT_EQ(r1.Remaining(), 0u);
    EXPECT_EQ(m.nDestMode, 1);
    EXPECT_EQ(m.bMirrorAngle, 5);
    EXPECT_EQ(m.bKeepFacing, 20);
    EXPECT_EQ(m.nSpeed, 22);
    EXPECT_EQ(m.nUnit, 26);
    EXPECT_EQ(m.fTurnFactor, 31.0);
    EXPECT_EQ(m.bKeepAnime, 32);
    ByteBuilder want;
    want.U32(747).Bytes(now.bytes);
    EXPECT_EQ(m.SaveToBytes(), want.bytes);

    // Before 158: 28 fields, the later ones moved up.
    ByteBuilder old;
    Fields(old, MoveWidths(150), Numbered(28));
    RecordReader r2 = Body(old, 150);
    cEdMove o;
    o.Load(r2);
    EXPECT_EQ(r2.Remaining(), 0u);
    EXPECT_EQ(o.nAngleInc, 4);
    EXPECT_EQ(o.bUseX, 5);
    EXPECT_EQ(o.bSnap, 18);
    EXPECT_EQ(o.nTiming, 19);
    EXPECT_EQ(o.nDistanceInc, 23);
    EXPECT_EQ(o.nHoming, 24);
    EXPECT_EQ(o.fTurnFactor, 28.0);
    EXPECT_EQ(o.bMirrorAngle, 0);
    EXPECT_EQ(o.nUnit, 0);
    EXPECT_EQ(o.bKeepFacing, 0);
    EXPECT_EQ(o.bKeepAnime, 0);
}

TEST_F(MoveShotRecordsTest, MoveFieldsOlderFilesLackTakeTheOldBehaviour) {
    struct Row {
        std::uint32_t version;
        int mirror, unit, keep;
    };
    for (const Row row : {Row{157, 0, 0, 0}, Row{158, 1, 0, 0}, Row{159, 1, 1, 0},
                          Row{161, 1, 1, 0}, Row{162, 1, 1, 1}}) {
        cEdMove source;
        source.bMirrorAngle = 1;
        source.nUnit = 1;
        source.bKeepFacing = 1;
        source.bKeepAnime = 1;
        source.nSpeed = 33;
        RecordReader reader =
            RecordReader::FromBytes(source.SaveToBytes(RecordWriter::ForOldVersion(row.version)));
        cEdMove m;  // a new move: bMirrorAngle 1
        m.Load(reader);
        EXPECT_EQ(reader.Remaining(), 0u);
        EXPECT_EQ(m.bMirrorAngle, row.mirror) << row.version;
        EXPECT_EQ(m.nUnit, row.unit) << row.version;
        EXPECT_EQ(m.bKeepFacing, row.keep) << row.version;
        EXPECT_EQ(m.bKeepAnime, row.keep) << row.version;
        EXPECT_EQ(m.nSpeed, 33) << row.version;
    }
}

TEST_F(MoveShotRecordsTest, ShotFieldsLieInFileOrderAtEveryLayout) {
    const std::vector<int> widths = ShotWidths(747);
    ASSERT_EQ(widths.size(), 60u);
    ByteBuilder now;
    Fields(now, widths, Numbered(60));
    RecordReader r1 = Body(now, 747);
    r1.SetNormalize(false);
    cEdShot s;
    s.Load(r1);
    EXPECT_EQ(r1.Remaining(), 0u);
    EXPECT_EQ(s.nFormationParam[2], 3);
    EXPECT_EQ(s.nAimAt, 4);
    EXPECT_EQ(s.bMirrorAngle, 9);
    EXPECT_EQ(s.nGraphic, 19);
    EXPECT_EQ(s.nGiant, 25);
    EXPECT_EQ(s.nHomingParam[0], 28);
    EXPECT_EQ(s.bGuided, 29);
    EXPECT_EQ(s.nAccelInc, 34);
    EXPECT_EQ(s.bPierce32, 44);
    EXPECT_EQ(s.nPower, 47);
    EXPECT_EQ(s.nEffect, 50);
    EXPECT_EQ(s.bNoSummonOnChara, 55);
    EXPECT_EQ(s.bReverseFacing, 60);
    ByteBuilder want;
    want.U32(747).Bytes(now.bytes);
    EXPECT_EQ(s.SaveToBytes(RecordWriter::ForOldVersion(747)), want.bytes);

    // Before 158 the eight fields of the later gates are all missing: 52 fields.
    ASSERT_EQ(ShotWidths(150).size(), 52u);
    ByteBuilder old;
    Fields(old, ShotWidths(150), Numbered(52));
    RecordReader r2 = Body(old, 150);
    r2.SetNormalize(false);
    cEdShot o;
    o.Load(r2);
    EXPECT_EQ(r2.Remaining(), 0u);
    EXPECT_EQ(o.nDirection, 4);
    EXPECT_EQ(o.nSpread, 8);
    EXPECT_EQ(o.nHomingKind, 25);
    EXPECT_EQ(o.nSpeed, 27);
    EXPECT_EQ(o.nRange, 29);
    EXPECT_EQ(o.bPierceChara, 37);
    EXPECT_EQ(o.bClash, 38);
    EXPECT_EQ(o.bNoSummonOnHero, 47);
    EXPECT_EQ(o.bNoSummonOnChara, 47);  // takes the hero's switch
    EXPECT_EQ(o.nSummonPalette, 48);
    EXPECT_EQ(o.bReverseFacing, 52);
    EXPECT_EQ(o.bMirrorAngle, 0);
    EXPECT_EQ(o.nAimAt, 0);
    EXPECT_EQ(o.nAccel, 0);
    EXPECT_EQ(o.bPierce32, 37);  // takes bPierceChara
}

TEST_F(MoveShotRecordsTest, ShotFieldsOlderFilesLackTakeTheOldBehaviour) {
    struct Row {
        std::uint32_t version;
        int homingKind, storedGuided;
        int mirror, noSummonChara, guided, accel, pierce32, aimAt;
    };
    const Row rows[] = {
        {157, 5, 0, 0, 1, 1, 0, 1, 0}, {158, 5, 0, 1, 1, 1, 0, 1, 0}, {196, 3, 1, 1, 1, 0, 0, 1, 0},
        {197, 5, 0, 1, 0, 1, 0, 1, 0}, {211, 3, 1, 1, 0, 0, 0, 1, 0}, {211, 7, 0, 1, 0, 1, 0, 1, 0},
        {212, 3, 1, 1, 0, 1, 0, 1, 0}, {212, 5, 0, 1, 0, 0, 0, 1, 0}, {213, 5, 0, 1, 0, 0, 7, 1, 0},
        {635, 5, 0, 1, 0, 0, 7, 1, 0}, {636, 5, 0, 1, 0, 0, 7, 0, 0}, {670, 5, 0, 1, 0, 0, 7, 0, 0},
        {671, 5, 0, 1, 0, 0, 7, 0, 2}, {746, 8, 1, 1, 0, 1, 7, 0, 2},
    };
    for (const Row& row : rows) {
        cEdShot source;
        source.bMirrorAngle = 1;
        source.bNoSummonOnHero = 1;
        source.bNoSummonOnChara = 0;
        source.nHomingKind = static_cast<std::int8_t>(row.homingKind);
        source.bGuided = static_cast<std::int8_t>(row.storedGuided);
        source.bAccel = 1;
        source.nAccel = 7;
        source.nAccelInc = 2;
        source.bPierceChara = 1;
        source.bPierce32 = 0;
        source.nAimAt = 2;
        source.nPower = -999999;
        RecordReader reader =
            RecordReader::FromBytes(source.SaveToBytes(RecordWriter::ForOldVersion(row.version)));
        cEdShot s;
        s.Load(reader);
        SCOPED_TRACE(row.version);
        EXPECT_EQ(reader.Remaining(), 0u);
        EXPECT_EQ(s.bMirrorAngle, row.mirror);
        EXPECT_EQ(s.bNoSummonOnChara, row.noSummonChara);
        EXPECT_EQ(s.bGuided, row.guided);
        EXPECT_EQ(s.nAccel, row.accel);
        EXPECT_EQ(s.bAccel, row.accel ? 1 : 0);
        EXPECT_EQ(s.nAccelInc, row.accel ? 2 : 0);
        EXPECT_EQ(s.bPierce32, row.pierce32);
        EXPECT_EQ(s.nAimAt, row.aimAt);
        EXPECT_EQ(s.nPower, -999999);
    }
}

TEST_F(MoveShotRecordsTest, ShotNormaliseRaisesTheSizeAndDropsUnknownEffects) {
    struct Row {
        int giant, effect, wantGiant, wantEffect;
    };
    // The fixture's effect table holds 4 entries.
    for (const Row row : {Row{0, 3, 1, 3}, Row{-3, 4, 1, 0}, Row{2, -1, 2, 0}, Row{1, 0, 1, 0}}) {
        cEdShot s;
        s.nGiant = static_cast<std::int8_t>(row.giant);
        s.nEffect = static_cast<std::int16_t>(row.effect);
        // Through a save and a load, which both normalise.
        RecordReader reader = RecordReader::FromBytes(s.SaveToBytes());
        cEdShot loaded;
        loaded.Load(reader);
        EXPECT_EQ(loaded.nGiant, row.wantGiant);
        EXPECT_EQ(loaded.nEffect, row.wantEffect);
    }
}

TEST_F(MoveShotRecordsTest, NewRecordsAndHelpers) {
    boost::shared_ptr<cEdMove> move;
    cEdMove::Create(move);
    ASSERT_TRUE(move);
    EXPECT_EQ(move->bMirrorAngle, 1);
    EXPECT_EQ(move->bUntilArrival, 1);
    EXPECT_EQ(move->bTurnBack, 1);
    EXPECT_EQ(move->nSpeed, 10);
    EXPECT_EQ(move->fTurnFactor, 1.0);
    EXPECT_EQ(move->nDistance, 0);
    boost::shared_ptr<cEdShot> shot;
    cEdShot::Create(shot);
    ASSERT_TRUE(shot);
    EXPECT_EQ(shot->nGiant, 1);
    EXPECT_EQ(shot->bUserSide, 1);
    EXPECT_EQ(shot->bMirrorX, 1);
    EXPECT_EQ(shot->nCount, 0);

    shot->nOffsetX = 10;
    shot->nOffsetXInc = 4;
    shot->nOffsetY = -6;
    shot->nOffsetYInc = 2;
    shot->bMirrorY = 0;
    EXPECT_EQ(shot->SpawnOffsetX(3, 0), 22);
    EXPECT_EQ(shot->SpawnOffsetX(3, 1), -22);
    EXPECT_EQ(shot->SpawnOffsetY(2, 1), -2);
    shot->bMirrorX = 0;
    EXPECT_EQ(shot->SpawnOffsetX(3, 1), 22);

    const int want[9] = {2, 2, 3, 6, 7, 8, 9, 10, 11};
    for (int input = 0; input < 9; ++input) {
        EXPECT_EQ(DirectionForFacing(input, 0), want[input]) << input;
    }
    EXPECT_EQ(DirectionForFacing(0, 1), 3);
    EXPECT_EQ(DirectionForFacing(4, 1), 7);
    EXPECT_EQ(DirectionForFacing(9, 1), 0);  // several directions: none

    cEdShot a;
    a.nPower = 12;
    a.nHomingParam[1] = 5;
    cEdShot b;
    b = a;
    EXPECT_EQ(b.SaveToBytes(), a.SaveToBytes());
    cEdMove c;
    c.fTurnFactor = 0.5;
    cEdMove d(c);
    EXPECT_EQ(d.SaveToBytes(), c.SaveToBytes());
}

}  // namespace

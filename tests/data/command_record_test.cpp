// Commands: the layout with move, shot, flows and parameters, every upgrade of old files, the
// normalise step against the database, the palette checks and the deep copies.
#include "data/command_record.h"

#include <gtest/gtest.h>

#include <string>

#include "flow_bytes.h"

using namespace flow_bytes;

namespace {

class CommandRecordTest : public FlowFixture {
protected:
    cEdCommand Load(std::uint32_t version, const Cmd& cmd, bool normalize = true) {
        ByteBuilder b;
        Command(b, cmd);
        RecordReader reader = Body(b, version);
        reader.SetNormalize(normalize);
        cEdCommand c;
        c.Load(reader);
        EXPECT_FALSE(reader.StoppedEarly()) << reader.Problem() << " at " << reader.ProblemOffset();
        EXPECT_EQ(reader.Remaining(), 0u);
        return c;
    }
    static std::vector<std::int32_t> Params(const cEdCommand& c) {
        return std::vector<std::int32_t>(c.vecParam.begin(), c.vecParam.end());
    }
    static std::vector<std::uint8_t> ShotBody(std::uint32_t version, int graphic) {
        ByteBuilder b;
        std::vector<long long> values(ShotWidths(version).size());
        // nGraphic follows 16 entries, one more from 158 and from 671.
        const int at = 16 + (version >= 158 ? 1 : 0) + (version >= 671 ? 1 : 0);
        values[at] = graphic;
        Fields(b, ShotWidths(version), values);
        return b.bytes;
    }
};

struct UpgradeRow {
    const char* what;
    std::uint32_t version;
    int kind, type;
    std::vector<std::int32_t> params;
    int wantType;
    std::vector<std::int32_t> want;
    // Rows whose step does what the normalise step would do anyway read without it, so that
    // only the step can give the expected parameters.
    bool normalize = true;
};

std::vector<std::int32_t> Seq(int n, int first = 1) {
    std::vector<std::int32_t> v;
    for (int i = 0; i < n; ++i) v.push_back(first + i);
    return v;
}

std::vector<std::int32_t> With(std::vector<std::int32_t> v,
                               std::initializer_list<std::pair<int, int>> changes) {
    for (auto [k, value] : changes) v[k] = value;
    return v;
}

TEST_F(CommandRecordTest, OldCommandsAreUpgradedStepByStep) {
    const std::vector<std::int32_t> msg12 = With(std::vector<std::int32_t>(12, 9), {{0, 0}});
    const UpgradeRow rows[] = {
        {"1 stage clear resized",
         144,
         0,
         17,
         {1, 2, 3, 4, 5},
         17,
         {1, 2, 3, 4, 5, 0, 0, 0, 0},
         false},
        {"1 item stage clear", 144, 1, 2, {1, 2, 3}, 2, {1, 2, 3, 0, 0, 0, 0, 0, 0}, false},
        {"2 music", 165, 0, 35, {2}, 36, {2, 1}},
        {"2 sound only renumbered", 165, 0, 34, {5}, 35, {5}},
        {"2 item music", 165, 1, 20, {3, 0}, 21, {3, 1}},
        {"3+7 status raised twice", 167, 0, 22,
         With(std::vector<std::int32_t>(18, 0), {{4, 10}, {6, 2}, {13, 10}}), 22,
         With(std::vector<std::int32_t>(18, 0), {{4, 12}, {6, 2}, {13, 12}})},
        {"3 operand of the system kept", 167, 0, 22,
         With(std::vector<std::int32_t>(18, 0), {{3, 2}, {4, 10}, {6, 2}, {12, 2}, {13, 10}}), 22,
         With(std::vector<std::int32_t>(18, 0), {{3, 2}, {4, 10}, {6, 2}, {12, 2}, {13, 10}})},
        {"3 short parameter list", 167, 0, 22, {0, 0, 0}, 22, std::vector<std::int32_t>(18, 0)},
        {"7 threshold 5", 202, 1, 7, With(std::vector<std::int32_t>(18, 0), {{4, 5}}), 7,
         With(std::vector<std::int32_t>(18, 0), {{4, 6}})},
        {"4 target insert",
         188,
         0,
         21,
         Seq(14),
         21,
         {1, 2, 0, 3, 4, 5, 6, 7, 8, 9, 0, 1, 12, 13, 0}},
        {"5 picture insert",
         193,
         0,
         31,
         Seq(15),
         32,
         {1, 2, 3, 4, 5, 6, 1, 7, 8, 9, 10, 0, 0, 0, 0}},
        {"6 character effect", 194, 0, 29, {2, 5}, 30, {2, 0, 5}},
        {"6 screen effect", 194, 0, 30, {3, 7, 8}, 31, {3, 0, 7}},
        {"7 flow operation", 202, 0, 16, {1, 2, 3, 4, 5}, 16, {1, 2, 3}, false},
        {"7 summons emptied", 202, 0, 14, {4, 5}, 14, {}, false},
        {"8 status flag raised", 209, 0, 23, {0, 6, 9}, 23, {0, 7, 9}},
        {"8 system flag kept", 209, 0, 23, {2, 6, 9}, 23, {2, 6, 9}},
        {"8 fixed from 210", 210, 0, 23, {0, 6, 9}, 23, {0, 6, 9}},
        {"9 graphic change", 218, 0, 25, {3, 50, 1}, 26, {3, 51, 1}},
        {"9 at most 119", 218, 0, 25, {3, 119, 1}, 26, {3, 119, 1}},
        {"9 other graphics", 218, 0, 25, {2, 50, 1}, 26, {2, 50, 1}},
        {"12..17 message from 544",
         544,
         0,
         19,
         msg12,
         19,
         {0, 9, 9, 9, 9, 9, 9, 9, 9, 9, 1, 0, 0, 0, 1, 0, 1, 0}},
        {"13 message kind 3",
         544,
         0,
         19,
         With(msg12, {{0, 3}}),
         19,
         {3, 9, 9, 9, 9, 9, 9, 9, 9, 9, 0, 0, 0, 0, 1, 0, 1, 0}},
        {"13 kind 7 from 545",
         545,
         0,
         19,
         With(std::vector<std::int32_t>(18, 9), {{0, 7}}),
         19,
         {7, 9, 9, 9, 9, 9, 9, 9, 9, 9, 1, 0, 0, 0, 1, 0, 1, 0}},
        {"14 from 546",
         546,
         0,
         19,
         std::vector<std::int32_t>(18, 9),
         19,
         {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 0, 0, 0, 1, 0, 1, 0}},
        {"15 from 555", 555, 0, 19, std::vector<std::int32_t>(18, 9), 19,
         With(std::vector<std::int32_t>(18, 9), {{16, 1}, {17, 0}})},
        {"17 from 722", 722, 0, 19, std::vector<std::int32_t>(18, 9), 19,
         With(std::vector<std::int32_t>(18, 9), {{17, 0}})},
        {"item message from 544",
         544,
         1,
         4,
         msg12,
         4,
         {0, 9, 9, 9, 9, 9, 9, 9, 9, 9, 1, 0, 0, 0, 1, 0, 1, 0}},
        {"12 14 17 picture from 544",
         544,
         0,
         31,
         Seq(15),
         32,
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 0, 0, 0, 0}},
        {"17 picture from 722", 722, 0, 31, Seq(15), 32, With(Seq(15), {{14, 0}})},
        {"16 stage clear", 721, 0, 17, With(Seq(9), {{0, 2}}), 17, With(Seq(9), {{0, 3}})},
        {"16 fixed from 722", 722, 0, 17, With(Seq(9), {{0, 2}}), 17, With(Seq(9), {{0, 2}})},
        {"18+19 arrange 1", 725, 0, 37, {0, 1}, 38, {11, 1, 0, 0, 0}},
        {"18+19 arrange 3", 725, 0, 37, {0, 3}, 38, {11, 6, 0, 0, 0}},
        {"18+19 arrange 10", 725, 0, 37, {0, 10}, 38, {11, 13, 0, 0, 0}},
        {"18+19 arrange 11", 725, 0, 37, {0, 11}, 38, {11, 18, 0, 0, 0}},
        {"19 other operation", 726, 0, 37, {5, 3, 0, 0, 0}, 38, {5, 3, 0, 0, 0}},
        {"20 renumbered", 733, 0, 24, {1, 2}, 25, {1, 2}},
        {"20 below 24 kept", 733, 0, 23, {0, 1, 2}, 23, {0, 1, 2}},
        {"20 arrange operation raised", 733, 0, 37, {24, 1, 0, 0, 0}, 38, {25, 1, 0, 0, 0}},
        {"20 arrange below 24", 733, 0, 37, {23, 1, 0, 0, 0}, 38, {23, 1, 0, 0, 0}},
        {"20 item renumbered", 733, 1, 9, {0, 1}, 10, {0, 1}},
        {"20 item arrange", 733, 1, 22, {24, 0, 0, 0, 0}, 23, {25, 0, 0, 0, 0}},
        {"20 item below 9", 733, 1, 8, {0, 1, 2}, 8, {0, 1, 2}},
        {"21 target", 746, 0, 21, Seq(15), 21, With(Seq(15), {{10, 0}, {11, 1}, {14, 0}})},
        {"current file as stored", 747, 0, 21, Seq(15), 21, Seq(15)},
    };
    for (const UpgradeRow& row : rows) {
        const cEdCommand c =
            Load(row.version, Cmd{.kind = row.kind, .type = row.type, .params = row.params},
                 row.normalize);
        EXPECT_EQ(c.nCmdType, row.wantType) << row.what;
        EXPECT_EQ(Params(c), row.want) << row.what;
    }
    EXPECT_EQ(PumpCloses(), 0);
}

TEST_F(CommandRecordTest, OldShotsAndChargesAreUpgraded) {
    struct Row {
        std::uint32_t version;
        int kind, type, graphic, wantGraphic;
    };
    for (const Row row : {Row{219, 0, 11, 7, 8}, Row{219, 0, 11, 119, 119}, Row{220, 0, 11, 7, 7},
                          Row{219, 0, 12, 7, 7}}) {
        const cEdCommand c = Load(
            row.version,
            Cmd{.kind = row.kind, .type = row.type, .shot = ShotBody(row.version, row.graphic)});
        ASSERT_TRUE(c.spShot);
        EXPECT_EQ(c.spShot->nGraphic, row.wantGraphic) << row.version << " type " << row.type;
        EXPECT_FALSE(c.spMove);
    }
    // A shot command without its shot record is left alone.
    EXPECT_FALSE(Load(219, Cmd{.type = 11}).spShot);

    // 突撃移動 before 514 aims straight ahead, mirrored.
    for (std::uint32_t version : {513u, 514u}) {
        ByteBuilder mv;
        std::vector<long long> values(MoveWidths(version).size());
        values[2] = 30;  // nAngle
        values[3] = 2;   // nAngleInc
        values[4] = 0;   // bMirrorAngle
        Fields(mv, MoveWidths(version), values);
        const cEdCommand c = Load(version, Cmd{.type = 5, .move = mv.bytes});
        ASSERT_TRUE(c.spMove);
        EXPECT_EQ(c.spMove->nAngle, version < 514 ? 0 : 30);
        EXPECT_EQ(c.spMove->nAngleInc, version < 514 ? 0 : 2);
        EXPECT_EQ(c.spMove->bMirrorAngle, version < 514 ? 1 : 0);
    }
}

TEST_F(CommandRecordTest, CurrentLayoutIsWrittenBackByteForByte) {
    ByteBuilder mv;
    std::vector<long long> mvValues(MoveWidths(747).size(), 1);
    Fields(mv, MoveWidths(747), mvValues);
    ByteBuilder flows;
    flows.U32(1);
    Flow(flows, 747, FlowBody{.id = 4, .trigger = 2});
    const Cmd cmd{.kind = 0,
                  .type = 19,
                  .time = 12,
                  .timeInc = -3,
                  .parallel = 1,
                  .sound = 5,
                  .soundOnScreen = 0,
                  .anime = 4,
                  .params = Seq(18),
                  .move = mv.bytes,
                  .shot = ShotBody(747, 40),
                  .flows = flows.bytes};
    ByteBuilder b;
    Command(b, cmd);
    cEdCommand c = Load(747, cmd);
    EXPECT_EQ(c.nTime, 12);
    EXPECT_EQ(c.nTimeInc, -3);
    EXPECT_EQ(c.bParallel, 1);
    EXPECT_EQ(c.nSound, 5);
    EXPECT_EQ(c.bSoundOnScreen, 0);
    EXPECT_EQ(c.nAnime, 4);
    ASSERT_TRUE(c.spMove && c.spShot);
    EXPECT_EQ(c.spMove->fTurnFactor, 1.0);
    EXPECT_EQ(c.spShot->nGraphic, 40);
    ASSERT_EQ(c.vecFlow.Size(), 1u);
    EXPECT_EQ(c.vecFlow[0].nId, 4);
    EXPECT_EQ(c.vecFlow[0].nTrigger, 2);
    // The load raised the shot's nGiant 0 to 1; put back, the bytes are the file's.
    EXPECT_EQ(c.spShot->nGiant, 1);
    c.spShot->nGiant = 0;
    ByteBuilder want;
    want.U32(747).Bytes(b.bytes);
    EXPECT_EQ(c.SaveToBytes(RecordWriter::ForOldVersion(747)), want.bytes);
}

TEST_F(CommandRecordTest, NormaliseBringsIndicesAndParameterCountsIntoRange) {
    struct Row {
        const char* what;
        int kind, type;
        std::vector<std::int32_t> params;
        std::vector<std::int32_t> want;
    };
    const Row rows[] = {
        {"count from the table", 0, 9, {1, 2, 3, 4}, {1}},
        {"missing parameters added", 0, 18, {}, {0}},
        {"item count from its table", 1, 1, {7}, {7, 0}},
        {"anime set out of range", 0, 27, {3}, {0}},
        {"anime set in range", 0, 27, {2}, {2}},
        {"anime negative", 0, 28, {-1}, {1}},
        {"anime past the end", 0, 28, {5}, {1}},
        {"anime in range", 0, 28, {4}, {4}},
        {"effect", 0, 29, {4, 0, 0, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0, 0, 0}},
        {"character effect", 0, 30, {4, 0, 0}, {1, 0, 0}},
        {"screen effect", 0, 31, {-2, 0, 0}, {1, 0, 0}},
        {"picture", 0, 32, With(std::vector<std::int32_t>(15, 0), {{0, 4}}),
         With(std::vector<std::int32_t>(15, 0), {{0, 1}})},
        {"sound", 0, 35, {6}, {1}},
        {"sound in range", 0, 35, {5}, {5}},
        {"music", 0, 36, {4, 0}, {1, 0}},
        {"item anime set", 1, 12, {9}, {0}},
        {"item anime", 1, 13, {-1}, {1}},
        {"item music", 1, 21, {3, 1}, {3, 1}},
        {"unknown type keeps its parameters", 0, 40, {1, 2}, {1, 2}},
        {"negative type keeps its parameters", 0, -3, {1, 2}, {1, 2}},
        {"unknown item type", 1, 25, {4}, {4}},
    };
    for (const Row& row : rows) {
        cEdCommand c;
        c.nCmdKind = static_cast<std::int8_t>(row.kind);
        c.nCmdType = static_cast<std::int8_t>(row.type);
        c.vecParam.Assign(CheckedVector<std::int32_t>(row.params.size()));
        for (int i = 0; i < static_cast<int>(row.params.size()); ++i) c.vecParam[i] = row.params[i];
        c.Normalize();
        EXPECT_EQ(Params(c), row.want) << row.what;
    }

    struct IndexRow {
        int anime, sound, wantAnime, wantSound;
    };
    for (const IndexRow row : {IndexRow{5, 6, 0, 0}, IndexRow{4, 5, 4, 5}, IndexRow{-1, -1, 0, 0},
                               IndexRow{0, 0, 0, 0}}) {
        cEdCommand c;
        c.nAnime = static_cast<std::int16_t>(row.anime);
        c.nSound = static_cast<std::int16_t>(row.sound);
        c.Normalize();
        EXPECT_EQ(c.nAnime, row.wantAnime);
        EXPECT_EQ(c.nSound, row.wantSound);
    }
    EXPECT_EQ(PumpCloses(), 0);
}

TEST_F(CommandRecordTest, SwordTimeIsTheCappedSumOfItsFrameTimes) {
    auto frames = [](std::initializer_list<std::int32_t> times) {
        CheckedVector<cEdSwordFrame> v;
        for (std::int32_t t : times) {
            cEdSwordFrame f;
            f.nTime = t;
            v.push_back(f);
        }
        return v;
    };
    struct Row {
        const char* what;
        CheckedVector<cEdSwordFrame> frames;
        int swordType, wantType, wantTime;
    };
    const Row rows[] = {
        {"sum", frames({3, 4, 5}), 1, 1, 12},
        {"no frames", frames({}), 1, 1, 0},
        {"each partial sum capped", frames({5000, 6000, -3000}), 1, 1, 6999},
        {"capped at 9999", frames({9000, 9000}), 1, 1, 9999},
        {"times taken as 16 bits", frames({0x10064, 1}), 1, 1, 101},
        {"type out of range uses type 0", frames({3}), 7, 0, 8},
        {"negative type", frames({3}), -1, 0, 8},
    };
    for (const Row& row : rows) {
        EdDatabase.vecSwordType[0].vecFrame = frames({8});
        EdDatabase.vecSwordType[1].vecFrame = row.frames;
        cEdCommand c;
        c.nCmdType = 12;
        c.nTime = 77;
        cEdShot::Create(c.spShot);
        c.spShot->nHomingKind = static_cast<std::int8_t>(row.swordType);
        c.Normalize();
        EXPECT_EQ(c.spShot->nHomingKind, row.wantType) << row.what;
        EXPECT_EQ(c.nTime, row.wantTime) << row.what;
    }
    // Without a shot record, or as an item command, the time stays.
    cEdCommand noShot;
    noShot.nCmdType = 12;
    noShot.nTime = 77;
    noShot.Normalize();
    EXPECT_EQ(noShot.nTime, 77);
    // An empty sword table leaves nothing to sum.
    EdDatabase.vecSwordType.Clear();
    cEdCommand none;
    none.nCmdType = 12;
    none.nTime = 77;
    cEdShot::Create(none.spShot);
    none.Normalize();
    EXPECT_EQ(none.nTime, 0);
    EXPECT_EQ(PumpCloses(), 0);
}

TEST_F(CommandRecordTest, TestPlayFlowsOfACommandAreRemovedUnlessKept) {
    ByteBuilder flows;
    flows.U32(3);
    for (int i = 0; i < 3; ++i) {
        Flow(flows, 747, FlowBody{.id = i + 1, .testOnly = i < 2 ? 1 : 0});
    }
    const Cmd cmd{.kind = 1, .type = 1, .flows = flows.bytes};
    cEdCommand removed = Load(747, cmd);
    ASSERT_EQ(removed.vecFlow.Size(), 1u);
    EXPECT_EQ(removed.vecFlow[0].nId, 3);
    // The dumper's reader shows every flow the file holds.
    EXPECT_EQ(Load(747, cmd, false).vecFlow.Size(), 3u);
    bEditorLaunch = 1;
    EXPECT_EQ(Load(747, cmd).vecFlow.Size(), 3u);
    bEditorLaunch = 0;
    EdSystem.bKeepTestPlayFlows = 1;
    EXPECT_EQ(Load(747, cmd).vecFlow.Size(), 3u);
}

TEST_F(CommandRecordTest, CopiesAreDeep) {
    cEdCommand source;
    source.nCmdType = 11;
    source.strText = "弾";
    source.vecParam.resize(2);
    cEdMove::Create(source.spMove);
    cEdShot::Create(source.spShot);
    source.spMove->nSpeed = 42;
    source.spShot->nPower = 500;
    source.vecFlow.resize(1);
    source.vecFlow[0].nId = 5;

    cEdCommand assigned;
    cEdMove::Create(assigned.spMove);
    assigned = source;
    cEdCommand constructed(source);
    for (cEdCommand* copy : {&assigned, &constructed}) {
        EXPECT_EQ(copy->SaveToBytes(), source.SaveToBytes());
        ASSERT_TRUE(copy->spMove && copy->spShot);
        EXPECT_NE(copy->spMove.get(), source.spMove.get());
        EXPECT_NE(copy->spShot.get(), source.spShot.get());
        EXPECT_EQ(copy->spMove.use_count(), 1);
        copy->spMove->nSpeed = 1;
        copy->spShot->nPower = 2;
        copy->vecFlow[0].nId = 6;
    }
    EXPECT_EQ(source.spMove->nSpeed, 42);
    EXPECT_EQ(source.spShot->nPower, 500);
    EXPECT_EQ(source.vecFlow[0].nId, 5);

    // A source without records empties the destination's pointers.
    cEdCommand empty;
    assigned = empty;
    EXPECT_FALSE(assigned.spMove);
    EXPECT_FALSE(assigned.spShot);
    const cEdCommand& alias = assigned;
    assigned = alias;
    EXPECT_EQ(assigned.SaveToBytes(), empty.SaveToBytes());
}

TEST_F(CommandRecordTest, PaletteReferencesOutsideThePalettesAreReset) {
    const PaletteRefSizes common{.nBlocks = 4, .nCharas = 3, .nItems = 5};
    const PaletteRefSizes stage{.nBlocks = 1, .nCharas = 1, .nItems = 1};
    struct Row {
        const char* what;
        int type, itemPalette, itemIndex, summonPalette, summonIndex;
        int wantItemPalette, wantItemIndex, wantSummonIndex;
    };
    const Row rows[] = {
        {"shot, stage item 3", 11, 2, 3, 0, 0, 0, 0, 0},
        {"shot, common item 4", 11, 1, 4, 0, 0, 1, 4, 0},
        {"sword, common item 5", 12, 1, 5, 0, 0, 0, 0, 0},
        {"shot, no item", 11, 0, 9, 0, 0, 0, 9, 0},
        {"item summon from the stage", 15, 0, 0, 1, 3, 0, 0, 1},
        {"item summon in range", 15, 0, 0, 0, 4, 0, 0, 4},
        {"block summon", 13, 0, 0, 0, 4, 0, 0, 1},
        {"chara summon", 14, 0, 0, 0, -1, 0, 0, 1},
        {"other summon palettes unchecked", 14, 0, 0, 2, 50, 0, 0, 50},
        {"other types unchecked", 2, 2, 3, 1, 3, 2, 3, 3},
    };
    for (const Row& row : rows) {
        cEdCommand c;
        c.nCmdType = static_cast<std::int8_t>(row.type);
        cEdShot::Create(c.spShot);
        c.spShot->nItemPalette = static_cast<std::int8_t>(row.itemPalette);
        c.spShot->nItemIndex = static_cast<std::int16_t>(row.itemIndex);
        c.spShot->nSummonPalette = static_cast<std::int8_t>(row.summonPalette);
        c.spShot->nSummonIndex = static_cast<std::int16_t>(row.summonIndex);
        c.CheckPaletteRefs(common, stage);
        EXPECT_EQ(c.spShot->nItemPalette, row.wantItemPalette) << row.what;
        EXPECT_EQ(c.spShot->nItemIndex, row.wantItemIndex) << row.what;
        EXPECT_EQ(c.spShot->nSummonIndex, row.wantSummonIndex) << row.what;
    }

    // アイテムの取得, as a flow command and as item command 10, also inside nested flows.
    cEdCommand get;
    get.nCmdType = 25;
    get.vecParam.resize(2);
    get.vecParam[0] = 1;
    get.vecParam[1] = 2;
    cEdCommand holder;
    holder.nCmdKind = 1;
    holder.nCmdType = 1;
    holder.vecFlow.resize(1);
    holder.vecFlow[0].vecCommand.push_back(get);
    holder.vecFlow[0].vecCommand.push_back(get);
    holder.vecFlow[0].vecCommand[1].nCmdKind = 1;
    holder.vecFlow[0].vecCommand[1].nCmdType = 10;
    holder.vecFlow[0].vecCommand[1].vecParam[0] = 0;
    holder.vecFlow[0].vecCommand[1].vecParam[1] = 5;
    holder.CheckPaletteRefs(common, stage);
    EXPECT_EQ(holder.vecFlow[0].vecCommand[0].vecParam[1], 1);
    EXPECT_EQ(holder.vecFlow[0].vecCommand[1].vecParam[1], 1);
    get.vecParam[1] = 0;
    get.CheckPaletteRefs(common, stage);
    EXPECT_EQ(get.vecParam[1], 0);
}

TEST_F(CommandRecordTest, HostileCountsAllocateNothing) {
    ByteBuilder b;
    Fields(b, {1, 1, 2, 2, 1, 2, 1, 2}, {0, 19}, 1);
    b.U32(0).U32(0).U32(0).U32(0x40000000);  // a parameter count with no parameters behind it
    RecordReader reader = Body(b, 747);
    cEdCommand c;
    c.Load(reader);
    EXPECT_TRUE(reader.StoppedEarly());
    EXPECT_EQ(c.vecParam.Size(), 18u);  // sized by the normalise step, not the file

    ByteBuilder list;
    list.U32(0xffffffffu).U32(1);
    RecordReader listReader = Body(list, 747);
    CheckedVector<cEdCommand> commands(3);
    LoadCommandList(commands, listReader);
    EXPECT_EQ(commands.Size(), 0u);
    EXPECT_TRUE(listReader.StoppedEarly());
}

}  // namespace

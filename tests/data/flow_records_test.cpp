// Flows, conditions and key conditions: their layouts at every file version, the upgrades
// of old files, the list readers over hostile counts and the removal of test-play flows.
#include "data/flow_records.h"

#include <gtest/gtest.h>

#include <string>

#include "data/record_dump.h"
#include "flow_bytes.h"

using namespace flow_bytes;

namespace {

class FlowRecordsTest : public FlowFixture {};

cEdFlow LoadFlow(std::uint32_t version, const FlowBody& body, RecordReader* out = nullptr) {
    ByteBuilder b;
    Flow(b, version, body);
    RecordReader reader = Body(b, version);
    cEdFlow flow;
    flow.Load(reader);
    EXPECT_FALSE(reader.StoppedEarly()) << reader.Problem();
    EXPECT_EQ(reader.Remaining(), 0u);
    if (out) *out = reader;
    return flow;
}

struct TriggerRow {
    std::uint32_t version;
    int trigger, group;
    int wantTrigger, wantGroup;
};

TEST_F(FlowRecordsTest, TriggersOfOldFilesAreRenumberedStepByStep) {
    const TriggerRow rows[] = {
        {131, 11, 2, 14, 0},                     // raised at 11, loses its group, raised at 5
        {131, 10, 2, 12, 0},                     // below 11: only the second raise
        {132, 11, 2, 13, 0},                     // the first raise is for 131 and older
        {162, 0, 2, 0, 2},                       // always-tested flows keep their group
        {162, 3, 2, 3, 0},   {163, 5, 2, 7, 2},  // groups kept from 163 on
        {163, 4, 2, 4, 2},   {164, 5, 2, 5, 2}, {746, 17, 4, 17, 4}, {747, 11, 2, 11, 2},
    };
    for (const TriggerRow& row : rows) {
        FlowBody body;
        body.trigger = row.trigger;
        body.group = row.group;
        const cEdFlow flow = LoadFlow(row.version, body);
        EXPECT_EQ(flow.nTrigger, row.wantTrigger) << "version " << row.version;
        EXPECT_EQ(flow.nGroup, row.wantGroup) << "version " << row.version;
    }
}

TEST_F(FlowRecordsTest, TextIsStoredFrom676AndEmptiedAtEveryLoad) {
    FlowBody body;
    body.id = 3;
    body.text = "説明";
    cEdFlow old = LoadFlow(675, body);
    cEdFlow current = LoadFlow(676, body);
    EXPECT_EQ(old.strText, "");
    EXPECT_EQ(current.strText, "");
    EXPECT_EQ(current.nId, 3);
    EXPECT_EQ(old.Stored().strings, 0u);
    EXPECT_EQ(current.Stored().strings, 1u);

    // Written back: the current layout with one empty string.
    ByteBuilder want;
    want.U32(747);
    FlowBody expected;
    expected.id = 3;
    Flow(want, 747, expected);
    EXPECT_EQ(old.SaveToBytes(), want.bytes);
    EXPECT_EQ(current.SaveToBytes(), want.bytes);
}

TEST_F(FlowRecordsTest, DefaultFlowOfAShortBodyKeepsItsKeySlack) {
    // A flow body that stores only its first five fields.
    ByteBuilder b;
    b.U32(1);
    Fields(b, {1, 1, 1, 1, 1}, {1, 2, 0, 1, 1}, 0);
    b.U32(0).U32(0).U32(0);
    RecordReader reader = Body(b, 747);
    CheckedVector<cEdFlow> flows;
    LoadFlowList(flows, reader);
    ASSERT_EQ(flows.Size(), 1u);
    EXPECT_EQ(flows[0].nCondMode, 1);
    EXPECT_EQ(flows[0].nKeySlack, 3);
    EXPECT_EQ(flows[0].nTrigger, 0);
}

struct ConditionRow {
    const char* what;
    std::uint32_t version;
    Cond in;
    Cond want;
};

Cond Kind(int kind, Cond c = {}) {
    c.kind = kind;
    return c;
}

TEST_F(FlowRecordsTest, ConditionsOfOldFilesAreUpgradedInOrder) {
    auto with = [](Cond c, auto set) {
        set(c);
        return c;
    };
    const ConditionRow rows[] = {
        {"distance was kind 5", 150, with(Kind(5), [](Cond& c) { c.whose = 1, c.subject = 2; }),
         with(Kind(7), [](Cond& c) { c.source = 1, c.whose2 = 1; })},
        {"kinds below 5 stay", 159, Kind(4), Kind(4)},
        {"no renumbering from 160", 160, Kind(5), Kind(5)},
        {"on-block state inverted", 160, with(Kind(6), [](Cond& c) { c.item = 2; }),
         with(Kind(6), [](Cond& c) { c.item = 2, c.op = 1; })},
        {"other states not inverted", 160, with(Kind(6), [](Cond& c) { c.item = 1, c.op = 1; }),
         with(Kind(6), [](Cond& c) { c.item = 1, c.op = 1; })},
        {"inversion ends at 161", 161, with(Kind(6), [](Cond& c) { c.item = 2; }),
         with(Kind(6), [](Cond& c) { c.item = 2; })},
        {"own status raised twice", 167, with(Kind(4), [](Cond& c) { c.item = 10; }),
         with(Kind(4), [](Cond& c) { c.item = 12; })},
        {"system status kept", 167, with(Kind(4), [](Cond& c) { c.item = 10, c.whose = 2; }),
         with(Kind(4), [](Cond& c) { c.item = 10, c.whose = 2; })},
        {"compared variable kept", 167, with(Kind(4), [](Cond& c) { c.item = 10, c.subject = 1; }),
         with(Kind(4), [](Cond& c) { c.item = 10, c.subject = 1; })},
        {"status operand raised", 167,
         with(Kind(4), [](Cond& c) { c.source = 2, c.item2 = 10, c.subject = 1; }),
         with(Kind(4), [](Cond& c) { c.source = 2, c.item2 = 12, c.subject = 1; })},
        {"system operand kept", 167,
         with(Kind(4), [](Cond& c) { c.source = 2, c.item2 = 10, c.whose2 = 2, c.subject = 1; }),
         with(Kind(4), [](Cond& c) { c.source = 2, c.item2 = 10, c.whose2 = 2, c.subject = 1; })},
        {"second insertion only", 168, with(Kind(4), [](Cond& c) { c.item = 10; }),
         with(Kind(4), [](Cond& c) { c.item = 11; })},
        {"threshold 5", 202, with(Kind(4), [](Cond& c) { c.item = 5, c.item2 = 4, c.source = 2; }),
         with(Kind(4), [](Cond& c) { c.item = 6, c.item2 = 4, c.source = 2; })},
        {"statuses fixed from 203", 203, with(Kind(4), [](Cond& c) { c.item = 5; }),
         with(Kind(4), [](Cond& c) { c.item = 5; })},
        {"status flag raised", 209, with(Kind(5), [](Cond& c) { c.item = 6; }),
         with(Kind(5), [](Cond& c) { c.item = 7; })},
        {"system flag kept", 209, with(Kind(5), [](Cond& c) { c.item = 6, c.whose = 2; }),
         with(Kind(5), [](Cond& c) { c.item = 6, c.whose = 2; })},
        {"flags fixed from 210", 210, with(Kind(5), [](Cond& c) { c.item = 6; }),
         with(Kind(5), [](Cond& c) { c.item = 6; })},
        {"distance to the hero", 656,
         with(Kind(7), [](Cond& c) { c.whose = 1, c.subject = 1, c.source = 0; }),
         with(Kind(7), [](Cond& c) { c.source = 1, c.whose2 = 1; })},
        {"target kept from 657", 657, with(Kind(7), [](Cond& c) { c.whose = 1, c.subject = 1; }),
         with(Kind(7), [](Cond& c) { c.whose = 1, c.source = 1, c.whose2 = 1; })},
        {"area shown kept from 745", 745, with(Kind(7), [](Cond& c) { c.subject = 1; }),
         with(Kind(7), [](Cond& c) { c.subject = 1, c.source = 1, c.whose2 = 1; })},
        {"switches kept from 746", 746, Kind(7), Kind(7)},
        {"current file as stored", 747, with(Kind(5), [](Cond& c) { c.item = 6, c.value = -3; }),
         with(Kind(5), [](Cond& c) { c.item = 6, c.value = -3; })},
    };
    for (const ConditionRow& row : rows) {
        ByteBuilder b;
        Condition(b, row.version, row.in);
        RecordReader reader = Body(b, row.version);
        cEdCondition c;
        c.Load(reader);
        ASSERT_EQ(reader.Remaining(), 0u) << row.what;
        const Cond& w = row.want;
        EXPECT_EQ(c.nKind, w.kind) << row.what;
        EXPECT_EQ(c.nValue, w.value) << row.what;
        EXPECT_EQ(c.nWhose, w.whose) << row.what;
        EXPECT_EQ(c.nItem, w.item) << row.what;
        EXPECT_EQ(c.nSubject, w.subject) << row.what;
        EXPECT_EQ(c.nSource, w.source) << row.what;
        EXPECT_EQ(c.nWhose2, w.whose2) << row.what;
        EXPECT_EQ(c.nItem2, w.item2) << row.what;
        EXPECT_EQ(c.nOp, w.op) << row.what;
    }
}

TEST_F(FlowRecordsTest, ConditionsBefore110ReadTheDiscardedValuesAsOneEntryOrTwo) {
    struct Row {
        std::uint32_t version;
        bool split;
        bool percent;
    };
    for (const Row row : {Row{109, false, true}, Row{109, true, true}, Row{42, false, false},
                          Row{42, true, false}}) {
        ByteBuilder b;
        std::vector<long long> values = {4, -7, 0x1234, 1};
        if (row.split) values = {4, -7, 0x1234, 0x5678, 1};
        if (row.percent) values.push_back(1);
        values.push_back(6);
        Fields(b, ConditionWidths(row.version, row.split), values);
        RecordReader reader = Body(b, row.version);
        cEdCondition c;
        c.Load(reader);
        SCOPED_TRACE(testing::Message() << row.version << (row.split ? " split" : " one"));
        EXPECT_FALSE(reader.StoppedEarly()) << reader.Problem();
        EXPECT_EQ(reader.Remaining(), 0u);
        EXPECT_EQ(c.nKind, 4);
        EXPECT_EQ(c.nValue, -7);
        EXPECT_EQ(c.nOp, 1);
        EXPECT_EQ(c.bPercent, row.percent ? 1 : 0);
        EXPECT_EQ(c.nShape, 6);
        EXPECT_EQ(c.nRandMin, 0);
        EXPECT_EQ(c.nVarIndex, 0);
        // Written back at the current version, without the discarded values.
        ByteBuilder want;
        want.U32(747);
        Cond expected = Kind(4);
        expected.value = -7;
        expected.op = 1;
        expected.percent = row.percent ? 1 : 0;
        expected.shape = 6;
        Condition(want, 747, expected);
        EXPECT_EQ(c.SaveToBytes(), want.bytes);
    }
}

TEST_F(FlowRecordsTest, KeyConditionsKeepTheStoredKeyStateCount) {
    cEdKeyCondition fresh;
    EXPECT_EQ(fresh.vecKeyState.Size(), 19u);
    fresh.vecKeyState.resize(3);
    fresh.vecKeyState[0] = 2;
    fresh.bMirror = 1;
    fresh.Reset();
    EXPECT_EQ(fresh.vecKeyState.Size(), 19u);
    EXPECT_EQ(fresh.vecKeyState[0], 0);
    EXPECT_EQ(fresh.bMirror, 0);

    for (std::uint32_t count : {19u, 5u, 0u, 25u}) {
        ByteBuilder b;
        Fields(b, {1, 2, 2, 1, 1}, {1, 4, 30, 1, 2});
        b.U32(count);
        for (std::uint32_t i = 0; i < count; ++i) b.U8(static_cast<std::uint8_t>(i % 3));
        RecordReader reader = Body(b, 300);
        cEdKeyCondition k;
        k.Load(reader);
        EXPECT_EQ(reader.Remaining(), 0u);
        ASSERT_EQ(k.vecKeyState.Size(), count);
        if (count > 4) {
            EXPECT_EQ(k.vecKeyState[4], 1);
        }
        EXPECT_EQ(k.bMirror, 1);
        EXPECT_EQ(k.nMinFrames, 4);
        EXPECT_EQ(k.nMaxFrames, 30);
        EXPECT_EQ(k.nCombine, 2);
        // What was read is written back.
        ByteBuilder want;
        want.U32(747).Bytes(b.bytes);
        EXPECT_EQ(k.SaveToBytes(), want.bytes);
    }
}

TEST_F(FlowRecordsTest, ListCountsTheBytesCannotBackReadAsEmpty) {
    // A count of 0, and counts far beyond what follows: nothing is allocated for them.
    for (std::uint32_t count : {0u, 3u, 0x7fffffffu, 0xffffffffu}) {
        ByteBuilder b;
        b.U32(count).U32(0).U32(0);
        CheckedVector<cEdFlow> flows(2);
        RecordReader r1 = Body(b, 747);
        LoadFlowList(flows, r1);
        EXPECT_EQ(flows.Size(), 0u) << count;
        EXPECT_EQ(r1.StoppedEarly(), count != 0) << count;

        CheckedVector<cEdCondition> conditions(2);
        RecordReader r2 = Body(b, 747);
        LoadConditionList(conditions, r2);
        EXPECT_EQ(conditions.Size(), 0u);
        EXPECT_EQ(r2.StoppedEarly(), count != 0);

        CheckedVector<cEdKeyCondition> keys(2);
        ByteBuilder k;
        k.U32(count == 0 ? 0 : 2).U32(5);  // two key conditions claimed, 4 bytes follow
        RecordReader r3 = Body(k, 747);
        LoadKeyConditionList(keys, r3);
        EXPECT_EQ(keys.Size(), 0u);
        EXPECT_EQ(r3.StoppedEarly(), count != 0);
    }
}

TEST_F(FlowRecordsTest, TestPlayFlowsAreRemovedInOrder) {
    struct Row {
        std::vector<int> flagged;  // bTestOnly per flow; nId is the position + 1
        std::vector<int> remaining;
    };
    const Row rows[] = {
        {{1, 1, 0}, {3}}, {{0, 1, 0, 1}, {1, 3}}, {{1, 1}, {}}, {{0, 0}, {1, 2}}, {{}, {}},
    };
    for (const Row& row : rows) {
        CheckedVector<cEdFlow> flows(row.flagged.size());
        for (int i = 0; i < static_cast<int>(row.flagged.size()); ++i) {
            flows[i].bTestOnly = static_cast<std::int8_t>(row.flagged[i]);
            flows[i].nId = static_cast<std::int8_t>(i + 1);
        }
        RemoveFlaggedFlows(flows);
        std::vector<int> ids;
        for (const cEdFlow& f : flows) ids.push_back(f.nId);
        EXPECT_EQ(ids, row.remaining);
    }
}

TEST_F(FlowRecordsTest, RemovalIsSkippedInEditorTestPlaysAndWhenTheSettingKeepsThem) {
    EXPECT_TRUE(ShouldRemoveTestPlayFlows());
    bEditorLaunch = 1;
    EXPECT_FALSE(ShouldRemoveTestPlayFlows());
    bEditorLaunch = 0;
    EdSystem.bKeepTestPlayFlows = 1;
    EXPECT_FALSE(ShouldRemoveTestPlayFlows());
}

TEST_F(FlowRecordsTest, CopiesWriteTheSameBytesAndAreIndependent) {
    FlowBody body;
    body.id = 2;
    body.trigger = 18;
    body.condMode = 1;
    body.conditions = One([](ByteBuilder& b) { Condition(b, 747, Kind(7, Cond{.value = 9})); });
    body.keys = One([](ByteBuilder& b) {
        Fields(b, {1, 2, 2, 1, 1}, {1, 2, 3, 0, 1});
        b.U32(19);
        for (int i = 0; i < 19; ++i) b.U8(1);
    });
    body.commands = One([](ByteBuilder& b) { Command(b, Cmd{.type = 28, .params = {2}}); });
    cEdFlow source = LoadFlow(747, body);
    cEdFlow copy;
    copy = source;
    EXPECT_EQ(copy.SaveToBytes(), source.SaveToBytes());
    cEdFlow constructed(source);
    EXPECT_EQ(constructed.SaveToBytes(), source.SaveToBytes());

    copy.vecCondition[0].nValue = 1;
    copy.vecKeyCondition[0].vecKeyState[0] = 2;
    copy.vecCommand[0].vecParam[0] = 3;
    EXPECT_EQ(source.vecCondition[0].nValue, 9);
    EXPECT_EQ(source.vecKeyCondition[0].vecKeyState[0], 1);
    EXPECT_EQ(source.vecCommand[0].vecParam[0], 2);
}

TEST_F(FlowRecordsTest, FlowsNestedTooDeeplyEndTheRead) {
    // Each level: one flow holding one item command (フローの変更) that holds the next level.
    std::vector<std::uint8_t> inner = {0, 0, 0, 0};
    const int levels = kMaxFlowNesting + 40;
    for (int i = 0; i < levels; ++i) {
        Cmd cmd{.kind = 1, .type = 1};
        cmd.flows = inner;
        FlowBody f;
        f.commands = One([&](ByteBuilder& b) { Command(b, cmd); });
        inner = One([&](ByteBuilder& b) { Flow(b, 747, f); });
    }
    ByteBuilder b;
    b.Bytes(inner);
    RecordReader reader = Body(b, 747);
    CheckedVector<cEdFlow> flows;
    LoadFlowList(flows, reader);
    EXPECT_TRUE(reader.StoppedEarly());
    ASSERT_EQ(flows.Size(), 1u);
    int depth = 0;
    const CheckedVector<cEdFlow>* level = &flows;
    while (level->Size() == 1 && (*level)[0].vecCommand.Size() == 1) {
        level = &(*level)[0].vecCommand[0].vecFlow;
        ++depth;
    }
    EXPECT_EQ(depth, kMaxFlowNesting);
    EXPECT_EQ(PumpCloses(), 0);
}

}  // namespace

namespace {

TEST_F(FlowRecordsTest, DumperListsEveryNestedRecordAndValue) {
    FlowBody body;
    body.id = 2;
    body.conditions = One([](ByteBuilder& b) { Condition(b, 747, Kind(3, Cond{.value = 9})); });
    body.keys = One([](ByteBuilder& b) {
        Fields(b, {1, 2, 2, 1, 1}, {0, 1, 2, 0, 0});
        b.U32(2).U8(1).U8(2);
    });
    Cmd cmd{.type = 11, .params = {7}};
    ByteBuilder shot;
    Fields(shot, ShotWidths(747), {});
    cmd.shot = shot.bytes;
    body.commands = One([&](ByteBuilder& b) { Command(b, cmd); });
    ByteBuilder file;
    file.U32(747);
    Flow(file, 747, body);
    RecordReader reader = RecordReader::FromBytes(file.bytes);
    cEdFlow flow;
    const DumpResult dump = DumpRecord(flow, reader);
    EXPECT_TRUE(dump.ok);
    for (const char* line : {"nId = 2", "vecCondition[0].nValue = 9",
                             "vecKeyCondition[0].vecKeyState[1] = 2", "vecCommand[0].nCmdType = 11",
                             "vecCommand[0].spShot.nGiant = 0", "vecCommand[0].vecParam[0] = 7"}) {
        EXPECT_NE(dump.text.find(line), std::string::npos) << line << "\n" << dump.text;
    }
    EXPECT_EQ(dump.text.find("spMove"), std::string::npos);
}

}  // namespace

#include "data/flow_records.h"

#include <algorithm>

#include "base/globals.h"
#include "data/record_visitor.h"
#include "data/system_record.h"

namespace {

// Versions that changed the layout or the meaning of flows and conditions.
constexpr std::uint32_t kPercentVersion = 43;           // conditions store bPercent
constexpr std::uint32_t kConditionFieldsVersion = 110;  // conditions store fields 3..14
constexpr std::uint32_t kFlowTextVersion = 676;         // flows store strText

// The smallest bodies a list element can have in a file, which bound the counts: every body
// holds its field and string counts; flows add three list counts, key conditions one.
constexpr std::size_t kConditionMinBytes = 8;
constexpr std::size_t kKeyConditionMinBytes = 12;
constexpr std::size_t kFlowMinBytes = 20;

// How deep the flow lists being read are nested on this thread (flows hold commands that
// hold flows): a hostile file could otherwise nest them until the stack runs out.
thread_local int flowNesting = 0;

template <class T>
void LoadList(CheckedVector<T>& list, RecordReader& reader, std::size_t minBytes) {
    LoadRecordList(reader, list, minBytes);
}

}  // namespace

// cEdCondition

cEdCondition::cEdCondition() {
    Reset();
}

void cEdCondition::Rebind(std::uint32_t version) {
    ClearTables();
    AddByte(&nKind, 1, "nKind");
    AddInt(&nValue, 1, "nValue");
    if (version >= kConditionFieldsVersion) {
        AddInt(&nRandMin, 1, "nRandMin");
        AddInt(&nRandMax, 1, "nRandMax");
        AddByte(&nWhose, 1, "nWhose");
        AddByte(&nItem, 1, "nItem");
        AddByte(&nSubject, 1, "nSubject");
        AddByte(&nVarScope, 1, "nVarScope");
        AddShort(&nVarIndex, 1, "nVarIndex");
        AddByte(&nSource, 1, "nSource");
        AddByte(&nWhose2, 1, "nWhose2");
        AddByte(&nItem2, 1, "nItem2");
        AddByte(&nVarScope2, 1, "nVarScope2");
        AddShort(&nVarIndex2, 1, "nVarIndex2");
    } else if (m_bDiscardedSplit) {
        AddShort(&m_Discarded[0], 1, "discarded");
        AddShort(&m_Discarded[1], 1, "discarded");
    } else {
        AddShort(m_Discarded, 2, "discarded");
    }
    AddByte(&nOp, 1, "nOp");
    if (version >= kPercentVersion) AddByte(&bPercent, 1, "bPercent");
    AddByte(&nShape, 1, "nShape");
}

void cEdCondition::Load(RecordReader& reader) {
    const std::uint32_t version = reader.Version();
    m_bDiscardedSplit = false;
    if (version < kConditionFieldsVersion && reader.Remaining() >= 4) {
        // One field more than the single-entry layout means the two values were two entries.
        const std::uint8_t* p = reader.Bytes().data() + reader.Offset();
        const std::uint32_t stored = std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 |
                                     std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
        BindTables(version);
        m_bDiscardedSplit = stored == static_cast<std::uint32_t>(FieldCount()) + 1;
    }
    SerialRecord::Load(reader);
    m_bDiscardedSplit = false;
    if (version >= kCurrentDataVersion) return;

    // Kind 5 was the distance condition before the status-flag and state kinds came.
    if (version < 160 && nKind >= 5) nKind = static_cast<std::int8_t>(nKind + 2);
    // The "on a block" state was tested the other way round.
    if (version < 161 && nKind == 6 && nItem == 2) nOp = static_cast<std::int8_t>(nOp ^ 1);
    // Character statuses were inserted at 10 (version 168) and at 5 (version 203); the
    // system's statuses did not move.
    const auto raiseStatus = [this](int threshold) {
        if (nKind != 4) return;
        if (nSubject == 0 && nWhose != 2 && nItem >= threshold) ++nItem;
        if (nSource == 2 && nWhose2 != 2 && nItem2 >= threshold) ++nItem2;
    };
    if (version < 168) raiseStatus(10);
    if (version < 203) raiseStatus(5);
    // A character status flag was inserted at 6.
    if (version < 210 && nKind == 5 && nWhose != 2 && nItem >= 6) ++nItem;
    if (nKind == 7) {
        // Distances were measured to the hero, the area hidden, with both switches on.
        if (version < 657) nWhose = 0;
        if (version < 745) nSubject = 0;
        if (version < 746) {
            nSource = 1;
            nWhose2 = 1;
        }
    }
}

// cEdKeyCondition

cEdKeyCondition::cEdKeyCondition() {
    Reset();
}

void cEdKeyCondition::Rebind(std::uint32_t) {
    ClearTables();
    AddByte(&bMirror, 1, "bMirror");
    AddShort(&nMinFrames, 1, "nMinFrames");
    AddShort(&nMaxFrames, 1, "nMaxFrames");
    AddByte(&bAnyLength, 1, "bAnyLength");
    AddByte(&nCombine, 1, "nCombine");
}

void cEdKeyCondition::Reset() {
    SerialRecord::Reset();
    vecKeyState.resize(kKeyStateCount);
    vecKeyState.Fill(0);
}

void cEdKeyCondition::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    const std::uint32_t n = reader.ReadCount(1);
    vecKeyState.resize(n);
    if (n > 0) reader.Read(vecKeyState.data(), n);
}

void cEdKeyCondition::Save(RecordWriter& writer) {
    SerialRecord::Save(writer);
    writer.WriteU32(vecKeyState.Size());
    if (!vecKeyState.empty()) writer.Write(vecKeyState.data(), vecKeyState.size());
}

void cEdKeyCondition::Describe(RecordVisitor& visitor) {
    visitor.Value("vecKeyState.count", vecKeyState.Size());
    for (int i = 0; i < static_cast<int>(vecKeyState.Size()); ++i) {
        visitor.Value(Format("vecKeyState[%d]", i), vecKeyState[i]);
    }
}

// cEdFlow

cEdFlow::cEdFlow() {
    Reset();
    nKeySlack = 3;
}

cEdFlow::cEdFlow(const cEdFlow&) = default;
cEdFlow& cEdFlow::operator=(const cEdFlow&) = default;
cEdFlow::~cEdFlow() = default;

void cEdFlow::Rebind(std::uint32_t version) {
    ClearTables();
    AddByte(&nId, 1, "nId");
    AddByte(&nGroup, 1, "nGroup");
    AddByte(&bTestOnly, 1, "bTestOnly");
    AddByte(&nCondMode, 1, "nCondMode");
    AddByte(&bCondLatch, 1, "bCondLatch");
    AddByte(&nTrigger, 1, "nTrigger");
    AddByte(&nKeySlack, 1, "nKeySlack");
    AddByte(&bKeyLevel, 1, "bKeyLevel");
    if (version >= kFlowTextVersion) AddString(&strText, 1, "strText");
}

void cEdFlow::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    LoadConditionList(vecCondition, reader);
    LoadKeyConditionList(vecKeyCondition, reader);
    LoadCommandList(vecCommand, reader);
    const std::uint32_t version = reader.Version();
    if (version < kCurrentDataVersion) {
        // Trigger kinds inserted over the versions: one at 11 (132), two at 5 (164); groups
        // applied only to the always-tested flows from 163 on.
        if (version <= 131 && nTrigger >= 11) ++nTrigger;
        if (version < 163 && nTrigger != 0) nGroup = 0;
        if (version < 164 && nTrigger >= 5) nTrigger = static_cast<std::int8_t>(nTrigger + 2);
    }
    strText.clear();
    NormalizeAfterLoad(reader);
}

void cEdFlow::Save(RecordWriter& writer) {
    NormalizeBeforeSave(writer);
    SerialRecord::Save(writer);
    SaveRecordList(writer, vecCondition);
    SaveRecordList(writer, vecKeyCondition);
    SaveRecordList(writer, vecCommand);
}

void cEdFlow::Normalize() {
    for (cEdCommand& command : vecCommand) command.Normalize();
}

void cEdFlow::CheckPaletteRefs(const PaletteRefSizes& common, const PaletteRefSizes& stage) {
    for (cEdCommand& command : vecCommand) command.CheckPaletteRefs(common, stage);
}

void cEdFlow::Describe(RecordVisitor& visitor) {
    DescribeList(visitor, "vecCondition", vecCondition);
    DescribeList(visitor, "vecKeyCondition", vecKeyCondition);
    DescribeList(visitor, "vecCommand", vecCommand);
}

// Lists

void LoadFlowList(CheckedVector<cEdFlow>& list, RecordReader& reader) {
    if (flowNesting >= kMaxFlowNesting) {
        // An empty list this deep is fine (it is what a save of a cut-off file writes); only
        // flows deeper than the limit end the read.
        list.Clear();
        if (reader.ReadCount(kFlowMinBytes) != 0) reader.StopHere("flows nested too deeply");
        return;
    }
    struct Level {
        Level() { ++flowNesting; }
        ~Level() { --flowNesting; }
    } level;
    LoadList(list, reader, kFlowMinBytes);
}

void LoadConditionList(CheckedVector<cEdCondition>& list, RecordReader& reader) {
    LoadList(list, reader, kConditionMinBytes);
}

void LoadKeyConditionList(CheckedVector<cEdKeyCondition>& list, RecordReader& reader) {
    LoadList(list, reader, kKeyConditionMinBytes);
}

void RemoveFlaggedFlows(CheckedVector<cEdFlow>& list) {
    list.erase(std::remove_if(list.begin(), list.end(),
                              [](const cEdFlow& flow) { return flow.bTestOnly != 0; }),
               list.end());
}

bool ShouldRemoveTestPlayFlows() {
    return !bEditorLaunch && EdSystem.bKeepTestPlayFlows == 0;
}

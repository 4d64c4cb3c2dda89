// The flow records: a flow (an event script of a character definition or of an item
// command that adds flows to the hero) with its conditions, its key-input sequence and its
// commands.
//
// Flows and commands nest: a command carries flows of its own (command_record.h), so the
// two headers include each other; either may be included first.
#pragma once

#include <cstdint>
#include <string>

#include "base/checked_vector.h"
#include "data/serial_record.h"

class cEdCommand;

// One condition of a flow; the meaning of most fields depends on nKind.
class cEdCondition : public SerialRecord {
public:
    cEdCondition();
    cEdCondition(const cEdCondition&) = default;
    cEdCondition& operator=(const cEdCondition&) = default;
    void Rebind(std::uint32_t version) override;
    // Old files register the two discarded values one of two ways.
    std::uint32_t LayoutVariant() const override { return m_bDiscardedSplit ? 1 : 0; }
    // Conditions of older files are renumbered to today's kinds and status orders.
    void Load(RecordReader& reader) override;

    std::int8_t nKind = 0;  // 1..3 variables, 4 status, 5 status flag, 6 state, 7 distance
    std::int8_t nSubject = 0;
    std::int8_t nVarScope = 0;
    std::int8_t nWhose = 0;
    std::int8_t nItem = 0;
    std::int16_t nVarIndex = 0;
    std::int8_t nSource = 0;
    std::int32_t nValue = 0;
    std::int32_t nRandMin = 0;
    std::int32_t nRandMax = 0;
    std::int8_t nWhose2 = 0;
    std::int8_t nItem2 = 0;
    std::int8_t nVarScope2 = 0;
    std::int16_t nVarIndex2 = 0;
    std::int8_t nOp = 0;
    std::int8_t bPercent = 0;  // from version 43
    std::int8_t nShape = 0;

private:
    // Files before 110 hold two values of 16 bits here that nothing uses; some writers
    // registered them as one entry of two, others as two entries (the field count tells).
    std::int16_t m_Discarded[2] = {};
    bool m_bDiscardedSplit = false;
};

// One step of a key-input sequence.
class cEdKeyCondition : public SerialRecord {
public:
    static constexpr int kKeyStateCount = 19;  // 10 direction logs, then 9 button logs

    cEdKeyCondition();
    cEdKeyCondition(const cEdKeyCondition&) = default;
    cEdKeyCondition& operator=(const cEdKeyCondition&) = default;
    void Rebind(std::uint32_t version) override;
    // Every field 0 and exactly 19 key states of 0.
    void Reset();
    void Load(RecordReader& reader) override;
    void Save(RecordWriter& writer) override;
    void Describe(RecordVisitor& visitor) override;

    // 0 not tested, 1 held, 2 released. A file may store another count: it is kept as it
    // is, and the key test reads the states through the checked access.
    CheckedVector<std::int8_t> vecKeyState;
    std::int8_t bMirror = 0;
    std::int16_t nMinFrames = 0;
    std::int16_t nMaxFrames = 0;
    std::int8_t bAnyLength = 0;
    std::int8_t nCombine = 0;  // 0 all, 1 at least one, 2 exactly one
};

struct PaletteRefSizes;

class cEdFlow : public SerialRecord {
public:
    cEdFlow();
    cEdFlow(const cEdFlow&);
    cEdFlow& operator=(const cEdFlow&);
    ~cEdFlow() override;
    void Rebind(std::uint32_t version) override;
    void Load(RecordReader& reader) override;
    void Save(RecordWriter& writer) override;
    // Normalises every command.
    void Normalize() override;
    void Describe(RecordVisitor& visitor) override;
    // Resets the commands' palette references that point outside the loaded palettes.
    void CheckPaletteRefs(const PaletteRefSizes& common, const PaletteRefSizes& stage);

    std::string strText;     // kept in the file only (from version 676); emptied at load
    std::int8_t nId = 0;     // 0 none, 1..26 = A..Z
    std::int8_t nGroup = 0;  // 0 none, 1..26 = a..z
    std::int8_t bTestOnly = 0;
    CheckedVector<cEdCondition> vecCondition;
    std::int8_t nCondMode = 0;  // 0 all must hold, 1 at least one
    std::int8_t bCondLatch = 0;
    std::int8_t nTrigger = 0;  // 0..19 in the order of the trigger labels
    std::int8_t nKeySlack = 3;
    std::int8_t bKeyLevel = 0;
    CheckedVector<cEdKeyCondition> vecKeyCondition;
    CheckedVector<cEdCommand> vecCommand;
};

// The list readers: u32 count, then each element's body. A count that the bytes left cannot
// back reads as 0; flows nested deeper than kMaxFlowNesting end the read there.
inline constexpr int kMaxFlowNesting = 16;
void LoadFlowList(CheckedVector<cEdFlow>& list, RecordReader& reader);
void LoadConditionList(CheckedVector<cEdCondition>& list, RecordReader& reader);
void LoadKeyConditionList(CheckedVector<cEdKeyCondition>& list, RecordReader& reader);

// Removes the flows that exist only in test plays, keeping the others in order.
void RemoveFlaggedFlows(CheckedVector<cEdFlow>& list);
// Whether loads remove those flows: not in a test play started by the editor, nor when the
// system settings keep them.
bool ShouldRemoveTestPlayFlows();

// A flow holds its commands by value: users of flows need the complete command class.
#include "data/command_record.h"  // IWYU pragma: export

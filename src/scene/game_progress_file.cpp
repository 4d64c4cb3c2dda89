// The progress record in its files: the registered members, then the tail of lists, and the
// upgrade of files written by older versions.
#include <algorithm>

#include "data/record_surplus.h"
#include "data/record_visitor.h"
#include "data/system_record.h"
#include "data/world_map.h"
#include "scene/game_progress.h"

namespace {

// Every int of the tail is 4 bytes; a list of ints is its count and the values.
void LoadIntList(RecordReader& reader, CheckedVector<std::int32_t>& list) {
    const std::uint32_t n = reader.ReadCount(4);
    list.Clear();
    list.resize(n, 0);
    for (std::uint32_t i = 0; i < n; ++i) {
        std::int32_t value = 0;
        if (!reader.Read(&value, sizeof value)) {
            list.resize(i, 0);
            return;
        }
        list[static_cast<int>(i)] = value;
    }
}

void SaveIntList(RecordWriter& writer, const CheckedVector<std::int32_t>& list) {
    writer.WriteU32(list.Size());
    for (std::int32_t value : list) writer.Write(&value, sizeof value);
}

template <class T>
void LoadProgressList(RecordReader& reader, CheckedVector<T>& list, std::size_t minBytes) {
    const std::uint32_t n = reader.ReadCount(minBytes);
    list.Clear();
    for (std::uint32_t i = 0; i < n && !reader.StoppedEarly(); ++i) {
        list.emplace_back();
        if (!RefuseSurplus(reader, list.back())) break;
        list.back().Load(reader);
    }
}

void Describe16(RecordVisitor& visitor, const SaveTime& t) {
    visitor.Value("m_SaveTime.wYear", t.wYear);
    visitor.Value("m_SaveTime.wMonth", t.wMonth);
    visitor.Value("m_SaveTime.wDayOfWeek", t.wDayOfWeek);
    visitor.Value("m_SaveTime.wDay", t.wDay);
    visitor.Value("m_SaveTime.wHour", t.wHour);
    visitor.Value("m_SaveTime.wMinute", t.wMinute);
    visitor.Value("m_SaveTime.wSecond", t.wSecond);
    visitor.Value("m_SaveTime.wMilliseconds", t.wMilliseconds);
}

void DescribeInts(RecordVisitor& visitor, const char* name,
                  const CheckedVector<std::int32_t>& list) {
    for (int i = 0; i < static_cast<int>(list.Size()); ++i)
        visitor.Value(Format("%s[%d]", name, i), list[i]);
}

// The smallest body of a carried-status record: its two counts and the character
// record's two.
constexpr std::size_t kMinCarryCharaBytes = 16;

}  // namespace

// ---------------------------------------------------------------- carried statuses

void ProgressChara::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    if (reader.StoppedEarly() || !RefuseSurplus(reader, m_Chara)) return;
    m_Chara.Load(reader);
}

void ProgressChara::Save(RecordWriter& writer) {
    SerialRecord::Save(writer);
    m_Chara.Save(writer);
}

void ProgressChara::Describe(RecordVisitor& visitor) {
    visitor.Child("m_Chara", m_Chara);
}

// ---------------------------------------------------------------- the record

void GameProgress::Load(RecordReader& reader) {
    const std::uint32_t version = reader.Version();
    if (!RefuseSurplus(reader, *this)) return;
    SerialRecord::Load(reader);
    reader.Read(&m_SaveTime, sizeof m_SaveTime);
    if (version >= kCarryFlagsVersion) LoadIntList(reader, m_vecCarryFlags);
    LoadProgressList(reader, m_vecCarryChara, kMinCarryCharaBytes);
    LoadProgressList(reader, m_vecStageScore, 8);
    LoadProgressList(reader, m_vecChallenge, 8);
    LoadIntList(reader, m_vecSwitch);
    LoadIntList(reader, m_vecVariable);

    // Members the older file did not have.
    if (version < 166) m_bBgmLoop = 1;
    if (version < 169) m_bAutoSave = 0;
    if (version < 182) m_nRestHP = m_nRestSP = 0;
    if (version < 190) m_bBackToMap = 0;
    if (version < 191) m_nEntryX = m_nEntryY = 0;
    if (version < 194) m_nMapFacing = 0;
    if (version < kCarryFlagsVersion) {
        // Every group counted as stored before the flags existed.
        m_vecCarryFlags.Clear();
        m_vecCarryFlags.resize(kCarryGroupCount, 1);
    }
    NormalizeAfterLoad(reader);
}

void GameProgress::Save(RecordWriter& writer) {
    NormalizeBeforeSave(writer);
    SerialRecord::Save(writer);
    writer.Write(&m_SaveTime, sizeof m_SaveTime);
    if (writer.Version() >= kCarryFlagsVersion) SaveIntList(writer, m_vecCarryFlags);
    SaveRecordList(writer, m_vecCarryChara);
    SaveRecordList(writer, m_vecStageScore);
    SaveRecordList(writer, m_vecChallenge);
    SaveIntList(writer, m_vecSwitch);
    SaveIntList(writer, m_vecVariable);
}

void GameProgress::Normalize() {
    // A file from 501 on that stores fewer flags lacks the rest: not stored.
    m_vecCarryFlags.resize(kCarryGroupCount, 0);
    if (m_vecCarryChara.empty()) ResetCarriedStatus(1);
    m_vecSwitch.resize(kSwitchCount, 0);
    m_vecVariable.resize(kCommonVariableCount, 0);
    if (m_nRankTable < 0 || m_nRankTable >= kRankingTableCount) m_nRankTable = 0;
    if (m_nSlot < -1 || m_nSlot >= kSaveSlotCount) m_nSlot = -1;
    ClampMapPosition();
}

void GameProgress::ClampMapPosition() {
    if (m_nMapX >= EdWorldMap.nWidth) m_nMapX = EdWorldMap.nStartX;
    if (m_nMapY >= EdWorldMap.nHeight) m_nMapY = EdWorldMap.nStartY;
    const int stages = std::max(0, EdSystem.nChallengeStages);
    m_vecChallenge.resize(static_cast<std::size_t>(stages));
    if (m_nChallengeOpen > stages) m_nChallengeOpen = stages;
}

void GameProgress::Describe(RecordVisitor& visitor) {
    Describe16(visitor, m_SaveTime);
    DescribeInts(visitor, "m_vecCarryFlags", m_vecCarryFlags);
    DescribeList(visitor, "m_vecCarryChara", m_vecCarryChara);
    DescribeList(visitor, "m_vecStageScore", m_vecStageScore);
    DescribeList(visitor, "m_vecChallenge", m_vecChallenge);
    DescribeInts(visitor, "m_vecSwitch", m_vecSwitch);
    DescribeInts(visitor, "m_vecVariable", m_vecVariable);
}

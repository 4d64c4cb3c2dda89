#include "scene/ranking.h"

#include <utility>

#include "data/record_surplus.h"
#include "data/record_visitor.h"

RankSet Ranking;

namespace {

// The smallest body of a place: its field count and its string count.
constexpr std::size_t kMinEntryBytes = 8;
// The smallest body of a table: its two counts and the count of places.
constexpr std::size_t kMinTableBytes = 12;

constexpr std::int32_t kDefaultHigherFirst[kRankTables] = {1, 1, 0, 1, 1};

}  // namespace

// ---------------------------------------------------------------- places

RankEntry::RankEntry() {
    Rebind(kCurrentDataVersion);
    SerialRecord::Reset();
}

RankEntry::RankEntry(std::int32_t valid, std::string name, std::int32_t value) : RankEntry() {
    m_bValid = valid;
    m_strName = std::move(name);
    m_nValue = value;
}

void RankEntry::Rebind(std::uint32_t) {
    ClearTables();
    AddInt(&m_bValid, 1, "m_bValid");
    AddInt(&m_nValue, 1, "m_nValue");
    AddString(&m_strName, 1, "m_strName");
}

void RankEntry::Load(RecordReader& reader) {
    if (RefuseSurplus(reader, *this)) SerialRecord::Load(reader);
}

// ---------------------------------------------------------------- tables

RankTable::RankTable() {
    Rebind(kCurrentDataVersion);
    Reset();
}

void RankTable::Rebind(std::uint32_t) {
    ClearTables();
    AddInt(&m_bHigherFirst, 1, "m_bHigherFirst");
}

void RankTable::Reset() {
    SerialRecord::Reset();
    m_vecEntry.resize(kRankPlaces);
}

void RankTable::Load(RecordReader& reader) {
    if (!RefuseSurplus(reader, *this)) return;
    SerialRecord::Load(reader);
    LoadRecordList(reader, m_vecEntry, kMinEntryBytes);
}

void RankTable::Save(RecordWriter& writer) {
    SerialRecord::Save(writer);
    SaveRecordList(writer, m_vecEntry);
}

void RankTable::Describe(RecordVisitor& visitor) {
    DescribeList(visitor, "m_vecEntry", m_vecEntry);
}

int RankTable::FindSlot(std::int32_t value) const {
    for (int i = 0; i < static_cast<int>(m_vecEntry.Size()); ++i) {
        const RankEntry& entry = m_vecEntry[i];
        if (entry.m_bValid == 0) return i;
        if (m_bHigherFirst != 0 ? value > entry.m_nValue : value < entry.m_nValue) return i;
    }
    return -1;
}

void RankTable::Add(const std::string& name, std::int32_t value) {
    const int place = FindSlot(value);
    // A value that ranks nowhere would be appended and dropped again at once.
    if (place < 0 || m_vecEntry.empty()) return;
    m_vecEntry.insert(m_vecEntry.begin() + place, RankEntry(1, name, value));
    m_vecEntry.pop_back();
}

// ---------------------------------------------------------------- the set

RankSet::RankSet() {
    Rebind(kCurrentDataVersion);
    Reset();
}

void RankSet::Rebind(std::uint32_t) {
    RebindNone(*this);
}

void RankSet::Reset() {
    SerialRecord::Reset();
    m_vecTable.Clear();
    m_vecTable.resize(kRankTables);
    for (int t = 0; t < kRankTables; ++t) m_vecTable[t].m_bHigherFirst = kDefaultHigherFirst[t];
}

void RankSet::Load(RecordReader& reader) {
    if (!RefuseSurplus(reader, *this)) return;
    SerialRecord::Load(reader);
    LoadRecordList(reader, m_vecTable, kMinTableBytes);
    if (reader.Version() <= kRankThreeTableVersion) {
        m_vecTable.resize(kRankTables);
        m_vecTable[3].m_bHigherFirst = 1;
        m_vecTable[4].m_bHigherFirst = 1;
    }
}

void RankSet::Save(RecordWriter& writer) {
    SerialRecord::Save(writer);
    SaveRecordList(writer, m_vecTable);
}

void RankSet::Describe(RecordVisitor& visitor) {
    DescribeList(visitor, "m_vecTable", m_vecTable);
}

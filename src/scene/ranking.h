// The ranking tables of a stage: five tables of 20 places, one per result value of a cleared
// stage (score, remaining time, clear time, remaining HP, remaining SP), kept in one file per
// stage and play mode. The global `Ranking` holds the tables of the stage in question; it is
// loaded again for every stage shown or played.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/checked_vector.h"
#include "data/serial_record.h"
#include "gfx/surface.h"

// Places per table, and tables per set.
inline constexpr int kRankPlaces = 20;
inline constexpr int kRankTables = 5;
// The table of the clear time, whose values are hundredths of a second and lower is better.
inline constexpr int kRankTableClearTime = 2;
// Files up to this version hold three tables.
inline constexpr std::uint32_t kRankThreeTableVersion = 180;

// One place of a table.
class RankEntry : public SerialRecord {
public:
    RankEntry();
    RankEntry(std::int32_t valid, std::string name, std::int32_t value);
    RankEntry(const RankEntry&) = default;
    RankEntry& operator=(const RankEntry&) = default;
    void Rebind(std::uint32_t version) override;
    // The registered members; a body that stores more of them than the record has ends the
    // read (a damaged file gives the default set, it does not close the program).
    void Load(RecordReader& reader) override;

    std::int32_t m_bValid = 0;  // 1 a filled place, 0 an empty one
    std::string m_strName;
    std::int32_t m_nValue = 0;
};

class RankTable : public SerialRecord {
public:
    RankTable();
    RankTable(const RankTable&) = default;
    RankTable& operator=(const RankTable&) = default;
    void Rebind(std::uint32_t version) override;
    // The order flag, then the count of places and each place.
    void Load(RecordReader& reader) override;
    void Save(RecordWriter& writer) override;
    void Describe(RecordVisitor& visitor) override;

    // Order flag 0 and exactly kRankPlaces places: missing ones appended empty, extra ones
    // removed (filled places stay as they are).
    void Reset();
    // The first place that is empty or whose value v beats (equal values do not beat: a new
    // value goes after the older equal ones); -1 when no place takes it.
    int FindSlot(std::int32_t value) const;
    // Inserts {1, name, value} before the place FindSlot gives (appends when none) and drops
    // the last place, so the size stays.
    void Add(const std::string& name, std::int32_t value);
    // The table's box at (x, y): title with the value word of table t, the filled places,
    // the table-switch hint when the play mode enables two or more tables, the cursor at
    // the highlighted place (-1 none).
    void Draw(DDSURFACEDATA* target, int x, int y, int t, int highlight);

    CheckedVector<RankEntry> m_vecEntry;
    std::int32_t m_bHigherFirst = 0;
};

class RankSet : public SerialRecord {
public:
    RankSet();
    RankSet(const RankSet&) = default;
    RankSet& operator=(const RankSet&) = default;
    void Rebind(std::uint32_t version) override;
    void Load(RecordReader& reader) override;
    void Save(RecordWriter& writer) override;
    void Describe(RecordVisitor& visitor) override;

    // Five empty tables ordered higher, higher, lower, higher, higher first.
    void Reset();
    // Table `table` (0-4) at (x, y) with place `highlight` marked (-1 none); a table the set
    // does not hold draws nothing.
    void DrawTable(DDSURFACEDATA* target, int x, int y, int table, int highlight);

    CheckedVector<RankTable> m_vecTable;
};

extern RankSet Ranking;

// The ranking file of a stage key in play mode 0 (story), 1 (challenge) or 2 (free): the
// mode's folder, the key's file name part (which ends in its dot) and "rkg". 1 with the path
// in out; 0 (out unchanged) for any other mode or a path that would be too long.
int MakeRankingPath(std::string& out, int mode, std::string_view key);
// 1 when the file was read whole; 0 leaves the default set (no file, no ranking folder for
// the mode, or a damaged file). Afterwards the set holds exactly 5 tables of 20 places.
int LoadRankingFile(RankSet& set, int mode, std::string_view key);
// The same over a reader at the start of a set's body (the file's bytes after its version).
int LoadRankingRecord(RankSet& set, RecordReader& reader);
// 1 when the file was written (atomically); 0 otherwise (nothing reported).
int SaveRankingFile(RankSet& set, int mode, std::string_view key);

// "mm:ss.cc" of a time in hundredths of a second; minutes and seconds at least two digits,
// a negative value with "-" in front. Exact over the whole 32-bit range.
std::string FormatRankTime(std::int32_t hundredths);
// The decimal digits of a value, 1 to 10 (the sign not counted).
int CountDigits(std::int32_t value);
// The number of elements equal to value.
int CountValue(const CheckedVector<std::int32_t>& values, std::int32_t value);

// The result box of a cleared stage at (x, y): one line per result value the running stage
// shows (its result switch on, and a direct play or the play mode's table on), with the
// cursor beside the lines whose table took the value (places[k] not -1).
void DrawStageResult(DDSURFACEDATA* target, int x, int y,
                     const CheckedVector<std::int32_t>& places);

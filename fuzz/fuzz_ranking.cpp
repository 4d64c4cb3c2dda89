// A ranking file over hostile bytes: whatever it holds, the set afterwards has five tables
// of twenty places (the default set when the file was refused), insertion keeps the size,
// and a set written back reads again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "scene/ranking.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RecordReader reader = RecordReader::FromBytes(std::vector<std::uint8_t>(data, data + size));
    if (!reader.Ok()) return 0;
    RankSet set;
    LoadRankingRecord(set, reader);
    if (set.m_vecTable.Size() != kRankTables) __builtin_trap();
    for (RankTable& table : set.m_vecTable) {
        if (table.m_vecEntry.Size() != kRankPlaces) __builtin_trap();
        const std::int32_t value = size > 0 ? static_cast<std::int32_t>(data[size - 1]) - 128 : 0;
        const int slot = table.FindSlot(value);
        if (slot < -1 || slot >= kRankPlaces) __builtin_trap();
        table.Add("abc", value);
        if (table.m_vecEntry.Size() != kRankPlaces) __builtin_trap();
        if (slot >= 0 && table.m_vecEntry[slot].m_nValue != value) __builtin_trap();
        (void)FormatRankTime(table.m_vecEntry[0].m_nValue);
        if (CountDigits(table.m_vecEntry[0].m_nValue) < 1) __builtin_trap();
    }

    const std::vector<std::uint8_t> saved = set.SaveToBytes();
    RankSet again;
    RecordReader back = RecordReader::FromBytes(saved);
    if (!LoadRankingRecord(again, back) || again.SaveToBytes() != saved) {
        std::fprintf(stderr, "re-read differs (stopped %d at %zu: %s)\n", back.StoppedEarly(),
                     back.ProblemOffset(), back.Problem().c_str());
        __builtin_trap();
    }
    return 0;
}

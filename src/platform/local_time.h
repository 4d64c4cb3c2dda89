// The local date and time, in the 16-byte layout the save files keep.
//
// With the real clock it is the wall clock's local time. With the virtual clock it is a fixed
// date advanced by the virtual clock, so that saved files and drawn dates repeat run to run.
#pragma once

#include <cstdint>

namespace plat {

struct SYSTEMTIME {
    std::uint16_t wYear = 0;
    std::uint16_t wMonth = 0;      // 1 = January
    std::uint16_t wDayOfWeek = 0;  // 0 = Sunday
    std::uint16_t wDay = 0;
    std::uint16_t wHour = 0;
    std::uint16_t wMinute = 0;
    std::uint16_t wSecond = 0;
    std::uint16_t wMilliseconds = 0;
};
static_assert(sizeof(SYSTEMTIME) == 16);

void GetLocalTime(SYSTEMTIME* out);

// The date the virtual clock shows at virtual time 0: 2011-06-17 09:05:00.000, a Friday.
inline constexpr SYSTEMTIME kVirtualEpoch{2011, 6, 5, 17, 9, 5, 0, 0};

// The calendar time `ms` milliseconds after the virtual epoch (proleptic Gregorian, no zones).
SYSTEMTIME VirtualLocalTime(std::uint64_t ms);

}  // namespace plat

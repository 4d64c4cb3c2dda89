#include "platform/local_time.h"

#include <sys/time.h>

#include <ctime>

#include "platform/clock.h"

namespace plat {
namespace {

// Days since 1970-01-01 of a civil date, and back (H. Hinnant's algorithms).
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t* y, unsigned* m, unsigned* d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    *d = doy - (153 * mp + 2) / 5 + 1;
    *m = mp < 10 ? mp + 3 : mp - 9;
    *y = static_cast<std::int64_t>(yoe) + era * 400 + (*m <= 2);
}

}  // namespace

SYSTEMTIME VirtualLocalTime(std::uint64_t ms) {
    const SYSTEMTIME& e = kVirtualEpoch;
    const std::int64_t epochMs =
        DaysFromCivil(e.wYear, e.wMonth, e.wDay) * 86400000 +
        ((e.wHour * 60 + e.wMinute) * 60 + e.wSecond) * std::int64_t{1000} + e.wMilliseconds;
    const std::int64_t total = epochMs + static_cast<std::int64_t>(ms);
    const std::int64_t days = total / 86400000;
    std::int64_t rest = total % 86400000;
    std::int64_t y = 0;
    unsigned m = 0;
    unsigned d = 0;
    CivilFromDays(days, &y, &m, &d);
    SYSTEMTIME t;
    t.wYear = static_cast<std::uint16_t>(y);
    t.wMonth = static_cast<std::uint16_t>(m);
    t.wDay = static_cast<std::uint16_t>(d);
    // 1970-01-01 was a Thursday.
    t.wDayOfWeek = static_cast<std::uint16_t>((days + 4) % 7);
    t.wMilliseconds = static_cast<std::uint16_t>(rest % 1000);
    rest /= 1000;
    t.wSecond = static_cast<std::uint16_t>(rest % 60);
    rest /= 60;
    t.wMinute = static_cast<std::uint16_t>(rest % 60);
    t.wHour = static_cast<std::uint16_t>(rest / 60);
    return t;
}

void GetLocalTime(SYSTEMTIME* out) {
    if (!out) return;
    if (IsVirtualClock()) {
        *out = VirtualLocalTime(timeGetTime());
        return;
    }
    timeval now{};
    gettimeofday(&now, nullptr);
    const std::time_t seconds = now.tv_sec;
    std::tm local{};
    localtime_r(&seconds, &local);
    out->wYear = static_cast<std::uint16_t>(local.tm_year + 1900);
    out->wMonth = static_cast<std::uint16_t>(local.tm_mon + 1);
    out->wDayOfWeek = static_cast<std::uint16_t>(local.tm_wday);
    out->wDay = static_cast<std::uint16_t>(local.tm_mday);
    out->wHour = static_cast<std::uint16_t>(local.tm_hour);
    out->wMinute = static_cast<std::uint16_t>(local.tm_min);
    // A leap second shows as second 59.
    out->wSecond = static_cast<std::uint16_t>(local.tm_sec > 59 ? 59 : local.tm_sec);
    out->wMilliseconds = static_cast<std::uint16_t>(now.tv_usec / 1000);
}

}  // namespace plat

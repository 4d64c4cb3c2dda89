// The local date and time: the calendar arithmetic of the virtual clock's date, and the
// virtual clock moving it.
#include "platform/local_time.h"

#include <gtest/gtest.h>

#include "platform/clock.h"

namespace {

TEST(LocalTime, VirtualDateAdvancesByTheCalendar) {
    struct Case {
        std::uint64_t ms;
        std::uint16_t year, month, dayOfWeek, day, hour, minute, second, milli;
    };
    constexpr std::uint64_t kDay = 86400000;
    const Case cases[] = {
        {0, 2011, 6, 5, 17, 9, 5, 0, 0},
        {1234, 2011, 6, 5, 17, 9, 5, 1, 234},
        {14 * 3600000 + 55 * 60000, 2011, 6, 6, 18, 0, 0, 0, 0},  // midnight, Saturday
        {13 * kDay, 2011, 6, 4, 30, 9, 5, 0, 0},
        {14 * kDay, 2011, 7, 5, 1, 9, 5, 0, 0},
        {197 * kDay, 2011, 12, 6, 31, 9, 5, 0, 0},
        {198 * kDay, 2012, 1, 0, 1, 9, 5, 0, 0},        // a Sunday
        {257 * kDay, 2012, 2, 3, 29, 9, 5, 0, 0},       // a leap day
        {0xFFFFFFFFull, 2011, 8, 6, 6, 2, 7, 47, 295},  // the end of a 32-bit clock
    };
    for (const Case& c : cases) {
        const plat::SYSTEMTIME t = plat::VirtualLocalTime(c.ms);
        EXPECT_EQ(t.wYear, c.year) << c.ms;
        EXPECT_EQ(t.wMonth, c.month) << c.ms;
        EXPECT_EQ(t.wDayOfWeek, c.dayOfWeek) << c.ms;
        EXPECT_EQ(t.wDay, c.day) << c.ms;
        EXPECT_EQ(t.wHour, c.hour) << c.ms;
        EXPECT_EQ(t.wMinute, c.minute) << c.ms;
        EXPECT_EQ(t.wSecond, c.second) << c.ms;
        EXPECT_EQ(t.wMilliseconds, c.milli) << c.ms;
    }
}

TEST(LocalTime, FollowsTheVirtualClock) {
    plat::UseVirtualClock(5000);
    plat::SYSTEMTIME a;
    plat::GetLocalTime(&a);
    EXPECT_EQ(a.wSecond, 5);
    EXPECT_EQ(a.wYear, 2011);
    plat::StepVirtualClock(60000);
    plat::SYSTEMTIME b;
    plat::GetLocalTime(&b);
    EXPECT_EQ(b.wMinute, 6);
    EXPECT_EQ(b.wSecond, 5);
    plat::UseRealClock();
    plat::SYSTEMTIME real;
    plat::GetLocalTime(&real);
    EXPECT_GE(real.wYear, 2024);
    EXPECT_GE(real.wMonth, 1);
    EXPECT_LE(real.wMonth, 12);
    EXPECT_LE(real.wDayOfWeek, 6);
    plat::GetLocalTime(nullptr);  // no target: nothing
}

}  // namespace

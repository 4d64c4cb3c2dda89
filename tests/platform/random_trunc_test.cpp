#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <set>
#include <thread>
#include <vector>

#include "base/random_range.h"
#include "platform/random.h"
#include "platform/trunc.h"

namespace {

TEST(Rand, MatchesTheRuntimeSequence) {
    plat::srand(1);
    std::vector<int> got;
    for (int i = 0; i < 5; ++i) got.push_back(plat::rand());
    EXPECT_EQ(got, (std::vector<int>{41, 18467, 6334, 26500, 19169}));
}

TEST(Rand, EachThreadHasItsOwnStateStartingAtOne) {
    plat::srand(12345);
    plat::rand();
    std::vector<int> a, b;
    std::thread ta([&] {
        for (int i = 0; i < 3; ++i) a.push_back(plat::rand());
    });
    std::thread tb([&] {
        plat::srand(99);
        for (int i = 0; i < 3; ++i) b.push_back(plat::rand());
    });
    ta.join();
    tb.join();
    EXPECT_EQ(a, (std::vector<int>{41, 18467, 6334}));
    plat::srand(99);
    std::vector<int> expected;
    for (int i = 0; i < 3; ++i) expected.push_back(plat::rand());
    EXPECT_EQ(b, expected);
}

TEST(RandomRange, StaysWithinSwappedBoundsAndReachesBoth) {
    plat::srand(7);
    std::set<int> seen;
    for (int i = 0; i < 1000; ++i) {
        int v = RandomRange(5, 2);
        ASSERT_GE(v, 2);
        ASSERT_LE(v, 5);
        seen.insert(v);
    }
    EXPECT_EQ(seen, (std::set<int>{2, 3, 4, 5}));
    EXPECT_EQ(RandomRange(3, 3), 3);
}

TEST(RandomRange, WidestRangeDoesNotOverflow) {
    plat::srand(1);
    // 41 is the first value of the generator: INT_MIN + 41.
    EXPECT_EQ(RandomRange(INT_MAX, INT_MIN), INT_MIN + 41);
}

TEST(TruncToInt, BehavesLikeTheX86Conversion) {
    struct Case {
        double in;
        int out;
    } cases[] = {
        {1.9, 1},
        {-1.9, -1},
        {2147483647.0, INT_MAX},
        {2147483647.9, INT_MAX},
        {-2147483648.0, INT_MIN},
        {-2147483648.9, INT_MIN},
        {2147483648.0, INT_MIN},
        {1e300, INT_MIN},
        {-1e300, INT_MIN},
        {std::numeric_limits<double>::quiet_NaN(), INT_MIN},
        {std::numeric_limits<double>::infinity(), INT_MIN},
    };
    for (const Case& c : cases) EXPECT_EQ(plat::TruncToInt(c.in), c.out) << c.in;
}

}  // namespace

// The strip and split effects in every configuration, exact to the pixel: the wave's sine per
// strip, the interlace's odd and even strips, the turn's cycle, the split's quarters, and the
// strips a hostile parameter would make endless.
#include "gfx/effect_strips.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "effect_fixture.h"
#include "platform/clock.h"

namespace {

class StripEffects : public EffectTest {};

// The row of each column's single red pixel ('-' when the column has none).
std::string RedRows(DDSURFACEDATA* sd) {
    std::string out;
    for (int x = 0; x < sd->nWidth; ++x) {
        char row = '-';
        for (int y = 0; y < sd->nHeight; ++y)
            if (Shows(sd, y, x, x + 1) == "r") row = static_cast<char>('0' + y);
        out += row;
    }
    return out;
}

TEST_P(StripEffects, WaveDisplacesEachStripBySine) {
    Make(&src, {"rrrrrrrr"});
    Make(&dst, std::vector<std::string>(9, "bbbbbbbb"));
    // 1-dot columns: column i moves by trunc(A sin((phase + 360 (i + 1) / L) degrees)).
    DDBltWave(&dst, 0, 4, 8, 1, 1, 3.5, 30, 1, &src, 0, 0, 0, 1);
    std::string want;
    for (int i = 0; i < 8; ++i)
        want += static_cast<char>(
            '0' + 4 + static_cast<int>(3.5 * std::sin((30 + 360.0 * (i + 1) / 8) * M_PI / 180)));
    EXPECT_EQ(RedRows(&dst), want);
    // A strip wider than the picture: one strip of the whole width, moved by the sine of
    // (phase + 360 * strip / L) degrees times the waves.
    Paint(&dst, std::vector<std::string>(9, "bbbbbbbb"));
    DDBltWave(&dst, 0, 4, 8, 1, 2, 4.0, 10, 20, &src, 0, 0, 0, 1);
    const int d = static_cast<int>(4.0 * std::sin((10 + 360.0 * 20 / 8) * 2 * M_PI / 180));
    EXPECT_EQ(RedRows(&dst), std::string(8, static_cast<char>('0' + 4 + d)));
    // Rows move across; a strip of 0 draws nothing.
    Make(&src, {"r", "g", "w"});
    DDSURFACEDATA wide;
    Make(&wide, {"bbbbb", "bbbbb", "bbbbb"});
    DDBltWave(&wide, 2, 0, 1, 3, 1, 2.0, 0, 1, &src, 0, 0, 0, 0);
    // Steps of 120 degrees: 2 sin 120 = 1.7, 2 sin 240 = -1.7, 2 sin 360 = 0.
    EXPECT_EQ(Picture(&wide), (std::vector<std::string>{"bbbrb", "bgbbb", "bbwbb"}));
    DDBltWave(&wide, 0, 0, 1, 3, 1, 2.0, 0, 0, &src, 0, 0, 0, 0);
}

TEST_P(StripEffects, InterlacePushesOddAndEvenStrips) {
    Make(&src, {"rgwrgwr"});
    struct Case {
        const char* name;
        int strip, offset;
        std::vector<std::string> shows;
    };
    const Case cases[] = {
        // Offset 0: the picture unchanged, without its remainder column.
        {"offset 0", 2, 0, {"bbbbbbb", "rgwrgwb", "bbbbbbb"}},
        // Odd strips up, even strips down.
        {"offset 1", 2, 1, {"bbwrbbb", "bbbbbbb", "rgbbgwb"}},
        {"strip of 3", 3, 1, {"bbbrgwb", "bbbbbbb", "rgwbbbb"}},
        // A strip larger than the size draws nothing.
        {"strip over the size", 8, 1, {"bbbbbbb", "bbbbbbb", "bbbbbbb"}},
        // A negative strip has no width.
        {"negative strip", -2, 1, {"bbbbbbb", "bbbbbbb", "bbbbbbb"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DDReleaseSurface(&dst);
        Make(&dst, {"bbbbbbb", "bbbbbbb", "bbbbbbb"});
        const int result = DDBltInterlace(&dst, 0, 1, 7, 1, c.strip, c.offset, &src, 0, 0, 0, 1);
        EXPECT_EQ(Picture(&dst), c.shows);
        EXPECT_EQ(SpriteBatch.bActive, 0) << "the batch is closed";
        if (!Direct3D()) EXPECT_EQ(result, 0);
    }
    // Strip 0: one plain blit, its result (DirectDraw's DD_OK is 0).
    DDReleaseSurface(&dst);
    Make(&dst, {"bbbbbbb"});
    EXPECT_EQ(DDBltInterlace(&dst, 0, 0, 7, 1, 0, 5, &src, 0, 0, 0, 1) != 0, Direct3D());
    EXPECT_EQ(Picture(&dst), (std::vector<std::string>{"rgwrgwr"}));
    // Rows: odd rows left, even rows right.
    Make(&src, {"rg", "wr"});
    DDReleaseSurface(&dst);
    Make(&dst, {"bbbb", "bbbb"});
    DDBltInterlace(&dst, 1, 0, 2, 2, 1, 1, &src, 0, 0, 0, 0);
    EXPECT_EQ(Picture(&dst), (std::vector<std::string>{"bbrg", "wrbb"}));
}

TEST_P(StripEffects, TurnClosesAndOpensOverItsCycle) {
    DDSURFACEDATA a, b;
    Make(&a, {"rrrr"});
    Make(&b, {"gggg"});
    struct Case {
        int step;
        const char* shows;
    };
    // Width 8: u = 4, a cycle of 16 steps.
    const Case cases[] = {{0, "rrrrrrrr"},  {3, "wwwrrwww"},  {4, "wwwggwww"},  {7, "gggggggg"},
                          {8, "gggggggg"},  {11, "wwwggwww"}, {12, "wwwrrwww"}, {15, "rrrrrrrr"},
                          {16, "rrrrrrrr"}, {1, "wrrrrrrw"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        DDReleaseSurface(&dst);
        Make(&dst, {"wwwwwwww"});
        DDBltTurn(&dst, 0, 0, 8, 1, &a, 0, 0, &b, 0, 0, 4, 1, 0, c.step, 0);
        EXPECT_EQ(Shows(&dst, 0), c.shows);
    }
    // About the horizontal axis.
    DDReleaseSurface(&dst);
    Make(&dst, {"w", "w", "w", "w"});
    DDSURFACEDATA tall;
    Make(&tall, {"r", "r"});
    DDBltTurn(&dst, 0, 0, 1, 4, &tall, 0, 0, &b, 0, 0, 1, 2, 0, 1, 1);
    EXPECT_EQ(Picture(&dst), (std::vector<std::string>{"w", "r", "r", "w"}));
    // A size below 2 has nothing to squeeze: success, nothing drawn; another mode draws
    // nothing.
    EXPECT_EQ(DDBltTurn(&dst, 0, 0, 1, 4, &a, 0, 0, &b, 0, 0, 4, 1, 0, 5, 0), 1);
    EXPECT_EQ(DDBltTurn(&dst, 0, 0, 1, 4, &a, 0, 0, &b, 0, 0, 4, 1, 0, 5, 2), 0);
    DDBltTurn(&dst, 0, 0, -1, 4, &a, 0, 0, &b, 0, 0, 4, 1, 0, INT_MIN, 0);
    EXPECT_EQ(Picture(&dst), (std::vector<std::string>{"w", "r", "r", "w"}));
}

TEST_P(StripEffects, SplitPushesTheQuartersApart) {
    Make(&src, {"rgw", "gwr", "bbb"});
    struct Case {
        const char* name;
        int offset;
        std::vector<std::string> shows;
    };
    // Odd sizes: the last column and row of the source are not drawn.
    const Case cases[] = {
        {"offset 0", 0, {"kkkkk", "krgkk", "kgwkk", "kkkkk", "kkkkk"}},
        {"offset 1", 1, {"rkkgk", "kkkkk", "kkkkk", "gkkwk", "kkkkk"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DDReleaseSurface(&dst);
        Make(&dst, std::vector<std::string>(5, "kkkkk"));
        DDBltSplit4(&dst, 1, 1, 3, 3, &src, 0, 0, c.offset, 0);
        EXPECT_EQ(Picture(&dst), Expect(c.shows));
    }
}

// Hostile strips and offsets (they come from effect records): no hang, nothing outside.
TEST_P(StripEffects, HostileParametersStayBounded) {
    Make(&src, {"rgwr", "gwrg"});
    Make(&dst, {"bbbb", "bbbb"});
    const std::int64_t start = plat::timeGetTime();
    for (const int v : {INT_MIN, INT_MIN + 1, -1, 1, INT_MAX}) {
        DDBltWave(&dst, v, 0, INT_MAX, 2, v, 1e300, v, 1, &src, 0, 0, 0, 1);
        DDBltWave(&dst, 0, v, 4, INT_MAX, 3, 2.0, 0, 1, &src, 0, v, 0, 0);
        DDBltInterlace(&dst, v, 0, INT_MAX, 2, 1, v, &src, 0, 0, 0, 1);
        DDBltInterlace(&dst, 0, 0, INT_MIN, INT_MIN, -1, v, &src, v, 0, 0, 0);
        DDBltTurn(&dst, v, 0, INT_MAX, v, &src, 0, 0, &src, 0, 0, v, v, 0, v, 0);
        DDBltTurn(&dst, 0, v, v, INT_MIN, &src, v, 0, &src, 0, v, 4, 2, 0, v, 1);
        DDBltSplit4(&dst, v, v, INT_MAX, INT_MAX, &src, v, 0, v, 0);
    }
    EXPECT_EQ(SpriteBatch.bActive, 0);
    EXPECT_LT(plat::timeGetTime() - start, 2000);
}

INSTANTIATE_TEST_SUITE_P(Configs, StripEffects, ::testing::ValuesIn(kDisplayConfigs), ConfigName);

}  // namespace

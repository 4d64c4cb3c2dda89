// The circle, lens and rotation in every configuration, exact to the pixel: the disc's rows
// and bands, the lens's magnified centre and its rim, the software rotation's fixed point and
// the device's rotated quad, and hostile parameters.
#include <gtest/gtest.h>

#include <climits>

#include "effect_fixture.h"
#include "gfx/effect_circle.h"
#include "gfx/effect_lens.h"
#include "gfx/effect_rotate.h"
#include "platform/clock.h"

namespace {

class GeometryEffects : public EffectTest {};

TEST_P(GeometryEffects, CircleDrawsTheDiscRowByRowOrInBands) {
    Make(&src, std::vector<std::string>(9, "rgwrgwrgw"));
    struct Case {
        const char* name;
        int sx, halfWidth, halfHeight, radius, strip;
        std::vector<std::string> shows;
    };
    const std::string b = "bbbbbbbbb";
    const Case cases[] = {
        // Half-widths 2, 3, 3, 3, 3, 3, 2, 0 for rows -4 .. 3 (never the full radius).
        {"radius 4, rows",
         4,
         10,
         10,
         4,
         1,
         {b, "bbwrgwbbb", "bgwrgwrbb", "bgwrgwrbb", "bgwrgwrbb", "bgwrgwrbb", "bgwrgwrbb",
          "bbwrgwbbb", b}},
        // Bands of 2 take the half-width of their middle row.
        {"radius 4, bands",
         4,
         10,
         10,
         4,
         2,
         {"bbwrgwbbb", "bbwrgwbbb", "bgwrgwrbb", "bgwrgwrbb", "bgwrgwrbb", "bgwrgwrbb", "bbwrgwbbb",
          "bbwrgwbbb", b}},
        // Rows -1 and 0 only.
        {"half height 1", 4, 10, 1, 4, 1, {b, b, b, "bgwrgwrbb", "bgwrgwrbb", b, b, b, b}},
        // The source's centre one column right.
        {"source centre moved", 5, 10, 1, 4, 1, {b, b, b, "bwrgwrgbb", "bwrgwrgbb", b, b, b, b}},
        // Source columns limited to the centre +- 1.
        {"half width 1", 4, 1, 1, 4, 1, {b, b, b, "bbbrgbbbb", "bbbrgbbbb", b, b, b, b}},
        // Radius 1: rows 0 and -1, each of width 0.
        {"radius 1", 4, 10, 10, 1, 1, std::vector<std::string>(9, b)},
        {"half width 0", 4, 0, 10, 4, 1, std::vector<std::string>(9, b)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Make(&dst, std::vector<std::string>(9, b));
        DDBltCircle(&dst, 4, 4, c.halfWidth, c.halfHeight, c.radius, c.strip, &src, c.sx, 4, 0);
        EXPECT_EQ(Picture(&dst), c.shows);
        EXPECT_EQ(SpriteBatch.bActive, 0);
    }
    EXPECT_EQ(DDBltCircle(&dst, 4, 4, 10, 10, 0, 1, &src, 4, 4, 0), 0);
    EXPECT_EQ(DDBltCircle(&dst, 4, 4, 10, 10, 4, -3, &src, 4, 4, 0), 0);
}

TEST_P(GeometryEffects, LensMagnifiesTheCentreAndJoinsAtTheRim) {
    std::vector<std::string> rows(7, "ggggggg");
    rows[3][3] = 'w';
    Make(&src, rows);
    // Depth 0: every pixel inside the disc shows the centre; the rim (Z = 0) shows its own
    // pixel; outside the disc nothing is written.
    Make(&dst, std::vector<std::string>(7, "bbbbbbb"));
    EXPECT_TRUE(DDBltLens(&dst, 3, 3, 3, 0, &src, 3, 3, 0, 0));
    EXPECT_EQ(Picture(&dst), (std::vector<std::string>{"bbbgbbb", "bwwwwwb", "bwwwwwb", "gwwwwwg",
                                                       "bwwwwwb", "bwwwwwb", "bbbgbbb"}));
    // bClear: transparent black where the lens shows nothing, in 32-bit Direct3D only.
    Make(&dst, std::vector<std::string>(7, "bbbbbbb"));
    EXPECT_TRUE(DDBltLens(&dst, 3, 3, 3, 0, &src, 3, 3, 0, 1));
    const bool clears = Direct3D() && Bpp() == 32;
    EXPECT_EQ(Shows(&dst, 0), clears ? "tttgttt" : "bbbgbbb");
    // Radius 10, depth 10: the sphere's radius is 14; the results of the refusals.
    EXPECT_TRUE(DDBltLens(&dst, 3, 3, 10, 10, &src, 3, 3, 0, 0));
    EXPECT_FALSE(DDBltLens(&dst, 3, 3, 0, 0, &src, 3, 3, 0, 0));
    EXPECT_FALSE(DDBltLens(&dst, 3, 3, -1, 5, &src, 3, 3, 0, 0));
    EXPECT_FALSE(DDBltLens(&dst, 3, 3, 5, -1, &src, 3, 3, 0, 0));
    // Radius 3, depth 3 (sphere 4): offsets trunc(i * 3 / Z + 0.5) for i = -3 .. 3 are
    // -2, -1, 0, 0, 1, 2, 3: the rim reaches back toward its own position, the centre
    // spreads to its right (rounding by +0.5 toward zero).
    Make(&dst, std::vector<std::string>(7, "bbbbbbb"));
    EXPECT_TRUE(DDBltLens(&dst, 3, 3, 3, 3, &src, 3, 3, 0, 0));
    EXPECT_EQ(Shows(&dst, 3), "ggwwggg");
    EXPECT_EQ(Shows(&dst, 0), "bbbgbbb");
}

TEST_P(GeometryEffects, SoftwareRotationMapsInFixedPoint) {
    Make(&src, {"rgw", "wbr"});
    // The software path: DirectDraw, and Direct3D into a system-memory texture.
    const int memory = DTMEMORYTYPE_SYSTEM;
    // 0 degrees: a copy at (x - cx, y - cy).
    Make(&dst, std::vector<std::string>(5, "kkkkk"), memory);
    EXPECT_TRUE(DDBltRotate(&dst, 2, 2, 3, 2, 1, 1, 0, &src, 0, 0, 0));
    EXPECT_EQ(Picture(&dst), Expect({"kkkkk", "krgwk", "kwbrk", "kkkkk", "kkkkk"}));
    // 90 degrees (sF 1024, cF 0): offset (dx, dy) shows source (cx + dy, cy - dx).
    Make(&dst, std::vector<std::string>(5, "kkkkk"), memory);
    EXPECT_TRUE(DDBltRotate(&dst, 2, 2, 3, 2, 1, 1, 90, &src, 0, 0, 0));
    EXPECT_EQ(Picture(&dst), Expect({"kkkkk", "kkwrk", "kkbgk", "kkrwk", "kkkkk"}));
    // Mode 1 leaves pixels of the transparent colour out (DirectDraw's key).
    if (!Direct3D()) {
        Make(&src, {"rkw", "wbr"});
        Make(&dst, std::vector<std::string>(5, "ggggg"), memory);
        DDBltRotate(&dst, 2, 2, 3, 2, 1, 1, 0, &src, 0, 0, 1);
        EXPECT_EQ(Shows(&dst, 1), "grgwg");
    }
    // A missing surface draws nothing and is still a success.
    EXPECT_TRUE(DDBltRotate(nullptr, 2, 2, 3, 2, 1, 1, 0, &src, 0, 0, 0));
    EXPECT_TRUE(DDBltRotate(&dst, 2, 2, 3, 2, 1, 1, 0, nullptr, 0, 0, 0));
}

// The device path: 0 degrees equals a keyed blit; a pivot off the centre is placed where each
// path places it, so the two paths differ there.
TEST_P(GeometryEffects, DeviceRotationAgainstTheSoftwarePath) {
    if (!Direct3D()) GTEST_SKIP() << "Direct3D draws rotated quads";
    Make(&src, {"rkw", "wbr"});
    DDSURFACEDATA keyed;
    Make(&dst, std::vector<std::string>(5, "ggggg"));
    Make(&keyed, std::vector<std::string>(5, "ggggg"));
    DDBltRotate(&dst, 2, 2, 3, 2, 1, 1, 0, &src, 0, 0, 0);
    DDBltRect(&keyed, 2 - 1, 2 - 1, 3, 2, &src, 0, 0, DDBLT_COLORKEY);
    EXPECT_EQ(Picture(&dst), Picture(&keyed));
    EXPECT_EQ(Shows(&dst, 1), "grgwg");
    // Pivot (0, 0): the device puts the pivot at (x + cx - w / 2, y + cy - h / 2), so the
    // unturned picture still starts at (1, 1), keyed; the software path puts the pivot, the
    // picture's top-left, at (x, y) and copies every pixel.
    DDSURFACEDATA soft;
    Make(&dst, std::vector<std::string>(5, "ggggg"));
    Make(&soft, std::vector<std::string>(5, "ggggg"), DTMEMORYTYPE_SYSTEM);
    DDBltRotate(&dst, 2, 2, 3, 2, 0, 0, 0, &src, 0, 0, 0);
    DDBltRotate(&soft, 2, 2, 3, 2, 0, 0, 0, &src, 0, 0, 0);
    EXPECT_EQ(Shows(&dst, 1), "grgwg");
    EXPECT_EQ(Shows(&soft, 1), "ggggg");
    EXPECT_EQ(Shows(&soft, 2), "ggrtw");
    // A quarter turn through the device: the turned picture, three rows of two.
    Make(&dst, std::vector<std::string>(5, "ggggg"));
    Make(&src, {"rgw", "wbr"});
    DDBltRotate(&dst, 2, 2, 4, 2, 2, 1, 90, &src, 0, 0, 0);
    int changed = 0;
    for (const std::string& row : Picture(&dst))
        for (char c : row) changed += c != 'g';
    EXPECT_GE(changed, 6);
}

TEST_P(GeometryEffects, HostileParametersStayBounded) {
    Make(&src, {"rgwr", "gwrg"});
    Make(&dst, {"bbbb", "bbbb"});
    const std::uint32_t start = plat::timeGetTime();
    for (const int v : {INT_MIN, INT_MIN + 1, -1, 0, 1, INT_MAX}) {
        DDBltCircle(&dst, v, 0, INT_MAX, INT_MAX, INT_MAX, 1, &src, 0, v, 0);
        DDBltCircle(&dst, 0, v, v, INT_MIN, INT_MAX, 3, &src, v, 0, 1);
        DDBltCircle(&dst, 1, 1, INT_MAX, v, INT_MAX, INT_MAX, &src, 1, 1, 0);
        DDBltLens(&dst, v, 0, INT_MAX, v, &src, 0, v, 1, 1);
        DDBltLens(&dst, 1, 1, INT_MAX, INT_MAX, &src, v, 1, 0, 1);
        DDBltRotate(&dst, v, 1, INT_MAX, INT_MAX, v, v, v, &src, v, 0, 1);
        DDBltRotate(&dst, 1, 1, v, INT_MAX, INT_MAX / 2, 1, 45, &src, 0, 0, 0);
    }
    EXPECT_EQ(SpriteBatch.bActive, 0);
    EXPECT_LT(plat::timeGetTime() - start, 3000u);
}

INSTANTIATE_TEST_SUITE_P(Configs, GeometryEffects, ::testing::ValuesIn(kDisplayConfigs),
                         ConfigName);

}  // namespace

// Flash, translucency and tint in every configuration, exact to the pixel: the device path's
// blend factor per level, the Direct3D software path in single precision, DirectDraw's
// repeated half-mixes (8 bits through the half-mix table, also for a damaged level), the
// translucency that honours nAlpha only in the device path, and the tint.
#include "gfx/effect_colour.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "effect_fixture.h"
#include "gfx/fill.h"
#include "gfx/hbt_table.h"
#include "platform/clock.h"

namespace {

class ColourEffects : public EffectTest {
protected:
    plat::D3DFORMAT Format(DDSURFACEDATA* sd) { return Storage(sd)->Format(); }
    // The pixel value of an opaque colour in a surface's format.
    std::uint32_t Opaque(DDSURFACEDATA* sd, unsigned r, unsigned g, unsigned b) {
        if (!sd->lpDT && Bpp() == 32) return r << 16 | g << 8 | b;
        return plat::ArgbToPixel(Format(sd), 0xFF000000u | r << 16 | g << 8 | b);
    }
    // The Direct3D texture pixel of channels in its own units (alpha field set).
    std::uint32_t TexturePixel(unsigned r, unsigned g, unsigned b) {
        if (Bpp() == 32) return 0xFF000000u | r << 16 | g << 8 | b;
        return r << PixFmt.nShiftR | g << PixFmt.nShiftG | b << PixFmt.nShiftB |
               (unsigned(PixFmt.nMaxA) & 1u) << PixFmt.nShiftA;
    }
};

const int kBlue = 7;  // the test palette's entry

TEST_P(ColourEffects, FlashLevelsInTheDevicePath) {
    if (!Direct3D()) GTEST_SKIP() << "Direct3D draws the quad";
    Make(&src, {"rk"});
    const unsigned E[] = {128, 80, 48, 16, 0};
    for (int level = 1; level <= 5; ++level) {
        SCOPED_TRACE(level);
        Make(&dst, {"ww"});
        EXPECT_TRUE(DDBltFlash(&dst, 0, 0, 2, 1, &src, 0, 0, 0, Palette, HbtTable, kBlue, level));
        const unsigned e = E[level - 1];
        // texture * E / 255 + colour * (1 - E / 255), the picture's own alpha kept.
        EXPECT_EQ(RawPixel(&dst, 0, 0),
                  Opaque(&dst, (255 * e + 127) / 255, 0, (255 * (255 - e) + 127) / 255));
        EXPECT_EQ(Shows(&dst, 0, 1), "w");
    }
    Make(&dst, {"ww"});
    EXPECT_TRUE(DDBltFlash(&dst, 0, 0, 2, 1, &src, 0, 0, 0, Palette, HbtTable, kBlue, 0));
    EXPECT_TRUE(DDBltFlash(&dst, 0, 0, 2, 1, &src, 0, 0, 0, Palette, HbtTable, kBlue, -3));
    EXPECT_EQ(Shows(&dst, 0), "ww");
}

TEST_P(ColourEffects, FlashLevelsInSoftware) {
    // Direct3D's software path draws into a system-memory texture.
    Make(&src, {"rk"});
    if (Bpp() == 8) {
        // The table walk: entry [p * 256 + c] = p + 1, so n mixes give p + n (mod 256), also
        // for a level no walk could take step by step.
        for (int i = 0; i < 65536; ++i) HbtTable[i] = static_cast<std::uint8_t>(i / 256 + 1);
        for (const int level : {1, 3, 5, INT_MAX}) {
            Make(&dst, {"ww"});
            DDBltFlash(&dst, 0, 0, 2, 1, &src, 0, 0, 1, Palette, HbtTable, kBlue, level);
            EXPECT_EQ(RawPixel(&dst, 0, 0), (5u + static_cast<std::uint32_t>(level)) & 255u);
            EXPECT_EQ(RawPixel(&dst, 1, 0), 8u) << "mode 1 skips the key";
        }
        return;
    }
    const int memory = Direct3D() ? DTMEMORYTYPE_SYSTEM : DTMEMORYTYPE_VIDEO_RT;
    const std::uint32_t start = plat::timeGetTime();
    for (const int level : {1, 2, 3, 4, 5, -1, INT_MAX}) {
        SCOPED_TRACE(level);
        Make(&dst, {"ww"}, memory);
        EXPECT_TRUE(DDBltFlash(&dst, 0, 0, 2, 1, &src, 0, 0, 1, Palette, HbtTable, kBlue, level));
        EXPECT_EQ(Shows(&dst, 0, 1, 2), "w") << "mode 1 skips the transparent pixel";
        const Rgb s = ChannelsOf(&src, 0, 0);
        const unsigned mr = Bpp() == 32 ? 255 : PixFmt.nMaxR, mb = Bpp() == 32 ? 255 : PixFmt.nMaxB;
        unsigned r, b;
        if (Direct3D()) {
            if (level < 1) continue;
            const unsigned c = 255 * mb / 255;  // the blue colour in channel units
            const int a = level == 1   ? 128
                          : level == 2 ? 64
                          : level == 3 ? 32
                          : level == 4 ? 16
                                       : 0;
            const float alpha = static_cast<float>(a) * 0.003921568859368563f;
            auto mix = [&](unsigned sv, unsigned cv) {
                if (level == 1) return (sv + cv) >> 1;
                return static_cast<unsigned>(alpha * static_cast<float>(sv) +
                                             (1.0f - alpha) * static_cast<float>(cv));
            };
            r = mix(s.r, 0);
            b = mix(s.b, c);
            EXPECT_EQ(RawPixel(&dst, 0, 0), TexturePixel(r, 0, b));
        } else {
            // Repeated halves toward the colour in 8-bit space (a negative level copies).
            unsigned er = s.r * 255 / mr, eb = s.b * 255 / mb;
            for (int k = 0; k < std::min(std::max(level, 0), 20); ++k) {
                er = er >> 1;
                eb = (eb + 255) >> 1;
            }
            r = er * mr / 255;
            b = eb * mb / 255;
            EXPECT_EQ(ChannelsOf(&dst, 0, 0), (Rgb{r, 0, b}));
        }
    }
    EXPECT_LT(plat::timeGetTime() - start, 1000u);
    // The device path and the software path differ: at level 2 the device's E is 80, the
    // software path's strength 64.
    if (Direct3D()) {
        DDSURFACEDATA rt;
        Make(&rt, {"ww"});
        Make(&dst, {"ww"}, DTMEMORYTYPE_SYSTEM);
        DDBltFlash(&rt, 0, 0, 1, 1, &src, 0, 0, 0, Palette, HbtTable, kBlue, 2);
        DDBltFlash(&dst, 0, 0, 1, 1, &src, 0, 0, 0, Palette, HbtTable, kBlue, 2);
        EXPECT_NE(ChannelsOf(&rt, 0, 0), ChannelsOf(&dst, 0, 0));
    }
}

TEST_P(ColourEffects, Translucency) {
    Make(&src, {"rrk"});
    if (Bpp() == 8) {
        std::fill(HbtTable, HbtTable + 65536, std::uint8_t{8});
        Make(&dst, {"kbb"});
        EXPECT_TRUE(DDBltTrans(&dst, 0, 0, 3, 1, &src, 0, 0, 1, HbtTable, 0));
        // Over index 0 the source is copied; elsewhere the table; mode 1 skips index 0.
        EXPECT_EQ(Shows(&dst, 0), "rwb");
        return;
    }
    // Software: always half and half, whatever nAlpha; DirectDraw copies over the key.
    const int memory = Direct3D() ? DTMEMORYTYPE_SYSTEM : DTMEMORYTYPE_VIDEO_RT;
    for (const int alpha : {0, 128, 200}) {
        SCOPED_TRACE(alpha);
        Make(&dst, {"bkb"}, memory);
        EXPECT_TRUE(DDBltTrans(&dst, 0, 0, 3, 1, &src, 0, 0, 1, HbtTable, alpha));
        const Rgb s = ChannelsOf(&src, 0, 0);
        Make(&src, {"bbb"});
        const Rgb d = ChannelsOf(&src, 0, 0);
        Make(&src, {"rrk"});
        Rgb want{(s.r + d.r) >> 1, (s.g + d.g) >> 1, (s.b + d.b) >> 1};
        if (!Direct3D() && Bpp() == 16) {
            auto e = [](unsigned v, int m) { return v * 255 / unsigned(m); };
            want = {((e(s.r, PixFmt.nMaxR) + e(d.r, PixFmt.nMaxR)) >> 1) * PixFmt.nMaxR / 255,
                    ((e(s.g, PixFmt.nMaxG) + e(d.g, PixFmt.nMaxG)) >> 1) * PixFmt.nMaxG / 255,
                    ((e(s.b, PixFmt.nMaxB) + e(d.b, PixFmt.nMaxB)) >> 1) * PixFmt.nMaxB / 255};
        }
        EXPECT_EQ(ChannelsOf(&dst, 0, 0), want);
        EXPECT_EQ(Shows(&dst, 0, 1, 3), Direct3D() ? "." + std::string("b") : "rb")
            << "over the key DirectDraw copies; mode 1 skips the transparent source";
    }
    // The device path honours nAlpha: 0 draws the picture, 255 leaves the destination, and
    // 64 is not the software half.
    if (!Direct3D()) return;
    Make(&dst, {"bbb"});
    DDBltTrans(&dst, 0, 0, 1, 1, &src, 0, 0, 0, HbtTable, 0);
    DDBltTrans(&dst, 1, 0, 1, 1, &src, 0, 0, 0, HbtTable, 255);
    EXPECT_EQ(Shows(&dst, 0, 0, 2), "rb");
    DDBltHalfTrans(&dst, 2, 0, 1, 1, &src, 0, 0, 0, HbtTable);
    const Rgb half = ChannelsOf(&dst, 2, 0);
    Make(&dst, {"bbb"});
    DDBltTrans(&dst, 0, 0, 1, 1, &src, 0, 0, 0, HbtTable, 64);
    EXPECT_GT(ChannelsOf(&dst, 0, 0).r, half.r);
}

TEST_P(ColourEffects, Tint) {
    Make(&dst, {"ww", "ww"});
    EXPECT_EQ(DDChangeColor(&dst, 0, 0, 1, 1, 0, 255, 0, 0), 1);
    if (!Direct3D()) {
        EXPECT_EQ(Picture(&dst), (std::vector<std::string>{"ww", "ww"}));
        EXPECT_NE(ErrorText().find("DDrawでは DDChangeColor("), std::string::npos);
        return;
    }
    // The whole surface, whatever the rectangle: white modulated by red is red.
    EXPECT_EQ(Picture(&dst), (std::vector<std::string>{"rr", "rr"}));
    // nAlpha 255: diffuse alpha 0 leaves the destination under the standard blend.
    Make(&dst, {"wg", "bw"});
    EXPECT_EQ(DDChangeColor(&dst, 0, 0, 2, 2, 255, 0, 0, 255), 1);
    EXPECT_EQ(Picture(&dst), (std::vector<std::string>{"wg", "bw"}));
}

TEST_P(ColourEffects, TintOverTheRealBackBufferLaysTheColourOver) {
    if (!Direct3D()) GTEST_SKIP() << "DirectDraw refuses the tint";
    // The real back buffer is no texture: the quad reads white for it, so the colour is laid
    // over the picture at 255 - nAlpha (the screen colour of the play screen).
    DDFillSurface(&BackBuffer, 0);
    ASSERT_EQ(Colour(&BackBuffer, 7, 9) & 0xFFFFFFu, 0u);
    EXPECT_EQ(DDChangeColor(&BackBuffer, 0, 0, 640, 480, 255, 255, 0, 0), 1);
    EXPECT_EQ(Colour(&BackBuffer, 7, 9) & 0xFFFFFFu, 0u);
    EXPECT_EQ(DDChangeColor(&BackBuffer, 0, 0, 640, 480, 0, 255, 0, 0), 1);
    EXPECT_EQ(Colour(&BackBuffer, 7, 9) & 0xFFFFFFu, 0xFF0000u);
}

TEST_P(ColourEffects, HostileParametersStayBounded) {
    Make(&src, {"rgwr", "gwrg"});
    Make(&dst, {"bbbb", "bbbb"});
    const std::uint32_t start = plat::timeGetTime();
    for (const int v : {INT_MIN, INT_MIN + 1, -1, 0, 1, INT_MAX}) {
        DDBltFlash(&dst, v, 0, INT_MAX, INT_MAX, &src, 0, v, 1, Palette, HbtTable, v, v);
        DDBltFlash(&dst, 0, 0, INT_MAX, INT_MAX, &src, v, 0, 0, Palette, HbtTable, 7, INT_MAX);
        DDBltTrans(&dst, v, v, INT_MAX, INT_MAX, &src, 0, 0, 1, HbtTable, v);
        DDBltTrans(&dst, 0, 0, INT_MAX, INT_MAX, &src, v, v, 0, HbtTable, v);
        DDChangeColor(&dst, v, v, v, v, v, 1, 2, 3);
    }
    EXPECT_LT(plat::timeGetTime() - start, 3000u);
}

INSTANTIATE_TEST_SUITE_P(Configs, ColourEffects, ::testing::ValuesIn(kDisplayConfigs), ConfigName);

}  // namespace

// Palette effects and screen fades: the arithmetic of the palette blend and rotation, a fade
// of ten calls whose first draws the start frame, the midpoint of each back end to the
// pixel, and what each back end shows of drawing made during a fade.
#include "gfx/fade.h"

#include <gtest/gtest.h>

#include <cmath>

#include "draw_fixture.h"
#include "gfx/fill.h"
#include "platform/ddraw.h"

namespace {

using plat::PALETTEENTRY;

// Runs with a display depth for the palette operations that depend on it.
class DepthFor {
public:
    explicit DepthFor(int bpp) : saved_(nBpp) { nBpp = bpp; }
    ~DepthFor() { nBpp = saved_; }

private:
    int saved_;
};

void Ramp(PALETTEENTRY (&p)[256]) {
    for (int i = 0; i < 256; ++i)
        p[i] = PALETTEENTRY{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(255 - i),
                            static_cast<std::uint8_t>(i / 2), 7};
}

TEST(PaletteEffects, FadeToRgb) {
    PALETTEENTRY src[256], dst[256];
    Ramp(src);
    Ramp(dst);
    src[10].peRed = 200;
    PalFadeToRGB(dst, 10, 12, 128, 0, 0x1FF, 0, src);
    EXPECT_EQ(dst[10].peRed, 100);                             // (200 * 128) >> 8
    EXPECT_EQ(dst[10].peGreen, (245 * 128 + 255 * 128) >> 8);  // only the low 8 bits of 0x1FF
    EXPECT_EQ(dst[10].peFlags, plat::PC_RESERVED);
    EXPECT_EQ(dst[9].peFlags, 7);  // outside the range
    EXPECT_EQ(dst[13].peRed, 13);
    PalFadeToRGB(dst, 0, 255, 0, 1, 2, 3, src);
    for (const PALETTEENTRY& e : dst) {
        EXPECT_EQ(e.peRed, 1);
        EXPECT_EQ(e.peGreen, 2);
        EXPECT_EQ(e.peBlue, 3);
        EXPECT_EQ(e.peFlags, plat::PC_RESERVED);
    }
    PalFadeToRGB(dst, 0, 255, 256, 9, 9, 9, src);
    EXPECT_EQ(dst[10].peRed, 200);
    // An empty range changes nothing; entries outside the palette are never written.
    Ramp(dst);
    PalFadeToRGB(dst, 20, 19, 0, 0, 0, 0, src);
    PalFadeToRGB(dst, -5, -1, 0, 0, 0, 0, src);
    PalFadeToRGB(dst, 256, 300, 0, 0, 0, 0, src);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(dst[i].peFlags, 7) << i;
    PalFadeToRGB(dst, 250, 300, 0, 0, 0, 0, src);
    EXPECT_EQ(dst[255].peFlags, plat::PC_RESERVED);
}

TEST(PaletteEffects, Rotate) {
    DepthFor depth(8);
    PALETTEENTRY src[256], dst[256];
    Ramp(src);
    PalRotate(dst, 16, 207, 16, 1, src);
    for (int i = 0; i < 256; ++i) {
        int from = i;
        if (i >= 16 && i <= 191) from = i + 16;    // 32..207 moved down to 16..191
        if (i >= 192 && i <= 207) from = i - 176;  // the old 16..31 wrapped to the end
        EXPECT_EQ(dst[i].peRed, src[from].peRed) << i;
    }
    PalRotate(dst, 16, 207, 16, 0, src);
    EXPECT_EQ(dst[32].peRed, 16);
    EXPECT_EQ(dst[16].peRed, 192);
    // Any other direction: the plain copy. In place: lpDst may be lpSrc.
    PalRotate(dst, 16, 207, 16, 2, src);
    EXPECT_EQ(dst[16].peRed, 16);
    PalRotate(src, 0, 3, 1, 0, src);
    EXPECT_EQ(src[0].peRed, 3);
    EXPECT_EQ(src[1].peRed, 0);
    // A count beyond the range wraps; a 24-bit display has no palette to rotate.
    Ramp(src);
    PalRotate(dst, 0, 9, 23, 0, src);
    EXPECT_EQ(dst[3].peRed, 0);
    DepthFor depth24(24);
    Ramp(dst);
    PalRotate(dst, 0, 255, 5, 0, src);
    EXPECT_EQ(dst[0].peFlags, 7);
    EXPECT_EQ(dst[0].peRed, 0);
}

class Fades : public DrawTest {
protected:
    void SetUp() override {
        DrawTest::SetUp();
        // Both fades back to their start, whatever an earlier test left.
        DDFadeOut(PaletteOrg, 0, 255, 0, 0, 0, 10, Palette, true);
        DDFadeIn(PaletteOrg, 0, 255, 0, 0, 0, 10, Palette, true);
        if (lpDDPalette) lpDDPalette->SetEntries(0, 0, 256, Palette);
    }
    // The colour the display shows at a back-buffer pixel (8 bits: through the display's
    // palette).
    std::uint32_t Shown(int x, int y) {
        if (Bpp() == 8) {
            const PALETTEENTRY& e = lpDDPalette->Entries()[RawPixel(&BackBuffer, x, y)];
            return Argb(e);
        }
        return Colour(&BackBuffer, x, y) | 0xFF000000u;
    }
    bool Out(bool reset = false) {
        return DDFadeOut(PaletteOrg, 0, 255, 0, 0, 0, 10, Palette, reset);
    }
    bool In(bool reset = false) {
        return DDFadeIn(PaletteOrg, 0, 255, 0, 0, 0, 10, Palette, reset);
    }
    std::uint32_t Format() { return Storage(&BackBuffer)->Format(); }
};

// Ten calls of step 10: the first draws the start frame, the tenth the end frame and says so.
TEST_P(Fades, TenCallsFromTheStartFrameToTheEnd) {
    for (int call = 1; call <= 10; ++call) {
        DDFillSurface(&BackBuffer, 8);  // the scene draws its frame
        EXPECT_EQ(Out(), call == 10) << call;
        if (call == 1) {
            EXPECT_EQ(Shown(3, 3), Argb(kWhite));
        }
    }
    EXPECT_EQ(Shown(3, 3), 0xFF000000u);
    for (int call = 1; call <= 10; ++call) {
        DDFillSurface(&BackBuffer, 8);
        EXPECT_EQ(In(), call == 10) << call;
        if (call == 1) {
            EXPECT_EQ(Shown(3, 3), 0xFF000000u);
        }
    }
    EXPECT_EQ(Shown(3, 3), Argb(kWhite));
}

// The fifth call draws at 50 degrees. Direct3D: black of alpha 255 - trunc(sin * 255) = 60
// over white; DirectDraw: level trunc(sin * 256) = 196, (255 * 196) >> 8 = 195, at 16 bits
// through 8-bit space and back; 8 bits: the same on the palette entry.
TEST_P(Fades, MidpointToThePixel) {
    for (int call = 1; call <= 5; ++call) {
        DDFillSurface(&BackBuffer, 8);
        Out();
    }
    std::uint32_t expected;
    if (Direct3D())
        expected = Quantised(Format(), 0xFFC3C3C3u);  // (255 * 195 + 127) / 255 = 195
    else if (Bpp() == 16)
        expected = 0xFFBDC3BDu;  // 195 * 31 / 255 = 23 -> 189; 195 * 63 / 255 = 48 -> 195
    else
        expected = 0xFFC3C3C3u;
    EXPECT_EQ(Shown(5, 5), expected);
    if (Bpp() == 8) {
        EXPECT_EQ(RawPixel(&BackBuffer, 5, 5), 8u);  // pixels untouched
    }
}

// Drawing made during a fade: Direct3D and 8-bit DirectDraw show it through the fade; 16-
// and 32-bit DirectDraw recolour the copy of the screen taken at the first call, so the
// picture stands still.
TEST_P(Fades, DrawingDuringAFade) {
    DDFillSurface(&BackBuffer, 8);
    Out();
    DDFillRect(&BackBuffer, 0, 0, 4, 4, 5);  // new red drawing over the white
    Out();                                   // 80 degrees
    const std::uint32_t shown = Shown(1, 1);
    if (!Direct3D() && Bpp() != 8) {
        // The frozen white, faded: (255 * trunc(sin(80) * 256)) >> 8 = 251.
        // At 16 bits 251 goes back to 30 of 31 and 62 of 63.
        EXPECT_EQ(shown, Bpp() == 32 ? 0xFFFBFBFBu : 0xFFF7FBF7u);
    } else {
        // Red, a little darker.
        EXPECT_GT((shown >> 16) & 0xFF, 200u);
        EXPECT_LT(shown & 0xFF, 10u);
    }
    EXPECT_FALSE(Out());
}

// bReset draws the end at once and reports it; the next call starts a new fade.
TEST_P(Fades, ResetJumpsToTheEnd) {
    DDFillSurface(&BackBuffer, 8);
    Out();
    Out();
    DDFillSurface(&BackBuffer, 8);
    EXPECT_TRUE(Out(true));
    EXPECT_EQ(Shown(2, 2), 0xFF000000u);
    DDFillSurface(&BackBuffer, 8);
    if (lpDDPalette) lpDDPalette->SetEntries(0, 0, 256, Palette);
    EXPECT_FALSE(Out());
    EXPECT_EQ(Shown(2, 2), Argb(kWhite));
    DDFillSurface(&BackBuffer, 8);
    EXPECT_TRUE(In(true));
    EXPECT_EQ(Shown(2, 2), Argb(kWhite));
}

// The software fade of 16- and 32-bit DirectDraw, which Direct3D refuses.
TEST_P(Fades, FadeOfPixels) {
    DDSURFACEDATA copy;
    ASSERT_TRUE(DDCreateSurface(&copy, 2, 1, 0, 1, 0, nullptr, 0));
    Paint(&copy, {"rw"});
    DDSURFACEDATA out;
    ASSERT_TRUE(DDCreateSurface(&out, 2, 1, 0, 1, 0, nullptr, 0));
    EXPECT_EQ(DDFade_UnPal(&out, 128, 0, 0, 255, &copy), 1);
    if (Direct3D()) {
        EXPECT_NE(ErrorText().find("D3DではDDFade_UnPalは未対応"), std::string::npos);
        return;
    }
    if (Bpp() == 32) {
        EXPECT_EQ(RawPixel(&out, 0, 0) & 0xFFFFFFu, 0x7F007Fu);  // (255 * 128) >> 8 = 127
        EXPECT_EQ(RawPixel(&out, 1, 0) & 0xFFFFFFu, 0x7F7FFFu);
    } else if (Bpp() == 16) {
        // Red: (255 * 128) >> 8 = 127 -> 127 * 31 / 255 = 15; blue: 127 -> 15.
        EXPECT_EQ(RawPixel(&out, 0, 0), 15u << 11 | 15u);
    }
    DDSURFACEDATA empty;
    EXPECT_EQ(DDFade_UnPal(&empty, 128, 0, 0, 0, &copy), 0);
}

// The software fade at its ends: level 256 is the picture itself, every pixel value of it (at
// 16 bits too, where the way through 8-bit space would darken most values by a step), and
// level 255 is still the formula.
TEST_P(Fades, FullLevelOfThePixelFadeIsThePictureItself) {
    if (Direct3D() || Bpp() == 8) return;
    const int side = 256;
    DDSURFACEDATA copy, out;
    ASSERT_TRUE(DDCreateSurface(&copy, side, side, 0, 1, 0, nullptr, 0));
    ASSERT_TRUE(DDCreateSurface(&out, side, side, 0, 1, 0, nullptr, 0));
    plat::SoftSurface* s = Storage(&copy);
    const bool narrow = s->BytesPerPixel() == 2;
    for (int i = 0; i < side * side; ++i) {
        const std::uint32_t v = narrow ? static_cast<std::uint32_t>(i)
                                       : static_cast<std::uint32_t>(i) * 0x01000193u & 0x00FFFFFFu;
        s->SetPixel(i % side, i / side, v);
    }
    ASSERT_EQ(DDFade_UnPal(&out, 256, 40, 80, 120, &copy), 1);
    int wrong = 0;
    for (int i = 0; i < side * side; ++i) {
        const std::uint32_t want = RawPixel(&copy, i % side, i / side) & (narrow ? 0xFFFFu : 0xFFFFFFu);
        const std::uint32_t got = RawPixel(&out, i % side, i / side) & (narrow ? 0xFFFFu : 0xFFFFFFu);
        if (got != want && wrong++ < 3)
            ADD_FAILURE() << "pixel " << i << ": " << std::hex << got << " != " << want;
    }
    // One level below: white toward black through 8-bit space, (255 * 255) >> 8 = 254, which
    // comes back as 254 * 31 / 255 = 30 and 254 * 63 / 255 = 62 at 16 bits (R5G6B5).
    s->SetPixel(0, 0, narrow ? 0xFFFFu : 0xFFFFFFu);
    ASSERT_EQ(DDFade_UnPal(&out, 255, 0, 0, 0, &copy), 1);
    if (narrow)
        EXPECT_EQ(RawPixel(&out, 0, 0), 30u << 11 | 62u << 5 | 30u);
    else
        EXPECT_EQ(RawPixel(&out, 0, 0) & 0xFFFFFFu, 0xFEFEFEu);
}

// The 32-bit pixel fade against its formula, (s * level + c * (256 - level)) >> 8 per colour
// channel, the fourth byte of the target left as it was: every level, rows whose width is no
// multiple of the four pixels the fade takes at once, channel values over their whole range.
TEST_P(Fades, PixelFadeFollowsItsFormulaAtEveryLevel) {
    if (Direct3D() || Bpp() != 32) return;
    const int w = 37, h = 7;
    DDSURFACEDATA copy, out;
    ASSERT_TRUE(DDCreateSurface(&copy, w, h, 0, 1, 0, nullptr, 0));
    ASSERT_TRUE(DDCreateSurface(&out, w, h, 0, 1, 0, nullptr, 0));
    plat::SoftSurface* s = Storage(&copy);
    plat::SoftSurface* d = Storage(&out);
    std::uint32_t seed = 5;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            seed = seed * 1103515245u + 12345u;
            s->SetPixel(x, y, seed & 0x00FFFFFFu);
        }
    }
    const std::uint32_t r = 200, g = 7, b = 255;
    int wrong = 0;
    for (int level = 0; level <= 256; ++level) {
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) d->SetPixel(x, y, static_cast<std::uint32_t>(x + y) << 24);
        ASSERT_EQ(DDFade_UnPal(&out, level, static_cast<std::uint8_t>(r),
                               static_cast<std::uint8_t>(g), static_cast<std::uint8_t>(b), &copy),
                  1);
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const std::uint32_t p = s->Pixel(x, y);
                auto mix = [&](int shift, std::uint32_t c) {
                    return ((p >> shift & 0xFF) * level + c * (256 - level)) >> 8 << shift;
                };
                const std::uint32_t want =
                    static_cast<std::uint32_t>(x + y) << 24 | mix(16, r) | mix(8, g) | mix(0, b);
                const std::uint32_t got = d->Pixel(x, y);
                if (got != want && wrong++ < 3)
                    ADD_FAILURE() << "level " << level << " pixel " << x << ',' << y << ": "
                                  << std::hex << got << " != " << want;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Configs, Fades, ::testing::ValuesIn(kDisplayConfigs), ConfigName);

}  // namespace

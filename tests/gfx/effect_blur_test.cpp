// Blur and mosaic in every configuration, exact to the pixel: the blur against the window
// means worked out cell by cell (radii, mode 1, a rectangle reaching out of the source), the
// corner pixel alone, the 8-bit refusal; the mosaic's top-left samples in Direct3D and 8 bits
// and block means in 16- and 32-bit DirectDraw, with the key rules of mode 1.
#include "gfx/effect_blur.h"

#include <gtest/gtest.h>

#include <climits>

#include "effect_fixture.h"
#include "gfx/effect_colour.h"
#include "gfx/effect_lens.h"
#include "gfx/hbt_table.h"
#include "platform/clock.h"

namespace {

class BlurMosaic : public EffectTest {
protected:
    bool Transparent(int x, int y) {
        const std::uint32_t p = RawPixel(&src, x, y);
        if (Direct3D()) return Bpp() == 32 ? (p >> 24) == 0 : (p & 0xA000) == 0;
        return p == dwColorKey;
    }
    bool InSource(int x, int y) const {
        return x >= 0 && y >= 0 && x < src.nWidth && y < src.nHeight;
    }
    // What the destination pixel must hold after DDBlur(dst, x, y, w, h, rx, ry, src, sx, sy,
    // mode): the mean of the window cells that can be read (and count), or its old value.
    void CheckBlur(int x, int y, int w, int h, int rx, int ry, int sx, int sy, int mode,
                   const std::vector<std::vector<Rgb>>& before) {
        for (int r = 0; r < h; ++r) {
            for (int k = 0; k < w; ++k) {
                const int X = x + k, Y = y + r;
                if (X < 0 || Y < 0 || X >= dst.nWidth || Y >= dst.nHeight) continue;
                unsigned long long sr = 0, sg = 0, sb = 0, n = 0;
                const bool centre =
                    mode != 1 || (InSource(sx + k, sy + r) && !Transparent(sx + k, sy + r));
                for (int i = r - ry; i < r + ry; ++i) {
                    for (int j = k - rx; j < k + rx; ++j) {
                        if (i < 0 || j < 0 || i >= h || j >= w || !InSource(sx + j, sy + i))
                            continue;
                        if (mode == 1 && Transparent(sx + j, sy + i)) continue;
                        const Rgb c = ChannelsOf(&src, sx + j, sy + i);
                        sr += c.r;
                        sg += c.g;
                        sb += c.b;
                        ++n;
                    }
                }
                const Rgb want = centre && n
                                     ? Rgb{unsigned(sr / n), unsigned(sg / n), unsigned(sb / n)}
                                     : before[Y][X];
                ASSERT_EQ(ChannelsOf(&dst, X, Y), want) << "pixel " << X << ',' << Y;
            }
        }
    }
    std::vector<std::vector<Rgb>> Snapshot(DDSURFACEDATA* sd) {
        std::vector<std::vector<Rgb>> out(sd->nHeight);
        for (int y = 0; y < sd->nHeight; ++y)
            for (int x = 0; x < sd->nWidth; ++x) out[y].push_back(ChannelsOf(sd, x, y));
        return out;
    }
};

const std::vector<std::string> kPicture = {"rgwbrgw", "wkbrgwr", "bwrkkgb", "grwbwrg", "kkkkrwb"};

TEST_P(BlurMosaic, BlurIsTheMeanOfItsWindow) {
    if (Bpp() == 8) GTEST_SKIP() << "refused at 8 bits";
    Make(&src, kPicture);
    struct Case {
        const char* name;
        int x, y, w, h, rx, ry, sx, sy, mode;
    };
    const Case cases[] = {
        {"radius 1: the 2 x 2 up and left", 0, 0, 7, 5, 1, 1, 0, 0, 0},
        {"radii 2 and 1", 0, 0, 7, 5, 2, 1, 0, 0, 0},
        {"radii 3 and 2, part of the picture", 1, 1, 5, 3, 3, 2, 1, 1, 0},
        {"mode 1", 0, 0, 7, 5, 2, 2, 0, 0, 1},
        {"mode 1, radius 1", 0, 0, 7, 5, 1, 1, 0, 0, 1},
        {"reaching out of the source", -1, 0, 8, 5, 2, 1, -2, 1, 0},
        {"radius larger than the picture", 0, 0, 7, 5, 40, 30, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Make(&dst, std::vector<std::string>(5, "bbbbbbb"));
        const auto before = Snapshot(&dst);
        EXPECT_TRUE(DDBlur(&dst, c.x, c.y, c.w, c.h, c.rx, c.ry, &src, c.sx, c.sy, c.mode));
        CheckBlur(c.x, c.y, c.w, c.h, c.rx, c.ry, c.sx, c.sy, c.mode, before);
    }
    // The rectangle's top-left pixel is its own mean; 32 bits: Direct3D writes byte 3 = 255,
    // DirectDraw leaves it.
    Make(&dst, std::vector<std::string>(5, "bbbbbbb"));
    if (Bpp() == 32) Storage(&dst)->SetPixel(0, 0, RawPixel(&dst, 0, 0) & 0x00FFFFFFu);
    DDBlur(&dst, 0, 0, 7, 5, 1, 1, &src, 0, 0, 0);
    EXPECT_EQ(ChannelsOf(&dst, 0, 0), ChannelsOf(&src, 0, 0));
    if (Bpp() == 32) EXPECT_EQ(RawPixel(&dst, 0, 0) >> 24, Direct3D() ? 255u : 0u);
    // A fully transparent source in mode 1, zero and negative radii: nothing written.
    Make(&src, std::vector<std::string>(5, "kkkkkkk"));
    Make(&dst, std::vector<std::string>(5, "bbbbbbb"));
    EXPECT_TRUE(DDBlur(&dst, 0, 0, 7, 5, 2, 2, &src, 0, 0, 1));
    EXPECT_TRUE(DDBlur(&dst, 0, 0, 7, 5, 0, 2, &src, 0, 0, 0));
    EXPECT_TRUE(DDBlur(&dst, 0, 0, 7, 5, -2, -2, &src, 0, 0, 0));
    EXPECT_EQ(Picture(&dst), std::vector<std::string>(5, "bbbbbbb"));
}

TEST_P(BlurMosaic, BlurIsRefusedAtEightBits) {
    if (Bpp() != 8) GTEST_SKIP() << "8 bits only";
    Make(&src, kPicture);
    Make(&dst, std::vector<std::string>(5, "bbbbbbb"));
    EXPECT_TRUE(DDBlur(&dst, 0, 0, 7, 5, 1, 1, &src, 0, 0, 0));
    EXPECT_EQ(Picture(&dst), std::vector<std::string>(5, "bbbbbbb"));
    EXPECT_NE(ErrorText().find("8ビットぼかしは不可能！"), std::string::npos);
}

TEST_P(BlurMosaic, MosaicSamplesOrAveragesEachBlock) {
    Make(&src, kPicture);
    const bool mean = !Direct3D() && Bpp() != 8;
    // Size 1 copies the rectangle (Direct3D 32: byte 3 = 255, also over a transparent pixel).
    Make(&dst, std::vector<std::string>(5, "bbbbbbb"));
    EXPECT_TRUE(DDMosaic(&dst, 0, 0, 7, 5, 1, &src, 0, 0, 0));
    for (int y = 0; y < 5; ++y)
        for (int x = 0; x < 7; ++x) ASSERT_EQ(ChannelsOf(&dst, x, y), ChannelsOf(&src, x, y));
    if (Direct3D() && Bpp() == 32) EXPECT_EQ(RawPixel(&dst, 1, 1) >> 24, 255u);
    // Blocks of 3 at (1, 1) over 5 x 4: Direct3D and 8 bits repeat the top-left sample,
    // 16- and 32-bit DirectDraw fill with the mean of the block's cells.
    for (const int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        Make(&dst, std::vector<std::string>(6, "bbbbbbb"));
        const int sx = 1, sy = 0;
        EXPECT_TRUE(DDMosaic(&dst, 1, 1, 5, 4, 3, &src, sx, sy, mode));
        for (int r = 0; r < 4; r += 3) {
            for (int c = 0; c < 5; c += 3) {
                Rgb want{};
                bool untouched = false;
                if (!mean) {
                    untouched = mode == 1 && Transparent(sx + c, sy + r);
                    want = ChannelsOf(&src, sx + c, sy + r);
                } else {
                    unsigned long long s[3] = {}, n = 0;
                    for (int i = r; i < std::min(r + 3, 4); ++i) {
                        for (int j = c; j < std::min(c + 3, 5); ++j) {
                            if (mode == 1 && Transparent(sx + j, sy + i)) continue;
                            const Rgb e = ChannelsOf(&src, sx + j, sy + i);
                            const DDPIXFMT& f = PixFmt;
                            s[0] += Bpp() == 32 ? e.r : e.r * 255 / f.nMaxR;
                            s[1] += Bpp() == 32 ? e.g : e.g * 255 / f.nMaxG;
                            s[2] += Bpp() == 32 ? e.b : e.b * 255 / f.nMaxB;
                            ++n;
                        }
                    }
                    untouched = n == 0;
                    if (n) {
                        want = {unsigned(s[0] / n), unsigned(s[1] / n), unsigned(s[2] / n)};
                        if (Bpp() == 16)
                            want = {want.r * PixFmt.nMaxR / 255, want.g * PixFmt.nMaxG / 255,
                                    want.b * PixFmt.nMaxB / 255};
                    }
                }
                for (int i = r; i < std::min(r + 3, 4); ++i)
                    for (int j = c; j < std::min(c + 3, 5); ++j)
                        EXPECT_EQ(ChannelsOf(&dst, 1 + j, 1 + i),
                                  untouched ? ChannelsOf(&dst, 0, 0) : want)
                            << "block " << c << ',' << r << " cell " << j << ',' << i;
            }
        }
    }
    // A size over the rectangle: one block.
    Make(&dst, std::vector<std::string>(5, "bbbbbbb"));
    DDMosaic(&dst, 0, 0, 3, 2, 50, &src, 0, 0, 0);
    if (!mean) EXPECT_EQ(ChannelsOf(&dst, 2, 1), ChannelsOf(&src, 0, 0));
    EXPECT_EQ(ChannelsOf(&dst, 2, 1), ChannelsOf(&dst, 0, 0));
    EXPECT_EQ(Shows(&dst, 2), "bbbbbbb");
    // A block whose sample lies outside the source stays untouched; sizes below 1 draw
    // nothing.
    Make(&dst, std::vector<std::string>(5, "bbbbbbb"));
    EXPECT_TRUE(DDMosaic(&dst, 0, 0, 4, 4, 2, &src, -2, -2, 0));
    EXPECT_EQ(Shows(&dst, 0), "bbbbbbb");
    EXPECT_TRUE(DDMosaic(&dst, 0, 0, 7, 5, 0, &src, 0, 0, 0));
    EXPECT_TRUE(DDMosaic(&dst, 0, 0, 7, 5, -4, &src, 0, 0, 0));
    EXPECT_EQ(Shows(&dst, 4), "bbbbbbb");
}

// Source and destination one surface: the filter reads the picture as it was.
TEST_P(BlurMosaic, OneSurfaceReadsThePictureAsItWas) {
    Make(&src, {"rrgg", "rrgg"});
    EXPECT_TRUE(DDMosaic(&src, 1, 0, 3, 2, 3, &src, 0, 0, 0));
    if (Direct3D() || Bpp() == 8)
        EXPECT_EQ(Picture(&src), (std::vector<std::string>{"rrrr", "rrrr"}));
}

TEST_P(BlurMosaic, HostileParametersStayBounded) {
    Make(&src, kPicture);
    Make(&dst, std::vector<std::string>(5, "bbbbbbb"));
    const std::uint32_t start = plat::timeGetTime();
    for (const int v : {INT_MIN, INT_MIN + 1, -1, 1, INT_MAX}) {
        DDBlur(&dst, v, 0, INT_MAX, INT_MAX, INT_MAX, v, &src, 0, v, 1);
        DDBlur(&dst, 0, 0, INT_MAX, INT_MAX, INT_MAX, INT_MAX, &src, v, 0, 0);
        DDBlur(&dst, 1, 1, v, 5, 1, 1, &src, 0, 0, 0);
        DDMosaic(&dst, v, v, INT_MAX, INT_MAX, v, &src, v, 0, 1);
        DDMosaic(&dst, 0, 0, INT_MAX, INT_MAX, 1, &src, 0, v, 0);
        DDMosaic(&dst, 0, 0, INT_MAX, INT_MAX, INT_MAX, &src, 0, 0, 0);
    }
    EXPECT_LT(plat::timeGetTime() - start, 3000u);
}

INSTANTIATE_TEST_SUITE_P(Configs, BlurMosaic, ::testing::ValuesIn(kDisplayConfigs), ConfigName);

// Into the back buffer of a full-screen 16-bit Direct3D display the effects convert texture
// pixels to the back buffer's format: red and blue as they are, green doubled from 5 to 6
// bits, no alpha.
class FullScreenBackBuffer : public EffectTest {
protected:
    static std::uint32_t ToBack(std::uint32_t p) {
        const unsigned r = (p >> PixFmt.nShiftR) & PixFmt.nMaxR,
                       g = (p >> PixFmt.nShiftG) & PixFmt.nMaxG,
                       b = (p >> PixFmt.nShiftB) & PixFmt.nMaxB;
        return r << PixFmtBack.nShiftR | (g * 2) << PixFmtBack.nShiftG | b << PixFmtBack.nShiftB;
    }
};

TEST_P(FullScreenBackBuffer, PixelEffectsDoubleTheGreen) {
    ASSERT_EQ(PixFmtBack.nMaxG, 63);
    Make(&src, {"gwr", "rgw"}, DTMEMORYTYPE_SYSTEM);
    Paint(&BackBuffer, {"bbbb", "bbbb"});
    // Mosaic of 1: a copy.
    EXPECT_TRUE(DDMosaic(&BackBuffer, 0, 0, 3, 2, 1, &src, 0, 0, 0));
    for (int x = 0; x < 3; ++x)
        EXPECT_EQ(RawPixel(&BackBuffer, x, 1), ToBack(RawPixel(&src, x, 1)));
    // Blur at the top-left corner: the pixel alone.
    Paint(&BackBuffer, {"bbbb", "bbbb"});
    EXPECT_TRUE(DDBlur(&BackBuffer, 0, 0, 3, 2, 1, 1, &src, 0, 0, 0));
    EXPECT_EQ(RawPixel(&BackBuffer, 0, 0), ToBack(RawPixel(&src, 0, 0)));
    // Lens of depth 0: the centre everywhere inside.
    Paint(&BackBuffer, {"bbbb", "bbbb"});
    EXPECT_TRUE(DDBltLens(&BackBuffer, 1, 0, 1, 0, &src, 1, 1, 0, 0));
    EXPECT_EQ(RawPixel(&BackBuffer, 1, 0), ToBack(RawPixel(&src, 1, 1)));
    // Software flash at level 1 from a system-memory texture: half-way to the colour, the
    // green of the back buffer the sum itself.
    Paint(&BackBuffer, {"bbbb", "bbbb"});
    EXPECT_TRUE(DDBltFlash(&BackBuffer, 0, 0, 1, 1, &src, 0, 0, 0, Palette, HbtTable, 8, 1));
    const unsigned maxG = PixFmt.nMaxG, maxR = PixFmt.nMaxR;
    EXPECT_EQ(RawPixel(&BackBuffer, 0, 0), ((0 + maxR) >> 1) << PixFmtBack.nShiftR |
                                               (maxG + maxG) << PixFmtBack.nShiftG |
                                               ((0 + PixFmt.nMaxB) >> 1) << PixFmtBack.nShiftB);
    // Software translucency: the back buffer read in its own format, the source's green
    // counted twice.
    Paint(&BackBuffer, {"bbbb", "bbbb"});
    const std::uint32_t d = RawPixel(&BackBuffer, 0, 0);
    EXPECT_TRUE(DDBltTrans(&BackBuffer, 0, 0, 1, 1, &src, 0, 0, 0, HbtTable, 0));
    const unsigned dr = (d >> PixFmtBack.nShiftR) & PixFmtBack.nMaxR,
                   dg = (d >> PixFmtBack.nShiftG) & PixFmtBack.nMaxG,
                   db = (d >> PixFmtBack.nShiftB) & PixFmtBack.nMaxB;
    EXPECT_EQ(RawPixel(&BackBuffer, 0, 0), (dr >> 1) << PixFmtBack.nShiftR |
                                               ((2 * maxG + dg) >> 1) << PixFmtBack.nShiftG |
                                               (db >> 1) << PixFmtBack.nShiftB);
}

INSTANTIATE_TEST_SUITE_P(Direct3D16, FullScreenBackBuffer, ::testing::Values(kDisplayConfigs[1]),
                         ConfigName);

}  // namespace

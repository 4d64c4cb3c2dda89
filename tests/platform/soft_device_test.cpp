// The software device's pixel storage and raster arithmetic: format conversions, the blend,
// nearest-sample copies with and without a key, and the bounds of a surface.
#include "platform/soft_device.h"

#include <gtest/gtest.h>

#include "platform/vector_loops.h"

namespace {

using namespace plat;

struct Conversion {
    D3DFORMAT format;
    std::uint32_t pixel;
    std::uint32_t argb;
};

// Channels widen by repeating their bits, so the ends of every range stay exact.
const Conversion kToArgb[] = {
    {D3DFMT_R5G6B5, 0xF800, 0xFFFF0000},       {D3DFMT_R5G6B5, 0x07E0, 0xFF00FF00},
    {D3DFMT_R5G6B5, 0x0841, 0xFF080808},       {D3DFMT_R5G6B5, 0x8410, 0xFF848284},
    {D3DFMT_A1R5G5B5, 0x7FFF, 0x00FFFFFF},     {D3DFMT_A1R5G5B5, 0x8000, 0xFF000000},
    {D3DFMT_A1R5G5B5, 0xC210, 0xFF848484},     {D3DFMT_X8R8G8B8, 0x00123456, 0xFF123456},
    {D3DFMT_A8R8G8B8, 0x80123456, 0x80123456},
};

TEST(PixelFormat, PixelsToColours) {
    for (const Conversion& c : kToArgb)
        EXPECT_EQ(PixelToArgb(c.format, c.pixel, nullptr), c.argb)
            << c.format << " " << std::hex << c.pixel;
    std::uint32_t palette[256] = {};
    palette[9] = 0xFF010203;
    EXPECT_EQ(PixelToArgb(D3DFMT_P8, 9, palette), 0xFF010203u);
}

// Channels narrow by truncation; the unused byte of X8R8G8B8 reads as opaque.
const Conversion kToPixel[] = {
    {D3DFMT_R5G6B5, 0x0861, 0xFF0F0F0F},       {D3DFMT_R5G6B5, 0xFFFF, 0x00FFFFFF},
    {D3DFMT_A1R5G5B5, 0x7FFF, 0x7FFFFFFF},     {D3DFMT_A1R5G5B5, 0x8000, 0x80070707},
    {D3DFMT_X8R8G8B8, 0xFF123456, 0x00123456}, {D3DFMT_A8R8G8B8, 0x00123456, 0x00123456},
};

TEST(PixelFormat, ColoursToPixels) {
    for (const Conversion& c : kToPixel)
        EXPECT_EQ(ArgbToPixel(c.format, c.argb), c.pixel) << c.format << " " << std::hex << c.argb;
}

TEST(PixelFormat, RowConversionMatchesPixelConversion) {
    for (D3DFORMAT f :
         {D3DFMT_P8, D3DFMT_R5G6B5, D3DFMT_A1R5G5B5, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8}) {
        auto s = SoftSurface::Create(5, 1, f);
        ASSERT_TRUE(s);
        std::uint32_t palette[256];
        for (std::uint32_t i = 0; i < 256; ++i) palette[i] = 0xFF000000u | i * 0x010101u;
        for (int x = 0; x < 5; ++x) s->SetPixel(x, 0, 0x9E3779B9u * (x + 1));
        std::uint32_t row[5];
        ConvertRowToArgb(f, s->Row(0), row, 5, palette);
        for (int x = 0; x < 5; ++x) EXPECT_EQ(row[x], PixelToArgb(f, s->Pixel(x, 0), palette));
    }
}

TEST(SoftSurface, SizesAndPitch) {
    EXPECT_FALSE(SoftSurface::Create(0, 1, D3DFMT_P8));
    EXPECT_FALSE(SoftSurface::Create(1, -1, D3DFMT_P8));
    EXPECT_FALSE(SoftSurface::Create(kMaxSurfaceSide + 1, 1, D3DFMT_P8));
    EXPECT_FALSE(SoftSurface::Create(kMaxSurfaceSide, kMaxSurfaceSide, D3DFMT_A8R8G8B8));
    EXPECT_FALSE(SoftSurface::Create(4, 4, D3DFMT_UNKNOWN));
    auto p8 = SoftSurface::Create(3, 2, D3DFMT_P8);
    auto r16 = SoftSurface::Create(3, 2, D3DFMT_R5G6B5);
    ASSERT_TRUE(p8 && r16);
    EXPECT_EQ(p8->Pitch(), 4);
    EXPECT_EQ(r16->Pitch(), 8);
    EXPECT_EQ(p8->Pixel(2, 1), 0u);
    EXPECT_TRUE(p8->Holds(RECT{0, 0, 3, 2}));
    EXPECT_FALSE(p8->Holds(RECT{-1, 0, 3, 2}));
    EXPECT_FALSE(p8->Holds(RECT{1, 0, 1, 2}));
    EXPECT_FALSE(p8->Holds(RECT{0, 0, 4, 2}));
}

TEST(Blend, FixedArithmetic) {
    // out = (s * a + d * (255 - a) + 127) / 255 per channel.
    EXPECT_EQ(
        BlendPixel(D3DFMT_X8R8G8B8, 0xFF0000FF, 0x80FF0000, kBlendSrcAlpha, kBlendInvSrcAlpha),
        0xFF80007Fu);
    EXPECT_EQ(
        BlendPixel(D3DFMT_A8R8G8B8, 0x00000000, 0x80FF0000, kBlendSrcAlpha, kBlendInvSrcAlpha),
        0x40800000u);
    EXPECT_EQ(
        BlendPixel(D3DFMT_A8R8G8B8, 0x12345678, 0x00FFFFFF, kBlendSrcAlpha, kBlendInvSrcAlpha),
        0x12345678u);
    EXPECT_EQ(BlendPixel(D3DFMT_R5G6B5, 0x001F, 0xFFFF0000, kBlendSrcAlpha, kBlendInvSrcAlpha),
              0xF800u);
    EXPECT_EQ(BlendPixel(D3DFMT_R5G6B5, 0x001F, 0x12FF0000, kBlendOne, kBlendZero), 0xF800u);
}

TEST(Copy, NearestSamplesAndKey) {
    auto src = SoftSurface::Create(8, 1, D3DFMT_P8);
    auto dst = SoftSurface::Create(16, 1, D3DFMT_P8);
    for (int x = 0; x < 8; ++x) src->SetPixel(x, 0, 10 + x);
    // Shrink: destination pixel k takes source pixel floor(k * 8 / 4).
    CopyPixels(*dst, RECT{0, 0, 4, 1}, *src, RECT{0, 0, 8, 1}, nullptr);
    EXPECT_EQ(dst->Pixel(0, 0), 10u);
    EXPECT_EQ(dst->Pixel(1, 0), 12u);
    EXPECT_EQ(dst->Pixel(3, 0), 16u);
    // Stretch to double: each source pixel twice.
    CopyPixels(*dst, RECT{0, 0, 16, 1}, *src, RECT{0, 0, 8, 1}, nullptr);
    EXPECT_EQ(dst->Pixel(14, 0), 17u);
    EXPECT_EQ(dst->Pixel(15, 0), 17u);
    // Keyed: pixels equal to the key are left out.
    const std::uint32_t key = 12;
    FillPixels(*dst, dst->Bounds(), 99);
    CopyPixels(*dst, RECT{0, 0, 8, 1}, *src, RECT{0, 0, 8, 1}, &key);
    EXPECT_EQ(dst->Pixel(1, 0), 11u);
    EXPECT_EQ(dst->Pixel(2, 0), 99u);
    // Within one surface the copy behaves as if through a buffer, in either direction.
    CopyPixels(*src, RECT{1, 0, 8, 1}, *src, RECT{0, 0, 7, 1}, &key);
    EXPECT_EQ(src->Pixel(1, 0), 10u);
    EXPECT_EQ(src->Pixel(2, 0), 11u);
    EXPECT_EQ(src->Pixel(3, 0), 13u);  // the key (12) was left out: 13 stays
    EXPECT_EQ(src->Pixel(7, 0), 16u);
}

// Unscaled copies of rows of every length around the vector widths, at several alignments and
// in every pixel size, with both row loops: with a key each pixel equal to it is left out and
// every other one copied, without one every pixel is copied, and nothing past the rectangle
// is touched.
TEST(Copy, UnscaledRowsCopyEveryPixelButTheKey) {
    for (const D3DFORMAT format : {D3DFMT_P8, D3DFMT_R5G6B5, D3DFMT_X8R8G8B8}) {
        const int bytes = BytesPerPixel(format);
        const std::uint32_t mask = bytes == 1 ? 0xFF : bytes == 2 ? 0xFFFF : 0xFFFFFFFF;
        auto src = SoftSurface::Create(80, 1, format);
        auto dst = SoftSurface::Create(84, 1, format);
        auto want = SoftSurface::Create(84, 1, format);
        const std::uint32_t key = 0x5A5A5A5Au & mask;
        std::uint32_t seed = 7;
        for (int x = 0; x < 80; ++x) {
            seed = seed * 1103515245u + 12345u;
            // A third of the pixels the key, the rest anything (near misses of it included).
            const std::uint32_t v = (seed >> 8) % 3 == 0   ? key
                                    : (seed >> 8) % 3 == 1 ? key ^ (1u << (seed >> 27) % 32)
                                                           : seed;
            src->SetPixel(x, 0, v & mask);
        }
        for (const bool baseline : {false, true}) {
            UseBaselineLoops(baseline);
            for (const bool keyed : {true, false}) {
                for (int from = 0; from < 4; ++from) {
                    for (int at = 0; at < 4; ++at) {
                        for (int n = 0; n <= 70; ++n) {
                            for (int x = 0; x < 84; ++x) {
                                const std::uint32_t v = (0x01234567u * (x + 1)) & mask;
                                dst->SetPixel(x, 0, v);
                                const bool inside = x >= at && x < at + n;
                                const std::uint32_t s = inside ? src->Pixel(from + x - at, 0) : 0;
                                want->SetPixel(x, 0, inside && (!keyed || s != key) ? s : v);
                            }
                            CopyPixels(*dst, RECT{at, 0, at + n, 1}, *src,
                                       RECT{from, 0, from + n, 1}, keyed ? &key : nullptr);
                            int wrong = 0;
                            for (int x = 0; x < 84; ++x)
                                if (dst->Pixel(x, 0) != want->Pixel(x, 0) && wrong++ < 3)
                                    ADD_FAILURE()
                                        << "format " << format << " baseline " << baseline
                                        << " keyed " << keyed << " from " << from << " at " << at
                                        << " length " << n << " pixel " << x;
                        }
                    }
                }
            }
        }
        UseBaselineLoops(false);
    }
}

// Keyed copies of sprite-like rows, where the key comes in runs: rows wholly the key, rows
// without it, and runs of every length between, over several rows at once, with both row
// loops (the wider one looks at whole runs of pixels before it stores them). Each pixel equal
// to the key is left out, every other one copied, and nothing past the rectangle is touched.
TEST(Copy, KeyedRowsInRunsCopyEveryPixelButTheKey) {
    constexpr int kRows = 3, kWidth = 140;
    for (const D3DFORMAT format : {D3DFMT_P8, D3DFMT_R5G6B5, D3DFMT_X8R8G8B8}) {
        const int bytes = BytesPerPixel(format);
        const std::uint32_t mask = bytes == 1 ? 0xFF : bytes == 2 ? 0xFFFF : 0xFFFFFFFF;
        const std::uint32_t key = 0x00FF00FFu & mask;
        auto src = SoftSurface::Create(kWidth, kRows, format);
        auto dst = SoftSurface::Create(kWidth + 4, kRows, format);
        std::uint32_t seed = 99;
        auto next = [&seed] {
            seed = seed * 1103515245u + 12345u;
            return seed >> 8;
        };
        // pattern 0: all key; 1: no key; 2: runs of 1 to 40 of each.
        for (int pattern = 0; pattern < 3; ++pattern) {
            for (int y = 0; y < kRows; ++y) {
                bool keyRun = next() % 2 == 0;
                int left = 0;
                for (int x = 0; x < kWidth; ++x) {
                    if (left-- == 0) {
                        keyRun = !keyRun;
                        left = static_cast<int>(next() % 40);
                    }
                    const bool isKey = pattern == 0 || (pattern == 2 && keyRun);
                    // Pixels that are not the key differ from it by one bit at times.
                    const std::uint32_t other =
                        next() % 4 == 0 ? key ^ (1u << next() % (8 * bytes)) : next() | 1u;
                    src->SetPixel(x, y,
                                  isKey                   ? key
                                  : (other & mask) == key ? key ^ 1
                                                          : other & mask);
                }
            }
            for (const bool baseline : {false, true}) {
                UseBaselineLoops(baseline);
                for (int from = 0; from < 3; ++from) {
                    for (int n = 0; n <= kWidth - from; n += (n < 72 ? 1 : 9)) {
                        const int at = (n + from) % 4;
                        for (int y = 0; y < kRows; ++y)
                            for (int x = 0; x < kWidth + 4; ++x)
                                dst->SetPixel(x, y, (0x01234567u * (x + 7 * y + 1)) & mask);
                        CopyPixels(*dst, RECT{at, 0, at + n, kRows}, *src,
                                   RECT{from, 0, from + n, kRows}, &key);
                        int wrong = 0;
                        for (int y = 0; y < kRows; ++y) {
                            for (int x = 0; x < kWidth + 4; ++x) {
                                const std::uint32_t before = (0x01234567u * (x + 7 * y + 1)) & mask;
                                const bool inside = x >= at && x < at + n;
                                const std::uint32_t s = inside ? src->Pixel(from + x - at, y) : 0;
                                const std::uint32_t want = inside && s != key ? s : before;
                                if (dst->Pixel(x, y) != want && wrong++ < 3)
                                    ADD_FAILURE()
                                        << "format " << format << " pattern " << pattern
                                        << " baseline " << baseline << " from " << from << " at "
                                        << at << " length " << n << " pixel " << x << "," << y;
                            }
                        }
                    }
                }
            }
            UseBaselineLoops(false);
        }
    }
}

}  // namespace

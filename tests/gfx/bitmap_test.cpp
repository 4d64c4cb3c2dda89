// Surfaces from bitmap files in every configuration: every depth and encoding of the file
// into every surface format, mirrored sheets, the 16-bit key collision rule, the 8-bit size
// check, the palette-index map, the palette image, files that cannot be loaded.
#include "gfx/bitmap.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "draw_fixture.h"
#include "gen/sample_images.h"
#include "gfx/palette_file.h"
#include "platform/ddraw.h"
#include "support/byte_builder.h"

namespace {

constexpr const char* kFile = "bmp\\Image.bmp";
constexpr const char* kHostFile = "bmp/Image.bmp";

std::uint32_t ColourOf(char c) {
    switch (c) {
        case 'r':
            return Argb(kRed);
        case 'g':
            return Argb(kGreen);
        case 'b':
            return Argb(kBlue);
        case 'w':
            return Argb(kWhite);
        case 'x':
            return 0xFF0A141Eu;  // in no palette
        default:
            return Argb(kKey);
    }
}

// A bitmap file built from the documented layout: file header, 40-byte info header, the bit
// fields when given, the colour table, the pixels.
std::vector<std::uint8_t> BitmapBytes(int w, int h, int bits, std::uint32_t compression,
                                      const std::vector<std::uint32_t>& table,
                                      const std::vector<std::uint32_t>& masks,
                                      const std::vector<std::uint8_t>& pixels) {
    const auto offset = static_cast<std::uint32_t>(54 + 4 * masks.size() + 4 * table.size());
    ByteBuilder b;
    b.U8('B').U8('M').U32(offset + static_cast<std::uint32_t>(pixels.size())).U32(0).U32(offset);
    b.U32(40).I32(w).I32(h).U16(1).U16(static_cast<std::uint16_t>(bits)).U32(compression);
    b.U32(static_cast<std::uint32_t>(pixels.size())).U32(0).U32(0);
    b.U32(static_cast<std::uint32_t>(table.size())).U32(0);
    for (std::uint32_t m : masks) b.U32(m);
    for (std::uint32_t c : table) b.U32(c & 0x00FFFFFFu);
    b.Bytes(pixels);
    return b.bytes;
}

struct DepthCase {
    const char* name;
    std::vector<std::string> rows;  // the picture, top row first
    // Builds the file of the picture; `indices` receives the file's index of each pixel
    // (indexed files).
    std::vector<std::uint8_t> (*make)(const std::vector<std::string>& rows);
    bool indexed;
};

// The colour table of the indexed cases: the letters in this order.
constexpr const char* kTableOrder = "krgbw";

int TableIndex(char c) {
    return static_cast<int>(std::string(kTableOrder).find(c));
}

std::vector<std::uint32_t> Table() {
    std::vector<std::uint32_t> t;
    for (const char* p = kTableOrder; *p; ++p) t.push_back(ColourOf(*p));
    return t;
}

std::vector<std::uint8_t> Indexed(const std::vector<std::string>& rows, int bits) {
    const int w = static_cast<int>(rows[0].size()), h = static_cast<int>(rows.size());
    const std::size_t stride = (static_cast<std::size_t>(w) * bits + 31) / 32 * 4;
    std::vector<std::uint8_t> pixels;
    for (int y = h - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(stride, 0);
        for (int x = 0; x < w; ++x) {
            const int v =
                TableIndex(rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)]) -
                (bits == 1 ? 1 : 0);
            if (bits == 1) row[x / 8] |= static_cast<std::uint8_t>((v & 1) << (7 - x % 8));
            if (bits == 4) row[x / 2] |= static_cast<std::uint8_t>(v << (x % 2 ? 0 : 4));
            if (bits == 8) row[x] = static_cast<std::uint8_t>(v);
        }
        pixels.insert(pixels.end(), row.begin(), row.end());
    }
    std::vector<std::uint32_t> table = Table();
    if (bits == 1) table = {ColourOf('r'), ColourOf('g')};
    return BitmapBytes(w, h, bits, 0, table, {}, pixels);
}

// Run-length encoded: runs of one pixel, a line end after each row, the end mark.
std::vector<std::uint8_t> RunLength(const std::vector<std::string>& rows, bool four) {
    const int w = static_cast<int>(rows[0].size()), h = static_cast<int>(rows.size());
    std::vector<std::uint8_t> pixels;
    for (int y = h - 1; y >= 0; --y) {
        for (char c : rows[static_cast<std::size_t>(y)]) {
            const int v = TableIndex(c);
            pixels.push_back(1);
            pixels.push_back(static_cast<std::uint8_t>(four ? v << 4 : v));
        }
        pixels.push_back(0);
        pixels.push_back(y == 0 ? 1 : 0);
    }
    return BitmapBytes(w, h, four ? 4 : 8, four ? 2 : 1, Table(), {}, pixels);
}

std::vector<std::uint8_t> Direct(const std::vector<std::string>& rows, int bits,
                                 const std::vector<std::uint32_t>& masks, bool topDown) {
    const int w = static_cast<int>(rows[0].size()), h = static_cast<int>(rows.size());
    const std::size_t stride = (static_cast<std::size_t>(w) * bits + 31) / 32 * 4;
    std::vector<std::uint8_t> pixels;
    for (int n = 0; n < h; ++n) {
        const int y = topDown ? n : h - 1 - n;
        std::vector<std::uint8_t> row;
        for (char c : rows[static_cast<std::size_t>(y)]) {
            const std::uint32_t v = ColourOf(c);
            const std::uint32_t r = (v >> 16) & 0xFF, g = (v >> 8) & 0xFF, b = v & 0xFF;
            std::uint32_t p = 0;
            if (bits == 16 && masks.empty()) p = (r >> 3) << 10 | (g >> 3) << 5 | b >> 3;
            if (bits == 16 && !masks.empty()) p = (r >> 3) << 11 | (g >> 2) << 5 | b >> 3;
            if (bits == 32)
                p = masks.empty() ? (v & 0xFFFFFFu) : (b << 24 | g << 16 | r << 8 | 0xFF);
            if (bits == 24) {
                row.push_back(static_cast<std::uint8_t>(b));
                row.push_back(static_cast<std::uint8_t>(g));
                row.push_back(static_cast<std::uint8_t>(r));
                continue;
            }
            for (int i = 0; i < bits / 8; ++i)
                row.push_back(static_cast<std::uint8_t>(p >> (8 * i)));
        }
        row.resize(stride, 0);
        pixels.insert(pixels.end(), row.begin(), row.end());
    }
    return BitmapBytes(w, topDown ? -h : h, bits, masks.empty() ? 0 : 3, {}, masks, pixels);
}

const std::vector<std::string> kPicture = {"krgbw", "wbgrk"};

const DepthCase kDepthCases[] = {
    {"Bits1", {"rgrgr", "grgrg"}, [](const auto& r) { return Indexed(r, 1); }, true},
    {"Bits4", kPicture, [](const auto& r) { return Indexed(r, 4); }, true},
    {"Bits8", kPicture, [](const auto& r) { return Indexed(r, 8); }, true},
    {"Rle8", kPicture, [](const auto& r) { return RunLength(r, false); }, true},
    {"Rle4", kPicture, [](const auto& r) { return RunLength(r, true); }, true},
    {"Bits16", kPicture, [](const auto& r) { return Direct(r, 16, {}, false); }, false},
    {"Bits16Fields565", kPicture,
     [](const auto& r) {
         return Direct(r, 16, {0xF800, 0x07E0, 0x001F}, false);
     },
     false},
    {"Bits24", kPicture, [](const auto& r) { return Direct(r, 24, {}, false); }, false},
    {"Bits24TopDown", kPicture, [](const auto& r) { return Direct(r, 24, {}, true); }, false},
    {"Bits32", kPicture, [](const auto& r) { return Direct(r, 32, {}, false); }, false},
    {"Bits32Fields", kPicture,
     [](const auto& r) {
         return Direct(r, 32, {0x0000FF00, 0x00FF0000, 0xFF000000}, false);
     },
     false},
};

class BitmapDepths : public ::testing::TestWithParam<std::tuple<DisplayConfig, DepthCase>>,
                     public DisplayFixture {
protected:
    void SetUp() override {
        Prepare();
        ASSERT_TRUE(Open(std::get<0>(GetParam())));
        SetTestPalette();
        SetImageKey();
    }
    void TearDown() override { Close(); }

public:
    // The transparent colour of the image files at 16 bits, as the palette image sets it.
    static void SetImageKey() {
        const plat::RGBTRIPLE magenta{255, 0, 255};
        if (lpDTCon) lpDTCon->rgbTransmit16 = magenta;
        if (lpDDCon) lpDDCon->rgbTransmit16 = magenta;
    }
};

TEST_P(BitmapDepths, LoadsIntoEverySurfaceFormat) {
    const DisplayConfig& config = std::get<0>(GetParam());
    const DepthCase& depth = std::get<1>(GetParam());
    ASSERT_TRUE(gen::WriteFileBytes(kHostFile, depth.make(depth.rows)));
    DDSURFACEDATA sd;
    ASSERT_EQ(DDCreateSurfaceFromFile(&sd, kFile, 1, config.bpp, 0, 0, nullptr, nullptr, 0, 0, 0),
              0);
    EXPECT_EQ(sd.nWidth, 5);
    EXPECT_EQ(sd.nHeight, 2);
    EXPECT_STREQ(sd.szFileName, kFile);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 5; ++x) {
            SCOPED_TRACE(::testing::Message() << "pixel " << x << "," << y);
            const char letter =
                depth.rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            if (!config.direct3D && config.bpp == 8 && depth.indexed) {
                // An 8-bit display takes the file's indices, unpacked from 1 and 4 bits.
                const int index = TableIndex(letter) - (depth.rows[0][0] == 'r' ? 1 : 0);
                EXPECT_EQ(RawPixel(&sd, x, y), static_cast<std::uint32_t>(index));
            } else if (letter == 'k') {
                // The loader makes the key transparent black; DirectDraw keeps the key pixel.
                EXPECT_EQ(RawPixel(&sd, x, y), config.direct3D ? 0u : dwColorKey);
            } else {
                EXPECT_EQ(Colour(&sd, x, y), ColourOf(letter));
            }
        }
    }
}

std::string DepthName(const ::testing::TestParamInfo<std::tuple<DisplayConfig, DepthCase>>& info) {
    return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(All, BitmapDepths,
                         ::testing::Combine(::testing::ValuesIn(kDisplayConfigs),
                                            ::testing::ValuesIn(kDepthCases)),
                         DepthName);

class Bitmaps : public DrawTest {
protected:
    void SetUp() override {
        DrawTest::SetUp();
        BitmapDepths::SetImageKey();
    }
    // The letters a surface shows, with transparent black read as the key.
    static std::string Picture(DDSURFACEDATA* sd, int y) {
        std::string s = Shows(sd, y);
        for (char& c : s)
            if (c == 't') c = 'k';
        return s;
    }
};

class SixteenBitBitmaps : public Bitmaps {};
class EightBitBitmaps : public Bitmaps {};
class Direct3DBitmaps : public Bitmaps {};

// A 96 x 2 sheet with 32-pixel cells: every cell flipped in place, the cell order kept. A
// last cell cut short is not mirrored: DirectDraw leaves it transparent, Direct3D keeps the
// image's pixels there.
TEST_P(Bitmaps, MirroredSheets) {
    std::vector<std::string> rows(2);
    for (int x = 0; x < 100; ++x) {
        rows[0] += "rgbw"[(x * 7 / 5) % 4];
        rows[1] += x % 32 == 0 ? 'w' : (x % 3 == 0 ? 'k' : 'g');
    }
    WriteTestBitmap(kHostFile, rows);
    DDSURFACEDATA sd;
    ASSERT_EQ(DDCreateSurfaceFromFile(&sd, kFile, 1, Bpp(), 0, 0, nullptr, nullptr, 32, 0, 0), 0);
    EXPECT_EQ(sd.nMirrorWidth, 32);
    for (int y = 0; y < 2; ++y) {
        std::string expected;
        for (int x = 0; x < 96; ++x)
            expected += rows[static_cast<std::size_t>(y)]
                            [static_cast<std::size_t>(32 * (x / 32 + 1) - x % 32 - 1)];
        expected += Direct3D() ? rows[static_cast<std::size_t>(y)].substr(96) : "kkkk";
        EXPECT_EQ(Picture(&sd, y), expected) << "row " << y;
    }
}

// 16-bit DirectDraw: the image files' transparent colour becomes the key exactly; another
// colour that converts to the key is moved one step off it (down when its blue is at the
// maximum, else up), so it stays visible.
TEST_P(SixteenBitBitmaps, KeyCollisions) {
    const std::vector<std::uint32_t> colours = {0xFFFF00FFu, 0xFFFF03FFu, 0xFF030303u, 0xFF000000u};
    ASSERT_TRUE(gen::WriteFileBytes(kHostFile, gen::EncodeDirectBmp(4, 1, 24, colours)));
    DDSURFACEDATA sd;
    ASSERT_EQ(DDCreateSurfaceFromFile(&sd, kFile, 1, 16, 0, 0, nullptr, nullptr, 0, 0, 0), 0);
    EXPECT_EQ(RawPixel(&sd, 0, 0), 0xF81Fu);
    EXPECT_EQ(RawPixel(&sd, 1, 0), 0xF81Eu);
    EXPECT_EQ(RawPixel(&sd, 2, 0), 0u);
    // With black as the key: near-black is moved up.
    dwColorKey = 0;
    lpDDCon->rgbTransmit16 = plat::RGBTRIPLE{0, 0, 0};
    ASSERT_EQ(DDCreateSurfaceFromFile(&sd, kFile, 1, 16, 0, 0, nullptr, nullptr, 0, 0, 0), 0);
    EXPECT_EQ(RawPixel(&sd, 0, 0), 0xF81Fu);
    EXPECT_EQ(RawPixel(&sd, 2, 0), 1u);
    EXPECT_EQ(RawPixel(&sd, 3, 0), 0u);
}

// 8-bit DirectDraw copies nothing into a surface of another size, and says so.
TEST_P(EightBitBitmaps, SizeMismatchIsLogged) {
    WriteTestBitmap(kHostFile, {"rgbw", "wbgr"});
    DDSURFACEDATA sd;
    ASSERT_TRUE(DDCreateSurface(&sd, 3, 2, 0, 0, 0, nullptr, 0));
    EXPECT_TRUE(CopyBitmap(&sd, kFile, 8, nullptr, 0, 0));
    EXPECT_EQ(sd.nWidth, 3);  // never larger than the surface
    EXPECT_EQ(Shows(&sd, 0), "kkk");
    EXPECT_NE(ErrorText().find("CopyBitmap Err bmp\\Image.bmp Surface(3,2) Bmp(4,2)"),
              std::string::npos);
}

// The palette-index map: the first palette entry of each pixel's colour, 0 where none
// matches; rows as long as the pitch. Not made at 8 bits (the pixels are indices).
TEST_P(Bitmaps, PaletteIndexMap) {
    WriteTestBitmap(kHostFile, {"krgbw"});
    const std::vector<std::uint32_t> odd = {ColourOf('x')};
    ASSERT_TRUE(gen::WriteFileBytes("bmp/Odd.bmp", gen::EncodeDirectBmp(1, 1, 24, odd)));
    const int palData = 1;
    DDSURFACEDATA sd, other;
    ASSERT_EQ(DDCreateSurfaceFromFile(&sd, kFile, 1, Bpp(), 0, 0, nullptr, &palData, 0, 0, 0), 0);
    ASSERT_EQ(
        DDCreateSurfaceFromFile(&other, "bmp\\Odd.bmp", 0, Bpp(), 0, 0, nullptr, &palData, 0, 0, 0),
        0);
    const std::uint8_t* map = Direct3D() ? sd.lpDT->lpPalIndex.get() : sd.lpDS->lpPalIndex.get();
    if (Bpp() == 8) {
        EXPECT_EQ(map, nullptr);
        return;
    }
    ASSERT_NE(map, nullptr);
    // Transparent black at 32 bits in Direct3D is the first black entry; a keyed 16-bit
    // texture's 0 is index 0 by rule; DirectDraw keeps the key's own colour.
    const int key = Direct3D() && Bpp() == 32 ? 1 : 0;
    const int expected[] = {key, 5, 6, 7, 8};
    for (int x = 0; x < 5; ++x) EXPECT_EQ(map[x], expected[x]) << x;
    const std::uint8_t* odds =
        Direct3D() ? other.lpDT->lpPalIndex.get() : other.lpDS->lpPalIndex.get();
    ASSERT_NE(odds, nullptr);
    EXPECT_EQ(odds[0], 0);
    // Loading without palette data drops a map.
    ASSERT_EQ(DDCreateSurfaceFromFile(&sd, kFile, 1, Bpp(), 0, 0, nullptr, nullptr, 0, 0, 0), 0);
    EXPECT_EQ(Direct3D() ? sd.lpDT->lpPalIndex.get() : sd.lpDS->lpPalIndex.get(), nullptr);
}

// The palette image in every configuration: its colour table (8-bit display, Direct3D) and
// its 16 x 16 grid of pixels (the direct-colour modes, in each back end's units) give the
// palette; its first pixel the transparent colour.
TEST_P(Bitmaps, PaletteImage) {
    ASSERT_TRUE(gen::WriteSampleBitmap("bmp/plt/Palette.bmp", gen::PaletteImage()));
    plat::PALETTEENTRY sample[256];
    gen::SamplePalette(sample);
    for (auto& e : Palette) e = plat::PALETTEENTRY{};
    if (lpDTCon) lpDTCon->rgbTransmit = lpDTCon->rgbTransmit16 = plat::RGBTRIPLE{};
    if (lpDDCon) lpDDCon->rgbTransmit = lpDDCon->rgbTransmit16 = plat::RGBTRIPLE{};
    ASSERT_TRUE(DDLoadPaletteFromFile(Palette, "bmp\\plt\\Palette.bmp", 1));
    for (int i = 0; i < 256; ++i) {
        SCOPED_TRACE(i);
        const plat::PALETTEENTRY s = sample[i], p = Palette[i];
        plat::PALETTEENTRY want = s;
        if (Direct3D()) {
            want.peFlags = 255;
            if (Bpp() == 16) {
                want.peRed = static_cast<std::uint8_t>((s.peRed >> 3) * 255 / 31);
                want.peGreen = static_cast<std::uint8_t>((s.peGreen >> 3) * 255 / 31);
                want.peBlue = static_cast<std::uint8_t>((s.peBlue >> 3) * 255 / 31);
            }
        } else if (Bpp() == 8) {
            want.peFlags = (i < 10 || i >= 246) ? plat::PC_EXPLICIT : plat::PC_RESERVED;
        } else if (Bpp() == 16) {
            want = plat::PALETTEENTRY{static_cast<std::uint8_t>(s.peRed >> 3),
                                      static_cast<std::uint8_t>(s.peGreen >> 2),
                                      static_cast<std::uint8_t>(s.peBlue >> 3), 0};
        }
        EXPECT_EQ(p.peRed, want.peRed);
        EXPECT_EQ(p.peGreen, want.peGreen);
        EXPECT_EQ(p.peBlue, want.peBlue);
        EXPECT_EQ(p.peFlags, want.peFlags);
    }
    if (Bpp() == 8) {
        const plat::PALETTEENTRY* hw = lpDDPalette->Entries();
        EXPECT_EQ(hw[200].peRed, sample[200].peRed);
        EXPECT_EQ(hw[200].peBlue, sample[200].peBlue);
    }

    ASSERT_EQ(DDSetTransmit("bmp\\plt\\Palette.bmp"), 1);
    const plat::RGBTRIPLE magenta{255, 0, 255};
    auto same = [](plat::RGBTRIPLE a, plat::RGBTRIPLE b) {
        return a.rgbtRed == b.rgbtRed && a.rgbtGreen == b.rgbtGreen && a.rgbtBlue == b.rgbtBlue;
    };
    if (Direct3D() && Bpp() == 32) {
        EXPECT_TRUE(same(lpDTCon->rgbTransmit, magenta));
        EXPECT_EQ(lpDTCon->dwTransmitBack, 0xFFFF00FFu);
        EXPECT_EQ(dwColorKey, 0u);
    } else if (Direct3D()) {
        EXPECT_TRUE(same(lpDTCon->rgbTransmit16, magenta));
        EXPECT_TRUE(same(lpDTCon->rgbTransmit, plat::RGBTRIPLE{31, 0, 31}));
        EXPECT_EQ(lpDTCon->wTransmitBack_16, 0xFC1Fu);
        EXPECT_NE(ErrorText().find("SetTrans(filename) lpDTCon->wTransmit_16 = (0)"),
                  std::string::npos);
    } else if (Bpp() == 8) {
        EXPECT_EQ(dwColorKey, 0u);
    } else if (Bpp() == 16) {
        EXPECT_EQ(dwColorKey, 0xF81Fu);
        EXPECT_TRUE(same(lpDDCon->rgbTransmit16, magenta));
    } else {
        EXPECT_EQ(dwColorKey, 0xFF00FFu);
        EXPECT_TRUE(same(lpDDCon->rgbTransmit, magenta));
    }
    EXPECT_FALSE(DDLoadPaletteFromFile(Palette, "bmp\\plt\\None.bmp", 1));
    EXPECT_EQ(DDSetTransmit("bmp\\plt\\None.bmp"), 0);
    EXPECT_NE(ErrorText().find("bmp\\plt\\None.bmp 作成失敗！"), std::string::npos);
}

// A file that cannot be loaded gives result 8 with the back end's log line and an empty
// surface: nothing is drawn from it or into it.
TEST_P(Bitmaps, FilesThatCannotBeLoaded) {
    std::vector<std::uint8_t> damaged =
        gen::EncodeDirectBmp(4, 4, 24, std::vector<std::uint32_t>(16, ColourOf('r')));
    damaged.resize(damaged.size() - 10);
    ASSERT_TRUE(gen::WriteFileBytes("bmp/Damaged.bmp", damaged));
    for (const char* name : {"bmp\\Missing.bmp", "bmp\\Damaged.bmp"}) {
        SCOPED_TRACE(name);
        DDSURFACEDATA sd;
        EXPECT_EQ(DDCreateSurfaceFromFile(&sd, name, 1, Bpp(), 0, 0, nullptr, nullptr, 0, 0, 0), 8);
        if (Direct3D())
            EXPECT_NE(ReportText().find(std::string("LoadImage Err ") + name), std::string::npos);
        else
            EXPECT_NE(ErrorText().find(name), std::string::npos);
        EXPECT_EQ(Storage(&sd), nullptr);
        DDSURFACEDATA dst;
        ASSERT_TRUE(DDCreateSurface(&dst, 4, 1, 0, 0, 0, nullptr, 0));
        Paint(&dst, {"wwww"});
        EXPECT_EQ(DDBltRect(&dst, 0, 0, 4, 1, &sd, 0, 0, 0), 0);
        EXPECT_EQ(DDBltRect(&sd, 0, 0, 4, 1, &dst, 0, 0, 0), 0);
        EXPECT_EQ(Shows(&dst, 0), "wwww");
    }
}

TEST_P(Bitmaps, CheckBitmapSize) {
    WriteTestBitmap(kHostFile, {"rgbw", "wbgr"});
    int tooLarge = 7;
    if (Direct3D()) {
        EXPECT_EQ(DDCheckBitmapSize(&tooLarge, kFile, 1, 1), 1);
        EXPECT_EQ(tooLarge, 7);
        return;
    }
    EXPECT_EQ(DDCheckBitmapSize(&tooLarge, kFile, 4, 2), 1);
    EXPECT_EQ(tooLarge, 0);
    EXPECT_EQ(DDCheckBitmapSize(&tooLarge, kFile, 3, 2), 1);
    EXPECT_EQ(tooLarge, 1);
    EXPECT_EQ(DDCheckBitmapSize(&tooLarge, kFile, 4, 1), 1);
    EXPECT_EQ(tooLarge, 1);
    EXPECT_EQ(DDCheckBitmapSize(&tooLarge, "bmp\\Missing.bmp", 4, 2), 0);
    EXPECT_EQ(tooLarge, 0);
}

// Direct3D sizes a file's texture by the device's rules and keeps the image's size as the
// surface's; texture coordinates divide by the texture's.
TEST_P(Direct3DBitmaps, TextureSizeRulesForFiles) {
    std::vector<std::string> rows(60, std::string(100, 'g'));
    rows[59][99] = 'r';
    WriteTestBitmap(kHostFile, rows);
    lpDTCon->bPow2 = 1;
    DDSURFACEDATA sd;
    ASSERT_EQ(DDCreateSurfaceFromFile(&sd, kFile, 0, Bpp(), 0, 0, nullptr, nullptr, 0, 0, 0), 0);
    EXPECT_EQ(sd.nWidth, 100);
    EXPECT_EQ(sd.nHeight, 60);
    EXPECT_EQ(sd.nTexWidth, 128);
    EXPECT_EQ(sd.nTexHeight, 64);
    lpDTCon->bSquareOnly = 1;
    DDSURFACEDATA square;
    ASSERT_EQ(DDCreateSurfaceFromFile(&square, kFile, 0, Bpp(), 0, 0, nullptr, nullptr, 0, 0, 0),
              0);
    EXPECT_EQ(square.nTexWidth, 128);
    EXPECT_EQ(square.nTexHeight, 128);
    // Drawn through the quad, the last pixel of the image is where it belongs.
    DDBltRect(&BackBuffer, 0, 0, 100, 60, &square, 0, 0, 0);
    EXPECT_EQ(Colour(&BackBuffer, 99, 59), Argb(kRed));
    EXPECT_EQ(Colour(&BackBuffer, 98, 59), Argb(kGreen));
}

// Out of video memory a file texture is made in system memory and drawn in software.
TEST_P(Direct3DBitmaps, VideoMemoryFullFallsBackToSystemMemory) {
    WriteTestBitmap(kHostFile, {"krbr"});
    Fail({"d3d_video_memory"});
    DDSURFACEDATA sd;
    ASSERT_EQ(DDCreateSurfaceFromFile(&sd, kFile, 1, Bpp(), 0, 0, nullptr, nullptr, 0, 0, 0), 0);
    EXPECT_EQ(sd.lpDT->nMemoryType, DTMEMORYTYPE_SYSTEM);
    EXPECT_NE(
        ReportText().find("VRAM不足のためシステムメモリにテクスチャを作成します。(bmp\\Image.bmp)"),
        std::string::npos);
    Fail({});
    Paint(&BackBuffer, {"wwww"});
    DDBltRect(&BackBuffer, 0, 0, 4, 1, &sd, 0, 0, 1);
    EXPECT_EQ(Shows(&BackBuffer, 0, 0, 4), "wrbr");
}

INSTANTIATE_TEST_SUITE_P(Configs, Bitmaps, ::testing::ValuesIn(kDisplayConfigs), ConfigName);
INSTANTIATE_TEST_SUITE_P(DirectDraw, SixteenBitBitmaps, ::testing::Values(kDisplayConfigs[4]),
                         ConfigName);
INSTANTIATE_TEST_SUITE_P(DirectDraw, EightBitBitmaps, ::testing::Values(kDisplayConfigs[3]),
                         ConfigName);
INSTANTIATE_TEST_SUITE_P(Direct3D, Direct3DBitmaps,
                         ::testing::Values(kDisplayConfigs[0], kDisplayConfigs[1],
                                           kDisplayConfigs[2]),
                         ConfigName);

}  // namespace

// The sample game's images and half-mix tables: the palette and its image, the palettes of
// the palette numbers and their tables, every image the standard surface table names loading
// in every configuration, and the tables loading where the 8-bit display reads them.
#include "gen/sample_images.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "draw_fixture.h"
#include "gfx/fade.h"
#include "gfx/hbt_table.h"
#include "gfx/palette_file.h"
#include "gfx/surface_tables.h"
#include "platform/host_path.h"
#include "platform/image_decoder.h"
#include "platform/message_box.h"

namespace {

using plat::PALETTEENTRY;

bool Same(const PALETTEENTRY& a, const PALETTEENTRY& b) {
    return a.peRed == b.peRed && a.peGreen == b.peGreen && a.peBlue == b.peBlue;
}

long Distance(const PALETTEENTRY& e, int r, int g, int b) {
    const long dr = e.peRed - r, dg = e.peGreen - g, db = e.peBlue - b;
    return dr * dr + dg * dg + db * db;
}

TEST(SampleImages, PaletteHasOneKeyAndNoTwins) {
    PALETTEENTRY p[256];
    gen::SamplePalette(p);
    EXPECT_TRUE(Same(p[0], PALETTEENTRY{255, 0, 255, 0}));
    for (int i = 1; i < 256; ++i) {
        EXPECT_FALSE(Same(p[i], p[0])) << i;
        for (int j = 1; j < i; ++j) EXPECT_FALSE(Same(p[i], p[j])) << i << " " << j;
    }
}

TEST(SampleImages, PaletteImageHoldsThePaletteTwice) {
    TempDir dir;
    ASSERT_TRUE(gen::WriteSampleBitmap("Palette.bmp", gen::PaletteImage()));
    std::ifstream in("Palette.bmp", std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
    plat::DecodedImage image;
    ASSERT_TRUE(plat::DecodeBmp(bytes.data(), bytes.size(), image, nullptr));
    EXPECT_EQ(image.bitCount, 8);
    EXPECT_EQ(image.paletteCount, 256);
    PALETTEENTRY p[256];
    gen::SamplePalette(p);
    for (int i = 0; i < 256; ++i) EXPECT_EQ(image.palette[i], Argb(p[i])) << i;
    EXPECT_EQ(image.IndexAt(0, 0), 0);
    for (int k = 0; k < 16; ++k)
        for (int c = 0; c < 16; ++c) EXPECT_EQ(image.IndexAt(c, 8 + k), 16 * k + c);
}

// The palette of each palette number is the player's own transformation of the sample
// palette (rotation below 12, one ramp copied over all from 12 on), and each table entry is
// the nearest entry to the mix of its two colours.
TEST(SampleImages, HalfMixTablesFollowTheirPalettes) {
    PALETTEENTRY base[256], mine[256], players[256];
    gen::SamplePalette(base);
    const int savedBpp = nBpp;
    nBpp = 8;
    for (int n : {0, 5, 11}) {
        gen::HbtPalette(base, n, mine);
        PalRotate(players, 16, 207, n * 16, 1, base);
        for (int i = 0; i < 256; ++i) EXPECT_TRUE(Same(mine[i], players[i])) << n << " " << i;
    }
    nBpp = savedBpp;
    gen::HbtPalette(base, 13, mine);
    for (int g = 0; g < 12; ++g)
        for (int j = 0; j < 16; ++j) EXPECT_TRUE(Same(mine[16 + 16 * g + j], base[32 + j]));

    std::vector<std::uint8_t> table(65536);
    gen::MakeHbtTable(base, table.data());
    for (int a = 0; a < 256; a += 7) {
        for (int b = 0; b < 256; b += 5) {
            const int got = table[static_cast<std::size_t>(a) * 256 + b];
            EXPECT_EQ(got, table[static_cast<std::size_t>(b) * 256 + a]);
            if (a == 0 || b == 0) {
                EXPECT_EQ(got, a == 0 ? b : a);  // mixing with the transparent index
                continue;
            }
            ASSERT_GT(got, 0);
            const int r = (base[a].peRed + base[b].peRed) / 2;
            const int g = (base[a].peGreen + base[b].peGreen) / 2;
            const int bl = (base[a].peBlue + base[b].peBlue) / 2;
            for (int i = 1; i < 256; ++i)
                EXPECT_LE(Distance(base[got], r, g, bl), Distance(base[i], r, g, bl));
        }
    }
    EXPECT_EQ(table[200 * 256 + 200], 200);
}

class SampleGame : public DrawTest {};

// Every image the standard table names is written, and every entry loads in every
// configuration once the palette image has set the palette and the transparent colour.
TEST_P(SampleGame, EveryStandardImageLoads) {
    ASSERT_TRUE(gen::WriteSampleImages("."));
    for (int i = 0; i < kStdSurfaceCount; ++i) {
        const std::string name = SurfaceDef[i].szFileName;
        if (name == "E" || name.rfind("bmp\\", 0) != 0) continue;
        EXPECT_TRUE(plat::FileExists(name)) << name;
    }
    EXPECT_TRUE(plat::FileExists("bmp\\back\\Back8.bmp"));
    if (lpDTCon) lpDTCon->rgbTransmit = lpDTCon->rgbTransmit16 = plat::RGBTRIPLE{};
    if (lpDDCon) lpDDCon->rgbTransmit = lpDDCon->rgbTransmit16 = plat::RGBTRIPLE{};
    ASSERT_TRUE(DDLoadPaletteFromFile(Palette, SurfaceDef[0].szFileName, 1));
    ASSERT_EQ(DDSetTransmit(SurfaceDef[0].szFileName), 1);
    LinkSharedSurfaces();
    std::vector<int> all;
    for (int i = 0; i < kStdSurfaceCount; ++i) all.push_back(i);
    plat::ClearShownBoxes();
    ASSERT_TRUE(DDLoadSurfaceSet(StdSD, all.data(), kStdSurfaceCount));
    EXPECT_TRUE(plat::ShownBoxes().empty());
    for (int i = 0; i < 55; ++i) {
        SCOPED_TRACE(SurfaceDef[i].szFileName);
        EXPECT_GT(StdSD[i].nWidth, 0) << i;
        if (!Direct3D() || !StdSD[i].lpShareSD) {
            EXPECT_NE(Storage(&StdSD[i]), nullptr) << i;
        }
    }
    EXPECT_EQ(StdSD[4].nWidth, 256);
    EXPECT_EQ(StdSD[4].nHeight, 480);
    // The transparent colour is the palette image's first pixel: the character sheets'
    // background is transparent.
    EXPECT_EQ(RawPixel(&StdSD[4], 0, 0), Direct3D() ? 0u : dwColorKey);
    for (int i = 0; i < kStdSurfaceCount; ++i) DDReleaseSurface(&StdSD[i]);
}

// The 8-bit display reads its half-mix table from the file; Direct3D never needs one.
TEST_P(SampleGame, HalfMixTablesLoadIntoTheTable) {
    ASSERT_TRUE(gen::WriteHbtTables("."));
    for (int n = 0; n < 24; ++n) {
        char name[40];
        std::snprintf(name, sizeof name, "bmp/hbt/hbt%02d.dat", n);
        EXPECT_EQ(std::filesystem::file_size(name), 65536u) << name;
    }
    std::memset(HbtTable, 0xEE, sizeof HbtTable);
    EXPECT_TRUE(DDLoadHbtTable(HbtTable, "bmp\\hbt\\hbt07.dat"));
    PALETTEENTRY base[256], palette[256];
    gen::SamplePalette(base);
    gen::HbtPalette(base, 7, palette);
    std::vector<std::uint8_t> expected(65536);
    gen::MakeHbtTable(palette, expected.data());
    if (Direct3D()) {
        EXPECT_EQ(HbtTable[1234], 0xEE);
    } else {
        EXPECT_EQ(std::memcmp(HbtTable, expected.data(), 65536), 0);
        EXPECT_FALSE(DDLoadHbtTable(HbtTable, "bmp\\hbt\\hbt99.dat"));
        // A short file fills what it has.
        std::ofstream("bmp/hbt/short.dat", std::ios::binary) << "abc";
        std::memset(HbtTable, 0xEE, sizeof HbtTable);
        EXPECT_TRUE(DDLoadHbtTable(HbtTable, "bmp\\hbt\\short.dat"));
        EXPECT_EQ(HbtTable[2], 'c');
        EXPECT_EQ(HbtTable[3], 0xEE);
    }
}

INSTANTIATE_TEST_SUITE_P(Configs, SampleGame, ::testing::ValuesIn(kDisplayConfigs), ConfigName);

}  // namespace

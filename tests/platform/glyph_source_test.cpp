// The glyph source and the text calls on it: face names to IPA families, cell metrics of the
// real faces, characters CP932 does not decode, and GDI text on surface pixels (colours per
// format, palette indices, clipping).
#include "platform/glyph_source.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/gdi_text.h"
#include "platform/soft_device.h"
#include "platform/synthetic_glyph_source.h"

namespace {

TEST(GlyphSource, FaceNamesMapToIpaFamilies) {
    struct Case {
        const char* face;
        const char* family;
    };
    const Case cases[] = {
        {"ＭＳ ゴシック", "IPAGothic"},
        {"ＭＳ Ｐゴシック", "IPAPGothic"},
        {"ＭＳ 明朝", "IPAMincho"},
        {"ＭＳ Ｐ明朝", "IPAPMincho"},
        {"HGP明朝B", "IPAPMincho"},
        {"MS Gothic", "IPAGothic"},
        {"", "IPAPGothic"},
        {"Arial", "sans-serif:lang=ja"},
    };
    for (const Case& c : cases) EXPECT_EQ(plat::MapFaceName(c.face), c.family) << c.family;
}

// The faces the player draws with: a positive height is the cell, half-width characters
// advance half of it, and what CP932 does not decode has no glyph.
TEST(GlyphSource, IpaFacesAnswerFromTheFaceThatDraws) {
    ASSERT_FALSE(plat::ResolveFontFile("IPAGothic").empty()) << "fonts-ipafont-gothic";
    plat::InjectGlyphSource(nullptr);
    for (int height : {9, 16, 30}) {
        SCOPED_TRACE(height);
        std::shared_ptr<plat::GlyphFace> face =
            plat::CurrentGlyphSource().OpenFace("ＭＳ ゴシック", height);
        EXPECT_EQ(face->CellHeight(), height);
        EXPECT_GT(face->Ascent(), height / 2);
        EXPECT_LE(face->Ascent(), height);
        const plat::Glyph* a = face->Find('A');
        const plat::Glyph* kana = face->Find(0x82A0);  // あ
        ASSERT_NE(a, nullptr);
        ASSERT_NE(kana, nullptr);
        EXPECT_EQ(kana->advance, height);
        EXPECT_LE(std::abs(a->advance * 2 - height), 1);
        int ink = 0;
        for (std::uint8_t b : kana->bits) ink += b;
        EXPECT_GT(ink, 0);
        EXPECT_EQ(face->Find(0x81), nullptr);    // a lone lead byte
        EXPECT_EQ(face->Find(0xFD), nullptr);    // not a CP932 byte
        EXPECT_EQ(face->Find('\n'), nullptr);    // control characters draw nothing
        EXPECT_EQ(face->Find(0x8240), nullptr);  // a gap of the table
        EXPECT_EQ(face->Find('A'), a);           // rendered once, then kept
    }
}

TEST(GlyphSource, CharacterCodes) {
    int bytes = 0;
    EXPECT_EQ(plat::NextCharCode("\x82\xA0", 2, &bytes), 0x82A0);
    EXPECT_EQ(bytes, 2);
    EXPECT_EQ(plat::NextCharCode("\x82\xA0", 1, &bytes), 0x82);  // the trail is not there
    EXPECT_EQ(bytes, 1);
    EXPECT_EQ(plat::NextCharCode("\x81\x20", 2, &bytes), 0x81);  // no trail byte
    EXPECT_EQ(bytes, 1);
    EXPECT_EQ(plat::NextCharCode("\xB1", 1, &bytes), 0xB1);
    EXPECT_EQ(plat::Cp932CodePoint(0xB1), 0xFF71u);  // half-width katakana
    EXPECT_EQ(plat::Cp932CodePoint(0x5C), 0x5Cu);    // a backslash stays one
    EXPECT_EQ(plat::Cp932CodePoint(0x82A0), 0x3042u);
}

// GDI text on surfaces of each format: ink pixels in the text colour, nothing else touched;
// PALETTEINDEX names the pixel at 8 bits; ETO_CLIPPED keeps ink in its rectangle.
TEST(GdiText, TextOnSurfacePixels) {
    plat::InjectGlyphSource(std::make_shared<plat::SyntheticGlyphSource>());
    plat::HFONT font = plat::CreateFontA(16, 0, 0, 0, plat::FW_NORMAL, 0, 0, 0,
                                         plat::SHIFTJIS_CHARSET, 0, 0, 0, 0, "ＭＳ ゴシック");
    ASSERT_NE(font, nullptr);
    struct Case {
        plat::D3DFORMAT format;
        plat::COLORREF colour;
        std::uint32_t pixel;
    };
    const Case cases[] = {
        {plat::D3DFMT_P8, plat::PALETTEINDEX(241), 241},
        {plat::D3DFMT_R5G6B5, plat::RGB(255, 0, 0), 0xF800},
        {plat::D3DFMT_X8R8G8B8, plat::RGB(1, 2, 3),
         plat::ArgbToPixel(plat::D3DFMT_X8R8G8B8, 0xFF010203u)},
        {plat::D3DFMT_A8R8G8B8, plat::RGB(0, 0, 255), 0xFF0000FFu},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        auto surface = plat::SoftSurface::Create(40, 20, c.format);
        plat::DeviceContext dc(surface.get(), nullptr);
        plat::SelectObject(&dc, font);
        plat::SetTextColor(&dc, c.colour);
        ASSERT_TRUE(plat::TextOutA(&dc, 3, 2, "A", 1));
        for (int y = 0; y < 20; ++y)
            for (int x = 0; x < 40; ++x) {
                // The synthetic 'A': 6 x 14 ink pixels one pixel inside its cell at (3, 2).
                const int i = x - 4, j = y - 3;
                const bool ink =
                    i >= 0 && i < 6 && j >= 0 && j < 14 && plat::SyntheticInk('A', i, j);
                ASSERT_EQ(surface->Pixel(x, y), ink ? c.pixel : 0u) << x << "," << y;
            }
        plat::SIZE size;
        ASSERT_TRUE(plat::GetTextExtentPoint32A(&dc, "Aあ", 3, &size));
        EXPECT_EQ(size.cx, 24);
        EXPECT_EQ(size.cy, 16);
    }
    auto surface = plat::SoftSurface::Create(40, 20, plat::D3DFMT_P8);
    plat::DeviceContext dc(surface.get(), nullptr);
    plat::SelectObject(&dc, font);
    plat::SetTextColor(&dc, plat::PALETTEINDEX(9));
    const plat::RECT clip{0, 0, 6, 8};
    plat::ExtTextOutA(&dc, 0, 0, plat::ETO_CLIPPED, &clip, "あ", 2, nullptr);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x)
            if (x >= 6 || y >= 8) ASSERT_EQ(surface->Pixel(x, y), 0u) << x << "," << y;
    plat::DeleteObject(font);
    plat::InjectGlyphSource(nullptr);
}

}  // namespace

// The font class over the six configurations with the synthetic glyph source: where glyphs
// land (cells, single- and double-byte rules, centring, line feeds, the full-width space),
// letter icons, the glyph caches (the same pixels as without them, additions at first use,
// a full cache, capacities), window boxes, measuring, and recovery from a lost display.
#include "gfx/font.h"

#include <gtest/gtest.h>

#include <string>

#include "font_fixture.h"
#include "gfx/font_tables.h"
#include "gfx/restore.h"
#include "platform/d3d9.h"
#include "platform/ddraw.h"

namespace {

struct TextCase {
    const char* name;
    std::string text;
    bool centre;
};

// Texts whose every glyph lies inside its cell, so cached and direct drawing agree.
const TextCase kTexts[] = {
    {"Ascii", "AB", false},
    {"FullWidthSpaceOnlyAdvances",
     "A\x81\x40"
     "B",
     false},
    {"LineFeeds", "A\nB\n\nC", false},
    {"HalfWidthKatakana", "\xB1\xDF\xA6", false},
    {"CachedDoubleByte", "あア", false},
    {"UncachedDoubleByte", "漢字", false},
    {"MixedCentred", "Aあ\n漢B", true},
    {"SpacesAndDigits", "1 2", false},
};

class FontText : public FontTest {};

// The same texts with caches off and on: the pixels the layout rules give, in the text
// colour of every depth.
TEST_P(FontText, GlyphsLandWhereTheLayoutSays) {
    for (int cache : {0, 1}) {
        for (const TextCase& c : kTexts) {
            SCOPED_TRACE(std::string(c.name) + (cache ? " cached" : " direct"));
            font.Release();
            Make(16, 16, 16, cache);
            font.bCentre = c.centre ? 1 : 0;
            // Start-up sets the setting after the caches were made, and makes them again.
            font.MakeHalfCache();
            font.MakeFullCache(1);
            Ground();
            font.Draw(&BackBuffer, 3, 2, c.text.c_str(), 0);
            TextModel model;
            model.centre = c.centre;
            EXPECT_EQ(Region(&BackBuffer, 0, 0, 100, 70), model.Draw(c.text, 3, 2, 0, 0, 100, 70));
        }
    }
}

// The 10-dot font: a single byte one pixel above its cell, which the cell keeps.
TEST_P(FontText, TenDotFont) {
    for (int cache : {0, 1}) {
        SCOPED_TRACE(cache);
        font.Release();
        font.Create("ＭＳ ゴシック", 0, 9, 10, 10, kTextColour, &windowSD, 1, 6, nullptr, cache);
        Ground();
        font.Draw(&BackBuffer, 5, 5, "FPS60( 1)", 0);
        TextModel model;
        model.height = 9;
        model.pitch = model.line = 10;
        EXPECT_EQ(Region(&BackBuffer, 0, 0, 110, 20), model.Draw("FPS60( 1)", 5, 5, 0, 0, 110, 20));
    }
}

// Glyphs larger than their cells are cut at the cell, drawn directly as from a cache cell.
TEST_P(FontText, GlyphsLargerThanTheirCellsAreCutAtTheCell) {
    Picture pictures[2];
    for (int cache : {0, 1}) {
        font.Release();
        font.Create("ＭＳ ゴシック", 0, 20, 6, 12, kTextColour, &windowSD, 1, 6, nullptr, cache);
        Ground();
        font.Draw(&BackBuffer, 4, 4, "AB漢\nC字", 0);
        pictures[cache] = Region(&BackBuffer, 0, 0, 40, 40);
    }
    EXPECT_EQ(pictures[0], pictures[1]);
    // Nothing beyond the last cell of the first line (x 4 + 3 * 6) nor below the second.
    for (int y = 0; y < 40; ++y) {
        EXPECT_EQ(pictures[0][y].substr(22), std::string(18, 'b')) << y;
        if (y >= 28) EXPECT_EQ(pictures[0][y], std::string(40, 'b')) << y;
    }
    EXPECT_NE(pictures[0][10].find('r'), std::string::npos);
}

// Lower-case letters as icons: cells 0 and 1 of the strip one pitch apart; with bNoIcons
// nothing is drawn for them and the cursor still moves.
TEST_P(FontText, LetterIcons) {
    for (int cache : {0, 1}) {
        SCOPED_TRACE(cache);
        font.Release();
        Make(16, 16, 16, cache, &iconSD);
        EXPECT_EQ(font.bIcons, 1);
        Ground();
        font.Draw(&BackBuffer, 0, 0, "abA", 0);
        TextModel model;
        model.iconCells = true;
        Picture expected = model.Draw("abA", 0, 0, 0, 0, 48, 16);
        for (int y = 2; y < 14; ++y)
            for (int x = 2; x < 14; ++x) {
                expected[y][x] = 'g';
                expected[y][16 + x] = y % 2 == 0 ? 'g' : 'w';
            }
        EXPECT_EQ(Region(&BackBuffer, 0, 0, 48, 16), expected);

        Ground();
        font.Draw(&BackBuffer, 0, 0, "abA", 1);
        EXPECT_EQ(Region(&BackBuffer, 0, 0, 48, 16), model.Draw("abA", 0, 0, 0, 0, 48, 16));
    }
}

// A double-byte character outside the preset list joins the cache at its first use, once,
// and is drawn from the cache afterwards; a full cache draws directly.
TEST_P(FontText, DoubleByteCacheGrowsOnceAndAFullCacheDrawsDirectly) {
    Make(16, 16, 16, 1);
    cFastFont* full = font.m_lpFastFont_FullAdd.get();
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(full->nCount, 256);
    TextModel model;
    const Picture expected = model.Draw("漢", 0, 0, 0, 0, 16, 16);
    font.Draw(&BackBuffer, 0, 0, "漢", 0);
    EXPECT_EQ(full->nCount, 257);
    ASSERT_NE(full->Find("漢"), nullptr);
    EXPECT_EQ(full->Find("漢")->nIndex, 256);
    EXPECT_EQ(Region(&BackBuffer, 0, 0, 16, 16), expected);
    // The cell holds the glyph: a second draw blits it.
    Ground();
    font.Draw(&BackBuffer, 0, 0, "漢漢", 0);
    EXPECT_EQ(full->nCount, 257);
    EXPECT_EQ(Region(&BackBuffer, 0, 0, 32, 16), model.Draw("漢漢", 0, 0, 0, 0, 32, 16));

    // Fill the cache with codes nobody draws; the next new character is drawn directly.
    for (unsigned code = 0x8940; full->nCount < full->nCapacity; ++code) {
        const char bytes[3] = {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF), 0};
        full->Add(bytes);
    }
    Ground();
    font.Draw(&BackBuffer, 0, 0, "字", 0);
    EXPECT_EQ(full->nCount, full->nCapacity);
    EXPECT_EQ(full->Find("字"), nullptr);
    EXPECT_EQ(Region(&BackBuffer, 0, 0, 16, 16), model.Draw("字", 0, 0, 0, 0, 16, 16));
}

// Cache sizes: 16 x 16 single-byte cells, and the double-byte cache by back end and size.
TEST_P(FontText, CacheCapacities) {
    struct Size {
        int pitch, d3d, dd;
    };
    // Direct3D: min(1024 / pitch, 32) squared; DirectDraw: min(640 / pitch, 32) columns by
    // min(480 / pitch, 30) rows.
    for (const Size& s : {Size{10, 1024, 960}, Size{16, 1024, 960}, Size{32, 1024, 300}}) {
        SCOPED_TRACE(s.pitch);
        font.Release();
        Make(s.pitch, s.pitch, s.pitch, 1);
        ASSERT_NE(font.m_lpFastFont_Half, nullptr);
        EXPECT_EQ(font.m_lpFastFont_Half->nCapacity, 256);
        ASSERT_NE(font.m_lpFastFont_FullAdd, nullptr);
        EXPECT_EQ(font.m_lpFastFont_FullAdd->nCapacity, Direct3D() ? s.d3d : s.dd);
        EXPECT_EQ(font.m_lpFastFont_FullAdd->nCount,
                  std::min(256, font.m_lpFastFont_FullAdd->nCapacity));
    }
}

// A cache asked for without a pitch: logged, no caches, proportional text by advances.
TEST_P(FontText, CacheWithoutPitchDrawsUncached) {
    Make(16, 0, 16, 1);
    EXPECT_NE(ErrorText().find("※フォントクラスで文字間が未設定！"), std::string::npos);
    EXPECT_EQ(font.m_lpFastFont_Half, nullptr);
    EXPECT_EQ(font.m_lpFastFont_FullAdd, nullptr);
    font.Draw(&BackBuffer, 2, 1, "AあB\nC", 0);
    // Proportional: each glyph follows the previous one's advance, lines one line height
    // apart, glyphs at the cell's top-left.
    Picture expected(40, std::string(60, 'b'));
    TextModel model;
    model.Ink(expected, 0, 0, 'A', 2, 1);
    model.Ink(expected, 0, 0, 0x82A0, 2 + 8, 1);
    model.Ink(expected, 0, 0, 'B', 2 + 8 + 16, 1);
    model.Ink(expected, 0, 0, 'C', 2, 17);
    EXPECT_EQ(Region(&BackBuffer, 0, 0, 60, 40), expected);
}

// Text into a surface that is not a render target goes through the work surface and gives
// the same pixels as text into a render target.
TEST_P(FontText, SurfaceThatIsNotARenderTarget) {
    if (!Direct3D()) GTEST_SKIP() << "Direct3D memory types";
    DDSURFACEDATA plain;
    ASSERT_TRUE(DDCreateSurface(&plain, 100, 40, 1, 0, DTMEMORYTYPE_VIDEO_NORT, nullptr, 0));
    for (int cache : {0, 1}) {
        SCOPED_TRACE(cache);
        font.Release();
        Make(16, 16, 16, cache);
        DDFillRect(&plain, 0, 0, 100, 40, kGround);
        font.Draw(&plain, 3, 2, "Aあ\n漢B", 0);
        TextModel model;
        EXPECT_EQ(Region(&plain, 0, 0, 100, 40), model.Draw("Aあ\n漢B", 3, 2, 0, 0, 100, 40));
    }
    DDReleaseSurface(&plain);
}

// Window boxes: sized to the text when w = h = 0, centred on the background for 10000.
TEST_P(FontText, WindowBoxes) {
    Make(16, 16, 16, 0);
    font.DrawWindowF(&BackBuffer, 10, 20, 0, 0, "%s%d", "A", 7);  // 2 cells: 32 x 16
    Picture expected = TextModel{}.Draw("A7", 10, 20, 0, 0, 60, 50);
    for (int y = 19; y <= 36; ++y)
        for (int x = 9; x <= 42; ++x)
            if (y == 19 || y == 36 || x == 9 || x == 42)
                expected[y][x] = 'g';  // the frame, one dot outside
            else if (expected[y][x] != 'r')
                expected[y][x] = 'w';  // the background's top-left
    EXPECT_EQ(Region(&BackBuffer, 0, 0, 60, 50), expected);

    // Centred: x = 200 / 2 - 32 / 2 = 84.
    Ground();
    font.DrawWindowF(&BackBuffer, 10000, 100, 0, 0, "AB");
    EXPECT_EQ(Shows(&BackBuffer, 100, 82, 92), "bgwwwwwwww");
    EXPECT_EQ(Shows(&BackBuffer, 100, 114, 118), "wwgb");

    // A wrapped box is the same as a box sized to the text.
    Ground();
    font.DrawWrap(&BackBuffer, 10, 20, "A7");
    EXPECT_EQ(Region(&BackBuffer, 0, 0, 60, 50), expected);
}

// DrawWindowF cuts its formatted text on a character boundary: 1022 'A' and a double-byte
// character make 1024 bytes, of which 1023 fit; the lead byte left alone would count one
// character more and widen the box by a pitch.
TEST_P(FontText, FormattedTextIsCutOnACharacterBoundary) {
    Make(16, 1, 16, 0);
    const std::string text = std::string(1022, 'A') + "あ";
    font.DrawWindowF(&BackBuffer, -1000, 40, 0, 0, "%s", text.c_str());
    // The frame's top row runs from x - 1 to x + w: to 22 for 1022 characters of one dot.
    EXPECT_EQ(Shows(&BackBuffer, 39, 20, 25), "gggbb");
}

TEST_P(FontText, TextSizes) {
    Make(16, 16, 20, 0);
    struct Size {
        std::string text;
        int cx, cy;
    };
    const Size sizes[] = {
        {"", 0, 20},
        {"ab\n", 32, 40},
        {std::string(600, 'x'), 600 * 16, 20},
        {"あいう\nab", 48, 40},
        {"\x81", 16, 20},  // a lone lead byte counts one
    };
    for (const Size& s : sizes) {
        SCOPED_TRACE(s.text.substr(0, 8));
        const plat::SIZE size = font.GetTextSize(s.text.c_str());
        EXPECT_EQ(size.cx, s.cx);
        EXPECT_EQ(size.cy, s.cy);
    }
    // Extents in the face that draws: the advances of the widest line.
    plat::SIZE extent;
    plat::DeviceContext none(nullptr, nullptr);
    font.GetTextExtent(&extent, &none, "Aあ\nB");
    EXPECT_EQ(extent.cx, 24);
    EXPECT_EQ(extent.cy, 40);
}

// A lost display: text and digit strips look as before in both back ends, with caches.
TEST_P(FontText, DeviceLoss) {
    Make(16, 16, 16, 1);
    DDSURFACEDATA strip;
    ASSERT_TRUE(DDCreateSurface(&strip, 160, 16, 1, 0, 0, nullptr, 0));
    RenderDigits(&strip, font);
    font.Draw(&BackBuffer, 0, 0, "A漢", 0);  // one added glyph to restore too
    const Picture text = Region(&BackBuffer, 0, 0, 40, 16);
    DDBltRect(&BackBuffer, 0, 20, 160, 16, &strip, 0, 0, 1);
    const Picture digits = Region(&BackBuffer, 0, 20, 160, 16);
    EXPECT_EQ(digits, TextModel{}.Draw("0123456789", 0, 20, 0, 20, 160, 16));

    if (Direct3D()) {
        lpDevice->SimulateDeviceLoss();
        EXPECT_EQ(DDRestoreSurface(), 0);
        EXPECT_EQ(DDRestoreSurface(), 1);
        EXPECT_NE(ErrorText().find("Font i = 0"), std::string::npos);
        EXPECT_EQ(strip.bLost, 1);
        RenderDigits(&strip, font);
        strip.bLost = 0;
    } else {
        lpDD->SimulateSurfaceLoss();
        EXPECT_TRUE(DDRestore());
        if (strip.lpDS->lpDDSurface->IsLost() == plat::DDERR_SURFACELOST) {
            strip.lpDS->lpDDSurface->Restore();
            RenderDigits(&strip, font);
        }
        SetTestPalette();
    }
    Ground();
    font.Draw(&BackBuffer, 0, 0, "A漢", 0);
    EXPECT_EQ(Region(&BackBuffer, 0, 0, 40, 16), text);
    DDBltRect(&BackBuffer, 0, 20, 160, 16, &strip, 0, 0, 1);
    EXPECT_EQ(Region(&BackBuffer, 0, 20, 160, 16), digits);
    DDReleaseSurface(&strip);
}

INSTANTIATE_TEST_SUITE_P(Configs, FontText, ::testing::ValuesIn(kDisplayConfigs), ConfigName);

}  // namespace

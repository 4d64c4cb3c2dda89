// Font tests over the six configurations: the synthetic glyph source injected, a window
// background and a letter-icon strip, and a model of where each glyph's ink must land, so
// that a test compares a whole region of pixels with what the layout rules say.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/sjis.h"
#include "draw_fixture.h"
#include "gfx/fill.h"
#include "gfx/font.h"
#include "platform/synthetic_glyph_source.h"

// Text colour: palette entry 5 (red); the ground the text is drawn on: entry 7 (blue).
constexpr int kTextColour = 5;
constexpr int kGround = 7;

// A region of letters as Shows reads them, row by row.
using Picture = std::vector<std::string>;

inline Picture Region(DDSURFACEDATA* sd, int x, int y, int w, int h) {
    Picture p;
    for (int row = y; row < y + h; ++row) p.push_back(Shows(sd, row, x, x + w));
    return p;
}

// What a font must draw: the layout of the font class (cells of pitch x line height, glyphs
// placed by the single-byte, double-byte and centring rules) over the synthetic glyphs,
// clipped to the region. Letters that take icons are left to the caller.
struct TextModel {
    int height = 16;  // the face's cell height
    int pitch = 16;
    int line = 16;
    bool centre = false;
    bool iconCells = false;  // a-z are icon cells (no glyph)

    void Ink(Picture& p, int x0, int y0, std::uint16_t code, int gx, int gy) const {
        if (plat::Cp932CodePoint(code) == 0) return;
        const int advance = code > 0xFF ? height : height / 2;
        const int w = advance > 2 ? advance - 2 : 0, h = height > 2 ? height - 2 : 0;
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) {
                if (!plat::SyntheticInk(code, i, j)) continue;
                const int px = gx + 1 + i - x0, py = gy + 1 + j - y0;
                if (py >= 0 && py < static_cast<int>(p.size()) && px >= 0 &&
                    px < static_cast<int>(p[py].size()))
                    p[py][px] = 'r';
            }
    }
    // The picture of text drawn at (x, y), over a region at (x0, y0) of w x h filled with
    // the ground.
    Picture Draw(const std::string& text, int x, int y, int x0, int y0, int w, int h) const {
        Picture p(h, std::string(w, 'b'));
        int dx = 0, dy = 0;
        for (std::size_t i = 0; i < text.size();) {
            const char* c = text.c_str() + i;
            const auto b = static_cast<unsigned char>(*c);
            if (IsSjisDoubleByte(c)) {
                const auto code =
                    static_cast<std::uint16_t>(b << 8 | static_cast<unsigned char>(c[1]));
                if (code != 0x8140) {
                    int gx = x + dx, gy = y + dy;
                    if (centre) {
                        gx += pitch / 2 - height / 2;
                        gy += line / 2 - height / 2;
                    }
                    Ink(p, x0, y0, code, gx, gy);
                }
                dx += pitch;
                i += 2;
                continue;
            }
            ++i;
            if (b == '\n') {
                dx = 0;
                dy += line;
                continue;
            }
            if (b != ' ' && !(iconCells && b >= 'a' && b <= 'z')) {
                int gx = x + dx, gy = y + dy;
                if (centre) {
                    gx += pitch / 2 - (height / 2) / 2;
                    gy += line / 2 - height / 2;
                } else {
                    gx += pitch / 8;
                    gy += line / 16 - 1;
                }
                Ink(p, x0, y0, b, gx, gy);
            }
            dx += pitch;
        }
        return p;
    }
};

class FontTest : public DrawTest {
protected:
    void SetUp() override {
        plat::InjectGlyphSource(std::make_shared<plat::SyntheticGlyphSource>());
        DrawTest::SetUp();
        if (HasFatalFailure()) return;
        // The window background: white; the icon strip: icon k filled with green for even
        // k, blue-green stripes for odd k, so neighbouring cells differ.
        ASSERT_TRUE(DDCreateSurface(&windowSD, 200, 120, 0, 0, 0, nullptr, 0));
        DDFillRect(&windowSD, 0, 0, 200, 120, 8);
        ASSERT_TRUE(DDCreateSurface(&iconSD, 26 * 16, 16, 1, 0, 0, nullptr, 0));
        Picture strip(16, std::string(26 * 16, 'k'));
        for (int k = 0; k < 26; ++k)
            for (int y = 2; y < 14; ++y)
                for (int x = 2; x < 14; ++x)
                    strip[y][k * 16 + x] = (k % 2 == 0 || y % 2 == 0) ? 'g' : 'w';
        Paint(&iconSD, strip);
        Ground();
    }
    void TearDown() override {
        font.Release();
        DDReleaseSurface(&windowSD);
        DDReleaseSurface(&iconSD);
        DrawTest::TearDown();
        plat::InjectGlyphSource(nullptr);
    }
    // The back buffer's top-left 320 x 160 filled with the ground.
    void Ground() { DDFillRect(&BackBuffer, 0, 0, 320, 160, kGround); }
    void Make(int height, int pitch, int line, int cache, DDSURFACEDATA* icons = nullptr) {
        font.Create("ＭＳ ゴシック", 0, height, pitch, line, kTextColour, &windowSD, 1, 6, icons,
                    cache);
    }

    Font font;
    DDSURFACEDATA windowSD;
    DDSURFACEDATA iconSD;
};

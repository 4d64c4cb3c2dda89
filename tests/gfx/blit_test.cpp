// Blits in every configuration, exact to the pixel: the clipping rule at every edge, the
// proportional shrink of a clipped stretch, mirrors, the colour key of both back ends, the
// software path of the Direct3D back end, blending, and a mirrored standard surface drawing
// with its plain sheet's texture.
#include "gfx/blit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>

#include "draw_fixture.h"
#include "gfx/batch.h"
#include "gfx/fill.h"
#include "gfx/surface_tables.h"
#include "platform/clock.h"
#include "platform/ddraw.h"

namespace {

class Blits : public DrawTest {
protected:
    // A 20-pixel row whose column 10 is white and the others alternate red and green.
    static constexpr const char* kRow = "rgrgrgrgrgwrgrgrgrgr";

    void MakeSource(int width = 20) {
        ASSERT_TRUE(DDCreateSurface(&src, width, 1, 0, 0, 0, nullptr, 0));
        Paint(&src, {std::string(kRow).substr(0, static_cast<std::size_t>(width))});
    }
    void MakeTarget(int width) {
        ASSERT_TRUE(DDCreateSurface(&dst, width, 1, 0, 0, 0, nullptr, 0));
        Paint(&dst, {std::string(static_cast<std::size_t>(width), 'b')});
    }

    DDSURFACEDATA src, dst;
};

// The unscaled rule: a negative destination cuts the source's left side; a source left of 0
// is cut but keeps its destination; the right edge is cut against the destination in every
// case, also after a negative destination.
struct ClipCase {
    const char* name;
    int dstWidth;
    int x, w, sx;
    const char* shows;
};

const ClipCase kClipCases[] = {
    {"NegativeDestination", 30, -10, 20, 0, "wrgrgrgrgrbbbbbbbbbbbbbbbbbbbb"},
    {"SourceLeftOfZero", 30, 5, 20, -5, "bbbbbrgrgrgrgrgwrgrgbbbbbbbbbb"},
    {"NegativeDestinationAndRightEdge", 8, -2, 20, 0, "rgrgrgrg"},
    {"RightEdge", 30, 25, 20, 0, "bbbbbbbbbbbbbbbbbbbbbbbbbrgrgr"},
    {"SourceRightOfItsEnd", 30, 0, 10, 15, "rgrgrbbbbbbbbbbbbbbbbbbbbbbbbb"},
    {"WhollyOutside", 30, 30, 20, 0, "bbbbbbbbbbbbbbbbbbbbbbbbbbbbbb"},
};

TEST_P(Blits, UnscaledClipping) {
    MakeSource();
    for (const ClipCase& c : kClipCases) {
        SCOPED_TRACE(c.name);
        DDReleaseSurface(&dst);
        MakeTarget(c.dstWidth);
        DDBltRect(&dst, c.x, 0, c.w, 1, &src, c.sx, 0, 0);
        EXPECT_EQ(Shows(&dst, 0), c.shows);
    }
}

// A stretch whose source is cut keeps its position and shrinks in proportion; each back end
// samples as its device does (Direct3D the texel under the pixel centre, DirectDraw the
// texel at the pixel's left edge).
TEST_P(Blits, ClippedStretchShrinksInProportion) {
    MakeSource();
    MakeTarget(10);
    DDBltScale(&dst, 0, 0, 10, 1, &src, -10, 0, 20, 1, 0);
    EXPECT_EQ(Shows(&dst, 0), Direct3D() ? "gggggbbbbb" : "rrrrrbbbbb");
    // Left of the destination: DirectDraw cuts the source, Direct3D leaves the off-screen
    // part to the viewport; both show the same pixels.
    Paint(&dst, {"bbbbbbbbbb"});
    DDBltScale(&dst, -4, 0, 8, 1, &src, 0, 0, 4, 1, 0);
    EXPECT_EQ(Shows(&dst, 0), "rrggbbbbbb");
    // Right of it.
    Paint(&dst, {"bbbbbbbbbb"});
    DDBltScale(&dst, 6, 0, 8, 1, &src, 8, 0, 4, 1, 0);
    EXPECT_EQ(Shows(&dst, 0), "bbbbbbrrgg");
}

// The same vertically, on a column: rows red, green, blue, white stretched or shrunk into a
// 10-row column cut at its top or bottom. DirectDraw cuts the source in proportion to the
// cut destination (trunc) and then samples the row at each pixel's top edge; Direct3D
// leaves the cut to the viewport and samples under the pixel centre.
struct VerticalStretchCase {
    const char* name;
    int dy, dh;
    const char* directDraw;  // the column, top to bottom
    const char* direct3D;
    int clipped[4];  // DirectDraw's dy, dh, sy, sh after clipping
};

// (The column is painted with the key colour, which a Direct3D texture holds as transparent.)
const VerticalStretchCase kVerticalStretchCases[] = {
    {"DoubledCutAtTheTop", -4, 8, "bbwwkkkkkk", "bbwwtttttt", {0, 4, 2, 2}},
    {"DoubledCutAtTheBottom", 6, 8, "kkkkkkrrgg", "ttttttrrgg", {6, 4, 0, 2}},
    {"ShrunkCutAtTheTop", -1, 3, "gbkkkkkkkk", "bwtttttttt", {0, 2, 1, 3}},
    {"ShrunkCutAtTheBottom", 8, 3, "kkkkkkkkrg", "ttttttttrb", {8, 2, 0, 2}},
    {"WhollyAbove", -8, 8, "kkkkkkkkkk", "tttttttttt", {}},
};

TEST_P(Blits, VerticallyClippedStretch) {
    ASSERT_TRUE(DDCreateSurface(&src, 1, 4, 0, 0, 0, nullptr, 0));
    Paint(&src, {"r", "g", "b", "w"});
    ASSERT_TRUE(DDCreateSurface(&dst, 1, 10, 0, 0, 0, nullptr, 0));
    for (const VerticalStretchCase& c : kVerticalStretchCases) {
        SCOPED_TRACE(c.name);
        Paint(&dst, std::vector<std::string>(10, "k"));
        DDBltScale(&dst, 0, c.dy, 1, c.dh, &src, 0, 0, 1, 4, 0);
        std::string column;
        for (int y = 0; y < 10; ++y) column += Shows(&dst, y, 0, 1);
        EXPECT_EQ(column, Direct3D() ? c.direct3D : c.directDraw);
        int v[8] = {0, c.dy, 1, c.dh, 0, 0, 1, 4};
        const int result =
            DDClipBlt(&dst, &v[0], &v[1], &v[2], &v[3], &src, &v[4], &v[5], &v[6], &v[7]);
        if (Direct3D()) {
            // Only the source is clipped; it lies wholly inside its surface.
            EXPECT_EQ(result, 1);
            EXPECT_EQ(v[1], c.dy);
            EXPECT_EQ(v[3], c.dh);
            EXPECT_EQ(v[7], 4);
        } else if (c.clipped[1] == 0) {
            EXPECT_EQ(result, 0);
        } else {
            EXPECT_EQ(result, 1);
            EXPECT_EQ(v[1], c.clipped[0]);
            EXPECT_EQ(v[3], c.clipped[1]);
            EXPECT_EQ(v[5], c.clipped[2]);
            EXPECT_EQ(v[7], c.clipped[3]);
        }
    }
}

struct ClipBltCase {
    const char* name;
    int dx, dy, dw, dh, sx, sy, sw, sh;
    int result;
    int out[8];  // dx, dy, dw, dh, sx, sy, sw, sh after clipping
};

// DDClipBlt itself on a 40 x 30 destination and a 20 x 10 source.
const ClipBltCase kClipBltCases[] = {
    {"Inside", 3, 4, 5, 6, 1, 2, 5, 6, 1, {3, 4, 5, 6, 1, 2, 5, 6}},
    {"NothingWide", 0, 0, 0, 5, 0, 0, 0, 5, 0, {0, 0, 0, 5, 0, 0, 0, 5}},
    {"BelowAndRight", 35, 28, 10, 10, 0, 0, 10, 10, 1, {35, 28, 5, 2, 0, 0, 5, 2}},
    {"AboveAndLeft", -3, -2, 10, 5, 0, 0, 10, 5, 1, {0, 0, 7, 3, 3, 2, 7, 3}},
    {"SourceBeyondItsSize", 0, 0, 10, 10, 15, 5, 10, 10, 1, {0, 0, 5, 5, 15, 5, 5, 5}},
    {"ShrinkOfACutStretch", 0, 0, 40, 10, -10, 0, 20, 5, 1, {0, 0, 20, 10, 0, 0, 10, 5}},
};

TEST_P(Blits, ClipRectangles) {
    DDSURFACEDATA big, small;
    ASSERT_TRUE(DDCreateSurface(&big, 40, 30, 0, 0, 0, nullptr, 0));
    ASSERT_TRUE(DDCreateSurface(&small, 20, 10, 0, 0, 0, nullptr, 0));
    for (const ClipBltCase& c : kClipBltCases) {
        SCOPED_TRACE(c.name);
        int v[8] = {c.dx, c.dy, c.dw, c.dh, c.sx, c.sy, c.sw, c.sh};
        EXPECT_EQ(DDClipBlt(&big, &v[0], &v[1], &v[2], &v[3], &small, &v[4], &v[5], &v[6], &v[7]),
                  c.result);
        if (c.result) {
            for (int i = 0; i < 8; ++i) EXPECT_EQ(v[i], c.out[i]) << i;
        }
    }
    // A mirrored stretch: Direct3D keeps the orientation with the edges in order; DirectDraw
    // never reads a surface mirrored, and what it is asked stays mirrored for the device to
    // refuse.
    int v[8] = {0, 0, 8, 1, 24, 0, -8, 1};
    EXPECT_EQ(DDClipBlt(&big, &v[0], &v[1], &v[2], &v[3], &small, &v[4], &v[5], &v[6], &v[7]), 1);
    EXPECT_EQ(v[2], Direct3D() ? 4 : 8);
    EXPECT_EQ(v[4], Direct3D() ? 20 : 24);
    EXPECT_EQ(v[6], Direct3D() ? -4 : -8);
}

TEST_P(Blits, MirroredReadInDirect3DOnly) {
    ASSERT_TRUE(DDCreateSurface(&src, 128, 1, 0, 0, 0, nullptr, 0));
    std::string row(128, 'r');
    for (int x = 64; x < 96; ++x) row[static_cast<std::size_t>(x)] = x % 2 ? 'g' : 'r';
    row[95] = 'w';
    row[64] = 'b';
    Paint(&src, {row});
    MakeTarget(32);
    DDBltScale(&dst, 0, 0, 32, 1, &src, 96, 0, -32, 1, 0);
    if (Direct3D()) {
        std::string mirrored(row.begin() + 64, row.begin() + 96);
        std::reverse(mirrored.begin(), mirrored.end());
        EXPECT_EQ(Shows(&dst, 0), mirrored);  // the left column shows source column 95
    } else {
        EXPECT_EQ(Shows(&dst, 0), std::string(32, 'b'));
    }
}

struct MirrorRectCase {
    int W, H;
    int in[4];  // sx, sy, sw, sh
    int out[4];
};

const MirrorRectCase kMirrorRectCases[] = {
    {32, 0, {40, 0, 16, 8}, {56, 0, -16, 8}},  // part of a cell, mirrored inside it
    {32, 0, {32, 0, 32, 8}, {64, 0, -32, 8}},  // a whole cell
    {32, 0, {10, 0, 48, 8}, {10, 0, 48, 8}},   // wider than a cell: unchanged
    {0, 16, {0, 20, 8, 8}, {0, 28, 8, -8}},    // vertically
    {32, 16, {0, 16, 32, 16}, {32, 32, -32, -16}},
};

TEST_P(Blits, MirrorRectangles) {
    DDSURFACEDATA plain, mirrored;
    for (const MirrorRectCase& c : kMirrorRectCases) {
        mirrored.lpShareSD = &plain;
        mirrored.nMirrorWidth = c.W;
        mirrored.nMirrorHeight = c.H;
        int v[4] = {c.in[0], c.in[1], c.in[2], c.in[3]};
        DDAdjustMirrorRect(&mirrored, &v[0], &v[1], &v[2], &v[3]);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(v[i], Direct3D() ? c.out[i] : c.in[i]) << i;
        // Without a shared texture nothing changes.
        mirrored.lpShareSD = nullptr;
        int w[4] = {c.in[0], c.in[1], c.in[2], c.in[3]};
        DDAdjustMirrorRect(&mirrored, &w[0], &w[1], &w[2], &w[3]);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(w[i], c.in[i]) << i;
    }
}

// Flag 1 leaves the transparent parts of the destination alone; flag 0 gives them the
// transparent colour, in Direct3D by clearing before it draws (the texture's own key is its
// alpha), in DirectDraw by copying the key pixels.
TEST_P(Blits, ColourKeyOntoTheBackBuffer) {
    ASSERT_TRUE(DDCreateSurface(&src, 4, 1, 1, 0, 0, nullptr, 0));
    Paint(&src, {"krgk"});
    Paint(&BackBuffer, {"bbbbbb"});
    DDBltRect(&BackBuffer, 0, 0, 4, 1, &src, 0, 0, 1);
    EXPECT_EQ(Shows(&BackBuffer, 0, 0, 6), "brgbbb");
    DDBltRect(&BackBuffer, 0, 0, 4, 1, &src, 0, 0, 0);
    EXPECT_EQ(Shows(&BackBuffer, 0, 0, 6), "krgkbb");
    // A surface without key keeps its flag-0 copy exact in Direct3D too (nothing cleared).
    DDSURFACEDATA plain;
    ASSERT_TRUE(DDCreateSurface(&plain, 4, 1, 0, 0, 0, nullptr, 0));
    Paint(&plain, {"wrgw"});
    DDBltRect(&BackBuffer, 1, 0, 4, 1, &plain, 0, 0, 0);
    EXPECT_EQ(Shows(&BackBuffer, 0, 0, 6), "kwrgwb");
}

// A keyed sheet loaded from a bitmap is transparent where the bitmap has the transparent
// colour, in every configuration. A 32-bit DirectDraw surface keeps the unused byte of its
// pixels and of its key 0, so a key or a fill given with that byte set (as a D3DCOLOR is)
// still matches the bitmap's transparent pixels.
TEST_P(Blits, KeyedBitmapBlitsTransparent) {
    // Direct3D at 16 bits takes its loader's key from the palette image, not loaded here.
    WriteTestBitmap("bmp/Character1.bmp", {"krgkbk", "gkkrkb"});
    const int set[] = {4};
    ASSERT_TRUE(DDLoadSurfaceSet(StdSD, set, 1));
    DDSURFACEDATA* sheet = &StdSD[4];
    Paint(&BackBuffer, {"wwwwww", "wwwwww"});
    DDBltRect(&BackBuffer, 0, 0, 6, 2, sheet, 0, 0, 1);
    EXPECT_EQ(Shows(&BackBuffer, 0, 0, 6), "wrgwbw");
    EXPECT_EQ(Shows(&BackBuffer, 1, 0, 6), "gwwrwb");
    if (Direct3D() || GetParam().bpp != 32) return;
    for (int x = 0; x < 6; ++x) EXPECT_EQ(RawPixel(sheet, x, 0) >> 24, 0u) << x;
    plat::DDCOLORKEY key{0xFF000000u | dwColorKey, 0xFF000000u | dwColorKey};
    ASSERT_EQ(sheet->lpDS->lpDDSurface->SetColorKey(plat::DDCKEY_SRCBLT, &key), plat::DD_OK);
    D3DFillRect(sheet, 4, 0, 1, 1, 0xFF000000u | dwColorKey);  // the 'b' becomes transparent
    EXPECT_EQ(RawPixel(sheet, 4, 0), RawPixel(sheet, 0, 0));
    Paint(&BackBuffer, {"wwwwww", "wwwwww"});
    DDBltRect(&BackBuffer, 0, 0, 6, 2, sheet, 0, 0, 1);
    EXPECT_EQ(Shows(&BackBuffer, 0, 0, 6), "wrgwww");
    EXPECT_EQ(Shows(&BackBuffer, 1, 0, 6), "gwwrwb");
}

// DirectDraw ignores the blend; Direct3D modulates by the vertex colour and blends by alpha
// with the fixed arithmetic: modulate (t * d + 127) / 255, blend (s * a + d * (255 - a) +
// 127) / 255.
TEST_P(Blits, BlendedBlits) {
    MakeSource(1);
    Paint(&src, {"r"});
    ASSERT_TRUE(DDCreateSurface(&dst, 2, 1, 0, 0, 0, nullptr, 0));
    Paint(&dst, {"bb"});
    const DDBLEND grey{0xFF808080u, plat::D3DTOP_MODULATE};
    DDBltBlend(&dst, 0, 0, 1, 1, &src, 0, 0, 0, &grey);
    D3DSetAlphaOp(plat::D3DTOP_MODULATE);
    const DDBLEND half{0x80FFFFFFu, plat::D3DTOP_MODULATE};
    DDBltBlend(&dst, 1, 0, 1, 1, &src, 0, 0, 0, &half);
    D3DResetAlphaOp();
    if (!Direct3D()) {
        EXPECT_EQ(Shows(&dst, 0), "rr");
        return;
    }
    EXPECT_EQ(lpDTCon->dwDiffuse, 0xFFFFFFFFu);
    EXPECT_EQ(lpDTCon->dwColorOp, plat::D3DTOP_MODULATE);
    EXPECT_EQ(lpDTCon->dwAlphaOp, plat::D3DTOP_SELECTARG1);
    if (Bpp() == 32) {
        EXPECT_EQ(RawPixel(&dst, 0, 0), 0xFF800000u);
        EXPECT_EQ(RawPixel(&dst, 1, 0), 0xBF80007Fu);
    } else {
        // The same values cut to 5 bits: 128 -> 16, 127 -> 15; alpha 191 keeps the bit.
        EXPECT_EQ(Colour(&dst, 0, 0), 0xFF840000u);
        EXPECT_EQ(Colour(&dst, 1, 0), 0xFF84007Bu);
    }
}

// Standard surface 23, the mirrored system-memory copy of Character1: in Direct3D it owns no
// texture and draws mirrored cells from surface 4's; in DirectDraw it holds its own mirrored
// image. Either way the same pixels reach the back buffer.
TEST_P(Blits, MirroredStandardSurfaceDrawsFromItsSheet) {
    const std::vector<std::string> rows = {
        "rrggbbwwkkkkkkkkkkkkkkkkkkkkkkkrgggggggggggggggggggggggggggggggw",
        "wkkkkkkkkkkkkkkkkkkkkkkkkkkkkkkbrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrrg"};
    WriteTestBitmap("bmp/Character1.bmp", rows);
    LinkSharedSurfaces();
    const int set[] = {4, 23};
    ASSERT_TRUE(DDLoadSurfaceSet(StdSD, set, 2));
    EXPECT_EQ(StdSD[23].nWidth, 64);
    EXPECT_EQ(StdSD[23].nMirrorWidth, 32);
    if (Direct3D()) {
        EXPECT_EQ(StdSD[23].lpShareSD, &StdSD[4]);
        EXPECT_EQ(StdSD[23].lpDT->lpTexture, nullptr);
    }
    for (int cell = 0; cell < 2; ++cell) {
        Paint(&BackBuffer, {std::string(40, 'b'), std::string(40, 'b')});
        DDBltRect(&BackBuffer, 0, 0, 32, 2, &StdSD[23], cell * 32, 0, 0);
        for (int y = 0; y < 2; ++y) {
            std::string expected =
                rows[static_cast<std::size_t>(y)].substr(static_cast<std::size_t>(cell) * 32, 32);
            std::reverse(expected.begin(), expected.end());
            EXPECT_EQ(Shows(&BackBuffer, y, 0, 32), expected) << "cell " << cell << " row " << y;
        }
    }
    // Half a cell at an offset is mirrored inside its cell.
    Paint(&BackBuffer, {std::string(40, 'b')});
    DDBltRect(&BackBuffer, 0, 0, 8, 1, &StdSD[23], 40, 0, 1);
    std::string cell1 = rows[0].substr(32, 32);
    std::reverse(cell1.begin(), cell1.end());
    EXPECT_EQ(Shows(&BackBuffer, 0, 0, 8), cell1.substr(8, 8));
}

// A surface that holds nothing is nothing to draw from or into.
TEST_P(Blits, EmptySurfacesDrawNothing) {
    MakeSource();
    MakeTarget(20);
    DDSURFACEDATA empty;
    EXPECT_EQ(DDBltRect(&dst, 0, 0, 5, 1, &empty, 0, 0, 0), 0);
    EXPECT_EQ(DDBltRect(&empty, 0, 0, 5, 1, &src, 0, 0, 0), 0);
    EXPECT_EQ(DDBltRect(nullptr, 0, 0, 5, 1, &src, 0, 0, 0), 0);
    EXPECT_EQ(DDBltScale(&dst, 0, 0, 5, 1, nullptr, 0, 0, 5, 1, 0), 0);
    EXPECT_EQ(Shows(&dst, 0), std::string(20, 'b'));
}

INSTANTIATE_TEST_SUITE_P(Configs, Blits, ::testing::ValuesIn(kDisplayConfigs), ConfigName);

// The software path of the Direct3D back end: into a texture that is not a render target, or
// from a system-memory texture. Pixels are copied as they are (no blending), scaling
// truncates, and at 16 bits a key test of its own applies.
class SoftwareBlits : public DrawTest {
protected:
    DDSURFACEDATA rt, sys;
};

TEST_P(SoftwareBlits, CopiesTexelsWithoutBlending) {
    ASSERT_TRUE(DDCreateSurface(&rt, 4, 1, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
    ASSERT_TRUE(DDCreateSurface(&sys, 4, 1, 0, 1, DTMEMORYTYPE_SYSTEM, nullptr, 0));
    ASSERT_EQ(sys.lpDT->bRenderTarget, 0);
    const std::uint32_t halfRed = Bpp() == 32 ? 0x80FF0000u : 0x7C00u;  // alpha 0 at 16 bits
    const std::uint32_t blue = Bpp() == 32 ? 0xFF0000FFu : 0x801Fu;
    Storage(&rt)->SetPixel(0, 0, halfRed);
    Storage(&sys)->SetPixel(0, 0, blue);
    DDBltRect(&sys, 0, 0, 1, 1, &rt, 0, 0, 0);
    EXPECT_EQ(RawPixel(&sys, 0, 0), halfRed);
    // The device path blends the same texel.
    DDSURFACEDATA rt2;
    ASSERT_TRUE(DDCreateSurface(&rt2, 4, 1, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
    Storage(&rt2)->SetPixel(0, 0, blue);
    DDBltRect(&rt2, 0, 0, 1, 1, &rt, 0, 0, 0);
    EXPECT_EQ(RawPixel(&rt2, 0, 0), Bpp() == 32 ? 0xBF80007Fu : blue);
}

TEST_P(SoftwareBlits, ScalingTruncates) {
    ASSERT_TRUE(DDCreateSurface(&rt, 3, 1, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
    ASSERT_TRUE(DDCreateSurface(&sys, 7, 1, 0, 1, DTMEMORYTYPE_SYSTEM, nullptr, 0));
    Paint(&rt, {"rgb"});
    DDBltScale(&sys, 0, 0, 7, 1, &rt, 0, 0, 3, 1, 0);
    EXPECT_EQ(Shows(&sys, 0), "rrrggbb");  // column trunc(k * 3 / 7)
    DDSURFACEDATA wide;
    ASSERT_TRUE(DDCreateSurface(&wide, 7, 1, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
    DDBltScale(&wide, 0, 0, 7, 1, &rt, 0, 0, 3, 1, 0);
    EXPECT_EQ(Shows(&wide, 0), "rrgggbb");  // the texel under the centre, floor((k + 0.5) * 3 / 7)
    // Mirrored: column sx + trunc(k * rx) - 1 reading backwards.
    Paint(&sys, {"wwwwwww"});
    DDBltScale(&sys, 0, 0, 3, 1, &rt, 3, 0, -3, 1, 0);
    EXPECT_EQ(Shows(&sys, 0), "bgrwwww");
}

// A huge rectangle (a damaged effect record) costs no more than the pixels it lands on, and
// positions at the ends of the int range do not overflow: the pixels are those of the same
// blit cut to the destination.
TEST_P(SoftwareBlits, HugeRectanglesCostOnlyTheDestination) {
    ASSERT_TRUE(DDCreateSurface(&rt, 3, 1, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
    ASSERT_TRUE(DDCreateSurface(&sys, 7, 2, 0, 1, DTMEMORYTYPE_SYSTEM, nullptr, 0));
    Paint(&rt, {"rgb"});
    Paint(&sys, {"wwwwwww", "wwwwwww"});
    const std::uint32_t start = plat::timeGetTime();
    // Stretched down 2^31 rows: row 0 reads source row 0, the others truncate to it as well.
    DDBltScale(&sys, 0, 0, 3, INT_MAX, &rt, 0, 0, 3, 1, 0);
    EXPECT_EQ(Shows(&sys, 1), "rgbwwww");
    DDBltRect(&sys, 0, 0, INT_MAX, INT_MAX, &rt, 0, 0, 0);
    DDBltRect(&sys, INT_MIN, INT_MIN, INT_MAX, INT_MAX, &rt, INT_MAX, 0, 0);
    DDBltScale(&sys, INT_MIN, 0, INT_MAX, INT_MAX, &rt, 0, 0, 3, 1, 0);
    EXPECT_LT(plat::timeGetTime() - start, 2000u);
    EXPECT_EQ(Shows(&sys, 0), "rgbwwww");
}

TEST_P(SoftwareBlits, KeyTestOfTheSoftwarePath) {
    ASSERT_TRUE(DDCreateSurface(&rt, 3, 1, 1, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
    ASSERT_TRUE(DDCreateSurface(&sys, 3, 1, 0, 1, DTMEMORYTYPE_SYSTEM, nullptr, 0));
    const std::uint32_t mark = Bpp() == 32 ? 0xFFFFFFFFu : 0xFFFFu;
    for (int x = 0; x < 3; ++x) Storage(&sys)->SetPixel(x, 0, mark);
    if (Bpp() == 32) {
        // Alpha 0 is skipped, whatever the colour; alpha 1 is copied.
        Storage(&rt)->SetPixel(0, 0, 0x00FF0000u);
        Storage(&rt)->SetPixel(1, 0, 0x01FF0000u);
        Storage(&rt)->SetPixel(2, 0, 0xFF00FF00u);
        DDBltRect(&sys, 0, 0, 3, 1, &rt, 0, 0, 1);
        EXPECT_EQ(RawPixel(&sys, 0, 0), mark);
        EXPECT_EQ(RawPixel(&sys, 1, 0), 0x01FF0000u);
        EXPECT_EQ(RawPixel(&sys, 2, 0), 0xFF00FF00u);
    } else {
        // A pixel is skipped when neither its alpha bit nor bit 13 is set: an alpha-0 pixel
        // with that red bit is copied.
        Storage(&rt)->SetPixel(0, 0, 0x001Fu);
        Storage(&rt)->SetPixel(1, 0, 0x2000u);
        Storage(&rt)->SetPixel(2, 0, 0x83E0u);
        DDBltRect(&sys, 0, 0, 3, 1, &rt, 0, 0, 1);
        EXPECT_EQ(RawPixel(&sys, 0, 0), mark);
        EXPECT_EQ(RawPixel(&sys, 1, 0), 0x2000u);
        EXPECT_EQ(RawPixel(&sys, 2, 0), 0x83E0u);
    }
    // Flag 0 copies all of them.
    DDBltRect(&sys, 0, 0, 3, 1, &rt, 0, 0, 0);
    EXPECT_EQ(RawPixel(&sys, 0, 0), Bpp() == 32 ? 0x00FF0000u : 0x001Fu);
}

// From a system-memory texture onto the back buffer: at 16 bits in full screen the texture's
// A1R5G5B5 pixels become R5G6B5 with the green doubled.
TEST_P(SoftwareBlits, SystemTextureOntoTheBackBuffer) {
    ASSERT_TRUE(DDCreateSurface(&sys, 2, 1, 0, 1, DTMEMORYTYPE_SYSTEM, nullptr, 0));
    const std::uint32_t white = Bpp() == 32 ? 0xFFFFFFFFu : 0xFFFFu;
    const std::uint32_t olive = Bpp() == 32 ? 0xFF808000u : (0x8000u | 16u << 10 | 16u << 5);
    Storage(&sys)->SetPixel(0, 0, white);
    Storage(&sys)->SetPixel(1, 0, olive);
    DDBltRect(&BackBuffer, 0, 0, 2, 1, &sys, 0, 0, 0);
    if (GetParam().bpp == 16 && GetParam().windowMode == 0) {
        EXPECT_EQ(RawPixel(&BackBuffer, 0, 0), 31u << 11 | 62u << 5 | 31u);
        EXPECT_EQ(RawPixel(&BackBuffer, 1, 0), 16u << 11 | 32u << 5);
    } else {
        EXPECT_EQ(RawPixel(&BackBuffer, 0, 0), white);
        EXPECT_EQ(RawPixel(&BackBuffer, 1, 0), olive);
    }
}

const DisplayConfig kDirect3DConfigs[] = {kDisplayConfigs[0], kDisplayConfigs[1],
                                          kDisplayConfigs[2]};
INSTANTIATE_TEST_SUITE_P(Direct3D, SoftwareBlits, ::testing::ValuesIn(kDirect3DConfigs),
                         ConfigName);

}  // namespace

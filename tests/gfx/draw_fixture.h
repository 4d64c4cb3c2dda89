// Drawing tests over the six configurations: a display opened with the test palette, small
// surfaces painted through the device's storage, and the colours a configuration shows for
// a colour (its channels cut to the surface format's bits).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display_fixture.h"
#include "gen/bmp_writer.h"
#include "gfx/blit.h"
#include "gfx/surface.h"

class DrawTest : public ::testing::TestWithParam<DisplayConfig>, public DisplayFixture {
protected:
    void SetUp() override {
        Prepare();
        ASSERT_TRUE(Open(GetParam()));
        SetTestPalette();
    }
    void TearDown() override { Close(); }
    bool Direct3D() const { return GetParam().direct3D != 0; }
    int Bpp() const { return GetParam().bpp; }
};

// The test palette's entry of a colour (exact colours of the test palette only).
inline int PaletteIndexOf(std::uint32_t argb) {
    const std::uint32_t colours[] = {Argb(kKey), Argb(kRed), Argb(kGreen), Argb(kBlue),
                                     Argb(kWhite)};
    const int indices[] = {0, 5, 6, 7, 8};
    for (int i = 0; i < 5; ++i)
        if (colours[i] == (argb | 0xFF000000u)) return indices[i];
    return -1;
}

// The pixel value a surface of `sd` holds for an opaque colour of the test palette.
inline std::uint32_t PixelFor(DDSURFACEDATA* sd, std::uint32_t argb) {
    plat::SoftSurface* s = Storage(sd);
    if (s->Format() == plat::D3DFMT_P8) return static_cast<std::uint32_t>(PaletteIndexOf(argb));
    if (!sd->lpDT && s->Format() == plat::D3DFMT_X8R8G8B8) return argb & 0x00FFFFFFu;
    return plat::ArgbToPixel(s->Format(), argb | 0xFF000000u);
}

// Paints a surface pixel by pixel from rows of test-palette colours ('k' key, 'r', 'g', 'b',
// 'w'); in Direct3D 'k' is transparent black, as the texture loader leaves it.
inline void Paint(DDSURFACEDATA* sd, const std::vector<std::string>& rows) {
    plat::SoftSurface* s = Storage(sd);
    for (int y = 0; y < static_cast<int>(rows.size()); ++y) {
        for (int x = 0; x < static_cast<int>(rows[y].size()); ++x) {
            std::uint32_t c = Argb(kKey);
            switch (rows[y][x]) {
                case 'r':
                    c = Argb(kRed);
                    break;
                case 'g':
                    c = Argb(kGreen);
                    break;
                case 'b':
                    c = Argb(kBlue);
                    break;
                case 'w':
                    c = Argb(kWhite);
                    break;
                default:
                    break;
            }
            const bool transparent = rows[y][x] == 'k';
            s->SetPixel(x, y, transparent && sd->lpDT ? 0 : PixelFor(sd, c));
        }
    }
}

// The row of letters a surface shows (letters as Paint takes them, '.' for anything else).
inline std::string Shows(DDSURFACEDATA* sd, int y, int from = 0, int to = -1) {
    if (to < 0) to = sd->nWidth;
    std::string out;
    for (int x = from; x < to; ++x) {
        const std::uint32_t c = Colour(sd, x, y) | 0xFF000000u;
        char letter = '.';
        if (c == Argb(kKey)) letter = 'k';
        if (c == Argb(kRed)) letter = 'r';
        if (c == Argb(kGreen)) letter = 'g';
        if (c == Argb(kBlue)) letter = 'b';
        if (c == Argb(kWhite)) letter = 'w';
        if (sd->lpDT && RawPixel(sd, x, y) == 0) letter = 't';  // transparent black
        out += letter;
    }
    return out;
}

// A colour as a format keeps it: channels cut to their bits and widened again.
inline std::uint32_t Quantised(plat::D3DFORMAT format, std::uint32_t argb) {
    return plat::PixelToArgb(format, plat::ArgbToPixel(format, argb), nullptr) | 0xFF000000u;
}

// A bitmap file of test-palette colours, 8 bits with the test palette as its colour table.
inline void WriteTestBitmap(const std::string& path, const std::vector<std::string>& rows) {
    const int h = static_cast<int>(rows.size()), w = static_cast<int>(rows[0].size());
    std::vector<std::uint8_t> indices;
    for (const std::string& row : rows) {
        for (char c : row) {
            const std::uint32_t colour = c == 'r'   ? Argb(kRed)
                                         : c == 'g' ? Argb(kGreen)
                                         : c == 'b' ? Argb(kBlue)
                                         : c == 'w' ? Argb(kWhite)
                                                    : Argb(kKey);
            indices.push_back(static_cast<std::uint8_t>(PaletteIndexOf(colour)));
        }
    }
    const std::vector<plat::PALETTEENTRY> colours = {kKey, {},     {},    {},    {},
                                                     kRed, kGreen, kBlue, kWhite};
    ASSERT_TRUE(gen::WriteFileBytes(path, gen::EncodeIndexedBmp(w, h, 8, colours, indices)));
}

// The GDI text calls the fonts use, on device contexts over surface pixels: a font made from
// a face name and a height (on the glyph source), the selected font, the text colour, text
// output and text extents.
//
// A device context comes from a DirectDraw surface's GetDC and holds the surface locked
// until its ReleaseDC. Backgrounds are always transparent: only ink pixels are written.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/device_object.h"
#include "platform/glyph_source.h"
#include "platform/pixel_format.h"
#include "platform/rect.h"
#include "platform/soft_device.h"

namespace plat {

using COLORREF = DWORD;
constexpr COLORREF RGB(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    return static_cast<COLORREF>(r) | static_cast<COLORREF>(g) << 8 |
           static_cast<COLORREF>(b) << 16;
}
// A colour that names a palette entry: on an 8-bit surface the pixel is that index.
constexpr COLORREF PALETTEINDEX(std::uint16_t i) {
    return 0x01000000u | i;
}

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;
constexpr DWORD SHIFTJIS_CHARSET = 128;
constexpr int FW_NORMAL = 400;

struct SIZE {
    LONG cx = 0;
    LONG cy = 0;
};

struct GdiFont {
    std::shared_ptr<GlyphFace> face;
};
using HFONT = GdiFont*;

class DeviceContext {
public:
    // palette: the 256 entries an RGB colour is matched against on an 8-bit surface (null:
    // such colours take index 0).
    DeviceContext(SoftSurface* pixels, const PALETTEENTRY* palette)
        : pixels_(pixels), palette_(palette) {}
    SoftSurface* Pixels() const { return pixels_; }
    HFONT font = nullptr;
    COLORREF textColor = 0;
    int bkMode = OPAQUE;
    // The pixel value of a colour in the surface's format.
    std::uint32_t PixelOf(COLORREF color) const;

private:
    SoftSurface* pixels_;
    const PALETTEENTRY* palette_;
};
using HDC = DeviceContext*;

// Weight, italics, precision, quality and pitch are accepted and not used: glyphs are
// monochrome in the face the name maps to. Null when height or width are out of range.
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                  DWORD underline, DWORD strikeOut, DWORD charSet, DWORD outPrecision,
                  DWORD clipPrecision, DWORD quality, DWORD pitchAndFamily, const char* faceName);
BOOL DeleteObject(HFONT font);
// The font selected before; a DC starts with a default font (null).
HFONT SelectObject(HDC dc, HFONT font);
int SetBkMode(HDC dc, int mode);
COLORREF SetTextColor(HDC dc, COLORREF color);
// One line of n bytes with its cell's top-left at (x, y).
BOOL TextOutA(HDC dc, int x, int y, const char* text, int n);
constexpr unsigned ETO_CLIPPED = 0x4;
// TextOutA with ETO_CLIPPED: ink outside the rectangle is left out.
BOOL ExtTextOutA(HDC dc, int x, int y, unsigned options, const RECT* rect, const char* text, int n,
                 const int* dx);
// The advance of n bytes by the cell height.
BOOL GetTextExtentPoint32A(HDC dc, const char* text, int n, SIZE* size);

}  // namespace plat

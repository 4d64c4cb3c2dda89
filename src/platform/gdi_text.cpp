#include "platform/gdi_text.h"

#include <mutex>

#include "platform/text_raster.h"

namespace plat {
namespace {

constexpr int kDefaultHeight = 16;
constexpr int kMaxHeight = 4096;

GlyphFace& FaceOf(HDC dc) {
    if (dc->font && dc->font->face) return *dc->font->face;
    static std::mutex mutex;
    static std::shared_ptr<GlyphFace> fallback;
    static GlyphSource* madeBy = nullptr;
    std::lock_guard lock(mutex);
    GlyphSource& source = CurrentGlyphSource();
    // Made again when a test injects another source.
    if (!fallback || madeBy != &source) {
        fallback = source.OpenFace("", kDefaultHeight);
        madeBy = &source;
    }
    return *fallback;
}

}  // namespace

std::uint32_t DeviceContext::PixelOf(COLORREF color) const {
    const D3DFORMAT format = pixels_ ? pixels_->Format() : D3DFMT_X8R8G8B8;
    const bool indexed = (color & 0xFF000000u) == 0x01000000u;
    if (format == D3DFMT_P8) {
        if (indexed) return color & 0xFF;
        if (!palette_) return 0;
        // The nearest entry, the first of equals.
        int best = 0;
        long bestDistance = -1;
        for (int i = 0; i < 256; ++i) {
            const long dr = palette_[i].peRed - static_cast<long>(color & 0xFF);
            const long dg = palette_[i].peGreen - static_cast<long>((color >> 8) & 0xFF);
            const long db = palette_[i].peBlue - static_cast<long>((color >> 16) & 0xFF);
            const long d = dr * dr + dg * dg + db * db;
            if (bestDistance < 0 || d < bestDistance) {
                bestDistance = d;
                best = i;
            }
        }
        return static_cast<std::uint32_t>(best);
    }
    std::uint32_t r = color & 0xFF, g = (color >> 8) & 0xFF, b = (color >> 16) & 0xFF;
    if (indexed && palette_) {
        const PALETTEENTRY& e = palette_[color & 0xFF];
        r = e.peRed;
        g = e.peGreen;
        b = e.peBlue;
    }
    return ArgbToPixel(format, 0xFF000000u | r << 16 | g << 8 | b);
}

HFONT CreateFontA(int height, int width, int, int, int, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                  DWORD, DWORD, const char* faceName) {
    if (height < -kMaxHeight || height > kMaxHeight || width < 0 || width > kMaxHeight)
        return nullptr;
    auto* font = new GdiFont;
    font->face = CurrentGlyphSource().OpenFace(faceName ? faceName : "", height);
    return font;
}

BOOL DeleteObject(HFONT font) {
    if (!font) return 0;
    delete font;
    return 1;
}

HFONT SelectObject(HDC dc, HFONT font) {
    if (!dc) return nullptr;
    HFONT old = dc->font;
    dc->font = font;
    return old;
}

int SetBkMode(HDC dc, int mode) {
    if (!dc) return 0;
    const int old = dc->bkMode;
    dc->bkMode = mode;
    return old;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
    if (!dc) return 0xFFFFFFFFu;
    const COLORREF old = dc->textColor;
    dc->textColor = color;
    return old;
}

BOOL TextOutA(HDC dc, int x, int y, const char* text, int n) {
    if (!dc || !dc->Pixels() || (!text && n > 0) || n < 0) return 0;
    RasterText(*dc->Pixels(), FaceOf(dc), x, y, text, n, dc->PixelOf(dc->textColor), nullptr);
    return 1;
}

BOOL ExtTextOutA(HDC dc, int x, int y, unsigned options, const RECT* rect, const char* text, int n,
                 const int*) {
    if (!dc || !dc->Pixels() || (!text && n > 0) || n < 0) return 0;
    const RECT* clip = (options & ETO_CLIPPED) ? rect : nullptr;
    RasterText(*dc->Pixels(), FaceOf(dc), x, y, text, n, dc->PixelOf(dc->textColor), clip);
    return 1;
}

BOOL GetTextExtentPoint32A(HDC dc, const char* text, int n, SIZE* size) {
    if (!dc || !size || (!text && n > 0) || n < 0) return 0;
    GlyphFace& face = FaceOf(dc);
    size->cx = MeasureText(face, text, n);
    size->cy = face.CellHeight();
    return 1;
}

}  // namespace plat

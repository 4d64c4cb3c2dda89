#include "platform/text_raster.h"

#include <algorithm>

namespace plat {

int RasterText(SoftSurface& dst, GlyphFace& face, int x, int y, const char* text, int n,
               std::uint32_t pixel, const RECT* clip) {
    RECT bounds = dst.Bounds();
    if (clip) bounds = IntersectRect(bounds, *clip);
    const int bytes = dst.BytesPerPixel();
    int pen = 0;
    int i = 0;
    while (i < n) {
        int length = 1;
        const std::uint16_t code = NextCharCode(text + i, n - i, &length);
        i += length;
        const Glyph* g = face.Find(code);
        if (!g) continue;
        const int gx = x + pen + g->left;
        const int gy = y + g->top;
        pen += g->advance;
        const int x0 = std::max<int>(gx, bounds.left),
                  x1 = std::min<int>(gx + g->width, bounds.right);
        const int y0 = std::max<int>(gy, bounds.top),
                  y1 = std::min<int>(gy + g->height, bounds.bottom);
        if (x0 >= x1 || y0 >= y1) continue;
        for (int py = y0; py < y1; ++py) {
            std::uint8_t* row = dst.Row(py);
            const std::uint8_t* ink = g->bits.data() + static_cast<std::size_t>(py - gy) * g->width;
            for (int px = x0; px < x1; ++px)
                if (ink[px - gx]) WritePixel(row + px * bytes, bytes, pixel);
        }
    }
    return pen;
}

int MeasureText(GlyphFace& face, const char* text, int n) {
    int pen = 0;
    int i = 0;
    while (i < n) {
        int length = 1;
        const std::uint16_t code = NextCharCode(text + i, n - i, &length);
        i += length;
        if (const Glyph* g = face.Find(code)) pen += g->advance;
    }
    return pen;
}

}  // namespace plat

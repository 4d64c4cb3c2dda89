// Text onto surface pixels: the one raster loop behind the GDI text calls and the utility
// library's font. Ink pixels of each glyph take one pixel value; nothing else is touched.
#pragma once

#include <cstdint>

#include "platform/glyph_source.h"
#include "platform/rect.h"
#include "platform/soft_device.h"

namespace plat {

// Draws n bytes of CP932 text with its first cell's top-left at (x, y), one line (a line
// feed is a character like any other here), clipped to the surface and to clip when given.
// Returns the pen's advance.
int RasterText(SoftSurface& dst, GlyphFace& face, int x, int y, const char* text, int n,
               std::uint32_t pixel, const RECT* clip);
// The advance of n bytes of text, one line.
int MeasureText(GlyphFace& face, const char* text, int n);

}  // namespace plat

// A disc of a picture, drawn as horizontal bands of ordinary blits (the circle screen effect,
// a circular view, the sight mask). (sx, sy) is the centre in the source and (x, y) in the
// destination; the disc keeps to the source columns sx - nHalfWidth .. sx + nHalfWidth (and
// the source's width) and to the row offsets -nHalfHeight <= i < nHalfHeight. nStrip is the
// height of a band, 1 for an exact outline.
#pragma once

#include <cstdint>

#include "gfx/surface.h"

// 0 when nRadius or nStrip is 0 or less (nothing drawn), else the batch's result.
int DDBltCircle(DDSURFACEDATA* lpDstSD, int x, int y, int nHalfWidth, int nHalfHeight, int nRadius,
                int nStrip, DDSURFACEDATA* lpSrcSD, int sx, int sy, std::uint32_t dwFlags);

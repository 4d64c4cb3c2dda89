// A disc of a picture magnified as if seen through a glass sphere: the lens of radius nRadius
// is centred on (x, y) of the destination and (sx, sy) of the source; nDepth sets the
// magnification (smaller is stronger). nMode 1 skips transparent source pixels (16-bit
// Direct3D); bClear, in 32-bit Direct3D, writes transparent black where the lens shows
// nothing.
#pragma once

#include "gfx/surface.h"

// False when nRadius or nDepth is negative, when the sphere's radius is not above nDepth, or
// when a surface cannot be locked.
bool DDBltLens(DDSURFACEDATA* lpDstSD, int x, int y, int nRadius, int nDepth,
               DDSURFACEDATA* lpSrcSD, int sx, int sy, int nMode, int bClear);

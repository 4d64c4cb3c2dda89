// Software filters that redraw a rectangle of a source into a destination: a box blur over a
// window of 2 * nRangeX by 2 * nRangeY pixels (one more before the centre than after it), and
// a pixelation in blocks of nSize. nMode 1 leaves transparent pixels out.
//
// Source cells outside the source surface are left out (of the window, of a block's mean; a
// block whose sample lies outside stays untouched), destination writes are clipped, and the
// work is bounded by the surfaces whatever the parameters. Results: true when the filter
// ran, was refused for the depth or had nothing to do; false when a surface cannot be locked.
#pragma once

#include "gfx/surface.h"

// Refused at 8 bits with its log line.
bool DDBlur(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nRangeX, int nRangeY,
            DDSURFACEDATA* lpSrcSD, int sx, int sy, int nMode);
// Direct3D and 8-bit DirectDraw repeat each block's top-left pixel; 16- and 32-bit
// DirectDraw fill the block with its mean colour. A size below 1 draws nothing.
bool DDMosaic(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nSize,
              DDSURFACEDATA* lpSrcSD, int sx, int sy, int nMode);

// Bitmap images in surfaces: the DirectDraw pixel copy (CopyBitmap), mirrored sheets of both
// back ends, the reload of a lost DirectDraw surface, and the palette-index map with which
// palette effects recolour true-colour images.
//
// A sheet with mirror cells W x H shows, at column x, column M(x) = W * (x / W + 1) -
// (x % W) - 1 of the image: every cell flipped in place, the cell order kept. W = 0 (H = 0)
// means no horizontal (vertical) mirroring.
#pragma once

#include <cstdint>
#include <memory>

#include "gfx/surface.h"

// DirectDraw: copies the bitmap file into the surface in the display's format. An 8-bit
// display takes palette indices (a 1- or 4-bit bitmap unpacked, a deeper one mapped to the
// first exact, else the nearest, entry of Palette); a 16-bit display converts 24- and 32-bit
// bitmaps keeping the transparent colour exact; everything else is converted as the window
// system would. Direct3D, or no file name: true at once.
bool CopyBitmap(DDSURFACEDATA* lpSD, const char* szFileName, int nBpp, const void* lpPalData,
                int nMirrorWidth, int nMirrorHeight);
// Direct3D: flips each W-wide cell of lpSrc into lpDst (vertical sheets are not built).
bool CreateMirror(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc, int nMirrorWidth, int nMirrorHeight);
bool DDReloadSurface(DDSURFACEDATA* lpSD, int nBpp);
// Builds the surface's palette-index map: one byte per pixel (rows of the pitch in pixels),
// the first Palette entry of the pixel's colour, 0 where none matches. 1 on success.
int DDMakePalIndex(std::unique_ptr<std::uint8_t[]>* ppIndex, DDSURFACEDATA* lpSD);

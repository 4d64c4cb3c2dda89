// Debug text from a glyph sheet: 16 columns of cells, byte b at column b & 15 and row b >> 4,
// except the half-width katakana, which are packed into the unused rows (0xA6-0xBF from row
// 0, 0xC0-0xDD from row 8). Drawn with the sheet's transparent colour; in Direct3D as one
// sprite batch.
#pragma once

#include "gfx/surface.h"

// Direct3D: the sprite batch's result; DirectDraw: 0.
int DDDrawDebugText(DDSURFACEDATA* lpDst, int x, int y, int nCellWidth, int nCellHeight,
                    DDSURFACEDATA* lpSheet, const char* str);
// Formats into 256 bytes (longer text is cut) and draws it.
int DDDrawDebugTextF(DDSURFACEDATA* lpDst, int x, int y, int nCellWidth, int nCellHeight,
                     DDSURFACEDATA* lpSheet, const char* format, ...)
    __attribute__((format(printf, 7, 8)));

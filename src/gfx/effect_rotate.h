// A picture rotated about a pivot: the nWidth x nHeight picture at (sx, sy) of the source,
// turned by nAngle degrees about its own point (cx, cy) (from its top-left), that point drawn
// at (x, y). Direct3D draws a rotated textured quad when the destination is a render target
// and the source not a system-memory texture, under the blend set by D3DSetDiffuse,
// D3DSetColorOp and D3DSetAlphaOp; otherwise pixels are mapped in 10-bit fixed point, copied
// unchanged, and nMode 1 skips pixels of the transparent colour.
//
// For a pivot off the centre the two paths differ: the device places the pivot at
// (x + cx - nWidth / 2, y + cy - nHeight / 2), the software path at (x, y).
#pragma once

#include "gfx/surface.h"

// Always true (also with a missing surface, when nothing is drawn).
bool DDBltRotate(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int cx, int cy,
                 int nAngle, DDSURFACEDATA* lpSrcSD, int sx, int sy, int nMode);

// Fills, single pixels, circle outlines and the DirectDraw lock. Colours are palette
// numbers (0-255), or device colours for the D3D forms: a D3DCOLOR in Direct3D, a pixel
// value in DirectDraw.
//
// A rectangle reaching beyond an edge of the surface is cut at that edge, on every side.
#pragma once

#include <cstdint>

#include "gfx/surface.h"
#include "platform/ddraw_fwd.h"

// Direct3D: 1 done (or nothing to fill), 0 failed. DirectDraw: the result of the fill.
int DDFillRect(DDSURFACEDATA* lpSD, int x, int y, int w, int h, std::uint32_t dwPalNum);
int DDFillSurface(DDSURFACEDATA* lpSD, std::uint32_t dwPalNum);
int D3DFillRect(DDSURFACEDATA* lpSD, int x, int y, int w, int h, std::uint32_t dwColor);
int D3DFillSurface(DDSURFACEDATA* lpSD, std::uint32_t dwColor);
void DDSetPixel(DDSURFACEDATA* lpSD, int x, int y, std::uint32_t dwPalNum);
void DDDrawCircle(DDSURFACEDATA* lpSD, int cx, int cy, int r, std::uint32_t dwPalNum);
// DirectDraw: locks the whole surface (unlock with its Unlock). Direct3D locks nothing and
// answers true.
bool DDLock(DDSURFACEDATA* lpSD, plat::DDSURFACEDESC2* lpDesc, std::uint8_t** ppBits, int nBpp);

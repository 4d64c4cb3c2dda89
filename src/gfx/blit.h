// Blits: plain, stretched, mirrored and blended copies of a rectangle of one surface onto
// another, with the clipping rule, the colour-key rule and the blend state of the Direct3D
// back end.
//
// DirectDraw copies with BltFast and Blt of the device; Direct3D draws a textured quad into a
// render target (or queues it in an open sprite batch), and copies pixels in software where
// the device cannot draw: into a texture that is not a render target, or from a
// system-memory texture. A surface that holds nothing (a file that failed to load, a
// released surface) is nothing to draw from or into.
//
// Results: DirectDraw the result of Blt or BltFast, 0 when the clipped rectangle is empty;
// Direct3D non-zero when a quad was drawn or queued, 0 when nothing was drawn.
#pragma once

#include <cstdint>

#include "gfx/surface.h"

// Blit flags: 0 opaque copy, 1 the source's transparent colour is left out.
constexpr std::uint32_t DDBLT_COLORKEY = 1;

// The blend of one blended blit (Direct3D): the vertex colour and the stage-0 colour
// operation.
struct DDBLEND {
    std::uint32_t dwDiffuse = 0xFFFFFFFFu;
    std::uint32_t dwColorOp = 4;
};

int DDBltRect(DDSURFACEDATA* lpDst, int x, int y, int w, int h, DDSURFACEDATA* lpSrc, int sx,
              int sy, std::uint32_t dwFlags);
// A negative sw or sh reads the source from right to left (bottom to top) in Direct3D.
int DDBltScale(DDSURFACEDATA* lpDst, int dx, int dy, int dw, int dh, DDSURFACEDATA* lpSrc, int sx,
               int sy, int sw, int sh, std::uint32_t dwFlags);
// Direct3D blends; DirectDraw draws an ordinary blit.
int DDBltBlend(DDSURFACEDATA* lpDst, int x, int y, int w, int h, DDSURFACEDATA* lpSrc, int sx,
               int sy, std::uint32_t dwFlags, const DDBLEND* lpBlend);
int DDBltScaleBlend(DDSURFACEDATA* lpDst, int dx, int dy, int dw, int dh, DDSURFACEDATA* lpSrc,
                    int sx, int sy, int sw, int sh, std::uint32_t dwFlags, const DDBLEND* lpBlend);

// Clips both rectangles in place; 1 when something remains to draw.
int DDClipBlt(DDSURFACEDATA* lpDst, int* dx, int* dy, int* dw, int* dh, DDSURFACEDATA* lpSrc,
              int* sx, int* sy, int* sw, int* sh);
// Direct3D, a source drawing with another surface's texture and a mirror cell size: the
// request in mirrored-sheet coordinates becomes a mirrored read of the plain image.
void DDAdjustMirrorRect(DDSURFACEDATA* lpSrc, int* sx, int* sy, int* sw, int* sh);

// The blend state of the Direct3D back end (nothing in DirectDraw): callers set a value,
// draw, and reset.
void D3DSetDiffuse(std::uint32_t dwDiffuse);
void D3DResetDiffuse();
void D3DSetColorOp(std::uint32_t dwColorOp);
void D3DResetColorOp();
void D3DSetAlphaOp(std::uint32_t dwAlphaOp);
void D3DResetAlphaOp();

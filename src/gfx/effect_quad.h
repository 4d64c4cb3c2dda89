// The device quad of the Direct3D effects (flash, translucency, tint, rotation): four
// pre-transformed vertices in the source's own vertex buffer, drawn with the source's texture
// into the destination after the caller has set stage 0, the render target back on the
// screen afterwards.
#pragma once

#include <cstdint>
#include <functional>

#include "gfx/surface.h"
#include "platform/d3d9_types.h"

// The destination and the source as the device path draws them (share surface, back-buffer
// redirection); true when the device can draw: a render-target destination and a source
// that is not a system-memory texture.
bool ResolveEffectSurfaces(DDSURFACEDATA** lpDst, DDSURFACEDATA** lpSrc);

// The rectangle's vertices (strip order): edges half a pixel before (x, y) and
// (x + w, y + h), texture coordinates of (sx, sy, sw, sh) over the source texture's size.
void EffectRectVertices(plat::D3DTLVERTEX* v, const DDSURFACEDATA* lpSrc, long long x, long long y,
                        long long w, long long h, long long sx, long long sy, long long sw,
                        long long sh, std::uint32_t diffuse);

// 0: the vertex buffer could not be written (or the source has no texture and the quad
// needs one); 1: the scene or the render target failed; 2: drawn. `stages` sets the texture
// stage (and any render state) before the draw; `after` runs once the render target is back
// on the screen. An `untextured` quad draws with no texture set, for stages that read none.
int DrawEffectQuad(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc, const plat::D3DTLVERTEX* v,
                   const std::function<void()>& stages, const std::function<void()>& after = {},
                   bool untextured = false);

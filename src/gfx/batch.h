// Rectangle and sprite batches of the Direct3D back end: while a batch is open, coloured
// fills (rectangle batch) or blits (sprite batch) are queued instead of drawn; closing the
// batch draws the queue grouped by target and source, one vertex buffer and one index buffer
// per group. In DirectDraw every operation here does nothing.
//
// A sorted sprite batch draws the quads of unregistered sources first, then those of each
// registered source in registration order, each in queue order.
#pragma once

#include <cstdint>
#include <vector>

#include "gfx/surface.h"
#include "platform/d3d9_types.h"

constexpr plat::DWORD kQuadFvf = plat::D3DFVF_XYZRHW | plat::D3DFVF_DIFFUSE | plat::D3DFVF_TEX1;

struct RECTBATCHENTRY {
    DDSURFACEDATA* lpSD;
    int x, y, w, h;
    std::uint32_t dwColor;
};

struct SPRITEBATCHENTRY {
    int nKey;
    DDSURFACEDATA* lpDst;
    DDSURFACEDATA* lpSrc;
    int dx, dy, dw, dh;
    int sx, sy, sw, sh;
    std::uint32_t dwFlags;
    std::uint32_t dwDiffuse;
    std::uint32_t dwColorOp;
    std::uint32_t dwAlphaOp;
    std::uint32_t dwReserved;  // always 0
    int nOrder;                // queue position: equal keys keep their queue order
};

struct SPRITESURFACEKEY {
    DDSURFACEDATA* lpSD;
    int nKey;
};

struct RECTBATCH {
    RECTBATCH() = default;
    RECTBATCH(const RECTBATCH&) = delete;
    RECTBATCH& operator=(const RECTBATCH&) = delete;
    ~RECTBATCH();

    int bActive = 0;
    std::vector<RECTBATCHENTRY> entries;
    std::vector<plat::D3DTLVERTEX> lpVertexData;
    plat::IDirect3DVertexBuffer9* lpVB = nullptr;
    plat::IDirect3DIndexBuffer9* lpIB = nullptr;
};

struct SPRITEBATCH {
    SPRITEBATCH() = default;
    SPRITEBATCH(const SPRITEBATCH&) = delete;
    SPRITEBATCH& operator=(const SPRITEBATCH&) = delete;
    ~SPRITEBATCH();

    int bActive = 0;
    int bSort = 0;
    std::vector<SPRITEBATCHENTRY> entries;
    int nCount = 0;
    std::vector<SPRITESURFACEKEY> order;
    std::vector<plat::D3DTLVERTEX> lpVertexData;
    plat::IDirect3DVertexBuffer9* lpVB = nullptr;
    plat::IDirect3DIndexBuffer9* lpIB = nullptr;
};

extern RECTBATCH RectBatch;
extern SPRITEBATCH SpriteBatch;

// 1 with the Direct3D context, 0 without.
int DDBeginRectBatch();
int DDEndRectBatch();
int DDBeginSpriteBatch(int bSort);
int DDRegisterSpriteSurface(DDSURFACEDATA* lpSD);
int DDEndSpriteBatch();

// Queuing, from D3DFillRect and DDBltScale once their rectangles are clipped.
void DDQueueRect(DDSURFACEDATA* lpSD, int x, int y, int w, int h, std::uint32_t dwColor);
void DDQueueSprite(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc, int dx, int dy, int dw, int dh,
                   int sx, int sy, int sw, int sh, std::uint32_t dwFlags);

// The four vertices (strip order) of a blit's quad: pixel centres inside (dx, dy, dw, dh),
// texture coordinates of (sx, sy, sw, sh) over the source texture's size.
void WriteSpriteVertices(plat::D3DTLVERTEX* v, const DDSURFACEDATA* lpSrc, int dx, int dy, int dw,
                         int dh, int sx, int sy, int sw, int sh, std::uint32_t diffuse);
// Stage 0 of a blit: the texture with the vertex colour under the given operations.
void SetSpriteStageStates(std::uint32_t dwColorOp, std::uint32_t dwAlphaOp);

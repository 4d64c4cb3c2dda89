#include "gfx/batch.h"

#include <algorithm>
#include <cstring>

#include "base/log.h"
#include "gfx/display.h"
#include "platform/d3d9.h"

RECTBATCH RectBatch;
SPRITEBATCH SpriteBatch;

namespace {

// 16-bit indices reach 65535 and a vertex buffer holds at most 1 MiB: longer runs are drawn
// as several groups.
constexpr std::size_t kMaxGroupQuads = 8192;

template <class T>
void ReleaseInterface(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

void ReleaseGroup(plat::IDirect3DVertexBuffer9*& vb, plat::IDirect3DIndexBuffer9*& ib,
                  std::vector<plat::D3DTLVERTEX>& data) {
    ReleaseInterface(ib);
    ReleaseInterface(vb);
    data.clear();  // keeps its room for the next group
}

// The group's vertex buffer (the quads in `data`) and its index buffer 0, 1, 2 ... 4n - 1,
// bound to the device; false when either cannot be made.
bool MakeBuffers(const std::vector<plat::D3DTLVERTEX>& data, plat::IDirect3DVertexBuffer9*& vb,
                 plat::IDirect3DIndexBuffer9*& ib) {
    const auto quads = static_cast<plat::UINT>(data.size() / 4);
    if (plat::FAILED(lpDevice->CreateVertexBuffer(quads * 4 * sizeof(plat::D3DTLVERTEX),
                                                  plat::D3DUSAGE_WRITEONLY, kQuadFvf,
                                                  plat::D3DPOOL_MANAGED, &vb, nullptr))) {
        ReportLog("CreateVertexBuffer Err");
        return false;
    }
    void* bytes = nullptr;
    if (plat::FAILED(vb->Lock(0, 0, &bytes, 0))) return false;
    std::memcpy(bytes, data.data(), data.size() * sizeof(plat::D3DTLVERTEX));
    vb->Unlock();
    if (plat::FAILED(lpDevice->CreateIndexBuffer(quads * 8, plat::D3DUSAGE_WRITEONLY,
                                                 plat::D3DFMT_INDEX16, plat::D3DPOOL_MANAGED, &ib,
                                                 nullptr))) {
        ReportLog("CreateIndexBuffer Err");
        return false;
    }
    if (plat::FAILED(ib->Lock(0, 0, &bytes, 0))) return false;
    auto* index = static_cast<std::uint8_t*>(bytes);
    for (plat::UINT i = 0; i < quads * 4; ++i) {
        index[2 * i] = static_cast<std::uint8_t>(i);
        index[2 * i + 1] = static_cast<std::uint8_t>(i >> 8);
    }
    ib->Unlock();
    lpDevice->SetStreamSource(0, vb, 0, sizeof(plat::D3DTLVERTEX));
    lpDevice->SetIndices(ib);
    lpDevice->SetFVF(kQuadFvf);
    return true;
}

void DrawQuads(std::size_t quads) {
    for (std::size_t j = 0; j < quads; ++j) {
        const auto first = static_cast<plat::UINT>(4 * j);
        lpDevice->DrawIndexedPrimitive(plat::D3DPT_TRIANGLESTRIP, 0, first, 4, first, 2);
    }
}

std::uint32_t TransparentOf(DDSURFACEDATA* lpDst) {
    return lpDst == &BackBuffer ? lpDTCon->dwTransmitBack : lpDTCon->dwTransmit;
}

bool SameGroup(const SPRITEBATCHENTRY& a, const SPRITEBATCHENTRY& b) {
    return a.lpSrc == b.lpSrc && a.lpDst == b.lpDst && a.dwFlags == b.dwFlags &&
           a.dwDiffuse == b.dwDiffuse && a.dwColorOp == b.dwColorOp && a.dwAlphaOp == b.dwAlphaOp &&
           a.dwReserved == b.dwReserved;
}

}  // namespace

RECTBATCH::~RECTBATCH() {
    ReleaseGroup(lpVB, lpIB, lpVertexData);
}

SPRITEBATCH::~SPRITEBATCH() {
    ReleaseGroup(lpVB, lpIB, lpVertexData);
}

void WriteSpriteVertices(plat::D3DTLVERTEX* v, const DDSURFACEDATA* lpSrc, int dx, int dy, int dw,
                         int dh, int sx, int sy, int sw, int sh, std::uint32_t diffuse) {
    const float T = lpSrc->nTexWidth > 0 ? static_cast<float>(lpSrc->nTexWidth) : 1.0f;
    const float V = lpSrc->nTexHeight > 0 ? static_cast<float>(lpSrc->nTexHeight) : 1.0f;
    const float l = static_cast<float>(dx) - 0.5f, t = static_cast<float>(dy) - 0.5f;
    const float r = static_cast<float>(dx + dw) - 0.5f, b = static_cast<float>(dy + dh) - 0.5f;
    const float u0 = static_cast<float>(sx) / T, u1 = static_cast<float>(sx + sw) / T;
    const float v0 = static_cast<float>(sy) / V, v1 = static_cast<float>(sy + sh) / V;
    v[0] = plat::D3DTLVERTEX{l, t, 0, 1, diffuse, u0, v0};
    v[1] = plat::D3DTLVERTEX{l, b, 0, 1, diffuse, u0, v1};
    v[2] = plat::D3DTLVERTEX{r, t, 0, 1, diffuse, u1, v0};
    v[3] = plat::D3DTLVERTEX{r, b, 0, 1, diffuse, u1, v1};
}

void SetSpriteStageStates(std::uint32_t dwColorOp, std::uint32_t dwAlphaOp) {
    lpDevice->SetTextureStageState(0, plat::D3DTSS_COLOROP, dwColorOp);
    lpDevice->SetTextureStageState(0, plat::D3DTSS_COLORARG1, plat::D3DTA_TEXTURE);
    lpDevice->SetTextureStageState(0, plat::D3DTSS_COLORARG2, plat::D3DTA_DIFFUSE);
    lpDevice->SetTextureStageState(0, plat::D3DTSS_ALPHAOP, dwAlphaOp);
    lpDevice->SetTextureStageState(0, plat::D3DTSS_ALPHAARG1, plat::D3DTA_TEXTURE);
    lpDevice->SetTextureStageState(0, plat::D3DTSS_ALPHAARG2, plat::D3DTA_DIFFUSE);
}

int DDBeginRectBatch() {
    if (!lpDTCon) return 0;
    RectBatch.bActive = 1;
    ReleaseGroup(RectBatch.lpVB, RectBatch.lpIB, RectBatch.lpVertexData);
    RectBatch.entries.clear();
    return 1;
}

void DDQueueRect(DDSURFACEDATA* lpSD, int x, int y, int w, int h, std::uint32_t dwColor) {
    RectBatch.entries.push_back(RECTBATCHENTRY{lpSD, x, y, w, h, dwColor});
}

int DDEndRectBatch() {
    if (!lpDTCon) return 0;
    RECTBATCH& b = RectBatch;
    const std::size_t count = lpDevice ? b.entries.size() : 0;
    std::size_t i = 0;
    while (i < count) {
        // A run of entries with the same target; the same target later starts a new run.
        DDSURFACEDATA* target = b.entries[i].lpSD;
        std::size_t end = i + 1;
        while (end < count && b.entries[end].lpSD == target && end - i < kMaxGroupQuads) ++end;
        if (!D3DBeginScene() || !D3DSetRenderTarget(0, target)) {
            // This group cannot start: the walk goes on with the next entry.
            ++i;
            continue;
        }
        for (std::size_t k = i; k < end; ++k) {
            const RECTBATCHENTRY& e = b.entries[k];
            const float l = static_cast<float>(e.x) - 0.5f, t = static_cast<float>(e.y) - 0.5f;
            const float r = static_cast<float>(e.x + e.w) - 0.5f;
            const float bo = static_cast<float>(e.y + e.h) - 0.5f;
            const auto w = static_cast<float>(e.w), h = static_cast<float>(e.h);
            b.lpVertexData.push_back(plat::D3DTLVERTEX{l, t, 0, 1, e.dwColor, 0, 0});
            b.lpVertexData.push_back(plat::D3DTLVERTEX{l, bo, 0, 1, e.dwColor, 0, h});
            b.lpVertexData.push_back(plat::D3DTLVERTEX{r, t, 0, 1, e.dwColor, w, 0});
            b.lpVertexData.push_back(plat::D3DTLVERTEX{r, bo, 0, 1, e.dwColor, w, h});
        }
        if (MakeBuffers(b.lpVertexData, b.lpVB, b.lpIB)) {
            lpDevice->SetTextureStageState(0, plat::D3DTSS_COLOROP, plat::D3DTOP_SELECTARG2);
            lpDevice->SetTextureStageState(0, plat::D3DTSS_COLORARG2, plat::D3DTA_DIFFUSE);
            lpDevice->SetTextureStageState(0, plat::D3DTSS_ALPHAOP, plat::D3DTOP_DISABLE);
            lpDevice->SetTexture(0, WorkSD.lpDT ? WorkSD.lpDT->lpTexture : nullptr);
            DrawQuads(end - i);
        }
        ReleaseGroup(b.lpVB, b.lpIB, b.lpVertexData);
        D3DSetRenderTarget(0, lpDTCon->lpScreenSD);
        i = end;
    }
    ReleaseGroup(b.lpVB, b.lpIB, b.lpVertexData);
    b.entries.clear();
    b.bActive = 0;
    return 1;
}

int DDBeginSpriteBatch(int bSort) {
    if (!lpDTCon) return 0;
    SPRITEBATCH& b = SpriteBatch;
    b.bActive = 1;
    b.bSort = bSort;
    ReleaseGroup(b.lpVB, b.lpIB, b.lpVertexData);
    b.entries.clear();
    b.order.clear();
    b.nCount = 0;
    return 1;
}

int DDRegisterSpriteSurface(DDSURFACEDATA* lpSD) {
    SPRITEBATCH& b = SpriteBatch;
    if (!lpDTCon || !b.bActive || !b.bSort || !lpSD) return 0;
    for (const SPRITESURFACEKEY& k : b.order)
        if (k.lpSD == lpSD) return 1;
    const int key = static_cast<int>(b.order.size()) * 100000 + 100000;
    b.order.push_back(SPRITESURFACEKEY{lpSD, key});
    return 1;
}

void DDQueueSprite(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc, int dx, int dy, int dw, int dh,
                   int sx, int sy, int sw, int sh, std::uint32_t dwFlags) {
    SPRITEBATCH& b = SpriteBatch;
    int key = 0;
    if (b.bSort) {
        for (const SPRITESURFACEKEY& k : b.order) {
            if (k.lpSD == lpSrc) {
                key = k.nKey;
                break;
            }
        }
    }
    const DTCONTEXT& con = *lpDTCon;
    b.entries.push_back(SPRITEBATCHENTRY{b.nCount + key, lpDst, lpSrc, dx, dy, dw, dh, sx, sy, sw,
                                         sh, dwFlags, con.dwDiffuse, con.dwColorOp, con.dwAlphaOp,
                                         0, b.nCount});
    ++b.nCount;
}

int DDEndSpriteBatch() {
    if (!lpDTCon) return 0;
    SPRITEBATCH& b = SpriteBatch;
    if (b.bSort) {
        std::sort(b.entries.begin(), b.entries.end(),
                  [](const SPRITEBATCHENTRY& l, const SPRITEBATCHENTRY& r) {
                      return l.nKey != r.nKey ? l.nKey < r.nKey : l.nOrder < r.nOrder;
                  });
    }
    const std::size_t count = lpDevice ? b.entries.size() : 0;
    std::size_t i = 0;
    while (i < count) {
        const SPRITEBATCHENTRY& first = b.entries[i];
        std::size_t end = i + 1;
        while (end < count && SameGroup(b.entries[end], first) && end - i < kMaxGroupQuads) ++end;
        DDSURFACEDATA* dst = first.lpDst;
        DDSURFACEDATA* src = first.lpSrc;
        if (!D3DBeginScene() || !D3DSetRenderTarget(0, dst)) {
            ++i;
            continue;
        }
        // A source released since its blits were queued is nothing to draw.
        plat::IDirect3DTexture9* texture = src->lpDT ? src->lpDT->lpTexture : nullptr;
        if (texture) {
            if (first.dwFlags == 0 && src->lpDT->bColorKey) {
                for (std::size_t k = i; k < end; ++k) {
                    const SPRITEBATCHENTRY& e = b.entries[k];
                    const plat::RECT r{e.dx, e.dy, e.dx + e.dw, e.dy + e.dh};
                    lpDevice->Clear(1, &r, plat::D3DCLEAR_TARGET, TransparentOf(dst), 1.0f, 0);
                }
            }
            b.lpVertexData.resize((end - i) * 4);
            for (std::size_t k = i; k < end; ++k) {
                const SPRITEBATCHENTRY& e = b.entries[k];
                WriteSpriteVertices(&b.lpVertexData[(k - i) * 4], src, e.dx, e.dy, e.dw, e.dh, e.sx,
                                    e.sy, e.sw, e.sh, e.dwDiffuse);
            }
            if (MakeBuffers(b.lpVertexData, b.lpVB, b.lpIB)) {
                SetSpriteStageStates(first.dwColorOp, first.dwAlphaOp);
                lpDevice->SetTexture(0, texture);
                DrawQuads(end - i);
            }
        }
        ReleaseGroup(b.lpVB, b.lpIB, b.lpVertexData);
        D3DSetRenderTarget(0, lpDTCon->lpScreenSD);
        i = end;
    }
    ReleaseGroup(b.lpVB, b.lpIB, b.lpVertexData);
    b.entries.clear();
    b.order.clear();
    b.nCount = 0;
    b.bActive = 0;
    return 1;
}

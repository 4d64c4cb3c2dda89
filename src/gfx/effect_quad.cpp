#include "gfx/effect_quad.h"

#include <cstring>

#include "gfx/batch.h"
#include "gfx/display.h"
#include "platform/d3d9.h"

bool ResolveEffectSurfaces(DDSURFACEDATA** lpDst, DDSURFACEDATA** lpSrc) {
    DDGetShareSD(lpDst);
    DDGetShareSD(lpSrc);
    D3DRedirectBackBuffer(lpDst);
    D3DRedirectBackBuffer(lpSrc);
    const DDSURFACEDATA *d = *lpDst, *s = *lpSrc;
    return lpDevice && d && s && d->lpDT && s->lpDT && d->lpDT->bRenderTarget &&
           s->lpDT->nMemoryType != DTMEMORYTYPE_SYSTEM;
}

void EffectRectVertices(plat::D3DTLVERTEX* v, const DDSURFACEDATA* lpSrc, long long x, long long y,
                        long long w, long long h, long long sx, long long sy, long long sw,
                        long long sh, std::uint32_t diffuse) {
    const double T = lpSrc->nTexWidth > 0 ? lpSrc->nTexWidth : 1;
    const double V = lpSrc->nTexHeight > 0 ? lpSrc->nTexHeight : 1;
    const float l = static_cast<float>(static_cast<double>(x) - 0.5),
                t = static_cast<float>(static_cast<double>(y) - 0.5),
                r = static_cast<float>(static_cast<double>(x + w) - 0.5),
                b = static_cast<float>(static_cast<double>(y + h) - 0.5);
    const float u0 = static_cast<float>(static_cast<double>(sx) / T),
                u1 = static_cast<float>(static_cast<double>(sx + sw) / T);
    const float v0 = static_cast<float>(static_cast<double>(sy) / V),
                v1 = static_cast<float>(static_cast<double>(sy + sh) / V);
    v[0] = plat::D3DTLVERTEX{l, t, 0, 1, diffuse, u0, v0};
    v[1] = plat::D3DTLVERTEX{l, b, 0, 1, diffuse, u0, v1};
    v[2] = plat::D3DTLVERTEX{r, t, 0, 1, diffuse, u1, v0};
    v[3] = plat::D3DTLVERTEX{r, b, 0, 1, diffuse, u1, v1};
}

int DrawEffectQuad(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc, const plat::D3DTLVERTEX* v,
                   const std::function<void()>& stages, const std::function<void()>& after,
                   bool untextured) {
    DDTEXTUREDATA& src = *lpSrc->lpDT;
    void* data = nullptr;
    if (!src.lpVB || (!src.lpTexture && !untextured) ||
        plat::FAILED(src.lpVB->Lock(0, 4 * sizeof(plat::D3DTLVERTEX), &data, 0)))
        return 0;
    std::memcpy(data, v, 4 * sizeof(plat::D3DTLVERTEX));
    src.lpVB->Unlock();
    if (!D3DBeginScene() || !D3DSetRenderTarget(0, lpDst)) return 1;
    stages();
    lpDevice->SetTexture(0, src.lpTexture);
    lpDevice->SetStreamSource(0, src.lpVB, 0, sizeof(plat::D3DTLVERTEX));
    lpDevice->SetFVF(kQuadFvf);
    lpDevice->DrawPrimitive(plat::D3DPT_TRIANGLESTRIP, 0, 2);
    if (D3DSetRenderTarget(0, lpDTCon->lpScreenSD) && after) after();
    return 2;
}

#include "gfx/fill.h"

#include <algorithm>

#include "base/log.h"
#include "gfx/batch.h"
#include "gfx/display.h"
#include "gfx/palette.h"
#include "gfx/surface_lock.h"
#include "platform/d3d9.h"
#include "platform/ddraw.h"

namespace {

// Cuts the span [pos, pos + len) to [0, limit); len <= 0 afterwards means nothing is left.
void ClipSpan(int& pos, int& len, int limit) {
    std::int64_t start = pos, end = std::int64_t{pos} + len;
    start = std::max<std::int64_t>(start, 0);
    end = std::min<std::int64_t>(end, limit);
    pos = static_cast<int>(std::min<std::int64_t>(start, limit));
    len = static_cast<int>(std::max<std::int64_t>(end - start, 0));
}

// A DirectDraw colour fill of the rectangle, cut to the surface.
int ColorFill(DDSURFACEDATA* lpSD, int x, int y, int w, int h, std::uint32_t value) {
    if (!lpSD || !lpSD->lpDS || !lpSD->lpDS->lpDDSurface) return plat::DDERR_INVALIDOBJECT;
    ClipSpan(x, w, lpSD->nWidth);
    ClipSpan(y, h, lpSD->nHeight);
    if (w <= 0 || h <= 0) return plat::DD_OK;
    plat::RECT r{x, y, x + w, y + h};
    plat::DDBLTFX fx;
    fx.dwFillColor = value;
    return lpSD->lpDS->lpDDSurface->Blt(&r, nullptr, nullptr,
                                        plat::DDBLT_COLORFILL | plat::DDBLT_WAIT, &fx);
}

std::uint32_t Scale(std::uint32_t c, int shift, int max) {
    return ((c >> shift) & 0xFF) * static_cast<std::uint32_t>(max) / 255;
}

// A D3DCOLOR as a 16-bit pixel of the surface's format.
std::uint16_t To16(DDSURFACEDATA* lpSD, std::uint32_t c) {
    if (IsFullScreenBackBuffer(lpSD)) {
        // The back buffer has 6 bits of green; the value is scaled to 5 and doubled.
        return static_cast<std::uint16_t>(Scale(c, 16, 31) << PixFmtBack.nShiftR |
                                          (Scale(c, 8, 31) * 2) << PixFmtBack.nShiftG |
                                          Scale(c, 0, 31) << PixFmtBack.nShiftB);
    }
    return static_cast<std::uint16_t>(
        Scale(c, 16, PixFmt.nMaxR) << PixFmt.nShiftR | Scale(c, 8, PixFmt.nMaxG) << PixFmt.nShiftG |
        Scale(c, 0, PixFmt.nMaxB) << PixFmt.nShiftB | Scale(c, 24, PixFmt.nMaxA) << PixFmt.nShiftA);
}

int SoftwareFill(DDSURFACEDATA* lpSD, int x, int y, int w, int h, std::uint32_t color) {
    cSurfaceLock lock;
    if (!lock.Lock(lpSD)) return 0;
    DDSURFACEDATA* sd = lock.m_lpSD;
    ClipSpan(x, w, sd->nWidth);
    ClipSpan(y, h, sd->nHeight);
    if (lock.m_nBpp == 16) {
        const std::uint16_t v = To16(sd, color);
        for (int j = 0; j < h; ++j) {
            auto* row = reinterpret_cast<std::uint16_t*>(lock.m_lpBits) +
                        static_cast<std::ptrdiff_t>(y + j) * lock.m_nPitch + x;
            std::fill_n(row, w, v);
        }
    } else if (lock.m_nBpp == 32) {
        for (int j = 0; j < h; ++j) {
            auto* row = reinterpret_cast<std::uint32_t*>(lock.m_lpBits) +
                        static_cast<std::ptrdiff_t>(y + j) * lock.m_nPitch + x;
            std::fill_n(row, w, color);
        }
    }
    return 1;
}

// The quad of the rectangle, pixel centres inside it, in the surface's own vertex buffer.
bool WriteQuad(plat::IDirect3DVertexBuffer9* vb, int x, int y, int w, int h, std::uint32_t color) {
    void* data = nullptr;
    if (!vb || plat::FAILED(vb->Lock(0, 0, &data, 0))) return false;
    const float l = static_cast<float>(x) - 0.5f, t = static_cast<float>(y) - 0.5f;
    const float r = static_cast<float>(x + w) - 0.5f, b = static_cast<float>(y + h) - 0.5f;
    const plat::D3DTLVERTEX quad[4] = {{l, t, 0, 1, color, 0, 0},
                                       {l, b, 0, 1, color, 0, 0},
                                       {r, t, 0, 1, color, 0, 0},
                                       {r, b, 0, 1, color, 0, 0}};
    std::memcpy(data, quad, sizeof quad);
    vb->Unlock();
    return true;
}

int Direct3DFill(DDSURFACEDATA* lpSD, int x, int y, int w, int h, std::uint32_t color) {
    DDGetShareSD(&lpSD);
    D3DRedirectBackBuffer(&lpSD);
    if (!lpSD->lpDT) return 0;
    DDTEXTUREDATA& dt = *lpSD->lpDT;
    if (!dt.bRenderTarget) return SoftwareFill(lpSD, x, y, w, h, color);

    ClipSpan(x, w, lpSD->nWidth);
    ClipSpan(y, h, lpSD->nHeight);
    if (w <= 0 || h <= 0) return 1;
    const std::uint32_t transparent =
        lpSD == &BackBuffer ? lpDTCon->dwTransmitBack : lpDTCon->dwTransmit;
    if (dt.bColorKey && (nBpp == 16 || nBpp == 32) && color == transparent) {
        // A quad of alpha 0 would change nothing under the blend: the clear writes it.
        D3DBeginScene();
        if (!D3DSetRenderTarget(0, lpSD)) return 0;
        const plat::RECT r{x, y, x + w, y + h};
        lpDevice->Clear(1, &r, plat::D3DCLEAR_TARGET, color, 1.0f, 0);
        D3DSetRenderTarget(0, lpDTCon->lpScreenSD);
        return 1;
    }
    if (RectBatch.bActive) {
        if (!dt.lpSurface) return 0;  // an empty surface takes nothing
        DDQueueRect(lpSD, x, y, w, h, color);
        return 1;
    }
    if (!WriteQuad(dt.lpVB, x, y, w, h, color)) return 0;
    if (!D3DBeginScene() || !D3DSetRenderTarget(0, lpSD)) return 0;
    lpDevice->SetRenderState(plat::D3DRS_TEXTUREFACTOR, color);
    lpDevice->SetTextureStageState(0, plat::D3DTSS_COLOROP, plat::D3DTOP_SELECTARG2);
    lpDevice->SetTextureStageState(0, plat::D3DTSS_COLORARG2, plat::D3DTA_TFACTOR);
    lpDevice->SetTextureStageState(0, plat::D3DTSS_ALPHAOP, plat::D3DTOP_SELECTARG2);
    lpDevice->SetTextureStageState(0, plat::D3DTSS_ALPHAARG2, plat::D3DTA_TFACTOR);
    lpDevice->SetStreamSource(0, dt.lpVB, 0, sizeof(plat::D3DTLVERTEX));
    lpDevice->SetFVF(plat::D3DFVF_XYZRHW | plat::D3DFVF_DIFFUSE | plat::D3DFVF_TEX1);
    lpDevice->DrawPrimitive(plat::D3DPT_TRIANGLESTRIP, 0, 2);
    D3DSetRenderTarget(0, lpDTCon->lpScreenSD);
    return 1;
}

// One pixel of a circle or of DDSetPixel.
void Plot(DDSURFACEDATA* lpSD, int x, int y, std::uint32_t dwPalNum) {
    if (x < 0 || y < 0 || x >= lpSD->nWidth || y >= lpSD->nHeight) return;
    if (lpDTCon)
        DDFillRect(lpSD, x, y, 1, 1, dwPalNum);
    else
        ColorFill(lpSD, x, y, 1, 1, PalNumToRGB(dwPalNum));
}

}  // namespace

int DDFillRect(DDSURFACEDATA* lpSD, int x, int y, int w, int h, std::uint32_t dwPalNum) {
    if (lpDTCon) return D3DFillRect(lpSD, x, y, w, h, PalNumToRGB(dwPalNum));
    return ColorFill(lpSD, x, y, w, h, PalNumToRGB(dwPalNum));
}

int DDFillSurface(DDSURFACEDATA* lpSD, std::uint32_t dwPalNum) {
    if (!lpSD) return 0;
    return DDFillRect(lpSD, 0, 0, lpSD->nWidth, lpSD->nHeight, dwPalNum);
}

int D3DFillRect(DDSURFACEDATA* lpSD, int x, int y, int w, int h, std::uint32_t dwColor) {
    if (!lpSD) return 0;
    if (lpDTCon) return lpDevice ? Direct3DFill(lpSD, x, y, w, h, dwColor) : 0;
    return ColorFill(lpSD, x, y, w, h, dwColor);
}

int D3DFillSurface(DDSURFACEDATA* lpSD, std::uint32_t dwColor) {
    if (!lpSD) return 0;
    return D3DFillRect(lpSD, 0, 0, lpSD->nWidth, lpSD->nHeight, dwColor);
}

void DDSetPixel(DDSURFACEDATA* lpSD, int x, int y, std::uint32_t dwPalNum) {
    if (lpSD) Plot(lpSD, x, y, dwPalNum);
}

void DDDrawCircle(DDSURFACEDATA* lpSD, int cx, int cy, int r, std::uint32_t dwPalNum) {
    if (!lpSD || r < 1) return;
    int x = 0, y = r, d = 3 - 2 * r;
    while (y >= x) {
        const int points[8][2] = {{cx + x, cy + y}, {cx - x, cy + y}, {cx + x, cy - y},
                                  {cx - x, cy - y}, {cx + y, cy + x}, {cx - y, cy + x},
                                  {cx + y, cy - x}, {cx - y, cy - x}};
        for (const auto& p : points) Plot(lpSD, p[0], p[1], dwPalNum);
        if (d < 0) {
            d += 4 * x + 6;
        } else {
            d += 4 * (x - y) + 10;
            --y;
        }
        ++x;
    }
}

bool DDLock(DDSURFACEDATA* lpSD, plat::DDSURFACEDESC2* lpDesc, std::uint8_t** ppBits, int bpp) {
    if (lpDTCon) {
        ErrorLog("D3DではDDLockは未対応");
        return true;
    }
    if (!lpSD || !lpDesc || !lpSD->lpDS || !lpSD->lpDS->lpDDSurface) return false;
    lpDesc->dwSize = sizeof(plat::DDSURFACEDESC2);
    if (plat::FAILED(lpSD->lpDS->lpDDSurface->Lock(nullptr, lpDesc, plat::DDLOCK_WAIT, nullptr)))
        return false;
    if (ppBits && (bpp == 8 || bpp == 16 || bpp == 24 || bpp == 32))
        *ppBits = static_cast<std::uint8_t*>(lpDesc->lpSurface);
    return true;
}

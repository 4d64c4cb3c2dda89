#include "gfx/blit.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

#include "base/log.h"
#include "gfx/batch.h"
#include "gfx/display.h"
#include "gfx/surface_lock.h"
#include "platform/d3d9.h"
#include "platform/ddraw.h"
#include "platform/trunc.h"

namespace {

plat::IDirectDrawSurface7* DirectDrawSurface(DDSURFACEDATA* sd) {
    return sd && sd->lpDS ? sd->lpDS->lpDDSurface : nullptr;
}

int Trunc(double v) {
    return plat::TruncToInt(v);
}

// ---- DirectDraw

int DirectDrawBltRect(DDSURFACEDATA* lpDst, int x, int y, int w, int h, DDSURFACEDATA* lpSrc,
                      int sx, int sy, std::uint32_t dwFlags) {
    plat::IDirectDrawSurface7* dst = DirectDrawSurface(lpDst);
    plat::IDirectDrawSurface7* src = DirectDrawSurface(lpSrc);
    if (!dst || !src) return 0;
    int sw = w, sh = h;
    if (!DDClipBlt(lpDst, &x, &y, &w, &h, lpSrc, &sx, &sy, &sw, &sh)) return 0;
    plat::RECT r{sx, sy, sx + sw, sy + sh};
    return dst->BltFast(static_cast<plat::DWORD>(x), static_cast<plat::DWORD>(y), src, &r,
                        dwFlags | plat::DDBLTFAST_WAIT);
}

int DirectDrawBltScale(DDSURFACEDATA* lpDst, int dx, int dy, int dw, int dh, DDSURFACEDATA* lpSrc,
                       int sx, int sy, int sw, int sh, std::uint32_t dwFlags) {
    plat::IDirectDrawSurface7* dst = DirectDrawSurface(lpDst);
    plat::IDirectDrawSurface7* src = DirectDrawSurface(lpSrc);
    if (!dst || !src) return 0;
    if (!DDClipBlt(lpDst, &dx, &dy, &dw, &dh, lpSrc, &sx, &sy, &sw, &sh)) return 0;
    plat::RECT dr{dx, dy, dx + dw, dy + dh};
    plat::RECT sr{sx, sy, sx + sw, sy + sh};
    const plat::DWORD flags =
        plat::DDBLT_WAIT | (dwFlags == DDBLT_COLORKEY ? plat::DDBLT_KEYSRC : 0);
    return dst->Blt(&dr, src, &sr, flags, nullptr);
}

// ---- Direct3D, the device path

// The transparent colour a keyed opaque copy leaves in the destination.
std::uint32_t TransparentOf(DDSURFACEDATA* lpDst) {
    // The 16-bit forms of the back end are pixel values; the clear takes the colour they
    // stand for, which the D3DCOLOR forms hold at both depths.
    return lpDst == &BackBuffer ? lpDTCon->dwTransmitBack : lpDTCon->dwTransmit;
}

int DevicePath(DDSURFACEDATA* lpDst, int dx, int dy, int dw, int dh, DDSURFACEDATA* lpSrc, int sx,
               int sy, int sw, int sh, std::uint32_t dwFlags) {
    if (!DDClipBlt(lpDst, &dx, &dy, &dw, &dh, lpSrc, &sx, &sy, &sw, &sh)) return 0;
    DDTEXTUREDATA& src = *lpSrc->lpDT;
    if (!src.lpTexture || !lpDst->lpDT->lpSurface) return 0;
    if (SpriteBatch.bActive) {
        DDQueueSprite(lpDst, lpSrc, dx, dy, dw, dh, sx, sy, sw, sh, dwFlags);
        return 1;
    }
    DTCONTEXT& con = *lpDTCon;
    // The quad goes to the device as it is, without the texture's vertex buffer (which only
    // this draw reads, after writing it) and without making the target the render target.
    if (!src.lpVB || !D3DBeginScene()) return 0;
    SetSpriteStageStates(con.dwColorOp, con.dwAlphaOp);
    lpDevice->SetTexture(0, src.lpTexture);
    const plat::RECT r{dx, dy, dx + dw, dy + dh};
    const bool clear = dwFlags == 0 && src.bColorKey;
    // A target the device refuses draws nothing, as when it cannot be made the render target
    // (which is reported); a locked one draws nothing either, and the blit still counts.
    plat::IDirect3DSurface9* target = lpDst->lpDT->lpSurface;
    if (!target->IsRenderTarget()) {
        ReportLog("SetRenderTarget Err %x (%s)", static_cast<unsigned>(plat::D3DERR_INVALIDCALL),
                  lpDst->szFileName);
        return 0;
    }
    const plat::D3DCOLOR clearColour = clear ? TransparentOf(lpDst) : 0;
    // Unscaled sprites and tiles, facing either way, are drawn from their rectangles,
    // without the vertices.
    if ((sw != dw && sw != -dw) || sh != dh ||
        !lpDevice->DrawSpriteRectOnto(target, r, sx, sy, lpSrc->nTexWidth, lpSrc->nTexHeight,
                                      con.dwDiffuse, clear ? &r : nullptr, clearColour, sw < 0)) {
        plat::D3DTLVERTEX v[4];
        WriteSpriteVertices(v, lpSrc, dx, dy, dw, dh, sx, sy, sw, sh, con.dwDiffuse);
        lpDevice->DrawQuadOnto(target, v, clear ? &r : nullptr, clearColour);
    }
    // Every draw leaves the screen the render target.
    D3DSetRenderTarget(0, con.lpScreenSD);
    return 1;
}

// ---- Direct3D, the software path

struct LockedPixels {
    std::uint8_t* bits;
    int pitch;  // in pixels
    int width;  // logical size, within the storage
    int height;
};

LockedPixels Pixels(const cSurfaceLock& lock) {
    const DDSURFACEDATA* sd = lock.m_lpSD;
    return LockedPixels{lock.m_lpBits, lock.m_nPitch, std::min(sd->nWidth, sd->nTexWidth),
                        std::min(sd->nHeight, sd->nTexHeight)};
}

template <class Pixel>
Pixel* At(const LockedPixels& p, int x, int y) {
    return reinterpret_cast<Pixel*>(p.bits) + static_cast<std::ptrdiff_t>(y) * p.pitch + x;
}

struct Geometry {
    int dx, dy, dw, dh, sx, sy, sw, sh;
};

// Unscaled: destination (dx + k, dy + j) takes source (sx + k, sy + j), both inside their
// logical sizes. Within one surface rows and columns run in the order that reads every
// source pixel before it is overwritten.
template <class Pixel, class Skip, class Convert>
void CopyUnscaled(const LockedPixels& d, const LockedPixels& s, const Geometry& g, bool self,
                  Skip skip, Convert convert) {
    using i64 = long long;
    const i64 dx = g.dx, dy = g.dy, sx = g.sx, sy = g.sy;
    const i64 kFrom = std::max({0LL, -dx, -sx});
    const i64 kTo = std::min({static_cast<i64>(g.dw), d.width - dx, s.width - sx});
    if (kFrom >= kTo) return;
    // Only the rows that lie in both surfaces, however large the rectangle.
    const i64 jFrom = std::max({0LL, -dy, -sy});
    const i64 jTo = std::min({static_cast<i64>(g.dh), d.height - dy, s.height - sy});
    if (jFrom >= jTo) return;
    const bool upward = self && g.dy > g.sy;
    const bool leftward = self && g.dy == g.sy && g.dx > g.sx;
    for (i64 n = jFrom; n < jTo; ++n) {
        const i64 j = upward ? jTo - 1 - (n - jFrom) : n;
        const int ty = static_cast<int>(dy + j), fy = static_cast<int>(sy + j);
        Pixel* out = At<Pixel>(d, 0, ty);
        const Pixel* in = At<Pixel>(s, 0, fy);
        if (leftward) {
            for (i64 k = kTo - 1; k >= kFrom; --k)
                if (!skip(in[sx + k])) out[dx + k] = convert(in[sx + k]);
        } else {
            for (i64 k = kFrom; k < kTo; ++k)
                if (!skip(in[sx + k])) out[dx + k] = convert(in[sx + k]);
        }
    }
}

// Scaled (and mirrored): the source row of destination row j is sy + trunc(j * ry), the
// source column of column k sx + trunc(k * rx) (one further left when reading backwards),
// with the ratios in single precision.
template <class Pixel, class Skip, class Convert>
void CopyScaled(const LockedPixels& d, const LockedPixels& s, const Geometry& g, Skip skip,
                Convert convert) {
    const float rx = static_cast<float>(g.sw) / static_cast<float>(g.dw);
    const float ry = static_cast<float>(g.sh) / static_cast<float>(g.dh);
    // Only the rows and columns that land in the destination: a huge stretch (a damaged
    // effect record) costs no more than the destination's pixels.
    const long long jFrom = std::max(0LL, -static_cast<long long>(g.dy));
    const long long jTo = std::min<long long>(g.dh, static_cast<long long>(d.height) - g.dy);
    const long long kFrom = std::max(0LL, -static_cast<long long>(g.dx));
    const long long kTo = std::min<long long>(g.dw, static_cast<long long>(d.width) - g.dx);
    for (long long j = jFrom; j < jTo; ++j) {
        const int ty = static_cast<int>(g.dy + j);
        const long long fy = g.sy + static_cast<long long>(Trunc(static_cast<float>(j) * ry));
        if (fy < 0 || fy >= s.height) continue;
        Pixel* out = At<Pixel>(d, 0, ty);
        const Pixel* in = At<Pixel>(s, 0, static_cast<int>(fy));
        for (long long k = kFrom; k < kTo; ++k) {
            const int tx = static_cast<int>(g.dx + k);
            const long long t = Trunc(static_cast<float>(k) * rx);
            long long fx;
            if (g.sw >= 0) {
                if (t < 0 || t >= g.sw) continue;
                fx = g.sx + t;
            } else {
                if (t <= g.sw || t > 0) continue;
                fx = g.sx + t - 1;
            }
            if (fx < 0 || fx >= s.width) continue;
            if (!skip(in[fx])) out[tx] = convert(in[fx]);
        }
    }
}

template <class Pixel, class Skip, class Convert>
void Copy(const LockedPixels& d, const LockedPixels& s, const Geometry& g, bool self, Skip skip,
          Convert convert) {
    if (g.sw == g.dw && g.sh == g.dh)
        CopyUnscaled<Pixel>(d, s, g, self, skip, convert);
    else
        CopyScaled<Pixel>(d, s, g, skip, convert);
}

template <class Pixel, class Convert>
void CopyKeyedOrNot(const LockedPixels& d, const LockedPixels& s, const Geometry& g, bool self,
                    bool keyed, Convert convert) {
    auto never = [](Pixel) { return false; };
    if (!keyed) {
        Copy<Pixel>(d, s, g, self, never, convert);
    } else if constexpr (sizeof(Pixel) == 2) {
        // The 16-bit test of the original: a texel without its alpha bit and bit 13.
        Copy<Pixel>(
            d, s, g, self, [](Pixel p) { return (p & 0xA000) == 0; }, convert);
    } else {
        Copy<Pixel>(
            d, s, g, self, [](Pixel p) { return (p >> 24) == 0; }, convert);
    }
}

int SoftwarePath(DDSURFACEDATA* lpDst, const Geometry& g, DDSURFACEDATA* lpSrc,
                 std::uint32_t dwFlags) {
    if (g.dw <= 0 || g.dh <= 0 || g.sw == 0 || g.sh == 0) return 0;
    // The destination is locked first and released last.
    cSurfaceLock dstLock, srcLock;
    if (!dstLock.Lock(lpDst)) return 0;
    const bool self = lpSrc == dstLock.m_lpSD;
    if (!self && !srcLock.Lock(lpSrc)) return 0;
    const LockedPixels d = Pixels(dstLock), s = Pixels(self ? dstLock : srcLock);
    const bool keyed = dwFlags == DDBLT_COLORKEY;
    if (dstLock.m_nBpp == 32) {
        CopyKeyedOrNot<std::uint32_t>(d, s, g, self, keyed, [](std::uint32_t p) { return p; });
    } else if (dstLock.m_nBpp == 16) {
        if (IsFullScreenBackBuffer(dstLock.m_lpSD)) {
            // Texture pixels into the back buffer's format: red and blue keep their value,
            // green doubles from 5 to 6 bits, alpha is dropped.
            const DDPIXFMT t = PixFmt, b = PixFmtBack;
            CopyKeyedOrNot<std::uint16_t>(d, s, g, self, keyed, [t, b](std::uint16_t p) {
                const unsigned r = (p >> t.nShiftR) & t.nMaxR, gr = (p >> t.nShiftG) & t.nMaxG,
                               bl = (p >> t.nShiftB) & t.nMaxB;
                return static_cast<std::uint16_t>(r << b.nShiftR | (gr * 2) << b.nShiftG |
                                                  bl << b.nShiftB);
            });
        } else {
            CopyKeyedOrNot<std::uint16_t>(d, s, g, self, keyed, [](std::uint16_t p) { return p; });
        }
    }
    return 1;
}

int Direct3DBltScale(DDSURFACEDATA* lpDst, int dx, int dy, int dw, int dh, DDSURFACEDATA* lpSrc,
                     int sx, int sy, int sw, int sh, std::uint32_t dwFlags) {
    if (!lpDst || !lpSrc || !lpDevice) return 0;
    DDGetShareSD(&lpDst);
    DDGetShareSD(&lpSrc);
    if (lpDTCon->bVirCopy) {
        lpDst = &BackBuffer;
        lpSrc = &VirBackBuffer;
    } else {
        D3DRedirectBackBuffer(&lpDst);
        D3DRedirectBackBuffer(&lpSrc);
    }
    if (!lpDst->lpDT || !lpSrc->lpDT) return 0;
    if (lpDst->lpDT->bRenderTarget && lpSrc->lpDT->nMemoryType != DTMEMORYTYPE_SYSTEM)
        return DevicePath(lpDst, dx, dy, dw, dh, lpSrc, sx, sy, sw, sh, dwFlags);
    return SoftwarePath(lpDst, Geometry{dx, dy, dw, dh, sx, sy, sw, sh}, lpSrc, dwFlags);
}

}  // namespace

int DDClipBlt(DDSURFACEDATA* lpDst, int* dx, int* dy, int* dw, int* dh, DDSURFACEDATA* lpSrc,
              int* sx, int* sy, int* sw, int* sh) {
    if (!lpDst || !lpSrc || !dx || !dy || !dw || !dh || !sx || !sy || !sw || !sh) return 0;
    long long DX = *dx, DY = *dy, DW = *dw, DH = *dh;
    long long SX = *sx, SY = *sy, SW = *sw, SH = *sh;
    const long long origSW = SW, origSH = SH;
    if (DW <= 0 || DH <= 0 || SW == 0 || SH == 0) return 0;
    const long long srcW = lpSrc->nWidth, srcH = lpSrc->nHeight;
    const long long dstW = lpDst->nWidth, dstH = lpDst->nHeight;

    // Unscaled and inside both surfaces (nearly every blit of a frame): nothing to cut.
    if (SW == DW && SH == DH && DX >= 0 && DY >= 0 && SX >= 0 && SY >= 0 && DX + DW <= dstW &&
        DY + DH <= dstH && SX + SW <= srcW && SY + SH <= srcH)
        return 1;
    if (SW == DW && SH == DH) {
        long long left = std::max(SX, 0LL), top = std::max(SY, 0LL);
        long long right = std::min(SX + SW, srcW), bottom = std::min(SY + SH, srcH);
        // A negative destination position cuts the source's left (top) side; the right
        // (bottom) side is cut against the destination in every case.
        if (DX < 0) {
            left -= DX;
            DX = 0;
        }
        if (DX + (right - left) > dstW) right = left + dstW - DX;
        if (DY < 0) {
            top -= DY;
            DY = 0;
        }
        if (DY + (bottom - top) > dstH) bottom = top + dstH - DY;
        SX = left;
        SY = top;
        SW = DW = right - left;
        SH = DH = bottom - top;
    } else {
        const double rx = static_cast<double>(SW) / static_cast<double>(DW);
        const double ry = static_cast<double>(SH) / static_cast<double>(DH);
        if (rx == 0 || ry == 0) return 0;
        const bool d3d = lpDTCon != nullptr;
        long long x0 = SX, x1 = SX + SW, y0 = SY, y1 = SY + SH;
        if (d3d && SW < 0) std::swap(x0, x1);
        if (d3d && SH < 0) std::swap(y0, y1);
        const long long left = std::max(x0, 0LL), right = std::min(x1, srcW);
        const long long top = std::max(y0, 0LL), bottom = std::min(y1, srcH);
        if (d3d && SW < 0) {
            SX = right;
            SW = left - right;
        } else {
            SX = left;
            SW = right - left;
        }
        if (d3d && SH < 0) {
            SY = bottom;
            SH = top - bottom;
        } else {
            SY = top;
            SH = bottom - top;
        }
        // The destination keeps its position and shrinks with the source.
        DW = Trunc(static_cast<double>(DW) *
                   std::fabs(static_cast<double>(SW) / static_cast<double>(origSW)));
        DH = Trunc(static_cast<double>(DH) *
                   std::fabs(static_cast<double>(SH) / static_cast<double>(origSH)));
        if (!d3d) {
            if (DX < 0) {
                if (DX + DW < 0 || DW == 0) return 0;
                const long long cut = Trunc(static_cast<double>(-DX) / DW * SW);
                SX += cut;
                SW -= cut;
                DW += DX;
                DX = 0;
            }
            if (DX + DW > dstW) {
                if (DX >= dstW || DW == 0) return 0;
                SW = Trunc(static_cast<double>(dstW - DX) / DW * SW);
                DW = dstW - DX;
            }
            if (DY < 0) {
                if (DY + DH < 0 || DH == 0) return 0;
                const long long cut = Trunc(static_cast<double>(-DY) / DH * SH);
                SY += cut;
                SH -= cut;
                DH += DY;
                DY = 0;
            }
            if (DY + DH > dstH) {
                if (DY >= dstH || DH == 0) return 0;
                SH = Trunc(static_cast<double>(dstH - DY) / DH * SH);
                DH = dstH - DY;
            }
        }
    }
    *dx = static_cast<int>(DX);
    *dy = static_cast<int>(DY);
    *dw = static_cast<int>(DW);
    *dh = static_cast<int>(DH);
    *sx = static_cast<int>(SX);
    *sy = static_cast<int>(SY);
    *sw = static_cast<int>(SW);
    *sh = static_cast<int>(SH);
    const bool keptX = SW != 0 && (SW > 0) == (origSW > 0);
    const bool keptY = SH != 0 && (SH > 0) == (origSH > 0);
    return keptX && keptY && DW > 0 && DH > 0 ? 1 : 0;
}

void DDAdjustMirrorRect(DDSURFACEDATA* lpSrc, int* sx, int* sy, int* sw, int* sh) {
    if (!lpDTCon || !lpSrc || !lpSrc->lpShareSD || !sx || !sy || !sw || !sh) return;
    const int W = lpSrc->nMirrorWidth, H = lpSrc->nMirrorHeight;
    if (W != 0) {
        if (*sw == W) {
            *sx += W;
            *sw = -*sw;
        } else if (*sw < W) {
            *sx = *sx - 2 * (*sx % W) + W;
            *sw = -*sw;
        }
    }
    if (H != 0) {
        if (*sh == H) {
            *sy += H;
            *sh = -*sh;
        } else if (*sh < H) {
            *sy = *sy - 2 * (*sy % H) + H;
            *sh = -*sh;
        }
    }
}

int DDBltRect(DDSURFACEDATA* lpDst, int x, int y, int w, int h, DDSURFACEDATA* lpSrc, int sx,
              int sy, std::uint32_t dwFlags) {
    if (lpDTCon) return DDBltScale(lpDst, x, y, w, h, lpSrc, sx, sy, w, h, dwFlags);
    if (lpDDCon) return DirectDrawBltRect(lpDst, x, y, w, h, lpSrc, sx, sy, dwFlags);
    return 0;
}

int DDBltScale(DDSURFACEDATA* lpDst, int dx, int dy, int dw, int dh, DDSURFACEDATA* lpSrc, int sx,
               int sy, int sw, int sh, std::uint32_t dwFlags) {
    DDAdjustMirrorRect(lpSrc, &sx, &sy, &sw, &sh);
    if (lpDTCon) return Direct3DBltScale(lpDst, dx, dy, dw, dh, lpSrc, sx, sy, sw, sh, dwFlags);
    if (lpDDCon) return DirectDrawBltScale(lpDst, dx, dy, dw, dh, lpSrc, sx, sy, sw, sh, dwFlags);
    return 0;
}

int DDBltBlend(DDSURFACEDATA* lpDst, int x, int y, int w, int h, DDSURFACEDATA* lpSrc, int sx,
               int sy, std::uint32_t dwFlags, const DDBLEND* lpBlend) {
    if (lpDTCon) return DDBltScaleBlend(lpDst, x, y, w, h, lpSrc, sx, sy, w, h, dwFlags, lpBlend);
    return DDBltRect(lpDst, x, y, w, h, lpSrc, sx, sy, dwFlags);
}

int DDBltScaleBlend(DDSURFACEDATA* lpDst, int dx, int dy, int dw, int dh, DDSURFACEDATA* lpSrc,
                    int sx, int sy, int sw, int sh, std::uint32_t dwFlags, const DDBLEND* lpBlend) {
    if (!lpDTCon || !lpBlend)
        return DDBltScale(lpDst, dx, dy, dw, dh, lpSrc, sx, sy, sw, sh, dwFlags);
    D3DSetDiffuse(lpBlend->dwDiffuse);
    D3DSetColorOp(lpBlend->dwColorOp);
    const int result = DDBltScale(lpDst, dx, dy, dw, dh, lpSrc, sx, sy, sw, sh, dwFlags);
    D3DResetDiffuse();
    D3DResetColorOp();
    return result;
}

void D3DSetDiffuse(std::uint32_t dwDiffuse) {
    if (lpDTCon) lpDTCon->dwDiffuse = dwDiffuse;
}
void D3DResetDiffuse() {
    D3DSetDiffuse(0xFFFFFFFFu);
}
void D3DSetColorOp(std::uint32_t dwColorOp) {
    if (lpDTCon) lpDTCon->dwColorOp = dwColorOp;
}
void D3DResetColorOp() {
    D3DSetColorOp(plat::D3DTOP_MODULATE);
}
void D3DSetAlphaOp(std::uint32_t dwAlphaOp) {
    if (lpDTCon) lpDTCon->dwAlphaOp = dwAlphaOp;
}
void D3DResetAlphaOp() {
    D3DSetAlphaOp(plat::D3DTOP_SELECTARG1);
}

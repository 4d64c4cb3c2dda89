#include "gfx/effect_pixels.h"

#include <algorithm>
#include <cstring>

#include "platform/ddraw.h"

namespace {

// The size both the record and the locked storage reach.
void Measure(const cSurfaceLock& lock, EFFECTPIXELS* out) {
    const DDSURFACEDATA* sd = lock.m_lpSD;
    out->bits = lock.m_lpBits;
    out->pitch = lock.m_nPitch;
    int w = sd->nWidth, h = sd->nHeight;
    if (sd->lpDT) {
        w = std::min(w, sd->nTexWidth);
        h = std::min(h, sd->nTexHeight);
    } else if (sd->lpDS && sd->lpDS->lpDDSurface) {
        plat::DDSURFACEDESC2 desc;
        desc.dwSize = sizeof desc;
        if (plat::SUCCEEDED(sd->lpDS->lpDDSurface->GetSurfaceDesc(&desc))) {
            w = std::min(w, static_cast<int>(desc.dwWidth));
            h = std::min(h, static_cast<int>(desc.dwHeight));
        }
    }
    out->width = std::max(0, std::min(w, out->pitch));
    out->height = std::max(0, h);
}

// The surface a lock of lpSD takes.
DDSURFACEDATA* Resolved(DDSURFACEDATA* lpSD) {
    if (lpDTCon) {
        DDGetShareSD(&lpSD);
        D3DRedirectBackBuffer(&lpSD);
    }
    return lpSD;
}

}  // namespace

bool cEffectLocks::Lock(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc) {
    if (!lpDst || !lpSrc) return false;
    if (!m_dst.Lock(lpDst) || !m_dst.m_lpBits) {
        m_dst.Release();
        return false;
    }
    Measure(m_dst, &dst);
    if (Resolved(lpSrc) == m_dst.m_lpSD) {
        // One surface: the source is the picture before any write.
        const std::size_t bytes = static_cast<std::size_t>(dst.pitch) *
                                  static_cast<std::size_t>(dst.height) *
                                  static_cast<std::size_t>(m_dst.m_nBytePerPixel);
        m_copy.assign(dst.bits, dst.bits + bytes);
        src = dst;
        src.bits = m_copy.data();
        return true;
    }
    if (!m_src.Lock(lpSrc) || !m_src.m_lpBits) {
        m_src.Release();
        m_dst.Release();
        return false;
    }
    Measure(m_src, &src);
    return true;
}

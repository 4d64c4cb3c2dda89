#include "gfx/effect_rotate.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "gfx/batch.h"
#include "gfx/blit.h"
#include "gfx/effect_pixels.h"
#include "gfx/effect_quad.h"
#include "platform/d3d9.h"
#include "platform/trunc.h"

namespace {

using i64 = long long;

constexpr double kDegree = 0.017453292519943278;

void DeviceRotate(DDSURFACEDATA* dst, int x, int y, int nWidth, int nHeight, int cx, int cy,
                  int nAngle, DDSURFACEDATA* src, int sx, int sy) {
    int sw = nWidth, sh = nHeight;
    DDAdjustMirrorRect(src, &sx, &sy, &sw, &sh);
    const double theta = nAngle * kDegree, s = std::sin(theta), c = std::cos(theta);
    const double T = src->nTexWidth > 0 ? src->nTexWidth : 1;
    const double V = src->nTexHeight > 0 ? src->nTexHeight : 1;
    const double baseX = static_cast<double>(x) + cx - (nWidth >> 1) - 0.5;
    const double baseY = static_cast<double>(y) + cy - (nHeight >> 1) - 0.5;
    const std::uint32_t diffuse = lpDTCon->dwDiffuse;
    // Corners (0, 0), (0, h), (w, 0), (w, h): the strip's order.
    const int cornerX[4] = {0, 0, 1, 1}, cornerY[4] = {0, 1, 0, 1};
    plat::D3DTLVERTEX v[4];
    for (int k = 0; k < 4; ++k) {
        const double dx = static_cast<double>(cornerX[k] ? nWidth : 0) - cx;
        const double dy = static_cast<double>(cornerY[k] ? nHeight : 0) - cy;
        const double X = dx * c - dy * s, Y = dx * s + dy * c;
        const double u = (static_cast<double>(sx) + (cornerX[k] ? sw : 0)) / T;
        const double w = (static_cast<double>(sy) + (cornerY[k] ? sh : 0)) / V;
        v[k] = plat::D3DTLVERTEX{
            static_cast<float>(baseX + X), static_cast<float>(baseY + Y), 0, 1, diffuse,
            static_cast<float>(u),         static_cast<float>(w)};
    }
    const std::uint32_t colorOp = lpDTCon->dwColorOp, alphaOp = lpDTCon->dwAlphaOp;
    DrawEffectQuad(dst, src, v, [colorOp, alphaOp] { SetSpriteStageStates(colorOp, alphaOp); });
}

template <class Pixel>
void MapPixels(const cEffectLocks& l, i64 x, i64 y, i64 w, i64 h, i64 cx, i64 cy, i64 sF, i64 cF,
               i64 sx, i64 sy, bool keyed) {
    // The rotated picture's bounding box, widened by 2 on every side.
    i64 minX = 0, maxX = 0, minY = 0, maxY = 0;
    const i64 cornerX[4] = {0, w - 1, 0, w - 1}, cornerY[4] = {0, 0, h - 1, h - 1};
    for (int k = 0; k < 4; ++k) {
        const i64 dx = cornerX[k] - cx, dy = cornerY[k] - cy;
        const i64 X = ((dx * cF - dy * sF) >> 10) + cx, Y = ((dx * sF + dy * cF) >> 10) + cy;
        minX = k ? std::min(minX, X) : X;
        maxX = k ? std::max(maxX, X) : X;
        minY = k ? std::min(minY, Y) : Y;
        maxY = k ? std::max(maxY, Y) : Y;
    }
    // Inverse rotation (sin(-t) = -sin t, cos(-t) = cos t, truncated alike).
    const i64 sI = -sF, cI = cF;
    const EFFECTPIXELS &d = l.dst, &s = l.src;
    // Box rows and columns whose destination pixel x + k - cx, y + r - cy lies inside.
    const i64 r0 = std::max(minY - 2, cy - y), r1 = std::min(maxY + 2, d.height + cy - y);
    const i64 k0 = std::max(minX - 2, cx - x), k1 = std::min(maxX + 2, d.width + cx - x);
    for (i64 r = r0; r < r1; ++r) {
        const i64 dy = r - cy;
        Pixel* out = d.Row<Pixel>(static_cast<int>(y + dy));
        for (i64 k = k0; k < k1; ++k) {
            const i64 dx = k - cx;
            const i64 u = cx + ((dx * cI - dy * sI) >> 10), v = cy + ((dx * sI + dy * cI) >> 10);
            if (u < 0 || u >= w || v < 0 || v >= h || !s.Inside(sx + u, sy + v)) continue;
            const Pixel p = s.Row<Pixel>(static_cast<int>(sy + v))[sx + u];
            if (keyed && p == dwColorKey) continue;
            out[x + dx] = p;
        }
    }
}

}  // namespace

bool DDBltRotate(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int cx, int cy,
                 int nAngle, DDSURFACEDATA* lpSrcSD, int sx, int sy, int nMode) {
    if (!lpDstSD || !lpSrcSD) return true;
    if (lpDTCon) {
        DDSURFACEDATA *dst = lpDstSD, *src = lpSrcSD;
        if (ResolveEffectSurfaces(&dst, &src)) {
            DeviceRotate(dst, x, y, nWidth, nHeight, cx, cy, nAngle, src, sx, sy);
            return true;
        }
    } else if (!lpDDCon) {
        return true;
    }
    cEffectLocks l;
    if (!l.Lock(lpDstSD, lpSrcSD)) return true;
    const double theta = nAngle * kDegree;
    const i64 sF = plat::TruncToInt(std::sin(theta) * 1024.0);
    const i64 cF = plat::TruncToInt(std::cos(theta) * 1024.0);
    const bool keyed = nMode == 1;
    switch (l.Bpp()) {
        case 32:
            MapPixels<std::uint32_t>(l, x, y, nWidth, nHeight, cx, cy, sF, cF, sx, sy, keyed);
            break;
        case 16:
            MapPixels<std::uint16_t>(l, x, y, nWidth, nHeight, cx, cy, sF, cF, sx, sy, keyed);
            break;
        case 8:
            MapPixels<std::uint8_t>(l, x, y, nWidth, nHeight, cx, cy, sF, cF, sx, sy, keyed);
            break;
        default:
            break;
    }
    return true;
}

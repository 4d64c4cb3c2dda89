#include "gfx/effect_strips.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "gfx/batch.h"
#include "gfx/blit.h"
#include "platform/trunc.h"

namespace {

bool FitsInt(long long v) {
    return v >= INT_MIN && v <= INT_MAX;
}

// A blit whose positions are computed in 64 bits: one that does not fit an int lies far
// outside every surface and draws nothing.
int Blit(DDSURFACEDATA* dst, long long x, long long y, long long w, long long h, DDSURFACEDATA* src,
         long long sx, long long sy, std::uint32_t flags) {
    if (!FitsInt(x) || !FitsInt(y) || !FitsInt(w) || !FitsInt(h) || !FitsInt(sx) || !FitsInt(sy))
        return 0;
    return DDBltRect(dst, static_cast<int>(x), static_cast<int>(y), static_cast<int>(w),
                     static_cast<int>(h), src, static_cast<int>(sx), static_cast<int>(sy), flags);
}

// Whether a strip that starts at `at` in the destination and `from` in the source, `length`
// long along the strip direction, can land: both spans meet their surfaces (sizes given).
bool CanLand(long long at, long long from, long long length, int dstSize, int srcSize) {
    return at + length > 0 && at < dstSize && from + length > 0 && from < srcSize;
}

// Past every strip that can land: both the destination and the source are behind.
bool PastBoth(long long at, long long from, int dstSize, int srcSize) {
    return at >= dstSize || from >= srcSize;
}

int Width(DDSURFACEDATA* sd) {
    return sd ? sd->nWidth : 0;
}
int Height(DDSURFACEDATA* sd) {
    return sd ? sd->nHeight : 0;
}

}  // namespace

void DDBltWave(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nWaves,
               double dAmplitude, int nPhase, int nStrip, DDSURFACEDATA* lpSrcSD, int sx, int sy,
               std::uint32_t dwFlags, int bColumns) {
    if (nStrip <= 0) return;
    DDBeginSpriteBatch(0);
    const long long L = bColumns ? nWidth : nHeight;
    if (L > 0) {
        const double m = nWaves * 0.017453292519943295;
        const double step = (360.0 / static_cast<double>(L)) * nStrip;
        const long long at0 = bColumns ? x : y, from0 = bColumns ? sx : sy;
        const int dstSize = bColumns ? Width(lpDstSD) : Height(lpDstSD);
        const int srcSize = bColumns ? Width(lpSrcSD) : Height(lpSrcSD);
        double sum = 0.0;
        for (long long t = 0; t < L; t += nStrip) {
            sum = sum + step;
            const long long s = std::min<long long>(nStrip, L - t);
            if (PastBoth(at0 + t, from0 + t, dstSize, srcSize)) break;
            if (!CanLand(at0 + t, from0 + t, s, dstSize, srcSize)) {
                // The strips before the surfaces only move the sine on: a long run of them is
                // stepped over in one multiplication.
                const long long first =
                    std::max(-at0, -from0) - s;  // the strips from here on may land
                if (first >= L) break;           // no strip of the picture can land
                if (first > t + (1LL << 20)) {
                    const long long skip = (first - t) / nStrip;
                    sum += step * static_cast<double>(skip);
                    t += skip * nStrip;
                }
                continue;
            }
            const long long d = plat::TruncToInt(dAmplitude * std::sin((nPhase + sum) * m));
            if (bColumns)
                Blit(lpDstSD, x + t, y + d, s, nHeight, lpSrcSD, sx + t, sy, dwFlags);
            else
                Blit(lpDstSD, x + d, y + t, nWidth, s, lpSrcSD, sx, sy + t, dwFlags);
        }
    }
    DDEndSpriteBatch();
}

int DDBltInterlace(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nStrip,
                   int nOffset, DDSURFACEDATA* lpSrcSD, int sx, int sy, std::uint32_t dwFlags,
                   int bColumns) {
    if (nStrip == 0) return DDBltRect(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, sx, sy, dwFlags);
    DDBeginSpriteBatch(0);
    // A negative strip has no width: nothing is drawn.
    const long long n = nStrip > 0 ? (bColumns ? nWidth : nHeight) / nStrip : 0;
    const long long at0 = bColumns ? x : y, from0 = bColumns ? sx : sy;
    const int dstSize = bColumns ? Width(lpDstSD) : Height(lpDstSD);
    const int srcSize = bColumns ? Width(lpSrcSD) : Height(lpSrcSD);
    // The strips k that can land: k * nStrip + nStrip > -at0 and > -from0.
    const long long lowest = std::max(-at0, -from0);
    long long kFirst = lowest > 0 ? lowest / nStrip - 1 : 0;
    kFirst = std::max(0LL, kFirst);
    for (const int parity : {1, 0}) {
        const long long shift = parity ? -static_cast<long long>(nOffset) : nOffset;
        for (long long k = kFirst + ((kFirst & 1) != parity); k < n; k += 2) {
            const long long t = k * nStrip;
            if (PastBoth(at0 + t, from0 + t, dstSize, srcSize)) break;
            if (bColumns)
                Blit(lpDstSD, x + t, y + shift, nStrip, nHeight, lpSrcSD, sx + t, sy, dwFlags);
            else
                Blit(lpDstSD, x + shift, y + t, nWidth, nStrip, lpSrcSD, sx, sy + t, dwFlags);
        }
    }
    return DDEndSpriteBatch();
}

int DDBltTurn(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcA,
              int sxA, int syA, DDSURFACEDATA* lpSrcB, int sxB, int syB, int nSrcWidth,
              int nSrcHeight, std::uint32_t dwFlags, int nStep, int nMode) {
    if (nMode != 0 && nMode != 1) return 0;
    const long long S = nMode == 0 ? nWidth : nHeight;
    const long long u = S >> 1;
    if (u == 0) return 1;
    const long long p = nStep % u, q = nStep / u;
    const long long v = (q % 2 == 0) ? p : u - p - 1;
    const bool showB = ((nStep + u) / S) % 2 != 0;
    DDSURFACEDATA* pic = showB ? lpSrcB : lpSrcA;
    const int px = showB ? sxB : sxA, py = showB ? syB : syA;
    long long dx = x, dy = y, dw = nWidth, dh = nHeight;
    if (nMode == 0) {
        dx += v;
        dw -= 2 * v;
    } else {
        dy += v;
        dh -= 2 * v;
    }
    if (!FitsInt(dx) || !FitsInt(dy) || !FitsInt(dw) || !FitsInt(dh)) return 0;
    return DDBltScale(lpDstSD, static_cast<int>(dx), static_cast<int>(dy), static_cast<int>(dw),
                      static_cast<int>(dh), pic, px, py, nSrcWidth, nSrcHeight, dwFlags);
}

void DDBltSplit4(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                 DDSURFACEDATA* lpSrcSD, int sx, int sy, int nOffset, std::uint32_t dwFlags) {
    const long long hw = nWidth >> 1, hh = nHeight >> 1, o = nOffset;
    DDBeginSpriteBatch(0);
    Blit(lpDstSD, x - o, y - o, hw, hh, lpSrcSD, sx, sy, dwFlags);
    Blit(lpDstSD, x + hw + o, y - o, hw, hh, lpSrcSD, sx + hw, sy, dwFlags);
    Blit(lpDstSD, x - o, y + hh + o, hw, hh, lpSrcSD, sx, sy + hh, dwFlags);
    Blit(lpDstSD, x + hw + o, y + hh + o, hw, hh, lpSrcSD, sx + hw, sy + hh, dwFlags);
    DDEndSpriteBatch();
}

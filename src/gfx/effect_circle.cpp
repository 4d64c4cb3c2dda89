#include "gfx/effect_circle.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "gfx/batch.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "platform/trunc.h"

namespace {

// Half the width of the disc's row at vertical offset v; never the full radius, so the widest
// rows are 2 * (r - 1) wide.
long long HalfWidth(long long r, long long v) {
    const long long rest = r * r - v * v;
    if (rest <= 0) return 0;
    long long hw = static_cast<long long>(std::sqrt(static_cast<double>(rest)));
    if (hw >= r) hw = r - 1;
    return hw;
}

// One band of the disc, clipped to the source columns [L, R).
void Band(DDSURFACEDATA* dst, long long x, long long y, long long i, long long rows, long long hw,
          long long L, long long R, DDSURFACEDATA* src, long long sx, long long sy,
          std::uint32_t flags) {
    long long s0 = sx - hw, d0 = x - hw, width = 2 * hw;
    if (s0 < L) {
        width -= L - s0;
        d0 += L - s0;
        s0 = L;
    }
    if (s0 + width >= R) width = R - s0;
    const long long dy = y + i, syy = sy + i;
    for (long long v : {d0, dy, width, s0, syy})
        if (v < INT_MIN || v > INT_MAX) return;  // far outside every surface
    const int D0 = static_cast<int>(d0), DY = static_cast<int>(dy), W = static_cast<int>(width),
              S0 = static_cast<int>(s0), SY = static_cast<int>(syy), H = static_cast<int>(rows);
    if (lpDTCon)
        DDBltScale(dst, D0, DY, W, H, src, S0, SY, W, H, flags);
    else
        DDBltRect(dst, D0, DY, W, H, src, S0, SY, flags);
}

}  // namespace

int DDBltCircle(DDSURFACEDATA* lpDstSD, int x, int y, int nHalfWidth, int nHalfHeight, int nRadius,
                int nStrip, DDSURFACEDATA* lpSrcSD, int sx, int sy, std::uint32_t dwFlags) {
    if (nRadius <= 0 || nStrip <= 0) return 0;
    DDSURFACEDATA* dst = lpDstSD;
    DDSURFACEDATA* src = lpSrcSD;
    DDGetShareSD(&dst);
    DDGetShareSD(&src);
    const long long srcW = src ? src->nWidth : 0;
    const long long L = std::max(0LL, static_cast<long long>(sx) - nHalfWidth);
    const long long R = std::min(static_cast<long long>(sx) + nHalfWidth, srcW);
    DDBeginSpriteBatch(0);
    const long long r = nRadius, hh = nHalfHeight, strip = nStrip;
    // Rows of the destination and the source that a band must meet to draw anything: a band
    // entirely below them is passed over, and once a band is entirely above them nothing
    // further up can land.
    const long long dstH = dst ? dst->nHeight : 0, srcH = src ? src->nHeight : 0;
    const long long below = std::min(dstH - y, srcH - sy);  // offsets from here down miss
    const long long above = std::max(-static_cast<long long>(y), -static_cast<long long>(sy));
    if (nStrip == 1) {
        long long i = std::min({r - 1, hh - 1, below - 1});
        const long long last = std::max({-r, -hh, above});
        for (; i >= last; --i)
            Band(lpDstSD, x, y, i, 1, HalfWidth(r, i), L, R, lpSrcSD, sx, sy, dwFlags);
    } else {
        // Bands at or above nHalfHeight are skipped; the first one that reaches past it is
        // moved up to end there, and the bands go on upward from it.
        long long i = r - strip;
        if (i >= hh) i -= ((i - hh) / strip + 1) * strip;
        while (i >= -r) {
            if (i + strip <= -hh) break;
            if (i + strip > hh)
                i = hh - strip;
            else if (i < -hh)
                i = -hh;
            if (i + strip <= above) break;
            if (i < below)
                Band(lpDstSD, x, y, i, strip, HalfWidth(r, i + strip / 2), L, R, lpSrcSD, sx, sy,
                     dwFlags);
            i -= strip;
            // Bands wholly below the surfaces: on to the first that may reach them.
            if (i >= below && i + strip <= hh) i -= ((i - below) / strip + 1) * strip;
        }
    }
    return DDEndSpriteBatch();
}

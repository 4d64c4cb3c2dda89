#include "gfx/effect_lens.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "gfx/effect_pixels.h"

namespace {

using i64 = long long;

// trunc(v + 0.5) toward zero; values beyond any surface stay beyond it.
i64 RoundedOffset(double v) {
    const double t = v + 0.5;
    if (!(t > -1e15 && t < 1e15)) return t < 0 ? -(1LL << 50) : (1LL << 50);
    return static_cast<i64>(t);
}

}  // namespace

bool DDBltLens(DDSURFACEDATA* lpDstSD, int x, int y, int nRadius, int nDepth,
               DDSURFACEDATA* lpSrcSD, int sx, int sy, int nMode, int bClear) {
    if (nDepth < 0 || nRadius < 0) return false;
    const i64 R = nRadius, D = nDepth;
    const i64 Rs = static_cast<i64>(std::sqrt(static_cast<double>(R * R + D * D)));
    if (Rs <= D) return false;
    cEffectLocks l;
    if (!l.Lock(lpDstSD, lpSrcSD)) return false;
    const int bpp = l.Bpp();
    const bool direct3D = lpDTCon != nullptr;
    const bool clear = direct3D && bpp == 32 && bClear;
    const bool back = l.FullScreenBack();
    const EFFECTPIXELS &d = l.dst, &s = l.src;
    // Only the rows and columns of the disc's square that lie in the destination.
    const i64 j0 = std::max<i64>(-R, -static_cast<i64>(y)),
              j1 = std::min<i64>(R, d.height - 1 - static_cast<i64>(y));
    const i64 i0 = std::max<i64>(-R, -static_cast<i64>(x)),
              i1 = std::min<i64>(R, d.width - 1 - static_cast<i64>(x));
    for (i64 j = j0; j <= j1; ++j) {
        const int Y = static_cast<int>(y + j);
        for (i64 i = i0; i <= i1; ++i) {
            const i64 X = x + i;
            const i64 d2 = i * i + j * j;
            i64 ox = i, oy = j;
            bool shows = d2 <= R * R;
            if (shows) {
                const double Z = std::sqrt(static_cast<double>(Rs * Rs - d2));
                if (Z != 0) {
                    ox = RoundedOffset(static_cast<double>(i * D) / Z);
                    oy = RoundedOffset(static_cast<double>(j * D) / Z);
                }
                shows = s.Inside(sx + ox, sy + oy);
            }
            if (!shows) {
                if (clear) d.Row<std::uint32_t>(Y)[X] = 0;
                continue;
            }
            const int SX = static_cast<int>(sx + ox), SY = static_cast<int>(sy + oy);
            if (bpp == 32) {
                const std::uint32_t p = s.Row<std::uint32_t>(SY)[SX];
                if (direct3D ? (p >> 24) == 0 : p == dwColorKey) {
                    if (clear) d.Row<std::uint32_t>(Y)[X] = 0;
                    continue;
                }
                d.Row<std::uint32_t>(Y)[X] = p;
            } else if (bpp == 16) {
                const std::uint16_t p = s.Row<std::uint16_t>(SY)[SX];
                if (direct3D) {
                    if (nMode == 1 && (p & 0xA000) == 0) continue;
                    d.Row<std::uint16_t>(Y)[X] = back ? TextureToBack(p) : p;
                } else if (p != dwColorKey) {
                    d.Row<std::uint16_t>(Y)[X] = p;
                }
            } else if (bpp == 8) {
                const std::uint8_t p = s.Row<std::uint8_t>(SY)[SX];
                if (p != dwColorKey) d.Row<std::uint8_t>(Y)[X] = p;
            }
        }
    }
    return true;
}

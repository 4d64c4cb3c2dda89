#include "gfx/effect_blur.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/log.h"
#include "gfx/effect_pixels.h"

namespace {

using i64 = long long;

// A span [lo, hi) of rectangle offsets.
struct Span {
    i64 lo, hi;
    bool Empty() const { return lo >= hi; }
};

// The offsets k in [0, size) whose position at + k lies in [0, limit).
Span Within(i64 at, i64 size, i64 limit) {
    return Span{std::max<i64>(0, -at), std::min<i64>(size, limit - at)};
}

// The colour channels of one pixel, whether it counts (mode 1: not transparent).
struct Cell {
    std::uint32_t b, g, r;
    bool counts;
};

// How the depth and back end read a source pixel and test it for transparency.
struct Reader {
    int bpp;
    bool direct3D;
    bool skipTransparent;

    bool Transparent(std::uint32_t p) const {
        if (direct3D) return bpp == 32 ? (p >> 24) == 0 : (p & 0xA000) == 0;
        return p == dwColorKey;
    }
    std::uint32_t Raw(const EFFECTPIXELS& s, i64 x, i64 y) const {
        if (bpp == 32) return s.Row<std::uint32_t>(static_cast<int>(y))[x];
        if (bpp == 16) return s.Row<std::uint16_t>(static_cast<int>(y))[x];
        return s.Row<std::uint8_t>(static_cast<int>(y))[x];
    }
    Cell At(const EFFECTPIXELS& s, i64 x, i64 y) const {
        const std::uint32_t p = Raw(s, x, y);
        if (skipTransparent && Transparent(p)) return Cell{0, 0, 0, false};
        if (bpp == 32) return Cell{p & 0xFF, (p >> 8) & 0xFF, (p >> 16) & 0xFF, true};
        const EFFECTCHANNELS c = SplitPixel(p, PixFmt);
        return Cell{c.b, c.g, c.r, true};
    }
};

// Sums of the colour channels and the count of the cells summed.
struct Sums {
    std::uint64_t b = 0, g = 0, r = 0, n = 0;
    void Add(const Cell& c, int sign) {
        if (!c.counts) return;
        b += static_cast<std::uint64_t>(sign) * c.b;
        g += static_cast<std::uint64_t>(sign) * c.g;
        r += static_cast<std::uint64_t>(sign) * c.r;
        n += static_cast<std::uint64_t>(sign);
    }
};

// Per-call work buffers, kept between calls so that a filter running every frame does not
// allocate.
thread_local std::vector<Sums> columnSums, prefixSums;

void WriteAverage(const EFFECTPIXELS& d, int bpp, bool direct3D, bool fullScreenBack, i64 X, i64 Y,
                  const Sums& s) {
    const std::uint32_t b = static_cast<std::uint32_t>(s.b / s.n),
                        g = static_cast<std::uint32_t>(s.g / s.n),
                        r = static_cast<std::uint32_t>(s.r / s.n);
    if (bpp == 32) {
        std::uint8_t* p =
            reinterpret_cast<std::uint8_t*>(d.Row<std::uint32_t>(static_cast<int>(Y)) + X);
        p[0] = static_cast<std::uint8_t>(b);
        p[1] = static_cast<std::uint8_t>(g);
        p[2] = static_cast<std::uint8_t>(r);
        if (direct3D) p[3] = 255;
    } else {
        std::uint16_t& p = d.Row<std::uint16_t>(static_cast<int>(Y))[X];
        if (!direct3D)
            p = ComposePixel(r, g, b, PixFmt);
        else if (fullScreenBack)
            p = ComposeBackPixel(r, g, b);
        else
            p = ComposeTexturePixel(r, g, b);
    }
}

}  // namespace

bool DDBlur(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nRangeX, int nRangeY,
            DDSURFACEDATA* lpSrcSD, int sx, int sy, int nMode) {
    if (nRangeX == 0 || nRangeY == 0) return true;
    cEffectLocks locks;
    if (!locks.Lock(lpDstSD, lpSrcSD)) return false;
    const int bpp = locks.Bpp();
    if (bpp == 8) {
        ErrorLog("8ビットぼかしは不可能！");
        return true;
    }
    if ((bpp != 16 && bpp != 32) || nRangeX < 0 || nRangeY < 0) return true;
    const Reader read{bpp, lpDTCon != nullptr, nMode == 1};
    const EFFECTPIXELS &d = locks.dst, &s = locks.src;
    // Cells of the rectangle that can be read, and pixels that can be written.
    const Span readK = Within(sx, nWidth, s.width), readR = Within(sy, nHeight, s.height);
    const Span outK = Within(x, nWidth, d.width), outR = Within(y, nHeight, d.height);
    if (readK.Empty() || readR.Empty() || outK.Empty() || outR.Empty()) return true;
    const i64 rx = nRangeX, ry = nRangeY, cols = readK.hi - readK.lo;
    columnSums.assign(static_cast<std::size_t>(cols), Sums{});
    prefixSums.resize(static_cast<std::size_t>(cols + 1));
    // Column sums over the window rows [lo, hi) of the readable rows, moved along row by row.
    i64 sumLo = readR.lo, sumHi = readR.lo;
    auto addRow = [&](i64 row, int sign) {
        for (i64 k = readK.lo; k < readK.hi; ++k)
            columnSums[static_cast<std::size_t>(k - readK.lo)].Add(read.At(s, sx + k, sy + row),
                                                                   sign);
    };
    const bool fullScreenBack = locks.FullScreenBack();
    for (i64 r = outR.lo; r < outR.hi; ++r) {
        const i64 lo = std::max(readR.lo, r - ry), hi = std::min(readR.hi, r + ry);
        if (lo >= hi) continue;
        if (lo >= sumHi || hi <= sumLo) {
            std::fill(columnSums.begin(), columnSums.end(), Sums{});
            sumLo = sumHi = lo;
        }
        while (sumLo < lo) addRow(sumLo++, -1);
        while (sumHi < hi) addRow(sumHi++, 1);
        for (std::size_t i = 0; i < columnSums.size(); ++i) {
            Sums p = prefixSums[i];
            p.b += columnSums[i].b;
            p.g += columnSums[i].g;
            p.r += columnSums[i].r;
            p.n += columnSums[i].n;
            prefixSums[i + 1] = p;
        }
        for (i64 k = outK.lo; k < outK.hi; ++k) {
            if (read.skipTransparent) {
                // A pixel that is transparent, or cannot be read, is not written.
                if (!s.Inside(sx + k, sy + r) || read.Transparent(read.Raw(s, sx + k, sy + r)))
                    continue;
            }
            const i64 kl = std::max(readK.lo, k - rx), kh = std::min(readK.hi, k + rx);
            if (kl >= kh) continue;
            const Sums& a = prefixSums[static_cast<std::size_t>(kh - readK.lo)];
            const Sums& b = prefixSums[static_cast<std::size_t>(kl - readK.lo)];
            const Sums w{a.b - b.b, a.g - b.g, a.r - b.r, a.n - b.n};
            if (w.n == 0) continue;
            WriteAverage(d, bpp, read.direct3D, fullScreenBack, x + k, y + r, w);
        }
    }
    return true;
}

bool DDMosaic(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nSize,
              DDSURFACEDATA* lpSrcSD, int sx, int sy, int nMode) {
    if (nSize <= 0) return true;
    cEffectLocks locks;
    if (!locks.Lock(lpDstSD, lpSrcSD)) return false;
    const int bpp = locks.Bpp();
    if (bpp != 8 && bpp != 16 && bpp != 32) return true;
    const bool direct3D = lpDTCon != nullptr;
    const Reader read{bpp, direct3D, nMode == 1};
    const EFFECTPIXELS &d = locks.dst, &s = locks.src;
    const Span outK = Within(x, nWidth, d.width), outR = Within(y, nHeight, d.height);
    if (outK.Empty() || outR.Empty()) return true;
    const i64 size = nSize;
    const bool fullScreenBack = locks.FullScreenBack();
    const bool mean = !direct3D && bpp != 8;
    // Only the blocks that meet the writable pixels.
    for (i64 r = outR.lo / size * size; r < outR.hi; r += size) {
        const i64 rEnd = std::min<i64>(r + size, nHeight);
        const i64 wr0 = std::max(r, outR.lo), wr1 = std::min(rEnd, outR.hi);
        for (i64 c = outK.lo / size * size; c < outK.hi; c += size) {
            const i64 cEnd = std::min<i64>(c + size, nWidth);
            const i64 wc0 = std::max(c, outK.lo), wc1 = std::min(cEnd, outK.hi);
            std::uint32_t value;
            if (!mean) {
                if (!s.Inside(sx + c, sy + r)) continue;
                value = read.Raw(s, sx + c, sy + r);
                if (read.skipTransparent && read.Transparent(value)) continue;
                if (direct3D && bpp == 32) value |= 0xFF000000u;
                if (direct3D && bpp == 16 && fullScreenBack)
                    value = TextureToBack(static_cast<std::uint16_t>(value));
            } else {
                // The mean of the block's cells that can be read (and count).
                const Span cr = Within(sy + r, rEnd - r, s.height),
                           cc = Within(sx + c, cEnd - c, s.width);
                std::uint64_t sb = 0, sg = 0, sr = 0, n = 0;
                for (i64 i = cr.lo; i < cr.hi; ++i) {
                    for (i64 j = cc.lo; j < cc.hi; ++j) {
                        const std::uint32_t p = read.Raw(s, sx + c + j, sy + r + i);
                        if (read.skipTransparent && read.Transparent(p)) continue;
                        if (bpp == 32) {
                            sb += p & 0xFF;
                            sg += (p >> 8) & 0xFF;
                            sr += (p >> 16) & 0xFF;
                        } else {
                            const EFFECTCHANNELS e = SplitPixel(p, PixFmt);
                            sr += e.r * 255 / static_cast<unsigned>(PixFmt.nMaxR);
                            sg += e.g * 255 / static_cast<unsigned>(PixFmt.nMaxG);
                            sb += e.b * 255 / static_cast<unsigned>(PixFmt.nMaxB);
                        }
                        ++n;
                    }
                }
                if (n == 0) continue;
                const std::uint32_t ab = static_cast<std::uint32_t>(sb / n),
                                    ag = static_cast<std::uint32_t>(sg / n),
                                    ar = static_cast<std::uint32_t>(sr / n);
                if (bpp == 32) {
                    value = ar << 16 | ag << 8 | ab;
                } else {
                    value = (ar * static_cast<unsigned>(PixFmt.nMaxR) / 255) << PixFmt.nShiftR |
                            (ag * static_cast<unsigned>(PixFmt.nMaxG) / 255) << PixFmt.nShiftG |
                            (ab * static_cast<unsigned>(PixFmt.nMaxB) / 255) << PixFmt.nShiftB;
                }
                if (read.skipTransparent && value == dwColorKey) continue;
            }
            for (i64 i = wr0; i < wr1; ++i) {
                const int Y = static_cast<int>(y + i);
                for (i64 j = wc0; j < wc1; ++j) {
                    const i64 X = x + j;
                    if (bpp == 8) {
                        d.Row<std::uint8_t>(Y)[X] = static_cast<std::uint8_t>(value);
                    } else if (bpp == 16) {
                        d.Row<std::uint16_t>(Y)[X] = static_cast<std::uint16_t>(value);
                    } else if (direct3D) {
                        d.Row<std::uint32_t>(Y)[X] = value;
                    } else {
                        std::uint32_t& p = d.Row<std::uint32_t>(Y)[X];
                        p = (p & 0xFF000000u) | (value & 0x00FFFFFFu);
                    }
                }
            }
        }
    }
    return true;
}

// A quad of one colour blended over the target: the source colour and both factors are the
// same for every pixel, so each channel's result depends only on that channel of the pixel.
#include <algorithm>
#include <cstring>

#include "platform/pixel_format.h"
#include "platform/pixel_vectors.h"
#include "platform/soft_device.h"
#include "platform/vector_loops.h"

namespace plat {
namespace {

typedef std::uint8_t Bytes16 __attribute__((vector_size(16)));  // the channels of four
typedef std::uint16_t Lanes16 __attribute__((vector_size(32)));

// The blend of one channel: s the source's channel, fs and fd the factors, d the target's.
std::uint8_t BlendChannel(std::uint32_t s, std::uint32_t fs, std::uint32_t d, std::uint32_t fd) {
    return static_cast<std::uint8_t>(std::min<std::uint32_t>((s * fs + d * fd + 127) / 255, 255));
}

// What every pixel of the quad shares: the source, its channels and the two factors.
struct ConstantBlend {
    std::uint8_t* bits;
    std::ptrdiff_t pitch;
    RECT r;
    std::uint32_t s, fs, fd;
    bool x8;    // X8R8G8B8: the unused byte is read and written opaque
    bool r565;  // R5G6B5 rather than A1R5G5B5

    std::uint32_t Channel(int shift) const { return (s >> shift) & 0xFF; }
};

// When the factors add up to at most 255 (the SRCALPHA / INVSRCALPHA blend of overlays and of
// fills among them) no channel passes 255 and s * fs + d * fd + 127 fits 16 bits: the channels
// are blended in 16-bit lanes and divided by 255 exactly as (v + 1 + (v >> 8)) >> 8, which
// equals v / 255 for every v below 65535. `v` holds the target's channels and becomes the
// result; `add` is s * fs + 127, in each lane or for all. (Vectors are passed by reference, as
// the AVX2 forms would change how they are passed by value.)
template <class Lanes, class Add>
[[gnu::always_inline]] inline void BlendLanes(Lanes& v, const Lanes& factor, const Add& add) {
    v = v * factor + add;
    v = (v + 1 + (v >> 8)) >> 8;
}

// The 32-bit formats: the bytes of a row's first pixels, as many as fill whole vectors,
// widened to 16-bit lanes and blended. Returns the first column it left.
template <class Bytes, class Lanes>
[[gnu::always_inline]] inline int BlendWideLanes(const ConstantBlend& c) {
    constexpr int kBytes = sizeof(Bytes), kPixels = kBytes / 4;
    Lanes add{}, factor{};
    Bytes fix{};
    for (int i = 0; i < kBytes; ++i) {
        add[i] = static_cast<std::uint16_t>(c.Channel(8 * (i % 4)) * c.fs + 127);
        factor[i] = static_cast<std::uint16_t>(c.fd);
        fix[i] = c.x8 && i % 4 == 3 ? 0xFF : 0;
    }
    const int end = c.r.left + (c.r.right - c.r.left) / kPixels * kPixels;
    for (int y = c.r.top; y < c.r.bottom; ++y) {
        std::uint8_t* row = c.bits + c.pitch * y;
        for (int x = c.r.left; x < end; x += kPixels) {
            Bytes in;
            std::memcpy(&in, row + 4 * x, kBytes);
            Lanes v = __builtin_convertvector(in, Lanes);
            BlendLanes(v, factor, add);
            const Bytes out = __builtin_convertvector(v, Bytes) | fix;
            std::memcpy(row + 4 * x, &out, kBytes);
        }
    }
    return end;
}

// One channel of 16-bit pixels, kBits bits at kShift: widened to 8 bits, blended, narrowed
// again and put in its place in `out`.
template <int kShift, int kBits, class Pixels>
[[gnu::always_inline]] inline void BlendNarrowChannel(const Pixels& p, const Pixels& factor,
                                                      std::uint32_t add, Pixels& out) {
    Pixels v = (p >> kShift) & ((1 << kBits) - 1);
    if constexpr (kBits == 1)
        v = v * 255;
    else
        v = (v << (8 - kBits)) | (v >> (2 * kBits - 8));
    BlendLanes(v, factor, static_cast<std::uint16_t>(add));
    out |= (v >> (8 - kBits)) << kShift;
}

// The 16-bit formats: a row's first pixels, as many as fill whole vectors, each channel
// blended on its own. Returns the first column it left.
template <class Pixels>
[[gnu::always_inline]] inline int BlendNarrowLanes(const ConstantBlend& c) {
    constexpr int kPixels = sizeof(Pixels) / 2;
    const Pixels factor = Pixels{} + static_cast<std::uint16_t>(c.fd);
    const std::uint32_t addA = c.Channel(24) * c.fs + 127, addR = c.Channel(16) * c.fs + 127,
                        addG = c.Channel(8) * c.fs + 127, addB = c.Channel(0) * c.fs + 127;
    const int end = c.r.left + (c.r.right - c.r.left) / kPixels * kPixels;
    for (int y = c.r.top; y < c.r.bottom; ++y) {
        std::uint8_t* row = c.bits + c.pitch * y;
        for (int x = c.r.left; x < end; x += kPixels) {
            Pixels p, out{};
            std::memcpy(&p, row + 2 * x, sizeof p);
            if (c.r565) {
                BlendNarrowChannel<11, 5>(p, factor, addR, out);
                BlendNarrowChannel<5, 6>(p, factor, addG, out);
            } else {
                BlendNarrowChannel<15, 1>(p, factor, addA, out);
                BlendNarrowChannel<10, 5>(p, factor, addR, out);
                BlendNarrowChannel<5, 5>(p, factor, addG, out);
            }
            BlendNarrowChannel<0, 5>(p, factor, addB, out);
            std::memcpy(row + 2 * x, &out, sizeof out);
        }
    }
    return end;
}

int BlendWideLanesBaseline(const ConstantBlend& c) {
    return BlendWideLanes<Bytes16, Lanes16>(c);
}
__attribute__((target("avx2"))) int BlendWideLanesAvx2(const ConstantBlend& c) {
    return BlendWideLanes<Bytes32, Lanes32>(c);
}
int BlendNarrowLanesBaseline(const ConstantBlend& c) {
    return BlendNarrowLanes<Half8>(c);
}
__attribute__((target("avx2"))) int BlendNarrowLanesAvx2(const ConstantBlend& c) {
    return BlendNarrowLanes<Narrow16>(c);
}

// The columns from `left` on through tables: for the 32-bit formats one table of 256 results
// for each channel, already in its place.
void BlendWideTables(const ConstantBlend& c, int left) {
    if (left >= c.r.right) return;
    std::uint32_t table[4][256];
    for (int shift = 0; shift < 32; shift += 8)
        for (std::uint32_t d = 0; d < 256; ++d)
            table[shift / 8][d] = std::uint32_t{BlendChannel(c.Channel(shift), c.fs, d, c.fd)}
                                  << shift;
    if (c.x8)
        for (std::uint32_t d = 0; d < 256; ++d) table[3][d] = 0xFF000000u;
    for (int y = c.r.top; y < c.r.bottom; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(c.bits + c.pitch * y);
        for (int x = left; x < c.r.right; ++x) {
            const std::uint32_t p = row[x];
            row[x] = table[0][p & 0xFF] | table[1][(p >> 8) & 0xFF] | table[2][(p >> 16) & 0xFF] |
                     table[3][p >> 24];
        }
    }
}

// For the 16-bit formats a table per channel of the format, indexed by its few bits, each entry
// the channel widened, blended and narrowed again, in its place.
void BlendNarrowTables(const ConstantBlend& c, int left) {
    if (left >= c.r.right) return;
    const bool r565 = c.r565;
    std::uint16_t red[32], green[64], blue[32], alpha[2] = {0, 0};
    for (std::uint32_t v = 0; v < 32; ++v) {
        red[v] = static_cast<std::uint16_t>(
            (BlendChannel(c.Channel(16), c.fs, Expand5(v), c.fd) >> 3) << (r565 ? 11 : 10));
        blue[v] =
            static_cast<std::uint16_t>(BlendChannel(c.Channel(0), c.fs, Expand5(v), c.fd) >> 3);
    }
    const std::uint32_t sg = c.Channel(8);
    for (std::uint32_t v = 0; v < (r565 ? 64u : 32u); ++v)
        green[v] =
            static_cast<std::uint16_t>(r565 ? (BlendChannel(sg, c.fs, Expand6(v), c.fd) >> 2) << 5
                                            : (BlendChannel(sg, c.fs, Expand5(v), c.fd) >> 3) << 5);
    if (!r565)
        for (std::uint32_t v = 0; v < 2; ++v)
            alpha[v] = static_cast<std::uint16_t>(
                (BlendChannel(c.Channel(24), c.fs, v ? 255 : 0, c.fd) >> 7) << 15);
    for (int y = c.r.top; y < c.r.bottom; ++y) {
        auto* row = reinterpret_cast<std::uint16_t*>(c.bits + c.pitch * y);
        for (int x = left; x < c.r.right; ++x) {
            const std::uint32_t p = row[x];
            row[x] = static_cast<std::uint16_t>(
                r565 ? red[p >> 11] | green[(p >> 5) & 63] | blue[p & 31]
                     : alpha[p >> 15] | red[(p >> 10) & 31] | green[(p >> 5) & 31] | blue[p & 31]);
        }
    }
}

}  // namespace

void BlendConstant(SoftSurface& dst, const RECT& r, std::uint32_t s, std::uint32_t srcBlend,
                   std::uint32_t dstBlend) {
    const std::uint32_t sa = s >> 24;
    const ConstantBlend c{dst.Bits(),
                          dst.Pitch(),
                          r,
                          s,
                          BlendFactor(srcBlend, sa),
                          BlendFactor(dstBlend, sa),
                          dst.Format() == D3DFMT_X8R8G8B8,
                          dst.Format() == D3DFMT_R5G6B5};
    // Factors that may pass 255 together go through the tables alone.
    const bool lanes = c.fs + c.fd <= 255;
    const bool avx2 = UseAvx2Loops();
    switch (dst.Format()) {
        case D3DFMT_X8R8G8B8:
        case D3DFMT_A8R8G8B8: {
            const int left = !lanes ? r.left
                             : avx2 ? BlendWideLanesAvx2(c)
                                    : BlendWideLanesBaseline(c);
            BlendWideTables(c, left);
            return;
        }
        case D3DFMT_R5G6B5:
        case D3DFMT_A1R5G5B5: {
            const int left = !lanes ? r.left
                             : avx2 ? BlendNarrowLanesAvx2(c)
                                    : BlendNarrowLanesBaseline(c);
            BlendNarrowTables(c, left);
            return;
        }
        default:
            for (int y = r.top; y < r.bottom; ++y)
                for (int x = r.left; x < r.right; ++x)
                    dst.SetPixel(x, y,
                                 BlendPixel(dst.Format(), dst.Pixel(x, y), s, srcBlend, dstBlend));
            return;
    }
}

}  // namespace plat

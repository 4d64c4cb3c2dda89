#include "platform/modulated_rows.h"

#include <cstring>

#include "platform/pixel_format.h"
#include "platform/pixel_vectors.h"
#include "platform/row_formats.h"

// The vector helpers below take and return vectors by value; they are always inlined, so no
// call passes them in registers whose use differs between instruction sets.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace plat {

namespace {

bool ArgumentIsTexture(DWORD arg) {
    return (arg & 0xF) == D3DTA_TEXTURE;
}

// The colour an argument other than the texture stands for (as ApplyArgument takes it).
std::uint32_t ArgumentColour(DWORD arg, std::uint32_t diffuse, std::uint32_t factor) {
    return (arg & 0xF) == D3DTA_TFACTOR ? factor : diffuse;
}

// One operation over the channels `mask` selects: *fill gets the channels that read no texel,
// *m the multipliers.
bool OperationModulation(DWORD op, DWORD arg1, DWORD arg2, std::uint32_t diffuse,
                         std::uint32_t factor, std::uint32_t mask, Modulation* out) {
    auto select = [&](DWORD arg) {
        if (arg & ~DWORD{0xF}) return false;
        if (ArgumentIsTexture(arg)) {
            out->m |= 0xFFFFFFFFu & mask;
        } else {
            out->fill |= mask;
            out->m |= ArgumentColour(arg, diffuse, factor) & mask;
        }
        return true;
    };
    switch (op) {
        case D3DTOP_SELECTARG1:
            return select(arg1);
        case D3DTOP_SELECTARG2:
            return select(arg2);
        case D3DTOP_MODULATE: {
            if ((arg1 | arg2) & ~DWORD{0xF}) return false;
            const bool t1 = ArgumentIsTexture(arg1), t2 = ArgumentIsTexture(arg2);
            if (t1 && t2) return false;
            if (t1 || t2) {
                out->m |= ArgumentColour(t1 ? arg2 : arg1, diffuse, factor) & mask;
                return true;
            }
            // Two colours: their product, the same in every pixel.
            const std::uint32_t a = ArgumentColour(arg1, diffuse, factor),
                                b = ArgumentColour(arg2, diffuse, factor);
            out->fill |= mask;
            for (int shift = 0; shift < 32; shift += 8)
                if ((mask >> shift) & 0xFF)
                    out->m |= (((a >> shift) & 0xFF) * ((b >> shift) & 0xFF) + 127) / 255 << shift;
            return true;
        }
        default:
            return false;
    }
}

// ---- eight pixels at a time, as 32 bytes of A8R8G8B8 in vector registers

#define K4_ROWS [[gnu::always_inline]] inline

constexpr int BytesOf(D3DFORMAT format) {
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8 ? 4 : 2;
}

// Eight pixels of a format as A8R8G8B8: 5- and 6-bit channels widened by repeating their top
// bits, a format without alpha opaque.
template <D3DFORMAT kFormat>
K4_ROWS Wide8 Load(const std::uint8_t* p) {
    if constexpr (BytesOf(kFormat) == 4) {
        Wide8 v;
        std::memcpy(&v, p, 32);
        return kFormat == D3DFMT_X8R8G8B8 ? v | 0xFF000000u : v;
    } else {
        Half8 h;
        std::memcpy(&h, p, 16);
        const Wide8 v = __builtin_convertvector(h, Wide8);
        const Wide8 b = v & 31;
        if constexpr (kFormat == D3DFMT_R5G6B5) {
            const Wide8 r = v >> 11, g = (v >> 5) & 63;
            return 0xFF000000u | ((r << 3) | (r >> 2)) << 16 | ((g << 2) | (g >> 4)) << 8 |
                   ((b << 3) | (b >> 2));
        } else {
            const Wide8 r = (v >> 10) & 31, g = (v >> 5) & 31;
            return ((Wide8{} - (v >> 15)) & 0xFF000000u) | ((r << 3) | (r >> 2)) << 16 |
                   ((g << 3) | (g >> 2)) << 8 | ((b << 3) | (b >> 2));
        }
    }
}

// Eight A8R8G8B8 colours stored in a format: channels cut to their top bits, the unused byte
// of X8R8G8B8 opaque.
template <D3DFORMAT kFormat>
K4_ROWS void Store(std::uint8_t* p, Wide8 c) {
    if constexpr (BytesOf(kFormat) == 4) {
        if (kFormat == D3DFMT_X8R8G8B8) c |= 0xFF000000u;
        std::memcpy(p, &c, 32);
    } else {
        const Wide8 r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
        Wide8 v;
        if constexpr (kFormat == D3DFMT_R5G6B5)
            v = (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
        else
            v = (c >> 31) << 15 | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
        const Half8 h = __builtin_convertvector(v, Half8);
        std::memcpy(p, &h, 16);
    }
}

K4_ROWS Lanes32 Widen(Wide8 v) {
    return __builtin_convertvector(reinterpret_cast<Bytes32>(v), Lanes32);
}
K4_ROWS Wide8 Narrow(Lanes32 v) {
    return reinterpret_cast<Wide8>(__builtin_convertvector(v, Bytes32));
}
// v / 255 for v below 65535, exactly.
K4_ROWS Lanes32 Div255(Lanes32 v) {
    return (v + 1 + (v >> 8)) >> 8;
}

// The modulated texels, blended onto the pixels or not: per channel (t * m + 127) / 255,
// then (s * a + d * (255 - a) + 127) / 255 with the result's alpha a, the alpha included.
template <bool kBlend>
K4_ROWS Wide8 Shade(Wide8 texels, Wide8 pixels, Wide8 fill, Lanes32 m) {
    const Lanes32 s = Div255(Widen(texels | fill) * m + 127);
    if constexpr (!kBlend) {
        return Narrow(s);
    } else {
        const Wide8 a = Narrow(s) >> 24;
        const Lanes32 fs = Widen(a | a << 8 | a << 16 | a << 24);
        return Narrow(Div255(s * fs + Widen(pixels) * (255 - fs) + 127));
    }
}

template <D3DFORMAT kTarget, D3DFORMAT kTexture, bool kBlend>
K4_ROWS void Rows(const ModulatedRows& quad) {
    constexpr int kPixelBytes = BytesOf(kTarget), kTexelBytes = BytesOf(kTexture);
    // A copy: stores through the rows' bytes could change the quad, for all the compiler knows.
    const ModulatedRows q = quad;
    const Wide8 fill = Wide8{} + q.modulation.fill;
    const Lanes32 m = Widen(Wide8{} + q.modulation.m);
    const int whole = q.width & ~7, rest = q.width - whole;
    for (int row = 0; row < q.rows; ++row) {
        std::uint8_t* d = q.target + q.targetPitch * static_cast<std::size_t>(row);
        const std::uint8_t* s =
            q.texels + q.texelPitch * static_cast<std::size_t>(q.texelRows[row]);
        for (int k = 0; k < whole; k += 8, d += 8 * kPixelBytes, s += 8 * kTexelBytes) {
            const Wide8 pixels = kBlend ? Load<kTarget>(d) : Wide8{};
            Store<kTarget>(d, Shade<kBlend>(Load<kTexture>(s), pixels, fill, m));
        }
        if (rest) {
            // The last pixels of the row through the same steps, in a block of eight.
            std::uint8_t pixels[32] = {}, texels[32] = {};
            std::memcpy(pixels, d, static_cast<std::size_t>(rest) * kPixelBytes);
            std::memcpy(texels, s, static_cast<std::size_t>(rest) * kTexelBytes);
            const Wide8 under = kBlend ? Load<kTarget>(pixels) : Wide8{};
            Store<kTarget>(pixels, Shade<kBlend>(Load<kTexture>(texels), under, fill, m));
            std::memcpy(d, pixels, static_cast<std::size_t>(rest) * kPixelBytes);
        }
    }
}

template <D3DFORMAT kTarget, D3DFORMAT kTexture>
struct RowsOf {
    K4_ROWS static void Draw(const ModulatedRows& q) {
        if (q.blend)
            Rows<kTarget, kTexture, true>(q);
        else
            Rows<kTarget, kTexture, false>(q);
    }
};

K4_ROWS bool DrawRows(const ModulatedRows& q) {
    return DrawRowsWithFormats<RowsOf>(q.targetFormat, q.textureFormat, q);
}

bool DrawRowsBaseline(const ModulatedRows& q) {
    return DrawRows(q);
}
__attribute__((target("avx2"))) bool DrawRowsAvx2(const ModulatedRows& q) {
    return DrawRows(q);
}

}  // namespace

bool ModulationOf(DWORD colorOp, DWORD carg1, DWORD carg2, DWORD alphaOp, DWORD aarg1, DWORD aarg2,
                  std::uint32_t diffuse, std::uint32_t factor, Modulation* out) {
    *out = Modulation{0, 0};
    if (!OperationModulation(colorOp, carg1, carg2, diffuse, factor, 0x00FFFFFFu, out))
        return false;
    if (alphaOp == D3DTOP_DISABLE) {
        // The vertex alpha.
        out->fill |= 0xFF000000u;
        out->m |= diffuse & 0xFF000000u;
        return true;
    }
    return OperationModulation(alphaOp, aarg1, aarg2, diffuse, factor, 0xFF000000u, out);
}

bool DrawModulatedRows(const ModulatedRows& q, bool avx2) {
    return avx2 ? DrawRowsAvx2(q) : DrawRowsBaseline(q);
}

}  // namespace plat

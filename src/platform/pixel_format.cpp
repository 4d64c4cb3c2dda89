#include "platform/pixel_format.h"

#include "platform/vector_loops.h"

namespace plat {

bool IsDeviceFormat(D3DFORMAT format) {
    return BytesPerPixel(format) != 0;
}

int BitsPerPixel(D3DFORMAT format) {
    return BytesPerPixel(format) * 8;
}

ChannelMasks MasksOf(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_R5G6B5:
            return {0xF800, 0x07E0, 0x001F, 0};
        case D3DFMT_A1R5G5B5:
            return {0x7C00, 0x03E0, 0x001F, 0x8000};
        case D3DFMT_X8R8G8B8:
            return {0x00FF0000, 0x0000FF00, 0x000000FF, 0};
        case D3DFMT_A8R8G8B8:
            return {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};
        default:
            return {};
    }
}

D3DFORMAT DisplayFormatForDepth(int bitsPerPixel) {
    switch (bitsPerPixel) {
        case 8:
            return D3DFMT_P8;
        case 16:
            return D3DFMT_R5G6B5;
        case 32:
            return D3DFMT_X8R8G8B8;
        default:
            return D3DFMT_UNKNOWN;
    }
}

std::uint32_t PixelToArgb(D3DFORMAT format, std::uint32_t p, const std::uint32_t* paletteArgb) {
    switch (format) {
        case D3DFMT_P8:
            return paletteArgb ? paletteArgb[p & 0xFF] : 0xFF000000u;
        case D3DFMT_R5G6B5:
            return 0xFF000000u | Expand5((p >> 11) & 31) << 16 | Expand6((p >> 5) & 63) << 8 |
                   Expand5(p & 31);
        case D3DFMT_A1R5G5B5:
            return ((p & 0x8000) ? 0xFF000000u : 0u) | Expand5((p >> 10) & 31) << 16 |
                   Expand5((p >> 5) & 31) << 8 | Expand5(p & 31);
        case D3DFMT_X8R8G8B8:
            return 0xFF000000u | (p & 0x00FFFFFFu);
        case D3DFMT_A8R8G8B8:
            return p;
        default:
            return 0;
    }
}

std::uint32_t ArgbToPixel(D3DFORMAT format, std::uint32_t c) {
    const std::uint32_t a = c >> 24, r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
    switch (format) {
        case D3DFMT_P8:
            return b;
        case D3DFMT_R5G6B5:
            return (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3);
        case D3DFMT_A1R5G5B5:
            return (a >> 7) << 15 | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
        case D3DFMT_X8R8G8B8:
            // The unused byte reads as opaque, so a back buffer copied as a texture is solid.
            return 0xFF000000u | (c & 0x00FFFFFFu);
        case D3DFMT_A8R8G8B8:
            return c;
        default:
            return 0;
    }
}

void PaletteToArgb(const PALETTEENTRY* entries, std::uint32_t* argb256) {
    for (int i = 0; i < 256; ++i) {
        argb256[i] = 0xFF000000u | std::uint32_t{entries[i].peRed} << 16 |
                     std::uint32_t{entries[i].peGreen} << 8 | entries[i].peBlue;
    }
}

namespace {

// Eight pixels at a time in 32-bit lanes (two vector registers of the baseline instruction
// set); the rest one by one through the same formula.
typedef std::uint32_t Lanes8 __attribute__((vector_size(32)));

void OpaqueRowToArgb(const std::uint8_t* src, std::uint32_t* dst, int count) {
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        Lanes8 v;
        std::memcpy(&v, src + 4 * i, 32);
        v |= 0xFF000000u;
        std::memcpy(dst + i, &v, 32);
    }
    for (; i < count; ++i) dst[i] = 0xFF000000u | ReadPixel(src + 4 * i, 4);
}

// The 16-bit formats, a vector of 16-bit lanes at a time: each channel widened by repeating
// its top bits, as PixelToArgb does, with shifts and masks at its place in the pixel
// (for R5G6B5 blue: (b << 3) | (b >> 2) is ((p << 3) & 0xF8) | ((p >> 2) & 0x07)). Green and
// blue then share one 16-bit lane, alpha and red another, and the two are interleaved into
// the 32-bit pixels. Half: the baseline's 16-byte vectors; Full: AVX2's 32-byte ones (passed
// by reference, as a 32-byte vector cannot be passed to a function compiled for the baseline).
struct HalfLanes {
    typedef std::uint16_t U16 __attribute__((vector_size(16)));
    typedef std::int16_t I16 __attribute__((vector_size(16)));
    static constexpr int kPixels = 8;
    [[gnu::always_inline]] static void Store(std::uint32_t* d, const U16& gb, const U16& ar) {
        const U16 lo = __builtin_shufflevector(gb, ar, 0, 8, 1, 9, 2, 10, 3, 11);
        const U16 hi = __builtin_shufflevector(gb, ar, 4, 12, 5, 13, 6, 14, 7, 15);
        std::memcpy(d, &lo, 16);
        std::memcpy(d + 4, &hi, 16);
    }
};

struct FullLanes {
    typedef std::uint16_t U16 __attribute__((vector_size(32)));
    typedef std::int16_t I16 __attribute__((vector_size(32)));
    static constexpr int kPixels = 16;
    [[gnu::always_inline]] static void Store(std::uint32_t* d, const U16& gb, const U16& ar) {
        const U16 lo =
            __builtin_shufflevector(gb, ar, 0, 16, 1, 17, 2, 18, 3, 19, 4, 20, 5, 21, 6, 22, 7, 23);
        const U16 hi = __builtin_shufflevector(gb, ar, 8, 24, 9, 25, 10, 26, 11, 27, 12, 28, 13, 29,
                                               14, 30, 15, 31);
        std::memcpy(d, &lo, 32);
        std::memcpy(d + 8, &hi, 32);
    }
};

template <class L, D3DFORMAT kFormat>
[[gnu::always_inline]] inline void NarrowRowToArgb(const std::uint8_t* src, std::uint32_t* dst,
                                                   int count) {
    using U16 = typename L::U16;
    int i = 0;
    for (; i + L::kPixels <= count; i += L::kPixels) {
        U16 p;
        std::memcpy(&p, src + 2 * i, sizeof p);
        const U16 b = ((p << 3) & 0xF8) | ((p >> 2) & 0x07);
        U16 g, ar;
        if constexpr (kFormat == D3DFMT_R5G6B5) {
            g = ((p << 5) & 0xFC00) | ((p >> 1) & 0x0300);
            ar = 0xFF00 | ((p >> 8) & 0xF8) | (p >> 13);
        } else {
            // The alpha bit spread over the high byte: 0 or 0xFF00.
            const U16 a = reinterpret_cast<U16>(reinterpret_cast<typename L::I16>(p) >> 15);
            g = ((p << 6) & 0xF800) | ((p << 1) & 0x0700);
            ar = (a & 0xFF00) | ((p >> 7) & 0xF8) | ((p >> 12) & 0x07);
        }
        const U16 gb = g | b;
        L::Store(dst + i, gb, ar);
    }
    for (; i < count; ++i) dst[i] = PixelToArgb(kFormat, ReadPixel(src + 2 * i, 2), nullptr);
}

using NarrowRowLoop = void (*)(const std::uint8_t*, std::uint32_t*, int);

template <D3DFORMAT kFormat>
void NarrowRowBaseline(const std::uint8_t* src, std::uint32_t* dst, int count) {
    NarrowRowToArgb<HalfLanes, kFormat>(src, dst, count);
}

template <D3DFORMAT kFormat>
__attribute__((target("avx2"))) void NarrowRowAvx2(const std::uint8_t* src, std::uint32_t* dst,
                                                   int count) {
    NarrowRowToArgb<FullLanes, kFormat>(src, dst, count);
}

template <D3DFORMAT kFormat>
NarrowRowLoop ChosenNarrowRow() {
    return UseAvx2Loops() ? NarrowRowAvx2<kFormat> : NarrowRowBaseline<kFormat>;
}

}  // namespace

void ConvertRowToArgb(D3DFORMAT format, const std::uint8_t* src, std::uint32_t* dst, int count,
                      const std::uint32_t* paletteArgb) {
    switch (format) {
        case D3DFMT_P8:
            for (int i = 0; i < count; ++i) dst[i] = paletteArgb[src[i]];
            break;
        case D3DFMT_X8R8G8B8:
            OpaqueRowToArgb(src, dst, count);
            break;
        case D3DFMT_A8R8G8B8:
            std::memcpy(dst, src, static_cast<std::size_t>(count) * 4);
            break;
        case D3DFMT_R5G6B5:
            ChosenNarrowRow<D3DFMT_R5G6B5>()(src, dst, count);
            break;
        case D3DFMT_A1R5G5B5:
            ChosenNarrowRow<D3DFMT_A1R5G5B5>()(src, dst, count);
            break;
        default: {
            const int bytes = BytesPerPixel(format);
            for (int i = 0; i < count; ++i)
                dst[i] = PixelToArgb(format, ReadPixel(src + bytes * i, bytes), paletteArgb);
            break;
        }
    }
}

}  // namespace plat

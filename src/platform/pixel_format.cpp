#include "platform/pixel_format.h"

namespace plat {

bool IsDeviceFormat(D3DFORMAT format) {
    return BytesPerPixel(format) != 0;
}

int BytesPerPixel(D3DFORMAT format) {
    switch (format) {
        case D3DFMT_P8:
            return 1;
        case D3DFMT_R5G6B5:
        case D3DFMT_A1R5G5B5:
            return 2;
        case D3DFMT_X8R8G8B8:
        case D3DFMT_A8R8G8B8:
            return 4;
        default:
            return 0;
    }
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
// set); the rest one by one through the same formulas.
typedef std::uint32_t Lanes8 __attribute__((vector_size(32)));
typedef std::uint16_t Narrow8 __attribute__((vector_size(16)));

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

// The 16-bit formats: each channel widened by repeating its top bits, as PixelToArgb does.
template <D3DFORMAT kFormat>
void NarrowRowToArgb(const std::uint8_t* src, std::uint32_t* dst, int count) {
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        Narrow8 in;
        std::memcpy(&in, src + 2 * i, 16);
        const Lanes8 p = __builtin_convertvector(in, Lanes8);
        Lanes8 out;
        if constexpr (kFormat == D3DFMT_R5G6B5) {
            const Lanes8 r = (p >> 11) & 31, g = (p >> 5) & 63, b = p & 31;
            out = 0xFF000000u | ((r << 3) | (r >> 2)) << 16 | ((g << 2) | (g >> 4)) << 8 |
                  ((b << 3) | (b >> 2));
        } else {
            const Lanes8 r = (p >> 10) & 31, g = (p >> 5) & 31, b = p & 31;
            // The alpha bit spread over the top byte: 0 or 0xFF000000.
            const Lanes8 a = (Lanes8{} - ((p >> 15) & 1)) & 0xFF000000u;
            out = a | ((r << 3) | (r >> 2)) << 16 | ((g << 3) | (g >> 2)) << 8 |
                  ((b << 3) | (b >> 2));
        }
        std::memcpy(dst + i, &out, 32);
    }
    for (; i < count; ++i) dst[i] = PixelToArgb(kFormat, ReadPixel(src + 2 * i, 2), nullptr);
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
            NarrowRowToArgb<D3DFMT_R5G6B5>(src, dst, count);
            break;
        case D3DFMT_A1R5G5B5:
            NarrowRowToArgb<D3DFMT_A1R5G5B5>(src, dst, count);
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

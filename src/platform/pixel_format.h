// The pixel formats of the software display device and the conversions between them.
//
// Formats carry the numbers of the formats they stand for, so the drawing layer can keep
// them in its own records and report them. Fixed arithmetic (a driver would decide it, here
// it is decided once): 5- and 6-bit channels expand to 8 bits by bit replication and 8-bit
// channels quantise to fewer bits by truncation.
#pragma once

#include <cstdint>
#include <cstring>

namespace plat {

using D3DFORMAT = std::uint32_t;
constexpr D3DFORMAT D3DFMT_UNKNOWN = 0;
constexpr D3DFORMAT D3DFMT_A8R8G8B8 = 21;
constexpr D3DFORMAT D3DFMT_X8R8G8B8 = 22;
constexpr D3DFORMAT D3DFMT_R5G6B5 = 23;
constexpr D3DFORMAT D3DFMT_A1R5G5B5 = 25;
constexpr D3DFORMAT D3DFMT_P8 = 41;

// A palette entry: red, green, blue and the entry's flags.
struct PALETTEENTRY {
    std::uint8_t peRed = 0;
    std::uint8_t peGreen = 0;
    std::uint8_t peBlue = 0;
    std::uint8_t peFlags = 0;
};

// A colour in the byte order of a 24-bit pixel.
struct RGBTRIPLE {
    std::uint8_t rgbtBlue = 0;
    std::uint8_t rgbtGreen = 0;
    std::uint8_t rgbtRed = 0;
};

// True for the formats the device holds surfaces in.
bool IsDeviceFormat(D3DFORMAT format);
// 1, 2 or 4; 0 for a format the device does not hold.
constexpr int BytesPerPixel(D3DFORMAT format) {
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
int BitsPerPixel(D3DFORMAT format);

struct ChannelMasks {
    std::uint32_t r = 0, g = 0, b = 0, a = 0;
};
// The bit masks of the channels (all zero for the indexed format).
ChannelMasks MasksOf(D3DFORMAT format);
// The format of a display mode of this many bits per pixel (8, 16 or 32), else unknown.
D3DFORMAT DisplayFormatForDepth(int bitsPerPixel);

constexpr std::uint32_t Expand5(std::uint32_t v) {
    return (v << 3) | (v >> 2);
}
constexpr std::uint32_t Expand6(std::uint32_t v) {
    return (v << 2) | (v >> 4);
}

// A pixel value of the format as A8R8G8B8. The indexed format looks its index up in
// paletteArgb (256 entries); formats without alpha come out opaque.
std::uint32_t PixelToArgb(D3DFORMAT format, std::uint32_t pixel, const std::uint32_t* paletteArgb);
// An A8R8G8B8 colour as a pixel value of the format (channels truncated). The indexed
// format has no colour conversion: the colour's low byte is taken as the index.
std::uint32_t ArgbToPixel(D3DFORMAT format, std::uint32_t argb);
// Palette entries as A8R8G8B8, opaque.
void PaletteToArgb(const PALETTEENTRY* entries, std::uint32_t* argb256);

// Reads and writes one pixel of `bytes` bytes (1, 2 or 4), little-endian.
inline std::uint32_t ReadPixel(const std::uint8_t* p, int bytes) {
    switch (bytes) {
        case 1:
            return *p;
        case 2:
            return static_cast<std::uint32_t>(p[0] | (p[1] << 8));
        default: {
            std::uint32_t v;
            std::memcpy(&v, p, 4);
            return v;
        }
    }
}
inline void WritePixel(std::uint8_t* p, int bytes, std::uint32_t v) {
    switch (bytes) {
        case 1:
            *p = static_cast<std::uint8_t>(v);
            break;
        case 2:
            p[0] = static_cast<std::uint8_t>(v);
            p[1] = static_cast<std::uint8_t>(v >> 8);
            break;
        default:
            std::memcpy(p, &v, 4);
            break;
    }
}

// A row of pixels as A8R8G8B8.
void ConvertRowToArgb(D3DFORMAT format, const std::uint8_t* src, std::uint32_t* dst, int count,
                      const std::uint32_t* paletteArgb);

}  // namespace plat

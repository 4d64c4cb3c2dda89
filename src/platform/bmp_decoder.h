// Our own reader of Windows bitmap files: 1, 4 and 8 bits with a colour table, RLE4 and RLE8,
// 16 and 32 bits with or without bit fields, 24 bits, bottom-up and top-down rows, and the
// core, info and later header versions. It is a pure reader (bytes in, pixels out), so the
// fuzz target links it alone.
//
// A bitmap file may be damaged or hostile: every size is checked before anything is
// allocated, nothing is read outside the bytes given, and an image wider or taller than
// 16384 pixels, or larger than 256 MiB once decoded to 32 bits per pixel, is refused.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace plat {

constexpr int kMaxImageSide = 16384;
constexpr std::size_t kMaxImageBytes = std::size_t{256} << 20;

// True when an image of w x h pixels may be decoded (both sides 1..16384, and w * h * 4
// bytes within 256 MiB).
bool ImageSizeAllowed(long long w, long long h);

// A decoded image, rows top-down. Indexed images (8 bits or fewer per pixel, RLE included)
// keep one palette index per pixel and their colour table; deeper ones keep A8R8G8B8
// colours (opaque unless the file has an alpha mask).
struct DecodedImage {
    int width = 0;
    int height = 0;
    // The depth as stored: 1, 4, 8, 16, 24 or 32 (PNG and JPEG images say 32 and 24).
    int bitCount = 0;
    // The colour table as opaque A8R8G8B8; entries the file does not have are black.
    std::uint32_t palette[256] = {};
    int paletteCount = 0;
    std::vector<std::uint8_t> indices;  // width * height, indexed images
    std::vector<std::uint32_t> argb;    // width * height, deeper images

    bool Indexed() const { return bitCount <= 8; }
    std::uint8_t IndexAt(int x, int y) const {
        return indices[static_cast<std::size_t>(y) * width + x];
    }
    std::uint32_t ColourAt(int x, int y) const {
        const std::size_t i = static_cast<std::size_t>(y) * width + x;
        return Indexed() ? palette[indices[i]] : argb[i];
    }
};

// Decodes a bitmap file held in memory. On failure `out` is left empty and *why (when given)
// says what was wrong.
bool DecodeBmp(const std::uint8_t* data, std::size_t size, DecodedImage& out, std::string* why);

}  // namespace plat

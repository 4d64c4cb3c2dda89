#include "gen/bmp_writer.h"

#include <cstdio>
#include <filesystem>

namespace gen {
namespace {

void Put16(std::vector<std::uint8_t>& b, std::uint32_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

std::size_t Stride(int width, int bits) {
    return (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
}

// File header and 40-byte info header for an uncompressed image.
std::vector<std::uint8_t> Headers(int width, int height, int bits, std::uint32_t tableEntries) {
    const std::uint32_t offset = 14 + 40 + 4 * tableEntries;
    const std::uint32_t image = static_cast<std::uint32_t>(Stride(width, bits) * height);
    std::vector<std::uint8_t> b;
    b.reserve(offset + image);
    b.push_back('B');
    b.push_back('M');
    Put32(b, offset + image);
    Put32(b, 0);
    Put32(b, offset);
    Put32(b, 40);
    Put32(b, static_cast<std::uint32_t>(width));
    Put32(b, static_cast<std::uint32_t>(height));
    Put16(b, 1);
    Put16(b, static_cast<std::uint32_t>(bits));
    Put32(b, 0);  // uncompressed
    Put32(b, image);
    Put32(b, 2835);  // 72 dots per inch
    Put32(b, 2835);
    Put32(b, tableEntries);
    Put32(b, 0);
    return b;
}

}  // namespace

std::vector<std::uint8_t> EncodeIndexedBmp(int width, int height, int bits,
                                           const std::vector<plat::PALETTEENTRY>& colours,
                                           const std::vector<std::uint8_t>& indices) {
    const std::uint32_t entries = 1u << bits;
    std::vector<std::uint8_t> b = Headers(width, height, bits, entries);
    for (std::uint32_t i = 0; i < entries; ++i) {
        const plat::PALETTEENTRY e = i < colours.size() ? colours[i] : plat::PALETTEENTRY{};
        b.push_back(e.peBlue);
        b.push_back(e.peGreen);
        b.push_back(e.peRed);
        b.push_back(0);
    }
    const std::size_t stride = Stride(width, bits);
    for (int y = height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row(stride, 0);
        for (int x = 0; x < width; ++x) {
            const std::uint8_t v = indices[static_cast<std::size_t>(y) * width + x];
            switch (bits) {
                case 1:
                    row[x / 8] |= static_cast<std::uint8_t>((v & 1) << (7 - x % 8));
                    break;
                case 4:
                    row[x / 2] |= static_cast<std::uint8_t>((v & 15) << (x % 2 ? 0 : 4));
                    break;
                default:
                    row[x] = v;
                    break;
            }
        }
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

std::vector<std::uint8_t> EncodeDirectBmp(int width, int height, int bits,
                                          const std::vector<std::uint32_t>& argb) {
    std::vector<std::uint8_t> b = Headers(width, height, bits, 0);
    const std::size_t stride = Stride(width, bits);
    for (int y = height - 1; y >= 0; --y) {
        std::vector<std::uint8_t> row;
        row.reserve(stride);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = argb[static_cast<std::size_t>(y) * width + x];
            const std::uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, bl = c & 0xFF;
            if (bits == 16) {
                Put16(row, (r >> 3) << 10 | (g >> 3) << 5 | bl >> 3);
            } else {
                row.push_back(static_cast<std::uint8_t>(bl));
                row.push_back(static_cast<std::uint8_t>(g));
                row.push_back(static_cast<std::uint8_t>(r));
                if (bits == 32) row.push_back(static_cast<std::uint8_t>(c >> 24));
            }
        }
        row.resize(stride, 0);
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::error_code ec;
    const std::filesystem::path p(path);
    if (p.has_parent_path()) std::filesystem::create_directories(p.parent_path(), ec);
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

}  // namespace gen

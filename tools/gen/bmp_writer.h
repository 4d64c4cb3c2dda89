// A small writer of Windows bitmap files for the sample game and the tests' fixtures:
// indexed (1, 4, 8 bits with a colour table) and direct-colour (16 bits 5-5-5, 24, 32 bits)
// images, uncompressed, rows bottom-up and padded to 4 bytes, with a 40-byte header.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/pixel_format.h"

namespace gen {

// `indices` holds width * height palette indices, rows top-down; `colours` entries of the
// colour table (1 << bits of them are written, missing ones black).
std::vector<std::uint8_t> EncodeIndexedBmp(int width, int height, int bits,
                                           const std::vector<plat::PALETTEENTRY>& colours,
                                           const std::vector<std::uint8_t>& indices);
// `argb` holds width * height colours, rows top-down. 32-bit files keep the alpha byte.
std::vector<std::uint8_t> EncodeDirectBmp(int width, int height, int bits,
                                          const std::vector<std::uint32_t>& argb);
// Writes the bytes to a host path, creating its folders; false on any failure.
bool WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace gen

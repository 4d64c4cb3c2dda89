// Image files as the texture loader and the bitmap loader read them: bitmaps through our own
// decoder, PNG through libpng and JPEG through libjpeg, told apart by their first bytes.
// Every decoder refuses an image wider or taller than 16384 pixels or larger than 256 MiB
// decoded (bmp_decoder.h), before it allocates the pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/bmp_decoder.h"

namespace plat {

// A bitmap, PNG or JPEG file held in memory. PNG images come out with their alpha, JPEG
// images opaque; both as A8R8G8B8 colours.
bool DecodeImage(const std::uint8_t* data, std::size_t size, DecodedImage& out, std::string* why);
bool DecodePng(const std::uint8_t* data, std::size_t size, DecodedImage& out, std::string* why);
bool DecodeJpeg(const std::uint8_t* data, std::size_t size, DecodedImage& out, std::string* why);

// Reads and decodes the image file at a program path. `bitmapOnly` accepts bitmap files
// alone (the window system's bitmap loader reads nothing else).
bool LoadImageFile(std::string_view path, bool bitmapOnly, DecodedImage& out, std::string* why);

}  // namespace plat

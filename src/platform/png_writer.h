// Writes A8R8G8B8 pixels as an 8-bit RGB PNG file (frame captures). Alpha is dropped:
// a captured frame is what the screen shows.
#pragma once

#include <cstdint>
#include <string>

namespace plat {

// `path` is a host path. On failure the file is removed and *error (when given) says why.
bool WritePng(const std::string& path, const std::uint32_t* argb, int width, int height,
              int stridePixels, std::string* error);

}  // namespace plat

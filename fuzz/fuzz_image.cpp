// The texture loader's image path over hostile bytes: PNG through libpng, JPEG through
// libjpeg (and bitmaps), then the loader's conversion into textures of both formats with the
// colour key.
#include <cstddef>
#include <cstdint>

#include "platform/d3dx_texture.h"
#include "platform/image_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    plat::DecodedImage image;
    if (!plat::DecodeImage(data, size, image, nullptr)) return 0;
    static auto wide = plat::SoftSurface::Create(64, 64, plat::D3DFMT_A8R8G8B8);
    static auto narrow = plat::SoftSurface::Create(64, 64, plat::D3DFMT_A1R5G5B5);
    plat::WriteImageTexels(image, 0xFFFF00FFu, *wide);
    plat::WriteImageTexels(image, 0xFF000000u, *narrow);
    return 0;
}

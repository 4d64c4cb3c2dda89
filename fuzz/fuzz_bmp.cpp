// Our bitmap reader over hostile bytes: every depth, header and run-length encoding, with
// each decoded pixel read back as the loaders read it.
#include <cstddef>
#include <cstdint>

#include "platform/bmp_decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    plat::DecodedImage image;
    if (!plat::DecodeBmp(data, size, image, nullptr)) return 0;
    // A large image is sampled, a small one read whole.
    const int stepX = 1 + image.width / 256, stepY = 1 + image.height / 256;
    std::uint32_t sum = 0;
    for (int y = 0; y < image.height; y += stepY)
        for (int x = 0; x < image.width; x += stepX) sum += image.ColourAt(x, y);
    volatile std::uint32_t sink = sum;
    (void)sink;
    return 0;
}

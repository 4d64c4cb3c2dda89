// The rows of a quad whose colour is its texel modulated channel by channel by one colour
// (tinted and translucent pictures, modulated sprites), eight pixels at a time.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/d3d9_types.h"

namespace plat {

// Per channel (alpha, red, green, blue), what a quad's stage gives a texel, in the form
// (x * m + 127) / 255 with x the texel's channel, or 255 where the stage reads no texel there
// (the channel is then the constant m).
struct Modulation {
    std::uint32_t fill;  // 0xFF in the channels that read no texel
    std::uint32_t m;     // the multipliers, one a channel
};

// The modulation of stage 0's colour and alpha operations for a quad of the vertex colour
// diffuse: false when they are of another form (a texel times itself, argument modifiers,
// operations other than select and modulate, the colour operation DISABLE).
bool ModulationOf(DWORD colorOp, DWORD carg1, DWORD carg2, DWORD alphaOp, DWORD aarg1, DWORD aarg2,
                  std::uint32_t diffuse, std::uint32_t factor, Modulation* out);

struct ModulatedRows {
    std::uint8_t* target;  // the first pixel drawn
    std::size_t targetPitch;
    D3DFORMAT targetFormat;
    const std::uint8_t* texels;  // the texel of the first pixel column, in texture row 0
    std::size_t texelPitch;
    D3DFORMAT textureFormat;
    const int* texelRows;  // each pixel row's texture row
    int width, rows;
    Modulation modulation;
    bool blend;  // mixed in by SRCALPHA / INVSRCALPHA (else stored)
};

// Draws the rows when their formats have a loop (32- and 16-bit targets and textures):
// true. The pixels are those of the stage arithmetic and the blend worked out pixel by pixel.
// avx2: with the wider vectors (the processor has them).
bool DrawModulatedRows(const ModulatedRows& q, bool avx2);

}  // namespace plat

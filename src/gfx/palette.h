// The palette and the transparent colour. Palette numbers (0-255) name the colours of the
// fills, pixels and circles; number 0 is the transparent colour in Direct3D. The forms of the
// transparent colour each back end and depth needs live in the contexts (display.h) and in
// dwColorKey.
#pragma once

#include <cstdint>

#include "gfx/display.h"
#include "platform/pixel_format.h"

// The current palette (changed by fades and palette animation) and the palette as loaded.
extern plat::PALETTEENTRY Palette[256];
extern plat::PALETTEENTRY PaletteOrg[256];

// The transparent colour given directly: 8-bit components at 32 bits, channel values of
// the 16-bit format at 16 bits.
void DDSetTransmit(std::uint8_t cbRed, std::uint8_t cbGreen, std::uint8_t cbBlue);
// A palette number as a device colour: a D3DCOLOR in Direct3D, a pixel value in DirectDraw.
std::uint32_t PalNumToRGB(std::uint32_t dwPalNum);
// DirectDraw: a palette entry's red, green, blue (channel units) as a 16-bit pixel.
std::uint16_t DDPalToRGB16(const std::uint8_t* lpRGB);
// DirectDraw: the shifts and maxima of the primary surface's red, green and blue.
void DDGetPixelFormat(DDPIXFMT* lpFmt);

// Screen fades and palette effects. The 8-bit DirectDraw display fades its hardware palette;
// the direct-colour modes emulate it: Direct3D draws a black quad of growing opacity over the
// frame, 16- and 32-bit DirectDraw recolour a copy of the screen taken when the fade starts
// (so the picture stands still while it fades). The palette of a direct-colour mode is read
// from the 16 x 16 grid of pixels of the palette image.
#pragma once

#include <cstdint>

#include "gfx/surface.h"
#include "platform/pixel_format.h"

// Entries nFirst..nLast of lpDst become lpSrc's blended toward (r, g, b) (low 8 bits):
// (src * nLevel + c * (256 - nLevel)) >> 8, flags PC_RESERVED. Entries outside 0..255 are
// left alone.
void PalFadeToRGB(plat::PALETTEENTRY* lpDst, int nFirst, int nLast, int nLevel, int r, int g, int b,
                  const plat::PALETTEENTRY* lpSrc);
// lpDst = lpSrc (which may be lpDst), then nFirst..nLast rotated by nCount entries: nDir 0
// upward, 1 downward. Only at 8, 16 and 32 bits.
void PalRotate(plat::PALETTEENTRY* lpDst, int nFirst, int nLast, int nCount, int nDir,
               const plat::PALETTEENTRY* lpSrc);
// One frame of a fade each, advancing dStep degrees; true on the call that draws the last
// frame. bReset jumps to the end (full colour for the fade-out, the clear picture for the
// fade-in).
bool DDFadeOut(plat::PALETTEENTRY* lpPal, int nFirst, int nLast, std::uint8_t r, std::uint8_t g,
               std::uint8_t b, double dStep, const plat::PALETTEENTRY* lpSrc, bool bReset);
bool DDFadeIn(plat::PALETTEENTRY* lpPal, int nFirst, int nLast, std::uint8_t r, std::uint8_t g,
              std::uint8_t b, double dStep, const plat::PALETTEENTRY* lpSrc, bool bReset);
// DirectDraw 16 and 32 bits: every pixel of lpDstSD = lpSrcSD's blended toward (r, g, b) at
// nLevel (0..256). 0 when a surface cannot be locked; 1 otherwise (Direct3D: a logged
// refusal).
int DDFade_UnPal(DDSURFACEDATA* lpDstSD, int nLevel, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                 DDSURFACEDATA* lpSrcSD);
// The palette from the palette image's pixels: pixel (c, 8 + k) gives entry 16k + c.
void DDSetPalette_UnPal(plat::PALETTEENTRY* lpPal, DDSURFACEDATA* lpSD);

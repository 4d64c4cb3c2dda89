// The palette and the transparent colour from the palette image: its colour table (and, in
// the direct-colour modes, its 16 x 16 grid of palette pixels) gives the palette, its first
// pixel the transparent colour.
#pragma once

#include "platform/pixel_format.h"

// True also when the direct-colour step cannot load the image; false when the file cannot
// be loaded at all. The third argument has no effect.
bool DDLoadPaletteFromFile(plat::PALETTEENTRY* lpPalette, const char* szFileName, int nIgnored);
// The transparent colour from the top-left pixel of an image file: non-zero on success.
int DDSetTransmit(const char* szFileName);

// The start-up's palette and transparent colour: the palette from the palette bitmap, and
// the transparent colour from its first pixel or, when the project fixes one (colour mode 1),
// from the system settings.
#pragma once

// Only with Direct3D or a DirectDraw palette object (8-bit DirectDraw); true otherwise.
// False after its error-log line when the palette bitmap cannot be read.
//
// With a fixed colour at 16 bits, the pixel key comes from the palette bitmap as in colour
// mode 0, and the fixed colour becomes the active context's rgbTransmit16: the colour of the
// image files that loads as transparent. At other depths the fixed colour is given to the
// display layer directly.
bool LoadPaletteAndKey();

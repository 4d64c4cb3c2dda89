// What the benchmarks share for their SDL references: the SDL format of a device depth, and a
// device surface copied into an SDL surface of the same format and pixels.
#pragma once

#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "gfx/palette.h"
#include "gfx/surface.h"
#include "platform/ddraw.h"
#include "platform/soft_device.h"

inline Uint32 SdlFormat(int bpp) {
    return bpp == 8    ? SDL_PIXELFORMAT_INDEX8
           : bpp == 16 ? SDL_PIXELFORMAT_RGB565
                       : SDL_PIXELFORMAT_RGB888;
}

// The device storage of a DirectDraw surface as an SDL surface of the same format and pixels.
inline SDL_Surface* CopyToSdl(DDSURFACEDATA& sd, int bpp) {
    plat::SoftSurface& s = sd.lpDS->lpDDSurface->Pixels();
    SDL_Surface* out =
        SDL_CreateRGBSurfaceWithFormat(0, s.Width(), s.Height(), bpp, SdlFormat(bpp));
    if (!out) return nullptr;
    if (bpp == 8) {
        SDL_Color colours[256];
        for (int i = 0; i < 256; ++i)
            colours[i] = SDL_Color{Palette[i].peRed, Palette[i].peGreen, Palette[i].peBlue, 255};
        SDL_SetPaletteColors(out->format->palette, colours, 0, 256);
    }
    for (int y = 0; y < s.Height(); ++y)
        std::memcpy(static_cast<std::uint8_t*>(out->pixels) + y * out->pitch, s.Row(y),
                    static_cast<std::size_t>(s.Width()) * s.BytesPerPixel());
    return out;
}

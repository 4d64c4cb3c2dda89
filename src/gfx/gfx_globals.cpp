// Every mutable global of src/gfx, with its program-start value:
//   Palette, PaletteOrg (palette.h)    the palette in force and as loaded     all 0
//   frame timing (frame_timing.h)      pacing timers, fps count               ResetFrameTiming
//   FontDef (font_tables.h)            the font definitions start-up rewrites  the table
//
// Not reset:
//   the display globals of display.h (bDirect3D, bDDInit, hWnd, nScreenWidth..., the
//   devices, contexts and the standard surfaces PrimarySD, BackBuffer, FadeSD,
//   VirBackBuffer, WorkSD)             set by DDInit and released by DDUnInit, which leaves
//                                      them closed; bDDInitOnce stays 1 after the first open
//                                      for the life of the program
//   StdSD, SurfaceDef, NumberSDDef (surface_tables.h)
//                                      the surface tables; their surfaces go with DDUnInit
//   SDList (surface.h)                 the live surfaces; each leaves it when released
//   RectBatch, SpriteBatch (batch.h)   emptied by every flush; the display flushes them
//   Fonts, NumberSD, FontList (font_tables.h, font.h)
//                                      made by start-up, released by UnInitGame (and by
//                                      tests) before the display closes
//   HbtTable (hbt_table.h)             computed once, never changed afterwards
//   fade angles (fade.cpp)             kept for the life of the program
#include "gfx/gfx_globals.h"

#include <algorithm>
#include <iterator>

#include "data/data_globals.h"
#include "gfx/font_tables.h"
#include "gfx/frame_timing.h"
#include "gfx/palette.h"
#include "sound/sound_globals.h"

void ResetGfxGlobals() {
    ResetSoundGlobals();
    std::fill(std::begin(Palette), std::end(Palette), plat::PALETTEENTRY{});
    std::fill(std::begin(PaletteOrg), std::end(PaletteOrg), plat::PALETTEENTRY{});
    ResetFrameTiming();
    ResetFontDefs();
}

// The program's three fonts, their definitions and their digit strips: Font10, Font16 and
// Font32 made from the font definition table, and one strip of the digits 0-9 per font for
// the number sprites.
#pragma once

#include "gfx/font.h"
#include "gfx/surface.h"

constexpr int kFontCount = 3;

// Start-up replaces the face names by the system settings' choice and a cache mode of 2 by
// the back end's cache setting.
extern FONTDEF FontDef[kFontCount];
extern Font Fonts[kFontCount];
extern Font& Font10;
extern Font& Font16;
extern Font& Font32;
extern DDSURFACEDATA NumberSD[kFontCount];

// Font::Create for each definition, with the standard surfaces it names (an index outside
// them gives none). 1.
int InitFonts(Font* lpFonts, const FONTDEF* lpDefs, int n);
// A blank strip of (pitch x 10) by line height per font, then its digits. 1 when every strip
// was made.
int CreateNumberSurfaces(DDSURFACEDATA* lpOut, const DDSURFACEDEF* lpDefs, int n, Font* lpFonts,
                         const FONTDEF* lpFontDefs);
// Clears the strip and draws "0123456789" into it with the font.
void RenderDigits(DDSURFACEDATA* lpSD, Font& font);
// The definitions as at program start (tests).
void ResetFontDefs();
// The menu windows' drawer (DrawMenuWindow): the box and text in Font16 on the back buffer.
void DrawMenuWindowFont16(int x, int y, int w, int h, const char* text);

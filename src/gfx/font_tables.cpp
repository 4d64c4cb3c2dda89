#include "gfx/font_tables.h"

#include <algorithm>
#include <iterator>

#include "gfx/display.h"
#include "gfx/fill.h"

namespace {

constexpr FONTDEF kFontDefs[kFontCount] = {
    {"ＭＳ ゴシック", 0, 9, 10, 10, 241, 45, 1, 240, 50, 2},
    {"ＭＳ ゴシック", 0, 16, 16, 16, 241, 45, 1, 240, 50, 2},
    {"ＭＳ ゴシック", 0, 30, 32, 32, 241, 45, 1, 240, 50, 0},
};

DDSURFACEDATA* StandardSurface(int index) {
    return lpStdSD && index >= 0 && index < nSurfaceDef ? &lpStdSD[index] : nullptr;
}

}  // namespace

FONTDEF FontDef[kFontCount] = {kFontDefs[0], kFontDefs[1], kFontDefs[2]};
Font Fonts[kFontCount];
Font& Font10 = Fonts[0];
Font& Font16 = Fonts[1];
Font& Font32 = Fonts[2];
DDSURFACEDATA NumberSD[kFontCount];

void ResetFontDefs() {
    std::copy(std::begin(kFontDefs), std::end(kFontDefs), std::begin(FontDef));
}

int InitFonts(Font* lpFonts, const FONTDEF* lpDefs, int n) {
    for (int i = 0; i < n; ++i) {
        const FONTDEF& d = lpDefs[i];
        lpFonts[i].Create(d.szFaceName, d.nWidth, d.nHeight, d.nPitch, d.nLineHeight, d.nColorIndex,
                          StandardSurface(d.nWindowSD), d.nFrameWidth, d.dwFrameColor,
                          StandardSurface(d.nIconSD), d.bCache);
    }
    return 1;
}

int CreateNumberSurfaces(DDSURFACEDATA* lpOut, const DDSURFACEDEF* lpDefs, int n, Font* lpFonts,
                         const FONTDEF* lpFontDefs) {
    int result = 1;
    for (int i = 0; i < n; ++i) {
        const DDSURFACEDEF& def = lpDefs[i];
        if (!DDCreateSurface(&lpOut[i], lpFontDefs[i].nPitch * 10, lpFontDefs[i].nLineHeight,
                             def.bColorKey, def.nDDMemory, def.nMemoryType, nullptr, 0)) {
            result = 0;
            continue;
        }
        RenderDigits(&lpOut[i], lpFonts[i]);
    }
    return result;
}

void RenderDigits(DDSURFACEDATA* lpSD, Font& font) {
    DDFillRect(lpSD, 0, 0, lpSD->nWidth, lpSD->nHeight, 0);
    font.Draw(lpSD, 0, 0, "0123456789", 0);
}

void DrawMenuWindowFont16(int x, int y, int w, int h, const char* text) {
    Font16.DrawWindowF(&BackBuffer, x, y, w, h, "%s", text);
}

#include "gfx/debug_text.h"

#include <cstdarg>
#include <cstdio>

#include "gfx/batch.h"
#include "gfx/blit.h"
#include "gfx/display.h"

int DDDrawDebugText(DDSURFACEDATA* lpDst, int x, int y, int nCellWidth, int nCellHeight,
                    DDSURFACEDATA* lpSheet, const char* str) {
    if (!str) return 0;
    if (lpDTCon) DDBeginSpriteBatch(0);
    int column = 0;
    for (const auto* p = reinterpret_cast<const unsigned char*>(str); *p; ++p) {
        const int b = *p;
        if (b == '\n') {
            column = 0;
            y += nCellHeight;
            continue;
        }
        int row = b >> 4;
        if (b >= 0xA6 && b <= 0xBF)
            row -= 10;
        else if (b >= 0xC0 && b <= 0xDD)
            row -= 4;
        DDBltRect(lpDst, x + column, y, nCellWidth, nCellHeight, lpSheet, nCellWidth * (b & 15),
                  row * nCellHeight, DDBLT_COLORKEY);
        column += nCellWidth;
        if (column >= nScreenWidth) {
            column = 0;
            y += nCellHeight;
        }
    }
    return lpDTCon ? DDEndSpriteBatch() : 0;
}

int DDDrawDebugTextF(DDSURFACEDATA* lpDst, int x, int y, int nCellWidth, int nCellHeight,
                     DDSURFACEDATA* lpSheet, const char* format, ...) {
    if (!format) return 0;
    char text[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    return DDDrawDebugText(lpDst, x, y, nCellWidth, nCellHeight, lpSheet, text);
}

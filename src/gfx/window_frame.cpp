#include "gfx/window_frame.h"

#include "gfx/batch.h"
#include "gfx/blit.h"
#include "gfx/fill.h"

int DDDrawFrame(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nThick,
                std::uint32_t dwPalNum) {
    DDBeginRectBatch();
    DDFillRect(lpDstSD, x, y, nWidth, nThick, dwPalNum);
    DDFillRect(lpDstSD, x, y + nHeight - nThick, nWidth, nThick, dwPalNum);
    DDFillRect(lpDstSD, x, y, nThick, nHeight, dwPalNum);
    DDFillRect(lpDstSD, x + nWidth - nThick, y, nThick, nHeight, dwPalNum);
    return DDEndRectBatch();
}

void DDDrawWindow(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                  DDSURFACEDATA* lpBackSD, int nFrame, std::uint32_t dwPalNum) {
    DDBltRect(lpDstSD, x, y, nWidth, nHeight, lpBackSD, 0, 0, 0);
    DDDrawFrame(lpDstSD, x - nFrame, y - nFrame, nWidth + 2 * nFrame, nHeight + 2 * nFrame, nFrame,
                dwPalNum);
}

// Strip and split effects: a picture drawn as a set of ordinary blits, in both back ends and
// with no pixel access. The wave displaces strips by a sine, the interlace pushes odd and even
// strips apart, the turn squeezes one picture to a line and opens another, the split pushes
// four quarters apart. Each queues its blits in one unsorted sprite batch (the turn draws one
// scaled blit); dwFlags passes to the blits (1 = colour key).
//
// Strips that cannot reach the destination or read the source are not issued, so the work is
// bounded by the surfaces whatever the parameters.
#pragma once

#include <cstdint>

#include "gfx/surface.h"

void DDBltWave(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nWaves,
               double dAmplitude, int nPhase, int nStrip, DDSURFACEDATA* lpSrcSD, int sx, int sy,
               std::uint32_t dwFlags, int bColumns);
// The single blit's result when nStrip is 0, else the batch's.
int DDBltInterlace(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nStrip,
                   int nOffset, DDSURFACEDATA* lpSrcSD, int sx, int sy, std::uint32_t dwFlags,
                   int bColumns);
// nMode 0 turns about the vertical axis, 1 about the horizontal one. A size below 2 has
// nothing to squeeze: nothing is drawn and the result is 1.
int DDBltTurn(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, DDSURFACEDATA* lpSrcA,
              int sxA, int syA, DDSURFACEDATA* lpSrcB, int sxB, int syB, int nSrcWidth,
              int nSrcHeight, std::uint32_t dwFlags, int nStep, int nMode);
void DDBltSplit4(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                 DDSURFACEDATA* lpSrcSD, int sx, int sy, int nOffset, std::uint32_t dwFlags);

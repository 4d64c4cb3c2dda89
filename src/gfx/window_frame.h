// Frames and window boxes: a rectangle outline of a given thickness in a palette colour, and
// a window (a background picture with a frame around it), built from fills and blits alone,
// so they draw alike in both back ends.
#pragma once

#include <cstdint>

#include "gfx/surface.h"

// Four bands inside the rectangle (top, bottom, left, right; the corners are filled twice)
// in one rectangle batch. The result of closing the batch.
int DDDrawFrame(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nThick,
                std::uint32_t dwPalNum);
// The top-left nWidth x nHeight of the background, opaque, with a frame nFrame wide outside
// it, touching it.
void DDDrawWindow(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                  DDSURFACEDATA* lpBackSD, int nFrame, std::uint32_t dwPalNum);

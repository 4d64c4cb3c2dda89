// Numbers from a strip of ten digit cells (digit d at sx + d * nCellWidth, sy), right-aligned
// or centred in a field of nFieldDigits cells; a number with more digits runs on to the
// right of the field.
#pragma once

#include <cstdint>

#include "gfx/surface.h"

// dwFlags goes to every blit (1: colour key). A negative value draws nothing: a damaged
// counter must not read cells left of the strip.
void DDDrawNumber(DDSURFACEDATA* lpDstSD, int x, int y, int nCellWidth, int nCellHeight,
                  DDSURFACEDATA* lpDigitSD, int sx, int sy, std::uint32_t dwFlags, int nValue,
                  int nFieldDigits, int bCentre);

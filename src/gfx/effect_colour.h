// Blits that mix colours: a picture mixed with one palette colour at one of four strengths
// (the colour change of characters), a picture drawn translucently over the destination, and
// a whole surface tinted with a colour (Direct3D only). Direct3D draws a textured quad with
// texture-stage blending when the destination is a render target and the source is not a
// system-memory texture; otherwise, and always in DirectDraw, the pixels are mixed in
// software, where 8 bits mix through the half-mix table.
#pragma once

#include <cstdint>

#include "gfx/surface.h"
#include "platform/ddraw_fwd.h"

// The colour is lpPal[nPalNum & 0xFF]; nLevel 1 (weakest) to 4, higher levels the plain
// colour in Direct3D and further half-mixes in DirectDraw; nMode 1 skips transparent source
// pixels. False only when a surface cannot be locked.
bool DDBltFlash(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                DDSURFACEDATA* lpSrcSD, int sx, int sy, int nMode, const plat::PALETTEENTRY* lpPal,
                const std::uint8_t* lpTable, int nPalNum, int nLevel);
// nAlpha: 0 opaque to 255 invisible, in the device path; software always mixes half and half.
bool DDBltTrans(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                DDSURFACEDATA* lpSrcSD, int sx, int sy, int nMode, const std::uint8_t* lpTable,
                int nAlpha);
bool DDBltHalfTrans(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                    DDSURFACEDATA* lpSrcSD, int sx, int sy, int nMode, const std::uint8_t* lpTable);
// The destination tinted by itself; always 1.
int DDChangeColor(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nAlpha,
                  std::uint8_t bRed, std::uint8_t bGreen, std::uint8_t bBlue);
// The whole destination covered with the source modulated by the colour and 255 - nAlpha;
// always 1. DirectDraw logs that it cannot.
int DDChangeColorEx(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                    DDSURFACEDATA* lpSrcSD, int nAlpha, std::uint8_t bRed, std::uint8_t bGreen,
                    std::uint8_t bBlue);

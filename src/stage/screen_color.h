// The screen colour: the whole play screen tinted towards a colour, faded back, or flashed a
// number of times. Direct3D lays a colour over the finished frame; DirectDraw can only fade
// the palette, at 8 bits per pixel.
#pragma once

#include <cstdint>

class cCommandInstance;

class ScreenColor {
public:
    // Idle: every field 0, the saved level 255 (no tint to return to).
    void Reset();
    // A change from the command's parameters: R, G, B, percent, return, duration in tenths
    // of a second, flash, number of flashes. A return with nothing to return from is
    // ignored.
    void Start(const cCommandInstance& cmd);
    // The same from the parameter values (missing ones 0).
    void Start(const std::int32_t* params, int count);
    // Paints the tint of this frame over the back buffer and, unless frozen, advances it.
    void Draw(int frozen);

    std::int32_t bPaletteTouched = 0;
    std::uint8_t nR = 0, nG = 0, nB = 0;
    std::int32_t nPercent = 0;
    std::int32_t bReturn = 0;
    std::int32_t nDuration = 0;  // frames
    std::int32_t bFlash = 0;
    std::int32_t nFlashCount = 0;
    std::int32_t bActive = 0;
    std::int32_t nFrame = 0;
    std::int32_t nFlashesDone = 0;
    std::int32_t nLevel = 0;  // 255 no tint, 0 the full colour
    std::uint8_t nSavedR = 0, nSavedG = 0, nSavedB = 0;
    std::int32_t nSavedPercent = 0;
    std::int32_t nSavedLevel = 255;

private:
    void DrawDirect3D(int frozen);
    void DrawDirectDraw(int frozen);
};

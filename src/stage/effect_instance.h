// An animation effect of the play screen: a short animation of the Effect table, placed at a
// stage position by a command or at the contact of a hit. It lives in the game scene's
// effect list, advances once per drawn frame and ends with its animation.
#pragma once

#include <cstdint>

#include "gfx/anim_pattern.h"
#include "stage/game_object.h"

struct DDSURFACEDATA;
class cEdEffect;

class EffectInstance {
public:
    EffectInstance() = default;
    // An effect at (x, y) in stage dots, drawn width × height; keepRunning lets it advance
    // in frames drawn held (an effect the game waits for).
    EffectInstance(std::int32_t number, double x, double y, std::int32_t width, std::int32_t height,
                   std::int32_t keepRunning);

    // A hit effect centred on the overlap of boxes a and b (at the stage's origin when they
    // do not overlap), jittered by up to 4 dots × s on each axis, s the giant size when the
    // effect grows with it (then drawn that much larger), else 1. Draws two random numbers,
    // x first.
    void InitHit(std::int32_t number, const DoubleRect& a, const DoubleRect& b, int giant);
    // The animation: one sequence, a copy of the effect's run-time pattern, from its start.
    void SetUpAnimation(std::int32_t number);
    // One drawn frame: 1 when the effect has ended (its closing step, or no frames at all).
    // Held frames keep the pattern still unless the effect keeps running.
    int Draw(DDSURFACEDATA* target, int hold);

    std::int32_t nNumber = 0;  // the Effect record; its low 16 bits are the index
    double dX = 0;             // top-left, stage dots
    double dY = 0;
    std::int32_t nWidth = 0;
    std::int32_t nHeight = 0;
    std::int32_t bStretched = 0;  // drawn at another size than the record's frames
    cAnimPattern Anim;
    std::int32_t bKeepRunning = 0;

private:
    cEdEffect& Record() const;
};

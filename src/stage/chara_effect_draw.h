// The draw handlers of the character effects, one per effect kind: each draws the actor's
// picture through its effect (or only advances the effect when asked not to draw) and
// reports whether the effect ended.
#pragma once

#include "data/effect_records.h"

class cActorBase;
struct DDSURFACEDATA;
struct GraphicSource;

// (actor, target, source, paused, draw) -> 1 when the effect has ended.
using CharaEffectHandler = int (*)(cActorBase&, DDSURFACEDATA*, GraphicSource&, int, int);
extern const CharaEffectHandler CharaEffectDrawTable[kCharaEffectKinds];

// Whether the actor's picture must be stretched: an own-size bitmap drawn at another size
// than its cells, or any other graphic at a giant size above 1.
bool NeedsStretch(const cActorBase& actor, const GraphicSource& src);
// The stretched picture rendered into the first work surface at (0, 0), sprite-sized,
// blended when the source asks.
void RenderToWork(const cActorBase& actor, const GraphicSource& src);
// The picture at the actor's sprite rectangle: stretched, or the cell with the source's
// blend state around it.
void BlitActorPlain(const cActorBase& actor, DDSURFACEDATA* target, const GraphicSource& src);

// The screen-effect handlers, one per effect kind: each redraws the finished play picture
// of the back buffer through a work surface and, unless frozen, moves the effect on.
#pragma once

#include "data/effect_records.h"

class cGameScene;

// (scene, frozen) -> 1 when the effect has ended. Entry 0 is the no-effect handler, which
// never ends.
using ScreenEffectHandler = int (*)(cGameScene&, int);
extern const ScreenEffectHandler ScreenEffectHandlers[kScreenEffectKinds];

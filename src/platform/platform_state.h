// The platform layer's process-wide state, put back to what a fresh process starts with.
#pragma once

namespace plat {

// Everything below the player's own globals: see platform_state.cpp for the list. Call it
// only with no display window, device or thread of the runtime alive.
void ResetPlatformState();

}  // namespace plat

// The scene layer's mutable globals and hooks, put back to their program-start values.
#pragma once

// The drawing layer's globals first, then those of src/scene (scene_globals.cpp lists them).
// Call it with the display closed.
void ResetSceneGlobals();

// The engine's (stage and flows) mutable globals and hooks, put back to their program-start
// values.
#pragma once

// The scene layer's globals first, then those of src/stage and src/flow (engine_globals.cpp
// lists them). Call it with the display closed and no game thread running.
void ResetEngineGlobals();

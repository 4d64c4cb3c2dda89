// The base layer's mutable globals and hooks, put back to their program-start values.
#pragma once

// The platform layer's state first, then every global of src/base (base_globals.cpp lists
// them). Call it with no display open and no worker thread running.
void ResetBaseGlobals();

// The drawing layer's mutable globals, put back to their program-start values.
#pragma once

// The data layer's globals first, then those of src/gfx (gfx_globals.cpp lists them). Call
// it with the display closed (after DDUnInit, or before any DDInit).
void ResetGfxGlobals();

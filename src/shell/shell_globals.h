// The shell's mutable globals, put back to their program-start values: with the layers
// below, every global of the player.
#pragma once

// The engine's globals first, then those of src/shell (shell_globals.cpp lists them). Call
// it with the display closed and no game thread running.
void ResetShellGlobals();

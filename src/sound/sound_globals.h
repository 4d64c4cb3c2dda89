#pragma once

// Puts every global of src/sound back to its program-start value (and those of the layers
// below first).
void ResetSoundGlobals();

// Compiled as a drawing-layer source by the layering test: it must compile, because the
// records sit below the drawing layer (so the failing probe fails for the layering alone).
#include "data/stage_record.h"
#include "gfx/display.h"

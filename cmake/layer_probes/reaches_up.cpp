// Compiled as a drawing-layer source by the layering test: it must not compile, because the
// engine sits above the drawing layer.
#include "stage/actor.h"

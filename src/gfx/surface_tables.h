// The standard surfaces of the program, their 71 definitions, the definitions of the three
// digit strips, and the texture sharing between standard surfaces in Direct3D.
#pragma once

#include "gfx/surface.h"

constexpr int kStdSurfaceCount = 71;

extern DDSURFACEDATA StdSD[kStdSurfaceCount];
// "E" names a blank surface of the given size. A definition that shares a texture points
// at the standard surface whose texture it draws with.
extern DDSURFACEDEF SurfaceDef[kStdSurfaceCount];
extern DDSURFACEDEF NumberSDDef[3];

// Direct3D, once the display is open: the standard surfaces that draw with another one's
// texture are linked to it.
void LinkSharedSurfaces();

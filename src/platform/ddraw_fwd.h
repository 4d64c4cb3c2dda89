// The DirectDraw-7-like interfaces (ddraw.h) declared only, for headers that merely point at
// them.
#pragma once

namespace plat {

class IDirectDraw7;
class IDirectDrawSurface7;
class IDirectDrawPalette;
class IDirectDrawClipper;
struct DDSURFACEDESC2;

}  // namespace plat

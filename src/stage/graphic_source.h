// Where the picture of a graphic comes from: the surfaces and the cell that a graphic kind
// and number name, for an actor drawn with its facing, an item, or anything else; which of
// the two copies of a sheet a stretched blit takes; and the small icon of a graphic.
#pragma once

#include <cstdint>

#include "gfx/blit.h"

class cGameObject;
struct DDSURFACEDATA;

// Graphic kinds.
enum GraphicKind : int {
    GRAPHIC_BLOCK = 0,
    GRAPHIC_CHARA = 1,
    GRAPHIC_ITEM = 2,
    GRAPHIC_SHOT = 3,
    GRAPHIC_OWN = 4,
};

// Who is drawn: an actor (with its facing), an item (its second frame one cell right), or
// anything else.
enum GraphicUser : int {
    GRAPHIC_USER_OTHER = 0,
    GRAPHIC_USER_ACTOR = 1,
    GRAPHIC_USER_ITEM = 2,
};

struct GraphicSource {
    DDSURFACEDATA* lpOwn1 = nullptr;  // own facing, first copy
    DDSURFACEDATA* lpOwn2 = nullptr;  // own facing, second copy
    DDSURFACEDATA* lpOther1 = nullptr;
    DDSURFACEDATA* lpOther2 = nullptr;
    // The copies a stretched blit takes (own facing, other facing).
    DDSURFACEDATA* lpStretchOwn = nullptr;
    DDSURFACEDATA* lpStretchOther = nullptr;
    std::int32_t bBlend = 0;
    DDBLEND Blend;
    std::int32_t bOwnSize = 0;
    std::uint8_t nSize = 1;  // cells of an own-size bitmap are nSize x 32 dots square
    std::int32_t nSrcX = 0;
    std::int32_t nSrcY = 0;
};

// Standard surfaces of the stage's sheets.
inline constexpr int kBlockSheet = 2;
inline constexpr int kCharaSheetFirst = 4;
inline constexpr int kCharaSheetCount = 8;
inline constexpr int kCharaSecondCopy = 18;  // second copies lie this far after the first
inline constexpr int kItemSheet = 40;
inline constexpr int kItemMiniSheet = 42;
inline constexpr int kMarkSheet = 43;
inline constexpr int kStatusWindowSurface = 46;
inline constexpr int kAccessorySurface = 49;
inline constexpr int kWordSurface = 51;
inline constexpr int kShotCellSheet = 63;  // and 64, the mirrored cells
inline constexpr int kSightMaskSurface = 65;
inline constexpr int kSightHoleSurface = 66;

// Fills `src` for graphic `number` of `kind`: `column` is the column offset of the frames,
// `extra` the pattern (an actor's, added to the column) or the item's frame. `object` gives
// the facing of an actor; it may be null for the other users.
void ResolveGraphicSource(GraphicSource& src, int user, int kind, int number, int column,
                          const cGameObject* object, int extra);

// DirectDraw: the second copy (index + 18) of a character sheet when the first has no
// surface (other 0), or when the second has one (other 1); otherwise, and in Direct3D, the
// index itself.
int PickCharacterSheet(int index, int other);

// The mark sheet for stretched marks and the two work surfaces of the effect blits, by the
// back end and the video-stretch setting; once per entry of the game scene.
void SetDrawSurfaces();
// Back to the program-start choice (tests).
void ResetDrawSurfaces();
DDSURFACEDATA* MarkStretchSurface();
DDSURFACEDATA* WorkSurface1();
DDSURFACEDATA* WorkSurface2();

// A 16 x 16 icon of the graphic at (x, y), colour-keyed; other kinds draw nothing.
void DrawGraphicIcon(DDSURFACEDATA* target, int x, int y, int kind, int number, int column);

// A surface that holds nothing: what a graphic that names no sheet draws from.
DDSURFACEDATA* NoSurface();

// Graphic sources: sheets, cells and copies of the five graphic kinds.
#include "stage/graphic_source.h"

#include "data/chara_exc_records.h"
#include "data/database.h"
#include "data/system_ini.h"
#include "gfx/display.h"
#include "gfx/surface_tables.h"
#include "stage/game_object.h"
#include "stage/game_scene.h"

namespace {

DDSURFACEDATA g_NoSurface;
DDSURFACEDATA* g_lpMarkStretch = &StdSD[kMarkSheet + 1];
DDSURFACEDATA* g_lpWork1 = &StdSD[67];
DDSURFACEDATA* g_lpWork2 = &StdSD[70];

// Rows of a block, character or item sheet.
constexpr int kSheetRows = 15;
// Rows of the shot-cell sheets.
constexpr int kShotRows = 30;

bool VideoStretch() {
    return lpDTCon == nullptr && lpDDCon != nullptr && SystemIni.DD_VideoStretch != 0;
}

DDSURFACEDATA* Std(int index) {
    return index >= 0 && index < kStdSurfaceCount ? &StdSD[index] : &g_NoSurface;
}

DDSURFACEDATA* OwnBitmap(int index) {
    if (lpGame == nullptr || index < 0 || index >= static_cast<int>(lpGame->m_vecOwnBitmap.Size()))
        return &g_NoSurface;
    return &lpGame->m_vecOwnBitmap[index];
}

bool HasSurface(const DDSURFACEDATA& sd) {
    return sd.lpDS != nullptr && sd.lpDS->lpDDSurface != nullptr;
}

void Character(GraphicSource& src, int user, int number, int column, const cGameObject* object,
               int extra) {
    const int sheet = number / kSheetRows;
    const int row = number % kSheetRows;
    // A number that names no character sheet (a damaged record) takes the fallback cell
    // below, never a sheet that follows the character sheets.
    bool outside = number < 0 || sheet >= kCharaSheetCount;
    int own = kCharaSheetFirst;
    int other = kCharaSheetFirst + 1;
    src.nSrcY = row * 32;
    if (user == GRAPHIC_USER_ACTOR) {
        const int facing = object != nullptr && object->m_bFacingRight ? 1 : 0;
        own = kCharaSheetFirst + 2 * sheet + facing;
        other = kCharaSheetFirst + 2 * sheet + (1 - facing);
        src.nSrcX = static_cast<int>((std::int64_t{column} + extra) * 32);
    } else if (column >= 20) {
        own = other = kCharaSheetFirst + 2 * sheet + 1;
        src.nSrcX = (column - 20) * 32;
    } else {
        own = other = kCharaSheetFirst + 2 * sheet;
        src.nSrcX = column * 32;
    }
    if (!outside) {
        const DDSURFACEDATA& sd = StdSD[own];
        outside = src.nSrcX < 0 || src.nSrcY >= sd.nHeight || src.nSrcX >= sd.nWidth;
    }
    if (outside) {
        own = other = kCharaSheetFirst;
        src.nSrcX = src.nSrcY = 0;
    }
    src.lpOwn1 = &StdSD[own];
    src.lpOwn2 = &StdSD[own + kCharaSecondCopy];
    src.lpOther1 = &StdSD[other];
    src.lpOther2 = &StdSD[other + kCharaSecondCopy];
}

void Own(GraphicSource& src, int user, int number, int column, const cGameObject* object,
         int extra) {
    const bool actor = user == GRAPHIC_USER_ACTOR;
    const int facing = actor && object != nullptr && object->m_bFacingRight ? 1 : 0;
    const int base = static_cast<int>(std::int64_t{number} * 4 - 4);
    src.lpOwn1 = OwnBitmap(base + facing);
    src.lpOther1 = OwnBitmap(base + (1 - facing));
    src.lpOwn2 = OwnBitmap(base + 2 + facing);
    src.lpOther2 = OwnBitmap(base + 2 + (1 - facing));
    const std::int64_t cell = std::int64_t{column} + (actor ? extra : 0);
    const auto& table = EdDatabase.vecBmpCharaExc;
    const bool known = number >= 1 && number < static_cast<int>(table.Size());
    if (known && table[number].bCellWidth != 0) {
        // A multiple below 1 counts as 1, and one above 16 still leaves a cell per row.
        int k = table[number].nCellWidth;
        if (k < 1) k = 1;
        if (k > 255) k = 255;
        const int perRow = 16 / k > 0 ? 16 / k : 1;
        src.nSrcX = static_cast<int>((cell % perRow) * 32 * k);
        src.nSrcY = static_cast<int>((cell / perRow) * 32 * k);
        src.nSize = static_cast<std::uint8_t>(k);
        src.bOwnSize = 1;
    } else {
        src.nSrcX = static_cast<int>((cell % 16) * 32);
        src.nSrcY = static_cast<int>((cell / 16) * 32);
    }
}

}  // namespace

DDSURFACEDATA* NoSurface() {
    return &g_NoSurface;
}

void ResolveGraphicSource(GraphicSource& src, int user, int kind, int number, int column,
                          const cGameObject* object, int extra) {
    src.bBlend = 0;
    src.bOwnSize = 0;
    src.nSize = 1;
    src.nSrcX = src.nSrcY = 0;
    src.lpOwn1 = src.lpOwn2 = src.lpOther1 = src.lpOther2 = &g_NoSurface;
    switch (kind) {
        case GRAPHIC_BLOCK:
            src.lpOwn1 = src.lpOther1 = &StdSD[kBlockSheet];
            src.lpOwn2 = src.lpOther2 = &StdSD[kBlockSheet + 1];
            src.nSrcX = (number / kSheetRows) * 32;
            src.nSrcY = (number % kSheetRows) * 32;
            break;
        case GRAPHIC_CHARA:
            Character(src, user, number, column, object, extra);
            break;
        case GRAPHIC_ITEM:
            src.lpOwn1 = src.lpOther1 = &StdSD[kItemSheet];
            src.lpOwn2 = src.lpOther2 = &StdSD[kItemSheet + 1];
            src.nSrcX = (number / kSheetRows) * 64 + (user == GRAPHIC_USER_ITEM ? extra * 32 : 0);
            src.nSrcY = (number % kSheetRows) * 32;
            break;
        case GRAPHIC_SHOT: {
            int own = kShotCellSheet, other = kShotCellSheet;
            if (user == GRAPHIC_USER_ACTOR) {
                const int facing = object != nullptr && object->m_bFacingRight ? 1 : 0;
                own = kShotCellSheet + facing;
                other = kShotCellSheet + (1 - facing);
            }
            src.lpOwn1 = src.lpOwn2 = Std(own);
            src.lpOther1 = src.lpOther2 = Std(other);
            src.nSrcX = (number / kShotRows) * 64;
            src.nSrcY = (number % kShotRows) * 32;
            break;
        }
        case GRAPHIC_OWN:
            Own(src, user, number, column, object, extra);
            break;
        default:
            break;
    }
    const bool first = VideoStretch();
    src.lpStretchOwn = first ? src.lpOwn1 : src.lpOwn2;
    src.lpStretchOther = first ? src.lpOther1 : src.lpOther2;
}

int PickCharacterSheet(int index, int other) {
    if (lpDTCon != nullptr || lpDDCon == nullptr) return index;
    const int second = index + kCharaSecondCopy;
    if (index < 0 || second >= kStdSurfaceCount) return index;
    if (other == 0 ? !HasSurface(StdSD[index]) : HasSurface(StdSD[second])) return second;
    return index;
}

void SetDrawSurfaces() {
    g_lpMarkStretch = VideoStretch() ? &StdSD[kMarkSheet] : &StdSD[kMarkSheet + 1];
    g_lpWork1 = &StdSD[67];
    g_lpWork2 = lpDTCon == nullptr && lpDDCon != nullptr ? &StdSD[68] : &StdSD[70];
}

void ResetDrawSurfaces() {
    g_lpMarkStretch = &StdSD[kMarkSheet + 1];
    g_lpWork1 = &StdSD[67];
    g_lpWork2 = &StdSD[70];
}

DDSURFACEDATA* MarkStretchSurface() {
    return g_lpMarkStretch;
}

DDSURFACEDATA* WorkSurface1() {
    return g_lpWork1;
}

DDSURFACEDATA* WorkSurface2() {
    return g_lpWork2;
}

void DrawGraphicIcon(DDSURFACEDATA* target, int x, int y, int kind, int number, int column) {
    switch (kind) {
        case GRAPHIC_BLOCK:
            DDBltScale(target, x, y, 16, 16, &StdSD[kBlockSheet + 1], (number / kSheetRows) * 32,
                       (number % kSheetRows) * 32, 32, 32, DDBLT_COLORKEY);
            break;
        case GRAPHIC_CHARA: {
            const int sheet = number / kSheetRows;
            if (number < 0 || sheet >= kCharaSheetCount) break;
            DDBltScale(target, x, y, 16, 16,
                       &StdSD[kCharaSheetFirst + 2 * sheet + kCharaSecondCopy], column * 32,
                       (number % kSheetRows) * 32, 32, 32, DDBLT_COLORKEY);
            break;
        }
        case GRAPHIC_ITEM:
            DDBltRect(target, x, y, 16, 16, &StdSD[kItemMiniSheet], (number / kSheetRows) * 32,
                      (number % kSheetRows) * 16, DDBLT_COLORKEY);
            break;
        case GRAPHIC_SHOT:
            DDBltScale(target, x, y, 16, 16, &StdSD[kShotCellSheet], (number / kShotRows) * 64,
                       (number % kShotRows) * 32, 32, 32, DDBLT_COLORKEY);
            break;
        case GRAPHIC_OWN: {
            GraphicSource src;
            ResolveGraphicSource(src, GRAPHIC_USER_OTHER, kind, number, column, nullptr, 0);
            DDBltScale(target, x, y, 16, 16, src.lpOwn2, src.nSrcX, src.nSrcY, 32 * src.nSize,
                       32 * src.nSize, DDBLT_COLORKEY);
            break;
        }
        default:
            break;
    }
}

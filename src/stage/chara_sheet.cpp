#include "stage/chara_sheet.h"

#include "gfx/display.h"
#include "gfx/surface_tables.h"

namespace {

// The distance between a sheet and its second copy.
constexpr int kSheetCopyDistance = 18;

bool HasSurface(int index) {
    return index >= 0 && index < kStdSurfaceCount && StdSD[index].lpDS != nullptr;
}

}  // namespace

int PickCharacterSheet(int index, int other) {
    if (!lpDDCon || lpDTCon) return index;
    const int copy = index + kSheetCopyDistance;
    if (copy < 0 || copy >= kStdSurfaceCount) return index;
    if (other == 0) return HasSurface(index) ? index : copy;
    return HasSurface(copy) ? copy : index;
}

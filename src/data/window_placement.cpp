#include "data/window_placement.h"

#include "platform/desktop.h"

cWindowPlacement WindowPlacement;

cWindowPlacement::cWindowPlacement() {
    Reset();
}

void cWindowPlacement::Rebind(std::uint32_t) {
    ClearTables();
    AddInt(&x, 1, "x");
    AddInt(&y, 1, "y");
    AddInt(&width, 1, "width");
    AddInt(&height, 1, "height");
    AddInt(&maximised, 1, "maximised");
}

void cWindowPlacement::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    const int right = plat::GetSystemMetrics(plat::SM_CXFULLSCREEN);
    const int bottom = plat::GetSystemMetrics(plat::SM_CYFULLSCREEN);
    if (x < 0)
        x = 0;
    else if (x > right)
        x = right;
    if (y < 0)
        y = 0;
    else if (y > bottom)
        y = bottom;
}

void cWindowPlacement::Set(int newX, int newY, int newWidth, int newHeight, int newMaximised) {
    x = newX;
    y = newY;
    width = newWidth;
    height = newHeight;
    maximised = newMaximised;
}

bool LoadWindowPlacement() {
    cWindowPlacement read;
    bool stoppedEarly = false;
    if (!read.LoadFromFile(kWindowPlacementPath, &stoppedEarly) || stoppedEarly) return false;
    WindowPlacement = read;
    return true;
}

bool SaveWindowPlacement() {
    return WindowPlacement.SaveToFile(kWindowPlacementPath) != 0;
}

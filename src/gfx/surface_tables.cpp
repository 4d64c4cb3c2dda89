// The standard surface table. Entry 0 is also the palette and transparent-colour source of
// start-up; start-up creates entry 1, the scenes and the game scene create the others when
// they need them.
#include "gfx/surface_tables.h"

#include "gfx/display.h"

DDSURFACEDATA StdSD[kStdSurfaceCount];

// File, colour key, system memory, memory type, shared texture, palette data, optional,
// mirror cell width and height, blank size. In DirectDraw every surface holds its own image;
// the share column matters to Direct3D alone.
DDSURFACEDEF SurfaceDef[kStdSurfaceCount] = {
    {"bmp\\plt\\Palette.bmp", 0, 1, 0, nullptr, nullptr, 0, 0, 0, 0, 0},    // 0
    {"bmp\\Debug.bmp", 1, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0},           // 1
    {"bmp\\Block.bmp", 1, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0},           // 2
    {"bmp\\Block.bmp", 1, 1, 0, &StdSD[2], nullptr, 0, 0, 0, 0, 0},         // 3
    {"bmp\\Character1.bmp", 1, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0},      // 4
    {"bmp\\Character1.bmp", 1, 0, 0, &StdSD[4], nullptr, 0, 32, 0, 0, 0},   // 5
    {"bmp\\Character2.bmp", 1, 0, 0, nullptr, nullptr, 1, 0, 0, 0, 0},      // 6
    {"bmp\\Character2.bmp", 1, 0, 0, &StdSD[6], nullptr, 1, 32, 0, 0, 0},   // 7
    {"bmp\\Character3.bmp", 1, 0, 0, nullptr, nullptr, 1, 0, 0, 0, 0},      // 8
    {"bmp\\Character3.bmp", 1, 0, 0, &StdSD[8], nullptr, 1, 32, 0, 0, 0},   // 9
    {"bmp\\Character4.bmp", 1, 0, 0, nullptr, nullptr, 1, 0, 0, 0, 0},      // 10
    {"bmp\\Character4.bmp", 1, 0, 0, &StdSD[10], nullptr, 1, 32, 0, 0, 0},  // 11
    {"bmp\\Character5.bmp", 1, 0, 0, nullptr, nullptr, 1, 0, 0, 0, 0},      // 12
    {"bmp\\Character5.bmp", 1, 0, 0, &StdSD[12], nullptr, 1, 32, 0, 0, 0},  // 13
    {"bmp\\Character6.bmp", 1, 0, 0, nullptr, nullptr, 1, 0, 0, 0, 0},      // 14
    {"bmp\\Character6.bmp", 1, 0, 0, &StdSD[14], nullptr, 1, 32, 0, 0, 0},  // 15
    {"bmp\\Character7.bmp", 1, 0, 0, nullptr, nullptr, 1, 0, 0, 0, 0},      // 16
    {"bmp\\Character7.bmp", 1, 0, 0, &StdSD[16], nullptr, 1, 32, 0, 0, 0},  // 17
    {"bmp\\Character8.bmp", 1, 0, 0, nullptr, nullptr, 1, 0, 0, 0, 0},      // 18
    {"bmp\\Character8.bmp", 1, 0, 0, &StdSD[18], nullptr, 1, 32, 0, 0, 0},  // 19
    {"bmp\\Shot.bmp", 1, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0},            // 20
    {"bmp\\Shot.bmp", 1, 0, 0, &StdSD[20], nullptr, 0, 16, 0, 0, 0},        // 21
    {"bmp\\Character1.bmp", 1, 1, 0, &StdSD[4], nullptr, 0, 0, 0, 0, 0},    // 22
    {"bmp\\Character1.bmp", 1, 1, 0, &StdSD[4], nullptr, 0, 32, 0, 0, 0},   // 23
    {"bmp\\Character2.bmp", 1, 1, 0, &StdSD[6], nullptr, 1, 0, 0, 0, 0},    // 24
    {"bmp\\Character2.bmp", 1, 1, 0, &StdSD[6], nullptr, 1, 32, 0, 0, 0},   // 25
    {"bmp\\Character3.bmp", 1, 1, 0, &StdSD[8], nullptr, 1, 0, 0, 0, 0},    // 26
    {"bmp\\Character3.bmp", 1, 1, 0, &StdSD[8], nullptr, 1, 32, 0, 0, 0},   // 27
    {"bmp\\Character4.bmp", 1, 1, 0, &StdSD[10], nullptr, 1, 0, 0, 0, 0},   // 28
    {"bmp\\Character4.bmp", 1, 1, 0, &StdSD[10], nullptr, 1, 32, 0, 0, 0},  // 29
    {"bmp\\Character5.bmp", 1, 1, 0, &StdSD[12], nullptr, 1, 0, 0, 0, 0},   // 30
    {"bmp\\Character5.bmp", 1, 1, 0, &StdSD[12], nullptr, 1, 32, 0, 0, 0},  // 31
    {"bmp\\Character6.bmp", 1, 1, 0, &StdSD[14], nullptr, 1, 0, 0, 0, 0},   // 32
    {"bmp\\Character6.bmp", 1, 1, 0, &StdSD[14], nullptr, 1, 32, 0, 0, 0},  // 33
    {"bmp\\Character7.bmp", 1, 1, 0, &StdSD[16], nullptr, 1, 0, 0, 0, 0},   // 34
    {"bmp\\Character7.bmp", 1, 1, 0, &StdSD[16], nullptr, 1, 32, 0, 0, 0},  // 35
    {"bmp\\Character8.bmp", 1, 1, 0, &StdSD[18], nullptr, 1, 0, 0, 0, 0},   // 36
    {"bmp\\Character8.bmp", 1, 1, 0, &StdSD[18], nullptr, 1, 32, 0, 0, 0},  // 37
    {"bmp\\Shot.bmp", 1, 1, 0, &StdSD[20], nullptr, 0, 0, 0, 0, 0},         // 38
    {"bmp\\Shot.bmp", 1, 1, 0, &StdSD[20], nullptr, 0, 16, 0, 0, 0},        // 39
    {"bmp\\Item.bmp", 1, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0},            // 40
    {"bmp\\Item.bmp", 1, 1, 0, &StdSD[40], nullptr, 0, 0, 0, 0, 0},         // 41
    {"bmp\\Item_Mini.bmp", 1, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0},       // 42
    {"bmp\\Mark.bmp", 1, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0},            // 43
    {"bmp\\Mark.bmp", 1, 1, 0, &StdSD[43], nullptr, 0, 0, 0, 0, 0},         // 44
    {"bmp\\Window.bmp", 0, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0},          // 45
    {"bmp\\StatusWindow.bmp", 1, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0},    // 46
    {"bmp\\Title.bmp", 0, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0},           // 47
    {"bmp\\GameMode.bmp", 1, 0, 0, nullptr, nullptr, 1, 0, 0, 0, 0},        // 48
    {"bmp\\Accessory.bmp", 1, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0},       // 49
    {"bmp\\Symbol.bmp", 1, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0},          // 50
    {"bmp\\Word.bmp", 1, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0},            // 51
    {"bmp\\WorldMapChip.bmp", 1, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0},    // 52
    {"bmp\\WorldEvent.bmp", 1, 1, 0, nullptr, nullptr, 0, 0, 0, 0, 0},      // 53
    {"bmp\\WorldBack.bmp", 0, 1, 0, nullptr, nullptr, 1, 0, 0, 0, 0},       // 54
    {"背景その1.bmp", 1, 0, 0, nullptr, nullptr, 1, 0, 0, 0, 0},            // 55
    {"背景その2.bmp", 1, 0, 0, nullptr, nullptr, 1, 0, 0, 0, 0},            // 56
    {"背景その3.bmp", 1, 0, 0, nullptr, nullptr, 1, 0, 0, 0, 0},            // 57
    {"背景その4.bmp", 1, 0, 0, nullptr, nullptr, 1, 0, 0, 0, 0},            // 58
    {"背景その5.bmp", 1, 0, 0, nullptr, nullptr, 1, 0, 0, 0, 0},            // 59
    {"背景その6.bmp", 1, 0, 0, nullptr, nullptr, 1, 0, 0, 0, 0},            // 60
    {"背景その7.bmp", 1, 0, 0, nullptr, nullptr, 1, 0, 0, 0, 0},            // 61
    {"背景その8.bmp", 1, 0, 0, nullptr, nullptr, 1, 0, 0, 0, 0},            // 62
    {"E", 1, 1, 0, nullptr, nullptr, 0, 0, 0, 256, 960},                    // 63
    {"E", 1, 1, 0, nullptr, nullptr, 0, 0, 0, 256, 960},                    // 64
    {"E", 1, 1, 0, nullptr, nullptr, 0, 0, 0, 640, 480},                    // 65
    {"E", 0, 1, 0, nullptr, nullptr, 0, 0, 0, 640, 480},                    // 66
    {"E", 1, 0, 0, nullptr, nullptr, 0, 0, 0, 640, 480},                    // 67
    {"E", 1, 1, 0, &StdSD[67], nullptr, 0, 0, 0, 640, 480},                 // 68
    {"E", 1, 0, 2, nullptr, nullptr, 0, 0, 0, 1024, 1024},                  // 69
    {"E", 1, 1, 1, nullptr, nullptr, 0, 0, 0, 1024, 1024},                  // 70
};

// The digit strips are sized from their fonts when they are made.
DDSURFACEDEF NumberSDDef[3] = {
    {"", 1, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0},
    {"", 1, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0},
    {"", 1, 0, 0, nullptr, nullptr, 0, 0, 0, 0, 0},
};

namespace {

struct SharedLink {
    int surface;
    int source;
};

// Mirrored sheets, system-memory copies and the second screen-sized surface draw with the
// texture of the surface they copy.
constexpr SharedLink kSharedLinks[] = {
    {3, 2},   {5, 4},   {22, 4},  {23, 4},  {7, 6},   {24, 6},  {25, 6},  {9, 8},
    {26, 8},  {27, 8},  {11, 10}, {28, 10}, {29, 10}, {13, 12}, {30, 12}, {31, 12},
    {15, 14}, {32, 14}, {33, 14}, {17, 16}, {34, 16}, {35, 16}, {19, 18}, {36, 18},
    {37, 18}, {21, 20}, {38, 20}, {39, 20}, {41, 40}, {44, 43}, {68, 67},
};

}  // namespace

void LinkSharedSurfaces() {
    if (!lpDTCon) return;
    for (const SharedLink& link : kSharedLinks) StdSD[link.surface].lpShareSD = &StdSD[link.source];
}

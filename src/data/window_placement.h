// Where the main window stood when the program last closed in a window: user_data\Window.dat.
// Five 32-bit fields: the outer rectangle's left and top, the client area's width and height,
// and whether the window was maximised. A load brings the corner back onto the screen.
#pragma once

#include <cstdint>

#include "data/serial_record.h"

class cWindowPlacement : public SerialRecord {
public:
    cWindowPlacement();
    cWindowPlacement(const cWindowPlacement&) = default;
    cWindowPlacement& operator=(const cWindowPlacement&) = default;
    void Rebind(std::uint32_t version) override;
    // The base load, then x and y are kept between 0 and the full-screen client size.
    void Load(RecordReader& reader) override;

    void Set(int x, int y, int width, int height, int maximised);

    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t maximised = 0;
};

extern cWindowPlacement WindowPlacement;

inline constexpr char kWindowPlacementPath[] = "user_data\\Window.dat";

// True when the file was read whole (the record then holds it, clamped); a missing, short or
// unreadable file leaves the record as it was.
bool LoadWindowPlacement();
// False when the file could not be written; the old file is then left as it was.
bool SaveWindowPlacement();

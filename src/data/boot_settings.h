// The start dialog's stored choice, user_data\Boot.dat: the drawing mode (1 Direct3D,
// 0 DirectDraw) and whether to stop asking. Written only by the dialog's Start.
#pragma once

#include <cstdint>

#include "data/serial_record.h"

class cBootSettings : public SerialRecord {
public:
    cBootSettings();
    cBootSettings(const cBootSettings&) = default;
    cBootSettings& operator=(const cBootSettings&) = default;
    void Rebind(std::uint32_t version) override;

    std::int32_t nDrawMode = 1;  // 1 Direct3D, 0 DirectDraw; other values are kept as read
    std::int32_t bNoAsk = 0;     // not 0: the dialog is not shown, the choice is used
};

extern cBootSettings BootSettings;

inline constexpr char kBootFilePath[] = "user_data\\Boot.dat";

// A missing, unreadable or short file leaves the defaults (Direct3D, ask).
void LoadBootSettings();
// False when the file could not be written; the old file is then left as it was.
bool SaveBootSettings();

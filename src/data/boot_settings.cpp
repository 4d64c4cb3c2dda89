#include "data/boot_settings.h"

cBootSettings BootSettings;

cBootSettings::cBootSettings() {
    Reset();
    nDrawMode = 1;
    bNoAsk = 0;
}

void cBootSettings::Rebind(std::uint32_t) {
    ClearTables();
    AddInt(&nDrawMode, 1, "nDrawMode");
    AddInt(&bNoAsk, 1, "bNoAsk");
}

void LoadBootSettings() {
    cBootSettings read;
    bool stoppedEarly = false;
    // A part of a file is not a choice the user made: the defaults stand.
    if (read.LoadFromFile(kBootFilePath, &stoppedEarly) && !stoppedEarly)
        BootSettings = read;
    else
        BootSettings = cBootSettings{};
}

bool SaveBootSettings() {
    return BootSettings.SaveToFile(kBootFilePath) != 0;
}

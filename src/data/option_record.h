// The player's own settings, kept in Option and stored in user_data\Option.dat: the palette
// of the 8-bit display, music on or off, the sound-effect volume step, the ranking
// registration mode and the ranking name.
//
// Values are kept as loaded, also outside the ranges the option scene offers; the readers
// clamp where a value selects something (see the accessors below).
#pragma once

#include <cstdint>
#include <string>

#include "data/serial_record.h"

// The highest palette number: the 8-bit display has 24 palettes, each with its half-mix
// table bmp\hbt\hbtNN.dat.
inline constexpr std::int32_t kMaxPaletteNo = 23;

class OptionData : public SerialRecord {
public:
    OptionData();
    OptionData(const OptionData&) = default;
    OptionData& operator=(const OptionData&) = default;
    void Rebind(std::uint32_t version) override;

    // The volume step 0 to 10 and the palette number 0 to 23, clamped for their users.
    int SeVolumeStep() const;
    int PaletteNumber() const;

    std::int32_t nPaletteNo = 0;  // 0 to 23: the palette file of the 8-bit display
    std::int32_t bBgmOn = 1;      // 0: no music
    std::int32_t nSeVolume = 7;   // 0 (silent) to 10 (as recorded)
    // 0 manual with the entered name, 1 manual with the fixed name, 2 automatic with the
    // entered name, 3 automatic with the fixed name.
    std::int32_t nRankingMode = 0;
    std::string strRankingName = "aaa";  // preset of the name dialog, and the fixed name
};

extern OptionData Option;

inline constexpr char kOptionFilePath[] = "user_data\\Option.dat";

// Start-up: a missing or unreadable file leaves the defaults and is not reported.
void LoadOption();
// On leaving the option scene; a failed write leaves the old file and is not reported.
void SaveOption();

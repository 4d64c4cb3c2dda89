// The records of the sample game: the system settings, the database, the common palette,
// the world map and the stages, each written through its record class's save code.
#pragma once

#include <string>

namespace gen {

// The score step of the sample's extra lives (counted lives only): a character defeated for
// 100 points passes two steps.
inline constexpr int kSampleExtraLifeScore = 50;

// Writes System.dat, database/*.dat, CommonPalette.cplt4, WorldMap.dat and stg4/ under
// `folder` (a host path ending in a separator: DIR/default/ or DIR/data/). False when any
// file could not be written. With textMenu the title's menu is drawn as text instead of
// from the item strips of bmp\GameMode.bmp.
bool WriteProjectRecords(const std::string& folder, bool textMenu = false);

}  // namespace gen

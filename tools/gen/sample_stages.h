// The common palette, the world map and the stages of the sample game.
#pragma once

#include <string>

namespace gen {

// Each writes its file(s) under `folder` (a host path ending in a separator); false when a
// file could not be written.
bool WriteSampleCommonPalette(const std::string& folder);
bool WriteSampleWorldMap(const std::string& folder);
bool WriteSampleStages(const std::string& folder);

}  // namespace gen

// The common palette, the world map and the stages of the sample game.
#pragma once

#include <string>

namespace gen {

// The columns of the forest stages' goals (the character that clears the stage when the hero
// reaches it), on the floor row 12.
inline constexpr int kForestGoalColumn = 37;
inline constexpr int kForest2GoalColumn = 27;

// Each writes its file(s) under `folder` (a host path ending in a separator); false when a
// file could not be written.
bool WriteSampleCommonPalette(const std::string& folder);
bool WriteSampleWorldMap(const std::string& folder);
bool WriteSampleStages(const std::string& folder);

}  // namespace gen

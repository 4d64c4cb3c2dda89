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

// The presentation stage "test-present": the director at column kPresentDirectorColumn waits
// kPresentLeadTenths, plays the jump sound, takes character graphic kPresentNewGraphic, tints
// the screen blue over kPresentTintTenths, holds it kPresentTintHoldTenths in all, fades it
// back, flashes white kPresentFlashes times of kPresentFlashTenths, waits
// kPresentFlashWaitTenths and starts the stage tune again.
inline constexpr int kPresentDirectorColumn = 10;
inline constexpr int kPresentNewGraphic = 3;
inline constexpr int kPresentLeadTenths = 10;
inline constexpr int kPresentTintTenths = 10;
inline constexpr int kPresentTintHoldTenths = 20;
inline constexpr int kPresentFlashTenths = 5;
inline constexpr int kPresentFlashes = 3;
inline constexpr int kPresentFlashWaitTenths = 20;
bool WriteSamplePresentStage(const std::string& folder);

}  // namespace gen

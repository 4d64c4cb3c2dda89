// The common palette, the world map and the stages of the sample game.
#pragma once

#include <string>

#include "data/stage_record.h"

namespace gen {

// The columns of the forest stages' goals (the character that clears the stage when the hero
// reaches it), on the floor row 12.
inline constexpr int kForestGoalColumn = 37;
inline constexpr int kForest2GoalColumn = 27;

// The talk stage (test-talk): a signpost at kTalkSignColumn speaks to the hero (column 2)
// once it comes within kTalkReachHbl half blocks: two key-wait messages, then a game wait
// of kTalkPauseTenths; common variable kTalkDoneVariable then keeps it silent. Made from a
// one-screen sample stage whose character palette entry kTalkPaletteWalker gives the
// signpost's looks.
inline constexpr int kTalkSignColumn = 6;
inline constexpr int kTalkReachHbl = 3;
inline constexpr int kTalkPauseTenths = 10;
inline constexpr int kTalkDoneVariable = 10;
inline constexpr int kTalkPaletteWalker = 2;
cEdStage MakeTalkStage(cEdStage frame);

// Each writes its file(s) under `folder` (a host path ending in a separator); false when a
// file could not be written.
bool WriteSampleCommonPalette(const std::string& folder);
bool WriteSampleWorldMap(const std::string& folder);
bool WriteSampleStages(const std::string& folder);

}  // namespace gen

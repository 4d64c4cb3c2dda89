// The common palette, the world map and the stages of the sample game.
#pragma once

#include <string>

#include "data/stage_record.h"

namespace gen {

// The columns of the forest stages' goals (the character that clears the stage when the hero
// reaches it), on the floor row 12.
inline constexpr int kForestGoalColumn = 37;
inline constexpr int kForest2GoalColumn = 27;

// The show stage: the walker shows hit effect 1 on itself, after kShowPauseTenths the same
// effect at kShowEffectScale % in the screen's centre (the game waits for it), after another
// pause picture kShowPicture at kShowPictureScale % with ID kShowPictureId, which it closes
// kShowPictureTenths later; then it starts again. The stage is made from `stage`, a sample
// stage with the walker in palette entry 2.
inline constexpr int kShowPauseTenths = 10;
inline constexpr int kShowEffectScale = 300;
inline constexpr int kShowPicture = 1;
inline constexpr int kShowPictureScale = 200;
inline constexpr int kShowPictureId = 7;
inline constexpr int kShowPictureTenths = 20;
cEdStage MakeShowStage(cEdStage stage);

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

// The common palette, the world map and the stages of the sample game.
#pragma once

#include <string>

#include "data/anime_records.h"
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

// What the items' lists of the hits and the blocks stage add: the coin to the score, the
// spring to the hero's HP, the item block's bell to the score.
inline constexpr int kHitsCoinScore = 50;
inline constexpr int kHitsSpringHp = 1;
inline constexpr int kBlocksBellScore = 10;

// The parts of a sample stage for the stages written in files of their own: a stage of the
// editor's defaults `width` blocks wide with its palettes filled (the hero is entry 1 of the
// character palette), the frame of floor and walls and two backgrounds; a placed copy of
// palette entry `index` at block (x, y).
inline constexpr int kSampleHero = 1;
cEdStage WalledSampleStage(int width, const char* text, int backgroundVariant);
void PlaceSampleChara(cEdStage& stage, int index, int x, int y);
void PlaceSampleItem(cEdStage& stage, int index, int x, int y);

// The power stage ("test-power", sample_power_stage.cpp), one screen wide, the hero at column
// 2 and everything else on the floor row 12: the power-up, the box, the switch and the goal
// item at their columns. The power-up gives the hero character graphic kPowerHeroGraphic,
// animation set kPowerAnimeSet, sound kPowerSound, kPowerHpAdded more HP (and maximum HP) and
// the dash; the switch's three flashes last kPowerFlashTenths each, its tint grows over
// kPowerTintTenths.
inline constexpr int kPowerWidth = 20;
inline constexpr int kPowerUpColumn = 5;
inline constexpr int kPowerBoxColumn = 7;
inline constexpr int kPowerSwitchColumn = 10;
inline constexpr int kPowerGoalColumn = 18;
inline constexpr int kPowerHeroGraphic = 3;
inline constexpr int kPowerAnimeSet = 1;
inline constexpr int kPowerSound = 2;
inline constexpr int kPowerHpAdded = 5;
inline constexpr int kPowerFlashTenths = 3;
inline constexpr int kPowerTintTenths = 5;
cEdStage MakePowerStage();
// The power-up's animation set: the basic animations at twice their pace.
void FillPowerAnimations(cEdAnimeSet& set);

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

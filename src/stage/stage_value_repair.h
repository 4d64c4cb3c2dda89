// The values of a loaded stage that the engine cannot play with as they are, brought back
// to something playable before the stage runs. The editor never saves such values; a
// damaged or hostile file may hold them, and played as they are they would freeze the
// player (a level of 2^31 − 1 asks for 2^31 sub-steps per frame), fill the view with
// positions that are not numbers, or close the program on the first key test.
//
// What is repaired, each kind with one report-log line:
//   - the stage's gravity, not finite or beyond ±1e6: the default 0.4;
//   - each background's scroll rates (dRateX, dRateY), likewise: 0.1, and its scroll
//     offsets (dOffsetX, dOffsetY): 0;
//   - the turn factor of every move record (fTurnFactor) in the flows and item commands of
//     the palettes and placed objects, nested flows included: 1.0;
//   - the level, whose game speed b must lie within 1..100: held to 1..100 (levels 11 to
//     19 keep their fine steps);
//   - a key condition with fewer than 19 key states: padded with states that test nothing.
// The game-speed constants are then recomputed from the repaired level and gravity.
#pragma once

#include "data/stage_record.h"

// Repairs the stage in place; the number of values it changed.
int RepairDamagedStageValues(cEdStage& stage);

// The end of a cleared stage: the stage's results go into the play's totals (with extra lives
// per score step), the ranking places the result would take are looked up, and when the
// result screen is left the way the play began decides what follows: the next stage of a
// numbered series, the world map, the stage select, the title, or the same stage again.
#pragma once

#include <string>

class cGameScene;

// Runs once per cleared attempt, right before the result screen: sound 14, the totals, and
// the ranking places (only after a series' last stage; always in a direct play; never in a
// test play started by the editor).
void EndStage(cGameScene& scene);
// Score, time, play time, the hero's HP and SP into the totals; an extra life for every score
// step passed (never more than 99 lives, none with unlimited lives).
void GiveStageTotals(cGameScene& scene);
// The newest numbered file of the series' next stage: from the next-stage base the
// stage-clear command left, else the series base and `number`. 1 with its path in out, or 0
// and an empty out (no series, no next stage, no base, or no such file).
int MakeNextStageFileName(cGameScene& scene, std::string& out, int number);
// 1 when the series has no next stage for `number`.
int IsLastStage(cGameScene& scene, int number);
// The scene after the result screen: 0 title, 1 world map, 3 stage select, 4 the game
// scene again (with the next stage, or the same one, now in EdStage).
int ChooseNextScene(cGameScene& scene);
// Enters the result in the ranking tables whose places it achieved, once per attempt.
void EnterRanking(cGameScene& scene);

// The flows of the sample game's characters, built as a game's author would set them up:
// the hero walks on the arrow keys and jumps on button 1, and three computer characters show
// the other ways a flow starts (always, by a key sequence, by a status condition).
#pragma once

#include "base/checked_vector.h"
#include "data/anime_records.h"
#include "data/command_record.h"
#include "data/flow_records.h"

namespace gen {

// Speeds of the sample flows, in tenths of a dot per displayed frame.
inline constexpr int kHeroWalkSpeed = 25;
inline constexpr int kPatrolSpeed = 20;
inline constexpr int kWaiterSpeed = 10;
// Jump heights in half blocks (16 dots).
inline constexpr int kHeroJumpHbl = 4;
inline constexpr int kHopperJumpHbl = 3;
// The waiting character starts walking once the time left has dropped by this much.
inline constexpr int kWaiterDelaySeconds = 2;

// The code stage: a walker's laps are counted in this common variable; they start
// kCodeLapBaseDots long each way and grow by the count at every lap; the hero grows to
// kCodeGiantSize once the count reaches kCodeGiantLap. Each lap adds kCodeTimeAdded seconds,
// then scores kCodeScoreAdded plus the time left.
inline constexpr int kCodeLapVariable = 1;
inline constexpr int kCodeLapBaseDots = 16;
inline constexpr int kCodeLapSpeed = 10;
inline constexpr int kCodeGiantLap = 3;
inline constexpr int kCodeGiantSize = 2;
inline constexpr int kCodeTimeAdded = 2;
inline constexpr int kCodeScoreAdded = 100;
// A text that divides by zero every time it runs.
inline constexpr char kCodeFailingText[] = "C2 = 1 / 0";

// Walk left and right while the arrow is held (the facing follows the walk), and a jump on
// button 1 whose height grows while the button is held.
CheckedVector<cEdFlow> HeroFlows();
// Walks on the ground, turning at walls and at ledges.
CheckedVector<cEdFlow> PatrolFlows();
// Jumps once when the player enters down, down-right, then right with button 2.
CheckedVector<cEdFlow> HopperFlows();
// Walks forward once the stage's time left is at most `timeLimit` - kWaiterDelaySeconds.
CheckedVector<cEdFlow> WaiterFlows(int timeLimit);

// The hero's flows and one more: giant size kCodeGiantSize once the lap count has reached
// kCodeGiantLap.
CheckedVector<cEdFlow> CodeHeroFlows();
// Counts a lap, adds time and score by code, and walks out and back by arranged distances.
CheckedVector<cEdFlow> CodeLapFlows();
// Runs kCodeFailingText at every tick.
CheckedVector<cEdFlow> FailingCodeFlows();

// The blocks stage's block characters: a platform that moves right while it is ridden by
// the hero; one that shuttles `dots` right and back; one that moves up for `tenths` and
// down as long (down first with downFirst); all at `speed` tenths of a dot per frame.
inline constexpr int kTriggerRiddenByHero = 16;
CheckedVector<cEdFlow> RideStartFlows(int speed);
CheckedVector<cEdFlow> ShuttleFlows(int dots, int speed);
CheckedVector<cEdFlow> ElevatorFlows(int tenths, int speed, bool downFirst);
// The goal of a stage: once the hero comes within kGoalReachHbl half blocks of the goal's
// centre, the stage is cleared on to the next stage of its series.
inline constexpr int kGoalReachHbl = 2;
CheckedVector<cEdFlow> GoalFlows();

// The commands stage: a character that warps kWarpBlocks blocks right and back every
// kWarpPauseTenths tenths of a second; one that takes the nearest character of group
// `aimGroup` as its target and warps kAimHbl half blocks ahead of it; and a switch that, once
// the hero is within kSwitchReachHbl half blocks, makes every character of `vanishGroup`
// vanish.
inline constexpr int kWarpBlocks = 2;
inline constexpr int kWarpPauseTenths = 10;
inline constexpr int kAimHbl = 2;
inline constexpr int kAimPauseTenths = 20;
inline constexpr int kSwitchReachHbl = 3;
CheckedVector<cEdFlow> WarperFlows();
CheckedVector<cEdFlow> AimerFlows(int aimGroup);
CheckedVector<cEdFlow> SwitchFlows(int vanishGroup);

// An item command that adds `value` to status `status` of the hero (whose 0) or of the
// system (whose 2): ステータスの操作, item type 7.
inline constexpr int kItemWhoseHero = 0;
inline constexpr int kItemWhoseSystem = 2;
inline constexpr int kHeroStatusHp = 1;
inline constexpr int kHeroStatusMaxHp = 3;
inline constexpr int kSystemStatusScore = 3;
cEdCommand ItemStatusAdd(int whose, int status, int value);

// The power stage: the dash its power-up teaches the hero, a run forward at kDashSpeed for
// kDashTenths on each press of button 2, in a flow of ID kDashFlowId; and a switch that runs
// `commands` once, the first time the hero comes within kSwitchReachHbl half blocks.
inline constexpr int kDashSpeed = 120;
inline constexpr int kDashTenths = 1;
inline constexpr int kDashFlowId = 4;
CheckedVector<cEdFlow> DashFlows();
CheckedVector<cEdFlow> NearOnceFlows(const CheckedVector<cEdCommand>& commands);

// A flow no event starts (it runs only when a flow command starts it) whose conditions are
// two distance areas around the character, shown in a direct play: a circle of
// kShownAreaHbl half blocks and the band in front of it.
inline constexpr int kShownAreaHbl = 4;
cEdFlow ShownDistanceAreas();
// Patrols, and loses a little HP now and then so that its HP gauge shows (the benchmark's
// crowd).
CheckedVector<cEdFlow> BusyFlows();

// The shoot stage. The hero fires a shot forward on button 2 and swings the sample sword on
// button 3; its shots take kShooterShotHp hits of the turret's life.
inline constexpr int kSampleSwordType = 1;
inline constexpr int kHeroShotSpeed = 60;
inline constexpr int kHeroShotGraphic = 1;
inline constexpr int kHeroSwordPower = 2;
inline constexpr int kTurretShotSpeed = 30;
inline constexpr int kTurretShotImpact = 3;
inline constexpr int kTurretShotPower = 2;
// Tenths of a second between the turret's, the waver's, the summoner's and the toggler's
// actions.
inline constexpr int kTurretPause = 12;
inline constexpr int kWavePause = 15;
inline constexpr int kSummonPause = 25;
inline constexpr int kSummonLifeTenths = 15;
inline constexpr int kTogglePause = 10;
inline constexpr int kDuelPause = 8;

// The hero's flows with a shot on button 2 and a sword swing on button 3.
CheckedVector<cEdFlow> ShooterHeroFlows();
// Fires a shot at its target (the hero) every kTurretPause tenths.
CheckedVector<cEdFlow> TurretFlows();
// Fires a shot that weaves down every kWavePause tenths.
CheckedVector<cEdFlow> WaverFlows();
// Summons the stage palette's character `chara` above itself, living kSummonLifeTenths,
// every kSummonPause tenths.
CheckedVector<cEdFlow> SummonerFlows(int chara);
// Puts the stage palette's block `block` in front of itself, or takes it away, every
// kTogglePause tenths.
CheckedVector<cEdFlow> TogglerFlows(int block);
// Fires a shot forward that other shots break, every kDuelPause tenths.
CheckedVector<cEdFlow> DuelFlows();

// The largest volley the editor allows, every tenth of a second: 落雷 of 127 rows of 50
// columns in 21 clone passes (133,350 shots), falling from the top of the screen.
inline constexpr int kStormRows = 127;
inline constexpr int kStormColumns = 50;
inline constexpr int kStormClonePasses = 21;
CheckedVector<cEdFlow> StormFlows();

// The replay stage's wanderer: every lap draws a step of -8 to 8 dots into common variable
// kWanderVariable and adds it to where its walk goes, so where it stands depends on the
// random generator's seed.
inline constexpr int kWanderVariable = 5;
CheckedVector<cEdFlow> WandererFlows();

// The basic animation set every character uses: standing breathes between two cells, walking
// steps between two others.
void FillBasicAnimations(cEdAnimeSet& set);

}  // namespace gen

// Character effects of the sample database: the brute bursts apart when it dies; the guard
// spins for as long as it stands.
inline constexpr int kBurstEffect = 1;
inline constexpr int kSpinEffect = 2;
inline constexpr int kSampleCharaEffects = kSpinEffect + 1;

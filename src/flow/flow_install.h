// How an actor gets its running state from its character record: the reset of every status,
// list and the record copy; the base animation built from an animation set; and the
// installation of flows, which turns flow definitions into running instances after the
// loop commands have been written out.
//
// The installation serves both a character's own flows at its initialisation and flows added
// to a running actor later. Each command instance gets its duration and speeds resolved from
// the actor's clone value, the set-up of its move, and each command that plays a lead-in
// animation gets a cue that starts the animation so that it ends when the command starts.
//
// These work on an actor given by reference; the actor's methods of the same names forward
// to them.
#pragma once

#include <cstdint>

#include "base/checked_vector.h"
#include "data/chara_record.h"
#include "data/command_record.h"
#include "data/flow_records.h"
#include "flow/command_budget.h"

class cActorBase;
class FlowInstance;
class CharaEffectInstance;

// Commands that one flow may hold once its loops are written out. A larger list cannot be
// held: unrolling it is a failed allocation, reported to the caller.
inline constexpr std::int64_t kMaxFlowCommands = std::int64_t{1} << 24;
// The copies and loop removals that unrolling one list may take. Loops can be arranged so
// that writing them out never ends (a loop that repeats the loop behind it in place); such a
// list fails like one that grows too large, instead of hanging the game.
inline constexpr std::int64_t kMaxUnrollWork = 4 * kMaxFlowCommands;

// The results of the unrolling and installing routines when the list cannot be built.
inline constexpr int kUnrollFailed = -1;
inline constexpr int kInstallFailed = -1;

// A loop command: character command type 39 or item command type 24. Parameter 0 is the
// repeat count, parameter 1 the number of commands after it that repeat.
bool IsLoopCommand(const cEdCommand& cmd);

// The number of commands after writing out one loop at index `at` of a list of `count`
// commands with repeat count `repeat` and `following` repeated commands (only those that
// exist repeat; a count of 1 or less leaves one run). The loop command itself is gone.
std::int64_t UnrolledCount(std::int64_t count, std::int64_t at, std::int64_t repeat,
                           std::int64_t following);

// Writes out the first loop of the list: its block runs `repeat` times in a row and the loop
// command is removed. 1 when a loop was unrolled, 0 when none is left, kUnrollFailed (list
// unchanged) when the result would hold more than kMaxFlowCommands commands.
int UnrollFirstLoop(CheckedVector<cEdCommand>& commands);

// Writes out every loop, those inside repeated blocks included, as UnrollFirstLoop would
// when repeated until it returns 0, in time proportional to the result and copying each
// command of the result once. 0 when done; kUnrollFailed, the list unchanged, when it would
// grow beyond kMaxFlowCommands or the copies and loop removals beyond workLimit. With a
// room, the result is weighed (InstalledCommandBytes) while it is planned and the list also
// fails, before any command is copied, when the result would hold more commands or bytes
// than the room; `used` then gets the weight of the result.
int UnrollAllLoops(CheckedVector<cEdCommand>& commands, std::int64_t workLimit = kMaxUnrollWork,
                   const CommandWeight* room = nullptr, CommandWeight* used = nullptr);

// Unrolls the list within the room the stage's account has left and charges the result to
// `charge`. 0 when done; kUnrollFailed, nothing charged, when it cannot be written out.
int UnrollAndCharge(CheckedVector<cEdCommand>& commands, CommandCharge& charge);

// A command's duration in ticks: (time increase × clone value + time base) × b × 6, as the
// 32-bit product.
std::int32_t CommandDurationTicks(const cEdCommand& cmd, int cloneValue);

// Installs the given flows on the actor after unrolling their loops (the given list is
// changed). Not inserting: the list becomes the actor's own flows, every former instance is
// replaced. Inserting: the definitions are copied into the actor's record copy at `position`
// (−1 or beyond the end: after the last one) with instances beside them; an edge-triggered
// flow is latched so that a key already held does not start it at once. The number of flows
// given; kInstallFailed, before the actor is touched, when a flow's commands cannot be
// unrolled or the stage's account has no room for them (the caller ends the stage set-up,
// elsewhere MemoryErrorAndClose). The installed commands are charged to the actor; flows
// that replace the actor's own give the former charge back first. Flows inserted while a
// flow pass of the actor runs are unrolled and charged at once and placed at the pass's end
// (ApplyPendingFlowChanges), so that no instance moves under a running flow.
int InstallFlows(cActorBase& actor, CheckedVector<cEdFlow>& flows, int insert, int position);

// Appends a copy of the instance to the actor's flows and re-points every instance. (Not
// while a flow pass of the actor runs: flows added then go through InstallFlows, which
// keeps them for the pass's end.)
void AddFlow(cActorBase& actor, const FlowInstance& instance);

// The flows inserted while the actor's pass ran (unrolled and charged already), placed in
// the order they were asked for; nothing while a pass still runs.
void ApplyPendingFlowChanges(cActorBase& actor);

// The first hero, whom an actor targets from its reset. The game scene installs a lookup
// returning its first hero; without one (no scene runs), or while it returns null, a reset
// actor has no target.
using FirstHeroLookup = cActorBase* (*)();
void SetFirstHeroLookup(FirstHeroLookup lookup);

// Puts every status, flag, gauge and list of the actor to its starting value; with a record,
// the actor takes a full copy of it with HP and SP full. The base animation comes from the
// record's animation set.
void ResetActor(cActorBase& actor, const cEdChara* record, double homeX, double homeY,
                int cloneValue);

// Builds the base animation from animation set `index` of the database (a bad index is
// reported by the checked access and set 0 is used); without force nothing happens when
// the actor already uses that set.
void SetAnimeSet(cActorBase& actor, int index, int force);

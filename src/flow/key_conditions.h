// The key conditions of flows: a sequence of key states matched backwards in time against
// the key event logs of player 1 (cInput::DirLog and ButtonLog: per key channel a list of
// runs of one state, newest first, entry 0 the run that lasts now), and the one-frame key
// test that the hero's jump uses to let the player control its height.
//
// These routines belong to the actor whose flow asks; they take it as their first argument.
// Its facing decides whether a mirrored condition swaps left and right, and its flow groups
// are held off while an edge-triggered sequence stays matched.
#pragma once

#include <cstdint>

#include "base/checked_vector.h"
#include "base/key_history.h"
#include "data/flow_records.h"

class cActorBase;
class cInput;
class FlowInstance;

// The key channels in the order of a key condition's states: the direction channels, each
// pressed while the direction bits are exactly that direction (kKeyAnyDirection while any
// direction bit is set), then the button channels (kKeyNoButton while no button is held,
// button n on channel kKeyButton1 + n - 1).
enum KeyChannel : int {
    kKeyNoDirection = 0,
    kKeyLeft,
    kKeyRight,
    kKeyUp,
    kKeyDown,
    kKeyUpLeft,
    kKeyDownLeft,
    kKeyUpRight,
    kKeyDownRight,
    kKeyAnyDirection,
    kKeyNoButton,
    kKeyButton1,
};
inline constexpr int kKeyDirChannelCount = 10;
inline constexpr int kKeyChannelCount = cEdKeyCondition::kKeyStateCount;

// A sequence looks back over at most this many runs of each channel.
inline constexpr int kKeyRunsSearched = 32;

// The state a key condition asks of a channel.
inline constexpr int kKeyUntested = 0;
inline constexpr int kKeyHeld = 1;
inline constexpr int kKeyReleased = 2;

// How the tested channels of one key condition combine.
inline constexpr int kKeyCombineAll = 0;
inline constexpr int kKeyCombineAny = 1;
inline constexpr int kKeyCombineOne = 2;

// A point in the past, per channel: the run it falls in (index into the channel's log) and
// how many frames that run had lasted at that point.
struct KeyHistoryPos {
    int pos[kKeyChannelCount] = {};
    std::int32_t cnt[kKeyChannelCount] = {};
    friend bool operator==(const KeyHistoryPos&, const KeyHistoryPos&) = default;
};

// The run list of a channel (checked access: a channel outside 0..18 is a fault).
const KeyEventLog& KeyChannelLog(const cInput& input, int channel);

// The present: every channel on its current run, with the frames it has lasted so far.
KeyHistoryPos CurrentKeyHistoryPos(const cInput& input);

// The input the key conditions read: player 1's, which the first hero holds; the first
// input state while there is no hero. Null when there is none at all.
const cInput* PlayerOneInput();

// Whether the flow's key conditions let it start. Without key conditions: true. A
// level-triggered flow starts while its sequence matches; an edge-triggered one once per
// matching stretch, again only after a test in which the sequence did not match. While an
// edge-triggered sequence stays matched, an always-running flow of a group keeps the other
// flows of its group from starting in the rest of the tick.
bool CheckKeyConditions(cActorBase& actor, FlowInstance& flow);

// Whether the sequence conds[0..n-1] was entered, its last condition matching now; up to
// `slack` frames may lie between two conditions. An empty sequence never matches.
bool MatchKeySequence(const cActorBase& actor, const CheckedVector<cEdKeyCondition*>& conds,
                      int slack);

// Whether one key condition holds at the point `at`; `length` gets the frames the match
// lasted there (by the combination: the shortest, the longest or the single matched run).
bool MatchKeyStep(const cActorBase& actor, const cEdKeyCondition& cond, const cInput& input,
                  const KeyHistoryPos& at, std::int32_t& length);

// Whether a run, lasting `length` frames at the point examined, is what `state` asks.
bool TestKeyHistoryEntry(const KEYEVENT& run, std::int32_t length, const cEdKeyCondition& cond,
                         int state);

// Moves the point by n frames: back in time for n <= 0, forward for n > 0. A forward move
// by n frames undoes a backward move by n frames; the point never leaves the 32 newest runs
// nor passes the present.
void ShiftKeyHistory(KeyHistoryPos& at, const cInput& input, int n);

// Whether the key condition holds in the present frame alone: no lengths, no mirroring.
// False without an input or a condition.
bool TestKeyCondition(const cActorBase& actor, const cInput* input, const cEdKeyCondition* cond);

// The first direction channel (kKeyNoDirection .. kKeyAnyDirection) that is pressed now.
int GetInputDirection(const cInput& input);

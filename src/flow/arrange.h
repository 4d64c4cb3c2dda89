// アレンジ: a command that changes one numeric parameter of the next command to start, by an
// operation with a common, stage or character variable. Arranges wait in the flow's pending
// list (or, run as item commands, in the first hero's) and are applied when the next command
// starts. The change is made to the actor's own copy of the command and lasts.
#pragma once

#include <cstdint>

#include "base/checked_vector.h"

class cActorBase;
class cCommandInstance;
class cEdCommand;
class cHeroActor;
class FlowInstance;

// Reads parameter `index` of the command, sign-extended; leaves `out` alone and answers
// false when the index reaches nothing or the record it lives in is missing.
using ArrangeGetter = bool (*)(std::int32_t& out, int index, cEdCommand& cmd);
// Stores the low bits of `value` that fit parameter `index`; nothing when it reaches nothing.
using ArrangeSetter = void (*)(std::int32_t value, int index, cEdCommand& cmd);

// Index = character command type; null where the type has no accessor pair.
extern const ArrangeGetter ArrangeGetTable[40];
extern const ArrangeSetter ArrangeSetTable[40];

// The arrange entry's five values: target type, parameter index, operation, operand source
// (0 common, 1 stage, 2 character variable), variable number.
inline constexpr int kArrangeEntrySize = 5;

// The アレンジ command: a copy of its parameters goes to the pending list of its flow (a flow
// command) or of the first hero (an item command); nothing without one.
void CmdArrange(const cEdCommand& cmd, FlowInstance* flow);
// The command-table entry of type 38: the flow is the one that holds the command instance.
void CmdArrangeEntry(cActorBase& actor, cCommandInstance& cmd);

// One arrange entry applied to the command on behalf of the actor: at most one parameter
// changes, held to its range.
void ApplyArrange(cEdCommand& cmd, const CheckedVector<std::int32_t>& entry, cActorBase& actor);

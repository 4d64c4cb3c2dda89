// The conditions of flows, of appearances and of blocks: a list of conditions combined by
// AND or OR, each condition by its kind (common, stage and character variables, statuses,
// status flags, states, distance), and the comparison operators they share with the status
// commands.
//
// The actor is the one the conditions ask about (whose flows are tested, the character that
// appears, the hero for items and blocks). It may be null while no hero exists: conditions
// that need it are then false.
#pragma once

struct DDSURFACEDATA;

#include <cstdint>

#include "base/checked_vector.h"
#include "data/flow_records.h"

class cActorBase;
class cBlock;

// Condition kinds.
inline constexpr int kCondCommonVar = 1;
inline constexpr int kCondStageVar = 2;
inline constexpr int kCondCharaVar = 3;
inline constexpr int kCondStatus = 4;
inline constexpr int kCondStatusFlag = 5;
inline constexpr int kCondState = 6;
inline constexpr int kCondDistance = 7;

// Comparison codes: equal, not equal, at least, at most, greater, less, a multiple of, not a
// multiple of.
enum CompareCode : int {
    kCmpEqual = 0,
    kCmpNotEqual = 1,
    kCmpAtLeast = 2,
    kCmpAtMost = 3,
    kCmpGreater = 4,
    kCmpLess = 5,
    kCmpMultiple = 6,
    kCmpNotMultiple = 7,
};

// v compared with n by the code; an unknown code is false. A multiple of 0 is only 0's
// business: code 6 holds and code 7 fails for n = 0. The multiples are worked out in 64 bits,
// where |INT_MIN| and a modulus of −1 are ordinary values.
bool CompareByOp(std::int32_t v, std::int32_t n, int code);

// a × b percent, rounded half away from zero; the product is taken in 64 bits and the
// result held to the int32 limits.
std::int32_t PercentOf(std::int32_t a, std::int32_t b);

// Whether the list holds for the actor. Combination 0: every condition, tested in order up
// to the first that fails (an empty list holds); 1: one or more, tested in order up to the
// first that holds (an empty list fails); any other combination fails. Conditions are not
// evaluated past the decision, which matters for those that draw random numbers.
bool TestConditionList(const CheckedVector<cEdCondition>& conditions, int combination,
                       cActorBase* actor);

// One condition by its kind; an unknown kind is false. Variable indexes go through the
// checked access of their vectors, so a damaged index is reported instead of read wild.
bool TestCondition(const cEdCondition& condition, cActorBase* actor);

// Status flags (the flags the status-flag command sets) of the actor, its target or the
// system, compared with the condition's operand. A missing target is false; the system's
// flags need no actor.
bool TestStatusCondition2(const cActorBase* actor, const cEdCondition& condition);

// States of the actor or its target: facing left, facing right, standing (on a block or a
// block character), on screen; the operator byte 1 inverts the answer. A missing target is
// false, whatever the inversion.
bool TestStatusCondition3(const cActorBase& actor, const cEdCondition& condition);

// Whether the hero (whose 0) or the actor's target (whose 1) lies within (operator 0) or
// outside (operator 1) the shape of the condition around the actor. Without that other
// object the condition is false either way. Refreshes the actor's screen rectangle.
bool TestDistanceCondition(cActorBase& actor, const cEdCondition& condition);

// The areas of the distance conditions of the characters on screen (their appearance
// conditions, then their flows' conditions), as lines and circles in the condition's colour,
// for the conditions whose display asks for it (always, or only in a direct play). The
// colour's shade cycles once per call, except in 8 bits with the one-colour setting.
void DrawDistanceConditionAreas(DDSURFACEDATA* target);
// The shade counter back to its program-start value (tests).
void ResetDistanceAreaColour();

// The condition evaluator of the block map: the cell's conditions by its combination, with
// the first hero as the actor.
bool TestBlockConditionsOfHero(cBlock& cell);

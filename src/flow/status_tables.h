// The statuses that flows test and change: the character statuses with the width each is
// stored and compared at and the range the status commands hold it to, the system statuses,
// the status flags; how a status or variable operand is worked out; and the status condition
// (condition kind 4).
//
// Widths matter: a status is compared at its stored width, so an operand of 300 against an
// 8-bit status is compared as the byte 44, as the data has always been interpreted.
#pragma once

#include <cstdint>

#include "data/flow_records.h"

class cActorBase;

// Character statuses, in their index order.
enum CharaStatus : int {
    kStatusCharaVar = 0,
    kStatusHp = 1,
    kStatusSp = 2,
    kStatusMaxHp = 3,
    kStatusMaxSp = 4,
    kStatusCharaId = 5,
    kStatusZ = 6,
    kStatusMark = 7,
    kStatusSight = 8,
    kStatusBodyPower = 9,
    kStatusBodyImpact = 10,
    kStatusDefense = 11,
    kStatusImpactResist = 12,
    kStatusStopping = 13,
    kStatusScore = 14,
};
inline constexpr int kCharaStatusCount = 15;

// System statuses (whose 2), in their index order.
enum SystemStatus : int {
    kSysStatusTime = 0,
    kSysStatusScrollX = 1,
    kSysStatusScrollY = 2,
    kSysStatusScore = 3,
    kSysStatusLives = 4,
};
inline constexpr int kSystemStatusCount = 5;

// Status flags, in their index order (stored as bytes, never clamped).
enum StatusFlag : int {
    kFlagVanish = 0,
    kFlagTransparent = 1,
    kFlagFixedFacing = 2,
    kFlagFly = 3,
    kFlagInvincible = 4,
    kFlagGiant = 5,
    kFlagScrollSync = 6,
};
inline constexpr int kStatusFlagCount = 7;

// Whose status: the actor itself, its target, the system.
inline constexpr int kWhoseSelf = 0;
inline constexpr int kWhoseTarget = 1;
inline constexpr int kWhoseSystem = 2;

// Operand sources.
inline constexpr int kOperandConstant = 0;
inline constexpr int kOperandRandom = 1;
inline constexpr int kOperandStatus = 2;
inline constexpr int kOperandVariable = 3;

struct StatusDef {
    const char* pszLabel;
    std::int32_t nWidth;  // 8, 16 or 32 bits
    std::int32_t nMin;
    std::int32_t nMax;
};

extern const StatusDef kCharaStatusTable[kCharaStatusCount];
extern const StatusDef kSystemStatusTable[kSystemStatusCount];
extern const char* const kStatusFlagLabels[kStatusFlagCount];

// The comparison of CompareByOp with both values taken as signed 16-bit or 8-bit values.
bool CompareByOp16(std::int32_t v, std::int32_t n, int code);
bool CompareByOp8(std::int32_t v, std::int32_t n, int code);

// PercentOf with a taken at 16 or 8 bits and the result truncated to that width.
std::int16_t PercentOf16(std::int32_t a, std::int32_t b);
std::int8_t PercentOf8(std::int32_t a, std::int32_t b);

// lo when the value is below it, hi when above it.
void Clamp(std::int32_t& value, std::int32_t lo, std::int32_t hi);
void Clamp8(std::int8_t& value, std::int32_t lo, std::int32_t hi);

// The value compared with the operand by the code at 32, 16 or 8 bits. In percent mode the
// operand is replaced by that percent of the reference, held to lo..hi; otherwise it is used
// as it is, truncated to the width.
bool TestStatusCompare(std::int32_t value, std::int32_t reference, std::int32_t operand, int code,
                       int percent, std::int32_t lo, std::int32_t hi);
bool TestStatusCompare16(std::int32_t value, std::int32_t reference, std::int32_t operand, int code,
                         int percent, std::int32_t lo, std::int32_t hi);
bool TestStatusCompare8(std::int32_t value, std::int32_t reference, std::int32_t operand, int code,
                        int percent, std::int32_t lo, std::int32_t hi);

// A common (scope 0) or stage (scope 1) variable, through the checked access. False for
// another scope, and for a stage variable while no game scene exists.
bool ReadScopedVariable(int scope, int index, std::int32_t& value);

// A character status of the actor as stored (sign-extended from its width); varIndex picks
// the character variable of status 0. Reading the stop tendency also refreshes the stop
// deceleration the actor derives from it, which the expression language may have left
// behind. False for an index outside the table.
bool ReadCharaStatus(cActorBase& actor, int index, int varIndex, std::int32_t& value);

// A system status as stored: the time is 999 while the stage has no time limit and lives
// are 999999 while unlimited. False for an index outside the table, and for the time while
// no game scene exists.
bool ReadSystemStatus(int index, std::int32_t& value);

// Where the operand of a status test or command comes from.
struct StatusOperandSpec {
    std::int32_t nSource = kOperandConstant;
    std::int32_t nConstant = 0;
    std::int32_t nRandMin = 0;
    std::int32_t nRandMax = 0;
    std::int32_t nWhose = kWhoseSelf;  // source status
    std::int32_t nStatus = 0;          // source status
    std::int32_t nVarScope = 0;        // source variable
    std::int32_t nVarIndex = 0;        // source variable, or the character variable of status 0
};
StatusOperandSpec OperandOfCondition(const cEdCondition& condition);

// The operand's value; false when it cannot be had and the whole test (or command) comes
// to nothing: a status of a missing target or actor, the sight of a computer-operated
// actor. A random operand draws one number. A status index outside the tables gives 0, as
// do a variable scope and a source that do not exist; unlimited lives read as 0, and so does
// the time while the stage has no time limit.
bool EvalStatusOperand(const StatusOperandSpec& spec, cActorBase* actor, std::int32_t& value);

// The status condition (condition kind 4): a variable, a system status or a status of the
// actor or its target, compared with the operand at the status's width.
bool TestStatusCondition(const cEdCondition& condition, cActorBase* actor);

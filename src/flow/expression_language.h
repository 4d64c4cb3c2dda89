// The expression language of the コードの実行 command: integer arithmetic over literals, common
// (C) and stage (S) variables, statuses of the executing actor, its target or the hero, and
// a few system values, with assignment. Parentheses and the function rand are expanded first
// by text substitution; the flat text is then split into words at spaces (byte 0x20 only)
// and reduced by operator priority: * / % first, then + -, then =, each left to right.
//
// A text written wrongly, or with intent to harm, never crashes, stalls or floods: only the
// first error box of a stage attempt is shown, each failing command writes one report-log
// line per attempt, texts of 5120 bytes or more are refused before anything runs, groups
// nest at most 32 deep, and every pass is linear in what it scans.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class cActorBase;
class cCommandInstance;

// Token kinds.
inline constexpr int kTokenLiteral = 0;
inline constexpr int kTokenVariable = 1;
inline constexpr int kTokenStatus = 2;
inline constexpr int kTokenSystem = 3;
inline constexpr int kTokenOperator = 4;

// Operator codes, the index into ExprOperators.
inline constexpr int kOpAssign = 0;
inline constexpr int kOpAdd = 1;
inline constexpr int kOpSub = 2;
inline constexpr int kOpMul = 3;
inline constexpr int kOpDiv = 4;
inline constexpr int kOpRem = 5;

// Status codes, the index into ExprStatusNames.
inline constexpr int kExprStatusV1 = 0;  // v1 .. v8 are 0 .. 7
inline constexpr int kExprStatusHp = 8;
inline constexpr int kExprStatusSp = 9;
inline constexpr int kExprStatusMaxHp = 10;
inline constexpr int kExprStatusMaxSp = 11;
inline constexpr int kExprStatusCharaId = 12;
inline constexpr int kExprStatusZ = 13;
inline constexpr int kExprStatusMark = 14;
inline constexpr int kExprStatusSight = 15;
inline constexpr int kExprStatusPower = 16;
inline constexpr int kExprStatusImpact = 17;
inline constexpr int kExprStatusDefense = 18;
inline constexpr int kExprStatusImpactResist = 19;
inline constexpr int kExprStatusStop = 20;
inline constexpr int kExprStatusScore = 21;
inline constexpr int kExprStatusCount = 22;

// System codes, the index into ExprSystemNames.
inline constexpr int kExprSysTime = 0;
inline constexpr int kExprSysScrollX = 1;
inline constexpr int kExprSysScrollY = 2;
inline constexpr int kExprSysScore = 3;
inline constexpr int kExprSysLife = 4;
inline constexpr int kExprSystemCount = 5;

// The keyword tables, each ending with an empty entry.
extern const char* const ExprFuncNames[2];
extern const char* const ExprOperators[7];
extern const int ExprOpPriority[6];
extern const char* const ExprObjects[5];
extern const char* const ExprVarKinds[3];
extern const char* const ExprStatusNames[kExprStatusCount + 1];
extern const char* const ExprSystemNames[kExprSystemCount + 1];

// A text this long or longer is refused before anything runs.
inline constexpr std::size_t kCodeTextLimit = 5120;
// Groups and rand arguments nest at most this deep.
inline constexpr int kCodeNestLimit = 32;

// One token of the reduction.
struct ExprToken {
    std::int32_t nKind = kTokenLiteral;
    std::int32_t nValue = 0;
    void* pStorage = nullptr;  // none for literals and operators
    std::int32_t nWidth = 32;  // bits of the storage: 8, 16 or 32
    std::int32_t nOp = 0;
    std::int32_t nMin = -999999;
    std::int32_t nMax = 999999;
    std::int32_t nStatus = -1;
    std::int32_t nSystem = -1;
    cActorBase* pOwner = nullptr;
};

// Set by every error of a run; cleared when a run starts.
extern int bCodeError;

// Runs the text for the actor (null: no executing actor; `my` then names no one). 1 on
// success, 0 on an error; assignments made before the error stay. The executing actor's
// HP and SP gauges show what the run changed, unless it failed.
int RunCode(std::string_view text, cActorBase* actor);

// The parenthesis and function pass at nesting depth `depth` (0 for the whole text), ending
// with EvalExpression on the flat text. An error ends this level with 0.
std::int32_t ExpandParens(std::string_view text, cActorBase* actor, int depth = 0);

// Tokenizing and reduction of a flat text.
std::int32_t EvalExpression(std::string_view text, cActorBase* actor);

// The command コードの実行 (type 37): its text run for the actor.
void CmdRunCode(cActorBase& actor, cCommandInstance& cmd);

// A new stage attempt: the next error may show its box again, and each failing command
// may write its report-log line again.
void ResetCodeErrorReports();

// Decimal value of a word: an optional sign and the digits after it, saturating at the
// int32 limits; anything else reads 0.
std::int32_t ParseCodeNumber(std::string_view word);

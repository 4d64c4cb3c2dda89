// The status commands: ステータスの操作 (type 22) changes one status of the actor, its target
// or the system, or a common or stage variable, by one of seven operations; ステータスの操作2
// (type 23) sets a status flag. Both are also the item commands 7 and 8.
#pragma once

#include <cstdint>

class cActorBase;
class cCommandInstance;
class cEdCommand;

// Operations.
enum StatusOp : int {
    kOpSet = 0,
    kOpPlus = 1,
    kOpMinus = 2,
    kOpTimes = 3,
    kOpDivide = 4,
    kOpRemainder = 5,
    kOpPercent = 6,
};

// The value combined with the operand by the operation at 32, 16 or 8 bits (the operand
// first taken at that width), held to lo..hi and stored. Sums wrap at the width; a product
// that overflows the width saturates (hi for equal signs, else lo); a division or remainder
// by 0 leaves the value; the percent rounds half away from zero. An unknown operation only
// clamps.
void ApplyStatusOp(std::int32_t& value, std::int32_t operand, int op, std::int32_t lo,
                   std::int32_t hi);
void ApplyStatusOp16(std::int16_t& value, std::int32_t operand, int op, std::int32_t lo,
                     std::int32_t hi);
void ApplyStatusOp8(std::int8_t& value, std::int32_t operand, int op, std::int32_t lo,
                    std::int32_t hi);

// ステータスの操作 with the command's 18 parameters, run by `actor`.
void CmdStatus(cActorBase& actor, const cEdCommand& cmd);
// ステータスの操作2 with the command's 3 parameters, run by `actor`.
void CmdStatus2(cActorBase& actor, const cEdCommand& cmd);

// The command-table entries of types 22 and 23.
void CmdStatusEntry(cActorBase& actor, cCommandInstance& cmd);
void CmdStatus2Entry(cActorBase& actor, cCommandInstance& cmd);

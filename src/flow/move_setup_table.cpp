#include "flow/move_setup_table.h"

#include <cmath>
#include <cstdint>

#include "data/command_record.h"
#include "data/move_shot_records.h"
#include "data/stage_record.h"
#include "flow/flow_instance.h"
#include "flow/movement_commands.h"
#include "stage/actor.h"

namespace {

// The rotation senses that name a way round, as opposed to those that follow the facing.
constexpr int kClockwise = 0;
constexpr int kCounterClockwise = 1;

// The largest circle radius, in half blocks.
constexpr int kMaxCircleRadius = 20;

std::int32_t SaturateTicks(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return static_cast<std::int32_t>(v);
}

const cEdMove* MoveOf(const cCommandInstance& cmd) {
    return (cmd.m_pCmd && cmd.m_pCmd->spMove) ? cmd.m_pCmd->spMove.get() : nullptr;
}

void FlipSense(cCommandInstance& cmd) {
    if (cmd.m_nMoveChoice == kClockwise)
        cmd.m_nMoveChoice = kCounterClockwise;
    else if (cmd.m_nMoveChoice == kCounterClockwise)
        cmd.m_nMoveChoice = kClockwise;
}

}  // namespace

void SetupMoveCommand(cCommandInstance& cmd, cActorBase& actor) {
    const cEdMove* move = MoveOf(cmd);
    if (move && move->nTiming != 0) ResolveMoveSpeed(cmd, *cmd.m_pCmd, actor.m_nCloneValue);
}

void SetupCircleMove(cCommandInstance& cmd, cActorBase& actor) {
    const cEdMove* move = MoveOf(cmd);
    if (!move) return;
    const std::int64_t c = actor.m_nCloneValue;
    const std::int64_t b = EdStageWork.speed.nSubSteps;

    // A character placed facing right circles the mirrored way: the start and end angles
    // turn half round and the named senses swap.
    std::int64_t offset = 0;
    if (actor.m_Chara.nFacing == 1) {
        if (move->bMirrorX) {
            offset = 180;
            FlipSense(cmd);
        }
        if (move->bMirrorY) FlipSense(cmd);
    }

    std::int64_t radius = move->nHoming + c * move->nHomingInc;
    if (radius < 0) radius = 0;
    if (radius > kMaxCircleRadius) radius = kMaxCircleRadius;
    cmd.m_nRadius = Wrap32(radius * kHalfBlockDots * b);

    cmd.m_nStartAngle = Wrap32((offset + move->nAngle + c * move->nAngleInc) * b);
    cmd.m_nEndAngle = Wrap32((offset + move->nDistance + c * move->nDistanceInc) * b);
    // The two base values decide the way round; the clone increases do not.
    const double sweep = move->nDistance > move->nAngle
                             ? static_cast<double>(cmd.m_nEndAngle) - cmd.m_nStartAngle
                             : static_cast<double>(cmd.m_nStartAngle) - cmd.m_nEndAngle;

    if (!EdStageWork.speed.RunsSubSteps()) return;
    const double bd = EdStageWork.speed.dSubSteps;
    switch (move->nTiming) {
        case 0:
            // A command of no duration runs one tick: the sweep is done in it.
            cmd.m_dSpeed = sweep / (cmd.m_nDuration != 0 ? cmd.m_nDuration : 1) / bd;
            break;
        case 1:
            // Standing still takes no time: the command ends at once.
            cmd.m_nDuration =
                cmd.m_dSpeed != 0 ? SaturateTicks(std::fabs(sweep / cmd.m_dSpeed / bd)) : 0;
            break;
        default:
            break;
    }
}

void SetupHomingMove(cCommandInstance& cmd, cActorBase& actor) {
    const cEdMove* move = MoveOf(cmd);
    if (!move) return;
    const std::int64_t c = actor.m_nCloneValue;
    cmd.m_nRadius = Wrap32((move->nHoming + c * move->nHomingInc) * EdStageWork.speed.nSubSteps);
    if (move->nTiming != 0) ResolveMoveSpeed(cmd, *cmd.m_pCmd, actor.m_nCloneValue);
}

void SetupJumpCommand(cCommandInstance& cmd, cActorBase& actor) {
    if (!cmd.m_pCmd) return;
    cEdCommand& def = *cmd.m_pCmd;
    const int height = static_cast<std::int8_t>(def.vecParam[2]);
    cmd.m_dSpeed = actor.JumpSpeedForHbl(height);
    // The time to the top of the jump becomes the command's own time: the record is this
    // actor's copy, so the change stays with the actor.
    def.nTime = static_cast<std::int16_t>(actor.JumpTime(height));
    cmd.m_nDuration = Wrap32(std::int64_t{def.nTime} * EdStageWork.speed.nSubSteps6);
}

const MoveSetup MoveSetupTable[kMoveSetupTypes] = {
    nullptr,           // 0
    nullptr,           // 1 wait
    SetupMoveCommand,  // 2 straight move
    SetupMoveCommand,  // 3 turn back on the ground
    SetupCircleMove,   // 4 circle
    SetupMoveCommand,  // 5 charge
    SetupHomingMove,   // 6 homing
    SetupMoveCommand,  // 7 avoid leaving the screen
    nullptr,           // 8
    nullptr,           // 9
    SetupJumpCommand,  // 10 jump
    // 11 .. 39: no set-up.
};

MoveSetup MoveSetupFor(int type) {
    if (type < 0 || type >= kMoveSetupTypes) return nullptr;
    return MoveSetupTable[type];
}

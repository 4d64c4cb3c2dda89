#include <cstdint>

#include "base/window_requests.h"
#include "data/command_record.h"
#include "data/stage_record.h"
#include "flow/flow_instance.h"
#include "flow/movement_commands.h"
#include "stage/actor.h"

namespace {

// The facing choices of the turn command.
constexpr int kTurnLeft = 0;
constexpr int kTurnRight = 1;
constexpr int kTurnToTarget = 2;
constexpr int kTurnFromTarget = 3;
constexpr int kTurnToWall = 4;
constexpr int kTurnFromWall = 5;

// The horizontal centre of the box, as the turn compares two actors.
double BoxCentreX(const cActorBase& actor) {
    return actor.m_dX + (actor.m_nBoxW >> 1);
}

// The tick counter of a command that acts every tenth of a second.
void CountTenth(cCommandInstance& cmd) {
    if (++cmd.m_nTickCounter >= EdStageWork.speed.nSubSteps6) cmd.m_nTickCounter = 0;
}

}  // namespace

void CmdTurn(cActorBase& actor, cCommandInstance& cmd) {
    // Actors without a fixed facing take it from their movement; the command leaves them
    // alone entirely.
    if (actor.m_Chara.bFixedFacing == 0 || !cmd.m_pCmd) return;
    if (cmd.m_nTickCounter == 0) {
        cEdCommand& def = *cmd.m_pCmd;
        PlayDataSe(def.nSound);
        switch (def.vecParam[0]) {
            case kTurnLeft:
                actor.m_bFacingRight = 0;
                break;
            case kTurnRight:
                actor.m_bFacingRight = 1;
                break;
            case kTurnToTarget:
            case kTurnFromTarget: {
                // Without a target the tick is not counted, so the command tries again (with
                // its sound) in the next tick.
                const cActorBase* target = actor.m_pTarget;
                if (!target) return;
                const bool targetRight = BoxCentreX(*target) > BoxCentreX(actor);
                const bool toward = def.vecParam[0] == kTurnToTarget;
                actor.m_bFacingRight = (targetRight == toward) ? 1 : 0;
                break;
            }
            case kTurnToWall:
            case kTurnFromWall: {
                // Before the first wall nothing is known, and the facing stays.
                if (actor.m_nWallSide != 0 && actor.m_nWallSide != 1) break;
                const bool wallRight = actor.m_nWallSide == 1;
                const bool toward = def.vecParam[0] == kTurnToWall;
                actor.m_bFacingRight = (wallRight == toward) ? 1 : 0;
                break;
            }
            default:
                break;
        }
    }
    CountTenth(cmd);
}

void CmdJump(cActorBase& actor, cCommandInstance& cmd) {
    actor.m_bFixedScreenX = 0;
    actor.m_bFixedScreenY = 0;
    actor.Jump(&cmd);
    ++cmd.m_nTickCounter;
}

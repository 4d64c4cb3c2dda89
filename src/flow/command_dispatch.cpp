#include "flow/command_dispatch.h"

#include "data/command_record.h"
#include "flow/flow_instance.h"
#include "flow/movement_commands.h"
#include "stage/actor.h"

namespace {

using CommandHandler = void (*)(cActorBase& actor, cCommandInstance& cmd);

// Types whose handler does nothing at run time: the empty command, the wait (it only takes
// its time) and the loop (written out when the flows are installed).
void CmdNothing(cActorBase&, cCommandInstance&) {}

// PLACEHOLDER for the command types whose handlers are not built yet: each such command only
// takes its time. The table names, per entry, the kind of command that will replace it.
void CmdPlaceholder(cActorBase&, cCommandInstance&) {}

const CommandHandler CommandTable[kCommandTypes] = {
    CmdNothing,         // 0 none
    CmdNothing,         // 1 wait
    CmdStraightMove,    // 2
    CmdGroundTurnMove,  // 3
    CmdCircleMove,      // 4
    CmdChargeMove,      // 5
    CmdHomingMove,      // 6
    CmdAvoidMove,       // 7
    CmdStopMove,        // 8
    CmdTurn,            // 9
    CmdJump,            // 10
    CmdPlaceholder,     // 11 PLACEHOLDER: shot volleys
    CmdPlaceholder,     // 12 PLACEHOLDER: sword
    CmdPlaceholder,     // 13 PLACEHOLDER: block summon
    CmdPlaceholder,     // 14 PLACEHOLDER: character summon
    CmdPlaceholder,     // 15 PLACEHOLDER: item summon
    CmdPlaceholder,     // 16 PLACEHOLDER: flow operations
    CmdPlaceholder,     // 17 PLACEHOLDER: stage clear
    CmdPlaceholder,     // 18 PLACEHOLDER: game wait
    CmdPlaceholder,     // 19 PLACEHOLDER: message
    CmdPlaceholder,     // 20 PLACEHOLDER: warp
    CmdPlaceholder,     // 21 PLACEHOLDER: target setting
    CmdPlaceholder,     // 22 PLACEHOLDER: status operations
    CmdPlaceholder,     // 23 PLACEHOLDER: status operations 2
    CmdPlaceholder,     // 24 PLACEHOLDER: vanish
    CmdPlaceholder,     // 25 PLACEHOLDER: item get
    CmdPlaceholder,     // 26 PLACEHOLDER: graphic change
    CmdPlaceholder,     // 27 PLACEHOLDER: basic animation set change
    CmdPlaceholder,     // 28 PLACEHOLDER: animation
    CmdPlaceholder,     // 29 PLACEHOLDER: effect
    CmdPlaceholder,     // 30 PLACEHOLDER: character effect
    CmdPlaceholder,     // 31 PLACEHOLDER: screen effect
    CmdPlaceholder,     // 32 PLACEHOLDER: picture
    CmdPlaceholder,     // 33 PLACEHOLDER: screen colour
    CmdPlaceholder,     // 34 PLACEHOLDER: background change
    CmdPlaceholder,     // 35 PLACEHOLDER: sound effect
    CmdPlaceholder,     // 36 PLACEHOLDER: music
    CmdPlaceholder,     // 37 PLACEHOLDER: code
    CmdPlaceholder,     // 38 PLACEHOLDER: arrange
    CmdNothing,         // 39 loop
};

}  // namespace

void RunCommand(cActorBase& actor, cCommandInstance& cmd) {
    if (!cmd.m_pCmd) return;
    const int type = cmd.m_pCmd->FlowType();
    if (type < 0 || type >= kCommandTypes) return;
    CommandTable[type](actor, cmd);
}

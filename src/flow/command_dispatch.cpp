#include "flow/command_dispatch.h"

#include "data/command_record.h"
#include "flow/arrange.h"
#include "flow/blocking_commands.h"
#include "flow/expression_language.h"
#include "flow/flow_instance.h"
#include "flow/flow_operation_command.h"
#include "flow/item_get_command.h"
#include "flow/movement_commands.h"
#include "flow/presentation_commands.h"
#include "flow/shot_commands.h"
#include "flow/stage_clear_command.h"
#include "flow/status_commands.h"
#include "flow/target_command.h"
#include "flow/vanish_command.h"
#include "flow/warp_command.h"
#include "stage/actor.h"

namespace {

using CommandHandler = void (*)(cActorBase& actor, cCommandInstance& cmd);

// Types whose handler does nothing at run time: the empty command, the wait (it only takes
// its time) and the loop (written out when the flows are installed).
void CmdNothing(cActorBase&, cCommandInstance&) {}

// Types whose worker needs nothing of the instance but its command's record (RunCommand has
// checked that there is one).
template <void (*Worker)(cActorBase&, const cEdCommand&)>
void RecordEntry(cActorBase& actor, cCommandInstance& cmd) {
    Worker(actor, *cmd.m_pCmd);
}

const CommandHandler CommandTable[kCommandTypes] = {
    CmdNothing,                      // 0 none
    CmdNothing,                      // 1 wait
    CmdStraightMove,                 // 2
    CmdGroundTurnMove,               // 3
    CmdCircleMove,                   // 4
    CmdChargeMove,                   // 5
    CmdHomingMove,                   // 6
    CmdAvoidMove,                    // 7
    CmdStopMove,                     // 8
    CmdTurn,                         // 9
    CmdJump,                         // 10
    CmdShot,                         // 11
    CmdSword,                        // 12
    CmdSummonBlock,                  // 13
    CmdSummonChara,                  // 14
    CmdSummonItem,                   // 15
    CmdFlow,                         // 16
    StageClearEntry,                 // 17
    RecordEntry<CmdGameWait>,        // 18
    CmdMessageEntry,                 // 19
    CmdWarpEntry,                    // 20
    CmdSetTargetEntry,               // 21
    CmdStatusEntry,                  // 22
    CmdStatus2Entry,                 // 23
    CmdVanishEntry,                  // 24
    CmdItemGetEntry,                 // 25
    RecordEntry<CmdChangeGraphic>,   // 26
    RecordEntry<CmdChangeAnimeSet>,  // 27
    RecordEntry<CmdAnime>,           // 28
    RecordEntry<CmdEffect>,          // 29
    RecordEntry<CmdCharaEffect>,     // 30
    RecordEntry<CmdScreenEffect>,    // 31
    RecordEntry<CmdPicture>,         // 32
    RecordEntry<CmdScreenColor>,     // 33
    RecordEntry<CmdBackground>,      // 34
    RecordEntry<CmdSe>,              // 35
    RecordEntry<CmdBgm>,             // 36
    CmdRunCode,                      // 37
    CmdArrangeEntry,                 // 38
    CmdNothing,                      // 39 loop
};

}  // namespace

void RunCommand(cActorBase& actor, cCommandInstance& cmd) {
    if (!cmd.m_pCmd) return;
    const int type = cmd.m_pCmd->FlowType();
    if (type < 0 || type >= kCommandTypes) return;
    CommandTable[type](actor, cmd);
}

#include "flow/item_commands.h"

#include <cstdint>

#include "base/message_box.h"
#include "data/command_record.h"
#include "flow/arrange.h"
#include "flow/blocking_commands.h"
#include "flow/expression_language.h"
#include "flow/flow_install.h"
#include "flow/item_get_command.h"
#include "flow/presentation_commands.h"
#include "flow/stage_clear_command.h"
#include "flow/status_commands.h"
#include "flow/target_command.h"
#include "flow/vanish_command.h"
#include "flow/warp_command.h"
#include "stage/game_scene.h"
#include "stage/hero_actor.h"

namespace {

// A worker that acts and lets the list go on.
template <void (*Worker)(cActorBase&, const cEdCommand&)>
int Acts(cHeroActor& hero, cEdCommand& cmd) {
    Worker(hero, cmd);
    return 0;
}

int Nothing(cHeroActor&, cEdCommand&) {
    return 0;
}

int FlowChange(cHeroActor& hero, cEdCommand& cmd) {
    CmdFlowChange(hero, cmd, 0);
    return 0;
}

int StageClear(cHeroActor& hero, cEdCommand& cmd) {
    return CmdStageClear(hero, cmd);
}

// The first message of a list opens as usual; those after it continue it.
int Message(cHeroActor& hero, cEdCommand& cmd) {
    const int chained = lpGame ? lpGame->m_nItemMessageArg : 0;
    CmdMessage(hero, cmd, chained);
    if (lpGame) lpGame->m_nItemMessageArg = 1;
    return 0;
}

int ItemGet(cHeroActor& hero, cEdCommand& cmd) {
    return CmdItemGet(hero, cmd);
}

int RunCodeText(cHeroActor& hero, cEdCommand& cmd) {
    RunCode(cmd.strText, &hero);
    return 0;
}

// The arrange waits on the hero for the next item command.
int Arrange(cHeroActor&, cEdCommand& cmd) {
    CmdArrange(cmd, nullptr);
    return 0;
}

// Installs a copy of the command's flows (unrolling changes the list) at `position`.
void InstallCarriedFlows(cHeroActor& hero, const cEdCommand& cmd, int position) {
    CheckedVector<cEdFlow> flows = cmd.vecFlow;
    if (InstallFlows(hero, flows, 1, position) == kInstallFailed) MemoryErrorAndClose();
}

}  // namespace

const ItemCommandHandler ItemCommandTable[kItemCommandTypes] = {
    Nothing,                  // 0 none
    FlowChange,               // 1 flow change
    StageClear,               // 2 (17)
    Acts<CmdGameWait>,        // 3 (18)
    Message,                  // 4 (19)
    Acts<CmdWarp>,            // 5 (20)
    Acts<CmdSetTarget>,       // 6 (21)
    Acts<CmdStatus>,          // 7 (22)
    Acts<CmdStatus2>,         // 8 (23)
    Acts<CmdVanish>,          // 9 (24)
    ItemGet,                  // 10 (25)
    Acts<CmdChangeGraphic>,   // 11 (26)
    Acts<CmdChangeAnimeSet>,  // 12 (27)
    Acts<CmdAnime>,           // 13 (28)
    Acts<CmdEffect>,          // 14 (29)
    Acts<CmdCharaEffect>,     // 15 (30)
    Acts<CmdScreenEffect>,    // 16 (31)
    Acts<CmdPicture>,         // 17 (32)
    Acts<CmdScreenColor>,     // 18 (33)
    Acts<CmdBackground>,      // 19 (34)
    Acts<CmdSe>,              // 20 (35)
    Acts<CmdBgm>,             // 21 (36)
    RunCodeText,              // 22 (37)
    Arrange,                  // 23 (38)
    Nothing,                  // 24 loop: written out when the item was set up
};

int RunItemCommandOnHero(cHeroActor& hero, cEdCommand& cmd) {
    const int type = cmd.nCmdType;
    if (type < 0 || type >= kItemCommandTypes) return 0;
    return ItemCommandTable[type](hero, cmd);
}

void CmdFlowChange(cHeroActor& hero, const cEdCommand& cmd, int deferred) {
    if (!deferred && hero.InFlowPass()) {
        hero.m_vecFlowChange.push_back(cmd);
        return;
    }
    const int op = cmd.vecParam[0];
    // The ID is stored in a byte, as the flows keep theirs.
    const int id = static_cast<std::int8_t>(cmd.vecParam[1]);
    switch (op) {
        case kFlowChangeAdd:
            InstallCarriedFlows(hero, cmd, -1);
            break;
        case kFlowChangeReplace:
            // -1 when none was removed: after the last flow.
            InstallCarriedFlows(hero, cmd, hero.RemoveFlowsById(id));
            break;
        case kFlowChangeDelete:
            hero.RemoveFlowsById(id);
            break;
        default:
            break;
    }
}

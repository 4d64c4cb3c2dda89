#include "flow/item_get_command.h"

#include "base/checked_vector.h"
#include "base/log.h"
#include "data/command_record.h"
#include "data/common_palette.h"
#include "data/item_record.h"
#include "data/stage_record.h"
#include "flow/flow_instance.h"
#include "stage/game_scene.h"
#include "stage/hero_actor.h"
#include "stage/stage_objects.h"

namespace {

// How many item runs of this command are under way (game thread only).
int s_depth = 0;

class DepthScope {
public:
    DepthScope() { ++s_depth; }
    ~DepthScope() { --s_depth; }
    DepthScope(const DepthScope&) = delete;
    DepthScope& operator=(const DepthScope&) = delete;
};

}  // namespace

int CmdItemGet(cActorBase&, const cEdCommand& cmd) {
    const int palette = cmd.vecParam[0];
    const int index = cmd.vecParam[1];
    const cEdItem* item = nullptr;
    if (palette == kItemGetCommon)
        item = &EdCommonPalette.vecItem[index];
    else if (palette == kItemGetStage)
        item = &EdStageWork.vecItemPalette[index];
    cHeroActor* hero = FirstHero();
    if (!item || !hero) return 0;
    if (s_depth >= kMaxItemGetDepth) {
        ErrorLog("item get: nested deeper than %d, not run", kMaxItemGetDepth);
        return 0;
    }
    const DepthScope depth;
    // A copy: the palette's record never changes, and the arranges of the run change the
    // copy's commands only.
    CheckedVector<cEdCommand> commands = item->vecItemCommand;
    return hero->RunItemCommands(commands);
}

void CmdItemGetEntry(cActorBase& actor, cCommandInstance& cmd) {
    if (!cmd.m_pCmd) return;
    const int result = CmdItemGet(actor, *cmd.m_pCmd);
    if (result != 0 && lpGame) lpGame->m_nStageResult = result;
}

#include "flow/vanish_command.h"

#include <algorithm>
#include <vector>

#include "data/command_record.h"
#include "flow/flow_instance.h"
#include "stage/actor.h"
#include "stage/game_scene.h"
#include "stage/projectile.h"

namespace {

// A player's actor: its HP goes instead, so that its death runs its course.
constexpr int kOperatorPlayer = 0;

void VanishCharas(cActorBase& actor, int group, int everywhere) {
    if (!lpGame) return;
    for (cActorBase* other : lpGame->m_vecGroupList[group]) {
        if (!other || !other->m_bPresent || (!everywhere && !other->m_bOnScreen)) continue;
        if (other->m_nOperator == kOperatorPlayer)
            other->m_nHp = 0;
        else
            other->m_bVanish = 1;
        if (other != &actor) lpGame->m_bCodeKill = 1;
    }
}

}  // namespace

void DestroyGroupShots(cGameScene& scene, int group, int everywhere) {
    // The ids first: removing a shot takes it out of the list being walked.
    std::vector<ObjectId> ids;
    for (const cProjectile* shot : scene.m_vecShotGroupList[group])
        if (shot && shot->m_bPresent && (everywhere || shot->m_bOnScreen))
            ids.push_back(shot->Id());
    for (ObjectId id : ids) scene.RemoveProjectile(id);
}

void CmdVanish(cActorBase& actor, const cEdCommand& cmd) {
    const int kind = cmd.vecParam[0];
    const int group = cmd.vecParam[1];
    const int everywhere = cmd.vecParam[2];
    if (!lpGame) return;
    // A group of no list (a damaged file) is reported by the checked access and closes the
    // program; its stand-by list (the hero's group) must not vanish meanwhile.
    const int groups = static_cast<int>(
        std::min(lpGame->m_vecGroupList.Size(), lpGame->m_vecShotGroupList.Size()));
    if (group < 0 || group >= groups) {
        (void)lpGame->m_vecGroupList[group];
        return;
    }
    if (kind == kVanishCharas)
        VanishCharas(actor, group, everywhere);
    else if (kind == kVanishShots)
        DestroyGroupShots(*lpGame, group, everywhere);
}

void CmdVanishEntry(cActorBase& actor, cCommandInstance& cmd) {
    if (cmd.m_pCmd) CmdVanish(actor, *cmd.m_pCmd);
}

#include "flow/target_command.h"

#include <algorithm>

#include "base/checked_list.h"
#include "data/command_record.h"
#include "flow/flow_instance.h"
#include "stage/actor.h"
#include "stage/actor_geometry.h"
#include "stage/game_scene.h"
#include "stage/stage_objects.h"

namespace {

constexpr int kKeepTargetWhenNone = 1;

TargetFilter FilterOf(const cActorBase& actor, const cEdCommand& cmd) {
    TargetFilter filter;
    if (cmd.vecParam[8]) filter.nCharaId = cmd.vecParam[9];
    if (cmd.vecParam[4]) filter.pSelf = &actor;
    filter.bSkipInvincible1 = cmd.vecParam[5] ? 1 : 0;
    filter.bSkipInvincible2 = cmd.vecParam[6] ? 1 : 0;
    filter.bSkipBlockChara = cmd.vecParam[7] ? 1 : 0;
    if (cmd.vecParam[10]) {
        filter.bTestVar = 1;
        filter.nVarIndex = cmd.vecParam[11];
        filter.nVarValue = cmd.vecParam[12];
        filter.nVarOp = cmd.vecParam[13];
    }
    return filter;
}

// The list of group `group`; a group of no list (a damaged file) is reported by the checked
// access, which closes the program, and searches nothing meanwhile.
const CheckedList<cActorBase*>* GroupList(int group) {
    auto& groups = lpGame->m_vecGroupList;
    if (group < 0 || group >= static_cast<int>(groups.Size())) {
        (void)groups[group];
        return nullptr;
    }
    return &groups[group];
}

// The nearest character of one group, or with `everyGroup` the nearest among the winners of
// every group (ties to the earlier group).
cActorBase* FindNearest(const cActorBase& actor, const cEdCommand& cmd,
                        const TargetFilter& filter) {
    if (!lpGame) return nullptr;
    const int x = actor.CenterX();
    const int y = actor.CenterY();
    const int range = cmd.vecParam[3];
    auto& groups = lpGame->m_vecGroupList;
    if (!cmd.vecParam[2]) {
        const CheckedList<cActorBase*>* list = GroupList(cmd.vecParam[1]);
        return list ? FindTarget(x, y, *list, range, filter) : nullptr;
    }
    CheckedList<cActorBase*> winners;
    for (int g = 0; g < static_cast<int>(groups.Size()); ++g) {
        if (groups[g].empty()) continue;
        if (cActorBase* found = FindTarget(x, y, groups[g], range, filter))
            winners.push_back(found);
    }
    return winners.empty() ? nullptr : FindTarget(x, y, winners, range, filter);
}

// The first character in list order that passes the filters, of one group or of the first
// group that has one.
cActorBase* FindFirst(const cEdCommand& cmd, const TargetFilter& filter) {
    if (!lpGame) return nullptr;
    auto& groups = lpGame->m_vecGroupList;
    if (!cmd.vecParam[2]) {
        const CheckedList<cActorBase*>* list = GroupList(cmd.vecParam[1]);
        return list ? FindCharaInList(*list, filter) : nullptr;
    }
    for (int g = 0; g < static_cast<int>(groups.Size()); ++g)
        if (cActorBase* found = FindCharaInList(groups[g], filter)) return found;
    return nullptr;
}

}  // namespace

void RetargetActor(cActorBase& actor, cActorBase* target) {
    if (cActorBase* old = actor.m_pTarget) {
        auto& list = old->m_vecTargetedBy;
        list.erase(std::remove(list.begin(), list.end(), &actor), list.end());
    }
    actor.m_pTarget = target;
    if (!target) return;
    auto& list = target->m_vecTargetedBy;
    if (std::find(list.begin(), list.end(), &actor) == list.end()) list.push_back(&actor);
}

void CmdSetTarget(cActorBase& actor, const cEdCommand& cmd) {
    const int whom = cmd.vecParam[0];
    cActorBase* found = nullptr;
    switch (whom) {
        case kTargetHero:
            found = FirstHero();
            break;
        case kTargetSelf:
            found = &actor;
            break;
        case kTargetNearest:
            found = FindNearest(actor, cmd, FilterOf(actor, cmd));
            break;
        case kTargetByFilter:
            found = FindFirst(cmd, FilterOf(actor, cmd));
            break;
        default:
            break;
    }
    const int whenNone = cmd.vecParam[14];
    if (whenNone == 0)
        RetargetActor(actor, found);
    else if (whenNone == kKeepTargetWhenNone && found)
        RetargetActor(actor, found);
}

void CmdSetTargetEntry(cActorBase& actor, cCommandInstance& cmd) {
    if (cmd.m_pCmd) CmdSetTarget(actor, *cmd.m_pCmd);
}

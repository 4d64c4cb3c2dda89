#include "stage/actor_services.h"

#include "base/window_requests.h"
#include "data/command_record.h"
#include "flow/conditions.h"
#include "flow/flow_instance.h"
#include "flow/item_commands.h"
#include "flow/key_conditions.h"
#include "stage/actor.h"
#include "stage/game_scene.h"
#include "stage/hero_actor.h"
#include "stage/stage_objects.h"

void SetCommandContext(cActorBase* actor, FlowInstance* flow, cCommandInstance* cmd) {
    if (!lpGame) return;
    lpGame->m_pCurActor = actor;
    lpGame->m_pCurFlow = flow;
    lpGame->m_pCurCmd = cmd;
}

namespace {

// The innermost live guard (game thread only).
CommandContextGuard* s_innermostGuard = nullptr;

}  // namespace

CommandContextGuard::CommandContextGuard() {
    m_pOuterGuard = s_innermostGuard;
    s_innermostGuard = this;
    if (!lpGame) return;
    m_pActor = lpGame->m_pCurActor;
    m_pFlow = lpGame->m_pCurFlow;
    m_pCmd = lpGame->m_pCurCmd;
    m_bCodeKill = lpGame->m_bCodeKill;
}

CommandContextGuard::~CommandContextGuard() {
    s_innermostGuard = m_pOuterGuard;
    SetCommandContext(m_pActor, m_pFlow, m_pCmd);
    // Only inside another pass: at the top level each pass starts its own notice afresh.
    if (lpGame && m_pActor && m_bCodeKill) lpGame->m_bCodeKill = 1;
}

void DropActorFromCommandContexts(const cActorBase* actor) {
    for (CommandContextGuard* g = s_innermostGuard; g; g = g->m_pOuterGuard) {
        if (g->m_pActor != actor) continue;
        g->m_pActor = nullptr;
        g->m_pFlow = nullptr;
        g->m_pCmd = nullptr;
    }
}

int ConditionListHolds(const CheckedVector<cEdCondition>& conditions, int mode,
                       cActorBase* subject) {
    return TestConditionList(conditions, mode, subject) ? 1 : 0;
}

int KeyConditionHolds(cActorBase& actor, cInput* input, const cEdKeyCondition* cond) {
    return TestKeyCondition(actor, input, cond) ? 1 : 0;
}

int RunItemCommand(cHeroActor& hero, cEdCommand& cmd) {
    return RunItemCommandOnHero(hero, cmd);
}

void RunFlowChange(cHeroActor& hero, cEdCommand& cmd) {
    CmdFlowChange(hero, cmd, 1);
}

void RunQueuedFlowChanges(cActorBase& actor) {
    cHeroActor* hero = FirstHero();
    if (hero == &actor) hero->RunQueuedFlowChanges();
}

void OpenItemMessage(cHeroActor& hero, int message, std::int16_t a, std::int16_t b) {
    if (!lpGame) return;
    MessageSettings s = RisingNotice(MESSAGE_ICON, hero.m_nSerial);
    s.nIconKind = message;
    s.nIconNumber = a;
    s.nIconSub = b;
    lpGame->AddMessage(s);
}

void PlayCommandSound(const cActorBase&, const cCommandInstance& cmd) {
    if (cmd.m_pCmd) PlayDataSe(cmd.m_pCmd->nSound);
}

#include "stage/actor_services.h"

#include "base/window_requests.h"
#include "flow/conditions.h"
#include "flow/flow_instance.h"
#include "flow/key_conditions.h"
#include "stage/actor.h"
#include "stage/game_scene.h"

void SetCommandContext(cActorBase* actor, FlowInstance* flow, cCommandInstance* cmd) {
    if (!lpGame) return;
    lpGame->m_pCurActor = actor;
    lpGame->m_pCurFlow = flow;
    lpGame->m_pCurCmd = cmd;
}

CommandContextGuard::CommandContextGuard() {
    if (!lpGame) return;
    m_pActor = lpGame->m_pCurActor;
    m_pFlow = lpGame->m_pCurFlow;
    m_pCmd = lpGame->m_pCurCmd;
    m_bCodeKill = lpGame->m_bCodeKill;
}

CommandContextGuard::~CommandContextGuard() {
    SetCommandContext(m_pActor, m_pFlow, m_pCmd);
    // Only inside another pass: at the top level each pass starts its own notice afresh.
    if (lpGame && m_pActor && m_bCodeKill) lpGame->m_bCodeKill = 1;
}

int ConditionListHolds(const CheckedVector<cEdCondition>& conditions, int mode,
                       cActorBase* subject) {
    return TestConditionList(conditions, mode, subject) ? 1 : 0;
}

int KeyConditionHolds(cActorBase& actor, cInput* input, const cEdKeyCondition* cond) {
    return TestKeyCondition(actor, input, cond) ? 1 : 0;
}

int RunItemCommand(cHeroActor&, cEdCommand&) {
    return 0;
}

void RunFlowChange(cHeroActor&, cEdCommand&) {}

void OpenItemMessage(cHeroActor&, int, std::int16_t, std::int16_t) {}

void PlayCommandSound(const cActorBase&, const cCommandInstance& cmd) {
    if (cmd.m_pCmd) PlayDataSe(cmd.m_pCmd->nSound);
}

#include "stage/actor_services.h"

#include "base/window_requests.h"
#include "flow/conditions.h"
#include "flow/flow_instance.h"
#include "flow/key_conditions.h"
#include "stage/actor.h"
#include "stage/game_scene.h"

void SetCommandContextService(cActorBase* actor, FlowInstance* flow, cCommandInstance* cmd) {
    if (!lpGame) return;
    lpGame->m_pCurActor = actor;
    lpGame->m_pCurFlow = flow;
    lpGame->m_pCurCmd = cmd;
}

void ApplyFlowArrangesService(cEdCommand&, cActorBase&, FlowInstance*) {}

CommandContextGuard::CommandContextGuard() {
    if (!lpGame) return;
    m_pActor = lpGame->m_pCurActor;
    m_pFlow = lpGame->m_pCurFlow;
    m_pCmd = lpGame->m_pCurCmd;
    m_bCodeKill = lpGame->m_bCodeKill;
}

CommandContextGuard::~CommandContextGuard() {
    SetCommandContextService(m_pActor, m_pFlow, m_pCmd);
    // Only inside another pass: at the top level each pass starts its own notice afresh.
    if (lpGame && m_pActor && m_bCodeKill) lpGame->m_bCodeKill = 1;
}

int TestConditionListService(const CheckedVector<cEdCondition>& conditions, int mode,
                             cActorBase* subject) {
    return TestConditionList(conditions, mode, subject) ? 1 : 0;
}

int TestKeyConditionService(cActorBase& actor, cInput* input, const cEdKeyCondition* cond) {
    return TestKeyCondition(actor, input, cond) ? 1 : 0;
}

int RunItemCommandService(cHeroActor&, cEdCommand&) {
    return 0;
}

void ApplyItemArrangesService(cHeroActor&, cEdCommand&) {}

void RunFlowChangeService(cHeroActor&, cEdCommand&) {}

void OpenItemMessageService(cHeroActor&, int, std::int16_t, std::int16_t) {}

void DrawActorService(cActorBase& actor, DDSURFACEDATA*, int paused) {
    // The animations advance as the drawing will advance them.
    actor.GetDrawPattern(paused);
}

void PlayCommandSoundService(const cActorBase&, const cCommandInstance& cmd) {
    if (cmd.m_pCmd) PlayDataSe(cmd.m_pCmd->nSound);
}

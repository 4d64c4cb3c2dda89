#include "stage/actor_services.h"

#include "flow/conditions.h"
#include "flow/flow_instance.h"
#include "flow/key_conditions.h"
#include "stage/actor.h"
#include "stage/game_scene.h"

void UpdateFlowCuesService(cActorBase&) {}

int UpdateFlowService(cActorBase&, int) {
    return 1;
}

void StopFlowService(cActorBase& actor, int index) {
    if (index >= 0 && index < static_cast<int>(actor.m_vecFlow.Size()))
        actor.m_vecFlow[index].m_bRunning = 0;
}

void RemoveFlowService(cActorBase& actor, int index) {
    if (index < 0 || index >= static_cast<int>(actor.m_vecFlow.Size())) return;
    actor.m_vecFlow[index].m_bRunning = 0;
    actor.m_vecFlow[index].m_bDeleteRequest = 0;
}

void SetCommandContextService(cActorBase* actor, FlowInstance* flow, cCommandInstance* cmd) {
    if (!lpGame) return;
    lpGame->m_pCurActor = actor;
    lpGame->m_pCurFlow = flow;
    lpGame->m_pCurCmd = cmd;
}

void TriggerFlowsService(cActorBase&, int) {}

int TestConditionListService(const CheckedVector<cEdCondition>& conditions, int mode,
                             cActorBase* subject) {
    return TestConditionList(conditions, mode, subject) ? 1 : 0;
}

void ResetFlowFrameFlagsService(cActorBase&) {}

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

void PlayCommandSoundService(const cActorBase&, const cCommandInstance&) {}

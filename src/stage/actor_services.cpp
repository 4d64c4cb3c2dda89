#include "stage/actor_services.h"

#include "flow/flow_instance.h"
#include "stage/actor.h"

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

void SetCommandContextService(cActorBase*, FlowInstance*, cCommandInstance*) {}

void PlayCommandSoundService(const cActorBase&, const cCommandInstance&) {}

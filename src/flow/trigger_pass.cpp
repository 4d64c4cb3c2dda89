// The test of a flow's own conditions, which the trigger pass (cActorBase::TriggerFlows)
// makes before a flow starts.
#include "flow/conditions.h"
#include "flow/flow_instance.h"
#include "flow/flow_runtime.h"
#include "stage/actor.h"

bool TestFlowConditions(FlowInstance& flow, cActorBase& actor) {
    const cEdFlow* def = flow.m_pFlow;
    if (!def) return false;
    if (def->vecCondition.empty()) return true;
    if (def->bCondLatch && flow.m_bCondLatch) return true;
    if (!TestConditionList(def->vecCondition, def->nCondMode, &actor)) return false;
    flow.m_bCondLatch = 1;
    return true;
}

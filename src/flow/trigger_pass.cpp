// The trigger pass: an event of some kind happened to an actor, and its idle flows of that
// kind start when their conditions and key conditions hold.
//
// Two system settings limit how often a flow is tested. By default each flow is tested at
// most once per displayed frame for each kind raised, counted only when it was free to start
// (the late guard); with the early guard the test is used up even while the flow runs or its
// group is busy; with the guard off there is no limit, but a flow started in a frame still
// does not start again in it.
#include <cstdint>

#include "app/input.h"
#include "data/system_record.h"
#include "flow/conditions.h"
#include "flow/flow_instance.h"
#include "flow/flow_runtime.h"
#include "flow/key_conditions.h"
#include "stage/actor.h"
#include "stage/actor_services.h"

namespace {

// The input whose direction a started flow remembers: the actor's own player's when a
// player steers it, else player 1's. Null when that player has no input.
const cInput* StartingInput(const cActorBase& actor) {
    const int player = actor.m_nOperator == 0 ? actor.m_Chara.nPlayer : 0;
    if (player < 0 || player >= static_cast<int>(InputList.Size())) return nullptr;
    return &InputList[player];
}

// Takes the flow's one test of this frame; false when it was taken already.
bool TakeFrameTest(FlowInstance& flow) {
    if (flow.m_bTestedThisFrame) return false;
    flow.m_bTestedThisFrame = 1;
    return true;
}

}  // namespace

bool TestFlowConditions(FlowInstance& flow, cActorBase& actor) {
    const cEdFlow* def = flow.m_pFlow;
    if (!def) return false;
    if (def->vecCondition.empty()) return true;
    if (def->bCondLatch && flow.m_bCondLatch) return true;
    if (!TestConditionList(def->vecCondition, def->nCondMode, &actor)) return false;
    flow.m_bCondLatch = 1;
    return true;
}

void cActorBase::TriggerFlows(int trigger) {
    const CommandContextGuard outer;
    SetCommandContextService(this, nullptr, nullptr);
    const bool guardOff = EdSystem.bCompat525 != 0;
    const bool earlyGuard = !guardOff && EdSystem.bCompat744 != 0;
    const bool lateGuard = !guardOff && EdSystem.bCompat744 == 0;

    // By index, the count read again each time: a flow that runs at once may change the
    // list.
    for (int i = 0; i < static_cast<int>(m_vecFlow.Size()); ++i) {
        FlowInstance& flow = m_vecFlow[i];
        const cEdFlow* def = flow.m_pFlow;
        if (!def || def->nTrigger != trigger) continue;
        if (earlyGuard && !TakeFrameTest(flow)) continue;
        if (flow.m_bRunning || flow.m_bPaused || flow.m_bHalted || flow.m_bStartedThisFrame)
            continue;
        const int group = static_cast<std::uint8_t>(def->nGroup);
        if (trigger == kTriggerAlways && group != 0 &&
            (m_vecGroupBusy[group] || m_vecGroupStarted[group]))
            continue;
        if (lateGuard && !TakeFrameTest(flow)) continue;
        // The key conditions last: an edge-triggered sequence counts each test it sees.
        if (!TestFlowConditions(flow, *this) || !CheckKeyConditions(*this, flow)) continue;
        const cInput* input = StartingInput(*this);
        flow.m_nInputDir = input ? GetInputDirection(*input) : 0;
        flow.Start(*this);
    }
}

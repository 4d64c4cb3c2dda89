// The members of cActorBase that run its flows: the per-frame flags and animation cues of the
// flow runtime, the removal of flows with their animations, and the trigger pass.
//
// The trigger pass: an event of some kind happened to an actor, and its idle flows of that
// kind start when their conditions and key conditions hold.
//
// Two system settings limit how often a flow is tested. By default each flow is tested at
// most once per displayed frame for each kind raised, counted only when it was free to start
// (the late guard); with the early guard the test is used up even while the flow runs or its
// group is busy; with the guard off there is no limit, but a flow started in a frame still
// does not start again in it.
#include <cstdint>
#include <iterator>
#include <utility>

#include "base/input.h"
#include "data/system_record.h"
#include "flow/conditions.h"
#include "flow/flow_instance.h"
#include "flow/flow_runtime.h"
#include "flow/key_conditions.h"
#include "stage/actor.h"
#include "stage/actor_services.h"
#include "stage/post_load_tables.h"

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

void cActorBase::ResetFlowFrameFlags() {
    for (FlowInstance& flow : m_vecFlow) {
        flow.m_bTestedThisFrame = 0;
        flow.m_bStartedThisFrame = 0;
    }
    for (std::uint8_t& started : m_vecGroupStarted) started = 0;
}

void cActorBase::UpdateFlowCues() {
    for (FlowInstance& flow : m_vecFlow) {
        // A halted flow keeps its running flag but its tick count stands still; its due cue
        // would fire again every tick.
        if (!flow.m_bRunning || flow.m_bPaused || flow.m_bHalted) continue;
        for (const FlowCue& cue : flow.m_vecCue) {
            if (cue.nStartTick != flow.m_nTickCount) continue;
            AnimeEntry entry;
            entry.m_Pattern.m_vecSeq.push_back(AnimePatternTable[cue.nAnime]);
            entry.m_bLimited = 1;
            entry.m_nLength = cue.nLength;
            entry.m_nHold = cue.nHold;
            entry.m_nFlowKey = flow.m_nKey;
            entry.m_bPaused = 0;
            cAnimPattern& pattern = entry.m_Pattern;
            pattern.SetSeq(0, 1);
            // Started late: the part of the lead-in the earlier commands had no time for is
            // skipped.
            if (cue.nSkip != 0)
                pattern.m_nCount = Wrap32(std::int64_t{pattern.m_nCount} + cue.nSkip);
            // The pose where the command acts is held while the command runs.
            if (cue.nHold >= 2 && cue.bHoldFlag) {
                for (ANIMSTEP& step : pattern.m_vecSeq[0]) {
                    if (step.bLock == 0) continue;
                    step.nFrames = Wrap32(std::int64_t{step.nFrames} + cue.nHold - 1);
                    break;
                }
            }
            m_listAnime.push_front(std::move(entry));
        }
    }
}

void cActorBase::RemoveFlow(int index) {
    if (index < 0 || index >= static_cast<int>(m_vecFlow.Size())) {
        (void)m_vecFlow[index];  // reported by the checked access
        return;
    }
    m_vecFlow[index].Stop(*this);
    RemoveFlowAnimes(m_vecFlow[index].m_nKey);
    if (InFlowPass()) {
        // Stopped now, erased at the end of the pass.
        FlowInstance& flow = m_vecFlow[index];
        flow.m_bDeleteRequest = 1;
        flow.m_bAbort = 1;
        m_bFlowDeleted = 1;
        return;
    }
    if (index < static_cast<int>(m_Chara.vecFlow.Size()))
        m_Chara.vecFlow.erase(m_Chara.vecFlow.begin() + index);
    m_vecFlow.erase(m_vecFlow.begin() + index);
    RelinkFlows();
}

int cActorBase::RemoveFlowsById(int id) {
    if (id == 0) {
        if (InFlowPass()) {
            for (int i = 0; i < static_cast<int>(m_vecFlow.Size()); ++i) RemoveFlow(i);
            m_listAnime.clear();
            return 0;
        }
        for (FlowInstance& flow : m_vecFlow) flow.Stop(*this);
        m_vecFlow.Clear();
        m_Chara.vecFlow.Clear();
        m_listAnime.clear();
        RelinkFlows();
        return 0;
    }
    int first = -1;
    for (int i = 0; i < static_cast<int>(m_vecFlow.Size());) {
        const cEdFlow* def = m_vecFlow[i].m_pFlow;
        if (!def || def->nId != id) {
            ++i;
            continue;
        }
        if (first < 0) first = i;
        // The next flow moves into this place, unless the removal waits for the pass's end.
        RemoveFlow(i);
        if (InFlowPass()) ++i;
    }
    return first;
}

void cActorBase::RemoveFlowAnimes(int key) {
    for (auto it = m_listAnime.begin(); it != m_listAnime.end();)
        it = it->m_nFlowKey == key ? m_listAnime.erase(it) : std::next(it);
}

void cActorBase::PauseFlowAnimes(int key) {
    for (auto it = m_listAnime.begin(); it != m_listAnime.end();) {
        if (it->m_nFlowKey != key) {
            ++it;
            continue;
        }
        // The animation command's entries carry no play time of their own: pausing their
        // flow ends them instead of freezing them.
        if (std::int64_t{it->m_nLength} + it->m_nHold - 1 < 0) {
            it = m_listAnime.erase(it);
            continue;
        }
        it->m_bPaused = 1;
        ++it;
    }
}

void cActorBase::ResumeFlowAnimes(int key) {
    for (AnimeEntry& entry : m_listAnime)
        if (entry.m_nFlowKey == key) entry.m_bPaused = 0;
}

void cActorBase::TriggerFlows(int trigger) {
    const CommandContextGuard outer;
    SetCommandContext(this, nullptr, nullptr);
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

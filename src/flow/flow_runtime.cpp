#include "flow/flow_runtime.h"

#include <cstdint>
#include <iterator>
#include <utility>

#include "app/message_box.h"
#include "data/command_record.h"
#include "data/post_load_tables.h"
#include "flow/command_dispatch.h"
#include "flow/flow_instance.h"
#include "stage/actor.h"
#include "stage/actor_services.h"
#include "stage/game_scene.h"

namespace {

void SetCurrentFlow(FlowInstance* flow) {
    if (lpGame) lpGame->m_pCurFlow = flow;
}

// A parameter of the command; a damaged command with fewer parameters reads 0.
std::int32_t Param(const cEdCommand& cmd, int i) {
    if (i < 0 || i >= static_cast<int>(cmd.vecParam.Size())) return 0;
    return cmd.vecParam[i];
}

// A message that leaves its flow waiting for the player once it has been shown: one that
// neither closes by itself (parameter 6) nor passes the wait on (parameter 15).
bool IsWaitingMessage(const cEdCommand* cmd) {
    return cmd && cmd->FlowType() == kCommandTypeMessage && Param(*cmd, 15) == 0 &&
           Param(*cmd, 6) == 0;
}

bool IsParallel(const cEdCommand* cmd) {
    return cmd && cmd->bParallel == 1;
}

// The group of a flow (1..26 = a..z), 0 for none. The index reaches the group vectors
// through their checked access, so a damaged group number is reported there.
int GroupOf(const cEdFlow* def) {
    return def ? static_cast<std::uint8_t>(def->nGroup) : 0;
}

void FreeGroup(cActorBase& actor, const cEdFlow* def) {
    const int group = GroupOf(def);
    if (group == 0) return;
    actor.m_vecGroupFreed[group] = 1;
    actor.m_bGroupFreed = 1;
}

}  // namespace

// --- cCommandInstance ---

void cCommandInstance::Reset(cActorBase& actor, FlowInstance* flow) {
    m_nRemaining = m_nDuration;
    m_bDone = 0;
    m_nTickCounter = 0;
    m_bFirstTickDone = 0;
    m_dPhaseX = 0;
    m_dPhaseY = 0;
    // An arrange waits for the next command that is not one; whatever it reaches, the
    // waiting entries are used up by that command, matched or not.
    if (m_pCmd && m_pCmd->FlowType() != kCommandTypeArrange) {
        ApplyFlowArrangesService(*m_pCmd, actor, flow);
        if (flow) flow->m_listPendingArrange.clear();
    }
}

int cCommandInstance::Step(cActorBase& actor) {
    if (lpGame) lpGame->m_pCurCmd = this;
    RunCommand(actor, *this);
    m_nRemaining = Wrap32(std::int64_t{m_nRemaining} - 1);
    if (m_nRemaining <= 0) {
        m_nRemaining = 0;
        return 1;
    }
    return 0;
}

// --- FlowInstance ---

void FlowInstance::Start(cActorBase& actor) {
    // A permanent stop is permanent: not even a flow operation brings the flow back.
    if (m_bHalted) return;
    m_bRunning = 1;
    m_nCurrent = 0;
    m_nTickCount = 0;
    m_bMessageWait = 0;
    for (cCommandInstance& ci : m_vecCmd) ci.m_bDone = 0;
    m_bStartedThisFrame = 1;

    const cEdFlow* def = m_pFlow;
    if (!def) return;
    const int group = GroupOf(def);
    if (def->nTrigger == kTriggerAlways && group != 0) {
        actor.m_vecGroupBusy[group] = 1;
        actor.m_vecGroupStarted[group] = 1;
    }
    if (def->nTrigger != kTriggerBeforeStart || m_vecCmd.empty()) return;
    // Started again from inside its own run at once: the run under way goes on, and this
    // start ends as every stage-start flow ends, instead of recursing without end.
    if (m_bRunningAtOnce) {
        Stop(actor);
        return;
    }

    // Before the stage starts no time passes: the commands that may act in one step do so
    // now, the others are passed over, and the flow ends here. This may happen inside the
    // run of another flow (a flow operation), whose context must survive it.
    const CommandContextGuard outer;
    SetCommandContextService(&actor, this, outer.OuterCommand());
    m_bAbort = 0;
    m_bRunningAtOnce = 1;
    // The index is the run's own: a start from inside the run resets the flow's current.
    for (int i = 0; i < static_cast<int>(m_vecCmd.Size()); ++i) {
        m_nCurrent = i;
        cCommandInstance& ci = m_vecCmd[i];
        const cEdCommand* cmd = ci.m_pCmd;
        if (!cmd || cmd->FlowType() < kFirstCommandTypeBeforeStart || cmd->bParallel == 0) continue;
        ci.Reset(actor, this);
        if (!ci.Step(actor)) DebugErrorBox("使用時間0なので、ここにくることはあり得ないはず！");
        if (m_bAbort) break;
        ci.m_bDone = 1;
    }
    m_bRunningAtOnce = 0;
    Stop(actor);
}

int FlowInstance::Stop(cActorBase& actor) {
    if (!m_bRunning) return 0;
    m_bRunning = 0;
    m_listPendingArrange.clear();
    // Done flags stay until the next start; the times go, so that a parallel command still
    // running starts afresh next time.
    for (cCommandInstance& ci : m_vecCmd) ci.m_nRemaining = 0;
    FreeGroup(actor, m_pFlow);
    return 1;
}

void FlowInstance::Halt(cActorBase& actor) {
    m_bHalted = 1;
    if (!m_bRunning) return;
    for (cCommandInstance& ci : m_vecCmd) ci.m_nRemaining = 0;
    FreeGroup(actor, m_pFlow);
}

int FlowInstance::Update(cActorBase& actor) {
    SetCurrentFlow(this);
    m_bAbort = 0;
    const int last = static_cast<int>(m_vecCmd.Size()) - 1;
    // Nothing to run is a finished flow.
    if (last < 0) return 1;

    // current grows while the loop runs: a parallel command lets the next one run in the
    // same tick; a plain command holds the ones after it until it has finished.
    for (int i = 0; i <= m_nCurrent && i <= last; ++i) {
        cCommandInstance& ci = m_vecCmd[i];
        if (ci.m_bDone) continue;
        const cEdCommand* cmd = ci.m_pCmd;
        if (ci.m_nRemaining == 0) {
            ci.Reset(actor, this);
            if (!IsWaitingMessage(cmd) && !IsParallel(cmd)) m_bMessageWait = 0;
        }
        if (IsParallel(cmd)) {
            if (ci.Step(actor)) {
                ci.m_bDone = 1;
                if (i == last) return 1;
            }
            if (i == m_nCurrent) ++m_nCurrent;
            if (m_bAbort) return 0;
            continue;
        }
        if (!ci.Step(actor)) {
            if (m_bAbort) return 0;
            continue;
        }
        ci.m_bDone = 1;
        if (IsWaitingMessage(cmd)) m_bMessageWait = 1;
        if (i == last) return 1;
        ++m_nCurrent;
        break;
    }
    if (m_vecCmd[last].m_bDone) return 1;
    m_nTickCount = Wrap32(std::int64_t{m_nTickCount} + 1);
    return 0;
}

// --- cActorBase ---

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
    if (index < static_cast<int>(m_Chara.vecFlow.Size()))
        m_Chara.vecFlow.erase(m_Chara.vecFlow.begin() + index);
    m_vecFlow.erase(m_vecFlow.begin() + index);
    RelinkFlows();
}

int cActorBase::RemoveFlowsById(int id) {
    if (id == 0) {
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
        // The next flow moves into this place.
        RemoveFlow(i);
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

#include "flow/flow_runtime.h"

#include <cstdint>
#include <utility>

#include "base/message_box.h"
#include "data/command_record.h"
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
        ApplyFlowArranges(*m_pCmd, actor, flow);
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

    RunAtOnce(actor);
    // This instance may be gone now: the flow changes of items can take it away.
    RunQueuedFlowChanges(actor);
}

void FlowInstance::RunAtOnce(cActorBase& actor) {
    // Before the stage starts no time passes: the commands that may act in one step do so
    // now, the others are passed over, and the flow ends here. This may happen inside the
    // run of another flow (a flow operation), whose context must survive it.
    const CommandContextGuard outer;
    SetCommandContext(&actor, this, outer.OuterCommand());
    // A pass of its own: this instance, whose commands the loop walks, must stay in place.
    const FlowPassScope pass(actor);
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

#include "flow/flow_operation_command.h"

#include "data/command_record.h"
#include "flow/flow_instance.h"
#include "stage/actor.h"
#include "stage/game_scene.h"

namespace {

bool InSet(const FlowInstance& flow, const FlowInstance* running, int set, int id) {
    switch (set) {
        case kFlowSetThis:
            return &flow == running;
        case kFlowSetOthers:
            return &flow != running;
        case kFlowSetById:
            // ID 0 is "no ID": it names no flow.
            return flow.m_pFlow && flow.m_pFlow->nId != 0 && flow.m_pFlow->nId == id;
        default:
            return false;
    }
}

void Operate(cActorBase& actor, FlowInstance& flow, int op) {
    switch (op) {
        case kFlowOpStart:
            flow.Stop(actor);
            actor.RemoveFlowAnimes(flow.m_nKey);
            flow.Start(actor);
            break;
        case kFlowOpStop:
            flow.Stop(actor);
            actor.RemoveFlowAnimes(flow.m_nKey);
            break;
        case kFlowOpPause:
            flow.Pause();
            actor.PauseFlowAnimes(flow.m_nKey);
            break;
        case kFlowOpResume:
            flow.Resume();
            actor.ResumeFlowAnimes(flow.m_nKey);
            break;
        case kFlowOpDelete:
            // The pass's end removes it: the list must not change under the running flow.
            flow.m_bDeleteRequest = 1;
            actor.m_bFlowDeleted = 1;
            break;
        case kFlowOpHalt:
            flow.Halt(actor);
            actor.RemoveFlowAnimes(flow.m_nKey);
            break;
        default:
            return;
    }
    // The running flow's run of this tick ends after this command.
    if (op != kFlowOpResume) flow.m_bAbort = 1;
}

}  // namespace

void CmdFlow(cActorBase& actor, cCommandInstance& cmd) {
    if (!cmd.m_pCmd) return;
    const cEdCommand& def = *cmd.m_pCmd;
    const int op = def.vecParam[0];
    const int set = def.vecParam[1];
    const int id = def.vecParam[2];
    if (op < kFlowOpStart || op > kFlowOpHalt || set < kFlowSetThis || set > kFlowSetById) return;
    const FlowInstance* running = lpGame ? lpGame->m_pCurFlow : nullptr;
    // By index, the count read again: a stage-start flow started here runs at once, and its
    // commands may ask for flows to be added (they wait for the pass's end).
    for (int i = 0; i < static_cast<int>(actor.m_vecFlow.Size()); ++i) {
        FlowInstance& flow = actor.m_vecFlow[i];
        if (InSet(flow, running, set, id)) Operate(actor, flow, op);
    }
}

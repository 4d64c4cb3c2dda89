// フローの操作 (type 16): the running actor starts, stops, pauses, resumes, deletes or halts
// its own flows: the running one, every other one, or those of one flow ID.
#pragma once

class cActorBase;
class cCommandInstance;

// Operations (parameter 0) and the sets of flows they act on (parameter 1).
enum FlowOperation : int {
    kFlowOpStart = 0,
    kFlowOpStop = 1,
    kFlowOpPause = 2,
    kFlowOpResume = 3,
    kFlowOpDelete = 4,
    kFlowOpHalt = 5,
};
enum FlowOperationSet : int {
    kFlowSetThis = 0,
    kFlowSetOthers = 1,
    kFlowSetById = 2,
};

// The command-table entry of type 16. Every operation but resume also ends the running
// flow's run in this tick (its abort flag); an operation or a set out of range does nothing.
void CmdFlow(cActorBase& actor, cCommandInstance& cmd);

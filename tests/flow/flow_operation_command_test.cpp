// フローの操作: each operation on each set of flows (this one, every other, by ID), the
// restart of the running flow, a stage-start flow started from a running one, and the
// changes of the flow list that wait for the end of the running pass.
#include "flow/flow_operation_command.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_world.h"
#include "flow/flow_install.h"
#include "stage/actor_services.h"

namespace {

using namespace cmdtest;

constexpr int kIdA = 1;
constexpr int kIdB = 2;

cEdCommand FlowOp(int op, int set, int id = 0) {
    return Cmd(kFlowOp, {op, set, id});
}

class FlowOperation : public CommandWorld {
protected:
    void SetUp() override {
        CommandWorld::SetUp();
        chara_ = &AddChara(1, 100, 100);
        // Flow 0 (ID A) runs the operation; flows 1 and 2 (ID B) are the others; flow 3 has
        // no ID.
        Install(*chara_, {Flow(kFlowOnly, {Cmd(kWait, {}, 0, 1)}, kIdA),
                          Flow(kFlowOnly, {Cmd(kWait, {}, 0, 1)}, kIdB),
                          Flow(kFlowOnly, {Cmd(kWait, {}, 0, 1)}, kIdB),
                          Flow(kFlowOnly, {Cmd(kWait, {}, 0, 1)})});
        SetCommandContext(chara_, nullptr, nullptr);
        for (int i = 0; i < 4; ++i) {
            F(i).Start(*chara_);
            AnimeEntry entry;
            entry.m_nFlowKey = F(i).m_nKey;
            entry.m_nLength = 10;
            chara_->m_listAnime.push_back(entry);
        }
        lpGame->m_pCurFlow = &F(0);
    }
    FlowInstance& F(int i) { return chara_->m_vecFlow[i]; }
    // Runs the operation as flow 0's command.
    void Run(const cEdCommand& def) {
        cEdCommand copy = def;
        cCommandInstance ci;
        ci.m_pCmd = &copy;
        CmdFlow(*chara_, ci);
    }
    // Per flow: R running, P paused, H halted, D delete request, A abort, E its animation
    // entry (e paused), '.' idle; one field per flow, separated by spaces.
    std::string States() {
        std::string s;
        for (int i = 0; i < 4; ++i) {
            if (i) s += ' ';
            const FlowInstance& f = F(i);
            std::string one;
            if (f.m_bRunning) one += 'R';
            if (f.m_bPaused) one += 'P';
            if (f.m_bHalted) one += 'H';
            if (f.m_bDeleteRequest) one += 'D';
            if (f.m_bAbort) one += 'A';
            for (const AnimeEntry& e : chara_->m_listAnime)
                if (e.m_nFlowKey == f.m_nKey) one += e.m_bPaused ? 'e' : 'E';
            s += one.empty() ? "." : one;
        }
        return s;
    }

    cCharaActor* chara_ = nullptr;
};

TEST_F(FlowOperation, EachOperationOnEachSet) {
    struct Case {
        int op, set, id;
        const char* states;
    };
    const Case cases[] = {
        {kFlowOpStop, kFlowSetThis, 0, "A RE RE RE"},
        {kFlowOpStop, kFlowSetOthers, 0, "RE A A A"},
        {kFlowOpStop, kFlowSetById, kIdB, "RE A A RE"},
        {kFlowOpPause, kFlowSetById, kIdB, "RE RPAe RPAe RE"},
        {kFlowOpHalt, kFlowSetOthers, 0, "RE RHA RHA RHA"},
        {kFlowOpDelete, kFlowSetThis, 0, "RDAE RE RE RE"},
        {kFlowOpResume, kFlowSetById, kIdA, "RE RE RE RE"},
        // A restart drops the flow's animation entries and starts it from its first command.
        {kFlowOpStart, kFlowSetById, kIdB, "RE RA RA RE"},
        // ID 0 names no flow, not the flows without an ID.
        {kFlowOpStop, kFlowSetById, 0, "RE RE RE RE"},
        // Out of range: nothing at all, not even an abort.
        {6, kFlowSetOthers, 0, "RE RE RE RE"},
        {-1, kFlowSetOthers, 0, "RE RE RE RE"},
        {kFlowOpStop, 3, 0, "RE RE RE RE"},
    };
    for (const Case& c : cases) {
        TearDown();
        SetUp();
        Run(FlowOp(c.op, c.set, c.id));
        EXPECT_EQ(States(), c.states) << "op " << c.op << " set " << c.set << " id " << c.id;
        if (c.op == kFlowOpDelete) EXPECT_EQ(chara_->m_bFlowDeleted, 1);
    }
}

TEST_F(FlowOperation, ResumeUndoesAPauseAndSetsNoAbort) {
    Run(FlowOp(kFlowOpPause, kFlowSetOthers));
    for (int i = 1; i < 4; ++i) F(i).m_bAbort = 0;
    Run(FlowOp(kFlowOpResume, kFlowSetOthers));
    EXPECT_EQ(States(), "RE RE RE RE");
}

TEST_F(FlowOperation, RestartedFlowBeginsAgainFromItsFirstCommand) {
    F(1).m_nCurrent = 1;
    F(1).m_vecCmd[0].m_bDone = 1;
    Run(FlowOp(kFlowOpStart, kFlowSetById, kIdB));
    EXPECT_EQ(F(1).m_nCurrent, 0);
    EXPECT_EQ(F(1).m_vecCmd[0].m_bDone, 0);
    // A halted flow is not brought back.
    F(2).Halt(*chara_);
    F(2).Stop(*chara_);
    Run(FlowOp(kFlowOpStart, kFlowSetById, kIdB));
    EXPECT_EQ(F(2).m_bRunning, 0);
}

// The running flow restarted by its own command: that command counts as done in the new
// run, which goes on from the next command after its first; as the last command the
// restart ends the flow.
class FlowRestartsItself : public CommandWorld {
protected:
    void SetUp() override {
        CommandWorld::SetUp();
        chara_ = &AddChara(1, 100, 100);
    }
    int RunUntilStopped(int limit) {
        SetCommandContext(chara_, nullptr, nullptr);
        chara_->m_vecFlow[0].Start(*chara_);
        int ticks = 0;
        while (chara_->m_vecFlow[0].m_bRunning && ticks < limit) {
            EXPECT_EQ(chara_->RunFlows(0), 0);
            ++ticks;
        }
        return ticks;
    }
    cCharaActor* chara_ = nullptr;
};

TEST_F(FlowRestartsItself, TheRestartIsNotRunAgainAndTheCommandsAfterItWaitForTheNextTick) {
    Install(*chara_, {Flow(kFlowOnly, {Code("C1 = C1 + 1"), FlowOp(kFlowOpStart, kFlowSetThis),
                                       Code("C2 = C2 + 1")})});
    // C1, the restart, C1 again, C2: four ticks, then the flow ends.
    EXPECT_EQ(RunUntilStopped(20), 4);
    EXPECT_EQ(Progress.m_vecVariable[1], 2);
    EXPECT_EQ(Progress.m_vecVariable[2], 1);
}

TEST_F(FlowRestartsItself, AsTheLastCommandTheRestartEndsTheFlow) {
    Install(*chara_, {Flow(kFlowOnly, {Code("C1 = C1 + 1"), FlowOp(kFlowOpStart, kFlowSetThis)})});
    EXPECT_EQ(RunUntilStopped(20), 2);
    EXPECT_EQ(Progress.m_vecVariable[1], 1);
}

TEST_F(FlowRestartsItself, AStopEndsTheTickOfTheRunningFlowAtOnce) {
    Install(*chara_, {Flow(kFlowOnly, {Code("C1 = C1 + 1", 1), FlowOp(kFlowOpStop, kFlowSetThis, 0),
                                       Code("C2 = C2 + 1", 1)})});
    chara_->m_vecFlow[0].m_vecCmd[1].m_pCmd->bParallel = 1;
    EXPECT_EQ(RunUntilStopped(5), 1);
    EXPECT_EQ(Progress.m_vecVariable[1], 1);
    EXPECT_EQ(Progress.m_vecVariable[2], 0) << "the command after the stop ran";
}

TEST_F(FlowRestartsItself, StartingAStageStartFlowRunsItAtOnceAndKeepsTheContext) {
    Install(*chara_,
            {Flow(kFlowOnly, {FlowOp(kFlowOpStart, kFlowSetById, kIdB), Code("C2 = C2 + 1")}),
             Flow(kTriggerBeforeStart, {Code("C1 = C1 + 1", 1)}, kIdB)});
    SetCommandContext(chara_, nullptr, nullptr);
    FlowInstance& runner = chara_->m_vecFlow[0];
    runner.Start(*chara_);
    ASSERT_EQ(chara_->RunFlowInstances(0, 1), 0);
    EXPECT_EQ(Progress.m_vecVariable[1], 1) << "the stage-start flow did not run at once";
    EXPECT_EQ(chara_->m_vecFlow[1].m_bRunning, 0);
    // The pass still names its own actor; the next tick goes on with the runner's command.
    EXPECT_EQ(lpGame->m_pCurActor, chara_);
    ASSERT_EQ(chara_->RunFlowInstances(0, 1), 0);
    EXPECT_EQ(Progress.m_vecVariable[2], 1);
}

// --- Flows added and removed while the actor's pass runs. ---

TEST_F(FlowRestartsItself, ChangesOfTheFlowListWaitForTheEndOfThePass) {
    Install(*chara_, {Flow(kFlowOnly, {Cmd(kWait, {}, 0, 1)}, kIdA),
                      Flow(kFlowOnly, {Cmd(kWait, {}, 0, 1)}, kIdB)});
    SetCommandContext(chara_, nullptr, nullptr);
    chara_->m_vecFlow[0].Start(*chara_);
    FlowInstance* const first = &chara_->m_vecFlow[0];
    const cEdFlow* const firstDef = first->m_pFlow;
    {
        const FlowPassScope pass(*chara_);
        EXPECT_EQ(chara_->RemoveFlowsById(kIdA), 0);
        CheckedVector<cEdFlow> more;
        more.push_back(Flow(kFlowOnly, {Cmd(kWait, {}, 0, 1)}, 3));
        EXPECT_EQ(InstallFlows(*chara_, more, 1, 0), 1);
        // Nothing moved: the removed flow is only stopped and marked.
        ASSERT_EQ(chara_->m_vecFlow.Size(), 2u);
        EXPECT_EQ(&chara_->m_vecFlow[0], first);
        EXPECT_EQ(chara_->m_vecFlow[0].m_pFlow, firstDef);
        EXPECT_EQ(first->m_bRunning, 0);
        EXPECT_EQ(first->m_bDeleteRequest, 1);
        // A pass of the same actor nested in this one leaves the list alone too.
        chara_->FinishFlowPass();
        EXPECT_EQ(chara_->m_vecFlow.Size(), 2u);
    }
    chara_->FinishFlowPass();
    // A went; the inserted flow (ID 3) stands before B.
    ASSERT_EQ(chara_->m_vecFlow.Size(), 2u);
    std::vector<int> ids;
    for (int i = 0; i < 2; ++i) {
        const FlowInstance& f = chara_->m_vecFlow[i];
        EXPECT_EQ(f.m_nIndex, i);
        EXPECT_EQ(f.m_pFlow, &chara_->m_Chara.vecFlow[i]);
        ids.push_back(f.m_pFlow->nId);
    }
    EXPECT_EQ(ids, (std::vector<int>{3, kIdB}));
    EXPECT_TRUE(chara_->m_listPendingFlowChange.empty());
}

TEST_F(FlowRestartsItself, RemovingEveryFlowDuringThePassEmptiesTheListAtItsEnd) {
    Install(*chara_, {Flow(kFlowOnly, {Cmd(kWait, {}, 0, 1)}, kIdA),
                      Flow(kFlowOnly, {Cmd(kWait, {}, 0, 1)}, kIdB)});
    chara_->m_listAnime.push_back(AnimeEntry{});
    {
        const FlowPassScope pass(*chara_);
        EXPECT_EQ(chara_->RemoveFlowsById(0), 0);
        EXPECT_EQ(chara_->m_vecFlow.Size(), 2u);
        EXPECT_TRUE(chara_->m_listAnime.empty());
    }
    chara_->FinishFlowPass();
    EXPECT_EQ(chara_->m_vecFlow.Size(), 0u);
    EXPECT_EQ(chara_->m_Chara.vecFlow.Size(), 0u);
}

// A pass kept aside while another runs must not get back an actor that went meanwhile.
TEST_F(FlowRestartsItself, AKeptContextForgetsAnActorThatWent) {
    auto gone = std::make_unique<cCharaActor>();
    SetCommandContext(gone.get(), nullptr, nullptr);
    {
        const CommandContextGuard outer;
        SetCommandContext(chara_, nullptr, nullptr);
        {
            const CommandContextGuard inner;
            gone.reset();
        }
        EXPECT_EQ(lpGame->m_pCurActor, chara_);
    }
    EXPECT_EQ(lpGame->m_pCurActor, nullptr);
    EXPECT_EQ(lpGame->m_pCurFlow, nullptr);
}

}  // namespace

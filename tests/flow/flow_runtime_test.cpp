#include "flow/flow_runtime.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/input.h"
#include "data/database.h"
#include "data/move_shot_records.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "flow/flow_install.h"
#include "flow/flow_instance.h"
#include "flow/param_desc_table.h"
#include "scene/game_progress.h"
#include "stage/actor.h"
#include "stage/actor_services.h"
#include "stage/engine_globals.h"
#include "stage/game_scene.h"
#include "stage/hero_actor.h"
#include "stage/post_load_tables.h"

namespace {

constexpr int kWait = 1;       // a command that only takes its time
constexpr int kBlockHit = 9;   // a trigger raised by events, not every tick
constexpr int kFlowOnly = 19;  // started only by a flow operation

cEdCommand Cmd(int type, int tenths, int parallel = 0, int anime = 0) {
    cEdCommand cmd;
    cmd.nCmdKind = 0;
    cmd.nCmdType = static_cast<std::int8_t>(type);
    cmd.nTime = static_cast<std::int16_t>(tenths);
    cmd.bParallel = static_cast<std::int8_t>(parallel);
    cmd.nAnime = static_cast<std::int16_t>(anime);
    cmd.vecParam = {0, 0, 0, 0, 0};
    return cmd;
}

cEdFlow Flow(int trigger, std::initializer_list<cEdCommand> cmds, int group = 0, int id = 0) {
    cEdFlow flow;
    flow.nTrigger = static_cast<std::int8_t>(trigger);
    flow.nGroup = static_cast<std::int8_t>(group);
    flow.nId = static_cast<std::int8_t>(id);
    for (const cEdCommand& c : cmds) flow.vecCommand.push_back(c);
    return flow;
}

// Character variable 0 equals `value`.
cEdCondition VarIs(int value) {
    cEdCondition c;
    c.nKind = 3;
    c.nVarIndex = 0;
    c.nValue = value;
    c.nOp = 0;
    return c;
}

// Frames of `tenths` each, the key frame flag as given; the pattern numbers are the times × 10.
cEdAnime Anime(std::initializer_list<std::pair<int, int>> frames) {
    cEdAnime anime;
    anime.vecFrame.Clear();
    for (const auto& [time, key] : frames) {
        cEdAnimeFrame frame;
        frame.nPattern = time * 10;
        frame.nTime = static_cast<std::int16_t>(time);
        frame.bKeyFrame = static_cast<std::int8_t>(key);
        anime.vecFrame.push_back(frame);
    }
    return anime;
}

AnimeEntry Entry(int key, int length, int hold) {
    AnimeEntry e;
    e.m_nFlowKey = key;
    e.m_nLength = length;
    e.m_nHold = hold;
    return e;
}

// A character on a running game scene whose flows are installed from hand-made records.
// Animation 1 leads in for 2 + 3 tenths (30 frames) and locks from its third step on;
// animation 2 is one locked step.
class FlowRuntime : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        EdDatabase.vecAnime.Clear();
        EdDatabase.vecAnime.push_back(Anime({}));
        EdDatabase.vecAnime.push_back(Anime({{2, 0}, {3, 0}, {4, 1}, {5, 0}}));
        EdDatabase.vecAnime.push_back(Anime({{4, 1}}));
        BuildAnimePatternTable(AnimePatternTable);
        scene_ = std::make_unique<cGameScene>();
        lpGame = scene_.get();
        SetSpeed(10);

        for (auto* groups :
             {&actor.m_vecGroupBusy, &actor.m_vecGroupFreed, &actor.m_vecGroupStarted})
            groups->resize(kFlowGroupSlots, 0);
        actor.m_vecVar.resize(kCharaVarCount, 0);
        actor.m_nHp = 10;
        actor.m_nOperator = 1;
    }
    void TearDown() override {
        scene_.reset();
        ResetEngineGlobals();
    }

    void SetSpeed(int b) {
        EdStageWork.SetGameSpeed(b);
        b_ = b;
    }
    void Install(std::initializer_list<cEdFlow> flows) {
        actor.m_Chara.vecFlow.Clear();
        for (const cEdFlow& f : flows) actor.m_Chara.vecFlow.push_back(f);
        actor.m_listAnime.clear();
        ASSERT_EQ(InstallFlows(actor, actor.m_Chara.vecFlow, 0, -1),
                  static_cast<int>(flows.size()));
    }
    FlowInstance& F(int i) { return actor.m_vecFlow[i]; }
    cCommandInstance& C(int flow, int cmd) { return actor.m_vecFlow[flow].m_vecCmd[cmd]; }

    // One tick as the play frame makes it: the always-trigger, then the flow pass.
    void Tick() {
        actor.TriggerFlows(kTriggerAlways);
        ASSERT_EQ(actor.RunFlows(0), 0);
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i) Tick();
    }
    // One displayed frame; after each tick `trace` gets A, B (the running one of flows 0 and
    // 1) or '-'; frames are separated by '|'.
    void Frame(std::string& trace) {
        if (!trace.empty()) trace += '|';
        actor.ResetFlowFrameFlags();
        for (int t = 0; t < b_; ++t) {
            Tick();
            char c = '-';
            if (F(0).m_bRunning) c = 'A';
            if (actor.m_vecFlow.Size() > 1 && F(1).m_bRunning) c = c == 'A' ? '2' : 'B';
            trace += c;
        }
    }

    std::unique_ptr<cGameScene> scene_;
    cCharaActor actor;
    int b_ = 10;
};

// --- Running the commands of a flow. ---

TEST_F(FlowRuntime, ParallelCommandRunsBesideThePlainOnesAndRestartsAfterAStop) {
    for (int b : {1, 10}) {
        SetSpeed(b);
        // 30 b ticks parallel, then 12 b and 6 b ticks one after the other.
        Install({Flow(kFlowOnly, {Cmd(kWait, 5, 1), Cmd(kWait, 2), Cmd(kWait, 1)})});
        F(0).Start(actor);

        Tick();
        EXPECT_EQ(C(0, 0).m_nRemaining, 30 * b - 1) << b;
        EXPECT_EQ(C(0, 1).m_nRemaining, 12 * b - 1) << b;
        EXPECT_EQ(C(0, 2).m_nRemaining, 0) << b;
        EXPECT_EQ(F(0).m_nCurrent, 1) << b;

        Ticks(12 * b - 1);
        EXPECT_EQ(C(0, 1).m_bDone, 1) << b;
        EXPECT_EQ(C(0, 2).m_nRemaining, 0) << "the third waits for the next tick, b " << b;
        EXPECT_EQ(F(0).m_nCurrent, 2) << b;

        Tick();  // the third starts while the first goes on
        EXPECT_EQ(C(0, 2).m_nRemaining, 6 * b - 1) << b;
        EXPECT_EQ(C(0, 0).m_nRemaining, 30 * b - 12 * b - 1) << b;

        Ticks(6 * b - 2);
        EXPECT_EQ(F(0).m_bRunning, 1) << b;
        EXPECT_EQ(F(0).m_nTickCount, 18 * b - 1) << b;
        Tick();  // the last command ends the flow, the parallel one unfinished
        EXPECT_EQ(F(0).m_bRunning, 0) << b;
        EXPECT_EQ(C(0, 0).m_bDone, 0) << b;
        EXPECT_EQ(C(0, 0).m_nRemaining, 0) << b;
        EXPECT_EQ(C(0, 2).m_bDone, 1) << b;

        F(0).Start(actor);
        EXPECT_EQ(C(0, 2).m_bDone, 0) << b;
        Tick();
        EXPECT_EQ(C(0, 0).m_nRemaining, 30 * b - 1) << "from its beginning, b " << b;
        EXPECT_EQ(C(0, 1).m_nRemaining, 12 * b - 1) << b;
    }
}

TEST_F(FlowRuntime, CommandWithoutDurationRunsOnceAndEndsItsFlowInTheSameTick) {
    for (int duration : {0, -5}) {
        Install({Flow(kFlowOnly, {Cmd(kWait, 0)})});
        C(0, 0).m_nDuration = duration;
        C(0, 0).m_nTickCounter = 9;
        F(0).Start(actor);
        EXPECT_EQ(F(0).Update(actor), 1) << duration;
        // Stepped: started afresh, and the scene names it as the command being run.
        EXPECT_EQ(C(0, 0).m_nTickCounter, 0) << duration;
        EXPECT_EQ(lpGame->m_pCurCmd, &C(0, 0)) << duration;
        EXPECT_EQ(C(0, 0).m_nRemaining, 0) << duration;
        EXPECT_EQ(C(0, 0).m_bDone, 1) << duration;
        EXPECT_EQ(F(0).m_nTickCount, 0) << duration;
    }

    // Through the flow pass, from the top level of a frame (no context set): stopped in the
    // tick it ran, and the pass leaves no context behind.
    SetCommandContext(nullptr, nullptr, nullptr);
    Install({Flow(kFlowOnly, {Cmd(kWait, 0)})});
    F(0).Start(actor);
    Tick();
    EXPECT_EQ(F(0).m_bRunning, 0);
    EXPECT_EQ(lpGame->m_pCurFlow, nullptr);
    EXPECT_EQ(lpGame->m_pCurCmd, nullptr);

    // A parallel command of no time lets the next one start in the same tick.
    Install({Flow(kFlowOnly, {Cmd(kWait, 0, 1), Cmd(kWait, 0), Cmd(kWait, 0)})});
    F(0).Start(actor);
    EXPECT_EQ(F(0).Update(actor), 0);
    EXPECT_EQ(C(0, 0).m_bDone, 1);
    EXPECT_EQ(C(0, 1).m_bDone, 1);
    EXPECT_EQ(C(0, 2).m_bDone, 0);
    EXPECT_EQ(F(0).Update(actor), 1);
}

TEST_F(FlowRuntime, NestedPassesGiveTheOuterPassItsContextBack) {
    // A command of another actor's flow is running when this actor's death flows and
    // triggers run inside it: afterwards that command's context is the scene's again.
    cCharaActor outer;
    FlowInstance outerFlow;
    cCommandInstance outerCmd;
    Install({Flow(kFlowOnly, {Cmd(kWait, 5)})});
    F(0).Start(actor);
    for (int pass = 0; pass < 3; ++pass) {
        SetCommandContext(&outer, &outerFlow, &outerCmd);
        // A code kill the outer pass noticed must outlive the inner pass's fresh start.
        lpGame->m_bCodeKill = 1;
        if (pass == 0) actor.RunFlows(0);
        if (pass == 1) actor.RunFlows(1);
        if (pass == 2) actor.TriggerFlows(kTriggerAlways);
        EXPECT_EQ(lpGame->m_pCurActor, &outer) << pass;
        EXPECT_EQ(lpGame->m_pCurFlow, &outerFlow) << pass;
        EXPECT_EQ(lpGame->m_pCurCmd, &outerCmd) << pass;
        EXPECT_EQ(lpGame->m_bCodeKill, 1) << pass;
    }
    SetCommandContext(nullptr, nullptr, nullptr);
    lpGame->m_bCodeKill = 0;
    // At the top level each pass starts its own notice afresh.
    lpGame->m_bCodeKill = 1;
    actor.RunFlows(0);
    EXPECT_EQ(lpGame->m_bCodeKill, 0);
}

// The entries an arrange leaves wait for the next command of the flow that is not an arrange
// and are used up when that command starts, whatever its type; a flow that ends or stops
// first drops them. Each case leaves one entry in the tick its first command starts (as the
// arrange's own step does) and traces, per tick, the command due at its start, then '+'
// while entries still wait and '-' once they are used up, or '.' when the flow has ended
// without them.
TEST_F(FlowRuntime, ArrangesWaitForTheNextCommandThatIsNotOneAndGoWithAStop) {
    constexpr int kArrange = 38;
    struct Case {
        const char* name;
        std::vector<cEdCommand> cmds;
        int ticks;
        int stopAfter;  // stop the flow after this many ticks (0: never)
        const char* trace;
    };
    const Case cases[] = {
        {"the next command takes them",
         {Cmd(kArrange, 0), Cmd(kWait, 1), Cmd(kWait, 1)},
         3,
         0,
         "0+1-1-"},
        {"arranges in a row pass them on",
         {Cmd(kArrange, 0), Cmd(kArrange, 0), Cmd(kWait, 1)},
         3,
         0,
         "0+1+2-"},
        {"a parallel arrange hands them on in its own tick",
         {Cmd(kArrange, 0, 1), Cmd(kWait, 1)},
         2,
         0,
         "0-1-"},
        {"an arrange that ends the flow drops them", {Cmd(kArrange, 0)}, 1, 0, "0."},
        {"an arrange of some time keeps them while it lasts",
         {Cmd(kArrange, 1), Cmd(kWait, 1)},
         7,
         0,
         "0+0+0+0+0+0+1-"},
        {"a stop drops them", {Cmd(kArrange, 0), Cmd(kWait, 1)}, 1, 1, "0+."},
    };
    SetSpeed(1);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Install({Flow(kFlowOnly, {})});
        actor.m_Chara.vecFlow[0].vecCommand.Clear();
        for (const cEdCommand& cmd : c.cmds) actor.m_Chara.vecFlow[0].vecCommand.push_back(cmd);
        ASSERT_EQ(InstallFlows(actor, actor.m_Chara.vecFlow, 0, -1), 1);
        F(0).Start(actor);
        F(0).m_listPendingArrange.push_back(CheckedVector<std::int32_t>{2, 0, 1, 0, 0});
        std::string trace;
        for (int t = 1; t <= c.ticks; ++t) {
            trace += static_cast<char>('0' + F(0).m_nCurrent);
            Tick();
            if (F(0).m_bRunning)
                trace += F(0).m_listPendingArrange.empty() ? '-' : '+';
            else
                trace += F(0).m_listPendingArrange.empty() ? '.' : '!';
            if (t == c.stopAfter) {
                EXPECT_EQ(F(0).Stop(actor), 1);
                trace += F(0).m_listPendingArrange.empty() ? '.' : '!';
            }
        }
        EXPECT_EQ(trace, c.trace);
    }
}

TEST_F(FlowRuntime, ArrangesChangeTheNextCommandThatIsNotOneAndGoWithAStop) {
    // Two arranges of 画面の色を変更 R (type 33, index 0): + C1, then × 2; a wait between the
    // second colour command and its arrange-free start.
    constexpr int kScreenColour = 33;
    cEdCommand plus = Cmd(38, 0);
    plus.vecParam = {kScreenColour, 0, 1, 0, 1};
    cEdCommand twice = Cmd(38, 0);
    twice.vecParam = {kScreenColour, 0, 3, 0, 2};
    BuildParamDescTable();
    Progress.m_vecVariable[1] = 40;
    Progress.m_vecVariable[2] = 2;
    Install({Flow(kFlowOnly, {plus, twice, Cmd(kScreenColour, 1), Cmd(kScreenColour, 1)})});
    const cEdCommand& first = actor.m_Chara.vecFlow[0].vecCommand[2];
    const cEdCommand& second = actor.m_Chara.vecFlow[0].vecCommand[3];
    F(0).Start(actor);
    Ticks(2);  // both arranges run and wait; the arrange commands themselves keep them
    ASSERT_EQ(F(0).m_listPendingArrange.size(), 2u);
    EXPECT_EQ(first.vecParam[0], 0);
    Tick();  // the colour command starts: (0 + 40) × 2, in list order, and uses them up
    EXPECT_TRUE(F(0).m_listPendingArrange.empty());
    EXPECT_EQ(first.vecParam[0], 80);
    EXPECT_EQ(first.vecParam[1], 0);
    for (int i = 0; i < 100 && F(0).m_nCurrent != 3; ++i) Tick();
    ASSERT_EQ(F(0).m_nCurrent, 3);  // the next one starts without arranges
    EXPECT_EQ(second.vecParam[0], 0);
    EXPECT_EQ(first.vecParam[0], 80);

    F(0).m_listPendingArrange.push_back(CheckedVector<std::int32_t>{1, 0, 0, 0, 0});
    EXPECT_EQ(F(0).Stop(actor), 1);
    EXPECT_TRUE(F(0).m_listPendingArrange.empty());
}

TEST_F(FlowRuntime, PauseHoldsTheFlowWhereItIsAndHaltStopsItForGood) {
    Install({Flow(kFlowOnly, {Cmd(kWait, 1)}, 3)});
    F(0).Start(actor);
    Ticks(2);
    F(0).Pause();
    Ticks(5);
    EXPECT_EQ(F(0).m_nTickCount, 2);
    EXPECT_EQ(C(0, 0).m_nRemaining, 60 - 2);
    F(0).Resume();
    Tick();
    EXPECT_EQ(C(0, 0).m_nRemaining, 60 - 3);

    actor.m_vecGroupBusy[3] = 1;
    F(0).Halt(actor);
    EXPECT_EQ(F(0).m_bRunning, 1);
    EXPECT_EQ(C(0, 0).m_nRemaining, 0);
    EXPECT_EQ(actor.m_vecGroupFreed[3], 1);
    Ticks(3);
    EXPECT_EQ(F(0).m_nTickCount, 3);
    EXPECT_EQ(actor.m_vecGroupBusy[3], 0) << "the halt freed the group";

    // Halted while idle: neither a trigger nor a direct start brings it back.
    Install({Flow(kBlockHit, {Cmd(kWait, 1)})});
    F(0).Halt(actor);
    actor.ResetFlowFrameFlags();
    actor.TriggerFlows(kBlockHit);
    EXPECT_EQ(F(0).m_bRunning, 0);
    F(0).Start(actor);
    EXPECT_EQ(F(0).m_bRunning, 0);
    EXPECT_EQ(F(0).m_bStartedThisFrame, 0);
}

TEST_F(FlowRuntime, StopOfAnIdleFlowChangesNothing) {
    Install({Flow(kFlowOnly, {Cmd(kWait, 1)}, 2)});
    C(0, 0).m_nRemaining = 5;
    EXPECT_EQ(F(0).Stop(actor), 0);
    EXPECT_EQ(C(0, 0).m_nRemaining, 5);
    EXPECT_EQ(actor.m_vecGroupFreed[2], 0);
    EXPECT_EQ(actor.m_bGroupFreed, 0);
}

// --- Flows that run before the stage starts. ---

TEST_F(FlowRuntime, BeforeStartFlowRunsItsOneStepCommandsAtOnceAndEnds) {
    Install({Flow(kTriggerBeforeStart,
                  {Cmd(38, 0, 1), Cmd(kWait, 0, 1), Cmd(38, 0, 0), Cmd(38, 10, 1)})});
    for (int i = 0; i < 4; ++i) C(0, i).m_nTickCounter = 7;
    actor.ResetFlowFrameFlags();
    actor.TriggerFlows(kTriggerBeforeStart);

    struct {
        int cmd, stepped, done;
    } expected[] = {
        {0, 1, 1},  // a parallel command from type 16 on
        {1, 0, 0},  // an earlier type is passed over
        {2, 0, 0},  // so is one that is not parallel
        {3, 1, 1},  // one that would take time is taken as done all the same
    };
    for (const auto& e : expected) {
        EXPECT_EQ(C(0, e.cmd).m_nTickCounter == 0, e.stepped == 1) << e.cmd;
        EXPECT_EQ(C(0, e.cmd).m_bDone, e.done) << e.cmd;
        EXPECT_EQ(C(0, e.cmd).m_nRemaining, 0) << e.cmd;
    }
    EXPECT_EQ(F(0).m_bRunning, 0);
    EXPECT_EQ(F(0).m_bStartedThisFrame, 1);
    EXPECT_EQ(lpGame->m_pCurActor, nullptr);
    EXPECT_EQ(lpGame->m_pCurFlow, nullptr);
    EXPECT_EQ(lpGame->m_pCurCmd, nullptr);
}

TEST_F(FlowRuntime, BeforeStartFlowStartedInsideAnotherRunLeavesItsContext) {
    Install({Flow(kFlowOnly, {Cmd(kWait, 1)}), Flow(kTriggerBeforeStart, {Cmd(38, 0, 1)})});
    cCharaActor other;
    F(0).Start(actor);
    lpGame->m_pCurActor = &other;
    lpGame->m_pCurFlow = &F(0);
    lpGame->m_pCurCmd = &C(0, 0);
    F(1).Start(actor);
    EXPECT_EQ(C(1, 0).m_bDone, 1);
    EXPECT_EQ(F(1).m_bRunning, 0);
    EXPECT_EQ(lpGame->m_pCurActor, &other);
    EXPECT_EQ(lpGame->m_pCurFlow, &F(0));
    EXPECT_EQ(lpGame->m_pCurCmd, &C(0, 0));
}

// --- Groups and the per-frame guard. ---

TEST_F(FlowRuntime, GroupFreedMidFrameTakesItsNextAlwaysFlowOnlyInTheNextFrame) {
    // With the guard off only the started-this-frame rules hold a flow back.
    EdSystem.bCompat525 = 1;
    struct {
        const char* what;
        int b;
        int groupA, groupB;
        const char* trace;
    } cases[] = {
        {"group a, b 10", 10, 1, 1, "A---------|A---------|A---------"},
        {"group a, b 1", 1, 1, 1, "A|-|A|-|A|-"},
        // Without a group the other flow runs beside; the flow itself still waits.
        {"no group, b 10", 10, 0, 0, "2BBBBBBBBB|2BBBBBBBBB|2BBBBBBBBB"},
    };
    for (const auto& c : cases) {
        SetSpeed(c.b);
        // A takes two ticks, B all of them.
        Install({Flow(kTriggerAlways, {Cmd(kWait, 1)}, c.groupA),
                 Flow(kTriggerAlways, {Cmd(kWait, 1)}, c.groupB)});
        C(0, 0).m_nDuration = 2;
        C(1, 0).m_nDuration = 100000;
        std::string trace;
        for (int f = 0; f < (c.b == 1 ? 6 : 3); ++f) Frame(trace);
        EXPECT_EQ(trace, c.trace) << c.what;
    }

    // Only the always-trigger waits for a busy group.
    Install({Flow(kTriggerAlways, {Cmd(kWait, 1)}, 1), Flow(kBlockHit, {Cmd(kWait, 1)}, 1)});
    actor.ResetFlowFrameFlags();
    Tick();
    ASSERT_EQ(actor.m_vecGroupBusy[1], 1);
    actor.TriggerFlows(kBlockHit);
    EXPECT_EQ(F(1).m_bRunning, 1);
}

TEST_F(FlowRuntime, GuardLimitsTheTestsOfAFlowPerFrame) {
    struct {
        const char* what;
        int off, early;
        bool afterRunning;     // tested again after it stopped in the frame
        bool afterFailedTest;  // tested again after its conditions failed in the frame
    } cases[] = {
        {"late guard", 0, 0, true, false},
        {"early guard", 0, 1, false, false},
        {"guard off", 1, 0, true, true},
        {"guard off wins over early", 1, 1, true, true},
    };
    for (const auto& c : cases) {
        EdSystem.bCompat525 = c.off;
        EdSystem.bCompat744 = c.early;
        cEdFlow def = Flow(kBlockHit, {Cmd(kWait, 1)});
        def.vecCondition.push_back(VarIs(1));
        Install({def});

        actor.m_vecVar[0] = 1;
        actor.ResetFlowFrameFlags();
        actor.TriggerFlows(kBlockHit);
        ASSERT_EQ(F(0).m_bRunning, 1) << c.what;
        // Stopped in the frame it started: not again in that frame, whatever the guard.
        F(0).Stop(actor);
        actor.TriggerFlows(kBlockHit);
        EXPECT_EQ(F(0).m_bRunning, 0) << c.what;

        actor.ResetFlowFrameFlags();
        F(0).Start(actor);
        actor.ResetFlowFrameFlags();
        actor.TriggerFlows(kBlockHit);  // while it runs
        F(0).Stop(actor);
        actor.TriggerFlows(kBlockHit);
        EXPECT_EQ(F(0).m_bRunning == 1, c.afterRunning) << c.what;
        F(0).Stop(actor);

        actor.ResetFlowFrameFlags();
        actor.m_vecVar[0] = 0;
        actor.TriggerFlows(kBlockHit);
        actor.m_vecVar[0] = 1;
        actor.TriggerFlows(kBlockHit);
        EXPECT_EQ(F(0).m_bRunning == 1, c.afterFailedTest) << c.what;
    }
}

TEST_F(FlowRuntime, ConditionsHoldByListAndLatch) {
    struct {
        const char* what;
        bool hasCondition;
        int mode, defLatch, instLatch, var;
        bool holds;
        int latchAfter;
    } cases[] = {
        {"no conditions, OR", false, 1, 0, 0, 0, true, 0},
        {"holding sets the latch", true, 0, 0, 0, 1, true, 1},
        {"failing leaves it", true, 0, 1, 0, 0, false, 0},
        {"latched definition skips the test", true, 0, 1, 1, 0, true, 1},
        {"latch alone does not", true, 0, 0, 1, 0, false, 1},
    };
    for (const auto& c : cases) {
        cEdFlow def = Flow(kBlockHit, {Cmd(kWait, 1)});
        if (c.hasCondition) def.vecCondition.push_back(VarIs(1));
        def.nCondMode = static_cast<std::int8_t>(c.mode);
        def.bCondLatch = static_cast<std::int8_t>(c.defLatch);
        Install({def});
        F(0).m_bCondLatch = static_cast<std::uint8_t>(c.instLatch);
        actor.m_vecVar[0] = c.var;
        EXPECT_EQ(TestFlowConditions(F(0), actor), c.holds) << c.what;
        EXPECT_EQ(F(0).m_bCondLatch, c.latchAfter) << c.what;
    }

    // Through the trigger pass: once they held, a latched flow starts without them.
    cEdFlow def = Flow(kBlockHit, {Cmd(kWait, 0)});
    def.vecCondition.push_back(VarIs(1));
    def.bCondLatch = 1;
    Install({def});
    actor.m_vecVar[0] = 1;
    actor.ResetFlowFrameFlags();
    actor.TriggerFlows(kBlockHit);
    ASSERT_EQ(F(0).m_bRunning, 1);
    F(0).Stop(actor);
    actor.m_vecVar[0] = 0;
    actor.ResetFlowFrameFlags();
    actor.TriggerFlows(kBlockHit);
    EXPECT_EQ(F(0).m_bRunning, 1);
}

TEST_F(FlowRuntime, TriggerPassStartsOnlyIdleFlowsOfItsKind) {
    Install({Flow(kBlockHit, {Cmd(kWait, 1)}), Flow(kBlockHit + 1, {Cmd(kWait, 1)}),
             Flow(kBlockHit, {Cmd(kWait, 1)}), Flow(kBlockHit, {Cmd(kWait, 1)})});
    F(2).Start(actor);
    F(2).Pause();
    F(2).m_nTickCount = 4;
    F(3).Halt(actor);
    actor.ResetFlowFrameFlags();
    actor.TriggerFlows(kBlockHit);
    EXPECT_EQ(F(0).m_bRunning, 1);
    EXPECT_EQ(F(1).m_bRunning, 0);
    EXPECT_EQ(F(2).m_nTickCount, 4) << "a paused flow is not started again";
    EXPECT_EQ(F(3).m_bRunning, 0);
    EXPECT_EQ(lpGame->m_pCurActor, nullptr);
}

// The trigger pass captures player 1's direction when it starts a flow; 入力方向 moves of
// that run follow the capture after the key is let go, for the player's actor and for a
// computer one (which reads player 1's input too). The next run captures afresh.
TEST_F(FlowRuntime, InputDirectionMovesFollowTheDirectionHeldWhenTheFlowStarted) {
    SetSpeed(1);  // a command of one tenth takes 6 ticks; a speed of 10 is one dot a tick
    InputList = CheckedVector<cInput>(1);
    cInput& input = InputList[0];
    auto hold = [&input](std::uint16_t dir) {
        input.wDir = dir;
        input.LogKeyEvents();
    };
    cEdCommand move = Cmd(2, 1);
    cEdMove::Create(move.spMove);
    move.spMove->nDirection = 12;  // 入力方向
    move.spMove->nSpeed = 10;
    const double d = 1 / std::sqrt(2.0);

    cCharaActor chara;
    chara.Init(2, 1, 0, 0, nullptr, 0, 0, 0, 32, 32, 32, 32, 0, 1, 0);
    cHeroActor hero;
    cEdChara heroRecord;
    heroRecord.nControl = 0;
    heroRecord.nGiant = 1;
    heroRecord.nBlockCollision = 2;  // flies against blocks: diagonals are kept
    ASSERT_EQ(hero.Init(1, heroRecord, 0, 0), 0);
    struct Case {
        const char* name;
        cActorBase* actor;
        int op;
    };
    for (const Case& c : {Case{"player-operated", &hero, 0}, Case{"computer", &chara, 1}}) {
        SCOPED_TRACE(c.name);
        cActorBase& a = *c.actor;
        ASSERT_EQ(a.m_nOperator, c.op);
        ASSERT_EQ(a.m_bFlying, 1);
        for (auto* groups : {&a.m_vecGroupBusy, &a.m_vecGroupFreed, &a.m_vecGroupStarted})
            groups->resize(kFlowGroupSlots, 0);
        a.m_vecVar.resize(kCharaVarCount, 0);
        a.m_nHp = 10;
        a.m_Chara.vecFlow.Clear();
        a.m_Chara.vecFlow.push_back(Flow(kTriggerAlways, {move, move}));
        ASSERT_EQ(InstallFlows(a, a.m_Chara.vecFlow, 0, -1), 1);
        a.m_Chara.bFixedFacing = 0;
        a.m_bFacingRight = 0;
        auto tick = [&a] {
            a.TriggerFlows(kTriggerAlways);
            ASSERT_EQ(a.RunFlows(0), 0);
        };

        // Up-right held for the start, let go before the first command moves.
        hold(kDirUp | kDirRight);
        a.ResetFlowFrameFlags();
        a.TriggerFlows(kTriggerAlways);
        ASSERT_EQ(a.m_vecFlow[0].m_bRunning, 1);
        hold(0);
        ASSERT_EQ(a.RunFlows(0), 0);
        EXPECT_DOUBLE_EQ(a.m_dVX, d);
        EXPECT_DOUBLE_EQ(a.m_dVY, -d);
        EXPECT_EQ(a.m_bFacingRight, 1);
        // The second command starts after six ticks with nothing held: still up-right.
        for (int t = 0; t < 6; ++t) tick();
        ASSERT_EQ(a.m_vecFlow[0].m_nCurrent, 1);
        EXPECT_EQ(a.m_vecFlow[0].m_vecCmd[1].m_nRemaining, 5);
        EXPECT_DOUBLE_EQ(a.m_dVX, d);
        EXPECT_DOUBLE_EQ(a.m_dVY, -d);

        // The run ends; with nothing held the next one goes forward, facing right now.
        for (int t = 0; t < 5; ++t) tick();
        ASSERT_EQ(a.m_vecFlow[0].m_bRunning, 0);
        a.ResetFlowFrameFlags();
        tick();
        ASSERT_EQ(a.m_vecFlow[0].m_bRunning, 1);
        EXPECT_DOUBLE_EQ(a.m_dVX, 1);
        EXPECT_DOUBLE_EQ(a.m_dVY, 0);
    }
}

// --- Cues and animation entries. ---

TEST_F(FlowRuntime, CueStartsTheLeadInSoThatItEndsWhenItsCommandStarts) {
    for (int b : {1, 10}) {
        SetSpeed(b);
        // The second command starts at tick 60 b; the lead-in takes 30 b ticks.
        Install({Flow(kFlowOnly, {Cmd(kWait, 10), Cmd(kWait, 1, 0, 1)})});
        F(0).Start(actor);
        Ticks(30 * b);
        EXPECT_TRUE(actor.m_listAnime.empty()) << b;
        Tick();
        ASSERT_EQ(actor.m_listAnime.size(), 1u) << b;
        const AnimeEntry& e = *actor.m_listAnime.begin();
        EXPECT_EQ(e.m_nLength, 30) << b;
        EXPECT_EQ(e.m_nHold, 6) << b;
        EXPECT_EQ(e.m_nFlowKey, F(0).m_nKey) << b;
        Ticks(40 * b);
        EXPECT_EQ(actor.m_listAnime.size(), 1u) << "fires once, b " << b;
    }
}

TEST_F(FlowRuntime, FiredCueSkipsAndHoldsAsItsValuesSay) {
    struct {
        const char* what;
        FlowCue cue;
        int count;         // frame counter within the first step
        int lockedStep;    // the first locked step
        int lockedFrames;  // its frames after the cue
    } cases[] = {
        {"plain", {4, 1, 0, 30, 6, 1}, 0, 2, 24 + 5},
        {"skipped part", {4, 1, 7, 23, 6, 1}, 7, 2, 24 + 5},
        {"no hold flag", {4, 1, 0, 30, 6, 0}, 0, 2, 24},
        {"hold of one tick", {4, 1, 0, 30, 1, 1}, 0, 2, 24},
        {"hold of two ticks", {4, 1, 0, 30, 2, 1}, 0, 2, 25},
        {"locked from the first step", {4, 2, 0, 0, 12, 1}, 0, 0, 24 + 11},
    };
    for (const auto& c : cases) {
        Install({Flow(kFlowOnly, {Cmd(kWait, 1)})});
        F(0).Start(actor);
        F(0).m_nTickCount = 4;
        F(0).m_vecCue = {c.cue};
        actor.UpdateFlowCues();
        ASSERT_EQ(actor.m_listAnime.size(), 1u) << c.what;
        const AnimeEntry& e = *actor.m_listAnime.begin();
        EXPECT_EQ(e.m_bLimited, 1) << c.what;
        EXPECT_EQ(e.m_nLength, c.cue.nLength) << c.what;
        EXPECT_EQ(e.m_nHold, c.cue.nHold) << c.what;
        EXPECT_EQ(e.m_nFlowKey, F(0).m_nKey) << c.what;
        EXPECT_EQ(e.m_bPaused, 0) << c.what;
        EXPECT_EQ(e.m_Pattern.m_nSeq, 0) << c.what;
        EXPECT_EQ(e.m_Pattern.m_nStep, 0) << c.what;
        EXPECT_EQ(e.m_Pattern.m_nCount, c.count) << c.what;
        ASSERT_EQ(e.m_Pattern.m_vecSeq.Size(), 1u) << c.what;
        const ANIMSEQ& seq = e.m_Pattern.m_vecSeq[0];
        ASSERT_EQ(seq.Size(), AnimePatternTable[c.cue.nAnime].Size()) << c.what;
        for (int s = 0; s < static_cast<int>(seq.Size()); ++s) {
            const int frames = AnimePatternTable[c.cue.nAnime][s].nFrames;
            EXPECT_EQ(seq[s].nFrames, s == c.lockedStep ? c.lockedFrames : frames)
                << c.what << " step " << s;
        }
    }

    // Entries go to the front; a cue of another tick waits.
    Install({Flow(kFlowOnly, {Cmd(kWait, 1)})});
    F(0).Start(actor);
    F(0).m_vecCue = {{0, 1, 0, 30, 6, 1}, {0, 2, 0, 0, 6, 1}, {1, 1, 0, 30, 6, 1}};
    actor.UpdateFlowCues();
    ASSERT_EQ(actor.m_listAnime.size(), 2u);
    EXPECT_EQ(actor.m_listAnime.begin()->m_Pattern.m_vecSeq[0].Size(), 2u);  // animation 2
}

TEST_F(FlowRuntime, PausedFlowFiresNoCueAndPassedCuesNeverFire) {
    Install({Flow(kFlowOnly, {Cmd(kWait, 10)})});
    F(0).Start(actor);
    // Animation 1 at tick 2, animation 2 at tick 5.
    F(0).m_vecCue = {{2, 1, 0, 3, 0, 1}, {5, 2, 0, 3, 0, 1}};
    Ticks(5);  // tick counts 0..4
    ASSERT_EQ(actor.m_listAnime.size(), 1u);
    ASSERT_EQ(F(0).m_nTickCount, 5);

    F(0).Pause();  // the second cue is due
    Ticks(4);
    EXPECT_EQ(actor.m_listAnime.size(), 1u);
    F(0).Resume();
    Tick();
    ASSERT_EQ(actor.m_listAnime.size(), 2u);
    EXPECT_EQ(actor.m_listAnime.begin()->m_Pattern.m_vecSeq[0].Size(), 2u);
    Ticks(20);
    EXPECT_EQ(actor.m_listAnime.size(), 2u);

    // Halted, its tick count stands still: its due cue does not fire over and over.
    F(0).m_vecCue = {{F(0).m_nTickCount, 1, 0, 3, 0, 1}};
    F(0).Halt(actor);
    Ticks(3);
    EXPECT_EQ(actor.m_listAnime.size(), 2u);
}

TEST_F(FlowRuntime, PauseErasesEntriesWithNothingLeftAndPausesTheOthersOfItsFlow) {
    struct {
        int key, length, hold;
        bool kept;
        int paused;
    } entries[] = {
        {1, 0, 0, false, 0},  // the animation command's kind
        {1, 0, 1, true, 1},   // 0 + 1 − 1 is not below 0
        {1, 1, 0, true, 1},  {1, -5, 3, false, 0},
        {1, 30, 6, true, 1}, {2, 0, 0, true, 0},  // another flow's
    };
    for (const auto& e : entries) actor.m_listAnime.push_back(Entry(e.key, e.length, e.hold));
    actor.PauseFlowAnimes(1);

    auto it = actor.m_listAnime.begin();
    for (const auto& e : entries) {
        if (!e.kept) continue;
        ASSERT_NE(it, actor.m_listAnime.end());
        EXPECT_EQ(it->m_nFlowKey, e.key);
        EXPECT_EQ(it->m_nLength, e.length);
        EXPECT_EQ(it->m_bPaused, e.paused) << e.key << " " << e.length << " " << e.hold;
        ++it;
    }
    EXPECT_EQ(it, actor.m_listAnime.end());

    actor.m_listAnime.begin()->m_bPaused = 1;
    actor.m_listAnime.push_back(Entry(2, 5, 0));
    std::prev(actor.m_listAnime.end())->m_bPaused = 1;
    actor.ResumeFlowAnimes(1);
    for (const AnimeEntry& e : actor.m_listAnime) {
        const bool pausedBefore = e.m_nFlowKey == 2 && e.m_nLength == 5;
        EXPECT_EQ(e.m_bPaused, pausedBefore ? 1 : 0) << e.m_nFlowKey << " " << e.m_nLength;
    }

    actor.RemoveFlowAnimes(1);
    for (const AnimeEntry& e : actor.m_listAnime) EXPECT_EQ(e.m_nFlowKey, 2);
    EXPECT_EQ(actor.m_listAnime.size(), 2u);
}

// --- Removing flows. ---

TEST_F(FlowRuntime, RemovingFlowsByIdStopsThemAndDropsTheirDefinitionsAndAnimations) {
    Install({Flow(kFlowOnly, {Cmd(kWait, 1)}, 4, 1), Flow(kFlowOnly, {Cmd(kWait, 1)}, 0, 2),
             Flow(kFlowOnly, {Cmd(kWait, 1)}, 0, 1), Flow(kFlowOnly, {Cmd(kWait, 2)}, 0, 2)});
    F(0).Start(actor);
    const int keyOf[] = {F(0).m_nKey, F(1).m_nKey, F(2).m_nKey, F(3).m_nKey};
    for (int k : keyOf) actor.m_listAnime.push_back(Entry(k, 10, 0));

    EXPECT_EQ(actor.RemoveFlowsById(7), -1);
    EXPECT_EQ(actor.m_vecFlow.Size(), 4u);
    EXPECT_EQ(actor.m_listAnime.size(), 4u);

    EXPECT_EQ(actor.RemoveFlowsById(1), 0);
    ASSERT_EQ(actor.m_vecFlow.Size(), 2u);
    ASSERT_EQ(actor.m_Chara.vecFlow.Size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(F(i).m_nIndex, i);
        EXPECT_EQ(F(i).m_pFlow, &actor.m_Chara.vecFlow[i]);
        EXPECT_EQ(F(i).m_pFlow->nId, 2);
        EXPECT_EQ(C(i, 0).m_pCmd, &actor.m_Chara.vecFlow[i].vecCommand[0]);
    }
    EXPECT_EQ(F(0).m_nKey, keyOf[1]);
    EXPECT_EQ(F(1).m_nKey, keyOf[3]);
    EXPECT_EQ(actor.m_vecGroupFreed[4], 1) << "the running one let go of its group";
    ASSERT_EQ(actor.m_listAnime.size(), 2u);
    EXPECT_EQ(actor.m_listAnime.begin()->m_nFlowKey, keyOf[1]);
    EXPECT_EQ(std::prev(actor.m_listAnime.end())->m_nFlowKey, keyOf[3]);

    EXPECT_EQ(actor.RemoveFlowsById(2), 0);
    EXPECT_TRUE(actor.m_vecFlow.empty());

    // ID 0: every flow, and every animation entry, a flow's or not.
    Install({Flow(kFlowOnly, {Cmd(kWait, 1)}, 0, 1), Flow(kFlowOnly, {Cmd(kWait, 1)}, 0, 2)});
    actor.m_listAnime.push_back(Entry(99, 10, 0));
    EXPECT_EQ(actor.RemoveFlowsById(0), 0);
    EXPECT_TRUE(actor.m_vecFlow.empty());
    EXPECT_TRUE(actor.m_Chara.vecFlow.empty());
    EXPECT_TRUE(actor.m_listAnime.empty());
}

TEST_F(FlowRuntime, FlowAskedToBeDeletedGoesAtTheEndOfTheFlowPass) {
    Install({Flow(kFlowOnly, {Cmd(kWait, 1)}, 0, 1), Flow(kFlowOnly, {Cmd(kWait, 1)}, 0, 2),
             Flow(kFlowOnly, {Cmd(kWait, 1)}, 0, 3)});
    F(0).Start(actor);
    F(1).Start(actor);
    F(0).m_bDeleteRequest = 1;
    F(1).m_bDeleteRequest = 1;
    actor.m_bFlowDeleted = 1;
    Tick();
    ASSERT_EQ(actor.m_vecFlow.Size(), 1u);
    EXPECT_EQ(F(0).m_pFlow->nId, 3);
    EXPECT_EQ(actor.m_bFlowDeleted, 0);
}

}  // namespace

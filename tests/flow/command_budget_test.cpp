// The stage's account of installed commands: the weight of a command, the unrolling that
// weighs its result before it copies a command, the charges that objects hold on the
// account, and the flow installation that charges an actor.
#include "flow/command_budget.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "flow/flow_install.h"
#include "stage/actor.h"
#include "stage/engine_globals.h"

namespace {

constexpr int kLoopType = 39;

cEdCommand Plain(std::string text = {}) {
    cEdCommand cmd;
    cmd.nCmdType = 1;
    cmd.strText = std::move(text);
    return cmd;
}

cEdCommand Loop(int repeat, int following) {
    cEdCommand cmd;
    cmd.nCmdType = kLoopType;
    cmd.vecParam = {repeat, following};
    return cmd;
}

CheckedVector<cEdCommand> List(std::initializer_list<cEdCommand> cmds) {
    CheckedVector<cEdCommand> list;
    for (const cEdCommand& c : cmds) list.push_back(c);
    return list;
}

std::int64_t Weigh(const CheckedVector<cEdCommand>& list) {
    std::int64_t bytes = 0;
    for (const cEdCommand& c : list) bytes += InstalledCommandBytes(c);
    return bytes;
}

class CommandBudget : public ::testing::Test {
protected:
    void SetUp() override { ResetEngineGlobals(); }
    void TearDown() override { ResetEngineGlobals(); }
};

TEST_F(CommandBudget, CommandWeighsItsRecordsParametersTextAndNestedFlows) {
    const cEdCommand plain = Plain();
    const std::int64_t base = InstalledCommandBytes(plain);
    EXPECT_GE(base, static_cast<std::int64_t>(sizeof(cEdCommand)));

    cEdCommand params = plain;
    params.vecParam.resize(100, 0);
    cEdCommand text = Plain(std::string(5000, 'x'));
    cEdCommand moving = plain;
    cEdMove::Create(moving.spMove);
    cEdCommand shooting = plain;
    cEdShot::Create(shooting.spShot);
    cEdCommand nesting = plain;
    cEdFlow inner;
    for (int i = 0; i < 10; ++i) inner.vecCommand.push_back(text);
    nesting.vecFlow.push_back(inner);

    struct Case {
        const char* what;
        const cEdCommand& cmd;
        std::int64_t atLeast;
    } cases[] = {
        {"parameters", params, 400},
        {"text", text, 5000},
        {"move record", moving, static_cast<std::int64_t>(sizeof(cEdMove))},
        {"shot record", shooting, static_cast<std::int64_t>(sizeof(cEdShot))},
        {"nested flow of ten texts", nesting, 50000},
    };
    for (const Case& c : cases) EXPECT_GE(InstalledCommandBytes(c.cmd) - base, c.atLeast) << c.what;
}

TEST_F(CommandBudget, UnrollingWithinTheRoomWeighsTheResult) {
    struct Case {
        const char* what;
        CheckedVector<cEdCommand> list;
        std::int64_t roomCommands;
        std::int64_t roomBytesOver;  // the room's bytes beyond the result's weight
        bool fits;
        std::int64_t commands;
    } cases[] = {
        {"no loop, room enough", List({Plain(), Plain()}), 2, 0, true, 2},
        {"no loop, one command too many", List({Plain(), Plain()}), 1, 0, false, 2},
        {"no loop, one byte short", List({Plain(), Plain()}), 2, -1, false, 2},
        {"loop at the room's count", List({Plain(), Loop(4, 1), Plain()}), 5, 0, true, 5},
        {"loop one beyond", List({Plain(), Loop(4, 1), Plain()}), 4, 0, false, 5},
        {"loop a byte beyond", List({Loop(4, 1), Plain("abc")}), 4, -1, false, 4},
        {"loop of 2^20 in a room of 2^20 - 1", List({Loop(1 << 20, 1), Plain()}), (1 << 20) - 1, 0,
         false, 1 << 20},
    };
    for (Case& c : cases) {
        // The weight of the full result, from the list unrolled without a room.
        CheckedVector<cEdCommand> unrolled = c.list;
        ASSERT_EQ(UnrollAllLoops(unrolled), 0) << c.what;
        ASSERT_EQ(static_cast<std::int64_t>(unrolled.Size()), c.commands) << c.what;
        const std::int64_t bytes = Weigh(unrolled);

        const CommandWeight room{c.roomCommands, bytes + c.roomBytesOver};
        CommandWeight used{-1, -1};
        CheckedVector<cEdCommand> list = c.list;
        const int result = UnrollAllLoops(list, kMaxUnrollWork, &room, &used);
        if (c.fits) {
            EXPECT_EQ(result, 0) << c.what;
            EXPECT_EQ(used.nCommands, c.commands) << c.what;
            EXPECT_EQ(used.nBytes, bytes) << c.what;
            EXPECT_EQ(list.Size(), unrolled.Size()) << c.what;
        } else {
            EXPECT_EQ(result, kUnrollFailed) << c.what;
            EXPECT_EQ(list.Size(), c.list.Size()) << c.what << ": the list changed";
            EXPECT_EQ(used.nCommands, -1) << c.what;
        }
    }
}

TEST_F(CommandBudget, ChargesComeBackWhenTheirHoldersGoAndOldAccountsStayOut) {
    const CommandWeight start = StageCommandRoom();
    EXPECT_EQ(start.nCommands, kMaxStageCommands);
    EXPECT_EQ(start.nBytes, kMaxStageCommandBytes);
    {
        CommandCharge a;
        ASSERT_TRUE(a.Take({100, 1000}));
        EXPECT_FALSE(a.Take({kMaxStageCommands - 99, 0}));  // one beyond: refused whole
        EXPECT_FALSE(a.Take({0, kMaxStageCommandBytes - 999}));
        EXPECT_EQ(StageCommandsCharged().nCommands, 100);
        {
            CommandCharge copy = a;  // a copy holds copies of the commands
            EXPECT_EQ(StageCommandsCharged().nCommands, 200);
            EXPECT_EQ(StageCommandsCharged().nBytes, 2000);
        }
        EXPECT_EQ(StageCommandsCharged().nCommands, 100);
        CommandCharge other;
        ASSERT_TRUE(other.Take({kMaxStageCommands - 100, 0}));
        EXPECT_FALSE(other.Take({1, 0}));
        other.Release();
        EXPECT_EQ(StageCommandsCharged().nCommands, 100);

        // A new stage: what the former one charged neither counts nor comes back.
        ResetStageCommandBudget();
        EXPECT_EQ(StageCommandsCharged().nCommands, 0);
        CommandCharge fresh;
        ASSERT_TRUE(fresh.Take({7, 70}));
        CommandCharge oldCopy = a;
        EXPECT_EQ(StageCommandsCharged().nCommands, 7);
        ASSERT_TRUE(a.Take({3, 30}));  // starts over in the new account
        EXPECT_EQ(a.Held().nCommands, 3);
        EXPECT_EQ(StageCommandsCharged().nCommands, 10);
    }
    EXPECT_EQ(StageCommandsCharged().nCommands, 0);
    EXPECT_EQ(StageCommandsCharged().nBytes, 0);
}

class CommandBudgetInstall : public CommandBudget {
protected:
    static CheckedVector<cEdFlow> Flows(std::initializer_list<cEdCommand> cmds) {
        cEdFlow flow;
        for (const cEdCommand& c : cmds) flow.vecCommand.push_back(c);
        CheckedVector<cEdFlow> flows;
        flows.push_back(flow);
        return flows;
    }
    cCharaActor m_actor;
};

TEST_F(CommandBudgetInstall, ActorHoldsItsCommandsAndReplacingGivesTheFormerBack) {
    CheckedVector<cEdFlow> flows = Flows({Loop(10, 1), Plain()});
    ASSERT_EQ(InstallFlows(m_actor, flows, 0, -1), 1);
    EXPECT_EQ(m_actor.m_CommandCharge.Held().nCommands, 10);
    EXPECT_EQ(m_actor.m_CommandCharge.Held().nBytes, 10 * InstalledCommandBytes(Plain()));
    EXPECT_EQ(StageCommandsCharged().nCommands, 10);

    CheckedVector<cEdFlow> added = Flows({Plain(), Plain()});
    ASSERT_EQ(InstallFlows(m_actor, added, 1, -1), 1);
    EXPECT_EQ(StageCommandsCharged().nCommands, 12);

    CheckedVector<cEdFlow> replacing = Flows({Plain()});
    ASSERT_EQ(InstallFlows(m_actor, replacing, 0, -1), 1);
    EXPECT_EQ(StageCommandsCharged().nCommands, 1);
}

TEST_F(CommandBudgetInstall, InstallBeyondTheStagesRoomFailsAndLeavesTheActorAlone) {
    CheckedVector<cEdFlow> own = Flows({Plain()});
    ASSERT_EQ(InstallFlows(m_actor, own, 0, -1), 1);
    // Others on the stage hold all but three commands.
    CommandCharge others;
    ASSERT_TRUE(others.Take({kMaxStageCommands - 4, 0}));

    CheckedVector<cEdFlow> four = Flows({Loop(4, 1), Plain()});
    EXPECT_EQ(InstallFlows(m_actor, four, 1, -1), kInstallFailed);
    EXPECT_EQ(m_actor.m_vecFlow.Size(), 1u);
    EXPECT_EQ(m_actor.m_Chara.vecFlow.Size(), 1u);
    EXPECT_EQ(StageCommandsCharged().nCommands, kMaxStageCommands - 3);

    // Replacing its own flow, the actor has that command's room as well: four fit.
    CheckedVector<cEdFlow> replacing = Flows({Loop(4, 1), Plain()});
    ASSERT_EQ(InstallFlows(m_actor, replacing, 0, -1), 1);
    EXPECT_EQ(StageCommandsCharged().nCommands, kMaxStageCommands);
    // Five do not, and the actor keeps what it had.
    CheckedVector<cEdFlow> five = Flows({Loop(5, 1), Plain()});
    EXPECT_EQ(InstallFlows(m_actor, five, 0, -1), kInstallFailed);
    EXPECT_EQ(m_actor.m_CommandCharge.Held().nCommands, 4);
    EXPECT_EQ(m_actor.m_vecFlow[0].m_vecCmd.Size(), 4u);
}

}  // namespace

#include "flow/flow_install.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <vector>

#include "base/globals.h"
#include "data/database.h"
#include "data/stage_record.h"
#include "flow/flow_instance.h"
#include "platform/messages.h"
#include "platform/time_units.h"
#include "stage/actor.h"
#include "stage/engine_globals.h"
#include "support/cpu_clock.h"

namespace {

// --- Command lists written as text: a letter is a plain command named by it, "L(r,h)" a
// loop, "I(r,h)" an item loop, "i" an item command that shares the loop's number with
// another kind. ---

cEdCommand Plain(const std::string& name, int kind = 0, int type = 1) {
    cEdCommand cmd;
    cmd.nCmdKind = static_cast<std::int8_t>(kind);
    cmd.nCmdType = static_cast<std::int8_t>(type);
    cmd.strText = name;
    return cmd;
}

cEdCommand Loop(int repeat, int following, int kind = 0) {
    cEdCommand cmd;
    cmd.nCmdKind = static_cast<std::int8_t>(kind);
    cmd.nCmdType = static_cast<std::int8_t>(kind == 0 ? 39 : 24);
    cmd.vecParam = {repeat, following};
    cmd.strText = "loop";
    return cmd;
}

CheckedVector<cEdCommand> List(std::initializer_list<cEdCommand> cmds) {
    CheckedVector<cEdCommand> list;
    for (const cEdCommand& c : cmds) list.push_back(c);
    return list;
}

// The names in order; a loop left in the list shows as "*".
std::string Names(const CheckedVector<cEdCommand>& list) {
    std::string out;
    for (const cEdCommand& c : list) out += IsLoopCommand(c) ? std::string("*") : c.strText;
    return out;
}

// Every command's saved bytes, in order: equal lists hold equal commands.
std::vector<std::vector<std::uint8_t>> Bytes(CheckedVector<cEdCommand> list) {
    std::vector<std::vector<std::uint8_t>> out;
    for (cEdCommand& c : list) out.push_back(c.SaveToBytes());
    return out;
}

const cEdCommand P = Plain("P");
const cEdCommand Q = Plain("Q");
const cEdCommand R = Plain("R");
const cEdCommand S = Plain("S");
const cEdCommand X = Plain("X");

struct UnrollCase {
    const char* what;
    CheckedVector<cEdCommand> list;
    const char* expected;
};

std::vector<UnrollCase> UnrollCases() {
    return {
        {"count 3 over two", List({P, Loop(3, 2), Q, R, S}), "PQRQRQRS"},
        {"count 0 runs the block once", List({P, Loop(0, 2), Q, R, S}), "PQRS"},
        {"count 1 runs the block once", List({P, Loop(1, 2), Q, R, S}), "PQRS"},
        {"negative count", List({P, Loop(-4, 2), Q, R}), "PQR"},
        {"negative block", List({P, Loop(3, -2), Q, R}), "PQR"},
        {"block beyond the end", List({P, Loop(3, 5), Q, R}), "PQRQRQR"},
        {"loop as the last command", List({P, Q, Loop(3, 2)}), "PQ"},
        {"only a loop", List({Loop(5, 5)}), ""},
        {"nested 2 x 3", List({Loop(2, 2), Loop(3, 1), X, S}), "XXXXXXS"},
        {"nested block in the middle", List({Loop(2, 3), P, Loop(2, 1), Q, R}), "PQQPQQR"},
        // The inner loop of the first copy repeats the start of the second copy.
        {"inner block reaching into the next copy", List({Loop(2, 2), X, Loop(3, 1)}), "XXXX"},
        {"two loops in a row", List({Loop(2, 1), P, Loop(3, 1), Q}), "PPQQQ"},
        {"item loop", List({Plain("P", 1, 3), Loop(2, 1, 1), Plain("Q", 1, 3)}), "PQQ"},
        // Character type 24 and item type 39 are other commands.
        {"not loops", List({Plain("V", 0, 24), Plain("W", 1, 39)}), "VW"},
    };
}

TEST(FlowUnroll, FirstLoopAgainAndAgainWritesOutEveryLoop) {
    for (UnrollCase& c : UnrollCases()) {
        int rounds = 0;
        while (UnrollFirstLoop(c.list) == 1) ASSERT_LT(++rounds, 100) << c.what;
        EXPECT_EQ(Names(c.list), c.expected) << c.what;
    }
}

TEST(FlowUnroll, AllLoopsAtOnceGivesTheSameList) {
    for (UnrollCase& c : UnrollCases()) {
        EXPECT_EQ(UnrollAllLoops(c.list), 0) << c.what;
        EXPECT_EQ(Names(c.list), c.expected) << c.what;
    }
}

TEST(FlowUnroll, FirstLoopUnrollsOnlyTheFirst) {
    CheckedVector<cEdCommand> list = List({P, Loop(2, 1), Q, Loop(2, 1), R});
    EXPECT_EQ(UnrollFirstLoop(list), 1);
    EXPECT_EQ(Names(list), "PQQ*R");
    EXPECT_EQ(UnrollFirstLoop(list), 1);
    EXPECT_EQ(Names(list), "PQQRR");
    EXPECT_EQ(UnrollFirstLoop(list), 0);
}

TEST(FlowUnroll, CopiesAreWholeCommands) {
    cEdCommand q = Plain("Q");
    q.vecParam = {7, 8};
    q.nTime = 12;
    CheckedVector<cEdCommand> list = List({Loop(3, 1), q});
    ASSERT_EQ(UnrollAllLoops(list), 0);
    ASSERT_EQ(list.Size(), 3u);
    for (cEdCommand& c : list) EXPECT_EQ(c.SaveToBytes(), q.SaveToBytes());
}

TEST(FlowUnroll, CountAfterOneLoopInSixtyFourBits) {
    struct {
        std::int64_t n, at, repeat, following, expected;
    } cases[] = {
        {5, 1, 3, 2, 8}, {5, 1, 1, 2, 4},
        {4, 1, 3, 5, 7},  // only the two that follow repeat
        {3, 2, 3, 2, 2}, {3, 0, 2147483647, 2, 2 + 2147483646LL * 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UnrolledCount(c.n, c.at, c.repeat, c.following), c.expected) << c.n;
}

// A list beyond 2^24 commands is a failed allocation: reported, nothing built.
TEST(FlowUnroll, TooLargeFails) {
    const int limit = 1 << 24;
    struct {
        const char* what;
        CheckedVector<cEdCommand> list;
    } cases[] = {
        {"one over the limit", List({P, Loop(limit + 1, 1), Q})},
        {"largest counts", List({Loop(2147483647, 2147483647), P, Q})},
        {"grows in a repeated block", List({Loop(2, 2), Loop(limit, 1), P, Q})},
    };
    for (auto& c : cases) {
        CheckedVector<cEdCommand> first = c.list;
        EXPECT_EQ(UnrollAllLoops(c.list), kUnrollFailed) << c.what;
        EXPECT_EQ(Bytes(c.list), Bytes(first)) << c.what << ": the list is unchanged";
        int result = 1;
        for (int rounds = 0; rounds < 10 && result == 1; ++rounds) result = UnrollFirstLoop(first);
        EXPECT_EQ(result, kUnrollFailed) << c.what;
    }
    CheckedVector<cEdCommand> list = List({P, Loop(limit + 1, 1), Q});
    EXPECT_EQ(UnrollFirstLoop(list), kUnrollFailed);
    EXPECT_EQ(Names(list), "P*Q");
}

// A loop that repeats the loop behind it in place never ends when written out: the work
// limit ends it as a failure.
TEST(FlowUnroll, EndlessLoopsFail) {
    CheckedVector<cEdCommand> list = List({Loop(2, 1), Loop(2, 1), P});
    const auto before = Bytes(list);
    EXPECT_EQ(UnrollAllLoops(list, 1000), kUnrollFailed);
    EXPECT_EQ(Bytes(list), before);
}

// Under the default limits the work on large commands stays small: the commands are not
// copied while the loops are worked out, only into the finished list.
TEST(FlowUnroll, EndlessLoopsOfLargeCommandsFailQuickly) {
    cEdCommand heavy = Loop(2, 1);
    heavy.vecParam.resize(10000, 5);
    struct {
        const char* what;
        CheckedVector<cEdCommand> list;
    } cases[] = {
        {"loop repeating itself", List({heavy, heavy, X})},
        {"block of two loops", List({Loop(2, 2), heavy, heavy, X})},
    };
    for (auto& c : cases) {
        const auto before = Bytes(c.list);
        const auto start = testsupport::ThreadCpuTime();
        EXPECT_EQ(UnrollAllLoops(c.list), kUnrollFailed) << c.what;
        const auto took = testsupport::ThreadCpuTime() - start;
        EXPECT_LT(took, std::chrono::milliseconds(1000) * testsupport::kSanitizerSlowdown)
            << c.what;
        EXPECT_EQ(Bytes(c.list), before) << c.what;
    }
}

// Random short lists: unrolling all loops at once gives the list that unrolling the first
// loop again and again gives, or both fail to end within the bounds.
TEST(FlowUnroll, AllLoopsAtOnceMatchesFirstLoopRepeatedOnRandomLists) {
    std::mt19937 gen(1);
    int compared = 0;
    for (int round = 0; round < 20000; ++round) {
        CheckedVector<cEdCommand> list;
        const int n = 1 + static_cast<int>(gen() % 7);
        for (int i = 0; i < n; ++i) {
            if (gen() % 2) {
                const int kind = static_cast<int>(gen() % 2);
                const int repeat = static_cast<int>(gen() % 5) - 1;
                const int following = static_cast<int>(gen() % 6) - 1;
                list.push_back(Loop(repeat, following, kind));
            } else {
                list.push_back(Plain(std::string(1, static_cast<char>('a' + i))));
            }
        }
        CheckedVector<cEdCommand> all = list;
        CheckedVector<cEdCommand> first = list;
        const int allResult = UnrollAllLoops(all, 300);
        int firstResult = 1;
        for (int steps = 0; steps < 100 && firstResult == 1 && first.Size() <= 300; ++steps)
            firstResult = UnrollFirstLoop(first);
        if (allResult != 0) {
            EXPECT_NE(firstResult, 0) << Names(list);
            EXPECT_EQ(Bytes(all), Bytes(list)) << Names(list);
            continue;
        }
        ASSERT_EQ(firstResult, 0) << Names(list);
        EXPECT_EQ(Bytes(all), Bytes(first)) << Names(list);
        ++compared;
    }
    EXPECT_GT(compared, 15000) << compared;
}

// A loop command with too few parameters goes through the checked access, which asks the
// main window to close; its counts are read once, however often it is copied.
int s_closeRequests = 0;
plat::LRESULT CountCloses(plat::HWND, std::uint32_t msg, plat::WPARAM, plat::LPARAM) {
    if (msg == plat::WM_CLOSE) ++s_closeRequests;
    return 0;
}

TEST(FlowUnroll, ShortLoopCommandIsReportedOnce) {
    plat::HWND window = plat::CreateWindow(CountCloses);
    ASSERT_NE(window, nullptr);
    const plat::HWND savedMain = hWndMain;
    hWndMain = window;
    s_closeRequests = 0;

    cEdCommand shortLoop = Loop(0, 0);
    shortLoop.vecParam = {1};  // the missing count reads as the first one: one run
    CheckedVector<cEdCommand> list = List({Loop(1000, 2), shortLoop, P});
    EXPECT_EQ(UnrollAllLoops(list), 0);
    EXPECT_EQ(Names(list), std::string(1000, 'P'));

    plat::MSG msg;
    while (plat::PeekMessage(&msg, nullptr, true)) plat::DispatchMessage(&msg);
    EXPECT_EQ(s_closeRequests, 1);
    hWndMain = savedMain;
    plat::DestroyWindow(window);
}

// --- Installation on an actor. ---

cEdAnime Anime(std::initializer_list<std::pair<int, int>> frames) {
    cEdAnime anime;
    anime.vecFrame.Clear();
    for (const auto& [time, key] : frames) {
        cEdAnimeFrame frame;
        frame.nPattern = time * 10;
        frame.nTime = time;
        frame.bKeyFrame = key;
        anime.vecFrame.push_back(frame);
    }
    return anime;
}

class FlowInstall : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        EdStageWork.SetGameSpeed(10);  // b = 10
        // Anime 1: lead of (2 + 3) × 6 = 30 frames; anime 2 acts at once.
        EdDatabase.vecAnime.Clear();
        EdDatabase.vecAnime.push_back(Anime({}));
        EdDatabase.vecAnime.push_back(Anime({{2, 0}, {3, 0}, {4, 1}, {5, 0}}));
        EdDatabase.vecAnime.push_back(Anime({{4, 1}}));
    }
    void TearDown() override { ResetEngineGlobals(); }

    static cEdCommand Timed(int time, int anime = 0, int parallel = 0, int type = 1) {
        cEdCommand cmd = Plain("T", 0, type);
        cmd.nTime = static_cast<std::int16_t>(time);
        cmd.nAnime = static_cast<std::int16_t>(anime);
        cmd.bParallel = static_cast<std::int8_t>(parallel);
        return cmd;
    }
    static cEdFlow Flow(std::initializer_list<cEdCommand> cmds, int keyLevel = 0, int keys = 0) {
        cEdFlow flow;
        for (const cEdCommand& c : cmds) flow.vecCommand.push_back(c);
        flow.bKeyLevel = static_cast<std::int8_t>(keyLevel);
        for (int k = 0; k < keys; ++k) flow.vecKeyCondition.push_back(cEdKeyCondition());
        return flow;
    }
    // Every instance i refers to definition i of the record copy, its key conditions and
    // its commands.
    static void ExpectLinked(cActorBase& a) {
        ASSERT_EQ(a.m_vecFlow.Size(), a.m_Chara.vecFlow.Size());
        for (int i = 0; i < static_cast<int>(a.m_vecFlow.Size()); ++i) {
            FlowInstance& inst = a.m_vecFlow[i];
            cEdFlow& def = a.m_Chara.vecFlow[i];
            EXPECT_EQ(inst.m_nIndex, i);
            EXPECT_EQ(inst.m_pFlow, &def);
            ASSERT_EQ(inst.m_vecCmd.Size(), def.vecCommand.Size()) << i;
            for (int c = 0; c < static_cast<int>(def.vecCommand.Size()); ++c)
                EXPECT_EQ(inst.m_vecCmd[c].m_pCmd, &def.vecCommand[c]) << i << "," << c;
            ASSERT_EQ(inst.m_vecKeyCond.Size(), def.vecKeyCondition.Size()) << i;
            for (int k = 0; k < static_cast<int>(def.vecKeyCondition.Size()); ++k)
                EXPECT_EQ(inst.m_vecKeyCond[k], &def.vecKeyCondition[k]) << i << "," << k;
        }
    }
    // Installs one flow of these commands as the actor's own; its cues.
    CheckedVector<FlowCue> CuesOf(std::initializer_list<cEdCommand> cmds) {
        m_actor.m_Chara.vecFlow.Clear();
        m_actor.m_Chara.vecFlow.push_back(Flow(cmds));
        EXPECT_EQ(InstallFlows(m_actor, m_actor.m_Chara.vecFlow, 0, -1), 1);
        return m_actor.m_vecFlow[0].m_vecCue;
    }

    cCharaActor m_actor;
};

TEST_F(FlowInstall, DurationIsIncreaseTimesCloneAndBaseInTicks) {
    struct {
        int clone, base, inc, level, expected;
    } cases[] = {
        {2, 5, 3, 10, (3 * 2 + 5) * 10 * 6},
        {0, 5, 3, 10, 300},
        {3, 10, -2, 4, (-2 * 3 + 10) * 4 * 6},
        {1, 0, 0, 10, 0},
        // The 32-bit product of a damaged file's values wraps as the old program's did.
        {32767, 32767, 32767, 10,
         static_cast<std::int32_t>(
             static_cast<std::uint32_t>((32767u * 32767u + 32767u) * 10u * 6u))},
    };
    for (const auto& c : cases) {
        EdStageWork.SetGameSpeed(c.level);
        cEdCommand cmd = Timed(c.base);
        cmd.nTimeInc = static_cast<std::int16_t>(c.inc);
        EXPECT_EQ(CommandDurationTicks(cmd, c.clone), c.expected) << c.clone << " " << c.base;
        m_actor.m_nCloneValue = static_cast<std::int16_t>(c.clone);
        m_actor.m_Chara.vecFlow.Clear();
        m_actor.m_Chara.vecFlow.push_back(Flow({cmd}));
        ASSERT_EQ(InstallFlows(m_actor, m_actor.m_Chara.vecFlow, 0, -1), 1);
        EXPECT_EQ(m_actor.m_vecFlow[0].m_vecCmd[0].m_nDuration, c.expected);
    }
}

TEST_F(FlowInstall, MoveSpeedsAndChoiceComeFromTheMoveRecord) {
    cEdCommand cmd = Timed(1, 0, 0, 2);
    cEdMove::Create(cmd.spMove);
    cmd.spMove->nSpeed = 10;
    cmd.spMove->nSpeedInc = 2;
    cmd.spMove->bInertia = 1;
    cmd.spMove->nMaxSpeed = 40;
    cmd.spMove->nDirection = 5;
    cEdCommand still = cmd;
    still.spMove->bInertia = 0;  // copies are deep: cmd keeps its own move
    m_actor.m_nCloneValue = 3;
    m_actor.m_Chara.vecFlow.Clear();
    m_actor.m_Chara.vecFlow.push_back(Flow({cmd, still, Timed(1)}));
    ASSERT_EQ(InstallFlows(m_actor, m_actor.m_Chara.vecFlow, 0, -1), 1);
    const CheckedVector<cCommandInstance>& ci = m_actor.m_vecFlow[0].m_vecCmd;
    EXPECT_DOUBLE_EQ(ci[0].m_dSpeed, (2 * 3 + 10) * 0.1 / 10);
    EXPECT_DOUBLE_EQ(ci[0].m_dMaxSpeed, 40 * 0.1 / 10);
    EXPECT_EQ(ci[0].m_nMoveChoice, 5);
    EXPECT_DOUBLE_EQ(ci[1].m_dSpeed, (2 * 3 + 10) * 0.1 / 10);
    EXPECT_EQ(ci[1].m_dMaxSpeed, 0);
    EXPECT_EQ(ci[2].m_dSpeed, 0);  // no move record
}

// What the installation leaves in a command's instance, by type, for one move record: a
// speed of 1 tenth-dot a frame (0.01 dots a tick at b = 10) over 6 half blocks (96 dots),
// the time given by the speed; a homing or circle radius of 2; a jump of 3 half blocks.
TEST_F(FlowInstall, MoveSetupsByCommandType) {
    EdStageWork.dGravity = 0.4;
    EdStageWork.SetGameSpeed(10);
    const int b = 10;
    const double speed = 0.1 / b;
    const int plain = 1 * b * 6;  // the command's own time of one tenth
    enum Setup { kNone, kDistance, kCircle, kHoming, kJump };
    for (int type = -1; type <= 40; ++type) {
        if (type == 39) continue;  // the loop is written out, not installed
        SCOPED_TRACE(type);
        Setup setup = kNone;
        if (type == 2 || type == 3 || type == 5 || type == 7) setup = kDistance;
        if (type == 4) setup = kCircle;
        if (type == 6) setup = kHoming;
        if (type == 10) setup = kJump;

        cEdCommand cmd = Timed(1, 0, 0, type);
        cmd.vecParam = {0, 0, 3, 0, 0};
        cEdMove::Create(cmd.spMove);
        cEdMove& move = *cmd.spMove;
        move.nSpeed = 1;
        move.nTiming = 2;
        move.nDistance = 6;
        move.nHoming = 2;
        m_actor.m_Chara.vecFlow.Clear();
        m_actor.m_Chara.vecFlow.push_back(Flow({cmd}));
        ASSERT_EQ(InstallFlows(m_actor, m_actor.m_Chara.vecFlow, 0, -1), 1);
        const cCommandInstance& ci = m_actor.m_vecFlow[0].m_vecCmd[0];
        const cEdCommand& installed = m_actor.m_Chara.vecFlow[0].vecCommand[0];

        switch (setup) {
            case kNone:
                EXPECT_EQ(ci.m_nDuration, plain);
                EXPECT_DOUBLE_EQ(ci.m_dSpeed, speed);
                EXPECT_EQ(ci.m_nRadius, 0);
                break;
            case kDistance:
                // The time it takes to cover the distance at the speed, truncated.
                EXPECT_EQ(ci.m_nDuration, static_cast<int>(96 / speed));
                EXPECT_DOUBLE_EQ(ci.m_dSpeed, speed);
                EXPECT_EQ(ci.m_nRadius, 0);
                break;
            case kCircle:
                // 2 half blocks of radius and the angles in b-th degrees; this timing leaves
                // the time and the speed alone.
                EXPECT_EQ(ci.m_nDuration, plain);
                EXPECT_DOUBLE_EQ(ci.m_dSpeed, speed);
                EXPECT_EQ(ci.m_nRadius, 2 * 16 * b);
                EXPECT_EQ(ci.m_nStartAngle, 0);
                EXPECT_EQ(ci.m_nEndAngle, 6 * b);
                break;
            case kHoming:
                // The homing delay in ticks, and the time by the distance.
                EXPECT_EQ(ci.m_nRadius, 2 * b);
                EXPECT_EQ(ci.m_nDuration, static_cast<int>(96 / speed));
                break;
            case kJump:
                // The jump's launch speed (upward), and its time to the top becomes the
                // command's time, in the actor's copy of the record.
                EXPECT_LT(ci.m_dSpeed, 0);
                EXPECT_DOUBLE_EQ(ci.m_dSpeed, m_actor.JumpSpeedForHbl(3));
                EXPECT_EQ(installed.nTime, m_actor.JumpTime(3));
                EXPECT_NE(installed.nTime, 1);
                EXPECT_EQ(ci.m_nDuration, installed.nTime * b * 6);
                break;
        }
        if (setup != kJump) {
            EXPECT_EQ(installed.nTime, 1);
        }
    }
}

TEST_F(FlowInstall, OwnListUnrollsAndReplacesEveryInstance) {
    m_actor.m_nNextFlowKey = 7;
    m_actor.m_vecFlow.resize(5);
    m_actor.m_Chara.vecFlow.Clear();
    m_actor.m_Chara.vecFlow.push_back(Flow({P, Loop(3, 2), Q, R, S}, 0, 2));
    m_actor.m_Chara.vecFlow.push_back(Flow({Timed(2)}, 1, 1));
    EXPECT_EQ(InstallFlows(m_actor, m_actor.m_Chara.vecFlow, 0, -1), 2);
    EXPECT_EQ(Names(m_actor.m_Chara.vecFlow[0].vecCommand), "PQRQRQRS");
    ExpectLinked(m_actor);
    EXPECT_EQ(m_actor.m_vecFlow[0].m_nKey, 7);
    EXPECT_EQ(m_actor.m_vecFlow[1].m_nKey, 8);
    EXPECT_EQ(m_actor.m_nNextFlowKey, 9);
    // Not inserted: no edge latch, nothing running.
    for (FlowInstance& inst : m_actor.m_vecFlow) {
        EXPECT_EQ(inst.m_bKeyEdgeLatch, 0);
        EXPECT_EQ(inst.m_bRunning, 0);
    }
}

TEST_F(FlowInstall, ListOfElsewhereBecomesTheActorsOwn) {
    CheckedVector<cEdFlow> flows;
    flows.push_back(Flow({P, Q}, 0, 1));
    EXPECT_EQ(InstallFlows(m_actor, flows, 0, -1), 1);
    ExpectLinked(m_actor);
    EXPECT_EQ(Names(m_actor.m_Chara.vecFlow[0].vecCommand), "PQ");
}

TEST_F(FlowInstall, InsertingPlacesDefinitionsAndInstancesAndRelinks) {
    struct {
        int position;
        int offset;  // where the two new flows land among the old A, B
    } cases[] = {{0, 0}, {1, 1}, {-1, 2}, {2, 2}, {99, 2}, {-5, 2}};
    for (const auto& c : cases) {
        cCharaActor actor;
        actor.m_Chara.vecFlow.push_back(Flow({Plain("A")}, 0, 1));
        actor.m_Chara.vecFlow.push_back(Flow({Plain("B"), Plain("B")}, 0, 2));
        ASSERT_EQ(InstallFlows(actor, actor.m_Chara.vecFlow, 0, -1), 2);
        actor.m_vecFlow[1].m_bRunning = 1;  // the state of old instances stays

        CheckedVector<cEdFlow> added;
        added.push_back(Flow({Loop(2, 1), Plain("E")}, 0, 1));  // edge-triggered
        added.push_back(Flow({Plain("L")}, 1, 1));              // level-triggered
        EXPECT_EQ(InstallFlows(actor, added, 1, c.position), 2) << c.position;
        EXPECT_EQ(Names(added[0].vecCommand), "EE") << "the given list is unrolled";

        ExpectLinked(actor);
        std::string order;
        for (cEdFlow& f : actor.m_Chara.vecFlow) order += f.vecCommand[0].strText;
        std::string expected = "AB";
        expected.insert(static_cast<std::size_t>(c.offset), "EL");
        EXPECT_EQ(order, expected) << c.position;
        const int old = c.offset <= 1 ? 3 : 1;  // where B's instance went
        EXPECT_EQ(actor.m_vecFlow[old].m_nKey, 1) << c.position;
        EXPECT_EQ(actor.m_vecFlow[old].m_bRunning, 1) << c.position;
        EXPECT_EQ(actor.m_vecFlow[c.offset].m_nKey, 2);
        EXPECT_EQ(actor.m_vecFlow[c.offset].m_bKeyEdgeLatch, 1);
        EXPECT_EQ(actor.m_vecFlow[c.offset + 1].m_nKey, 3);
        EXPECT_EQ(actor.m_vecFlow[c.offset + 1].m_bKeyEdgeLatch, 0);
    }
}

TEST_F(FlowInstall, InsertingTheOwnListCopiesItOnce) {
    m_actor.m_Chara.vecFlow.push_back(Flow({P}, 0, 1));
    m_actor.m_Chara.vecFlow.push_back(Flow({Q}, 1));
    ASSERT_EQ(InstallFlows(m_actor, m_actor.m_Chara.vecFlow, 0, -1), 2);
    EXPECT_EQ(InstallFlows(m_actor, m_actor.m_Chara.vecFlow, 1, 1), 2);
    ExpectLinked(m_actor);
    std::string order;
    for (cEdFlow& f : m_actor.m_Chara.vecFlow) order += Names(f.vecCommand);
    EXPECT_EQ(order, "PPQQ");
}

TEST_F(FlowInstall, UnrollFailureLeavesTheActorAlone) {
    m_actor.m_Chara.vecFlow.push_back(Flow({P}));
    ASSERT_EQ(InstallFlows(m_actor, m_actor.m_Chara.vecFlow, 0, -1), 1);
    CheckedVector<cEdFlow> added;
    added.push_back(Flow({Loop(1 << 25, 1), P}));
    for (int insert : {1, 0}) {
        EXPECT_EQ(InstallFlows(m_actor, added, insert, -1), kInstallFailed);
        EXPECT_EQ(m_actor.m_Chara.vecFlow.Size(), 1u);
        EXPECT_EQ(m_actor.m_nNextFlowKey, 1);
        ExpectLinked(m_actor);
    }
}

TEST_F(FlowInstall, CuesEndTheAnimationWhenItsCommandStarts) {
    // b = 10; anime 1 has a lead of 30 frames = 300 ticks, anime 2 none.
    struct {
        const char* what;
        std::vector<cEdCommand> cmds;
        std::vector<FlowCue> cues;
    } cases[] = {
        {"long enough before",
         {Timed(10), Timed(1), Timed(2, 1, 0, 2)},
         {{600 + 60 - 300, 1, 0, 30, 12, 1}}},
        {"exactly long enough", {Timed(5), Timed(2, 1)}, {{0, 1, 0, 30, 12, 1}}},
        {"too short: starts with the flow, skipped in part",
         {Timed(1), Timed(3, 1, 0, 12)},
         {{0, 1, 24, 6, 18, 0}}},
        {"first command: only the held pose", {Timed(2, 1, 0, 12)}, {{0, 1, 30, 0, 12, 0}}},
        {"parallel commands take no time", {Timed(10, 0, 1), Timed(2, 1)}, {{0, 1, 30, 0, 12, 1}}},
        {"key frame first: at the command's start",
         {Timed(1), Timed(1, 0, 1), Timed(1, 2)},
         {{60, 2, 0, 0, 6, 1}}},
        {"one cue per animated command, in order",
         {Timed(10, 2), Timed(10), Timed(1, 1)},
         {{0, 2, 0, 0, 60, 1}, {1200 - 300, 1, 0, 30, 6, 1}}},
        {"no animations", {Timed(1), Timed(2)}, {}},
    };
    for (auto& c : cases) {
        m_actor.m_Chara.vecFlow.Clear();
        cEdFlow flow;
        for (const cEdCommand& cmd : c.cmds) flow.vecCommand.push_back(cmd);
        m_actor.m_Chara.vecFlow.push_back(flow);
        ASSERT_EQ(InstallFlows(m_actor, m_actor.m_Chara.vecFlow, 0, -1), 1);
        const CheckedVector<FlowCue>& got = m_actor.m_vecFlow[0].m_vecCue;
        ASSERT_EQ(got.Size(), c.cues.size()) << c.what;
        for (int i = 0; i < static_cast<int>(got.Size()); ++i) {
            const FlowCue& g = got[i];
            const FlowCue& e = c.cues[static_cast<std::size_t>(i)];
            EXPECT_EQ(g, e) << c.what << " #" << i << ": start " << g.nStartTick << " anime "
                            << g.nAnime << " skip " << g.nSkip << " length " << g.nLength
                            << " hold " << g.nHold << " flag " << g.bHoldFlag;
        }
    }
}

TEST_F(FlowInstall, InsertedFlowsGetTheirCuesOthersKeepTheirs) {
    m_actor.m_Chara.vecFlow.push_back(Flow({Timed(10), Timed(1, 1)}));
    ASSERT_EQ(InstallFlows(m_actor, m_actor.m_Chara.vecFlow, 0, -1), 1);
    const CheckedVector<FlowCue> own = m_actor.m_vecFlow[0].m_vecCue;
    ASSERT_EQ(own.Size(), 1u);
    CheckedVector<cEdFlow> added;
    added.push_back(Flow({Timed(1), Timed(1, 1)}));
    ASSERT_EQ(InstallFlows(m_actor, added, 1, 0), 1);
    ASSERT_EQ(m_actor.m_vecFlow[0].m_vecCue.Size(), 1u);
    EXPECT_EQ(m_actor.m_vecFlow[0].m_vecCue[0].nSkip, 24);
    EXPECT_EQ(m_actor.m_vecFlow[1].m_vecCue, own);
}

TEST_F(FlowInstall, AddFlowAppendsACopyAndRelinks) {
    m_actor.m_Chara.vecFlow.push_back(Flow({Timed(10), Timed(1, 1)}, 0, 1));
    m_actor.m_Chara.vecFlow.push_back(Flow({P}, 0, 2));
    ASSERT_EQ(InstallFlows(m_actor, m_actor.m_Chara.vecFlow, 0, -1), 2);
    m_actor.m_vecFlow[0].m_nTickCount = 33;
    // The definition goes first, as the callers add it; the list may move in memory.
    m_actor.m_Chara.vecFlow.push_back(m_actor.m_Chara.vecFlow[0]);
    AddFlow(m_actor, m_actor.m_vecFlow[0]);
    ExpectLinked(m_actor);
    const FlowInstance& added = m_actor.m_vecFlow[2];
    EXPECT_EQ(added.m_nIndex, 2);
    EXPECT_EQ(added.m_nKey, m_actor.m_vecFlow[0].m_nKey);
    EXPECT_EQ(added.m_nTickCount, 33);
    EXPECT_EQ(added.m_vecCue, m_actor.m_vecFlow[0].m_vecCue);
    EXPECT_EQ(added.m_vecCmd[0].m_nDuration, 600);
}

// --- Reset and the base animation. ---

cEdAnimeSet AnimeSet(std::initializer_list<cEdAnime> animes) {
    cEdAnimeSet set;
    set.vecAnime.Clear();
    for (const cEdAnime& a : animes) set.vecAnime.push_back(a);
    return set;
}

class ActorReset : public FlowInstall {
protected:
    void SetUp() override {
        FlowInstall::SetUp();
        EdDatabase.vecAnimeSet.Clear();
        EdDatabase.vecAnimeSet.push_back(AnimeSet({Anime({{7, 0}})}));
        EdDatabase.vecAnimeSet.push_back(AnimeSet({Anime({{1, 0}, {2, 1}}), Anime({{3, 0}})}));
        s_hero = &m_hero;
        SetFirstHeroLookup([]() -> cActorBase* { return s_hero; });

        m_record.nMaxHp = 50;
        m_record.nMaxSp = 7;
        m_record.bScrollSync = 1;
        m_record.nSight = 3;
        m_record.nStopping = 20;
        m_record.nAnimeSet = 1;
        m_record.vecFlow.push_back(Flow({P, Loop(2, 1), Q}));
    }
    void TearDown() override {
        s_hero = nullptr;
        FlowInstall::TearDown();
    }
    // Dirties what Reset puts back.
    static void Dirty(cActorBase& a) {
        a.m_nNextFlowKey = 5;
        a.m_vecGroupBusy.resize(3, 1);
        a.m_vecGroupFreed.resize(30, 1);
        a.m_bGroupFreed = 1;
        a.m_bFlowDeleted = 1;
        a.m_dKnockVX = 2;
        a.m_bKnocked = 1;
        a.m_bFalling = 0;
        a.m_bJumping = 1;
        a.m_nJumpCount = 2;
        a.m_bDying = 1;
        a.m_nDeathFrames = 9;
        a.m_bRiding = 1;
        a.m_nHp = 99;
        a.m_nSp = 99;
        a.m_HpGauge.nFrames = 120;
        a.m_vecVar.resize(3, 4);
        a.m_bVanish = 1;
        a.m_nInvincibleFrames = 60;
        a.m_listHitBy.push_back(HitByEntry{});
        a.m_listAnime.push_back(AnimeEntry{});
        a.m_CharaEffect.nNumber = 3;
    }

    static cActorBase* s_hero;
    cCharaActor m_hero;
    cEdChara m_record;
};
cActorBase* ActorReset::s_hero = nullptr;

TEST_F(ActorReset, PutsEveryStateToItsStartAndCopiesTheRecord) {
    Dirty(m_actor);
    ResetActor(m_actor, &m_record, 320.5, 64, 4);
    EXPECT_EQ(m_actor.m_Chara.SaveToBytes(), m_record.SaveToBytes());
    EXPECT_EQ(m_actor.m_nCloneValue, 4);
    EXPECT_EQ(m_actor.m_dHomeX, 320.5);
    EXPECT_EQ(m_actor.m_dHomeY, 64);
    EXPECT_EQ(m_actor.m_nNextFlowKey, 0);
    for (auto* groups :
         {&m_actor.m_vecGroupBusy, &m_actor.m_vecGroupFreed, &m_actor.m_vecGroupStarted}) {
        EXPECT_EQ(*groups, CheckedVector<std::uint8_t>(kFlowGroupSlots, 0));
    }
    EXPECT_EQ(m_actor.m_bGroupFreed, 0);
    EXPECT_EQ(m_actor.m_bFlowDeleted, 0);
    EXPECT_EQ(m_actor.m_dKnockVX, 0);
    EXPECT_EQ(m_actor.m_bKnocked, 0);
    EXPECT_EQ(m_actor.m_bFalling, 1);
    EXPECT_EQ(m_actor.m_bJumping, 0);
    EXPECT_EQ(m_actor.m_nJumpCount, 0);
    EXPECT_EQ(m_actor.m_bDying, 0);
    EXPECT_EQ(m_actor.m_nDeathFrames, 0);
    EXPECT_EQ(m_actor.m_bRiding, 0);
    EXPECT_EQ(m_actor.m_nHp, 50);
    EXPECT_EQ(m_actor.m_nSp, 7);
    EXPECT_EQ(m_actor.m_HpGauge.nFrames, 0);
    EXPECT_EQ(m_actor.m_vecVar, CheckedVector<std::int32_t>(kCharaVarCount, 0));
    EXPECT_EQ(m_actor.m_bScrollSync, 1);
    EXPECT_EQ(m_actor.m_bVanish, 0);
    EXPECT_EQ(m_actor.m_nSight, 48);
    EXPECT_DOUBLE_EQ(m_actor.m_dStopDecel, 20 * 0.01 / 100);
    EXPECT_EQ(m_actor.m_CharaEffect.nNumber, 0);
    EXPECT_EQ(m_actor.m_nInvincibleFrames, 0);
    EXPECT_TRUE(m_actor.m_listHitBy.empty());
    EXPECT_TRUE(m_actor.m_listAnime.empty());
    EXPECT_EQ(m_actor.m_AnimPattern.m_vecSeq.Size(), 2u);  // set 1
    // The flows are installed separately: the copy still has its loop.
    EXPECT_EQ(Names(m_actor.m_Chara.vecFlow[0].vecCommand), "P*Q");
}

TEST_F(ActorReset, WithoutRecordKeepsTheCopyAndEmptyVitals) {
    ResetActor(m_actor, &m_record, 0, 0, 0);
    Dirty(m_actor);
    m_actor.m_Chara.nMaxHp = 80;
    ResetActor(m_actor, nullptr, 1, 2, 3);
    EXPECT_EQ(m_actor.m_Chara.nMaxHp, 80);
    EXPECT_EQ(m_actor.m_nHp, 0);
    EXPECT_EQ(m_actor.m_nSp, 0);
    EXPECT_EQ(m_actor.m_nSight, 48);
    EXPECT_EQ(m_actor.m_AnimPattern.m_vecSeq.Size(), 2u);
}

TEST_F(ActorReset, TargetsTheFirstHeroOnce) {
    cCharaActor other;
    ResetActor(m_actor, &m_record, 0, 0, 0);
    ResetActor(m_actor, &m_record, 0, 0, 0);
    ResetActor(other, &m_record, 0, 0, 0);
    EXPECT_EQ(m_actor.m_pTarget, &m_hero);
    EXPECT_EQ(m_hero.m_vecTargetedBy, (CheckedVector<cActorBase*>{&m_actor, &other}));

    // A new target: the old one forgets the actor.
    cCharaActor newHero;
    s_hero = &newHero;
    ResetActor(m_actor, &m_record, 0, 0, 0);
    EXPECT_EQ(m_actor.m_pTarget, &newHero);
    EXPECT_EQ(m_hero.m_vecTargetedBy, (CheckedVector<cActorBase*>{&other}));
    EXPECT_EQ(newHero.m_vecTargetedBy, (CheckedVector<cActorBase*>{&m_actor}));

    // The hero resets itself: it targets itself, and those that target it still do.
    s_hero = &newHero;
    ResetActor(newHero, &m_record, 0, 0, 0);
    EXPECT_EQ(newHero.m_pTarget, &newHero);
    EXPECT_EQ(newHero.m_vecTargetedBy, (CheckedVector<cActorBase*>{&m_actor, &newHero}));
    EXPECT_EQ(m_actor.m_pTarget, &newHero);

    // An entry of an actor that targets another one by now is dropped at the reset.
    newHero.m_vecTargetedBy.push_back(&other);  // other targets m_hero
    ResetActor(newHero, &m_record, 0, 0, 0);
    EXPECT_EQ(newHero.m_vecTargetedBy, (CheckedVector<cActorBase*>{&m_actor, &newHero}));
    EXPECT_EQ(other.m_pTarget, &m_hero);

    // No hero: no target.
    s_hero = nullptr;
    ResetActor(other, &m_record, 0, 0, 0);
    EXPECT_EQ(other.m_pTarget, nullptr);
    EXPECT_TRUE(m_hero.m_vecTargetedBy.empty());
}

TEST_F(ActorReset, AnimeSetBuildsOneSequencePerAnimation) {
    ResetActor(m_actor, &m_record, 0, 0, 0);
    const CheckedVector<ANIMSEQ>& seqs = m_actor.m_AnimPattern.m_vecSeq;
    ASSERT_EQ(seqs.Size(), 2u);
    EXPECT_EQ(seqs[0], (ANIMSEQ{{10, 6, 1}, {20, 12, 1}, {ANIM_RESTART, 0, 1}}));
    EXPECT_EQ(seqs[1], (ANIMSEQ{{30, 18, 1}, {ANIM_RESTART, 0, 1}}));

    // Without force the same set changes nothing; another one is built, from its start.
    m_actor.m_AnimPattern.m_nSeq = 1;
    m_actor.m_AnimPattern.m_nStep = 1;
    SetAnimeSet(m_actor, 1, 0);
    EXPECT_EQ(m_actor.m_AnimPattern.m_nSeq, 1);
    SetAnimeSet(m_actor, 1, 1);
    EXPECT_EQ(m_actor.m_AnimPattern.m_nSeq, 0);
    m_actor.m_AnimPattern.m_nSeq = 1;
    SetAnimeSet(m_actor, 0, 0);
    EXPECT_EQ(m_actor.m_Chara.nAnimeSet, 0);
    EXPECT_EQ(m_actor.m_AnimPattern.m_nSeq, 0);
    EXPECT_EQ(m_actor.m_AnimPattern.m_nStep, 0);
    EXPECT_EQ(seqs, (CheckedVector<ANIMSEQ>{ANIMSEQ{{70, 42, 1}, {ANIM_RESTART, 0, 1}}}));
}

TEST_F(ActorReset, BadAnimeSetUsesSetZero) {
    for (int index : {2, -1, 0x8000}) {
        SetAnimeSet(m_actor, 1, 1);
        SetAnimeSet(m_actor, index, 1);
        EXPECT_EQ(m_actor.m_Chara.nAnimeSet, static_cast<std::int16_t>(index));
        EXPECT_EQ(m_actor.m_AnimPattern.m_vecSeq,
                  (CheckedVector<ANIMSEQ>{ANIMSEQ{{70, 42, 1}, {ANIM_RESTART, 0, 1}}}))
            << index;
    }
}

}  // namespace

// The turn and jump commands: each facing choice of the turn with its sound and rhythm, the
// jump of a character and of the hero, and the jump's set-up of launch speed and time.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "base/globals.h"
#include "base/input.h"
#include "base/window_requests.h"
#include "data/command_record.h"
#include "data/stage_record.h"
#include "flow/flow_install.h"
#include "flow/flow_instance.h"
#include "flow/move_setup_table.h"
#include "flow/movement_commands.h"
#include "platform/messages.h"
#include "stage/actor.h"
#include "stage/actor_geometry.h"
#include "stage/engine_globals.h"
#include "stage/game_scene.h"
#include "stage/hero_actor.h"
#include "stage/scroll_axis.h"
#include "support/scroll_axis_setup.h"

namespace {

std::vector<int> s_sounds;

plat::LRESULT RecordSounds(plat::HWND, std::uint32_t msg, plat::WPARAM wParam, plat::LPARAM) {
    if (msg == WM_USER_PLAYSE) s_sounds.push_back(static_cast<int>(wParam));
    return 0;
}

// A command of one type and its instance; the instance points at the command, so the pair is
// never copied.
struct Cmd {
    Cmd(int type, std::initializer_list<std::int32_t> params) {
        def.nCmdType = static_cast<std::int8_t>(type);
        def.vecParam = params;
        ci.m_pCmd = &def;
    }
    Cmd(const Cmd&) = delete;
    cEdCommand def;
    cCommandInstance ci;
};

// Level 10 (b = 10: a tenth of a second is 60 ticks), gravity 0.4, and a main window that
// records the sounds asked of it.
class TurnJumpTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        EdStageWork.dGravity = 0.4;
        EdStageWork.SetGameSpeed(10);
        SetTestAxis(m_axisX, 1600, 1920);
        SetTestAxis(m_axisY, 1120, 1440);
        SetGeometryAxes(&m_axisX, &m_axisY);
        s_sounds.clear();
        m_window = plat::CreateWindow(RecordSounds);
        hWndMain = m_window;
    }
    void TearDown() override {
        plat::DestroyWindow(m_window);
        ResetEngineGlobals();
    }
    // A computer character whose 16-dot wide box starts at x, on the ground.
    static void Make(cCharaActor& a, double x, int fixedFacing = 1) {
        a.Init(1, 1, 0, 0, nullptr, 0, 8, 8, 16, 24, 32, 32, 0, 0, 0);
        a.m_Chara.bFixedFacing = static_cast<std::int8_t>(fixedFacing);
        a.m_dX = x;
        a.m_bFalling = 0;
        a.m_nJumpCount = 0;
    }

    ScrollAxis m_axisX;
    ScrollAxis m_axisY;

private:
    plat::HWND m_window = nullptr;
};

// --- Turn ---

enum TargetAt { kNoTarget, kTargetLeft, kTargetLevel, kTargetRight };

TEST_F(TurnJumpTest, TurnByEachFacingChoice) {
    struct Case {
        const char* name;
        int choice, fixed;
        TargetAt target;
        int wallSide, startRight;
        int expectedRight, counter, sounds;
    };
    const Case cases[] = {
        {"left", 0, 1, kNoTarget, -1, 1, 0, 1, 1},
        {"right", 1, 1, kNoTarget, -1, 0, 1, 1, 1},
        {"facing not fixed: nothing at all", 1, 0, kNoTarget, -1, 0, 0, 0, 0},
        {"toward a target on the right", 2, 1, kTargetRight, -1, 0, 1, 1, 1},
        {"toward a target on the left", 2, 1, kTargetLeft, -1, 1, 0, 1, 1},
        {"toward a target level with it", 2, 1, kTargetLevel, -1, 1, 0, 1, 1},
        {"toward no target: not counted", 2, 1, kNoTarget, -1, 1, 1, 0, 1},
        {"away from a target on the right", 3, 1, kTargetRight, -1, 1, 0, 1, 1},
        {"away from a target level with it", 3, 1, kTargetLevel, -1, 0, 1, 1, 1},
        {"away from no target: not counted", 3, 1, kNoTarget, -1, 0, 0, 0, 1},
        {"toward the wall on the left", 4, 1, kNoTarget, 0, 1, 0, 1, 1},
        {"toward the wall on the right", 4, 1, kNoTarget, 1, 0, 1, 1, 1},
        {"toward a wall before any", 4, 1, kNoTarget, -1, 1, 1, 1, 1},
        {"away from the wall on the left", 5, 1, kNoTarget, 0, 0, 1, 1, 1},
        {"away from the wall on the right", 5, 1, kNoTarget, 1, 1, 0, 1, 1},
        {"away from a wall before any", 5, 1, kNoTarget, -1, 0, 0, 1, 1},
        {"unknown choice", 6, 1, kNoTarget, 1, 1, 1, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        s_sounds.clear();
        cCharaActor target;
        // The actor's box centre is at 408; the target's box is 16 wide as well.
        const double targetX = c.target == kTargetLeft ? 300 : c.target == kTargetLevel ? 400 : 500;
        Make(target, targetX);
        cCharaActor a;
        Make(a, 400, c.fixed);
        a.m_bFacingRight = c.startRight;
        a.m_nWallSide = c.wallSide;
        if (c.target != kNoTarget) {
            a.m_pTarget = &target;
            target.m_vecTargetedBy.push_back(&a);
        }
        Cmd turn(9, {c.choice});
        turn.def.nSound = 3;
        CmdTurn(a, turn.ci);
        EXPECT_EQ(a.m_bFacingRight, c.expectedRight);
        EXPECT_EQ(turn.ci.m_nTickCounter, c.counter);
        EXPECT_EQ(s_sounds, std::vector<int>(c.sounds, 3 + kDataSeBase));
    }
}

TEST_F(TurnJumpTest, TurnActsInTheFirstTickAndEveryTenthOfASecond) {
    cCharaActor a;
    Make(a, 400);
    Cmd turn(9, {1});
    turn.def.nSound = 2;
    std::vector<int> turnedAt;
    for (int tick = 0; tick <= 120; ++tick) {
        a.m_bFacingRight = 0;
        CmdTurn(a, turn.ci);
        if (a.m_bFacingRight) turnedAt.push_back(tick);
    }
    EXPECT_EQ(turnedAt, (std::vector<int>{0, 60, 120}));
    EXPECT_EQ(s_sounds, std::vector<int>(3, 2 + kDataSeBase));
}

TEST_F(TurnJumpTest, TurnTowardAMissingTargetRetriesWithItsSound) {
    cCharaActor target;
    Make(target, 500);
    cCharaActor a;
    Make(a, 400);
    Cmd turn(9, {2});
    turn.def.nSound = 4;
    CmdTurn(a, turn.ci);
    CmdTurn(a, turn.ci);
    EXPECT_EQ(a.m_bFacingRight, 0);
    EXPECT_EQ(s_sounds.size(), 2u);
    a.m_pTarget = &target;
    target.m_vecTargetedBy.push_back(&a);
    CmdTurn(a, turn.ci);
    EXPECT_EQ(a.m_bFacingRight, 1);
    EXPECT_EQ(turn.ci.m_nTickCounter, 1);
    EXPECT_EQ(s_sounds.size(), 3u);
}

// --- Jump ---

TEST_F(TurnJumpTest, JumpLaunchesACharacterThatCan) {
    for (int falling : {0, 1}) {
        cCharaActor a;
        Make(a, 400);
        a.m_bFalling = falling;
        a.m_dVY = 0.25;
        a.m_bFixedScreenX = a.m_bFixedScreenY = 1;
        Cmd jump(10, {0, 0, 4, 0, 0});
        jump.ci.m_dSpeed = -3;
        jump.def.nSound = 5;
        s_sounds.clear();
        CmdJump(a, jump.ci);
        EXPECT_EQ(a.m_dVY, falling ? 0.25 : -3.0) << falling;
        // The command's sound goes with the launch, and only with it.
        EXPECT_EQ(s_sounds, falling ? std::vector<int>{} : std::vector<int>{5 + kDataSeBase});
        EXPECT_EQ(a.m_bJumping, falling ? 0 : 1) << falling;
        // Drawn at its stage position again, and the tick counted, launched or not.
        EXPECT_EQ(a.m_bFixedScreenX, 0);
        EXPECT_EQ(a.m_bFixedScreenY, 0);
        EXPECT_EQ(jump.ci.m_nTickCounter, 1);
    }
}

TEST_F(TurnJumpTest, JumpOfTheHeroRunsTheHerosOwnJump) {
    cHeroActor hero;
    cEdChara record;
    record.nControl = 0;
    record.nGiant = 1;
    ASSERT_EQ(hero.Init(1, record, 0, 0), 0);
    hero.m_bFalling = 0;
    hero.m_bAirborne = 0;
    hero.m_bFixedScreenY = 1;
    Cmd jump(10, {0, 0, 4, 0, 0});
    jump.ci.m_dSpeed = -2;
    jump.ci.m_nDuration = 60;
    jump.def.nSound = 7;
    s_sounds.clear();
    CmdJump(hero, jump.ci);
    EXPECT_EQ(s_sounds, std::vector<int>{7 + kDataSeBase});
    EXPECT_EQ(hero.m_bJumpDone, 1);
    EXPECT_EQ(hero.m_nJumpHold, 1);
    EXPECT_EQ(hero.m_dVY, -2);
    EXPECT_EQ(hero.m_bJumping, 1);
    EXPECT_EQ(hero.m_bFixedScreenY, 0);
    EXPECT_EQ(jump.ci.m_nTickCounter, 1);
}

// The launch speed for h dots under the stage's gravity per tick (0.4 / b²), damped for the
// player's actors.
double LaunchSpeed(double h, int op) {
    const double g = 0.4 / 100;
    double radicand = g * (g + 8 * h);
    if (radicand < 0) radicand = 0;
    const double v = (-g - std::sqrt(radicand)) / 2;
    return op == 0 ? v * (0.99 - 0.025 * 0.4) : v;
}

TEST_F(TurnJumpTest, JumpSetUpGivesTheLaunchSpeedAndTheTimeToTheTop) {
    struct Case {
        const char* name;
        int param, op;
        double height;  // dots
        int tenths;
    };
    const Case cases[] = {
        {"4 half blocks", 4, 1, 64, 4},
        {"4 half blocks, the player's", 4, 0, 64, 4},
        {"read as a signed byte", 256 + 4, 1, 64, 4},
        {"12 half blocks", 12, 1, 192, 6},
        {"no height", 0, 1, 0, 1},
        {"negative height", 254, 1, -32, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cCharaActor a;
        Make(a, 400);
        a.m_nOperator = c.op;
        Cmd jump(10, {0, 0, c.param, 0, 0});
        jump.def.nTime = 99;
        SetupJumpCommand(jump.ci, a);
        EXPECT_DOUBLE_EQ(jump.ci.m_dSpeed, LaunchSpeed(c.height, c.op));
        EXPECT_EQ(jump.def.nTime, c.tenths);
        EXPECT_EQ(jump.ci.m_nDuration, c.tenths * 60);
    }
}

TEST_F(TurnJumpTest, InstalledJumpLastsTheTimeToTheTopOfItsHeight) {
    cCharaActor a;
    Make(a, 400);
    cEdCommand jump;
    jump.nCmdType = 10;
    jump.vecParam = {0, 0, 4, 0, 0};
    jump.nTime = 50;
    cEdFlow flow;
    flow.vecCommand.push_back(jump);
    a.m_Chara.vecFlow.Clear();
    a.m_Chara.vecFlow.push_back(flow);
    ASSERT_EQ(InstallFlows(a, a.m_Chara.vecFlow, 0, -1), 1);
    EXPECT_EQ(a.m_Chara.vecFlow[0].vecCommand[0].nTime, 4);
    EXPECT_EQ(a.m_vecFlow[0].m_vecCmd[0].m_nDuration, 240);
    EXPECT_DOUBLE_EQ(a.m_vecFlow[0].m_vecCmd[0].m_dSpeed, LaunchSpeed(64, 1));
    // The definition the flow was copied from keeps its own time.
    EXPECT_EQ(flow.vecCommand[0].nTime, 50);
}

}  // namespace

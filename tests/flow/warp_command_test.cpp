// ワープ: by direction and distance, from the target, to a point (relative, absolute, on the
// screen), the refused warps that leave every position value as it was, and the screen warp
// that keeps the actor at its view position until a movement command.
#include "flow/warp_command.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "data/move_shot_records.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "flow/command_dispatch.h"
#include "flow/flow_instance.h"
#include "stage/actor.h"
#include "stage/block_map.h"
#include "stage/engine_globals.h"
#include "stage/game_scene.h"
#include "support/scroll_axis_setup.h"

namespace {

// Move choices of the data: ahead, left, right, up, down-left, up-right.
constexpr int kAhead = 0;
constexpr int kLeft = 2;
constexpr int kRight = 3;
constexpr int kUp = 6;
constexpr int kDown = 7;
constexpr int kUpLeft = 8;
constexpr int kDownRight = 11;
constexpr double kX = 640;
constexpr double kY = 616;

struct WarpCmd {
    WarpCmd(int spec, int direction = 0, int distance = 0) {
        def.nCmdType = 20;
        cEdMove::Create(def.spMove);
        def.spMove->nDestMode = static_cast<std::int8_t>(spec);
        def.spMove->nDirection = static_cast<std::int8_t>(direction);
        def.spMove->nDistance = static_cast<std::int16_t>(distance);
        def.spMove->bMirrorX = 0;
    }
    cEdMove& move() { return *def.spMove; }
    cEdCommand def;
};

// A 1920 × 1440 map (40 × 25 blocks of stage... the test axes), the view at (320, 320); a
// character with a 16 × 24 box at (8, 8) in a 32 × 32 sprite.
class Warp : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        EdStageWork.SetGameSpeed(1);
        scene_ = std::make_unique<cGameScene>();
        lpGame = scene_.get();
        SetTestAxis(scene_->m_ScrollX, 1600, 1920);
        SetTestAxis(scene_->m_ScrollY, 1120, 1440);
        ASSERT_TRUE(BlockMap.Build(60, 45));
        Make(actor_, 0, 0);
    }
    void TearDown() override {
        actor_.ReleaseTargets();
        scene_.reset();
        ResetEngineGlobals();
    }
    static void Make(cCharaActor& a, int flying, int facingRight, double x = kX, double y = kY) {
        a.Init(1, 1, 1, 0, nullptr, 0, 8, 8, 16, 24, 32, 32, facingRight, flying ? 1 : 0, 0);
        a.m_dX = x;
        a.m_dY = y;
        a.OnMovedX();
        a.OnMovedY();
        a.UpdateScreenRect();
    }
    void Run(WarpCmd& w) { CmdWarp(actor_, w.def); }

    std::unique_ptr<cGameScene> scene_;
    cCharaActor actor_;
};

TEST_F(Warp, ByDirectionAndDistance) {
    const double k = 64 * (1.0 / std::sqrt(2.0));
    struct Case {
        int direction, distance, increase, clone, facingRight, flying, compat721;
        double dx, dy;
    };
    const Case cases[] = {
        {kLeft, 4, 0, 0, 0, 0, 0, -64, 0},
        {kRight, 4, 0, 0, 0, 0, 0, 64, 0},
        {kUp, 4, 0, 0, 0, 1, 0, 0, -64},
        {kDown, 4, 0, 0, 0, 0, 0, 0, 64},
        {kAhead, 4, 0, 0, 1, 0, 0, 64, 0},
        {kAhead, 4, 0, 0, 0, 0, 0, -64, 0},
        // Diagonals by 4 half blocks: 64 / √2 ≈ 45.25 dots on each axis, walkers too ...
        {kUpLeft, 4, 0, 0, 0, 0, 0, -k, -k},
        {kDownRight, 4, 0, 0, 0, 1, 0, k, k},
        // ... unless the system lets only flyers warp diagonally.
        {kUpLeft, 4, 0, 0, 0, 0, 1, -64, 0},
        {kUpLeft, 4, 0, 0, 0, 1, 1, -k, -k},
        // The clone value adds its increase: (2 × 3 + 1) half blocks.
        {kRight, 1, 2, 3, 0, 0, 0, 112, 0},
    };
    for (const Case& c : cases) {
        Make(actor_, c.flying, c.facingRight);
        actor_.m_nCloneValue = static_cast<std::int16_t>(c.clone);
        actor_.m_dVY = 3;
        EdSystem.bCompat721 = c.compat721;
        WarpCmd w(kWarpByDirection, c.direction, c.distance);
        w.move().nDistanceInc = static_cast<std::int16_t>(c.increase);
        Run(w);
        SCOPED_TRACE(testing::Message() << "direction " << c.direction << " flying " << c.flying
                                        << " compat " << c.compat721);
        EXPECT_DOUBLE_EQ(actor_.m_dX, kX + c.dx);
        EXPECT_DOUBLE_EQ(actor_.m_dY, kY + c.dy);
        EXPECT_DOUBLE_EQ(actor_.m_dRight, actor_.m_dX + 15);
        // A walker that lands somewhere loses its vertical speed; a flyer keeps it.
        EXPECT_EQ(actor_.m_dVY, c.flying ? 3.0 : 0.0);
    }
}

TEST_F(Warp, FromTheTargetCentresOnItThenGoesItsWay) {
    cCharaActor target;
    Make(target, 1, 1, 800, 500);
    actor_.m_pTarget = &target;
    WarpCmd w(kWarpFromTarget, kAhead, 2);
    Run(w);
    // The sprite centres meet (both sprites 32 × 32 with the box at (8, 8)), then 32 dots
    // ahead of the target, which faces right.
    EXPECT_DOUBLE_EQ(actor_.m_dX, 800 + 32);
    EXPECT_DOUBLE_EQ(actor_.m_dY, 500);
    actor_.m_pTarget = nullptr;

    // No target: only the screen fixing goes.
    actor_.m_bFixedScreenX = actor_.m_bFixedScreenY = 1;
    Run(w);
    EXPECT_DOUBLE_EQ(actor_.m_dX, 800 + 32);
    EXPECT_EQ(actor_.m_bFixedScreenX, 0);
    EXPECT_EQ(actor_.m_bFixedScreenY, 0);
}

TEST_F(Warp, ToAPointOfEachKind) {
    WarpCmd w(kWarpToPoint);
    w.move().nTargetXBl = 2;
    w.move().nTargetXDot = 5;
    w.move().nTargetYBl = -1;
    w.move().nTargetYDot = -3;

    // Relative, and mirrored in x for an actor facing right.
    w.move().nCoordKind = kWarpRelative;
    Run(w);
    EXPECT_DOUBLE_EQ(actor_.m_dX, kX + 69);
    EXPECT_DOUBLE_EQ(actor_.m_dY, kY - 35);
    Make(actor_, 0, 1);
    w.move().bMirrorX = 1;
    w.move().bMirrorY = 1;
    Run(w);
    EXPECT_DOUBLE_EQ(actor_.m_dX, kX - 69);
    EXPECT_DOUBLE_EQ(actor_.m_dY, kY + 35);

    // Absolute: the block of the stage, then the dots, not mirrored.
    w.move().nCoordKind = kWarpAbsolute;
    w.move().nTargetYBl = 8;
    Run(w);
    cCharaActor placed;
    Make(placed, 0, 1);
    placed.SetBlockX(2);
    placed.SetBlockY(8);
    EXPECT_DOUBLE_EQ(actor_.m_dX, placed.m_dX + 5);
    EXPECT_DOUBLE_EQ(actor_.m_dY, placed.m_dY - 3);
    EXPECT_EQ(actor_.m_bFixedScreenX, 0);

    // Screen: the sprite's corner at view (X, Y), mirrored as the relative kind.
    Make(actor_, 0, 0);
    w.move().nCoordKind = kWarpScreen;
    w.move().nTargetYBl = 3;
    Run(w);
    EXPECT_DOUBLE_EQ(actor_.m_dX, 8 + 320 + 69);
    EXPECT_DOUBLE_EQ(actor_.m_dY, 8 + 320 + 93);
    EXPECT_EQ(actor_.m_rcScreen.left, 69);
    EXPECT_EQ(actor_.m_rcScreen.top, 93);
}

TEST_F(Warp, IntoAWallOrOutOfTheAreaEveryPositionValueComesBack) {
    // A wall two blocks right of the actor: map column 22 (x 704..735), row 19.
    BlockMap.Cell(BlockMap.CellIndex(22, 19)).nHitType = 1;
    actor_.m_dX = kX + 0.375;  // a fraction that must come back exactly
    actor_.OnMovedX();
    actor_.UpdateScreenRect();
    const double x = actor_.m_dX, y = actor_.m_dY, r = actor_.m_dRight, b = actor_.m_dBottom;
    const IntRect rect = actor_.m_rcScreen;
    struct Case {
        int direction, distance;
    };
    // Into the wall; out of the area on the left (x below 320) and the top.
    for (const Case& c : {Case{kRight, 4}, Case{kLeft, 40}, Case{kUp, 40}}) {
        actor_.m_dVY = 2;
        WarpCmd w(kWarpByDirection, c.direction, c.distance);
        Run(w);
        EXPECT_EQ(actor_.m_dX, x) << c.direction;
        EXPECT_EQ(actor_.m_dY, y) << c.direction;
        EXPECT_EQ(actor_.m_dRight, r) << c.direction;
        EXPECT_EQ(actor_.m_dBottom, b) << c.direction;
        EXPECT_EQ(actor_.m_rcScreen, rect) << c.direction;
        EXPECT_EQ(actor_.m_dVY, 2) << "a refused warp keeps the speed";
    }
}

TEST_F(Warp, AScreenWarpHoldsItsViewPositionUntilAMovementCommand) {
    WarpCmd w(kWarpToPoint);
    w.move().nCoordKind = kWarpScreen;
    w.move().nTargetXBl = 4;
    w.move().nTargetYBl = 5;
    Run(w);
    EXPECT_EQ(actor_.m_bFixedScreenX, 1);
    EXPECT_EQ(actor_.m_bFixedScreenY, 1);
    EXPECT_EQ(actor_.m_nFixedScreenX, 128);
    EXPECT_EQ(actor_.m_nFixedScreenY, 160);
    // The view scrolls on: the actor's place on the screen stays fixed.
    scene_->m_ScrollX.m_dPos += 200;
    actor_.UpdateScreenRect();
    EXPECT_EQ(actor_.m_bFixedScreenX, 1);
    EXPECT_EQ(actor_.m_nFixedScreenX, 128);
    // A movement command lets go.
    cEdCommand stop;
    stop.nCmdType = 8;
    cCommandInstance ci;
    ci.m_pCmd = &stop;
    RunCommand(actor_, ci);
    EXPECT_EQ(actor_.m_bFixedScreenX, 0);
    EXPECT_EQ(actor_.m_bFixedScreenY, 0);

    // A refused screen warp fixes the actor where it stayed.
    w.move().nTargetXBl = -5;
    Run(w);
    EXPECT_EQ(actor_.m_bFixedScreenX, 1);
    EXPECT_EQ(actor_.m_nFixedScreenX, actor_.m_rcScreen.left);
}

TEST_F(Warp, WithoutAMoveRecordOrWithAnUnknownSpecificationNothingMoves) {
    actor_.m_bFixedScreenX = 1;
    cEdCommand bare;
    bare.nCmdType = 20;
    CmdWarp(actor_, bare);
    EXPECT_EQ(actor_.m_bFixedScreenX, 1);
    EXPECT_EQ(actor_.m_dX, kX);

    for (int spec : {3, -1}) {
        actor_.m_dVY = 2;
        WarpCmd w(spec, kRight, 4);
        Run(w);
        EXPECT_EQ(actor_.m_dX, kX);
        EXPECT_EQ(actor_.m_bFixedScreenX, 0);
        EXPECT_EQ(actor_.m_dVY, 0) << "the landing still counts";
    }
    WarpCmd w(kWarpToPoint);
    w.move().nCoordKind = 3;
    w.move().nTargetXBl = 4;
    Run(w);
    EXPECT_EQ(actor_.m_dX, kX);
}

}  // namespace

#include "flow/warp_command.h"

#include <cmath>
#include <cstdint>

#include "data/command_record.h"
#include "data/move_shot_records.h"
#include "data/system_record.h"
#include "flow/flow_instance.h"
#include "flow/movement_commands.h"
#include "stage/actor.h"
#include "stage/block_map.h"
#include "stage/game_scene.h"
#include "stage/hero_actor.h"
#include "stage/stage_objects.h"

namespace {

// The hero's screen rectangle follows the auto-scroll its own way; its method is not virtual.
void UpdateRect(cActorBase& actor) {
    if (auto* hero = dynamic_cast<cHeroActor*>(&actor))
        hero->UpdateScreenRect();
    else
        actor.UpdateScreenRect();
}

void MoveXBy(cActorBase& actor, double dx) {
    actor.m_dX += dx;
    actor.OnMovedX();
}

void MoveYBy(cActorBase& actor, double dy) {
    actor.m_dY += dy;
    actor.OnMovedY();
}

// d dots in the direction code; diagonals d / √2 on each axis. Other codes do not move.
void MoveInDirection(cActorBase& actor, int direction, double d) {
    const double dk = d * (1.0 / std::sqrt(2.0));
    switch (direction) {
        case kMoveDirLeft:
            MoveXBy(actor, -d);
            break;
        case kMoveDirRight:
            MoveXBy(actor, d);
            break;
        case kMoveDirUp:
            MoveYBy(actor, -d);
            break;
        case kMoveDirDown:
            MoveYBy(actor, d);
            break;
        case kMoveDirUpLeft:
            MoveXBy(actor, -dk);
            MoveYBy(actor, -dk);
            break;
        case kMoveDirDownLeft:
            MoveXBy(actor, -dk);
            MoveYBy(actor, dk);
            break;
        case kMoveDirUpRight:
            MoveXBy(actor, dk);
            MoveYBy(actor, -dk);
            break;
        case kMoveDirDownRight:
            MoveXBy(actor, dk);
            MoveYBy(actor, dk);
            break;
        default:
            break;
    }
}

// The direction of the move record as `whose` faces now; 入力方向 takes player 1's input of
// this moment. Diagonals stay, unless the system lets only flyers warp by input diagonally.
int WarpDirection(const cActorBase& whose, const cEdMove& move) {
    const int keepDiagonals = EdSystem.bCompat721 ? (whose.m_bFlying ? 1 : 0) : 1;
    return ResolveMoveDirection(whose, move.nDirection, 1, keepDiagonals);
}

void CentreOnTarget(cActorBase& actor, const cActorBase& target) {
    actor.m_dX = target.m_dX - target.m_nOffsetX + (target.m_nSpriteW >> 1) + actor.m_nOffsetX -
                 (actor.m_nSpriteW >> 1);
    actor.OnMovedX();
    actor.m_dY = target.m_dY - target.m_nOffsetY + (target.m_nSpriteH >> 1) + actor.m_nOffsetY -
                 (actor.m_nSpriteH >> 1);
    actor.OnMovedY();
}

void WarpToPoint(cActorBase& actor, const cEdMove& move) {
    double x = std::int64_t{move.nTargetXBl} * kBlockDots + move.nTargetXDot;
    double y = std::int64_t{move.nTargetYBl} * kBlockDots + move.nTargetYDot;
    if (actor.m_bFacingRight) {
        if (move.bMirrorX) x = -x;
        if (move.bMirrorY) y = -y;
    }
    switch (move.nCoordKind) {
        case kWarpRelative:
            MoveXBy(actor, x);
            MoveYBy(actor, y);
            break;
        case kWarpAbsolute:
            actor.SetBlockX(move.nTargetXBl);
            actor.SetBlockY(move.nTargetYBl);
            MoveXBy(actor, move.nTargetXDot);
            MoveYBy(actor, move.nTargetYDot);
            break;
        case kWarpScreen: {
            const double viewX = lpGame ? lpGame->m_ScrollX.m_dPos : 0.0;
            const double viewY = lpGame ? lpGame->m_ScrollY.m_dPos : 0.0;
            actor.m_dX = actor.m_nOffsetX + viewX + x;
            actor.OnMovedX();
            actor.m_dY = actor.m_nOffsetY + viewY + y;
            actor.OnMovedY();
            break;
        }
        default:
            break;
    }
}

}  // namespace

void CmdWarp(cActorBase& actor, const cEdCommand& cmd) {
    if (!cmd.spMove) return;
    const cEdMove& move = *cmd.spMove;
    actor.m_bFixedScreenX = 0;
    actor.m_bFixedScreenY = 0;
    const double savedX = actor.m_dX;
    const double savedY = actor.m_dY;
    const double savedRight = actor.m_dRight;
    const double savedBottom = actor.m_dBottom;

    // Whole half blocks of 16 dots.
    const std::int64_t d =
        (std::int64_t{move.nDistanceInc} * actor.m_nCloneValue + move.nDistance) * kHalfBlockDots;
    switch (move.nDestMode) {
        case kWarpByDirection:
            MoveInDirection(actor, WarpDirection(actor, move), static_cast<double>(d));
            break;
        case kWarpFromTarget: {
            const cActorBase* target = actor.m_pTarget;
            if (!target) return;
            const int direction = WarpDirection(*target, move);
            CentreOnTarget(actor, *target);
            MoveInDirection(actor, direction, static_cast<double>(d));
            break;
        }
        case kWarpToPoint:
            WarpToPoint(actor, move);
            break;
        default:
            break;
    }

    UpdateRect(actor);
    if (!actor.IsInStage(0) || IsBlocked(actor, CharaList)) {
        actor.m_dX = savedX;
        actor.m_dY = savedY;
        actor.m_dRight = savedRight;
        actor.m_dBottom = savedBottom;
        actor.OnMovedY();
        actor.OnMovedX();
        UpdateRect(actor);
    } else if (!actor.m_bFlying) {
        actor.m_dVY = 0;
    }

    if (move.nDestMode == kWarpToPoint && move.nCoordKind == kWarpScreen) {
        actor.m_bFixedScreenX = 1;
        actor.m_bFixedScreenY = 1;
        actor.m_nFixedScreenX = actor.m_rcScreen.left;
        actor.m_nFixedScreenY = actor.m_rcScreen.top;
    }
}

void CmdWarpEntry(cActorBase& actor, cCommandInstance& cmd) {
    if (cmd.m_pCmd) CmdWarp(actor, *cmd.m_pCmd);
}

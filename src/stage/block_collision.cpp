#include "stage/block_collision.h"

#include <cstdint>

#include "data/stage_record.h"
#include "data/system_record.h"
#include "platform/trunc.h"
#include "stage/actor.h"
#include "stage/actor_geometry.h"
#include "stage/actor_services.h"
#include "stage/block_map.h"
#include "stage/game_object.h"
#include "stage/hero_actor.h"
#include "stage/scroll_axis.h"

namespace {

using plat::TruncToInt;

// A flyer with block mode 0 goes through blocks: nothing here concerns it.
bool PassesThroughBlocks(const cActorBase& actor) {
    return actor.m_bFlying != 0 && actor.m_nBlockMode == 0;
}

// A flyer with block mode 2 dies where another actor would be stopped.
bool DiesOnBlocks(const cActorBase& actor) {
    return actor.m_bFlying != 0 && actor.m_nBlockMode == 2;
}

// A flyer with block mode 1 tests its sides in a fixed order, whatever its motion.
bool HitsBlocksFlying(const cActorBase& actor) {
    return actor.m_bFlying != 0 && actor.m_nBlockMode == 1;
}

bool IsPlayerOperated(const cActorBase& actor) {
    return actor.m_nOperator == 0;
}

// Deadly blocks kill the player's actors only; the computer's actors meet them as walls.
bool StopsComputerActor(std::int8_t type) {
    return type == kHitSolid || type == kHitDeadly;
}

// A walker moving up meets the underside of blocks with its head, not its feet, unless the
// project lets actors land while rising.
bool RefusesLanding(const cActorBase& actor) {
    return actor.m_dVY < 0 && actor.m_bFlying == 0 && EdSystem.bCompat677 == 0;
}

std::int8_t HitTypeOf(std::int32_t cell, const cActorBase& actor) {
    return BlockMap.Cell(cell).GetHitType(actor.m_nGroup);
}

std::int64_t Distance(std::int64_t a, std::int64_t b) {
    return a < b ? b - a : a - b;
}

// The choice among the samples of an edge: the first sample, then only a more solid cell, or
// an equally solid one nearer the middle.
struct CellChoice {
    std::int32_t cell = 0;
    int type = 0;
    std::int64_t distance = 0;
    bool any = false;

    void Offer(std::int32_t sampleCell, int sampleType, std::int64_t sampleDistance) {
        if (any && !(sampleType > type || (sampleType == type && sampleDistance < distance)))
            return;
        cell = sampleCell;
        type = sampleType;
        distance = sampleDistance;
        any = true;
    }
};

// The cell the player's actor stands on is the one under its feet, not the edge's choice;
// a computer's actor keeps the edge cell.
cBlock* StandCell(const cActorBase& actor, cBlock& edgeCell) {
    if (IsPlayerOperated(actor)) return &BlockMap.Cell(FindFootBlock(actor));
    return &edgeCell;
}

// The bottom edge of the box: its cell, at integer dots.
std::int32_t BottomEdgeCell(const cActorBase& actor) {
    const int bottom = TruncToInt(actor.m_dBottom);
    return FindEdgeBlock(actor, TruncToInt(actor.m_dX), bottom, TruncToInt(actor.m_dRight), bottom);
}

// The box's far edges on screen: the sprite's far edge less the part of the sprite beyond
// the box.
std::int64_t BoxRightOnScreen(const cHeroActor& hero) {
    return std::int64_t{hero.m_rcScreen.right} -
           (std::int64_t{hero.m_nSpriteW} - hero.m_nOffsetX - hero.m_nBoxW);
}
std::int64_t BoxBottomOnScreen(const cHeroActor& hero) {
    return std::int64_t{hero.m_rcScreen.bottom} -
           (std::int64_t{hero.m_nSpriteH} - hero.m_nOffsetY - hero.m_nBoxH);
}

}  // namespace

// --- Edge samples ---

std::int32_t FindEdgeBlock(const cActorBase& actor, int x1, int y1, int x2, int y2) {
    // The giant size is held to 1..10, so there are always at least two samples: a
    // normal-size edge is looked at at both ends, and each step of growth adds one more
    // sample a scale-1 length further on.
    const int samples = actor.GiantSize() + 1;
    if (x1 == x2) {
        // Only a strictly more solid cell replaces the choice: the first sample wins ties.
        const std::int64_t step = std::int64_t{actor.m_nBaseBoxH} - 1;
        CellChoice choice;
        for (int i = 0; i < samples; ++i) {
            const std::int32_t cell = BlockMap.CellIndexAt(x1, static_cast<double>(y1 + i * step));
            choice.Offer(cell, HitTypeOf(cell, actor), 0);
        }
        return choice.cell;
    }
    if (y1 == y2) {
        const std::int64_t step = std::int64_t{actor.m_nBaseBoxW} - 1;
        const std::int64_t middle = (std::int64_t{x1} + x2) / 2;
        CellChoice choice;
        for (int i = 0; i < samples; ++i) {
            const std::int64_t x = x1 + i * step;
            const std::int32_t cell = BlockMap.CellIndexAt(static_cast<double>(x), y1);
            choice.Offer(cell, HitTypeOf(cell, actor), Distance(x, middle));
        }
        return choice.cell;
    }
    return 0;
}

std::int32_t FindFootBlock(const cActorBase& actor) {
    const int giant = actor.GiantSize();
    // Always odd, so that one sample lies in the middle of the feet.
    const int samples = (giant % 2 != 0) ? giant + 2 : giant + 1;
    const std::int64_t left = TruncToInt(actor.m_dX);
    const std::int64_t right = TruncToInt(actor.m_dRight);
    const int bottom = TruncToInt(actor.m_dBottom);
    const std::int64_t step = actor.m_nBoxW / (samples - 1);
    const std::int64_t centre = (left + right) / 2;
    CellChoice choice;
    for (int i = 0; i < samples; ++i) {
        // The division leaves the steps short of the width; the last sample is put on the
        // right edge itself so that the whole width is covered.
        const std::int64_t x = (i == samples - 1) ? right : left + i * step;
        const std::int32_t cell = BlockMap.CellIndexAt(static_cast<double>(x), bottom);
        choice.Offer(cell, HitTypeOf(cell, actor), Distance(x, centre));
    }
    return choice.cell;
}

// --- Both axes ---

int CollideBlocksX(cActorBase& actor) {
    if (PassesThroughBlocks(actor)) return kCollideOk;
    // The side the actor moves toward is met first; standing still counts as moving left.
    const bool rightFirst = HitsBlocksFlying(actor) || actor.m_dVX > 0;
    if (rightFirst) {
        if (CollideBlockRight(actor) == kCollideDeath) return kCollideDeath;
        return CollideBlockLeft(actor);
    }
    if (CollideBlockLeft(actor) == kCollideDeath) return kCollideDeath;
    return CollideBlockRight(actor);
}

int CollideBlocksY(cActorBase& actor) {
    if (PassesThroughBlocks(actor)) return kCollideOk;
    // The stand block is found anew every tick; an actor in the air has none.
    actor.m_pStandBlock = nullptr;
    const bool downFirst = HitsBlocksFlying(actor) || actor.m_dVY > 0;
    if (downFirst) {
        if (CollideBlockDown(actor) == kCollideDeath) return kCollideDeath;
        return CollideBlockUp(actor);
    }
    if (CollideBlockUp(actor) == kCollideDeath) return kCollideDeath;
    return CollideBlockDown(actor);
}

// --- One side each ---

int CollideBlockLeft(cActorBase& actor) {
    if (PassesThroughBlocks(actor)) return kCollideOk;
    const int left = TruncToInt(actor.m_dX);
    const std::int32_t cell =
        FindEdgeBlock(actor, left, TruncToInt(actor.m_dY), left, TruncToInt(actor.m_dBottom));
    const std::int8_t type = HitTypeOf(cell, actor);
    if (type == kHitDeadly && IsPlayerOperated(actor)) return kCollideDeath;
    if (!StopsComputerActor(type)) return kCollideOk;
    if (DiesOnBlocks(actor)) return kCollideDeath;
    actor.m_bContactLeft = 1;
    actor.m_dMoveVX = 0;
    // To the next block boundary on the right; the part of the position below one dot is
    // kept, and an edge exactly on a boundary moves a whole block.
    actor.m_dX += kBlockDots - (left & (kBlockDots - 1));
    actor.OnMovedX();
    actor.m_nWallSide = 0;
    // Walking into a wall: only a wall on the side it faces turns a ground-turning actor.
    if (!actor.m_bFacingRight) actor.m_bWallTurn = 1;
    actor.TriggerFlows(kTriggerBlockHit);
    actor.TriggerFlows(kTriggerBlockSide);
    actor.TriggerFlows(kTriggerBlockLeft);
    return kCollideOk;
}

int CollideBlockRight(cActorBase& actor) {
    if (PassesThroughBlocks(actor)) return kCollideOk;
    const int right = TruncToInt(actor.m_dRight);
    const std::int32_t cell =
        FindEdgeBlock(actor, right, TruncToInt(actor.m_dY), right, TruncToInt(actor.m_dBottom));
    const std::int8_t type = HitTypeOf(cell, actor);
    if (type == kHitDeadly && IsPlayerOperated(actor)) return kCollideDeath;
    if (!StopsComputerActor(type)) return kCollideOk;
    if (DiesOnBlocks(actor)) return kCollideDeath;
    actor.m_bContactRight = 1;
    actor.m_dMoveVX = 0;
    // The right edge onto the last dot before the block.
    actor.m_dX -= (right & (kBlockDots - 1)) + 1;
    actor.OnMovedX();
    actor.m_nWallSide = 1;
    if (actor.m_bFacingRight) actor.m_bWallTurn = 1;
    actor.TriggerFlows(kTriggerBlockHit);
    actor.TriggerFlows(kTriggerBlockSide);
    actor.TriggerFlows(kTriggerBlockRight);
    return kCollideOk;
}

int CollideBlockDown(cActorBase& actor) {
    if (PassesThroughBlocks(actor)) return kCollideOk;
    cBlock& edge = BlockMap.Cell(BottomEdgeCell(actor));
    actor.m_pStandBlock = &edge;
    const std::int8_t type = edge.GetHitType(actor.m_nGroup);

    if (type == kHitSolid) {
        if (DiesOnBlocks(actor)) return kCollideDeath;
        if (RefusesLanding(actor)) return kCollideOk;
        actor.m_pStandBlock = StandCell(actor, edge);
        actor.m_pLastBlock = actor.m_pStandBlock;
        actor.Land();
        return kCollideOk;
    }
    if (type == kHitDeadly) {
        actor.m_pLastBlock = actor.m_pStandBlock;
        if (IsPlayerOperated(actor)) return kCollideDeath;
        if (DiesOnBlocks(actor)) return kCollideDeath;
        if (RefusesLanding(actor)) return kCollideOk;
        actor.Land();
        return kCollideOk;
    }

    // Nothing under the feet (every other type is no contact): one more tick in the air.
    // The count stops at its top instead of wrapping back to the ground's 0.
    if (actor.m_nJumpCount < INT32_MAX) ++actor.m_nJumpCount;
    actor.m_pStandBlock = nullptr;
    // After the air limit (8 frames) a walker counts as falling: it may no longer jump. The
    // flag is raised once, on the tick the limit is reached; a player's actor carried by a
    // block character is not falling.
    if (actor.m_nJumpCount == EdStageWork.speed.nSubSteps8) {
        if (!IsPlayerOperated(actor) || actor.m_bRiding == 0) actor.m_bFalling = 1;
    }
    return kCollideOk;
}

int CollideBlockUp(cActorBase& actor) {
    if (PassesThroughBlocks(actor)) return kCollideOk;
    const int top = TruncToInt(actor.m_dY);
    const std::int32_t cell =
        FindEdgeBlock(actor, TruncToInt(actor.m_dX), top, TruncToInt(actor.m_dRight), top);
    const std::int8_t type = HitTypeOf(cell, actor);
    if (type == kHitDeadly && IsPlayerOperated(actor)) return kCollideDeath;
    if (!StopsComputerActor(type)) return kCollideOk;
    if (DiesOnBlocks(actor)) return kCollideDeath;
    // Whatever the direction of motion: a box whose top is inside a block is pushed down.
    actor.HitCeiling();
    return kCollideOk;
}

// --- After the block characters ---

int RecheckBlocksX(cActorBase& actor) {
    if (PassesThroughBlocks(actor)) return kCollideOk;
    if (CollideBlockRight(actor) == kCollideDeath) return kCollideDeath;
    return CollideBlockLeft(actor);
}

int RecheckBlocksY(cActorBase& actor) {
    if (PassesThroughBlocks(actor)) return kCollideOk;
    cBlock& edge = BlockMap.Cell(BottomEdgeCell(actor));
    const std::int8_t type = edge.GetHitType(actor.m_nGroup);
    if (type == kHitSolid) {
        if (DiesOnBlocks(actor)) return kCollideDeath;
        // A rising actor keeps going: its head is not tested against the block it is in.
        if (RefusesLanding(actor)) return kCollideOk;
        actor.m_pStandBlock = StandCell(actor, edge);
        actor.m_pLastBlock = actor.m_pStandBlock;
        actor.Land();
    } else if (type == kHitDeadly) {
        actor.m_pStandBlock = StandCell(actor, edge);
        actor.m_pLastBlock = actor.m_pStandBlock;
        if (IsPlayerOperated(actor)) return kCollideDeath;
        if (DiesOnBlocks(actor)) return kCollideDeath;
        if (RefusesLanding(actor)) return kCollideOk;
        actor.Land();
    }
    return CollideBlockUp(actor);
}

// --- The hero and the view ---

void ClampToScreenX(cHeroActor& hero) {
    if (PassesThroughBlocks(hero)) return;
    const ScrollAxis& axis = GeomAxisX();
    // Otherwise the camera follows the hero, which cannot leave the view.
    if (axis.m_bAuto == 0 && hero.m_bFlying == 0) return;
    hero.UpdateScreenRect();
    if (hero.m_dX - axis.m_dPos < 0) {
        hero.m_bContactLeft = 1;
        hero.m_dX = axis.m_dPos;
        hero.OnMovedX();
    } else if (BoxRightOnScreen(hero) >= kViewW - 1) {
        hero.m_bContactRight = 1;
        hero.m_dX = axis.m_dPos + kViewW - hero.m_nBoxW - 1;
        hero.OnMovedX();
    }
}

int ClampToScreenY(cHeroActor& hero) {
    if (PassesThroughBlocks(hero)) return kCollideOk;
    const ScrollAxis& axis = GeomAxisY();
    if (axis.m_bAuto == 0 && hero.m_bFlying == 0) return kCollideOk;
    hero.UpdateScreenRect();
    if (hero.m_dY - axis.m_dPos < 0) {
        hero.m_bContactUp = 1;
        hero.m_dY = axis.m_dPos;
        // The bottom edge, the cell rows and the hit boxes follow the new top, as at the
        // bottom: the block collision after this clamp, the free-place tests and the hits of
        // this tick must see the hero where it now stands, not where the view found it.
        hero.OnMovedY();
        return kCollideOk;
    }
    if (BoxBottomOnScreen(hero) >= kViewH - 1) {
        hero.m_bContactDown = 1;
        hero.m_dY = axis.m_dPos + kViewH - hero.m_nBoxH - 1;
        hero.OnMovedY();
        // A screen scrolling by itself pushes a walking hero out at the bottom; a flying
        // one is merely held inside.
        return hero.m_bFlying != 0 ? kCollideOk : kCollideDeath;
    }
    return kCollideOk;
}

// --- The actor's resets on contact ---

void cActorBase::Land() {
    m_dVY = 0;
    m_dMoveVY = 0;
    m_bContactDown = 1;
    m_nJumpCount = 0;
    m_bFalling = 0;
    m_bJumping = 0;
    m_bAirborne = 0;
    m_bKnocked = 0;
    // The hero's hit-ceiling flag belongs to its jump, which clears it itself.
    if (!IsPlayerOperated(*this)) m_bHitCeiling = 0;
    // The bottom onto the last dot above the block.
    m_dY -= (TruncToInt(m_dBottom) & (kBlockDots - 1)) + 1;
    OnMovedY();
    TriggerFlows(kTriggerBlockHit);
    TriggerFlows(kTriggerBlockAboveBelow);
    TriggerFlows(kTriggerBlockBelow);
}

void cActorBase::HitCeiling() {
    m_bAirborne = 1;
    m_bJumping = 1;
    m_bContactUp = 1;
    m_bHitCeiling = 1;
    m_dVY = 0;
    m_dMoveVY = 0;
    // The top onto the next block boundary below; the part below one dot is kept.
    m_dY += kBlockDots - (TruncToInt(m_dY) & (kBlockDots - 1));
    OnMovedY();
    TriggerFlows(kTriggerBlockHit);
    TriggerFlows(kTriggerBlockAboveBelow);
    TriggerFlows(kTriggerBlockAbove);
}

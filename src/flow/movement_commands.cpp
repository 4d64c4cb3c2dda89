#include "flow/movement_commands.h"

#include <climits>
#include <cmath>
#include <cstdint>

#include "data/command_record.h"
#include "data/move_shot_records.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "flow/flow_instance.h"
#include "flow/key_conditions.h"
#include "platform/trunc.h"
#include "stage/actor.h"
#include "stage/actor_geometry.h"
#include "stage/block_collision.h"
#include "stage/block_map.h"
#include "stage/game_scene.h"
#include "stage/scroll_axis.h"
#include "stage/stage_objects.h"

namespace {

constexpr double kDegToRad = kPi / 180;
constexpr double kRadToDeg = 180 / kPi;

// An actor whose sprite lies within this many dots of leaving the view is brought back.
constexpr int kAvoidMargin = 32;

const cEdMove* MoveOf(const cCommandInstance& cmd) {
    return (cmd.m_pCmd && cmd.m_pCmd->spMove) ? cmd.m_pCmd->spMove.get() : nullptr;
}

int B() {
    return EdStageWork.speed.nSubSteps;
}

// A tick count from a double: toward zero, held within the int range, 0 for NaN. Durations
// come from divisions that a damaged or arranged value can blow up.
std::int32_t SaturateTicks(double v) {
    if (!(v == v)) return 0;
    if (v >= 2147483647.0) return INT_MAX;
    if (v <= -2147483648.0) return INT_MIN;
    return static_cast<std::int32_t>(v);
}

bool FixedFacing(const cActorBase& actor) {
    return actor.m_Chara.bFixedFacing != 0;
}

// The record's initial facing decides mirroring, not the facing of the moment: a move
// designed for a character placed facing left plays mirrored for one placed facing right.
bool RecordFacesRight(const cActorBase& actor) {
    return actor.m_Chara.nFacing == 1;
}

// The actor is drawn at its stage position again.
void ReleaseScreenFix(cActorBase& actor) {
    actor.m_bFixedScreenX = 0;
    actor.m_bFixedScreenY = 0;
}

bool IsLeftward(int d) {
    return d == kMoveDirLeft || d == kMoveDirUpLeft || d == kMoveDirDownLeft;
}
bool IsRightward(int d) {
    return d == kMoveDirRight || d == kMoveDirUpRight || d == kMoveDirDownRight;
}
bool IsUpward(int d) {
    return d == kMoveDirUp || d == kMoveDirUpLeft || d == kMoveDirUpRight;
}
bool IsDownward(int d) {
    return d == kMoveDirDown || d == kMoveDirDownLeft || d == kMoveDirDownRight;
}

// The facing result of a direction: diagonals count by their horizontal part, vertical
// directions leave the facing alone.
int FacingOf(int d) {
    if (IsLeftward(d)) return kFacingLeft;
    if (IsRightward(d)) return kFacingRight;
    return kFacingNone;
}

// The choices that depend on the facing; every other choice is its own direction code.
int ByFacing(const cActorBase& actor, int choice) {
    const bool right = actor.m_bFacingRight != 0;
    switch (choice) {
        case 0:
            return right ? kMoveDirRight : kMoveDirLeft;
        case 1:
            return right ? kMoveDirLeft : kMoveDirRight;
        case 4:
            return right ? kMoveDirDown : kMoveDirUp;
        case 5:
            return right ? kMoveDirUp : kMoveDirDown;
        default:
            return choice;
    }
}

// A key channel (none, the eight directions, several at once) as a direction code; no
// direction counts as forward.
int InputDirectionCode(const cActorBase& actor, int channel) {
    static constexpr int kCodes[10] = {-1,
                                       kMoveDirLeft,
                                       kMoveDirRight,
                                       kMoveDirUp,
                                       kMoveDirDown,
                                       kMoveDirUpLeft,
                                       kMoveDirDownLeft,
                                       kMoveDirUpRight,
                                       kMoveDirDownRight,
                                       kMoveDirNone};
    if (channel == 0) return ByFacing(actor, 0);
    if (channel < 0 || channel > 9) return kMoveDirNone;
    return kCodes[channel];
}

int CapturedInputDirection() {
    const FlowInstance* flow = lpGame ? lpGame->m_pCurFlow : nullptr;
    return flow ? flow->m_nInputDir : 0;
}

// The base angle of a direction for the angled velocity: the direction the velocity
// −(cos θ, sin θ) points at θ = base.
bool BaseAngleOf(int d, int& base) {
    switch (d) {
        case kMoveDirLeft:
            base = 0;
            return true;
        case kMoveDirRight:
            base = 180;
            return true;
        case kMoveDirUp:
            base = 90;
            return true;
        case kMoveDirDown:
            base = 270;
            return true;
        case kMoveDirUpLeft:
            base = 45;
            return true;
        case kMoveDirDownLeft:
            base = 315;
            return true;
        case kMoveDirUpRight:
            base = 135;
            return true;
        case kMoveDirDownRight:
            base = 225;
            return true;
        default:
            base = 0;
            return false;
    }
}

// One axis of an inertia move: against the present motion the acceleration is scaled by the
// reversal factor; along it (or from rest) the stop deceleration is switched off.
void Accelerate(double& moveV, std::int32_t& decel, double v, double factor, double maxSpeed) {
    double accel = PerFrameSpeed(v);
    if ((moveV < 0 && v > 0) || (moveV > 0 && v < 0))
        accel *= factor;
    else
        decel = 0;
    // A factor that is not a number (a damaged file) would leave the move not a number
    // for good: it acts as no scaling.
    if (!std::isfinite(accel)) accel = PerFrameSpeed(v);
    moveV += accel;
    // A negative limit from a damaged file limits by its size.
    const double limit = std::fabs(maxSpeed);
    if (moveV > limit)
        moveV = limit;
    else if (moveV < -limit)
        moveV = -limit;
}

// The block character the actor rides, by its serial number; null when it rides none or
// that character is gone.
const cCharaActor* RiddenBlockChara(const cActorBase& actor) {
    if (!actor.m_bRiding) return nullptr;
    for (const cCharaActor& c : CharaList)
        if (c.m_nSerial == actor.m_nRideSerial) return &c;
    return nullptr;
}

std::int8_t HitTypeAt(std::int32_t column, std::int32_t row, std::int32_t group) {
    return BlockMap.Cell(BlockMap.CellIndex(column, row)).GetHitType(group);
}

// The charge's aim turned by its angle, at the charge's speed.
void TurnCharge(cActorBase& actor, cCommandInstance& cmd) {
    const double s = cmd.m_dSpeed;
    const double vx = cmd.m_dVX;
    const double vy = cmd.m_dVY;
    double theta;
    if (EdSystem.bCompat728 == 0) {
        const double phi = std::atan2(vy, vx) * kRadToDeg;
        theta = static_cast<std::int16_t>(plat::TruncToInt(phi + 180) + cmd.m_nAngle);
        cmd.m_dVX = -std::cos(theta * kDegToRad) * s;
        if (actor.m_bFlying) cmd.m_dVY = -std::sin(theta * kDegToRad) * s;
    } else {
        const double phi = std::atan2(vx, vy) * kRadToDeg;
        theta = static_cast<std::int16_t>(plat::TruncToInt(phi + 90) + cmd.m_nAngle);
        cmd.m_dVX = std::cos(theta * kDegToRad) * s;
        if (actor.m_bFlying) cmd.m_dVY = -std::sin(theta * kDegToRad) * s;
    }
}

// The velocity and facing result stay at rest: a move that found nothing to aim at must not
// go on with what an earlier run of the command left in its instance.
void Rest(cCommandInstance& cmd) {
    cmd.m_dVX = cmd.m_dVY = 0;
    cmd.m_nFacing = kFacingNone;
}

}  // namespace

// --- Set-up ---

void ResolveMoveSpeed(cCommandInstance& cmd, const cEdCommand& command, int cloneValue) {
    const cEdMove* move = command.spMove.get();
    if (!move) return;
    double distance =
        static_cast<double>(move->nDistance) + static_cast<double>(cloneValue) * move->nDistanceInc;
    if (move->nUnit != 1) distance *= kHalfBlockDots;
    switch (move->nTiming) {
        case 1:
            // A command of no duration still runs one tick: it covers the distance in it.
            cmd.m_dSpeed = cmd.m_nDuration != 0 ? distance / cmd.m_nDuration : distance;
            break;
        case 2: {
            if (cmd.m_dSpeed == 0) {
                // Never arriving would hold the flow for ever: the command ends at once.
                cmd.m_nDuration = 0;
                break;
            }
            std::int32_t t = SaturateTicks(distance / cmd.m_dSpeed);
            if (t < 0 && EdSystem.bCompat695 == 0) t = t == INT_MIN ? INT_MAX : -t;
            cmd.m_nDuration = t;
            break;
        }
        default:
            break;
    }
}

// --- Operations on the actor ---

void CalcMoveAngle(const cActorBase& actor, cCommandInstance& cmd) {
    const cEdMove* move = MoveOf(cmd);
    if (!move) return;
    std::int64_t angle = move->nAngle + std::int64_t{actor.m_nCloneValue} * move->nAngleInc;
    if (move->bMirrorAngle && RecordFacesRight(actor)) angle = 360 - angle;
    if (angle >= 360) angle %= 360;
    cmd.m_nAngle = static_cast<std::int32_t>(angle);
}

void CalcMoveOffset(const cActorBase& actor, cCommandInstance& cmd) {
    const cEdMove* move = MoveOf(cmd);
    if (!move) return;
    std::int32_t x = move->nTargetXBl * kBlockDots + move->nTargetXDot;
    std::int32_t y = move->nTargetYBl * kBlockDots + move->nTargetYDot;
    if (RecordFacesRight(actor)) {
        if (move->bMirrorX) x = -x;
        if (move->bMirrorY) y = -y;
    }
    cmd.m_nOffsetX = x;
    cmd.m_nOffsetY = y;
}

int ResolveMoveDirection(const cActorBase& actor, int choice, int useCurrentInput,
                         int keepDiagonals) {
    int d;
    if (choice == kMoveChoiceInput) {
        int channel = 0;
        if (useCurrentInput) {
            const cInput* input = PlayerOneInput();
            channel = input ? GetInputDirection(*input) : 0;
        } else {
            channel = CapturedInputDirection();
        }
        d = InputDirectionCode(actor, channel);
    } else {
        d = ByFacing(actor, choice);
    }
    if (!keepDiagonals) {
        if (d == kMoveDirUpLeft || d == kMoveDirDownLeft) d = kMoveDirLeft;
        if (d == kMoveDirUpRight || d == kMoveDirDownRight) d = kMoveDirRight;
    }
    return d;
}

void VelocityForDirection(const cActorBase& actor, cCommandInstance& cmd, double s, int choice) {
    const bool flying = actor.m_bFlying != 0;
    const int d = ResolveMoveDirection(actor, choice, 0, flying ? 1 : 0);
    const double diag = s / kSqrt2;
    double vx = 0;
    double vy = 0;
    switch (d) {
        case kMoveDirLeft:
            vx = -s;
            break;
        case kMoveDirRight:
            vx = s;
            break;
        case kMoveDirUp:
            vy = -s;
            break;
        case kMoveDirDown:
            vy = s;
            break;
        case kMoveDirUpLeft:
            vx -= diag;
            vy -= diag;
            break;
        case kMoveDirDownLeft:
            vx -= diag;
            vy += diag;
            break;
        case kMoveDirUpRight:
            vx += diag;
            vy -= diag;
            break;
        case kMoveDirDownRight:
            vx += diag;
            vy += diag;
            break;
        default:
            break;
    }
    cmd.m_dVX = vx;
    cmd.m_dVY = flying ? vy : 0.0;
    if (!FixedFacing(actor)) cmd.m_nFacing = FacingOf(d);
}

void VelocityForDirectionAngle(const cActorBase& actor, cCommandInstance& cmd, double s, int choice,
                               int angle) {
    const bool flying = actor.m_bFlying != 0;
    const int d = ResolveMoveDirection(actor, choice, 0, flying ? 1 : 0);
    int base = 0;
    if (!BaseAngleOf(d, base)) {
        // No direction (several input directions at once, or a choice out of range) moves
        // nowhere, whatever the angle.
        cmd.m_dVX = cmd.m_dVY = 0;
        if (!FixedFacing(actor)) cmd.m_nFacing = kFacingNone;
        return;
    }
    const double theta = (static_cast<double>(base) + angle) * kDegToRad;
    cmd.m_dVX = -std::cos(theta) * s;
    cmd.m_dVY = flying ? -std::sin(theta) * s : 0.0;
    if (!FixedFacing(actor)) cmd.m_nFacing = FacingOf(d);
}

void VelocityTowardPoint(const cActorBase& actor, cCommandInstance& cmd, double s, int offsetX,
                         int offsetY, const cEdMove& move, std::int32_t& remaining) {
    const ScrollAxis& ax = GeomAxisX();
    const ScrollAxis& ay = GeomAxisY();
    const double cx = actor.CenterX() + ax.m_dPos;
    const double cy = actor.CenterY() + ay.m_dPos;

    // The goal's distance on one axis by the coordinate kind: from the placement point, from
    // here, from the stage's corner, or from the view's corner; the last two name the
    // middle of a block.
    auto delta = [&](int used, double home, int offset, double centre, const ScrollAxis& axis) {
        if (!used) return 0.0;
        switch (move.nCoordKind) {
            case 0:
                return home + offset - centre;
            case 1:
                return static_cast<double>(offset);
            case 2:
                return static_cast<double>(axis.m_nMargin) * kBlockDots + offset + 16 - centre;
            case 3:
                return offset + 16 + axis.m_dPos - centre;
            default:
                return 0.0;
        }
    };
    const double dx = delta(move.bUseX, actor.m_dHomeX, offsetX, cx, ax);
    const double dy = delta(move.bUseY, actor.m_dHomeY, offsetY, cy, ay);

    const double dist = std::sqrt(dx * dx + dy * dy);
    double vx = 0;
    double vy = 0;
    if (dist != 0) {
        vx = move.bNoMoveX ? 0.0 : dx / dist * s;
        vy = move.bNoMoveY ? 0.0 : dy / dist * s;
    }
    int facing = cmd.m_nFacing;
    if (!FixedFacing(actor)) {
        if (vx < -1e-8)
            facing = kFacingLeft;
        else if (vx > 1e-8)
            facing = kFacingRight;
        else
            facing = kFacingNone;
    }
    if (move.bUntilArrival && s != 0) {
        const std::int32_t ticks = SaturateTicks(std::fabs(dist) / std::fabs(s));
        remaining = ticks;
        if (move.bSnap && ticks <= 0) {
            if (move.bUseX && !move.bNoMoveX) {
                vx = 0;
                facing = kFacingNone;
            }
            if (move.bUseY && !move.bNoMoveY) vy = 0;
        }
    }
    cmd.m_dVX = vx;
    cmd.m_dVY = vy;
    cmd.m_nFacing = facing;
}

void GroundTurnStep(cActorBase& actor, cCommandInstance& cmd) {
    cmd.m_dVY = 0;
    cmd.m_nFacing = kFacingNone;
    cmd.m_dVX = actor.FacingSign() * cmd.m_dSpeed;
    if (actor.m_bWallTurn) {
        cmd.m_nFacing = actor.m_bFacingRight ? kFacingLeft : kFacingRight;
        cmd.m_dVX = -cmd.m_dVX;
        // On a moving platform the turn also has to undo the platform's motion that the
        // ride added, or the actor would be carried on into the wall.
        if (const cCharaActor* ridden = RiddenBlockChara(actor)) {
            const double d = ridden->m_dX - actor.m_rcRide.left;
            const bool against =
                (actor.m_bFacingRight && d < 0) || (!actor.m_bFacingRight && d > 0);
            cmd.m_dVX += against ? 2 * d : d;
        }
        actor.m_bWallTurn = 0;
        return;
    }
    // The ledge ahead: the row just under the feet, below the box's two edge columns.
    if (BlockMap.CellCount() == 0) return;
    std::int32_t row = plat::TruncToInt(actor.m_dBottom + 1.1) >> 5;
    if (row > BlockMap.Rows() - 1) row = BlockMap.Rows() - 1;
    if (row < 0) row = 0;
    const bool left = HitTypeAt(actor.m_nCellLeft, row, actor.m_nGroup) != 0;
    const bool right = HitTypeAt(actor.m_nCellRight, row, actor.m_nGroup) != 0;
    // The velocity of this tick keeps the old facing; the turn shows from the next tick.
    if (left && !right)
        cmd.m_nFacing = kFacingLeft;
    else if (!left && right)
        cmd.m_nFacing = kFacingRight;
}

void VelocityByLocks(cActorBase& actor, cCommandInstance& cmd, const cEdMove& move, int goalX,
                     int goalY) {
    const int sync = actor.m_bScrollSync;
    const int snap = move.bSnap;
    if (!move.bNoMoveX && !move.bNoMoveY) {
        // A negative speed flees by the goal's side on both axes.
        MoveTowardPoint(cmd, actor, goalX, goalY, sync, 0, snap);
    } else if (move.bNoMoveX && !move.bNoMoveY) {
        MoveTowardY(cmd, actor, goalY, sync, snap);
    } else if (!move.bNoMoveX && move.bNoMoveY) {
        MoveTowardX(cmd, actor, goalX, sync, snap);
    } else {
        Rest(cmd);
    }
}

namespace {

// One axis of the avoiding move: toward the low side (left, up) when the screen start of the
// sprite has come within the margin of the far edge, toward the high side when its end is
// within the margin of the near edge. While the view scrolls by itself the actor also keeps
// up with the axis's scroll speed `s`, and may only be sent back where the view still has
// room to go.
double AvoidAxis(const ScrollAxis& axis, bool scrolling, double s, bool towardLow, bool towardHigh,
                 int screenStart, int screenEnd, int view, double speed) {
    if (!scrolling) {
        if (towardLow) return screenStart > view - kAvoidMargin ? -speed : 0.0;
        if (towardHigh) return screenEnd < kAvoidMargin ? speed : 0.0;
        return 0;
    }
    const double p = axis.m_dPos;
    const double room = static_cast<double>(axis.m_nHigh) - view;
    const double lead = std::fabs(s + 1);
    if (towardLow)
        return screenStart > view - kAvoidMargin - lead && p > 0 && s + p <= room ? s - speed : 0.0;
    if (towardHigh)
        return screenEnd < lead + kAvoidMargin && s + p > 0 && room > p ? s + speed : 0.0;
    return 0;
}

}  // namespace

void AvoidStep(const cActorBase& actor, cCommandInstance& cmd) {
    const int d = ByFacing(actor, cmd.m_nMoveChoice);
    const IntRect& rc = actor.m_rcScreen;
    const ScrollAxis& ax = GeomAxisX();
    const ScrollAxis& ay = GeomAxisY();
    // The horizontal auto-scroll alone decides which rule holds, for both axes: a stage that
    // scrolls only vertically is avoided as a still one. Within the scrolling rule each axis
    // keeps up with its own view: its speed, or 0 while it does not scroll or rests at a
    // limit (an actor keeping up with a view that stands would drift out of it).
    const double sx = ActiveScrollSpeed(ax);
    const bool scrolling = sx != 0;
    cmd.m_dVX = AvoidAxis(ax, scrolling, sx, IsLeftward(d), IsRightward(d), rc.left, rc.right,
                          kViewW, cmd.m_dSpeed);
    cmd.m_dVY = AvoidAxis(ay, scrolling, ActiveScrollSpeed(ay), IsUpward(d), IsDownward(d), rc.top,
                          rc.bottom, kViewH, cmd.m_dSpeed);
}

void ApplyMoveVelocity(cActorBase& actor, double vx, double vy, int facing, cCommandInstance& cmd,
                       const cEdMove& move, int force) {
    if (!move.bKeepFacing && (!FixedFacing(actor) || force)) {
        if (facing == kFacingLeft)
            actor.m_bFacingRight = 0;
        else if (facing == kFacingRight)
            actor.m_bFacingRight = 1;
    }
    if (!move.bInertia) {
        actor.m_dVX += vx;
        actor.m_dVY += vy;
    } else {
        Accelerate(actor.m_dMoveVX, actor.m_bDecelX, vx, move.fTurnFactor, cmd.m_dMaxSpeed);
        Accelerate(actor.m_dMoveVY, actor.m_bDecelY, vy, move.fTurnFactor, cmd.m_dMaxSpeed);
    }
    if (!move.bKeepAnime) {
        actor.m_bMovedByCommand = 1;
        actor.m_AnimPattern.ChangeSeq(actor.m_bFlying ? 3 : 1, 1);
    }
}

// --- Handlers ---
//
// A movement command without a move record (a damaged file) has nothing to move by and does
// nothing.

void CmdStraightMove(cActorBase& actor, cCommandInstance& cmd) {
    const cEdMove* move = MoveOf(cmd);
    if (!move) return;
    ReleaseScreenFix(actor);
    const bool flying = actor.m_bFlying != 0;
    if (!cmd.m_bFirstTickDone) {
        cmd.m_bFirstTickDone = 1;
        CalcMoveAngle(actor, cmd);
        if (move->nDestMode == 1) CalcMoveOffset(actor, cmd);
        Rest(cmd);
        if (move->nDestMode == 0) {
            if (cmd.m_nAngle == 0)
                VelocityForDirection(actor, cmd, cmd.m_dSpeed, cmd.m_nMoveChoice);
            else
                VelocityForDirectionAngle(actor, cmd, cmd.m_dSpeed, cmd.m_nMoveChoice,
                                          cmd.m_nAngle);
        } else if (move->nDestMode == 1) {
            VelocityTowardPoint(actor, cmd, cmd.m_dSpeed, cmd.m_nOffsetX, cmd.m_nOffsetY, *move,
                                cmd.m_nRemaining);
        }
        if (!flying) cmd.m_dVY = 0;
    } else {
        if (!flying) cmd.m_dVY = 0;
        // Someone else turned a fixed-facing actor: the move turns with it.
        if (move->bTurnBack && FixedFacing(actor) && actor.m_bFacingRight != cmd.m_nPrevFacing) {
            cmd.m_dVX = -cmd.m_dVX;
            cmd.m_dVY = -cmd.m_dVY;
        }
    }
    ApplyMoveVelocity(actor, cmd.m_dVX, cmd.m_dVY, cmd.m_nFacing, cmd, *move, 0);
    cmd.m_nPrevFacing = actor.m_bFacingRight;
}

void CmdGroundTurnMove(cActorBase& actor, cCommandInstance& cmd) {
    const cEdMove* move = MoveOf(cmd);
    if (!move || actor.m_bFlying) return;
    ReleaseScreenFix(actor);
    if (actor.m_dKnockVX == 0 && actor.m_dKnockVY == 0) {
        GroundTurnStep(actor, cmd);
    } else {
        // While knocked back the actor neither turns at walls nor at ledges.
        cmd.m_dVX = actor.FacingSign() * cmd.m_dSpeed;
        cmd.m_dVY = 0;
        cmd.m_nFacing = kFacingNone;
    }
    ApplyMoveVelocity(actor, cmd.m_dVX, cmd.m_dVY, cmd.m_nFacing, cmd, *move, 1);
}

void CmdCircleMove(cActorBase& actor, cCommandInstance& cmd) {
    const cEdMove* move = MoveOf(cmd);
    if (!move || cmd.m_nRadius == 0) return;
    ReleaseScreenFix(actor);
    if (!cmd.m_bFirstTickDone) {
        cmd.m_bFirstTickDone = 1;
        cmd.m_dPhaseX = cmd.m_dPhaseY = cmd.m_nStartAngle;
    }
    int sense = cmd.m_nMoveChoice;
    if (sense == 2)
        sense = actor.m_bFacingRight ? 1 : 0;
    else if (sense == 3)
        sense = actor.m_bFacingRight ? 0 : 1;
    double vx = 0;
    double vy = 0;
    const double step = B() * cmd.m_dSpeed;
    if (!move->bNoMoveX) vx = -WaveStep(cmd.m_nRadius, 1, cmd.m_dPhaseX, step, 0) * cmd.m_dSpeed;
    if (!move->bNoMoveY && actor.m_bFlying)
        vy = -WaveStep(cmd.m_nRadius, 1, cmd.m_dPhaseY, step, sense == 0 ? 270 : 90) * cmd.m_dSpeed;
    cmd.m_dVX = vx;
    cmd.m_dVY = vy;
    ApplyMoveVelocity(actor, vx, vy, kFacingNone, cmd, *move, 0);
}

void CmdChargeMove(cActorBase& actor, cCommandInstance& cmd) {
    const cEdMove* move = MoveOf(cmd);
    if (!move) return;
    ReleaseScreenFix(actor);
    const bool flying = actor.m_bFlying != 0;
    if (!cmd.m_bFirstTickDone) {
        cmd.m_bFirstTickDone = 1;
        CalcMoveAngle(actor, cmd);
        CalcMoveOffset(actor, cmd);
        cActorBase* target = actor.m_pTarget;
        // Without a living target the charge has no direction: it stays at rest.
        if (!target || target->m_bDying) {
            Rest(cmd);
            return;
        }
        if (flying) {
            int gx = 0;
            int gy = 0;
            target->RelativeGoal(cmd, gx, gy);
            VelocityByLocks(actor, cmd, *move, gx, gy);
        } else if (move->bNoMoveX) {
            Rest(cmd);
        } else {
            StepTowardX(cmd.m_dVX, cmd.m_dVY, cmd.m_nFacing, &actor, actor.CenterX(),
                        static_cast<double>(target->CenterX()) + cmd.m_nOffsetX, cmd.m_dSpeed,
                        actor.m_bScrollSync, 0);
        }
        if (cmd.m_nAngle != 0) TurnCharge(actor, cmd);
    }
    if (!flying) cmd.m_dVY = 0;
    ApplyMoveVelocity(actor, cmd.m_dVX, cmd.m_dVY, cmd.m_nFacing, cmd, *move, 0);
}

void CmdHomingMove(cActorBase& actor, cCommandInstance& cmd) {
    const cEdMove* move = MoveOf(cmd);
    cActorBase* target = actor.m_pTarget;
    if (!move || !target) return;
    if (!cmd.m_bFirstTickDone) {
        cmd.m_bFirstTickDone = 1;
        CalcMoveOffset(actor, cmd);
    }
    if (target->m_bDying) return;
    const bool flying = actor.m_bFlying != 0;
    if (!flying && move->bNoMoveX) return;
    ReleaseScreenFix(actor);
    const std::int32_t n = cmd.m_nRadius;

    // The goal of this tick; for a walker only its x counts.
    GoalPoint now;
    if (flying) {
        int gx = 0;
        int gy = 0;
        target->RelativeGoal(cmd, gx, gy);
        now = {static_cast<double>(gx), static_cast<double>(gy)};
    } else {
        now.x = static_cast<double>(target->CenterX()) + cmd.m_nOffsetX;
    }
    auto aim = [&](const GoalPoint& goal) {
        if (flying) {
            VelocityByLocks(actor, cmd, *move, static_cast<int>(goal.x), static_cast<int>(goal.y));
        } else {
            MoveTowardX(cmd, actor, static_cast<int>(goal.x), actor.m_bScrollSync, move->bSnap);
        }
    };
    // With a delay the move steers only every n ticks, toward where the target was n ticks
    // earlier.
    if (n == 0) {
        aim(now);
    } else if (cmd.m_nTickCounter == 0) {
        cmd.m_listGoal.clear();
        cmd.m_listGoal.push_back(now);
        aim(now);
    } else if (cmd.m_nTickCounter % n == 0) {
        if (cmd.m_listGoal.empty()) cmd.m_listGoal.push_back(now);
        GoalPoint& stored = cmd.m_listGoal.CheckedListAt(0);
        aim(stored);
        stored = now;
    }
    if (!flying) cmd.m_dVY = 0;
    ApplyMoveVelocity(actor, cmd.m_dVX, cmd.m_dVY, cmd.m_nFacing, cmd, *move, 0);
    ++cmd.m_nTickCounter;
}

void CmdAvoidMove(cActorBase& actor, cCommandInstance& cmd) {
    const cEdMove* move = MoveOf(cmd);
    if (!move) return;
    ReleaseScreenFix(actor);
    AvoidStep(actor, cmd);
    if (!actor.m_bFlying) cmd.m_dVY = 0;
    ApplyMoveVelocity(actor, cmd.m_dVX, cmd.m_dVY, cmd.m_nFacing, cmd, *move, 0);
    ++cmd.m_nTickCounter;
}

void CmdStopMove(cActorBase& actor, cCommandInstance&) {
    actor.m_dVX = actor.m_dVY = 0;
    actor.m_dMoveVX = actor.m_dMoveVY = 0;
    actor.m_dKnockVX = actor.m_dKnockVY = 0;
    ReleaseScreenFix(actor);
    // Until the actor's next flow pass, gravity must not start it falling again.
    actor.m_bGravityOff = 1;
}

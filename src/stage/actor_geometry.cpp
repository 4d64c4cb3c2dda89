#include "stage/actor_geometry.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "data/stage_record.h"
#include "data/stage_sub_records.h"
#include "data/system_record.h"
#include "flow/flow_instance.h"
#include "platform/trunc.h"
#include "stage/actor.h"
#include "stage/block_map.h"
#include "stage/game_object.h"
#include "stage/scroll_axis.h"

namespace {

ScrollAxis s_OwnAxisX;
ScrollAxis s_OwnAxisY;
ScrollAxis* s_pAxisX = &s_OwnAxisX;
ScrollAxis* s_pAxisY = &s_OwnAxisY;

const GameSpeedConstants& Speed() {
    return EdStageWork.speed;
}

// Movement commands add the auto-scroll themselves instead of synchronised actors
// inheriting it: the behaviour of projects older than version 214.
bool ScrollInMoves() {
    return EdSystem.bCompat214 != 0;
}

// x − w as the clamps place a box against a bound; in doubles, so that sizes from a damaged
// file cannot overflow.
double Before(std::int32_t bound, std::int32_t size) {
    return static_cast<double>(bound) - size;
}

bool Remainder0(std::int32_t value, std::int32_t divisor) {
    return static_cast<std::int64_t>(value) % divisor == 0;
}

// The comparison of a character variable in a target filter.
bool CompareVar(std::int32_t v, std::int32_t op, std::int32_t value) {
    switch (op) {
        case 0:
            return v == value;
        case 1:
            return v != value;
        case 2:
            return v >= value;
        case 3:
            return v <= value;
        case 4:
            return v > value;
        case 5:
            return v < value;
        case 6:
            return value == 0 || Remainder0(v, value);
        case 7:
            return value != 0 && !Remainder0(v, value);
        default:
            return false;
    }
}

}  // namespace

void SetGeometryAxes(ScrollAxis* axisX, ScrollAxis* axisY) {
    s_pAxisX = axisX ? axisX : &s_OwnAxisX;
    s_pAxisY = axisY ? axisY : &s_OwnAxisY;
}
ScrollAxis& GeomAxisX() {
    return *s_pAxisX;
}
ScrollAxis& GeomAxisY() {
    return *s_pAxisY;
}

// --- Units ---

int HblToDots(int n) {
    return static_cast<std::int8_t>(n) * kHalfBlockDots;
}

double SpeedFromHundredths(int n) {
    const GameSpeedConstants& sp = Speed();
    if (!sp.RunsSubSteps()) return 0;
    return static_cast<std::int16_t>(n) * 0.01 / sp.dSubStepsSq;
}

double PerFrameSpeed(double v) {
    const GameSpeedConstants& sp = Speed();
    if (!sp.RunsSubSteps()) return 0;
    return v / sp.dSubSteps / 60;
}

double ActiveScrollSpeed(const ScrollAxis& axis) {
    return (axis.m_dAutoSpeed != 0 && axis.m_bAtLimit == 0) ? axis.m_dAutoSpeed : 0.0;
}

// --- cGameObject: initialisation and view tests ---

void cGameObject::Init(int serial, int op, int group, int graphicNo,
                       const ANIMSTEPDEF* const* steps, int firstSeq, int offsetX, int offsetY,
                       int boxW, int boxH, int spriteW, int spriteH, int facingRight, int flyMode,
                       int cloneValue) {
    m_nSerial = serial;
    m_nOperator = op;
    m_nGroup = group;
    m_nGraphicNo = graphicNo;
    m_nLifeFrames = kLifeUnlimited;
    if (steps) {
        m_AnimPattern.Set(steps);
        m_AnimPattern.SetSeq(firstSeq, 1);
    }
    m_nOffsetX = m_nBaseOffsetX = offsetX;
    m_nOffsetY = m_nBaseOffsetY = offsetY;
    m_nSpriteW = m_nBaseSpriteW = spriteW;
    m_nSpriteH = m_nBaseSpriteH = spriteH;
    m_nBoxW = m_nBaseBoxW = boxW;
    m_nBoxH = m_nBaseBoxH = boxH;
    m_bFacingRight = facingRight;
    m_nCloneValue = static_cast<std::int16_t>(cloneValue);
    m_dVX = m_dVY = 0;
    m_dMoveVX = m_dMoveVY = 0;
    m_bPresent = 0;
    m_bOnScreen = 0;
    SetFlyMode(flyMode);
}

void cGameObject::SetFlyMode(int mode) {
    switch (mode) {
        case 1:
            m_bFlying = 1;
            m_nBlockMode = 0;
            break;
        case 2:
            m_bFlying = 1;
            m_nBlockMode = 1;
            break;
        case 3:
            m_bFlying = 1;
            m_nBlockMode = 2;
            break;
        default:
            m_bFlying = 0;
            m_nBlockMode = 1;
            break;
    }
}

void cGameObject::UpdateScreenRect() {
    const double sx = plat::TruncToInt(GeomAxisX().m_dPos);
    const double sy = plat::TruncToInt(GeomAxisY().m_dPos);
    m_rcScreen.left = plat::TruncToInt(m_dX - m_nOffsetX - sx);
    m_rcScreen.right = static_cast<std::int32_t>(std::int64_t{m_rcScreen.left} + m_nSpriteW - 1);
    m_rcScreen.top = plat::TruncToInt(m_dY - m_nOffsetY - sy);
    m_rcScreen.bottom = static_cast<std::int32_t>(std::int64_t{m_rcScreen.top} + m_nSpriteH - 1);
}

int cGameObject::IsOnScreen() const {
    return IsInView(0, 0);
}

int cGameObject::IsInView(int ignoreX, int ignoreY) const {
    const double sx = GeomAxisX().m_dPos;
    const double sy = GeomAxisY().m_dPos;
    if (!ignoreX && !(m_dRight >= sx && sx + kViewW > m_dX)) return 0;
    if (!ignoreY && !(m_dBottom >= sy && sy + kViewH > m_dY)) return 0;
    return 1;
}

int cGameObject::IsInStage(int wholeMap) const {
    const ScrollAxis& ax = GeomAxisX();
    const ScrollAxis& ay = GeomAxisY();
    if (wholeMap)
        return m_dX >= 0 && m_dRight < ax.m_nExtent && m_dY >= 0 && m_dBottom < ay.m_nExtent;
    return m_dX >= ax.m_nAreaLow && m_dRight < ax.m_nAreaHigh && m_dY >= ay.m_nAreaLow &&
           m_dBottom < ay.m_nAreaHigh;
}

int cGameObject::IsOutOfArea(const cEdAreaLimit& area) const {
    if (IsOnScreen()) return 0;
    const ScrollAxis& ax = GeomAxisX();
    const ScrollAxis& ay = GeomAxisY();
    const double sx = ax.m_dPos;
    const double sy = ay.m_dPos;
    // The bounds are truncated toward zero as whole dots. std::trunc on the doubles rather
    // than plat::TruncToInt: a damaged huge margin would come out of the int helper as
    // INT_MIN, a bound on the wrong side that marks every object out of the area; as doubles
    // the bound can neither overflow nor change side.
    if (area.bLeftOn && m_dRight <= std::trunc(sx - area.nLeftMargin * 32.0)) return 1;
    if (area.bRightOn && m_dX >= std::trunc(sx + area.nRightMargin * 32.0 + kViewW)) return 1;
    if (area.bBottomOn && m_dY >= std::trunc(area.nBottomMargin * 32.0 + sy + kViewH)) return 1;
    if (area.bTopOn && m_dBottom <= std::trunc(sy - area.nTopMargin * 32.0)) return 1;
    if (m_dX <= 0 || m_dRight >= ax.m_nExtent - 1.0 || m_dY <= 0 || m_dBottom >= ay.m_nExtent - 1.0)
        return 1;
    return 0;
}

int cGameObject::TouchesSolidBlock() const {
    const double xs[4] = {m_dX, m_dX, m_dRight, m_dRight};
    const double ys[4] = {m_dY, m_dBottom, m_dY, m_dBottom};
    for (int i = 0; i < 4; ++i)
        if (BlockMap.CellAt(xs[i], ys[i]).GetHitType(m_nGroup) != 0) return 1;
    return 0;
}

int cGameObject::RectOverlaps(double left, double top, double right, double bottom) const {
    return m_dX <= right && m_dRight >= left && m_dY <= bottom && m_dBottom >= top;
}

// --- Clamps and steps ---

int cGameObject::ClampX(int mode) {
    const ScrollAxis& a = GeomAxisX();
    const std::int32_t w = m_nBoxW;
    int code = 0;
    // The tail shared by modes 1 and 2: inside the stage, are we outside the scroll limits?
    auto limits = [&] { return (m_dX < a.m_nLow || m_dX + w - 1 >= a.m_nHigh) ? 1 : 0; };
    switch (mode) {
        case 0:
            if (m_dX < a.m_nLow)
                m_dX = a.m_nLow;
            else if (m_dX + w - 1 >= a.m_nHigh)
                m_dX = Before(a.m_nHigh, w);
            break;
        case 1:
            if (m_dX < a.m_nAreaLow)
                m_dX = a.m_nAreaLow;
            else if (m_dX + w - 1 >= a.m_nAreaHigh)
                m_dX = Before(a.m_nAreaHigh, w);
            else
                code = limits();
            break;
        case 2:
            // A position that is not a number (a damaged speed or size got into it) counts
            // as before the stage and is put back at its edge.
            if (!(m_dX >= 0)) {
                m_dX = 0;
                code = 3;
            } else if (m_dX + w - 1 >= a.m_nExtent) {
                m_dX = Before(a.m_nExtent, w);
                code = 3;
            } else if (m_dX < a.m_nAreaLow || m_dX + w - 1 >= a.m_nAreaHigh) {
                code = 2;
            } else {
                code = limits();
            }
            break;
        default:
            break;
    }
    m_dRight = w + m_dX - 1;
    UpdateHitBoxX();
    m_nCellLeft = plat::TruncToInt(m_dX) >> 5;
    m_nCellRight = plat::TruncToInt(m_dRight) >> 5;
    return code;
}

int cGameObject::ClampY(int mode) {
    const ScrollAxis& a = GeomAxisY();
    const std::int32_t h = m_nBoxH;
    int code = 0;
    auto limits = [&] {
        if (m_dY < a.m_nLow) return 1;
        if (m_dY + h - 1 >= a.m_nHigh) return 4;
        return 0;
    };
    switch (mode) {
        case 0:
            if (m_dY < a.m_nLow)
                m_dY = a.m_nLow;
            else if (m_dY + h - 1 >= a.m_nHigh)
                m_dY = Before(a.m_nHigh, h);
            break;
        case 1:
            if (m_dY < a.m_nAreaLow)
                m_dY = a.m_nAreaLow;
            else if (m_dY + h - 1 >= a.m_nAreaHigh)
                m_dY = Before(a.m_nAreaHigh, h);
            else
                code = limits();
            break;
        case 2:
            // A position that is not a number (a damaged speed or size got into it) counts
            // as before the stage and is put back at its edge.
            if (!(m_dY >= 0)) {
                m_dY = 0;
                code = 3;
            } else if (m_dY + h - 1 >= a.m_nExtent) {
                m_dY = Before(a.m_nExtent, h);
                code = 6;
            } else if (m_dY < a.m_nAreaLow) {
                code = 2;
            } else if (m_dY + h - 1 >= a.m_nAreaHigh) {
                code = 5;
            } else {
                code = limits();
            }
            break;
        default:
            break;
    }
    m_dBottom = h + m_dY - 1;
    UpdateHitBoxY();
    m_nCellTop = plat::TruncToInt(m_dY) >> 5;
    m_nCellBottom = plat::TruncToInt(m_dBottom) >> 5;
    return code;
}

int cGameObject::MoveX(int mode) {
    const double vmax = Speed().dStepSpeedLimit;
    if (m_dVX > vmax)
        m_dVX = vmax;
    else if (m_dVX < -vmax)
        m_dVX = -vmax;
    m_dX += m_dVX;
    const int code = ClampX(mode);
    return (code >= 1 && code <= 3) ? code : 0;
}

int cGameObject::MoveY(int mode) {
    const double vmax = Speed().dStepSpeedLimit;
    if (m_dVY > vmax)
        m_dVY = vmax;
    else if (m_dVY < -vmax)
        m_dVY = -vmax;
    m_dY += m_dVY;
    const int code = ClampY(mode);
    return (code >= 1 && code <= 6) ? code : 0;
}

void cGameObject::Decelerate(double& velocity, int apply) const {
    if (!apply) return;
    if (velocity > 0) {
        velocity -= m_dStopDecel;
        if (velocity < 0) velocity = 0;
    } else if (velocity < 0) {
        velocity += m_dStopDecel;
        if (velocity >= 0) velocity = 0;
    }
}

void cGameObject::AdjustX(int newScale, int oldScale) {
    if (newScale == oldScale) return;
    m_dX -= WrapMul(newScale - oldScale, m_nBaseBoxW >> 1);
    ClampX(2);
}

// --- Jump physics ---

double cGameObject::JumpSpeedForHeight(double h) const {
    const double g = Speed().dStepGravity;
    // A height below what the formula can reach (a negative setting from a damaged file)
    // would take the root of a negative number; it gets the smallest jump instead of NaN.
    double radicand = g * (g + 8 * h);
    if (!(radicand >= 0)) radicand = 0;
    double v = (-g - std::sqrt(radicand)) / 2;
    if (m_nOperator == 0) v *= 0.99 - 0.025 * EdStageWork.dGravity;
    return v;
}

double cGameObject::JumpSpeedForHbl(int n) const {
    return JumpSpeedForHeight(HblToDots(n));
}

int cGameObject::JumpTime(int n) const {
    const GameSpeedConstants& sp = Speed();
    const double v = JumpSpeedForHbl(n);
    // Without gravity the jump never turns: its time is that of B alone.
    const double g = sp.dStepGravity;
    const int t = plat::TruncToInt(sp.dSubSteps - (g != 0 ? v / g : 0.0));
    const int perTick = sp.nSubSteps > 0 ? t / sp.nSubSteps : 0;
    return perTick / 6 + 1;
}

// --- cActorBase geometry ---

int cActorBase::GiantSize() const {
    return GiantScale(m_Chara.nGiant);
}

void cActorBase::AdjustForScale(int newScale, int oldScale) {
    if (newScale == oldScale) return;
    const std::int32_t d = newScale - oldScale;
    if (EdSystem.bCompat261) {
        m_dY -= WrapMul(d, m_nBaseBoxH);
    } else {
        m_dY -= WrapMul(d, m_nBaseSpriteH);
        m_dY += WrapMul(d, m_nBaseOffsetY);
    }
    OnMovedY();
}

void cActorBase::ApplyGravity() {
    if (m_bFlying || m_bRiding || m_bGravityOff || m_dKnockVY < 0) return;
    m_dVY += Speed().dStepGravity;
}

void cActorBase::ApplyGravityUnlessFlying() {
    if (m_bFlying) return;
    m_dVY += Speed().dStepGravity;
}

int cActorBase::IsStanding() const {
    if (m_pStandBlock && m_pStandBlock->GetHitType(m_nGroup) != 0) return 1;
    return m_bRiding ? 1 : 0;
}

void cActorBase::SetHitBoxFromSize(int bottomAligned, int w, int h) {
    // The sizes come from the stage file; in 64 bits a damaged one wraps instead of being
    // undefined.
    const std::int64_t offsetY = bottomAligned ? std::int64_t{32} - m_nOffsetY - h
                                               : std::int64_t{16} - m_nOffsetY - (h >> 1);
    HitBoxSet& box = m_BodyBox;
    box.nOffsetX = box.nBaseOffsetX =
        static_cast<std::int32_t>(std::int64_t{16} - m_nOffsetX - (w >> 1));
    box.nOffsetY = box.nBaseOffsetY = static_cast<std::int32_t>(offsetY);
    box.nWidth = box.nBaseWidth = w;
    box.nHeight = box.nBaseHeight = h;
}

void cActorBase::SetBlockX(int column) {
    m_dX =
        (static_cast<double>(GeomAxisX().m_nMargin) + column) * kBlockDots + m_nBaseOffsetX + 0.5;
    AdjustX(GiantSize(), 1);
    OnMovedX();
}

void cActorBase::SetBlockY(int row) {
    m_dY = (static_cast<double>(GeomAxisY().m_nMargin) + row) * kBlockDots + m_nBaseOffsetY;
    AdjustForScale(GiantSize(), 1);
    OnMovedY();
}

void cActorBase::SetBlockPos(int column, int row) {
    SetBlockX(column);
    SetBlockY(row);
}

namespace {

const cEdMove* MoveOf(const cCommandInstance& cmd) {
    return (cmd.m_pCmd && cmd.m_pCmd->spMove) ? cmd.m_pCmd->spMove.get() : nullptr;
}

bool SnapsOnArrival(const cCommandInstance& cmd) {
    const cEdMove* move = MoveOf(cmd);
    return move && move->bSnap;
}

}  // namespace

void cActorBase::RelativeGoal(const cCommandInstance& cmd, int& goalX, int& goalY) const {
    const cEdMove* move = MoveOf(cmd);
    // A move without y motion runs along x only, and the other way round.
    const bool onlyX = move && move->bNoMoveY;
    const bool onlyY = move && move->bNoMoveX;
    const int gx = static_cast<std::int32_t>(std::int64_t{CenterX()} + cmd.m_nOffsetX);
    const int gy = static_cast<std::int32_t>(std::int64_t{CenterY()} + cmd.m_nOffsetY);
    if (onlyX) {
        goalX = gx;
    } else if (onlyY) {
        goalY = gy;
    } else {
        goalX = gx;
        goalY = gy;
    }
}

// --- Movement velocity routines ---

int StepTowardX(double& vx, double& vy, std::int32_t& direction, const cGameObject* actor,
                double from, double to, double speed, int noScroll, int arrive) {
    if (from < to) {
        direction = 2;
        vx = speed;
    } else {
        direction = 1;
        vx = -speed;
    }
    const ScrollAxis& a = GeomAxisX();
    if (!noScroll && actor && actor->m_bScrollSync && ScrollInMoves() && a.m_dAutoSpeed != 0 &&
        a.m_bAtLimit == 0)
        vx += a.m_dAutoSpeed;
    vy = 0;
    return (arrive && std::fabs(speed) > std::fabs(from - to)) ? 1 : 0;
}

int StepTowardY(double& vx, double& vy, std::int32_t& direction, const cGameObject* actor,
                double from, double to, double speed, int noScroll, int arrive) {
    vy = from < to ? speed : -speed;
    const ScrollAxis& a = GeomAxisY();
    if (!noScroll && actor && actor->m_bScrollSync && ScrollInMoves() && a.m_dAutoSpeed != 0 &&
        a.m_bAtLimit == 0)
        vy += a.m_dAutoSpeed;
    direction = 0;
    vx = 0;
    return (arrive && std::fabs(speed) > std::fabs(from - to)) ? 1 : 0;
}

int MoveTowardX(cCommandInstance& cmd, cActorBase& actor, int to, int noScroll, int arrive) {
    const int r = StepTowardX(cmd.m_dVX, cmd.m_dVY, cmd.m_nFacing, &actor, actor.CenterX(), to,
                              cmd.m_dSpeed, noScroll, arrive);
    if (r == 1 && SnapsOnArrival(cmd)) actor.MoveToX(to, &cmd);
    return r;
}

int MoveTowardY(cCommandInstance& cmd, cActorBase& actor, int to, int noScroll, int arrive) {
    const int r = StepTowardY(cmd.m_dVX, cmd.m_dVY, cmd.m_nFacing, &actor, actor.CenterY(), to,
                              cmd.m_dSpeed, noScroll, arrive);
    if (r == 1 && SnapsOnArrival(cmd)) actor.MoveToY(to, &cmd);
    return r;
}

// The axis mode is not fixed here: the command that moves toward a point passes its own.
int MoveTowardPoint(cCommandInstance& cmd, cActorBase& actor, int toX, int toY, int invertSync,
                    int axisMode, int arrive) {
    const int r =
        AimVelocity(cmd.m_dVX, cmd.m_dVY, cmd.m_nFacing, &actor, actor.CenterX(), actor.CenterY(),
                    toX, toY, cmd.m_dSpeed, invertSync, axisMode, arrive);
    if (r == 1 && SnapsOnArrival(cmd)) actor.MoveTo(toX, toY, &cmd);
    return r;
}

namespace {

std::int32_t DirectionOf(double vx) {
    return vx > 0 ? 2 : (vx < 0 ? 1 : 0);
}

// AimVelocity's solution for an actor that follows the auto-scroll: the velocity on screen
// that, with the scroll carrying the actor along, still moves it at V toward the goal.
// `lead` is the axis with the larger distance; the result is false where a divisor is 0 (the
// routine then ends with what it has). A scroll faster than the move has no solution: the
// velocity stays.
bool SolveScrolledVelocity(double& vLead, double& vOther, double dLead, double dOther, double sLead,
                           double sOther, double fromLead, double toLead, double V) {
    if (dLead == 0) return false;
    const double dLead2 = dLead * dLead;
    const double dOther2 = dOther * dOther;
    const double W = dOther2 / dLead2 + 1;
    const double Y = (2 * sLead * dOther2 - 2 * dOther * dLead * sOther) / dLead2;
    const double R = dOther2 * (sLead * sLead) + dLead2 * (sOther * sOther) -
                     2 * dOther * dLead * sLead * sOther;
    const double disc = Y * Y - 4 * W * (R / dLead2 - V * V);
    if (!(disc >= 0)) return true;
    double v = (Y + std::sqrt(disc)) / (2 * W);
    if (dLead < 0) v = -v;
    vLead = v;
    const double denom = sLead - v;
    if (denom == 0) return false;
    const double t = (fromLead - toLead) / denom;
    if (t == 0) return false;
    vOther = (dOther + t * sOther) / t;
    return true;
}

}  // namespace

// Negative speeds move away from the goal. With axis mode 0 a negative speed moves both axes
// at |speed| / √2 by the goal's side only. Otherwise the velocity points along the distance
// (a goal on the start point counts as one dot away). The auto-scroll then enters: added
// when moves carry it themselves; taken off an actor that does not follow it; and for an
// actor that follows it the velocity is solved so that its motion against the scroll points
// at the goal. Where that solution meets a zero divisor the routine ends with what it has,
// the direction not yet written.
int AimVelocity(double& vx, double& vy, std::int32_t& direction, const cGameObject* actor,
                double fromX, double fromY, double toX, double toY, double speed, int invertSync,
                int axisMode, int arrive) {
    const ScrollAxis& ax = GeomAxisX();
    const ScrollAxis& ay = GeomAxisY();
    const double sx = ActiveScrollSpeed(ax);
    const double sy = ActiveScrollSpeed(ay);
    vx = vy = 0;

    if (axisMode == 0 && speed < 0) {
        const double s = speed * kSqrt2Half;
        vx = toX <= fromX ? -s : s;
        vy = toY <= fromY ? -s : s;
        direction = DirectionOf(vx);
        if (ScrollInMoves()) {
            vx += sx;
            vy += sy;
        } else if (actor) {
            const bool sync = actor->m_bScrollSync != 0;
            if (sync != (invertSync != 0)) {
                vx -= sx;
                vy -= sy;
            }
        }
        return 0;
    }

    const double dx = toX - fromX;
    const double dy = toY - fromY;
    double d = std::sqrt(dx * dx + dy * dy);
    if (d == 0) d = 1;
    vx = speed * dx / d;
    vy = speed * dy / d;

    if (ScrollInMoves()) {
        vx += sx;
        vy += sy;
    } else if (actor) {
        if (actor->m_bScrollSync) {
            if (!invertSync && (sx != 0 || sy != 0)) {
                const double V = std::fabs(speed);
                const bool ok = std::fabs(dy) >= std::fabs(dx)
                                    ? SolveScrolledVelocity(vy, vx, dy, dx, sy, sx, fromY, toY, V)
                                    : SolveScrolledVelocity(vx, vy, dx, dy, sx, sy, fromX, toX, V);
                if (!ok) return 0;
            }
        } else {
            vx -= sx;
            vy -= sy;
        }
    }

    direction = DirectionOf(vx);
    if (arrive && std::fabs(dx) < std::fabs(speed) && std::fabs(dy) < std::fabs(speed)) return 1;
    return 0;
}

// --- Wave motion ---

namespace {

void AdvancePhase(double& phase, double step, double B) {
    phase += step;
    if (phase >= 360 * B) phase -= 360 * B;
}

}  // namespace

double WaveStep(double amplitude, double rate, double& phase, double step, double offset) {
    const GameSpeedConstants& sp = Speed();
    if (!sp.RunsSubSteps()) return 0;
    const double B = sp.dSubSteps;
    const double k = rate * kPi / 180;
    const double result = k * amplitude * std::cos(k * (phase / B + offset)) / B;
    AdvancePhase(phase, step, B);
    return result;
}

double WaveAcceleration(double amplitude, double rate, double& phase, double step, double offset) {
    const GameSpeedConstants& sp = Speed();
    if (!sp.RunsSubSteps()) return 0;
    const double B = sp.dSubSteps;
    const double k = rate * kPi / 180;
    const double old = phase;
    AdvancePhase(phase, step, B);
    return -amplitude * (k * k) * std::sin(k * (old / B + offset)) / (B * B);
}

// --- Range intervals ---

void MakeRangeInterval(int position, int size, int before, int after, int whole, int& low,
                       int& high) {
    const std::int64_t half = size >> 1;
    const std::int64_t centre = position + half;
    std::int64_t lo = before != 0 ? centre - half - before : centre;
    std::int64_t hi = after != 0 ? centre + half + after : centre;
    if (before == 0 && after == 0 && whole) {
        lo = position;
        hi = position + 2 * half;
    }
    low = static_cast<int>(lo);
    high = static_cast<int>(hi);
}

bool InDistanceRange(int low, int high, int lo, int hi, int margin, int keepTop) {
    const std::int64_t m = margin;
    const std::int64_t top = (EdSystem.bCompat733 == 0 && keepTop) ? hi : hi - m;
    return low <= top && lo + m <= high;
}

// --- Target search ---

bool PassesTargetFilter(const cActorBase& c, const TargetFilter& f) {
    if (f.nCharaId >= 0 && c.m_Chara.nCharaId != f.nCharaId) return false;
    if (c.m_bDying) return false;
    if (f.pSelf && c.m_nSerial == f.pSelf->m_nSerial) return false;
    if (f.bSkipInvincible1 && c.m_Chara.nShotCollision == 1) return false;
    if (f.bSkipInvincible2 && c.m_Chara.nShotCollision == 2) return false;
    if (f.bSkipBlockChara && c.m_Chara.b32Mode) return false;
    if (f.bTestVar && !CompareVar(c.m_vecVar[f.nVarIndex], f.nVarOp, f.nVarValue)) return false;
    return true;
}

cActorBase* FindCharaInList(const CheckedList<cActorBase*>& list, const TargetFilter& filter) {
    for (cActorBase* c : list)
        if (c && PassesTargetFilter(*c, filter)) return c;
    return nullptr;
}

namespace {

// The nearest passing candidate; onScreen: 1 only on screen, 0 only off screen, -1 either.
cActorBase* Nearest(int x, int y, const CheckedList<cActorBase*>& list, int onScreen,
                    const TargetFilter& filter) {
    cActorBase* best = nullptr;
    std::int64_t bestDist = 0;
    for (cActorBase* c : list) {
        if (!c || !c->m_bPresent) continue;
        if (onScreen >= 0 && (c->m_bOnScreen != 0) != (onScreen != 0)) continue;
        if (!PassesTargetFilter(*c, filter)) continue;
        const std::int64_t dist =
            std::llabs(std::int64_t{c->CenterX()} - x) + std::llabs(std::int64_t{c->CenterY()} - y);
        if (!best || dist < bestDist) {
            best = c;
            bestDist = dist;
        }
    }
    return best;
}

}  // namespace

cActorBase* FindTarget(int x, int y, const CheckedList<cActorBase*>& list, int kind,
                       const TargetFilter& filter) {
    switch (kind) {
        case 0: {
            cActorBase* found = Nearest(x, y, list, 1, filter);
            return found ? found : Nearest(x, y, list, 0, filter);
        }
        case 1:
            return Nearest(x, y, list, -1, filter);
        case 2:
            return Nearest(x, y, list, 1, filter);
        default:
            return nullptr;
    }
}

cActorBase* NearestTarget(int x, int y, const CheckedList<cActorBase*>& list) {
    TargetFilter filter;
    filter.bSkipInvincible2 = 1;
    return FindTarget(x, y, list, EdStageWork.bActorMeet ? 2 : 0, filter);
}

cActorBase* NearestTargetToMe(const cActorBase& actor, const CheckedList<cActorBase*>& list) {
    return NearestTarget(actor.CenterX(), actor.CenterY(), list);
}

// The geometry of game objects that is not a member of one: unit conversions of the data,
// the velocity routines of the movement commands and of homing (toward a point, along one
// axis, with the auto-scroll taken into account), wave motion, the range intervals of the
// distance condition and the search for a target character.
//
// Everything here is in map dots and ticks; b is the running stage's speed factor (ticks per
// displayed frame). While b is not positive no tick runs, and every quantity divided by b is
// 0 instead of a division by zero.
#pragma once

#include <cstdint>

#include "base/checked_list.h"

class cActorBase;
class cGameObject;
class cCommandInstance;
struct ScrollAxis;

// Diagonal motion: √2 and √2 / 2 as the data's motion uses them. √2 / 2 is one bit above
// the 1 / √2 that a division computes (0.7071067811865475); keep them apart.
inline constexpr double kSqrt2 = 1.4142135623730951;
inline constexpr double kSqrt2Half = 0.7071067811865476;
static_assert(kSqrt2Half == kSqrt2 / 2, "halving is exact: the two spellings must agree");
inline constexpr double kPi = 3.141592653589793;

// The scroll axes the geometry measures against. The game scene points them at its own two;
// until it does they are two axes of this file, which tests set up directly. Null restores
// those.
void SetGeometryAxes(ScrollAxis* axisX, ScrollAxis* axisY);
ScrollAxis& GeomAxisX();
ScrollAxis& GeomAxisY();

// Unit conversions: half blocks (a signed byte) to dots; hundredths (a signed 16-bit value)
// to a per-tick value, n × 0.01 / B²; a per-second speed to per tick, v / B / 60.
int HblToDots(int n);
double SpeedFromHundredths(int n);
double PerFrameSpeed(double v);

// The auto-scroll speed an axis lends to a move: its speed, or 0 while it is off or rests at
// a limit.
double ActiveScrollSpeed(const ScrollAxis& axis);

// The horizontal velocity toward `to` at `speed` (direction 2 right, 1 left; equal positions
// count as left); with noScroll 0 a synchronised actor takes the horizontal auto-scroll
// along when the system lets movement commands carry the scroll. vy becomes 0. 1 when arrive
// is set and the goal is nearer than one step.
int StepTowardX(double& vx, double& vy, std::int32_t& direction, const cGameObject* actor,
                double from, double to, double speed, int noScroll, int arrive);
// The same vertically; the direction becomes 0 and vx 0.
int StepTowardY(double& vx, double& vy, std::int32_t& direction, const cGameObject* actor,
                double from, double to, double speed, int noScroll, int arrive);

// The command instance's velocity and facing toward `to` from the actor's sprite centre, at
// the instance's speed; on arrival with the move record's snap flag, the actor is put there.
int MoveTowardX(cCommandInstance& cmd, cActorBase& actor, int to, int noScroll, int arrive);
int MoveTowardY(cCommandInstance& cmd, cActorBase& actor, int to, int noScroll, int arrive);
// The axis mode is the caller's: each command that moves toward a point says whether a
// negative speed runs diagonally by the goal's side (0) or along the distance (1).
int MoveTowardPoint(cCommandInstance& cmd, cActorBase& actor, int toX, int toY, int invertSync,
                    int axisMode, int arrive);

// The velocity from one point toward another at `speed`, with the auto-scroll taken into
// account. Direction 2 right, 1 left, 0 none. 1 when arrive is set and both distances are
// below one step; 0 otherwise and always in axis mode.
int AimVelocity(double& vx, double& vy, std::int32_t& direction, const cGameObject* actor,
                double fromX, double fromY, double toX, double toY, double speed, int invertSync,
                int axisMode, int arrive);

// One tick of a sine wave of amplitude A and rate W (degrees per unit of phase): the
// displacement of this tick; the phase P moves on by S and wraps at 360 × B.
double WaveStep(double amplitude, double rate, double& phase, double step, double offset);
// The acceleration of the same wave (the phase moves on first, the value uses the old one).
double WaveAcceleration(double amplitude, double rate, double& phase, double step, double offset);

// The interval of one axis of the distance condition: the object's centre extended by
// `before` and `after` dots; both 0 and `whole` set: the object's whole extent.
void MakeRangeInterval(int position, int size, int before, int after, int whole, int& low,
                       int& high);
// Whether [low, high] meets [lo + m, hi − m]; with the system's range option off and
// `keepTop` set (the other object's box is nearly its sprite), the upper end is not shrunk.
bool InDistanceRange(int low, int high, int lo, int hi, int margin, int keepTop);

// What a target search asks of a candidate character.
struct TargetFilter {
    std::int32_t nCharaId = -1;         // -1: any character ID
    const cActorBase* pSelf = nullptr;  // left out (by serial) when set
    std::int32_t bSkipInvincible1 = 0;  // invincible kind 1 left out
    std::int32_t bSkipInvincible2 = 0;  // invincible kind 2 left out
    std::int32_t bSkipBlockChara = 0;
    std::int32_t bTestVar = 0;  // compare a character variable
    std::int32_t nVarIndex = 0;
    std::int32_t nVarOp = 0;  // 0 = .. 7 not a multiple; others match nothing
    std::int32_t nVarValue = 0;
};

bool PassesTargetFilter(const cActorBase& candidate, const TargetFilter& filter);
// The first actor of the list that passes the filter, or null.
cActorBase* FindCharaInList(const CheckedList<cActorBase*>& list, const TargetFilter& filter);
// The candidate whose sprite centre is nearest to (x, y) by |dx| + |dy|, the first found on a
// tie. Kind 0: present and on screen, else present and off screen; 1: present; 2: present
// and on screen; any other kind: none.
cActorBase* FindTarget(int x, int y, const CheckedList<cActorBase*>& list, int kind,
                       const TargetFilter& filter);
// FindTarget with kind 2 when the stage restricts homing to the screen, else 0, leaving out
// only characters that shots pass through.
cActorBase* NearestTarget(int x, int y, const CheckedList<cActorBase*>& list);
cActorBase* NearestTargetToMe(const cActorBase& actor, const CheckedList<cActorBase*>& list);

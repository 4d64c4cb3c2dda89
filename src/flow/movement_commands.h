// The movement commands of flows and the two commands that turn an actor or make it jump.
//
// A movement command does not move its actor: each tick it works out a velocity in its
// command instance and adds it to the actor's velocity (or, with inertia, accelerates the
// actor's move velocity toward it); the actor's own steps apply and decay the motion. The
// set-up at installation (move_setup_table.h) fixes the speed, duration, radius and angles.
//
// The operations that act on one actor take it as their first argument. Velocities and the
// facing result are written into the command instance (m_dVX, m_dVY, m_nFacing: 0 none,
// 1 left, 2 right); speeds are dots per tick, angles degrees.
//
// Direction codes: 2 left, 3 right, 6 up, 7 down, 8 up-left, 9 down-left, 10 up-right,
// 11 down-right; 0 (several input directions at once) and every other value move nowhere.
// Move choices 0..12: forward, back, left, right, forward-Y, back-Y, up, down, up-left,
// down-left, up-right, down-right, the input direction.
#pragma once

#include <cstdint>

class cActorBase;
class cCommandInstance;
class cEdCommand;
class cEdMove;

inline constexpr int kMoveDirNone = 0;
inline constexpr int kMoveDirLeft = 2;
inline constexpr int kMoveDirRight = 3;
inline constexpr int kMoveDirUp = 6;
inline constexpr int kMoveDirDown = 7;
inline constexpr int kMoveDirUpLeft = 8;
inline constexpr int kMoveDirDownLeft = 9;
inline constexpr int kMoveDirUpRight = 10;
inline constexpr int kMoveDirDownRight = 11;

inline constexpr int kMoveChoiceInput = 12;

// Facing results.
inline constexpr int kFacingNone = 0;
inline constexpr int kFacingLeft = 1;
inline constexpr int kFacingRight = 2;

// --- Set-up ---

// Derives the missing one of speed, distance and time from the move record's timing: time
// and distance give the speed, speed and distance give the duration; time and speed change
// nothing. A zero duration covers the distance in the single tick the command runs; a zero
// speed never arrives, so the command ends at once without moving.
void ResolveMoveSpeed(cCommandInstance& cmd, const cEdCommand& command, int cloneValue);

// --- Operations on the actor ---

// The angle of the move (base + clone value × increase), mirrored for an actor whose record
// faces right when the record says so, reduced below 360 (negative angles stay).
void CalcMoveAngle(const cActorBase& actor, cCommandInstance& cmd);
// The target offset in dots (blocks × 32 + dots), mirrored per axis for an actor whose
// record faces right.
void CalcMoveOffset(const cActorBase& actor, cCommandInstance& cmd);
// The direction code of a move choice on the actor's current facing. The input direction is
// player 1's present one with useCurrentInput, else the one captured when the running flow
// started. Without keepDiagonals the diagonals fold onto their horizontal part.
int ResolveMoveDirection(const cActorBase& actor, int choice, int useCurrentInput,
                         int keepDiagonals);
// The velocity of speed s along the direction of a move choice; vertical parts only for a
// flyer (which alone keeps diagonals).
void VelocityForDirection(const cActorBase& actor, cCommandInstance& cmd, double s, int choice);
// The same turned by `angle` degrees from the direction.
void VelocityForDirectionAngle(const cActorBase& actor, cCommandInstance& cmd, double s, int choice,
                               int angle);
// The velocity of speed s toward the point the offsets name in the move record's coordinate
// kind. With the record's time-from-distance the command's remaining ticks become the time
// to get there.
void VelocityTowardPoint(const cActorBase& actor, cCommandInstance& cmd, double s, int offsetX,
                         int offsetY, const cEdMove& move, std::int32_t& remaining);
// One tick of walking back and forth: forward at the speed, turning at a wall and at the
// edge of the ground.
void GroundTurnStep(cActorBase& actor, cCommandInstance& cmd);
// The velocity toward a goal along the axes the move record leaves free.
void VelocityByLocks(cActorBase& actor, cCommandInstance& cmd, const cEdMove& move, int goalX,
                     int goalY);
// The velocity that brings the actor back into view when it is about to leave it on the
// side opposite to its move choice.
void AvoidStep(const cActorBase& actor, cCommandInstance& cmd);
// Adds the velocity to the actor (with inertia: accelerates its move velocity within the
// maximum speed), turns it by the facing result unless its facing is fixed (force overrides
// that) or the record keeps the facing, and switches it to its moving animation.
void ApplyMoveVelocity(cActorBase& actor, double vx, double vy, int facing, cCommandInstance& cmd,
                       const cEdMove& move, int force);

// --- Command handlers, one tick each ---

void CmdStraightMove(cActorBase& actor, cCommandInstance& cmd);
void CmdGroundTurnMove(cActorBase& actor, cCommandInstance& cmd);
void CmdCircleMove(cActorBase& actor, cCommandInstance& cmd);
void CmdChargeMove(cActorBase& actor, cCommandInstance& cmd);
void CmdHomingMove(cActorBase& actor, cCommandInstance& cmd);
void CmdAvoidMove(cActorBase& actor, cCommandInstance& cmd);
void CmdStopMove(cActorBase& actor, cCommandInstance& cmd);

// Turns an actor whose facing is fixed (actors without that take their facing from their
// movement): left, right, toward or away from the target, toward or away from the last wall.
// Acts in the command's first tick and again every tenth of a second.
void CmdTurn(cActorBase& actor, cCommandInstance& cmd);
// The actor's own jump, every tick of the command.
void CmdJump(cActorBase& actor, cCommandInstance& cmd);

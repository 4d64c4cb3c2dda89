// Formations: where the objects of one shot or summon command start and how fast and which
// way they fly. Six patterns (a row across the direction, a stack from the feet, a fan, rows
// coming in from the screen edge, a burst from the centre, a circle closing in), each laid
// out around the firer or a reference actor; SpawnFormationObject makes each object.
#pragma once

#include <cstdint>

class cActorBase;
class cCommandInstance;
class cEdShot;
class cProjectile;
template <class T>
class ObjectList;

// Which object a formation makes: what the command body fills, the formation completes and
// SpawnFormationObject consumes.
struct SpawnInfo {
    std::int32_t nClone = 0;  // the pass of the command's clone loop
    double dSpeed = 0;        // dots per frame
    std::int32_t nAngle = 0;  // degrees
    std::int32_t nRange = 0;  // hbl
    std::int32_t nTime = 0;   // tenths of a second
    double dVX = 0;           // dots per frame
    double dVY = 0;
    std::int32_t nX = 0;  // the object being made, stage dots, top-left of its box
    std::int32_t nY = 0;
    std::int32_t nBaseX = 0;
    std::int32_t nBaseY = 0;
    std::int32_t nStepX = 0;
    std::int32_t nStepY = 0;
    std::int32_t nColStepX = 0;
    std::int32_t nColStepY = 0;
    std::int32_t nWidth = 0;
    std::int32_t nHeight = 0;
    std::int32_t nOffsetX = 0;
    std::int32_t nOffsetY = 0;
    std::int32_t nDirection = 0;  // 2 left, 3 right, 6 up, 7 down, 8..11 the diagonals
};

// The formation kinds.
inline constexpr int kFormationKinds = 6;
// The summon command types, whose objects a formation places too.
inline constexpr int kCmdSummonBlock = 13;
inline constexpr int kCmdSummonChara = 14;
inline constexpr int kCmdSummonItem = 15;
// 1 / √2 as the formations use it: computed, one bit below the literal √2 / 2.
extern const double kFormationK;

// The angle of a direction code: 2 → 0, 3 → 180, 6 → 90, 7 → 270, 8 → 45, 9 → 315,
// 10 → 135, 11 → 225, others 0. Angle θ flies at (−cos θ, −sin θ) × speed.
int DirectionAngle(int direction);
// The velocity of an angle in degrees at `speed`.
void AngleVelocity(double angle, double speed, double& vx, double& vy);

// The direction from (x, y) to the firer's target in degrees (180 or 0 by the firer's
// facing without a target); with a scrolling axis that the shot does not follow and the
// target does, the aim leads the target and the spawn speed is corrected.
int AimAngle(int x, int y, cActorBase& firer, const cEdShot& shot, SpawnInfo& spawn);
// Puts the base position on the firer's rim in the direction `angle`.
void RotateAroundFirer(SpawnInfo& spawn, const cActorBase& firer, int angle);

using FormationFn = void (*)(ObjectList<cProjectile>* list, cActorBase& firer,
                             cCommandInstance& cmd, const cEdShot& shot, SpawnInfo& spawn);
extern const FormationFn FormationTable[kFormationKinds];
// The formation of the record's kind; a kind outside the table makes nothing.
void RunFormation(ObjectList<cProjectile>* list, cActorBase& firer, cCommandInstance& cmd,
                  const cEdShot& shot, SpawnInfo& spawn);

// One object of the formation at (spawn x, spawn y): a shot, a block, a character or an item
// by the command's type.
void SpawnFormationObject(ObjectList<cProjectile>* list, SpawnInfo& spawn, cActorBase& firer,
                          cCommandInstance& cmd, const cEdShot& shot);

// The position functions, by formation (exposed for their tests).
void PlaceRowA(SpawnInfo& spawn, const cActorBase& firer, const cEdShot& shot);
void PlaceRowAAngled(SpawnInfo& spawn, cActorBase& firer, const cEdShot& shot);
void PlaceStackB(SpawnInfo& spawn, const cActorBase& firer, const cEdShot& shot);
void PlaceStackBAngled(SpawnInfo& spawn, cActorBase& firer, const cEdShot& shot);
void PlaceFan(SpawnInfo& spawn, const cActorBase& firer, const cEdShot& shot);
void PlaceFanAngled(SpawnInfo& spawn, cActorBase& firer, const cEdShot& shot);
void PlaceThunder(SpawnInfo& spawn, const cActorBase& ref, const cEdShot& shot);
void PlaceThunderAngled(SpawnInfo& spawn, const cActorBase& ref, const cEdShot& shot);
void PlaceCentre(SpawnInfo& spawn, const cActorBase& firer);

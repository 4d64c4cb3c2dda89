// A shot or a sword of the running stage. A shot flies by itself with its own velocity, its
// acceleration, its range and its time, may aim or home (homing.h) and ends on blocks, at the
// edge of its area or when spent in the hit pass; a sword follows its owner frame by frame
// and ends with its last frame.
//
// Projectiles live in place in the game scene's projectile list, and only there: the list
// element is what joins its group's shot list and its target's homing list, so a projectile
// is never copied. Its destructor leaves its target's homing list; an actor that dies or is
// removed lets go of the projectiles homing on it, so neither keeps a pointer to the other
// once one is gone.
#pragma once

#include <cstdint>

#include "base/checked_list.h"
#include "data/move_shot_records.h"
#include "stage/actor.h"
#include "stage/game_object.h"

struct DDSURFACEDATA;
struct SpawnInfo;

// The command types that make projectiles.
inline constexpr int kCmdShot = 11;
inline constexpr int kCmdSword = 12;

class cProjectile : public cGameObject {
public:
    cProjectile() = default;
    cProjectile(const cProjectile&) = delete;
    cProjectile& operator=(const cProjectile&) = delete;
    ~cProjectile() override;

    using cGameObject::Init;
    // A new shot (type kCmdShot) or sword (kCmdSword) of the firer from the shot record and
    // the spawn description: size, boxes, position, velocity, acceleration, range and time.
    // The firer's target is remembered but not joined: SetHomingTarget does that once the
    // projectile has its place in the scene's list.
    void Init(int serial, cActorBase& firer, int type, const cEdShot& shot, const SpawnInfo& spawn);
    // One tick: 1 when it is over and must be removed.
    int Update();
    // The motion of a tick along each axis (velocity plus acceleration, the speed limit,
    // the map's edges). Always 0.
    int StepX();
    int StepY();
    // Keeps the box inside the map horizontally: 3 when clamped, else 0.
    int ClampStageX();
    // 1 when the box touches a block that is solid for its group.
    int HitsBlock();
    // The projectile onto the target; hold keeps the shot's animation still.
    void Draw(DDSURFACEDATA* target, int hold);
    // A sword's tick: follows its owner, advances its frames; 1 when over.
    int UpdateSword();
    // The acceleration fields along (vx, vy) at the projectile's acceleration.
    void AimAccel(double vx, double vy);

    // Homes on `target` from now on (null: on nothing): joins its homing list, once.
    void SetHomingTarget(cActorBase* target);
    // Leaves its target's homing list and forgets the target.
    void ReleaseTarget();

    // The hit box's offsets and sizes follow the giant size.
    void ScaleHitBoxes(int scale) override { m_HitBox.Scale(scale); }
    // A shot grows around its middle: half the growth of the box goes up.
    void AdjustForScale(int newScale, int oldScale) override {
        if (newScale == oldScale) return;
        m_dY -= WrapMul(newScale - oldScale, m_nBaseBoxH >> 1);
        ClampY(2);
    }
    // The hit box follows the position. SetPos, MoveTo and the centre operations stay the
    // root's, which ignore a projectile.
    void UpdateHitBoxX() override { m_HitBox.FollowX(m_dX); }
    void UpdateHitBoxY() override { m_HitBox.FollowY(m_dY); }

    // The serial of the actor that fired or swings it.
    std::int32_t m_nOwnerSerial = 0;
    // 1 a shot, 0 a sword. A shot that hits is spent unless it pierces; a sword stays. Only
    // shots leave by their area.
    std::int32_t m_bIsShot = 0;
    std::int32_t m_nRangeTicks = 0;
    std::int32_t m_nLifeTicks = 0;
    // Shot: ticks since its homing started counting; sword: ticks in the current frame.
    std::int32_t m_nTick = 0;
    std::int32_t m_nSwordFrame = 0;
    // Acceleration per tick; the acceleration fields of the root hold it per axis.
    double m_dAccel = 0;
    // Speed per tick of aiming and homing.
    double m_dHomingSpeed = 0;
    // Its own velocity, to which the auto-scroll part is added every tick.
    double m_dOwnVX = 0;
    double m_dOwnVY = 0;
    std::int32_t m_bAccel = 0;
    std::int32_t m_nHomingStart = 0;
    std::int32_t m_nHomingEnd = 0;
    std::int32_t m_bHomingDone = 0;
    double m_dWavePhase = 0;
    double m_dWaveSpare = 0;
    double m_dWaveSin = 0;
    double m_dWaveCos = 0;
    // The box that hits actors.
    HitBoxSet m_HitBox;
    // The actors it has hit and will not hit again, by id: one may be gone before the
    // projectile is.
    CheckedList<ObjectId> m_listHit;
    // Its own copy of the shot parameters.
    cEdShot m_Shot;
    // The actor it homes on (homing kinds 3 and 6), null otherwise or once that actor died
    // or went. Set only through SetHomingTarget, so that the actor lists it.
    cActorBase* m_pTarget = nullptr;
    // The scene's shot list it joined (-1: none) and its place there, so that it leaves the
    // list it joined even when its group is changed afterwards, and at once however long the
    // list is. Whoever takes it out of that list destroys it too.
    std::int32_t m_nShotList = -1;
    CheckedList<cProjectile*>::iterator m_itShotList{};
};

// The number of frames of the sword type (0 for a type outside the database's table).
int SwordFrameCount(int swordType);

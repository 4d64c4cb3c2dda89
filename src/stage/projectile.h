// A shot or a sword of the running stage. Only the part that the object tree and the hit
// pass need lives here so far: the hit box, the kind, the actors already hit, the shot's own
// parameters and the operations the root leaves to each class. The rest of its state and its
// motion come with the projectiles themselves.
#pragma once

#include <cstdint>

#include "base/checked_list.h"
#include "data/move_shot_records.h"
#include "stage/actor.h"
#include "stage/game_object.h"

class cProjectile : public cGameObject {
public:
    cProjectile() = default;
    cProjectile(const cProjectile&) = default;
    cProjectile& operator=(const cProjectile&) = default;
    ~cProjectile() override = default;

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

    // 1 a shot, 0 a sword. A shot that hits is spent unless it pierces; a sword stays.
    std::int32_t m_bIsShot = 0;
    // The box that hits actors.
    HitBoxSet m_HitBox;
    // The actors it has hit and will not hit again, by id: one may be gone before the
    // projectile is.
    CheckedList<ObjectId> m_listHit;
    // Its own copy of the shot parameters (power, impact, piercing, breaking, item on hit).
    cEdShot m_Shot;
};

// A shot or a sword of the running stage. Only the part that the object tree needs lives
// here so far: the hit box and the operations the root leaves to each class. The rest of its
// state and its motion come with the projectiles themselves.
#pragma once

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

    // The box that hits actors.
    HitBoxSet m_HitBox;
};

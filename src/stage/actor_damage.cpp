// What a hit does to an actor: the damage of a body attack or of a shot (power less
// defence), the hit effect at the contact, the knock-back along the attacker's motion and
// the flows of damage and impact.
#include <cmath>
#include <cstdint>

#include "data/stage_record.h"
#include "flow/flow_instance.h"
#include "stage/actor.h"
#include "stage/effect_instance.h"
#include "stage/game_scene.h"
#include "stage/projectile.h"

namespace {

// The most damage one hit deals.
constexpr std::int64_t kMaxDamage = 999999;
// An impact is a distance in half blocks, −20 to 20.
constexpr int kMaxImpact = 20;
// Velocities closer to 0 than this count as none when motions are compared.
constexpr double kStill = 1e-8;

// A positive power less the defence, 0 to 999999; a power of 0 or less is taken as it is
// (a negative one heals).
std::int64_t Damage(std::int32_t power, std::int32_t defence) {
    if (power <= 0) return power;
    std::int64_t damage = std::int64_t{power} - defence;
    if (damage < 0) damage = 0;
    if (damage > kMaxDamage) damage = kMaxDamage;
    return damage;
}

DoubleRect BoxRect(const HitBoxSet& box) {
    return {box.dLeft, box.dTop, box.dRight, box.dBottom};
}

// The hit effect joins the scene's effects; made even without a scene, so that the random
// numbers it draws are the same.
void AddHitEffect(std::int32_t number, const HitBoxSet& victim, const HitBoxSet& attacker,
                  int giant) {
    EffectInstance effect;
    effect.InitHit(number, BoxRect(victim), BoxRect(attacker), giant);
    if (lpGame) lpGame->m_listEffect.push_back(effect);
}

// A motion against the push stops.
bool Opposed(double push, double motion) {
    return (push > kStill && motion < -kStill) || (push < -kStill && motion > kStill);
}

// The knock-back speed for d half blocks: decaying by 1 / B per tick it covers 16·|d| dots,
// which solves B·k² + k = 32·|d|.
double KnockSpeed(double d, double B) {
    if (d == 0 || !(B > 0)) return 0;
    const double k = (std::sqrt(1 + 128 * B * std::fabs(d)) - 1) / (2 * B);
    return d > 0 ? k : -k;
}

}  // namespace

int cActorBase::TakeDamage(cActorBase& attacker) {
    const std::int32_t power = attacker.m_Chara.nBodyPower;
    const int impact = attacker.m_Chara.nBodyImpact;
    const int result = ChangeHp(-Damage(power, m_Chara.nDefense), 0, 1);
    if (attacker.m_Chara.nEffect != 0)
        AddHitEffect(attacker.m_Chara.nEffect, m_BodyBox, attacker.m_BodyBox, attacker.GiantSize());
    KnockbackFromActor(attacker);
    if (power != 0) TriggerFlows(kTriggerDamage);
    if (impact != 0) TriggerFlows(kTriggerImpact);
    return result;
}

int cActorBase::TakeShotDamage(cProjectile& shot) {
    const std::int32_t power = shot.m_Shot.nPower;
    const int impact = shot.m_Shot.nImpact;
    const int result = ChangeHp(-Damage(power, m_Chara.nDefense), 0, 1);
    if (shot.m_Shot.nEffect != 0)
        AddHitEffect(shot.m_Shot.nEffect, m_ShotBox, shot.m_HitBox, GiantScale(shot.m_Shot.nGiant));
    KnockbackFromShot(shot);
    if (power != 0) TriggerFlows(kTriggerDamage);
    if (impact != 0) TriggerFlows(kTriggerImpact);
    return result;
}

void cActorBase::Knockback(int impact, double vx, double vy) {
    if (impact == 0) return;
    const int resist = m_Chara.nImpactResist;
    int i = impact;
    if (i < 0) {
        i += resist;
        if (i < -kMaxImpact) i = -kMaxImpact;
        if (i > 0) i = 0;
    } else {
        i -= resist;
        if (i < 0) i = 0;
        if (i > kMaxImpact) i = kMaxImpact;
    }
    KnockbackVelocity(i, vx, vy);
    if (Opposed(m_dKnockVX, m_dMoveVX)) m_dMoveVX = 0;
    if (Opposed(m_dKnockVY, m_dMoveVY)) m_dMoveVY = 0;
    if (Opposed(m_dKnockVY, m_dVY)) m_dVY = 0;
    m_bKnocked = 1;
}

void cActorBase::KnockbackVelocity(int impact, double vx, double vy) {
    if (impact == 0) return;
    const double s = std::fabs(vx) + std::fabs(vy);
    if (s == 0) {
        m_dKnockVX = 0;
        m_dKnockVY = 0;
        return;
    }
    // The distance is shared between the axes as the attacker moved.
    const double B = EdStageWork.speed.dSubSteps;
    m_dKnockVX = KnockSpeed(vx * impact / s, B);
    m_dKnockVY = KnockSpeed(vy * impact / s, B);
}

void cActorBase::KnockbackFromActor(const cActorBase& attacker) {
    double vy = attacker.m_dVY;
    // A walker pushes down only when it falls onto the actor, as fast as 8 frames of fall.
    if (!attacker.m_bFlying &&
        !(vy >= EdStageWork.speed.nSubSteps8 * EdStageWork.speed.dStepGravity))
        vy = 0;
    Knockback(attacker.m_Chara.nBodyImpact, attacker.m_dVX, vy);
}

void cActorBase::KnockbackFromShot(const cProjectile& shot) {
    if (shot.m_bIsShot)
        Knockback(shot.m_Shot.nImpact, shot.m_dVX, shot.m_dVY);
    else
        Knockback(shot.m_Shot.nImpact, shot.FacingSign(), 0);
}

// The life state of an actor that the play frame keeps every tick: the contact flags, the
// saved box, the decay of a knock-back, hit immunity, leaving a ridden block character, and
// the death of an actor.
#include <cstdint>

#include "data/stage_record.h"
#include "flow/flow_install.h"
#include "flow/flow_instance.h"
#include "scene/game_progress.h"
#include "stage/actor.h"
#include "stage/actor_services.h"
#include "stage/game_object.h"
#include "stage/game_scene.h"
#include "stage/hero_actor.h"
#include "stage/stage_objects.h"

namespace {

// The score counter shows six digits.
constexpr std::int64_t kMaxScore = 999999;

// One tick of decay of a knock-back velocity: 1 / b toward 0, and 0 rather than a push the
// other way. With no sub-steps per frame (b not positive) no tick runs, so nothing decays.
void DecayTowardZero(double& velocity) {
    const double b = EdStageWork.speed.dSubSteps;
    if (velocity == 0 || !(b > 0)) return;
    const double step = 1.0 / b;
    if (velocity > 0)
        velocity = velocity > step ? velocity - step : 0;
    else
        velocity = velocity < -step ? velocity + step : 0;
}

}  // namespace

void cActorBase::ClearContacts() {
    m_bContactLeft = 0;
    m_bContactRight = 0;
    m_bContactUp = 0;
    m_bContactDown = 0;
}

void cActorBase::LeaveRide(int flag) {
    m_bRiding = 0;
    // A vertical knock-back under way keeps its own motion.
    if (m_dKnockVY == 0) m_dVY = 0;
    if (flag) m_bLeftRide = 1;
}

void cActorBase::SavePosition() {
    m_rcSaved.left = m_dX;
    m_rcSaved.top = m_dY;
    m_rcSaved.right = m_dRight;
    m_rcSaved.bottom = m_dBottom;
}

void cActorBase::RestorePosition() {
    m_dX = m_rcSaved.left;
    m_dY = m_rcSaved.top;
    m_dRight = m_rcSaved.right;
    m_dBottom = m_rcSaved.bottom;
}

void cActorBase::DecayKnockbackX() {
    DecayTowardZero(m_dKnockVX);
}

void cActorBase::DecayKnockbackY() {
    DecayTowardZero(m_dKnockVY);
}

void cActorBase::StartInvincibility() {
    // The stage sets the immunity in frames; it counts down once per tick.
    const std::int32_t frames =
        m_nOperator == 0 ? EdStageWork.nHeroInvincible : EdStageWork.nCharaInvincible;
    m_nInvincibleFrames = WrapMul(frames, EdStageWork.speed.nSubSteps);
}

void cActorBase::TickImmunity() {
    m_nInvincibleFrames = m_nInvincibleFrames > 0 ? m_nInvincibleFrames - 1 : 0;
    // An attacker whose immunity ran out may hit again, so its entry goes.
    for (auto it = m_listHitBy.begin(); it != m_listHitBy.end();) {
        if (it->nTicks <= 1) {
            it = m_listHitBy.erase(it);
        } else {
            --it->nTicks;
            ++it;
        }
    }
}

int cActorBase::ActorDeath() {
    // The death flows run at once, before anything of the actor is let go: they may still
    // read its target and change the score.
    TriggerFlows(kTriggerDeath);
    RunFlows(1);

    std::int64_t score = std::int64_t{Progress.m_nScore} + m_Chara.nScore;
    if (score < 0) score = 0;
    if (score > kMaxScore) score = kMaxScore;
    Progress.m_nScore = static_cast<std::int32_t>(score);

    // Only characters carry an item; the hero's answer is null.
    int itemResult = 0;
    cItemObject* item = GetCarriedItem();
    cHeroActor* hero = FirstHero();
    if (item && lpGame && hero) itemResult = lpGame->GiveItem(item, *hero);

    // A stage that ends now leaves the actors as they are: the scene is taken down anyway.
    if ((lpGame && lpGame->m_nStageResult == 1) || itemResult == 1) return 1;

    ReleaseTargets();
    // The projectiles have no target of their own yet, so the homing list is only emptied;
    // each projectile lets go of this actor once projectiles keep a target.
    m_vecHomingShots.Clear();

    m_bDying = 1;
    // The death effect takes the place of whatever effect ran, so that the end of the
    // death is the end of this effect (none: the actor goes at once).
    m_CharaEffect = CharaEffectInstance{};
    if (m_Chara.nCharaEffect2 != 0)
        StartCharaEffect(m_CharaEffect, m_Chara.nCharaEffect2, m_Chara.nCharaEffect2Mode, 0);
    return 0;
}

// The life state of an actor: HP and SP with their gauges, the contact flags and the saved
// box that the play frame keeps every tick, the decay of a knock-back, hit immunity, leaving
// a ridden block character, and the death of an actor.
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
// A gauge is 50 dots long; a change shows for 120 frames, shrinking over the first 60.
constexpr std::int64_t kGaugeLength = 50;
constexpr std::int32_t kGaugeFrames = 120;
constexpr double kGaugeShrinkFrames = 60;

// A maximum below 1 (a damaged record, or one code changed) counts as 0.
std::int64_t Maximum(std::int32_t max) {
    return max < 1 ? 0 : max;
}

// value + delta, a gain limited to what is missing to max, the result held to 0..max. The
// arithmetic is 64-bit: a power of -2^31 or a max near 2^31 must not overflow.
std::int64_t Changed(std::int32_t value, std::int64_t& delta, std::int64_t max) {
    if (delta > 0 && delta > max - value) delta = max - value;
    std::int64_t result = std::int64_t{value} + delta;
    if (result > max) result = max;
    if (result < 0) result = 0;
    return result;
}

void StartGauge(GaugeAnim& gauge, std::int32_t value, std::int64_t delta, std::int64_t max) {
    if (delta == 0 || max < 1) return;
    gauge.nFrames = kGaugeFrames;
    gauge.nLength = static_cast<std::int32_t>(std::int64_t{value} * kGaugeLength / max);
    gauge.dShown =
        static_cast<double>(delta) * static_cast<double>(kGaugeLength) / static_cast<double>(max);
    gauge.dStep = gauge.dShown / kGaugeShrinkFrames;
}

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

int cActorBase::ChangeHp(std::int64_t delta, int force, int showGauge) {
    // An invincible actor loses nothing, unless the change is forced.
    if (!force && delta <= 0 && m_Chara.nShotCollision != 0) return 0;
    const std::int64_t max = Maximum(m_Chara.nMaxHp);
    m_nHp = static_cast<std::int32_t>(Changed(m_nHp, delta, max));
    if (m_nHp <= 0) {
        m_nHp = 0;
        return 1;
    }
    if (showGauge) StartHpGauge(delta);
    return 0;
}

int cActorBase::ChangeSp(std::int64_t delta, int showGauge) {
    const std::int64_t max = Maximum(m_Chara.nMaxSp);
    m_nSp = static_cast<std::int32_t>(Changed(m_nSp, delta, max));
    if (max <= 0) return 1;
    if (showGauge) StartSpGauge(delta);
    return 0;
}

void cActorBase::StartHpGauge(std::int64_t delta) {
    StartGauge(m_HpGauge, m_nHp, delta, Maximum(m_Chara.nMaxHp));
}

void cActorBase::StartSpGauge(std::int64_t delta) {
    StartGauge(m_SpGauge, m_nSp, delta, Maximum(m_Chara.nMaxSp));
}

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

void cActorBase::AddHitImmunity(const cGameObject& attacker) {
    StartInvincibility();
    const std::int32_t frames =
        m_nOperator == 0 ? EdStageWork.nHeroHitInterval : EdStageWork.nCharaHitInterval;
    m_listHitBy.push_back({attacker.Id(), WrapMul(frames, EdStageWork.speed.nSubSteps)});
}

int cActorBase::IsImmuneTo(const cGameObject& attacker) const {
    if (m_nInvincibleFrames > 0) return 1;
    for (const HitByEntry& entry : m_listHitBy)
        if (entry.idAttacker == attacker.Id()) return 1;
    return 0;
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

    // A defeat counts for the stage: the stage end adds the stage score to the play's score
    // and gives extra lives by the steps passed, and the status bar shows it as it grows.
    std::int64_t score = std::int64_t{Progress.m_nStageScore} + m_Chara.nScore;
    if (score < 0) score = 0;
    if (score > kMaxScore) score = kMaxScore;
    Progress.m_nStageScore = static_cast<std::int32_t>(score);

    // Only characters carry an item; the hero's answer is null.
    int itemResult = 0;
    cItemObject* item = GetCarriedItem();
    cHeroActor* hero = FirstHero();
    if (item && lpGame && hero) itemResult = lpGame->GiveItem(item, *hero);

    // A stage that ends now leaves the actors as they are: the scene is taken down anyway.
    if ((lpGame && lpGame->m_nStageResult == 1) || itemResult == 1) return 1;

    ReleaseTargets();
    // The projectiles homing on a dying actor fly on without a target.
    ReleaseHomingShots();

    m_bDying = 1;
    // The death effect takes the place of whatever effect ran, so that the end of the
    // death is the end of this effect (none: the actor goes at once).
    m_CharaEffect = CharaEffectInstance{};
    if (m_Chara.nCharaEffect2 != 0)
        m_CharaEffect.Start(m_Chara.nCharaEffect2, m_Chara.nCharaEffect2Mode, 0);
    return 0;
}

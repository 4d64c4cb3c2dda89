#include "stage/homing.h"

#include <cmath>
#include <cstdint>

#include "data/stage_record.h"
#include "platform/trunc.h"
#include "stage/actor_geometry.h"
#include "stage/game_scene.h"
#include "stage/projectile.h"
#include "stage/stage_objects.h"

namespace {

// The distances of the homing parameters are half blocks.
constexpr double kHblDots = 16;
constexpr double kRadToDeg = 57.29577951308239;
constexpr double kDegToRad = 0.017453292519943278;
constexpr double kTwoPi = 6.283185307179586;

bool IsSteering(int kind) {
    return kind >= kHomingSteerHero && kind <= kHomingSteerNearest2;
}

// Ticks of flight at speed v that cover p half blocks; 0 for p 0 or a standing shot.
std::int32_t TicksFor(std::int32_t p, double v) {
    if (p == 0 || v == 0) return 0;
    return plat::TruncToInt(p * kHblDots / v);
}

// The first tick of a homing kind: the homing speed and the ticks at which it starts and
// (for the steering kinds) ends.
void StartHoming(cProjectile& shot, int kind) {
    if (shot.m_nTick != 0) return;
    const cEdShot& s = shot.m_Shot;
    const double b = EdStageWork.speed.dSubSteps;
    const double v =
        b > 0 ? (s.nSpeed + s.nSpeedInc * static_cast<double>(shot.m_nCloneValue)) * 0.1 / b : 0.0;
    shot.m_dHomingSpeed = v;
    shot.m_nHomingStart = TicksFor(s.nHomingParam[0], v);
    if (IsSteering(kind)) shot.m_nHomingEnd = TicksFor(s.nHomingParam[1], v);
}

// The velocity from the shot's sprite centre toward the actor's, at the homing speed; a
// shot that follows the auto-scroll keeps the plain course.
void AimedVelocity(cProjectile& shot, const cActorBase& actor, double& vx, double& vy) {
    std::int32_t direction = 0;
    AimVelocity(vx, vy, direction, &shot, shot.m_rcScreen.left + (shot.m_nSpriteW >> 1),
                shot.m_rcScreen.top + (shot.m_nSpriteH >> 1),
                actor.m_rcScreen.left + (actor.m_nSpriteW >> 1),
                actor.m_rcScreen.top + (actor.m_nSpriteH >> 1), shot.m_dHomingSpeed,
                shot.m_bScrollSync, 1, 0);
}

cActorBase* Hero() {
    return FirstHero();
}

cActorBase* LivingTarget(const cProjectile& shot) {
    return shot.m_pTarget && !shot.m_pTarget->m_bDying ? shot.m_pTarget : nullptr;
}

// The nearest character of the group to the shot's centre; none for a group outside the
// scene's lists.
cActorBase* NearestOfGroup(const cProjectile& shot, int group) {
    if (!lpGame || group < 0 || group >= static_cast<int>(lpGame->m_vecGroupList.Size()))
        return nullptr;
    return NearestTarget(shot.m_rcScreen.left + (shot.m_nSpriteW >> 1),
                         shot.m_rcScreen.top + (shot.m_nSpriteH >> 1),
                         lpGame->m_vecGroupList[group]);
}

int HomingNone(cProjectile&) {
    return 0;
}

// The aiming kinds: one aim, in the tick where the start is reached exactly.
template <int Kind>
int HomingAim(cProjectile& shot) {
    if (shot.m_bHomingDone) return 0;
    StartHoming(shot, Kind);
    if (shot.m_nTick == shot.m_nHomingStart) {
        shot.UpdateScreenRect();
        cActorBase* other = nullptr;
        if (Kind == kHomingAimHero)
            other = Hero();
        else if (Kind == kHomingAimNearest)
            other = NearestOfGroup(shot, shot.m_Shot.nHomingParam[1]);
        else
            other = LivingTarget(shot);
        if (other) {
            AimedVelocity(shot, *other, shot.m_dOwnVX, shot.m_dOwnVY);
            if (shot.m_bAccel) shot.AimAccel(shot.m_dOwnVX, shot.m_dOwnVY);
        }
        shot.m_bHomingDone = 1;
    }
    ++shot.m_nTick;
    return 0;
}

// The steering kinds: every tick between the start and the end.
template <int Kind>
int HomingSteer(cProjectile& shot) {
    if (shot.m_bHomingDone) return 0;
    StartHoming(shot, Kind);
    if (shot.m_nTick >= shot.m_nHomingEnd) {
        ++shot.m_nTick;
        shot.m_bHomingDone = 1;
        return 0;
    }
    if (shot.m_nTick >= shot.m_nHomingStart) {
        shot.UpdateScreenRect();
        cActorBase* other = nullptr;
        if (Kind == kHomingSteerHero)
            other = Hero();
        else if (Kind == kHomingSteerTarget)
            other = LivingTarget(shot);
        else
            other = NearestOfGroup(shot, shot.m_Shot.nHomingParam[2]);
        if (other) HomingSteerToward(shot, *other);
    }
    ++shot.m_nTick;
    return 0;
}

int HomingWave(cProjectile& shot) {
    cEdShot& s = shot.m_Shot;
    const double b = EdStageWork.speed.dSubSteps;
    if (shot.m_nTick == 0) {
        // From here on the amplitude holds dots.
        s.nHomingParam[0] = static_cast<std::int16_t>(s.nHomingParam[0] * 16);
        shot.m_nTick = 1;
        shot.m_dWaveSpare = 0;
        const double start = shot.m_bFacingRight ? s.nHomingParam[2] : s.nHomingParam[2] + 180.0;
        // A wave of no speed has no phase to start at; it does not move sideways anyway.
        shot.m_dWavePhase = s.nHomingParam[1] != 0 ? b * (start / s.nHomingParam[1]) : 0.0;
        const double q = WaveStep(s.nHomingParam[0], s.nHomingParam[1], shot.m_dWavePhase, 1, 0);
        double theta = std::atan2(shot.m_dOwnVY, shot.m_dOwnVX);
        if (theta < 0) theta += kTwoPi;
        const double phi = (theta * kRadToDeg - 90) * kDegToRad;
        shot.m_dWaveCos = std::cos(phi);
        shot.m_dWaveSin = std::sin(phi);
        shot.m_dOwnVX += q * shot.m_dWaveCos;
        shot.m_dOwnVY += q * shot.m_dWaveSin;
    } else {
        const double g =
            WaveAcceleration(s.nHomingParam[0], s.nHomingParam[1], shot.m_dWavePhase, 1, 0);
        // A component that crosses zero in this step stops there.
        auto add = [](double& v, double d) {
            const double old = v;
            v += d;
            if ((old < 0 && v > 0) || (old > 0 && v < 0)) v = 0;
        };
        add(shot.m_dOwnVX, g * shot.m_dWaveCos);
        add(shot.m_dOwnVY, g * shot.m_dWaveSin);
    }
    if (shot.m_bAccel) shot.AimAccel(shot.m_dOwnVX, shot.m_dOwnVY);
    return 0;
}

int HomingFall(cProjectile& shot) {
    if (shot.m_bHomingDone) return 0;
    StartHoming(shot, kHomingFall);
    if (shot.m_nTick >= shot.m_nHomingStart) {
        shot.m_dVY = shot.m_dOwnVY;
        shot.m_bFlying = 0;
        shot.m_bHomingDone = 1;
    }
    ++shot.m_nTick;
    return 0;
}

}  // namespace

const HomingStep HomingTable[kHomingKinds] = {
    HomingNone,
    HomingAim<kHomingAimHero>,
    HomingAim<kHomingAimNearest>,
    HomingAim<kHomingAimTarget>,
    HomingSteer<kHomingSteerHero>,
    HomingSteer<kHomingSteerNearest>,
    HomingSteer<kHomingSteerTarget>,
    HomingSteer<kHomingSteerNearest2>,
    HomingWave,
    HomingFall,
};

void RunHoming(cProjectile& shot) {
    const int kind = shot.m_Shot.nHomingKind;
    if (kind < 0 || kind >= kHomingKinds) return;
    HomingTable[kind](shot);
}

void HomingSteerToward(cProjectile& shot, cActorBase& actor) {
    double vx = 0;
    double vy = 0;
    AimedVelocity(shot, actor, vx, vy);
    if (!shot.m_bAccel) {
        shot.m_dOwnVX = vx;
        shot.m_dOwnVY = vy;
        return;
    }
    if (shot.m_nTick == shot.m_nHomingStart) {
        shot.m_dOwnVX = vx;
        shot.m_dOwnVY = vy;
    }
    shot.AimAccel(vx, vy);
}

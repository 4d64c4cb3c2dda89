// Homing: how a shot changes its course while it flies. Each homing kind has one step, run
// once per tick before the shot's acceleration and velocity are applied: aim once (at the
// hero, the nearest character of a group, the firer's target) after a distance, steer toward
// one of them between two distances, weave in a wave, or start falling.
#pragma once

class cActorBase;
class cProjectile;

enum HomingKind : int {
    kHomingStraight = 0,
    kHomingAimHero = 1,
    kHomingAimNearest = 2,
    kHomingAimTarget = 3,
    kHomingSteerHero = 4,
    kHomingSteerNearest = 5,
    kHomingSteerTarget = 6,
    kHomingSteerNearest2 = 7,
    kHomingWave = 8,
    kHomingFall = 9,
    kHomingKinds = 10,
};

using HomingStep = int (*)(cProjectile& shot);
extern const HomingStep HomingTable[kHomingKinds];

// The step of the shot's homing kind; a kind outside the table flies straight.
void RunHoming(cProjectile& shot);
// Turns the shot toward the actor: at once without acceleration, by its acceleration with it.
void HomingSteerToward(cProjectile& shot, cActorBase& actor);

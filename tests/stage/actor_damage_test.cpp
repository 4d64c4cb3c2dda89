// HP and SP with their gauges, per-attacker immunity, damage from a body or a shot, the
// knock-back with its resistance and its distance, the hit effect's place and random
// numbers, and finding an actor by its serial.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

#include "data/database.h"
#include "data/stage_record.h"
#include "flow/flow_instance.h"
#include "platform/random.h"
#include "stage/actor.h"
#include "stage/effect_instance.h"
#include "stage/engine_globals.h"
#include "stage/post_load_tables.h"
#include "stage/projectile.h"
#include "stage/stage_objects.h"

namespace {

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kInt32Min = std::numeric_limits<std::int32_t>::min();

class DamageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        EdStageWork.SetGameSpeed(10);
    }
    void TearDown() override { ResetEngineGlobals(); }

    // An idle flow of each trigger kind, to see which of them a hit starts.
    static void AddTriggerFlows(cActorBase& actor, std::initializer_list<int> kinds) {
        actor.m_Chara.vecFlow.resize(kinds.size());
        actor.m_vecFlow.resize(kinds.size());
        int i = 0;
        for (int kind : kinds) {
            actor.m_Chara.vecFlow[i].nTrigger = static_cast<std::int8_t>(kind);
            actor.m_vecFlow[i].m_vecCmd.resize(1);
            ++i;
        }
        actor.RelinkFlows();
    }
    static bool Started(cActorBase& actor, int kind) {
        for (int i = 0; i < static_cast<int>(actor.m_vecFlow.Size()); ++i)
            if (actor.m_Chara.vecFlow[i].nTrigger == kind)
                return actor.m_vecFlow[i].m_bRunning != 0;
        return false;
    }
};

// --- HP and SP ---

TEST_F(DamageTest, ChangeHpHonoursInvincibilityLimitsAndEmptyHp) {
    struct Case {
        const char* name;
        std::int32_t max, hp;
        int invincible;  // 無敵
        std::int64_t delta;
        int force;
        std::int32_t hpAfter;
        int result;
        bool gauge;
    };
    const Case cases[] = {
        {"loss", 10, 8, 0, -3, 0, 5, 0, true},
        {"invincible 1 keeps its HP", 10, 8, 1, -3, 0, 8, 0, false},
        {"invincible 2 keeps its HP", 10, 8, 2, -3, 0, 8, 0, false},
        {"invincible, a zero change is not even a change", 10, 8, 1, 0, 0, 8, 0, false},
        {"a forced loss passes invincibility", 10, 8, 2, -3, 1, 5, 0, true},
        {"a gain passes invincibility", 10, 5, 1, 2, 0, 7, 0, true},
        {"a gain stops at max", 10, 8, 0, 5, 0, 10, 0, true},
        {"down to 0: result 1, no gauge", 10, 8, 0, -8, 0, 0, 1, false},
        {"below 0: held at 0", 10, 8, 0, -900, 0, 0, 1, false},
        {"max 0 leaves 0", 0, 0, 0, 5, 0, 0, 1, false},
        {"a negative max acts as 0", -4, 3, 0, 5, 0, 0, 1, false},
        {"a loss of 2^32 in 64 bits", kInt32Max, kInt32Max, 0, -(std::int64_t{1} << 32), 0, 0, 1,
         false},
        {"a gain of 2^31 below a max near 2^31", kInt32Max, 1, 0, std::int64_t{1} << 31, 0,
         kInt32Max, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cActorBase actor;
        actor.m_Chara.nMaxHp = c.max;
        actor.m_Chara.nShotCollision = static_cast<std::int8_t>(c.invincible);
        actor.m_nHp = c.hp;
        EXPECT_EQ(actor.ChangeHp(c.delta, c.force, 1), c.result);
        EXPECT_EQ(actor.m_nHp, c.hpAfter);
        EXPECT_EQ(actor.m_HpGauge.nFrames, c.gauge ? 120 : 0);
    }
    // Without showGauge no gauge starts.
    cActorBase actor;
    actor.m_Chara.nMaxHp = 10;
    actor.m_nHp = 8;
    EXPECT_EQ(actor.ChangeHp(-3, 0, 0), 0);
    EXPECT_EQ(actor.m_nHp, 5);
    EXPECT_EQ(actor.m_HpGauge.nFrames, 0);
}

TEST_F(DamageTest, GaugeShowsTheNewLengthAndTheChangeShrinkingOverSixtyFrames) {
    struct Case {
        std::int32_t max, hp;
        std::int64_t delta;
        std::int32_t length;  // HP after × 50 / max
        double shown;         // delta (as limited) × 50 / max
    };
    const Case cases[] = {
        {70, 40, -10, 21, -500.0 / 70},
        {100, 90, 30, 50, 500.0 / 100},  // the gain is limited to 10 first
        {3, 1, 1, 33, 50.0 / 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.hp << " of " << c.max << " by " << c.delta);
        for (int sp = 0; sp < 2; ++sp) {
            cActorBase actor;
            actor.m_Chara.nMaxHp = c.max;
            actor.m_Chara.nMaxSp = c.max;
            actor.m_nHp = c.hp;
            actor.m_nSp = c.hp;
            if (sp)
                EXPECT_EQ(actor.ChangeSp(c.delta, 1), 0);
            else
                EXPECT_EQ(actor.ChangeHp(c.delta, 0, 1), 0);
            const GaugeAnim& gauge = sp ? actor.m_SpGauge : actor.m_HpGauge;
            const GaugeAnim& other = sp ? actor.m_HpGauge : actor.m_SpGauge;
            EXPECT_EQ(gauge.nFrames, 120) << sp;
            EXPECT_EQ(gauge.nLength, c.length) << sp;
            EXPECT_DOUBLE_EQ(gauge.dShown, c.shown) << sp;
            EXPECT_DOUBLE_EQ(gauge.dStep, c.shown / 60) << sp;
            EXPECT_EQ(other.nFrames, 0) << sp;
        }
    }
    // A change of 0 starts nothing.
    cActorBase actor;
    actor.m_Chara.nMaxHp = 10;
    actor.m_nHp = 5;
    actor.StartHpGauge(0);
    EXPECT_EQ(actor.m_HpGauge.nFrames, 0);
}

TEST_F(DamageTest, ChangeSpClampsWithoutInvincibilityAndReportsAMissingMax) {
    struct Case {
        std::int32_t max, sp;
        std::int64_t delta;
        std::int32_t spAfter;
        int result;
    };
    const Case cases[] = {
        {10, 5, -3, 2, 0},  {10, 5, -30, 0, 0},  // SP may reach 0 without a result
        {10, 5, 30, 10, 0}, {0, 0, 5, 0, 1},    {-1, 4, -1, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sp << " of " << c.max << " by " << c.delta);
        cActorBase actor;
        actor.m_Chara.nMaxSp = c.max;
        actor.m_Chara.nShotCollision = 2;  // no effect on SP
        actor.m_nSp = c.sp;
        EXPECT_EQ(actor.ChangeSp(c.delta, 1), c.result);
        EXPECT_EQ(actor.m_nSp, c.spAfter);
    }
}

// --- Immunity ---

TEST_F(DamageTest, ImmunityIsPerAttackerAndEndsExactlyWhenItsTicksRunOut) {
    EdStageWork.nCharaInvincible = 1;   // 10 ticks
    EdStageWork.nCharaHitInterval = 3;  // 30 ticks
    EdStageWork.nHeroInvincible = 2;
    EdStageWork.nHeroHitInterval = 5;
    cActorBase attacker;
    cActorBase bystander;
    cActorBase victim;
    victim.m_nOperator = 1;
    EXPECT_EQ(victim.IsImmuneTo(attacker), 0);
    victim.AddHitImmunity(attacker);
    EXPECT_EQ(victim.m_nInvincibleFrames, 10);
    ASSERT_EQ(victim.m_listHitBy.size(), 1u);
    EXPECT_EQ(victim.m_listHitBy.begin()->nTicks, 30);
    for (int tick = 1; tick <= 30; ++tick) {
        SCOPED_TRACE(tick);
        EXPECT_EQ(victim.IsImmuneTo(attacker), 1);
        EXPECT_EQ(victim.IsImmuneTo(bystander), tick <= 10 ? 1 : 0);
        victim.TickImmunity();
    }
    EXPECT_EQ(victim.IsImmuneTo(attacker), 0);
    EXPECT_TRUE(victim.m_listHitBy.empty());

    // The hero takes the hero's settings.
    cActorBase hero;
    hero.m_nOperator = 0;
    hero.AddHitImmunity(attacker);
    EXPECT_EQ(hero.m_nInvincibleFrames, 20);
    EXPECT_EQ(hero.m_listHitBy.begin()->nTicks, 50);
}

// --- Damage ---

TEST_F(DamageTest, TakeDamageDealsPowerLessDefenceAndRaisesTheHitFlows) {
    struct Case {
        const char* name;
        std::int32_t power;
        int impact;
        std::int32_t defence;
        int invincible;
        std::int32_t hpAfter;  // from 40 of 50
        int result;
        bool damageFlow, impactFlow, knocked;
    };
    const Case cases[] = {
        {"power less defence", 12, 0, 2, 0, 30, 0, true, false, false},
        {"power below defence deals 0 but is a hit", 3, 0, 5, 0, 40, 0, true, false, false},
        {"power 0 with impact: knock-back only", 0, 4, 0, 0, 40, 0, false, true, true},
        {"negative power heals, capped", -25, 0, 3, 0, 50, 0, true, false, false},
        {"power -2^31 heals without overflow", kInt32Min, 0, 0, 0, 50, 0, true, false, false},
        {"damage held to 999999", kInt32Max, 0, -5, 0, 0, 1, true, false, false},
        {"lethal", 45, 2, 5, 0, 0, 1, true, true, true},
        {"invincible: no damage, the flows still start", 20, 3, 0, 1, 40, 0, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cActorBase attacker;
        attacker.m_Chara.nBodyPower = c.power;
        attacker.m_Chara.nBodyImpact = static_cast<std::int8_t>(c.impact);
        attacker.m_dVX = 1;
        cActorBase victim;
        victim.m_Chara.nMaxHp = 50;
        victim.m_nHp = 40;
        victim.m_Chara.nDefense = c.defence;
        victim.m_Chara.nShotCollision = static_cast<std::int8_t>(c.invincible);
        AddTriggerFlows(victim, {kTriggerDamage, kTriggerImpact});
        EXPECT_EQ(victim.TakeDamage(attacker), c.result);
        EXPECT_EQ(victim.m_nHp, c.hpAfter);
        EXPECT_EQ(Started(victim, kTriggerDamage), c.damageFlow);
        EXPECT_EQ(Started(victim, kTriggerImpact), c.impactFlow);
        EXPECT_EQ(victim.m_bKnocked, c.knocked ? 1 : 0);
        EXPECT_EQ(victim.m_dKnockVX > 0, c.knocked);
    }
}

TEST_F(DamageTest, TakeShotDamageUsesTheShotsPowerAndImpact) {
    cProjectile shot;
    shot.m_bIsShot = 1;
    shot.m_Shot.nPower = 9;
    shot.m_Shot.nImpact = -3;
    shot.m_dVX = 2;
    cActorBase victim;
    victim.m_Chara.nMaxHp = 20;
    victim.m_nHp = 20;
    victim.m_Chara.nDefense = 4;
    AddTriggerFlows(victim, {kTriggerDamage, kTriggerImpact});
    EXPECT_EQ(victim.TakeShotDamage(shot), 0);
    EXPECT_EQ(victim.m_nHp, 15);
    EXPECT_TRUE(Started(victim, kTriggerDamage));
    EXPECT_TRUE(Started(victim, kTriggerImpact));
    // A negative impact pulls against the shot's motion.
    EXPECT_LT(victim.m_dKnockVX, 0);
    EXPECT_EQ(victim.m_dKnockVY, 0);
}

// --- Knock-back ---

TEST_F(DamageTest, KnockbackTakesTheResistanceAndLimitsTheImpact) {
    struct Case {
        const char* name;
        int impact, resist;
        int effective;  // the impact KnockbackVelocity must see; 0: velocities untouched
    };
    const Case cases[] = {
        {"absorbed", 5, 7, 0},
        {"reduced", 9, 4, 5},
        {"pull reduced", -9, 4, -5},
        {"pull absorbed", -3, 7, 0},
        {"-30 acts as -20", -30, 0, -20},
        {"30 acts as 20", 30, 0, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cActorBase actor;
        actor.m_Chara.nImpactResist = static_cast<std::int8_t>(c.resist);
        actor.m_dKnockVX = 0.75;
        actor.m_dKnockVY = -0.5;
        actor.Knockback(c.impact, 3, 1);
        EXPECT_EQ(actor.m_bKnocked, 1);
        cActorBase reference;
        reference.m_dKnockVX = 0.75;
        reference.m_dKnockVY = -0.5;
        reference.KnockbackVelocity(c.effective, 3, 1);
        EXPECT_EQ(actor.m_dKnockVX, reference.m_dKnockVX);
        EXPECT_EQ(actor.m_dKnockVY, reference.m_dKnockVY);
        if (c.effective == 0) {
            EXPECT_EQ(actor.m_dKnockVX, 0.75);
            EXPECT_EQ(actor.m_dKnockVY, -0.5);
        }
    }
    // An impact of 0 does nothing at all.
    cActorBase actor;
    actor.Knockback(0, 3, 1);
    EXPECT_EQ(actor.m_bKnocked, 0);
}

TEST_F(DamageTest, KnockbackStopsTheMotionAgainstThePush) {
    struct Case {
        double moveVX, moveVY, vy;
        double moveVXAfter, moveVYAfter, vyAfter;
    };
    // The push goes right and down (attacker moving right and down).
    const Case cases[] = {
        {-1, -1, -2, 0, 0, 0},               // all against it
        {1, 1, 2, 1, 1, 2},                  // all along it
        {-1e-9, 0, -1e-9, -1e-9, 0, -1e-9},  // too small to count
    };
    for (const Case& c : cases) {
        cActorBase actor;
        actor.m_dMoveVX = c.moveVX;
        actor.m_dMoveVY = c.moveVY;
        actor.m_dVY = c.vy;
        actor.Knockback(6, 2, 2);
        EXPECT_EQ(actor.m_dMoveVX, c.moveVXAfter);
        EXPECT_EQ(actor.m_dMoveVY, c.moveVYAfter);
        EXPECT_EQ(actor.m_dVY, c.vyAfter);
    }
}

TEST_F(DamageTest, KnockbackVelocitySharesTheImpactByTheAttackersMotion) {
    cActorBase actor;
    actor.KnockbackVelocity(4, 3, -1);  // d = 3, -1
    const double B = 10;
    EXPECT_DOUBLE_EQ(actor.m_dKnockVX, (std::sqrt(1 + 128 * B * 3) - 1) / (2 * B));
    EXPECT_DOUBLE_EQ(actor.m_dKnockVY, -(std::sqrt(1 + 128 * B * 1) - 1) / (2 * B));
    // A still attacker pushes nowhere.
    actor.KnockbackVelocity(4, 0, 0);
    EXPECT_EQ(actor.m_dKnockVX, 0);
    EXPECT_EQ(actor.m_dKnockVY, 0);
    // Impact 0 writes nothing.
    actor.m_dKnockVX = 0.5;
    actor.KnockbackVelocity(0, 3, 1);
    EXPECT_EQ(actor.m_dKnockVX, 0.5);
}

// Decaying by 1 / B each tick, the push carries the actor 16·|d| dots.
TEST_F(DamageTest, KnockbackCarriesSixteenDotsPerHalfBlock) {
    for (double b : {1.0, 9.0, 10.0, 19.0}) {
        EdStageWork.speed.dSubSteps = b;
        for (int impact : {1, 3, 7, 20, -5}) {
            for (double vy : {0.0, 1.0}) {
                SCOPED_TRACE(testing::Message()
                             << "b " << b << " impact " << impact << " vy " << vy);
                cActorBase actor;
                actor.KnockbackVelocity(impact, 2, vy);
                const double dx = 2.0 * impact / (2 + vy);
                double distance = 0;
                for (int tick = 0; tick < 100000 && actor.m_dKnockVX != 0; ++tick) {
                    distance += actor.m_dKnockVX;
                    actor.DecayKnockbackX();
                }
                EXPECT_EQ(actor.m_dKnockVX, 0);
                EXPECT_NEAR(distance, 16 * dx, 1.0);
            }
        }
    }
}

TEST_F(DamageTest, BodyKnockbackCountsAWalkersFallOnlyFromEightFramesOfGravity) {
    EdStageWork.dGravity = 0.5;
    EdStageWork.SetGameSpeed(10);
    const double threshold = 8 * 10 * EdStageWork.speed.dStepGravity;
    ASSERT_GT(threshold, 0);
    struct Case {
        int flying;
        double vy;
        bool vertical;
    };
    const Case cases[] = {
        {0, threshold * 0.99, false},
        {0, threshold, true},
        {1, threshold * 0.5, true},
        {0, -threshold * 2, false},  // rising walkers push sideways only
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "flying " << c.flying << " vy " << c.vy);
        cActorBase attacker;
        attacker.m_Chara.nBodyImpact = 4;
        attacker.m_bFlying = c.flying;
        attacker.m_dVX = 1;
        attacker.m_dVY = c.vy;
        cActorBase victim;
        victim.KnockbackFromActor(attacker);
        EXPECT_EQ(victim.m_dKnockVY != 0, c.vertical);
        EXPECT_GT(victim.m_dKnockVX, 0);
    }
}

TEST_F(DamageTest, ShotPushesAlongItsVelocityAndASwordAlongItsFacing) {
    for (int facingRight : {0, 1}) {
        cProjectile sword;
        sword.m_bIsShot = 0;
        sword.m_Shot.nImpact = 3;
        sword.m_bFacingRight = facingRight;
        sword.m_dVX = 5;  // a sword's velocity is not its push
        sword.m_dVY = 5;
        cActorBase victim;
        victim.KnockbackFromShot(sword);
        EXPECT_EQ(victim.m_dKnockVX > 0, facingRight == 1);
        EXPECT_NE(victim.m_dKnockVX, 0);
        EXPECT_EQ(victim.m_dKnockVY, 0);
    }
    cProjectile shot;
    shot.m_bIsShot = 1;
    shot.m_Shot.nImpact = 3;
    shot.m_dVX = -1;
    shot.m_dVY = 1;
    cActorBase victim;
    victim.KnockbackFromShot(shot);
    EXPECT_LT(victim.m_dKnockVX, 0);
    EXPECT_GT(victim.m_dKnockVY, 0);
    EXPECT_DOUBLE_EQ(victim.m_dKnockVX, -victim.m_dKnockVY);
}

// --- The hit effect ---

class HitEffectTest : public DamageTest {
protected:
    void SetUp() override {
        DamageTest::SetUp();
        EdDatabase.vecEffect.Clear();
        EdDatabase.vecEffect.resize(3);
        // Effect 1 grows with its attacker; effect 2 does not and has no frames.
        EdDatabase.vecEffect[1].nPatWidth = 24;
        EdDatabase.vecEffect[1].nPatHeight = 16;
        EdDatabase.vecEffect[1].bScaleWithChara = 1;
        EdDatabase.vecEffect[1].vecFrame.resize(2);
        EdDatabase.vecEffect[2].nPatWidth = 8;
        EdDatabase.vecEffect[2].nPatHeight = 8;
        BuildEffectPatternTable(EffectPatternTable);
    }
    // The two numbers a hit effect draws, from the same seed.
    static void ExpectedJitter(unsigned seed, int span, int& x, int& y) {
        plat::srand(seed);
        x = plat::rand() % (2 * span + 1) - span;
        y = plat::rand() % (2 * span + 1) - span;
    }
};

TEST_F(HitEffectTest, SitsOnTheContactsCentreWithTwoRandomDraws) {
    struct Case {
        const char* name;
        DoubleRect a, b;
        int number, giant;
        double x, y;  // before the jitter
        int w, h, span;
    };
    const Case cases[] = {
        // Overlap 110..120 × 50..60: centre 110 + 5, 50 + 5, less half the size.
        {"overlap", {100, 40, 120, 60}, {110, 50, 140, 90}, 1, 1, 115 - 12, 55 - 8, 24, 16, 4},
        {"grown", {100, 40, 120, 60}, {110, 50, 140, 90}, 1, 3, 115 - 36, 55 - 24, 72, 48, 12},
        {"not scalable", {100, 40, 120, 60}, {110, 50, 140, 90}, 2, 3, 115 - 4, 55 - 4, 8, 8, 4},
        {"apart: at the origin",
         {0, 0, 10, 10},
         {50, 50, 60, 60},
         1,
         1,
         0 + 0 - 12,
         0 - 8,
         24,
         16,
         4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        int jx = 0, jy = 0;
        ExpectedJitter(77, c.span, jx, jy);
        const unsigned after = plat::RandState();
        plat::srand(77);
        EffectInstance effect;
        effect.InitHit(c.number, c.a, c.b, c.giant);
        EXPECT_EQ(plat::RandState(), after);
        EXPECT_EQ(effect.nWidth, c.w);
        EXPECT_EQ(effect.nHeight, c.h);
        EXPECT_EQ(effect.bStretched, c.giant > 1 && c.number == 1 ? 1 : 0);
        EXPECT_EQ(effect.dX, c.x + jx);
        EXPECT_EQ(effect.dY, c.y + jy);
        EXPECT_EQ(effect.bKeepRunning, 0);
    }
}

TEST_F(HitEffectTest, AnAttackerWithAHitEffectDrawsTwoNumbersEvenForNoDamage) {
    for (int effect : {0, 1}) {
        cActorBase attacker;
        attacker.m_Chara.nEffect = static_cast<std::int16_t>(effect);
        cActorBase victim;
        victim.m_Chara.nMaxHp = 10;
        victim.m_nHp = 10;
        plat::srand(5);
        plat::rand();
        plat::rand();
        const unsigned twoDraws = plat::RandState();
        plat::srand(5);
        EXPECT_EQ(victim.TakeDamage(attacker), 0);
        EXPECT_EQ(plat::RandState() == twoDraws, effect == 1) << effect;
        EXPECT_EQ(victim.m_nHp, 10);
    }
}

TEST_F(HitEffectTest, DrawEndsAtTheClosingStepOrAtOnceWithoutFrames) {
    EffectInstance none;
    none.InitHit(2, {}, {}, 1);
    EXPECT_EQ(none.Draw(nullptr, 0), 1);

    // Two frames of one tenth (6 frames) each: 12 drawn frames, the 12th reaches the end.
    EffectInstance effect;
    effect.InitHit(1, {}, {}, 1);
    int drawn = 0;
    while (drawn < 100 && effect.Draw(nullptr, 0) == 0) ++drawn;
    EXPECT_EQ(drawn, 11);

    // Held frames stand still unless the effect keeps running.
    for (int keep : {0, 1}) {
        EffectInstance held(1, 0, 0, 24, 16, keep);
        int frames = 0;
        while (frames < 100 && held.Draw(nullptr, 1) == 0) ++frames;
        EXPECT_EQ(frames, keep ? 11 : 100) << keep;
    }
}

// --- Finding actors ---

TEST_F(DamageTest, FindActorBySerialAsksTheHeroFirst) {
    Player.Reset(1);
    Player[0].m_nSerial = 4;
    cCharaActor& a = CharaList.Add();
    a.m_nSerial = 4;
    cCharaActor& b = CharaList.Add();
    b.m_nSerial = 7;
    cCharaActor& c = CharaList.Add();
    c.m_nSerial = 7;
    EXPECT_EQ(FindActorBySerial(4), &Player[0]);
    EXPECT_EQ(FindActorBySerial(7), &b);
    EXPECT_EQ(FindActorBySerial(9), nullptr);
    EXPECT_EQ(FindActorById(c.Id()), &c);
    EXPECT_EQ(FindActorById(Player[0].Id()), &Player[0]);
    const ObjectId gone = b.Id();
    CharaList.Remove(gone);
    EXPECT_EQ(FindActorById(gone), nullptr);
}

}  // namespace

// The per-tick life state of actors (contacts, the saved box, knock-back decay, hit
// immunity, leaving a ride), their death (flows first, score, release of every relation
// unless the stage ends) and the two drawing decisions that need no pictures: which
// animation pattern shows, and when a dying actor may go.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "data/database.h"
#include "data/stage_record.h"
#include "gfx/anim_pattern.h"
#include "scene/game_progress.h"
#include "stage/actor.h"
#include "stage/engine_globals.h"
#include "stage/game_scene.h"
#include "stage/post_load_tables.h"
#include "stage/projectile.h"

namespace {

// The stage settings and the score are globals: every test starts from known values and
// leaves them as it found them.
class VitalsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        EdStageWork.SetGameSpeed(10);
    }
    void TearDown() override { ResetEngineGlobals(); }
};

TEST_F(VitalsTest, ClearContactsClearsTheFourSidesOnly) {
    cActorBase actor;
    actor.m_bContactLeft = actor.m_bContactRight = actor.m_bContactUp = actor.m_bContactDown = 1;
    actor.m_bLeftRide = 1;
    actor.m_bRiding = 1;
    actor.ClearContacts();
    EXPECT_EQ(actor.m_bContactLeft, 0);
    EXPECT_EQ(actor.m_bContactRight, 0);
    EXPECT_EQ(actor.m_bContactUp, 0);
    EXPECT_EQ(actor.m_bContactDown, 0);
    EXPECT_EQ(actor.m_bLeftRide, 1);
    EXPECT_EQ(actor.m_bRiding, 1);
}

TEST_F(VitalsTest, RestorePositionBringsBackTheSavedBox) {
    cActorBase actor;
    actor.m_dX = 100.25;
    actor.m_dY = 64.5;
    actor.m_dRight = 115.25;
    actor.m_dBottom = 87.5;
    actor.SavePosition();
    EXPECT_EQ(actor.m_rcSaved.left, 100.25);
    EXPECT_EQ(actor.m_rcSaved.top, 64.5);
    EXPECT_EQ(actor.m_rcSaved.right, 115.25);
    EXPECT_EQ(actor.m_rcSaved.bottom, 87.5);

    actor.m_dX = 7;
    actor.m_dY = 8;
    actor.m_dRight = 9;
    actor.m_dBottom = 10;
    actor.RestorePosition();
    EXPECT_EQ(actor.m_dX, 100.25);
    EXPECT_EQ(actor.m_dY, 64.5);
    EXPECT_EQ(actor.m_dRight, 115.25);
    EXPECT_EQ(actor.m_dBottom, 87.5);
}

// --- Knock-back decay ---

struct DecayCase {
    int level;                      // the stage's game speed (b for levels up to 10)
    double start;                   // the knock-back velocity before the first tick
    std::vector<double> afterTick;  // the velocity after each tick
};

TEST_F(VitalsTest, KnockbackDecaysTowardZeroAndStopsExactlyThere) {
    const DecayCase cases[] = {
        {10, 0.35, {0.25, 0.15, 0.05, 0.0, 0.0}},
        {10, -0.35, {-0.25, -0.15, -0.05, 0.0, 0.0}},
        {10, 0.2, {0.1, 0.0, 0.0}},  // a step that lands on 0 stays there
        {1, 2.5, {1.5, 0.5, 0.0, 0.0}},
        {1, -2.5, {-1.5, -0.5, 0.0}},
        {1, 0.0, {0.0}},
        {0, 0.5, {0.5, 0.5}},  // no sub-steps: no decay and no division by 0
    };
    for (const DecayCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "level " << c.level << " start " << c.start);
        EdStageWork.SetGameSpeed(c.level);
        for (int axis = 0; axis < 2; ++axis) {
            cActorBase actor;
            double& decaying = axis == 0 ? actor.m_dKnockVX : actor.m_dKnockVY;
            double& other = axis == 0 ? actor.m_dKnockVY : actor.m_dKnockVX;
            decaying = c.start;
            other = 3.0;
            for (double expected : c.afterTick) {
                if (axis == 0)
                    actor.DecayKnockbackX();
                else
                    actor.DecayKnockbackY();
                EXPECT_NEAR(decaying, expected, 1e-12) << "axis " << axis;
                // The stop is exact, so that "no knock-back" tests may compare with 0.
                if (expected == 0.0) {
                    EXPECT_EQ(decaying, 0.0) << "axis " << axis;
                }
            }
            EXPECT_EQ(other, 3.0) << "axis " << axis;
        }
    }
}

// --- Hit immunity ---

struct InvincibilityCase {
    int op;     // 0 the hero, 1 a character
    int level;  // b
    std::int32_t heroFrames;
    std::int32_t charaFrames;
    std::int32_t expected;
};

TEST_F(VitalsTest, StartInvincibilityTakesTheOperatorsSettingTimesB) {
    const InvincibilityCase cases[] = {
        {0, 10, 3, 7, 30}, {1, 10, 3, 7, 70},        {0, 1, 3, 7, 3},
        {1, 1, 3, 7, 7},   {0, 4, 0x40000000, 7, 0},  // the product wraps to 32 bits
    };
    for (const InvincibilityCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "operator " << c.op << " level " << c.level);
        EdStageWork.SetGameSpeed(c.level);
        EdStageWork.nHeroInvincible = c.heroFrames;
        EdStageWork.nCharaInvincible = c.charaFrames;
        // The per-attacker settings must not be taken by mistake.
        EdStageWork.nHeroHitInterval = 11;
        EdStageWork.nCharaHitInterval = 13;
        cActorBase actor;
        actor.m_nOperator = c.op;
        actor.m_listHitBy.push_back({5, 9});
        actor.StartInvincibility();
        EXPECT_EQ(actor.m_nInvincibleFrames, c.expected);
        EXPECT_EQ(actor.IsInvincibleNow(), c.expected > 0 ? 1 : 0);
        ASSERT_EQ(actor.m_listHitBy.size(), 1u);
        EXPECT_EQ(actor.m_listHitBy.begin()->nTicks, 9);
    }
}

TEST_F(VitalsTest, TickImmunityCountsDownAndForgetsAttackersAtZero) {
    cActorBase actor;
    actor.m_nInvincibleFrames = 2;
    actor.m_listHitBy.push_back({11, 3});
    actor.m_listHitBy.push_back({12, 1});
    actor.m_listHitBy.push_back({13, 2});
    actor.m_listHitBy.push_back({14, 0});  // already spent: goes at the next tick

    struct Expected {
        std::int32_t invincible;
        std::vector<std::pair<ObjectId, std::int32_t>> hitBy;
    };
    const Expected ticks[] = {
        {1, {{11, 2}, {13, 1}}},
        {0, {{11, 1}}},
        {0, {}},
    };
    for (const Expected& e : ticks) {
        actor.TickImmunity();
        EXPECT_EQ(actor.m_nInvincibleFrames, e.invincible);
        std::vector<std::pair<ObjectId, std::int32_t>> hitBy;
        for (const HitByEntry& h : actor.m_listHitBy) hitBy.emplace_back(h.idAttacker, h.nTicks);
        EXPECT_EQ(hitBy, e.hitBy);
    }

    // A count below 0 (an edited save) is held at 0.
    actor.m_nInvincibleFrames = -5;
    actor.TickImmunity();
    EXPECT_EQ(actor.m_nInvincibleFrames, 0);
}

// --- Leaving a ride ---

TEST_F(VitalsTest, LeaveRideStopsVerticalMotionUnlessKnockedAndRemembersWithFlag) {
    struct Case {
        double knockVY;
        int flag;
        double expectedVY;
        std::int32_t expectedLeft;
    };
    const Case cases[] = {
        {0.0, 0, 0.0, 0},
        {0.0, 1, 0.0, 1},
        {1.5, 0, 3.25, 0},
        {-2.0, 1, 3.25, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "knock " << c.knockVY << " flag " << c.flag);
        cActorBase actor;
        actor.m_bRiding = 1;
        actor.m_dVY = 3.25;
        actor.m_dKnockVY = c.knockVY;
        actor.LeaveRide(c.flag);
        EXPECT_EQ(actor.m_bRiding, 0);
        EXPECT_EQ(actor.m_dVY, c.expectedVY);
        EXPECT_EQ(actor.m_bLeftRide, c.expectedLeft);
        EXPECT_EQ(actor.m_dKnockVY, c.knockVY);
    }
}

// --- Death ---

// An actor that notes what its death flows saw of it.
class WatchedActor : public cActorBase {
public:
    int RunFlows(int dying) override {
        calls.push_back(dying);
        targetDuringFlows = m_pTarget;
        scoreDuringFlows = Progress.m_nStageScore;
        return 0;
    }
    std::vector<int> calls;
    cActorBase* targetDuringFlows = nullptr;
    std::int32_t scoreDuringFlows = -1;
};

// The defeat counts for the stage score; the play's score waits for the stage's end.
TEST_F(VitalsTest, ActorDeathAddsToTheStageScoreHeldToSixDigits) {
    struct Case {
        std::int32_t before;
        std::int32_t award;
        std::int32_t after;
    };
    const Case cases[] = {
        {100, 250, 350}, {999900, 500, 999999},
        {100, -300, 0},  {2147483000, 2000, 999999},  // no 32-bit overflow on the way
        {0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.before << " + " << c.award);
        Progress.m_nStageScore = c.before;
        Progress.m_nScore = 7000;
        cActorBase actor;
        actor.m_Chara.nScore = c.award;
        EXPECT_EQ(actor.ActorDeath(), 0);
        EXPECT_EQ(Progress.m_nStageScore, c.after);
        EXPECT_EQ(Progress.m_nScore, 7000);
        EXPECT_EQ(actor.m_bDying, 1);
    }
}

TEST_F(VitalsTest, ActorDeathRunsTheDeathFlowsBeforeLettingGo) {
    cActorBase target;
    WatchedActor actor;
    actor.m_pTarget = &target;
    target.m_vecTargetedBy.push_back(&actor);
    actor.m_Chara.nScore = 40;
    Progress.m_nStageScore = 10;

    EXPECT_EQ(actor.ActorDeath(), 0);
    EXPECT_EQ(actor.calls, std::vector<int>{1});
    EXPECT_EQ(actor.targetDuringFlows, &target);
    EXPECT_EQ(actor.scoreDuringFlows, 10);
    EXPECT_EQ(Progress.m_nStageScore, 50);
    EXPECT_EQ(actor.m_pTarget, nullptr);
}

// The dying actor A is targeted by B and targets C, which D targets as well; A also appears
// twice in C's list and has a projectile homing on it.
struct Relations {
    cActorBase a, b, c, d;
    cProjectile shot;

    Relations() {
        b.m_pTarget = &a;
        a.m_vecTargetedBy.push_back(&b);
        a.m_pTarget = &c;
        d.m_pTarget = &c;
        c.m_vecTargetedBy.push_back(&a);
        c.m_vecTargetedBy.push_back(&d);
        c.m_vecTargetedBy.push_back(&a);
        // Both sides of the homing relation, as the shot keeps them: the shot, destroyed
        // before the actors, then takes itself out of A's list.
        shot.SetHomingTarget(&a);
    }
    static std::vector<cActorBase*> List(const cActorBase& actor) {
        return {actor.m_vecTargetedBy.begin(), actor.m_vecTargetedBy.end()};
    }
};

TEST_F(VitalsTest, ActorDeathReleasesTargetsOnBothSidesUnlessTheStageEnded) {
    // Without a game scene nothing can have ended the stage.
    {
        Relations r;
        EXPECT_EQ(r.a.ActorDeath(), 0);
        EXPECT_EQ(r.b.m_pTarget, nullptr);
        EXPECT_TRUE(r.a.m_vecTargetedBy.empty());
        EXPECT_EQ(r.a.m_pTarget, nullptr);
        EXPECT_EQ(Relations::List(r.c), std::vector<cActorBase*>{&r.d});
        EXPECT_EQ(r.d.m_pTarget, &r.c);
        EXPECT_TRUE(r.a.m_vecHomingShots.empty());
        EXPECT_EQ(r.a.m_bDying, 1);
    }

    cGameScene scene;
    lpGame = &scene;
    struct Case {
        std::int32_t stageResult;
        int expected;
    };
    for (const Case& c : {Case{0, 0}, Case{2, 0}, Case{1, 1}}) {
        SCOPED_TRACE(testing::Message() << "stage result " << c.stageResult);
        scene.m_nStageResult = c.stageResult;
        Progress.m_nStageScore = 5;
        Relations r;
        r.a.m_Chara.nScore = 20;
        EXPECT_EQ(r.a.ActorDeath(), c.expected);
        // The score is given either way: it comes before the stage's end is looked at.
        EXPECT_EQ(Progress.m_nStageScore, 25);
        if (c.expected == 1) {
            EXPECT_EQ(r.b.m_pTarget, &r.a);
            EXPECT_EQ(Relations::List(r.a), std::vector<cActorBase*>{&r.b});
            EXPECT_EQ(r.a.m_pTarget, &r.c);
            EXPECT_EQ(Relations::List(r.c), (std::vector<cActorBase*>{&r.a, &r.d, &r.a}));
            EXPECT_EQ(r.a.m_vecHomingShots.Size(), 1u);
            EXPECT_EQ(r.a.m_bDying, 0);
        } else {
            EXPECT_EQ(r.b.m_pTarget, nullptr);
            EXPECT_EQ(r.a.m_pTarget, nullptr);
            EXPECT_EQ(Relations::List(r.c), std::vector<cActorBase*>{&r.d});
            EXPECT_TRUE(r.a.m_vecHomingShots.empty());
            EXPECT_EQ(r.a.m_bDying, 1);
        }
    }
    lpGame = nullptr;
}

TEST_F(VitalsTest, ActorTargetingItselfIsReleasedCleanly) {
    cActorBase actor;
    actor.m_pTarget = &actor;
    actor.m_vecTargetedBy.push_back(&actor);
    EXPECT_EQ(actor.ActorDeath(), 0);
    EXPECT_EQ(actor.m_pTarget, nullptr);
    EXPECT_TRUE(actor.m_vecTargetedBy.empty());
}

// --- The pattern to draw ---

// A running animation showing `pattern` for a long time, with the given play length.
AnimeEntry Entry(int pattern, int limited, std::int32_t length, int paused = 0) {
    AnimeEntry e;
    e.m_Pattern.m_vecSeq.push_back(ANIMSEQ{{pattern, 1000, 0}, {ANIM_RESTART, 0, 0}});
    e.m_bLimited = limited;
    e.m_nLength = length;
    e.m_bPaused = paused;
    return e;
}

constexpr int kBasePattern = 99;

struct ChoiceCase {
    const char* name;
    std::vector<AnimeEntry> entries;  // entry i shows pattern 10 + i
    int expected;                     // the pattern drawn
};

TEST_F(VitalsTest, GetDrawPatternChoosesAmongTheRunningEntries) {
    auto L = [](std::int32_t length) { return Entry(0, 1, length); };
    auto U = [](std::int32_t length) { return Entry(0, 0, length); };
    auto P = [](std::int32_t length) { return Entry(0, 1, length, 1); };
    const ChoiceCase cases[] = {
        {"no entry: the base", {}, kBasePattern},
        {"every entry paused: the base", {P(1), P(-1)}, kBasePattern},
        {"one unlimited", {U(5)}, 10},
        {"first of two unlimited", {U(5), U(-3)}, 10},
        {"a limited one after an unlimited one wins", {U(1), L(5)}, 11},
        {"no unlimited one after a limited one", {L(5), U(1)}, 10},
        {"least length left", {L(7), L(3), L(5)}, 11},
        {"the first of equal lengths", {L(3), L(3)}, 10},
        {"a longer one after an ended one loses", {L(-1), L(2)}, 10},
        {"a single ended one does not fix the choice", {L(-2), U(-1)}, 10},
        {"a second ended one wins even with more length left", {L(-5), L(-2)}, 11},
        {"a second ended one fixes, then a later-ended one wins", {L(0), L(-5), L(-2)}, 12},
        {"once fixed an earlier-ended one loses", {L(0), L(-2), L(-4)}, 11},
        {"once fixed a positive length loses", {L(-1), L(-3), L(4)}, 11},
        {"once fixed an unlimited ended one may win", {L(-3), L(-4), U(-1)}, 12},
        {"paused entries are not looked at", {P(1), U(5)}, 11},
    };
    for (const ChoiceCase& c : cases) {
        SCOPED_TRACE(c.name);
        cActorBase actor;
        actor.m_AnimPattern.m_vecSeq.push_back(
            ANIMSEQ{{kBasePattern, 1000, 0}, {ANIM_RESTART, 0, 0}});
        int i = 0;
        for (AnimeEntry e : c.entries) {
            e.m_Pattern.m_vecSeq[0][0].nPattern = 10 + i++;
            actor.m_listAnime.push_back(e);
        }
        // Paused: nothing advances, so the lengths are those of the table.
        EXPECT_EQ(actor.GetDrawPattern(1), c.expected);
    }
}

TEST_F(VitalsTest, GetDrawPatternAdvancesTheAnimationsUnlessPaused) {
    const ANIMSEQ twoSteps{{1, 1, 0}, {2, 1, 0}, {ANIM_RESTART, 0, 0}};
    cActorBase actor;
    actor.m_AnimPattern.m_vecSeq.push_back(twoSteps);

    AnimeEntry running = Entry(0, 1, 3);
    running.m_Pattern.m_vecSeq[0] = ANIMSEQ{{5, 1, 0}, {6, 100, 0}, {ANIM_RESTART, 0, 0}};
    AnimeEntry held = Entry(0, 1, 3, 1);
    held.m_Pattern.m_vecSeq[0] = twoSteps;
    AnimeEntry oneShot = Entry(0, 1, 1);
    oneShot.m_Pattern.m_vecSeq[0] = ANIMSEQ{{7, 1, 0}, {ANIM_ONESHOT_END, 0, 0}};
    actor.m_listAnime.push_back(running);
    actor.m_listAnime.push_back(held);
    actor.m_listAnime.push_back(oneShot);

    // Paused: nothing moves, and the least length (the one-shot's) shows.
    EXPECT_EQ(actor.GetDrawPattern(1), 7);
    EXPECT_EQ(actor.m_AnimPattern.GetPattern(), 1);
    EXPECT_EQ(actor.m_listAnime.size(), 3u);

    // One frame: the one-shot reaches its end and goes, the running entry moves on and
    // loses a frame of length, the held entry stays as it was.
    EXPECT_EQ(actor.GetDrawPattern(0), 6);
    EXPECT_EQ(actor.m_AnimPattern.GetPattern(), 2);
    ASSERT_EQ(actor.m_listAnime.size(), 2u);
    const AnimeEntry& first = actor.m_listAnime.CheckedListAt(0);
    const AnimeEntry& second = actor.m_listAnime.CheckedListAt(1);
    EXPECT_EQ(first.m_nLength, 2);
    EXPECT_EQ(second.m_nLength, 3);
    EXPECT_EQ(second.m_Pattern.m_nStep, 0);
    EXPECT_EQ(second.m_Pattern.m_nCount, 0);

    // Without entries the base animation's own step shows.
    actor.m_listAnime.clear();
    EXPECT_EQ(actor.GetDrawPattern(0), 1);
}

// --- The dying actor ---

TEST_F(VitalsTest, DyingCharacterWithoutEffectGoesAtOnce) {
    for (int paused : {0, 1}) {
        cActorBase chara;
        chara.m_nOperator = 1;
        chara.m_bDying = 1;
        EXPECT_EQ(chara.DrawDying(nullptr, paused), 1) << "paused " << paused;
        EXPECT_EQ(chara.m_nDeathFrames, 0);
    }
}

TEST_F(VitalsTest, DyingHeroWaitsSixtyOneCountedFrames) {
    cActorBase hero;
    hero.m_nOperator = 0;
    hero.m_bDying = 1;
    for (int frame = 1; frame <= 60; ++frame) {
        ASSERT_EQ(hero.DrawDying(nullptr, 0), 0) << "frame " << frame;
        // A paused frame is not counted.
        ASSERT_EQ(hero.DrawDying(nullptr, 1), 0) << "frame " << frame;
    }
    EXPECT_EQ(hero.m_nDeathFrames, 60);
    EXPECT_EQ(hero.DrawDying(nullptr, 0), 1);
    EXPECT_EQ(hero.m_nDeathFrames, 61);
}

TEST_F(VitalsTest, DyingHeroDoesNotCountWhileItsDeathEffectRuns) {
    cActorBase hero;
    hero.m_nOperator = 0;
    hero.m_bDying = 1;
    // A burst of half a second: the death frames count only once it has ended.
    EdDatabase.vecCharaEffect.resize(4);
    EdDatabase.vecCharaEffect[3].nKind = 1;
    EdDatabase.vecCharaEffect[3].anParam[0] = 5;
    EdDatabase.vecCharaEffect[3].anParam[2] = 32;
    BuildPostLoadTables();
    hero.m_CharaEffect.Start(3, 0, 0);
    for (int frame = 1; frame <= 31; ++frame) EXPECT_EQ(hero.DrawDying(nullptr, 0), 0);
    EXPECT_EQ(hero.m_nDeathFrames, 0);
    EXPECT_EQ(hero.m_CharaEffect.nNumber, 0);
    EXPECT_EQ(hero.DrawDying(nullptr, 0), 0);
    EXPECT_EQ(hero.m_nDeathFrames, 1);
}

}  // namespace

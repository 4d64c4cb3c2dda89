// Projectiles: how a shot starts (facing, box, range, time, acceleration, scroll), how it
// ends (range, time, blocks, the area), how a sword follows its owner, how shots home, and
// that no pointer between a projectile and an actor outlives either of them.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "stage/homing.h"
#include "stage/projectile_world.h"

namespace {

using ProjectileTest = ProjectileWorld;

// Updates until the projectile asks to be removed; the number of updates it took (limit + 1
// when it never asked).
int TicksUntilRemoved(cProjectile& p, int limit) {
    for (int t = 1; t <= limit; ++t)
        if (p.Update()) return t;
    return limit + 1;
}

// --- Start ---

TEST_F(ProjectileTest, FacingComesFromTheSpawnVelocityOrTheFirer) {
    struct Case {
        const char* name;
        double vx;
        int firerFacing;
        int facing;
    };
    const Case cases[] = {
        {"flying right", 2, 0, 1},
        {"flying left", -2, 1, 0},
        {"straight up, firer right", 0, 1, 1},
        {"straight up, firer left", 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cCharaActor& f = Chara(5, 1, 640, 640, c.firerFacing);
        const cProjectile& p = Fire(f, Record(), Spawn(640, 640, c.vx, c.vx == 0 ? -2 : 0));
        EXPECT_EQ(p.m_bFacingRight, c.facing);
        EXPECT_EQ(p.m_bIsShot, 1);
        EXPECT_EQ(p.m_nOwnerSerial, 5);
        game->m_listProjectile.Clear();
        ClearCharas();
    }
}

TEST_F(ProjectileTest, ShotBoxIsCentredInTheCellWithTheOperatorsSize) {
    EdStageWork.nHeroShotRangeW = 10;
    EdStageWork.nHeroShotRangeH = 6;
    EdStageWork.nCharaShotRangeW = 20;
    EdStageWork.nCharaShotRangeH = 13;
    cCharaActor& f = Chara(5, 1, 640, 640);
    const cProjectile& hers = Fire(Player[0], Record(), Spawn(700, 650, 1, 0));
    const cProjectile& its = Fire(f, Record(), Spawn(700, 650, 1, 0));
    // 8 − size / 2 on each axis, for the player's and the computer's shots.
    EXPECT_EQ(hers.m_HitBox.nOffsetX, 3);
    EXPECT_EQ(hers.m_HitBox.nOffsetY, 5);
    EXPECT_EQ(its.m_HitBox.nOffsetX, -2);
    EXPECT_EQ(its.m_HitBox.nOffsetY, 2);
    EXPECT_EQ(its.m_HitBox.dLeft, 698);
    EXPECT_EQ(its.m_HitBox.dRight, 717);
    EXPECT_EQ(its.m_HitBox.dTop, 652);
    EXPECT_EQ(its.m_HitBox.dBottom, 664);
    EXPECT_EQ(hers.m_nBoxW, 16);
    EXPECT_EQ(hers.m_nGroup, 0);
    EXPECT_EQ(its.m_nGroup, 1);
}

TEST_F(ProjectileTest, RangeZeroStopsTheShotAndEndsItAfterOneFrame) {
    // A 16-dot shot of range 0 at 3 dots per tick: nothing to cover, so it stands for the b
    // ticks of one frame and goes in the update after; with the stop flag it stays, stopped.
    cEdShot record = Record();
    record.bRangeLimit = 1;
    record.nHomingKind = kHomingAimHero;
    for (int stop = 0; stop <= 1; ++stop) {
        SCOPED_TRACE(stop ? "stop flag" : "no stop flag");
        record.bStopAtRange = static_cast<std::int8_t>(stop);
        cProjectile& p = Fire(Player[0], record, Spawn(640, 640, 3.0 * kB, 0, 0));
        EXPECT_EQ(p.m_dOwnVX, 0.0);
        EXPECT_EQ(p.m_dOwnVY, 0.0);
        EXPECT_EQ(p.m_nRangeTicks, kB);
        if (!stop) {
            EXPECT_EQ(TicksUntilRemoved(p, 50), kB + 1);
        } else {
            EXPECT_EQ(TicksUntilRemoved(p, 50), 51);
            EXPECT_EQ(p.m_Shot.nHomingKind, kHomingStraight);
            EXPECT_EQ(p.m_dVX, 0.0);
        }
        game->m_listProjectile.Clear();
    }
}

TEST_F(ProjectileTest, RangeAndTimeBecomeTicks) {
    struct Case {
        const char* name;
        bool range;
        bool time;
        int ticks;  // updates until removal
    };
    // Range 10 hbl at 1 dot per tick: 160 − 16 dots = 144 ticks, then one more update.
    // Time 3 tenths: 3 × 6 × b = 180 ticks, then one more update.
    const Case cases[] = {
        {"range", true, false, 145},
        {"time", false, true, 181},
        {"both: the range first", true, true, 145},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cEdShot record = Record();
        record.bRangeLimit = c.range;
        record.bLifeLimit = c.time;
        cProjectile& p = Fire(Player[0], record, Spawn(640, 640, 1.0 * kB, 0, 10, 3));
        EXPECT_EQ(TicksUntilRemoved(p, 400), c.ticks);
        game->m_listProjectile.Clear();
    }
}

TEST_F(ProjectileTest, AccelerationCountsTwiceInATick) {
    cEdShot record = Record();
    record.bAccel = 1;
    record.nAccel = 6;  // tenths of a dot per frame
    cProjectile& p = Fire(Player[0], record, Spawn(640, 640, 1.0 * kB, 0));
    const double a = PerFrameSpeed(6 * 0.1 / kB);
    EXPECT_EQ(p.m_dMoveVX, a);
    EXPECT_EQ(p.m_dMoveVY, 0.0);
    ASSERT_EQ(p.Update(), 0);
    EXPECT_EQ(p.m_dOwnVX, 1.0 + a);
    p.StepX();
    EXPECT_EQ(p.m_dVX, 1.0 + a + a);
    EXPECT_EQ(p.m_dX, 640 + (1.0 + a + a));
}

TEST_F(ProjectileTest, SyncedShotTakesTheAutoScrollAlong) {
    game->m_ScrollX.m_dAutoSpeed = 0.5;
    struct Case {
        const char* name;
        int synced;
        int syncSwitch;
        double vx;
    };
    const Case cases[] = {
        {"synced", 1, 0, 1.5},
        {"not synced", 0, 0, 1.0},
        {"synced, system switch on", 1, 1, 1.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EdSystem.bCompat214 = c.syncSwitch;
        cEdShot record = Record();
        record.bGuided = static_cast<std::int8_t>(c.synced);
        cProjectile& p = Fire(Player[0], record, Spawn(640, 640, 1.0 * kB, 0));
        ASSERT_EQ(p.Update(), 0);
        EXPECT_EQ(p.m_dVX, c.vx);
        game->m_listProjectile.Clear();
    }
}

// --- Swords ---

TEST_F(ProjectileTest, SwordOfThreeFramesLastsThreeTimesSixBPlusOneTicks) {
    SwordType(3);
    cEdShot record = Record();
    record.nHomingKind = 1;
    SpawnInfo spawn;
    cProjectile& sword = game->m_listProjectile.Add();
    sword.Init(0, Player[0], kCmdSword, record, spawn);
    EXPECT_EQ(sword.m_bIsShot, 0);
    EXPECT_EQ(sword.m_nBoxW, 20);
    EXPECT_EQ(TicksUntilRemoved(sword, 1000), 3 * (6 * kB + 1));
}

TEST_F(ProjectileTest, SwordEndsWhenItsOwnerIsGone) {
    SwordType(3);
    cEdShot record = Record();
    record.nHomingKind = 1;
    cCharaActor& owner = Chara(7, 1, 640, 640);
    cProjectile& sword = game->m_listProjectile.Add();
    sword.Init(0, owner, kCmdSword, record, SpawnInfo{});
    EXPECT_EQ(sword.Update(), 0);
    game->RemoveChara(owner);
    EXPECT_EQ(sword.Update(), 1);
}

TEST_F(ProjectileTest, SwordFramesAttachToTheOwnerWithMirroredOffsets) {
    // The owner: 32 × 32 at map (640, 640); the frame 20 × 10 with offsets (4, 2).
    struct Case {
        const char* name;
        int place;
        int ownerRight;
        int flipX, flipY;
        double x, y;
        int facing;
    };
    const Case cases[] = {
        {"front, right", 0, 1, 1, 0, 672 - 4, 651 + 2, 1},
        {"front, right, no mirror", 0, 1, 0, 0, 672 + 4, 651 + 2, 1},
        {"front, left", 0, 0, 1, 0, 620 + 4, 651 + 2, 0},
        {"behind, right", 1, 1, 1, 0, 620 - 4, 651 + 2, 0},
        {"behind, left", 1, 0, 1, 1, 672 + 4, 651 + 2, 1},
        {"above, right, y mirrored", 2, 1, 1, 1, 646 - 4, 630 - 2, 1},
        {"above, left", 2, 0, 1, 1, 646 + 4, 630 + 2, 0},
        {"below, right", 3, 1, 0, 0, 646 + 4, 672 + 2, 1},
        {"below, left", 3, 0, 0, 1, 646 + 4, 672 + 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SwordType(1);
        cEdSwordFrame& frame = EdDatabase.vecSwordType[1].vecFrame[0];
        frame.nPlace = c.place;
        frame.nOffsetX = 4;
        frame.nOffsetY = 2;
        frame.bFlipX = c.flipX;
        frame.bFlipY = c.flipY;
        cCharaActor& owner = Chara(7, 1, 640, 640, c.ownerRight);
        cEdShot record = Record();
        record.nHomingKind = 1;
        cProjectile& sword = game->m_listProjectile.Add();
        sword.Init(0, owner, kCmdSword, record, SpawnInfo{});
        ASSERT_EQ(sword.Update(), 0);
        EXPECT_EQ(sword.m_dX, c.x);
        EXPECT_EQ(sword.m_dY, c.y);
        EXPECT_EQ(sword.m_bFacingRight, c.facing);
        EXPECT_EQ(sword.m_HitBox.dLeft, c.x);
        EXPECT_EQ(sword.m_HitBox.dRight, c.x + 19);
        game->m_listProjectile.Clear();
        ClearCharas();
    }
}

// --- Blocks and the area ---

TEST_F(ProjectileTest, WideBoxIsTestedEveryBlockAndAtItsFarEdge) {
    // A 48-dot box at x 630 samples x 630, 662 and 677: map columns 19, 20 and 21.
    struct Case {
        const char* name;
        int column;
        int blockMode;
        int hits;
    };
    const Case cases[] = {
        {"first sample", 19, 0, 1},   {"middle sample", 20, 0, 1},
        {"far edge", 21, 0, 1},       {"beyond the box", 22, 0, 0},
        {"before the box", 18, 0, 0}, {"passes through blocks", 21, 1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(BlockMap.Build(40, 20));
        BlockMap.Cell(BlockMap.CellIndex(c.column, 20)).nHitType = kHitSolid;
        cEdShot record = Record();
        record.nBlockMode = static_cast<std::int8_t>(c.blockMode);
        cProjectile& p = Fire(Player[0], record, Spawn(630, 644, 1, 0));
        p.m_nBoxW = 48;
        p.m_dRight = p.m_dX + 47;
        EXPECT_EQ(p.HitsBlock(), c.hits);
        game->m_listProjectile.Clear();
    }
}

TEST_F(ProjectileTest, TheAreaEndsShotsInTheFirstTickOnlyAndSparesSwords) {
    SwordType(3);
    // Everything far right of the view (320..960) and past the player shots' area margin.
    Shape(Player[0], 0, 0, 0, 1500, 640);
    cEdShot record = Record(0);
    record.nBlockMode = 1;
    cProjectile& shot = Fire(Player[0], record, Spawn(1500, 640, 0, 0));
    cEdShot swordRecord = Record();
    swordRecord.nHomingKind = 1;
    cProjectile& sword = game->m_listProjectile.Add();
    sword.Init(1, Player[0], kCmdSword, swordRecord, SpawnInfo{});
    game->AddProjectile(sword);
    const ObjectId shotId = shot.Id();
    game->m_nTick = 2;
    game->RunProjectiles();
    EXPECT_EQ(game->m_listProjectile.Size(), 2u);
    game->m_nTick = 1;
    game->RunProjectiles();
    EXPECT_EQ(game->m_listProjectile.Size(), 1u);
    EXPECT_EQ(game->m_listProjectile.Find(shotId), nullptr);
    EXPECT_EQ(game->m_vecShotGroupList[0].size(), 1u);
}

TEST_F(ProjectileTest, ABlockEndsAShotInTheProjectilePass) {
    BlockMap.Cell(BlockMap.CellIndex(22, 20)).nHitType = kHitSolid;
    cProjectile& p = Fire(Player[0], Record(), Spawn(680, 644, 2.0 * kB, 0));
    int ticks = 0;
    while (!game->m_listProjectile.Empty() && ticks < 100) {
        game->m_nTick = 2;
        game->RunProjectiles();
        ++ticks;
    }
    (void)p;
    // It touches column 22 (map dot 704) once its right edge reaches it: x ≥ 689.
    EXPECT_EQ(ticks, 5);
    EXPECT_TRUE(game->m_vecShotGroupList[0].empty());
}

// --- Homing ---

// A shot of the homing kind with its parameters; its speed (tenths of a dot per frame) is
// the homing speed: 100 is 1 dot per tick.
cEdShot Homing(int kind, int p1 = 0, int p2 = 0, int p3 = 0, int speed = 100) {
    cEdShot s;
    s.nCount = 1;
    s.nSpeed = static_cast<std::int16_t>(speed);
    s.nHomingKind = static_cast<std::int8_t>(kind);
    s.nHomingParam[0] = static_cast<std::int16_t>(p1);
    s.nHomingParam[1] = static_cast<std::int16_t>(p2);
    s.nHomingParam[2] = static_cast<std::int16_t>(p3);
    return s;
}

TEST_F(ProjectileTest, AimingKindsAimOnceExactlyAtTheStartTick) {
    // The hero at (900, 640); the shot at (640, 700) flying left at 1 dot per tick.
    struct Case {
        const char* name;
        int p1;
        int aimTick;  // the update (from 0) that aims
    };
    // P1 2 hbl at 1 dot per tick: 32 ticks of flight first.
    const Case cases[] = {{"at once", 0, 0}, {"after two half blocks", 2, 32}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cCharaActor& f = Chara(5, 1, 640, 700);
        cProjectile& p = Fire(f, Homing(kHomingAimHero, c.p1), Spawn(640, 700, -1.0 * kB, 0));
        for (int t = 0; t <= c.aimTick + 2; ++t) {
            const double before = p.m_dOwnVX;
            ASSERT_EQ(p.Update(), 0);
            if (t < c.aimTick) EXPECT_EQ(p.m_dOwnVX, before) << t;
            if (t == c.aimTick) {
                EXPECT_GT(p.m_dOwnVX, 0) << "turned toward the hero";
                EXPECT_LT(p.m_dOwnVY, 0);
                EXPECT_NEAR(std::hypot(p.m_dOwnVX, p.m_dOwnVY), 1.0, 1e-12);
            }
            if (t > c.aimTick) EXPECT_EQ(p.m_dOwnVX, before) << "aims once";
            p.StepX();
            p.StepY();
        }
        EXPECT_EQ(p.m_bHomingDone, 1);
        game->m_listProjectile.Clear();
        ClearCharas();
    }
}

TEST_F(ProjectileTest, NearestKindWithoutCharactersFliesStraightForGood) {
    cProjectile& p = Fire(Player[0], Homing(kHomingAimNearest, 0, 3), Spawn(640, 700, 10, 0));
    ASSERT_EQ(p.Update(), 0);
    EXPECT_EQ(p.m_bHomingDone, 1);
    Chara(9, 3, 700, 400);  // a character of group 3 turns up afterwards
    for (int t = 0; t < 5; ++t) ASSERT_EQ(p.Update(), 0);
    EXPECT_EQ(p.m_dOwnVX, 1.0);
    EXPECT_EQ(p.m_dOwnVY, 0.0);
}

TEST_F(ProjectileTest, SteeringKeepsTheHomingSpeedAndEndsAtItsEnd) {
    struct Case {
        const char* name;
        int p2;  // 誘導終了 (hbl)
        bool steers;
    };
    const Case cases[] = {{"end 0: never", 0, false}, {"end 999", 999, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cCharaActor& f = Chara(5, 1, 640, 700);
        cProjectile& p = Fire(f, Homing(kHomingSteerHero, 0, c.p2), Spawn(640, 700, -10, 0));
        for (int t = 0; t < 20; ++t) {
            ASSERT_EQ(p.Update(), 0);
            p.StepX();
            p.StepY();
            if (c.steers) {
                EXPECT_NEAR(std::hypot(p.m_dOwnVX, p.m_dOwnVY), 1.0, 1e-12) << t;
                EXPECT_GT(p.m_dOwnVX, 0) << t;
            } else {
                EXPECT_EQ(p.m_dOwnVX, -1.0) << t;
            }
        }
        game->m_listProjectile.Clear();
        ClearCharas();
    }
}

TEST_F(ProjectileTest, SteeringWithAccelerationTurnsOnlyByTheAcceleration) {
    cEdShot record = Homing(kHomingSteerHero, 0, 999);
    record.bAccel = 1;
    record.nAccel = 50;
    cCharaActor& f = Chara(5, 1, 640, 700);
    cProjectile& p = Fire(f, record, Spawn(640, 700, -10, 0));
    ASSERT_EQ(p.Update(), 0);
    // The start tick sets the course toward the hero (and adds one acceleration).
    const double startVX = p.m_dOwnVX;
    EXPECT_GT(startVX, 0);
    for (int t = 1; t < 10; ++t) {
        const double vx = p.m_dOwnVX;
        const double ax = p.m_dMoveVX;
        ASSERT_EQ(p.Update(), 0);
        EXPECT_EQ(p.m_dOwnVX, vx + p.m_dMoveVX) << t;
        EXPECT_GT(ax, 0) << t;
        p.StepX();
        p.StepY();
    }
}

TEST_F(ProjectileTest, TargetKindLetsGoOfADyingOrRemovedTarget) {
    for (int removed = 0; removed <= 1; ++removed) {
        SCOPED_TRACE(removed ? "removed" : "dying");
        cCharaActor& f = Chara(5, 1, 640, 700);
        cCharaActor& target = Chara(6, 2, 900, 500);
        f.m_pTarget = &target;
        cProjectile& p = Fire(f, Homing(kHomingSteerTarget, 0, 999), Spawn(640, 700, 10, 0));
        ASSERT_EQ(p.m_pTarget, &target);
        ASSERT_EQ(target.m_vecHomingShots.Size(), 1u);
        ASSERT_EQ(p.Update(), 0);
        const double vx = p.m_dOwnVX;
        const double vy = p.m_dOwnVY;
        EXPECT_LT(vy, 0) << "steers up toward the target";
        if (removed) {
            f.m_pTarget = nullptr;
            game->RemoveChara(target);
            EXPECT_EQ(p.m_pTarget, nullptr);
        } else {
            target.m_bDying = 1;
        }
        for (int t = 0; t < 5; ++t) ASSERT_EQ(p.Update(), 0);
        EXPECT_EQ(p.m_dOwnVX, vx);
        EXPECT_EQ(p.m_dOwnVY, vy);
        game->m_listProjectile.Clear();
        ClearCharas();
    }
}

TEST_F(ProjectileTest, BothNearestSteeringKindsFollowTheNearestOfTheGroup) {
    std::vector<double> courses[2];
    for (int k = 0; k < 2; ++k) {
        const int kind = k == 0 ? kHomingSteerNearest : kHomingSteerNearest2;
        cCharaActor& f = Chara(5, 1, 640, 700);
        cCharaActor& near = Chara(6, 3, 700, 500);
        Chara(7, 3, 300 + 640, 900);
        cProjectile& p = Fire(f, Homing(kind, 0, 999, 3), Spawn(640, 700, 10, 0));
        for (int t = 0; t < 6; ++t) {
            if (t == 3) near.m_bDying = 1;  // the next nearest takes over
            ASSERT_EQ(p.Update(), 0);
            courses[k].push_back(p.m_dOwnVX);
            courses[k].push_back(p.m_dOwnVY);
            p.StepX();
            p.StepY();
        }
        game->m_listProjectile.Clear();
        ClearCharas();
    }
    EXPECT_EQ(courses[0], courses[1]);
    EXPECT_LT(courses[0][1], 0) << "first toward the near one, above";
    EXPECT_GT(courses[0].back(), 0) << "then toward the other, below";
}

TEST_F(ProjectileTest, WaveStartsAtItsAngleMirroredForALeftFacingShot) {
    struct Case {
        const char* name;
        double vx;
        double startAngle;
    };
    const Case cases[] = {{"facing right", 10, 30}, {"facing left", -10, 30 + 180}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cProjectile& p = Fire(Player[0], Homing(kHomingWave, 4, 4, 30), Spawn(640, 700, c.vx, 0));
        ASSERT_EQ(p.Update(), 0);
        EXPECT_EQ(p.m_Shot.nHomingParam[0], 64) << "the amplitude in dots";
        // The start phase kB × (a / P2), advanced by the first step.
        EXPECT_EQ(p.m_dWavePhase, kB * (c.startAngle / 4) + 1);
        EXPECT_NE(p.m_dOwnVY, 0.0) << "it moves sideways";
        game->m_listProjectile.Clear();
    }
}

TEST_F(ProjectileTest, WaveWithoutSpeedStaysOnCourseAndSignFlipsStop) {
    cProjectile& still = Fire(Player[0], Homing(kHomingWave, 4, 0, 90), Spawn(640, 700, 10, 0));
    for (int t = 0; t < 30; ++t) ASSERT_EQ(still.Update(), 0);
    EXPECT_EQ(still.m_dOwnVX, 1.0);
    EXPECT_EQ(still.m_dOwnVY, 0.0);
    EXPECT_FALSE(std::isnan(still.m_dWavePhase));

    // A sideways part crossing zero in one step stops at 0 instead.
    cProjectile& p = Fire(Player[0], Homing(kHomingWave, 40, 100, 0), Spawn(640, 700, 0, -10));
    ASSERT_EQ(p.Update(), 0);
    bool stopped = false;
    for (int t = 0; t < 200 && !stopped; ++t) {
        const double before = p.m_dOwnVX;
        ASSERT_EQ(p.Update(), 0);
        EXPECT_FALSE(before < 0 && p.m_dOwnVX > 0) << t;
        EXPECT_FALSE(before > 0 && p.m_dOwnVX < 0) << t;
        stopped = before != 0 && p.m_dOwnVX == 0;
    }
    EXPECT_TRUE(stopped);
}

TEST_F(ProjectileTest, FallLetsGravityTakeOver) {
    cProjectile& p = Fire(Player[0], Homing(kHomingFall), Spawn(640, 640, 10, -20));
    p.m_Shot.nBlockMode = 1;
    ASSERT_EQ(p.m_bFlying, 1);
    game->m_nTick = 2;
    game->RunProjectiles();
    ASSERT_EQ(game->m_listProjectile.Size(), 1u);
    EXPECT_EQ(p.m_bFlying, 0);
    // Its own vertical speed became the velocity, and gravity adds to it from now on.
    const double g = EdStageWork.speed.dStepGravity;
    EXPECT_EQ(p.m_dVY, -2.0 + g);
    game->RunProjectiles();
    EXPECT_EQ(p.m_dVY, -2.0 + g + g);
}

// --- Links between projectiles and actors ---

TEST_F(ProjectileTest, NoPointerOutlivesTheTargetOrTheShot) {
    cCharaActor& f = Chara(5, 1, 640, 700);
    cCharaActor& target = Chara(6, 2, 900, 500);
    f.m_pTarget = &target;
    cProjectile& a = Fire(f, Homing(kHomingAimTarget, 4), Spawn(640, 700, 10, 0));
    cProjectile& b = Fire(f, Homing(kHomingSteerTarget, 0, 999), Spawn(640, 720, 10, 0));
    cProjectile& c = Fire(f, Homing(kHomingAimHero), Spawn(640, 740, 10, 0));
    EXPECT_EQ(c.m_pTarget, nullptr) << "only the target kinds keep it";
    ASSERT_EQ(target.m_vecHomingShots.Size(), 2u);

    // A registered shot goes: the target no longer lists it.
    const ObjectId aId = a.Id();
    EXPECT_TRUE(game->RemoveProjectile(aId));
    ASSERT_EQ(target.m_vecHomingShots.Size(), 1u);
    EXPECT_EQ(target.m_vecHomingShots[0], &b);
    EXPECT_EQ(game->m_vecShotGroupList[1].size(), 2u);
    EXPECT_FALSE(game->RemoveProjectile(aId));

    // The target dies: the shot lets go at once.
    target.m_bDying = 0;
    target.m_nHp = 0;
    target.ActorDeath();
    EXPECT_EQ(b.m_pTarget, nullptr);
    EXPECT_TRUE(target.m_vecHomingShots.empty());
    for (int t = 0; t < 3; ++t) game->RunProjectiles();

    // A target destroyed with shots on it, and shots destroyed after it: nothing freed is
    // read (the sanitizer build watches).
    cCharaActor& second = Chara(8, 2, 900, 600);
    f.m_pTarget = &second;
    Fire(f, Homing(kHomingSteerTarget, 0, 999), Spawn(640, 700, 10, 0));
    Fire(f, Homing(kHomingAimTarget, 40), Spawn(640, 700, 10, 0));
    f.m_pTarget = nullptr;
    game->RemoveChara(second);
    for (int t = 0; t < 3; ++t) game->RunProjectiles();
    for (const cProjectile& p : game->m_listProjectile) EXPECT_EQ(p.m_pTarget, nullptr);

    // The stage starting again: the hero and the characters go while shots home on them.
    cCharaActor& third = Chara(9, 2, 900, 600);
    f.m_pTarget = &third;
    Fire(f, Homing(kHomingSteerTarget, 0, 999), Spawn(640, 700, 10, 0));
    ClearCharas();
    game->m_vecGroupList[0].clear();
    Player.Reset(1);
    for (const cProjectile& p : game->m_listProjectile) EXPECT_EQ(p.m_pTarget, nullptr);
    game->m_listProjectile.Clear();
}

}  // namespace

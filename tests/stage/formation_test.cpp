// Formations: the rows, stacks, fans, thunder rows, bursts and circles of a volley, by
// direction, plain, aimed and rotated, checked against positions and velocities worked out
// by hand from the firer's rectangle; the aim at the target and the diagonal constant.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "data/command_record.h"
#include "flow/flow_instance.h"
#include "stage/projectile_world.h"

namespace {

// What a formation made: start positions and velocities (dots per frame).
struct Made {
    int x, y;
    double vx, vy;
};

class FormationTest : public ProjectileWorld {
protected:
    void SetUp() override {
        ProjectileWorld::SetUp();
        command.nCmdType = kCmdShot;
        cmd.m_pCmd = &command;
        // The firer: a 32 × 32 character whose screen rectangle is (320, 320)-(351, 351).
        firer = &Chara(5, 1, 640, 640, 1);
    }
    // Runs the formation of `shot` with `spawn` (size 16, speed 2) and lists what it made.
    std::vector<Made> Run(const cEdShot& shot, SpawnInfo spawn) {
        game->m_listProjectile.Clear();
        RunFormation(&game->m_listProjectile, *firer, cmd, shot, spawn);
        std::vector<Made> made;
        for (const cProjectile& p : game->m_listProjectile)
            made.push_back({static_cast<int>(p.m_dX), static_cast<int>(p.m_dY), p.m_dOwnVX * kB,
                            p.m_dOwnVY * kB});
        return made;
    }
    static cEdShot Shot(int formation, int count, int p1 = 0, int p2 = 0, int p3 = 0) {
        cEdShot s;
        s.nFormation = static_cast<std::int8_t>(formation);
        s.nCount = static_cast<std::int8_t>(count);
        s.nFormationParam[0] = static_cast<std::int16_t>(p1);
        s.nFormationParam[1] = static_cast<std::int16_t>(p2);
        s.nFormationParam[2] = static_cast<std::int16_t>(p3);
        s.nBlockMode = 1;
        return s;
    }
    static SpawnInfo Along(int direction, int angle = 0) {
        SpawnInfo s;
        s.nWidth = s.nHeight = 16;
        s.dSpeed = 2;
        s.nDirection = direction;
        s.nAngle = angle;
        return s;
    }
    static void ExpectAngle(const Made& m, double degrees) {
        double vx = 0, vy = 0;
        AngleVelocity(degrees, 2, vx, vy);
        EXPECT_NEAR(m.vx, vx, 1e-12) << degrees;
        EXPECT_NEAR(m.vy, vy, 1e-12) << degrees;
    }

    cEdCommand command;
    cCommandInstance cmd;
    cCharaActor* firer = nullptr;
};

constexpr double K = 0.7071067811865475;

TEST_F(FormationTest, NothingIsMadeForACountOfZeroOrLess) {
    firer->m_pTarget = &Player[0];
    for (int formation = 0; formation < kFormationKinds; ++formation) {
        for (int count : {0, -1}) {
            SCOPED_TRACE(formation);
            EXPECT_TRUE(Run(Shot(formation, count, 1, 2, 1), Along(2)).empty());
        }
    }
}

TEST_F(FormationTest, RowAStandsAcrossEachDirection) {
    // Three shots, spacing 1 hbl (16 dots between them), speed 2.
    const double sK = 2 * K;
    struct Case {
        int direction;
        Made first;
        int stepX, stepY;
    };
    const Case cases[] = {
        {2, {625, 616, -2, 0}, 0, 32},      {3, {672, 616, 2, 0}, 0, 32},
        {6, {616, 624, 0, -2}, 32, 0},      {7, {616, 672, 0, 2}, 32, 0},
        {8, {608, 653, -sK, -sK}, 22, -22}, {9, {608, 641, -sK, sK}, 22, 22},
        {10, {641, 608, sK, -sK}, 22, 22},  {11, {641, 686, sK, sK}, 22, -22},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.direction);
        const std::vector<Made> made = Run(Shot(0, 3, 1), Along(c.direction));
        ASSERT_EQ(made.size(), 3u);
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(made[i].x, c.first.x + i * c.stepX) << i;
            EXPECT_EQ(made[i].y, c.first.y + i * c.stepY) << i;
            EXPECT_NEAR(made[i].vx, c.first.vx, 1e-12);
            EXPECT_NEAR(made[i].vy, c.first.vy, 1e-12);
        }
    }
}

TEST_F(FormationTest, RowAWithAnAngleOrAnAimFliesThatWay) {
    // The same row, its velocity turned by the spawn angle: direction 2 (0°) + 90° is up.
    std::vector<Made> made = Run(Shot(0, 2), Along(2, 90));
    ASSERT_EQ(made.size(), 2u);
    EXPECT_EQ(made[0].x, 625);
    ExpectAngle(made[1], 90);
    // Aimed at a target straight to the right of the row's first object: 180°.
    cCharaActor& target = Chara(6, 2, 900, 640);
    firer->m_pTarget = &target;
    cEdShot aimed = Shot(0, 1);
    aimed.bAimTarget = 1;
    made = Run(aimed, Along(2));
    ASSERT_EQ(made.size(), 1u);
    ExpectAngle(made[0], 180);
}

TEST_F(FormationTest, RotatedRowStandsOnTheFirersRimAndFliesOutward) {
    // Rotated to 90° (up): the rim point above the firer's centre, the row across it.
    cEdShot shot = Shot(0, 1);
    shot.bAnglePlacement = 1;
    const std::vector<Made> made = Run(shot, Along(6));
    ASSERT_EQ(made.size(), 1u);
    // r = (351 + 8 − 320 − 16 + 1) K, t = K (8 + 351 − 320 − 16 + 1); θ = 315°.
    const double r = 24 * K;
    const double t = K * 24;
    const double th = 315 * kPi / 180;
    EXPECT_EQ(made[0].x,
              static_cast<int>(320 + 16 + 320.0 + (r * std::sin(th) + t * std::cos(th)) - 8));
    EXPECT_EQ(made[0].y,
              static_cast<int>(320 + 16 + 320.0 + (t * std::sin(th) - r * std::cos(th)) - 8));
    ExpectAngle(made[0], 90);
}

TEST_F(FormationTest, StackBRisesFromTheFeet) {
    struct Case {
        int direction;
        int x;
        double vx, vy;
    };
    const double sK = 2 * K;
    const Case cases[] = {{2, 625, -2, 0}, {3, 672, 2, 0},    {6, 672, 0, -2},
                          {7, 672, 0, 2},  {9, 625, -sK, sK}, {10, 672, sK, -sK}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.direction);
        const std::vector<Made> made = Run(Shot(1, 2, 1), Along(c.direction));
        ASSERT_EQ(made.size(), 2u);
        EXPECT_EQ(made[0].x, c.x);
        EXPECT_EQ(made[0].y, 320 + 351 - 16 + 1);
        EXPECT_EQ(made[1].y, made[0].y - 32);
        EXPECT_NEAR(made[0].vx, c.vx, 1e-12);
        EXPECT_NEAR(made[0].vy, c.vy, 1e-12);
    }
}

TEST_F(FormationTest, FanSpreadsByItsAngle) {
    struct Case {
        int count;
        std::vector<double> angles;
    };
    const Case cases[] = {{3, {-30, 0, 30}}, {2, {-15, 15}}, {1, {0}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        const std::vector<Made> made = Run(Shot(2, c.count, 30), Along(2));
        ASSERT_EQ(made.size(), c.angles.size());
        for (std::size_t i = 0; i < made.size(); ++i) {
            EXPECT_EQ(made[i].x, 320 + 320 - 16 + 1);
            EXPECT_EQ(made[i].y, 320 + 16 + 320 - 8);
            ExpectAngle(made[i], c.angles[i]);
        }
    }
    // The points of the other directions.
    struct Point {
        int direction;
        int x, y;
    };
    const Point points[] = {{3, 672, 648}, {6, 648, 624},  {7, 648, 672}, {8, 631, 631},
                            {9, 631, 664}, {10, 664, 631}, {11, 664, 664}};
    for (const Point& p : points) {
        SCOPED_TRACE(p.direction);
        const std::vector<Made> made = Run(Shot(2, 1, 30), Along(p.direction));
        ASSERT_EQ(made.size(), 1u);
        EXPECT_EQ(made[0].x, p.x);
        EXPECT_EQ(made[0].y, p.y);
    }
}

TEST_F(FormationTest, BurstSpreadsEvenlyFromTheCentre) {
    const std::vector<Made> made = Run(Shot(4, 4), Along(2));
    ASSERT_EQ(made.size(), 4u);
    const double angles[] = {0, 90, 180, 270};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(made[i].x, 320 + 16 + 320 - 8);
        EXPECT_EQ(made[i].y, 320 + 16 + 320 - 8);
        ExpectAngle(made[i], angles[i]);
    }
}

TEST_F(FormationTest, SurroundNeedsItsReferenceAndClosesIn) {
    EXPECT_TRUE(Run(Shot(5, 4, 6), Along(2)).empty()) << "no target";
    firer->m_pTarget = &Player[0];  // screen (580, 320)
    std::vector<Made> made = Run(Shot(5, 4, 0), Along(2));
    ASSERT_EQ(made.size(), 4u);
    for (const Made& m : made) {
        EXPECT_EQ(m.x, 580 + 16 + 320 - 8);
        EXPECT_EQ(m.y, 320 + 16 + 320 - 8);
    }
    made = Run(Shot(5, 2, 2), Along(2));
    ASSERT_EQ(made.size(), 2u);
    // At 0° 32 dots right of the centre flying left (inward); at 180° 32 dots left.
    EXPECT_EQ(made[0].x, 908 + 32);
    EXPECT_EQ(made[1].x, 908 - 32 + 1);
    ExpectAngle(made[0], 0);
    ExpectAngle(made[1], 180);
}

TEST_F(FormationTest, ThunderComesInFromTheEdgeInRowsAndColumns) {
    // Reference: the firer itself. Two rows of two columns, spacing 1 hbl, column spacing 2.
    struct Case {
        const char* name;
        int spacingSetting;
        int direction;
        Made first;
        int rowX, rowY, colX, colY;
    };
    const Case cases[] = {
        {"right to left", 0, 2, {944, 632, -2, 0}, -32, 0, 0, 32},
        {"left to right", 0, 3, {320, 632, 2, 0}, 32, 0, 0, 32},
        {"bottom up", 0, 6, {632, 784, 0, -2}, 0, -32, 32, 0},
        {"top down", 0, 7, {632, 320, 0, 2}, 0, 32, 32, 0},
        {"edge to edge", 1, 2, {944, 632, -2, 0}, -16, 0, 0, 32},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EdSystem.bCompat555 = c.spacingSetting;
        cEdShot shot = Shot(3, 2, 1, 2, 2);
        shot.nAimAt = 2;
        const std::vector<Made> made = Run(shot, Along(c.direction));
        ASSERT_EQ(made.size(), 4u);
        // Rows, each with its columns: (0,0), (0,1), (1,0), (1,1). The first row's first
        // column is offset by half the spacing of the two columns (f = 16 + 16 = 32 − 0).
        EXPECT_EQ(made[0].x, c.first.x);
        EXPECT_EQ(made[0].y, c.first.y);
        EXPECT_EQ(made[1].x, c.first.x + c.colX);
        EXPECT_EQ(made[1].y, c.first.y + c.colY);
        EXPECT_EQ(made[2].x, c.first.x + c.rowX);
        EXPECT_EQ(made[2].y, c.first.y + c.rowY);
        EXPECT_NEAR(made[0].vx, c.first.vx, 1e-12);
        EXPECT_NEAR(made[0].vy, c.first.vy, 1e-12);
    }
    // Without a target, reference 0 makes nothing.
    cEdShot shot = Shot(3, 2, 1, 2, 2);
    shot.nAimAt = 0;
    EXPECT_TRUE(Run(shot, Along(2)).empty());
}

TEST_F(FormationTest, AimAngleLooksAtTheTarget) {
    SpawnInfo spawn = Along(2);
    cEdShot shot = Shot(0, 1);
    firer->m_bFacingRight = 1;
    EXPECT_EQ(AimAngle(600, 600, *firer, shot, spawn), 180);
    firer->m_bFacingRight = 0;
    EXPECT_EQ(AimAngle(600, 600, *firer, shot, spawn), 0);
    // The hero's sprite centre is at map (916, 656).
    firer->m_pTarget = &Player[0];
    EXPECT_EQ(AimAngle(800, 656, *firer, shot, spawn), 180) << "to the right";
    EXPECT_EQ(AimAngle(916, 800, *firer, shot, spawn), 90) << "above";
    // To the left the angle comes out as 360, which flies as 0.
    EXPECT_EQ(AimAngle(1000, 656, *firer, shot, spawn), 360) << "to the left";
}

TEST_F(FormationTest, AimAngleLeadsATargetThatScrollsAlong) {
    game->m_ScrollX.m_dAutoSpeed = 0.5;
    Player[0].m_bScrollSync = 1;
    firer->m_pTarget = &Player[0];
    cEdShot shot = Shot(0, 1);
    shot.nSpeed = 20;
    SpawnInfo spawn = Along(2);
    // The target straight to the right on screen; the aim is worked out as for a shot that
    // does not follow the scroll, at 0.2 dots per tick against a scroll of 0.5: the course
    // and the speed come from that velocity, (0.2 − 0.5, 0).
    const int angle = AimAngle(800, 656, *firer, shot, spawn);
    EXPECT_EQ(angle, 360);
    EXPECT_NEAR(spawn.dSpeed, 0.3 * kB, 1e-9);
    // A shot that follows the scroll aims plainly and keeps its speed.
    shot.bGuided = 1;
    spawn = Along(2);
    EXPECT_EQ(AimAngle(800, 656, *firer, shot, spawn), 180);
    EXPECT_EQ(spawn.dSpeed, 2.0);
}

TEST_F(FormationTest, TheDiagonalConstantIsTheComputedOne) {
    EXPECT_EQ(kFormationK, 1 / std::sqrt(2.0));
    EXPECT_NE(kFormationK, kSqrt2Half);
    EXPECT_EQ(std::nextafter(kFormationK, 1.0), kSqrt2Half) << "one bit apart";
}

}  // namespace

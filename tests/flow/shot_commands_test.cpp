// The attack and summon commands: the rhythm of volleys and swings with their sounds, the
// clone passes of a volley with their random draws, mirrored angles, the direction taken
// from the input held when the flow started, and what summons make or refuse.
#include "flow/shot_commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "base/random_range.h"
#include "base/window_requests.h"
#include "data/command_record.h"
#include "data/common_palette.h"
#include "flow/flow_instance.h"
#include "platform/random.h"
#include "stage/projectile_world.h"

namespace {

constexpr int kSound = 3;

class ShotCommandTest : public ProjectileWorld {
protected:
    void SetUp() override {
        ProjectileWorld::SetUp();
        firer = &Chara(5, 1, 640, 640, 0);
    }
    // A command of `type` carrying a shot record of one object flying forward.
    cEdCommand& Command(int type) {
        command.nCmdType = static_cast<std::int8_t>(type);
        command.nSound = kSound;
        command.bSoundOnScreen = 0;
        cEdShot::Create(command.spShot);
        cEdShot& shot = *command.spShot;
        shot.nCount = 1;
        shot.nSpeed = 10;
        shot.nBlockMode = 1;
        shot.bMirrorAngle = 0;
        cmd = cCommandInstance{};
        cmd.m_pCmd = &command;
        return command;
    }
    int DataSounds() const {
        int n = 0;
        for (auto [w, l] : Requests(WM_USER_PLAYSE)) n += w == kSound + kDataSeBase;
        return n;
    }
    // The angle a projectile flies at, in whole degrees 0..359.
    static int FlightAngle(const cProjectile& p) {
        const double a = std::atan2(-p.m_dOwnVY, -p.m_dOwnVX) * 180 / kPi;
        return static_cast<int>(std::lround(a < 0 ? a + 360 : a)) % 360;
    }

    cEdCommand command;
    cCommandInstance cmd;
    cCharaActor* firer = nullptr;
};

TEST_F(ShotCommandTest, ThreeTenthsOfShootingFireThreeVolleysAndOneSword) {
    Command(kCmdShot);
    std::vector<int> fired;
    for (int tick = 0; tick < 18 * kB; ++tick) {
        const std::size_t before = game->m_listProjectile.Size();
        CmdShot(*firer, cmd);
        if (game->m_listProjectile.Size() > before) fired.push_back(tick);
    }
    EXPECT_EQ(fired, (std::vector<int>{0, 6 * kB, 12 * kB}));
    EXPECT_EQ(DataSounds(), 3);

    game->m_listProjectile.Clear();
    SentMessages().clear();
    SwordType(3);
    Command(kCmdSword).spShot->nHomingKind = 1;
    for (int tick = 0; tick < 18 * kB; ++tick) CmdSword(*firer, cmd);
    ASSERT_EQ(game->m_listProjectile.Size(), 1u);
    EXPECT_EQ(game->m_listProjectile.begin()->m_bIsShot, 0);
    EXPECT_EQ(game->m_listProjectile.begin()->m_pTarget, nullptr);
    EXPECT_EQ(DataSounds(), 1);
}

TEST_F(ShotCommandTest, AnOnScreenSoundIsNotHeardOffScreen) {
    Command(kCmdShot).bSoundOnScreen = 1;
    firer->m_bOnScreen = 0;
    CmdShot(*firer, cmd);
    EXPECT_EQ(DataSounds(), 0);
    EXPECT_EQ(game->m_listProjectile.Size(), 1u);
}

TEST_F(ShotCommandTest, ClonePassesGrowSpeedAndAngleAndDrawOnceMore) {
    cEdShot& shot = *Command(kCmdShot).spShot;
    shot.nClonesPerCount = 2;
    shot.nSpeedInc = 10;
    shot.nAngleOffset = 10;
    shot.nAngleOffsetInc = 5;
    FireShot(game->m_listProjectile, *firer, cmd, shot);
    ASSERT_EQ(game->m_listProjectile.Size(), 3u);
    int i = 0;
    for (const cProjectile& p : game->m_listProjectile) {
        SCOPED_TRACE(i);
        EXPECT_EQ(p.m_nCloneValue, i);
        EXPECT_NEAR(std::hypot(p.m_dOwnVX, p.m_dOwnVY) * kB, 1.0 + i, 1e-12);
        EXPECT_EQ(FlightAngle(p), 10 + 5 * i);  // facing left: direction 2 is 0°
        ++i;
    }

    // With a spread, each pass takes one draw and the last values one more: four draws.
    game->m_listProjectile.Clear();
    shot.nSpread = 5;
    plat::srand(1234);
    std::vector<int> draws;
    for (int d = 0; d < 4; ++d) draws.push_back(RandomRange(-5, 5));
    const unsigned after = plat::RandState();
    plat::srand(1234);
    FireShot(game->m_listProjectile, *firer, cmd, shot);
    EXPECT_EQ(plat::RandState(), after);
    i = 0;
    for (const cProjectile& p : game->m_listProjectile) {
        EXPECT_EQ(FlightAngle(p), 10 + 5 * i + draws[i]) << i;
        ++i;
    }
}

TEST_F(ShotCommandTest, MirroredAngleFollowsTheFacing) {
    cEdShot& shot = *Command(kCmdShot).spShot;
    shot.nAngleOffset = 30;
    shot.bMirrorAngle = 1;
    struct Case {
        int facing;
        int angle;  // direction angle + the angle
    };
    // Facing right: forward is 180° and 30° becomes 330°; facing left: 0° + 30°.
    const Case cases[] = {{1, (180 + 330) % 360}, {0, 30}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.facing);
        firer->m_bFacingRight = c.facing;
        FireShot(game->m_listProjectile, *firer, cmd, shot);
        ASSERT_EQ(game->m_listProjectile.Size(), 1u);
        EXPECT_EQ(FlightAngle(*game->m_listProjectile.begin()), c.angle);
        game->m_listProjectile.Clear();
    }
}

TEST_F(ShotCommandTest, DirectionChoicesFollowFacingAndTheFlowsInput) {
    struct Case {
        int choice;
        int facing;
        int input;  // the input held when the flow started
        int direction;
    };
    const Case cases[] = {
        {0, 1, 0, 3}, {0, 0, 0, 2},  {1, 1, 0, 2},  {4, 1, 0, 7},  {4, 0, 0, 6},  {5, 1, 0, 6},
        {9, 1, 0, 9}, {12, 1, 4, 7}, {12, 0, 5, 8}, {12, 1, 0, 3}, {12, 0, 0, 2},
    };
    FlowInstance flow;
    game->m_pCurFlow = &flow;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << c.choice << " facing " << c.facing << " input " << c.input);
        firer->m_bFacingRight = c.facing;
        flow.m_nInputDir = c.input;
        EXPECT_EQ(ShotDirection(c.choice, *firer), c.direction);
    }
    game->m_pCurFlow = nullptr;
    firer->m_bFacingRight = 1;
    EXPECT_EQ(ShotDirection(12, *firer), 3) << "no flow: forward";
}

TEST_F(ShotCommandTest, SummonsMakeOnlyWhatTheyMay) {
    EdStageWork.vecCharaPalette.Clear();
    EdStageWork.vecCharaPalette.resize(3);
    EdStageWork.vecCharaPalette[1].nControl = 0;  // the player's
    EdStageWork.vecCharaPalette[2].nControl = 1;
    struct Case {
        const char* name;
        int index;
        int made;
    };
    const Case cases[] = {
        {"player-operated", 1, 0},
        {"out of the palette", 3, 0},
        {"negative", -1, 0},
        {"computer", 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        cEdShot& shot = *Command(kCmdSummonChara).spShot;
        shot.nSummonPalette = 1;
        shot.nSummonIndex = static_cast<std::int16_t>(c.index);
        shot.bLifeLimit = 1;
        shot.nLife = 4;
        const std::size_t before = CharaList.Size();
        CmdSummonChara(*firer, cmd);
        EXPECT_EQ(CharaList.Size() - before, static_cast<std::size_t>(c.made));
        EXPECT_EQ(PendingCloses(), 0);
        if (c.made) {
            const cCharaActor& summoned = *std::prev(CharaList.end());
            EXPECT_EQ(summoned.m_nLifeFrames, kB * 6 * 4);
        }
    }
}

TEST_F(ShotCommandTest, AToggleTurnsACellCoveredTwiceOnceAFiring) {
    EdStageWork.vecBlockPalette.Clear();
    EdStageWork.vecBlockPalette.resize(2);
    EdStageWork.vecBlockPalette[1].nGraphic = 7;
    EdStageWork.vecBlockPalette[1].nHitType = kHitSolid;
    cEdShot& shot = *Command(kCmdSummonBlock).spShot;
    shot.nSummonPalette = 1;
    shot.nSummonIndex = 1;
    shot.nBlockSummonMode = 2;
    shot.nFormation = 2;  // a fan: both blocks at one point
    shot.nCount = 2;
    // Forward (left) of the firer at map (640, 640): the cell of column 19, row 20.
    const int cell = BlockMap.CellIndex(19, 20);
    CmdSummonBlock(*firer, cmd);
    EXPECT_EQ(BlockMap.Cell(cell).nGraphic, 7) << "on, not on and off again";
    for (int t = 1; t < 6 * kB; ++t) CmdSummonBlock(*firer, cmd);
    EXPECT_EQ(BlockMap.Cell(cell).nGraphic, 7) << "nothing between firings";
    CmdSummonBlock(*firer, cmd);
    EXPECT_EQ(BlockMap.Cell(cell).nGraphic, 0) << "the next firing takes it away";
}

}  // namespace

// 消滅: characters of a group vanish (a player's actor loses its HP instead) on screen or
// everywhere, and shots of a group are destroyed safely while their lists are walked.
#include "flow/vanish_command.h"

#include <gtest/gtest.h>

#include <vector>

#include "command_world.h"
#include "stage/projectile.h"

namespace {

using namespace cmdtest;

cEdCommand Vanish(int kind, int group, int everywhere) {
    return Cmd(kVanish, {kind, group, everywhere});
}

class VanishTest : public CommandWorld {
protected:
    void SetUp() override {
        CommandWorld::SetUp();
        self_ = &AddChara(1, 100, 100);
        onScreen_ = &AddChara(2, 200, 100);
        offScreen_ = &AddChara(2, 900, 100);
        offScreen_->m_bOnScreen = 0;
        absent_ = &AddChara(2, 300, 100);
        absent_->m_bPresent = 0;
    }
    // A shot of shot group `group`, on screen or not.
    cProjectile& AddShot(int group, int onScreen) {
        cProjectile& shot = lpGame->m_listProjectile.Add();
        shot.m_nGroup = group;
        shot.m_bPresent = 1;
        shot.m_bOnScreen = onScreen;
        shot.m_Shot.nSide = static_cast<decltype(shot.m_Shot.nSide)>(group);
        lpGame->AddProjectile(shot);
        return shot;
    }

    cCharaActor* self_ = nullptr;
    cCharaActor* onScreen_ = nullptr;
    cCharaActor* offScreen_ = nullptr;
    cCharaActor* absent_ = nullptr;
};

TEST_F(VanishTest, CharactersOnScreenOrEverywhere) {
    CmdVanish(*self_, Vanish(kVanishCharas, 2, 0));
    EXPECT_EQ(onScreen_->m_bVanish, 1);
    EXPECT_EQ(offScreen_->m_bVanish, 0);
    EXPECT_EQ(absent_->m_bVanish, 0);
    EXPECT_EQ(lpGame->m_bCodeKill, 1);

    CmdVanish(*self_, Vanish(kVanishCharas, 2, 1));
    EXPECT_EQ(offScreen_->m_bVanish, 1);
    EXPECT_EQ(absent_->m_bVanish, 0) << "only present characters vanish";
}

TEST_F(VanishTest, OwnGroupVanishesWithoutACodeKillForItself) {
    CmdVanish(*self_, Vanish(kVanishCharas, 1, 1));
    EXPECT_EQ(self_->m_bVanish, 1);
    EXPECT_EQ(lpGame->m_bCodeKill, 0);
}

TEST_F(VanishTest, TheHerosGroupKillsTheHeroThroughTheCodeKill) {
    CmdVanish(*self_, Vanish(kVanishCharas, 0, 1));
    EXPECT_EQ(Hero().m_nHp, 0);
    EXPECT_EQ(Hero().m_bVanish, 0);
    EXPECT_EQ(lpGame->m_bCodeKill, 1);
    // The play frame's sweep after the pass then loses the hero.
    EXPECT_EQ(lpGame->SweepDeadActors(), 1);
}

TEST_F(VanishTest, ShotsOfTheGroupAreDestroyed) {
    cProjectile& kept = AddShot(3, 1);
    const ObjectId keptId = kept.Id();
    AddShot(2, 1);
    const ObjectId offId = AddShot(2, 0).Id();
    AddShot(2, 1);
    CmdVanish(*self_, Vanish(kVanishShots, 2, 0));
    // The two on screen went from both lists; the one off screen and the other group's stay.
    ASSERT_EQ(lpGame->m_vecShotGroupList[2].size(), 1u);
    EXPECT_EQ((*lpGame->m_vecShotGroupList[2].begin())->Id(), offId);
    EXPECT_EQ(lpGame->m_listProjectile.Size(), 2u);
    EXPECT_NE(lpGame->m_listProjectile.Find(keptId), nullptr);

    CmdVanish(*self_, Vanish(kVanishShots, 2, 1));
    EXPECT_TRUE(lpGame->m_vecShotGroupList[2].empty());
    EXPECT_EQ(lpGame->m_listProjectile.Size(), 1u);
    EXPECT_EQ(lpGame->m_bCodeKill, 0);
}

TEST_F(VanishTest, OtherKindsAndGroupsOfNoListDoNothing) {
    AddShot(2, 1);
    AddShot(0, 1);
    CmdVanish(*self_, Vanish(2, 2, 1));
    EXPECT_EQ(onScreen_->m_bVanish, 0);
    EXPECT_EQ(lpGame->m_listProjectile.Size(), 2u);
    // A damaged group is reported; the stand-by list, the hero's group, stays untouched.
    for (int group : {8, -1}) {
        CmdVanish(*self_, Vanish(kVanishCharas, group, 1));
        CmdVanish(*self_, Vanish(kVanishShots, group, 1));
    }
    EXPECT_EQ(Hero().m_nHp, 10);
    EXPECT_EQ(lpGame->m_listProjectile.Size(), 2u);
    EXPECT_EQ(lpGame->m_bCodeKill, 0);
}

}  // namespace

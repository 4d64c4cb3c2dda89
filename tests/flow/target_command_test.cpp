// ターゲットの設定: the hero, the actor itself, the nearest character (on screen first, ties to
// the earlier, one group or all), the first character that passes the filters; keeping or
// clearing the target when nobody is found; and the list of the actors that target one,
// which holds each once and lets go of actors that are gone.
#include "flow/target_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <utility>

#include "command_world.h"

namespace {

using namespace cmdtest;

constexpr int kParams = 15;

// ターゲットの設定 with the given parameters, every other one 0.
cEdCommand Target(std::initializer_list<std::pair<int, std::int32_t>> params) {
    cEdCommand cmd = Cmd(kSetTarget, {}, kParams);
    for (const auto& [i, v] : params) cmd.vecParam[i] = v;
    return cmd;
}

int Count(const cActorBase& target, const cActorBase* actor) {
    return static_cast<int>(
        std::count(target.m_vecTargetedBy.begin(), target.m_vecTargetedBy.end(), actor));
}

// The actor in group 1 at view (100, 100); in group 2, by list order: `onFar` on screen at
// 300, `offNear` off screen at 150, `onMid` on screen at 200; in group 3 `other3` at 120.
class SetTarget : public CommandWorld {
protected:
    void SetUp() override {
        CommandWorld::SetUp();
        self_ = &AddChara(1, 100, 100);
        onFar_ = &AddChara(2, 300, 100);
        offNear_ = &AddChara(2, 150, 100);
        offNear_->m_bOnScreen = 0;
        onMid_ = &AddChara(2, 200, 100);
        other3_ = &AddChara(3, 120, 100);
        Hero().m_rcScreen = {0, 0, 31, 31};
    }
    void TearDown() override {
        for (cCharaActor& c : CharaList) c.ReleaseTargets();
        Hero().ReleaseTargets();
        CommandWorld::TearDown();
    }
    cActorBase* Run(const cEdCommand& cmd) {
        CmdSetTarget(*self_, cmd);
        return self_->m_pTarget;
    }

    cCharaActor* self_ = nullptr;
    cCharaActor* onFar_ = nullptr;
    cCharaActor* offNear_ = nullptr;
    cCharaActor* onMid_ = nullptr;
    cCharaActor* other3_ = nullptr;
};

TEST_F(SetTarget, WhomAndRange) {
    struct Case {
        cEdCommand cmd;
        cActorBase* expected;
        const char* what;
    };
    const Case cases[] = {
        {Target({{0, kTargetHero}}), &Hero(), "the hero"},
        {Target({{0, kTargetSelf}}), self_, "itself"},
        {Target({{0, kTargetNearest}, {1, 2}, {3, 0}}), onMid_, "range 0 prefers the screen"},
        {Target({{0, kTargetNearest}, {1, 2}, {3, 1}}), offNear_, "range 1 takes the nearest"},
        {Target({{0, kTargetNearest}, {1, 2}, {3, 2}}), onMid_, "range 2 only the screen"},
        {Target({{0, kTargetNearest}, {2, 1}, {3, 1}}), self_, "every group, itself nearest"},
        {Target({{0, kTargetNearest}, {2, 1}, {3, 1}, {4, 1}}), other3_, "every group but self"},
        {Target({{0, kTargetNearest}, {1, 2}, {3, 3}}), nullptr, "an unknown range"},
        {Target({{0, kTargetByFilter}, {1, 2}}), onFar_, "the first of the group"},
        {Target({{0, kTargetByFilter}, {2, 1}}), &Hero(), "the first of the first group"},
        {Target({{0, kTargetByFilter}, {1, 1}}), self_, "its own group"},
        {Target({{0, kTargetByFilter}, {1, 1}, {4, 1}}), nullptr, "its own group but self"},
        {Target({{0, 4}}), nullptr, "an unknown whom"},
        {Target({{0, kTargetNearest}, {1, 8}, {3, 1}}), nullptr, "a group of no list"},
        {Target({{0, kTargetByFilter}, {1, -1}}), nullptr, "... by the filters"},
    };
    for (const Case& c : cases) {
        self_->ReleaseTargets();
        EXPECT_EQ(Run(c.cmd), c.expected) << c.what;
    }
}

TEST_F(SetTarget, EqualDistancesGoToTheEarlierInTheList) {
    cCharaActor& twin = AddChara(2, 0, 100);  // 100 dots to the left: as far as onMid
    EXPECT_EQ(Run(Target({{0, kTargetNearest}, {1, 2}, {3, 2}})), onMid_);
    // Made the earlier one by the list's order, it wins the tie.
    auto& list = lpGame->m_vecGroupList[2];
    list.EraseValue(&twin);
    list.push_front(&twin);
    EXPECT_EQ(Run(Target({{0, kTargetNearest}, {1, 2}, {3, 2}})), &twin);
}

TEST_F(SetTarget, Filters) {
    onMid_->m_Chara.nCharaId = 7;
    onFar_->m_Chara.nShotCollision = 1;
    offNear_->m_Chara.nShotCollision = 2;
    onMid_->m_Chara.b32Mode = 1;
    onFar_->m_vecVar[3] = 12;
    offNear_->m_vecVar[3] = 1;
    onMid_->m_vecVar[3] = 1;
    struct Case {
        cEdCommand cmd;
        cActorBase* expected;
        const char* what;
    };
    const Case cases[] = {
        {Target({{0, kTargetByFilter}, {1, 2}, {8, 1}, {9, 7}}), onMid_, "by character ID"},
        {Target({{0, kTargetByFilter}, {1, 2}, {5, 1}}), offNear_, "not invincible 1"},
        {Target({{0, kTargetNearest}, {1, 2}, {3, 1}, {6, 1}}), onMid_, "not invincible 2"},
        {Target({{0, kTargetNearest}, {1, 2}, {3, 2}, {7, 1}}), onFar_, "no block characters"},
        {Target({{0, kTargetByFilter}, {1, 2}, {10, 1}, {11, 3}, {12, 5}, {13, 2}}), onFar_,
         "variable 3 at least 5"},
        {Target({{0, kTargetByFilter}, {1, 2}, {10, 1}, {11, 3}, {12, 4}, {13, 6}}), onFar_,
         "variable 3 a multiple of 4"},
        {Target({{0, kTargetByFilter}, {1, 2}, {10, 1}, {11, 3}, {12, 5}, {13, 6}}), nullptr,
         "variable 3 a multiple of 5: nobody"},
        {Target({{0, kTargetByFilter}, {1, 2}, {8, 1}, {9, 99}}), nullptr, "an ID nobody has"},
    };
    for (const Case& c : cases) {
        self_->ReleaseTargets();
        EXPECT_EQ(Run(c.cmd), c.expected) << c.what;
    }
    // Dying characters are passed over, by either search.
    onFar_->m_bDying = 1;
    self_->ReleaseTargets();
    EXPECT_EQ(Run(Target({{0, kTargetByFilter}, {1, 2}})), offNear_);
}

TEST_F(SetTarget, NobodyFoundClearsOrKeepsTheTarget) {
    const cEdCommand none = Target({{0, kTargetByFilter}, {1, 2}, {8, 1}, {9, 99}});
    Run(Target({{0, kTargetHero}}));
    cEdCommand keep = none;
    keep.vecParam[14] = 1;
    EXPECT_EQ(Run(keep), &Hero());
    EXPECT_EQ(Count(Hero(), self_), 1);
    cEdCommand other = none;
    other.vecParam[14] = 2;
    EXPECT_EQ(Run(other), &Hero()) << "an unknown choice changes nothing";
    EXPECT_EQ(Run(none), nullptr);
    EXPECT_EQ(Count(Hero(), self_), 0);
    // Keep, but somebody found: the new one.
    keep.vecParam[9] = 0;
    keep.vecParam[8] = 0;
    EXPECT_EQ(Run(keep), onFar_);
}

TEST_F(SetTarget, ATargetListsItsActorOnceAndForgetsItOnARetarget) {
    for (int i = 0; i < 3; ++i) Run(Target({{0, kTargetHero}}));
    EXPECT_EQ(Count(Hero(), self_), 1);
    Run(Target({{0, kTargetSelf}}));
    Run(Target({{0, kTargetSelf}}));
    EXPECT_EQ(Count(Hero(), self_), 0);
    EXPECT_EQ(Count(*self_, self_), 1);
    Run(Target({{0, kTargetByFilter}, {1, 2}}));
    EXPECT_EQ(Count(*self_, self_), 0);
    EXPECT_EQ(Count(*onFar_, self_), 1);
}

// Actors go while others point at them: a target, an actor that targets one, an actor that
// targets itself. No pointer to a freed actor is left (ASan reads every one of them here).
TEST_F(SetTarget, ActorsThatGoLeaveNoPointerBehind) {
    auto target = std::make_unique<cCharaActor>();
    auto targeting = std::make_unique<cCharaActor>();
    auto selfish = std::make_unique<cCharaActor>();
    for (cCharaActor* a : {target.get(), targeting.get(), selfish.get()}) Prepare(*a, 1, 4);
    lpGame->m_vecGroupList[4].push_back(target.get());

    CmdSetTarget(*self_, Target({{0, kTargetByFilter}, {1, 4}}));
    CmdSetTarget(*targeting, Target({{0, kTargetByFilter}, {1, 4}}));
    CmdSetTarget(*target, Target({{0, kTargetByFilter}, {1, 1}}));  // targets self_
    CmdSetTarget(*selfish, Target({{0, kTargetSelf}}));
    ASSERT_EQ(self_->m_pTarget, target.get());
    ASSERT_EQ(Count(*self_, target.get()), 1);

    lpGame->m_vecGroupList[4].EraseValue(target.get());
    target.reset();
    EXPECT_EQ(self_->m_pTarget, nullptr);
    EXPECT_EQ(targeting->m_pTarget, nullptr);
    EXPECT_TRUE(self_->m_vecTargetedBy.empty());

    CmdSetTarget(*targeting, Target({{0, kTargetByFilter}, {1, 1}}));
    EXPECT_EQ(Count(*self_, targeting.get()), 1);
    targeting.reset();
    EXPECT_TRUE(self_->m_vecTargetedBy.empty());
    selfish.reset();
    // Every list still readable.
    for (cCharaActor& c : CharaList)
        for (cActorBase* a : c.m_vecTargetedBy) EXPECT_NE(a, nullptr);
}

}  // namespace

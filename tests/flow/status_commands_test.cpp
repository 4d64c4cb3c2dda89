// The status commands: the shared operation at its three widths, then ステータスの操作 over the
// statuses, the system and the variables, and ステータスの操作2 over the flags.
#include "flow/status_commands.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <utility>

#include "data/command_record.h"
#include "data/stage_record.h"
#include "flow/status_tables.h"
#include "platform/random.h"
#include "scene/game_progress.h"
#include "stage/actor.h"
#include "stage/actor_geometry.h"
#include "stage/engine_globals.h"
#include "stage/game_scene.h"
#include "stage/stage_objects.h"

namespace {

TEST(ApplyStatusOp, OneTableOverTheThreeWidths) {
    struct Case {
        int width;
        std::int32_t value, operand;
        int op;
        std::int32_t lo, hi, expected;
    };
    const Case cases[] = {
        {8, 90, 50, kOpPlus, 0, 99, 0},  // 140 wraps to -116, held to 0
        {32, 500000, 5000, kOpTimes, -999999, 999999, 999999},
        {32, -500000, 5000, kOpTimes, -999999, 999999, -999999},
        {32, 65536, 65536, kOpTimes, INT_MIN, INT_MAX, INT_MAX},
        {32, -65536, 65536, kOpTimes, INT_MIN, INT_MAX, INT_MIN},
        {32, -65536, -65536, kOpTimes, INT_MIN, INT_MAX, INT_MAX},
        {32, 0, -65536, kOpTimes, INT_MIN, INT_MAX, 0},
        {8, 16, 16, kOpTimes, -128, 127, 127},
        {8, -16, 16, kOpTimes, -128, 127, -128},
        {16, 300, 300, kOpTimes, -32768, 32767, 32767},
        {16, 300, -300, kOpTimes, -32768, 32767, -32768},
        {16, 100, 300, kOpTimes, -32768, 32767, 30000},
        {32, 77, 0, kOpDivide, -999999, 999999, 77},
        {32, 77, 0, kOpRemainder, -999999, 999999, 77},
        {8, 77, 256, kOpDivide, 0, 99, 77},  // the operand is the byte 0
        {32, -7, 2, kOpDivide, -999999, 999999, -3},
        {32, -7, 2, kOpRemainder, -999999, 999999, -1},
        {32, INT_MIN, -1, kOpDivide, INT_MIN, INT_MAX, INT_MAX},
        {32, INT_MIN, -1, kOpRemainder, INT_MIN, INT_MAX, 0},
        {32, 3, 150, kOpPercent, -999999, 999999, 5},
        {32, -3, 150, kOpPercent, -999999, 999999, -5},
        {8, 3, 150, kOpPercent, -20, 20, -3},  // 150 is the byte -106: -3.18
        {16, -3, 150, kOpPercent, 0, 200, 0},
        {8, 0, 300, kOpSet, 0, 99, 44},  // 300 is the byte 44
        {16, 0, 70000, kOpSet, 0, 119, 119},
        {16, 30000, 30000, kOpPlus, -32768, 32767, -5536},
        {32, INT_MAX, 1, kOpPlus, INT_MIN, INT_MAX, INT_MIN},
        {32, 5, 9, kOpMinus, -999999, 999999, -4},
        {32, 150, 9, 9, 0, 100, 100},  // an unknown operation only clamps
    };
    for (const Case& c : cases) {
        std::int32_t got = 0;
        if (c.width == 8) {
            auto v = static_cast<std::int8_t>(c.value);
            ApplyStatusOp8(v, c.operand, c.op, c.lo, c.hi);
            got = v;
        } else if (c.width == 16) {
            auto v = static_cast<std::int16_t>(c.value);
            ApplyStatusOp16(v, c.operand, c.op, c.lo, c.hi);
            got = v;
        } else {
            std::int32_t v = c.value;
            ApplyStatusOp(v, c.operand, c.op, c.lo, c.hi);
            got = v;
        }
        EXPECT_EQ(got, c.expected)
            << c.width << " bits: " << c.value << " op " << c.op << " " << c.operand;
    }
}

class StatusCommands : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        Player.Clear();
        EdStageWork.SetGameSpeed(10);
        Progress.m_nLives = 3;
        Progress.m_nScore = 1200;
        scene_ = std::make_unique<cGameScene>();
        lpGame = scene_.get();
        scene_->m_nTime = 120;
        for (cCharaActor* a : {&self, &other}) {
            a->m_nOperator = 1;
            a->m_vecVar.resize(kCharaVarCount, 0);
            a->m_Chara.nMaxHp = 100;
            a->m_Chara.nMaxSp = 40;
            a->m_nHp = 50;
            a->m_nSp = 10;
        }
        self.m_Chara.nCharaId = 90;
    }
    void TearDown() override {
        self.ReleaseTargets();
        Player.Clear();
        scene_.reset();
        ResetEngineGlobals();
    }

    void TargetOther() {
        self.m_pTarget = &other;
        other.m_vecTargetedBy.push_back(&self);
    }

    // ステータスの操作 with every parameter 0 but those given.
    static cEdCommand Status(std::initializer_list<std::pair<int, std::int32_t>> params) {
        cEdCommand cmd;
        cmd.nCmdType = 22;
        cmd.vecParam = CheckedVector<std::int32_t>(18, 0);
        for (const auto& [index, value] : params) cmd.vecParam[index] = value;
        return cmd;
    }
    // A status of whose (0 self, 1 target, 2 system) by the operation with a constant.
    static cEdCommand Change(int whose, int status, int op, std::int32_t constant) {
        return Status({{3, whose}, {4, status}, {5, op}, {7, constant}});
    }
    static cEdCommand Flag(int whose, int flag, std::int32_t value) {
        cEdCommand cmd;
        cmd.nCmdType = 23;
        cmd.vecParam = {whose, flag, value};
        return cmd;
    }

    std::unique_ptr<cGameScene> scene_;
    cCharaActor self;
    cCharaActor other;
};

TEST_F(StatusCommands, EachStatusAtItsWidthAndRange) {
    struct Case {
        int status, op;
        std::int32_t constant, expected;
    };
    const Case cases[] = {
        {kStatusCharaId, kOpPlus, 50, 0},  // 140 wraps to -116 at 8 bits
        {kStatusZ, kOpSet, 9, 7},
        {kStatusMark, kOpSet, 70000, 119},
        {kStatusBodyPower, kOpTimes, 5000, 999999},
        {kStatusBodyImpact, kOpSet, -50, -20},
        {kStatusDefense, kOpMinus, 5, 0},
        {kStatusImpactResist, kOpSet, 300, 20},  // the byte 44, held to 20
        {kStatusScore, kOpSet, -2000000, -999999},
    };
    self.m_Chara.nBodyPower = 500000;
    for (const Case& c : cases) {
        CmdStatus(self, Change(0, c.status, c.op, c.constant));
        std::int32_t value = 0;
        ASSERT_TRUE(ReadCharaStatus(self, c.status, 0, value));
        EXPECT_EQ(value, c.expected) << kCharaStatusTable[c.status].pszLabel;
    }
    // A character variable by its number, in percent of its value.
    self.m_vecVar[4] = -3;
    cEdCommand percent = Change(0, kStatusCharaVar, kOpSet, 150);
    percent.vecParam[2] = 4;
    percent.vecParam[14] = 1;
    CmdStatus(self, percent);
    EXPECT_EQ(self.m_vecVar[4], -5);
}

TEST_F(StatusCommands, HpAndSpByTheirThreeCalculations) {
    struct Case {
        int calc;
        std::int32_t constant, expectedHp;
    };
    for (const Case& c : {Case{0, 30, 30}, Case{1, 20, 20}, Case{2, 50, 25}, Case{7, 30, 50}}) {
        self.m_nHp = 50;
        cEdCommand cmd = Change(0, kStatusHp, kOpSet, c.constant);
        cmd.vecParam[15] = c.calc;
        CmdStatus(self, cmd);
        EXPECT_EQ(self.m_nHp, c.expectedHp) << "calculation " << c.calc;
    }
    // HP is held to its maximum; the gauge shows only when asked.
    CmdStatus(self, Change(0, kStatusHp, kOpPlus, 500));
    EXPECT_EQ(self.m_nHp, 100);
    EXPECT_EQ(self.m_HpGauge.nFrames, 0);
    cEdCommand gauge = Change(0, kStatusSp, kOpPlus, 5);
    gauge.vecParam[16] = 1;
    CmdStatus(self, gauge);
    EXPECT_EQ(self.m_nSp, 15);
    EXPECT_NE(self.m_SpGauge.nFrames, 0);
    CmdStatus(self, Change(0, kStatusSp, kOpTimes, 1000));
    EXPECT_EQ(self.m_nSp, 40);

    // A lowered maximum lowers HP.
    CmdStatus(self, Change(0, kStatusMaxHp, kOpSet, 60));
    EXPECT_EQ(self.m_Chara.nMaxHp, 60);
    EXPECT_EQ(self.m_nHp, 60);
    cEdCommand half = Change(0, kStatusMaxSp, kOpSet, 50);
    half.vecParam[14] = 1;
    CmdStatus(self, half);
    EXPECT_EQ(self.m_Chara.nMaxSp, 20);
    EXPECT_EQ(self.m_nSp, 20);
}

TEST_F(StatusCommands, SightStopInvincibilityAndTargets) {
    // Sight only for a player's actor.
    CmdStatus(self, Change(0, kStatusSight, kOpSet, 6));
    EXPECT_EQ(self.m_Chara.nSight, 0);
    self.m_nOperator = 0;
    CmdStatus(self, Change(0, kStatusSight, kOpSet, 60));
    EXPECT_EQ(self.m_Chara.nSight, 40);
    EXPECT_EQ(self.m_nSight, HblToDots(40));

    // The stop tendency brings its deceleration along.
    CmdStatus(self, Change(0, kStatusStopping, kOpSet, 80));
    EXPECT_EQ(self.m_Chara.nStopping, 80);
    EXPECT_EQ(self.m_dStopDecel, SpeedFromHundredths(80));

    // Parameter 17 spares an invincible actor.
    cEdCommand spare = Change(0, kStatusHp, kOpSet, 1);
    spare.vecParam[17] = 1;
    self.m_Chara.nShotCollision = 1;
    CmdStatus(self, spare);
    EXPECT_EQ(self.m_nHp, 50);
    self.m_Chara.nShotCollision = 0;
    CmdStatus(self, spare);
    EXPECT_EQ(self.m_nHp, 1);

    // A missing target does nothing, also as a value source.
    CmdStatus(self, Change(1, kStatusHp, kOpSet, 0));
    EXPECT_EQ(other.m_nHp, 50);
    CmdStatus(self, Status({{3, 0}, {4, kStatusHp}, {6, kOperandStatus}, {12, 1}, {13, 1}}));
    EXPECT_EQ(self.m_nHp, 1);

    // The target at 0 HP is a code kill; the actor itself is not.
    CmdStatus(self, Change(0, kStatusHp, kOpSet, 0));
    EXPECT_EQ(scene_->m_bCodeKill, 0);
    TargetOther();
    CmdStatus(self, Change(1, kStatusHp, kOpMinus, 10));
    EXPECT_EQ(other.m_nHp, 40);
    EXPECT_EQ(scene_->m_bCodeKill, 0);
    CmdStatus(self, Change(1, kStatusMaxHp, kOpSet, 0));
    EXPECT_EQ(other.m_nHp, 0);
    EXPECT_EQ(scene_->m_bCodeKill, 1);
}

TEST_F(StatusCommands, SystemStatusesAndVariables) {
    CmdStatus(self, Change(2, kSysStatusTime, kOpPlus, 2000));
    EXPECT_EQ(scene_->m_nTime, 999);
    CmdStatus(self, Change(2, kSysStatusScore, kOpPlus, 5));
    EXPECT_EQ(Progress.m_nScore, 1205);
    CmdStatus(self, Change(2, kSysStatusLives, kOpPlus, 500));
    EXPECT_EQ(Progress.m_nLives, 99);
    Progress.m_nLives = kUnlimitedLives;
    CmdStatus(self, Change(2, kSysStatusLives, kOpSet, 3));
    EXPECT_EQ(Progress.m_nLives, kUnlimitedLives);

    // Scroll speeds are set again on their axis.
    EdStageWork.nScrollKindY = 1;
    CmdStatus(self, Change(2, kSysStatusScrollY, kOpSet, -900));
    EXPECT_EQ(EdStageWork.nAutoScrollY, -480);
    EXPECT_EQ(scene_->m_ScrollY.m_bAuto, 1);
    EXPECT_LT(scene_->m_ScrollY.m_dAutoSpeed, 0);

    // Common and stage variables, with percent.
    Progress.m_vecVariable[5] = 10;
    CmdStatus(self, Status({{0, 1}, {1, 0}, {2, 5}, {5, kOpTimes}, {7, 200000}}));
    EXPECT_EQ(Progress.m_vecVariable[5], 999999);
    scene_->m_vecStageVar[7] = 40;
    CmdStatus(self, Status({{0, 1}, {1, 1}, {2, 7}, {5, kOpPlus}, {7, 50}, {14, 1}}));
    EXPECT_EQ(scene_->m_vecStageVar[7], 60);
    // Another scope is nothing.
    CmdStatus(self, Status({{0, 1}, {1, 2}, {2, 7}, {5, kOpSet}, {7, 1}}));
    EXPECT_EQ(scene_->m_vecStageVar[7], 60);
}

TEST_F(StatusCommands, ARandomOperandDrawsExactlyOneNumber) {
    const cEdCommand cmd =
        Status({{0, 1}, {2, 1}, {5, kOpSet}, {6, kOperandRandom}, {8, 10}, {9, 1}});
    plat::srand(11);
    CmdStatus(self, cmd);
    const int next = plat::rand();
    EXPECT_GE(Progress.m_vecVariable[1], 1);
    EXPECT_LE(Progress.m_vecVariable[1], 10);
    plat::srand(11);
    plat::rand();
    EXPECT_EQ(plat::rand(), next);
}

TEST_F(StatusCommands, FlagsOfActorsAndOfTheSystem) {
    CmdStatus2(self, Flag(0, kFlagTransparent, 1));
    EXPECT_EQ(self.m_Chara.bTransparent, 1);
    CmdStatus2(self, Flag(0, kFlagFixedFacing, 0));
    EXPECT_EQ(self.m_Chara.bFixedFacing, 0);
    CmdStatus2(self, Flag(0, kFlagInvincible, 2));
    EXPECT_EQ(self.m_Chara.nShotCollision, 2);
    CmdStatus2(self, Flag(0, kFlagScrollSync, 1));
    EXPECT_EQ(self.m_Chara.bScrollSync, 1);
    EXPECT_EQ(self.m_bScrollSync, 1);

    // A giant size outside 1..10 is stored as given; the boxes grow to at most 10.
    CmdStatus2(self, Flag(0, kFlagGiant, 12));
    EXPECT_EQ(self.m_Chara.nGiant, 12);
    EXPECT_EQ(self.GiantSize(), 10);

    // Flight: nothing for a computer's actor; the first hero's for a player's.
    CmdStatus2(self, Flag(0, kFlagFly, 1));
    EXPECT_EQ(self.m_Chara.nBlockCollision, 0);
    Player.Reset(1);
    cHeroActor& hero = Player[0];
    hero.m_nOperator = 0;
    CmdStatus2(hero, Flag(0, kFlagFly, 2));
    EXPECT_EQ(hero.m_Chara.nBlockCollision, 2);

    // Vanishing: a code kill only for another actor; a player's actor loses its HP.
    CmdStatus2(self, Flag(0, kFlagVanish, 1));
    EXPECT_EQ(self.m_bVanish, 1);
    EXPECT_EQ(scene_->m_bCodeKill, 0);
    TargetOther();
    CmdStatus2(self, Flag(1, kFlagVanish, 1));
    EXPECT_EQ(other.m_bVanish, 1);
    EXPECT_EQ(scene_->m_bCodeKill, 1);
    hero.m_nHp = 5;
    CmdStatus2(hero, Flag(0, kFlagVanish, 1));
    EXPECT_EQ(hero.m_nHp, 0);
    EXPECT_EQ(hero.m_bVanish, 0);

    // Without a target nothing happens.
    self.ReleaseTargets();
    CmdStatus2(self, Flag(1, kFlagTransparent, 0));
    EXPECT_EQ(other.m_Chara.bTransparent, 0);

    // The system's flags switch the auto-scroll of an axis.
    EdStageWork.nAutoScrollX = 30;
    CmdStatus2(self, Flag(2, 0, 1));
    EXPECT_EQ(EdStageWork.nScrollKindX, 1);
    EXPECT_EQ(scene_->m_ScrollX.m_bAuto, 1);
    EXPECT_GT(scene_->m_ScrollX.m_dAutoSpeed, 0);
    CmdStatus2(self, Flag(2, 1, 1));
    EXPECT_EQ(EdStageWork.nScrollKindY, 1);
}

}  // namespace

// The status condition: the narrow comparisons and percentages it is built from, each
// status compared at its own width, percent operands, every operand source, the system
// statuses with their special values, variables, and the target.
#include "flow/status_tables.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>

#include "data/stage_record.h"
#include "flow/conditions.h"
#include "platform/random.h"
#include "scene/game_progress.h"
#include "stage/actor.h"
#include "stage/actor_geometry.h"
#include "stage/block_map.h"
#include "stage/engine_globals.h"
#include "stage/game_scene.h"

namespace {

TEST(StatusArithmetic, NarrowFormsTruncateBeforeTheyCompute) {
    struct Cmp {
        int width;
        std::int32_t v, n;
        int code;
        bool expected;
    };
    const Cmp compares[] = {
        {8, 300, 44, 0, true},      {8, -1, 255, 0, true},   {8, 128, -128, 0, true},
        {8, -128, 3, 7, true},      {8, 256, 0, 0, true},    {8, 127, 128, 4, true},
        {8, 6, 259, 6, true},       {8, 7, 256, 6, true},  // 256 is the byte 0
        {16, 70000, 4464, 0, true}, {16, 32768, 0, 5, true}, {16, 65535, -1, 0, true},
        {16, 5, 5, 9, false},
    };
    for (const Cmp& c : compares) {
        const bool got =
            c.width == 8 ? CompareByOp8(c.v, c.n, c.code) : CompareByOp16(c.v, c.n, c.code);
        EXPECT_EQ(got, c.expected) << c.width << ": " << c.v << " code " << c.code << " " << c.n;
    }

    EXPECT_EQ(PercentOf8(300, 100), 44);   // a is the byte 44
    EXPECT_EQ(PercentOf8(100, 200), -56);  // 200 kept as a byte
    EXPECT_EQ(PercentOf8(-3, 150), -5);
    EXPECT_EQ(PercentOf16(70000, 100), 4464);
    EXPECT_EQ(PercentOf16(200, 20000), -25536);  // 40000 kept as 16 bits

    struct Range {
        std::int32_t value, lo, hi, expected;
    };
    for (const Range& r : {Range{5, 0, 10, 5}, Range{-1, 0, 10, 0}, Range{11, 0, 10, 10},
                           Range{-30, -20, 20, -20}}) {
        std::int32_t v = r.value;
        Clamp(v, r.lo, r.hi);
        EXPECT_EQ(v, r.expected);
        std::int8_t b = static_cast<std::int8_t>(r.value);
        Clamp8(b, r.lo, r.hi);
        EXPECT_EQ(b, r.expected);
    }
}

TEST(StatusArithmetic, PercentModeReplacesTheOperandByAClampedShareOfTheReference) {
    // 50 % of 200 = 100.
    EXPECT_TRUE(TestStatusCompare(100, 200, 50, 2, 1, 0, 999999));
    EXPECT_FALSE(TestStatusCompare(99, 200, 50, 2, 1, 0, 999999));
    EXPECT_FALSE(TestStatusCompare(100, 200, 50, 0, 0, 0, 999999));  // plain 50
    EXPECT_TRUE(TestStatusCompare(50, 200, 50, 0, 0, 0, 999999));
    // 200 % of 999999 is held to the range.
    EXPECT_TRUE(TestStatusCompare(999999, 999999, 200, 0, 1, 0, 999999));
    EXPECT_TRUE(TestStatusCompare(0, 100, -50, 0, 1, 0, 999999));
    // Without percent the operand is not clamped, only truncated to the width.
    EXPECT_FALSE(TestStatusCompare(999999, 0, 2000000, 0, 0, 0, 999999));
    EXPECT_TRUE(TestStatusCompare8(44, 0, 300, 0, 0, 0, 99));
    EXPECT_TRUE(TestStatusCompare16(4464, 0, 70000, 0, 0, 0, 119));
    // 100 % of 40 = 40, held to 0..20.
    EXPECT_TRUE(TestStatusCompare8(20, 40, 100, 0, 1, 0, 20));
    EXPECT_TRUE(TestStatusCompare16(119, 1000, 50, 0, 1, 0, 119));
}

// A running game scene and two computer characters with distinct statuses; the progress,
// the running stage and the generator are brought back afterwards.
class StatusWorld : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        EdStageWork.SetGameSpeed(10);
        Progress.m_nLives = 3;
        Progress.m_nScore = 1200;
        scene_ = std::make_unique<cGameScene>();
        lpGame = scene_.get();
        scene_->m_nTime = 120;
        scene_->m_bNoTimeLimit = 0;

        for (cCharaActor* a : {&self, &other}) {
            a->m_nOperator = 1;
            a->m_vecVar.resize(kCharaVarCount, 0);
        }
        cEdChara& c = self.m_Chara;
        self.m_vecVar[3] = -7;
        self.m_nHp = 150;
        self.m_nSp = 20;
        c.nMaxHp = 200;
        c.nMaxSp = 40;
        c.nCharaId = 44;
        c.nZ = 3;
        c.nEmblem = 100;
        c.nSight = 5;
        c.nBodyPower = 70000;
        c.nBodyImpact = -3;
        c.nDefense = 1000;
        c.nImpactResist = 7;
        c.nStopping = 150;
        c.nScore = -500;
        other.m_nHp = 60;
        other.m_Chara.nSight = 9;
    }
    void TearDown() override {
        self.ReleaseTargets();
        scene_.reset();
        ResetEngineGlobals();
    }

    void TargetOther() {
        self.m_pTarget = &other;
        other.m_vecTargetedBy.push_back(&self);
    }

    // A status condition on the actor's (whose 0) status with a constant operand.
    static cEdCondition OnStatus(int whose, int index, std::int32_t operand, int code,
                                 int percent = 0) {
        cEdCondition c;
        c.nKind = kCondStatus;
        c.nSubject = 0;
        c.nWhose = static_cast<std::int8_t>(whose);
        c.nItem = static_cast<std::int8_t>(index);
        c.nSource = kOperandConstant;
        c.nValue = operand;
        c.nOp = static_cast<std::int8_t>(code);
        c.bPercent = static_cast<std::int8_t>(percent);
        return c;
    }

    std::unique_ptr<cGameScene> scene_;
    cCharaActor self;
    cCharaActor other;
};

TEST_F(StatusWorld, EachCharacterStatusIsComparedAtItsWidth) {
    struct Case {
        int index;
        std::int32_t operand;
        int code;
        int percent;
        bool expected;
    };
    const Case cases[] = {
        {kStatusCharaVar, -7, 0, 0, true},
        {kStatusHp, 150, 0, 0, true},
        {kStatusHp, 75, 0, 1, true},  // 75 % of max HP 200
        {kStatusHp, 76, 2, 1, false},
        {kStatusSp, 20, 2, 0, true},
        {kStatusSp, 50, 0, 1, true},  // 50 % of max SP 40
        {kStatusMaxHp, 200, 0, 0, true},
        {kStatusMaxSp, 41, 5, 0, true},
        {kStatusCharaId, 300, 0, 0, true},  // 8 bits: 300 is 44
        {kStatusZ, 259, 0, 0, true},
        {kStatusZ, 300, 0, 1, false},  // no whole to take a share of: the operand is 0
        {kStatusZ, 300, 4, 1, true},
        {kStatusMark, 65636, 0, 0, true},  // 16 bits: 65636 is 100
        {kStatusSight, 5, 0, 0, true},
        {kStatusBodyPower, 4464, 0, 0, false},  // 32 bits: nothing is cut off
        {kStatusBodyPower, 70000, 0, 0, true},
        {kStatusBodyImpact, 253, 0, 0, true},  // the byte -3
        {kStatusDefense, 1000, 3, 0, true},
        {kStatusImpactResist, 7, 0, 0, true},
        {kStatusStopping, 150, 0, 0, true},
        {kStatusScore, -500, 0, 0, true},
        {kStatusScore, -499, 0, 0, false},
        {15, 0, 0, 0, true},  // statuses past the table were never refused
        {-1, 0, 8, 0, true},
    };
    for (const Case& c : cases) {
        cEdCondition cond = OnStatus(0, c.index, c.operand, c.code, c.percent);
        cond.nVarIndex = 3;  // the character variable of status 0
        EXPECT_EQ(TestStatusCondition(cond, &self), c.expected)
            << "status " << c.index << " code " << c.code << " " << c.operand
            << (c.percent ? " %" : "");
        EXPECT_EQ(TestCondition(cond, &self), c.expected) << "status " << c.index;
    }
}

TEST_F(StatusWorld, TheTargetsStatusAndAMissingTarget) {
    TargetOther();
    EXPECT_TRUE(TestStatusCondition(OnStatus(1, kStatusHp, 60, 0), &self));
    EXPECT_FALSE(TestStatusCondition(OnStatus(1, kStatusHp, 150, 0), &self));
    self.ReleaseTargets();
    EXPECT_FALSE(TestStatusCondition(OnStatus(1, kStatusHp, 60, 1), &self));
    EXPECT_FALSE(TestStatusCondition(OnStatus(1, 15, 0, 0), &self));
    EXPECT_FALSE(TestStatusCondition(OnStatus(0, kStatusHp, 0, 1), nullptr));
}

TEST_F(StatusWorld, ReadingTheStopTendencyBringsTheDecelerationUpToDate) {
    self.m_dStopDecel = 0;
    EXPECT_TRUE(TestStatusCondition(OnStatus(0, kStatusStopping, 150, 0), &self));
    EXPECT_NE(self.m_dStopDecel, 0);
    EXPECT_EQ(self.m_dStopDecel, SpeedFromHundredths(150));
}

TEST_F(StatusWorld, SystemStatusesWithTheirSpecialValues) {
    EdStageWork.nAutoScrollX = -30;
    EdStageWork.nAutoScrollY = 45;
    struct Case {
        int index;
        std::int32_t operand;
        int code;
        int percent;
        bool expected;
    };
    const Case cases[] = {
        {kSysStatusTime, 120, 0, 0, true},
        {kSysStatusScrollX, -30, 0, 0, true},
        {kSysStatusScrollY, 40, 4, 0, true},
        {kSysStatusScore, 1200, 0, 0, true},
        {kSysStatusScore, 50, 0, 1, false},  // in percent the operand is 0
        {kSysStatusScore, 50, 4, 1, true},
        {kSysStatusLives, 3, 0, 0, true},
        {5, 0, 1, 0, false},
        {-1, 0, 1, 0, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TestStatusCondition(OnStatus(2, c.index, c.operand, c.code, c.percent), &self),
                  c.expected)
            << "system " << c.index << " code " << c.code;
    // The system needs no actor.
    EXPECT_TRUE(TestStatusCondition(OnStatus(2, kSysStatusScore, 1200, 0), nullptr));

    // Lives that never run out are no number to compare: false whatever the comparison.
    Progress.m_nLives = kUnlimitedLives;
    for (int code = 0; code < 8; ++code)
        EXPECT_FALSE(TestStatusCondition(OnStatus(2, kSysStatusLives, 0, code), &self)) << code;

    // Without a time limit the time is 999 to a condition on it...
    scene_->m_bNoTimeLimit = 1;
    scene_->m_nTime = 999;
    EXPECT_TRUE(TestStatusCondition(OnStatus(2, kSysStatusTime, 999, 0), &self));
}

TEST_F(StatusWorld, OperandsFromEverySource) {
    Progress.m_vecVariable[4] = 44;
    scene_->m_vecStageVar[6] = -66;
    self.m_vecVar[2] = 22;
    EdStageWork.nAutoScrollY = 45;
    TargetOther();
    struct Case {
        const char* what;
        StatusOperandSpec spec;
        bool ok;
        std::int32_t value;
    };
    auto status = [](int whose, int index, int var = 0) {
        StatusOperandSpec s;
        s.nSource = kOperandStatus;
        s.nWhose = whose;
        s.nStatus = index;
        s.nVarIndex = var;
        return s;
    };
    auto variable = [](int scope, int index) {
        StatusOperandSpec s;
        s.nSource = kOperandVariable;
        s.nVarScope = scope;
        s.nVarIndex = index;
        return s;
    };
    StatusOperandSpec constant;
    constant.nConstant = -12;
    StatusOperandSpec random;
    random.nSource = kOperandRandom;
    random.nRandMin = random.nRandMax = 7;
    StatusOperandSpec unknown = constant;
    unknown.nSource = 4;
    const Case cases[] = {
        {"constant", constant, true, -12},
        {"random of one value", random, true, 7},
        {"own HP", status(0, kStatusHp), true, 150},
        {"own variable", status(0, kStatusCharaVar, 2), true, 22},
        {"target's HP", status(1, kStatusHp), true, 60},
        {"own status past the table", status(0, 15), true, 0},
        {"a computer's sight", status(0, kStatusSight), false, 0},
        {"a computer target's sight", status(1, kStatusSight), false, 0},
        {"system scroll", status(2, kSysStatusScrollY), true, 45},
        {"system score", status(2, kSysStatusScore), true, 1200},
        {"system time", status(2, kSysStatusTime), true, 120},
        {"system lives", status(2, kSysStatusLives), true, 3},
        {"system past the table", status(2, 5), true, 0},
        {"common variable", variable(0, 4), true, 44},
        {"stage variable", variable(1, 6), true, -66},
        {"no such scope", variable(2, 6), true, 0},
        {"no such source", unknown, true, 0},
    };
    for (const Case& c : cases) {
        std::int32_t value = 12345;
        EXPECT_EQ(EvalStatusOperand(c.spec, &self, value), c.ok) << c.what;
        if (c.ok) {
            EXPECT_EQ(value, c.value) << c.what;
        }
    }

    // Only the player's actors have a sight to read.
    self.m_nOperator = 0;
    std::int32_t sight = 0;
    EXPECT_TRUE(EvalStatusOperand(status(0, kStatusSight), &self, sight));
    EXPECT_EQ(sight, 5);

    // Lives that never run out and a time that does not run read as 0.
    Progress.m_nLives = kUnlimitedLives;
    scene_->m_bNoTimeLimit = 1;
    scene_->m_nTime = 999;
    for (int index : {kSysStatusLives, kSysStatusTime}) {
        std::int32_t value = 12345;
        EXPECT_TRUE(EvalStatusOperand(status(2, index), &self, value));
        EXPECT_EQ(value, 0) << index;
    }

    // Without its target a status operand has nothing to read.
    self.ReleaseTargets();
    std::int32_t value = 0;
    EXPECT_FALSE(EvalStatusOperand(status(1, kStatusHp), &self, value));
    EXPECT_FALSE(EvalStatusOperand(status(0, kStatusHp), nullptr, value));
}

TEST_F(StatusWorld, AnOperandThatCannotBeHadMakesTheConditionFalse) {
    // "Not equal" would hold for any operand it could read.
    cEdCondition c = OnStatus(0, kStatusHp, 0, 1);
    c.nSource = kOperandStatus;
    c.nWhose2 = 1;
    c.nItem2 = kStatusHp;
    EXPECT_FALSE(TestStatusCondition(c, &self));
    c.nWhose2 = 0;
    c.nItem2 = kStatusSight;
    EXPECT_FALSE(TestStatusCondition(c, &self));
    c.nItem2 = kStatusMaxHp;  // 200, not HP 150
    EXPECT_TRUE(TestStatusCondition(c, &self));
}

TEST_F(StatusWorld, ARandomOperandDrawsOnceWithinItsBoundsInEitherOrder) {
    cEdCondition c = OnStatus(0, kStatusHp, 0, 3);  // HP ≤ the draw
    c.nSource = kOperandRandom;
    c.nRandMin = 300;
    c.nRandMax = 151;
    plat::srand(99);
    for (int i = 0; i < 20; ++i) EXPECT_TRUE(TestStatusCondition(c, &self));
    c.nRandMin = 149;
    c.nRandMax = 0;
    for (int i = 0; i < 20; ++i) EXPECT_FALSE(TestStatusCondition(c, &self));

    // One number per test.
    plat::srand(5);
    TestStatusCondition(c, &self);
    const int next = plat::rand();
    plat::srand(5);
    plat::rand();
    EXPECT_EQ(plat::rand(), next);
}

TEST_F(StatusWorld, VariablesAsTheSubject) {
    Progress.m_vecVariable[9] = 90;
    scene_->m_vecStageVar[9] = -9;
    struct Case {
        int scope;
        std::int32_t operand;
        int code;
        int percent;
        bool expected;
    };
    const Case cases[] = {
        {0, 90, 0, 0, true}, {0, 30, 6, 0, true},
        {1, -9, 0, 0, true}, {1, -9, 0, 1, false},  // in percent the operand is 0
        {1, 50, 5, 1, true}, {2, 0, 1, 0, false},
    };
    for (const Case& c : cases) {
        cEdCondition cond = OnStatus(0, 0, c.operand, c.code, c.percent);
        cond.nSubject = 1;
        cond.nVarScope = static_cast<std::int8_t>(c.scope);
        cond.nVarIndex = 9;
        EXPECT_EQ(TestStatusCondition(cond, nullptr), c.expected)
            << "scope " << c.scope << " code " << c.code;
    }
}

}  // namespace

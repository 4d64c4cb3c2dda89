// The code language as one table of texts with what each gives back, stores, shows and
// draws; then the behaviours that need a world of their own: boxes once per attempt, the
// report log, owners that do not exist, unlimited lives, side effects of assignments, gauges.
#include "flow/expression_language.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <memory>
#include <string>

#include "data/stage_record.h"
#include "platform/cp932.h"
#include "platform/message_box.h"
#include "platform/random.h"
#include "platform/seams.h"
#include "scene/game_progress.h"
#include "stage/actor.h"
#include "stage/actor_geometry.h"
#include "stage/engine_globals.h"
#include "stage/game_scene.h"
#include "stage/stage_objects.h"

namespace {

class CodeWorld : public ::testing::Test {
protected:
    void SetUp() override {
        previousSeams_ = plat::GetSeams();
        plat::Seams seams;
        seams.headless = true;
        plat::SetSeams(seams);
        plat::ClearShownBoxes();
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
        }
        self.m_nHp = 50;
        self.m_nSp = 10;
        self.m_Chara.nMaxHp = 100;
        self.m_Chara.nMaxSp = 40;
        self.m_Chara.nStopping = 100;
        other.m_nHp = 60;
        other.m_Chara.nMaxHp = 80;
        Progress.m_vecVariable[2] = 22;
        Progress.m_vecVariable[3] = 33;
        ResetCodeErrorReports();
    }
    void TearDown() override {
        self.ReleaseTargets();
        Player.Clear();
        scene_.reset();
        ResetEngineGlobals();
        plat::ClearShownBoxes();
        plat::SetSeams(previousSeams_);
    }

    void TargetOther() {
        self.m_pTarget = &other;
        other.m_vecTargetedBy.push_back(&self);
    }

    // The current value of a place a row may store to.
    std::int32_t Probe(const std::string& what) {
        if (what == "hp") return self.m_nHp;
        if (what == "sp") return self.m_nSp;
        if (what == "mhp") return self.m_Chara.nMaxHp;
        if (what == "cid") return self.m_Chara.nCharaId;
        if (what == "imp") return self.m_Chara.nBodyImpact;
        if (what == "stop") return self.m_Chara.nStopping;
        if (what == "v1") return self.m_vecVar[1];
        if (what == "C1") return Progress.m_vecVariable[1];
        if (what == "S0") return scene_->m_vecStageVar[0];
        if (what == "score") return Progress.m_nScore;
        if (what == "time") return scene_->m_nTime;
        ADD_FAILURE() << "no probe " << what;
        return 0;
    }

    std::unique_ptr<cGameScene> scene_;
    cCharaActor self;
    cCharaActor other;
    plat::Seams previousSeams_;
};

// The texts of the boxes shown, in CP932.
std::string ShownBox() {
    const auto boxes = plat::ShownBoxes();
    if (boxes.empty()) return "";
    return plat::Utf8ToCp932(boxes.back().text);
}

std::string Nested(int levels, const std::string& inner) {
    return std::string(levels, '(') + inner + std::string(levels, ')');
}

TEST_F(CodeWorld, GoldenTable) {
    const std::string longOk = "hp = 7" + std::string(kCodeTextLimit - 1 - 6, ' ');
    const std::string tooLong = "hp = 7" + std::string(kCodeTextLimit - 6, ' ');
    struct Row {
        std::string text;
        std::int32_t result;  // of ExpandParens on a fresh world
        int ret;              // of RunCode
        std::string probe;    // a place the run stores to ("" none)
        std::int32_t stored;
        std::string box;  // CP932, "" none
        int draws;        // random numbers drawn
    };
    const Row rows[] = {
        // Words and operators.
        {"hp = hp + 1", 51, 1, "hp", 51, "", 0},
        {"hp=hp+1", 0, 1, "hp", 50, "", 0},
        {"C3+1", 33, 1, "", 0, "", 0},
        {"1 + 2 * 3", 7, 1, "", 0, "", 0},
        {"10 - 4 - 3", 3, 1, "", 0, "", 0},
        {"7 / 2", 3, 1, "", 0, "", 0},
        {"-7 / 2", -3, 1, "", 0, "", 0},
        {"-7 % 2", -1, 1, "", 0, "", 0},
        {"(1 + 2) * 3", 9, 1, "", 0, "", 0},
        {"2 * (3 + 4)", 14, 1, "", 0, "", 0},
        {"2*(3)", 2, 1, "", 0, "", 0},
        {"hp = 1 sp = 2", 2, 1, "sp", 2, "", 0},
        {"v1 = 5", 5, 1, "v1", 5, "", 0},
        {"hp = 1.5", 5, 1, "hp", 5, "", 0},
        {"hp = xyz.sp", 10, 1, "hp", 10, "", 0},
        {"a(((1)))", 0, 1, "", 0, "", 0},
        // Functions.
        {"hp = rand(5,5)", 5, 1, "hp", 5, "", 1},
        {"hp = rand((2),2)", 2, 1, "hp", 2, "", 1},
        {"rand(1)", 0, 0, "", 0, "関数 rand の引数が不正です！", 0},
        {"rand(1,2,3)", 0, 0, "", 0, "関数 rand の引数が不正です！", 0},
        {"rand(2,,2)", 2, 1, "", 0, "", 1},
        // Ranges and widths.
        {"cid = 200", 99, 1, "cid", 99, "", 0},
        {"imp = -50", -20, 1, "imp", -20, "", 0},
        {"stop = 300", 200, 1, "stop", 200, "", 0},
        {"hp = 500", 100, 1, "hp", 100, "", 0},
        {"mhp = 0", 1, 1, "hp", 1, "", 0},
        {"C1 = 99999999999", 999999, 1, "C1", 999999, "", 0},
        {"SP = 4", 4, 1, "S0", 4, "", 0},
        {"score = score + 5", 1205, 1, "score", 1205, "", 0},
        {"time = 2000", 999, 1, "time", 999, "", 0},
        // Numbers saturate; arithmetic wraps.
        {"99999999999", INT_MAX, 1, "", 0, "", 0},
        {"-99999999999", INT_MIN, 1, "", 0, "", 0},
        {"+12x", 12, 1, "", 0, "", 0},
        {"2147483647 + 1", INT_MIN, 1, "", 0, "", 0},
        {"-2147483648 - 1", INT_MAX, 1, "", 0, "", 0},
        {"65536 * 65536", 0, 1, "", 0, "", 0},
        {"-2147483648 / -1", INT_MIN, 1, "", 0, "", 0},
        {"-2147483648 % -1", 0, 1, "", 0, "", 0},
        // Division by zero: the box names the flat text, as a value, never as a format.
        {"hp = 5 / 0", 0, 0, "hp", 50, "0除算が行われました！(hp = 5 / 0)", 0},
        {"hp = (5 / 0)", 0, 0, "hp", 0, "0除算が行われました！(5 / 0)", 0},
        {"hp = 5 % 0 %s%n", 0, 0, "hp", 50, "0除算が行われました！(hp = 5 % 0 %s%n)", 0},
        // Parentheses without their partner, unknown objects.
        {"hp = (1", 0, 0, "hp", 50, "\")\"が見つかりません！", 0},
        {"xyz.hp = 1", 0, 0, "hp", 50, "オブジェクト \"xyz.\" が認識できません！", 0},
        // Language errors: no box.
        {"tg.hp = 0", 0, 0, "hp", 50, "", 0},
        {"sys.hp = 0", 0, 0, "hp", 50, "", 0},
        {"pl.hp = 0", 0, 0, "hp", 50, "", 0},
        {"hp = - 5", 0, 0, "hp", 50, "", 0},
        {"+ 1", 0, 0, "", 0, "", 0},
        {"1 +", 0, 0, "", 0, "", 0},
        {"hp = 1 + * 2", 0, 0, "hp", 50, "", 0},
        {"C1 = C2 = 5", 0, 0, "C1", 22, "", 0},
        {"5 = 3", 0, 0, "", 0, "", 0},
        // Words split at 0x20 only.
        {"hp\t= 5", 5, 1, "hp", 50, "", 0},
        {"hp = 5\nsp = 3", 0, 0, "hp", 5, "", 0},
        // Limits.
        {longOk, 7, 1, "hp", 7, "", 0},
        {tooLong, 7, 0, "hp", 50, "", 0},
        {"hp = " + Nested(32, "7"), 7, 1, "hp", 7, "", 0},
        {"hp = " + Nested(33, "7"), 0, 0, "hp", 0, "", 0},
        {"hp = rand(" + Nested(31, "3") + ",3)", 3, 1, "hp", 3, "", 1},
        {"hp = rand(" + Nested(32, "3") + ",0)", 0, 0, "hp", 0, "", 1},
        {"", 0, 1, "", 0, "", 0},
    };
    for (const Row& row : rows) {
        const std::string label = row.text.size() > 60 ? row.text.substr(0, 60) + "..." : row.text;
        TearDown();
        SetUp();
        bCodeError = 0;
        if (row.text.size() < kCodeTextLimit) {
            EXPECT_EQ(ExpandParens(row.text, &self), row.result) << label;
        }
        TearDown();
        SetUp();
        plat::srand(7);
        EXPECT_EQ(RunCode(row.text, &self), row.ret) << label;
        EXPECT_EQ(bCodeError, row.ret == 0 ? 1 : 0) << label;
        if (!row.probe.empty()) {
            EXPECT_EQ(Probe(row.probe), row.stored) << label;
        }
        EXPECT_EQ(ShownBox(), row.box) << label;
        EXPECT_LE(plat::ShownBoxes().size(), 1u) << label;
        const int next = plat::rand();
        plat::srand(7);
        for (int i = 0; i < row.draws; ++i) plat::rand();
        EXPECT_EQ(plat::rand(), next) << label << ": draws";
    }
}

TEST_F(CodeWorld, RandDrawsOverTheWholeSpanInEitherOrder) {
    for (const char* text : {"C1 = rand(1,6)", "C1 = rand(6,1)"}) {
        for (int i = 0; i < 50; ++i) {
            ASSERT_EQ(RunCode(text, &self), 1);
            EXPECT_GE(Progress.m_vecVariable[1], 1);
            EXPECT_LE(Progress.m_vecVariable[1], 6);
        }
    }
    plat::srand(3);
    for (int i = 0; i < 50; ++i) {
        bCodeError = 0;
        const std::int32_t v = ExpandParens("rand(-2147483648,2147483647)", &self);
        EXPECT_EQ(bCodeError, 0);
        (void)v;  // any int32 is within the span; the call must neither fail nor trap
    }
    plat::srand(3);
    const int expected =
        static_cast<int>(INT_MIN + static_cast<std::int64_t>(plat::rand()) % 4294967296LL);
    plat::srand(3);
    EXPECT_EQ(ExpandParens("rand(2147483647,-2147483648)", &self), expected);
}

TEST_F(CodeWorld, OnlyTheFirstBoxOfAnAttemptShowsAndEachTextLogsOnce) {
    for (int i = 0; i < 5; ++i) EXPECT_EQ(RunCode("hp = 5 / 0", &self), 0);
    EXPECT_EQ(RunCode("rand(1)", &self), 0);
    EXPECT_EQ(plat::ShownBoxes().size(), 1u);
    EXPECT_EQ(bCodeError, 1);
    // A new attempt shows the next one again.
    ResetCodeErrorReports();
    EXPECT_EQ(RunCode("rand(1)", &self), 0);
    ASSERT_EQ(plat::ShownBoxes().size(), 2u);
    EXPECT_EQ(ShownBox(), "関数 rand の引数が不正です！");
    // Success clears the flag.
    EXPECT_EQ(RunCode("1", &self), 1);
    EXPECT_EQ(bCodeError, 0);
}

TEST_F(CodeWorld, TargetsAndHeroesAsOwners) {
    TargetOther();
    EXPECT_EQ(RunCode("tg.hp = tg.hp - 10", &self), 1);
    EXPECT_EQ(other.m_nHp, 50);
    EXPECT_EQ(scene_->m_bCodeKill, 0);
    EXPECT_EQ(RunCode("tg.hp = 0", &self), 1);
    EXPECT_EQ(scene_->m_bCodeKill, 1);
    // The executing actor's own HP at 0 is no code kill.
    scene_->m_bCodeKill = 0;
    EXPECT_EQ(RunCode("hp = 0", &self), 1);
    EXPECT_EQ(scene_->m_bCodeKill, 0);

    Player.Reset(1);
    cHeroActor& hero = Player[0];
    hero.m_Chara.nMaxHp = 30;
    hero.m_nHp = 3;
    EXPECT_EQ(RunCode("pl.hp = 99 C1 = pl.hp", &self), 1);
    EXPECT_EQ(hero.m_nHp, 30);
    // Every token is made before the first operation: the second pl.hp is the old HP.
    EXPECT_EQ(Progress.m_vecVariable[1], 3);
}

TEST_F(CodeWorld, AssignmentsCarryTheirSideEffects) {
    // A lower maximum pulls HP up to 1 and down to the maximum.
    self.m_nHp = 0;
    EXPECT_EQ(RunCode("mhp = 10", &self), 1);
    EXPECT_EQ(self.m_nHp, 1);
    self.m_nHp = 9;
    self.m_nSp = 30;
    EXPECT_EQ(RunCode("mhp = 5 msp = 20", &self), 1);
    EXPECT_EQ(self.m_nHp, 5);
    EXPECT_EQ(self.m_nSp, 20);

    // The stop tendency is stored alone; its deceleration follows at the next status read.
    self.m_dStopDecel = 0.25;
    EXPECT_EQ(RunCode("stop = 50", &self), 1);
    EXPECT_EQ(self.m_Chara.nStopping, 50);
    EXPECT_EQ(self.m_dStopDecel, 0.25);

    // Sight reaches m_nSight only for a player's actor.
    EXPECT_EQ(RunCode("sight = 4", &self), 1);
    EXPECT_EQ(self.m_nSight, 0);
    self.m_nOperator = 0;
    EXPECT_EQ(RunCode("sight = 4", &self), 1);
    EXPECT_EQ(self.m_nSight, HblToDots(4));

    // Scroll speeds are set again on their axis.
    EdStageWork.nScrollKindX = 1;
    EXPECT_EQ(RunCode("scrlx = 900", &self), 1);
    EXPECT_EQ(EdStageWork.nAutoScrollX, 480);
    EXPECT_EQ(scene_->m_ScrollX.m_bAuto, 1);
    EXPECT_NE(scene_->m_ScrollX.m_dAutoSpeed, 0);

    // Unlimited lives read 0 and stay unlimited.
    Progress.m_nLives = kUnlimitedLives;
    EXPECT_EQ(RunCode("C1 = life life = 5", &self), 1);
    EXPECT_EQ(Progress.m_vecVariable[1], 0);
    EXPECT_EQ(Progress.m_nLives, kUnlimitedLives);
    Progress.m_nLives = 3;
    EXPECT_EQ(RunCode("life = 500", &self), 1);
    EXPECT_EQ(Progress.m_nLives, 99);
}

TEST_F(CodeWorld, GaugesShowWhatASuccessfulRunChangedOfTheExecutingActor) {
    EXPECT_EQ(RunCode("hp = 20 sp = 30", &self), 1);
    EXPECT_NE(self.m_HpGauge.nFrames, 0);
    EXPECT_NE(self.m_SpGauge.nFrames, 0);

    cCharaActor fresh;
    fresh.m_vecVar.resize(kCharaVarCount, 0);
    fresh.m_Chara.nMaxHp = 100;
    fresh.m_nHp = 50;
    EXPECT_EQ(RunCode("hp = (5 / 0)", &fresh), 0);
    EXPECT_EQ(fresh.m_nHp, 0);
    EXPECT_EQ(fresh.m_HpGauge.nFrames, 0);
}

}  // namespace

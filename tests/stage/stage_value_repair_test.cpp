// The repair of a loaded stage's damaged values: every kind brought back to its default (or
// held to its range) with one report-log line per kind, sound values left alone.
#include "stage/stage_value_repair.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

#include "base/log.h"
#include "support/temp_dir.h"

namespace {

std::string ReportText() {
    std::ifstream in("Report.txt", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

int Lines(const std::string& text) {
    int n = 0;
    for (char c : text) n += c == '\n';
    return n;
}

// A command with a move record of the given turn factor, carrying a flow of one more.
cEdCommand MoveCommand(double turn, double nestedTurn) {
    cEdCommand cmd;
    cmd.nCmdType = 2;
    cEdMove::Create(cmd.spMove);
    cmd.spMove->fTurnFactor = turn;
    cEdFlow nested;
    cEdCommand inner;
    cEdMove::Create(inner.spMove);
    inner.spMove->fTurnFactor = nestedTurn;
    nested.vecCommand.push_back(inner);
    cmd.vecFlow.push_back(nested);
    return cmd;
}

class StageValueRepair : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(OpenReportLog("Report.txt"));
        stage.SetDefaults();
        stage.SetGameSpeed(10);
        cEdChara chara;
        cEdFlow flow;
        flow.vecKeyCondition.push_back(cEdKeyCondition());
        flow.vecKeyCondition[0].vecKeyState.Clear();
        flow.vecKeyCondition[0].vecKeyState.push_back(1);
        flow.vecCommand.push_back(MoveCommand(0.5, 2.0));
        chara.vecFlow.push_back(flow);
        stage.vecCharaPalette.push_back(chara);
        stage.vecChara.push_back(chara);
        cEdItem item;
        item.vecItemCommand.push_back(MoveCommand(0.25, 3.0));
        stage.vecItem.push_back(item);
    }

    TempDir dir;
    cEdStage stage;
};

TEST_F(StageValueRepair, SoundStageIsLeftAsItIs) {
    stage.dGravity = -999999;  // odd, but within range
    stage.nLevel = 19;
    stage.vecChara[0].vecFlow[0].vecKeyCondition[0].vecKeyState.resize(19, 0);
    stage.vecCharaPalette.back().vecFlow[0].vecKeyCondition[0].vecKeyState.resize(19, 0);
    const std::string before = ReportText();
    EXPECT_EQ(RepairDamagedStageValues(stage), 0);
    EXPECT_EQ(ReportText(), before);
    EXPECT_EQ(stage.dGravity, -999999);
    EXPECT_EQ(stage.speed.nSubSteps, 9);
    EXPECT_EQ(stage.vecItem[0].vecItemCommand[0].spMove->fTurnFactor, 0.25);
}

TEST_F(StageValueRepair, EveryDamagedKindTakesItsDefaultWithOneLine) {
    const double nan = std::nan("");
    const double inf = std::numeric_limits<double>::infinity();
    stage.dGravity = nan;
    stage.vecBackground[0].dRateX = inf;
    stage.vecBackground[0].dRateY = -1e300;
    stage.vecBackground[0].dOffsetX = nan;
    stage.nLevel = std::numeric_limits<std::int32_t>::max();
    for (cEdChara* c : {&stage.vecChara[0], &stage.vecCharaPalette.back()}) {
        c->vecFlow[0].vecCommand[0].spMove->fTurnFactor = inf;
        c->vecFlow[0].vecCommand[0].vecFlow[0].vecCommand[0].spMove->fTurnFactor = 1e7;
    }
    stage.vecItem[0].vecItemCommand[0].vecFlow[0].vecCommand[0].spMove->fTurnFactor = -inf;

    const int before = Lines(ReportText());
    // gravity, 2 rates, 1 offset, the level, 5 turn factors, 2 key conditions
    EXPECT_EQ(RepairDamagedStageValues(stage), 12);
    // One line each: gravity, rates, offsets, level, turn factors, key conditions.
    EXPECT_EQ(Lines(ReportText()) - before, 6);

    EXPECT_EQ(stage.dGravity, 0.4);
    EXPECT_EQ(stage.speed.dStepGravity, 0.4 / (100.0 * 100.0));
    EXPECT_EQ(stage.vecBackground[0].dRateX, 0.1);
    EXPECT_EQ(stage.vecBackground[0].dRateY, 0.1);
    EXPECT_EQ(stage.vecBackground[0].dOffsetX, 0);
    EXPECT_EQ(stage.nLevel, 100);
    EXPECT_EQ(stage.speed.nSubSteps, 100);
    for (const cEdChara* c : {&stage.vecChara[0], &stage.vecCharaPalette.back()}) {
        const cEdCommand& cmd = c->vecFlow[0].vecCommand[0];
        EXPECT_EQ(cmd.spMove->fTurnFactor, 1.0);
        EXPECT_EQ(cmd.vecFlow[0].vecCommand[0].spMove->fTurnFactor, 1.0);
        const auto& states = c->vecFlow[0].vecKeyCondition[0].vecKeyState;
        ASSERT_EQ(states.Size(), 19u);
        EXPECT_EQ(states[0], 1);  // the stored state stays, the rest test nothing
        for (int i = 1; i < 19; ++i) EXPECT_EQ(states[i], 0) << i;
    }
    EXPECT_EQ(stage.vecItem[0].vecItemCommand[0].spMove->fTurnFactor, 0.25);
    EXPECT_EQ(stage.vecItem[0].vecItemCommand[0].vecFlow[0].vecCommand[0].spMove->fTurnFactor, 1.0);
}

TEST_F(StageValueRepair, LevelIsHeldToTheGameSpeedsRange) {
    struct Case {
        std::int32_t level, held, b;
    } cases[] = {{0, 1, 1},       {-5, 1, 1},     {std::numeric_limits<std::int32_t>::min(), 1, 1},
                 {1, 1, 1},       {15, 15, 5},    {20, 20, 20},
                 {100, 100, 100}, {101, 100, 100}};
    for (const Case& c : cases) {
        stage.nLevel = c.level;
        RepairDamagedStageValues(stage);
        EXPECT_EQ(stage.nLevel, c.held) << c.level;
        EXPECT_EQ(stage.speed.nSubSteps, c.b) << c.level;
    }
}

}  // namespace

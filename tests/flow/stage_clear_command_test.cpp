// ステージクリア: where the story goes next, the world-map position and the hero's start at
// the next stage, and the stage result its entry stores.
#include "flow/stage_clear_command.h"

#include <gtest/gtest.h>

#include <string>

#include "command_world.h"
#include "data/world_map.h"
#include "platform/cp932.h"

namespace {

using namespace cmdtest;

constexpr int kParams = 9;

class StageClear : public CommandWorld {
protected:
    void SetUp() override {
        CommandWorld::SetUp();
        Progress.m_nSeriesIndex = 4;
        EdWorldMap.nWidth = 20;
        EdWorldMap.nHeight = 15;
        lpGame->m_nNextStage = -7;
        lpGame->m_strNextStageBase = "old";
    }
    // Runs the command through the command table's entry, as a flow would.
    void Run(cEdCommand& cmd) {
        cCommandInstance ci;
        ci.m_pCmd = &cmd;
        StageClearEntry(Hero(), ci);
    }
};

TEST_F(StageClear, WhereToGo) {
    struct Case {
        int goal, number;
        const char* text;
        int next;
        const char* base;
        const char* textAfter;
    };
    const Case cases[] = {
        {kClearNextStage, 9, "", 5, "", ""},
        {kClearByNumber, 9, "", 9, "", ""},
        {kClearByPath, 9, "data\\stg4\\forest.stg4", 4, "data\\stg4\\forest.",
         "data\\stg4\\forest."},
        // Run again on its rewritten text, it stays.
        {kClearByPath, 9, "data\\stg4\\forest.", 4, "data\\stg4\\forest.", "data\\stg4\\forest."},
        {kClearByPath, 9, "plain", 4, "plain.", "plain."},
        {kClearWorld, 9, "x.stg4", 0, "", "x.stg4"},
        // Out of range: as the next stage.
        {4, 9, "", 5, "", ""},
        {-1, 9, "", 5, "", ""},
    };
    for (const Case& c : cases) {
        cEdCommand cmd = Cmd(kStageClear, {c.goal, c.number}, kParams);
        cmd.strText = c.text;
        lpGame->m_nStageResult = 0;
        Run(cmd);
        EXPECT_EQ(lpGame->m_nStageResult, 1) << c.goal << " " << c.text;
        EXPECT_EQ(lpGame->m_nNextStage, c.next) << c.goal << " " << c.text;
        EXPECT_EQ(lpGame->m_strNextStageBase, c.base) << c.goal << " " << c.text;
        EXPECT_EQ(cmd.strText, c.textAfter) << c.goal << " " << c.text;
    }
    EXPECT_TRUE(plat::ShownBoxes().empty());
}

TEST_F(StageClear, AnEmptyPathShowsTheBoxAndStillClears) {
    cEdCommand cmd = Cmd(kStageClear, {kClearByPath}, kParams);
    Run(cmd);
    EXPECT_EQ(lpGame->m_nStageResult, 1);
    EXPECT_EQ(lpGame->m_nNextStage, 4);
    EXPECT_EQ(lpGame->m_strNextStageBase, "");
    const auto boxes = plat::ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(plat::Utf8ToCp932(boxes.back().text),
              "ステージファイル  が不正です。\nステージファイルとして認識できません。");
}

TEST_F(StageClear, WorldMapPositionIsLoweredToTheMap) {
    struct Case {
        int x, y, mapX, mapY;
    };
    const Case cases[] = {
        {3, 4, 3, 4}, {19, 14, 19, 14}, {20, 15, 19, 14}, {999, 999, 19, 14}, {-5, -1, -5, -1}};
    for (const Case& c : cases) {
        Progress.m_nMapFacing = 3;
        cEdCommand cmd = Cmd(kStageClear, {kClearNextStage, 0, 1, c.x, c.y}, kParams);
        Run(cmd);
        EXPECT_EQ(Progress.m_nMapX, c.mapX) << c.x;
        EXPECT_EQ(Progress.m_nMapY, c.mapY) << c.y;
        EXPECT_EQ(Progress.m_nMapFacing, 0);
    }
    // Without its flag the position stays.
    Progress.m_nMapX = 7;
    cEdCommand cmd = Cmd(kStageClear, {kClearNextStage, 0, 0, 1, 1}, kParams);
    Run(cmd);
    EXPECT_EQ(Progress.m_nMapX, 7);
}

TEST_F(StageClear, StartAtTheNextStageWithTheFacingAsAtTheClear) {
    struct Case {
        int facing, heroRight, stored;
    };
    const Case cases[] = {{0, 1, 0}, {1, 0, 1}, {2, 1, 1}, {2, 0, 0}};
    for (const Case& c : cases) {
        Hero().m_bFacingRight = c.heroRight;
        cEdCommand cmd =
            Cmd(kStageClear, {kClearNextStage, 0, 0, 0, 0, 1, 12, 3, c.facing}, kParams);
        Run(cmd);
        EXPECT_EQ(Progress.m_bWarpPos, 1);
        EXPECT_EQ(Progress.m_nWarpX, 12);
        EXPECT_EQ(Progress.m_nWarpY, 3);
        EXPECT_EQ(Progress.m_nWarpDir, c.stored) << c.facing << " " << c.heroRight;
    }
    cEdCommand off = Cmd(kStageClear, {kClearNextStage}, kParams);
    Run(off);
    EXPECT_EQ(Progress.m_bWarpPos, 0);
}

// A flow's stage clear ends the play frame the way a clear does: the result is stored, and
// the hero's pass reports it.
TEST_F(StageClear, AFlowOfTheHeroClearsTheStage) {
    Install(Hero(), {Flow(kFlowOnly, {Cmd(kStageClear, {kClearByNumber, 3}, kParams)})});
    SetCommandContext(&Hero(), nullptr, nullptr);
    Hero().m_vecFlow[0].Start(Hero());
    Hero().RunFlowInstances(0, 0);
    EXPECT_EQ(lpGame->m_nStageResult, 1);
    EXPECT_EQ(lpGame->m_nNextStage, 3);
}

}  // namespace

// アイテムの取得: the item commands of a common or stage palette item run on the hero at once,
// on a copy of the record; the result becomes the stage result unless it is 0; an item that
// gets itself stops eight runs deep.
#include "flow/item_get_command.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <utility>

#include "command_world.h"
#include "data/common_palette.h"
#include "data/item_record.h"

namespace {

using namespace cmdtest;

// Item command types: stage clear, item get.
constexpr int kItemStageClear = 2;
constexpr int kItemGetItem = 10;

cEdItem ItemWith(std::initializer_list<cEdCommand> cmds) {
    cEdItem item;
    for (const cEdCommand& c : cmds) item.vecItemCommand.push_back(c);
    return item;
}

class ItemGet : public CommandWorld {
protected:
    void SetUp() override {
        CommandWorld::SetUp();
        chara_ = &AddChara(1, 100, 100);
        EdCommonPalette.vecItem.Clear();
        EdStageWork.vecItemPalette.Clear();
        EdCommonPalette.vecItem.push_back(cEdItem{});
        EdStageWork.vecItemPalette.push_back(cEdItem{});
    }
    void TearDown() override {
        EdCommonPalette.vecItem.Clear();
        CommandWorld::TearDown();
    }
    // The flow command through its table entry, run by the character.
    void Run(int palette, int index) {
        cEdCommand cmd = Cmd(kItemGet, {palette, index});
        cCommandInstance ci;
        ci.m_pCmd = &cmd;
        CmdItemGetEntry(*chara_, ci);
    }
    cCharaActor* chara_ = nullptr;
};

TEST_F(ItemGet, EachPaletteRunsItsItemOnACopy) {
    cEdCommand clear = ItemCmd(kItemStageClear, {2}, 9);
    clear.strText = "data\\stg4\\next.stg4";
    EdCommonPalette.vecItem.push_back(ItemWith({clear}));
    Run(kItemGetCommon, 1);
    EXPECT_EQ(lpGame->m_nStageResult, 1);
    EXPECT_EQ(lpGame->m_strNextStageBase, "data\\stg4\\next.");
    // The palette's record is as it was: the command rewrote the copy's text.
    EXPECT_EQ(EdCommonPalette.vecItem[1].vecItemCommand[0].strText, "data\\stg4\\next.stg4");

    lpGame->m_nStageResult = 0;
    EdStageWork.vecItemPalette.push_back(ItemWith({ItemCmd(kItemStageClear, {1, 6}, 9)}));
    Run(kItemGetStage, 1);
    EXPECT_EQ(lpGame->m_nStageResult, 1);
    EXPECT_EQ(lpGame->m_nNextStage, 6);
}

TEST_F(ItemGet, ANothingResultKeepsAnEarlierStageResult) {
    lpGame->m_nStageResult = 1;
    Run(kItemGetStage, 0);
    EXPECT_EQ(lpGame->m_nStageResult, 1);
    // The hero's HP gone: result 2, which replaces the earlier one.
    Hero().m_nHp = 0;
    Run(kItemGetStage, 0);
    EXPECT_EQ(lpGame->m_nStageResult, 2);
}

TEST_F(ItemGet, OtherPalettesAndNoHeroDoNothing) {
    EdStageWork.vecItemPalette.push_back(ItemWith({ItemCmd(kItemStageClear, {}, 9)}));
    for (int palette : {2, -1}) {
        Run(palette, 1);
        EXPECT_EQ(lpGame->m_nStageResult, 0) << palette;
    }
    Player.Clear();
    Run(kItemGetStage, 1);
    EXPECT_EQ(lpGame->m_nStageResult, 0);
}

// An item whose commands warp the hero one dot and then get the same item again: eight runs
// deep it stops, so the hero moved eight dots and the stack held.
TEST_F(ItemGet, AnItemThatGetsItselfStopsEightDeep) {
    PlaceHeroOnOpenMap();
    cHeroActor& hero = Hero();
    const double x = hero.m_dX;

    EdStageWork.vecItemPalette.push_back(
        ItemWith({ItemWarpRight(1), ItemCmd(kItemGetItem, {kItemGetStage, 1}, 2)}));
    Run(kItemGetStage, 1);
    EXPECT_DOUBLE_EQ(hero.m_dX, x + kMaxItemGetDepth);
    EXPECT_EQ(lpGame->m_nStageResult, 0);
    // Done and unwound: the next get runs as deep again.
    Run(kItemGetStage, 1);
    EXPECT_DOUBLE_EQ(hero.m_dX, x + 2 * kMaxItemGetDepth);
}

}  // namespace

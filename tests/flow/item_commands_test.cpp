// Item commands: an item's list runs at once on the hero through the item-command table, each
// type from 2 on reaching the worker of character type n + 15; the stop rule, the arranges
// the list makes for its own later commands, and the flow change, which waits while a flow
// pass of the hero runs.
#include "flow/item_commands.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "base/globals.h"
#include "base/window_requests.h"
#include "command_world.h"
#include "data/common_palette.h"
#include "data/database.h"
#include "data/effect_records.h"
#include "data/item_record.h"
#include "flow/item_get_command.h"
#include "flow/param_desc_table.h"
#include "flow/status_commands.h"
#include "flow/status_tables.h"
#include "platform/frame.h"
#include "platform/messages.h"
#include "stage/hero_actor.h"
#include "stage/item_object.h"
#include "stage/message_fixture.h"
#include "stage/post_load_tables.h"

namespace {

using namespace cmdtest;

std::vector<int> s_sounds;

// The recorded boxes are UTF-8 while the program's texts are CP932.
std::string Utf8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

std::vector<int> s_tunes;

plat::LRESULT RecordSounds(plat::HWND, std::uint32_t msg, plat::WPARAM wParam,
                           plat::LPARAM lParam) {
    if (msg == WM_USER_PLAYSE) s_sounds.push_back(static_cast<int>(wParam));
    if (msg == WM_USER_PLAYBGM) s_tunes.push_back(static_cast<int>(lParam));
    return 0;
}

// Item-command types the tests use besides those of the header.
constexpr int kItemStageClear = 2;
constexpr int kItemWarp = 5;
constexpr int kItemSetTarget = 6;
constexpr int kItemStatus = 7;
constexpr int kItemStatus2 = 8;
constexpr int kItemVanish = 9;
constexpr int kItemGetItem = 10;
constexpr int kItemSe = 20;
constexpr int kItemCode = 22;
constexpr int kItemLoop = 24;

constexpr int kStatusParams = 18;

// ステータスの操作: a status of the hero (whose 0) or of the system (whose 2) by a constant.
cEdCommand Status(int whose, int index, int op, int value) {
    return ItemCmd(kItemStatus, {0, 0, 0, whose, index, op, kOperandConstant, value},
                   kStatusParams);
}
cEdCommand AddScore(int value) {
    return Status(kWhoseSystem, kSysStatusScore, kOpPlus, value);
}
// The score grows by a random value from min to max, the two bounds an arrange can reach.
cEdCommand AddScoreBetween(int min, int max) {
    return ItemCmd(kItemStatus,
                   {0, 0, 0, kWhoseSystem, kSysStatusScore, kOpPlus, kOperandRandom, 0, min, max},
                   kStatusParams);
}
// アレンジ of the status command's random bound `bound` (0 min, 1 max) plus common variable 1.
cEdCommand ArrangeBound(int bound) {
    return ItemCmd(kItemArrange, {22, bound, 1, 0, 1}, 5);
}

cEdCommand FlowChangeCmd(int op, int id, std::initializer_list<cEdFlow> flows = {}) {
    cEdCommand cmd = ItemCmd(kItemFlowChange, {op, id}, 2);
    for (const cEdFlow& f : flows) cmd.vecFlow.push_back(f);
    return cmd;
}

cEdFlow IdleFlow(int id) {
    return Flow(kFlowOnly, {Cmd(kWait, {}, 0, 1)}, id);
}

std::vector<int> FlowIds(const cActorBase& actor) {
    std::vector<int> ids;
    for (const FlowInstance& f : actor.m_vecFlow) ids.push_back(f.m_pFlow ? f.m_pFlow->nId : -1);
    return ids;
}

class ItemCommands : public CommandWorld {
protected:
    void SetUp() override {
        CommandWorld::SetUp();
        // The ranges the arranges are held to.
        BuildParamDescTable();
        s_sounds.clear();
        s_tunes.clear();
        window_ = plat::CreateWindow(RecordSounds);
        hWndMain = window_;
        Progress.m_nScore = 0;
        Progress.m_vecVariable.resize(8, 0);
        chara_ = &AddChara(1, 100, 100);
        EdStageWork.vecItemPalette.Clear();
        EdStageWork.vecItemPalette.push_back(cEdItem{});
    }
    void TearDown() override {
        hWndMain = nullptr;
        plat::DestroyWindow(window_);
        EdStageWork.vecItemPalette.Clear();
        CommandWorld::TearDown();
    }
    static int RunList(std::initializer_list<cEdCommand> cmds) {
        CheckedVector<cEdCommand> list;
        for (const cEdCommand& c : cmds) list.push_back(c);
        return Hero().RunItemCommands(list);
    }
    // A stage palette item holding the commands; its index.
    static int PaletteItem(std::initializer_list<cEdCommand> cmds) {
        cEdItem item;
        for (const cEdCommand& c : cmds) item.vecItemCommand.push_back(c);
        EdStageWork.vecItemPalette.push_back(item);
        return static_cast<int>(EdStageWork.vecItemPalette.Size()) - 1;
    }

    cCharaActor* chara_ = nullptr;
    plat::HWND window_ = nullptr;
};

// The Part's own lists: the stop rule and the arranges the list makes for itself.
TEST_F(ItemCommands, ListsStopAtAClearOrALostHeroAndFeedTheirArranges) {
    // A clear ends the list: the sound and the score after it never come.
    EXPECT_EQ(RunList({ItemCmd(kItemStageClear, {}, 9), ItemCmd(kItemSe, {3}, 1), AddScore(5)}), 1);
    EXPECT_TRUE(s_sounds.empty());
    EXPECT_EQ(Progress.m_nScore, 0);

    // Two arranges, then the status command: both change it, and none is left waiting.
    Progress.m_vecVariable[1] = 10;
    EXPECT_EQ(RunList({ArrangeBound(0), ArrangeBound(1), AddScoreBetween(1, 1)}), 0);
    EXPECT_EQ(Progress.m_nScore, 11);
    EXPECT_TRUE(Hero().m_listItemArrange.empty());

    // The hero's HP set to 0 ends the list with 2 before the later commands.
    EXPECT_EQ(RunList({Status(kWhoseSelf, kStatusHp, kOpSet, 0), AddScore(5)}), 2);
    EXPECT_EQ(Progress.m_nScore, 11);
    // Lost before the list: the list runs, but its end says so.
    EXPECT_EQ(RunList({AddScore(1)}), 2);
    EXPECT_EQ(Progress.m_nScore, 12);
}

// Item type n from 2 on reaches the worker of character type n + 15: one effect per type.
TEST_F(ItemCommands, EachSharedTypeReachesItsCharacterCommandsWorker) {
    PlaceHeroOnOpenMap();
    cHeroActor& hero = Hero();
    cEdCommand code = ItemCmd(kItemCode, {}, 0);
    code.strText = "C3 = 7";
    const int scoring = PaletteItem({AddScore(40)});

    struct Row {
        int type;
        cEdCommand cmd;
        int result;
        std::function<bool()> acted;
    };
    const double x = hero.m_dX;
    const Row rows[] = {
        {kItemStageClear, ItemCmd(kItemStageClear, {1, 6}, 9), 1,
         [] { return lpGame->m_nNextStage == 6; }},
        {kItemWarp, ItemWarpRight(3), 0, [&] { return hero.m_dX == x + 3; }},
        {kItemSetTarget, ItemCmd(kItemSetTarget, {2, 1, 0, 2}, 15), 0,
         [&] { return hero.m_pTarget == chara_; }},
        {kItemStatus, AddScore(9), 0, [] { return Progress.m_nScore == 9; }},
        {kItemStatus2, ItemCmd(kItemStatus2, {kWhoseSelf, kFlagTransparent, 1}, 3), 0,
         [&] { return hero.m_Chara.bTransparent == 1; }},
        {kItemVanish, ItemCmd(kItemVanish, {0, 1, 1}, 3), 0,
         [&] { return chara_->m_bVanish == 1; }},
        {kItemGetItem, ItemCmd(kItemGetItem, {kItemGetStage, scoring}, 2), 0,
         [] { return Progress.m_nScore == 40; }},
        {kItemCode, code, 0, [] { return Progress.m_vecVariable[3] == 7; }},
        {kItemArrange, ArrangeBound(0), 0, [&] { return hero.m_listItemArrange.size() == 1u; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type);
        ASSERT_EQ(row.cmd.FlowType(), row.type + 15);
        Progress.m_nScore = 0;
        hero.m_listItemArrange.clear();
        EXPECT_FALSE(row.acted());
        cEdCommand cmd = row.cmd;
        EXPECT_EQ(RunItemCommandOnHero(hero, cmd), row.result);
        EXPECT_TRUE(row.acted());
    }
}

// The presentation types act on the hero and the scene, as their flow commands do.
TEST_F(ItemCommands, PresentationTypesReachTheirWorkers) {
    // The tables they read: two animation sets, an animation, a character and a screen
    // effect; put back afterwards.
    const auto animeSets = EdDatabase.vecAnimeSet;
    const auto animes = EdDatabase.vecAnime;
    const auto charaEffects = EdDatabase.vecCharaEffect;
    const auto screenEffects = EdDatabase.vecScrEffect;
    EdDatabase.vecAnimeSet.resize(2);
    EdDatabase.vecAnime.resize(2);
    EdDatabase.vecAnime[1].vecFrame.resize(1);
    EdDatabase.vecCharaEffect.resize(2);
    EdDatabase.vecCharaEffect[1].nKind = 1;
    EdDatabase.vecCharaEffect[1].anParam[0] = 1;
    EdDatabase.vecScrEffect.resize(2);
    EdDatabase.vecScrEffect[1].nKind = 4;
    EdDatabase.vecScrEffect[1].anParam[0] = 10;
    BuildAnimePatternTable(AnimePatternTable);
    BuildPostLoadTables();
    EdStageWork.vecBackground.Clear();
    EdStageWork.vecBackground.resize(1);
    EdStageWork.vecBackground[0].bShown = 1;
    cHeroActor& hero = Hero();

    struct Row {
        int type;
        cEdCommand cmd;
        std::function<bool()> acted;
    };
    const Row rows[] = {
        {11, ItemCmd(11, {1, 9, 0}, 3), [&] { return hero.m_nGraphicNo == 9; }},
        {12, ItemCmd(12, {1}, 1), [&] { return hero.m_Chara.nAnimeSet == 1; }},
        {13, ItemCmd(13, {1}, 1), [&] { return hero.m_listAnime.size() == 1u; }},
        {15, ItemCmd(15, {1, 0, 0}, 3), [&] { return hero.m_CharaEffect.nNumber == 1; }},
        {16, ItemCmd(16, {1, 0, 0}, 3), [] { return lpGame->m_ScreenEffect.nNumber == 1; }},
        {18, ItemCmd(18, {1, 2, 3, 40, 0, 1, 0, 0}, 8),
         [] { return lpGame->m_ScreenColor.nPercent == 40; }},
        {19, ItemCmd(19, {1, 1}, 2), [] { return EdStageWork.vecBackground[0].bShown == 0; }},
        {kItemSe, ItemCmd(kItemSe, {4}, 1),
         [] { return s_sounds == std::vector<int>{4 + kDataSeBase}; }},
        {21, ItemCmd(21, {2, 1}, 2), [] { return s_tunes == std::vector<int>{2}; }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.type);
        ASSERT_EQ(row.cmd.FlowType(), row.type + 15);
        EXPECT_FALSE(row.acted());
        cEdCommand cmd = row.cmd;
        EXPECT_EQ(RunItemCommandOnHero(hero, cmd), 0);
        EXPECT_TRUE(row.acted());
    }
    EdStageWork.vecBackground.Clear();
    EdDatabase.vecAnimeSet = animeSets;
    EdDatabase.vecAnime = animes;
    EdDatabase.vecCharaEffect = charaEffects;
    EdDatabase.vecScrEffect = screenEffects;
    BuildAnimePatternTable(AnimePatternTable);
    BuildPostLoadTables();
}

// The empty type, the loop, a flow change of no known operation and types outside the table
// do nothing; the arranges waiting are still used up by them.
TEST_F(ItemCommands, TypesAndOperationsOutsideTheTableDoNothing) {
    Install(Hero(), {IdleFlow(1)});
    Hero().m_listAnime.push_back(AnimeEntry{});
    for (int type : {0, kItemLoop, -1, -128, 25, 127}) {
        SCOPED_TRACE(type);
        cEdCommand cmd = AddScore(5);
        cmd.nCmdType = static_cast<std::int8_t>(type);
        EXPECT_EQ(RunList({ArrangeBound(0), cmd}), 0);
        EXPECT_TRUE(Hero().m_listItemArrange.empty());
    }
    for (int op : {3, -1, 255}) {
        SCOPED_TRACE(op);
        EXPECT_EQ(RunList({FlowChangeCmd(op, 0, {IdleFlow(7)})}), 0);
    }
    EXPECT_EQ(Progress.m_nScore, 0);
    EXPECT_EQ(FlowIds(Hero()), std::vector<int>{1});
    EXPECT_EQ(Hero().m_listAnime.size(), 1u);
    EXPECT_TRUE(Hero().m_vecFlowChange.empty());
    EXPECT_TRUE(s_sounds.empty());
}

// フローの変更 with each operation and an ID of 0, one the hero has (twice: the two flows of
// ID 1), one it has once, and one it lacks. The hero's flows: IDs 1, 2, 1; the command
// carries one flow of ID 7. Every instance points at its own definition afterwards.
TEST_F(ItemCommands, FlowChangeAddsReplacesAndDeletesByID) {
    struct Case {
        const char* what;
        int op, id;
        std::vector<int> ids;
        bool animesGone;
    };
    const Case cases[] = {
        {"add, whatever the ID", kFlowChangeAdd, 2, {1, 2, 1, 7}, false},
        {"add with ID 0", kFlowChangeAdd, 0, {1, 2, 1, 7}, false},
        {"change every flow", kFlowChangeReplace, 0, {7}, true},
        {"change ID 1: at the first one's place", kFlowChangeReplace, 1, {7, 2}, false},
        {"change ID 2: in its place", kFlowChangeReplace, 2, {1, 7, 1}, false},
        {"change an ID it lacks: at the end", kFlowChangeReplace, 9, {1, 2, 1, 7}, false},
        {"delete every flow", kFlowChangeDelete, 0, {}, true},
        {"delete ID 1", kFlowChangeDelete, 1, {2}, false},
        {"delete an ID it lacks", kFlowChangeDelete, 9, {1, 2, 1}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        cHeroActor& hero = Hero();
        Install(hero, {IdleFlow(1), IdleFlow(2), IdleFlow(1)});
        hero.m_listAnime.clear();
        AnimeEntry entry;
        entry.m_nFlowKey = -1;  // started outside any flow
        hero.m_listAnime.push_back(entry);
        EXPECT_EQ(RunList({FlowChangeCmd(c.op, c.id, {IdleFlow(7)})}), 0);
        EXPECT_EQ(FlowIds(hero), c.ids);
        ASSERT_EQ(hero.m_Chara.vecFlow.Size(), hero.m_vecFlow.Size());
        for (std::size_t i = 0; i < hero.m_vecFlow.Size(); ++i) {
            EXPECT_EQ(hero.m_vecFlow[i].m_pFlow, &hero.m_Chara.vecFlow[i]);
            EXPECT_EQ(hero.m_vecFlow[i].m_vecCmd.Size(), 1u);
        }
        EXPECT_EQ(hero.m_listAnime.empty(), c.animesGone);
    }
}

// A list of flows too large to write out ends the game as a failed allocation does; the
// hero keeps the flows it had.
TEST_F(ItemCommands, FlowChangeThatCannotBeInstalledReportsMemory) {
    Install(Hero(), {IdleFlow(1)});
    cEdFlow huge = IdleFlow(7);
    huge.vecCommand.insert(huge.vecCommand.begin(), Cmd(39, {0x7fffffff, 1}));
    EXPECT_EQ(RunList({FlowChangeCmd(kFlowChangeAdd, 0, {huge})}), 0);
    EXPECT_EQ(FlowIds(Hero()), std::vector<int>{1});
    const auto boxes = plat::ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, Utf8(u8"メモリが不足しています！"));
}

// While any pass of the hero's flows runs, however deep, the change waits; it runs when the
// outermost pass has ended, and the changes run in the order they were asked for.
TEST_F(ItemCommands, FlowChangeWaitsForTheHerosOutermostPass) {
    cHeroActor& hero = Hero();
    Install(hero, {IdleFlow(1), IdleFlow(2)});
    {
        const FlowPassScope outer(hero);
        {
            const FlowPassScope inner(hero);
            RunList({FlowChangeCmd(kFlowChangeReplace, 1, {IdleFlow(7)}),
                     FlowChangeCmd(kFlowChangeDelete, 7)});
            EXPECT_EQ(hero.m_vecFlowChange.Size(), 2u);
        }
        hero.RunQueuedFlowChanges();
        EXPECT_EQ(FlowIds(hero), (std::vector<int>{1, 2}));
        EXPECT_EQ(hero.m_vecFlowChange.Size(), 2u);
    }
    hero.RunQueuedFlowChanges();
    // Replaced by 7, then 7 deleted: in this order only 2 is left.
    EXPECT_EQ(FlowIds(hero), std::vector<int>{2});
    EXPECT_TRUE(hero.m_vecFlowChange.empty());
}

// The hero's first flow gets an item whose list replaces every flow of the hero: the pass
// still runs the second flow, and the new flow is there after it.
TEST_F(ItemCommands, FlowChangeFromTheHerosFlowRunsAfterItsPass) {
    cHeroActor& hero = Hero();
    const int item = PaletteItem({FlowChangeCmd(kFlowChangeReplace, 0, {IdleFlow(7)})});
    Install(hero, {Flow(kFlowOnly, {Cmd(kItemGet, {kItemGetStage, item})}, 1),
                   Flow(kFlowOnly, {Code("C4 = 1")}, 2)});
    hero.m_vecFlow[0].Start(hero);
    hero.m_vecFlow[1].Start(hero);
    EXPECT_EQ(hero.RunFlows(0), 0);
    EXPECT_EQ(Progress.m_vecVariable[4], 1);
    EXPECT_EQ(FlowIds(hero), std::vector<int>{7});
    EXPECT_TRUE(hero.m_vecFlowChange.empty());
}

// A character's death flows run inside the hero's pass (here kept open by the test) get an
// item that changes the hero's flows: the change waits for the hero's pass, not for the
// character's.
TEST_F(ItemCommands, FlowChangeFromANestedPassWaitsForTheHero) {
    cHeroActor& hero = Hero();
    Install(hero, {IdleFlow(1)});
    const int item = PaletteItem({FlowChangeCmd(kFlowChangeAdd, 0, {IdleFlow(7)})});
    Install(*chara_, {Flow(kTriggerDeath, {Cmd(kItemGet, {kItemGetStage, item})})});
    {
        const FlowPassScope pass(hero);
        chara_->m_nHp = 0;
        chara_->ActorDeath();
        EXPECT_EQ(FlowIds(hero), std::vector<int>{1});
        EXPECT_EQ(hero.m_vecFlowChange.Size(), 1u);
    }
    hero.RunQueuedFlowChanges();
    EXPECT_EQ(FlowIds(hero), (std::vector<int>{1, 7}));
}

// A stage-start flow of the hero runs at once, a pass of its own: a change its item asks for
// follows when the run is over.
TEST_F(ItemCommands, FlowChangeFromAStageStartRunFollowsTheRun) {
    cHeroActor& hero = Hero();
    const int item = PaletteItem({FlowChangeCmd(kFlowChangeReplace, 3, {IdleFlow(7)})});
    cEdCommand get = Cmd(kItemGet, {kItemGetStage, item});
    get.bParallel = 1;
    Install(hero, {IdleFlow(1), Flow(kTriggerBeforeStart, {get}, 3)});
    hero.TriggerFlows(kTriggerBeforeStart);
    EXPECT_EQ(FlowIds(hero), (std::vector<int>{1, 7}));
    EXPECT_TRUE(hero.m_vecFlowChange.empty());
}

// An item that stays (pickup kind 1) keeps what its arranges changed: taken twice, its own
// arranges apply twice. One taken for good has nothing kept.
TEST_F(ItemCommands, AStayingItemKeepsItsArrangedCommands) {
    Progress.m_vecVariable[1] = 10;
    cItemObject& item = ItemList.Add();
    item.m_nGraphicNo = 1;
    item.m_bPresent = 1;
    item.m_Item.nTakeMode = 1;
    for (const cEdCommand& c : {ArrangeBound(0), ArrangeBound(1), AddScoreBetween(5, 5)})
        item.m_Item.vecItemCommand.push_back(c);
    EXPECT_EQ(lpGame->GiveItem(&item, Hero()), 0);
    EXPECT_EQ(Progress.m_nScore, 15);
    EXPECT_EQ(lpGame->GiveItem(&item, Hero()), 0);
    EXPECT_EQ(Progress.m_nScore, 15 + 25);
    EXPECT_EQ(item.m_Item.vecItemCommand[2].vecParam[8], 25);

    // A copy outside the stage's items (an item block's, a shot's) is given as it is.
    cItemObject loose;
    loose.m_nGraphicNo = 1;
    loose.m_bPresent = 1;
    loose.m_Item = item.m_Item;
    EXPECT_EQ(lpGame->GiveItem(&loose, Hero()), 0);
    EXPECT_EQ(Progress.m_nScore, 40 + 35);
    EXPECT_EQ(loose.m_Item.vecItemCommand[2].vecParam[8], 25);
    ItemList.Clear();
}

// Two messages in one item: the first opens as usual (its window zooms in), the second
// continues it; the next list starts afresh.
class ItemMessages : public ::testing::Test, public MessageWorld {
protected:
    void SetUp() override { SetUpMessages(kSceneDisplays[2]); }
    void TearDown() override { TearDownMessages(); }
    // A message shown until the progress key, with the zoom-in opening, the game going on.
    static cEdCommand Message(const char* text) {
        cEdCommand cmd = ItemCmd(kItemMessage, {}, 18);
        cmd.vecParam[14] = 1;
        cmd.strText = text;
        return cmd;
    }
    void RunList(CheckedVector<cEdCommand> list) {
        ASSERT_TRUE(OnGameThread([&] { EXPECT_EQ(Player[0].RunItemCommands(list), 0); }));
    }
};

TEST_F(ItemMessages, TheSecondMessageOfAListContinuesTheFirst) {
    RunList({Message("one"), Message("two")});
    ASSERT_EQ(game->m_listMessage.size(), 2u);
    auto window = game->m_listMessage.begin();
    EXPECT_EQ(window->strText, "one");
    EXPECT_EQ(window->bOpening, 1);
    ++window;
    EXPECT_EQ(window->strText, "two");
    EXPECT_EQ(window->bOpening, 0);
    EXPECT_EQ(game->m_nItemMessageArg, 1);
    RunList({Message("three")});
    ASSERT_EQ(game->m_listMessage.size(), 3u);
    EXPECT_EQ(std::next(game->m_listMessage.begin(), 2)->bOpening, 1);
    for (auto [w, l] : Requests(WM_USER_PLAYSE)) ADD_FAILURE() << "sound " << w;
}

// ゲームウエイト in a list holds the whole game for its time before the list goes on.
TEST_F(ItemMessages, AGameWaitHoldsTheListForItsTime) {
    plat::ResetFrames();
    const std::uint32_t before = plat::FrameCount();
    RunList({ItemCmd(3, {2}, 1), Message("after")});
    EXPECT_EQ(plat::FrameCount() - before, 12u);
    ASSERT_EQ(game->m_listMessage.size(), 1u);
    EXPECT_EQ(game->m_listMessage.begin()->strText, "after");
}

}  // namespace

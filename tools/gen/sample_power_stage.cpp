// The power stage ("test-power"), one screen wide, where items do what their command lists
// say. Walking right, the hero takes a power-up (a new look and animation set, a sound, five
// more HP and a dash on button 2 that it did not have), then a box that shows two messages,
// comes near a switch that flashes the screen three times, hides the far background, changes
// the music and then tints the screen, and at last takes the goal, whose list clears the
// stage.
#include <cstdint>
#include <initializer_list>
#include <utility>

#include "data/command_record.h"
#include "data/item_record.h"
#include "gen/sample_flows.h"
#include "gen/sample_sounds.h"
#include "gen/sample_stages.h"

namespace gen {

namespace {

// Item-command types and the flow-command types of the switch, as the editor numbers them.
constexpr int kItemFlowChange = 1;
constexpr int kItemStageClear = 2;
constexpr int kItemMessage = 4;
constexpr int kItemGraphic = 11;
constexpr int kItemAnimeSet = 12;
constexpr int kItemSe = 20;
constexpr int kCmdWait = 1;
constexpr int kCmdScreenColor = 33;
constexpr int kCmdBackground = 34;
constexpr int kCmdBgm = 36;

// Parameter counts of the message and screen-colour commands.
constexpr int kMessageParams = 18;
constexpr int kScreenColorParams = 8;

// Message positions and durations.
constexpr int kAboveHero = 4;
constexpr int kBelowHero = 5;
constexpr int kShownForATime = 2;

// The stage's palette entries after the shared ones.
enum PowerItem { kPowerUp = 3, kBox = 4, kGoalItem = 5 };
enum PowerChara { kSwitchChara = 4 };

cEdCommand Command(int kind, int type, std::initializer_list<std::int32_t> params, int count) {
    cEdCommand cmd;
    cmd.nCmdKind = static_cast<std::int8_t>(kind);
    cmd.nCmdType = static_cast<std::int8_t>(type);
    for (std::int32_t p : params) cmd.vecParam.push_back(p);
    while (static_cast<int>(cmd.vecParam.Size()) < count) cmd.vecParam.push_back(0);
    return cmd;
}

cEdCommand ItemCommand(int type, std::initializer_list<std::int32_t> params, int count) {
    return Command(1, type, params, count);
}

// A message at `position` for `tenths`, the game going on meanwhile.
cEdCommand Message(int position, int tenths, const char* text) {
    cEdCommand cmd = ItemCommand(kItemMessage, {position, 0, 0, 0, 0, 1, kShownForATime, tenths},
                                 kMessageParams);
    cmd.strText = text;
    return cmd;
}

cEdItem PaletteItem(const char* name, int graphic, std::initializer_list<cEdCommand> commands) {
    cEdItem item;
    item.strName = name;
    item.nGraphic = static_cast<std::int16_t>(graphic);
    for (const cEdCommand& c : commands) item.vecItemCommand.push_back(c);
    return item;
}

// The switch's commands: three short white flashes, the far background hidden and
// the title tune instead of the stage's; once the flashes are over, a blue tint that grows
// and stays.
CheckedVector<cEdCommand> SwitchCommands() {
    CheckedVector<cEdCommand> cmds;
    cmds.push_back(Command(0, kCmdScreenColor, {255, 255, 255, 80, 0, kPowerFlashTenths, 1, 3},
                           kScreenColorParams));
    cmds.push_back(Command(0, kCmdBackground, {2, 1}, 2));
    cmds.push_back(Command(0, kCmdBgm, {kTitleMusic, 1}, 2));
    cEdCommand wait = Command(0, kCmdWait, {}, 0);
    wait.nTime = 3 * kPowerFlashTenths;
    cmds.push_back(wait);
    cmds.push_back(Command(0, kCmdScreenColor, {0, 64, 255, 40, 0, kPowerTintTenths, 0, 0},
                           kScreenColorParams));
    return cmds;
}

}  // namespace

void FillPowerAnimations(cEdAnimeSet& set) {
    FillBasicAnimations(set);
    set.strName = "Power";
    for (cEdAnime& anime : set.vecAnime)
        for (cEdAnimeFrame& frame : anime.vecFrame)
            frame.nTime = static_cast<decltype(frame.nTime)>(frame.nTime > 1 ? frame.nTime / 2 : 1);
}

cEdStage MakePowerStage() {
    cEdStage stage = WalledSampleStage(kPowerWidth, "power", 1);
    // The stage tune, looped, until the switch changes it.
    stage.nBgm = kStageMusic;
    stage.nBgmParam = 1;

    cEdCommand teach = ItemCommand(kItemFlowChange, {0, 0}, 2);
    teach.vecFlow = DashFlows();
    stage.vecItemPalette.push_back(PaletteItem(
        "Power-up", 2,
        {ItemCommand(kItemGraphic, {1, kPowerHeroGraphic, 0}, 3),
         ItemCommand(kItemAnimeSet, {kPowerAnimeSet}, 1), ItemCommand(kItemSe, {kPowerSound}, 1),
         ItemStatusAdd(kItemWhoseHero, kHeroStatusMaxHp, kPowerHpAdded),
         ItemStatusAdd(kItemWhoseHero, kHeroStatusHp, kPowerHpAdded), teach}));
    stage.vecItemPalette.push_back(
        PaletteItem("Box", 3,
                    {Message(kAboveHero, 15, "A box of two messages."),
                     Message(kBelowHero, 15, "The second goes on from the first.")}));
    cEdCommand clear = ItemCommand(kItemStageClear, {}, 9);
    stage.vecItemPalette.push_back(PaletteItem("Goal", 1, {clear}));

    cEdChara lever;
    lever.strName = "Switch";
    lever.nGraphic = 4;
    lever.nControl = 1;
    lever.nSide = 0;
    lever.nMaxHp = 1;
    lever.vecFlow = NearOnceFlows(SwitchCommands());
    stage.vecCharaPalette.push_back(lever);

    PlaceSampleChara(stage, kSampleHero, 2, 12);
    PlaceSampleItem(stage, kPowerUp, kPowerUpColumn, 12);
    PlaceSampleItem(stage, kBox, kPowerBoxColumn, 12);
    PlaceSampleChara(stage, kSwitchChara, kPowerSwitchColumn, 12);
    PlaceSampleItem(stage, kGoalItem, kPowerGoalColumn, 12);
    return stage;
}

}  // namespace gen

#include "gen/sample_stages.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>

#include "data/common_palette.h"
#include "data/stage_record.h"
#include "data/world_map.h"
#include "gen/bmp_writer.h"
#include "gen/sample_flows.h"
#include "gen/sample_sounds.h"

namespace gen {

namespace {

// The stage palette's entries, by index (entry 0 is the fixed "nothing" entry of every
// palette and entry 1 the first the stages use).
enum SampleBlock { kFloor = 1, kWall = 2, kSpikes = 3 };
enum SampleChara { kHero = 1, kWalker = 2, kFlyer = 3 };
// The play-test stage's own characters, after the shared ones.
enum PlayTestChara { kPatroller = 4, kHopper = 5, kWaiter = 6 };
enum SampleItem { kCoin = 1, kHeart = 2 };
// The hits stage's own entries.
enum HitsChara { kBrute = 4, kGuard = 5 };
enum HitsItem { kGem = 3, kSpring = 4 };
// The code stage's own characters.
enum CodeChara { kLapper = 4, kGlitch = 5 };

cEdBlock Block(const char* name, int graphic, int hitType) {
    cEdBlock block;
    block.strName = name;
    block.nGraphic = static_cast<std::int16_t>(graphic);
    block.nHitType = static_cast<std::int8_t>(hitType);
    return block;
}

cEdChara Chara(const char* name, int graphic, int control, int hp) {
    cEdChara chara;
    chara.strName = name;
    chara.nGraphic = static_cast<std::int16_t>(graphic);
    chara.nControl = static_cast<std::int8_t>(control);
    chara.nSide = static_cast<std::int8_t>(control);  // the hero's side 0, the others 1
    chara.nFacing = static_cast<std::int8_t>(control == 0 ? 1 : 0);
    chara.nMaxHp = hp;
    chara.nBodyPower = control == 0 ? 0 : 1;
    chara.nScore = control == 0 ? 0 : 100;
    return chara;
}

cEdItem Item(const char* name, int graphic) {
    cEdItem item;
    item.strName = name;
    item.nGraphic = static_cast<std::int16_t>(graphic);
    return item;
}

// A placed object: a copy of the palette entry at (x, y) in blocks that inherits every
// property group from it, as the editor places them.
template <class T>
T Placed(const CheckedVector<T>& palette, int index, int x, int y) {
    T placed = palette[index];
    placed.nInheritKind = PALETTE_STAGE;
    placed.nInheritIndex = static_cast<std::int16_t>(index);
    for (auto& flag : placed.vecInherit) flag = 1;
    placed.nPlaceX = static_cast<std::int16_t>(x);
    placed.nPlaceY = static_cast<std::int16_t>(y);
    return placed;
}

// A placed character carrying no item: its placement value names the item placement it
// carries, -1 for none.
cEdChara PlacedChara(const CheckedVector<cEdChara>& palette, int index, int x, int y) {
    cEdChara placed = Placed(palette, index, x, y);
    placed.nPlaceValue = -1;
    return placed;
}

void FillPalettes(cEdStage& stage) {
    stage.vecBlockPalette.resize(1);
    stage.vecBlockPalette.push_back(Block("Floor", 1, 1));
    stage.vecBlockPalette.push_back(Block("Wall", 2, 1));
    stage.vecBlockPalette.push_back(Block("Spikes", 3, 2));
    stage.vecCharaPalette.resize(1);
    cEdChara hero = Chara("Hero", 1, 0, 10);
    hero.nMaxSp = 5;
    hero.nBodyPower = 1;
    hero.nDefense = 1;
    hero.vecFlow = HeroFlows();
    stage.vecCharaPalette.push_back(hero);
    cEdChara walker = Chara("Walker", 2, 1, 2);
    // A mark over the walker: mark 16, the second column's second row of the mark sheet.
    walker.bEmblem = 1;
    walker.nEmblem = 16;
    stage.vecCharaPalette.push_back(walker);
    stage.vecCharaPalette.push_back(Chara("Flyer", 3, 1, 1));
    stage.vecItemPalette.resize(1);
    stage.vecItemPalette.push_back(Item("Coin", 1));
    stage.vecItemPalette.push_back(Item("Heart", 2));
}

void PlaceBlock(cEdStage& stage, SampleBlock block, int x, int y) {
    stage.vecBlock.push_back(Placed(stage.vecBlockPalette, block, x, y));
}

// The frame most sample stages stand in: two rows of floor along the bottom (open at the
// `gaps` columns, the pits) and a wall up each side.
void FloorAndWalls(cEdStage& stage, int width, std::initializer_list<int> gaps = {}) {
    for (int x = 0; x < width; ++x) {
        if (std::find(gaps.begin(), gaps.end(), x) != gaps.end()) continue;
        PlaceBlock(stage, kFloor, x, 13);
        PlaceBlock(stage, kFloor, x, 14);
    }
    for (int y = 0; y < 13; ++y) {
        PlaceBlock(stage, kWall, 0, y);
        PlaceBlock(stage, kWall, width - 1, y);
    }
}

// A sky whose clouds drift by themselves and, over it, hills that move with the stage at
// half its speed; both behind the blocks. `variant` (1, 3, 5, 7) picks the pair of images.
void AddBackgrounds(cEdStage& stage, int variant) {
    stage.vecBackground.resize(2);
    for (int i = 0; i < 2; ++i) {
        cEdBackground& background = stage.vecBackground[i];
        background.SetDefaults();
        background.nLayer = 0;
        background.bAutoScrollX = i == 0 ? 1 : 0;
        background.dRateX = i == 0 ? 0.25 : 0.5;
        background.dRateY = 0.0;
        background.strImage = "bmp\\back\\Back" + std::to_string(variant + i) + ".bmp";
    }
}

// A stage `width` blocks wide and 15 high: walls at both ends, a floor of two rows with a
// pit at each column of `pits`, a ledge, the hero near the left wall, characters and items.
// A stage of the editor's defaults, `width` blocks wide and 15 high, with a time limit of
// `timeLimit` seconds (none for 0) and its palettes filled.
cEdStage StageFrame(int width, int timeLimit, const char* text) {
    cEdStage stage;
    stage.SetDefaults();
    stage.nWidth = width;
    stage.nHeight = 15;
    // The map's far edges less the 640-dot view, as the editor writes them when a stage is
    // sized: the map is the stage with 10 blocks of margin on every side.
    stage.nExtentX = (width + 20) * 32 - 640;
    stage.nExtentY = (15 + 20) * 32 - 640;
    stage.bTimeLimit = timeLimit > 0 ? 1 : 0;
    if (timeLimit > 0) stage.nTimeLimit = timeLimit;
    stage.strText = text;
    // Every sample stage opens with the stage caption and its series number. The word sheet
    // keeps the time limit's digits where the second start caption would be, so no sample
    // stage shows that one.
    stage.bStartCaption = 1;
    stage.bStartCaption2 = 0;
    FillPalettes(stage);
    return stage;
}

cEdStage MakeStage(int width, std::initializer_list<int> pits, int backgroundVariant,
                   int timeLimit) {
    cEdStage stage = StageFrame(width, timeLimit, "sample");

    FloorAndWalls(stage, width, pits);
    for (int x = 8; x < 12; ++x) PlaceBlock(stage, kFloor, x, 9);
    PlaceBlock(stage, kSpikes, 14, 12);

    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kHero, 2, 12));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kWalker, 12, 12));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kFlyer, 18, 6));
    stage.vecItem.push_back(Placed(stage.vecItemPalette, kCoin, 9, 8));
    stage.vecItem.push_back(Placed(stage.vecItemPalette, kCoin, 10, 8));
    stage.vecItem.push_back(Placed(stage.vecItemPalette, kHeart, 16, 11));

    AddBackgrounds(stage, backgroundVariant);
    return stage;
}

// A stage for the falling tests: the hero high over a three-column pit, so that it falls
// for a while before it leaves the stage, and a walker standing over another pit, which
// falls out first. No time limit: only the falls end a life.
cEdStage MakeFallStage() {
    cEdStage stage = MakeStage(24, {3, 4, 5, 16, 17, 18}, 1, 0);
    stage.vecChara.Clear();
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kHero, 4, 4));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kWalker, 17, 12));
    return stage;
}

// The stage of the end-to-end play tests, one screen wide so that every character is in view
// and runs: the hero on the left with room to walk and jump before a pit; past the pit a
// walled section where a character patrols between a pillar and the right wall; a character
// that hops on a key sequence and one that starts walking after two seconds.
constexpr int kPlayTestWidth = 20;
constexpr int kPlayTestTimeLimit = 150;

cEdStage MakePlayTestStage() {
    cEdStage stage = StageFrame(kPlayTestWidth, kPlayTestTimeLimit, "play test");
    // The stage tune, looped.
    stage.nBgm = kStageMusic;
    stage.nBgmParam = 1;
    // The three show their flows, not fights: the hero walks past and through them, so they
    // carry no body attack.
    cEdChara patroller = Chara("Patroller", 2, 1, 2);
    patroller.nBodyPower = 0;
    patroller.vecFlow = PatrolFlows();
    // Its distance areas show in a direct play.
    patroller.vecFlow.push_back(ShownDistanceAreas());
    stage.vecCharaPalette.push_back(patroller);
    cEdChara hopper = Chara("Hopper", 3, 1, 2);
    hopper.nBodyPower = 0;
    hopper.vecFlow = HopperFlows();
    stage.vecCharaPalette.push_back(hopper);
    cEdChara waiter = Chara("Waiter", 2, 1, 2);
    waiter.nBodyPower = 0;
    waiter.vecFlow = WaiterFlows(kPlayTestTimeLimit);
    stage.vecCharaPalette.push_back(waiter);

    FloorAndWalls(stage, kPlayTestWidth, {9, 10});
    PlaceBlock(stage, kWall, 13, 11);
    PlaceBlock(stage, kWall, 13, 12);

    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kHero, 2, 12));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kPatroller, 16, 12));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kHopper, 4, 12));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kWaiter, 7, 12));
    stage.vecItem.push_back(Placed(stage.vecItemPalette, kCoin, 15, 8));
    stage.vecItem.push_back(Placed(stage.vecItemPalette, kHeart, 17, 8));

    AddBackgrounds(stage, 1);
    return stage;
}

// The replay stage: the play-test stage with a wanderer in the patroller's room, whose steps
// come from the random generator, so that a play-back with another seed goes elsewhere.
cEdStage MakeReplayStage() {
    cEdStage stage = MakePlayTestStage();
    cEdChara wanderer = Chara("Wanderer", 3, 1, 2);
    wanderer.nBodyPower = 0;
    wanderer.vecFlow = WandererFlows();
    stage.vecCharaPalette.push_back(wanderer);
    const int index = static_cast<int>(stage.vecCharaPalette.Size()) - 1;
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, index, 17, 12));
    return stage;
}

// The stage of the hit tests, one screen wide: the hero walks right into a brute that
// patrols toward it (a body attack with impact and a hit effect, defence, a score and a
// carried gem), then over a coin (taken once) and a spring (taken at every contact), and at
// last into a guard that stands before the right wall.
constexpr int kHitsWidth = 20;

cEdStage MakeHitsStage() {
    cEdStage stage = StageFrame(kHitsWidth, 0, "hits");
    // A third of a second of invincibility after a hit, and as long before the same
    // attacker hits again: the brute and the hero pushed apart meet again while immune.
    stage.nHeroInvincible = stage.nCharaInvincible = 26;
    stage.nHeroHitInterval = stage.nCharaHitInterval = 26;
    // Here the hero pushes back.
    stage.vecCharaPalette[kHero].nBodyImpact = 2;
    cEdChara brute = Chara("Brute", 2, 1, 3);
    brute.nBodyPower = 4;
    brute.nBodyImpact = 4;
    brute.nEffect = 1;
    brute.nScore = 250;
    brute.vecFlow = PatrolFlows();
    // It bursts apart when defeated and leaves when the burst has run out.
    brute.nCharaEffect2 = kBurstEffect;
    stage.vecCharaPalette.push_back(brute);
    cEdChara guard = Chara("Guard", 3, 1, 50);
    guard.nBodyPower = 4;
    guard.nDefense = 5;
    // The guard spins round, starting again at every turn.
    guard.nCharaEffect1 = kSpinEffect;
    guard.nCharaEffect1Param = 1;
    stage.vecCharaPalette.push_back(guard);
    cEdItem gem = Item("Gem", 3);
    gem.nTakeSound = 3;
    stage.vecItemPalette.push_back(gem);
    cEdItem spring = Item("Spring", 4);
    spring.nTakeMode = 1;
    spring.nTakeSound = 2;
    // It heals a little at every contact.
    spring.vecItemCommand.push_back(ItemStatusAdd(kItemWhoseHero, kHeroStatusHp, kHitsSpringHp));
    stage.vecItemPalette.push_back(spring);
    // The coin of this stage rings too, and scores.
    stage.vecItemPalette[kCoin].nTakeSound = 1;
    stage.vecItemPalette[kCoin].vecItemCommand.push_back(
        ItemStatusAdd(kItemWhoseSystem, kSystemStatusScore, kHitsCoinScore));

    FloorAndWalls(stage, kHitsWidth);
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kHero, 5, 12));
    cEdChara placedBrute = PlacedChara(stage.vecCharaPalette, kBrute, 9, 12);
    placedBrute.nPlaceValue = 0;  // carries the gem, the first item placement
    stage.vecChara.push_back(placedBrute);
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kGuard, 17, 12));
    stage.vecItem.push_back(Placed(stage.vecItemPalette, kGem, 1, 1));
    stage.vecItem.push_back(Placed(stage.vecItemPalette, kCoin, 12, 12));
    stage.vecItem.push_back(Placed(stage.vecItemPalette, kSpring, 14, 12));

    AddBackgrounds(stage, 3);
    return stage;
}

// The stage of the code tests, one screen wide: a walker counts its laps in C1 by a code
// text and walks out and back by distances that arranges lengthen by C1 every lap; the
// code adds time and score at each lap, and the hero, standing still, grows to giant size
// once C1 reaches 3. The time limit is shorter than the run: only the added time keeps it
// from running out. A third character runs a text that fails at every tick.
constexpr int kCodeWidth = 20;
constexpr int kCodeTimeLimit = 3;

cEdStage MakeCodeStage() {
    cEdStage stage = StageFrame(kCodeWidth, kCodeTimeLimit, "code");
    stage.vecCharaPalette[kHero].vecFlow = CodeHeroFlows();
    cEdChara lapper = Chara("Lapper", 2, 1, 2);
    lapper.nBodyPower = 0;
    lapper.vecFlow = CodeLapFlows();
    stage.vecCharaPalette.push_back(lapper);
    cEdChara glitch = Chara("Glitch", 3, 1, 2);
    glitch.nBodyPower = 0;
    glitch.vecFlow = FailingCodeFlows();
    stage.vecCharaPalette.push_back(glitch);

    FloorAndWalls(stage, kCodeWidth);
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kHero, 3, 12));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kLapper, 8, 12));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kGlitch, 16, 12));

    AddBackgrounds(stage, 5);
    return stage;
}

// The stage of the block tests, 40 blocks wide. From the left: a conveyor to the right, an
// item block that rings its item's sound, a no-jump block, a 50 % speed block, a jump pad
// of 6 half blocks and a conveyor to the left; then a pit whose platform waits at its left
// side until the hero boards it and carries it across while ridden, a platform shuttling
// over the pit, an elevator, a walking block character on a ledge, two block characters
// that close in on each other, and at the right wall a crusher that comes slowly down on
// the hero waiting there.
enum BlocksBlock {
    kConveyorRight = 4,
    kItemBlock = 5,
    kNoJumpBlock = 6,
    kSlowBlock = 7,
    kJumpPad = 8,
    kConveyorLeft = 9
};
enum BlocksChara {
    kRidePlatform = 4,
    kShuttle = 5,
    kElevator = 6,
    kBlockWalker = 7,
    kCloserLeft = 8,
    kCloserRight = 9,
    kCrusher = 10
};
enum BlocksItem { kBell = 3 };
constexpr int kBlocksWidth = 40;
constexpr int kBlocksPitFirst = 19;
constexpr int kBlocksPitLast = 22;
// Touch effects as the editor numbers them.
constexpr int kTouchJump = 1;
constexpr int kTouchNoJump = 2;
constexpr int kTouchSpeed = 3;
constexpr int kTouchLeft = 4;
constexpr int kTouchRight = 5;
// Flight kind of a block character that flies and stops at blocks.
constexpr int kFliesAgainstBlocks = 2;

cEdBlock TouchBlock(const char* name, int graphic, int effect, int x) {
    cEdBlock block = Block(name, graphic, 1);
    block.nTouchEffect = static_cast<std::int8_t>(effect);
    block.nTouchParam = x;
    return block;
}

cEdChara BlockChara(const char* name, int graphic, bool flies, CheckedVector<cEdFlow> flows) {
    cEdChara chara = Chara(name, graphic, 1, 10);
    chara.b32Mode = 1;
    chara.nBodyPower = 0;
    chara.nScore = 0;
    if (flies) chara.nBlockCollision = kFliesAgainstBlocks;
    chara.vecFlow = std::move(flows);
    return chara;
}

cEdStage MakeBlocksStage() {
    cEdStage stage = StageFrame(kBlocksWidth, 0, "blocks");
    stage.vecBlockPalette.push_back(TouchBlock("Conveyor right", 4, kTouchRight, 10));
    cEdBlock itemBlock = Block("Item block", 4, 1);
    itemBlock.nItemPalette = PALETTE_STAGE;
    itemBlock.nItemIndex = kBell;
    stage.vecBlockPalette.push_back(itemBlock);
    stage.vecBlockPalette.push_back(TouchBlock("No jump", 4, kTouchNoJump, 0));
    stage.vecBlockPalette.push_back(TouchBlock("Slow", 4, kTouchSpeed, 50));
    stage.vecBlockPalette.push_back(TouchBlock("Jump pad", 4, kTouchJump, 6));
    stage.vecBlockPalette.push_back(TouchBlock("Conveyor left", 4, kTouchLeft, 10));
    cEdItem bell = Item("Bell", 3);
    bell.nTakeSound = 3;
    bell.vecItemCommand.push_back(
        ItemStatusAdd(kItemWhoseSystem, kSystemStatusScore, kBlocksBellScore));
    stage.vecItemPalette.push_back(bell);

    stage.vecCharaPalette.push_back(BlockChara("Ride platform", 4, true, RideStartFlows(15)));
    stage.vecCharaPalette.push_back(BlockChara("Shuttle", 4, true, ShuttleFlows(96, 10)));
    stage.vecCharaPalette.push_back(BlockChara("Elevator", 4, true, ElevatorFlows(20, 10, false)));
    stage.vecCharaPalette.push_back(BlockChara("Block walker", 2, false, PatrolFlows()));
    stage.vecCharaPalette.push_back(BlockChara("Closer left", 3, true, ShuttleFlows(48, 10)));
    stage.vecCharaPalette.push_back(BlockChara("Closer right", 3, true, ShuttleFlows(-48, 10)));
    stage.vecCharaPalette.push_back(BlockChara("Crusher", 4, true, ElevatorFlows(60, 10, true)));

    auto floorBlock = [](int x) {
        switch (x) {
            case 4:
            case 5:
                return static_cast<int>(kConveyorRight);
            case 7:
                return static_cast<int>(kItemBlock);
            case 9:
                return static_cast<int>(kNoJumpBlock);
            case 10:
                return static_cast<int>(kSlowBlock);
            case 12:
                return static_cast<int>(kJumpPad);
            case 14:
            case 15:
                return static_cast<int>(kConveyorLeft);
            default:
                return static_cast<int>(kFloor);
        }
    };
    for (int x = 0; x < kBlocksWidth; ++x) {
        if (x >= kBlocksPitFirst && x <= kBlocksPitLast) continue;
        stage.vecBlock.push_back(Placed(stage.vecBlockPalette, floorBlock(x), x, 13));
        PlaceBlock(stage, kFloor, x, 14);
    }
    for (int y = 0; y < 13; ++y) {
        PlaceBlock(stage, kWall, 0, y);
        PlaceBlock(stage, kWall, kBlocksWidth - 1, y);
    }
    for (int x = 27; x <= 32; ++x) PlaceBlock(stage, kFloor, x, 9);

    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kHero, 2, 12));
    stage.vecChara.push_back(
        PlacedChara(stage.vecCharaPalette, kRidePlatform, kBlocksPitFirst, 13));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kCrusher, kBlocksWidth - 2, 2));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kShuttle, kBlocksPitFirst, 9));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kElevator, 25, 7));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kBlockWalker, 29, 8));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kCloserLeft, 29, 5));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kCloserRight, 35, 5));

    AddBackgrounds(stage, 1);
    return stage;
}

// The stage of the command tests, one screen wide: a warper hops two blocks right and back;
// an aimer targets the nearest character of the hero's side, a decoy nearer to it than the
// hero, and warps in front of it; walking right, the hero comes near a switch that makes the
// two bats of group 2 vanish. Nobody carries a body attack but the hero, whose side the
// decoy and the switch are on.
constexpr int kCommandsWidth = 20;
constexpr int kBatGroup = 2;
enum CommandsChara { kWarper = 4, kAimer = 5, kDecoy = 6, kSwitch = 7, kBat = 8 };

cEdStage MakeCommandsStage() {
    cEdStage stage = StageFrame(kCommandsWidth, 0, "commands");
    auto add = [&stage](const char* name, int graphic, int side, CheckedVector<cEdFlow> flows) {
        cEdChara chara = Chara(name, graphic, 1, 2);
        chara.nSide = static_cast<std::int8_t>(side);
        chara.nBodyPower = 0;
        chara.vecFlow = std::move(flows);
        stage.vecCharaPalette.push_back(chara);
    };
    add("Warper", 2, 1, WarperFlows());
    add("Aimer", 3, 1, AimerFlows(0));
    add("Decoy", 2, 0, {});
    add("Switch", 4, 0, SwitchFlows(kBatGroup));
    add("Bat", 3, kBatGroup, {});

    FloorAndWalls(stage, kCommandsWidth);
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kHero, 2, 12));
    // The first three in the list are the ones the state log shows.
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kWarper, 8, 12));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kAimer, 17, 12));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kDecoy, 13, 12));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kSwitch, 5, 12));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kBat, 15, 12));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kBat, 16, 12));

    AddBackgrounds(stage, 7);
    return stage;
}

// The stage of the shot tests, one screen wide: the hero (button 2 shoots, button 3 swings
// the sword) faces a turret at the right wall that aims at it, a flyer overhead that fires
// weaving shots down, a summoner that calls up short-lived bats, a toggler that puts a
// block before itself and takes it away again, and two duellists on a high ledge whose
// breakable shots meet halfway.
enum ShootChara {
    kTurret = 4,
    kWaver = 5,
    kSummoner = 6,
    kToggler = 7,
    kDuelLeft = 8,
    kDuelRight = 9
};
constexpr int kShootWidth = 20;
constexpr int kTurretHp = 3;

cEdStage MakeShootStage() {
    cEdStage stage = StageFrame(kShootWidth, 0, "shoot");
    stage.nHeroInvincible = stage.nCharaInvincible = 20;
    stage.nHeroHitInterval = stage.nCharaHitInterval = 10;
    stage.vecCharaPalette[kHero].vecFlow = ShooterHeroFlows();
    cEdChara turret = Chara("Turret", 3, 1, kTurretHp);
    turret.nBodyPower = 0;
    turret.nScore = 300;
    turret.vecFlow = TurretFlows();
    stage.vecCharaPalette.push_back(turret);
    cEdChara waver = Chara("Waver", 3, 1, 5);
    waver.nBodyPower = 0;
    waver.nBlockCollision = 1;  // flies
    waver.vecFlow = WaverFlows();
    stage.vecCharaPalette.push_back(waver);
    // The sword's one swing takes its HP.
    cEdChara summoner = Chara("Summoner", 2, 1, kHeroSwordPower);
    summoner.nBodyPower = 0;
    summoner.vecFlow = SummonerFlows(kFlyer);
    stage.vecCharaPalette.push_back(summoner);
    cEdChara toggler = Chara("Toggler", 2, 1, 5);
    toggler.nBodyPower = 0;
    toggler.vecFlow = TogglerFlows(kWall);
    stage.vecCharaPalette.push_back(toggler);
    for (int side = 0; side < 2; ++side) {
        cEdChara duellist = Chara(side == 0 ? "DuelLeft" : "DuelRight", 4, 1, 50);
        duellist.nBodyPower = 0;
        duellist.nSide = static_cast<std::int8_t>(2 + side);
        duellist.nFacing = static_cast<std::int8_t>(side == 0 ? 1 : 0);
        duellist.vecFlow = DuelFlows();
        stage.vecCharaPalette.push_back(duellist);
    }

    FloorAndWalls(stage, kShootWidth);
    // The duellists' ledge.
    for (int x = 3; x < 17; ++x) PlaceBlock(stage, kFloor, x, 3);

    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kHero, 4, 12));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kTurret, 15, 12));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kWaver, 9, 6));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kSummoner, 17, 12));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kToggler, 2, 12));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kDuelLeft, 4, 2));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kDuelRight, 15, 2));

    AddBackgrounds(stage, 7);
    return stage;
}

// The goal of a forest stage: a character of the hero's side (so that neither hurts the
// other) standing on the floor at `column`, whose flow clears the stage when the hero comes
// near. Its palette entry follows the shared ones.
cEdStage WithGoal(cEdStage stage, int column) {
    cEdChara goal = Chara("Goal", 4, 1, 1);
    goal.nSide = 0;
    goal.nBodyPower = 0;
    goal.nScore = 0;
    goal.vecFlow = GoalFlows();
    stage.vecCharaPalette.push_back(goal);
    const int entry = static_cast<int>(stage.vecCharaPalette.Size()) - 1;
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, entry, column, 12));
    return stage;
}

// The forest's later version.
cEdStage MakeForestStage() {
    return MakeStage(40, {20, 21}, 1, 200);
}

// The second forest: a golem drawn from its own bitmap, whose cells are two blocks wide, at
// the size of its cells; a walker grown to twice its size; the flyer carries the heart (the
// third item placement), whose icon blinks over it.
cEdStage MakeForest2Stage() {
    cEdStage stage = MakeStage(30, {15}, 3, 150);
    stage.vecChara[2].nPlaceValue = 2;
    cEdChara golem = Chara("Golem", 1, 1, 8);
    golem.nGraphicSource = 4;
    golem.nGiant = 2;
    golem.vecFlow = PatrolFlows();
    stage.vecCharaPalette.push_back(golem);
    cEdChara big = Chara("Big walker", 2, 1, 6);
    big.nGiant = 2;
    stage.vecCharaPalette.push_back(big);
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kFlyer + 1, 22, 12));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kFlyer + 2, 6, 12));
    return stage;
}

// The cave: dark beyond a circle of six half blocks around the hero.
cEdStage MakeCaveStage() {
    cEdStage stage = MakeStage(20, {}, 5, 0);
    for (cEdChara* hero : {&stage.vecCharaPalette[kHero], &stage.vecChara[0]}) {
        hero->nSight = 6;
        hero->nSightShape = 1;
    }
    return stage;
}

// The benchmark: a busy stage 200 blocks wide. Eight backgrounds (skies and hills, two of
// them scrolling by themselves), blocks of both draw layers in every cell of the view (the
// floor behind, ladders in front), sixty characters in view with marks, carried items and
// HP gauges that keep changing, coins, the status bar and the time limit.
cEdStage MakeBenchStage() {
    constexpr int kWidth = 200;
    cEdStage stage = StageFrame(kWidth, 999, "bench");
    stage.vecBlockPalette.push_back(Block("Ladder", 5, 0));
    stage.vecBlockPalette[stage.vecBlockPalette.Size() - 1].nDrawLayer = 1;
    stage.vecBlockPalette.push_back(Block("Bricks", 6, 0));
    const int ladder = static_cast<int>(stage.vecBlockPalette.Size()) - 2;
    const int bricks = ladder + 1;
    cEdChara busy = Chara("Busy", 2, 1, 100000);
    busy.nBodyPower = 0;
    busy.bEmblem = 1;
    busy.nEmblem = 3;
    busy.vecFlow = BusyFlows();
    stage.vecCharaPalette.push_back(busy);
    const int busyIndex = static_cast<int>(stage.vecCharaPalette.Size()) - 1;
    for (int x = 0; x < kWidth; ++x) {
        PlaceBlock(stage, kFloor, x, 13);
        PlaceBlock(stage, kFloor, x, 14);
        for (int y = 0; y < 13; ++y) {
            const bool front = (x + y) % 2 == 0;
            stage.vecBlock.push_back(Placed(stage.vecBlockPalette, front ? ladder : bricks, x, y));
        }
    }
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kHero, 2, 12));
    for (int i = 0; i < 60; ++i) {
        cEdChara placed =
            PlacedChara(stage.vecCharaPalette, busyIndex, 1 + (i % 19), 2 + (i / 19) * 3);
        placed.nPlaceValue = static_cast<std::int32_t>(stage.vecItem.Size());
        stage.vecItem.push_back(Placed(stage.vecItemPalette, kHeart, 1 + (i % 19), 1));
        stage.vecChara.push_back(placed);
    }
    for (int x = 3; x < kWidth; x += 2)
        stage.vecItem.push_back(Placed(stage.vecItemPalette, kCoin, x, 11));
    stage.vecBackground.resize(8);
    for (int i = 0; i < 8; ++i) {
        cEdBackground& background = stage.vecBackground[i];
        background.SetDefaults();
        background.nLayer = 0;
        background.bAutoScrollX = i % 4 == 0 ? 1 : 0;
        background.dRateX = i % 4 == 0 ? 0.25 : 0.2 + 0.1 * i;
        background.dRateY = 0.0;
        background.strImage = "bmp\\back\\Back" + std::to_string(i + 1) + ".bmp";
    }
    return stage;
}

// The stage of the volley benchmark: one screen, the hero and a storm that fires the largest
// volley the editor allows every tenth of a second.
cEdStage MakeVolleyStage() {
    cEdStage stage = StageFrame(20, 0, "volley");
    cEdChara storm = Chara("Storm", 3, 1, 1000);
    storm.nBodyPower = 0;
    storm.vecFlow = StormFlows();
    stage.vecCharaPalette.push_back(storm);
    for (int x = 0; x < 20; ++x) {
        PlaceBlock(stage, kFloor, x, 13);
        PlaceBlock(stage, kFloor, x, 14);
    }
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kHero, 3, 12));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, 4, 10, 12));
    AddBackgrounds(stage, 2);
    return stage;
}

// The layers stage: objects drawn in their Z order. On a ledge, a coin lies over a walker, a
// flyer hovers in front of a walker, a ladder of the front block layer stands over a walker
// and a walker stands in front of a heart; hills of the front background layer hide the
// floor.
cEdStage MakeLayersStage() {
    cEdStage stage = StageFrame(20, 0, "layers");
    stage.bLayered = 1;
    FloorAndWalls(stage, 20);
    AddBackgrounds(stage, 1);
    cEdBackground front;
    front.SetDefaults();
    front.nLayer = 1;
    front.dRateX = 1.0;
    front.dRateY = 0.0;
    front.strImage = "bmp\\back\\Back4.bmp";
    stage.vecBackground.push_back(front);
    stage.vecBlockPalette.push_back(Block("Ladder", 5, 0));
    stage.vecBlockPalette[stage.vecBlockPalette.Size() - 1].nDrawLayer = 1;
    const auto ladder = static_cast<SampleBlock>(stage.vecBlockPalette.Size() - 1);
    for (int x = 2; x < 18; ++x) PlaceBlock(stage, kFloor, x, 5);
    PlaceBlock(stage, ladder, 12, 4);
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kHero, 3, 4));
    // Placed objects inherit their Z from the palette: one entry per kind and Z.
    const auto chara = [&](SampleChara kind, int x, int z) {
        cEdChara entry = stage.vecCharaPalette[kind];
        entry.nZ = static_cast<std::int8_t>(z);
        stage.vecCharaPalette.push_back(entry);
        const int index = static_cast<int>(stage.vecCharaPalette.Size()) - 1;
        stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, index, x, 4));
    };
    const auto item = [&](SampleItem kind, int x, int z) {
        cEdItem entry = stage.vecItemPalette[kind];
        entry.nField10 = static_cast<std::int8_t>(z);
        stage.vecItemPalette.push_back(entry);
        const int index = static_cast<int>(stage.vecItemPalette.Size()) - 1;
        stage.vecItem.push_back(Placed(stage.vecItemPalette, index, x, 4));
    };
    chara(kWalker, 6, 0);
    item(kCoin, 6, 1);
    chara(kWalker, 9, 1);
    chara(kFlyer, 9, 3);
    chara(kWalker, 12, 7);
    chara(kWalker, 15, 2);
    item(kHeart, 15, 0);
    return stage;
}

bool WriteStage(const std::string& folder, const std::string& name, cEdStage&& stage) {
    // As the editor saves a palette it has read: entry 0 holds the fixed defaults, so the
    // file reads back exactly as written.
    SetEntryZeroDefaults(
        PaletteLists{&stage.vecBlockPalette, &stage.vecCharaPalette, &stage.vecItemPalette});
    return WriteFileBytes(folder + "stg4/" + name, stage.SaveToBytes());
}

}  // namespace

cEdStage WalledSampleStage(int width, const char* text, int backgroundVariant) {
    cEdStage stage = StageFrame(width, 0, text);
    FloorAndWalls(stage, width);
    AddBackgrounds(stage, backgroundVariant);
    return stage;
}

void PlaceSampleChara(cEdStage& stage, int index, int x, int y) {
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, index, x, y));
}

void PlaceSampleItem(cEdStage& stage, int index, int x, int y) {
    stage.vecItem.push_back(Placed(stage.vecItemPalette, index, x, y));
}

bool WriteSampleCommonPalette(const std::string& folder) {
    cEdCommonPalette palette;
    palette.vecBlock.push_back(Block("Brick", 4, 1));
    palette.vecChara.push_back(Chara("Bat", 4, 1, 1));
    palette.vecItem.push_back(Item("Gem", 3));
    SetEntryZeroDefaults(palette.Lists());
    return WriteFileBytes(folder + "CommonPalette.cplt4", palette.SaveToBytes());
}

namespace {

// The tile types of the sample map (the defaults of a new map): 0 to 4 bar the way.
enum SampleTile {
    kTileSea = 0,
    kTileMountain = 1,
    kTileWall = 3,
    kTileRoad = 5,
    kTileGrass = 6,
    kTileSand = 8
};

// One stage entry of a node.
cEdMapStage MapEntry(int kind, int iconRow, int clearSwitch, const char* title,
                     const char* stageFile) {
    cEdMapStage entry;
    entry.nKind = kind;
    entry.nIconRow = iconRow;
    entry.nClearedSwitch = clearSwitch;
    entry.strTitle = title;
    entry.strStageFile = stageFile;
    return entry;
}

}  // namespace

bool WriteSampleWorldMap(const std::string& folder) {
    cEdWorldMap map;
    map.SetDefaults();
    // An island in the sea, larger than the screen, on the sea picture that shows through the
    // sea tiles and beyond the map's edges.
    map.SetSize(32, 20);
    map.bBgPicture = 1;
    map.strBgPicture = "bmp\\WorldSea.bmp";
    map.nBgColour = 16 + 16 * 8 + 3;
    const auto set = [&map](int x, int y, int type) {
        map.vecGrid[(y << map.nPitchShift) + x] = type;
    };
    for (int y = 2; y < 18; ++y)
        for (int x = 1; x < 30; ++x)
            set(x, y, y == 2 || y == 17 || x == 1 || x == 29 ? kTileSand : kTileGrass);
    // The road along row 7 from the start cell past the stage nodes, walled in on both sides
    // up to the first node; a branch down from column 4 to a boulder.
    for (int x = 2; x < 28; ++x) set(x, 7, kTileRoad);
    for (int x = 3; x < 6; ++x) {
        set(x, 6, kTileWall);
        set(x, 8, kTileWall);
    }
    for (int y = 8; y < 12; ++y) set(4, y, kTileRoad);
    // Mountains that bar the way south of the road.
    for (int y = 10; y < 15; ++y)
        for (int x = 16; x < 23; ++x) set(x, y, kTileMountain);
    map.nStartX = 2;
    map.nStartY = 7;

    const auto node = [&map](int x, int y, const char* name) -> cEdMapNode& {
        cEdMapNode& n = map.vecNodes.emplace_back();
        n.nX = x;
        n.nY = y;
        n.strName = name;
        n.vecStages.Clear();
        return n;
    };
    // The first stage: the hero is asked as soon as he steps onto it.
    node(6, 7, "Forest")
        .vecStages.push_back(MapEntry(0, 0, 1, "森のステージ", "data\\stg4\\forest-1.stg4"));
    // The cave asks only on the confirm button, may be played again, and its clear starts a
    // new round.
    cEdMapStage cave = MapEntry(0, 0, 2, "洞窟", "data\\stg4\\cave.stg4");
    cave.bNoAutoConfirm = 1;
    cave.bReplay = 1;
    cave.nAfterClear = 1;
    node(12, 7, "Cave").vecStages.push_back(cave);
    // A boulder on the road's branch: kind 2 bars the passable road.
    node(4, 9, "Boulder").vecStages.push_back(MapEntry(2, 2, 0, "", ""));
    // A castle that opens with switch 5; until then a signpost (a kind that does nothing)
    // stands there. Its clear returns to the title.
    cEdMapStage castle = MapEntry(0, 1, 3, "城", "data\\stg4\\forest-2.stg4");
    castle.nRequiredSwitch = 5;
    castle.nAfterClear = 2;
    cEdMapNode& gate = node(20, 7, "Castle");
    gate.vecStages.push_back(castle);
    gate.vecStages.push_back(MapEntry(3, 3, 0, "", ""));
    return WriteFileBytes(folder + "WorldMap.dat", map.SaveToBytes());
}

bool WriteSampleStages(const std::string& folder) {
    // The forest stages end at a goal before their right wall.
    bool ok = WriteStage(folder, "forest-1.stg4_000",
                         WithGoal(MakeStage(40, {20, 21, 30}, 1, 200), kForestGoalColumn));
    // A later version of the first stage: the player must pick the highest number.
    ok = WriteStage(folder, "forest-1.stg4_001", WithGoal(MakeForestStage(), kForestGoalColumn)) &&
         ok;
    ok =
        WriteStage(folder, "forest-2.stg4_000", WithGoal(MakeForest2Stage(), kForest2GoalColumn)) &&
        ok;
    ok = WriteStage(folder, "cave.stg4_000", MakeCaveStage()) && ok;
    ok = WriteStage(folder, "c01-1.stg4_000", MakeStage(25, {12}, 7, 120)) && ok;
    ok = WriteStage(folder, "test-fall.stg4_000", MakeFallStage()) && ok;
    ok = WriteStage(folder, "test-play.stg4_000", MakePlayTestStage()) && ok;
    ok = WriteStage(folder, "test-hits.stg4_000", MakeHitsStage()) && ok;
    ok = WriteStage(folder, "test-code.stg4_000", MakeCodeStage()) && ok;
    ok = WriteStage(folder, "test-blocks.stg4_000", MakeBlocksStage()) && ok;
    ok = WriteStage(folder, "test-commands.stg4_000", MakeCommandsStage()) && ok;
    ok = WriteStage(folder, "bench-heavy.stg4_000", MakeBenchStage()) && ok;
    ok = WriteStage(folder, "test-shoot.stg4_000", MakeShootStage()) && ok;
    ok = WriteStage(folder, "bench-volley.stg4_000", MakeVolleyStage()) && ok;
    ok = WriteStage(folder, "test-layers.stg4_000", MakeLayersStage()) && ok;
    ok = WriteStage(folder, "test-replay.stg4_000", MakeReplayStage()) && ok;
    ok = WriteStage(folder, "test-show.stg4_000", MakeShowStage(MakeStage(20, {}, 3, 0))) && ok;
    ok = WriteSamplePresentStage(folder) && ok;
    ok = WriteStage(folder, "test-power.stg4_000", MakePowerStage()) && ok;
    ok = WriteStage(folder, "test-talk.stg4_000", MakeTalkStage(MakeStage(20, {}, 3, 0))) && ok;
    return ok;
}

}  // namespace gen

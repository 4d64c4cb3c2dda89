#include "gen/sample_stages.h"

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
    stage.vecCharaPalette.push_back(Chara("Walker", 2, 1, 2));
    stage.vecCharaPalette.push_back(Chara("Flyer", 3, 1, 1));
    stage.vecItemPalette.resize(1);
    stage.vecItemPalette.push_back(Item("Coin", 1));
    stage.vecItemPalette.push_back(Item("Heart", 2));
}

void PlaceBlock(cEdStage& stage, SampleBlock block, int x, int y) {
    stage.vecBlock.push_back(Placed(stage.vecBlockPalette, block, x, y));
}

// A far picture layer and a near one that moves with the stage.
void AddBackgrounds(cEdStage& stage, int variant) {
    stage.vecBackground.resize(2);
    for (int i = 0; i < 2; ++i) {
        cEdBackground& background = stage.vecBackground[i];
        background.SetDefaults();
        background.nLayer = i;
        background.dRateX = i == 0 ? 0.25 : 1.0;
        background.dRateY = i == 0 ? 0.0 : 1.0;
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
    FillPalettes(stage);
    return stage;
}

cEdStage MakeStage(int width, std::initializer_list<int> pits, int backgroundVariant,
                   int timeLimit) {
    cEdStage stage = StageFrame(width, timeLimit, "sample");

    for (int x = 0; x < width; ++x) {
        bool pit = false;
        for (int p : pits) pit = pit || p == x;
        if (pit) continue;
        PlaceBlock(stage, kFloor, x, 13);
        PlaceBlock(stage, kFloor, x, 14);
    }
    for (int y = 0; y < 13; ++y) {
        PlaceBlock(stage, kWall, 0, y);
        PlaceBlock(stage, kWall, width - 1, y);
    }
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
    stage.vecCharaPalette.push_back(patroller);
    cEdChara hopper = Chara("Hopper", 3, 1, 2);
    hopper.nBodyPower = 0;
    hopper.vecFlow = HopperFlows();
    stage.vecCharaPalette.push_back(hopper);
    cEdChara waiter = Chara("Waiter", 2, 1, 2);
    waiter.nBodyPower = 0;
    waiter.vecFlow = WaiterFlows(kPlayTestTimeLimit);
    stage.vecCharaPalette.push_back(waiter);

    for (int x = 0; x < kPlayTestWidth; ++x) {
        if (x == 9 || x == 10) continue;
        PlaceBlock(stage, kFloor, x, 13);
        PlaceBlock(stage, kFloor, x, 14);
    }
    for (int y = 0; y < 13; ++y) {
        PlaceBlock(stage, kWall, 0, y);
        PlaceBlock(stage, kWall, kPlayTestWidth - 1, y);
    }
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
    stage.vecCharaPalette.push_back(brute);
    cEdChara guard = Chara("Guard", 3, 1, 50);
    guard.nBodyPower = 4;
    guard.nDefense = 5;
    stage.vecCharaPalette.push_back(guard);
    cEdItem gem = Item("Gem", 3);
    gem.nTakeSound = 3;
    stage.vecItemPalette.push_back(gem);
    cEdItem spring = Item("Spring", 4);
    spring.nTakeMode = 1;
    spring.nTakeSound = 2;
    stage.vecItemPalette.push_back(spring);
    // The coin of this stage rings too.
    stage.vecItemPalette[kCoin].nTakeSound = 1;

    for (int x = 0; x < kHitsWidth; ++x) {
        PlaceBlock(stage, kFloor, x, 13);
        PlaceBlock(stage, kFloor, x, 14);
    }
    for (int y = 0; y < 13; ++y) {
        PlaceBlock(stage, kWall, 0, y);
        PlaceBlock(stage, kWall, kHitsWidth - 1, y);
    }
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

    for (int x = 0; x < kCodeWidth; ++x) {
        PlaceBlock(stage, kFloor, x, 13);
        PlaceBlock(stage, kFloor, x, 14);
    }
    for (int y = 0; y < 13; ++y) {
        PlaceBlock(stage, kWall, 0, y);
        PlaceBlock(stage, kWall, kCodeWidth - 1, y);
    }
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kHero, 3, 12));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kLapper, 8, 12));
    stage.vecChara.push_back(PlacedChara(stage.vecCharaPalette, kGlitch, 16, 12));

    AddBackgrounds(stage, 5);
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

    for (int x = 0; x < kShootWidth; ++x) {
        PlaceBlock(stage, kFloor, x, 13);
        PlaceBlock(stage, kFloor, x, 14);
    }
    for (int y = 0; y < 13; ++y) {
        PlaceBlock(stage, kWall, 0, y);
        PlaceBlock(stage, kWall, kShootWidth - 1, y);
    }
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

bool WriteStage(const std::string& folder, const std::string& name, cEdStage&& stage) {
    // As the editor saves a palette it has read: entry 0 holds the fixed defaults, so the
    // file reads back exactly as written.
    SetEntryZeroDefaults(
        PaletteLists{&stage.vecBlockPalette, &stage.vecCharaPalette, &stage.vecItemPalette});
    return WriteFileBytes(folder + "stg4/" + name, stage.SaveToBytes());
}

}  // namespace

bool WriteSampleCommonPalette(const std::string& folder) {
    cEdCommonPalette palette;
    palette.vecBlock.push_back(Block("Brick", 4, 1));
    palette.vecChara.push_back(Chara("Bat", 4, 1, 1));
    palette.vecItem.push_back(Item("Gem", 3));
    SetEntryZeroDefaults(palette.Lists());
    return WriteFileBytes(folder + "CommonPalette.cplt4", palette.SaveToBytes());
}

bool WriteSampleWorldMap(const std::string& folder) {
    cEdWorldMap map;
    map.SetDefaults();
    // A road (type 5, passable) along row 7 from the start cell to the two stage nodes.
    for (int x = 2; x < 18; ++x) map.vecGrid[(7 << map.nPitchShift) + x] = 5;
    map.nStartX = 2;
    map.nStartY = 7;
    const char* const stages[] = {"data\\stg4\\forest-1.stg4", "data\\stg4\\cave.stg4"};
    for (int i = 0; i < 2; ++i) {
        cEdMapNode node;
        node.nX = 6 + 8 * i;
        node.nY = 7;
        node.strName = i == 0 ? "Forest" : "Cave";
        node.vecStages[0].nClearedSwitch = 1 + i;
        node.vecStages[0].strStageFile = stages[i];
        map.vecNodes.push_back(node);
    }
    return WriteFileBytes(folder + "WorldMap.dat", map.SaveToBytes());
}

bool WriteSampleStages(const std::string& folder) {
    bool ok = WriteStage(folder, "forest-1.stg4_000", MakeStage(40, {20, 21, 30}, 1, 200));
    // A later version of the first stage: the player must pick the highest number.
    cEdStage forest = MakeStage(40, {20, 21}, 1, 200);
    // The first stage opens with the stage caption and its series number.
    forest.bStartCaption = 1;
    forest.bStartCaption2 = 0;
    ok = WriteStage(folder, "forest-1.stg4_001", std::move(forest)) && ok;
    ok = WriteStage(folder, "forest-2.stg4_000", MakeStage(30, {15}, 3, 150)) && ok;
    ok = WriteStage(folder, "cave.stg4_000", MakeStage(20, {}, 5, 0)) && ok;
    ok = WriteStage(folder, "c01-1.stg4_000", MakeStage(25, {12}, 7, 120)) && ok;
    ok = WriteStage(folder, "test-fall.stg4_000", MakeFallStage()) && ok;
    ok = WriteStage(folder, "test-play.stg4_000", MakePlayTestStage()) && ok;
    ok = WriteStage(folder, "test-hits.stg4_000", MakeHitsStage()) && ok;
    ok = WriteStage(folder, "test-code.stg4_000", MakeCodeStage()) && ok;
    ok = WriteStage(folder, "test-shoot.stg4_000", MakeShootStage()) && ok;
    ok = WriteStage(folder, "bench-volley.stg4_000", MakeVolleyStage()) && ok;
    return ok;
}

}  // namespace gen

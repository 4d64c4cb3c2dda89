// The presentation stage, one screen wide: the hero stands on the floor while a director
// character's flow plays the presentation commands one after the other: a sound effect and
// a new look for itself, a blue tint that grows and then fades back, three white flashes,
// and the stage tune started again from its beginning.
#include <cstdint>
#include <initializer_list>
#include <string>

#include "data/common_palette.h"
#include "data/palette_inheritance.h"
#include "data/stage_record.h"
#include "gen/bmp_writer.h"
#include "gen/sample_flows.h"
#include "gen/sample_sounds.h"
#include "gen/sample_stages.h"

namespace gen {

namespace {

constexpr int kWidth = 20;
constexpr int kHeight = 15;
// The command types the director uses.
constexpr int kCmdWait = 1;
constexpr int kCmdChangeGraphic = 26;
constexpr int kCmdScreenColor = 33;
constexpr int kCmdSe = 35;
constexpr int kCmdBgm = 36;
constexpr int kCharaGraphicKind = 1;

cEdCommand Command(int type, int tenths, std::initializer_list<std::int32_t> params) {
    cEdCommand cmd;
    cmd.nCmdType = static_cast<std::int8_t>(type);
    cmd.nTime = static_cast<std::int16_t>(tenths);
    for (std::int32_t p : params) cmd.vecParam.push_back(p);
    return cmd;
}

CheckedVector<cEdFlow> DirectorFlows() {
    cEdFlow flow;
    flow.nTrigger = 0;  // always: it starts with the stage and ends in its long last wait
    auto& c = flow.vecCommand;
    c.push_back(Command(kCmdWait, kPresentLeadTenths, {}));
    c.push_back(Command(kCmdSe, 0, {kJumpSound}));
    c.push_back(Command(kCmdChangeGraphic, 0, {kCharaGraphicKind, kPresentNewGraphic, 0}));
    c.push_back(Command(kCmdScreenColor, 0, {0, 0, 255, 60, 0, kPresentTintTenths, 0, 0}));
    c.push_back(Command(kCmdWait, kPresentTintHoldTenths, {}));
    c.push_back(Command(kCmdScreenColor, 0, {0, 0, 0, 0, 1, kPresentTintTenths / 2, 0, 0}));
    c.push_back(Command(kCmdWait, kPresentTintTenths, {}));
    c.push_back(Command(kCmdScreenColor, 0,
                        {255, 255, 255, 100, 0, kPresentFlashTenths, 1, kPresentFlashes}));
    c.push_back(Command(kCmdWait, kPresentFlashWaitTenths, {}));
    c.push_back(Command(kCmdBgm, 0, {kStageMusic, 1}));
    c.push_back(Command(kCmdWait, 9999, {}));
    CheckedVector<cEdFlow> flows;
    flows.push_back(flow);
    return flows;
}

cEdChara Actor(const char* name, int graphic, int control) {
    cEdChara chara;
    chara.strName = name;
    chara.nGraphic = static_cast<std::int16_t>(graphic);
    chara.nControl = static_cast<std::int8_t>(control);
    chara.nSide = static_cast<std::int8_t>(control);
    chara.nMaxHp = 10;
    return chara;
}

// A placed copy of stage palette entry `index` at block (x, y), inheriting every group.
template <class T>
void Place(CheckedVector<T>& placed, const CheckedVector<T>& palette, int index, int x, int y) {
    T& object = placed.emplace_back(palette[index]);
    object.nInheritKind = PALETTE_STAGE;
    object.nInheritIndex = static_cast<std::int16_t>(index);
    for (auto& flag : object.vecInherit) flag = 1;
    object.nPlaceX = static_cast<std::int16_t>(x);
    object.nPlaceY = static_cast<std::int16_t>(y);
}

}  // namespace

bool WriteSamplePresentStage(const std::string& folder) {
    cEdStage stage;
    stage.SetDefaults();
    stage.nWidth = kWidth;
    stage.nHeight = kHeight;
    // The map has ten blocks of margin on every side; the extents leave out the view.
    stage.nExtentX = (kWidth + 20) * 32 - 640;
    stage.nExtentY = (kHeight + 20) * 32 - 640;
    stage.strText = "present";
    stage.nBgm = kStageMusic;
    stage.nBgmParam = 1;

    stage.vecBlockPalette.resize(1);
    cEdBlock& floor = stage.vecBlockPalette.emplace_back();
    floor.strName = "Floor";
    floor.nGraphic = 1;
    floor.nHitType = 1;
    stage.vecCharaPalette.resize(1);
    cEdChara hero = Actor("Hero", 1, 0);
    hero.nFacing = 1;
    hero.vecFlow = HeroFlows();
    stage.vecCharaPalette.push_back(hero);
    cEdChara director = Actor("Director", 2, 1);
    director.vecFlow = DirectorFlows();
    stage.vecCharaPalette.push_back(director);
    stage.vecItemPalette.resize(1);

    for (int x = 0; x < kWidth; ++x)
        for (int y = kHeight - 2; y < kHeight; ++y)
            Place(stage.vecBlock, stage.vecBlockPalette, 1, x, y);
    Place(stage.vecChara, stage.vecCharaPalette, 1, 2, 12);
    Place(stage.vecChara, stage.vecCharaPalette, 2, kPresentDirectorColumn, 12);
    stage.vecChara[0].nPlaceValue = -1;
    stage.vecChara[1].nPlaceValue = -1;

    // A sky and, over it, hills (in place of the editor's default); both still, so that the
    // tint is all that changes them.
    stage.vecBackground.Clear();
    for (const char* image : {"bmp\\back\\Back3.bmp", "bmp\\back\\Back4.bmp"}) {
        cEdBackground& back = stage.vecBackground.emplace_back();
        back.SetDefaults();
        back.strImage = image;
    }

    SetEntryZeroDefaults(
        PaletteLists{&stage.vecBlockPalette, &stage.vecCharaPalette, &stage.vecItemPalette});
    return WriteFileBytes(folder + "stg4/test-present.stg4_000", stage.SaveToBytes());
}

}  // namespace gen

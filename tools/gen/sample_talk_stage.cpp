// The talk stage: one screen, the hero at column 2 and a signpost at column 6 that speaks
// when the hero comes near: a key-wait message over it, a second one that follows at once,
// then a one-second pause of the whole game; after that it keeps silent (a common variable
// remembers the talk).
#include <cstdint>
#include <string>
#include <utility>

#include "data/stage_record.h"
#include "gen/sample_stages.h"

namespace gen {

namespace {

constexpr int kTriggerAlways = 0;
constexpr int kCmdGameWait = 18;
constexpr int kCmdMessage = 19;
constexpr int kCmdRunCode = 37;
constexpr int kMessageParams = 18;
constexpr int kCondCommonVar = 1;
constexpr int kCondDistance = 7;
constexpr int kWhoseHero = 0;
constexpr int kDistanceWithin = 0;
constexpr int kShapeCircle = 6;
constexpr int kOpEqual = 0;
constexpr int kAboveSelf = 1;

cEdCommand Message(const char* text, int zoom) {
    cEdCommand cmd;
    cmd.nCmdType = kCmdMessage;
    cmd.vecParam.resize(kMessageParams, 0);
    cmd.vecParam[0] = kAboveSelf;
    cmd.vecParam[5] = 1;  // kept inside the screen
    cmd.vecParam[8] = 1;  // the game waits
    cmd.vecParam[9] = 1;  // the codes of the text are expanded
    cmd.vecParam[14] = zoom;
    cmd.strText = text;
    return cmd;
}

}  // namespace

cEdStage MakeTalkStage(cEdStage stage) {
    // Only the hero of the frame stays, where it stands; nothing else moves.
    while (stage.vecChara.Size() > 1) stage.vecChara.pop_back();
    stage.vecItem.Clear();

    cEdFlow talk;
    talk.nTrigger = kTriggerAlways;
    talk.bKeyLevel = 1;
    cEdCondition near;
    near.nKind = kCondDistance;
    near.nWhose = kWhoseHero;
    near.nOp = kDistanceWithin;
    near.nShape = kShapeCircle;
    near.nValue = kTalkReachHbl;
    talk.vecCondition.push_back(near);
    cEdCondition silent;
    silent.nKind = kCondCommonVar;
    silent.nVarIndex = kTalkDoneVariable;
    silent.nOp = kOpEqual;
    silent.nValue = 0;
    talk.vecCondition.push_back(silent);
    // 「こんにちは！ 森へようこそ。」 / 「コインは #C1_3Z 枚。」
    talk.vecCommand.push_back(
        Message("\x82\xb1\x82\xf1\x82\xc9\x82\xbf\x82\xcd\x81\x49\n"
                "\x90\x58\x82\xd6\x82\xe6\x82\xa4\x82\xbb\x81\x42",
                1));
    talk.vecCommand.push_back(
        Message("\x83\x52\x83\x43\x83\x93\x82\xcd #C1_3Z \x96\x87\x81\x42", 1));
    cEdCommand pause;
    pause.nCmdType = kCmdGameWait;
    pause.vecParam.resize(1, 0);
    pause.vecParam[0] = kTalkPauseTenths;
    talk.vecCommand.push_back(pause);
    cEdCommand done;
    done.nCmdType = kCmdRunCode;
    done.strText = "C" + std::to_string(kTalkDoneVariable) + " = 1";
    talk.vecCommand.push_back(done);

    // The signpost: a character of the hero's side that does nothing but talk.
    cEdChara sign = stage.vecCharaPalette[kTalkPaletteWalker];
    sign.strName = "Signpost";
    sign.nSide = 0;
    sign.nBodyPower = 0;
    sign.bEmblem = 0;
    sign.vecFlow.Clear();
    sign.vecFlow.push_back(std::move(talk));
    stage.vecCharaPalette.push_back(sign);
    // Placed as the hero is: inheriting every property group from its palette entry.
    const int index = static_cast<int>(stage.vecCharaPalette.Size()) - 1;
    cEdChara placed = stage.vecCharaPalette[index];
    placed.nInheritKind = stage.vecChara[0].nInheritKind;
    placed.nInheritIndex = static_cast<std::int16_t>(index);
    placed.vecInherit = stage.vecChara[0].vecInherit;
    placed.nPlaceX = static_cast<std::int16_t>(kTalkSignColumn);
    placed.nPlaceY = stage.vecChara[0].nPlaceY;
    placed.nPlaceValue = -1;
    stage.vecChara.push_back(placed);
    stage.strText = "talk";
    return stage;
}

}  // namespace gen

// The "test-show" stage: the sample stage's walker puts on a show for the hero standing by.
// It shows the hit effect on itself, then the same effect large in the screen's centre while
// the game waits for it to play once, then a picture twice its size, managed by an ID, which
// it closes by that ID two seconds later; and again after a pause.
#include <cstdint>
#include <initializer_list>
#include <utility>

#include "data/command_record.h"
#include "data/flow_records.h"
#include "data/stage_record.h"
#include "gen/sample_stages.h"

namespace gen {

namespace {

constexpr int kTriggerAlways = 0;
constexpr int kCmdWait = 1;
constexpr int kCmdEffect = 29;
constexpr int kCmdPicture = 32;
// The walker's entry in the stage palette (0 is the fixed entry, 1 the hero).
constexpr int kWalkerEntry = 2;
// Display positions of the effect and picture commands.
constexpr int kOnScreenCentre = 0;
constexpr int kOnActorCentre = 1;
// The sample's hit effect.
constexpr int kHitEffect = 1;
// The picture stays until it is closed, in front of the actors, fixed to the screen.
constexpr int kUntilStageEnd = 1;
constexpr int kFrontLayer = 1;

cEdCommand Command(int type, std::initializer_list<std::int32_t> params, int tenths = 0) {
    cEdCommand cmd;
    cmd.nCmdType = static_cast<std::int8_t>(type);
    cmd.nTime = static_cast<std::int16_t>(tenths);
    for (std::int32_t p : params) cmd.vecParam.push_back(p);
    return cmd;
}

// Effect parameters: number, position, block x and y, dot x and y, scale, wait.
cEdCommand Effect(int position, int scale, int wait) {
    return Command(kCmdEffect, {kHitEffect, position, 0, 0, 0, 0, scale, wait});
}

// Picture parameters: number, position, block x and y, dot x and y, layer, scale, duration
// kind, time, wait, fixed, by ID, ID, one frame.
cEdCommand Picture(int number, int scale) {
    return Command(kCmdPicture, {number, kOnScreenCentre, 0, 0, 0, 0, kFrontLayer, scale,
                                 kUntilStageEnd, 0, 0, 1, 1, kShowPictureId, 0});
}

CheckedVector<cEdFlow> ShowFlows() {
    cEdFlow flow;
    flow.nTrigger = kTriggerAlways;
    for (const cEdCommand& cmd :
         {Command(kCmdWait, {}, kShowPauseTenths), Effect(kOnActorCentre, 200, 0),
          Command(kCmdWait, {}, kShowPauseTenths), Effect(kOnScreenCentre, kShowEffectScale, 1),
          Command(kCmdWait, {}, kShowPauseTenths), Picture(kShowPicture, kShowPictureScale),
          Command(kCmdWait, {}, kShowPictureTenths), Picture(0, 100)})
        flow.vecCommand.push_back(cmd);
    CheckedVector<cEdFlow> flows;
    flows.push_back(std::move(flow));
    return flows;
}

}  // namespace

cEdStage MakeShowStage(cEdStage stage) {
    stage.strText = "show";
    // The walker's placements inherit its flows from the palette; they carry a copy too.
    stage.vecCharaPalette[kWalkerEntry].vecFlow = ShowFlows();
    for (cEdChara& placed : stage.vecChara)
        if (placed.nInheritIndex == kWalkerEntry) placed.vecFlow = ShowFlows();
    return stage;
}

}  // namespace gen

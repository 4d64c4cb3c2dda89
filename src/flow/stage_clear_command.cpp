#include "flow/stage_clear_command.h"

#include <cstdint>
#include <string>

#include "base/log.h"
#include "base/message_box.h"
#include "base/paths.h"
#include "data/command_record.h"
#include "data/world_map.h"
#include "flow/flow_instance.h"
#include "scene/game_progress.h"
#include "stage/game_scene.h"
#include "stage/hero_actor.h"
#include "stage/stage_objects.h"

namespace {

constexpr int kFacingAsAtClear = 2;
// The result of the command: the stage is cleared.
constexpr int kStageCleared = 1;

// The map coordinate lowered to the last cell of an axis of `cells`; negative values stay.
std::int32_t LowerToMap(std::int32_t value, std::int32_t cells) {
    const std::int64_t last = std::int64_t{cells} - 1;
    return value >= last ? static_cast<std::int32_t>(last) : value;
}

}  // namespace

int CmdStageClear(cActorBase&, cEdCommand& cmd) {
    int goal = cmd.vecParam[0];
    if (goal < kClearNextStage || goal > kClearWorld) {
        ErrorLog("stage clear: goal %d taken as the next stage", goal);
        goal = kClearNextStage;
    }
    std::int32_t nextStage = 0;
    std::string nextBase;
    switch (goal) {
        case kClearNextStage:
            nextStage = static_cast<std::int32_t>(std::int64_t{Progress.m_nSeriesIndex} + 1);
            break;
        case kClearByNumber:
            nextStage = cmd.vecParam[1];
            break;
        case kClearByPath:
            nextStage = Progress.m_nSeriesIndex;
            if (cmd.strText.empty()) {
                ErrorBoxF(
                    "ステージファイル %s が不正です。\nステージファイルとして認識できません。", "");
                break;
            }
            // The file's base, kept in the command: "name.ext" and "name." both give "name.".
            StripExtension(cmd.strText);
            cmd.strText += '.';
            nextBase = cmd.strText;
            break;
        case kClearWorld:
            nextStage = 0;
            break;
    }
    if (lpGame) {
        lpGame->m_nNextStage = nextStage;
        lpGame->m_strNextStageBase = nextBase;
    }

    if (cmd.vecParam[2]) {
        Progress.m_nMapX = LowerToMap(cmd.vecParam[3], EdWorldMap.nWidth);
        Progress.m_nMapY = LowerToMap(cmd.vecParam[4], EdWorldMap.nHeight);
        Progress.m_nMapFacing = 0;  // facing down
    }
    if (cmd.vecParam[5]) {
        Progress.m_bWarpPos = 1;
        Progress.m_nWarpX = cmd.vecParam[6];
        Progress.m_nWarpY = cmd.vecParam[7];
        std::int32_t facing = cmd.vecParam[8];
        if (facing == kFacingAsAtClear) {
            const cHeroActor* hero = FirstHero();
            facing = hero ? hero->m_bFacingRight : 0;
        }
        Progress.m_nWarpDir = facing;
    } else {
        Progress.m_bWarpPos = 0;
    }
    return kStageCleared;
}

void StageClearEntry(cActorBase& actor, cCommandInstance& cmd) {
    if (!cmd.m_pCmd) return;
    const int result = CmdStageClear(actor, *cmd.m_pCmd);
    if (lpGame) lpGame->m_nStageResult = result;
}

#include "flow/presentation_commands.h"

#include <utility>

#include "base/window_requests.h"
#include "data/command_record.h"
#include "data/stage_record.h"
#include "flow/flow_install.h"
#include "flow/flow_instance.h"
#include "gfx/display.h"
#include "stage/actor.h"
#include "stage/bgm_request.h"
#include "stage/game_scene.h"
#include "stage/post_load_tables.h"

namespace {

// The play modes of the effects: 通常実行, 反転実行, 往復実行.
constexpr int kLastPlayMode = 2;
// What 背景の変更 does to the background's shown flag.
constexpr int kBackgroundShow = 0;
constexpr int kBackgroundHide = 1;
constexpr int kBackgroundToggle = 2;

// The fields the data gives as 8 and 16 bits wide are kept at that width, sign-extended.
std::int8_t Narrow8(std::int32_t value) {
    return static_cast<std::int8_t>(value);
}
std::int16_t Narrow16(std::int32_t value) {
    return static_cast<std::int16_t>(value);
}

// A play mode the program does not know plays forward.
int EffectPlayMode(std::int32_t mode) {
    return mode >= 0 && mode <= kLastPlayMode ? mode : 0;
}

}  // namespace

void CmdChangeGraphic(cActorBase& actor, const cEdCommand& cmd) {
    const std::int8_t kind = Narrow8(cmd.vecParam[0]);
    const std::int16_t number = Narrow16(cmd.vecParam[1]);
    const std::int16_t column = Narrow16(cmd.vecParam[2]);
    actor.m_Chara.nGraphicSource = kind;
    actor.m_nGraphicNo = number;
    actor.m_Chara.nGraphic = number;
    actor.m_Chara.nPatternBase = column;
}

void CmdChangeAnimeSet(cActorBase& actor, const cEdCommand& cmd) {
    SetAnimeSet(actor, Narrow16(cmd.vecParam[0]), 0);
}

void CmdAnime(cActorBase& actor, const cEdCommand& cmd) {
    const FlowInstance* flow = lpGame ? lpGame->m_pCurFlow : nullptr;
    AnimeEntry entry;
    entry.m_Pattern.m_vecSeq.push_back(AnimePatternTable[cmd.vecParam[0]]);
    entry.m_nFlowKey = flow ? flow->m_nKey : -1;
    entry.m_Pattern.SetSeq(0, 1);
    actor.m_listAnime.push_front(std::move(entry));
}

void CmdCharaEffect(cActorBase& actor, const cEdCommand& cmd) {
    actor.m_CharaEffect.Start(Narrow16(cmd.vecParam[0]), EffectPlayMode(cmd.vecParam[1]),
                              cmd.vecParam[2]);
}

void CmdScreenEffect(cActorBase&, const cEdCommand& cmd) {
    if (!lpGame) return;
    const std::int16_t number = Narrow16(cmd.vecParam[0]);
    lpGame->m_ScreenEffect.Start(number, EffectPlayMode(cmd.vecParam[1]), cmd.vecParam[2]);
    // Without an effect the frame is drawn straight to the back buffer again.
    if (number == 0 && lpDTCon && lpDTCon->bVirBackBuffer) D3DSetVirBackBuffer(0);
}

void CmdScreenColor(cActorBase&, const cEdCommand& cmd) {
    if (lpGame)
        lpGame->m_ScreenColor.Start(cmd.vecParam.data(), static_cast<int>(cmd.vecParam.Size()));
}

void CmdBackground(cActorBase&, const cEdCommand& cmd) {
    auto& list = EdStageWork.vecBackground;
    const std::int32_t number = cmd.vecParam[0];
    if (number < 1 || number > static_cast<std::int32_t>(list.Size())) return;
    std::int32_t& shown = list[number - 1].bShown;
    switch (cmd.vecParam[1]) {
        case kBackgroundShow:
            shown = 1;
            break;
        case kBackgroundHide:
            shown = 0;
            break;
        case kBackgroundToggle:
            shown = shown ? 0 : 1;
            break;
        default:
            break;
    }
}

void PlayOnScreenSe(const cActorBase& actor, const cEdCommand& cmd, std::int16_t sound) {
    if (cmd.bSoundOnScreen && !actor.m_bOnScreen) return;
    PlayDataSe(sound);
}

void CmdSe(cActorBase& actor, const cEdCommand& cmd) {
    PlayOnScreenSe(actor, cmd, Narrow16(cmd.vecParam[0]));
}

void CmdBgm(cActorBase&, const cEdCommand& cmd) {
    RequestBgm(cmd.vecParam[0], cmd.vecParam[1]);
}

#include "stage/bgm_request.h"

#include "base/globals.h"
#include "base/window_requests.h"
#include "platform/messages.h"
#include "scene/game_progress.h"

void RequestBgm(std::int32_t music, std::int32_t loop) {
    Progress.m_bBgmLoop = loop;
    plat::SendMessage(hWndMain, WM_USER_PLAYBGM, kBgmStageMusic, music);
}

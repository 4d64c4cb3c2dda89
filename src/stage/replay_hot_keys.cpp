// F1 and F2 during play: the current or the previous attempt is saved as a replay by the
// window thread while this thread waits.
#include "base/globals.h"
#include "base/window_requests.h"
#include "data/system_record.h"
#include "platform/clock.h"
#include "platform/keyboard.h"
#include "platform/messages.h"
#include "scene/replay_log.h"
#include "scene/scene_manager.h"
#include "stage/game_scene.h"

namespace {

constexpr int kSeConfirm = 1;
constexpr int kSeRefusal = 3;
// Calls between two refusal sounds while F1 or F2 is held over an empty log.
constexpr int kRefusalCooldown = 60;

int refusalCooldown = 0;

bool Held(int vk) {
    return (plat::GetAsyncKeyState(vk) & 0x8000) != 0;
}

}  // namespace

int CheckReplayHotKeys() {
    if (SceneMgr.m_nTitleChoice == TITLE_REPLAY || EdSystem.bReplay == 0) return 0;
    if (refusalCooldown > 0) --refusalCooldown;
    plat::WPARAM which = 0;
    const ReplayLog* log = nullptr;
    if (Held(VK_F1)) {
        log = &CurReplay;
    } else if (Held(VK_F2)) {
        log = &PrevReplay;
        which = 1;
    } else {
        return 0;
    }
    if (log->m_vecDirValue.empty()) {
        if (refusalCooldown <= 0) {
            PlaySystemSe(kSeRefusal);
            refusalCooldown = kRefusalCooldown;
        }
        return 0;
    }
    PlaySystemSe(kSeConfirm);
    bFileDialogDone = 0;
    plat::SendMessage(hWndMain, WM_USER_SAVEREPLAY, which, 0);
    // A closing program serves no more requests.
    while (bFileDialogDone == 0 && !plat::IsClosing()) plat::Sleep(1);
    return 1;
}

void ResetReplayHotKeys() {
    refusalCooldown = 0;
}

#include "shell/main_window.h"

#include "base/globals.h"
#include "base/log.h"
#include "base/thread.h"
#include "base/window_requests.h"
#include "data/database.h"
#include "data/system_record.h"
#include "gfx/restore.h"
#include "scene/game_progress.h"
#include "sound/bgm_manager.h"
#include "shell/window_request_steps.h"
#include "sound/sound_effects.h"
#include "stage/game_scene.h"

cWindowBase MainWnd;

namespace {

// A sound-effect slot; an index outside the slots is a checked access (slot 0 plays).
void PlaySoundEffectRequest(plat::WPARAM wParam) {
    DS_PlaySoundEffect(DSSoundData[static_cast<int>(wParam)], 0);
}

// Scene music 0 to 3 (lParam unused) or the stage's music record lParam (wParam 4).
void PlayMusicRequest(plat::WPARAM wParam, plat::LPARAM lParam) {
    if (wParam < kBgmStageMusic) {
        const int scene = static_cast<int>(wParam);
        const std::int32_t record = EdSystem.vecSceneBgm[scene];
        if (record == 0) {
            Bgm.Stop();
            return;
        }
        Bgm.SetSlotFile(scene, EdDatabase.vecBgm[record].strFile.c_str());
        Bgm.Play(0, scene, EdSystem.vecSceneBgmLoop[scene], 0, 1);
        return;
    }
    if (wParam != kBgmStageMusic) return;
    const int record = static_cast<int>(lParam);
    // The stage set-up's keep-music rule reads the stage music now playing.
    Progress.m_nStageBgm = record;
    Bgm.SetSlotFile(kBgmStageSlot, EdDatabase.vecBgm[record].strFile.c_str());
    if (record == 0)
        Bgm.Stop();
    else
        Bgm.Play(0, kBgmStageSlot, Progress.m_bBgmLoop, 0, 1);
}

// The close sequence, without one step:
// PLACEHOLDER(shell): a window-mode close saves "user_data\Window.dat" first, once the
// window placement exists.
void CloseSequence(plat::HWND hwnd) {
    bQuit = 1;
    if (thPause.Running()) {
        // A wait on the pause thread ends first; the play frame then asks again.
        ErrorLog("WM_CLOSE thPause.m_hThread");
        if (lpGame) lpGame->m_bCloseRequest = 1;
        plat::PostThreadMessage(thPause.ThreadId(), plat::WM_QUIT, 0, 0);
        return;
    }
    ErrorLog("WM_CLOSE 成功！");
    Bgm.Stop();
    // No worker may stay blocked in a request to this thread while it waits for them.
    plat::BeginClosing();
    thStageLoad.Exit();
    thPause.Exit();
    thRanking.Exit();
    ErrorLog("thPause.Exit()");
    thGame.Exit();
    ErrorLog("thGame.Exit()");
    plat::DestroyWindow(hwnd);
}

}  // namespace

plat::LRESULT MainWndProc(plat::HWND hwnd, std::uint32_t msg, plat::WPARAM wParam,
                          plat::LPARAM lParam) {
    switch (msg) {
        case plat::WM_DESTROY:
            ErrorLog("WM_DESTROY");
            hWndMain = nullptr;
            plat::PostQuitMessage(0);
            return 0;
        case plat::WM_CLOSE:
            CloseSequence(hwnd);
            return 0;
        case plat::WM_ACTIVATEAPP:
            bActiveApp = static_cast<int>(wParam);
            return 0;
        case plat::WM_KEYDOWN:
            if (wParam == 27) plat::PostMessage(hwnd, plat::WM_CLOSE, 0, 0);
            return 0;
        // Each request served is also a line of the error log, which the runs read back.
        case WM_USER_PLAYSE:
            ErrorLog("PlaySE %d", static_cast<int>(wParam));
            PlaySoundEffectRequest(wParam);
            return 0;
        case WM_USER_PLAYBGM:
            ErrorLog("PlayBGM %d %d", static_cast<int>(wParam), static_cast<int>(lParam));
            PlayMusicRequest(wParam, lParam);
            return 0;
        case WM_USER_NAMEENTRY:
            ServeNameEntryRequest();
            return 0;
        case WM_USER_LOADSTAGE:
            ServeLoadStageRequest();
            return 0;
        case WM_USER_LOADREPLAY:
            ServeLoadReplayRequest();
            return 0;
        case WM_USER_SAVEREPLAY:
            ServeSaveReplayRequest(wParam);
            return 0;
        case WM_USER_RESTORE:
            DDRestoreSurface();
            return 0;
        default:
            return 0;
    }
}

#include "shell/main_window.h"

#include "base/globals.h"
#include "base/log.h"
#include "base/thread.h"
#include "base/window_requests.h"
#include "data/database.h"
#include "data/system_ini.h"
#include "data/system_record.h"
#include "data/window_placement.h"
#include "gfx/display.h"
#include "gfx/restore.h"
#include "platform/display_window.h"
#include "platform/editor_link.h"
#include "platform/process_id.h"
#include "scene/game_progress.h"
#include "shell/startup.h"
#include "shell/window_request_steps.h"
#include "sound/bgm_manager.h"
#include "sound/sound_effects.h"
#include "stage/game_scene.h"

cMainWnd MainWnd;

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

// A window that is not minimised leaves its place for the next start; a full-screen run
// or one that never started leaves the file alone, and a failed write keeps the old one.
void SavePlacement(plat::HWND hwnd) {
    if (SystemIni.WindowMode == 0 || !bInitDone) return;
    if (plat::IsIconic(hwnd)) return;
    const plat::POINT corner = MainWnd.GetWindowPos();
    WindowPlacement.Set(corner.x, corner.y, MainWnd.rcClient.right - MainWnd.rcClient.left,
                        MainWnd.rcClient.bottom - MainWnd.rcClient.top,
                        plat::IsZoomed(hwnd) ? 1 : 0);
    SaveWindowPlacement();
}

void CloseSequence(plat::HWND hwnd) {
    if (!bInitDone) {
        // A close that start-up's own message pump meets: start-up is to fail once, and no
        // worker exists to be ended yet.
        bQuit = 1;
        plat::PostQuitMessage(0);
        return;
    }
    SavePlacement(hwnd);
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

// The client area on the screen, which the window-mode display draws to.
void RefreshClientScreen(plat::HWND hwnd) {
    plat::RECT client{};
    if (!plat::GetClientRect(hwnd, &client)) return;
    plat::POINT topLeft{client.left, client.top};
    plat::POINT bottomRight{client.right, client.bottom};
    plat::ClientToScreen(hwnd, &topLeft);
    plat::ClientToScreen(hwnd, &bottomRight);
    rcClientScreen = plat::RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

}  // namespace

plat::LRESULT cMainWnd::Dispatch(plat::HWND hwnd, std::uint32_t msg, plat::WPARAM wParam,
                                 plat::LPARAM lParam) {
    const plat::LRESULT result = cWindowBase::Dispatch(hwnd, msg, wParam, lParam);
    if (msg == plat::WM_CREATE) OnCreate(hwnd, lParam);
    return result;
}

void cMainWnd::NotifyEditorStart() {
    const std::int32_t value = 1;
    // The window's number for the editor is the process's: it names the test play.
    plat::SendEditorCopyData(hWnd ? static_cast<std::uint32_t>(plat::ProcessId()) : 0, 1, &value,
                             sizeof value);
}

void cMainWnd::NotifyEditorEnd(int result) {
    const std::int32_t value = result;
    plat::SendEditorCopyData(hWnd ? static_cast<std::uint32_t>(plat::ProcessId()) : 0, 0, &value,
                             sizeof value);
}

plat::LRESULT cMainWnd::WndProc(plat::HWND hwnd, std::uint32_t msg, plat::WPARAM wParam,
                                plat::LPARAM lParam) {
    hWnd = hwnd;
    UpdateMouse(false, 7);
    switch (msg) {
        case plat::WM_CREATE:
            bCreated = 1;
            return 0;
        case plat::WM_DESTROY:
            ErrorLog("WM_DESTROY");
            hWnd = nullptr;
            hWndMain = nullptr;
            // One end notification a run: a start that failed has sent its own.
            if (bEditorLaunch && bInitDone) NotifyEditorEnd(1);
            plat::PostQuitMessage(0);
            return 0;
        case plat::WM_MOVE:
            RefreshClientScreen(hwnd);
            ptWindow = GetWindowPos();
            return 0;
        case plat::WM_SIZE:
            RefreshStyle();
            return 0;
        case plat::WM_CLOSE:
            CloseSequence(hwnd);
            return 0;
        case plat::WM_ACTIVATEAPP:
            bActiveApp = static_cast<int>(wParam);
            return 0;
        case plat::WM_GETMINMAXINFO:
            if (!lpDTCon && lParam) GetMinMaxInfo(reinterpret_cast<MINMAXINFO*>(lParam));
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
        // The presenter shows every frame and applies the palette itself: painting and the
        // palette messages have nothing left to do.
        default:
            return 0;
    }
}

plat::LRESULT MainWndProc(plat::HWND hwnd, std::uint32_t msg, plat::WPARAM wParam,
                          plat::LPARAM lParam) {
    return MainWnd.WndProc(hwnd, msg, wParam, lParam);
}

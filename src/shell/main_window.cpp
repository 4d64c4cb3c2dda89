#include "shell/main_window.h"

#include <mutex>

#include "base/globals.h"
#include "base/log.h"
#include "base/thread.h"
#include "base/window_requests.h"
#include "gfx/restore.h"
#include "scene/game_progress.h"
#include "stage/game_scene.h"

namespace {

std::mutex requestsMutex;
std::vector<WindowRequest> requests;

void Record(std::uint32_t msg, plat::WPARAM wParam, plat::LPARAM lParam) {
    std::lock_guard lock(requestsMutex);
    requests.push_back({msg, wParam, lParam});
}

// The close sequence, without two steps:
// PLACEHOLDER(shell): a window-mode close saves "user_data\Window.dat" first, once the
// window placement exists.
// PLACEHOLDER(sound): the music stops before the threads are ended, once music exists.
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
        case WM_USER_PLAYSE:
            Record(msg, wParam, lParam);
            ErrorLog("PlaySE %d", static_cast<int>(wParam));
            return 0;
        case WM_USER_PLAYBGM:
            Record(msg, wParam, lParam);
            ErrorLog("PlayBGM %d %d", static_cast<int>(wParam), static_cast<int>(lParam));
            // The stage set-up's keep-music rule reads the stage music now playing.
            if (wParam == kBgmStageMusic) Progress.m_nStageBgm = static_cast<std::int32_t>(lParam);
            return 0;
        case WM_USER_RESTORE:
            DDRestoreSurface();
            return 0;
        default:
            return 0;
    }
}

std::vector<WindowRequest> WindowRequestsSoFar() {
    std::lock_guard lock(requestsMutex);
    return requests;
}

void ClearWindowRequests() {
    std::lock_guard lock(requestsMutex);
    requests.clear();
}

#include "stage/wait_threads.h"

#include "base/globals.h"
#include "base/input.h"
#include "base/thread.h"
#include "base/window_requests.h"
#include "data/system_record.h"
#include "gfx/display.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "platform/threads.h"
#include "scene/game_progress.h"
#include "scene/ranking.h"
#include "scene/scene_manager.h"
#include "stage/game_scene.h"
#include "stage/wait_control.h"

namespace {

constexpr std::uint32_t kStartMessage = 0x8000;
constexpr std::uint16_t kButton1 = 1;
constexpr std::uint16_t kButton4 = 8;
constexpr int kButtonChannel = 1;
constexpr int kSeConfirm = 1;
constexpr int kSeTableSwitch = 6;
constexpr int kSeMessageEnd = 12;
// How long a body waits for its WM_QUIT after it first saw a close request.
constexpr std::uint32_t kCloseWaitMs = 2000;

// Takes one message of the thread's queue: true when it was WM_QUIT. Any other message
// (the starter's 0x8000 among them) is dropped.
bool TakeMessage(bool* quit) {
    plat::MSG msg;
    if (!plat::PeekMessage(&msg, nullptr, true)) return false;
    *quit = msg.message == plat::WM_QUIT;
    return true;
}

// Where a waiting thread stands before its next frame.
enum class WaitStep {
    kFrame,        // a frame is due
    kAgain,        // a message was taken, or the thread idles: look again
    kQuit,         // WM_QUIT came
    kCloseWaited,  // a close request has waited kCloseWaitMs for its WM_QUIT
};

// Takes the thread's messages and idles while the program is inactive or a close request
// waits for its WM_QUIT: no frame runs after a close request.
struct CloseWait {
    bool seen = false;
    std::uint32_t since = 0;
};
WaitStep NextWaitStep(const cGameScene& scene, CloseWait& close) {
    bool quit = false;
    if (TakeMessage(&quit)) return quit ? WaitStep::kQuit : WaitStep::kAgain;
    if (bActiveApp == 0) {
        plat::Sleep(1);
        return WaitStep::kAgain;
    }
    if (!scene.m_bCloseRequest) return WaitStep::kFrame;
    if (!close.seen) {
        close.seen = true;
        close.since = plat::timeGetTime();
    } else if (plat::timeGetTime() - close.since >= kCloseWaitMs) {
        return WaitStep::kCloseWaited;
    }
    plat::Sleep(1);
    return WaitStep::kAgain;
}

// Pacing and lost-surface recovery of one frame; surfaces that cannot come back close the
// program (the frame goes on).
void PaceFrame() {
    LimitFrameRate();
    if (!RestoreLostSurfaces()) plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
}

// The play screen of a wait: everything stands still.
void DrawFrozen(cGameScene& scene) {
    scene.Draw(1, 1, 0, 1);
}

bool RunOn(cThread& thread, plat::ThreadProc body, cGameScene& scene, int post) {
    if (!thread.Create(body, &scene)) return false;
    if (post) {
        // The new thread has no queue until it first looks at it; a short wait may also be
        // over before the message could be posted, and then no post can ever succeed.
        while (!thread.Ended()) {
            const std::uint32_t id = thread.ThreadId();
            if (id == 0 || plat::PostThreadMessage(id, kStartMessage, 0, 0)) break;
            plat::Sleep(0);
        }
    }
    thread.Wait();
    return true;
}

}  // namespace

void WaitControl::Set(std::int32_t kind, std::int32_t waitButton, std::int32_t frames,
                      std::int32_t chained) {
    m_nKind = kind;
    m_bWaitButton = waitButton;
    m_nFrames = frames;
    m_bDone = 0;
    m_nGuard = waitButton != 0 && kind == WAIT_MESSAGE && chained == 0 ? 10 : 0;
}

unsigned WaitLoopThread(void* argument) {
    cGameScene& scene = *static_cast<cGameScene*>(argument);
    if (scene.m_bCloseRequest) return 0;
    // The wait reads the devices into a copy of its own; the play's inputs stay as they are.
    CheckedVector<cInput> inputs = InputList;
    if (!inputs.empty()) {
        inputs[0].History.Clear();
        inputs[0].ResetKeyLogs();
        inputs[0].ClearDirection();
        inputs[0].ClearButtons();
    }
    CloseWait close;
    for (;;) {
        const WaitStep step = NextWaitStep(scene, close);
        if (step == WaitStep::kQuit) break;
        if (step == WaitStep::kCloseWaited) {
            // The WM_QUIT that should follow the close is waited for 2 s at most.
            plat::PostThreadMessage(plat::GetCurrentThreadId(), plat::WM_QUIT, 0, 0);
            plat::Sleep(1);
            continue;
        }
        if (step == WaitStep::kAgain) continue;
        PaceFrame();
        if (inputs.empty()) break;
        UpdateMainInput(inputs);
        cInput& input = inputs[0];
        input.History.Push(input.wDir, input.wButton);
        input.LatchButtons(0);
        if (CheckReplayHotKeys()) continue;

        WaitControl& wait = scene.m_WaitControl;
        if (wait.m_nGuard > 0) {
            --wait.m_nGuard;
        } else if (wait.m_bWaitButton != 0) {
            // A button held from before must be let go and pressed again.
            const bool heldBefore = (input.History.StateAt(kButtonChannel, 1) & kButton1) != 0;
            if (!heldBefore && (input.wButton & kButton1)) {
                PlaySystemSe(wait.m_nKind == WAIT_MESSAGE ? kSeMessageEnd : kSeConfirm);
                scene.m_bHoldButtons = 1;
                break;
            }
        } else if (--wait.m_nFrames < 0) {
            break;
        }
        DrawFrozen(scene);
        PresentFrame();
    }
    return 1;
}

unsigned RankingThread(void* argument) {
    cGameScene& scene = *static_cast<cGameScene*>(argument);
    const int mode = SceneMgr.m_nPlayMode;
    Progress.CycleRankingTable(mode, 0);
    CloseWait close;
    for (;;) {
        const WaitStep step = NextWaitStep(scene, close);
        // A close while the tables are shown ends the display like the pause thread's wait.
        if (step == WaitStep::kQuit || step == WaitStep::kCloseWaited) break;
        if (step == WaitStep::kAgain) continue;
        PaceFrame();
        if (InputList.empty()) break;
        UpdateMainInput(InputList);
        cInput& input = InputList[0];
        input.LatchButtons(0);
        input.ApplyRepeat();
        if (input.wButton & kButton1) {
            PlaySystemSe(kSeConfirm);
            break;
        }
        if ((input.wButton & kButton4) && EdSystem.CountEnabled(mode) >= 2) {
            PlaySystemSe(kSeTableSwitch);
            Progress.CycleRankingTable(mode, 1);
        }
        DrawFrozen(scene);
        const int table = Progress.m_nRankTable;
        const int place = table >= 0 && table < static_cast<int>(scene.m_vecRank.Size())
                              ? scene.m_vecRank[table]
                              : -1;
        Ranking.DrawTable(&BackBuffer, RankingTablePos.x, RankingTablePos.y, table, place);
        PresentFrame();
    }
    return 1;
}

bool RunPauseThread(cGameScene& scene, int post) {
    return RunOn(thPause, WaitLoopThread, scene, post);
}

bool RunRankingThread(cGameScene& scene) {
    return RunOn(thRanking, RankingThread, scene, 1);
}

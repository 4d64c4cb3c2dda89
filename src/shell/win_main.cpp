#include "shell/win_main.h"

#include <unistd.h>

#include <atomic>

#include "base/globals.h"
#include "base/log.h"
#include "base/message_box.h"
#include "base/paths.h"
#include "base/thread.h"
#include "data/system_ini.h"
#include "platform/clock.h"
#include "platform/desktop.h"
#include "platform/display_window.h"
#include "platform/instance_lock.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/scripted_input.h"
#include "shell/main_window.h"
#include "shell/start_dialog.h"
#include "shell/startup.h"
#include "shell/system_info.h"

unsigned GameLoop(void*);

namespace {

constexpr int kShowEditorLaunch = 5;
constexpr int kHolderEndWaitMs = 500;

// True from the start of the game thread until its body has left (returned or unwound):
// while it is true the thread may still touch the scenes and the display.
std::atomic<bool> gameThreadInside{false};

unsigned GameThreadBody(void* argument) {
    struct Leaving {
        ~Leaving() { gameThreadInside = false; }
    } leaving;
    return GameLoop(argument);
}

// The lock is held for the whole process: a second copy finds it until this one has ended.
plat::InstanceLock& Lock() {
    static plat::InstanceLock* lock = new plat::InstanceLock;
    return *lock;
}

enum class Second { Run, Leave, Fail };

// One running copy. A second start asks whether to end the running one; Yes ends it (its
// saves are written whole, so a kill loses nothing) and takes its lock.
Second CheckSingleInstance() {
    plat::InstanceLock& lock = Lock();
    if (lock.Acquire() || !lock.Usable()) return Second::Run;
    const int answer = ShowMessageBox(
        "既に起動しています。\n実行中のプログラムを閉じて再起動しますか？\n\nRunning this program "
        "now. Restart?",
        "二重起動", plat::MB_YESNO);
    if (answer != plat::IDYES) return Second::Leave;
    if (!lock.EndHolder(kHolderEndWaitMs)) {
        ShowMessageBox("プログラムの終了に失敗しました。", "二重起動", plat::MB_OK);
        return Second::Fail;
    }
    if (!lock.Held())
        ReportLog("the running copy's lock was not released: this copy runs unguarded");
    return Second::Run;
}

// The main window: hidden, its client area 640 x 480, centred on the desktop. Its handle is
// known from here on, so a close asked for during start-up is not lost.
bool CreateMainWindow() {
    hWndMain = plat::CreateWindow(MainWndProc);
    MainWnd.hWnd = hWndMain;
    plat::SetMainWindow(hWndMain);
    MainWnd.SetGeometry(640, 480, 100, 100, 640, 480, kMainWindowStyle, 0, 0, 0, 0, 0);
    if (!plat::OpenDisplayWindow(hWndMain, "", 640, 480)) {
        ErrorBox("ウインドウが生成出来ません！");
        plat::DestroyWindow(hWndMain);
        return false;
    }
    MainWndProc(hWndMain, plat::WM_CREATE, 0, 0);
    MainWnd.CentreOnDesktop();
    return true;
}

// The end of a run whose worker threads have all been ended: what start-up made goes.
int Finish(int exitCode) {
    if (gameThreadInside) {
        // Releasing the scenes and the display under a running frame would crash it, and so
        // would the static destructors: the process ends here.
        ReportLog("thGame did not end: the process ends without releasing");
        _exit(exitCode == 0 ? 1 : exitCode);
    }
    UnInitGame();
    plat::CloseDisplayWindow();
    plat::SetMainWindow(nullptr);
    return exitCode;
}

}  // namespace

int RunPlayer(const PlayerStart& start) {
    SetErrorLog(start.errorLog ? 1 : 0, "EC_Game.txt");
    std::string reportPath = "Report_Game.txt";
    MakeAbsolutePath(reportPath);
    if (!OpenReportLog(reportPath)) return 1;
    ReportLog("App : ver %s", "747");
    LogSystemInfo();
    bEditorLaunch = start.showCmd == kShowEditorLaunch ? 1 : 0;

    switch (CheckSingleInstance()) {
        case Second::Leave:
            Lock().Release();
            return 0;
        case Second::Fail:
            Lock().Release();
            return 1;
        case Second::Run:
            break;
    }
    if (!CreateMainWindow()) {
        Lock().Release();
        return 1;
    }
    ErrorLog("G");
    if (bEditorLaunch) MainWnd.NotifyEditorStart();
    ErrorLog("H");

    if (!InitGame(start.commandLine, start.showCmd)) {
        const int exitCode = bStartCancelled ? 0 : 1;
        if (bEditorLaunch) MainWnd.NotifyEditorEnd(0);
        // The window goes without the close sequence: no thread was started.
        if (hWndMain) plat::DestroyWindow(hWndMain);
        hWndMain = nullptr;
        Finish(exitCode);
        Lock().Release();
        return exitCode;
    }
    bInitDone = 1;
    ErrorLog("I");
    // Frame 1's scripted input is in before the first frame is made.
    plat::ApplyStartInput();
    gameThreadInside = true;
    if (thGame.Create(GameThreadBody, nullptr)) {
        while (!plat::PostThreadMessage(thGame.ThreadId(), plat::WM_THREAD_START, 0, 0))
            plat::Sleep(0);
    } else {
        gameThreadInside = false;
        plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
    }
    ErrorLog("J");

    plat::MSG msg;
    while (plat::GetMessage(&msg)) plat::DispatchMessage(&msg);
    if (plat::IsWindow(hWndMain)) {
        // The quit came from a close that start-up's own pump met: the program closes now,
        // in order, as it would have then.
        MainWndProc(hWndMain, plat::WM_CLOSE, 0, 0);
        while (plat::GetMessage(&msg)) plat::DispatchMessage(&msg);
    }
    // The close sequence has ended the thread; a loop that ended some other way has not.
    if (thGame.Running()) thGame.Exit();
    const int exitCode = Finish(static_cast<int>(msg.wParam));
    ErrorLog("UnInitGame後");
    Lock().Release();
    ErrorLog("ReleaseMutex後");
    return exitCode;
}

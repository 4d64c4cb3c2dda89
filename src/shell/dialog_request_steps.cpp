// The window thread's side of the game thread's dialog requests: the ranking-name dialog,
// and the replay choosers with the replay load and save. Each step ends by setting its
// completion flag, so the sender polling for it never waits for ever.
#include <string>
#include <vector>

#include "base/globals.h"
#include "base/log.h"
#include "base/message_box.h"
#include "base/thread.h"
#include "base/window_requests.h"
#include "data/stage_record.h"
#include "data/system_ini.h"
#include "gfx/display.h"
#include "gfx/file_dialogs.h"
#include "platform/keyboard.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "scene/game_progress.h"
#include "scene/replay_log.h"
#include "shell/main_window.h"
#include "shell/name_entry_dialog.h"
#include "shell/window_request_steps.h"
#include "stage/replay_file.h"

namespace {

constexpr int kSeRefusal = 3;

// Ends a file request: the result first, then the flag the sender polls.
void FinishFileRequest(int result) {
    bFileDialogResult = result;
    bFileDialogDone = 1;
}

// A key released while a dialog had the keyboard never reaches the game: every key is let go
// when the dialog closes (F1-F3 are read as held keys and would open it again).
void AfterDialog() {
    plat::ReleaseAllKeys();
}

}  // namespace

void ServeNameEntryRequest() {
    std::string* name = NameEntryTarget();
    if (name) {
        DDSetDialogMode(1);
        SuspendWorkerThreads();
        {
            cNameEntryDialog dialog(MainWnd, *name);
            if (dialog.DoModal(0) == -1) {
                DDSetDialogMode(0);
                ResumeWorkerThreads();
                bNameEntryDone = 1;
                MemoryErrorAndClose();
                return;
            }
        }
        DDSetDialogMode(0);
        ResumeWorkerThreads();
        AfterDialog();
    }
    bNameEntryDone = 1;
}

void ServeLoadReplayRequest() {
    const std::string ext = "rpl4_*";
    const std::string description = "ReplayFile ( *.rpl4_* )";
    const std::string pattern = "*." + ext;
    std::vector<char> filter;
    for (const std::string* s : {&description, &pattern}) {
        filter.insert(filter.end(), s->begin(), s->end());
        filter.push_back('\0');
    }
    filter.push_back('\0');
    const char* title = SystemIni.English != 0 ? "Load replay file" : "リプレイファイルの読み込み";
    char path[260] = {};
    DDSetDialogMode(1);
    const bool chosen =
        GetOpenFileName(plat::GetActiveWindow(), path, sizeof path, "user_data\\rpl4", title,
                        filter.data(), ext.c_str(), 0, nullptr);
    DDSetDialogMode(0);
    AfterDialog();
    if (!chosen) {
        FinishFileRequest(0);
        return;
    }
    std::string why;
    if (!LoadReplayFile(CurReplay, path, EdStageWork, EdStage, Progress, &why)) {
        // Nothing of the file was taken over; the program closes, as after a failed stage load.
        ReportLog("replay %s cannot be played: %s", path, why.c_str());
        plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
        FinishFileRequest(0);
        return;
    }
    EdStageWork.strPath = path;
    FinishFileRequest(1);
}

void ServeSaveReplayRequest(plat::WPARAM which) {
    std::string path;
    const bool chosen = ChooseReplaySaveName(path, Progress.m_strStageBase) != 0;
    AfterDialog();
    if (!chosen) {
        FinishFileRequest(0);
        return;
    }
    ReplayLog& log = which == 0 ? CurReplay : PrevReplay;
    GameProgress& snapshot = which == 0 ? CurReplayProgress : PrevReplayProgress;
    if (!SaveReplayFile(log, path, EdStageWork, EdStage, snapshot)) {
        // The play goes on: closing would lose it and its unsaved progress. No partial file
        // is left (the write is atomic).
        ReportLog("replay %s could not be written", path.c_str());
        PlaySystemSe(kSeRefusal);
        FinishFileRequest(0);
        return;
    }
    FinishFileRequest(1);
}

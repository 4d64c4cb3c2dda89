// The stage chooser of free play: a stage file (or the stage a replay file holds) is picked
// on the window thread, with a full-screen display stepping aside while the chooser is open,
// and loaded for play.
#include "base/globals.h"
#include "base/window_requests.h"
#include "data/system_ini.h"
#include "gfx/display.h"
#include "gfx/file_dialogs.h"
#include "shell/main_window.h"
#include "shell/window_request_steps.h"
#include "stage/stage_load.h"

namespace {

constexpr int kPathBuffer = 260;
// Description and pattern, each zero-terminated, and the closing zero.
constexpr char kStageFilter[] = "StageFile ( *.stg4_*;*.rpl4_* )\0*.stg4_*;*.rpl4_*\0";

}  // namespace

void ServeLoadStageRequest() {
    char name[kPathBuffer] = {};
    DDSetDialogMode(1);
    const bool chosen =
        GetOpenFileName(MainWnd.hWnd, name, kPathBuffer, "data\\stg4\\",
                        SystemIni.English != 0 ? "Load stage file" : "ステージファイルの読み込み",
                        kStageFilter, "stg4_*;rpl4_*", 0, nullptr);
    DDSetDialogMode(0);
    if (chosen) {
        if (!StartPlayFromStageFile(name, 0)) plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
        bFileDialogResult = 1;
    } else {
        bFileDialogResult = 0;
    }
    bFileDialogDone = 1;
}

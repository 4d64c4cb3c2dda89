#include "scene/stage_file_request.h"

#include "base/globals.h"
#include "base/window_requests.h"
#include "platform/clock.h"
#include "platform/messages.h"

bool RequestStageFile() {
    bFileDialogDone = 0;
    // Without a main window nobody would ever answer.
    if (!plat::IsWindow(hWndMain)) return false;
    plat::SendMessage(hWndMain, WM_USER_LOADSTAGE, 0, 0);
    // A request the closing window thread dropped is never answered: stop waiting then.
    while (bFileDialogDone == 0 && !plat::IsClosing()) plat::Sleep(1);
    return bFileDialogDone != 0 && bFileDialogResult != 0;
}

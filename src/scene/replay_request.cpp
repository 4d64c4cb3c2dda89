#include "scene/replay_request.h"

#include "base/globals.h"
#include "base/window_requests.h"
#include "platform/clock.h"
#include "platform/messages.h"

int RequestLoadReplay() {
    bFileDialogDone = 0;
    plat::SendMessage(hWndMain, WM_USER_LOADREPLAY, 0, 0);
    // A closing program serves no more requests: the send returns unserved and nothing
    // will ever set the flag.
    while (bFileDialogDone == 0 && !plat::IsClosing()) plat::Sleep(1);
    return bFileDialogDone != 0 ? bFileDialogResult.load() : 0;
}

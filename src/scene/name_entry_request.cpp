#include "scene/name_entry_request.h"

#include "base/globals.h"
#include "base/window_requests.h"
#include "platform/clock.h"
#include "platform/messages.h"

void RequestNameEntry() {
    bNameEntryDone = 0;
    plat::SendMessage(hWndMain, WM_USER_NAMEENTRY, 0, 0);
    // A closing program serves no more requests: the send returns unserved.
    while (bNameEntryDone == 0 && !plat::IsClosing()) plat::Sleep(1);
}

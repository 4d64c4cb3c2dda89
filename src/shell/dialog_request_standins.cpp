// PLACEHOLDER(replays): the replay choosers, the replay load and save and the ranking-name
// dialog come with replays and rankings; until then a file request answers "cancelled" and
// the name entry leaves the name unchanged.
#include "base/window_requests.h"
#include "shell/window_request_steps.h"

void ServeNameEntryRequest() { bNameEntryDone = 1; }

void ServeLoadReplayRequest() {
    bFileDialogResult = 0;
    bFileDialogDone = 1;
}

void ServeSaveReplayRequest(plat::WPARAM) {
    bFileDialogResult = 0;
    bFileDialogDone = 1;
}

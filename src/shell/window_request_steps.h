// What the window thread does for each dialog request of the game thread. Every step ends
// by setting its completion flag, so a sender polling for it never waits for ever.
#pragma once

#include "platform/messages.h"

// WM_USER_LOADSTAGE: the stage-file chooser, then the chosen stage is loaded for play.
void ServeLoadStageRequest();
// WM_USER_NAMEENTRY: the ranking-name dialog.
void ServeNameEntryRequest();
// WM_USER_LOADREPLAY: the replay-file chooser, then the chosen replay is loaded.
void ServeLoadReplayRequest();
// WM_USER_SAVEREPLAY: wParam 0 saves the current replay, any other value the previous one.
void ServeSaveReplayRequest(plat::WPARAM which);

// The game thread's request for a replay file: the window thread runs the chooser and loads
// the chosen replay while this thread waits.
#pragma once

// Clears bFileDialogDone, sends WM_USER_LOADREPLAY to the main window and polls the flag
// with 1-ms sleeps; returns bFileDialogResult: 1 when a replay was chosen and loaded.
int RequestLoadReplay();

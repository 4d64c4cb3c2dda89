// The game thread's request for the ranking-name dialog: the window thread runs it while
// this thread waits. The dialog edits the name it is bound to (the options' fixed name on
// the option scene, else the game scene's name to register).
#pragma once

// Clears bNameEntryDone, sends WM_USER_NAMEENTRY to the main window and polls the flag with
// 1-ms sleeps (a closing program ends the wait).
void RequestNameEntry();

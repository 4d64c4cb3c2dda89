// The free play's stage-file chooser, asked of the window thread: it shows the open dialog
// and loads a chosen file for play before it answers.
#pragma once

// True when a stage file was chosen and loaded; false when the dialog was cancelled (or the
// program is closing). Waits with 1-ms sleeps until the window thread has answered.
bool RequestStageFile();

// The file dialogs of the player: a stage or replay file to open, a replay name to save
// under. In the 8-bit DirectDraw display the first palette entry is black while a chooser
// is open (the chooser's own colours would otherwise take it), and comes back after.
#pragma once

#include <string>

#include "base/checked_vector.h"
#include "platform/messages.h"

// `filter` is description and pattern pairs, each zero-terminated, ended by an extra zero.
// True when a file was chosen; its absolute path is in `buffer` (and, with a result list,
// appended to it). A path that does not fit the buffer fails the dialog.
bool GetOpenFileName(plat::HWND owner, char* buffer, int bufferSize, const char* initialFolder,
                     const char* title, const char* filter, const char* defaultExtension,
                     int multiSelect, CheckedVector<std::string>* results);
// `buffer` holds 260 bytes; keep 0 clears it first, else its text is the proposed name.
bool GetSaveFileName(plat::HWND owner, char* buffer, const char* initialFolder, const char* title,
                     const char* filter, const char* defaultExtension, int keep);

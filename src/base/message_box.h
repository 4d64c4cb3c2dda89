// Every message box of the player goes through ShowMessageBox, so that a box is never
// hidden behind a full-screen display. Texts and captions are CP932.
#pragma once

// The open display's way of showing a box (a full-screen display switches to its dialog mode
// for it), set by the display while it is open; null shows an ordinary box.
using DisplayBoxFunction = int (*)(const char* text, const char* caption, unsigned type);
extern DisplayBoxFunction DisplayMessageBox;

// The box's result (IDOK, IDYES, ...) unchanged.
int ShowMessageBox(const char* text, const char* caption, unsigned type);
// "エラー" with OK.
int ErrorBox(const char* text);
int ErrorBoxF(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Only while the error log is on; otherwise nothing, result 0.
int DebugErrorBox(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The out-of-memory box, then a close request to the main window.
void MemoryErrorAndClose();

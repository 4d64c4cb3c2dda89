// Every message box of the player goes through ShowMessageBox, so that a box is never
// hidden behind a full-screen display.
#include "base/message_box.h"

#include <cstdarg>
#include <string>

#include "base/format.h"
#include "base/globals.h"
#include "base/log.h"
#include "platform/message_box.h"
#include "platform/messages.h"

DisplayBoxFunction DisplayMessageBox = nullptr;

int ShowMessageBox(const char* text, const char* caption, unsigned type) {
    if (DisplayMessageBox) return DisplayMessageBox(text, caption, type);
    return plat::MessageBox(plat::GetActiveWindow(), text, caption, type);
}

int ErrorBox(const char* text) {
    return ShowMessageBox(text, "エラー", plat::MB_OK);
}

// No length limit: the whole formatted text is shown, so no double-byte character is cut.
int ErrorBoxF(const char* format, ...) {
    std::string text;
    std::va_list args;
    va_start(args, format);
    FormatStringV(text, format, args);
    va_end(args);
    return ErrorBox(text.c_str());
}

int DebugErrorBox(const char* format, ...) {
    // Debug boxes share the error log's switch; in normal runs both are off.
    if (!ErrorLogEnabled()) return 0;
    std::string text;
    std::va_list args;
    va_start(args, format);
    FormatStringV(text, format, args);
    va_end(args);
    return ErrorBox(text.c_str());
}

// A failed allocation: the user sees why, and the program closes in order through WM_CLOSE
// instead of unwinding.
void MemoryErrorAndClose() {
    ErrorBox("メモリが不足しています！");
    plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
}

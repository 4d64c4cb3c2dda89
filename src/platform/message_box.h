// Message boxes. They run on the window thread (GTK lives there); a box asked from another
// thread is a synchronous request to it. Headless, the answer comes from the script (or
// is the default button) at once. Every box shown is recorded.
#pragma once

#include <string>
#include <thread>
#include <vector>

#include "platform/messages.h"

namespace plat {

constexpr unsigned MB_OK = 0x0;
constexpr unsigned MB_OKCANCEL = 0x1;
constexpr unsigned MB_YESNOCANCEL = 0x3;
constexpr unsigned MB_YESNO = 0x4;
constexpr unsigned MB_ICONERROR = 0x10;
constexpr unsigned MB_ICONQUESTION = 0x20;
constexpr unsigned MB_ICONWARNING = 0x30;
constexpr unsigned MB_ICONINFORMATION = 0x40;
constexpr unsigned MB_DEFBUTTON2 = 0x100;
constexpr unsigned MB_DEFBUTTON3 = 0x200;

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// text and caption are CP932. Returns the button chosen (IDOK, IDCANCEL, IDYES, IDNO).
int MessageBox(HWND owner, const char* text, const char* caption, unsigned type);
// The active window of the calling thread: the main window on the window thread, else none.
HWND GetActiveWindow();

// The button a box of this type answers with when nobody chooses.
int DefaultButton(unsigned type);

struct BoxRecord {
    std::string caption;  // UTF-8
    std::string text;     // UTF-8
    unsigned type = 0;
    int answer = 0;
    std::thread::id thread;  // the thread that showed it: the window thread, when one exists
};
// Boxes shown so far in this process (tests read it; also appended to the script's log).
std::vector<BoxRecord> ShownBoxes();
void ClearShownBoxes();

}  // namespace plat

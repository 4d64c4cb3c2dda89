// GTK on the window thread: started by the first message box or dialog that needs it (never
// headless), and the modal loop that every box and dialog runs.
#pragma once

#include <functional>
#include <string>

namespace plat {

// False with the reason in *error when no display can be opened.
bool EnsureGtk(std::string* error);

// Runs GTK's events until `done` says so. The loop also serves the calling thread's sent
// lane and the display window every millisecond (a worker's SendMessage is answered and
// frames go on showing while a box is open; the main window's close box and keys are
// dropped), and keeps posted messages queued until it ends.
void RunModalLoop(const std::function<bool()>& done);

// The dialogs' font and the base units it gives (pixels per 4 horizontal, 8 vertical
// dialog units), measured once as Windows measures them.
const char* DialogFontCss();
// False on a bare X server: nothing draws a frame around the windows.
bool WindowManagerFramesWindows();
void DialogBaseUnits(int* x, int* y);

}  // namespace plat

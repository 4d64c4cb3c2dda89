// A person at the X server, for the tests of real windows: key presses through the XTest
// extension, the window manager's close request, the keyboard focus. Kept apart from Xlib's
// macros; every call flushes and waits until the server has done it.
#pragma once

#include <string>
#include <vector>

namespace xinput {

// False when there is no X server or it lacks XTest.
bool Available();
// The top-level X window whose name is `name`, or 0.
unsigned long FindWindowNamed(const std::string& name);
// The viewable top-level windows a process has made (by their _NET_WM_PID), bottom first.
std::vector<unsigned long> WindowsOfProcess(int pid);
// Where a window stands on the screen (its client area) and its size.
struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};
// False when the window is gone.
bool GetGeometry(unsigned long window, Geometry* out);
// Gives the window the keyboard focus.
void Focus(unsigned long window);
// Sends the close request a window manager's close box sends (WM_DELETE_WINDOW).
void RequestClose(unsigned long window);
// Moves the window (the window system then reports the move to its owner).
void Move(unsigned long window, int x, int y);
// Sizes the window, as a person dragging its border does.
void Resize(unsigned long window, int width, int height);
// Presses and releases the key of an X keysym name ("a", "Return", "BackSpace"), with the
// modifiers held around it.
void Tap(const std::string& keysym, bool control = false, bool shift = false);
void Press(const std::string& keysym);
// Types ASCII text key by key, with Shift where the US layout needs it.
void Type(const std::string& text);
void Release(const std::string& keysym);

}  // namespace xinput

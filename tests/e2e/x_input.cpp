#include "e2e/x_input.h"

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cstring>
#include <string>

namespace xinput {
namespace {

Display* Connection() {
    static Display* display = XOpenDisplay(nullptr);
    return display;
}

void Key(const std::string& keysym, bool down) {
    Display* d = Connection();
    if (!d) return;
    const KeySym sym = XStringToKeysym(keysym.c_str());
    const KeyCode code = XKeysymToKeycode(d, sym);
    if (code == 0) return;
    XTestFakeKeyEvent(d, code, down ? True : False, CurrentTime);
    XSync(d, False);
}

unsigned long Search(Display* d, Window w, const std::string& name, int depth) {
    XTextProperty own{};
    if (XGetWMName(d, w, &own) && own.value) {
        const bool match =
            name == std::string(reinterpret_cast<const char*>(own.value), own.nitems);
        XFree(own.value);
        if (match) return w;
    }
    if (depth == 0) return 0;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &count)) return 0;
    unsigned long found = 0;
    for (unsigned i = 0; i < count && !found; ++i) found = Search(d, children[i], name, depth - 1);
    if (children) XFree(children);
    return found;
}

}  // namespace

bool Available() {
    Display* d = Connection();
    int event = 0, error = 0, major = 0, minor = 0;
    return d && XTestQueryExtension(d, &event, &error, &major, &minor);
}

unsigned long FindWindowNamed(const std::string& name) {
    Display* d = Connection();
    if (!d) return 0;
    // Top-level windows are the root's children, or a level below under a window manager.
    return Search(d, DefaultRootWindow(d), name, 2);
}

void Focus(unsigned long window) {
    Display* d = Connection();
    if (!d || !window) return;
    XSetInputFocus(d, window, RevertToParent, CurrentTime);
    XSync(d, False);
}

void RequestClose(unsigned long window) {
    Display* d = Connection();
    if (!d || !window) return;
    XEvent e;
    std::memset(&e, 0, sizeof e);
    e.xclient.type = ClientMessage;
    e.xclient.window = window;
    e.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    e.xclient.format = 32;
    e.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    e.xclient.data.l[1] = CurrentTime;
    XSendEvent(d, window, False, NoEventMask, &e);
    XSync(d, False);
}

void Move(unsigned long window, int x, int y) {
    Display* d = Connection();
    if (!d || !window) return;
    XMoveWindow(d, window, x, y);
    XSync(d, False);
}

void Press(const std::string& keysym) {
    Key(keysym, true);
}

void Release(const std::string& keysym) {
    Key(keysym, false);
}

void Tap(const std::string& keysym, bool control, bool shift) {
    if (control) Press("Control_L");
    if (shift) Press("Shift_L");
    Press(keysym);
    Release(keysym);
    if (shift) Release("Shift_L");
    if (control) Release("Control_L");
}

}  // namespace xinput

namespace xinput {

void Type(const std::string& text) {
    Display* d = Connection();
    if (!d) return;
    for (char ch : text) {
        // Latin-1 keysyms have the character's own value.
        const KeySym sym = static_cast<unsigned char>(ch);
        const KeyCode code = XKeysymToKeycode(d, sym);
        if (code == 0) continue;
        const bool shift = XkbKeycodeToKeysym(d, code, 0, 0) != sym;
        const KeyCode shiftCode = XKeysymToKeycode(d, XK_Shift_L);
        if (shift) XTestFakeKeyEvent(d, shiftCode, True, CurrentTime);
        XTestFakeKeyEvent(d, code, True, CurrentTime);
        XTestFakeKeyEvent(d, code, False, CurrentTime);
        if (shift) XTestFakeKeyEvent(d, shiftCode, False, CurrentTime);
        XSync(d, False);
    }
}

}  // namespace xinput

#include "e2e/x_input.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
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

namespace {

// Windows of another process may go at any moment: an error about one is no reason to end
// this process, as Xlib's default handler would. Restores the handler it found.
class IgnoreErrors {
public:
    explicit IgnoreErrors(Display* d) : d_(d), previous_(XSetErrorHandler(Ignore)) {}
    ~IgnoreErrors() {
        XSync(d_, False);
        XSetErrorHandler(previous_);
    }

private:
    static int Ignore(Display*, XErrorEvent*) { return 0; }
    Display* d_;
    XErrorHandler previous_;
};

// The pid a window names for itself, or 0.
long WindowPid(Display* d, Window w) {
    const Atom property = XInternAtom(d, "_NET_WM_PID", True);
    if (property == None) return 0;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = 0;
    if (XGetWindowProperty(d, w, property, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after,
                           &data) == Success &&
        data && format == 32 && count == 1)
        pid = *reinterpret_cast<long*>(data);
    if (data) XFree(data);
    return pid;
}

void CollectOfProcess(Display* d, Window w, long pid, int depth, std::vector<unsigned long>& out) {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(d, w, &root, &parent, &children, &count)) return;
    for (unsigned i = 0; i < count; ++i) {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(d, children[i], &a) || a.map_state != IsViewable) continue;
        if (WindowPid(d, children[i]) == pid)
            out.push_back(children[i]);
        else if (depth > 0)
            CollectOfProcess(d, children[i], pid, depth - 1, out);
    }
    if (children) XFree(children);
}

}  // namespace

std::vector<unsigned long> WindowsOfProcess(int pid) {
    std::vector<unsigned long> out;
    Display* d = Connection();
    if (!d) return out;
    IgnoreErrors ignore(d);
    // Top-level windows are the root's children, or a level below under a window manager.
    CollectOfProcess(d, DefaultRootWindow(d), pid, 1, out);
    return out;
}

bool GetGeometry(unsigned long window, Geometry* out) {
    Display* d = Connection();
    if (!d || !window) return false;
    XWindowAttributes a{};
    Window child = 0;
    int x = 0, y = 0;
    bool ok = false;
    {
        IgnoreErrors ignore(d);
        ok = XGetWindowAttributes(d, window, &a) &&
             XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, &x, &y, &child);
    }
    if (!ok) return false;
    *out = Geometry{x, y, a.width, a.height};
    return true;
}

void Focus(unsigned long window) {
    Display* d = Connection();
    if (!d || !window) return;
    IgnoreErrors ignore(d);
    XSetInputFocus(d, window, RevertToParent, CurrentTime);
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

void Resize(unsigned long window, int width, int height) {
    Display* d = Connection();
    if (!d || !window) return;
    IgnoreErrors ignore(d);
    XResizeWindow(d, window, static_cast<unsigned>(width), static_cast<unsigned>(height));
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

// What every modal piece of user interface (a message box, a dialog, a file chooser) does
// around itself: a full-screen display leaves full screen for it and returns after; while it
// is open the main window is as a disabled owner (its close box and keys are ignored, its
// frames still show); and its end releases every key, since the key releases went to the
// modal window.
#pragma once

namespace plat {

class ModalScope {
public:
    ModalScope();
    ~ModalScope();
    ModalScope(const ModalScope&) = delete;
    ModalScope& operator=(const ModalScope&) = delete;

    // Whether the display was full screen when the scope began.
    bool LeftFullScreen() const { return leftFullScreen_; }

private:
    bool leftFullScreen_ = false;
};

// Whether a modal scope is open: the display window then drops the main window's close box
// and key events instead of turning them into messages.
bool InModalLoop();

// One step of a modal loop on the window thread: serves the sent lane and the display window
// (its frames, and its input, which is dropped). Posted messages stay queued.
void ServeDuringModalLoop();

}  // namespace plat

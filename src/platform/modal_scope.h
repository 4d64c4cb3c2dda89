// What every modal piece of user interface (a message box, a dialog, a file chooser) does
// around itself: a full-screen display leaves full screen for it and returns after, and its
// end releases every key, since the key releases went to the modal window.
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

}  // namespace plat

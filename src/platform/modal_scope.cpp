#include "platform/modal_scope.h"

#include "platform/display_window.h"
#include "platform/keyboard.h"

namespace plat {

ModalScope::ModalScope() {
    if (HasDisplayWindow() && IsDisplayFullScreen()) {
        leftFullScreen_ = true;
        SetDisplayFullScreen(false);
    }
}

ModalScope::~ModalScope() {
    if (leftFullScreen_ && HasDisplayWindow()) SetDisplayFullScreen(true);
    ReleaseAllKeys();
}

}  // namespace plat

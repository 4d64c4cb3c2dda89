#include "platform/modal_scope.h"

#include <atomic>

#include "platform/display_window.h"
#include "platform/keyboard.h"
#include "platform/messages.h"

namespace plat {
namespace {

std::atomic<int> g_depth{0};

}  // namespace

ModalScope::ModalScope() {
    ++g_depth;
    if (HasDisplayWindow() && IsDisplayFullScreen()) {
        leftFullScreen_ = true;
        SetDisplayFullScreen(false);
    }
}

ModalScope::~ModalScope() {
    // What the main window received while the scope was open is dropped now, before its
    // input counts again: a close box clicked during the box does not close the game after.
    if (IsWindowThread()) PumpDisplayWindow();
    if (leftFullScreen_ && HasDisplayWindow()) SetDisplayFullScreen(true);
    --g_depth;
    ReleaseAllKeys();
}

bool InModalLoop() {
    return g_depth.load() > 0;
}

void ServeDuringModalLoop() {
    ServeSentMessages();
    if (IsWindowThread()) PumpDisplayWindow();
}

}  // namespace plat

// Scripted input. A present runs on whichever thread runs the frame loop, start-up on the
// window thread; the flag that frame 1's lines are in is atomic, and the key table and the
// joysticks guard themselves.
#include "platform/scripted_input.h"

#include <atomic>
#include <climits>

#include "platform/frame.h"
#include "platform/joystick.h"
#include "platform/keyboard.h"

namespace plat {
namespace {

std::atomic<bool> g_startApplied{false};

void ApplyFrame(int frame) {
    // Without a script, or for a frame without lines, the list is empty and allocates nothing.
    for (const ScriptInput& in : ScriptInputsForFrame(frame)) {
        if (in.kind == ScriptInput::Key)
            SetKeyState(static_cast<int>(in.key), in.down);
        else
            SetScriptedJoystick(in.joy, in.x, in.y, in.buttons);
    }
}

}  // namespace

void ApplyStartInput() {
    if (g_startApplied.exchange(true)) return;
    ApplyFrame(1);
}

void ApplyInputAfterPresent(std::uint32_t presented) {
    ApplyStartInput();
    // Script frames stop at INT_MAX; later presents have nothing to apply.
    if (presented >= static_cast<std::uint32_t>(INT_MAX)) return;
    ApplyFrame(static_cast<int>(presented) + 1);
}

void ForgetStartInput() {
    g_startApplied = false;
}

}  // namespace plat

// Scripted input. A present runs on whichever thread runs the frame loop, start-up on the
// window thread; the flag that frame 1's lines are in is atomic, and the key table and the
// joysticks guard themselves.
#include "platform/scripted_input.h"

#include <atomic>
#include <climits>

#include "platform/desktop.h"
#include "platform/display_window.h"
#include "platform/frame.h"
#include "platform/joystick.h"
#include "platform/keyboard.h"
#include "platform/messages.h"

namespace plat {
namespace {

std::atomic<bool> g_startApplied{false};

void ApplyFrame(int frame) {
    // Without a script, or for a frame without lines, the list is empty and allocates nothing.
    for (const ScriptInput& in : ScriptInputsForFrame(frame)) {
        const HWND main = GetMainWindow();
        switch (in.kind) {
            case ScriptInput::Key:
                SetKeyState(static_cast<int>(in.key), in.down);
                // The window hears of the key as it would of a real one (a key of the
                // window's own, Esc, closes the program there).
                PostMessage(main, in.down ? WM_KEYDOWN : WM_KEYUP, in.key, in.down ? 1 : 0);
                break;
            case ScriptInput::Joy:
                SetScriptedJoystick(in.joy, in.x, in.y, in.buttons);
                break;
            case ScriptInput::Close:
                PostMessage(main, WM_CLOSE, 0, 0);
                break;
            case ScriptInput::Move: {
                RECT outer{};
                GetWindowRect(main, &outer);
                SetWindowPos(main, in.moveX, in.moveY, outer.right - outer.left,
                             outer.bottom - outer.top);
                PostMessage(main, WM_MOVE, 0, MAKELPARAM(in.moveX, in.moveY));
                break;
            }
            case ScriptInput::Minimize:
                ShowWindow(main, SW_MINIMIZE);
                break;
        }
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

// The input script of K4_SCRIPT, one line each:
//   @N key 0x27 down | @N key 0x27 up          a virtual key, before the input read of frame N
//   @N joy 0 x 65535 y 32767 buttons 0x3       a joystick's state from frame N on
//   @N close | @N move X Y | @N minimize       the main window's close box, a move of the
//                                              window to X, Y (screen, may be negative), its
//                                              minimise box; after the present of frame N-1
//   box yes | box no | box ok | box cancel     answers to message boxes, in order
//   dialog KIND ACTION [NAME=VALUE ...]        answers to dialogs and file choosers, in order:
//                                              KIND start, name, open or save; ACTION a button
//                                              (start, cancel, ok), close (the close box), or a
//                                              chooser's path; the values set controls first
//                                              (mode=d3d|ddraw, noask=1, text=...)
// Blank lines and lines starting with '#' are ignored.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace plat {

struct ScriptInput {
    enum Kind { Key, Joy, Close, Move, Minimize };
    int frame = 0;
    Kind kind = Key;
    std::uint32_t key = 0;                    // Key: virtual-key code
    bool down = false;                        // Key
    int joy = 0;                              // Joy: joystick number
    std::uint32_t x = 0, y = 0, buttons = 0;  // Joy
    int moveX = 0, moveY = 0;                 // Move
};

struct Script {
    std::vector<ScriptInput> inputs;  // in file order; stable-sorted by frame
    std::deque<int> boxAnswers;       // IDOK, IDCANCEL, IDYES or IDNO
    std::deque<std::string> dialogAnswers;
    std::vector<std::string> errors;  // "line N: what" for lines that were not understood
};

Script ParseScript(std::string_view text);

}  // namespace plat

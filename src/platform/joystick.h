// Joystick positions and buttons, as the program's readers poll them once per frame.
//
// Joysticks are numbered 0 to 15. A joystick the input script has given a state answers
// with that state (headless or not, so a scripted run never depends on what is plugged
// in); otherwise, headless, no joystick exists, and with a display the SDL joysticks
// answer: opened on the first poll, numbered in the order they appear and keeping their
// number while plugged in (a device plugged in later takes the lowest free number).
#pragma once

#include <cstdint>

namespace plat {

constexpr std::uint32_t JOYERR_NOERROR = 0;
constexpr std::uint32_t JOYERR_PARMS = 165;      // no such joystick number
constexpr std::uint32_t JOYERR_UNPLUGGED = 167;  // nothing has that number now

constexpr int kMaxJoysticks = 16;

// What a poll returns: both axes on the 0-65535 scale (32768 centred), and bit i of
// `buttons` set while button i + 1 is held.
struct JoyPosition {
    std::uint32_t x = 32768;
    std::uint32_t y = 32768;
    std::uint32_t buttons = 0;
};

// Polls joystick `id`: JOYERR_NOERROR with the position filled in, or an error code with
// the position untouched.
std::uint32_t joyGetPosEx(int id, JoyPosition* position);

// The input script's joystick line: from now on joystick `id` exists with this state.
// Values are taken as given (x and y are meant to be 0-65535); ids outside 0-15 are ignored.
void SetScriptedJoystick(int id, std::uint32_t x, std::uint32_t y, std::uint32_t buttons);
// Forgets every scripted state and closes the SDL joysticks (tests, shut-down).
void ResetJoysticks();

}  // namespace plat

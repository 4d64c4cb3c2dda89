// The input script's key and joystick lines reach the key table and the joysticks here.
//
// The lines for frame N take effect inside the present of frame N-1, so the input read of
// frame N sees them; frame 1's lines are applied once at start, before the game thread runs.
#pragma once

#include <cstdint>

namespace plat {

// Applies frame 1's lines, once per run: start-up calls it before the game thread starts.
// Later calls do nothing; the first present calls it itself when start-up did not.
void ApplyStartInput();
// Called by the present once frame `presented` has been counted: makes sure frame 1's lines
// are in, then applies the lines of frame `presented` + 1 in file order.
void ApplyInputAfterPresent(std::uint32_t presented);
// Lets frame 1's lines be applied again (the frame counter went back to 0).
void ForgetStartInput();

}  // namespace plat

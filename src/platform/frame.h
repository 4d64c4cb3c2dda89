// The frame counter. Every present advances it; the script's input lines for frame N
// take effect inside the present of frame N-1 (for N = 1 before the game thread starts).
#pragma once

#include <cstdint>
#include <vector>

#include "platform/script.h"

namespace plat {

// Frames presented so far (0 before the first present).
std::uint32_t FrameCount();
// Called by every present (and by tests that run without a display): counts the frame,
// and posts WM_CLOSE to the main window once K4_QUIT_AFTER's frame has been presented.
// The present then applies the script's lines for the next frame: once AdvanceFrame has
// counted frame N-1, the input state takes ScriptInputsForFrame(FrameCount() + 1).
void AdvanceFrame();
// Back to frame 0 (tests).
void ResetFrames();

// The loaded script's input lines for frame N (numbered from 1), in file order; empty
// without a script. Frame 1's lines are taken at start, before the game thread runs.
std::vector<ScriptInput> ScriptInputsForFrame(int frame);

}  // namespace plat

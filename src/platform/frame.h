// The frame counter. Every present advances it; the script's input lines for frame N
// take effect inside the present of frame N-1 (for N = 1 before the game thread starts).
#pragma once

#include <cstdint>

namespace plat {

// Frames presented so far (0 before the first present).
std::uint32_t FrameCount();
// Called by every present (and by tests that run without a display): counts the frame,
// applies the script's lines for the next frame, and posts WM_CLOSE to the main window
// once K4_QUIT_AFTER's frame has been presented.
void AdvanceFrame();
// Back to frame 0 (tests).
void ResetFrames();

}  // namespace plat

// The frame counter. Presents may come from the game thread or from whichever thread runs
// the frame loop at the time, so the count is atomic.
#include "platform/frame.h"

#include <atomic>

#include "platform/audio_mixer.h"
#include "platform/messages.h"
#include "platform/scripted_input.h"
#include "platform/seams.h"

namespace plat {
namespace {

std::atomic<std::uint32_t> g_frames{0};
// Set once K4_QUIT_AFTER's close request has been posted: it is posted only once.
std::atomic<bool> g_closePosted{false};

}  // namespace

std::uint32_t FrameCount() {
    return g_frames.load();
}

void AdvanceFrame() {
    std::uint32_t frame = ++g_frames;
    ApplyInputAfterPresent(frame);
    int quitAfter = GetSeams().quitAfter;
    if (quitAfter <= 0 || frame < static_cast<std::uint32_t>(quitAfter)) return;
    // Normally this is the frame itself. Should the main window not exist yet (a present
    // before start-up has set it), the request goes out with the first frame that has one,
    // rather than being lost and leaving the run without an end.
    if (g_closePosted.exchange(true)) return;
    EndAudioAtQuit();
    if (!PostMessage(GetMainWindow(), WM_CLOSE, 0, 0)) g_closePosted = false;
}

void ResetFrames() {
    g_frames = 0;
    g_closePosted = false;
    ForgetStartInput();
}

}  // namespace plat

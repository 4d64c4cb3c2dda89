// The presenter: every present of either device personality ends here. The finished frame
// is converted to A8R8G8B8 (an 8-bit frame through the palette in force at that moment)
// into a mailbox; the window thread shows the newest frame it finds there, and headless
// runs keep it for capture. A present is one frame of the frame counter (frame.h).
//
// The mailbox has three buffers, so neither side waits for the other and nothing is
// allocated per frame: the presenting thread fills one, the window thread shows another,
// and the third holds the newest finished frame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/pixel_format.h"
#include "platform/soft_device.h"

namespace plat {

// Shows the frame and counts it. `palette` (256 entries) is used for an 8-bit frame.
// Frames listed in K4_CAPTURE are written as DIR/frame_NNNNNN.png (the frame number with
// six digits).
void PresentFrame(const SoftSurface& frame, const PALETTEENTRY* palette);
// Counts a present that showed nothing because the device was lost.
void CountLostFrame();
// True when the present about to happen is the frame at which K4_LOSE_DEVICE loses the device.
bool DeviceLossDue();

// Waits for the next 60 Hz tick of the program's clock (vertical sync of a display that
// runs at 60 Hz; on the virtual clock the wait moves time forward instead).
void WaitForVerticalBlank();

// The newest frame presented; false before the first.
bool LatestFrame(std::vector<std::uint32_t>& argb, int& width, int& height);

// Window thread: hands the newest frame to `show` when one arrived since the last call, or
// the frame shown last when a repaint was asked for since then.
using FrameSink = void (*)(const std::uint32_t* argb, int width, int height, void* context);
bool TakeNewFrame(FrameSink show, void* context);
// Called after each frame is put into the mailbox, and when a repaint is asked for (the
// window wakes its thread).
void SetFrameListener(void (*listener)());

// Window thread: the window repaints its client area (an expose, WM_PAINT). The frame shown
// last is shown again from the mailbox: no frame is counted or captured and no surface is
// read, so the repaint neither advances the frame-driven seams nor reads a back buffer that
// the game thread may be drawing into. Nothing happens before the first frame.
void RepaintLastFrame();

// The capture file of a frame inside DIR.
std::string CaptureFileName(const std::string& dir, int frame);

// Tests: empties the mailbox.
void ResetPresenter();

}  // namespace plat

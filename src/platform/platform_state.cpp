// Every piece of process-wide state of the platform layer, with how it is put back. Most of
// it lives inside its own file; each file offers the reset used here.
//
// Reset here:
//   frame counter (frame.h)                      frame 0
//   presenter mailbox (presenter.h)              empty, no frame shown yet
//   keyboard state (keyboard.h)                  every key up
//   scripted joysticks (joystick.h)              none
//   script and box log (script_state.h)          forgotten; reloaded from the seams on use
//   boxes shown so far (message_box.h)           none
//   dialogs shown so far (dialog.h)              none
//   main window (messages.h)                     none
//   closing flag (messages.h)                    lowered
//   host path listing cache (host_path.h)        empty
//   sprite row loops (d3d9.h)                    the processor's best
//   audio output (audio_mixer.h)                 closed (its sources stay registered)
//
// Not reset:
//   seams (seams.h)            read from the environment at start; tests install their own
//                              with SetSeams and put the previous ones back
//   clock choice (clock.h)     made from the seams; tests choose with UseVirtualClock and
//                              UseRealClock
//   frame listener and window-system pump (presenter.h, messages.h)
//                              installed and removed by OpenDisplayWindow/CloseDisplayWindow
//   live device objects (device_object.h)
//                              owned by whoever created them
//   window rectangles and the cursor (desktop.h)
//                              a window's rectangle is forgotten with its dialog; the
//                              cursor stays where it was put; the pointer warp is GTK's
//                              once it has started, for the life of the process
#include "platform/platform_state.h"

#include "platform/audio_mixer.h"
#include "platform/d3d9.h"
#include "platform/dialog.h"
#include "platform/frame.h"
#include "platform/host_path.h"
#include "platform/joystick.h"
#include "platform/keyboard.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/presenter.h"
#include "platform/script_state.h"
#include "platform/vector_loops.h"

namespace plat {

void ResetPlatformState() {
    ResetFrames();
    ResetPresenter();
    ReleaseAllKeys();
    ResetJoysticks();
    ResetScriptState();
    ClearShownBoxes();
    ClearShownDialogs();
    SetMainWindow(nullptr);
    EndClosingForTests();
    ClearPathCache();
    UseBaselineLoops(false);
    CloseAudio();
}

}  // namespace plat

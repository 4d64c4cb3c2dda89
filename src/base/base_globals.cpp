// Every mutable global and hook of src/base, with its program-start value:
//   hWndMain (globals.h)           main window                        null
//   bActiveApp (globals.h)         application active                 0
//   bQuit (globals.h)              a close was requested              0
//   bEditorLaunch (globals.h)      started by the editor              0
//   bTestPlay (globals.h)          test play from the editor          0
//   DisplayMessageBox (message_box.h)
//                                  hook: the open display's box       null (ordinary boxes)
//   InputList (input.h)            the players' inputs                one default input
//   KeyConfig (key_config.h)       key bindings                       default bindings
//   error log (log.h)              switch and path                    off, no path
//
// Not reset:
//   thGame, thPause, thRanking, thStageLoad (thread.h)
//                                  hold live threads; their owners wait for them to end
//   report log path (log.h)        each run opens its own with OpenReportLog
#include "base/base_globals.h"

#include "base/globals.h"
#include "base/input.h"
#include "base/key_config.h"
#include "base/log.h"
#include "base/message_box.h"
#include "platform/platform_state.h"

void ResetBaseGlobals() {
    plat::ResetPlatformState();
    hWndMain = nullptr;
    bActiveApp = 0;
    bQuit = 0;
    bEditorLaunch = 0;
    bTestPlay = 0;
    DisplayMessageBox = nullptr;
    InputList = CheckedVector<cInput>(1);
    KeyConfig = cKeyConfig{};
    SetErrorLog(0, "");
}

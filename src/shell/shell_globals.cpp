// Every mutable global of src/shell, with its program-start value:
//   nDisplayBpp (startup.h)            colour depth of the display      0
//   bWindowed (startup.h)              display in a window              0
//   bInitDone (startup.h)              start-up succeeded               0
//   lpStartDialog (start_dialog.h)     the start dialog being shown     null
//   bStartCancelled (start_dialog.h)   the start dialog was cancelled   0
//
// Not reset:
//   MainWnd (main_window.h)            the entry gives it its window, geometry and place
//   the game thread's "inside" flag (startup.cpp)
//                                      lowered by the game thread itself as it leaves
#include "shell/shell_globals.h"

#include "shell/main_window.h"
#include "shell/start_dialog.h"
#include "shell/startup.h"
#include "stage/engine_globals.h"

void ResetShellGlobals() {
    ResetEngineGlobals();
    nDisplayBpp = 0;
    bWindowed = 0;
    bInitDone = 0;
    lpStartDialog = nullptr;
    bStartCancelled = 0;
    MainWnd.bCreated = 0;
}

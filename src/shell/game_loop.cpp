#include "base/globals.h"
#include "base/log.h"
#include "base/thread.h"
#include "platform/clock.h"
#include "platform/messages.h"
#include "scene/scene_manager.h"

unsigned GameLoop(void*) {
    for (;;) {
        plat::MSG msg;
        if (plat::PeekMessage(&msg, nullptr, true)) {
            if (msg.message == plat::WM_QUIT) {
                ErrorLog("GameLoop WM_QUIT!");
                return 1;
            }
            // Anything else (the start message among them) is dropped: the loop never
            // dispatches, pacing comes from the frame function.
            continue;
        }
        if (bActiveApp == 0) {
            plat::Sleep(1);
            continue;
        }
        if (SceneMgr.UpdateFrame() == 0) {
            plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
            return 1;
        }
    }
}

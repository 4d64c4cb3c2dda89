// The game wait (type 18) and the message (type 19): an entry on the scene's message list
// and, when the command waits, the pause thread's frames until the wait is over; the entry
// is then taken off again.
#include <algorithm>
#include <cstdint>
#include <string>

#include "base/window_requests.h"
#include "data/command_record.h"
#include "flow/blocking_commands.h"
#include "flow/flow_instance.h"
#include "stage/actor.h"
#include "stage/game_scene.h"
#include "stage/hero_actor.h"
#include "stage/message_window.h"
#include "stage/stage_objects.h"
#include "stage/wait_control.h"
#include "stage/wait_threads.h"

namespace {

constexpr int kSeMessageOpen = 11;

// The serial number of the actor a window at this position stands at: the executing actor
// above, below or at the centre of itself, the hero for the hero's positions.
std::int32_t AnchorOf(const cActorBase& actor, std::int32_t position) {
    if (position >= MESSAGE_ABOVE_SELF && position <= MESSAGE_CENTRE_SELF) return actor.m_nSerial;
    if (position >= MESSAGE_ABOVE_HERO && position <= MESSAGE_CENTRE_HERO) {
        const cHeroActor* hero = FirstHero();
        return hero ? hero->m_nSerial : 0;
    }
    return 0;
}

// The first window managed by the ID, or null.
MessageWindow* FindById(cGameScene& scene, std::int32_t id) {
    for (MessageWindow& window : scene.m_listMessage)
        if (window.bManagedById && window.nId == id) return &window;
    return nullptr;
}

}  // namespace

void CmdGameWait(cActorBase&, const cEdCommand& cmd) {
    if (!lpGame) return;
    cGameScene& scene = *lpGame;
    const std::int32_t frames = FramesOfTenthsHeld(cmd.vecParam[0]);
    MessageSettings settings;
    settings.nKind = MESSAGE_INVISIBLE;
    settings.bFixedToScreen = 1;
    settings.nDurationKind = MESSAGE_FOR_TIME;
    settings.nTime = frames;
    settings.bWait = 1;
    const MessageWindow* window = scene.AddMessage(settings);
    scene.m_WaitControl.Set(WAIT_GAME, 0, frames, 0);
    RunPauseThread(scene, 0);
    scene.RemoveMessage(window);
}

void CmdMessage(cActorBase& actor, const cEdCommand& cmd, int chained) {
    if (!lpGame) return;
    cGameScene& scene = *lpGame;
    if (scene.m_bCloseRequest) return;
    const std::int32_t byId = cmd.vecParam[12];
    const std::int32_t close = cmd.vecParam[15];

    // The window that takes the message: one found by its ID (opened again in place), or a
    // new one at the end.
    // (A window opened again keeps its surface when its new text measures the same.)
    MessageWindow* window = nullptr;
    if (byId) {
        window = FindById(scene, cmd.vecParam[13]);
        if (window && close) {
            scene.RemoveMessage(window);
            return;
        }
    }
    if (close && !window) return;

    MessageSettings s;
    s.nKind = MESSAGE_TEXT;
    s.strText = cmd.strText;
    s.nPosition = cmd.vecParam[0];
    s.nBlockX = cmd.vecParam[1];
    s.nBlockY = cmd.vecParam[2];
    s.nDotX = cmd.vecParam[3];
    s.nDotY = cmd.vecParam[4];
    s.bKeepInside = cmd.vecParam[5];
    s.nDurationKind = cmd.vecParam[6];
    s.nTime = cmd.vecParam[17] ? 1 : FramesOfTenthsHeld(cmd.vecParam[7]);
    s.bWait = cmd.vecParam[8];
    s.bExpand = cmd.vecParam[9];
    s.bFixedToScreen = cmd.vecParam[10];
    s.bRefresh = cmd.vecParam[11];
    s.bManagedById = byId;
    s.nId = cmd.vecParam[13];
    s.bZoomIn = cmd.vecParam[14];
    s.nRefreshInterval = cmd.vecParam[16];
    s.nAnchor = AnchorOf(actor, s.nPosition);
    s.bChained = chained;
    if (window) {
        if (!window->Open(scene, s)) {
            scene.RemoveMessage(window);
            return;
        }
    } else {
        window = scene.AddMessage(s);
        if (!window) return;
    }
    if (!s.bWait) return;

    WaitControl& wait = scene.m_WaitControl;
    if (s.nDurationKind == MESSAGE_UNTIL_KEY) {
        wait.Set(WAIT_MESSAGE, 1, 0, chained);
        if (!chained) PlaySystemSe(kSeMessageOpen);
    } else if (s.nDurationKind == MESSAGE_FOR_TIME) {
        wait.Set(WAIT_MESSAGE, 0, s.nTime, chained);
    } else {
        // Until the stage ends cannot be waited for inside the stage: the window waits for
        // the progress key instead, without the opening sound and the guard.
        wait.Set(WAIT_MESSAGE, 1, 0, 1);
    }
    RunPauseThread(scene, 1);
    // Removed by itself: a window that ended meanwhile takes nothing else with it.
    scene.RemoveMessage(window);
}

void CmdMessageEntry(cActorBase& actor, cCommandInstance& cmd) {
    if (!cmd.m_pCmd) return;
    const FlowInstance* flow = lpGame ? lpGame->m_pCurFlow : nullptr;
    CmdMessage(actor, *cmd.m_pCmd, flow ? flow->m_bMessageWait : 0);
}

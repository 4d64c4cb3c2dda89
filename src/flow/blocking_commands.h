// The commands that can hold the whole game while something is shown: the game wait (type
// 18), the message (19), the animation effect (29) and the picture (32). Each puts an entry
// on one of the game scene's display lists and, when asked to wait, returns only after the
// pause thread has run the wait's frames.
#pragma once

#include <algorithm>
#include <cstdint>

class cActorBase;
class cCommandInstance;
class cEdCommand;

// Tenths of a second as frames (six each), held at the int32 limits: a damaged time waits
// long, never a negative or wrapped time.
inline std::int32_t FramesOfTenthsHeld(std::int64_t tenths) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(tenths * 6, INT32_MIN, INT32_MAX));
}

// The workers, shared by the flow commands and the item commands. `chained`: the message
// follows a key-wait message of the same flow (or item list) without a pause.
void CmdGameWait(cActorBase& actor, const cEdCommand& cmd);
void CmdMessage(cActorBase& actor, const cEdCommand& cmd, int chained);
void CmdEffect(cActorBase& actor, const cEdCommand& cmd);
void CmdPicture(cActorBase& actor, const cEdCommand& cmd);

// The command-table entry of type 19: the message is chained when it follows a key-wait
// message of the running flow.
void CmdMessageEntry(cActorBase& actor, cCommandInstance& cmd);

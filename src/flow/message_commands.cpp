#include "flow/blocking_commands.h"

// PLACEHOLDER(commands): the game wait and the message only take their time until message
// windows exist.
void CmdGameWait(cActorBase&, const cEdCommand&) {}
void CmdMessage(cActorBase&, const cEdCommand&, int) {}
void CmdGameWaitEntry(cActorBase&, cCommandInstance&) {}
void CmdMessageEntry(cActorBase&, cCommandInstance&) {}

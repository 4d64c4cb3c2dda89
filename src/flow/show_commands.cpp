#include "flow/blocking_commands.h"

// PLACEHOLDER(commands): the effect and the picture commands only take their time until
// they exist.
void CmdEffect(cActorBase&, const cEdCommand&) {}
void CmdPicture(cActorBase&, const cEdCommand&) {}
void CmdEffectEntry(cActorBase&, cCommandInstance&) {}
void CmdPictureEntry(cActorBase&, cCommandInstance&) {}

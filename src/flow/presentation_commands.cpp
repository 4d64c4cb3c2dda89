#include "flow/presentation_commands.h"

// PLACEHOLDER(commands): the presentation commands only take their time until they exist.
void CmdChangeGraphic(cActorBase&, const cEdCommand&) {}
void CmdChangeAnimeSet(cActorBase&, const cEdCommand&) {}
void CmdAnime(cActorBase&, const cEdCommand&) {}
void CmdCharaEffect(cActorBase&, const cEdCommand&) {}
void CmdScreenEffect(cActorBase&, const cEdCommand&) {}
void CmdScreenColor(cActorBase&, const cEdCommand&) {}
void CmdBackground(cActorBase&, const cEdCommand&) {}
void CmdSe(cActorBase&, const cEdCommand&) {}
void CmdBgm(cActorBase&, const cEdCommand&) {}
void CmdChangeGraphicEntry(cActorBase&, cCommandInstance&) {}
void CmdChangeAnimeSetEntry(cActorBase&, cCommandInstance&) {}
void CmdAnimeEntry(cActorBase&, cCommandInstance&) {}
void CmdCharaEffectEntry(cActorBase&, cCommandInstance&) {}
void CmdScreenEffectEntry(cActorBase&, cCommandInstance&) {}
void CmdScreenColorEntry(cActorBase&, cCommandInstance&) {}
void CmdBackgroundEntry(cActorBase&, cCommandInstance&) {}
void CmdSeEntry(cActorBase&, cCommandInstance&) {}
void CmdBgmEntry(cActorBase&, cCommandInstance&) {}

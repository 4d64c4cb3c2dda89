// The commands that change how the stage looks and sounds: an actor's graphic (type 26),
// its basic animation set (27), an animation (28), a character effect (30), the screen
// effect (31), the screen colour (33), a background (34), a sound effect (35) and the music
// (36).
#pragma once

class cActorBase;
class cCommandInstance;
class cEdCommand;

// The workers, shared by the flow commands and the item commands.
void CmdChangeGraphic(cActorBase& actor, const cEdCommand& cmd);
void CmdChangeAnimeSet(cActorBase& actor, const cEdCommand& cmd);
void CmdAnime(cActorBase& actor, const cEdCommand& cmd);
void CmdCharaEffect(cActorBase& actor, const cEdCommand& cmd);
void CmdScreenEffect(cActorBase& actor, const cEdCommand& cmd);
void CmdScreenColor(cActorBase& actor, const cEdCommand& cmd);
void CmdBackground(cActorBase& actor, const cEdCommand& cmd);
void CmdSe(cActorBase& actor, const cEdCommand& cmd);
void CmdBgm(cActorBase& actor, const cEdCommand& cmd);

// The command-table entries of types 26 to 28, 30, 31 and 33 to 36.
void CmdChangeGraphicEntry(cActorBase& actor, cCommandInstance& cmd);
void CmdChangeAnimeSetEntry(cActorBase& actor, cCommandInstance& cmd);
void CmdAnimeEntry(cActorBase& actor, cCommandInstance& cmd);
void CmdCharaEffectEntry(cActorBase& actor, cCommandInstance& cmd);
void CmdScreenEffectEntry(cActorBase& actor, cCommandInstance& cmd);
void CmdScreenColorEntry(cActorBase& actor, cCommandInstance& cmd);
void CmdBackgroundEntry(cActorBase& actor, cCommandInstance& cmd);
void CmdSeEntry(cActorBase& actor, cCommandInstance& cmd);
void CmdBgmEntry(cActorBase& actor, cCommandInstance& cmd);

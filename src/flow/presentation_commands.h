// The commands that change how the stage looks and sounds: an actor's graphic (type 26),
// its basic animation set (27), an animation (28), a character effect (30), the screen
// effect (31), the screen colour (33), a background (34), a sound effect (35) and the music
// (36). None of them waits: each sets the state that the drawing and the sound then play.
#pragma once

#include <cstdint>

class cActorBase;
class cEdCommand;

// The workers, shared by the flow commands (through the command table) and the item
// commands.
//
// The graphic kind (8 bits), number and base column (16 bits each) of the actor's record
// copy; the number also becomes the object's graphic number. The next drawn frame uses them.
void CmdChangeGraphic(cActorBase& actor, const cEdCommand& cmd);
// The actor's basic animation set, rebuilt only when it is another set than the one in use.
void CmdChangeAnimeSet(cActorBase& actor, const cEdCommand& cmd);
// An animation played over the base animation, in front of the ones already playing, tagged
// with the key of the running flow (-1 without one) so that the flow's operations reach it.
void CmdAnime(cActorBase& actor, const cEdCommand& cmd);
// The actor's character effect (number, play mode, repeat); a mode outside 0-2 plays as 0.
void CmdCharaEffect(cActorBase& actor, const cEdCommand& cmd);
// The scene's screen effect, as the character effect; effect 0 ends it, and drawing goes
// back to the real back buffer.
void CmdScreenEffect(cActorBase& actor, const cEdCommand& cmd);
// A tint, a return to the normal screen, or flashes (the screen colour's parameters).
void CmdScreenColor(cActorBase& actor, const cEdCommand& cmd);
// Shows (0), hides (1) or toggles (2) background 1..count of the running stage.
void CmdBackground(cActorBase& actor, const cEdCommand& cmd);
// Sound effect parameter 0 of the project's sound table, subject to the on-screen flag.
void CmdSe(cActorBase& actor, const cEdCommand& cmd);
// Music record parameter 0 from its start (0 stops the music), with loop setting parameter 1.
void CmdBgm(cActorBase& actor, const cEdCommand& cmd);

// The sound of a command: sound effect `sound` of the project's sound table, unless the
// command sounds only for an actor on screen and this actor is not on screen in this frame.
void PlayOnScreenSe(const cActorBase& actor, const cEdCommand& cmd, std::int16_t sound);

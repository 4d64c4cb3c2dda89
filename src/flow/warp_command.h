// ワープ (type 20): the actor jumps to another place at once: a distance in a direction, a
// distance from its target, or a point (relative, on the map, or on the screen). A warp into
// a wall or out of the stage's area leaves the actor where it was.
#pragma once

class cActorBase;
class cCommandInstance;
class cEdCommand;

// How the move record gives the place (its specification) and the kind of a point.
enum WarpSpec : int {
    kWarpByDirection = 0,
    kWarpFromTarget = 1,
    kWarpToPoint = 2,
};
enum WarpPointKind : int {
    kWarpRelative = 0,
    kWarpAbsolute = 1,
    kWarpScreen = 2,
};

// The warp of the command's move record on the actor. Without a move record nothing
// happens; a specification or a kind out of range moves nothing. A warp to a screen point
// fixes the actor at that view position (also when the warp was refused) until a movement
// command or another warp.
void CmdWarp(cActorBase& actor, const cEdCommand& cmd);

// The command-table entry of type 20.
void CmdWarpEntry(cActorBase& actor, cCommandInstance& cmd);

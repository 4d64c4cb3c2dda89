// The set-ups that movement and jump commands make once, when their flow is installed on an
// actor: speeds, radii and times that depend on the command's data and the actor's clone
// value but not on the moment the command runs.
#pragma once

class cActorBase;
class cCommandInstance;

using MoveSetup = void (*)(cCommandInstance& cmd, cActorBase& actor);

// One entry per character command type; null where the type has no set-up.
inline constexpr int kMoveSetupTypes = 40;
extern const MoveSetup MoveSetupTable[kMoveSetupTypes];

// The set-up of a command type, or null for a type without one (any type outside the
// table included).
MoveSetup MoveSetupFor(int type);

// Straight, turn-back-on-ground, charge and off-screen-avoiding moves.
void SetupMoveCommand(cCommandInstance& cmd, cActorBase& actor);
void SetupCircleMove(cCommandInstance& cmd, cActorBase& actor);
void SetupHomingMove(cCommandInstance& cmd, cActorBase& actor);
void SetupJumpCommand(cCommandInstance& cmd, cActorBase& actor);

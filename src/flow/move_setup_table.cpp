#include "flow/move_setup_table.h"

// PLACEHOLDER bodies: the movement and jump commands replace them.
void SetupMoveCommand(cCommandInstance&, cActorBase&) {}
void SetupCircleMove(cCommandInstance&, cActorBase&) {}
void SetupHomingMove(cCommandInstance&, cActorBase&) {}
void SetupJumpCommand(cCommandInstance&, cActorBase&) {}

const MoveSetup MoveSetupTable[kMoveSetupTypes] = {
    nullptr,           // 0
    nullptr,           // 1 wait
    SetupMoveCommand,  // 2 straight move
    SetupMoveCommand,  // 3 turn back on the ground
    SetupCircleMove,   // 4 circle
    SetupMoveCommand,  // 5 charge
    SetupHomingMove,   // 6 homing
    SetupMoveCommand,  // 7 avoid leaving the screen
    nullptr,           // 8
    nullptr,           // 9
    SetupJumpCommand,  // 10 jump
    // 11 .. 39: no set-up.
};

MoveSetup MoveSetupFor(int type) {
    if (type < 0 || type >= kMoveSetupTypes) return nullptr;
    return MoveSetupTable[type];
}

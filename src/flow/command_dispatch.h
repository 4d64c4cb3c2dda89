// The command dispatcher: every tick a running command is stepped, and the step calls the
// handler of its command type through one table of 40 entries (movement, direction, jump,
// shots, summons, flow operations, waits, messages, statuses, presentation, code, arrange).
#pragma once

class cActorBase;
class cCommandInstance;

// The number of character command types.
inline constexpr int kCommandTypes = 40;

// One tick of the command on the actor: the handler of its type. A command without a
// definition, or of a type outside the table, does nothing.
void RunCommand(cActorBase& actor, cCommandInstance& cmd);

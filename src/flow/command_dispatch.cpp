#include "flow/command_dispatch.h"

#include "flow/flow_instance.h"
#include "stage/actor.h"

void RunCommand(cActorBase&, cCommandInstance&) {
    // PLACEHOLDER until the command handlers exist: no command does anything yet; each only
    // takes its time.
}

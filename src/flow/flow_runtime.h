// Running the flows of an actor: starting, stopping, pausing and halting a flow, one tick of
// a flow and of a command, the lead-in animations that the flows' cues start, the removal of
// flows and of their animation entries, and the trigger pass that decides which flows start.
//
// The operations themselves are members of FlowInstance, cCommandInstance and cActorBase
// (flow/flow_instance.h, stage/actor.h); this header adds what is not a member of one of
// them.
//
// While a flow or a command runs, the game scene's command context names the actor, the flow
// and the command (m_pCurActor, m_pCurFlow, m_pCurCmd), as the command handlers read them
// there. Without a game scene nothing is recorded; the flows still run.
#pragma once

class cActorBase;
class FlowInstance;

// The command types the runtime treats apart: a message can leave the flow waiting for the
// player after it has finished; an arrange changes the next command, not itself.
inline constexpr int kCommandTypeMessage = 19;
inline constexpr int kCommandTypeArrange = 38;
// From this type on, a parallel command of a flow raised before the stage starts runs in
// that one step; the movement, direction, jump, shot and summon commands before it do not.
inline constexpr int kFirstCommandTypeBeforeStart = 16;

// Whether the flow's conditions hold for the actor. No conditions: they hold. Once they have
// held, a flow whose definition latches them holds without testing them again.
bool TestFlowConditions(FlowInstance& flow, cActorBase& actor);

// Services that characters and items call and that other parts of the stage engine provide:
// the flow pass's operations on one flow, the command context of the game scene and the
// sound of a command. Each is a PLACEHOLDER with the smallest honest behaviour until the work
// named at it replaces it.
#pragma once

#include "app/checked_vector.h"
#include "data/chara_record.h"
#include "data/command_record.h"
#include "data/flow_records.h"

class cActorBase;
class cCommandInstance;
class FlowInstance;

// PLACEHOLDER until the flow pass exists: the animation cues of the running flows do
// nothing.
void UpdateFlowCuesService(cActorBase& actor);

// PLACEHOLDER until the flow pass exists: one tick of flow `index`; 1 when it reached its
// end. Runs no command and reports the end, so that a running flow stops.
int UpdateFlowService(cActorBase& actor, int index);

// PLACEHOLDER until the flow pass exists: the flow stops running.
void StopFlowService(cActorBase& actor, int index);

// PLACEHOLDER until the flow pass exists: the instance stays, stopped, its request
// cleared.
void RemoveFlowService(cActorBase& actor, int index);

// PLACEHOLDER until the game scene keeps the command context of the expression language:
// the actor, flow and command whose commands run now (null: none). Nothing is kept.
void SetCommandContextService(cActorBase* actor, FlowInstance* flow, cCommandInstance* cmd);

// PLACEHOLDER until sound requests exist: the sound of a command is not played.
void PlayCommandSoundService(const cActorBase& actor, const cCommandInstance& cmd);

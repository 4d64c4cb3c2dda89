// Services that characters and items call and that other parts of the stage engine provide:
// the flow pass's operations on one flow, the command context of the game scene and the
// sound of a command. Each is a PLACEHOLDER with the smallest honest behaviour until the work
// named at it replaces it.
#pragma once

#include <cstdint>

#include "app/checked_vector.h"
#include "data/chara_record.h"
#include "data/command_record.h"
#include "data/flow_records.h"

class cActorBase;
class cCommandInstance;
class cHeroActor;
class cInput;
class FlowInstance;
struct DDSURFACEDATA;

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

// The command context of the game scene: the actor, flow and command whose commands run now
// (null: none). Nothing is kept while no game scene exists.
void SetCommandContextService(cActorBase* actor, FlowInstance* flow, cCommandInstance* cmd);

// PLACEHOLDER until triggers exist: the actor's flows of the trigger kind are tested and
// started. None starts.
void TriggerFlowsService(cActorBase& actor, int trigger);

// Whether a condition list holds (mode 0 all, 1 one or more, any other mode never) with
// `subject` as the actor the conditions ask about (null: no hero yet); TestConditionList.
int TestConditionListService(const CheckedVector<cEdCondition>& conditions, int mode,
                             cActorBase* subject);

// PLACEHOLDER until the flow runtime exists: the per-frame flags of the actor's flows are
// cleared. Nothing to clear yet.
void ResetFlowFrameFlagsService(cActorBase& actor);

// Whether the key condition holds for the input in the present frame (TestKeyCondition,
// flow/key_conditions.h): 1 or 0; 0 without an input or a condition.
int TestKeyConditionService(cActorBase& actor, cInput* input, const cEdKeyCondition* cond);

// PLACEHOLDER until the item commands exist: one item command on the hero; 1 when it cleared
// the stage. Does nothing.
int RunItemCommandService(cHeroActor& hero, cEdCommand& cmd);

// PLACEHOLDER until arranges exist: the hero's pending arranges change the item command.
// Nothing changes.
void ApplyItemArrangesService(cHeroActor& hero, cEdCommand& cmd);

// PLACEHOLDER until the item commands exist: a flow change an item queued on the hero, run
// now. Does nothing.
void RunFlowChangeService(cHeroActor& hero, cEdCommand& cmd);

// PLACEHOLDER until message windows exist: an item's message window for the hero. None
// opens.
void OpenItemMessageService(cHeroActor& hero, int message, std::int16_t a, std::int16_t b);

// PLACEHOLDER until actor images are drawn: the actor onto the target. Its animations
// advance; nothing is drawn.
void DrawActorService(cActorBase& actor, DDSURFACEDATA* target, int hold);

// PLACEHOLDER until sound requests exist: the sound of a command is not played.
void PlayCommandSoundService(const cActorBase& actor, const cCommandInstance& cmd);

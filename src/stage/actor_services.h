// What characters, items and flows call across the flow and stage code: the command context
// of the game scene, conditions, the arranges of flows and items, item commands, messages,
// drawing and the sound of a command. Those with a placeholder marker have the smallest
// honest behaviour until the work named by their tag replaces them.
#pragma once

#include <cstdint>

#include "base/checked_vector.h"
#include "data/chara_record.h"
#include "data/command_record.h"
#include "data/flow_records.h"

class cActorBase;
class cCommandInstance;
class cHeroActor;
class cInput;
class FlowInstance;
struct DDSURFACEDATA;

// The command context of the game scene: the actor, flow and command whose commands run now
// (null: none). Nothing is kept while no game scene exists.
void SetCommandContext(cActorBase* actor, FlowInstance* flow, cCommandInstance* cmd);

// Keeps the command context aside while a pass runs and puts it back when the pass ends, by
// whichever way: a pass may run inside another one (the death flows of an actor that a
// command killed, a flow started at once), and the outer pass must find its own context
// again. At the top level the context kept is the empty one.
class CommandContextGuard {
public:
    CommandContextGuard();
    ~CommandContextGuard();
    CommandContextGuard(const CommandContextGuard&) = delete;
    CommandContextGuard& operator=(const CommandContextGuard&) = delete;

    cCommandInstance* OuterCommand() const { return m_pCmd; }

private:
    friend void DropActorFromCommandContexts(const cActorBase* actor);
    // The guard this one was made inside of: the live guards form a stack.
    CommandContextGuard* m_pOuterGuard = nullptr;
    cActorBase* m_pActor = nullptr;
    FlowInstance* m_pFlow = nullptr;
    cCommandInstance* m_pCmd = nullptr;
    // A code kill the outer pass had noticed survives the inner pass, which starts afresh.
    std::int32_t m_bCodeKill = 0;
};

// An actor that goes while passes are kept aside: every kept context that names it is
// emptied, so that no pass gets a context back that points at a freed actor or its flows.
void DropActorFromCommandContexts(const cActorBase* actor);

// The arranges waiting in the flow (null: none) change the command that starts, in the
// order they were made (flow/arrange.cpp).
void ApplyFlowArranges(cEdCommand& cmd, cActorBase& actor, FlowInstance* flow);

// Whether a condition list holds (mode 0 all, 1 one or more, any other mode never) with
// `subject` as the actor the conditions ask about (null: no hero yet); TestConditionList.
int ConditionListHolds(const CheckedVector<cEdCondition>& conditions, int mode,
                       cActorBase* subject);

// Whether the key condition holds for the input in the present frame (TestKeyCondition,
// flow/key_conditions.h): 1 or 0; 0 without an input or a condition.
int KeyConditionHolds(cActorBase& actor, cInput* input, const cEdKeyCondition* cond);

// One item command on the hero: 0 go on, 1 the stage was cleared, 2 (from an item get in
// the list) the hero's HP is gone (flow/item_commands.h).
int RunItemCommand(cHeroActor& hero, cEdCommand& cmd);

// The hero's pending arranges change the item command, in order (flow/arrange.cpp).
void ApplyItemArranges(cHeroActor& hero, cEdCommand& cmd);

// A flow change an item queued on the hero, run now (CmdFlowChange, deferred).
void RunFlowChange(cHeroActor& hero, cEdCommand& cmd);

// The flow changes items queued on the first hero while its flows ran, once the outermost
// flow pass of it has ended; nothing for another actor or while a pass of it runs.
void RunQueuedFlowChanges(cActorBase& actor);

// An item's notice over the hero: icon `message` of the item's graphic (a, b) rising for
// 30 frames.
void OpenItemMessage(cHeroActor& hero, int message, std::int16_t a, std::int16_t b);

// The sound effect of a command (its record's sound number; 0 plays nothing).
void PlayCommandSound(const cActorBase& actor, const cCommandInstance& cmd);

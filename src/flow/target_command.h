// ターゲットの設定 (type 21): the actor takes a target: the hero, itself, the nearest
// character of a group (or of every group), or the first character that passes the filters.
// A target keeps the actors that target it, each once, so that its removal can let them go.
#pragma once

class cActorBase;
class cCommandInstance;
class cEdCommand;

// Whom (parameter 0).
enum TargetWhom : int {
    kTargetHero = 0,
    kTargetSelf = 1,
    kTargetNearest = 2,
    kTargetByFilter = 3,
};

// Finds the target the command asks for and makes it the actor's. When nobody is found, the
// target is cleared (parameter 14 = 0) or kept (1).
void CmdSetTarget(cActorBase& actor, const cEdCommand& cmd);

// The command-table entry of type 21.
void CmdSetTargetEntry(cActorBase& actor, cCommandInstance& cmd);

// The actor's target becomes `target` (null: none): the old target forgets the actor, the
// new one lists it once.
void RetargetActor(cActorBase& actor, cActorBase* target);

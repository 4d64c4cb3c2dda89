// The commands that attack and summon: a shot volley of formations with its clone passes, a
// sword swing, and the summons of blocks, characters and items in a formation.
#pragma once

#include "stage/game_object.h"

class cActorBase;
class cCommandInstance;
class cEdShot;
class cProjectile;

// ショット: a volley in the command's first tick and every tenth of a second after.
void CmdShot(cActorBase& actor, cCommandInstance& cmd);
// One volley: the clone passes, each one formation of the record's count.
void FireShot(ObjectList<cProjectile>& list, cActorBase& actor, cCommandInstance& cmd,
              const cEdShot& shot);
// ソード: one sword per run of the command.
void CmdSword(cActorBase& actor, cCommandInstance& cmd);

// ブロック召喚, キャラ召喚, アイテム召喚: a formation of summoned objects in the command's
// first tick and every tenth of a second after.
void CmdSummonBlock(cActorBase& actor, cCommandInstance& cmd);
void CmdSummonChara(cActorBase& actor, cCommandInstance& cmd);
void CmdSummonItem(cActorBase& actor, cCommandInstance& cmd);
void SummonBlock(cActorBase& actor, cCommandInstance& cmd, const cEdShot& shot);
void SummonChara(cActorBase& actor, cCommandInstance& cmd, const cEdShot& shot);
void SummonItem(cActorBase& actor, cCommandInstance& cmd, const cEdShot& shot);

// The direction code of the record's direction choice for the actor: forward and back by its
// facing, the input direction held when the running flow started, or the choice itself.
int ShotDirection(int choice, const cActorBase& actor);

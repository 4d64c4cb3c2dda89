// 消滅 (type 24): the characters or the shots of one group vanish, on screen or everywhere.
#pragma once

class cActorBase;
class cCommandInstance;
class cEdCommand;
class cGameScene;

enum VanishKind : int {
    kVanishCharas = 0,
    kVanishShots = 1,
};

// Characters: a computer's actor vanishes (m_bVanish), a player's loses its HP; the play frame
// notices the others' ends after the running pass (m_bCodeKill). Shots: each present one (on
// screen unless `everywhere`) is taken out of its group list and destroyed.
void CmdVanish(cActorBase& actor, const cEdCommand& cmd);

// The command-table entry of type 24.
void CmdVanishEntry(cActorBase& actor, cCommandInstance& cmd);

// Destroys the present projectiles of shot group `group` (only those on screen unless
// `everywhere`): each leaves the group list and the scene's projectile list, through the
// scene's one way of removing a projectile.
void DestroyGroupShots(cGameScene& scene, int group, int everywhere);

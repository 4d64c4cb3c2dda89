#include "flow/shot_commands.h"

#include <cstdint>
#include <new>

#include "base/message_box.h"
#include "base/random_range.h"
#include "data/command_record.h"
#include "data/common_palette.h"
#include "data/database.h"
#include "data/move_shot_records.h"
#include "data/stage_record.h"
#include "flow/flow_instance.h"
#include "flow/presentation_commands.h"
#include "stage/actor.h"
#include "stage/formation.h"
#include "stage/game_scene.h"
#include "stage/projectile.h"

namespace {

// Direction choices of the shot record that depend on the facing or the input.
constexpr int kChoiceForward = 0;
constexpr int kChoiceBack = 1;
constexpr int kChoiceForwardY = 4;
constexpr int kChoiceBackY = 5;
constexpr int kChoiceInput = 12;
// The block-summon mode that toggles.
constexpr int kSummonToggle = 2;
// Dots of a shot cell and of a summoned object, times the giant size.
constexpr int kShotCellDots = 16;
constexpr int kSummonDots = 32;

// The counter of a command that acts every tenth of a second.
void CountTenth(cCommandInstance& cmd) {
    if (++cmd.m_nTickCounter >= EdStageWork.speed.nSubSteps6) cmd.m_nTickCounter = 0;
}

// The angle of a pass: mirrored for an actor facing right when the record says so, then
// spread by one random draw.
std::int32_t FinishAngle(std::int32_t angle, const cActorBase& actor, const cEdShot& shot) {
    if (shot.bMirrorAngle && actor.m_bFacingRight) angle = 360 - angle;
    if (shot.nSpread != 0) angle += RandomRange(-shot.nSpread, shot.nSpread);
    return angle;
}

// The launch offsets of clone pass i.
void SetOffsets(SpawnInfo& spawn, const cEdShot& shot, int clone, const cActorBase& actor) {
    spawn.nOffsetX = shot.SpawnOffsetX(clone, actor.m_bFacingRight);
    spawn.nOffsetY = shot.SpawnOffsetY(clone, actor.m_bFacingRight);
}

// The body of a summon: the common part of the three, once the record is known to exist.
void RunSummonFormation(cActorBase& actor, cCommandInstance& cmd, const cEdShot& shot,
                        std::int32_t size) {
    SpawnInfo spawn;
    spawn.nWidth = spawn.nHeight = size;
    spawn.nDirection = ShotDirection(shot.nDirection, actor);
    spawn.dSpeed = 1.0;
    actor.UpdateScreenRect();
    SetOffsets(spawn, shot, 0, actor);
    RunFormation(nullptr, actor, cmd, shot, spawn);
}

template <class T>
const T* SummonRecord(const CheckedVector<T>& common, const CheckedVector<T>& stage,
                      const cEdShot& shot) {
    const CheckedVector<T>& palette = shot.nSummonPalette == 0 ? common : stage;
    const int index = shot.nSummonIndex;
    if (index < 0 || index >= static_cast<int>(palette.size())) return nullptr;
    return &palette[index];
}

// The summon entries share their rhythm: the sound and the body in the first tick of every
// tenth of a second.
template <void (*Body)(cActorBase&, cCommandInstance&, const cEdShot&)>
void SummonEntry(cActorBase& actor, cCommandInstance& cmd) {
    if (!cmd.m_pCmd) return;
    if (cmd.m_nTickCounter == 0) {
        PlayOnScreenSe(actor, *cmd.m_pCmd, cmd.m_pCmd->nSound);
        if (cmd.m_pCmd->spShot) Body(actor, cmd, *cmd.m_pCmd->spShot);
    }
    CountTenth(cmd);
}

}  // namespace

int ShotDirection(int choice, const cActorBase& actor) {
    const int f = actor.m_bFacingRight ? 1 : 0;
    switch (choice) {
        case kChoiceForward:
            return f ? 3 : 2;
        case kChoiceBack:
            return f ? 2 : 3;
        case kChoiceForwardY:
            return f ? 7 : 6;
        case kChoiceBackY:
            return f ? 6 : 7;
        case kChoiceInput: {
            const FlowInstance* flow = lpGame ? lpGame->m_pCurFlow : nullptr;
            return DirectionForFacing(flow ? flow->m_nInputDir : 0, f);
        }
        default:
            return choice;
    }
}

void CmdShot(cActorBase& actor, cCommandInstance& cmd) {
    if (!cmd.m_pCmd) return;
    if (cmd.m_nTickCounter == 0) {
        PlayOnScreenSe(actor, *cmd.m_pCmd, cmd.m_pCmd->nSound);
        if (lpGame && cmd.m_pCmd->spShot)
            FireShot(lpGame->m_listProjectile, actor, cmd, *cmd.m_pCmd->spShot);
    }
    CountTenth(cmd);
}

void FireShot(ObjectList<cProjectile>& list, cActorBase& actor, cCommandInstance& cmd,
              const cEdShot& shot) {
    SpawnInfo spawn;
    spawn.nWidth = spawn.nHeight = GiantScale(shot.nGiant) * kShotCellDots;
    spawn.nDirection = ShotDirection(shot.nDirection, actor);
    if (actor.m_nOperator == 1) {
        actor.UpdateScreenRect();
        if (actor.m_pTarget && actor.m_pTarget->m_nOperator == 1)
            actor.m_pTarget->UpdateScreenRect();
    }
    spawn.dSpeed = shot.nSpeed * 0.1;
    spawn.nAngle = FinishAngle(shot.nAngleOffset, actor, shot);
    spawn.nRange = shot.nRange;
    spawn.nTime = shot.nLife;
    const double speedStep = shot.nSpeedInc * 0.1;

    const int passes = shot.nClonesPerCount + 1;
    for (int i = 0; i < passes; ++i) {
        spawn.nClone = i;
        SetOffsets(spawn, shot, i, actor);
        RunFormation(&list, actor, cmd, shot, spawn);
        // The next pass's values, after the last pass too: a spread volley draws once more
        // than it has passes.
        spawn.dSpeed += speedStep;
        spawn.nAngle = FinishAngle(
            Wrap32(shot.nAngleOffset + std::int64_t{i + 1} * shot.nAngleOffsetInc), actor, shot);
        spawn.nRange = Wrap32(std::int64_t{spawn.nRange} + shot.nRangeInc);
        spawn.nTime = Wrap32(std::int64_t{spawn.nTime} + shot.nLifeInc);
    }
}

void CmdSword(cActorBase& actor, cCommandInstance& cmd) {
    if (!cmd.m_pCmd) return;
    if (cmd.m_nTickCounter == 0 && lpGame && cmd.m_pCmd->spShot) {
        PlayOnScreenSe(actor, *cmd.m_pCmd, cmd.m_pCmd->nSound);
        const cEdShot& shot = *cmd.m_pCmd->spShot;
        // A bad type or a type without frames is reported here; the sword then ends in its
        // first tick.
        const cEdSwordFrame& first = EdDatabase.vecSwordType[shot.nHomingKind].vecFrame[0];
        SpawnInfo spawn;
        spawn.nWidth = first.nCutWidth;
        spawn.nHeight = first.nCutHeight;
        cGameScene& scene = *lpGame;
        try {
            cProjectile& sword = scene.m_listProjectile.Add();
            try {
                sword.Init(scene.m_nShotSerial, actor, kCmdSword, shot, spawn);
                scene.AddProjectile(sword);
            } catch (const std::bad_alloc&) {
                scene.RemoveProjectile(sword.Id());
                throw;
            }
            ++scene.m_nShotSerial;
        } catch (const std::bad_alloc&) {
            MemoryErrorAndClose();
        }
    }
    ++cmd.m_nTickCounter;
}

void CmdSummonBlock(cActorBase& actor, cCommandInstance& cmd) {
    SummonEntry<SummonBlock>(actor, cmd);
}

void CmdSummonChara(cActorBase& actor, cCommandInstance& cmd) {
    SummonEntry<SummonChara>(actor, cmd);
}

void CmdSummonItem(cActorBase& actor, cCommandInstance& cmd) {
    SummonEntry<SummonItem>(actor, cmd);
}

void SummonChara(cActorBase& actor, cCommandInstance& cmd, const cEdShot& shot) {
    const cEdChara* record =
        SummonRecord(EdCommonPalette.vecChara, EdStageWork.vecCharaPalette, shot);
    // Only the computer's characters can be summoned.
    if (!record || record->nControl != 1) return;
    RunSummonFormation(actor, cmd, shot, GiantScale(record->nGiant) * kSummonDots);
}

void SummonItem(cActorBase& actor, cCommandInstance& cmd, const cEdShot& shot) {
    const cEdItem* record = SummonRecord(EdCommonPalette.vecItem, EdStageWork.vecItemPalette, shot);
    if (!record) return;
    RunSummonFormation(actor, cmd, shot, GiantScale(record->nGiant) * kSummonDots);
}

void SummonBlock(cActorBase& actor, cCommandInstance& cmd, const cEdShot& shot) {
    const cEdBlock* record =
        SummonRecord(EdCommonPalette.vecBlock, EdStageWork.vecBlockPalette, shot);
    if (!record || !lpGame) return;
    // Each cell is toggled at most once per firing.
    if (shot.nBlockSummonMode == kSummonToggle) lpGame->m_vecSummonedBlock.Clear();
    RunSummonFormation(actor, cmd, shot, kSummonDots);
}

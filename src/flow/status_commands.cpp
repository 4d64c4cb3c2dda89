#include "flow/status_commands.h"

#include "data/command_record.h"
#include "data/stage_record.h"
#include "flow/conditions.h"
#include "flow/flow_instance.h"
#include "flow/status_tables.h"
#include "scene/game_progress.h"
#include "stage/actor.h"
#include "stage/actor_geometry.h"
#include "stage/game_scene.h"
#include "stage/hero_actor.h"
#include "stage/stage_objects.h"

namespace {

std::int64_t AtWidth(std::int64_t v, int width) {
    switch (width) {
        case 8:
            return static_cast<std::int8_t>(v);
        case 16:
            return static_cast<std::int16_t>(v);
        default:
            return static_cast<std::int32_t>(v);
    }
}

// The operation at the width in 64 bits, then the clamp; the caller stores the low bits.
std::int64_t Operate(std::int64_t v, std::int32_t operand, int op, int width, std::int32_t lo,
                     std::int32_t hi) {
    const std::int64_t n = AtWidth(operand, width);
    switch (op) {
        case kOpSet:
            v = n;
            break;
        case kOpPlus:
            v = AtWidth(v + n, width);
            break;
        case kOpMinus:
            v = AtWidth(v - n, width);
            break;
        case kOpTimes: {
            // Both factors fit the width, so the 64-bit product is exact.
            const std::int64_t p = v * n;
            if (p != AtWidth(p, width))
                v = (v >= 0) == (n >= 0) ? hi : lo;
            else
                v = p;
            break;
        }
        case kOpDivide:
            if (n != 0) v = v / n;
            break;
        case kOpRemainder:
            if (n != 0) v = v % n;
            break;
        case kOpPercent:
            if (width == 8)
                v = PercentOf8(static_cast<std::int32_t>(v), static_cast<std::int32_t>(n));
            else if (width == 16)
                v = PercentOf16(static_cast<std::int32_t>(v), static_cast<std::int32_t>(n));
            else
                v = PercentOf(static_cast<std::int32_t>(v), static_cast<std::int32_t>(n));
            break;
        default:
            break;
    }
    if (v < lo) v = lo;
    if (v > hi) v = hi;
    return v;
}

std::int32_t Param(const cEdCommand& cmd, int index) {
    return cmd.vecParam[index];
}

// Whose 1 is the target; anything but the target and the system is the actor itself.
cActorBase* Subject(int whose, cActorBase& actor) {
    return whose == kWhoseTarget ? actor.m_pTarget : &actor;
}

int IsPlayerOperated(const cActorBase& actor) {
    return actor.m_nOperator == 0 ? 1 : 0;
}

void ChangeSystemStatus(int index, std::int32_t b, int op, int percent) {
    if (index < 0 || index >= kSystemStatusCount) return;
    std::int32_t* value = nullptr;
    switch (index) {
        case kSysStatusTime:
            if (lpGame == nullptr) return;
            value = &lpGame->m_nTime;
            break;
        case kSysStatusScrollX:
            value = &EdStageWork.nAutoScrollX;
            break;
        case kSysStatusScrollY:
            value = &EdStageWork.nAutoScrollY;
            break;
        case kSysStatusScore:
            value = &Progress.m_nScore;
            break;
        case kSysStatusLives:
            // Unlimited lives are no number to change.
            if (Progress.m_nLives == kUnlimitedLives) return;
            value = &Progress.m_nLives;
            break;
    }
    if (percent) b = PercentOf(*value, b);
    const StatusDef& def = kSystemStatusTable[index];
    ApplyStatusOp(*value, b, op, def.nMin, def.nMax);
    if (lpGame == nullptr) return;
    if (index == kSysStatusScrollX)
        lpGame->m_ScrollX.SetAutoSpeed(EdStageWork.nScrollKindX, EdStageWork.nAutoScrollX);
    if (index == kSysStatusScrollY)
        lpGame->m_ScrollY.SetAutoSpeed(EdStageWork.nScrollKindY, EdStageWork.nAutoScrollY);
}

// A status of the subject stored at its width, with the operand b taken as a percentage of
// the current value when asked.
template <class T>
void ChangeStored(T& field, std::int32_t b, int op, int percent, const StatusDef& def) {
    if (percent) {
        if (sizeof(T) == 1)
            b = PercentOf8(field, b);
        else if (sizeof(T) == 2)
            b = PercentOf16(field, b);
        else
            b = PercentOf(field, b);
    }
    if constexpr (sizeof(T) == 1)
        ApplyStatusOp8(field, b, op, def.nMin, def.nMax);
    else if constexpr (sizeof(T) == 2)
        ApplyStatusOp16(field, b, op, def.nMin, def.nMax);
    else
        ApplyStatusOp(field, b, op, def.nMin, def.nMax);
}

}  // namespace

void ApplyStatusOp(std::int32_t& value, std::int32_t operand, int op, std::int32_t lo,
                   std::int32_t hi) {
    value = static_cast<std::int32_t>(Operate(value, operand, op, 32, lo, hi));
}

void ApplyStatusOp16(std::int16_t& value, std::int32_t operand, int op, std::int32_t lo,
                     std::int32_t hi) {
    value = static_cast<std::int16_t>(Operate(value, operand, op, 16, lo, hi));
}

void ApplyStatusOp8(std::int8_t& value, std::int32_t operand, int op, std::int32_t lo,
                    std::int32_t hi) {
    value = static_cast<std::int8_t>(Operate(value, operand, op, 8, lo, hi));
}

void CmdStatus(cActorBase& actor, const cEdCommand& cmd) {
    StatusOperandSpec spec;
    spec.nSource = Param(cmd, 6);
    spec.nConstant = Param(cmd, 7);
    spec.nRandMin = Param(cmd, 8);
    spec.nRandMax = Param(cmd, 9);
    spec.nVarScope = Param(cmd, 10);
    spec.nVarIndex = Param(cmd, 11);
    spec.nWhose = Param(cmd, 12);
    spec.nStatus = Param(cmd, 13);
    std::int32_t b = 0;
    if (!EvalStatusOperand(spec, &actor, b)) return;

    const int op = Param(cmd, 5);
    const int percent = Param(cmd, 14);
    const int index = Param(cmd, 4);

    if (Param(cmd, 0) == 1) {
        std::int32_t* variable = nullptr;
        if (Param(cmd, 1) == 0) variable = &Progress.m_vecVariable[Param(cmd, 2)];
        if (Param(cmd, 1) == 1 && lpGame != nullptr)
            variable = &lpGame->m_vecStageVar[Param(cmd, 2)];
        if (variable == nullptr) return;
        if (percent) b = PercentOf(*variable, b);
        ApplyStatusOp(*variable, b, op, -999999, 999999);
        return;
    }
    if (Param(cmd, 0) != 0) return;

    const int whose = Param(cmd, 3);
    if (whose == kWhoseSystem) {
        ChangeSystemStatus(index, b, op, percent);
        return;
    }
    cActorBase* subject = Subject(whose, actor);
    if (subject == nullptr) return;
    cEdChara& c = subject->m_Chara;
    if (Param(cmd, 17) && c.nShotCollision != 0) return;
    if (index < 0 || index >= kCharaStatusCount) return;
    const StatusDef& def = kCharaStatusTable[index];

    switch (index) {
        case kStatusHp:
        case kStatusSp: {
            const bool hp = index == kStatusHp;
            const std::int32_t current = hp ? subject->m_nHp : subject->m_nSp;
            const std::int32_t maximum = hp ? c.nMaxHp : c.nMaxSp;
            std::int32_t copy = current;
            switch (Param(cmd, 15)) {
                case 0:
                    ApplyStatusOp(copy, b, op, def.nMin, def.nMax);
                    break;
                case 1:
                    ApplyStatusOp(copy, PercentOf(maximum, b), op, def.nMin, def.nMax);
                    break;
                case 2:
                    ApplyStatusOp(copy, PercentOf(current, b), op, def.nMin, def.nMax);
                    break;
                default:
                    break;
            }
            const std::int64_t delta = std::int64_t{copy} - current;
            if (hp)
                subject->ChangeHp(delta, 1, Param(cmd, 16));
            else
                subject->ChangeSp(delta, Param(cmd, 16));
            break;
        }
        case kStatusMaxHp:
        case kStatusMaxSp: {
            const bool hp = index == kStatusMaxHp;
            std::int32_t& maximum = hp ? c.nMaxHp : c.nMaxSp;
            std::int32_t& current = hp ? subject->m_nHp : subject->m_nSp;
            ChangeStored(maximum, b, op, percent, def);
            if (current > maximum) current = maximum;
            break;
        }
        case kStatusSight:
            // Only the player's actors see.
            if (!IsPlayerOperated(*subject)) return;
            ApplyStatusOp8(c.nSight, b, op, def.nMin, def.nMax);
            subject->m_nSight = HblToDots(c.nSight);
            if (lpGame != nullptr) BuildSightMask(*lpGame);
            break;
        case kStatusStopping:
            ApplyStatusOp16(c.nStopping, b, op, def.nMin, def.nMax);
            subject->m_dStopDecel = SpeedFromHundredths(c.nStopping);
            break;
        case kStatusCharaVar:
            ChangeStored(subject->m_vecVar[Param(cmd, 2)], b, op, percent, def);
            break;
        case kStatusCharaId:
            ChangeStored(c.nCharaId, b, op, percent, def);
            break;
        case kStatusZ:
            ChangeStored(c.nZ, b, op, percent, def);
            break;
        case kStatusMark:
            ChangeStored(c.nEmblem, b, op, percent, def);
            break;
        case kStatusBodyPower:
            ChangeStored(c.nBodyPower, b, op, percent, def);
            break;
        case kStatusBodyImpact:
            ChangeStored(c.nBodyImpact, b, op, percent, def);
            break;
        case kStatusDefense:
            ChangeStored(c.nDefense, b, op, percent, def);
            break;
        case kStatusImpactResist:
            ChangeStored(c.nImpactResist, b, op, percent, def);
            break;
        case kStatusScore:
            ChangeStored(c.nScore, b, op, percent, def);
            break;
        default:
            break;
    }

    // Another actor brought to 0 HP by a command is checked for death after this actor's
    // flows.
    if ((index == kStatusHp || index == kStatusMaxHp) && subject != &actor && subject->m_nHp <= 0 &&
        lpGame != nullptr)
        lpGame->m_bCodeKill = 1;
}

void CmdStatus2(cActorBase& actor, const cEdCommand& cmd) {
    const int whose = Param(cmd, 0);
    const int flag = Param(cmd, 1);
    const std::int32_t value = Param(cmd, 2);

    if (whose == kWhoseSystem) {
        if (flag == 0) {
            EdStageWork.nScrollKindX = value;
            if (lpGame != nullptr) lpGame->m_ScrollX.SetAutoSpeed(value, EdStageWork.nAutoScrollX);
        } else if (flag == 1) {
            EdStageWork.nScrollKindY = value;
            if (lpGame != nullptr) lpGame->m_ScrollY.SetAutoSpeed(value, EdStageWork.nAutoScrollY);
        }
        return;
    }
    cActorBase* subject = Subject(whose, actor);
    if (subject == nullptr) return;
    cEdChara& c = subject->m_Chara;
    const auto byte = static_cast<std::int8_t>(value);
    switch (flag) {
        case kFlagVanish:
            if (IsPlayerOperated(*subject))
                subject->m_nHp = 0;
            else
                subject->m_bVanish = 1;
            if (subject != &actor && lpGame != nullptr) lpGame->m_bCodeKill = 1;
            break;
        case kFlagTransparent:
            c.bTransparent = byte;
            break;
        case kFlagFixedFacing:
            c.bFixedFacing = byte;
            break;
        case kFlagFly:
            // Flight is the hero's alone.
            if (IsPlayerOperated(*subject)) {
                if (cHeroActor* hero = FirstHero()) hero->SetFlyMode(byte, 1);
            }
            break;
        case kFlagInvincible:
            c.nShotCollision = byte;
            break;
        case kFlagGiant: {
            // The record keeps the size as given; the boxes grow within 1 to 10.
            const int oldScale = subject->GiantSize();
            const int newScale = byte < 1 ? 1 : (byte > 10 ? 10 : byte);
            subject->SetScale(newScale, oldScale);
            c.nGiant = byte;
            if (IsPlayerOperated(*subject)) {
                if (cHeroActor* hero = FirstHero()) hero->BuildHitBoxList();
            }
            break;
        }
        case kFlagScrollSync:
            c.bScrollSync = byte;
            subject->m_bScrollSync = byte;
            break;
        default:
            break;
    }
}

void CmdStatusEntry(cActorBase& actor, cCommandInstance& cmd) {
    if (cmd.m_pCmd) CmdStatus(actor, *cmd.m_pCmd);
}

void CmdStatus2Entry(cActorBase& actor, cCommandInstance& cmd) {
    if (cmd.m_pCmd) CmdStatus2(actor, *cmd.m_pCmd);
}

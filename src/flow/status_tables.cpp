#include "flow/status_tables.h"

#include "base/random_range.h"
#include "data/stage_record.h"
#include "flow/conditions.h"
#include "scene/game_progress.h"
#include "stage/actor.h"
#include "stage/actor_geometry.h"
#include "stage/game_scene.h"

// The ranges are those the status commands hold a status to; the condition applies them to
// an operand given in percent.
const StatusDef kCharaStatusTable[kCharaStatusCount] = {
    {"キャラ変数", 32, -999999, 999999},
    {"HP", 32, 0, 999999},
    {"SP", 32, 0, 999999},
    {"最大HP", 32, 0, 999999},
    {"最大SP", 32, 0, 999999},
    {"キャラID", 8, 0, 99},
    {"Z座標", 8, 0, 7},
    {"マーク番号", 16, 0, 119},
    {"視界範囲(hbl)", 8, 0, 40},
    {"体当たりの威力", 32, -999999, 999999},
    {"体当たりの衝撃", 8, -20, 20},
    {"防御力", 32, 0, 999999},
    {"衝撃耐性", 8, 0, 20},
    {"止まりやすさ", 16, 0, 200},
    {"倒したら獲得するスコア", 32, -999999, 999999},
};

const StatusDef kSystemStatusTable[kSystemStatusCount] = {
    {"時間", 32, 0, 999},
    {"横スクロール速度", 32, -480, 480},
    {"縦スクロール速度", 32, -480, 480},
    {"スコア", 32, 0, 999999},
    {"残り人数", 32, 0, 99},
};

const char* const kStatusFlagLabels[kStatusFlagCount] = {
    "消滅", "透明", "向き固定", "飛行", "無敵", "巨大化", "オートスクロールとシンクロ",
};

bool CompareByOp16(std::int32_t v, std::int32_t n, int code) {
    return CompareByOp(static_cast<std::int16_t>(v), static_cast<std::int16_t>(n), code);
}

bool CompareByOp8(std::int32_t v, std::int32_t n, int code) {
    return CompareByOp(static_cast<std::int8_t>(v), static_cast<std::int8_t>(n), code);
}

std::int16_t PercentOf16(std::int32_t a, std::int32_t b) {
    return static_cast<std::int16_t>(PercentOf(static_cast<std::int16_t>(a), b));
}

std::int8_t PercentOf8(std::int32_t a, std::int32_t b) {
    return static_cast<std::int8_t>(PercentOf(static_cast<std::int8_t>(a), b));
}

void Clamp(std::int32_t& value, std::int32_t lo, std::int32_t hi) {
    if (value < lo) value = lo;
    if (value > hi) value = hi;
}

void Clamp8(std::int8_t& value, std::int32_t lo, std::int32_t hi) {
    if (value < lo) value = static_cast<std::int8_t>(lo);
    if (value > hi) value = static_cast<std::int8_t>(hi);
}

bool TestStatusCompare(std::int32_t value, std::int32_t reference, std::int32_t operand, int code,
                       int percent, std::int32_t lo, std::int32_t hi) {
    if (percent) {
        operand = PercentOf(reference, operand);
        Clamp(operand, lo, hi);
    }
    return CompareByOp(value, operand, code);
}

bool TestStatusCompare16(std::int32_t value, std::int32_t reference, std::int32_t operand, int code,
                         int percent, std::int32_t lo, std::int32_t hi) {
    std::int32_t n = static_cast<std::int16_t>(operand);
    if (percent) {
        n = PercentOf16(reference, operand);
        Clamp(n, lo, hi);
    }
    return CompareByOp16(value, n, code);
}

bool TestStatusCompare8(std::int32_t value, std::int32_t reference, std::int32_t operand, int code,
                        int percent, std::int32_t lo, std::int32_t hi) {
    std::int8_t n = static_cast<std::int8_t>(operand);
    if (percent) {
        n = PercentOf8(reference, operand);
        Clamp8(n, lo, hi);
    }
    return CompareByOp8(value, n, code);
}

bool ReadScopedVariable(int scope, int index, std::int32_t& value) {
    if (scope == 0) {
        value = Progress.m_vecVariable[index];
        return true;
    }
    if (scope == 1 && lpGame != nullptr) {
        value = lpGame->m_vecStageVar[index];
        return true;
    }
    return false;
}

bool ReadCharaStatus(cActorBase& actor, int index, int varIndex, std::int32_t& value) {
    const cEdChara& c = actor.m_Chara;
    switch (index) {
        case kStatusCharaVar:
            value = actor.m_vecVar[varIndex];
            return true;
        case kStatusHp:
            value = actor.m_nHp;
            return true;
        case kStatusSp:
            value = actor.m_nSp;
            return true;
        case kStatusMaxHp:
            value = c.nMaxHp;
            return true;
        case kStatusMaxSp:
            value = c.nMaxSp;
            return true;
        case kStatusCharaId:
            value = c.nCharaId;
            return true;
        case kStatusZ:
            value = c.nZ;
            return true;
        case kStatusMark:
            value = c.nEmblem;
            return true;
        case kStatusSight:
            value = c.nSight;
            return true;
        case kStatusBodyPower:
            value = c.nBodyPower;
            return true;
        case kStatusBodyImpact:
            value = c.nBodyImpact;
            return true;
        case kStatusDefense:
            value = c.nDefense;
            return true;
        case kStatusImpactResist:
            value = c.nImpactResist;
            return true;
        case kStatusStopping:
            // The expression language stores the stop tendency without deriving the
            // deceleration; the first status read of it brings the two together again.
            actor.m_dStopDecel = SpeedFromHundredths(c.nStopping);
            value = c.nStopping;
            return true;
        case kStatusScore:
            value = c.nScore;
            return true;
        default:
            return false;
    }
}

bool ReadSystemStatus(int index, std::int32_t& value) {
    switch (index) {
        case kSysStatusTime:
            if (lpGame == nullptr) return false;
            value = lpGame->m_nTime;
            return true;
        case kSysStatusScrollX:
            value = EdStageWork.nAutoScrollX;
            return true;
        case kSysStatusScrollY:
            value = EdStageWork.nAutoScrollY;
            return true;
        case kSysStatusScore:
            value = Progress.m_nScore;
            return true;
        case kSysStatusLives:
            value = Progress.m_nLives;
            return true;
        default:
            return false;
    }
}

namespace {

// The actor a whose value names: the target for 1, the actor itself for anything but the
// system (2), which has no actor. Null when there is none.
cActorBase* WhoseActor(int whose, cActorBase* actor) {
    if (whose == kWhoseTarget) return actor != nullptr ? actor->m_pTarget : nullptr;
    return actor;
}

bool IsComputerOperated(const cActorBase& actor) {
    return actor.m_nOperator != 0;
}

}  // namespace

StatusOperandSpec OperandOfCondition(const cEdCondition& condition) {
    StatusOperandSpec spec;
    spec.nSource = condition.nSource;
    spec.nConstant = condition.nValue;
    spec.nRandMin = condition.nRandMin;
    spec.nRandMax = condition.nRandMax;
    spec.nWhose = condition.nWhose2;
    spec.nStatus = static_cast<std::uint8_t>(condition.nItem2);
    spec.nVarScope = condition.nVarScope2;
    spec.nVarIndex = condition.nVarIndex2;
    return spec;
}

bool EvalStatusOperand(const StatusOperandSpec& spec, cActorBase* actor, std::int32_t& value) {
    value = 0;
    switch (spec.nSource) {
        case kOperandConstant:
            value = spec.nConstant;
            return true;
        case kOperandRandom:
            value = RandomRange(spec.nRandMin, spec.nRandMax);
            return true;
        case kOperandStatus:
            break;
        case kOperandVariable:
            if (!ReadScopedVariable(spec.nVarScope, spec.nVarIndex, value)) value = 0;
            return true;
        default:
            return true;
    }

    if (spec.nWhose == kWhoseSystem) {
        if (!ReadSystemStatus(spec.nStatus, value)) value = 0;
        // As a value, a time that does not run and lives that do not run out count as none.
        if (spec.nStatus == kSysStatusTime && lpGame != nullptr && lpGame->m_bNoTimeLimit)
            value = 0;
        if (spec.nStatus == kSysStatusLives && value == kUnlimitedLives) value = 0;
        return true;
    }
    cActorBase* owner = WhoseActor(spec.nWhose, actor);
    if (owner == nullptr) return false;
    // Only the player's actors see: a computer's sight is no value at all.
    if (spec.nStatus == kStatusSight && IsComputerOperated(*owner)) return false;
    if (!ReadCharaStatus(*owner, spec.nStatus, spec.nVarIndex, value)) value = 0;
    return true;
}

bool TestStatusCondition(const cEdCondition& condition, cActorBase* actor) {
    std::int32_t operand = 0;
    if (!EvalStatusOperand(OperandOfCondition(condition), actor, operand)) return false;
    const int code = condition.nOp;
    const int percent = condition.bPercent;

    // A variable has no whole to take a percentage of: the operand is then 0.
    if (condition.nSubject == 1) {
        std::int32_t value = 0;
        if (!ReadScopedVariable(condition.nVarScope, condition.nVarIndex, value)) return false;
        return CompareByOp(value, percent ? 0 : operand, code);
    }

    const int index = static_cast<std::uint8_t>(condition.nItem);
    if (condition.nWhose == kWhoseSystem) {
        if (index >= kSystemStatusCount) return false;
        std::int32_t value = 0;
        if (!ReadSystemStatus(index, value)) return false;
        if (index == kSysStatusLives && value == kUnlimitedLives) return false;
        const StatusDef& def = kSystemStatusTable[index];
        return TestStatusCompare(value, 0, operand, code, percent, def.nMin, def.nMax);
    }

    cActorBase* subject = WhoseActor(condition.nWhose, actor);
    if (subject == nullptr) return false;
    // A status past the table lets the condition pass, as saved projects have always seen
    // it do (the system table, by contrast, has always refused its unknown entries).
    if (index >= kCharaStatusCount) return true;
    std::int32_t value = 0;
    ReadCharaStatus(*subject, index, condition.nVarIndex, value);
    // Only HP and SP have a whole (their maximum) that a percentage refers to.
    std::int32_t reference = 0;
    if (index == kStatusHp) reference = subject->m_Chara.nMaxHp;
    if (index == kStatusSp) reference = subject->m_Chara.nMaxSp;
    const StatusDef& def = kCharaStatusTable[index];
    switch (def.nWidth) {
        case 8:
            return TestStatusCompare8(value, reference, operand, code, percent, def.nMin, def.nMax);
        case 16:
            return TestStatusCompare16(value, reference, operand, code, percent, def.nMin,
                                       def.nMax);
        default:
            return TestStatusCompare(value, reference, operand, code, percent, def.nMin, def.nMax);
    }
}

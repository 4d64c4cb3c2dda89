#include "stage/effect_instances.h"

#include <utility>

#include "data/database.h"
#include "platform/trunc.h"
#include "stage/post_load_tables.h"

namespace {

// One tenth of a second per game frame.
constexpr double kTenthPerFrame = 1.0 / 6.0;

// |end − start| / (time × 6): the change per frame that reaches the end value in the time.
// Computed in 64 bits, so no stored value can overflow.
double StepPerFrame(std::int32_t time, std::int32_t start, std::int32_t end) {
    std::int64_t span = static_cast<std::int64_t>(end) - start;
    if (span < 0) span = -span;
    return static_cast<double>(span) / static_cast<double>(EffectTimeDivisor(time) * 6);
}

}  // namespace

void CharaEffectInstance::Init(std::int16_t index, int reversed) {
    nNumber = index;
    lpRecord = reversed ? &EdDatabase.vecCharaEffectRev[index] : &EdDatabase.vecCharaEffect[index];
    cEdCharaEffect& record = *lpRecord;
    std::int32_t* p = record.anParam;
    const std::int32_t kind = record.nKind;
    switch (kind) {
        case 1:
        case 2:
        case 3:
        case 4:
        case 5:
        case 7:
        case 8:
        case 9:
        case 10:
        case 11:
        case 12:
        case 13:
        case 15:
        case 16:
            nDuration = p[0];
            if (reversed) std::swap(p[1], p[2]);
            nFrom = p[1];
            nTo = p[2];
            dLevel = p[1];
            dStep = StepPerFrame(p[0], p[1], p[2]);
            if (kind == 4 || kind == 5) nWorkA = 0;
            break;
        case 6:   // "点滅": the level is the elapsed time
        case 14:  // "半透明"
            nFrom = 0;
            nTo = p[0];
            dLevel = 0;
            nDuration = p[0];
            dStep = kTenthPerFrame;
            nWorkA = 0;
            nWorkB = 0;
            break;
        default:
            break;
    }
    if (kind != 0 && nFrom == nTo) {
        // Nothing to move between: the effect only lasts its time.
        dStep = kTenthPerFrame;
        dElapsed = 0;
    }
}

void ScreenEffectInstance::Init(std::int16_t index, int reversed) {
    nNumber = index;
    bFixed = 0;
    lpRecord = reversed ? &EdDatabase.vecScrEffectRev[index] : &EdDatabase.vecScrEffect[index];
    cEdScrEffect& record = *lpRecord;
    std::int32_t* p = record.anParam;
    const std::int32_t kind = record.nKind;
    switch (kind) {
        case 1:  // "移動": from (p1, p2) to (p3, p4); the level is the elapsed time
            if (reversed) {
                std::swap(p[1], p[3]);
                std::swap(p[2], p[4]);
            }
            dLevel = 0;
            dStep = kTenthPerFrame;
            nWorkA = p[1];
            nWorkB = p[2];
            break;
        case 2:  // "振動（横）"
        case 3:  // "振動（縦）"
            dLevel = 0;
            dShake = 0;
            dStep = kTenthPerFrame;
            nWorkA = 0;
            break;
        case 8:  // "点滅"
            dLevel = 0;
            dStep = kTenthPerFrame;
            nWorkA = 0;
            nWorkB = 0;
            break;
        case 4:
        case 5:
        case 6:
        case 7:
        case 9:
        case 10:
        case 11:
        case 12:
        case 13:
            if (reversed) std::swap(p[1], p[2]);
            dLevel = p[1];
            dStep = StepPerFrame(p[0], p[1], p[2]);
            if (kind == 6 || kind == 7) nWorkA = 0;
            if (p[1] == p[2]) {
                bFixed = 1;
                dStep = kTenthPerFrame;
                dElapsed = 0;
                nDuration = p[0];
            }
            break;
        default:
            break;
    }
}

// ---------------------------------------------------------------- running

void CharaEffectInstance::Start(int number, int mode, int repeat) {
    const CharaEffectInstance& prepared =
        mode == 1 ? CharaEffectStatesRev[number] : CharaEffectStates[number];
    *this = prepared;
    bReversed = mode == 1 ? 1 : 0;
    nNumber = static_cast<std::int16_t>(number);
    nMode = mode;
    bRepeat = repeat;
    nCounter = 0;
}

void CharaEffectInstance::Restart() {
    if (nMode == 2) bReversed = bReversed ? 0 : 1;
    CopyFrom(bReversed ? CharaEffectStatesRev[nNumber] : CharaEffectStates[nNumber]);
    nCounter = 0;
}

void CharaEffectInstance::CopyFrom(const CharaEffectInstance& prepared) {
    lpRecord = prepared.lpRecord;
    nFrom = prepared.nFrom;
    nTo = prepared.nTo;
    dLevel = prepared.dLevel;
    dStep = prepared.dStep;
    dElapsed = prepared.dElapsed;
    nDuration = prepared.nDuration;
    nWorkA = prepared.nWorkA;
    nWorkB = prepared.nWorkB;
}

int CharaEffectInstance::Advance() {
    if (nFrom == nTo) {
        dElapsed += dStep;
        if (dElapsed <= nDuration) return 0;
    } else if (nTo < nFrom) {
        dLevel -= dStep;
        if (dLevel >= nTo) return 0;
    } else {
        dLevel += dStep;
        if (dLevel <= nTo) return 0;
    }
    if (bRepeat || (nMode == 2 && bReversed == 0)) {
        Restart();
        return 0;
    }
    return 1;
}

void ScreenEffectInstance::Start(int number, int mode, int repeat) {
    const ScreenEffectInstance& prepared =
        mode == 1 ? ScrEffectStatesRev[number] : ScrEffectStates[number];
    CopyFrom(prepared);
    bReversed = mode == 1 ? 1 : 0;
    nNumber = static_cast<std::int16_t>(number);
    nMode = mode;
    nCounter = 0;
    bRepeat = repeat;
}

void ScreenEffectInstance::Restart() {
    if (nMode == 2) bReversed = bReversed ? 0 : 1;
    CopyFrom(bReversed ? ScrEffectStatesRev[nNumber] : ScrEffectStates[nNumber]);
    nCounter = 0;
}

void ScreenEffectInstance::CopyFrom(const ScreenEffectInstance& prepared) {
    lpRecord = prepared.lpRecord;
    dLevel = prepared.dLevel;
    dShake = prepared.dShake;
    dStep = prepared.dStep;
    nWorkA = prepared.nWorkA;
    nWorkB = prepared.nWorkB;
    bFixed = prepared.bFixed;
    dElapsed = prepared.dElapsed;
    nDuration = prepared.nDuration;
}

int ScreenEffectInstance::Advance(int from, int to, double step) {
    if (bFixed) {
        dElapsed += step;
        if (dElapsed <= nDuration) return 0;
    } else if (to < from) {
        dLevel -= step;
        if (plat::TruncToInt(dLevel) >= to) return 0;
    } else {
        dLevel += step;
        if (plat::TruncToInt(dLevel) <= to) return 0;
    }
    if (bRepeat || (nMode == 2 && bReversed == 0)) {
        Restart();
        return 0;
    }
    return 1;
}

#include "flow/arrange.h"

#include <boost/shared_ptr.hpp>
#include <cstddef>
#include <cstdint>

#include "base/log.h"
#include "data/command_record.h"
#include "data/label_tables.h"
#include "data/param_desc.h"
#include "flow/command_dispatch.h"
#include "flow/conditions.h"
#include "flow/flow_instance.h"
#include "flow/param_desc_table.h"
#include "flow/status_commands.h"
#include "scene/game_progress.h"
#include "stage/actor.h"
#include "stage/actor_services.h"
#include "stage/game_scene.h"
#include "stage/hero_actor.h"
#include "stage/stage_objects.h"

namespace {

// Where a parameter lives: a field of 8, 16 or 32 bits, or nowhere.
struct FieldRef {
    void* p = nullptr;
    int width = 32;
};

FieldRef F(std::int8_t& field) {
    return {&field, 8};
}
FieldRef F(std::int16_t& field) {
    return {&field, 16};
}
FieldRef F(std::int32_t& field) {
    return {&field, 32};
}

// A record's fields in the order of a type's arrange indexes.
template <class Record>
using FieldOf = FieldRef (*)(Record&);

// The field at `index` of a type's list: nowhere past its end or without the record.
template <class Pointer, class Record, std::size_t N>
FieldRef Pick(const Pointer& record, int index, const FieldOf<Record> (&fields)[N]) {
    if (!record || index < 0 || index >= static_cast<int>(N)) return {};
    return fields[index](*record);
}

constexpr FieldOf<cEdMove> kMove2And5[] = {
    [](cEdMove& m) { return F(m.nTargetXBl); },   // 0
    [](cEdMove& m) { return F(m.nTargetXDot); },  // 1
    [](cEdMove& m) { return F(m.nTargetYBl); },   // 2
    [](cEdMove& m) { return F(m.nTargetYDot); },  // 3
    [](cEdMove& m) { return F(m.nAngle); },       // 4
    [](cEdMove& m) { return F(m.nAngleInc); },    // 5
};
FieldRef MoveOf2And5(int index, cEdCommand& cmd) {
    return Pick(cmd.spMove, index, kMove2And5);
}

constexpr FieldOf<cEdMove> kMove6[] = {
    [](cEdMove& m) { return F(m.nHoming); },      // 0
    [](cEdMove& m) { return F(m.nHomingInc); },   // 1
    [](cEdMove& m) { return F(m.nTargetXBl); },   // 2
    [](cEdMove& m) { return F(m.nTargetXDot); },  // 3
    [](cEdMove& m) { return F(m.nTargetYBl); },   // 4
    [](cEdMove& m) { return F(m.nTargetYDot); },  // 5
};
FieldRef MoveOf6(int index, cEdCommand& cmd) {
    return Pick(cmd.spMove, index, kMove6);
}

constexpr FieldOf<cEdMove> kMove20[] = {
    [](cEdMove& m) { return F(m.nDistance); },     // 0
    [](cEdMove& m) { return F(m.nDistanceInc); },  // 1
    [](cEdMove& m) { return F(m.nTargetXBl); },    // 2
    [](cEdMove& m) { return F(m.nTargetYBl); },    // 3
    [](cEdMove& m) { return F(m.nTargetXDot); },   // 4
    [](cEdMove& m) { return F(m.nTargetYDot); },   // 5
};
FieldRef MoveOf20(int index, cEdCommand& cmd) {
    return Pick(cmd.spMove, index, kMove20);
}

constexpr FieldOf<cEdShot> kShot11[] = {
    [](cEdShot& s) { return F(s.nGraphic); },            // 0
    [](cEdShot& s) { return F(s.nZ); },                  // 1
    [](cEdShot& s) { return F(s.nFormationParam[0]); },  // 2
    [](cEdShot& s) { return F(s.nFormationParam[1]); },  // 3
    [](cEdShot& s) { return F(s.nFormationParam[2]); },  // 4
    [](cEdShot& s) { return F(s.nCount); },              // 5
    [](cEdShot& s) { return F(s.nClonesPerCount); },     // 6
    [](cEdShot& s) { return F(s.nAngleOffset); },        // 7
    [](cEdShot& s) { return F(s.nAngleOffsetInc); },     // 8
    [](cEdShot& s) { return F(s.nSpread); },             // 9
    [](cEdShot& s) { return F(s.nOffsetX); },            // 10
    [](cEdShot& s) { return F(s.nOffsetXInc); },         // 11
    [](cEdShot& s) { return F(s.nOffsetY); },            // 12
    [](cEdShot& s) { return F(s.nOffsetYInc); },         // 13
    [](cEdShot& s) { return F(s.nSide); },               // 14
    [](cEdShot& s) { return F(s.nHomingParam[0]); },     // 15
    [](cEdShot& s) { return F(s.nHomingParam[1]); },     // 16
    [](cEdShot& s) { return F(s.nHomingParam[2]); },     // 17
    [](cEdShot& s) { return F(s.nSpeed); },              // 18
    [](cEdShot& s) { return F(s.nSpeedInc); },           // 19
    [](cEdShot& s) { return F(s.nAccel); },              // 20
    [](cEdShot& s) { return F(s.nAccelInc); },           // 21
    [](cEdShot& s) { return F(s.nRange); },              // 22
    [](cEdShot& s) { return F(s.nRangeInc); },           // 23
    [](cEdShot& s) { return F(s.nLife); },               // 24
    [](cEdShot& s) { return F(s.nLifeInc); },            // 25
    [](cEdShot& s) { return F(s.nVanish); },             // 26
    [](cEdShot& s) { return F(s.nPower); },              // 27
    [](cEdShot& s) { return F(s.nImpact); },             // 28
};
FieldRef ShotOf11(int index, cEdCommand& cmd) {
    return Pick(cmd.spShot, index, kShot11);
}

constexpr FieldOf<cEdShot> kShot12[] = {
    [](cEdShot& s) { return F(s.nSide); },    // 0
    [](cEdShot& s) { return F(s.nZ); },       // 1
    [](cEdShot& s) { return F(s.nPower); },   // 2
    [](cEdShot& s) { return F(s.nImpact); },  // 3
};
FieldRef ShotOf12(int index, cEdCommand& cmd) {
    return Pick(cmd.spShot, index, kShot12);
}

constexpr FieldOf<cEdShot> kShot13[] = {
    [](cEdShot& s) { return F(s.nFormationParam[0]); },  // 0
    [](cEdShot& s) { return F(s.nFormationParam[1]); },  // 1
    [](cEdShot& s) { return F(s.nFormationParam[2]); },  // 2
    [](cEdShot& s) { return F(s.nCount); },              // 3
    [](cEdShot& s) { return F(s.nOffsetX); },            // 4
    [](cEdShot& s) { return F(s.nOffsetY); },            // 5
};
FieldRef ShotOf13(int index, cEdCommand& cmd) {
    return Pick(cmd.spShot, index, kShot13);
}

// The summons keep their lifetime in the range field.
constexpr FieldOf<cEdShot> kShot14[] = {
    [](cEdShot& s) { return F(s.nRange); },              // 0
    [](cEdShot& s) { return F(s.nSide); },               // 1
    [](cEdShot& s) { return F(s.nFormationParam[0]); },  // 2
    [](cEdShot& s) { return F(s.nFormationParam[1]); },  // 3
    [](cEdShot& s) { return F(s.nFormationParam[2]); },  // 4
    [](cEdShot& s) { return F(s.nCount); },              // 5
    [](cEdShot& s) { return F(s.nOffsetX); },            // 6
    [](cEdShot& s) { return F(s.nOffsetY); },            // 7
};
FieldRef ShotOf14(int index, cEdCommand& cmd) {
    return Pick(cmd.spShot, index, kShot14);
}

constexpr FieldOf<cEdShot> kShot15[] = {
    [](cEdShot& s) { return F(s.nRange); },              // 0
    [](cEdShot& s) { return F(s.nFormationParam[0]); },  // 1
    [](cEdShot& s) { return F(s.nFormationParam[1]); },  // 2
    [](cEdShot& s) { return F(s.nFormationParam[2]); },  // 3
    [](cEdShot& s) { return F(s.nCount); },              // 4
    [](cEdShot& s) { return F(s.nOffsetX); },            // 5
    [](cEdShot& s) { return F(s.nOffsetY); },            // 6
};
FieldRef ShotOf15(int index, cEdCommand& cmd) {
    return Pick(cmd.spShot, index, kShot15);
}

// A parameter of the command itself, by the type's map from arrange index to parameter.
template <const int* Map, int Count>
FieldRef ParamOf(int index, cEdCommand& cmd) {
    if (index < 0 || index >= Count) return {};
    const int param = Map[index];
    if (param < 0 || param >= static_cast<int>(cmd.vecParam.size())) return {};
    return F(cmd.vecParam[param]);
}

constexpr int kMap17[] = {1, 6, 7, 3, 4};
constexpr int kMap19[] = {13, 1, 2, 3, 4};
constexpr int kMap21[] = {1, 9, 12};
constexpr int kMap22[] = {8, 9};
constexpr int kMap24[] = {1};
constexpr int kMap26[] = {1, 2};
constexpr int kMap29[] = {2, 3, 4, 5, 6};
// The picture ID (index 0) reaches nothing.
constexpr int kMap32[] = {-1, 2, 3, 4, 5, 7};
constexpr int kMap33[] = {0, 1, 2, 3};
constexpr int kMap34[] = {0};

// The turn-back, circle and avoiding moves have a pair that reaches nothing.
FieldRef Nothing(int, cEdCommand&) {
    return {};
}

template <FieldRef (*Locate)(int, cEdCommand&)>
bool Get(std::int32_t& out, int index, cEdCommand& cmd) {
    const FieldRef f = Locate(index, cmd);
    if (f.p == nullptr) return false;
    switch (f.width) {
        case 8:
            out = *static_cast<std::int8_t*>(f.p);
            break;
        case 16:
            out = *static_cast<std::int16_t*>(f.p);
            break;
        default:
            out = *static_cast<std::int32_t*>(f.p);
            break;
    }
    return true;
}

template <FieldRef (*Locate)(int, cEdCommand&)>
void Set(std::int32_t value, int index, cEdCommand& cmd) {
    const FieldRef f = Locate(index, cmd);
    if (f.p == nullptr) return;
    switch (f.width) {
        case 8:
            *static_cast<std::int8_t*>(f.p) = static_cast<std::int8_t>(value);
            break;
        case 16:
            *static_cast<std::int16_t*>(f.p) = static_cast<std::int16_t>(value);
            break;
        default:
            *static_cast<std::int32_t*>(f.p) = value;
            break;
    }
}

#define K4_ARRANGE_PAIR(locate) \
    { &Get<locate>, &Set<locate> }
struct Pair {
    ArrangeGetter get;
    ArrangeSetter set;
};
constexpr Pair kNoPair = {nullptr, nullptr};
constexpr Pair kPairs[40] = {
    kNoPair,                                // 0
    kNoPair,                                // 1
    K4_ARRANGE_PAIR(MoveOf2And5),           // 2
    K4_ARRANGE_PAIR(Nothing),               // 3
    K4_ARRANGE_PAIR(Nothing),               // 4
    K4_ARRANGE_PAIR(MoveOf2And5),           // 5
    K4_ARRANGE_PAIR(MoveOf6),               // 6
    K4_ARRANGE_PAIR(Nothing),               // 7
    kNoPair,                                // 8
    kNoPair,                                // 9
    kNoPair,                                // 10
    K4_ARRANGE_PAIR(ShotOf11),              // 11
    K4_ARRANGE_PAIR(ShotOf12),              // 12
    K4_ARRANGE_PAIR(ShotOf13),              // 13
    K4_ARRANGE_PAIR(ShotOf14),              // 14
    K4_ARRANGE_PAIR(ShotOf15),              // 15
    kNoPair,                                // 16
    K4_ARRANGE_PAIR((ParamOf<kMap17, 5>)),  // 17
    kNoPair,                                // 18
    K4_ARRANGE_PAIR((ParamOf<kMap19, 5>)),  // 19
    K4_ARRANGE_PAIR(MoveOf20),              // 20
    K4_ARRANGE_PAIR((ParamOf<kMap21, 3>)),  // 21
    K4_ARRANGE_PAIR((ParamOf<kMap22, 2>)),  // 22
    kNoPair,                                // 23
    K4_ARRANGE_PAIR((ParamOf<kMap24, 1>)),  // 24
    kNoPair,                                // 25
    K4_ARRANGE_PAIR((ParamOf<kMap26, 2>)),  // 26
    kNoPair,                                // 27
    kNoPair,                                // 28
    K4_ARRANGE_PAIR((ParamOf<kMap29, 5>)),  // 29
    kNoPair,                                // 30
    kNoPair,                                // 31
    K4_ARRANGE_PAIR((ParamOf<kMap32, 6>)),  // 32
    K4_ARRANGE_PAIR((ParamOf<kMap33, 4>)),  // 33
    K4_ARRANGE_PAIR((ParamOf<kMap34, 1>)),  // 34
    kNoPair,                                // 35
    kNoPair,                                // 36
    kNoPair,                                // 37
    kNoPair,                                // 38
    kNoPair,                                // 39
};
#undef K4_ARRANGE_PAIR

// The formation or homing range for an arranged formation or homing parameter, by the
// shot record's kind. False when the parameter is no such one; `known` false when the kind
// lies outside its table.
bool KindRange(int type, int index, const cEdCommand& cmd, std::int32_t& lo, std::int32_t& hi,
               bool& known) {
    int position = -1;
    bool homing = false;
    if ((type == 11 || type == 14) && index >= 2 && index <= 4) position = index - 2;
    if (type == 13 && index >= 0 && index <= 2) position = index;
    if (type == 15 && index >= 1 && index <= 3) position = index - 1;
    if (type == 11 && index >= 15 && index <= 17) {
        position = index - 15;
        homing = true;
    }
    if (position < 0) return false;
    known = false;
    if (!cmd.spShot) return true;
    const int kind = homing ? cmd.spShot->nHomingKind : cmd.spShot->nFormation;
    const int kinds = homing ? 10 : 6;
    if (kind < 0 || kind >= kinds) {
        ReportLog("Arrange: %s kind %d has no range", homing ? "homing" : "formation", kind);
        return true;
    }
    const ParamDesc& d =
        homing ? HomingParamTable[kind * 3 + position] : FormationParamTable[kind * 3 + position];
    lo = d.nMin;
    hi = d.nMax;
    known = true;
    return true;
}

}  // namespace

const ArrangeGetter ArrangeGetTable[40] = {
    kPairs[0].get,  kPairs[1].get,  kPairs[2].get,  kPairs[3].get,  kPairs[4].get,  kPairs[5].get,
    kPairs[6].get,  kPairs[7].get,  kPairs[8].get,  kPairs[9].get,  kPairs[10].get, kPairs[11].get,
    kPairs[12].get, kPairs[13].get, kPairs[14].get, kPairs[15].get, kPairs[16].get, kPairs[17].get,
    kPairs[18].get, kPairs[19].get, kPairs[20].get, kPairs[21].get, kPairs[22].get, kPairs[23].get,
    kPairs[24].get, kPairs[25].get, kPairs[26].get, kPairs[27].get, kPairs[28].get, kPairs[29].get,
    kPairs[30].get, kPairs[31].get, kPairs[32].get, kPairs[33].get, kPairs[34].get, kPairs[35].get,
    kPairs[36].get, kPairs[37].get, kPairs[38].get, kPairs[39].get,
};
const ArrangeSetter ArrangeSetTable[40] = {
    kPairs[0].set,  kPairs[1].set,  kPairs[2].set,  kPairs[3].set,  kPairs[4].set,  kPairs[5].set,
    kPairs[6].set,  kPairs[7].set,  kPairs[8].set,  kPairs[9].set,  kPairs[10].set, kPairs[11].set,
    kPairs[12].set, kPairs[13].set, kPairs[14].set, kPairs[15].set, kPairs[16].set, kPairs[17].set,
    kPairs[18].set, kPairs[19].set, kPairs[20].set, kPairs[21].set, kPairs[22].set, kPairs[23].set,
    kPairs[24].set, kPairs[25].set, kPairs[26].set, kPairs[27].set, kPairs[28].set, kPairs[29].set,
    kPairs[30].set, kPairs[31].set, kPairs[32].set, kPairs[33].set, kPairs[34].set, kPairs[35].set,
    kPairs[36].set, kPairs[37].set, kPairs[38].set, kPairs[39].set,
};

void CmdArrange(const cEdCommand& cmd, FlowInstance* flow) {
    CheckedVector<std::int32_t> entry(kArrangeEntrySize, 0);
    const int count = static_cast<int>(cmd.vecParam.size());
    for (int i = 0; i < kArrangeEntrySize && i < count; ++i) entry[i] = cmd.vecParam[i];
    if (cmd.nCmdKind == 0) {
        if (flow != nullptr) flow->m_listPendingArrange.push_back(std::move(entry));
        return;
    }
    if (cHeroActor* hero = FirstHero()) hero->m_listItemArrange.push_back(std::move(entry));
}

void CmdArrangeEntry(cActorBase& actor, cCommandInstance& cmd) {
    if (!cmd.m_pCmd) return;
    // The flow whose command this is.
    FlowInstance* flow = lpGame != nullptr ? lpGame->m_pCurFlow : nullptr;
    for (FlowInstance& f : actor.m_vecFlow) {
        if (f.m_vecCmd.empty()) continue;
        const cCommandInstance* first = &f.m_vecCmd[0];
        if (&cmd >= first && &cmd < first + f.m_vecCmd.size()) {
            flow = &f;
            break;
        }
    }
    CmdArrange(*cmd.m_pCmd, flow);
}

void ApplyArrange(cEdCommand& cmd, const CheckedVector<std::int32_t>& entry, cActorBase& actor) {
    if (entry.size() < static_cast<std::size_t>(kArrangeEntrySize)) return;
    const int type = cmd.FlowType();
    if (type < 0 || type >= kCommandTypes) return;
    if (entry[0] != type || ArrangeSetTable[type] == nullptr) return;
    const int index = entry[1];

    // The operand: a variable that exists, else the arrange does nothing.
    const int k = entry[4];
    std::int32_t n = 0;
    switch (entry[3]) {
        case 0:
            if (k < 1 || k >= static_cast<int>(Progress.m_vecVariable.size())) return;
            n = Progress.m_vecVariable[k];
            break;
        case 1:
            if (lpGame == nullptr || k < 1 || k >= static_cast<int>(lpGame->m_vecStageVar.size()))
                return;
            n = lpGame->m_vecStageVar[k];
            break;
        case 2:
            if (k < 0 || k >= static_cast<int>(actor.m_vecVar.size())) return;
            n = actor.m_vecVar[k];
            break;
        default:
            return;
    }

    // An index without a descriptor is a damaged project: the checked access reports it.
    const cParamRange& range = cParamDescTable[type][index];
    std::int32_t lo = range.nMin;
    std::int32_t hi = range.nMax;
    bool known = true;
    if (KindRange(type, index, cmd, lo, hi, known) && !known) return;

    std::int32_t current = 0;
    if (!ArrangeGetTable[type](current, index, cmd)) return;

    std::int64_t v = current;
    switch (entry[2]) {
        case kOpSet:
            v = n;
            break;
        case kOpPlus:
            v = static_cast<std::int32_t>(static_cast<std::uint32_t>(current) +
                                          static_cast<std::uint32_t>(n));
            break;
        case kOpMinus:
            v = static_cast<std::int32_t>(static_cast<std::uint32_t>(current) -
                                          static_cast<std::uint32_t>(n));
            break;
        case kOpTimes: {
            const std::int64_t p = std::int64_t{current} * n;
            if (p > INT32_MAX || p < INT32_MIN)
                v = (current >= 0) == (n >= 0) ? hi : lo;
            else
                v = p;
            break;
        }
        case kOpDivide:
            if (n != 0) v = std::int64_t{current} / n;
            break;
        case kOpRemainder:
            if (n != 0) v = std::int64_t{current} % n;
            break;
        case kOpPercent:
            v = PercentOf(current, n);
            break;
        default:
            break;
    }
    if (v < lo)
        v = lo;
    else if (v > hi)
        v = hi;
    ArrangeSetTable[type](static_cast<std::int32_t>(v), index, cmd);
}

void ApplyFlowArranges(cEdCommand& cmd, cActorBase& actor, FlowInstance* flow) {
    if (flow == nullptr) return;
    for (const CheckedVector<std::int32_t>& entry : flow->m_listPendingArrange)
        ApplyArrange(cmd, entry, actor);
}

void ApplyItemArranges(cHeroActor& hero, cEdCommand& cmd) {
    for (const CheckedVector<std::int32_t>& entry : hero.m_listItemArrange)
        ApplyArrange(cmd, entry, hero);
}

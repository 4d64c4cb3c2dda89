// Arranges: every accessor pair reaches exactly its field or parameter, the arithmetic with
// saturation and clamping, the formation and homing ranges by kind, what changes nothing,
// and the pending lists the command fills.
#include "flow/arrange.h"

#include <gtest/gtest.h>

#include <boost/make_shared.hpp>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "data/command_record.h"
#include "data/label_tables.h"
#include "data/param_desc.h"
#include "flow/flow_instance.h"
#include "flow/param_desc_table.h"
#include "scene/game_progress.h"
#include "stage/actor.h"
#include "stage/actor_services.h"
#include "stage/engine_globals.h"
#include "stage/game_scene.h"
#include "stage/stage_objects.h"

namespace {

// A command of the type with a move record, a shot record and 20 parameters, every field
// holding a distinct value.
cEdCommand Filled(int type) {
    cEdCommand cmd;
    cmd.nCmdKind = 0;
    cmd.nCmdType = static_cast<std::int8_t>(type);
    cmd.spMove = boost::make_shared<cEdMove>();
    cmd.spShot = boost::make_shared<cEdShot>();
    cmd.vecParam = CheckedVector<std::int32_t>(20, 0);
    for (int i = 0; i < 20; ++i) cmd.vecParam[i] = 1000 + i;
    return cmd;
}

// Where the named parameter lives, read sign-extended.
using Reader = std::function<std::int32_t(cEdCommand&)>;
template <class T>
Reader MoveField(T cEdMove::*field) {
    return [field](cEdCommand& c) { return static_cast<std::int32_t>((*c.spMove).*field); };
}
template <class T>
Reader ShotField(T cEdShot::*field) {
    return [field](cEdCommand& c) { return static_cast<std::int32_t>((*c.spShot).*field); };
}
Reader Formation(int i) {
    return [i](cEdCommand& c) { return static_cast<std::int32_t>(c.spShot->nFormationParam[i]); };
}
Reader Homing(int i) {
    return [i](cEdCommand& c) { return static_cast<std::int32_t>(c.spShot->nHomingParam[i]); };
}
Reader Param(int i) {
    return [i](cEdCommand& c) { return c.vecParam[i]; };
}

// Per type, per arrange index, the place it must reach (null: nothing).
std::vector<std::vector<Reader>> Places() {
    std::vector<std::vector<Reader>> p(40);
    const std::vector<Reader> straight = {
        MoveField(&cEdMove::nTargetXBl), MoveField(&cEdMove::nTargetXDot),
        MoveField(&cEdMove::nTargetYBl), MoveField(&cEdMove::nTargetYDot),
        MoveField(&cEdMove::nAngle),     MoveField(&cEdMove::nAngleInc)};
    p[2] = p[5] = straight;
    p[6] = {MoveField(&cEdMove::nHoming),    MoveField(&cEdMove::nHomingInc),
            MoveField(&cEdMove::nTargetXBl), MoveField(&cEdMove::nTargetXDot),
            MoveField(&cEdMove::nTargetYBl), MoveField(&cEdMove::nTargetYDot)};
    p[20] = {MoveField(&cEdMove::nDistance),   MoveField(&cEdMove::nDistanceInc),
             MoveField(&cEdMove::nTargetXBl),  MoveField(&cEdMove::nTargetYBl),
             MoveField(&cEdMove::nTargetXDot), MoveField(&cEdMove::nTargetYDot)};
    p[11] = {ShotField(&cEdShot::nGraphic),
             ShotField(&cEdShot::nZ),
             Formation(0),
             Formation(1),
             Formation(2),
             ShotField(&cEdShot::nCount),
             ShotField(&cEdShot::nClonesPerCount),
             ShotField(&cEdShot::nAngleOffset),
             ShotField(&cEdShot::nAngleOffsetInc),
             ShotField(&cEdShot::nSpread),
             ShotField(&cEdShot::nOffsetX),
             ShotField(&cEdShot::nOffsetXInc),
             ShotField(&cEdShot::nOffsetY),
             ShotField(&cEdShot::nOffsetYInc),
             ShotField(&cEdShot::nSide),
             Homing(0),
             Homing(1),
             Homing(2),
             ShotField(&cEdShot::nSpeed),
             ShotField(&cEdShot::nSpeedInc),
             ShotField(&cEdShot::nAccel),
             ShotField(&cEdShot::nAccelInc),
             ShotField(&cEdShot::nRange),
             ShotField(&cEdShot::nRangeInc),
             ShotField(&cEdShot::nLife),
             ShotField(&cEdShot::nLifeInc),
             ShotField(&cEdShot::nVanish),
             ShotField(&cEdShot::nPower),
             ShotField(&cEdShot::nImpact)};
    p[12] = {ShotField(&cEdShot::nSide), ShotField(&cEdShot::nZ), ShotField(&cEdShot::nPower),
             ShotField(&cEdShot::nImpact)};
    p[13] = {Formation(0),
             Formation(1),
             Formation(2),
             ShotField(&cEdShot::nCount),
             ShotField(&cEdShot::nOffsetX),
             ShotField(&cEdShot::nOffsetY)};
    p[14] = {ShotField(&cEdShot::nRange),
             ShotField(&cEdShot::nSide),
             Formation(0),
             Formation(1),
             Formation(2),
             ShotField(&cEdShot::nCount),
             ShotField(&cEdShot::nOffsetX),
             ShotField(&cEdShot::nOffsetY)};
    p[15] = {ShotField(&cEdShot::nRange),
             Formation(0),
             Formation(1),
             Formation(2),
             ShotField(&cEdShot::nCount),
             ShotField(&cEdShot::nOffsetX),
             ShotField(&cEdShot::nOffsetY)};
    p[17] = {Param(1), Param(6), Param(7), Param(3), Param(4)};
    p[19] = {Param(13), Param(1), Param(2), Param(3), Param(4)};
    p[21] = {Param(1), Param(9), Param(12)};
    p[22] = {Param(8), Param(9)};
    p[24] = {Param(1)};
    p[26] = {Param(1), Param(2)};
    p[29] = {Param(2), Param(3), Param(4), Param(5), Param(6)};
    p[32] = {nullptr, Param(2), Param(3), Param(4), Param(5), Param(7)};
    p[33] = {Param(0), Param(1), Param(2), Param(3)};
    p[34] = {Param(0)};
    return p;
}

// Everything a pair might touch, as one list of numbers.
std::vector<std::int64_t> Snapshot(cEdCommand& c) {
    std::vector<std::int64_t> all;
    const auto& places = Places();
    for (const auto& list : places)
        for (const Reader& r : list)
            if (r) all.push_back(r(c));
    for (std::int32_t v : c.vecParam) all.push_back(v);
    all.push_back(c.spMove->nSpeed);
    all.push_back(c.spShot->nFormation);
    all.push_back(c.spShot->nHomingKind);
    return all;
}

TEST(ArrangeAccessors, EveryPairReachesExactlyItsPlace) {
    const auto places = Places();
    for (int type = 0; type < 40; ++type) {
        const bool paired = ArrangeSetTable[type] != nullptr;
        EXPECT_EQ(paired, ArrangeGetTable[type] != nullptr) << type;
        const bool nothing = type == 3 || type == 4 || type == 7;
        EXPECT_EQ(paired, !places[type].empty() || nothing) << "type " << type;
        if (!paired) continue;
        for (int index = 0; index < 32; ++index) {
            SCOPED_TRACE(testing::Message() << "type " << type << " index " << index);
            cEdCommand cmd = Filled(type);
            const Reader place =
                index < static_cast<int>(places[type].size()) ? places[type][index] : nullptr;
            const std::int32_t before = place ? place(cmd) : 0;
            std::int32_t got = 12345;
            const bool found = ArrangeGetTable[type](got, index, cmd);
            EXPECT_EQ(found, place != nullptr);
            if (place) {
                EXPECT_EQ(got, before);
            } else {
                EXPECT_EQ(got, 12345);  // left unset
            }

            // A value wider than every field: the field keeps the low bits, read back
            // sign-extended; nothing else moves.
            const std::vector<std::int64_t> all = Snapshot(cmd);
            ArrangeSetTable[type](0x7654ABCD, index, cmd);
            std::vector<std::int64_t> changed = Snapshot(cmd);
            if (place) {
                const std::int32_t now = place(cmd);
                EXPECT_TRUE(now == static_cast<std::int8_t>(0xCD) ||
                            now == static_cast<std::int16_t>(0xABCD) || now == 0x7654ABCD)
                    << now;
                ASSERT_TRUE(ArrangeGetTable[type](got, index, cmd));
                EXPECT_EQ(got, now);
                // Put it back: the rest must be as before.
                ArrangeSetTable[type](before, index, cmd);
                changed = Snapshot(cmd);
            }
            EXPECT_EQ(changed, all);
        }
        // A command without the record the pair reads.
        cEdCommand bare = Filled(type);
        bare.spMove.reset();
        bare.spShot.reset();
        std::int32_t out = 7;
        ArrangeSetTable[type](5, 0, bare);
        ArrangeGetTable[type](out, 0, bare);
        const bool params = type >= 17 && type != 20 && type != 32;
        EXPECT_EQ(out, params ? 5 : 7) << type;
    }
}

class Arranges : public ::testing::Test {
protected:
    void SetUp() override {
        BuildParamDescTable();
        ResetEngineGlobals();
        Player.Clear();
        scene_ = std::make_unique<cGameScene>();
        lpGame = scene_.get();
        actor.m_vecVar.resize(kCharaVarCount, 0);
    }
    void TearDown() override {
        Player.Clear();
        scene_.reset();
        ResetEngineGlobals();
    }

    static CheckedVector<std::int32_t> Entry(int type, int index, int op, int source, int k) {
        return CheckedVector<std::int32_t>{type, index, op, source, k};
    }

    std::unique_ptr<cGameScene> scene_;
    cCharaActor actor;
};

TEST_F(Arranges, ArithmeticSaturationAndClamping) {
    struct Case {
        int type, index;
        std::int32_t start;
        int op;
        std::int32_t operand, expected;
    };
    const Case cases[] = {
        {11, 18, 50, 1, 300, 200},             // speed + 300, held to 200
        {11, 18, -7, 6, 50, -4},               // -3.5 away from zero
        {11, 27, 30000, 3, 100000, 999999},    // the product overflows: the maximum
        {11, 27, -30000, 3, 100000, -999999},  // different signs: the minimum
        {11, 27, 30000, 3, -1, -30000},
        {11, 24, 500, 4, 0, 500},  // ÷ 0 leaves it
        {11, 24, 500, 5, 0, 500},
        {11, 24, 500, 4, 3, 166},
        {11, 24, 500, 5, 3, 2},
        {11, 27, -7, 5, 2, -1},
        {11, 27, 5, 0, 77, 77},
        {11, 27, 5, 2, 77, -72},
        {11, 27, 5, 9, 77, 5},  // an unknown operation changes nothing but the clamp
        {33, 0, 100, 1, 400, 255},
        {17, 0, 5, 3, -2, 1},  // the stage number 1..99
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "type " << c.type << " index " << c.index << " op " << c.op);
        cEdCommand cmd = Filled(c.type);
        ArrangeSetTable[c.type](c.start, c.index, cmd);
        Progress.m_vecVariable[1] = c.operand;
        ApplyArrange(cmd, Entry(c.type, c.index, c.op, 0, 1), actor);
        std::int32_t got = 0;
        ASSERT_TRUE(ArrangeGetTable[c.type](got, c.index, cmd));
        EXPECT_EQ(got, c.expected);
    }
}

TEST_F(Arranges, OperandsFromEachKindOfVariable) {
    Progress.m_vecVariable[3] = 10;
    scene_->m_vecStageVar[4] = 20;
    actor.m_vecVar[0] = 30;
    struct Case {
        int source, k;
        std::int32_t expected;
    };
    for (const Case& c : {Case{0, 3, 10}, Case{1, 4, 20}, Case{2, 0, 30}, Case{0, 0, 5},
                          Case{1, 0, 5}, Case{0, 256, 5}, Case{1, 255, 5}, Case{2, 9, 5},
                          Case{2, -1, 5}, Case{3, 4, 5}, Case{-1, 4, 5}}) {
        // エフェクトの実行 index 2 is parameter 4, −999..999.
        cEdCommand cmd = Filled(29);
        cmd.vecParam[4] = 5;
        ApplyArrange(cmd, Entry(29, 2, 0, c.source, c.k), actor);
        EXPECT_EQ(cmd.vecParam[4], c.expected) << "source " << c.source << " k " << c.k;
    }
}

TEST_F(Arranges, WhatChangesNothing) {
    Progress.m_vecVariable[1] = 3;
    // Another type's arrange is lost.
    cEdCommand cmd = Filled(2);
    const std::int16_t angle = cmd.spMove->nAngle;
    ApplyArrange(cmd, Entry(5, 4, 0, 0, 1), actor);
    EXPECT_EQ(cmd.spMove->nAngle, angle);
    // The picture ID reaches nothing.
    cEdCommand picture = Filled(32);
    ApplyArrange(picture, Entry(32, 0, 0, 0, 1), actor);
    EXPECT_EQ(picture.vecParam[0], 1000);
    // A command without the record its pair reads.
    cEdCommand bare = Filled(11);
    bare.spShot.reset();
    ApplyArrange(bare, Entry(11, 18, 0, 0, 1), actor);
    EXPECT_FALSE(bare.spShot);
    // A short entry, a type outside the table, a type without a pair.
    cEdCommand colour = Filled(33);
    ApplyArrange(colour, CheckedVector<std::int32_t>{33, 0, 0, 0}, actor);
    EXPECT_EQ(colour.vecParam[0], 1000);
    cEdCommand none = Filled(38);
    ApplyArrange(none, Entry(38, 0, 0, 0, 1), actor);
    EXPECT_EQ(none.vecParam[0], 1000);
}

TEST_F(Arranges, FormationAndHomingRangesByKind) {
    // Each formation kind: a parameter set far above is held to the kind's own maximum.
    Progress.m_vecVariable[1] = 30000;
    for (int kind = 0; kind < 6; ++kind) {
        for (int position = 0; position < 3; ++position) {
            const ParamDesc& d = FormationParamTable[kind * 3 + position];
            struct Where {
                int type, index;
            };
            for (const Where& w : {Where{11, 2 + position}, Where{14, 2 + position},
                                   Where{13, position}, Where{15, 1 + position}}) {
                cEdCommand cmd = Filled(w.type);
                cmd.spShot->nFormation = static_cast<std::int8_t>(kind);
                ApplyArrange(cmd, Entry(w.type, w.index, 0, 0, 1), actor);
                EXPECT_EQ(cmd.spShot->nFormationParam[position], d.nMax)
                    << "kind " << kind << " type " << w.type << " position " << position;
            }
        }
    }
    Progress.m_vecVariable[1] = -30000;
    for (int kind = 0; kind < 10; ++kind) {
        for (int position = 0; position < 3; ++position) {
            cEdCommand cmd = Filled(11);
            cmd.spShot->nHomingKind = static_cast<std::int8_t>(kind);
            ApplyArrange(cmd, Entry(11, 15 + position, 0, 0, 1), actor);
            EXPECT_EQ(cmd.spShot->nHomingParam[position],
                      HomingParamTable[kind * 3 + position].nMin)
                << "kind " << kind << " position " << position;
        }
    }
    // A kind outside its table changes nothing.
    cEdCommand odd = Filled(11);
    odd.spShot->nFormation = 6;
    odd.spShot->nFormationParam[0] = 9;
    ApplyArrange(odd, Entry(11, 2, 0, 0, 1), actor);
    EXPECT_EQ(odd.spShot->nFormationParam[0], 9);
    odd.spShot->nHomingKind = 10;
    odd.spShot->nHomingParam[0] = 9;
    ApplyArrange(odd, Entry(11, 15, 0, 0, 1), actor);
    EXPECT_EQ(odd.spShot->nHomingParam[0], 9);
}

TEST_F(Arranges, ItemCommandsMeetTheCharacterNumberingAndListsApplyInOrder) {
    Progress.m_vecVariable[1] = 10;
    Progress.m_vecVariable[2] = 3;
    // Item type 18 is character type 33.
    cEdCommand item = Filled(33);
    item.nCmdKind = 1;
    item.nCmdType = 18;
    item.vecParam[0] = 1;
    Player.Reset(1);
    cHeroActor& hero = Player[0];
    hero.m_vecVar.resize(kCharaVarCount, 0);
    cEdCommand arrange;
    arrange.nCmdKind = 1;
    arrange.nCmdType = 23;
    arrange.vecParam = {33, 0, 1, 0, 1};
    CmdArrange(arrange, nullptr);
    arrange.vecParam = {33, 0, 3, 0, 2};
    CmdArrange(arrange, nullptr);
    ASSERT_EQ(hero.m_listItemArrange.size(), 2u);
    ApplyItemArranges(hero, item);
    EXPECT_EQ(item.vecParam[0], 33);  // (1 + 10) × 3

    // A flow command's arrange waits in its flow; none without one.
    FlowInstance flow;
    cEdCommand flowArrange;
    flowArrange.vecParam = {2, 4, 0, 0, 1};
    CmdArrange(flowArrange, &flow);
    CmdArrange(flowArrange, nullptr);
    ASSERT_EQ(flow.m_listPendingArrange.size(), 1u);
    cEdCommand move = Filled(2);
    ApplyFlowArranges(move, actor, &flow);
    EXPECT_EQ(move.spMove->nAngle, 10);
    ApplyFlowArranges(move, actor, nullptr);
    EXPECT_EQ(move.spMove->nAngle, 10);
}

}  // namespace

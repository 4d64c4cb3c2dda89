// A small world for the tests of the flow commands that act on flows, on the stage and on
// other actors: a game scene at speed b = 1, a hero, and characters in group lists, with
// helpers that make command records and install flows.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <utility>

#include "data/command_record.h"
#include "data/flow_records.h"
#include "data/move_shot_records.h"
#include "data/stage_record.h"
#include "flow/flow_install.h"
#include "flow/flow_instance.h"
#include "platform/message_box.h"
#include "platform/seams.h"
#include "scene/game_progress.h"
#include "stage/actor.h"
#include "stage/actor_services.h"
#include "stage/block_map.h"
#include "stage/engine_globals.h"
#include "stage/game_scene.h"
#include "stage/stage_objects.h"
#include "support/scroll_axis_setup.h"

namespace cmdtest {

// Command types used by the tests.
constexpr int kWait = 1;
constexpr int kFlowOp = 16;
constexpr int kStageClear = 17;
constexpr int kWarp = 20;
constexpr int kSetTarget = 21;
constexpr int kVanish = 24;
constexpr int kItemGet = 25;
constexpr int kRunCode = 37;
// A trigger no event raises: such flows start only when a test starts them.
constexpr int kFlowOnly = 19;

// A flow command of `type` with the given parameters (the rest 0 up to `count`), taking
// `tenths` of a second.
inline cEdCommand Cmd(int type, std::initializer_list<std::int32_t> params, int count = 0,
                      int tenths = 0, int parallel = 0) {
    cEdCommand cmd;
    cmd.nCmdType = static_cast<std::int8_t>(type);
    cmd.nTime = static_cast<std::int16_t>(tenths);
    cmd.bParallel = static_cast<std::int8_t>(parallel);
    for (std::int32_t p : params) cmd.vecParam.push_back(p);
    while (static_cast<int>(cmd.vecParam.Size()) < count) cmd.vecParam.push_back(0);
    return cmd;
}

inline cEdCommand Code(const char* text, int parallel = 0) {
    cEdCommand cmd = Cmd(kRunCode, {});
    cmd.strText = text;
    cmd.bParallel = static_cast<std::int8_t>(parallel);
    return cmd;
}

// An item command (kind 1) of item type `type`.
inline cEdCommand ItemCmd(int type, std::initializer_list<std::int32_t> params, int count) {
    cEdCommand cmd = Cmd(type, params, count);
    cmd.nCmdKind = 1;
    return cmd;
}

// The item command ワープ (item type 5): `dots` to the right of where the hero stands.
inline cEdCommand ItemWarpRight(int dots) {
    cEdCommand warp = ItemCmd(5, {}, 0);
    cEdMove::Create(warp.spMove);
    warp.spMove->nDestMode = 2;
    warp.spMove->nCoordKind = 0;
    warp.spMove->nTargetXDot = static_cast<std::int16_t>(dots);
    warp.spMove->bMirrorX = 0;
    return warp;
}

inline cEdFlow Flow(int trigger, std::initializer_list<cEdCommand> cmds, int id = 0) {
    cEdFlow flow;
    flow.nTrigger = static_cast<std::int8_t>(trigger);
    flow.nId = static_cast<std::int8_t>(id);
    for (const cEdCommand& c : cmds) flow.vecCommand.push_back(c);
    return flow;
}

// The running stage's world: a scene, the hero in group 0, and characters on demand.
class CommandWorld : public ::testing::Test {
protected:
    void SetUp() override {
        previousSeams_ = plat::GetSeams();
        plat::Seams seams;
        seams.headless = true;
        plat::SetSeams(seams);
        plat::ClearShownBoxes();
        ResetEngineGlobals();
        EdStageWork.SetGameSpeed(1);
        scene_ = std::make_unique<cGameScene>();
        lpGame = scene_.get();
        Player.Reset(1);
        Prepare(Hero(), 0, 0);
        lpGame->m_vecGroupList[0].push_back(&Hero());
    }
    void TearDown() override {
        Player.Clear();
        CharaList.Clear();
        scene_.reset();
        ResetEngineGlobals();
        plat::SetSeams(previousSeams_);
    }

    static cHeroActor& Hero() { return Player[0]; }

    // The hero at map (640, 600) of an open block map, with room to move on the scroll axes.
    static void PlaceHeroOnOpenMap() {
        SetTestAxis(lpGame->m_ScrollX, 1600, 1920);
        SetTestAxis(lpGame->m_ScrollY, 1120, 1440);
        ASSERT_TRUE(BlockMap.Build(60, 45));
        cHeroActor& hero = Hero();
        hero.m_nOffsetX = hero.m_nOffsetY = 0;
        hero.m_dX = 640;
        hero.m_dY = 600;
        hero.OnMovedX();
        hero.OnMovedY();
    }

    static void Prepare(cActorBase& a, int op, int group) {
        for (auto* groups : {&a.m_vecGroupBusy, &a.m_vecGroupFreed, &a.m_vecGroupStarted})
            groups->resize(kFlowGroupSlots, 0);
        a.m_vecVar.resize(kCharaVarCount, 0);
        a.m_nHp = 10;
        a.m_Chara.nMaxHp = 10;
        a.m_nOperator = op;
        a.m_nGroup = group;
        a.m_bPresent = 1;
        a.m_bOnScreen = 1;
        a.m_nSpriteW = a.m_nSpriteH = 32;
        a.m_nBoxW = a.m_nBoxH = 32;
    }

    // A computer character in CharaList and in its group's list, whose sprite's top-left
    // corner lies at view (x, y).
    cCharaActor& AddChara(int group, int x, int y) {
        cCharaActor& c = CharaList.Add();
        Prepare(c, 1, group);
        c.m_nSerial = ++serial_;
        c.m_rcScreen = {x, y, x + 31, y + 31};
        lpGame->m_vecGroupList[group].push_back(&c);
        return c;
    }

    static void Install(cActorBase& a, std::initializer_list<cEdFlow> flows) {
        a.m_Chara.vecFlow.Clear();
        for (const cEdFlow& f : flows) a.m_Chara.vecFlow.push_back(f);
        ASSERT_EQ(InstallFlows(a, a.m_Chara.vecFlow, 0, -1), static_cast<int>(flows.size()));
    }

    std::unique_ptr<cGameScene> scene_;
    plat::Seams previousSeams_;
    int serial_ = 0;
};

}  // namespace cmdtest

// A game scene for the projectile, formation and attack-command tests: a 40 × 20 block map
// of empty cells, both view axes at the stage's first block (map dot 320), b = 10, the group
// lists, one hero and a computer character to fire.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <iterator>

#include "data/database.h"
#include "data/move_shot_records.h"
#include "data/stage_record.h"
#include "data/system_record.h"
#include "scene/scene_fixture.h"
#include "stage/actor_geometry.h"
#include "stage/block_map.h"
#include "stage/formation.h"
#include "stage/projectile.h"
#include "stage/stage_objects.h"

class ProjectileWorld : public ::testing::Test, public SceneWorld {
protected:
    static constexpr int kB = 10;
    // The map: 40 × 20 blocks and their margins.
    static constexpr int kMapW = (40 + 20) * 32;
    static constexpr int kMapH = (20 + 20) * 32;
    // Where the view stands: the map's dot 320 on both axes.
    static constexpr double kView = 320;

    void SetUp() override {
        SetUpWorld();
        ASSERT_TRUE(OpenDisplay(kSceneDisplays[2]));
        SceneMgr.m_nScene = SCENE_GAME;
        SceneMgr.PrepareScene(SCENE_GAME);
        game = lpGame;
        ASSERT_NE(game, nullptr);
        EdStageWork.dGravity = 0.4;
        EdStageWork.SetGameSpeed(10);
        ASSERT_EQ(EdStageWork.speed.nSubSteps, kB);
        EdSystem.bCompat214 = 0;
        EdSystem.bCompat555 = 0;
        ASSERT_TRUE(BlockMap.Build(40, 20));
        Axis(game->m_ScrollX, kMapW);
        Axis(game->m_ScrollY, kMapH);
        SetGeometryAxes(&game->m_ScrollX, &game->m_ScrollY);
        game->m_vecGroupList.Clear();
        game->m_vecGroupList.resize(kActorGroupCount);
        game->m_vecShotGroupList.Clear();
        game->m_vecShotGroupList.resize(kActorGroupCount);
        game->m_listProjectile.Clear();
        game->m_nTick = 1;
        Player.Reset(1);
        CharaList.Clear();
        ItemList.Clear();
        Shape(Player[0], 0, 0, 0, 900, 640);
        game->m_vecGroupList[0].push_back(&Player[0]);
        SentMessages().clear();
    }
    void TearDown() override {
        game->m_listProjectile.Clear();
        CharaList.Clear();
        ItemList.Clear();
        Player.Clear();
        TearDownWorld();
    }
    // Every character goes, out of the group lists too (the hero stays).
    void ClearCharas() {
        for (int g = 0; g < kActorGroupCount; ++g) {
            auto& list = game->m_vecGroupList[g];
            for (auto it = list.begin(); it != list.end();)
                it = *it == &Player[0] ? std::next(it) : list.erase(it);
        }
        CharaList.Clear();
    }
    static void Axis(ScrollAxis& a, int extent) {
        a.m_dPos = kView;
        a.m_nMargin = 10;
        a.m_nLow = a.m_nAreaLow = 320;
        a.m_nHigh = a.m_nAreaHigh = extent - 320;
        a.m_nExtent = extent;
        a.m_dAutoSpeed = 0;
        a.m_bAtLimit = 0;
    }
    // A 32 × 32 actor (box and sprite) at map dots (x, y).
    static void Shape(cActorBase& a, int serial, int op, int group, double x, double y,
                      int facing = 0) {
        a.Init(serial, op, group, 0, nullptr, 0, 0, 0, 32, 32, 32, 32, facing, 0, 0);
        a.m_dX = x;
        a.m_dY = y;
        a.m_dRight = x + 31;
        a.m_dBottom = y + 31;
        a.m_bPresent = 1;
        a.m_bOnScreen = 1;
        a.UpdateScreenRect();
    }
    // A computer character of `group` at (x, y), listed in its group.
    cCharaActor& Chara(int serial, int group, double x, double y, int facing = 0) {
        cCharaActor& c = CharaList.Add();
        Shape(c, serial, 1, group, x, y, facing);
        game->m_vecGroupList[group].push_back(&c);
        return c;
    }
    // A shot record flying straight at `speed` tenths of a dot per frame.
    static cEdShot Record(int speed = 10) {
        cEdShot s;
        s.nCount = 1;
        s.nSpeed = static_cast<std::int16_t>(speed);
        s.nPower = 1;
        return s;
    }
    // A spawn description at (x, y) with velocity (vx, vy) dots per frame.
    static SpawnInfo Spawn(double x, double y, double vx, double vy, int range = 0, int time = 0) {
        SpawnInfo s;
        s.nX = static_cast<std::int32_t>(x);
        s.nY = static_cast<std::int32_t>(y);
        s.dVX = vx;
        s.dVY = vy;
        s.dSpeed = std::sqrt(vx * vx + vy * vy);
        s.nRange = range;
        s.nTime = time;
        s.nWidth = s.nHeight = 16;
        return s;
    }
    // A shot made in the scene's list and joined as the shot command does.
    cProjectile& Fire(cActorBase& firer, const cEdShot& record, const SpawnInfo& spawn) {
        cProjectile& p = game->m_listProjectile.Add();
        p.Init(game->m_nShotSerial++, firer, kCmdShot, record, spawn);
        game->AddProjectile(p);
        return p;
    }
    // The sample sword type 1: `frames` frames of w × h dots, a tenth of a second each.
    static void SwordType(int frames, int w = 20, int h = 10) {
        EdDatabase.vecSwordType.resize(2);
        cEdSwordType& type = EdDatabase.vecSwordType[1];
        type.vecFrame.Clear();
        type.vecFrame.resize(frames);
        for (int i = 0; i < frames; ++i) {
            type.vecFrame[i].nCutWidth = w;
            type.vecFrame[i].nCutHeight = h;
            type.vecFrame[i].nTime = 1;
            type.vecFrame[i].nSrcX = i * w;
        }
    }

    cGameScene* game = nullptr;
};

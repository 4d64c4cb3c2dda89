// The run-time object tree: ids that are never reused and the stable lists, the operations
// each class overrides or leaves to the root, scaling with its fixed order, copying a whole
// actor with its flows re-pointed, and the flying modes.
#include "stage/game_object.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "data/stage_record.h"
#include "data/system_record.h"
#include "stage/actor.h"
#include "stage/actor_geometry.h"
#include "stage/engine_globals.h"
#include "stage/item_object.h"
#include "stage/projectile.h"
#include "stage/scroll_axis.h"
#include "support/scroll_axis_setup.h"

namespace {

// A stage of 40 × 25 blocks, the view at the stage's top-left corner, level 10.
class ObjectFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        EdStageWork.dGravity = 0.4;
        EdStageWork.SetGameSpeed(10);
        SetTestAxis(m_axisX, 1600, 1920);
        SetTestAxis(m_axisY, 1120, 1440);
        SetGeometryAxes(&m_axisX, &m_axisY);
    }
    void TearDown() override { ResetEngineGlobals(); }
    // Box w × h at scale 1, sprite 32 × 48 with the box 8 dots in and 16 down.
    static void Shape(cGameObject& o, int w, int h) {
        o.Init(1, 1, 0, 5, nullptr, 0, 8, 16, w, h, 32, 48, 0, 0, 0);
    }

    ScrollAxis m_axisX;
    ScrollAxis m_axisY;
};

TEST(ObjectIds, AreNeverReusedAndCopiesAreOtherObjects) {
    ObjectList<cItemObject> list;
    cItemObject& a = list.Add();
    cItemObject& b = list.Add();
    const ObjectId idA = a.Id();
    const ObjectId idB = b.Id();
    EXPECT_NE(idA, kNoObject);
    EXPECT_NE(idA, idB);

    // Removing one leaves the other where it was; the removed id finds nothing any more,
    // also after a new object has taken its place (the allocator may reuse the address).
    EXPECT_TRUE(list.Remove(idA));
    EXPECT_FALSE(list.Remove(idA));
    cItemObject& c = list.Add();
    EXPECT_NE(c.Id(), idA);
    EXPECT_EQ(list.Find(idA), nullptr);
    EXPECT_EQ(list.Find(idB), &b);
    EXPECT_EQ(list.Find(c.Id()), &c);
    EXPECT_EQ(list.Find(kNoObject), nullptr);
    EXPECT_EQ(list.Size(), 2u);

    // A copy is a new object with its own id; assigning keeps the destination's.
    b.m_nSerial = 77;
    cItemObject copy(b);
    EXPECT_NE(copy.Id(), b.Id());
    EXPECT_EQ(copy.m_nSerial, 77);
    const ObjectId before = c.Id();
    c = b;
    EXPECT_EQ(c.Id(), before);
    EXPECT_EQ(c.m_nSerial, 77);

    // CopyFrom takes every root field, the animation included, and not the id.
    static const ANIMSTEPDEF seq0[] = {{3, 2, 0}, {4, 2, 0}, {-2, 0, 0}};
    static const ANIMSTEPDEF* const table[] = {seq0, nullptr};
    cProjectile from;
    from.Init(5, 1, 3, 7, table, 0, 1, 2, 3, 4, 5, 6, 1, 2, 9);
    from.m_AnimPattern.Next();
    from.m_AnimPattern.Next();
    from.m_dVX = 1.25;
    cProjectile to;
    const ObjectId toId = to.Id();
    to.CopyFrom(from);
    EXPECT_EQ(to.Id(), toId);
    EXPECT_EQ(to.m_nSerial, 5);
    EXPECT_EQ(to.m_nGroup, 3);
    EXPECT_EQ(to.m_dVX, 1.25);
    EXPECT_EQ(to.m_nBlockMode, 1);
    EXPECT_EQ(to.m_nCloneValue, 9);
    EXPECT_EQ(to.m_AnimPattern.m_nStep, from.m_AnimPattern.m_nStep);
    EXPECT_EQ(to.m_AnimPattern.GetPattern(), 4);

    std::set<ObjectId> ids;
    for (int i = 0; i < 1000; ++i) ids.insert(NewObjectId());
    EXPECT_EQ(ids.size(), 1000u);
}

TEST_F(ObjectFixture, InitStoresBothSizeSetsAndTheFlyMode) {
    struct Case {
        int flyMode;
        int flying;
        int blockMode;
    };
    const Case cases[] = {{0, 0, 1}, {1, 1, 0}, {2, 1, 1}, {3, 1, 2}, {9, 0, 1}, {-1, 0, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.flyMode);
        cCharaActor a;
        a.m_dVX = a.m_dMoveVY = 3;
        a.m_bPresent = a.m_bOnScreen = 1;
        a.Init(9, 1, 4, 12, nullptr, 0, 8, 16, 16, 32, 32, 48, 1, c.flyMode, 3);
        EXPECT_EQ(a.m_bFlying, c.flying);
        EXPECT_EQ(a.m_nBlockMode, c.blockMode);
        EXPECT_EQ(a.m_nLifeFrames, kLifeUnlimited);
        EXPECT_EQ(a.m_nSerial, 9);
        EXPECT_EQ(a.m_nGroup, 4);
        EXPECT_EQ(a.m_nCloneValue, 3);
        EXPECT_EQ(a.FacingSign(), 1);
        EXPECT_EQ(a.m_nBoxW, 16);
        EXPECT_EQ(a.m_nBaseBoxH, 32);
        EXPECT_EQ(a.m_nBaseSpriteH, 48);
        EXPECT_EQ(a.m_nBaseOffsetY, 16);
        EXPECT_EQ(a.m_dVX, 0);
        EXPECT_EQ(a.m_dMoveVY, 0);
        EXPECT_EQ(a.m_bPresent + a.m_bOnScreen, 0);
    }
}

// Items and projectiles keep the root's do-nothing position operations; actors move by
// their sprite centre on screen.
TEST_F(ObjectFixture, OnlyActorsTakeThePositionOperations) {
    cItemObject item;
    cProjectile shot;
    cCharaActor chara;
    for (cGameObject* o : std::vector<cGameObject*>{&item, &shot, &chara}) {
        Shape(*o, 16, 32);
        o->m_dX = 500;
        o->m_dY = 600;
        o->UpdateScreenRect();  // left 500 - 8 - 320 = 172, top 600 - 16 - 320 = 264
    }
    cCommandInstance cmd;
    for (cGameObject* o : std::vector<cGameObject*>{&item, &shot}) {
        cmd.m_dVX = cmd.m_dVY = 2;
        o->SetPos(100, 100);
        o->MoveTo(100, 100, &cmd);
        o->SetCenterX(50);
        o->MoveToX(50, &cmd);
        o->SetCenterY(50);
        o->MoveToY(50, &cmd);
        EXPECT_EQ(o->m_dX, 500);
        EXPECT_EQ(o->m_dY, 600);
        EXPECT_EQ(cmd.m_dVX, 2);
        EXPECT_EQ(cmd.m_dVY, 2);
    }

    // The centre on screen is left + 32 / 2 = 188; moving it to 200 adds 12.
    chara.SetCenterX(200);
    EXPECT_EQ(chara.m_dX, 512);
    EXPECT_EQ(chara.m_dRight, 527);  // OnMovedX clamped and refreshed the box
    // Centre y 264 + 24 = 288; to 300 adds 12.
    chara.SetCenterY(300);
    EXPECT_EQ(chara.m_dY, 612);

    // Every "move to" form clears both velocities of the command, not only its own axis.
    using MoveFn = void (*)(cCharaActor&, cCommandInstance&);
    const MoveFn moves[] = {
        [](cCharaActor& a, cCommandInstance& c) { a.MoveToX(10, &c); },
        [](cCharaActor& a, cCommandInstance& c) { a.MoveToY(10, &c); },
        [](cCharaActor& a, cCommandInstance& c) { a.MoveTo(10, 10, &c); },
    };
    for (MoveFn move : moves) {
        cmd.m_dVX = cmd.m_dVY = 2;
        move(chara, cmd);
        EXPECT_EQ(cmd.m_dVX, 0);
        EXPECT_EQ(cmd.m_dVY, 0);
    }
    chara.MoveTo(10, 10, nullptr);  // no command: nothing to clear
}

TEST_F(ObjectFixture, CarriedItemOnlyOfCharacters) {
    cCharaActor chara;
    cActorBase& base = chara;
    EXPECT_EQ(base.GetCarriedItem(), &chara.m_CarriedItem);
    // The base of every actor: no carried item and nothing to step.
    struct Bare : cActorBase {};
    Bare bare;
    EXPECT_EQ(bare.GetCarriedItem(), nullptr);
    EXPECT_EQ(bare.OnMovedX() + bare.OnMovedY() + bare.StepX() + bare.StepY() + bare.RunFlows(0),
              0);
}

// Equal scales change nothing at all, for each class.
TEST_F(ObjectFixture, EqualScalesChangeNothing) {
    cCharaActor chara;
    cItemObject item;
    cProjectile shot;
    for (cGameObject* o : std::vector<cGameObject*>{&chara, &item, &shot}) {
        Shape(*o, 16, 32);
        o->m_dX = 333.25;
        o->m_dY = 444.5;
        o->m_nBoxW = 99;  // not the scale-1 value: a rescale would show
        o->SetScale(2, 2);
        o->AdjustForScale(3, 3);
        o->AdjustX(4, 4);
        EXPECT_EQ(o->m_dX, 333.25);
        EXPECT_EQ(o->m_dY, 444.5);
        EXPECT_EQ(o->m_nBoxW, 99);
    }
}

// Scaling takes every size from its scale-1 copy, moves x by half the growth of the box and
// y by the growth of the sprite (or of the box with box-anchored growth), and scales the
// hit boxes; scaling twice ends where scaling once does.
TEST_F(ObjectFixture, SetScaleSizesPositionAndHitBoxes) {
    struct Case {
        const char* name;
        int boxAnchored;
        int blockChara;
        double y;  // after 1 -> 2 from y = 600
    };
    const Case cases[] = {
        // Sprite-anchored: y -= 48, y += 16.
        {"sprite anchored", 0, 0, 568},
        // Box-anchored: y -= 30.
        {"box anchored", 1, 0, 570},
        {"block character", 0, 1, 568},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EdSystem.bCompat261 = c.boxAnchored;
        cCharaActor a;
        a.m_Chara.b32Mode = static_cast<std::int8_t>(c.blockChara);
        Shape(a, 16, 30);
        a.SetHitBoxFromSize(1, 12, 20);
        a.m_ShotBox = a.m_BodyBox;
        a.m_dX = 500;
        a.m_dY = 600;
        a.SetScale(2, 1);
        EXPECT_EQ(a.m_nBoxW, 32);
        EXPECT_EQ(a.m_nBoxH, 60);
        EXPECT_EQ(a.m_nSpriteW, 64);
        EXPECT_EQ(a.m_nSpriteH, 96);
        EXPECT_EQ(a.m_nOffsetX, 16);
        EXPECT_EQ(a.m_nOffsetY, 32);
        EXPECT_EQ(a.m_dX, 492);  // 500 - 1 × (16 >> 1)
        EXPECT_EQ(a.m_dY, c.y);
        EXPECT_EQ(a.m_dRight, 523);
        EXPECT_EQ(a.m_dBottom, c.y + 59);
        if (c.blockChara) {
            EXPECT_EQ(a.m_BodyBox.nOffsetX, 0);
            EXPECT_EQ(a.m_BodyBox.nWidth, 32);
            EXPECT_EQ(a.m_ShotBox.nHeight, 60);
        } else {
            // Bottom-aligned 12 × 20: offset x 16 - 8 - 6 = 2, offset y 32 - 16 - 20 = -4.
            EXPECT_EQ(a.m_BodyBox.nOffsetX, 4);
            EXPECT_EQ(a.m_BodyBox.nOffsetY, -8);
            EXPECT_EQ(a.m_BodyBox.nWidth, 24);
            EXPECT_EQ(a.m_ShotBox.nHeight, 40);
            EXPECT_EQ(a.m_BodyBox.nBaseOffsetX, 2);
        }

        cCharaActor b;
        b.m_Chara.b32Mode = a.m_Chara.b32Mode;
        Shape(b, 16, 30);
        b.SetHitBoxFromSize(1, 12, 20);
        b.m_ShotBox = b.m_BodyBox;
        b.m_dX = 500;
        b.m_dY = 600;
        b.SetScale(3, 1);
        b.SetScale(2, 3);
        EXPECT_EQ(b.m_dX, a.m_dX);
        EXPECT_EQ(b.m_dY, a.m_dY);
        EXPECT_EQ(b.m_nBoxW, a.m_nBoxW);
        EXPECT_EQ(b.m_BodyBox.nOffsetY, a.m_BodyBox.nOffsetY);
    }
}

TEST_F(ObjectFixture, SpriteAndBoxAnchoredGrowthDiffer) {
    cCharaActor a;
    a.Init(1, 1, 0, 5, nullptr, 0, 8, 4, 16, 40, 32, 48, 0, 0, 0);
    a.m_dX = 500;
    a.m_dY = 600;
    EdSystem.bCompat261 = 0;
    a.AdjustForScale(3, 1);
    EXPECT_EQ(a.m_dY, 600 - 2 * 48 + 2 * 4);
    EdSystem.bCompat261 = 1;
    a.m_dY = 600;
    a.AdjustForScale(3, 1);
    EXPECT_EQ(a.m_dY, 600 - 2 * 40);
}

TEST_F(ObjectFixture, ItemsGrowUpwardAndShotsAroundTheirMiddle) {
    cItemObject item;
    item.Init(1, 0, 0, 3, nullptr, 0, 4, 6, 24, 20, 32, 32, 0, 1, 0);
    item.m_dX = 500;
    item.m_dY = 600;
    item.SetScale(2, 1);
    EXPECT_EQ(item.m_dY, 600 - (20 + 6));
    EXPECT_EQ(item.m_dX, 500 - 12);

    cProjectile shot;
    shot.Init(1, 0, 0, 3, nullptr, 0, 4, 4, 8, 10, 16, 16, 0, 1, 0);
    shot.m_HitBox.nBaseOffsetX = 2;
    shot.m_HitBox.nBaseWidth = 6;
    shot.m_dX = 500.75;
    shot.m_dY = 600;
    shot.SetScale(3, 1);
    EXPECT_EQ(shot.m_dY, 600 - 2 * 5);
    EXPECT_EQ(shot.m_HitBox.nOffsetX, 6);
    EXPECT_EQ(shot.m_HitBox.nWidth, 18);
    EXPECT_EQ(shot.m_dX, 492.75);
    // The hit boxes are scaled last, so their place follows at the next clamp:
    // trunc(x) + offset.
    shot.ClampX(2);
    EXPECT_EQ(shot.m_HitBox.dLeft, 498);
    EXPECT_EQ(shot.m_HitBox.dRight, 515);
}

TEST_F(ObjectFixture, BlockPlacement) {
    cCharaActor a;
    a.m_Chara.nGiant = 0;  // read as 1
    Shape(a, 16, 32);
    a.SetBlockPos(3, 4);
    EXPECT_EQ(a.m_dX, (10 + 3) * 32 + 8 + 0.5);
    EXPECT_EQ(a.m_dY, (10 + 4) * 32 + 16);
    EXPECT_EQ(a.m_nCellLeft, 13);
    EXPECT_EQ(a.m_nCellTop, 14);

    cItemObject item;
    item.m_Item.nGiant = 2;
    item.Init(1, 0, 0, 3, nullptr, 0, 4, 6, 24, 20, 32, 32, 0, 1, 0);
    EXPECT_EQ(item.SetBlockPos(3, 4), 0);
    EXPECT_EQ(item.m_dX, (10 + 3) * 32 + 4 + 0.5 - 12);
    EXPECT_EQ(item.m_dY, (10 + 4) * 32 + 6);
}

// The giant scale of a damaged record is held to 1 to 10.
TEST_F(ObjectFixture, GiantSizeHeldToItsRange) {
    const std::pair<int, int> cases[] = {{-128, 1}, {-3, 1},  {0, 1},   {1, 1},
                                         {7, 7},    {10, 10}, {11, 10}, {127, 10}};
    for (auto [stored, expected] : cases) {
        SCOPED_TRACE(stored);
        cCharaActor a;
        a.m_Chara.nGiant = static_cast<std::int8_t>(stored);
        EXPECT_EQ(a.GiantSize(), expected);
        cItemObject item;
        item.m_Item.nGiant = static_cast<std::int8_t>(stored);
        EXPECT_EQ(item.GiantSize(), expected);
    }
}

// Assign copies the actor whole but re-points the flow instances at the copy's own
// definitions, and keeps the destination's relations to other objects.
TEST_F(ObjectFixture, AssignRelinksFlowsAndKeepsRelations) {
    cCharaActor source;
    source.m_Chara.vecFlow.resize(2);
    source.m_Chara.vecFlow[1].vecCommand.resize(3);
    source.m_Chara.vecFlow[1].vecKeyCondition.resize(1);
    source.m_vecFlow.resize(2);
    source.m_vecFlow[1].m_vecCmd.resize(3);
    source.m_vecFlow[1].m_vecKeyCond.resize(1);
    source.m_vecFlow[1].m_nKey = 41;
    source.m_vecFlow[1].m_vecCmd[2].m_nDuration = 60;
    source.RelinkFlows();
    ASSERT_EQ(source.m_vecFlow[1].m_pFlow, &source.m_Chara.vecFlow[1]);
    source.m_nHp = 12;
    source.m_vecVar.resize(kCharaVarCount);
    source.m_vecVar[3] = 5;
    source.m_listHitBy.push_back({NewObjectId(), 20});
    source.m_dX = 400;
    // Relations are registered on both sides, as the actors keep them, so that each
    // destructor can unhook the other whichever goes first.
    cCharaActor other;
    source.m_pTarget = &other;
    other.m_vecTargetedBy.push_back(&source);
    other.m_pTarget = &source;
    source.m_vecTargetedBy.push_back(&other);

    cCharaActor dest;
    cCharaActor mine;
    dest.m_pTarget = &mine;
    mine.m_vecTargetedBy.push_back(&dest);
    const ObjectId destId = dest.Id();
    dest.Assign(source);

    EXPECT_EQ(dest.Id(), destId);
    EXPECT_EQ(dest.m_pTarget, &mine);
    EXPECT_TRUE(dest.m_vecTargetedBy.empty());
    EXPECT_EQ(dest.m_nHp, 12);
    EXPECT_EQ(dest.m_vecVar[3], 5);
    EXPECT_EQ(dest.m_dX, 400);
    ASSERT_EQ(dest.m_listHitBy.size(), 1u);
    EXPECT_EQ(dest.m_listHitBy.begin()->idAttacker, source.m_listHitBy.begin()->idAttacker);
    ASSERT_EQ(dest.m_vecFlow.Size(), 2u);
    const FlowInstance& inst = dest.m_vecFlow[1];
    EXPECT_EQ(inst.m_nIndex, 1);
    EXPECT_EQ(inst.m_nKey, 41);
    EXPECT_EQ(inst.m_pFlow, &dest.m_Chara.vecFlow[1]);
    EXPECT_EQ(inst.m_vecKeyCond[0], &dest.m_Chara.vecFlow[1].vecKeyCondition[0]);
    EXPECT_EQ(inst.m_vecCmd[2].m_pCmd, &dest.m_Chara.vecFlow[1].vecCommand[2]);
    EXPECT_EQ(inst.m_vecCmd[2].m_nDuration, 60);
    // The source still points at its own.
    EXPECT_EQ(source.m_vecFlow[1].m_pFlow, &source.m_Chara.vecFlow[1]);
}

// The character copy adds the character's own fields to Assign; the carried item comes by
// value and keeps the destination's item id.
TEST_F(ObjectFixture, AssignCharaCopiesTheCharactersOwnFields) {
    cCharaActor source;
    source.m_nHp = 7;
    source.m_bInView = 1;
    source.m_bRunning = 1;
    source.m_nItemBlink = 13;
    source.m_bIgnoreViewX = 1;
    source.m_bIgnoreViewY = 1;
    source.m_bActivated = 1;
    source.m_CarriedItem.m_nGraphicNo = 9;
    source.m_CarriedItem.m_Item.strName = "key";
    source.m_CarriedItem.m_bCarried = 1;
    cCharaActor other;
    cCharaActor dest;
    dest.m_pTarget = &other;
    const ObjectId destId = dest.Id();
    const ObjectId itemId = dest.m_CarriedItem.Id();
    dest.AssignChara(source);

    EXPECT_EQ(dest.Id(), destId);
    EXPECT_EQ(dest.m_pTarget, &other);
    EXPECT_EQ(dest.m_nHp, 7);
    EXPECT_EQ(dest.m_bInView, 1);
    EXPECT_EQ(dest.m_bRunning, 1);
    EXPECT_EQ(dest.m_nItemBlink, 13);
    EXPECT_EQ(dest.m_bIgnoreViewX, 1);
    EXPECT_EQ(dest.m_bIgnoreViewY, 1);
    EXPECT_EQ(dest.m_bActivated, 1);
    EXPECT_EQ(dest.m_CarriedItem.Id(), itemId);
    EXPECT_NE(dest.m_CarriedItem.Id(), source.m_CarriedItem.Id());
    EXPECT_EQ(dest.m_CarriedItem.m_nGraphicNo, 9);
    EXPECT_EQ(dest.m_CarriedItem.m_Item.strName, "key");
    EXPECT_EQ(dest.m_CarriedItem.m_bCarried, 1);
    dest.AssignChara(dest);  // onto itself: nothing changes
    EXPECT_EQ(dest.m_nItemBlink, 13);
}

// Instances beyond the definitions (a list changed without its instances) link to nothing
// instead of past the end.
TEST_F(ObjectFixture, RelinkLeavesUnmatchedLinksNull) {
    cCharaActor a;
    a.m_Chara.vecFlow.resize(1);
    a.m_Chara.vecFlow[0].vecCommand.resize(1);
    a.m_vecFlow.resize(2);
    a.m_vecFlow[0].m_vecCmd.resize(2);
    a.m_vecFlow[1].m_vecCmd.resize(1);
    a.RelinkFlows();
    EXPECT_EQ(a.m_vecFlow[0].m_vecCmd[0].m_pCmd, &a.m_Chara.vecFlow[0].vecCommand[0]);
    EXPECT_EQ(a.m_vecFlow[0].m_vecCmd[1].m_pCmd, nullptr);
    EXPECT_EQ(a.m_vecFlow[1].m_pFlow, nullptr);
    EXPECT_EQ(a.m_vecFlow[1].m_nIndex, 1);
    EXPECT_EQ(a.m_vecFlow[1].m_vecCmd[0].m_pCmd, nullptr);
}

}  // namespace

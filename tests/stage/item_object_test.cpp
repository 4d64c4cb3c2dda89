// Items: the set-up from the record with the running stage's item size, the blinking step
// table, carried items that are present at once and never grow, and the giant size.
#include "stage/item_object.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "data/stage_record.h"
#include "flow/flow_install.h"
#include "platform/message_box.h"
#include "platform/seams.h"
#include "stage/actor_geometry.h"
#include "stage/engine_globals.h"
#include "stage/game_object.h"
#include "stage/scroll_axis.h"
#include "support/scroll_axis_setup.h"

namespace {

class ItemFixture : public ::testing::Test {
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

    ScrollAxis m_axisX;
    ScrollAxis m_axisY;
};

TEST_F(ItemFixture, InitSizesTheBoxFromTheStageAndTheGiantSize) {
    const struct {
        const char* name;
        int itemW, itemH, giant, carried;
        int offX, offY, boxW, boxH, spriteW, present;
    } cases[] = {
        {"28 x 28", 28, 28, 1, 0, 2, 2, 28, 28, 32, 0},
        {"odd sizes", 27, 20, 1, 0, 3, 6, 27, 20, 32, 0},
        {"giant 3", 28, 28, 3, 0, 6, 6, 84, 84, 96, 0},
        {"giant 0 is 1", 28, 28, 0, 0, 2, 2, 28, 28, 32, 0},
        // A carried item is present at once and keeps scale 1.
        {"carried", 28, 28, 1, 1, 2, 2, 28, 28, 32, 1},
        {"carried giant 3", 28, 28, 3, 1, 2, 2, 28, 28, 32, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EdStageWork.nItemBodyW = c.itemW;
        EdStageWork.nItemBodyH = c.itemH;
        cEdItem rec;
        rec.nGraphic = 12;
        rec.nGiant = static_cast<std::int8_t>(c.giant);
        cItemObject item;
        item.m_bScrollSync = 1;
        item.Init(77, rec, c.carried);
        EXPECT_EQ(item.m_nOffsetX, c.offX);
        EXPECT_EQ(item.m_nOffsetY, c.offY);
        EXPECT_EQ(item.m_nBoxW, c.boxW);
        EXPECT_EQ(item.m_nBoxH, c.boxH);
        EXPECT_EQ(item.m_nBaseBoxW, c.itemW);
        EXPECT_EQ(item.m_nSpriteW, c.spriteW);
        EXPECT_EQ(item.m_nSpriteH, c.spriteW);
        EXPECT_EQ(item.m_bPresent, c.present);
        EXPECT_EQ(item.m_bCarried, c.carried);
        EXPECT_EQ(item.m_nSerial, 77);
        EXPECT_EQ(item.m_nOperator, 0);
        EXPECT_EQ(item.m_nGroup, 0);
        EXPECT_EQ(item.m_nGraphicNo, 12);
        EXPECT_EQ(item.m_bFacingRight, 0);
        EXPECT_EQ(item.m_nCloneValue, 0);
        EXPECT_EQ(item.m_bScrollSync, 0);
        // Fly mode 1: no gravity, through blocks.
        EXPECT_EQ(item.m_bFlying, 1);
        EXPECT_EQ(item.m_nBlockMode, 0);
        // The given record is mended too, and the copy matches it.
        EXPECT_EQ(rec.nGiant, c.giant == 0 ? 1 : c.giant);
        EXPECT_EQ(item.m_Item.SaveToBytes(), rec.SaveToBytes());
    }
}

TEST_F(ItemFixture, ItemBlinksBetweenTwoPatternsEvery15Frames) {
    cEdItem rec;
    cItemObject item;
    item.Init(1, rec, 0);
    ASSERT_EQ(item.m_AnimPattern.m_vecSeq.Size(), 1u);
    const ANIMSEQ& seq = item.m_AnimPattern.m_vecSeq[0];
    ASSERT_EQ(seq.Size(), 3u);
    EXPECT_EQ(seq[0], (ANIMSTEP{0, 15, 0}));
    EXPECT_EQ(seq[1], (ANIMSTEP{1, 15, 0}));
    EXPECT_EQ(seq[2].nPattern, ANIM_RESTART);
    // Frames 1..14 show 0, 15..29 show 1, then 0 again.
    int shown[31];
    for (int& p : shown) p = item.m_AnimPattern.Next();
    EXPECT_EQ(shown[0], 0);
    EXPECT_EQ(shown[13], 0);
    EXPECT_EQ(shown[14], 1);
    EXPECT_EQ(shown[28], 1);
    EXPECT_EQ(shown[29], 0);
}

TEST_F(ItemFixture, InitCopiesTheItemCommands) {
    cEdItem rec;
    rec.vecItemCommand.resize(3);
    rec.vecItemCommand[1].nCmdType = 5;
    rec.strName = "\x83\x41\x83\x43\x83\x65\x83\x80";
    cItemObject item;
    item.Init(1, rec, 0);
    ASSERT_EQ(item.m_Item.vecItemCommand.Size(), 3u);
    EXPECT_EQ(item.m_Item.vecItemCommand[1].nCmdType, 5);
    EXPECT_EQ(item.m_Item.strName, rec.strName);
}

// An item command list too large to write out is a failed allocation: Init reports it and
// leaves the reaction to its caller, so no box is shown here.
TEST_F(ItemFixture, InitReportsCommandsTooLargeToUnroll) {
    const plat::Seams savedSeams = plat::GetSeams();
    plat::Seams seams;
    seams.headless = true;
    plat::SetSeams(seams);
    plat::ClearShownBoxes();

    cEdCommand loop;
    loop.nCmdKind = 1;
    loop.nCmdType = 24;
    loop.vecParam = {2, 1};
    cEdCommand plain;
    plain.nCmdKind = 1;
    plain.nCmdType = 5;
    cEdItem rec;
    rec.vecItemCommand.push_back(loop);
    rec.vecItemCommand.push_back(plain);
    cItemObject item;
    ASSERT_EQ(item.Init(1, rec, 0), 0);
    EXPECT_EQ(item.m_Item.vecItemCommand.Size(), 2u);

    rec.vecItemCommand[0].vecParam = {(1 << 24) + 1, 1};
    EXPECT_EQ(item.Init(1, rec, 0), kUnrollFailed);
    EXPECT_TRUE(plat::ShownBoxes().empty());

    plat::ClearShownBoxes();
    plat::SetSeams(savedSeams);
}

}  // namespace

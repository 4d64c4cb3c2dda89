// Rectangle and sprite batches: the draw order of a sorted batch, grouping (one index buffer
// per group drawn), the blend state captured when a blit is queued, the clear of a keyed
// opaque copy, and DirectDraw, where nothing is batched.
#include "gfx/batch.h"

#include <gtest/gtest.h>

#include "draw_fixture.h"
#include "gfx/fill.h"
#include "platform/d3d9.h"

namespace {

class Batches : public DrawTest {
protected:
    void SetUp() override {
        DrawTest::SetUp();
        for (DDSURFACEDATA* sd : {&a, &b, &c})
            ASSERT_TRUE(DDCreateSurface(sd, 1, 1, 0, 0, 0, nullptr, 0));
        Paint(&a, {"r"});
        Paint(&b, {"g"});
        Paint(&c, {"b"});
        Paint(&BackBuffer, {"wwww"});
    }
    int Groups() const { return lpDevice->IndexBuffersCreated() - groupsBefore; }
    void StartCounting() { groupsBefore = lpDevice->IndexBuffersCreated(); }

    DDSURFACEDATA a, b, c;
    int groupsBefore = 0;
};

// Sources A (registered first) and B queued as B, A, B, A onto two pixels: sorted, all of A
// is drawn before all of B (so B ends on top); unsorted, the queue order stays and every
// change of source starts a group.
TEST_P(Batches, SortedBatchDrawsRegisteredSourcesInOrder) {
    StartCounting();
    ASSERT_EQ(DDBeginSpriteBatch(1), 1);
    DDRegisterSpriteSurface(&a);
    DDRegisterSpriteSurface(&b);
    DDRegisterSpriteSurface(&a);  // once only
    for (int x : {0, 1}) {
        DDBltRect(&BackBuffer, x, 0, 1, 1, &b, 0, 0, 0);
        DDBltRect(&BackBuffer, x, 0, 1, 1, &a, 0, 0, 0);
    }
    ASSERT_EQ(SpriteBatch.entries.size(), 4u);
    EXPECT_EQ(SpriteBatch.entries[0].nKey, 200000);
    EXPECT_EQ(SpriteBatch.entries[1].nKey, 100001);
    EXPECT_EQ(SpriteBatch.order.size(), 2u);
    EXPECT_EQ(Shows(&BackBuffer, 0, 0, 2), "ww");  // nothing drawn before the end
    EXPECT_EQ(DDEndSpriteBatch(), 1);
    EXPECT_EQ(Shows(&BackBuffer, 0, 0, 2), "gg");
    EXPECT_EQ(Groups(), 2);
    EXPECT_EQ(SpriteBatch.bActive, 0);
    EXPECT_TRUE(SpriteBatch.entries.empty());

    StartCounting();
    DDBeginSpriteBatch(0);
    DDRegisterSpriteSurface(&a);  // only a sorted batch registers
    EXPECT_TRUE(SpriteBatch.order.empty());
    for (int x : {0, 1}) {
        DDBltRect(&BackBuffer, x, 0, 1, 1, &b, 0, 0, 0);
        DDBltRect(&BackBuffer, x, 0, 1, 1, &a, 0, 0, 0);
    }
    DDEndSpriteBatch();
    EXPECT_EQ(Shows(&BackBuffer, 0, 0, 2), "rr");
    EXPECT_EQ(Groups(), 4);
}

TEST_P(Batches, UnregisteredSourcesComeFirst) {
    DDBeginSpriteBatch(1);
    DDRegisterSpriteSurface(&b);
    DDBltRect(&BackBuffer, 0, 0, 1, 1, &b, 0, 0, 0);
    DDBltRect(&BackBuffer, 0, 0, 1, 1, &c, 0, 0, 0);
    DDEndSpriteBatch();
    EXPECT_EQ(Shows(&BackBuffer, 0, 0, 1), "g");
}

// Fills into one target separated by a fill into another form three groups; consecutive
// fills into one target one group.
TEST_P(Batches, RectangleBatchGroupsRunsOfOneTarget) {
    StartCounting();
    ASSERT_EQ(DDBeginRectBatch(), 1);
    D3DFillRect(&a, 0, 0, 1, 1, 0xFF0000FFu);
    D3DFillRect(&b, 0, 0, 1, 1, 0xFF0000FFu);
    D3DFillRect(&a, 0, 0, 1, 1, 0xFFFF0000u);
    EXPECT_EQ(RectBatch.entries.size(), 3u);
    EXPECT_EQ(Shows(&a, 0), "r");
    DDEndRectBatch();
    EXPECT_EQ(Groups(), 3);
    EXPECT_EQ(Shows(&a, 0), "r");
    EXPECT_EQ(Shows(&b, 0), "b");

    StartCounting();
    DDBeginRectBatch();
    DDFillRect(&BackBuffer, 0, 0, 1, 1, 7);
    DDFillRect(&BackBuffer, 1, 0, 2, 1, 6);
    DDEndRectBatch();
    EXPECT_EQ(Groups(), 1);
    EXPECT_EQ(Shows(&BackBuffer, 0, 0, 4), "bggw");
}

TEST_P(Batches, EndingAnEmptyBatchOnlyClosesIt) {
    StartCounting();
    DDBeginRectBatch();
    DDBeginSpriteBatch(1);
    EXPECT_EQ(DDEndSpriteBatch(), 1);
    EXPECT_EQ(DDEndRectBatch(), 1);
    EXPECT_EQ(Groups(), 0);
    EXPECT_EQ(RectBatch.bActive, 0);
    EXPECT_EQ(SpriteBatch.bActive, 0);
    // Closed, a blit draws at once again.
    DDBltRect(&BackBuffer, 0, 0, 1, 1, &a, 0, 0, 0);
    EXPECT_EQ(Shows(&BackBuffer, 0, 0, 1), "r");
}

// A blit queued with a blend is drawn with it, though the blend was reset before the end.
TEST_P(Batches, BlendStateIsTakenWhenQueued) {
    DDBeginSpriteBatch(0);
    const DDBLEND grey{0xFF808080u, plat::D3DTOP_MODULATE};
    DDBltBlend(&BackBuffer, 0, 0, 1, 1, &a, 0, 0, 0, &grey);
    DDBltRect(&BackBuffer, 1, 0, 1, 1, &a, 0, 0, 0);
    EXPECT_EQ(lpDTCon->dwDiffuse, 0xFFFFFFFFu);
    DDEndSpriteBatch();
    EXPECT_EQ(Colour(&BackBuffer, 0, 0), Quantised(Storage(&BackBuffer)->Format(), 0xFF800000u));
    EXPECT_EQ(Shows(&BackBuffer, 0, 1, 2), "r");
}

// An opaque copy of a keyed texture leaves the transparent colour where the image is
// transparent, batched as unbatched.
TEST_P(Batches, KeyedOpaqueCopyClearsFirst) {
    DDSURFACEDATA keyed;
    ASSERT_TRUE(DDCreateSurface(&keyed, 2, 1, 1, 0, 0, nullptr, 0));
    Paint(&keyed, {"kr"});
    DDBeginSpriteBatch(0);
    DDBltRect(&BackBuffer, 0, 0, 2, 1, &keyed, 0, 0, 0);
    DDBltRect(&BackBuffer, 2, 0, 2, 1, &keyed, 0, 0, 1);
    DDEndSpriteBatch();
    EXPECT_EQ(Shows(&BackBuffer, 0, 0, 4), "krwr");
}

const DisplayConfig kDirect3DConfigs[] = {kDisplayConfigs[0], kDisplayConfigs[1],
                                          kDisplayConfigs[2]};
INSTANTIATE_TEST_SUITE_P(Direct3D, Batches, ::testing::ValuesIn(kDirect3DConfigs), ConfigName);

class DirectDrawBatches : public DrawTest {};

TEST_P(DirectDrawBatches, NothingIsBatched) {
    DDSURFACEDATA a;
    ASSERT_TRUE(DDCreateSurface(&a, 1, 1, 0, 0, 0, nullptr, 0));
    Paint(&a, {"r"});
    Paint(&BackBuffer, {"ww"});
    EXPECT_EQ(DDBeginSpriteBatch(1), 0);
    EXPECT_EQ(DDBeginRectBatch(), 0);
    EXPECT_EQ(DDRegisterSpriteSurface(&a), 0);
    DDBltRect(&BackBuffer, 0, 0, 1, 1, &a, 0, 0, 0);
    DDFillRect(&BackBuffer, 1, 0, 1, 1, 6);
    EXPECT_EQ(Shows(&BackBuffer, 0, 0, 2), "rg");
    EXPECT_EQ(DDEndSpriteBatch(), 0);
    EXPECT_EQ(DDEndRectBatch(), 0);
}

const DisplayConfig kDirectDrawConfigs[] = {kDisplayConfigs[3], kDisplayConfigs[4],
                                            kDisplayConfigs[5]};
INSTANTIATE_TEST_SUITE_P(DirectDraw, DirectDrawBatches, ::testing::ValuesIn(kDirectDrawConfigs),
                         ConfigName);

}  // namespace

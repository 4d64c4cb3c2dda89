// Actor drawing on small surfaces at 8 bits per pixel, where a pixel is its palette index:
// the graphic sources of the five kinds, the plain picture (stretched for a giant), the mark,
// the gauges with their change animation, the carried item's icon, items and the sight.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "data/database.h"
#include "data/stage_record.h"
#include "data/system_ini.h"
#include "data/system_record.h"
#include "gfx/display.h"
#include "gfx/display_fixture.h"
#include "gfx/draw_fixture.h"
#include "gfx/fill.h"
#include "gfx/surface.h"
#include "gfx/surface_tables.h"
#include "stage/actor.h"
#include "stage/chara_effect_draw.h"
#include "stage/engine_globals.h"
#include "stage/game_scene.h"
#include "stage/graphic_source.h"
#include "stage/hero_actor.h"
#include "stage/stage_objects.h"

namespace {

// Surfaces of given sizes; every graphic source test reads sizes only.
void SetSize(int index, int w, int h) {
    StdSD[index].nWidth = w;
    StdSD[index].nHeight = h;
}

class GraphicSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        for (int i = 0; i < kStdSurfaceCount; ++i) SetSize(i, 0, 0);
        for (int k = 0; k < 8; ++k) {
            // Sheet 1 is short: 4 columns, 3 rows.
            SetSize(4 + 2 * k, k == 1 ? 128 : 256, k == 1 ? 96 : 480);
            SetSize(5 + 2 * k, k == 1 ? 128 : 256, k == 1 ? 96 : 480);
        }
    }
    void TearDown() override {
        for (int i = 0; i < kStdSurfaceCount; ++i) SetSize(i, 0, 0);
        ResetEngineGlobals();
    }
};

TEST_F(GraphicSourceTest, KindsUsersAndFacingsNameTheirSheetsAndCells) {
    cCharaActor left, right;
    left.m_bFacingRight = 0;
    right.m_bFacingRight = 1;
    const struct {
        const char* name;
        int user, kind, number, column;
        const cGameObject* object;
        int extra;
        int own1, own2, other1, x, y;
    } cases[] = {
        {"block 17", GRAPHIC_USER_OTHER, 0, 17, 0, nullptr, 0, 2, 3, 2, 32, 64},
        {"chara 16 actor left", GRAPHIC_USER_ACTOR, 1, 16, 2, &left, 1, 6, 24, 7, 96, 32},
        {"chara 16 actor right", GRAPHIC_USER_ACTOR, 1, 16, 2, &right, 1, 7, 25, 6, 96, 32},
        {"chara 3 other, column 21", GRAPHIC_USER_OTHER, 1, 3, 21, nullptr, 0, 5, 23, 5, 32, 96},
        {"chara 3 other, column 2", GRAPHIC_USER_OTHER, 1, 3, 2, nullptr, 0, 4, 22, 4, 64, 96},
        // Sheet 1 is 96 high: row 3 lies below it, column 4 right of it.
        {"beyond the sheet in y", GRAPHIC_USER_ACTOR, 1, 18, 0, &left, 0, 4, 22, 4, 0, 0},
        {"beyond the sheet in x", GRAPHIC_USER_ACTOR, 1, 16, 4, &left, 0, 4, 22, 4, 0, 0},
        // A number past the eighth sheet takes the fallback, never the shot sheet.
        {"graphic 120", GRAPHIC_USER_ACTOR, 1, 120, 0, &left, 0, 4, 22, 4, 0, 0},
        {"graphic -1", GRAPHIC_USER_OTHER, 1, -1, 0, nullptr, 0, 4, 22, 4, 0, 0},
        {"item 16, second frame", GRAPHIC_USER_ITEM, 2, 16, 0, nullptr, 1, 40, 41, 40, 96, 32},
        {"item 16 as an icon", GRAPHIC_USER_OTHER, 2, 16, 0, nullptr, 1, 40, 41, 40, 64, 32},
        {"shot 31 actor right", GRAPHIC_USER_ACTOR, 3, 31, 0, &right, 0, 64, 64, 63, 64, 32},
        {"shot 31 other", GRAPHIC_USER_OTHER, 3, 31, 0, nullptr, 0, 63, 63, 63, 64, 32},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GraphicSource src;
        ResolveGraphicSource(src, c.user, c.kind, c.number, c.column, c.object, c.extra);
        EXPECT_EQ(src.lpOwn1, &StdSD[c.own1]);
        EXPECT_EQ(src.lpOwn2, &StdSD[c.own2]);
        EXPECT_EQ(src.lpOther1, &StdSD[c.other1]);
        EXPECT_EQ(src.nSrcX, c.x);
        EXPECT_EQ(src.nSrcY, c.y);
        EXPECT_EQ(src.bOwnSize, 0);
        EXPECT_EQ(src.nSize, 1);
        // Without DirectDraw's video stretching, stretched blits take the second copy.
        EXPECT_EQ(src.lpStretchOwn, src.lpOwn2);
    }
}

TEST_F(GraphicSourceTest, OwnBitmapsByTheirCellSize) {
    cGameScene scene;
    lpGame = &scene;
    for (int i = 0; i < 8; ++i) scene.m_vecOwnBitmap.emplace_back();
    EdDatabase.vecBmpCharaExc.Clear();
    EdDatabase.vecBmpCharaExc.resize(3);
    EdDatabase.vecBmpCharaExc[2].bCellWidth = 1;
    EdDatabase.vecBmpCharaExc[2].nCellWidth = 2;
    cCharaActor right;
    right.m_bFacingRight = 1;
    const struct {
        const char* name;
        int user, number, column;
        int extra, own1, other1, own2, x, y, size;
    } cases[] = {
        {"32-dot cells, actor facing right", GRAPHIC_USER_ACTOR, 1, 17, 1, 1, 0, 3, 64, 32, 1},
        {"32-dot cells, an icon", GRAPHIC_USER_OTHER, 1, 17, 1, 0, 1, 2, 32, 32, 1},
        // Cells two blocks wide: 8 per row.
        {"own size 2", GRAPHIC_USER_ACTOR, 2, 9, 0, 5, 4, 7, 64, 64, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GraphicSource src;
        ResolveGraphicSource(src, c.user, GRAPHIC_OWN, c.number, c.column, &right, c.extra);
        EXPECT_EQ(src.lpOwn1, &scene.m_vecOwnBitmap[c.own1]);
        EXPECT_EQ(src.lpOther1, &scene.m_vecOwnBitmap[c.other1]);
        EXPECT_EQ(src.lpOwn2, &scene.m_vecOwnBitmap[c.own2]);
        EXPECT_EQ(src.nSrcX, c.x);
        EXPECT_EQ(src.nSrcY, c.y);
        EXPECT_EQ(src.nSize, c.size);
        EXPECT_EQ(src.bOwnSize, c.size > 1 ? 1 : 0);
    }
    // A multiple below 1 counts as 1; one above 16 still leaves one cell per row.
    for (int k : {0, -3, 40}) {
        SCOPED_TRACE(k);
        EdDatabase.vecBmpCharaExc[2].nCellWidth = k;
        GraphicSource src;
        ResolveGraphicSource(src, GRAPHIC_USER_OTHER, GRAPHIC_OWN, 2, 3, nullptr, 0);
        const int size = k < 1 ? 1 : k;
        EXPECT_EQ(src.nSize, size);
        EXPECT_EQ(src.nSrcX, k < 1 ? 96 : 0);
        EXPECT_EQ(src.nSrcY, k < 1 ? 0 : 3 * 32 * size);
    }
    // A number past the table has no surface to draw from.
    GraphicSource src;
    ResolveGraphicSource(src, GRAPHIC_USER_OTHER, GRAPHIC_OWN, 3, 0, nullptr, 0);
    EXPECT_EQ(src.lpOwn1, NoSurface());
    EdDatabase.vecBmpCharaExc.Clear();
}

// A DirectDraw display at 8 bits: pixels are palette numbers.
class DrawPixelTest : public ::testing::Test, public DisplayFixture {
protected:
    void SetUp() override {
        ResetEngineGlobals();
        Prepare();
        ASSERT_TRUE(Open(kDisplayConfigs[3]));
        ASSERT_EQ(nBpp, 8);
        ASSERT_TRUE(DDCreateSurface(&m_target, kSize, kSize, 0, 0, 0, nullptr, 0));
        DDFillSurface(&m_target, kBackground);
        SetDrawSurfaces();
    }
    void TearDown() override {
        DDReleaseSurface(&m_target);
        for (int i : {42, 43, 44, 49, 2, 3, 4, 5, 22, 23, kSightMaskSurface, kSightHoleSurface})
            DDReleaseSurface(&StdSD[i]);
        Close();
        EdSystem = cEdSystem{};
        SystemIni.DD_VideoStretch = 0;
        ResetEngineGlobals();
    }
    // A standard surface w x h filled with `colour`.
    void Sheet(int index, int w, int h, std::uint32_t colour) {
        DDReleaseSurface(&StdSD[index]);
        ASSERT_TRUE(DDCreateSurface(&StdSD[index], w, h, 1, 0, 0, nullptr, 0));
        DDFillSurface(&StdSD[index], colour);
    }
    std::uint32_t At(int x, int y) { return RawPixel(&m_target, x, y); }
    // The pixels of row y from x0 to x1 (inclusive) as numbers.
    std::string Row(int y, int x0, int x1) {
        std::string s;
        for (int x = x0; x <= x1; ++x) s += std::to_string(At(x, y)) + (x < x1 ? " " : "");
        return s;
    }
    // Counts of colour in the rectangle.
    int Count(int x, int y, int w, int h, std::uint32_t colour) {
        int n = 0;
        for (int j = y; j < y + h; ++j)
            for (int i = x; i < x + w; ++i) n += At(i, j) == colour ? 1 : 0;
        return n;
    }

    static constexpr int kSize = 96;
    static constexpr std::uint32_t kBackground = 1;
    DDSURFACEDATA m_target;
};

TEST_F(DrawPixelTest, MarkSixteenComesFromTheSecondColumnSecondRow) {
    Sheet(kMarkSheet, 256, 480, 2);
    DDFillRect(&StdSD[kMarkSheet], 32, 32, 32, 32, 5);
    DDFillRect(&StdSD[kMarkSheet], 32, 32, 4, 4, 0);  // a keyed corner shows what is under it
    cCharaActor chara;
    chara.m_Chara.bEmblem = 1;
    chara.m_Chara.nEmblem = 16;
    chara.m_rcScreen = {10, 12, 41, 43};
    chara.DrawMark(&m_target);
    EXPECT_EQ(Count(10, 12, 32, 32, 5), 32 * 32 - 16);
    EXPECT_EQ(Count(10, 12, 4, 4, kBackground), 16);
    EXPECT_EQ(At(9, 12), kBackground);
    EXPECT_EQ(At(42, 43), kBackground);
    // Without the flag nothing is drawn.
    DDFillSurface(&m_target, kBackground);
    chara.m_Chara.bEmblem = 0;
    chara.DrawMark(&m_target);
    EXPECT_EQ(Count(0, 0, kSize, kSize, kBackground), kSize * kSize);
}

TEST_F(DrawPixelTest, GiantTakesTheStretchCopyChosenByVideoStretch) {
    // The two copies of the first character sheet differ: 6 and 7.
    Sheet(4, 256, 480, 6);
    Sheet(22, 256, 480, 7);
    for (int videoStretch : {0, 1}) {
        SCOPED_TRACE(videoStretch);
        SystemIni.DD_VideoStretch = videoStretch;
        cCharaActor chara;
        chara.m_Chara.nGraphicSource = 1;
        chara.m_Chara.nGiant = 2;
        chara.m_nGraphicNo = 0;
        chara.m_nSpriteW = chara.m_nSpriteH = 64;
        chara.m_nBaseSpriteW = chara.m_nBaseSpriteH = 32;
        chara.m_rcScreen = {4, 4, 67, 67};
        GraphicSource src;
        chara.ResolveActorSource(src, 0);
        DDFillSurface(&m_target, kBackground);
        BlitActorPlain(chara, &m_target, src);
        EXPECT_EQ(Count(4, 4, 64, 64, videoStretch ? 6u : 7u), 64 * 64);
        // At scale 1 the first copy shows, whatever the setting.
        chara.m_Chara.nGiant = 1;
        chara.m_nSpriteW = chara.m_nSpriteH = 32;
        DDFillSurface(&m_target, kBackground);
        BlitActorPlain(chara, &m_target, src);
        EXPECT_EQ(Count(4, 4, 32, 32, 6), 32 * 32);
        EXPECT_EQ(At(36, 4), kBackground);
    }
}

// The gauge rows of a tall accessory sheet (2 dots apart from 208) or of a short one (16
// apart from 128), each row in its own colour: frame 10, bar 11, warning bar 12, loss 13,
// gain 14 (HP at x 0; SP at x 64 in the colours + 10).
class GaugeTest : public DrawPixelTest {
protected:
    void Rows(int height) {
        Sheet(kAccessorySurface, 128, height, 0);
        const int r = height > 208 ? 208 : 128, s = height > 208 ? 2 : 16;
        for (int i = 0; i < 5; ++i) {
            DDFillRect(&StdSD[kAccessorySurface], 0, r + i * s, 50, 2, 10 + i);
            DDFillRect(&StdSD[kAccessorySurface], 64, r + i * s, 50, 2, 20 + i);
        }
    }
    void SetUp() override {
        DrawPixelTest::SetUp();
        EdSystem.vecHudItems.resize(kHudItemCount);
        m_chara.m_rcScreen = {20, 40, 51, 71};
        m_chara.m_nSpriteW = m_chara.m_nSpriteH = 32;
        m_chara.m_Chara.nMaxHp = 100;
        m_chara.m_nHp = 60;
        m_chara.m_Chara.nMaxSp = 100;
        m_chara.m_nSp = 60;
    }
    // Row y of the gauge from its left (x = centre 36 - 25).
    std::string GaugeRow(int y) { return Row(y, 11, 60); }
    static std::string Runs(std::initializer_list<std::pair<int, int>> runs) {
        std::string s;
        for (const auto& [colour, n] : runs)
            for (int i = 0; i < n; ++i) s += (s.empty() ? "" : " ") + std::to_string(colour);
        return s;
    }
    cCharaActor m_chara;
};

TEST_F(GaugeTest, GainInsideTheBarLossOutsideItWarningRow) {
    const struct {
        const char* name;
        int height, length;
        double shown;
        int lowThreshold;
        std::string row;
    } cases[] = {
        {"gain", 256, 30, 10.6, 0, Runs({{11, 20}, {14, 10}, {10, 20}})},
        {"loss", 256, 30, -10.6, 0, Runs({{11, 30}, {13, 10}, {10, 10}})},
        {"warning", 256, 30, 0.0, 60, Runs({{12, 30}, {10, 20}})},
        {"short sheet", 200, 25, 5.0, 0, Runs({{11, 20}, {14, 5}, {10, 25}})},
        {"loss past the end", 256, 45, -20.0, 0, Runs({{11, 45}, {13, 5}})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Rows(c.height);
        EdSystem.vecHudItems[2].nLowThreshold = c.lowThreshold;
        m_chara.m_HpGauge = GaugeAnim{120, c.shown, c.shown / 60, c.length};
        DDFillSurface(&m_target, kBackground);
        m_chara.DrawHpGauge(&m_target, 1);
        // 3 dots over the sprite, 2 high; nothing else.
        EXPECT_EQ(GaugeRow(37), c.row);
        EXPECT_EQ(GaugeRow(38), c.row);
        EXPECT_EQ(Count(0, 0, kSize, 37, kBackground), kSize * 37);
        EXPECT_EQ(Count(0, 39, kSize, kSize - 39, kBackground), kSize * (kSize - 39));
        // Held: the animation stays.
        EXPECT_EQ(m_chara.m_HpGauge.nFrames, 120);
    }
    // The SP gauge: 7 dots over the sprite, from the sheet's right half.
    Rows(256);
    m_chara.m_SpGauge = GaugeAnim{120, 0, 0, 50};
    DDFillSurface(&m_target, kBackground);
    m_chara.DrawSpGauge(&m_target, 0);
    EXPECT_EQ(GaugeRow(33), Runs({{21, 50}}));
}

TEST_F(GaugeTest, ChangeShrinksForSixtyFramesThenGoesAndTheGaugeHides) {
    Rows(256);
    m_chara.m_HpGauge = GaugeAnim{120, 12.0, 0.2, 30};
    std::vector<double> shown;
    for (int i = 0; i < 120; ++i) {
        m_chara.DrawHpGauge(&m_target, 0);
        shown.push_back(m_chara.m_HpGauge.dShown);
    }
    EXPECT_EQ(m_chara.m_HpGauge.nFrames, 0);
    EXPECT_NEAR(shown[0], 11.8, 1e-9);  // 119 frames left: shrinking
    EXPECT_NEAR(shown[59], 0.0, 1e-9);  // 60 left: the last step
    EXPECT_NEAR(shown[58], 0.2, 1e-9);
    EXPECT_EQ(shown[60], 0.0);  // below 60 it is gone
    // With no frames left nothing is drawn; a dying actor draws none either.
    DDFillSurface(&m_target, kBackground);
    m_chara.DrawHpGauge(&m_target, 0);
    m_chara.m_HpGauge.nFrames = 50;
    m_chara.m_bDying = 1;
    m_chara.DrawHpGauge(&m_target, 0);
    EXPECT_EQ(Count(0, 0, kSize, kSize, kBackground), kSize * kSize);
    EXPECT_EQ(m_chara.m_HpGauge.nFrames, 50);
}

TEST_F(DrawPixelTest, CarriedIconShowsThirtyTwoOfEveryNinetySixFrames) {
    Sheet(kItemMiniSheet, 256, 240, 0);
    DDFillRect(&StdSD[kItemMiniSheet], 32, 16, 16, 16, 9);  // item 16's icon
    cCharaActor chara;
    chara.m_rcScreen = {40, 50, 71, 81};
    chara.m_nSpriteW = chara.m_nSpriteH = 32;
    chara.m_bOnScreen = 1;
    chara.m_CarriedItem.m_bCarried = 1;
    chara.m_CarriedItem.m_Item.nGraphicSource = 2;
    chara.m_CarriedItem.m_Item.nGraphic = 16;
    chara.m_CarriedItem.m_nSpriteW = chara.m_CarriedItem.m_nSpriteH = 32;
    std::string shown;
    for (int i = 0; i < 192; ++i) {
        DDFillSurface(&m_target, kBackground);
        chara.DrawCarriedItemIcon(&m_target);
        // At (centre 56 - 8, top 50 - 16).
        const bool icon = Count(48, 34, 16, 16, 9) == 256;
        shown += icon ? '1' : '0';
        if (icon) EXPECT_EQ(Count(0, 0, kSize, kSize, 9), 256);
    }
    const std::string cycle = std::string(63, '0') + std::string(32, '1') + "0";
    EXPECT_EQ(shown, cycle + cycle);
    // Transparent, off screen, or not carried: no icon and no count.
    for (int which = 0; which < 3; ++which) {
        cCharaActor other;
        other.m_rcScreen = chara.m_rcScreen;
        other.m_CarriedItem = chara.m_CarriedItem;
        other.m_bOnScreen = which != 1;
        other.m_Chara.bTransparent = which == 0;
        other.m_CarriedItem.m_bCarried = which != 2 ? 1 : 0;
        if (which == 2) other.m_Chara.bTransparent = 0;
        for (int i = 0; i < 100; ++i) other.DrawCarriedItemIcon(&m_target);
        EXPECT_EQ(other.m_nItemBlink, 0) << which;
    }
}

TEST_F(DrawPixelTest, ItemDrawsItsFrameAndStretchesAtItsGiantSize) {
    Sheet(kItemSheet, 256, 480, 0);
    Sheet(kItemSheet + 1, 256, 480, 0);
    DDFillRect(&StdSD[kItemSheet], 64, 32, 32, 32, 3);      // item 16, first frame
    DDFillRect(&StdSD[kItemSheet], 96, 32, 32, 32, 4);      // second frame
    DDFillRect(&StdSD[kItemSheet + 1], 64, 32, 64, 32, 8);  // the stretch copy
    cItemObject item;
    item.m_Item.nGraphicSource = 2;
    item.m_Item.nGraphic = 16;
    item.m_nSpriteW = item.m_nSpriteH = 32;
    item.m_nBaseSpriteW = item.m_nBaseSpriteH = 32;
    item.m_rcScreen = {8, 8, 39, 39};
    item.Draw(&m_target, 1);
    EXPECT_EQ(Count(8, 8, 32, 32, 3), 32 * 32);
    // Giant size 2: stretched from the second copy to the sprite's size.
    item.m_Item.nGiant = 2;
    item.m_nSpriteW = item.m_nSpriteH = 64;
    DDFillSurface(&m_target, kBackground);
    item.Draw(&m_target, 1);
    EXPECT_EQ(Count(8, 8, 64, 64, 8), 64 * 64);
    // Hidden: nothing.
    item.m_Item.bHidden = 1;
    DDFillSurface(&m_target, kBackground);
    item.Draw(&m_target, 0);
    EXPECT_EQ(Count(0, 0, kSize, kSize, kBackground), kSize * kSize);
}

// Own bitmaps: four surfaces per record from record 1; a file that cannot be read leaves its
// surfaces empty and a line in the error log, and the others load.
TEST_F(DrawPixelTest, OwnBitmapsFourSurfacesPerRecordAndAMissingFileIsLogged) {
    WriteTestBitmap("own.bmp", {"rrgggggg", "rrgggggg"});
    cGameScene scene;
    EdDatabase.vecBmpCharaExc.Clear();
    EdDatabase.vecBmpCharaExc.resize(1);
    EdDatabase.vecBmpCharaExc[0].strFile = "own.bmp";  // record 0 is never loaded
    scene.LoadCharaBitmaps();
    EXPECT_EQ(scene.m_vecOwnBitmap.Size(), 0u);
    EdDatabase.vecBmpCharaExc.resize(3);
    EdDatabase.vecBmpCharaExc[1].strFile = "missing.bmp";
    EdDatabase.vecBmpCharaExc[2].strFile = "own.bmp";
    EdDatabase.vecBmpCharaExc[2].bCellWidth = 1;
    EdDatabase.vecBmpCharaExc[2].nCellWidth = 2;
    scene.LoadCharaBitmaps();
    ASSERT_EQ(scene.m_vecOwnBitmap.Size(), 8u);
    ASSERT_EQ(scene.m_vecOwnBitmapDef.Size(), 8u);
    auto loaded = [&](int i) {
        const DDSURFACEDATA& sd = scene.m_vecOwnBitmap[i];
        return sd.lpDS != nullptr && sd.lpDS->lpDDSurface != nullptr;
    };
    for (int i = 0; i < 4; ++i) EXPECT_FALSE(loaded(i)) << i;
    for (int i = 4; i < 8; ++i) EXPECT_TRUE(loaded(i)) << i;
    EXPECT_EQ(scene.m_vecOwnBitmap[4].nWidth, 8);
    // The mirrored variants mirror cells of the record's width in blocks.
    EXPECT_EQ(scene.m_vecOwnBitmapDef[5].nMirrorWidth, 64);
    EXPECT_EQ(scene.m_vecOwnBitmapDef[7].nMirrorWidth, 64);
    EXPECT_EQ(scene.m_vecOwnBitmapDef[1].nMirrorWidth, 32);
    const std::string log = ErrorText();
    EXPECT_NE(log.find("専用bmp missing.bmp 読み込み失敗！"), std::string::npos) << log;
    EXPECT_EQ(log.find("own.bmp 読み込み失敗"), std::string::npos) << log;
    EdDatabase.vecBmpCharaExc.Clear();
}

// The sight mask: its size, its darkness and its window of each shape.
TEST_F(DrawPixelTest, SightMaskSizesDarknessAndHoles) {
    cGameScene scene;
    Player.Reset(1);
    cHeroActor& hero = Player[0];
    const struct {
        const char* name;
        int sight, shape;
    } cases[] = {
        {"no sight", 0, 1}, {"circle", 20, 1}, {"square", 20, 3}, {"forward circle", 8, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        hero.m_nSight = c.sight;
        hero.m_Chara.nSightShape = static_cast<std::int8_t>(c.shape);
        BuildSightMask(scene);
        DDSURFACEDATA* mask = &StdSD[kSightMaskSurface];
        const int s = c.sight;
        ASSERT_EQ(mask->nWidth, 1280 + 2 * s);
        ASSERT_EQ(mask->nHeight, 960 + 2 * s);
        const int cx = 640 + s, cy = 480 + s;
        EXPECT_EQ(RawPixel(mask, 0, 0), 16u);
        EXPECT_EQ(RawPixel(mask, mask->nWidth - 1, mask->nHeight - 1), 16u);
        if (s == 0) {
            EXPECT_EQ(RawPixel(mask, cx, cy), 16u);
            continue;
        }
        // The centre is open; the square's corner too, the circle's corner dark.
        EXPECT_EQ(RawPixel(mask, cx, cy), 0u);
        EXPECT_EQ(RawPixel(mask, cx - s + 1, cy), 0u);
        EXPECT_EQ(RawPixel(mask, cx - s, cy - s), c.shape == 3 ? 0u : 16u);
        EXPECT_EQ(RawPixel(mask, cx - s - 1, cy), 16u);
        EXPECT_EQ(RawPixel(mask, cx + s, cy), 16u);
    }
}

TEST_F(DrawPixelTest, SightFollowsTheHeroAheadForForwardShapesAndStaysOnTheMask) {
    cGameScene scene;
    Player.Reset(1);
    cHeroActor& hero = Player[0];
    hero.m_nSight = 40;
    hero.m_nSpriteW = hero.m_nSpriteH = 32;
    DDSURFACEDATA screen;
    ASSERT_TRUE(DDCreateSurface(&screen, 640, 480, 0, 0, 0, nullptr, 0));
    const struct {
        const char* name;
        int shape, facingRight, left, top;
        int holeX, holeY;  // where the window's centre shows on the screen
    } cases[] = {
        {"circle at the hero", 1, 1, 300, 200, 316, 216},
        // Ahead by the sight less half the sprite.
        {"forward circle, right", 2, 1, 300, 200, 340, 216},
        {"forward square, left", 4, 0, 300, 200, 292, 216},
        // Far off: the source stops at the mask's edge.
        {"clamped", 1, 1, -2000, -2000, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        hero.m_Chara.nSightShape = static_cast<std::int8_t>(c.shape);
        BuildSightMask(scene);
        hero.m_bFacingRight = c.facingRight;
        hero.m_rcScreen = {c.left, c.top, c.left + 31, c.top + 31};
        DDFillSurface(&screen, kBackground);
        hero.DrawSight(&screen);
        if (c.left < 0) {
            // The window stays up and left of the screen: all dark.
            EXPECT_EQ(RawPixel(&screen, 0, 0), 16u);
            EXPECT_EQ(RawPixel(&screen, 639, 479), 16u);
            continue;
        }
        EXPECT_EQ(RawPixel(&screen, c.holeX, c.holeY), kBackground);
        EXPECT_EQ(RawPixel(&screen, c.holeX - 38, c.holeY), kBackground);
        EXPECT_EQ(RawPixel(&screen, c.holeX - 45, c.holeY), 16u);
        EXPECT_EQ(RawPixel(&screen, c.holeX + 45, c.holeY), 16u);
        EXPECT_EQ(RawPixel(&screen, 0, 0), 16u);
    }
    // Shape 0 sees everything: nothing is drawn.
    hero.m_Chara.nSightShape = 0;
    DDFillSurface(&screen, kBackground);
    hero.DrawSight(&screen);
    EXPECT_EQ(RawPixel(&screen, 0, 0), kBackground);
    DDReleaseSurface(&screen);
}

// Direct3D: the window is texels without alpha, which the keyed blit of the mask leaves out.
TEST(SightMaskDirect3D, WindowIsTransparentTheRestOpaque) {
    struct Display : DisplayFixture {
    } display;
    ResetEngineGlobals();
    display.Prepare();
    ASSERT_TRUE(display.Open(kDisplayConfigs[2]));
    {
        cGameScene scene;
        Player.Reset(1);
        Player[0].m_nSight = 20;
        DDSURFACEDATA* mask = &StdSD[kSightMaskSurface];
        for (int shape : {1, 3}) {
            SCOPED_TRACE(shape);
            Player[0].m_Chara.nSightShape = static_cast<std::int8_t>(shape);
            BuildSightMask(scene);
            EXPECT_EQ(RawPixel(mask, 0, 0) >> 24, 0xFFu);
            EXPECT_EQ(RawPixel(mask, 660, 500), 0u);
            EXPECT_EQ(RawPixel(mask, 641, 481) >> 24, shape == 3 ? 0u : 0xFFu);
        }
        DDReleaseSurface(&StdSD[kSightMaskSurface]);
        DDReleaseSurface(&StdSD[kSightHoleSurface]);
    }
    display.Close();
    ResetEngineGlobals();
}

}  // namespace

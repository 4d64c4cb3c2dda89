// The standard surface table and the texture sharing between its entries.
#include "gfx/surface_tables.h"

#include <gtest/gtest.h>

#include <cstring>

#include "display_fixture.h"

namespace {

TEST(SurfaceTables, RowsOfTheStandardTable) {
    struct Row {
        int index;
        const char* file;
        int colorKey, system, memoryType, share, optional, mirror, width, height;
    };
    const Row rows[] = {
        {0, "bmp\\plt\\Palette.bmp", 0, 1, 0, -1, 0, 0, 0, 0},
        {1, "bmp\\Debug.bmp", 1, 0, 0, -1, 0, 0, 0, 0},
        {5, "bmp\\Character1.bmp", 1, 0, 0, 4, 0, 32, 0, 0},
        {19, "bmp\\Character8.bmp", 1, 0, 0, 18, 1, 32, 0, 0},
        {21, "bmp\\Shot.bmp", 1, 0, 0, 20, 0, 16, 0, 0},
        {23, "bmp\\Character1.bmp", 1, 1, 0, 4, 0, 32, 0, 0},
        {36, "bmp\\Character8.bmp", 1, 1, 0, 18, 1, 0, 0, 0},
        {44, "bmp\\Mark.bmp", 1, 1, 0, 43, 0, 0, 0, 0},
        {45, "bmp\\Window.bmp", 0, 0, 0, -1, 0, 0, 0, 0},
        {54, "bmp\\WorldBack.bmp", 0, 1, 0, -1, 1, 0, 0, 0},
        {63, "E", 1, 1, 0, -1, 0, 0, 256, 960},
        {66, "E", 0, 1, 0, -1, 0, 0, 640, 480},
        {68, "E", 1, 1, 0, 67, 0, 0, 640, 480},
        {69, "E", 1, 0, 2, -1, 0, 0, 1024, 1024},
        {70, "E", 1, 1, 1, -1, 0, 0, 1024, 1024},
    };
    for (const Row& r : rows) {
        const DDSURFACEDEF& d = SurfaceDef[r.index];
        EXPECT_STREQ(d.szFileName, r.file) << r.index;
        EXPECT_EQ(d.bColorKey, r.colorKey) << r.index;
        EXPECT_EQ(d.nDDMemory, r.system) << r.index;
        EXPECT_EQ(d.nMemoryType, r.memoryType) << r.index;
        EXPECT_EQ(d.lpSrcSD, r.share < 0 ? nullptr : &StdSD[r.share]) << r.index;
        EXPECT_EQ(d.bOptional, r.optional) << r.index;
        EXPECT_EQ(d.nMirrorWidth, r.mirror) << r.index;
        EXPECT_EQ(d.nMirrorHeight, 0) << r.index;
        EXPECT_EQ(d.nWidth, r.width) << r.index;
        EXPECT_EQ(d.nHeight, r.height) << r.index;
        EXPECT_EQ(d.lpPalData, nullptr) << r.index;
    }
    // The background names are CP932: "背景その1.bmp".
    EXPECT_STREQ(SurfaceDef[55].szFileName, "\x94\x77\x8C\x69\x82\xBB\x82\xCC\x31.bmp");
    EXPECT_STREQ(SurfaceDef[62].szFileName, "\x94\x77\x8C\x69\x82\xBB\x82\xCC\x38.bmp");
    int optional = 0, shared = 0, blank = 0;
    for (const DDSURFACEDEF& d : SurfaceDef) {
        optional += d.bOptional;
        shared += d.lpSrcSD != nullptr;
        blank += std::strcmp(d.szFileName, "E") == 0;
    }
    EXPECT_EQ(optional, 38);
    EXPECT_EQ(shared, 31);
    EXPECT_EQ(blank, 8);
    for (const DDSURFACEDEF& d : NumberSDDef) {
        EXPECT_STREQ(d.szFileName, "");
        EXPECT_EQ(d.bColorKey, 1);
        EXPECT_EQ(d.nWidth, 0);
    }
}

class SharedLinks : public ::testing::Test, public DisplayFixture {
protected:
    void SetUp() override { Prepare(); }
    void TearDown() override {
        for (DDSURFACEDATA& sd : StdSD) sd.lpShareSD = nullptr;
        Close();
    }
};

// The links are exactly the entries the table marks as sharing, and only in Direct3D.
TEST_F(SharedLinks, LinkExactlyTheMarkedEntriesInDirect3D) {
    ASSERT_TRUE(Open(kDisplayConfigs[5]));
    LinkSharedSurfaces();
    for (const DDSURFACEDATA& sd : StdSD) EXPECT_EQ(sd.lpShareSD, nullptr);
    DDUnInit();
    ASSERT_TRUE(Open(kDisplayConfigs[2]));
    LinkSharedSurfaces();
    for (int i = 0; i < kStdSurfaceCount; ++i)
        EXPECT_EQ(StdSD[i].lpShareSD, SurfaceDef[i].lpSrcSD) << i;
    EXPECT_EQ(StdSD[23].lpShareSD, &StdSD[4]);
    EXPECT_EQ(StdSD[68].lpShareSD, &StdSD[67]);
}

}  // namespace

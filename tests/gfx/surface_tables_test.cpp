// The standard surface table and the texture sharing between its entries.
#include "gfx/surface_tables.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>

#include "display_fixture.h"

namespace {

// FNV-1a over bytes, to pin whole tables at once.
struct Digest {
    std::uint64_t value = 0xcbf29ce484222325ull;
    void Bytes(std::string_view bytes) {
        for (unsigned char c : bytes) value = (value ^ c) * 0x100000001b3ull;
        value = (value ^ 0xFF) * 0x100000001b3ull;  // a separator no text contains
    }
    void Number(std::int64_t n) { Bytes(std::to_string(n)); }
};

// The standard surface a pointer names, or -1 for none.
int StdIndex(const DDSURFACEDATA* sd) {
    return sd ? static_cast<int>(sd - StdSD) : -1;
}

void AddDefinitions(Digest& d, std::span<const DDSURFACEDEF> table) {
    d.Number(static_cast<std::int64_t>(table.size()));
    for (const DDSURFACEDEF& def : table) {
        d.Bytes(def.szFileName);
        for (int n : {def.bColorKey, def.nDDMemory, def.nMemoryType, StdIndex(def.lpSrcSD),
                      def.lpPalData != nullptr ? 1 : 0, def.bOptional, def.nMirrorWidth,
                      def.nMirrorHeight, def.nWidth, def.nHeight})
            d.Number(n);
    }
}

// The rows above and the counts catch dropped entries but not a wrong character or number in
// the middle of the table. These digests pin every field of every definition (the file names
// as their CP932 bytes) and every link; they were taken after an entry-by-entry comparison
// of all 71 definitions, the three digit-strip definitions and the 31 links with the
// original tables, and change only with a deliberate edit of the tables (then compare again
// and update them).
TEST(SurfaceTables, ContentsArePinned) {
    Digest standard;
    AddDefinitions(standard, SurfaceDef);
    EXPECT_EQ(standard.value, 0x62e13587e2e478b6ull) << std::hex << standard.value;
    Digest numbers;
    AddDefinitions(numbers, NumberSDDef);
    EXPECT_EQ(numbers.value, 0x1a88ef9a9aeac723ull) << std::hex << numbers.value;
}

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

// Every pair LinkSharedSurfaces makes (see ContentsArePinned).
TEST_F(SharedLinks, LinksArePinned) {
    ASSERT_TRUE(Open(kDisplayConfigs[2]));
    LinkSharedSurfaces();
    Digest links;
    int count = 0;
    for (int i = 0; i < kStdSurfaceCount; ++i) {
        if (!StdSD[i].lpShareSD) continue;
        links.Number(i);
        links.Number(StdIndex(StdSD[i].lpShareSD));
        ++count;
    }
    EXPECT_EQ(count, 31);
    EXPECT_EQ(links.value, 0x20671ea38f035b9full) << std::hex << links.value;
}

}  // namespace

// user_data\Window.dat: its documented bytes, the clamp of the corner on load, and the files
// that are no placement (missing, short, unreadable), which change nothing.
#include "data/window_placement.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "support/byte_builder.h"
#include "support/temp_dir.h"

namespace {

ByteBuilder PlacementBytes(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                           std::int32_t maximised) {
    ByteBuilder b;
    b.U32(747).U32(5).I32(x).I32(y).I32(w).I32(h).I32(maximised).U32(0);
    return b;
}

cWindowPlacement Loaded(const std::vector<std::uint8_t>& bytes) {
    cWindowPlacement placement;
    RecordReader reader = RecordReader::FromBytes(bytes);
    placement.Load(reader);
    return placement;
}

TEST(WindowPlacementFile, TheFiveFieldsAndTheirBytes) {
    cWindowPlacement placement;
    EXPECT_EQ(placement.SaveToBytes(), PlacementBytes(0, 0, 0, 0, 0).bytes);
    placement.Set(320, 272, 640, 480, 1);
    EXPECT_EQ(placement.SaveToBytes(), PlacementBytes(320, 272, 640, 480, 1).bytes);
}

TEST(WindowPlacementFile, TheCornerIsKeptOnTheFullScreenClientArea) {
    const int right = plat::GetSystemMetrics(plat::SM_CXFULLSCREEN);
    const int bottom = plat::GetSystemMetrics(plat::SM_CYFULLSCREEN);
    ASSERT_EQ(right, 1280);
    ASSERT_EQ(bottom, 1024 - 30 - 19);
    struct Case {
        int x, y, wantX, wantY;
    };
    const Case cases[] = {
        {-50, 5000, 0, bottom},
        {100, 200, 100, 200},
        {right, bottom, right, bottom},
        {right + 1, -1, right, 0},
        {INT32_MIN, INT32_MAX, 0, bottom},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        const cWindowPlacement p = Loaded(PlacementBytes(c.x, c.y, 9999, -3, 7).bytes);
        EXPECT_EQ(p.x, c.wantX);
        EXPECT_EQ(p.y, c.wantY);
        // The size and the flag are read as they are: start-up decides what to use.
        EXPECT_EQ(p.width, 9999);
        EXPECT_EQ(p.height, -3);
        EXPECT_EQ(p.maximised, 7);
    }
}

TEST(WindowPlacementFile, OnlyAWholeFileIsAPlacement) {
    TempDir dir;
    std::filesystem::create_directories("user_data");
    WindowPlacement = cWindowPlacement{};
    WindowPlacement.Set(1, 2, 3, 4, 0);
    EXPECT_FALSE(LoadWindowPlacement());  // missing
    EXPECT_EQ(WindowPlacement.x, 1);
    auto write = [](const std::vector<std::uint8_t>& bytes) {
        std::ofstream out("user_data/Window.dat", std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    };
    std::vector<std::uint8_t> cut = PlacementBytes(50, 60, 640, 480, 0).bytes;
    cut.resize(cut.size() - 8);
    write(cut);
    EXPECT_FALSE(LoadWindowPlacement());
    EXPECT_EQ(WindowPlacement.x, 1);
    write(PlacementBytes(50, 60, 640, 480, 1).bytes);
    ASSERT_TRUE(LoadWindowPlacement());
    EXPECT_EQ(WindowPlacement.x, 50);
    EXPECT_EQ(WindowPlacement.maximised, 1);
    // Saved and read back, the same bytes.
    WindowPlacement.Set(70, 80, 640, 480, 0);
    ASSERT_TRUE(SaveWindowPlacement());
    std::ifstream in("user_data/Window.dat", std::ios::binary);
    const std::vector<std::uint8_t> saved((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    EXPECT_EQ(saved, PlacementBytes(70, 80, 640, 480, 0).bytes);
    WindowPlacement = cWindowPlacement{};
}

}  // namespace

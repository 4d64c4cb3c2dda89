// The world map record: a new project's map against bytes built by hand, the grid with its
// power-of-two pitch and resizing, nodes and their stage entries (the round gate of version 209),
// the normalise step, the entry conditions, copies, hostile files and the dumper.
#include "data/world_map.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "base/log.h"
#include "data/record_dump.h"
#include "platform/time_units.h"
#include "support/byte_builder.h"
#include "support/cpu_clock.h"
#include "support/temp_dir.h"

namespace {

struct Base {
    std::int32_t width = 20, height = 15, pitch = 32, shift = 5;
    std::int32_t startX = 9, startY = 7, colour = 16, picture = 0;
    std::string name = "ワールド";
    std::string bg;
};

void AddBase(ByteBuilder& b, const Base& m) {
    b.U32(8).I32(m.width).I32(m.height).I32(m.pitch).I32(m.shift);
    b.I32(m.startX).I32(m.startY).I32(m.colour).I32(m.picture);
    b.U32(2).Str(m.name).Str(m.bg);
}

void AddEvent(ByteBuilder& b, std::int32_t kind, std::int32_t impassable, std::int32_t graphic,
              const std::string& text, const std::string& name) {
    b.U32(3).I32(kind).I32(impassable).I32(graphic).U32(2).Str(text).Str(name);
}

// A stage entry: the 11 ints of the current layout (the 10 of files before 209, which lack
// the minimum round at index 10), then the two strings.
void AddStage(ByteBuilder& b, std::vector<std::int32_t> ints, const std::string& title,
              const std::string& file) {
    b.U32(static_cast<std::uint32_t>(ints.size()));
    for (std::int32_t v : ints) b.I32(v);
    b.U32(2).Str(title).Str(file);
}

void AddNodeHead(ByteBuilder& b, std::int32_t x, std::int32_t y, const std::string& name,
                 std::uint32_t stages) {
    b.U32(2).I32(x).I32(y).U32(1).Str(name).U32(stages);
}

void AddDefaultEntry(ByteBuilder& b) {
    AddStage(b, std::vector<std::int32_t>(11, 0), "", "");
}

void AddGrid(ByteBuilder& b, const std::vector<std::int32_t>& cells) {
    b.U32(static_cast<std::uint32_t>(cells.size()));
    for (std::int32_t c : cells) b.I32(c);
}

cEdWorldMap LoadMap(const std::vector<std::uint8_t>& bytes, bool* stopped = nullptr) {
    cEdWorldMap map;
    RecordReader reader = RecordReader::FromBytes(bytes);
    map.Load(reader);
    if (stopped) *stopped = reader.StoppedEarly();
    return map;
}

// The file of a new project, byte by byte.
std::vector<std::uint8_t> NewProjectBytes() {
    ByteBuilder b;
    b.U32(747);
    AddBase(b, Base{});
    b.U32(10);
    for (int i = 0; i < 10; ++i) AddEvent(b, 0, i < 5, i, "", i < 5 ? "通行不可" : "通行可");
    AddGrid(b, std::vector<std::int32_t>(15 * 32, 0));
    b.U32(0);
    b.U32(1);
    AddNodeHead(b, 0, 0, "デフォルト", 1);
    AddDefaultEntry(b);
    return b.bytes;
}

TEST(WorldMap, NewProjectMapBytes) {
    cEdWorldMap map;
    EXPECT_EQ(map.SaveToBytes(), NewProjectBytes());
    EXPECT_EQ(map.strName, "\x83\x8F\x81\x5B\x83\x8B\x83\x68");  // ワールド in CP932
    ASSERT_EQ(map.vecEvents.Size(), 10u);
    EXPECT_EQ(map.vecEvents[4].strName, "\x92\xCA\x8D\x73\x95\x73\x89\xC2");  // 通行不可
    EXPECT_EQ(map.vecEvents[5].strName, "\x92\xCA\x8D\x73\x89\xC2");          // 通行可

    // A map that was changed gets all of it back from SetDefaults.
    map.SetSize(40, 40);
    map.vecGrid[3] = 7;
    map.vecNodes.resize(2);
    map.vecEvents.resize(3);
    map.nBgColour = 3;
    map.SetDefaults();
    EXPECT_EQ(map.SaveToBytes(), NewProjectBytes());
}

// ---- The grid ----

TEST(WorldMapGrid, PitchIsTheSmallestPowerOfTwoNotBelowTheWidth) {
    struct Case {
        std::int32_t width, pitch, shift;
    } cases[] = {{1, 1, 0},   {2, 2, 1},   {3, 4, 2},   {4, 4, 2},        {5, 8, 3},
                 {20, 32, 5}, {32, 32, 5}, {33, 64, 6}, {1024, 1024, 10}, {1025, 2048, 11}};
    for (const Case& c : cases) {
        cEdWorldMap map;
        map.vecGrid.Clear();
        ASSERT_EQ(map.SetSize(c.width, 3), 1) << c.width;
        EXPECT_EQ(map.nWidth, c.width);
        EXPECT_EQ(map.nHeight, 3);
        EXPECT_EQ(map.nPitch, c.pitch) << c.width;
        EXPECT_EQ(map.nPitchShift, c.shift) << c.width;
        EXPECT_EQ(map.vecGrid.Size(), static_cast<unsigned>(3 * c.pitch));
    }
}

// Fills each cell with a value that tells its column and row.
void Mark(cEdWorldMap& map) {
    for (int y = 0; y < map.nHeight; ++y) {
        for (int x = 0; x < map.nWidth; ++x)
            map.vecGrid[(y << map.nPitchShift) + x] = 1000 * y + x + 1;
    }
}

TEST(WorldMapGrid, ResizingKeepsTheCellsBothSizesShare) {
    struct Case {
        std::int32_t width, height;
    } cases[] = {{33, 15}, {10, 5}, {20, 30}, {1, 1}, {64, 2}};
    for (const Case& c : cases) {
        cEdWorldMap map;  // 20 x 15, pitch 32
        Mark(map);
        ASSERT_EQ(map.SetSize(c.width, c.height), 1);
        ASSERT_EQ(map.vecGrid.Size(), static_cast<unsigned>(c.height * map.nPitch));
        for (int y = 0; y < c.height; ++y) {
            for (int x = 0; x < map.nPitch; ++x) {
                const bool kept = x < 20 && y < 15 && x < c.width;
                EXPECT_EQ(map.vecGrid[(y << map.nPitchShift) + x], kept ? 1000 * y + x + 1 : 0)
                    << c.width << "x" << c.height << " cell " << x << "," << y;
            }
        }
    }
}

TEST(WorldMapGrid, RefusedSizesChangeNothing) {
    const std::int32_t sizes[][2] = {{0, 15},  {20, 0},      {-1, 15},
                                     {20, -3}, {INT_MAX, 2}, {4096, 4097}};
    for (const auto& s : sizes) {
        cEdWorldMap map;
        Mark(map);
        const std::vector<std::uint8_t> before = map.SaveToBytes();
        EXPECT_EQ(map.SetSize(s[0], s[1]), 0) << s[0] << "x" << s[1];
        EXPECT_EQ(map.SaveToBytes(), before);
    }
    cEdWorldMap map;
    EXPECT_EQ(map.SetSize(4096, 4096), 1);  // the largest grid
}

TEST(WorldMapGrid, ResizingAGridWhoseStoredSizeDisagreesKeepsOnlyCellsItHolds) {
    // A file may store fewer cells than height x pitch.
    ByteBuilder b;
    b.U32(747);
    AddBase(b, Base{});
    b.U32(0);
    AddGrid(b, {5, 6, 7});
    b.U32(0).U32(0);
    cEdWorldMap map = LoadMap(b.bytes);
    ASSERT_EQ(map.vecGrid.Size(), 3u);  // taken as stored
    ASSERT_EQ(map.SetSize(4, 2), 1);
    EXPECT_EQ(map.vecGrid, (CheckedVector<std::int32_t>{5, 6, 7, 0, 0, 0, 0, 0}));
}

TEST(WorldMapGrid, CellIndexClampsToTheMap) {
    cEdWorldMap map;
    Mark(map);
    struct Case {
        std::int32_t x, y, index;
    } cases[] = {{0, 0, 0},
                 {19, 14, 14 * 32 + 19},
                 {20, 0, 19},
                 {-5, 3, 96},
                 {3, -1, 3},
                 {3, 99, 14 * 32 + 3},
                 {INT_MIN, INT_MAX, 14 * 32},
                 {INT_MAX, INT_MIN, 19}};
    for (const Case& c : cases) {
        EXPECT_EQ(map.CellIndex(c.x, c.y), c.index) << c.x << "," << c.y;
        EXPECT_EQ(map.Cell(c.x, c.y), map.vecGrid[c.index]);
    }
    // A shift no grid can have gives an index the checked access refuses.
    map.nPitchShift = 40;
    EXPECT_EQ(map.CellIndex(1, 1), -1);
}

// ---- Nodes, entries and the normalise step ----

// A map of 10 x 4 cells with two nodes in the first list.
std::vector<std::uint8_t> NodeBytes(std::uint32_t version, bool round) {
    ByteBuilder b;
    b.U32(version);
    Base base;
    base.width = 10, base.height = 4, base.pitch = 16, base.shift = 4;
    base.startX = 2, base.startY = 3, base.picture = 1, base.bg = "bmp\\back\\map.bmp";
    AddBase(b, base);
    b.U32(2);
    AddEvent(b, 1, 0, 7, "t", "道");
    AddEvent(b, 2, 1, 12, "", "壁");
    std::vector<std::int32_t> grid(4 * 16, 0);
    grid[16 * 2 + 9] = 1;
    AddGrid(b, grid);
    auto ints = [&](std::vector<std::int32_t> v) {
        if (!round) v.pop_back();
        return v;
    };
    b.U32(2);
    AddNodeHead(b, 3, 1, "森", 2);
    AddStage(b, ints({0, 2, 11, 1, 0, 5, 4, 21, 100, 2, 2}), "森の道", "data\\stg4\\forest-1.stg4");
    AddStage(b, ints({1, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0}), "", "data\\stg4\\forest-2.stg4");
    AddNodeHead(b, 9, 3, "城", 1);
    AddStage(b, ints({0, 0, 12, 0, 0, 0, 0, 0, 0, 0, 3}), "", "data\\stg4\\castle.stg4");
    b.U32(1);
    AddNodeHead(b, 0, 0, "デフォルト", 1);
    AddStage(b, ints({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}), "", "");
    return b.bytes;
}

TEST(WorldMapGrid, TileAtFindsNoTileOutsideTheGridOrTheTileList) {
    cEdWorldMap map;  // 20 x 15, ten tile types
    const auto CellOf = [](const cEdWorldMap& m, int x, int y) { return (y << m.nPitchShift) + x; };
    map.vecGrid[CellOf(map, 2, 3)] = 7;
    map.vecGrid[CellOf(map, 4, 0)] = 10;  // one past the tile list
    map.vecGrid[CellOf(map, 5, 0)] = -1;
    ASSERT_NE(map.TileAt(2, 3), nullptr);
    EXPECT_EQ(map.TileAt(2, 3), &map.vecEvents[7]);
    EXPECT_EQ(map.TileAt(2, -4), &map.vecEvents[map.vecGrid[2]]);  // clamped to row 0
    EXPECT_EQ(map.TileAt(4, 0), nullptr);
    EXPECT_EQ(map.TileAt(5, 0), nullptr);
    // A grid shorter than its size (a damaged file), and one with no cells at all.
    map.vecGrid.resize(40);
    EXPECT_NE(map.TileAt(7, 1), nullptr);
    EXPECT_EQ(map.TileAt(7, 2), nullptr);
    map.vecGrid.Clear();
    EXPECT_EQ(map.TileAt(0, 0), nullptr);
    map.nPitchShift = 40;
    EXPECT_EQ(map.TileAt(1, 1), nullptr);
}

TEST(WorldMapNodes, CurrentFileLoadsEveryMemberAndSavesBackByteForByte) {
    const std::vector<std::uint8_t> bytes = NodeBytes(747, true);
    bool stopped = true;
    cEdWorldMap map = LoadMap(bytes, &stopped);
    EXPECT_FALSE(stopped);
    EXPECT_EQ(map.nWidth, 10);
    EXPECT_EQ(map.nPitchShift, 4);
    EXPECT_EQ(map.nStartY, 3);
    EXPECT_EQ(map.bBgPicture, 1);
    EXPECT_EQ(map.strBgPicture, "bmp\\back\\map.bmp");
    ASSERT_EQ(map.vecEvents.Size(), 2u);
    EXPECT_EQ(map.vecEvents[1].bImpassable, 1);
    EXPECT_EQ(map.vecEvents[1].nGraphic, 12);
    EXPECT_EQ(map.vecEvents[0].strText, "t");
    EXPECT_EQ(map.Cell(9, 2), 1);
    ASSERT_EQ(map.vecNodes.Size(), 2u);
    const cEdMapNode& forest = map.vecNodes[0];
    EXPECT_EQ(forest.strName, "\x90\x58");
    ASSERT_EQ(forest.vecStages.Size(), 2u);
    const cEdMapStage& e = forest.vecStages[0];
    EXPECT_EQ(e.nIconRow, 2);
    EXPECT_EQ(e.nClearedSwitch, 11);
    EXPECT_EQ(e.bNoAutoConfirm, 1);
    EXPECT_EQ(e.nAfterClear, 5);
    EXPECT_EQ(e.nRequiredSwitch, 4);
    EXPECT_EQ(e.nConditionVariable, 21);
    EXPECT_EQ(e.nConditionValue, 100);
    EXPECT_EQ(e.nConditionOperator, 2);
    EXPECT_EQ(e.nMinRound, 2);
    EXPECT_EQ(e.strStageFile, "data\\stg4\\forest-1.stg4");
    EXPECT_EQ(forest.vecStages[1].bReplay, 1);
    EXPECT_EQ(map.vecNodes[1].vecStages[0].nMinRound, 3);
    EXPECT_EQ(map.SaveToBytes(), bytes);
}

TEST(WorldMapNodes, EntriesBeforeVersion209StoreNoMinimumRound) {
    cEdWorldMap map = LoadMap(NodeBytes(208, false));
    ASSERT_EQ(map.vecNodes.Size(), 2u);
    // Everything after the shorter entries is still read in its place.
    EXPECT_EQ(map.vecNodes[0].vecStages[0].nConditionOperator, 2);
    EXPECT_EQ(map.vecNodes[0].vecStages[0].nMinRound, 0);
    EXPECT_EQ(map.vecNodes[0].vecStages[1].strStageFile, "data\\stg4\\forest-2.stg4");
    EXPECT_EQ(map.vecNodes[1].vecStages[0].strStageFile, "data\\stg4\\castle.stg4");
    EXPECT_EQ(map.vecNodes2[0].strName, "\x83\x66\x83\x74\x83\x48\x83\x8B\x83\x67");
    // Saved now, the entries carry the round (0), and read as the current file would be.
    cEdWorldMap current = LoadMap(NodeBytes(747, true));
    current.vecNodes[0].vecStages[0].nMinRound = 0;
    current.vecNodes[1].vecStages[0].nMinRound = 0;
    EXPECT_EQ(map.SaveToBytes(), current.SaveToBytes());
    // An old-layout writer gives back the old file.
    EXPECT_EQ(map.SaveToBytes(RecordWriter::ForOldVersion(208)), NodeBytes(208, false));

    // The round an entry held before the load does not survive a file without one.
    cEdMapStage entry;
    entry.nMinRound = 9;
    ByteBuilder b;
    AddStage(b, std::vector<std::int32_t>(10, 0), "", "");
    RecordReader reader(b.bytes, 208);
    entry.Load(reader);
    EXPECT_EQ(entry.nMinRound, 0);
    EXPECT_FALSE(reader.StoppedEarly());
}

TEST(WorldMapNodes, NormalizeDropsOutOfGridNodesFromTheFirstListOnly) {
    ByteBuilder b;
    b.U32(747);
    Base base;
    base.width = 10, base.height = 4, base.pitch = 16, base.shift = 4;
    base.startX = 10, base.startY = 4;  // at the width and height
    AddBase(b, base);
    b.U32(0);
    AddGrid(b, std::vector<std::int32_t>(64, 0));
    const struct {
        std::int32_t x, y;
        const char* name;
    } nodes[] = {{0, 0, "a"}, {10, 0, "x=width"}, {0, 4, "y=height"},
                 {9, 3, "b"}, {-1, -7, "c"},      {INT_MAX, 1, "far"}};
    b.U32(std::size(nodes));
    for (const auto& n : nodes) {
        AddNodeHead(b, n.x, n.y, n.name, 1);
        AddDefaultEntry(b);
    }
    b.U32(std::size(nodes));
    for (const auto& n : nodes) {
        AddNodeHead(b, n.x, n.y, n.name, 1);
        AddDefaultEntry(b);
    }
    cEdWorldMap map = LoadMap(b.bytes);
    std::vector<std::string> names;
    for (const cEdMapNode& n : map.vecNodes) names.push_back(n.strName);
    // Two off-map nodes in a row: the one after a removed node is examined too.
    EXPECT_EQ(names, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(map.vecNodes2.Size(), std::size(nodes));
    EXPECT_EQ(map.nStartX, 9);
    EXPECT_EQ(map.nStartY, 3);

    // The same step before a save: the saved file holds the corrected values.
    cEdWorldMap edited;
    edited.nStartX = 20;
    edited.nStartY = -2;  // negative values are left as they are
    edited.vecNodes.resize(2);
    edited.vecNodes[1].nX = 20;
    cEdWorldMap reread = LoadMap(edited.SaveToBytes());
    EXPECT_EQ(reread.nStartX, 19);
    EXPECT_EQ(reread.nStartY, -2);
    EXPECT_EQ(reread.vecNodes.Size(), 1u);
    // The dumper shows what the file holds, without the step.
    RecordReader raw = RecordReader::FromBytes(b.bytes);
    cEdWorldMap shown;
    const DumpResult dump = DumpRecord(shown, raw);
    EXPECT_NE(dump.text.find("vecNodes[5].strName = \"far\""), std::string::npos);
    EXPECT_NE(dump.text.find("nStartX = 10\n"), std::string::npos);
}

TEST(WorldMapNodes, NormalizeRemovesManyOffMapNodesInOnePass) {
    // A map 0 cells wide: every node lies beyond the width. Taking them away one at a time
    // would move the rest of the list each time; this many would then take minutes.
    constexpr std::uint32_t kNodes = 100000;
    ByteBuilder b;
    b.U32(747);
    Base base;
    base.width = 0;
    AddBase(b, base);
    b.U32(0);
    AddGrid(b, {});
    b.U32(kNodes);
    for (std::uint32_t i = 0; i < kNodes; ++i) AddNodeHead(b, 0, 0, "", 0);
    b.U32(0);
    const auto start = testsupport::ThreadCpuTime();
    bool stopped = true;
    cEdWorldMap map = LoadMap(b.bytes, &stopped);
    const auto took = testsupport::ThreadCpuTime() - start;
    EXPECT_FALSE(stopped);
    EXPECT_TRUE(map.vecNodes.empty());
    // Minutes against well under a second; the sanitizer build's allocator alone takes about
    // a second for the 100000 nodes, so it gets a wider bound that still tells the two apart.
    EXPECT_LT(took, std::chrono::seconds(1) * testsupport::kSanitizerSlowdown);
}

TEST(WorldMapNodes, FindNodeAtGivesTheFirstNodeOfTheFirstListAtTheCell) {
    cEdWorldMap map;
    map.vecNodes.resize(3);
    map.vecNodes[0].nX = 4, map.vecNodes[0].nY = 5;
    map.vecNodes[1].nX = 5, map.vecNodes[1].nY = 4;
    map.vecNodes[2].nX = 5, map.vecNodes[2].nY = 4;
    EXPECT_EQ(map.FindNodeAt(4, 5), &map.vecNodes[0]);
    EXPECT_EQ(map.FindNodeAt(5, 4), &map.vecNodes[1]);
    EXPECT_EQ(map.FindNodeAtPoint(plat::POINT{5, 4}), &map.vecNodes[1]);
    EXPECT_EQ(map.FindNodeAt(4, 4), nullptr);
    // The second list's default node at (0, 0) is not found.
    EXPECT_EQ(map.FindNodeAt(0, 0), nullptr);
}

// ---- Entry conditions ----

TEST(WorldMapEntries, ConditionOperators) {
    struct Case {
        std::int32_t op, variable, value;
        bool passes;
    } cases[] = {
        {0, 5, 5, true},         {0, 5, 6, false},      {1, 5, 6, true},   {1, 5, 5, false},
        {2, 5, 5, true},         {2, 4, 5, false},      {3, 5, 5, true},   {3, 6, 5, false},
        {4, 6, 5, true},         {4, 5, 5, false},      {5, 4, 5, true},   {5, 5, 5, false},
        {6, 9, 3, true},         {6, 10, 3, false},     {6, -9, 3, true},  {6, 7, 0, true},
        {6, 0, 0, true},         {6, INT_MIN, 2, true}, {6, 9, -3, true},  {7, 10, 3, true},
        {7, 9, 3, false},        {7, -10, 3, true},     {7, 7, 0, false},  {7, INT_MIN, 3, true},
        {7, INT_MIN, -1, false}, {8, 5, 5, false},      {-1, 5, 5, false}, {100, 0, 0, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MapConditionPasses(c.op, c.variable, c.value), c.passes)
            << "op " << c.op << " variable " << c.variable << " value " << c.value;
    }
}

TEST(WorldMapEntries, AnEntryCountsWhenSwitchConditionAndRoundAllPass) {
    cEdMapStage e;
    EXPECT_TRUE(e.Counts(false, 123, 0));  // nothing asked
    e.nRequiredSwitch = 3;
    EXPECT_FALSE(e.Counts(false, 0, 0));
    EXPECT_TRUE(e.Counts(true, 0, 0));
    e.nConditionVariable = 2, e.nConditionOperator = MAP_COND_AT_LEAST, e.nConditionValue = 10;
    EXPECT_FALSE(e.Counts(true, 9, 0));
    EXPECT_TRUE(e.Counts(true, 10, 0));
    e.nMinRound = 2;
    EXPECT_FALSE(e.Counts(true, 10, 1));
    EXPECT_TRUE(e.Counts(true, 10, 2));
    // A variable number of 0 names no condition, whatever the operator.
    e.nConditionVariable = 0, e.nConditionOperator = 99;
    EXPECT_TRUE(e.Counts(true, 0, 5));
    // A switch number of 0 or below asks nothing.
    e.nRequiredSwitch = -4;
    EXPECT_TRUE(e.Counts(false, 0, 5));
}

TEST(WorldMapEntries, TheFirstCountingEntryOfANodeIsChosen) {
    cEdMapNode node;
    node.vecStages.resize(3);
    node.vecStages[0].nRequiredSwitch = 7;
    node.vecStages[1].nConditionVariable = 4;
    node.vecStages[1].nConditionOperator = MAP_COND_EQUAL;
    node.vecStages[1].nConditionValue = 1;
    node.vecStages[2].nMinRound = 2;
    bool switch7 = false;
    std::int32_t var4 = 0;
    std::vector<int> asked;
    auto switchOn = [&](int n) {
        asked.push_back(n);
        return n == 7 && switch7;
    };
    auto variable = [&](int n) { return n == 4 ? var4 : -1; };
    EXPECT_EQ(node.FirstCountingEntry(switchOn, variable, 1), -1);
    EXPECT_EQ(node.FirstCountingEntry(switchOn, variable, 2), 2);
    var4 = 1;
    EXPECT_EQ(node.FirstCountingEntry(switchOn, variable, 1), 1);
    switch7 = true;
    EXPECT_EQ(node.FirstCountingEntry(switchOn, variable, 1), 0);
    // Only entries that name a switch ask for one.
    for (int n : asked) EXPECT_EQ(n, 7);
}

// ---- Copies, hostile files, the dumper, the start-up load ----

TEST(WorldMapRecords, CopiesWriteTheSourcesBytesAndShareNothing) {
    cEdWorldMap source = LoadMap(NodeBytes(747, true));
    cEdWorldMap assigned;
    assigned = source;
    cEdWorldMap constructed(source);
    const std::vector<std::uint8_t> bytes = source.SaveToBytes();
    EXPECT_EQ(assigned.SaveToBytes(), bytes);
    EXPECT_EQ(constructed.SaveToBytes(), bytes);
    source.vecNodes[0].vecStages[0].strStageFile = "changed";
    source.vecGrid[0] = 9;
    source.nStartX = 0;
    EXPECT_EQ(assigned.SaveToBytes(), bytes);

    cEdMapStage e;
    e.nMinRound = 4, e.strTitle = "t", e.nKind = 2;
    cEdMapStage f;
    f = e;
    EXPECT_EQ(f.SaveToBytes(), e.SaveToBytes());
    cEdMapEvent t;
    t.nGraphic = 3, t.strName = "n";
    cEdMapEvent u;
    u = t;
    EXPECT_EQ(u.SaveToBytes(), t.SaveToBytes());
}

TEST(WorldMapRecords, EveryCutOfAFileReadsWithoutHarm) {
    const std::vector<std::uint8_t> bytes = NodeBytes(747, true);
    for (std::size_t n = 4; n < bytes.size(); ++n) {
        bool stopped = false;
        cEdWorldMap map =
            LoadMap(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + n), &stopped);
        EXPECT_TRUE(stopped) << n;
        // What was read saves and reads back the same.
        const std::vector<std::uint8_t> saved = map.SaveToBytes();
        EXPECT_EQ(LoadMap(saved).SaveToBytes(), saved) << n;
    }
}

TEST(WorldMapRecords, CountsTheBytesCannotHoldEndTheRead) {
    struct Case {
        const char* what;
        std::uint32_t events, cells, nodes;
    } cases[] = {
        {"tile types", 0x40000000, 0, 0},
        {"cells", 0, 0xFFFFFFFF, 0},
        {"nodes", 0, 0, 0x10000000},
    };
    for (const Case& c : cases) {
        ByteBuilder b;
        b.U32(747);
        AddBase(b, Base{});
        b.U32(c.events).U32(c.cells).U32(c.nodes).U32(0);
        bool stopped = false;
        cEdWorldMap map = LoadMap(b.bytes, &stopped);
        EXPECT_TRUE(stopped) << c.what;
        // The refused count is the first of the lists it heads; the defaults were cleared,
        // and nothing follows it.
        EXPECT_TRUE(map.vecEvents.empty()) << c.what;
        EXPECT_TRUE(map.vecGrid.empty()) << c.what;
        EXPECT_TRUE(map.vecNodes.empty()) << c.what;
        EXPECT_TRUE(map.vecNodes2.empty()) << c.what;
    }
}

TEST(WorldMapRecords, DumperNamesEveryListAndMarksTheMissingRound) {
    RecordReader reader = RecordReader::FromBytes(NodeBytes(208, false));
    cEdWorldMap map;
    const DumpResult dump = DumpRecord(map, reader);
    EXPECT_TRUE(dump.ok);
    for (const char* line :
         {"version = 208\n", "nPitchShift = 4\n", "vecEvents[1].nGraphic = 12\n",
          "vecGrid[41] = 1\n", "vecNodes[0].vecStages[0].nConditionValue = 100\n",
          "vecNodes[1].vecStages[0].nMinRound = 0 (default)\n",
          "vecNodes2[0].vecStages[0].strStageFile = \"\"\n"}) {
        EXPECT_NE(dump.text.find(line), std::string::npos) << line << dump.text;
    }
    const RecordKind* kind = FindKindForFile("worldmap.dat");
    ASSERT_NE(kind, nullptr);
    EXPECT_STREQ(kind->name, "WorldMap");
}

TEST(WorldMapRecords, StartUpLoadReadsDataWorldMap) {
    TempDir dir;
    EXPECT_EQ(LoadWorldMap(), 0);  // no file
    cEdWorldMap saved = LoadMap(NodeBytes(747, true));
    std::filesystem::create_directory("Data");
    ASSERT_EQ(saved.SaveToFile("data\\worldmap.dat"), 1);
    EXPECT_EQ(LoadWorldMap(), 1);
    EXPECT_EQ(EdWorldMap.SaveToBytes(), saved.SaveToBytes());
    EdWorldMap.SetDefaults();
}

}  // namespace

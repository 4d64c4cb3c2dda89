// The common palette: the file layout, the list readers with their defaults for entries not
// yet read, the fixed entry 0, the flags cleared after loading, the padding to two entries,
// references into the (unloaded) stage palette, copies and hostile files.
#include "data/common_palette.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "base/log.h"
#include "data/record_dump.h"
#include "flow_bytes.h"
#include "palette_bytes.h"
#include "support/temp_dir.h"

namespace {

using namespace palette_bytes;
using flow_bytes::Cmd;
using flow_bytes::Cond;
using flow_bytes::FlowBody;
using flow_bytes::One;

// A palette file: the version, the empty base part and the three lists, each given as a count
// and bodies.
struct PaletteFile {
    std::vector<std::vector<std::uint8_t>> blocks, charas, items;
};

std::vector<std::uint8_t> FileBytes(std::uint32_t version, const PaletteFile& f) {
    ByteBuilder b;
    b.U32(version).U32(0).U32(0);
    for (const auto* list : {&f.blocks, &f.charas, &f.items}) {
        b.U32(static_cast<std::uint32_t>(list->size()));
        for (const auto& body : *list) b.Bytes(body);
    }
    return b.bytes;
}

std::vector<std::uint8_t> BlockBody(const Values& v, std::string_view name = "",
                                    const Tail& t = {0, 0, 0, Zeros(11)}) {
    ByteBuilder b;
    Block(b, 747, v, name, t);
    return b.bytes;
}
std::vector<std::uint8_t> CharaBody(const Values& v, std::string_view name = "",
                                    const Tail& t = {0, 0, 0, Zeros(37)}) {
    ByteBuilder b;
    Chara(b, 747, v, name, t);
    return b.bytes;
}
std::vector<std::uint8_t> ItemBody(const Values& v, std::string_view name = "",
                                   const Tail& t = {0, 0, 0, Zeros(13)}) {
    ByteBuilder b;
    Item(b, 747, v, name, t);
    return b.bytes;
}

std::vector<std::uint8_t> FlagsWith(int count, std::initializer_list<int> set) {
    std::vector<std::uint8_t> f = Zeros(count);
    for (int k : set) f[static_cast<std::size_t>(k)] = 1;
    return f;
}

// The stage palette holds one new entry per list, as before any stage is loaded.
class CommonPaletteTest : public flow_bytes::FlowFixture {
protected:
    void SetUp() override {
        FlowFixture::SetUp();
        stageBlocks.resize(1);
        stageCharas.resize(1);
        stageItems.resize(1);
        scope.emplace(CommonPaletteLists(), PaletteLists{&stageBlocks, &stageCharas, &stageItems});
    }
    void TearDown() override {
        scope.reset();
        FlowFixture::TearDown();
    }
    cEdCommonPalette Load(const std::vector<std::uint8_t>& bytes, bool normalize = true) {
        RecordReader reader = RecordReader::FromBytes(bytes);
        reader.SetNormalize(normalize);
        cEdCommonPalette p;
        p.Load(reader);
        EXPECT_FALSE(reader.StoppedEarly()) << reader.Problem() << " at " << reader.ProblemOffset();
        EXPECT_EQ(reader.Remaining(), 0u);
        return p;
    }

    CheckedVector<cEdBlock> stageBlocks;
    CheckedVector<cEdChara> stageCharas;
    CheckedVector<cEdItem> stageItems;
    std::optional<PaletteScope> scope;
};

// An entry's body as the program writes it without normalising (no version in front).
template <class T>
std::vector<std::uint8_t> Body(T& entry) {
    std::vector<std::uint8_t> bytes = entry.SaveToBytes(RecordWriter::ForOldVersion(747));
    return std::vector<std::uint8_t>(bytes.begin() + 4, bytes.end());
}

TEST_F(CommonPaletteTest, NewPaletteHoldsOneNewEntryPerListAndSavesTwo) {
    cEdCommonPalette p;
    EXPECT_EQ(p.vecBlock.Size(), 1u);
    EXPECT_EQ(p.vecChara.Size(), 1u);
    EXPECT_EQ(p.vecItem.Size(), 1u);
    EXPECT_EQ(p.vecChara[0].nGiant, 1);
    // The save pads every list to two (a reset block, a reset character, a new item) and
    // normalises them: blocks without a graphic are not solid, characters at least size 1.
    cEdBlock block;
    block.nHitType = 0;
    cEdChara chara1;
    cEdChara chara2;
    chara2.Reset();
    chara2.nGiant = 1;
    cEdItem item;
    ByteBuilder want;
    want.U32(747).U32(0).U32(0);
    want.U32(2).Bytes(Body(block)).Bytes(Body(block));
    want.U32(2).Bytes(Body(chara1)).Bytes(Body(chara2));
    want.U32(2).Bytes(Body(item)).Bytes(Body(item));
    EXPECT_EQ(p.SaveToBytes(), want.bytes);
    EXPECT_EQ(p.vecChara[1].nGraphicSource, 0);
}

TEST_F(CommonPaletteTest, EmptyListsLoadAsTwoNewEntriesNotTheFixedDefaults) {
    cEdCommonPalette p = Load(FileBytes(747, {}));
    ASSERT_EQ(p.vecBlock.Size(), 2u);
    ASSERT_EQ(p.vecChara.Size(), 2u);
    ASSERT_EQ(p.vecItem.Size(), 2u);
    for (int i = 0; i < 2; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(p.vecBlock[i].nExemptSide, 255);
        EXPECT_EQ(p.vecBlock[i].nHitType, 0);  // no graphic
        // Entry 0 of the fixed defaults would be computer-controlled with 10 HP.
        EXPECT_EQ(p.vecChara[i].nControl, 0);
        EXPECT_EQ(p.vecChara[i].nMaxHp, 0);
        EXPECT_EQ(p.vecChara[i].nGiant, 1);
        EXPECT_EQ(p.vecChara[i].bFixedFacing, 0);
        EXPECT_EQ(p.vecItem[i].nField10, 6);
        EXPECT_EQ(p.vecItem[i].nGraphicSource, 2);
    }
}

TEST_F(CommonPaletteTest, EntryZeroGetsTheFixedDefaultsButKeepsItsListsAndPlace) {
    const auto cond = One([](ByteBuilder& c) { flow_bytes::Condition(c, 747, Cond{.kind = 2}); });
    const auto flow = One([](ByteBuilder& c) {
        flow_bytes::Flow(c, 747, FlowBody{.id = 6, .commands = One([](ByteBuilder& d) {
                                                       flow_bytes::Command(d, Cmd{.type = 1});
                                                   })});
    });
    const auto command = One(
        [](ByteBuilder& c) { flow_bytes::Command(c, Cmd{.kind = 1, .type = 3, .params = {5}}); });
    const Values stored = {{"nGraphic", 9}, {"nGraphicSource", 3}, {"nCondMode", 1}};
    PaletteFile f;
    f.blocks = {BlockBody({{"nGraphic", 9}, {"nHitType", 2}, {"nExemptSide", 3}, {"bProtected", 1}},
                          "b0", {4, 5, 0, FlagsWith(11, {0, 3}), cond}),
                BlockBody({})};
    f.charas = {CharaBody({{"nGraphic", 9}, {"nMaxHp", 500}, {"nSide", 6}, {"nScore", 7}}, "c0",
                          {4, 5, 77, FlagsWith(37, {0, 23}), cond, flow}),
                CharaBody({})};
    f.items = {ItemBody({{"nGraphic", 9}, {"nTakeMode", 2}, {"nField10", 1}}, "i0",
                        {4, 5, 0, FlagsWith(13, {0, 5}), cond, command}),
               ItemBody({})};
    cEdCommonPalette p = Load(FileBytes(747, f));

    // Blocks: the new values, graphic 0 (and so, after the normalise step, not solid).
    const cEdBlock& b = p.vecBlock[0];
    EXPECT_EQ(b.strName, "");
    EXPECT_EQ(b.nGraphic, 0);
    EXPECT_EQ(b.nExemptSide, 255);
    EXPECT_EQ(b.bProtected, 0);
    EXPECT_EQ(b.vecInherit.Size(), 11u);
    EXPECT_EQ(b.vecCondition.Size(), 1u);
    EXPECT_EQ(b.nPlaceX, 4);
    EXPECT_EQ(b.nPlaceY, 5);

    const cEdChara& c = p.vecChara[0];
    EXPECT_EQ(c.strName, "");
    EXPECT_EQ(c.nControl, 1);
    EXPECT_EQ(c.nSide, 1);
    EXPECT_EQ(c.nZ, 3);
    EXPECT_EQ(c.nCharaEffect1Param, 1);
    EXPECT_EQ(c.nMaxHp, 10);
    EXPECT_EQ(c.nDefense, 0);
    EXPECT_EQ(c.nGraphicSource, 1);
    EXPECT_EQ(c.nGraphic, 0);
    EXPECT_EQ(c.nGiant, 1);
    EXPECT_EQ(c.nStopping, 10);
    EXPECT_EQ(c.bFixedFacing, 1);
    EXPECT_EQ(c.nField49, 1);
    EXPECT_EQ(c.nScore, 0);
    EXPECT_EQ(c.vecInherit.Size(), 37u);
    EXPECT_EQ(c.vecCondition.Size(), 1u);
    ASSERT_EQ(c.vecFlow.Size(), 1u);
    EXPECT_EQ(c.vecFlow[0].nId, 6);
    // The placement value is one of the fixed defaults; the raw place is not.
    EXPECT_EQ(c.nPlaceValue, 0);
    EXPECT_EQ(c.nPlaceX, 4);
    EXPECT_EQ(c.nPlaceY, 5);

    const cEdItem& i = p.vecItem[0];
    EXPECT_EQ(i.strName, "");
    EXPECT_EQ(i.nGraphicSource, 2);
    EXPECT_EQ(i.nGraphic, 0);
    EXPECT_EQ(i.bTakeEffect, 1);
    EXPECT_EQ(i.nGiant, 1);
    EXPECT_EQ(i.nField10, 6);
    EXPECT_EQ(i.nTakeMode, 0);
    EXPECT_EQ(i.vecInherit.Size(), 13u);
    EXPECT_EQ(i.vecCondition.Size(), 1u);
    EXPECT_EQ(i.vecItemCommand.Size(), 1u);

    for (const auto* flags : {&b.vecInherit, &c.vecInherit, &i.vecInherit}) {
        for (std::int8_t v : *flags) EXPECT_EQ(v, 0);
    }
    // Entry 1 is what the file says.
    EXPECT_EQ(p.vecItem[1].nField10, 0);
}

TEST_F(CommonPaletteTest, EntriesInheritFromEarlierEntriesAndDefaultsOfLaterOnes) {
    // Character 1 takes groups 0 (name) and 23 (nMaxHp) from 2, which is read after it and
    // still holds the reader's defaults; character 3 takes them from 2 after its read.
    // Every flag is 0 after the load, the inherited values stay.
    PaletteFile f;
    f.blocks = {BlockBody({}), BlockBody({}),
                BlockBody({{"nInheritKind", 1}, {"nInheritIndex", 1}, {"nDrawLayer", 1}}, "b2",
                          {0, 0, 0, FlagsWith(11, {0, 3})})};
    f.charas = {
        CharaBody({}),
        CharaBody({{"nInheritKind", 1}, {"nInheritIndex", 2}, {"nMaxHp", 50}}, "c1",
                  {0, 0, 0, FlagsWith(37, {0, 23})}),
        CharaBody({{"nMaxHp", 99}}, "c2"),
        CharaBody({{"nInheritKind", 1}, {"nInheritIndex", 2}, {"nMaxHp", 50}}, "c3",
                  {0, 0, 0, FlagsWith(37, {0, 23})}),
    };
    cEdCommonPalette p = Load(FileBytes(747, f));
    ASSERT_EQ(p.vecChara.Size(), 4u);
    EXPECT_EQ(p.vecChara[1].strName, "");
    EXPECT_EQ(p.vecChara[1].nMaxHp, 0);
    EXPECT_EQ(p.vecChara[3].strName, "c2");
    EXPECT_EQ(p.vecChara[3].nMaxHp, 99);
    EXPECT_EQ(p.vecChara[3].nInheritKind, 1);
    EXPECT_EQ(p.vecBlock[2].strName, "");  // block 1 holds its empty name
    EXPECT_EQ(p.vecBlock[2].nDrawLayer, 0);
    for (const cEdChara& c : p.vecChara) {
        for (std::int8_t v : c.vecInherit) EXPECT_EQ(v, 0);
    }
    for (std::int8_t v : p.vecBlock[2].vecInherit) EXPECT_EQ(v, 0);
}

TEST_F(CommonPaletteTest, ReferencesIntoTheUnloadedStagePaletteAreDropped) {
    // The stage palette holds one entry per list while the common palette loads.
    const auto getItem = [](int which, int index) {
        return One([=](ByteBuilder& c) {
            flow_bytes::Flow(
                c, 747,
                FlowBody{.commands = One([=](ByteBuilder& d) {
                             flow_bytes::Command(d, Cmd{.type = 25, .params = {which, index}});
                         })});
        });
    };
    // A shot command with a stage item: the item fields found by their names.
    cEdShot shotFields;
    shotFields.Rebind(747);
    std::vector<long long> shotValues(flow_bytes::ShotWidths(747).size());
    for (int k = 0; k < shotFields.FieldCount(); ++k) {
        if (std::string(shotFields.FieldAt(k).name) == "nItemPalette") shotValues[k] = 2;
        if (std::string(shotFields.FieldAt(k).name) == "nItemIndex") shotValues[k] = 2;
    }
    ByteBuilder shot;
    flow_bytes::Fields(shot, flow_bytes::ShotWidths(747), shotValues);
    const auto shotFlow = One([&](ByteBuilder& c) {
        flow_bytes::Flow(c, 747, FlowBody{.commands = One([&](ByteBuilder& d) {
                                              flow_bytes::Command(
                                                  d, Cmd{.type = 11, .shot = shot.bytes});
                                          })});
    });
    PaletteFile f;
    f.blocks = {BlockBody({}), BlockBody({{"nGraphic", 1}, {"nItemPalette", 2}, {"nItemIndex", 1}}),
                BlockBody({{"nGraphic", 1}, {"nItemPalette", 1}, {"nItemIndex", 1}}),
                BlockBody({{"nGraphic", 1}, {"nItemPalette", 2}, {"nItemIndex", 0}})};
    f.charas = {CharaBody({}),
                CharaBody({{"nInheritKind", 2}, {"nInheritIndex", 2}, {"nMaxHp", 8}}, "",
                          {0, 0, 0, FlagsWith(37, {23}), {0, 0, 0, 0}, getItem(1, 2)}),
                CharaBody({}, "", {0, 0, 0, Zeros(37), {0, 0, 0, 0}, shotFlow})};
    f.items = {
        ItemBody({}),
        ItemBody({}, "", {0, 0, 0, Zeros(13), {0, 0, 0, 0}, One([](ByteBuilder& c) {
                              flow_bytes::Command(c, Cmd{.kind = 1, .type = 10, .params = {0, 1}});
                          })})};
    cEdCommonPalette p = Load(FileBytes(747, f));
    EXPECT_EQ(p.vecBlock[1].nItemPalette, 0);
    EXPECT_EQ(p.vecBlock[1].nItemIndex, 0);
    EXPECT_EQ(p.vecBlock[2].nItemPalette, 1);
    EXPECT_EQ(p.vecBlock[2].nItemIndex, 1);
    EXPECT_EQ(p.vecBlock[3].nItemPalette, 2);  // stage entry 0 exists
    // The inheritance from stage entry 2 lost its kind (and the index stays): nothing copied.
    EXPECT_EQ(p.vecChara[1].nInheritKind, 0);
    EXPECT_EQ(p.vecChara[1].nInheritIndex, 2);
    EXPECT_EQ(p.vecChara[1].nMaxHp, 8);
    EXPECT_EQ(p.vecChara[1].vecFlow[0].vecCommand[0].vecParam[1], 1);
    ASSERT_TRUE(p.vecChara[2].vecFlow[0].vecCommand[0].spShot);
    EXPECT_EQ(p.vecChara[2].vecFlow[0].vecCommand[0].spShot->nItemPalette, 0);
    EXPECT_EQ(p.vecChara[2].vecFlow[0].vecCommand[0].spShot->nItemIndex, 0);
    // Common item 1 exists: kept.
    EXPECT_EQ(p.vecItem[1].vecItemCommand[0].vecParam[1], 1);
}

TEST_F(CommonPaletteTest, SavedPaletteReadsBackToTheSameBytesAndCopiesMatch) {
    PaletteFile f;
    f.blocks = {BlockBody({}),
                BlockBody({{"nGraphic", 3}, {"nTouchParam", -9}}, "b1", {2, 3, 0, Zeros(11)})};
    f.charas = {CharaBody({}), CharaBody({{"nControl", 1}, {"nClones", 2}, {"nDefense", 40}}, "c1"),
                CharaBody({{"nGiant", 3}}, "c2")};
    f.items = {ItemBody({}), ItemBody({{"nTakeSound", 5}}, "i1")};
    cEdCommonPalette p = Load(FileBytes(747, f));
    const std::vector<std::uint8_t> saved = p.SaveToBytes();
    cEdCommonPalette again = Load(saved);
    EXPECT_EQ(again.SaveToBytes(), saved);
    EXPECT_EQ(again.vecChara[2].strName, "c2");
    cEdCommonPalette assigned;
    assigned = p;
    cEdCommonPalette constructed(p);
    EXPECT_EQ(assigned.SaveToBytes(), saved);
    EXPECT_EQ(constructed.SaveToBytes(), saved);
}

TEST_F(CommonPaletteTest, DamagedFilesLoadWithoutHarm) {
    PaletteFile f;
    const auto flow = One([](ByteBuilder& c) { flow_bytes::Flow(c, 747, FlowBody{.id = 1}); });
    f.blocks = {BlockBody({}), BlockBody({{"nGraphic", 2}})};
    f.charas = {CharaBody({}), CharaBody({}, "c", {0, 0, 0, Zeros(37), {0, 0, 0, 0}, flow})};
    f.items = {ItemBody({}), ItemBody({})};
    const std::vector<std::uint8_t> whole = FileBytes(747, f);
    // Every cut-off length: the lists hold what was reached and at least two entries each.
    for (std::size_t n = 4; n < whole.size(); ++n) {
        std::vector<std::uint8_t> cut(whole.begin(),
                                      whole.begin() + static_cast<std::ptrdiff_t>(n));
        RecordReader reader = RecordReader::FromBytes(cut);
        cEdCommonPalette p;
        p.Load(reader);
        ASSERT_TRUE(reader.StoppedEarly()) << n;
        EXPECT_GE(p.vecBlock.Size(), 2u);
        EXPECT_GE(p.vecChara.Size(), 2u);
        EXPECT_GE(p.vecItem.Size(), 2u);
    }
    // Counts no file can back read as 0 and allocate nothing.
    for (std::uint32_t count : {0xFFFFFFFFu, 0x7FFFFFFFu, 1000u}) {
        std::vector<std::uint8_t> bytes =
            ByteBuilder().U32(747).U32(0).U32(0).U32(count).U32(0).bytes;
        RecordReader reader = RecordReader::FromBytes(bytes);
        cEdCommonPalette p;
        p.Load(reader);
        EXPECT_TRUE(reader.StoppedEarly());
        EXPECT_EQ(p.vecBlock.Size(), 2u);
    }
    // A count that the bytes can back makes that many entries, defaults where the read ended.
    std::vector<std::uint8_t> bytes = ByteBuilder().U32(747).U32(0).U32(0).U32(5).bytes;
    bytes.resize(bytes.size() + 5 * 20, 0);
    RecordReader reader = RecordReader::FromBytes(bytes);
    cEdCommonPalette p;
    p.Load(reader);
    EXPECT_EQ(p.vecBlock.Size(), 5u);
}

// One block with many conditions and many blocks inheriting them: every copy is charged to
// one budget, and once it is spent the lists stay the entries' own while numbers still copy.
TEST_F(CommonPaletteTest, InheritedCopiesStopWhenTheBudgetIsSpent) {
    constexpr int kConditions = 100;
    constexpr int kInheritors = 50;
    ByteBuilder conds;
    conds.U32(kConditions);
    for (int i = 0; i < kConditions; ++i) flow_bytes::Condition(conds, 747, Cond{.kind = 1});
    PaletteFile f;
    f.blocks = {BlockBody({}),
                BlockBody({{"nCondMode", 1}}, "source", {0, 0, 0, Zeros(11), conds.bytes})};
    for (int i = 0; i < kInheritors; ++i) {
        f.blocks.push_back(BlockBody({{"nInheritKind", 1}, {"nInheritIndex", 1}}, "",
                                     {0, 0, 0, FlagsWith(11, {0, 1})}));
    }
    const std::vector<std::uint8_t> bytes = FileBytes(747, f);

    // The file's own budget is far larger than this file needs: everything is copied.
    {
        cEdCommonPalette p = Load(bytes);
        for (int i = 2; i < 2 + kInheritors; ++i) {
            ASSERT_EQ(p.vecBlock[i].vecCondition.Size(), unsigned{kConditions}) << i;
            EXPECT_EQ(p.vecBlock[i].strName, "source");
        }
    }

    // A budget for the copies of ten entries (the conditions and the 6 bytes of the name):
    // the eleventh entry keeps its own name and list, and so do all after it, while the
    // condition mode is copied into every entry.
    TempDir dir;
    ASSERT_EQ(OpenReportLog("Report_Game.txt"), 1);
    const std::size_t budgetSize = 10 * (kConditions + 6);
    InheritanceBudget budget(budgetSize);
    EXPECT_EQ(InheritanceBudget::Left(), budgetSize);
    cEdCommonPalette p = Load(bytes);
    std::size_t copied = 0;
    for (int i = 2; i < 2 + kInheritors; ++i) {
        SCOPED_TRACE(i);
        const cEdBlock& b = p.vecBlock[i];
        const bool withinBudget = i < 12;
        EXPECT_EQ(b.vecCondition.Size(), withinBudget ? unsigned{kConditions} : 0u);
        EXPECT_EQ(b.strName, withinBudget ? "source" : "");
        EXPECT_EQ(b.nCondMode, 1);
        copied += b.vecCondition.Size() + b.strName.size();
    }
    EXPECT_LE(copied, budgetSize);
    EXPECT_EQ(InheritanceBudget::Left(), budgetSize - copied);
    std::ifstream log("Report_Game.txt", std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(log), {}};
    std::size_t lines = 0;
    for (std::size_t at = text.find("palette inheritance"); at != std::string::npos;
         at = text.find("palette inheritance", at + 1)) {
        ++lines;
    }
    EXPECT_EQ(lines, 1u) << text;
}

// The same layout at a hostile scale, with the smallest bodies (conditions of no fields):
// 4000 conditions inherited by 2000 entries would be 8 million copies; the file's budget
// keeps them to max(kMinElements, its bytes per byte).
TEST_F(CommonPaletteTest, AHostileFileCopiesNoMoreThanItsBudget) {
    constexpr std::uint32_t kConditions = 4000;
    constexpr std::uint32_t kInheritors = 2000;
    ByteBuilder b;
    b.U32(747).U32(0).U32(0).U32(2 + kInheritors);
    b.U32(0).U32(0).U16(0).U16(0).U32(0).U32(0);  // entry 0
    b.U32(0).U32(0).U16(0).U16(0).U32(0).U32(kConditions);
    for (std::uint32_t i = 0; i < kConditions; ++i) b.U32(0).U32(0);
    for (std::uint32_t i = 0; i < kInheritors; ++i) {
        // Kind 1, index 1; no strings; flag 1 (conditions) set; no conditions of its own.
        b.U32(2).U8(1).U16(1).U32(0).U16(0).U16(0).U32(2).U8(0).U8(1).U32(0);
    }
    b.U32(0).U32(0);
    const std::size_t budget = std::max(InheritanceBudget::kMinElements,
                                        b.bytes.size() * InheritanceBudget::kElementsPerFileByte);
    ASSERT_LT(budget, std::size_t{kConditions} * kInheritors / 4);
    cEdCommonPalette p = Load(b.bytes);
    ASSERT_EQ(p.vecBlock.Size(), 2 + kInheritors);
    std::size_t copied = 0;
    for (std::uint32_t i = 2; i < 2 + kInheritors; ++i) {
        copied += p.vecBlock[static_cast<int>(i)].vecCondition.Size();
    }
    EXPECT_LE(copied, budget);
    // The budget is used, not refused from the start.
    EXPECT_GT(copied, budget - kConditions);
}

TEST(InheritanceBudgetSize, FollowsTheFileAndTheOuterBudgetCoversNestedOnes) {
    EXPECT_EQ(InheritanceBudget::Left(), SIZE_MAX);
    {
        // Small files get the floor.
        InheritanceBudget small(RecordReader::FromBytes(std::vector<std::uint8_t>(1000, 0)));
        EXPECT_EQ(InheritanceBudget::Left(), InheritanceBudget::kMinElements);
    }
    const std::size_t bytes = 3 * InheritanceBudget::kMinElements;
    const RecordReader reader = RecordReader::FromBytes(std::vector<std::uint8_t>(bytes, 0));
    InheritanceBudget outer(reader);
    EXPECT_EQ(InheritanceBudget::Left(), bytes * InheritanceBudget::kElementsPerFileByte);
    {
        InheritanceBudget inner(std::size_t{5});
        EXPECT_EQ(InheritanceBudget::Left(), bytes * InheritanceBudget::kElementsPerFileByte);
    }
    EXPECT_EQ(InheritanceBudget::Left(), bytes * InheritanceBudget::kElementsPerFileByte);
}

TEST_F(CommonPaletteTest, DumperShowsTheFileWithoutResolvingIt) {
    PaletteFile f;
    f.blocks = {BlockBody({{"nGraphic", 7}}, "zero", {0, 0, 0, FlagsWith(11, {2})}), BlockBody({})};
    const std::vector<std::uint8_t> bytes = FileBytes(747, f);
    const RecordKind* kind = FindKindForFile("CommonPalette.cplt4");
    ASSERT_NE(kind, nullptr);
    EXPECT_STREQ(kind->name, "CommonPalette");
    auto record = kind->make();
    RecordReader reader = RecordReader::FromBytes(bytes);
    reader.SetNormalize(false);
    DumpResult result = DumpRecord(*record, reader);
    EXPECT_TRUE(result.ok) << result.text;
    EXPECT_NE(result.text.find("vecBlock[0].nGraphic = 7\n"), std::string::npos) << result.text;
    EXPECT_NE(result.text.find("vecBlock[0].strName = \"zero\"\n"), std::string::npos)
        << result.text;
    EXPECT_NE(result.text.find("vecBlock[0].vecInherit[2] = 1\n"), std::string::npos)
        << result.text;
    // The file's empty lists stay empty: the dumper does not pad them.
    EXPECT_EQ(result.text.find("vecChara["), std::string::npos) << result.text;
    for (const char* name : {"Block", "Chara", "Item"})
        EXPECT_NE(FindKindByName(name), nullptr) << name;
}

}  // namespace

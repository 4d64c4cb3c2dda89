// Block, character and item definitions: their field tables and version gates, the layout
// after the registered part, the upgrades of old files, the property groups of inheritance,
// the normalise step, the palette reference checks, the clone offsets and the copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "data/block_record.h"
#include "data/chara_record.h"
#include "data/common_palette.h"
#include "data/item_record.h"
#include "data/palette_inheritance.h"
#include "data/stage_record.h"
#include "flow_bytes.h"
#include "palette_bytes.h"
#include "platform/time_units.h"

namespace {

using namespace palette_bytes;
using flow_bytes::Cmd;
using flow_bytes::Cond;
using flow_bytes::FlowBody;
using flow_bytes::One;

// The registered fields of a record at a version, as (name, bytes).
std::vector<std::pair<std::string, int>> Layout(SerialRecord& r, std::uint32_t version) {
    r.Rebind(version);
    std::vector<std::pair<std::string, int>> out;
    for (int i = 0; i < r.FieldCount(); ++i) {
        out.emplace_back(r.FieldAt(i).name,
                         static_cast<int>(r.FieldAt(i).count) * r.FieldAt(i).size);
    }
    r.Rebind(kCurrentDataVersion);
    return out;
}

std::vector<std::pair<std::string, int>> Expected(const std::vector<FieldRow>& table,
                                                  std::uint32_t version) {
    std::vector<std::pair<std::string, int>> out;
    for (const FieldRow& f : table) {
        if (f.from <= version) out.emplace_back(f.name, f.size);
    }
    return out;
}

// A registered field's value by name (the tables above pin the names).
long long FieldValue(SerialRecord& r, const std::string& name) {
    r.Rebind(kCurrentDataVersion);
    for (int i = 0; i < r.FieldCount(); ++i) {
        const FieldEntry& e = r.FieldAt(i);
        if (name != e.name) continue;
        switch (e.size) {
            case 1:
                return *static_cast<const std::int8_t*>(e.address);
            case 2:
                return *static_cast<const std::int16_t*>(e.address);
            default:
                return *static_cast<const std::int32_t*>(e.address);
        }
    }
    ADD_FAILURE() << "no field " << name;
    return 0;
}

std::vector<int> Flags(const CheckedVector<std::int8_t>& v) {
    return std::vector<int>(v.begin(), v.end());
}

template <class T>
std::vector<std::uint8_t> RawBytes(T& record) {
    return record.SaveToBytes(RecordWriter::ForOldVersion(kCurrentDataVersion));
}

// The database of FlowFixture plus a character-bitmap table, and palettes of the test's own
// for kinds 1 and 2: three entries per list in the common palette, two in the stage palette.
class PaletteTest : public flow_bytes::FlowFixture {
protected:
    void SetUp() override {
        FlowFixture::SetUp();
        EdDatabase.vecBmpCharaExc.resize(3);
        common.vecBlock.resize(3);
        common.vecChara.resize(3);
        common.vecItem.resize(3);
        stageBlocks.resize(2);
        stageCharas.resize(2);
        stageItems.resize(2);
        scope.emplace(common.Lists(), PaletteLists{&stageBlocks, &stageCharas, &stageItems});
    }
    void TearDown() override {
        scope.reset();
        FlowFixture::TearDown();
    }

    template <class T>
    T Load(const ByteBuilder& b, std::uint32_t version, bool normalize = true) {
        RecordReader reader(b.bytes, version);
        reader.SetNormalize(normalize);
        T record;
        record.Load(reader);
        EXPECT_FALSE(reader.StoppedEarly()) << reader.Problem() << " at " << reader.ProblemOffset();
        EXPECT_EQ(reader.Remaining(), 0u);
        return record;
    }

    cEdCommonPalette common;
    CheckedVector<cEdBlock> stageBlocks;
    CheckedVector<cEdChara> stageCharas;
    CheckedVector<cEdItem> stageItems;
    std::optional<PaletteScope> scope;
};

// Field tables

TEST(PaletteFieldTables, RegisteredFieldsFollowTheTablesAtEveryVersionGate) {
    cEdBlock block;
    cEdItem item;
    cEdChara chara;
    for (std::uint32_t v : {1u, 167u, 168u, 195u, 196u, 200u, 201u, 209u, 210u, 284u, 285u, 747u}) {
        SCOPED_TRACE(v);
        EXPECT_EQ(Layout(block, v), Expected(BlockFields(), v));
        EXPECT_EQ(Layout(item, v), Expected(ItemFields(), v));
        EXPECT_EQ(Layout(chara, v), Expected(CharaFields(), v));
    }
    EXPECT_EQ(Layout(block, 747).size(), 18u);
    EXPECT_EQ(Layout(item, 747).size(), 17u);
    EXPECT_EQ(Layout(chara, 747).size(), 53u);
    EXPECT_EQ(Layout(chara, 167).size(), 47u);
    for (SerialRecord* r : std::initializer_list<SerialRecord*>{&block, &item, &chara}) {
        ASSERT_EQ(r->StringCount(), 1);
        EXPECT_STREQ(r->StringAt(0).name, "strName");
    }
}

// One registered member: where it is in a record and how many bytes it has.
template <class T>
struct MemberPin {
    void* (*address)(T&);
    int size;
};

template <auto Member>
struct PinOf;
template <class T, class V, V T::*Member>
struct PinOf<Member> {
    static void* Address(T& record) { return &(record.*Member); }
    static constexpr MemberPin<T> kPin{&Address, static_cast<int>(sizeof(V))};
};

template <auto Member>
constexpr auto Pin() {
    return PinOf<Member>::kPin;
}

// Every registered field at 747 is the member in this place of the table, with its size.
template <class T>
void ExpectPinned(const std::vector<MemberPin<T>>& pins) {
    T record;
    record.Rebind(747);
    ASSERT_EQ(record.FieldCount(), static_cast<int>(pins.size()));
    for (int i = 0; i < record.FieldCount(); ++i) {
        SCOPED_TRACE(i);
        const FieldEntry& e = record.FieldAt(i);
        EXPECT_EQ(e.address, pins[i].address(record));
        EXPECT_EQ(e.count, 1u);
        EXPECT_EQ(e.size, pins[i].size);
    }
}

// The carried status of the player's progress copies character fields by position: this
// order and these members must not move.
TEST(PaletteFieldTables, EveryFieldAt747IsItsMember) {
    using B = cEdBlock;
    using I = cEdItem;
    using C = cEdChara;
    ExpectPinned<B>({
        Pin<&B::nInheritKind>(),
        Pin<&B::nInheritIndex>(),
        Pin<&B::nCondMode>(),
        Pin<&B::bCondLatch>(),
        Pin<&B::nGraphic>(),
        Pin<&B::nGraphicSource>(),
        Pin<&B::nPatternBase>(),
        Pin<&B::nDrawLayer>(),
        Pin<&B::bHidden>(),
        Pin<&B::bEmblem>(),
        Pin<&B::nEmblem>(),
        Pin<&B::nHitType>(),
        Pin<&B::nExemptSide>(),
        Pin<&B::nTouchEffect>(),
        Pin<&B::nTouchParam>(),
        Pin<&B::nItemPalette>(),
        Pin<&B::nItemIndex>(),
        Pin<&B::bProtected>(),
    });
    ExpectPinned<I>({
        Pin<&I::nInheritKind>(),
        Pin<&I::nInheritIndex>(),
        Pin<&I::nCondMode>(),
        Pin<&I::bCondLatch>(),
        Pin<&I::nField5>(),
        Pin<&I::nField6>(),
        Pin<&I::nGraphic>(),
        Pin<&I::nGraphicSource>(),
        Pin<&I::nPatternBase>(),
        Pin<&I::nField10>(),
        Pin<&I::bHidden>(),
        Pin<&I::bEmblem>(),
        Pin<&I::nEmblem>(),
        Pin<&I::bTakeEffect>(),
        Pin<&I::nTakeMode>(),
        Pin<&I::nGiant>(),
        Pin<&I::nTakeSound>(),
    });
    ExpectPinned<C>({
        Pin<&C::nInheritKind>(),
        Pin<&C::nInheritIndex>(),
        Pin<&C::nCondMode>(),
        Pin<&C::bCondLatch>(),
        Pin<&C::nFacing>(),
        Pin<&C::nClones>(),
        Pin<&C::nPlaceOffsetX>(),
        Pin<&C::nPlaceStepX>(),
        Pin<&C::nPlaceOffsetY>(),
        Pin<&C::nPlaceStepY>(),
        Pin<&C::bPlaceMirrorX>(),
        Pin<&C::bPlaceMirrorY>(),
        Pin<&C::nGraphic>(),
        Pin<&C::nGraphicSource>(),
        Pin<&C::nPatternBase>(),
        Pin<&C::nAnimeSet>(),
        Pin<&C::nZ>(),
        Pin<&C::bTransparent>(),
        Pin<&C::nCharaEffect1>(),
        Pin<&C::nCharaEffect1Mode>(),
        Pin<&C::nCharaEffect1Param>(),
        Pin<&C::nCharaEffect2>(),
        Pin<&C::nCharaEffect2Mode>(),
        Pin<&C::bEmblem>(),
        Pin<&C::nEmblem>(),
        Pin<&C::nControl>(),
        Pin<&C::nPlayer>(),
        Pin<&C::nSide>(),
        Pin<&C::nCharaId>(),
        Pin<&C::nBlockCollision>(),
        Pin<&C::bFixedFacing>(),
        Pin<&C::nShotCollision>(),
        Pin<&C::nInvincibleColour>(),
        Pin<&C::b32Mode>(),
        Pin<&C::nGiant>(),
        Pin<&C::bScrollSync>(),
        Pin<&C::nSightShape>(),
        Pin<&C::nSight>(),
        Pin<&C::nMaxHp>(),
        Pin<&C::nMaxSp>(),
        Pin<&C::nStopping>(),
        Pin<&C::nHitBoxKind>(),
        Pin<&C::nBodyPower>(),
        Pin<&C::nBodyImpact>(),
        Pin<&C::nEffect>(),
        Pin<&C::nDefense>(),
        Pin<&C::nImpactResist>(),
        Pin<&C::nScore>(),
        Pin<&C::nField49>(),
        Pin<&C::bActiveGroup>(),
        Pin<&C::nActiveGroup>(),
        Pin<&C::nActiveArea>(),
        Pin<&C::nActiveMode>(),
    });
}

// New and reset entries

TEST(PaletteEntries, NewAndResetEntriesHoldTheirDefaults) {
    // New block: nHitType 1 and nExemptSide 255, 11 flags.
    cEdBlock block;
    ByteBuilder b;
    Block(b.U32(747), 747, {{"nHitType", 1}, {"nExemptSide", 255}}, "", {0, 0, 0, Zeros(11)});
    EXPECT_EQ(RawBytes(block), b.bytes);
    block.nHitType = 2;
    block.nGraphic = 5;
    block.Reset();
    EXPECT_EQ(RawBytes(block), b.bytes);

    cEdItem item;
    b = {};
    const Values itemNew = {
        {"nGraphicSource", 2}, {"nField10", 6}, {"bTakeEffect", 1}, {"nGiant", 1}};
    Item(b.U32(747), 747, itemNew, "", {0, 0, 0, Zeros(13)});
    EXPECT_EQ(RawBytes(item), b.bytes);
    item.nGiant = 9;
    item.strName = "x";
    item.Reset();
    EXPECT_EQ(RawBytes(item), b.bytes);

    cEdChara chara;
    b = {};
    Chara(b.U32(747), 747,
          {{"nGraphicSource", 1}, {"bFixedFacing", 1}, {"nGiant", 1}, {"nField49", 1}}, "",
          {0, 0, 0, Zeros(37)});
    EXPECT_EQ(RawBytes(chara), b.bytes);
    // A reset character is all zeros, even the values a new one starts with.
    chara.nPlaceValue = 7;
    chara.vecInherit.resize(3);
    chara.Reset();
    b = {};
    Chara(b.U32(747), 747, {}, "", {0, 0, 0, Zeros(37)});
    EXPECT_EQ(RawBytes(chara), b.bytes);
}

// Layout

// ブロック in CP932.
constexpr const char* kBlockName =
    "\x83u\x83\x8d\x83"
    "b\x83N";

TEST_F(PaletteTest, EveryFieldAndWhatFollowsIsReadFromItsPlaceAndWrittenBack) {
    // Every field a value of its own; the raw placement values, the flags and the lists
    // after the registered part.
    const auto distinct = [](const std::vector<FieldRow>& table) {
        Values v;
        long long n = 3;
        for (const FieldRow& f : table) v[f.name] = n++;
        return v;
    };
    const auto cond =
        One([](ByteBuilder& c) { flow_bytes::Condition(c, 747, Cond{.kind = 4, .value = 9}); });
    const auto command = One([](ByteBuilder& c) {
        flow_bytes::Command(c, Cmd{.kind = 1, .type = 10, .params = {0, 1}});
    });
    const auto flow = One([](ByteBuilder& c) {
        flow_bytes::Flow(c, 747,
                         FlowBody{.id = 4,
                                  .trigger = 2,
                                  .conditions = {0, 0, 0, 0},
                                  .commands = One([](ByteBuilder& d) {
                                      flow_bytes::Command(d, Cmd{.type = 9, .params = {1}});
                                  })});
    });
    const std::vector<std::uint8_t> flags = {1, 0, 1, 0, 2};

    // The same checks for each type; extras checks what only that type has.
    const auto check = [&]<class T>(std::type_identity<T>, const std::vector<FieldRow>& table,
                                    auto build, const char* name, const Tail& tail, auto extras) {
        SCOPED_TRACE(name);
        const Values values = distinct(table);
        ByteBuilder b;
        build(b, 747, values, name, tail);
        T r = Load<T>(b, 747, false);
        for (const auto& [field, value] : values) EXPECT_EQ(FieldValue(r, field), value) << field;
        EXPECT_EQ(r.strName, name);
        EXPECT_EQ(r.nPlaceX, tail.placeX);
        EXPECT_EQ(r.nPlaceY, tail.placeY);
        EXPECT_EQ(Flags(r.vecInherit), (std::vector<int>{1, 0, 1, 0, 2}));
        ASSERT_EQ(r.vecCondition.Size(), 1u);
        EXPECT_EQ(r.vecCondition[0].nValue, 9);
        extras(r);
        EXPECT_EQ(RawBytes(r), ByteBuilder().U32(747).Bytes(b.bytes).bytes);
    };
    check(std::type_identity<cEdBlock>{}, BlockFields(), &Block, kBlockName,
          Tail{-3, 700, 0, flags, cond}, [](cEdBlock&) {});
    check(std::type_identity<cEdItem>{}, ItemFields(), &Item, "coin",
          Tail{5, 6, 0, flags, cond, command}, [](cEdItem& r) {
              ASSERT_EQ(r.vecItemCommand.Size(), 1u);
              EXPECT_EQ(r.vecItemCommand[0].nCmdType, 10);
          });
    check(std::type_identity<cEdChara>{}, CharaFields(), &Chara, "hero",
          Tail{7, -8, 123456, flags, cond, flow}, [](cEdChara& r) {
              EXPECT_EQ(r.nPlaceValue, 123456);
              ASSERT_EQ(r.vecFlow.Size(), 1u);
              EXPECT_EQ(r.vecFlow[0].nId, 4);
              EXPECT_EQ(r.vecFlow[0].vecCommand.Size(), 1u);
          });
}

// Upgrades

struct CharaUpgradeRow {
    const char* what;
    std::uint32_t version;
    Values stored;
    int storedFlags;
    Values want;
    std::vector<int> setFlags;  // flags that must be 1 (the stored flags are all 0)
};

TEST_F(PaletteTest, OldCharactersAreUpgradedStepByStep) {
    // Fields a file of the version lacks hold 77 before the load, so every step that sets
    // one is seen doing it.
    const CharaUpgradeRow rows[] = {
        {"167: all seven steps",
         167,
         {{"nGraphicSource", 3}, {"nGraphic", 40}},
         34,
         {{"nDefense", 0},
          {"nCharaEffect1Mode", 0},
          {"nCharaEffect2Mode", 0},
          {"nHitBoxKind", 0},
          {"bScrollSync", 0},
          {"nGraphic", 41},
          {"nInvincibleColour", 1}},
         {21, 25, 29}},
        {"168: defense stored",
         168,
         {{"nDefense", 5}},
         35,
         {{"nDefense", 5}, {"nHitBoxKind", 0}, {"bScrollSync", 0}},
         {21, 25}},
        {"195: effect modes cleared",
         195,
         {},
         35,
         {{"nCharaEffect1Mode", 0}, {"nCharaEffect2Mode", 0}},
         {21, 25}},
        {"196: effect modes stored",
         196,
         {{"nCharaEffect1Mode", 2}, {"nCharaEffect2Mode", 1}},
         35,
         {{"nCharaEffect1Mode", 2}, {"nCharaEffect2Mode", 1}},
         {21, 25}},
        {"201: hit box stored, 2 raised",
         201,
         {{"nHitBoxKind", 2}},
         36,
         {{"nHitBoxKind", 3}},
         {21}},
        {"205: hit box 1 kept", 205, {{"nHitBoxKind", 1}}, 36, {{"nHitBoxKind", 1}}, {21}},
        {"206: hit box 2 kept", 206, {{"nHitBoxKind", 2}}, 36, {{"nHitBoxKind", 2}}, {21}},
        {"209: scroll sync cleared", 209, {}, 36, {{"bScrollSync", 0}}, {21}},
        {"210: scroll sync stored", 210, {{"bScrollSync", 1}}, 37, {{"bScrollSync", 1}}, {}},
        {"218: shot graphic 118",
         218,
         {{"nGraphicSource", 3}, {"nGraphic", 118}},
         37,
         {{"nGraphic", 119}},
         {}},
        {"218: shot graphic 119 stays",
         218,
         {{"nGraphicSource", 3}, {"nGraphic", 119}},
         37,
         {{"nGraphic", 119}},
         {}},
        {"218: item graphic not shifted",
         218,
         {{"nGraphicSource", 2}, {"nGraphic", 118}},
         37,
         {{"nGraphic", 118}},
         {}},
        {"219: shot graphic kept",
         219,
         {{"nGraphicSource", 3}, {"nGraphic", 50}},
         37,
         {{"nGraphic", 50}},
         {}},
        {"284: invincible colour 1", 284, {}, 37, {{"nInvincibleColour", 1}}, {}},
        {"285: invincible colour stored",
         285,
         {{"nInvincibleColour", 0}},
         37,
         {{"nInvincibleColour", 0}},
         {}},
    };
    for (const CharaUpgradeRow& row : rows) {
        SCOPED_TRACE(row.what);
        ByteBuilder b;
        Chara(b, row.version, row.stored, "", {0, 0, 0, Zeros(row.storedFlags)});
        RecordReader reader(b.bytes, row.version);
        reader.SetNormalize(false);
        cEdChara c;
        c.nDefense = 77;
        c.nCharaEffect1Mode = c.nCharaEffect2Mode = 77;
        c.nHitBoxKind = 77;
        c.bScrollSync = 77;
        c.nInvincibleColour = 77;
        c.Load(reader);
        EXPECT_EQ(reader.Remaining(), 0u);
        for (const auto& [name, value] : row.want) EXPECT_EQ(FieldValue(c, name), value) << name;
        std::vector<int> want(37, 0);
        for (int k : row.setFlags) want[k] = 1;
        EXPECT_EQ(Flags(c.vecInherit), want);
    }
}

TEST_F(PaletteTest, FlagsOfAVersion167CharacterMoveToTheirGroups) {
    // Stored flag k holds k + 1, so every move is visible.
    std::vector<std::uint8_t> stored;
    for (int k = 0; k < 34; ++k) stored.push_back(static_cast<std::uint8_t>(k + 1));
    ByteBuilder b;
    Chara(b, 167, {}, "", {0, 0, 0, stored});
    cEdChara c = Load<cEdChara>(b, 167, false);
    std::vector<int> want(37);
    for (int k = 0; k <= 20; ++k) want[k] = k + 1;
    for (int k = 21; k <= 23; ++k) want[k + 1] = k + 1;
    for (int k = 24; k <= 26; ++k) want[k + 2] = k + 1;
    for (int k = 27; k <= 33; ++k) want[k + 3] = k + 1;
    want[21] = want[25] = want[29] = 1;
    EXPECT_EQ(Flags(c.vecInherit), want);
}

TEST_F(PaletteTest, OldBlocksAndItemsRaiseShotGraphicsOnce) {
    struct Row {
        std::uint32_t version;
        int source, graphic, want;
    } rows[] = {
        {218, 3, 118, 119}, {218, 3, 119, 119}, {218, 3, 0, 1}, {218, 3, 500, 119},
        {218, 2, 118, 118}, {219, 3, 118, 118}, {100, 3, 7, 8},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.version << " " << row.source << " " << row.graphic);
        const Values v = {{"nGraphicSource", row.source}, {"nGraphic", row.graphic}};
        ByteBuilder bb, ib;
        Block(bb, row.version, v, "", {0, 0, 0, Zeros(11)});
        Item(ib, row.version, v, "", {0, 0, 0, Zeros(13)});
        EXPECT_EQ(Load<cEdBlock>(bb, row.version, false).nGraphic, row.want);
        EXPECT_EQ(Load<cEdItem>(ib, row.version, false).nGraphic, row.want);
    }
}

TEST_F(PaletteTest, StoredFlagCountIsKeptUnlessAnUpgradeInsertsFlags) {
    for (int n : {0, 3, 11, 40}) {
        SCOPED_TRACE(n);
        ByteBuilder bb, ib;
        Block(bb, 747, {}, "", {0, 0, 0, Zeros(n)});
        Item(ib, 150, {}, "", {0, 0, 0, Zeros(n)});
        EXPECT_EQ(Load<cEdBlock>(bb, 747).vecInherit.Size(), static_cast<unsigned>(n));
        EXPECT_EQ(Load<cEdItem>(ib, 150).vecInherit.Size(), static_cast<unsigned>(n));
    }
    // Characters too, except that a file older than the last group inserted gets all 37.
    struct Row {
        std::uint32_t version;
        int stored;
        unsigned want;
    } rows[] = {{747, 0, 0},   {747, 3, 3},   {747, 40, 40}, {210, 40, 40},
                {209, 40, 37}, {167, 50, 37}, {167, 3, 37}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.version << " " << row.stored);
        ByteBuilder b;
        Chara(b, row.version, {}, "", {0, 0, 0, Zeros(row.stored)});
        EXPECT_EQ(Load<cEdChara>(b, row.version).vecInherit.Size(), row.want);
    }
}

// Property groups

// The members that differ between two records: registered fields by name, the name, and
// the lists by their sizes.
template <class T>
std::set<std::string> Changed(T& before, T& after) {
    std::set<std::string> out;
    before.Rebind(747);
    after.Rebind(747);
    for (int i = 0; i < after.FieldCount(); ++i) {
        const FieldEntry& a = after.FieldAt(i);
        const FieldEntry& b = before.FieldAt(i);
        if (std::memcmp(a.address, b.address, std::size_t{a.count} * a.size) != 0)
            out.insert(a.name);
    }
    if (before.strName != after.strName) out.insert("strName");
    if (before.vecCondition.Size() != after.vecCondition.Size()) out.insert("vecCondition");
    if constexpr (requires { after.vecFlow; }) {
        if (before.vecFlow.Size() != after.vecFlow.Size()) out.insert("vecFlow");
    }
    if constexpr (requires { after.vecItemCommand; }) {
        if (before.vecItemCommand.Size() != after.vecItemCommand.Size())
            out.insert("vecItemCommand");
    }
    return out;
}

// A source unlike a new entry in every member.
template <class T>
T Distinct() {
    T s;
    s.Rebind(747);
    for (int i = 0; i < s.FieldCount(); ++i) {
        const FieldEntry& e = s.FieldAt(i);
        std::memset(e.address, 0x40 + i, std::size_t{e.count} * e.size);
    }
    s.strName = "source";
    s.vecCondition.resize(2);
    if constexpr (requires { s.vecFlow; }) s.vecFlow.resize(3);
    if constexpr (requires { s.vecItemCommand; }) s.vecItemCommand.resize(4);
    return s;
}

using Groups = std::vector<std::set<std::string>>;

template <class T>
void ExpectGroups(const Groups& groups, void (*copy)(int, T&, const T&)) {
    const T source = Distinct<T>();
    for (int g = -1; g <= static_cast<int>(groups.size()); ++g) {
        SCOPED_TRACE(g);
        T before;
        T after;
        copy(g, after, source);
        const bool inTable = g >= 0 && g < static_cast<int>(groups.size());
        EXPECT_EQ(Changed(before, after), inTable ? groups[g] : std::set<std::string>{});
    }
}

TEST(PaletteGroups, EachGroupCopiesExactlyItsMembers) {
    const std::set<std::string> cond = {"vecCondition", "nCondMode", "bCondLatch"};
    const std::set<std::string> graphic = {"nGraphicSource", "nGraphic", "nPatternBase"};
    ExpectGroups<cEdBlock>({{"strName"},
                            cond,
                            graphic,
                            {"nDrawLayer"},
                            {"bHidden"},
                            {"bEmblem", "nEmblem"},
                            {"nHitType"},
                            {"nExemptSide"},
                            {"nTouchEffect", "nTouchParam"},
                            {"nItemPalette", "nItemIndex"},
                            {"bProtected"}},
                           &CopyBlockGroup);
    ExpectGroups<cEdItem>({{"strName"},
                           cond,
                           {"nField5"},
                           {"nField6"},
                           graphic,
                           {"nField10"},
                           {"bHidden"},
                           {"bEmblem", "nEmblem"},
                           {"nGiant"},
                           {"nTakeMode"},
                           {"bTakeEffect"},
                           {"nTakeSound"},
                           {"vecItemCommand"}},
                          &CopyItemGroup);
    ExpectGroups<cEdChara>({{"strName"},
                            {"nControl", "nPlayer"},
                            {"nSide"},
                            {"nCharaId"},
                            cond,
                            {"nFacing"},
                            {"nClones"},
                            {"nPlaceOffsetX", "nPlaceStepX", "bPlaceMirrorX"},
                            {"nPlaceOffsetY", "nPlaceStepY", "bPlaceMirrorY"},
                            graphic,
                            {"nAnimeSet"},
                            {"nZ"},
                            {"bTransparent"},
                            {"nCharaEffect1", "nCharaEffect1Mode", "nCharaEffect1Param"},
                            {"nCharaEffect2", "nCharaEffect2Mode"},
                            {"bEmblem", "nEmblem"},
                            {"bFixedFacing"},
                            {"nBlockCollision"},
                            {"nShotCollision", "nInvincibleColour"},
                            {"b32Mode"},
                            {"nGiant"},
                            {"bScrollSync"},
                            {"nSightShape", "nSight"},
                            {"nMaxHp"},
                            {"nMaxSp"},
                            {"nHitBoxKind"},
                            {"nBodyPower"},
                            {"nBodyImpact"},
                            {"nEffect"},
                            {"nDefense"},
                            {"nImpactResist"},
                            {"nStopping"},
                            {"nActiveArea", "nActiveMode"},
                            {"nActiveGroup", "bActiveGroup"},
                            {"nScore"},
                            {"nField49"},
                            {"vecFlow"}},
                           &CopyCharaGroup);
}

TEST(PaletteGroups, FlagsBeyondTheGroupsOrTheStoredCountCopyNothing) {
    const cEdBlock source = Distinct<cEdBlock>();
    // Three flags: only group 1 is set.
    cEdBlock few;
    few.vecInherit.Assign(CheckedVector<std::int8_t>{0, 1, 0});
    cEdBlock before = few;
    CopyInheritedGroups(few, source);
    EXPECT_EQ(Changed(before, few),
              (std::set<std::string>{"vecCondition", "nCondMode", "bCondLatch"}));
    // Twenty flags, all set: the eleven groups and nothing else, no bad index.
    cEdBlock many;
    many.vecInherit.resize(20);
    many.vecInherit.Fill(1);
    CopyInheritedGroups(many, source);
    cEdBlock all;
    for (int g = 0; g < cEdBlock::kGroupCount; ++g) CopyBlockGroup(g, all, source);
    all.vecInherit = many.vecInherit;
    EXPECT_EQ(RawBytes(many), RawBytes(all));
}

// Inheritance

TEST_F(PaletteTest, InheritanceResolvesItsSourceOrDropsTheKind) {
    common.vecBlock[1].strName = "common1";
    stageBlocks[1].strName = "stage1";
    common.vecChara[2].strName = "common2";
    stageItems[1].strName = "stage1";
    struct Row {
        const char* what;
        int kind, index;
        const char* wantName;
        int wantKind;
    } rows[] = {
        {"common", 1, 1, "common1", 1},
        {"stage", 2, 1, "stage1", 2},
        {"index 0 is none", 1, 0, "own", 1},
        {"kind 0 is none", 0, 1, "own", 0},
        {"beyond the stage palette", 2, 5, "own", 0},
        {"beyond the common palette", 1, 3, "own", 0},
        {"negative", 1, -1, "own", 0},
        {"another kind is its own source", 3, 1, "own", 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        cEdBlock block;
        block.strName = "own";
        block.nInheritKind = static_cast<std::int8_t>(row.kind);
        block.nInheritIndex = static_cast<std::int16_t>(row.index);
        block.vecInherit.Fill(1);
        block.ApplyInheritance();
        EXPECT_EQ(block.strName, row.wantName);
        EXPECT_EQ(block.nInheritKind, row.wantKind);
        EXPECT_EQ(block.nInheritIndex, row.index);  // the index always stays
    }
    // Characters and items resolve in their own lists.
    cEdChara chara;
    chara.nInheritKind = 1;
    chara.nInheritIndex = 2;
    chara.vecInherit[0] = 1;
    chara.ApplyInheritance();
    EXPECT_EQ(chara.strName, "common2");
    cEdItem item;
    item.nInheritKind = 2;
    item.nInheritIndex = 1;
    item.vecInherit[0] = 1;
    item.ApplyInheritance();
    EXPECT_EQ(item.strName, "stage1");
    item.nInheritIndex = 2;  // the stage palette has two items
    item.ApplyInheritance();
    EXPECT_EQ(item.nInheritKind, 0);
}

TEST_F(PaletteTest, LoadingAppliesInheritanceBeforeTheNormaliseStep) {
    // Stage block 1 has graphic 4 and is solid; the loaded block takes the graphic group, so
    // the normalise step finds a graphic and leaves it solid.
    stageBlocks[1].nGraphic = 4;
    ByteBuilder b;
    std::vector<std::uint8_t> flags = Zeros(11);
    flags[2] = 1;
    Block(b, 747, {{"nInheritKind", 2}, {"nInheritIndex", 1}, {"nHitType", 1}}, "",
          {0, 0, 0, flags});
    cEdBlock loaded = Load<cEdBlock>(b, 747);
    EXPECT_EQ(loaded.nGraphic, 4);
    EXPECT_EQ(loaded.nHitType, 1);
    // The dumper's reader shows the file: no inheritance, no normalise step.
    cEdBlock raw = Load<cEdBlock>(b, 747, false);
    EXPECT_EQ(raw.nGraphic, 0);
    EXPECT_EQ(raw.nHitType, 1);
}

// Normalise

TEST_F(PaletteTest, BlockNormaliseClearsSolidityWithoutAGraphicAndBadSources) {
    struct Row {
        int graphic, kind, index;
        int wantHit, wantProtected, wantKind, wantIndex;
    } rows[] = {
        {0, 0, 0, 0, 0, 0, 0},   {7, 0, 0, 2, 1, 0, 0}, {7, 1, 2, 2, 1, 1, 2},
        {7, 1, 3, 2, 1, 0, 0},   {7, 2, 2, 2, 1, 0, 0}, {7, 2, -4, 2, 1, 0, 0},
        {7, 5, 99, 2, 1, 5, 99},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.graphic << " " << r.kind << " " << r.index);
        cEdBlock b;
        b.nGraphic = static_cast<std::int16_t>(r.graphic);
        b.nHitType = 2;
        b.bProtected = 1;
        b.nInheritKind = static_cast<std::int8_t>(r.kind);
        b.nInheritIndex = static_cast<std::int16_t>(r.index);
        b.Normalize();
        EXPECT_EQ(b.nHitType, r.wantHit);
        EXPECT_EQ(b.bProtected, r.wantProtected);
        EXPECT_EQ(b.nInheritKind, r.wantKind);
        EXPECT_EQ(b.nInheritIndex, r.wantIndex);
    }
}

TEST_F(PaletteTest, CharacterNormaliseBringsIndicesIntoTheirTables) {
    // Tables: 3 character bitmaps, 3 animation sets, 4 character effects, 4 effects.
    struct Row {
        const char* what;
        Values set;
        Values want;
    } rows[] = {
        {"own bitmap beyond its table",
         {{"nGraphicSource", 4}, {"nGraphic", 3}},
         {{"nGraphic", 1}}},
        {"own bitmap negative", {{"nGraphicSource", 4}, {"nGraphic", -1}}, {{"nGraphic", 1}}},
        {"own bitmap in its table", {{"nGraphicSource", 4}, {"nGraphic", 2}}, {{"nGraphic", 2}}},
        {"other source unchecked", {{"nGraphicSource", 1}, {"nGraphic", 300}}, {{"nGraphic", 300}}},
        {"size 0", {{"nGiant", 0}}, {{"nGiant", 1}}},
        {"size negative", {{"nGiant", -3}}, {{"nGiant", 1}}},
        {"size kept", {{"nGiant", 4}}, {{"nGiant", 4}}},
        {"tables",
         {{"nAnimeSet", 3}, {"nCharaEffect1", 4}, {"nCharaEffect2", -1}, {"nEffect", 4}},
         {{"nAnimeSet", 0}, {"nCharaEffect1", 0}, {"nCharaEffect2", 0}, {"nEffect", 0}}},
        {"tables in range",
         {{"nAnimeSet", 2}, {"nCharaEffect1", 3}, {"nCharaEffect2", 1}, {"nEffect", 3}},
         {{"nAnimeSet", 2}, {"nCharaEffect1", 3}, {"nCharaEffect2", 1}, {"nEffect", 3}}},
        {"player: one body",
         {{"nControl", 0}, {"b32Mode", 1}, {"nClones", 3}},
         {{"b32Mode", 0}, {"nClones", 0}}},
        {"computer keeps clones",
         {{"nControl", 1}, {"b32Mode", 1}, {"nClones", 3}},
         {{"b32Mode", 1}, {"nClones", 3}}},
        {"inheritance beyond the list",
         {{"nInheritKind", 2}, {"nInheritIndex", 2}},
         {{"nInheritKind", 0}, {"nInheritIndex", 0}}},
        {"inheritance in the list",
         {{"nInheritKind", 1}, {"nInheritIndex", 2}},
         {{"nInheritKind", 1}, {"nInheritIndex", 2}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        ByteBuilder b;
        Chara(b, 747, row.set, "");
        cEdChara c = Load<cEdChara>(b, 747, false);
        c.Normalize();
        for (const auto& [name, value] : row.want) EXPECT_EQ(FieldValue(c, name), value) << name;
    }
}

TEST_F(PaletteTest, ItemNormaliseFixesSizeSoundAndCommands) {
    cEdItem item;
    item.nGiant = 0;
    item.nTakeSound = 6;  // six sounds
    item.nTakeMode = 2;
    item.nInheritKind = 1;
    item.nInheritIndex = 3;
    item.vecItemCommand.resize(1);
    item.vecItemCommand[0].nCmdKind = 1;
    item.vecItemCommand[0].nCmdType = 4;  // メッセージ: 18 parameters
    item.Normalize();
    EXPECT_EQ(item.nGiant, 1);
    EXPECT_EQ(item.nTakeSound, 0);
    EXPECT_EQ(item.nTakeMode, 2);
    EXPECT_EQ(item.nInheritKind, 0);
    EXPECT_EQ(item.nInheritIndex, 0);
    EXPECT_EQ(item.vecItemCommand[0].vecParam.Size(), 18u);
    item.nTakeSound = 5;
    item.Normalize();
    EXPECT_EQ(item.nTakeSound, 5);
}

TEST_F(PaletteTest, EmptyAndTestPlayFlowsLeaveACharacterAtLoad) {
    const auto withCondition = [](ByteBuilder& c) {
        flow_bytes::Flow(c, 747, FlowBody{.id = 1, .conditions = One([](ByteBuilder& d) {
                                                       flow_bytes::Condition(d, 747,
                                                                             Cond{.kind = 1});
                                                   })});
    };
    const auto withKey = [](ByteBuilder& c) {
        ByteBuilder key;
        key.U32(1);
        flow_bytes::Fields(key, {1, 2, 2, 1, 1}, {0, 0, 0, 0, 0});
        key.U32(19).Bytes(Zeros(19));
        flow_bytes::Flow(c, 747, FlowBody{.id = 2, .keys = key.bytes});
    };
    const auto withCommand = [](ByteBuilder& c) {
        flow_bytes::Flow(c, 747, FlowBody{.id = 3, .commands = One([](ByteBuilder& d) {
                                                       flow_bytes::Command(d, Cmd{.type = 1});
                                                   })});
    };
    const auto empty = [](ByteBuilder& c) { flow_bytes::Flow(c, 747, FlowBody{.id = 4}); };
    const auto testOnly = [](ByteBuilder& c) {
        flow_bytes::Flow(
            c, 747, FlowBody{.id = 5, .testOnly = 1, .commands = One([](ByteBuilder& d) {
                                                         flow_bytes::Command(d, Cmd{.type = 1});
                                                     })});
    };
    ByteBuilder flows;
    flows.U32(6);
    empty(flows);
    withCondition(flows);
    empty(flows);
    withKey(flows);
    testOnly(flows);
    withCommand(flows);
    ByteBuilder b;
    Chara(b, 747, {}, "", {0, 0, 0, Zeros(37), {0, 0, 0, 0}, flows.bytes});
    const auto ids = [](const cEdChara& c) {
        std::vector<int> out;
        for (const cEdFlow& f : c.vecFlow) out.push_back(f.nId);
        return out;
    };
    EXPECT_EQ(ids(Load<cEdChara>(b, 747)), (std::vector<int>{1, 2, 3}));
    // The dumper's reader shows every flow the file holds, empty and test-play ones too.
    EXPECT_EQ(ids(Load<cEdChara>(b, 747, false)), (std::vector<int>{4, 1, 4, 2, 5, 3}));
    // A test play started by the editor, or the system setting, keeps the test-play flow.
    bEditorLaunch = 1;
    EXPECT_EQ(ids(Load<cEdChara>(b, 747)), (std::vector<int>{1, 2, 5, 3}));
    bEditorLaunch = 0;
    EdSystem.bKeepTestPlayFlows = 1;
    EXPECT_EQ(ids(Load<cEdChara>(b, 747)), (std::vector<int>{1, 2, 5, 3}));
}

// Palette references

TEST_F(PaletteTest, PaletteReferencesAreCheckedAgainstTheSizesGiven) {
    const PaletteRefSizes commonSizes{3, 3, 3};
    const PaletteRefSizes stageSizes{2, 2, 2};
    struct Row {
        int palette, index, wantPalette, wantIndex;
    } rows[] = {
        {1, 2, 1, 2},  {1, 3, 0, 0}, {2, 1, 2, 1}, {2, 2, 0, 0},
        {2, -1, 0, 0}, {0, 9, 0, 9}, {3, 9, 3, 9},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.palette << " " << r.index);
        cEdBlock b;
        b.nItemPalette = static_cast<std::int8_t>(r.palette);
        b.nItemIndex = static_cast<std::int16_t>(r.index);
        b.CheckPaletteRefs(commonSizes, stageSizes);
        EXPECT_EQ(b.nItemPalette, r.wantPalette);
        EXPECT_EQ(b.nItemIndex, r.wantIndex);
    }
    // アイテムの取得 in a character's flow and as an item command: P0 0 common, 1 stage.
    cEdChara chara;
    chara.vecFlow.resize(1);
    chara.vecFlow[0].vecCommand.resize(2);
    chara.vecFlow[0].vecCommand[0].nCmdType = 25;
    chara.vecFlow[0].vecCommand[0].vecParam.Assign(CheckedVector<std::int32_t>{1, 2});
    chara.vecFlow[0].vecCommand[1].nCmdType = 25;
    chara.vecFlow[0].vecCommand[1].vecParam.Assign(CheckedVector<std::int32_t>{0, 2});
    chara.CheckPaletteRefs(commonSizes, stageSizes);
    EXPECT_EQ(chara.vecFlow[0].vecCommand[0].vecParam[1], 1);
    EXPECT_EQ(chara.vecFlow[0].vecCommand[1].vecParam[1], 2);
    cEdItem item;
    item.vecItemCommand.resize(1);
    item.vecItemCommand[0].nCmdKind = 1;
    item.vecItemCommand[0].nCmdType = 10;
    item.vecItemCommand[0].vecParam.Assign(CheckedVector<std::int32_t>{0, 3});
    item.CheckPaletteRefs(commonSizes, stageSizes);
    EXPECT_EQ(item.vecItemCommand[0].vecParam[1], 1);
}

TEST_F(PaletteTest, FindPaletteItemLooksInTheNamedPalette) {
    common.vecItem[2].strName = "c2";
    stageItems[1].strName = "s1";
    ASSERT_NE(FindPaletteItem(1, 2), nullptr);
    EXPECT_EQ(FindPaletteItem(1, 2), &common.vecItem[2]);
    EXPECT_EQ(FindPaletteItem(2, 1), &stageItems[1]);
    EXPECT_EQ(FindPaletteItem(2, 0), &stageItems[0]);
    for (auto [kind, index] : {std::pair{0, 1}, {3, 1}, {-1, 0}, {1, 3}, {2, 2}, {1, -1}}) {
        SCOPED_TRACE(testing::Message() << kind << " " << index);
        EXPECT_EQ(FindPaletteItem(kind, index), nullptr);
    }
}

// Without a scope kind 1 is the common palette and kind 2 the stage palette the stage record
// registered at start-up; a later registration changes nothing.
TEST(PaletteDefaults, WithoutAScopeKindsMeanTheProgramsPalettes) {
    const PaletteLists* common = PaletteListsOfKind(PALETTE_COMMON);
    ASSERT_NE(common, nullptr);
    EXPECT_EQ(common->pBlock, &EdCommonPalette.vecBlock);
    EXPECT_EQ(common->pChara, &EdCommonPalette.vecChara);
    EXPECT_EQ(common->pItem, &EdCommonPalette.vecItem);
    const PaletteLists* stage = PaletteListsOfKind(PALETTE_STAGE);
    ASSERT_NE(stage, nullptr);
    EXPECT_EQ(stage->pBlock, &EdStageWork.vecBlockPalette);
    EXPECT_EQ(stage->pChara, &EdStageWork.vecCharaPalette);
    EXPECT_EQ(stage->pItem, &EdStageWork.vecItemPalette);
    EXPECT_EQ(PaletteListsOfKind(PALETTE_NONE), nullptr);
    EXPECT_EQ(PaletteListsOfKind(3), nullptr);
    ASSERT_FALSE(EdCommonPalette.vecItem.empty());
    EXPECT_EQ(FindPaletteItem(PALETTE_COMMON, 0), &EdCommonPalette.vecItem[0]);

    CheckedVector<cEdBlock> blocks(1);
    CheckedVector<cEdChara> charas(1);
    CheckedVector<cEdItem> items(1);
    RegisterStagePalette(PaletteLists{&blocks, &charas, &items});
    EXPECT_EQ(StagePaletteLists().pBlock, &EdStageWork.vecBlockPalette);
    EXPECT_EQ(StagePaletteLists().pItem, &EdStageWork.vecItemPalette);
}

// Polls until the predicate holds, at most two seconds.
template <class Pred>
bool WaitUntil(Pred pred) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) return false;
        std::this_thread::yield();
    }
    return true;
}

TEST(PaletteDefaults, AScopeHoldsOnItsOwnThreadOnly) {
    CheckedVector<cEdBlock> blocks(2);
    CheckedVector<cEdChara> charas(2);
    CheckedVector<cEdItem> items(2);
    const PaletteLists own{&blocks, &charas, &items};
    std::atomic<int> step{0};
    std::atomic<bool> otherSawOwn{false};
    std::atomic<bool> otherReleased{false};
    std::thread other([&] {
        PaletteScope scope(own, own);
        otherSawOwn = CommonPaletteLists().pBlock == &blocks &&
                      StagePaletteLists().pItem == &items && FindPaletteItem(2, 1) == &items[1];
        step = 1;
        otherReleased = WaitUntil([&] { return step == 2; });
    });
    // While the other thread's scope is open, this one sees the defaults.
    EXPECT_TRUE(WaitUntil([&] { return step == 1; }));
    EXPECT_EQ(CommonPaletteLists().pBlock, &EdCommonPalette.vecBlock);
    EXPECT_EQ(StagePaletteLists().pBlock, &EdStageWork.vecBlockPalette);
    step = 2;
    other.join();
    EXPECT_TRUE(otherSawOwn);
    EXPECT_TRUE(otherReleased);

    // And a scope of this thread is not seen by another.
    PaletteScope scope(own, own);
    bool otherSawDefaults = false;
    std::thread([&] {
        otherSawDefaults = CommonPaletteLists().pBlock == &EdCommonPalette.vecBlock &&
                           StagePaletteLists().pBlock == &EdStageWork.vecBlockPalette;
    }).join();
    EXPECT_TRUE(otherSawDefaults);
    EXPECT_EQ(CommonPaletteLists().pBlock, &blocks);
}

TEST(PaletteEntries, CloneOffsetsStepAndMirror) {
    cEdChara c;
    c.nPlaceOffsetX = 10;
    c.nPlaceStepX = -3;
    c.nPlaceOffsetY = -5;
    c.nPlaceStepY = 7;
    struct Row {
        int mirrorX, mirrorY, index, mirrored, wantX, wantY;
    } rows[] = {
        {0, 0, 0, 0, 10, -5}, {0, 0, 4, 0, -2, 23}, {0, 0, 4, 1, -2, 23}, {1, 0, 4, 1, 2, 23},
        {1, 1, 4, 1, 2, -23}, {1, 1, 4, 0, -2, 23}, {1, 1, 2, 2, 4, 9},   {0, 1, 1, 1, 7, -2},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message()
                     << r.mirrorX << r.mirrorY << " i=" << r.index << " m=" << r.mirrored);
        c.bPlaceMirrorX = static_cast<std::int8_t>(r.mirrorX);
        c.bPlaceMirrorY = static_cast<std::int8_t>(r.mirrorY);
        EXPECT_EQ(c.PlaceOffsetX(r.index, r.mirrored), r.wantX);
        EXPECT_EQ(c.PlaceOffsetY(r.index, r.mirrored), r.wantY);
    }
}

// Copies

TEST_F(PaletteTest, CopiesWriteTheBytesOfTheirSource) {
    const auto check = [](auto source) {
        using T = decltype(source);
        source.nPlaceX = 3;
        source.nPlaceY = -4;
        T assigned;
        assigned = source;
        T constructed(source);
        EXPECT_EQ(RawBytes(assigned), RawBytes(source));
        EXPECT_EQ(RawBytes(constructed), RawBytes(source));
        EXPECT_EQ(assigned.vecCondition.Size(), source.vecCondition.Size());
    };
    check(Distinct<cEdBlock>());
    check(Distinct<cEdItem>());
    cEdChara chara = Distinct<cEdChara>();
    chara.nPlaceValue = 99;
    chara.vecFlow[1].vecCommand.resize(2);
    check(chara);
}

}  // namespace

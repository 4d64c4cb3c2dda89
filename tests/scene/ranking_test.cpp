// The ranking tables: where a value goes (ties after the older equal values), the ranking
// file with its path per play mode, the upgrade of three-table files, damaged files, and
// the number texts of the tables.
#include "scene/ranking.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "base/paths.h"
#include "scene_fixture.h"

namespace {

struct Place {
    int valid;
    int value;
};

RankTable MakeTable(int higherFirst, const std::vector<Place>& places) {
    RankTable table;
    table.m_bHigherFirst = higherFirst;
    for (std::size_t i = 0; i < places.size(); ++i)
        table.m_vecEntry[static_cast<int>(i)] =
            RankEntry(places[i].valid, "p" + std::to_string(i), places[i].value);
    return table;
}

std::vector<int> Values(const RankTable& table) {
    std::vector<int> out;
    for (const RankEntry& e : table.m_vecEntry) out.push_back(e.m_bValid ? e.m_nValue : -999);
    return out;
}

std::vector<Place> FullTable(int last) {
    std::vector<Place> places;
    for (int i = 0; i < kRankPlaces; ++i) places.push_back({1, 1000 - 10 * i});
    places.back().value = last;
    return places;
}

TEST(RankTable, FindSlotAndAdd) {
    struct Case {
        const char* what;
        int higherFirst;
        std::vector<Place> places;
        int value;
        int slot;
    };
    const Case cases[] = {
        {"after both equal scores", 1, {{1, 900}, {1, 500}, {1, 500}, {1, 100}}, 500, 3},
        {"a higher score goes first", 1, {{1, 900}, {1, 500}}, 901, 0},
        {"an empty table takes place 0", 1, {}, -5, 0},
        {"an equal best clear time is second", 0, {{1, 1234}, {1, 2000}}, 1234, 1},
        {"a faster clear time is first", 0, {{1, 1234}, {1, 2000}}, 1233, 0},
        {"a full table ignores its last value", 1, FullTable(100), 100, -1},
        {"a full table takes one more", 1, FullTable(100), 101, 19},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RankTable table = MakeTable(c.higherFirst, c.places);
        EXPECT_EQ(table.FindSlot(c.value), c.slot);
        std::vector<int> expected = Values(table);
        if (c.slot >= 0) {
            expected.insert(expected.begin() + c.slot, c.value);
            expected.pop_back();
        }
        table.Add("new", c.value);
        EXPECT_EQ(Values(table), expected);
        ASSERT_EQ(table.m_vecEntry.size(), static_cast<std::size_t>(kRankPlaces));
        if (c.slot >= 0) {
            EXPECT_EQ(table.m_vecEntry[c.slot].m_strName, "new");
            EXPECT_EQ(table.m_vecEntry[c.slot].m_bValid, 1);
        }
    }
}

TEST(RankSet, ResetGivesFiveTablesOfTwentyWithTheirOrders) {
    RankSet set;
    set.m_vecTable.resize(2);
    set.m_vecTable[0].m_vecEntry.resize(3);
    set.Reset();
    ASSERT_EQ(set.m_vecTable.size(), 5u);
    const int orders[] = {1, 1, 0, 1, 1};
    for (int t = 0; t < 5; ++t) {
        EXPECT_EQ(set.m_vecTable[t].m_bHigherFirst, orders[t]);
        EXPECT_EQ(set.m_vecTable[t].m_vecEntry.size(), 20u);
        EXPECT_EQ(set.m_vecTable[t].FindSlot(0), 0);
    }
}

TEST(RankingText, FormatRankTimeAndCountDigits) {
    const std::pair<std::int32_t, const char*> times[] = {
        {12345, "02:03.45"},       {600000, "100:00.00"},
        {5, "00:00.05"},           {0, "00:00.00"},
        {-5, "00:00.-05"},         {-12345, "-02:-03.-45"},
        {INT_MAX, "357913:56.47"}, {INT_MIN, "-357913:-56.-48"},
    };
    for (const auto& [h, text] : times) EXPECT_EQ(FormatRankTime(h), text) << h;
    const std::pair<std::int32_t, int> digits[] = {{0, 1},        {9, 1},           {10, 2},
                                                   {-45, 2},      {99999, 5},       {INT_MAX, 10},
                                                   {INT_MIN, 10}, {-1000000000, 10}};
    for (const auto& [v, d] : digits) EXPECT_EQ(CountDigits(v), d) << v;
    CheckedVector<std::int32_t> places;
    for (int v : {-1, 3, -1, -1, 0}) places.push_back(v);
    EXPECT_EQ(CountValue(places, -1), 3);
    EXPECT_EQ(CountValue(places, 7), 0);
}

TEST(RankingPath, FolderPerModeAndTheKeysNamePart) {
    struct Case {
        int mode;
        const char* key;
        int ok;
        const char* path;
    };
    const Case cases[] = {
        {0, "data\\stg4\\forest.", 1, "user_data\\story\\forest.rkg"},
        {1, "data\\stg4\\c01.", 1, "user_data\\challenge\\c01.rkg"},
        {2, "user_data\\mine\\forest.", 1, "user_data\\free\\forest.rkg"},
        {2, "forest.", 1, "user_data\\free\\forest.rkg"},
        // The second byte of this double-byte character is a backslash, not a folder.
        {0, "data\\\x95\\.", 1, "user_data\\story\\\x95\\.rkg"},
        {3, "data\\stg4\\forest.", 0, "unchanged"},
        {-1, "forest.", 0, "unchanged"},
        {0, nullptr, 0, "unchanged"},
    };
    for (const Case& c : cases) {
        std::string key = c.key ? c.key : std::string(300, 'k');
        std::string out = "unchanged";
        EXPECT_EQ(MakeRankingPath(out, c.mode, key), c.ok) << c.mode << " " << key;
        EXPECT_EQ(out, c.path);
    }
}

class RankingFileTest : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        CreateDataFolders();
    }
    void TearDown() override { TearDownWorld(); }
    static bool WriteBytes(const char* path, const std::vector<std::uint8_t>& bytes) {
        return WriteFileAtomically(path, bytes);
    }
};

TEST_F(RankingFileTest, SavedTablesComeBackAndTheLayoutIsStable) {
    RankSet set;
    set.m_vecTable[0].Add("abc", 500);
    set.m_vecTable[2].Add("", 12345);
    ASSERT_EQ(SaveRankingFile(set, 0, "data\\stg4\\forest."), 1);
    const std::string bytes = ReadFile(plat::MapPath("user_data\\story\\forest.rkg").c_str());
    // Version, the set's two counts and its table count, five tables of a flag (with its
    // two counts) and a place count, twenty places each: two counts, two values and the
    // name's length (an empty name is the length 1 alone; "abc" adds its four bytes).
    EXPECT_EQ(bytes.size(), 16u + 5 * 16 + 100 * 20 + 4);
    EXPECT_EQ(bytes.substr(0, 16), std::string("\xeb\x02\0\0\0\0\0\0\0\0\0\0\x05\0\0\0", 16));
    // The first place of table 0: two fields (valid, value), one string "abc".
    EXPECT_EQ(bytes.substr(32, 24),
              std::string("\x02\0\0\0\x01\0\0\0\xf4\x01\0\0\x01\0\0\0\x04\0\0\0abc\0", 24));

    RankSet loaded;
    loaded.m_vecTable[1].Add("zz", 1);
    ASSERT_EQ(LoadRankingFile(loaded, 0, "other\\forest."), 1);
    EXPECT_EQ(loaded.m_vecTable[0].m_vecEntry[0].m_strName, "abc");
    EXPECT_EQ(loaded.m_vecTable[0].m_vecEntry[0].m_nValue, 500);
    EXPECT_EQ(loaded.m_vecTable[1].m_vecEntry[0].m_bValid, 0);
    EXPECT_EQ(loaded.m_vecTable[2].m_vecEntry[0].m_nValue, 12345);
    EXPECT_EQ(loaded.m_vecTable[2].m_bHigherFirst, 0);
    // Another mode has a file of its own; replay mode none at all.
    EXPECT_EQ(LoadRankingFile(loaded, 2, "data\\stg4\\forest."), 0);
    EXPECT_EQ(loaded.m_vecTable[0].m_vecEntry[0].m_bValid, 0);
    EXPECT_EQ(SaveRankingFile(set, 4, "data\\stg4\\forest."), 0);
}

TEST_F(RankingFileTest, AThreeTableFileBecomesFive) {
    RankSet old;
    old.m_vecTable.resize(3);
    old.m_vecTable[0].Add("old", 77);
    ASSERT_TRUE(
        WriteBytes("user_data\\free\\cave.rkg", old.SaveToBytes(RecordWriter::ForOldVersion(180))));
    RankSet set;
    ASSERT_EQ(LoadRankingFile(set, 2, "data\\stg4\\cave."), 1);
    ASSERT_EQ(set.m_vecTable.size(), 5u);
    EXPECT_EQ(set.m_vecTable[0].m_vecEntry[0].m_nValue, 77);
    for (int t = 3; t < 5; ++t) {
        EXPECT_EQ(set.m_vecTable[t].m_bHigherFirst, 1);
        EXPECT_EQ(set.m_vecTable[t].m_vecEntry.size(), 20u);
        EXPECT_EQ(set.m_vecTable[t].m_vecEntry[0].m_bValid, 0);
    }
}

TEST_F(RankingFileTest, DamagedFilesGiveTheDefaultSetAndOddSizesAreEvened) {
    RankSet set;
    set.m_vecTable[0].Add("abc", 500);
    std::vector<std::uint8_t> whole = set.SaveToBytes();
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        int loaded;
    };
    std::vector<Case> cases;
    cases.push_back({"cut inside a name", {whole.begin(), whole.begin() + 50}, 0});
    cases.push_back({"only the version", {whole.begin(), whole.begin() + 4}, 0});
    std::vector<std::uint8_t> surplus = whole;
    surplus[32] = 9;  // the first place claims nine fields
    cases.push_back({"more fields than a place has", surplus, 0});
    std::vector<std::uint8_t> huge = whole;
    huge[12] = 0xff, huge[13] = 0xff, huge[14] = 0xff, huge[15] = 0x7f;
    cases.push_back({"a table count the bytes cannot back", huge, 0});
    // Two tables of one place each: evened to five of twenty.
    RankSet small;
    small.m_vecTable.resize(2);
    for (RankTable& t : small.m_vecTable) t.m_vecEntry.resize(1);
    small.m_vecTable[1].m_vecEntry[0] = RankEntry(1, "x", 3);
    cases.push_back(
        {"few tables and places", small.SaveToBytes(RecordWriter::ForOldVersion(747)), 1});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(WriteBytes("user_data\\story\\s.rkg", c.bytes));
        RankSet loaded;
        loaded.m_vecTable[0].Add("stale", 1);
        EXPECT_EQ(LoadRankingFile(loaded, 0, "s."), c.loaded);
        ASSERT_EQ(loaded.m_vecTable.size(), 5u);
        for (const RankTable& t : loaded.m_vecTable) EXPECT_EQ(t.m_vecEntry.size(), 20u);
        EXPECT_EQ(loaded.m_vecTable[0].m_vecEntry[0].m_bValid, 0);
        EXPECT_EQ(loaded.m_vecTable[1].m_vecEntry[0].m_nValue, c.loaded ? 3 : 0);
        EXPECT_EQ(PendingCloses(), 0);
    }
}

}  // namespace

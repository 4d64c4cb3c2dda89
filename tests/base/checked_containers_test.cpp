#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "base/checked_list.h"
#include "base/checked_vector.h"
#include "base/globals.h"
#include "base/log.h"
#include "platform/host_path.h"
#include "platform/messages.h"

namespace {

// The containers add nothing to the standard ones, so they can stand in records that are
// copied and saved exactly where a standard container stood.
static_assert(sizeof(CheckedVector<int>) == sizeof(std::vector<int>));
static_assert(sizeof(CheckedVector<CheckedVector<int>>) == sizeof(std::vector<std::vector<int>>));
static_assert(sizeof(CheckedList<void*>) == sizeof(std::list<void*>));

int closeRequests = 0;

plat::LRESULT CountCloses(plat::HWND, std::uint32_t msg, plat::WPARAM, plat::LPARAM) {
    if (msg == plat::WM_CLOSE) ++closeRequests;
    return 0;
}

// A temporary current folder holding the report log, and a main window that counts the
// close requests it receives.
class CheckedContainers : public ::testing::Test {
protected:
    void SetUp() override {
        previousDir_ = std::filesystem::current_path();
        char pattern[] = "/tmp/k4-checked-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        std::filesystem::current_path(dir_);
        plat::ClearPathCache();
        ASSERT_EQ(OpenReportLog("Report_Game.txt"), 1);
        SetErrorLog(0, "");
        closeRequests = 0;
        window_ = plat::CreateWindow(CountCloses);
        ASSERT_NE(window_, nullptr);
        hWndMain = window_;
    }
    void TearDown() override {
        hWndMain = nullptr;
        Pump();
        plat::DestroyWindow(window_);
        SetErrorLog(0, "");
        std::filesystem::current_path(previousDir_);
        plat::ClearPathCache();
        std::filesystem::remove_all(dir_);
    }

    // Delivers what was posted to the test thread; returns the close requests seen so far.
    int Pump() {
        plat::MSG msg;
        while (plat::PeekMessage(&msg, nullptr, true)) plat::DispatchMessage(&msg);
        return closeRequests;
    }

    static std::string ReadFile(const std::string& name) {
        std::ifstream in(name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    std::string ReportText() const { return ReadFile("Report_Game.txt"); }

    std::filesystem::path previousDir_;
    std::filesystem::path dir_;
    plat::HWND window_ = nullptr;
};

std::string Line(const std::string& text) {
    return text + "\r\n";
}

struct Record {
    int id = 0;
    double speed = 0;
    char name[13] = {};
};

TEST_F(CheckedContainers, InRangeAccessReturnsTheElementAndReportsNothing) {
    CheckedVector<int> v{10, 20, 30};
    const CheckedVector<int>& cv = v;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(&v.CheckedAt(i), v.data() + i);
        EXPECT_EQ(&v[i], v.data() + i);
        EXPECT_EQ(&cv[i], v.data() + i);
    }
    EXPECT_EQ(&v.front(), v.data());
    EXPECT_EQ(&v.back(), v.data() + 2);

    CheckedList<int> list{1, 2, 3};
    EXPECT_EQ(list.CheckedListAt(0), 1);
    EXPECT_EQ(list.CheckedListAt(2), 3);
    EXPECT_EQ(&list.CheckedListAt(1), &*std::next(list.begin()));

    EXPECT_EQ(ReportText(), "");
    EXPECT_EQ(Pump(), 0);
}

TEST_F(CheckedContainers, BadIndexOnIntVectorLogsClosesAndLendsElementZero) {
    const struct {
        int index;
        const char* line;
    } cases[] = {
        {-1, "err V[-1] ( 3 , 4 )"},
        {3, "err V[3] ( 3 , 4 )"},
        {1000, "err V[1000] ( 3 , 4 )"},
        {INT_MIN, "err V[-2147483648] ( 3 , 4 )"},
    };
    std::string expected;
    int posts = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        CheckedVector<int> v{10, 20, 30};
        int& got = v.CheckedAt(c.index);
        EXPECT_EQ(&got, v.data());
        got = 99;  // the caller goes on writing through what it was given
        EXPECT_EQ(v, (CheckedVector<int>{99, 20, 30}));
        expected += Line(c.line);
        EXPECT_EQ(ReportText(), expected);
        EXPECT_EQ(Pump(), ++posts);
    }
}

TEST_F(CheckedContainers, BadIndexOnRecordVectorNamesTheRecordSize) {
    CheckedVector<Record> v(5);
    for (int i = 0; i < 5; ++i) v[i].id = i + 1;
    const CheckedVector<Record>& cv = v;
    EXPECT_EQ(&cv.CheckedAt(5), v.data());
    EXPECT_EQ(v[5].id, 1);
    const std::string line = "err V[5] ( 5 , " + std::to_string(sizeof(Record)) + " )";
    EXPECT_EQ(ReportText(), Line(line) + Line(line));
    EXPECT_EQ(Pump(), 2);
}

TEST_F(CheckedContainers, ErrorLogGetsTheLineWhenSwitchedOn) {
    const std::string ecPath = (dir_ / "EC_Game.txt").string();
    SetErrorLog(1, ecPath);
    CheckedVector<short> v{1, 2};
    v.CheckedAt(2);
    CheckedList<short> list;
    list.CheckedListAt(0);
    const std::string expected = Line("err V[2] ( 2 , 2 )") + Line("err L[0] ( 0 , 2 )");
    EXPECT_EQ(ReadFile(ecPath), expected);
    EXPECT_EQ(ReportText(), expected);
    EXPECT_EQ(Pump(), 2);
}

TEST_F(CheckedContainers, EmptyVectorLendsTheSharedStandbyOfItsType) {
    CheckedVector<int> never;
    CheckedVector<int> destroyed{1, 2, 3};
    destroyed.Destroy();
    int& a = never.CheckedAt(0);
    int& b = destroyed.back();  // index -1 of an empty vector
    EXPECT_EQ(&a, &b);
    EXPECT_EQ(&a, &checked_detail::Standby<int>());
    EXPECT_TRUE(never.empty());
    EXPECT_EQ(never.capacity(), 0u);
    EXPECT_EQ(never.data(), nullptr);

    CheckedVector<Record> records;
    records.Clear();
    EXPECT_EQ(&records[7], &checked_detail::Standby<Record>());

    const std::string recordLine = "err V[7] ( 0 , " + std::to_string(sizeof(Record)) + " )";
    EXPECT_EQ(ReportText(),
              Line("err V[0] ( 0 , 4 )") + Line("err V[-1] ( 0 , 4 )") + Line(recordLine));
    EXPECT_EQ(Pump(), 3);
}

TEST_F(CheckedContainers, NestedVectorsAreCheckedAtBothLevels) {
    CheckedVector<CheckedVector<int>> grid{{1, 2}, {3}};
    EXPECT_EQ(&grid[5], grid.data());
    int& lent = grid[1][4];
    EXPECT_EQ(&lent, grid[1].data());
    lent = 30;
    EXPECT_EQ(grid[1][0], 30);
    const std::string outer = "err V[5] ( 2 , " + std::to_string(sizeof(CheckedVector<int>)) + " )";
    EXPECT_EQ(ReportText(), Line(outer) + Line("err V[4] ( 1 , 4 )"));
    EXPECT_EQ(Pump(), 2);
}

TEST_F(CheckedContainers, BadListIndexLendsOneStandbyPerTypeThatKeepsWrittenValues) {
    int x = 0, y = 0;
    CheckedList<void*> two{&x, &y};
    void*& lent = two.CheckedListAt(2);
    EXPECT_EQ(&lent, &checked_detail::Standby<void*>());
    EXPECT_EQ(two.size(), 2u);
    lent = &x;

    CheckedList<void*> other;
    void*& again = other.CheckedListAt(-1);
    EXPECT_EQ(&again, &lent);
    EXPECT_EQ(again, &x);

    // Another element type has its own stand-by.
    CheckedList<std::intptr_t> numbers{5};
    EXPECT_NE(static_cast<void*>(&numbers.CheckedListAt(1)), static_cast<void*>(&lent));

    const std::string size = std::to_string(sizeof(void*));
    EXPECT_EQ(ReportText(), Line("err L[2] ( 2 , " + size + " )") +
                                Line("err L[-1] ( 0 , " + size + " )") +
                                Line("err L[1] ( 1 , " + size + " )"));
    EXPECT_EQ(Pump(), 3);
    lent = nullptr;
}

TEST_F(CheckedContainers, ListStandbyOfClassTypeIsDefaultConstructed) {
    CheckedList<CheckedVector<int>> lists;
    CheckedVector<int>& lent = lists.CheckedListAt(0);
    EXPECT_EQ(&lent, &checked_detail::Standby<CheckedVector<int>>());
    EXPECT_EQ(lent.data(), nullptr);
    lent.push_back(4);
    EXPECT_EQ(lists.CheckedListAt(3).Size(), 1u);  // kept, not reset
    lent.Destroy();
    EXPECT_EQ(Pump(), 2);
}

TEST_F(CheckedContainers, BadIndexWithoutMainWindowIsStillLogged) {
    hWndMain = nullptr;
    CheckedVector<int> v{1};
    EXPECT_EQ(v[3], 1);  // the post fails quietly; the line is still written
    EXPECT_EQ(ReportText(), Line("err V[3] ( 1 , 4 )"));
    EXPECT_EQ(Pump(), 0);
}

// Records keep their own identity (field tables); assignment must only hand over values.
struct Tracked {
    static inline int made = 0;
    static inline int defaults = 0;
    int serial;
    int value = 0;
    Tracked() : serial(++made) { ++defaults; }
    Tracked(const Tracked& other) : serial(++made), value(other.value) {}
    Tracked& operator=(const Tracked& other) {
        value = other.value;
        return *this;
    }
};

CheckedVector<Tracked> TrackedValues(std::initializer_list<int> values) {
    CheckedVector<Tracked> v;
    v.reserve(8);
    for (int value : values) v.emplace_back().value = value;
    return v;
}

std::vector<int> Values(const CheckedVector<Tracked>& v) {
    std::vector<int> out;
    for (const Tracked& t : v) out.push_back(t.value);
    return out;
}

TEST_F(CheckedContainers, AssignKeepsExistingElementsAndOnlyHandsOverValues) {
    {
        SCOPED_TRACE("grow 2 -> 4");
        CheckedVector<Tracked> target = TrackedValues({1, 2});
        const CheckedVector<Tracked> source = TrackedValues({5, 6, 7, 8});
        const Tracked* first = target.data();
        const int serials[2] = {target[0].serial, target[1].serial};
        const int defaultsBefore = Tracked::defaults;
        target = source;
        EXPECT_EQ(Values(target), (std::vector<int>{5, 6, 7, 8}));
        EXPECT_EQ(target.data(), first);
        EXPECT_EQ(target[0].serial, serials[0]);
        EXPECT_EQ(target[1].serial, serials[1]);
        EXPECT_EQ(Tracked::defaults - defaultsBefore, 1);  // one blank, copied twice
    }
    {
        SCOPED_TRACE("shrink 3 -> 1");
        CheckedVector<Tracked> target = TrackedValues({1, 2, 3});
        CheckedVector<Tracked> source = TrackedValues({9});
        const int serial = target[0].serial;
        const Tracked* first = target.data();
        const std::size_t capacity = target.capacity();
        target.Assign(source);
        EXPECT_EQ(Values(target), (std::vector<int>{9}));
        EXPECT_EQ(target.data(), first);
        EXPECT_EQ(target[0].serial, serial);
        EXPECT_EQ(target.capacity(), capacity);
    }
    {
        SCOPED_TRACE("self");
        CheckedVector<Tracked> target = TrackedValues({4, 5});
        const int serial = target[1].serial;
        target.Assign(target);
        EXPECT_EQ(Values(target), (std::vector<int>{4, 5}));
        EXPECT_EQ(target[1].serial, serial);
    }
    EXPECT_EQ(ReportText(), "");
}

TEST_F(CheckedContainers, NestedAssignKeepsInnerVectorsInPlace) {
    CheckedVector<CheckedVector<int>> target{{1, 2, 3}, {4}};
    const int* inner = target[0].data();
    const CheckedVector<CheckedVector<int>> source{{7}, {8, 9}, {}};
    target = source;
    EXPECT_EQ(target, source);
    EXPECT_EQ(target[0].data(), inner);  // assigned one level down, not replaced
    EXPECT_EQ(target[2].capacity(), 0u);
}

TEST_F(CheckedContainers, CopyConstructionAllocatesExactlyTheSourceCount) {
    CheckedVector<int> source;
    source.reserve(64);
    source.push_back(1);
    source.push_back(2);
    source.push_back(3);
    CheckedVector<int> copy(source);
    EXPECT_EQ(copy, source);
    EXPECT_EQ(copy.capacity(), 3u);

    CheckedVector<int> emptySource;
    emptySource.reserve(16);
    CheckedVector<int> emptyCopy(emptySource);
    EXPECT_EQ(emptyCopy.data(), nullptr);
    EXPECT_EQ(emptyCopy.capacity(), 0u);
}

TEST_F(CheckedContainers, DestroyFreesStorageAndClearKeepsIt) {
    CheckedVector<int> v{1, 2, 3};
    v.Clear();
    EXPECT_TRUE(v.empty());
    EXPECT_GE(v.capacity(), 3u);
    v.push_back(1);
    v.Destroy();
    EXPECT_EQ(v.Size(), 0u);
    EXPECT_EQ(v.capacity(), 0u);
    EXPECT_EQ(v.data(), nullptr);
}

TEST_F(CheckedContainers, FillStoresIntoEveryElement) {
    CheckedVector<int> v(4);
    v.Fill(-3);
    EXPECT_EQ(v, (CheckedVector<int>{-3, -3, -3, -3}));
    CheckedVector<int> none;
    none.Fill(1);
    EXPECT_TRUE(none.empty());
    EXPECT_EQ(ReportText(), "");
}

TEST_F(CheckedContainers, RemoveValueDropsEveryEqualElementAndKeepsStorage) {
    const struct {
        std::vector<int> before;
        int value;
        std::vector<int> after;
        bool removed;
    } cases[] = {
        {{7, 7, 3, 7}, 7, {3}, true}, {{7, 7}, 7, {}, true}, {{1, 7, 7, 7, 2, 7}, 7, {1, 2}, true},
        {{1, 2}, 7, {1, 2}, false},   {{}, 7, {}, false},
    };
    for (const auto& c : cases) {
        CheckedVector<int> v;
        for (int x : c.before) v.push_back(x);
        const std::size_t capacity = v.capacity();
        EXPECT_EQ(v.RemoveValue(c.value), c.removed);
        EXPECT_EQ(std::vector<int>(v.begin(), v.end()), c.after);
        EXPECT_EQ(v.capacity(), capacity);
    }
    CheckedVector<unsigned char> bytes{0, 255, 0};
    EXPECT_FALSE(bytes.RemoveValue(-1));  // compared as numbers, not as truncated bytes
    EXPECT_TRUE(bytes.RemoveValue(255));
    EXPECT_EQ(bytes, (CheckedVector<unsigned char>{0, 0}));
    EXPECT_EQ(ReportText(), "");
}

TEST_F(CheckedContainers, ContainsFindsValuesAndNeverLogs) {
    CheckedVector<int> never;
    EXPECT_FALSE(never.Contains(0));
    CheckedVector<int> v{4, -1, 9};
    EXPECT_TRUE(v.Contains(4));
    EXPECT_TRUE(v.Contains(9));
    EXPECT_TRUE(v.Contains(-1));
    EXPECT_FALSE(v.Contains(5));
    EXPECT_EQ(ReportText(), "");
    EXPECT_EQ(Pump(), 0);
}

TEST_F(CheckedContainers, ListAssignMatchesCountsAtTheEndAndKeepsFirstNodes) {
    {
        SCOPED_TRACE("grow 1 -> 3");
        CheckedList<CheckedVector<int>> target{{1}};
        const CheckedVector<int>* first = &target.CheckedListAt(0);
        const CheckedList<CheckedVector<int>> source{{5}, {}, {6, 7}};
        target = source;
        EXPECT_EQ(target, source);
        EXPECT_EQ(&target.CheckedListAt(0), first);
    }
    {
        SCOPED_TRACE("shrink 3 -> 1");
        CheckedList<int> target{1, 2, 3};
        const int* first = &target.CheckedListAt(0);
        target.Assign(CheckedList<int>{9});
        EXPECT_EQ(target, CheckedList<int>{9});
        EXPECT_EQ(&target.CheckedListAt(0), first);
    }
    EXPECT_EQ(ReportText(), "");
}

TEST_F(CheckedContainers, EraseAtRemovesOnlyTheNodeHoldingTheAddress) {
    CheckedList<int> list{1, 2, 3};
    int foreign = 2;
    EXPECT_EQ(list.EraseAt(&foreign), list.end());
    EXPECT_EQ(list, (CheckedList<int>{1, 2, 3}));

    auto next = list.EraseAt(&list.CheckedListAt(1));
    ASSERT_NE(next, list.end());
    EXPECT_EQ(*next, 3);
    EXPECT_EQ(list, (CheckedList<int>{1, 3}));
    EXPECT_EQ(list.EraseAt(&list.CheckedListAt(1)), list.end());
    EXPECT_EQ(list, CheckedList<int>{1});
}

TEST_F(CheckedContainers, EraseValueRemovesTheFirstEqualNode) {
    int a = 0, b = 0;
    CheckedList<void*> list{&a, &b, &a};
    auto next = list.EraseValue(&a);
    ASSERT_NE(next, list.end());
    EXPECT_EQ(*next, &b);
    EXPECT_EQ(list, (CheckedList<void*>{&b, &a}));
    int c = 0;
    EXPECT_EQ(list.EraseValue(&c), list.end());
    EXPECT_EQ(list.size(), 2u);
}

}  // namespace

// The menus' cursor: the grid move wraps both ways, the list move scrolls a window over a
// longer list and jumps by pages without wrapping, the state stack pushes and pops as the
// sub-menus need, and the cursor sound follows the keys its mask names.
#include "scene/menu_cursor.h"

#include <gtest/gtest.h>

#include <vector>

#include "base/input.h"
#include "sound/sound_effects.h"
#include "support/sound_fixture.h"

namespace {

cInput Keys(std::uint16_t dir) {
    cInput input;
    input.wDir = dir;
    return input;
}

struct MoveRow {
    const char* name;
    int row;
    int column;
    std::uint16_t dir;
    int columns;
    int rows;
    int wantRow;
    int wantColumn;
};

TEST(MenuCursorMove, WrapsRowsAndColumnsBothWays) {
    const MoveRow rows[] = {
        {"down from the last of 7 rows", 6, 0, kDirDown, 1, 7, 0, 0},
        {"up from the first of 7 rows", 0, 0, kDirUp, 1, 7, 6, 0},
        {"down inside the menu", 2, 0, kDirDown, 1, 7, 3, 0},
        {"one column: right wraps back to 0", 3, 0, kDirRight, 1, 7, 3, 0},
        {"one column: left wraps back to 0", 3, 0, kDirLeft, 1, 7, 3, 0},
        {"grid: left from column 0", 1, 0, kDirLeft, 4, 3, 1, 3},
        {"grid: diagonal right-down from the corner", 2, 3, kDirRight | kDirDown, 4, 3, 0, 0},
        {"up wins over down", 2, 0, kDirUp | kDirDown, 1, 7, 1, 0},
        {"a row past the menu goes to 0", 9, 0, 0, 1, 2, 0, 0},
        {"negative rows: nothing", 4, 2, kDirDown, 1, -1, 4, 2},
    };
    for (const MoveRow& r : rows) {
        SCOPED_TRACE(r.name);
        cMenuCursor cursor;
        cursor.Current()->nRow = r.row;
        cursor.Current()->nColumn = r.column;
        cursor.Current()->nX = -5;
        cursor.Current()->nY = -5;
        cursor.Move(Keys(r.dir), 48, 96, 20, 16, r.columns, r.rows);
        EXPECT_EQ(cursor.Current()->nRow, r.wantRow);
        EXPECT_EQ(cursor.Current()->nColumn, r.wantColumn);
        if (r.rows >= 0) {
            EXPECT_EQ(cursor.Current()->nX, 48 + 20 * r.wantColumn);
            EXPECT_EQ(cursor.Current()->nY, 96 + 16 * r.wantRow);
        } else {
            EXPECT_EQ(cursor.Current()->nX, -5);
        }
    }
}

struct ListRow {
    const char* name;
    int index;
    int top;
    std::uint16_t dir;
    int page;
    int count;
    int bPageJump;
    int wantIndex;
    int wantTop;
};

TEST(MenuCursorMoveList, ScrollsAndJumpsWithoutWrapping) {
    const ListRow rows[] = {
        {"fewer entries than a page: down on the last", 2, 0, kDirDown, 10, 3, 1, 2, 0},
        {"fewer entries than a page: up on the first", 0, 0, kDirUp, 10, 3, 1, 0, 0},
        {"down inside the page", 4, 0, kDirDown, 10, 25, 1, 5, 0},
        {"down on the last visible row scrolls", 9, 0, kDirDown, 10, 25, 1, 10, 1},
        {"up on the first visible row scrolls back", 10, 10, kDirUp, 10, 25, 1, 9, 9},
        {"down on the last entry", 24, 15, kDirDown, 10, 25, 1, 24, 15},
        {"page right from the top", 9, 0, kDirRight, 10, 25, 1, 18, 9},
        {"page right again: top and row clamped", 18, 9, kDirRight, 10, 25, 1, 24, 15},
        {"page right on the last page: the last entry", 17, 15, kDirRight, 10, 25, 1, 24, 15},
        {"page left", 24, 15, kDirLeft, 10, 25, 1, 15, 6},
        {"page left on the first page: the first entry", 7, 0, kDirLeft, 10, 25, 1, 0, 0},
        {"left and right without page jumps", 7, 0, kDirLeft | kDirRight, 10, 25, 0, 7, 0},
        {"an index past the list is clamped", 40, 0, 0, 10, 25, 1, 24, 0},
        {"a negative top is clamped", 0, -3, 0, 10, 25, 1, 0, 0},
        {"an empty list", 0, 0, kDirDown, 0, 0, 1, 0, 0},
    };
    for (const ListRow& r : rows) {
        SCOPED_TRACE(r.name);
        for (int vertical = 0; vertical <= 1; ++vertical) {
            cMenuCursor cursor;
            std::int32_t& index = vertical ? cursor.Current()->nRow : cursor.Current()->nColumn;
            index = r.index;
            std::int32_t top = r.top;
            cursor.MoveList(Keys(r.dir), vertical, &top, 160, 16, 152, r.page, r.count,
                            r.bPageJump);
            EXPECT_EQ(index, r.wantIndex) << "vertical " << vertical;
            EXPECT_EQ(top, r.wantTop) << "vertical " << vertical;
            const int moving = 160 + 16 * (r.wantIndex - r.wantTop);
            EXPECT_EQ(vertical ? cursor.Current()->nY : cursor.Current()->nX, moving);
            EXPECT_EQ(vertical ? cursor.Current()->nX : cursor.Current()->nY, 152);
        }
    }
}

TEST(MenuCursorStack, PushAndPopKeepTheMenuUnderneath) {
    cMenuCursor cursor;
    EXPECT_EQ(cursor.Depth(), 1);
    EXPECT_EQ(cursor.Previous(), nullptr);
    *cursor.Current() = {1, 2, 3, 4};
    cursor.Push(1);
    EXPECT_EQ(cursor.Depth(), 2);
    EXPECT_EQ(cursor.Current()->nRow, 2);  // a copy
    EXPECT_EQ(cursor.Previous()->nY, 4);
    cursor.Push(0);
    EXPECT_EQ(cursor.Current()->nRow, 0);  // a fresh state
    *cursor.Current() = {5, 6, 7, 8};
    // Mode 2: the removed state's values come down.
    cursor.Pop(2);
    EXPECT_EQ(cursor.Depth(), 2);
    EXPECT_EQ(cursor.Current()->nColumn, 5);
    EXPECT_EQ(cursor.Current()->nY, 8);
    EXPECT_EQ(cursor.Previous()->nRow, 2);
    // Mode 1 keeps the uncovered state, mode 0 zeroes it.
    cursor.Push(0);
    cursor.Pop(1);
    EXPECT_EQ(cursor.Current()->nRow, 6);
    cursor.Pop(0);
    EXPECT_EQ(cursor.Depth(), 1);
    EXPECT_EQ(cursor.Current()->nRow, 0);
    EXPECT_EQ(cursor.Current()->nX, 0);
    EXPECT_EQ(cursor.Previous(), nullptr);
    // A pop on one state changes nothing.
    *cursor.Current() = {1, 1, 1, 1};
    for (int mode : {0, 1, 2}) cursor.Pop(mode);
    EXPECT_EQ(cursor.Depth(), 1);
    EXPECT_EQ(cursor.Current()->nX, 1);
}

TEST(MenuCursorStack, PointersFollowTheStatesAndResetLeavesOneZeroState) {
    cMenuCursor cursor;
    for (int i = 1; i <= 40; ++i) {
        cursor.Push(1);
        cursor.Current()->nRow = i;
        ASSERT_EQ(cursor.Previous()->nRow, i - 1);
    }
    for (int i = 39; i >= 20; --i) {
        cursor.Pop(1);
        ASSERT_EQ(cursor.Current()->nRow, i);
    }
    cursor.Reset();
    EXPECT_EQ(cursor.Depth(), 1);
    EXPECT_EQ(cursor.Previous(), nullptr);
    EXPECT_EQ(cursor.Current()->nRow, 0);
    EXPECT_EQ(cursor.Current()->nColumn, 0);
}

// The cursor sound is counted by the copies of a five-copy effect it plays in turn.
class CursorSound : public soundtest::SoundTest {
protected:
    void SetUp() override {
        SoundTest::SetUp();
        ASSERT_TRUE(DS_Init(nullptr, 22050, 8, 1));
        soundtest::WriteBytes(
            "cursor.wav",
            soundtest::Riff({soundtest::Chunk("fmt ", soundtest::FmtBody(1, 1, 22050, 8)),
                             soundtest::Chunk("data", std::vector<std::uint8_t>(64, 0xC0))}));
        DSSoundData.resize(2);
        ASSERT_TRUE(DS_CreateSoundEffect(DSSoundData[1], "cursor.wav", 5, 0));
    }
    void TearDown() override {
        if (DSSoundData.Size() > 1) DS_ReleaseSoundEffect(DSSoundData[1]);
        SoundTest::TearDown();
    }
    static int Plays(std::uint16_t dir, int mask, int n) {
        DSSoundData[1].nNext = 0;
        PlayCursorSe(Keys(dir), mask, n);
        return DSSoundData[1].nNext;
    }
};

TEST_F(CursorSound, PlaysOncePerAxisTheMaskNames) {
    struct {
        std::uint16_t dir;
        int mask;
        int plays;
    } const rows[] = {
        {kDirUp, 2, 1},   {kDirDown, 2, 1}, {kDirLeft, 2, 0},           {kDirRight, 2, 0},
        {kDirLeft, 1, 1}, {kDirUp, 1, 0},   {kDirUp | kDirRight, 3, 2}, {kDirDown | kDirLeft, 2, 1},
        {0, 3, 0},        {kDirUp, 0, 0},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(testing::Message() << "dir " << r.dir << " mask " << r.mask);
        EXPECT_EQ(Plays(r.dir, r.mask, 1), r.plays);
    }
    // An effect number past the loaded ones plays nothing.
    EXPECT_EQ(Plays(kDirUp, 3, 7), 0);
    EXPECT_EQ(Plays(kDirUp, 3, -1), 0);
}

}  // namespace

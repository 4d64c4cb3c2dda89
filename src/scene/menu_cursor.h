// The one cursor of every menu (title, map menu, stage select, options, world map, and the
// pause and continue menus of a stage). It keeps a stack of cursor states: a sub-menu pushes
// a fresh state and, when it closes, pops back to where the menu under it stood.
#pragma once

#include <cstdint>

#include "base/checked_vector.h"

class cInput;

// Where the cursor stands: the grid cell (or the list index) and the pixel position where
// the cursor image is drawn.
struct CursorState {
    std::int32_t nColumn = 0;
    std::int32_t nRow = 0;
    std::int32_t nX = 0;
    std::int32_t nY = 0;
};

class cMenuCursor {
public:
    cMenuCursor();
    cMenuCursor(const cMenuCursor&) = delete;
    cMenuCursor& operator=(const cMenuCursor&) = delete;

    // One zeroed state.
    void Reset();
    // A new top state: zeroed, or with bCopy 1 a copy of the state under it.
    void Push(int bCopy);
    // With at least two states, removes the top. The uncovered state is zeroed (mode 0),
    // kept (1) or takes the removed state's values (2). One state: nothing happens.
    void Pop(int mode);
    // A grid move that wraps both ways: left/right move the column, up/down the row; then
    // x = x0 + dx * column, y = y0 + dy * row. Negative sizes do nothing.
    void Move(const cInput& input, int x0, int y0, int dx, int dy, int columns, int rows);
    // A list of `count` entries shown `page` at a time from *lpTop, without wrapping: up and
    // down move the index (the row when vertical, else the column) and scroll at the edges of
    // the window; with bPageJump right/left move by page - 1 entries. The moving coordinate
    // is origin + step * (index - top), the other one `fixed`.
    void MoveList(const cInput& input, int bVertical, std::int32_t* lpTop, int origin, int step,
                  int fixed, int page, int count, int bPageJump);

    // The top state and the one under it (null with one state). Valid until the next push,
    // pop or reset.
    CursorState* Current() { return m_lpCurrent; }
    CursorState* Previous() { return m_lpPrevious; }
    int Depth() const { return static_cast<int>(m_vecStates.Size()); }

private:
    void Repoint();

    CursorState* m_lpCurrent = nullptr;
    CursorState* m_lpPrevious = nullptr;
    CheckedVector<CursorState> m_vecStates;
};

extern cMenuCursor MenuCursor;

// The cursor sound: effect n once when mask bit 1 is set and left or right is pressed, and
// once more when mask bit 2 is set and up or down is pressed. Played at once on the calling
// thread.
void PlayCursorSe(const cInput& input, int mask, int n);

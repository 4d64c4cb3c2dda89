#include "scene/menu_cursor.h"

#include <algorithm>

#include "base/input.h"
#include "sound/sound_effects.h"

cMenuCursor MenuCursor;

cMenuCursor::cMenuCursor() {
    m_vecStates.push_back(CursorState{});
    Repoint();
}

// The vector may move its elements on a push: both pointers follow every change.
void cMenuCursor::Repoint() {
    if (m_vecStates.empty()) m_vecStates.push_back(CursorState{});
    const int n = static_cast<int>(m_vecStates.Size());
    m_lpCurrent = &m_vecStates[n - 1];
    m_lpPrevious = n >= 2 ? &m_vecStates[n - 2] : nullptr;
}

void cMenuCursor::Reset() {
    m_vecStates.resize(1);
    m_vecStates[0] = CursorState{};
    Repoint();
}

void cMenuCursor::Push(int bCopy) {
    m_vecStates.push_back(CursorState{});
    const int n = static_cast<int>(m_vecStates.Size());
    if (bCopy == 1 && n >= 2) m_vecStates[n - 1] = m_vecStates[n - 2];
    Repoint();
}

void cMenuCursor::Pop(int mode) {
    const int n = static_cast<int>(m_vecStates.Size());
    if (n < 2) return;
    const CursorState removed = m_vecStates[n - 1];
    m_vecStates.pop_back();
    CursorState& uncovered = m_vecStates[n - 2];
    if (mode == 0) uncovered = CursorState{};
    if (mode == 2) uncovered = removed;
    Repoint();
}

void cMenuCursor::Move(const cInput& input, int x0, int y0, int dx, int dy, int columns, int rows) {
    if (columns < 0 || rows < 0) return;
    CursorState& s = *m_lpCurrent;
    const std::uint16_t dir = input.wDir;
    if (dir & kDirLeft)
        --s.nColumn;
    else if (dir & kDirRight)
        ++s.nColumn;
    if (dir & kDirUp)
        --s.nRow;
    else if (dir & kDirDown)
        ++s.nRow;
    if (s.nRow < 0) s.nRow = rows - 1;
    if (s.nRow >= rows) s.nRow = 0;
    if (s.nColumn < 0) s.nColumn = columns - 1;
    if (s.nColumn >= columns) s.nColumn = 0;
    s.nX = x0 + dx * s.nColumn;
    s.nY = y0 + dy * s.nRow;
}

void cMenuCursor::MoveList(const cInput& input, int bVertical, std::int32_t* lpTop, int origin,
                           int step, int fixed, int page, int count, int bPageJump) {
    CursorState& s = *m_lpCurrent;
    std::int32_t& i = bVertical ? s.nRow : s.nColumn;
    std::int32_t& top = *lpTop;
    const std::uint16_t dir = input.wDir;
    if (dir & kDirUp) {
        if (i - top <= 0) --top;
        --i;
    } else if (dir & kDirDown) {
        if (i - top >= page - 1) ++top;
        ++i;
    }
    if (bPageJump) {
        if (dir & kDirRight) {
            if (top == count - page) {
                i = count - 1;
            } else {
                top += page - 1;
                i += page - 1;
            }
        } else if (dir & kDirLeft) {
            if (top != 0) {
                top -= page - 1;
                i -= page - 1;
            } else {
                i = 0;
            }
        }
    }
    if (i > count - 1) i = count - 1;
    if (i < 0) i = 0;
    if (top < 0)
        top = 0;
    else
        top = std::min(top, std::max(count - page, 0));
    const int moving = origin + step * (i - top);
    if (bVertical) {
        s.nY = moving;
        s.nX = fixed;
    } else {
        s.nX = moving;
        s.nY = fixed;
    }
}

void PlayCursorSe(const cInput& input, int mask, int n) {
    const auto play = [n] {
        // A number past the loaded effects (none loaded, no sound device) plays nothing.
        if (n >= 0 && n < static_cast<int>(DSSoundData.Size()))
            DS_PlaySoundEffect(DSSoundData[n], 0);
    };
    if ((mask & 1) && (input.wDir & (kDirLeft | kDirRight))) play();
    if ((mask & 2) && (input.wDir & (kDirUp | kDirDown))) play();
}

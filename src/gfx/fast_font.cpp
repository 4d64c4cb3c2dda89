#include "gfx/fast_font.h"

#include "gfx/blit.h"

cFastFont::~cFastFont() {
    DDReleaseSurface(&SD);
}

bool cFastFont::Create(int kind, int cellWidth, int cellHeight, int columns, int rows) {
    nKind = kind;
    nCellWidth = cellWidth;
    nCellHeight = cellHeight;
    nColumns = columns;
    nRows = rows;
    nCapacity = columns * rows;
    list.clear();
    index_.clear();
    nCount = 0;
    if (cellWidth <= 0 || cellHeight <= 0 || columns <= 0 || rows <= 0) return false;
    return DDCreateSurface(&SD, cellWidth * columns, cellHeight * rows, 1, 0, 0, nullptr, 0);
}

bool cFastFont::Add(const char* code) {
    if (nCount >= nCapacity) return false;
    Entry e;
    e.szCode[0] = code[0];
    e.szCode[1] = code[1];
    e.nIndex = nCount;
    e.x = (nCount % nColumns) * nCellWidth;
    e.y = (nCount / nColumns) * nCellHeight;
    list.push_back(e);
    index_.emplace(Key(code), nCount);
    ++nCount;
    return true;
}

int cFastFont::DrawHalf(DDSURFACEDATA* lpDst, int x, int y, unsigned char code,
                        std::uint32_t dwFlags) {
    return DDBltRect(lpDst, x, y, nCellWidth, nCellHeight, &SD, (code % 16) * nCellWidth,
                     (code / 16) * nCellHeight, dwFlags);
}

const cFastFont::Entry* cFastFont::Find(const char* code) const {
    const auto it = index_.find(Key(code));
    return it == index_.end() ? nullptr : &list[static_cast<std::size_t>(it->second)];
}

bool cFastFont::DrawFull(DDSURFACEDATA* lpDst, int x, int y, const char* code,
                         std::uint32_t dwFlags) {
    const Entry* e = Find(code);
    if (!e) return false;
    DDBltRect(lpDst, x, y, nCellWidth, nCellHeight, &SD, e->x, e->y, dwFlags);
    return true;
}

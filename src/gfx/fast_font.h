// A glyph cache: a surface of pre-rendered cells from which text is drawn by blits. The
// single-byte cache holds code c at cell (c mod 16, c div 16); the double-byte cache fills
// its cells in order as characters are added, entry n at cell (n mod columns, n div columns).
#pragma once

#include <cstdint>
#include <unordered_map>
#include <vector>

#include "gfx/surface.h"

class cFastFont {
public:
    struct Entry {
        char szCode[3] = {};
        int nIndex = 0;
        int x = 0;
        int y = 0;
    };

    cFastFont() = default;
    cFastFont(const cFastFont&) = delete;
    cFastFont& operator=(const cFastFont&) = delete;
    // The surface goes first, then the entries.
    ~cFastFont();

    // The cache surface of columns x rows cells: colour-keyed, video memory, memory type 0
    // (a render target in Direct3D, so glyphs can be added during play). False when the
    // surface cannot be made.
    bool Create(int kind, int cellWidth, int cellHeight, int columns, int rows);
    // False when the cache is full.
    bool Add(const char* code);
    int DrawHalf(DDSURFACEDATA* lpDst, int x, int y, unsigned char code, std::uint32_t dwFlags);
    // The first entry of the two-byte code; false when the code has none.
    bool DrawFull(DDSURFACEDATA* lpDst, int x, int y, const char* code, std::uint32_t dwFlags);
    // The entry of a code, null when none.
    const Entry* Find(const char* code) const;

    int nKind = 0;
    int nCellWidth = 0;
    int nCellHeight = 0;
    int nColumns = 0;
    int nRows = 0;
    int nCapacity = 0;
    DDSURFACEDATA SD;
    std::vector<Entry> list;
    int nCount = 0;

private:
    static std::uint16_t Key(const char* code) {
        return static_cast<std::uint16_t>(static_cast<unsigned char>(code[0]) << 8 |
                                          static_cast<unsigned char>(code[1]));
    }
    // The first entry of each code, so that drawing does not walk the list.
    std::unordered_map<std::uint16_t, int> index_;
};

// The font class: Shift-JIS text in a face of the glyph source and a palette colour, in fixed
// cells (a character pitch and a line height) or proportional, optionally inside a window
// box, optionally with letter icons in place of a-z, and optionally drawn from glyph caches.
//
// DirectDraw draws glyphs with the GDI calls into a work surface and blits it keyed; Direct3D
// with the utility library's font into a render target (or through the work surface into a
// surface that is not one). With caches, text is blits from pre-rendered cells; a double-byte
// character missing from its cache is added at its first use while there is room.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gfx/fast_font.h"
#include "gfx/surface.h"
#include "platform/d3dx_font.h"
#include "platform/gdi_text.h"

struct FONTDEF {
    char szFaceName[256];
    int nWidth;
    int nHeight;
    int nPitch;
    int nLineHeight;
    int nColorIndex;
    int nWindowSD;
    int nFrameWidth;
    int dwFrameColor;
    int nIconSD;
    int bCache;
};

// The 256 characters the double-byte cache starts with.
extern const char* const FullCacheChars;

class Font {
public:
    Font() = default;
    Font(const Font&) = delete;
    Font& operator=(const Font&) = delete;
    ~Font();

    void Create(const char* face, int nWidth, int nHeight, int nPitch, int nLineHeight,
                int nColorIndex, DDSURFACEDATA* lpWindowSD, int nFrameWidth, int dwFrameColor,
                DDSURFACEDATA* lpIconSD, int bCache);
    // The back-end objects, both caches and the work surface; the font leaves FontList.
    void Release();

    int Draw(DDSURFACEDATA* lpDst, int x, int y, const char* text, int bNoIcons);
    // Formats into 256 bytes (cut on a character boundary) and draws with icons allowed.
    int DrawF(DDSURFACEDATA* lpDst, int x, int y, const char* format, ...)
        __attribute__((format(printf, 5, 6)));
    void DrawWindow(DDSURFACEDATA* lpDst, int x, int y, int w, int h);
    // w or h 0: sized from the text (w = nMargin + its width); x or y 10000: centred on the
    // window background.
    int DrawInWindow(DDSURFACEDATA* lpDst, int x, int y, int w, int h, const char* text,
                     int nMargin);
    // Formats into 1024 bytes (cut on a character boundary); box and text without margin.
    int DrawWindowF(DDSURFACEDATA* lpDst, int x, int y, int w, int h, const char* format, ...)
        __attribute__((format(printf, 7, 8)));
    // A box sized to the text, the frame outside it (the message windows).
    int DrawWrap(DDSURFACEDATA* lpDst, int x, int y, const char* text);

    // Widest line's characters x pitch by lines x line height; any line length.
    plat::SIZE GetTextSize(const char* text) const;
    // Widest line's advance by lines x line height in the face that draws: GDI in DirectDraw
    // (through dc, or the work surface's when null), the utility library's font in Direct3D.
    void GetTextExtent(plat::SIZE* out, plat::HDC dc, const char* text);
    // The size Draw gives the text: GetTextSize with a pitch, else the extents (DirectDraw
    // measures through lpOn's context).
    plat::SIZE Measure(const char* text, DDSURFACEDATA* lpOn);

    // After a reset or a restore: the caches are drawn again.
    void Restore();
    void MakeHalfCache(int unused = 0);
    void MakeFullCache(int bRestore);

    int nID = 0;
    plat::HFONT hFont = nullptr;
    plat::ID3DXFont* lpFont = nullptr;
    plat::ID3DXSprite* lpSprite = nullptr;
    const char* lpszFaceName = nullptr;
    int nWidth = 0;
    int nHeight = 0;
    int nPitch = 0;
    int nLineHeight = 0;
    int nColorIndex = 0;
    std::uint32_t dwColor = 0;
    int bCentre = 0;
    DDSURFACEDATA Work;
    DDSURFACEDATA* lpWindowSD = nullptr;
    int nFrameWidth = 0;
    int dwFrameColor = 0;
    DDSURFACEDATA* lpIconSD = nullptr;
    int bIcons = 0;
    int bCache = 0;
    std::unique_ptr<cFastFont> m_lpFastFont_Half;
    std::unique_ptr<cFastFont> m_lpFastFont_FullAdd;

private:
    bool Caches() const { return bCache != 0 && m_lpFastFont_Half && m_lpFastFont_FullAdd; }
    bool IconsOn(int bNoIcons) const;
    int DrawDD(DDSURFACEDATA* lpDst, int x, int y, const char* text, bool icons);
    int DrawD3D(DDSURFACEDATA* lpDst, int x, int y, const char* text, bool icons);
    void DrawLines(DDSURFACEDATA* target, plat::HDC dc, int x0, int y0, DDSURFACEDATA* lpFinal,
                   int fx, int fy, const char* text);
    void DrawGlyphs(DDSURFACEDATA* target, plat::HDC dc, int x, int y, const char* bytes, int n);
    // A double-byte character not cached yet: added and rendered into its cell. False when
    // the cache is full.
    bool AddToCache(const char* bytes);
    void DrawLetterIcons(DDSURFACEDATA* lpDst, int x, int y, const char* text);
    void DeleteCaches();

    // The face name the font was made with (lpszFaceName points at it).
    std::vector<char> faceName_;
};

// Every font made, in creation order; the device reset and the DirectDraw restore walk it.
extern std::vector<Font*>& FontList;

// Bytes up to the first '\n' or the end.
int StrLineLen(const char* text);

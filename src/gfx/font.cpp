#include "gfx/font.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <string>

#include "base/format.h"
#include "base/globals.h"
#include "base/log.h"
#include "base/sjis.h"
#include "gfx/batch.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/fill.h"
#include "gfx/palette.h"
#include "gfx/window_frame.h"
#include "platform/ddraw.h"

// Never destroyed: the fonts leave it in their destructors, whatever the order in which the
// program's globals go.
std::vector<Font*>& FontList = *new std::vector<Font*>;

const char* const FullCacheChars =
    "０１２３４５６７８９ー～、。．！？「」（）・…※→↑↓←＋－＝○●×ＡＢＣＤＥＦＧＨＩＪＫＬＭＮＯＰＱ"
    "ＲＳＴ"
    "ＵＶＷＸＹＺａｂｃｄｅｆｇｈｉｊｋｌｍｎｏｐｑｒｓｔｕｖｗｘｙｚあいうえおかきくけこさしすせそ"
    "たちつてと"
    "なにぬねのはひふへほまみむめもやゆよらりるれろわをんがぎぐげござじずぜぞだぢづでどばびぶべぼぱ"
    "ぴぷぺぽ"
    "ぁぃぅぇぉっゃゅょアイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨ"
    "ラリルレロ"
    "ワヲンガギグゲゴザジズゼゾダヂヅデトバビブベボヴパピプペポァィゥェォッャュョ□■☆★％＆＜＞：";

namespace {

constexpr int kCentred = 10000;
constexpr std::uint32_t kKeyed = 1;

template <class T>
void ReleaseInterface(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

plat::IDirectDrawSurface7* DirectDrawSurface(DDSURFACEDATA* sd) {
    return sd && sd->lpDS ? sd->lpDS->lpDDSurface : nullptr;
}

bool HasSurface(const DDSURFACEDATA* sd) {
    return sd && ((sd->lpDT && sd->lpDT->lpTexture) || (sd->lpDS && sd->lpDS->lpDDSurface));
}

// The text colour of a palette number in the back end in use.
std::uint32_t TextColor(int index) {
    const plat::PALETTEENTRY& e = Palette[std::clamp(index, 0, 255)];
    if (lpDTCon)
        return 0xFF000000u | std::uint32_t{e.peRed} << 16 | std::uint32_t{e.peGreen} << 8 |
               e.peBlue;
    if (nBpp == 8) return plat::PALETTEINDEX(static_cast<std::uint16_t>(std::clamp(index, 0, 255)));
    if (nBpp == 16) {
        // The 16-bit palette holds channel units.
        auto expand = [](int v, int max) {
            return static_cast<std::uint8_t>(max > 0 ? std::min(v, max) * 255 / max : v);
        };
        return plat::RGB(expand(e.peRed, PixFmt.nMaxR), expand(e.peGreen, PixFmt.nMaxG),
                         expand(e.peBlue, PixFmt.nMaxB));
    }
    return plat::RGB(e.peRed, e.peGreen, e.peBlue);
}

// Formats into a buffer of `size` bytes, cut on a Shift-JIS character boundary.
const char* FormatInto(std::string& text, std::size_t size, const char* format, std::va_list args) {
    FormatStringV(text, format ? format : "", args);
    CutSjis(text, size - 1);
    return text.c_str();
}

// The device context of a DirectDraw surface with the font's face and colour selected.
class ScopedDC {
public:
    ScopedDC(DDSURFACEDATA* sd, plat::HFONT font, std::uint32_t color) {
        surface_ = DirectDrawSurface(sd);
        if (!surface_ || plat::FAILED(surface_->GetDC(&dc_))) {
            dc_ = nullptr;
            return;
        }
        old_ = plat::SelectObject(dc_, font);
        plat::SetBkMode(dc_, plat::TRANSPARENT);
        plat::SetTextColor(dc_, color);
    }
    ~ScopedDC() {
        if (!dc_) return;
        plat::SelectObject(dc_, old_);
        surface_->ReleaseDC(dc_);
    }
    plat::HDC Get() const { return dc_; }

private:
    plat::IDirectDrawSurface7* surface_ = nullptr;
    plat::HDC dc_ = nullptr;
    plat::HFONT old_ = nullptr;
};

}  // namespace

int StrLineLen(const char* text) {
    if (!text) return 0;
    const char* end = std::strchr(text, '\n');
    return static_cast<int>(end ? end - text : std::strlen(text));
}

Font::~Font() {
    Release();
}

void Font::DeleteCaches() {
    m_lpFastFont_Half.reset();
    m_lpFastFont_FullAdd.reset();
}

void Font::Release() {
    ReleaseInterface(lpFont);
    ReleaseInterface(lpSprite);
    if (hFont) {
        plat::DeleteObject(hFont);
        hFont = nullptr;
    }
    DeleteCaches();
    DDReleaseSurface(&Work);
    FontList.erase(std::remove(FontList.begin(), FontList.end(), this), FontList.end());
}

void Font::Create(const char* face, int width, int height, int pitch, int lineHeight,
                  int colorIndex, DDSURFACEDATA* windowSD, int frameWidth, int frameColor,
                  DDSURFACEDATA* iconSD, int cache) {
    const char* name = face ? face : "";
    faceName_.assign(name, name + std::strlen(name) + 1);
    lpszFaceName = faceName_.data();
    nWidth = width;
    nHeight = height;
    nPitch = pitch;
    nLineHeight = lineHeight;
    nColorIndex = colorIndex;
    lpWindowSD = windowSD;
    nFrameWidth = frameWidth;
    dwFrameColor = frameColor;
    lpIconSD = iconSD;
    bIcons = iconSD ? 1 : 0;
    bCache = cache;
    if (nBpp != 0) dwColor = TextColor(colorIndex);

    if (lpDTCon) {
        ReleaseInterface(lpFont);
        ReleaseInterface(lpSprite);
        plat::D3DXFONT_DESCA desc;
        desc.Height = height;
        desc.Weight = plat::FW_NORMAL;
        desc.CharSet = static_cast<plat::BYTE>(plat::SHIFTJIS_CHARSET);
        std::strncpy(desc.FaceName, name, sizeof desc.FaceName - 1);
        if (plat::FAILED(plat::D3DXCreateFontIndirectA(lpDevice, &desc, &lpFont)))
            ReportLog("D3DXCreateFontIndirect Err");
        if (plat::FAILED(plat::D3DXCreateSprite(lpDevice, &lpSprite)))
            ReportLog("D3DXCreateSprite Err");
        if (!Work.lpDT || !Work.lpDT->lpTexture)
            DDCreateSurface(&Work, BackBuffer.nWidth, BackBuffer.nHeight, 1, 0, 0, nullptr, 0);
    } else if (lpDDCon) {
        if (hFont) plat::DeleteObject(hFont);
        hFont = plat::CreateFontA(height, width, 0, 0, plat::FW_NORMAL, 0, 0, 0,
                                  plat::SHIFTJIS_CHARSET, 0, 0, 0, 0, name);
        if (!DirectDrawSurface(&Work) &&
            !DDCreateSurface(&Work, BackBuffer.nWidth, BackBuffer.nHeight, 1, 0, 0, nullptr, 0)) {
            ErrorLogAndClose(hWndMain, "DDCreateSurface Font::Work");
            return;
        }
    }
    int* count = lpDTCon ? &lpDTCon->nFontCount : lpDDCon ? &lpDDCon->nFontCount : nullptr;
    if (count) nID = (*count)++;
    if (std::find(FontList.begin(), FontList.end(), this) == FontList.end())
        FontList.push_back(this);

    if (bCache == 0) {
        DeleteCaches();
        return;
    }
    if (nPitch == 0 || nLineHeight == 0) {
        ErrorLog("※フォントクラスで文字間が未設定！");
        DeleteCaches();
        return;
    }
    DeleteCaches();
    if (nPitch < 0 || nLineHeight < 0) {
        ErrorLogAndClose(hWndMain, "m_lpFastFont_Half Err");
        return;
    }
    m_lpFastFont_Half = std::make_unique<cFastFont>();
    if (!m_lpFastFont_Half->Create(0, nPitch, nLineHeight, 16, 16)) {
        ErrorLogAndClose(hWndMain, "m_lpFastFont_Half Err");
        DeleteCaches();
        return;
    }
    int columns, rows;
    if (lpDTCon) {
        columns = std::min(1024 / nPitch, 32);
        rows = std::min(1024 / nLineHeight, 32);
    } else {
        columns = std::min(BackBuffer.nWidth / nPitch, 32);
        rows = std::min(BackBuffer.nHeight / nLineHeight, 30);
    }
    m_lpFastFont_FullAdd = std::make_unique<cFastFont>();
    if (!m_lpFastFont_FullAdd->Create(1, nPitch, nLineHeight, columns, rows)) {
        ErrorLogAndClose(hWndMain, "m_lpFastFont_FullAdd Err");
        DeleteCaches();
        return;
    }
    MakeHalfCache();
    MakeFullCache(0);
}

// ---------------------------------------------------------------- caches

void Font::MakeHalfCache(int) {
    if (!m_lpFastFont_Half) return;
    std::string text;
    text.reserve(16 * 17);
    for (int j = 0; j < 16; ++j) {
        if (j > 0)
            for (int k = 0; k < 16; ++k) text += static_cast<char>(16 * j + k);
        text += '\n';
    }
    DDSURFACEDATA* sd = &m_lpFastFont_Half->SD;
    DDFillSurface(sd, 0);
    const int icons = bIcons, cache = bCache;
    bIcons = 0;
    bCache = 0;
    Draw(sd, 0, 0, text.c_str(), 0);
    bIcons = icons;
    bCache = cache;
}

void Font::MakeFullCache(int bRestore) {
    cFastFont* full = m_lpFastFont_FullAdd.get();
    if (!full) return;
    std::string chars;
    if (bRestore != 0) {
        for (const cFastFont::Entry& e : full->list) chars.append(e.szCode, 2);
    } else {
        const char* p = FullCacheChars;
        while (p[0] != '\0' && p[1] != '\0') {
            if (!full->Add(p)) break;
            chars.append(p, 2);
            p += 2;
        }
    }
    std::string text;
    for (std::size_t i = 0; i < chars.size(); i += 2) {
        if (i > 0 && (i / 2) % static_cast<std::size_t>(full->nColumns) == 0) text += '\n';
        text.append(chars, i, 2);
    }
    DDFillSurface(&full->SD, 0);
    const int icons = bIcons, cache = bCache;
    bIcons = 0;
    bCache = 0;
    Draw(&full->SD, 0, 0, text.c_str(), 0);
    bIcons = icons;
    bCache = cache;
}

bool Font::AddToCache(const char* bytes) {
    cFastFont* full = m_lpFastFont_FullAdd.get();
    if (!full->Add(bytes)) return false;
    const cFastFont::Entry& e = full->list.back();
    // The glyph always goes into its cell of the cache surface (a render target in
    // Direct3D), whatever the text is being drawn into.
    if (lpDTCon) {
        DrawGlyphs(&full->SD, nullptr, e.x, e.y, bytes, 2);
    } else {
        ScopedDC dc(&full->SD, hFont, dwColor);
        if (dc.Get()) DrawGlyphs(&full->SD, dc.Get(), e.x, e.y, bytes, 2);
    }
    return true;
}

void Font::Restore() {
    if (lpDTCon) {
        // The reset dropped what the font and the sprite held on the device.
        if (lpFont) lpFont->OnResetDevice();
        if (lpSprite) lpSprite->OnResetDevice();
        if (m_lpFastFont_Half && m_lpFastFont_Half->SD.bLost) {
            MakeHalfCache();
            m_lpFastFont_Half->SD.bLost = 0;
        }
        if (m_lpFastFont_FullAdd && m_lpFastFont_FullAdd->SD.bLost) {
            MakeFullCache(1);
            m_lpFastFont_FullAdd->SD.bLost = 0;
        }
        return;
    }
    if (plat::IDirectDrawSurface7* work = DirectDrawSurface(&Work);
        work && work->IsLost() == plat::DDERR_SURFACELOST)
        work->Restore();
    if (m_lpFastFont_Half) {
        if (plat::IDirectDrawSurface7* s = DirectDrawSurface(&m_lpFastFont_Half->SD)) {
            if (s->IsLost() == plat::DDERR_SURFACELOST) s->Restore();
            MakeHalfCache();
        }
    }
    if (m_lpFastFont_FullAdd) {
        if (plat::IDirectDrawSurface7* s = DirectDrawSurface(&m_lpFastFont_FullAdd->SD)) {
            if (s->IsLost() == plat::DDERR_SURFACELOST) s->Restore();
            MakeFullCache(1);
        }
    }
}

// ---------------------------------------------------------------- measuring

plat::SIZE Font::GetTextSize(const char* text) const {
    plat::SIZE size;
    if (!text) return size;
    long long widest = 0, count = 0, lines = 1;
    for (const char* p = text; *p != '\0';) {
        if (*p == '\n') {
            widest = std::max(widest, count);
            count = 0;
            ++lines;
            ++p;
        } else {
            p += IsSjisDoubleByte(p) ? 2 : 1;
            ++count;
        }
    }
    widest = std::max(widest, count);
    const long long cx = widest * nPitch, cy = lines * nLineHeight;
    size.cx = static_cast<plat::LONG>(std::clamp<long long>(cx, INT32_MIN, INT32_MAX));
    size.cy = static_cast<plat::LONG>(std::clamp<long long>(cy, INT32_MIN, INT32_MAX));
    return size;
}

void Font::GetTextExtent(plat::SIZE* out, plat::HDC dc, const char* text) {
    if (!out) return;
    *out = plat::SIZE{};
    if (!text) return;
    long long widest = 0, lines = 0;
    const char* p = text;
    while (true) {
        const int n = StrLineLen(p);
        long long width = 0;
        if (lpDTCon) {
            // Direct3D has no GDI font: the face that draws measures.
            if (lpFont) {
                plat::RECT r{};
                lpFont->DrawTextA(lpSprite, p, n, &r, plat::DT_CALCRECT | plat::DT_SINGLELINE,
                                  dwColor);
                width = r.right - r.left;
            }
        } else if (dc) {
            plat::HFONT old = plat::SelectObject(dc, hFont);
            plat::SIZE s;
            plat::GetTextExtentPoint32A(dc, p, n, &s);
            plat::SelectObject(dc, old);
            width = s.cx;
        }
        widest = std::max(widest, width);
        ++lines;
        if (p[n] == '\0') break;
        p += n + 1;
    }
    out->cx = static_cast<plat::LONG>(std::min<long long>(widest, INT32_MAX));
    out->cy =
        static_cast<plat::LONG>(std::clamp<long long>(lines * nLineHeight, INT32_MIN, INT32_MAX));
}

plat::SIZE Font::Measure(const char* text, DDSURFACEDATA* lpOn) {
    if (nPitch != 0) return GetTextSize(text);
    plat::SIZE size;
    if (lpDTCon) {
        GetTextExtent(&size, nullptr, text);
    } else {
        ScopedDC dc(lpOn, hFont, dwColor);
        if (dc.Get()) {
            GetTextExtent(&size, dc.Get(), text);
        } else {
            // A surface without a DC (lost, or busy): measured on a context of no surface.
            plat::DeviceContext none(nullptr, nullptr);
            GetTextExtent(&size, &none, text);
        }
    }
    return size;
}

// ---------------------------------------------------------------- drawing

bool Font::IconsOn(int bNoIcons) const {
    return bIcons != 0 && bNoIcons == 0;
}

int Font::Draw(DDSURFACEDATA* lpDst, int x, int y, const char* text, int bNoIcons) {
    if (!lpDst || !text) return 0;
    if (lpDTCon) return DrawD3D(lpDst, x, y, text, IconsOn(bNoIcons));
    if (lpDDCon) return DrawDD(lpDst, x, y, text, IconsOn(bNoIcons));
    return 0;
}

int Font::DrawDD(DDSURFACEDATA* lpDst, int x, int y, const char* text, bool icons) {
    if (!DirectDrawSurface(&Work)) return 0;
    const plat::SIZE size = Measure(text, &Work);
    DDFillRect(&Work, 0, 0, size.cx, size.cy, 0);
    {
        ScopedDC dc(&Work, hFont, dwColor);
        if (!dc.Get()) return 0;
        DrawLines(&Work, dc.Get(), 0, 0, lpDst, x, y, text);
    }
    DDBltRect(lpDst, x, y, size.cx, size.cy, &Work, 0, 0, kKeyed);
    if (icons) DrawLetterIcons(lpDst, x, y, text);
    return 1;
}

int Font::DrawD3D(DDSURFACEDATA* lpDst, int x, int y, const char* text, bool icons) {
    DDSURFACEDATA* dst = lpDst;
    DDGetShareSD(&dst);
    D3DRedirectBackBuffer(&dst);
    if (!dst || !dst->lpDT || !lpFont || !lpSprite) return 0;
    const bool caches = Caches();
    if (dst->lpDT->nMemoryType != DTMEMORYTYPE_VIDEO_RT) {
        // Not a render target: the text is made in the work surface and copied.
        if (!Work.lpDT || !Work.lpDT->lpTexture) return 0;
        const plat::SIZE size = Measure(text, &Work);
        DDFillRect(&Work, 0, 0, size.cx, size.cy, 0);
        if (!caches) {
            D3DBeginScene();
            D3DSetRenderTarget(0, &Work);
            lpSprite->Begin(plat::D3DXSPRITE_ALPHABLEND | plat::D3DXSPRITE_SORT_TEXTURE);
        }
        DrawLines(&Work, nullptr, 0, 0, dst, x, y, text);
        if (!caches) lpSprite->End();
        if (icons) DrawLetterIcons(&Work, 0, 0, text);
        D3DSetRenderTarget(0, lpDTCon->lpScreenSD);
        DDBltRect(dst, x, y, size.cx, size.cy, &Work, 0, 0, kKeyed);
        return 1;
    }
    if (!caches) {
        D3DBeginScene();
        D3DSetRenderTarget(0, dst);
        lpSprite->Begin(plat::D3DXSPRITE_ALPHABLEND | plat::D3DXSPRITE_SORT_TEXTURE);
    }
    DrawLines(dst, nullptr, x, y, dst, x, y, text);
    if (!caches) lpSprite->End();
    if (icons) DrawLetterIcons(dst, x, y, text);
    D3DSetRenderTarget(0, lpDTCon->lpScreenSD);
    return 1;
}

void Font::DrawLines(DDSURFACEDATA* target, plat::HDC dc, int x0, int y0, DDSURFACEDATA* lpFinal,
                     int fx, int fy, const char* text) {
    DDBeginSpriteBatch(1);
    if (nPitch != 0) {
        const bool caches = Caches() && lpFinal;
        // Letters are the icons' cells whenever the font has icons: with bNoIcons nothing is
        // drawn for them, and the cursor still moves.
        const bool iconCells = bIcons != 0 && HasSurface(lpIconSD);
        int dx = 0, dy = 0;
        for (const char* p = text; *p != '\0';) {
            const unsigned char c = static_cast<unsigned char>(*p);
            if (IsSjisDoubleByte(p)) {
                const bool space = c == 0x81 && static_cast<unsigned char>(p[1]) == 0x40;
                if (!space) {
                    if (!caches) {
                        DrawGlyphs(target, dc, x0 + dx, y0 + dy, p, 2);
                    } else if (!m_lpFastFont_FullAdd->DrawFull(lpFinal, fx + dx, fy + dy, p,
                                                               kKeyed)) {
                        if (AddToCache(p))
                            m_lpFastFont_FullAdd->DrawFull(lpFinal, fx + dx, fy + dy, p, kKeyed);
                        else
                            DrawGlyphs(target, dc, x0 + dx, y0 + dy, p, 2);
                    }
                }
                dx += nPitch;
                p += 2;
                continue;
            }
            if (c == '\n') {
                dx = 0;
                dy += nLineHeight;
            } else if (c == ' ' || (c >= 'a' && c <= 'z' && iconCells)) {
                dx += nPitch;
            } else {
                if (caches)
                    m_lpFastFont_Half->DrawHalf(lpFinal, fx + dx, fy + dy, c, kKeyed);
                else
                    DrawGlyphs(target, dc, x0 + dx, y0 + dy, p, 1);
                dx += nPitch;
            }
            ++p;
        }
    } else {
        int y = y0;
        for (const char* p = text;;) {
            const int n = StrLineLen(p);
            if (lpDTCon) {
                plat::RECT r{x0, y, x0, y};
                if (lpFont) lpFont->DrawTextA(lpSprite, p, n, &r, plat::DT_NOCLIP, dwColor);
            } else if (dc) {
                plat::TextOutA(dc, x0, y, p, n);
            }
            y += nLineHeight;
            if (p[n] == '\0') break;
            p += n + 1;
        }
    }
    DDEndSpriteBatch();
}

void Font::DrawGlyphs(DDSURFACEDATA* target, plat::HDC dc, int x, int y, const char* bytes, int n) {
    int px, py;
    if (bCentre != 0) {
        int gw = 0, gh = 0;
        if (lpDTCon) {
            plat::RECT r{};
            if (lpFont)
                lpFont->DrawTextA(lpSprite, bytes, n, &r, plat::DT_CALCRECT | plat::DT_SINGLELINE,
                                  dwColor);
            gw = r.right - r.left;
            gh = r.bottom - r.top;
        } else if (dc) {
            plat::SIZE s;
            plat::GetTextExtentPoint32A(dc, bytes, n, &s);
            gw = s.cx;
            gh = s.cy;
        }
        px = x + (nPitch >> 1) - (gw >> 1);
        py = y + (nLineHeight >> 1) - (gh >> 1);
    } else if (n == 1) {
        px = x + (nPitch >> 3);
        py = y + (nLineHeight >> 4) - 1;
    } else {
        px = x;
        py = y;
    }
    // Ink stays inside the glyph's cell, as a cache cell keeps it: cached and direct text
    // look the same.
    const plat::RECT cell{x, y, x + nPitch, y + nLineHeight};
    if (!lpDTCon) {
        if (dc) plat::ExtTextOutA(dc, px, py, plat::ETO_CLIPPED, &cell, bytes, n, nullptr);
        return;
    }
    if (!lpFont) return;
    const bool wrap = Caches();
    if (wrap) {
        D3DBeginScene();
        D3DSetRenderTarget(0, target);
        if (lpSprite) lpSprite->Begin(plat::D3DXSPRITE_ALPHABLEND | plat::D3DXSPRITE_SORT_TEXTURE);
    }
    lpFont->DrawTextClipped(lpSprite, bytes, n, px, py, cell, dwColor);
    if (wrap) {
        if (lpSprite) lpSprite->End();
        D3DSetRenderTarget(0, lpDTCon->lpScreenSD);
    }
}

void Font::DrawLetterIcons(DDSURFACEDATA* lpDst, int x, int y, const char* text) {
    if (!bIcons || !HasSurface(lpIconSD) || nPitch == 0) return;
    DDBeginSpriteBatch(0);
    int dx = 0, dy = 0;
    for (const char* p = text; *p != '\0';) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (IsSjisDoubleByte(p)) {
            dx += nPitch;
            p += 2;
            continue;
        }
        if (c == '\n') {
            dx = 0;
            dy += nLineHeight;
        } else {
            if (c >= 'a' && c <= 'z')
                DDBltRect(lpDst, x + dx, y + dy, nPitch, nLineHeight, lpIconSD, nPitch * (c - 'a'),
                          0, kKeyed);
            dx += nPitch;
        }
        ++p;
    }
    DDEndSpriteBatch();
}

int Font::DrawF(DDSURFACEDATA* lpDst, int x, int y, const char* format, ...) {
    thread_local std::string text;
    std::va_list args;
    va_start(args, format);
    const char* s = FormatInto(text, 256, format, args);
    va_end(args);
    return Draw(lpDst, x, y, s, 0);
}

void Font::DrawWindow(DDSURFACEDATA* lpDst, int x, int y, int w, int h) {
    if (!lpWindowSD) return;
    if (x == kCentred) x = (lpWindowSD->nWidth >> 1) - (w >> 1);
    if (y == kCentred) y = (lpWindowSD->nHeight >> 1) - (h >> 1);
    DDDrawWindow(lpDst, x, y, w, h, lpWindowSD, nFrameWidth,
                 static_cast<std::uint32_t>(dwFrameColor));
}

int Font::DrawInWindow(DDSURFACEDATA* lpDst, int x, int y, int w, int h, const char* text,
                       int nMargin) {
    if (!lpDst || !text) return 0;
    if (w == 0 || h == 0) {
        const plat::SIZE size = Measure(text, lpDTCon ? nullptr : &Work);
        if (w == 0) w = nMargin + size.cx;
        if (h == 0) h = size.cy;
    }
    if (lpWindowSD) {
        if (x == kCentred) x = (lpWindowSD->nWidth >> 1) - (w >> 1);
        if (y == kCentred) y = (lpWindowSD->nHeight >> 1) - (h >> 1);
        DDDrawWindow(lpDst, x, y, w, h, lpWindowSD, nFrameWidth,
                     static_cast<std::uint32_t>(dwFrameColor));
    }
    return Draw(lpDst, x + nMargin, y, text, 0);
}

int Font::DrawWindowF(DDSURFACEDATA* lpDst, int x, int y, int w, int h, const char* format, ...) {
    thread_local std::string text;
    std::va_list args;
    va_start(args, format);
    const char* s = FormatInto(text, 1024, format, args);
    va_end(args);
    return DrawInWindow(lpDst, x, y, w, h, s, 0);
}

int Font::DrawWrap(DDSURFACEDATA* lpDst, int x, int y, const char* text) {
    return DrawInWindow(lpDst, x, y, 0, 0, text, 0);
}

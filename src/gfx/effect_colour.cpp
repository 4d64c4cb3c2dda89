#include "gfx/effect_colour.h"

#include <algorithm>

#include "base/log.h"
#include "gfx/batch.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/effect_pixels.h"
#include "gfx/effect_quad.h"
#include "gfx/hbt_table.h"
#include "platform/d3d9.h"
#include "platform/trunc.h"

namespace {

using i64 = long long;

// The pixels (j, i) of a w x h rectangle that lie inside both the destination (at x, y) and
// the source (at sx, sy).
struct Overlap {
    i64 j0, j1, i0, i1;
};
Overlap Overlapping(const EFFECTPIXELS& d, const EFFECTPIXELS& s, i64 x, i64 y, i64 w, i64 h,
                    i64 sx, i64 sy) {
    return Overlap{std::max<i64>({0, -x, -sx}), std::min<i64>({w, d.width - x, s.width - sx}),
                   std::max<i64>({0, -y, -sy}), std::min<i64>({h, d.height - y, s.height - sy})};
}

// The transparent-pixel test of the software paths' mode 1.
bool Transparent(std::uint32_t p, int bpp) {
    if (lpDTCon) return bpp == 32 ? (p >> 24) == 0 : (p & 0xA000) == 0;
    return p == dwColorKey;
}

// Runs `mix(dst, src)` over the overlap at one depth (16- or 32-bit pixels, or bytes).
template <class Pixel, class Mix>
void ForEachPixel(const cEffectLocks& l, const Overlap& o, i64 x, i64 y, i64 sx, i64 sy, bool skip,
                  int bpp, Mix mix) {
    for (i64 i = o.i0; i < o.i1; ++i) {
        Pixel* out = l.dst.Row<Pixel>(static_cast<int>(y + i)) + x;
        const Pixel* in = l.src.Row<Pixel>(static_cast<int>(sy + i)) + sx;
        for (i64 j = o.j0; j < o.j1; ++j) {
            if (skip && Transparent(in[j], bpp)) continue;
            out[j] = mix(out[j], in[j]);
        }
    }
}

// ---- flash

// The 8-bit half-mix with a colour, n times over: the walk through the table repeats within
// 256 steps, so any count is reached by stepping into the cycle and taking the rest modulo
// its length.
void FlashIndexTable(int colour, long long n, std::uint8_t* out) {
    if (n <= 256) {  // the levels the editor gives: walk them
        for (int p = 0; p < 256; ++p) {
            int v = p;
            for (long long k = 0; k < n; ++k) v = HbtTable[v * 256 + colour];
            out[p] = static_cast<std::uint8_t>(v);
        }
        return;
    }
    for (int p = 0; p < 256; ++p) {
        int seen[256];
        std::fill(seen, seen + 256, -1);
        int v = p;
        long long step = 0;
        while (step < n && seen[v] < 0) {
            seen[v] = static_cast<int>(step);
            v = HbtTable[v * 256 + colour];
            ++step;
        }
        if (step < n) {
            const long long cycle = step - seen[v];
            for (long long k = (n - step) % cycle; k > 0; --k) v = HbtTable[v * 256 + colour];
        }
        out[p] = static_cast<std::uint8_t>(v);
    }
}

// A channel half-mixed with c n times; it settles within 9 mixes.
unsigned HalfMixes(unsigned ch, unsigned c, int n) {
    for (int k = std::min(n, 16); k > 0; --k) ch = (ch + c) >> 1;
    return ch;
}

bool SoftwareFlash(DDSURFACEDATA* lpDst, int x, int y, int w, int h, DDSURFACEDATA* lpSrc, int sx,
                   int sy, int nMode, const plat::PALETTEENTRY& colour, int nPalNum, int nLevel) {
    cEffectLocks l;
    if (!l.Lock(lpDst, lpSrc)) return false;
    const int bpp = l.Bpp();
    const Overlap o = Overlapping(l.dst, l.src, x, y, w, h, sx, sy);
    if (o.j0 >= o.j1 || o.i0 >= o.i1) return true;
    const bool skip = nMode == 1;
    if (lpDTCon) {
        const int a = nLevel == 1   ? 128
                      : nLevel == 2 ? 64
                      : nLevel == 3 ? 32
                      : nLevel == 4 ? 16
                                    : 0;
        const float alpha = static_cast<float>(a) * 0.003921568859368563f;
        auto mix = [&](unsigned s, unsigned c) -> unsigned {
            if (nLevel == 1) return (s + c) >> 1;
            return static_cast<unsigned>(plat::TruncToInt(static_cast<double>(
                alpha * static_cast<float>(s) + (1.0f - alpha) * static_cast<float>(c))));
        };
        if (bpp == 32) {
            ForEachPixel<std::uint32_t>(
                l, o, x, y, sx, sy, skip, bpp, [&](std::uint32_t, std::uint32_t s) {
                    return 0xFF000000u | mix((s >> 16) & 0xFF, colour.peRed) << 16 |
                           mix((s >> 8) & 0xFF, colour.peGreen) << 8 | mix(s & 0xFF, colour.peBlue);
                });
        } else if (bpp == 16) {
            const unsigned cr = colour.peRed * static_cast<unsigned>(PixFmt.nMaxR) / 255,
                           cg = colour.peGreen * static_cast<unsigned>(PixFmt.nMaxG) / 255,
                           cb = colour.peBlue * static_cast<unsigned>(PixFmt.nMaxB) / 255;
            const bool back = l.FullScreenBack();
            ForEachPixel<std::uint16_t>(
                l, o, x, y, sx, sy, skip, bpp, [&](std::uint16_t, std::uint16_t p) {
                    const EFFECTCHANNELS s = SplitPixel(p, PixFmt);
                    if (!back) return ComposeTexturePixel(mix(s.r, cr), mix(s.g, cg), mix(s.b, cb));
                    if (nLevel == 1)  // the green of the back buffer's 6 bits: the sum, unhalved
                        return static_cast<std::uint16_t>(mix(s.r, cr) << PixFmtBack.nShiftR |
                                                          (s.g + cg) << PixFmtBack.nShiftG |
                                                          mix(s.b, cb) << PixFmtBack.nShiftB);
                    return ComposeBackPixel(mix(s.r, cr), mix(s.g, cg), mix(s.b, cb));
                });
        }
        return true;
    }
    // DirectDraw: nLevel half-mixes toward the colour; a negative level copies the source.
    const int n = std::max(nLevel, 0);
    if (bpp == 8) {
        std::uint8_t table[256];
        FlashIndexTable(nPalNum & 0xFF, n, table);
        ForEachPixel<std::uint8_t>(l, o, x, y, sx, sy, skip, bpp,
                                   [&](std::uint8_t, std::uint8_t s) { return table[s]; });
    } else if (bpp == 16) {
        const unsigned mr = static_cast<unsigned>(PixFmt.nMaxR),
                       mg = static_cast<unsigned>(PixFmt.nMaxG),
                       mb = static_cast<unsigned>(PixFmt.nMaxB);
        const unsigned cr = colour.peRed * 255u / mr, cg = colour.peGreen * 255u / mg,
                       cb = colour.peBlue * 255u / mb;
        ForEachPixel<std::uint16_t>(
            l, o, x, y, sx, sy, skip, bpp, [&](std::uint16_t, std::uint16_t p) {
                const EFFECTCHANNELS s = SplitPixel(p, PixFmt);
                const unsigned r = HalfMixes(s.r * 255 / mr, cr, n) * mr / 255,
                               g = HalfMixes(s.g * 255 / mg, cg, n) * mg / 255,
                               b = HalfMixes(s.b * 255 / mb, cb, n) * mb / 255;
                return static_cast<std::uint16_t>(r << PixFmt.nShiftR | g << PixFmt.nShiftG |
                                                  b << PixFmt.nShiftB);
            });
    } else if (bpp == 32) {
        ForEachPixel<std::uint32_t>(
            l, o, x, y, sx, sy, skip, bpp, [&](std::uint32_t d, std::uint32_t s) {
                return (d & 0xFF000000u) | HalfMixes((s >> 16) & 0xFF, colour.peRed, n) << 16 |
                       HalfMixes((s >> 8) & 0xFF, colour.peGreen, n) << 8 |
                       HalfMixes(s & 0xFF, colour.peBlue, n);
            });
    }
    return true;
}

// ---- translucency

bool SoftwareTrans(DDSURFACEDATA* lpDst, int x, int y, int w, int h, DDSURFACEDATA* lpSrc, int sx,
                   int sy, int nMode, const std::uint8_t* lpTable) {
    cEffectLocks l;
    if (!l.Lock(lpDst, lpSrc)) return false;
    const int bpp = l.Bpp();
    const Overlap o = Overlapping(l.dst, l.src, x, y, w, h, sx, sy);
    if (o.j0 >= o.j1 || o.i0 >= o.i1) return true;
    const bool skip = nMode == 1;
    if (lpDTCon) {
        if (bpp == 32) {
            ForEachPixel<std::uint32_t>(
                l, o, x, y, sx, sy, skip, bpp, [](std::uint32_t d, std::uint32_t s) {
                    std::uint32_t out = 0xFF000000u;
                    for (int shift = 0; shift < 24; shift += 8)
                        out |= ((((s >> shift) & 0xFF) + ((d >> shift) & 0xFF)) >> 1) << shift;
                    return out;
                });
        } else if (bpp == 16) {
            const bool back = l.FullScreenBack();
            ForEachPixel<std::uint16_t>(
                l, o, x, y, sx, sy, skip, bpp, [&](std::uint16_t dp, std::uint16_t sp) {
                    const EFFECTCHANNELS s = SplitPixel(sp, PixFmt);
                    if (back) {
                        const EFFECTCHANNELS d = SplitPixel(dp, PixFmtBack);
                        return static_cast<std::uint16_t>(((s.r + d.r) >> 1) << PixFmtBack.nShiftR |
                                                          ((2 * s.g + d.g) >> 1)
                                                              << PixFmtBack.nShiftG |
                                                          ((s.b + d.b) >> 1) << PixFmtBack.nShiftB);
                    }
                    const EFFECTCHANNELS d = SplitPixel(dp, PixFmt);
                    return ComposeTexturePixel((s.r + d.r) >> 1, (s.g + d.g) >> 1,
                                               (s.b + d.b) >> 1);
                });
        }
        return true;
    }
    if (bpp == 8) {
        const std::uint8_t* table = lpTable ? lpTable : HbtTable;
        // Index 0 is the empty (transparent) index here, in the destination and in mode 1.
        for (i64 i = o.i0; i < o.i1; ++i) {
            std::uint8_t* out = l.dst.Row<std::uint8_t>(static_cast<int>(y + i)) + x;
            const std::uint8_t* in = l.src.Row<std::uint8_t>(static_cast<int>(sy + i)) + sx;
            for (i64 j = o.j0; j < o.j1; ++j) {
                const std::uint8_t s = in[j], d = out[j];
                if (skip && s == 0) continue;
                out[j] = d != 0 ? table[s + d * 256] : s;
            }
        }
    } else if (bpp == 16) {
        const unsigned mr = static_cast<unsigned>(PixFmt.nMaxR),
                       mg = static_cast<unsigned>(PixFmt.nMaxG),
                       mb = static_cast<unsigned>(PixFmt.nMaxB);
        ForEachPixel<std::uint16_t>(
            l, o, x, y, sx, sy, skip, bpp, [&](std::uint16_t dp, std::uint16_t sp) {
                if (dp == dwColorKey) return sp;
                const EFFECTCHANNELS s = SplitPixel(sp, PixFmt), d = SplitPixel(dp, PixFmt);
                auto half = [](unsigned a, unsigned b, unsigned m) {
                    return ((a * 255 / m + b * 255 / m) >> 1) * m / 255;
                };
                return static_cast<std::uint16_t>(half(s.r, d.r, mr) << PixFmt.nShiftR |
                                                  half(s.g, d.g, mg) << PixFmt.nShiftG |
                                                  half(s.b, d.b, mb) << PixFmt.nShiftB);
            });
    } else if (bpp == 32) {
        ForEachPixel<std::uint32_t>(
            l, o, x, y, sx, sy, skip, bpp, [](std::uint32_t d, std::uint32_t s) {
                if (d == dwColorKey) return s;
                std::uint32_t out = d & 0xFF000000u;
                for (int shift = 0; shift < 24; shift += 8)
                    out |= ((((s >> shift) & 0xFF) + ((d >> shift) & 0xFF)) >> 1) << shift;
                return out;
            });
    }
    return true;
}

void ResetAlphaStage() {
    lpDevice->SetTextureStageState(0, plat::D3DTSS_ALPHAOP, plat::D3DTOP_SELECTARG1);
    lpDevice->SetTextureStageState(0, plat::D3DTSS_ALPHAARG1, plat::D3DTA_TEXTURE);
}

}  // namespace

bool DDBltFlash(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                DDSURFACEDATA* lpSrcSD, int sx, int sy, int nMode, const plat::PALETTEENTRY* lpPal,
                const std::uint8_t* /*lpTable: the 8-bit path reads HbtTable*/, int nPalNum,
                int nLevel) {
    if (!lpPal || (lpDTCon ? nLevel <= 0 : nLevel == 0)) return true;
    if (!lpDTCon && !lpDDCon) return true;
    const plat::PALETTEENTRY& colour = lpPal[nPalNum & 0xFF];
    DDSURFACEDATA *dst = lpDstSD, *src = lpSrcSD;
    if (lpDTCon && ResolveEffectSurfaces(&dst, &src)) {
        int ax = sx, ay = sy, aw = nWidth, ah = nHeight;
        DDAdjustMirrorRect(src, &ax, &ay, &aw, &ah);
        const std::uint32_t e = nLevel == 1   ? 128
                                : nLevel == 2 ? 80
                                : nLevel == 3 ? 48
                                : nLevel == 4 ? 16
                                              : 0;
        plat::D3DTLVERTEX v[4];
        EffectRectVertices(v, src, x, y, nWidth, nHeight, ax, ay, aw, ah, 0xFFFFFFFFu);
        DrawEffectQuad(dst, src, v, [&] {
            lpDevice->SetRenderState(plat::D3DRS_TEXTUREFACTOR,
                                     e << 24 | std::uint32_t{colour.peRed} << 16 |
                                         std::uint32_t{colour.peGreen} << 8 | colour.peBlue);
            lpDevice->SetTextureStageState(0, plat::D3DTSS_COLOROP, plat::D3DTOP_BLENDFACTORALPHA);
            lpDevice->SetTextureStageState(0, plat::D3DTSS_COLORARG1, plat::D3DTA_TEXTURE);
            lpDevice->SetTextureStageState(0, plat::D3DTSS_COLORARG2, plat::D3DTA_TFACTOR);
            ResetAlphaStage();
        });
        return true;
    }
    return SoftwareFlash(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, sx, sy, nMode, colour, nPalNum,
                         nLevel);
}

bool DDBltTrans(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                DDSURFACEDATA* lpSrcSD, int sx, int sy, int nMode, const std::uint8_t* lpTable,
                int nAlpha) {
    if (!lpDTCon && !lpDDCon) return true;
    DDSURFACEDATA *dst = lpDstSD, *src = lpSrcSD;
    if (lpDTCon && ResolveEffectSurfaces(&dst, &src)) {
        int ax = sx, ay = sy, aw = nWidth, ah = nHeight;
        DDAdjustMirrorRect(src, &ax, &ay, &aw, &ah);
        const std::uint32_t diffuse =
            (255u - static_cast<std::uint32_t>(nAlpha)) << 24 | 0x00FFFFFFu;
        plat::D3DTLVERTEX v[4];
        EffectRectVertices(v, src, x, y, nWidth, nHeight, ax, ay, aw, ah, diffuse);
        DrawEffectQuad(
            dst, src, v, [] { SetSpriteStageStates(plat::D3DTOP_MODULATE, plat::D3DTOP_MODULATE); },
            ResetAlphaStage);
        return true;
    }
    return SoftwareTrans(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, sx, sy, nMode, lpTable);
}

bool DDBltHalfTrans(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight,
                    DDSURFACEDATA* lpSrcSD, int sx, int sy, int nMode,
                    const std::uint8_t* lpTable) {
    return DDBltTrans(lpDstSD, x, y, nWidth, nHeight, lpSrcSD, sx, sy, nMode, lpTable, 128);
}

int DDChangeColor(DDSURFACEDATA* lpDstSD, int x, int y, int nWidth, int nHeight, int nAlpha,
                  std::uint8_t bRed, std::uint8_t bGreen, std::uint8_t bBlue) {
    return DDChangeColorEx(lpDstSD, x, y, nWidth, nHeight, lpDstSD, nAlpha, bRed, bGreen, bBlue);
}

int DDChangeColorEx(DDSURFACEDATA* lpDstSD, int /*x*/, int /*y*/, int /*nWidth*/, int /*nHeight*/,
                    DDSURFACEDATA* lpSrcSD, int nAlpha, std::uint8_t bRed, std::uint8_t bGreen,
                    std::uint8_t bBlue) {
    if (!lpDTCon) {
        ErrorLog(
            "DDrawでは DDChangeColor(DDSURFACEDATA *lpDstSD,int x,int y,int nWidth,int "
            "nHeight,int nAlpha,BYTE bRed,BYTE bGreen,BYTE bBlue) は未対応");
        return 1;
    }
    DDSURFACEDATA *dst = lpDstSD, *src = lpSrcSD;
    // The tint needs the device; a surface it cannot draw into stays as it is.
    if (!ResolveEffectSurfaces(&dst, &src)) return 1;
    const std::uint32_t diffuse = (255u - static_cast<std::uint32_t>(nAlpha)) << 24 |
                                  std::uint32_t{bRed} << 16 | std::uint32_t{bGreen} << 8 | bBlue;
    plat::D3DTLVERTEX v[4];
    // The quad always covers the whole destination, reading the source from its origin. A
    // pixel reads its own texel only, so a surface tinted by itself reads each pixel before
    // it is written.
    EffectRectVertices(v, src, 0, 0, dst->nWidth, dst->nHeight, 0, 0, src->nWidth, src->nHeight,
                       diffuse);
    // The real back buffer is no texture: a stage without one reads white, so the picture
    // gets the plain colour laid over it at the level.
    const bool untextured = src->lpDT->lpTexture == nullptr;
    const std::uint32_t op = untextured ? plat::D3DTOP_SELECTARG2 : plat::D3DTOP_MODULATE;
    DrawEffectQuad(
        dst, src, v, [op] { SetSpriteStageStates(op, op); }, {}, untextured);
    return 1;
}

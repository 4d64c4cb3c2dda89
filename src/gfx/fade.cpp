#include "gfx/fade.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "base/log.h"
#include "gfx/batch.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/surface_lock.h"
#include "platform/d3d9.h"
#include "platform/ddraw.h"
#include "platform/trunc.h"

namespace {

constexpr double kDegree = 0.017453292519943295;

// The angle of each fade in each back end, for the life of the program.
double gFadeOutD3D = 90.0;
double gFadeOutDD = 90.0;
double gFadeInD3D = 0.0;
double gFadeInDD = 0.0;

std::uint8_t Mix(int s, int c, int level) {
    return static_cast<std::uint8_t>((s * level + c * (256 - level)) >> 8);
}

enum class Drawn { Yes, Skipped, Failed };

// Direct3D: a black quad over the whole target with alpha 255 - trunc(sin(A) * 255).
Drawn DrawOverlay(double angle) {
    if (!lpDevice) return Drawn::Failed;
    DDSURFACEDATA* target = &BackBuffer;
    D3DRedirectBackBuffer(&target);
    if (!target->lpDT) return Drawn::Failed;
    const int t = plat::TruncToInt(std::sin(angle * kDegree) * 255.0);
    const std::uint32_t diffuse = static_cast<std::uint32_t>(255 - t) << 24;
    const float W = static_cast<float>(target->nWidth), H = static_cast<float>(target->nHeight);
    const float TW = target->nTexWidth > 0 ? static_cast<float>(target->nTexWidth) : 1.0f;
    const float TH = target->nTexHeight > 0 ? static_cast<float>(target->nTexHeight) : 1.0f;
    const plat::D3DTLVERTEX quad[4] = {{-0.5f, -0.5f, 0, 1, diffuse, 0, 0},
                                       {-0.5f, H - 0.5f, 0, 1, diffuse, 0, H / TH},
                                       {W - 0.5f, -0.5f, 0, 1, diffuse, W / TW, 0},
                                       {W - 0.5f, H - 0.5f, 0, 1, diffuse, W / TW, H / TH}};
    lpDevice->SetTextureStageState(0, plat::D3DTSS_COLOROP, plat::D3DTOP_SELECTARG2);
    lpDevice->SetTextureStageState(0, plat::D3DTSS_COLORARG2, plat::D3DTA_DIFFUSE);
    lpDevice->SetTextureStageState(0, plat::D3DTSS_ALPHAOP, plat::D3DTOP_SELECTARG2);
    lpDevice->SetTextureStageState(0, plat::D3DTSS_ALPHAARG2, plat::D3DTA_DIFFUSE);
    plat::IDirect3DVertexBuffer9* vb = target->lpDT->lpVB;
    void* data = nullptr;
    if (!vb || plat::FAILED(vb->Lock(0, sizeof quad, &data, 0))) return Drawn::Skipped;
    std::memcpy(data, quad, sizeof quad);
    vb->Unlock();
    if (!D3DBeginScene() || !D3DSetRenderTarget(0, target)) return Drawn::Failed;
    lpDevice->SetStreamSource(0, vb, 0, sizeof(plat::D3DTLVERTEX));
    lpDevice->SetFVF(kQuadFvf);
    lpDevice->DrawPrimitive(plat::D3DPT_TRIANGLESTRIP, 0, 2);
    if (!D3DSetRenderTarget(0, lpDTCon->lpScreenSD)) return Drawn::Failed;
    return Drawn::Yes;
}

// DirectDraw: the picture of the fade at the angle.
void DrawDirectDraw(double angle, plat::PALETTEENTRY* lpPal, int nFirst, int nLast, std::uint8_t r,
                    std::uint8_t g, std::uint8_t b, const plat::PALETTEENTRY* lpSrc) {
    const int level = plat::TruncToInt(std::sin(angle * kDegree) * 256.0);
    if (nBpp == 8) {
        if (!lpPal || !lpSrc) return;
        PalFadeToRGB(lpPal, nFirst, nLast, level, r, g, b, lpSrc);
        const int first = std::max(nFirst, 0), last = std::min(nLast, 255);
        if (lpDDPalette && first <= last)
            lpDDPalette->SetEntries(0, static_cast<plat::DWORD>(first),
                                    static_cast<plat::DWORD>(last - first + 1), &lpPal[first]);
    } else if (nBpp == 16 || nBpp == 32) {
        DDFade_UnPal(&BackBuffer, level, r, g, b, &FadeSD);
    }
}

void TakeScreenCopy() {
    if (nBpp != 8) DDBltRect(&FadeSD, 0, 0, FadeSD.nWidth, FadeSD.nHeight, &BackBuffer, 0, 0, 0);
}

}  // namespace

void PalFadeToRGB(plat::PALETTEENTRY* lpDst, int nFirst, int nLast, int nLevel, int r, int g, int b,
                  const plat::PALETTEENTRY* lpSrc) {
    if (!lpDst || !lpSrc) return;
    const int first = std::max(nFirst, 0), last = std::min(nLast, 255);
    for (int i = first; i <= last; ++i) {
        const plat::PALETTEENTRY s = lpSrc[i];
        lpDst[i] =
            plat::PALETTEENTRY{Mix(s.peRed, r & 0xFF, nLevel), Mix(s.peGreen, g & 0xFF, nLevel),
                               Mix(s.peBlue, b & 0xFF, nLevel), plat::PC_RESERVED};
    }
}

void PalRotate(plat::PALETTEENTRY* lpDst, int nFirst, int nLast, int nCount, int nDir,
               const plat::PALETTEENTRY* lpSrc) {
    if (nBpp != 8 && nBpp != 16 && nBpp != 32) return;
    if (!lpDst || !lpSrc) return;
    plat::PALETTEENTRY copy[256];
    std::memcpy(copy, lpSrc, sizeof copy);
    std::memcpy(lpDst, copy, sizeof copy);
    const int first = std::max(nFirst, 0), last = std::min(nLast, 255);
    if (first > last || (nDir != 0 && nDir != 1)) return;
    const int n = last - first + 1;
    const int c = ((nCount % n) + n) % n;
    for (int i = 0; i < n; ++i) {
        const int to = nDir == 0 ? (i + c) % n : (i - c + n) % n;
        lpDst[first + to] = copy[first + i];
    }
}

bool DDFadeOut(plat::PALETTEENTRY* lpPal, int nFirst, int nLast, std::uint8_t r, std::uint8_t g,
               std::uint8_t b, double dStep, const plat::PALETTEENTRY* lpSrc, bool bReset) {
    double* angle;
    if (lpDTCon) {
        angle = &gFadeOutD3D;
        if (bReset) *angle = 0;
        if (DrawOverlay(*angle) == Drawn::Failed) return false;
    } else if (lpDDCon) {
        angle = &gFadeOutDD;
        if (*angle == 90.0) TakeScreenCopy();
        if (bReset) *angle = 0;
        DrawDirectDraw(*angle, lpPal, nFirst, nLast, r, g, b, lpSrc);
    } else {
        return false;
    }
    if (*angle > 0) {
        *angle = std::max(*angle - dStep, 0.0);
        return false;
    }
    *angle = 90.0;
    return true;
}

bool DDFadeIn(plat::PALETTEENTRY* lpPal, int nFirst, int nLast, std::uint8_t r, std::uint8_t g,
              std::uint8_t b, double dStep, const plat::PALETTEENTRY* lpSrc, bool bReset) {
    double* angle;
    if (lpDTCon) {
        angle = &gFadeInD3D;
        if (bReset) *angle = 90.0;
        if (DrawOverlay(*angle) == Drawn::Failed) return false;
    } else if (lpDDCon) {
        angle = &gFadeInDD;
        if (*angle == 0.0) TakeScreenCopy();
        if (bReset) *angle = 90.0;
        DrawDirectDraw(*angle, lpPal, nFirst, nLast, r, g, b, lpSrc);
    } else {
        return false;
    }
    if (*angle < 90) {
        *angle = std::min(*angle + dStep, 90.0);
        return false;
    }
    *angle = 0.0;
    return true;
}

namespace {

// The 16-bit fade of one channel value of `max`, through 8-bit space. At the full level the
// fade has arrived at the picture itself: the round trip through 8-bit space would leave most
// values a step darker, and the last frame of a fade-in would differ from the scene after it.
std::uint32_t Fade16(std::uint32_t v, int max, int c, int level) {
    if (level == 256) return v;
    const int e = static_cast<int>(v) * 255 / max;
    const int f = (e * level + c * (256 - level)) >> 8;
    return static_cast<std::uint32_t>(f * max / 255);
}

}  // namespace

int DDFade_UnPal(DDSURFACEDATA* lpDstSD, int nLevel, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                 DDSURFACEDATA* lpSrcSD) {
    if (lpDTCon) {
        ErrorLog("D3DではDDFade_UnPalは未対応");
        return 1;
    }
    if (!lpDstSD || !lpSrcSD) return 0;
    // The source is released first, the destination last.
    cSurfaceLock dst, src;
    if (!dst.Lock(lpDstSD) || !src.Lock(lpSrcSD)) return 0;
    const int w = std::min(dst.m_lpSD->nWidth, src.m_lpSD->nWidth);
    const int h = std::min(dst.m_lpSD->nHeight, src.m_lpSD->nHeight);
    if (dst.m_nBpp == 32 && src.m_nBpp == 32) {
        const int cr = r * (256 - nLevel), cg = g * (256 - nLevel), cb = b * (256 - nLevel);
        for (int y = 0; y < h; ++y) {
            std::uint8_t* d = dst.m_lpBits + static_cast<std::ptrdiff_t>(y) * dst.m_nPitch * 4;
            const std::uint8_t* s =
                src.m_lpBits + static_cast<std::ptrdiff_t>(y) * src.m_nPitch * 4;
            int x = 0;
            // Four pixels at a time in 16-bit lanes when the level lies in 0..256: each sum
            // is then at most 255 * 256 and fits. The fourth byte of each pixel stays.
            if (nLevel >= 0 && nLevel <= 256) {
                typedef std::uint8_t Bytes16 __attribute__((vector_size(16)));
                typedef std::uint16_t Lanes16 __attribute__((vector_size(32)));
                typedef std::uint32_t Four __attribute__((vector_size(16)));
                const Lanes16 level = Lanes16{} + static_cast<std::uint16_t>(nLevel);
                Lanes16 colour{};
                for (int i = 0; i < 16; i += 4) {
                    colour[i] = static_cast<std::uint16_t>(cb);
                    colour[i + 1] = static_cast<std::uint16_t>(cg);
                    colour[i + 2] = static_cast<std::uint16_t>(cr);
                }
                for (; x + 4 <= w; x += 4, d += 16, s += 16) {
                    Bytes16 in;
                    Four kept;
                    std::memcpy(&in, s, 16);
                    std::memcpy(&kept, d, 16);
                    const Lanes16 v = (__builtin_convertvector(in, Lanes16) * level + colour) >> 8;
                    const Four out = (reinterpret_cast<Four>(__builtin_convertvector(v, Bytes16)) &
                                      0x00FFFFFFu) |
                                     (kept & 0xFF000000u);
                    std::memcpy(d, &out, 16);
                }
            }
            for (; x < w; ++x, d += 4, s += 4) {
                d[0] = static_cast<std::uint8_t>((s[0] * nLevel + cb) >> 8);
                d[1] = static_cast<std::uint8_t>((s[1] * nLevel + cg) >> 8);
                d[2] = static_cast<std::uint8_t>((s[2] * nLevel + cr) >> 8);
            }
        }
    } else if (dst.m_nBpp == 16 && src.m_nBpp == 16) {
        const DDPIXFMT f = PixFmt;
        if (f.nMaxR <= 0 || f.nMaxG <= 0 || f.nMaxB <= 0 || f.nMaxR > 255 || f.nMaxG > 255 ||
            f.nMaxB > 255)
            return 1;
        // Every channel value has one result: the tables hold them.
        std::uint16_t red[256], green[256], blue[256];
        for (int v = 0; v <= f.nMaxR; ++v)
            red[v] = static_cast<std::uint16_t>(Fade16(v, f.nMaxR, r, nLevel) << f.nShiftR);
        for (int v = 0; v <= f.nMaxG; ++v)
            green[v] = static_cast<std::uint16_t>(Fade16(v, f.nMaxG, g, nLevel) << f.nShiftG);
        for (int v = 0; v <= f.nMaxB; ++v)
            blue[v] = static_cast<std::uint16_t>(Fade16(v, f.nMaxB, b, nLevel) << f.nShiftB);
        // The display's usual R5G6B5 with its shifts and masks fixed, which keeps the loop to
        // three look-ups a pixel; any other layout through the variables.
        const bool r565 = f.nShiftR == 11 && f.nShiftG == 5 && f.nShiftB == 0 && f.nMaxR == 31 &&
                          f.nMaxG == 63 && f.nMaxB == 31;
        for (int y = 0; y < h; ++y) {
            auto* d = reinterpret_cast<std::uint16_t*>(dst.m_lpBits) +
                      static_cast<std::ptrdiff_t>(y) * dst.m_nPitch;
            const auto* s = reinterpret_cast<const std::uint16_t*>(src.m_lpBits) +
                            static_cast<std::ptrdiff_t>(y) * src.m_nPitch;
            if (r565) {
                for (int x = 0; x < w; ++x) {
                    const unsigned p = s[x];
                    d[x] = static_cast<std::uint16_t>(red[p >> 11] | green[(p >> 5) & 63] |
                                                      blue[p & 31]);
                }
                continue;
            }
            for (int x = 0; x < w; ++x) {
                const unsigned p = s[x];
                d[x] = static_cast<std::uint16_t>(red[(p >> f.nShiftR) & f.nMaxR] |
                                                  green[(p >> f.nShiftG) & f.nMaxG] |
                                                  blue[(p >> f.nShiftB) & f.nMaxB]);
            }
        }
    }
    return 1;
}

void DDSetPalette_UnPal(plat::PALETTEENTRY* lpPal, DDSURFACEDATA* lpSD) {
    if (!lpPal || !lpSD) return;
    cSurfaceLock lock;
    if (!lock.Lock(lpSD) || !lock.m_lpBits) {
        if (lpDTCon) ErrorLog("DDSetPalette_UnPal Lock Err");
        return;
    }
    const DDSURFACEDATA* sd = lock.m_lpSD;
    const int w = lpDTCon ? std::min(sd->nWidth, sd->nTexWidth) : sd->nWidth;
    const int h = lpDTCon ? std::min(sd->nHeight, sd->nTexHeight) : sd->nHeight;
    const DDPIXFMT f = PixFmt;
    const int bytes = lock.m_nBytePerPixel;
    if (bytes != 2 && bytes != 4) return;
    for (int k = 0; k < 16; ++k) {
        const int y = 8 + k;
        if (y >= h) break;
        for (int c = 0; c < 16 && c < w; ++c) {
            const std::uint32_t p = plat::ReadPixel(
                lock.m_lpBits + (static_cast<std::ptrdiff_t>(y) * lock.m_nPitch + c) * bytes,
                bytes);
            plat::PALETTEENTRY& e = lpPal[16 * k + c];
            if (bytes == 2) {
                const std::uint32_t pr = (p >> f.nShiftR) & f.nMaxR,
                                    pg = (p >> f.nShiftG) & f.nMaxG,
                                    pb = (p >> f.nShiftB) & f.nMaxB;
                if (lpDTCon) {
                    if (((p >> f.nShiftA) & f.nMaxA) == 0 || f.nMaxR <= 0 || f.nMaxG <= 0 ||
                        f.nMaxB <= 0)
                        continue;
                    e.peRed = static_cast<std::uint8_t>(pr * 255 / f.nMaxR);
                    e.peGreen = static_cast<std::uint8_t>(pg * 255 / f.nMaxG);
                    e.peBlue = static_cast<std::uint8_t>(pb * 255 / f.nMaxB);
                } else {
                    // 16-bit DirectDraw keeps its palette in the channels' own units.
                    e.peRed = static_cast<std::uint8_t>(pr);
                    e.peGreen = static_cast<std::uint8_t>(pg);
                    e.peBlue = static_cast<std::uint8_t>(pb);
                }
            } else {
                if (lpDTCon && (p >> 24) == 0) continue;
                e = plat::PALETTEENTRY{
                    static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                    static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(p >> 24)};
            }
        }
    }
}

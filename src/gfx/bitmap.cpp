#include "gfx/bitmap.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>

#include "base/log.h"
#include "base/message_box.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/fill.h"
#include "gfx/palette.h"
#include "gfx/surface_lock.h"
#include "platform/d3d9.h"
#include "platform/ddraw.h"
#include "platform/image_decoder.h"

namespace {

int Mirrored(int v, int cell) {
    return cell ? cell * (v / cell + 1) - (v % cell) - 1 : v;
}

// The palette entry an 8-bit display shows for a colour: the first exact match, else the
// nearest. Colours seen recently are remembered in a small fixed table.
class NearestEntry {
public:
    std::uint8_t operator()(std::uint32_t argb) {
        const std::uint32_t rgb = argb & 0x00FFFFFFu;
        Slot& slot = slots_[(rgb * 2654435761u) >> 22];
        if (slot.used && slot.rgb == rgb) return slot.index;
        const int r = static_cast<int>(rgb >> 16), g = static_cast<int>((rgb >> 8) & 0xFF),
                  b = static_cast<int>(rgb & 0xFF);
        int best = 0;
        long bestDistance = -1;
        for (int i = 0; i < 256; ++i) {
            const long dr = Palette[i].peRed - r, dg = Palette[i].peGreen - g,
                       db = Palette[i].peBlue - b;
            const long d = dr * dr + dg * dg + db * db;
            if (bestDistance < 0 || d < bestDistance) {
                best = i;
                bestDistance = d;
                if (d == 0) break;
            }
        }
        slot = Slot{true, rgb, static_cast<std::uint8_t>(best)};
        return slot.index;
    }

private:
    struct Slot {
        bool used = false;
        std::uint32_t rgb = 0;
        std::uint8_t index = 0;
    };
    Slot slots_[1024];
};

// A colour as the window system converts it into a pixel of the format: channels cut to
// their bits. 32-bit pixels leave their fourth byte 0.
std::uint32_t SystemConvert(plat::D3DFORMAT format, std::uint32_t argb) {
    if (format == plat::D3DFMT_X8R8G8B8 || format == plat::D3DFMT_A8R8G8B8)
        return argb & 0x00FFFFFFu;
    return plat::ArgbToPixel(format, argb) & (format == plat::D3DFMT_A1R5G5B5 ? 0x7FFFu : 0xFFFFu);
}

// Writes image pixel (x, y) to surface pixel (M(x), M(y)), a row ending at the first column
// whose mirror lies outside the image and the copy at the first such row.
template <class Put>
void CopyMirrored(const plat::DecodedImage& image, int W, int H, int surfaceW, int surfaceH,
                  Put put) {
    for (int y = 0; y < image.height; ++y) {
        const int my = Mirrored(y, H);
        if (my >= image.height) break;
        if (my >= surfaceH) continue;
        for (int x = 0; x < image.width; ++x) {
            const int mx = Mirrored(x, W);
            if (mx >= image.width) break;
            if (mx < surfaceW) put(x, y, mx, my);
        }
    }
}

}  // namespace

bool CopyBitmap(DDSURFACEDATA* lpSD, const char* szFileName, int nBpp, const void* lpPalData,
                int nMirrorWidth, int nMirrorHeight) {
    if (lpDTCon || !szFileName || !*szFileName) return true;
    plat::DecodedImage image;
    if (!plat::LoadImageFile(szFileName, true, image, nullptr)) return false;
    if (!lpSD || !lpSD->lpDS || !lpSD->lpDS->lpDDSurface) return false;
    plat::SoftSurface& surface = lpSD->lpDS->lpDDSurface->Pixels();
    const int W = nMirrorWidth, H = nMirrorHeight;
    {
        cSurfaceLock lock;
        if (!lock.Lock(lpSD)) return false;
        const int sw = surface.Width(), sh = surface.Height();
        const int pitch = lock.m_nPitch;
        if (nBpp == 8) {
            if (sw != image.width || sh != image.height) {
                ErrorLog("CopyBitmap Err %s Surface(%d,%d) Bmp(%d,%d)", szFileName, sw, sh,
                         image.width, image.height);
            } else if (image.Indexed()) {
                CopyMirrored(image, W, H, sw, sh, [&](int x, int y, int mx, int my) {
                    lock.m_lpBits[static_cast<std::ptrdiff_t>(my) * pitch + mx] =
                        image.IndexAt(x, y);
                });
            } else {
                auto nearest = std::make_unique<NearestEntry>();
                CopyMirrored(image, W, H, sw, sh, [&](int x, int y, int mx, int my) {
                    lock.m_lpBits[static_cast<std::ptrdiff_t>(my) * pitch + mx] =
                        (*nearest)(image.ColourAt(x, y));
                });
            }
        } else if (nBpp == 16 && (image.bitCount == 24 || image.bitCount == 32)) {
            // The transparent colour of the image files becomes the key exactly; any other
            // colour that lands on the key is moved one step off it, so it stays visible.
            const plat::RGBTRIPLE t = lpDDCon ? lpDDCon->rgbTransmit16 : plat::RGBTRIPLE{};
            const DDPIXFMT f = PixFmt;
            auto* bits = reinterpret_cast<std::uint16_t*>(lock.m_lpBits);
            CopyMirrored(image, W, H, sw, sh, [&](int x, int y, int mx, int my) {
                const std::uint32_t c = image.ColourAt(x, y);
                const std::uint32_t r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
                std::uint32_t v;
                if (r == t.rgbtRed && g == t.rgbtGreen && b == t.rgbtBlue) {
                    v = dwColorKey;
                } else {
                    v = (r * f.nMaxR / 255) << f.nShiftR | (g * f.nMaxG / 255) << f.nShiftG |
                        (b * f.nMaxB / 255) << f.nShiftB;
                    if (v == dwColorKey)
                        v = ((v >> f.nShiftB) & f.nMaxB) == static_cast<std::uint32_t>(f.nMaxB)
                                ? v - 1
                                : v + 1;
                }
                bits[static_cast<std::ptrdiff_t>(my) * pitch + mx] = static_cast<std::uint16_t>(v);
            });
        } else {
            // The window system's copy: whole cells only, colours converted by cutting bits.
            const plat::D3DFORMAT format = surface.Format();
            const int bytes = surface.BytesPerPixel();
            const int cellsX = W ? image.width / W * W : image.width;
            const int cellsY = H ? image.height / H * H : image.height;
            CopyMirrored(image, W, H, sw, sh, [&](int x, int y, int mx, int my) {
                if (x >= cellsX || y >= cellsY) return;
                const std::uint32_t v = SystemConvert(format, image.ColourAt(x, y));
                plat::WritePixel(
                    lock.m_lpBits + (static_cast<std::ptrdiff_t>(my) * pitch + mx) * bytes, bytes,
                    v);
            });
        }
    }
    // The size is the bitmap's, but never more than the surface holds: a surface of another
    // size (nothing copied at 8 bits, a file replaced before a reload) must not be drawn
    // beyond its pixels.
    lpSD->nWidth = std::min(image.width, surface.Width());
    lpSD->nHeight = std::min(image.height, surface.Height());
    lpSD->nMirrorWidth = W;
    lpSD->nMirrorHeight = H;
    if (szFileName != lpSD->szFileName) {  // a reload names the surface's own file
        std::strncpy(lpSD->szFileName, szFileName, sizeof lpSD->szFileName - 1);
        lpSD->szFileName[sizeof lpSD->szFileName - 1] = '\0';
    }
    if (lpPalData && nBpp != 8) {
        if (!DDMakePalIndex(&lpSD->lpDS->lpPalIndex, lpSD)) return false;
    } else {
        lpSD->lpDS->lpPalIndex.reset();
    }
    return true;
}

bool CreateMirror(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc, int nMirrorWidth, int nMirrorHeight) {
    if (!lpDTCon || nMirrorWidth == 0 || nMirrorHeight != 0) return true;
    if (!lpDst || !lpSrc) return false;
    if (lpDst->lpDT && lpDst->lpDT->bRenderTarget && lpDevice) {
        D3DBeginScene();
        if (D3DSetRenderTarget(0, lpDst)) {
            lpDevice->Clear(0, nullptr, plat::D3DCLEAR_TARGET, lpDTCon->dwTransmit, 1.0f, 0);
            D3DSetRenderTarget(0, lpDTCon->lpScreenSD);
        }
    }
    const int W = nMirrorWidth;
    for (int i = 0; i < lpSrc->nWidth / W; ++i)
        DDBltScale(lpDst, i * W, 0, W, lpSrc->nHeight, lpSrc, (i + 1) * W, 0, -W, lpSrc->nHeight,
                   0);
    return true;
}

bool DDReloadSurface(DDSURFACEDATA* lpSD, int nBpp) {
    if (lpDTCon) return true;
    if (!lpSD || !lpSD->lpDS) return false;
    return CopyBitmap(lpSD, lpSD->szFileName, nBpp, lpSD->lpDS->lpPalIndex.get(),
                      lpSD->nMirrorWidth, lpSD->nMirrorHeight);
}

int DDMakePalIndex(std::unique_ptr<std::uint8_t[]>* ppIndex, DDSURFACEDATA* lpSD) {
    if (!ppIndex || !lpSD) return 0;
    cSurfaceLock lock;
    if (!lock.Lock(lpSD)) {
        MemoryErrorAndClose();
        return 0;
    }
    DDSURFACEDATA* sd = lock.m_lpSD;
    const int width = lpDTCon ? std::min(sd->nWidth, sd->nTexWidth) : sd->nWidth;
    const int height = lpDTCon ? std::min(sd->nHeight, sd->nTexHeight) : sd->nHeight;
    const int pitch = lock.m_nPitch;
    ppIndex->reset();
    if (width <= 0 || height <= 0 || pitch <= 0) return 1;
    const std::size_t size = static_cast<std::size_t>(pitch) * static_cast<std::size_t>(height);
    ppIndex->reset(new (std::nothrow) std::uint8_t[size]());
    if (!*ppIndex) {
        lock.Release();
        MemoryErrorAndClose();
        return 0;
    }
    std::uint8_t* map = ppIndex->get();
    const bool keyed16 = lpDTCon && lock.m_nBpp == 16 && sd->lpDT && sd->lpDT->bColorKey;
    const DDPIXFMT f = PixFmt;
    auto matches = [&](std::uint32_t p, const plat::PALETTEENTRY& e) {
        if (lock.m_nBpp == 16) {
            if (lpDTCon) {
                const auto widen = [](std::uint32_t v, int max) {
                    return max > 0 ? v * 255 / static_cast<std::uint32_t>(max) : 0;
                };
                return widen((p >> f.nShiftR) & f.nMaxR, f.nMaxR) == e.peRed &&
                       widen((p >> f.nShiftG) & f.nMaxG, f.nMaxG) == e.peGreen &&
                       widen((p >> f.nShiftB) & f.nMaxB, f.nMaxB) == e.peBlue;
            }
            const std::uint8_t rgb[3] = {e.peRed, e.peGreen, e.peBlue};
            return p == DDPalToRGB16(rgb);
        }
        return ((p >> 16) & 0xFF) == e.peRed && ((p >> 8) & 0xFF) == e.peGreen &&
               (p & 0xFF) == e.peBlue;
    };
    const int bytes = lock.m_nBytePerPixel;
    if (bytes != 2 && bytes != 4) return 1;
    bool haveLast = false;
    std::uint32_t last = 0;
    int lastIndex = -1;
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = lock.m_lpBits + static_cast<std::ptrdiff_t>(y) * pitch * bytes;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = plat::ReadPixel(row + x * bytes, bytes);
            int index = -1;
            if (keyed16 && p == 0) {
                index = 0;
            } else if (haveLast && p == last) {
                index = lastIndex;
            } else {
                for (int i = 0; i < 256; ++i) {
                    if (matches(p, Palette[i])) {
                        index = i;
                        break;
                    }
                }
                haveLast = true;
                last = p;
                lastIndex = index;
            }
            if (index >= 0)
                map[static_cast<std::size_t>(y) * pitch + x] = static_cast<std::uint8_t>(index);
        }
    }
    return 1;
}

#include "gfx/palette_file.h"

#include "base/log.h"
#include "gfx/display.h"
#include "gfx/fade.h"
#include "gfx/palette.h"
#include "gfx/surface.h"
#include "gfx/surface_lock.h"
#include "platform/ddraw.h"
#include "platform/image_decoder.h"

bool DDLoadPaletteFromFile(plat::PALETTEENTRY* lpPalette, const char* szFileName, int) {
    if (!lpPalette || !szFileName) return false;
    plat::DecodedImage image;
    if (!plat::LoadImageFile(szFileName, true, image, nullptr)) return false;
    const bool table = image.bitCount == 8;
    for (int i = 0; table && (lpDTCon || nBpp == 8) && i < 256; ++i) {
        const std::uint32_t c = image.palette[i];
        std::uint8_t flags = 255;
        // The 8-bit display leaves the system's twenty entries at both ends to the system.
        if (!lpDTCon) flags = (i < 10 || i >= 246) ? plat::PC_EXPLICIT : plat::PC_RESERVED;
        lpPalette[i] = plat::PALETTEENTRY{static_cast<std::uint8_t>(c >> 16),
                                          static_cast<std::uint8_t>(c >> 8),
                                          static_cast<std::uint8_t>(c), flags};
    }
    if (!lpDTCon && nBpp == 8 && lpDDPalette) lpDDPalette->SetEntries(0, 0, 256, lpPalette);
    if (nBpp == 16 || nBpp == 24 || nBpp == 32) {
        // The direct-colour modes read the palette from the image's pixels, in the units
        // the back end keeps its palette in.
        DDSURFACEDATA image16;
        if (DDCreateSurfaceFromFile(&image16, szFileName, 0, nBpp, 1, DTMEMORYTYPE_SYSTEM, nullptr,
                                    nullptr, 0, 0, 0) == 0)
            DDSetPalette_UnPal(lpPalette, &image16);
        DDReleaseSurface(&image16);
    }
    return true;
}

int DDSetTransmit(const char* szFileName) {
    const char* name = szFileName ? szFileName : "";
    DDSURFACEDATA image;
    const int loaded = DDCreateSurfaceFromFile(&image, name, 0, nBpp, 1, DTMEMORYTYPE_SYSTEM,
                                               nullptr, nullptr, 0, 0, 0);
    if (!DDCheckResult(loaded)) {
        ErrorLog("%s 作成失敗！", name);
        DDReleaseSurface(&image);
        return 0;
    }
    // An 8-bit image also names, in its first table entry, the colour of the image files
    // that becomes transparent at 16 bits.
    plat::DecodedImage header;
    const bool indexed8 = plat::LoadImageFile(name, true, header, nullptr) && header.bitCount == 8;
    const std::uint32_t entry0 = indexed8 ? header.palette[0] : 0;
    const plat::RGBTRIPLE tableKey{static_cast<std::uint8_t>(entry0),
                                   static_cast<std::uint8_t>(entry0 >> 8),
                                   static_cast<std::uint8_t>(entry0 >> 16)};
    std::uint32_t pixel = 0;
    {
        cSurfaceLock lock;
        if (!lock.Lock(&image) || !lock.m_lpBits) {
            ErrorLog("Lock 失敗！");
            lock.Release();
            DDReleaseSurface(&image);
            return 0;
        }
        pixel = plat::ReadPixel(lock.m_lpBits, lock.m_nBytePerPixel);
    }
    DDReleaseSurface(&image);
    const DDPIXFMT& f = PixFmt;
    if (lpDTCon) {
        if (nBpp == 16) {
            dwColorKey = pixel;
            if (indexed8) lpDTCon->rgbTransmit16 = tableKey;
            DDSetTransmit(static_cast<std::uint8_t>((pixel >> f.nShiftR) & f.nMaxR),
                          static_cast<std::uint8_t>((pixel >> f.nShiftG) & f.nMaxG),
                          static_cast<std::uint8_t>((pixel >> f.nShiftB) & f.nMaxB));
            ErrorLog("SetTrans(filename) lpDTCon->wTransmit_16 = (%x)", lpDTCon->wTransmit_16);
        } else if (nBpp == 32) {
            DDSetTransmit(static_cast<std::uint8_t>(pixel >> 16),
                          static_cast<std::uint8_t>(pixel >> 8), static_cast<std::uint8_t>(pixel));
        }
    } else if (lpDDCon) {
        if (nBpp == 8 || nBpp == 16) {
            dwColorKey = pixel;
            if (nBpp == 16 && indexed8) lpDDCon->rgbTransmit16 = tableKey;
        } else if (nBpp == 32) {
            dwColorKey = pixel;
            lpDDCon->rgbTransmit = plat::RGBTRIPLE{static_cast<std::uint8_t>(pixel),
                                                   static_cast<std::uint8_t>(pixel >> 8),
                                                   static_cast<std::uint8_t>(pixel >> 16)};
        }
    }
    return 1;
}

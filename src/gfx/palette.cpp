#include "gfx/palette.h"

#include <algorithm>

#include "base/log.h"
#include "base/message_box.h"
#include "platform/ddraw.h"

plat::PALETTEENTRY Palette[256];
plat::PALETTEENTRY PaletteOrg[256];

namespace {

// A channel of `max` (31, 63, 1 or 255) widened to 8 bits by repeating its bits.
std::uint32_t ExpandChannel(std::uint32_t v, int max) {
    switch (max) {
        case 31:
            return plat::Expand5(v & 31);
        case 63:
            return plat::Expand6(v & 63);
        case 1:
            return (v & 1) ? 255 : 0;
        default:
            return v & 0xFF;
    }
}

std::uint32_t Scale(std::uint32_t v, int max) {
    return v * static_cast<std::uint32_t>(max) / 255;
}

std::uint32_t ScaleBack(std::uint32_t v, int max) {
    return max > 0 ? v * 255 / static_cast<std::uint32_t>(max) : 0;
}

int LowestBit(std::uint32_t mask) {
    int shift = 0;
    while (shift < 32 && !(mask & (1u << shift))) ++shift;
    return shift == 32 ? 0 : shift;
}

// Palette numbers beyond the table read its last entry.
const plat::PALETTEENTRY& Entry(std::uint32_t n) {
    return Palette[std::min<std::uint32_t>(n, 255)];
}

}  // namespace

void DDSetTransmit(std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    if (lpDTCon) {
        DTCONTEXT& con = *lpDTCon;
        con.rgbTransmit = plat::RGBTRIPLE{b, g, r};
        ErrorLog(
            "SetTrans lpDTCon->rgbTransmit.rgbtRed = %d,lpDTCon->rgbTransmit.rgbtGreen = "
            "%d,lpDTCon->rgbTransmit.rgbtBlue = %d",
            r, g, b);
        if (nBpp == 32) {
            con.dwTransmit = 0;
            con.dwTransmitBack = 0xFF000000u | std::uint32_t{r} << 16 | std::uint32_t{g} << 8 | b;
            con.wTransmit_16 = 0;
            con.wTransmitBack_16 = 0;
            dwColorKey = con.dwTransmit;
        } else if (nBpp == 16) {
            // The clear colour is an 8-bit colour: the channels are widened, so the back
            // buffer is cleared to the key itself and not to a near-black colour.
            con.dwTransmit = 0;
            con.dwTransmitBack = 0xFF000000u | ExpandChannel(r, PixFmt.nMaxR) << 16 |
                                 ExpandChannel(g, PixFmt.nMaxG) << 8 |
                                 ExpandChannel(b, PixFmt.nMaxB);
            con.wTransmit_16 = 0;
            con.wTransmitBack_16 = static_cast<std::uint16_t>(
                (b & PixFmt.nMaxB) << PixFmt.nShiftB | (g & PixFmt.nMaxG) << PixFmt.nShiftG |
                (r & PixFmt.nMaxR) << PixFmt.nShiftR | (PixFmt.nMaxA & 1) << PixFmt.nShiftA);
            // Textures hold the key as transparent black, as at 32 bits.
            dwColorKey = con.dwTransmit;
        }
        return;
    }
    if (!lpDDCon) return;
    if (nBpp == 32) {
        dwColorKey = std::uint32_t{r} << 16 | std::uint32_t{g} << 8 | b;
        lpDDCon->rgbTransmit = plat::RGBTRIPLE{b, g, r};
    } else if (nBpp == 16) {
        dwColorKey = Scale(r, PixFmt.nMaxR) << PixFmt.nShiftR |
                     Scale(g, PixFmt.nMaxG) << PixFmt.nShiftG |
                     Scale(b, PixFmt.nMaxB) << PixFmt.nShiftB;
        ErrorLog("※16bit色で　DDSetTransmit(BYTE cbRed,BYTE cbGreen,BYTE cbBlue)　は未対応！");
        const std::uint32_t kr = PixFmt.nMaxR ? (dwColorKey >> PixFmt.nShiftR) & PixFmt.nMaxR : 0;
        const std::uint32_t kg = PixFmt.nMaxG ? (dwColorKey >> PixFmt.nShiftG) & PixFmt.nMaxG : 0;
        const std::uint32_t kb = PixFmt.nMaxB ? (dwColorKey >> PixFmt.nShiftB) & PixFmt.nMaxB : 0;
        DebugErrorBox("Tr %d RGB32(%d,%d,%d) -> RGB16(%d,%d,%d)", static_cast<int>(dwColorKey), r,
                      g, b, static_cast<int>(ScaleBack(kr, PixFmt.nMaxR)),
                      static_cast<int>(ScaleBack(kg, PixFmt.nMaxG)),
                      static_cast<int>(ScaleBack(kb, PixFmt.nMaxB)));
    }
}

std::uint32_t PalNumToRGB(std::uint32_t n) {
    if (lpDTCon) {
        if (n > 255) {
            ErrorLog("PalNumToRGB(DWORD dwPalNum) Err dwPalNum = %d", static_cast<int>(n));
            return 0;
        }
        if (nBpp == 8) return n;
        if (nBpp == 16 || nBpp == 32) {
            if (n == 0) return lpDTCon->dwTransmit;
            const plat::PALETTEENTRY& e = Palette[n];
            return 0xFF000000u | std::uint32_t{e.peRed} << 16 | std::uint32_t{e.peGreen} << 8 |
                   e.peBlue;
        }
        return 0;
    }
    if (lpDDCon) {
        const plat::PALETTEENTRY& e = Entry(n);
        switch (nBpp) {
            case 8:
                return std::min<std::uint32_t>(n, 255);
            case 16:
                return (e.peBlue & PixFmt.nMaxB) << PixFmt.nShiftB |
                       (e.peGreen & PixFmt.nMaxG) << PixFmt.nShiftG |
                       (e.peRed & PixFmt.nMaxR) << PixFmt.nShiftR;
            case 24:
            case 32:
                return std::uint32_t{e.peRed} << 16 | std::uint32_t{e.peGreen} << 8 | e.peBlue;
            default:
                return 0;
        }
    }
    return 0;
}

std::uint16_t DDPalToRGB16(const std::uint8_t* rgb) {
    if (lpDTCon) {
        ErrorLog("DDPalToRGB16はDirect3Dでは未対応");
        return 0;
    }
    if (!lpDDCon || !rgb) return 0;
    return static_cast<std::uint16_t>((rgb[2] & PixFmt.nMaxB) << PixFmt.nShiftB |
                                      (rgb[1] & PixFmt.nMaxG) << PixFmt.nShiftG |
                                      (rgb[0] & PixFmt.nMaxR) << PixFmt.nShiftR);
}

void DDGetPixelFormat(DDPIXFMT* lpFmt) {
    if (!lpFmt || !lpDDCon || !PrimarySD.lpDS || !PrimarySD.lpDS->lpDDSurface) return;
    plat::DDPIXELFORMAT pf;
    if (plat::FAILED(PrimarySD.lpDS->lpDDSurface->GetPixelFormat(&pf))) return;
    lpFmt->nShiftR = LowestBit(pf.dwRBitMask);
    lpFmt->nShiftG = LowestBit(pf.dwGBitMask);
    lpFmt->nShiftB = LowestBit(pf.dwBBitMask);
    lpFmt->nMaxR = static_cast<int>(pf.dwRBitMask >> lpFmt->nShiftR);
    lpFmt->nMaxG = static_cast<int>(pf.dwGBitMask >> lpFmt->nShiftG);
    lpFmt->nMaxB = static_cast<int>(pf.dwBBitMask >> lpFmt->nShiftB);
}

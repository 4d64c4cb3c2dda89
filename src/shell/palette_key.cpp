#include "shell/palette_key.h"

#include "base/log.h"
#include "data/system_record.h"
#include "gfx/display.h"
#include "gfx/palette.h"
#include "gfx/palette_file.h"
#include "gfx/surface_tables.h"
#include "shell/startup.h"

bool LoadPaletteAndKey() {
    if (!lpDTCon && !lpDDPalette) return true;
    const char* file = SurfaceDef[0].szFileName;
    if (!DDLoadPaletteFromFile(Palette, file, bWindowed)) {
        ReportLogErr("DDLoadPaletteFromFile失敗");
        return false;
    }
    for (int i = 0; i < 256; ++i) PaletteOrg[i] = Palette[i];
    if (EdSystem.nColourMode == 0 || nBpp == 16) {
        if (!DDSetTransmit(file)) {
            ReportLogErr("DDSetTransmit失敗");
            return false;
        }
    }
    if (EdSystem.nColourMode != 0) {
        if (nBpp == 16) {
            // The images are read in the file's colours: the fixed colour is the one that
            // loads as transparent, while the pixel key stays the palette bitmap's.
            const plat::RGBTRIPLE key{EdSystem.rgbTransparentB, EdSystem.rgbTransparentG,
                                      EdSystem.rgbTransparentR};
            if (lpDTCon)
                lpDTCon->rgbTransmit16 = key;
            else if (lpDDCon)
                lpDDCon->rgbTransmit16 = key;
        } else {
            DDSetTransmit(EdSystem.rgbTransparentR, EdSystem.rgbTransparentG,
                          EdSystem.rgbTransparentB);
        }
    }
    ErrorLog("1");
    return true;
}

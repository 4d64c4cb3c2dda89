// PLACEHOLDER until the bitmap loader exists: every surface asked from a file fails as an
// image that cannot be loaded (result 8), with the back end's log line, so the surface set
// reports it (or skips an optional entry) exactly as it will for a missing file. The loader
// replaces this file.
#include <cstring>

#include "app/log.h"
#include "gfx/display.h"
#include "gfx/surface.h"

int DDCreateSurfaceFromFile(DDSURFACEDATA* lpSD, const char* szFileName, int, int, int, int,
                            DDSURFACEDATA*, const void*, int, int, int) {
    if (!lpSD) return 4;
    const char* name = szFileName ? szFileName : "";
    if (lpDTCon) {
        if (*name) ReportLog("LoadImage Err %s", name);
    } else {
        ErrorLogLine(name);
    }
    return 8;
}

#include "gfx/restore.h"

#include <cstring>
#include <iterator>

#include "base/log.h"
#include "gfx/bitmap.h"
#include "gfx/display.h"
#include "gfx/font.h"
#include "gfx/font_tables.h"
#include "gfx/palette.h"
#include "gfx/surface.h"
#include "platform/d3d9.h"
#include "platform/ddraw.h"
#include "platform/display_window.h"

namespace {

template <class T>
void ReleaseInterface(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

bool FromFile(const DDSURFACEDATA& sd) {
    return sd.szFileName[0] != '\0' && std::strcmp(sd.szFileName, "E") != 0;
}

plat::IDirectDrawSurface7* DirectDrawSurface(DDSURFACEDATA& sd) {
    return sd.lpDS ? sd.lpDS->lpDDSurface : nullptr;
}

bool Lost(plat::IDirectDrawSurface7* s) {
    return s && s->IsLost() == plat::DDERR_SURFACELOST;
}

}  // namespace

int DDRestoreSurface() {
    if (!lpDTCon) {
        ErrorLog("DDではDDRestoreSurfaceは未対応");
        return 1;
    }
    if (!lpDevice) return 0;
    ErrorLog("Restore In");
    // Video memory goes with the device; system-memory textures, the system-memory twins of
    // the render targets and the vertex buffers stay.
    for (DDSURFACEDATA* sd : SDList) {
        if (!sd->lpDT || sd->lpDT->nMemoryType == DTMEMORYTYPE_SYSTEM) continue;
        ReleaseInterface(sd->lpDT->lpTexture);
        ReleaseInterface(sd->lpDT->lpSurface);
    }
    for (std::size_t i = 0; i < FontList.size(); ++i) {
        ErrorLog("Font i = %d", static_cast<int>(i));
        Font* font = FontList[i];
        for (plat::HRESULT hr : {font->lpFont ? font->lpFont->OnLostDevice() : plat::D3D_OK,
                                 font->lpSprite ? font->lpSprite->OnLostDevice() : plat::D3D_OK})
            if (plat::FAILED(hr)) ErrorLog("lpFont->OnLostDevice hr = %d", static_cast<int>(hr));
    }
    if (BackBuffer.lpDT) ReleaseInterface(BackBuffer.lpDT->lpSurface);
    if (lpDevice->TestCooperativeLevel() != plat::D3DERR_DEVICENOTRESET) {
        ErrorLog("復旧失敗…リセット可能な状態ではありません…");
        return 0;
    }
    if (plat::FAILED(lpDevice->Reset(&lpDTCon->d3dpp))) return 0;
    // The reset ended any scene the device had begun.
    lpDTCon->bInScene = 0;
    D3DSetDefaultStates();
    if (BackBuffer.lpDT)
        lpDevice->GetBackBuffer(0, 0, plat::D3DBACKBUFFER_TYPE_MONO, &BackBuffer.lpDT->lpSurface);
    // Making a mirrored sheet again lists and unlists a temporary copy: only the surfaces
    // listed now are walked.
    const std::size_t count = SDList.size();
    auto it = SDList.begin();
    for (std::size_t i = 0; i < count && it != SDList.end(); ++i, ++it) {
        DDSURFACEDATA* sd = *it;
        ErrorLog("i = %d lpSD->szSurfaceType = %s lpSD->szFileName = %s Size = (%d,%d)",
                 static_cast<int>(i), sd->szSurfaceType, sd->szFileName, sd->nWidth, sd->nHeight);
        if (!sd->lpDT) continue;
        const int key = sd->lpDT->bColorKey, type = sd->lpDT->nMemoryType;
        if (FromFile(*sd)) {
            if (DDCreateSurfaceFromFile(sd, sd->szFileName, key, nBpp, sd->nDDMemory, type,
                                        sd->lpShareSD, nullptr, sd->nMirrorWidth, sd->nMirrorHeight,
                                        1) != 0)
                ErrorLog("Err");
        } else {
            if (!DDCreateSurface(sd, sd->nWidth, sd->nHeight, key, sd->nDDMemory, type,
                                 sd->lpShareSD, 1))
                ErrorLog("Err");
            sd->bLost = 1;
        }
    }
    for (Font* font : FontList) font->Restore();
    // The digit strips came back blank; their fonts can draw again now.
    for (int i = 0; i < kFontCount; ++i) {
        if (!NumberSD[i].bLost || !NumberSD[i].lpDT) continue;
        RenderDigits(&NumberSD[i], Fonts[i]);
        NumberSD[i].bLost = 0;
    }
    if (!bWindowMode) plat::ShowWindow(hWnd, plat::SW_SHOWNORMAL);
    ErrorLog("Restore Out");
    return 1;
}

bool DDRestore() {
    if (lpDTCon) {
        ErrorLog("D3DではDDRestoreは未対応");
        return true;
    }
    if (!lpDDCon) return true;
    plat::IDirectDrawSurface7* primary = DirectDrawSurface(PrimarySD);
    if (!Lost(primary)) return true;
    primary->Restore();
    if (plat::IDirectDrawSurface7* back = DirectDrawSurface(BackBuffer); Lost(back))
        back->Restore();
    for (int i = 0; lpStdSD && i < nSurfaceDef; ++i) {
        DDSURFACEDATA& sd = lpStdSD[i];
        plat::IDirectDrawSurface7* s = DirectDrawSurface(sd);
        if (!Lost(s)) continue;
        s->Restore();
        // System memory keeps its pixels.
        if (sd.nDDMemory != 0) continue;
        if (FromFile(sd))
            DDReloadSurface(&sd, nBpp);
        else
            sd.bLost = 1;
    }
    // The fades' copy of the screen lies in system memory: it keeps its pixels, but a lost
    // surface refuses every lock until it is restored.
    if (plat::IDirectDrawSurface7* fade = DirectDrawSurface(FadeSD); Lost(fade)) fade->Restore();
    if (nBpp == 8 && lpDDPalette) lpDDPalette->SetEntries(0, 0, 256, PaletteOrg);
    for (Font* font : FontList) font->Restore();
    return true;
}

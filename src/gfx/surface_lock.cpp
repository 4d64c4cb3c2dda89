#include "gfx/surface_lock.h"

#include "base/log.h"
#include "base/message_box.h"
#include "gfx/display.h"
#include "gfx/fill.h"
#include "platform/d3d9.h"
#include "platform/ddraw.h"

bool cSurfaceLock::Lock(DDSURFACEDATA* lpSD) {
    if (lpDTCon) {
        DDGetShareSD(&lpSD);
        D3DRedirectBackBuffer(&lpSD);
        m_lpSD = lpSD;
        m_nBpp = nBpp;
        m_nBytePerPixel = nBpp / 8;
        m_lpBits = nullptr;
        if (!lpSD || !lpSD->lpDT || m_nBytePerPixel <= 0) return false;
        DDTEXTUREDATA& dt = *lpSD->lpDT;
        plat::D3DLOCKED_RECT locked;
        if (dt.bRenderTarget && lpSD != &BackBuffer) {
            if (!dt.lpSurface || !dt.lpSystemSurface || !lpDevice ||
                plat::FAILED(lpDevice->GetRenderTargetData(dt.lpSurface, dt.lpSystemSurface))) {
                ErrorLog(
                    "FAILED( lpDevice->GetRenderTargetData(lpSD->lpDT->lpSurface,lpSD->lpDT->"
                    "lpSystemSurface) )");
                return false;
            }
            if (plat::FAILED(dt.lpSystemSurface->LockRect(&locked, nullptr, 0))) {
                ErrorLog("FAILED( lpSD->lpDT->lpSystemSurface->LockRect(&lock, NULL, 0) )");
                return false;
            }
        } else {
            if (!dt.lpSurface) return false;
            if (plat::FAILED(dt.lpSurface->LockRect(&locked, nullptr, 0))) {
                DebugErrorBox("FAILED( lpSD->lpDT->lpSurface->LockRect(&(lock), NULL, 0) )");
                return false;
            }
        }
        m_lpBits = static_cast<std::uint8_t*>(locked.pBits);
        m_nPitch = locked.Pitch / m_nBytePerPixel;
        return true;
    }
    m_lpSD = lpSD;
    m_nBpp = nBpp;
    m_nBytePerPixel = nBpp / 8;
    m_lpBits = nullptr;
    if (m_nBytePerPixel <= 0) return false;
    plat::DDSURFACEDESC2 desc;
    if (!DDLock(lpSD, &desc, &m_lpBits, nBpp)) return false;
    m_nPitch = desc.lPitch / m_nBytePerPixel;
    return true;
}

void cSurfaceLock::Release() {
    DDSURFACEDATA* sd = m_lpSD;
    if (!sd) return;
    m_lpSD = nullptr;
    m_lpBits = nullptr;
    if (sd->lpDT) {
        DDTEXTUREDATA& dt = *sd->lpDT;
        if (sd == &BackBuffer) {
            if (!dt.lpSurface || plat::FAILED(dt.lpSurface->UnlockRect()))
                ErrorLog("Back :: D3D_OK != m_lpSD->lpDT->lpSurface->UnlockRect();");
        } else if (dt.bRenderTarget) {
            if (!dt.lpSystemSurface || plat::FAILED(dt.lpSystemSurface->UnlockRect())) {
                ErrorLog("D3D_OK != m_lpSD->lpDT->lpSystemSurface->UnlockRect();");
                return;
            }
            // The edited pixels go back into the texture.
            if (!lpDevice || !dt.lpSurface ||
                plat::FAILED(
                    lpDevice->UpdateSurface(dt.lpSystemSurface, nullptr, dt.lpSurface, nullptr)))
                DebugErrorBox(
                    "FAILED( lpDevice->UpdateSurface(m_lpSD->lpDT->lpSystemSurface, NULL, "
                    "m_lpSD->lpDT->lpSurface, NULL)");
        } else if (!dt.lpSurface || plat::FAILED(dt.lpSurface->UnlockRect())) {
            ErrorLog("D3D_OK != m_lpSD->lpDT->lpSurface->UnlockRect();");
        }
    } else if (sd->lpDS && sd->lpDS->lpDDSurface) {
        sd->lpDS->lpDDSurface->Unlock(nullptr);
    }
}

int IsFullScreenBackBuffer(DDSURFACEDATA* lpSD) {
    return lpSD == &BackBuffer && !bWindowMode ? 1 : 0;
}

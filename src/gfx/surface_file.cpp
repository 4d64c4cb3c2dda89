// Surfaces from bitmap files in both back ends: DirectDraw makes a blank surface of the
// bitmap's size and copies the pixels itself; Direct3D loads a texture through the texture
// loader, with the transparent colour made transparent black. Mirrored sheets are built from
// a second copy of the image.
//
// A file that cannot be loaded leaves an empty surface (no device surface or texture), which
// every drawing operation takes as nothing to draw.
#include <cstring>

#include "base/globals.h"
#include "base/log.h"
#include "base/message_box.h"
#include "gfx/bitmap.h"
#include "gfx/display.h"
#include "gfx/surface.h"
#include "platform/d3dx_texture.h"
#include "platform/ddraw.h"
#include "platform/image_decoder.h"

namespace {

template <class T>
void ReleaseInterface(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

void CopyText(char (&dst)[260], const char* src) {
    if (src == dst) return;  // a surface made again from its own file name
    std::strncpy(dst, src ? src : "", sizeof dst - 1);
    dst[sizeof dst - 1] = '\0';
}

void TextureFailureAndClose() {
    if (lpDTCon && !lpDTCon->strTextureWarning.empty())
        ErrorBox(lpDTCon->strTextureWarning.c_str());
    plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
}

// The size of a bitmap file; false when it cannot be loaded.
bool BitmapSize(const char* name, int& width, int& height) {
    plat::DecodedImage image;
    if (!plat::LoadImageFile(name, true, image, nullptr)) return false;
    width = image.width;
    height = image.height;
    return true;
}

void EmptyDirectDrawSurface(DDSURFACEDATA* lpSD) {
    if (!lpSD->lpDS) return;
    ReleaseInterface(lpSD->lpDS->lpDDSurface);
    lpSD->lpDS->lpPalIndex.reset();
}

int DirectDrawFromFile(DDSURFACEDATA* lpSD, const char* name, int bColorKey, int nBpp_,
                       int nDDMemory, const void* lpPalData, int W, int H) {
    int bw = 0, bh = 0;
    if (!BitmapSize(name, bw, bh)) {
        ErrorLogLine(name);
        EmptyDirectDrawSurface(lpSD);
        return 8;
    }
    if (!DDCreateSurface(lpSD, bw, bh, bColorKey, nDDMemory, 0, nullptr, 0)) {
        EmptyDirectDrawSurface(lpSD);
        return 4;
    }
    if (!CopyBitmap(lpSD, name, nBpp_, lpPalData, W, H)) {
        EmptyDirectDrawSurface(lpSD);
        return 8;
    }
    lpSD->nMirrorWidth = W;
    lpSD->nMirrorHeight = H;
    lpSD->nWidth = lpSD->nTexWidth = bw;
    lpSD->nHeight = lpSD->nTexHeight = bh;
    CopyText(lpSD->szFileName, name);
    lpSD->nDDMemory = nDDMemory;
    return 0;
}

// The colour the texture loader makes transparent: the image files' transparent colour.
plat::D3DCOLOR LoaderColorKey() {
    const plat::RGBTRIPLE& c = nBpp == 16 ? lpDTCon->rgbTransmit16 : lpDTCon->rgbTransmit;
    if (nBpp != 16 && nBpp != 32) return 0;
    return 0xFF000000u | std::uint32_t{c.rgbtRed} << 16 | std::uint32_t{c.rgbtGreen} << 8 |
           c.rgbtBlue;
}

int Direct3DFromFile(DDSURFACEDATA* lpSD, const char* name, int bColorKey, int nBpp_, int nDDMemory,
                     int nMemoryType, DDSURFACEDATA* lpShareSD, const void* lpPalData, int W, int H,
                     int bRecreate) {
    if (!lpDevice) return 4;
    DDTEXTUREDATA& dt = *lpSD->lpDT;
    if (!bRecreate) {
        CopyText(lpSD->szSurfaceType, "OffScreenFromFile");
        CopyText(lpSD->szFileName, name);
        dt.nMemoryType = nMemoryType;
        ReleaseInterface(dt.lpSurface);
        ReleaseInterface(dt.lpSystemSurface);
        ReleaseInterface(dt.lpTexture);
        dt.bColorKey = bColorKey == 1;
        if (!lpShareSD) {
            dt.dwID = static_cast<std::uint32_t>(lpDTCon->nDTCount++);
            ReleaseInterface(dt.lpVB);
            const plat::HRESULT hr = lpDevice->CreateVertexBuffer(
                4 * sizeof(plat::D3DTLVERTEX), plat::D3DUSAGE_WRITEONLY,
                plat::D3DFVF_XYZRHW | plat::D3DFVF_DIFFUSE | plat::D3DFVF_TEX1,
                plat::D3DPOOL_MANAGED, &dt.lpVB, nullptr);
            if (plat::FAILED(hr)) {
                // Without its quad the surface cannot be drawn: it counts as not created.
                ReportLog("CreateVertexBuffer Err %x", static_cast<unsigned>(hr));
                return 4;
            }
        }
    }
    int bw = 0, bh = 0;
    if (!BitmapSize(name, bw, bh)) {
        if (*name) ReportLog("LoadImage Err %s", name);
        return 8;
    }
    bool mirrorFailed = false;
    if (lpShareSD) {
        lpSD->nWidth = lpSD->nTexWidth = bw;
        lpSD->nHeight = lpSD->nTexHeight = bh;
    } else {
        int tw = bw, th = bh;
        D3DAdjustTextureSize(&tw, &th);
        if (!D3DCheckTextureSize(static_cast<unsigned>(tw), static_cast<unsigned>(th)))
            ReportLog("上記の理由でテクスチャの描画が失敗する可能性があります。(%s)", name);
        const plat::D3DCOLOR key = LoaderColorKey();
        const auto utw = static_cast<plat::UINT>(tw), uth = static_cast<plat::UINT>(th);
        int type = nMemoryType;
        if (type == DTMEMORYTYPE_VIDEO_NORT) {
            ErrorLog(
                "DDCreateSurfaceFromFile Err "
                "DTMEMORYTYPE_VIDEO_NORTの指定は未対応です。DTMEMORYTYPE_VIDEO_RTでテクスチャを作成"
                "します。");
            type = DTMEMORYTYPE_VIDEO_RT;
        }
        if (type == DTMEMORYTYPE_VIDEO_RT) {
            dt.bRenderTarget = 0;
            ReleaseInterface(dt.lpTexture);
            const plat::HRESULT hr = plat::D3DXCreateTextureFromFileExA(
                lpDevice, name, utw, uth, 1, 0, lpDTCon->TextureFormat, plat::D3DPOOL_MANAGED,
                plat::D3DX_FILTER_NONE, plat::D3DX_DEFAULT, key, nullptr, nullptr, &dt.lpTexture);
            if (hr == plat::D3DERR_OUTOFVIDEOMEMORY) {
                ReportLog("VRAM不足のためシステムメモリにテクスチャを作成します。(%s)", name);
                type = DTMEMORYTYPE_SYSTEM;
            } else if (plat::FAILED(hr)) {
                ReportLog("テクスチャの作成に失敗。(%s)", name);
                return hr;
            }
        }
        dt.nMemoryType = type;
        // A system-memory texture survives a reset and is kept when the surface is made
        // again; one is made whenever there is none.
        if (type == DTMEMORYTYPE_SYSTEM && !dt.lpTexture) {
            dt.bRenderTarget = 0;
            const plat::HRESULT hr = plat::D3DXCreateTextureFromFileExA(
                lpDevice, name, utw, uth, 1, plat::D3DUSAGE_DYNAMIC, lpDTCon->TextureFormat,
                plat::D3DPOOL_SYSTEMMEM, plat::D3DX_FILTER_NONE, plat::D3DX_DEFAULT, key, nullptr,
                nullptr, &dt.lpTexture);
            if (plat::FAILED(hr)) {
                ReportLog("D3DXCreateTextureFromFileEx Err %x %s", static_cast<unsigned>(hr), name);
                TextureFailureAndClose();
                return hr;
            }
        }
        ReleaseInterface(dt.lpSurface);
        const plat::HRESULT level = dt.lpTexture->GetSurfaceLevel(0, &dt.lpSurface);
        if (plat::FAILED(level)) {
            ReportLog("GetSurfaceLevel Err hr = %x", static_cast<unsigned>(level));
            ReleaseInterface(dt.lpTexture);
            return 4;
        }
        dt.lpTexture->GetLevelDesc(0, &dt.desc);
        lpSD->nWidth = bw;
        lpSD->nHeight = bh;
        lpSD->nTexWidth = static_cast<int>(dt.desc.Width);
        lpSD->nTexHeight = static_cast<int>(dt.desc.Height);
        if (W != 0 || H != 0) {
            DDSURFACEDATA copy;
            const int loaded = DDCreateSurfaceFromFile(&copy, name, bColorKey, nBpp_, nDDMemory,
                                                       nMemoryType, nullptr, nullptr, 0, 0, 0);
            if (loaded != 0 || !CreateMirror(lpSD, &copy, W, H)) {
                ReportLog("CreateMirror Err");
                mirrorFailed = true;
            }
            DDReleaseSurface(&copy);
        }
        if (!bRecreate) SDList.push_back(lpSD);
    }
    lpSD->nMirrorWidth = W;
    lpSD->nMirrorHeight = H;
    lpSD->nDDMemory = nDDMemory;
    if (mirrorFailed) return 1;
    if (lpPalData && nBpp_ != 8)
        DDMakePalIndex(&dt.lpPalIndex, lpSD);
    else
        dt.lpPalIndex.reset();
    return 0;
}

}  // namespace

int DDCreateSurfaceFromFile(DDSURFACEDATA* lpSD, const char* szFileName, int bColorKey, int nBpp_,
                            int nDDMemory, int nMemoryType, DDSURFACEDATA* lpShareSD,
                            const void* lpPalData, int nMirrorWidth, int nMirrorHeight,
                            int bRecreate) {
    if (!lpSD) return 4;
    const char* name = szFileName ? szFileName : "";
    if (!DDAllocSurfaceData(lpSD)) return 4;
    if (lpDTCon)
        return Direct3DFromFile(lpSD, name, bColorKey, nBpp_, nDDMemory, nMemoryType, lpShareSD,
                                lpPalData, nMirrorWidth, nMirrorHeight, bRecreate);
    if (lpDDCon)
        return DirectDrawFromFile(lpSD, name, bColorKey, nBpp_, nDDMemory, lpPalData, nMirrorWidth,
                                  nMirrorHeight);
    return 4;
}

int DDCheckBitmapSize(int* pbTooLarge, const char* szFileName, int nWidth, int nHeight) {
    if (lpDTCon) return 1;
    int bw = 0, bh = 0;
    if (!szFileName || !BitmapSize(szFileName, bw, bh)) {
        if (pbTooLarge) *pbTooLarge = 0;
        return 0;
    }
    if (pbTooLarge) *pbTooLarge = (bw > nWidth || bh > nHeight) ? 1 : 0;
    return 1;
}

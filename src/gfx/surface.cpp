// Blank surfaces in both back ends, their release, the scene containers and the surface
// list of the Direct3D back end.
#include "gfx/surface.h"

#include <cstring>
#include <iterator>
#include <new>

#include "base/globals.h"
#include "base/log.h"
#include "base/message_box.h"
#include "gfx/display.h"
#include "gfx/fill.h"
#include "platform/d3d9.h"
#include "platform/ddraw.h"

// Never destroyed: surfaces released during process exit still find it.
CheckedList<DDSURFACEDATA*>& SDList = *new CheckedList<DDSURFACEDATA*>;

namespace {

template <class T>
void ReleaseInterface(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

void CopyText(char (&dst)[260], const char* src) {
    std::strncpy(dst, src ? src : "", sizeof dst - 1);
    dst[sizeof dst - 1] = '\0';
}

constexpr plat::DWORD kQuadFvf = plat::D3DFVF_XYZRHW | plat::D3DFVF_DIFFUSE | plat::D3DFVF_TEX1;

// The warning of a texture that cannot be made, and the close that follows it.
void TextureFailureAndClose() {
    if (lpDTCon && !lpDTCon->strTextureWarning.empty())
        ErrorBox(lpDTCon->strTextureWarning.c_str());
    plat::PostMessage(hWndMain, plat::WM_CLOSE, 0, 0);
}

bool CreateDirectDrawSurface(DDSURFACEDATA* lpSD, int w, int h, int bColorKey, int nDDMemory) {
    if (!lpDD || !lpSD->lpDS) return false;
    DDSDATA& ds = *lpSD->lpDS;
    // A surface made again over a live one gives the old one back first.
    ReleaseInterface(ds.lpDDSurface);
    auto create = [&](bool system) {
        plat::DDSURFACEDESC2 desc;
        desc.dwFlags = plat::DDSD_CAPS | plat::DDSD_HEIGHT | plat::DDSD_WIDTH;
        desc.dwWidth = static_cast<plat::DWORD>(w);
        desc.dwHeight = static_cast<plat::DWORD>(h);
        desc.ddsCaps.dwCaps =
            plat::DDSCAPS_OFFSCREENPLAIN | (system ? plat::DDSCAPS_SYSTEMMEMORY : 0);
        return lpDD->CreateSurface(&desc, &ds.lpDDSurface, nullptr);
    };
    int placement = nDDMemory;
    if (plat::FAILED(create(nDDMemory == 1))) {
        if (nDDMemory == 1) {
            ReportLog("CreateSurface System Err");
            return false;
        }
        if (plat::FAILED(create(true))) {
            ReportLog("CreateSurface Video -> System Err");
            return false;
        }
        placement = 1;
    }
    if (bColorKey == 1) {
        plat::DDCOLORKEY key{dwColorKey, dwColorKey};
        if (plat::FAILED(ds.lpDDSurface->SetColorKey(plat::DDCKEY_SRCBLT, &key)))
            ReportLog("SetColorKey Err");
    }
    // The size is known before the fill, which clips to it: a new surface starts as the
    // transparent colour.
    lpSD->nWidth = lpSD->nTexWidth = w;
    lpSD->nHeight = lpSD->nTexHeight = h;
    DDFillRect(lpSD, 0, 0, w, h, 0);
    lpSD->nDDMemory = placement;
    return true;
}

bool CreateDirect3DSurface(DDSURFACEDATA* lpSD, int w, int h, int bColorKey, int nDDMemory,
                           int nMemoryType, DDSURFACEDATA* lpShareSD, int bRecreate) {
    if (!lpDevice || !lpDTCon || !lpSD->lpDT) return false;
    DDTEXTUREDATA& dt = *lpSD->lpDT;
    if (!bRecreate) {
        CopyText(lpSD->szSurfaceType, "OffScreen");
        CopyText(lpSD->szFileName, "E");
        dt.nMemoryType = nMemoryType;
        ReleaseInterface(dt.lpSurface);
        ReleaseInterface(dt.lpSystemSurface);
        ReleaseInterface(dt.lpTexture);
        dt.bColorKey = bColorKey == 1;
        if (!lpShareSD) {
            dt.dwID = static_cast<std::uint32_t>(lpDTCon->nDTCount++);
            ReleaseInterface(dt.lpVB);
            if (plat::FAILED(lpDevice->CreateVertexBuffer(
                    4 * sizeof(plat::D3DTLVERTEX), plat::D3DUSAGE_WRITEONLY, kQuadFvf,
                    plat::D3DPOOL_MANAGED, &dt.lpVB, nullptr))) {
                ReportLog("CreateVertexBuffer Err");
                return false;
            }
        }
    }
    lpSD->nDDMemory = nDDMemory;
    if (lpShareSD) {
        lpSD->nWidth = lpSD->nTexWidth = w;
        lpSD->nHeight = lpSD->nTexHeight = h;
        return true;
    }

    int tw = w, th = h;
    D3DAdjustTextureSize(&tw, &th);
    if (!D3DCheckTextureSize(static_cast<unsigned>(tw), static_cast<unsigned>(th)))
        ReportLog("上記の理由でテクスチャの描画が失敗する可能性があります。(空)");

    if (nMemoryType == DTMEMORYTYPE_VIDEO_NORT) nMemoryType = DTMEMORYTYPE_VIDEO_RT;
    dt.nMemoryType = nMemoryType;
    const auto utw = static_cast<plat::UINT>(tw), uth = static_cast<plat::UINT>(th);
    if (nMemoryType == DTMEMORYTYPE_VIDEO_RT) {
        dt.bRenderTarget = 1;
        ReleaseInterface(dt.lpTexture);
        const plat::HRESULT hr =
            plat::D3DXCreateTexture(lpDevice, utw, uth, 1, plat::D3DUSAGE_RENDERTARGET,
                                    lpDTCon->TextureFormat, plat::D3DPOOL_DEFAULT, &dt.lpTexture);
        if (hr == plat::D3DERR_OUTOFVIDEOMEMORY) {
            ReportLog("VRAM不足のためシステムメモリにテクスチャを作成します。(空)");
            nMemoryType = dt.nMemoryType = DTMEMORYTYPE_SYSTEM;
        } else if (plat::FAILED(hr)) {
            return false;
        }
    }
    // A system-memory texture survives a reset and is kept; one is made whenever there is
    // none, also when a re-creation finds the video memory full.
    if (nMemoryType == DTMEMORYTYPE_SYSTEM && !dt.lpTexture) {
        dt.bRenderTarget = 0;
        const plat::HRESULT hr =
            plat::D3DXCreateTexture(lpDevice, utw, uth, 1, plat::D3DUSAGE_DYNAMIC,
                                    lpDTCon->TextureFormat, plat::D3DPOOL_SYSTEMMEM, &dt.lpTexture);
        if (plat::FAILED(hr)) {
            ReportLog("D3DXCreateTexture Err hr = %x", static_cast<unsigned>(hr));
            TextureFailureAndClose();
            return false;
        }
    }
    ReleaseInterface(dt.lpSurface);
    const plat::HRESULT level = dt.lpTexture->GetSurfaceLevel(0, &dt.lpSurface);
    if (plat::FAILED(level)) {
        ReportLog("GetSurfaceLevel Err hr = %x", static_cast<unsigned>(level));
        return false;
    }
    dt.lpTexture->GetLevelDesc(0, &dt.desc);
    if (nMemoryType == DTMEMORYTYPE_VIDEO_RT && !dt.lpSystemSurface) {
        const plat::HRESULT hr = lpDevice->CreateOffscreenPlainSurface(
            dt.desc.Width, dt.desc.Height, dt.desc.Format, plat::D3DPOOL_SYSTEMMEM,
            &dt.lpSystemSurface, nullptr);
        if (plat::FAILED(hr)) {
            ReportLog("CreateOffscreenPlainSurface Err hr = %x", static_cast<unsigned>(hr));
            TextureFailureAndClose();
            return false;
        }
    }
    lpSD->nWidth = w;
    lpSD->nHeight = h;
    lpSD->nTexWidth = static_cast<int>(dt.desc.Width);
    lpSD->nTexHeight = static_cast<int>(dt.desc.Height);
    if (D3DSetRenderTarget(0, lpSD)) {
        lpDevice->Clear(0, nullptr, plat::D3DCLEAR_TARGET, lpDTCon->dwTransmitBack, 1.0f, 0);
        D3DSetRenderTarget(0, lpDTCon->lpScreenSD);
    }
    if (!bRecreate) SDList.push_back(lpSD);
    return true;
}

}  // namespace

DDSURFACEDATA::~DDSURFACEDATA() {
    if (lpDT || lpDS) DDReleaseSurface(this);
}

void DDSURFACEDEF::Set(const char* fileName, int colorKey, int ddMemory, int memoryType,
                       DDSURFACEDATA* srcSD, const void* palData, int optional, int mirrorWidth,
                       int mirrorHeight, int width, int height) {
    CopyText(szFileName, fileName);
    bColorKey = colorKey;
    nDDMemory = ddMemory;
    nMemoryType = memoryType;
    lpSrcSD = srcSD;
    lpPalData = palData;
    bOptional = optional;
    nMirrorWidth = mirrorWidth;
    nMirrorHeight = mirrorHeight;
    nWidth = width;
    nHeight = height;
}

DDSURFACEDATA& SurfaceVector::operator[](int index) {
    if (index >= 0 && static_cast<std::size_t>(index) < items_.size()) [[likely]]
        return items_[static_cast<std::size_t>(index)];
    checked_detail::ReportBadIndex('V', index, items_.size(), sizeof(DDSURFACEDATA));
    return checked_detail::Standby<DDSURFACEDATA>();
}

bool DDAllocSurfaceData(DDSURFACEDATA* lpSD) {
    if (!lpSD) return false;
    if (bDirect3D) {
        if (!lpSD->lpDT) lpSD->lpDT = new (std::nothrow) DDTEXTUREDATA;
        return lpSD->lpDT != nullptr;
    }
    if (!lpSD->lpDS) lpSD->lpDS = new (std::nothrow) DDSDATA;
    return lpSD->lpDS != nullptr;
}

bool DDCreateSurface(DDSURFACEDATA* lpSD, int nWidth, int nHeight, int bColorKey, int nDDMemory,
                     int nMemoryType, DDSURFACEDATA* lpShareSD, int bRecreate) {
    if (!DDAllocSurfaceData(lpSD)) return false;
    if (bDirect3D)
        return CreateDirect3DSurface(lpSD, nWidth, nHeight, bColorKey, nDDMemory, nMemoryType,
                                     lpShareSD, bRecreate);
    return CreateDirectDrawSurface(lpSD, nWidth, nHeight, bColorKey, nDDMemory);
}

bool DDCheckResult(int code) {
    switch (code) {
        case 4:
            ErrorLogLine("CREATESURFACE_ERR");
            return false;
        case 8:
            ErrorLogLine("LOADIMAGE_ERR");
            return false;
        case 9:
            ErrorLogLine("SETCOLORKEY_ERR");
            return false;
        default:
            return true;
    }
}

bool DDLoadSurfaceSet(DDSURFACEDATA* lpSDArray, const int* lpIndices, int nCount) {
    if (!lpSDArray || !lpIndices || !lpSurfaceDef) return false;
    for (int k = 0; k < nCount; ++k) {
        const int i = lpIndices[k];
        if (i < 0 || i >= nSurfaceDef) return false;
        DDReleaseSurface(&lpSDArray[i]);
        const DDSURFACEDEF& d = lpSurfaceDef[i];
        if (std::strcmp(d.szFileName, "E") == 0) {
            if (!DDCreateSurface(&lpSDArray[i], d.nWidth, d.nHeight, d.bColorKey, d.nDDMemory,
                                 d.nMemoryType, d.lpSrcSD, 0) &&
                !d.bOptional) {
                MemoryErrorAndClose();
                return false;
            }
        } else {
            const int result = DDCreateSurfaceFromFile(
                &lpSDArray[i], d.szFileName, d.bColorKey, nBpp, d.nDDMemory, d.nMemoryType,
                d.lpSrcSD, d.lpPalData, d.nMirrorWidth, d.nMirrorHeight, 0);
            if (!DDCheckResult(result) && !d.bOptional) {
                ErrorBoxF("%s の読み込みに失敗！", d.szFileName);
                return false;
            }
        }
    }
    return true;
}

namespace {

DDSURFACEDEF BlankDefinition(int bColorKey, int nDDMemory, int nMemoryType, DDSURFACEDATA* src) {
    DDSURFACEDEF d;
    d.bColorKey = bColorKey;
    d.nDDMemory = nDDMemory;
    d.nMemoryType = nMemoryType;
    d.lpSrcSD = src;
    return d;
}

}  // namespace

bool DDAddSurfaceToVector(SurfaceVector& surfaces, SurfaceDefVector& defs, int nWidth, int nHeight,
                          int bColorKey, int nDDMemory, int nMemoryType, DDSURFACEDATA* lpSrcSD) {
    DDSURFACEDATA& sd = surfaces.emplace_back();
    defs.push_back(BlankDefinition(bColorKey, nDDMemory, nMemoryType, lpSrcSD));
    return DDCreateSurface(&sd, nWidth, nHeight, bColorKey, nDDMemory, nMemoryType, lpSrcSD, 0);
}

bool DDAddSurfaceToList(SurfaceList& surfaces, SurfaceDefList& defs, int nWidth, int nHeight,
                        int bColorKey, int nDDMemory, int nMemoryType, DDSURFACEDATA* lpSrcSD) {
    DDSURFACEDATA& sd = surfaces.emplace_back();
    defs.push_back(BlankDefinition(bColorKey, nDDMemory, nMemoryType, lpSrcSD));
    return DDCreateSurface(&sd, nWidth, nHeight, bColorKey, nDDMemory, nMemoryType, lpSrcSD, 0);
}

int DDRemoveSurfaceFromList(SurfaceList& surfaces, SurfaceDefList& defs, DDSURFACEDATA* lpSD) {
    int position = 0;
    auto it = surfaces.begin();
    for (; it != surfaces.end(); ++it, ++position) {
        if (&*it == lpSD) break;
    }
    if (it == surfaces.end()) return 0;
    DDReleaseSurface(lpSD);
    surfaces.erase(it);
    if (position < static_cast<int>(defs.size())) defs.erase(std::next(defs.begin(), position));
    return 1;
}

void DDFreeSurfaceData(DDSURFACEDATA* lpSD) {
    if (!lpSD) return;
    if (DDTEXTUREDATA* dt = lpSD->lpDT) {
        // A sharing surface owns nothing but its record. One that owns a texture after all
        // (it was linked after it made its own) gives it back like any other.
        const bool owns = dt->lpTexture || dt->lpVB || dt->lpSurface || dt->lpSystemSurface;
        if (!lpSD->lpShareSD || owns) {
            ReleaseInterface(dt->lpTexture);
            ReleaseInterface(dt->lpVB);
            ReleaseInterface(dt->lpSystemSurface);
            ReleaseInterface(dt->lpSurface);
            const std::uint32_t id = dt->dwID;
            for (auto it = SDList.begin(); it != SDList.end();) {
                DDSURFACEDATA* listed = *it;
                const bool same = listed == lpSD || (listed->lpDT && listed->lpDT->dwID == id);
                it = same ? SDList.erase(it) : std::next(it);
            }
        }
        delete dt;
        lpSD->lpDT = nullptr;
    }
    if (DDSDATA* ds = lpSD->lpDS) {
        ReleaseInterface(ds->lpDDSurface);
        delete ds;
        lpSD->lpDS = nullptr;
    }
}

void DDReleaseSurface(DDSURFACEDATA* lpSD) {
    DDFreeSurfaceData(lpSD);
}

void DDReleaseSurfaceVector(SurfaceVector& surfaces) {
    for (DDSURFACEDATA& sd : surfaces) DDReleaseSurface(&sd);
}

void DDReleaseSurfaceList(SurfaceList& surfaces) {
    for (DDSURFACEDATA& sd : surfaces) DDReleaseSurface(&sd);
}

void DDGetShareSD(DDSURFACEDATA** ppSD) {
    if (lpDTCon && ppSD && *ppSD && (*ppSD)->lpShareSD) *ppSD = (*ppSD)->lpShareSD;
}

void D3DAdjustTextureSize(int* pW, int* pH) {
    if (!lpDTCon || !pW || !pH) return;
    auto pow2 = [](int v) {
        if (v <= 0 || (v & (v - 1)) == 0 || v > (1 << 30)) return v;
        int p = 1;
        while (p <= v) p <<= 1;  // just above the highest set bit
        return p;
    };
    if (lpDTCon->bPow2) {
        *pW = pow2(*pW);
        *pH = pow2(*pH);
    }
    if (lpDTCon->bSquareOnly) *pW = *pH = std::max(*pW, *pH);
}

int D3DCheckTextureSize(unsigned w, unsigned h) {
    if (!lpDTCon) return 0;
    int ok = 1;
    if (w > lpDTCon->d3dCaps.MaxTextureWidth) {
        ReportLog("このビデオカードでは横幅%dを超える画像はサポートされていません！",
                  static_cast<int>(lpDTCon->d3dCaps.MaxTextureWidth));
        ok = 0;
    }
    if (h > lpDTCon->d3dCaps.MaxTextureHeight) {
        ReportLog("このビデオカードでは縦幅%dを超える画像はサポートされていません！",
                  static_cast<int>(lpDTCon->d3dCaps.MaxTextureHeight));
        ok = 0;
    }
    return ok;
}

// The display: opening either back end on the software device, closing it, presenting, and
// the dialog mode of a full-screen display.
#include "gfx/display.h"

#include <cstring>
#include <new>

#include "base/globals.h"
#include "base/log.h"
#include "base/message_box.h"
#include "gfx/blit.h"
#include "gfx/frame_timing.h"
#include "gfx/palette.h"
#include "platform/clock.h"
#include "platform/d3d9.h"
#include "platform/ddraw.h"
#include "platform/display_window.h"
#include "platform/message_box.h"

int bDirect3D = 0;
std::atomic<int> bDDInit{0};
std::uint8_t bDDInitOnce = 0;
plat::HWND hWnd = nullptr;
int nScreenWidth = 0;
int nScreenHeight = 0;
int nBpp = 0;
int bWindowMode = 0;
int nBackBufferMode = 0;
int bVSync = 0;
int nRefreshRate = 0;
int bSetRefreshRate = 0;
DDSURFACEDATA* lpStdSD = nullptr;
DDSURFACEDEF* lpSurfaceDef = nullptr;
int nSurfaceDef = 0;
std::uint32_t dwColorKey = 0;
DDPIXFMT PixFmt;
DDPIXFMT PixFmtBack;
plat::IDirect3D9* lpD3D = nullptr;
plat::IDirect3DDevice9* lpDevice = nullptr;
plat::IDirectDraw7* lpDD = nullptr;
plat::IDirectDrawPalette* lpDDPalette = nullptr;
plat::IDirectDrawClipper* lpDDClipper = nullptr;
plat::RECT rcClientScreen;
int nDesktopBpp = 0;

DTCONTEXT* lpDTCon = nullptr;
DDCONTEXT* lpDDCon = nullptr;

DDSURFACEDATA PrimarySD;
DDSURFACEDATA BackBuffer;
DDSURFACEDATA FadeSD;
DDSURFACEDATA VirBackBuffer;
DDSURFACEDATA WorkSD;

namespace {

template <class T>
void ReleaseInterface(T*& p) {
    if (p) p->Release();
    p = nullptr;
}

void SetType(DDSURFACEDATA& sd, const char* type) {
    std::strncpy(sd.szSurfaceType, type, sizeof sd.szSurfaceType - 1);
    sd.szSurfaceType[sizeof sd.szSurfaceType - 1] = '\0';
}

// Hides the cursor for a full-screen display (its count below 0).
void HideCursor() {
    // Bounded, though each call lowers the count by one.
    for (int i = 0; i < 1000 && plat::ShowCursor(false) >= 0; ++i) {
    }
}

void ShowCursorAgain() {
    for (int i = 0; i < 1000 && plat::ShowCursor(true) < 0; ++i) {
    }
}

const char* FormatName(plat::D3DFORMAT f) {
    switch (f) {
        case plat::D3DFMT_X8R8G8B8:
            return "X8R8G8B8";
        case plat::D3DFMT_R5G6B5:
            return "R5G6B5";
        default:
            return "A1R5G5B5";
    }
}

}  // namespace

int GetDirectXVersion() {
    const char* text = plat::DisplayDriverDdiVersion();
    int value = 0;
    bool digits = false;
    for (const char* p = text; p && *p >= '0' && *p <= '9' && value < 100000; ++p) {
        value = value * 10 + (*p - '0');
        digits = true;
    }
    return (!digits || value == 0) ? 99999 : value;
}

bool DDInit(int bDirect3D_, plat::HWND hWnd_, int nWidth, int nHeight, int nBpp_, int bVSync_,
            int bWindowMode_, int nBackBufferMode_, int nRefreshRate_, int bSetRefreshRate_,
            DDSURFACEDATA* lpStdSD_, DDSURFACEDEF* lpSurfaceDef_, int nSurfaceDef_) {
    bDirect3D = bDirect3D_;
    hWnd = hWnd_;
    nScreenWidth = nWidth;
    nScreenHeight = nHeight;
    nBpp = nBpp_;
    bVSync = bVSync_;
    bWindowMode = bWindowMode_;
    nBackBufferMode = nBackBufferMode_;
    nRefreshRate = nRefreshRate_;
    bSetRefreshRate = bSetRefreshRate_;
    lpStdSD = lpStdSD_;
    lpSurfaceDef = lpSurfaceDef_;
    nSurfaceDef = nSurfaceDef_;
    ReportLog("VSync : %d", bVSync);

    if (bDirect3D) {
        if (!D3DInitDevice(hWnd, nWidth, nHeight)) return false;
    } else {
        // A display opened before is released first, and only then is the new context
        // made: releasing deletes the context, and the set-up below fills it.
        int result = 0;
        if (bWindowMode == 0) {
            if (bDDInitOnce) DDRelease();
        } else if (bWindowMode == 1) {
            if (lpDD) lpDD->RestoreDisplayMode();
            if (bDDInitOnce) DDUnInit();
        }
        delete lpDDCon;
        lpDDCon = new (std::nothrow) DDCONTEXT;
        if (!lpDDCon) return false;
        if (bWindowMode == 0) {
            plat::SetWindowLong(hWnd, plat::GWL_EXSTYLE, plat::WS_EX_TOPMOST);
            plat::SetWindowLong(hWnd, plat::GWL_STYLE, plat::WS_POPUP);
            result = DDInitFullScreen(hWnd, nWidth, nHeight, nBpp, nBackBufferMode);
        } else if (bWindowMode == 1) {
            result = DDInitWindow(hWnd);
        }
        if (!DDLogInitError(result)) return false;
    }
    bDDInit = 1;
    bDDInitOnce = 1;
    DisplayMessageBox = DisplayBox;
    return true;
}

void D3DSetDefaultStates() {
    if (!lpDevice) return;
    lpDevice->SetRenderState(plat::D3DRS_CULLMODE, plat::D3DCULL_NONE);
    lpDevice->SetRenderState(plat::D3DRS_ZENABLE, 0);
    lpDevice->SetRenderState(plat::D3DRS_ALPHABLENDENABLE, 1);
    lpDevice->SetRenderState(plat::D3DRS_SRCBLEND, plat::D3DBLEND_SRCALPHA);
    lpDevice->SetRenderState(plat::D3DRS_DESTBLEND, plat::D3DBLEND_INVSRCALPHA);
    lpDevice->SetRenderState(plat::D3DRS_DIFFUSEMATERIALSOURCE, plat::D3DMCS_COLOR1);
    lpDevice->SetRenderState(plat::D3DRS_COLORVERTEX, 1);
    for (plat::DWORD sampler = 0; sampler < 2; ++sampler) {
        lpDevice->SetSamplerState(sampler, plat::D3DSAMP_ADDRESSU, plat::D3DTADDRESS_WRAP);
        lpDevice->SetSamplerState(sampler, plat::D3DSAMP_ADDRESSV, plat::D3DTADDRESS_WRAP);
        lpDevice->SetSamplerState(sampler, plat::D3DSAMP_MINFILTER, plat::D3DTEXF_POINT);
        lpDevice->SetSamplerState(sampler, plat::D3DSAMP_MAGFILTER, plat::D3DTEXF_POINT);
    }
}

int D3DInitDevice(plat::HWND hWnd_, int nWidth, int nHeight) {
    const int version = GetDirectXVersion();
    if (version < 9) {
        ReportLog("ビデオカードのドライバがDirectX9をサポートしていません！ %d", version);
        return 0;
    }
    lpD3D = plat::Direct3DCreate9(plat::D3D_SDK_VERSION);
    if (!lpD3D) {
        ReportLog("ビデオカードがDirectX9をサポートしていません！");
        return 0;
    }

    delete lpDTCon;
    lpDTCon = new (std::nothrow) DTCONTEXT;
    if (!lpDTCon) return 0;
    DTCONTEXT& con = *lpDTCon;
    con.dwAlphaOp = 4;  // becomes 2 with the resets below

    plat::D3DPRESENT_PARAMETERS& pp = con.d3dpp;
    pp = plat::D3DPRESENT_PARAMETERS{};
    if (bWindowMode) {
        pp.Windowed = 1;
        pp.BackBufferWidth = 0;
        pp.BackBufferHeight = 0;
        pp.FullScreen_RefreshRateInHz = 0;
        if (bVSync) {
            // The desktop is asked for 60 Hz; vertical sync paces the frames only at that rate.
            int test = plat::ChangeDisplayRefreshRate(60, true);
            if (test != plat::DISP_CHANGE_SUCCESSFUL) {
                ReportLog("ChangeDisplaySettings != DISP_CHANGE_SUCCESSFUL");
            } else {
                int change = plat::ChangeDisplayRefreshRate(60, false);
                if (change != plat::DISP_CHANGE_SUCCESSFUL)
                    ReportLog("ChangeDisplaySettings Err = %x", static_cast<unsigned>(change));
            }
            plat::D3DDISPLAYMODE mode;
            lpD3D->GetAdapterDisplayMode(plat::D3DADAPTER_DEFAULT, &mode);
            ReportLog("RefreshRate : %d", static_cast<int>(mode.RefreshRate));
            if (mode.RefreshRate != 60) {
                bVSync = 0;
                ReportLog("リフレッシュレートの変更に失敗しました！垂直同期が無効になります！");
            }
        }
    } else {
        pp.Windowed = 0;
        pp.BackBufferWidth = static_cast<plat::UINT>(nWidth);
        pp.BackBufferHeight = static_cast<plat::UINT>(nHeight);
        pp.FullScreen_RefreshRateInHz = 60;
    }
    pp.PresentationInterval =
        bVSync ? plat::D3DPRESENT_INTERVAL_DEFAULT : plat::D3DPRESENT_INTERVAL_IMMEDIATE;

    con.nAdapter = plat::D3DADAPTER_DEFAULT;
    con.DeviceType = plat::D3DDEVTYPE_HAL;
    if (plat::FAILED(
            lpD3D->GetDeviceCaps(plat::D3DADAPTER_DEFAULT, plat::D3DDEVTYPE_HAL, &con.d3dCaps)))
        ErrorLog("GetDeviceCaps Err");
    pp.SwapEffect = (con.d3dCaps.Caps3 & plat::D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD)
                        ? plat::D3DSWAPEFFECT_DISCARD
                        : plat::D3DSWAPEFFECT_COPY;
    con.bPow2 = (con.d3dCaps.TextureCaps & plat::D3DPTEXTURECAPS_POW2) ? 1 : 0;
    con.bSquareOnly = (con.d3dCaps.TextureCaps & plat::D3DPTEXTURECAPS_SQUAREONLY) ? 1 : 0;

    if (nBpp == 32) {
        con.BackBufferFormat = plat::D3DFMT_X8R8G8B8;
        con.TextureFormat = plat::D3DFMT_A8R8G8B8;
        PixFmt = DDPIXFMT{16, 8, 0, 24, 255, 255, 255, 255};
    } else if (nBpp == 16) {
        con.TextureFormat = plat::D3DFMT_A1R5G5B5;
        PixFmt = DDPIXFMT{10, 5, 0, 15, 31, 31, 31, 1};
        if (bWindowMode) {
            con.BackBufferFormat = plat::D3DFMT_A1R5G5B5;
            PixFmtBack = DDPIXFMT{10, 5, 0, 15, 31, 31, 31, 1};
        } else {
            con.BackBufferFormat = plat::D3DFMT_R5G6B5;
            PixFmtBack = DDPIXFMT{11, 5, 0, 16, 31, 63, 31, 0};
        }
    } else {
        return 0;
    }

    pp.BackBufferFormat = con.BackBufferFormat;
    pp.BackBufferCount = 1;
    pp.MultiSampleType = plat::D3DMULTISAMPLE_NONE;
    pp.MultiSampleQuality = 0;
    pp.hDeviceWindow = nullptr;
    pp.EnableAutoDepthStencil = 0;
    pp.AutoDepthStencilFormat = con.BackBufferFormat;
    pp.Flags = plat::D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
    con.DisplayFormat = pp.BackBufferFormat;

    if (plat::SUCCEEDED(lpD3D->CreateDevice(plat::D3DADAPTER_DEFAULT, plat::D3DDEVTYPE_HAL, hWnd_,
                                            plat::D3DCREATE_HARDWARE_VERTEXPROCESSING, &pp,
                                            &lpDevice))) {
        ReportLog("Device HAL-HARD");
    } else if (plat::SUCCEEDED(lpD3D->CreateDevice(plat::D3DADAPTER_DEFAULT, plat::D3DDEVTYPE_HAL,
                                                   hWnd_, plat::D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                                                   &pp, &lpDevice))) {
        ReportLog("Device HAL-SOFT");
    } else {
        ErrorLog("CreateDevice Err");
        return 0;
    }
    ReportLog("%s", FormatName(con.BackBufferFormat));

    D3DSetDefaultStates();
    D3DResetDiffuse();
    D3DResetColorOp();
    D3DResetAlphaOp();

    if (!DDAllocSurfaceData(&BackBuffer)) return 0;
    BackBuffer.nWidth = BackBuffer.nTexWidth = nWidth;
    BackBuffer.nHeight = BackBuffer.nTexHeight = nHeight;
    BackBuffer.nDDMemory = 0;
    DDTEXTUREDATA& back = *BackBuffer.lpDT;
    back.nMemoryType = 0;
    SetType(BackBuffer, "BackBuffer");
    back.bColorKey = 0;
    back.bRenderTarget = 1;
    const plat::HRESULT vb =
        lpDevice->CreateVertexBuffer(4 * sizeof(plat::D3DTLVERTEX), plat::D3DUSAGE_WRITEONLY,
                                     plat::D3DFVF_XYZRHW | plat::D3DFVF_DIFFUSE | plat::D3DFVF_TEX1,
                                     plat::D3DPOOL_MANAGED, &back.lpVB, nullptr);
    if (plat::FAILED(vb)) {
        ReportLog("Back CreateVertexBuffer Err %x", static_cast<unsigned>(vb));
        return 0;
    }
    const plat::HRESULT bb =
        lpDevice->GetBackBuffer(0, 0, plat::D3DBACKBUFFER_TYPE_MONO, &back.lpSurface);
    if (plat::FAILED(bb)) {
        ReportLog("GetBackBuffer Err %x", static_cast<unsigned>(bb));
        return 0;
    }
    back.lpSurface->GetDesc(&back.desc);
    back.dwID = 0;
    con.nDTCount = 1;
    con.nFontCount = 0;

    DDAllocSurfaceData(&VirBackBuffer);
    D3DSetVirBackBuffer(0);
    con.bVirCopy = 0;
    const int w = static_cast<int>(pp.BackBufferWidth), h = static_cast<int>(pp.BackBufferHeight);
    DDCreateSurface(&VirBackBuffer, w, h, 0, 0, 0, nullptr, 0);
    SetType(VirBackBuffer, "VirBackBuffer");
    DDCreateSurface(&WorkSD, w, h, 0, 0, 0, nullptr, 0);
    SetType(WorkSD, "WorkSD");

    if (!bWindowMode) HideCursor();
    return 1;
}

int DDInitFullScreen(plat::HWND hWnd_, int nWidth, int nHeight, int nBpp_, int nBackBufferMode_) {
    FadeSD.nDDMemory = 1;
    for (DDSURFACEDATA* sd : {&PrimarySD, &BackBuffer, &FadeSD}) {
        sd->nWidth = nWidth;
        sd->nHeight = nHeight;
    }
    PrimarySD.nDDMemory = 0;
    BackBuffer.nDDMemory = 0;

    if (plat::FAILED(plat::DirectDrawCreateEx(nullptr, &lpDD))) {
        ReportLog("DirectDrawCreateEx Err");
        return CREATEEX_ERR;
    }
    if (plat::FAILED(lpDD->SetCooperativeLevel(
            hWnd_, plat::DDSCL_FULLSCREEN | plat::DDSCL_ALLOWREBOOT | plat::DDSCL_EXCLUSIVE))) {
        ReportLog("SetCooperativeLevel Err");
        return SETCOOPLEVEL_ERR;
    }
    const plat::DWORD w = static_cast<plat::DWORD>(nWidth), h = static_cast<plat::DWORD>(nHeight),
                      bpp = static_cast<plat::DWORD>(nBpp_);
    plat::HRESULT mode;
    if (bSetRefreshRate) {
        mode = lpDD->SetDisplayMode(w, h, bpp, static_cast<plat::DWORD>(nRefreshRate), 0);
        if (plat::FAILED(mode)) mode = lpDD->SetDisplayMode(w, h, bpp, 0, 0);
    } else {
        mode = lpDD->SetDisplayMode(w, h, bpp, 0, 0);
    }
    if (plat::FAILED(mode)) {
        ReportLog("SetDisplayMode Err");
        return SETDISPLAYMODE_ERR;
    }

    if (!DDAllocSurfaceData(&PrimarySD) || !DDAllocSurfaceData(&BackBuffer))
        return CREATESURFACE_ERR;
    plat::DDSURFACEDESC2 desc;
    desc.dwFlags = plat::DDSD_CAPS | plat::DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = plat::DDSCAPS_PRIMARYSURFACE | plat::DDSCAPS_FLIP | plat::DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = nBackBufferMode_ == 1 ? 1 : 2;
    if (plat::FAILED(lpDD->CreateSurface(&desc, &PrimarySD.lpDS->lpDDSurface, nullptr))) {
        ReportLog("Primary CreateSurface Err");
        return CREATESURFACE_ERR;
    }
    plat::DDSCAPS2 caps;
    caps.dwCaps = plat::DDSCAPS_BACKBUFFER;
    if (plat::FAILED(PrimarySD.lpDS->lpDDSurface->GetAttachedSurface(
            &caps, &BackBuffer.lpDS->lpDDSurface))) {
        ReportLog("GetAttachedSurface Err");
        return GETATTACHEDSURFACE_ERR;
    }
    if (!DDCreateSurface(&FadeSD, nWidth, nHeight, 0, 1, 0, nullptr, 0)) return CREATESURFACE_ERR;

    plat::PALETTEENTRY entries[256];
    for (int i = 0; i < 256; ++i)
        entries[i] = plat::PALETTEENTRY{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i),
                                        0, plat::PC_RESERVED};
    entries[0] = plat::PALETTEENTRY{0, 0, 255, plat::PC_RESERVED};
    if (plat::FAILED(lpDD->CreatePalette(plat::DDPCAPS_8BIT | plat::DDPCAPS_ALLOW256, entries,
                                         &lpDDPalette, nullptr))) {
        ReportLog("CreatePalette Err");
        return CREATEPALETTE_ERR;
    }
    if (nBpp_ <= 8) {
        if (plat::FAILED(PrimarySD.lpDS->lpDDSurface->SetPalette(lpDDPalette))) {
            ReportLog("SetPalette Err");
            return SETPALETTE_ERR;
        }
    } else {
        DDGetPixelFormat(&PixFmt);
    }
    HideCursor();
    return 0;
}

int DDInitWindow(plat::HWND hWnd_) {
    plat::RECT client;
    plat::GetClientRect(hWnd_, &client);
    plat::POINT topLeft{client.left, client.top}, bottomRight{client.right, client.bottom};
    plat::ClientToScreen(hWnd_, &topLeft);
    plat::ClientToScreen(hWnd_, &bottomRight);
    rcClientScreen = plat::RECT{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
    const int w = client.right - client.left, h = client.bottom - client.top;
    for (DDSURFACEDATA* sd : {&PrimarySD, &BackBuffer, &FadeSD}) {
        sd->nWidth = w;
        sd->nHeight = h;
    }
    PrimarySD.nDDMemory = 0;
    BackBuffer.nDDMemory = 0;
    FadeSD.nDDMemory = 1;
    nDesktopBpp = plat::GetDesktopBitsPerPixel();

    if (plat::FAILED(plat::DirectDrawCreateEx(nullptr, &lpDD))) {
        ReportLog("DirectDrawCreateEx Err");
        return CREATEEX_ERR;
    }
    if (plat::FAILED(lpDD->SetCooperativeLevel(hWnd_, plat::DDSCL_NORMAL))) {
        ReportLog("SetCooperativeLevel Err");
        return SETCOOPLEVEL_ERR;
    }
    if (!DDAllocSurfaceData(&PrimarySD)) return CREATESURFACE_ERR;
    plat::DDSURFACEDESC2 desc;
    desc.dwFlags = plat::DDSD_CAPS;
    desc.ddsCaps.dwCaps = plat::DDSCAPS_PRIMARYSURFACE;
    if (plat::FAILED(lpDD->CreateSurface(&desc, &PrimarySD.lpDS->lpDDSurface, nullptr))) {
        ReportLog("Primary CreateSurface Err");
        return CREATESURFACE_ERR;
    }
    if (!DDCreateSurface(&BackBuffer, w, h, 0, 0, 0, nullptr, 0) ||
        !DDCreateSurface(&FadeSD, w, h, 0, 1, 0, nullptr, 0))
        return CREATESURFACE_ERR;

    plat::PALETTEENTRY entries[256];
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<std::uint8_t>(i);
        // The system palette's own entries at both ends.
        entries[i] = (i < 10 || i >= 246) ? plat::PALETTEENTRY{v, 0, 0, plat::PC_EXPLICIT}
                                          : plat::PALETTEENTRY{v, v, 0, plat::PC_RESERVED};
    }
    if (plat::FAILED(lpDD->CreatePalette(plat::DDPCAPS_8BIT | plat::DDPCAPS_ALLOW256, entries,
                                         &lpDDPalette, nullptr))) {
        ReportLog("CreatePalette Err");
        return CREATEPALETTE_ERR;
    }
    if (nDesktopBpp <= 8) {
        if (plat::FAILED(PrimarySD.lpDS->lpDDSurface->SetPalette(lpDDPalette))) {
            ReportLog("SetPalette Err");
            return SETPALETTE_ERR;
        }
    } else {
        DDGetPixelFormat(&PixFmt);
    }
    if (plat::FAILED(lpDD->CreateClipper(0, &lpDDClipper, nullptr))) {
        ReportLog("CreateClipper Err");
        return CLIPPER_ERR;
    }
    if (plat::FAILED(lpDDClipper->SetHWnd(0, hWnd_))) {
        ReportLog("SetHWnd Err");
        return SETHWND_ERR;
    }
    if (plat::FAILED(PrimarySD.lpDS->lpDDSurface->SetClipper(lpDDClipper))) {
        ReportLog("SetClipper Err");
        return SETCLIPPER_ERR;
    }
    ShowCursorAgain();
    return 0;
}

bool DDLogInitError(int code) {
    const char* name = nullptr;
    switch (code) {
        case CREATEEX_ERR:
            name = "CREATEEX_ERR";
            break;
        case SETCOOPLEVEL_ERR:
            name = "SETCOOPLEVEL_ERR";
            break;
        case SETDISPLAYMODE_ERR:
            name = "SETDISPLAYMODE_ERR";
            break;
        case CREATESURFACE_ERR:
            name = "CREATESURFACE_ERR";
            break;
        case GETATTACHEDSURFACE_ERR:
            name = "GETATTACHEDSURFACE_ERR";
            break;
        case CREATEPALETTE_ERR:
            name = "CREATEPALETTE_ERR";
            break;
        case SETPALETTE_ERR:
            name = "SETPALETTE_ERR";
            break;
        case CLIPPER_ERR:
            name = "CLIPPER_ERR";
            break;
        case SETHWND_ERR:
            name = "SETHWND_ERR";
            break;
        case SETCLIPPER_ERR:
            name = "SETCLIPPER_ERR";
            break;
        default:
            return true;
    }
    ErrorLogLine(name);
    return false;
}

void DDUnInit() {
    // Boxes from here on are ordinary ones: the display they would switch is going.
    bDDInit = 0;
    DisplayMessageBox = nullptr;
    if (lpDD) {
        for (int i = 0; lpStdSD && i < nSurfaceDef; ++i) DDReleaseSurface(&lpStdSD[i]);
        ReleaseInterface(lpDDClipper);
        ReleaseInterface(lpDDPalette);
        DDReleaseSurface(&BackBuffer);
        DDReleaseSurface(&PrimarySD);
        DDReleaseSurface(&FadeSD);
        const plat::ULONG left = lpDD->Release();
        lpDD = nullptr;
        if (left != 0) ShowMessageBox("解放漏れがあります", "DirectDraw", plat::MB_ICONERROR);
    }
    // The context goes also when the set-up failed before the DirectDraw object existed,
    // so a second attempt starts from nothing.
    delete lpDDCon;
    lpDDCon = nullptr;
    if (lpD3D) {
        for (int i = 0; lpStdSD && i < nSurfaceDef; ++i) DDReleaseSurface(&lpStdSD[i]);
        DDReleaseSurface(&WorkSD);
        DDReleaseSurface(&VirBackBuffer);
        DDReleaseSurface(&BackBuffer);
        ReleaseInterface(lpDevice);
        ReleaseInterface(lpD3D);
    }
    delete lpDTCon;
    lpDTCon = nullptr;
}

void DDRelease() {
    DDUnInit();
}

int D3DPresentFrame(int nFps, int a, int b) {
    if (!lpDTCon || !lpDevice) return 1;
    if (lpDTCon->bVirBackBuffer) D3DCopyVirBackBuffer(&BackBuffer, &VirBackBuffer);
    if (bVSync == 0) {
        while (!PaceFrame(nFps, a, static_cast<std::uint32_t>(b))) plat::Sleep(1);
    }
    D3DEndScene();
    const plat::HRESULT hr = lpDevice->Present(nullptr, nullptr, nullptr, nullptr);
    if (hr == plat::D3DERR_DEVICELOST) {
        if (!bWindowMode) plat::ShowWindow(hWnd, plat::SW_SHOWMINNOACTIVE);
        return 0;
    }
    return 1;
}

int D3DBeginScene() {
    if (!lpDevice || !lpDTCon) return 0;
    if (lpDTCon->bInScene) return 1;
    const plat::HRESULT hr = lpDevice->BeginScene();
    if (plat::FAILED(hr)) {
        ReportLog("BeginScene Err %x", static_cast<unsigned>(hr));
        return 0;
    }
    lpDTCon->bInScene = 1;
    return 1;
}

void D3DEndScene() {
    if (lpDevice && lpDTCon && lpDTCon->bInScene) {
        lpDevice->EndScene();
        lpDTCon->bInScene = 0;
    }
}

int D3DSetRenderTarget(int, DDSURFACEDATA* lpSD) {
    if (!lpDevice || !lpSD || !lpSD->lpDT || !lpSD->lpDT->bRenderTarget) return 0;
    const plat::HRESULT hr = lpDevice->SetRenderTarget(0, lpSD->lpDT->lpSurface);
    if (plat::FAILED(hr)) {
        ReportLog("SetRenderTarget Err %x (%s)", static_cast<unsigned>(hr), lpSD->szFileName);
        return 0;
    }
    return 1;
}

void D3DSetVirBackBuffer(int bOn) {
    if (!lpDTCon) return;
    if (lpDTCon->bVirBackBuffer && !bOn && VirBackBuffer.lpDT && VirBackBuffer.lpDT->lpSurface)
        D3DCopyVirBackBuffer(&BackBuffer, &VirBackBuffer);
    lpDTCon->bVirBackBuffer = bOn;
    lpDTCon->lpScreenSD = bOn ? &BackBuffer : &VirBackBuffer;
    if (lpDTCon->lpScreenSD->lpDT && lpDTCon->lpScreenSD->lpDT->lpSurface)
        D3DSetRenderTarget(0, lpDTCon->lpScreenSD);
}

int D3DRedirectBackBuffer(DDSURFACEDATA** ppSD) {
    if (!lpDTCon || !ppSD || !lpDTCon->bVirBackBuffer || *ppSD != &BackBuffer) return 0;
    *ppSD = &VirBackBuffer;
    return 1;
}

void D3DCopyVirBackBuffer(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc) {
    if (!lpDTCon || !lpDevice || !lpDst || !lpSrc || !lpDst->lpDT || !lpSrc->lpDT) return;
    lpDTCon->bVirCopy = 1;
    // Alpha off: the copy is opaque whatever the virtual back buffer's alpha holds.
    D3DSetAlphaOp(plat::D3DTOP_DISABLE);
    DDBltRect(lpDst, 0, 0, lpSrc->nWidth, lpSrc->nHeight, lpSrc, 0, 0, 0);
    D3DResetAlphaOp();
    lpDTCon->bVirCopy = 0;
}

int DDSetDialogMode(int bOn) {
    if (bWindowMode != 0) return 1;
    if (lpDTCon) {
        if (!lpDevice) return 0;
        if (bOn) {
            D3DEndScene();
            if (plat::FAILED(lpDevice->SetDialogBoxMode(1))) {
                ErrorLog("D3D_OK != lpDevice->SetDialogBoxMode(TRUE)");
                return 0;
            }
            plat::ShowCursor(true);
        } else {
            HideCursor();
            if (plat::FAILED(lpDevice->SetDialogBoxMode(0))) return 0;
        }
        return 1;
    }
    if (lpDDCon && lpDD) {
        if (bOn) {
            if (plat::FAILED(lpDD->FlipToGDISurface())) return 0;
            plat::ShowCursor(true);
        } else {
            HideCursor();
        }
    }
    return 1;
}

int DisplayBox(const char* text, const char* caption, unsigned type) {
    // Full screen: the display switches to its dialog mode for the box.
    if (bDDInit && !bWindowMode) return DDMesBox(text, caption, type);
    return plat::MessageBox(plat::GetActiveWindow(), text, caption, type);
}

int DDMesBox(const char* text, const char* caption, unsigned type) {
    if (!DDSetDialogMode(1)) {
        ErrorLog("DDMesBox 失敗! %s, %s", text ? text : "", caption ? caption : "");
        return 0;
    }
    const int answer = plat::MessageBox(hWnd, text, caption, type);
    DDSetDialogMode(0);
    return answer;
}

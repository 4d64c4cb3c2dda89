// The display: the two back ends of the drawing interface (Direct3D 9 and DirectDraw 7 on
// the software device), their context records and globals, opening and closing, the
// present, scenes, render targets, the virtual back buffer, and the dialog mode that lets a
// message box show over a full-screen display.
//
// One back end is active for the whole run: lpDTCon is set in Direct3D, lpDDCon in
// DirectDraw, and the drawing operations choose their branch by them.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "gfx/surface.h"
#include "platform/d3d9_types.h"
#include "platform/ddraw_fwd.h"
#include "platform/messages.h"
#include "platform/pixel_format.h"
#include "platform/rect.h"

// Shift of the lowest bit and maximum value of each channel of a pixel format.
struct DDPIXFMT {
    int nShiftR = 0;
    int nShiftG = 0;
    int nShiftB = 0;
    int nShiftA = 0;
    int nMaxR = 0;
    int nMaxG = 0;
    int nMaxB = 0;
    int nMaxA = 0;
};

// The Direct3D context.
struct DTCONTEXT {
    plat::D3DFORMAT BackBufferFormat = plat::D3DFMT_UNKNOWN;
    plat::D3DFORMAT TextureFormat = plat::D3DFMT_UNKNOWN;
    plat::D3DPRESENT_PARAMETERS d3dpp;
    int nAdapter = 0;
    std::uint32_t DeviceType = 0;
    plat::D3DFORMAT DisplayFormat = plat::D3DFMT_UNKNOWN;
    plat::D3DCAPS9 d3dCaps;
    int bPow2 = 0;
    int bSquareOnly = 0;
    int bVirBackBuffer = 0;
    DDSURFACEDATA* lpScreenSD = nullptr;
    int bVirCopy = 0;
    plat::RGBTRIPLE rgbTransmit;
    plat::RGBTRIPLE rgbTransmit16;
    std::uint32_t dwTransmit = 0;
    std::uint32_t dwTransmitBack = 0;
    std::uint16_t wTransmit_16 = 0;
    std::uint16_t wTransmitBack_16 = 0;
    int bInScene = 0;
    std::uint32_t dwDiffuse = 0xFFFFFFFFu;
    std::uint32_t dwColorOp = 4;
    std::uint32_t dwAlphaOp = 2;
    int nDTCount = 0;
    int nFontCount = 0;
    std::string strTextureWarning;
};

// The DirectDraw context.
struct DDCONTEXT {
    plat::RGBTRIPLE rgbTransmit;
    plat::RGBTRIPLE rgbTransmit16;
    int nFontCount = 0;
};

// Display globals.
extern int bDirect3D;
// Read by message boxes on any thread.
extern std::atomic<int> bDDInit;
extern std::uint8_t bDDInitOnce;
extern plat::HWND hWnd;
extern int nScreenWidth;
extern int nScreenHeight;
extern int nBpp;
extern int bWindowMode;
extern int nBackBufferMode;
extern int bVSync;
extern int nRefreshRate;
extern int bSetRefreshRate;
extern DDSURFACEDATA* lpStdSD;
extern DDSURFACEDEF* lpSurfaceDef;
extern int nSurfaceDef;
extern std::uint32_t dwColorKey;
extern DDPIXFMT PixFmt;
extern DDPIXFMT PixFmtBack;
extern plat::IDirect3D9* lpD3D;
extern plat::IDirect3DDevice9* lpDevice;
extern plat::IDirectDraw7* lpDD;
extern plat::IDirectDrawPalette* lpDDPalette;
extern plat::IDirectDrawClipper* lpDDClipper;
extern plat::RECT rcClientScreen;
extern int nDesktopBpp;

extern DTCONTEXT* lpDTCon;
extern DDCONTEXT* lpDDCon;

// Static surfaces.
extern DDSURFACEDATA PrimarySD;
extern DDSURFACEDATA BackBuffer;
extern DDSURFACEDATA FadeSD;
extern DDSURFACEDATA VirBackBuffer;
extern DDSURFACEDATA WorkSD;

// Error codes of the DirectDraw set-up.
constexpr int CREATEEX_ERR = 1;
constexpr int SETCOOPLEVEL_ERR = 2;
constexpr int SETDISPLAYMODE_ERR = 3;
constexpr int CREATESURFACE_ERR = 4;
constexpr int GETATTACHEDSURFACE_ERR = 5;
constexpr int CREATEPALETTE_ERR = 6;
constexpr int SETPALETTE_ERR = 7;
constexpr int CLIPPER_ERR = 10;
constexpr int SETHWND_ERR = 11;
constexpr int SETCLIPPER_ERR = 12;

bool DDInit(int bDirect3D, plat::HWND hWnd, int nWidth, int nHeight, int nBpp, int bVSync,
            int bWindowMode, int nBackBufferMode, int nRefreshRate, int bSetRefreshRate,
            DDSURFACEDATA* lpStdSD, DDSURFACEDEF* lpSurfaceDef, int nSurfaceDef);
int D3DInitDevice(plat::HWND hWnd, int nWidth, int nHeight);
int DDInitFullScreen(plat::HWND hWnd, int nWidth, int nHeight, int nBpp, int nBackBufferMode);
int DDInitWindow(plat::HWND hWnd);
bool DDLogInitError(int code);
void D3DSetDefaultStates();
void DDUnInit();
void DDRelease();
// The DDI version of the display driver: its leading decimal digits, 99999 when there
// are none (or they read 0).
int GetDirectXVersion();

// 1 = presented (or not Direct3D), 0 = the device is lost.
int D3DPresentFrame(int nFps, int a, int b);
int D3DBeginScene();
void D3DEndScene();
int D3DSetRenderTarget(int ignored, DDSURFACEDATA* lpSD);
void D3DSetVirBackBuffer(int bOn);
int D3DRedirectBackBuffer(DDSURFACEDATA** ppSD);
void D3DCopyVirBackBuffer(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc);

int DDSetDialogMode(int bOn);
// The button chosen (IDOK, IDYES, ...), 0 when the box could not be shown.
int DDMesBox(const char* text, const char* caption, unsigned type);
// The box of an open display (DisplayMessageBox while it is open): full screen goes through
// DDMesBox, a window shows an ordinary box.
int DisplayBox(const char* text, const char* caption, unsigned type);

// The plain values and records of the Direct3D-9-like interface (d3d9.h): result codes,
// flags and states, the descriptions the device fills, the screen-space vertex, and the
// interface classes declared only. Headers that keep these records or point at the
// interfaces include this instead of the whole device.
#pragma once

#include "platform/device_object.h"
#include "platform/messages.h"
#include "platform/pixel_format.h"

namespace plat {

using D3DCOLOR = DWORD;

constexpr HRESULT MakeD3DResult(int code) {
    return static_cast<HRESULT>(0x88760000u + code);
}
constexpr HRESULT D3D_OK = 0;
constexpr HRESULT D3DERR_OUTOFVIDEOMEMORY = MakeD3DResult(380);
constexpr HRESULT D3DERR_DEVICELOST = MakeD3DResult(2152);
constexpr HRESULT D3DERR_DEVICENOTRESET = MakeD3DResult(2153);
constexpr HRESULT D3DERR_NOTAVAILABLE = MakeD3DResult(2154);
constexpr HRESULT D3DERR_INVALIDCALL = MakeD3DResult(2156);

constexpr UINT D3D_SDK_VERSION = 32;
constexpr UINT D3DADAPTER_DEFAULT = 0;
constexpr DWORD D3DDEVTYPE_HAL = 1;
constexpr DWORD D3DCREATE_SOFTWARE_VERTEXPROCESSING = 0x20;
constexpr DWORD D3DCREATE_HARDWARE_VERTEXPROCESSING = 0x40;

constexpr DWORD D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD = 0x20;
constexpr DWORD D3DPTEXTURECAPS_POW2 = 0x2;
constexpr DWORD D3DPTEXTURECAPS_SQUAREONLY = 0x20;

constexpr DWORD D3DSWAPEFFECT_DISCARD = 1;
constexpr DWORD D3DSWAPEFFECT_COPY = 3;
constexpr UINT D3DPRESENT_INTERVAL_DEFAULT = 0;
constexpr UINT D3DPRESENT_INTERVAL_IMMEDIATE = 0x80000000u;
constexpr DWORD D3DPRESENTFLAG_LOCKABLE_BACKBUFFER = 0x1;
constexpr DWORD D3DMULTISAMPLE_NONE = 0;
constexpr DWORD D3DBACKBUFFER_TYPE_MONO = 0;

constexpr DWORD D3DUSAGE_RENDERTARGET = 0x1;
constexpr DWORD D3DUSAGE_WRITEONLY = 0x8;
constexpr DWORD D3DUSAGE_DYNAMIC = 0x200;
constexpr DWORD D3DPOOL_DEFAULT = 0;
constexpr DWORD D3DPOOL_MANAGED = 1;
constexpr DWORD D3DPOOL_SYSTEMMEM = 2;
constexpr DWORD D3DRTYPE_SURFACE = 1;
constexpr DWORD D3DRTYPE_TEXTURE = 3;

constexpr DWORD D3DCLEAR_TARGET = 0x1;
constexpr DWORD D3DCLEAR_ZBUFFER = 0x2;
constexpr DWORD D3DCLEAR_STENCIL = 0x4;

// Render states.
constexpr DWORD D3DRS_ZENABLE = 7;
constexpr DWORD D3DRS_SRCBLEND = 19;
constexpr DWORD D3DRS_DESTBLEND = 20;
constexpr DWORD D3DRS_CULLMODE = 22;
constexpr DWORD D3DRS_ALPHABLENDENABLE = 27;
constexpr DWORD D3DRS_TEXTUREFACTOR = 60;
constexpr DWORD D3DRS_COLORVERTEX = 141;
constexpr DWORD D3DRS_DIFFUSEMATERIALSOURCE = 145;
constexpr DWORD D3DCULL_NONE = 1;
constexpr DWORD D3DBLEND_ZERO = 1;
constexpr DWORD D3DBLEND_ONE = 2;
constexpr DWORD D3DBLEND_SRCALPHA = 5;
constexpr DWORD D3DBLEND_INVSRCALPHA = 6;
constexpr DWORD D3DMCS_COLOR1 = 1;

// Texture stage states, arguments and operations.
constexpr DWORD D3DTSS_COLOROP = 1;
constexpr DWORD D3DTSS_COLORARG1 = 2;
constexpr DWORD D3DTSS_COLORARG2 = 3;
constexpr DWORD D3DTSS_ALPHAOP = 4;
constexpr DWORD D3DTSS_ALPHAARG1 = 5;
constexpr DWORD D3DTSS_ALPHAARG2 = 6;
constexpr DWORD D3DTA_DIFFUSE = 0;
constexpr DWORD D3DTA_CURRENT = 1;
constexpr DWORD D3DTA_TEXTURE = 2;
constexpr DWORD D3DTA_TFACTOR = 3;
constexpr DWORD D3DTA_COMPLEMENT = 0x10;
constexpr DWORD D3DTA_ALPHAREPLICATE = 0x20;
constexpr DWORD D3DTOP_DISABLE = 1;
constexpr DWORD D3DTOP_SELECTARG1 = 2;
constexpr DWORD D3DTOP_SELECTARG2 = 3;
constexpr DWORD D3DTOP_MODULATE = 4;
constexpr DWORD D3DTOP_MODULATE2X = 5;
constexpr DWORD D3DTOP_MODULATE4X = 6;
constexpr DWORD D3DTOP_ADD = 7;
constexpr DWORD D3DTOP_ADDSIGNED = 8;
constexpr DWORD D3DTOP_ADDSIGNED2X = 9;
constexpr DWORD D3DTOP_SUBTRACT = 10;
constexpr DWORD D3DTOP_ADDSMOOTH = 11;
constexpr DWORD D3DTOP_BLENDDIFFUSEALPHA = 12;
constexpr DWORD D3DTOP_BLENDTEXTUREALPHA = 13;
constexpr DWORD D3DTOP_BLENDFACTORALPHA = 14;

// Sampler states.
constexpr DWORD D3DSAMP_ADDRESSU = 1;
constexpr DWORD D3DSAMP_ADDRESSV = 2;
constexpr DWORD D3DSAMP_MAGFILTER = 5;
constexpr DWORD D3DSAMP_MINFILTER = 6;
constexpr DWORD D3DTADDRESS_WRAP = 1;
constexpr DWORD D3DTADDRESS_CLAMP = 3;
constexpr DWORD D3DTEXF_NONE = 0;
constexpr DWORD D3DTEXF_POINT = 1;

constexpr DWORD D3DPT_TRIANGLESTRIP = 5;
constexpr D3DFORMAT D3DFMT_INDEX16 = 101;
// Screen-space vertices with a colour and one texture coordinate pair: 28 bytes.
constexpr DWORD D3DFVF_XYZRHW = 0x4;
constexpr DWORD D3DFVF_DIFFUSE = 0x40;
constexpr DWORD D3DFVF_TEX1 = 0x100;

struct D3DDISPLAYMODE {
    UINT Width = 0;
    UINT Height = 0;
    UINT RefreshRate = 0;
    D3DFORMAT Format = D3DFMT_UNKNOWN;
};

struct D3DCAPS9 {
    DWORD DeviceType = 0;
    UINT AdapterOrdinal = 0;
    DWORD Caps3 = 0;
    DWORD TextureCaps = 0;
    DWORD MaxTextureWidth = 0;
    DWORD MaxTextureHeight = 0;
};

struct D3DPRESENT_PARAMETERS {
    UINT BackBufferWidth = 0;
    UINT BackBufferHeight = 0;
    D3DFORMAT BackBufferFormat = D3DFMT_UNKNOWN;
    UINT BackBufferCount = 0;
    DWORD MultiSampleType = 0;
    DWORD MultiSampleQuality = 0;
    DWORD SwapEffect = 0;
    HWND hDeviceWindow = nullptr;
    BOOL Windowed = 0;
    BOOL EnableAutoDepthStencil = 0;
    D3DFORMAT AutoDepthStencilFormat = D3DFMT_UNKNOWN;
    DWORD Flags = 0;
    UINT FullScreen_RefreshRateInHz = 0;
    UINT PresentationInterval = 0;
};

struct D3DSURFACE_DESC {
    D3DFORMAT Format = D3DFMT_UNKNOWN;
    DWORD Type = 0;
    DWORD Usage = 0;
    DWORD Pool = 0;
    DWORD MultiSampleType = 0;
    DWORD MultiSampleQuality = 0;
    UINT Width = 0;
    UINT Height = 0;
};

struct D3DLOCKED_RECT {
    int Pitch = 0;
    void* pBits = nullptr;
};

// One vertex of a screen-space quad (the layout of FVF XYZRHW | DIFFUSE | TEX1).
struct D3DTLVERTEX {
    float x, y, z, rhw;
    D3DCOLOR color;
    float tu, tv;
};
static_assert(sizeof(D3DTLVERTEX) == 28);

class IDirect3D9;
class IDirect3DDevice9;
class IDirect3DSurface9;
class IDirect3DTexture9;
class IDirect3DVertexBuffer9;
class IDirect3DIndexBuffer9;

}  // namespace plat

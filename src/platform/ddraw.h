// The DirectDraw-7-like personality of the software display device: a display object with
// a cooperative level and a display mode, surfaces in the display's format (primary with an
// attached back buffer, off-screen surfaces in "video" or system memory), 256-entry
// palettes for the 8-bit mode, and a clipper. Every surface lives in the software device
// (soft_device.h); what the flags say about memory decides only which surfaces a simulated
// loss takes away.
//
// The primary surface is the window's client area: a Flip of the primary, or a blit onto
// it, presents the frame (presenter.h). A flip copies the back buffer to the front, so the
// back buffer keeps what was drawn whatever the number of back buffers asked for. Frames
// are presented by the thread that runs the frame loop, never by the window thread: there a
// blit onto the primary is the window's repaint (WM_PAINT), which shows the last presented
// frame again without counting a frame or reading the surfaces, which the game thread may
// be drawing into at that moment.
//
// The desktop's format (that of surfaces outside full screen) is read once, when the
// display object is created, not asked of the window thread at every surface.
//
// Surfaces are lost only when a test hook (K4_LOSE_DEVICE, or SimulateSurfaceLoss) says so;
// a lost surface refuses locks and blits until restored, and a restored video-memory
// surface comes back with zero bytes, a system-memory one with its pixels.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "platform/device_object.h"
#include "platform/gdi_text.h"
#include "platform/messages.h"
#include "platform/pixel_format.h"
#include "platform/rect.h"
#include "platform/soft_device.h"

namespace plat {

constexpr HRESULT MakeDDResult(int code) {
    return static_cast<HRESULT>(0x88760000u + code);
}

constexpr HRESULT DD_OK = 0;
constexpr HRESULT DDERR_GENERIC = E_FAIL;
constexpr HRESULT DDERR_INVALIDPARAMS = E_INVALIDARG;
constexpr HRESULT DDERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DDERR_UNSUPPORTED = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT DDERR_INVALIDMODE = MakeDDResult(120);
constexpr HRESULT DDERR_INVALIDOBJECT = MakeDDResult(130);
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = MakeDDResult(145);
constexpr HRESULT DDERR_INVALIDRECT = MakeDDResult(150);
constexpr HRESULT DDERR_NOCOOPERATIVELEVELSET = MakeDDResult(212);
constexpr HRESULT DDERR_NOCOLORKEY = MakeDDResult(215);
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = MakeDDResult(225);
constexpr HRESULT DDERR_NOTFOUND = MakeDDResult(255);
constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = MakeDDResult(380);
constexpr HRESULT DDERR_PRIMARYSURFACEALREADYEXISTS = MakeDDResult(564);
constexpr HRESULT DDERR_SURFACEBUSY = MakeDDResult(430);
constexpr HRESULT DDERR_SURFACELOST = MakeDDResult(450);
constexpr HRESULT DDERR_NOTFLIPPABLE = MakeDDResult(582);
constexpr HRESULT DDERR_NOTLOCKED = MakeDDResult(584);

// SetCooperativeLevel.
constexpr DWORD DDSCL_FULLSCREEN = 0x1;
constexpr DWORD DDSCL_ALLOWREBOOT = 0x2;
constexpr DWORD DDSCL_NORMAL = 0x8;
constexpr DWORD DDSCL_EXCLUSIVE = 0x10;

// DDSURFACEDESC2 fields in use.
constexpr DWORD DDSD_CAPS = 0x1;
constexpr DWORD DDSD_HEIGHT = 0x2;
constexpr DWORD DDSD_WIDTH = 0x4;
constexpr DWORD DDSD_PITCH = 0x8;
constexpr DWORD DDSD_BACKBUFFERCOUNT = 0x20;
constexpr DWORD DDSD_LPSURFACE = 0x800;
constexpr DWORD DDSD_PIXELFORMAT = 0x1000;
constexpr DWORD DDSD_CKSRCBLT = 0x10000;

constexpr DWORD DDSCAPS_BACKBUFFER = 0x4;
constexpr DWORD DDSCAPS_COMPLEX = 0x8;
constexpr DWORD DDSCAPS_FLIP = 0x10;
constexpr DWORD DDSCAPS_FRONTBUFFER = 0x20;
constexpr DWORD DDSCAPS_OFFSCREENPLAIN = 0x40;
constexpr DWORD DDSCAPS_PRIMARYSURFACE = 0x200;
constexpr DWORD DDSCAPS_SYSTEMMEMORY = 0x800;
constexpr DWORD DDSCAPS_VIDEOMEMORY = 0x4000;

constexpr DWORD DDPF_PALETTEINDEXED8 = 0x20;
constexpr DWORD DDPF_RGB = 0x40;

constexpr DWORD DDCKEY_SRCBLT = 0x8;

constexpr DWORD DDBLT_COLORFILL = 0x400;
constexpr DWORD DDBLT_KEYSRC = 0x8000;
constexpr DWORD DDBLT_KEYSRCOVERRIDE = 0x10000;
constexpr DWORD DDBLT_WAIT = 0x1000000;
constexpr DWORD DDBLTFAST_NOCOLORKEY = 0x0;
constexpr DWORD DDBLTFAST_SRCCOLORKEY = 0x1;
constexpr DWORD DDBLTFAST_WAIT = 0x10;

constexpr DWORD DDLOCK_WAIT = 0x1;
constexpr DWORD DDFLIP_WAIT = 0x1;
constexpr DWORD DDFLIP_NOVSYNC = 0x8;

constexpr DWORD DDPCAPS_8BIT = 0x4;
constexpr DWORD DDPCAPS_ALLOW256 = 0x40;
// Palette entry flags.
constexpr BYTE PC_RESERVED = 0x1;
constexpr BYTE PC_EXPLICIT = 0x2;

struct DDCOLORKEY {
    DWORD dwColorSpaceLowValue = 0;
    DWORD dwColorSpaceHighValue = 0;
};

struct DDPIXELFORMAT {
    DWORD dwSize = sizeof(DDPIXELFORMAT);
    DWORD dwFlags = 0;
    DWORD dwRGBBitCount = 0;
    DWORD dwRBitMask = 0;
    DWORD dwGBitMask = 0;
    DWORD dwBBitMask = 0;
    DWORD dwRGBAlphaBitMask = 0;
};

struct DDSCAPS2 {
    DWORD dwCaps = 0;
};

struct DDSURFACEDESC2 {
    DWORD dwSize = sizeof(DDSURFACEDESC2);
    DWORD dwFlags = 0;
    DWORD dwHeight = 0;
    DWORD dwWidth = 0;
    LONG lPitch = 0;
    DWORD dwBackBufferCount = 0;
    void* lpSurface = nullptr;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    DDSCAPS2 ddsCaps;
};

struct DDBLTFX {
    DWORD dwSize = sizeof(DDBLTFX);
    DWORD dwFillColor = 0;
    DDCOLORKEY ddckSrcColorkey;
};

class IDirectDraw7;

class IDirectDrawPalette : public DeviceObject {
public:
    // The range is clamped to the 256 entries.
    HRESULT SetEntries(DWORD flags, DWORD start, DWORD count, const PALETTEENTRY* entries);
    HRESULT GetEntries(DWORD flags, DWORD start, DWORD count, PALETTEENTRY* entries);
    const PALETTEENTRY* Entries() const { return entries_; }

private:
    friend class IDirectDraw7;
    explicit IDirectDrawPalette(IDirectDraw7* owner);
    Ref<IDirectDraw7> owner_;
    PALETTEENTRY entries_[256];
};

class IDirectDrawClipper : public DeviceObject {
public:
    HRESULT SetHWnd(DWORD flags, HWND hwnd);
    HWND Window() const { return hwnd_; }

private:
    friend class IDirectDraw7;
    explicit IDirectDrawClipper(IDirectDraw7* owner);
    Ref<IDirectDraw7> owner_;
    HWND hwnd_ = nullptr;
};

class IDirectDrawSurface7 : public DeviceObject {
public:
    // A null rectangle locks the whole surface.
    HRESULT Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD flags, void* event);
    HRESULT Unlock(RECT* rect);
    // COLORFILL (fx->dwFillColor), or a copy of src (stretched when the sizes differ) with
    // the source colour key (DDBLT_KEYSRC) or fx's key (DDBLT_KEYSRCOVERRIDE). Rectangles
    // must lie inside their surfaces. Onto the primary it presents the frame; on the window
    // thread it repaints the window instead (see above) and always succeeds.
    HRESULT Blt(RECT* dstRect, IDirectDrawSurface7* src, RECT* srcRect, DWORD flags, DDBLTFX* fx);
    // As Blt, unscaled, to (x, y).
    HRESULT BltFast(DWORD x, DWORD y, IDirectDrawSurface7* src, RECT* srcRect, DWORD trans);
    // The primary only: presents the attached back buffer.
    HRESULT Flip(IDirectDrawSurface7* target, DWORD flags);
    HRESULT GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface7** out);
    HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key);
    HRESULT GetColorKey(DWORD flags, DDCOLORKEY* key);
    HRESULT SetPalette(IDirectDrawPalette* palette);
    HRESULT SetClipper(IDirectDrawClipper* clipper);
    HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc);
    HRESULT GetPixelFormat(DDPIXELFORMAT* format);
    HRESULT IsLost();
    HRESULT Restore();
    // A GDI device context over the pixels, which stay locked until ReleaseDC.
    HRESULT GetDC(HDC* dc);
    HRESULT ReleaseDC(HDC dc);

    // The pixels, for the software loops of the drawing layer and for tests.
    SoftSurface& Pixels() { return *pixels_; }
    bool IsPrimary() const { return (caps_ & DDSCAPS_PRIMARYSURFACE) != 0; }
    bool InSystemMemory() const { return (caps_ & DDSCAPS_SYSTEMMEMORY) != 0; }

private:
    friend class IDirectDraw7;
    IDirectDrawSurface7(IDirectDraw7* owner, std::shared_ptr<SoftSurface> pixels, DWORD caps);
    ~IDirectDrawSurface7() override;
    HRESULT Present();
    // True for a blit onto the primary made on the window thread: a repaint, not a present.
    bool Repaints() const;

    Ref<IDirectDraw7> owner_;
    std::shared_ptr<SoftSurface> pixels_;
    DWORD caps_;
    bool hasKey_ = false;
    DWORD key_ = 0;
    bool lost_ = false;
    Ref<IDirectDrawPalette> palette_;
    Ref<IDirectDrawClipper> clipper_;
    Ref<IDirectDrawSurface7> back_;  // the primary's attached back buffer
};

class IDirectDraw7 : public DeviceObject {
public:
    HRESULT SetCooperativeLevel(HWND hwnd, DWORD flags);
    // Exclusive full screen only: the program's display runs at 60 Hz, so a refresh rate
    // other than 0 or 60 is refused. The window goes to full screen.
    HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bpp, DWORD refreshRate, DWORD flags);
    HRESULT RestoreDisplayMode();
    HRESULT CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** out, void* outer);
    HRESULT CreatePalette(DWORD caps, const PALETTEENTRY* entries, IDirectDrawPalette** out,
                          void* outer);
    HRESULT CreateClipper(DWORD flags, IDirectDrawClipper** out, void* outer);
    HRESULT FlipToGDISurface();
    HRESULT GetMonitorFrequency(DWORD* hz);
    // The display's mode: size and pixel format (the desktop's outside full screen).
    HRESULT GetDisplayMode(DDSURFACEDESC2* desc);

    // Test hook: every surface is lost, as when another program took the display.
    void SimulateSurfaceLoss();

    // The format surfaces are created in.
    D3DFORMAT DisplayFormat() const;

private:
    friend HRESULT DirectDrawCreateEx(void* guid, IDirectDraw7** out);
    friend class IDirectDrawSurface7;
    IDirectDraw7() = default;
    ~IDirectDraw7() override;
    void Register(IDirectDrawSurface7* s);
    void Unregister(IDirectDrawSurface7* s);

    HWND hwnd_ = nullptr;
    DWORD level_ = 0;
    int modeWidth_ = 0;
    int modeHeight_ = 0;
    int modeBpp_ = 0;  // 0: no display mode set (the desktop's)
    D3DFORMAT desktopFormat_ = D3DFMT_X8R8G8B8;
    bool primaryExists_ = false;
    std::mutex mutex_;  // the surface registry
    std::vector<IDirectDrawSurface7*> surfaces_;
};

// K4_FAIL=ddraw_create makes it fail.
HRESULT DirectDrawCreateEx(void* guid, IDirectDraw7** out);

// Fills a DDPIXELFORMAT for a device format.
void DescribePixelFormat(D3DFORMAT format, DDPIXELFORMAT* out);

}  // namespace plat

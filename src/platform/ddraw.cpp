#include "platform/ddraw.h"

#include <algorithm>
#include <new>

#include "platform/display_window.h"
#include "platform/presenter.h"
#include "platform/seams.h"

namespace plat {
namespace {

RECT Whole(const SoftSurface& s) {
    return s.Bounds();
}

// The bits of a fill value or a colour key that a pixel of the format holds. The unused byte
// of a 32-bit pixel stays 0 in every DirectDraw surface (as the bitmap loader writes its
// pixels): a fill or a key given with it set then still stores and matches the same colour,
// since the keyed copy compares whole pixel values.
DWORD ValueMask(D3DFORMAT format) {
    switch (BitsPerPixel(format)) {
        case 8:
            return 0xFFu;
        case 16:
            return 0xFFFFu;
        default:
            return format == D3DFMT_X8R8G8B8 ? 0x00FFFFFFu : 0xFFFFFFFFu;
    }
}

}  // namespace

void DescribePixelFormat(D3DFORMAT format, DDPIXELFORMAT* out) {
    *out = DDPIXELFORMAT{};
    out->dwRGBBitCount = static_cast<DWORD>(BitsPerPixel(format));
    if (format == D3DFMT_P8) {
        out->dwFlags = DDPF_PALETTEINDEXED8 | DDPF_RGB;
        return;
    }
    const ChannelMasks m = MasksOf(format);
    out->dwFlags = DDPF_RGB;
    out->dwRBitMask = m.r;
    out->dwGBitMask = m.g;
    out->dwBBitMask = m.b;
    out->dwRGBAlphaBitMask = m.a;
}

// ---- palette and clipper

IDirectDrawPalette::IDirectDrawPalette(IDirectDraw7* owner) : owner_(owner) {}

HRESULT IDirectDrawPalette::SetEntries(DWORD, DWORD start, DWORD count, const PALETTEENTRY* e) {
    if (!e) return DDERR_INVALIDPARAMS;
    if (start > 255) return DD_OK;
    count = std::min<DWORD>(count, 256 - start);
    std::copy(e, e + count, entries_ + start);
    return DD_OK;
}

HRESULT IDirectDrawPalette::GetEntries(DWORD, DWORD start, DWORD count, PALETTEENTRY* e) {
    if (!e) return DDERR_INVALIDPARAMS;
    if (start > 255) return DD_OK;
    count = std::min<DWORD>(count, 256 - start);
    std::copy(entries_ + start, entries_ + start + count, e);
    return DD_OK;
}

IDirectDrawClipper::IDirectDrawClipper(IDirectDraw7* owner) : owner_(owner) {}

HRESULT IDirectDrawClipper::SetHWnd(DWORD, HWND hwnd) {
    if (FailStep("ddraw_clipper_hwnd")) return DDERR_INVALIDOBJECT;
    hwnd_ = hwnd;
    return DD_OK;
}

// ---- surfaces

IDirectDrawSurface7::IDirectDrawSurface7(IDirectDraw7* owner, std::shared_ptr<SoftSurface> pixels,
                                         DWORD caps)
    : owner_(owner), pixels_(std::move(pixels)), caps_(caps) {
    owner->Register(this);
}

IDirectDrawSurface7::~IDirectDrawSurface7() {
    if (IsPrimary()) owner_->primaryExists_ = false;
    owner_->Unregister(this);
}

HRESULT IDirectDrawSurface7::Lock(RECT* rect, DDSURFACEDESC2* desc, DWORD, void*) {
    if (!desc) return DDERR_INVALIDPARAMS;
    if (lost_) return DDERR_SURFACELOST;
    SoftSurface& s = *pixels_;
    const RECT r = rect ? *rect : Whole(s);
    if (!s.Holds(r)) return DDERR_INVALIDRECT;
    if (!s.TryLock()) return DDERR_SURFACEBUSY;
    const DWORD size = desc->dwSize;
    *desc = DDSURFACEDESC2{};
    desc->dwSize = size;
    desc->dwFlags =
        DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_LPSURFACE;
    desc->dwWidth = static_cast<DWORD>(s.Width());
    desc->dwHeight = static_cast<DWORD>(s.Height());
    desc->lPitch = s.Pitch();
    desc->lpSurface = s.Row(r.top) + r.left * s.BytesPerPixel();
    desc->ddsCaps.dwCaps = caps_;
    DescribePixelFormat(s.Format(), &desc->ddpfPixelFormat);
    return DD_OK;
}

HRESULT IDirectDrawSurface7::Unlock(RECT*) {
    return pixels_->Unlock() ? DD_OK : DDERR_NOTLOCKED;
}

bool IDirectDrawSurface7::Repaints() const {
    // The caps never change after creation, so this reads nothing another thread writes.
    return IsPrimary() && IsWindowThread();
}

HRESULT IDirectDrawSurface7::Blt(RECT* dstRect, IDirectDrawSurface7* src, RECT* srcRect,
                                 DWORD flags, DDBLTFX* fx) {
    if (Repaints()) {
        RepaintLastFrame();
        return DD_OK;
    }
    if (lost_ || (src && src->lost_)) return DDERR_SURFACELOST;
    SoftSurface& d = *pixels_;
    if (d.IsLocked() || (src && src != this && src->pixels_->IsLocked())) return DDERR_SURFACEBUSY;
    if (flags & DDBLT_COLORFILL) {
        if (!fx) return DDERR_INVALIDPARAMS;
        const RECT r = dstRect ? *dstRect : Whole(d);
        if (!d.Holds(r)) return DDERR_INVALIDRECT;
        FillPixels(d, r, fx->dwFillColor & ValueMask(d.Format()));
        return IsPrimary() ? Present() : DD_OK;
    }
    if (!src) return DDERR_INVALIDPARAMS;
    const SoftSurface& s = *src->pixels_;
    if (s.Format() != d.Format()) return DDERR_INVALIDPIXELFORMAT;
    const RECT sr = srcRect ? *srcRect : Whole(s);
    // The primary in a window stands for the client area: a present fills it whatever
    // rectangle of the desktop the caller names.
    const bool windowPresent = IsPrimary() && clipper_;
    const RECT dr = (dstRect && !windowPresent) ? *dstRect : Whole(d);
    if (!s.Holds(sr) || !d.Holds(dr)) return DDERR_INVALIDRECT;
    const std::uint32_t* key = nullptr;
    std::uint32_t overrideKey = 0;
    if (flags & DDBLT_KEYSRCOVERRIDE) {
        if (!fx) return DDERR_INVALIDPARAMS;
        overrideKey = fx->ddckSrcColorkey.dwColorSpaceLowValue;
        key = &overrideKey;
    } else if (flags & DDBLT_KEYSRC) {
        if (!src->hasKey_) return DDERR_NOCOLORKEY;
        key = &src->key_;
    }
    CopyPixels(d, dr, s, sr, key);
    return IsPrimary() ? Present() : DD_OK;
}

HRESULT IDirectDrawSurface7::BltFast(DWORD x, DWORD y, IDirectDrawSurface7* src, RECT* srcRect,
                                     DWORD trans) {
    if (Repaints()) {
        RepaintLastFrame();
        return DD_OK;
    }
    if (!src) return DDERR_INVALIDPARAMS;
    if (lost_ || src->lost_) return DDERR_SURFACELOST;
    SoftSurface& d = *pixels_;
    const SoftSurface& s = *src->pixels_;
    if (d.IsLocked() || (src != this && s.IsLocked())) return DDERR_SURFACEBUSY;
    if (s.Format() != d.Format()) return DDERR_INVALIDPIXELFORMAT;
    const RECT sr = srcRect ? *srcRect : Whole(s);
    if (!s.Holds(sr) || x > static_cast<DWORD>(kMaxSurfaceSide) ||
        y > static_cast<DWORD>(kMaxSurfaceSide))
        return DDERR_INVALIDRECT;
    const RECT dr{static_cast<LONG>(x), static_cast<LONG>(y),
                  static_cast<LONG>(x) + (sr.right - sr.left),
                  static_cast<LONG>(y) + (sr.bottom - sr.top)};
    if (!d.Holds(dr)) return DDERR_INVALIDRECT;
    const std::uint32_t* key = nullptr;
    if (trans & DDBLTFAST_SRCCOLORKEY) {
        if (!src->hasKey_) return DDERR_NOCOLORKEY;
        key = &src->key_;
    }
    CopyPixels(d, dr, s, sr, key);
    return IsPrimary() ? Present() : DD_OK;
}

HRESULT IDirectDrawSurface7::Flip(IDirectDrawSurface7*, DWORD flags) {
    if (!IsPrimary() || !back_) return DDERR_NOTFLIPPABLE;
    if (lost_ || back_->lost_) return DDERR_SURFACELOST;
    if (pixels_->IsLocked() || back_->pixels_->IsLocked()) return DDERR_SURFACEBUSY;
    if (!(flags & DDFLIP_NOVSYNC)) WaitForVerticalBlank();
    CopyWholeSurface(*pixels_, *back_->pixels_);
    return Present();
}

HRESULT IDirectDrawSurface7::Present() {
    if (DeviceLossDue()) {
        owner_->SimulateSurfaceLoss();
        CountLostFrame();
        return DDERR_SURFACELOST;
    }
    PresentFrame(*pixels_, palette_ ? palette_->Entries() : nullptr);
    return DD_OK;
}

HRESULT IDirectDrawSurface7::GetAttachedSurface(DDSCAPS2* caps, IDirectDrawSurface7** out) {
    if (!caps || !out) return DDERR_INVALIDPARAMS;
    if (!(caps->dwCaps & DDSCAPS_BACKBUFFER) || !back_) return DDERR_NOTFOUND;
    if (FailStep("ddraw_attached_surface")) return DDERR_NOTFOUND;
    back_->AddRef();
    *out = back_.get();
    return DD_OK;
}

HRESULT IDirectDrawSurface7::SetColorKey(DWORD flags, DDCOLORKEY* key) {
    if (!(flags & DDCKEY_SRCBLT)) return DDERR_UNSUPPORTED;
    if (FailStep("ddraw_color_key")) return DDERR_GENERIC;
    hasKey_ = key != nullptr;
    key_ = key ? key->dwColorSpaceLowValue & ValueMask(pixels_->Format()) : 0;
    return DD_OK;
}

HRESULT IDirectDrawSurface7::GetColorKey(DWORD flags, DDCOLORKEY* key) {
    if (!(flags & DDCKEY_SRCBLT) || !key) return DDERR_INVALIDPARAMS;
    if (!hasKey_) return DDERR_NOCOLORKEY;
    key->dwColorSpaceLowValue = key->dwColorSpaceHighValue = key_;
    return DD_OK;
}

HRESULT IDirectDrawSurface7::SetPalette(IDirectDrawPalette* palette) {
    if (FailStep("ddraw_set_palette")) return DDERR_GENERIC;
    if (palette && pixels_->Format() != D3DFMT_P8) return DDERR_INVALIDPIXELFORMAT;
    palette_.Reset(palette);
    return DD_OK;
}

HRESULT IDirectDrawSurface7::SetClipper(IDirectDrawClipper* clipper) {
    if (FailStep("ddraw_set_clipper")) return DDERR_GENERIC;
    clipper_.Reset(clipper);
    return DD_OK;
}

HRESULT IDirectDrawSurface7::GetSurfaceDesc(DDSURFACEDESC2* desc) {
    if (!desc) return DDERR_INVALIDPARAMS;
    const DWORD size = desc->dwSize;
    *desc = DDSURFACEDESC2{};
    desc->dwSize = size;
    desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->dwWidth = static_cast<DWORD>(pixels_->Width());
    desc->dwHeight = static_cast<DWORD>(pixels_->Height());
    desc->lPitch = pixels_->Pitch();
    desc->ddsCaps.dwCaps = caps_;
    if (hasKey_) {
        desc->dwFlags |= DDSD_CKSRCBLT;
        desc->ddckCKSrcBlt.dwColorSpaceLowValue = desc->ddckCKSrcBlt.dwColorSpaceHighValue = key_;
    }
    DescribePixelFormat(pixels_->Format(), &desc->ddpfPixelFormat);
    return DD_OK;
}

HRESULT IDirectDrawSurface7::GetPixelFormat(DDPIXELFORMAT* format) {
    if (!format) return DDERR_INVALIDPARAMS;
    DescribePixelFormat(pixels_->Format(), format);
    return DD_OK;
}

HRESULT IDirectDrawSurface7::IsLost() {
    return lost_ ? DDERR_SURFACELOST : DD_OK;
}

HRESULT IDirectDrawSurface7::GetDC(HDC* dc) {
    if (!dc) return DDERR_INVALIDPARAMS;
    *dc = nullptr;
    if (lost_) return DDERR_SURFACELOST;
    if (!pixels_->TryLock()) return DDERR_SURFACEBUSY;
    const PALETTEENTRY* palette = palette_ ? palette_->Entries() : nullptr;
    *dc = new (std::nothrow) DeviceContext(pixels_.get(), palette);
    if (!*dc) {
        pixels_->Unlock();
        return DDERR_OUTOFMEMORY;
    }
    return DD_OK;
}

HRESULT IDirectDrawSurface7::ReleaseDC(HDC dc) {
    if (!dc || dc->Pixels() != pixels_.get()) return DDERR_INVALIDPARAMS;
    delete dc;
    pixels_->Unlock();
    return DD_OK;
}

HRESULT IDirectDrawSurface7::Restore() {
    if (!lost_) return DD_OK;
    lost_ = false;
    // Video memory was taken away; system memory kept its pixels.
    if (!InSystemMemory()) pixels_->Clear();
    return DD_OK;
}

// ---- the display object

HRESULT DirectDrawCreateEx(void*, IDirectDraw7** out) {
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (FailStep("ddraw_create")) return DDERR_GENERIC;
    auto* dd = new (std::nothrow) IDirectDraw7;
    if (!dd) return DDERR_OUTOFMEMORY;
    // Read here, on the thread that sets the display up, and kept: asking the window thread
    // at every surface would be a blocking round trip each time, answered with a guess
    // while the program closes.
    const D3DFORMAT desktop = DisplayFormatForDepth(GetDesktopBitsPerPixel());
    if (desktop != D3DFMT_UNKNOWN) dd->desktopFormat_ = desktop;
    *out = dd;
    return DD_OK;
}

IDirectDraw7::~IDirectDraw7() {
    if (modeBpp_ != 0) SetDisplayFullScreen(false);
}

void IDirectDraw7::Register(IDirectDrawSurface7* s) {
    std::lock_guard lock(mutex_);
    surfaces_.push_back(s);
}

void IDirectDraw7::Unregister(IDirectDrawSurface7* s) {
    std::lock_guard lock(mutex_);
    surfaces_.erase(std::remove(surfaces_.begin(), surfaces_.end(), s), surfaces_.end());
}

void IDirectDraw7::SimulateSurfaceLoss() {
    std::lock_guard lock(mutex_);
    for (IDirectDrawSurface7* s : surfaces_) s->lost_ = true;
}

HRESULT IDirectDraw7::SetCooperativeLevel(HWND hwnd, DWORD flags) {
    if (FailStep("ddraw_cooperative_level")) return DDERR_GENERIC;
    if ((flags & DDSCL_FULLSCREEN) && !(flags & DDSCL_EXCLUSIVE)) return DDERR_INVALIDPARAMS;
    if (!(flags & (DDSCL_NORMAL | DDSCL_FULLSCREEN))) return DDERR_INVALIDPARAMS;
    hwnd_ = hwnd;
    level_ = flags;
    return DD_OK;
}

HRESULT IDirectDraw7::SetDisplayMode(DWORD width, DWORD height, DWORD bpp, DWORD refresh, DWORD) {
    if (!(level_ & DDSCL_EXCLUSIVE)) return DDERR_NOEXCLUSIVEMODE;
    if (FailStep("ddraw_display_mode")) return DDERR_INVALIDMODE;
    if (refresh != 0 && FailStep("ddraw_refresh_rate")) return DDERR_INVALIDMODE;
    if (refresh != 0 && refresh != static_cast<DWORD>(GetDesktopRefreshRate()))
        return DDERR_INVALIDMODE;
    if (DisplayFormatForDepth(static_cast<int>(bpp)) == D3DFMT_UNKNOWN || width == 0 ||
        height == 0 || width > static_cast<DWORD>(kMaxSurfaceSide) ||
        height > static_cast<DWORD>(kMaxSurfaceSide))
        return DDERR_INVALIDMODE;
    modeWidth_ = static_cast<int>(width);
    modeHeight_ = static_cast<int>(height);
    modeBpp_ = static_cast<int>(bpp);
    SetDisplayFullScreen(true);
    return DD_OK;
}

HRESULT IDirectDraw7::RestoreDisplayMode() {
    if (modeBpp_ != 0) SetDisplayFullScreen(false);
    modeBpp_ = 0;
    return DD_OK;
}

D3DFORMAT IDirectDraw7::DisplayFormat() const {
    return modeBpp_ != 0 ? DisplayFormatForDepth(modeBpp_) : desktopFormat_;
}

HRESULT IDirectDraw7::CreateSurface(DDSURFACEDESC2* desc, IDirectDrawSurface7** out, void*) {
    if (!desc || !out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (level_ == 0) return DDERR_NOCOOPERATIVELEVELSET;
    const DWORD caps = (desc->dwFlags & DDSD_CAPS) ? desc->ddsCaps.dwCaps : 0;
    const D3DFORMAT format = DisplayFormat();
    if (desc->dwFlags & DDSD_PIXELFORMAT) {
        DDPIXELFORMAT want;
        DescribePixelFormat(format, &want);
        if (desc->ddpfPixelFormat.dwRGBBitCount != want.dwRGBBitCount)
            return DDERR_INVALIDPIXELFORMAT;
    }
    if (caps & DDSCAPS_PRIMARYSURFACE) {
        if (FailStep("ddraw_primary_surface")) return DDERR_OUTOFVIDEOMEMORY;
        if (primaryExists_) return DDERR_PRIMARYSURFACEALREADYEXISTS;
        int w = modeWidth_, h = modeHeight_;
        if (modeBpp_ == 0) {
            RECT client{};
            if (!GetClientRect(hwnd_, &client)) return DDERR_INVALIDOBJECT;
            w = client.right;
            h = client.bottom;
        }
        const bool flipping = (caps & DDSCAPS_FLIP) != 0;
        if (flipping && (modeBpp_ == 0 || !(desc->dwFlags & DDSD_BACKBUFFERCOUNT) ||
                         desc->dwBackBufferCount == 0))
            return DDERR_INVALIDPARAMS;
        auto front = SoftSurface::Create(w, h, format);
        auto back = flipping ? SoftSurface::Create(w, h, format) : nullptr;
        if (!front || (flipping && !back)) return DDERR_OUTOFVIDEOMEMORY;
        auto* primary = new (std::nothrow) IDirectDrawSurface7(
            this, std::move(front),
            DDSCAPS_PRIMARYSURFACE | DDSCAPS_VIDEOMEMORY |
                (caps & (DDSCAPS_FLIP | DDSCAPS_COMPLEX)) | (flipping ? DDSCAPS_FRONTBUFFER : 0));
        if (!primary) return DDERR_OUTOFMEMORY;
        if (flipping) {
            auto* backSurface = new (std::nothrow) IDirectDrawSurface7(
                this, std::move(back),
                DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_VIDEOMEMORY);
            if (!backSurface) {
                primary->Release();
                return DDERR_OUTOFMEMORY;
            }
            primary->back_.Reset(backSurface);
            backSurface->Release();  // the primary holds it
        }
        primaryExists_ = true;
        *out = primary;
        return DD_OK;
    }
    if (!(desc->dwFlags & DDSD_WIDTH) || !(desc->dwFlags & DDSD_HEIGHT) || desc->dwWidth == 0 ||
        desc->dwHeight == 0)
        return DDERR_INVALIDPARAMS;
    const bool system = (caps & DDSCAPS_SYSTEMMEMORY) != 0;
    if (FailStep("ddraw_surface")) return DDERR_OUTOFMEMORY;
    if (!system && FailStep("ddraw_video_memory")) return DDERR_OUTOFVIDEOMEMORY;
    if (desc->dwWidth > static_cast<DWORD>(kMaxSurfaceSide) ||
        desc->dwHeight > static_cast<DWORD>(kMaxSurfaceSide))
        return DDERR_INVALIDPARAMS;
    auto pixels = SoftSurface::Create(static_cast<int>(desc->dwWidth),
                                      static_cast<int>(desc->dwHeight), format);
    if (!pixels) return system ? DDERR_OUTOFMEMORY : DDERR_OUTOFVIDEOMEMORY;
    auto* surface = new (std::nothrow) IDirectDrawSurface7(
        this, std::move(pixels),
        DDSCAPS_OFFSCREENPLAIN | (system ? DDSCAPS_SYSTEMMEMORY : DDSCAPS_VIDEOMEMORY));
    if (!surface) return DDERR_OUTOFMEMORY;
    if (desc->dwFlags & DDSD_CKSRCBLT) {
        surface->hasKey_ = true;
        surface->key_ =
            desc->ddckCKSrcBlt.dwColorSpaceLowValue & ValueMask(surface->pixels_->Format());
    }
    *out = surface;
    return DD_OK;
}

HRESULT IDirectDraw7::CreatePalette(DWORD caps, const PALETTEENTRY* entries,
                                    IDirectDrawPalette** out, void*) {
    if (!out || !entries) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (!(caps & DDPCAPS_8BIT)) return DDERR_UNSUPPORTED;
    if (FailStep("ddraw_palette")) return DDERR_GENERIC;
    auto* palette = new (std::nothrow) IDirectDrawPalette(this);
    if (!palette) return DDERR_OUTOFMEMORY;
    std::copy(entries, entries + 256, palette->entries_);
    *out = palette;
    return DD_OK;
}

HRESULT IDirectDraw7::CreateClipper(DWORD, IDirectDrawClipper** out, void*) {
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (FailStep("ddraw_clipper")) return DDERR_GENERIC;
    *out = new (std::nothrow) IDirectDrawClipper(this);
    return *out ? DD_OK : DDERR_OUTOFMEMORY;
}

HRESULT IDirectDraw7::FlipToGDISurface() {
    if (FailStep("ddraw_flip_to_gdi")) return DDERR_GENERIC;
    return DD_OK;
}

HRESULT IDirectDraw7::GetMonitorFrequency(DWORD* hz) {
    if (!hz) return DDERR_INVALIDPARAMS;
    *hz = static_cast<DWORD>(GetDesktopRefreshRate());
    return DD_OK;
}

HRESULT IDirectDraw7::GetDisplayMode(DDSURFACEDESC2* desc) {
    if (!desc) return DDERR_INVALIDPARAMS;
    const DWORD size = desc->dwSize;
    *desc = DDSURFACEDESC2{};
    desc->dwSize = size;
    desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc->dwWidth = static_cast<DWORD>(modeWidth_);
    desc->dwHeight = static_cast<DWORD>(modeHeight_);
    DescribePixelFormat(DisplayFormat(), &desc->ddpfPixelFormat);
    return DD_OK;
}

}  // namespace plat

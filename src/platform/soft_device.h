// The software display device: pixel storage in the exact formats the drawing layer names,
// and the raster operations that both device personalities (ddraw.h, d3d9.h) are built on.
//
// Storage is address-stable: a surface's pixels stay where they were allocated for its
// whole life, so a lock is a pointer and a pitch, and nothing that holds a surface can be
// left pointing into memory that moved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/pixel_format.h"
#include "platform/rect.h"

namespace plat {

// Bounds of one surface: a bad size request fails instead of allocating without bound.
constexpr int kMaxSurfaceSide = 16384;
constexpr std::size_t kMaxSurfaceBytes = std::size_t{256} << 20;

class SoftSurface {
public:
    // Null when the size is 0, negative or out of bounds, the format is not a device
    // format, or memory runs out. The pixels start as zero bytes.
    static std::shared_ptr<SoftSurface> Create(int width, int height, D3DFORMAT format);

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Bytes from one row to the next; rows are padded to 4 bytes.
    int Pitch() const { return pitch_; }
    D3DFORMAT Format() const { return format_; }
    int BytesPerPixel() const { return bytes_; }
    std::uint8_t* Bits() { return bits_.get(); }
    const std::uint8_t* Bits() const { return bits_.get(); }
    std::uint8_t* Row(int y) { return bits_.get() + static_cast<std::size_t>(y) * pitch_; }
    const std::uint8_t* Row(int y) const {
        return bits_.get() + static_cast<std::size_t>(y) * pitch_;
    }
    std::uint32_t Pixel(int x, int y) const { return ReadPixel(Row(y) + x * bytes_, bytes_); }
    void SetPixel(int x, int y, std::uint32_t v) { WritePixel(Row(y) + x * bytes_, bytes_, v); }

    // True when the rectangle is not empty and lies inside the surface.
    bool Holds(const RECT& r) const;
    RECT Bounds() const { return RECT{0, 0, width_, height_}; }

    // One lock at a time; the device refuses to draw into a locked surface.
    bool TryLock();
    bool Unlock();
    bool IsLocked() const { return locked_; }

    // Every byte zero (the content of a surface whose memory was lost and restored).
    void Clear();

private:
    SoftSurface() = default;

    int width_ = 0;
    int height_ = 0;
    int pitch_ = 0;
    int bytes_ = 0;
    D3DFORMAT format_ = D3DFMT_UNKNOWN;
    bool locked_ = false;
    std::unique_ptr<std::uint8_t[]> bits_;
};

// The intersection of two rectangles; empty (right <= left or bottom <= top) when they
// do not overlap.
RECT IntersectRect(const RECT& a, const RECT& b);
inline bool IsRectEmpty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

// Raster operations. The rectangles lie inside their surfaces (callers clip or refuse
// first); nothing is allocated.

// Every pixel of the rectangle becomes the pixel value.
void FillPixels(SoftSurface& dst, const RECT& r, std::uint32_t pixel);

// Copies src's rectangle onto dst's, scaling by nearest sample when the sizes differ
// (destination pixel k takes source pixel sx + floor(k * sw / dw)). Both surfaces have the
// same format. With a key, source pixels equal to *key are left out.
void CopyPixels(SoftSurface& dst, const RECT& dstRect, const SoftSurface& src, const RECT& srcRect,
                const std::uint32_t* key);

// The same pixels at the same place (surfaces of equal size and format).
void CopyWholeSurface(SoftSurface& dst, const SoftSurface& src);

// Blending: out = (s * fs + d * fd + 127) / 255 per channel (alpha included), with the
// factors of the blend modes below; the destination is read and written in its format.
constexpr std::uint32_t kBlendZero = 1;
constexpr std::uint32_t kBlendOne = 2;
constexpr std::uint32_t kBlendSrcAlpha = 5;
constexpr std::uint32_t kBlendInvSrcAlpha = 6;

// Blends one A8R8G8B8 colour onto a destination pixel value of the format.
std::uint32_t BlendPixel(D3DFORMAT format, std::uint32_t dstPixel, std::uint32_t srcArgb,
                         std::uint32_t srcBlend, std::uint32_t dstBlend);

}  // namespace plat

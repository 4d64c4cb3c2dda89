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
#include <new>

#include "platform/pixel_format.h"
#include "platform/rect.h"

namespace plat {

// Bounds of one surface: a bad size request fails instead of allocating without bound.
constexpr int kMaxSurfaceSide = 16384;
constexpr std::size_t kMaxSurfaceBytes = std::size_t{256} << 20;

// A surface must not be used from two threads at once: even its const readers may change
// it, making a fill left for later and bringing the alpha summary up to date.
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
    // Every way to the pixels goes through these, so that a fill left for later is made
    // before they are seen and a change is noticed by the alpha summary below.
    std::uint8_t* Bits() {
        Touch();
        return bits_.get();
    }
    const std::uint8_t* Bits() const {
        Settle();
        return bits_.get();
    }
    std::uint8_t* Row(int y) {
        Touch();
        return bits_.get() + static_cast<std::size_t>(y) * pitch_;
    }
    const std::uint8_t* Row(int y) const {
        Settle();
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

    // What the alpha of each run of kAlphaRun texels of row y of an A8R8G8B8 surface holds,
    // as bits: kRunOpaque (some texel opaque), kRunClear (some transparent), or kRunBetween
    // alone (some texel neither: the run is blended texel by texel). A row is looked at when
    // it is first asked for after a change to the pixels, so that a sprite sheet is looked at
    // once, not at every quad drawn from it. Null for the other formats (their sprites take
    // no summary) and when there is no memory for it.
    static constexpr int kAlphaRun = 16;
    static constexpr std::uint8_t kRunOpaque = 1, kRunClear = 2, kRunBetween = 4;
    const std::uint8_t* AlphaRuns(int y) const {
        Settle();
        if (runs_ && runStamps_[y] == changes_)
            return runs_.get() + static_cast<std::size_t>(y) * runsPerRow_;
        return LookAtRow(y);
    }
    // The summaries of rows y .. y + count - 1 made current at once; the result points at
    // row y's, and row y + k's follows at the result + k * *perRow. When wholeRows is given,
    // *wholeRows points at the bits of every run of row y ORed together, row y + k's at
    // *wholeRows + k: a quad over those rows whose bits hold no kRunBetween has only opaque
    // and transparent texels, whatever columns it reads.
    const std::uint8_t* AlphaRunRows(int y, int count, int* perRow,
                                     const std::uint8_t** wholeRows = nullptr) const;
    // True when the summary of every row is current and no run holds kRunBetween: every
    // texel is opaque or transparent (a keyed sprite sheet), so a quad from anywhere in it
    // needs no look at its runs. Rows are not looked at for this: until every row has been
    // asked for since the last change, false.
    bool KeyedThroughout() const;

    // A fill of one rectangle (inside the surface) that is made when the pixels are next
    // used, so that a draw covering exactly that rectangle can take it over (TakeFill) and
    // write each pixel once instead of twice: the clear under a keyed copy. A fill still
    // pending is made first, or dropped when r covers it.
    void FillLater(const RECT& r, std::uint32_t pixel);
    // True, with the fill's pixel value, when a fill of exactly r is pending: it is then no
    // longer made, and the caller writes every pixel of r.
    bool TakeFill(const RECT& r, std::uint32_t* pixel);

private:
    SoftSurface() = default;
    void Settle() const {
        if (fillPending_) MakeFill();
    }
    void Touch() {
        Settle();
        ++changes_;
    }
    void MakeFill() const;
    const std::uint8_t* LookAtRow(int y) const;

    int width_ = 0;
    int height_ = 0;
    int pitch_ = 0;
    int bytes_ = 0;
    D3DFORMAT format_ = D3DFMT_UNKNOWN;
    bool locked_ = false;
    // The pixels start on a cache line: rows of blocks then read and write whole vectors
    // without splitting them over two lines.
    static constexpr std::align_val_t kPixelAlignment{64};
    struct FreePixels {
        void operator()(std::uint8_t* p) const { ::operator delete[](p, kPixelAlignment); }
    };
    std::unique_ptr<std::uint8_t[], FreePixels> bits_;

    // The fill left for later and the count of changes are mutable: a reader of the pixels
    // makes the fill first (see the note on threads above).
    mutable bool fillPending_ = false;
    mutable RECT fillRect_{};
    mutable std::uint32_t fillPixel_ = 0;

    // Counts the ways to the pixels taken for writing and the fills made; a row's alpha
    // summary is good while its stamp equals the count.
    mutable std::uint64_t changes_ = 0;
    mutable int runsPerRow_ = 0;
    mutable std::unique_ptr<std::uint8_t[]> runs_;
    mutable std::unique_ptr<std::uint8_t[]> rowRuns_;  // each row's runs ORed
    mutable std::unique_ptr<std::uint64_t[]> runStamps_;
    mutable std::uint64_t freshAt_ = ~std::uint64_t{0};
    mutable int freshRows_ = 0;
    mutable std::uint64_t keyedAt_ = ~std::uint64_t{0};  // the count KeyedThroughout saw
    mutable bool keyed_ = false;
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

// The factor of a blend mode for a source alpha.
[[gnu::always_inline]] inline std::uint32_t BlendFactor(std::uint32_t blend,
                                                        std::uint32_t srcAlpha) {
    switch (blend) {
        case kBlendZero:
            return 0;
        case kBlendSrcAlpha:
            return srcAlpha;
        case kBlendInvSrcAlpha:
            return 255 - srcAlpha;
        default:
            return 255;
    }
}

// Blends one A8R8G8B8 colour onto another (the destination's, read in A8R8G8B8).
[[gnu::always_inline]] inline std::uint32_t BlendArgb(std::uint32_t s, std::uint32_t d,
                                                      std::uint32_t srcBlend,
                                                      std::uint32_t dstBlend) {
    const std::uint32_t sa = s >> 24;
    const std::uint32_t fs = BlendFactor(srcBlend, sa), fd = BlendFactor(dstBlend, sa);
    std::uint32_t out = 0;
#pragma GCC unroll 4
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t v =
            (((s >> shift) & 0xFF) * fs + ((d >> shift) & 0xFF) * fd + 127) / 255;
        out |= (v < 255 ? v : 255) << shift;
    }
    return out;
}

// Blends one A8R8G8B8 colour onto a destination pixel value of the format.
std::uint32_t BlendPixel(D3DFORMAT format, std::uint32_t dstPixel, std::uint32_t srcArgb,
                         std::uint32_t srcBlend, std::uint32_t dstBlend);

// Every pixel of the rectangle becomes BlendPixel(format, pixel, srcArgb, srcBlend, dstBlend):
// a quad of one colour mixed over the target (fade overlays, fills with alpha). The source and
// both factors are the same for every pixel, so each channel's result depends only on that
// channel of the pixel: one small table per channel is built from the same formula, and each
// pixel is a few look-ups.
void BlendConstant(SoftSurface& dst, const RECT& r, std::uint32_t srcArgb, std::uint32_t srcBlend,
                   std::uint32_t dstBlend);

}  // namespace plat

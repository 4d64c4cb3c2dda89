#include "platform/soft_device.h"

#include <algorithm>
#include <new>

namespace plat {

std::shared_ptr<SoftSurface> SoftSurface::Create(int width, int height, D3DFORMAT format) {
    const int bytes = plat::BytesPerPixel(format);
    if (bytes == 0 || width <= 0 || height <= 0 || width > kMaxSurfaceSide ||
        height > kMaxSurfaceSide)
        return nullptr;
    const std::size_t pitch = (static_cast<std::size_t>(width) * bytes + 3) & ~std::size_t{3};
    const std::size_t size = pitch * static_cast<std::size_t>(height);
    if (size > kMaxSurfaceBytes) return nullptr;
    std::shared_ptr<SoftSurface> s(new (std::nothrow) SoftSurface);
    if (!s) return nullptr;
    s->bits_.reset(new (std::nothrow) std::uint8_t[size]());
    if (!s->bits_) return nullptr;
    s->width_ = width;
    s->height_ = height;
    s->pitch_ = static_cast<int>(pitch);
    s->bytes_ = bytes;
    s->format_ = format;
    return s;
}

bool SoftSurface::Holds(const RECT& r) const {
    return r.left >= 0 && r.top >= 0 && r.right <= width_ && r.bottom <= height_ &&
           r.left < r.right && r.top < r.bottom;
}

bool SoftSurface::TryLock() {
    if (locked_) return false;
    locked_ = true;
    return true;
}

bool SoftSurface::Unlock() {
    if (!locked_) return false;
    locked_ = false;
    return true;
}

void SoftSurface::Clear() {
    std::fill_n(bits_.get(), static_cast<std::size_t>(pitch_) * height_, std::uint8_t{0});
}

RECT IntersectRect(const RECT& a, const RECT& b) {
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

void FillPixels(SoftSurface& dst, const RECT& r, std::uint32_t pixel) {
    const int bytes = dst.BytesPerPixel();
    const std::size_t rowBytes = static_cast<std::size_t>(r.right - r.left) * bytes;
    // The pixel repeated over 16 bytes, stored 16 bytes at a time.
    std::uint8_t pattern[16];
    for (int i = 0; i < 16; i += bytes) WritePixel(pattern + i, bytes, pixel);
    for (int y = r.top; y < r.bottom; ++y) {
        std::uint8_t* p = dst.Row(y) + r.left * bytes;
        std::size_t i = 0;
        for (; i + 16 <= rowBytes; i += 16) std::memcpy(p + i, pattern, 16);
        std::memcpy(p + i, pattern, rowBytes - i);
    }
}

namespace {

// One row of a keyed copy: 16 bytes at a time, the key compared and the pixels blended in
// vector registers (every destination pixel is read and written back), the rest one by one.
template <class Pixel>
struct VectorOf;
template <>
struct VectorOf<std::uint8_t> {
    typedef std::uint8_t type __attribute__((vector_size(16)));
};
template <>
struct VectorOf<std::uint16_t> {
    typedef std::uint16_t type __attribute__((vector_size(16)));
};
template <>
struct VectorOf<std::uint32_t> {
    typedef std::uint32_t type __attribute__((vector_size(16)));
};

template <class Pixel>
void KeyedRow(Pixel* d, const Pixel* s, int n, Pixel key) {
    using Vec = typename VectorOf<Pixel>::type;
    constexpr int kLanes = 16 / sizeof(Pixel);
    const Vec keys = Vec{} + key;
    int j = 0;
    for (; j + kLanes <= n; j += kLanes) {
        Vec in, out;
        std::memcpy(&in, s + j, 16);
        std::memcpy(&out, d + j, 16);
        const Vec keep = reinterpret_cast<Vec>(in == keys);
        out = (out & keep) | (in & ~keep);
        std::memcpy(d + j, &out, 16);
    }
    for (; j < n; ++j)
        if (s[j] != key) d[j] = s[j];
}

// CopyPixels for one pixel size: the loops the blits of every frame run, typed so that the
// compiler can keep them tight.
template <class Pixel>
void CopyTyped(SoftSurface& dst, const RECT& dr, const SoftSurface& src, const RECT& sr,
               const std::uint32_t* key) {
    const int dw = dr.right - dr.left, dh = dr.bottom - dr.top;
    const int sw = sr.right - sr.left, sh = sr.bottom - sr.top;
    const bool same = dw == sw && dh == sh;
    // Within one surface, rows and pixels are taken in the order that reads each source
    // pixel before it is overwritten, as if the copy went through a buffer.
    const bool upward = &dst == &src && dr.top > sr.top;
    const bool leftward = &dst == &src && dr.left > sr.left;
    const Pixel kv = static_cast<Pixel>(key ? *key : 0);
    for (int n = 0; n < dh; ++n) {
        const int k = upward ? dh - 1 - n : n;
        const int sy = sr.top + (same ? k : static_cast<int>(std::int64_t{k} * sh / dh));
        const Pixel* s = reinterpret_cast<const Pixel*>(src.Row(sy)) + sr.left;
        Pixel* d = reinterpret_cast<Pixel*>(dst.Row(dr.top + k)) + dr.left;
        if (same && !key) {
            std::memmove(d, s, static_cast<std::size_t>(dw) * sizeof(Pixel));
        } else if (same && !leftward) {
            // A key wider than the pixel matches nothing, as a whole-value comparison would.
            if (key && *key != kv) {
                std::memmove(d, s, static_cast<std::size_t>(dw) * sizeof(Pixel));
                continue;
            }
            KeyedRow(d, s, dw, kv);
        } else {
            for (int m = 0; m < dw; ++m) {
                const int j = leftward ? dw - 1 - m : m;
                const int x = same ? j : static_cast<int>(std::int64_t{j} * sw / dw);
                const Pixel v = s[x];
                if (key && v == kv && *key == kv) continue;
                d[j] = v;
            }
        }
    }
}

}  // namespace

void CopyPixels(SoftSurface& dst, const RECT& dr, const SoftSurface& src, const RECT& sr,
                const std::uint32_t* key) {
    switch (dst.BytesPerPixel()) {
        case 1:
            CopyTyped<std::uint8_t>(dst, dr, src, sr, key);
            break;
        case 2:
            CopyTyped<std::uint16_t>(dst, dr, src, sr, key);
            break;
        default:
            CopyTyped<std::uint32_t>(dst, dr, src, sr, key);
            break;
    }
}

void CopyWholeSurface(SoftSurface& dst, const SoftSurface& src) {
    const std::size_t row = static_cast<std::size_t>(src.Width()) * src.BytesPerPixel();
    for (int y = 0; y < src.Height(); ++y) std::memcpy(dst.Row(y), src.Row(y), row);
}

namespace {

std::uint32_t Factor(std::uint32_t blend, std::uint32_t srcAlpha) {
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

}  // namespace

std::uint32_t BlendPixel(D3DFORMAT format, std::uint32_t dstPixel, std::uint32_t s,
                         std::uint32_t srcBlend, std::uint32_t dstBlend) {
    const std::uint32_t d = PixelToArgb(format, dstPixel, nullptr);
    const std::uint32_t sa = s >> 24;
    const std::uint32_t fs = Factor(srcBlend, sa), fd = Factor(dstBlend, sa);
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const std::uint32_t v =
            (((s >> shift) & 0xFF) * fs + ((d >> shift) & 0xFF) * fd + 127) / 255;
        out |= std::min<std::uint32_t>(v, 255) << shift;
    }
    return ArgbToPixel(format, out);
}

}  // namespace plat

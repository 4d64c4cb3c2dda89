#include "platform/soft_device.h"

#include <immintrin.h>

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/vector_loops.h"

namespace plat {
namespace {

// The rectangle r of the pixels from bits (rows pitch bytes apart) set to the pixel value.
void FillRows(std::uint8_t* bits, int pitch, int bytes, const RECT& r, std::uint32_t pixel) {
    const std::size_t rowBytes = static_cast<std::size_t>(r.right - r.left) * bytes;
    // The pixel repeated over 16 bytes, stored 16 bytes at a time.
    std::uint8_t pattern[16];
    for (int i = 0; i < 16; i += bytes) WritePixel(pattern + i, bytes, pixel);
    for (int y = r.top; y < r.bottom; ++y) {
        std::uint8_t* p = bits + static_cast<std::ptrdiff_t>(y) * pitch + r.left * bytes;
        std::size_t i = 0;
        for (; i + 16 <= rowBytes; i += 16) std::memcpy(p + i, pattern, 16);
        std::memcpy(p + i, pattern, rowBytes - i);
    }
}

}  // namespace

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
    s->bits_.reset(new (kPixelAlignment, std::nothrow) std::uint8_t[size]());
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
    Touch();
    locked_ = true;
    return true;
}

bool SoftSurface::Unlock() {
    if (!locked_) return false;
    // What was written through the lock's pointer is a change as well.
    Touch();
    locked_ = false;
    return true;
}

void SoftSurface::Clear() {
    std::fill_n(Bits(), static_cast<std::size_t>(pitch_) * height_, std::uint8_t{0});
}

void SoftSurface::FillLater(const RECT& r, std::uint32_t pixel) {
    if (!Holds(r)) {
        Settle();
        return;
    }
    // A pending fill that r covers would only be painted over: it is dropped, not made.
    if (r.left <= fillRect_.left && r.top <= fillRect_.top && r.right >= fillRect_.right &&
        r.bottom >= fillRect_.bottom)
        fillPending_ = false;
    Settle();
    fillRect_ = r;
    fillPixel_ = pixel;
    fillPending_ = true;
}

bool SoftSurface::TakeFill(const RECT& r, std::uint32_t* pixel) {
    if (!fillPending_ || r.left != fillRect_.left || r.top != fillRect_.top ||
        r.right != fillRect_.right || r.bottom != fillRect_.bottom)
        return false;
    fillPending_ = false;
    *pixel = fillPixel_;
    return true;
}

void SoftSurface::MakeFill() const {
    fillPending_ = false;
    ++changes_;
    FillRows(bits_.get(), pitch_, bytes_, fillRect_, fillPixel_);
}

const std::uint8_t* SoftSurface::AlphaRunRows(int y, int count, int* perRow,
                                              const std::uint8_t** wholeRows) const {
    Settle();
    if (y < 0 || count <= 0 || y > height_ - count) return nullptr;
    if (format_ != D3DFMT_A8R8G8B8) return nullptr;
    if (!(runs_ && freshAt_ == changes_ && freshRows_ == height_)) {
        for (int r = y; r < y + count; ++r) {
            if (runs_ && runStamps_[r] == changes_) continue;
            if (!LookAtRow(r)) return nullptr;
        }
    }
    *perRow = runsPerRow_;
    if (wholeRows) *wholeRows = rowRuns_.get() + y;
    return runs_.get() + static_cast<std::size_t>(y) * runsPerRow_;
}

bool SoftSurface::KeyedThroughout() const {
    Settle();
    if (!runs_ || freshAt_ != changes_ || freshRows_ != height_) return false;
    if (keyedAt_ != changes_) {
        std::uint8_t bits = 0;
        for (int y = 0; y < height_; ++y) bits |= rowRuns_[y];
        keyed_ = !(bits & kRunBetween);
        keyedAt_ = changes_;
    }
    return keyed_;
}

const std::uint8_t* SoftSurface::LookAtRow(int y) const {
    if (format_ != D3DFMT_A8R8G8B8) return nullptr;
    if (!runs_) {
        const int perRow = (width_ + kAlphaRun - 1) / kAlphaRun;
        runs_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(perRow) * height_]);
        runStamps_.reset(new (std::nothrow) std::uint64_t[static_cast<std::size_t>(height_)]);
        rowRuns_.reset(new (std::nothrow) std::uint8_t[static_cast<std::size_t>(height_)]);
        if (!runs_ || !runStamps_ || !rowRuns_) {
            runs_.reset();
            runStamps_.reset();
            rowRuns_.reset();
            return nullptr;
        }
        runsPerRow_ = perRow;
        // changes_ only grows: no row is taken as looked at before it is.
        std::fill_n(runStamps_.get(), height_, ~std::uint64_t{0});
    }
    std::uint8_t* out = runs_.get() + static_cast<std::size_t>(y) * runsPerRow_;
    const std::uint8_t* row = bits_.get() + static_cast<std::size_t>(y) * pitch_;
    std::uint8_t whole = 0;
    for (int run = 0; run < runsPerRow_; ++run) {
        const int from = run * kAlphaRun, to = std::min(width_, from + kAlphaRun);
        // Texels ANDed (alpha all 255?), ORed (all 0?), and each with one added to its alpha
        // ORed: 255 becomes 0 and 0 becomes 1, so only an alpha between them sets a bit of
        // 0xFE000000. Four at a time, then one by one.
        typedef std::uint32_t Four __attribute__((vector_size(16)));
        Four all4 = ~Four{}, any4 = {}, step4 = {};
        int x = from;
        for (; x + 4 <= to; x += 4) {
            Four t;
            std::memcpy(&t, row + x * 4, 16);
            all4 &= t;
            any4 |= t;
            step4 |= t + 0x01000000u;
        }
        // The four lanes folded into one: halves, then quarters.
        all4 &= __builtin_shufflevector(all4, all4, 2, 3, 0, 1);
        any4 |= __builtin_shufflevector(any4, any4, 2, 3, 0, 1);
        step4 |= __builtin_shufflevector(step4, step4, 2, 3, 0, 1);
        all4 &= __builtin_shufflevector(all4, all4, 1, 0, 3, 2);
        any4 |= __builtin_shufflevector(any4, any4, 1, 0, 3, 2);
        step4 |= __builtin_shufflevector(step4, step4, 1, 0, 3, 2);
        std::uint32_t all = all4[0], any = any4[0], step = step4[0];
        for (; x < to; ++x) {
            const std::uint32_t t = ReadPixel(row + x * 4, 4);
            all &= t;
            any |= t;
            step |= t + 0x01000000u;
        }
        out[run] = (step & 0xFE000000u)
                       ? kRunBetween
                       : static_cast<std::uint8_t>((any >> 24 ? kRunOpaque : 0) |
                                                   (all >> 24 != 0xFF ? kRunClear : 0));
        whole |= out[run];
    }
    rowRuns_[y] = whole;
    runStamps_[y] = changes_;
    // Rows looked at since the last change: once all are, they need no checking one by one.
    if (freshAt_ != changes_) {
        freshAt_ = changes_;
        freshRows_ = 0;
    }
    ++freshRows_;
    return out;
}

RECT IntersectRect(const RECT& a, const RECT& b) {
    return RECT{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                std::min(a.bottom, b.bottom)};
}

void FillPixels(SoftSurface& dst, const RECT& r, std::uint32_t pixel) {
    FillRows(dst.Bits(), dst.Pitch(), dst.BytesPerPixel(), r, pixel);
}

namespace {

// One row of a keyed copy: kBytes bytes at a time, the key compared and the pixels blended
// in vector registers (every destination pixel is read and written back), the rest one by one.
template <class Pixel, int kBytes>
[[gnu::always_inline]] inline void KeyedRow(Pixel* d, const Pixel* s, int n, Pixel key) {
    typedef Pixel Vec __attribute__((vector_size(kBytes)));
    constexpr int kLanes = kBytes / static_cast<int>(sizeof(Pixel));
    const Vec keys = Vec{} + key;
    int j = 0;
    for (; j + kLanes <= n; j += kLanes) {
        Vec in, out;
        std::memcpy(&in, s + j, kBytes);
        std::memcpy(&out, d + j, kBytes);
        const Vec keep = reinterpret_cast<Vec>(in == keys);
        out = (out & keep) | (in & ~keep);
        std::memcpy(d + j, &out, kBytes);
    }
    for (; j < n; ++j)
        if (s[j] != key) d[j] = s[j];
}

// One row copied whole, kBytes bytes at a time, the rest one by one (the rows of a blit
// without a key are short: a call of memmove per row costs as much as its pixels).
template <class Pixel, int kBytes>
[[gnu::always_inline]] inline void CopyRow(Pixel* d, const Pixel* s, int n) {
    typedef Pixel Vec __attribute__((vector_size(kBytes)));
    constexpr int kLanes = kBytes / static_cast<int>(sizeof(Pixel));
    int j = 0;
    for (; j + kLanes <= n; j += kLanes) {
        Vec v;
        std::memcpy(&v, s + j, kBytes);
        std::memcpy(d + j, &v, kBytes);
    }
    for (; j < n; ++j) d[j] = s[j];
}

// The rows of an unscaled copy read left to right, from the first ones on (or, upward, from
// the last ones back).
template <class Pixel>
struct UnscaledRows {
    std::uint8_t* dst;  // the first row's first pixel
    const std::uint8_t* src;
    std::ptrdiff_t dstPitch, srcPitch;
    int width, rows;
    bool upward;
    // The rows lie in one surface and may overlap along a row: copied as by memmove.
    bool overlap;
    bool keyed;
    Pixel key;
};

__attribute__((target("avx2"), always_inline)) inline __m256i Load8(const std::uint32_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i_u*>(p));
}

// Eight pixels: the target's where skip is set, in's elsewhere.
__attribute__((target("avx2"), always_inline)) inline void Select8(std::uint32_t* d, __m256i in,
                                                                   __m256i skip) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm256_blendv_epi8(in, Load8(d), skip));
}

// 32-bit rows with AVX2: where a run mixes key and other pixels, the target's pixels are read
// and kept where the key is (a selection, as on the baseline). A masked store would spare that
// read, but on some processors it costs many times a plain store. Runs of 32 pixels are looked
// at whole first: a run without the key is stored plainly, a run of nothing but the key
// skipped (most runs of a sprite's rows are one or the other).
__attribute__((target("avx2"), always_inline)) inline void SelectKeyedRow(std::uint32_t* d,
                                                                          const std::uint32_t* s,
                                                                          int n,
                                                                          std::uint32_t key) {
    const __m256i keys = _mm256_set1_epi32(static_cast<int>(key));
    const __m256i ones = _mm256_set1_epi32(-1);
    int j = 0;
    for (; j + 32 <= n; j += 32) {
        const __m256i in0 = Load8(s + j), in1 = Load8(s + j + 8), in2 = Load8(s + j + 16),
                      in3 = Load8(s + j + 24);
        const __m256i skip0 = _mm256_cmpeq_epi32(in0, keys), skip1 = _mm256_cmpeq_epi32(in1, keys);
        const __m256i skip2 = _mm256_cmpeq_epi32(in2, keys), skip3 = _mm256_cmpeq_epi32(in3, keys);
        const __m256i any =
            _mm256_or_si256(_mm256_or_si256(skip0, skip1), _mm256_or_si256(skip2, skip3));
        if (_mm256_testz_si256(any, any)) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + j), in0);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + j + 8), in1);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + j + 16), in2);
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + j + 24), in3);
            continue;
        }
        const __m256i all =
            _mm256_and_si256(_mm256_and_si256(skip0, skip1), _mm256_and_si256(skip2, skip3));
        if (_mm256_testc_si256(all, ones)) continue;
        Select8(d + j, in0, skip0);
        Select8(d + j + 8, in1, skip1);
        Select8(d + j + 16, in2, skip2);
        Select8(d + j + 24, in3, skip3);
    }
    for (; j + 8 <= n; j += 8) {
        const __m256i in = Load8(s + j);
        Select8(d + j, in, _mm256_cmpeq_epi32(in, keys));
    }
    for (; j < n; ++j)
        if (s[j] != key) d[j] = s[j];
}

// The copy's fields are read once, into locals: stores through the rows could change them,
// for all the compiler knows, and it would read them again each row. The kind of copy is
// decided once, not once a row. Sprites and tiles are a block of the stage (32 pixels) wide:
// kWidth 32 fixes that width, so that the compiler unrolls the rows' loops (kWidth 0: the
// copy's own width).
template <class Pixel, int kBytes, int kWidth>
[[gnu::always_inline]] inline void CopyUnscaledRows(const UnscaledRows<Pixel>& copy) {
    const UnscaledRows<Pixel> c = copy;
    const int rows = c.rows, width = kWidth ? kWidth : c.width;
    if (rows <= 0) return;
    const Pixel key = c.key;
    // Upward: from the last row back.
    const std::ptrdiff_t dstStep = c.upward ? -c.dstPitch : c.dstPitch;
    const std::ptrdiff_t srcStep = c.upward ? -c.srcPitch : c.srcPitch;
    std::uint8_t* d = c.dst + (c.upward ? c.dstPitch * (rows - 1) : 0);
    const std::uint8_t* s = c.src + (c.upward ? c.srcPitch * (rows - 1) : 0);
    if (c.keyed) {
        for (int n = 0; n < rows; ++n, d += dstStep, s += srcStep) {
            KeyedRow<Pixel, kBytes>(reinterpret_cast<Pixel*>(d), reinterpret_cast<const Pixel*>(s),
                                    width, key);
        }
    } else if (c.overlap) {
        const std::size_t rowBytes = static_cast<std::size_t>(width) * sizeof(Pixel);
        for (int n = 0; n < rows; ++n, d += dstStep, s += srcStep) std::memmove(d, s, rowBytes);
    } else {
        for (int n = 0; n < rows; ++n, d += dstStep, s += srcStep)
            CopyRow<Pixel, kBytes>(reinterpret_cast<Pixel*>(d), reinterpret_cast<const Pixel*>(s),
                                   width);
    }
}

// The rows of one instruction set: 16 bytes at a time on the baseline, 32 with AVX2 (the same
// comparison and selection). One call a blit, not a row.
template <class Pixel>
using UnscaledRowsLoop = void (*)(const UnscaledRows<Pixel>&);

constexpr int kBlockWidth = 32;

template <class Pixel>
void CopyUnscaledRowsBaseline(const UnscaledRows<Pixel>& c) {
    if (c.width == kBlockWidth)
        CopyUnscaledRows<Pixel, 16, kBlockWidth>(c);
    else
        CopyUnscaledRows<Pixel, 16, 0>(c);
}

// The keyed rows of 32-bit pixels with AVX2.
template <int kWidth>
__attribute__((target("avx2"))) void SelectKeyedRows(const UnscaledRows<std::uint32_t>& c) {
    const int rows = c.rows, width = kWidth ? kWidth : c.width;
    const std::uint32_t key = c.key;
    if (rows <= 0) return;
    const std::ptrdiff_t dstStep = c.upward ? -c.dstPitch : c.dstPitch;
    const std::ptrdiff_t srcStep = c.upward ? -c.srcPitch : c.srcPitch;
    std::uint8_t* d = c.dst + (c.upward ? c.dstPitch * (rows - 1) : 0);
    const std::uint8_t* s = c.src + (c.upward ? c.srcPitch * (rows - 1) : 0);
    for (int n = 0; n < rows; ++n, d += dstStep, s += srcStep)
        SelectKeyedRow(reinterpret_cast<std::uint32_t*>(d),
                       reinterpret_cast<const std::uint32_t*>(s), width, key);
}

template <class Pixel>
__attribute__((target("avx2"))) void CopyUnscaledRowsAvx2(const UnscaledRows<Pixel>& c) {
    const bool block = c.width == kBlockWidth;
    if constexpr (sizeof(Pixel) == 4) {
        if (c.keyed) {
            if (block)
                SelectKeyedRows<kBlockWidth>(c);
            else
                SelectKeyedRows<0>(c);
            return;
        }
    }
    if (block)
        CopyUnscaledRows<Pixel, 32, kBlockWidth>(c);
    else
        CopyUnscaledRows<Pixel, 32, 0>(c);
}

template <class Pixel>
UnscaledRowsLoop<Pixel> ChosenUnscaledRows() {
    return UseAvx2Loops() ? CopyUnscaledRowsAvx2<Pixel> : CopyUnscaledRowsBaseline<Pixel>;
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
    // The rows from the first bytes, taken once (nothing else uses the surfaces meanwhile).
    std::uint8_t* const dstBits = dst.Bits();
    const std::uint8_t* const srcBits = src.Bits();
    const std::ptrdiff_t dstPitch = dst.Pitch(), srcPitch = src.Pitch();
    if (same && !leftward) {
        // Unscaled, left to right (every blit of a frame): the rows' addresses step by the
        // pitches, and each row is copied whole or through the key. A key wider than the
        // pixel matches nothing, as a whole-value comparison would.
        UnscaledRows<Pixel> c;
        c.dst = dstBits + dstPitch * dr.top + dr.left * static_cast<std::ptrdiff_t>(sizeof(Pixel));
        c.src = srcBits + srcPitch * sr.top + sr.left * static_cast<std::ptrdiff_t>(sizeof(Pixel));
        c.dstPitch = dstPitch;
        c.srcPitch = srcPitch;
        c.width = dw;
        c.rows = dh;
        c.upward = upward;
        c.overlap = &dst == &src;
        c.keyed = key && *key == kv;
        c.key = kv;
        ChosenUnscaledRows<Pixel>()(c);
        return;
    }
    for (int n = 0; n < dh; ++n) {
        const int k = upward ? dh - 1 - n : n;
        const int sy = sr.top + (same ? k : static_cast<int>(std::int64_t{k} * sh / dh));
        const Pixel* s = reinterpret_cast<const Pixel*>(srcBits + srcPitch * sy) + sr.left;
        Pixel* d = reinterpret_cast<Pixel*>(dstBits + dstPitch * (dr.top + k)) + dr.left;
        if (same && !key) {
            std::memmove(d, s, static_cast<std::size_t>(dw) * sizeof(Pixel));
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

std::uint32_t BlendPixel(D3DFORMAT format, std::uint32_t dstPixel, std::uint32_t s,
                         std::uint32_t srcBlend, std::uint32_t dstBlend) {
    return ArgbToPixel(format,
                       BlendArgb(s, PixelToArgb(format, dstPixel, nullptr), srcBlend, dstBlend));
}

}  // namespace plat

#include "platform/d3d9.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "platform/display_window.h"
#include "platform/modulated_rows.h"
#include "platform/pixel_vectors.h"
#include "platform/presenter.h"
#include "platform/row_formats.h"
#include "platform/seams.h"
#include "platform/trunc.h"
#include "platform/vector_loops.h"

namespace plat {
namespace {

constexpr DWORD kMaxTextureSide = 8192;
constexpr UINT kMaxVertexBuffer = 1u << 20;
constexpr DWORD kQuadFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

bool IsBackBufferFormat(D3DFORMAT f) {
    return f == D3DFMT_X8R8G8B8 || f == D3DFMT_R5G6B5 || f == D3DFMT_A1R5G5B5;
}

bool IsTextureFormat(D3DFORMAT f) {
    return IsBackBufferFormat(f) || f == D3DFMT_A8R8G8B8;
}

std::uint32_t Channel(std::uint32_t c, int shift) {
    return (c >> shift) & 0xFF;
}

std::uint32_t ApplyArgument(DWORD arg, std::uint32_t diffuse, std::uint32_t texel,
                            std::uint32_t factor) {
    std::uint32_t v;
    switch (arg & 0xF) {
        case D3DTA_TEXTURE:
            v = texel;
            break;
        case D3DTA_TFACTOR:
            v = factor;
            break;
        default:  // diffuse, and the current colour, which is the diffuse one at stage 0
            v = diffuse;
            break;
    }
    if (arg & D3DTA_COMPLEMENT) v = ~v;
    if (arg & D3DTA_ALPHAREPLICATE) v = (v >> 24) * 0x01010101u;
    return v;
}

// One 8-bit channel of a stage operation.
std::uint32_t Operate(DWORD op, std::uint32_t a, std::uint32_t b, std::uint32_t diffuseAlpha,
                      std::uint32_t textureAlpha, std::uint32_t factorAlpha) {
    auto lerp = [&](std::uint32_t t) { return (a * t + b * (255 - t) + 127) / 255; };
    switch (op) {
        case D3DTOP_SELECTARG1:
            return a;
        case D3DTOP_SELECTARG2:
            return b;
        case D3DTOP_MODULATE:
            return (a * b + 127) / 255;
        case D3DTOP_MODULATE2X:
            return std::min<std::uint32_t>(255, (2 * a * b + 127) / 255);
        case D3DTOP_MODULATE4X:
            return std::min<std::uint32_t>(255, (4 * a * b + 127) / 255);
        case D3DTOP_ADD:
            return std::min<std::uint32_t>(255, a + b);
        case D3DTOP_ADDSIGNED:
            return static_cast<std::uint32_t>(std::clamp(static_cast<int>(a + b) - 128, 0, 255));
        case D3DTOP_ADDSIGNED2X:
            return static_cast<std::uint32_t>(
                std::clamp((static_cast<int>(a + b) - 128) * 2, 0, 255));
        case D3DTOP_SUBTRACT:
            return a > b ? a - b : 0;
        case D3DTOP_ADDSMOOTH:
            return std::min<std::uint32_t>(255, a + b - (a * b + 127) / 255);
        case D3DTOP_BLENDDIFFUSEALPHA:
            return lerp(diffuseAlpha);
        case D3DTOP_BLENDTEXTUREALPHA:
            return lerp(textureAlpha);
        case D3DTOP_BLENDFACTORALPHA:
            return lerp(factorAlpha);
        default:
            return a;
    }
}

int Address(int t, int size, DWORD mode) {
    if (t >= 0 && t < size) return t;  // the common case, without a division
    if (mode == D3DTADDRESS_CLAMP) return std::clamp(t, 0, size - 1);
    t %= size;
    return t < 0 ? t + size : t;
}

std::uint32_t LerpColor(std::uint32_t c0, std::uint32_t c1, double f) {
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const double v =
            Channel(c0, shift) + (static_cast<double>(Channel(c1, shift)) - Channel(c0, shift)) * f;
        // Clamped after the conversion, so that a NaN (from a quad of infinite extent) gives 0.
        out |= static_cast<std::uint32_t>(std::clamp(TruncToInt(std::floor(v + 0.5)), 0, 255))
               << shift;
    }
    return out;
}

// ---- quads of one colour (DrawQuad)

void DrawConstantQuad(SoftSurface& rt, const RECT& r, std::uint32_t out, bool blend, DWORD srcBlend,
                      DWORD dstBlend) {
    const bool standard = srcBlend == D3DBLEND_SRCALPHA && dstBlend == D3DBLEND_INVSRCALPHA;
    const std::uint32_t a = out >> 24;
    if (!blend || (standard && a == 255)) {
        FillPixels(rt, r, ArgbToPixel(rt.Format(), out));
        return;
    }
    if (standard && a == 0) {
        // The target stays; an X8R8G8B8 one reads and writes its unused byte as opaque.
        if (rt.Format() == D3DFMT_X8R8G8B8) {
            std::uint8_t* const bits = rt.Bits();
            for (int y = r.top; y < r.bottom; ++y) {
                auto* row = reinterpret_cast<std::uint32_t*>(bits + std::ptrdiff_t{rt.Pitch()} * y);
                for (int x = r.left; x < r.right; ++x) row[x] |= 0xFF000000u;
            }
        }
        return;
    }
    BlendConstant(rt, r, out, srcBlend, dstBlend);
}

// Whether a stage operation reads the texture through its arguments: DISABLE reads none,
// SELECTARG2 the second, SELECTARG1 and any operation the stage does not know the first, the
// blend by the texture's alpha the texture itself, and the others both arguments.
bool ReadsTexture(DWORD op, DWORD arg1, DWORD arg2) {
    auto texture = [](DWORD arg) { return (arg & 0xF) == D3DTA_TEXTURE; };
    switch (op) {
        case D3DTOP_DISABLE:
            return false;
        case D3DTOP_SELECTARG2:
            return texture(arg2);
        case D3DTOP_BLENDTEXTUREALPHA:
            return true;
        case D3DTOP_MODULATE:
        case D3DTOP_MODULATE2X:
        case D3DTOP_MODULATE4X:
        case D3DTOP_ADD:
        case D3DTOP_ADDSIGNED:
        case D3DTOP_ADDSIGNED2X:
        case D3DTOP_SUBTRACT:
        case D3DTOP_ADDSMOOTH:
        case D3DTOP_BLENDDIFFUSEALPHA:
        case D3DTOP_BLENDFACTORALPHA:
            return texture(arg1) || texture(arg2);
        default:
            return texture(arg1);
    }
}

std::atomic<bool> generalQuadPath{false};
std::atomic<bool> triangleQuadPath{false};

// Stage 0 of the texture stages: the colour of one pixel from its vertex colour and texel.
struct StageShader {
    DWORD colorOp, alphaOp, carg1, carg2, aarg1, aarg2;
    std::uint32_t factor;

    std::uint32_t Shade(std::uint32_t diffuse, std::uint32_t texel) const {
        if (colorOp == D3DTOP_DISABLE) return diffuse;
        const std::uint32_t c1 = ApplyArgument(carg1, diffuse, texel, factor);
        const std::uint32_t c2 = ApplyArgument(carg2, diffuse, texel, factor);
        const std::uint32_t a1 = ApplyArgument(aarg1, diffuse, texel, factor) >> 24;
        const std::uint32_t a2 = ApplyArgument(aarg2, diffuse, texel, factor) >> 24;
        const std::uint32_t da = diffuse >> 24, ta = texel >> 24, fa = factor >> 24;
        std::uint32_t out = (alphaOp == D3DTOP_DISABLE ? da : Operate(alphaOp, a1, a2, da, ta, fa))
                            << 24;
        for (int shift = 0; shift < 24; shift += 8)
            out |= Operate(colorOp, Channel(c1, shift), Channel(c2, shift), da, ta, fa) << shift;
        return out;
    }
};

// ---- the sprite quads' pixels (DrawSpriteQuad)

// floor() as an int for the texel positions (equal to it wherever it fits an int).
int FloorToInt(double v) {
    const int i = TruncToInt(v);
    return (i != INT_MIN && static_cast<double>(i) > v) ? i - 1 : i;
}

// The texels of the successive pixels of one side of a quad: pixel k of a side dw pixels long
// whose source runs over sw texels from texel sx reads texel floor(sx + (k + 0.5) * sw / dw).
// The batches place quads on whole pixels (edges at n - 0.5) over whole texel rectangles; those
// are walked in integers, a quotient and a remainder over 2 * dw, so that no rounding of the
// float texture coordinates moves a sample across a texel edge. Other quads sample at the
// pixel centre from the float coordinates.
class TexelWalk {
public:
    // first: the first pixel drawn; lo, hi: the quad's edges; t0, t1: the texture coordinates
    // there; size: the texture's side in texels.
    TexelWalk(int first, float lo, float hi, double t0, double t1, int size)
        : lo_(lo),
          span_(static_cast<double>(hi) - lo),
          t0_(t0),
          t1_(t1),
          size_(size),
          next_(first) {
        constexpr double kLimit = 1 << 24;
        const double origin = static_cast<double>(lo) + 0.5;
        const double s0 = t0 * size, s1 = t1 * size;
        if (!(std::fabs(origin) < kLimit && span_ > 0 && span_ < kLimit && std::fabs(s0) < kLimit &&
              std::fabs(s1) < kLimit))
            return;
        const int o = TruncToInt(origin), dw = TruncToInt(span_);
        const int sx = TruncToInt(std::floor(s0 + 0.5)), ex = TruncToInt(std::floor(s1 + 0.5));
        // Texture coordinates come from texel positions divided in float: a whole texel is
        // recovered from them when they lie this close to it.
        constexpr double kWhole = 1.0 / 1024;
        if (o != origin || dw != span_ || std::fabs(s0 - sx) > kWhole ||
            std::fabs(s1 - ex) > kWhole)
            return;
        const std::int64_t sw = std::int64_t{ex} - sx;
        exact_ = true;
        if (sw == dw) {
            // Unscaled (every sprite and tile): one texel a pixel, without a division.
            q_ = std::int64_t{sx} + (std::int64_t{first} - o);
            qStep_ = 1;
            return;
        }
        den_ = 2 * std::int64_t{dw};
        const std::int64_t num =
            2 * std::int64_t{sx} * dw + (2 * (std::int64_t{first} - o) + 1) * sw;
        q_ = FloorDiv(num, den_);
        r_ = num - q_ * den_;
        qStep_ = FloorDiv(2 * sw, den_);
        rStep_ = 2 * sw - qStep_ * den_;
    }

    // True when the pixels read successive texels from *first on (an unscaled quad on whole
    // pixels and texels).
    bool Unit(int* first) const {
        if (!exact_ || qStep_ != 1 || rStep_ != 0 || q_ < INT_MIN + 1 || q_ > INT_MAX) return false;
        *first = static_cast<int>(q_);
        return true;
    }

    // The texel of the next pixel (before addressing).
    int Next() {
        if (exact_) {
            const std::int64_t t = q_;
            q_ += qStep_;
            r_ += rStep_;
            if (r_ >= den_) {
                r_ -= den_;
                ++q_;
            }
            return static_cast<int>(std::clamp<std::int64_t>(t, INT_MIN + 1, INT_MAX));
        }
        // Sampling at an exact texel edge must not fall one texel short through rounding.
        constexpr double kEdge = 1e-6;
        const double f = (next_++ - static_cast<double>(lo_)) / span_;
        return FloorToInt((t0_ + (t1_ - t0_) * f) * size_ + kEdge);
    }

private:
    static std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
        const std::int64_t q = a / b;
        return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
    }

    float lo_;
    double span_, t0_, t1_;
    int size_;
    int next_;
    bool exact_ = false;
    std::int64_t q_ = 0, r_ = 0, qStep_ = 0, rStep_ = 0, den_ = 1;
};

// A side of a quad that maps whole pixels onto whole texels one to one: edges at n - 0.5 and
// texture coordinates within 1/1024 of whole texels, as many texels as pixels, read forwards
// (*step 1) or backwards (*step -1). *texel: the texel of pixel first, what TexelWalk gives
// it (forwards sx + k, backwards sx - k - 1, k pixels past the edge). False for any other
// side, which TexelWalk then walks.
bool WholeSide(int first, float lo, float hi, double t0, double t1, int size, int* texel,
               int* step) {
    constexpr double kLimit = 1 << 24;
    const double origin = static_cast<double>(lo) + 0.5;
    const double span = static_cast<double>(hi) - lo;
    const double s0 = t0 * size, s1 = t1 * size;
    // Texture coordinates below 0 are left to TexelWalk: from 0 on, truncation is floor().
    if (!(std::fabs(origin) < kLimit && span > 0 && span < kLimit && s0 >= 0 && s0 < kLimit &&
          s1 >= 0 && s1 < kLimit))
        return false;
    const int o = static_cast<int>(origin), dw = static_cast<int>(span);
    const int sx = static_cast<int>(s0 + 0.5), ex = static_cast<int>(s1 + 0.5);
    constexpr double kWhole = 1.0 / 1024;
    if (o != origin || dw != span || std::fabs(s0 - sx) > kWhole || std::fabs(s1 - ex) > kWhole)
        return false;
    const std::int64_t sw = std::int64_t{ex} - sx, k = std::int64_t{first} - o;
    std::int64_t t;
    if (sw == dw) {
        t = sx + k;
        *step = 1;
    } else if (sw == -std::int64_t{dw}) {
        t = sx - k - 1;
        *step = -1;
    } else {
        return false;
    }
    if (t < 0 || t >= size) return false;
    *texel = static_cast<int>(t);
    return true;
}

// ---- quads of one vertex colour that read their texture (DrawQuad): full-screen modulated
// and flashed pictures. The general path's arithmetic, pixel by pixel, but with each row's
// pixels and texels found once and the stage operations and formats fixed per loop, so that
// the compiler can inline the arithmetic.

constexpr DWORD kAnyOp = 0xFFFFFFFFu;

template <D3DFORMAT kFormat>
[[gnu::always_inline]] inline std::uint32_t ToArgb(const std::uint8_t* p) {
    if constexpr (kFormat == D3DFMT_A8R8G8B8 || kFormat == D3DFMT_X8R8G8B8) {
        std::uint32_t v;
        std::memcpy(&v, p, 4);
        return kFormat == D3DFMT_X8R8G8B8 ? 0xFF000000u | (v & 0x00FFFFFFu) : v;
    } else {
        const std::uint32_t v = static_cast<std::uint32_t>(p[0] | (p[1] << 8));
        if constexpr (kFormat == D3DFMT_R5G6B5)
            return 0xFF000000u | Expand5((v >> 11) & 31) << 16 | Expand6((v >> 5) & 63) << 8 |
                   Expand5(v & 31);
        else
            return ((v & 0x8000) ? 0xFF000000u : 0u) | Expand5((v >> 10) & 31) << 16 |
                   Expand5((v >> 5) & 31) << 8 | Expand5(v & 31);
    }
}

template <D3DFORMAT kFormat>
[[gnu::always_inline]] inline void StoreArgb(std::uint8_t* p, std::uint32_t c) {
    if constexpr (kFormat == D3DFMT_A8R8G8B8 || kFormat == D3DFMT_X8R8G8B8) {
        const std::uint32_t v = kFormat == D3DFMT_X8R8G8B8 ? 0xFF000000u | (c & 0x00FFFFFFu) : c;
        std::memcpy(p, &v, 4);
    } else {
        const std::uint32_t a = c >> 24, r = (c >> 16) & 0xFF, g = (c >> 8) & 0xFF, b = c & 0xFF;
        const std::uint32_t v = kFormat == D3DFMT_R5G6B5
                                    ? (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)
                                    : (a >> 7) << 15 | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3);
        p[0] = static_cast<std::uint8_t>(v);
        p[1] = static_cast<std::uint8_t>(v >> 8);
    }
}

struct TexturedRows {
    std::uint8_t* target;  // the first pixel drawn
    std::size_t targetPitch;
    int width, rows;
    const std::uint8_t* texels;  // the texture's first texel
    std::size_t texelPitch;
    const int* cols;  // each pixel column's texel column
    TexelWalk* texelRows;
    int texH;
    DWORD addrV;
    std::uint32_t diffuse;
    const StageShader* shader;
    bool blend;
    DWORD srcBlend, dstBlend;
};

template <D3DFORMAT kTarget, D3DFORMAT kTexture, DWORD kColorOp, DWORD kAlphaOp>
[[gnu::flatten]] void DrawTexturedRows(const TexturedRows& q) {
    constexpr int kTargetBytes = BytesPerPixel(kTarget), kTexelBytes = BytesPerPixel(kTexture);
    StageShader shader = *q.shader;
    if constexpr (kColorOp != kAnyOp) shader.colorOp = kColorOp;
    if constexpr (kAlphaOp != kAnyOp) shader.alphaOp = kAlphaOp;
    for (int row = 0; row < q.rows; ++row) {
        const int ty = Address(q.texelRows->Next(), q.texH, q.addrV);
        const std::uint8_t* texRow = q.texels + q.texelPitch * static_cast<std::size_t>(ty);
        std::uint8_t* d = q.target + q.targetPitch * static_cast<std::size_t>(row);
        for (int k = 0; k < q.width; ++k, d += kTargetBytes) {
            const std::uint32_t texel =
                ToArgb<kTexture>(texRow + static_cast<std::size_t>(q.cols[k]) * kTexelBytes);
            const std::uint32_t s = shader.Shade(q.diffuse, texel);
            if (!q.blend) {
                StoreArgb<kTarget>(d, s);
                continue;
            }
            StoreArgb<kTarget>(d, BlendArgb(s, ToArgb<kTarget>(d), q.srcBlend, q.dstBlend));
        }
    }
}

template <D3DFORMAT kTarget, D3DFORMAT kTexture>
struct TexturedRowsOf {
    static void Draw(const TexturedRows& q) {
        const DWORD c = q.shader->colorOp, a = q.shader->alphaOp;
        // The stage set-ups of the modulated, flashed and plain pictures have their own loops.
        if (c == D3DTOP_MODULATE && a == D3DTOP_MODULATE)
            DrawTexturedRows<kTarget, kTexture, D3DTOP_MODULATE, D3DTOP_MODULATE>(q);
        else if (c == D3DTOP_MODULATE && a == D3DTOP_SELECTARG1)
            DrawTexturedRows<kTarget, kTexture, D3DTOP_MODULATE, D3DTOP_SELECTARG1>(q);
        else if (c == D3DTOP_SELECTARG1 && a == D3DTOP_DISABLE)
            DrawTexturedRows<kTarget, kTexture, D3DTOP_SELECTARG1, D3DTOP_DISABLE>(q);
        else if (c == D3DTOP_ADD && a == D3DTOP_MODULATE)
            DrawTexturedRows<kTarget, kTexture, D3DTOP_ADD, D3DTOP_MODULATE>(q);
        else
            DrawTexturedRows<kTarget, kTexture, kAnyOp, kAnyOp>(q);
    }
};

// False (nothing drawn) for formats without a loop.
bool DrawTexturedQuad(const TexturedRows& q, D3DFORMAT target, D3DFORMAT texture) {
    return DrawRowsWithFormats<TexturedRowsOf>(target, texture, q);
}

// ---- the rows of a triangle of one vertex colour over a texture (DrawTriangles): rotated
// pictures and the turned screen. The general path's arithmetic, with the formats fixed per
// loop, the texels and pixels found from their rows' first bytes, and a stage that modulates
// each texel by a colour worked out without the stage operations.

struct TriangleRow {
    const std::uint8_t* texels;  // the texture's first texel
    std::size_t texelPitch;
    int texW, texH;
    DWORD addrU, addrV;
    // The texture coordinates at the triangle's first corner (x0, y0) and their steps.
    double x0, u0, v0, ugx, ugy, vgx, vgy;
    std::uint32_t diffuse;
    const StageShader* shader;
    bool modulated;  // the stage is `modulation` (else the shader works it out)
    Modulation modulation;
    bool blend;
    DWORD srcBlend, dstBlend;
};

[[gnu::always_inline]] inline std::uint32_t Modulate(std::uint32_t texel, const Modulation& m) {
    const std::uint32_t x = texel | m.fill;
    std::uint32_t out = 0;
#pragma GCC unroll 4
    for (int shift = 0; shift < 32; shift += 8)
        out |= (((x >> shift) & 0xFF) * ((m.m >> shift) & 0xFF) + 127) / 255 << shift;
    return out;
}

// Pixels lo..hi of the row `pixels` (pixel 0's byte), ry rows below the first corner.
template <D3DFORMAT kTarget, D3DFORMAT kTexture>
struct TriangleRowOf {
    static void Draw(const TriangleRow& t, std::uint8_t* pixels, int lo, int hi, double ry) {
        constexpr int kTargetBytes = BytesPerPixel(kTarget), kTexelBytes = BytesPerPixel(kTexture);
        // The row's terms of the coordinates, the same products the general path adds last.
        const double uy = t.ugy * ry, vy = t.vgy * ry;
        const double texW = t.texW, texH = t.texH;
        const bool white = t.modulated && t.modulation.m == 0xFFFFFFFFu;
        const bool standard = t.srcBlend == D3DBLEND_SRCALPHA && t.dstBlend == D3DBLEND_INVSRCALPHA;
        for (int px = lo; px < hi; ++px) {
            const double rx = px - t.x0;
            // Sampling at an exact texel edge must not fall one texel short through rounding (as
            // for the rectangles).
            constexpr double kEdge = 1e-6;
            const double u = t.u0 + t.ugx * rx + uy;
            const double w = t.v0 + t.vgx * rx + vy;
            const int tx = Address(FloorToInt(u * texW + kEdge), t.texW, t.addrU);
            const int ty = Address(FloorToInt(w * texH + kEdge), t.texH, t.addrV);
            const std::uint32_t texel =
                ToArgb<kTexture>(t.texels + t.texelPitch * static_cast<std::size_t>(ty) +
                                 static_cast<std::size_t>(tx) * kTexelBytes);
            std::uint8_t* d = pixels + static_cast<std::size_t>(px) * kTargetBytes;
            // A texel modulated by white is itself; under the standard blend an opaque colour is
            // stored and a transparent one leaves the pixel (an X8R8G8B8 one read and written with
            // its unused byte as opaque), as the arithmetic gives them.
            const std::uint32_t s = white         ? texel | t.modulation.fill
                                    : t.modulated ? Modulate(texel, t.modulation)
                                                  : t.shader->Shade(t.diffuse, texel);
            if (!t.blend || (standard && s >> 24 == 0xFF))
                StoreArgb<kTarget>(d, s);
            else if (standard && s >> 24 == 0)
                StoreArgb<kTarget>(d, ToArgb<kTarget>(d));
            else
                StoreArgb<kTarget>(d, BlendArgb(s, ToArgb<kTarget>(d), t.srcBlend, t.dstBlend));
        }
    }
};

// False (nothing drawn) for formats without a loop.
bool DrawTriangleRow(const TriangleRow& t, D3DFORMAT target, D3DFORMAT texture,
                     std::uint8_t* pixels, int lo, int hi, double ry) {
    return DrawRowsWithFormats<TriangleRowOf>(target, texture, t, pixels, lo, hi, ry);
}

// Eight pixels of a span at a time (two vector registers of the baseline instruction set):
// see pixel_vectors.h.

// One pixel of a sprite quad on a 32-bit target: an opaque texel is stored, a transparent
// one leaves the pixel (whose unused byte an X8R8G8B8 target keeps opaque), anything between
// is blended.
std::uint32_t WidePixel(std::uint32_t d, std::uint32_t t, bool x8, bool texelAlpha,
                        std::uint32_t vertexAlpha) {
    const std::uint32_t a = texelAlpha ? t >> 24 : vertexAlpha;
    if (a == 255) return 0xFF000000u | t;
    if (a == 0) return x8 ? (d | 0xFF000000u) : d;
    // The blend in place, (s * a + d * (255 - a) + 127) / 255 per channel, the target's
    // unused byte read and kept as 255.
    if (x8) d |= 0xFF000000u;
    const std::uint32_t s = a << 24 | (t & 0x00FFFFFFu), fd = 255 - a;
    std::uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8)
        out |= ((((s >> shift) & 0xFF) * a + ((d >> shift) & 0xFF) * fd + 127) / 255) << shift;
    return x8 ? out | 0xFF000000u : out;
}

std::uint16_t NarrowPixel(std::uint16_t d, std::uint32_t t, D3DFORMAT rf, bool texelAlpha,
                          std::uint32_t vertexAlpha) {
    const std::uint32_t a = texelAlpha ? ((t & 0x8000) ? 255 : 0) : vertexAlpha;
    if (a == 255) {
        if (rf == D3DFMT_A1R5G5B5) return static_cast<std::uint16_t>(t | 0x8000);
        const std::uint32_t g = (t >> 5) & 31;
        return static_cast<std::uint16_t>(((t >> 10) & 31) << 11 | ((g << 1) | (g >> 4)) << 5 |
                                          (t & 31));
    }
    if (a == 0) return d;
    const std::uint32_t argb = PixelToArgb(D3DFMT_A1R5G5B5, t, nullptr);
    return static_cast<std::uint16_t>(
        BlendPixel(rf, d, a << 24 | (argb & 0x00FFFFFFu), D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA));
}

// The row loops below are compiled twice, for the baseline instruction set and for the
// wider vectors of newer processors, and the processor is asked once which of them it runs
// (RowLoops); the arithmetic is the same integer one, so the pixels do not depend on the
// machine. The spans are put inside them (one call a quad, not a row: short sprite rows would
// otherwise spend as long on the call as on their pixels). Their vector steps are unrolled,
// so that a row a block wide is drawn without a loop.
#define K4_SPAN [[gnu::always_inline]] inline

// How a row of texels covers the target, from the alpha summary of the runs it reads, so
// that each kind of row takes the loop that does only its own work: most rows of tiles are
// wholly opaque, many rows of sprites wholly transparent, and keyed sprites hold no alpha in
// between.
enum class Cover {
    None,   // every texel transparent: the target stays
    Full,   // every texel opaque: the texels are stored
    Key,    // each texel opaque or transparent
    Mixed,  // some texel in between, or no summary: blended one by one
};

// runs: the summary of the first run a row of the quad reads; count: the runs it reads.
K4_SPAN Cover RowCover(const std::uint8_t* runs, int count) {
    std::uint8_t bits = 0;
    for (int r = 0; r < count; ++r) bits |= runs[r];
    if (bits & SoftSurface::kRunBetween) return Cover::Mixed;
    if (bits == SoftSurface::kRunOpaque) return Cover::Full;
    if (bits == SoftSurface::kRunClear) return Cover::None;
    return Cover::Key;
}

// The spans of a sprite row, one function per kind of row. Those named "Onto" draw over a
// background pixel value instead of the target's pixels: the clear under a keyed copy, made
// here rather than before (the target is then written once and not read).

// Opaque texels of opaque alpha: the texel is the pixel. (A copy of whole bytes is right
// only because the texels never overlap the pixels: a texture drawn onto itself has no alpha
// summary and takes the in-order blend spans, see SpriteRows::inOrder.)
K4_SPAN void CopyWideSpan(std::uint32_t* d, const std::uint32_t* s, int n) {
    std::memcpy(d, s, static_cast<std::size_t>(n) * 4);
}

// Texels made opaque by the vertex alpha: stored with their alpha set.
K4_SPAN void StoreWideSpan(std::uint32_t* d, const std::uint32_t* s, int n) {
    int k = 0;
#pragma GCC unroll 4
    for (; k + 8 <= n; k += 8) {
        Wide8 in;
        std::memcpy(&in, s + k, 32);
        in |= 0xFF000000u;
        std::memcpy(d + k, &in, 32);
    }
    for (; k < n; ++k) d[k] = s[k] | 0xFF000000u;
}

// Transparent texels: the target stays, an X8R8G8B8 one with its unused byte opaque.
K4_SPAN void KeepWideSpan(std::uint32_t* d, int n, bool x8) {
    if (!x8) return;
    int k = 0;
#pragma GCC unroll 4
    for (; k + 8 <= n; k += 8) {
        Wide8 out;
        std::memcpy(&out, d + k, 32);
        out |= 0xFF000000u;
        std::memcpy(d + k, &out, 32);
    }
    for (; k < n; ++k) d[k] |= 0xFF000000u;
}

// Texels each opaque or transparent: the top bit of the alpha, spread over the lane,
// selects the texel or the target.
K4_SPAN void SelectWideSpan(std::uint32_t* d, const std::uint32_t* s, int n, bool x8) {
    const std::uint32_t fix = x8 ? 0xFF000000u : 0u;
    int k = 0;
#pragma GCC unroll 4
    for (; k + 8 <= n; k += 8) {
        Wide8 in, out;
        std::memcpy(&in, s + k, 32);
        std::memcpy(&out, d + k, 32);
        const Wide8 opaque = reinterpret_cast<Wide8>(reinterpret_cast<SignedWide8>(in) >> 31);
        out = (in & opaque) | ((out | fix) & ~opaque);
        std::memcpy(d + k, &out, 32);
    }
    for (; k < n; ++k) d[k] = static_cast<std::int32_t>(s[k]) < 0 ? s[k] : d[k] | fix;
}

K4_SPAN void SelectWideSpanOnto(std::uint32_t* d, const std::uint32_t* s, int n,
                                std::uint32_t background) {
    int k = 0;
#pragma GCC unroll 4
    for (; k + 8 <= n; k += 8) {
        Wide8 in;
        std::memcpy(&in, s + k, 32);
        const Wide8 opaque = reinterpret_cast<Wide8>(reinterpret_cast<SignedWide8>(in) >> 31);
        in = (in & opaque) | (background & ~opaque);
        std::memcpy(d + k, &in, 32);
    }
    for (; k < n; ++k) d[k] = static_cast<std::int32_t>(s[k]) < 0 ? s[k] : background;
}

// Texels of any alpha, or one alpha for all: pixel by pixel. Under one vertex alpha a
// between 0 and 255 every pixel is blended alike, (s * a + d * (255 - a) + 127) / 255 per
// channel with the source's alpha byte a: eight pixels at a time in 16-bit lanes (the sum
// stays below 65535, where (v + 1 + (v >> 8)) >> 8 is v / 255 exactly). Not when the texels
// are pixels of the same row (inOrder): each must then be read after the one before is written.
K4_SPAN void BlendWideSpan(std::uint32_t* d, const std::uint32_t* s, int n, bool x8,
                           bool texelAlpha, std::uint32_t vertexAlpha, bool inOrder) {
    int k = 0;
    if (!inOrder && !texelAlpha && vertexAlpha != 0 && vertexAlpha != 255) {
        const std::uint32_t fix = x8 ? 0xFF000000u : 0u;
        const std::uint32_t alpha = vertexAlpha << 24;
        const Lanes32 a = Lanes32{} + static_cast<std::uint16_t>(vertexAlpha);
        const Lanes32 fd = Lanes32{} + static_cast<std::uint16_t>(255 - vertexAlpha);
        for (; k + 8 <= n; k += 8) {
            Wide8 in, out;
            std::memcpy(&in, s + k, 32);
            std::memcpy(&out, d + k, 32);
            in = (in & 0x00FFFFFFu) | alpha;
            out |= fix;
            Lanes32 v = __builtin_convertvector(reinterpret_cast<Bytes32>(in), Lanes32) * a +
                        __builtin_convertvector(reinterpret_cast<Bytes32>(out), Lanes32) * fd + 127;
            v = (v + 1 + (v >> 8)) >> 8;
            out = reinterpret_cast<Wide8>(__builtin_convertvector(v, Bytes32)) | fix;
            std::memcpy(d + k, &out, 32);
        }
    }
    for (; k < n; ++k) d[k] = WidePixel(d[k], s[k], x8, texelAlpha, vertexAlpha);
}

// A1R5G5B5 texels in the target's format, opaque: the same bits with the alpha set, or the
// colour moved to its R5G6B5 place with green widened.
K4_SPAN void NarrowColour(Narrow16& v, bool same) {
    if (same) {
        v |= 0x8000;
        return;
    }
    // Red and green one bit up (the alpha bit drops out), green's top bit repeated below
    // it, blue in place.
    v = ((v << 1) & 0xFFC0) | ((v >> 4) & 0x0020) | (v & 0x001F);
}

K4_SPAN void StoreNarrowSpan(std::uint16_t* d, const std::uint16_t* s, int n, D3DFORMAT rf) {
    const bool same = rf == D3DFMT_A1R5G5B5;
    int k = 0;
#pragma GCC unroll 2
    for (; k + 16 <= n; k += 16) {
        Narrow16 in;
        std::memcpy(&in, s + k, 32);
        NarrowColour(in, same);
        std::memcpy(d + k, &in, 32);
    }
    for (; k < n; ++k) d[k] = NarrowPixel(d[k], s[k], rf, false, 255);
}

K4_SPAN void SelectNarrowSpan(std::uint16_t* d, const std::uint16_t* s, int n, D3DFORMAT rf) {
    const bool same = rf == D3DFMT_A1R5G5B5;
    int k = 0;
#pragma GCC unroll 2
    for (; k + 16 <= n; k += 16) {
        Narrow16 in, out;
        std::memcpy(&in, s + k, 32);
        std::memcpy(&out, d + k, 32);
        const Narrow16 opaque =
            reinterpret_cast<Narrow16>(reinterpret_cast<SignedNarrow16>(in) >> 15);
        NarrowColour(in, same);
        out = (in & opaque) | (out & ~opaque);
        std::memcpy(d + k, &out, 32);
    }
    for (; k < n; ++k) d[k] = NarrowPixel(d[k], s[k], rf, true, 0);
}

K4_SPAN void SelectNarrowSpanOnto(std::uint16_t* d, const std::uint16_t* s, int n, D3DFORMAT rf,
                                  std::uint16_t background) {
    const bool same = rf == D3DFMT_A1R5G5B5;
    int k = 0;
#pragma GCC unroll 2
    for (; k + 16 <= n; k += 16) {
        Narrow16 in;
        std::memcpy(&in, s + k, 32);
        const Narrow16 opaque =
            reinterpret_cast<Narrow16>(reinterpret_cast<SignedNarrow16>(in) >> 15);
        NarrowColour(in, same);
        in = (in & opaque) | (background & ~opaque);
        std::memcpy(d + k, &in, 32);
    }
    for (; k < n; ++k) d[k] = NarrowPixel(background, s[k], rf, true, 0);
}

K4_SPAN void BlendNarrowSpan(std::uint16_t* d, const std::uint16_t* s, int n, D3DFORMAT rf,
                             bool texelAlpha, std::uint32_t vertexAlpha) {
    for (int k = 0; k < n; ++k) d[k] = NarrowPixel(d[k], s[k], rf, texelAlpha, vertexAlpha);
}

// A row's first pixel or texel, typed.
K4_SPAN std::uint32_t* Pixels32(std::uint8_t* p) {
    return reinterpret_cast<std::uint32_t*>(p);
}
K4_SPAN const std::uint32_t* Texels32(const std::uint8_t* p) {
    return reinterpret_cast<const std::uint32_t*>(p);
}
K4_SPAN std::uint16_t* Pixels16(std::uint8_t* p) {
    return reinterpret_cast<std::uint16_t*>(p);
}
K4_SPAN const std::uint16_t* Texels16(const std::uint8_t* p) {
    return reinterpret_cast<const std::uint16_t*>(p);
}

// The rows of a sprite quad whose texels are read in order along each row.
struct SpriteRows {
    std::uint8_t* target;  // the first pixel drawn
    std::size_t targetPitch;
    const std::uint8_t* texels;  // its texel
    std::size_t texelPitch;
    const std::uint8_t* runs;  // the alpha summary of its first run, or null
    std::size_t runsPitch;
    int runCount;
    int width, rows;
    D3DFORMAT rf;
    bool texelAlpha;
    std::uint32_t vertexAlpha;
    bool clearUnder;  // a clear of the whole quad to `under` is still to be made
    std::uint32_t under;
    // The summary shows every texel the quad reads opaque or transparent: each row is a
    // selection, whatever its runs hold, and no row needs sorting.
    bool keyed;
    // The texture is the target: each pixel is blended after the ones before it are written,
    // as the general path does, since a texel may be a pixel the quad has already drawn.
    bool inOrder;
};

// The rows of a quad from (x0, y0) to (x1, y1) of the target, with the texels still to be
// found. A clear of exactly this rectangle still to be made is taken, to be made by the row
// loops only where the texels do not cover it (a texture that is its own target reads the
// cleared pixels, so it leaves the clear to be made first). Every member is written here: a
// value-initialised quad is cleared by a string store that costs more than a small quad's
// set-up.
SpriteRows RowsOfQuad(SoftSurface& rt, const SoftSurface& tex, int x0, int y0, int x1, int y1,
                      bool wide, bool texelAlpha, std::uint32_t vertexAlpha) {
    const bool selfDraw = &tex == &rt;
    std::uint32_t under = 0;
    const bool clearUnder = !selfDraw && rt.TakeFill(RECT{x0, y0, x1, y1}, &under);
    const std::size_t bytes = wide ? 4 : 2;
    const auto targetPitch = static_cast<std::size_t>(rt.Pitch());
    return SpriteRows{.target = rt.Bits() + targetPitch * static_cast<std::size_t>(y0) +
                                bytes * static_cast<std::size_t>(x0),
                      .targetPitch = targetPitch,
                      .texels = nullptr,
                      .texelPitch = static_cast<std::size_t>(tex.Pitch()),
                      .runs = nullptr,
                      .runsPitch = 0,
                      .runCount = 0,
                      .width = x1 - x0,
                      .rows = y1 - y0,
                      .rf = rt.Format(),
                      .texelAlpha = texelAlpha,
                      .vertexAlpha = vertexAlpha,
                      .clearUnder = clearUnder,
                      .under = under,
                      .keyed = false,
                      .inOrder = selfDraw};
}

// Sprites and tiles are a block of the stage wide: their rows get loops of that width fixed,
// which the compiler unrolls (kWidth 0: the quad's own width).
constexpr int kBlockWidth = 32;

// Keyed sprites and tiles: a selection gives what each kind of row would (an opaque row
// copied, a transparent one kept or cleared), without telling the rows apart.
template <int kWidth>
K4_SPAN void KeyedWideRows(const SpriteRows& q, bool x8, std::uint32_t background) {
    const int n = kWidth ? kWidth : q.width, rows = q.rows;
    const std::size_t targetPitch = q.targetPitch, texelPitch = q.texelPitch;
    std::uint8_t* d = q.target;
    const std::uint8_t* s = q.texels;
    if (q.clearUnder) {
        for (int row = 0; row < rows; ++row, d += targetPitch, s += texelPitch)
            SelectWideSpanOnto(Pixels32(d), Texels32(s), n, background);
    } else if (x8) {
        for (int row = 0; row < rows; ++row, d += targetPitch, s += texelPitch)
            SelectWideSpan(Pixels32(d), Texels32(s), n, true);
    } else {
        for (int row = 0; row < rows; ++row, d += targetPitch, s += texelPitch)
            SelectWideSpan(Pixels32(d), Texels32(s), n, false);
    }
}

K4_SPAN void DrawWideRows(const SpriteRows& quad) {
    // A copy, as DrawNarrowRows takes.
    const SpriteRows q = quad;
    const bool x8 = q.rf == D3DFMT_X8R8G8B8;
    const std::uint32_t background = x8 ? q.under | 0xFF000000u : q.under;
    const int n = q.width;
    if (q.keyed && q.texelAlpha && !q.inOrder) {
        if (n == kBlockWidth)
            KeyedWideRows<kBlockWidth>(q, x8, background);
        else
            KeyedWideRows<0>(q, x8, background);
        return;
    }
    // Without the texel's alpha every row is covered alike.
    const Cover vertexCover = q.vertexAlpha == 255 ? Cover::Full
                              : q.vertexAlpha == 0 ? Cover::None
                                                   : Cover::Mixed;
    for (int row = 0; row < q.rows; ++row) {
        auto* d = reinterpret_cast<std::uint32_t*>(q.target + q.targetPitch * row);
        const auto* s = reinterpret_cast<const std::uint32_t*>(q.texels + q.texelPitch * row);
        const Cover cover = q.inOrder       ? Cover::Mixed
                            : !q.texelAlpha ? vertexCover
                            : q.runs        ? RowCover(q.runs + q.runsPitch * row, q.runCount)
                                            : Cover::Mixed;
        switch (cover) {
            case Cover::Full:
                if (q.texelAlpha)
                    CopyWideSpan(d, s, n);
                else
                    StoreWideSpan(d, s, n);
                break;
            case Cover::None:
                if (q.clearUnder)
                    std::fill_n(d, n, background);
                else
                    KeepWideSpan(d, n, x8);
                break;
            case Cover::Key:
                if (q.clearUnder)
                    SelectWideSpanOnto(d, s, n, background);
                else
                    SelectWideSpan(d, s, n, x8);
                break;
            case Cover::Mixed:
                if (q.clearUnder) std::fill_n(d, n, q.under);
                BlendWideSpan(d, s, n, x8, q.texelAlpha, q.vertexAlpha, q.inOrder);
                break;
        }
    }
}

// The rows of a 16-bit quad of one kind onto one target format (kFormat): the kind, the format
// and a block's width are decided once a quad, not once a row, and the spans compiled for each.
template <D3DFORMAT kFormat, int kWidth>
K4_SPAN void DrawNarrowRowsOnto(const SpriteRows& q) {
    const auto background = static_cast<std::uint16_t>(q.under);
    const int n = kWidth ? kWidth : q.width, rows = q.rows;
    const bool texelAlpha = q.texelAlpha, clearUnder = q.clearUnder;
    const std::uint32_t vertexAlpha = q.vertexAlpha;
    const std::size_t targetPitch = q.targetPitch, texelPitch = q.texelPitch;
    std::uint8_t* d = q.target;
    const std::uint8_t* s = q.texels;
    if (q.inOrder) {
        for (int row = 0; row < rows; ++row, d += targetPitch, s += texelPitch)
            BlendNarrowSpan(Pixels16(d), Texels16(s), n, kFormat, texelAlpha, vertexAlpha);
    } else if (texelAlpha && clearUnder) {
        for (int row = 0; row < rows; ++row, d += targetPitch, s += texelPitch)
            SelectNarrowSpanOnto(Pixels16(d), Texels16(s), n, kFormat, background);
    } else if (texelAlpha) {
        for (int row = 0; row < rows; ++row, d += targetPitch, s += texelPitch)
            SelectNarrowSpan(Pixels16(d), Texels16(s), n, kFormat);
    } else {
        for (int row = 0; row < rows; ++row, d += targetPitch, s += texelPitch) {
            if (clearUnder) std::fill_n(Pixels16(d), n, background);
            if (vertexAlpha == 255)
                StoreNarrowSpan(Pixels16(d), Texels16(s), n, kFormat);
            else if (vertexAlpha != 0)
                BlendNarrowSpan(Pixels16(d), Texels16(s), n, kFormat, false, vertexAlpha);
        }
    }
}

// A1R5G5B5 texels are opaque or transparent: every row is selected (or, under a vertex
// alpha, stored, left or blended alike). The quad is copied first: stores through the rows'
// pointers could change it, for all the compiler knows, and it would read it again each row.
K4_SPAN void DrawNarrowRows(const SpriteRows& quad) {
    const SpriteRows q = quad;
    const bool block = q.width == kBlockWidth;
    if (q.rf == D3DFMT_A1R5G5B5 && block)
        DrawNarrowRowsOnto<D3DFMT_A1R5G5B5, kBlockWidth>(q);
    else if (q.rf == D3DFMT_A1R5G5B5)
        DrawNarrowRowsOnto<D3DFMT_A1R5G5B5, 0>(q);
    else if (block)
        DrawNarrowRowsOnto<D3DFMT_R5G6B5, kBlockWidth>(q);
    else
        DrawNarrowRowsOnto<D3DFMT_R5G6B5, 0>(q);
}

void DrawWideRowsBaseline(const SpriteRows& q) {
    DrawWideRows(q);
}
void DrawNarrowRowsBaseline(const SpriteRows& q) {
    DrawNarrowRows(q);
}
__attribute__((target("avx2"))) void DrawWideRowsAvx2(const SpriteRows& q) {
    DrawWideRows(q);
}
__attribute__((target("avx2"))) void DrawNarrowRowsAvx2(const SpriteRows& q) {
    DrawNarrowRows(q);
}

// The row loops of one instruction set, for 32-bit and 16-bit targets.
struct RowLoops {
    void (*wide)(const SpriteRows&);
    void (*narrow)(const SpriteRows&);

    void Draw(const SpriteRows& q) const {
        if (q.rf == D3DFMT_X8R8G8B8 || q.rf == D3DFMT_A8R8G8B8)
            wide(q);
        else
            narrow(q);
    }
};
constexpr RowLoops kBaselineRowLoops{DrawWideRowsBaseline, DrawNarrowRowsBaseline};
constexpr RowLoops kAvx2RowLoops{DrawWideRowsAvx2, DrawNarrowRowsAvx2};

const RowLoops& ChosenRowLoops() {
    return UseAvx2Loops() ? kAvx2RowLoops : kBaselineRowLoops;
}

// The three ways a sprite quad reads its texture; `q` holds all but where its rows start.

// Columns read out of order (a quad stretched, shrunk, mirrored or wrapping across): pixel
// by pixel through the table of each pixel column's texel. q.target is the quad's first
// pixel, q.texels the texture's first texel.
template <typename Pixel>
void DrawSampledColumns(const SpriteRows& q, const int* cols, TexelWalk& rows, int texH,
                        DWORD addrV) {
    const bool x8 = q.rf == D3DFMT_X8R8G8B8;
    for (int row = 0; row < q.rows; ++row) {
        const int ty = Address(rows.Next(), texH, addrV);
        const auto* s =
            reinterpret_cast<const Pixel*>(q.texels + q.texelPitch * static_cast<std::size_t>(ty));
        auto* d =
            reinterpret_cast<Pixel*>(q.target + q.targetPitch * static_cast<std::size_t>(row));
        if (q.clearUnder) std::fill_n(d, q.width, static_cast<Pixel>(q.under));
        for (int k = 0; k < q.width; ++k) {
            if constexpr (sizeof(Pixel) == 4)
                d[k] = WidePixel(d[k], s[cols[k]], x8, q.texelAlpha, q.vertexAlpha);
            else
                d[k] = NarrowPixel(d[k], s[cols[k]], q.rf, q.texelAlpha, q.vertexAlpha);
        }
    }
}

// Rows and columns in order (an unscaled quad inside its texture: every sprite and tile): all
// rows in one call of the row loops. q.texels is the texel of the first pixel, in texture row
// firstRow; summary: the texture when its alpha summary sorts the rows, or null.
void DrawUnscaledQuad(SpriteRows& q, const SoftSurface* summary, int firstRow, int runFirst) {
    // A texture whose texels are all opaque or transparent needs no look at the quad's runs.
    const bool keyedSheet = summary && summary->KeyedThroughout();
    int runsPerRow = 0;
    const std::uint8_t* wholeRows = nullptr;
    const std::uint8_t* runs =
        summary && !keyedSheet ? summary->AlphaRunRows(firstRow, q.rows, &runsPerRow, &wholeRows)
                               : nullptr;
    q.runs = runs ? runs + runFirst : nullptr;
    q.runsPitch = static_cast<std::size_t>(runsPerRow);
    // The rows' bits ORed eight at a time.
    std::uint64_t bits = 0;
    if (runs) {
        int row = 0;
        for (; row + 8 <= q.rows; row += 8) {
            std::uint64_t eight;
            std::memcpy(&eight, wholeRows + row, 8);
            bits |= eight;
        }
        for (; row < q.rows; ++row) bits |= wholeRows[row];
    }
    q.keyed = keyedSheet || (runs && !(bits & 0x0101010101010101u * SoftSurface::kRunBetween));
    ChosenRowLoops().Draw(q);
}

// rows rows of n texels (wide: 4 bytes each, else 2) from `from` on, each turned round,
// into `to`: four bytes of texels at a time, the baseline's 16-byte vectors (this is not one
// of the loops compiled twice, and a wider vector would be taken apart through memory). The
// 32-bit lanes are reversed; 16-bit texels then also swap within their lane (a shuffle of
// 16-bit lanes is compiled lane by lane).
template <typename Texel>
void ReverseRowsOf(std::uint8_t* to, std::size_t toPitch, const std::uint8_t* from,
                   std::size_t fromPitch, int n, int rows) {
    constexpr int kLanes = sizeof(Wide4) / sizeof(Texel);
    for (int row = 0; row < rows; ++row, to += toPitch, from += fromPitch) {
        auto* out = reinterpret_cast<Texel*>(to);
        const auto* in = reinterpret_cast<const Texel*>(from);
        int k = 0;
        for (; k + kLanes <= n; k += kLanes) {
            Wide4 v;
            std::memcpy(&v, in + (n - k - kLanes), sizeof v);
            v = __builtin_shufflevector(v, v, 3, 2, 1, 0);
            if constexpr (sizeof(Texel) == 2) v = v << 16 | v >> 16;
            std::memcpy(out + k, &v, sizeof v);
        }
        for (; k < n; ++k) out[k] = in[n - 1 - k];
    }
}

void ReverseRows(std::uint8_t* to, std::size_t toPitch, const std::uint8_t* from,
                 std::size_t fromPitch, int n, int rows, bool wide) {
    if (wide)
        ReverseRowsOf<std::uint32_t>(to, toPitch, from, fromPitch, n, rows);
    else
        ReverseRowsOf<std::uint16_t>(to, toPitch, from, fromPitch, n, rows);
}

// Columns in order, rows not (a quad stretched down the texture): a row at a time. q.texels
// is the texel of the first pixel's column in texture row 0.
void DrawRowsStretchedDown(SpriteRows q, const SoftSurface* summary, int runFirst, TexelWalk& rows,
                           int texH, DWORD addrV) {
    const RowLoops& loops = ChosenRowLoops();
    std::uint8_t* const target = q.target;
    const std::uint8_t* const texels = q.texels;
    const int height = q.rows;
    q.rows = 1;
    for (int row = 0; row < height; ++row) {
        const int ty = Address(rows.Next(), texH, addrV);
        const std::uint8_t* runs = summary ? summary->AlphaRuns(ty) : nullptr;
        q.target = target + q.targetPitch * static_cast<std::size_t>(row);
        q.texels = texels + q.texelPitch * static_cast<std::size_t>(ty);
        q.runs = runs ? runs + runFirst : nullptr;
        loops.Draw(q);
    }
}

}  // namespace

// ---- surfaces

IDirect3DSurface9::IDirect3DSurface9(IDirect3DDevice9* device, IDirect3DTexture9* container,
                                     std::shared_ptr<SoftSurface> pixels,
                                     const D3DSURFACE_DESC& desc, bool lockable)
    : device_(device),
      container_(container),
      pixels_(std::move(pixels)),
      desc_(desc),
      lockable_(lockable) {
    // A texture's level is counted with its texture.
    if (!container && desc.Pool == D3DPOOL_DEFAULT) ++device->defaultPool_;
}

IDirect3DSurface9::~IDirect3DSurface9() {
    if (!container_ && desc_.Pool == D3DPOOL_DEFAULT) --device_->defaultPool_;
}

HRESULT IDirect3DSurface9::LockRect(D3DLOCKED_RECT* locked, const RECT* rect, DWORD) {
    if (!locked) return D3DERR_INVALIDCALL;
    const bool lockable = container_ ? container_->Lockable() : lockable_;
    if (!lockable) return D3DERR_INVALIDCALL;
    SoftSurface& s = *pixels_;
    const RECT r = rect ? *rect : s.Bounds();
    if (!s.Holds(r) || !s.TryLock()) return D3DERR_INVALIDCALL;
    locked->Pitch = s.Pitch();
    locked->pBits = s.Row(r.top) + r.left * s.BytesPerPixel();
    return D3D_OK;
}

HRESULT IDirect3DSurface9::UnlockRect() {
    return pixels_->Unlock() ? D3D_OK : D3DERR_INVALIDCALL;
}

HRESULT IDirect3DSurface9::GetDesc(D3DSURFACE_DESC* desc) {
    if (!desc) return D3DERR_INVALIDCALL;
    *desc = desc_;
    return D3D_OK;
}

// ---- textures

IDirect3DTexture9::IDirect3DTexture9(IDirect3DDevice9* device, std::shared_ptr<SoftSurface> pixels,
                                     const D3DSURFACE_DESC& desc)
    : device_(device), pixels_(std::move(pixels)), desc_(desc) {
    if (desc.Pool == D3DPOOL_DEFAULT) ++device->defaultPool_;
}

IDirect3DTexture9::~IDirect3DTexture9() {
    if (desc_.Pool == D3DPOOL_DEFAULT) --device_->defaultPool_;
}

bool IDirect3DTexture9::Lockable() const {
    return desc_.Pool != D3DPOOL_DEFAULT || (desc_.Usage & D3DUSAGE_DYNAMIC) != 0;
}

HRESULT IDirect3DTexture9::GetSurfaceLevel(UINT level, IDirect3DSurface9** out) {
    if (!out || level != 0) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (FailStep("d3d_surface_level")) return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc = desc_;
    desc.Type = D3DRTYPE_SURFACE;
    *out = new (std::nothrow) IDirect3DSurface9(device_.get(), this, pixels_, desc, Lockable());
    return *out ? D3D_OK : E_OUTOFMEMORY;
}

HRESULT IDirect3DTexture9::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) {
    if (!desc || level != 0) return D3DERR_INVALIDCALL;
    *desc = desc_;
    desc->Type = D3DRTYPE_SURFACE;
    return D3D_OK;
}

HRESULT IDirect3DTexture9::LockRect(UINT level, D3DLOCKED_RECT* locked, const RECT* rect, DWORD) {
    if (!locked || level != 0 || !Lockable()) return D3DERR_INVALIDCALL;
    SoftSurface& s = *pixels_;
    const RECT r = rect ? *rect : s.Bounds();
    if (!s.Holds(r) || !s.TryLock()) return D3DERR_INVALIDCALL;
    locked->Pitch = s.Pitch();
    locked->pBits = s.Row(r.top) + r.left * s.BytesPerPixel();
    return D3D_OK;
}

HRESULT IDirect3DTexture9::UnlockRect(UINT level) {
    if (level != 0) return D3DERR_INVALIDCALL;
    return pixels_->Unlock() ? D3D_OK : D3DERR_INVALIDCALL;
}

// ---- vertex and index buffers

D3DBuffer9::D3DBuffer9(IDirect3DDevice9* device, std::shared_ptr<std::vector<std::uint8_t>> data,
                       DWORD pool)
    : device_(device), data_(std::move(data)), pool_(pool) {
    if (pool_ == D3DPOOL_DEFAULT) ++device->defaultPool_;
}

D3DBuffer9::~D3DBuffer9() {
    if (pool_ == D3DPOOL_DEFAULT) --device_->defaultPool_;
}

HRESULT D3DBuffer9::Lock(UINT offset, UINT size, void** data, DWORD) {
    if (!data || locked_) return D3DERR_INVALIDCALL;
    const std::size_t length = data_->size();
    if (offset > length || (size != 0 && size > length - offset)) return D3DERR_INVALIDCALL;
    locked_ = true;
    *data = data_->data() + offset;
    return D3D_OK;
}

HRESULT D3DBuffer9::Unlock() {
    if (!locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    return D3D_OK;
}

// ---- the device

IDirect3DDevice9::IDirect3DDevice9(const D3DCAPS9& caps, const D3DPRESENT_PARAMETERS& params)
    : caps_(caps), params_(params) {}

IDirect3DDevice9::~IDirect3DDevice9() {
    if (fullScreen_) SetDisplayFullScreen(false);
}

bool IDirect3DDevice9::Setup(const D3DPRESENT_PARAMETERS& params) {
    auto back =
        SoftSurface::Create(static_cast<int>(params.BackBufferWidth),
                            static_cast<int>(params.BackBufferHeight), params.BackBufferFormat);
    if (!back) return false;
    params_ = params;
    backBuffer_ = std::move(back);
    renderTarget_ = backBuffer_;
    texture_.reset();
    stream_.reset();
    indices_.reset();
    inScene_ = false;
    ResetStates();
    const bool full = !params.Windowed;
    if (full != fullScreen_) SetDisplayFullScreen(full);
    fullScreen_ = full;
    return true;
}

void IDirect3DDevice9::ResetStates() {
    renderStates_.fill(0);
    renderStates_[D3DRS_ZENABLE] = 1;
    renderStates_[D3DRS_CULLMODE] = 3;
    renderStates_[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    renderStates_[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    renderStates_[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
    renderStates_[D3DRS_COLORVERTEX] = 1;
    renderStates_[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    stage0_.fill(0);
    stage0_[D3DTSS_COLOROP] = D3DTOP_MODULATE;
    stage0_[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    stage0_[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    stage0_[D3DTSS_ALPHAOP] = D3DTOP_SELECTARG1;
    stage0_[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    stage0_[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    sampler0_.fill(0);
    sampler0_[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
    sampler0_[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
    sampler0_[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
    sampler0_[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
}

void IDirect3DDevice9::SimulateDeviceLoss() {
    state_ = State::Lost;
    inScene_ = false;
}

HRESULT IDirect3DDevice9::TestCooperativeLevel() {
    switch (state_) {
        case State::Ok:
            return D3D_OK;
        case State::Lost:
            // The next question finds the program back in front.
            state_ = State::NotReset;
            return D3DERR_DEVICELOST;
        default:
            return D3DERR_DEVICENOTRESET;
    }
}

HRESULT IDirect3DDevice9::Reset(D3DPRESENT_PARAMETERS* params) {
    if (!params || !IsBackBufferFormat(params->BackBufferFormat)) return D3DERR_INVALIDCALL;
    if (state_ == State::Lost) return D3DERR_DEVICELOST;
    if (defaultPool_ != 0) {
        // Still holding video memory: the device stays (or becomes) lost until a reset works.
        if (state_ == State::Ok) state_ = State::NotReset;
        return D3DERR_INVALIDCALL;
    }
    D3DPRESENT_PARAMETERS p = *params;
    if (p.Windowed && (p.BackBufferWidth == 0 || p.BackBufferHeight == 0)) {
        p.BackBufferWidth = params_.BackBufferWidth;
        p.BackBufferHeight = params_.BackBufferHeight;
    }
    if (p.BackBufferCount == 0) p.BackBufferCount = 1;
    if (!Setup(p)) return D3DERR_OUTOFVIDEOMEMORY;
    *params = p;
    state_ = State::Ok;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::Present(const RECT*, const RECT*, HWND, const void*) {
    if (inScene_) return D3DERR_INVALIDCALL;
    if (state_ != State::Ok) {
        CountLostFrame();
        return D3DERR_DEVICELOST;
    }
    if (DeviceLossDue()) {
        SimulateDeviceLoss();
        CountLostFrame();
        return D3DERR_DEVICELOST;
    }
    if (params_.PresentationInterval != D3DPRESENT_INTERVAL_IMMEDIATE) WaitForVerticalBlank();
    PresentFrame(*backBuffer_, nullptr);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetBackBuffer(UINT swapChain, UINT index, DWORD,
                                        IDirect3DSurface9** out) {
    if (!out || swapChain != 0 || index != 0) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (FailStep("d3d_back_buffer")) return D3DERR_INVALIDCALL;
    D3DSURFACE_DESC desc;
    desc.Format = params_.BackBufferFormat;
    desc.Type = D3DRTYPE_SURFACE;
    desc.Usage = D3DUSAGE_RENDERTARGET;
    desc.Pool = D3DPOOL_DEFAULT;
    desc.Width = params_.BackBufferWidth;
    desc.Height = params_.BackBufferHeight;
    *out = new (std::nothrow)
        IDirect3DSurface9(this, nullptr, backBuffer_, desc,
                          (params_.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0);
    return *out ? D3D_OK : E_OUTOFMEMORY;
}

HRESULT IDirect3DDevice9::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                        D3DFORMAT format, DWORD pool, IDirect3DTexture9** out,
                                        void*) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (width == 0 || height == 0 || width > caps_.MaxTextureWidth ||
        height > caps_.MaxTextureHeight || levels > 1 || !IsTextureFormat(format) ||
        pool > D3DPOOL_SYSTEMMEM)
        return D3DERR_INVALIDCALL;
    if ((usage & D3DUSAGE_RENDERTARGET) && pool != D3DPOOL_DEFAULT) return D3DERR_INVALIDCALL;
    if (FailStep("d3d_texture")) return D3DERR_INVALIDCALL;
    if (pool == D3DPOOL_DEFAULT && FailStep("d3d_video_memory")) return D3DERR_OUTOFVIDEOMEMORY;
    if (pool == D3DPOOL_SYSTEMMEM && FailStep("d3d_system_texture")) return E_OUTOFMEMORY;
    auto pixels = SoftSurface::Create(static_cast<int>(width), static_cast<int>(height), format);
    if (!pixels) return pool == D3DPOOL_DEFAULT ? D3DERR_OUTOFVIDEOMEMORY : E_OUTOFMEMORY;
    D3DSURFACE_DESC desc;
    desc.Format = format;
    desc.Type = D3DRTYPE_TEXTURE;
    desc.Usage = usage;
    desc.Pool = pool;
    desc.Width = width;
    desc.Height = height;
    *out = new (std::nothrow) IDirect3DTexture9(this, std::move(pixels), desc);
    return *out ? D3D_OK : E_OUTOFMEMORY;
}

HRESULT IDirect3DDevice9::CreateVertexBuffer(UINT length, DWORD, DWORD, DWORD pool,
                                             IDirect3DVertexBuffer9** out, void*) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (length == 0 || length > kMaxVertexBuffer || pool > D3DPOOL_SYSTEMMEM)
        return D3DERR_INVALIDCALL;
    if (FailStep("d3d_vertex_buffer")) return D3DERR_OUTOFVIDEOMEMORY;
    std::shared_ptr<std::vector<std::uint8_t>> data;
    try {
        data = std::make_shared<std::vector<std::uint8_t>>(length);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    *out = new (std::nothrow) IDirect3DVertexBuffer9(this, std::move(data), pool);
    return *out ? D3D_OK : E_OUTOFMEMORY;
}

HRESULT IDirect3DDevice9::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format,
                                                      DWORD pool, IDirect3DSurface9** out, void*) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (width == 0 || height == 0 || !IsTextureFormat(format) || pool > D3DPOOL_SYSTEMMEM)
        return D3DERR_INVALIDCALL;
    if (FailStep("d3d_offscreen_surface")) return E_OUTOFMEMORY;
    auto pixels = SoftSurface::Create(static_cast<int>(width), static_cast<int>(height), format);
    if (!pixels) return E_OUTOFMEMORY;
    D3DSURFACE_DESC desc;
    desc.Format = format;
    desc.Type = D3DRTYPE_SURFACE;
    desc.Pool = pool;
    desc.Width = width;
    desc.Height = height;
    *out = new (std::nothrow) IDirect3DSurface9(this, nullptr, std::move(pixels), desc, true);
    return *out ? D3D_OK : E_OUTOFMEMORY;
}

HRESULT IDirect3DDevice9::CreateIndexBuffer(UINT length, DWORD, D3DFORMAT format, DWORD pool,
                                            IDirect3DIndexBuffer9** out, void*) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (length == 0 || length > kMaxVertexBuffer || format != D3DFMT_INDEX16 ||
        pool > D3DPOOL_SYSTEMMEM)
        return D3DERR_INVALIDCALL;
    std::shared_ptr<std::vector<std::uint8_t>> data;
    try {
        data = std::make_shared<std::vector<std::uint8_t>>(length);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    *out = new (std::nothrow) IDirect3DIndexBuffer9(this, std::move(data), pool);
    if (!*out) return E_OUTOFMEMORY;
    ++indexBuffersCreated_;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetRenderTarget(DWORD index, IDirect3DSurface9* target) {
    if (index != 0 || !target || !target->IsRenderTarget()) return D3DERR_INVALIDCALL;
    // The drawing layer names the render target before and after every draw: the same one
    // again costs nothing.
    if (renderTarget_ != target->pixels_) renderTarget_ = target->pixels_;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRenderTargetData(IDirect3DSurface9* target, IDirect3DSurface9* dst) {
    if (!target || !dst || !target->IsRenderTarget() || dst->desc_.Pool != D3DPOOL_SYSTEMMEM)
        return D3DERR_INVALIDCALL;
    SoftSurface& s = *target->pixels_;
    SoftSurface& d = *dst->pixels_;
    if (s.Width() != d.Width() || s.Height() != d.Height() || s.Format() != d.Format() ||
        s.IsLocked() || d.IsLocked())
        return D3DERR_INVALIDCALL;
    if (state_ != State::Ok) return D3DERR_DEVICELOST;
    CopyWholeSurface(d, s);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::UpdateSurface(IDirect3DSurface9* src, const RECT* srcRect,
                                        IDirect3DSurface9* dst, const POINT* dstPoint) {
    if (!src || !dst || src->desc_.Pool != D3DPOOL_SYSTEMMEM || dst->desc_.Pool != D3DPOOL_DEFAULT)
        return D3DERR_INVALIDCALL;
    const SoftSurface& s = *src->pixels_;
    SoftSurface& d = *dst->pixels_;
    if (s.Format() != d.Format() || s.IsLocked() || d.IsLocked()) return D3DERR_INVALIDCALL;
    const RECT sr = srcRect ? *srcRect : s.Bounds();
    const POINT at = dstPoint ? *dstPoint : POINT{sr.left, sr.top};
    const RECT dr{at.x, at.y, at.x + (sr.right - sr.left), at.y + (sr.bottom - sr.top)};
    if (!s.Holds(sr) || !d.Holds(dr)) return D3DERR_INVALIDCALL;
    CopyPixels(d, dr, s, sr, nullptr);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::StretchRect(IDirect3DSurface9* src, const RECT* srcRect,
                                      IDirect3DSurface9* dst, const RECT* dstRect, DWORD) {
    if (!src || !dst || src->desc_.Pool != D3DPOOL_DEFAULT || dst->desc_.Pool != D3DPOOL_DEFAULT ||
        !dst->IsRenderTarget())
        return D3DERR_INVALIDCALL;
    const SoftSurface& s = *src->pixels_;
    SoftSurface& d = *dst->pixels_;
    if (s.IsLocked() || d.IsLocked()) return D3DERR_INVALIDCALL;
    const RECT sr = srcRect ? *srcRect : s.Bounds();
    const RECT dr = dstRect ? *dstRect : d.Bounds();
    if (!s.Holds(sr) || !d.Holds(dr)) return D3DERR_INVALIDCALL;
    if (state_ != State::Ok) return D3D_OK;
    if (s.Format() == d.Format()) {
        CopyPixels(d, dr, s, sr, nullptr);
        return D3D_OK;
    }
    const int dw = dr.right - dr.left, dh = dr.bottom - dr.top;
    const int sw = sr.right - sr.left, sh = sr.bottom - sr.top;
    for (int k = 0; k < dh; ++k) {
        const int sy = sr.top + static_cast<int>(std::int64_t{k} * sh / dh);
        for (int j = 0; j < dw; ++j) {
            const int sx = sr.left + static_cast<int>(std::int64_t{j} * sw / dw);
            d.SetPixel(dr.left + j, dr.top + k,
                       ArgbToPixel(d.Format(), PixelToArgb(s.Format(), s.Pixel(sx, sy), nullptr)));
        }
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice9::Clear(DWORD count, const RECT* rects, DWORD flags, D3DCOLOR color, float,
                                DWORD) {
    if (count != 0 && !rects) return D3DERR_INVALIDCALL;
    SoftSurface& rt = *renderTarget_;
    if (rt.IsLocked()) return D3DERR_INVALIDCALL;
    if (state_ != State::Ok || !(flags & D3DCLEAR_TARGET)) return D3D_OK;
    const std::uint32_t pixel = ArgbToPixel(rt.Format(), color);
    if (count == 0) {
        FillPixels(rt, rt.Bounds(), pixel);
        return D3D_OK;
    }
    if (count == 1) {
        // A keyed copy clears the rectangle its quad then covers: the quad takes the fill
        // over (DrawSpriteQuad), and anything else that uses the pixels first makes it.
        const RECT r = IntersectRect(rects[0], rt.Bounds());
        if (!IsRectEmpty(r)) rt.FillLater(r, pixel);
        return D3D_OK;
    }
    for (DWORD i = 0; i < count; ++i) {
        const RECT r = IntersectRect(rects[i], rt.Bounds());
        if (!IsRectEmpty(r)) FillPixels(rt, r, pixel);
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice9::BeginScene() {
    if (inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::EndScene() {
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetRenderState(DWORD state, DWORD value) {
    if (state >= renderStates_.size()) return D3DERR_INVALIDCALL;
    renderStates_[state] = value;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRenderState(DWORD state, DWORD* value) {
    if (!value || state >= renderStates_.size()) return D3DERR_INVALIDCALL;
    *value = renderStates_[state];
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetSamplerState(DWORD sampler, DWORD type, DWORD value) {
    if (sampler >= 16 || type >= sampler0_.size()) return D3DERR_INVALIDCALL;
    if (sampler == 0) sampler0_[type] = value;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTexture(DWORD stage, IDirect3DTexture9* texture) {
    if (stage >= 8) return D3DERR_INVALIDCALL;
    if (stage == 0) {
        if (!texture)
            texture_.reset();
        else if (texture_ != texture->pixels_)
            texture_ = texture->pixels_;
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetStreamSource(UINT stream, IDirect3DVertexBuffer9* vb, UINT offset,
                                          UINT stride) {
    if (stream != 0) return D3DERR_INVALIDCALL;
    if (vb)
        stream_ = vb->data_;
    else
        stream_.reset();
    streamOffset_ = offset;
    streamStride_ = stride;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetFVF(DWORD fvf) {
    fvf_ = fvf;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::DrawPrimitive(DWORD type, UINT start, UINT count) {
    if (!inScene_ || type != D3DPT_TRIANGLESTRIP || count != 2 || fvf_ != kQuadFvf ||
        streamStride_ != sizeof(D3DTLVERTEX) || !stream_)
        return D3DERR_INVALIDCALL;
    const std::uint64_t offset =
        std::uint64_t{streamOffset_} + std::uint64_t{start} * streamStride_;
    if (offset + 4 * sizeof(D3DTLVERTEX) > stream_->size()) return D3DERR_INVALIDCALL;
    if (renderTarget_->IsLocked() || (texture_ && texture_->IsLocked())) return D3DERR_INVALIDCALL;
    if (state_ != State::Ok) return D3D_OK;
    D3DTLVERTEX v[4];
    std::memcpy(v, stream_->data() + offset, sizeof v);
    DrawQuad(v, *renderTarget_);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::DrawQuadOnto(IDirect3DSurface9* target, const D3DTLVERTEX* v,
                                       const RECT* clear, D3DCOLOR clearColour) {
    if (!target || !target->IsRenderTarget() || !v || !inScene_) return D3DERR_INVALIDCALL;
    SoftSurface& rt = *target->pixels_;
    if (rt.IsLocked() || (texture_ && texture_->IsLocked())) return D3DERR_INVALIDCALL;
    if (state_ != State::Ok) return D3D_OK;
    if (clear) {
        const RECT r = IntersectRect(*clear, rt.Bounds());
        if (!IsRectEmpty(r)) rt.FillLater(r, ArgbToPixel(rt.Format(), clearColour));
    }
    // The target stands in for the render target while the quad is drawn, as it would
    // between two SetRenderTarget calls (without taking a share of it: this runs per sprite).
    DrawQuad(v, rt);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetIndices(IDirect3DIndexBuffer9* indices) {
    if (indices)
        indices_ = indices->data_;
    else
        indices_.reset();
    return D3D_OK;
}

HRESULT IDirect3DDevice9::DrawIndexedPrimitive(DWORD type, int baseVertexIndex, UINT,
                                               UINT numVertices, UINT startIndex, UINT primCount) {
    if (!inScene_ || type != D3DPT_TRIANGLESTRIP || primCount != 2 || numVertices < 4 ||
        fvf_ != kQuadFvf || streamStride_ != sizeof(D3DTLVERTEX) || !stream_ || !indices_)
        return D3DERR_INVALIDCALL;
    if ((std::uint64_t{startIndex} + 4) * 2 > indices_->size()) return D3DERR_INVALIDCALL;
    if (renderTarget_->IsLocked() || (texture_ && texture_->IsLocked())) return D3DERR_INVALIDCALL;
    D3DTLVERTEX v[4];
    for (int i = 0; i < 4; ++i) {
        const std::uint8_t* at = indices_->data() + (std::size_t{startIndex} + i) * 2;
        const std::int64_t vertex = std::int64_t{baseVertexIndex} + (at[0] | at[1] << 8);
        const std::int64_t offset = std::int64_t{streamOffset_} + vertex * streamStride_;
        if (vertex < 0 || offset + static_cast<std::int64_t>(sizeof(D3DTLVERTEX)) >
                              static_cast<std::int64_t>(stream_->size()))
            return D3DERR_INVALIDCALL;
        std::memcpy(&v[i], stream_->data() + offset, sizeof(D3DTLVERTEX));
    }
    if (state_ != State::Ok) return D3D_OK;
    DrawQuad(v, *renderTarget_);
    return D3D_OK;
}

// What makes a quad of one vertex colour a sprite quad (see DrawSpriteQuad): false when the
// texture, the formats, the blend or the stage operations ask for more than the sprite loops do.
bool IDirect3DDevice9::SpriteShadingOf(const SoftSurface& rt, D3DCOLOR diffuse,
                                       SpriteShading* out) const {
    const SoftSurface* tex = texture_.get();
    if (!tex) return false;
    const D3DFORMAT tf = tex->Format(), rf = rt.Format();
    const bool wide = tf == D3DFMT_A8R8G8B8 && (rf == D3DFMT_X8R8G8B8 || rf == D3DFMT_A8R8G8B8);
    const bool narrow = tf == D3DFMT_A1R5G5B5 && (rf == D3DFMT_A1R5G5B5 || rf == D3DFMT_R5G6B5);
    if (!wide && !narrow) return false;
    if (!renderStates_[D3DRS_ALPHABLENDENABLE] ||
        renderStates_[D3DRS_SRCBLEND] != D3DBLEND_SRCALPHA ||
        renderStates_[D3DRS_DESTBLEND] != D3DBLEND_INVSRCALPHA)
        return false;
    auto isDiffuse = [](DWORD arg) { return arg == D3DTA_DIFFUSE || arg == D3DTA_CURRENT; };
    const DWORD colorOp = stage0_[D3DTSS_COLOROP], alphaOp = stage0_[D3DTSS_ALPHAOP];
    const DWORD c1 = stage0_[D3DTSS_COLORARG1], c2 = stage0_[D3DTSS_COLORARG2];
    const DWORD a1 = stage0_[D3DTSS_ALPHAARG1], a2 = stage0_[D3DTSS_ALPHAARG2];
    const bool whiteRgb = (diffuse & 0x00FFFFFFu) == 0x00FFFFFFu;
    const bool colourIsTexel =
        (colorOp == D3DTOP_SELECTARG1 && c1 == D3DTA_TEXTURE) ||
        (colorOp == D3DTOP_MODULATE && whiteRgb &&
         ((c1 == D3DTA_TEXTURE && isDiffuse(c2)) || (c2 == D3DTA_TEXTURE && isDiffuse(c1))));
    if (!colourIsTexel) return false;
    // Coverage: the texel's alpha, or the vertex alpha for every texel.
    bool texelAlpha;
    if (alphaOp == D3DTOP_SELECTARG1 && a1 == D3DTA_TEXTURE) {
        texelAlpha = true;
    } else if (alphaOp == D3DTOP_MODULATE && (diffuse >> 24) == 0xFF &&
               ((a1 == D3DTA_TEXTURE && isDiffuse(a2)) || (a2 == D3DTA_TEXTURE && isDiffuse(a1)))) {
        texelAlpha = true;
    } else if (alphaOp == D3DTOP_DISABLE) {
        texelAlpha = false;
    } else {
        return false;
    }
    out->wide = wide;
    out->texelAlpha = texelAlpha;
    out->vertexAlpha = diffuse >> 24;
    return true;
}

// A sprite quad on whole pixels over whole texels, one to one, down the texture and across
// it forwards or backwards, inside both surfaces. Takes a clear of exactly its rectangle
// still to be made.
void IDirect3DDevice9::DrawWholeSprite(SoftSurface& rt, const SpriteShading& shading, int x0,
                                       int y0, int x1, int y1, int first, int firstRow,
                                       bool mirrored) {
    const SoftSurface& tex = *texture_;
    const bool selfDraw = &tex == &rt;
    const std::size_t bytes = shading.wide ? 4 : 2;
    SpriteRows q =
        RowsOfQuad(rt, tex, x0, y0, x1, y1, shading.wide, shading.texelAlpha, shading.vertexAlpha);
    // Mirrored, each row of the run of texels is turned round into a scratch block, which the
    // row loops then read in order; the alpha summary of the run holds for it, since a row's
    // kind depends on which texels it reads, not on their order.
    const int lo = mirrored ? first - (q.width - 1) : first;
    q.texels = tex.Bits() + bytes * lo + q.texelPitch * static_cast<std::size_t>(firstRow);
    if (mirrored) {
        const std::size_t rowBytes = bytes * static_cast<std::size_t>(q.width);
        if (mirrored_.size() < rowBytes * q.rows) mirrored_.resize(rowBytes * q.rows);
        ReverseRows(mirrored_.data(), rowBytes, q.texels, q.texelPitch, q.width, q.rows,
                    shading.wide);
        q.texels = mirrored_.data();
        q.texelPitch = rowBytes;
    }
    const SoftSurface* summary = shading.wide && shading.texelAlpha && !selfDraw ? &tex : nullptr;
    const int runFirst = lo / SoftSurface::kAlphaRun;
    q.runCount = (lo + q.width - 1) / SoftSurface::kAlphaRun - runFirst + 1;
    DrawUnscaledQuad(q, summary, firstRow, runFirst);
}

bool IDirect3DDevice9::DrawSpriteRectOnto(IDirect3DSurface9* target, const RECT& dst, int sx,
                                          int sy, int texWidth, int texHeight, D3DCOLOR diffuse,
                                          const RECT* clear, D3DCOLOR clearColour, bool mirrored) {
    if (!target || !target->IsRenderTarget() || !inScene_ || state_ != State::Ok) return false;
    if (generalQuadPath.load(std::memory_order_relaxed) ||
        triangleQuadPath.load(std::memory_order_relaxed))
        return false;
    SoftSurface& rt = *target->pixels_;
    const SoftSurface* tex = texture_.get();
    if (!tex || tex == &rt || rt.IsLocked() || tex->IsLocked()) return false;
    // The vertices name texel sx as sx / texWidth: whole texels of this texture only when that
    // is its width (and height).
    if (tex->Width() != texWidth || tex->Height() != texHeight) return false;
    const int w = dst.right - dst.left, h = dst.bottom - dst.top;
    if (w <= 0 || h <= 0 || dst.left < 0 || dst.top < 0 || dst.right > rt.Width() ||
        dst.bottom > rt.Height())
        return false;
    // The texels read: sx.. across, or sx - 1 down to sx - w mirrored.
    const std::int64_t lo = mirrored ? std::int64_t{sx} - w : sx;
    if (lo < 0 || sy < 0 || lo > texWidth - w || sy > texHeight - h) return false;
    SpriteShading shading;
    if (!SpriteShadingOf(rt, diffuse, &shading)) return false;
    if (clear) {
        const RECT r = IntersectRect(*clear, rt.Bounds());
        if (!IsRectEmpty(r)) rt.FillLater(r, ArgbToPixel(rt.Format(), clearColour));
    }
    DrawWholeSprite(rt, shading, dst.left, dst.top, dst.right, dst.bottom, mirrored ? sx - 1 : sx,
                    sy, mirrored);
    lastQuadPath_ = QuadPath::SpriteWhole;
    return true;
}

// The quads of sprites and tiles: the texel itself is the colour (white vertex colour under
// modulate, or the texel selected), its alpha or the vertex alpha is the coverage, and the
// standing SRCALPHA/INVSRCALPHA blend mixes it in. Opaque texels are stored and transparent
// ones skipped without the general arithmetic, which gives the same pixels for them; the
// texel of every pixel column and row is found exactly as DrawQuad finds it.
IDirect3DDevice9::QuadPath IDirect3DDevice9::DrawSpriteQuad(SoftSurface& rt,
                                                            const D3DTLVERTEX* const* corner,
                                                            int x0, int x1, int y0, int y1,
                                                            float minX, float maxX, float minY,
                                                            float maxY) {
    const D3DCOLOR diffuse = corner[0]->color;
    for (int i = 1; i < 4; ++i)
        if (corner[i]->color != diffuse) return QuadPath::None;
    SpriteShading shading;
    if (!SpriteShadingOf(rt, diffuse, &shading)) return QuadPath::None;
    const SoftSurface* tex = texture_.get();
    const bool wide = shading.wide, texelAlpha = shading.texelAlpha;
    const std::uint32_t vertexAlpha = shading.vertexAlpha;

    const int texW = tex->Width(), texH = tex->Height();
    const double uL = corner[0]->tu, uR = corner[1]->tu, vT = corner[0]->tv, vB = corner[2]->tv;
    const DWORD addrU = sampler0_[D3DSAMP_ADDRESSU], addrV = sampler0_[D3DSAMP_ADDRESSV];
    const int n = x1 - x0, rowCount = y1 - y0;
    const bool selfDraw = tex == &rt;
    // The batches' quads (every sprite and tile): whole pixels onto whole texels one to one,
    // down the texture and across it forwards or (not onto itself) backwards, all inside the
    // texture. Their texels are found at once, without walking the sides.
    int first = 0, firstRow = 0, colStep = 0, rowStep = 0;
    const bool whole = WholeSide(y0, minY, maxY, vT, vB, texH, &firstRow, &rowStep) &&
                       rowStep == 1 && firstRow <= texH - rowCount &&
                       WholeSide(x0, minX, maxX, uL, uR, texW, &first, &colStep) &&
                       (colStep == 1 ? first <= texW - n : first >= n - 1 && (n == 1 || !selfDraw));
    if (whole) {
        DrawWholeSprite(rt, shading, x0, y0, x1, y1, first, firstRow, colStep == -1 && n > 1);
        return QuadPath::SpriteWhole;
    }
    TexelWalk columns(x0, minX, maxX, uL, uR, texW);
    TexelWalk rows(y0, minY, maxY, vT, vB, texH);
    const int* cols = nullptr;
    // An unscaled quad inside its texture reads its rows of texels in order: those rows go
    // through the span loops, without a table of columns.
    bool contiguous = columns.Unit(&first) && first >= 0 && first <= texW - n;
    if (!contiguous) {
        if (columnTexel_.size() < static_cast<std::size_t>(kMaxSurfaceSide))
            columnTexel_.resize(static_cast<std::size_t>(kMaxSurfaceSide));
        for (int px = x0; px < x1; ++px)
            columnTexel_[static_cast<std::size_t>(px - x0)] = Address(columns.Next(), texW, addrU);
        cols = columnTexel_.data();
        first = cols[0];
        contiguous = true;
        for (int k = 1; k < n && contiguous; ++k) contiguous = cols[k] == first + k;
    }
    // A mirrored quad, unscaled (sprites facing the other way): its columns read a run of
    // texels backwards. (Not for a texture drawn onto itself, whose pixels may change under
    // the quad while it is drawn.)
    if (!contiguous && !selfDraw && n > 1 && rows.Unit(&firstRow) && firstRow >= 0 &&
        firstRow <= texH - rowCount) {
        bool reversed = true;
        for (int k = 1; k < n && reversed; ++k) reversed = cols[k] == cols[0] - k;
        if (reversed) {
            DrawWholeSprite(rt, shading, x0, y0, x1, y1, cols[0], firstRow, true);
            return QuadPath::Sprite;
        }
    }
    // Nothing else uses either surface while the quad is drawn: their rows are found from
    // their first bytes.
    const std::uint8_t* const texBits = tex->Bits();
    const std::size_t bytes = wide ? 4 : 2;
    SpriteRows q = RowsOfQuad(rt, *tex, x0, y0, x1, y1, wide, texelAlpha, vertexAlpha);

    if (!contiguous) {
        q.texels = texBits;
        if (wide)
            DrawSampledColumns<std::uint32_t>(q, cols, rows, texH, addrV);
        else
            DrawSampledColumns<std::uint16_t>(q, cols, rows, texH, addrV);
        return QuadPath::Sprite;
    }
    // The alpha summary tells the kinds of 32-bit rows apart (a texture drawn onto itself
    // takes none: its rows are blended in order).
    const SoftSurface* summary = wide && texelAlpha && !selfDraw ? tex : nullptr;
    const int runFirst = first / SoftSurface::kAlphaRun;
    q.runCount = (first + n - 1) / SoftSurface::kAlphaRun - runFirst + 1;
    q.texels = texBits + bytes * first;
    // Rows in order too, when the quad is unscaled down the texture as well.
    if (rows.Unit(&firstRow) && firstRow >= 0 && firstRow <= texH - q.rows) {
        q.texels += q.texelPitch * static_cast<std::size_t>(firstRow);
        DrawUnscaledQuad(q, summary, firstRow, runFirst);
        return QuadPath::Sprite;
    }
    DrawRowsStretchedDown(q, summary, runFirst, rows, texH, addrV);
    return QuadPath::Sprite;
}

bool IDirect3DDevice9::DrawModulatedQuad(SoftSurface& rt, int x0, int y0, int x1, int y1,
                                         float minY, float maxY, double vT, double vB,
                                         D3DCOLOR diffuse) {
    const bool blend = renderStates_[D3DRS_ALPHABLENDENABLE] != 0;
    if (blend && (renderStates_[D3DRS_SRCBLEND] != D3DBLEND_SRCALPHA ||
                  renderStates_[D3DRS_DESTBLEND] != D3DBLEND_INVSRCALPHA))
        return false;
    Modulation modulation;
    if (!ModulationOf(stage0_[D3DTSS_COLOROP], stage0_[D3DTSS_COLORARG1], stage0_[D3DTSS_COLORARG2],
                      stage0_[D3DTSS_ALPHAOP], stage0_[D3DTSS_ALPHAARG1], stage0_[D3DTSS_ALPHAARG2],
                      diffuse, renderStates_[D3DRS_TEXTUREFACTOR], &modulation))
        return false;
    const SoftSurface& tex = *texture_;
    // The columns (DrawQuad's table) read texels in order, the texture unscaled across.
    const int n = x1 - x0, first = columnTexel_[0];
    for (int k = 1; k < n; ++k)
        if (columnTexel_[static_cast<std::size_t>(k)] != first + k) return false;
    const int texH = tex.Height();
    const DWORD addrV = sampler0_[D3DSAMP_ADDRESSV];
    if (rowTexel_.size() < static_cast<std::size_t>(kMaxSurfaceSide))
        rowTexel_.resize(static_cast<std::size_t>(kMaxSurfaceSide));
    TexelWalk rows(y0, minY, maxY, vT, vB, texH);
    for (int py = y0; py < y1; ++py)
        rowTexel_[static_cast<std::size_t>(py - y0)] = Address(rows.Next(), texH, addrV);
    ModulatedRows q{};
    q.targetPitch = static_cast<std::size_t>(rt.Pitch());
    q.targetFormat = rt.Format();
    q.texelPitch = static_cast<std::size_t>(tex.Pitch());
    q.textureFormat = tex.Format();
    q.texelRows = rowTexel_.data();
    q.width = n;
    q.rows = y1 - y0;
    q.modulation = modulation;
    q.blend = blend;
    q.texels = tex.Bits() + static_cast<std::size_t>(first) * tex.BytesPerPixel();
    q.target = rt.Bits() + q.targetPitch * static_cast<std::size_t>(y0) +
               static_cast<std::size_t>(x0) * rt.BytesPerPixel();
    return DrawModulatedRows(q, UseAvx2Loops());
}

void IDirect3DDevice9::DrawQuad(const D3DTLVERTEX* v, SoftSurface& rt) {
    float minX = v[0].x, maxX = v[0].x, minY = v[0].y, maxY = v[0].y;
    for (int i = 1; i < 4; ++i) {
        minX = std::min(minX, v[i].x);
        maxX = std::max(maxX, v[i].x);
        minY = std::min(minY, v[i].y);
        maxY = std::max(maxY, v[i].y);
    }
    if (!(maxX > minX) || !(maxY > minY)) return;
    if (triangleQuadPath.load(std::memory_order_relaxed)) {
        DrawTriangles(v, rt);
        return;
    }
    // The corners: top-left, top-right, bottom-left, bottom-right. A quad that is not an
    // axis-aligned rectangle (a rotated picture) has no vertex on some corner and is drawn as
    // its two triangles.
    const D3DTLVERTEX* corner[4] = {};
    if (v[0].x == v[1].x && v[2].x == v[3].x && v[0].y == v[2].y && v[1].y == v[3].y &&
        v[0].x < v[2].x && v[0].y < v[1].y) {
        // The order the drawing layer writes its quads in (top-left, bottom-left, top-right,
        // bottom-right): the corners the search below would find, without it.
        corner[0] = &v[0];
        corner[1] = &v[2];
        corner[2] = &v[1];
        corner[3] = &v[3];
    }
    for (int i = 0; i < 4 && !corner[3]; ++i) {
        const bool right = v[i].x == maxX, bottom = v[i].y == maxY;
        if ((!right && v[i].x != minX) || (!bottom && v[i].y != minY)) {
            DrawTriangles(v, rt);
            return;
        }
        corner[(bottom ? 2 : 0) + (right ? 1 : 0)] = &v[i];
    }
    for (const D3DTLVERTEX* c : corner) {
        if (!c) {
            DrawTriangles(v, rt);
            return;
        }
    }
    // The rectangle paths take u along the rows and v down the columns; a picture turned by a
    // quarter on an axis-aligned rectangle runs them the other way.
    if (corner[0]->tu != corner[2]->tu || corner[1]->tu != corner[3]->tu ||
        corner[0]->tv != corner[1]->tv || corner[2]->tv != corner[3]->tv) {
        DrawTriangles(v, rt);
        return;
    }

    const int x0 = std::max(0, TruncToInt(std::ceil(std::max(minX, -1e9f)))),
              x1 = std::min(rt.Width(), TruncToInt(std::ceil(std::min(maxX, 1e9f))));
    const int y0 = std::max(0, TruncToInt(std::ceil(std::max(minY, -1e9f)))),
              y1 = std::min(rt.Height(), TruncToInt(std::ceil(std::min(maxY, 1e9f))));
    if (x0 >= x1 || y0 >= y1) return;

    const bool general = generalQuadPath.load(std::memory_order_relaxed);
    if (!general) {
        const QuadPath sprite = DrawSpriteQuad(rt, corner, x0, x1, y0, y1, minX, maxX, minY, maxY);
        if (sprite != QuadPath::None) {
            lastQuadPath_ = sprite;
            return;
        }
    }

    const SoftSurface* tex = texture_.get();
    const int texW = tex ? tex->Width() : 1, texH = tex ? tex->Height() : 1;
    const double uL = corner[0]->tu, uR = corner[1]->tu, vT = corner[0]->tv, vB = corner[2]->tv;
    const bool flat = corner[0]->color == corner[1]->color &&
                      corner[0]->color == corner[2]->color && corner[0]->color == corner[3]->color;
    const DWORD colorOp = stage0_[D3DTSS_COLOROP], alphaOp = stage0_[D3DTSS_ALPHAOP];
    const DWORD carg1 = stage0_[D3DTSS_COLORARG1], carg2 = stage0_[D3DTSS_COLORARG2];
    const DWORD aarg1 = stage0_[D3DTSS_ALPHAARG1], aarg2 = stage0_[D3DTSS_ALPHAARG2];
    const std::uint32_t factor = renderStates_[D3DRS_TEXTUREFACTOR];
    const bool blend = renderStates_[D3DRS_ALPHABLENDENABLE] != 0;
    const DWORD srcBlend = renderStates_[D3DRS_SRCBLEND], dstBlend = renderStates_[D3DRS_DESTBLEND];
    const DWORD addrU = sampler0_[D3DSAMP_ADDRESSU], addrV = sampler0_[D3DSAMP_ADDRESSV];
    const double spanX = static_cast<double>(maxX) - minX, spanY = static_cast<double>(maxY) - minY;

    // A quad whose colour does not depend on its texture (fills, fade overlays) has one
    // colour for every pixel: it is worked out once and mixed in by the same arithmetic.
    // What counts is what the operations read: a fill leaves an argument it never reads set
    // to the texture. (The colour operation DISABLE passes the diffuse colour, alpha included.)
    const bool constant =
        flat && (colorOp == D3DTOP_DISABLE ||
                 (!ReadsTexture(colorOp, carg1, carg2) && !ReadsTexture(alphaOp, aarg1, aarg2)));
    if (constant && !general) {
        lastQuadPath_ = QuadPath::Constant;
        const std::uint32_t diffuse = corner[0]->color, texel = 0xFF000000u;
        std::uint32_t out;
        if (colorOp == D3DTOP_DISABLE) {
            out = diffuse;
        } else {
            const std::uint32_t c1 = ApplyArgument(carg1, diffuse, texel, factor);
            const std::uint32_t c2 = ApplyArgument(carg2, diffuse, texel, factor);
            const std::uint32_t a1 = ApplyArgument(aarg1, diffuse, texel, factor) >> 24;
            const std::uint32_t a2 = ApplyArgument(aarg2, diffuse, texel, factor) >> 24;
            const std::uint32_t da = diffuse >> 24, ta = texel >> 24, fa = factor >> 24;
            out = (alphaOp == D3DTOP_DISABLE ? da : Operate(alphaOp, a1, a2, da, ta, fa)) << 24;
            for (int shift = 0; shift < 24; shift += 8)
                out |= Operate(colorOp, Channel(c1, shift), Channel(c2, shift), da, ta, fa)
                       << shift;
        }
        DrawConstantQuad(rt, RECT{x0, y0, x1, y1}, out, blend, srcBlend, dstBlend);
        return;
    }

    const StageShader shader{colorOp, alphaOp, carg1, carg2, aarg1, aarg2, factor};
    if (tex) {
        if (columnTexel_.size() < static_cast<std::size_t>(kMaxSurfaceSide))
            columnTexel_.resize(static_cast<std::size_t>(kMaxSurfaceSide));
        TexelWalk columns(x0, minX, maxX, uL, uR, texW);
        for (int px = x0; px < x1; ++px)
            columnTexel_[static_cast<std::size_t>(px - x0)] = Address(columns.Next(), texW, addrU);
    }
    TexelWalk rows(y0, minY, maxY, vT, vB, texH);
    // One vertex colour and a texture that is not the target (whose texels would change
    // under the quad): the loops fixed per format and operation.
    if (!general && flat && tex && tex != &rt) {
        if (DrawModulatedQuad(rt, x0, y0, x1, y1, minY, maxY, vT, vB, corner[0]->color)) {
            lastQuadPath_ = QuadPath::Modulated;
            return;
        }
        TexturedRows q{};
        q.targetPitch = static_cast<std::size_t>(rt.Pitch());
        q.target = rt.Bits() + q.targetPitch * static_cast<std::size_t>(y0) +
                   static_cast<std::size_t>(x0) * rt.BytesPerPixel();
        q.width = x1 - x0;
        q.rows = y1 - y0;
        q.texels = tex->Bits();
        q.texelPitch = static_cast<std::size_t>(tex->Pitch());
        q.cols = columnTexel_.data();
        q.texelRows = &rows;
        q.texH = texH;
        q.addrV = addrV;
        q.diffuse = corner[0]->color;
        q.shader = &shader;
        q.blend = blend;
        q.srcBlend = srcBlend;
        q.dstBlend = dstBlend;
        if (DrawTexturedQuad(q, rt.Format(), tex->Format())) {
            lastQuadPath_ = QuadPath::Textured;
            return;
        }
    }
    lastQuadPath_ = QuadPath::General;
    for (int py = y0; py < y1; ++py) {
        const double fy = (py - static_cast<double>(minY)) / spanY;
        const int ty = Address(rows.Next(), texH, addrV);
        const std::uint32_t left = flat ? 0 : LerpColor(corner[0]->color, corner[2]->color, fy);
        const std::uint32_t right = flat ? 0 : LerpColor(corner[1]->color, corner[3]->color, fy);
        for (int px = x0; px < x1; ++px) {
            const double fx = (px - static_cast<double>(minX)) / spanX;
            const std::uint32_t diffuse = flat ? corner[0]->color : LerpColor(left, right, fx);
            std::uint32_t texel = 0xFF000000u;
            if (tex) {
                const int tx = columnTexel_[static_cast<std::size_t>(px - x0)];
                texel = PixelToArgb(tex->Format(), tex->Pixel(tx, ty), nullptr);
            }
            const std::uint32_t out = shader.Shade(diffuse, texel);
            const std::uint32_t pixel =
                blend ? BlendPixel(rt.Format(), rt.Pixel(px, py), out, srcBlend, dstBlend)
                      : ArgbToPixel(rt.Format(), out);
            rt.SetPixel(px, py, pixel);
        }
    }
}

// A quad that is not an axis-aligned rectangle, as its two triangles (v0, v1, v2) and
// (v1, v2, v3) of the strip. A pixel is covered when its centre lies inside a triangle, a
// centre on an edge only for a top or left edge, so two triangles sharing an edge cover each
// pixel once. Texture coordinates and colours run linearly over each triangle (rhw 1); the
// texel is the floor of u * width, v * height, addressed as the sampler says; stage 0 and
// the blend are those of every other quad. On an axis-aligned rectangle this gives the
// rectangle's pixels and texels.
void IDirect3DDevice9::DrawTriangles(const D3DTLVERTEX* v, SoftSurface& rt) {
    for (int i = 0; i < 4; ++i) {
        // Also far beyond any target: the edge arithmetic below stays exact in doubles.
        if (!(std::fabs(v[i].x) < 1e7f && std::fabs(v[i].y) < 1e7f)) return;
        if (!std::isfinite(v[i].tu) || !std::isfinite(v[i].tv)) return;
    }
    lastQuadPath_ = QuadPath::Triangles;
    const SoftSurface* tex = texture_.get();
    const int texW = tex ? tex->Width() : 1, texH = tex ? tex->Height() : 1;
    const StageShader shader{stage0_[D3DTSS_COLOROP],           stage0_[D3DTSS_ALPHAOP],
                             stage0_[D3DTSS_COLORARG1],         stage0_[D3DTSS_COLORARG2],
                             stage0_[D3DTSS_ALPHAARG1],         stage0_[D3DTSS_ALPHAARG2],
                             renderStates_[D3DRS_TEXTUREFACTOR]};
    const bool blend = renderStates_[D3DRS_ALPHABLENDENABLE] != 0;
    const DWORD srcBlend = renderStates_[D3DRS_SRCBLEND], dstBlend = renderStates_[D3DRS_DESTBLEND];
    const DWORD addrU = sampler0_[D3DSAMP_ADDRESSU], addrV = sampler0_[D3DSAMP_ADDRESSV];

    struct Point {
        double x, y, u, v;
        std::uint32_t color;
    };
    auto point = [](const D3DTLVERTEX& p) { return Point{p.x, p.y, p.tu, p.tv, p.color}; };
    const Point strip[4] = {point(v[0]), point(v[1]), point(v[2]), point(v[3])};
    for (int t = 0; t < 2; ++t) {
        Point p[3] = {strip[t], strip[t + 1], strip[t + 2]};
        double area = (p[1].x - p[0].x) * (p[2].y - p[0].y) - (p[1].y - p[0].y) * (p[2].x - p[0].x);
        if (area == 0) continue;
        if (area < 0) {
            std::swap(p[1], p[2]);
            area = -area;
        }
        // Edge k runs from p[k] to p[k + 1]; the inside is where its function is positive.
        struct Edge {
            double ax, ay, dx, dy;
            bool topLeft;
            double At(double px, double py) const { return dx * (py - ay) - dy * (px - ax); }
            bool Inside(double px, double py) const {
                const double e = At(px, py);
                return e > 0 || (e == 0 && topLeft);
            }
        };
        Edge edge[3];
        for (int k = 0; k < 3; ++k) {
            const Point &a = p[k], &b = p[(k + 1) % 3];
            const double dx = b.x - a.x, dy = b.y - a.y;
            edge[k] = Edge{a.x, a.y, dx, dy, dy < 0 || (dy == 0 && dx > 0)};
        }
        // Attributes as planes over the triangle: value = at p[0] + gx * (x - x0) + gy * (y - y0).
        auto plane = [&](double f0, double f1, double f2, double* gx, double* gy) {
            const double d1 = f1 - f0, d2 = f2 - f0;
            *gx = (d1 * (p[2].y - p[0].y) - d2 * (p[1].y - p[0].y)) / area;
            *gy = (d2 * (p[1].x - p[0].x) - d1 * (p[2].x - p[0].x)) / area;
        };
        double ugx, ugy, vgx, vgy;
        plane(p[0].u, p[1].u, p[2].u, &ugx, &ugy);
        plane(p[0].v, p[1].v, p[2].v, &vgx, &vgy);
        const bool flat = p[0].color == p[1].color && p[0].color == p[2].color;
        // A picture drawn as it is (its texel the colour and its alpha the coverage, under the
        // standard blend or none): opaque texels are stored and transparent ones left, which
        // is what the stage and the blend give them, without their arithmetic per pixel.
        const bool standard =
            !blend || (srcBlend == D3DBLEND_SRCALPHA && dstBlend == D3DBLEND_INVSRCALPHA);
        const bool texelIsColour = [&] {
            if (!flat || !tex) return false;
            const DWORD op = shader.colorOp, a1 = shader.carg1 & 0xF, a2 = shader.carg2 & 0xF;
            if (shader.carg1 & ~0xFu || shader.carg2 & ~0xFu) return false;
            if (op == D3DTOP_SELECTARG1) return a1 == D3DTA_TEXTURE;
            if (op == D3DTOP_SELECTARG2) return a2 == D3DTA_TEXTURE;
            return op == D3DTOP_MODULATE && (p[0].color & 0xFFFFFFu) == 0xFFFFFFu &&
                   ((a1 == D3DTA_TEXTURE && a2 == D3DTA_DIFFUSE) ||
                    (a1 == D3DTA_DIFFUSE && a2 == D3DTA_TEXTURE));
        }();
        const bool alphaIsTexel = [&] {
            const DWORD op = shader.alphaOp, a1 = shader.aarg1 & 0xF, a2 = shader.aarg2 & 0xF;
            if (shader.aarg1 & ~0xFu || shader.aarg2 & ~0xFu) return false;
            if (op == D3DTOP_SELECTARG1) return a1 == D3DTA_TEXTURE;
            if (op == D3DTOP_SELECTARG2) return a2 == D3DTA_TEXTURE;
            return op == D3DTOP_MODULATE && (p[0].color >> 24) == 0xFF &&
                   ((a1 == D3DTA_TEXTURE && a2 == D3DTA_DIFFUSE) ||
                    (a1 == D3DTA_DIFFUSE && a2 == D3DTA_TEXTURE));
        }();
        const bool asItIs = standard && texelIsColour && alphaIsTexel;
        const bool unusedByte = rt.Format() == D3DFMT_X8R8G8B8;
        double cgx[4] = {}, cgy[4] = {};
        if (!flat)
            for (int c = 0; c < 4; ++c)
                plane(Channel(p[0].color, 8 * c), Channel(p[1].color, 8 * c),
                      Channel(p[2].color, 8 * c), &cgx[c], &cgy[c]);

        // One vertex colour over a texture that is not the target (whose texels would change
        // under the triangle): the rows fixed per format.
        const bool rows =
            flat && tex && tex != &rt && !generalQuadPath.load(std::memory_order_relaxed);
        TriangleRow row{};
        std::uint8_t* rtBits = nullptr;
        if (rows) {
            row.texels = tex->Bits();
            row.texelPitch = static_cast<std::size_t>(tex->Pitch());
            row.texW = texW;
            row.texH = texH;
            row.addrU = addrU;
            row.addrV = addrV;
            row.x0 = p[0].x;
            row.u0 = p[0].u;
            row.v0 = p[0].v;
            row.ugx = ugx;
            row.ugy = ugy;
            row.vgx = vgx;
            row.vgy = vgy;
            row.diffuse = p[0].color;
            row.shader = &shader;
            row.modulated = ModulationOf(shader.colorOp, shader.carg1, shader.carg2, shader.alphaOp,
                                         shader.aarg1, shader.aarg2, p[0].color, shader.factor,
                                         &row.modulation);
            row.blend = blend;
            row.srcBlend = srcBlend;
            row.dstBlend = dstBlend;
            rtBits = rt.Bits();
        }
        const double minY = std::min({p[0].y, p[1].y, p[2].y});
        const double maxY = std::max({p[0].y, p[1].y, p[2].y});
        const double minX = std::min({p[0].x, p[1].x, p[2].x});
        const double maxX = std::max({p[0].x, p[1].x, p[2].x});
        const int y0 = std::max(0, TruncToInt(std::floor(minY))),
                  y1 = std::min(rt.Height(), TruncToInt(std::ceil(maxY)) + 1);
        const int bx0 = std::max(0, TruncToInt(std::floor(minX))),
                  bx1 = std::min(rt.Width(), TruncToInt(std::ceil(maxX)) + 1);
        if (bx0 >= bx1) continue;
        // The covered columns of a row: each edge bounds them from one side; the bound is
        // estimated by division and settled by the exact edge test.
        auto span = [&](int py, int* from, int* to) {
            int lo = bx0, hi = bx1;
            for (const Edge& e : edge) {
                if (e.dy == 0) {
                    if (!e.Inside(0, py)) lo = hi;
                    continue;
                }
                const double cross = e.ax + e.dx * (py - e.ay) / e.dy;
                const double guess = std::clamp(std::floor(cross), bx0 - 2.0, bx1 + 2.0);
                int x = static_cast<int>(guess);
                if (e.dy < 0) {  // inside to the right of the edge
                    while (x > bx0 && e.Inside(x - 1, py)) --x;
                    while (x < bx1 && !e.Inside(x, py)) ++x;
                    lo = std::max(lo, x);
                } else {  // inside to the left
                    while (x < bx1 && e.Inside(x, py)) ++x;
                    while (x > bx0 && !e.Inside(x - 1, py)) --x;
                    hi = std::min(hi, x);
                }
            }
            *from = lo;
            *to = hi;
        };
        if (rows && HasRowLoops(rt.Format(), tex->Format())) {
            lastQuadPath_ = QuadPath::TriangleRows;
            // Blocks of a few rows by a few dozen columns: a turned picture is read across its
            // rows, and a block reads a small patch of it while it is in the cache. (Each pixel
            // is written once and the texture is not the target: the order is free.)
            constexpr int kBand = 16, kBlock = 64;
            for (int band = y0; band < y1; band += kBand) {
                const int end = std::min(y1, band + kBand);
                int from[kBand], to[kBand], first = bx1, last = bx0;
                for (int py = band; py < end; ++py) {
                    span(py, &from[py - band], &to[py - band]);
                    if (from[py - band] < to[py - band]) {
                        first = std::min(first, from[py - band]);
                        last = std::max(last, to[py - band]);
                    }
                }
                for (int cx = first; cx < last; cx += kBlock) {
                    for (int py = band; py < end; ++py) {
                        const int lo = std::max(from[py - band], cx);
                        const int hi = std::min(to[py - band], cx + kBlock);
                        if (lo < hi)
                            DrawTriangleRow(row, rt.Format(), tex->Format(),
                                            rtBits + static_cast<std::size_t>(rt.Pitch()) * py, lo,
                                            hi, py - p[0].y);
                    }
                }
            }
            continue;
        }
        for (int py = y0; py < y1; ++py) {
            int lo, hi;
            span(py, &lo, &hi);
            const double ry = py - p[0].y;
            for (int px = lo; px < hi; ++px) {
                const double rx = px - p[0].x;
                std::uint32_t texel = 0xFF000000u;
                if (tex) {
                    // Sampling at an exact texel edge must not fall one texel short through
                    // rounding (as for the rectangles).
                    constexpr double kEdge = 1e-6;
                    const double u = p[0].u + ugx * rx + ugy * ry;
                    const double w = p[0].v + vgx * rx + vgy * ry;
                    const int tx = Address(FloorToInt(u * texW + kEdge), texW, addrU);
                    const int ty = Address(FloorToInt(w * texH + kEdge), texH, addrV);
                    texel = PixelToArgb(tex->Format(), tex->Pixel(tx, ty), nullptr);
                }
                std::uint32_t diffuse = p[0].color;
                if (!flat) {
                    diffuse = 0;
                    for (int c = 0; c < 4; ++c) {
                        const double value = Channel(p[0].color, 8 * c) + cgx[c] * rx + cgy[c] * ry;
                        diffuse |= static_cast<std::uint32_t>(
                                       std::clamp(TruncToInt(std::floor(value + 0.5)), 0, 255))
                                   << (8 * c);
                    }
                }
                if (asItIs && (!blend || texel >> 24 == 0xFF)) {
                    rt.SetPixel(px, py, ArgbToPixel(rt.Format(), texel));
                    continue;
                }
                if (asItIs && texel >> 24 == 0) {
                    // The target stays; an X8R8G8B8 one reads and writes its unused byte as
                    // opaque.
                    if (unusedByte) rt.SetPixel(px, py, rt.Pixel(px, py) | 0xFF000000u);
                    continue;
                }
                const std::uint32_t out = shader.Shade(diffuse, texel);
                const std::uint32_t pixel =
                    blend ? BlendPixel(rt.Format(), rt.Pixel(px, py), out, srcBlend, dstBlend)
                          : ArgbToPixel(rt.Format(), out);
                rt.SetPixel(px, py, pixel);
            }
        }
    }
}

HRESULT IDirect3DDevice9::SetDialogBoxMode(BOOL) {
    if (FailStep("d3d_dialog_box_mode")) return D3DERR_INVALIDCALL;
    return D3D_OK;
}

// ---- the Direct3D object

IDirect3D9* Direct3DCreate9(UINT sdkVersion) {
    if (sdkVersion != D3D_SDK_VERSION || FailStep("d3d_create")) return nullptr;
    return new (std::nothrow) IDirect3D9;
}

HRESULT IDirect3D9::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode) {
    if (!mode || adapter != 0) return D3DERR_INVALIDCALL;
    mode->Width = 640;
    mode->Height = 480;
    mode->RefreshRate = static_cast<UINT>(GetDesktopRefreshRate());
    mode->Format = GetDesktopBitsPerPixel() == 16 ? D3DFMT_R5G6B5 : D3DFMT_X8R8G8B8;
    return D3D_OK;
}

HRESULT IDirect3D9::GetDeviceCaps(UINT adapter, DWORD type, D3DCAPS9* caps) {
    if (!caps || adapter != 0 || type != D3DDEVTYPE_HAL) return D3DERR_INVALIDCALL;
    if (FailStep("d3d_caps")) return D3DERR_NOTAVAILABLE;
    *caps = D3DCAPS9{};
    caps->DeviceType = D3DDEVTYPE_HAL;
    caps->Caps3 = D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD;
    caps->TextureCaps = 0;
    caps->MaxTextureWidth = kMaxTextureSide;
    caps->MaxTextureHeight = kMaxTextureSide;
    return D3D_OK;
}

HRESULT IDirect3D9::CreateDevice(UINT adapter, DWORD type, HWND focus, DWORD flags,
                                 D3DPRESENT_PARAMETERS* params, IDirect3DDevice9** out) {
    if (!out) return D3DERR_INVALIDCALL;
    *out = nullptr;
    if (!params || adapter != 0 || type != D3DDEVTYPE_HAL ||
        !IsBackBufferFormat(params->BackBufferFormat) || params->BackBufferCount > 1)
        return D3DERR_INVALIDCALL;
    if (FailStep("d3d_device")) return D3DERR_NOTAVAILABLE;
    if ((flags & D3DCREATE_HARDWARE_VERTEXPROCESSING) && FailStep("d3d_hardware_vertex"))
        return D3DERR_NOTAVAILABLE;
    D3DPRESENT_PARAMETERS p = *params;
    if (p.Windowed) {
        if (p.BackBufferWidth == 0 || p.BackBufferHeight == 0) {
            RECT client{};
            HWND window = p.hDeviceWindow ? p.hDeviceWindow : focus;
            if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0)
                return D3DERR_INVALIDCALL;
            if (p.BackBufferWidth == 0) p.BackBufferWidth = static_cast<UINT>(client.right);
            if (p.BackBufferHeight == 0) p.BackBufferHeight = static_cast<UINT>(client.bottom);
        }
    } else {
        const UINT rate = p.FullScreen_RefreshRateInHz;
        if (p.BackBufferWidth == 0 || p.BackBufferHeight == 0 ||
            (rate != 0 && rate != static_cast<UINT>(GetDesktopRefreshRate())))
            return D3DERR_INVALIDCALL;
    }
    if (p.BackBufferCount == 0) p.BackBufferCount = 1;
    D3DCAPS9 caps;
    GetDeviceCaps(adapter, type, &caps);
    if (caps.MaxTextureWidth == 0) caps.MaxTextureWidth = caps.MaxTextureHeight = kMaxTextureSide;
    auto* device = new (std::nothrow) IDirect3DDevice9(caps, p);
    if (!device) return E_OUTOFMEMORY;
    if (!device->Setup(p)) {
        device->Release();
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    *params = p;
    *out = device;
    return D3D_OK;
}

HRESULT D3DXCreateTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT, DWORD usage,
                          D3DFORMAT format, DWORD pool, IDirect3DTexture9** out) {
    if (!device || !out) return D3DERR_INVALIDCALL;
    return device->CreateTexture(width, height, 1, usage, format, pool, out, nullptr);
}

void UseGeneralQuadPath(bool general) {
    generalQuadPath.store(general, std::memory_order_relaxed);
}

void UseTriangleQuadPath(bool triangles) {
    triangleQuadPath.store(triangles, std::memory_order_relaxed);
}

const char* DisplayDriverDdiVersion() {
    return FailStep("d3d_ddi_version") ? "8" : "9";
}

}  // namespace plat

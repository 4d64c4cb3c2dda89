// The faster ways the device draws a quad (one colour filled or mixed in through per-channel
// tables, a sprite's texels through the row loops, a quad of one vertex colour reading its
// texture through loops fixed per format and operation, a quad handed over with its target)
// against the general path, which works out
// every pixel through the stage operations and the blend one by one: over a table of
// operations, target formats, alphas, blends, clips and mirrors, for both instruction sets of
// the row loops, the pixels must be the same. Also the raster pieces those ways are built on
// (the constant blend, the conversion of a frame for the presenter) against their one-pixel
// formulas.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "device_fixture.h"
#include "platform/d3d9.h"
#include "platform/frame.h"
#include "platform/pixel_format.h"
#include "platform/platform_state.h"
#include "platform/seams.h"
#include "platform/soft_device.h"
#include "platform/vector_loops.h"

namespace {

using namespace plat;

constexpr int kW = 40, kH = 20;

class QuadPaths : public HeadlessDeviceTest {
protected:
    void SetUp() override {
        HeadlessDeviceTest::SetUp();
        if (HasFatalFailure()) return;
        device->SetStreamSource(0, vb, 0, sizeof(D3DTLVERTEX));
        device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    }
    void TearDown() override {
        UseGeneralQuadPath(false);
        Free();
        HeadlessDeviceTest::TearDown();
    }

    // Two targets of the format and a texture of texFormat (texW x texH texels).
    void Make(D3DFORMAT target, D3DFORMAT texFormat, int texW, int texH) {
        Free();
        for (IDirect3DTexture9** rt : {&fast, &general})
            ASSERT_EQ(device->CreateTexture(kW, kH, 1, D3DUSAGE_RENDERTARGET, target,
                                            D3DPOOL_DEFAULT, rt, nullptr),
                      D3D_OK);
        ASSERT_EQ(fast->GetSurfaceLevel(0, &fastLevel), D3D_OK);
        ASSERT_EQ(general->GetSurfaceLevel(0, &generalLevel), D3D_OK);
        ASSERT_EQ(
            device->CreateTexture(texW, texH, 1, 0, texFormat, D3DPOOL_MANAGED, &tex, nullptr),
            D3D_OK);
        // Texels of every kind of alpha: transparent, opaque and in between.
        std::uint32_t seed = 99;
        SoftSurface& t = tex->Pixels();
        for (int y = 0; y < texH; ++y) {
            for (int x = 0; x < texW; ++x) {
                seed = seed * 1103515245u + 12345u;
                const std::uint32_t pick = (seed >> 24) % 4;
                const std::uint32_t a = pick == 0 ? 0 : pick == 1 ? (seed >> 4) & 0xFF : 255;
                t.SetPixel(x, y, ArgbToPixel(texFormat, a << 24 | ((seed >> 5) & 0x00FFFFFFu)));
            }
        }
        device->SetTexture(0, tex);
    }
    void Free() {
        if (device) {
            device->SetRenderTarget(0, back);
            device->SetTexture(0, nullptr);
        }
        auto drop = [](auto*& object) {
            if (object) object->Release();
            object = nullptr;
        };
        drop(fastLevel);
        drop(generalLevel);
        drop(fast);
        drop(general);
        drop(tex);
    }
    // Both targets the same pixels of any value (the unused byte of X8R8G8B8 included).
    void PaintTargets(std::uint32_t seed) {
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                seed = seed * 1103515245u + 12345u;
                const std::uint32_t v = seed ^ seed >> 15;
                const std::uint32_t pixel = fast->Pixels().BytesPerPixel() == 2 ? v & 0xFFFF : v;
                fast->Pixels().SetPixel(x, y, pixel);
                general->Pixels().SetPixel(x, y, pixel);
            }
        }
    }
    // The quad with the corners' colours (top-left, top-right, bottom-left, bottom-right),
    // drawn into one target by the fastest way or by the general path; the way taken.
    IDirect3DDevice9::QuadPath Draw(bool viaGeneral, float l, float t, float r, float b, float u0,
                                    float u1, const D3DCOLOR (&c)[4], float v0 = 0, float v1 = 1) {
        const D3DTLVERTEX q[4] = {{l, t, 0, 1, c[0], u0, v0},
                                  {l, b, 0, 1, c[2], u0, v1},
                                  {r, t, 0, 1, c[1], u1, v0},
                                  {r, b, 0, 1, c[3], u1, v1}};
        return DrawVertices(viaGeneral, q);
    }
    // Any four vertices in strip order, the same way.
    IDirect3DDevice9::QuadPath DrawVertices(bool viaGeneral, const D3DTLVERTEX (&q)[4]) {
        void* data = nullptr;
        EXPECT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
        std::memcpy(data, q, sizeof q);
        vb->Unlock();
        UseGeneralQuadPath(viaGeneral);
        device->SetRenderTarget(0, viaGeneral ? generalLevel : fastLevel);
        EXPECT_EQ(device->BeginScene(), D3D_OK);
        EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
        device->EndScene();
        UseGeneralQuadPath(false);
        return device->LastQuadPath();
    }
    int Differences() {
        int wrong = 0;
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                const std::uint32_t a = fast->Pixels().Pixel(x, y);
                const std::uint32_t b = general->Pixels().Pixel(x, y);
                if (a != b && wrong++ < 3)
                    ADD_FAILURE() << "pixel " << x << ',' << y << ": " << std::hex << a
                                  << " != " << b;
            }
        }
        return wrong;
    }
    void SetStage(DWORD colorOp, DWORD c1, DWORD c2, DWORD alphaOp, DWORD a1, DWORD a2) {
        device->SetTextureStageState(0, D3DTSS_COLOROP, colorOp);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, c1);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, c2);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, alphaOp);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG1, a1);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, a2);
    }

    IDirect3DTexture9 *tex = nullptr, *fast = nullptr, *general = nullptr;
    IDirect3DSurface9 *fastLevel = nullptr, *generalLevel = nullptr;
};

using Path = IDirect3DDevice9::QuadPath;

TEST_F(QuadPaths, EveryFasterWayGivesThePixelsOfTheGeneralPath) {
    struct Stage {
        const char* name;
        DWORD colorOp, c1, c2, alphaOp, a1, a2;
        bool oneColour;  // nothing the operations read depends on the texture
    };
    constexpr DWORD T = D3DTA_TEXTURE, D = D3DTA_DIFFUSE, F = D3DTA_TFACTOR;
    const Stage stages[] = {
        // One colour, with the arguments the operations leave unread set to the texture.
        {"fill", D3DTOP_SELECTARG2, T, F, D3DTOP_SELECTARG2, T, F, true},
        {"overlay", D3DTOP_SELECTARG2, T, D, D3DTOP_SELECTARG2, T, D, true},
        {"select 1", D3DTOP_SELECTARG1, D, T, D3DTOP_SELECTARG1, F, T, true},
        {"modulate, alpha off", D3DTOP_MODULATE, D, F, D3DTOP_DISABLE, T, T, true},
        {"add complement", D3DTOP_ADD, D | D3DTA_COMPLEMENT, F, D3DTOP_MODULATE2X, D, F, true},
        {"factor alpha", D3DTOP_BLENDFACTORALPHA, D, F | D3DTA_ALPHAREPLICATE, D3DTOP_SUBTRACT, F,
         D, true},
        {"colour off", D3DTOP_DISABLE, T, T, D3DTOP_SELECTARG1, T, T, true},
        {"unknown op", 0, D, T, 0, F, T, true},
        // The texture read.
        {"select texture 2", D3DTOP_SELECTARG2, D, T, D3DTOP_SELECTARG1, D, T, false},
        {"texture alpha", D3DTOP_BLENDTEXTUREALPHA, D, F, D3DTOP_SELECTARG1, D, F, false},
        {"alpha of the texture", D3DTOP_SELECTARG1, D, F, D3DTOP_SELECTARG1, T, D, false},
        {"sprite", D3DTOP_MODULATE, T, D, D3DTOP_SELECTARG1, T, D, false},
        {"sprite modulated", D3DTOP_MODULATE, T, D, D3DTOP_MODULATE, T, D, false},
        {"sprite vertex alpha", D3DTOP_SELECTARG1, T, D, D3DTOP_DISABLE, T, D, false},
        {"add signed", D3DTOP_ADDSIGNED, T, D, D3DTOP_SELECTARG1, T, D, false},
    };
    struct Blend {
        bool on;
        DWORD src, dst;
    };
    const Blend blends[] = {{true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
                            {false, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
                            {true, D3DBLEND_ONE, D3DBLEND_ONE},
                            {true, D3DBLEND_ZERO, D3DBLEND_SRCALPHA},
                            {true, D3DBLEND_SRCALPHA, D3DBLEND_ONE},
                            {true, D3DBLEND_INVSRCALPHA, D3DBLEND_SRCALPHA}};
    const std::uint32_t alphas[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF};
    struct Clip {
        float l, t, r, b;
    };
    // Inside, the whole target, cut by the left and top edges, by the right and bottom
    // ones, one pixel, and off the pixel grid.
    const Clip clips[] = {{2.5f, 1.5f, 12.5f, 8.5f},  {-0.5f, -0.5f, 39.5f, 19.5f},
                          {-6.5f, -3.5f, 9.5f, 7.5f}, {29.5f, 13.5f, 61.5f, 41.5f},
                          {6.5f, 6.5f, 7.5f, 7.5f},   {3.25f, 2.75f, 20.75f, 9.25f}};
    struct Formats {
        D3DFORMAT target, texture;
    };
    const Formats formats[] = {{D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8},
                               {D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8},
                               {D3DFMT_R5G6B5, D3DFMT_A1R5G5B5},
                               {D3DFMT_A1R5G5B5, D3DFMT_A1R5G5B5},
                               {D3DFMT_R5G6B5, D3DFMT_X8R8G8B8}};
    int oneColourQuads = 0, spriteQuads = 0, texturedQuads = 0, modulatedQuads = 0;
    for (const bool baseline : {false, true}) {
        UseBaselineLoops(baseline);
        for (const Formats& f : formats) {
            Make(f.target, f.texture, 64, 32);
            for (const Stage& s : stages) {
                SetStage(s.colorOp, s.c1, s.c2, s.alphaOp, s.a1, s.a2);
                for (const Blend& bl : blends) {
                    device->SetRenderState(D3DRS_ALPHABLENDENABLE, bl.on);
                    device->SetRenderState(D3DRS_SRCBLEND, bl.src);
                    device->SetRenderState(D3DRS_DESTBLEND, bl.dst);
                    for (const std::uint32_t a : alphas) {
                        const D3DCOLOR diffuse = a << 24 | 0x3C8AE1u;
                        device->SetRenderState(D3DRS_TEXTUREFACTOR, (255 - a) << 24 | 0xD24719u);
                        for (const Clip& c : clips) {
                            for (const bool mirrored : {false, true}) {
                                // The quad reads as many texels as it covers pixels, from
                                // texel (4, 2) on (across backwards when mirrored): unscaled
                                // quads on whole pixels read whole texels.
                                const float w = c.r - c.l, h = c.b - c.t;
                                float u0 = 4.0f / 64, u1 = (4.0f + w) / 64;
                                const float v0 = 2.0f / 32, v1 = (2.0f + h) / 32;
                                if (mirrored) std::swap(u0, u1);
                                const D3DCOLOR flat[4] = {diffuse, diffuse, diffuse, diffuse};
                                PaintTargets(a * 7 + static_cast<std::uint32_t>(c.l * 4));
                                const Path fastPath =
                                    Draw(false, c.l, c.t, c.r, c.b, u0, u1, flat, v0, v1);
                                const Path generalPath =
                                    Draw(true, c.l, c.t, c.r, c.b, u0, u1, flat, v0, v1);
                                ASSERT_EQ(generalPath, Path::General);
                                if (s.oneColour) {
                                    ASSERT_EQ(fastPath, Path::Constant) << s.name;
                                    ++oneColourQuads;
                                } else {
                                    ASSERT_NE(fastPath, Path::Constant) << s.name;
                                    spriteQuads +=
                                        fastPath == Path::Sprite || fastPath == Path::SpriteWhole;
                                    texturedQuads += fastPath == Path::Textured;
                                    modulatedQuads += fastPath == Path::Modulated;
                                }
                                if (Differences() != 0) {
                                    ADD_FAILURE()
                                        << "baseline " << baseline << " target " << f.target
                                        << " texture " << f.texture << " stage " << s.name
                                        << " blend " << bl.on << ' ' << bl.src << ' ' << bl.dst
                                        << " alpha " << a << " clip " << c.l << ',' << c.t
                                        << " mirrored " << mirrored;
                                    return;
                                }
                            }
                        }
                    }
                }
            }
            // Colours that differ at the corners are never one colour.
            SetStage(D3DTOP_SELECTARG2, T, D, D3DTOP_SELECTARG2, T, D);
            device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
            device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
            device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
            const D3DCOLOR ramp[4] = {0x80FF0000u, 0x8000FF00u, 0x800000FFu, 0xFFFFFFFFu};
            PaintTargets(5);
            EXPECT_EQ(Draw(false, 1.5f, 1.5f, 30.5f, 15.5f, 0, 1, ramp), Path::General);
            Draw(true, 1.5f, 1.5f, 30.5f, 15.5f, 0, 1, ramp);
            EXPECT_EQ(Differences(), 0) << "corners of four colours onto " << f.target;
        }
    }
    // The table reached the faster ways it is there for.
    EXPECT_GT(oneColourQuads, 0);
    EXPECT_GT(spriteQuads, 0);
    EXPECT_GT(texturedQuads, 0);
    EXPECT_GT(modulatedQuads, 0);
}

// Quads of sprites: on whole pixels and texels or not, clipped, mirrored, scaled, partly
// outside their texture; the way the fastest drawing takes.
struct WholeTexelCase {
    const char* name;
    float l, t, r, b;
    float s0, s1, t0, t1;  // texel coordinates of the edges
    Path want;
};
const WholeTexelCase kWholeTexelCases[] = {
    {"inside", 2.5f, 1.5f, 12.5f, 8.5f, 4, 14, 2, 9, Path::SpriteWhole},
    {"mirrored", 2.5f, 1.5f, 12.5f, 8.5f, 14, 4, 2, 9, Path::SpriteWhole},
    {"one pixel", 6.5f, 6.5f, 7.5f, 7.5f, 4, 5, 2, 3, Path::SpriteWhole},
    {"one pixel mirrored", 6.5f, 6.5f, 7.5f, 7.5f, 5, 4, 2, 3, Path::SpriteWhole},
    {"clipped left", -6.5f, 1.5f, 9.5f, 8.5f, 4, 20, 2, 9, Path::SpriteWhole},
    {"clipped top", 2.5f, -3.5f, 12.5f, 7.5f, 4, 14, 2, 13, Path::SpriteWhole},
    {"clipped right", 29.5f, 1.5f, 45.5f, 8.5f, 4, 20, 2, 9, Path::SpriteWhole},
    {"clipped bottom", 2.5f, 13.5f, 12.5f, 25.5f, 4, 14, 2, 14, Path::SpriteWhole},
    {"clipped left mirrored", -6.5f, 1.5f, 9.5f, 8.5f, 20, 4, 2, 9, Path::SpriteWhole},
    {"clipped right mirrored", 29.5f, 1.5f, 45.5f, 8.5f, 20, 4, 2, 9, Path::SpriteWhole},
    {"whole texture", -0.5f, -0.5f, 39.5f, 19.5f, 0, 40, 0, 20, Path::SpriteWhole},
    {"half a pixel off across", 2.0f, 1.5f, 12.0f, 8.5f, 4, 14, 2, 9, Path::Sprite},
    {"half a pixel off down", 2.5f, 1.0f, 12.5f, 8.0f, 4, 14, 2, 9, Path::Sprite},
    {"half a texel off across", 2.5f, 1.5f, 12.5f, 8.5f, 4.5f, 14.5f, 2, 9, Path::Sprite},
    {"half a texel off down", 2.5f, 1.5f, 12.5f, 8.5f, 4, 14, 2.5f, 9.5f, Path::Sprite},
    {"scaled across", 2.5f, 1.5f, 22.5f, 8.5f, 4, 14, 2, 9, Path::Sprite},
    {"scaled down", 2.5f, 1.5f, 12.5f, 15.5f, 4, 14, 2, 9, Path::Sprite},
    {"shrunk", 2.5f, 1.5f, 12.5f, 8.5f, 4, 24, 2, 16, Path::Sprite},
    {"flipped", 2.5f, 1.5f, 12.5f, 8.5f, 4, 14, 9, 2, Path::Sprite},
    {"past the left of the texture", 2.5f, 1.5f, 12.5f, 8.5f, -3, 7, 2, 9, Path::Sprite},
    {"past the right of the texture", 2.5f, 1.5f, 12.5f, 8.5f, 58, 68, 2, 9, Path::Sprite},
    {"past the bottom of the texture", 2.5f, 1.5f, 12.5f, 8.5f, 4, 14, 28, 35, Path::Sprite},
    {"mirrored past the texture", 2.5f, 1.5f, 12.5f, 8.5f, 6, -4, 2, 9, Path::Sprite},
};

// Quads on whole pixels that read whole texels one to one go to the row loops without the
// general set-up; any other quad takes the set-up. Either way the pixels are the general
// path's: off by half a pixel or a texel, scaled, clipped at each edge, mirrored, flipped,
// reaching past the texture.
TEST_F(QuadPaths, WholeTexelQuadsSkipTheSetUpAndGiveTheSamePixels) {
    using Case = WholeTexelCase;
    const auto& cases = kWholeTexelCases;
    struct Formats {
        D3DFORMAT target, texture;
    };
    const Formats formats[] = {{D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8},
                               {D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8},
                               {D3DFMT_R5G6B5, D3DFMT_A1R5G5B5},
                               {D3DFMT_A1R5G5B5, D3DFMT_A1R5G5B5}};
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    for (const bool baseline : {false, true}) {
        UseBaselineLoops(baseline);
        for (const Formats& f : formats) {
            Make(f.target, f.texture, 64, 32);
            for (const bool vertexAlpha : {false, true}) {
                if (vertexAlpha)
                    SetStage(D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_DISABLE,
                             D3DTA_TEXTURE, D3DTA_DIFFUSE);
                else
                    SetStage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1,
                             D3DTA_TEXTURE, D3DTA_DIFFUSE);
                const D3DCOLOR diffuse = vertexAlpha ? 0x80FFFFFFu : 0xFFFFFFFFu;
                const D3DCOLOR flat[4] = {diffuse, diffuse, diffuse, diffuse};
                for (const Case& c : cases) {
                    PaintTargets(static_cast<std::uint32_t>(c.l * 8 + c.t));
                    const Path fastPath = Draw(false, c.l, c.t, c.r, c.b, c.s0 / 64, c.s1 / 64,
                                               flat, c.t0 / 32, c.t1 / 32);
                    EXPECT_EQ(Draw(true, c.l, c.t, c.r, c.b, c.s0 / 64, c.s1 / 64, flat, c.t0 / 32,
                                   c.t1 / 32),
                              Path::General);
                    EXPECT_EQ(fastPath, c.want) << c.name << " onto " << f.target;
                    EXPECT_EQ(Differences(), 0) << c.name << " onto " << f.target << " baseline "
                                                << baseline << " vertex alpha " << vertexAlpha;
                }
            }
        }
    }
    UseBaselineLoops(false);
}

// A quad handed to the device with its vertices and its target (the drawing layer's single
// sprites and tiles, with the clear of a keyed copy or without) draws what setting the target,
// clearing and DrawPrimitive draw by the general path, takes the fastest way, and leaves the
// render target as it was: over the sprite cases, the formats, texel and vertex alphas, both
// row loops, and stage set-ups the sprite loops do not take.
TEST_F(QuadPaths, QuadsHandedOverWithTheirTargetDrawAsDrawPrimitiveDoes) {
    struct Formats {
        D3DFORMAT target, texture;
    };
    const Formats formats[] = {{D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8},
                               {D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8},
                               {D3DFMT_R5G6B5, D3DFMT_A1R5G5B5},
                               {D3DFMT_A1R5G5B5, D3DFMT_A1R5G5B5}};
    struct Setup {
        const char* name;
        DWORD colorOp, alphaOp;
        D3DCOLOR diffuse;
        bool sprite;     // taken by the sprite loops
        bool modulated;  // else by the modulated rows where the texels are read in order
    };
    const Setup setups[] = {
        {"texel alpha", D3DTOP_MODULATE, D3DTOP_MODULATE, 0xFFFFFFFFu, true, false},
        {"vertex alpha", D3DTOP_SELECTARG1, D3DTOP_DISABLE, 0x80FFFFFFu, true, false},
        {"vertex alpha none", D3DTOP_SELECTARG1, D3DTOP_DISABLE, 0x00FFFFFFu, true, false},
        {"translucent modulate", D3DTOP_MODULATE, D3DTOP_MODULATE, 0xC0FFFFFFu, false, true},
        {"tinted", D3DTOP_MODULATE, D3DTOP_MODULATE, 0xFF80C040u, false, true},
        {"tinted, vertex alpha", D3DTOP_MODULATE, D3DTOP_DISABLE, 0x80C04080u, false, true},
        {"added", D3DTOP_ADD, D3DTOP_MODULATE, 0xFF402010u, false, false},
    };
    int modulated = 0;
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    for (const bool baseline : {false, true}) {
        UseBaselineLoops(baseline);
        for (const Formats& f : formats) {
            Make(f.target, f.texture, 64, 32);
            for (const Setup& st : setups) {
                SetStage(st.colorOp, D3DTA_TEXTURE, D3DTA_DIFFUSE, st.alphaOp, D3DTA_TEXTURE,
                         D3DTA_DIFFUSE);
                const D3DCOLOR d = st.diffuse, flat[4] = {d, d, d, d};
                for (const WholeTexelCase& c : kWholeTexelCases) {
                    for (const bool clear : {false, true}) {
                        const std::string what = std::string(c.name) + " " + st.name + " onto " +
                                                 std::to_string(f.target) +
                                                 (clear ? " cleared" : "") +
                                                 (baseline ? " baseline" : "");
                        const float u0 = c.s0 / 64, u1 = c.s1 / 64, v0 = c.t0 / 32, v1 = c.t1 / 32;
                        const D3DTLVERTEX q[4] = {{c.l, c.t, 0, 1, d, u0, v0},
                                                  {c.l, c.b, 0, 1, d, u0, v1},
                                                  {c.r, c.t, 0, 1, d, u1, v0},
                                                  {c.r, c.b, 0, 1, d, u1, v1}};
                        const RECT r{static_cast<LONG>(std::lround(c.l + 0.5f)),
                                     static_cast<LONG>(std::lround(c.t + 0.5f)),
                                     static_cast<LONG>(std::lround(c.r + 0.5f)),
                                     static_cast<LONG>(std::lround(c.b + 0.5f))};
                        const D3DCOLOR key = 0x00123456u;
                        PaintTargets(static_cast<std::uint32_t>(c.l * 8 + c.t));
                        // The reference: the target made the render target, cleared, drawn
                        // pixel by pixel.
                        if (clear) {
                            device->SetRenderTarget(0, generalLevel);
                            ASSERT_EQ(device->Clear(1, &r, D3DCLEAR_TARGET, key, 1.0f, 0), D3D_OK);
                        }
                        EXPECT_EQ(Draw(true, c.l, c.t, c.r, c.b, u0, u1, flat, v0, v1),
                                  Path::General);
                        // Handed over, with the back buffer the render target.
                        device->SetRenderTarget(0, back);
                        ASSERT_EQ(device->BeginScene(), D3D_OK);
                        ASSERT_EQ(device->DrawQuadOnto(fastLevel, q, clear ? &r : nullptr, key),
                                  D3D_OK);
                        device->EndScene();
                        EXPECT_EQ(device->RenderTargetPixels(), &back->Pixels()) << what;
                        const Path taken = device->LastQuadPath();
                        if (st.sprite)
                            EXPECT_EQ(taken, c.want) << what;
                        else if (st.modulated && taken == Path::Modulated)
                            ++modulated;
                        else
                            EXPECT_EQ(taken, Path::Textured) << what;
                        EXPECT_EQ(Differences(), 0) << what;
                    }
                }
            }
        }
    }
    UseBaselineLoops(false);
    EXPECT_GT(modulated, 0);
}

// A sprite handed over as its rectangles, facing either way, draws exactly what its vertices
// handed over draw, when the sprite loops take it whole; any other one (scaled texture coordinates,
// a rectangle reaching out of the target or the texture, stage set-ups or formats the sprite loops
// do not take) is left to the vertices: nothing is drawn and nothing cleared.
TEST_F(QuadPaths, SpritesHandedOverAsRectanglesDrawAsTheirVerticesDo) {
    struct Formats {
        D3DFORMAT target, texture;
        bool sprite;
    };
    const Formats formats[] = {{D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, true},
                               {D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, true},
                               {D3DFMT_R5G6B5, D3DFMT_A1R5G5B5, true},
                               {D3DFMT_A1R5G5B5, D3DFMT_A1R5G5B5, true},
                               {D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, false}};
    struct Setup {
        const char* name;
        DWORD colorOp, alphaOp;
        D3DCOLOR diffuse;
        bool sprite;
    };
    const Setup setups[] = {
        {"texel alpha", D3DTOP_MODULATE, D3DTOP_SELECTARG1, 0xFFFFFFFFu, true},
        {"vertex alpha", D3DTOP_SELECTARG1, D3DTOP_DISABLE, 0x80FFFFFFu, true},
        {"tinted", D3DTOP_MODULATE, D3DTOP_MODULATE, 0xFF80C040u, false},
    };
    struct Case {
        const char* name;
        RECT dst;
        int sx, sy, texW, texH;  // texW, texH: the size the texture coordinates are taken over
        bool whole;
    };
    const Case cases[] = {
        {"inside", {3, 2, 13, 9}, 4, 2, 64, 32, true},
        {"the whole target", {0, 0, 40, 20}, 0, 0, 64, 32, true},
        {"at the texture's far corner", {30, 10, 40, 20}, 54, 22, 64, 32, true},
        {"one pixel", {7, 7, 8, 8}, 63, 31, 64, 32, true},
        {"past the target's right", {35, 2, 45, 9}, 4, 2, 64, 32, false},
        {"past the target's bottom", {3, 15, 13, 22}, 4, 2, 64, 32, false},
        {"left of the target", {-2, 2, 8, 9}, 4, 2, 64, 32, false},
        {"past the texture's right", {3, 2, 13, 9}, 58, 2, 64, 32, false},
        {"past the texture's bottom", {3, 2, 13, 9}, 4, 28, 64, 32, false},
        {"before the texture", {3, 2, 13, 9}, -1, 2, 64, 32, false},
        {"coordinates over another width", {3, 2, 13, 9}, 4, 2, 128, 32, false},
        {"coordinates over another height", {3, 2, 13, 9}, 4, 2, 64, 16, false},
    };
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    int drawn = 0, drawnMirrored = 0;
    for (const bool baseline : {false, true}) {
        UseBaselineLoops(baseline);
        for (const Formats& f : formats) {
            Make(f.target, f.texture, 64, 32);
            for (const Setup& st : setups) {
                SetStage(st.colorOp, D3DTA_TEXTURE, D3DTA_DIFFUSE, st.alphaOp, D3DTA_TEXTURE,
                         D3DTA_DIFFUSE);
                const D3DCOLOR d = st.diffuse;
                for (const Case& c : cases) {
                    for (const auto& [clear, mirrored] :
                         {std::pair{false, false}, std::pair{true, false}, std::pair{false, true},
                          std::pair{true, true}}) {
                        const std::string what =
                            std::string(c.name) + " " + st.name + " onto " +
                            std::to_string(f.target) + (clear ? " cleared" : "") +
                            (mirrored ? " mirrored" : "") + (baseline ? " baseline" : "");
                        const RECT& r = c.dst;
                        const float l = static_cast<float>(r.left) - 0.5f,
                                    t = static_cast<float>(r.top) - 0.5f,
                                    rr = static_cast<float>(r.right) - 0.5f,
                                    b = static_cast<float>(r.bottom) - 0.5f;
                        // Mirrored, the same texels read from the right: the coordinates
                        // run backwards from the run's far edge.
                        const int w = r.right - r.left;
                        const int from = mirrored ? c.sx + w : c.sx;
                        const int to = mirrored ? c.sx : c.sx + w;
                        const float u0 = static_cast<float>(from) / static_cast<float>(c.texW),
                                    u1 = static_cast<float>(to) / static_cast<float>(c.texW),
                                    v0 = static_cast<float>(c.sy) / static_cast<float>(c.texH),
                                    v1 = static_cast<float>(c.sy + (r.bottom - r.top)) /
                                         static_cast<float>(c.texH);
                        const D3DTLVERTEX q[4] = {{l, t, 0, 1, d, u0, v0},
                                                  {l, b, 0, 1, d, u0, v1},
                                                  {rr, t, 0, 1, d, u1, v0},
                                                  {rr, b, 0, 1, d, u1, v1}};
                        const D3DCOLOR key = 0x00123456u;
                        PaintTargets(static_cast<std::uint32_t>(r.left * 8 + r.top + c.sx));
                        std::vector<std::uint32_t> painted;
                        for (int y = 0; y < kH; ++y)
                            for (int x = 0; x < kW; ++x)
                                painted.push_back(fast->Pixels().Pixel(x, y));
                        device->SetRenderTarget(0, back);
                        ASSERT_EQ(device->BeginScene(), D3D_OK);
                        // The reference: the vertices handed over.
                        ASSERT_EQ(device->DrawQuadOnto(generalLevel, q, clear ? &r : nullptr, key),
                                  D3D_OK);
                        const bool took =
                            device->DrawSpriteRectOnto(fastLevel, r, from, c.sy, c.texW, c.texH, d,
                                                       clear ? &r : nullptr, key, mirrored);
                        device->EndScene();
                        EXPECT_EQ(device->RenderTargetPixels(), &back->Pixels()) << what;
                        const bool want = c.whole && st.sprite && f.sprite;
                        ASSERT_EQ(took, want) << what;
                        if (took) {
                            ++drawn;
                            drawnMirrored += mirrored;
                            EXPECT_EQ(device->LastQuadPath(), Path::SpriteWhole) << what;
                            EXPECT_EQ(Differences(), 0) << what;
                        } else {
                            // Untouched, no clear left pending either (reading the pixels
                            // would make it): the vertices then draw what they draw.
                            int changed = 0;
                            for (int y = 0; y < kH; ++y)
                                for (int x = 0; x < kW; ++x)
                                    changed += fast->Pixels().Pixel(x, y) !=
                                               painted[static_cast<std::size_t>(y * kW + x)];
                            EXPECT_EQ(changed, 0) << what;
                        }
                    }
                }
            }
        }
    }
    UseBaselineLoops(false);
    EXPECT_GT(drawn, 0);
    EXPECT_GT(drawnMirrored, 0);
}

// Keyed sprites and tiles (texels wholly opaque or wholly transparent, in runs and whole
// rows of each) handed over as rectangles, a block of the stage wide and not, cleared under
// or not, under the texel's alpha and under vertex alphas: the rows the sprite loops select,
// for both row loops, give the general path's pixels.
TEST_F(QuadPaths, KeyedSpritesABlockWideGiveThePixelsOfTheGeneralPath) {
    struct Formats {
        D3DFORMAT target, texture;
    };
    const Formats formats[] = {{D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8},
                               {D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8},
                               {D3DFMT_R5G6B5, D3DFMT_A1R5G5B5},
                               {D3DFMT_A1R5G5B5, D3DFMT_A1R5G5B5}};
    struct Setup {
        DWORD colorOp, alphaOp;
        D3DCOLOR diffuse;
    };
    const Setup setups[] = {{D3DTOP_MODULATE, D3DTOP_SELECTARG1, 0xFFFFFFFFu},
                            {D3DTOP_SELECTARG1, D3DTOP_DISABLE, 0xFFFFFFFFu},
                            {D3DTOP_SELECTARG1, D3DTOP_DISABLE, 0x80FFFFFFu},
                            {D3DTOP_SELECTARG1, D3DTOP_DISABLE, 0x00FFFFFFu}};
    // Left edge and width in the target, first texel column.
    struct Span {
        int x, w, sx;
    };
    const Span spans[] = {{0, 32, 0},  {3, 32, 5},  {8, 32, 32}, {1, 31, 7},
                          {2, 33, 30}, {0, 40, 24}, {5, 16, 3},  {9, 8, 50}};
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    int drawn = 0;
    for (const bool baseline : {false, true}) {
        UseBaselineLoops(baseline);
        for (const Formats& f : formats) {
            Make(f.target, f.texture, 64, 32);
            // Rows wholly transparent, wholly opaque, and runs of 1 to 12 texels of each.
            SoftSurface& t = tex->Pixels();
            std::uint32_t seed = 5;
            for (int y = 0; y < 32; ++y) {
                bool opaque = false;
                int left = 0;
                for (int x = 0; x < 64; ++x) {
                    seed = seed * 1103515245u + 12345u;
                    if (left-- == 0) {
                        opaque = !opaque;
                        left = static_cast<int>((seed >> 20) % 12);
                    }
                    const bool on = y % 4 == 0 ? false : y % 4 == 1 ? true : opaque;
                    t.SetPixel(x, y, ArgbToPixel(f.texture, (on ? 0xFF000000u : 0u) | (seed >> 8)));
                }
            }
            for (const Setup& st : setups) {
                SetStage(st.colorOp, D3DTA_TEXTURE, D3DTA_DIFFUSE, st.alphaOp, D3DTA_TEXTURE,
                         D3DTA_DIFFUSE);
                for (const Span& sp : spans) {
                    for (const bool clear : {false, true}) {
                        const RECT r{sp.x, 3, sp.x + sp.w, 14};
                        const int sy = 1 + sp.sx % 7;
                        const float u0 = static_cast<float>(sp.sx) / 64,
                                    u1 = static_cast<float>(sp.sx + sp.w) / 64,
                                    v0 = static_cast<float>(sy) / 32,
                                    v1 = static_cast<float>(sy + 11) / 32;
                        const float l = static_cast<float>(r.left) - 0.5f,
                                    rr = static_cast<float>(r.right) - 0.5f;
                        const D3DCOLOR d = st.diffuse, key = 0x00123456u;
                        const D3DTLVERTEX q[4] = {{l, 2.5f, 0, 1, d, u0, v0},
                                                  {l, 13.5f, 0, 1, d, u0, v1},
                                                  {rr, 2.5f, 0, 1, d, u1, v0},
                                                  {rr, 13.5f, 0, 1, d, u1, v1}};
                        PaintTargets(static_cast<std::uint32_t>(sp.x * 8 + sp.sx));
                        device->SetRenderTarget(0, back);
                        UseGeneralQuadPath(true);
                        ASSERT_EQ(device->BeginScene(), D3D_OK);
                        ASSERT_EQ(device->DrawQuadOnto(generalLevel, q, clear ? &r : nullptr, key),
                                  D3D_OK);
                        device->EndScene();
                        UseGeneralQuadPath(false);
                        ASSERT_EQ(device->BeginScene(), D3D_OK);
                        const bool took = device->DrawSpriteRectOnto(
                            fastLevel, r, sp.sx, sy, 64, 32, d, clear ? &r : nullptr, key);
                        device->EndScene();
                        const std::string what =
                            "width " + std::to_string(sp.w) + " at " + std::to_string(sp.x) +
                            " onto " + std::to_string(f.target) + " diffuse " + std::to_string(d) +
                            (clear ? " cleared" : "") + (baseline ? " baseline" : "");
                        ASSERT_TRUE(took) << what;
                        EXPECT_EQ(device->LastQuadPath(), Path::SpriteWhole) << what;
                        EXPECT_EQ(Differences(), 0) << what;
                        ++drawn;
                    }
                }
            }
        }
    }
    UseBaselineLoops(false);
    EXPECT_EQ(drawn, 2 * 4 * 4 * 8 * 2);
}

// The device refuses a quad handed over outside a scene, onto a surface that is not a render
// target or onto a locked one, and draws nothing.
TEST_F(QuadPaths, QuadsHandedOverAreRefusedWhereDrawPrimitiveIsRefused) {
    Make(D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, 64, 32);
    PaintTargets(5);
    const D3DCOLOR w = 0xFFFFFFFFu;
    const D3DTLVERTEX q[4] = {{2.5f, 1.5f, 0, 1, w, 0, 0},
                              {2.5f, 8.5f, 0, 1, w, 0, 0.25f},
                              {12.5f, 1.5f, 0, 1, w, 0.25f, 0},
                              {12.5f, 8.5f, 0, 1, w, 0.25f, 0.25f}};
    EXPECT_EQ(device->DrawQuadOnto(fastLevel, q, nullptr, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    IDirect3DSurface9* plain = nullptr;
    ASSERT_EQ(tex->GetSurfaceLevel(0, &plain), D3D_OK);
    EXPECT_EQ(device->DrawQuadOnto(plain, q, nullptr, 0), D3DERR_INVALIDCALL);
    plain->Release();
    // Held as a lock of the pixels would hold it (a render target itself is not lockable).
    ASSERT_TRUE(fast->Pixels().TryLock());
    EXPECT_EQ(device->DrawQuadOnto(fastLevel, q, nullptr, 0), D3DERR_INVALIDCALL);
    fast->Pixels().Unlock();
    device->EndScene();
    EXPECT_EQ(Differences(), 0);
}

// A fill leaves the arguments it does not read at their default, the texture, and a texture
// may still be set from the sprites before: the quad is still one colour, filled at once.
TEST_F(QuadPaths, AOneColourQuadWithAnUnreadTextureArgumentIsFilled) {
    Make(D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, 8, 8);
    PaintTargets(3);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF123456u);
    SetStage(D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_TFACTOR, D3DTOP_SELECTARG2, D3DTA_TEXTURE,
             D3DTA_TFACTOR);
    const D3DCOLOR white[4] = {0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
    const std::uint32_t outside = fast->Pixels().Pixel(1, 1);
    EXPECT_EQ(Draw(false, 1.5f, 2.5f, 11.5f, 6.5f, 0, 1, white), Path::Constant);
    for (int y = 3; y < 7; ++y)
        for (int x = 2; x < 12; ++x) EXPECT_EQ(fast->Pixels().Pixel(x, y), 0xFF123456u) << x;
    EXPECT_EQ(fast->Pixels().Pixel(1, 1), outside);
    EXPECT_NE(fast->Pixels().Pixel(12, 3), 0xFF123456u);

    // The fade overlay: black at alpha 0x80 over 0x102030 keeps (d * 127 + 127) / 255.
    fast->Pixels().SetPixel(4, 4, 0x00102030u);
    SetStage(D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG2, D3DTA_TEXTURE,
             D3DTA_DIFFUSE);
    const D3DCOLOR black[4] = {0x80000000u, 0x80000000u, 0x80000000u, 0x80000000u};
    EXPECT_EQ(Draw(false, -0.5f, -0.5f, 39.5f, 19.5f, 0, 1, black), Path::Constant);
    EXPECT_EQ(fast->Pixels().Pixel(4, 4), 0xFF081018u);
}

// The constant blend's lanes and tables against BlendPixel, for every pixel value of the 16-bit
// formats and a spread of values of the 32-bit ones, over sources and blend factors, with the
// widest vectors the processor has and with the baseline ones.
TEST(ConstantBlend, GivesBlendPixelForEveryPixel) {
    struct Restore {
        ~Restore() { UseBaselineLoops(false); }
    } restore;
    const std::uint32_t sources[] = {0x00000000u, 0x01FFFFFFu, 0x7F80FF01u, 0x80102030u,
                                     0xFEFFFFFFu, 0xFF00FF00u, 0x40C0A090u};
    struct Factors {
        std::uint32_t src, dst;
    };
    const Factors factors[] = {{kBlendSrcAlpha, kBlendInvSrcAlpha}, {kBlendOne, kBlendOne},
                               {kBlendZero, kBlendSrcAlpha},        {kBlendSrcAlpha, kBlendOne},
                               {kBlendInvSrcAlpha, kBlendSrcAlpha}, {kBlendOne, kBlendZero}};
    for (const bool baseline : {false, true})
        for (const D3DFORMAT format :
             {D3DFMT_R5G6B5, D3DFMT_A1R5G5B5, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8}) {
            UseBaselineLoops(baseline);
            const bool narrow = BytesPerPixel(format) == 2;
            auto surface = SoftSurface::Create(256, 256, format);
            ASSERT_TRUE(surface);
            for (const std::uint32_t s : sources) {
                for (const Factors& f : factors) {
                    std::vector<std::uint32_t> before(256 * 256);
                    std::uint32_t seed = s ^ f.src;
                    for (int i = 0; i < 256 * 256; ++i) {
                        seed = seed * 1103515245u + 12345u;
                        // Every 16-bit value once; 32-bit values whose bytes take all values.
                        before[i] = narrow ? static_cast<std::uint32_t>(i)
                                           : (seed & 0xFFFF0000u) | static_cast<std::uint32_t>(i);
                        surface->SetPixel(i % 256, i / 256, before[i]);
                    }
                    // A rectangle inside, so that the pixels around it are seen to stay.
                    const RECT r{1, 0, 255, 256};
                    BlendConstant(*surface, r, s, f.src, f.dst);
                    int wrong = 0;
                    for (int i = 0; i < 256 * 256; ++i) {
                        const int x = i % 256;
                        const std::uint32_t want =
                            x >= 1 && x < 255 ? BlendPixel(format, before[i], s, f.src, f.dst)
                                              : before[i];
                        const std::uint32_t got = surface->Pixel(x, i / 256);
                        if (got != want && wrong++ < 3)
                            ADD_FAILURE()
                                << (baseline ? "baseline " : "") << "format " << format
                                << " source " << std::hex << s << " blend " << f.src << ',' << f.dst
                                << " pixel " << before[i] << ": " << got << " != " << want;
                    }
                }
            }
        }
}

// The presenter's conversion of a row to A8R8G8B8 against PixelToArgb: every 16-bit value, and
// rows of every length around the vector widths at every alignment, with the widest vectors
// the processor has and with the baseline ones.
TEST(FrameConversion, RowsConvertAsEachPixelDoes) {
    struct Restore {
        ~Restore() { UseBaselineLoops(false); }
    } restore;
    for (const bool baseline : {false, true})
        for (const D3DFORMAT format :
             {D3DFMT_R5G6B5, D3DFMT_A1R5G5B5, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8}) {
            const int bytes = BytesPerPixel(format);
            const int count = 65536 + 19;
            std::vector<std::uint8_t> src(static_cast<std::size_t>(count + 8) * bytes);
            std::uint32_t seed = 1;
            for (int i = 0; i < count + 8; ++i) {
                seed = seed * 1103515245u + 12345u;
                const std::uint32_t v = bytes == 2 ? static_cast<std::uint32_t>(i) & 0xFFFF
                                                   : seed ^ static_cast<std::uint32_t>(i) << 20;
                WritePixel(src.data() + static_cast<std::size_t>(i) * bytes, bytes, v);
            }
            for (const int offset : {0, 1, 3}) {
                for (const int n : {0, 1, 7, 8, 9, 15, 16, 17, 31, 33, count}) {
                    std::vector<std::uint32_t> dst(static_cast<std::size_t>(n) + 1, 0x5A5A5A5Au);
                    const std::uint8_t* from =
                        src.data() + static_cast<std::size_t>(offset) * bytes;
                    UseBaselineLoops(baseline);
                    ConvertRowToArgb(format, from, dst.data(), n, nullptr);
                    int wrong = 0;
                    for (int i = 0; i < n; ++i) {
                        const std::uint32_t want = PixelToArgb(
                            format, ReadPixel(from + static_cast<std::size_t>(i) * bytes, bytes),
                            nullptr);
                        if (dst[i] != want && wrong++ < 3)
                            ADD_FAILURE() << (baseline ? "baseline " : "") << "format " << format
                                          << " offset " << offset << " count " << n << " pixel "
                                          << i << ": " << std::hex << dst[i] << " != " << want;
                    }
                    EXPECT_EQ(dst[n], 0x5A5A5A5Au) << "written past the row";
                }
            }
        }
}

// Quads that are not axis-aligned rectangles (rotated pictures) are drawn as the two
// triangles of their strip. On rectangles the triangles give exactly the rectangle paths'
// pixels, for either diagonal; rotated, every pixel whose centre lies inside is drawn once.
class TriangleQuads : public QuadPaths {
protected:
    void TearDown() override {
        UseTriangleQuadPath(false);
        QuadPaths::TearDown();
    }
    // The four vertices in strip order, into the `fast` target.
    Path DrawStrip(const D3DTLVERTEX (&q)[4], bool triangles) {
        void* data = nullptr;
        EXPECT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
        std::memcpy(data, q, sizeof q);
        vb->Unlock();
        UseTriangleQuadPath(triangles);
        device->SetRenderTarget(0, fastLevel);
        EXPECT_EQ(device->BeginScene(), D3D_OK);
        EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
        device->EndScene();
        UseTriangleQuadPath(false);
        return device->LastQuadPath();
    }
};

TEST_F(TriangleQuads, RectanglesGiveTheRectanglePixels) {
    struct Case {
        const char* name;
        float l, t, r, b;
        float s0, s1, t0, t1;  // texel coordinates of the edges
    };
    const Case cases[] = {
        {"inside", 2.5f, 1.5f, 12.5f, 8.5f, 4, 14, 2, 9},
        {"mirrored", 2.5f, 1.5f, 12.5f, 8.5f, 14, 4, 2, 9},
        {"one pixel", 6.5f, 6.5f, 7.5f, 7.5f, 4, 5, 2, 3},
        {"clipped left and top", -6.5f, -3.5f, 9.5f, 8.5f, 4, 20, 2, 14},
        {"clipped right and bottom", 29.5f, 13.5f, 45.5f, 25.5f, 4, 20, 2, 14},
        {"off the pixel grid", 3.25f, 2.75f, 20.75f, 9.25f, 4, 21.5f, 2, 8.5f},
        {"scaled up", 2.5f, 1.5f, 22.5f, 15.5f, 4, 14, 2, 9},
        {"shrunk", 2.5f, 1.5f, 12.5f, 8.5f, 4, 24, 2, 16},
        {"flipped", 2.5f, 1.5f, 12.5f, 8.5f, 4, 14, 9, 2},
        {"wrapping past the texture", 2.5f, 1.5f, 12.5f, 8.5f, 58, 68, -3, 4},
    };
    const D3DFORMAT targets[] = {D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_R5G6B5};
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    SetStage(D3DTOP_MODULATE, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_MODULATE, D3DTA_TEXTURE,
             D3DTA_DIFFUSE);
    // A translucent vertex colour, and white, with which texels are drawn as they are.
    for (const D3DCOLOR d : {0xC0FFFFFFu, 0xFFFFFFFFu})
        for (const D3DFORMAT target : targets) {
            Make(target, target == D3DFMT_R5G6B5 ? D3DFMT_A1R5G5B5 : D3DFMT_A8R8G8B8, 64, 32);
            for (const Case& c : cases) {
                for (const bool otherDiagonal : {false, true}) {
                    const float u0 = c.s0 / 64, u1 = c.s1 / 64, v0 = c.t0 / 32, v1 = c.t1 / 32;
                    const D3DTLVERTEX tl{c.l, c.t, 0, 1, d, u0, v0}, tr{c.r, c.t, 0, 1, d, u1, v0},
                        bl{c.l, c.b, 0, 1, d, u0, v1}, br{c.r, c.b, 0, 1, d, u1, v1};
                    const D3DTLVERTEX q[4] = {tl, otherDiagonal ? tr : bl, otherDiagonal ? bl : tr,
                                              br};
                    PaintTargets(static_cast<std::uint32_t>(c.l * 8 + c.t));
                    EXPECT_EQ(DrawStrip(q, true), Path::TriangleRows);
                    const D3DCOLOR flat[4] = {d, d, d, d};
                    EXPECT_EQ(Draw(true, c.l, c.t, c.r, c.b, u0, u1, flat, v0, v1), Path::General);
                    EXPECT_EQ(Differences(), 0)
                        << c.name << " onto " << target << " other diagonal " << otherDiagonal;
                }
            }
        }
}

// A picture turned by a quarter turn about a pixel corner: its texel rows become columns,
// exactly, and the quad takes the triangle path by itself.
TEST_F(TriangleQuads, AQuarterTurnTurnsTheTexels) {
    Make(D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, 8, 4);
    SetStage(D3DTOP_SELECTARG1, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG1, D3DTA_TEXTURE,
             D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    PaintTargets(1);
    std::vector<std::uint32_t> before;
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) before.push_back(fast->Pixels().Pixel(x, y));
    // The 8 x 4 picture's top-left corner at (20.5, 2.5), its top edge running down the
    // screen: texel (i, j) lands on pixel (20 - j, 3 + i).
    const D3DCOLOR w = 0xFFFFFFFFu;
    const D3DTLVERTEX q[4] = {{20.5f, 2.5f, 0, 1, w, 0, 0},
                              {16.5f, 2.5f, 0, 1, w, 0, 1},
                              {20.5f, 10.5f, 0, 1, w, 1, 0},
                              {16.5f, 10.5f, 0, 1, w, 1, 1}};
    EXPECT_EQ(DrawStrip(q, false), Path::TriangleRows);
    int drawn = 0;
    for (int y = 0; y < kH; ++y) {
        for (int x = 0; x < kW; ++x) {
            const int i = y - 3, j = 20 - x;
            const std::uint32_t got = fast->Pixels().Pixel(x, y);
            if (i >= 0 && i < 8 && j >= 0 && j < 4) {
                ++drawn;
                EXPECT_EQ(got, tex->Pixels().Pixel(i, j)) << x << ',' << y;
            } else {
                EXPECT_EQ(got, before[static_cast<std::size_t>(y * kW + x)]) << x << ',' << y;
            }
        }
    }
    EXPECT_EQ(drawn, 32);
}

// Squares of a grid turned by 30 degrees, drawn additively: inside the grid every pixel is
// drawn exactly once (no gap, no pixel twice along a shared edge), and each square covers the
// pixels whose centres it holds (an edge through a centre counted on its top or left side).
TEST_F(TriangleQuads, TurnedSquaresTileWithoutGapsOrOverlaps) {
    Make(D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8, 8, 8);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) fast->Pixels().SetPixel(x, y, 0);
    SetStage(D3DTOP_SELECTARG2, D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG2, D3DTA_TEXTURE,
             D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
    const double c = std::cos(M_PI / 6), s = std::sin(M_PI / 6), side = 4;
    auto corner = [&](int gx, int gy) {
        return std::pair<float, float>(static_cast<float>(20 + (gx * c - gy * s) * side),
                                       static_cast<float>(2 + (gx * s + gy * c) * side));
    };
    const D3DCOLOR one = 0x01010101u;
    for (int gy = -6; gy < 6; ++gy) {
        for (int gx = -6; gx < 6; ++gx) {
            const auto a = corner(gx, gy), b = corner(gx, gy + 1), d = corner(gx + 1, gy),
                       e = corner(gx + 1, gy + 1);
            const D3DTLVERTEX q[4] = {{a.first, a.second, 0, 1, one, 0, 0},
                                      {b.first, b.second, 0, 1, one, 0, 1},
                                      {d.first, d.second, 0, 1, one, 1, 0},
                                      {e.first, e.second, 0, 1, one, 1, 1}};
            DrawStrip(q, false);
        }
    }
    // The grid spans 48 dots each way from (20, 2): the middle of the target lies inside.
    for (int y = 4; y < 16; ++y)
        for (int x = 10; x < 30; ++x)
            EXPECT_EQ(fast->Pixels().Pixel(x, y), 0x01010101u) << x << ',' << y;
}

// Turned pictures (the rotated screen, rotated characters) drawn a row at a time with the
// formats fixed give the pixels of the general path, over a table of angles, stage set-ups
// (the texel as it is, tinted, under the vertex alpha, added, one colour), blends, formats and
// vertex alphas, with corners cut by the target's edges and texture coordinates past the
// texture.
TEST_F(TriangleQuads, TurnedQuadsGiveThePixelsOfTheGeneralPath) {
    struct Stage {
        const char* name;
        DWORD colorOp, c1, c2, alphaOp, a1, a2;
    };
    constexpr DWORD T = D3DTA_TEXTURE, D = D3DTA_DIFFUSE, F = D3DTA_TFACTOR;
    const Stage stages[] = {
        {"sprite", D3DTOP_MODULATE, T, D, D3DTOP_SELECTARG1, T, D},
        {"tinted", D3DTOP_MODULATE, T, D, D3DTOP_MODULATE, T, D},
        {"turned screen", D3DTOP_MODULATE, T, D, D3DTOP_DISABLE, T, D},
        {"factor", D3DTOP_MODULATE, F, T, D3DTOP_SELECTARG2, D, F},
        {"added", D3DTOP_ADD, T, D, D3DTOP_MODULATE, T, D},
        {"one colour", D3DTOP_SELECTARG2, T, D, D3DTOP_SELECTARG1, D, T},
    };
    struct Blend {
        bool on;
        DWORD src, dst;
    };
    const Blend blends[] = {{true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
                            {false, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
                            {true, D3DBLEND_ONE, D3DBLEND_ONE}};
    struct Formats {
        D3DFORMAT target, texture;
    };
    const Formats formats[] = {{D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8},
                               {D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8},
                               {D3DFMT_R5G6B5, D3DFMT_A1R5G5B5},
                               {D3DFMT_A1R5G5B5, D3DFMT_A1R5G5B5},
                               {D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}};
    struct Turn {
        double angle, cx, cy, w, h;
        float s0, s1, t0, t1;  // texel coordinates of the edges
    };
    const Turn turns[] = {{0.3, 20, 10, 24, 12, 4, 28, 2, 14},
                          {1.0, 19.5, 9.5, 16, 16, 0, 16, 0, 16},
                          {2.5, 3, 4, 30, 20, 10, 40, 5, 25},
                          {-0.7, 35.25, 17.75, 20, 10, 50, 80, -4, 6}};
    for (const Formats& f : formats) {
        Make(f.target, f.texture, 64, 32);
        device->SetRenderState(D3DRS_TEXTUREFACTOR, 0x9060C030u);
        for (const Stage& st : stages) {
            SetStage(st.colorOp, st.c1, st.c2, st.alphaOp, st.a1, st.a2);
            for (const Blend& bl : blends) {
                device->SetRenderState(D3DRS_ALPHABLENDENABLE, bl.on);
                device->SetRenderState(D3DRS_SRCBLEND, bl.src);
                device->SetRenderState(D3DRS_DESTBLEND, bl.dst);
                for (const D3DCOLOR d : {0xFFFFFFFFu, 0x80FF8040u}) {
                    for (const Turn& t : turns) {
                        const double c = std::cos(t.angle), s = std::sin(t.angle);
                        D3DTLVERTEX q[4];
                        for (int k = 0; k < 4; ++k) {
                            const double x = (k >= 2 ? 0.5 : -0.5) * t.w;
                            const double y = (k % 2 ? 0.5 : -0.5) * t.h;
                            q[k] = D3DTLVERTEX{static_cast<float>(t.cx + x * c - y * s),
                                               static_cast<float>(t.cy + x * s + y * c),
                                               0,
                                               1,
                                               d,
                                               (k >= 2 ? t.s1 : t.s0) / 64,
                                               (k % 2 ? t.t1 : t.t0) / 32};
                        }
                        PaintTargets(d + static_cast<std::uint32_t>(t.angle * 100));
                        ASSERT_EQ(DrawVertices(false, q), Path::TriangleRows);
                        ASSERT_EQ(DrawVertices(true, q), Path::Triangles);
                        ASSERT_EQ(Differences(), 0)
                            << st.name << " onto " << f.target << " from " << f.texture << " blend "
                            << bl.on << ' ' << bl.src << " diffuse " << std::hex << d << " angle "
                            << t.angle;
                    }
                }
            }
        }
    }
}

// Vertices with infinities or beyond any target draw nothing and do not hang.
TEST_F(TriangleQuads, HostileVerticesDrawNothing) {
    Make(D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, 8, 8);
    PaintTargets(4);
    const float inf = std::numeric_limits<float>::infinity();
    const D3DCOLOR w = 0xFFFFFFFFu;
    const D3DTLVERTEX cases[][4] = {
        {{0, 0, 0, 1, w, 0, 0},
         {inf, 5, 0, 1, w, 0, 1},
         {5, 0, 0, 1, w, 1, 0},
         {6, 6, 0, 1, w, 1, 1}},
        {{-3e9f, 0, 0, 1, w, 0, 0},
         {0, 3e9f, 0, 1, w, 0, 1},
         {3e9f, 0, 0, 1, w, 1, 0},
         {0, -3e9f, 0, 1, w, 1, 1}},
        {{0, 0, 0, 1, w, 0, 0},
         {2, 9, 0, 1, w, inf, 1},
         {9, 1, 0, 1, w, 1, 0},
         {9, 9, 0, 1, w, 1, 1}},
    };
    for (const auto& q : cases) {
        const D3DTLVERTEX copy[4] = {q[0], q[1], q[2], q[3]};
        DrawStrip(copy, false);
    }
    // The other target holds the painted pixels, untouched.
    EXPECT_EQ(Differences(), 0);
}

}  // namespace

// The Direct3D-9-like personality: the rules the drawing layer relies on (locks, scenes,
// render targets), quads through the stage-0 operations and the blend, and device loss.
#include "platform/d3d9.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

#include "device_fixture.h"
#include "platform/frame.h"
#include "platform/platform_state.h"
#include "platform/presenter.h"
#include "platform/seams.h"
#include "platform/vector_loops.h"

namespace {

using namespace plat;

class Device : public HeadlessDeviceTest {
protected:
    void SetUp() override {
        HeadlessDeviceTest::SetUp();
        base = LiveDeviceObjects();
    }
    // A quad over the pixels [x0, x1) x [y0, y1), texture coordinates u0..u1 across.
    void Quad(int x0, int y0, int x1, int y1, float u0, float u1, D3DCOLOR diffuse) {
        void* data = nullptr;
        ASSERT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
        const float l = x0 - 0.5f, t = y0 - 0.5f, r = x1 - 0.5f, b = y1 - 0.5f;
        const D3DTLVERTEX v[4] = {{l, t, 0, 1, diffuse, u0, 0},
                                  {l, b, 0, 1, diffuse, u0, 1},
                                  {r, t, 0, 1, diffuse, u1, 0},
                                  {r, b, 0, 1, diffuse, u1, 1}};
        std::memcpy(data, v, sizeof v);
        vb->Unlock();
        device->SetStreamSource(0, vb, 0, sizeof(D3DTLVERTEX));
        device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
        device->EndScene();
    }
    std::uint32_t BackPixel(int x, int y) { return back->Pixels().Pixel(x, y); }

    int base = 0;
};

TEST_F(Device, RenderTargetTexturesAreReadAndWrittenThroughSystemMemory) {
    IDirect3DTexture9 *rt = nullptr, *sys = nullptr;
    ASSERT_EQ(D3DXCreateTexture(device, 4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                D3DPOOL_DEFAULT, &rt),
              D3D_OK);
    ASSERT_EQ(D3DXCreateTexture(device, 4, 4, 1, D3DUSAGE_DYNAMIC, D3DFMT_A8R8G8B8,
                                D3DPOOL_SYSTEMMEM, &sys),
              D3D_OK);
    D3DLOCKED_RECT locked;
    EXPECT_EQ(rt->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    IDirect3DSurface9 *rtLevel = nullptr, *shadow = nullptr;
    ASSERT_EQ(rt->GetSurfaceLevel(0, &rtLevel), D3D_OK);
    ASSERT_EQ(device->CreateOffscreenPlainSurface(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &shadow,
                                                  nullptr),
              D3D_OK);
    EXPECT_EQ(rtLevel->LockRect(&locked, nullptr, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->SetRenderTarget(0, rtLevel), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF112233, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->GetRenderTargetData(rtLevel, shadow), D3D_OK);
    ASSERT_EQ(shadow->LockRect(&locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(*static_cast<std::uint32_t*>(locked.pBits), 0xFF112233u);
    *static_cast<std::uint32_t*>(locked.pBits) = 0x80445566;
    // While the shadow is locked it cannot be copied back.
    EXPECT_EQ(device->UpdateSurface(shadow, nullptr, rtLevel, nullptr), D3DERR_INVALIDCALL);
    shadow->UnlockRect();
    EXPECT_EQ(device->UpdateSurface(shadow, nullptr, rtLevel, nullptr), D3D_OK);
    EXPECT_EQ(rt->Pixels().Pixel(0, 0), 0x80445566u);
    // A system texture is lockable, and is no render target.
    EXPECT_EQ(sys->LockRect(0, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(sys->LockRect(0, &locked, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(sys->UnlockRect(0), D3D_OK);
    EXPECT_EQ(sys->UnlockRect(0), D3DERR_INVALIDCALL);
    IDirect3DSurface9* sysLevel = nullptr;
    ASSERT_EQ(sys->GetSurfaceLevel(0, &sysLevel), D3D_OK);
    EXPECT_EQ(device->SetRenderTarget(0, sysLevel), D3DERR_INVALIDCALL);
    // Levels keep their texture alive: released in any order.
    rt->Release();
    sys->Release();
    EXPECT_EQ(rtLevel->Pixels().Width(), 4);
    rtLevel->Release();
    sysLevel->Release();
    shadow->Release();
    EXPECT_EQ(LiveDeviceObjects(), base);
}

TEST_F(Device, DrawingBelongsInAScenePresentingOutsideOne) {
    device->SetStreamSource(0, vb, 0, sizeof(D3DTLVERTEX));
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3DERR_INVALIDCALL);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 1, 2),
              D3DERR_INVALIDCALL);  // past the end
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(FrameCount(), 1u);
}

TEST_F(Device, QuadCoversThePixelCentresInside) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFFFF0000);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TFACTOR);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_TFACTOR);
    Quad(1, 1, 4, 3, 0, 0, 0xFFFFFFFF);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 8; ++x)
            EXPECT_EQ(BackPixel(x, y),
                      (x >= 1 && x < 4 && y >= 1 && y < 3) ? 0xFFFF0000u : 0xFF000000u)
                << x << "," << y;
    // A quad reaching past the target is cut to it.
    Quad(-3, 4, 20, 9, 0, 0, 0xFFFFFFFF);
    EXPECT_EQ(BackPixel(0, 5), 0xFFFF0000u);
    EXPECT_EQ(BackPixel(7, 4), 0xFFFF0000u);
}

TEST_F(Device, TexelsAreSampledAtPixelCentresMirroredAndShrunk) {
    IDirect3DTexture9* tex = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr),
              D3D_OK);
    for (int x = 0; x < 4; ++x) tex->Pixels().SetPixel(x, 0, 0xFF000000u | (x + 1) * 0x30);
    device->SetTexture(0, tex);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    // Default stage 0: colour = texture * diffuse, alpha = texture.
    Quad(0, 0, 4, 1, 1.0f, 0.0f, 0xFFFFFFFF);  // mirrored: texel 3 first
    for (int x = 0; x < 4; ++x) EXPECT_EQ(BackPixel(x, 0), 0xFF000000u | (4 - x) * 0x30) << x;
    Quad(0, 1, 2, 2, 0.0f, 1.0f, 0xFFFFFFFF);  // half size: texels floor((k + 0.5) * 2) = 1, 3
    EXPECT_EQ(BackPixel(0, 1), 0xFF000060u);
    EXPECT_EQ(BackPixel(1, 1), 0xFF0000C0u);
    // Modulate: (t * d + 127) / 255 = (48 * 128 + 127) / 255 = 24.
    Quad(0, 2, 1, 3, 0.0f, 0.25f, 0xFF808080);
    EXPECT_EQ(BackPixel(0, 2), 0xFF000018u);
    device->SetTexture(0, nullptr);
    tex->Release();
}

// Sprite texels whose alpha lies between 0 and 255 blend with the fixed arithmetic
// (s * a + d * (255 - a) + 127) / 255 per channel, next to opaque and transparent ones in
// the same row; the target's unused byte stays 255.
TEST_F(Device, SpriteTexelsBlendByTheirAlpha) {
    const std::uint32_t texels[8] = {0x00123456, 0xFF123456, 0x80FF0000, 0x0100FF00,
                                     0xFE0000FF, 0x7F808080, 0xFFFFFFFF, 0x40C0C0C0};
    IDirect3DTexture9* tex = nullptr;
    ASSERT_EQ(device->CreateTexture(8, 1, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr),
              D3D_OK);
    for (int x = 0; x < 8; ++x) tex->Pixels().SetPixel(x, 0, texels[x]);
    device->SetTexture(0, tex);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    const std::uint32_t under = 0x00336699;  // the unused byte 0 as a lock may leave it
    for (int x = 0; x < 8; ++x) back->Pixels().SetPixel(x, 0, under);
    Quad(0, 0, 8, 1, 0.0f, 1.0f, 0xFFFFFFFF);
    for (int x = 0; x < 8; ++x) {
        const std::uint32_t t = texels[x], a = t >> 24;
        std::uint32_t want = 0xFF000000u;
        for (int shift = 0; shift < 24; shift += 8)
            want |= (((t >> shift) & 0xFF) * a + ((under >> shift) & 0xFF) * (255 - a) + 127) / 255
                    << shift;
        EXPECT_EQ(BackPixel(x, 0), want) << x;
    }
    device->SetTexture(0, nullptr);
    tex->Release();
}

// Every pixel of a quad over a whole texel rectangle reads texel floor(sx + (k + 0.5) * sw / dw)
// along each side, whatever the float texture coordinates round to, on the sprite path
// (blended) and the general one (not blended), shrunk, stretched, mirrored and clipped.
TEST_F(Device, QuadTexelsFollowTheSourceRectangleExactly) {
    constexpr int kTex = 100, kTarget = 160;
    IDirect3DTexture9 *tex = nullptr, *rt = nullptr;
    ASSERT_EQ(
        device->CreateTexture(kTex, kTex, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &tex, nullptr),
        D3D_OK);
    for (int y = 0; y < kTex; ++y)
        for (int x = 0; x < kTex; ++x) tex->Pixels().SetPixel(x, y, 0xFF000000u | y << 8 | x);
    ASSERT_EQ(D3DXCreateTexture(device, kTarget, kTarget, 1, D3DUSAGE_RENDERTARGET, D3DFMT_X8R8G8B8,
                                D3DPOOL_DEFAULT, &rt),
              D3D_OK);
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(rt->GetSurfaceLevel(0, &level), D3D_OK);
    ASSERT_EQ(device->SetRenderTarget(0, level), D3D_OK);
    device->SetTexture(0, tex);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetStreamSource(0, vb, 0, sizeof(D3DTLVERTEX));
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);

    struct Side {
        int s, sw, d, dw;  // source texel and width (negative: mirrored), pixel and width
    };
    const Side sides[] = {
        {51, 2, 4, 1},    {0, 100, 0, 33},    {3, 97, 7, 64},   {51, 49, 2, 17},
        {7, 13, 1, 5},    {1, 99, 0, 98},     {33, 67, 3, 101}, {25, 50, 9, 3},
        {0, 3, 0, 160},   {10, 3, 5, 7},      {0, 100, 0, 128}, {99, 1, 11, 9},
        {60, -40, 2, 13}, {100, -100, 0, 71}, {17, 29, -6, 23}, {49, 51, 100, 77},
    };
    auto expected = [](const Side& side, int k) {
        const long double step = static_cast<long double>(2 * k + 1) * side.sw / (2.0L * side.dw);
        return static_cast<int>(std::floor(side.s + step));
    };
    for (const bool blend : {true, false}) {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, blend ? 1 : 0);
        for (const Side& h : sides) {
            for (const Side& v : sides) {
                device->Clear(0, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0);
                void* data = nullptr;
                ASSERT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
                // As the batches write them: pixel edges at n - 0.5, texel positions / size.
                const float l = h.d - 0.5f, r = h.d + h.dw - 0.5f;
                const float t = v.d - 0.5f, b = v.d + v.dw - 0.5f;
                const float u0 = static_cast<float>(h.s) / kTex;
                const float u1 = static_cast<float>(h.s + h.sw) / kTex;
                const float v0 = static_cast<float>(v.s) / kTex;
                const float v1 = static_cast<float>(v.s + v.sw) / kTex;
                const D3DTLVERTEX q[4] = {{l, t, 0, 1, 0xFFFFFFFF, u0, v0},
                                          {l, b, 0, 1, 0xFFFFFFFF, u0, v1},
                                          {r, t, 0, 1, 0xFFFFFFFF, u1, v0},
                                          {r, b, 0, 1, 0xFFFFFFFF, u1, v1}};
                std::memcpy(data, q, sizeof q);
                vb->Unlock();
                ASSERT_EQ(device->BeginScene(), D3D_OK);
                ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
                device->EndScene();
                int wrong = 0;
                for (int ky = std::max(0, -v.d); ky < v.dw && v.d + ky < kTarget; ++ky) {
                    for (int kx = std::max(0, -h.d); kx < h.dw && h.d + kx < kTarget; ++kx) {
                        const std::uint32_t want =
                            0xFF000000u | expected(v, ky) << 8 | expected(h, kx);
                        const std::uint32_t got = rt->Pixels().Pixel(h.d + kx, v.d + ky);
                        if (got != want && wrong++ < 3)
                            ADD_FAILURE() << "blend " << blend << " side (" << h.s << ',' << h.sw
                                          << ',' << h.dw << ") x (" << v.s << ',' << v.sw << ','
                                          << v.dw << ") pixel " << kx << ',' << ky << ": "
                                          << std::hex << got << " != " << want;
                    }
                }
            }
        }
    }
    // The case a review found one texel short: texel 51 of 100, two texels into one pixel.
    const Side shrink{51, 2, 4, 1};
    EXPECT_EQ(expected(shrink, 0), 52);
    device->SetRenderTarget(0, back);
    device->SetTexture(0, nullptr);
    level->Release();
    rt->Release();
    tex->Release();
}

// The sprite quads take loops of their own for rows that are wholly opaque, wholly
// transparent, keyed or mixed, for a clear still to be made under them, for textures whose
// alpha changed since they were last drawn and for a texture drawn onto itself, built for
// two instruction sets. Each must give exactly the pixels of the general path, reached here
// by the same operations written another way (the texture's alpha as argument 2, which the
// sprite loops do not take).
class SpriteRows : public Device {
protected:
    struct Formats {
        D3DFORMAT texture, target;
    };
    static constexpr int kTexH = 8, kW = 48, kH = 18;

    void Make(const Formats& f, int width) {
        Free();
        texW = width;
        texH = kTexH;
        ASSERT_EQ(
            device->CreateTexture(texW, texH, 1, 0, f.texture, D3DPOOL_MANAGED, &tex, nullptr),
            D3D_OK);
        for (IDirect3DTexture9** rt : {&fast, &general}) {
            ASSERT_EQ(device->CreateTexture(kW, kH, 1, D3DUSAGE_RENDERTARGET, f.target,
                                            D3DPOOL_DEFAULT, rt, nullptr),
                      D3D_OK);
        }
        ASSERT_EQ(fast->GetSurfaceLevel(0, &fastLevel), D3D_OK);
        ASSERT_EQ(general->GetSurfaceLevel(0, &generalLevel), D3D_OK);
        device->SetTexture(0, tex);
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
        device->SetStreamSource(0, vb, 0, sizeof(D3DTLVERTEX));
        device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    }
    void Free() {
        device->SetRenderTarget(0, back);
        device->SetTexture(0, nullptr);
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
    void TearDown() override {
        Free();
        Device::TearDown();
    }
    // Texel rows, repeating every 8: opaque; transparent but for one texel; keyed; opaque but
    // for one transparent texel and one in between; random ones (alphas between 0 and 255
    // only where the format has them). The single texels sit at different places of a run.
    static void PaintTexels(SoftSurface& s, std::uint32_t seed) {
        const bool wide = s.Format() == D3DFMT_A8R8G8B8;
        for (int y = 0; y < s.Height(); ++y) {
            for (int x = 0; x < s.Width(); ++x) {
                seed = seed * 1103515245u + 12345u;
                const std::uint32_t rgb = seed >> 8 & 0x00FFFFFFu;
                std::uint32_t a;
                switch (y % 8) {
                    case 0:
                        a = 255;
                        break;
                    case 1:
                        a = x == 27 ? 255 : 0;
                        break;
                    case 2:
                        a = (x / 3) % 2 ? 255 : 0;
                        break;
                    case 3:
                        a = x == 21 ? 0 : x == 30 ? 0x80 : 255;
                        break;
                    default: {
                        const std::uint32_t pick = seed % 7;
                        a = pick < 3 ? 0 : pick < 6 ? 255 : (seed >> 3) % 254 + 1;
                    }
                }
                if (!wide) a = a >= 128 ? 255 : 0;
                s.SetPixel(x, y, ArgbToPixel(s.Format(), a << 24 | rgb));
            }
        }
    }
    void PaintTargets(std::uint32_t seed) {
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                seed = seed * 1103515245u + 12345u;
                // Any bytes, the unused byte of X8R8G8B8 included.
                const std::uint32_t v = seed ^ seed >> 16;
                const int bytes = fast->Pixels().BytesPerPixel();
                const std::uint32_t pixel = bytes == 2 ? v & 0xFFFF : v;
                fast->Pixels().SetPixel(x, y, pixel);
                general->Pixels().SetPixel(x, y, pixel);
            }
        }
    }
    struct Quad {
        int x, y, w, dh;  // onto pixels [x, x + w) x [y, y + dh)
        int sx, sy, h;    // from texels [sx, sx + w) x [sy, sy + h), or mirrored across
        bool mirrored;
    };
    struct Alpha {
        D3DCOLOR diffuse;
        bool vertex;  // the vertex alpha instead of the texel's
    };
    // The quad on both targets, each after a clear of exactly its rectangle when `clear`;
    // a texture of texW x texH texels, or each target drawn onto itself.
    void Draw(const Quad& d, const Alpha& alpha, bool clear, bool selfDraw) {
        const float l = d.x - 0.5f, t = d.y - 0.5f, r = d.x + d.w - 0.5f, b = d.y + d.dh - 0.5f;
        float u0 = static_cast<float>(d.sx) / texW, u1 = static_cast<float>(d.sx + d.w) / texW;
        if (d.mirrored) std::swap(u0, u1);
        const float v0 = static_cast<float>(d.sy) / texH,
                    v1 = static_cast<float>(d.sy + d.h) / texH;
        const D3DCOLOR c = alpha.diffuse;
        const D3DTLVERTEX q[4] = {{l, t, 0, 1, c, u0, v0},
                                  {l, b, 0, 1, c, u0, v1},
                                  {r, t, 0, 1, c, u1, v0},
                                  {r, b, 0, 1, c, u1, v1}};
        for (const bool viaGeneral : {false, true}) {
            void* data = nullptr;
            ASSERT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
            std::memcpy(data, q, sizeof q);
            vb->Unlock();
            device->SetRenderTarget(0, viaGeneral ? generalLevel : fastLevel);
            if (selfDraw) device->SetTexture(0, viaGeneral ? general : fast);
            if (clear) {
                const RECT rect{d.x, d.y, d.x + d.w, d.y + d.dh};
                device->Clear(1, &rect, D3DCLEAR_TARGET, 0x00C08040u, 1.0f, 0);
            }
            device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
            device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
            device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
            if (viaGeneral) {
                device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
                device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TFACTOR);
                device->SetTextureStageState(0, D3DTSS_ALPHAARG2,
                                             alpha.vertex ? D3DTA_DIFFUSE : D3DTA_TEXTURE);
            } else {
                device->SetTextureStageState(0, D3DTSS_ALPHAOP,
                                             alpha.vertex ? D3DTOP_DISABLE : D3DTOP_SELECTARG1);
                device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
            }
            ASSERT_EQ(device->BeginScene(), D3D_OK);
            ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
            device->EndScene();
        }
    }
    // The number of pixels where the two targets differ (the first few reported).
    int Differences(const char* what) {
        int wrong = 0;
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                const std::uint32_t a = fast->Pixels().Pixel(x, y);
                const std::uint32_t b = general->Pixels().Pixel(x, y);
                if (a != b && wrong++ < 3)
                    ADD_FAILURE() << what << " pixel " << x << ',' << y << ": " << std::hex << a
                                  << " != " << b;
            }
        }
        return wrong;
    }

    static constexpr Alpha kAlphas[] = {
        {0xFFFFFFFF, false}, {0xFFFFFFFF, true}, {0x00FFFFFF, true}, {0x80FFFFFF, true}};
    int texW = 0, texH = 0;
    IDirect3DTexture9 *tex = nullptr, *fast = nullptr, *general = nullptr;
    IDirect3DSurface9 *fastLevel = nullptr, *generalLevel = nullptr;
};

TEST_F(SpriteRows, EveryKindOfRowGivesThePixelsOfTheGeneralPath) {
    const Formats formats[] = {{D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8},
                               {D3DFMT_A8R8G8B8, D3DFMT_A8R8G8B8},
                               {D3DFMT_A1R5G5B5, D3DFMT_R5G6B5},
                               {D3DFMT_A1R5G5B5, D3DFMT_A1R5G5B5}};
    struct Case {
        int x, y, w, sx;
        bool mirrored;
    };
    // Widths around the vector lengths, texel runs entered at and off their edges, quads
    // cut by each edge of the target, mirrored, and reaching past the texture's right edge
    // (wrapping; on the texture 37 texels wide many do; the last reads its short last run).
    const Case cases[] = {{0, 1, 1, 0, false},    {3, 1, 7, 5, false},   {0, 1, 8, 16, false},
                          {5, 1, 9, 17, false},   {2, 1, 16, 15, false}, {1, 1, 17, 0, false},
                          {0, 1, 31, 33, false},  {7, 1, 33, 3, false},  {0, 1, 40, 24, false},
                          {30, 1, 30, 10, false}, {47, 1, 5, 59, false}, {-5, 1, 20, 3, false},
                          {-5, 1, 40, 0, false},  {4, -3, 24, 8, false}, {-2, -5, 17, 1, false},
                          {2, 1, 30, 10, true},   {-3, 1, 19, 0, true},  {3, 1, 40, 40, false},
                          {1, 1, 33, 50, false},  {0, 1, 5, 32, false}};
    for (const bool baseline : {false, true}) {
        UseBaselineLoops(baseline);
        for (const Formats& f : formats) {
            for (const int width : {64, 37}) {
                SCOPED_TRACE(testing::Message()
                             << "baseline " << baseline << " formats " << f.texture << " onto "
                             << f.target << " texture width " << width);
                Make(f, width);
                for (int round = 0; round < 4; ++round) {
                    // The later rounds change the texels after the one before has drawn them:
                    // the summary of their alpha must follow. The third leaves every texel
                    // opaque or transparent (a keyed sheet, whose quads need no look at their
                    // runs), the fourth one texel between again.
                    if (round == 0) {
                        PaintTexels(tex->Pixels(), 7);
                    } else {
                        D3DLOCKED_RECT locked;
                        ASSERT_EQ(tex->LockRect(0, &locked, nullptr, 0), D3D_OK);
                        auto* bytes = static_cast<std::uint8_t*>(locked.pBits);
                        const bool wide = f.texture == D3DFMT_A8R8G8B8;
                        const int size = wide ? 4 : 2, high = wide ? 3 : 1;
                        const std::uint8_t bit = wide ? 0xFF : 0x80;
                        auto alpha = [&](int x, int y) -> std::uint8_t& {
                            return bytes[y * locked.Pitch + x * size + high];
                        };
                        if (round == 1) {
                            // Rows 0 and 1 swap their alpha; row 2 gets one transparent texel.
                            for (int x = 0; x < texW; ++x) {
                                alpha(x, 0) = static_cast<std::uint8_t>(alpha(x, 0) & ~bit);
                                alpha(x, 1) = static_cast<std::uint8_t>(alpha(x, 1) | bit);
                            }
                            alpha(9, 2) = 0;
                        } else if (round == 2 && wide) {
                            for (int y = 0; y < texH; ++y)
                                for (int x = 0; x < texW; ++x)
                                    alpha(x, y) = alpha(x, y) >= 0x80 ? 0xFF : 0;
                        } else if (wide) {
                            alpha(texW - 2, 5) = 0x80;
                        }
                        ASSERT_EQ(tex->UnlockRect(0), D3D_OK);
                    }
                    for (const Alpha& a : kAlphas) {
                        for (const bool clear : {false, true}) {
                            for (const Case& c : cases) {
                                PaintTargets(static_cast<std::uint32_t>(c.x * 31 + c.w));
                                // Every texel row once, and below it four rows stretched to
                                // twice their height.
                                Draw({c.x, c.y, c.w, kTexH, c.sx, 0, kTexH, c.mirrored}, a, clear,
                                     false);
                                Draw({c.x, 10, c.w, 2 * 4, c.sx, 0, 4, c.mirrored}, a, clear,
                                     false);
                                if (Differences("quad") != 0) {
                                    ADD_FAILURE()
                                        << "round " << round << " diffuse " << std::hex << a.diffuse
                                        << " vertex alpha " << a.vertex << " clear " << clear
                                        << std::dec << " x " << c.x << " y " << c.y << " w " << c.w
                                        << " sx " << c.sx << " mirrored " << c.mirrored;
                                    return;
                                }
                            }
                        }
                    }
                }
            }
        }
    }
}

// A texture drawn onto itself, moved a little: where the quad overlaps the texels it reads,
// each pixel reads texels that pixels before it may already have changed, exactly as the
// general path reads them one by one.
TEST_F(SpriteRows, ATextureDrawnOntoItselfReadsAsTheGeneralPathDoes) {
    struct Shift {
        int dx, dy;
    };
    const Shift shifts[] = {{1, 0}, {5, 0}, {15, 0}, {17, 0}, {-1, 0}, {0, 1}, {3, 2}};
    for (const bool baseline : {false, true}) {
        UseBaselineLoops(baseline);
        for (const D3DFORMAT format : {D3DFMT_A8R8G8B8, D3DFMT_A1R5G5B5}) {
            SCOPED_TRACE(testing::Message() << "baseline " << baseline << " format " << format);
            Make({format, format}, 8);
            texW = kW;
            texH = kH;
            for (const Alpha& a : kAlphas) {
                for (const bool clear : {false, true}) {
                    for (const Shift& s : shifts) {
                        PaintTexels(fast->Pixels(), 11);
                        PaintTexels(general->Pixels(), 11);
                        const int x = std::max(0, s.dx), sx = std::max(0, -s.dx);
                        const int w = kW - std::abs(s.dx), h = kH - s.dy;
                        Draw({x, s.dy, w, h, sx, 0, h, false}, a, clear, true);
                        if (Differences("self") != 0) {
                            ADD_FAILURE() << "diffuse " << std::hex << a.diffuse << " vertex alpha "
                                          << a.vertex << " clear " << clear << std::dec << " shift "
                                          << s.dx << ',' << s.dy;
                            return;
                        }
                    }
                }
            }
        }
    }
}

// A clear of one rectangle is left for a quad that covers exactly that rectangle to take
// over; anything else that uses the pixels first sees them cleared, and what it draws
// itself lands on top of the clear.
TEST_F(Device, AClearLeftForAQuadIsMadeForEveryOtherUse) {
    constexpr int kW = 8, kH = 6;
    constexpr std::uint32_t kOld = 0xFF0000FFu, kCleared = 0xFF102030u, kOther = 0xFF00FF00u;
    const RECT cleared{1, 1, 5, 4};
    auto makeTarget = [&](IDirect3DTexture9** texture, IDirect3DSurface9** level) {
        ASSERT_EQ(device->CreateTexture(kW, kH, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                        D3DPOOL_DEFAULT, texture, nullptr),
                  D3D_OK);
        ASSERT_EQ((*texture)->GetSurfaceLevel(0, level), D3D_OK);
    };
    IDirect3DTexture9 *target = nullptr, *other = nullptr, *copy = nullptr;
    IDirect3DSurface9 *targetLevel = nullptr, *otherLevel = nullptr, *copyLevel = nullptr,
                      *sys = nullptr;
    makeTarget(&target, &targetLevel);
    makeTarget(&other, &otherLevel);
    makeTarget(&copy, &copyLevel);
    ASSERT_EQ(device->CreateOffscreenPlainSurface(kW, kH, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &sys,
                                                  nullptr),
              D3D_OK);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetStreamSource(0, vb, 0, sizeof(D3DTLVERTEX));
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    // The texels `from` of a texture of kW x kH onto the rectangle `at` of the render target.
    auto draw = [&](IDirect3DTexture9* texture, const RECT& at, const RECT& from) {
        device->SetTexture(0, texture);
        const float l = at.left - 0.5f, t = at.top - 0.5f, r = at.right - 0.5f,
                    b = at.bottom - 0.5f;
        const float u0 = static_cast<float>(from.left) / kW,
                    u1 = static_cast<float>(from.right) / kW;
        const float v0 = static_cast<float>(from.top) / kH,
                    v1 = static_cast<float>(from.bottom) / kH;
        const D3DTLVERTEX q[4] = {{l, t, 0, 1, 0xFFFFFFFF, u0, v0},
                                  {l, b, 0, 1, 0xFFFFFFFF, u0, v1},
                                  {r, t, 0, 1, 0xFFFFFFFF, u1, v0},
                                  {r, b, 0, 1, 0xFFFFFFFF, u1, v1}};
        void* data = nullptr;
        ASSERT_EQ(vb->Lock(0, 0, &data, 0), D3D_OK);
        std::memcpy(data, q, sizeof q);
        vb->Unlock();
        ASSERT_EQ(device->BeginScene(), D3D_OK);
        ASSERT_EQ(device->DrawPrimitive(D3DPT_TRIANGLESTRIP, 0, 2), D3D_OK);
        device->EndScene();
    };
    auto pixelsOf = [&](SoftSurface& s) {
        std::vector<std::uint32_t> pixels;
        for (int y = 0; y < kH; ++y)
            for (int x = 0; x < kW; ++x) pixels.push_back(s.Pixel(x, y));
        return pixels;
    };
    const RECT part{3, 2, 7, 5}, inside{2, 2, 3, 3}, around{0, 0, 6, 5}, none{};
    // The cleared rectangle's texels one row down: its last row reads the row below it.
    const RECT below{1, 2, 5, 5}, lastRow{1, 3, 5, 4};
    struct Reader {
        const char* name;
        bool onBackBuffer;  // the back buffer is cleared, else `target`
        RECT drawn;         // where the reader itself puts `colour` over the target
        std::uint32_t colour;
        // Uses the target after the clear; the pixels of the target it saw.
        std::function<std::vector<std::uint32_t>()> read;
    };
    const Reader readers[] = {
        {"Present", true, none, 0,
         [&] {
             EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
             std::vector<std::uint32_t> argb;
             int w = 0, h = 0;
             EXPECT_TRUE(LatestFrame(argb, w, h));
             EXPECT_EQ(w, kW);
             EXPECT_EQ(h, kH);
             return argb;
         }},
        {"LockRect", true, none, 0,
         [&] {
             D3DLOCKED_RECT locked;
             EXPECT_EQ(back->LockRect(&locked, nullptr, 0), D3D_OK);
             std::vector<std::uint32_t> pixels;
             for (int y = 0; y < kH; ++y)
                 for (int x = 0; x < kW; ++x)
                     pixels.push_back(reinterpret_cast<const std::uint32_t*>(
                         static_cast<const std::uint8_t*>(locked.pBits) + y * locked.Pitch)[x]);
             back->UnlockRect();
             return pixels;
         }},
        {"GetRenderTargetData", false, none, 0,
         [&] {
             EXPECT_EQ(device->GetRenderTargetData(targetLevel, sys), D3D_OK);
             return pixelsOf(sys->Pixels());
         }},
        {"StretchRect from it", false, none, 0,
         [&] {
             EXPECT_EQ(device->StretchRect(targetLevel, nullptr, copyLevel, nullptr, 0), D3D_OK);
             return pixelsOf(copy->Pixels());
         }},
        {"StretchRect onto it", false, part, kOther,
         [&] {
             EXPECT_EQ(device->StretchRect(otherLevel, &part, targetLevel, &part, 0), D3D_OK);
             return pixelsOf(target->Pixels());
         }},
        {"drawn as a texture", false, none, 0,
         [&] {
             device->SetRenderTarget(0, copyLevel);
             draw(target, RECT{0, 0, kW, kH}, RECT{0, 0, kW, kH});
             return pixelsOf(copy->Pixels());
         }},
        // Over exactly the cleared rectangle: each row reads the row below, cleared (but for
        // the last one) before the quad begins.
        {"drawn onto itself", false, lastRow, kOld,
         [&] {
             draw(target, cleared, below);
             return pixelsOf(target->Pixels());
         }},
        {"a quad over part of it", false, part, kOther,
         [&] {
             draw(other, part, part);
             return pixelsOf(target->Pixels());
         }},
        {"a quad over exactly it", false, cleared, kOther,
         [&] {
             draw(other, cleared, cleared);
             return pixelsOf(target->Pixels());
         }},
        {"a clear inside it", false, inside, kOther,
         [&] {
             device->Clear(1, &inside, D3DCLEAR_TARGET, kOther, 1.0f, 0);
             return pixelsOf(target->Pixels());
         }},
        {"a clear around it", false, around, kOther,
         [&] {
             device->Clear(1, &around, D3DCLEAR_TARGET, kOther, 1.0f, 0);
             return pixelsOf(target->Pixels());
         }},
    };
    auto within = [](const RECT& r, int x, int y) {
        return x >= r.left && x < r.right && y >= r.top && y < r.bottom;
    };
    for (const Reader& reader : readers) {
        SCOPED_TRACE(reader.name);
        SoftSurface& pixels = reader.onBackBuffer ? back->Pixels() : target->Pixels();
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                pixels.SetPixel(x, y, kOld);
                other->Pixels().SetPixel(x, y, kOther);
            }
        }
        device->SetRenderTarget(0, reader.onBackBuffer ? back : targetLevel);
        ASSERT_EQ(device->Clear(1, &cleared, D3DCLEAR_TARGET, kCleared, 1.0f, 0), D3D_OK);
        const std::vector<std::uint32_t> seen = reader.read();
        ASSERT_EQ(seen.size(), static_cast<std::size_t>(kW * kH));
        for (int y = 0; y < kH; ++y) {
            for (int x = 0; x < kW; ++x) {
                const std::uint32_t want = within(reader.drawn, x, y) ? reader.colour
                                           : within(cleared, x, y)    ? kCleared
                                                                      : kOld;
                EXPECT_EQ(seen[static_cast<std::size_t>(y * kW + x)], want) << x << ',' << y;
            }
        }
    }
    device->SetRenderTarget(0, back);
    device->SetTexture(0, nullptr);
    for (IDirect3DSurface9* s : {targetLevel, otherLevel, copyLevel, sys}) s->Release();
    for (IDirect3DTexture9* t : {target, other, copy}) t->Release();
}

TEST_F(Device, LostDeviceResetsOnlyWithoutVideoMemory) {
    IDirect3DTexture9 *rt = nullptr, *managed = nullptr;
    ASSERT_EQ(device->CreateTexture(4, 4, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                    D3DPOOL_DEFAULT, &rt, nullptr),
              D3D_OK);
    ASSERT_EQ(
        device->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &managed, nullptr),
        D3D_OK);
    managed->Pixels().SetPixel(1, 1, 0x12345678);
    EXPECT_EQ(device->DefaultPoolResources(), 2);  // the texture and the back buffer reference
    device->SimulateDeviceLoss();
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_EQ(device->Reset(&params), D3DERR_DEVICELOST);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device->Reset(&params), D3DERR_INVALIDCALL);
    rt->Release();
    EXPECT_EQ(device->Reset(&params), D3DERR_INVALIDCALL);
    back->Release();
    back = nullptr;
    EXPECT_EQ(device->Reset(&params), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(managed->Pixels().Pixel(1, 1), 0x12345678u);
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    managed->Release();
}

TEST_F(Device, LoseDeviceSeamLosesItAtItsFrame) {
    Seams seams = GetSeams();
    seams.loseDeviceFrame = 2;
    SetSeams(seams);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    EXPECT_TRUE(device->IsLost());
    EXPECT_EQ(FrameCount(), 2u);
}

TEST_F(Device, StageOperations) {
    struct Case {
        DWORD op;
        std::uint32_t a, b, out;  // one channel
    };
    const Case cases[] = {
        {D3DTOP_SELECTARG1, 200, 50, 200}, {D3DTOP_SELECTARG2, 200, 50, 50},
        {D3DTOP_MODULATE, 200, 128, 100},  {D3DTOP_MODULATE2X, 200, 128, 201},
        {D3DTOP_ADD, 200, 100, 255},       {D3DTOP_SUBTRACT, 50, 100, 0},
        {D3DTOP_ADDSIGNED, 200, 100, 172}, {D3DTOP_BLENDFACTORALPHA, 200, 100, 150},
    };
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    device->SetTexture(0, nullptr);
    for (const Case& c : cases) {
        // arg1 = the factor's green, arg2 = the diffuse green; the factor's alpha is 128.
        device->SetRenderState(D3DRS_TEXTUREFACTOR, 0x80000000u | c.a << 8);
        device->SetTextureStageState(0, D3DTSS_COLOROP, c.op);
        device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG2);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        Quad(0, 0, 1, 1, 0, 0, 0xFF000000u | c.b << 8);
        EXPECT_EQ((BackPixel(0, 0) >> 8) & 0xFF, c.out) << c.op;
    }
}

}  // namespace

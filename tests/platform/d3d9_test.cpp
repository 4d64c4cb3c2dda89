// The Direct3D-9-like personality: the rules the drawing layer relies on (locks, scenes,
// render targets), quads through the stage-0 operations and the blend, and device loss.
#include "platform/d3d9.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/frame.h"
#include "platform/presenter.h"
#include "platform/seams.h"

namespace {

using namespace plat;

class Device : public ::testing::Test {
protected:
    void SetUp() override {
        saved = GetSeams();
        Seams seams;
        seams.headless = true;
        SetSeams(seams);
        ResetFrames();
        d3d = Direct3DCreate9(D3D_SDK_VERSION);
        ASSERT_NE(d3d, nullptr);
        D3DPRESENT_PARAMETERS pp;
        pp.Windowed = 1;
        pp.BackBufferWidth = 8;
        pp.BackBufferHeight = 6;
        pp.BackBufferFormat = D3DFMT_X8R8G8B8;
        pp.Flags = D3DPRESENTFLAG_LOCKABLE_BACKBUFFER;
        pp.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
        params = pp;
        ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                    &pp, &device),
                  D3D_OK);
        ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &back), D3D_OK);
        ASSERT_EQ(device->CreateVertexBuffer(4 * sizeof(D3DTLVERTEX), D3DUSAGE_WRITEONLY,
                                             D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1,
                                             D3DPOOL_MANAGED, &vb, nullptr),
                  D3D_OK);
        base = LiveDeviceObjects();
    }
    void TearDown() override {
        if (back) back->Release();
        vb->Release();
        device->Release();
        d3d->Release();
        SetSeams(saved);
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

    Seams saved;
    IDirect3D9* d3d = nullptr;
    IDirect3DDevice9* device = nullptr;
    IDirect3DSurface9* back = nullptr;
    IDirect3DVertexBuffer9* vb = nullptr;
    D3DPRESENT_PARAMETERS params;
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

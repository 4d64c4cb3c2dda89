// The DirectDraw-7-like personality: fills and blits with the rectangle rules the drawing
// layer relies on, locks, palettes, the flip that presents, surface loss, reference
// counting that shows a forgotten surface, the window's repaint that is no present, and
// surfaces made without asking the window thread.
#include "platform/ddraw.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/display_window.h"
#include "platform/frame.h"
#include "platform/platform_state.h"
#include "platform/presenter.h"
#include "platform/seams.h"
#include "platform/threads.h"

namespace {

using namespace plat;

class DirectDraw : public ::testing::Test {
protected:
    void SetUp() override {
        saved = GetSeams();
        Seams seams;
        seams.headless = true;
        SetSeams(seams);
        ResetPlatformState();
        ASSERT_EQ(DirectDrawCreateEx(nullptr, &dd), DD_OK);
        ASSERT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE), DD_OK);
    }
    void TearDown() override {
        for (auto* s : surfaces) s->Release();
        EXPECT_EQ(dd->Release(), 0u);
        SetSeams(saved);
    }
    IDirectDrawSurface7* Offscreen(int w, int h, bool system = false) {
        DDSURFACEDESC2 desc;
        desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
        desc.dwWidth = static_cast<DWORD>(w);
        desc.dwHeight = static_cast<DWORD>(h);
        desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | (system ? DDSCAPS_SYSTEMMEMORY : 0);
        IDirectDrawSurface7* s = nullptr;
        EXPECT_EQ(dd->CreateSurface(&desc, &s, nullptr), DD_OK);
        if (s) surfaces.push_back(s);
        return s;
    }
    HRESULT Fill(IDirectDrawSurface7* s, RECT r, DWORD value) {
        DDBLTFX fx;
        fx.dwFillColor = value;
        return s->Blt(&r, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    }

    Seams saved;
    IDirectDraw7* dd = nullptr;
    std::vector<IDirectDrawSurface7*> surfaces;
};

TEST_F(DirectDraw, FillsOnlyRectanglesInsideTheSurface) {
    ASSERT_EQ(dd->SetDisplayMode(16, 8, 16, 0, 0), DD_OK);
    IDirectDrawSurface7* s = Offscreen(8, 4);
    EXPECT_EQ(Fill(s, RECT{0, 0, 8, 4}, 0x12345678), DD_OK);
    EXPECT_EQ(s->Pixels().Pixel(7, 3), 0x5678u);  // the value cut to the pixel
    // What the original handed over for a fill starting left of the surface is refused.
    EXPECT_EQ(Fill(s, RECT{-5, 0, 15, 1}, 1), DDERR_INVALIDRECT);
    EXPECT_EQ(Fill(s, RECT{0, 0, 9, 1}, 1), DDERR_INVALIDRECT);
    EXPECT_EQ(Fill(s, RECT{2, 0, 2, 1}, 1), DDERR_INVALIDRECT);
    EXPECT_EQ(s->Pixels().Pixel(0, 0), 0x5678u);
}

TEST_F(DirectDraw, BlitsWithKeyStretchAndPlacement) {
    ASSERT_EQ(dd->SetDisplayMode(16, 8, 8, 0, 0), DD_OK);
    IDirectDrawSurface7* src = Offscreen(4, 1);
    IDirectDrawSurface7* dst = Offscreen(8, 2);
    for (int x = 0; x < 4; ++x) src->Pixels().SetPixel(x, 0, 10 + x);
    DDCOLORKEY key{11, 11};
    ASSERT_EQ(src->SetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    Fill(dst, RECT{0, 0, 8, 2}, 99);
    RECT part{0, 0, 4, 1};
    EXPECT_EQ(dst->BltFast(4, 1, src, &part, DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT), DD_OK);
    EXPECT_EQ(dst->Pixels().Pixel(4, 1), 10u);
    EXPECT_EQ(dst->Pixels().Pixel(5, 1), 99u);  // the key
    EXPECT_EQ(dst->BltFast(5, 1, src, &part, 0), DDERR_INVALIDRECT);
    RECT wide{0, 0, 8, 1};
    EXPECT_EQ(dst->Blt(&wide, src, nullptr, DDBLT_WAIT, nullptr), DD_OK);
    EXPECT_EQ(dst->Pixels().Pixel(2, 0), 11u);
    EXPECT_EQ(dst->Pixels().Pixel(3, 0), 11u);
    EXPECT_EQ(dst->Pixels().Pixel(7, 0), 13u);
    IDirectDrawSurface7* plain = Offscreen(2, 2);
    EXPECT_EQ(dst->Blt(&wide, plain, nullptr, DDBLT_KEYSRC, nullptr), DDERR_NOCOLORKEY);
}

TEST_F(DirectDraw, LocksAreExclusive) {
    ASSERT_EQ(dd->SetDisplayMode(16, 8, 32, 0, 0), DD_OK);
    IDirectDrawSurface7* s = Offscreen(3, 2);
    DDSURFACEDESC2 desc;
    ASSERT_EQ(s->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(desc.lpSurface, s->Pixels().Bits());
    EXPECT_EQ(desc.lPitch, 12);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 32u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, 0x00FF0000u);
    EXPECT_EQ(s->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(Fill(s, RECT{0, 0, 1, 1}, 1), DDERR_SURFACEBUSY);
    EXPECT_EQ(s->Unlock(nullptr), DD_OK);
    EXPECT_EQ(s->Unlock(nullptr), DDERR_NOTLOCKED);
    RECT inner{1, 1, 3, 2};
    ASSERT_EQ(s->Lock(&inner, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    EXPECT_EQ(desc.lpSurface, s->Pixels().Row(1) + 4);
    s->Unlock(nullptr);
}

TEST_F(DirectDraw, PaletteRangesStayInsideTheTable) {
    PALETTEENTRY entries[256] = {};
    IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr),
              DD_OK);
    PALETTEENTRY many[40];
    for (int i = 0; i < 40; ++i) many[i] = PALETTEENTRY{static_cast<BYTE>(i + 1), 0, 0, 0};
    EXPECT_EQ(palette->SetEntries(0, 250, 40, many), DD_OK);
    EXPECT_EQ(palette->Entries()[255].peRed, 6);
    EXPECT_EQ(palette->Entries()[249].peRed, 0);
    EXPECT_EQ(palette->SetEntries(0, 300, 1, many), DD_OK);
    PALETTEENTRY out[4];
    EXPECT_EQ(palette->GetEntries(0, 254, 4, out), DD_OK);
    EXPECT_EQ(out[1].peRed, 6);
    palette->Release();
}

TEST_F(DirectDraw, FlipPresentsEightBitsThroughThePaletteOfThatMoment) {
    ASSERT_EQ(dd->SetDisplayMode(4, 2, 8, 60, 0), DD_OK);
    EXPECT_EQ(dd->SetDisplayMode(4, 2, 8, 75, 0), DDERR_INVALIDMODE);
    DDSURFACEDESC2 desc;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    IDirectDrawSurface7 *primary = nullptr, *back = nullptr;
    ASSERT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
    EXPECT_EQ(dd->CreateSurface(&desc, &back, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
    DDSCAPS2 caps;
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    PALETTEENTRY entries[256] = {};
    IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256, entries, &palette, nullptr),
              DD_OK);
    ASSERT_EQ(primary->SetPalette(palette), DD_OK);
    Fill(back, RECT{0, 0, 4, 2}, 3);
    const PALETTEENTRY green{0, 255, 0, 0};
    palette->SetEntries(0, 3, 1, &green);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_NOVSYNC), DD_OK);
    EXPECT_EQ(FrameCount(), 1u);
    std::vector<std::uint32_t> frame;
    int w = 0, h = 0;
    ASSERT_TRUE(LatestFrame(frame, w, h));
    EXPECT_EQ(w, 4);
    EXPECT_EQ(frame[5], 0xFF00FF00u);
    // The back buffer keeps what was drawn.
    EXPECT_EQ(back->Pixels().Pixel(1, 1), 3u);
    EXPECT_EQ(back->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
    palette->Release();
    back->Release();
    primary->Release();
}

TEST_F(DirectDraw, LostSurfacesComeBackEmptyFromVideoMemoryOnly) {
    ASSERT_EQ(dd->SetDisplayMode(16, 8, 16, 0, 0), DD_OK);
    IDirectDrawSurface7* video = Offscreen(2, 2);
    IDirectDrawSurface7* system = Offscreen(2, 2, true);
    Fill(video, RECT{0, 0, 2, 2}, 0x1234);
    Fill(system, RECT{0, 0, 2, 2}, 0x1234);
    dd->SimulateSurfaceLoss();
    EXPECT_EQ(video->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(system->IsLost(), DDERR_SURFACELOST);
    DDSURFACEDESC2 desc;
    EXPECT_EQ(video->Lock(nullptr, &desc, 0, nullptr), DDERR_SURFACELOST);
    EXPECT_EQ(Fill(video, RECT{0, 0, 1, 1}, 1), DDERR_SURFACELOST);
    EXPECT_EQ(video->Restore(), DD_OK);
    EXPECT_EQ(system->Restore(), DD_OK);
    EXPECT_EQ(video->IsLost(), DD_OK);
    EXPECT_EQ(video->Pixels().Pixel(1, 1), 0u);
    EXPECT_EQ(system->Pixels().Pixel(1, 1), 0x1234u);
}

TEST_F(DirectDraw, LoseDeviceSeamLosesTheSurfacesAtItsFrame) {
    Seams seams = GetSeams();
    seams.loseDeviceFrame = 1;
    SetSeams(seams);
    ASSERT_EQ(dd->SetDisplayMode(4, 2, 32, 0, 0), DD_OK);
    DDSURFACEDESC2 desc;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 2;
    IDirectDrawSurface7* primary = nullptr;
    ASSERT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
    IDirectDrawSurface7* other = Offscreen(2, 2, true);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_NOVSYNC), DDERR_SURFACELOST);
    EXPECT_EQ(FrameCount(), 1u);
    EXPECT_EQ(primary->IsLost(), DDERR_SURFACELOST);
    EXPECT_EQ(other->IsLost(), DDERR_SURFACELOST);
    primary->Restore();
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_NOVSYNC), DDERR_SURFACELOST);  // its back buffer
    primary->Release();
}

TEST_F(DirectDraw, ReleaseCountsTheSurfacesStillAlive) {
    ASSERT_EQ(dd->SetDisplayMode(16, 8, 16, 0, 0), DD_OK);
    IDirectDrawSurface7* s = Offscreen(2, 2);
    surfaces.clear();
    dd->AddRef();
    EXPECT_EQ(dd->Release(), 2u);  // the creator's reference and the surface's
    s->Release();
}

TEST_F(DirectDraw, ModesNeedExclusiveFullScreen) {
    IDirectDraw7* windowed = nullptr;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, &windowed), DD_OK);
    DDSURFACEDESC2 desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    IDirectDrawSurface7* s = nullptr;
    EXPECT_EQ(windowed->CreateSurface(&desc, &s, nullptr), DDERR_NOCOOPERATIVELEVELSET);
    ASSERT_EQ(windowed->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
    EXPECT_EQ(windowed->SetDisplayMode(640, 480, 16, 0, 0), DDERR_NOEXCLUSIVEMODE);
    EXPECT_EQ(windowed->SetCooperativeLevel(nullptr, DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
    // Outside full screen the surfaces take the desktop's format.
    EXPECT_EQ(windowed->DisplayFormat(), D3DFMT_X8R8G8B8);
    EXPECT_EQ(windowed->Release(), 0u);
}

// A DirectDraw display in a window, set up as the drawing layer does it: the test thread is
// the window thread, and a second thread stands for the game thread.
class WindowedDirectDraw : public ::testing::Test {
protected:
    void SetUp() override {
        saved = GetSeams();
        Seams seams;
        seams.headless = true;
        SetSeams(seams);
        ResetPlatformState();
        hwnd = CreateWindow([](HWND, std::uint32_t, WPARAM, LPARAM) -> LRESULT { return 0; });
        SetMainWindow(hwnd);
        ASSERT_TRUE(OpenDisplayWindow(hwnd, "test", 4, 2));
        ASSERT_EQ(DirectDrawCreateEx(nullptr, &dd), DD_OK);
        ASSERT_EQ(dd->SetCooperativeLevel(hwnd, DDSCL_NORMAL), DD_OK);
    }
    void TearDown() override {
        for (auto* s : surfaces) s->Release();
        if (dd) {
            EXPECT_EQ(dd->Release(), 0u);
        }
        CloseDisplayWindow();
        DestroyWindow(hwnd);
        ResetPlatformState();
        SetSeams(saved);
    }
    IDirectDrawSurface7* Keep(IDirectDrawSurface7* s) {
        if (s) surfaces.push_back(s);
        return s;
    }
    // Runs `work` on another thread while this (window) thread serves nothing; false when
    // it did not end within two seconds. Afterwards the window thread serves until it ends.
    template <class Work>
    bool RunElsewhere(Work work) {
        struct Job {
            Work work;
            static unsigned Run(void* self) {
                static_cast<Job*>(self)->work();
                return 0;
            }
        } job{work};
        HANDLE thread = BeginThread(&Job::Run, &job, nullptr);
        if (!thread) return false;
        const bool ended = WaitForSingleObject(thread, 2000) == WAIT_OBJECT_0;
        for (int i = 0; i < 500 && WaitForSingleObject(thread, 10) != WAIT_OBJECT_0; ++i) {
            MSG msg;
            while (PeekMessage(&msg, nullptr, true)) DispatchMessage(&msg);
        }
        CloseHandle(thread);
        return ended;
    }

    Seams saved;
    HWND hwnd = nullptr;
    IDirectDraw7* dd = nullptr;
    std::vector<IDirectDrawSurface7*> surfaces;
};

// The window thread's paint blits the back buffer onto the primary while the game thread
// may be drawing into it: that blit shows the last presented frame again, counts no frame
// (the frame count drives the script, the captures and the simulated loss) and does not
// touch the back buffer.
TEST_F(WindowedDirectDraw, BlitOntoThePrimaryOnTheWindowThreadRepaintsTheLastFrame) {
    Seams seams = GetSeams();
    seams.loseDeviceFrame = 2;
    SetSeams(seams);
    DDSURFACEDESC2 desc;
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE;
    IDirectDrawSurface7* primary = nullptr;
    ASSERT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
    Keep(primary);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = 4;
    desc.dwHeight = 2;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface7* back = nullptr;
    ASSERT_EQ(dd->CreateSurface(&desc, &back, nullptr), DD_OK);
    Keep(back);
    IDirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
    ASSERT_EQ(primary->SetClipper(clipper), DD_OK);
    clipper->Release();

    DDBLTFX fx;
    fx.dwFillColor = 0x00112233;
    ASSERT_EQ(back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
    HRESULT presented = DDERR_GENERIC;
    ASSERT_TRUE(RunElsewhere(
        [&] { presented = primary->Blt(nullptr, back, nullptr, DDBLT_WAIT, nullptr); }));
    EXPECT_EQ(presented, DD_OK);
    ASSERT_EQ(FrameCount(), 1u);

    std::uint32_t shown = 0;
    auto sink = [](const std::uint32_t* argb, int w, int h, void* context) {
        EXPECT_EQ(w * h, 8);
        *static_cast<std::uint32_t*>(context) = argb[w * h - 1];
    };
    ASSERT_TRUE(TakeNewFrame(sink, &shown));
    EXPECT_EQ(shown, 0xFF112233u);

    // The game thread is drawing the next frame: the back buffer is locked and half done.
    fx.dwFillColor = 0x00445566;
    ASSERT_EQ(back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL, &fx), DD_OK);
    DDSURFACEDESC2 locked;
    ASSERT_EQ(back->Lock(nullptr, &locked, DDLOCK_WAIT, nullptr), DD_OK);
    RECT all{0, 0, 4, 2};
    fx.dwFillColor = 0x00778899;
    for (int paint = 0; paint < 3; ++paint) {
        SCOPED_TRACE(paint);
        const HRESULT hr = paint == 0   ? primary->Blt(&all, back, nullptr, DDBLT_WAIT, nullptr)
                           : paint == 1 ? primary->BltFast(0, 0, back, nullptr, DDBLTFAST_WAIT)
                                        : primary->Blt(nullptr, nullptr, nullptr,
                                                       DDBLT_COLORFILL | DDBLT_WAIT, &fx);
        EXPECT_EQ(hr, DD_OK);
        shown = 0;
        EXPECT_TRUE(TakeNewFrame(sink, &shown));
        EXPECT_EQ(shown, 0xFF112233u);
        EXPECT_FALSE(TakeNewFrame(sink, &shown));  // each paint shows the frame once
    }
    EXPECT_EQ(FrameCount(), 1u);
    EXPECT_EQ(primary->IsLost(), DD_OK);  // frame 2, the one the seam loses, is still to come
    std::vector<std::uint32_t> latest;
    int w = 0, h = 0;
    ASSERT_TRUE(LatestFrame(latest, w, h));
    EXPECT_EQ(latest[0], 0xFF112233u);
    ASSERT_EQ(back->Unlock(nullptr), DD_OK);

    // The next present from the game thread is frame 2.
    ASSERT_TRUE(RunElsewhere(
        [&] { presented = primary->Blt(nullptr, back, nullptr, DDBLT_WAIT, nullptr); }));
    EXPECT_EQ(presented, DDERR_SURFACELOST);
    EXPECT_EQ(FrameCount(), 2u);
}

// Surfaces outside full screen take the desktop's format, read when the display object was
// made: a surface made on another thread does not wait for the window thread.
TEST_F(WindowedDirectDraw, SurfacesDoNotWaitForTheWindowThread) {
    IDirectDrawSurface7* made[3] = {};
    DDSURFACEDESC2 mode;
    HRESULT modeResult = DDERR_GENERIC;
    EXPECT_TRUE(RunElsewhere([&] {
        for (auto*& s : made) {
            DDSURFACEDESC2 desc;
            desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
            desc.dwWidth = 3;
            desc.dwHeight = 3;
            desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN | DDSCAPS_SYSTEMMEMORY;
            dd->CreateSurface(&desc, &s, nullptr);
        }
        modeResult = dd->GetDisplayMode(&mode);
    }));
    for (auto* s : made) {
        ASSERT_NE(Keep(s), nullptr);
        EXPECT_EQ(s->Pixels().Format(), D3DFMT_X8R8G8B8);
    }
    EXPECT_EQ(modeResult, DD_OK);
    EXPECT_EQ(mode.ddpfPixelFormat.dwRGBBitCount, 32u);
}

}  // namespace

// Fills, pixels and circles on tiny surfaces in every configuration, exact to the pixel, and
// the pixel access of both back ends through the surface lock.
#include "gfx/fill.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "display_fixture.h"
#include "gfx/surface_lock.h"
#include "platform/d3d9.h"
#include "platform/ddraw.h"

namespace {

class Fills : public ::testing::TestWithParam<DisplayConfig>, public DisplayFixture {
protected:
    void SetUp() override {
        Prepare();
        ASSERT_TRUE(Open(GetParam()));
        SetTestPalette();
    }
    void TearDown() override { Close(); }
    bool Direct3D() const { return GetParam().direct3D != 0; }

    // The columns (or rows) of a line that show `colour`.
    static std::set<int> Columns(DDSURFACEDATA* sd, int y, std::uint32_t colour) {
        std::set<int> out;
        for (int x = 0; x < sd->nWidth; ++x)
            if (Colour(sd, x, y) == colour) out.insert(x);
        return out;
    }
    static std::set<int> Rows(DDSURFACEDATA* sd, int x, std::uint32_t colour) {
        std::set<int> out;
        for (int y = 0; y < sd->nHeight; ++y)
            if (Colour(sd, x, y) == colour) out.insert(y);
        return out;
    }
    static std::set<int> Range(int from, int to) {
        std::set<int> out;
        for (int i = from; i <= to; ++i) out.insert(i);
        return out;
    }
};

TEST_P(Fills, PaletteNumberFillsTheRectangleOnly) {
    DDSURFACEDATA sd;
    ASSERT_TRUE(DDCreateSurface(&sd, 8, 6, 0, 0, 0, nullptr, 0));
    DDFillRect(&sd, 2, 1, 3, 2, 5);
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x < 5 && y >= 1 && y < 3;
            EXPECT_EQ(Colour(&sd, x, y), inside ? Argb(kRed) : Argb(kKey)) << x << "," << y;
        }
    }
}

// A rectangle starting left of or above the surface is cut on both edges, in both back ends.
TEST_P(Fills, RectanglesAreCutAtEveryEdge) {
    DDSURFACEDATA sd;
    ASSERT_TRUE(DDCreateSurface(&sd, 20, 12, 0, 0, 0, nullptr, 0));
    DDFillRect(&sd, -5, 0, 12, 1, 5);
    EXPECT_EQ(Columns(&sd, 0, Argb(kRed)), Range(0, 6));
    DDFillRect(&sd, 15, 1, 20, 1, 5);
    EXPECT_EQ(Columns(&sd, 1, Argb(kRed)), Range(15, 19));
    DDFillRect(&sd, -5, 2, 40, 1, 5);
    EXPECT_EQ(Columns(&sd, 2, Argb(kRed)), Range(0, 19));
    DDFillRect(&sd, 3, -4, 1, 6, 6);
    EXPECT_EQ(Rows(&sd, 3, Argb(kGreen)), Range(0, 1));
    DDFillRect(&sd, 4, 9, 1, 100, 6);
    EXPECT_EQ(Rows(&sd, 4, Argb(kGreen)), Range(9, 11));
    DDFillRect(&sd, 30, 0, 5, 5, 7);                   // wholly outside: nothing
    DDFillRect(&sd, 0, 0, 0x7FFFFFFF, 0x7FFFFFFF, 7);  // no overflow: the whole surface
    EXPECT_EQ(Columns(&sd, 11, Argb(kBlue)), Range(0, 19));
    DDFillSurface(&sd, 8);
    EXPECT_EQ(Columns(&sd, 5, Argb(kWhite)), Range(0, 19));
}

// Palette number 0 is the transparent colour: Direct3D draws it as alpha 0 (nothing changes)
// on a surface without a key and clears a keyed one to transparent; DirectDraw fills the key.
TEST_P(Fills, PaletteZeroDiffersBetweenTheBackEnds) {
    DDSURFACEDATA plain, keyed;
    ASSERT_TRUE(DDCreateSurface(&plain, 4, 4, 0, 0, 0, nullptr, 0));
    ASSERT_TRUE(DDCreateSurface(&keyed, 4, 4, 1, 0, 0, nullptr, 0));
    DDFillSurface(&plain, 5);
    DDFillSurface(&keyed, 5);
    DDFillRect(&plain, 1, 1, 2, 2, 0);
    DDFillRect(&keyed, 1, 1, 2, 2, 0);
    if (Direct3D()) {
        EXPECT_EQ(Colour(&plain, 1, 1), Argb(kRed));
        EXPECT_EQ(RawPixel(&keyed, 1, 1), 0u);
        EXPECT_EQ(Colour(&keyed, 0, 0), Argb(kRed));
    } else {
        EXPECT_EQ(Colour(&plain, 1, 1), Argb(kKey));
        EXPECT_EQ(Colour(&keyed, 1, 1), Argb(kKey));
        EXPECT_EQ(RawPixel(&keyed, 1, 1), dwColorKey);
    }
}

TEST_P(Fills, DeviceColoursAreBlendedQuadsInDirect3DAndPixelValuesInDirectDraw) {
    DDSURFACEDATA sd;
    ASSERT_TRUE(DDCreateSurface(&sd, 4, 4, 0, 0, 0, nullptr, 0));
    DDFillSurface(&sd, 7);
    if (Direct3D()) {
        // (255 * 128 + 0 * 127 + 127) / 255 = 128 red, (255 * 127 + 127) / 255 = 127 blue.
        D3DFillRect(&sd, 0, 0, 2, 2, 0x80FF0000);
        // Alpha blends the same way: (128 * 128 + 255 * 127 + 127) / 255 = 191, one bit at 16.
        const std::uint32_t expected = GetParam().bpp == 32 ? 0xBF80007Fu : 0xFF84007Bu;
        EXPECT_EQ(Colour(&sd, 1, 1), expected);
        EXPECT_EQ(Colour(&sd, 2, 2), Argb(kBlue));
        D3DFillSurface(&sd, 0xFF00FF00);
        EXPECT_EQ(Colour(&sd, 3, 3), Argb(kGreen));
    } else {
        const std::uint32_t value = GetParam().bpp == 8    ? 6
                                    : GetParam().bpp == 16 ? 0x07E0
                                                           : 0xFF00;
        D3DFillRect(&sd, 0, 0, 2, 2, value);
        EXPECT_EQ(RawPixel(&sd, 1, 1), value);
        EXPECT_EQ(Colour(&sd, 1, 1), Argb(kGreen));
    }
}

TEST_P(Fills, SystemMemoryTexturesAreFilledInSoftware) {
    DDSURFACEDATA sd;
    ASSERT_TRUE(DDCreateSurface(&sd, 4, 4, 0, 1, DTMEMORYTYPE_SYSTEM, nullptr, 0));
    if (!Direct3D()) {
        DDFillRect(&sd, 0, 0, 4, 4, 6);
        EXPECT_EQ(Colour(&sd, 2, 2), Argb(kGreen));
        return;
    }
    ASSERT_EQ(sd.lpDT->bRenderTarget, 0);
    // No blending: the colour is written as it is, alpha included.
    D3DFillRect(&sd, -1, -1, 3, 3, 0x80FF0000);
    const std::uint32_t raw = GetParam().bpp == 32 ? 0x80FF0000u : 0x7C00u;
    EXPECT_EQ(RawPixel(&sd, 0, 0), raw);
    EXPECT_EQ(RawPixel(&sd, 1, 1), raw);
    EXPECT_NE(RawPixel(&sd, 2, 2), raw);
    DDFillRect(&sd, 2, 2, 1, 1, 7);
    EXPECT_EQ(Colour(&sd, 2, 2), Argb(kBlue));
}

TEST_P(Fills, PixelsAndCircles) {
    DDSURFACEDATA sd;
    ASSERT_TRUE(DDCreateSurface(&sd, 9, 9, 0, 0, 0, nullptr, 0));
    DDSetPixel(&sd, 8, 8, 6);
    DDSetPixel(&sd, 9, 0, 6);
    DDSetPixel(&sd, -1, 3, 6);
    EXPECT_EQ(Colour(&sd, 8, 8), Argb(kGreen));

    // The midpoint circle of radius 3: 16 points.
    DDDrawCircle(&sd, 4, 4, 3, 5);
    std::set<std::pair<int, int>> expected;
    for (auto [dx, dy] : {std::pair{0, 3}, {3, 0}, {1, 3}, {3, 1}, {2, 2}})
        for (int sx : {-1, 1})
            for (int sy : {-1, 1}) expected.insert({4 + sx * dx, 4 + sy * dy});
    ASSERT_EQ(expected.size(), 16u);
    for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 9; ++x)
            EXPECT_EQ(Colour(&sd, x, y) == Argb(kRed), expected.count({x, y}) == 1)
                << x << "," << y;

    // Radius 1: the four neighbours; radius 0 draws nothing; points outside are skipped.
    DDSURFACEDATA small;
    ASSERT_TRUE(DDCreateSurface(&small, 3, 3, 0, 0, 0, nullptr, 0));
    DDDrawCircle(&small, 1, 1, 0, 5);
    DDDrawCircle(&small, 1, 1, 1, 5);
    DDDrawCircle(&small, 0, 0, 5, 6);
    const std::set<std::pair<int, int>> cross = {{1, 0}, {0, 1}, {2, 1}, {1, 2}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(Colour(&small, x, y) == Argb(kRed), cross.count({x, y}) == 1)
                << x << "," << y;
}

TEST_P(Fills, LockGivesThePixelsOfEveryFormat) {
    DDSURFACEDATA sd;
    ASSERT_TRUE(DDCreateSurface(&sd, 8, 6, 0, 0, 0, nullptr, 0));
    const int bpp = GetParam().bpp;
    const std::uint32_t value = bpp == 8     ? 7
                                : bpp == 32  ? 0xFF0000FF
                                : Direct3D() ? 0x801F   // A1R5G5B5
                                             : 0x001F;  // R5G6B5
    {
        cSurfaceLock lock;
        ASSERT_TRUE(lock.Lock(&sd));
        EXPECT_EQ(lock.m_nBpp, bpp);
        EXPECT_EQ(lock.m_nBytePerPixel, bpp / 8);
        EXPECT_GE(lock.m_nPitch, 8);
        std::uint8_t* p = lock.m_lpBits + (3 * lock.m_nPitch + 2) * lock.m_nBytePerPixel;
        plat::WritePixel(p, lock.m_nBytePerPixel, value);
        // A render target is edited through its system-memory twin until released.
        if (Direct3D()) {
            EXPECT_NE(RawPixel(&sd, 2, 3), value);
        }
        lock.Release();
        EXPECT_EQ(lock.m_lpSD, nullptr);
        lock.Release();
    }
    EXPECT_EQ(RawPixel(&sd, 2, 3), value);
    EXPECT_EQ(Colour(&sd, 2, 3), Argb(kBlue));
    EXPECT_EQ(Colour(&sd, 3, 3), Argb(kKey));

    // A surface that has nothing to lock fails, and its guard releases harmlessly.
    DDSURFACEDATA empty;
    cSurfaceLock none;
    EXPECT_FALSE(none.Lock(&empty));
    EXPECT_EQ(none.m_lpBits, nullptr);
    none.Release();
}

TEST_P(Fills, TheBackBufferIsLockedInPlace) {
    DDFillSurface(&BackBuffer, 6);
    cSurfaceLock lock;
    ASSERT_TRUE(lock.Lock(&BackBuffer));
    EXPECT_EQ(lock.m_lpSD, &BackBuffer);
    const bool full = !GetParam().windowMode;
    EXPECT_EQ(IsFullScreenBackBuffer(lock.m_lpSD), full ? 1 : 0);
    EXPECT_EQ(IsFullScreenBackBuffer(&FadeSD), 0);
    // Locked surfaces refuse other drawing until released.
    if (!Direct3D()) {
        EXPECT_EQ(DDFillRect(&BackBuffer, 0, 0, 1, 1, 5), plat::DDERR_SURFACEBUSY);
    }
    lock.Release();
    EXPECT_EQ(Colour(&BackBuffer, 10, 10), Argb(kGreen));
}

TEST_P(Fills, DirectDrawLockIsDirectDrawOnly) {
    plat::DDSURFACEDESC2 desc;
    std::uint8_t* bits = nullptr;
    DDSURFACEDATA sd;
    ASSERT_TRUE(DDCreateSurface(&sd, 4, 4, 0, 0, 0, nullptr, 0));
    EXPECT_TRUE(DDLock(&sd, &desc, &bits, GetParam().bpp));
    if (Direct3D()) {
        EXPECT_EQ(bits, nullptr);
        EXPECT_NE(ErrorText().find("D3DではDDLockは未対応"), std::string::npos);
    } else {
        EXPECT_EQ(bits, &Storage(&sd)->Bits()[0]);
        EXPECT_EQ(desc.lPitch, Storage(&sd)->Pitch());
        sd.lpDS->lpDDSurface->Unlock(nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(Configs, Fills, ::testing::ValuesIn(kDisplayConfigs), ConfigName);

class Direct3DFills : public ::testing::Test, public DisplayFixture {
protected:
    void SetUp() override {
        Prepare();
        ASSERT_TRUE(Open(kDisplayConfigs[2]));
        SetTestPalette();
    }
    void TearDown() override { Close(); }
};

TEST_F(Direct3DFills, RedirectedBackBufferIsNoFullScreenBackBuffer) {
    DDSURFACEDATA* target = &BackBuffer;
    EXPECT_EQ(IsFullScreenBackBuffer(target), 0);  // a window
    D3DSetVirBackBuffer(1);
    cSurfaceLock lock;
    ASSERT_TRUE(lock.Lock(&BackBuffer));
    EXPECT_EQ(lock.m_lpSD, &VirBackBuffer);
    EXPECT_EQ(IsFullScreenBackBuffer(lock.m_lpSD), 0);
    lock.Release();
    D3DSetVirBackBuffer(0);
}

TEST_F(Direct3DFills, LockOfAReleasedTextureFailsAndItsReleaseOnlyLogs) {
    DDSURFACEDATA sd;
    ASSERT_TRUE(DDCreateSurface(&sd, 4, 4, 0, 0, 0, nullptr, 0));
    sd.lpDT->lpSystemSurface->Release();
    sd.lpDT->lpSystemSurface = nullptr;
    cSurfaceLock lock;
    EXPECT_FALSE(lock.Lock(&sd));
    lock.Release();
    const std::string errors = ErrorText();
    EXPECT_NE(errors.find("FAILED( lpDevice->GetRenderTargetData("), std::string::npos);
    EXPECT_NE(errors.find("D3D_OK != m_lpSD->lpDT->lpSystemSurface->UnlockRect();"),
              std::string::npos);
}

}  // namespace

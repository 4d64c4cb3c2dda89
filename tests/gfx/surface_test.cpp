// Blank surfaces: creation and release in both back ends, the surface list, the fallbacks
// when memory runs out, the texture-size rules, the scene containers, the surface set, and
// the texture sharing of the standard table.
#include "gfx/surface.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "base/globals.h"
#include "display_fixture.h"
#include "gfx/fill.h"
#include "platform/d3d9.h"
#include "platform/ddraw.h"
#include "platform/message_box.h"

namespace {

// The sources are compiled to CP932; u8 literals keep the UTF-8 a box records.
std::string U8(const char8_t* s) {
    return reinterpret_cast<const char*>(s);
}

bool Listed(const DDSURFACEDATA* sd) {
    for (DDSURFACEDATA* p : SDList)
        if (p == sd) return true;
    return false;
}

class Surfaces : public ::testing::TestWithParam<DisplayConfig>, public DisplayFixture {
protected:
    void SetUp() override {
        Prepare();
        ASSERT_TRUE(Open(GetParam()));
        SetTestPalette();
    }
    void TearDown() override {
        for (DDSURFACEDATA& sd : StdSD) DDReleaseSurface(&sd);
        for (DDSURFACEDATA& sd : StdSD) sd.lpShareSD = nullptr;
        Close();
    }
    bool Direct3D() const { return GetParam().direct3D != 0; }
};

TEST_P(Surfaces, BlankSurfaceIsRegisteredUntilReleased) {
    DDSURFACEDATA sd;
    ASSERT_TRUE(DDCreateSurface(&sd, 8, 6, 1, 0, 0, nullptr, 0));
    EXPECT_EQ(sd.nWidth, 8);
    EXPECT_EQ(sd.nHeight, 6);
    EXPECT_EQ(sd.nTexWidth, 8);
    EXPECT_EQ(sd.nTexHeight, 6);
    if (Direct3D()) {
        ASSERT_NE(sd.lpDT, nullptr);
        EXPECT_EQ(sd.lpDS, nullptr);
        EXPECT_STREQ(sd.szSurfaceType, "OffScreen");
        EXPECT_STREQ(sd.szFileName, "E");
        EXPECT_EQ(sd.lpDT->dwID, 3u);
        EXPECT_EQ(sd.lpDT->bRenderTarget, 1);
        EXPECT_EQ(sd.lpDT->bColorKey, 1);
        EXPECT_NE(sd.lpDT->lpSystemSurface, nullptr);
        EXPECT_NE(sd.lpDT->lpVB, nullptr);
        EXPECT_TRUE(Listed(&sd));
    } else {
        ASSERT_NE(sd.lpDS, nullptr);
        EXPECT_EQ(sd.lpDT, nullptr);
        EXPECT_EQ(sd.nDDMemory, 0);
    }
    // Every back end starts a keyed blank surface as the transparent colour.
    EXPECT_EQ(Colour(&sd, 0, 0), Argb(kKey));
    EXPECT_EQ(Colour(&sd, 7, 5), Argb(kKey));

    DDReleaseSurface(&sd);
    EXPECT_EQ(sd.lpDT, nullptr);
    EXPECT_EQ(sd.lpDS, nullptr);
    EXPECT_FALSE(Listed(&sd));
    EXPECT_EQ(sd.nWidth, 8);  // the record keeps what it was, to be made again
    DDReleaseSurface(&sd);
    EXPECT_EQ(sd.lpDT, nullptr);
    EXPECT_TRUE(DDCreateSurface(&sd, 8, 6, 0, 1, 0, nullptr, 0));
}

TEST_P(Surfaces, VideoMemoryFullFallsBackToSystemMemory) {
    Fail({Direct3D() ? "d3d_video_memory" : "ddraw_video_memory"});
    DDSURFACEDATA sd;
    ASSERT_TRUE(DDCreateSurface(&sd, 8, 6, 1, 0, 0, nullptr, 0));
    if (Direct3D()) {
        EXPECT_EQ(sd.lpDT->bRenderTarget, 0);
        EXPECT_EQ(sd.lpDT->nMemoryType, DTMEMORYTYPE_SYSTEM);
        EXPECT_EQ(sd.lpDT->lpSystemSurface, nullptr);
        EXPECT_EQ(sd.lpDT->lpTexture->Desc().Pool, plat::D3DPOOL_SYSTEMMEM);
        EXPECT_TRUE(Listed(&sd));
        EXPECT_NE(ReportText().find("VRAM不足のためシステムメモリにテクスチャを作成します。(空)"),
                  std::string::npos);
        // Filled in software, with the same colours.
        DDFillRect(&sd, 1, 1, 2, 2, 5);
        EXPECT_EQ(Colour(&sd, 1, 1), Argb(kRed));
    } else {
        EXPECT_EQ(sd.nDDMemory, 1);
        EXPECT_TRUE(sd.lpDS->lpDDSurface->InSystemMemory());
        EXPECT_EQ(Colour(&sd, 0, 0), Argb(kKey));
    }
}

TEST_P(Surfaces, NoMemoryAtAllFailsWithTheLogLine) {
    hWndMain = window;
    if (Direct3D()) {
        lpDTCon->strTextureWarning = "warning";
        Fail({"d3d_system_texture"});
    } else {
        Fail({"ddraw_surface"});
    }
    plat::ClearShownBoxes();
    DDSURFACEDATA sd;
    EXPECT_FALSE(DDCreateSurface(&sd, 8, 6, 1, 1, 1, nullptr, 0));
    if (Direct3D()) {
        EXPECT_NE(ReportText().find("D3DXCreateTexture Err hr = 8007000e"), std::string::npos);
        ASSERT_EQ(plat::ShownBoxes().size(), 1u);
        EXPECT_EQ(plat::ShownBoxes()[0].text, "warning");
        plat::MSG msg;
        ASSERT_TRUE(plat::PeekMessage(&msg, window, true));
        EXPECT_EQ(msg.message, plat::WM_CLOSE);
    } else {
        EXPECT_NE(ReportText().find("CreateSurface System Err"), std::string::npos);
        EXPECT_FALSE(DDCreateSurface(&sd, 8, 6, 1, 0, 0, nullptr, 0));
        EXPECT_NE(ReportText().find("CreateSurface Video -> System Err"), std::string::npos);
    }
    hWndMain = nullptr;
}

TEST_P(Surfaces, SharingSurfaceOwnsNoTexture) {
    DDSURFACEDATA owner, sharer;
    ASSERT_TRUE(DDCreateSurface(&owner, 8, 6, 1, 0, 0, nullptr, 0));
    ASSERT_TRUE(DDCreateSurface(&sharer, 8, 6, 1, 1, 0, &owner, 0));
    if (Direct3D()) {
        EXPECT_EQ(sharer.lpDT->lpTexture, nullptr);
        EXPECT_EQ(sharer.lpDT->lpVB, nullptr);
        EXPECT_FALSE(Listed(&sharer));
        sharer.lpShareSD = &owner;
        DDFillRect(&sharer, 0, 0, 2, 2, 6);  // draws into the owner's texture
        EXPECT_EQ(Colour(&owner, 1, 1), Argb(kGreen));
        const std::size_t listed = SDList.size();
        DDReleaseSurface(&sharer);
        EXPECT_EQ(SDList.size(), listed);
        EXPECT_NE(owner.lpDT->lpTexture, nullptr);
    } else {
        // DirectDraw has no sharing: each surface holds its own pixels.
        EXPECT_NE(sharer.lpDS->lpDDSurface, owner.lpDS->lpDDSurface);
    }
}

TEST_P(Surfaces, ScenesAddSurfacesThatNeverMove) {
    SurfaceVector vec;
    SurfaceDefVector defs;
    ASSERT_TRUE(DDAddSurfaceToVector(vec, defs, 4, 4, 1, 0, 0, nullptr));
    DDSURFACEDATA* first = &vec[0];
    for (int i = 1; i < 40; ++i)
        ASSERT_TRUE(DDAddSurfaceToVector(vec, defs, 4, 4, i % 2, 1, 0, nullptr));
    EXPECT_EQ(&vec[0], first);
    ASSERT_EQ(defs.Size(), 40u);
    EXPECT_EQ(defs[3].bColorKey, 1);
    EXPECT_EQ(defs[3].nDDMemory, 1);
    EXPECT_STREQ(defs[3].szFileName, "");
    if (Direct3D()) {
        for (int i = 0; i < 40; ++i) EXPECT_TRUE(Listed(&vec[i])) << i;
    }
    DDReleaseSurfaceVector(vec);
    EXPECT_EQ(vec.Size(), 40u);
    EXPECT_EQ(vec[39].lpDT, nullptr);
    EXPECT_EQ(vec[39].lpDS, nullptr);
}

TEST_P(Surfaces, RemovingFromAListTakesTheDefinitionAtTheSamePlace) {
    SurfaceList list;
    SurfaceDefList defs;
    for (int memory = 0; memory < 3; ++memory)
        ASSERT_TRUE(DDAddSurfaceToList(list, defs, 4, 4, 0, memory == 1, memory, nullptr));
    DDSURFACEDATA* middle = &list.CheckedListAt(1);
    EXPECT_EQ(DDRemoveSurfaceFromList(list, defs, middle), 1);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(defs.CheckedListAt(0).nMemoryType, 0);
    EXPECT_EQ(defs.CheckedListAt(1).nMemoryType, 2);
    DDSURFACEDATA stranger;
    EXPECT_EQ(DDRemoveSurfaceFromList(list, defs, &stranger), 0);
    EXPECT_FALSE(Listed(middle));
}

TEST_P(Surfaces, SurfaceSetMakesBlanksAndLoadsFiles) {
    LinkSharedSurfaces();
    const int blanks[] = {67, 68, 63};
    ASSERT_TRUE(DDLoadSurfaceSet(StdSD, blanks, 3));
    EXPECT_EQ(StdSD[63].nWidth, 256);
    EXPECT_EQ(StdSD[63].nHeight, 960);
    EXPECT_EQ(StdSD[67].nWidth, 640);
    if (Direct3D()) {
        // 68 draws with the texture of 67 and owns none.
        EXPECT_EQ(StdSD[68].lpShareSD, &StdSD[67]);
        EXPECT_EQ(StdSD[68].lpDT->lpTexture, nullptr);
        EXPECT_FALSE(Listed(&StdSD[68]));
        EXPECT_TRUE(Listed(&StdSD[67]));
        DDFillRect(&StdSD[68], 10, 10, 1, 1, 8);
        EXPECT_EQ(Colour(&StdSD[67], 10, 10), Argb(kWhite));
    } else {
        EXPECT_EQ(StdSD[68].lpShareSD, nullptr);
        EXPECT_NE(StdSD[68].lpDS->lpDDSurface, StdSD[67].lpDS->lpDDSurface);
    }
    // No project here: a missing optional image is no error, a required one is.
    plat::ClearShownBoxes();
    const int optional[] = {6, 55};
    EXPECT_TRUE(DDLoadSurfaceSet(StdSD, optional, 2));
    EXPECT_TRUE(plat::ShownBoxes().empty());
    const int required[] = {1};
    EXPECT_FALSE(DDLoadSurfaceSet(StdSD, required, 1));
    ASSERT_EQ(plat::ShownBoxes().size(), 1u);
    EXPECT_EQ(plat::ShownBoxes()[0].text, U8(u8"bmp\\Debug.bmp の読み込みに失敗！"));
    EXPECT_NE(ErrorText().find("LOADIMAGE_ERR"), std::string::npos);
    const int outside[] = {71};
    EXPECT_FALSE(DDLoadSurfaceSet(StdSD, outside, 1));
}

INSTANTIATE_TEST_SUITE_P(Configs, Surfaces, ::testing::ValuesIn(kDisplayConfigs), ConfigName);

class Direct3DSurfaces : public ::testing::Test, public DisplayFixture {
protected:
    void SetUp() override {
        Prepare();
        ASSERT_TRUE(Open(kDisplayConfigs[2]));
        SetTestPalette();
    }
    void TearDown() override { Close(); }
};

TEST_F(Direct3DSurfaces, ReleaseRemovesEveryListEntryOfTheSameSerial) {
    DDSURFACEDATA sd, alias;
    ASSERT_TRUE(DDCreateSurface(&sd, 4, 4, 0, 0, 0, nullptr, 0));
    alias.lpDT = new DDTEXTUREDATA;
    alias.lpDT->dwID = sd.lpDT->dwID;
    SDList.push_back(&alias);
    DDReleaseSurface(&sd);
    EXPECT_FALSE(Listed(&sd));
    EXPECT_FALSE(Listed(&alias));
    delete alias.lpDT;
    alias.lpDT = nullptr;
}

TEST_F(Direct3DSurfaces, TexturesFollowTheDeviceSizeRules) {
    struct Case {
        int pow2, square, w, h, texW, texH;
    };
    const Case cases[] = {
        {0, 0, 100, 60, 100, 60},    {1, 0, 100, 60, 128, 64}, {1, 1, 100, 60, 128, 128},
        {1, 0, 640, 480, 1024, 512}, {1, 0, 128, 1, 128, 1},   {0, 1, 30, 70, 70, 70},
    };
    for (const Case& c : cases) {
        lpDTCon->bPow2 = c.pow2;
        lpDTCon->bSquareOnly = c.square;
        DDSURFACEDATA sd;
        ASSERT_TRUE(DDCreateSurface(&sd, c.w, c.h, 0, 0, 0, nullptr, 0));
        EXPECT_EQ(sd.nWidth, c.w);
        EXPECT_EQ(sd.nHeight, c.h);
        EXPECT_EQ(sd.nTexWidth, c.texW) << c.w << "x" << c.h;
        EXPECT_EQ(sd.nTexHeight, c.texH) << c.w << "x" << c.h;
    }
    lpDTCon->bPow2 = 1;
    lpDTCon->bSquareOnly = 0;
    int w = 0, h = 3;
    D3DAdjustTextureSize(&w, &h);
    EXPECT_EQ(w, 0);
    EXPECT_EQ(h, 4);
}

TEST_F(Direct3DSurfaces, OversizedTexturesAreReportedAndRefused) {
    EXPECT_EQ(D3DCheckTextureSize(8192, 8192), 1);
    EXPECT_EQ(D3DCheckTextureSize(8193, 1), 0);
    EXPECT_EQ(D3DCheckTextureSize(1, 0xFFFFFFFFu), 0);
    const std::string report = ReportText();
    EXPECT_NE(report.find("このビデオカードでは横幅8192を超える画像はサポートされていません！"),
              std::string::npos);
    EXPECT_NE(report.find("このビデオカードでは縦幅8192を超える画像はサポートされていません！"),
              std::string::npos);
    DDSURFACEDATA sd;
    EXPECT_FALSE(DDCreateSurface(&sd, 9000, 4, 0, 0, 0, nullptr, 0));
    EXPECT_NE(ReportText().find("上記の理由でテクスチャの描画が失敗する可能性があります。(空)"),
              std::string::npos);
}

TEST_F(Direct3DSurfaces, MemoryTypesOfBlankSurfaces) {
    DDSURFACEDATA norm, system;
    ASSERT_TRUE(DDCreateSurface(&norm, 4, 4, 0, 0, DTMEMORYTYPE_VIDEO_NORT, nullptr, 0));
    EXPECT_EQ(norm.lpDT->nMemoryType, DTMEMORYTYPE_VIDEO_RT);
    EXPECT_EQ(norm.lpDT->bRenderTarget, 1);
    ASSERT_TRUE(DDCreateSurface(&system, 4, 4, 0, 1, DTMEMORYTYPE_SYSTEM, nullptr, 0));
    EXPECT_EQ(system.lpDT->bRenderTarget, 0);
    EXPECT_EQ(system.nDDMemory, 1);
    EXPECT_EQ(system.lpDT->lpTexture->Desc().Pool, plat::D3DPOOL_SYSTEMMEM);
}

}  // namespace

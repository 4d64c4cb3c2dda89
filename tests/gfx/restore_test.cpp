// Recovery from a lost display: the Direct3D reset that waits until the device allows it
// and then makes every listed surface again, and the DirectDraw restore of the standard
// surfaces by memory placement.
#include "gfx/restore.h"

#include <gtest/gtest.h>

#include <string>

#include "draw_fixture.h"
#include "gfx/surface_tables.h"
#include "platform/d3d9.h"
#include "platform/ddraw.h"

namespace {

class Direct3DRestore : public DrawTest {};

TEST_P(Direct3DRestore, ResetWhenTheDeviceAllowsItThenEverySurfaceAgain) {
    lpDTCon->rgbTransmit16 = plat::RGBTRIPLE{255, 0, 255};  // the image files' key at 16 bits
    WriteTestBitmap("bmp/Plain.bmp", {"krgbw"});
    std::string sheet(64, 'g');
    sheet[0] = 'r';
    sheet[63] = 'b';
    WriteTestBitmap("bmp/Sheet.bmp", {sheet});
    DDSURFACEDATA file, mirrored, blank, sys;
    ASSERT_EQ(
        DDCreateSurfaceFromFile(&file, "bmp\\Plain.bmp", 1, Bpp(), 0, 0, nullptr, nullptr, 0, 0, 0),
        0);
    ASSERT_EQ(DDCreateSurfaceFromFile(&mirrored, "bmp\\Sheet.bmp", 1, Bpp(), 0, 0, nullptr, nullptr,
                                      32, 0, 0),
              0);
    ASSERT_TRUE(DDCreateSurface(&blank, 4, 1, 1, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
    ASSERT_TRUE(DDCreateSurface(&sys, 4, 1, 1, 1, DTMEMORYTYPE_SYSTEM, nullptr, 0));
    Paint(&blank, {"rgbw"});
    Paint(&sys, {"rgbw"});
    const std::uint32_t fileId = file.lpDT->dwID, blankId = blank.lpDT->dwID;
    plat::IDirect3DTexture9* sysTexture = sys.lpDT->lpTexture;
    const std::size_t listed = SDList.size();
    plat::ShowWindow(window, plat::SW_SHOWNORMAL);

    lpDevice->SimulateDeviceLoss();
    EXPECT_EQ(D3DPresentFrame(60, 0, 0), 0);
    EXPECT_EQ(plat::IsIconic(window), GetParam().windowMode == 0);
    // Not resettable yet: the video-memory textures are given back, the attempt fails.
    EXPECT_EQ(DDRestoreSurface(), 0);
    EXPECT_EQ(file.lpDT->lpTexture, nullptr);
    EXPECT_EQ(blank.lpDT->lpTexture, nullptr);
    EXPECT_EQ(sys.lpDT->lpTexture, sysTexture);
    EXPECT_EQ(DDBltRect(&BackBuffer, 0, 0, 4, 1, &file, 0, 0, 0), 0);  // nothing to draw with
    EXPECT_NE(ErrorText().find("復旧失敗…リセット可能な状態ではありません…"), std::string::npos);
    EXPECT_EQ(D3DPresentFrame(60, 0, 0), 0);

    EXPECT_EQ(DDRestoreSurface(), 1);
    EXPECT_FALSE(lpDevice->IsLost());
    EXPECT_FALSE(plat::IsIconic(window));
    EXPECT_EQ(SDList.size(), listed);
    EXPECT_EQ(file.lpDT->dwID, fileId);
    EXPECT_EQ(blank.lpDT->dwID, blankId);
    // Files show their images again, the mirrored sheet mirrored, with their key flag.
    Paint(&BackBuffer, {std::string(40, 'w')});
    DDBltRect(&BackBuffer, 0, 0, 5, 1, &file, 0, 0, 1);
    DDBltRect(&BackBuffer, 8, 0, 32, 1, &mirrored, 0, 0, 0);
    EXPECT_EQ(Shows(&BackBuffer, 0, 0, 5), "wrgbw");
    EXPECT_EQ(Shows(&BackBuffer, 0, 8, 9), "g");
    EXPECT_EQ(Shows(&BackBuffer, 0, 39, 40), "r");
    EXPECT_EQ(file.lpDT->bColorKey, 1);
    // A blank surface comes back flagged lost, in the transparent colour; a system-memory
    // texture kept its pixels (and is flagged as every blank surface is).
    EXPECT_EQ(blank.bLost, 1);
    EXPECT_EQ(Shows(&blank, 0), "kkkk");
    EXPECT_EQ(sys.lpDT->lpTexture, sysTexture);
    EXPECT_EQ(Shows(&sys, 0), "rgbw");
    EXPECT_EQ(sys.bLost, 1);
    EXPECT_EQ(file.bLost, 0);
    const std::string log = ErrorText();
    EXPECT_NE(log.find("Restore In"), std::string::npos);
    EXPECT_NE(log.find("lpSD->szSurfaceType = OffScreenFromFile lpSD->szFileName = bmp\\Plain.bmp "
                       "Size = (5,1)"),
              std::string::npos);
    EXPECT_NE(log.find("lpSD->szSurfaceType = OffScreen lpSD->szFileName = E Size = (4,1)"),
              std::string::npos);
    EXPECT_NE(log.find("Restore Out"), std::string::npos);
    EXPECT_EQ(D3DPresentFrame(60, 0, 0), 1);
    // DirectDraw's restore is not this back end's.
    EXPECT_TRUE(DDRestore());
    EXPECT_NE(ErrorText().find("D3DではDDRestoreは未対応"), std::string::npos);
}

const DisplayConfig kDirect3DConfigs[] = {kDisplayConfigs[0], kDisplayConfigs[1],
                                          kDisplayConfigs[2]};
INSTANTIATE_TEST_SUITE_P(Direct3D, Direct3DRestore, ::testing::ValuesIn(kDirect3DConfigs),
                         ConfigName);

class DirectDrawRestore : public DrawTest {};

// Lost standard surfaces are restored; those in video memory are reloaded from their files
// or flagged lost; those in system memory keep their pixels and are neither.
TEST_P(DirectDrawRestore, StandardSurfacesByPlacement) {
    WriteTestBitmap("bmp/Block.bmp", {"rgbw"});
    const int set[] = {2, 3, 67};
    ASSERT_TRUE(DDLoadSurfaceSet(StdSD, set, 3));
    ASSERT_EQ(StdSD[2].nDDMemory, 0);
    ASSERT_EQ(StdSD[3].nDDMemory, 1);
    ASSERT_EQ(StdSD[67].nDDMemory, 0);
    Paint(&StdSD[3], {"wwww"});
    Paint(&StdSD[67], {"rrrr"});
    if (Bpp() == 8) {
        plat::PALETTEENTRY grey{9, 9, 9, 0};
        lpDDPalette->SetEntries(0, 5, 1, &grey);
    }
    for (int i : set) StdSD[i].bLost = 0;  // the owners drew them

    EXPECT_TRUE(DDRestore());  // nothing lost: nothing done
    EXPECT_EQ(StdSD[67].bLost, 0);

    lpDD->SimulateSurfaceLoss();
    EXPECT_EQ(StdSD[2].lpDS->lpDDSurface->IsLost(), plat::DDERR_SURFACELOST);
    EXPECT_TRUE(DDRestore());
    for (int i : set) EXPECT_EQ(StdSD[i].lpDS->lpDDSurface->IsLost(), plat::DD_OK) << i;
    EXPECT_EQ(PrimarySD.lpDS->lpDDSurface->IsLost(), plat::DD_OK);
    EXPECT_EQ(BackBuffer.lpDS->lpDDSurface->IsLost(), plat::DD_OK);
    EXPECT_EQ(Shows(&StdSD[2], 0), "rgbw");
    EXPECT_EQ(StdSD[2].bLost, 0);
    EXPECT_EQ(Shows(&StdSD[3], 0), "wwww");
    EXPECT_EQ(StdSD[3].bLost, 0);
    EXPECT_EQ(StdSD[67].bLost, 1);
    EXPECT_EQ(RawPixel(&StdSD[67], 0, 0), 0u);
    // The fades' copy of the screen can be locked again.
    EXPECT_EQ(FadeSD.lpDS->lpDDSurface->IsLost(), plat::DD_OK);
    if (Bpp() == 8) {
        EXPECT_EQ(lpDDPalette->Entries()[5].peRed, PaletteOrg[5].peRed);
    }
    // Direct3D's reset is not this back end's.
    EXPECT_EQ(DDRestoreSurface(), 1);
    EXPECT_NE(ErrorText().find("DDではDDRestoreSurfaceは未対応"), std::string::npos);
}

const DisplayConfig kDirectDrawConfigs[] = {kDisplayConfigs[3], kDisplayConfigs[4],
                                            kDisplayConfigs[5]};
INSTANTIATE_TEST_SUITE_P(DirectDraw, DirectDrawRestore, ::testing::ValuesIn(kDirectDrawConfigs),
                         ConfigName);

}  // namespace

// Failure paths of surface creation and display set-up that only a failure switch reaches.
// Each leaves exactly the report-log lines of its step (compared byte for byte, CR LF
// included), the result the caller sees, and the warning box and close request where the
// program cannot go on; what was made before the failure is given back by the release.
#include <gtest/gtest.h>

#include <string>

#include "base/globals.h"
#include "display_fixture.h"
#include "gfx/gfx_globals.h"
#include "gfx/surface.h"
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

// One blank-surface creation with one failing step.
struct CreationFailure {
    const char* name;
    int config;  // index into kDisplayConfigs
    const char* fail;
    int colorKey;
    int ddMemory;
    int memoryType;
    bool created;        // what DDCreateSurface answers
    const char* report;  // every report-log line it writes
    bool closes;         // the texture warning in an error box, then WM_CLOSE
};

void PrintTo(const CreationFailure& c, std::ostream* os) {
    *os << c.name;
}

// D3DERR_INVALIDCALL is 8876086c, E_OUTOFMEMORY 8007000e.
const CreationFailure kCreationFailures[] = {
    {"SurfaceLevel", 2, "d3d_surface_level", 1, 0, 0, false,
     "GetSurfaceLevel Err hr = 8876086c\r\n", false},
    {"SurfaceLevelOfSystemTexture", 0, "d3d_surface_level", 0, 1, 1, false,
     "GetSurfaceLevel Err hr = 8876086c\r\n", false},
    {"OffscreenPlainSurface", 2, "d3d_offscreen_surface", 1, 0, 0, false,
     "CreateOffscreenPlainSurface Err hr = 8007000e\r\n", true},
    {"OffscreenPlainSurface16", 1, "d3d_offscreen_surface", 0, 0, 2, false,
     "CreateOffscreenPlainSurface Err hr = 8007000e\r\n", true},
    {"VertexBuffer", 2, "d3d_vertex_buffer", 1, 0, 0, false, "CreateVertexBuffer Err\r\n", false},
    // Only a full video memory moves a render target to system memory; any other refusal
    // fails the surface without a line.
    {"RenderTargetTexture", 2, "d3d_texture", 1, 0, 0, false, "", false},
    {"SystemTexture", 0, "d3d_texture", 1, 1, 1, false, "D3DXCreateTexture Err hr = 8876086c\r\n",
     true},
    // A surface whose key cannot be set is made all the same, without a key.
    {"ColorKeyDD8", 3, "ddraw_color_key", 1, 0, 0, true, "SetColorKey Err\r\n", false},
    {"ColorKeyDD16", 4, "ddraw_color_key", 1, 1, 0, true, "SetColorKey Err\r\n", false},
    {"ColorKeyDD32Window", 5, "ddraw_color_key", 1, 0, 0, true, "SetColorKey Err\r\n", false},
    {"UnkeyedSurfaceSetsNoKey", 4, "ddraw_color_key", 0, 0, 0, true, "", false},
};

class CreationFailures : public ::testing::TestWithParam<CreationFailure>, public DisplayFixture {
protected:
    void SetUp() override { Prepare(); }
    void TearDown() override {
        Close();
        ResetGfxGlobals();
    }
};

TEST_P(CreationFailures, LeaveTheirLinesAndTheirResult) {
    const CreationFailure& c = GetParam();
    ASSERT_TRUE(Open(kDisplayConfigs[c.config]));
    SetTestPalette();
    hWndMain = window;
    if (lpDTCon) lpDTCon->strTextureWarning = "テクスチャを作れません";
    plat::ClearShownBoxes();
    const std::string before = ReportText();
    const int objects = plat::LiveDeviceObjects();

    Fail({c.fail});
    DDSURFACEDATA sd;
    EXPECT_EQ(DDCreateSurface(&sd, 8, 6, c.colorKey, c.ddMemory, c.memoryType, nullptr, 0),
              c.created);
    Fail({});

    const std::string report = ReportText();
    ASSERT_EQ(report.compare(0, before.size(), before), 0);
    EXPECT_EQ(report.substr(before.size()), c.report);

    const auto boxes = plat::ShownBoxes();
    plat::MSG msg;
    if (c.closes) {
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text, U8(u8"テクスチャを作れません"));
        EXPECT_EQ(boxes[0].caption, U8(u8"エラー"));
        ASSERT_TRUE(plat::PeekMessage(&msg, window, true));
        EXPECT_EQ(msg.message, plat::WM_CLOSE);
    } else {
        EXPECT_TRUE(boxes.empty());
    }
    EXPECT_FALSE(plat::PeekMessage(&msg, window, true)) << msg.message;

    if (sd.lpDT) {
        // A surface that failed is not on the list a device reset walks.
        EXPECT_FALSE(Listed(&sd));
        if (std::string(c.fail) == "d3d_texture" && c.memoryType == 0) {
            EXPECT_EQ(sd.lpDT->lpTexture, nullptr);
            EXPECT_EQ(sd.lpDT->nMemoryType, DTMEMORYTYPE_VIDEO_RT);
        }
    } else if (c.created) {
        ASSERT_NE(sd.lpDS, nullptr);
        plat::DDCOLORKEY key;
        EXPECT_EQ(sd.lpDS->lpDDSurface->GetColorKey(plat::DDCKEY_SRCBLT, &key),
                  plat::DDERR_NOCOLORKEY);
        EXPECT_EQ(sd.nWidth, 8);
        EXPECT_EQ(sd.nHeight, 6);
        // Filled with palette colour 0 all the same.
        EXPECT_EQ(Colour(&sd, 7, 5), Colour(&sd, 0, 0));
        EXPECT_EQ(RawPixel(&sd, 7, 5), PalNumToRGB(0));
    }
    // The partly made surface is the caller's to release, and gives everything back.
    DDReleaseSurface(&sd);
    EXPECT_EQ(plat::LiveDeviceObjects(), objects);
}

INSTANTIATE_TEST_SUITE_P(Steps, CreationFailures, ::testing::ValuesIn(kCreationFailures),
                         [](const auto& info) { return std::string(info.param.name); });

class FullScreenFadeSurface : public ::testing::TestWithParam<DisplayConfig>,
                              public DisplayFixture {
protected:
    void SetUp() override { Prepare(); }
    void TearDown() override { Close(); }
};

// The fade surface is the last surface of the full-screen set-up and the only one made in
// system memory: its failure is code 4, named in the error log, and the display stays closed.
TEST_P(FullScreenFadeSurface, FailureIsCode4) {
    Fail({"ddraw_surface"});
    EXPECT_FALSE(Open(GetParam()));
    EXPECT_EQ(ReportText(), "VSync : 0\r\nCreateSurface System Err\r\n");
    EXPECT_EQ(ErrorText(), "CREATESURFACE_ERR\r\n");
    EXPECT_EQ(bDDInit, 0);
    // The steps before it succeeded: the flipping primary and its back buffer exist.
    ASSERT_NE(PrimarySD.lpDS, nullptr);
    EXPECT_NE(PrimarySD.lpDS->lpDDSurface, nullptr);
    EXPECT_NE(BackBuffer.lpDS->lpDDSurface, nullptr);
    EXPECT_TRUE(FadeSD.lpDS == nullptr || FadeSD.lpDS->lpDDSurface == nullptr);
    EXPECT_EQ(lpDDPalette, nullptr);
    DDUnInit();
    EXPECT_EQ(lpDDCon, nullptr);
    EXPECT_EQ(plat::LiveDeviceObjects(), baseObjects);
}

INSTANTIATE_TEST_SUITE_P(Configs, FullScreenFadeSurface,
                         ::testing::Values(kDisplayConfigs[3], kDisplayConfigs[4]), ConfigName);

}  // namespace

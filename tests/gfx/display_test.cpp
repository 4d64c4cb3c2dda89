// Opening and closing the display in the six configurations, the failure of each set-up
// step (through K4_FAIL), the Direct3D refusal that makes start-up fall back to DirectDraw,
// presenting, the virtual back buffer, and message boxes over a full-screen display.
#include "gfx/display.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "base/message_box.h"
#include "display_fixture.h"
#include "gfx/fill.h"
#include "gfx/surface_lock.h"
#include "platform/ddraw.h"
#include "platform/message_box.h"
#include "platform/script_state.h"

namespace {

class Display : public ::testing::Test, public DisplayFixture {
protected:
    void SetUp() override { Prepare(); }
    void TearDown() override { Close(); }
};

class EveryConfig : public ::testing::TestWithParam<DisplayConfig>, public DisplayFixture {
protected:
    void SetUp() override {
        Prepare();
        ASSERT_TRUE(Open(GetParam()));
        SetTestPalette();
    }
    void TearDown() override { Close(); }
};

bool Listed(DDSURFACEDATA* sd) {
    for (DDSURFACEDATA* p : SDList)
        if (p == sd) return true;
    return false;
}

plat::D3DFORMAT StorageFormat(DDSURFACEDATA* sd) {
    return Storage(sd)->Format();
}

TEST_P(EveryConfig, OpensWithTheFormatsAndContextsOfItsBackEnd) {
    const DisplayConfig& c = GetParam();
    EXPECT_EQ(bDDInit, 1);
    EXPECT_EQ(bDDInitOnce, 1);
    EXPECT_NE(ReportText().find("VSync : 0"), std::string::npos);
    if (c.direct3D) {
        ASSERT_NE(lpDTCon, nullptr);
        EXPECT_EQ(lpDDCon, nullptr);
        const bool full16 = c.bpp == 16 && !c.windowMode;
        const plat::D3DFORMAT back = c.bpp == 32 ? plat::D3DFMT_X8R8G8B8
                                     : full16    ? plat::D3DFMT_R5G6B5
                                                 : plat::D3DFMT_A1R5G5B5;
        const plat::D3DFORMAT texture = c.bpp == 32 ? plat::D3DFMT_A8R8G8B8 : plat::D3DFMT_A1R5G5B5;
        EXPECT_EQ(lpDTCon->BackBufferFormat, back);
        EXPECT_EQ(lpDTCon->TextureFormat, texture);
        EXPECT_EQ(lpDTCon->DisplayFormat, back);
        EXPECT_EQ(StorageFormat(&BackBuffer), back);
        EXPECT_EQ(StorageFormat(&VirBackBuffer), texture);
        EXPECT_EQ(StorageFormat(&WorkSD), texture);
        if (c.bpp == 32) {
            EXPECT_EQ(PixFmt.nShiftR, 16);
            EXPECT_EQ(PixFmt.nShiftA, 24);
            EXPECT_EQ(PixFmt.nMaxG, 255);
        } else {
            EXPECT_EQ(PixFmt.nShiftR, 10);
            EXPECT_EQ(PixFmt.nMaxA, 1);
            EXPECT_EQ(PixFmtBack.nShiftR, full16 ? 11 : 10);
            EXPECT_EQ(PixFmtBack.nMaxG, full16 ? 63 : 31);
        }
        EXPECT_NE(ReportText().find("Device HAL-HARD"), std::string::npos);
        const char* name = back == plat::D3DFMT_X8R8G8B8 ? "X8R8G8B8"
                           : back == plat::D3DFMT_R5G6B5 ? "R5G6B5"
                                                         : "A1R5G5B5";
        EXPECT_NE(ReportText().find(name), std::string::npos);
        // The back buffer is the device's and no texture of the list; the virtual back
        // buffer and the work surface are render targets 1 and 2.
        EXPECT_STREQ(BackBuffer.szSurfaceType, "BackBuffer");
        EXPECT_EQ(BackBuffer.lpDT->dwID, 0u);
        EXPECT_FALSE(Listed(&BackBuffer));
        EXPECT_STREQ(VirBackBuffer.szSurfaceType, "VirBackBuffer");
        EXPECT_STREQ(WorkSD.szSurfaceType, "WorkSD");
        EXPECT_EQ(VirBackBuffer.lpDT->dwID, 1u);
        EXPECT_EQ(WorkSD.lpDT->dwID, 2u);
        EXPECT_TRUE(Listed(&VirBackBuffer) && Listed(&WorkSD));
        EXPECT_EQ(lpDTCon->nDTCount, 3);
        EXPECT_EQ(lpDTCon->dwColorOp, 4u);
        EXPECT_EQ(lpDTCon->dwAlphaOp, 2u);
        EXPECT_EQ(lpDTCon->d3dpp.PresentationInterval, plat::D3DPRESENT_INTERVAL_IMMEDIATE);
    } else {
        ASSERT_NE(lpDDCon, nullptr);
        EXPECT_EQ(lpDTCon, nullptr);
        const plat::D3DFORMAT format = plat::DisplayFormatForDepth(c.bpp);
        for (DDSURFACEDATA* sd : {&PrimarySD, &BackBuffer, &FadeSD}) {
            EXPECT_EQ(StorageFormat(sd), format);
            EXPECT_EQ(sd->nWidth, 640);
            EXPECT_EQ(sd->nHeight, 480);
        }
        EXPECT_TRUE(FadeSD.lpDS->lpDDSurface->InSystemMemory());
        EXPECT_EQ(FadeSD.nDDMemory, 1);
        EXPECT_FALSE(BackBuffer.lpDS->lpDDSurface->InSystemMemory());
        if (c.bpp == 16) {
            EXPECT_EQ(PixFmt.nShiftR, 11);
            EXPECT_EQ(PixFmt.nMaxG, 63);
        }
        if (c.windowMode) {
            EXPECT_EQ(nDesktopBpp, 32);
            EXPECT_EQ(rcClientScreen.right - rcClientScreen.left, 640);
            EXPECT_NE(lpDDClipper, nullptr);
        }
        EXPECT_NE(lpDDPalette, nullptr);
    }
}

TEST_P(EveryConfig, UnInitReleasesEveryDeviceObjectAndBothContexts) {
    DDSURFACEDATA extra;
    ASSERT_TRUE(DDCreateSurface(&extra, 8, 6, 1, 0, 0, nullptr, 0));
    ASSERT_TRUE(DDCreateSurface(&StdSD[63], 16, 16, 1, 1, 0, nullptr, 0));
    DDReleaseSurface(&extra);
    plat::ClearShownBoxes();
    DDUnInit();
    EXPECT_EQ(lpDTCon, nullptr);
    EXPECT_EQ(lpDDCon, nullptr);
    EXPECT_EQ(lpD3D, nullptr);
    EXPECT_EQ(lpDevice, nullptr);
    EXPECT_EQ(lpDD, nullptr);
    EXPECT_EQ(StdSD[63].lpDT, nullptr);
    EXPECT_EQ(StdSD[63].lpDS, nullptr);
    EXPECT_TRUE(SDList.empty());
    EXPECT_EQ(plat::LiveDeviceObjects(), baseObjects);
    EXPECT_TRUE(plat::ShownBoxes().empty());
    EXPECT_EQ(bDDInit, 0);
}

TEST_P(EveryConfig, PresentCountsOneFrame) {
    const std::uint32_t before = plat::FrameCount();
    DDFillSurface(&BackBuffer, 5);
    if (GetParam().direct3D) {
        EXPECT_EQ(D3DPresentFrame(60, 0, 0), 1);
    } else if (GetParam().windowMode) {
        // Frames are presented by the game thread: on the window thread this blit would be
        // the window's repaint, which counts no frame.
        plat::HRESULT hr = plat::DDERR_GENERIC;
        std::thread game([&] {
            plat::RECT r = rcClientScreen;
            hr = PrimarySD.lpDS->lpDDSurface->Blt(&r, BackBuffer.lpDS->lpDDSurface, nullptr,
                                                  plat::DDBLT_WAIT, nullptr);
        });
        game.join();
        EXPECT_EQ(hr, plat::DD_OK);
    } else {
        EXPECT_EQ(PrimarySD.lpDS->lpDDSurface->Flip(nullptr, plat::DDFLIP_NOVSYNC), plat::DD_OK);
    }
    EXPECT_EQ(plat::FrameCount(), before + 1);
    std::vector<std::uint32_t> frame;
    int w = 0, h = 0;
    ASSERT_TRUE(plat::LatestFrame(frame, w, h));
    ASSERT_EQ(w, 640);
    ASSERT_EQ(h, 480);
    // The same red on the screen whatever the back end and depth.
    EXPECT_EQ(frame[200 * 640 + 300], Argb(kRed));
}

INSTANTIATE_TEST_SUITE_P(Configs, EveryConfig, ::testing::ValuesIn(kDisplayConfigs), ConfigName);

// A failure switch, the configuration it is tried in, and what the logs then hold.
struct SetupStep {
    const char* name;
    int config;  // index into kDisplayConfigs
    std::vector<const char*> fail;
    int vsync;
    int setRefresh;
    bool opens;
    std::vector<const char*> report;  // report-log lines (and pieces of them)
    std::vector<const char*> errors;  // error-log lines
};

const SetupStep kSetupSteps[] = {
    {"DirectDrawCreate",
     3,
     {"ddraw_create"},
     0,
     0,
     false,
     {"DirectDrawCreateEx Err"},
     {"CREATEEX_ERR"}},
    {"DirectDrawCreateWindow",
     5,
     {"ddraw_create"},
     0,
     0,
     false,
     {"DirectDrawCreateEx Err"},
     {"CREATEEX_ERR"}},
    {"CooperativeLevel",
     4,
     {"ddraw_cooperative_level"},
     0,
     0,
     false,
     {"SetCooperativeLevel Err"},
     {"SETCOOPLEVEL_ERR"}},
    {"DisplayMode",
     4,
     {"ddraw_display_mode"},
     0,
     0,
     false,
     {"SetDisplayMode Err"},
     {"SETDISPLAYMODE_ERR"}},
    {"RefreshRateRetriedWithout", 4, {"ddraw_refresh_rate"}, 0, 1, true, {}, {}},
    {"PrimarySurface",
     3,
     {"ddraw_primary_surface"},
     0,
     0,
     false,
     {"Primary CreateSurface Err"},
     {"CREATESURFACE_ERR"}},
    {"AttachedSurface",
     3,
     {"ddraw_attached_surface"},
     0,
     0,
     false,
     {"GetAttachedSurface Err"},
     {"GETATTACHEDSURFACE_ERR"}},
    {"Palette", 4, {"ddraw_palette"}, 0, 0, false, {"CreatePalette Err"}, {"CREATEPALETTE_ERR"}},
    {"SetPalette", 3, {"ddraw_set_palette"}, 0, 0, false, {"SetPalette Err"}, {"SETPALETTE_ERR"}},
    {"WindowBackBuffer",
     5,
     {"ddraw_surface"},
     0,
     0,
     false,
     {"CreateSurface Video -> System Err"},
     {"CREATESURFACE_ERR"}},
    {"Clipper", 5, {"ddraw_clipper"}, 0, 0, false, {"CreateClipper Err"}, {"CLIPPER_ERR"}},
    {"ClipperWindow", 5, {"ddraw_clipper_hwnd"}, 0, 0, false, {"SetHWnd Err"}, {"SETHWND_ERR"}},
    {"SetClipper", 5, {"ddraw_set_clipper"}, 0, 0, false, {"SetClipper Err"}, {"SETCLIPPER_ERR"}},
    {"Direct3DCreate",
     2,
     {"d3d_create"},
     0,
     0,
     false,
     {"ビデオカードがDirectX9をサポートしていません！"},
     {}},
    {"CreateDevice", 2, {"d3d_device"}, 0, 0, false, {}, {"CreateDevice Err"}},
    {"HardwareVertexProcessing", 2, {"d3d_hardware_vertex"}, 0, 0, true, {"Device HAL-SOFT"}, {}},
    {"DeviceCaps", 0, {"d3d_caps"}, 0, 0, true, {"Device HAL-HARD"}, {"GetDeviceCaps Err"}},
    {"BackVertexBuffer",
     1,
     {"d3d_vertex_buffer"},
     0,
     0,
     false,
     {"Back CreateVertexBuffer Err 8876017c"},
     {}},
    {"BackBufferSurface", 1, {"d3d_back_buffer"}, 0, 0, false, {"GetBackBuffer Err 8876086c"}, {}},
    {"VideoMemoryFull",
     2,
     {"d3d_video_memory"},
     0,
     0,
     true,
     {"VRAM不足のためシステムメモリにテクスチャを作成します。(空)"},
     {}},
    {"RefreshRateRefused",
     2,
     {"display_refresh_rate"},
     1,
     0,
     true,
     {"ChangeDisplaySettings != DISP_CHANGE_SUCCESSFUL", "RefreshRate : 75",
      "リフレッシュレートの変更に失敗しました！垂直同期が無効になります！"},
     {}},
};

void PrintTo(const SetupStep& s, std::ostream* os) {
    *os << s.name;
}

class SetupFailure : public ::testing::TestWithParam<SetupStep>, public DisplayFixture {
protected:
    void SetUp() override { Prepare(); }
    void TearDown() override { Close(); }
};

TEST_P(SetupFailure, IsLoggedAndLeavesNothingBehind) {
    const SetupStep& s = GetParam();
    Fail({});
    plat::Seams seams = plat::GetSeams();
    for (const char* step : s.fail) seams.failSteps.insert(step);
    plat::SetSeams(seams);
    EXPECT_EQ(Open(kDisplayConfigs[s.config], s.vsync, s.setRefresh), s.opens);
    const std::string report = ReportText(), errors = ErrorText();
    for (const char* line : s.report) EXPECT_NE(report.find(line), std::string::npos) << line;
    for (const char* line : s.errors) EXPECT_NE(errors.find(line), std::string::npos) << line;
    if (s.vsync) {
        EXPECT_EQ(bVSync, 0);
    }
    DDUnInit();
    EXPECT_EQ(lpDTCon, nullptr);
    EXPECT_EQ(lpDDCon, nullptr);
    EXPECT_EQ(plat::LiveDeviceObjects(), baseObjects);
}

INSTANTIATE_TEST_SUITE_P(Steps, SetupFailure, ::testing::ValuesIn(kSetupSteps),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Display, Direct3DBelowDdi9IsRefusedAndDirectDrawOpensInstead) {
    Fail({"d3d_ddi_version"});
    EXPECT_FALSE(Open(kDisplayConfigs[2]));
    EXPECT_EQ(lpD3D, nullptr);
    EXPECT_NE(ReportText().find("ビデオカードのドライバがDirectX9をサポートしていません！ 8"),
              std::string::npos);
    // What start-up does next: release and open DirectDraw with the same arguments.
    DDUnInit();
    EXPECT_TRUE(Open(kDisplayConfigs[5]));
    EXPECT_EQ(lpDTCon, nullptr);
    EXPECT_NE(lpDDCon, nullptr);
}

TEST_F(Display, Direct3DAt24BitsFailsBeforeAnyDevice) {
    EXPECT_FALSE(Open(DisplayConfig{"D3D24", 1, 24, 1}));
    EXPECT_EQ(lpDevice, nullptr);
    DDUnInit();
    EXPECT_EQ(plat::LiveDeviceObjects(), baseObjects);
}

TEST_F(Display, VerticalSyncKeptWhenTheDisplayRunsAt60Hz) {
    ASSERT_TRUE(Open(kDisplayConfigs[2], 1));
    EXPECT_EQ(bVSync, 1);
    EXPECT_NE(ReportText().find("RefreshRate : 60"), std::string::npos);
    EXPECT_EQ(lpDTCon->d3dpp.PresentationInterval, plat::D3DPRESENT_INTERVAL_DEFAULT);
}

TEST_F(Display, DirectDrawOpenedTwiceReleasesTheFirstDisplay) {
    ASSERT_TRUE(Open(kDisplayConfigs[4]));
    const int once = plat::LiveDeviceObjects();
    ASSERT_TRUE(Open(kDisplayConfigs[4]));
    ASSERT_NE(lpDDCon, nullptr);
    EXPECT_EQ(plat::LiveDeviceObjects(), once);
    lpDDCon->rgbTransmit = plat::RGBTRIPLE{1, 2, 3};  // the context in use is alive
}

TEST_F(Display, LeakedDirectDrawSurfaceIsReportedAtUnInit) {
    ASSERT_TRUE(Open(kDisplayConfigs[4]));
    DDSURFACEDATA kept;
    ASSERT_TRUE(DDCreateSurface(&kept, 4, 4, 0, 1, 0, nullptr, 0));
    plat::ClearShownBoxes();
    DDUnInit();
    const auto boxes = plat::ShownBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "DirectDraw");
    EXPECT_EQ(boxes[0].type, plat::MB_ICONERROR);
    DDReleaseSurface(&kept);
}

TEST_F(Display, LostDirect3DDeviceMinimisesTheFullScreenWindowUntilReset) {
    plat::Seams seams = plat::GetSeams();
    seams.loseDeviceFrame = 2;
    plat::SetSeams(seams);
    ASSERT_TRUE(Open(kDisplayConfigs[1]));
    plat::ShowWindow(window, plat::SW_SHOWNORMAL);
    EXPECT_EQ(D3DPresentFrame(60, 0, 0), 1);
    EXPECT_FALSE(plat::IsIconic(window));
    EXPECT_EQ(D3DPresentFrame(60, 0, 0), 0);
    EXPECT_TRUE(plat::IsIconic(window));
    EXPECT_EQ(D3DPresentFrame(60, 0, 0), 0);
    EXPECT_EQ(plat::FrameCount(), 3u);
}

TEST_F(Display, VirtualBackBufferCopiesOnceWhenTurnedOff) {
    ASSERT_TRUE(Open(kDisplayConfigs[2]));
    SetTestPalette();
    DDFillSurface(&BackBuffer, 7);
    D3DSetVirBackBuffer(1);
    DDSURFACEDATA* target = &BackBuffer;
    EXPECT_EQ(D3DRedirectBackBuffer(&target), 1);
    EXPECT_EQ(target, &VirBackBuffer);
    DDFillSurface(&BackBuffer, 5);  // drawn into the virtual back buffer
    EXPECT_EQ(Colour(&BackBuffer, 3, 3), Argb(kBlue));
    D3DSetVirBackBuffer(0);
    EXPECT_EQ(Colour(&BackBuffer, 3, 3), Argb(kRed));
    DDFillSurface(&VirBackBuffer, 6);
    D3DSetVirBackBuffer(0);
    EXPECT_EQ(Colour(&BackBuffer, 3, 3), Argb(kRed));
}

// Boxes while the display is open: full screen switches to the dialog mode around the box,
// a window shows an ordinary one; either way the box's answer comes back.
struct BoxCase {
    int config;
    std::vector<const char*> fail;
    int answer;
};

void PrintTo(const BoxCase& c, std::ostream* os) {
    *os << kDisplayConfigs[c.config].name << " answer " << c.answer;
}

class DisplayBox : public ::testing::TestWithParam<BoxCase>, public DisplayFixture {
protected:
    void SetUp() override {
        Prepare();
        plat::LoadScriptText("box no\n", "");
    }
    void TearDown() override { Close(); }
};

TEST_P(DisplayBox, AnswersThroughTheDisplay) {
    const BoxCase& c = GetParam();
    ASSERT_TRUE(Open(kDisplayConfigs[c.config]));
    plat::Seams seams = plat::GetSeams();
    for (const char* step : c.fail) seams.failSteps.insert(step);
    plat::SetSeams(seams);
    plat::ClearShownBoxes();
    EXPECT_EQ(ShowMessageBox("text", "caption", plat::MB_YESNO), c.answer);
    EXPECT_EQ(plat::ShownBoxes().size(), c.answer ? 1u : 0u);
    if (!c.answer) {
        EXPECT_NE(ErrorText().find("DDMesBox 失敗! text, caption"), std::string::npos);
    }
}

const BoxCase kBoxCases[] = {
    {1, {}, plat::IDNO},                       // Direct3D full screen
    {3, {}, plat::IDNO},                       // DirectDraw full screen
    {2, {"d3d_dialog_box_mode"}, plat::IDNO},  // a window never switches
    {1, {"d3d_dialog_box_mode"}, 0},
    {4, {"ddraw_flip_to_gdi"}, 0},
};

INSTANTIATE_TEST_SUITE_P(Boxes, DisplayBox, ::testing::ValuesIn(kBoxCases));

TEST_F(Display, DialogModeInAWindowChangesNothing) {
    ASSERT_TRUE(Open(kDisplayConfigs[5]));
    const int cursor = plat::ShowCursor(true) - 1;
    plat::ShowCursor(false);
    EXPECT_EQ(DDSetDialogMode(1), 1);
    EXPECT_EQ(DDSetDialogMode(0), 1);
    EXPECT_EQ(plat::ShowCursor(true) - 1, cursor);
    plat::ShowCursor(false);
}

}  // namespace

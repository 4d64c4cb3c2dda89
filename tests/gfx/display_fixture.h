// A display opened headless in one of the six configurations of the player, with its logs
// in a fresh folder and a test palette, and helpers that read pixels straight from the
// device, so a test sees what the drawing layer wrote without going through it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>

#include "base/log.h"
#include "gfx/display.h"
#include "gfx/palette.h"
#include "gfx/surface_tables.h"
#include "platform/d3d9.h"
#include "platform/ddraw.h"
#include "platform/display_window.h"
#include "platform/frame.h"
#include "platform/messages.h"
#include "platform/platform_state.h"
#include "platform/presenter.h"
#include "platform/seams.h"
#include "support/temp_dir.h"

struct DisplayConfig {
    const char* name;
    int direct3D;
    int bpp;
    int windowMode;
};

// Direct3D 16 in a window and full screen, Direct3D 32, DirectDraw 8 (full screen),
// DirectDraw 16 (full screen) and DirectDraw 32 (in a window, at the desktop's depth).
inline const DisplayConfig kDisplayConfigs[] = {
    {"D3D16Window", 1, 16, 1}, {"D3D16Full", 1, 16, 0}, {"D3D32", 1, 32, 1},
    {"DD8Full", 0, 8, 0},      {"DD16Full", 0, 16, 0},  {"DD32Window", 0, 32, 1},
};

inline void PrintTo(const DisplayConfig& c, std::ostream* os) {
    *os << c.name;
}

inline std::string ConfigName(const ::testing::TestParamInfo<DisplayConfig>& info) {
    return info.param.name;
}

// Colours of the test palette, as 8-bit components.
constexpr plat::PALETTEENTRY kKey{255, 0, 255, 0};      // entry 0: the transparent colour
constexpr plat::PALETTEENTRY kRed{255, 0, 0, 0};        // entry 5
constexpr plat::PALETTEENTRY kGreen{0, 255, 0, 0};      // entry 6
constexpr plat::PALETTEENTRY kBlue{0, 0, 255, 0};       // entry 7
constexpr plat::PALETTEENTRY kWhite{255, 255, 255, 0};  // entry 8

inline plat::LRESULT QuietProc(plat::HWND, std::uint32_t, plat::WPARAM, plat::LPARAM) {
    return 0;
}

class DisplayFixture {
public:
    // Opens nothing yet: tests that look at failures set their switches first.
    void Prepare() {
        saved = plat::GetSeams();
        plat::Seams seams;
        seams.headless = true;
        plat::SetSeams(seams);
        // Only the platform's state: fixtures of higher layers that mix this one in set up
        // their own records first.
        plat::ResetPlatformState();
        dir = std::make_unique<TempDir>();
        OpenReportLog("Report.txt");
        SetErrorLog(1, "Error.txt");
        window = plat::CreateWindow(QuietProc);
        plat::SetMainWindow(window);
        plat::OpenDisplayWindow(window, "test", 640, 480);
        baseObjects = plat::LiveDeviceObjects();
    }
    void Fail(std::initializer_list<const char*> steps) {
        plat::Seams seams = plat::GetSeams();
        seams.failSteps.clear();
        for (const char* s : steps) seams.failSteps.insert(s);
        plat::SetSeams(seams);
    }
    bool Open(const DisplayConfig& c, int vsync = 0, int setRefresh = 0) {
        config = c;
        return DDInit(c.direct3D, window, 640, 480, c.bpp, vsync, c.windowMode, 1, 60, setRefresh,
                      StdSD, SurfaceDef, kStdSurfaceCount);
    }
    // The test palette, in the units the back end keeps it in (channel values at 16 bits
    // in DirectDraw), and the transparent colour of entry 0 in every form.
    void SetTestPalette() {
        const plat::PALETTEENTRY colours[] = {kKey, {}, {}, {}, {}, kRed, kGreen, kBlue, kWhite};
        for (int i = 0; i < 256; ++i) Palette[i] = plat::PALETTEENTRY{};
        for (int i = 0; i < 9; ++i) Palette[i] = colours[i];
        if (!config.direct3D && config.bpp == 16) {
            for (auto& e : Palette) {
                e.peRed = static_cast<std::uint8_t>(e.peRed * PixFmt.nMaxR / 255);
                e.peGreen = static_cast<std::uint8_t>(e.peGreen * PixFmt.nMaxG / 255);
                e.peBlue = static_cast<std::uint8_t>(e.peBlue * PixFmt.nMaxB / 255);
            }
        }
        for (int i = 0; i < 256; ++i) PaletteOrg[i] = Palette[i];
        if (lpDDPalette) lpDDPalette->SetEntries(0, 0, 256, Palette);
        if (config.direct3D && config.bpp == 16) {
            // As the palette image would set them: its colour-table entry 0 is the colour
            // of the image files that loads as transparent.
            lpDTCon->rgbTransmit16 = plat::RGBTRIPLE{kKey.peBlue, kKey.peGreen, kKey.peRed};
            DDSetTransmit(31, 0, 31);
        } else if (config.bpp == 8) {
            dwColorKey = 0;
        } else if (config.bpp == 16) {
            // As the palette image would set it (the direct form is refused at 16 bits
            // with a debug box).
            const std::uint8_t key[3] = {Palette[0].peRed, Palette[0].peGreen, Palette[0].peBlue};
            dwColorKey = DDPalToRGB16(key);
        } else {
            DDSetTransmit(255, 0, 255);
        }
    }
    void Close() {
        DDUnInit();
        plat::CloseDisplayWindow();
        plat::DestroyWindow(window);
        plat::ResetPlatformState();
        SetErrorLog(0, "");
        dir.reset();
        plat::SetSeams(saved);
    }

    static std::string ReadFile(const char* name) {
        std::ifstream in(name, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    std::string ReportText() const { return ReadFile("Report.txt"); }
    std::string ErrorText() const { return ReadFile("Error.txt"); }

    DisplayConfig config{};
    plat::HWND window = nullptr;
    int baseObjects = 0;

private:
    plat::Seams saved;
    std::unique_ptr<TempDir> dir;
};

// The device storage behind a surface (its share surface's in Direct3D).
inline plat::SoftSurface* Storage(DDSURFACEDATA* sd) {
    if (sd->lpDT) {
        if (sd->lpShareSD) sd = sd->lpShareSD;
        if (!sd->lpDT) return nullptr;
        if (sd->lpDT->lpTexture) return &sd->lpDT->lpTexture->Pixels();
        if (sd->lpDT->lpSurface) return &sd->lpDT->lpSurface->Pixels();
        return nullptr;
    }
    if (sd->lpDS && sd->lpDS->lpDDSurface) return &sd->lpDS->lpDDSurface->Pixels();
    return nullptr;
}

inline std::uint32_t RawPixel(DDSURFACEDATA* sd, int x, int y) {
    return Storage(sd)->Pixel(x, y);
}

// The colour a pixel shows, as A8R8G8B8 (8-bit pixels through the palette in force).
inline std::uint32_t Colour(DDSURFACEDATA* sd, int x, int y) {
    plat::SoftSurface* s = Storage(sd);
    std::uint32_t lut[256];
    plat::PaletteToArgb(Palette, lut);
    return plat::PixelToArgb(s->Format(), s->Pixel(x, y), lut);
}

inline std::uint32_t Argb(const plat::PALETTEENTRY& e) {
    return 0xFF000000u | std::uint32_t{e.peRed} << 16 | std::uint32_t{e.peGreen} << 8 | e.peBlue;
}

// What the drawing benchmarks share: a headless display with two of the sample game's sheets
// loaded, and for their SDL references the SDL format of a device depth and a device surface
// copied into an SDL surface of the same format and pixels; and the reporter of their ratios.
#pragma once

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "gfx/display.h"
#include "gfx/palette.h"
#include "gfx/palette_file.h"
#include "gfx/surface.h"
#include "gfx/surface_tables.h"
#include "platform/ddraw.h"
#include "platform/display_window.h"
#include "platform/messages.h"
#include "platform/seams.h"
#include "platform/soft_device.h"

inline plat::LRESULT QuietWindowProc(plat::HWND, std::uint32_t, plat::WPARAM, plat::LPARAM) {
    return 0;
}

// A headless display of the configuration with the standard surfaces `first` and `second` (the
// sample game's sheets) loaded; ok() tells whether all of it worked.
class BenchDisplay {
public:
    BenchDisplay(int direct3D, int windowMode, int bpp, int first, int second) {
        plat::Seams seams;
        seams.headless = true;
        plat::SetSeams(seams);
        window_ = plat::CreateWindow(QuietWindowProc);
        plat::SetMainWindow(window_);
        plat::OpenDisplayWindow(window_, "bench", 640, 480);
        ok_ = DDInit(direct3D, window_, 640, 480, bpp, 0, windowMode, 1, 60, 0, StdSD, SurfaceDef,
                     kStdSurfaceCount);
        if (!ok_) return;
        DDLoadPaletteFromFile(Palette, SurfaceDef[0].szFileName, 1);
        DDSetTransmit(SurfaceDef[0].szFileName);
        std::memcpy(PaletteOrg, Palette, sizeof Palette);
        const int set[] = {first, second};
        ok_ = DDLoadSurfaceSet(StdSD, set, 2);
    }
    ~BenchDisplay() {
        DDUnInit();
        plat::CloseDisplayWindow();
        plat::DestroyWindow(window_);
        plat::SetMainWindow(nullptr);
    }
    bool ok() const { return ok_; }

private:
    plat::HWND window_ = nullptr;
    bool ok_ = false;
};

inline Uint32 SdlFormat(int bpp) {
    return bpp == 8    ? SDL_PIXELFORMAT_INDEX8
           : bpp == 16 ? SDL_PIXELFORMAT_RGB565
                       : SDL_PIXELFORMAT_RGB888;
}

// The device storage of a DirectDraw surface as an SDL surface of the same format and pixels.
inline SDL_Surface* CopyToSdl(DDSURFACEDATA& sd, int bpp) {
    plat::SoftSurface& s = sd.lpDS->lpDDSurface->Pixels();
    SDL_Surface* out =
        SDL_CreateRGBSurfaceWithFormat(0, s.Width(), s.Height(), bpp, SdlFormat(bpp));
    if (!out) return nullptr;
    if (bpp == 8) {
        SDL_Color colours[256];
        for (int i = 0; i < 256; ++i)
            colours[i] = SDL_Color{Palette[i].peRed, Palette[i].peGreen, Palette[i].peBlue, 255};
        SDL_SetPaletteColors(out->format->palette, colours, 0, 256);
    }
    for (int y = 0; y < s.Height(); ++y)
        std::memcpy(static_cast<std::uint8_t*>(out->pixels) + y * out->pitch, s.Row(y),
                    static_cast<std::size_t>(s.Width()) * s.BytesPerPixel());
    return out;
}

// Keeps each run's time per iteration, for the ratios printed at the end: with repetitions, the
// median of them, which a busy machine moves least. Colours only on a terminal.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter()
        : ConsoleReporter(isatty(1) ? benchmark::ConsoleReporter::OO_Defaults
                                    : benchmark::ConsoleReporter::OO_None) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (median || (run.run_type == Run::RT_Iteration && run.repetitions <= 1))
                times_[run.run_name.str()] = run.GetAdjustedRealTime();
        }
        ConsoleReporter::ReportRuns(runs);
    }
    // The time of a run in its unit, or 0 when it did not run.
    double Time(const std::string& name) const {
        const auto it = times_.find(name);
        return it == times_.end() ? 0 : it->second;
    }

private:
    std::map<std::string, double> times_;
};

// Runs the registered benchmarks, by default five times each in a shuffled order, so that the
// ratios compare medians taken side by side; options on the command line come after the
// defaults and override them.
inline void RunWithRatios(int argc, char** argv, RatioReporter& reporter) {
    std::vector<std::string> defaults = {
        "--benchmark_repetitions=5", "--benchmark_enable_random_interleaving=true",
        "--benchmark_report_aggregates_only=true", "--benchmark_min_time=0.2s"};
    std::vector<char*> args = {argv[0]};
    for (std::string& d : defaults) args.push_back(d.data());
    for (int i = 1; i < argc; ++i) args.push_back(argv[i]);
    int count = static_cast<int>(args.size());
    args.push_back(nullptr);
    benchmark::Initialize(&count, args.data());
    benchmark::RunSpecifiedBenchmarks(&reporter);
}

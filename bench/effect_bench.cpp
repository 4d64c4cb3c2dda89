// The graphic effects over the full screen in each display configuration: rotation by the
// device and in software, the lens, mosaic blocks of 8, a wave of 640 one-dot strips, a disc
// of radius 300 in one-row bands, and the blur of 320 x 320 at radius 4 and 30. One frame
// has 16.7 ms; a full-screen effect should take under 4 ms of one core.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "base/log.h"
#include "draw_bench.h"
#include "gen/sample_images.h"
#include "gfx/blit.h"
#include "gfx/effect_blur.h"
#include "gfx/effect_circle.h"
#include "gfx/effect_lens.h"
#include "gfx/effect_rotate.h"
#include "gfx/effect_strips.h"

namespace {

struct Config {
    const char* name;
    int direct3D, windowMode, bpp;
};
constexpr Config kConfigs[] = {{"d3d16window", 1, 1, 16}, {"d3d16full", 1, 0, 16},
                               {"d3d32", 1, 1, 32},       {"dd8", 0, 0, 8},
                               {"dd16", 0, 0, 16},        {"dd32", 0, 1, 32}};

// The screen copy the screen effects draw from, and a target of the software path (Direct3D:
// a system-memory texture; DirectDraw draws every effect in software into the back buffer).
struct Surfaces {
    DDSURFACEDATA picture, soft;
    bool Make() {
        if (!DDCreateSurface(&picture, 640, 480, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0))
            return false;
        if (!DDCreateSurface(&soft, 640, 480, 0, 1, DTMEMORYTYPE_SYSTEM, nullptr, 0)) return false;
        DDBltScale(&picture, 0, 0, 640, 480, &StdSD[2], 0, 0, 256, 256, 0);
        return true;
    }
    ~Surfaces() {
        DDReleaseSurface(&picture);
        DDReleaseSurface(&soft);
    }
};

using Effect = std::function<void(Surfaces&, int frame)>;

void Run(benchmark::State& state, Config c, Effect effect) {
    BenchDisplay display(c.direct3D, c.windowMode, c.bpp, 2, 4);
    Surfaces s;
    if (!display.ok() || !s.Make()) {
        state.SkipWithError("display");
        return;
    }
    int frame = 0;
    for (auto _ : state) {
        effect(s, frame++);
        benchmark::ClobberMemory();
    }
}

}  // namespace

int main(int argc, char** argv) {
    char scratch[] = "/tmp/k4-bench-XXXXXX";
    const std::filesystem::path old = std::filesystem::current_path();
    if (!mkdtemp(scratch)) return 1;
    std::filesystem::current_path(scratch);
    OpenReportLog("Report.txt");
    gen::WriteSampleImages(".");

    const std::pair<const char*, Effect> effects[] = {
        {"rotate_device",
         [](Surfaces& s, int f) {
             DDBltRotate(&BackBuffer, 320, 240, 640, 480, 320, 240, 17 + f % 300, &s.picture, 0, 0,
                         0);
         }},
        {"rotate_software",
         [](Surfaces& s, int f) {
             DDSURFACEDATA* d = lpDTCon ? &s.soft : &BackBuffer;
             DDBltRotate(d, 320, 240, 640, 480, 320, 240, 17 + f % 300, &s.picture, 0, 0, 0);
         }},
        {"lens_r240",
         [](Surfaces& s, int) {
             DDBltLens(&BackBuffer, 320, 240, 240, 120, &s.picture, 320, 240, 0, 0);
         }},
        {"mosaic_8",
         [](Surfaces& s, int) { DDMosaic(&BackBuffer, 0, 0, 640, 480, 8, &s.picture, 0, 0, 0); }},
        {"wave_640_strips",
         [](Surfaces& s, int f) {
             DDBltWave(&BackBuffer, 0, 0, 640, 480, 2, 12.0, f % 360, 1, &s.picture, 0, 0, 0, 1);
         }},
        {"circle_r300_rows",
         [](Surfaces& s, int) {
             DDBltCircle(&BackBuffer, 320, 240, 320, 240, 300, 1, &s.picture, 320, 240, 0);
         }},
        {"blur_320_r4",
         [](Surfaces& s, int) { DDBlur(&BackBuffer, 0, 0, 320, 320, 4, 4, &s.picture, 0, 0, 0); }},
        {"blur_320_r30",
         [](Surfaces& s, int) {
             DDBlur(&BackBuffer, 0, 0, 320, 320, 30, 30, &s.picture, 0, 0, 0);
         }},
    };
    for (const Config& c : kConfigs) {
        for (const auto& [name, effect] : effects) {
            if (!c.direct3D && std::string(name) == "rotate_device") continue;
            benchmark::RegisterBenchmark((std::string(name) + "/" + c.name).c_str(), Run, c, effect)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::filesystem::current_path(old);
    std::filesystem::remove_all(scratch);
    return 0;
}

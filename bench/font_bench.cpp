// Text speed: 1000 glyphs of the 16-dot font (menu-like lines of kana, kanji, digits and
// letters) drawn onto the back buffer in each of the six configurations, with the glyph
// caches on and off (off is the Direct3D default), in the IPA faces the player draws with.
// Each run's time is the cost of 1000 glyphs. Run: scripts/bench (or build/font_bench).
#include <benchmark/benchmark.h>

#include <string>

#include "draw_bench.h"
#include "gfx/font.h"

namespace {

struct Config {
    const char* name;
    int direct3D, windowMode, bpp;
};
constexpr Config kConfigs[] = {
    {"D3D16Window", 1, 1, 16}, {"D3D16Full", 1, 0, 16}, {"D3D32", 1, 1, 32},
    {"DD8Full", 0, 0, 8},      {"DD16Full", 0, 0, 16},  {"DD32Window", 0, 1, 32},
};

// 25 lines of 40 characters: 1000 glyphs.
std::string Text() {
    const std::string line = "残りタイム１２３　あいうえおカキクケコ";  // 19 double-byte
    const std::string tail = "Score 0012345 abc!";                      // 18 single-byte
    std::string text;
    for (int i = 0; i < 25; ++i) text += line + "HP" + tail + (i % 2 ? "Ω" : "Z") + "\n";
    return text;
}

void DrawText(benchmark::State& state, const Config& c, int cache) {
    plat::Seams seams;
    seams.headless = true;
    plat::SetSeams(seams);
    plat::HWND window = plat::CreateWindow(QuietWindowProc);
    plat::SetMainWindow(window);
    plat::OpenDisplayWindow(window, "bench", 640, 480);
    if (!DDInit(c.direct3D, window, 640, 480, c.bpp, 0, c.windowMode, 1, 60, 0, StdSD, SurfaceDef,
                kStdSurfaceCount)) {
        state.SkipWithError("the display did not open");
        return;
    }
    for (int i = 0; i < 256; ++i)
        Palette[i] = plat::PALETTEENTRY{static_cast<std::uint8_t>(i), 200, 31, 0};
    {
        Font font;
        font.Create("ＭＳ ゴシック", 0, 16, 16, 16, 241, nullptr, 1, 240, nullptr, cache);
        const std::string text = Text();
        font.Draw(&BackBuffer, 0, 0, text.c_str(), 0);  // every glyph rendered once
        for (auto _ : state) {
            font.Draw(&BackBuffer, 0, 0, text.c_str(), 0);
            if (c.direct3D) D3DEndScene();
        }
        state.SetLabel("time = us per 1000 glyphs");
    }
    DDUnInit();
    plat::CloseDisplayWindow();
    plat::DestroyWindow(window);
    plat::SetMainWindow(nullptr);
}

const int registered = [] {
    for (const Config& c : kConfigs)
        for (int cache : {0, 1})
            benchmark::RegisterBenchmark(
                (std::string("Font16/") + c.name + (cache ? "/cache" : "/direct")).c_str(),
                [c, cache](benchmark::State& s) { DrawText(s, c, cache); })
                ->Unit(benchmark::kMicrosecond);
    return 0;
}();

}  // namespace

BENCHMARK_MAIN();

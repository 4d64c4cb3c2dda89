// Keyed blits against references doing the same work: a full-screen background of 300
// 32 x 32 tiles (opaque) and 300 colour-keyed 32 x 32 sprites, from the sample game's sheets,
// onto a 640 x 480 back buffer, at 8, 16 and 32 bits per pixel.
//
//   ours      the drawing interface (DDBltRect) on the DirectDraw back end; at 32 bits also
//             the Direct3D one, whose sprites are textured quads with alpha blending
//   sdl       SDL's own blitter (SDL_BlitSurface, colour key set) on surfaces holding the
//             same pixels in the same format
//   memcpy    the same rows copied with memcpy (no key test: the floor of any blitter)
//
// Tinted: the 300 tiles drawn translucent and tinted (vertex colour 0x80FF8040 modulating the
// texels' colour and alpha) by the Direct3D back ends, whose quads then go through the loops
// fixed per format and stage operation, against SDL's blitter with the same colour and alpha
// modulation and the key.
//
// The ratios (time of ours / time of the reference) are printed after the runs; below 1
// means ours is faster. Run: scripts/bench (or build-DIR/blit_bench).
#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/log.h"
#include "draw_bench.h"
#include "gen/sample_images.h"
#include "gfx/blit.h"
#include "gfx/display.h"
#include "gfx/palette.h"
#include "gfx/palette_file.h"
#include "gfx/surface_tables.h"
#include "platform/ddraw.h"
#include "platform/display_window.h"
#include "platform/messages.h"
#include "platform/seams.h"

namespace {

constexpr int kBlits = 300;

struct Placement {
    int x, y, sx, sy;
};

// The same tiles and sprites every run: tiles cover the screen, sprites land everywhere.
const std::vector<Placement>& Tiles() {
    static const std::vector<Placement> tiles = [] {
        std::vector<Placement> v;
        for (int i = 0; i < kBlits; ++i) {
            const int n = (i * 7) % 40;
            v.push_back({(i % 20) * 32, (i / 20) * 32, (n / 15) * 32, (n % 15) * 32});
        }
        return v;
    }();
    return tiles;
}

const std::vector<Placement>& Sprites() {
    static const std::vector<Placement> sprites = [] {
        std::vector<Placement> v;
        unsigned h = 12345;
        for (int i = 0; i < kBlits; ++i) {
            h = h * 1103515245u + 12345u;
            v.push_back({static_cast<int>((h >> 8) % 609), static_cast<int>((h >> 16) % 449),
                         (i % 8) * 32, ((i / 8) % 15) * 32});
        }
        return v;
    }();
    return sprites;
}

void Ours(benchmark::State& state, int direct3D, int bpp) {
    BenchDisplay display(direct3D, bpp == 32 ? 1 : 0, bpp, 2, 4);
    if (!display.ok()) {
        state.SkipWithError("display");
        return;
    }
    for (auto _ : state) {
        for (const Placement& p : Tiles())
            DDBltRect(&BackBuffer, p.x, p.y, 32, 32, &StdSD[2], p.sx, p.sy, 0);
        for (const Placement& p : Sprites())
            DDBltRect(&BackBuffer, p.x, p.y, 32, 32, &StdSD[4], p.sx, p.sy, 1);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 2 * kBlits);
}

void Sdl(benchmark::State& state, int bpp) {
    BenchDisplay display(0, bpp == 32 ? 1 : 0, bpp, 2, 4);
    if (!display.ok()) {
        state.SkipWithError("display");
        return;
    }
    SDL_Surface* tiles = CopyToSdl(StdSD[2], bpp);
    SDL_Surface* sprites = CopyToSdl(StdSD[4], bpp);
    const Uint32 format = bpp == 8    ? SDL_PIXELFORMAT_INDEX8
                          : bpp == 16 ? SDL_PIXELFORMAT_RGB565
                                      : SDL_PIXELFORMAT_RGB888;
    SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, bpp, format);
    if (!tiles || !sprites || !screen) {
        state.SkipWithError("SDL surfaces");
        return;
    }
    if (bpp == 8) SDL_SetSurfacePalette(screen, tiles->format->palette);
    SDL_SetColorKey(sprites, SDL_TRUE, dwColorKey);
    for (auto _ : state) {
        for (const Placement& p : Tiles()) {
            SDL_Rect src{p.sx, p.sy, 32, 32}, dst{p.x, p.y, 32, 32};
            SDL_BlitSurface(tiles, &src, screen, &dst);
        }
        for (const Placement& p : Sprites()) {
            SDL_Rect src{p.sx, p.sy, 32, 32}, dst{p.x, p.y, 32, 32};
            SDL_BlitSurface(sprites, &src, screen, &dst);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 2 * kBlits);
    SDL_FreeSurface(screen);
    SDL_FreeSurface(sprites);
    SDL_FreeSurface(tiles);
}

constexpr std::uint32_t kTint = 0x80FF8040u;

void OursTinted(benchmark::State& state, int bpp) {
    BenchDisplay display(1, bpp == 32 ? 1 : 0, bpp, 2, 4);
    if (!display.ok()) {
        state.SkipWithError("display");
        return;
    }
    DDBLEND blend;
    blend.dwDiffuse = kTint;
    for (auto _ : state) {
        for (const Placement& p : Tiles())
            DDBltBlend(&BackBuffer, p.x, p.y, 32, 32, &StdSD[2], p.sx, p.sy, DDBLT_COLORKEY,
                       &blend);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kBlits);
}

void SdlTinted(benchmark::State& state, int bpp) {
    BenchDisplay display(0, bpp == 32 ? 1 : 0, bpp, 2, 4);
    if (!display.ok()) {
        state.SkipWithError("display");
        return;
    }
    SDL_Surface* tiles = CopyToSdl(StdSD[2], bpp);
    SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, bpp, SdlFormat(bpp));
    if (!tiles || !screen) {
        state.SkipWithError("SDL surfaces");
        return;
    }
    SDL_SetColorKey(tiles, SDL_TRUE, dwColorKey);
    SDL_SetSurfaceBlendMode(tiles, SDL_BLENDMODE_BLEND);
    SDL_SetSurfaceColorMod(tiles, (kTint >> 16) & 0xFF, (kTint >> 8) & 0xFF, kTint & 0xFF);
    SDL_SetSurfaceAlphaMod(tiles, kTint >> 24);
    for (auto _ : state) {
        for (const Placement& p : Tiles()) {
            SDL_Rect src{p.sx, p.sy, 32, 32}, dst{p.x, p.y, 32, 32};
            SDL_BlitSurface(tiles, &src, screen, &dst);
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kBlits);
    SDL_FreeSurface(screen);
    SDL_FreeSurface(tiles);
}

void Memcpy(benchmark::State& state, int bpp) {
    const int bytes = bpp / 8;
    std::vector<std::uint8_t> sheet(static_cast<std::size_t>(256) * 480 * bytes, 7);
    std::vector<std::uint8_t> screen(static_cast<std::size_t>(640) * 480 * bytes);
    const std::size_t sheetPitch = 256u * bytes, screenPitch = 640u * bytes, row = 32u * bytes;
    for (auto _ : state) {
        for (const auto* list : {&Tiles(), &Sprites()}) {
            for (const Placement& p : *list) {
                for (int y = 0; y < 32; ++y)
                    std::memcpy(&screen[(p.y + y) * screenPitch + p.x * bytes],
                                &sheet[(p.sy + y) * sheetPitch + p.sx * bytes], row);
            }
        }
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * 2 * kBlits);
}

}  // namespace

int main(int argc, char** argv) {
    // The display writes its logs into the current folder: a scratch one.
    char scratch[] = "/tmp/k4-bench-XXXXXX";
    const std::filesystem::path old = std::filesystem::current_path();
    if (!mkdtemp(scratch)) return 1;
    std::filesystem::current_path(scratch);
    OpenReportLog("Report.txt");
    gen::WriteSampleImages(".");

    for (int bpp : {8, 16, 32}) {
        const std::string d = std::to_string(bpp);
        benchmark::RegisterBenchmark(("ours_directdraw/" + d).c_str(), Ours, 0, bpp);
        if (bpp != 8) benchmark::RegisterBenchmark(("ours_direct3d/" + d).c_str(), Ours, 1, bpp);
        benchmark::RegisterBenchmark(("sdl/" + d).c_str(), Sdl, bpp);
        benchmark::RegisterBenchmark(("memcpy/" + d).c_str(), Memcpy, bpp);
        if (bpp != 8) {
            benchmark::RegisterBenchmark(("ours_direct3d_tinted/" + d).c_str(), OursTinted, bpp);
            benchmark::RegisterBenchmark(("sdl_tinted/" + d).c_str(), SdlTinted, bpp);
        }
    }
    RatioReporter reporter;
    RunWithRatios(argc, argv, reporter);

    std::printf("\nratios (time of ours / time of the reference; below 1: ours is faster)\n");
    for (int bpp : {8, 16, 32}) {
        const std::string d = std::to_string(bpp);
        const double sdl = reporter.Time("sdl/" + d), memcpy = reporter.Time("memcpy/" + d);
        for (const char* ours : {"ours_directdraw/", "ours_direct3d/"}) {
            const double o = reporter.Time(ours + d);
            if (o > 0 && sdl > 0 && memcpy > 0)
                std::printf("  %-17s %2d bits: / SDL %.2f   / memcpy %.2f\n", ours, bpp, o / sdl,
                            o / memcpy);
        }
        const double o = reporter.Time("ours_direct3d_tinted/" + d);
        const double s = reporter.Time("sdl_tinted/" + d);
        if (o > 0 && s > 0)
            std::printf("  %-17s %2d bits: / SDL %.2f\n", "tinted direct3d", bpp, o / s);
    }
    std::filesystem::current_path(old);
    std::filesystem::remove_all(scratch);
    return 0;
}

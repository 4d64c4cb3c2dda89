// One heavy frame in each of the six display configurations, against the same operations done
// with SDL into a 640 x 480 surface of the same format, and against memcpy of the frame's bytes.
//
// The reference frame:
//   a clear of the back buffer,
//   8 full-screen background layers, keyed (the character sheet, 256 x 480, three times across),
//   600 keyed 32 x 32 sprites, every fourth one mirrored (Direct3D; DirectDraw draws it plain),
//   100 blended 32 x 32 sprites (vertex alpha 0x80 under modulate; DirectDraw: plain keyed blits),
//   one translucent full-screen overlay (Direct3D: a fill of alpha 0x80; DirectDraw 16 and 32:
//   the fade of the screen at level 128; DirectDraw 8: the palette faded),
//   the present (the frame converted for the window).
//
//   ours/CONFIG     the drawing interface on the configuration's back end, headless
//   sdl/BPP         SDL_FillRect, colour-keyed SDL_BlitSurface, alpha-modulated blits (the
//                   overlay a black surface blitted with alpha 128) into a surface of the same
//                   format, and SDL_ConvertPixels of the frame to ARGB8888 for the present
//   memcpy/BPP      the bytes each operation writes, copied row by row with memcpy
//
// After the runs, per configuration: ours / SDL, ours / memcpy and the time of one frame.
// Run: scripts/bench (or build-DIR/frame_bench).
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
#include "gfx/fade.h"
#include "gfx/fill.h"
#include "gfx/palette.h"
#include "gfx/palette_file.h"
#include "gfx/surface_tables.h"
#include "platform/d3d9.h"
#include "platform/ddraw.h"
#include "platform/display_window.h"
#include "platform/messages.h"
#include "platform/seams.h"

namespace {

constexpr int kLayers = 8;
constexpr int kSprites = 600;
constexpr int kBlended = 100;
constexpr int kSheetW = 256, kSheetH = 480;  // the character sheet
constexpr int kBlocks = 2, kChars = 4;       // their places in the standard surfaces

struct Config {
    const char* name;
    int direct3D, windowMode, bpp;
};
const Config kConfigs[] = {{"D3D32Window", 1, 1, 32}, {"D3D16Window", 1, 1, 16},
                           {"D3D16Full", 1, 0, 16},   {"DD32Window", 0, 1, 32},
                           {"DD16Full", 0, 0, 16},    {"DD8Full", 0, 0, 8}};

struct Placement {
    int x, y, sx, sy;
};

// The same sprites every run, landing everywhere (some cut by an edge).
std::vector<Placement> MakeSprites(int count, unsigned h) {
    std::vector<Placement> v;
    for (int i = 0; i < count; ++i) {
        h = h * 1103515245u + 12345u;
        v.push_back({static_cast<int>((h >> 8) % 640) - 16, static_cast<int>((h >> 16) % 480) - 16,
                     (i % 8) * 32, ((i / 8) % 15) * 32});
    }
    return v;
}
const std::vector<Placement>& Sprites() {
    static const std::vector<Placement> v = MakeSprites(kSprites, 12345);
    return v;
}
const std::vector<Placement>& Blended() {
    static const std::vector<Placement> v = MakeSprites(kBlended, 777);
    return v;
}

void Present(const Config& c) {
    if (c.direct3D) {
        D3DEndScene();
        lpDevice->Present(nullptr, nullptr, nullptr, nullptr);
        return;
    }
    // As the scene manager presents a frame that does not wait for the display.
    plat::IDirectDrawSurface7* primary = PrimarySD.lpDS ? PrimarySD.lpDS->lpDDSurface : nullptr;
    plat::IDirectDrawSurface7* back = BackBuffer.lpDS ? BackBuffer.lpDS->lpDDSurface : nullptr;
    if (c.windowMode && primary && back)
        primary->Blt(&rcClientScreen, back, nullptr, plat::DDBLT_WAIT, nullptr);
    else
        DDBltRect(&PrimarySD, 0, 0, 640, 480, &BackBuffer, 0, 0, 0);
}

void DrawFrame(const Config& c) {
    DDSURFACEDATA* chars = &StdSD[kChars];
    if (c.direct3D)
        D3DFillSurface(&BackBuffer, 0xFF203040u);
    else
        DDFillSurface(&BackBuffer, 17);
    for (int layer = 0; layer < kLayers; ++layer)
        for (int x = 0; x < 640; x += kSheetW)
            DDBltRect(&BackBuffer, x, 0, kSheetW, kSheetH, chars, 0, 0, DDBLT_COLORKEY);
    int i = 0;
    for (const Placement& p : Sprites()) {
        if (c.direct3D && i++ % 4 == 0)
            DDBltScale(&BackBuffer, p.x, p.y, 32, 32, chars, p.sx + 32, p.sy, -32, 32,
                       DDBLT_COLORKEY);
        else
            DDBltRect(&BackBuffer, p.x, p.y, 32, 32, chars, p.sx, p.sy, DDBLT_COLORKEY);
    }
    DDBLEND blend;
    blend.dwDiffuse = 0x80FFFFFFu;
    for (const Placement& p : Blended())
        DDBltBlend(&BackBuffer, p.x, p.y, 32, 32, chars, p.sx, p.sy, DDBLT_COLORKEY, &blend);
    if (c.direct3D) {
        D3DFillRect(&BackBuffer, 0, 0, 640, 480, 0x80000000u);
    } else if (c.bpp == 8) {
        plat::PALETTEENTRY faded[256];
        PalFadeToRGB(faded, 0, 255, 128, 0, 0, 0, PaletteOrg);
        if (lpDDPalette) lpDDPalette->SetEntries(0, 0, 256, faded);
    } else {
        DDFade_UnPal(&BackBuffer, 128, 0, 0, 0, &FadeSD);
    }
    Present(c);
}

void Ours(benchmark::State& state, Config c) {
    BenchDisplay display(c.direct3D, c.windowMode, c.bpp, kBlocks, kChars);
    if (!display.ok()) {
        state.SkipWithError("display");
        return;
    }
    for (auto _ : state) {
        DrawFrame(c);
        benchmark::ClobberMemory();
    }
}

void Sdl(benchmark::State& state, int bpp) {
    const Config dd{"", 0, bpp == 32 ? 1 : 0, bpp};
    BenchDisplay display(dd.direct3D, dd.windowMode, dd.bpp, kBlocks, kChars);
    if (!display.ok()) {
        state.SkipWithError("display");
        return;
    }
    SDL_Surface* keyed = CopyToSdl(StdSD[kChars], bpp);
    SDL_Surface* blended = CopyToSdl(StdSD[kChars], bpp);
    SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, bpp, SdlFormat(bpp));
    SDL_Surface* black = SDL_CreateRGBSurfaceWithFormat(0, 640, 480, bpp, SdlFormat(bpp));
    std::vector<std::uint32_t> shown(640 * 480);
    if (!keyed || !blended || !screen || !black) {
        state.SkipWithError("SDL surfaces");
        return;
    }
    if (bpp == 8) {
        SDL_SetSurfacePalette(screen, keyed->format->palette);
        SDL_SetSurfacePalette(black, keyed->format->palette);
    }
    SDL_SetColorKey(keyed, SDL_TRUE, dwColorKey);
    SDL_SetColorKey(blended, SDL_TRUE, dwColorKey);
    // At 8 bits the blended sprites and the overlay are what DirectDraw 8 draws: plain keyed
    // blits, and no pixels for the palette fade.
    if (bpp != 8) {
        SDL_SetSurfaceBlendMode(blended, SDL_BLENDMODE_BLEND);
        SDL_SetSurfaceAlphaMod(blended, 0x80);
        SDL_FillRect(black, nullptr, 0);
        SDL_SetSurfaceBlendMode(black, SDL_BLENDMODE_BLEND);
        SDL_SetSurfaceAlphaMod(black, 0x80);
    }
    const Uint32 clear = SDL_MapRGB(screen->format, 0x20, 0x30, 0x40);
    for (auto _ : state) {
        SDL_FillRect(screen, nullptr, clear);
        for (int layer = 0; layer < kLayers; ++layer) {
            for (int x = 0; x < 640; x += kSheetW) {
                SDL_Rect src{0, 0, kSheetW, kSheetH}, dst{x, 0, kSheetW, kSheetH};
                SDL_BlitSurface(keyed, &src, screen, &dst);
            }
        }
        for (const Placement& p : Sprites()) {
            SDL_Rect src{p.sx, p.sy, 32, 32}, dst{p.x, p.y, 32, 32};
            SDL_BlitSurface(keyed, &src, screen, &dst);
        }
        for (const Placement& p : Blended()) {
            SDL_Rect src{p.sx, p.sy, 32, 32}, dst{p.x, p.y, 32, 32};
            SDL_BlitSurface(blended, &src, screen, &dst);
        }
        if (bpp != 8) SDL_BlitSurface(black, nullptr, screen, nullptr);
        if (bpp == 8) {
            // The palette lookup of the present, as SDL would convert an indexed frame.
            const SDL_Color* colours = screen->format->palette->colors;
            for (int y = 0; y < 480; ++y) {
                const auto* row =
                    static_cast<const std::uint8_t*>(screen->pixels) + y * screen->pitch;
                for (int x = 0; x < 640; ++x) {
                    const SDL_Color& k = colours[row[x]];
                    shown[y * 640 + x] = 0xFF000000u | k.r << 16 | k.g << 8 | k.b;
                }
            }
        } else {
            SDL_ConvertPixels(640, 480, SdlFormat(bpp), screen->pixels, screen->pitch,
                              SDL_PIXELFORMAT_ARGB8888, shown.data(), 640 * 4);
        }
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(black);
    SDL_FreeSurface(screen);
    SDL_FreeSurface(blended);
    SDL_FreeSurface(keyed);
}

// The bytes the frame writes, row by row: the clear, the layers, the sprites, the overlay
// (read and written: counted once) and the present's frame of 4 bytes a pixel.
void Memcpy(benchmark::State& state, int bpp) {
    const int bytes = bpp / 8;
    std::vector<std::uint8_t> sheet(static_cast<std::size_t>(kSheetW) * kSheetH * bytes, 7);
    std::vector<std::uint8_t> screen(static_cast<std::size_t>(640) * 480 * bytes, 1);
    std::vector<std::uint8_t> shown(static_cast<std::size_t>(640) * 480 * 4);
    const std::size_t sheetPitch = std::size_t{kSheetW} * bytes, screenPitch = 640u * bytes;
    auto copy = [&](const Placement& p, int w, int h) {
        for (int y = 0; y < h; ++y) {
            const int dy = std::min(std::max(p.y, 0), 480 - h) + y;
            const int dx = std::min(std::max(p.x, 0), 640 - w);
            std::memcpy(&screen[dy * screenPitch + dx * bytes],
                        &sheet[(p.sy + y) * sheetPitch + p.sx * bytes],
                        static_cast<std::size_t>(w) * bytes);
        }
    };
    for (auto _ : state) {
        std::memset(screen.data(), 3, screen.size());
        for (int layer = 0; layer < kLayers; ++layer)
            for (int x = 0; x < 640; x += kSheetW)
                copy({x, 0, 0, 0}, std::min(kSheetW, 640 - x), kSheetH);
        for (const Placement& p : Sprites()) copy(p, 32, 32);
        for (const Placement& p : Blended()) copy(p, 32, 32);
        if (bpp != 8) std::memcpy(screen.data(), shown.data(), screen.size());
        std::memcpy(shown.data(), screen.data(), std::min(shown.size(), screen.size()));
        if (bytes < 4)
            std::memcpy(shown.data() + screen.size(), screen.data(), shown.size() - screen.size());
        benchmark::ClobberMemory();
    }
}

}  // namespace

int main(int argc, char** argv) {
    // The display writes its logs into the current folder: a scratch one.
    char scratch[] = "/tmp/k4-bench-frame-XXXXXX";
    const std::filesystem::path old = std::filesystem::current_path();
    if (!mkdtemp(scratch)) return 1;
    std::filesystem::current_path(scratch);
    OpenReportLog("Report.txt");
    gen::WriteSampleImages(".");

    for (const Config& c : kConfigs)
        benchmark::RegisterBenchmark((std::string("ours/") + c.name).c_str(), Ours, c)
            ->Unit(benchmark::kMicrosecond);
    for (int bpp : {8, 16, 32}) {
        const std::string d = std::to_string(bpp);
        benchmark::RegisterBenchmark(("sdl/" + d).c_str(), Sdl, bpp)->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("memcpy/" + d).c_str(), Memcpy, bpp)
            ->Unit(benchmark::kMicrosecond);
    }
    RatioReporter reporter;
    RunWithRatios(argc, argv, reporter);

    std::printf(
        "\nthe reference frame (time of ours / time of the reference; below 1: ours is "
        "faster)\n");
    for (const Config& c : kConfigs) {
        const std::string d = std::to_string(c.bpp);
        const double o = reporter.Time(std::string("ours/") + c.name);
        const double s = reporter.Time("sdl/" + d), m = reporter.Time("memcpy/" + d);
        if (o <= 0 || s <= 0 || m <= 0) continue;
        // The runs report microseconds (their unit).
        std::printf("  %-12s / SDL %.2f   / memcpy %.2f   frame %6.3f ms\n", c.name, o / s, o / m,
                    o / 1000);
    }
    std::filesystem::current_path(old);
    std::filesystem::remove_all(scratch);
    return 0;
}

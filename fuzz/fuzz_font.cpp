// Hostile text through the font class: arbitrary bytes (lone lead bytes, bad trail bytes,
// 0x80, 0xA0, 0xFD-0xFF, long lines, many line feeds, letters with icons) drawn, boxed and
// measured into small surfaces, in both back ends, with and without glyph caches.
//
// Input: byte 0 chooses the display (bits 0-1), caches (bit 2), letter icons (bit 3), glyph
// centring (bit 4) and a proportional font (bit 5); bytes 1 and 2 the position (signed); the
// rest is the text.
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/log.h"
#include "gfx/display.h"
#include "gfx/fill.h"
#include "gfx/font.h"
#include "gfx/palette.h"
#include "gfx/surface_tables.h"
#include "platform/display_window.h"
#include "platform/messages.h"
#include "platform/seams.h"

namespace {

struct Config {
    int direct3D, bpp, windowMode;
};
constexpr Config kConfigs[] = {{1, 32, 1}, {1, 16, 0}, {0, 8, 0}, {0, 16, 0}};

plat::LRESULT Quiet(plat::HWND, std::uint32_t, plat::WPARAM, plat::LPARAM) {
    return 0;
}

struct World {
    int config = -1;
    int cache = -1;
    int proportional = -1;
    plat::HWND window = nullptr;
    Font font;
    DDSURFACEDATA small, plain, windowSD, iconSD;

    World() {
        plat::Seams seams;
        seams.headless = true;
        plat::SetSeams(seams);
        window = plat::CreateWindow(Quiet);
        plat::SetMainWindow(window);
        plat::OpenDisplayWindow(window, "fuzz", 640, 480);
    }
    void Close() {
        font.Release();
        for (DDSURFACEDATA* sd : {&small, &plain, &windowSD, &iconSD}) DDReleaseSurface(sd);
        if (config >= 0) DDUnInit();
        config = -1;
    }
    void Use(int c, int withCache, int prop) {
        if (c == config && withCache == cache && prop == proportional) return;
        if (c != config) {
            Close();
            const Config& k = kConfigs[c];
            if (!DDInit(k.direct3D, window, 640, 480, k.bpp, 0, k.windowMode, 1, 60, 0, StdSD,
                        SurfaceDef, kStdSurfaceCount))
                return;
            config = c;
            for (int i = 0; i < 256; ++i)
                Palette[i] = plat::PALETTEENTRY{static_cast<std::uint8_t>(i),
                                                static_cast<std::uint8_t>(255 - i), 31, 0};
            DDCreateSurface(&small, 48, 24, 1, 0, 0, nullptr, 0);
            DDCreateSurface(&plain, 48, 24, 1, 0, lpDTCon ? DTMEMORYTYPE_VIDEO_NORT : 0, nullptr,
                            0);
            DDCreateSurface(&windowSD, 64, 32, 0, 0, 0, nullptr, 0);
            DDCreateSurface(&iconSD, 26 * 16, 16, 1, 0, 0, nullptr, 0);
            DDFillSurface(&iconSD, 5);
        }
        cache = withCache;
        proportional = prop;
        font.Release();
        font.Create("ＭＳ ゴシック", 0, 16, prop ? 0 : 16, 16, 241, &windowSD, 1, 240, &iconSD,
                    withCache);
    }
};

World& TheWorld() {
    static World& world = *new World;
    return world;
}

}  // namespace

// fontconfig keeps its configuration, read at the first match, until FcFini: not a leak of
// the code under test.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

// A display and a font made before the inputs, so the first input does not pay for reading
// the font configuration.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    TheWorld().Use(0, 1, 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    World& world = TheWorld();
    if (size < 3) return 0;
    world.Use(data[0] & 3, (data[0] >> 2) & 1, (data[0] >> 5) & 1);
    if (world.config < 0) return 0;
    Font& font = world.font;
    font.bIcons = (data[0] >> 3) & 1;
    font.bCentre = (data[0] >> 4) & 1;
    const int x = static_cast<std::int8_t>(data[1]), y = static_cast<std::int8_t>(data[2]);
    const std::string text(reinterpret_cast<const char*>(data + 3), size - 3);
    const char* t = text.c_str();
    font.Draw(&world.small, x, y, t, 0);
    font.Draw(&world.plain, x, y, t, 1);
    font.DrawInWindow(&world.small, x, y, 0, 0, t, 2);
    font.DrawInWindow(&world.plain, 10000, y, 0, 8, t, 0);
    font.DrawWindowF(&world.small, x, y, 0, 0, "%s", t);
    const plat::SIZE size1 = font.GetTextSize(t);
    plat::SIZE size2;
    plat::DeviceContext none(nullptr, nullptr);
    font.GetTextExtent(&size2, &none, t);
    if (size1.cy < 0 || size2.cx < 0) __builtin_trap();
    return 0;
}

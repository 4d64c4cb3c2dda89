// The effects between the back ends: the strip effects are ordinary blits and give the same
// pixels in 32-bit DirectDraw and 32-bit Direct3D; mosaic, flash and translucency take
// different ways there (top-left samples against block means, the device's blend factor
// against half-mixes, nAlpha against always half), so their pixels must differ, which
// catches a path shared by mistake.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "draw_fixture.h"
#include "gfx/effect_blur.h"
#include "gfx/effect_colour.h"
#include "gfx/effect_strips.h"
#include "gfx/hbt_table.h"

namespace {

class EffectBackends : public ::testing::Test, public DisplayFixture {
protected:
    // The colours of the destination after `draw` in one configuration.
    std::vector<std::uint32_t> Run(
        const DisplayConfig& c,
        const std::function<void(DDSURFACEDATA* dst, DDSURFACEDATA* src)>& draw) {
        Prepare();
        std::vector<std::uint32_t> out;
        if (!Open(c)) {
            ADD_FAILURE() << "display " << c.name;
            Close();
            return out;
        }
        SetTestPalette();
        {
            DDSURFACEDATA src, dst;
            EXPECT_TRUE(DDCreateSurface(&src, 8, 4, 0, 0, 0, nullptr, 0));
            EXPECT_TRUE(DDCreateSurface(&dst, 12, 8, 0, 0, 0, nullptr, 0));
            Paint(&src, {"rgwbrgwb", "wbrgwbrg", "rrggbbww", "gwbrgwbr"});
            Paint(&dst, std::vector<std::string>(8, "bbbbbbbbbbbb"));
            draw(&dst, &src);
            for (int y = 0; y < 8; ++y)
                for (int x = 0; x < 12; ++x) out.push_back(Colour(&dst, x, y) | 0xFF000000u);
            DDReleaseSurface(&src);
            DDReleaseSurface(&dst);
        }
        Close();
        return out;
    }
    const DisplayConfig& d3d32 = kDisplayConfigs[2];
    const DisplayConfig& dd32 = kDisplayConfigs[5];
};

TEST_F(EffectBackends, StripEffectsGiveTheSamePixels) {
    const std::pair<const char*, std::function<void(DDSURFACEDATA*, DDSURFACEDATA*)>> effects[] = {
        {"wave", [](DDSURFACEDATA* d,
                    DDSURFACEDATA* s) { DDBltWave(d, 2, 2, 8, 4, 1, 2.5, 20, 1, s, 0, 0, 0, 1); }},
        {"wave rows",
         [](DDSURFACEDATA* d, DDSURFACEDATA* s) {
             DDBltWave(d, 2, 2, 8, 4, 2, 3.0, 0, 1, s, 0, 0, 0, 0);
         }},
        {"interlace", [](DDSURFACEDATA* d,
                         DDSURFACEDATA* s) { DDBltInterlace(d, 2, 2, 8, 4, 2, 1, s, 0, 0, 0, 1); }},
        {"turn",
         [](DDSURFACEDATA* d, DDSURFACEDATA* s) {
             DDBltTurn(d, 2, 2, 8, 4, s, 0, 0, s, 4, 0, 4, 4, 0, 2, 0);
         }},
        {"split",
         [](DDSURFACEDATA* d, DDSURFACEDATA* s) { DDBltSplit4(d, 2, 2, 8, 4, s, 0, 0, 1, 0); }},
    };
    for (const auto& [name, draw] : effects) {
        SCOPED_TRACE(name);
        const auto a = Run(d3d32, draw), b = Run(dd32, draw);
        EXPECT_EQ(a, b);
        EXPECT_NE(a, Run(dd32, [](DDSURFACEDATA*, DDSURFACEDATA*) {})) << "something drawn";
    }
}

TEST_F(EffectBackends, PixelEffectsDifferWhereTheBackEndsDiffer) {
    for (int i = 0; i < 65536; ++i) HbtTable[i] = static_cast<std::uint8_t>(i >> 8);
    const std::pair<const char*, std::function<void(DDSURFACEDATA*, DDSURFACEDATA*)>> effects[] = {
        // Top-left sample against the block's mean.
        {"mosaic",
         [](DDSURFACEDATA* d, DDSURFACEDATA* s) { DDMosaic(d, 0, 0, 8, 4, 2, s, 0, 0, 0); }},
        // E = 80 against two half-mixes.
        {"flash",
         [](DDSURFACEDATA* d, DDSURFACEDATA* s) {
             DDBltFlash(d, 0, 0, 8, 4, s, 0, 0, 0, Palette, HbtTable, 7, 2);
         }},
        // nAlpha 0 draws the picture opaque in the device; software mixes half.
        {"translucency",
         [](DDSURFACEDATA* d, DDSURFACEDATA* s) {
             DDBltTrans(d, 0, 0, 8, 4, s, 0, 0, 0, HbtTable, 0);
         }},
    };
    for (const auto& [name, draw] : effects) {
        SCOPED_TRACE(name);
        EXPECT_NE(Run(d3d32, draw), Run(dd32, draw));
    }
}

}  // namespace

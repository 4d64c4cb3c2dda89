// Composite frames compared with golden images: background tiles, colour-keyed sprites (one
// cut at the screen's edges), a mirrored and a stretched sprite, a blended one and shots,
// under a fade at its midpoint, in each of the six configurations, compared pixel by pixel
// with tests/golden/composite_<configuration>.png.
//
// K4_UPDATE_GOLDEN=1 writes the goldens instead of comparing. On a mismatch the actual frame
// and a difference image (differing pixels red) go to golden_out/ beside the test program.
#include <gtest/gtest.h>
#include <png.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "draw_fixture.h"
#include "gen/sample_images.h"
#include "gfx/effect_blur.h"
#include "gfx/effect_circle.h"
#include "gfx/effect_colour.h"
#include "gfx/effect_lens.h"
#include "gfx/effect_rotate.h"
#include "gfx/effect_strips.h"
#include "gfx/fade.h"
#include "gfx/hbt_table.h"
#include "gfx/palette_file.h"
#include "gfx/surface_tables.h"
#include "platform/ddraw.h"
#include "platform/image_decoder.h"

namespace {

// Given by the build as an absolute path: __FILE__ may be relative (ccache's base folder)
// and the display fixture runs each test in a folder of its own.
std::filesystem::path GoldenDir() {
    return K4_GOLDEN_DIR;
}

std::filesystem::path OutputDir() {
    char exe[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return std::filesystem::temp_directory_path() / "golden_out";
    return std::filesystem::path(std::string(exe, static_cast<std::size_t>(n))).parent_path() /
           "golden_out";
}

bool WriteRgbPng(const std::filesystem::path& path, const std::vector<std::uint32_t>& argb, int w,
                 int h) {
    std::vector<std::uint8_t> rgb;
    rgb.reserve(argb.size() * 3);
    for (std::uint32_t c : argb) {
        rgb.push_back(static_cast<std::uint8_t>(c >> 16));
        rgb.push_back(static_cast<std::uint8_t>(c >> 8));
        rgb.push_back(static_cast<std::uint8_t>(c));
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(w);
    image.height = static_cast<png_uint_32>(h);
    image.format = PNG_FORMAT_RGB;
    std::filesystem::create_directories(path.parent_path());
    return png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) != 0;
}

class Golden : public DrawTest {
protected:
    // What start-up does before any image: the palette and the transparent colour from the
    // palette image.
    void LoadSampleImages() {
        ASSERT_TRUE(gen::WriteSampleImages("."));
        if (lpDTCon) lpDTCon->rgbTransmit = lpDTCon->rgbTransmit16 = plat::RGBTRIPLE{};
        if (lpDDCon) lpDDCon->rgbTransmit = lpDDCon->rgbTransmit16 = plat::RGBTRIPLE{};
        ASSERT_TRUE(DDLoadPaletteFromFile(Palette, "bmp\\plt\\Palette.bmp", 1));
        ASSERT_EQ(DDSetTransmit("bmp\\plt\\Palette.bmp"), 1);
        std::memcpy(PaletteOrg, Palette, sizeof Palette);
        if (Bpp() == 8) lpDDPalette->SetEntries(0, 0, 256, Palette);
        LinkSharedSurfaces();
        const int set[] = {2, 4, 5, 20};
        ASSERT_TRUE(DDLoadSurfaceSet(StdSD, set, 4));
    }

    void DrawScene(DDSURFACEDATA* target = &BackBuffer) {
        for (int ty = 0; ty < 15; ++ty) {
            for (int tx = 0; tx < 20; ++tx) {
                const int n = (tx * 7 + ty * 3) % 40;
                DDBltRect(target, tx * 32, ty * 32, 32, 32, &StdSD[2], (n / 15) * 32, (n % 15) * 32,
                          0);
            }
        }
        for (int i = 0; i < 12; ++i)
            DDBltRect(target, 40 + i * 48, 100 + (i % 3) * 40, 32, 32, &StdSD[4], (i % 8) * 32,
                      (i % 15) * 32, 1);
        DDBltRect(target, -10, 460, 32, 32, &StdSD[4], 0, 64, 1);   // cut left and below
        DDBltRect(target, 620, -12, 32, 32, &StdSD[4], 32, 96, 1);  // cut right and above
        DDBltRect(target, 100, 300, 32, 32, &StdSD[5], 32, 32, 1);  // mirrored
        DDBltRect(target, 140, 300, 32, 32, &StdSD[4], 32, 32, 1);  // the same, plain
        DDBltScale(target, 200, 280, 64, 96, &StdSD[4], 128, 160, 32, 32, 1);  // stretched
        D3DSetAlphaOp(plat::D3DTOP_MODULATE);
        const DDBLEND half{0x80FFFFFFu, plat::D3DTOP_MODULATE};
        DDBltBlend(target, 300, 300, 32, 32, &StdSD[4], 64, 192, 1, &half);  // blended
        D3DResetAlphaOp();
        for (int i = 0; i < 5; ++i)
            DDBltRect(target, 360 + i * 40, 380, 64, 32, &StdSD[20], 0, i * 32, 1);
    }

    std::vector<std::uint32_t> Frame() {
        std::vector<std::uint32_t> out;
        for (int y = 0; y < 480; ++y) {
            for (int x = 0; x < 640; ++x) {
                if (Bpp() == 8)
                    out.push_back(Argb(lpDDPalette->Entries()[RawPixel(&BackBuffer, x, y)]));
                else
                    out.push_back(Colour(&BackBuffer, x, y) | 0xFF000000u);
            }
        }
        return out;
    }
    // Compares a frame with tests/golden/<name> (or writes it with K4_UPDATE_GOLDEN=1).
    void CompareWithGolden(const std::string& name, const std::vector<std::uint32_t>& actual) {
        const std::filesystem::path golden = GoldenDir() / name;
        const char* update = std::getenv("K4_UPDATE_GOLDEN");
        if (update && std::string(update) == "1") {
            ASSERT_TRUE(WriteRgbPng(golden, actual, 640, 480)) << golden;
            std::printf("golden written: %s\n", golden.c_str());
            return;
        }
        std::ifstream in(golden, std::ios::binary);
        ASSERT_TRUE(in.good()) << golden << " is missing; K4_UPDATE_GOLDEN=1 writes it";
        const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), {});
        plat::DecodedImage expected;
        ASSERT_TRUE(plat::DecodeImage(bytes.data(), bytes.size(), expected, nullptr)) << golden;
        ASSERT_EQ(expected.width, 640);
        ASSERT_EQ(expected.height, 480);
        int differing = 0;
        std::vector<std::uint32_t> diff(actual.size());
        for (std::size_t i = 0; i < actual.size(); ++i) {
            const bool same = (expected.argb[i] | 0xFF000000u) == actual[i];
            differing += same ? 0 : 1;
            diff[i] = same ? 0xFF000000u | ((actual[i] >> 2) & 0x3F3F3F) : 0xFFFF0000u;
        }
        if (differing != 0) {
            const std::filesystem::path out = OutputDir();
            WriteRgbPng(out / ("actual_" + name), actual, 640, 480);
            WriteRgbPng(out / ("diff_" + name), diff, 640, 480);
            ADD_FAILURE() << differing << " pixels differ from " << golden
                          << "; actual and diff in " << out;
        }
    }
};

TEST_P(Golden, CompositeFrame) {
    LoadSampleImages();
    DDFadeOut(PaletteOrg, 0, 255, 0, 0, 0, 10, Palette, true);
    if (Bpp() == 8) lpDDPalette->SetEntries(0, 0, 256, Palette);
    // Five frames of a fade-out: the last drawn at 50 degrees.
    for (int frame = 0; frame < 5; ++frame) {
        DrawScene();
        EXPECT_FALSE(DDFadeOut(PaletteOrg, 0, 255, 0, 0, 0, 10, Palette, false));
    }
    const std::vector<std::uint32_t> actual = Frame();
    // The fade finishes, so later tests start from a clear screen.
    while (!DDFadeOut(PaletteOrg, 0, 255, 0, 0, 0, 10, Palette, false)) {
    }
    for (int i = 0; i < kStdSurfaceCount; ++i) DDReleaseSurface(&StdSD[i]);

    CompareWithGolden(std::string("composite_") + GetParam().name + ".png", actual);
}

// One cell of 160 x 160 per effect at fixed parameters, drawn from a copy of the composite
// scene into the back buffer: the strip effects, blur, mosaic, flash, translucency, circle,
// lens, rotation and tint (Direct3D; DirectDraw leaves its cell as it is), compared with
// tests/golden/effects_<configuration>.png.
TEST_P(Golden, EffectsFrame) {
    LoadSampleImages();
    // The half-mix table of the sample palette, for the 8-bit mixes.
    ASSERT_TRUE(gen::WriteHbtTables("."));
    ASSERT_TRUE(DDLoadHbtTable(HbtTable, "bmp\\hbt\\hbt00.dat"));
    DDSURFACEDATA scene;
    ASSERT_TRUE(DDCreateSurface(&scene, 640, 480, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
    DrawScene(&scene);
    for (int y = 0; y < 480; y += 32)
        for (int x = 0; x < 640; x += 32)
            DDBltRect(&BackBuffer, x, y, 32, 32, &StdSD[2], 224, 0, 0);
    // Cell (c, r) at (160 c, 160 r) reads the same place of the scene.
    auto at = [](int cell, int* x, int* y) {
        *x = cell % 4 * 160;
        *y = cell / 4 * 160;
    };
    int x, y;
    at(0, &x, &y);
    DDBltWave(&BackBuffer, x, y, 160, 160, 2, 12.0, 45, 2, &scene, x, y, 0, 1);
    at(1, &x, &y);
    DDBltInterlace(&BackBuffer, x, y, 160, 160, 8, 12, &scene, x, y, 0, 0);
    at(2, &x, &y);
    DDBltTurn(&BackBuffer, x, y, 160, 160, &scene, x, y, &StdSD[4], 0, 0, 160, 160, 0, 30, 0);
    at(3, &x, &y);
    DDBltSplit4(&BackBuffer, x + 8, y + 8, 144, 144, &scene, x + 8, y + 8, 6, 0);
    at(4, &x, &y);
    DDBlur(&BackBuffer, x, y, 160, 160, 3, 2, &scene, x, y, 0);
    at(5, &x, &y);
    DDMosaic(&BackBuffer, x, y, 160, 160, 12, &scene, x, y, 0);
    at(6, &x, &y);
    DDBltFlash(&BackBuffer, x, y, 160, 160, &scene, x, y, 0, Palette, HbtTable, 200, 2);
    at(7, &x, &y);
    DDBltHalfTrans(&BackBuffer, x, y, 160, 160, &scene, x + 40, y, 0, HbtTable);
    at(8, &x, &y);
    DDBltCircle(&BackBuffer, x + 80, y + 80, 80, 80, 70, 1, &scene, x + 80, y + 80, 0);
    at(9, &x, &y);
    DDBltLens(&BackBuffer, x + 80, y + 80, 70, 40, &scene, x + 80, y + 80, 0, 0);
    at(10, &x, &y);
    DDBltRotate(&BackBuffer, x + 80, y + 80, 120, 100, 60, 50, 30, &scene, x + 20, y + 30, 0);
    at(11, &x, &y);
    DDSURFACEDATA tinted;  // the tint covers a whole surface: a cell of its own
    ASSERT_TRUE(DDCreateSurface(&tinted, 160, 160, 0, 0, DTMEMORYTYPE_VIDEO_RT, nullptr, 0));
    DDBltRect(&tinted, 0, 0, 160, 160, &scene, x, y, 0);
    DDChangeColor(&tinted, 0, 0, 160, 160, 96, 255, 128, 0);
    DDBltRect(&BackBuffer, x, y, 160, 160, &tinted, 0, 0, 0);
    DDReleaseSurface(&tinted);
    const std::vector<std::uint32_t> actual = Frame();
    DDReleaseSurface(&scene);
    for (int i = 0; i < kStdSurfaceCount; ++i) DDReleaseSurface(&StdSD[i]);
    CompareWithGolden(std::string("effects_") + GetParam().name + ".png", actual);
}

INSTANTIATE_TEST_SUITE_P(Configs, Golden, ::testing::ValuesIn(kDisplayConfigs), ConfigName);

}  // namespace

// The start-up's palette and transparent colour in each display configuration: a project
// with a fixed transparent colour gives it to the display layer at 8 and 32 bits, and at 16
// bits keeps the palette bitmap's pixel key while the fixed colour becomes the colour of the
// image files that loads as transparent.
#include "shell/palette_key.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "gen/project.h"
#include "gfx/palette.h"
#include "scene/scene_fixture.h"

namespace {

constexpr std::uint8_t kRed = 10;
constexpr std::uint8_t kGreen = 20;
constexpr std::uint8_t kBlue = 30;

bool Same(const plat::RGBTRIPLE& a, const plat::RGBTRIPLE& b) {
    return a.rgbtRed == b.rgbtRed && a.rgbtGreen == b.rgbtGreen && a.rgbtBlue == b.rgbtBlue;
}

// The transparency fields of the active context.
struct KeyState {
    plat::RGBTRIPLE rgb{};
    plat::RGBTRIPLE rgb16{};
    std::uint32_t colorKey = 0;
};

KeyState Current() {
    KeyState s;
    if (lpDTCon) {
        s.rgb = lpDTCon->rgbTransmit;
        s.rgb16 = lpDTCon->rgbTransmit16;
    } else if (lpDDCon) {
        s.rgb = lpDDCon->rgbTransmit;
        s.rgb16 = lpDDCon->rgbTransmit16;
    }
    s.colorKey = dwColorKey;
    return s;
}

class PaletteKey : public ::testing::TestWithParam<SceneDisplay>, public SceneWorld {
protected:
    void SetUp() override {
        SetUpWorld();
        std::string error;
        ASSERT_TRUE(gen::MakeProject("project", gen::ProjectOptions{}, &error)) << error;
        std::filesystem::current_path("project");
        plat::ClearPathCache();
        ASSERT_TRUE(OpenDisplay(GetParam()));
        EdSystem.rgbTransparentR = kRed;
        EdSystem.rgbTransparentG = kGreen;
        EdSystem.rgbTransparentB = kBlue;
    }
    void TearDown() override {
        EdSystem = cEdSystem{};
        TearDownWorld();
    }
};

TEST_P(PaletteKey, FixedColourGoesWhereTheDepthReadsIt) {
    // The palette bitmap's own key first: what a fixed colour keeps or replaces.
    // Both runs start from the display as it was opened: the image loader reads the
    // palette bitmap through the key a former run left.
    const KeyState opened = Current();
    EdSystem.nColourMode = 0;
    ASSERT_TRUE(LoadPaletteAndKey());
    const KeyState fromFile = Current();
    const plat::RGBTRIPLE fixed{kBlue, kGreen, kRed};
    ASSERT_FALSE(Same(fromFile.rgb, fixed));

    if (lpDTCon) lpDTCon->rgbTransmit16 = opened.rgb16;
    if (lpDDCon) lpDDCon->rgbTransmit16 = opened.rgb16;
    EdSystem.nColourMode = 1;
    ASSERT_TRUE(LoadPaletteAndKey());
    const KeyState now = Current();
    switch (GetParam().bpp) {
        case 16:
            EXPECT_TRUE(Same(now.rgb16, fixed));
            EXPECT_TRUE(Same(now.rgb, fromFile.rgb));
            EXPECT_EQ(now.colorKey, fromFile.colorKey);
            break;
        case 32:
            EXPECT_TRUE(Same(now.rgb, fixed));
            if (lpDDCon && !lpDTCon) EXPECT_EQ(now.colorKey, 0x000A141Eu);
            break;
        default:
            // 8-bit DirectDraw takes no fixed colour: the palette bitmap's key stays.
            EXPECT_TRUE(Same(now.rgb, fromFile.rgb));
            EXPECT_EQ(now.colorKey, fromFile.colorKey);
            break;
    }
}

INSTANTIATE_TEST_SUITE_P(Displays, PaletteKey, ::testing::ValuesIn(kSceneDisplays),
                         SceneDisplayName);

}  // namespace

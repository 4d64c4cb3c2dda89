// Palette numbers as device colours and the forms of the transparent colour in every
// configuration (with a magenta key), and the DirectDraw-only helpers.
#include "gfx/palette.h"

#include <gtest/gtest.h>

#include "display_fixture.h"
#include "platform/message_box.h"

namespace {

class Palettes : public ::testing::TestWithParam<DisplayConfig>, public DisplayFixture {
protected:
    void SetUp() override {
        Prepare();
        ASSERT_TRUE(Open(GetParam()));
        SetTestPalette();
    }
    void TearDown() override { Close(); }
};

// What each configuration makes of the magenta key and of palette numbers 5 (red) and 0.
struct Expected {
    std::uint32_t colorKey;
    std::uint32_t transmitBack;  // Direct3D
    std::uint16_t transmitBack16;
    std::uint32_t red;   // PalNumToRGB(5)
    std::uint32_t zero;  // PalNumToRGB(0)
};

Expected ExpectedFor(const DisplayConfig& c) {
    if (c.direct3D && c.bpp == 16) return {0, 0xFFFF00FF, 0xFC1F, 0xFFFF0000, 0};
    if (c.direct3D) return {0, 0xFFFF00FF, 0, 0xFFFF0000, 0};
    if (c.bpp == 8) return {0, 0, 0, 5, 0};
    if (c.bpp == 16) return {0xF81F, 0, 0, 0xF800, 0xF81F};
    return {0x00FF00FF, 0, 0, 0x00FF0000, 0x00FF00FF};
}

TEST_P(Palettes, TransparentColourInEveryForm) {
    const Expected e = ExpectedFor(GetParam());
    EXPECT_EQ(dwColorKey, e.colorKey);
    if (lpDTCon) {
        EXPECT_EQ(lpDTCon->dwTransmit, 0u);
        EXPECT_EQ(lpDTCon->dwTransmitBack, e.transmitBack);
        EXPECT_EQ(lpDTCon->wTransmit_16, 0);
        EXPECT_EQ(lpDTCon->wTransmitBack_16, e.transmitBack16);
        // The channels as given: 5-bit values at 16 bits.
        EXPECT_EQ(lpDTCon->rgbTransmit.rgbtRed, GetParam().bpp == 16 ? 31 : 255);
        EXPECT_EQ(lpDTCon->rgbTransmit.rgbtGreen, 0);
        EXPECT_NE(ErrorText().find("SetTrans lpDTCon->rgbTransmit.rgbtRed = "), std::string::npos);
    } else if (GetParam().bpp == 32) {
        EXPECT_EQ(lpDDCon->rgbTransmit.rgbtRed, 255);
        EXPECT_EQ(lpDDCon->rgbTransmit.rgbtBlue, 255);
    } else if (GetParam().bpp == 16) {
        // The direct form works at 16 bits too, and says that it should not be used.
        dwColorKey = 0;
        plat::ClearShownBoxes();
        DDSetTransmit(255, 0, 255);
        EXPECT_EQ(dwColorKey, e.colorKey);
        EXPECT_NE(ErrorText().find("※16bit色で"), std::string::npos);
        ASSERT_EQ(plat::ShownBoxes().size(), 1u);
        EXPECT_EQ(plat::ShownBoxes()[0].text, "Tr 63519 RGB32(255,0,255) -> RGB16(255,0,255)");
    }
}

TEST_P(Palettes, PaletteNumbersBecomeDeviceColours) {
    const Expected e = ExpectedFor(GetParam());
    EXPECT_EQ(PalNumToRGB(5), e.red);
    EXPECT_EQ(PalNumToRGB(0), e.zero);
    if (lpDTCon) {
        EXPECT_EQ(PalNumToRGB(256), 0u);
        EXPECT_NE(ErrorText().find("PalNumToRGB(DWORD dwPalNum) Err dwPalNum = 256"),
                  std::string::npos);
    } else {
        // Beyond the table the last entry is read, never memory after it.
        Palette[255] = GetParam().bpp == 16 ? plat::PALETTEENTRY{0, 0, 31, 0}
                                            : plat::PALETTEENTRY{0, 0, 255, 0};
        EXPECT_EQ(PalNumToRGB(0x7FFFFFFF), PalNumToRGB(255));
    }
}

TEST_P(Palettes, SixteenBitHelpersBelongToDirectDraw) {
    const std::uint8_t magenta[3] = {31, 0, 31};
    DDPIXFMT fmt;
    fmt.nShiftA = 77;
    DDGetPixelFormat(&fmt);
    if (lpDTCon) {
        EXPECT_EQ(DDPalToRGB16(magenta), 0);
        EXPECT_NE(ErrorText().find("DDPalToRGB16はDirect3Dでは未対応"), std::string::npos);
        EXPECT_EQ(fmt.nMaxR, 0);  // untouched
    } else if (GetParam().bpp == 16) {
        EXPECT_EQ(DDPalToRGB16(magenta), 0xF81F);
        for (int call = 0; call < 2; ++call) {
            DDGetPixelFormat(&fmt);
            EXPECT_EQ(fmt.nShiftR, 11);
            EXPECT_EQ(fmt.nShiftG, 5);
            EXPECT_EQ(fmt.nShiftB, 0);
            EXPECT_EQ(fmt.nMaxR, 31);
            EXPECT_EQ(fmt.nMaxG, 63);
            EXPECT_EQ(fmt.nMaxB, 31);
            EXPECT_EQ(fmt.nShiftA, 77);
        }
    } else if (GetParam().bpp == 8) {
        // An indexed format has no channels.
        EXPECT_EQ(fmt.nMaxR, 0);
        EXPECT_EQ(fmt.nShiftR, 0);
    } else {
        EXPECT_EQ(fmt.nShiftR, 16);
        EXPECT_EQ(fmt.nMaxB, 255);
    }
}

INSTANTIATE_TEST_SUITE_P(Configs, Palettes, ::testing::ValuesIn(kDisplayConfigs), ConfigName);

}  // namespace

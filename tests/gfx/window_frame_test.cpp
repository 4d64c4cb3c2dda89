// Frames, window boxes and number sprites over the six configurations.
#include "gfx/window_frame.h"

#include <gtest/gtest.h>

#include <string>

#include "draw_fixture.h"
#include "gfx/fill.h"
#include "gfx/number_sprite.h"

namespace {

class FrameTest : public DrawTest {
protected:
    void SetUp() override {
        DrawTest::SetUp();
        if (HasFatalFailure()) return;
        DDFillRect(&BackBuffer, 0, 0, 64, 16, 7);
    }
    std::string Row(int y, int w = 16) { return Shows(&BackBuffer, y, 0, w); }
};

TEST_P(FrameTest, FramesLieInsideTheirRectangle) {
    struct Case {
        const char* name;
        int thick;
        std::vector<std::string> rows;  // rows 0..5, columns 0..7
    };
    const Case cases[] = {
        {"OneDot", 1, {"bbbbbbbb", "brrrrrbb", "brbbbrbb", "brbbbrbb", "brrrrrbb", "bbbbbbbb"}},
        // Thicker than half the size: the bands overlap and cover everything.
        {"OverHalf", 3, {"bbbbbbbb", "brrrrrbb", "brrrrrbb", "brrrrrbb", "brrrrrbb", "bbbbbbbb"}},
        {"Zero", 0, {"bbbbbbbb", "bbbbbbbb", "bbbbbbbb", "bbbbbbbb", "bbbbbbbb", "bbbbbbbb"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DDFillRect(&BackBuffer, 0, 0, 64, 16, 7);
        DDDrawFrame(&BackBuffer, 1, 1, 5, 4, c.thick, 5);
        for (int y = 0; y < 6; ++y) EXPECT_EQ(Row(y, 8), c.rows[y]) << y;
    }
}

TEST_P(FrameTest, WindowIsTheBackgroundWithAFrameOutside) {
    DDSURFACEDATA back;
    ASSERT_TRUE(DDCreateSurface(&back, 8, 8, 1, 0, 0, nullptr, 0));
    Paint(&back, std::vector<std::string>(8, "wwwrgggg"));
    DDDrawWindow(&BackBuffer, 2, 1, 4, 2, &back, 1, 6);
    EXPECT_EQ(Row(0, 8), "bggggggb");
    EXPECT_EQ(Row(1, 8), "bgwwwrgb");
    EXPECT_EQ(Row(3, 8), "bggggggb");
    // Frame 0: the background alone.
    DDFillRect(&BackBuffer, 0, 0, 64, 16, 7);
    DDDrawWindow(&BackBuffer, 2, 1, 4, 2, &back, 0, 6);
    EXPECT_EQ(Row(0, 8), "bbbbbbbb");
    EXPECT_EQ(Row(1, 8), "bbwwwrbb");
    EXPECT_EQ(Row(3, 8), "bbbbbbbb");
    DDReleaseSurface(&back);
}

// Digits 2 x 1 cells: digit d shows as the letter below in both of its columns.
TEST_P(FrameTest, Numbers) {
    DDSURFACEDATA strip;
    ASSERT_TRUE(DDCreateSurface(&strip, 20, 1, 1, 0, 0, nullptr, 0));
    const std::string letters = "rgwrgwrgwr";  // digits 0..9
    std::string row;
    for (char c : letters) row += std::string(2, c);
    Paint(&strip, {row});
    struct Case {
        const char* name;
        int value, field, centre;
        std::string shows;  // columns 0..23 of row 0, drawn at x = 2
    };
    auto digits = [&](const std::string& number) {
        std::string s;
        for (char d : number) s += std::string(2, letters[static_cast<std::size_t>(d - '0')]);
        return s;
    };
    const Case cases[] = {
        {"Zero", 0, 0, 0, "bb" + digits("0") + std::string(20, 'b')},
        {"RightAligned", 42, 5, 0,
         "bb" + std::string(6, 'b') + digits("42") + std::string(12, 'b')},
        // Centred: (5 - 2) * 2 / 2 = 3 dots.
        {"Centred", 42, 5, 1, "bb" + std::string(3, 'b') + digits("42") + std::string(15, 'b')},
        {"TenDigitsRunOn", 1234567890, 3, 0, "bb" + digits("1234567890") + std::string(2, 'b')},
        {"NegativeDrawsNothing", -5, 3, 0, std::string(24, 'b')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DDFillRect(&BackBuffer, 0, 0, 64, 16, 7);
        DDDrawNumber(&BackBuffer, 2, 0, 2, 1, &strip, 0, 0, 1, c.value, c.field, c.centre);
        EXPECT_EQ(Row(0, 24), c.shows);
    }
    DDReleaseSurface(&strip);
}

INSTANTIATE_TEST_SUITE_P(Configs, FrameTest, ::testing::ValuesIn(kDisplayConfigs), ConfigName);

}  // namespace

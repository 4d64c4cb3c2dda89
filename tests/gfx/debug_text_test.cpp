// Debug text from a glyph sheet: cells by character byte, the packed rows of the half-width
// katakana, line breaks and the wrap at the screen's width, in both back ends.
#include "gfx/debug_text.h"

#include <gtest/gtest.h>

#include <string>

#include "draw_fixture.h"
#include "gfx/fill.h"

namespace {

class DebugText : public DrawTest {
protected:
    void SetUp() override {
        DrawTest::SetUp();
        // A sheet of 16 x 16 cells of 2 x 2 pixels, transparent but for three glyphs: 'A'
        // red, 'B' green, and the katakana byte 0xB1 (packed into row 1) blue.
        ASSERT_TRUE(DDCreateSurface(&sheet, 32, 32, 1, 0, 0, nullptr, 0));
        std::vector<std::string> rows(32, std::string(32, 'k'));
        auto cell = [&](int column, int row, char c) {
            for (int y = 0; y < 2; ++y)
                for (int x = 0; x < 2; ++x)
                    rows[static_cast<std::size_t>(row * 2 + y)]
                        [static_cast<std::size_t>(column * 2 + x)] = c;
        };
        cell(1, 4, 'r');   // 'A'
        cell(2, 4, 'g');   // 'B'
        cell(1, 1, 'b');   // 0xB1: row (0xB1 >> 4) - 10
        cell(1, 11, 'w');  // where 0xB1 would be unpacked
        Paint(&sheet, rows);
        Paint(&BackBuffer, std::vector<std::string>(8, std::string(12, 'k')));
        DDFillRect(&BackBuffer, 0, 0, 12, 8, 8);
    }
    DDSURFACEDATA sheet;
};

TEST_P(DebugText, CellsLinesAndKatakana) {
    const int result = DDDrawDebugText(&BackBuffer, 2, 0, 2, 2, &sheet, "AB\nA\xB1");
    EXPECT_EQ(result, Direct3D() ? 1 : 0);
    EXPECT_EQ(Shows(&BackBuffer, 0, 0, 8), "wwrrggww");
    EXPECT_EQ(Shows(&BackBuffer, 2, 0, 8), "wwrrbbww");  // a line break: one cell lower, at x
    EXPECT_EQ(Shows(&BackBuffer, 4, 0, 8), "wwwwwwww");
    // The transparent parts of a cell leave the back buffer alone.
    DDDrawDebugText(&BackBuffer, 0, 4, 2, 2, &sheet, " ");
    EXPECT_EQ(Shows(&BackBuffer, 4, 0, 2), "ww");
    // Formatted into 256 bytes: 255 characters and the terminating zero, so the last cell
    // drawn ends at x = 255 * 2.
    DDFillRect(&BackBuffer, 500, 6, 20, 2, 8);
    const std::string many(300, 'A');
    DDDrawDebugTextF(&BackBuffer, 0, 6, 2, 2, &sheet, "%s", many.c_str());
    EXPECT_EQ(Shows(&BackBuffer, 6, 0, 4), "rrrr");
    EXPECT_EQ(Shows(&BackBuffer, 6, 506, 514), "rrrrwwww");
    EXPECT_EQ(Shows(&BackBuffer, 7, 506, 514), "rrrrwwww");
}

// The column offset wraps when it reaches the screen's width.
TEST_P(DebugText, WrapsAtTheScreenWidth) {
    const std::string line(321, 'A');  // 320 cells of 2 fill the 640-pixel screen
    DDDrawDebugText(&BackBuffer, 0, 0, 2, 2, &sheet, line.c_str());
    EXPECT_EQ(Shows(&BackBuffer, 0, 638, 640), "rr");
    EXPECT_EQ(Shows(&BackBuffer, 2, 0, 4), "rrww");
}

INSTANTIATE_TEST_SUITE_P(Configs, DebugText, ::testing::ValuesIn(kDisplayConfigs), ConfigName);

}  // namespace

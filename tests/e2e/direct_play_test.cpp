// The player run end to end on the sample game in every display configuration: a stage
// given on the command line goes straight to the game scene, its start caption stays 79
// frames and play begins in the 80th frame of the stage start (no caption in a test play
// started by the editor), the space bar pauses, and the program closes in order.
#include <gtest/gtest.h>

#include <vector>

#include "gen/bmp_writer.h"
#include "platform/cp932.h"
#include "player_harness.h"

namespace {

// Where the second start caption (80 x 32 at (280, 224)) shows, and a place of the screen
// that shows the same as it without the caption: the cave's darkness, far from the window
// of the hero's sight at the bottom left (the status bar covers the top).
constexpr int kCaptionX = 300;
constexpr int kCaptionY = 240;
constexpr int kEmptyX = 600;
constexpr int kEmptyY = 240;

constexpr int kFrames = 130;
// The fade-in takes frames 1 to 10 (90 degrees at 10 a frame, its last step drawn too); the
// stage start follows.
constexpr int kFirstCaptionFrame = 11;

class DirectPlay : public ::testing::TestWithParam<PlayerConfig> {
protected:
    void SetUp() override {
        ASSERT_TRUE(project.Make(GetParam()));
        // A caption sheet tall enough for every caption, in one light colour, so a caption
        // on the screen is told by one pixel.
        const std::vector<std::uint32_t> light(256 * 192, 0xFFF0F0F0u);
        ASSERT_TRUE(gen::WriteFileBytes(project.Path("bmp/Word.bmp"),
                                        gen::EncodeDirectBmp(256, 192, 24, light)));
    }
    // For frames 1..kFrames: whether the caption shows.
    std::vector<bool> CaptionFrames() const {
        std::vector<bool> shown;
        for (int n = 1; n <= kFrames; ++n) {
            const Frame f = project.Captured(n);
            if (f.width != 640 || f.height != 480) {
                ADD_FAILURE() << "frame " << n << " was not captured";
                return shown;
            }
            shown.push_back(f.At(kCaptionX, kCaptionY) != f.At(kEmptyX, kEmptyY));
        }
        return shown;
    }
    static std::vector<int> AllFrames() {
        std::vector<int> frames;
        for (int n = 1; n <= kFrames; ++n) frames.push_back(n);
        return frames;
    }

    PlayerProject project;
};

TEST_P(DirectPlay, CaptionStaysSeventyNineFramesThenPlayBegins) {
    PlayerRun run;
    run.stage = "data\\stg4\\cave.stg4";
    run.quitAfter = kFrames;
    run.capture = AllFrames();
    const PlayerResult result = project.Run(run);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.boxLog, "");  // no box was shown
    const std::vector<bool> caption = CaptionFrames();
    ASSERT_EQ(caption.size(), static_cast<std::size_t>(kFrames));
    int first = -1, count = 0, last = -1;
    for (int i = 0; i < kFrames; ++i) {
        if (!caption[i]) continue;
        if (first < 0) first = i;
        last = i;
        ++count;
    }
    // Frames 1 to 10 fade in; the caption shows from the first frame of the stage start.
    EXPECT_EQ(first + 1, kFirstCaptionFrame);
    EXPECT_EQ(count, 79);
    EXPECT_EQ(last - first + 1, 79) << "one unbroken run";
    // The program closed through the whole sequence.
    EXPECT_NE(result.errorLog.find("WM_CLOSE 成功！"), std::string::npos) << result.errorLog;
    EXPECT_NE(result.errorLog.find("thGame.Exit()"), std::string::npos);
    EXPECT_NE(result.errorLog.find("WM_DESTROY"), std::string::npos);
}

TEST_P(DirectPlay, EditorTestPlayShowsNoCaption) {
    PlayerRun run;
    run.stage = "data\\stg4\\cave.stg4";
    run.showCmd = 5;
    run.quitAfter = kFrames;
    run.capture = AllFrames();
    // Without captions the stage start hands over at once: play runs from the next frame,
    // and the space bar held in that frame alone pauses it.
    const int firstPlayFrame = kFirstCaptionFrame + 1;
    run.script = {"@" + std::to_string(firstPlayFrame) + " key 0x20 down",
                  "@" + std::to_string(firstPlayFrame + 1) + " key 0x20 up"};
    const PlayerResult result = project.Run(run);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 0);
    const std::vector<bool> caption = CaptionFrames();
    ASSERT_EQ(caption.size(), static_cast<std::size_t>(kFrames));
    for (int i = 0; i < kFrames; ++i) EXPECT_FALSE(caption[i]) << "frame " << i + 1;
    EXPECT_NE(result.errorLog.find("PlaySE 4"), std::string::npos) << result.errorLog;
}

TEST_P(DirectPlay, SpacePausesThePlay) {
    PlayerRun run;
    run.stage = "data\\stg4\\cave.stg4";
    run.script = {"@115 key 0x20 down", "@117 key 0x20 up"};
    run.quitAfter = kFrames;
    run.capture = {110, 125};
    const PlayerResult result = project.Run(run);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 0);
    // The pause key's sound, once: the menu reads no space bar.
    std::size_t at = result.errorLog.find("PlaySE 4");
    ASSERT_NE(at, std::string::npos) << result.errorLog;
    EXPECT_EQ(result.errorLog.find("PlaySE 4", at + 1), std::string::npos);
    // The pause menu's cursor stands where play showed nothing.
    const Frame play = project.Captured(110);
    const Frame pause = project.Captured(125);
    ASSERT_EQ(play.width, 640);
    ASSERT_EQ(pause.width, 640);
    int changed = 0;
    for (int y = 272; y < 320; ++y)
        for (int x = 200; x < 440; ++x) changed += play.At(x, y) != pause.At(x, y);
    EXPECT_GT(changed, 0);
}

INSTANTIATE_TEST_SUITE_P(Configs, DirectPlay, ::testing::ValuesIn(kPlayerConfigs),
                         PlayerConfigName);

TEST(PlayerStart, MissingStageFileStartsTheTitle) {
    PlayerProject project;
    ASSERT_TRUE(project.Make(kPlayerConfigs[0]));
    PlayerRun run;
    run.stage = "data\\stg4\\nothing.stg4";
    run.quitAfter = 20;
    const PlayerResult result = project.Run(run);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.reportLog.find("「data\\stg4\\nothing.stg4」の読み込みに失敗しました！"),
              std::string::npos)
        << result.reportLog;
    // The title asked for its music.
    EXPECT_NE(result.errorLog.find("PlayBGM 0 0"), std::string::npos) << result.errorLog;
}

TEST(PlayerStart, WindowModeAtAnotherDepthThanTheDesktopIsRefused) {
    PlayerProject project;
    ASSERT_TRUE(project.Make({"DD16Window", 0, 1, 16}));
    project.desktopBpp = 32;  // a 16-bit window on the usual 32-bit desktop
    PlayerRun run;
    run.quitAfter = 5;
    const PlayerResult result = project.Run(run);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 1);
    // The box log is UTF-8.
    EXPECT_NE(result.boxLog.find(plat::Cp932ToUtf8("画面モードが不正です")), std::string::npos)
        << result.boxLog;
}

}  // namespace

// The game's text end to end in the sample game, in every display configuration, against the
// golden frames in tests/golden/text_<configuration>_<what>.png: the frame-rate box (ShowFps
// 1) and the plain line (ShowFps 2) of a direct play of test-play, its pause menu (Japanese
// rows in a Font16 window box), and forest-1's start caption with its series number. Glyph
// caches forced on and forced off give the same frames.
//
// The frames are drawn with the IPA faces fontconfig resolves; the test checks those files
// first and stops with a clear message when they are not the ones the goldens were made
// with. K4_UPDATE_GOLDEN=1 writes the goldens instead of comparing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "golden_frame.h"
#include "platform/glyph_source.h"
#include "platform/png_writer.h"
#include "player_harness.h"

namespace {

// FNV-1a over a file's bytes.
std::uint64_t Checksum(const std::string& bytes) {
    std::uint64_t h = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        h ^= c;
        h *= 1099511628211ull;
    }
    return h;
}

// The faces the goldens were drawn with (Debian 12: fonts-ipafont-gothic 00303-23).
struct Face {
    const char* family;
    std::uint64_t checksum;
};
constexpr Face kFaces[] = {
    {"IPAGothic", 0x0dc84137dc85334cull},
    {"IPAPGothic", 0x495385997027e148ull},
};

constexpr int kPlayFrame = 100;
constexpr int kPauseFrame = 115;
constexpr int kCaptionFrame = 30;

class Text : public ::testing::TestWithParam<PlayerConfig> {
protected:
    void SetUp() override {
        for (const Face& f : kFaces) {
            const std::string file = plat::ResolveFontFile(f.family);
            ASSERT_FALSE(file.empty()) << "fontconfig finds no " << f.family
                                       << ": install fonts-ipafont-gothic (scripts/deps)";
            const std::uint64_t sum = Checksum(PlayerProject::ReadFile(file));
            ASSERT_EQ(sum, f.checksum)
                << f.family << " resolves to " << file
                << ", not the face the golden frames were drawn with (fonts-ipafont-gothic "
                   "00303-23); the text frames cannot be compared";
        }
    }

    // Runs the player on a stage and returns the captured frames.
    std::vector<Frame> Play(const std::string& stage, int showFps, const std::string& moreIni,
                            const std::vector<int>& frames, std::vector<std::string> script = {},
                            int loseDevice = 0, std::string* errorLog = nullptr) {
        PlayerProject project;
        EXPECT_TRUE(project.Make(GetParam(), showFps, moreIni));
        PlayerRun run;
        run.stage = stage;
        run.quitAfter = frames.back() + 1;
        run.capture = frames;
        run.script = std::move(script);
        run.loseDevice = loseDevice;
        const PlayerResult result = project.Run(run);
        if (errorLog) *errorLog = result.errorLog;
        EXPECT_TRUE(result.ended);
        EXPECT_EQ(result.exitCode, 0) << result.errorLog;
        std::vector<Frame> out;
        for (int n : frames) out.push_back(project.Captured(n));
        return out;
    }

    static void ExpectGolden(const Frame& frame, const std::string& what) {
        ExpectGoldenFrame(frame, std::string("text_") + GetParam().name + "_" + what + ".png");
    }
};

// The frame-rate box, the pause menu and the plain frame-rate line.
TEST_P(Text, FrameRateAndPauseMenu) {
    const std::vector<std::string> pause = {"@105 key 0x20 down", "@107 key 0x20 up"};
    const std::vector<Frame> boxed =
        Play("data\\stg4\\test-play.stg4", 1, "", {kPlayFrame, kPauseFrame}, pause);
    ASSERT_EQ(boxed.size(), 2u);
    ExpectGolden(boxed[0], "fps");
    ExpectGolden(boxed[1], "pause");
    const std::vector<Frame> plain = Play("data\\stg4\\test-play.stg4", 2, "", {kPlayFrame});
    ASSERT_EQ(plain.size(), 1u);
    ExpectGolden(plain[0], "plain");
    // The box and the plain line differ where the box stands.
    int differing = 0;
    for (int y = 460; y < 480; ++y)
        for (int x = 490; x < 640; ++x) differing += boxed[0].At(x, y) != plain[0].At(x, y);
    EXPECT_GT(differing, 0);
}

TEST_P(Text, StageCaptionWithItsSeriesNumber) {
    const std::vector<Frame> caption = Play("data\\stg4\\forest-1.stg4", 0, "", {kCaptionFrame});
    ASSERT_EQ(caption.size(), 1u);
    ExpectGolden(caption[0], "caption");
}

// The caches change how text is drawn, never what it looks like.
TEST_P(Text, CachesOnAndOffGiveTheSameFrames) {
    const std::vector<std::string> pause = {"@105 key 0x20 down", "@107 key 0x20 up"};
    const std::vector<Frame> on =
        Play("data\\stg4\\test-play.stg4", 1, "D3D_FontCache=1\r\nDD_FontCache=1\r\n",
             {kPlayFrame, kPauseFrame}, pause);
    const std::vector<Frame> off =
        Play("data\\stg4\\test-play.stg4", 1, "D3D_FontCache=0\r\nDD_FontCache=0\r\n",
             {kPlayFrame, kPauseFrame}, pause);
    ASSERT_EQ(on.size(), 2u);
    ASSERT_EQ(off.size(), 2u);
    for (std::size_t i = 0; i < on.size(); ++i) {
        ASSERT_EQ(on[i].width, 640);
        ASSERT_EQ(off[i].width, 640);
        int differing = 0;
        std::size_t first = 0;
        for (std::size_t p = 0; p < on[i].pixels.size(); ++p)
            if (on[i].pixels[p] != off[i].pixels[p] && differing++ == 0) first = p;
        EXPECT_EQ(differing, 0) << "frame " << i << ", first at (" << first % 640 << ", "
                                << first / 640 << ")";
    }
}

// A display lost during play (caches on): the text and the pause menu look as before.
TEST_P(Text, TextLooksTheSameAfterALostDisplay) {
    const std::vector<std::string> pause = {"@105 key 0x20 down", "@107 key 0x20 up"};
    const std::string caches = "D3D_FontCache=1\r\nDD_FontCache=1\r\n";
    std::string errorLog;
    const std::vector<Frame> lost =
        Play("data\\stg4\\test-play.stg4", 1, caches, {kPauseFrame}, pause, 95, &errorLog);
    const std::vector<Frame> kept =
        Play("data\\stg4\\test-play.stg4", 1, caches, {kPauseFrame}, pause);
    ASSERT_EQ(lost.size(), 1u);
    ASSERT_EQ(kept.size(), 1u);
    ASSERT_EQ(lost[0].width, 640);
    ASSERT_EQ(kept[0].width, 640);
    int differing = 0;
    for (std::size_t p = 0; p < lost[0].pixels.size(); ++p)
        differing += lost[0].pixels[p] != kept[0].pixels[p];
    EXPECT_EQ(differing, 0);
    if (GetParam().direct3D) EXPECT_NE(errorLog.find("Font i = 0"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Configs, Text, ::testing::ValuesIn(kPlayerConfigs), PlayerConfigName);

}  // namespace

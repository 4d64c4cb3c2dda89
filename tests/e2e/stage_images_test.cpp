// The stage as it is seen, in each of the six display configurations: golden frames of the forest
// at its first play frame and after a walk to the right, of the cave through the hero's sight mask,
// of the play-test stage with its distance areas (shown in a direct play) and of the layers stage
// with its objects in their Z order; and, in one Direct3D
// and one DirectDraw configuration, of the shoot stage with shots and a sword swing in flight. The
// frames are compared as decoded pixels with tests/golden/stage_<configuration>_<what>.png;
// K4_UPDATE_GOLDEN=1 writes them instead.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "golden_frame.h"
#include "platform/image_decoder.h"
#include "platform/png_writer.h"
#include "player_harness.h"

namespace {

// Play starts after the fade-in and the start caption.
constexpr int kFirstPlayFrame = 92;
constexpr int kWalkedFrame = 200;
constexpr int kCaveFrame = 120;
constexpr int kAreasFrame = 120;

class StageImages : public ::testing::TestWithParam<PlayerConfig> {
protected:
    std::vector<Frame> Play(const std::string& stage, const std::vector<int>& frames,
                            std::vector<std::string> script = {}) {
        PlayerProject project;
        EXPECT_TRUE(project.Make(GetParam()));
        PlayerRun run;
        run.stage = stage;
        run.quitAfter = frames.back() + 1;
        run.capture = frames;
        run.script = std::move(script);
        const PlayerResult result = project.Run(run);
        EXPECT_TRUE(result.ended);
        EXPECT_EQ(result.exitCode, 0) << result.errorLog;
        std::vector<Frame> out;
        for (int n : frames) out.push_back(project.Captured(n));
        return out;
    }

    static void ExpectGolden(const Frame& frame, const std::string& what) {
        ExpectGoldenFrame(frame, std::string("stage_") + GetParam().name + "_" + what + ".png");
    }
    // How many pixels of the frame have the colour of pixel (x, y).
    static int CountLike(const Frame& f, int x, int y) {
        int n = 0;
        for (std::uint32_t p : f.pixels) n += (p | 0xFF000000u) == (f.At(x, y) | 0xFF000000u);
        return n;
    }
};

TEST_P(StageImages, ForestAtTheFirstPlayFrameAndAfterAWalk) {
    const std::vector<Frame> frames =
        Play("data\\stg4\\forest-1.stg4", {kFirstPlayFrame, kWalkedFrame},
             {"@95 key 0x27 down", "@190 key 0x27 up"});
    ASSERT_EQ(frames.size(), 2u);
    ExpectGolden(frames[0], "forest_start");
    ExpectGolden(frames[1], "forest_walked");
    // The hero walked some 240 dots to the right (short of the walker) while the clouds
    // drifted: where it stood is sky or hills now.
    EXPECT_NE(frames[0].At(80, 400), frames[1].At(80, 400));
    int differing = 0;
    for (std::size_t i = 0; i < frames[0].pixels.size(); ++i)
        differing += frames[0].pixels[i] != frames[1].pixels[i];
    EXPECT_GT(differing, 2000);
}

TEST_P(StageImages, CaveThroughTheSightMask) {
    const std::vector<Frame> frames = Play("data\\stg4\\cave.stg4", {kCaveFrame});
    ASSERT_EQ(frames.size(), 1u);
    ExpectGolden(frames[0], "cave");
    // Most of the screen is the darkness around the window.
    EXPECT_GT(CountLike(frames[0], 600, 300), 640 * 480 / 2);
}

TEST_P(StageImages, PlayTestWithItsDistanceAreas) {
    const std::vector<Frame> frames = Play("data\\stg4\\test-play.stg4", {kAreasFrame});
    ASSERT_EQ(frames.size(), 1u);
    ExpectGolden(frames[0], "areas");
}

// Objects in their Z order: on the ledge a coin lies over a walker, a flyer hovers in front of
// a walker and a walker stands in front of a heart; a ladder of the front block layer covers a
// walker, and hills of the front background layer cover the floor.
TEST_P(StageImages, LayersInTheirZOrder) {
    const std::vector<Frame> frames = Play("data\\stg4\\test-layers.stg4", {kFirstPlayFrame});
    ASSERT_EQ(frames.size(), 1u);
    ExpectGolden(frames[0], "layers");
}

INSTANTIATE_TEST_SUITE_P(Configs, StageImages, ::testing::ValuesIn(kAllPlayerConfigs),
                         PlayerConfigName);

// The shoot stage: the hero fires on X (button 2) and swings its sword on C (button 3); the
// turret, the weaving flyer and the duellists fire on their own.
using ShotImages = StageImages;

constexpr int kShotFrame = 112;
constexpr int kSwingFrame = 456;

TEST_P(ShotImages, ShotsAndASwordInFlight) {
    const std::vector<Frame> frames =
        Play("data\\stg4\\test-shoot.stg4", {kShotFrame, kSwingFrame},
             {"@100 key 0x58 down", "@104 key 0x58 up", "@280 key 0x27 down", "@447 key 0x27 up",
              "@452 key 0x43 down", "@456 key 0x43 up"});
    ASSERT_EQ(frames.size(), 2u);
    ExpectGolden(frames[0], "shots");
    ExpectGolden(frames[1], "sword");
}

const PlayerConfig kShotConfigs[] = {kPlayerConfigs[0], kPlayerConfigs[2]};
INSTANTIATE_TEST_SUITE_P(Configs, ShotImages, ::testing::ValuesIn(kShotConfigs), PlayerConfigName);

}  // namespace

// The sample game's "test-show" stage played without input in Direct3D 32 and DirectDraw 8:
// the walker shows the hit effect on itself, then the same effect three times its size in
// the screen's centre while the game waits for it to play once, then a picture twice its
// size by ID, which it closes by that ID two seconds later. The play stands still during the
// wait; both back ends write the same states, which match tests/golden/show_stage.hashes, and
// the frames of the wait and of the picture match tests/golden/show_<config>_<what>.png.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gen/sample_stages.h"
#include "golden_frame.h"
#include "player_harness.h"
#include "state_log_run.h"

namespace {

using namespace e2e;

const char kShowStage[] = "data\\stg4\\test-show.stg4";
// The caption's frames come first; the scene counts its play frames from 1.
constexpr int kFirstPlay = 91;
constexpr int kPauseFrames = gen::kShowPauseTenths * 6;
// The waited effect: two cells of a tenth of a second each.
constexpr int kEffectWait = 2 * 6;
// The scene frame in which the waited effect starts, after two pauses.
constexpr int kWaitSceneFrame = 1 + 2 * kPauseFrames;
// Presented frames: the first effect on the walker; inside the wait; the picture shown;
// the picture closed again.
constexpr int kWalkerEffectFrame = kFirstPlay + kPauseFrames + 4;
constexpr int kWaitFrame = kFirstPlay + kWaitSceneFrame - 1 + kEffectWait / 2;
constexpr int kPictureFrame = kFirstPlay + 3 * kPauseFrames + kEffectWait + 20;
constexpr int kClosedFrame =
    kFirstPlay + 3 * kPauseFrames + gen::kShowPictureTenths * 6 + kEffectWait + 20;
constexpr int kRunFrames = kClosedFrame + 10;
// The picture, 64 x 128 at twice its size, in the screen's centre.
constexpr int kPictureLeft = 320 - 64, kPictureTop = 240 - 128;
constexpr int kPictureW = 128, kPictureH = 256;

struct ShowRun {
    std::vector<StateLine> lines;
    std::vector<Frame> frames;  // kWalkerEffectFrame, kWaitFrame, kPictureFrame, kClosedFrame
};

ShowRun Play(const PlayerConfig& config) {
    ShowRun out;
    PlayerProject project;
    EXPECT_TRUE(project.Make(config));
    PlayerRun run;
    run.stage = kShowStage;
    run.quitAfter = kRunFrames;
    run.stateLog = project.Path("state.log");
    run.capture = {kWalkerEffectFrame, kWaitFrame, kPictureFrame, kClosedFrame};
    const PlayerResult result = project.Run(run);
    EXPECT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 0) << result.errorLog;
    EXPECT_TRUE(result.boxLog.empty()) << result.boxLog;
    out.lines = ParseStateLog(PlayerProject::ReadFile(run.stateLog), kRunFrames);
    for (int n : run.capture) out.frames.push_back(project.Captured(n));
    return out;
}

// The presented frame of the last line the scene wrote in its frame `scene`; 0 for none.
int LastFrameOf(const std::vector<StateLine>& lines, int scene) {
    int frame = 0;
    for (const StateLine& l : lines)
        if (l.scene == scene) frame = l.frame;
    return frame;
}

// Pixels of the picture's rectangle that have the colour `colour`.
int CountInPicture(const Frame& f, std::uint32_t colour) {
    int n = 0;
    for (int y = kPictureTop; y < kPictureTop + kPictureH; ++y)
        for (int x = kPictureLeft; x < kPictureLeft + kPictureW; ++x) n += f.At(x, y) == colour;
    return n;
}

class ShowStage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        d3d_ = new ShowRun(Play(kPlayerConfigs[0]));
        dd8_ = new ShowRun(Play(kPlayerConfigs[4]));
    }
    static void TearDownTestSuite() {
        delete d3d_;
        delete dd8_;
        d3d_ = dd8_ = nullptr;
    }
    void SetUp() override {
        ASSERT_FALSE(d3d_->lines.empty());
        ASSERT_EQ(d3d_->frames.size(), 4u);
        ASSERT_EQ(dd8_->frames.size(), 4u);
    }
    static ShowRun* d3d_;
    static ShowRun* dd8_;
};
ShowRun* ShowStage::d3d_ = nullptr;
ShowRun* ShowStage::dd8_ = nullptr;

// The waited effect holds the play for exactly its 12 frames in the scene frame that ran
// it; no other command of the show waits.
TEST_F(ShowStage, TheGameStandsStillForTheWaitedEffectOnly) {
    const std::vector<StateLine>& lines = d3d_->lines;
    EXPECT_EQ(LastFrameOf(lines, 1), kFirstPlay);
    EXPECT_EQ(LastFrameOf(lines, kWaitSceneFrame - 1), kFirstPlay + kWaitSceneFrame - 2);
    EXPECT_EQ(LastFrameOf(lines, kWaitSceneFrame), kFirstPlay + kWaitSceneFrame - 1 + kEffectWait);
    for (const StateLine& l : lines) {
        if (l.state != kStatePlay) continue;
        if (l.scene < kWaitSceneFrame) EXPECT_EQ(l.frame - l.scene, kFirstPlay - 1) << l.text;
        if (l.scene > kWaitSceneFrame)
            EXPECT_EQ(l.frame - l.scene, kFirstPlay - 1 + kEffectWait) << l.text;
    }
    ASSERT_GT(lines.back().scene, kWaitSceneFrame + 3 * kPauseFrames);
    // Nothing moved: the hero stands where it started.
    EXPECT_EQ(lines.back().x, lines[kFirstPlay - 1].x);
}

// The picture is seen while it is shown and gone once its ID closed it.
TEST_F(ShowStage, ThePictureByIdIsShownThenClosed) {
    for (const ShowRun* run : {d3d_, dd8_}) {
        const Frame& shown = run->frames[2];
        const Frame& closed = run->frames[3];
        // The red flag of the picture's top-left icon, twice its size.
        const std::uint32_t flag = shown.At(kPictureLeft + 30, kPictureTop + 12);
        EXPECT_GT(CountInPicture(shown, flag), 2 * 2 * 100);
        EXPECT_EQ(CountInPicture(closed, flag), 0);
        // The effect on the walker is gone by then; it was seen near it before.
        EXPECT_NE(run->frames[0].pixels, closed.pixels);
    }
}

// Both back ends play the same states, which are those of the golden file; the wait's and
// the picture's frames are those of the golden images.
TEST_F(ShowStage, StatesAndFramesMatchTheGoldenFiles) {
    ExpectSameLines(d3d_->lines, dd8_->lines, "DirectDraw 8 against Direct3D 32");
    ExpectGoldenFrame(d3d_->frames[1], "show_D3D32Window_effect.png");
    ExpectGoldenFrame(d3d_->frames[2], "show_D3D32Window_picture.png");
    ExpectGoldenFrame(dd8_->frames[1], "show_DD8Full_effect.png");
    ExpectGoldenFrame(dd8_->frames[2], "show_DD8Full_picture.png");
    ExpectGoldenStates("show_stage.hashes", d3d_->lines, kRunFrames);
}

}  // namespace

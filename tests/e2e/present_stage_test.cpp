// The presentation commands played end to end on the sample game's "test-present" stage,
// in Direct3D 32 and DirectDraw 8: the director's new graphic from the frame of its command,
// the blue tint halfway and at the end of its duration, and three white flashes of half a
// second that take 93 frames, each ending with an untinted frame. The frames match
// tests/golden/present_<config>_<what>.png.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "gen/sample_stages.h"
#include "golden_frame.h"
#include "player_harness.h"

namespace {

// Play begins in frame 91, after the fade-in and the start caption; the director's flow
// starts with it.
constexpr int kFirstPlay = 91;
constexpr int kFramesPerTenth = 6;
// The sound, the graphic and the tint are commands of one tick, after the lead wait.
constexpr int kCommandFrame = kFirstPlay + gen::kPresentLeadTenths * kFramesPerTenth;
constexpr int kTintFrames = gen::kPresentTintTenths * kFramesPerTenth;
constexpr int kFlashFrame =
    kCommandFrame + (gen::kPresentTintHoldTenths + gen::kPresentTintTenths) * kFramesPerTenth;
// Each flash draws its duration's frames and one untinted frame more.
constexpr int kFlashLength = gen::kPresentFlashTenths * kFramesPerTenth + 1;
constexpr int kFlashesFrames = gen::kPresentFlashes * kFlashLength;
// A point of the background that no object crosses, and the director's cell.
constexpr int kProbeX = 100, kProbeY = 100;
constexpr int kDirectorX = gen::kPresentDirectorColumn * 32, kDirectorY = 12 * 32;

struct PresentRun {
    std::vector<int> frames;
    std::vector<Frame> captured;
    const Frame& At(int frame) const {
        for (std::size_t i = 0; i < frames.size(); ++i)
            if (frames[i] == frame) return captured[i];
        static const Frame none;
        return none;
    }
};

PresentRun Play(const PlayerConfig& config) {
    PresentRun out;
    out.frames = {kCommandFrame - 1, kCommandFrame, kCommandFrame + kTintFrames / 2,
                  kCommandFrame + kTintFrames};
    for (int f = kFlashFrame - 1; f <= kFlashFrame + kFlashesFrames; ++f) out.frames.push_back(f);
    PlayerProject project;
    EXPECT_TRUE(project.Make(config));
    PlayerRun run;
    run.stage = "data\\stg4\\test-present.stg4";
    run.quitAfter = kFlashFrame + kFlashesFrames + 1;
    run.capture = out.frames;
    const PlayerResult result = project.Run(run);
    EXPECT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 0) << result.errorLog;
    for (int f : out.frames) out.captured.push_back(project.Captured(f));
    return out;
}

// Whether the probe point of `f` shows a tint, against the untinted `plain`. An 8-bit palette
// faded at level 255 (no tint) still moves a channel by one, so only more counts.
bool Tinted(const Frame& f, const Frame& plain) {
    const std::uint32_t a = f.At(kProbeX, kProbeY), b = plain.At(kProbeX, kProbeY);
    for (int shift = 0; shift < 24; shift += 8) {
        const int d = static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF);
        if (d > 1 || d < -1) return true;
    }
    return false;
}

class PresentStage : public ::testing::TestWithParam<PlayerConfig> {};

TEST_P(PresentStage, GraphicTintAndFlashes) {
    const PresentRun run = Play(GetParam());
    const std::string prefix = std::string("present_") + GetParam().name + "_";
    const Frame& before = run.At(kCommandFrame - 1);
    const Frame& changed = run.At(kCommandFrame);
    ASSERT_EQ(changed.width, 640);
    ASSERT_EQ(before.width, 640);
    // The new graphic is drawn in the command's frame; the tint has not begun to show.
    EXPECT_NE(before.Cell(kDirectorX, kDirectorY), changed.Cell(kDirectorX, kDirectorY));
    EXPECT_FALSE(Tinted(changed, before));
    ExpectGoldenFrame(changed, prefix + "graphic.png");
    // Halfway the tint is on its way, at the end it is stronger still.
    const Frame& half = run.At(kCommandFrame + kTintFrames / 2);
    const Frame& full = run.At(kCommandFrame + kTintFrames);
    EXPECT_TRUE(Tinted(half, before));
    EXPECT_TRUE(Tinted(full, half));
    ExpectGoldenFrame(half, prefix + "tint_half.png");
    ExpectGoldenFrame(full, prefix + "tint_end.png");

    // The flashes: per flash its first frame untinted (nothing has grown yet), its tinted
    // frames, and the untinted closing frame; then the screen stays as it was.
    std::string seen, expected;
    for (int k = 0; k <= kFlashesFrames; ++k) {
        const Frame& f = run.At(kFlashFrame + k);
        ASSERT_EQ(f.width, 640) << "frame " << kFlashFrame + k;
        seen += Tinted(f, before) ? '#' : '.';
        const int within = k % kFlashLength;
        expected += k < kFlashesFrames && within != 0 && within != kFlashLength - 1 ? '#' : '.';
    }
    EXPECT_EQ(seen, expected);
    ExpectGoldenFrame(run.At(kFlashFrame + kFlashLength + kFlashLength / 2), prefix + "flash.png");
}

INSTANTIATE_TEST_SUITE_P(Displays, PresentStage,
                         ::testing::Values(kPlayerConfigs[0], kPlayerConfigs[4]), PlayerConfigName);

}  // namespace

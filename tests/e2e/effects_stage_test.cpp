// Character effects played end to end on the sample game's "test-hits" stage: the guard
// spins round from its start (a repeating turn), and the brute, defeated by the hero walking
// into it, bursts apart before it leaves. Two runs capture the same frames, which match
// tests/golden/effects_hits_<what>.png.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "golden_frame.h"
#include "player_harness.h"

namespace {

const PlayerConfig& kConfig = kPlayerConfigs[2];
constexpr int kFirstPlay = 91;
constexpr int kKeyRight = 0x27;
// The guard mid-turn; the brute, defeated in frame 168, halfway through its burst.
constexpr int kSpinFrame = 130;
constexpr int kBurstFrame = 180;

std::vector<Frame> Play() {
    PlayerProject project;
    EXPECT_TRUE(project.Make(kConfig));
    PlayerRun run;
    run.stage = "data\\stg4\\test-hits.stg4";
    run.quitAfter = kBurstFrame + 1;
    run.capture = {kSpinFrame, kSpinFrame + 10, kBurstFrame};
    char line[64];
    std::snprintf(line, sizeof line, "@%d key 0x%02X down", kFirstPlay, kKeyRight);
    run.script = {line};
    const PlayerResult result = project.Run(run);
    EXPECT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 0) << result.errorLog;
    std::vector<Frame> out;
    for (int n : run.capture) out.push_back(project.Captured(n));
    return out;
}

TEST(EffectsStage, TheGuardSpinsAndTheBruteBurstsBeforeItLeaves) {
    const std::vector<Frame> first = Play();
    ASSERT_EQ(first.size(), 3u);
    ExpectGoldenFrame(first[0], "effects_hits_spin.png");
    ExpectGoldenFrame(first[2], "effects_hits_burst.png");
    // The guard stands at block (17, 12), on screen (544, 384): turned differently ten
    // frames apart.
    EXPECT_NE(first[0].Cell(544, 384), first[1].Cell(544, 384));
    const std::vector<Frame> second = Play();
    ASSERT_EQ(second.size(), 3u);
    for (std::size_t i = 0; i < first.size(); ++i)
        EXPECT_EQ(first[i].pixels, second[i].pixels) << "frame " << i;
}

}  // namespace

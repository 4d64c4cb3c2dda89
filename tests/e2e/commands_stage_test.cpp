// The sample game's "test-commands" stage played with a short scripted walk: a character
// warps two blocks right and back, one targets the nearest character of the hero's side and
// warps in front of it, and a switch makes a group of characters vanish once the hero comes
// near.
//
// The stage is one screen wide: the hero at column 2, the switch at 5, the warper at 8, the
// decoy (the hero's side) at 13, two bats (group 2) at 15 and 16, the aimer at 17. The state
// log shows the warper, the aimer and the decoy, in that order.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "player_harness.h"
#include "state_log_run.h"

namespace {

using namespace e2e;

const PlayerConfig& kConfig = kPlayerConfigs[2];
const char kCommandsStage[] = "data\\stg4\\test-commands.stg4";

constexpr int kKeyRight = 0x27;
constexpr int kFirstPlay = 91;
// Right is held for four walk commands: the hero comes within reach of the switch.
constexpr int kWalkEnd = kFirstPlay + 24;
constexpr int kRunFrames = 300;

enum { kWarper = 0, kAimer = 1, kDecoy = 2 };
// The warp's distance and the aimer's distance ahead of its target, in dots.
constexpr double kWarpDots = 64;
constexpr double kAimDots = 32;
// The characters on stage before the switch: warper, aimer, decoy, switch, two bats.
constexpr int kCharas = 6;
constexpr int kBats = 2;

std::vector<std::string> WalkScript() {
    auto key = [](int frame, int vk, bool down) {
        char line[64];
        std::snprintf(line, sizeof line, "@%d key 0x%02X %s", frame, vk, down ? "down" : "up");
        return std::string(line);
    };
    return {key(kFirstPlay, kKeyRight, true), key(kWalkEnd, kKeyRight, false)};
}

StageRun PlayCommands() {
    StageRun run = PlayStage(kConfig, kCommandsStage, kRunFrames, WalkScript());
    EXPECT_TRUE(run.result.boxLog.empty()) << run.result.boxLog;
    return run;
}

class CommandsStage : public OneRunSuite<CommandsStage> {
public:
    static constexpr int kRunLength = kRunFrames;
    static StageRun PlayRun() { return PlayCommands(); }

protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(OneRunSuite::SetUp());
        ASSERT_EQ(At(kFirstPlay - 1).state, kStatePlay) << At(kFirstPlay - 1).text;
        ASSERT_EQ(At(kFirstPlay - 1).charaCount, kCharas) << At(kFirstPlay - 1).text;
    }
};

// It warps at once when play begins, then every second: right, back, right, back; never
// anywhere else.
TEST_F(CommandsStage, WarperHopsTwoBlocksRightAndBackEverySecond) {
    const double x0 = At(1).charas[kWarper].x;
    std::vector<int> hops;
    for (int f = 2; f <= kRunFrames; ++f) {
        const double x = At(f).charas[kWarper].x;
        EXPECT_TRUE(x == x0 || x == x0 + kWarpDots) << At(f).text;
        if (x != At(f - 1).charas[kWarper].x) hops.push_back(f);
    }
    EXPECT_EQ(hops,
              (std::vector<int>{kFirstPlay, kFirstPlay + 60, kFirstPlay + 120, kFirstPlay + 180}));
}

// The decoy of the hero's side is nearer to the aimer than the hero: the aimer takes it as
// its target and lands a block's half ahead of it (the decoy faces left).
TEST_F(CommandsStage, AimerWarpsInFrontOfTheNearestCharacterOfTheHerosSide) {
    const Pos start = At(kFirstPlay - 1).charas[kAimer];
    for (int f = kFirstPlay; f <= kRunFrames; ++f) {
        SCOPED_TRACE(At(f).text);
        const Pos& aimer = At(f).charas[kAimer];
        const Pos& decoy = At(f).charas[kDecoy];
        EXPECT_NE(aimer.x, start.x);
        EXPECT_EQ(aimer.x, decoy.x - kAimDots);
        EXPECT_LT(std::fabs(aimer.y - decoy.y), 1.0);
        EXPECT_GT(aimer.x - At(f).x, 200.0) << "it went for the hero";
    }
}

// The switch (column 5) acts once the hero's box is within three half blocks of its own; its
// flow is tested once per displayed frame, so the bats go in the frame after.
TEST_F(CommandsStage, SwitchMakesTheBatsVanishWhenTheHeroComesNear) {
    constexpr double kSwitchX = (5 + 10) * 32 + 8.5;
    constexpr double kReach = 48;
    int gone = 0;
    for (int f = kFirstPlay; f <= kRunFrames && gone == 0; ++f)
        if (At(f).charaCount == kCharas - kBats) gone = f;
    ASSERT_NE(gone, 0) << "the bats never vanished";
    EXPECT_GE(At(gone - 1).x, kSwitchX - kReach) << At(gone - 1).text;
    EXPECT_LT(At(gone - 2).x, kSwitchX - kReach) << At(gone - 2).text;
    for (int f = kFirstPlay - 1; f < gone; ++f) EXPECT_EQ(At(f).charaCount, kCharas) << At(f).text;
    for (int f = gone; f <= kRunFrames; ++f) {
        EXPECT_EQ(At(f).charaCount, kCharas - kBats) << At(f).text;
        EXPECT_EQ(At(f).hp, At(1).hp) << "the hero is not of the bats' group";
    }
}

// The same script writes the same states every run, and those kept in the golden file.
TEST_F(CommandsStage, EveryRunWritesTheSameStatesAsTheGoldenFile) {
    const StageRun second = PlayCommands();
    ExpectSameLines(run_->lines, second.lines, "a second run");
    ExpectGoldenStates("commands_stage.hashes", run_->lines, kRunFrames);
}

}  // namespace

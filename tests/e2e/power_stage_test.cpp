// The sample game's "test-power" stage played with a short script: items do what their lists
// say. The hero holds right from the first frame of play and presses button 2 twice: once
// before the power-up, when it has no dash, and once after, when the power-up's flow change
// has taught it one. On its way it takes the power-up (a sound, five more HP), a box of two
// messages, passes a switch whose flow flashes the screen, hides a background and changes
// the music, and takes the goal item, whose list clears the stage.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "base/window_requests.h"
#include "gen/sample_flows.h"
#include "gen/sample_sounds.h"
#include "gen/sample_stages.h"
#include "player_harness.h"
#include "state_log_run.h"

namespace {

using namespace e2e;

const PlayerConfig& kConfig = kPlayerConfigs[2];
const char kPowerStage[] = "data\\stg4\\test-power.stg4";

constexpr int kKeyRight = 0x27;
constexpr int kKeyButton2 = 0x58;
constexpr int kFirstPlay = 91;
// Button 2 is pressed for a few frames before the power-up and again after it.
constexpr int kEarlyPress = 100;
constexpr int kDashPress = 235;
constexpr int kPressFrames = 4;
constexpr int kRunFrames = 330;
// The result screen's state of the game scene.
constexpr int kStateResult = 4;

// The hero's walk and its dash, in dots per tick of the stage's ten ticks a frame; while
// right is held, the dash runs on top of the walk.
constexpr double kWalkVx = 0.25;
constexpr double kDashVx = 0.25 + 1.2;
constexpr int kHeroHp = 10;
constexpr int kItems = 3;

std::vector<std::string> Script() {
    auto key = [](int frame, int vk, bool down) {
        char line[64];
        std::snprintf(line, sizeof line, "@%d key 0x%02X %s", frame, vk, down ? "down" : "up");
        return std::string(line);
    };
    return {key(kFirstPlay, kKeyRight, true), key(kEarlyPress, kKeyButton2, true),
            key(kEarlyPress + kPressFrames, kKeyButton2, false), key(kDashPress, kKeyButton2, true),
            key(kDashPress + kPressFrames, kKeyButton2, false)};
}

int Count(const std::string& log, const std::string& wanted) {
    std::istringstream in(log);
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        n += line == wanted;
    }
    return n;
}

StageRun PlayPower() {
    StageRun run = PlayStage(kConfig, kPowerStage, kRunFrames, Script());
    EXPECT_TRUE(run.result.boxLog.empty()) << run.result.boxLog;
    return run;
}

class PowerStage : public OneRunSuite<PowerStage> {
public:
    static constexpr int kRunLength = kRunFrames;
    static StageRun PlayRun() { return PlayPower(); }

protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(OneRunSuite::SetUp());
        ASSERT_EQ(At(kFirstPlay - 1).state, kStatePlay) << At(kFirstPlay - 1).text;
        ASSERT_EQ(At(kFirstPlay - 1).items, kItems) << At(kFirstPlay - 1).text;
    }
    // The first frame from `from` on with fewer than `items` items; 0 for none.
    static int Taken(int items, int from = kFirstPlay) {
        for (int f = from; f <= kRunFrames; ++f)
            if (At(f).items < items) return f;
        return 0;
    }
};

// The early press finds no dash: the hero walks on as before. The power-up's list rings its
// sound and adds five HP (its maximum first, so that they fit).
TEST_F(PowerStage, PowerUpAddsHpAndRingsButThereIsNoDashBeforeIt) {
    const int taken = Taken(kItems);
    ASSERT_GT(taken, kEarlyPress + 20) << "the power-up came too early for the script";
    ASSERT_LT(taken, kDashPress) << "the power-up came too late for the script";
    for (int f = kEarlyPress; f < taken; ++f) {
        EXPECT_DOUBLE_EQ(At(f).vx, kWalkVx) << At(f).text;
        EXPECT_EQ(At(f).hp, kHeroHp) << At(f).text;
    }
    for (int f = taken; f <= kRunFrames && At(f).state == kStatePlay; ++f)
        EXPECT_EQ(At(f).hp, kHeroHp + gen::kPowerHpAdded) << At(f).text;
    EXPECT_EQ(
        Count(run_->result.errorLog, "PlaySE " + std::to_string(kDataSeBase + gen::kPowerSound)), 1)
        << run_->result.errorLog;
}

// After the power-up, button 2 starts the dash it taught: a run at the dash's speed for its
// time, then the walk again.
TEST_F(PowerStage, TheTaughtDashRunsOnButton2) {
    int first = 0;
    int frames = 0;
    for (int f = kDashPress; f < kDashPress + 40; ++f) {
        if (std::fabs(At(f).vx - kDashVx) > 1e-9) continue;
        if (first == 0) first = f;
        ++frames;
    }
    ASSERT_NE(first, 0) << At(kDashPress + 1).text;
    EXPECT_LE(first, kDashPress + 2);
    EXPECT_EQ(frames, gen::kDashTenths * 6);
    EXPECT_DOUBLE_EQ(At(first + frames + 1).vx, kWalkVx) << At(first + frames + 1).text;
}

// The box goes when taken; the switch changes the music once; the goal's list clears the
// stage, and the result screen follows.
TEST_F(PowerStage, BoxSwitchAndGoalDoWhatTheirListsSay) {
    const int box = Taken(kItems - 1);
    ASSERT_NE(box, 0);
    const int goal = Taken(kItems - 2, box);
    ASSERT_NE(goal, 0) << "the goal was never taken";
    int result = 0;
    for (int f = goal; f <= kRunFrames && result == 0; ++f)
        if (At(f).state == kStateResult) result = f;
    EXPECT_NE(result, 0) << "the goal did not clear the stage";
    const std::string tune = "PlayBGM " + std::to_string(kBgmStageMusic) + " ";
    EXPECT_EQ(Count(run_->result.errorLog, tune + std::to_string(gen::kStageMusic)), 1)
        << run_->result.errorLog;
    EXPECT_EQ(Count(run_->result.errorLog, tune + std::to_string(gen::kTitleMusic)), 1)
        << run_->result.errorLog;
}

// The same script writes the same states every run, and those kept in the golden file.
TEST_F(PowerStage, EveryRunWritesTheSameStatesAsTheGoldenFile) {
    const StageRun second = PlayPower();
    ExpectSameLines(run_->lines, second.lines, "a second run");
    ExpectGoldenStates("power_stage.hashes", run_->lines, kRunFrames);
}

// The colours of a whole frame, each channel's mean.
struct MeanColour {
    double r = 0, g = 0, b = 0;
};

MeanColour Mean(const Frame& frame) {
    MeanColour m;
    for (std::uint32_t p : frame.pixels) {
        m.r += (p >> 16) & 0xFF;
        m.g += (p >> 8) & 0xFF;
        m.b += p & 0xFF;
    }
    const double n = frame.pixels.empty() ? 1.0 : static_cast<double>(frame.pixels.size());
    return {m.r / n, m.g / n, m.b / n};
}

// Seen through Direct3D, which lays the screen colour over the picture: the switch, which the
// hero reaches in frame 175, flashes white three times (the first at its brightest in frame
// 192), the green hills of the far background are gone between the flashes (frame 212), and
// once the flashes are over the blue tint grows and stays (frame 264, after the clear).
TEST(PowerStageFrames, TheSwitchFlashesHidesTheHillsAndTints) {
    constexpr int kBefore = 172;
    constexpr int kFlash = 192;
    constexpr int kBetween = 212;
    constexpr int kTinted = 264;
    PlayerProject project;
    ASSERT_TRUE(project.Make(kPlayerConfigs[0]));
    PlayerRun run;
    run.stage = kPowerStage;
    run.quitAfter = kTinted + 1;
    run.capture = {kBefore, kFlash, kBetween, kTinted};
    run.script = Script();
    const PlayerResult result = project.Run(run);
    EXPECT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 0) << result.errorLog;
    const MeanColour before = Mean(project.Captured(kBefore));
    const MeanColour flash = Mean(project.Captured(kFlash));
    const MeanColour between = Mean(project.Captured(kBetween));
    const MeanColour tinted = Mean(project.Captured(kTinted));
    EXPECT_GT(flash.r + flash.g + flash.b, before.r + before.g + before.b + 3 * 80);
    EXPECT_LT(between.g, before.g - 15) << "the hills are still there";
    EXPECT_GT(tinted.b - tinted.r, before.b - before.r + 80);
}

}  // namespace

// The sample game's first forest stage played to its goal with scripted keys: the hero walks
// right, jumps the spikes and then the pit, and when it comes within reach of the goal
// character, the goal's flow runs the stage-clear command: the play frame ends the stage and
// the scene turns to the stage's result, where the hero stays until button 1 is pressed; then,
// as this is a direct play of one stage, the same stage starts again (a story play goes on to
// forest-2 instead; the stage-end tests hold that road).
//
// forest-1 (the version 001 the player picks): 40 blocks wide, the hero at column 2, spikes at
// column 14 on the floor, a pit at columns 20 and 21, the goal at column 37, of the hero's
// side so that neither hurts the other. The same script always writes the same states, the
// ones kept in tests/golden/forest_goal.hashes.
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
const char kForestStage[] = "data\\stg4\\forest-1.stg4";

constexpr int kKeyRight = 0x27;
constexpr int kKeyButton1 = 0x5A;
// The result screen's state of the game scene.
constexpr int kStateResult = 4;

// Play begins in frame 91; right is held from then on. Button 1 is held for half a second
// twice: over the spikes, then over the pit.
constexpr int kFirstPlay = 91;
constexpr int kSpikeJump = 227;
constexpr int kPitJump = 305;
constexpr int kJumpFrames = 30;
// The stage clears in frame 527 (pinned below); the result takes button 1 once it has been
// shown for its least time.
constexpr int kResultKey = 740;
constexpr int kRunFrames = 900;

// The goal's flow clears the stage once the hero's box centre is within 2 half blocks of the
// goal's; the boxes are half a block wide.
constexpr double kReach = 32;
constexpr double kBoxHalf = 8;
constexpr double ColumnX(int column) {
    return (column + 10) * 32.0;
}

std::vector<std::string> GoalScript() {
    auto key = [](int frame, int vk, bool down) {
        char line[64];
        std::snprintf(line, sizeof line, "@%d key 0x%02X %s", frame, vk, down ? "down" : "up");
        return std::string(line);
    };
    return {key(kFirstPlay, kKeyRight, true),
            key(kSpikeJump, kKeyButton1, true),
            key(kSpikeJump + kJumpFrames, kKeyButton1, false),
            key(kPitJump, kKeyButton1, true),
            key(kPitJump + kJumpFrames, kKeyButton1, false),
            key(kResultKey, kKeyButton1, true),
            key(kResultKey + 5, kKeyButton1, false)};
}

StageRun PlayToTheGoal() {
    StageRun run = PlayStage(kConfig, kForestStage, kRunFrames, GoalScript());
    EXPECT_TRUE(run.result.boxLog.empty()) << run.result.boxLog;
    return run;
}

class ForestGoal : public OneRunSuite<ForestGoal> {
public:
    static constexpr int kRunLength = kRunFrames;
    static StageRun PlayRun() { return PlayToTheGoal(); }

protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(OneRunSuite::SetUp());
        ASSERT_EQ(At(kFirstPlay - 1).state, kStatePlay) << At(kFirstPlay - 1).text;
        ASSERT_EQ(At(kFirstPlay).charas.size(), 3u) << At(kFirstPlay).text;
    }
    // The first frame that shows the result, 0 when none does.
    static int ClearFrame() {
        for (int f = kFirstPlay; f <= kRunFrames; ++f)
            if (At(f).state == kStateResult) return f;
        return 0;
    }
    // The goal is the last of the characters (the walker and the flyer come first; the hero
    // may defeat them on the way).
    static const Pos& Goal(const StateLine& line) {
        static const Pos none;
        EXPECT_FALSE(line.charas.empty()) << line.text;
        return line.charas.empty() ? none : line.charas.back();
    }
    static double DistanceToGoal(const StateLine& line) {
        const Pos& goal = Goal(line);
        return std::hypot(line.x - goal.x, line.y - goal.y);
    }
};

TEST_F(ForestGoal, TheHeroReachesTheGoalOverTheSpikesAndThePit) {
    const int clear = ClearFrame();
    ASSERT_NE(clear, 0) << "the stage was never cleared";
    for (int f = kFirstPlay; f < clear; ++f) {
        SCOPED_TRACE(At(f).text);
        EXPECT_EQ(At(f).state, kStatePlay);
        EXPECT_EQ(At(f).dying, 0);
    }
    // Past the spikes and the pit, then up to the goal.
    EXPECT_GT(At(kPitJump).x, ColumnX(15));
    EXPECT_GT(At(clear - 1).x, ColumnX(22));
    EXPECT_EQ(Goal(At(clear)).x, ColumnX(37) + kBoxHalf + 0.5);
}

// A flow that runs every tick is tested once per displayed frame: the goal's flow finds the
// hero within reach in the first tick of the frame after the one that brought it there,
// clears the stage, and the hero's pass in the next tick ends the frame.
TEST_F(ForestGoal, TheStageClearsInTheFrameAfterTheHeroComesWithinReach) {
    const int clear = ClearFrame();
    ASSERT_GT(clear, kFirstPlay + 2);
    EXPECT_GT(DistanceToGoal(At(clear - 2)), kReach) << At(clear - 2).text;
    EXPECT_LE(DistanceToGoal(At(clear - 1)), kReach) << At(clear - 1).text;
    EXPECT_EQ(At(clear - 1).state, kStatePlay);
    // One tick of walking (a tenth of the frame's 2.5 dots) before the frame ended.
    EXPECT_DOUBLE_EQ(At(clear).x - At(clear - 1).x, 0.25);
}

TEST_F(ForestGoal, AfterTheClearTheSceneStaysOnTheResultAndNothingMoves) {
    const int clear = ClearFrame();
    ASSERT_NE(clear, 0);
    for (int f = clear; f < kResultKey; ++f) {
        SCOPED_TRACE(At(f).text);
        EXPECT_EQ(At(f).state, kStateResult);
        EXPECT_EQ(At(f).x, At(clear).x);
        EXPECT_EQ(At(f).y, At(clear).y);
        EXPECT_EQ(At(f).hash, At(clear).hash);
    }
}

// Button 1 on the result ends it; a direct play of one stage then plays that stage again:
// forest-1 starts anew with the hero at its start and its own goal (column 37) as the last
// character.
TEST_F(ForestGoal, TheResultGoesOnToTheSameStageAgainInADirectPlay) {
    int next = 0;
    for (int f = kResultKey; f <= kRunFrames && !next; ++f)
        if (At(f).state == kStatePlay) next = f;
    ASSERT_NE(next, 0) << "no stage started again; last: " << At(kRunFrames).text;
    for (int f = kResultKey; f < next; ++f) EXPECT_NE(At(f).state, kStatePlay);
    EXPECT_EQ(At(next).x, 392.5) << At(next).text;
    EXPECT_EQ(Goal(At(next)).x, ColumnX(37) + kBoxHalf + 0.5) << At(next).text;
}

// The same script writes the same states every run, and those kept in the golden file.
TEST_F(ForestGoal, EveryRunWritesTheSameStatesAsTheGoldenFile) {
    const StageRun second = PlayToTheGoal();
    ExpectSameLines(run_->lines, second.lines, "a second run");
    ExpectGoldenStates("forest_goal.hashes", run_->lines, kRunFrames);
}

}  // namespace

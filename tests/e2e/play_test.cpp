// The sample game played end to end with scripted keys, read through the per-frame state log:
// the hero walks while an arrow is held and jumps on button 1 (higher while the button is
// held), walking into a pit restarts the stage, and the stage's computer characters patrol
// between walls, hop on a key sequence and start walking when the time left has dropped.
// The same script always writes the same states, the ones kept in tests/golden/.
//
// The sample game's "test-play" stage is one screen wide: the hero at column 2 with a floor
// to column 8 and a pit at columns 9 and 10; a pillar at column 13 and the right wall at
// column 19 enclose the patrolling character; the hopper stands at column 4 and the waiting
// character at column 7.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "player_harness.h"
#include "state_log_run.h"

namespace {

using namespace e2e;

// The DirectDraw back end at 32 bits: the quickest to run, and play is the same in all.
const PlayerConfig& kConfig = kPlayerConfigs[2];
const char kPlayStage[] = "data\\stg4\\test-play.stg4";

// Virtual keys of the script: the arrows, Z (button 1) and X (button 2).
constexpr int kKeyRight = 0x27;
constexpr int kKeyDown = 0x28;
constexpr int kKeyButton1 = 0x5A;
constexpr int kKeyButton2 = 0x58;

// The frames of the script. Play begins after the fade-in and the start caption, in frame
// 91; a key pressed at frame N is held in frames N .. (the frame it is let go) - 1.
constexpr int kFirstPlay = 91;
constexpr int kWalkEnd = kFirstPlay + 48;  // right held for 48 frames, 8 walk commands
constexpr int kJumpStart = 151;            // button 1 held for half a second
constexpr int kJumpEnd = 181;
constexpr int kTapStart = 211;  // button 1 tapped for two frames
constexpr int kTapEnd = 213;
constexpr int kSequenceStart = 241;  // down, down-right, right + button 2, six frames each
constexpr int kSequenceEnd = kSequenceStart + 18;
constexpr int kPitWalk = 271;  // right held until the end: into the pit
constexpr int kRunFrames = 420;

// The walk: 2.5 dots per frame in ticks of a quarter dot, exact in binary.
constexpr double kWalkPerFrame = 2.5;
// The jump is set to 4 half blocks; the hero's launch loses a little to the gravity setting.
constexpr double kJumpDots = 64;
constexpr double kHopperDots = 48;
// The patrol walks 2 dots per frame, the waiting character 1.
constexpr double kPatrolPerFrame = 2.0;
constexpr double kWaiterPerFrame = 1.0;
// Map dots of a stage column: the map has 10 blocks of margin on every side.
constexpr double ColumnX(int column) {
    return (column + 10) * 32.0;
}
// The patrolling character's room: the pillar's right side and the right wall's left side.
constexpr double kPillarRight = ColumnX(14);
constexpr double kWallLeft = ColumnX(19);
// A character's box is the stage's default, half a block wide.
constexpr double kCharaBoxW = 16;
// The three characters of the log, in placement order.
enum { kPatroller = 0, kHopper = 1, kWaiter = 2 };

std::vector<std::string> PlayScript() {
    auto key = [](int frame, int vk, bool down) {
        char line[64];
        std::snprintf(line, sizeof line, "@%d key 0x%02X %s", frame, vk, down ? "down" : "up");
        return std::string(line);
    };
    return {
        key(kFirstPlay, kKeyRight, true),
        key(kWalkEnd, kKeyRight, false),
        key(kJumpStart, kKeyButton1, true),
        key(kJumpEnd, kKeyButton1, false),
        key(kTapStart, kKeyButton1, true),
        key(kTapEnd, kKeyButton1, false),
        key(kSequenceStart, kKeyDown, true),
        key(kSequenceStart + 6, kKeyRight, true),
        key(kSequenceStart + 12, kKeyDown, false),
        key(kSequenceStart + 12, kKeyButton2, true),
        key(kSequenceEnd, kKeyRight, false),
        key(kSequenceEnd, kKeyButton2, false),
        key(kPitWalk, kKeyRight, true),
    };
}

StageRun PlayWithScript(const std::vector<std::string>& script, int frames) {
    StageRun run = PlayStage(kConfig, kPlayStage, frames, script);
    EXPECT_TRUE(run.result.boxLog.empty()) << run.result.boxLog;
    return run;
}

// One scripted run serves every test that only reads it.
class ScriptedPlay : public OneRunSuite<ScriptedPlay> {
public:
    static constexpr int kRunLength = kRunFrames;
    static StageRun PlayRun() { return PlayWithScript(PlayScript(), kRunFrames); }

protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(OneRunSuite::SetUp());
        // The script's frames assume that play begins in frame kFirstPlay: the line before
        // it already shows the state of play, but only this one runs it.
        ASSERT_EQ(At(kFirstPlay - 1).state, kStatePlay) << At(kFirstPlay - 1).text;
        ASSERT_NE(At(kFirstPlay - 2).state, kStatePlay) << At(kFirstPlay - 2).text;
        ASSERT_EQ(At(kFirstPlay - 1).charas.size(), 3u) << At(kFirstPlay - 1).text;
    }
    static const StateLine& Start() { return At(1); }
    // The highest point (smallest y) of the hero over frames [from, to).
    static double TopY(int from, int to) {
        double top = At(from).y;
        for (int f = from; f < to; ++f) top = std::min(top, At(f).y);
        return top;
    }
};

TEST_F(ScriptedPlay, HeroWalksWhileTheArrowIsHeldAndStopsWithTheLastWalkCommand) {
    const double x0 = Start().x;
    // Standing still until the arrow is pressed.
    for (int f = 1; f < kFirstPlay; ++f) EXPECT_EQ(At(f).x, x0) << At(f).text;
    // Exactly the walk speed in every held frame.
    for (int f = kFirstPlay; f < kWalkEnd; ++f) {
        SCOPED_TRACE(At(f).text);
        EXPECT_EQ(At(f).x, x0 + kWalkPerFrame * (f - kFirstPlay + 1));
        EXPECT_EQ(std::floor(At(f).y), Start().y);
    }
    // Held for a whole number of walk commands: the hero stops as the arrow is let go.
    for (int f = kWalkEnd; f < kJumpStart; ++f)
        EXPECT_EQ(At(f).x, x0 + kWalkPerFrame * (kWalkEnd - kFirstPlay)) << At(f).text;
}

TEST_F(ScriptedPlay, HeldJumpRisesItsHeightAndTappedJumpIsCutShort) {
    const double floorY = Start().y;
    const double x = At(kJumpStart - 1).x;
    // It leaves the floor in the first frame the button is held.
    EXPECT_LT(At(kJumpStart).y, floorY) << At(kJumpStart).text;
    const double full = floorY - TopY(kJumpStart, kTapStart);
    EXPECT_GT(full, kJumpDots * 0.9);
    EXPECT_LE(full, kJumpDots);
    // Back on the floor before the tap, having jumped straight up.
    for (int f = kJumpStart; f < kTapStart; ++f) EXPECT_EQ(At(f).x, x) << At(f).text;
    for (int f = kTapStart - 5; f < kTapStart; ++f)
        EXPECT_EQ(std::floor(At(f).y), floorY) << At(f).text;

    // Let go at once, the rise is cut to 30 % of the launch speed.
    const double tap = floorY - TopY(kTapStart, kSequenceStart);
    EXPECT_GT(tap, 0.0);
    EXPECT_LT(tap, full * 0.4);
    for (int f = kSequenceStart - 5; f < kSequenceStart; ++f)
        EXPECT_EQ(std::floor(At(f).y), floorY) << At(f).text;
}

TEST_F(ScriptedPlay, WalkingIntoThePitRestartsTheStage) {
    const std::vector<StateLine>& lines = run_->lines;
    std::size_t death = kPitWalk - 1;
    while (death < lines.size() && !lines[death].dying) ++death;
    ASSERT_LT(death, lines.size()) << "the hero never died";
    // It walked over the edge of the floor into the pit (columns 9 and 10) and fell in.
    const StateLine& fell = lines[death - 1];
    EXPECT_GT(fell.x, ColumnX(9)) << fell.text;
    EXPECT_LT(fell.x, ColumnX(11)) << fell.text;
    EXPECT_GT(fell.y, Start().y + 32) << fell.text;
    EXPECT_NE(ErrorLog().find("Dead 2"), std::string::npos) << ErrorLog();

    std::size_t restart = death;
    while (restart < lines.size() && lines[restart].state != kStateStageStart) ++restart;
    ASSERT_LT(restart, lines.size()) << "the stage did not start again";
    const StateLine& again = lines[restart];
    EXPECT_EQ(again.scene, 0);
    EXPECT_EQ(again.x, Start().x);
    EXPECT_EQ(again.y, Start().y);
    EXPECT_EQ(again.dying, 0);
    // The characters are placed anew too.
    ASSERT_EQ(again.charas.size(), Start().charas.size());
    for (std::size_t i = 0; i < again.charas.size(); ++i) {
        EXPECT_EQ(again.charas[i].x, Start().charas[i].x) << i;
        EXPECT_EQ(again.charas[i].y, Start().charas[i].y) << i;
    }
}

TEST_F(ScriptedPlay, PatrollingCharacterTurnsAtThePillarAndAtTheWall) {
    const std::vector<StateLine>& lines = run_->lines;
    const Pos start = Start().charas[kPatroller];
    int turnsAtPillar = 0;
    int turnsAtWall = 0;
    double previousStep = 0;
    for (std::size_t i = kFirstPlay; i < lines.size() && lines[i].state == kStatePlay; ++i) {
        SCOPED_TRACE(lines[i].text);
        const Pos& now = lines[i].charas[kPatroller];
        const Pos& before = lines[i - 1].charas[kPatroller];
        // Always inside its room, on the floor.
        EXPECT_GE(now.x, kPillarRight);
        EXPECT_LT(now.x + kCharaBoxW - 1, kWallLeft);
        EXPECT_EQ(std::floor(now.y), start.y);
        const double step = now.x - before.x;
        EXPECT_LE(std::fabs(step), kPatrolPerFrame + 1e-9);
        // It turns round only where it meets the pillar or the wall: within one frame's
        // walk of it.
        if (previousStep < 0 && step > 0) {
            ++turnsAtPillar;
            EXPECT_LT(before.x, kPillarRight + kPatrolPerFrame);
        }
        if (previousStep > 0 && step < 0) {
            ++turnsAtWall;
            EXPECT_GT(before.x + kCharaBoxW - 1, kWallLeft - 1 - kPatrolPerFrame);
        }
        if (step != 0) previousStep = step;
    }
    EXPECT_GE(turnsAtPillar, 2);
    EXPECT_GE(turnsAtWall, 1);
    // It set off at once, facing left as placed.
    EXPECT_NEAR(At(kFirstPlay).charas[kPatroller].x, start.x - kPatrolPerFrame, 1e-9);
}

TEST_F(ScriptedPlay, HopperJumpsOnlyAfterTheWholeKeySequence) {
    const Pos start = Start().charas[kHopper];
    const int complete = kSequenceStart + 12;
    // Nothing before the last step of the sequence: walking, jumping and the first two
    // steps leave it standing.
    for (int f = 1; f < complete; ++f) {
        EXPECT_EQ(At(f).charas[kHopper].x, start.x) << At(f).text;
        EXPECT_EQ(std::floor(At(f).charas[kHopper].y), start.y) << At(f).text;
    }
    // Right with button 2 completes it: it hops in place as soon as it stands firmly (a
    // walker sinks into the floor by less than a dot between landings, and may jump only
    // in a tick that found ground under it), and lands again.
    int hop = 0;
    for (int f = complete; f < complete + 10 && hop == 0; ++f)
        if (At(f).charas[kHopper].y < start.y - 1) hop = f;
    ASSERT_NE(hop, 0) << "it did not hop";
    EXPECT_LE(hop, complete + 3);
    double top = start.y;
    for (int f = hop; f < hop + 60; ++f) {
        EXPECT_EQ(At(f).charas[kHopper].x, start.x) << At(f).text;
        top = std::min(top, At(f).charas[kHopper].y);
    }
    // Three half blocks high; it does not hop again while the keys stay as they are.
    EXPECT_GT(start.y - top, kHopperDots * 0.9);
    EXPECT_LE(start.y - top, kHopperDots);
    for (int f = hop + 45; f < hop + 60; ++f)
        EXPECT_EQ(std::floor(At(f).charas[kHopper].y), start.y) << At(f).text;
}

TEST_F(ScriptedPlay, WaitingCharacterWalksOnceTheTimeLeftHasDropped) {
    const Pos start = Start().charas[kWaiter];
    // The stage's time runs one second per 60 frames of play; the condition holds from two
    // seconds on.
    int first = 0;
    for (int f = kFirstPlay; f <= kPitWalk && first == 0; ++f)
        if (At(f).charas[kWaiter].x != start.x) first = f;
    ASSERT_NE(first, 0) << "it never moved";
    EXPECT_GT(first, kFirstPlay + 60);
    EXPECT_LE(first, kFirstPlay + 121);
    for (int f = first; f < first + 30; ++f) {
        SCOPED_TRACE(At(f).text);
        const double step = At(f).charas[kWaiter].x - At(f - 1).charas[kWaiter].x;
        EXPECT_NEAR(step, -kWaiterPerFrame, 1e-9);
    }
}

// The same script writes the same states every run, and those kept in the golden file.
TEST_F(ScriptedPlay, EveryRunWritesTheSameStatesAsTheGoldenFile) {
    const StageRun second = PlayWithScript(PlayScript(), kRunFrames);
    ExpectSameLines(run_->lines, second.lines, "a second run");

    ExpectGoldenStates("play_walk_jump.hashes", run_->lines, kRunFrames);
}

}  // namespace

// Block characters and touch blocks played end to end on the sample game's "test-blocks"
// stage, read through the per-frame state log and the error log: the hero walks right over a
// conveyor, waits on an item block (its item's sound on landing and every second), crosses a
// no-jump block and a slow block, is thrown up by a jump pad, walks against a conveyor,
// boards the platform that waits at a pit (it starts moving when the hero rides it), stands
// on it across the pit, and at the right wall is crushed by a block character coming down:
// "Dead 6", and the stage starts again.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "gen/sample_stages.h"
#include "player_harness.h"
#include "state_log_run.h"

namespace {

using namespace e2e;

const PlayerConfig& kConfig = kPlayerConfigs[2];
const char kBlocksStage[] = "data\\stg4\\test-blocks.stg4";
constexpr int kRunFrames = 1000;

// The script: right from the first frame of play, a stop on the item block, right again,
// a stop on the pit's platform, right again once it has crossed.
constexpr int kFirstPlay = 91;
constexpr int kItemStop = 147;
constexpr int kItemGo = 277;
constexpr int kRideStop = 447;
constexpr int kRideGo = 515;

// The stage's numbers (tools/gen), in map dots (10 blocks of margin): the floor's top row,
// the pit's columns, the hero's and a block's sizes; the sounds of the item (project sound 3)
// and of a jump pad; the pad's height in half blocks.
constexpr double kFloorTop = (13 + 10) * 32;
constexpr double kPitLeft = (19 + 10) * 32;
constexpr double kPitRight = (23 + 10) * 32;
constexpr double kHeroH = 24;
constexpr int kSeItem = 19;
constexpr int kSeJumpPad = 10;
constexpr int kPadHbl = 6;

// The error log's lines, without their line ends.
std::vector<std::string> LogLines(const std::string& log) {
    std::vector<std::string> lines;
    std::istringstream in(log);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::size_t IndexOf(const std::vector<std::string>& lines, const std::string& wanted) {
    return static_cast<std::size_t>(std::find(lines.begin(), lines.end(), wanted) - lines.begin());
}

int CountIn(const std::vector<std::string>& lines, std::size_t from, std::size_t to,
            const std::string& wanted) {
    return static_cast<int>(std::count(lines.begin() + static_cast<std::ptrdiff_t>(from),
                                       lines.begin() + static_cast<std::ptrdiff_t>(to), wanted));
}

std::vector<std::string> Script() {
    const int keyRight = 0x27;
    std::vector<std::string> script;
    const std::pair<int, const char*> steps[] = {{kFirstPlay, "down"},
                                                 {kItemStop, "up"},
                                                 {kItemGo, "down"},
                                                 {kRideStop, "up"},
                                                 {kRideGo, "down"}};
    for (auto [frame, what] : steps) {
        char line[64];
        std::snprintf(line, sizeof line, "@%d key 0x%02X %s", frame, keyRight, what);
        script.push_back(line);
    }
    return script;
}

class BlocksStage : public OneRunSuite<BlocksStage> {
public:
    static constexpr int kRunLength = kRunFrames;
    static StageRun PlayRun() { return PlayStage(kConfig, kBlocksStage, kRunFrames, Script()); }

protected:
    static std::vector<std::string> Log() { return LogLines(run_->result.errorLog); }
};

TEST_F(BlocksStage, ItemBlockGivesOnLandingAndOnceMoreEverySecondOfStanding) {
    // Standing still on it from the stop to the start again: 130 frames.
    for (int f = kItemStop + 5; f < kItemGo; ++f) {
        SCOPED_TRACE(At(f).text);
        EXPECT_EQ(At(f).x, At(kItemStop + 5).x);
        EXPECT_EQ(At(f).airborne, 0);
    }
    // Landing, then after 60 and after 120 frames; nothing more while the hero walks on
    // before the jump pad.
    const std::vector<std::string> log = Log();
    const std::size_t pad = IndexOf(log, "PlaySE " + std::to_string(kSeJumpPad));
    ASSERT_LT(pad, log.size()) << run_->result.errorLog;
    EXPECT_EQ(CountIn(log, 0, pad, "PlaySE " + std::to_string(kSeItem)), 3)
        << run_->result.errorLog;
    // Each bell's list adds to the score: three times by the end of the stop, never again in
    // this attempt (the crusher's retry later goes back to the score of the stage's start).
    std::vector<int> rises;
    for (int f = 2; f <= kRunFrames && At(f).scene >= At(f - 1).scene; ++f) {
        const int rise = At(f).score - At(f - 1).score;
        if (rise == 0) continue;
        EXPECT_EQ(rise, gen::kBlocksBellScore) << At(f).text;
        rises.push_back(f);
    }
    ASSERT_EQ(rises.size(), 3u);
    EXPECT_LT(rises[2], kItemGo);
    // A second of standing between two gifts (the first came on landing, before the stop).
    EXPECT_GE(rises[1] - rises[0], 60);
    EXPECT_GE(rises[2] - rises[1], 60);
}

TEST_F(BlocksStage, ConveyorsAndTheSlowBlockChangeTheWalk) {
    // The walk is 0.25 dot per tick; a conveyor adds or takes 0.1, the slow block halves it.
    auto walkedAt = [](double x0, double x1) {
        for (const StateLine& l : Lines())
            if (l.state == kStatePlay && l.x >= x0 && l.x < x1 && l.airborne == 0) return l.vx;
        return -1.0;
    };
    EXPECT_NEAR(walkedAt(14 * 32 + 4, 15 * 32), 0.35, 1e-9);        // on the right conveyor
    EXPECT_NEAR(walkedAt(20 * 32 + 4, 20 * 32 + 16), 0.125, 1e-9);  // on the slow block
    EXPECT_NEAR(walkedAt(25 * 32 + 8, 25 * 32 + 28), 0.15, 1e-9);   // against the left conveyor
}

TEST_F(BlocksStage, JumpPadThrowsTheHeroUpByItsHeight) {
    const std::vector<std::string> log = Log();
    EXPECT_EQ(CountIn(log, 0, IndexOf(log, "Dead 6"), "PlaySE " + std::to_string(kSeJumpPad)), 1)
        << run_->result.errorLog;
    // The highest point of the throw, after the item block and before the pit.
    double top = kFloorTop;
    int air = 0;
    for (int f = kItemGo; f < kRideStop; ++f) {
        top = std::min(top, At(f).y);
        air += At(f).airborne;
    }
    const double rise = (kFloorTop - kHeroH) - top;
    // Six half blocks, less the damping of the player's jumps.
    EXPECT_GT(rise, kPadHbl * 16 * 0.9);
    EXPECT_LE(rise, kPadHbl * 16);
    EXPECT_GT(air, 30);
}

TEST_F(BlocksStage, HeroRidesThePlatformAcrossThePitAndIsCarriedByItsMove) {
    // Boarded while walking; standing still on it from the stop, the hero moves exactly as
    // much as the platform (the first character) does.
    const int from = kRideStop + 8;
    const int to = kRideGo - 1;
    const double offset = At(from).x - At(from).charas.at(0).x;
    for (int f = from; f <= to; ++f) {
        SCOPED_TRACE(At(f).text);
        ASSERT_FALSE(At(f).charas.empty());
        EXPECT_NEAR(At(f).x - At(f).charas[0].x, offset, 1e-6);
        EXPECT_EQ(At(f).y, kFloorTop - kHeroH);
        EXPECT_EQ(At(f).dying, 0);
    }
    // It moved while ridden, over the pit, and the hero with it.
    EXPECT_GT(At(to).x - At(from).x, 60);
    EXPECT_GT(At(from).x, kPitLeft);
    EXPECT_LT(At(from).x + 16, kPitRight);
    // Then the hero walked on across the floor beyond the pit.
    EXPECT_GT(At(kRideGo + 60).x, kPitRight);
    // On the floor, which lets it sink by less than a dot between ticks.
    EXPECT_EQ(std::floor(At(kRideGo + 60).y), kFloorTop - kHeroH);
    const std::vector<std::string> log = Log();
    EXPECT_EQ(CountIn(log, 0, log.size(), "Dead 2"), 0) << run_->result.errorLog;
}

TEST_F(BlocksStage, CrusherComingDownKillsTheHeroAndTheStageStartsAgain) {
    const std::vector<std::string> log = Log();
    const std::size_t dead = IndexOf(log, "Dead 6");
    ASSERT_LT(dead, log.size()) << run_->result.errorLog;
    // The only death of the run.
    int deaths = 0;
    for (const std::string& line : log) deaths += line.rfind("Dead ", 0) == 0;
    EXPECT_EQ(deaths, 1) << run_->result.errorLog;

    const std::vector<StateLine>& lines = Lines();
    std::size_t dying = 0;
    while (dying < lines.size() && !lines[dying].dying) ++dying;
    ASSERT_LT(dying, lines.size());
    // At the right wall, under the crusher (the second character) that has come down on it.
    EXPECT_GT(lines[dying].x, (38 + 10) * 32 - 1);
    ASSERT_GE(lines[dying].charas.size(), 2u);
    EXPECT_GT(lines[dying].charas[1].y + 32, lines[dying].y);
    std::size_t restart = dying;
    while (restart < lines.size() && lines[restart].state != kStateStageStart) ++restart;
    ASSERT_LT(restart, lines.size()) << "the stage did not start again";
    EXPECT_EQ(lines[restart].x, lines[0].x);
    EXPECT_EQ(lines[restart].y, lines[0].y);
    EXPECT_EQ(lines[restart].dying, 0);
}

TEST_F(BlocksStage, EveryRunWritesTheSameStatesAsTheGoldenFile) {
    const StageRun second = PlayStage(kConfig, kBlocksStage, kRunFrames, Script());
    ExpectSameLines(Lines(), second.lines, "a second run");
    ExpectGoldenStates("stage_run_blocks.hashes", Lines(), kRunFrames);
}

}  // namespace

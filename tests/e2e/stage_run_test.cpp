// A stage played end to end, read through the player's per-frame state log: a hero over a
// pit falls out of the stage and the stage starts again, a hero on a floor stays where it
// stands, a character over a pit falls out and leaves the stage, and the same run always
// writes the same states, the ones kept in tests/golden/.
//
// The sample game's "test-fall" stage has the hero high over a pit and a walker over another
// one; forest-1 has the hero on the floor. Both are direct plays: no life is used up.
#include <gtest/gtest.h>

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

constexpr int kUnlimitedLives = 999999;

std::size_t CountOf(const std::string& text, const std::string& piece) {
    std::size_t n = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos;
         at = text.find(piece, at + piece.size()))
        ++n;
    return n;
}

// The index of the first line at or after `from` that holds, or lines.size().
template <class Pred>
std::size_t FindLine(const std::vector<StateLine>& lines, std::size_t from, Pred pred) {
    for (std::size_t i = from; i < lines.size(); ++i)
        if (pred(lines[i])) return i;
    return lines.size();
}

// The first frame that played: the frame that ends the stage start already shows the state
// of play, but only the next one runs it.
std::size_t FirstPlayFrame(const std::vector<StateLine>& lines) {
    return FindLine(lines, 0,
                    [](const StateLine& l) { return l.state == kStatePlay && l.scene >= 1; });
}

// Long enough for the hero's fall, its death, the restart and the first frames of the
// second attempt.
constexpr int kFallFrames = 300;
const char kFallStage[] = "data\\stg4\\test-fall.stg4";

// One run of the falling stage serves every test that only reads it.
class FallingStage : public OneRunSuite<FallingStage> {
public:
    static constexpr int kRunLength = kFallFrames;
    static StageRun PlayRun() { return PlayStage(kConfig, kFallStage, kFallFrames); }

protected:
    static std::size_t FirstPlay() { return FirstPlayFrame(Lines()); }
};

TEST_F(FallingStage, HeroOverAPitFallsDiesAndTheStageStartsAgain) {
    const std::vector<StateLine>& lines = Lines();
    const StateLine& start = lines[0];
    const std::size_t play = FirstPlay();
    ASSERT_LT(play, lines.size());
    const std::size_t death = FindLine(lines, play, [](const StateLine& l) { return l.dying; });
    ASSERT_LT(death, lines.size()) << "the hero never died";
    // Straight down, faster every frame, until it left the stage.
    ASSERT_GT(death - play, 10u);
    for (std::size_t i = play; i < death; ++i) {
        SCOPED_TRACE(lines[i].text);
        EXPECT_EQ(lines[i].x, start.x);
        EXPECT_GT(lines[i].y, i == play ? start.y : lines[i - 1].y);
        EXPECT_GT(lines[i].vy, i == play ? 0.0 : lines[i - 1].vy);
    }
    // Out at the bottom, not by a block or the screen's edge. Only the first life counts:
    // the player may play on a few frames past the last one logged before it closes (a
    // loaded machine), far enough for the second fall to end too.
    const std::string& log = ErrorLog();
    const std::size_t firstSetUp = log.find("In SetStage");
    const std::string firstLife =
        log.substr(0, firstSetUp == std::string::npos ? std::string::npos
                                                      : log.find("In SetStage", firstSetUp + 1));
    EXPECT_EQ(CountOf(firstLife, "Dead 2"), 1u) << log;
    EXPECT_EQ(CountOf(firstLife, "Dead "), 1u) << log;

    // The death animation, then the stage set up again: the hero back at its place.
    const std::size_t restart =
        FindLine(lines, death, [](const StateLine& l) { return l.state == kStateStageStart; });
    ASSERT_LT(restart, lines.size()) << "the stage did not start again";
    for (std::size_t i = death; i < restart; ++i) EXPECT_TRUE(lines[i].dying) << lines[i].text;
    const StateLine& again = lines[restart];
    EXPECT_EQ(again.scene, 0);
    EXPECT_EQ(again.x, start.x);
    EXPECT_EQ(again.y, start.y);
    EXPECT_EQ(again.vy, 0.0);
    EXPECT_EQ(again.dying, 0);
    // And the second attempt plays.
    EXPECT_LT(FindLine(lines, restart, [](const StateLine& l) { return l.state == kStatePlay; }),
              lines.size());

    // A direct play has lives without end, never ends in game over and takes no life.
    EXPECT_EQ(start.lives, kUnlimitedLives);
    for (const StateLine& line : lines) {
        EXPECT_NE(line.state, kStateGameOver) << line.text;
        EXPECT_EQ(line.lives, start.lives) << line.text;
    }
}

TEST_F(FallingStage, CharacterOverAPitFallsOutAndLeavesTheStage) {
    const std::vector<StateLine>& lines = Lines();
    const std::size_t play = FirstPlay();
    ASSERT_LT(play, lines.size());
    ASSERT_EQ(lines[play].charaCount, 1);
    const std::size_t gone =
        FindLine(lines, play, [](const StateLine& l) { return l.charaCount == 0; });
    ASSERT_LT(gone, lines.size()) << "the character stayed";
    // It went while the hero was still falling, and stayed away until the stage started
    // again, which placed it anew.
    EXPECT_EQ(lines[gone].dying, 0);
    EXPECT_EQ(lines[gone].state, kStatePlay);
    const std::size_t restart =
        FindLine(lines, gone, [](const StateLine& l) { return l.state == kStateStageStart; });
    ASSERT_LT(restart, lines.size());
    for (std::size_t i = gone; i < restart; ++i) EXPECT_EQ(lines[i].charaCount, 0) << lines[i].text;
    EXPECT_EQ(lines[restart].charaCount, 1);
    // It was defeated (the defeat sound), not taken away for leaving the stage sideways.
    EXPECT_NE(ErrorLog().find("PlaySE 9"), std::string::npos) << ErrorLog();
}

// One display configuration: a retry draws its random seed from the clock, and how far the
// virtual clock has gone by then depends on how the back end paces its frames.
TEST_F(FallingStage, EveryRunWritesTheSameStatesAsTheGoldenFile) {
    const StageRun second = PlayStage(kConfig, kFallStage, kFallFrames);
    ExpectSameLines(Lines(), second.lines, "a second run");
    // The hashes change from frame to frame while things move (they do cover the state).
    const std::size_t play = FirstPlay();
    ASSERT_LT(play + 1, Lines().size());
    EXPECT_NE(Lines()[play].hash, Lines()[play + 1].hash);

    ExpectGoldenStates("stage_run_fall.hashes", Lines(), kFallFrames);
}

TEST(StandingHero, HeroOnAFloorStaysWhereItStands) {
    constexpr int kStandFrames = 120;
    // Play begins after the fade-in and the start caption, in frame 91.
    const StageRun run = PlayStage(kConfig, "data\\stg4\\forest-1.stg4", 90 + kStandFrames);
    const std::vector<StateLine>& lines = run.lines;
    const std::size_t play = FirstPlayFrame(lines);
    ASSERT_LT(play, lines.size());
    ASSERT_GE(lines.size() - play, static_cast<std::size_t>(kStandFrames));
    const StateLine& start = lines[0];
    for (std::size_t i = play; i < lines.size(); ++i) {
        SCOPED_TRACE(lines[i].text);
        EXPECT_EQ(lines[i].state, kStatePlay);
        EXPECT_EQ(lines[i].dying, 0);
        EXPECT_EQ(lines[i].x, start.x);
        // Gravity pulls it into the floor by less than a dot each time before the floor puts
        // it back on top: the dot it stands on never changes.
        EXPECT_EQ(std::floor(lines[i].y), start.y);
        EXPECT_LT(std::fabs(lines[i].vy), 1.0);
        // Both characters stand on the floor too.
        EXPECT_EQ(lines[i].charaCount, start.charaCount);
    }
    // It stood: its time in the air never reached the limit after which it counts as falling.
    EXPECT_EQ(lines.back().falling, 0);
    EXPECT_EQ(CountOf(run.result.errorLog, "Dead "), 0u) << run.result.errorLog;
}

}  // namespace

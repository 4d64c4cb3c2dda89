// Code texts, arranges and the status flag command played end to end on the sample game's
// "test-code" stage, read through the per-frame state log, the report log and the log of the
// boxes shown. Nobody presses a key: a walker counts its laps in C1, adds time and scores by
// the time left, and walks out and back by distances that its arranges lengthen by C1 at
// every lap; the hero grows to giant size when C1 reaches 3; a third character runs a text
// that divides by zero at every tick, which shows one box in the whole attempt.
#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "data/stage_record.h"
#include "gen/sample_flows.h"
#include "platform/cp932.h"
#include "stage/game_object.h"
#include "state_log_run.h"

namespace {

using namespace e2e;

const PlayerConfig& kConfig = kPlayerConfigs[2];
const char kCodeStage[] = "data\\stg4\\test-code.stg4";
// Play starts at frame 91; the rest is five and a half seconds of play, well past the
// stage's time limit.
constexpr int kRunFrames = 420;
// The stage's time limit in seconds (tools/gen).
constexpr int kTimeLimit = 3;

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// One lap of the walker: the frame (index) its code ran and scored, and how far it went out.
struct Lap {
    std::size_t start = 0;
    int scoreAdded = 0;
    double out = 0;
};

class CodeStage : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        first_ = new StageRun(PlayStage(kConfig, kCodeStage, kRunFrames));
        second_ = new StageRun(PlayStage(kConfig, kCodeStage, kRunFrames));
    }
    static void TearDownTestSuite() {
        delete first_;
        delete second_;
        first_ = second_ = nullptr;
    }
    void SetUp() override {
        ASSERT_EQ(first_->lines.size(), static_cast<std::size_t>(kRunFrames));
        ASSERT_EQ(second_->lines.size(), static_cast<std::size_t>(kRunFrames));
        ASSERT_GT(FirstPlay(), 0u);
        ASSERT_LT(FirstPlay(), Lines().size());
        for (const StateLine& line : Lines()) ASSERT_EQ(line.charas.size(), 2u) << line.text;
    }
    static const std::vector<StateLine>& Lines() { return first_->lines; }
    static std::size_t FirstPlay() {
        const std::vector<StateLine>& lines = Lines();
        std::size_t i = 0;
        while (i < lines.size() && lines[i].state != kStatePlay) ++i;
        return i;
    }
    // The walker's laps: each starts where the score rises (the lap's code runs at its
    // start) and goes out as far as the walker's farthest point before the next.
    static std::vector<Lap> Laps() {
        const std::vector<StateLine>& lines = Lines();
        std::vector<Lap> laps;
        const double home = lines[FirstPlay() - 1].charas[0].x;
        for (std::size_t i = FirstPlay(); i < lines.size(); ++i) {
            if (lines[i].score != lines[i - 1].score) {
                Lap lap;
                lap.start = i;
                lap.scoreAdded = lines[i].score - lines[i - 1].score;
                laps.push_back(lap);
            }
            if (!laps.empty())
                laps.back().out = std::fmax(laps.back().out, lines[i].charas[0].x - home);
        }
        return laps;
    }
    static StageRun* first_;
    static StageRun* second_;
};
StageRun* CodeStage::first_ = nullptr;
StageRun* CodeStage::second_ = nullptr;

TEST_F(CodeStage, EachLapGoesFartherByTheLapCount) {
    const std::vector<StateLine>& lines = Lines();
    const std::vector<Lap> laps = Laps();
    // The last lap may be cut short by the end of the run: only whole laps count.
    ASSERT_GE(laps.size(), 6u);
    // The walker turns between two logged frames: the farthest point the log shows lies
    // within half a dot of the turn (a frame's walk is one dot), and so does home.
    constexpr double kTurnSlack = 0.5;
    const double home = lines[FirstPlay() - 1].charas[0].x;
    int count = 0;     // C1 after the lap's code
    int arranged = 0;  // what the arranges have added to each way so far
    for (std::size_t k = 0; k + 1 < laps.size(); ++k) {
        ++count;
        arranged += count;
        const int way = gen::kCodeLapBaseDots + arranged;
        EXPECT_NEAR(laps[k].out, way, kTurnSlack) << "lap " << k + 1;
        if (k > 0) EXPECT_NEAR(laps[k].out - laps[k - 1].out, count, 2 * kTurnSlack);
        // Back home before the next lap starts: the way back was lengthened as much.
        std::size_t turn = laps[k].start;
        for (std::size_t i = turn; i < laps[k + 1].start; ++i)
            if (lines[i].charas[0].x > lines[turn].charas[0].x) turn = i;
        double back = lines[turn].charas[0].x;
        // The walk back ends in the frame the next lap's code runs.
        for (std::size_t i = turn; i <= laps[k + 1].start; ++i)
            back = std::fmin(back, lines[i].charas[0].x);
        EXPECT_NEAR(back, home, kTurnSlack) << "lap " << k + 1;
        // Out and back at a dot a frame, the lap's code ticks within the lap's frames.
        const int frames = static_cast<int>(laps[k + 1].start - laps[k].start);
        EXPECT_GE(frames, 2 * way) << "lap " << k + 1;
        EXPECT_LE(frames, 2 * way + 1) << "lap " << k + 1;
    }
}

TEST_F(CodeStage, EachLapAddsTimeAndScoresByTheTimeLeft) {
    const std::vector<StateLine>& lines = Lines();
    const std::vector<Lap> laps = Laps();
    ASSERT_GE(laps.size(), 5u);
    // The first lap starts with the whole limit left: the code adds 2 seconds and scores
    // 100 plus the 5 seconds then left.
    EXPECT_EQ(laps[0].scoreAdded, gen::kCodeScoreAdded + kTimeLimit + gen::kCodeTimeAdded);
    EXPECT_EQ(lines[laps[0].start].score, laps[0].scoreAdded);
    // Between two laps the time gains 2 seconds and loses one for every 60 frames gone.
    for (std::size_t k = 1; k < laps.size(); ++k) {
        const int frames = static_cast<int>(laps[k].start - laps[k - 1].start);
        const int gained = laps[k].scoreAdded - laps[k - 1].scoreAdded;
        EXPECT_LE(gained, gen::kCodeTimeAdded) << "lap " << k + 1;
        EXPECT_GE(gained, gen::kCodeTimeAdded - (frames + 59) / 60) << "lap " << k + 1;
    }
    // Three seconds are far less than the run's play, yet the time never ran out: the hero
    // lives on in the same attempt to the end.
    ASSERT_GT(lines.size() - FirstPlay(), static_cast<std::size_t>(60 * kTimeLimit + 60));
    for (std::size_t i = FirstPlay(); i < lines.size(); ++i) {
        ASSERT_EQ(lines[i].state, kStatePlay) << lines[i].text;
        ASSERT_EQ(lines[i].dying, 0) << lines[i].text;
    }
}

TEST_F(CodeStage, TheHeroGrowsWhenTheCountReachesThree) {
    const std::vector<StateLine>& lines = Lines();
    const std::vector<Lap> laps = Laps();
    ASSERT_GE(laps.size(), static_cast<std::size_t>(gen::kCodeGiantLap));
    const std::size_t third = laps[gen::kCodeGiantLap - 1].start;
    // The hero's body box, from the stage's settings (the generator keeps the defaults),
    // lies at the bottom middle of its one-block picture. Growing by g, its left edge goes
    // back half the box's width per step and its top up by the picture's height less the
    // box's offset, so that it stands where it stood.
    cEdStage defaults;
    defaults.SetDefaults();
    std::int32_t offsetX = 0;
    std::int32_t offsetY = 0;
    BoxOffsetsInCell(defaults.nHeroBodyW, defaults.nHeroBodyH, defaults.nHeroBodyAlign, offsetX,
                     offsetY);
    const int steps = gen::kCodeGiantSize - 1;
    const double left = steps * (defaults.nHeroBodyW / 2);
    const double up = steps * (kBlockDots - offsetY);
    ASSERT_GT(up, 0);
    // Standing on the floor, the hero settles within a dot of it at every frame.
    const StateLine& before = lines[FirstPlay()];
    for (std::size_t i = FirstPlay(); i <= third; ++i) {
        ASSERT_EQ(lines[i].x, before.x) << lines[i].text;
        ASSERT_EQ(std::floor(lines[i].y), std::floor(before.y)) << lines[i].text;
    }
    // The hero's flows run before the walker's: the count of 3 is seen in the next frame.
    const StateLine& grown = lines[third + 1];
    EXPECT_EQ(grown.x, before.x - left) << grown.text;
    EXPECT_EQ(std::floor(grown.y), std::floor(before.y) - up) << grown.text;
    // And so it stays, on the floor.
    for (std::size_t i = third + 1; i < lines.size(); ++i) {
        ASSERT_EQ(lines[i].x, grown.x) << lines[i].text;
        ASSERT_EQ(std::floor(lines[i].y), std::floor(grown.y)) << lines[i].text;
        ASSERT_EQ(lines[i].airborne, 0) << lines[i].text;
    }
}

TEST_F(CodeStage, TheTextThatFailsEveryTickShowsOneBoxAndOneReportLine) {
    for (const StageRun* run : {first_, second_}) {
        const std::string box = plat::Cp932ToUtf8("0除算が行われました！");
        EXPECT_EQ(Count(run->result.boxLog, box), 1) << run->result.boxLog;
        const std::string report = std::string("Code text failed: ") + gen::kCodeFailingText;
        EXPECT_EQ(Count(run->result.reportLog, report), 1) << run->result.reportLog;
        // Nothing else failed.
        EXPECT_EQ(Count(run->result.reportLog, "Code text failed"), 1) << run->result.reportLog;
    }
}

TEST_F(CodeStage, EveryRunWritesTheSameStatesAsTheGoldenFile) {
    ExpectSameLines(first_->lines, second_->lines, "the second run");
    ExpectGoldenStates("stage_run_code.hashes", first_->lines, kRunFrames);
}

}  // namespace

// Hits played end to end on the sample game's "test-hits" stage, read through the per-frame
// state log and the error log's sound requests: the hero holds right from the first frame
// of play and walks into a brute that patrols toward it. Each contact hurts both by power
// less defence and pushes them apart; meeting again while immune hurts no one; the third
// contact defeats the brute (its sound, its score, its carried gem). The hero walks on over
// a coin (taken once) and a spring (taken at the contact), then into a guard that takes its
// last HP, and the stage starts again.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "gen/sample_stages.h"
#include "player_harness.h"
#include "state_log_run.h"

namespace {

using namespace e2e;

const PlayerConfig& kConfig = kPlayerConfigs[2];
const char kHitsStage[] = "data\\stg4\\test-hits.stg4";
constexpr int kFirstPlay = 91;
constexpr int kKeyRight = 0x27;
// Long enough for the fights, the hero's loss and the first frames of the next attempt.
constexpr int kRunFrames = 420;

// The stage's numbers (tools/gen): the hero's HP, defence and power; the brute's HP,
// power, impact and score; the stage's immunity in frames.
constexpr int kHeroHp = 10;
constexpr int kHeroDefence = 1;
constexpr int kBrutePower = 4;
constexpr int kBruteImpact = 4;
constexpr int kBruteHp = 3;
constexpr int kBruteScore = 250;
constexpr int kImmuneFrames = 26;
// The brute's death effect bursts it apart by 32 dots in half a second: its level passes 32
// in the 31st drawn frame, the first of which is the frame of the defeat.
constexpr int kBurstFrames = 31;
// Sounds: character defeated, the coin, the spring and the gem (project sounds 1, 2, 3).
constexpr int kSeDefeated = 9;
constexpr int kSeCoin = 17;
constexpr int kSeSpring = 18;
constexpr int kSeGem = 19;
constexpr int kSeHeroLost = 8;

int Sounds(const std::string& log, int number) {
    std::istringstream in(log);
    std::string line;
    int n = 0;
    const std::string wanted = "PlaySE " + std::to_string(number);
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        n += line == wanted;
    }
    return n;
}

class HitsStage : public OneRunSuite<HitsStage> {
public:
    static constexpr int kRunLength = kRunFrames;
    static StageRun PlayRun() {
        char line[64];
        std::snprintf(line, sizeof line, "@%d key 0x%02X down", kFirstPlay, kKeyRight);
        return PlayStage(kConfig, kHitsStage, kRunFrames, {line});
    }

protected:
    // The frames (indices) of the first attempt in which the hero's HP fell.
    static std::vector<std::size_t> HeroHits() {
        std::vector<std::size_t> hits;
        const std::vector<StateLine>& lines = Lines();
        for (std::size_t i = 1; i < lines.size(); ++i) {
            if (lines[i].state == kStateStageStart && lines[i].scene == 0 && i > 100) break;
            if (lines[i].hp < lines[i - 1].hp) hits.push_back(i);
        }
        return hits;
    }
};

TEST_F(HitsStage, ContactHurtsByPowerLessDefenceAndKnocksTheHeroBack) {
    const std::vector<StateLine>& lines = Lines();
    const std::vector<std::size_t> hits = HeroHits();
    ASSERT_GE(hits.size(), 1u);
    const std::size_t first = hits[0];
    EXPECT_EQ(lines[first - 1].hp, kHeroHp);
    EXPECT_EQ(lines[first].hp, kHeroHp - (kBrutePower - kHeroDefence));
    // The brute walked left into the hero: the hero goes back about 16 dots per impact
    // before it walks on.
    const double before = lines[first - 1].x;
    double farthest = before;
    for (std::size_t i = first; i < first + 10; ++i) farthest = std::fmin(farthest, lines[i].x);
    EXPECT_NEAR(before - farthest, 16.0 * kBruteImpact, 3.0);
}

TEST_F(HitsStage, MeetingAgainWhileImmuneHurtsNoOne) {
    const std::vector<StateLine>& lines = Lines();
    const std::vector<std::size_t> hits = HeroHits();
    ASSERT_GE(hits.size(), 2u);
    // The next hit comes when the immunity has run out, not before, although the two were
    // closer than when they first met.
    EXPECT_EQ(hits[1] - hits[0], static_cast<std::size_t>(kImmuneFrames));
    const auto gap = [&lines](std::size_t i) {
        return std::fabs(lines[i].charas.at(0).x - lines[i].x);
    };
    ASSERT_FALSE(lines[hits[0] - 1].charas.empty());
    EXPECT_LT(gap(hits[1] - 1), gap(hits[0] - 1));
    EXPECT_EQ(lines[hits[1] - 1].hp, lines[hits[0]].hp);
}

TEST_F(HitsStage, ThirdContactDefeatsTheBruteWhichScoresAndGivesItsGem) {
    const std::vector<StateLine>& lines = Lines();
    const std::vector<std::size_t> hits = HeroHits();
    ASSERT_GE(hits.size(), 3u);
    // The brute loses one HP a contact (the hero's power, no defence): it dies at the third,
    // in the same frame as the hero's third loss, and leaves the stage when its burst has
    // run out, not at its death.
    const std::size_t defeat = hits[kBruteHp - 1];
    ASSERT_LT(defeat + kBurstFrames, lines.size());
    EXPECT_EQ(lines[defeat - 1].charaCount, 2);
    EXPECT_EQ(lines[defeat].charaCount, 2);
    EXPECT_EQ(lines[defeat + kBurstFrames - 2].charaCount, 2);
    EXPECT_EQ(lines[defeat + kBurstFrames - 1].charaCount, 1);
    // The defeat counts for the stage; the play's score waits for the stage's end.
    EXPECT_EQ(lines[defeat - 1].stageScore, 0);
    EXPECT_EQ(lines[defeat].stageScore, kBruteScore);
    EXPECT_EQ(lines[defeat].score, 0);
    EXPECT_EQ(lines[defeat].hp, kHeroHp - 3 * (kBrutePower - kHeroDefence));
    const std::string& log = run_->result.errorLog;
    EXPECT_GE(Sounds(log, kSeDefeated), 1) << log;
    EXPECT_GE(Sounds(log, kSeGem), 1) << log;
}

TEST_F(HitsStage, CoinGoesSpringStaysAndTheGuardTakesTheLastHp) {
    const std::vector<StateLine>& lines = Lines();
    const std::vector<std::size_t> hits = HeroHits();
    ASSERT_GE(hits.size(), 4u);
    // The coin is taken (one item less) and its list adds to the play's score, beside the
    // brute's stage score; the spring stays and its list gives back an HP; each rang once in
    // the attempt.
    const std::size_t lost = hits[3];
    EXPECT_EQ(lines[hits[2]].items, 2);
    EXPECT_EQ(lines[lost].items, 1);
    std::size_t coin = hits[2];
    while (coin < lost && lines[coin].items == 2) ++coin;
    EXPECT_EQ(lines[coin - 1].score, 0);
    EXPECT_EQ(lines[coin].score, gen::kHitsCoinScore);
    EXPECT_EQ(lines[lost].score, gen::kHitsCoinScore);
    EXPECT_EQ(lines[lost].stageScore, kBruteScore);
    std::size_t healed = coin;
    while (healed < lost && lines[healed].hp == lines[hits[2]].hp) ++healed;
    ASSERT_LT(healed, lost) << "the spring gave nothing back";
    EXPECT_EQ(lines[healed].hp, lines[hits[2]].hp + gen::kHitsSpringHp) << lines[healed].text;
    EXPECT_EQ(lines[lost].hp, 0);
    EXPECT_EQ(lines[lost].dying, 1);
    const std::string& log = run_->result.errorLog;
    EXPECT_EQ(Sounds(log, kSeCoin), 1) << log;
    EXPECT_EQ(Sounds(log, kSeSpring), 1) << log;
    EXPECT_EQ(Sounds(log, kSeHeroLost), 1) << log;
    // The stage starts again with everything back.
    std::size_t restart = lost;
    while (restart < lines.size() && lines[restart].state != kStateStageStart) ++restart;
    ASSERT_LT(restart, lines.size()) << "the stage did not start again";
    EXPECT_EQ(lines[restart].hp, kHeroHp);
    EXPECT_EQ(lines[restart].charaCount, 2);
    EXPECT_EQ(lines[restart].items, 2);
    EXPECT_EQ(lines[restart].score, 0);
    EXPECT_EQ(lines[restart].stageScore, 0);
}

TEST_F(HitsStage, EveryRunWritesTheSameStatesAsTheGoldenFile) {
    ExpectGoldenStates("stage_run_hits.hashes", Lines(), kRunFrames);
}

}  // namespace

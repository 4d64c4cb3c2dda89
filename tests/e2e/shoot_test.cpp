// Shots and swords played end to end on the sample game's "test-shoot" stage, read through
// the per-frame state log and the error log's sound requests. The hero steps right, fires
// three shots at the turret at the right (it has three HP), is hit and knocked back by the
// turret's shot aimed at it, then walks right to the summoner, which has called up a
// short-lived character above itself, and swings its sword at both.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "player_harness.h"
#include "state_log_run.h"

namespace {

using namespace e2e;

const PlayerConfig& kConfig = kPlayerConfigs[2];
const char kShootStage[] = "data\\stg4\\test-shoot.stg4";
constexpr int kKeyLeft = 0x25;
constexpr int kKeyRight = 0x27;
constexpr int kKeyShot = 0x58;   // X, button 2
constexpr int kKeySword = 0x43;  // C, button 3
// The script: a step right (so that the hero's boxes follow it), three shots, the walk to
// the summoner and the swing.
constexpr int kStepRight = 92;
constexpr int kShots[] = {100, 140, 180};
constexpr int kWalkStart = 280;
constexpr int kWalkEnd = 447;
constexpr int kSwing = 452;
constexpr int kRunFrames = 520;

// The stage's numbers (tools/gen): the turret's HP and score, its shot's power and impact,
// the hero's HP and defence, the summoned character's life and the characters' score.
constexpr int kTurretHp = 3;
constexpr int kTurretScore = 300;
constexpr int kTurretShotPower = 2;
constexpr int kTurretShotImpact = 3;
constexpr int kHeroHp = 10;
constexpr int kHeroDefence = 1;
constexpr int kSummonLifeFrames = 15 * 6;
constexpr int kCharaScore = 100;
constexpr int kPlacedCharas = 6;
constexpr int kSeDefeated = 9;

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

std::string Key(int frame, int key, bool down) {
    char line[64];
    std::snprintf(line, sizeof line, "@%d key 0x%02X %s", frame, key, down ? "down" : "up");
    return line;
}

class ShootStage : public OneRunSuite<ShootStage> {
public:
    static constexpr int kRunLength = kRunFrames;
    static StageRun PlayRun() {
        std::vector<std::string> script = {Key(kStepRight, kKeyRight, true),
                                           Key(kStepRight + 3, kKeyRight, false)};
        for (int frame : kShots) {
            script.push_back(Key(frame, kKeyShot, true));
            script.push_back(Key(frame + 4, kKeyShot, false));
        }
        script.push_back(Key(kWalkStart, kKeyRight, true));
        script.push_back(Key(kWalkEnd, kKeyRight, false));
        script.push_back(Key(kSwing, kKeySword, true));
        script.push_back(Key(kSwing + 4, kKeySword, false));
        return PlayStage(kConfig, kShootStage, kRunFrames, script);
    }

protected:
    // The index of the first line from `from` on for which `test` holds (the size when none).
    template <class F>
    static std::size_t First(std::size_t from, F&& test) {
        const std::vector<StateLine>& lines = Lines();
        for (std::size_t i = from; i < lines.size(); ++i)
            if (test(lines[i], lines[i - 1])) return i;
        return lines.size();
    }
};

TEST_F(ShootStage, TheHerosThirdShotDefeatsTheTurret) {
    const std::vector<StateLine>& lines = Lines();
    const std::size_t defeat = First(
        1, [](const StateLine& l, const StateLine& p) { return l.stageScore > p.stageScore; });
    ASSERT_LT(defeat, lines.size()) << "no score";
    EXPECT_EQ(lines[defeat - 1].stageScore, 0);
    EXPECT_EQ(lines[defeat].stageScore, kTurretScore);
    EXPECT_EQ(lines[defeat - 1].charaCount, kPlacedCharas);
    EXPECT_EQ(lines[defeat].charaCount, kPlacedCharas - 1);
    // Not before the shot of the third press reached it: the first two only hurt it.
    static_assert(kTurretHp == 3);
    EXPECT_GT(lines[defeat].frame, kShots[2]);
    EXPECT_LT(lines[defeat].frame, kShots[2] + 60);
    EXPECT_GE(Sounds(run_->result.errorLog, kSeDefeated), 1) << run_->result.errorLog;
}

TEST_F(ShootStage, TheTurretsAimedShotHurtsAndKnocksTheHeroBack) {
    const std::vector<StateLine>& lines = Lines();
    const std::size_t hit =
        First(1, [](const StateLine& l, const StateLine& p) { return l.hp < p.hp; });
    ASSERT_LT(hit, lines.size()) << "the hero was never hit";
    EXPECT_EQ(lines[hit - 1].hp, kHeroHp);
    EXPECT_EQ(lines[hit].hp, kHeroHp - (kTurretShotPower - kHeroDefence));
    // The hero stood still: the shot, flying left, pushes it left by about 16 dots per
    // impact.
    const double before = lines[hit - 1].x;
    double farthest = before;
    for (std::size_t i = hit; i < hit + 10 && i < lines.size(); ++i)
        farthest = std::fmin(farthest, lines[i].x);
    EXPECT_GT(lines[hit].frame, kShots[2]);
    EXPECT_LT(lines[hit].frame, kWalkStart);
    EXPECT_NEAR(before - farthest, 16.0 * kTurretShotImpact, 8.0);
}

TEST_F(ShootStage, TheSummonedCharacterLivesItsTime) {
    const std::vector<StateLine>& lines = Lines();
    // After the turret's defeat the count rises by the summoned character and falls back
    // when its life has run out.
    const std::size_t defeat = First(
        1, [](const StateLine& l, const StateLine& p) { return l.charaCount < p.charaCount; });
    const std::size_t summoned = First(defeat + 1, [](const StateLine& l, const StateLine& p) {
        return l.charaCount > p.charaCount;
    });
    ASSERT_LT(summoned, lines.size()) << "nothing was summoned";
    EXPECT_EQ(lines[summoned].charaCount, lines[summoned - 1].charaCount + 1);
    const std::size_t gone = First(summoned + 1, [](const StateLine& l, const StateLine& p) {
        return l.charaCount < p.charaCount;
    });
    ASSERT_LT(gone, lines.size()) << "the summoned character stayed";
    EXPECT_NEAR(static_cast<double>(gone - summoned), kSummonLifeFrames, 1.0);
}

TEST_F(ShootStage, OneSwingDefeatsTheSummonerAndItsCharacter) {
    const std::vector<StateLine>& lines = Lines();
    const std::size_t press = static_cast<std::size_t>(kSwing) - 1;
    ASSERT_LT(press + 10, lines.size());
    const int score = lines[press - 1].stageScore;
    const int charas = lines[press - 1].charaCount;
    const std::size_t swing = First(press - 1, [](const StateLine& l, const StateLine& p) {
        return l.stageScore > p.stageScore;
    });
    ASSERT_LT(swing, press + 10) << "the swing hit nothing";
    // Both the summoner and the character it called up stood in the blade.
    EXPECT_EQ(lines[swing].stageScore, score + 2 * kCharaScore);
    EXPECT_EQ(lines[swing].charaCount, charas - 2);
    EXPECT_EQ(Sounds(run_->result.errorLog, kSeDefeated), 3) << run_->result.errorLog;
}

TEST_F(ShootStage, EveryRunWritesTheSameStatesAsTheGoldenFile) {
    ExpectGoldenStates("stage_run_shoot.hashes", Lines(), kRunFrames);
}

}  // namespace

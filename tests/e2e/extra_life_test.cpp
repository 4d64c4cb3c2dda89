// Story mode end to end, on the virtual clock with scripted keys: the hero stands on the world
// map beside the castle (its switch on, three lives), steps onto it and takes forest-2 on. He
// walks right through the walkers, jumps the spikes and the pit beside them in one long jump,
// defeats the flyer by contact (100 points for the stage) and lets the golem walk through him
// on the way to the goal. The clear adds the stage score to the play's score; the sample's
// extra life comes every 50 points, so two extra lives are given, each with the extra-life
// sound and a notice over the hero that holds the game for 30 frames. The result screen
// follows and button 1 leaves it. The frames of the notice and of the result are compared with
// tests/golden/extra_life_DD32Window_*.png, the state log with tests/golden/extra_life.states.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "gen/sample_records.h"
#include "golden_frame.h"
#include "player_harness.h"
#include "scene/game_progress.h"
#include "scene/scene_manager.h"
#include "state_log_run.h"

namespace {

using namespace e2e;

const PlayerConfig& kConfig = kPlayerConfigs[2];

constexpr const char* kRight = "0x27";
constexpr const char* kUp = "0x26";
constexpr const char* kButton1 = "0x5A";
constexpr int kStateResult = 4;
constexpr int kStartLives = 3;

// The map: one step right onto the castle, "take it on". The stage's play begins in frame
// 131; right is held from then on, and button 1 for 40 frames before the spikes: the jump
// carries the hero over them and over the pit that follows.
constexpr int kStep = 20;
constexpr int kTakeItOn = 30;
constexpr int kFirstPlay = 131;
constexpr int kJump = 266;
constexpr int kJumpFrames = 40;
// The last frame of play (pinned below); each notice then holds the game for 30 frames.
constexpr int kLastPlay = 438;
constexpr int kNoticeFrames = 30;
constexpr int kFlyerScore = 100;
constexpr int kExtraLives = kFlyerScore / gen::kSampleExtraLifeScore;
constexpr int kFirstResult = kLastPlay + 1 + kExtraLives * kNoticeFrames;
// Halfway through each notice, and the result with its values shown.
constexpr int kNoticeShot = kLastPlay + 1 + kNoticeFrames / 2;
constexpr int kResultShot = kFirstResult + 100;
constexpr int kLeaveResult = 700;
constexpr int kRunFrames = 760;

// System sounds: the stage clear and the extra life.
constexpr int kSeStageClear = 14;
constexpr int kSeExtraLife = 15;

void StartBesideTheCastle() {
    Progress.m_nMapX = 19;
    Progress.m_nMapY = 7;
    Progress.m_nMapFacing = 3;
    Progress.m_nLives = kStartLives;
    Progress.m_nContinueLives = kStartLives;
    Progress.m_vecSwitch[5] = 1;  // the castle's switch
    SceneMgr.m_nScene = SCENE_WORLDMAP;
    SceneMgr.m_nPlayMode = PLAYMODE_STORY;
}

std::vector<std::string> Script() {
    const auto key = [](int frame, const char* code, bool down) {
        return "@" + std::to_string(frame) + " key " + code + (down ? " down" : " up");
    };
    return {key(kStep, kRight, true),
            key(kStep + 1, kRight, false),
            key(kTakeItOn - 4, kUp, true),
            key(kTakeItOn - 3, kUp, false),
            key(kTakeItOn, kButton1, true),
            key(kTakeItOn + 1, kButton1, false),
            key(kFirstPlay, kRight, true),
            key(kJump, kButton1, true),
            key(kJump + kJumpFrames, kButton1, false),
            key(kLeaveResult, kButton1, true),
            key(kLeaveResult + 2, kButton1, false)};
}

// The system and project sounds requested, in order, from the error log.
std::vector<int> SoundsPlayed(const std::string& log) {
    std::vector<int> sounds;
    std::istringstream in(log);
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("PlaySE ", 0) == 0) sounds.push_back(std::atoi(line.c_str() + 7));
    return sounds;
}

struct CastleRun {
    PlayerResult result;
    std::vector<StateLine> lines;
    Frame notice1, notice2, resultScreen;
};

CastleRun PlayTheCastle() {
    CastleRun out;
    PlayerProject project;
    EXPECT_TRUE(project.Make(kConfig));
    PlayerRun run;
    run.childSetUp = StartBesideTheCastle;
    run.script = Script();
    run.quitAfter = kRunFrames;
    run.capture = {kNoticeShot, kNoticeShot + kNoticeFrames, kResultShot};
    run.stateLog = project.Path("state.log");
    out.result = project.Run(run, 120);
    EXPECT_TRUE(out.result.ended);
    EXPECT_EQ(out.result.exitCode, 0) << out.result.errorLog;
    out.lines = ParseStateLog(PlayerProject::ReadFile(run.stateLog), kRunFrames);
    out.notice1 = project.Captured(kNoticeShot);
    out.notice2 = project.Captured(kNoticeShot + kNoticeFrames);
    out.resultScreen = project.Captured(kResultShot);
    return out;
}

// The screen above the hero standing at the goal, where the notice rises.
struct Area {
    int left, top, right, bottom;
};
constexpr Area kAboveHero = {496, 336, 576, 384};

int PixelsApart(const Frame& a, const Frame& b, const Area& area) {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            n += (a.At(x, y) | 0xFF000000u) != (b.At(x, y) | 0xFF000000u);
    return n;
}

class ExtraLife : public ::testing::Test {
protected:
    static void SetUpTestSuite() { run_ = new CastleRun(PlayTheCastle()); }
    static void TearDownTestSuite() {
        delete run_;
        run_ = nullptr;
    }
    void SetUp() override { ASSERT_FALSE(run_->lines.empty()); }
    // The line of frame `frame`, null when the log has none.
    static const StateLine* At(int frame) {
        for (const StateLine& line : run_->lines)
            if (line.frame == frame) return &line;
        return nullptr;
    }
    static CastleRun* run_;
};
CastleRun* ExtraLife::run_ = nullptr;

TEST_F(ExtraLife, TheHeroClearsForest2WithTheFlyersScoreForTheStage) {
    const StateLine* first = At(kFirstPlay);
    const StateLine* last = At(kLastPlay);
    ASSERT_TRUE(first && last);
    EXPECT_EQ(first->lives, kStartLives);
    EXPECT_EQ(first->charaCount, 5) << first->text;
    for (const StateLine& line : run_->lines) {
        if (line.frame < kFirstPlay || line.frame > kLastPlay) continue;
        SCOPED_TRACE(line.text);
        EXPECT_EQ(line.state, kStatePlay);
        EXPECT_EQ(line.dying, 0);
        EXPECT_EQ(line.lives, kStartLives);
        // The defeat counts for the stage only until the clear.
        EXPECT_EQ(line.score, 0);
    }
    EXPECT_EQ(last->stageScore, kFlyerScore);
    EXPECT_EQ(last->charaCount, 4);
}

// The notices run frames of their own: the log, written by the game scene's frames, has none
// for them, and the first line of the result comes after both.
TEST_F(ExtraLife, TheClearGivesTwoLivesEachWithItsSoundAndThirtyFramesOfNotice) {
    static_assert(kExtraLives == 2);
    const StateLine* result = At(kFirstResult);
    ASSERT_NE(result, nullptr) << "the notices did not take 30 frames each";
    for (int f = kLastPlay + 1; f < kFirstResult; ++f) EXPECT_EQ(At(f), nullptr) << f;
    EXPECT_EQ(result->state, kStateResult);
    EXPECT_EQ(result->lives, kStartLives + kExtraLives);
    EXPECT_EQ(result->score, kFlyerScore);
    // The stage clear, then one extra-life sound per life, and nothing between them.
    const std::vector<int> sounds = SoundsPlayed(run_->result.errorLog);
    std::size_t clear = 0;
    while (clear < sounds.size() && sounds[clear] != kSeStageClear) ++clear;
    ASSERT_LT(clear + kExtraLives, sounds.size()) << run_->result.errorLog;
    for (int i = 1; i <= kExtraLives; ++i) EXPECT_EQ(sounds[clear + i], kSeExtraLife) << i;
    int extra = 0;
    for (int s : sounds) extra += s == kSeExtraLife;
    EXPECT_EQ(extra, kExtraLives);
}

// Both notices show the same mark at the same place over the hero; once they are gone the
// result screen stands, and button 1 leaves it.
TEST_F(ExtraLife, EachNoticeShowsOverTheHeroThenTheResultStands) {
    ASSERT_EQ(run_->notice1.width, 640);
    ASSERT_EQ(run_->notice2.width, 640);
    // Over the hero the second notice looks as the first (the sky drifts on and the lives box
    // counts up elsewhere); the result shows none there.
    EXPECT_EQ(PixelsApart(run_->notice1, run_->notice2, kAboveHero), 0);
    EXPECT_GT(PixelsApart(run_->notice1, run_->resultScreen, kAboveHero), 50);
    ExpectGoldenFrame(run_->notice1, std::string("extra_life_") + kConfig.name + "_notice.png");
    ExpectGoldenFrame(run_->resultScreen,
                      std::string("extra_life_") + kConfig.name + "_result.png");
    for (const StateLine& line : run_->lines) {
        if (line.frame < kFirstResult || line.frame >= kLeaveResult) continue;
        EXPECT_EQ(line.state, kStateResult) << line.text;
        EXPECT_EQ(line.hash, At(kFirstResult)->hash) << line.text;
    }
    const StateLine& end = run_->lines.back();
    EXPECT_GT(end.frame, kLeaveResult);
    EXPECT_NE(end.state, kStateResult) << end.text;
}

// The same script writes the same states every run, and those kept in the golden file: the
// hash of the first result line holds the last wait the notices left.
TEST_F(ExtraLife, EveryRunWritesTheSameStatesAsTheGoldenFile) {
    const CastleRun second = PlayTheCastle();
    ExpectSameLines(run_->lines, second.lines, "a second run");
    ExpectGoldenStates("extra_life.states", run_->lines, kRunFrames);
}

}  // namespace

// The sample game's "test-talk" stage: the hero walks up to a signpost, which speaks in two
// key-wait messages (the script answers them) and then holds the game for a second. The
// waits run frames of their own: the state log, written once per frame of the game scene,
// skips the frames they showed, and the hero stands still over them. A replay of the talk
// plays back to the same states however late its keys are pressed in the waits.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "golden_frame.h"
#include "player_harness.h"
#include "scene/scene.h"
#include "scene/scene_manager.h"
#include "state_log_run.h"

namespace {

using namespace e2e;

const char kTalkStage[] = "data\\stg4\\test-talk.stg4";
constexpr int kKeyRight = 0x27;
constexpr int kKeyButton1 = 0x5A;
constexpr int kKeyF1 = 0x70;
constexpr int kFirstPlay = 91;
// Right is held until the signpost speaks (in frame 123, the hero within reach).
constexpr int kWalkEnd = kFirstPlay + 40;
constexpr int kTalkFrame = 123;
// The first message takes the press of frame 150 (after its guard), the second the fresh
// press of frame 160; the game wait then shows 60 frames.
constexpr int kAnswer1 = 150;
constexpr int kAnswer2 = 160;
constexpr int kPauseFrames = 60;
constexpr int kSave = 260;
constexpr int kRunFrames = 300;

std::string Key(int frame, int vk, bool down) {
    char line[64];
    std::snprintf(line, sizeof line, "@%d key 0x%02X %s", frame, vk, down ? "down" : "up");
    return line;
}

std::vector<std::string> TalkScript() {
    return {Key(kFirstPlay, kKeyRight, true), Key(kWalkEnd, kKeyRight, false),
            Key(kAnswer1, kKeyButton1, true), Key(kAnswer1 + 2, kKeyButton1, false),
            Key(kAnswer2, kKeyButton1, true), Key(kAnswer2 + 2, kKeyButton1, false)};
}

struct TalkRun {
    PlayerResult result;
    std::vector<StateLine> lines;
    Frame window;  // the first message, fully open
};

TalkRun PlayTalk(const PlayerConfig& config, std::vector<std::string> extra = {},
                 PlayerProject* keep = nullptr, int loseDevice = 0) {
    TalkRun out;
    PlayerProject own;
    PlayerProject& project = keep ? *keep : own;
    EXPECT_TRUE(project.Make(config));
    PlayerRun run;
    run.stage = kTalkStage;
    run.script = TalkScript();
    run.script.insert(run.script.end(), extra.begin(), extra.end());
    run.quitAfter = kRunFrames;
    run.capture = {kTalkFrame + 15};
    run.stateLog = project.Path("state.log");
    run.loseDevice = loseDevice;
    out.result = project.Run(run);
    EXPECT_TRUE(out.result.ended);
    EXPECT_EQ(out.result.exitCode, 0) << out.result.errorLog;
    out.lines = ParseStateLog(PlayerProject::ReadFile(run.stateLog), kRunFrames);
    out.window = project.Captured(kTalkFrame + 15);
    return out;
}

const StateLine* LineOf(const std::vector<StateLine>& lines, int frame) {
    for (const StateLine& l : lines)
        if (l.frame == frame) return &l;
    return nullptr;
}

TEST(TalkStage, TheSignpostTalksThenTheGamePausesAndGoesOn) {
    const TalkRun run = PlayTalk(kPlayerConfigs[2]);
    ASSERT_FALSE(run.lines.empty());
    // Every frame has its line up to the talk, none while the game waits, then every frame.
    const int resumed = kAnswer2 + kPauseFrames;
    for (int f = 1; f <= kRunFrames; ++f) {
        const bool waiting = f >= kTalkFrame && f < resumed;
        EXPECT_EQ(LineOf(run.lines, f) == nullptr, waiting) << "frame " << f;
    }
    const StateLine* before = LineOf(run.lines, kTalkFrame - 1);
    const StateLine* after = LineOf(run.lines, resumed);
    ASSERT_TRUE(before && after);
    EXPECT_EQ(before->state, kStatePlay);
    EXPECT_EQ(after->state, kStatePlay);
    // Over the wait the play stood: the line after it is one frame of play on.
    EXPECT_EQ(std::atoi(after->text.c_str() + after->text.find("scene=") + 6),
              std::atoi(before->text.c_str() + before->text.find("scene=") + 6) + 1);
    // The talk is remembered: no second one.
    EXPECT_NE(LineOf(run.lines, kRunFrames), nullptr);
    ExpectGoldenFrame(run.window, "talk_DD32Window_sign.png");
    ExpectGoldenStates("talk_stage.states", run.lines, kRunFrames);
}

TEST(TalkStage, Direct3DWritesTheSameStates) {
    const TalkRun run = PlayTalk(kPlayerConfigs[0]);
    if (std::getenv("K4_UPDATE_GOLDEN") != nullptr) GTEST_SKIP();
    ExpectGoldenStates("talk_stage.states", run.lines, kRunFrames);
}

// The display lost while the first message is shown: the window's text is drawn again into
// its new surface, and the frame is the one of a run without the loss.
TEST(TalkStage, TheWindowComesBackAfterALostDisplay) {
    for (const PlayerConfig& config : {kPlayerConfigs[0], kPlayerConfigs[2]}) {
        SCOPED_TRACE(config.name);
        const TalkRun plain = PlayTalk(config);
        const TalkRun lost = PlayTalk(config, {}, nullptr, kTalkFrame + 12);
        ASSERT_EQ(lost.window.width, 640);
        EXPECT_EQ(lost.window.pixels, plain.window.pixels);
        EXPECT_EQ(lost.lines.size(), plain.lines.size());
    }
}

// The state of each frame of the scene's frame counter (its first line), without the
// presented-frame number.
std::map<int, std::string> ByCounter(const std::string& log) {
    std::map<int, std::string> out;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        const std::size_t scene = line.find(" scene=");
        if (scene == std::string::npos) continue;
        const int counter = std::atoi(line.c_str() + scene + 7);
        out.emplace(counter, line.substr(scene + 1));
    }
    return out;
}

TEST(TalkStage, AReplayOfTheTalkPlaysTheSameStatesWithItsKeysAtOtherFrames) {
    PlayerProject recording;
    const TalkRun run = PlayTalk(kPlayerConfigs[2],
                                 {Key(kSave, kKeyF1, true), Key(kSave + 1, kKeyF1, false),
                                  "dialog save user_data\\rpl4\\talk.rpl4_747"},
                                 &recording);
    ASSERT_TRUE(run.result.ended);
    const std::map<int, std::string> recorded =
        ByCounter(PlayerProject::ReadFile(recording.Path("state.log")));
    ASSERT_GT(recorded.size(), 100u);

    PlayerProject project;
    ASSERT_TRUE(project.Make(kPlayerConfigs[2]));
    std::filesystem::create_directories(project.Path("user_data/rpl4"));
    std::filesystem::copy_file(recording.Path("user_data/rpl4/talk.rpl4_747"),
                               project.Path("user_data/rpl4/play.rpl4_747"));
    PlayerRun back;
    // From the title's replay item; then button 1 every 37 frames, so that the waits end
    // at other frames than in the recording.
    back.script = {Key(60, kKeyButton1, true), Key(62, kKeyButton1, false),
                   "dialog open user_data\\rpl4\\play.rpl4_747"};
    for (int f = 300; f < 900; f += 37) {
        back.script.push_back(Key(f, kKeyButton1, true));
        back.script.push_back(Key(f + 2, kKeyButton1, false));
    }
    back.quitAfter = 900;
    back.stateLog = project.Path("state.log");
    back.childSetUp = [] { SceneMgr.m_nTitleChoice = TITLE_REPLAY; };
    const PlayerResult result = project.Run(back);
    ASSERT_TRUE(result.ended);
    ASSERT_EQ(result.exitCode, 0) << result.errorLog;
    const std::map<int, std::string> played = ByCounter(PlayerProject::ReadFile(back.stateLog));
    // The saved attempt ends at the save: each counter it holds plays back to the state the
    // recording wrote, the talk and the pause among them.
    ASSERT_FALSE(played.empty());
    const int last = played.rbegin()->first;
    EXPECT_GE(last, kTalkFrame - kFirstPlay + 30);
    int compared = 0;
    for (int counter = 1; counter <= last; ++counter) {
        const auto want = recorded.find(counter);
        const auto got = played.find(counter);
        ASSERT_NE(want, recorded.end()) << "counter " << counter;
        ASSERT_NE(got, played.end()) << "counter " << counter << " not played back";
        ASSERT_EQ(got->second, want->second) << "counter " << counter;
        ++compared;
    }
    EXPECT_EQ(compared, last);
}

}  // namespace

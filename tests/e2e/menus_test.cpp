// The menus end to end, headless on the virtual clock: golden frames of the title (picture and
// text menus), the continue list with two slots written before the run, the challenge stage
// list (also with a ranking table shown) and the options in the six display configurations; and
// one run through the menus that sets the effect volume and the fixed ranking name, plays the
// first challenge stage, leaves it through the pause menu and exits from the title.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data/option_record.h"
#include "golden_frame.h"
#include "player_harness.h"
#include "scene/game_progress.h"
#include "scene/ranking.h"
#include "state_log_run.h"

namespace {

constexpr int kKeyUp = 0x26;
constexpr int kKeyDown = 0x28;
constexpr int kKeyConfirm = 0x5A;  // Z, button 1
constexpr int kKeyCancel = 0x58;   // X, button 2
constexpr int kKeyPause = 0x20;
constexpr int kKeyRankings = 0x43;  // C, button 3

// A key held for two frames from `frame`.
void Press(std::vector<std::string>& script, int frame, int vk) {
    char line[64];
    std::snprintf(line, sizeof line, "@%d key 0x%02X down", frame, vk);
    script.push_back(line);
    std::snprintf(line, sizeof line, "@%d key 0x%02X up", frame + 2, vk);
    script.push_back(line);
}

// A story slot file with a fixed save time, as the map menu writes them.
bool WriteSlot(const PlayerProject& project, int slot, int day) {
    GameProgress p;
    p.Reset();
    p.m_nSlot = slot;
    p.m_SaveTime.wYear = 2026;
    p.m_SaveTime.wMonth = 12;
    p.m_SaveTime.wDay = static_cast<std::uint16_t>(day);
    p.m_SaveTime.wHour = 9;
    p.m_SaveTime.wMinute = 30;
    char name[64];
    std::snprintf(name, sizeof name, "user_data/story/Story%02d.dat", slot + 1);
    std::filesystem::create_directories(project.Path("user_data/story"));
    return p.SaveToFile(project.Path(name)) != 0;
}

class MenuScreens : public ::testing::TestWithParam<PlayerConfig> {
protected:
    static void ExpectGolden(const Frame& frame, const std::string& what) {
        ExpectGoldenFrame(frame, std::string("menus_") + GetParam().name + "_" + what + ".png");
    }
};

// Frames of the picture-menu run: the title, the continue list, the stage list, the options.
constexpr int kTitleFrame = 16;
constexpr int kSlotsFrame = 30;
constexpr int kStageListFrame = 80;
constexpr int kOptionsFrame = 160;

TEST_P(MenuScreens, TitleSlotsStageListAndOptions) {
    PlayerProject project;
    ASSERT_TRUE(project.Make(GetParam()));
    ASSERT_TRUE(WriteSlot(project, 0, 5));
    ASSERT_TRUE(WriteSlot(project, 2, 7));
    PlayerRun run;
    Press(run.script, 20, kKeyDown);     // continue
    Press(run.script, 24, kKeyConfirm);  // the slot list
    Press(run.script, 34, kKeyCancel);
    Press(run.script, 40, kKeyDown);     // challenge
    Press(run.script, 44, kKeyConfirm);  // the stage list
    Press(run.script, 84, kKeyCancel);   // back to the title, on challenge
    for (int f : {110, 114, 118}) Press(run.script, f, kKeyDown);
    Press(run.script, 122, kKeyConfirm);  // the options
    run.capture = {kTitleFrame, kSlotsFrame, kStageListFrame, kOptionsFrame};
    run.quitAfter = kOptionsFrame + 1;
    const PlayerResult result = project.Run(run);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 0) << result.errorLog;
    EXPECT_EQ(result.boxLog, "");
    ExpectGolden(project.Captured(kTitleFrame), "title");
    ExpectGolden(project.Captured(kSlotsFrame), "slots");
    ExpectGolden(project.Captured(kStageListFrame), "stage_list");
    ExpectGolden(project.Captured(kOptionsFrame), "options");
}

TEST_P(MenuScreens, TitleWithATextMenu) {
    PlayerProject project;
    project.textMenu = true;
    ASSERT_TRUE(project.Make(GetParam()));
    PlayerRun run;
    Press(run.script, 12, kKeyUp);  // onto the last item
    run.capture = {kTitleFrame};
    run.quitAfter = kTitleFrame + 1;
    const PlayerResult result = project.Run(run);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 0) << result.errorLog;
    ExpectGolden(project.Captured(kTitleFrame), "title_text");
}

// The stage list with the first stage's ranking file (the series key c01), written before the
// run: C (button 3) shows its score table beside the list.
TEST_P(MenuScreens, StageListWithItsRankingTable) {
    PlayerProject project;
    ASSERT_TRUE(project.Make(GetParam()));
    RankSet stored;
    stored.m_vecTable[0].Add("ann", 900);
    stored.m_vecTable[0].Add("bob", 120);
    std::filesystem::create_directories(project.Path("user_data/challenge"));
    ASSERT_EQ(stored.SaveToFile(project.Path("user_data/challenge/c01.rkg")), 1);
    PlayerRun run;
    for (int f : {20, 24}) Press(run.script, f, kKeyDown);  // challenge
    Press(run.script, 28, kKeyConfirm);
    Press(run.script, 60, kKeyRankings);
    run.capture = {kStageListFrame};
    run.quitAfter = kStageListFrame + 1;
    const PlayerResult result = project.Run(run);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 0) << result.errorLog;
    ExpectGolden(project.Captured(kStageListFrame), "stage_list_ranking");
}

INSTANTIATE_TEST_SUITE_P(Configs, MenuScreens, ::testing::ValuesIn(kAllPlayerConfigs),
                         PlayerConfigName);

// Title -> options: the effect volume from 7 to 3, the fixed ranking name typed into its
// dialog, back; title -> challenge -> stage 1, which
// plays; pause -> to the title; exit. The run ends by itself, long before its last frame.
TEST(MenuRun, OptionsChallengeStagePauseAndExit) {
    PlayerProject project;
    ASSERT_TRUE(project.Make(kPlayerConfigs[2]));  // DirectDraw 32 in a window
    PlayerRun run;
    for (int f : {20, 24, 28, 32, 36}) Press(run.script, f, kKeyDown);  // options
    Press(run.script, 40, kKeyConfirm);
    for (int f : {70, 74}) Press(run.script, f, kKeyDown);  // the effect volume
    Press(run.script, 78, kKeyConfirm);
    for (int f : {82, 86, 90, 94}) Press(run.script, f, kKeyDown);
    Press(run.script, 98, kKeyConfirm);
    for (int f : {102, 106}) Press(run.script, f, kKeyDown);  // the ranking name
    Press(run.script, 110, kKeyConfirm);
    run.script.push_back("dialog name ok text=abc");
    constexpr int k = 12;                    // the later keys, after the name
    Press(run.script, 102 + k, kKeyCancel);  // to the title
    for (int f : {130 + k, 134 + k, 138 + k}) Press(run.script, f, kKeyUp);  // challenge
    Press(run.script, 142 + k, kKeyConfirm);
    Press(run.script, 170 + k, kKeyConfirm);  // stage 1
    Press(run.script, 320 + k, kKeyPause);
    Press(run.script, 330 + k, kKeyUp);  // "to the title"
    Press(run.script, 336 + k, kKeyConfirm);
    for (int f : {370 + k, 374 + k, 378 + k, 382 + k}) Press(run.script, f, kKeyDown);  // exit
    Press(run.script, 386 + k, kKeyConfirm);
    constexpr int kLastFrame = 600;
    run.quitAfter = kLastFrame;
    run.capture = {kLastFrame - 1};
    run.stateLog = project.Path("state.log");
    const PlayerResult result = project.Run(run);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 0) << result.errorLog;
    // No box: the one dialog shown is the name's, answered by the script.
    EXPECT_EQ(result.boxLog, "dialog name \"\" -> ok text=abc = 1\n");
    // Closed from the title's exit item, not by the end of the run.
    EXPECT_EQ(project.Captured(kLastFrame - 1).width, 0);

    OptionData expected;
    expected.nSeVolume = 3;
    expected.strRankingName = "abc";
    const std::vector<std::uint8_t> bytes = expected.SaveToBytes();
    EXPECT_EQ(PlayerProject::ReadFile(project.Path("user_data/Option.dat")),
              std::string(bytes.begin(), bytes.end()));

    // The stage played: its frames are logged, play among them.
    const std::vector<e2e::StateLine> lines =
        e2e::ParseStateLog(PlayerProject::ReadFile(run.stateLog), kLastFrame);
    int playing = 0;
    for (const e2e::StateLine& line : lines) playing += line.state == e2e::kStatePlay;
    EXPECT_GT(playing, 10);
    // Its last line is the leave for the title.
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back().state, -1);
}

// The headless mix of a run from the title with the keys of `script`, as written by
// K4_AUDIO_OUT.
std::string Mix(const std::vector<std::string>& script, int frames) {
    PlayerProject project;
    EXPECT_TRUE(project.Make(kPlayerConfigs[2]));
    PlayerRun run;
    run.script = script;
    run.quitAfter = frames;
    run.audioOut = project.Path("mix.wav");
    const PlayerResult result = project.Run(run);
    EXPECT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 0) << result.errorLog;
    return PlayerProject::ReadFile(run.audioOut);
}

// The cursor sound is heard on a move: the same run without the move sounds the same up to
// it and differs after it. With the effect volume set to 0 the move changes nothing heard.
TEST(MenuSound, CursorSoundsOnAMoveAndIsSilentAtVolumeZero) {
    constexpr int kMoveFrame = 30;
    constexpr std::size_t kWavHeader = 44;
    constexpr std::size_t kFrameBytes = 44100 / 60 * 4;  // 16-bit stereo
    std::vector<std::string> moved;
    Press(moved, kMoveFrame, kKeyDown);
    const std::string still = Mix({}, 60);
    const std::string heard = Mix(moved, 60);
    ASSERT_GT(still.size(), kWavHeader + 50 * kFrameBytes);
    ASSERT_EQ(heard.size(), still.size());
    std::size_t first = kWavHeader;
    while (first < still.size() && still[first] == heard[first]) ++first;
    EXPECT_LT(first, still.size()) << "the move was not heard";
    EXPECT_GE(first, kWavHeader + (kMoveFrame - 2) * kFrameBytes);

    // Options: the effect volume from 7 down to 0, back to the title, then a move.
    std::vector<std::string> silent;
    for (int f : {20, 24, 28, 32, 36}) Press(silent, f, kKeyDown);
    Press(silent, 40, kKeyConfirm);
    for (int f : {70, 74}) Press(silent, f, kKeyDown);
    Press(silent, 78, kKeyConfirm);
    for (int f = 82; f <= 106; f += 4) Press(silent, f, kKeyDown);
    Press(silent, 110, kKeyConfirm);
    Press(silent, 114, kKeyCancel);
    const std::string before = Mix(silent, 170);
    Press(silent, 150, kKeyDown);
    const std::string after = Mix(silent, 170);
    ASSERT_GT(before.size(), kWavHeader);
    EXPECT_TRUE(before == after) << "a move at volume 0 was heard";
}

}  // namespace

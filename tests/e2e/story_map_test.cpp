// Story mode end to end, on the virtual clock with scripted keys: a new game from the title
// reaches the world map, the hero walks right onto the forest, takes the stage on and plays
// it until he falls into the pit; the continue menu's "back to the map" puts him on the cell
// before the forest; cancel opens the map menu, where the play is saved to slot 1 and
// autosave switched on, and the title's exit item ends the program. A second start continues
// from slot 01 onto the saved cell and facing; a third, from a slot that puts the hero on the
// forest's node, enters the stage by itself.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "data/record_io.h"
#include "player_harness.h"
#include "scene/game_progress.h"
#include "state_log_run.h"

namespace {

using namespace e2e;

const PlayerConfig& kConfig = kPlayerConfigs[2];

constexpr const char* kLeft = "0x25";
constexpr const char* kUp = "0x26";
constexpr const char* kRight = "0x27";
constexpr const char* kDown = "0x28";
constexpr const char* kConfirm = "0x5A";  // Z: button 1
constexpr const char* kCancel = "0x58";   // X: button 2

// The first run's timetable: the title's new game, four steps to the forest, its "yes".
constexpr int kNewGame = 20;
constexpr int kFirstStep = 50;
constexpr int kTakeItOn = 70;
// The game scene: right is held from the start of play, the spikes are jumped, the pit not.
constexpr int kPlayFrom = 175;
constexpr int kSpikeJump = 175 + 136;
// Right is let go while he falls.
constexpr int kReleaseRight = 455;
// The continue menu is up from this frame (pinned by the state log below).
constexpr int kContinueMenu = 479;
constexpr int kBackOnMap = kContinueMenu + 40;

struct Timed {
    int frame;
    const char* key;
};

std::vector<std::string> Script(const std::vector<Timed>& presses) {
    std::vector<std::string> lines;
    for (const Timed& t : presses) {
        lines.push_back("@" + std::to_string(t.frame) + " key " + t.key + " down");
        lines.push_back("@" + std::to_string(t.frame + 1) + " key " + t.key + " up");
    }
    return lines;
}

const char kSlotFile[] = "user_data/story/Story01.dat";

GameProgress ReadSlot(const PlayerProject& project, bool* ok) {
    GameProgress p;
    const std::string bytes = PlayerProject::ReadFile(project.Path(kSlotFile));
    RecordReader reader =
        RecordReader::FromBytes(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    p.Load(reader);
    *ok = !bytes.empty() && !reader.StoppedEarly();
    return p;
}

// Pixels of two frames that differ, the lives box and the hero's cell aside.
int MapDifference(const Frame& a, const Frame& b) {
    int n = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            if ((y < 40 && x >= 540) || (x >= 288 && x < 320 && y >= 224 && y < 256)) continue;
            n += (a.At(x, y) | 0xFF000000u) != (b.At(x, y) | 0xFF000000u);
        }
    return n;
}

TEST(StoryMap, NewGameToTheForestBackToTheMapAndSaved) {
    PlayerProject project;
    ASSERT_TRUE(project.Make(kConfig));
    PlayerRun run;
    const int c = kContinueMenu;
    run.script = Script(
        {{kNewGame, kConfirm},         {kFirstStep, kRight},
         {kFirstStep + 4, kRight},     {kFirstStep + 8, kRight},
         {kFirstStep + 12, kRight},                                 // onto the forest: the question
         {kFirstStep + 16, kUp},                                    // "take it on"
         {kTakeItOn, kConfirm},        {c + 5, kDown},              // "back to the map"
         {c + 10, kConfirm},           {kBackOnMap + 10, kCancel},  // the map menu
         {kBackOnMap + 40, kConfirm},                               // save: the slot list
         {kBackOnMap + 45, kConfirm},                               // slot 01: the question
         {kBackOnMap + 50, kUp},       {kBackOnMap + 55, kConfirm},  // saved
         {kBackOnMap + 60, kCancel},                                 // back to the menu
         {kBackOnMap + 65, kDown},                                   // autosave
         {kBackOnMap + 70, kConfirm},  {kBackOnMap + 75, kUp},       // on
         {kBackOnMap + 80, kConfirm},  {kBackOnMap + 85, kDown},
         {kBackOnMap + 90, kDown},  // to the title
         {kBackOnMap + 95, kConfirm},  {kBackOnMap + 100, kUp},
         {kBackOnMap + 105, kConfirm}, {kBackOnMap + 140, kUp},  // the exit item, last in the menu
         {kBackOnMap + 145, kConfirm}});
    // Right held from the start of play; the spikes jumped.
    run.script.push_back("@" + std::to_string(kPlayFrom) + " key 0x27 down");
    run.script.push_back("@" + std::to_string(kSpikeJump) + " key 0x5A down");
    run.script.push_back("@" + std::to_string(kSpikeJump + 30) + " key 0x5A up");
    run.script.push_back("@" + std::to_string(kReleaseRight) + " key 0x27 up");
    run.quitAfter = kBackOnMap + 400;  // a bound only: the exit item ends the run
    run.capture = {kBackOnMap};
    run.stateLog = project.Path("state.log");
    const PlayerResult result = project.Run(run, 120);
    ASSERT_TRUE(result.ended);
    EXPECT_EQ(result.exitCode, 0) << result.errorLog;

    // The forest was played, and the hero went down in it into the continue menu.
    const std::vector<StateLine> lines =
        ParseStateLog(PlayerProject::ReadFile(run.stateLog), kBackOnMap + 400);
    ASSERT_FALSE(lines.empty());
    int firstPlay = 0, continueAt = 0;
    for (const StateLine& l : lines) {
        if (!firstPlay && l.state == kStatePlay) firstPlay = l.frame;
        if (!continueAt && l.state == 5) continueAt = l.frame;
    }
    EXPECT_GT(firstPlay, kTakeItOn);
    EXPECT_EQ(continueAt, kContinueMenu) << "the continue menu moved: pin kContinueMenu";
    // Saved from the map menu with the hero before the forest, facing right; the file holds
    // autosave off (it was switched on after that save, which wrote the file again first).
    bool ok = false;
    const GameProgress saved = ReadSlot(project, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(saved.m_nMapX, 5);
    EXPECT_EQ(saved.m_nMapY, 7);
    EXPECT_EQ(saved.m_nMapFacing, 3);
    EXPECT_EQ(saved.m_nSlot, 0);

    // A second start continues from slot 01 onto the same cell and facing.
    PlayerRun again;
    again.script = Script({{kNewGame, kDown}, {kNewGame + 5, kConfirm}, {kNewGame + 10, kConfirm}});
    again.quitAfter = 80;
    again.capture = {75};
    const PlayerResult second = project.Run(again, 120);
    ASSERT_TRUE(second.ended);
    EXPECT_EQ(second.exitCode, 0) << second.errorLog;
    const Frame back = project.Captured(kBackOnMap);
    const Frame continued = project.Captured(75);
    ASSERT_EQ(back.width, 640);
    ASSERT_EQ(continued.width, 640);
    EXPECT_NE(back.At(400, 150), back.At(40, 40));  // the island's grass, the fill beside it
    EXPECT_EQ(MapDifference(back, continued), 0);

    // A third start from a slot that puts the hero on the forest's node: the stage starts by
    // itself after the map's fade-in.
    GameProgress onTheForest;
    onTheForest.m_nMapX = 6;
    onTheForest.m_nMapY = 7;
    onTheForest.m_nLives = 3;
    onTheForest.m_nSlot = 0;
    const std::vector<std::uint8_t> bytes = onTheForest.SaveToBytes();
    {
        std::ofstream out(project.Path(kSlotFile), std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    std::filesystem::remove(project.Path("state.log"));
    PlayerRun third;
    third.script = Script({{kNewGame, kDown}, {kNewGame + 5, kConfirm}, {kNewGame + 10, kConfirm}});
    third.quitAfter = 200;
    third.stateLog = project.Path("state.log");
    const PlayerResult entered = project.Run(third, 120);
    ASSERT_TRUE(entered.ended);
    EXPECT_EQ(entered.exitCode, 0) << entered.errorLog;
    const std::vector<StateLine> played =
        ParseStateLog(PlayerProject::ReadFile(third.stateLog), 200);
    ASSERT_FALSE(played.empty()) << "no stage was entered";
    EXPECT_EQ(played.back().state, kStatePlay);
}

}  // namespace

// The world map as it is seen, in each of the six display configurations: the sample island at
// the start (its tiles, the icons of a cleared and an uncleared stage, the sea picture shifted
// for a view that starts left of and above the map, the lives box), the hero's four facings and
// the second frame of his walk, the question on stepping onto the forest, and the cave's title
// and best score with unlimited lives, and its ranking panel. The runs start in the world map scene
// with a progress of their own; the frames are compared with
// tests/golden/map_<configuration>_<what>.png.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "golden_frame.h"
#include "player_harness.h"
#include "scene/game_progress.h"
#include "scene/ranking.h"
#include "scene/scene_manager.h"

namespace {

// The fade-in ends in frame 10; the hero's walk shows its second frame from the 41st draw.
constexpr int kStartFrame = 20;
constexpr int kLeftFrame = 30;
constexpr int kUpFrame = 36;
constexpr int kRightSecondFrame = 60;
constexpr int kConfirmFrame = 85;
constexpr int kCaveFrame = 20;

// The hero at the start cell of the island, with three lives; the cave is cleared.
void StartOnTheMap() {
    Progress.m_nMapX = 2;
    Progress.m_nMapY = 7;
    Progress.m_nLives = 3;
    Progress.m_vecSwitch[2] = 1;
    SceneMgr.m_nScene = SCENE_WORLDMAP;
}

// The hero on the cave's node, which waits for the confirm button, with unlimited lives and a
// best score of the cave.
void StartOnTheCave() {
    Progress.m_nMapX = 12;
    Progress.m_nMapY = 7;
    Progress.m_nLives = kUnlimitedLives;
    Progress.RecordStageScore("data\\stg4\\cave.", 1250);
    SceneMgr.m_nScene = SCENE_WORLDMAP;
}

// As StartOnTheCave, with the cave's story ranking file (the child runs in the project's
// folder) and rankings kept, as a story begun at the title keeps them.
void StartOnTheCaveWithItsRanking() {
    StartOnTheCave();
    SceneMgr.m_nPlayMode = PLAYMODE_STORY;
    SceneMgr.m_bRanking = 1;
    RankSet stored;
    stored.m_vecTable[0].Add("ann", 1250);
    stored.m_vecTable[0].Add("bob", 300);
    std::filesystem::create_directories("user_data/story");
    if (stored.SaveToFile("user_data/story/cave.rkg") != 1) _exit(91);
}

std::vector<std::string> Key(int frame, const char* code) {
    return {"@" + std::to_string(frame) + " key " + code + " down",
            "@" + std::to_string(frame + 1) + " key " + code + " up"};
}

class MapImages : public ::testing::TestWithParam<PlayerConfig> {
protected:
    std::vector<Frame> Play(void (*beforeStart)(), const std::vector<int>& frames,
                            const std::vector<std::string>& script = {}) {
        PlayerProject project;
        EXPECT_TRUE(project.Make(GetParam()));
        PlayerRun run;
        run.childSetUp = beforeStart;
        run.quitAfter = frames.back() + 1;
        run.capture = frames;
        run.script = script;
        const PlayerResult result = project.Run(run);
        EXPECT_TRUE(result.ended);
        EXPECT_EQ(result.exitCode, 0) << result.errorLog;
        std::vector<Frame> out;
        for (int n : frames) out.push_back(project.Captured(n));
        return out;
    }
    static void ExpectGolden(const Frame& frame, const std::string& what) {
        ExpectGoldenFrame(frame, std::string("map_") + GetParam().name + "_" + what + ".png");
    }
    // Pixels that differ inside the hero's cell, at (288, 224).
    static int HeroDifference(const Frame& a, const Frame& b) {
        int n = 0;
        for (int y = 224; y < 256; ++y)
            for (int x = 288; x < 320; ++x)
                n += (a.At(x, y) | 0xFF000000u) != (b.At(x, y) | 0xFF000000u);
        return n;
    }
};

TEST_P(MapImages, WalkingFromTheStartToTheForestsQuestion) {
    std::vector<std::string> script;
    const auto add = [&script](int frame, const char* code) {
        for (std::string& line : Key(frame, code)) script.push_back(line);
    };
    add(25, "0x25");                                // left onto the sand
    add(32, "0x26");                                // up
    add(38, "0x27");                                // right
    add(62, "0x28");                                // down onto the road again
    for (int f : {66, 70, 74, 78}) add(f, "0x27");  // right to the forest
    const std::vector<Frame> frames =
        Play(StartOnTheMap, {kStartFrame, kLeftFrame, kUpFrame, kRightSecondFrame, kConfirmFrame},
             script);
    ASSERT_EQ(frames.size(), 5u);
    ExpectGolden(frames[0], "start");
    ExpectGolden(frames[1], "left");
    ExpectGolden(frames[2], "up");
    ExpectGolden(frames[3], "right_second");
    ExpectGolden(frames[4], "confirm");
    // Each facing is a picture of its own.
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j)
            EXPECT_GT(HeroDifference(frames[i], frames[j]), 20) << i << " " << j;
    // Left of the map the fill colour; over the map's sea the picture, which starts where the
    // map does and moves with the view.
    EXPECT_EQ(frames[0].At(100, 10), frames[1].At(100, 10));
    EXPECT_NE(frames[0].At(100, 10), frames[0].At(230, 10));
    for (int x = 226; x < 420; x += 7)
        EXPECT_EQ(frames[0].At(x, 10), frames[1].At(x + 32, 10)) << x;
}

TEST_P(MapImages, TheCavesTitleAndBestScoreWithUnlimitedLives) {
    const std::vector<Frame> frames = Play(StartOnTheCave, {kCaveFrame});
    ASSERT_EQ(frames.size(), 1u);
    ExpectGolden(frames[0], "cave");
}

// C (button 3) opens the ranking panel of the stage under the hero.
TEST_P(MapImages, TheCavesRankingPanel) {
    const std::vector<Frame> frames =
        Play(StartOnTheCaveWithItsRanking, {kCaveFrame + 10}, Key(kCaveFrame, "0x43"));
    ASSERT_EQ(frames.size(), 1u);
    ExpectGolden(frames[0], "cave_ranking");
}

INSTANTIATE_TEST_SUITE_P(Configs, MapImages, ::testing::ValuesIn(kAllPlayerConfigs),
                         PlayerConfigName);

}  // namespace

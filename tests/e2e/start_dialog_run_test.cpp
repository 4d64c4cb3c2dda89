// The start dialog in a whole run: System.ini asks for it (Direct3D=2), the script answers
// DirectDraw and do-not-ask, and the play that follows is the DirectDraw one of the golden
// states; the next start asks nothing and plays the same.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "player_harness.h"
#include "state_log_run.h"

namespace {

using namespace e2e;

const PlayerConfig kAskConfig{"Ask", 2, 1, 32};
// The golden states of the scripted play are the same until its first key, in frame 91.
constexpr int kFrames = 90;

TEST(StartDialogRun, ChoiceOfDirectDrawIsPlayedAndRemembered) {
    PlayerProject project;
    ASSERT_TRUE(project.Make(kAskConfig));
    PlayerRun run;
    run.stage = "data\\stg4\\test-play.stg4";
    run.quitAfter = kFrames;
    run.stateLog = project.Path("state.log");
    run.script = {"dialog start start mode=ddraw noask=1"};

    const PlayerResult first = project.Run(run);
    ASSERT_TRUE(first.ended);
    EXPECT_EQ(first.exitCode, 0);
    EXPECT_NE(first.boxLog.find("dialog start \""), std::string::npos) << first.boxLog;
    EXPECT_NE(first.boxLog.find("-> start mode=ddraw noask=1 = 1"), std::string::npos)
        << first.boxLog;
    // The DirectDraw back end opened: no Direct3D device was made.
    EXPECT_EQ(first.reportLog.find("Device HAL"), std::string::npos) << first.reportLog;
    EXPECT_EQ(PlayerProject::ReadFile(project.Path("user_data/Boot.dat")),
              std::string("\xEB\x02\0\0\x02\0\0\0\0\0\0\0\x01\0\0\0\0\0\0\0", 20));
    std::vector<StateLine> lines = ParseStateLog(PlayerProject::ReadFile(run.stateLog), kFrames);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kFrames));
    const std::string golden =
        PlayerProject::ReadFile(std::string(K4_GOLDEN_DIR) + "/play_walk_jump.hashes");
    ExpectSameLines(ParseStateLog(golden, kFrames), lines, "the golden file");

    // The second start: no dialog, the stored choice.
    std::remove(run.stateLog.c_str());
    run.script = {};
    const PlayerResult second = project.Run(run);
    ASSERT_TRUE(second.ended);
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_EQ(second.boxLog.find("dialog"), std::string::npos) << second.boxLog;
    ExpectSameLines(lines, ParseStateLog(PlayerProject::ReadFile(run.stateLog), kFrames),
                    "the first run");
}

TEST(StartDialogRun, CancelEndsBeforeTheDisplayOpens) {
    PlayerProject project;
    ASSERT_TRUE(project.Make(kAskConfig));
    PlayerRun run;
    run.script = {"dialog start cancel"};
    run.quitAfter = 5;
    const PlayerResult result = project.Run(run);
    ASSERT_TRUE(result.ended);
    // The user's own choice to stop is no failure.
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.errorLog.find("DDInit"), std::string::npos) << result.errorLog;
    EXPECT_EQ(PlayerProject::ReadFile(project.Path("user_data/Boot.dat")), "");
}

}  // namespace

// The time limit's warning sound: system sound 13 at each second inside the warning range,
// only where the caller allows it (the play frame, whose counter moves).
#include <gtest/gtest.h>

#include <vector>

#include "base/window_requests.h"
#include "data/stage_record.h"
#include "gfx/frame_timing.h"
#include "scene/scene_fixture.h"
#include "stage/game_scene.h"

namespace {

class TimeWarningTest : public ::testing::Test, public SceneWorld {
protected:
    void SetUp() override { SetUpWorld(); }
    void TearDown() override {
        EdStageWork = cEdStage{};
        TearDownWorld();
    }
};

TEST_F(TimeWarningTest, SoundAtEachSecondInsideTheWarningRangeWithTheFlag) {
    const struct {
        const char* name;
        int time, sound, timeLimit;
        int sounds;  // in 120 frames
    } cases[] = {
        {"at the warning threshold", 10, 1, 1, 2}, {"inside the range", 1, 1, 1, 2},
        {"above the range", 11, 1, 1, 0},          {"time up", 0, 1, 1, 0},
        {"without the sound flag", 5, 0, 1, 0},    {"without a time limit", 5, 1, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        cGameScene scene;
        EdStageWork.bTimeLimit = c.timeLimit;
        EdStageWork.nTimeWarning = 10;
        scene.m_nTime = c.time;
        FrameSkipCounter(0, 0);
        SentMessages().clear();
        for (int frame = 0; frame < 120; ++frame) {
            // The play frame moves the second's counter (a delta of 0 keeps the time), then
            // draws.
            FrameSkipCounter(1, 60);
            scene.DrawTimeLimit(&BackBuffer, c.sound);
        }
        std::vector<int> warnings;
        for (auto [w, l] : Requests(WM_USER_PLAYSE))
            if (w == 13) warnings.push_back(w);
        EXPECT_EQ(static_cast<int>(warnings.size()), c.sounds);
    }
}

}  // namespace

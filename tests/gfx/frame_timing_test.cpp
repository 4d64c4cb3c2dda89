// The frame timers on the virtual clock: the DirectDraw limiter's 16-ms step, frames per
// second over a window of a second, the every-n-th counter, the Direct3D pacing schedule
// restarting every fps frames, and the clock's wrap.
#include "gfx/frame_timing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "gfx/display.h"
#include "platform/clock.h"

namespace {

class FrameTiming : public ::testing::Test {
protected:
    void SetUp() override { Start(0x00010000); }
    void TearDown() override {
        lpDTCon = nullptr;
        plat::UseRealClock();
    }
    void Start(std::uint32_t ms) {
        plat::UseVirtualClock(ms);
        ResetFrameTiming();
    }
    static std::uint32_t Now() { return plat::timeGetTime(); }
    static void Step(std::uint32_t ms) { plat::StepVirtualClock(ms); }
    // Steps the clock 1 ms at a time until the limiter lets a frame through (bounded).
    static std::uint32_t WaitLimiter(int fps) {
        for (int i = 0; i < 2000 && !CheckFrameTime(fps); ++i) Step(1);
        return Now();
    }
    static std::uint32_t WaitPacing(int fps) {
        for (int i = 0; i < 2000 && !PaceFrame(fps, 0, 0); ++i) Step(1);
        return Now();
    }
};

TEST_F(FrameTiming, FrameStartAndElapsed) {
    EXPECT_EQ(MarkFrameStart(), Now());
    Step(7);
    EXPECT_EQ(GetFrameElapsed(false), 0u);
    EXPECT_EQ(GetFrameElapsed(true), 7u);
    Step(5);
    EXPECT_EQ(GetFrameElapsed(false), 7u);
}

// At 60 a frame passes every 16 ms at the earliest, counted from the moment the last one was
// let through; 0 means no limit.
TEST_F(FrameTiming, LimiterStepsSixteenMilliseconds) {
    EXPECT_TRUE(CheckFrameTime(60));  // the first call passes
    const std::uint32_t first = Now();
    Step(15);
    EXPECT_FALSE(CheckFrameTime(60));
    Step(1);
    EXPECT_TRUE(CheckFrameTime(60));
    EXPECT_EQ(Now() - first, 16u);
    // Late by 9 ms: the next one is due 16 ms after this one, not after the missed deadline.
    Step(25);
    EXPECT_TRUE(CheckFrameTime(60));
    const std::uint32_t late = Now();
    EXPECT_EQ(WaitLimiter(60) - late, 16u);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(CheckFrameTime(0));
    // A new rate takes effect from the next frame let through.
    EXPECT_EQ(WaitLimiter(30) - late, 32u);
    EXPECT_EQ(WaitLimiter(30) - late, 32u + 33u);
}

TEST_F(FrameTiming, LimiterAcrossTheClockWrap) {
    Start(0xFFFFFFF0u);
    EXPECT_TRUE(CheckFrameTime(60));  // due at 0x00000000
    Step(8);
    EXPECT_FALSE(CheckFrameTime(60));  // 0xFFFFFFF8 is before the deadline across the wrap
    EXPECT_EQ(WaitLimiter(60), 0u);
}

// 61 counted frames inside one second: the first call after the window has lasted 1000 ms
// publishes 61 and starts a new window without counting itself.
TEST_F(FrameTiming, FramesPerSecond) {
    EXPECT_EQ(CountFps(false), 0);  // the window starts with the first call
    for (int i = 0; i < 61; ++i) {
        EXPECT_EQ(CountFps(true), 0);
        Step(16);
    }
    Step(1000 - 61 * 16);
    EXPECT_EQ(CountFps(true), 61);
    EXPECT_EQ(CountFps(false), 61);
    Step(999);
    EXPECT_EQ(CountFps(true), 61);  // one counted in the new window
    Step(1);
    EXPECT_EQ(CountFps(true), 1);
}

TEST_F(FrameTiming, FramesPerSecondAcrossTheWrap) {
    Start(0xFFFFFE00u);
    CountFps(false);
    CountFps(true);
    Step(1000);
    EXPECT_EQ(CountFps(true), 1);
}

TEST_F(FrameTiming, SkipCounter) {
    const int expected[] = {0, 0, 1, 0, 0, 1, 0};
    for (int e : expected) EXPECT_EQ(FrameSkipCounter(1, 3), e);
    EXPECT_EQ(FrameSkipCounter(0, 3), 0);
    EXPECT_EQ(FrameSkipCounter(2, 3), 1);  // right after a reset
    FrameSkipCounter(1, 3);
    EXPECT_EQ(FrameSkipCounter(2, 3), 0);
    EXPECT_EQ(FrameSkipCounter(7, 2), 1);  // any other mode counts
}

// At 60, frame k of a second passes no earlier than base + 16.67 k ms; at the 60th frame the
// schedule restarts from that moment.
TEST_F(FrameTiming, PacingScheduleRestartsEverySecond) {
    DTCONTEXT context;
    EXPECT_TRUE(PaceFrame(60, 0, 0));  // no Direct3D context: always ready
    Step(1);
    lpDTCon = &context;
    const std::uint32_t base = Now();
    std::vector<std::uint32_t> passed;
    for (int k = 0; k < 62; ++k) passed.push_back(WaitPacing(60) - base);
    for (int k = 0; k < 60; ++k) {
        // The first whole millisecond at or after (1000.0 / 60) * k, in double precision:
        // frame 15 is due at 250.00000000000003 and passes at 251.
        EXPECT_EQ(passed[static_cast<std::size_t>(k)],
                  static_cast<std::uint32_t>(std::ceil((1000.0 / 60) * k)))
            << k;
    }
    EXPECT_EQ(passed[15], 251u);
    EXPECT_EQ(passed[16], 267u);
    // The 60th frame restarted the schedule at 984 ms: the next is due at once, the one
    // after it 16.67 ms later.
    EXPECT_EQ(passed[60], 984u);
    EXPECT_EQ(passed[61], 984u + 17u);
    EXPECT_TRUE(PaceFrame(0, 0, 0));
}

TEST_F(FrameTiming, PacingAcrossTheWrap) {
    Start(0xFFFFFFF8u);
    DTCONTEXT context;
    lpDTCon = &context;
    EXPECT_TRUE(PaceFrame(60, 0, 0));
    EXPECT_FALSE(PaceFrame(60, 0, 0));
    EXPECT_EQ(WaitPacing(60), 0xFFFFFFF8u + 17u);
}

}  // namespace

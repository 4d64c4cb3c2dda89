// The view's scroll axes: the clamp with its limit flag, the limits from stage blocks, the
// geometry of the set-up, and the automatic scroll per tick for every game speed.
#include "stage/scroll_axis.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "data/stage_record.h"
#include "stage/block_map.h"

namespace {

GameSpeedConstants SpeedOfLevel(std::int32_t level) {
    GameSpeedConstants speed;
    std::int32_t stored = 0;
    SetGameSpeed(level, 0.4, stored, speed);
    return speed;
}

ScrollAxis AxisWithLimits(std::int32_t view, std::int32_t low, std::int32_t high) {
    ScrollAxis axis;
    axis.m_nView = view;
    axis.m_nLow = low;
    axis.m_nHigh = high;
    return axis;
}

struct ClampCase {
    const char* name;
    std::int32_t low;
    std::int32_t high;
    double pos;
    double expectedPos;
    std::int32_t expectedAtLimit;
};

TEST(ScrollAxisClamp, KeepsTheViewWithinTheLimits) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const ClampCase cases[] = {
        {"inside", 320, 1600, 500.25, 500.25, 0},
        {"at the low limit, far edge inside", 320, 1600, 320, 320, 0},
        {"below the low limit", 320, 1600, 100.5, 320, 1},
        {"far edge exactly on the high limit", 320, 1600, 960, 960, 1},
        {"beyond the high limit", 320, 1600, 1200.75, 960, 1},
        // A stage narrower than the view: the high limit pulls it below the low one, and the
        // low one wins.
        {"narrow stage, pushed right", 320, 800, 500, 320, 1},
        {"narrow stage, pushed left", 320, 800, 0, 320, 1},
        {"narrow stage, at the low limit", 320, 800, 320, 320, 1},
        // A position that went bad still ends on a limit.
        {"not a number", 320, 1600, nan, 960, 1},
    };
    for (const ClampCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScrollAxis axis = AxisWithLimits(640, c.low, c.high);
        axis.m_dPos = c.pos;
        axis.m_bAtLimit = 7;
        axis.Clamp();
        EXPECT_EQ(axis.m_dPos, c.expectedPos);
        EXPECT_EQ(axis.m_bAtLimit, c.expectedAtLimit);
    }
}

TEST(ScrollAxisClamp, ExtremeLimitsDoNotOverflow) {
    ScrollAxis axis = AxisWithLimits(480, INT_MIN, INT_MIN);
    axis.m_dPos = 0;
    axis.Clamp();
    EXPECT_EQ(axis.m_dPos, static_cast<double>(INT_MIN));
    EXPECT_EQ(axis.m_bAtLimit, 1);
}

struct GeometryCase {
    std::int32_t axis;
    std::int32_t stageBlocks;
    std::int32_t extra;
    std::int32_t view, blocks, shift, pitch, areaHigh, extent;
};

TEST(ScrollAxisGeometry, FollowsTheStageSize) {
    const GeometryCase cases[] = {
        // Horizontal: the row shift is the bit length of width + 19.
        {kAxisHorizontal, 20, 0, 640, 40, 6, 64, 960, 640},
        {kAxisHorizontal, 0, 0, 640, 20, 5, 32, 320, 640},
        {kAxisHorizontal, 12, 32, 640, 32, 5, 32, 704, 672},
        {kAxisHorizontal, 13, 0, 640, 33, 6, 64, 736, 640},
        {kAxisHorizontal, 45, 0, 640, 65, 7, 128, 1760, 640},
        // Vertical: no shift, the pitch is the block count.
        {kAxisVertical, 15, 64, 480, 35, 0, 35, 800, 704},
        {kAxisVertical, 0, 0, 480, 20, 0, 20, 320, 640},
        // A negative size leaves the stage's far edge at 0.
        {kAxisVertical, -30, 0, 480, -10, 0, -10, 0, 640},
    };
    for (const GeometryCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "axis " << c.axis << " blocks " << c.stageBlocks);
        ScrollAxis axis;
        axis.SetGeometry(c.axis, c.stageBlocks, c.extra);
        EXPECT_EQ(axis.m_nAxis, c.axis);
        EXPECT_EQ(axis.m_nView, c.view);
        EXPECT_EQ(axis.m_nMargin, 10);
        EXPECT_EQ(axis.m_nBlocks, c.blocks);
        EXPECT_EQ(axis.m_nShift, c.shift);
        EXPECT_EQ(axis.m_nPitch, c.pitch);
        EXPECT_EQ(axis.m_nAreaLow, 320);
        EXPECT_EQ(axis.m_nAreaHigh, c.areaHigh);
        EXPECT_EQ(axis.m_nExtent, c.extent);
    }
}

TEST(ScrollAxisGeometry, HugeSizesSaturate) {
    ScrollAxis axis;
    axis.SetGeometry(kAxisHorizontal, INT_MAX, INT_MAX);
    EXPECT_EQ(axis.m_nBlocks, INT_MAX);
    EXPECT_EQ(axis.m_nExtent, INT_MAX);
    EXPECT_EQ(axis.m_nAreaHigh, INT_MAX);
    // The row shift stays one a shift can use; the block map refuses the stage anyway.
    EXPECT_EQ(axis.m_nShift, 30);
    EXPECT_EQ(axis.m_nPitch, 1 << 30);
    EXPECT_FALSE(cBlockMap().Build(INT_MAX, 15));
    axis.SetLimits(INT_MAX, INT_MAX, 1, 1);
    EXPECT_EQ(axis.m_nLow, INT_MAX);
    EXPECT_EQ(axis.m_nHigh, INT_MAX);
    axis.SetLimits(INT_MIN, INT_MIN, 1, 1);
    EXPECT_EQ(axis.m_nLow, INT_MIN);
    EXPECT_EQ(axis.m_nHigh, INT_MIN);
}

// Where the block map accepts a stage, the axis and the map agree on the row shift.
TEST(ScrollAxisGeometry, ShiftMatchesTheBlockMap) {
    for (std::int32_t width : {0, 12, 13, 45, 300, 3000}) {
        SCOPED_TRACE(width);
        cBlockMap map;
        ASSERT_TRUE(map.Build(width, 5));
        ScrollAxis axis;
        axis.SetGeometry(kAxisHorizontal, width, 0);
        EXPECT_EQ(axis.m_nShift, map.Shift());
        EXPECT_EQ(axis.m_nPitch, map.Pitch());
    }
}

struct LimitsCase {
    const char* name;
    std::int32_t lowBlock, highBlock, lowFlag, highFlag;
    std::int32_t expectedLow, expectedHigh;
};

TEST(ScrollAxisLimits, FromStageBlocks) {
    // A stage 50 blocks wide: the stage proper runs from dot 320 to dot 1920.
    const LimitsCase cases[] = {
        {"no flags: the stage's edges", 5, 20, 0, 0, 320, 1920},
        {"low flag", 5, 20, 1, 0, 480, 1920},
        {"high flag: the high block stays in view", 5, 20, 0, 1, 320, 992},
        {"both flags", 5, 20, 1, 1, 480, 992},
        {"high block left of the low limit", 30, 3, 1, 1, 1280, 1280},
        {"high block left of the stage", 0, -12, 0, 1, 320, 320},
    };
    for (const LimitsCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScrollAxis axis;
        axis.SetGeometry(kAxisHorizontal, 50, 0);
        axis.SetLimits(c.lowBlock, c.highBlock, c.lowFlag, c.highFlag);
        EXPECT_EQ(axis.m_nLow, c.expectedLow);
        EXPECT_EQ(axis.m_nHigh, c.expectedHigh);
    }
}

TEST(ScrollAxisLimits, CrossedLimitsHoldTheViewAtTheLowOne) {
    ScrollAxis axis;
    axis.SetGeometry(kAxisHorizontal, 50, 0);
    axis.SetLimits(30, 3, 1, 1);
    for (double pos : {0.0, 1280.0, 5000.0}) {
        axis.m_dPos = pos;
        axis.Clamp();
        EXPECT_EQ(axis.m_dPos, 1280);
        EXPECT_EQ(axis.m_bAtLimit, 1);
    }
}

// Speed 10 is one dot per frame, whatever b: b ticks of Advance move the view one dot.
TEST(ScrollAxisAutoSpeed, TenIsOneDotPerFrameAtEveryGameSpeed) {
    for (std::int32_t level = 1; level <= 25; ++level) {
        SCOPED_TRACE(testing::Message() << "level " << level);
        const GameSpeedConstants speed = SpeedOfLevel(level);
        ScrollAxis axis;
        axis.SetGeometry(kAxisHorizontal, 500, 0);
        axis.SetLimits(0, 0, 0, 0);
        axis.m_dPos = 1000;
        EXPECT_EQ(axis.SetAutoSpeed(1, 10, speed), 0);
        EXPECT_EQ(axis.m_bAuto, 1);
        for (int frame = 0; frame < 60; ++frame) {
            for (int tick = 0; tick < speed.nSubSteps; ++tick) axis.Advance();
        }
        EXPECT_NEAR(axis.m_dPos, 1060, 1e-9);
        EXPECT_EQ(axis.m_bAtLimit, 0);
    }
}

TEST(ScrollAxisAutoSpeed, TenthsThenTicksInThatOrder) {
    struct Case {
        std::int32_t level, speed;
        double expected;
    };
    // speed × 0.1 / b; speed / (10 × b) would give the neighbouring doubles -47.9 and 0.1.
    const Case cases[] = {
        {1, -479, -47.900000000000006},
        {3, 3, 0.10000000000000002},
        {10, -10, -0.1},
        {15, 480, 9.6},  // level 15 is b = 5
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "level " << c.level << " speed " << c.speed);
        ScrollAxis axis;
        axis.SetAutoSpeed(1, c.speed, SpeedOfLevel(c.level));
        EXPECT_EQ(axis.m_dAutoSpeed, c.expected);
    }
}

TEST(ScrollAxisAutoSpeed, WithoutTicksNothingMoves) {
    for (std::int32_t level : {0, -3}) {
        ScrollAxis axis;
        axis.SetAutoSpeed(1, 100, SpeedOfLevel(level));
        EXPECT_EQ(axis.m_dAutoSpeed, 0.0);
        EXPECT_EQ(axis.m_bAuto, 1);
    }
}

TEST(ScrollAxisAutoSpeed, OffStopsTheScrollWhereItIs) {
    ScrollAxis axis;
    axis.SetGeometry(kAxisVertical, 100, 0);
    axis.SetLimits(0, 0, 0, 0);
    axis.SetAutoSpeed(1, -25, SpeedOfLevel(10));
    axis.m_dPos = 900;
    axis.Advance();
    EXPECT_DOUBLE_EQ(axis.m_dPos, 899.75);
    EXPECT_EQ(axis.SetAutoSpeed(0, 480, SpeedOfLevel(10)), 0);
    EXPECT_EQ(axis.m_dAutoSpeed, 0.0);
    EXPECT_EQ(axis.m_bAuto, 0);
    axis.Advance();
    EXPECT_DOUBLE_EQ(axis.m_dPos, 899.75);
}

TEST(ScrollAxisAutoSpeed, TakesTheRunningStagesSpeed) {
    const std::int32_t savedLevel = EdStageWork.nLevel;
    EdStageWork.SetGameSpeed(4);
    ScrollAxis axis;
    axis.SetAutoSpeed(1, 30);
    EXPECT_EQ(axis.m_dAutoSpeed, 30 * 0.1 / 4);
    EdStageWork.SetGameSpeed(savedLevel);
}

TEST(ScrollAxisAdvance, StopsAtTheFarLimitAndReportsIt) {
    ScrollAxis axis;
    axis.SetGeometry(kAxisHorizontal, 30, 0);  // far edge of the stage at dot 1280
    axis.SetLimits(0, 0, 0, 0);
    axis.SetAutoSpeed(1, 60, SpeedOfLevel(2));  // 3 dots per tick
    axis.m_dPos = 634;
    axis.Advance();
    EXPECT_EQ(axis.m_dPos, 637);
    EXPECT_EQ(axis.m_bAtLimit, 0);
    axis.Advance();
    EXPECT_EQ(axis.m_dPos, 640);
    EXPECT_EQ(axis.m_bAtLimit, 1);
    axis.Advance();
    EXPECT_EQ(axis.m_dPos, 640);
    EXPECT_EQ(axis.m_bAtLimit, 1);

    // Backwards to the low limit.
    axis.SetAutoSpeed(1, -4000, SpeedOfLevel(1));
    axis.Advance();
    EXPECT_EQ(axis.m_dPos, 320);
    EXPECT_EQ(axis.m_bAtLimit, 1);
}

TEST(ScrollAxisAdvance, AtSpeedZeroItStillClamps) {
    ScrollAxis axis;
    axis.SetGeometry(kAxisVertical, 15, 0);
    axis.SetLimits(0, 0, 0, 0);
    axis.m_dPos = 5000;
    axis.Advance();
    EXPECT_EQ(axis.m_dPos, 320);  // 35 blocks: far limit 800, the view 480 high
    EXPECT_EQ(axis.m_bAtLimit, 1);
}

}  // namespace

// What the frames before this one held: the key history, the 19 key event logs, the menu
// auto-repeat and the button latch.
#include "base/key_history.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "base/input.h"

namespace {

using HistoryRun = KeyHistory::Run;

std::vector<std::pair<int, int>> Runs(const KeyHistory& h, int channel) {
    std::vector<std::pair<int, int>> out;
    for (const HistoryRun& r : h.runs[channel])
        if (r.frames != 0) out.emplace_back(r.state, r.frames);
    return out;
}

TEST(KeyHistory, RunsAndStateAt) {
    KeyHistory h;
    h.Clear();
    for (int i = 0; i < 10; ++i) h.Push(0, 0);
    for (int i = 0; i < 3; ++i) h.Push(0, 1);
    EXPECT_EQ(Runs(h, 1), (std::vector<std::pair<int, int>>{{0, 10}, {1, 3}}));
    EXPECT_EQ(Runs(h, 0), (std::vector<std::pair<int, int>>{{0, 13}}));
    for (int ago = 0; ago <= 2; ++ago) EXPECT_EQ(h.StateAt(1, ago), 1) << ago;
    for (int ago = 3; ago <= 12; ++ago) EXPECT_EQ(h.StateAt(1, ago), 0) << ago;
}

TEST(KeyHistory, ChannelsAreKeptApart) {
    KeyHistory h;
    h.Clear();
    h.Push(kDirLeft, 0);
    h.Push(kDirLeft, 2);
    h.Push(kDirUp, 2);
    EXPECT_EQ(h.StateAt(0, 0), kDirUp);
    EXPECT_EQ(h.StateAt(0, 1), kDirLeft);
    EXPECT_EQ(h.StateAt(0, 2), kDirLeft);
    EXPECT_EQ(h.StateAt(1, 0), 2);
    EXPECT_EQ(h.StateAt(1, 1), 2);
    EXPECT_EQ(h.StateAt(1, 2), 0);
    // A channel that does not exist holds nothing.
    EXPECT_EQ(h.StateAt(2, 0), 0);
    EXPECT_EQ(h.StateAt(-1, 0), 0);
}

TEST(KeyHistory, FrameCountsSaturate) {
    KeyHistory h;
    h.Clear();
    h.Push(0, 4);
    h.runs[1][h.index[1]].frames = INT_MAX - 1;
    h.Push(0, 4);
    h.Push(0, 4);
    EXPECT_EQ(h.runs[1][h.index[1]].frames, INT_MAX);
    EXPECT_EQ(h.StateAt(1, INT_MAX), 4);  // the question itself does not overflow
}

TEST(KeyHistory, The33rdChangeOverwritesTheOldestRun) {
    KeyHistory h;
    h.Clear();
    for (int s = 1; s <= 33; ++s) h.Push(static_cast<std::uint16_t>(s), 0);
    EXPECT_EQ(h.index[0], 33 % 32);
    std::vector<int> states;
    for (const HistoryRun& r : h.runs[0]) states.push_back(r.state);
    EXPECT_EQ(std::count(states.begin(), states.end(), 1), 0);  // the oldest is gone
    for (int ago = 0; ago < 32; ++ago) EXPECT_EQ(h.StateAt(0, ago), 33 - ago) << ago;
}

TEST(KeyHistory, AQuestionPastTheRingEndsAfterOneLap) {
    KeyHistory h;
    h.Clear();
    for (int s = 1; s <= 40; ++s) h.Push(static_cast<std::uint16_t>(s), 0);
    // 32 runs of one frame each: one lap steps back 32 times and lands on the newest again.
    EXPECT_EQ(h.StateAt(0, 32), 40);
    EXPECT_EQ(h.StateAt(0, 1000), 40);
}

// The pause loop ends a wait when button 1 is down now and was not a frame ago. After a
// clear, a button already held reads as held a frame ago too, so it does not count.
TEST(KeyHistory, TheFirstFrameAfterAClear) {
    KeyHistory h;
    h.Clear();
    h.Push(0, 1);
    EXPECT_EQ(Runs(h, 1), (std::vector<std::pair<int, int>>{{1, 1}}));
    EXPECT_EQ(h.index[1], 1);
    EXPECT_EQ(h.StateAt(1, 0), 1);
    EXPECT_EQ(h.StateAt(1, 1), 1);

    h.Clear();
    h.Push(0, 0);  // nothing held: the cleared run 0 continues
    EXPECT_EQ(h.index[1], 0);
    EXPECT_EQ(Runs(h, 1), (std::vector<std::pair<int, int>>{{0, 1}}));
    h.Push(0, 1);
    EXPECT_EQ(h.StateAt(1, 1), 0);  // a new press
}

// --- key event logs ---

void ExpectAllZero(const CheckedVector<KeyEventLog>& logs, unsigned count) {
    ASSERT_EQ(logs.Size(), count);
    for (const KeyEventLog& log : logs) {
        ASSERT_EQ(log.Size(), 32u);
        for (const KEYEVENT& e : log) EXPECT_EQ(e, (KEYEVENT{0, 0}));
    }
}

TEST(KeyEventLogs, ANewStateHasTenAndNineLogsOf32ZeroEntries) {
    cInput in;
    ExpectAllZero(in.DirLog, 10);
    ExpectAllZero(in.ButtonLog, 9);
    EXPECT_EQ(in.nJoyRetry, 0);
    EXPECT_EQ(in.bJoyOk, 0);
    EXPECT_EQ(in.nDirNum, 0);
}

TEST(KeyEventLogs, TheFirstFrameAfterAReset) {
    cInput in;
    in.wDir = 3;
    in.wButton = 1;
    in.LogKeyEvents();
    in.ResetKeyLogs();
    ExpectAllZero(in.DirLog, 10);
    ExpectAllZero(in.ButtonLog, 9);

    in.wDir = 0;
    in.wButton = 0;
    in.LogKeyEvents();
    EXPECT_EQ(in.DirLog[0][0], (KEYEVENT{1, 1}));
    EXPECT_EQ(in.ButtonLog[0][0], (KEYEVENT{1, 1}));
    EXPECT_EQ(in.DirLog[0][1], (KEYEVENT{0, 0}));
    for (int i = 1; i < 10; ++i) EXPECT_EQ(in.DirLog[i][0], (KEYEVENT{0, 1})) << i;
    for (int i = 1; i < 9; ++i) EXPECT_EQ(in.ButtonLog[i][0], (KEYEVENT{0, 1})) << i;
    for (const KeyEventLog& log : in.DirLog) EXPECT_EQ(log.Size(), 32u);
    for (const KeyEventLog& log : in.ButtonLog) EXPECT_EQ(log.Size(), 32u);
}

// Which logs hold each direction value and each button value.
TEST(KeyEventLogs, EachLogTestsItsState) {
    // DirLog i is active for these wDir values.
    const std::vector<int> dirActive[10] = {
        {0}, {1}, {2}, {4},  {8},
        {5}, {9}, {6}, {10}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}};
    for (int dir = 0; dir < 16; ++dir) {
        cInput in;
        in.wDir = static_cast<std::uint16_t>(dir);
        in.LogKeyEvents();
        for (int i = 0; i < 10; ++i) {
            bool expected = std::count(dirActive[i].begin(), dirActive[i].end(), dir) != 0;
            EXPECT_EQ(in.DirLog[i][0].active, expected ? 1 : 0) << "wDir " << dir << " log " << i;
        }
    }
    for (int b = 0; b < 9; ++b) {
        cInput in;
        in.wButton = b == 0 ? 0 : static_cast<std::uint16_t>(0x300 | (1 << (b - 1)));
        in.LogKeyEvents();
        for (int i = 0; i < 9; ++i)
            EXPECT_EQ(in.ButtonLog[i][0].active, i == b ? 1 : 0) << "button " << b << " log " << i;
    }
}

TEST(KeyEventLogs, LeftAndRightTogether) {
    cInput in;
    in.LogKeyEvents();  // nothing held: DirLog 0 active
    in.wDir = kDirLeft | kDirRight;
    in.LogKeyEvents();
    EXPECT_EQ(in.DirLog[9][0], (KEYEVENT{1, 1}));
    EXPECT_EQ(in.DirLog[1][0], (KEYEVENT{0, 2}));
    EXPECT_EQ(in.DirLog[2][0], (KEYEVENT{0, 2}));
    EXPECT_EQ(in.DirLog[0][0], (KEYEVENT{0, 1}));
    EXPECT_EQ(in.DirLog[0][1], (KEYEVENT{1, 1}));
}

TEST(KeyEventLogs, NewestFirstAlways32) {
    KeyEventLog log(32);
    // Held 3 frames, released 2, held 1, released 4.
    const int pattern[] = {1, 1, 1, 0, 0, 1, 0, 0, 0, 0};
    for (int held : pattern) cInput::LogKeyEvent(log, static_cast<std::uint16_t>(held), 1, 0);
    ASSERT_EQ(log.Size(), 32u);
    EXPECT_EQ(log[0], (KEYEVENT{0, 4}));
    EXPECT_EQ(log[1], (KEYEVENT{1, 1}));
    EXPECT_EQ(log[2], (KEYEVENT{0, 2}));
    EXPECT_EQ(log[3], (KEYEVENT{1, 3}));
    EXPECT_EQ(log[4], (KEYEVENT{0, 0}));

    // 40 more changes: the log keeps the newest 32.
    for (int i = 0; i < 40; ++i)
        cInput::LogKeyEvent(log, static_cast<std::uint16_t>(i % 2 ? 0 : 1), 1, 0);
    ASSERT_EQ(log.Size(), 32u);
    for (int i = 0; i < 32; ++i) EXPECT_EQ(log[i], (KEYEVENT{i % 2 ? 1 : 0, 1})) << i;
}

TEST(KeyEventLogs, ModesAndSaturation) {
    KeyEventLog log(32);
    cInput::LogKeyEvent(log, 3, 1, 1);  // a common bit
    EXPECT_EQ(log[0], (KEYEVENT{1, 1}));
    cInput::LogKeyEvent(log, 3, 1, 0);  // not equal
    EXPECT_EQ(log[0], (KEYEVENT{0, 1}));
    log[0].frames = INT_MAX;
    cInput::LogKeyEvent(log, 3, 1, 0);
    EXPECT_EQ(log[0], (KEYEVENT{0, INT_MAX}));

    KeyEventLog empty;  // nothing to count on, nothing to fail
    cInput::LogKeyEvent(empty, 1, 1, 0);
    EXPECT_EQ(empty.Size(), 0u);
}

// --- menu auto-repeat ---

std::vector<int> FramesThrough(cInput& in, const std::vector<std::uint16_t>& dirs,
                               std::uint16_t bits) {
    std::vector<int> out;
    for (int f = 0; f < static_cast<int>(dirs.size()); ++f) {
        in.wDir = dirs[static_cast<std::size_t>(f)];
        in.ApplyRepeat();
        if (in.wDir & bits) out.push_back(f);
    }
    return out;
}

TEST(ApplyRepeat, HeldLeftActsOnFrames0_18_24_30_36) {
    cInput in;
    in.SetRepeat(18, 6);
    std::vector<std::uint16_t> dirs(5, 0);
    dirs.resize(45, kDirLeft);  // pressed at frame 5, held 40 frames
    std::vector<int> frames = FramesThrough(in, dirs, kDirLeft);
    EXPECT_EQ(frames, (std::vector<int>{5, 23, 29, 35, 41}));
}

TEST(ApplyRepeat, HorizontalAndVerticalCountApart) {
    cInput in;
    in.SetRepeat(18, 6);
    std::vector<std::uint16_t> dirs(10, kDirRight);
    dirs.resize(40, kDirRight | kDirUp);  // up pressed at frame 10 while right stays held
    cInput copy = in;
    EXPECT_EQ(FramesThrough(in, dirs, kDirRight), (std::vector<int>{0, 18, 24, 30, 36}));
    EXPECT_EQ(FramesThrough(copy, dirs, kDirUp), (std::vector<int>{10, 28, 34}));
}

TEST(ApplyRepeat, ChangingDirectionActsAtOnce) {
    cInput in;
    in.SetRepeat(18, 6);
    std::vector<std::uint16_t> dirs = {kDirLeft, kDirLeft, kDirRight, kDirRight, 0, kDirRight};
    EXPECT_EQ(FramesThrough(in, dirs, kDirLeft | kDirRight), (std::vector<int>{0, 2, 5}));
    EXPECT_EQ(in.wDirRecent & 0xFFF, (kDirRight << 8) | (0 << 4) | kDirRight);
}

// Other settings: the delay and the interval both have to agree, so a delay that is no
// multiple of the interval acts on the next multiple after it.
TEST(ApplyRepeat, TheSettingsDecideTheFrames) {
    const struct {
        std::uint32_t delay, interval;
        int held;
        std::vector<int> frames;
    } cases[] = {
        {3, 2, 11, {0, 4, 6, 8, 10}},
        {10, 4, 25, {0, 12, 16, 20, 24}},
        {1, 1, 5, {0, 1, 2, 3, 4}},
        {0, 5, 12, {0, 5, 10}},
        {6, 18, 40, {0, 18, 36}},
        // An interval of 0 acts every frame once the delay has passed.
        {5, 0, 9, {0, 5, 6, 7, 8}},
        // Compared unsigned: a delay past INT_MAX is never reached.
        {0x80000000u, 1, 10, {0}},
        {0xFFFFFFFFu, 1, 10, {0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "delay " << c.delay << " interval " << c.interval);
        cInput in;
        in.SetRepeat(c.delay, c.interval);
        EXPECT_EQ(in.nRepeatDelay, c.delay);
        EXPECT_EQ(in.nRepeatInterval, c.interval);
        std::vector<std::uint16_t> dirs(2, 0);
        dirs.resize(2 + static_cast<std::size_t>(c.held), kDirUp);
        std::vector<int> frames = FramesThrough(in, dirs, kDirUp);
        for (int& f : frames) f -= 2;  // counted from the press
        EXPECT_EQ(frames, c.frames);
    }
}

TEST(ApplyRepeat, WithoutSettingsEveryFramePasses) {
    cInput in;  // delay and interval 0
    std::vector<std::uint16_t> dirs(10, kDirDown);
    EXPECT_EQ(FramesThrough(in, dirs, kDirDown).size(), 10u);
}

// --- button latch ---

struct LatchStep {
    std::uint16_t held;
    std::uint16_t reported;
};

void RunLatch(int mask, const std::vector<LatchStep>& steps) {
    cInput in;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        in.wButton = steps[i].held;
        in.LatchButtons(mask);
        EXPECT_EQ(in.wButton, steps[i].reported) << "mask " << mask << " step " << i;
    }
}

TEST(LatchButtons, OnePressIsReportedOnceUntilAllAreReleased) {
    RunLatch(0, {
                    {1, 1},  // button 1 pressed: reported
                    {1, 0},
                    {1, 0},
                    {1, 0},
                    {1, 0},
                    {3, 0},  // button 2 pressed while 1 is held: swallowed
                    {2, 0},  // button 1 released first
                    {0, 0},  // all released: the latch opens
                    {2, 2},  // button 2 again: reported
                    {2, 0},
                });
    // Both released in the same frame.
    RunLatch(0, {
                    {1, 1},
                    {1, 0},
                    {1, 0},
                    {1, 0},
                    {1, 0},
                    {3, 0},
                    {3, 0},
                    {0, 0},  // both up at once: the latch opens
                    {2, 2},
                    {2, 0},
                    {0, 0},
                    {1, 1},  // and a later press of button 1 is reported too
                });
}

TEST(LatchButtons, EveryButtonDownInTheFirstFrameStaysVisible) {
    RunLatch(0, {{5, 5}, {5, 0}, {0, 0}, {0x80, 0x80}});
}

TEST(LatchButtons, BitsOutsideTheMaskPass) {
    RunLatch(3, {
                    {4, 4},  // button 3 is not latched by mask 3
                    {4, 4},
                    {5, 5},  // button 1 pressed: reported with button 3
                    {5, 4},  // held: button 1 reads up, button 3 passes
                    {4, 4},  // button 1 released: the latch opens
                    {0x102, 0x102},
                    {0x102, 0x100},
                });
    RunLatch(15, {{8, 8}, {8 | 16, 16}, {16, 16}, {1, 1}});
}

}  // namespace

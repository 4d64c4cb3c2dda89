// What the frames before this one held: the key history that a wait asks "was the button
// already down", the key event logs that the flows' key conditions match sequences
// against, and the two filters the menus put on the bits. All of it runs every frame on
// the frame loop's thread, so nothing here allocates: a log keeps its 32 entries in place.
#include <climits>

#include "base/input.h"

namespace {

void Saturating(std::int32_t& count) {
    if (count != INT_MAX) ++count;
}

}  // namespace

void KeyHistory::Clear() {
    for (auto& channel : runs)
        for (Run& run : channel) run = Run{};
    index[0] = index[1] = 0;
}

void KeyHistory::Push(std::uint16_t dir, std::uint16_t button) {
    const std::uint16_t states[2] = {dir, button};
    for (int c = 0; c < 2; ++c) {
        const int newest = index[c] & (kRuns - 1);
        Run& run = runs[c][newest];
        if (run.state == states[c]) {
            Saturating(run.frames);
        } else {
            // The oldest run gives way.
            index[c] = (newest + 1) & (kRuns - 1);
            runs[c][index[c]] = Run{states[c], 1};
        }
    }
}

std::uint16_t KeyHistory::StateAt(int channel, int framesAgo) const {
    if (channel < 0 || channel > 1) return 0;
    long long r = static_cast<long long>(framesAgo) + 1;
    int i = index[channel] & (kRuns - 1);
    // Exactly one lap: a run with no frames (after a clear) is stepped over, and a question
    // about more frames than the ring holds ends where the lap ends.
    for (int step = 0; step < kRuns; ++step) {
        if (r > runs[channel][i].frames) {
            r -= runs[channel][i].frames;
            i = (i + kRuns - 1) & (kRuns - 1);
        }
    }
    return runs[channel][i].state;
}

void cInput::ResetKeyLogs() {
    // Clear keeps the storage, so a reset at a stage start allocates only the first time.
    for (KeyEventLog& log : DirLog) {
        log.Clear();
        log.resize(kKeyLogLength);
    }
    for (KeyEventLog& log : ButtonLog) {
        log.Clear();
        log.resize(kKeyLogLength);
    }
}

void cInput::LogKeyEvent(KeyEventLog& log, std::uint16_t value, std::uint16_t key, int mode) {
    const int count = static_cast<int>(log.Size());
    if (count == 0) return;  // nothing to insert before nor to count on
    const bool active = mode == 0 ? value == key : (value & key) != 0;
    KEYEVENT& newest = log[0];
    if ((newest.active != 0) != active) {
        // A new state in front, the oldest dropped: the log keeps its length.
        for (int i = count - 1; i > 0; --i) log[i] = log[i - 1];
        log[0] = KEYEVENT{active ? 1 : 0, 1};
    } else {
        Saturating(newest.frames);
    }
}

void cInput::LogKeyEvents() {
    // The states each log stands for, in log order; mode 0 tests equality, 1 a common bit.
    static constexpr struct {
        std::uint16_t key;
        int mode;
    } kDirStates[kDirLogCount] = {{0, 0}, {1, 0}, {2, 0}, {4, 0},  {8, 0},
                                  {5, 0}, {9, 0}, {6, 0}, {10, 0}, {15, 1}};
    static constexpr struct {
        std::uint16_t key;
        int mode;
    } kButtonStates[kButtonLogCount] = {{0, 0},  {1, 1},  {2, 1},  {4, 1},  {8, 1},
                                        {16, 1}, {32, 1}, {64, 1}, {128, 1}};
    for (int i = 0; i < kDirLogCount; ++i)
        LogKeyEvent(DirLog[i], wDir, kDirStates[i].key, kDirStates[i].mode);
    for (int i = 0; i < kButtonLogCount; ++i)
        LogKeyEvent(ButtonLog[i], wButton, kButtonStates[i].key, kButtonStates[i].mode);
}

void cInput::ApplyRepeat() {
    wDirRecent = static_cast<std::uint16_t>((wDirRecent << 4) | wDir);
    const unsigned previous = (wDirRecent >> 4) & 0xF;
    // An interval of 0 (a state that never had SetRepeat) repeats every frame after the
    // delay rather than dividing by zero.
    const std::uint32_t interval = nRepeatInterval != 0 ? nRepeatInterval : 1;
    auto filter = [&](std::uint16_t bits, std::int32_t& counter) {
        if ((wDir & bits) != (previous & bits)) {
            counter = 0;
            return;
        }
        // Counted in unsigned arithmetic: a direction held for years wraps instead of
        // overflowing.
        counter = static_cast<std::int32_t>(static_cast<std::uint32_t>(counter) + 1);
        const std::uint32_t held = static_cast<std::uint32_t>(counter);
        if (held < nRepeatDelay || held % interval != 0)
            wDir = static_cast<std::uint16_t>(wDir & ~bits);
    };
    filter(kDirLeft | kDirRight, nRepeatH);
    filter(kDirUp | kDirDown, nRepeatV);
}

void cInput::LatchButtons(int mask) {
    if (mask == 0) mask = 255;
    const std::uint16_t entry = wButton;
    for (int bit = 1; bit <= 128; bit <<= 1) {
        if (!(mask & bit)) continue;
        if (bLatch == 1 && (wButton & bit)) wButton = static_cast<std::uint16_t>(wButton & ~bit);
        if ((wButton & bit) && bLatch == 0) {
            // This press is reported, with every button of the frame as it is.
            bLatch = 1;
            return;
        }
    }
    if (entry & mask)
        wButton = static_cast<std::uint16_t>(wButton & ~mask);
    else
        bLatch = 0;
}

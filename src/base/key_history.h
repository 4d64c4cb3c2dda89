// The recent past of the player's input: the key history (runs of unchanged direction and
// button bits) and the entry type of the key event logs. The logs themselves, the menu
// auto-repeat and the button latch are members of cInput (input.h).
#pragma once

#include <cstdint>

#include "base/checked_vector.h"

// One change of a key state: whether the state is held, and for how many frames.
struct KEYEVENT {
    std::int32_t active = 0;
    std::int32_t frames = 0;
    friend bool operator==(const KEYEVENT&, const KEYEVENT&) = default;
};

// A key event log: exactly kKeyLogLength entries, newest first.
using KeyEventLog = CheckedVector<KEYEVENT>;
constexpr int kKeyLogLength = 32;

// Two channels (0 the direction bits, 1 the button bits), each a ring of 32 runs of an
// unchanged state; the ring index of a channel points at its newest run.
class KeyHistory {
public:
    static constexpr int kRuns = 32;
    struct Run {
        std::uint16_t state = 0;
        std::int32_t frames = 0;
    };

    // Every run {0, 0}, both ring indexes 0.
    void Clear();
    // One more frame of these direction and button bits.
    void Push(std::uint16_t dir, std::uint16_t button);
    // The channel's state `framesAgo` frames before the last push (0 = the last pushed
    // frame). A question past what the ring covers ends on the run reached after 32 steps.
    std::uint16_t StateAt(int channel, int framesAgo) const;

    Run runs[2][kRuns] = {};
    std::int32_t index[2] = {};
};

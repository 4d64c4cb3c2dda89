// What holds the play while the pause thread runs frames: the kind of wait, the frames in
// which no button counts, and whether it ends on button 1 or after a number of frames.
#pragma once

#include <cstdint>

// Kinds of wait.
enum WaitKind : std::int32_t {
    WAIT_GAME = 0,
    WAIT_MESSAGE = 1,
    WAIT_EFFECT = 2,
    WAIT_PICTURE = 3,
    WAIT_EXTRA_LIFE = 4,
};

struct WaitControl {
    // A new wait. A message that waits for a button and does not follow another message at
    // once ignores the buttons for its first 10 frames.
    void Set(std::int32_t kind, std::int32_t waitButton, std::int32_t frames, std::int32_t chained);

    std::int32_t m_nKind = 0;
    std::int32_t m_nGuard = 0;
    std::int32_t m_bWaitButton = 0;
    std::int32_t m_nFrames = 0;
    std::int32_t m_bDone = 0;
};

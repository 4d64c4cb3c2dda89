// The player's input for one frame: four direction bits, eight button bits and the
// direction number, read from the keyboard and the joysticks by one of two readers, plus
// what the menus and the key conditions of flows derive from them (key_history.h).
#pragma once

#include <cstdint>

#include "base/checked_vector.h"
#include "base/key_history.h"
#include "platform/joystick.h"

// Direction bits.
constexpr std::uint16_t kDirLeft = 1;
constexpr std::uint16_t kDirRight = 2;
constexpr std::uint16_t kDirUp = 4;
constexpr std::uint16_t kDirDown = 8;

// Joystick codes of the key configuration that name an axis pushed one way.
constexpr std::uint16_t kJoyXLow = 256;
constexpr std::uint16_t kJoyXHigh = 512;
constexpr std::uint16_t kJoyYLow = 1024;
constexpr std::uint16_t kJoyYHigh = 2048;
// Axis positions at or beyond these count as pushed; the values between are the dead zone.
constexpr std::uint32_t kJoyLowEdge = 10000;
constexpr std::uint32_t kJoyHighEdge = 55535;

// The number of a direction on a 3 x 3 grid numbered row by row from the top left, 5 in
// the middle: left wins over right and up over down.
int DirectionNumber(std::uint16_t dir);

// One player's input state. Copied member by member.
class cInput {
public:
    cInput();

    // Built-in keys (arrows, ZXCVASDF) and joystick `joyId`; `sources` 1 allows the
    // joystick, 2 the keyboard. 0 without touching anything while KeyConfig's
    // use-bindings flag is set, else 1.
    int ReadFixed(int joyId, int sources, int retryFrames);
    // KeyConfig's bindings for `players` player blocks (the program passes 1). 0 without
    // touching anything while the use-bindings flag is clear, else 1.
    int ReadBound(int players, int retryFrames);
    static bool JoyAxisPressed(const plat::JoyPosition& position, std::uint16_t code);

    void ClearDirection();
    void ClearButtons();
    void ResetJoyButtons();
    void SetRepeat(std::uint32_t delay, std::uint32_t interval);

    // Key event logs (key_history.cpp).
    void ResetKeyLogs();
    void LogKeyEvents();
    static void LogKeyEvent(KeyEventLog& log, std::uint16_t value, std::uint16_t key, int mode);
    // Menu filters (key_history.cpp).
    void ApplyRepeat();
    void LatchButtons(int mask);

    std::uint16_t wDir = 0;
    std::uint16_t wButton = 0;
    std::uint16_t wDirRecent = 0;
    KeyHistory History;
    CheckedVector<KeyEventLog> DirLog;     // 10 logs
    CheckedVector<KeyEventLog> ButtonLog;  // 9 logs
    std::int32_t nDirNum = 0;
    std::int32_t nRepeatH = 0;
    std::int32_t nRepeatV = 0;
    std::uint32_t nRepeatDelay = 0;
    std::uint32_t nRepeatInterval = 0;
    std::int32_t bLatch = 0;
    std::uint16_t wJoyButtonMask[8] = {};
    std::int32_t bJoyOk = 0;
    std::int32_t nJoyRetry = 0;

private:
    // The poll of a joystick under the shared retry count; true when it answered.
    bool PollJoystick(int joyId, int retryFrames, plat::JoyPosition& position);
};

constexpr int kDirLogCount = 10;
constexpr int kButtonLogCount = 9;

// The input states; element 0 is the player's.
extern CheckedVector<cInput> InputList;

// Once per frame: the reader that KeyConfig's use-bindings flag chooses, on element 0.
void UpdateMainInput(CheckedVector<cInput>& list);

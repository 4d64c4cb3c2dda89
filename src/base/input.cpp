// The two readers of the player's input. Both run once per frame on the thread that runs
// the frame loop and take no lock: the key table is atomic, and each cInput belongs to one
// thread at a time. Neither allocates.
#include "base/input.h"

#include <algorithm>
#include <climits>

#include "base/key_config.h"
#include "platform/keyboard.h"

CheckedVector<cInput> InputList(1);

namespace {

bool KeyDown(int vk) {
    return (plat::GetAsyncKeyState(vk) & 0x8000) != 0;
}

// The frames a failed joystick waits: twice the retry frames, kept within an int.
std::int32_t RetryCount(int retryFrames) {
    long long twice = 2LL * retryFrames;
    return static_cast<std::int32_t>(std::clamp<long long>(twice, INT_MIN, INT_MAX));
}

// The built-in keys of the fixed reader: buttons 1 to 8 are Z X C V A S D F.
constexpr int kButtonKeys[8] = {0x5A, 0x58, 0x43, 0x56, 0x41, 0x53, 0x44, 0x46};
constexpr int kKeyLeft = 0x25, kKeyUp = 0x26, kKeyRight = 0x27, kKeyDown = 0x28;

}  // namespace

int DirectionNumber(std::uint16_t dir) {
    int n = 5;
    if (dir & kDirLeft)
        n = 4;
    else if (dir & kDirRight)
        n = 6;
    if (dir & kDirUp)
        n -= 3;
    else if (dir & kDirDown)
        n += 3;
    return n;
}

cInput::cInput()
    : DirLog(kDirLogCount, KeyEventLog(kKeyLogLength)),
      ButtonLog(kButtonLogCount, KeyEventLog(kKeyLogLength)) {}

bool cInput::JoyAxisPressed(const plat::JoyPosition& position, std::uint16_t code) {
    switch (code) {
        case kJoyXLow:
            return position.x <= kJoyLowEdge;
        case kJoyXHigh:
            return position.x >= kJoyHighEdge;
        case kJoyYLow:
            return position.y <= kJoyLowEdge;
        case kJoyYHigh:
            return position.y >= kJoyHighEdge;
        default:
            return false;
    }
}

bool cInput::PollJoystick(int joyId, int retryFrames, plat::JoyPosition& position) {
    // A failed joystick is left alone until the count runs out: a poll of a missing
    // device can be slow, and one is enough to notice it came back.
    if (bJoyOk == 0 && nJoyRetry > 0) {
        --nJoyRetry;
        return false;
    }
    if (plat::joyGetPosEx(joyId, &position) == plat::JOYERR_NOERROR) {
        bJoyOk = 1;
        return true;
    }
    bJoyOk = 0;
    nJoyRetry = RetryCount(retryFrames);
    return false;
}

int cInput::ReadFixed(int joyId, int sources, int retryFrames) {
    if (KeyConfig.bUseBind != 0) return 0;

    bool joyDirection = false;
    bool joyButtons = false;
    plat::JoyPosition position;
    if (PollJoystick(joyId, retryFrames, position) && (sources & 1)) {
        nDirNum = 5;
        wDir = 0;
        if (position.x <= kJoyLowEdge) {
            nDirNum = 4;
            wDir = kDirLeft;
        } else if (position.x >= kJoyHighEdge) {
            nDirNum = 6;
            wDir = kDirRight;
        }
        if (position.y <= kJoyLowEdge) {
            wDir |= kDirUp;
            nDirNum -= 3;
        } else if (position.y >= kJoyHighEdge) {
            wDir |= kDirDown;
            nDirNum += 3;
        }
        wButton = 0;
        for (int i = 0; i < 8; ++i)
            if (position.buttons & wJoyButtonMask[i])
                wButton |= static_cast<std::uint16_t>(1u << i);
        joyDirection = nDirNum != 5;
        joyButtons = wButton != 0;
    }
    if (!(sources & 2)) return 1;

    // The joystick, when off centre or pressed, replaces the keyboard for that half.
    if (!joyDirection) {
        nDirNum = 5;
        wDir = 0;
        // Every arrow counts, so opposite arrows cancel in the number but not in the bits.
        if (KeyDown(kKeyLeft)) {
            wDir |= kDirLeft;
            nDirNum -= 1;
        }
        if (KeyDown(kKeyRight)) {
            wDir |= kDirRight;
            nDirNum += 1;
        }
        if (KeyDown(kKeyUp)) {
            wDir |= kDirUp;
            nDirNum -= 3;
        }
        if (KeyDown(kKeyDown)) {
            wDir |= kDirDown;
            nDirNum += 3;
        }
    }
    if (!joyButtons) {
        wButton = 0;
        for (int i = 0; i < 8; ++i)
            if (KeyDown(kButtonKeys[i])) wButton |= static_cast<std::uint16_t>(1u << i);
    }
    return 1;
}

int cInput::ReadBound(int players, int retryFrames) {
    const cKeyConfig& config = KeyConfig;
    if (config.bUseBind == 0) return 0;

    // The file's counts are bounded here: the record holds twelve bindings, and no more
    // than sixteen joysticks can be numbered.
    const int joyCount = std::clamp(config.nJoyCount, 0, plat::kMaxJoysticks);
    const int bindCount = std::clamp(config.nBindCount, 4, cKeyConfig::kBindings);
    // The record holds the block of one player; further blocks would lie past it.
    const int blocks = std::min(players, 1);

    bool answered[plat::kMaxJoysticks] = {};
    plat::JoyPosition positions[plat::kMaxJoysticks];
    for (int j = 0; j < joyCount; ++j) answered[j] = PollJoystick(j, retryFrames, positions[j]);

    auto down = [&](const KEYBIND& bind, bool axes) {
        if (bind.nDevice == kKeyboardDevice) return bind.wCode <= 255 && KeyDown(bind.wCode);
        // A device that names no polled joystick is never down.
        if (bind.nDevice < 0 || bind.nDevice >= joyCount || !answered[bind.nDevice]) return false;
        const plat::JoyPosition& position = positions[bind.nDevice];
        if (axes && JoyAxisPressed(position, bind.wCode)) return true;
        return (bind.wCode & position.buttons) != 0;
    };

    for (int block = 0; block < blocks; ++block) {
        nDirNum = 5;
        wDir = 0;
        wButton = 0;
        if (down(config.Bind[0], true)) {
            wDir |= kDirLeft;
            nDirNum -= 1;
        } else if (down(config.Bind[1], true)) {
            wDir |= kDirRight;
            nDirNum += 1;
        }
        if (down(config.Bind[2], true)) {
            wDir |= kDirUp;
            nDirNum -= 3;
        } else if (down(config.Bind[3], true)) {
            wDir |= kDirDown;
            nDirNum += 3;
        }
        for (int j = 0; j + 4 < bindCount; ++j)
            if (down(config.Bind[4 + j], false)) wButton |= static_cast<std::uint16_t>(1u << j);
    }
    return 1;
}

void cInput::ClearDirection() {
    wDir = 0;
    nDirNum = 5;
}

void cInput::ClearButtons() {
    wButton = 0;
}

void cInput::ResetJoyButtons() {
    for (int i = 0; i < 8; ++i) wJoyButtonMask[i] = static_cast<std::uint16_t>(1u << i);
}

void cInput::SetRepeat(std::uint32_t delay, std::uint32_t interval) {
    nRepeatDelay = delay;
    nRepeatInterval = interval;
}

void UpdateMainInput(CheckedVector<cInput>& list) {
    if (KeyConfig.bUseBind != 0)
        list[0].ReadBound(1, 60);
    else
        list[0].ReadFixed(0, 3, 60);
}

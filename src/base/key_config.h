// The player's key bindings, read once at start-up from user_data\KeyConfig.dat and never
// written. The file is a raw 108-byte little-endian image of the record: twelve bindings,
// the binding count, the joystick count and the use-bindings flag.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The device number of the keyboard; any other number is a joystick.
constexpr std::int32_t kKeyboardDevice = 8;

struct KEYBIND {
    std::int32_t nDevice = 0;
    // A virtual-key code, or a joystick axis code (256, 512, 1024, 2048) or button mask.
    std::uint16_t wCode = 0;
    std::uint16_t wReserved = 0;
};

class cKeyConfig {
public:
    static constexpr int kBindings = 12;  // 0 left, 1 right, 2 up, 3 down, 4-11 buttons 1-8
    static constexpr std::size_t kFileSize = 108;

    KEYBIND Bind[kBindings];
    std::int32_t nBindCount = 0;
    std::int32_t nJoyCount = 0;
    std::int32_t bUseBind = 0;
};

// Reads the file into the record: 1 when it could be opened (a short file replaces only the
// front of the record, bytes past 108 are not read), 0 with the record untouched otherwise.
int ReadKeyConfig(std::string_view path, cKeyConfig& record);
// The first `size` bytes of the file image replace the start of the record (at most 108).
void LoadKeyConfigBytes(const std::uint8_t* bytes, std::size_t size, cKeyConfig& record);
// The arrow keys, ZXCV and ASDF, twelve bindings, one joystick, the fixed reader.
void DefaultKeyConfig(cKeyConfig& record);

// Zero-filled until start-up fills it.
extern cKeyConfig KeyConfig;

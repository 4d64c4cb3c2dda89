// Feeds arbitrary texts to the message-code expansion with variables of every kind of
// value, checking that it ends, reads nothing past the text and leaves text without codes
// alone.
#include <cstddef>
#include <cstdint>
#include <string>

#include "stage/message_text.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    // The first byte chooses the values: the extremes, zero, and values by number.
    const std::uint8_t mode = data[0];
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::string original = text;
    int asked = 0;
    ExpandMessageCodes(text, [&](int kind, int n, std::int32_t* value) {
        Check(kind == MESSAGE_VAR_COMMON || kind == MESSAGE_VAR_STAGE);
        Check(n >= 1 && n <= 255);
        ++asked;
        // Stage variable 255 does not exist, as in the scene.
        if (kind == MESSAGE_VAR_STAGE && n == 255) return false;
        switch (mode % 4) {
            case 0:
                *value = INT32_MIN + n;
                break;
            case 1:
                *value = INT32_MAX - n;
                break;
            case 2:
                *value = 0;
                break;
            default:
                *value = (n * 7919) - 1000000;
                break;
        }
        return true;
    });
    if (original.find('#') == std::string::npos) Check(text == original);
    if (asked == 0) Check(text == original);
    // Each code of at least 3 bytes becomes at most 12 bytes ("-" and ten digits, or the
    // digits of the format).
    Check(text.size() <= original.size() * 4 + 16);
    return 0;
}

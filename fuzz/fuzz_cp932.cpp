// Feeds arbitrary bytes to the CP932 codec in both directions and to the Shift-JIS walkers,
// checking the properties the rest of the program relies on.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/sjis.h"
#include "platform/cp932.h"

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        std::size_t follow;
        std::uint32_t code;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            follow = 1;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            follow = 2;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            follow = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (text.size() - i <= follow) return false;
        for (std::size_t k = 1; k <= follow; ++k) {
            const auto t = static_cast<unsigned char>(text[i + k]);
            if ((t & 0xC0) != 0x80) return false;
            code = (code << 6) | (t & 0x3F);
        }
        if ((follow == 2 && code < 0x800) || (follow == 3 && code < 0x10000) ||
            (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
            return false;
        i += follow + 1;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);

    const std::string utf8 = plat::Cp932ToUtf8(input);
    Check(IsValidUtf8(utf8));
    Check(utf8.size() <= size * 3);
    const std::string back = plat::Utf8ToCp932(utf8);
    Check(back.size() <= utf8.size());

    const std::string encoded = plat::Utf8ToCp932(input);
    Check(encoded.size() <= size);
    Check(IsValidUtf8(plat::Cp932ToUtf8(encoded)));

    bool ascii = true;
    for (unsigned char c : input) ascii = ascii && c < 0x80;
    if (ascii) Check(utf8 == input && encoded == input);

    // The walkers read one byte past a lead byte; the string's terminator backs the last one.
    std::vector<bool> boundary(size + 1, false);
    std::size_t pairs = 0;
    std::size_t lineFeeds = 0;
    for (std::size_t i = 0; i < size; ++i) {
        boundary[i] = true;
        if (IsSjisDoubleByte(input.c_str() + i)) {
            ++pairs;
            ++i;
        } else if (input[i] == '\n') {
            ++lineFeeds;
        }
    }
    boundary[size] = true;
    Check(static_cast<std::size_t>(CountSjisChars(input)) == size - pairs - lineFeeds);

    for (std::size_t limit : {size / 2, size - size / 3, size}) {
        std::string cut = input;
        CutSjis(cut, limit);
        Check(cut.size() <= limit && limit - cut.size() <= 1);
        Check(boundary[cut.size()]);  // never half of a pair
        Check(input.compare(0, cut.size(), cut) == 0);
    }
    return 0;
}

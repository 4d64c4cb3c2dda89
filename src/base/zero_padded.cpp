#include "base/zero_padded.h"

void FormatZeroPadded(std::string& out, std::int32_t value, int width, int keepZeros,
                      int plusSign) {
    // In 64 bits: the magnitude of INT32_MIN does not fit in 32.
    std::uint64_t magnitude =
        value < 0 ? static_cast<std::uint64_t>(-static_cast<std::int64_t>(value)) : value;
    int digits = 1;
    for (std::uint64_t rest = magnitude / 10; rest != 0 && digits < 10; rest /= 10) ++digits;
    const int length = width <= 0 || width < digits ? digits : width;
    std::string text(static_cast<std::size_t>(length), '0');
    for (int i = length - 1; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    }
    if (keepZeros == 0) {
        for (int i = 0; i + 1 < length && text[static_cast<std::size_t>(i)] == '0'; ++i)
            text[static_cast<std::size_t>(i)] = ' ';
    }
    if (value < 0) {
        out = "-" + text;
    } else if (plusSign != 0) {
        out = "+" + text;
    } else {
        out = std::move(text);
    }
}

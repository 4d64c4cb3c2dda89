#include "stage/message_text.h"

#include <cstddef>

#include "base/sjis.h"

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// A code read from the character after its "#".
struct MessageCode {
    bool common = false;
    bool stage = false;
    bool number = false;
    std::int64_t n = 0;  // saturates: a long run of digits names no variable
    int digits = 0;
    bool plus = false;
    bool zeros = false;
    std::size_t end = 0;  // first byte after the code, its "." included
};

MessageCode ReadCode(const std::string& text, std::size_t pos) {
    constexpr std::int64_t kSaturated = std::int64_t{1} << 40;
    MessageCode code;
    bool format = false;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (IsDigit(c)) {
            if (format) {
                code.digits = c - '0';
            } else {
                code.number = true;
                code.n = code.n * 10 + (c - '0');
                if (code.n > kSaturated) code.n = kSaturated;
            }
        } else if (!format && (c == 'C' || c == 'c')) {
            code.common = true;
        } else if (!format && (c == 'S' || c == 's')) {
            code.stage = true;
        } else if (!format && c == '_') {
            format = true;
        } else if (format && (c == 'P' || c == 'p')) {
            code.plus = true;
        } else if (format && (c == 'Z' || c == 'z')) {
            code.zeros = true;
        } else {
            break;
        }
    }
    if (pos < text.size() && text[pos] == '.') ++pos;
    code.end = pos;
    return code;
}

}  // namespace

std::string FormatMessageValue(std::int32_t value, int digits, bool plus, bool zeros) {
    // In 64 bits: the magnitude of the smallest value does not fit 32.
    std::int64_t magnitude = value < 0 ? -std::int64_t{value} : std::int64_t{value};
    std::string body;
    do {
        body.insert(body.begin(), static_cast<char>('0' + magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    if (static_cast<int>(body.size()) < digits)
        body.insert(body.begin(), static_cast<std::size_t>(digits) - body.size(), '0');
    if (!zeros) {
        for (std::size_t i = 0; i + 1 < body.size() && body[i] == '0'; ++i) body[i] = ' ';
    }
    if (value < 0) return "-" + body;
    if (plus) return "+" + body;
    return body;
}

void ExpandMessageCodes(std::string& text, const MessageVarLookup& lookup) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        if (pos + 1 < text.size() && IsSjisDoubleByte(text.c_str() + pos)) {
            pos += 2;
            continue;
        }
        if (text[pos] != '#') {
            ++pos;
            continue;
        }
        const MessageCode code = ReadCode(text, pos + 1);
        const bool named = (code.common || code.stage) && code.number;
        std::int32_t value = 0;
        if (named && code.n >= 1 && code.n <= 255 &&
            lookup(code.common ? MESSAGE_VAR_COMMON : MESSAGE_VAR_STAGE, static_cast<int>(code.n),
                   &value)) {
            const std::string shown = FormatMessageValue(value, code.digits, code.plus, code.zeros);
            text.replace(pos, code.end - pos, shown);
            pos += shown.size();
        } else {
            ++pos;
        }
    }
}

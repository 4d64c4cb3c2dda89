#include "platform/text_scan.h"

#include <charconv>
#include <cstdio>

namespace plat {

std::string QuoteForMessage(std::string_view value, std::size_t maxChars) {
    std::string out = "'";
    for (std::size_t i = 0; i < value.size() && i < maxChars; ++i) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        if (c < 0x20 || c >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    if (value.size() > maxChars) out += "...";
    return out + "'";
}

std::optional<std::uint64_t> ParseUnsigned(std::string_view text, std::uint64_t max) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size() || value > max) {
        return std::nullopt;
    }
    return value;
}

}  // namespace plat

// Shift-JIS walkers. Lead and trail byte ranges are those of code page 932, which is what
// the game data was written in.
#include "base/sjis.h"

namespace {

bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
bool IsTrailByte(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// Bytes taken by the character at text[pos]: two for a lead byte with a valid trail
// byte, one otherwise (a lead byte at the very end stands alone).
std::size_t CharLength(std::string_view text, std::size_t pos) {
    if (pos + 1 < text.size() && IsSjisDoubleByte(text.data() + pos)) return 2;
    return 1;
}

}  // namespace

bool IsSjisDoubleByte(const char* p) {
    return IsLeadByte(static_cast<unsigned char>(p[0])) &&
           IsTrailByte(static_cast<unsigned char>(p[1]));
}

int CountSjisChars(std::string_view text) {
    int count = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t length = CharLength(text, pos);
        if (length == 2 || text[pos] != '\n') ++count;
        pos += length;
    }
    return count;
}

void CutSjis(std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return;
    // Character boundaries are only known walking from the start: a trail byte can look
    // like a lead byte.
    std::size_t pos = 0;
    while (pos < maxBytes) {
        const std::size_t length = CharLength(text, pos);
        if (pos + length > maxBytes) break;
        pos += length;
    }
    text.resize(pos);
}

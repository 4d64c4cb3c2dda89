// The CP932 codec over glibc iconv. The encoding name is "CP932" on purpose: "SHIFT_JIS"
// would turn 0x5C into the yen sign and 0x7E into the overline, and paths would lose
// their separators.
#include "platform/cp932.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace plat {
namespace {

constexpr std::string_view kReplacementUtf8 = "\xEF\xBF\xBD";  // U+FFFD
constexpr std::string_view kReplacementCp932 = "?";

bool IsAscii(std::string_view text) {
    for (unsigned char c : text) {
        if (c >= 0x80) return false;
    }
    return true;
}

bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
bool IsTrailByte(unsigned char c) {
    return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC);
}

// How many bytes at the start of a rejected CP932 sequence one U+FFFD stands for. A lead
// byte with a well-formed trail byte is one character even when the table has no entry
// for it, so its trail byte (which may be 0x5C) never surfaces as a character of its own;
// any other bad byte is replaced alone and decoding resumes at the next one.
std::size_t BadCp932Length(std::string_view rest) {
    const auto lead = static_cast<unsigned char>(rest[0]);
    if (rest.size() >= 2 && IsLeadByte(lead) && IsTrailByte(static_cast<unsigned char>(rest[1])))
        return 2;
    return 1;
}

// How many bytes at the start of a rejected UTF-8 sequence one '?' stands for: a whole
// well-formed character that CP932 lacks, or else the longest prefix that could have begun
// one (at least one byte), so a cut-off character costs a single '?'.
std::size_t BadUtf8Length(std::string_view rest) {
    const auto first = static_cast<unsigned char>(rest[0]);
    std::size_t follow = 0;
    unsigned char lo = 0x80;
    unsigned char hi = 0xBF;
    if (first >= 0xC2 && first <= 0xDF) {
        follow = 1;
    } else if (first == 0xE0) {
        follow = 2;
        lo = 0xA0;  // no overlong forms
    } else if (first == 0xED) {
        follow = 2;
        hi = 0x9F;  // no surrogates
    } else if (first >= 0xE1 && first <= 0xEF) {
        follow = 2;
    } else if (first == 0xF0) {
        follow = 3;
        lo = 0x90;
    } else if (first >= 0xF1 && first <= 0xF3) {
        follow = 3;
    } else if (first == 0xF4) {
        follow = 3;
        hi = 0x8F;  // nothing above U+10FFFF
    } else {
        return 1;
    }
    std::size_t length = 1;
    while (length <= follow && length < rest.size()) {
        const auto c = static_cast<unsigned char>(rest[length]);
        if (c < lo || c > hi) break;
        lo = 0x80;
        hi = 0xBF;
        ++length;
    }
    return length;
}

// One iconv descriptor per direction and thread: a descriptor carries conversion state and
// must not be shared, and opening one per call would cost a module look-up every time.
class Descriptor {
public:
    Descriptor(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Descriptor() {
        if (Valid()) iconv_close(cd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    bool Valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t Get() const { return cd_; }

private:
    iconv_t cd_;
};

void Append(std::string& out, std::size_t& used, std::string_view bytes) {
    if (out.size() - used < bytes.size()) out.resize(used + bytes.size() + out.size());
    std::memcpy(out.data() + used, bytes.data(), bytes.size());
    used += bytes.size();
}

// Converts `in`, replacing every sequence iconv rejects with `replacement`; badLength tells
// how many bytes that sequence spans. Without a descriptor (no conversion module on the
// host) ASCII still passes and everything else is replaced.
std::string Convert(const Descriptor& descriptor, std::string_view in, std::size_t expected,
                    std::size_t (*badLength)(std::string_view), std::string_view replacement) {
    std::string out(expected + 16, '\0');
    std::size_t used = 0;
    std::size_t pos = 0;
    if (!descriptor.Valid()) {
        while (pos < in.size()) {
            if (static_cast<unsigned char>(in[pos]) < 0x80) {
                Append(out, used, in.substr(pos, 1));
                ++pos;
            } else {
                Append(out, used, replacement);
                pos += badLength(in.substr(pos));
            }
        }
        out.resize(used);
        return out;
    }

    iconv_t cd = descriptor.Get();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    while (pos < in.size()) {
        char* src = const_cast<char*>(in.data() + pos);
        std::size_t srcLeft = in.size() - pos;
        char* dst = out.data() + used;
        std::size_t dstLeft = out.size() - used;
        const std::size_t result = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        const int error = errno;
        pos = static_cast<std::size_t>(src - in.data());
        used = static_cast<std::size_t>(dst - out.data());
        if (result != static_cast<std::size_t>(-1)) break;
        if (error == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // EILSEQ (bad or unmappable) or EINVAL (cut off at the end): replace and go on.
        Append(out, used, replacement);
        pos += badLength(in.substr(pos));
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
    return out;
}

}  // namespace

std::string Cp932ToUtf8(std::string_view cp932) {
    if (IsAscii(cp932)) return std::string(cp932);
    thread_local const Descriptor descriptor("UTF-8", "CP932");
    // Every CP932 byte becomes at most three UTF-8 bytes (half-width kana, U+FFFD).
    return Convert(descriptor, cp932, cp932.size() * 3, BadCp932Length, kReplacementUtf8);
}

std::string Utf8ToCp932(std::string_view utf8) {
    if (IsAscii(utf8)) return std::string(utf8);
    thread_local const Descriptor descriptor("CP932", "UTF-8");
    // CP932 never needs more bytes than UTF-8 for the same text.
    return Convert(descriptor, utf8, utf8.size(), BadUtf8Length, kReplacementCp932);
}

}  // namespace plat

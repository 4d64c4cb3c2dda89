// The CP932 (Shift-JIS, code page 932) codec used at the edges of the program: glyphs,
// host file names, message boxes and window titles. Game text stays CP932 bytes.
#pragma once

#include <string>
#include <string_view>

namespace plat {

// A byte sequence that is not CP932 becomes U+FFFD, one per bad byte (a lead byte with a
// well-formed trail byte but no character is one bad character, so its trail stays hidden).
std::string Cp932ToUtf8(std::string_view cp932);
// A character that CP932 lacks (or bad UTF-8) becomes '?'.
std::string Utf8ToCp932(std::string_view utf8);

}  // namespace plat

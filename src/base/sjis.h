// Walking Shift-JIS (code page 932) text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// True when p[0] is a lead byte and p[1] a valid trail byte. p[1] must be readable
// (a zero-terminated text always has it).
bool IsSjisDoubleByte(const char* p);
// Characters of a text: a lead byte with a valid trail byte counts once for both, a line
// feed counts nothing, every other byte (a lone lead byte at the end too) counts one.
int CountSjisChars(std::string_view text);
// Cuts a text to at most maxBytes without splitting a double-byte character.
void CutSjis(std::string& text, std::size_t maxBytes);

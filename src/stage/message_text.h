// The variable codes of message texts: "#" with a variable number, "C" (a common variable)
// or "S" (a stage variable) in any order, and after "_" a format of a minimum number of
// digits, "P" (a plus sign) and "Z" (leading zeros). A code that names a variable is replaced
// by its value, a "." right after it going with it; any other code stays as written.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

// Which variables a code names.
enum MessageVarKind : int {
    MESSAGE_VAR_COMMON = 0,
    MESSAGE_VAR_STAGE = 1,
};

// Answers a code: true with the value when variable n of the kind exists.
using MessageVarLookup = std::function<bool(int kind, int n, std::int32_t* value)>;

// Replaces every code of `text` that names an existing variable, in place. Double-byte
// characters are stepped over whole, so a trail byte that looks like "#" starts no code.
void ExpandMessageCodes(std::string& text, const MessageVarLookup& lookup);

// The value as a code shows it: at least `digits` digits, leading zeros turned to spaces
// (but the last digit) unless `zeros`, "-" for a negative value and "+" for another one
// when `plus`.
std::string FormatMessageValue(std::int32_t value, int digits, bool plus, bool zeros);

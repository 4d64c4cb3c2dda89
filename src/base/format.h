// Building texts from printf formats. Texts are CP932 bytes; there is no length limit.
#pragma once

#include <cstdarg>
#include <string>

// Replaces the target's content with the formatted text.
void FormatString(std::string& target, const char* format, ...)
    __attribute__((format(printf, 2, 3)));
void FormatStringV(std::string& target, const char* format, std::va_list args);
// The formatted text as a new string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Appends the formatted text to the target.
void AppendFormat(std::string& target, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

// printf-style text building. Short texts (nearly all: error lines, file names, captions)
// are formatted into a stack buffer, so the target's storage is the only allocation.
// Longer texts are measured first and formatted again into storage of the right size
// instead of being cut.
#include "base/format.h"

#include <cstdio>
#include <utility>

void FormatStringV(std::string& target, const char* format, std::va_list args) {
    char buffer[5120];
    std::va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, measure);
    va_end(measure);
    if (length < 0) {
        target.clear();
        return;
    }
    const auto size = static_cast<std::size_t>(length);
    if (size < sizeof buffer) {
        target.assign(buffer, size);
        return;
    }
    // Formatted into a separate string: an argument may point into the target itself.
    std::string text(size, '\0');
    std::vsnprintf(text.data(), size + 1, format, args);
    target = std::move(text);
}

void FormatString(std::string& target, const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    FormatStringV(target, format, args);
    va_end(args);
}

std::string Format(const char* format, ...) {
    std::string text;
    std::va_list args;
    va_start(args, format);
    FormatStringV(text, format, args);
    va_end(args);
    return text;
}

void AppendFormat(std::string& target, const char* format, ...) {
    std::string text;
    std::va_list args;
    va_start(args, format);
    FormatStringV(text, format, args);
    va_end(args);
    target += text;
}

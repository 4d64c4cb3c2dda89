// Small text helpers of the platform's own readers (the seams, the input script).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace plat {

// A value quoted for an error message: cut after maxChars and with control and non-ASCII
// bytes escaped, so that a hostile value still gives one short printable line.
std::string QuoteForMessage(std::string_view value, std::size_t maxChars);

// A non-negative number, decimal or 0x hex, at most max; nothing else on the text.
std::optional<std::uint64_t> ParseUnsigned(std::string_view text, std::uint64_t max);

}  // namespace plat

// The reader of the input script. The script is written by hand or by a test, so a line
// that is not understood is reported with its number and skipped; the rest still runs.
// The text may be anything (it comes from a file), so every number is range-checked and
// nothing is assumed about the bytes.
#include "platform/script.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "platform/message_box.h"
#include "platform/text_scan.h"

namespace plat {
namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r';
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    return s;
}

// Splits off the next word; an empty result means the line has ended.
std::string_view NextWord(std::string_view& rest) {
    rest = TrimLeft(rest);
    std::size_t n = 0;
    while (n < rest.size() && !IsSpace(rest[n])) ++n;
    std::string_view word = rest.substr(0, n);
    rest.remove_prefix(n);
    return word;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

// Words are quoted in messages, cut and escaped.
std::string Quote(std::string_view word) {
    return QuoteForMessage(word, 40);
}

std::optional<std::uint32_t> ParseNumber(std::string_view s, std::uint32_t max) {
    auto value = ParseUnsigned(s, max);
    if (!value) return std::nullopt;
    return static_cast<std::uint32_t>(*value);
}

struct LineError {
    std::string what;
};

// The words after "key"/"joy" must end the line; a trailing '#' comment is allowed.
bool AtEnd(std::string_view rest) {
    std::string_view word = NextWord(rest);
    return word.empty() || word.front() == '#';
}

std::optional<LineError> ParseKey(std::string_view rest, ScriptInput& in) {
    std::string_view code = NextWord(rest);
    if (code.empty()) return LineError{"'key' needs a key code and 'down' or 'up'"};
    // Virtual-key codes are 1 to 254; 255 is accepted as the table's last slot.
    auto key = ParseNumber(code, 0xFF);
    if (!key || *key == 0) return LineError{"not a key code (1 to 0xFF): " + Quote(code)};
    std::string_view state = NextWord(rest);
    if (EqualsNoCase(state, "down"))
        in.down = true;
    else if (EqualsNoCase(state, "up"))
        in.down = false;
    else
        return LineError{"expected 'down' or 'up' after the key code, not " + Quote(state)};
    if (!AtEnd(rest)) return LineError{"unexpected words after 'key': " + Quote(TrimLeft(rest))};
    in.kind = ScriptInput::Key;
    in.key = *key;
    return std::nullopt;
}

std::optional<LineError> ParseJoy(std::string_view rest, ScriptInput& in) {
    std::string_view number = NextWord(rest);
    // joyGetPosEx knows 16 joysticks.
    auto joy = ParseNumber(number, 15);
    if (!joy) return LineError{"not a joystick number (0 to 15): " + Quote(number)};
    // The three values may come in any order, each once.
    std::optional<std::uint32_t> x, y, buttons;
    for (int i = 0; i < 3; ++i) {
        std::string_view name = NextWord(rest);
        std::string_view value = NextWord(rest);
        std::optional<std::uint32_t>* slot = nullptr;
        std::uint32_t max = 0xFFFF;
        if (EqualsNoCase(name, "x")) {
            slot = &x;
        } else if (EqualsNoCase(name, "y")) {
            slot = &y;
        } else if (EqualsNoCase(name, "buttons")) {
            slot = &buttons;
            max = 0xFFFFFFFFu;
        } else {
            return LineError{"'joy' needs 'x X y Y buttons B', not " + Quote(name)};
        }
        if (slot->has_value()) return LineError{"'joy' names " + Quote(name) + " twice"};
        *slot = ParseNumber(value, max);
        if (!slot->has_value())
            return LineError{"not a value for " + Quote(name) + " (0 to " + std::to_string(max) +
                             "): " + Quote(value)};
    }
    if (!AtEnd(rest)) return LineError{"unexpected words after 'joy': " + Quote(TrimLeft(rest))};
    in.kind = ScriptInput::Joy;
    in.joy = static_cast<int>(*joy);
    in.x = *x;
    in.y = *y;
    in.buttons = *buttons;
    return std::nullopt;
}

std::optional<LineError> ParseWindowAction(std::string_view command, std::string_view rest,
                                           ScriptInput& in) {
    if (!AtEnd(rest))
        return LineError{"unexpected words after " + Quote(command) + ": " + Quote(TrimLeft(rest))};
    in.kind = EqualsNoCase(command, "close") ? ScriptInput::Close : ScriptInput::Minimize;
    return std::nullopt;
}

// A screen coordinate: a window may stand partly or wholly off the screen.
std::optional<int> ParseCoordinate(std::string_view s) {
    constexpr std::uint32_t kLimit = 100000;
    const bool negative = !s.empty() && s.front() == '-';
    if (negative) s.remove_prefix(1);
    auto value = ParseNumber(s, kLimit);
    if (!value) return std::nullopt;
    return negative ? -static_cast<int>(*value) : static_cast<int>(*value);
}

std::optional<LineError> ParseMove(std::string_view rest, ScriptInput& in) {
    std::string_view xs = NextWord(rest);
    std::string_view ys = NextWord(rest);
    auto x = ParseCoordinate(xs);
    auto y = ParseCoordinate(ys);
    if (!x || !y)
        return LineError{"'move' needs X and Y (-100000 to 100000), not " + Quote(xs) + " " +
                         Quote(ys)};
    if (!AtEnd(rest)) return LineError{"unexpected words after 'move': " + Quote(TrimLeft(rest))};
    in.kind = ScriptInput::Move;
    in.moveX = *x;
    in.moveY = *y;
    return std::nullopt;
}

std::optional<LineError> ParseFrameLine(std::string_view at, std::string_view rest, Script& out) {
    ScriptInput in;
    auto frame = ParseNumber(at.substr(1), 0x7FFFFFFF);
    if (!frame || *frame == 0) return LineError{"not a frame number (1 or more): " + Quote(at)};
    in.frame = static_cast<int>(*frame);
    std::string_view command = NextWord(rest);
    std::optional<LineError> error;
    if (EqualsNoCase(command, "key"))
        error = ParseKey(rest, in);
    else if (EqualsNoCase(command, "joy"))
        error = ParseJoy(rest, in);
    else if (EqualsNoCase(command, "close") || EqualsNoCase(command, "minimize"))
        error = ParseWindowAction(command, rest, in);
    else if (EqualsNoCase(command, "move"))
        error = ParseMove(rest, in);
    else
        return LineError{
            "expected 'key', 'joy', 'close', 'move' or 'minimize' after the frame, "
            "not " +
            Quote(command)};
    if (!error) out.inputs.push_back(in);
    return error;
}

std::optional<LineError> ParseBox(std::string_view rest, Script& out) {
    std::string_view answer = NextWord(rest);
    int id = 0;
    if (EqualsNoCase(answer, "yes"))
        id = IDYES;
    else if (EqualsNoCase(answer, "no"))
        id = IDNO;
    else if (EqualsNoCase(answer, "ok"))
        id = IDOK;
    else if (EqualsNoCase(answer, "cancel"))
        id = IDCANCEL;
    else
        return LineError{"expected 'yes', 'no', 'ok' or 'cancel' after 'box', not " +
                         Quote(answer)};
    if (!AtEnd(rest)) return LineError{"unexpected words after 'box': " + Quote(TrimLeft(rest))};
    out.boxAnswers.push_back(id);
    return std::nullopt;
}

std::optional<LineError> ParseLine(std::string_view line, Script& out) {
    std::string_view rest = line;
    std::string_view first = NextWord(rest);
    if (first.empty() || first.front() == '#') return std::nullopt;
    if (first.front() == '@') return ParseFrameLine(first, rest, out);
    if (EqualsNoCase(first, "box")) return ParseBox(rest, out);
    if (EqualsNoCase(first, "dialog")) {
        // The answer is the rest of the line as written (a file name may hold spaces,
        // even at its end); only the spaces that separate it from the word are dropped.
        out.dialogAnswers.emplace_back(TrimLeft(rest));
        return std::nullopt;
    }
    return LineError{"unknown command " + Quote(first)};
}

}  // namespace

Script ParseScript(std::string_view text) {
    Script out;
    std::size_t lineNumber = 0;
    while (!text.empty()) {
        ++lineNumber;
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (auto error = ParseLine(line, out))
            out.errors.push_back("line " + std::to_string(lineNumber) + ": " + error->what);
    }
    std::stable_sort(out.inputs.begin(), out.inputs.end(),
                     [](const ScriptInput& a, const ScriptInput& b) { return a.frame < b.frame; });
    return out;
}

}  // namespace plat

#include "base/format.h"

#include <gtest/gtest.h>

#include <string>

#include "base/sjis.h"

namespace {

TEST(SourceCharset, JapaneseLiteralIsCp932) {
    EXPECT_EQ(std::string("表"), std::string("\x95\x5C"));
    EXPECT_EQ(std::string("ｱ"), std::string("\xB1"));
}

TEST(FormatString, ReplacesTheTarget) {
    std::string text = "previous content";
    FormatString(text, "no conversions \x95\x5C");
    EXPECT_EQ(text, "no conversions \x95\x5C");

    FormatString(text, "err V[%d] ( %d , %d )", 3, -1, 20);
    EXPECT_EQ(text, "err V[3] ( -1 , 20 )");

    FormatString(text, "%s", "");
    EXPECT_TRUE(text.empty());

    // The argument's percent sign is text, not a conversion.
    FormatString(text, "[%s]", "100%d%s");
    EXPECT_EQ(text, "[100%d%s]");
    EXPECT_EQ(Format("%s:%05.1f", "\x95\x5C", 2.5), "\x95\x5C:002.5");
}

TEST(FormatString, LongResultIsComplete) {
    for (std::size_t length : {5119u, 5120u, 5121u, 100000u}) {
        std::string arg(length - 2, 'x');
        arg.back() = 'y';
        std::string text = "old";
        FormatString(text, "<%s>", arg.c_str());
        ASSERT_EQ(text.size(), length);
        EXPECT_EQ(text, "<" + arg + ">");
        EXPECT_EQ(Format("<%s>", arg.c_str()), text);
    }
}

TEST(FormatString, ArgumentMayBeTheTargetItself) {
    for (std::size_t length : {10u, 4000u}) {
        std::string text(length, 'a');
        const std::string expected = text + "-" + text;
        FormatString(text, "%s-%s", text.c_str(), text.c_str());
        EXPECT_EQ(text, expected);
    }
}

TEST(Sjis, IsSjisDoubleByteChecksLeadAndTrail) {
    struct Case {
        const char* bytes;
        bool expected;
    } cases[] = {
        {"\x81\x40", true},  {"\x9F\xFC", true},  {"\xE0\x7E", true},  {"\xFC\x80", true},
        {"\x95\x5C", true},  {"\x80\x40", false}, {"\xA0\x40", false}, {"\xDF\x40", false},
        {"\xFD\x40", false}, {"\x81\x3F", false}, {"\x81\x7F", false}, {"\x81\xFD", false},
        {"\x81", false},     {"\x81\n", false},   {"A\x40", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsSjisDoubleByte(c.bytes), c.expected)
            << testing::PrintToString(std::string(c.bytes));
    }
}

TEST(Sjis, CountSjisChars) {
    struct Case {
        std::string text;
        int expected;
    } cases[] = {
        {"", 0},
        {"abc", 3},
        {"\x95\x5C\x83\x5C", 2},
        {"a\nb\n", 2},
        {"\x95\x5C\n\x95", 2},  // the lone lead byte at the end counts one
        {"\x81\x20", 2},        // a bad trail byte: two characters
        {"\x95\n", 1},          // a line feed is never a trail byte
        {"\xB1\xB2", 2},        // half-width kana are single bytes
        {"\x81\x81\x81", 2},    // a lead byte can be a trail byte
    };
    for (const auto& c : cases)
        EXPECT_EQ(CountSjisChars(c.text), c.expected) << testing::PrintToString(c.text);
}

TEST(Sjis, CutSjisKeepsWholeCharacters) {
    struct Case {
        std::string text;
        std::size_t maxBytes;
        std::string expected;
    } cases[] = {
        {"a\x95\x5C"
         "b",
         2, "a"},
        {"a\x95\x5C"
         "b",
         3, "a\x95\x5C"},
        {"a\x95\x5C"
         "b",
         10,
         "a\x95\x5C"
         "b"},
        {"\x95\x5C", 1, ""},
        {"\x81\x81\x81\x81", 3, "\x81\x81"},  // pairs are found from the start
        {"ab\x95", 2, "ab"},
        {"abc", 0, ""},
    };
    for (auto& c : cases) {
        std::string text = c.text;
        CutSjis(text, c.maxBytes);
        EXPECT_EQ(text, c.expected) << testing::PrintToString(c.text) << " " << c.maxBytes;
    }
}

}  // namespace

// The variable codes of message texts: the documented examples, codes that name nothing,
// saturating numbers, the format part, and double-byte text around the codes.
#include "stage/message_text.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <string>

namespace {

struct Vars {
    std::int32_t common1 = 5;
    std::int32_t common2 = 0;
    std::int32_t stage7 = 42;
};

std::string Expand(std::string text, const Vars& v) {
    ExpandMessageCodes(text, [&](int kind, int n, std::int32_t* value) {
        if (kind == MESSAGE_VAR_COMMON && n == 1) return *value = v.common1, true;
        if (kind == MESSAGE_VAR_COMMON && n == 2) return *value = v.common2, true;
        if (kind == MESSAGE_VAR_STAGE && n == 7) return *value = v.stage7, true;
        // Stage variables stop at 254 in the scene, so #S255 names none.
        if (kind == MESSAGE_VAR_STAGE && n == 255) return false;
        if (n >= 1 && n <= 255) return *value = 1000 + n, true;
        ADD_FAILURE() << "asked for variable " << n;
        return false;
    });
    return text;
}

TEST(MessageText, CodesAndTheirFormats) {
    struct Case {
        const char* text;
        std::int32_t common1;
        const char* want;
    };
    const Case cases[] = {
        {"#C1", 5, "5"},
        {"#C1_3", 5, "  5"},
        {"#C1_3Z", 5, "005"},
        {"#C1_3P", 5, "+  5"},
        {"#C1_3", -5, "-  5"},
        {"#C1_3Z", -5, "-005"},
        {"#C1_3PZ", 0, "+000"},
        {"#C1.", 5, "5"},  // a full stop ends the code and goes with it
        {"#C1..", 5, "5."},
        {"#X", 5, "#X"},  // no variable letter
        {"#C", 5, "#C"},  // no number
        {"#5", 5, "#5"},
        {"#1c", 5, "5"},  // letters and digits in any order
        {"#s7", 5, "42"},
        {"#C7S", 5, "1007"},     // both letters: the common variable
        {"#C1_35", 5, "    5"},  // the last digit of the format counts
        {"#C1_3C", 5, "  5C"},   // after "_" a letter other than P and Z ends the code
        {"#C1_3_", 5, "  5_"},
        {"#C0", 5, "#C0"},  // numbers outside 1-255 name nothing
        {"#C256", 5, "#C256"},
        {"#C99999999999", 5, "#C99999999999"},  // saturates, never wraps into range
        {"#S255", 5, "#S255"},                  // a stage variable that does not exist
        {"a#C1b#C2-c", 5, "a5b0-c"},
        {"#C2c", 5, "0"},  // a letter after the number still belongs to the code
        {"##C1", 5, "#5"},
        {"#C1", INT32_MIN, "-2147483648"},
        {"#C1_9P", INT32_MAX, "+2147483647"},
        {"#C1_9", -7, "-        7"},
        {"", 5, ""},
        {"#", 5, "#"},
    };
    for (const Case& c : cases) {
        Vars v;
        v.common1 = c.common1;
        EXPECT_EQ(Expand(c.text, v), c.want) << c.text;
    }
}

TEST(MessageText, DoubleByteTextIsSteppedOverWhole) {
    Vars v;
    // 「値」 then a code: the code after double-byte text is read.
    EXPECT_EQ(Expand("\x81\x75\x92\x6c\x81\x76#C1_3Z", v),
              "\x81\x75\x92\x6c\x81\x76"
              "005");
    // A trail byte of 0x23 is not "#": 0x81 0x23 is no valid pair, so # starts a code here,
    // but a pair whose trail byte is in range hides nothing.
    EXPECT_EQ(Expand("\x81#C1", v),
              "\x81"
              "5");
    EXPECT_EQ(Expand(std::string("\x83\x40#C1"), v),
              "\x83\x40"
              "5");
    // A lead byte at the very end stands alone; nothing is read past it.
    EXPECT_EQ(Expand("#C1\x81", v), "5\x81");
    EXPECT_EQ(Expand("\x81", v), "\x81");
    // Text that is only double-byte stays as it is.
    EXPECT_EQ(Expand("\x82\xa0\x82\xa2", v), "\x82\xa0\x82\xa2");
}

TEST(MessageText, ValueFormat) {
    EXPECT_EQ(FormatMessageValue(0, 0, false, false), "0");
    EXPECT_EQ(FormatMessageValue(0, 3, false, false), "  0");
    EXPECT_EQ(FormatMessageValue(120, 5, false, true), "00120");
    EXPECT_EQ(FormatMessageValue(-120, 2, true, false), "-120");
}

}  // namespace

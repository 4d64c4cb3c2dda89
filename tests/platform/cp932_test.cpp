#include "platform/cp932.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

// UTF-8 expectations are written as u8 literals, which keep UTF-8 whatever the execution
// character set is.
std::string Utf8(std::u8string_view text) {
    return std::string(text.begin(), text.end());
}

const std::string kFffd = Utf8(u8"\uFFFD");

struct DecodeCase {
    const char* name;
    std::string cp932;
    std::string utf8;
};

// Failures name the case instead of dumping the structure's bytes.
void PrintTo(const DecodeCase& c, std::ostream* os) {
    *os << c.name;
}

class Cp932Decode : public testing::TestWithParam<DecodeCase> {};

TEST_P(Cp932Decode, MapsEdgeBytes) {
    EXPECT_EQ(plat::Cp932ToUtf8(GetParam().cp932), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    EdgeBytes, Cp932Decode,
    testing::Values(
        DecodeCase{"BackslashStaysBackslash",
                   "a\x5C"
                   "b",
                   "a\\b"},
        DecodeCase{"TildeStaysTilde", "\x7E", "~"},
        DecodeCase{"WaveDashIsFullwidthTilde", "\x81\x60", Utf8(u8"\uFF5E")},
        DecodeCase{"NecRow13CircledOne", "\x87\x40", Utf8(u8"\u2460")},
        DecodeCase{"IbmExtensionSmallRomanOne", "\xFA\x40", Utf8(u8"\u2170")},
        DecodeCase{"TrailByte5CIsPartOfTheCharacter", "\x95\x5C.txt", Utf8(u8"\u8868.txt")},
        DecodeCase{"HalfwidthKatakana", "\xB1", Utf8(u8"\uFF71")},
        DecodeCase{"LoneLeadByteAtTheEnd", "ab\x81", "ab" + kFffd},
        DecodeCase{"LeadByteWithBadTrailResumesAtTrail", "\x81\x20x", kFffd + " x"},
        DecodeCase{"LeadByteBeforeNewline", "\x95\n", kFffd + "\n"},
        DecodeCase{"UnassignedPairIsOneCharacter",
                   "\x85\x5C"
                   "a",
                   kFffd + "a"},
        DecodeCase{"UndefinedSingleBytes", "\x80\xA0\xFD\xFF", kFffd + kFffd + kFffd + kFffd},
        DecodeCase{"EmbeddedZeroIsKept", std::string("a\0b", 3), std::string("a\0b", 3)}),
    [](const testing::TestParamInfo<DecodeCase>& info) { return std::string(info.param.name); });

struct EncodeCase {
    const char* name;
    std::string utf8;
    std::string cp932;
};

void PrintTo(const EncodeCase& c, std::ostream* os) {
    *os << c.name;
}

class Cp932Encode : public testing::TestWithParam<EncodeCase> {};

TEST_P(Cp932Encode, ReplacesWhatCp932Lacks) {
    EXPECT_EQ(plat::Utf8ToCp932(GetParam().utf8), GetParam().cp932);
}

INSTANTIATE_TEST_SUITE_P(
    Replacements, Cp932Encode,
    testing::Values(EncodeCase{"BackslashStaysBackslash", "a\\b",
                               "a\x5C"
                               "b"},
                    EncodeCase{"Kanji", Utf8(u8"\u8868"), "\x95\x5C"},
                    EncodeCase{"AccentedLetter", Utf8(u8"caf\u00E9"), "caf?"},
                    EncodeCase{"CharacterOutsideTheBmp", Utf8(u8"a\U0001F600b"), "a?b"},
                    EncodeCase{"StrayContinuationByte",
                               "a\x80"
                               "b",
                               "a?b"},
                    EncodeCase{"CutOffCharacterIsOneMark", "a\xE3\x81", "a?"},
                    EncodeCase{"CutOffCharacterBeforeAscii",
                               "\xE3\x81"
                               "b",
                               "?b"},
                    EncodeCase{"OverlongSlash", "\xC0\xAF", "??"},
                    EncodeCase{"EncodedSurrogate", "\xED\xA0\x80", "???"},
                    EncodeCase{"InvalidByteBetweenKanji",
                               Utf8(u8"\u8868") + "\xFF" + Utf8(u8"\u8868"), "\x95\x5C?\x95\x5C"}),
    [](const testing::TestParamInfo<EncodeCase>& info) { return std::string(info.param.name); });

TEST(Cp932, JapaneseSentenceRoundTrips) {
    // The literal is converted to CP932 by the compiler.
    const std::string cp932 = "表示テスト：ファイル「ｾｰﾌﾞ」を開けません。①ⅰ～\\end";
    const std::string utf8 = Utf8(u8"表示テスト：ファイル「ｾｰﾌﾞ」を開けません。①ⅰ～\\end");
    ASSERT_EQ(cp932.substr(0, 2), "\x95\x5C");
    EXPECT_EQ(plat::Cp932ToUtf8(cp932), utf8);
    EXPECT_EQ(plat::Utf8ToCp932(utf8), cp932);
}

TEST(Cp932, LongTextIsConvertedWhole) {
    std::string cp932;
    std::string utf8;
    for (int i = 0; i < 5000; ++i) {
        cp932 +=
            "\xB1\x95\x5C"
            "a";
        utf8 += Utf8(u8"\uFF71\u8868a");
    }
    EXPECT_EQ(plat::Cp932ToUtf8(cp932), utf8);
    EXPECT_EQ(plat::Utf8ToCp932(utf8), cp932);
}

TEST(Cp932, ThreadsConvertAtTheSameTime) {
    const std::string cp932 =
        "\x95\x5C\x87\x40"
        "abc\x81";
    const std::string utf8 = Utf8(u8"\u8868\u2460abc") + kFffd;
    std::vector<std::thread> threads;
    std::vector<int> failures(8, 0);
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < 2000; ++i) {
                if (plat::Cp932ToUtf8(cp932) != utf8) ++failures[t];
                if (plat::Utf8ToCp932(utf8) !=
                    "\x95\x5C\x87\x40"
                    "abc?")
                    ++failures[t];
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures, std::vector<int>(8, 0));
}

}  // namespace

// The player's options: defaults, the documented file, partial files, the missing file, and
// the clamped readings of values outside the option scene's ranges.
#include "data/option_record.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "database_fixture.h"
#include "support/byte_builder.h"

namespace {

using database_test::DatabaseFixture;

ByteBuilder OptionBytes(std::uint32_t fields) {
    ByteBuilder b;
    b.U32(747).U32(fields);
    const std::int32_t values[4] = {13, 0, 2, 3};
    for (std::uint32_t i = 0; i < fields; ++i) b.I32(values[i]);
    b.U32(1).Str("KES");
    return b;
}

class OptionFile : public DatabaseFixture {};

TEST_F(OptionFile, DefaultsAndTheirDocumentedBytes) {
    OptionData option;
    EXPECT_EQ(option.nPaletteNo, 0);
    EXPECT_EQ(option.bBgmOn, 1);
    EXPECT_EQ(option.nSeVolume, 7);
    EXPECT_EQ(option.nRankingMode, 0);
    EXPECT_EQ(option.strRankingName, "aaa");
    EXPECT_EQ(option.SaveToBytes(),
              ByteBuilder().U32(747).U32(4).I32(0).I32(1).I32(7).I32(0).U32(1).Str("aaa").bytes);
}

TEST_F(OptionFile, FieldCountDecidesWhatIsRead) {
    struct Case {
        std::uint32_t fields;
        std::int32_t palette, bgm, volume, mode;
    } cases[] = {{4, 13, 0, 2, 3}, {2, 13, 0, 7, 0}, {0, 0, 1, 7, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fields);
        OptionData option;
        RecordReader reader = RecordReader::FromBytes(OptionBytes(c.fields).bytes);
        option.Load(reader);
        EXPECT_FALSE(reader.StoppedEarly());
        EXPECT_EQ(option.nPaletteNo, c.palette);
        EXPECT_EQ(option.bBgmOn, c.bgm);
        EXPECT_EQ(option.nSeVolume, c.volume);
        EXPECT_EQ(option.nRankingMode, c.mode);
        EXPECT_EQ(option.strRankingName, "KES");
        if (c.fields == 4) {
            EXPECT_EQ(option.SaveToBytes(), OptionBytes(4).bytes);
        }
    }
}

TEST_F(OptionFile, MissingFileKeepsTheDefaultsSilentlyAndSavedOptionsComeBack) {
    LoadOption();
    EXPECT_EQ(Option.nSeVolume, 7);
    EXPECT_EQ(Option.strRankingName, "aaa");
    EXPECT_TRUE(plat::ShownBoxes().empty());
    EXPECT_EQ(PumpCloses(), 0);

    std::filesystem::create_directory("user_data");
    Option.nPaletteNo = 5;
    Option.bBgmOn = 0;
    Option.strRankingName = "\x83\x41";  // "ア"
    SaveOption();
    EXPECT_EQ(database_test::ReadText("user_data/Option.dat").size(), 4u + 4 + 16 + 4 + 4 + 3);
    Option = OptionData();
    LoadOption();
    EXPECT_EQ(Option.nPaletteNo, 5);
    EXPECT_EQ(Option.bBgmOn, 0);
    EXPECT_EQ(Option.nSeVolume, 7);
    EXPECT_EQ(Option.strRankingName, "\x83\x41");
}

TEST_F(OptionFile, ValuesStayAsLoadedAndAreClampedWhereTheySelect) {
    struct Case {
        std::int32_t stored;
        int volume, palette;
    } cases[] = {{-5, 0, 0},   {0, 0, 0},    {7, 7, 7},         {10, 10, 10},       {11, 10, 11},
                 {23, 10, 23}, {24, 10, 23}, {INT32_MIN, 0, 0}, {INT32_MAX, 10, 23}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        auto b = ByteBuilder().U32(747).U32(4).I32(c.stored).I32(1).I32(c.stored).I32(0);
        b.U32(1).Str("a");
        OptionData option;
        RecordReader reader = RecordReader::FromBytes(b.bytes);
        option.Load(reader);
        EXPECT_EQ(option.nSeVolume, c.stored);
        EXPECT_EQ(option.nPaletteNo, c.stored);
        EXPECT_EQ(option.SeVolumeStep(), c.volume);
        EXPECT_EQ(option.PaletteNumber(), c.palette);
    }
}

}  // namespace

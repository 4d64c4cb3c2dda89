// The stage's sub-records, pinned by bytes built from the documented layouts at each of
// their versions, and the game-speed constants of the hit-detection levels.
#include "data/stage_sub_records.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "support/byte_builder.h"

namespace {

template <class T>
void LoadFrom(T& record, const std::vector<std::uint8_t>& bytes, bool* stopped = nullptr) {
    RecordReader reader = RecordReader::FromBytes(bytes);
    ASSERT_TRUE(reader.Ok());
    record.Load(reader);
    if (stopped) *stopped = reader.StoppedEarly();
}

TEST(AreaLimit, EightValuesFromVersion125AndFiveBefore) {
    cEdAreaLimit limit;
    limit.Set(1, 0, 1, 0, 3, 4, 5, 6);
    const std::vector<std::uint8_t> current = ByteBuilder()
                                                  .U32(747)
                                                  .U32(8)
                                                  .I32(1)
                                                  .I32(0)
                                                  .I32(1)
                                                  .I32(0)
                                                  .I32(3)
                                                  .I32(4)
                                                  .I32(5)
                                                  .I32(6)
                                                  .U32(0)
                                                  .bytes;
    EXPECT_EQ(limit.SaveToBytes(), current);

    struct Case {
        std::uint32_t version;
        std::vector<std::uint8_t> bytes;
        std::int32_t right, top, bottom;  // the record holds 7, 8, 9 before the load
    } cases[] = {
        {124, ByteBuilder().U32(124).U32(5).I32(1).I32(11).I32(12).I32(13).I32(14).U32(0).bytes, 7,
         8, 9},
        {125,
         ByteBuilder()
             .U32(125)
             .U32(8)
             .I32(1)
             .I32(0)
             .I32(1)
             .I32(1)
             .I32(11)
             .I32(12)
             .I32(13)
             .I32(14)
             .U32(0)
             .bytes,
         0, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        cEdAreaLimit loaded;
        loaded.Set(0, 7, 8, 9, 0, 0, 0, 0);
        bool stopped = true;
        LoadFrom(loaded, c.bytes, &stopped);
        EXPECT_FALSE(stopped);
        EXPECT_EQ(loaded.bLeftOn, 1);
        EXPECT_EQ(loaded.bRightOn, c.right);
        EXPECT_EQ(loaded.bTopOn, c.top);
        EXPECT_EQ(loaded.bBottomOn, c.bottom);
        EXPECT_EQ(loaded.nLeftMargin, 11);
        EXPECT_EQ(loaded.nRightMargin, 12);
        EXPECT_EQ(loaded.nTopMargin, 13);
        EXPECT_EQ(loaded.nBottomMargin, 14);
        // An old layout written by a test writer of that version gives the same bytes.
        EXPECT_EQ(loaded.SaveToBytes(RecordWriter::ForOldVersion(c.version)), c.bytes);
    }
}

TEST(AreaLimit, TheFiveDefaultsOfAStageAndWhichApply) {
    cEdAreaLimit limits[AREA_LIMIT_COUNT];
    limits[AREA_ITEM].Set(1, 1, 1, 1, 1, 1, 1, 1);
    SetDefaultAreaLimits(limits);
    ByteBuilder expected;
    for (int i = 0; i < AREA_LIMIT_COUNT; ++i) {
        expected.U32(747).U32(8);
        const std::int32_t on = i >= AREA_PLAYER_SHOT ? 1 : 0;
        const std::int32_t margin = i == AREA_COMPUTER_SHOT ? 10 : 0;
        expected.I32(on).I32(on).I32(on).I32(on);
        expected.I32(margin).I32(margin).I32(margin).I32(margin).U32(0);
    }
    ByteBuilder actual;
    for (cEdAreaLimit& limit : limits) actual.Bytes(limit.SaveToBytes());
    EXPECT_EQ(actual.bytes, expected.bytes);

    EXPECT_FALSE(limits[AREA_CHARA].Applies());
    EXPECT_TRUE(limits[AREA_PLAYER_SHOT].Applies());
    cEdAreaLimit bottomOnly;
    bottomOnly.Set(0, 0, 0, 1, 0, 0, 0, 0);
    EXPECT_TRUE(bottomOnly.Applies());

    cEdAreaLimit copy;
    copy = limits[AREA_COMPUTER_SHOT];
    EXPECT_EQ(copy.SaveToBytes(), limits[AREA_COMPUTER_SHOT].SaveToBytes());
}

// The three layouts of a background: 62 and later, 61, and 60 and earlier.
TEST(Background, TheThreeLayoutsLoadIntoADefaultBackground) {
    struct Case {
        std::uint32_t version;
        std::vector<std::uint8_t> bytes;
        std::int32_t shown;
        double rateX, rateY;
        std::int32_t autoX, autoY;
        double offsetX, offsetY;
    } cases[] = {
        {747,
         ByteBuilder()
             .U32(747)
             .U32(10)
             .I32(0)
             .I32(1)
             .I32(33)
             .I32(2)
             .F64(0.5)
             .F64(-2.25)
             .I32(1)
             .I32(1)
             .F64(12.5)
             .F64(3.0)
             .U32(1)
             .Str("bmp\\sky.bmp")
             .bytes,
         0, 0.5, -2.25, 1, 1, 12.5, 3.0},
        {62,
         ByteBuilder()
             .U32(62)
             .U32(10)
             .I32(1)
             .I32(1)
             .I32(33)
             .I32(2)
             .F64(1.5)
             .F64(0.0)
             .I32(0)
             .I32(1)
             .F64(-1.0)
             .F64(0.0)
             .U32(1)
             .Str("bmp\\sky.bmp")
             .bytes,
         1, 1.5, 0.0, 0, 1, -1.0, 0.0},
        {61,
         ByteBuilder()
             .U32(61)
             .U32(9)
             .I32(1)
             .I32(33)
             .I32(2)
             .F64(0.5)
             .F64(-2.25)
             .I32(1)
             .I32(0)
             .I32(-1)
             .I32(-1)
             .U32(1)
             .Str("bmp\\sky.bmp")
             .bytes,
         1, 0.5, -2.25, 1, 0, 0.0, 0.0},
        {60,
         ByteBuilder()
             .U32(60)
             .U32(5)
             .I32(1)
             .I32(33)
             .I32(2)
             .I32(77)
             .I32(88)
             .U32(1)
             .Str("bmp\\sky.bmp")
             .bytes,
         1, 0.1, 0.1, 0, 0, 0.0, 0.0},
        {10,
         ByteBuilder()
             .U32(10)
             .U32(5)
             .I32(1)
             .I32(33)
             .I32(2)
             .I32(0)
             .I32(0)
             .U32(1)
             .Str("bmp\\sky.bmp")
             .bytes,
         1, 0.1, 0.1, 0, 0, 0.0, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        cEdBackground background;
        bool stopped = true;
        LoadFrom(background, c.bytes, &stopped);
        EXPECT_FALSE(stopped);
        EXPECT_EQ(background.bShown, c.shown);
        EXPECT_EQ(background.bPlainColour, 1);
        EXPECT_EQ(background.nColour, 33);
        EXPECT_EQ(background.nLayer, 2);
        EXPECT_EQ(background.dRateX, c.rateX);
        EXPECT_EQ(background.dRateY, c.rateY);
        EXPECT_EQ(background.bAutoScrollX, c.autoX);
        EXPECT_EQ(background.bAutoScrollY, c.autoY);
        EXPECT_EQ(background.dOffsetX, c.offsetX);
        EXPECT_EQ(background.dOffsetY, c.offsetY);
        EXPECT_EQ(background.strImage, "bmp\\sky.bmp");
        // Written again in the current layout: ten fields, 56 bytes of them.
        const std::vector<std::uint8_t> saved = background.SaveToBytes();
        ByteBuilder expected;
        expected.U32(747).U32(10).I32(c.shown).I32(1).I32(33).I32(2).F64(c.rateX).F64(c.rateY);
        expected.I32(c.autoX).I32(c.autoY).F64(c.offsetX).F64(c.offsetY);
        expected.U32(1).Str("bmp\\sky.bmp");
        EXPECT_EQ(saved, expected.bytes);
        EXPECT_EQ(saved.size(), 4u + 4 + 56 + 4 + 4 + 12);
    }
}

TEST(Background, DefaultsAsAListElementAndOldLayoutsWrittenBack) {
    cEdBackground background;
    EXPECT_EQ(background.SaveToBytes(), ByteBuilder()
                                            .U32(747)
                                            .U32(10)
                                            .I32(1)
                                            .I32(0)
                                            .I32(16)
                                            .I32(0)
                                            .F64(0.1)
                                            .F64(0.1)
                                            .I32(0)
                                            .I32(0)
                                            .F64(0)
                                            .F64(0)
                                            .U32(1)
                                            .Str("")
                                            .bytes);

    // The list reader builds its elements as the class defaults.
    ByteBuilder list;
    list.U32(2);
    list.U32(5).I32(0).I32(9).I32(1).I32(0).I32(0).U32(1).Str("a.bmp");
    list.U32(5).I32(1).I32(4).I32(0).I32(0).I32(0).U32(1).Str("b.bmp");
    RecordReader reader(list.bytes, 60);
    CheckedVector<cEdBackground> backgrounds(5);
    backgrounds[1].dRateX = 9.0;
    LoadRecordList(reader, backgrounds);
    EXPECT_FALSE(reader.StoppedEarly());
    ASSERT_EQ(backgrounds.Size(), 2u);
    EXPECT_EQ(backgrounds[1].dRateX, 0.1);
    EXPECT_EQ(backgrounds[1].bShown, 1);
    EXPECT_EQ(backgrounds[1].bPlainColour, 1);
    EXPECT_EQ(backgrounds[0].nColour, 9);
    EXPECT_EQ(backgrounds[0].strImage, "a.bmp");

    // Test writers of the old layouts: the dropped values are written as the last one read.
    EXPECT_EQ(
        backgrounds[1].SaveToBytes(RecordWriter::ForOldVersion(60)),
        ByteBuilder().U32(60).U32(5).I32(1).I32(4).I32(0).I32(0).I32(0).U32(1).Str("b.bmp").bytes);
    cEdBackground copy;
    copy = backgrounds[0];
    EXPECT_EQ(copy.SaveToBytes(), backgrounds[0].SaveToBytes());
}

TEST(StageString, OneTextWithoutCarriageReturns) {
    cEdStageString text;
    text.strText = "hello";
    EXPECT_EQ(text.SaveToBytes(), ByteBuilder().U32(747).U32(0).U32(1).Str("hello").bytes);
    cEdStageString loaded;
    LoadFrom(loaded, ByteBuilder().U32(747).U32(0).U32(1).Str("a\r\nb").bytes);
    EXPECT_EQ(loaded.strText, "a\nb");
    cEdStageString copy;
    copy = loaded;
    EXPECT_EQ(copy.SaveToBytes(), loaded.SaveToBytes());
}

TEST(GameSpeed, TheConstantsOfEachLevel) {
    const double g = 0.4;
    struct Case {
        std::int32_t level;
        std::int32_t b, b6;
        double bSq, limit, stepLimit, stepGravity;
        std::int32_t b8;
    } cases[] = {
        {1, 1, 6, 1, 6, 6, 0.4, 8},
        {10, 10, 60, 100, 60, 6, 0.4 / 100.0, 80},
        {11, 1, 6, 1, 60, 60, 0.4, 8},
        {15, 5, 30, 25, 60, 12, 0.4 / 25.0, 40},
        {19, 9, 54, 81, 60, 60.0 / 9.0, 0.4 / 81.0, 72},
        {20, 20, 120, 400, 120, 6, 0.4 / 400.0, 160},
        {25, 25, 150, 625, 150, 6, 0.4 / 625.0, 200},
        // Below level 1 nothing is divided by b: what would be is 0.
        {0, 0, 0, 0, 0, 0, 0, 0},
        {-3, -3, -18, 9, -18, 0, 0, -24},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.level);
        std::int32_t level = 99;
        GameSpeedConstants speed;
        SetGameSpeed(c.level, g, level, speed);
        EXPECT_EQ(level, c.level);
        EXPECT_EQ(speed.nSubSteps, c.b);
        EXPECT_EQ(speed.nSubSteps6, c.b6);
        EXPECT_EQ(speed.dSubSteps, c.b);
        EXPECT_DOUBLE_EQ(speed.dSubStepsSq, c.bSq);
        EXPECT_DOUBLE_EQ(speed.dSpeedLimit, c.limit);
        EXPECT_DOUBLE_EQ(speed.dStepSpeedLimit, c.stepLimit);
        EXPECT_DOUBLE_EQ(speed.dStepGravity, c.stepGravity);
        EXPECT_EQ(speed.nSubSteps8, c.b8);
        EXPECT_EQ(speed.RunsSubSteps(), c.b > 0);
        EXPECT_DOUBLE_EQ(speed.PerSubStep(30.0), c.b > 0 ? 30.0 / c.b : 0.0);
        EXPECT_DOUBLE_EQ(speed.PerSubStepSq(2.0), c.b > 0 ? 2.0 / (c.b * c.b) : 0.0);
    }
    // Against the literal rather than a quotient computed like the table's: level 10 runs 10
    // sub-steps and gravity is divided by their square, so 0.4 gives 0.004 per sub-step.
    std::int32_t level = 0;
    GameSpeedConstants speed;
    SetGameSpeed(10, 0.4, level, speed);
    EXPECT_DOUBLE_EQ(speed.dStepGravity, 0.004);
    // Levels no editor writes stay defined: the stored products wrap.
    SetGameSpeed(INT32_MAX, 0.4, level, speed);
    EXPECT_EQ(speed.nSubSteps, INT32_MAX);
    EXPECT_EQ(speed.nSubSteps8, -8);
    EXPECT_DOUBLE_EQ(speed.dSpeedLimit, 6.0 * INT32_MAX);
    SetGameSpeed(INT32_MIN, 0.4, level, speed);
    EXPECT_FALSE(speed.RunsSubSteps());
    EXPECT_EQ(speed.dStepGravity, 0.0);
}

}  // namespace

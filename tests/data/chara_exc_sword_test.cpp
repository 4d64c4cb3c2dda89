// The dedicated character images and the sword types: documented bytes of the class
// defaults, and the version gates and editor-value zeroing, read from bytes of each version.
#include <gtest/gtest.h>

#include <vector>

#include "data/chara_exc_records.h"
#include "data/sword_type_records.h"
#include "record_bodies.h"
#include "support/byte_builder.h"

namespace {

template <class T>
bool LoadFrom(T& record, const std::vector<std::uint8_t>& bytes) {
    RecordReader reader = RecordReader::FromBytes(bytes);
    record.Load(reader);
    return !reader.StoppedEarly();
}

// One chain: the editor value from 152, zeroed below 153; the cell width pair from 172.
TEST(CharaExcRecords, VersionsGateTheEditValueAndTheCellWidth) {
    struct Case {
        std::uint32_t version;
        std::int32_t editValue, cellFlag, cellWidth;  // after the load (file stores 5, 1, 3)
    } cases[] = {
        {151, 0, 0, 2},  // nothing stored: the record's values, the editor value zeroed
        {152, 0, 0, 2},  // the value read, then zeroed; the cells keep the default 2
        {171, 5, 0, 2},  // kept from 153 on
        {172, 5, 1, 3}, {747, 5, 1, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ByteBuilder b;
        b.U32(c.version);
        bodies::CharaExc(b, c.version, "boss", 5, 1, 3);
        cEdBmpCharaExc exc;
        exc.nEditValue = 8;
        EXPECT_TRUE(LoadFrom(exc, b.bytes));
        EXPECT_EQ(exc.strName, "boss");
        EXPECT_EQ(exc.strFile, "bmp\\exc.bmp");
        EXPECT_EQ(exc.nEditValue, c.editValue);
        EXPECT_EQ(exc.bCellWidth, c.cellFlag);
        EXPECT_EQ(exc.nCellWidth, c.cellWidth);
    }
}

TEST(CharaExcRecords, ClassDefaultWritesTheDocumentedBytes) {
    const auto golden = ByteBuilder().U32(747).U32(3).I32(0).I32(0).I32(2).U32(2).U32(1).U32(1);
    cEdBmpCharaExc exc;
    EXPECT_EQ(exc.SaveToBytes(), golden.bytes);
}

// One chain: the editor value from 151 (zeroed below 153) and the flip flags of the frames
// from 138, which old frames take from the class-default frame (1 and 0).
TEST(SwordTypeRecords, VersionsGateTheEditValueAndTheFlipFlags) {
    struct Case {
        std::uint32_t version;
        std::int32_t editValue;
        std::int32_t flipX, flipY;  // the file's frames store 0 and 1 from 138 on
    } cases[] = {
        {137, 0, 1, 0}, {138, 0, 0, 1}, {150, 0, 0, 1},
        {151, 0, 0, 1}, {152, 0, 0, 1}, {153, 6, 0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ByteBuilder b;
        b.U32(c.version);
        bodies::SwordFrame frame;
        bodies::SwordType(b, c.version, "sword", 6, {frame, frame});
        cEdSwordType sword;
        sword.nEditValue = 8;
        EXPECT_TRUE(LoadFrom(sword, b.bytes));
        EXPECT_EQ(sword.strName, "sword");
        EXPECT_EQ(sword.strFileLeft, "bmp\\l.bmp");
        EXPECT_EQ(sword.strFileRight, "bmp\\r.bmp");
        EXPECT_EQ(sword.nEditValue, c.editValue);
        ASSERT_EQ(sword.vecFrame.Size(), 2u);
        const cEdSwordFrame& f = sword.vecFrame[1];
        EXPECT_EQ(f.nOffsetX, 1);
        EXPECT_EQ(f.nOffsetY, 2);
        EXPECT_EQ(f.bFlipX, c.flipX);
        EXPECT_EQ(f.bFlipY, c.flipY);
        EXPECT_EQ(f.nPlace, 3);
        EXPECT_EQ(f.nSrcX, 4);
        EXPECT_EQ(f.nCutHeight, 7);
        EXPECT_EQ(f.nTime, 8);
    }
}

TEST(SwordTypeRecords, ClassDefaultWritesTheDocumentedBytesAndAnEmptyFrameListLoads) {
    auto golden = ByteBuilder().U32(747).U32(1).I32(0).U32(3).U32(1).U32(1).U32(1).U32(1);
    golden.U32(10).I32(0).I32(0).I32(1).I32(0).I32(0).I32(0).I32(0).I32(0).I32(0).I32(1).U32(0);
    cEdSwordType sword;
    EXPECT_EQ(sword.SaveToBytes(), golden.bytes);

    ByteBuilder empty;
    empty.U32(747);
    bodies::SwordType(empty, 747, "bare", 0, {});
    EXPECT_TRUE(LoadFrom(sword, empty.bytes));
    EXPECT_TRUE(sword.vecFrame.empty());
    EXPECT_EQ(sword.strName, "bare");
}

TEST(SwordTypeRecords, PlaceLabelsEndWithAnEmptyLabel) {
    EXPECT_EQ(CountChoices(SwordPlaceLabels), 4);
    EXPECT_EQ(SwordPlaceLabels[0], "\x91\x4f");  // "前"
    EXPECT_EQ(SwordPlaceLabels[3], "下");
}

}  // namespace

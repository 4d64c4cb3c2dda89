#include "data/record_dump.h"

#include <gtest/gtest.h>

#include "data/record_visitor.h"
#include "support/byte_builder.h"

namespace {

class Leaf : public SerialRecord {
public:
    Leaf() {
        Rebind(kCurrentDataVersion);
        Reset();
        since200 = 4;
    }
    Leaf(const Leaf&) = default;
    Leaf& operator=(const Leaf& s) {
        SerialRecord::operator=(s);
        v = s.v, since200 = s.since200, text = s.text;
        return *this;
    }
    void Rebind(std::uint32_t version) override {
        ClearTables();
        AddShort(&v, 1, "nValue");
        if (version >= 200) AddInt(&since200, 1, "nSince200");
        AddString(&text, 1, "strText");
    }
    std::int16_t v = 0;
    std::int32_t since200 = 0;
    std::string text;
};

class Root : public SerialRecord {
public:
    Root() {
        Rebind(kCurrentDataVersion);
        Reset();
    }
    void Rebind(std::uint32_t) override {
        ClearTables();
        AddDouble(&speed, 1, "dSpeed");
        AddByte(flags, 2, "bFlags");
        AddString(&name, 1, "strName");
    }
    void Load(RecordReader& reader) override {
        SerialRecord::Load(reader);
        LoadRecordList(reader, leaves);
        end = static_cast<std::int32_t>(reader.ReadU32());
    }
    void Describe(RecordVisitor& visitor) override {
        DescribeList(visitor, "leaves", leaves);
        visitor.Value("nEnd", end);
    }
    double speed = 0;
    std::uint8_t flags[2] = {};
    std::string name;
    CheckedVector<Leaf> leaves;
    std::int32_t end = 0;
};

TEST(RecordDump, PrintsMembersInFileOrderWithDefaultsMarked) {
    // Version 150: each leaf lacks nSince200; the second leaf also stores no string.
    ByteBuilder b;
    b.U32(150).U32(2).F64(0.1).U8(1).U8(255).U32(1).Str("\x95\x5c\"q\"\n");
    b.U32(2);
    b.U32(1).U16(0xFFFF).U32(1).Str("a");
    b.U32(1).U16(7).U32(0);
    b.I32(-1);
    Root root;
    RecordReader reader = RecordReader::FromBytes(b.bytes);
    DumpResult result = DumpRecord(root, reader);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.text,
              "version = 150\n"
              "dSpeed = 0.10000000000000001\n"
              "bFlags[0] = 1\n"
              "bFlags[1] = 255\n"
              "strName = \"\xE8\xA1\xA8\\\"q\\\"\\n\"\n"
              "leaves[0].nValue = -1\n"
              "leaves[0].nSince200 = 4 (default)\n"
              "leaves[0].strText = \"a\"\n"
              "leaves[1].nValue = 7\n"
              "leaves[1].nSince200 = 4 (default)\n"
              "leaves[1].strText = \"\" (default)\n"
              "nEnd = -1\n");
}

TEST(RecordDump, MembersAReadDidNotReachAreDefaults) {
    // Two fields stored, the file ends inside the second: only the first was read.
    Root root;
    root.flags[0] = 9;
    auto bytes = ByteBuilder().U32(747).U32(2).F64(1.5).U8(1).bytes;
    RecordReader reader = RecordReader::FromBytes(bytes);
    DumpResult result = DumpRecord(root, reader);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.text.find("dSpeed = 1.5\n"), std::string::npos) << result.text;
    EXPECT_NE(result.text.find("bFlags[0] = 9 (default)\n"), std::string::npos) << result.text;
}

// An upgrade step that inserts an element in front after the load (as some records do):
// the loaded element moves and must keep its marks, the inserted one has only defaults.
class GrowingRoot : public Root {
public:
    void Load(RecordReader& reader) override {
        Root::Load(reader);
        leaves.insert(leaves.begin(), Leaf());
    }
};

TEST(RecordDump, ElementsMovedAfterTheirLoadKeepTheirMarks) {
    ByteBuilder b;
    b.U32(747).U32(2).F64(0).U8(0).U8(0).U32(1).Str("");
    b.U32(1).U32(2).U16(3).I32(5).U32(1).Str("s");
    b.I32(0);
    GrowingRoot root;
    RecordReader reader = RecordReader::FromBytes(b.bytes);
    DumpResult result = DumpRecord(root, reader);
    EXPECT_NE(result.text.find("leaves[0].nSince200 = 4 (default)\n"), std::string::npos)
        << result.text;
    EXPECT_NE(result.text.find("leaves[1].nSince200 = 5\n"), std::string::npos) << result.text;
    EXPECT_NE(result.text.find("leaves[1].strText = \"s\"\n"), std::string::npos) << result.text;
}

TEST(RecordDump, ReadProblemIsReportedWithItsOffset) {
    Root root;
    RecordReader reader = RecordReader::FromBytes(ByteBuilder().U32(747).U32(2).U8(1).bytes);
    DumpResult result = DumpRecord(root, reader);
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.text.find("! offset 4: a count of 2 cannot fit"), std::string::npos)
        << result.text;
}

TEST(RecordDump, UnknownKindShowsVersionFieldCountAndHex) {
    auto bytes = ByteBuilder().U32(747).U32(3).Raw("AB\x01", 3).bytes;
    DumpResult result = DumpUnknown(RecordReader::FromBytes(bytes));
    EXPECT_EQ(result.text,
              "version = 747\n"
              "field count = 3\n"
              "00000008  41 42 01                                         |AB.|\n");
}

TEST(RecordDump, BaseNamePatternsIgnoreCase) {
    struct Case {
        const char* pattern;
        const char* name;
        bool match;
    } cases[] = {
        {"System.dat", "SYSTEM.DAT", true},
        {"*.stg4*", "a.stg4_003", true},
        {"*.stg4*", "a.stg4", true},
        {"*.stg4*", "a.stg", false},
        {"WorldMap.dat", "WorldMap.da", false},
        {"Option.dat", "xOption.dat", false},
    };
    for (const Case& c : cases) EXPECT_EQ(MatchesPattern(c.pattern, c.name), c.match) << c.name;
}

}  // namespace

namespace {

TEST(RecordDump, BootDatIsKnownByItsName) {
    const RecordKind* kind = FindKindForFile("Boot.dat");
    ASSERT_NE(kind, nullptr);
    std::unique_ptr<SerialRecord> record = kind->make();
    auto bytes = ByteBuilder().U32(747).U32(2).I32(0).I32(1).U32(0).bytes;
    RecordReader reader = RecordReader::FromBytes(bytes);
    DumpResult result = DumpRecord(*record, reader);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.text, "version = 747\nnDrawMode = 0\nbNoAsk = 1\n");
}

}  // namespace

namespace {

TEST(RecordDump, WindowDatIsKnownByItsNameAndDumpsWhatTheLoadKeeps) {
    const RecordKind* kind = FindKindForFile("window.DAT");
    ASSERT_NE(kind, nullptr);
    std::unique_ptr<SerialRecord> record = kind->make();
    auto bytes =
        ByteBuilder().U32(747).U32(5).I32(-50).I32(60).I32(640).I32(480).I32(1).U32(0).bytes;
    RecordReader reader = RecordReader::FromBytes(bytes);
    DumpResult result = DumpRecord(*record, reader);
    EXPECT_TRUE(result.ok);
    EXPECT_NE(result.text.find("width = 640\nheight = 480\nmaximised = 1\n"), std::string::npos)
        << result.text;
    EXPECT_NE(result.text.find("y = 60\n"), std::string::npos) << result.text;
}

}  // namespace

// The record base and the record-file layout, pinned by bytes built from the documented
// layout (not by our own writer), then loaded and saved again.
#include "data/serial_record.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "base/globals.h"
#include "base/log.h"
#include "data/data_globals.h"
#include "platform/messages.h"
#include "platform/seams.h"
#include "support/byte_builder.h"
#include "support/temp_dir.h"

namespace {

// Two strings only.
class TwoStrings : public SerialRecord {
public:
    TwoStrings() {
        Rebind(kCurrentDataVersion);
        Reset();
    }
    void Rebind(std::uint32_t) override {
        ClearTables();
        AddString(&first);
        AddString(&second);
    }
    std::string first, second;
};

// Numbers of every width, a fixed array, a member introduced in version 155 and one that
// was retired after version 149 (read past into a scratch value by old files).
class Mixed : public SerialRecord {
public:
    Mixed() {
        Rebind(kCurrentDataVersion);
        Reset();
        since155 = 55;  // a non-zero default
    }
    Mixed(const Mixed&) = default;
    Mixed& operator=(const Mixed& source) {
        SerialRecord::operator=(source);
        i = source.i, s = source.s, std::copy(source.b, source.b + 3, b), d = source.d;
        since155 = source.since155, name = source.name;
        return *this;
    }
    void Rebind(std::uint32_t v) override {
        ClearTables();
        AddInt(&i);
        if (v < 150) AddInt(&retired);
        AddShort(&s);
        AddByte(b, 3);
        AddDouble(&d);
        if (v >= 155) AddInt(&since155);
        AddString(&name);
    }
    std::int32_t i = 0;
    std::int16_t s = 0;
    std::uint8_t b[3] = {};
    double d = 0;
    std::int32_t since155 = 0;
    std::string name;
    std::int32_t retired = 0;
};

class IntArray : public SerialRecord {
public:
    void Rebind(std::uint32_t v) override {
        ClearTables();
        AddInt(values, 3);
        if (v < 700) AddInt(&oldOnly);
    }
    std::int32_t values[3] = {1, 2, 3};
    std::int32_t oldOnly = 9;
};

ByteBuilder MixedBody(std::uint32_t version) {
    ByteBuilder b;
    b.U32(version);
    b.U32(version >= 155 ? 5 : (version < 150 ? 5 : 4));
    b.I32(-7);
    if (version < 150) b.I32(1234);
    b.U16(0xBEEF).U8(1).U8(2).U8(3).F64(2.5);
    if (version >= 155) b.I32(99);
    b.U32(1).Str("x");
    return b;
}

std::vector<std::uint8_t> Bytes(SerialRecord& r) {
    return r.SaveToBytes();
}

Mixed LoadMixed(const std::vector<std::uint8_t>& bytes, RecordReader* out = nullptr) {
    Mixed m;
    RecordReader reader = RecordReader::FromBytes(bytes);
    EXPECT_TRUE(reader.Ok());
    m.Load(reader);
    if (out) *out = reader;
    return m;
}

std::atomic<int> closeRequests{0};
plat::LRESULT CountCloses(plat::HWND, std::uint32_t msg, plat::WPARAM, plat::LPARAM) {
    if (msg == plat::WM_CLOSE) ++closeRequests;
    return 0;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class RecordFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        ResetDataGlobals();
        closeRequests = 0;
        hWndMain = plat::CreateWindow(CountCloses);
        ASSERT_EQ(OpenReportLog("Report_Game.txt"), 1);
    }
    void TearDown() override {
        plat::DestroyWindow(hWndMain);
        ResetDataGlobals();
        plat::SetSeams(plat::Seams{});
    }
    int PumpCloses() {
        plat::MSG m;
        while (plat::PeekMessage(&m, nullptr, true)) plat::DispatchMessage(&m);
        return closeRequests;
    }
    TempDir dir;
};

TEST_F(RecordFileTest, TwoStringRecordWritesTheDocumentedBytes) {
    TwoStrings r;
    r.second = "abc";
    EXPECT_EQ(Bytes(r), ByteBuilder().U32(747).U32(0).U32(2).U32(1).U32(4).Raw("abc", 4).bytes);
}

TEST_F(RecordFileTest, CurrentFileLoadsAndSavesToTheSameBytes) {
    const auto golden = MixedBody(747).bytes;
    Mixed m = LoadMixed(golden);
    EXPECT_EQ(m.i, -7);
    EXPECT_EQ(static_cast<std::uint16_t>(m.s), 0xBEEF);
    EXPECT_EQ(m.b[2], 3);
    EXPECT_EQ(m.d, 2.5);
    EXPECT_EQ(m.since155, 99);
    EXPECT_EQ(m.name, "x");
    EXPECT_EQ(Bytes(m), golden);
}

TEST_F(RecordFileTest, OldFileIsUpgradedInMemoryAndWrittenAtTheCurrentVersion) {
    for (std::uint32_t version : {149u, 150u}) {
        SCOPED_TRACE(version);
        RecordReader reader = RecordReader::FromBytes({});
        Mixed m = LoadMixed(MixedBody(version).bytes, &reader);
        EXPECT_FALSE(reader.StoppedEarly());
        EXPECT_EQ(m.since155, 55);  // not in the file: keeps its value from before the load
        EXPECT_EQ(m.d, 2.5);        // read past the retired member of 149
        EXPECT_EQ(m.name, "x");
        // The tables describe the current layout again.
        ASSERT_EQ(m.FieldCount(), 5);
        EXPECT_EQ(m.FieldAt(4).address, &m.since155);
        auto expected = ByteBuilder().U32(747).U32(5).I32(-7).U16(0xBEEF).U8(1).U8(2).U8(3);
        expected.F64(2.5).I32(55).U32(1).Str("x");
        EXPECT_EQ(Bytes(m), expected.bytes);
    }
}

TEST_F(RecordFileTest, OldVersionWriterMakesTheOldLayout) {
    Mixed m = LoadMixed(MixedBody(747).bytes);
    m.retired = 1234;
    EXPECT_EQ(m.SaveToBytes(RecordWriter::ForOldVersion(149)), MixedBody(149).bytes);
    EXPECT_EQ(m.FieldCount(), 5);
}

TEST_F(RecordFileTest, CarriageReturnsAreRemovedAlsoFromStringsTheFileLacked) {
    TwoStrings r;
    r.second = "p\r\nq";
    RecordReader reader =
        RecordReader::FromBytes(ByteBuilder().U32(747).U32(0).U32(1).Str("a\r\nb").bytes);
    r.Load(reader);
    EXPECT_EQ(r.first, "a\nb");
    EXPECT_EQ(r.second, "p\nq");

    bStripCR = 0;
    RecordReader again =
        RecordReader::FromBytes(ByteBuilder().U32(747).U32(0).U32(1).Str("a\r\nb").bytes);
    r.Load(again);
    EXPECT_EQ(r.first, "a\r\nb");
}

TEST_F(RecordFileTest, SaveCutsAStringAtItsFirstZeroByte) {
    TwoStrings r;
    r.first = std::string("ab\0cd", 5);
    EXPECT_EQ(Bytes(r), ByteBuilder().U32(747).U32(0).U32(2).Str("ab").U32(1).bytes);
    EXPECT_EQ(r.first, "ab");
}

TEST_F(RecordFileTest, StoredTextEndsAtItsZeroOrAtItsLength) {
    TwoStrings r;
    // "ab\0c" stored with length 4 and no final zero; then a length of 0.
    auto bytes = ByteBuilder().U32(747).U32(0).U32(2).U32(4).Raw("ab\0c", 4).U32(0).bytes;
    RecordReader reader = RecordReader::FromBytes(bytes);
    r.second = "old";
    r.Load(reader);
    EXPECT_EQ(r.first, "ab");
    EXPECT_EQ(r.second, "");
    auto noZero = ByteBuilder().U32(747).U32(0).U32(1).U32(3).Raw("xyz", 3).bytes;
    RecordReader reader2 = RecordReader::FromBytes(noZero);
    r.Load(reader2);
    EXPECT_EQ(r.first, "xyz");
    EXPECT_FALSE(reader2.StoppedEarly());
}

TEST_F(RecordFileTest, MissingFileReturnsZeroAndLeavesTheRecord) {
    Mixed m;
    m.i = 42;
    EXPECT_EQ(m.LoadFromFile("nothing\\here.dat"), 0);
    EXPECT_EQ(m.i, 42);
    std::ofstream("tiny.dat", std::ios::binary) << "abc";  // shorter than its version
    EXPECT_EQ(m.LoadFromFile("tiny.dat"), 0);
    EXPECT_EQ(m.i, 42);
}

TEST_F(RecordFileTest, SaveToFileAndLoadFromFileRoundTrip) {
    Mixed m;
    m.i = 5;
    m.name = "\x95\x5c";  // a CP932 character whose trail byte is a backslash
    ASSERT_EQ(m.SaveToFile("Data.dat"), 1);
    Mixed back;
    bool early = true;
    dwFileVersion = 0;
    ASSERT_EQ(back.LoadFromFile("data.DAT", &early), 1);
    EXPECT_FALSE(early);
    EXPECT_EQ(back.i, 5);
    EXPECT_EQ(back.name, m.name);
    EXPECT_EQ(dwFileVersion, 747u);

    // A second save replaces the first whole.
    m.i = 6;
    m.name = "";
    ASSERT_EQ(m.SaveToFile("DATA.dat"), 1);
    ASSERT_EQ(back.LoadFromFile("data.dat"), 1);
    EXPECT_EQ(back.i, 6);
    EXPECT_EQ(back.name, "");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 2);  // + the log
}

TEST_F(RecordFileTest, FailedSaveLeavesTheOldFileWhole) {
    Mixed m;
    m.i = 1;
    ASSERT_EQ(m.SaveToFile("keep.dat"), 1);
    const std::string before = ReadText("keep.dat");
    plat::Seams seams;
    seams.failSteps = {"file_write"};
    plat::SetSeams(seams);
    m.i = 2;
    EXPECT_EQ(m.SaveToFile("keep.dat"), 0);
    EXPECT_EQ(ReadText("keep.dat"), before);
    EXPECT_FALSE(std::filesystem::exists("keep.dat.tmp"));
    plat::SetSeams(plat::Seams{});
    // A folder that does not exist cannot take the file.
    EXPECT_EQ(m.SaveToFile("no\\such\\folder\\x.dat"), 0);
}

TEST_F(RecordFileTest, SurplusFieldIsReportedAndEndsTheRead) {
    TwoStrings r;
    r.first = "keep";
    // Two fields stored for a record that registers none, then strings that are not read.
    auto bytes = ByteBuilder().U32(747).U32(2).I32(1).I32(2).U32(1).Str("zz").bytes;
    RecordReader reader = RecordReader::FromBytes(bytes);
    r.Load(reader);
    EXPECT_TRUE(reader.StoppedEarly());
    EXPECT_EQ(r.first, "keep");
    EXPECT_EQ(PumpCloses(), 1);
    const std::string log = ReadText("Report_Game.txt");
    EXPECT_NE(log.find("err V[0] ( 0 , "), std::string::npos) << log;
}

TEST_F(RecordFileTest, SurplusFieldAfterRegisteredOnesIsNotReadIntoTheFirst) {
    auto bytes = MixedBody(747).bytes;
    // Six fields stored for five registered: patch the count, put a sixth before the strings.
    bytes[4] = 6;
    const std::size_t strings = 4 + 4 + 4 + 2 + 3 + 8 + 4;
    const std::uint8_t extra[4] = {0x11, 0x11, 0x11, 0x11};
    bytes.insert(bytes.begin() + strings, extra, extra + 4);
    RecordReader reader = RecordReader::FromBytes({});
    Mixed m = LoadMixed(bytes, &reader);
    EXPECT_TRUE(reader.StoppedEarly());
    EXPECT_EQ(m.i, -7);
    EXPECT_EQ(m.since155, 99);
    EXPECT_EQ(m.name, "");  // the strings after the surplus field are not read
    EXPECT_EQ(PumpCloses(), 1);
    EXPECT_NE(ReadText("Report_Game.txt").find("err V[5] ( 5 , "), std::string::npos);
}

TEST_F(RecordFileTest, SurplusStringIsReportedAndNotWrittenIntoTheFirst) {
    TwoStrings r;
    auto bytes = ByteBuilder().U32(747).U32(0).U32(3).Str("a").Str("b").Str("c").bytes;
    RecordReader reader = RecordReader::FromBytes(bytes);
    r.Load(reader);
    EXPECT_EQ(r.first, "a");
    EXPECT_EQ(r.second, "b");
    EXPECT_TRUE(reader.StoppedEarly());
    EXPECT_EQ(PumpCloses(), 1);
    EXPECT_NE(ReadText("Report_Game.txt").find("err V[2] ( 2 , "), std::string::npos);
}

// Files that end early or hold counts they cannot back: read what is there, never more.
TEST_F(RecordFileTest, DamagedFilesEndTheReadWithoutOverreach) {
    struct Case {
        const char* what;
        std::vector<std::uint8_t> bytes;
        std::int32_t i;    // expected after the load (starts at 11)
        std::string name;  // expected after the load (starts at "n")
    } cases[] = {
        {"version only", ByteBuilder().U32(747).bytes, 11, "n"},
        {"field count cut", ByteBuilder().U32(747).U16(5).bytes, 11, "n"},
        {"huge field count", ByteBuilder().U32(747).U32(0xFFFFFFF0).I32(3).bytes, 11, "n"},
        {"field cut in half", ByteBuilder().U32(747).U32(5).U16(3).bytes, 11, "n"},
        {"count beyond the bytes left", ByteBuilder().U32(747).U32(5).I32(3).bytes, 11, "n"},
        {"after two fields", ByteBuilder().U32(747).U32(5).I32(3).U16(1).bytes, 3, "n"},
        {"huge string count", ByteBuilder().U32(747).U32(0).U32(0x7FFFFFFF).Str("q").bytes, 11,
         "n"},
        {"huge string length", ByteBuilder().U32(747).U32(0).U32(1).U32(0xFFFFFFFF).U8('a').bytes,
         11, "n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Mixed m;
        m.i = 11;
        m.name = "n";
        RecordReader reader = RecordReader::FromBytes(c.bytes);
        m.Load(reader);
        EXPECT_TRUE(reader.StoppedEarly());
        EXPECT_FALSE(reader.Problem().empty());
        EXPECT_EQ(m.i, c.i);
        EXPECT_EQ(m.name, c.name);
    }
    // A short file still loads (result 1) and says so in the report log.
    std::ofstream("short.dat", std::ios::binary).write("\xeb\x02\x00\x00\x05\x00", 6);
    Mixed m;
    bool early = false;
    EXPECT_EQ(m.LoadFromFile("short.dat", &early), 1);
    EXPECT_TRUE(early);
    EXPECT_NE(ReadText("Report_Game.txt").find("short.dat : read stopped at offset 4"),
              std::string::npos);
    EXPECT_EQ(PumpCloses(), 0);
}

TEST_F(RecordFileTest, CopiesKeepTheirOwnTables) {
    Mixed a;
    a.i = 1;
    a.name = "a";
    Mixed copy(a);  // copy-constructed: tables copied verbatim, fixed by the save's rebind
    copy.i = 2;
    copy.name = "c";
    Mixed fromCopy = LoadMixed(copy.SaveToBytes());
    EXPECT_EQ(fromCopy.i, 2);
    EXPECT_EQ(fromCopy.name, "c");

    Mixed b;
    b = a;  // the base part rebases the tables onto b; the derived part copies values
    a.i = 3;
    for (int k = 0; k < b.FieldCount(); ++k) {
        auto* p = static_cast<char*>(b.FieldAt(k).address);
        EXPECT_TRUE(p >= reinterpret_cast<char*>(&b) && p < reinterpret_cast<char*>(&b + 1));
    }
    EXPECT_EQ(b.StringAt(0).address, &b.name);
    EXPECT_EQ(b.i, 1);

    Mixed c;
    c.Assign(a);  // value copy through the tables
    EXPECT_EQ(c.i, 3);
    EXPECT_EQ(c.name, "a");

    // The base copy-assignment rebases the tables and copies no value.
    Mixed d;
    d.i = 9;
    static_cast<SerialRecord&>(d) = a;
    EXPECT_EQ(d.i, 9);
    EXPECT_EQ(d.StringAt(0).address, &d.name);

    // A copy starts with no tables of its own (none naming the source's members).
    Mixed e(a);
    EXPECT_EQ(e.FieldCount(), 0);
}

TEST_F(RecordFileTest, RecordsInAGrowingVectorNeverUseTheirOldPlace) {
    CheckedVector<Mixed> list(1);
    list[0].name = "a\rb";
    list[0].Rebind(kCurrentDataVersion);
    for (int i = 0; i < 40; ++i) list.emplace_back();  // moves element 0 several times
    list[0].RemoveCR();  // walks without rebinding: must not reach the freed places
    list[0].Rebind(kCurrentDataVersion);
    list[0].RemoveCR();
    EXPECT_EQ(list[0].name, "ab");
}

TEST_F(RecordFileTest, ResetAndArraysUseTheWholeMemberAndOnlyCurrentMembers) {
    IntArray r;
    r.Reset();
    EXPECT_EQ(r.values[0], 0);
    EXPECT_EQ(r.values[2], 0);
    EXPECT_EQ(r.oldOnly, 9);  // registered only for old versions: untouched
    r.values[2] = 0x01020304;
    const auto bytes = r.SaveToBytes();
    EXPECT_EQ(bytes, ByteBuilder().U32(747).U32(1).I32(0).I32(0).I32(0x01020304).U32(0).bytes);
    IntArray copy;
    copy.Assign(r);  // all 12 bytes of the array
    EXPECT_EQ(copy.values[0], 0);
    EXPECT_EQ(copy.values[2], 0x01020304);
}

class Item : public SerialRecord {
public:
    Item() {
        Rebind(kCurrentDataVersion);
        Reset();
        value = 8;
    }
    Item(const Item&) = default;
    Item& operator=(const Item& s) {
        SerialRecord::operator=(s);
        value = s.value;
        return *this;
    }
    void Rebind(std::uint32_t) override {
        ClearTables();
        AddInt(&value);
    }
    std::int32_t value;
};

TEST_F(RecordFileTest, ListsAreACountAndTheElementBodies) {
    auto bytes = ByteBuilder().U32(747).U32(2).U32(1).I32(4).U32(0).U32(0).U32(0).bytes;
    RecordReader reader = RecordReader::FromBytes(bytes);
    CheckedVector<Item> list(5);
    LoadRecordList(reader, list);
    ASSERT_EQ(list.Size(), 2u);
    EXPECT_EQ(list[0].value, 4);
    EXPECT_EQ(list[1].value, 8);  // an element whose body stores no fields keeps its default
    EXPECT_FALSE(reader.StoppedEarly());
    RecordWriter writer;
    SaveRecordList(writer, list);
    EXPECT_EQ(writer.Bytes(), ByteBuilder().U32(2).U32(1).I32(4).U32(0).U32(1).I32(8).U32(0).bytes);

    // A file that ends inside a list leaves only the elements it reached: elements are made
    // as their bodies are read, so nested lists cannot multiply a count the file backs once.
    RecordReader cut = RecordReader::FromBytes(
        ByteBuilder().U32(747).U32(3).U32(1).I32(4).U32(0).U32(1).I32(9).U32(5).bytes);
    LoadRecordList(cut, list);
    ASSERT_EQ(list.Size(), 2u);
    EXPECT_EQ(list[0].value, 4);
    EXPECT_EQ(list[1].value, 9);
    EXPECT_TRUE(cut.StoppedEarly());

    // A list count the file cannot hold is the end of the file, not a huge allocation:
    // every element body needs at least its two counts.
    for (std::uint32_t count : {0x40000000u, 3u}) {
        RecordReader hostile = RecordReader::FromBytes(
            ByteBuilder().U32(747).U32(count).U32(0).U32(0).U32(0).U32(0).bytes);
        LoadRecordList(hostile, list);
        EXPECT_EQ(list.Size(), 0u);
        EXPECT_TRUE(hostile.StoppedEarly());
    }
}

}  // namespace

// The database: its default content, the table reader that keeps leading records, the load of
// the ten files with its failure path, and the dump of a table file.
#include "data/database.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "data/record_dump.h"
#include "database_fixture.h"
#include "record_bodies.h"
#include "support/byte_builder.h"

namespace {

using database_test::DatabaseFixture;

std::string Utf8(const char8_t* text) {
    return reinterpret_cast<const char*>(text);
}

// The ten files as the editor writes them, each with its own record count.
std::map<int, std::vector<std::uint8_t>> TableFiles() {
    std::map<int, std::vector<std::uint8_t>> files;
    ByteBuilder b;
    b.U32(747).U32(1);
    bodies::AnimeSet(b, 747, "set\r\n", 1, 2, 3, {"a", "b", "c", "d"});
    files[0] = b.bytes;
    b = ByteBuilder();
    b.U32(747).U32(3);
    for (const char* name : {"zero", "one", "two"}) bodies::Anime(b, 747, name, {{1, 2, 0}});
    files[1] = b.bytes;
    b = ByteBuilder();
    b.U32(747).U32(3);
    for (int i = 0; i < 3; ++i) bodies::CharaExc(b, 747, "exc", 0, 1, 4);
    files[2] = b.bytes;
    b = ByteBuilder();
    b.U32(747).U32(2);
    for (int i = 0; i < 2; ++i) bodies::SwordType(b, 747, "sword", 0, {bodies::SwordFrame{}});
    files[3] = b.bytes;
    b = ByteBuilder();
    b.U32(747).U32(3);
    for (int i = 0; i < 3; ++i) bodies::Effect(b, 747, "fx", 0, {{0, 1}});
    files[4] = b.bytes;
    b = ByteBuilder();
    b.U32(747).U32(3);
    for (int i = 0; i < 3; ++i) bodies::KindEffect(b, "cfx", 3, {10, 0, 32, 0, 0});
    files[5] = b.bytes;
    b = ByteBuilder();
    b.U32(747).U32(3);
    for (int i = 0; i < 3; ++i) bodies::KindEffect(b, "sfx", 5, {10, 0, 480, 20, 0});
    files[6] = b.bytes;
    for (int table = 7; table < 10; ++table) {
        b = ByteBuilder();
        b.U32(747).U32(3);
        for (int i = 0; i < 3; ++i) bodies::Media(b, 747, "m", "f.dat", 0);
        files[table] = b.bytes;
    }
    return files;
}

std::string HostPath(int table) {
    std::string path = DatabaseTablePath(table);
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

void WriteTables(const std::map<int, std::vector<std::uint8_t>>& files) {
    for (const auto& [table, bytes] : files) database_test::WriteBytes(HostPath(table), bytes);
}

// The record counts of the ten loaded tables.
std::vector<unsigned> Sizes(const cEdDatabase& db) {
    return {db.vecAnimeSet.Size(),  db.vecAnime.Size(),   db.vecBmpCharaExc.Size(),
            db.vecSwordType.Size(), db.vecEffect.Size(),  db.vecCharaEffect.Size(),
            db.vecScrEffect.Size(), db.vecPicture.Size(), db.vecSound.Size(),
            db.vecBgm.Size()};
}

const std::vector<unsigned> kDefaultSizes = {1, 2, 2, 1, 2, 2, 2, 2, 2, 2};
const std::vector<unsigned> kFileSizes = {1, 3, 3, 2, 3, 3, 3, 3, 3, 3};

class Database : public DatabaseFixture {};

TEST_F(Database, DefaultContentOfEveryLoadedTable) {
    cEdDatabase db;
    EXPECT_EQ(Sizes(db), kDefaultSizes);
    EXPECT_EQ(db.vecAnime[0].strName, "\x82\xc8\x82\xb5");  // "なし"
    EXPECT_EQ(db.vecAnime[1].strName, "アクションA");
    EXPECT_EQ(db.vecAnime[1].vecFrame.Size(), 1u);
    EXPECT_EQ(db.vecAnimeSet[0].vecAnime.Size(), 4u);
    EXPECT_EQ(db.vecCharaEffect[1].nKind, 1);
    EXPECT_EQ(db.vecScrEffect[0].nKind, 1);
    EXPECT_EQ(db.vecBmpCharaExc[1].nCellWidth, 2);
    EXPECT_EQ(db.vecSwordType[0].vecFrame[0].nTime, 1);
    EXPECT_TRUE(db.vecCharaEffectRev.empty());
    EXPECT_TRUE(db.vecScrEffectRev.empty());

    // SetDefaults empties each loaded table first and leaves the reversed copies alone.
    db.vecAnime.resize(9);
    db.vecAnime[0].strName = "x";
    db.vecScrEffectRev.resize(3);
    db.SetDefaults();
    EXPECT_EQ(Sizes(db), kDefaultSizes);
    EXPECT_EQ(db.vecAnime[0].strName, "なし");
    EXPECT_EQ(db.vecScrEffectRev.Size(), 3u);
}

// The table keeps its leading records: a member the file's version lacks keeps its value in
// them, and appended records hold the class default.
TEST_F(Database, TableReaderKeepsLeadingRecordsAndResizes) {
    struct Case {
        std::uint32_t count;
        std::vector<std::int32_t> cellWidths;  // the two held records had 7
    } cases[] = {{3, {7, 7, 2}}, {2, {7, 7}}, {1, {7}}, {0, {}}, {5, {7, 7, 2, 2, 2}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.count);
        CheckedVector<cEdBmpCharaExc> table(2);
        for (cEdBmpCharaExc& exc : table) exc.nCellWidth = 7;
        ByteBuilder b;
        b.U32(152).U32(c.count);
        for (std::uint32_t i = 0; i < c.count; ++i) bodies::CharaExc(b, 152, "e", 5, 0, 0);
        RecordReader reader = RecordReader::FromBytes(b.bytes);
        ReadDatabaseTable(table, reader);
        EXPECT_FALSE(reader.StoppedEarly());
        std::vector<std::int32_t> widths;
        for (const cEdBmpCharaExc& exc : table) {
            widths.push_back(exc.nCellWidth);
            EXPECT_EQ(exc.strName, "e");
            EXPECT_EQ(exc.nEditValue, 0);
        }
        EXPECT_EQ(widths, c.cellWidths);
    }

    // Anime.dat with one record: its name is the file's, not "なし".
    ByteBuilder one;
    one.U32(747).U32(1);
    bodies::Anime(one, 747, "own", {{4, 1, 0}});
    RecordReader reader = RecordReader::FromBytes(one.bytes);
    ReadDatabaseTable(EdDatabase.vecAnime, reader);
    ASSERT_EQ(EdDatabase.vecAnime.Size(), 1u);
    EXPECT_EQ(EdDatabase.vecAnime[0].strName, "own");
}

TEST_F(Database, LoadAllReadsTheTenFilesAndMakesEntry0OfTheEffectTablesNone) {
    WriteTables(TableFiles());
    ASSERT_EQ(EdDatabase.LoadAll(), 1);
    EXPECT_TRUE(plat::ShownBoxes().empty());
    EXPECT_EQ(Sizes(EdDatabase), kFileSizes);
    EXPECT_EQ(EdDatabase.vecCharaEffect[0].nKind, 0);
    EXPECT_EQ(EdDatabase.vecCharaEffect[1].nKind, 3);
    EXPECT_EQ(EdDatabase.vecScrEffect[0].nKind, 0);
    EXPECT_EQ(EdDatabase.vecScrEffect[2].nKind, 5);
    EXPECT_EQ(EdDatabase.vecAnimeSet[0].strName, "set\n");
    EXPECT_EQ(EdDatabase.vecAnime[2].strName, "two");
    EXPECT_EQ(EdDatabase.vecBmpCharaExc[2].nCellWidth, 4);
    EXPECT_EQ(dwFileVersion, 747u);
    EXPECT_EQ(PumpCloses(), 0);
}

// Old table files go through the loader and come out upgraded, each read at its own
// version: the tables keep their leading records, so a member an old file lacks keeps the
// value it held, except where the upgrade gives it one.
TEST_F(Database, LoadAllUpgradesOldTableFiles) {
    auto files = TableFiles();
    ByteBuilder b;
    // AnimeSet.dat of 118: no flying offset, six animations brought to the basic four.
    b.U32(118).U32(1);
    bodies::AnimeSet(b, 118, "old set", 1, 2, 0, {"s", "w", "x", "y", "z", "q"});
    files[0] = b.bytes;
    // Anime.dat of 54: no editor settings.
    b = ByteBuilder();
    b.U32(54).U32(3);
    for (const char* name : {"zero", "one", "two"}) bodies::Anime(b, 54, name, {{1, 2, 0}});
    files[1] = b.bytes;
    // SwordType.dat of 137: frames without the flip flags, no editor value.
    b = ByteBuilder();
    b.U32(137).U32(1);
    bodies::SwordType(b, 137, "old sword", 0, {bodies::SwordFrame{}});
    files[3] = b.bytes;
    // Effect.dat of 150: no editor value.
    b = ByteBuilder();
    b.U32(150).U32(2);
    for (int i = 0; i < 2; ++i) bodies::Effect(b, 150, "fx", 0, {{3, 2}});
    files[4] = b.bytes;
    // CharaEffect.dat and ScrEffect.dat of 510: a wave and a circle stored with roughness 0.
    b = ByteBuilder();
    b.U32(510).U32(2);
    bodies::KindEffect(b, "none", 0, {0, 0, 0, 0, 0});
    bodies::KindEffect(b, "wave", 4, {10, 0, 32, 2, 0});
    files[5] = b.bytes;
    b = ByteBuilder();
    b.U32(510).U32(2);
    bodies::KindEffect(b, "none", 0, {0, 0, 0, 0, 0});
    bodies::KindEffect(b, "circle", 10, {10, 640, 0, 0, 0});
    files[6] = b.bytes;
    // Picture.dat of 150: no editor value.
    b = ByteBuilder();
    b.U32(150).U32(1);
    bodies::Media(b, 150, "pic", "p.bmp", 0);
    files[7] = b.bytes;
    WriteTables(files);

    EdDatabase.vecAnimeSet[0].nOfsFly = 6;
    EdDatabase.vecAnime[0].nSetting1 = 12;
    EdDatabase.vecSwordType[0].nEditValue = 9;
    EdDatabase.vecEffect[0].nEditValue = 9;
    EdDatabase.vecPicture[0].nEditValue = 9;
    ASSERT_EQ(EdDatabase.LoadAll(), 1);
    EXPECT_TRUE(plat::ShownBoxes().empty());

    const cEdAnimeSet& set = EdDatabase.vecAnimeSet[0];
    EXPECT_EQ(set.strName, "old set");
    EXPECT_EQ(set.nOfsInvincible, 1);
    EXPECT_EQ(set.nOfsFly, 6);
    ASSERT_EQ(set.vecAnime.Size(), 4u);
    EXPECT_EQ(set.vecAnime[1].strName, "w");
    EXPECT_EQ(set.vecAnime[2].strName, "\x94\xf2\x8d\x73");  // "飛行"
    EXPECT_EQ(set.vecAnime[3].strName, "飛行移動");

    ASSERT_EQ(EdDatabase.vecAnime.Size(), 3u);
    EXPECT_EQ(EdDatabase.vecAnime[0].strName, "zero");
    EXPECT_EQ(EdDatabase.vecAnime[0].nSetting1, 12);  // kept: the file has no settings
    EXPECT_EQ(EdDatabase.vecAnime[2].bSetting2, 1);   // appended: the class default

    ASSERT_EQ(EdDatabase.vecSwordType.Size(), 1u);
    const cEdSwordType& sword = EdDatabase.vecSwordType[0];
    EXPECT_EQ(sword.nEditValue, 0);
    ASSERT_EQ(sword.vecFrame.Size(), 1u);
    EXPECT_EQ(sword.vecFrame[0].bFlipX, 1);  // the class default of the new member
    EXPECT_EQ(sword.vecFrame[0].nPlace, 3);
    EXPECT_EQ(sword.vecFrame[0].nTime, 8);

    ASSERT_EQ(EdDatabase.vecEffect.Size(), 2u);
    EXPECT_EQ(EdDatabase.vecEffect[0].nEditValue, 0);
    EXPECT_EQ(EdDatabase.vecEffect[0].nPatWidth, 48);
    EXPECT_EQ(EdDatabase.vecEffect[1].vecFrame[0].nPattern, 3);

    ASSERT_EQ(EdDatabase.vecCharaEffect.Size(), 2u);
    EXPECT_EQ(EdDatabase.vecCharaEffect[1].anParam[4], 2);  // the roughness default
    EXPECT_EQ(EdDatabase.vecCharaEffect[1].anParam[3], 2);  // stored
    ASSERT_EQ(EdDatabase.vecScrEffect.Size(), 2u);
    EXPECT_EQ(EdDatabase.vecScrEffect[1].anParam[3], 8);
    EXPECT_EQ(EdDatabase.vecScrEffect[1].anParam[1], 640);

    ASSERT_EQ(EdDatabase.vecPicture.Size(), 1u);
    EXPECT_EQ(EdDatabase.vecPicture[0].strName, "pic");
    EXPECT_EQ(EdDatabase.vecPicture[0].nEditValue, 0);
    EXPECT_EQ(EdDatabase.vecSound.Size(), 3u);  // the current files beside them
    EXPECT_EQ(PumpCloses(), 0);
}

// Each file in turn missing: the box names it, the tables before it are read, it and the
// later ones keep their defaults, and entry 0 of the effect tables is not touched.
TEST_F(Database, MissingFileShowsItsPathAndStopsTheLoad) {
    for (int missing = 0; missing < kDatabaseTableCount; ++missing) {
        SCOPED_TRACE(DatabaseTablePath(missing));
        ResetDatabase();
        plat::ClearShownBoxes();
        std::filesystem::remove_all("data");
        auto files = TableFiles();
        files.erase(missing);
        WriteTables(files);

        EXPECT_EQ(EdDatabase.LoadAll(), 0);
        const auto boxes = plat::ShownBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, Utf8(u8"エラー"));
        EXPECT_EQ(boxes[0].text,
                  std::string(DatabaseTablePath(missing)) + Utf8(u8" のロードに失敗！"));
        const std::vector<unsigned> sizes = Sizes(EdDatabase);
        for (int t = 0; t < kDatabaseTableCount; ++t) {
            EXPECT_EQ(sizes[t], t < missing ? kFileSizes[t] : kDefaultSizes[t]) << "table " << t;
        }
        EXPECT_EQ(EdDatabase.vecCharaEffect[0].nKind, missing > 5 ? 3 : 1);
        EXPECT_EQ(EdDatabase.vecScrEffect[0].nKind, missing > 6 ? 5 : 1);
    }
}

// An effect table without records has no "none" entry to mark: the load fails in order with
// the same box, instead of writing into an entry that does not exist.
TEST_F(Database, EmptyEffectTableIsAFailedLoad) {
    for (int table : {5, 6}) {
        SCOPED_TRACE(DatabaseTablePath(table));
        ResetDatabase();
        plat::ClearShownBoxes();
        auto files = TableFiles();
        files[table] = ByteBuilder().U32(747).U32(0).bytes;
        WriteTables(files);
        EXPECT_EQ(EdDatabase.LoadAll(), 0);
        const auto boxes = plat::ShownBoxes();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].text,
                  std::string(DatabaseTablePath(table)) + Utf8(u8" のロードに失敗！"));
        EXPECT_EQ(EdDatabase.vecPicture.Size(), 2u);  // not read
    }
    // Other tables may be empty: the load goes on.
    ResetDatabase();
    auto files = TableFiles();
    files[1] = ByteBuilder().U32(747).U32(0).bytes;
    WriteTables(files);
    EXPECT_EQ(EdDatabase.LoadAll(), 1);
    EXPECT_TRUE(EdDatabase.vecAnime.empty());
    EXPECT_EQ(PumpCloses(), 0);
}

// A short or damaged table still counts as read; nothing is read or allocated beyond what
// the file holds, and a record that stores too many fields asks the program to close.
TEST_F(Database, DamagedTablesReadWhatIsThereAndNoMore) {
    auto files = TableFiles();
    // Picture.dat: a count of 2^30 records in a file of a few bytes.
    files[7] = ByteBuilder().U32(747).U32(0x40000000).U32(1).bytes;
    // Sound.dat: three records announced, one stored, cut inside the second.
    ByteBuilder cut;
    cut.U32(747).U32(3);
    bodies::Media(cut, 747, "first", "a.wav", 0);
    cut.U32(1);
    files[8] = cut.bytes;
    WriteTables(files);
    EXPECT_EQ(EdDatabase.LoadAll(), 1);
    EXPECT_TRUE(EdDatabase.vecPicture.empty());
    ASSERT_EQ(EdDatabase.vecSound.Size(), 3u);
    EXPECT_EQ(EdDatabase.vecSound[0].strName, "first");
    EXPECT_EQ(EdDatabase.vecSound[2].strName, "");
    const std::string log = database_test::ReadText("Report_Game.txt");
    EXPECT_NE(log.find("data\\database\\Picture.dat : read stopped at offset 4"), std::string::npos)
        << log;
    EXPECT_NE(log.find("data\\database\\Sound.dat : read stopped"), std::string::npos);
    EXPECT_EQ(PumpCloses(), 0);

    // Bgm.dat whose record stores more fields than the record has.
    ResetDatabase();
    files = TableFiles();
    files[9] = ByteBuilder().U32(747).U32(1).U32(3).I32(1).I32(2).I32(3).U32(0).bytes;
    WriteTables(files);
    EXPECT_EQ(EdDatabase.LoadAll(), 1);
    EXPECT_EQ(EdDatabase.vecBgm[0].nEditValue, 1);
    EXPECT_EQ(PumpCloses(), 1);
}

TEST_F(Database, DumpShowsATableFileAsTheLoaderReadsIt) {
    const RecordKind* kind = FindKindForFile("ANIMESET.DAT");
    ASSERT_NE(kind, nullptr);
    ByteBuilder b;
    b.U32(118).U32(1);
    bodies::AnimeSet(b, 118, "s", 1, 2, 0, {"a"});
    auto record = kind->make();
    RecordReader reader = RecordReader::FromBytes(b.bytes);
    const DumpResult result = DumpRecord(*record, reader);
    EXPECT_TRUE(result.ok);
    EXPECT_NE(result.text.find("record[0].nOfsFly = 0 (default)\n"), std::string::npos)
        << result.text;
    EXPECT_NE(result.text.find("record[0].vecAnime[0].vecFrame[0].nPattern = 5\n"),
              std::string::npos);
    // Animation 3 was appended by the upgrade and named by it (the dump prints UTF-8).
    EXPECT_NE(result.text.find(Utf8(u8"record[0].vecAnime[3].strName = \"飛行移動\" (default)\n")),
              std::string::npos)
        << result.text;

    for (const char* file :
         {"Anime.dat", "Bmp_CharaExc.dat", "SwordType.dat", "Effect.dat", "CharaEffect.dat",
          "ScrEffect.dat", "Picture.dat", "Sound.dat", "Bgm.dat", "Option.dat"}) {
        EXPECT_NE(FindKindForFile(file), nullptr) << file;
    }
}

}  // namespace

// The database: the shared definitions that the rest of a project refers to by index
// (animation sets and animations, dedicated character images, sword types, animation,
// character and screen effects, pictures, sound effects and music).
//
// The editor stores each of the ten tables in a record file of its own under data\database;
// the player reads all ten once at start-up into EdDatabase and never writes them. Tables
// 11 and 12 are copies of the character-effect and screen-effect tables that the post-load
// step fills and reverses (post_load_tables.h). After start-up the tables are only read, by
// any thread, always through the checked access.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>

#include "base/checked_vector.h"
#include "base/paths.h"
#include "data/anime_records.h"
#include "data/chara_exc_records.h"
#include "data/effect_records.h"
#include "data/media_records.h"
#include "data/record_visitor.h"
#include "data/serial_record.h"
#include "data/sword_type_records.h"

class cEdDatabase : public SerialRecord {
public:
    // The default content.
    cEdDatabase();
    cEdDatabase(const cEdDatabase&) = delete;
    cEdDatabase& operator=(const cEdDatabase&) = delete;

    // The database registers nothing of its own and is never read or written as one record.
    void Rebind(std::uint32_t version) override;

    // Empties and refills the ten loaded tables with their default records; the reversed
    // copies stay as they are.
    void SetDefaults();
    // Reads the ten files in order: 1 when all ten were read, 0 after an error box for the
    // first that cannot be opened (or that leaves an effect table without its entry 0); the
    // tables read before keep what they read, the others their default content.
    int LoadAll();
    // Entry 0 of the character-effect and screen-effect tables is the "none" effect.
    void PostLoad();

    CheckedVector<cEdAnimeSet> vecAnimeSet;
    CheckedVector<cEdAnime> vecAnime;  // entry 0: the "none" animation
    CheckedVector<cEdBmpCharaExc> vecBmpCharaExc;
    CheckedVector<cEdSwordType> vecSwordType;
    CheckedVector<cEdEffect> vecEffect;
    CheckedVector<cEdCharaEffect> vecCharaEffect;
    CheckedVector<cEdScrEffect> vecScrEffect;
    CheckedVector<cEdPicture> vecPicture;
    CheckedVector<cEdSound> vecSound;
    CheckedVector<cEdBgm> vecBgm;
    // Filled after loading (post_load_tables.h).
    CheckedVector<cEdCharaEffect> vecCharaEffectRev;
    CheckedVector<cEdScrEffect> vecScrEffectRev;
};

extern cEdDatabase EdDatabase;

// The table files in loading order, relative to the current folder: the data-folder
// entries of the project path table.
inline constexpr int kDatabaseTableCount = 10;
inline const char* DatabaseTablePath(int index) {
    return DataPathTable[kPathAnimeSet + 2 * index];
}

// Reads a table from a reader placed after the file's version: u32 N, then N record bodies.
// Unlike the list convention the table is not emptied first: the records it holds below N
// stay (members the file's version lacks keep their values), records beyond N are
// destroyed, and missing ones are appended as class defaults; then each record is loaded.
// A count the file cannot back reads as 0, so a hostile count allocates nothing.
template <class T>
void ReadDatabaseTable(CheckedVector<T>& table, RecordReader& reader) {
    // Every record body holds at least its field and string counts.
    const std::uint32_t n = reader.ReadCount(8);
    if (table.Size() > n) {
        table.erase(table.begin() + n, table.end());
    } else if (table.Size() < n) {
        const T blank;
        table.resize(n, blank);
    }
    for (std::uint32_t i = 0; i < n; ++i) table[static_cast<int>(i)].Load(reader);
}

// Reports a table file that ended early; the load still counts.
void NoteDatabaseReadProblem(std::string_view path, const RecordReader& reader);

// Reads one table file: 0 when it cannot be opened (the table is then unchanged), else 1.
template <class T>
int LoadDatabaseTable(CheckedVector<T>& table, std::string_view path) {
    RecordReader reader = RecordReader::FromFile(path);
    if (!reader.Ok()) return 0;
    dwFileVersion = reader.Version();
    ReadDatabaseTable(table, reader);
    if (bStripCR) {
        for (T& record : table) record.RemoveCR();
    }
    NoteDatabaseReadProblem(path, reader);
    return 1;
}

// One table file as a record, for the record dumper: the table starts from the default
// content, is read as the loader reads it and lists its records as record[i].
template <auto Member>
class DatabaseTableFile : public SerialRecord {
public:
    void Rebind(std::uint32_t) override { RebindNone(*this); }
    void Load(RecordReader& reader) override {
        auto& table = m_Database.*Member;
        ReadDatabaseTable(table, reader);
        if (bStripCR) {
            for (auto& record : table) record.RemoveCR();
        }
    }
    void Save(RecordWriter& writer) override { SaveRecordList(writer, m_Database.*Member); }
    void Describe(RecordVisitor& visitor) override {
        DescribeList(visitor, "record", m_Database.*Member);
    }

private:
    cEdDatabase m_Database;
};

template <auto Member>
std::unique_ptr<SerialRecord> MakeDatabaseTableFile() {
    return std::make_unique<DatabaseTableFile<Member>>();
}

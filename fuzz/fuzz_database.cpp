// The ten database table readers over hostile bytes: the first byte picks the table, the rest
// is the table file (version first). The table is read as the start-up load reads it, written
// back and read again (which must give the same bytes), and the post-load tables are built
// from the result.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "data/database.h"
#include "stage/post_load_tables.h"

namespace {

template <class T>
std::vector<std::uint8_t> SaveTable(CheckedVector<T>& table) {
    RecordWriter writer;
    writer.WriteU32(writer.Version());
    SaveRecordList(writer, table);
    return std::move(writer.Bytes());
}

template <class T>
void Exercise(CheckedVector<T>& table, RecordReader& reader) {
    ReadDatabaseTable(table, reader);
    for (T& record : table) record.RemoveCR();
    // What the program writes must read back whole and write the same bytes again.
    const std::vector<std::uint8_t> saved = SaveTable(table);
    RecordReader back = RecordReader::FromBytes(saved);
    CheckedVector<T> again;
    ReadDatabaseTable(again, back);
    if (back.StoppedEarly() || again.Size() != table.Size() || SaveTable(again) != saved) {
        std::fprintf(stderr, "re-read differs (stopped %d at %zu: %s)\n", back.StoppedEarly(),
                     back.ProblemOffset(), back.Problem().c_str());
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    RecordReader reader = RecordReader::FromBytes(std::vector<std::uint8_t>(data + 1, data + size));
    if (!reader.Ok()) return 0;
    EdDatabase.SetDefaults();
    switch (data[0] % kDatabaseTableCount) {
        case 0:
            Exercise(EdDatabase.vecAnimeSet, reader);
            break;
        case 1:
            Exercise(EdDatabase.vecAnime, reader);
            break;
        case 2:
            Exercise(EdDatabase.vecBmpCharaExc, reader);
            break;
        case 3:
            Exercise(EdDatabase.vecSwordType, reader);
            break;
        case 4:
            Exercise(EdDatabase.vecEffect, reader);
            break;
        case 5:
            Exercise(EdDatabase.vecCharaEffect, reader);
            break;
        case 6:
            Exercise(EdDatabase.vecScrEffect, reader);
            break;
        case 7:
            Exercise(EdDatabase.vecPicture, reader);
            break;
        case 8:
            Exercise(EdDatabase.vecSound, reader);
            break;
        default:
            Exercise(EdDatabase.vecBgm, reader);
            break;
    }
    EdDatabase.PostLoad();
    BuildPostLoadTables();
    return 0;
}

#include "data/database.h"

#include <string>

#include "base/log.h"
#include "base/message_box.h"

cEdDatabase EdDatabase;

namespace {

// Brings a table to exactly n class-default records.
template <class T>
void FillDefault(CheckedVector<T>& table, std::size_t n) {
    table.Clear();
    table.resize(n);
}

// A table that cannot be opened stops the load with the box naming its path. An effect table
// without records stops it the same way: entry 0 is the "none" effect that the post-load
// step and every "no effect" index rely on, and an empty table has none to give.
template <class T>
bool LoadTableOrReport(CheckedVector<T>& table, int index, bool needsEntry0 = false) {
    const char* path = DatabaseTablePath(index);
    if (LoadDatabaseTable(table, path) != 0 && !(needsEntry0 && table.empty())) return true;
    ErrorBoxF("%s のロードに失敗！", path);
    return false;
}

}  // namespace

void NoteDatabaseReadProblem(std::string_view path, const RecordReader& reader) {
    if (!reader.StoppedEarly()) return;
    const std::string name(path);
    ReportLog("%s : read stopped at offset %zu: %s", name.c_str(), reader.ProblemOffset(),
              reader.Problem().c_str());
}

cEdDatabase::cEdDatabase() {
    SetDefaults();
}

void cEdDatabase::Rebind(std::uint32_t) {
    RebindNone(*this);
}

void cEdDatabase::SetDefaults() {
    Reset();
    FillDefault(vecAnimeSet, 1);
    FillDefault(vecAnime, 2);
    vecAnime[0].strName = "なし";
    vecAnime[1].strName = "アクションA";
    FillDefault(vecBmpCharaExc, 2);
    FillDefault(vecSwordType, 1);
    FillDefault(vecEffect, 2);
    FillDefault(vecCharaEffect, 2);
    FillDefault(vecScrEffect, 2);
    FillDefault(vecPicture, 2);
    FillDefault(vecSound, 2);
    FillDefault(vecBgm, 2);
}

int cEdDatabase::LoadAll() {
    if (!LoadTableOrReport(vecAnimeSet, 0)) return 0;
    if (!LoadTableOrReport(vecAnime, 1)) return 0;
    if (!LoadTableOrReport(vecBmpCharaExc, 2)) return 0;
    if (!LoadTableOrReport(vecSwordType, 3)) return 0;
    if (!LoadTableOrReport(vecEffect, 4)) return 0;
    if (!LoadTableOrReport(vecCharaEffect, 5, true)) return 0;
    if (!LoadTableOrReport(vecScrEffect, 6, true)) return 0;
    if (!LoadTableOrReport(vecPicture, 7)) return 0;
    if (!LoadTableOrReport(vecSound, 8)) return 0;
    if (!LoadTableOrReport(vecBgm, 9)) return 0;
    PostLoad();
    return 1;
}

void cEdDatabase::PostLoad() {
    // Safe also on its own: an empty table has no entry to mark.
    if (!vecCharaEffect.empty()) vecCharaEffect[0].nKind = 0;
    if (!vecScrEffect.empty()) vecScrEffect[0].nKind = 0;
}

// The ranking file of a stage and play mode.
#include <string>

#include "base/format.h"
#include "base/paths.h"
#include "scene/ranking.h"

int MakeRankingPath(std::string& out, int mode, std::string_view key) {
    static constexpr int kFolders[] = {kPathStoryRanking, kPathChallengeRanking, kPathFreeRanking};
    if (mode < 0 || mode > 2) return 0;
    std::string name(key);
    StripDirectory(name);
    std::string path;
    FormatString(path, "%s%s%s", DataPathTable[kFolders[mode]], name.c_str(),
                 ExtensionTable[kExtRanking]);
    if (path.size() > kMaxPathLength) return 0;
    out = std::move(path);
    return 1;
}

int LoadRankingRecord(RankSet& set, RecordReader& reader) {
    RankSet loaded;
    loaded.Load(reader);
    if (reader.StoppedEarly()) {
        set.Reset();
        return 0;
    }
    // Exactly five tables of twenty places, whatever the file held.
    loaded.m_vecTable.resize(kRankTables);
    for (RankTable& table : loaded.m_vecTable) {
        const std::int32_t order = table.m_bHigherFirst;
        table.Reset();
        table.m_bHigherFirst = order;
    }
    set = loaded;
    return 1;
}

int LoadRankingFile(RankSet& set, int mode, std::string_view key) {
    std::string path;
    if (!MakeRankingPath(path, mode, key)) {
        set.Reset();
        return 0;
    }
    RecordReader reader = RecordReader::FromFile(path);
    if (!reader.Ok()) {
        set.Reset();
        return 0;
    }
    return LoadRankingRecord(set, reader);
}

int SaveRankingFile(RankSet& set, int mode, std::string_view key) {
    std::string path;
    if (!MakeRankingPath(path, mode, key)) return 0;
    return set.SaveToFile(path);
}

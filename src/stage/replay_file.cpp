#include "stage/replay_file.h"

#include <cstring>
#include <vector>

#include "base/format.h"
#include "base/globals.h"
#include "base/log.h"
#include "base/paths.h"
#include "data/stage_record.h"
#include "data/system_ini.h"
#include "gfx/display.h"
#include "gfx/file_dialogs.h"
#include "platform/host_path.h"
#include "platform/message_box.h"
#include "scene/game_progress.h"
#include "scene/replay_log.h"
#include "stage/stage_value_repair.h"

namespace {

// The first version whose replay files end with the progress record.
constexpr std::uint32_t kReplayProgressVersion = 173;
constexpr char kReplayFolder[] = "user_data\\rpl4\\";

}  // namespace

std::string ReplayExtension() {
    return Format("rpl4_%s", "747");
}

int SaveReplayFile(ReplayLog& log, std::string_view path, cEdStage& running, cEdStage& loaded,
                   GameProgress& snapshot) {
    RecordWriter writer;
    writer.WriteU32(writer.Version());
    running.SaveForReplay(writer, loaded);
    log.Save(writer);
    snapshot.Save(writer);
    return WriteFileAtomically(path, writer.Bytes()) ? 1 : 0;
}

int LoadReplayFile(ReplayLog& log, std::string_view path, cEdStage& running, cEdStage& loaded,
                   GameProgress& progress, std::string* why) {
    const std::string file(path);  // the path may be the running stage's own
    RecordReader reader = RecordReader::FromFile(file);
    if (!reader.Ok()) {
        if (why) *why = "the file cannot be read";
        return 0;
    }
    dwFileVersion = reader.Version();
    if (!LoadReplayRecord(log, reader, running, loaded, progress, why)) return 0;
    running.strPath = file;
    return 1;
}

int LoadReplayRecord(ReplayLog& log, RecordReader& reader, cEdStage& running, cEdStage& loaded,
                     GameProgress& progress, std::string* why) {
    const auto fail = [why](const char* reason) {
        if (why) *why = reason;
        return 0;
    };

    cEdStage stage;
    stage.Load(reader);
    if (reader.StoppedEarly()) return fail("the stage ends early or is damaged");
    if (reader.Version() >= kStageEndMarkCheckedVersion && stage.dwEndMark != STAGE_END_MARK)
        return fail("the stage does not end with its closing value");
    if (!stage.HasHero()) return fail("the stage has no hero");

    ReplayLog replay;
    replay.Load(reader);
    if (reader.StoppedEarly()) return fail("the input log ends early");
    if (!replay.IsSound()) return fail("the input log's counts or runs do not agree");

    GameProgress snapshot = progress;
    const bool hasProgress = reader.Version() >= kReplayProgressVersion;
    if (hasProgress) {
        snapshot.Load(reader);
        if (reader.StoppedEarly()) return fail("the progress record ends early or is damaged");
    }

    RepairDamagedStageValues(stage);
    const std::string keepPath = running.strPath;
    running = stage;
    running.strPath = keepPath;
    loaded.CopySettingsFrom(running);
    loaded.FreePalettes();
    log.Assign(replay);
    log.Rewind();
    if (hasProgress) progress = snapshot;
    return 1;
}

std::string ProposeReplayName(std::string_view key) {
    if (key.empty()) return {};
    const std::string ext = ReplayExtension();
    std::string name;
    if (!ReplaceExtension(name, key, ext.c_str())) name = std::string(key) + "." + ext;
    StripDirectory(name);
    const std::string base = Format("%s%s", kReplayFolder, name.c_str());
    std::string candidate;
    for (int i = 0; i <= 8; ++i) {
        for (int j = 0; j <= 8; ++j) {
            if (!InsertNumberSuffix(candidate, base, i, j)) return base;
            if (!plat::FileExists(candidate)) return candidate;
        }
    }
    return candidate;  // every name is taken: the last one (NAME_88) is offered
}

int ChooseReplaySaveName(std::string& out, std::string_view key) {
    std::string proposal = ProposeReplayName(key);
    StripDirectory(proposal);
    char buffer[260] = {};
    if (proposal.size() < sizeof buffer) std::memcpy(buffer, proposal.c_str(), proposal.size() + 1);
    const std::string ext = ReplayExtension();
    const std::string description = Format("ReplayFile ( *.%s )", ext.c_str());
    const std::string pattern = Format("*.%s", ext.c_str());
    std::vector<char> filter;
    for (const std::string* s : {&description, &pattern}) {
        filter.insert(filter.end(), s->begin(), s->end());
        filter.push_back('\0');
    }
    filter.push_back('\0');
    const char* title = SystemIni.English != 0 ? "Save replay file" : "リプレイファイルの保存";
    DDSetDialogMode(1);
    const bool chosen = GetSaveFileName(plat::GetActiveWindow(), buffer, kReplayFolder, title,
                                        filter.data(), ext.c_str(), 1);
    DDSetDialogMode(0);
    if (!chosen) return 0;
    out = buffer;
    return 1;
}

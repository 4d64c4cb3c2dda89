// A replay file over hostile bytes: a file that is refused leaves the stage, the log and the
// progress untouched; one that is taken plays back without leaving its log (every run lasts
// at least a frame, so play-back ends after as many frames as the shorter channel holds),
// and written back it reads again to the same log.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "data/stage_record.h"
#include "scene/game_progress.h"
#include "scene/replay_log.h"
#include "stage/replay_file.h"

namespace {

std::int64_t Frames(const CheckedVector<std::int32_t>& runs) {
    std::int64_t total = 0;
    for (std::int32_t run : runs) total += run;
    return total;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RecordReader reader = RecordReader::FromBytes(std::vector<std::uint8_t>(data, data + size));
    if (!reader.Ok()) return 0;
    ReplayLog log;
    log.RecordFrame(1, 2);
    cEdStage running;
    cEdStage loaded;
    GameProgress progress;
    progress.m_nScore = 77;
    const unsigned charas = running.vecChara.Size();
    if (!LoadReplayRecord(log, reader, running, loaded, progress)) {
        if (log.m_vecDirValue.Size() != 1 || log.m_vecDirRun[0] != 1 || progress.m_nScore != 77 ||
            running.vecChara.Size() != charas)
            __builtin_trap();
        return 0;
    }
    if (!log.IsSound() || !running.HasHero()) __builtin_trap();
    const std::int64_t frames = std::min(Frames(log.m_vecDirRun), Frames(log.m_vecButtonRun));
    std::int16_t out[2];
    std::int64_t played = 0;
    while (played < 100000 && log.PlayFrame(out) == 0) ++played;
    if (played < 100000 && played != frames) __builtin_trap();

    RecordWriter writer;
    log.Save(writer);
    ReplayLog again;
    RecordReader back(writer.Bytes(), writer.Version());
    again.Load(back);
    if (back.StoppedEarly() || again.m_nSeed != log.m_nSeed ||
        again.m_vecDirValue.Size() != log.m_vecDirValue.Size() ||
        again.m_vecButtonRun.Size() != log.m_vecButtonRun.Size())
        __builtin_trap();
    return 0;
}

// A progress file (story slot, challenge file) over hostile bytes: loaded, written back and
// read again, which must give the same bytes; a file the reader accepted whole must also
// have the sizes the game indexes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "scene/game_progress.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RecordReader reader = RecordReader::FromBytes(std::vector<std::uint8_t>(data, data + size));
    if (!reader.Ok()) return 0;
    GameProgress progress;
    progress.Load(reader);
    if (!reader.StoppedEarly()) {
        if (progress.m_vecSwitch.Size() != kSwitchCount ||
            progress.m_vecVariable.Size() != kCommonVariableCount ||
            progress.m_vecCarryFlags.Size() != kCarryGroupCount ||
            progress.m_vecCarryChara.empty() || progress.m_nRankTable < 0 ||
            progress.m_nRankTable > 4 || progress.m_nSlot < -1 ||
            progress.m_nSlot >= kSaveSlotCount) {
            __builtin_trap();
        }
    }

    const std::vector<std::uint8_t> saved = progress.SaveToBytes();
    GameProgress again;
    RecordReader back = RecordReader::FromBytes(saved);
    again.Load(back);
    if (back.StoppedEarly() || again.SaveToBytes() != saved) {
        std::fprintf(stderr, "re-read differs (stopped %d at %zu: %s)\n", back.StoppedEarly(),
                     back.ProblemOffset(), back.Problem().c_str());
        __builtin_trap();
    }
    return 0;
}

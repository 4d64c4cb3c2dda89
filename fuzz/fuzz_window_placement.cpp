// user_data\Window.dat over hostile bytes: loaded as start-up loads it, the corner must lie
// on the full-screen client area, and the record written back must read back the same.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/window_placement.h"
#include "platform/desktop.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RecordReader reader = RecordReader::FromBytes(std::vector<std::uint8_t>(data, data + size));
    if (!reader.Ok()) return 0;
    cWindowPlacement placement;
    placement.Load(reader);
    if (placement.x < 0 || placement.x > plat::GetSystemMetrics(plat::SM_CXFULLSCREEN) ||
        placement.y < 0 || placement.y > plat::GetSystemMetrics(plat::SM_CYFULLSCREEN))
        __builtin_trap();
    const std::vector<std::uint8_t> saved = placement.SaveToBytes();
    // Five fields and no strings, whatever was read.
    if (saved.size() != 32) __builtin_trap();
    cWindowPlacement again;
    RecordReader back = RecordReader::FromBytes(saved);
    again.Load(back);
    if (back.StoppedEarly() || again.SaveToBytes() != saved) __builtin_trap();
    return 0;
}

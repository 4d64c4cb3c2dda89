// user_data\Boot.dat over hostile bytes: loaded as start-up loads it, written back and read
// again, which must give the same record and the same bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/boot_settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RecordReader reader = RecordReader::FromBytes(std::vector<std::uint8_t>(data, data + size));
    if (!reader.Ok()) return 0;
    cBootSettings boot;
    boot.Load(reader);
    const std::vector<std::uint8_t> saved = boot.SaveToBytes();
    // Two fields and no strings, whatever was read.
    if (saved.size() != 20) __builtin_trap();
    cBootSettings again;
    RecordReader back = RecordReader::FromBytes(saved);
    again.Load(back);
    if (back.StoppedEarly() || again.SaveToBytes() != saved || again.nDrawMode != boot.nDrawMode ||
        again.bNoAsk != boot.bNoAsk)
        __builtin_trap();
    return 0;
}

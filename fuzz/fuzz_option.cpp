// user_data\Option.dat over hostile bytes: loaded, written back and read again, which must give
// the same record and the same bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/option_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RecordReader reader = RecordReader::FromBytes(std::vector<std::uint8_t>(data, data + size));
    if (!reader.Ok()) return 0;
    OptionData option;
    option.Load(reader);
    const int volume = option.SeVolumeStep();
    const int palette = option.PaletteNumber();
    if (volume < 0 || volume > 10 || palette < 0 || palette > 23) __builtin_trap();
    const std::vector<std::uint8_t> saved = option.SaveToBytes();
    OptionData again;
    RecordReader back = RecordReader::FromBytes(saved);
    again.Load(back);
    if (back.StoppedEarly() || again.SaveToBytes() != saved ||
        again.strRankingName != option.strRankingName || again.nSeVolume != option.nSeVolume) {
        __builtin_trap();
    }
    return 0;
}

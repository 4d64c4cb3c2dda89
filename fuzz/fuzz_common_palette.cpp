// CommonPalette.cplt4 over hostile bytes: the three palette lists with inheritance between
// their entries, the fixed entry 0, the cleared flags and the normalise step with its
// reference checks. The loaded palette is copied and written back; reading what was written
// settles after one round.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "data/common_palette.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RecordReader reader = RecordReader::FromBytes(std::vector<std::uint8_t>(data, data + size));
    if (!reader.Ok()) return 0;
    cEdCommonPalette palette;
    palette.Load(reader);

    // Copies write the same bytes as their source.
    cEdCommonPalette copy;
    copy = palette;
    const std::vector<std::uint8_t> saved = palette.SaveToBytes();
    if (copy.SaveToBytes() != saved) {
        std::fprintf(stderr, "copy differs\n");
        __builtin_trap();
    }

    // A saved palette reads back whole. Its first read may still change it once (a list the
    // file left empty was padded with new entries, and entry 0 of a list that is not empty
    // gets the fixed defaults), after that it is a fixed point.
    std::vector<std::uint8_t> previous = saved;
    for (int round = 0; round < 2; ++round) {
        RecordReader back = RecordReader::FromBytes(previous);
        cEdCommonPalette again;
        again.Load(back);
        if (back.StoppedEarly() || back.Remaining() != 0) {
            std::fprintf(stderr, "re-read stopped %d at %zu: %s\n", back.StoppedEarly(),
                         back.ProblemOffset(), back.Problem().c_str());
            __builtin_trap();
        }
        std::vector<std::uint8_t> next = again.SaveToBytes();
        if (round == 1 && next != previous) {
            std::fprintf(stderr, "second re-read differs\n");
            __builtin_trap();
        }
        previous = std::move(next);
    }

    // Items looked up by reference are the palette's own entries, or null exactly for a kind
    // other than 1 and 2 or an index outside the list.
    PaletteScope scope(palette.Lists(), StagePaletteLists());
    for (int kind = -1; kind <= 3; ++kind) {
        CheckedVector<cEdItem>* items = kind == 1   ? &palette.vecItem
                                        : kind == 2 ? StagePaletteLists().pItem
                                                    : nullptr;
        const int count = items ? static_cast<int>(items->Size()) : 0;
        for (int index = -1; index <= count; ++index) {
            const cEdItem* item = FindPaletteItem(kind, index);
            const bool found = items && index >= 0 && index < count;
            if (found ? item != &(*items)[index] : item != nullptr) {
                std::fprintf(stderr, "FindPaletteItem(%d, %d) wrong\n", kind, index);
                __builtin_trap();
            }
        }
    }
    return 0;
}

// A flow list over hostile bytes (the version, then a u32 count and the flow bodies, as the
// character definitions store them): loaded with every upgrade and the nested commands,
// moves, shots and flows, copied, written back and read again, which must give the same
// bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "data/flow_records.h"

namespace {

std::vector<std::uint8_t> SaveList(CheckedVector<cEdFlow>& list) {
    RecordWriter writer;
    writer.WriteU32(writer.Version());
    SaveRecordList(writer, list);
    return std::move(writer.Bytes());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RecordReader reader = RecordReader::FromBytes(std::vector<std::uint8_t>(data, data + size));
    if (!reader.Ok()) return 0;
    CheckedVector<cEdFlow> flows;
    LoadFlowList(flows, reader);

    // Copies are deep and write the same bytes as their source.
    CheckedVector<cEdFlow> copy = flows;
    const std::vector<std::uint8_t> saved = SaveList(flows);
    if (SaveList(copy) != saved) {
        std::fprintf(stderr, "copy differs\n");
        __builtin_trap();
    }

    RecordReader back = RecordReader::FromBytes(saved);
    CheckedVector<cEdFlow> again;
    LoadFlowList(again, back);
    if (back.StoppedEarly() || back.Remaining() != 0 || SaveList(again) != saved) {
        std::fprintf(stderr, "re-read differs (stopped %d at %zu: %s)\n", back.StoppedEarly(),
                     back.ProblemOffset(), back.Problem().c_str());
        __builtin_trap();
    }
    return 0;
}

// A stage file over hostile bytes: loaded with its palettes, placements, backgrounds, texts
// and the upgrades of older versions; copied, written back, written as a replay body, and
// read again. A second save of a re-read file must be its own fixed point (the first may
// still change: entry 0 of a palette padded from nothing is given its fixed defaults only
// when it is read).
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "data/stage_record.h"

namespace {

void Fail(const char* what, const RecordReader* reader = nullptr) {
    if (reader) {
        std::fprintf(stderr, "%s (stopped %d at %zu: %s)\n", what, reader->StoppedEarly(),
                     reader->ProblemOffset(), reader->Problem().c_str());
    } else {
        std::fprintf(stderr, "%s\n", what);
    }
    __builtin_trap();
}

std::vector<std::uint8_t> Resave(const std::vector<std::uint8_t>& bytes) {
    RecordReader reader = RecordReader::FromBytes(bytes);
    cEdStage stage;
    stage.Load(reader);
    if (reader.StoppedEarly() || reader.Remaining() != 0)
        Fail("a saved stage reads short", &reader);
    return stage.SaveToBytes();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    RecordReader reader = RecordReader::FromBytes(std::vector<std::uint8_t>(data, data + size));
    if (!reader.Ok()) return 0;
    cEdStage stage;
    stage.Load(reader);
    stage.HasHero();

    cEdStage copy = stage;
    const std::vector<std::uint8_t> saved = stage.SaveToBytes();
    if (copy.SaveToBytes() != saved) Fail("copy differs");

    const std::vector<std::uint8_t> second = Resave(saved);
    if (Resave(second) != second) Fail("a re-read stage saves differently");

    // A replay body of two stages, one of them without palettes, reads back whole.
    cEdStage source = copy;
    source.FreePalettes();
    RecordWriter writer;
    stage.SaveForReplay(writer, source);
    RecordReader replay(writer.Bytes(), kCurrentDataVersion);
    cEdStage back;
    back.Load(replay);
    if (replay.StoppedEarly() || replay.Remaining() != 0)
        Fail("a replay body reads short", &replay);
    return 0;
}

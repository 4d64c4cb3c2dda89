// k4-dump FILE [--kind=KIND]: prints a record file as the player reads it.
//
// The kind comes from the file's base name (case-insensitive) or from --kind. A file of no
// known kind prints its version, its field count and a hex dump of the rest. The exit
// status is 1 when the read stopped early or the file could not be read, 2 for bad usage.
#include <cstdio>
#include <cstring>
#include <string>

#include "data/record_dump.h"
#include "scene/game_progress.h"

namespace {

int Usage() {
    std::fprintf(stderr, "usage: k4-dump FILE [--kind=KIND]\nkinds:");
    for (const RecordKind& k : RecordKinds()) std::fprintf(stderr, " %s", k.name);
    std::fprintf(stderr, "\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // The progress files: the story slots and the challenge file.
    const auto makeProgress = [] { return std::unique_ptr<SerialRecord>(new GameProgress); };
    AddRecordKind({"Slot", "Story*.dat", makeProgress});
    AddRecordKind({"Challenge", "Challenge.dat", makeProgress});
    std::string file, kindName;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--kind=", 7) == 0) {
            kindName = argv[i] + 7;
        } else if (file.empty() && argv[i][0] != '-') {
            file = argv[i];
        } else {
            return Usage();
        }
    }
    if (file.empty()) return Usage();

    const RecordKind* kind = nullptr;
    if (!kindName.empty()) {
        kind = FindKindByName(kindName);
        if (!kind) {
            std::fprintf(stderr, "k4-dump: unknown kind '%s'\n", kindName.c_str());
            return Usage();
        }
    } else {
        const std::size_t slash = file.find_last_of("/\\");
        kind = FindKindForFile(slash == std::string::npos ? file : file.substr(slash + 1));
    }

    // The name is a host path, not a program path: read it as given.
    RecordReader reader = RecordReader::FromHostFile(file);
    if (!reader.Ok()) {
        std::printf("! offset 0: cannot read a record file from %s\n", file.c_str());
        return 1;
    }
    DumpResult result;
    if (kind) {
        auto record = kind->make();
        result = DumpRecord(*record, reader);
    } else {
        result = DumpUnknown(reader);
    }
    std::fwrite(result.text.data(), 1, result.text.size(), stdout);
    return result.ok ? 0 : 1;
}

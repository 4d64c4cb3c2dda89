// Prints a record file as the program reads it: the version, then one line per member,
// `path.to.member[i] = value`, in file order, sub-records included. Members the file did
// not store show their value after the load, marked (default). Used by the k4-dump tool.
#pragma once

#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "data/record_io.h"
#include "data/serial_record.h"

struct DumpResult {
    std::string text;
    bool ok = true;  // false when the read stopped early (the text then says where and why)
};

// Loads the record from the reader and prints what was read.
DumpResult DumpRecord(SerialRecord& record, RecordReader& reader);
// For a file of no known kind: the version, the field count and a hex dump of the rest
// (the count counts fields, not bytes, so nothing more can be known).
DumpResult DumpUnknown(const RecordReader& reader);

// A file kind the dumper knows: its name for --kind, the pattern of its base name
// (case-insensitive, '*' matches any run of characters) and how to make its record.
struct RecordKind {
    const char* name;
    const char* pattern;
    std::unique_ptr<SerialRecord> (*make)();
};

std::span<const RecordKind> RecordKinds();
// A kind of a record class above this layer, added by the tool before any lookup (the
// lookups return pointers into the table).
void AddRecordKind(const RecordKind& kind);
const RecordKind* FindKindByName(std::string_view name);
const RecordKind* FindKindForFile(std::string_view baseName);
bool MatchesPattern(std::string_view pattern, std::string_view name);

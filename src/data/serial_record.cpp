#include "data/serial_record.h"

#include <algorithm>
#include <cstring>

#include "base/format.h"
#include "base/log.h"

std::uint32_t dwDataVersion = kCurrentDataVersion;
std::atomic<std::uint32_t> dwFileVersion{0};
int bStripCR = 1;

namespace {

// Rebasing works on addresses as numbers: the entry names the member at the same offset
// inside another record of the same class.
void* Rebase(const void* address, const SerialRecord* from, const SerialRecord* to) {
    return reinterpret_cast<void*>(reinterpret_cast<std::uintptr_t>(address) -
                                   reinterpret_cast<std::uintptr_t>(from) +
                                   reinterpret_cast<std::uintptr_t>(to));
}

}  // namespace

void FieldEntry::Assign(const FieldEntry& source) {
    address = Rebase(source.address, source.owner, owner);
    count = source.count;
    size = source.size;
    name = source.name;
}

void StringEntry::Assign(const StringEntry& source) {
    address = static_cast<std::string*>(Rebase(source.address, source.owner, owner));
    name = source.name;
}

SerialRecord& SerialRecord::operator=(const SerialRecord& source) {
    if (this == &source) return *this;
    m_Stored = source.m_Stored;
    Rebind(dwDataVersion);
    source.RebindConst(dwDataVersion);
    // Entries appended to match the source belong to this record before they are assigned.
    while (m_FieldTable.Size() < source.m_FieldTable.Size()) {
        m_FieldTable.push_back(FieldEntry(this, nullptr, 0, 0));
    }
    m_FieldTable.resize(source.m_FieldTable.size());
    for (int i = 0; i < FieldCount(); ++i) FieldAt(i) = source.m_FieldTable[i];
    while (m_StringTable.Size() < source.m_StringTable.Size()) {
        m_StringTable.push_back(StringEntry(this, nullptr));
    }
    m_StringTable.resize(source.m_StringTable.size());
    for (int i = 0; i < StringCount(); ++i) StringAt(i) = source.m_StringTable[i];
    return *this;
}

void SerialRecord::Rebind(std::uint32_t) {
    ClearTables();
}

void SerialRecord::ClearTables() {
    m_FieldTable.Clear();
    m_StringTable.Clear();
}

void SerialRecord::AddField(void* address, std::uint32_t count, std::int8_t size,
                            const char* name) {
    m_FieldTable.push_back(FieldEntry(this, address, count, size, name));
}

void SerialRecord::AddString(std::string* address, std::uint32_t count, const char* name) {
    for (std::uint32_t i = 0; i < count; ++i) {
        m_StringTable.push_back(StringEntry(this, address, name));
    }
}

void SerialRecord::Describe(RecordVisitor&) {}

std::size_t SerialRecord::FieldBytes() const {
    std::size_t bytes = 0;
    for (const FieldEntry& e : m_FieldTable) bytes += std::size_t{e.count} * e.size;
    return bytes;
}

void SerialRecord::Reset() {
    Rebind(dwDataVersion);
    for (int i = 0; i < FieldCount(); ++i) {
        FieldEntry& e = FieldAt(i);
        std::memset(e.address, 0, std::size_t{e.count} * e.size);
    }
    for (int i = 0; i < StringCount(); ++i) StringAt(i).address->clear();
}

void SerialRecord::Assign(const SerialRecord& source) {
    if (this == &source) return;
    // The source's members lie at the same offsets as this record's (one class): its
    // tables are not touched, so other threads may read it meanwhile.
    Rebind(dwDataVersion);
    for (int i = 0; i < FieldCount(); ++i) {
        FieldEntry& e = FieldAt(i);
        std::memcpy(e.address, Rebase(e.address, this, &source), std::size_t{e.count} * e.size);
    }
    for (int i = 0; i < StringCount(); ++i) {
        std::string* target = StringAt(i).address;
        *target = *static_cast<const std::string*>(Rebase(target, this, &source));
    }
}

void SerialRecord::Load(RecordReader& reader) {
    Rebind(reader.Version());
    // Every stored field holds at least one byte.
    const std::uint32_t fields = reader.ReadCount(1);
    std::uint32_t read = 0;
    for (std::uint32_t i = 0; i < fields; ++i) {
        const int index = static_cast<int>(i);
        if (index >= FieldCount()) {
            // The checked access logs the surplus index and asks the program to close; the
            // value is not read into another member: the read ends here.
            FieldAt(index);
            reader.StopHere("the file stores more fields than the record has");
            break;
        }
        FieldEntry& e = FieldAt(index);
        if (!reader.Read(e.address, std::size_t{e.count} * e.size)) break;
        ++read;
    }
    const std::uint32_t strings = LoadStringsCounted(reader);
    m_Stored = StoredCounts{true, reader.Version(), read, strings};
    if (dwDataVersion != reader.Version()) Rebind(dwDataVersion);
}

void SerialRecord::LoadStrings(RecordReader& reader) {
    LoadStringsCounted(reader);
}

std::uint32_t SerialRecord::LoadStringsCounted(RecordReader& reader) {
    // Every stored string holds at least its 4-byte length.
    const std::uint32_t strings = reader.ReadCount(4);
    std::string text;
    std::uint32_t read = 0;
    for (std::uint32_t i = 0; i < strings; ++i) {
        const int index = static_cast<int>(i);
        if (index >= StringCount()) {
            StringAt(index);
            reader.StopHere("the file stores more strings than the record has");
            break;
        }
        const std::uint32_t length = reader.ReadU32();
        if (reader.StoppedEarly()) break;
        std::string& target = *StringAt(index).address;
        if (length <= 1) {
            // 1 is the empty string, with no bytes after it; 0 is never written and reads
            // the same way.
            target.clear();
            ++read;
            continue;
        }
        // Checked before the buffer is sized, so a hostile length allocates nothing.
        if (length > reader.Remaining()) {
            reader.StopHere(Format("a string of %u bytes cannot fit in the %zu bytes left", length,
                                   reader.Remaining()));
            break;
        }
        text.resize(length);
        reader.Read(text.data(), length);
        // The text ends at its first zero byte; stored bytes without one are all text.
        target.assign(text.data(), strnlen(text.data(), length));
        ++read;
    }
    if (bStripCR) RemoveCR();
    return read;
}

void SerialRecord::RemoveCR() {
    for (int i = 0; i < StringCount(); ++i) {
        std::string& s = *StringAt(i).address;
        s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
    }
}

void SerialRecord::Save(RecordWriter& writer) {
    Rebind(writer.Version());
    writer.WriteU32(static_cast<std::uint32_t>(FieldCount()));
    for (int i = 0; i < FieldCount(); ++i) {
        const FieldEntry& e = FieldAt(i);
        writer.Write(e.address, std::size_t{e.count} * e.size);
    }
    SaveStrings(writer);
}

void SerialRecord::SaveStrings(RecordWriter& writer) {
    writer.WriteU32(static_cast<std::uint32_t>(StringCount()));
    for (int i = 0; i < StringCount(); ++i) {
        std::string& s = *StringAt(i).address;
        // A string is stored up to its first zero byte, and keeps only that part.
        s.resize(std::strlen(s.c_str()));
        writer.WriteU32(static_cast<std::uint32_t>(s.size() + 1));
        if (!s.empty()) writer.Write(s.c_str(), s.size() + 1);
    }
}

int SerialRecord::LoadFromFile(std::string_view path, bool* stoppedEarly) {
    RecordReader reader = RecordReader::FromFile(path);
    if (!reader.Ok()) return 0;
    dwFileVersion = reader.Version();
    Load(reader);
    if (reader.StoppedEarly()) {
        std::string name(path);
        ReportLog("%s : read stopped at offset %zu: %s", name.c_str(), reader.ProblemOffset(),
                  reader.Problem().c_str());
    }
    if (stoppedEarly) *stoppedEarly = reader.StoppedEarly();
    return 1;
}

std::vector<std::uint8_t> SerialRecord::SaveToBytes(RecordWriter writer) {
    writer.WriteU32(writer.Version());
    Save(writer);
    // The record's tables describe the current layout again after an old-layout save.
    if (writer.Version() != dwDataVersion) Rebind(dwDataVersion);
    return std::move(writer.Bytes());
}

int SerialRecord::SaveToFile(std::string_view path) {
    return WriteFileAtomically(path, SaveToBytes()) ? 1 : 0;
}

void RebindNone(SerialRecord& record) {
    record.ClearTables();
}

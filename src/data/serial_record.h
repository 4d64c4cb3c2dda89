// The base of every record the program reads from or writes to a file.
//
// A record lists its serialisable members in two tables, numbers and strings, in file
// order. The derived class fills them in Rebind for a given file version, leaving out what
// a file of that version does not have; reading, writing, resetting and copying are then
// walks over the tables, which are bound afresh for the version at the start of every walk.
//
// The tables are a description of the class, not of one record: a layout (record_layout.h)
// holds the members as offsets from the start of the record, made once per class and version
// and shared by every record of the class, and an entry of a record is the layout's slot
// rebased onto that record. A record holds only a pointer to its layout, so copies cost their
// members only.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/checked_vector.h"
#include "data/record_io.h"
#include "data/record_layout.h"

class SerialRecord;
struct RecordRegistration;

// The current record version, written at the head of every file the program creates.
extern std::uint32_t dwDataVersion;
// The version of the file read last (each reader also carries its own, which is what the
// loads use; this global is only informative, and files may be read on two threads).
extern std::atomic<std::uint32_t> dwFileVersion;
// When set, loaded strings lose their carriage returns.
extern int bStripCR;

constexpr std::uint32_t kCurrentDataVersion = 747;

// One registered numeric member of one record: its layout slot rebased onto the record.
struct FieldEntry {
    SerialRecord* owner = nullptr;
    void* address = nullptr;
    std::uint32_t count = 0;
    std::int8_t size = 0;
    const char* name = "";  // for the record dumper
};

struct StringEntry {
    SerialRecord* owner = nullptr;
    std::string* address = nullptr;
    const char* name = "";  // for the record dumper
};

// What a load found of one record body: how many fields and strings were read, at which
// version. The record dumper marks the members a file did not give.
struct StoredCounts {
    bool loaded = false;
    std::uint32_t version = 0;
    std::uint32_t fields = 0;
    std::uint32_t strings = 0;
};

class SerialRecord {
public:
    SerialRecord() = default;
    // A copy starts with empty tables: the record it is part of may be of another class
    // than the source (a base copied out of a derived record), and every walk binds the
    // tables first anyway.
    SerialRecord(const SerialRecord& source) noexcept : m_Stored(source.m_Stored) {}
    SerialRecord(SerialRecord&& source) noexcept : m_Stored(source.m_Stored) {}
    // Gives this record the source's tables (the same layout, rebased onto this record),
    // and copies no member values: the derived copy-assignment copies its own members.
    SerialRecord& operator=(const SerialRecord& source);
    virtual ~SerialRecord();

    virtual void RebindConst(std::uint32_t) const {}
    // Registers the members of the version in file order: ClearTables, then the Add calls.
    // The walks below run it only for the first record of a class that needs a version and
    // share the result (BindTables); called directly, what it registers is this record's
    // tables until the next walk binds them again. The base registers nothing.
    virtual void Rebind(std::uint32_t version);
    // What besides the version the registration depends on (a record whose layout of old
    // files depends on what the file holds); records of one class, version and variant
    // register the same members.
    virtual std::uint32_t LayoutVariant() const { return 0; }
    // Binds the tables of the version: the class's shared layout, registered when this is
    // the first record of its class to need it.
    void BindTables(std::uint32_t version);
    // Reads the registered members: the field count and fields, then the strings.
    virtual void Load(RecordReader& reader);
    // Writes the registered members in the writer's layout. Derived saves that store more
    // normalise first (NormalizeBeforeSave), then call this, then write the rest.
    virtual void Save(RecordWriter& writer);
    // Brings indices and parameter vectors into their valid ranges, after a load and before
    // a save, for records that have such a step.
    virtual void Normalize() {}

    // Registration, in file order. The name is what the record dumper prints.
    void ClearTables();
    void AddInt(void* address, std::uint32_t count = 1, const char* name = "") {
        AddField(address, count, 4, name);
    }
    void AddShort(void* address, std::uint32_t count = 1, const char* name = "") {
        AddField(address, count, 2, name);
    }
    void AddByte(void* address, std::uint32_t count = 1, const char* name = "") {
        AddField(address, count, 1, name);
    }
    void AddDouble(void* address, std::uint32_t count = 1, const char* name = "") {
        AddField(address, count, 8, name);
    }
    void AddString(std::string* address, std::uint32_t count = 1, const char* name = "");

    // The entries of the current tables, through the checked access: a bad index is
    // reported and yields entry 0 (with an empty table, an entry of no bytes or a spare
    // string, never a member).
    FieldEntry FieldAt(int index);
    StringEntry StringAt(int index);
    int FieldCount() const { return static_cast<int>(Layout().fields.Size()); }
    int StringCount() const { return static_cast<int>(Layout().strings.Size()); }

    // Binds the tables of the current version (constructors rely on it), then zeroes every
    // registered member; strings become empty.
    void Reset();
    // Copies the registered members' values from a record of the same class.
    void Assign(const SerialRecord& source);

    // The shape the record has in a file: how many fields and bytes.
    std::size_t FieldBytes() const;
    // What the last load of this record read (copies carry it along).
    const StoredCounts& Stored() const { return m_Stored; }

    void LoadStrings(RecordReader& reader);
    void SaveStrings(RecordWriter& writer);
    // Removes carriage returns from the strings of the current registration.
    void RemoveCR();

    // 0 when the file could not be opened (the record is then unchanged), else 1, also for
    // a file that ended early: a report-log line says so, and stoppedEarly (when given)
    // tells callers that must refuse a partial file.
    int LoadFromFile(std::string_view path, bool* stoppedEarly = nullptr);
    // 1 when the file was written whole; 0 leaves an existing file as it was.
    int SaveToFile(std::string_view path);
    // What the record stores besides its registered members (lists of sub-records, extra
    // values), told to the dumper in file order. Records with such data override it.
    virtual void Describe(class RecordVisitor& visitor);

    // The whole file (version and body) as the writer lays it out.
    std::vector<std::uint8_t> SaveToBytes(RecordWriter writer = RecordWriter());

protected:
    // The normalise step around loads and saves, unless the reader or writer is one that
    // must see the file as it is (the dumper, old-layout test fixtures).
    void NormalizeAfterLoad(const RecordReader& reader) {
        if (reader.Normalizes()) Normalize();
    }
    void NormalizeBeforeSave(const RecordWriter& writer) {
        if (writer.Normalizes()) Normalize();
    }
    // The string half of Load; returns the number of strings read.
    std::uint32_t LoadStringsCounted(RecordReader& reader);
    void AddField(void* address, std::uint32_t count, std::int8_t size, const char* name);

private:
    // The current tables; a registration made by a direct Rebind call is turned into a
    // layout here, at the first use of the tables after it.
    const RecordLayout& Layout() const;
    void* At(std::ptrdiff_t offset) { return reinterpret_cast<char*>(this) + offset; }
    const void* At(std::ptrdiff_t offset) const {
        return reinterpret_cast<const char*>(this) + offset;
    }
    std::string& StringMember(const StringSlot& slot) {
        return *static_cast<std::string*>(At(slot.offset));
    }

    // Registration by a direct Rebind call, and its end.
    RecordRegistration* Registration();
    void DropRegistration();
    std::ptrdiff_t OffsetOf(const void* address) const;

    // Null: no tables yet. While a registration of this record is open (between ClearTables
    // and the next use of the tables), the pending marker of serial_record.cpp.
    mutable const LayoutBinding* m_pBinding = nullptr;
    StoredCounts m_Stored;
};

// Shared forms of the slots, for records with nothing or one or two numbers of their own.
void RebindNone(SerialRecord& record);

// The list convention: u32 count, then each element's body, each element starting from the
// class defaults. minBytes is the smallest body an element can have (every body holds at
// least its two counts). Elements are made as their bodies are read, not all up front: lists
// nest (flows hold commands that hold flows), and counts that each fit the bytes left could
// otherwise claim the same bytes at every level and multiply the memory a small file takes.
// A file that ends inside the list leaves only the elements it reached.
template <class T>
void LoadRecordList(RecordReader& reader, CheckedVector<T>& list, std::size_t minBytes = 8) {
    const std::uint32_t n = reader.ReadCount(minBytes);
    list.Clear();
    for (std::uint32_t i = 0; i < n && !reader.StoppedEarly(); ++i) {
        list.emplace_back();
        list.back().Load(reader);
    }
}

template <class T>
void SaveRecordList(RecordWriter& writer, CheckedVector<T>& list) {
    writer.WriteU32(list.Size());
    for (T& element : list) element.Save(writer);
}

#include "data/serial_record.h"

#include <algorithm>
#include <cstring>
#include <typeinfo>
#include <utility>
#include <vector>

#include "base/format.h"
#include "base/log.h"

std::uint32_t dwDataVersion = kCurrentDataVersion;
std::atomic<std::uint32_t> dwFileVersion{0};
int bStripCR = 1;

// A registration in progress: what a record's Rebind has added so far, as offsets.
struct RecordRegistration {
    const SerialRecord* owner = nullptr;
    std::vector<FieldSlot> fields;
    std::vector<StringSlot> strings;
};

namespace {

thread_local bool t_registrationsGone = false;

// The registrations open on this thread: usually none, or one for a moment. A walk opens and
// closes one when it is the first record of its class and version; a direct Rebind call
// leaves one open until the record's tables are next used. Closed slots keep their storage,
// so registering allocates nothing once a thread has registered its largest record.
struct OpenRegistrations {
    // More open at once only when records registered here are used or destroyed on another
    // thread; the oldest is then given up (its record binds its tables afresh).
    static constexpr std::size_t kMaxOpen = 64;

    std::vector<RecordRegistration> slots;  // the first `open` are in use
    std::size_t open = 0;

    ~OpenRegistrations() { t_registrationsGone = true; }

    RecordRegistration* Find(const SerialRecord* owner) {
        for (std::size_t i = open; i > 0; --i) {
            if (slots[i - 1].owner == owner) return &slots[i - 1];
        }
        return nullptr;
    }
    // A new, empty registration for the owner (an open one of the owner starts again).
    RecordRegistration& Open(const SerialRecord* owner) {
        RecordRegistration* r = Find(owner);
        if (!r) {
            if (open == kMaxOpen) Close(slots[0]);
            if (open == slots.size()) slots.emplace_back();
            r = &slots[open++];
            r->owner = owner;
        }
        r->fields.clear();
        r->strings.clear();
        return *r;
    }
    void Close(RecordRegistration& r) {
        r.owner = nullptr;
        RecordRegistration& last = slots[open - 1];
        if (&r != &last) std::swap(r, last);
        --open;
    }
};

thread_local OpenRegistrations t_registrations;

// Null once the thread is ending: records touched then have no registration.
OpenRegistrations* Registrations() {
    return t_registrationsGone ? nullptr : &t_registrations;
}

// What a record's binding is while its own registration is open.
const LayoutBinding kPendingRegistration{};

}  // namespace

SerialRecord::~SerialRecord() {
    if (m_pBinding == &kPendingRegistration) DropRegistration();
}

SerialRecord& SerialRecord::operator=(const SerialRecord& source) {
    if (this == &source) return *this;
    m_Stored = source.m_Stored;
    source.RebindConst(dwDataVersion);
    source.Layout();  // a registration of the source in progress becomes its layout
    if (m_pBinding == &kPendingRegistration) DropRegistration();
    const LayoutBinding* binding = source.m_pBinding;
    if (binding && binding->type != &typeid(*this)) {
        // Not a record of one class: this record's own tables instead of the source's.
        m_pBinding = nullptr;
        BindTables(dwDataVersion);
    } else {
        m_pBinding = binding;
    }
    return *this;
}

void SerialRecord::Rebind(std::uint32_t) {
    ClearTables();
}

void SerialRecord::BindTables(std::uint32_t version) {
    const std::type_info& type = typeid(*this);
    const std::uint32_t variant = LayoutVariant();
    const LayoutBinding* bound = m_pBinding;
    if (bound && bound->keyed && bound->version == version && bound->variant == variant &&
        bound->type == &type) {
        return;
    }
    if (bound == &kPendingRegistration) DropRegistration();
    if (const LayoutBinding* found = FindLayoutBinding(type, version, variant)) {
        m_pBinding = found;
        return;
    }
    // The first record of its class at this version: its registration is the class's.
    OpenRegistrations* registrations = Registrations();
    m_pBinding = nullptr;
    if (!registrations) return;
    registrations->Open(this);
    m_pBinding = &kPendingRegistration;
    Rebind(version);
    RecordRegistration* r = registrations->Find(this);
    if (!r) {
        m_pBinding = nullptr;
        return;
    }
    m_pBinding = AddLayoutBinding(type, version, variant, r->fields, r->strings);
    registrations->Close(*r);
}

const RecordLayout& SerialRecord::Layout() const {
    if (m_pBinding == &kPendingRegistration) [[unlikely]] {
        OpenRegistrations* registrations = Registrations();
        RecordRegistration* r = registrations ? registrations->Find(this) : nullptr;
        if (r) {
            m_pBinding = ContentLayoutBinding(typeid(*this), r->fields, r->strings);
            registrations->Close(*r);
        } else {
            // Registered on another thread, or given up: the current layout instead.
            m_pBinding = nullptr;
            const_cast<SerialRecord*>(this)->BindTables(dwDataVersion);
        }
    }
    return m_pBinding ? *m_pBinding->layout : EmptyRecordLayout();
}

void SerialRecord::DropRegistration() {
    m_pBinding = nullptr;
    OpenRegistrations* registrations = Registrations();
    if (!registrations) return;
    if (RecordRegistration* r = registrations->Find(this)) registrations->Close(*r);
}

RecordRegistration* SerialRecord::Registration() {
    OpenRegistrations* registrations = Registrations();
    if (!registrations) return nullptr;
    if (m_pBinding == &kPendingRegistration) {
        if (RecordRegistration* r = registrations->Find(this)) return r;
    }
    // Added to without ClearTables first: the current entries stay and the new ones follow.
    const RecordLayout& current = Layout();
    RecordRegistration& r = registrations->Open(this);
    r.fields.assign(current.fields.begin(), current.fields.end());
    r.strings.assign(current.strings.begin(), current.strings.end());
    m_pBinding = &kPendingRegistration;
    return &r;
}

void SerialRecord::ClearTables() {
    OpenRegistrations* registrations = Registrations();
    if (!registrations) {
        m_pBinding = nullptr;
        return;
    }
    registrations->Open(this);
    m_pBinding = &kPendingRegistration;
}

std::ptrdiff_t SerialRecord::OffsetOf(const void* address) const {
    // Members lie inside the record: the same offset names the same member of every record
    // of the class.
    return static_cast<std::ptrdiff_t>(reinterpret_cast<std::uintptr_t>(address) -
                                       reinterpret_cast<std::uintptr_t>(this));
}

void SerialRecord::AddField(void* address, std::uint32_t count, std::int8_t size,
                            const char* name) {
    if (RecordRegistration* r = Registration()) {
        r->fields.push_back(FieldSlot{OffsetOf(address), count, size, name});
    }
}

void SerialRecord::AddString(std::string* address, std::uint32_t count, const char* name) {
    RecordRegistration* r = Registration();
    if (!r) return;
    for (std::uint32_t i = 0; i < count; ++i)
        r->strings.push_back(StringSlot{OffsetOf(address), name});
}

FieldEntry SerialRecord::FieldAt(int index) {
    const CheckedVector<FieldSlot>& fields = Layout().fields;
    const FieldSlot& slot = fields.CheckedAt(index);  // a bad index is reported here
    if (fields.empty()) {
        static thread_local std::uint64_t spare = 0;
        return FieldEntry{this, &spare, 0, 0, ""};
    }
    return FieldEntry{this, At(slot.offset), slot.count, slot.size, slot.name};
}

StringEntry SerialRecord::StringAt(int index) {
    const CheckedVector<StringSlot>& strings = Layout().strings;
    const StringSlot& slot = strings.CheckedAt(index);
    if (strings.empty()) {
        static thread_local std::string spare;
        return StringEntry{this, &spare, ""};
    }
    return StringEntry{this, &StringMember(slot), slot.name};
}

void SerialRecord::Describe(RecordVisitor&) {}

std::size_t SerialRecord::FieldBytes() const {
    return Layout().fieldBytes;
}

void SerialRecord::Reset() {
    BindTables(dwDataVersion);
    const RecordLayout& layout = Layout();
    for (const FieldSlot& f : layout.fields) {
        std::memset(At(f.offset), 0, std::size_t{f.count} * static_cast<std::size_t>(f.size));
    }
    for (const StringSlot& s : layout.strings) StringMember(s).clear();
}

void SerialRecord::Assign(const SerialRecord& source) {
    if (this == &source) return;
    // The source's members lie at the same offsets as this record's (one class); the
    // source is only read, so other threads may read it meanwhile.
    BindTables(dwDataVersion);
    const RecordLayout& layout = Layout();
    for (const FieldSlot& f : layout.fields) {
        std::memcpy(At(f.offset), source.At(f.offset),
                    std::size_t{f.count} * static_cast<std::size_t>(f.size));
    }
    for (const StringSlot& s : layout.strings) {
        StringMember(s) = *static_cast<const std::string*>(source.At(s.offset));
    }
}

void SerialRecord::Load(RecordReader& reader) {
    BindTables(reader.Version());
    const RecordLayout& layout = Layout();
    // Every stored field holds at least one byte.
    const std::uint32_t fields = reader.ReadCount(1);
    std::uint32_t read = 0;
    for (std::uint32_t i = 0; i < fields; ++i) {
        const int index = static_cast<int>(i);
        if (index >= static_cast<int>(layout.fields.Size())) {
            // The checked access logs the surplus index and asks the program to close; the
            // value is not read into another member: the read ends here.
            FieldAt(index);
            reader.StopHere("the file stores more fields than the record has");
            break;
        }
        const FieldSlot& f = layout.fields[index];
        if (!reader.Read(At(f.offset), std::size_t{f.count} * static_cast<std::size_t>(f.size)))
            break;
        ++read;
    }
    const std::uint32_t strings = LoadStringsCounted(reader);
    m_Stored = StoredCounts{true, reader.Version(), read, strings};
    if (dwDataVersion != reader.Version()) BindTables(dwDataVersion);
}

void SerialRecord::LoadStrings(RecordReader& reader) {
    LoadStringsCounted(reader);
}

std::uint32_t SerialRecord::LoadStringsCounted(RecordReader& reader) {
    // Every stored string holds at least its 4-byte length.
    const std::uint32_t strings = reader.ReadCount(4);
    const RecordLayout& layout = Layout();
    std::string text;
    std::uint32_t read = 0;
    for (std::uint32_t i = 0; i < strings; ++i) {
        const int index = static_cast<int>(i);
        if (index >= static_cast<int>(layout.strings.Size())) {
            StringAt(index);
            reader.StopHere("the file stores more strings than the record has");
            break;
        }
        const std::uint32_t length = reader.ReadU32();
        if (reader.StoppedEarly()) break;
        std::string& target = StringMember(layout.strings[index]);
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
    for (const StringSlot& slot : Layout().strings) {
        std::string& s = StringMember(slot);
        s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
    }
}

void SerialRecord::Save(RecordWriter& writer) {
    BindTables(writer.Version());
    const RecordLayout& layout = Layout();
    writer.WriteU32(layout.fields.Size());
    for (const FieldSlot& f : layout.fields) {
        writer.Write(At(f.offset), std::size_t{f.count} * static_cast<std::size_t>(f.size));
    }
    SaveStrings(writer);
}

void SerialRecord::SaveStrings(RecordWriter& writer) {
    const RecordLayout& layout = Layout();
    writer.WriteU32(layout.strings.Size());
    for (const StringSlot& slot : layout.strings) {
        std::string& s = StringMember(slot);
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
    if (writer.Version() != dwDataVersion) BindTables(dwDataVersion);
    return std::move(writer.Bytes());
}

int SerialRecord::SaveToFile(std::string_view path) {
    return WriteFileAtomically(path, SaveToBytes()) ? 1 : 0;
}

void RebindNone(SerialRecord& record) {
    record.ClearTables();
}

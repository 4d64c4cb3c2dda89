// The layout of a record class at one file version, shared by every record of the class.
//
// A layout lists the registered members in file order as offsets from the start of the
// record, so one layout serves every instance: the entry of a record is the layout's slot
// rebased onto it (owner + offset). Records hold only a pointer to their binding; a copy of a
// record therefore costs its members and nothing for its tables.
//
// Layouts are made by running a record's registration (Rebind) once and are kept, unchanged,
// for the rest of the run; layouts of equal content are one object. A binding says which
// layout a record class takes at which version: the first record of a class that needs a
// version registers it, every later one finds it. Both are safe to use from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <typeinfo>
#include <vector>

#include "base/checked_vector.h"

// One registered numeric member: count elements of size bytes, offset bytes from the start
// of the record (of its SerialRecord part).
struct FieldSlot {
    std::ptrdiff_t offset = 0;
    std::uint32_t count = 0;
    std::int8_t size = 0;
    const char* name = "";
};

// One registered string member.
struct StringSlot {
    std::ptrdiff_t offset = 0;
    const char* name = "";
};

struct RecordLayout {
    CheckedVector<FieldSlot> fields;
    CheckedVector<StringSlot> strings;
    std::size_t fieldBytes = 0;  // the stored size of the fields together
};

// The layout that a record class takes at one version. Records registered outside a
// binding of the base (a derived class calling Rebind itself) are bound by their content
// alone: `keyed` is then false and the version means nothing.
struct LayoutBinding {
    const std::type_info* type = nullptr;
    std::uint32_t version = 0;
    std::uint32_t variant = 0;
    bool keyed = false;
    const RecordLayout* layout = nullptr;
};

// The binding registered for the class, version and variant, or null when none is yet.
const LayoutBinding* FindLayoutBinding(const std::type_info& type, std::uint32_t version,
                                       std::uint32_t variant);
// Registers what a record of the class registered at that version. When another thread
// registered the same key meanwhile, its binding is returned. Past a fixed number of keys
// (hostile files may name any version) the result is an unkeyed binding: still correct,
// only found again by registering anew.
const LayoutBinding* AddLayoutBinding(const std::type_info& type, std::uint32_t version,
                                      std::uint32_t variant, const std::vector<FieldSlot>& fields,
                                      const std::vector<StringSlot>& strings);
// The unkeyed binding of a class to the layout of this content.
const LayoutBinding* ContentLayoutBinding(const std::type_info& type,
                                          const std::vector<FieldSlot>& fields,
                                          const std::vector<StringSlot>& strings);
// The layout of no members.
const RecordLayout& EmptyRecordLayout();
// How many distinct layouts exist (for tests: copies and binds must not make new ones).
std::size_t RecordLayoutCount();

// Lets a record tell what it stores besides its registered members, in file order:
// sub-records and lists of them, and plain values. The record dumper is the listener.
#pragma once

#include <string>
#include <string_view>

#include "base/checked_vector.h"
#include "base/format.h"

class SerialRecord;

class RecordVisitor {
public:
    virtual ~RecordVisitor() = default;
    virtual void Child(std::string_view name, SerialRecord& record) = 0;
    virtual void Value(std::string_view name, long long value) = 0;
    virtual void Text(std::string_view name, const std::string& text) = 0;
};

// Every element of a record list as name[i].
template <class T>
void DescribeList(RecordVisitor& visitor, const char* name, CheckedVector<T>& list) {
    for (int i = 0; i < static_cast<int>(list.Size()); ++i) {
        visitor.Child(Format("%s[%d]", name, i), list[i]);
    }
}

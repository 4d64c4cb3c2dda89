// The generic record reader over hostile bytes: a record with numbers of every width, an
// array, a version gate, strings and a nested list, loaded and saved again.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "data/record_visitor.h"
#include "data/serial_record.h"

namespace {

class Leaf : public SerialRecord {
public:
    Leaf() {
        Rebind(kCurrentDataVersion);
        Reset();
    }
    Leaf(const Leaf&) = default;
    Leaf& operator=(const Leaf& s) {
        SerialRecord::operator=(s);
        v = s.v, text = s.text;
        return *this;
    }
    void Rebind(std::uint32_t version) override {
        ClearTables();
        AddShort(&v);
        if (version >= 200) AddByte(bytes, 3);
        AddString(&text);
    }
    std::int16_t v = 0;
    std::uint8_t bytes[3] = {};
    std::string text;
};

class Root : public SerialRecord {
public:
    Root() {
        Rebind(kCurrentDataVersion);
        Reset();
    }
    void Rebind(std::uint32_t version) override {
        ClearTables();
        AddInt(ints, 2);
        AddDouble(&d);
        if (version >= 300) AddInt(&gated);
        AddString(&a);
        AddString(&b);
    }
    void Load(RecordReader& reader) override {
        SerialRecord::Load(reader);
        LoadRecordList(reader, leaves);
    }
    void Save(RecordWriter& writer) override {
        SerialRecord::Save(writer);
        SaveRecordList(writer, leaves);
    }
    std::int32_t ints[2] = {};
    double d = 0;
    std::int32_t gated = 0;
    std::string a, b;
    CheckedVector<Leaf> leaves;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Root root;
    RecordReader reader = RecordReader::FromBytes(std::vector<std::uint8_t>(data, data + size));
    if (!reader.Ok()) return 0;
    root.Load(reader);
    std::vector<std::uint8_t> saved = root.SaveToBytes();
    // What was written must read back without surprises.
    Root again;
    RecordReader back = RecordReader::FromBytes(std::move(saved));
    again.Load(back);
    if (back.StoppedEarly()) {
        std::fprintf(stderr, "re-read stopped at %zu: %s\n", back.ProblemOffset(),
                     back.Problem().c_str());
        __builtin_trap();
    }
    // And it must write back the same bytes.
    if (again.SaveToBytes() != back.Bytes()) __builtin_trap();
    return 0;
}

#include "data/record_surplus.h"

#include <cstdint>
#include <cstring>
#include <vector>

bool RefuseSurplus(RecordReader& reader, SerialRecord& record) {
    const std::vector<std::uint8_t>& bytes = reader.Bytes();
    std::size_t at = reader.Offset();
    const auto peek = [&](std::size_t offset, std::uint32_t* value) {
        if (offset > bytes.size() || bytes.size() - offset < 4) return false;
        std::memcpy(value, bytes.data() + offset, 4);
        return true;
    };
    std::uint32_t fields = 0;
    if (!peek(at, &fields)) return true;  // the record's own read finds the end
    record.BindTables(reader.Version());
    bool surplus = fields > static_cast<std::uint32_t>(record.FieldCount());
    if (!surplus) {
        at += 4;
        for (std::uint32_t i = 0; i < fields; ++i) {
            const FieldEntry f = record.FieldAt(static_cast<int>(i));
            at += std::size_t{f.count} * static_cast<std::size_t>(f.size);
        }
        std::uint32_t strings = 0;
        surplus = peek(at, &strings) && strings > static_cast<std::uint32_t>(record.StringCount());
    }
    record.BindTables(dwDataVersion);
    if (surplus) reader.StopHere("the record stores more members than it has");
    return !surplus;
}

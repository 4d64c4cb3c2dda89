#include "data/chara_exc_records.h"

namespace {

constexpr std::uint32_t kEditValueVersion = 152;
constexpr std::uint32_t kCellWidthVersion = 172;

}  // namespace

void LoadZeroEditValue(SerialRecord& record, std::int32_t& nEditValue, RecordReader& reader) {
    record.SerialRecord::Load(reader);
    if (reader.Version() < kEditValueKeptVersion) nEditValue = 0;
}

cEdBmpCharaExc::cEdBmpCharaExc() {
    Reset();
    bCellWidth = 0;
    nCellWidth = 2;
}

void cEdBmpCharaExc::Rebind(std::uint32_t version) {
    ClearTables();
    AddString(&strName, 1, "strName");
    AddString(&strFile, 1, "strFile");
    if (version >= kEditValueVersion) AddInt(&nEditValue, 1, "nEditValue");
    if (version >= kCellWidthVersion) {
        AddInt(&bCellWidth, 1, "bCellWidth");
        AddInt(&nCellWidth, 1, "nCellWidth");
    }
}

void cEdBmpCharaExc::Load(RecordReader& reader) {
    LoadZeroEditValue(*this, nEditValue, reader);
}

#include "data/media_records.h"

#include "data/chara_exc_records.h"

namespace {

constexpr std::uint32_t kEditValueVersion = 151;

// The registration of all three: the file order is the same whatever the member order.
void RegisterMedia(SerialRecord& record, std::uint32_t version, std::string& strName,
                   std::string& strFile, std::int32_t& nEditValue) {
    record.ClearTables();
    record.AddString(&strName, 1, "strName");
    record.AddString(&strFile, 1, "strFile");
    if (version >= kEditValueVersion) record.AddInt(&nEditValue, 1, "nEditValue");
}

}  // namespace

// cEdPicture

cEdPicture::cEdPicture() {
    Reset();
}

void cEdPicture::Rebind(std::uint32_t version) {
    RegisterMedia(*this, version, strName, strFile, nEditValue);
}

void cEdPicture::Load(RecordReader& reader) {
    LoadZeroEditValue(*this, nEditValue, reader);
}

// cEdSound

cEdSound::cEdSound() {
    Reset();
}

void cEdSound::Rebind(std::uint32_t version) {
    RegisterMedia(*this, version, strName, strFile, nEditValue);
}

void cEdSound::Load(RecordReader& reader) {
    LoadZeroEditValue(*this, nEditValue, reader);
}

// cEdBgm

cEdBgm::cEdBgm() {
    Reset();
}

void cEdBgm::Rebind(std::uint32_t version) {
    RegisterMedia(*this, version, strName, strFile, nEditValue);
}

void cEdBgm::Load(RecordReader& reader) {
    LoadZeroEditValue(*this, nEditValue, reader);
}

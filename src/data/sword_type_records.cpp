#include "data/sword_type_records.h"

#include "data/chara_exc_records.h"
#include "data/record_visitor.h"

namespace {

constexpr std::uint32_t kEditValueVersion = 151;
constexpr std::uint32_t kFlipVersion = 138;

}  // namespace

constexpr Label SwordPlaceLabels[5] = {"前", "後", "上", "下", ""};

// cEdSwordFrame

cEdSwordFrame::cEdSwordFrame() {
    Reset();
    bFlipX = 1;
}

void cEdSwordFrame::Rebind(std::uint32_t version) {
    ClearTables();
    AddInt(&nOffsetX, 1, "nOffsetX");
    AddInt(&nOffsetY, 1, "nOffsetY");
    if (version >= kFlipVersion) {
        AddInt(&bFlipX, 1, "bFlipX");
        AddInt(&bFlipY, 1, "bFlipY");
    }
    AddInt(&nPlace, 1, "nPlace");
    AddInt(&nSrcX, 1, "nSrcX");
    AddInt(&nSrcY, 1, "nSrcY");
    AddInt(&nCutWidth, 1, "nCutWidth");
    AddInt(&nCutHeight, 1, "nCutHeight");
    AddInt(&nTime, 1, "nTime");
}

// cEdSwordType

cEdSwordType::cEdSwordType() {
    SetDefaults();
}

void cEdSwordType::Rebind(std::uint32_t version) {
    ClearTables();
    AddString(&strName, 1, "strName");
    AddString(&strFileLeft, 1, "strFileLeft");
    AddString(&strFileRight, 1, "strFileRight");
    if (version >= kEditValueVersion) AddInt(&nEditValue, 1, "nEditValue");
}

void cEdSwordType::SetDefaults() {
    Reset();
    vecFrame.Clear();
    vecFrame.resize(1);
    vecFrame[0].nTime = 1;
}

void cEdSwordType::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    LoadRecordList(reader, vecFrame);
    if (reader.Version() < kEditValueKeptVersion) nEditValue = 0;
}

void cEdSwordType::Save(RecordWriter& writer) {
    SerialRecord::Save(writer);
    SaveRecordList(writer, vecFrame);
}

void cEdSwordType::Describe(RecordVisitor& visitor) {
    DescribeList(visitor, "vecFrame", vecFrame);
}

#include "data/item_record.h"

#include "data/database.h"
#include "data/palette_entry.h"
#include "data/palette_inheritance.h"
#include "data/record_visitor.h"

cEdItem::cEdItem() {
    Reset();
}

cEdItem::~cEdItem() = default;

void cEdItem::Rebind(std::uint32_t) {
    ClearTables();
    AddByte(&nInheritKind, 1, "nInheritKind");
    AddShort(&nInheritIndex, 1, "nInheritIndex");
    AddByte(&nCondMode, 1, "nCondMode");
    AddByte(&bCondLatch, 1, "bCondLatch");
    AddShort(&nField5, 1, "nField5");
    AddShort(&nField6, 1, "nField6");
    AddShort(&nGraphic, 1, "nGraphic");
    AddByte(&nGraphicSource, 1, "nGraphicSource");
    AddShort(&nPatternBase, 1, "nPatternBase");
    AddByte(&nField10, 1, "nField10");
    AddByte(&bHidden, 1, "bHidden");
    AddByte(&bEmblem, 1, "bEmblem");
    AddShort(&nEmblem, 1, "nEmblem");
    AddByte(&bTakeEffect, 1, "bTakeEffect");
    AddByte(&nTakeMode, 1, "nTakeMode");
    AddByte(&nGiant, 1, "nGiant");
    AddShort(&nTakeSound, 1, "nTakeSound");
    AddString(&strName, 1, "strName");
}

void cEdItem::Reset() {
    SerialRecord::Reset();
    vecInherit.resize(kGroupCount);
    vecInherit.Fill(0);
    nGraphicSource = 2;
    bTakeEffect = 1;
    nField10 = 6;
    nGiant = 1;
}

void cEdItem::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    reader.Read(&nPlaceX, 2);
    reader.Read(&nPlaceY, 2);
    LoadInheritFlags(vecInherit, reader);
    LoadConditionList(vecCondition, reader);
    LoadCommandList(vecItemCommand, reader);
    RaiseOldShotGraphic(reader.Version(), nGraphicSource, nGraphic);
    if (reader.Normalizes()) ApplyInheritance();
    NormalizeAfterLoad(reader);
}

void cEdItem::Save(RecordWriter& writer) {
    NormalizeBeforeSave(writer);
    SerialRecord::Save(writer);
    writer.Write(&nPlaceX, 2);
    writer.Write(&nPlaceY, 2);
    SaveInheritFlags(vecInherit, writer);
    SaveRecordList(writer, vecCondition);
    SaveRecordList(writer, vecItemCommand);
}

void cEdItem::Normalize() {
    DropMissingInheritSource(nInheritKind, nInheritIndex, &PaletteRefSizes::nItems);
    if (nGiant <= 0) nGiant = 1;
    if (nTakeSound < 0 || nTakeSound >= static_cast<int>(EdDatabase.vecSound.Size())) {
        nTakeSound = 0;
    }
    for (cEdCommand& command : vecItemCommand) command.Normalize();
}

void cEdItem::CheckPaletteRefs(const PaletteRefSizes& common, const PaletteRefSizes& stage) {
    for (cEdCommand& command : vecItemCommand) command.CheckPaletteRefs(common, stage);
}

void cEdItem::ApplyInheritance() {
    ::ApplyInheritance(*this);
}

void cEdItem::Describe(RecordVisitor& visitor) {
    visitor.Value("nPlaceX", nPlaceX);
    visitor.Value("nPlaceY", nPlaceY);
    DescribeInheritFlags(visitor, vecInherit);
    DescribeList(visitor, "vecCondition", vecCondition);
    DescribeList(visitor, "vecItemCommand", vecItemCommand);
}

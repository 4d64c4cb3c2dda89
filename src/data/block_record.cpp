#include "data/block_record.h"

#include "data/palette_entry.h"
#include "data/palette_inheritance.h"
#include "data/record_visitor.h"

cEdBlock::cEdBlock() {
    Reset();
}

cEdBlock::~cEdBlock() = default;

void cEdBlock::Rebind(std::uint32_t) {
    ClearTables();
    AddByte(&nInheritKind, 1, "nInheritKind");
    AddShort(&nInheritIndex, 1, "nInheritIndex");
    AddByte(&nCondMode, 1, "nCondMode");
    AddByte(&bCondLatch, 1, "bCondLatch");
    AddShort(&nGraphic, 1, "nGraphic");
    AddByte(&nGraphicSource, 1, "nGraphicSource");
    AddShort(&nPatternBase, 1, "nPatternBase");
    AddByte(&nDrawLayer, 1, "nDrawLayer");
    AddByte(&bHidden, 1, "bHidden");
    AddByte(&bEmblem, 1, "bEmblem");
    AddShort(&nEmblem, 1, "nEmblem");
    AddByte(&nHitType, 1, "nHitType");
    AddByte(&nExemptSide, 1, "nExemptSide");
    AddByte(&nTouchEffect, 1, "nTouchEffect");
    AddInt(&nTouchParam, 1, "nTouchParam");
    AddByte(&nItemPalette, 1, "nItemPalette");
    AddShort(&nItemIndex, 1, "nItemIndex");
    AddByte(&bProtected, 1, "bProtected");
    AddString(&strName, 1, "strName");
}

void cEdBlock::Reset() {
    SerialRecord::Reset();
    nHitType = 1;
    nExemptSide = 255;
    vecInherit.resize(kGroupCount);
    vecInherit.Fill(0);
}

void cEdBlock::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    reader.Read(&nPlaceX, 2);
    reader.Read(&nPlaceY, 2);
    LoadInheritFlags(vecInherit, reader);
    LoadConditionList(vecCondition, reader);
    RaiseOldShotGraphic(reader.Version(), nGraphicSource, nGraphic);
    // Inheritance takes values from elsewhere: the dumper's reader, which shows what the
    // file holds, skips it together with the normalise step.
    if (reader.Normalizes()) ApplyInheritance();
    NormalizeAfterLoad(reader);
}

void cEdBlock::Save(RecordWriter& writer) {
    NormalizeBeforeSave(writer);
    SerialRecord::Save(writer);
    writer.Write(&nPlaceX, 2);
    writer.Write(&nPlaceY, 2);
    SaveInheritFlags(vecInherit, writer);
    SaveRecordList(writer, vecCondition);
}

void cEdBlock::Normalize() {
    DropMissingInheritSource(nInheritKind, nInheritIndex, &PaletteRefSizes::nBlocks);
    // Without a graphic there is nothing to stand on and nothing for a summon to spare.
    if (nGraphic == 0) {
        nHitType = 0;
        bProtected = 0;
    }
}

void cEdBlock::CheckPaletteRefs(const PaletteRefSizes& common, const PaletteRefSizes& stage) {
    if (nItemPalette != PALETTE_COMMON && nItemPalette != PALETTE_STAGE) return;
    const PaletteRefSizes& palette = nItemPalette == PALETTE_COMMON ? common : stage;
    if (nItemIndex < 0 || nItemIndex >= palette.nItems) {
        nItemPalette = 0;
        nItemIndex = 0;
    }
}

void cEdBlock::ApplyInheritance() {
    ::ApplyInheritance(*this);
}

void cEdBlock::Describe(RecordVisitor& visitor) {
    visitor.Value("nPlaceX", nPlaceX);
    visitor.Value("nPlaceY", nPlaceY);
    DescribeInheritFlags(visitor, vecInherit);
    DescribeList(visitor, "vecCondition", vecCondition);
}

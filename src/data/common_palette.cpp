#include "data/common_palette.h"

#include "data/record_visitor.h"

cEdCommonPalette EdCommonPalette;

namespace {

// The smallest bodies of palette entries in a file, which bound the list counts: the field
// and string counts, the raw placement values, the flag count and the condition count; items
// add the command count, characters the placement value and the flow count.
constexpr std::size_t kBlockMinBytes = 20;
constexpr std::size_t kItemMinBytes = 24;
constexpr std::size_t kCharaMinBytes = 28;

// Every list of a palette holds at least two entries: entry 0 is the fixed "none" entry,
// and the editor always offers one the author can use.
constexpr unsigned kMinEntries = 2;

template <class T>
void ReadPalette(CheckedVector<T>& list, RecordReader& reader, std::size_t minBytes) {
    // A reader that opened no budget of its own for the whole file gets one per list.
    InheritanceBudget budget(reader);
    const std::uint32_t n = reader.ReadCount(minBytes);
    list.Destroy();
    // Every entry exists before the first is read, holding the list's defaults: an entry
    // that inherits from a later one takes those defaults.
    T blank;
    blank.Reset();
    list.resize(n, blank);
    for (std::uint32_t i = 0; i < n && !reader.StoppedEarly(); ++i) {
        list[static_cast<int>(i)].Load(reader);
    }
}

template <class T>
void ClearFlags(CheckedVector<T>& list) {
    for (T& entry : list) entry.vecInherit.Fill(0);
}

template <class T>
void NormalizeList(CheckedVector<T>* list, const PaletteRefSizes& common,
                   const PaletteRefSizes& stage) {
    if (!list) return;
    for (T& entry : *list) {
        entry.Normalize();
        entry.CheckPaletteRefs(common, stage);
    }
}

}  // namespace

// Palette lists

void PaletteList(CheckedVector<cEdBlock>& list, RecordReader& reader) {
    ReadPalette(list, reader, kBlockMinBytes);
}

void PaletteList(CheckedVector<cEdChara>& list, RecordReader& reader) {
    ReadPalette(list, reader, kCharaMinBytes);
}

void PaletteList(CheckedVector<cEdItem>& list, RecordReader& reader) {
    ReadPalette(list, reader, kItemMinBytes);
}

void SetEntryZeroDefaults(cEdBlock& entry) {
    entry.Reset();
    entry.nGraphic = 0;
}

void SetEntryZeroDefaults(cEdChara& entry) {
    entry.Reset();
    entry.nControl = 1;
    entry.nSide = 1;
    entry.nZ = 3;
    entry.nCharaEffect1Param = 1;
    entry.nMaxHp = 10;
    entry.nDefense = 0;
    entry.nGraphicSource = 1;
    entry.nGraphic = 0;
    entry.nGiant = 1;
    entry.nStopping = 10;
    entry.bFixedFacing = 1;
    entry.nField49 = 1;
}

void SetEntryZeroDefaults(cEdItem& entry) {
    entry.Reset();
    entry.nGraphicSource = 2;
    entry.nGraphic = 0;
    entry.bTakeEffect = 1;
    entry.nGiant = 1;
    entry.nField10 = 6;
}

void SetEntryZeroDefaults(const PaletteLists& lists) {
    if (lists.pBlock && !lists.pBlock->empty()) SetEntryZeroDefaults(lists.pBlock->front());
    if (lists.pChara && !lists.pChara->empty()) SetEntryZeroDefaults(lists.pChara->front());
    if (lists.pItem && !lists.pItem->empty()) SetEntryZeroDefaults(lists.pItem->front());
}

void NormalizePaletteEntries(const PaletteLists& lists) {
    const PaletteRefSizes common = CommonPaletteLists().Sizes();
    const PaletteRefSizes stage = StagePaletteLists().Sizes();
    NormalizeList(lists.pBlock, common, stage);
    NormalizeList(lists.pChara, common, stage);
    NormalizeList(lists.pItem, common, stage);
}

cEdItem* FindPaletteItem(int kind, int index) {
    const PaletteLists* lists = PaletteListsOfKind(kind);
    if (!lists || !lists->pItem) return nullptr;
    CheckedVector<cEdItem>& items = *lists->pItem;
    if (index < 0 || index >= static_cast<int>(items.Size())) return nullptr;
    return &items[index];
}

// cEdCommonPalette

cEdCommonPalette::cEdCommonPalette() {
    Reset();
    vecBlock.resize(1);
    vecChara.resize(1);
    vecItem.resize(1);
}

cEdCommonPalette::~cEdCommonPalette() = default;

void cEdCommonPalette::Rebind(std::uint32_t) {
    RebindNone(*this);
}

PaletteLists cEdCommonPalette::Lists() {
    return PaletteLists{&vecBlock, &vecChara, &vecItem};
}

void cEdCommonPalette::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    // The entries inherit from this palette while it loads, within one budget for the file.
    PaletteScope scope(Lists(), StagePaletteLists());
    InheritanceBudget budget(reader);
    PaletteList(vecBlock, reader);
    PaletteList(vecChara, reader);
    PaletteList(vecItem, reader);
    // Like the inheritance, the fixed entry 0 and the cleared flags are the program's view;
    // the dumper's reader shows what the file holds.
    if (reader.Normalizes()) {
        SetEntryZeroDefaults(Lists());
        // Entries of the common palette inherit only while they load: their values are now
        // their own.
        ClearFlags(vecBlock);
        ClearFlags(vecChara);
        ClearFlags(vecItem);
    }
    NormalizeAfterLoad(reader);
}

void cEdCommonPalette::Save(RecordWriter& writer) {
    PaletteScope scope(Lists(), StagePaletteLists());
    NormalizeBeforeSave(writer);
    SerialRecord::Save(writer);
    SaveRecordList(writer, vecBlock);
    SaveRecordList(writer, vecChara);
    SaveRecordList(writer, vecItem);
}

void cEdCommonPalette::Normalize() {
    PaletteScope scope(Lists(), StagePaletteLists());
    // Entries made to fill a list are those of a list reader, except items, which are new.
    while (vecBlock.Size() < kMinEntries) {
        vecBlock.emplace_back().Reset();
    }
    while (vecChara.Size() < kMinEntries) {
        vecChara.emplace_back().Reset();
    }
    while (vecItem.Size() < kMinEntries) vecItem.emplace_back();
    NormalizePaletteEntries(Lists());
}

void cEdCommonPalette::Describe(RecordVisitor& visitor) {
    DescribeList(visitor, "vecBlock", vecBlock);
    DescribeList(visitor, "vecChara", vecChara);
    DescribeList(visitor, "vecItem", vecItem);
}

// The common palette: the block, character and item definitions every stage of a project can
// use and inherit from, read once at start-up from data\CommonPalette.cplt4. And the palette
// list readers and entry-0 defaults that the stage file shares.
#pragma once

#include <cstdint>

#include "base/checked_vector.h"
#include "data/block_record.h"
#include "data/chara_record.h"
#include "data/item_record.h"
#include "data/palette_inheritance.h"
#include "data/serial_record.h"

inline constexpr const char* kCommonPalettePath = "data\\CommonPalette.cplt4";

class cEdCommonPalette : public SerialRecord {
public:
    // One new entry in each list.
    cEdCommonPalette();
    cEdCommonPalette(const cEdCommonPalette&) = default;
    cEdCommonPalette& operator=(const cEdCommonPalette&) = default;
    ~cEdCommonPalette() override;

    // Nothing registered of its own.
    void Rebind(std::uint32_t version) override;
    void Load(RecordReader& reader) override;
    void Save(RecordWriter& writer) override;
    // Every list holds at least two entries; every entry is normalised and its palette
    // references checked.
    void Normalize() override;
    void Describe(RecordVisitor& visitor) override;

    // This palette's lists, for a PaletteScope.
    PaletteLists Lists();

    CheckedVector<cEdBlock> vecBlock;
    CheckedVector<cEdChara> vecChara;
    CheckedVector<cEdItem> vecItem;
};

extern cEdCommonPalette EdCommonPalette;

// The palette list readers (also those of the stage file): u32 count n, then n entries read
// in index order into a list of n default entries (a version-747 record after the type's
// Reset), so that an entry inheriting from a later one finds that entry's defaults. A count
// the bytes left cannot back reads as 0. Without an InheritanceBudget open for the whole file
// each list opens its own.
void PaletteList(CheckedVector<cEdBlock>& list, RecordReader& reader);
void PaletteList(CheckedVector<cEdChara>& list, RecordReader& reader);
void PaletteList(CheckedVector<cEdItem>& list, RecordReader& reader);

// The fixed defaults of entry 0 of a loaded palette: the registered fields, the name, the
// flags and a character's nPlaceValue only (conditions, flows, item commands and
// nPlaceX/nPlaceY stay).
void SetEntryZeroDefaults(cEdBlock& entry);
void SetEntryZeroDefaults(cEdChara& entry);
void SetEntryZeroDefaults(cEdItem& entry);
// Applies them to entry 0 of each list that is not empty.
void SetEntryZeroDefaults(const PaletteLists& lists);

// Every entry's Normalize, then its CheckPaletteRefs against the palettes kinds 1 and 2
// mean now (blocks, characters, items in this order).
void NormalizePaletteEntries(const PaletteLists& lists);

// The item entry a block or a shot refers to: kind 1 the common palette, kind 2 the stage
// palette; null for another kind or an index outside the list.
cEdItem* FindPaletteItem(int kind, int index);

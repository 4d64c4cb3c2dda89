// A block definition: an entry of a block palette (common or stage) or a block placed on a
// stage. Blocks are drawn from a graphic, can be solid, can carry an item and can inherit
// groups of their properties from another palette entry (palette_inheritance.h).
#pragma once

#include <cstdint>
#include <string>

#include "base/checked_vector.h"
#include "data/flow_records.h"
#include "data/serial_record.h"

class cEdBlock : public SerialRecord {
public:
    static constexpr int kGroupCount = 11;  // property groups, one inheritance flag each

    cEdBlock();
    cEdBlock(const cEdBlock&) = default;
    cEdBlock& operator=(const cEdBlock&) = default;
    ~cEdBlock() override;

    void Rebind(std::uint32_t version) override;
    // The registered fields 0 and the name empty, then the values of a new block. The raw
    // placement values and the conditions stay as they are.
    void Reset();
    void Load(RecordReader& reader) override;
    void Save(RecordWriter& writer) override;
    // An inheritance source outside its palette is dropped; a block without a graphic is
    // neither solid nor protected.
    void Normalize() override;
    void Describe(RecordVisitor& visitor) override;
    // Drops the item reference when that item does not exist in the palette it names.
    void CheckPaletteRefs(const PaletteRefSizes& common, const PaletteRefSizes& stage);
    // Copies the flagged property groups from the source entry (palette_inheritance.h).
    void ApplyInheritance();

    // Registered, in file order.
    std::int8_t nInheritKind = 0;    // 0 none, 1 the common palette, 2 the stage palette
    std::int16_t nInheritIndex = 0;  // 0 none
    std::int8_t nCondMode = 0;       // 0 all conditions, 1 at least one
    std::int8_t bCondLatch = 0;
    std::int16_t nGraphic = 0;       // 0 no graphic
    std::int8_t nGraphicSource = 0;  // 0 block sheet, 1 character, 2 item, 3 shot, 4 own bitmap
    std::int16_t nPatternBase = 0;
    std::int8_t nDrawLayer = 0;
    std::int8_t bHidden = 0;
    std::int8_t bEmblem = 0;
    std::int16_t nEmblem = 0;
    std::int8_t nHitType = 1;        // 0 not solid, 1 solid, 2 solid and deadly for the hero
    std::uint8_t nExemptSide = 255;  // side for which the block is not solid; 255 none
    std::int8_t nTouchEffect = 0;
    std::int32_t nTouchParam = 0;
    std::int8_t nItemPalette = 0;  // 0 none, 1 common, 2 stage
    std::int16_t nItemIndex = 0;
    std::int8_t bProtected = 0;  // block summons leave the cell alone
    std::string strName;

    // Written raw after the registered part.
    std::int16_t nPlaceX = 0;
    std::int16_t nPlaceY = 0;
    CheckedVector<std::int8_t> vecInherit;  // one flag per property group
    CheckedVector<cEdCondition> vecCondition;
};

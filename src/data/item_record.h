// An item definition: an entry of an item palette (common or stage) or an item placed on a
// stage. Taking an item runs its item commands on the hero at once (one of them adds flows).
#pragma once

#include <cstdint>
#include <string>

#include "base/checked_vector.h"
#include "data/command_record.h"
#include "data/flow_records.h"
#include "data/serial_record.h"

class cEdItem : public SerialRecord {
public:
    static constexpr int kGroupCount = 13;  // property groups, one inheritance flag each

    cEdItem();
    cEdItem(const cEdItem&) = default;
    cEdItem& operator=(const cEdItem&) = default;
    ~cEdItem() override;

    void Rebind(std::uint32_t version) override;
    // The registered fields 0 and the name empty, then the values of a new item. The raw
    // placement values, the conditions and the item commands stay as they are.
    void Reset();
    void Load(RecordReader& reader) override;
    void Save(RecordWriter& writer) override;
    // An inheritance source outside its palette is dropped, the size factor is at least 1,
    // the take sound exists, and every item command is normalised.
    void Normalize() override;
    void Describe(RecordVisitor& visitor) override;
    // Resets the item commands' references to palette entries that do not exist.
    void CheckPaletteRefs(const PaletteRefSizes& common, const PaletteRefSizes& stage);
    // Copies the flagged property groups from the source entry (palette_inheritance.h).
    void ApplyInheritance();

    // Registered, in file order.
    std::int8_t nInheritKind = 0;
    std::int16_t nInheritIndex = 0;
    std::int8_t nCondMode = 0;
    std::int8_t bCondLatch = 0;
    std::int16_t nField5 = 0;  // carried for the run time
    std::int16_t nField6 = 0;  // carried for the run time
    std::int16_t nGraphic = 0;
    std::int8_t nGraphicSource = 2;
    std::int16_t nPatternBase = 0;
    std::int8_t nField10 = 6;  // carried for the run time
    std::int8_t bHidden = 0;
    std::int8_t bEmblem = 0;
    std::int16_t nEmblem = 0;
    std::int8_t bTakeEffect = 1;
    std::int8_t nTakeMode = 0;  // 0 once, 1 any number of times, 2 cannot be taken
    std::int8_t nGiant = 1;     // size factor, at least 1
    std::int16_t nTakeSound = 0;
    std::string strName;

    // Written raw after the registered part.
    std::int16_t nPlaceX = 0;
    std::int16_t nPlaceY = 0;
    CheckedVector<std::int8_t> vecInherit;
    CheckedVector<cEdCondition> vecCondition;
    CheckedVector<cEdCommand> vecItemCommand;  // item commands (nCmdKind != 0)
};

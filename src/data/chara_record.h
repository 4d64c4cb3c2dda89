// A character definition: an entry of a character palette (common or stage), the hero
// included, or a character placed on a stage. Its flows are its behaviour.
//
// The order of the registered fields is load-bearing beyond the file layout: the carried
// status of the player's progress copies fields by their position in this table.
#pragma once

#include <cstdint>
#include <string>

#include "base/checked_vector.h"
#include "data/flow_records.h"
#include "data/serial_record.h"

class cEdChara : public SerialRecord {
public:
    static constexpr int kGroupCount = 37;  // property groups, one inheritance flag each

    cEdChara();
    cEdChara(const cEdChara&) = default;
    cEdChara& operator=(const cEdChara&) = default;
    ~cEdChara() override;

    void Rebind(std::uint32_t version) override;
    // nPlaceValue 0, the registered fields 0, the name empty and 37 zero flags; unlike a new
    // character, nGiant, nGraphicSource, bFixedFacing and field 49 stay 0 as well.
    void Reset();
    void Load(RecordReader& reader) override;
    void Save(RecordWriter& writer) override;
    void Normalize() override;
    void Describe(RecordVisitor& visitor) override;
    // Resets the flows' references to palette entries that do not exist.
    void CheckPaletteRefs(const PaletteRefSizes& common, const PaletteRefSizes& stage);
    // Copies the flagged property groups from the source entry (palette_inheritance.h).
    void ApplyInheritance();

    // The offset of clone i from the spawn point, negated for a mirrored copy when the
    // character's mirror switch for that axis is on.
    int PlaceOffsetX(int index, int mirrored) const;
    int PlaceOffsetY(int index, int mirrored) const;

    // Registered, in file order (the version stores a field from the version given).
    std::int8_t nInheritKind = 0;
    std::int16_t nInheritIndex = 0;
    std::int8_t nCondMode = 0;
    std::int8_t bCondLatch = 0;
    std::int8_t nFacing = 0;  // 0 left, 1 right
    std::int8_t nClones = 0;
    std::int16_t nPlaceOffsetX = 0;
    std::int16_t nPlaceStepX = 0;
    std::int16_t nPlaceOffsetY = 0;
    std::int16_t nPlaceStepY = 0;
    std::int8_t bPlaceMirrorX = 0;
    std::int8_t bPlaceMirrorY = 0;
    std::int16_t nGraphic = 0;
    std::int8_t nGraphicSource = 1;
    std::int16_t nPatternBase = 0;
    std::int16_t nAnimeSet = 0;
    std::int8_t nZ = 0;
    std::int8_t bTransparent = 0;
    std::int16_t nCharaEffect1 = 0;
    std::int8_t nCharaEffect1Mode = 0;  // from 196
    std::uint8_t nCharaEffect1Param = 0;
    std::int16_t nCharaEffect2 = 0;
    std::int8_t nCharaEffect2Mode = 0;  // from 196
    std::int8_t bEmblem = 0;
    std::int16_t nEmblem = 0;
    std::int8_t nControl = 0;  // 0 the player, 1 the computer
    std::int8_t nPlayer = 0;
    std::int8_t nSide = 0;
    std::int8_t nCharaId = 0;
    std::int8_t nBlockCollision = 0;
    std::int8_t bFixedFacing = 1;
    std::int8_t nShotCollision = 0;
    std::int8_t nInvincibleColour = 0;  // from 285
    std::int8_t b32Mode = 0;
    std::int8_t nGiant = 1;
    std::int8_t bScrollSync = 0;  // from 210
    std::int8_t nSightShape = 0;
    std::int8_t nSight = 0;
    std::int32_t nMaxHp = 0;
    std::int32_t nMaxSp = 0;
    std::int16_t nStopping = 0;
    std::int8_t nHitBoxKind = 0;  // from 201
    std::int32_t nBodyPower = 0;
    std::int8_t nBodyImpact = 0;
    std::int16_t nEffect = 0;
    std::int32_t nDefense = 0;  // from 168
    std::int8_t nImpactResist = 0;
    std::int32_t nScore = 0;
    std::int8_t nField49 = 1;  // carried for the run time
    std::int8_t bActiveGroup = 0;
    std::int16_t nActiveGroup = 0;
    std::int8_t nActiveArea = 0;
    std::int8_t nActiveMode = 0;
    std::string strName;

    // Written raw after the registered part.
    std::int16_t nPlaceX = 0;
    std::int16_t nPlaceY = 0;
    std::int32_t nPlaceValue = 0;
    CheckedVector<std::int8_t> vecInherit;
    CheckedVector<cEdCondition> vecCondition;
    CheckedVector<cEdFlow> vecFlow;
};

// The sword graphics of SwordType.dat: two images per type, one per facing, and the frames
// of a swing, each a cut-out of the image placed beside the swinging character for a time.
#pragma once

#include <cstdint>
#include <string>

#include "base/checked_vector.h"
#include "data/label_tables.h"
#include "data/serial_record.h"

class cEdSwordFrame : public SerialRecord {
public:
    cEdSwordFrame();
    cEdSwordFrame(const cEdSwordFrame&) = default;
    cEdSwordFrame& operator=(const cEdSwordFrame&) = default;
    void Rebind(std::uint32_t version) override;

    std::int32_t nOffsetX = 0;  // dots, times the holder's size factor
    std::int32_t nOffsetY = 0;
    std::int32_t bFlipX = 1;  // 1: facing right subtracts the offset; from version 138
    std::int32_t bFlipY = 0;  // from version 138
    std::int32_t nPlace = 0;  // in the order of SwordPlaceLabels
    std::int32_t nSrcX = 0;   // the cut-out in the image
    std::int32_t nSrcY = 0;
    std::int32_t nCutWidth = 0;
    std::int32_t nCutHeight = 0;
    std::int32_t nTime = 0;  // tenths of a second
};

class cEdSwordType : public SerialRecord {
public:
    cEdSwordType();
    cEdSwordType(const cEdSwordType&) = default;
    cEdSwordType& operator=(const cEdSwordType&) = default;
    void Rebind(std::uint32_t version) override;
    void Load(RecordReader& reader) override;
    void Save(RecordWriter& writer) override;
    void Describe(RecordVisitor& visitor) override;
    void SetDefaults();

    std::string strName;
    std::int32_t nEditValue = 0;  // the editor's; stored from version 151 on
    std::string strFileLeft;      // the image while the sword faces left
    std::string strFileRight;     // and right
    // May be empty in a file: such a type draws nothing and its swing ends.
    CheckedVector<cEdSwordFrame> vecFrame;
};

// Where a frame is placed against the holder's box: in front, behind, above, below; closed
// by an empty label. The editor's choice list; the player does not read it.
extern const Label SwordPlaceLabels[5];

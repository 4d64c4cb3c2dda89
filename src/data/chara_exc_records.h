// The dedicated character images (専用bmp) of Bmp_CharaExc.dat, and the load step that six
// database classes share for their editor value.
//
// Entry 0 stands for "none"; from entry 1 on the game scene loads each entry's image as plain
// and mirrored surfaces, the mirrored ones in cells 32 dots wide or nCellWidth blocks wide.
#pragma once

#include <cstdint>
#include <string>

#include "data/serial_record.h"

// Files older than this hold an editor value of an earlier meaning: it reads as 0.
inline constexpr std::uint32_t kEditValueKeptVersion = 153;

// The Load of the records whose only upgrade is the editor value: the base part, then the
// value zeroed for a file older than 153.
void LoadZeroEditValue(SerialRecord& record, std::int32_t& nEditValue, RecordReader& reader);

class cEdBmpCharaExc : public SerialRecord {
public:
    cEdBmpCharaExc();
    cEdBmpCharaExc(const cEdBmpCharaExc&) = default;
    cEdBmpCharaExc& operator=(const cEdBmpCharaExc&) = default;
    void Rebind(std::uint32_t version) override;
    void Load(RecordReader& reader) override;

    std::string strName;
    std::int32_t nEditValue = 0;  // the editor's; stored from version 152 on
    std::string strFile;          // the image, a path as stored
    std::int32_t bCellWidth = 0;  // 1: mirror cells nCellWidth blocks wide; from version 172
    std::int32_t nCellWidth = 2;  // in blocks of 32 dots; from version 172
};

// What the block, character and item records share besides their fields: the inheritance
// flags as stored after the raw placement values, the check of the inheritance source in
// their normalise steps, and the upgrade of shot graphics from older files.
#pragma once

#include <cstdint>

#include "base/checked_vector.h"
#include "data/command_record.h"
#include "data/record_io.h"

class RecordVisitor;

// A u32 count and one byte per flag. The stored count is kept, whatever it is.
void LoadInheritFlags(CheckedVector<std::int8_t>& flags, RecordReader& reader);
void SaveInheritFlags(const CheckedVector<std::int8_t>& flags, RecordWriter& writer);
void DescribeInheritFlags(RecordVisitor& visitor, const CheckedVector<std::int8_t>& flags);

// A source in the common (1) or stage (2) palette that its list of the entry's type
// (PaletteRefSizes::nBlocks, nCharas or nItems) does not hold turns inheritance off: kind and
// index become 0. Other kinds are left alone.
void DropMissingInheritSource(std::int8_t& kind, std::int16_t& index, int PaletteRefSizes::*list);

// Shot graphics gained an entry at the front in version 219; the sheet ends at 119.
inline constexpr std::uint32_t kShotGraphicShiftVersion = 219;
void RaiseOldShotGraphic(std::uint32_t version, std::int8_t source, std::int16_t& graphic);

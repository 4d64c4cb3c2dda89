#include "data/palette_entry.h"

#include <algorithm>

#include "base/format.h"
#include "data/palette_inheritance.h"
#include "data/record_visitor.h"

namespace {

constexpr std::int8_t kShotSource = 3;
constexpr int kLastShotGraphic = 119;

}  // namespace

void LoadInheritFlags(CheckedVector<std::int8_t>& flags, RecordReader& reader) {
    const std::uint32_t n = reader.ReadCount(1);
    flags.resize(n);
    if (n > 0) reader.Read(flags.data(), n);
}

void SaveInheritFlags(const CheckedVector<std::int8_t>& flags, RecordWriter& writer) {
    writer.WriteU32(flags.Size());
    if (!flags.empty()) writer.Write(flags.data(), flags.size());
}

void DescribeInheritFlags(RecordVisitor& visitor, const CheckedVector<std::int8_t>& flags) {
    visitor.Value("vecInherit.count", flags.Size());
    for (int i = 0; i < static_cast<int>(flags.Size()); ++i) {
        visitor.Value(Format("vecInherit[%d]", i), flags[i]);
    }
}

void DropMissingInheritSource(std::int8_t& kind, std::int16_t& index, int PaletteRefSizes::*list) {
    const PaletteLists* palette = PaletteListsOfKind(kind);
    if (!palette) return;
    if (index < 0 || index >= palette->Sizes().*list) {
        kind = 0;
        index = 0;
    }
}

void RaiseOldShotGraphic(std::uint32_t version, std::int8_t source, std::int16_t& graphic) {
    if (version < kShotGraphicShiftVersion && source == kShotSource) {
        graphic = static_cast<std::int16_t>(std::min(graphic + 1, kLastShotGraphic));
    }
}

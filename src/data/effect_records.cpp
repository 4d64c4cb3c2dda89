#include "data/effect_records.h"

#include <span>

#include "data/chara_exc_records.h"
#include "data/record_visitor.h"

namespace {

constexpr std::uint32_t kEditValueVersion = 151;
// Files before this version stored no roughness for the wave and circle kinds; the
// parameter then holds the description's default.
constexpr std::uint32_t kRoughnessVersion = 511;

// A parameter that old files lack, by kind.
struct RoughnessUpgrade {
    int nKind;
    int nParam;
};

constexpr RoughnessUpgrade kCharaRoughness[] = {{4, 4}, {5, 4}, {10, 3}};
constexpr RoughnessUpgrade kScreenRoughness[] = {{6, 4}, {7, 4}, {10, 3}};

// The default of the parameter is read from the description table; the stored value is
// overwritten, whatever it was.
void UpgradeRoughness(cEdEffectParams& record, std::uint32_t version,
                      std::span<const RoughnessUpgrade> rules,
                      std::span<const ParamDesc[kEffectParamCount]> table) {
    if (version >= kCurrentDataVersion || version >= kRoughnessVersion) return;
    for (const RoughnessUpgrade& rule : rules) {
        if (record.nKind == rule.nKind) {
            record.anParam[rule.nParam] =
                table[static_cast<std::size_t>(rule.nKind)][rule.nParam].nDefault;
        }
    }
}

}  // namespace

// cEdEffectFrame

cEdEffectFrame::cEdEffectFrame() {
    Reset();
    nTime = 1;
}

void cEdEffectFrame::Rebind(std::uint32_t) {
    ClearTables();
    AddInt(&nPattern, 1, "nPattern");
    AddInt(&nTime, 1, "nTime");
}

// cEdEffect

cEdEffect::cEdEffect() {
    SetDefaults();
}

void cEdEffect::Rebind(std::uint32_t version) {
    ClearTables();
    AddString(&strName, 1, "strName");
    AddString(&strFile, 1, "strFile");
    if (version >= kEditValueVersion) AddInt(&nEditValue, 1, "nEditValue");
    AddInt(&nPatWidth, 1, "nPatWidth");
    AddInt(&nPatHeight, 1, "nPatHeight");
    AddInt(&bScaleWithChara, 1, "bScaleWithChara");
}

void cEdEffect::SetDefaults() {
    Reset();
    bScaleWithChara = 0;
    nPatWidth = 32;
    nPatHeight = 32;
}

void cEdEffect::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    LoadRecordList(reader, vecFrame);
    if (reader.Version() < kEditValueKeptVersion) nEditValue = 0;
}

void cEdEffect::Save(RecordWriter& writer) {
    SerialRecord::Save(writer);
    SaveRecordList(writer, vecFrame);
}

void cEdEffect::Describe(RecordVisitor& visitor) {
    DescribeList(visitor, "vecFrame", vecFrame);
}

// cEdEffectParams

cEdEffectParams::cEdEffectParams() {
    Reset();
    nKind = 1;
}

void cEdEffectParams::Rebind(std::uint32_t) {
    ClearTables();
    AddString(&strName, 1, "strName");
    AddInt(&nKind, 1, "nKind");
    AddInt(anParam, kEffectParamCount, "anParam");
}

void cEdCharaEffect::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    UpgradeRoughness(*this, reader.Version(), kCharaRoughness, CharaEffectParamTable);
}

void cEdScrEffect::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    UpgradeRoughness(*this, reader.Version(), kScreenRoughness, ScreenEffectParamTable);
}

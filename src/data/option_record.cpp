#include "data/option_record.h"

#include <algorithm>

OptionData Option;

namespace {

constexpr std::int32_t kMaxSeVolume = 10;

}  // namespace

OptionData::OptionData() {
    Reset();
    bBgmOn = 1;
    nSeVolume = 7;
    strRankingName = "aaa";
}

void OptionData::Rebind(std::uint32_t) {
    ClearTables();
    AddInt(&nPaletteNo, 1, "nPaletteNo");
    AddInt(&bBgmOn, 1, "bBgmOn");
    AddInt(&nSeVolume, 1, "nSeVolume");
    AddInt(&nRankingMode, 1, "nRankingMode");
    AddString(&strRankingName, 1, "strRankingName");
}

int OptionData::SeVolumeStep() const {
    return std::clamp(nSeVolume, 0, kMaxSeVolume);
}

int OptionData::PaletteNumber() const {
    return std::clamp(nPaletteNo, 0, kMaxPaletteNo);
}

void LoadOption() {
    Option.LoadFromFile(kOptionFilePath);
}

void SaveOption() {
    Option.SaveToFile(kOptionFilePath);
}

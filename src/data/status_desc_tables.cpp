// The statuses and status flags that the status conditions and operations reach, with
// their ranges and, for the flags, the choices the editor offers.
#include "data/label_tables.h"

StatusFlagDesc::StatusFlagDesc(Label name, std::int32_t min, std::int32_t max,
                               std::int32_t defaultValue, std::span<const Label> choices)
    : strName(name), nMin(min), nMax(max), nDefault(defaultValue) {
    const int count = CountChoices(choices);
    vecChoices.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) vecChoices.push_back(choices[static_cast<std::size_t>(i)]);
}

// Name, min, max, operand min, operand max, flags X, Y, Z.
constexpr StatusDesc CharaStatusDescs[15] = {
    {"キャラ変数", -999999, 999999, -999999, 999999, 0, 0, 1},
    {"HP", 0, 999999, -999999, 999999, 0, 1, 1},
    {"SP", 0, 999999, -999999, 999999, 0, 1, 1},
    {"最大HP", 0, 999999, -999999, 999999, 0, 0, 1},
    {"最大SP", 0, 999999, -999999, 999999, 0, 0, 1},
    {"キャラID", 0, 99, -99, 99, 0, 0, 0},
    {"Z座標", 0, 8, -8, 8, 0, 0, 0},
    {"マーク番号", 0, 119, -121, 119, 0, 0, 0},
    {"視界範囲(hbl)", 0, 40, -40, 40, 0, 0, 1},
    {"体当たりの威力", -999999, 999999, -999999, 999999, 0, 0, 1},
    {"体当たりの衝撃", -20, 20, -20, 20, 0, 0, 1},
    {"防御力", 0, 999999, -999999, 999999, 0, 0, 1},
    {"衝撃耐性", 0, 20, -20, 20, 0, 0, 1},
    {"止まりやすさ", 0, 200, -200, 200, 0, 0, 1},
    {"倒したら獲得するスコア", -999999, 999999, -999999, 999999, 0, 0, 1},
};

constexpr StatusDesc SystemStatusDescs[5] = {
    {"時間", 0, 999, -999, 999, 0, 0, 1},
    {"横スクロール速度", -480, 480, -480, 480, 0, 0, 1},
    {"縦スクロール速度", -480, 480, -480, 480, 0, 0, 1},
    {"スコア", 0, 999999, -999999, 999999, 0, 0, 1},
    {"残り人数", 0, 99, -99, 99, 0, 0, 1},
};

// Name, min, max, default, choices. Unlike the constant tables these are made when the
// program starts (the choices are copied into lists); the label tables they copy from are
// constant data and so already in place.
const StatusFlagDesc StatusFlagDescs[7] = {
    {"消滅", 0, 0, 0, OnOnlyLabels},
    {"透明", 0, 1, 0, OffOnLabels2},
    {"向き固定", 0, 1, 0, OffOnLabels},
    {"飛行", 0, 3, 0, BlockCollisionLabels},
    {"無敵", 0, 2, 0, ShotCollisionLabels},
    {"巨大化", 1, 10, 1, GiantSizeLabels},
    {"オートスクロールとシンクロ", 0, 1, 0, OffOnLabels},
};

const StatusFlagDesc EmptyStatusDescs[2] = {};

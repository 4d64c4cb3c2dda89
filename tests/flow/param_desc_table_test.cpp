#include "flow/param_desc_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace {

constexpr std::int32_t kAny = std::numeric_limits<std::int32_t>::max();

class ParamDescTable : public ::testing::Test {
protected:
    void SetUp() override { BuildParamDescTable(); }
};

TEST_F(ParamDescTable, OneListPerCommandTypeWithItsCount) {
    // Index = command type.
    const int counts[40] = {0, 0, 6, 0, 0, 6, 6, 0, 0, 0, 0, 29, 4, 6, 8, 7, 0, 5, 0, 5,
                            6, 3, 2, 0, 1, 0, 2, 0, 0, 5, 0, 0,  6, 4, 1, 0, 0, 0, 0, 0};
    ASSERT_EQ(cParamDescTable.size(), 40u);
    int total = 0;
    for (int type = 0; type < 40; ++type) {
        EXPECT_EQ(cParamDescTable[type].Size(), static_cast<unsigned>(counts[type]))
            << "type " << type;
        total += static_cast<int>(cParamDescTable[type].Size());
    }
    EXPECT_EQ(total, 112);
}

// Every entry has a label and a range that is not empty or reversed: a mistyped bound
// (a dropped minus sign, swapped numbers) breaks it.
TEST_F(ParamDescTable, EveryEntryHasALabelAndAnOrderedRange) {
    for (int type = 0; type < static_cast<int>(cParamDescTable.size()); ++type) {
        for (int index = 0; index < static_cast<int>(cParamDescTable[type].size()); ++index) {
            const cParamRange& range = cParamDescTable[type][index];
            SCOPED_TRACE(testing::Message() << "type " << type << " index " << index);
            EXPECT_FALSE(range.strLabel.empty());
            EXPECT_LT(range.nMin, range.nMax);
        }
    }
}

TEST_F(ParamDescTable, SpotEntries) {
    struct Spot {
        int type;
        int index;
        std::string_view label;
        std::int32_t min;
        std::int32_t max;
    };
    const Spot spots[] = {
        {2, 0, "目標X(bl)", -640, 640},
        {5, 4, "角度", -7200, 7200},
        {6, 0, "誘導性能の悪さ", 0, 10},
        {6, 5, "目標Y(dot)", -640, 640},
        {11, 0, "グラフィック", 1, 120},
        {11, 2, "フォーメーション固有1", 0, kAny},
        {11, 5, "発射数", 1, 127},
        {11, 18, "速度", -200, 200},
        {11, 22, "飛距離(hbl)", 0, 64},
        {11, 25, "分身値よる増加存在時間", -99, 99},
        {11, 27, "威力", -999999, 999999},
        {11, 28, "衝撃", -20, 20},
        {12, 3, "衝撃", -20, 20},
        {13, 3, "数", 1, 127},
        {14, 0, "存在時間(1/10s)", 1, 9999},
        {15, 6, "召喚位置のズレY(dot)", -640, 640},
        {17, 0, "次のステージの番号", 1, 99},
        {19, 2, "座標Y(bl)", 0, 15},
        {20, 1, "分身値による増加距離(hbl)", -40, 40},
        {21, 2, "キャラ変数と比較する数値", -999999, 999999},
        {22, 1, "乱数の最大値", -999999, 999999},
        {24, 0, "対象勢力", 0, 7},
        {26, 0, "グラフィック", 1, 119},
        {29, 4, "表示倍率(%)", 1, 1000},
        {32, 0, "ピクチャーID", 0, 999},
        {33, 3, "%", 0, 100},
        {34, 0, "背景番号", 1, 8},
    };
    for (const Spot& spot : spots) {
        SCOPED_TRACE(testing::Message() << "type " << spot.type << " index " << spot.index);
        const cParamRange& range = cParamDescTable[spot.type][spot.index];
        EXPECT_EQ(range.strLabel, spot.label);
        EXPECT_EQ(range.nMin, spot.min);
        EXPECT_EQ(range.nMax, spot.max);
    }
}

// The arrange takes the ranges of these positions from the formation and homing tables by
// fixed index ranges; the labels there must be the formation and movement-type parameters.
TEST_F(ParamDescTable, FormationAndHomingPositionsHoldTheirParameters) {
    struct Block {
        int type;
        int first;
        std::string_view names[3];
    };
    const Block blocks[] = {
        {11, 2, {"フォーメーション固有1", "フォーメーション固有2", "フォーメーション固有3"}},
        {13, 0, {"フォーメーション固有1", "フォーメーション固有2", "フォーメーション固有3"}},
        {14, 2, {"フォーメーション固有1", "フォーメーション固有2", "フォーメーション固有3"}},
        {15, 1, {"フォーメーション固有1", "フォーメーション固有2", "フォーメーション固有3"}},
        {11, 15, {"移動タイプ固有1", "移動タイプ固有2", "移動タイプ固有3"}},
    };
    for (const Block& block : blocks) {
        for (int i = 0; i < 3; ++i) {
            const cParamRange& range = cParamDescTable[block.type][block.first + i];
            EXPECT_EQ(range.strLabel, block.names[i]) << "type " << block.type;
            EXPECT_EQ(range.nMin, 0);
            EXPECT_EQ(range.nMax, kAny);
        }
    }
}

// Pins every label and bound of the table (FNV-1a); taken after an entry-by-entry comparison
// with the editor's lists, to change only with a deliberate edit of the table.
TEST_F(ParamDescTable, ContentsArePinned) {
    std::uint64_t h = 0xcbf29ce484222325ull;
    auto add = [&](std::string_view bytes) {
        for (unsigned char c : bytes) h = (h ^ c) * 0x100000001b3ull;
        h = (h ^ 0xFF) * 0x100000001b3ull;
    };
    for (int type = 0; type < static_cast<int>(cParamDescTable.size()); ++type) {
        add(std::to_string(type));
        for (int i = 0; i < static_cast<int>(cParamDescTable[type].size()); ++i) {
            const cParamRange& r = cParamDescTable[type][i];
            add(r.strLabel);
            add(std::to_string(r.nMin));
            add(std::to_string(r.nMax));
        }
    }
    EXPECT_EQ(h, 0xe26e2fe6564ecb26ull) << std::hex << h;
}

// Building again drops surplus types and gives every listed type its list back.
TEST_F(ParamDescTable, RebuildingRestoresTheTable) {
    cParamDescTable.resize(45);
    cParamDescTable[11].resize(3);
    cParamDescTable[11][0] = {"x", -1, 1};
    cParamDescTable[34].Clear();
    BuildParamDescTable();
    ASSERT_EQ(cParamDescTable.size(), 40u);
    ASSERT_EQ(cParamDescTable[11].size(), 29u);
    EXPECT_EQ(cParamDescTable[11][0].strLabel, "グラフィック");
    EXPECT_EQ(cParamDescTable[11][0].nMin, 1);
    EXPECT_EQ(cParamDescTable[11][0].nMax, 120);
    EXPECT_EQ(cParamDescTable[11][28].strLabel, "衝撃");
    ASSERT_EQ(cParamDescTable[34].size(), 1u);
    EXPECT_EQ(cParamDescTable[34][0].strLabel, "背景番号");
}

}  // namespace

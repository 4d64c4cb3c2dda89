#include "data/label_tables.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace {

struct LabelListCase {
    const char* name;
    std::span<const Label> table;
    int slots;
    int choices;
};

#define LABELS(table, slots, choices) \
    { #table, table, slots, choices }

// Every label table but CondTypeLabels (checked on its own below), the font names included.
// Slot counts and choice counts of the editor's lists. A label dropped, doubled or split
// while copying shows up as a wrong count or as text after the closing empty label.
const LabelListCase kLabelLists[] = {
    LABELS(OffOnLabels, 3, 2),
    LABELS(PaletteKindLabels, 3, 2),
    LABELS(InheritSourceLabels, 4, 3),
    LABELS(InheritCommonLabels, 3, 2),
    LABELS(InheritStageLabels, 3, 2),
    LABELS(InheritNoneLabels, 2, 1),
    LABELS(GraphicSourceLabels, 6, 5),
    LABELS(GraphicSourceLabels2, 6, 5),
    LABELS(OffOnLabels2, 3, 2),
    LABELS(BlockShowLabels, 4, 3),
    LABELS(BlockHitLabels, 4, 3),
    LABELS(NoneOr0to7Labels, 10, 9),
    LABELS(BlockTouchLabels, 7, 6),
    LABELS(PaletteRefLabels, 4, 3),
    LABELS(PaletteRefCommonLabels, 3, 2),
    LABELS(CondCombineLabels, 3, 2),
    LABELS(DistTargetLabels, 3, 2),
    LABELS(DistShapeLabels, 8, 7),
    LABELS(DistInsideLabels, 3, 2),
    LABELS(DistShowLabels, 4, 3),
    LABELS(CharaControlLabels, 3, 2),
    LABELS(CharaOneLabels, 2, 1),
    LABELS(BlockCollisionLabels, 5, 4),
    LABELS(ShotCollisionLabels, 4, 3),
    LABELS(CharaOffOnLabels, 3, 2),
    LABELS(GiantSizeLabels, 12, 10),
    LABELS(GiantSizeLabels2, 11, 9),
    LABELS(RangeShapeLabels, 6, 5),
    LABELS(HitBoxKindLabels, 5, 4),
    LABELS(ActiveAreaLabels, 5, 4),
    LABELS(ActiveCombineLabels, 4, 3),
    LABELS(FlowIdLabels, 28, 27),
    LABELS(FlowGroupLabels, 28, 27),
    LABELS(FlowTriggerLabels, 21, 20),
    LABELS(FlowOpLabels, 7, 6),
    LABELS(FlowOpTargetLabels, 4, 3),
    LABELS(SelfTargetLabels, 3, 2),
    LABELS(SelfTargetSystemLabels, 4, 3),
    LABELS(HeroTargetLabels, 3, 2),
    LABELS(HeroTargetSystemLabels, 4, 3),
    LABELS(StatusOrVarLabels, 3, 2),
    LABELS(ValueSourceLabels, 5, 4),
    LABELS(VarScopeLabels, 3, 2),
    LABELS(CalcModeLabels, 4, 3),
    LABELS(OnOnlyLabels, 2, 1),
    LABELS(StateCondLabels, 5, 4),
    LABELS(KeyCombineLabels, 4, 3),
    LABELS(KeyStateLabels, 4, 3),
    LABELS(StageClearModeLabels, 5, 4),
    LABELS(ClearFacingLabels, 4, 3),
    LABELS(MessagePosLabels, 10, 9),
    LABELS(MessageTimeLabels, 4, 3),
    LABELS(TargetChoiceLabels, 5, 4),
    LABELS(TargetRangeLabels, 4, 3),
    LABELS(TargetMissLabels, 3, 2),
    LABELS(CharaOrShotLabels, 3, 2),
    LABELS(ScreenRangeLabels, 3, 2),
    LABELS(PaletteSideLabels, 3, 2),
    LABELS(PaletteCommonOnlyLabels, 2, 1),
    LABELS(PicturePosLabels, 6, 5),
    LABELS(PictureTimeLabels, 4, 3),
    LABELS(PlayModeLabels, 4, 3),
    LABELS(ShowHideLabels, 4, 3),
    LABELS(VarScope3Labels, 4, 3),
    LABELS(MoveSpecLabels, 3, 2),
    LABELS(MoveSpec3Labels, 4, 3),
    LABELS(MoveDirLabels, 14, 13),
    LABELS(CoordKind4Labels, 5, 4),
    LABELS(CoordKindLabels, 4, 3),
    LABELS(RotateDirLabels, 5, 4),
    LABELS(TurnDirLabels, 7, 6),
    LABELS(MoveTimingLabels, 4, 3),
    LABELS(MoveTiming2Labels, 3, 2),
    LABELS(JumpHeightLabels, 4, 3),
    LABELS(UnitLabels, 3, 2),
    LABELS(FlowChangeOpLabels, 4, 3),
    LABELS(FlowChangeIdLabels, 28, 27),
    LABELS(FormationLabels, 7, 6),
    LABELS(ShotAimLabels, 4, 3),
    LABELS(HomingLabels, 11, 10),
    LABELS(BlockSummonModeLabels, 4, 3),
    LABELS(ShotPaletteLabels, 3, 2),
    LABELS(ShotPaletteCommonLabels, 2, 1),
    LABELS(ShotSideModeLabels, 4, 3),
    LABELS(ColorModeLabels, 3, 2),
    LABELS(ColorDepthLabels, 4, 3),
    LABELS(ColorDepthFullLabels, 3, 2),
    LABELS(CharaVarLabels, 9, 8),
    LABELS(CalcOpLabels, 8, 7),
    LABELS(CompareOpLabels, 9, 8),
    LABELS(IfLabels, 3, 2),
    LABELS(ColourLabels, 11, 10),
    LABELS(FontNameTable, 123, 122),
};

#undef LABELS

TEST(LabelTables, EveryListHasItsSlotsAndChoicesAndNothingAfterTheTerminator) {
    for (const LabelListCase& list : kLabelLists) {
        SCOPED_TRACE(list.name);
        EXPECT_EQ(list.table.size(), static_cast<std::size_t>(list.slots));
        EXPECT_EQ(CountChoices(list.table), list.choices);
        for (std::size_t i = static_cast<std::size_t>(list.choices); i < list.table.size(); ++i) {
            EXPECT_TRUE(list.table[i].empty()) << "slot " << i;
        }
    }
}

TEST(LabelTables, CondTypesHaveAnEmptyFirstKindAndNoTerminator) {
    ASSERT_EQ(std::size(CondTypeLabels), static_cast<std::size_t>(kCondTypeCount));
    EXPECT_TRUE(CondTypeLabels[0].empty());
    for (int kind = 1; kind < kCondTypeCount; ++kind) {
        EXPECT_FALSE(CondTypeLabels[kind].empty()) << "kind " << kind;
    }
    EXPECT_EQ(CondTypeLabels[7], "距離条件");
    // The terminator rule would give no choice at all: this table is the one exception.
    EXPECT_EQ(CountChoices(CondTypeLabels), 0);
}

TEST(LabelTables, CountChoicesStopsAtTheFirstEmptyLabel) {
    constexpr Label kTable[] = {"a", "b", "", "c", ""};
    EXPECT_EQ(CountChoices(kTable), 2);
    EXPECT_EQ(CountChoices(std::span<const Label>()), 0);
    constexpr Label kFull[] = {"a", "b"};
    EXPECT_EQ(CountChoices(kFull), 2);
}

// Labels whose characters are easily mistaken for look-alikes (full-width signs, the
// small and half-width kana, the arrow), and the ends of the longer lists.
TEST(LabelTables, SpotLabels) {
    struct Spot {
        const char* name;
        Label actual;
        Label expected;
    };
    const Spot spots[] = {
        {"CalcOpLabels[2]", CalcOpLabels[2], "－"},
        {"CalcOpLabels[5]", CalcOpLabels[5], "÷ X の余り"},
        {"CalcOpLabels[6]", CalcOpLabels[6], "X ％"},
        {"ShowHideLabels[2]", ShowHideLabels[2], "反転(表示⇔非表示)"},
        {"GiantSizeLabels[9]", GiantSizeLabels[9], "×100"},
        {"GiantSizeLabels2[0]", GiantSizeLabels2[0], "×4"},
        {"HomingLabels[5]", HomingLabels[5], "近いキャラへ誘導（対象死亡時、誘導を無効化）"},
        {"HomingLabels[8]", HomingLabels[8], "ウェーブ"},
        {"BlockTouchLabels[3]", BlockTouchLabels[3], "移動速度変更 X=％"},
        {"FlowTriggerLabels[19]", FlowTriggerLabels[19], "なし（フローの操作コマンドで実行）"},
        {"FlowIdLabels[0]", FlowIdLabels[0], "-"},
        {"FlowIdLabels[26]", FlowIdLabels[26], "Z"},
        {"FlowGroupLabels[26]", FlowGroupLabels[26], "z"},
        {"FlowChangeIdLabels[0]", FlowChangeIdLabels[0], "全て削除"},
        {"MoveDirLabels[12]", MoveDirLabels[12], "入力方向"},
        {"KeyStateLabels[1]", KeyStateLabels[1], "押"},
        {"CharaVarLabels[7]", CharaVarLabels[7], "8 キャラ変数-8"},
        {"ColorModeLabels[1]", ColorModeLabels[1], "1677万色(24bit) カラーパレットなし"},
        {"ColourLabels[9]", ColourLabels[9], "4色"},
    };
    for (const Spot& spot : spots) {
        EXPECT_EQ(spot.actual, spot.expected) << spot.name;
    }
}

// FNV-1a over bytes, to pin whole tables at once.
struct Digest {
    std::uint64_t value = 0xcbf29ce484222325ull;
    void Bytes(std::string_view bytes) {
        for (unsigned char c : bytes) value = (value ^ c) * 0x100000001b3ull;
        value = (value ^ 0xFF) * 0x100000001b3ull;  // a separator no text contains
    }
    void Number(std::int64_t n) { Bytes(std::to_string(n)); }
};

// The counts and spot checks catch dropped entries but not a wrong character or number in
// the middle of a table. These digests pin every byte of every table; they were taken after
// an entry-by-entry comparison with the editor's lists and change only with a deliberate
// edit of the tables (then compare again and update them).
TEST(LabelTables, ContentsArePinned) {
    Digest labels;
    for (const LabelListCase& c : kLabelLists) {
        labels.Bytes(c.name);
        for (Label label : c.table) labels.Bytes(label);
    }
    for (Label label : CondTypeLabels) labels.Bytes(label);
    EXPECT_EQ(labels.value, 0x06caae333c486853ull) << std::hex << labels.value;

    Digest descs;
    for (const CommandTypeDesc& d : CommandTypeTable)
        descs.Bytes(d.strName), descs.Number(d.nParamCount);
    for (const CommandTypeDesc& d : ItemCommandTypeTable)
        descs.Bytes(d.strName), descs.Number(d.nParamCount);
    for (std::span<const ParamDesc> table : {std::span<const ParamDesc>(FormationParamTable),
                                             std::span<const ParamDesc>(HomingParamTable)}) {
        for (const ParamDesc& d : table) {
            descs.Bytes(d.strLabel);
            descs.Number(d.nMin), descs.Number(d.nMax), descs.Number(d.nDefault);
        }
    }
    for (std::span<const StatusDesc> table : {std::span<const StatusDesc>(CharaStatusDescs),
                                              std::span<const StatusDesc>(SystemStatusDescs)}) {
        for (const StatusDesc& d : table) {
            descs.Bytes(d.strName);
            for (std::int32_t n :
                 {d.nMin, d.nMax, d.nOperandMin, d.nOperandMax, d.nFlagX, d.nFlagY, d.nFlagZ}) {
                descs.Number(n);
            }
        }
    }
    EXPECT_EQ(descs.value, 0x0387b1780ed73735ull) << std::hex << descs.value;
}

TEST(CommandTypeTables, SizesAndParameterCounts) {
    ASSERT_EQ(std::size(CommandTypeTable), 40u);
    ASSERT_EQ(std::size(ItemCommandTypeTable), 25u);

    // Sums of all counts: any count copied wrong changes them.
    int total = 0;
    for (const CommandTypeDesc& type : CommandTypeTable) total += type.nParamCount;
    EXPECT_EQ(total, 132);
    int itemTotal = 0;
    for (const CommandTypeDesc& type : ItemCommandTypeTable) itemTotal += type.nParamCount;
    EXPECT_EQ(itemTotal, 125);

    struct Spot {
        int type;
        Label name;
        int count;
    };
    const Spot spots[] = {
        {0, "", 0},
        {1, "ウエイト", 0},
        {9, "向き変更", 1},
        {10, "ジャンプ", 5},
        {11, "ショット", 0},
        {16, "フローの操作", 3},
        {17, "ステージクリア", 9},
        {19, "メッセージ", 18},
        {21, "ターゲットの設定", 15},
        {22, "ステータスの操作", 18},
        {29, "エフェクトの実行", 8},
        {32, "ピクチャーの表示", 15},
        {33, "画面の色を変更", 8},
        {36, "BGMの再生", 2},
        {37, "コードの実行", 0},
        {38, "アレンジ", 5},
        {39, "ループ", 2},
    };
    for (const Spot& spot : spots) {
        SCOPED_TRACE(spot.type);
        EXPECT_EQ(CommandTypeTable[spot.type].strName, spot.name);
        EXPECT_EQ(CommandTypeTable[spot.type].nParamCount, spot.count);
    }

    EXPECT_TRUE(ItemCommandTypeTable[0].strName.empty());
    EXPECT_EQ(ItemCommandTypeTable[0].nParamCount, 0);
    EXPECT_EQ(ItemCommandTypeTable[1].strName, "フローの変更");
    EXPECT_EQ(ItemCommandTypeTable[1].nParamCount, 2);
    EXPECT_EQ(ItemCommandTypeTable[4].nParamCount, 18);
}

// An item command of type n >= 2 runs the character command n + 15, so it must carry the
// same parameters, or the handler would read past the item command's list.
TEST(CommandTypeTables, ItemTypesMatchTheirCharacterTypes) {
    for (int n = 2; n < kItemCommandTypeCount; ++n) {
        SCOPED_TRACE(n);
        EXPECT_EQ(ItemCommandTypeTable[n].strName, CommandTypeTable[n + 15].strName);
        EXPECT_EQ(ItemCommandTypeTable[n].nParamCount, CommandTypeTable[n + 15].nParamCount);
    }
}

// Unused parameters are an empty label with 0, 0, 0; a used one has its default within its
// range. A swapped or mistyped number breaks one of the two.
void ExpectWellFormed(std::span<const ParamDesc> table) {
    for (std::size_t i = 0; i < table.size(); ++i) {
        SCOPED_TRACE(i);
        const ParamDesc& desc = table[i];
        if (desc.strLabel.empty()) {
            EXPECT_EQ(desc.nMin, 0);
            EXPECT_EQ(desc.nMax, 0);
            EXPECT_EQ(desc.nDefault, 0);
        } else {
            EXPECT_LT(desc.nMin, desc.nMax);
            EXPECT_LE(desc.nMin, desc.nDefault);
            EXPECT_LE(desc.nDefault, desc.nMax);
        }
    }
}

TEST(ShotParamTables, WellFormedAndSpotEntries) {
    {
        SCOPED_TRACE("FormationParamTable");
        ExpectWellFormed(FormationParamTable);
    }
    {
        SCOPED_TRACE("HomingParamTable");
        ExpectWellFormed(HomingParamTable);
    }

    struct Spot {
        const char* table;
        const ParamDesc& desc;
        Label label;
        int min;
        int max;
        int defaultValue;
    };
    const Spot spots[] = {
        {"formation 0.0", FormationParamTable[0], "間隔(hbl)", 0, 40, 0},
        {"formation 2.0", FormationParamTable[3 * 2 + 0], "角度", 0, 180, 30},
        {"formation 3.1", FormationParamTable[3 * 3 + 1], "列の数", 1, 50, 1},
        {"formation 3.2", FormationParamTable[3 * 3 + 2], "列の間隔(hbl)", 0, 40, 0},
        {"formation 4.0", FormationParamTable[3 * 4 + 0], "", 0, 0, 0},
        {"formation 5.0", FormationParamTable[3 * 5 + 0], "距離(hbl)", 0, 40, 6},
        {"homing 0.0", HomingParamTable[0], "", 0, 0, 0},
        {"homing 2.1", HomingParamTable[3 * 2 + 1], "対象勢力", 0, 7, 0},
        {"homing 4.1", HomingParamTable[3 * 4 + 1], "誘導終了(hbl)", 0, 999, 999},
        {"homing 7.2", HomingParamTable[3 * 7 + 2], "対象勢力", 0, 7, 0},
        {"homing 8.0", HomingParamTable[3 * 8 + 0], "波の最大(hbl)", 0, 100, 4},
        {"homing 8.2", HomingParamTable[3 * 8 + 2], "開始角度", 0, 359, 0},
        {"homing 9.0", HomingParamTable[3 * 9 + 0], "軌道変更(hbl)", 0, 40, 0},
    };
    for (const Spot& spot : spots) {
        SCOPED_TRACE(spot.table);
        EXPECT_EQ(spot.desc.strLabel, spot.label);
        EXPECT_EQ(spot.desc.nMin, spot.min);
        EXPECT_EQ(spot.desc.nMax, spot.max);
        EXPECT_EQ(spot.desc.nDefault, spot.defaultValue);
    }
}

TEST(ParamDescs, NullLabelIsEmptyAndNegativeValuesKeepTheirSign) {
    constexpr ParamDesc none(nullptr, -640, 640, -1);
    EXPECT_TRUE(none.strLabel.empty());
    EXPECT_EQ(none.nMin, -640);
    EXPECT_EQ(none.nMax, 640);
    EXPECT_EQ(none.nDefault, -1);
}

TEST(FontNames, SpotEntries) {
    struct Spot {
        int index;
        Label name;
    };
    const Spot spots[] = {
        {0, "System"},
        {15, "Courier"},
        {58, "Sylfaen"},
        {59, "ＭＳ ゴシック"},
        {61, "MS UI Gothic"},
        {63, "ＭＳ Ｐ明朝"},
        {86, "HGｺﾞｼｯｸE"},
        {93, "HG創英角ﾎﾟｯﾌﾟ体"},
        {100, "メイリオ"},
        {116, "HGS明朝E"},
        {119, "HGS創英ﾌﾟﾚｾﾞﾝｽEB"},
        {121, "Sydnie"},
        {122, ""},
    };
    for (const Spot& spot : spots) {
        EXPECT_EQ(FontNameTable[spot.index], spot.name) << "font " << spot.index;
    }
    // The default face, as the CP932 bytes the font system is handed.
    EXPECT_EQ(FontNameTable[60],
              std::string_view("\x82\x6c\x82\x72\x20\x82\x6f\x83\x53\x83\x56\x83\x62\x83\x4e"));
    // Start-up hands the face on as a C string.
    EXPECT_EQ(FontNameTable[60].data()[FontNameTable[60].size()], '\0');
}

TEST(StatusDescTables, RangesAndSpotEntries) {
    ASSERT_EQ(std::size(CharaStatusDescs), 15u);
    ASSERT_EQ(std::size(SystemStatusDescs), 5u);
    for (std::span<const StatusDesc> table : {std::span<const StatusDesc>(CharaStatusDescs),
                                              std::span<const StatusDesc>(SystemStatusDescs)}) {
        for (const StatusDesc& desc : table) {
            SCOPED_TRACE(testing::PrintToString(std::string(desc.strName)));
            EXPECT_FALSE(desc.strName.empty());
            EXPECT_LT(desc.nMin, desc.nMax);
            EXPECT_LT(desc.nOperandMin, desc.nOperandMax);
        }
    }

    struct Spot {
        const StatusDesc& desc;
        Label name;
        int values[7];
    };
    const Spot spots[] = {
        {CharaStatusDescs[0], "キャラ変数", {-999999, 999999, -999999, 999999, 0, 0, 1}},
        {CharaStatusDescs[1], "HP", {0, 999999, -999999, 999999, 0, 1, 1}},
        {CharaStatusDescs[5], "キャラID", {0, 99, -99, 99, 0, 0, 0}},
        // The operand range is not the mirror of the value range here.
        {CharaStatusDescs[7], "マーク番号", {0, 119, -121, 119, 0, 0, 0}},
        {CharaStatusDescs[14],
         "倒したら獲得するスコア",
         {-999999, 999999, -999999, 999999, 0, 0, 1}},
        {SystemStatusDescs[0], "時間", {0, 999, -999, 999, 0, 0, 1}},
        {SystemStatusDescs[2], "縦スクロール速度", {-480, 480, -480, 480, 0, 0, 1}},
        {SystemStatusDescs[4], "残り人数", {0, 99, -99, 99, 0, 0, 1}},
    };
    for (const Spot& spot : spots) {
        const StatusDesc& d = spot.desc;
        SCOPED_TRACE(testing::PrintToString(std::string(spot.name)));
        EXPECT_EQ(d.strName, spot.name);
        const int actual[7] = {d.nMin,   d.nMax,   d.nOperandMin, d.nOperandMax,
                               d.nFlagX, d.nFlagY, d.nFlagZ};
        for (int i = 0; i < 7; ++i) EXPECT_EQ(actual[i], spot.values[i]) << "value " << i;
    }
}

TEST(StatusFlagDescs, ChoicesAreTheLabelsBeforeTheTerminator) {
    struct Expected {
        Label name;
        int min;
        int max;
        int defaultValue;
        std::span<const Label> choices;
        std::size_t count;
    };
    const Expected expected[] = {
        {"消滅", 0, 0, 0, OnOnlyLabels, 1},
        {"透明", 0, 1, 0, OffOnLabels2, 2},
        {"向き固定", 0, 1, 0, OffOnLabels, 2},
        // The fifth, empty slot of the collision list ends the copy.
        {"飛行", 0, 3, 0, BlockCollisionLabels, 4},
        {"無敵", 0, 2, 0, ShotCollisionLabels, 3},
        // Both closing empty slots are left out.
        {"巨大化", 1, 10, 1, GiantSizeLabels, 10},
        {"オートスクロールとシンクロ", 0, 1, 0, OffOnLabels, 2},
    };
    ASSERT_EQ(std::size(StatusFlagDescs), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        const StatusFlagDesc& desc = StatusFlagDescs[i];
        EXPECT_EQ(desc.strName, expected[i].name);
        EXPECT_EQ(desc.nMin, expected[i].min);
        EXPECT_EQ(desc.nMax, expected[i].max);
        EXPECT_EQ(desc.nDefault, expected[i].defaultValue);
        ASSERT_EQ(desc.vecChoices.size(), expected[i].count);
        for (int c = 0; c < static_cast<int>(expected[i].count); ++c) {
            EXPECT_EQ(desc.vecChoices[c], expected[i].choices[static_cast<std::size_t>(c)]);
        }
    }
}

TEST(StatusFlagDescs, ConstructionCopiesUpToTheFirstEmptyLabel) {
    // A table whose first label is empty gives no choices, whatever follows.
    const StatusFlagDesc fromCondTypes("x", 0, 1, 0, CondTypeLabels);
    EXPECT_TRUE(fromCondTypes.vecChoices.empty());

    for (const StatusFlagDesc& empty : EmptyStatusDescs) {
        EXPECT_TRUE(empty.strName.empty());
        EXPECT_EQ(empty.nMin, 0);
        EXPECT_EQ(empty.nMax, 0);
        EXPECT_EQ(empty.nDefault, 0);
        EXPECT_TRUE(empty.vecChoices.empty());
    }
}

}  // namespace

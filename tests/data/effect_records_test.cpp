// The effect records and the parameter descriptions: documented bytes of the class defaults,
// the editor value of old effects, and the roughness upgrade of old character and screen
// effects, each case read from bytes of its version.
#include "data/effect_records.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "record_bodies.h"
#include "support/byte_builder.h"

namespace {

template <class T>
bool LoadFrom(T& record, const std::vector<std::uint8_t>& bytes) {
    RecordReader reader = RecordReader::FromBytes(bytes);
    record.Load(reader);
    return !reader.StoppedEarly();
}

TEST(EffectRecords, ClassDefaultsWriteTheDocumentedBytes) {
    cEdEffect effect;
    EXPECT_EQ(effect.SaveToBytes(), ByteBuilder()
                                        .U32(747)
                                        .U32(4)
                                        .I32(0)
                                        .I32(32)
                                        .I32(32)
                                        .I32(0)
                                        .U32(2)
                                        .U32(1)
                                        .U32(1)
                                        .U32(0)
                                        .bytes);
    auto kindBytes = ByteBuilder().U32(747).U32(2).I32(1);
    for (int i = 0; i < 5; ++i) kindBytes.I32(0);
    kindBytes.U32(1).U32(1);
    cEdCharaEffect chara;
    cEdScrEffect screen;
    EXPECT_EQ(chara.SaveToBytes(), kindBytes.bytes);
    EXPECT_EQ(screen.SaveToBytes(), kindBytes.bytes);
}

// One chain: the editor value is stored from 151 and zeroed below 153.
TEST(EffectRecords, EditValueAndFramesByVersion) {
    struct Case {
        std::uint32_t version;
        std::int32_t editValue;  // the file stores 5 from 151 on; the record held 9
    } cases[] = {{150, 0}, {151, 0}, {152, 0}, {153, 5}, {747, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        ByteBuilder b;
        b.U32(c.version);
        bodies::Effect(b, c.version, "spark", 5, {{2, 3}, {4, 1}});
        cEdEffect effect;
        effect.nEditValue = 9;
        EXPECT_TRUE(LoadFrom(effect, b.bytes));
        EXPECT_EQ(effect.nEditValue, c.editValue);
        EXPECT_EQ(effect.nPatWidth, 48);
        EXPECT_EQ(effect.nPatHeight, 16);
        EXPECT_EQ(effect.bScaleWithChara, 1);
        EXPECT_EQ(effect.strName, "spark");
        EXPECT_EQ(effect.strFile, "bmp\\fx.bmp");
        ASSERT_EQ(effect.vecFrame.Size(), 2u);
        EXPECT_EQ(effect.vecFrame[0].nPattern, 2);
        EXPECT_EQ(effect.vecFrame[0].nTime, 3);
        EXPECT_EQ(effect.vecFrame[1].nPattern, 4);
    }
}

// One chain: files older than 511 get the roughness default of the wave and circle kinds,
// whatever they stored; other kinds and newer files keep their values.
TEST(EffectRecords, OldWaveAndCircleEffectsGetTheirRoughnessDefault) {
    struct Case {
        bool screen;
        std::uint32_t version;
        std::int32_t kind;
        int param;
        std::int32_t expected;  // every parameter is stored as 0, except parameter 0 as 7
    } cases[] = {
        {false, 510, 4, 4, 2},  {false, 511, 4, 4, 0}, {false, 510, 5, 4, 2},
        {false, 510, 10, 3, 2}, {false, 510, 9, 3, 0}, {false, 510, 6, 4, 0},
        {false, 747, 10, 3, 0}, {true, 300, 10, 3, 8}, {true, 300, 9, 3, 0},
        {true, 510, 6, 4, 8},   {true, 510, 7, 4, 10}, {true, 511, 7, 4, 0},
        {true, 510, 4, 4, 0},   {true, 510, 5, 4, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << (c.screen ? "screen" : "chara") << " v" << c.version << " kind " << c.kind);
        ByteBuilder b;
        b.U32(c.version);
        bodies::KindEffect(b, "fx\r\n", c.kind, {7, 0, 0, 0, 0});
        cEdEffectParams* record;
        cEdCharaEffect chara;
        cEdScrEffect screen;
        if (c.screen) {
            record = &screen;
        } else {
            record = &chara;
        }
        EXPECT_TRUE(LoadFrom(*record, b.bytes));
        EXPECT_EQ(record->nKind, c.kind);
        EXPECT_EQ(record->strName, "fx\n");
        for (int i = 0; i < kEffectParamCount; ++i) {
            const std::int32_t stored = i == 0 ? 7 : 0;
            EXPECT_EQ(record->anParam[i], i == c.param ? c.expected : stored) << "param " << i;
        }
    }
}

TEST(EffectParamTables, LabelsNotesAndDescriptionsHaveTheEditorsShape) {
    EXPECT_EQ(CountChoices(CharaEffectLabels), 16);
    EXPECT_EQ(CountChoices(ScreenEffectLabels), 13);
    EXPECT_EQ(CountChoices(CharaEffectNotes), 16);
    EXPECT_EQ(CountChoices(ScreenEffectNotes), 13);
    EXPECT_EQ(CharaEffectLabels[0], "\x94\x6a\x97\xf4");  // "破裂"
    EXPECT_EQ(ScreenEffectLabels[12], "モザイク");
    // "Direct3D有効時：" + the note with Direct3D, a line feed, "Direct3D無効時：" + the other.
    EXPECT_EQ(CharaEffectNotes[0],
              "Direct3D\x97\x4c\x8c\xf8\x8e\x9e\x81\x46\nDirect3D\x96\xb3"
              "\x8c\xf8\x8e\x9e\x81\x46");
    EXPECT_EQ(ScreenEffectNotes[8], "Direct3D有効時：\nDirect3D無効時：遅い");
    EXPECT_EQ(CharaEffectNotes[6],
              "Direct3D有効時：回転Aと回転Bは同じ\nDirect3D無効時：巨大キャラには実行速度重視");

    // Row 0 and unused parameters describe nothing; every kind has its run time first.
    for (int p = 0; p < kEffectParamCount; ++p) {
        EXPECT_TRUE(CharaEffectParamTable[0][p].strLabel.empty());
        EXPECT_TRUE(ScreenEffectParamTable[0][p].strLabel.empty());
    }
    for (int kind = 1; kind < kCharaEffectKinds; ++kind) {
        EXPECT_EQ(CharaEffectParamTable[kind][0].strLabel, "実行時間(1/10s)") << kind;
        EXPECT_EQ(CharaEffectParamTable[kind][0].nMax, 9999) << kind;
    }
    for (int kind = 1; kind < kScreenEffectKinds; ++kind) {
        EXPECT_EQ(ScreenEffectParamTable[kind][0].nDefault, 10) << kind;
    }
    const ParamDesc& lensX = ScreenEffectParamTable[12][3];
    EXPECT_EQ(lensX.strLabel, "ズレX(dot)");
    EXPECT_EQ(lensX.nMin, -320);
    EXPECT_EQ(lensX.nMax, 320);
    EXPECT_EQ(CharaEffectParamTable[6][2].strLabel, "");
    EXPECT_EQ(CharaEffectParamTable[6][2].nMax, 0);
}

// FNV-1a over the bytes of the tables, each text or number followed by a separator.
struct Digest {
    std::uint64_t value = 0xcbf29ce484222325ull;
    void Bytes(std::string_view bytes) {
        for (unsigned char c : bytes) value = (value ^ c) * 0x100000001b3ull;
        value = (value ^ 0xFF) * 0x100000001b3ull;  // a separator no text contains
    }
    void Number(std::int64_t n) { Bytes(std::to_string(n)); }
};

std::uint64_t DigestOf(std::span<const Label> labels, std::span<const Label> notes,
                       std::span<const ParamDesc[kEffectParamCount]> table) {
    Digest d;
    for (Label label : labels) d.Bytes(label);
    for (Label note : notes) d.Bytes(note);
    for (const auto& row : table) {
        for (const ParamDesc& p : row) {
            d.Bytes(p.strLabel);
            d.Number(p.nMin), d.Number(p.nMax), d.Number(p.nDefault);
        }
    }
    return d.value;
}

// The shape and spot checks above catch dropped rows but not a wrong character or number in
// the middle of a table. These digests pin every label, note, range and default of both
// kinds' tables (row 0 and the closing labels included); they were taken after an
// entry-by-entry comparison with the editor's tables and change only with a deliberate edit
// of the tables (then compare again and update them).
TEST(EffectParamTables, ContentsArePinned) {
    const std::uint64_t chara =
        DigestOf(CharaEffectLabels, CharaEffectNotes, CharaEffectParamTable);
    EXPECT_EQ(chara, 0x8b6879454eec68a2ull) << std::hex << chara;
    const std::uint64_t screen =
        DigestOf(ScreenEffectLabels, ScreenEffectNotes, ScreenEffectParamTable);
    EXPECT_EQ(screen, 0x888e3ae6c8b6931dull) << std::hex << screen;
}

}  // namespace

// The stage record and its file: the settings pinned field by field from the layout table
// at every version that changed it, the body around them, the upgrades of older
// files, the normalise step, the replay body, the hero search and hostile files.
#include "data/stage_record.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "data/common_palette.h"
#include "data/data_globals.h"
#include "data/database.h"
#include "data/palette_inheritance.h"
#include "data/record_dump.h"
#include "support/byte_builder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// The settings table: size of field i and the first version that stores it.
int FieldSize(int i) {
    return i == 20 || (i >= 87 && i <= 91) ? 8 : 4;
}

std::uint32_t FieldFrom(int i) {
    switch (i) {
        case 24:
            return 166;
        case 25:
            return 199;
        case 29:
            return 183;
        case 30:
            return 184;
        case 32:
            return 225;
        case 35:
        case 36:
        case 37:
        case 38:
            return 200;
        case 41:
        case 42:
            return 155;
        case 47:
        case 48:
            return 200;
        case 49:
        case 50:
            return 155;
        case 51:
        case 55:
            return 200;
        case 59:
        case 60:
        case 61:
        case 62:
            return 200;
        case 65:
        case 66:
            return 155;
        case 69:
        case 70:
            return 200;
        case 71:
        case 72:
            return 155;
        default:
            return 0;
    }
}

// The values the fixture files store: distinct per field, consistent where the normalise
// step would change them (scroll limits inside the stage, the music index inside the
// default table of two, the derived values those of level 15 with gravity 0.5).
double FieldValue(int i) {
    switch (i) {
        case 0:
            return 100;  // width
        case 3:
            return 50;  // height
        case 8:
            return 10;
        case 9:
            return 20;
        case 10:
            return 5;
        case 11:
            return 30;
        case 20:
            return 0.5;
        case 21:
            return 15;
        case 23:
            return 1;
        case 86:
            return 5;
        case 87:
            return 5.0;
        case 88:
            return 25.0;
        case 89:
            return 60.0;
        case 90:
            return 0.5 / 25.0;
        case 91:
            return 60.0 / 5.0;
        case 92:
            return 40;
        default:
            return 1000 + i;
    }
}

// Every 4-byte setting but the hit boxes and the derived values, by its index.
const std::vector<std::pair<int, std::int32_t cEdStage::*>>& IntMembers() {
    static const std::vector<std::pair<int, std::int32_t cEdStage::*>> table = {
        {0, &cEdStage::nWidth},
        {1, &cEdStage::nUnused1},
        {2, &cEdStage::nUnused2},
        {3, &cEdStage::nHeight},
        {4, &cEdStage::bScrollLimitLeft},
        {5, &cEdStage::bScrollLimitRight},
        {6, &cEdStage::bScrollLimitTop},
        {7, &cEdStage::bScrollLimitBottom},
        {8, &cEdStage::nScrollLimitLeft},
        {9, &cEdStage::nScrollLimitRight},
        {10, &cEdStage::nScrollLimitTop},
        {11, &cEdStage::nScrollLimitBottom},
        {12, &cEdStage::nFps},
        {13, &cEdStage::bTimeLimit},
        {14, &cEdStage::nTimeLimit},
        {15, &cEdStage::nTimeWarning},
        {16, &cEdStage::nScrollKindX},
        {17, &cEdStage::nScrollKindY},
        {18, &cEdStage::nAutoScrollX},
        {19, &cEdStage::nAutoScrollY},
        {21, &cEdStage::nLevel},
        {22, &cEdStage::nHitFrequency},
        {23, &cEdStage::nBgm},
        {24, &cEdStage::nBgmParam},
        {25, &cEdStage::bBgmKeep},
        {26, &cEdStage::bLayered},
        {27, &cEdStage::bRestoreStatus},
        {28, &cEdStage::bStoreStatus},
        {29, &cEdStage::bStatusShown},
        {30, &cEdStage::bResultAutoClose},
        {31, &cEdStage::bStartCaption},
        {32, &cEdStage::bStartCaption2},
        {33, &cEdStage::bClearCaption},
        {34, &cEdStage::bWaitCaption},
        {35, &cEdStage::nHeroBodyW},
        {36, &cEdStage::nHeroBodyH},
        {37, &cEdStage::nHeroBodyFlyW},
        {38, &cEdStage::nHeroBodyFlyH},
        {39, &cEdStage::nHeroHitW},
        {40, &cEdStage::nHeroHitH},
        {41, &cEdStage::nHeroHitFlyW},
        {42, &cEdStage::nHeroHitFlyH},
        {43, &cEdStage::nHeroShotHitW},
        {44, &cEdStage::nHeroShotHitH},
        {45, &cEdStage::nHeroItemBoxW},
        {46, &cEdStage::nHeroItemBoxH},
        {47, &cEdStage::nHeroBodyAlign},
        {48, &cEdStage::nHeroBodyFlyAlign},
        {49, &cEdStage::nHeroHitAlign},
        {50, &cEdStage::nHeroHitFlyAlign},
        {59, &cEdStage::nCharaBodyW},
        {60, &cEdStage::nCharaBodyH},
        {61, &cEdStage::nCharaBodyFlyW},
        {62, &cEdStage::nCharaBodyFlyH},
        {63, &cEdStage::nCharaHitW},
        {64, &cEdStage::nCharaHitH},
        {65, &cEdStage::nCharaHitFlyW},
        {66, &cEdStage::nCharaHitFlyH},
        {67, &cEdStage::nCharaShotHitW},
        {68, &cEdStage::nCharaShotHitH},
        {69, &cEdStage::nCharaBodyAlign},
        {70, &cEdStage::nCharaBodyFlyAlign},
        {71, &cEdStage::nCharaHitAlign},
        {72, &cEdStage::nCharaHitFlyAlign},
        {73, &cEdStage::nItemBodyW},
        {74, &cEdStage::nItemBodyH},
        {75, &cEdStage::nHeroShotRangeW},
        {76, &cEdStage::nHeroShotRangeH},
        {77, &cEdStage::nUnused77},
        {78, &cEdStage::nUnused78},
        {79, &cEdStage::nCharaShotRangeW},
        {80, &cEdStage::nCharaShotRangeH},
        {81, &cEdStage::nUnused81},
        {82, &cEdStage::nUnused82},
        {83, &cEdStage::nUnused83},
        {84, &cEdStage::nExtentX},
        {85, &cEdStage::nExtentY},
        {93, &cEdStage::bActorMeet},
        {94, &cEdStage::nHeroHitInterval},
        {95, &cEdStage::nHeroInvincible},
        {96, &cEdStage::nCharaHitInterval},
        {97, &cEdStage::nCharaInvincible},
    };
    return table;
}

std::int32_t& IntSetting(cEdStage& s, int index) {
    if (index >= 51 && index <= 58) return s.nHeroHitBox[index - 51];
    for (const auto& [i, member] : IntMembers()) {
        if (i == index) return s.*member;
    }
    ADD_FAILURE() << "no int setting " << index;
    static std::int32_t none;
    return none;
}

Bytes Body(SerialRecord& record, RecordWriter writer = RecordWriter()) {
    Bytes bytes = record.SaveToBytes(std::move(writer));
    bytes.erase(bytes.begin(), bytes.begin() + 4);
    return bytes;
}

// A stage file laid out by hand; element bodies come from their own records.
struct StageFile {
    std::uint32_t version = kCurrentDataVersion;
    std::vector<std::pair<int, double>> overrides;
    std::string text = "memo";
    std::vector<std::int32_t> lines = {1, 0, 1, 1, 0};
    std::vector<Bytes> blockPalette, charaPalette, itemPalette;
    std::vector<Bytes> blocks, charas, items;
    std::vector<Bytes> backgrounds, texts;
    bool endMark = true;
    std::uint32_t endValue = STAGE_END_MARK;

    double Value(int i) const {
        for (const auto& [index, value] : overrides) {
            if (index == i) return value;
        }
        return FieldValue(i);
    }

    Bytes Make() const {
        ByteBuilder b;
        b.U32(version);
        std::uint32_t count = 0;
        for (int i = 0; i < kStageFieldCount; ++i) count += FieldFrom(i) <= version ? 1 : 0;
        b.U32(count);
        for (int i = 0; i < kStageFieldCount; ++i) {
            if (FieldFrom(i) > version) continue;
            if (FieldSize(i) == 8) {
                b.F64(Value(i));
            } else {
                b.I32(static_cast<std::int32_t>(Value(i)));
            }
        }
        b.U32(1).Str(text);
        b.U32(static_cast<std::uint32_t>(lines.size()));
        for (std::int32_t line : lines) b.I32(line);
        // Area i, member k holds 10 * i + k.
        for (int i = 0; i < AREA_LIMIT_COUNT; ++i) {
            b.U32(8);
            for (int k = 0; k < 8; ++k) b.I32(10 * i + k);
            b.U32(0);
        }
        auto list = [&](const std::vector<Bytes>& elements, bool placed) {
            b.U32(static_cast<std::uint32_t>(elements.size()));
            for (const Bytes& e : elements) {
                if (placed) b.U32(0);
                b.Bytes(e);
            }
        };
        list(blockPalette, false);
        list(charaPalette, false);
        list(itemPalette, false);
        list(blocks, true);
        list(charas, true);
        list(items, true);
        list(backgrounds, false);
        list(texts, false);
        if (endMark) b.U32(endValue);
        return b.bytes;
    }
};

Bytes BackgroundBody(std::int32_t plain, std::int32_t colour, std::int32_t layer, double rate,
                     std::int32_t autoX, const std::string& image) {
    return ByteBuilder()
        .U32(10)
        .I32(1)
        .I32(plain)
        .I32(colour)
        .I32(layer)
        .F64(rate)
        .F64(rate * 2)
        .I32(autoX)
        .I32(0)
        .F64(0)
        .F64(0)
        .U32(1)
        .Str(image)
        .bytes;
}

Bytes TextBody(const std::string& text) {
    return ByteBuilder().U32(0).U32(1).Str(text).bytes;
}

template <class T>
T ZeroEntry() {
    T entry;
    SetEntryZeroDefaults(entry);
    return entry;
}

cEdBlock Wall() {
    cEdBlock wall;
    wall.nGraphic = 3;
    wall.strName = "wall";
    return wall;
}

cEdChara Enemy() {
    cEdChara enemy;
    enemy.nControl = 1;
    enemy.nGraphic = 5;
    enemy.nMaxHp = 3;
    enemy.strName = "敵";
    cEdFlow& flow = enemy.vecFlow.emplace_back();
    flow.nTrigger = 1;
    flow.vecCommand.emplace_back();
    return enemy;
}

cEdChara Hero() {
    cEdChara hero;
    hero.nGraphic = 1;
    hero.nControl = 0;
    hero.nMaxHp = 10;
    hero.strName = "主人公";
    return hero;
}

cEdItem Coin() {
    cEdItem coin;
    coin.nGraphic = 2;
    coin.strName = "coin";
    return coin;
}

// A complete current stage as the editor would write it, already in its normalised form.
StageFile FullStage() {
    StageFile f;
    cEdBlock zeroBlock = ZeroEntry<cEdBlock>(), wall = Wall();
    cEdChara zeroChara = ZeroEntry<cEdChara>(), enemy = Enemy(), hero = Hero();
    cEdItem zeroItem = ZeroEntry<cEdItem>(), coin = Coin();
    f.blockPalette = {Body(zeroBlock), Body(wall)};
    f.charaPalette = {Body(zeroChara), Body(enemy)};
    f.itemPalette = {Body(zeroItem), Body(coin)};
    for (std::int16_t x : {3, 4}) {
        cEdBlock placed = Wall();
        placed.nPlaceX = x;
        placed.nPlaceY = 9;
        f.blocks.push_back(Body(placed));
    }
    hero.nPlaceX = 1;
    enemy.nPlaceX = 7;
    f.charas = {Body(hero), Body(enemy)};
    coin.nPlaceX = 5;
    f.items = {Body(coin)};
    f.backgrounds = {BackgroundBody(1, 16, 0, 0.1, 0, ""),
                     BackgroundBody(0, 0, 2, 0.5, 1, "bmp\\back\\sky.bmp")};
    f.texts = {TextBody("一"), TextBody("two")};
    return f;
}

void LoadFrom(cEdStage& stage, const Bytes& bytes, bool* stopped = nullptr) {
    RecordReader reader = RecordReader::FromBytes(bytes);
    ASSERT_TRUE(reader.Ok());
    stage.Load(reader);
    if (stopped) *stopped = reader.StoppedEarly();
}

// Where two files part, for the failure messages of byte comparisons.
std::string Difference(const Bytes& a, const Bytes& b) {
    std::size_t i = 0;
    while (i < a.size() && i < b.size() && a[i] == b[i]) ++i;
    if (i == a.size() && i == b.size()) return "equal";
    return "first difference at offset " + std::to_string(i) + " of " + std::to_string(a.size()) +
           " and " + std::to_string(b.size()) + " bytes";
}

std::uint32_t LastU32(const Bytes& bytes) {
    std::uint32_t v = 0;
    std::memcpy(&v, bytes.data() + bytes.size() - 4, 4);
    return v;
}

class StageRecord : public ::testing::Test {
protected:
    void SetUp() override { ResetDataGlobals(); }
    void TearDown() override { ResetDataGlobals(); }
};

TEST_F(StageRecord, NewStageHasItsDefaultShapeAndSavesPaddedPalettes) {
    cEdStage stage;
    EXPECT_EQ(stage.FieldCount(), kStageFieldCount);
    EXPECT_EQ(stage.FieldBytes(), 416u);
    EXPECT_EQ(stage.StringCount(), 1);
    for (int i = 0; i < kStageFieldCount; ++i) {
        if (FieldSize(i) == 4 && (i < 86 || i > 92) && i != 20) {
            EXPECT_EQ(stage.FieldAt(i).address, &IntSetting(stage, i)) << "field " << i;
        }
        EXPECT_EQ(stage.FieldAt(i).size, FieldSize(i)) << "field " << i;
    }
    EXPECT_EQ(stage.vecBlockPalette.Size(), 1u);
    EXPECT_EQ(stage.vecBackground.Size(), 1u);
    EXPECT_EQ(stage.vecBackground[0].bPlainColour, 1);
    EXPECT_EQ(stage.vecResultLine.Size(), 5u);
    EXPECT_EQ(stage.AreaLimit[AREA_COMPUTER_SHOT].nLeftMargin, 10);
    EXPECT_EQ(stage.nLevel, 10);
    EXPECT_EQ(stage.nCharaHitFlyH, 16);
    // The game-speed constants of its level 10 and gravity 0.4: b = 10 sub-steps.
    EXPECT_EQ(stage.speed.nSubSteps, 10);
    EXPECT_EQ(stage.speed.nSubSteps6, 60);
    EXPECT_EQ(stage.speed.nSubSteps8, 80);
    EXPECT_EQ(stage.speed.dSubStepsSq, 100.0);
    EXPECT_EQ(stage.speed.dStepGravity, 0.4 / 100.0);

    const Bytes bytes = stage.SaveToBytes();
    EXPECT_EQ(LastU32(bytes), STAGE_END_MARK);
    // Read as the file holds it: a normalising read would pad short palettes by itself.
    cEdStage back;
    back.vecResultLine.Clear();
    RecordReader reader = RecordReader::FromBytes(bytes);
    reader.SetNormalize(false);
    back.Load(reader);
    EXPECT_FALSE(reader.StoppedEarly());
    EXPECT_EQ(back.vecBlockPalette.Size(), 2u);
    EXPECT_EQ(back.vecCharaPalette.Size(), 2u);
    EXPECT_EQ(back.vecItemPalette.Size(), 2u);
    EXPECT_EQ(back.vecBlock.Size() + back.vecChara.Size() + back.vecItem.Size(), 0u);
    EXPECT_EQ(back.vecBackground.Size(), 1u);
    EXPECT_EQ(back.vecResultLine.Size(), 5u);
    // The saved stage itself was normalised: its palettes were padded too.
    EXPECT_EQ(stage.vecCharaPalette.Size(), 2u);
}

TEST_F(StageRecord, NormalisedCurrentFileLoadsIntoTheRightMembersAndSavesBackByteForByte) {
    const Bytes golden = FullStage().Make();
    cEdStage stage;
    bool stopped = true;
    LoadFrom(stage, golden, &stopped);
    EXPECT_FALSE(stopped);

    for (const auto& [index, member] : IntMembers()) {
        EXPECT_EQ(stage.*member, static_cast<std::int32_t>(FieldValue(index))) << "field " << index;
    }
    for (int i = 51; i <= 58; ++i) EXPECT_EQ(stage.nHeroHitBox[i - 51], 1000 + i);
    EXPECT_EQ(stage.dGravity, 0.5);
    EXPECT_EQ(stage.speed.nSubSteps, 5);
    EXPECT_EQ(stage.speed.nSubSteps8, 40);
    EXPECT_EQ(stage.speed.dStepSpeedLimit, 12.0);
    EXPECT_EQ(stage.strText, "memo");
    EXPECT_EQ(stage.vecResultLine.Size(), 5u);
    EXPECT_EQ(stage.vecResultLine[1], 0);
    EXPECT_EQ(stage.AreaLimit[3].bTopOn, 32);
    EXPECT_EQ(stage.AreaLimit[4].nBottomMargin, 47);
    ASSERT_EQ(stage.vecCharaPalette.Size(), 2u);
    EXPECT_EQ(stage.vecCharaPalette[1].strName, "敵");
    ASSERT_EQ(stage.vecChara.Size(), 2u);
    EXPECT_EQ(stage.vecChara[1].nPlaceX, 7);
    ASSERT_EQ(stage.vecChara[1].vecFlow.Size(), 1u);
    EXPECT_EQ(stage.vecChara[1].vecFlow[0].vecCommand.Size(), 1u);
    ASSERT_EQ(stage.vecBlock.Size(), 2u);
    EXPECT_EQ(stage.vecBlock[1].nPlaceX, 4);
    ASSERT_EQ(stage.vecBackground.Size(), 2u);
    EXPECT_EQ(stage.vecBackground[1].strImage, "bmp\\back\\sky.bmp");
    ASSERT_EQ(stage.vecText.Size(), 2u);
    EXPECT_EQ(stage.vecText[0].strText, "一");
    EXPECT_EQ(stage.dwEndMark, STAGE_END_MARK);
    EXPECT_EQ(stage.FindHero(), 0);

    const Bytes saved = stage.SaveToBytes();
    EXPECT_TRUE(saved == golden) << Difference(saved, golden);
}

TEST_F(StageRecord, EveryPrefixOfAFileIsAPartialRead) {
    const Bytes golden = FullStage().Make();
    for (std::size_t n = 4; n < golden.size(); ++n) {
        cEdStage stage;
        bool stopped = false;
        LoadFrom(stage, Bytes(golden.begin(), golden.begin() + static_cast<long>(n)), &stopped);
        ASSERT_TRUE(stopped) << "a file cut after " << n << " of " << golden.size() << " bytes";
    }
}

TEST_F(StageRecord, OldLayoutsAreWrittenAsTheLayoutTableGivesThem) {
    for (std::uint32_t version :
         {150u, 155u, 166u, 172u, 173u, 181u, 183u, 184u, 199u, 200u, 225u, 747u}) {
        StageFile f;
        f.version = version;
        f.endMark = version >= kStageEndMarkVersion;
        cEdStage stage;
        LoadFrom(stage, f.Make());
        // Lists the old writer would write as they are: the same empty ones as the file.
        stage.vecBlockPalette.Clear();
        stage.vecCharaPalette.Clear();
        stage.vecItemPalette.Clear();
        stage.vecBackground.Clear();
        stage.vecResultLine.Clear();
        for (std::int32_t line : f.lines) stage.vecResultLine.push_back(line);
        EXPECT_EQ(stage.SaveToBytes(RecordWriter::ForOldVersion(version)), f.Make())
            << "version " << version;
    }
}

// What an older file's upgrade gives each setting the file does not store.
std::int32_t UpgradedValue(int i) {
    switch (i) {
        case 24:
            return 1;
        case 29:
            return 1;
        case 35:
        case 37:
        case 38:
            return 16;
        case 36:
            return 24;
        case 41:
            return static_cast<std::int32_t>(FieldValue(39));
        case 42:
            return static_cast<std::int32_t>(FieldValue(40));
        case 47:
            return 1;
        case 55:
            return 5;
        case 59:
        case 61:
            return 16;
        case 60:
        case 62:
            return 30;
        case 65:
            return static_cast<std::int32_t>(FieldValue(63));
        case 66:
            return static_cast<std::int32_t>(FieldValue(64));
        case 69:
        case 70:
            return 1;
        default:
            return 0;  // 25, 30, 32, 48, 49, 50, 51, 71, 72
    }
}

TEST_F(StageRecord, EachUpgradeAppliesBelowItsVersionAndNotFromIt) {
    for (std::uint32_t version : {150u, 154u, 155u, 165u, 166u, 180u, 181u, 182u, 183u, 184u, 198u,
                                  199u, 200u, 224u, 225u}) {
        for (const std::vector<std::int32_t>& lines :
             {std::vector<std::int32_t>{1, 1, 1}, std::vector<std::int32_t>{1, 1, 1, 1, 1, 1, 1}}) {
            StageFile f;
            f.version = version;
            f.endMark = version >= kStageEndMarkVersion;
            f.lines = lines;
            cEdStage stage;
            // Values a loaded stage must not keep: the upgrade, not the defaults, decides.
            for (int i = 0; i < kStageFieldCount; ++i) {
                if (FieldFrom(i) != 0) IntSetting(stage, i) = 7777;
            }
            bool stopped = true;
            LoadFrom(stage, f.Make(), &stopped);
            EXPECT_FALSE(stopped) << "version " << version;
            for (int i = 0; i < kStageFieldCount; ++i) {
                if (FieldFrom(i) == 0) continue;
                const std::int32_t expected = FieldFrom(i) <= version
                                                  ? static_cast<std::int32_t>(FieldValue(i))
                                                  : UpgradedValue(i);
                EXPECT_EQ(IntSetting(stage, i), expected)
                    << "version " << version << " field " << i;
            }
            std::vector<std::int32_t> expectedLines = lines;
            if (version < 181) expectedLines = {1, 1, 1, 0, 0};
            EXPECT_EQ(
                std::vector<std::int32_t>(stage.vecResultLine.begin(), stage.vecResultLine.end()),
                expectedLines)
                << "version " << version;
            // Saved in the current layout with every field.
            const Bytes saved = stage.SaveToBytes();
            std::uint32_t head[2];
            std::memcpy(head, saved.data(), 8);
            EXPECT_EQ(head[0], kCurrentDataVersion);
            EXPECT_EQ(head[1], static_cast<std::uint32_t>(kStageFieldCount));
        }
    }
}

TEST_F(StageRecord, VersionOneFiftyGetsEveryLaterSettingsUpgrade) {
    StageFile f;
    f.version = 150;
    f.endMark = false;
    f.lines = {1, 1, 1, 1, 1};
    cEdStage stage;
    LoadFrom(stage, f.Make());
    EXPECT_EQ(stage.nHeroHitFlyW, stage.nHeroHitW);
    EXPECT_EQ(stage.nHeroHitFlyH, stage.nHeroHitH);
    EXPECT_EQ(stage.nBgmParam, 1);
    EXPECT_EQ(stage.bStatusShown, 1);
    EXPECT_EQ(stage.vecResultLine[3], 0);
    EXPECT_EQ(stage.vecResultLine[4], 0);
    EXPECT_EQ(stage.nCharaBodyH, 30);
    EXPECT_EQ(stage.nCharaBodyFlyAlign, 1);
}

TEST_F(StageRecord, EndValueIsReadFrom173AndNeverComparedByTheLoad) {
    struct Case {
        std::uint32_t version;
        bool endMark;
        std::uint32_t value;
        bool stopped;
        std::uint32_t read;
    } cases[] = {
        {172, false, 0, false, 0},   // none stored, none read
        {172, true, 99, false, 0},   // a trailing value is not the stage's
        {173, true, 42, false, 42},  // read, any value accepted
        {174, true, 1, false, 1},    // the load accepts it; play refuses it before
        {747, true, STAGE_END_MARK, false, STAGE_END_MARK},
        {173, false, 0, true, 0},  // missing: the file is short
    };
    for (const Case& c : cases) {
        StageFile f;
        f.version = c.version;
        f.endMark = c.endMark;
        f.endValue = c.value;
        cEdStage stage;
        bool stopped = !c.stopped;
        LoadFrom(stage, f.Make(), &stopped);
        EXPECT_EQ(stopped, c.stopped) << c.version;
        EXPECT_EQ(stage.dwEndMark, c.read) << c.version;
    }
}

TEST_F(StageRecord, NormaliseClampsLimitsRecomputesSpeedAndPadsPalettes) {
    StageFile f;
    f.overrides = {{0, 30},  {3, 20},  {8, 50},   {9, 100}, {10, 100},
                   {11, -7}, {86, 99}, {90, 1e9}, {92, -3}};
    cEdBlock onlyEntry;
    f.blockPalette = {Body(onlyEntry)};
    cEdStage stage;
    LoadFrom(stage, f.Make());
    EXPECT_EQ(stage.nScrollLimitLeft, 10);
    EXPECT_EQ(stage.nScrollLimitRight, 29);
    EXPECT_EQ(stage.nScrollLimitTop, 5);
    EXPECT_EQ(stage.nScrollLimitBottom, -7);  // only upper bounds
    EXPECT_EQ(stage.speed.nSubSteps, 5);
    EXPECT_EQ(stage.speed.dStepGravity, 0.5 / 25.0);
    EXPECT_EQ(stage.speed.nSubSteps8, 40);
    EXPECT_EQ(stage.speed.nSubSteps6, 30);
    ASSERT_EQ(stage.vecBlockPalette.Size(), 2u);
    EXPECT_EQ(stage.vecBlockPalette[1].nExemptSide, 255);  // a new block
    EXPECT_EQ(stage.vecCharaPalette.Size(), 2u);

    // Width - 20 is also applied before a save, and a huge width cannot overflow it.
    stage.nWidth = 25;
    stage.nScrollLimitLeft = 9;
    stage.SaveToBytes();
    EXPECT_EQ(stage.nScrollLimitLeft, 5);
    stage.nWidth = INT32_MIN;
    stage.nHeight = INT32_MIN;
    stage.nScrollLimitLeft = 0;
    stage.nScrollLimitTop = 0;
    stage.Normalize();
    EXPECT_EQ(stage.nScrollLimitLeft, INT32_MIN);  // width - 20 does not fit: clamped to it
    EXPECT_EQ(stage.nScrollLimitTop, INT32_MIN);
}

TEST_F(StageRecord, MusicIndexOutsideTheMusicTableBecomesZero) {
    EdDatabase.vecBgm.resize(3);
    struct Case {
        std::int32_t stored, loaded;
    } cases[] = {{2, 2}, {3, 0}, {4, 0}, {-1, 0}};
    for (const Case& c : cases) {
        StageFile f;
        f.overrides = {{23, static_cast<double>(c.stored)}};
        cEdStage stage;
        LoadFrom(stage, f.Make());
        EXPECT_EQ(stage.nBgm, c.loaded) << c.stored;
    }
}

TEST_F(StageRecord, EntryZeroOfEachLoadedPaletteGetsItsFixedDefaults) {
    StageFile f = FullStage();
    cEdBlock block = Wall();
    cEdChara chara = Enemy();
    cEdItem item = Coin();
    f.blockPalette[0] = Body(block);
    f.charaPalette[0] = Body(chara);
    f.itemPalette[0] = Body(item);
    cEdStage stage;
    LoadFrom(stage, f.Make());
    EXPECT_EQ(stage.vecBlockPalette[0].nGraphic, 0);
    EXPECT_EQ(stage.vecBlockPalette[0].strName, "");
    EXPECT_EQ(stage.vecCharaPalette[0].nControl, 1);
    EXPECT_EQ(stage.vecCharaPalette[0].nZ, 3);
    EXPECT_EQ(stage.vecCharaPalette[0].vecFlow.Size(), 1u);  // its flows stay
    EXPECT_EQ(stage.vecItemPalette[0].strName, "");
    EXPECT_EQ(stage.vecBlockPalette[1].strName, "wall");
}

TEST_F(StageRecord, PlacedObjectsInheritFromTheStagesOwnPalette) {
    StageFile f = FullStage();
    cEdChara placed;
    placed.nInheritKind = 2;
    placed.nInheritIndex = 1;
    placed.vecInherit.Fill(1);  // every group from stage palette entry 1, the enemy
    placed.nPlaceX = 12;
    f.charas.push_back(Body(placed, RecordWriter::ForOldVersion(kCurrentDataVersion)));
    cEdStage stage;
    LoadFrom(stage, f.Make());
    ASSERT_EQ(stage.vecChara.Size(), 3u);
    EXPECT_EQ(stage.vecChara[2].nInheritKind, 2);
    EXPECT_EQ(stage.vecChara[2].strName, "敵");
    EXPECT_EQ(stage.vecChara[2].nGraphic, 5);
    EXPECT_EQ(stage.vecChara[2].nPlaceX, 12);
}

// A stage palette entry with one flow of `commands` commands and `placed` placed characters
// inheriting every group from it: the copies would grow with the product of the two.
Bytes InheritingPlacements(int commands, int placed) {
    cEdStage stage;
    stage.vecCharaPalette.resize(2);
    cEdChara& source = stage.vecCharaPalette[1];
    source.nGraphic = 5;
    cEdFlow& flow = source.vecFlow.emplace_back();
    for (int i = 0; i < commands; ++i) flow.vecCommand.emplace_back();
    for (int i = 0; i < placed; ++i) {
        cEdChara& chara = stage.vecChara.emplace_back();
        chara.nInheritKind = 2;
        chara.nInheritIndex = 1;
        chara.vecInherit.Fill(1);
    }
    return stage.SaveToBytes();
}

TEST_F(StageRecord, ListsInheritedByPlacedObjectsAreCopiedWithinTheBudget) {
    constexpr int kCommands = 50;
    constexpr int kPlaced = 40;
    const Bytes bytes = InheritingPlacements(kCommands, kPlaced);
    struct Case {
        std::size_t budget;
        bool all;  // every placed character gets its own copy
    } cases[] = {{std::size_t{1} << 20, true}, {600, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.budget);
        // Opened first, it covers the whole load: the stage's own budget then does nothing.
        InheritanceBudget budget(c.budget);
        cEdStage stage;
        bool stopped = true;
        LoadFrom(stage, bytes, &stopped);
        EXPECT_FALSE(stopped);
        ASSERT_EQ(stage.vecChara.Size(), static_cast<unsigned>(kPlaced));
        std::size_t elements = 0;
        std::size_t commands = 0;
        int copies = 0;
        for (const cEdChara& chara : stage.vecChara) {
            for (const cEdFlow& flow : chara.vecFlow) {
                elements += CopyElements(flow);
                commands += flow.vecCommand.Size();
            }
            copies += chara.vecFlow.empty() ? 0 : 1;
            // Numbers are inherited whatever the budget.
            EXPECT_EQ(chara.nGraphic, 5);
        }
        if (c.all) {
            EXPECT_EQ(copies, kPlaced);
            EXPECT_EQ(commands, std::size_t{kCommands} * kPlaced);
        } else {
            EXPECT_LE(elements, c.budget);
            EXPECT_GT(copies, 0);
            EXPECT_LT(copies, kPlaced);
            // The entries keep their own (empty) lists once the budget is spent.
            EXPECT_TRUE(stage.vecChara[kPlaced - 1].vecFlow.empty());
        }
    }
}

TEST_F(StageRecord, NormaliseChecksPlacedObjectsAndTheirPaletteReferences) {
    // The stage palettes hold two entries each: index 2 is past their end.
    struct Case {
        const char* what;
        void (*place)(cEdStage&);
        int (*get)(const cEdStage&);
        int stored;
        int normalised;
    } cases[] = {
        {"block item past the stage palette",
         [](cEdStage& s) {
             cEdBlock& b = s.vecBlock.emplace_back();
             b.nGraphic = 3;
             b.nItemPalette = 2;
             b.nItemIndex = 2;
         },
         [](const cEdStage& s) { return int{s.vecBlock.back().nItemPalette}; }, 2, 0},
        {"block item inside the stage palette",
         [](cEdStage& s) {
             cEdBlock& b = s.vecBlock.emplace_back();
             b.nGraphic = 3;
             b.nItemPalette = 2;
             b.nItemIndex = 1;
         },
         [](const cEdStage& s) { return int{s.vecBlock.back().nItemIndex}; }, 1, 1},
        {"block inheriting past the stage palette",
         [](cEdStage& s) {
             cEdBlock& b = s.vecBlock.emplace_back();
             b.nInheritKind = 2;
             b.nInheritIndex = 2;
         },
         [](const cEdStage& s) { return int{s.vecBlock.back().nInheritKind}; }, 2, 0},
        {"block without a graphic is not solid",
         [](cEdStage& s) {
             cEdBlock& b = s.vecBlock.emplace_back();
             b.nGraphic = 0;
             b.nHitType = 2;
         },
         [](const cEdStage& s) { return int{s.vecBlock.back().nHitType}; }, 2, 0},
        {"character inheriting past the stage palette",
         [](cEdStage& s) {
             cEdChara& c = s.vecChara.emplace_back();
             c.nInheritKind = 2;
             c.nInheritIndex = 2;
         },
         [](const cEdStage& s) { return int{s.vecChara.back().nInheritKind}; }, 2, 0},
        {"player character without clones",
         [](cEdStage& s) {
             cEdChara& c = s.vecChara.emplace_back();
             c.nControl = 0;
             c.nClones = 3;
         },
         [](const cEdStage& s) { return int{s.vecChara.back().nClones}; }, 3, 0},
        {"character size at least 1", [](cEdStage& s) { s.vecChara.emplace_back().nGiant = 0; },
         [](const cEdStage& s) { return int{s.vecChara.back().nGiant}; }, 0, 1},
        {"item inheriting past the stage palette",
         [](cEdStage& s) {
             cEdItem& i = s.vecItem.emplace_back();
             i.nInheritKind = 2;
             i.nInheritIndex = 2;
         },
         [](const cEdStage& s) { return int{s.vecItem.back().nInheritKind}; }, 2, 0},
    };
    auto rawRead = [](const Bytes& bytes) {
        cEdStage stage;
        RecordReader reader = RecordReader::FromBytes(bytes);
        reader.SetNormalize(false);
        stage.Load(reader);
        EXPECT_FALSE(reader.StoppedEarly());
        return stage;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        cEdStage stage;
        LoadFrom(stage, FullStage().Make());
        c.place(stage);
        const Bytes raw = stage.SaveToBytes(RecordWriter::ForOldVersion(kCurrentDataVersion));
        ASSERT_EQ(c.get(rawRead(raw)), c.stored);

        cEdStage loaded;
        LoadFrom(loaded, raw);
        EXPECT_EQ(c.get(loaded), c.normalised) << "after a load";

        const Bytes saved = stage.SaveToBytes();
        EXPECT_EQ(c.get(stage), c.normalised) << "before a save";
        EXPECT_EQ(c.get(rawRead(saved)), c.normalised) << "in the saved file";
    }
}

TEST_F(StageRecord, FindHeroTakesTheFirstPlayerCharacterWithAGraphic) {
    struct Case {
        std::vector<std::pair<int, int>> charas;  // graphic, control
        int hero;
    } cases[] = {
        {{}, -1},
        {{{5, 1}, {0, 0}, {2, 0}, {3, 0}}, 2},
        {{{5, 1}, {0, 0}}, -1},
        {{{1, 0}}, 0},
    };
    for (const Case& c : cases) {
        cEdStage stage;
        for (auto [graphic, control] : c.charas) {
            cEdChara& chara = stage.vecChara.emplace_back();
            chara.nGraphic = static_cast<std::int16_t>(graphic);
            chara.nControl = static_cast<std::int8_t>(control);
        }
        EXPECT_EQ(stage.FindHero(), c.hero);
        EXPECT_EQ(stage.HasHero(), c.hero != -1);
    }
}

TEST_F(StageRecord, ReplayBodyTakesSettingsFromTheSourceAndPalettesFromThisStage) {
    cEdStage running;
    LoadFrom(running, FullStage().Make());
    cEdStage loaded;  // as the stage was handed over for play: no palettes
    loaded.nWidth = 64;
    loaded.nHeight = 40;
    loaded.nTimeLimit = 90;
    loaded.strText = "source";
    loaded.vecResultLine[2] = 0;
    loaded.AreaLimit[AREA_ITEM].Set(1, 0, 0, 0, 4, 0, 0, 0);
    loaded.vecBackground[0].nColour = 5;
    loaded.vecText.emplace_back().strText = "from source";
    loaded.FreePalettes();
    running.nTimeLimit = 1;  // this stage's settings are not written

    RecordWriter writer;
    running.SaveForReplay(writer, loaded);
    EXPECT_EQ(LastU32(writer.Bytes()), STAGE_END_MARK);
    // Neither stage was normalised: the source still has no palettes.
    EXPECT_EQ(loaded.vecBlockPalette.Size(), 0u);

    RecordReader reader(writer.Bytes(), kCurrentDataVersion);
    cEdStage replay;
    replay.Load(reader);
    EXPECT_FALSE(reader.StoppedEarly());
    EXPECT_EQ(replay.nWidth, 64);
    EXPECT_EQ(replay.nTimeLimit, 90);
    EXPECT_EQ(replay.strText, "source");
    EXPECT_EQ(replay.vecResultLine[2], 0);
    EXPECT_EQ(replay.AreaLimit[AREA_ITEM].nLeftMargin, 4);
    ASSERT_EQ(replay.vecBackground.Size(), 1u);
    EXPECT_EQ(replay.vecBackground[0].nColour, 5);
    ASSERT_EQ(replay.vecText.Size(), 1u);
    EXPECT_EQ(replay.vecText[0].strText, "from source");
    ASSERT_EQ(replay.vecCharaPalette.Size(), 2u);
    EXPECT_EQ(replay.vecCharaPalette[1].strName, "敵");
    ASSERT_EQ(replay.vecChara.Size(), 2u);
    EXPECT_EQ(replay.vecBlock.Size(), 2u);
    EXPECT_EQ(replay.vecItem.Size(), 1u);
    EXPECT_EQ(replay.FindHero(), 0);
}

TEST_F(StageRecord, CopiesCarryEveryPart) {
    cEdStage a;
    LoadFrom(a, FullStage().Make());
    cEdStage b;
    b = a;
    EXPECT_EQ(b.SaveToBytes(), a.SaveToBytes());
    cEdStage c(a);
    EXPECT_EQ(c.SaveToBytes(), a.SaveToBytes());
    // The copies own their members: changing one leaves the other.
    b.vecChara[0].strName = "other";
    b.AreaLimit[0].nLeftMargin = 99;
    EXPECT_NE(b.SaveToBytes(), a.SaveToBytes());
    EXPECT_EQ(a.AreaLimit[0].nLeftMargin, 4);
}

TEST_F(StageRecord, FreePalettesGivesUpElementsAndStorage) {
    cEdStage stage;
    LoadFrom(stage, FullStage().Make());
    stage.FreePalettes();
    for (auto* list : {&stage.vecBlockPalette, &stage.vecBlock}) {
        EXPECT_EQ(list->Size(), 0u);
        EXPECT_EQ(list->capacity(), 0u);
    }
    EXPECT_EQ(stage.vecCharaPalette.capacity() + stage.vecChara.capacity() +
                  stage.vecItemPalette.capacity() + stage.vecItem.capacity(),
              0u);
    EXPECT_EQ(stage.vecBackground.Size(), 2u);
}

TEST_F(StageRecord, HostileCountsAndSurplusFieldsEndTheReadWithoutAllocating) {
    struct Case {
        const char* what;
        Bytes bytes;
    };
    std::vector<Case> cases;
    {
        StageFile f;
        f.lines = {};
        Bytes b = f.Make();
        // The result-line count claims a billion entries.
        const std::size_t at = 4 + 4 + 416 + 4 + 4 + 5;
        const std::uint32_t huge = 0x40000000;
        std::memcpy(b.data() + at, &huge, 4);
        cases.push_back({"result lines", b});
    }
    {
        StageFile f = FullStage();
        Bytes b = f.Make();
        // The placed-block count: after the three palettes.
        StageFile head = f;
        head.blocks.clear();
        head.charas.clear();
        head.items.clear();
        head.backgrounds.clear();
        head.texts.clear();
        head.endMark = false;
        const Bytes prefix = head.Make();
        const std::size_t at = prefix.size() - 5 * 4;
        const std::uint32_t huge = 0xFFFFFFFF;
        std::memcpy(b.data() + at, &huge, 4);
        cases.push_back({"placed blocks", b});
    }
    {
        Bytes b = StageFile().Make();
        const std::uint32_t more = kStageFieldCount + 1;
        std::memcpy(b.data() + 4, &more, 4);
        cases.push_back({"surplus field", b});
    }
    for (const Case& c : cases) {
        cEdStage stage;
        bool stopped = false;
        LoadFrom(stage, c.bytes, &stopped);
        EXPECT_TRUE(stopped) << c.what;
        EXPECT_LE(stage.vecResultLine.Size(), 5u) << c.what;
        EXPECT_EQ(stage.vecBlock.Size(), 0u) << c.what;
    }
}

TEST_F(StageRecord, DumperPrintsNestedListsAndTheEndValue) {
    const RecordKind* kind = FindKindForFile("Stage1.stg4_010");
    ASSERT_NE(kind, nullptr);
    EXPECT_EQ(FindKindForFile("Stage1.stg4"), kind);
    auto record = kind->make();
    RecordReader reader = RecordReader::FromBytes(FullStage().Make());
    const DumpResult dump = DumpRecord(*record, reader);
    EXPECT_TRUE(dump.ok) << dump.text;
    for (const char* line :
         {"version = 747\n", "nLevel = 15\n", "nHeroHitBox[0] = 1051\n", "vecResultLine[1] = 0\n",
          "AreaLimit[4].nLeftMargin = 44\n", "vecCharaPalette[1].strName = \"\xE6\x95\xB5\"\n",
          "vecChara[1].vecFlow[0].vecCommand[0].", "vecBlock[1].nGraphic = 3\n",
          "vecBackground[1].strImage = \"bmp\\\\back\\\\sky.bmp\"\n",
          "vecText[1].strText = \"two\"\n", "dwEndMark = 123456789\n"}) {
        EXPECT_NE(dump.text.find(line), std::string::npos) << line;
    }
}

TEST_F(StageRecord, DumperShowsEntryZeroAndOldSettingsAsTheFileHoldsThem) {
    const RecordKind* kind = FindKindForFile("Stage1.stg4");
    ASSERT_NE(kind, nullptr);
    StageFile current = FullStage();
    cEdBlock wall = Wall();
    current.blockPalette[0] = Body(wall);
    StageFile old;
    old.version = 150;
    old.endMark = false;
    old.lines = {1, 0, 1, 1, 1};
    struct Case {
        const char* what;
        Bytes bytes;
        const char* shown;  // a load for play would change it
    } cases[] = {
        {"entry 0 of a palette", current.Make(), "vecBlockPalette[0].nGraphic = 3\n"},
        {"result lines of an old file", old.Make(), "vecResultLine[4] = 1\n"},
        {"setting an old file lacks", old.Make(), "nHeroHitFlyW = 16 (default)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto record = kind->make();
        RecordReader reader = RecordReader::FromBytes(c.bytes);
        const DumpResult dump = DumpRecord(*record, reader);
        EXPECT_TRUE(dump.ok) << dump.text;
        EXPECT_NE(dump.text.find(c.shown), std::string::npos) << dump.text;
    }
}

}  // namespace

// The system settings record: the bytes of a new project built by hand from the documented
// layout, every version gate and upgrade step read from bytes at old versions, the string
// lists, the normalise step, the menu layout and the small readers, copies, hostile files
// and the dumper.
#include "data/system_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "data/record_dump.h"
#include "database_fixture.h"
#include "support/byte_builder.h"

namespace {

using database_test::DatabaseFixture;

// The registered numbers in file order, with the first version that stores each, the value
// of a new project and the value a file older than that version gets.
struct MemberLayout {
    const char* name;
    std::uint32_t since;
    std::int32_t cEdSystem::*i32;
    std::uint8_t cEdSystem::*u8;
    std::int32_t value;
    std::int32_t older;
};

#define I32(name, since, value, older) \
    { #name, since, &cEdSystem::name, nullptr, value, older }
#define U8(name, since, value, older) \
    { #name, since, nullptr, &cEdSystem::name, value, older }
const MemberLayout kMembers[] = {
    I32(bExtraLife, 185, 0, 1),
    I32(nExtraLifeScore, 0, 100, 0),
    I32(bPauseLayer, 0, 1, 0),
    I32(nFont16Switch, 0, 0, 0),
    I32(nFontIndex, 205, 60, 60),
    I32(nFont16Option, 170, 0, 0),
    I32(bKeepTestPlayFlows, 113, 0, 0),
    I32(bReplay, 184, 1, 1),
    I32(bTitleMenuWindow, 157, 1, 0),
    I32(bStoryCarryLives, 0, 1, 0),
    I32(bStoryContinueMenu, 191, 1, 0),
    I32(bMapShowLives, 191, 1, 0),
    I32(nChallengeStages, 0, 40, 0),
    I32(bChallengeAllOpen, 0, 1, 0),
    I32(bStoryShowScore, 167, 1, 1),
    I32(bStoryShowTotal, 167, 1, 1),
    I32(bStoryRestoreVars, 188, 1, 1),
    I32(bStoryPauseSwitch, 224, 1, 0),
    I32(bChallengeShowHighScore, 167, 1, 1),
    I32(bChallengeShowTotal, 167, 1, 1),
    I32(bChallengeRestoreVars, 188, 1, 1),
    I32(bChallengePauseSwitch, 224, 1, 0),
    I32(bFreeRestoreVars, 188, 1, 1),
    I32(bDirectRestoreVars, 192, 0, 1),
    I32(nColourMode, 187, 0, 0),
    U8(rgbTransparentR, 187, 0, 0),
    U8(rgbTransparentG, 187, 0, 177),
    U8(rgbTransparentB, 187, 0, 0),
    I32(bCompat214, 214, 0, 1),
    // The retired value of versions 221 to 259 follows here.
    I32(bCompat261, 261, 0, 1),
    I32(bCompat272, 272, 0, 0),
    I32(bCompat287, 287, 0, 0),
    I32(nColourAnimStep, 515, 16, 16),
    I32(bPaletteAnimation, 289, 0, -1),  // older: 1 when nColourMode is 0
    I32(bCompat525, 525, 0, 1),
    I32(bCompat555, 555, 0, 1),
    I32(bCompat637, 637, 0, -1),  // older: 1 up to version 616
    I32(bCompat669, 669, 0, 1),
    I32(bCompat677, 677, 0, 1),
    I32(bCompat695, 695, 0, 1),
    I32(bCompat696, 696, 0, 1),
    I32(bCompat697, 697, 0, 1),
    I32(bCompat721, 721, 0, 1),
    I32(bCompat728, 728, 0, 1),
    I32(bCompat733, 733, 0, 1),
    I32(bCompat744, 744, 0, 1),
    I32(nDepthD3D, 670, 0, 0),
    I32(nDepthDD, 670, 2, 2),
};
#undef I32
#undef U8

std::int32_t Get(const cEdSystem& s, const MemberLayout& m) {
    return m.i32 ? s.*m.i32 : s.*m.u8;
}

void Set(cEdSystem& s, const MemberLayout& m, std::int32_t value) {
    if (m.i32) {
        s.*m.i32 = value;
    } else {
        s.*m.u8 = static_cast<std::uint8_t>(value);
    }
}

struct Hud {
    std::int32_t shown = 1, icon = 1;
    std::string label;
    std::int32_t digits = 0, showValue = 0, low = 0, percent = 0;
};
struct Rule {
    std::int32_t enabled = 0;
    std::vector<std::uint8_t> tables;
};
struct Item {
    std::int32_t enabled = 1;
    std::string text;
};
struct Option {
    std::int32_t kind = 0;
    std::string key;
    std::int32_t value = 0;
    std::string text;
};

// A System.dat as the documented layout has it at its version: the numbers the version
// stores (the retired value between bCompat214 and bCompat261 for 221 to 259), the title,
// then the lists that the version stores. Built by hand, not by the program's writer.
struct SystemFile {
    std::uint32_t version = 747;
    std::map<std::string, std::int32_t> values;  // by member name; others as a new project
    std::int32_t retired = 0;
    std::string title;
    std::vector<std::uint8_t> carry, counterReset;
    std::vector<Hud> hud;
    std::vector<std::int32_t> startLives, livesLimited;
    std::vector<Rule> rules;
    std::vector<std::string> texts, seFiles;
    std::vector<std::int32_t> bgm;
    std::vector<std::uint8_t> bgmLoop;
    std::vector<Item> titleMenu, mapMenu, optionMenu;
    std::vector<std::string> modeNames;
    std::vector<Option> options;

    std::vector<std::uint8_t> Bytes() const {
        const std::uint32_t v = version;
        ByteBuilder fields;
        std::uint32_t count = 0;
        for (const MemberLayout& m : kMembers) {
            if (std::string(m.name) == "bCompat261" && v >= 221 && v <= 259) {
                fields.I32(retired);
                ++count;
            }
            if (v < m.since) continue;
            auto it = values.find(m.name);
            const std::int32_t value = it == values.end() ? m.value : it->second;
            if (m.i32) {
                fields.I32(value);
            } else {
                fields.U8(static_cast<std::uint8_t>(value));
            }
            ++count;
        }
        ByteBuilder b;
        b.U32(v).U32(count).Bytes(fields.bytes).U32(1).Str(title);
        Bytes8(b, carry);
        if (v >= 501) Bytes8(b, counterReset);
        b.U32(static_cast<std::uint32_t>(hud.size()));
        for (const Hud& h : hud) {
            b.U32(3 + (v >= 204 ? 1 : 0) + (v >= 587 ? 2 : 0)).I32(h.shown).I32(h.icon);
            b.I32(h.digits);
            if (v >= 204) b.I32(h.showValue);
            if (v >= 587) b.I32(h.low).I32(h.percent);
            b.U32(1).Str(h.label);
        }
        Bytes32(b, startLives);
        if (v >= 191) Bytes32(b, livesLimited);
        if (v >= 186) {
            b.U32(static_cast<std::uint32_t>(rules.size()));
            for (const Rule& r : rules) {
                b.U32(1).I32(r.enabled).U32(0);
                Bytes8(b, r.tables);
            }
        }
        Strings(b, texts);
        Strings(b, seFiles);
        Bytes32(b, bgm);
        if (v >= 202) Bytes8(b, bgmLoop);
        Items(b, titleMenu);
        Items(b, mapMenu);
        Items(b, optionMenu);
        if (v >= 674) Strings(b, modeNames);
        b.U32(static_cast<std::uint32_t>(options.size()));
        for (const Option& o : options)
            b.U32(2).I32(o.kind).I32(o.value).U32(2).Str(o.key).Str(o.text);
        return b.bytes;
    }

    static void Bytes8(ByteBuilder& b, const std::vector<std::uint8_t>& list) {
        b.U32(static_cast<std::uint32_t>(list.size()));
        for (std::uint8_t x : list) b.U8(x);
    }
    static void Bytes32(ByteBuilder& b, const std::vector<std::int32_t>& list) {
        b.U32(static_cast<std::uint32_t>(list.size()));
        for (std::int32_t x : list) b.I32(x);
    }
    static void Strings(ByteBuilder& b, const std::vector<std::string>& list) {
        b.U32(static_cast<std::uint32_t>(list.size()));
        for (const std::string& s : list) b.Str(s);
    }
    static void Items(ByteBuilder& b, const std::vector<Item>& list) {
        b.U32(static_cast<std::uint32_t>(list.size()));
        for (const Item& i : list) b.U32(1).I32(i.enabled).U32(1).Str(i.text);
    }
};

// The texts of a new project with the version from which a file stores each one.
struct TextEntry {
    const char* text;
    std::uint32_t since;
};
const TextEntry kTexts[kSystemTextCount] = {
    {"ワールド", 0},
    {"ステージ", 0},
    {"スコア", 0},
    {"ハイスコア", 0},
    {"トータルスコア", 0},
    {"スコア", 0},
    {"残り時間", 0},
    {"クリア時間", 0},
    {"残りHP", 181},
    {"残りSP", 181},
    {"ステージに挑む", 0},
    {"やっぱりやめる", 0},
    {"セーブする", 0},
    {"やっぱりやめる", 0},
    {"オートセーブＯＮ", 169},
    {"オートセーブＯＦＦ", 169},
    {"保存先が不明です！一度は「セーブ」して下さい！", 169},
    {"タイトルへ戻る", 0},
    {"やっぱりやめる", 0},
    {"しゅうりょう", 0},
    {"つづける", 0},
    {"リトライ", 0},
    {"リトライ", 193},
    {"マップへ戻る", 193},
    {"Vキーでジャンルの切り替え", 0},
    {"スペースキーでタイトルへ戻る", 0},
    {"スペースキーで終了", 0},
    {"F3キーでランキングへ登録", 0},
};

struct OptionEntry {
    Option option;
    std::uint32_t since;
};
const OptionEntry kOptions[kSystemOptionCount] = {
    {{0, "Direct3D", 2, ""}, 286},
    {{0, "WindowMode", 0, ""}, 0},
    {{0, "Bpp", 0, ""}, 0},
    {{0, "VSync", 2, ""}, 0},
    {{0, "D3D_FontCache", 0, ""}, 568},
    {{0, "DD_FontCache", 1, ""}, 568},
    {{0, "DD_VideoStretch", 0, ""}, 567},
    {{0, "ShowFps", 1, ""}, 0},
    {{1, "FreeStage", 0, ""}, 0},
    {{0, "English", 0, ""}, 672},
};

struct MapItemEntry {
    const char* text;
    std::uint32_t since;
};
const MapItemEntry kMapItems[4] = {
    {"セーブ", 0}, {"オートセーブ", 169}, {"もどる", 0}, {"タイトルへ", 0}};

// A new project's file at the given version: the lists as the program of that version wrote
// them (entries added later left out).
SystemFile NewProjectFile(std::uint32_t version = 747) {
    SystemFile f;
    f.version = version;
    f.carry = std::vector<std::uint8_t>(25, 0);
    for (int i : {0, 1, 13, 14, 16, 17, 19, 20, 21}) f.carry[i] = 1;
    f.counterReset = std::vector<std::uint8_t>(25, 0);
    f.counterReset[11] = f.counterReset[12] = 1;
    f.hud = {{1, 1, "スコア", 4},
             {1, 1, "スコア", 3},
             {1, 1, "HP", 0},
             {1, 1, "SP", 0},
             {1, 1, "人", 2}};
    f.startLives = {5, 5, 5, 99};
    f.livesLimited = {1, 1, 1, 1};
    for (int mode = 0; mode < 4; ++mode) {
        f.rules.push_back({mode < 3 ? 1 : 0, std::vector<std::uint8_t>(5, mode < 3 ? 1 : 0)});
    }
    for (const TextEntry& t : kTexts) {
        if (version >= t.since) f.texts.push_back(t.text);
    }
    f.seFiles = std::vector<std::string>(17);
    f.bgm = {0, 0, 0, 0};
    f.bgmLoop = {1, 1, 1, 1};
    for (const char* t : {"はじめから", "つづきから", "チャレンジ", "フリー", "リプレイ",
                          "オプション", "しゅうりょう"}) {
        f.titleMenu.push_back({1, t});
    }
    for (const MapItemEntry& m : kMapItems) {
        if (version >= m.since) f.mapMenu.push_back({1, m.text});
    }
    for (const char* t : {"BGM", "SE", "ランキング登録", "ランキング登録名", "もどる", ""}) {
        f.optionMenu.push_back({1, t});
    }
    f.modeNames = {"手動登録（登録名入力）", "手動登録（登録名固定）", "自動登録（登録名入力）",
                   "自動登録（登録名固定）"};
    for (const OptionEntry& o : kOptions) {
        if (version >= o.since) f.options.push_back(o.option);
    }
    return f;
}

void LoadFrom(cEdSystem& system, const std::vector<std::uint8_t>& bytes, bool* stopped = nullptr) {
    RecordReader reader = RecordReader::FromBytes(bytes);
    ASSERT_TRUE(reader.Ok());
    system.Load(reader);
    if (stopped) *stopped = reader.StoppedEarly();
}

std::vector<std::string> Strings(const CheckedVector<std::string>& list) {
    return {list.begin(), list.end()};
}

std::vector<std::string> ItemTexts(const CheckedVector<cEdSystemSubA>& list) {
    std::vector<std::string> texts;
    for (const cEdSystemSubA& item : list) {
        EXPECT_EQ(item.bEnabled, 1);
        texts.push_back(item.strItemText);
    }
    return texts;
}

// The ten options in their current places; texts gives each one's text default ("" for all
// when empty).
void ExpectOptions(const cEdSystem& system, std::int32_t direct3dDefault,
                   const std::vector<std::string>& texts = {}) {
    ASSERT_EQ(system.vecOptions.Size(), 10u);
    for (int i = 0; i < kSystemOptionCount; ++i) {
        SCOPED_TRACE(i);
        const cEdSystemSubD& o = system.vecOptions[i];
        EXPECT_EQ(o.nValueKind, kOptions[i].option.kind);
        EXPECT_EQ(o.strKey, kOptions[i].option.key);
        EXPECT_EQ(o.nDefault, i == 0 ? direct3dDefault : kOptions[i].option.value);
        EXPECT_EQ(o.strDefault, texts.empty() ? "" : texts[i]);
    }
}

class SystemRecord : public DatabaseFixture {};

TEST_F(SystemRecord, NewProjectWritesTheDocumentedBytesAndReadsThemBack) {
    cEdSystem system;
    const std::vector<std::uint8_t> golden = NewProjectFile().Bytes();
    EXPECT_EQ(system.SaveToBytes(), golden);

    // Two of the texts as bytes: the literals reach the file as CP932.
    EXPECT_EQ(system.vecTexts[16],
              "\x95\xdb\x91\xb6\x90\xe6\x82\xaa\x95\x73\x96\xbe\x82\xc5"
              "\x82\xb7\x81\x49\x88\xea\x93\x78\x82\xcd\x81\x75\x83\x5a"
              "\x81\x5b\x83\x75\x81\x76\x82\xb5\x82\xc4\x89\xba\x82\xb3"
              "\x82\xa2\x81\x49");
    EXPECT_EQ(system.vecTexts[8], "\x8e\x63\x82\xe8HP");

    cEdSystem back;
    back.vecTexts.resize(3);
    back.vecOptions.Clear();
    back.nChallengeStages = 9;
    bool stopped = true;
    LoadFrom(back, golden, &stopped);
    EXPECT_FALSE(stopped);
    EXPECT_EQ(back.nChallengeStages, 40);
    EXPECT_EQ(back.SaveToBytes(), golden);
}

TEST_F(SystemRecord, TheTenOptionsAndTheirSystemIniNames) {
    cEdSystem system;
    ExpectOptions(system, 2);
    EXPECT_EQ(system.vecOptions[8].nValueKind, cEdSystemSubD::kText);
    // Set and SetText change only what they name.
    cEdSystemSubD o;
    o.strDefault = "keep";
    o.Set("Key", 7);
    EXPECT_EQ(o.nValueKind, 0);
    EXPECT_EQ(o.strKey, "Key");
    EXPECT_EQ(o.nDefault, 7);
    EXPECT_EQ(o.strDefault, "keep");
    o.SetText("", "text");
    EXPECT_EQ(o.nValueKind, 1);
    EXPECT_EQ(o.strKey, "");
    EXPECT_EQ(o.nDefault, 7);
    EXPECT_EQ(o.strDefault, "text");
}

// One chain over the gates of the registered members and the lists: every member the file
// stores has the file's value (7, never an upgrade value); every other member has the value
// of the older behaviour. The record is filled beforehand with values that are neither (55,
// 9, lists of other sizes), so only the upgrade step can give what is expected.
TEST_F(SystemRecord, EveryGateAndUpgradeValueAcrossTheVersions) {
    using Bytes = CheckedVector<std::uint8_t>;
    // Ranking tables of the four play modes before the load: longer, shorter, empty, five.
    const Bytes kPrefilledTables[kPlayModeCount] = {Bytes(7, 9), {9, 9}, {}, Bytes(5, 9)};
    // Made five entries with tables 3 and 4 off, before 181.
    const Bytes kTablesBefore181[kPlayModeCount] = {
        {9, 9, 9, 0, 0}, {9, 9, 0, 0, 0}, {0, 0, 0, 0, 0}, {9, 9, 9, 0, 0}};
    const std::uint32_t versions[] = {
        100, 112, 113, 156, 157, 166, 167, 180, 181, 183, 184, 185, 186, 187, 190,
        191, 192, 201, 202, 203, 204, 205, 213, 214, 221, 223, 224, 240, 259, 260,
        261, 271, 272, 286, 287, 288, 289, 500, 501, 514, 515, 524, 525, 554, 555,
        586, 587, 616, 617, 620, 636, 637, 668, 669, 670, 673, 674, 676, 677, 694,
        695, 696, 697, 720, 721, 727, 728, 732, 733, 743, 744, 746, 747};
    for (std::uint32_t v : versions) {
        SCOPED_TRACE(v);
        SystemFile f = NewProjectFile(v);
        for (const MemberLayout& m : kMembers) f.values[m.name] = 7;
        f.retired = 0x5a5a5a5a;
        f.counterReset = std::vector<std::uint8_t>(25, 7);
        for (Hud& h : f.hud) h.showValue = h.low = h.percent = 7;
        f.livesLimited = {7, 7, 7, 7};
        f.rules = {{7, {7, 7, 7, 7, 7, 7}}, {7, {7}}, {7, {}}, {7, {7, 7}}};
        f.bgmLoop = {7, 7, 7, 7, 7};
        f.modeNames = {"m"};
        f.title = "T";

        cEdSystem system;
        for (const MemberLayout& m : kMembers) Set(system, m, 55);
        system.vecCounterResetMask = CheckedVector<std::uint8_t>(30, 9);
        system.vecLivesLimited = {9, 9};
        system.vecSceneBgmLoop = {9, 9, 9, 9, 9};
        system.vecRankingModeNames = {"p"};
        for (int mode = 0; mode < kPlayModeCount; ++mode) {
            system.vecRankingRules[mode].bEnabled = 9;
            system.vecRankingRules[mode].vecTableOn = kPrefilledTables[mode];
        }
        bool stopped = true;
        LoadFrom(system, f.Bytes(), &stopped);
        EXPECT_FALSE(stopped);
        EXPECT_EQ(system.strTitle, "T");
        for (const MemberLayout& m : kMembers) {
            SCOPED_TRACE(m.name);
            std::int32_t expected = m.older;
            if (v >= m.since) {
                expected = 7;
            } else if (std::string(m.name) == "bPaletteAnimation") {
                expected = system.nColourMode == 0 ? 1 : 0;
            } else if (std::string(m.name) == "bCompat637") {
                expected = v <= 616 ? 1 : 0;
            }
            EXPECT_EQ(Get(system, m), expected);
        }
        // The lists with a gate of their own.
        EXPECT_EQ(system.vecCounterResetMask, CheckedVector<std::uint8_t>(25, v >= 501 ? 7 : 0));
        using Ints = CheckedVector<std::int32_t>;
        EXPECT_EQ(system.vecLivesLimited, (v >= 191 ? Ints{7, 7, 7, 7} : Ints{0, 0, 0, 1}));
        EXPECT_EQ(system.vecSceneBgmLoop, (v >= 202 ? Bytes{7, 7, 7, 7, 7} : Bytes{1, 1, 1, 1}));
        // Not stored before 674: the record keeps its names.
        EXPECT_EQ(Strings(system.vecRankingModeNames),
                  std::vector<std::string>{v >= 674 ? "m" : "p"});
        ASSERT_EQ(system.vecRankingRules.Size(), 4u);
        if (v >= 186) {
            EXPECT_EQ(system.vecRankingRules[1].vecTableOn, CheckedVector<std::uint8_t>{7});
            EXPECT_EQ(system.vecRankingRules[2].vecTableOn.Size(), 0u);
            EXPECT_EQ(system.CountEnabled(0), 6);
        } else {
            // Not stored: the rules keep what they held, made five tables with 3 and 4 off
            // before 181.
            for (int mode = 0; mode < kPlayModeCount; ++mode) {
                SCOPED_TRACE(mode);
                EXPECT_EQ(system.vecRankingRules[mode].bEnabled, 9);
                EXPECT_EQ(system.vecRankingRules[mode].vecTableOn,
                          v >= 181 ? kPrefilledTables[mode] : kTablesBefore181[mode]);
            }
            EXPECT_EQ(system.CountEnabled(0), v >= 181 ? 7 : 3);
        }
        for (int i = 0; i < kHudItemCount; ++i) {
            SCOPED_TRACE(i);
            const cEdSystemSubB& h = system.vecHudItems[i];
            EXPECT_EQ(h.bShowValue, v >= 204 ? 7 : 1);
            const bool gauge = i == 2 || i == 3;
            EXPECT_EQ(h.nLowThreshold, v >= 587 ? 7 : gauge ? 33 : 0);
            EXPECT_EQ(h.bThresholdPercent, v >= 587 ? 7 : gauge ? 1 : 0);
        }
        // Whatever the version, the next save writes the current layout.
        const std::vector<std::uint8_t> saved = system.SaveToBytes();
        cEdSystem again;
        LoadFrom(again, saved);
        EXPECT_EQ(again.SaveToBytes(), saved);
        EXPECT_EQ(again.bCompat214, system.bCompat214);
    }
}

// Texts, map-menu items and options that later versions added are inserted at their places:
// a new project's lists as each old version wrote them come out as the current lists. Each
// stored option has a text default of its own; an inserted option keeps the text default of
// the entry that stood in its place.
TEST_F(SystemRecord, OldListsGetTheirInsertedEntriesAtTheRightPositions) {
    std::vector<std::string> defaults;
    for (const TextEntry& t : kTexts) defaults.push_back(t.text);
    using Texts = std::vector<std::string>;
    const Texts before286 = {"WindowMode*", "WindowMode*", "Bpp*",     "VSync*",     "ShowFps*",
                             "ShowFps*",    "ShowFps*",    "ShowFps*", "FreeStage*", ""};
    const Texts before567 = {"Direct3D*", "WindowMode*", "Bpp*",     "VSync*",     "ShowFps*",
                             "ShowFps*",  "ShowFps*",    "ShowFps*", "FreeStage*", ""};
    const Texts before568 = {
        "Direct3D*",        "WindowMode*",      "Bpp*",     "VSync*",     "DD_VideoStretch*",
        "DD_VideoStretch*", "DD_VideoStretch*", "ShowFps*", "FreeStage*", ""};
    Texts before672, current;
    for (const OptionEntry& o : kOptions) current.push_back(o.option.key + "*");
    before672 = current;
    before672[9] = "";
    for (std::uint32_t v : {100u, 168u, 169u, 180u, 181u, 192u, 193u, 285u, 286u, 566u, 567u, 568u,
                            671u, 672u, 747u}) {
        SCOPED_TRACE(v);
        SystemFile f = NewProjectFile(v);
        for (Option& o : f.options) o.text = o.key + "*";
        cEdSystem system;
        // What the record held before cannot leak into an old file's lists.
        system.vecTexts.Fill("x");
        system.vecOptions.resize(14);
        LoadFrom(system, f.Bytes());
        EXPECT_EQ(Strings(system.vecTexts), defaults);
        EXPECT_EQ(ItemTexts(system.vecMapMenu),
                  (std::vector<std::string>{"セーブ", "オートセーブ", "もどる", "タイトルへ"}));
        // Direct3D inserted for a file that did not know it defaults to 1, not to 2.
        ExpectOptions(system, v < 286 ? 1 : 2,
                      v < 286   ? before286
                      : v < 567 ? before567
                      : v < 568 ? before568
                      : v < 672 ? before672
                                : current);
    }
}

// Old texts, map-menu items, options and display items longer than an upgrade step makes
// them: the step cuts the surplus before its inserts, which push further entries off the
// end. A file of a version that runs no such step keeps its lists as long as they are.
TEST_F(SystemRecord, OldListsLongerThanTheirFixedSizesLoseTheirSurplus) {
    auto numbered = [](const char* prefix, int first, int last) {
        std::vector<std::string> list;
        for (int i = first; i <= last; ++i) list.push_back(prefix + std::to_string(i));
        return list;
    };
    auto join = [](std::initializer_list<std::vector<std::string>> parts) {
        std::vector<std::string> all;
        for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    const std::string hp = kTexts[8].text, sp = kTexts[9].text, on = kTexts[14].text,
                      off = kTexts[15].text, where = kTexts[16].text, retry = kTexts[22].text,
                      map = kTexts[23].text, autosave = kMapItems[1].text;
    const std::string d3d = "Direct3D", d3dCache = "D3D_FontCache", ddCache = "DD_FontCache",
                      stretch = "DD_VideoStretch", english = "English";
    struct Case {
        std::uint32_t version;
        std::vector<std::string> texts, mapMenu, options;
    } cases[] = {
        {168,
         join({numbered("t", 0, 7),
               {hp, sp},
               numbered("t", 8, 11),
               {on, off, where},
               numbered("t", 12, 16),
               {retry, map},
               numbered("t", 17, 20)}),
         join({{"m0", autosave}, numbered("m", 1, 2)}),
         join({{d3d},
               numbered("o", 0, 2),
               {d3dCache, ddCache, stretch},
               numbered("o", 3, 4),
               {english}})},
        {180,
         join({numbered("t", 0, 7),
               {hp, sp},
               numbered("t", 8, 19),
               {retry, map},
               numbered("t", 20, 23)}),
         numbered("m", 0, 5),
         join({{d3d},
               numbered("o", 0, 2),
               {d3dCache, ddCache, stretch},
               numbered("o", 3, 4),
               {english}})},
        {192, join({numbered("t", 0, 21), {retry, map}, numbered("t", 22, 25)}),
         numbered("m", 0, 5),
         join({{d3d},
               numbered("o", 0, 2),
               {d3dCache, ddCache, stretch},
               numbered("o", 3, 4),
               {english}})},
        {286, numbered("t", 0, 29), numbered("m", 0, 5),
         join({numbered("o", 0, 3), {d3dCache, ddCache, stretch}, numbered("o", 4, 5), {english}})},
        {567, numbered("t", 0, 29), numbered("m", 0, 5),
         join({numbered("o", 0, 3), {d3dCache, ddCache}, numbered("o", 4, 6), {english}})},
        {671, numbered("t", 0, 29), numbered("m", 0, 5), join({numbered("o", 0, 8), {english}})},
        {672, numbered("t", 0, 29), numbered("m", 0, 5), numbered("o", 0, 11)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        SystemFile f = NewProjectFile(c.version);
        f.texts = numbered("t", 0, 29);
        f.mapMenu.clear();
        for (const std::string& text : numbered("m", 0, 5)) f.mapMenu.push_back({1, text});
        f.options.clear();
        for (const std::string& key : numbered("o", 0, 11)) f.options.push_back({0, key, 1, ""});
        f.hud.push_back({1, 1, "h5", 9});
        cEdSystem system;
        bool stopped = true;
        LoadFrom(system, f.Bytes(), &stopped);
        EXPECT_FALSE(stopped);
        EXPECT_EQ(Strings(system.vecTexts), c.texts);
        EXPECT_EQ(ItemTexts(system.vecMapMenu), c.mapMenu);
        std::vector<std::string> keys;
        for (const cEdSystemSubD& o : system.vecOptions) keys.push_back(o.strKey);
        EXPECT_EQ(keys, c.options);
        // The display items are made five before 587.
        EXPECT_EQ(system.vecHudItems.Size(), c.version < 587 ? 5u : 6u);
    }
}

TEST_F(SystemRecord, TheAutomaticVSyncOfFilesBefore286ReadsAsTwo) {
    struct Case {
        std::uint32_t version;
        std::int32_t stored, loaded;
    } cases[] = {{285, 5, 2}, {285, 3, 2}, {285, 2, 2}, {285, 1, 1}, {286, 5, 5}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        SystemFile f = NewProjectFile(c.version);
        // Before 286 VSync is option 2; it becomes option 3 behind the inserted Direct3D.
        f.options[c.version < 286 ? 2 : 3].value = c.stored;
        cEdSystem system;
        LoadFrom(system, f.Bytes());
        EXPECT_EQ(system.vecOptions[3].strKey, "VSync");
        EXPECT_EQ(system.vecOptions[3].nDefault, c.loaded);
    }
}

TEST_F(SystemRecord, CarryMaskEntriesAreInsertedAtSixteenFourteenAndNine) {
    auto numbered = [](int n) {
        std::vector<std::uint8_t> list;
        for (int i = 0; i < n; ++i) list.push_back(static_cast<std::uint8_t>(100 + i));
        return list;
    };
    auto run = [](int first, int last) {
        std::vector<std::uint8_t> list;
        for (int x = first; x <= last; ++x) list.push_back(static_cast<std::uint8_t>(x));
        return list;
    };
    auto join = [](std::initializer_list<std::vector<std::uint8_t>> parts) {
        std::vector<std::uint8_t> all;
        for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
        return all;
    };
    struct Case {
        std::uint32_t version;
        std::vector<std::uint8_t> stored, loaded;
    } cases[] = {
        // Before 168: made 25, 1 at 16; then 0 at 14 (before 201) and 0 at 9 (before 210).
        {150, numbered(22),
         join({run(100, 108), {0}, run(109, 113), {0}, run(114, 115), {1}, run(116, 121)})},
        {168, numbered(23), join({run(100, 108), {0}, run(109, 113), {0}, run(114, 122)})},
        {205, numbered(24), join({run(100, 108), {0}, run(109, 123)})},
        // Too long for its version: made 25 cuts the surplus before the insert.
        {205, numbered(30), join({run(100, 108), {0}, run(109, 123)})},
        {210, numbered(3), run(100, 102)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        SystemFile f = NewProjectFile(c.version);
        f.carry = c.stored;
        cEdSystem system;
        LoadFrom(system, f.Bytes());
        EXPECT_EQ(std::vector<std::uint8_t>(system.vecCarryMask.begin(), system.vecCarryMask.end()),
                  c.loaded);
    }
}

TEST_F(SystemRecord, TheRetiredValueOf221To259IsReadPastAndNeverWritten) {
    for (std::uint32_t v : {220u, 221u, 259u, 260u}) {
        SCOPED_TRACE(v);
        SystemFile f = NewProjectFile(v);
        f.values["bCompat214"] = 3;
        f.values["nColourMode"] = 1;
        f.retired = 0x11223344;
        f.title = "after";
        cEdSystem system;
        bool stopped = true;
        LoadFrom(system, f.Bytes(), &stopped);
        EXPECT_FALSE(stopped);
        EXPECT_EQ(system.bCompat214, 3);
        EXPECT_EQ(system.bCompat261, 1);
        EXPECT_EQ(system.strTitle, "after");
        EXPECT_EQ(system.bPaletteAnimation, 0);  // colour mode 1 came through
        // Saved in the current layout: 48 fields, no retired value among them.
        const std::vector<std::uint8_t> saved = system.SaveToBytes();
        EXPECT_EQ(std::vector<std::uint8_t>(saved.begin() + 4, saved.begin() + 8),
                  ByteBuilder().U32(48).bytes);
        cEdSystem back;
        LoadFrom(back, saved);
        EXPECT_EQ(back.bCompat214, 3);
        EXPECT_EQ(back.bCompat261, 1);
        EXPECT_EQ(back.nColourMode, 1);
        EXPECT_EQ(back.strTitle, "after");
    }
}

TEST_F(SystemRecord, StringListsKeepCarriageReturnsAndTheirEmptyForms) {
    SystemFile f = NewProjectFile();
    f.title = "ti\r\ntle";
    f.texts[0] = "line\r\nnext";
    f.hud[0].label = "a\rb";
    std::vector<std::uint8_t> bytes = f.Bytes();
    cEdSystem system;
    LoadFrom(system, bytes);
    EXPECT_EQ(system.strTitle, "ti\ntle");
    EXPECT_EQ(system.vecTexts[0], "line\r\nnext");
    EXPECT_EQ(system.vecHudItems[0].strLabel, "ab");

    // A text stored with the length 0, one with 1, and one without its zero byte.
    ByteBuilder texts;
    texts.U32(3).U32(0).U32(1).U32(2).Raw("ab", 2);
    SystemFile g = NewProjectFile();
    g.texts = {"@"};
    const std::vector<std::uint8_t> whole = g.Bytes();
    // Replace the one-text list (u32 1, u32 2, "@", 0) with the hand-made one.
    const std::vector<std::uint8_t> one = ByteBuilder().U32(1).Str("@").bytes;
    auto at = std::search(whole.begin(), whole.end(), one.begin(), one.end());
    ASSERT_NE(at, whole.end());
    std::vector<std::uint8_t> patched(whole.begin(), at);
    patched.insert(patched.end(), texts.bytes.begin(), texts.bytes.end());
    patched.insert(patched.end(), at + static_cast<std::ptrdiff_t>(one.size()), whole.end());
    cEdSystem odd;
    bool stopped = true;
    LoadFrom(odd, patched, &stopped);
    EXPECT_FALSE(stopped);
    EXPECT_EQ(Strings(odd.vecTexts), (std::vector<std::string>{"", "", "ab"}));
    // Saved again: the empty ones as the value 1 alone, the third with its zero byte.
    const std::vector<std::uint8_t> saved = odd.SaveToBytes();
    const std::vector<std::uint8_t> expected =
        ByteBuilder().U32(3).U32(1).U32(1).U32(3).Raw("ab", 3).bytes;
    EXPECT_NE(std::search(saved.begin(), saved.end(), expected.begin(), expected.end()),
              saved.end());
}

TEST_F(SystemRecord, SceneMusicNamingNoMusicRecordBecomesZeroOnLoadAndBeforeSave) {
    EdDatabase.vecBgm.resize(3);
    SystemFile f = NewProjectFile();
    f.bgm = {2, 3, -1, 1, 9};
    cEdSystem system;
    LoadFrom(system, f.Bytes());
    EXPECT_EQ(system.vecSceneBgm, (CheckedVector<std::int32_t>{2, 0, 0, 1, 0}));

    system.vecSceneBgm = {3, 2, INT32_MIN};
    cEdSystem saved;
    LoadFrom(saved, system.SaveToBytes());
    EXPECT_EQ(system.vecSceneBgm, (CheckedVector<std::int32_t>{0, 2, 0}));
    EXPECT_EQ(saved.vecSceneBgm, system.vecSceneBgm);

    // The dumper shows the file as it is.
    RecordReader reader = RecordReader::FromBytes(f.Bytes());
    cEdSystem dumped;
    const DumpResult dump = DumpRecord(dumped, reader);
    EXPECT_NE(dump.text.find("vecSceneBgm[1] = 3\n"), std::string::npos);
    EXPECT_NE(dump.text.find("vecSceneBgm[2] = -1\n"), std::string::npos);
}

TEST_F(SystemRecord, MenuLeftAndTheMenuWindow) {
    cEdSystem system;
    system.vecTexts[21] = "\x83\x8a\x83\x67\x83\x89\x83\x43";  // 4 characters
    system.vecTexts[22] = "abcde";
    system.vecTexts[23] = "\x83\x7d\x83\x62\x83\x76x%s\n";  // 6 characters, the LF uncounted
    struct Case {
        int first, count, gap, left, width;
        const char* text;
    } cases[] = {
        {21, 3, 1, 320 - 7 * 8, 7 * 16,
         " \x83\x8a\x83\x67\x83\x89\x83\x43\n abcde\n \x83\x7d\x83\x62\x83\x76x%s\n\n"},
        {21, 3, 0, 320 - 6 * 8, 6 * 16,
         "\x83\x8a\x83\x67\x83\x89\x83\x43\nabcde\n\x83\x7d\x83\x62\x83\x76x%s\n\n"},
        {22, 1, 2, 320 - 6 * 8, 6 * 16, " abcde\n"},
        {22, 0, 1, 320 - 1 * 8, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first * 100 + c.count * 10 + c.gap);
        EXPECT_EQ(system.MenuLeft(320, c.first, c.count, c.gap), c.left);
        cEdSystem::MenuWindow window;
        std::string text = "old";
        const bool shown = system.LayoutMenu(c.left, 272, c.first, c.count, c.gap, window, text);
        EXPECT_EQ(shown, c.text != nullptr);
        if (!shown) {
            EXPECT_TRUE(text.empty());
            continue;
        }
        EXPECT_EQ(text, c.text);
        EXPECT_EQ(window.x, c.left);
        EXPECT_EQ(window.y, 272);
        EXPECT_EQ(window.nWidth, c.width);
        EXPECT_EQ(window.nHeight, c.count * 16);
    }
    EXPECT_EQ(PumpCloses(), 0);
    system.DrawMenu(264, 272, 19, 3, 1);
    system.DrawMenu(264, 272, 19, 0, 1);
    EXPECT_EQ(PumpCloses(), 0);
}

TEST_F(SystemRecord, AMenuLongerThanTheFontBufferIsCutWithoutSplittingACharacter) {
    cEdSystem system;
    // 28 texts of 18 double-byte characters and a gap: 28 × 38 bytes = 1064.
    std::string wide;
    for (int i = 0; i < 18; ++i) wide += "\x82\xa0";
    system.vecTexts.Fill(wide);
    cEdSystem::MenuWindow window;
    std::string text;
    ASSERT_TRUE(system.LayoutMenu(0, 0, 0, 28, 1, window, text));
    EXPECT_LE(text.size(), 1023u);
    EXPECT_GE(text.size(), 1022u);
    // Lines of 38 bytes: a blank, 36 bytes of text, a line feed; the cut keeps pairs whole.
    const std::size_t tail = text.size() % 38;
    EXPECT_EQ((tail - 1) % 2, 0u);
    EXPECT_EQ(window.nHeight, 28 * 16);
}

TEST_F(SystemRecord, ThresholdsRankingCountsAndFontNames) {
    cEdSystem system;
    system.vecHudItems[2].nLowThreshold = 33;
    system.vecHudItems[2].bThresholdPercent = 1;
    system.vecHudItems[3].nLowThreshold = 20;
    system.vecHudItems[3].bThresholdPercent = 0;
    struct Threshold {
        int item, value, max, result;
    } thresholds[] = {{2, 33, 100, 1}, {2, 34, 100, 0}, {2, 1, 4, 1},  {2, 2, 3, 0},
                      {2, 0, 0, 0},    {2, 5, 0, 0},    {2, -1, 0, 1}, {3, 20, 100, 1},
                      {3, 21, 100, 0}, {3, 20, 0, 1},   {3, -5, 10, 1}};
    for (const Threshold& t : thresholds) {
        SCOPED_TRACE(t.item * 1000 + t.value);
        EXPECT_EQ(system.CheckThreshold(t.item, t.value, t.max), t.result);
    }

    system.vecRankingRules[1].vecTableOn = {1, 0, 5, 0, 1, 1, 1};
    system.vecRankingRules[3].vecTableOn = {1, 1, 1, 1, 1};
    EXPECT_EQ(system.CountEnabled(0), 5);
    EXPECT_EQ(system.CountEnabled(1), 5);  // every non-zero flag, beyond the fifth too
    EXPECT_EQ(system.CountEnabled(3), 0);  // disabled whatever its flags
    system.vecRankingRules[0].vecTableOn.Clear();
    EXPECT_EQ(system.CountEnabled(0), 0);
    EXPECT_EQ(PumpCloses(), 0);

    struct Font {
        std::int32_t index;
        const char* name;
    } fonts[] = {
        {60, "ＭＳ Ｐゴシック"},  {0, "System"},           {59, "ＭＳ ゴシック"},         {122, ""},
        {123, "ＭＳ Ｐゴシック"}, {-1, "ＭＳ Ｐゴシック"}, {INT32_MIN, "ＭＳ Ｐゴシック"}};
    for (const Font& f : fonts) {
        SCOPED_TRACE(f.index);
        system.nFontIndex = f.index;
        EXPECT_EQ(system.FontName(), f.name);
    }
}

TEST_F(SystemRecord, CopiesWriteTheSameBytesAndStayIndependent) {
    cEdSystem source;
    source.strTitle = "copy";
    source.bCompat733 = 1;
    source.vecTexts[5] = "five";
    source.vecRankingRules[2].vecTableOn = {0, 1};
    source.vecOptions[1].Set("Mode", 4);
    source.vecHudItems[4].strLabel = "L";
    cEdSystem assigned;
    assigned.vecTexts.resize(40);
    assigned = source;
    cEdSystem constructed(source);
    EXPECT_EQ(assigned.SaveToBytes(), source.SaveToBytes());
    EXPECT_EQ(constructed.SaveToBytes(), source.SaveToBytes());
    source.vecRankingRules[2].vecTableOn[1] = 0;
    source.vecTexts[5] = "changed";
    EXPECT_EQ(assigned.vecRankingRules[2].vecTableOn[1], 1);
    EXPECT_EQ(constructed.vecTexts[5], "five");

    cEdSystemSubA a, a2;
    a.bEnabled = 0;
    a.strItemText = "x";
    a2 = a;
    EXPECT_EQ(a2.SaveToBytes(), a.SaveToBytes());
    cEdSystemSubB b, b2;
    b.nLowThreshold = 9;
    b.strLabel = "y";
    b2 = b;
    EXPECT_EQ(b2.SaveToBytes(), b.SaveToBytes());
    cEdSystemSubC c, c2;
    c.bEnabled = 1;
    c.vecTableOn = {1, 2, 3};
    c2 = c;
    EXPECT_EQ(c2.SaveToBytes(), c.SaveToBytes());
    cEdSystemSubD d, d2;
    d.SetText("k", "v");
    d2 = d;
    EXPECT_EQ(d2.SaveToBytes(), d.SaveToBytes());
}

TEST_F(SystemRecord, SubRecordBodiesAsDocumented) {
    cEdSystemSubC c;
    c.bEnabled = 1;
    c.vecTableOn = {1, 0, 1};
    EXPECT_EQ(c.SaveToBytes(),
              ByteBuilder().U32(747).U32(1).I32(1).U32(0).U32(3).U8(1).U8(0).U8(1).bytes);
    cEdSystemSubD d;
    d.SetText("FreeStage", "a.stg4");
    EXPECT_EQ(
        d.SaveToBytes(),
        ByteBuilder().U32(747).U32(2).I32(1).I32(0).U32(2).Str("FreeStage").Str("a.stg4").bytes);
    cEdSystemSubB b;
    EXPECT_EQ(b.SaveToBytes(), ByteBuilder()
                                   .U32(747)
                                   .U32(6)
                                   .I32(0)
                                   .I32(0)
                                   .I32(0)
                                   .I32(0)
                                   .I32(0)
                                   .I32(0)
                                   .U32(1)
                                   .Str("")
                                   .bytes);
}

// Damaged files: nothing is read past the end, a short file leaves the lists it did not
// reach as they were, and a current file with short lists is not repaired (its readers take
// the checked access).
TEST_F(SystemRecord, HostileAndShortFiles) {
    const std::vector<std::uint8_t> whole = NewProjectFile().Bytes();
    for (std::size_t cut : {std::size_t{8}, std::size_t{300}, whole.size() / 2, whole.size() - 3}) {
        SCOPED_TRACE(cut);
        cEdSystem system;
        bool stopped = false;
        LoadFrom(system, std::vector<std::uint8_t>(whole.begin(), whole.begin() + cut), &stopped);
        EXPECT_TRUE(stopped);
        EXPECT_GE(system.vecTexts.Size(), 28u);
        EXPECT_EQ(system.vecOptions.Size(), 10u);
        EXPECT_EQ(system.vecHudItems.Size(), 5u);
    }

    // A count far beyond the bytes left allocates nothing and ends the read.
    SystemFile f = NewProjectFile();
    std::vector<std::uint8_t> bytes = f.Bytes();
    const std::vector<std::uint8_t> carry = ByteBuilder().U32(25).bytes;
    auto at = std::search(bytes.begin(), bytes.end(), carry.begin(), carry.end());
    ASSERT_NE(at, bytes.end());
    at[3] = 0x7f;
    cEdSystem hostile;
    bool stopped = false;
    LoadFrom(hostile, bytes, &stopped);
    EXPECT_TRUE(stopped);
    EXPECT_EQ(hostile.vecCarryMask.Size(), 25u);

    // A current file with two texts and no options loads as it is.
    f.texts = {"a", "b"};
    f.options.clear();
    cEdSystem shortLists;
    LoadFrom(shortLists, f.Bytes(), &stopped);
    EXPECT_FALSE(stopped);
    EXPECT_EQ(shortLists.vecTexts.Size(), 2u);
    EXPECT_EQ(shortLists.vecOptions.Size(), 0u);
    EXPECT_EQ(PumpCloses(), 0);
    EXPECT_EQ(shortLists.MenuLeft(320, 1, 2, 0), 320 - 8);
    EXPECT_EQ(PumpCloses(), 1);
}

TEST_F(SystemRecord, TheDumperKnowsSystemDatWithItsListsAndTheRetiredValue) {
    const RecordKind* kind = FindKindForFile("system.DAT");
    ASSERT_NE(kind, nullptr);
    EXPECT_STREQ(kind->name, "System");
    SystemFile f = NewProjectFile(230);
    f.values["bCompat214"] = 7;
    f.retired = 4242;
    RecordReader reader = RecordReader::FromBytes(f.Bytes());
    auto record = kind->make();
    const DumpResult dump = DumpRecord(*record, reader);
    EXPECT_TRUE(dump.ok);
    for (const char* line :
         {"version = 230\n", "retired = 4242\n", "bCompat214 = 7\n", "bCompat261 = 1 (default)\n",
          "nDepthDD = 2 (default)\n", "vecHudItems[2].nLowThreshold = 33 (default)\n",
          "vecRankingRules[3].vecTableOn[4] = 0\n",
          "vecOptions[0].strKey = \"Direct3D\" (default)\n",
          "vecOptions[8].strKey = \"FreeStage\"\n"}) {
        EXPECT_NE(dump.text.find(line), std::string::npos) << line;
    }
    // Texts are printed in UTF-8.
    const std::string text27 =
        reinterpret_cast<const char*>(u8"vecTexts[27] = \"F3キーでランキングへ登録\"\n");
    EXPECT_NE(dump.text.find(text27), std::string::npos);
    EXPECT_EQ(dump.text.find("retired"), dump.text.find("retired = 4242"));
}

TEST_F(SystemRecord, EdSystemReadsDataSystemDat) {
    std::filesystem::create_directory("Data");
    SystemFile f = NewProjectFile();
    f.title = "Game";
    database_test::WriteBytes("Data/SYSTEM.dat", f.Bytes());
    cEdSystem system;
    EXPECT_EQ(system.LoadFromFile(kSystemFilePath), 1);
    EXPECT_EQ(system.strTitle, "Game");
    cEdSystem missing;
    EXPECT_EQ(missing.LoadFromFile("data\\Nothing.dat"), 0);
    EXPECT_EQ(missing.strTitle, "");
}

}  // namespace

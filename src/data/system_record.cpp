#include "data/system_record.h"

#include <cstring>
#include <iterator>

#include "base/format.h"
#include "base/sjis.h"
#include "data/database.h"

cEdSystem EdSystem;

namespace {

// Versions that added a list to the file.
constexpr std::uint32_t kCounterResetVersion = 501;
constexpr std::uint32_t kLivesLimitedVersion = 191;
constexpr std::uint32_t kRankingRulesVersion = 186;
constexpr std::uint32_t kSceneBgmLoopVersion = 202;
constexpr std::uint32_t kRankingModeNamesVersion = 674;
// The retired value stored only by these versions.
constexpr std::uint32_t kRetiredFirst = 221;
constexpr std::uint32_t kRetiredLast = 259;
// Display items: the value beside a gauge, and the gauge threshold.
constexpr std::uint32_t kShowValueVersion = 204;
constexpr std::uint32_t kThresholdVersion = 587;

// The font formats a menu into a buffer of this size; a longer menu is cut there.
constexpr std::size_t kFontTextBuffer = 1024;

// The list readers leave a list as it is when the file ends before its count, so a short
// file keeps the sizes that the readers rely on instead of emptying every later list.
bool ReadListCount(RecordReader& reader, std::size_t minBytes, std::uint32_t& n) {
    if (reader.StoppedEarly()) return false;
    n = reader.ReadCount(minBytes);
    return !reader.StoppedEarly();
}

// Byte and 32-bit lists: u32 n, then n elements.
template <class T>
void ReadValueList(RecordReader& reader, CheckedVector<T>& list) {
    std::uint32_t n;
    if (!ReadListCount(reader, sizeof(T), n)) return;
    list.Clear();
    list.resize(n);
    if (n) reader.Read(list.data(), std::size_t{n} * sizeof(T));
}

template <class T>
void WriteValueList(RecordWriter& writer, const CheckedVector<T>& list) {
    writer.WriteU32(list.Size());
    if (!list.empty()) writer.Write(list.data(), list.size() * sizeof(T));
}

// One string of a string list: u32 length + 1, then the text and its zero byte. Unlike the
// registered strings it keeps its carriage returns; a length of 0 or 1 is the empty string.
void ReadString(RecordReader& reader, std::string& target, std::string& buffer) {
    const std::uint32_t length = reader.ReadU32();
    if (reader.StoppedEarly()) return;
    if (length <= 1) {
        target.clear();
        return;
    }
    // Checked before the buffer is sized, so a hostile length allocates nothing.
    if (length > reader.Remaining()) {
        reader.StopHere(Format("a string of %u bytes cannot fit in the %zu bytes left", length,
                               reader.Remaining()));
        return;
    }
    buffer.resize(length);
    reader.Read(buffer.data(), length);
    target.assign(buffer.data(), strnlen(buffer.data(), length));
}

// The text up to its first zero byte.
void WriteString(RecordWriter& writer, const std::string& text) {
    const std::size_t length = strnlen(text.c_str(), text.size());
    writer.WriteU32(static_cast<std::uint32_t>(length + 1));
    if (length) writer.Write(text.c_str(), length + 1);
}

void ReadStringList(RecordReader& reader, CheckedVector<std::string>& list) {
    std::uint32_t n;
    if (!ReadListCount(reader, 4, n)) return;
    list.Clear();
    list.resize(n);
    std::string buffer;
    for (std::uint32_t i = 0; i < n && !reader.StoppedEarly(); ++i) {
        ReadString(reader, list[static_cast<int>(i)], buffer);
    }
}

void WriteStringList(RecordWriter& writer, const CheckedVector<std::string>& list) {
    writer.WriteU32(list.Size());
    for (const std::string& text : list) WriteString(writer, text);
}

// The list convention, except that a missing count leaves the list as it is.
template <class T>
void ReadRecordList(RecordReader& reader, CheckedVector<T>& list) {
    std::uint32_t n;
    // Every element body holds at least its two counts.
    if (!ReadListCount(reader, 8, n)) return;
    list.Clear();
    list.resize(n, T());
    for (std::uint32_t i = 0; i < n; ++i) list[static_cast<int>(i)].Load(reader);
}

template <class T>
void DescribeValues(RecordVisitor& visitor, const char* name, const CheckedVector<T>& list) {
    for (int i = 0; i < static_cast<int>(list.Size()); ++i) {
        visitor.Value(Format("%s[%d]", name, i), list[i]);
    }
}

void DescribeTexts(RecordVisitor& visitor, const char* name,
                   const CheckedVector<std::string>& list) {
    for (int i = 0; i < static_cast<int>(list.Size()); ++i) {
        visitor.Text(Format("%s[%d]", name, i), list[i]);
    }
}

// Upgrade helpers: a list made n entries is resized, new entries default-constructed and
// surplus ones removed; an insert moves the entries above up and drops the last one.
template <class T>
void MakeEntries(CheckedVector<T>& list, int n) {
    list.resize(static_cast<std::size_t>(n));
}

template <class T>
void InsertAt(CheckedVector<T>& list, int index, const T& value) {
    ShiftUp(list, index);
    list[index] = value;
}

void InsertText(CheckedVector<std::string>& list, int index, Label text) {
    InsertAt(list, index, std::string(text));
}

// An option inserted by an upgrade names only its key, kind and default; its text default is
// the one of the entry that stood there. A new element, so the dumper does not show the
// inserted entry as read from the file.
void InsertOption(CheckedVector<cEdSystemSubD>& options, int index, Label key, std::int32_t value) {
    ShiftUp(options, index);
    cEdSystemSubD inserted;
    inserted.strDefault = options[index].strDefault;
    inserted.Set(key, value);
    options[index] = inserted;
}

cEdSystemSubA MenuItem(Label text) {
    cEdSystemSubA item;
    item.bEnabled = 1;
    item.strItemText = text;
    return item;
}

void FillMenu(CheckedVector<cEdSystemSubA>& menu, const Label* texts, std::size_t count) {
    menu.Clear();
    for (std::size_t i = 0; i < count; ++i) menu.push_back(MenuItem(texts[i]));
}

int ClampToInt(long long value) {
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<int>(value);
}

}  // namespace

// cEdSystemSubA

cEdSystemSubA::cEdSystemSubA() {
    Reset();
    bEnabled = 1;
}

void cEdSystemSubA::Rebind(std::uint32_t) {
    ClearTables();
    AddInt(&bEnabled, 1, "bEnabled");
    AddString(&strItemText, 1, "strItemText");
}

// cEdSystemSubB

cEdSystemSubB::cEdSystemSubB() {
    Reset();
}

void cEdSystemSubB::Rebind(std::uint32_t version) {
    ClearTables();
    AddInt(&bShown, 1, "bShown");
    AddInt(&bIconLabel, 1, "bIconLabel");
    AddString(&strLabel, 1, "strLabel");
    AddInt(&nDigits, 1, "nDigits");
    if (version >= kShowValueVersion) AddInt(&bShowValue, 1, "bShowValue");
    if (version >= kThresholdVersion) {
        AddInt(&nLowThreshold, 1, "nLowThreshold");
        AddInt(&bThresholdPercent, 1, "bThresholdPercent");
    }
}

void cEdSystemSubB::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    if (reader.Version() < kShowValueVersion) bShowValue = 1;
}

// cEdSystemSubC

cEdSystemSubC::cEdSystemSubC() {
    Reset();
    vecTableOn.resize(kRankingTableCount, 0);
}

void cEdSystemSubC::Rebind(std::uint32_t) {
    ClearTables();
    AddInt(&bEnabled, 1, "bEnabled");
}

void cEdSystemSubC::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    ReadValueList(reader, vecTableOn);
}

void cEdSystemSubC::Save(RecordWriter& writer) {
    SerialRecord::Save(writer);
    WriteValueList(writer, vecTableOn);
}

void cEdSystemSubC::Describe(RecordVisitor& visitor) {
    DescribeValues(visitor, "vecTableOn", vecTableOn);
}

// cEdSystemSubD

cEdSystemSubD::cEdSystemSubD() {
    Reset();
}

void cEdSystemSubD::Rebind(std::uint32_t) {
    ClearTables();
    AddInt(&nValueKind, 1, "nValueKind");
    AddString(&strKey, 1, "strKey");
    AddInt(&nDefault, 1, "nDefault");
    AddString(&strDefault, 1, "strDefault");
}

void cEdSystemSubD::Set(std::string_view key, std::int32_t value) {
    strKey = key;
    nValueKind = kNumber;
    nDefault = value;
}

void cEdSystemSubD::SetText(std::string_view key, std::string_view text) {
    strKey = key;
    nValueKind = kText;
    strDefault = text;
}

// cEdSystem

cEdSystem::cEdSystem() {
    SetDefaults();
}

void cEdSystem::Rebind(std::uint32_t v) {
    ClearTables();
    if (v >= 185) AddInt(&bExtraLife, 1, "bExtraLife");
    AddInt(&nExtraLifeScore, 1, "nExtraLifeScore");
    AddInt(&bPauseLayer, 1, "bPauseLayer");
    AddInt(&nFont16Switch, 1, "nFont16Switch");
    if (v >= 205) AddInt(&nFontIndex, 1, "nFontIndex");
    if (v >= 170) AddInt(&nFont16Option, 1, "nFont16Option");
    if (v >= 113) AddInt(&bKeepTestPlayFlows, 1, "bKeepTestPlayFlows");
    if (v >= 184) AddInt(&bReplay, 1, "bReplay");
    if (v >= 157) AddInt(&bTitleMenuWindow, 1, "bTitleMenuWindow");
    AddInt(&bStoryCarryLives, 1, "bStoryCarryLives");
    if (v >= 191) {
        AddInt(&bStoryContinueMenu, 1, "bStoryContinueMenu");
        AddInt(&bMapShowLives, 1, "bMapShowLives");
    }
    AddInt(&nChallengeStages, 1, "nChallengeStages");
    AddInt(&bChallengeAllOpen, 1, "bChallengeAllOpen");
    if (v >= 167) {
        AddInt(&bStoryShowScore, 1, "bStoryShowScore");
        AddInt(&bStoryShowTotal, 1, "bStoryShowTotal");
    }
    if (v >= 188) AddInt(&bStoryRestoreVars, 1, "bStoryRestoreVars");
    if (v >= 224) AddInt(&bStoryPauseSwitch, 1, "bStoryPauseSwitch");
    if (v >= 167) {
        AddInt(&bChallengeShowHighScore, 1, "bChallengeShowHighScore");
        AddInt(&bChallengeShowTotal, 1, "bChallengeShowTotal");
    }
    if (v >= 188) AddInt(&bChallengeRestoreVars, 1, "bChallengeRestoreVars");
    if (v >= 224) AddInt(&bChallengePauseSwitch, 1, "bChallengePauseSwitch");
    if (v >= 188) AddInt(&bFreeRestoreVars, 1, "bFreeRestoreVars");
    if (v >= 192) AddInt(&bDirectRestoreVars, 1, "bDirectRestoreVars");
    if (v >= 187) {
        AddInt(&nColourMode, 1, "nColourMode");
        AddByte(&rgbTransparentR, 1, "rgbTransparentR");
        AddByte(&rgbTransparentG, 1, "rgbTransparentG");
        AddByte(&rgbTransparentB, 1, "rgbTransparentB");
    }
    if (v >= 214) AddInt(&bCompat214, 1, "bCompat214");
    if (v >= kRetiredFirst && v <= kRetiredLast) AddInt(&m_nRetired, 1, "retired");
    if (v >= 261) AddInt(&bCompat261, 1, "bCompat261");
    if (v >= 272) AddInt(&bCompat272, 1, "bCompat272");
    if (v >= 287) AddInt(&bCompat287, 1, "bCompat287");
    if (v >= 515) AddInt(&nColourAnimStep, 1, "nColourAnimStep");
    if (v >= 289) AddInt(&bPaletteAnimation, 1, "bPaletteAnimation");
    if (v >= 525) AddInt(&bCompat525, 1, "bCompat525");
    if (v >= 555) AddInt(&bCompat555, 1, "bCompat555");
    if (v >= 637) AddInt(&bCompat637, 1, "bCompat637");
    if (v >= 669) AddInt(&bCompat669, 1, "bCompat669");
    if (v >= 677) AddInt(&bCompat677, 1, "bCompat677");
    if (v >= 695) AddInt(&bCompat695, 1, "bCompat695");
    if (v >= 696) AddInt(&bCompat696, 1, "bCompat696");
    if (v >= 697) AddInt(&bCompat697, 1, "bCompat697");
    if (v >= 721) AddInt(&bCompat721, 1, "bCompat721");
    if (v >= 728) AddInt(&bCompat728, 1, "bCompat728");
    if (v >= 733) AddInt(&bCompat733, 1, "bCompat733");
    if (v >= 744) AddInt(&bCompat744, 1, "bCompat744");
    if (v >= 670) {
        AddInt(&nDepthD3D, 1, "nDepthD3D");
        AddInt(&nDepthDD, 1, "nDepthDD");
    }
    AddString(&strTitle, 1, "strTitle");
}

void cEdSystem::SetDefaults() {
    Reset();
    m_nRetired = 0;
    nExtraLifeScore = 100;
    bPauseLayer = 1;
    nFontIndex = kFontIndexDefault;
    bReplay = 1;
    bTitleMenuWindow = 1;
    bStoryCarryLives = 1;
    bStoryContinueMenu = 1;
    bMapShowLives = 1;
    nChallengeStages = 40;
    bChallengeAllOpen = 1;
    bStoryShowScore = 1;
    bStoryShowTotal = 1;
    bStoryRestoreVars = 1;
    bStoryPauseSwitch = 1;
    bChallengeShowHighScore = 1;
    bChallengeShowTotal = 1;
    bChallengeRestoreVars = 1;
    bChallengePauseSwitch = 1;
    bFreeRestoreVars = 1;
    nColourAnimStep = 16;
    nDepthDD = 2;

    vecCarryMask.Clear();
    vecCarryMask.resize(kCarryMaskCount, 0);
    for (int i : {0, 1, 13, 14, 16, 17, 19, 20, 21}) vecCarryMask[i] = 1;
    vecCounterResetMask.Clear();
    vecCounterResetMask.resize(kCarryMaskCount, 0);
    vecCounterResetMask[11] = 1;
    vecCounterResetMask[12] = 1;

    vecHudItems.Clear();
    vecHudItems.resize(kHudItemCount);
    for (int i = 0; i < kHudItemCount; ++i) {
        const SystemHudDefault& d = kHudItemDefaults[i];
        cEdSystemSubB& item = vecHudItems[i];
        item.bShown = d.bShown;
        item.bIconLabel = d.bIconLabel;
        item.strLabel = d.strLabel;
        item.nDigits = d.nDigits;
    }

    vecStartLives = {5, 5, 5, 99};
    vecLivesLimited = {1, 1, 1, 1};
    vecRankingRules.Clear();
    vecRankingRules.resize(kPlayModeCount);
    for (int mode = 0; mode < 3; ++mode) {
        vecRankingRules[mode].bEnabled = 1;
        vecRankingRules[mode].vecTableOn.Fill(1);
    }

    vecTexts.Clear();
    for (Label text : kSystemTextDefaults) vecTexts.push_back(std::string(text));
    vecSystemSeFiles.Clear();
    vecSystemSeFiles.resize(kSystemSeCount);
    vecSceneBgm = {0, 0, 0, 0};
    vecSceneBgmLoop = {1, 1, 1, 1};

    FillMenu(vecTitleMenu, kTitleMenuDefaults, std::size(kTitleMenuDefaults));
    FillMenu(vecMapMenu, kMapMenuDefaults, std::size(kMapMenuDefaults));
    FillMenu(vecOptionMenu, kOptionMenuDefaults, std::size(kOptionMenuDefaults));
    vecRankingModeNames.Clear();
    for (Label name : kRankingModeNameDefaults) vecRankingModeNames.push_back(std::string(name));

    vecOptions.Clear();
    vecOptions.resize(kSystemOptionCount);
    for (int i = 0; i < kSystemOptionCount; ++i) {
        const SystemOptionDefault& d = kSystemOptionDefaults[i];
        if (d.nValueKind == cEdSystemSubD::kText) {
            vecOptions[i].SetText(d.strKey, "");
        } else {
            vecOptions[i].Set(d.strKey, d.nDefault);
        }
    }
}

void cEdSystem::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    const std::uint32_t v = reader.Version();
    ReadValueList(reader, vecCarryMask);
    if (v >= kCounterResetVersion) ReadValueList(reader, vecCounterResetMask);
    ReadRecordList(reader, vecHudItems);
    ReadValueList(reader, vecStartLives);
    if (v >= kLivesLimitedVersion) ReadValueList(reader, vecLivesLimited);
    if (v >= kRankingRulesVersion) ReadRecordList(reader, vecRankingRules);
    ReadStringList(reader, vecTexts);
    ReadStringList(reader, vecSystemSeFiles);
    ReadValueList(reader, vecSceneBgm);
    if (v >= kSceneBgmLoopVersion) ReadValueList(reader, vecSceneBgmLoop);
    ReadRecordList(reader, vecTitleMenu);
    ReadRecordList(reader, vecMapMenu);
    ReadRecordList(reader, vecOptionMenu);
    if (v >= kRankingModeNamesVersion) ReadStringList(reader, vecRankingModeNames);
    ReadRecordList(reader, vecOptions);

    if (v < kCurrentDataVersion) {
        // Each step brings the file one version closer to the current layout and keeps the
        // behaviour the project had when it was saved.
        if (v < 113) bKeepTestPlayFlows = 0;
        if (v < 157) bTitleMenuWindow = 0;
        if (v < 167) {
            bStoryShowScore = 1;
            bStoryShowTotal = 1;
            bChallengeShowHighScore = 1;
            bChallengeShowTotal = 1;
        }
        if (v < 168) {
            MakeEntries(vecCarryMask, kCarryMaskCount);
            InsertAt(vecCarryMask, 16, std::uint8_t{1});
        }
        if (v < 169) {
            MakeEntries(vecMapMenu, 4);
            InsertAt(vecMapMenu, 1, MenuItem(kAutosaveItemText));
            MakeEntries(vecTexts, kSystemTextCount);
            InsertText(vecTexts, 12, kSaveLocationText);
            InsertText(vecTexts, 12, kAutosaveOffText);
            InsertText(vecTexts, 12, kAutosaveOnText);
        }
        if (v < 170) nFont16Option = 0;
        if (v < 181) {
            for (int mode = 0; mode < kPlayModeCount; ++mode) {
                CheckedVector<std::uint8_t>& tables = vecRankingRules[mode].vecTableOn;
                MakeEntries(tables, kRankingTableCount);
                tables[3] = 0;
                tables[4] = 0;
            }
            MakeEntries(vecTexts, kSystemTextCount);
            InsertText(vecTexts, 8, kRemainingHpText);
            InsertText(vecTexts, 9, kRemainingSpText);
        }
        if (v < 184) bReplay = 1;
        if (v < 185) bExtraLife = 1;
        if (v < 187) {
            nColourMode = 0;
            rgbTransparentR = 0;
            rgbTransparentG = 177;
            rgbTransparentB = 0;
        }
        if (v < 188) {
            bStoryRestoreVars = 1;
            bChallengeRestoreVars = 1;
            bFreeRestoreVars = 1;
        }
        if (v < 191) {
            vecLivesLimited = {0, 0, 0, 1};
            bStoryContinueMenu = 0;
            bMapShowLives = 0;
        }
        if (v < 192) bDirectRestoreVars = 1;
        if (v < 193) {
            MakeEntries(vecTexts, kSystemTextCount);
            InsertText(vecTexts, 22, kRetryText);
            InsertText(vecTexts, 23, kBackToMapText);
        }
        if (v < 201) {
            MakeEntries(vecCarryMask, kCarryMaskCount);
            InsertAt(vecCarryMask, 14, std::uint8_t{0});
        }
        if (v < 202) {
            MakeEntries(vecSceneBgmLoop, kSceneBgmCount);
            vecSceneBgmLoop.Fill(1);
        }
        if (v < 205) nFontIndex = kFontIndexDefault;
        if (v < 210) {
            MakeEntries(vecCarryMask, kCarryMaskCount);
            InsertAt(vecCarryMask, 9, std::uint8_t{0});
        }
        if (v < 214) bCompat214 = 1;
        if (v < 224) {
            bStoryPauseSwitch = 0;
            bChallengePauseSwitch = 0;
        }
        if (v < 261) bCompat261 = 1;
        if (v < 272) bCompat272 = 0;
        if (v < 286) {
            // Direct3D arrived as option 0; projects before it knew only DirectDraw, and their
            // automatic vertical sync took the values 3 and up that now read as 2.
            MakeEntries(vecOptions, kSystemOptionCount);
            InsertOption(vecOptions, 0, "Direct3D", 1);
            if (vecOptions[3].nDefault >= 3) vecOptions[3].nDefault = 2;
        }
        if (v < 287) bCompat287 = 0;
        if (v < 289) bPaletteAnimation = nColourMode == 0 ? 1 : 0;
        if (v < 501) {
            MakeEntries(vecCounterResetMask, kCarryMaskCount);
            vecCounterResetMask.Fill(0);
        }
        if (v < 515) nColourAnimStep = 16;
        if (v < 525) bCompat525 = 1;
        if (v < 555) bCompat555 = 1;
        if (v < 567) {
            MakeEntries(vecOptions, kSystemOptionCount);
            InsertOption(vecOptions, 4, "DD_VideoStretch", 0);
        }
        if (v < 568) {
            MakeEntries(vecOptions, kSystemOptionCount);
            InsertOption(vecOptions, 4, "D3D_FontCache", 0);
            InsertOption(vecOptions, 5, "DD_FontCache", 1);
        }
        if (v < 587) {
            MakeEntries(vecHudItems, kHudItemCount);
            for (int gauge : {2, 3}) {
                vecHudItems[gauge].nLowThreshold = 33;
                vecHudItems[gauge].bThresholdPercent = 1;
            }
        }
        if (v < 637) bCompat637 = v <= 616 ? 1 : 0;
        if (v < 669) bCompat669 = 1;
        if (v < 670) {
            nDepthD3D = 0;
            nDepthDD = 2;
        }
        if (v < 672) {
            MakeEntries(vecOptions, kSystemOptionCount);
            vecOptions[9].Set("English", 0);
        }
        if (v < 677) bCompat677 = 1;
        if (v < 695) bCompat695 = 1;
        if (v < 696) bCompat696 = 1;
        if (v < 697) bCompat697 = 1;
        if (v < 721) bCompat721 = 1;
        if (v < 728) bCompat728 = 1;
        if (v < 733) bCompat733 = 1;
        if (v < 744) bCompat744 = 1;
    }
    NormalizeAfterLoad(reader);
}

void cEdSystem::Save(RecordWriter& writer) {
    NormalizeBeforeSave(writer);
    SerialRecord::Save(writer);
    // A writer of an older layout (test fixtures) leaves out the lists that layout lacks.
    const std::uint32_t v = writer.Version();
    WriteValueList(writer, vecCarryMask);
    if (v >= kCounterResetVersion) WriteValueList(writer, vecCounterResetMask);
    SaveRecordList(writer, vecHudItems);
    WriteValueList(writer, vecStartLives);
    if (v >= kLivesLimitedVersion) WriteValueList(writer, vecLivesLimited);
    if (v >= kRankingRulesVersion) SaveRecordList(writer, vecRankingRules);
    WriteStringList(writer, vecTexts);
    WriteStringList(writer, vecSystemSeFiles);
    WriteValueList(writer, vecSceneBgm);
    if (v >= kSceneBgmLoopVersion) WriteValueList(writer, vecSceneBgmLoop);
    SaveRecordList(writer, vecTitleMenu);
    SaveRecordList(writer, vecMapMenu);
    SaveRecordList(writer, vecOptionMenu);
    if (v >= kRankingModeNamesVersion) WriteStringList(writer, vecRankingModeNames);
    SaveRecordList(writer, vecOptions);
}

void cEdSystem::Normalize() {
    const long long musicCount = EdDatabase.vecBgm.Size();
    for (std::int32_t& music : vecSceneBgm) {
        if (music < 0 || music >= musicCount) music = 0;
    }
}

void cEdSystem::Describe(RecordVisitor& visitor) {
    const StoredCounts& stored = Stored();
    if (stored.loaded && stored.version >= kRetiredFirst && stored.version <= kRetiredLast) {
        visitor.Value("retired", m_nRetired);
    }
    DescribeValues(visitor, "vecCarryMask", vecCarryMask);
    DescribeValues(visitor, "vecCounterResetMask", vecCounterResetMask);
    DescribeList(visitor, "vecHudItems", vecHudItems);
    DescribeValues(visitor, "vecStartLives", vecStartLives);
    DescribeValues(visitor, "vecLivesLimited", vecLivesLimited);
    DescribeList(visitor, "vecRankingRules", vecRankingRules);
    DescribeTexts(visitor, "vecTexts", vecTexts);
    DescribeTexts(visitor, "vecSystemSeFiles", vecSystemSeFiles);
    DescribeValues(visitor, "vecSceneBgm", vecSceneBgm);
    DescribeValues(visitor, "vecSceneBgmLoop", vecSceneBgmLoop);
    DescribeList(visitor, "vecTitleMenu", vecTitleMenu);
    DescribeList(visitor, "vecMapMenu", vecMapMenu);
    DescribeList(visitor, "vecOptionMenu", vecOptionMenu);
    DescribeTexts(visitor, "vecRankingModeNames", vecRankingModeNames);
    DescribeList(visitor, "vecOptions", vecOptions);
}

int cEdSystem::CountEnabled(int mode) const {
    const cEdSystemSubC& rule = vecRankingRules[mode];
    if (rule.bEnabled == 0) return 0;
    int count = 0;
    for (std::uint8_t on : rule.vecTableOn) {
        if (on) ++count;
    }
    return count;
}

namespace {

// The most characters among count texts from first.
int WidestText(const CheckedVector<std::string>& texts, int first, int count) {
    int widest = 0;
    for (int i = 0; i < count; ++i) {
        const int chars = CountSjisChars(texts[first + i]);
        if (chars > widest) widest = chars;
    }
    return widest;
}

}  // namespace

int cEdSystem::MenuLeft(int x, int first, int count, int bCursorGap) const {
    const long long w = WidestText(vecTexts, first, count) + (bCursorGap != 0 ? 1 : 0);
    return ClampToInt(x - w * 8);
}

bool cEdSystem::LayoutMenu(int x, int y, int first, int count, int bCursorGap, MenuWindow& window,
                           std::string& text) const {
    text.clear();
    if (count <= 0) return false;
    const long long w = WidestText(vecTexts, first, count) + (bCursorGap != 0 ? 1 : 0);
    for (int i = 0; i < count; ++i) {
        // A leading blank leaves room for the cursor. The texts are shown as they are: a '%'
        // in a menu text is not a format directive.
        if (bCursorGap != 0) text += ' ';
        text += vecTexts[first + i];
        text += '\n';
    }
    CutSjis(text, kFontTextBuffer - 1);
    window.x = x;
    window.y = y;
    window.nWidth = ClampToInt(w * 16);
    window.nHeight = ClampToInt(static_cast<long long>(count) * 16);
    return true;
}

MenuWindowDrawer DrawMenuWindow = nullptr;

void cEdSystem::DrawMenu(int x, int y, int first, int count, int bCursorGap) const {
    // Kept per thread between frames (the pause thread draws menus too), so a menu drawn
    // every frame allocates nothing once its text has been built once.
    thread_local std::string text;
    MenuWindow window;
    if (!LayoutMenu(x, y, first, count, bCursorGap, window, text)) return;
    if (DrawMenuWindow)
        DrawMenuWindow(window.x, window.y, window.nWidth, window.nHeight, text.c_str());
}

int cEdSystem::CheckThreshold(int item, int value, int max) const {
    const cEdSystemSubB& hud = vecHudItems[item];
    if (hud.bThresholdPercent != 0) {
        // In floating point as the gauge always compared it; a maximum of 0 gives an
        // infinite or undefined percentage, which no threshold reaches except for a
        // negative value.
        return hud.nLowThreshold >= value * 100.0 / max ? 1 : 0;
    }
    return value <= hud.nLowThreshold ? 1 : 0;
}

Label cEdSystem::FontName() const {
    if (nFontIndex >= 0 && nFontIndex < static_cast<int>(std::size(FontNameTable))) {
        return FontNameTable[nFontIndex];
    }
    return FontNameTable[kFontIndexDefault];
}

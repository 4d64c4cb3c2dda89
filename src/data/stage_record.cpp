#include "data/stage_record.h"

#include <algorithm>
#include <limits>

#include "base/format.h"
#include "data/common_palette.h"
#include "data/database.h"
#include "data/palette_inheritance.h"
#include "data/record_visitor.h"

cEdStage EdStage;
cEdStage EdStageWork;

namespace {

// The versions that added settings; older files get the values their upgrade gives.
constexpr std::uint32_t kHitFlyVersion = 155;         // flying hit ranges and alignments
constexpr std::uint32_t kBgmParamVersion = 166;       // the music request's extra value
constexpr std::uint32_t kResultLinesVersion = 181;    // five result lines, the last two new
constexpr std::uint32_t kStatusShownVersion = 183;    // status display switch
constexpr std::uint32_t kResultCloseVersion = 184;    // result screen closes by itself
constexpr std::uint32_t kBgmKeepVersion = 199;        // music kept at a restart
constexpr std::uint32_t kBodySizeVersion = 200;       // body sizes, alignments, two hit boxes
constexpr std::uint32_t kStartCaption2Version = 225;  // second stage-start caption

// Every placed object is preceded by a u32 that is written as 0 and never read.
constexpr std::size_t kPlacedMinBytes = 4 + 8;

// The hero's hit boxes are registered one by one, each its own field.
constexpr const char* kHeroHitBoxNames[8] = {
    "nHeroHitBox[0]", "nHeroHitBox[1]", "nHeroHitBox[2]", "nHeroHitBox[3]",
    "nHeroHitBox[4]", "nHeroHitBox[5]", "nHeroHitBox[6]", "nHeroHitBox[7]",
};

// A placement list: u32 n, then per object the ignored u32 and the object's record, each
// starting from the class defaults. Objects are made as they are read, so a count the file
// cannot hold costs nothing.
template <class T>
void LoadPlacementList(RecordReader& reader, CheckedVector<T>& list) {
    const std::uint32_t n = reader.ReadCount(kPlacedMinBytes);
    list.Clear();
    for (std::uint32_t i = 0; i < n && !reader.StoppedEarly(); ++i) {
        reader.ReadU32();
        if (reader.StoppedEarly()) break;
        T& element = list.emplace_back();
        element.Load(reader);
        element.BindTables(kCurrentDataVersion);
    }
}

template <class T>
void SavePlacementList(RecordWriter& writer, CheckedVector<T>& list) {
    writer.WriteU32(list.Size());
    for (T& element : list) {
        writer.WriteU32(0);
        element.Save(writer);
    }
}

// Fills a palette up to two entries with new entries of its class.
template <class T>
void PadPalette(CheckedVector<T>& list) {
    while (list.Size() < 2) list.emplace_back();
}

// Gives up the elements and the storage.
template <class T>
void FreePaletteList(CheckedVector<T>& list) {
    list = CheckedVector<T>();
}

// An upper bound only; computed wide, so that no stored size can overflow it (a bound below
// the smallest value clamps to that value).
std::int32_t AtMost(std::int32_t value, std::int32_t size, std::int32_t minus) {
    const std::int64_t limit = std::max<std::int64_t>(std::int64_t{size} - minus,
                                                      std::numeric_limits<std::int32_t>::min());
    return value > limit ? static_cast<std::int32_t>(limit) : value;
}

// The run time's inheritance and reference checks read kind 2 as EdStageWork's palettes.
struct StagePaletteRegistration {
    StagePaletteRegistration() {
        RegisterStagePalette(PaletteLists{&EdStageWork.vecBlockPalette,
                                          &EdStageWork.vecCharaPalette,
                                          &EdStageWork.vecItemPalette});
    }
} stagePaletteRegistration;

}  // namespace

cEdStage::cEdStage() {
    SetDefaults();
}

void cEdStage::Rebind(std::uint32_t version) {
    ClearTables();
    AddInt(&nWidth, 1, "nWidth");
    AddInt(&nUnused1, 1, "nUnused1");
    AddInt(&nUnused2, 1, "nUnused2");
    AddInt(&nHeight, 1, "nHeight");
    AddInt(&bScrollLimitLeft, 1, "bScrollLimitLeft");
    AddInt(&bScrollLimitRight, 1, "bScrollLimitRight");
    AddInt(&bScrollLimitTop, 1, "bScrollLimitTop");
    AddInt(&bScrollLimitBottom, 1, "bScrollLimitBottom");
    AddInt(&nScrollLimitLeft, 1, "nScrollLimitLeft");
    AddInt(&nScrollLimitRight, 1, "nScrollLimitRight");
    AddInt(&nScrollLimitTop, 1, "nScrollLimitTop");
    AddInt(&nScrollLimitBottom, 1, "nScrollLimitBottom");
    AddInt(&nFps, 1, "nFps");
    AddInt(&bTimeLimit, 1, "bTimeLimit");
    AddInt(&nTimeLimit, 1, "nTimeLimit");
    AddInt(&nTimeWarning, 1, "nTimeWarning");
    AddInt(&nScrollKindX, 1, "nScrollKindX");
    AddInt(&nScrollKindY, 1, "nScrollKindY");
    AddInt(&nAutoScrollX, 1, "nAutoScrollX");
    AddInt(&nAutoScrollY, 1, "nAutoScrollY");
    AddDouble(&dGravity, 1, "dGravity");
    AddInt(&nLevel, 1, "nLevel");
    AddInt(&nHitFrequency, 1, "nHitFrequency");
    AddInt(&nBgm, 1, "nBgm");
    if (version >= kBgmParamVersion) AddInt(&nBgmParam, 1, "nBgmParam");
    if (version >= kBgmKeepVersion) AddInt(&bBgmKeep, 1, "bBgmKeep");
    AddInt(&bLayered, 1, "bLayered");
    AddInt(&bRestoreStatus, 1, "bRestoreStatus");
    AddInt(&bStoreStatus, 1, "bStoreStatus");
    if (version >= kStatusShownVersion) AddInt(&bStatusShown, 1, "bStatusShown");
    if (version >= kResultCloseVersion) AddInt(&bResultAutoClose, 1, "bResultAutoClose");
    AddInt(&bStartCaption, 1, "bStartCaption");
    if (version >= kStartCaption2Version) AddInt(&bStartCaption2, 1, "bStartCaption2");
    AddInt(&bClearCaption, 1, "bClearCaption");
    AddInt(&bWaitCaption, 1, "bWaitCaption");
    const bool bodySizes = version >= kBodySizeVersion;
    const bool hitFly = version >= kHitFlyVersion;
    if (bodySizes) {
        AddInt(&nHeroBodyW, 1, "nHeroBodyW");
        AddInt(&nHeroBodyH, 1, "nHeroBodyH");
        AddInt(&nHeroBodyFlyW, 1, "nHeroBodyFlyW");
        AddInt(&nHeroBodyFlyH, 1, "nHeroBodyFlyH");
    }
    AddInt(&nHeroHitW, 1, "nHeroHitW");
    AddInt(&nHeroHitH, 1, "nHeroHitH");
    if (hitFly) {
        AddInt(&nHeroHitFlyW, 1, "nHeroHitFlyW");
        AddInt(&nHeroHitFlyH, 1, "nHeroHitFlyH");
    }
    AddInt(&nHeroShotHitW, 1, "nHeroShotHitW");
    AddInt(&nHeroShotHitH, 1, "nHeroShotHitH");
    AddInt(&nHeroItemBoxW, 1, "nHeroItemBoxW");
    AddInt(&nHeroItemBoxH, 1, "nHeroItemBoxH");
    if (bodySizes) {
        AddInt(&nHeroBodyAlign, 1, "nHeroBodyAlign");
        AddInt(&nHeroBodyFlyAlign, 1, "nHeroBodyFlyAlign");
    }
    if (hitFly) {
        AddInt(&nHeroHitAlign, 1, "nHeroHitAlign");
        AddInt(&nHeroHitFlyAlign, 1, "nHeroHitFlyAlign");
    }
    for (int i = 0; i < 8; ++i) {
        // The first box of each half came with the body sizes.
        if ((i == 0 || i == 4) && !bodySizes) continue;
        AddInt(&nHeroHitBox[i], 1, kHeroHitBoxNames[i]);
    }
    if (bodySizes) {
        AddInt(&nCharaBodyW, 1, "nCharaBodyW");
        AddInt(&nCharaBodyH, 1, "nCharaBodyH");
        AddInt(&nCharaBodyFlyW, 1, "nCharaBodyFlyW");
        AddInt(&nCharaBodyFlyH, 1, "nCharaBodyFlyH");
    }
    AddInt(&nCharaHitW, 1, "nCharaHitW");
    AddInt(&nCharaHitH, 1, "nCharaHitH");
    if (hitFly) {
        AddInt(&nCharaHitFlyW, 1, "nCharaHitFlyW");
        AddInt(&nCharaHitFlyH, 1, "nCharaHitFlyH");
    }
    AddInt(&nCharaShotHitW, 1, "nCharaShotHitW");
    AddInt(&nCharaShotHitH, 1, "nCharaShotHitH");
    if (bodySizes) {
        AddInt(&nCharaBodyAlign, 1, "nCharaBodyAlign");
        AddInt(&nCharaBodyFlyAlign, 1, "nCharaBodyFlyAlign");
    }
    if (hitFly) {
        AddInt(&nCharaHitAlign, 1, "nCharaHitAlign");
        AddInt(&nCharaHitFlyAlign, 1, "nCharaHitFlyAlign");
    }
    AddInt(&nItemBodyW, 1, "nItemBodyW");
    AddInt(&nItemBodyH, 1, "nItemBodyH");
    AddInt(&nHeroShotRangeW, 1, "nHeroShotRangeW");
    AddInt(&nHeroShotRangeH, 1, "nHeroShotRangeH");
    AddInt(&nUnused77, 1, "nUnused77");
    AddInt(&nUnused78, 1, "nUnused78");
    AddInt(&nCharaShotRangeW, 1, "nCharaShotRangeW");
    AddInt(&nCharaShotRangeH, 1, "nCharaShotRangeH");
    AddInt(&nUnused81, 1, "nUnused81");
    AddInt(&nUnused82, 1, "nUnused82");
    AddInt(&nUnused83, 1, "nUnused83");
    AddInt(&nExtentX, 1, "nExtentX");
    AddInt(&nExtentY, 1, "nExtentY");
    AddInt(&speed.nSubSteps, 1, "nSubSteps");
    AddDouble(&speed.dSubSteps, 1, "dSubSteps");
    AddDouble(&speed.dSubStepsSq, 1, "dSubStepsSq");
    AddDouble(&speed.dSpeedLimit, 1, "dSpeedLimit");
    AddDouble(&speed.dStepGravity, 1, "dStepGravity");
    AddDouble(&speed.dStepSpeedLimit, 1, "dStepSpeedLimit");
    AddInt(&speed.nSubSteps8, 1, "nSubSteps8");
    AddInt(&bActorMeet, 1, "bActorMeet");
    AddInt(&nHeroHitInterval, 1, "nHeroHitInterval");
    AddInt(&nHeroInvincible, 1, "nHeroInvincible");
    AddInt(&nCharaHitInterval, 1, "nCharaHitInterval");
    AddInt(&nCharaInvincible, 1, "nCharaInvincible");
    AddString(&strText, 1, "strText");
}

void cEdStage::SetDefaults() {
    Reset();
    vecBlock.Clear();
    vecChara.Clear();
    vecItem.Clear();
    vecBlockPalette.Clear();
    vecBlockPalette.emplace_back();
    vecCharaPalette.Clear();
    vecCharaPalette.emplace_back();
    vecItemPalette.Clear();
    vecItemPalette.emplace_back();

    nFps = 60;
    nTimeLimit = 200;
    nTimeWarning = 20;
    dGravity = 0.4;
    nLevel = 10;
    bLayered = 1;
    bStatusShown = 1;
    bStartCaption2 = 1;
    bClearCaption = 1;
    bWaitCaption = 1;
    nHeroBodyW = 16;
    nHeroBodyH = 24;
    nHeroBodyFlyW = 16;
    nHeroBodyFlyH = 16;
    nHeroHitW = 16;
    nHeroHitH = 24;
    nHeroHitFlyW = 16;
    nHeroHitFlyH = 16;
    nHeroShotHitW = 12;
    nHeroShotHitH = 8;
    nHeroItemBoxW = 16;
    nHeroItemBoxH = 16;
    nHeroBodyAlign = 1;
    nHeroHitAlign = 1;
    nCharaBodyW = 16;
    nCharaBodyH = 24;
    nCharaBodyFlyW = 16;
    nCharaBodyFlyH = 16;
    nCharaHitW = 12;
    nCharaHitH = 24;
    nCharaHitFlyW = 12;
    nCharaHitFlyH = 16;
    nCharaShotHitW = 30;
    nCharaShotHitH = 30;
    nCharaBodyAlign = 1;
    nCharaHitAlign = 1;
    nItemBodyW = 28;
    nItemBodyH = 28;
    nHeroShotRangeW = 16;
    nHeroShotRangeH = 16;
    nUnused77 = 16;
    nUnused78 = 16;
    nCharaShotRangeW = 16;
    nCharaShotRangeH = 16;
    nUnused81 = 16;
    nUnused82 = 16;
    nUnused83 = 1;
    bActorMeet = 1;
    nHeroHitInterval = 30;
    nCharaHitInterval = 30;

    vecBackground.Clear();
    vecBackground.emplace_back().bPlainColour = 1;
    vecResultLine.Clear();
    vecResultLine.resize(kResultLineCount, 1);
    SetDefaultAreaLimits(AreaLimit);
    SetGameSpeed(nLevel);
}

void cEdStage::SetGameSpeed(std::int32_t level) {
    ::SetGameSpeed(level, dGravity, nLevel, speed);
}

void cEdStage::Load(RecordReader& reader) {
    // Entries inherit from and check their references against this stage's own palettes.
    PaletteScope scope(CommonPaletteLists(),
                       PaletteLists{&vecBlockPalette, &vecCharaPalette, &vecItemPalette});
    SerialRecord::Load(reader);

    const std::uint32_t lines = reader.ReadCount(4);
    vecResultLine.resize(lines, 0);
    for (std::uint32_t i = 0; i < lines; ++i) {
        std::int32_t value = 0;
        if (!reader.Read(&value, 4)) break;
        vecResultLine[static_cast<int>(i)] = value;
    }
    for (cEdAreaLimit& limit : AreaLimit) limit.Load(reader);

    {
        // Every placed object may inherit a large palette entry's lists: what the copies
        // may take grows with the file, not with the product of entries and placements.
        InheritanceBudget budget(reader);
        PaletteList(vecBlockPalette, reader);
        PaletteList(vecCharaPalette, reader);
        PaletteList(vecItemPalette, reader);
        // Like the upgrades below, the program's view: the dumper shows what the file holds.
        if (reader.Normalizes()) {
            SetEntryZeroDefaults(PaletteLists{&vecBlockPalette, &vecCharaPalette, &vecItemPalette});
        }

        LoadPlacementList(reader, vecBlock);
        LoadPlacementList(reader, vecChara);
        LoadPlacementList(reader, vecItem);
    }
    LoadRecordList(reader, vecBackground);
    LoadRecordList(reader, vecText);

    const std::uint32_t version = reader.Version();
    // The load itself accepts any closing value: play tests it before the load starts.
    dwEndMark = version >= kStageEndMarkVersion ? reader.ReadU32() : 0;
    if (version < kCurrentDataVersion && reader.Normalizes()) Upgrade(version);
    NormalizeAfterLoad(reader);
}

void cEdStage::Upgrade(std::uint32_t version) {
    if (version < kHitFlyVersion) {
        nHeroHitFlyW = nHeroHitW;
        nHeroHitFlyH = nHeroHitH;
        nCharaHitFlyW = nCharaHitW;
        nCharaHitFlyH = nCharaHitH;
        nHeroHitAlign = 0;
        nHeroHitFlyAlign = 0;
        nCharaHitAlign = 0;
        nCharaHitFlyAlign = 0;
    }
    if (version < kBgmParamVersion) nBgmParam = 1;
    if (version < kResultLinesVersion) {
        // Lines 3 and 4 did not exist: they stay hidden in older stages.
        vecResultLine.resize(kResultLineCount, 0);
        vecResultLine[3] = 0;
        vecResultLine[4] = 0;
    }
    if (version < kStatusShownVersion) bStatusShown = 1;
    if (version < kResultCloseVersion) bResultAutoClose = 0;
    if (version < kBgmKeepVersion) bBgmKeep = 0;
    if (version < kBodySizeVersion) {
        nHeroBodyW = 16;
        nHeroBodyH = 24;
        nHeroBodyFlyW = 16;
        nHeroBodyFlyH = 16;
        nHeroBodyAlign = 1;
        nHeroBodyFlyAlign = 0;
        nHeroHitBox[0] = 0;
        nHeroHitBox[4] = 5;
        nCharaBodyW = 16;
        nCharaBodyH = 30;
        nCharaBodyFlyW = 16;
        nCharaBodyFlyH = 30;
        nCharaBodyAlign = 1;
        nCharaBodyFlyAlign = 1;
    }
    if (version < kStartCaption2Version) bStartCaption2 = 0;
}

void cEdStage::Normalize() {
    nScrollLimitLeft = AtMost(nScrollLimitLeft, nWidth, 20);
    nScrollLimitRight = AtMost(nScrollLimitRight, nWidth, 1);
    nScrollLimitTop = AtMost(nScrollLimitTop, nHeight, 15);
    nScrollLimitBottom = AtMost(nScrollLimitBottom, nHeight, 1);
    SetGameSpeed(nLevel);
    // A negative index is outside the table as well.
    if (nBgm < 0 || static_cast<unsigned>(nBgm) >= EdDatabase.vecBgm.Size()) nBgm = 0;

    PadPalette(vecBlockPalette);
    PadPalette(vecCharaPalette);
    PadPalette(vecItemPalette);
    const PaletteLists palettes{&vecBlockPalette, &vecCharaPalette, &vecItemPalette};
    PaletteScope scope(CommonPaletteLists(), palettes);
    NormalizePaletteEntries(palettes);
    NormalizePaletteEntries(PaletteLists{&vecBlock, &vecChara, &vecItem});
}

void cEdStage::SaveSettings(RecordWriter& writer) {
    SerialRecord::Save(writer);
    writer.WriteU32(vecResultLine.Size());
    for (std::int32_t line : vecResultLine) writer.Write(&line, 4);
    for (cEdAreaLimit& limit : AreaLimit) limit.Save(writer);
}

void cEdStage::SavePalettesAndPlacements(RecordWriter& writer) {
    // Entries normalise themselves as they are written: against this stage's palettes.
    PaletteScope scope(CommonPaletteLists(),
                       PaletteLists{&vecBlockPalette, &vecCharaPalette, &vecItemPalette});
    SaveRecordList(writer, vecBlockPalette);
    SaveRecordList(writer, vecCharaPalette);
    SaveRecordList(writer, vecItemPalette);
    SavePlacementList(writer, vecBlock);
    SavePlacementList(writer, vecChara);
    SavePlacementList(writer, vecItem);
}

void cEdStage::SaveBackgroundsAndTexts(RecordWriter& writer) {
    SaveRecordList(writer, vecBackground);
    SaveRecordList(writer, vecText);
}

void cEdStage::Save(RecordWriter& writer) {
    NormalizeBeforeSave(writer);
    SaveSettings(writer);
    SavePalettesAndPlacements(writer);
    SaveBackgroundsAndTexts(writer);
    if (writer.Version() >= kStageEndMarkVersion) writer.WriteU32(STAGE_END_MARK);
}

void cEdStage::SaveForReplay(RecordWriter& writer, cEdStage& source) {
    source.SaveSettings(writer);
    SavePalettesAndPlacements(writer);
    source.SaveBackgroundsAndTexts(writer);
    if (writer.Version() >= kStageEndMarkVersion) writer.WriteU32(STAGE_END_MARK);
}

int cEdStage::FindHero() const {
    for (int i = 0; i < static_cast<int>(vecChara.Size()); ++i) {
        const cEdChara& chara = vecChara[i];
        if (chara.nGraphic != 0 && chara.nControl == 0) return i;
    }
    return -1;
}

void cEdStage::FreePalettes() {
    FreePaletteList(vecBlockPalette);
    FreePaletteList(vecCharaPalette);
    FreePaletteList(vecItemPalette);
    FreePaletteList(vecBlock);
    FreePaletteList(vecChara);
    FreePaletteList(vecItem);
}

void cEdStage::CopySettingsFrom(const cEdStage& source) {
    if (&source == this) return;
    Assign(source);
    // The derived value that is not stored goes along with those that are.
    speed = source.speed;
    vecBackground = source.vecBackground;
    vecText = source.vecText;
    for (int i = 0; i < AREA_LIMIT_COUNT; ++i) AreaLimit[i] = source.AreaLimit[i];
    vecResultLine = source.vecResultLine;
}

void cEdStage::Describe(RecordVisitor& visitor) {
    for (int i = 0; i < static_cast<int>(vecResultLine.Size()); ++i) {
        visitor.Value(Format("vecResultLine[%d]", i), vecResultLine[i]);
    }
    for (int i = 0; i < AREA_LIMIT_COUNT; ++i) {
        visitor.Child(Format("AreaLimit[%d]", i), AreaLimit[i]);
    }
    DescribeList(visitor, "vecBlockPalette", vecBlockPalette);
    DescribeList(visitor, "vecCharaPalette", vecCharaPalette);
    DescribeList(visitor, "vecItemPalette", vecItemPalette);
    DescribeList(visitor, "vecBlock", vecBlock);
    DescribeList(visitor, "vecChara", vecChara);
    DescribeList(visitor, "vecItem", vecItem);
    DescribeList(visitor, "vecBackground", vecBackground);
    DescribeList(visitor, "vecText", vecText);
    if (Stored().loaded && Stored().version >= kStageEndMarkVersion) {
        visitor.Value("dwEndMark", dwEndMark);
    }
}

#include "data/anime_records.h"

#include "data/record_visitor.h"

namespace {

// Versions that changed the layout or the meaning of the animation records.
constexpr std::uint32_t kSettingsVersion = 55;    // cEdAnime stores its editor settings
constexpr std::uint32_t kFlyOffsetVersion = 119;  // sets store nOfsFly; four animations
constexpr std::uint32_t kFlyNamesVersion = 128;   // the flying animations carry their names

constexpr std::size_t kBasicAnimeCount = 4;

}  // namespace

// cEdAnimeFrame

cEdAnimeFrame::cEdAnimeFrame() {
    Reset();
    nTime = 1;
}

void cEdAnimeFrame::Rebind(std::uint32_t) {
    ClearTables();
    AddInt(&nPattern, 1, "nPattern");
    AddInt(&nTime, 1, "nTime");
    AddInt(&bKeyFrame, 1, "bKeyFrame");
}

// cEdAnime

cEdAnime::cEdAnime() {
    SetDefaults();
}

void cEdAnime::Rebind(std::uint32_t version) {
    ClearTables();
    AddString(&strName, 1, "strName");
    if (version >= kSettingsVersion) {
        AddShort(&nSetting1, 1, "nSetting1");
        AddByte(&bSetting2, 1, "bSetting2");
        AddShort(&nSetting3, 1, "nSetting3");
    }
}

void cEdAnime::SetDefaults() {
    Reset();
    vecFrame.Clear();
    vecFrame.resize(1);
    bSetting2 = 1;
}

void cEdAnime::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    LoadRecordList(reader, vecFrame);
}

void cEdAnime::Save(RecordWriter& writer) {
    SerialRecord::Save(writer);
    SaveRecordList(writer, vecFrame);
}

void cEdAnime::Describe(RecordVisitor& visitor) {
    DescribeList(visitor, "vecFrame", vecFrame);
}

// cEdAnimeSet

cEdAnimeSet::cEdAnimeSet() {
    SetDefaults();
}

void cEdAnimeSet::Rebind(std::uint32_t version) {
    ClearTables();
    AddString(&strName, 1, "strName");
    AddInt(&nOfsInvincible, 1, "nOfsInvincible");
    AddInt(&nOfs32, 1, "nOfs32");
    if (version >= kFlyOffsetVersion) AddInt(&nOfsFly, 1, "nOfsFly");
}

void cEdAnimeSet::SetDefaults() {
    Reset();
    nOfsInvincible = 4;
    nOfs32 = 8;
    nOfsFly = 0;
    vecAnime.resize(kBasicAnimeCount);
    vecAnime[0].strName = "立ち";
    vecAnime[1].strName = "立ち移動";
    vecAnime[2].strName = "飛行";
    vecAnime[3].strName = "飛行移動";
}

void cEdAnimeSet::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    LoadRecordList(reader, vecAnime);
    const std::uint32_t version = reader.Version();
    // Sets from before flying existed have exactly the four basic animations.
    if (version < kFlyOffsetVersion) vecAnime.resize(kBasicAnimeCount);
    if (version < kFlyNamesVersion) {
        vecAnime.resize(kBasicAnimeCount);
        vecAnime[2].strName = "飛行";
        vecAnime[3].strName = "飛行移動";
    }
}

void cEdAnimeSet::Save(RecordWriter& writer) {
    SerialRecord::Save(writer);
    SaveRecordList(writer, vecAnime);
}

void cEdAnimeSet::Describe(RecordVisitor& visitor) {
    DescribeList(visitor, "vecAnime", vecAnime);
}

#include "gen/sample_records.h"

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <utility>
#include <vector>

#include "data/database.h"
#include "data/record_io.h"
#include "data/serial_record.h"
#include "data/sword_type_records.h"
#include "data/system_record.h"
#include "gen/bmp_writer.h"
#include "gen/sample_flows.h"
#include "gen/sample_images.h"
#include "gen/sample_sounds.h"
#include "gen/sample_stages.h"

namespace gen {

namespace {

// A database table file: the version, then the list.
template <class T>
std::vector<std::uint8_t> TableBytes(CheckedVector<T>& table) {
    RecordWriter writer;
    writer.WriteU32(writer.Version());
    SaveRecordList(writer, table);
    return std::move(writer.Bytes());
}

// "data\database\Anime.dat" -> "database/Anime.dat".
std::string TableFileName(const char* programPath) {
    std::string name = programPath;
    name = name.substr(name.find('\\') + 1);
    for (char& c : name)
        if (c == '\\') c = '/';
    return name;
}

// The sound table: "none", the sounds of the coin, the spring and the gem of the hits stage,
// then the hero's jump.
constexpr std::size_t kSampleSounds = kJumpSound + 1;

// The database's default content: the "none" entries every table starts with and one entry
// of each kind that stages can name.
void MakeSampleDatabase(cEdDatabase& database) {
    database.SetDefaults();
    // The one animation set, which every character of the sample game uses.
    FillBasicAnimations(database.vecAnimeSet[0]);
    database.vecAnimeSet.resize(kPowerAnimeSet + 1);
    FillPowerAnimations(database.vecAnimeSet[kPowerAnimeSet]);
    database.vecSound.resize(kSampleSounds);
    database.vecSound[kJumpSound].strName = "Jump";
    database.vecSound[kJumpSound].strFile = kJumpSoundFile;
    // The hit effect of the hits stage: two cells of a tenth of a second each.
    database.vecEffect[1].vecFrame.resize(2);
    database.vecEffect[1].vecFrame[1].nPattern = 1;
    database.vecEffect[1].strFile = "bmp\\effect\\Hit.bmp";
    // The picture of the show stage: the world map's node icons.
    database.vecPicture.resize(kShowPicture + 1);
    database.vecPicture[kShowPicture].strName = "Signs";
    database.vecPicture[kShowPicture].strFile = "bmp\\WorldEvent.bmp";
    // Character effects: 1 bursts a character apart in half a second (the brute's death),
    // 2 turns it once round in two seconds (the guard, again and again).
    database.vecCharaEffect.resize(kSampleCharaEffects);
    cEdCharaEffect& burst = database.vecCharaEffect[kBurstEffect];
    burst.strName = "Burst";
    burst.nKind = 1;
    burst.anParam[0] = 5;
    burst.anParam[1] = 0;
    burst.anParam[2] = 32;
    cEdCharaEffect& spin = database.vecCharaEffect[kSpinEffect];
    spin.strName = "Spin";
    spin.nKind = 7;
    spin.anParam[0] = 20;
    spin.anParam[1] = 0;
    spin.anParam[2] = 360;
    // Own bitmap 1: the golem, in cells two blocks wide.
    cEdBmpCharaExc& golem = database.vecBmpCharaExc[1];
    golem.strName = "Golem";
    golem.strFile = "bmp\\chara\\Golem.bmp";
    golem.bCellWidth = 1;
    golem.nCellWidth = 2;
    // The sword of the shoot stage: three cut-outs of a tenth of a second each, in front.
    database.vecSwordType.resize(kSampleSwordType + 1);
    cEdSwordType& sword = database.vecSwordType[kSampleSwordType];
    sword.strName = "Blade";
    sword.strFileLeft = std::string("bmp\\") + kSwordImageLeft;
    sword.strFileRight = std::string("bmp\\") + kSwordImageRight;
    sword.vecFrame.resize(3);
    for (int i = 0; i < 3; ++i) {
        cEdSwordFrame& frame = sword.vecFrame[i];
        frame.nSrcX = i * 32;
        frame.nSrcY = 0;
        frame.nCutWidth = 32;
        frame.nCutHeight = kSwordImageH;
        frame.nTime = 1;
    }
    // Music 1 is the title tune, music 2 the stage tune.
    database.vecBgm[kTitleMusic].strName = "Title";
    database.vecBgm[kTitleMusic].strFile = kTitleMusicFile;
    database.vecBgm.resize(kStageMusic + 1);
    database.vecBgm[kStageMusic].strName = "Stage";
    database.vecBgm[kStageMusic].strFile = kStageMusicFile;
}

bool WriteDatabase(const std::string& folder) {
    cEdDatabase database;
    MakeSampleDatabase(database);
    const std::vector<std::uint8_t> files[kDatabaseTableCount] = {
        TableBytes(database.vecAnimeSet),    TableBytes(database.vecAnime),
        TableBytes(database.vecBmpCharaExc), TableBytes(database.vecSwordType),
        TableBytes(database.vecEffect),      TableBytes(database.vecCharaEffect),
        TableBytes(database.vecScrEffect),   TableBytes(database.vecPicture),
        TableBytes(database.vecSound),       TableBytes(database.vecBgm),
    };
    bool ok = true;
    for (int i = 0; i < kDatabaseTableCount; ++i)
        ok = WriteFileBytes(folder + TableFileName(DatabaseTablePath(i)), files[i]) && ok;
    return ok;
}

bool WriteSystem(const std::string& folder, bool textMenu) {
    cEdSystem system;
    system.strTitle = "Kestrune Sample";
    // The story mode counts three lives, and every step of score earns one more.
    system.vecStartLives[0] = 3;
    system.bExtraLife = 1;
    system.nExtraLifeScore = kSampleExtraLifeScore;
    for (int n = 0; n < kSampleSystemSounds; ++n) system.vecSystemSeFiles[n] = SystemSoundFile(n);
    // The title plays its tune; the other scenes are silent.
    system.vecSceneBgm[0] = kTitleMusic;
    system.bTitleMenuWindow = textMenu ? 0 : 1;
    // The option menu's labels name what each item edits.
    static const char* const kOptionLabels[] = {"パレット",         "BGM",   "SE", "ランキング登録",
                                                "ランキング登録名", "もどる"};
    for (int i = 0; i < static_cast<int>(std::size(kOptionLabels)); ++i)
        system.vecOptionMenu[i].strItemText = kOptionLabels[i];
    return WriteFileBytes(folder + "System.dat", system.SaveToBytes());
}

}  // namespace

bool WriteProjectRecords(const std::string& folder, bool textMenu) {
    bool ok = WriteSystem(folder, textMenu);
    ok = WriteDatabase(folder) && ok;
    // Saving checks the numbers a record takes from the database (an item's sound, a stage's
    // music, a command's animation or sword type, ...) against the loaded tables, clearing those a
    // table lacks: while the palettes and stages are written, the sample's own database is the
    // loaded one; the program's is put back afterwards.
    cEdDatabase sample;
    MakeSampleDatabase(sample);
    const auto swapTables = [&sample] {
        std::swap(EdDatabase.vecAnimeSet, sample.vecAnimeSet);
        std::swap(EdDatabase.vecAnime, sample.vecAnime);
        std::swap(EdDatabase.vecBmpCharaExc, sample.vecBmpCharaExc);
        std::swap(EdDatabase.vecSwordType, sample.vecSwordType);
        std::swap(EdDatabase.vecEffect, sample.vecEffect);
        std::swap(EdDatabase.vecCharaEffect, sample.vecCharaEffect);
        std::swap(EdDatabase.vecScrEffect, sample.vecScrEffect);
        std::swap(EdDatabase.vecPicture, sample.vecPicture);
        std::swap(EdDatabase.vecSound, sample.vecSound);
        std::swap(EdDatabase.vecBgm, sample.vecBgm);
    };
    swapTables();
    ok = WriteSampleCommonPalette(folder) && ok;
    ok = WriteSampleWorldMap(folder) && ok;
    ok = WriteSampleStages(folder) && ok;
    swapTables();
    return ok;
}

}  // namespace gen

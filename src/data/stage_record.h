// The stage: one playable level and its file. Its settings (size, scrolling, time limit,
// frame rate, hit-detection level, music, captions, the hero's and characters' box sizes),
// its own palettes of block, character and item definitions, the blocks, characters and
// items placed on it, its backgrounds and its texts.
//
// The editor writes a stage to "data\stg4\NAME.stg4_NNN"; the player reads it into
// EdStageWork on the stage-load thread (stage/stage_load.h), which hands the settings to
// EdStage and keeps the palettes and placements itself. A replay embeds a stage body of the
// same layout (SaveForReplay).
#pragma once

#include <cstdint>
#include <string>

#include "base/checked_vector.h"
#include "data/block_record.h"
#include "data/chara_record.h"
#include "data/item_record.h"
#include "data/serial_record.h"
#include "data/stage_sub_records.h"

// The closing value of every stage file from version 173 on; tested before play from 174.
inline constexpr std::uint32_t STAGE_END_MARK = 123456789;
// The first version that writes the closing value, and the first whose value is tested.
inline constexpr std::uint32_t kStageEndMarkVersion = 173;
inline constexpr std::uint32_t kStageEndMarkCheckedVersion = 174;
// The stage's settings as fields of a file of the current version.
inline constexpr int kStageFieldCount = 98;
// The lines of the result box that a directly played stage may show or hide.
inline constexpr int kResultLineCount = 5;

class cEdStage : public SerialRecord {
public:
    cEdStage();
    cEdStage(const cEdStage&) = default;
    cEdStage& operator=(const cEdStage&) = default;

    void Rebind(std::uint32_t version) override;
    // The settings, the result-line flags, the area limits, the palettes (entry 0 of each
    // given its fixed defaults), the placements, the backgrounds, the texts and, from
    // version 173, the closing value; then the upgrades of older files and Normalize. A
    // reader that does not normalise (the dumper's) skips entry 0's defaults and the
    // upgrades too, so that it shows what the file holds. The lists that palette entries and
    // placed objects inherit are copied within a budget sized from the file.
    void Load(RecordReader& reader) override;
    // Normalize, then the layout Load reads, ending with STAGE_END_MARK.
    void Save(RecordWriter& writer) override;
    // Scroll limits within the stage, the game-speed constants recomputed, the music index
    // within the music table, at least two entries per palette, and every palette entry
    // and placed object normalised and its palette references checked.
    void Normalize() override;
    void Describe(RecordVisitor& visitor) override;

    // The state of a new stage: settings at their defaults (the game-speed constants those
    // of its level), one default entry per palette, nothing placed, one plain-colour
    // background, five result lines shown, the area limits of a new stage.
    void SetDefaults();
    // A stage body (no version) whose settings, result lines, area limits, backgrounds
    // and texts come from `source` and whose palettes and placements come from this stage:
    // the replay writer calls it on the running stage with the stage as it was loaded.
    // Neither stage is normalised as a whole: the loaded stage keeps its empty palettes.
    void SaveForReplay(RecordWriter& writer, cEdStage& source);

    // The hero among the placed characters: the first controlled by the player that has a
    // graphic; -1 when there is none.
    int FindHero() const;
    bool HasHero() const { return FindHero() != -1; }
    // Stores the level and derives the game-speed constants from it and the gravity.
    void SetGameSpeed(std::int32_t level);
    // Gives up the palettes and the placement lists, storage included: after a load for
    // play they exist only in EdStageWork.
    void FreePalettes();
    // Takes the source's settings (the derived game-speed constants included), result
    // lines, area limits, backgrounds and texts; the palettes and placements stay this
    // stage's own.
    void CopySettingsFrom(const cEdStage& source);

    // Registered settings, in file order (the index in the field table in brackets); their
    // defaults are those of SetDefaults.
    std::int32_t nWidth = 0;              // [0] blocks
    std::int32_t nUnused1 = 0;            // [1] stored only
    std::int32_t nUnused2 = 0;            // [2] stored only
    std::int32_t nHeight = 0;             // [3] blocks
    std::int32_t bScrollLimitLeft = 0;    // [4]
    std::int32_t bScrollLimitRight = 0;   // [5]
    std::int32_t bScrollLimitTop = 0;     // [6]
    std::int32_t bScrollLimitBottom = 0;  // [7]
    std::int32_t nScrollLimitLeft = 0;    // [8] block column, at most width - 20
    std::int32_t nScrollLimitRight = 0;   // [9] block column, at most width - 1
    std::int32_t nScrollLimitTop = 0;     // [10] block row, at most height - 15
    std::int32_t nScrollLimitBottom = 0;  // [11] block row, at most height - 1
    std::int32_t nFps = 0;                // [12] frame rate while the stage is played
    std::int32_t bTimeLimit = 0;          // [13]
    std::int32_t nTimeLimit = 0;          // [14] seconds
    std::int32_t nTimeWarning = 0;        // [15] the clock blinks from this many seconds left
    std::int32_t nScrollKindX = 0;        // [16] 0 follows the hero, 1 scrolls by itself
    std::int32_t nScrollKindY = 0;        // [17]
    std::int32_t nAutoScrollX = 0;        // [18] tenths of a dot per frame
    std::int32_t nAutoScrollY = 0;        // [19]
    double dGravity = 0;                  // [20] dots per frame per frame
    std::int32_t nLevel = 0;              // [21] hit-detection level, 1 to 19
    std::int32_t nHitFrequency = 0;       // [22] 0 every sub-step, k = 1..5 checks per frame
    std::int32_t nBgm = 0;                // [23] index into the music table
    std::int32_t nBgmParam = 0;           // [24] from 166; passed with the music request
    std::int32_t bBgmKeep = 0;            // [25] from 199; same music goes on at a restart
    std::int32_t bLayered = 0;            // [26] objects drawn in 8 passes by draw layer
    std::int32_t bRestoreStatus = 0;      // [27] carried-over hero status restored at start
    std::int32_t bStoreStatus = 0;        // [28] hero status stored at stage clear
    std::int32_t bStatusShown = 0;        // [29] from 183
    std::int32_t bResultAutoClose = 0;    // [30] from 184; no ranking entry then
    std::int32_t bStartCaption = 0;       // [31]
    std::int32_t bStartCaption2 = 0;      // [32] from 225
    std::int32_t bClearCaption = 0;       // [33]
    std::int32_t bWaitCaption = 0;        // [34]
    // The hero's boxes, dots: body, character-against-character, character-against-shot,
    // the item box, and their vertical alignments (0 centred, 1 at the bottom).
    std::int32_t nHeroBodyW = 0;         // [35] from 200
    std::int32_t nHeroBodyH = 0;         // [36] from 200
    std::int32_t nHeroBodyFlyW = 0;      // [37] from 200
    std::int32_t nHeroBodyFlyH = 0;      // [38] from 200
    std::int32_t nHeroHitW = 0;          // [39]
    std::int32_t nHeroHitH = 0;          // [40]
    std::int32_t nHeroHitFlyW = 0;       // [41] from 155
    std::int32_t nHeroHitFlyH = 0;       // [42] from 155
    std::int32_t nHeroShotHitW = 0;      // [43]
    std::int32_t nHeroShotHitH = 0;      // [44]
    std::int32_t nHeroItemBoxW = 0;      // [45]
    std::int32_t nHeroItemBoxH = 0;      // [46]
    std::int32_t nHeroBodyAlign = 0;     // [47] from 200
    std::int32_t nHeroBodyFlyAlign = 0;  // [48] from 200
    std::int32_t nHeroHitAlign = 0;      // [49] from 155
    std::int32_t nHeroHitFlyAlign = 0;   // [50] from 155
    // [51..58]: the hero's four hit boxes as the pairs (51, 55), (52, 56), (53, 57),
    // (54, 58); 51 and 55 from 200.
    std::int32_t nHeroHitBox[8] = {};
    std::int32_t nCharaBodyW = 0;         // [59] from 200
    std::int32_t nCharaBodyH = 0;         // [60] from 200
    std::int32_t nCharaBodyFlyW = 0;      // [61] from 200
    std::int32_t nCharaBodyFlyH = 0;      // [62] from 200
    std::int32_t nCharaHitW = 0;          // [63]
    std::int32_t nCharaHitH = 0;          // [64]
    std::int32_t nCharaHitFlyW = 0;       // [65] from 155
    std::int32_t nCharaHitFlyH = 0;       // [66] from 155
    std::int32_t nCharaShotHitW = 0;      // [67]
    std::int32_t nCharaShotHitH = 0;      // [68]
    std::int32_t nCharaBodyAlign = 0;     // [69] from 200
    std::int32_t nCharaBodyFlyAlign = 0;  // [70] from 200
    std::int32_t nCharaHitAlign = 0;      // [71] from 155
    std::int32_t nCharaHitFlyAlign = 0;   // [72] from 155
    std::int32_t nItemBodyW = 0;          // [73]
    std::int32_t nItemBodyH = 0;          // [74]
    std::int32_t nHeroShotRangeW = 0;     // [75] shot against character, the hero's
    std::int32_t nHeroShotRangeH = 0;     // [76]
    std::int32_t nUnused77 = 0;           // [77] stored only
    std::int32_t nUnused78 = 0;           // [78] stored only
    std::int32_t nCharaShotRangeW = 0;    // [79] shot against character, the characters'
    std::int32_t nCharaShotRangeH = 0;    // [80]
    std::int32_t nUnused81 = 0;           // [81] stored only
    std::int32_t nUnused82 = 0;           // [82] stored only
    std::int32_t nUnused83 = 0;           // [83] stored only
    std::int32_t nExtentX = 0;            // [84] + 640: the far horizontal edge, dots
    std::int32_t nExtentY = 0;            // [85] + 640: the far vertical edge, dots
    // [86..92] derived from the level and the gravity, stored but always recomputed.
    GameSpeedConstants speed;
    std::int32_t bActorMeet = 0;         // [93] actors meet each other, targets are searched
    std::int32_t nHeroHitInterval = 0;   // [94] frames (x b) before the same attacker hits again
    std::int32_t nHeroInvincible = 0;    // [95] frames (x b) of invincibility after a hit
    std::int32_t nCharaHitInterval = 0;  // [96] the same for computer-operated actors
    std::int32_t nCharaInvincible = 0;   // [97]
    std::string strText;                 // the one stored string; shown nowhere

    // Entry i: line i of the result box is shown in a directly played stage.
    CheckedVector<std::int32_t> vecResultLine;
    cEdAreaLimit AreaLimit[AREA_LIMIT_COUNT];
    // The stage's own definitions, which placed objects and summons refer to by index.
    CheckedVector<cEdBlock> vecBlockPalette;
    CheckedVector<cEdChara> vecCharaPalette;
    CheckedVector<cEdItem> vecItemPalette;
    // The objects placed on the stage, each with its position and palette reference.
    CheckedVector<cEdBlock> vecBlock;
    CheckedVector<cEdChara> vecChara;
    CheckedVector<cEdItem> vecItem;
    CheckedVector<cEdBackground> vecBackground;
    CheckedVector<cEdStageString> vecText;

    // In memory only: the load for play's path, its numbered-file flag and its result
    // (set by the load thread), and the closing value the last load read (0 when the file
    // had none), which the dumper shows.
    std::string strPath;
    int bNumbered = 0;
    int bLoadSucceeded = 0;
    std::uint32_t dwEndMark = 0;

private:
    // The parts of the body, so that a replay can take them from two stages.
    void SaveSettings(RecordWriter& writer);
    void SavePalettesAndPlacements(RecordWriter& writer);
    void SaveBackgroundsAndTexts(RecordWriter& writer);
    void Upgrade(std::uint32_t version);
};

// The stage as loaded for play: settings, result lines, area limits, backgrounds and
// texts; its palettes and placements are emptied after the load.
extern cEdStage EdStage;
// The load buffer: keeps the palettes and placements and becomes the running stage.
extern cEdStage EdStageWork;

// The player's progress: what is carried from stage to stage and kept from one start of the
// program to the next (lives and score, the place on the world map, the switches and common
// variables of the flows, best scores, the challenge stages, the hero's carried statuses, a
// checkpoint for retries, a pending warp position and a few preferences).
//
// The record is also the body of every save file and the end of every replay. After the
// registered members a file holds the save time, the carry flags (files from version 501),
// the carried statuses, the best scores, the challenge records, the switches and the
// variables.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "base/checked_vector.h"
#include "data/chara_record.h"
#include "data/serial_record.h"
#include "platform/local_time.h"

class cEdMapStage;
class cEdStage;

// Lives of this value never run out.
inline constexpr std::int32_t kUnlimitedLives = 999999;
inline constexpr int kSwitchCount = 1000;
inline constexpr int kCommonVariableCount = 256;
inline constexpr int kCarryGroupCount = 25;

// Story save slots: indices 0 to 98 (files Story01.dat to Story99.dat).
inline constexpr int kSaveSlotCount = 99;
// The first file version that stores the carry flags.
inline constexpr std::uint32_t kCarryFlagsVersion = 501;

// The local time of a save, in the 16-byte layout the save files keep.
using SaveTime = plat::SYSTEMTIME;

// The best score of one stage (story mode), by stage key.
class StageScore : public SerialRecord {
public:
    StageScore();
    StageScore(const StageScore&) = default;
    StageScore& operator=(const StageScore&) = default;
    void Rebind(std::uint32_t version) override;

    std::int32_t m_nValue = 0;
    std::string m_strKey;
};

// One challenge stage: cleared, and its best score.
class ChallengeRecord : public SerialRecord {
public:
    ChallengeRecord();
    ChallengeRecord(const ChallengeRecord&) = default;
    ChallengeRecord& operator=(const ChallengeRecord&) = default;
    void Rebind(std::uint32_t version) override;

    std::int32_t m_bCleared = 0;
    std::int32_t m_nBest = 0;
};

// The statuses one hero carries into the next stage: a whole character record for the
// character-record groups, and the five values of the other groups.
class ProgressChara : public SerialRecord {
public:
    ProgressChara();
    ProgressChara(const ProgressChara&) = default;
    ProgressChara& operator=(const ProgressChara&) = default;
    void Rebind(std::uint32_t version) override;
    // The five values, then the character record.
    void Load(RecordReader& reader) override;
    void Save(RecordWriter& writer) override;
    void Describe(RecordVisitor& visitor) override;

    cEdChara m_Chara;
    std::int32_t m_nHp = 0;        // group 11
    std::int32_t m_nSp = 0;        // group 12
    std::int32_t m_nRestTime = 0;  // group 22
    std::int32_t m_nLives = 0;     // group 23
    std::int32_t m_nStageBgm = 0;  // group 24
};

class GameProgress : public SerialRecord {
public:
    GameProgress();
    GameProgress(const GameProgress&) = default;
    GameProgress& operator=(const GameProgress&) = default;

    void Rebind(std::uint32_t version) override;
    // The registered members and the tail; files before the current version are upgraded.
    // A reader that stopped early leaves a partial record: callers that keep progress load
    // into a scratch record and refuse such a file.
    void Load(RecordReader& reader) override;
    void Save(RecordWriter& writer) override;
    // The sizes the readers index (1000 switches, 256 variables, 25 carry flags, at least one
    // carried-status record), the ranking table 0-4 (else 0), the slot -1..98 (else -1), then
    // ClampMapPosition.
    void Normalize() override;
    void Describe(RecordVisitor& visitor) override;

    // A map position at or beyond the world map's width or height goes to its start cell;
    // the challenge records become exactly the System's number of challenge stages, and no
    // more stages are open than there are.
    void ClampMapPosition();

    // The best score of a stage key: kept when higher than the stored one, the total of the
    // best scores following it.
    void RecordStageScore(const std::string& key, std::int32_t value);
    // The stored best score of the key, 0 when none.
    std::int32_t GetStageScore(const std::string& key) const;
    // The total of the best scores of the stage keys still on the world map.
    void RecountTotal();
    // The hero's statuses at a stage's end, for the groups the System carries: its
    // character record, HP and SP, its running character effect (number, mode, repeat),
    // the time left, the lives and the stage music.
    void StoreCarriedStatus(int hero, cEdChara& record, std::int32_t hp, std::int32_t sp,
                            std::int32_t effect, std::int32_t effectMode, std::int32_t effectRepeat,
                            std::int32_t restTime, std::int32_t lives, std::int32_t stageBgm);
    // A new round of the story: one more play-through, every switch off, the hero at the
    // world map's start.
    void StartNextRound();
    // Moves the shown ranking table by `step` enabled tables of the play mode (0: onto an
    // enabled one). Nothing when the mode enables none.
    void CycleRankingTable(int mode, int step);

    // The story slot `slot` (0-98): written with the local time as its save time; true when
    // the file was written (the slot's summary then follows). A failed write leaves the old
    // file and the summary, with a report-log line.
    bool SaveSlot(int slot);
    // Reads the slot into this record: 1, or 0 when the file is missing or damaged (the
    // record is then unchanged). The lives follow the story mode's settings.
    int LoadSlot(int slot);
    // Reads the challenge file: 1, or 0 when it is missing or damaged (then unchanged). The
    // lives follow the challenge mode's settings.
    int LoadChallenge();
    // Writes the challenge file; false when the write failed (report-log line).
    bool SaveChallenge();

    // The empty progress: registered members 0 and strings empty, the carry flags 0, one
    // default carried-status record, the switches 0 but switch 0 on, the variables 0, no
    // stage scores or challenge records, one challenge stage open, no save slot, the player
    // name "aaa". The checkpoint stays as it is.
    void Reset();
    // The carried-status list becomes n default records.
    void ResetCarriedStatus(int n);
    // The score and the four result values 0 (the stage score, the total of the best scores
    // and the lives stay).
    void ResetScores();

    // The stage key of a stage file: the path without its extension, ending in the dot; a
    // file of a numbered series ("-1" in its name, the last one counts) loses the series
    // number too and sets m_bSeries. A null path is taken as "".
    void SetStageFile(const char* path);

    // The variables, lives and score at the start of an attempt.
    void SaveCheckpoint();
    // Back to the checkpoint: a retry (flag not 0) restores variables, lives and score; a
    // lost life (flag 0) the score, and the variables only where the System asks for it.
    // Returns the restored score.
    std::int32_t RestoreCheckpoint(int flag);

    // The carried statuses of hero `hero` into its character record and the running stage
    // (time limit, music) and the lives, for the groups that are both carried (System carry
    // mask) and stored. Nothing while nothing was stored.
    void RestoreCarriedStatus(int hero, cEdChara& record);
    // The carried HP and SP, where carried and stored; the out values stay otherwise.
    void RestoreCarriedValues(int hero, std::int32_t* lpHp, std::int32_t* lpSp);
    // A lost life forgets the carried groups that the System's reset mask names.
    void ClearMaskedCounters();

    // Registered members, in declaration order (the file order is that of Rebind).
    std::int32_t m_bCarried = 0;
    CheckedVector<std::int32_t> m_vecCarryFlags;
    CheckedVector<ProgressChara> m_vecCarryChara;
    std::int32_t m_nMapX = 0;
    std::int32_t m_nMapY = 0;
    // The world-map entry whose stage is being played: meaningful only between entering a
    // stage from the map and the end of that stage. Files keep a 32-bit word in its place
    // that means nothing after loading.
    cEdMapStage* m_pPlayingEntry = nullptr;
    std::int32_t m_nPlayingEntryWord = 0;
    CheckedVector<std::int32_t> m_vecSwitch;
    std::int32_t m_nPlayThrough = 0;
    CheckedVector<std::int32_t> m_vecVariable;
    std::string m_strStageBase;
    std::string m_strExtra;
    std::int32_t m_nClearSwitch = 0;
    std::int32_t m_nSeriesIndex = 0;
    std::int32_t m_nContinueLives = 0;
    std::int32_t m_nLives = 0;
    std::int32_t m_nStageScore = 0;
    std::int32_t m_nScore = 0;
    std::int32_t m_nTotalBest = 0;
    std::int32_t m_nRestTime = 0;
    std::int32_t m_nClearTime = 0;
    std::int32_t m_nRestHP = 0;
    std::int32_t m_nRestSP = 0;
    std::int32_t m_bSeries = 0;
    std::int32_t m_nStageBgm = 0;
    std::int32_t m_bBgmLoop = 0;
    std::int32_t m_nMapFacing = 0;
    std::int32_t m_bBackToMap = 0;
    std::int32_t m_nEntryX = 0;
    std::int32_t m_nEntryY = 0;
    CheckedVector<StageScore> m_vecStageScore;
    std::int32_t m_nChallengeOpen = 0;
    CheckedVector<ChallengeRecord> m_vecChallenge;
    CheckedVector<std::int32_t> m_vecCheckVariable;
    std::int32_t m_nCheckLives = 0;
    std::int32_t m_nCheckScore = 0;
    std::int32_t m_nSlot = 0;
    std::int32_t m_bAutoSave = 0;
    SaveTime m_SaveTime;
    std::string m_strPlayerName;
    std::int32_t m_bShowRanking = 0;
    std::int32_t m_nRankTable = 0;
    std::int32_t m_bWarpPos = 0;
    std::int32_t m_nWarpX = 0;
    std::int32_t m_nWarpY = 0;
    std::int32_t m_nWarpDir = 0;
};

// The live progress, and the snapshots taken when an attempt is set up for the current and
// the previous replay.
extern GameProgress Progress;
extern GameProgress CurReplayProgress;
extern GameProgress PrevReplayProgress;

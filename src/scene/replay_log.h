// The replay log: the player's input of every frame of one attempt, as two independent
// run-length codes (the direction bits and the button bits of input device 0), with the
// attempt's random seed. Two logs exist: the attempt being played (or the replay being
// played back) and the attempt before it.
#pragma once

#include <cstdint>

#include "base/checked_vector.h"
#include "data/serial_record.h"

class ReplayLog : public SerialRecord {
public:
    ReplayLog();
    ReplayLog(const ReplayLog&) = default;
    ReplayLog& operator=(const ReplayLog&) = default;
    void Rebind(std::uint32_t version) override;
    // The seed, then the four lists (values A, values B, runs A, runs B). A list count the
    // bytes cannot back ends the read (StoppedEarly).
    void Load(RecordReader& reader) override;
    void Save(RecordWriter& writer) override;

    // Empty lists, seed and play-back counters 0.
    void Clear();
    // Appends one frame: a channel whose last value equals the new one lengthens its last
    // run, otherwise the value starts a run of 1.
    void RecordFrame(std::int16_t dir, std::int16_t button);
    // The next frame into out[0] (direction) and out[1] (buttons): 0; 1 (nothing written)
    // once either channel has run out.
    int PlayFrame(std::int16_t out[2]);
    // The lists and the seed of another log; the play-back counters stay.
    void Assign(const ReplayLog& source);
    // Play-back starts from the first frame.
    void Rewind();
    // A log that can be played: equal value and run counts per channel, every run at least
    // one frame.
    bool IsSound() const;

    CheckedVector<std::int16_t> m_vecDirValue;
    CheckedVector<std::int16_t> m_vecButtonValue;
    CheckedVector<std::int32_t> m_vecDirRun;
    CheckedVector<std::int32_t> m_vecButtonRun;
    std::int32_t m_nSeed = 0;
    std::int32_t m_nDirPos = 0;
    std::int32_t m_nButtonPos = 0;
    std::int32_t m_nDirFrame = 0;
    std::int32_t m_nButtonFrame = 0;
};

extern ReplayLog CurReplay;
extern ReplayLog PrevReplay;

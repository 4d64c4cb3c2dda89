// The story mode's 99 save slots and the challenge file: their names, the summaries the slot
// lists show (used, and when saved), the scan that fills them, and the drawing of a list.
// The record's own slot operations (SaveSlot, LoadSlot, LoadChallenge, SaveChallenge) are
// members of GameProgress.
#pragma once

#include <string>

#include "base/checked_vector.h"
#include "data/serial_record.h"
#include "gfx/surface.h"
#include "scene/game_progress.h"

class SlotSummary : public SerialRecord {
public:
    SlotSummary();
    SlotSummary(const SlotSummary&) = default;
    SlotSummary& operator=(const SlotSummary&) = default;
    void Rebind(std::uint32_t version) override;

    std::int32_t m_bUsed = 0;  // the slot file exists and was read
    SaveTime m_Time;           // its save time
};

// One summary per story slot, all unused at program start; never written to a file.
extern CheckedVector<SlotSummary> SlotSummaries;
// Back to 99 unused summaries (program start, tests).
void ResetSlotSummaries();

// "user_data\story\Story" + the slot number (index + 1, two digits) + ".dat".
void MakeSlotFileName(std::string& out, int slot);
// Used, with the record's save time.
void CopySlotSummary(SlotSummary& summary, const GameProgress& progress);
// Every summary from its slot file: a slot whose file is missing or damaged is unused.
void ScanSaveSlots(CheckedVector<SlotSummary>& summaries);
// A box of `count` rows of 16 dots at (x, y), 320 dots wide, a separator line under every
// row but the last; the rows show the slots from `first` with their number and, when used,
// their save date. Rows past the last slot stay empty.
void DrawSlotList(DDSURFACEDATA* surface, int x, int y, CheckedVector<SlotSummary>& summaries,
                  int first, int count);
// "YYYY/MM/DD hh:mm" of a used slot; nothing for an unused one.
void DrawSlotDate(const SlotSummary& summary, DDSURFACEDATA* surface, int x, int y);

#include "scene/save_slots.h"

#include "base/log.h"
#include "base/paths.h"
#include "base/zero_padded.h"
#include "data/record_io.h"
#include "data/system_record.h"
#include "gfx/fill.h"
#include "gfx/font_tables.h"
#include "scene/scene.h"

CheckedVector<SlotSummary> SlotSummaries(kSaveSlotCount);

namespace {

// The colour of the separator lines of a slot list.
constexpr std::uint32_t kSeparatorColour = 240;
constexpr int kRowHeight = 16;
constexpr int kListWidth = 320;

bool ValidSlot(int slot, const char* what) {
    if (slot >= 0 && slot < kSaveSlotCount) return true;
    ReportLog("%s : slot %d does not exist", what, slot);
    return false;
}

// Lives as the play mode gives them: unlimited lives make both counts unlimited; otherwise
// a file's unlimited count becomes the mode's starting lives.
void FixLives(GameProgress& progress, int mode) {
    if (EdSystem.vecLivesLimited[mode] == 0) {
        progress.m_nContinueLives = kUnlimitedLives;
        progress.m_nLives = kUnlimitedLives;
    } else if (progress.m_nLives == kUnlimitedLives) {
        progress.m_nLives = EdSystem.vecStartLives[mode];
    }
}

// Reads a progress file into a copy of the record and hands it over only when the file was
// read whole. 1 read, 0 missing (silent) or damaged (report-log line).
int LoadWhole(GameProgress& progress, const std::string& path) {
    GameProgress scratch = progress;
    bool stopped = false;
    if (!scratch.LoadFromFile(path, &stopped)) return 0;
    if (stopped) {
        ReportLog("%s : damaged, not loaded", path.c_str());
        return 0;
    }
    progress = scratch;
    return 1;
}

}  // namespace

SlotSummary::SlotSummary() {
    Rebind(kCurrentDataVersion);
    SerialRecord::Reset();
}

void SlotSummary::Rebind(std::uint32_t) {
    ClearTables();
    AddInt(&m_bUsed, 1, "m_bUsed");
}

void ResetSlotSummaries() {
    SlotSummaries.Clear();
    SlotSummaries.resize(kSaveSlotCount);
}

void MakeSlotFileName(std::string& out, int slot) {
    std::string number;
    FormatZeroPadded(number, slot + 1, 2, 1);
    FormatString(out, "%s%s.dat", DataPathTable[kPathStorySlotPrefix], number.c_str());
}

void CopySlotSummary(SlotSummary& summary, const GameProgress& progress) {
    summary.m_bUsed = 1;
    summary.m_Time = progress.m_SaveTime;
}

bool GameProgress::SaveSlot(int slot) {
    if (!ValidSlot(slot, "SaveSlot")) return false;
    const SaveTime before = m_SaveTime;
    plat::GetLocalTime(&m_SaveTime);
    std::string path;
    MakeSlotFileName(path, slot);
    if (!WriteFileAtomically(path, SaveToBytes())) {
        // The file and the summary still show the last save that was made.
        m_SaveTime = before;
        ReportLog("%s : could not be written; the slot keeps its last save", path.c_str());
        return false;
    }
    CopySlotSummary(SlotSummaries[slot], *this);
    return true;
}

int GameProgress::LoadSlot(int slot) {
    if (!ValidSlot(slot, "LoadSlot")) return 0;
    std::string path;
    MakeSlotFileName(path, slot);
    if (!LoadWhole(*this, path)) return 0;
    FixLives(*this, PLAYMODE_STORY);
    return 1;
}

int GameProgress::LoadChallenge() {
    if (!LoadWhole(*this, DataPathTable[kPathChallenge])) return 0;
    FixLives(*this, PLAYMODE_CHALLENGE);
    return 1;
}

bool GameProgress::SaveChallenge() {
    const char* path = DataPathTable[kPathChallenge];
    if (WriteFileAtomically(path, SaveToBytes())) return true;
    ReportLog("%s : could not be written; it keeps its last save", path);
    return false;
}

void ScanSaveSlots(CheckedVector<SlotSummary>& summaries) {
    // One record for every slot: each file gives its own save time.
    GameProgress scratch;
    std::string path;
    for (int i = 0; i < static_cast<int>(summaries.Size()); ++i) {
        MakeSlotFileName(path, i);
        RecordReader reader = RecordReader::FromFile(path);
        summaries[i].m_bUsed = 0;
        if (!reader.Ok()) continue;
        scratch.Load(reader);
        if (reader.StoppedEarly()) {
            ReportLog("%s : damaged, shown as empty", path.c_str());
            continue;
        }
        CopySlotSummary(summaries[i], scratch);
    }
}

void DrawSlotList(DDSURFACEDATA* surface, int x, int y, CheckedVector<SlotSummary>& summaries,
                  int first, int count) {
    Font16.DrawWindow(surface, x, y, kListWidth, count * kRowHeight);
    for (int r = 0; r < count; ++r) {
        const int top = y + kRowHeight * r;
        if (r != count - 1)
            DDFillRect(surface, x, top + kRowHeight - 1, kListWidth, 1, kSeparatorColour);
        const long long index = static_cast<long long>(first) + r;
        if (summaries.empty() || index >= static_cast<long long>(summaries.Size())) break;
        if (index < 0) continue;
        Font16.DrawF(surface, x + 16, top, "%lld", index + 1);
        DrawSlotDate(summaries[static_cast<int>(index)], surface, x + 64, top);
    }
}

void DrawSlotDate(const SlotSummary& summary, DDSURFACEDATA* surface, int x, int y) {
    if (summary.m_bUsed == 0) return;
    const SaveTime& t = summary.m_Time;
    Font16.DrawF(surface, x, y, "%04d/%02d/%02d %02d:%02d\n", t.wYear, t.wMonth, t.wDay, t.wHour,
                 t.wMinute);
}

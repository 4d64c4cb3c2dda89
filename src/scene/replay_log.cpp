#include "scene/replay_log.h"

ReplayLog CurReplay;
ReplayLog PrevReplay;

namespace {

template <class T>
void LoadList(RecordReader& reader, CheckedVector<T>& list) {
    const std::uint32_t n = reader.ReadCount(sizeof(T));
    list.Clear();
    list.resize(n, 0);
    if (n != 0 && !reader.Read(list.data(), n * sizeof(T))) list.Clear();
}

template <class T>
void SaveList(RecordWriter& writer, const CheckedVector<T>& list) {
    writer.WriteU32(list.Size());
    if (!list.empty()) writer.Write(list.data(), list.size() * sizeof(T));
}

// One channel's step: the value of the current run, and the run advanced when it has been
// played whole ("reached or passed": a damaged run length below 1 lasts one frame).
std::int16_t Step(const CheckedVector<std::int16_t>& values,
                  const CheckedVector<std::int32_t>& runs, std::int32_t& pos, std::int32_t& frame) {
    const std::int16_t value = values[pos];
    ++frame;
    const std::int32_t run = pos < static_cast<int>(runs.Size()) ? runs[pos] : 1;
    if (frame >= run) {
        frame = 0;
        ++pos;
    }
    return value;
}

void Record(CheckedVector<std::int16_t>& values, CheckedVector<std::int32_t>& runs,
            std::int16_t value) {
    if (!values.empty() && values.back() == value && !runs.empty()) {
        ++runs.back();
        return;
    }
    values.push_back(value);
    runs.push_back(1);
}

}  // namespace

ReplayLog::ReplayLog() {
    Rebind(kCurrentDataVersion);
    Clear();
}

void ReplayLog::Rebind(std::uint32_t) {
    ClearTables();
    AddInt(&m_nSeed, 1, "m_nSeed");
}

void ReplayLog::Clear() {
    SerialRecord::Reset();
    m_vecDirValue.Clear();
    m_vecButtonValue.Clear();
    m_vecDirRun.Clear();
    m_vecButtonRun.Clear();
    Rewind();
}

void ReplayLog::Rewind() {
    m_nDirPos = m_nButtonPos = 0;
    m_nDirFrame = m_nButtonFrame = 0;
}

void ReplayLog::Load(RecordReader& reader) {
    SerialRecord::Load(reader);
    LoadList(reader, m_vecDirValue);
    LoadList(reader, m_vecButtonValue);
    LoadList(reader, m_vecDirRun);
    LoadList(reader, m_vecButtonRun);
}

void ReplayLog::Save(RecordWriter& writer) {
    SerialRecord::Save(writer);
    SaveList(writer, m_vecDirValue);
    SaveList(writer, m_vecButtonValue);
    SaveList(writer, m_vecDirRun);
    SaveList(writer, m_vecButtonRun);
}

void ReplayLog::RecordFrame(std::int16_t dir, std::int16_t button) {
    Record(m_vecDirValue, m_vecDirRun, dir);
    Record(m_vecButtonValue, m_vecButtonRun, button);
}

int ReplayLog::PlayFrame(std::int16_t out[2]) {
    if (m_nDirPos < 0 || m_nButtonPos < 0 || m_nDirPos >= static_cast<int>(m_vecDirValue.Size()) ||
        m_nButtonPos >= static_cast<int>(m_vecButtonValue.Size()))
        return 1;
    out[0] = Step(m_vecDirValue, m_vecDirRun, m_nDirPos, m_nDirFrame);
    out[1] = Step(m_vecButtonValue, m_vecButtonRun, m_nButtonPos, m_nButtonFrame);
    return 0;
}

void ReplayLog::Assign(const ReplayLog& source) {
    if (this == &source) return;
    m_nSeed = source.m_nSeed;
    m_vecDirValue = source.m_vecDirValue;
    m_vecButtonValue = source.m_vecButtonValue;
    m_vecDirRun = source.m_vecDirRun;
    m_vecButtonRun = source.m_vecButtonRun;
}

bool ReplayLog::IsSound() const {
    if (m_vecDirValue.Size() != m_vecDirRun.Size()) return false;
    if (m_vecButtonValue.Size() != m_vecButtonRun.Size()) return false;
    for (std::int32_t run : m_vecDirRun)
        if (run < 1) return false;
    for (std::int32_t run : m_vecButtonRun)
        if (run < 1) return false;
    return true;
}
